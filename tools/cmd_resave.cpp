// valmoro-report resave IN OUT: loads a report document and writes it again
// with the report's own writer.

#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "tools/command_registry.h"

namespace valmoro::tools {

namespace {

int resave(const QStringList& args);

const Command kResave{QStringLiteral("resave"), QStringLiteral("IN OUT"),
                      QStringLiteral("load a report document and write it to OUT; errors as for check"), resave};

int resave(const QStringList& args) {
  if (args.size() != 2) return usageError(kResave);
  report::TfrxReport report;
  const bool read = report::loadReportDocument(report, args[0]);
  for (const QString& line : report.Errors()) printOut(line);
  // A document that could not be read leaves an empty report: writing that
  // would replace OUT (possibly IN itself) with nothing.
  if (!read) {
    printErr(QStringLiteral("valmoro-report: %1 not written").arg(args[1]));
    return 1;
  }
  try {
    report::saveReportDocument(report, args[1]);
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }
  return report.Errors().isEmpty() ? 0 : 1;
}

const bool registered = registerCommand(kResave);

}  // namespace

}  // namespace valmoro::tools
