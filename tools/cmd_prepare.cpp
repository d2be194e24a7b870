// valmoro-report prepare REPORT [--database FILE --module NAME [--from DATE]
// [--to DATE]] -o OUT.fp3: prepares a report as the program's "Raport"
// command does and writes the prepared pages.

#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "tools/command_registry.h"
#include "tools/report_preparation.h"

namespace valmoro::tools {

namespace {

int prepare(const QStringList& args);

const Command kPrepare{
    QStringLiteral("prepare"),
    QStringLiteral("REPORT [--database FILE --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]] -o OUT.fp3"),
    QStringLiteral("prepare a report over a module's log (newest first, the date filter's upper bound excluded) and "
                   "write the prepared pages; errors on standard output, exit 1 when there are any"),
    prepare};

int prepare(const QStringList& arguments) {
  QStringList args = arguments;
  DataOptions options;
  if (!takeDataOptions(args, options, kPrepare.name)) return usageError(kPrepare);
  QString output;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("-o")) {
      if (i + 1 >= args.size()) return usageError(kPrepare);
      output = args[++i];
    } else {
      rest.append(args[i]);
    }
  }
  if (rest.size() != 1 || output.isEmpty() || rest[0].startsWith(u'-')) return usageError(kPrepare);

  ModuleLog log;
  report::TfrxReport report;
  if (const int status = prepareDocument(rest[0], options, log, report)) return status;
  try {
    report.PreviewPages().SaveToFile(output);
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }
  return 0;
}

const bool registered = registerCommand(kPrepare);

}  // namespace

}  // namespace valmoro::tools
