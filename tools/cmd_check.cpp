// valmoro-report check FILE: loads a report document and lists its errors.

#include "report/model/report.h"
#include "report/model/report_document.h"
#include "tools/command_registry.h"

namespace valmoro::tools {

namespace {

int check(const QStringList& args);

const Command kCheck{QStringLiteral("check"), QStringLiteral("FILE"),
                     QStringLiteral("load a report document; print its errors, exit 1 when there are any"), check};

int check(const QStringList& args) {
  if (args.size() != 1) return usageError(kCheck);
  report::TfrxReport report;
  report::loadReportDocument(report, args[0]);
  for (const QString& line : report.Errors()) printOut(line);
  return report.Errors().isEmpty() ? 0 : 1;
}

const bool registered = registerCommand(kCheck);

}  // namespace

}  // namespace valmoro::tools
