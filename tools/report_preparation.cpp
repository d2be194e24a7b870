// A report document prepared over a module's log, for the tool's commands.

#include "tools/report_preparation.h"

#include <unistd.h>

#include <QFile>
#include <cstdio>

#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_options.h"
#include "tools/command_registry.h"

namespace valmoro::tools {

bool takeDataOptions(QStringList& args, DataOptions& options, const QString& command) {
  QString from, to;
  QStringList rest;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    QString* target = nullptr;
    if (a == QLatin1String("--database")) target = &options.database;
    else if (a == QLatin1String("--module")) target = &options.module;
    else if (a == QLatin1String("--from")) target = &from;
    else if (a == QLatin1String("--to")) target = &to;
    if (!target) {
      rest.append(a);
      continue;
    }
    if (i + 1 >= args.size()) return false;
    *target = args[++i];
  }
  args = rest;
  if (options.database.isEmpty() != options.module.isEmpty()) return false;
  if (options.database.isEmpty() && (!from.isEmpty() || !to.isEmpty())) {
    printErr(QStringLiteral("valmoro-report %1: --from i --to wymagają --database i --module").arg(command));
    return false;
  }
  options.from = parseIsoDate(from);
  options.to = parseIsoDate(to);
  for (const auto& [text, date] : {std::pair{from, options.from}, std::pair{to, options.to}})
    if (!text.isEmpty() && !date.isValid()) {
      printErr(QStringLiteral("valmoro-report %1: nieprawidłowa data '%2' (oczekiwano RRRR-MM-DD)").arg(command, text));
      return false;
    }
  if (const QString wrong = periodError(options.from, options.to); !wrong.isEmpty()) {
    printErr(QStringLiteral("valmoro-report %1: %2").arg(command, wrong));
    return false;
  }
  return true;
}

int prepareDocument(const QString& file, const DataOptions& options, ModuleLog& log, report::TfrxReport& report) {
  auto printErrors = [&report] {
    for (const QString& line : report.Errors()) printOut(line);
  };
  if (!options.database.isEmpty()) {
    try {
      log.open(options.database, options.module, options.from, options.to);
    } catch (const db::DbError& e) {
      printOut(e.message());
      return 1;
    }
  }
  // The errors are printed here; boxes would repeat them.
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  try {
    report.LoadFromFile(file, true);
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }
  if (!report.Errors().isEmpty()) {
    printErrors();
    return 1;
  }
  log.bindTo(report);
  // Finished pages go to the temporary file: a long log stays within
  // memory however many pages it makes.
  report.EngineOptions()->SetUseFileCache(true);

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
  report.OnProgress = nullptr;
  if (!built || !report.Errors().isEmpty()) {
    if (report.Errors().isEmpty()) report.Errors().append(QStringLiteral("Raport nie został przygotowany"));
    printErrors();
    return 1;
  }
  return 0;
}

bool isReportDocument(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(4096);
  return head.contains("<TfrxReport") && !head.contains("<preparedreport");
}

}  // namespace valmoro::tools
