// valmoro-report prepare REPORT [--database FILE --module NAME [--from DATE]
// [--to DATE]] -o OUT.fp3: prepares a report as the program's "Raport"
// command does and writes the prepared pages.

#include <unistd.h>

#include <cstdio>

#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_options.h"
#include "tools/command_registry.h"
#include "tools/log_binding.h"

namespace valmoro::tools {

namespace {

int prepare(const QStringList& args);

const Command kPrepare{
    QStringLiteral("prepare"),
    QStringLiteral("REPORT [--database FILE --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]] -o OUT.fp3"),
    QStringLiteral("prepare a report over a module's log (newest first, the date filter's upper bound excluded) and "
                   "write the prepared pages; errors on standard output, exit 1 when there are any"),
    prepare};

void printErrors(const report::TfrxReport& report) {
  for (const QString& line : report.Errors()) printOut(line);
}

int prepare(const QStringList& args) {
  QString database, module, from, to, output;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    QString* target = nullptr;
    if (a == QLatin1String("--database")) target = &database;
    else if (a == QLatin1String("--module")) target = &module;
    else if (a == QLatin1String("--from")) target = &from;
    else if (a == QLatin1String("--to")) target = &to;
    else if (a == QLatin1String("-o")) target = &output;
    if (target) {
      if (i + 1 >= args.size()) return usageError(kPrepare);
      *target = args[++i];
    } else {
      rest.append(a);
    }
  }
  if (rest.size() != 1 || output.isEmpty() || database.isEmpty() != module.isEmpty()) return usageError(kPrepare);
  if (database.isEmpty() && (!from.isEmpty() || !to.isEmpty())) {
    printErr(QStringLiteral("valmoro-report prepare: --from i --to wymagają --database i --module"));
    return usageError(kPrepare);
  }
  const QDate fromDate = parseIsoDate(from), toDate = parseIsoDate(to);
  for (const auto& [text, date] : {std::pair{from, fromDate}, std::pair{to, toDate}})
    if (!text.isEmpty() && !date.isValid()) {
      printErr(QStringLiteral("valmoro-report prepare: nieprawidłowa data '%1' (oczekiwano RRRR-MM-DD)").arg(text));
      return usageError(kPrepare);
    }

  ModuleLog log;
  if (!database.isEmpty()) {
    try {
      log.open(database, module, fromDate, toDate);
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

  // Progress only for a person watching a terminal.
  const bool terminal = isatty(STDERR_FILENO) != 0;
  report.SetNoPumping(!terminal);
  if (terminal)
    report.OnProgress = [](report::TfrxReport* sender, report::TfrxReport::ProgressKind kind, int page, bool&) {
      std::fprintf(stderr, "\r%s", sender->ProgressText(kind, page).toUtf8().constData());
      std::fflush(stderr);
    };
  bool built = false;
  try {
    built = report.BuildPages(true);
  } catch (const std::exception& e) {
    report.Errors().append(QString::fromUtf8(e.what()));
  }
  if (terminal) std::fprintf(stderr, "\n");
  if (!built || !report.Errors().isEmpty()) {
    if (report.Errors().isEmpty()) report.Errors().append(QStringLiteral("Raport nie został przygotowany"));
    printErrors(report);
    return 1;
  }
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
