#pragma once
// valmoro-report's commands. Each command lives in its own file and registers
// itself; the tool's main only dispatches.

#include <QString>
#include <QStringList>
#include <functional>

namespace valmoro::tools {

struct Command {
  QString name;    // first word of the call ("check", "script")
  QString usage;   // the rest of the usage line ("FILE", "run [--language NAME] FILE")
  QString summary; // one line for --help
  // Runs the command with the words after its name; returns the exit status.
  // Returns 2 (after printing the usage line) for a wrong call.
  std::function<int(const QStringList& args)> run;
};

bool registerCommand(Command command);
const QList<Command>& commands();

// Prints "usage: valmoro-report NAME USAGE" to standard error and returns 2.
int usageError(const Command& command);

// Output helpers: UTF-8 lines on standard output / standard error.
void printOut(const QString& line);
void printErr(const QString& line);

}  // namespace valmoro::tools
