// valmoro-report calc [--database FILE --module NAME] REPORT EXPR...: loads a
// report, binds the data set "Wpisy" to a module's log as the program reads
// it, prepares the script and prints the value of each expression.

#include "platform/database.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "script/script_error.h"
#include "script/variant.h"
#include "tools/command_registry.h"
#include "tools/log_binding.h"

namespace valmoro::tools {

namespace {

int calc(const QStringList& args);

const Command kCalc{QStringLiteral("calc"), QStringLiteral("[--database FILE --module NAME] REPORT EXPR..."),
                    QStringLiteral("load a report and print the value of each expression, one per line; errors as "
                                   "check prints them, exit 1 when there are any"),
                    calc};

void printErrors(const report::TfrxReport& report) {
  for (const QString& line : report.Errors()) printOut(line);
}

int calc(const QStringList& args) {
  QString database;
  QString module;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--database") || args[i] == QLatin1String("--module")) {
      if (i + 1 >= args.size()) return usageError(kCalc);
      QString& target = args[i] == QLatin1String("--database") ? database : module;
      target = args[i + 1];
      ++i;
    } else {
      rest.append(args[i]);
    }
  }
  if (rest.size() < 2 || database.isEmpty() != module.isEmpty()) return usageError(kCalc);

  // The log of the module, newest first, read as the main window reads it.
  // Only with a database: a data set named "Wpisy" that nothing feeds would
  // be found by the report and fail the run.
  ModuleLog log;
  if (!database.isEmpty()) {
    try {
      log.open(database, module);
    } catch (const db::DbError& e) {
      printOut(e.message());
      return 1;
    }
  }

  report::TfrxReport report;
  // The errors are printed here; boxes would repeat them.
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  try {
    report.LoadFromFile(rest[0], true);
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }
  if (!report.Errors().isEmpty()) {
    printErrors(report);
    return 1;
  }
  log.bindTo(report);

  if (!report.PrepareScript()) {
    printErrors(report);
    return 1;
  }
  int status = 0;
  try {
    report.DataSets()->BeginRun();
    for (int i = 1; i < rest.size(); ++i) {
      try {
        printOut(report.CalcVariant(rest[i]).ToString());
      } catch (const report::ReportError&) {
        status = 1;  // listed by Calc
      } catch (const script::ScriptError& e) {
        report.Errors().append(e.message());
        status = 1;
      }
    }
    report.DataSets()->EndRun();
  } catch (const std::exception& e) {
    report.Errors().append(QString::fromUtf8(e.what()));
  }
  printErrors(report);
  return report.Errors().isEmpty() && status == 0 ? 0 : 1;
}

const bool registered = registerCommand(kCalc);

}  // namespace

}  // namespace valmoro::tools
