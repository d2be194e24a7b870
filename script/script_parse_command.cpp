#include "script_parse_command.h"

#include <QFileInfo>
#include <ostream>

#include "il_parser.h"
#include "script.h"
#include "script_error.h"

namespace valmoro::script {

namespace {

void print(std::ostream& stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  stream.write(bytes.constData(), bytes.size());
}

}  // namespace

QString LanguageForFileName(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix == QLatin1String("cpp")) return QStringLiteral("C++Script");
  if (suffix == QLatin1String("bas") || suffix == QLatin1String("vb")) return QStringLiteral("BasicScript");
  if (suffix == QLatin1String("js")) return QStringLiteral("JScript");
  return QStringLiteral("PascalScript");
}

int RunScriptParseCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
  QString language;
  QString fileName;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--language") && i + 1 < arguments.size()) {
      language = arguments[++i];
    } else if (fileName.isEmpty() && !arguments[i].startsWith(QLatin1String("--"))) {
      fileName = arguments[i];
    } else {
      fileName.clear();
      break;
    }
  }
  if (fileName.isEmpty()) {
    print(err, QStringLiteral("usage: valmoro-report script parse [--language NAME] FILE\n"));
    return 2;
  }

  TfsScript script;
  script.SyntaxType = language.isEmpty() ? LanguageForFileName(fileName) : language;
  // Units are looked for beside the file, not in the working folder.
  script.IncludeFolders = {QFileInfo(fileName).absolutePath()};
  TfsILParser parser(&script);
  try {
    script.Lines = SplitSourceLines(ReadSourceFile(fileName));
    parser.SelectLanguage(script.SyntaxType);
    const bool parsed = parser.BuildProgramXml(script.SourceText());
    if (!script.ErrorText.isEmpty()) {
      const QString where = script.ErrorUnitName.isEmpty() ? fileName : script.ErrorUnitName;
      print(err, where + QLatin1Char(':') + script.ErrorPosition + QLatin1String(": ") + script.ErrorText +
                     QLatin1Char('\n'));
      return 1;
    }
    TfsXMLDocument& program = parser.ProgramXml();
    // A start rule that matched nothing without an error is an empty program.
    if (!parsed) program.Root()->SetName(QStringLiteral("program"));
    program.AutoIndent = true;
    const QByteArray xml = program.SaveToData();
    out.write(xml.constData(), xml.size());
    return 0;
  } catch (const ScriptError& e) {
    print(err, fileName + QLatin1String(": ") + e.message() + QLatin1Char('\n'));
    return 1;
  }
}

}  // namespace valmoro::script
