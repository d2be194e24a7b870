#include "script_run_command.h"

#include <QFileInfo>
#include <ostream>

#include "binding_modules.h"
#include "platform/dialogs.h"
#include "script.h"
#include "script_error.h"
#include "script_parse_command.h"

namespace valmoro::script {

namespace {

void print(std::ostream& stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  stream.write(bytes.constData(), bytes.size());
  stream.flush();
}

// "[--language NAME] WORD": false when the call is not of that form.
bool parseArguments(const QStringList& arguments, QString* language, QString* word) {
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--language") && i + 1 < arguments.size()) {
      *language = arguments[++i];
    } else if (word->isNull() && !arguments[i].startsWith(QLatin1String("--"))) {
      *word = arguments[i];
    } else {
      return false;
    }
  }
  return !word->isNull();
}

// Message boxes become lines of standard output while a command runs.
class OutputMode {
public:
  OutputMode() : previous_(dialogs::mode()) { dialogs::setMode(dialogs::Mode::Output); }
  ~OutputMode() { dialogs::setMode(previous_); }
  OutputMode(const OutputMode&) = delete;
  OutputMode& operator=(const OutputMode&) = delete;

private:
  dialogs::Mode previous_;
};

}  // namespace

QString ValueDisplayText(const Variant& value) {
  if (!value.IsArray()) return value.ToString();
  QStringList parts;
  for (const Variant& element : value.AsArray().Elements()) parts << ValueDisplayText(element);
  return QLatin1Char('[') + parts.join(QLatin1String(", ")) + QLatin1Char(']');
}

int RunScriptRunCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  QString language;
  QString fileName;
  if (!parseArguments(arguments, &language, &fileName)) {
    print(err, QStringLiteral("usage: valmoro-report script run [--language NAME] FILE\n"));
    return 2;
  }
  OutputMode output;
  TfsScript script;
  script.SyntaxType = language.isEmpty() ? LanguageForFileName(fileName) : language;
  // Units are looked for beside the file, not in the working folder.
  script.IncludeFolders = {QFileInfo(fileName).absolutePath()};
  try {
    script.Lines = SplitSourceLines(ReadSourceFile(fileName));
    RegisterBindingModules();
    script.AddRuntimeLibrary();
  } catch (const ScriptError& e) {
    print(err, fileName + QLatin1String(": ") + e.message() + QLatin1Char('\n'));
    return 1;
  }
  if (!script.CompileSource()) {
    const QString where = script.ErrorUnitName.isEmpty() ? fileName : script.ErrorUnitName;
    const QString position = script.ErrorPosition.isEmpty() ? QString() : script.ErrorPosition + QLatin1Char(':');
    print(err, where + QLatin1Char(':') + position + QLatin1Char(' ') + script.ErrorText + QLatin1Char('\n'));
    return 1;
  }
  out.flush();
  try {
    script.RunMain();
  } catch (const ScriptError& e) {
    std::fflush(stdout);
    print(err, QStringLiteral("error: ") + e.message() + QLatin1Char('\n'));
    return 1;
  }
  std::fflush(stdout);
  return 0;
}

int RunScriptEvalCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  QString language;
  QString expression;
  if (!parseArguments(arguments, &language, &expression)) {
    print(err, QStringLiteral("usage: valmoro-report script eval [--language NAME] EXPR\n"));
    return 2;
  }
  OutputMode output;
  TfsScript script;
  script.SyntaxType = language.isEmpty() ? QStringLiteral("PascalScript") : language;
  try {
    RegisterBindingModules();
    script.AddRuntimeLibrary();
    const Variant value = script.EvaluateText(expression);
    if (script.EvaluationFailed) {
      print(err, QStringLiteral("error: ") + value.ToString() + QLatin1Char('\n'));
      return 1;
    }
    std::fflush(stdout);
    print(out, ValueDisplayText(value) + QLatin1Char('\n'));
    return 0;
  } catch (const ScriptError& e) {
    std::fflush(stdout);
    print(err, QStringLiteral("error: ") + e.message() + QLatin1Char('\n'));
    return 1;
  }
}

}  // namespace valmoro::script
