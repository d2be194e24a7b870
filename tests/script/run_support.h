#pragma once
// Helpers for the interpreter tests: compile and run a source the way the
// program does (runtime library added, main block run) and collect what it
// showed.

#include <QString>
#include <QStringList>

#include "platform/dialogs.h"
#include "script/run_error.h"
#include "script/script.h"

namespace valmoro::script::test {

struct Ran {
  QString compileError;  // "L:C: message", or '' when it compiled
  QString runError;      // "ClassName: message" of an uncaught error, or ''
  QStringList shown;     // ShowMessage texts, in order
  // Everything shown, one text per line; the compile or run error last.
  QString Output() const {
    QString out = shown.join(QLatin1Char('\n'));
    const QString error = !compileError.isEmpty() ? compileError : runError;
    if (!error.isEmpty()) out += (out.isEmpty() ? QString() : QStringLiteral("\n")) + error;
    return out;
  }
};

inline Ran RunScript(const QString& language, const QString& source, TfsScript* script = nullptr) {
  TfsScript local;
  TfsScript* s = script ? script : &local;
  s->AddRuntimeLibrary();
  s->SyntaxType = language;
  s->Lines = SplitSourceLines(source);
  dialogs::RecordingScope recording;
  Ran ran;
  if (!s->CompileSource()) {
    ran.compileError = s->ErrorPosition + QStringLiteral(": ") + s->ErrorText;
    return ran;
  }
  try {
    s->RunMain();
  } catch (const ScriptError& e) {
    ran.runError = ExceptionClassNameOf(e) + QStringLiteral(": ") + e.message();
  }
  ran.shown = recording.messages();
  return ran;
}

// Runs a PascalScript program with the runtime library and the binding
// modules given; gives what it showed.
template <class... Modules>
QString RunWithModules(const QString& source) {
  TfsScript script;
  script.AddRuntimeLibrary();
  (script.AddSymbol(QString(), new Modules(&script)), ...);
  return RunScript(QStringLiteral("PascalScript"), source, &script).Output();
}

inline QString Pascal(const QString& source) { return RunScript(QStringLiteral("PascalScript"), source).Output(); }

// "L:C: message" of a compile error, or "ok".
inline QString CompileError(const QString& language, const QString& source) {
  TfsScript s;
  s.AddRuntimeLibrary();
  s.SyntaxType = language;
  s.Lines = SplitSourceLines(source);
  if (s.CompileSource()) return QStringLiteral("ok");
  return s.ErrorPosition + QStringLiteral(": ") + s.ErrorText;
}

}  // namespace valmoro::script::test
