#pragma once
// The "script run" and "script eval" commands of the command-line tool:
//   valmoro-report script run [--language NAME] FILE
// compiles FILE and runs its main block; every message box the script shows
// is printed to standard output. A compile error prints
// "FILE:LINE:COL: MESSAGE" to the error stream, an uncaught run-time error
// "error: MESSAGE"; both return 1.
//   valmoro-report script eval [--language NAME] EXPR
// evaluates one expression and prints its value as text.

#include <QString>
#include <QStringList>
#include <iosfwd>

namespace valmoro::script {

class Variant;

// arguments are those after "script run" / "script eval". Returns the exit
// code: 0 done, 1 compile, run-time or file error, 2 wrong usage.
int RunScriptRunCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);
int RunScriptEvalCommand(const QStringList& arguments, std::ostream& out, std::ostream& err);

// A value as the eval command prints it: its text; arrays as their
// elements in brackets, "[1, 2, 3]".
QString ValueDisplayText(const Variant& value);

}  // namespace valmoro::script
