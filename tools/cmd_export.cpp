// valmoro-report export --format FORMAT (REPORT [data options] | FILE.fp3)
// [--pages RANGE] -o OUT: writes prepared pages through an export filter,
// from a prepared-report file or from a report document prepared on the way.

#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "export/export_filter.h"
#include "export/program_settings.h"
#include "export/rtf_export.h"
#include "platform/database.h"
#include "report/engine/preview_pages.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "tools/command_registry.h"
#include "tools/export_formats.h"
#include "tools/log_binding.h"

namespace valmoro::tools {

QList<ExportFormat>& formatList() {
  static QList<ExportFormat> list;
  return list;
}

bool registerExportFormat(ExportFormat format) {
  formatList().append(std::move(format));
  return true;
}

const QList<ExportFormat>& exportFormats() { return formatList(); }

namespace {

int runExport(const QStringList& args);

const Command kExport{
    QStringLiteral("export"),
    QStringLiteral("--format FORMAT (REPORT [--database DB --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]] | "
                   "FILE.fp3) [--pages RANGE] [format options] -o OUT"),
    QStringLiteral("export prepared pages (or a report prepared on the way) to a file; errors on stdout, exit 1"),
    runExport};

const bool registered = registerCommand(kExport);

// RTF: no options of its own beyond the program's settings.
const bool rtfRegistered = registerExportFormat(
    {QStringLiteral("rtf"), [](const QStringList& options, QString& error) -> std::unique_ptr<exports::TfrxCustomExportFilter> {
       if (!options.isEmpty()) {
         error = QStringLiteral("Nieznana opcja: %1").arg(options.first());
         return nullptr;
       }
       auto filter = std::make_unique<exports::TfrxRTFExport>();
       exports::ApplyProgramSettings(*filter);
       return filter;
     }});

struct Options {
  QString format;
  QString input;
  QString database;
  QString module;
  QString from;
  QString to;
  QString pages;
  QString output;
  QStringList formatOptions;
};

bool parse(const QStringList& args, Options& o) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](QString& target) {
      if (i + 1 >= args.size()) return false;
      target = args[++i];
      return true;
    };
    if (a == QLatin1String("--format")) {
      if (!value(o.format)) return false;
    } else if (a == QLatin1String("--database")) {
      if (!value(o.database)) return false;
    } else if (a == QLatin1String("--module")) {
      if (!value(o.module)) return false;
    } else if (a == QLatin1String("--from")) {
      if (!value(o.from)) return false;
    } else if (a == QLatin1String("--to")) {
      if (!value(o.to)) return false;
    } else if (a == QLatin1String("--pages")) {
      if (!value(o.pages)) return false;
    } else if (a == QLatin1String("-o")) {
      if (!value(o.output)) return false;
    } else if (a.startsWith(QLatin1String("--"))) {
      // Options of the format: "--name" or "--name value" when the next
      // word is no option.
      o.formatOptions << a;
      if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("-"))) o.formatOptions << args[++i];
    } else if (o.input.isEmpty()) {
      o.input = a;
    } else {
      return false;
    }
  }
  if (o.format.isEmpty() || o.input.isEmpty() || o.output.isEmpty()) return false;
  if (o.database.isEmpty() != o.module.isEmpty()) return false;
  if ((!o.from.isEmpty() || !o.to.isEmpty()) && o.database.isEmpty()) return false;
  return true;
}

void printErrors(const report::TfrxReport& report) {
  for (const QString& line : report.Errors()) printOut(line);
}

int runExport(const QStringList& args) {
  Options o;
  if (!parse(args, o)) return usageError(kExport);
  const ExportFormat* format = nullptr;
  for (const ExportFormat& f : exportFormats())
    if (f.name.compare(o.format, Qt::CaseInsensitive) == 0) format = &f;
  if (format == nullptr) {
    QStringList names;
    for (const ExportFormat& f : exportFormats()) names << f.name;
    printOut(QStringLiteral("Nieznany format: %1 (dostępne: %2)").arg(o.format, names.join(QStringLiteral(", "))));
    return 1;
  }
  QString error;
  std::unique_ptr<exports::TfrxCustomExportFilter> filter = format->make(o.formatOptions, error);
  if (!filter) {
    printOut(error);
    return 1;
  }

  const QDate fromDate = parseIsoDate(o.from), toDate = parseIsoDate(o.to);
  for (const auto& [text, date] : {std::pair{o.from, fromDate}, std::pair{o.to, toDate}})
    if (!text.isEmpty() && !date.isValid()) {
      printErr(QStringLiteral("valmoro-report export: nieprawidłowa data '%1' (oczekiwano RRRR-MM-DD)").arg(text));
      return usageError(kExport);
    }
  if (const QString wrong = periodError(fromDate, toDate); !wrong.isEmpty()) {
    printErr(QStringLiteral("valmoro-report export: %1").arg(wrong));
    return usageError(kExport);
  }

  report::TfrxReport report;
  // Errors are printed here; boxes would repeat them.
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  ModuleLog log;
  // Progress on standard error, only for a person watching.
  if (isatty(fileno(stderr))) {
    report.OnProgress = [](report::TfrxReport* sender, report::TfrxReport::ProgressKind kind, int page, bool&) {
      std::fprintf(stderr, "\r%s", sender->ProgressText(kind, page).toUtf8().constData());
      std::fflush(stderr);
    };
    report.OnProgressStop = [](report::TfrxReport*, report::TfrxReport::ProgressKind) {
      std::fputs("\n", stderr);
    };
  }

  const bool prepared = o.input.endsWith(QLatin1String(".fp3"), Qt::CaseInsensitive);
  try {
    if (prepared) {
      if (!report.PreviewPages().LoadFromFile(o.input, true)) {
        printOut(QStringLiteral("Nie można otworzyć pliku %1").arg(o.input));
        return 1;
      }
    } else {
      if (!o.database.isEmpty()) {
        try {
          log.open(o.database, o.module, fromDate, toDate);
        } catch (const db::DbError& e) {
          printOut(e.message());
          return 1;
        }
      }
      report.LoadFromFile(o.input, true);
      if (!report.Errors().isEmpty()) {
        printErrors(report);
        return 1;
      }
      log.bindTo(report);
      // A log of a million readings makes gigabytes of prepared pages: the
      // pages go to the temporary file as they are finished and come back
      // one at a time for the export.
      report.EngineOptions()->SetUseFileCache(true);
      report.SetNoPumping(isatty(fileno(stderr)) == 0);
      bool built = false;
      try {
        built = report.BuildPages(true);
      } catch (const std::exception& e) {
        report.Errors().append(QString::fromUtf8(e.what()));
      }
      if (!built || !report.Errors().isEmpty()) {
        if (report.Errors().isEmpty()) report.Errors().append(QStringLiteral("Raport nie został przygotowany"));
        printErrors(report);
        return 1;
      }
    }
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }

  // Nothing to write must not pass for a written file (a document without
  // a report page prepares no page at all).
  if (report.PreviewPages().Count() == 0) {
    printOut(QStringLiteral("Raport nie ma żadnej strony: nie zapisano pliku %1.").arg(o.output));
    return 1;
  }
  filter->SetShowDialog(false);
  filter->SetFileName(QFileInfo(o.output).absoluteFilePath());
  filter->SetPageRange(o.pages);
  report.Errors().clear();
  bool ok = false;
  try {
    ok = exports::ExportPreparedPages(report.PreviewPages(), filter.get());
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  }
  if (!ok || !report.Errors().isEmpty()) {
    printErrors(report);
    if (report.Errors().isEmpty()) printOut(QStringLiteral("Eksport nie powiódł się"));
    return 1;
  }
  return 0;
}

}  // namespace

}  // namespace valmoro::tools
