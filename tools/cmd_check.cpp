// valmoro-report check FILE: loads a report document and lists its errors,
// and what preparing it would stop at: the script and every expression are
// compiled, and the data fields they name are looked up ("Wpisy" with the
// log's fields).

#include "report/engine/report_check.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_options.h"
#include "tools/command_registry.h"
#include "tools/log_binding.h"

namespace valmoro::tools {

namespace {

int check(const QStringList& args);

const Command kCheck{QStringLiteral("check"), QStringLiteral("FILE"),
                     QStringLiteral("load a report document and compile its script and expressions; print the "
                                    "errors, exit 1 when there are any"),
                     check};

int check(const QStringList& args) {
  if (args.size() != 1) return usageError(kCheck);
  report::TfrxReport report;
  report::loadReportDocument(report, args[0]);
  QStringList errors = report.Errors();
  if (errors.isEmpty()) {
    // The errors come back here; boxes would repeat them.
    report.EngineOptions()->SetNewSilentMode(report::simSilent);
    ModuleLog log;
    log.openFieldsOnly();
    log.bindTo(report);
    errors = report::engine::CheckReport(report);
  }
  for (const QString& line : errors) printOut(line);
  return errors.isEmpty() ? 0 : 1;
}

const bool registered = registerCommand(kCheck);

}  // namespace

}  // namespace valmoro::tools
