#pragma once
// The "script parse" command of the command-line tool:
//   valmoro-report script parse [--language NAME] FILE
// prints the program XML of FILE and returns 0; on a syntax error prints
// "FILE:LINE:COL: MESSAGE" to the error stream (FILE being the included
// unit's name when the error lies there) and returns 1. Without --language
// the language follows the file's extension; a "#language" line in the
// source wins, as it does in the engine.

#include <QString>
#include <QStringList>
#include <iosfwd>

namespace valmoro::script {

// The language a script file's extension stands for: .pas PascalScript,
// .cpp C++Script, .bas and .vb BasicScript, .js JScript; PascalScript for
// any other.
QString LanguageForFileName(const QString& fileName);

// arguments are those after "script parse". Returns the exit code: 0 parsed,
// 1 syntax error or unreadable file or unknown language, 2 wrong usage.
int RunScriptParseCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace valmoro::script
