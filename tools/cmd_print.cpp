// valmoro-report print: prints a report or a prepared report without a
// dialog, on a system printer or into a PDF file.

#include <QFileInfo>
#include <memory>

#include "platform/printers.h"
#include "preview/print_install.h"
#include "preview/print_math.h"
#include "preview/print_run.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"
#include "tools/command_registry.h"
#include "tools/log_binding.h"

namespace valmoro::tools {

namespace {

int print(const QStringList& args);

const Command kPrint{
    QStringLiteral("print"),
    QStringLiteral("(REPORT.fr3 [--database FILE --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]] | FILE.fp3) "
                   "[--printer NAME] [--pages RANGE] [--copies N] [--collate] "
                   "[--duplex default|vertical|horizontal|simplex] [-o FILE.pdf]"),
    QStringLiteral("print a report (prepared first) or a prepared report on a printer, or into a PDF file with -o"),
    print};

struct Request {
  QString input;
  QString printer;
  bool printerGiven = false;
  QString pages;
  int copies = 1;
  bool collate = false;
  int duplex = 0;
  QString output;
  QString database, module;
  QDate from, to;
  bool fromGiven = false, toGiven = false;
};

// The words of the call; a message when they are wrong.
std::optional<QString> parse(const QStringList& args, Request& r) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](QString& into) -> bool {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    QString v;
    if (a == QLatin1String("--printer")) {
      if (!value(r.printer)) return QStringLiteral("--printer wymaga nazwy drukarki");
      r.printerGiven = true;
    } else if (a == QLatin1String("--pages")) {
      if (!value(r.pages)) return QStringLiteral("--pages wymaga zakresu stron, np. 1,3,5-12");
    } else if (a == QLatin1String("--copies")) {
      bool ok = false;
      if (!value(v) || (r.copies = v.toInt(&ok), !ok) || r.copies < 1 || r.copies > 9999)
        return QStringLiteral("--copies wymaga liczby kopii od 1 do 9999");
    } else if (a == QLatin1String("--collate")) {
      r.collate = true;
    } else if (a == QLatin1String("--duplex")) {
      const QStringList modes{"default", "vertical", "horizontal", "simplex"};
      if (!value(v) || !modes.contains(v)) return QStringLiteral("--duplex: default, vertical, horizontal lub simplex");
      r.duplex = int(modes.indexOf(v));
    } else if (a == QLatin1String("--database")) {
      if (!value(r.database)) return QStringLiteral("--database wymaga pliku bazy danych");
    } else if (a == QLatin1String("--module")) {
      if (!value(r.module)) return QStringLiteral("--module wymaga nazwy modułu");
    } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
      const bool isFrom = a == QLatin1String("--from");
      QDate& date = isFrom ? r.from : r.to;
      if (!value(v) || !(date = parseIsoDate(v)).isValid())
        return QStringLiteral("%1: nieprawidłowa data (oczekiwano RRRR-MM-DD)").arg(a);
      (isFrom ? r.fromGiven : r.toGiven) = true;
    } else if (a == QLatin1String("-o")) {
      if (!value(r.output)) return QStringLiteral("-o wymaga nazwy pliku PDF");
    } else if (a.startsWith(QLatin1Char('-')) || !r.input.isEmpty()) {
      return QStringLiteral("nieznany argument „%1”").arg(a);
    } else {
      r.input = a;
    }
  }
  if (r.input.isEmpty()) return QStringLiteral("brak pliku raportu");
  if (r.database.isEmpty() != r.module.isEmpty()) return QStringLiteral("--database i --module podaje się razem");
  if (r.database.isEmpty() && (r.fromGiven || r.toGiven))
    return QStringLiteral("--from i --to wymagają --database i --module");
  if (const QString wrong = periodError(r.from, r.to); !wrong.isEmpty()) return wrong;
  return std::nullopt;
}

QString res(const char* name) { return report::resources::text(QString::fromLatin1(name)); }

int print(const QStringList& args) {
  Request request;
  if (const std::optional<QString> wrong = parse(args, request)) {
    printOut(QStringLiteral("valmoro-report print: %1").arg(*wrong));
    return usageError(kPrint);
  }
  if (!QFileInfo::exists(request.input)) {
    printOut(QStringLiteral("Nie ma pliku „%1”.").arg(request.input));
    return 1;
  }
  preview::InstallPrinting();

  ModuleLog log;
  if (!request.database.isEmpty()) {
    try {
      log.open(request.database, request.module, request.from, request.to);
    } catch (const db::DbError& e) {
      printOut(e.message());
      return 1;
    }
  }

  report::TfrxReport report;
  // Nobody to answer boxes or watch progress: errors come back here.
  report.SetNoPumping(true);
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  try {
    if (request.input.endsWith(QLatin1String(".fp3"), Qt::CaseInsensitive)) {
      report.PreviewPages().LoadFromFile(request.input, true);
    } else {
      report.LoadFromFile(request.input, true);
      if (report.Errors().isEmpty()) {
        log.bindTo(report);
        // Finished pages wait in the temporary file, not in memory.
        report.EngineOptions()->SetUseFileCache(true);
        if (!report.BuildPages(true) && report.Errors().isEmpty())
          report.Errors().append(QStringLiteral("Raport nie został przygotowany"));
      }
      if (!report.Errors().isEmpty()) {
        for (const QString& line : report.Errors()) printOut(line);
        return 1;
      }
    }
  } catch (const report::ReportError& e) {
    printOut(e.message());
    return 1;
  } catch (const std::exception& e) {
    printOut(QString::fromUtf8(e.what()));
    return 1;
  }

  if (report.PreviewPages().Count() == 0) {
    printOut(request.output.isEmpty()
                 ? QStringLiteral("Raport nie ma żadnej strony: nic nie wysłano do drukarki.")
                 : QStringLiteral("Raport nie ma żadnej strony: nie zapisano pliku %1.").arg(request.output));
    return 1;
  }

  report::TfrxPrintOptions& options = *report.PrintOptions();
  options.SetShowDialog(false);
  options.SetPageNumbers(request.pages);
  options.SetCopies(request.copies);
  options.SetCollate(request.collate);
  options.SetDuplex(request.duplex);

  // -o without a printer: Qt's PDF output, also on a machine without printers.
  std::unique_ptr<printers::TfrxPrinter> filePrinter;
  printers::TfrxCustomPrinter* printer = nullptr;
  if (!request.output.isEmpty() && !request.printerGiven) {
    filePrinter = std::make_unique<printers::TfrxPrinter>(QString(), QString());
    filePrinter->Init();
    printer = filePrinter.get();
  } else {
    printers::TfrxPrinters& list = printers::frxPrinters();
    if (!list.HasPhysicalPrinters()) {
      printOut(res("clNoPrinters"));
      return 1;
    }
    if (request.printerGiven) {
      const int index = list.IndexOf(request.printer);
      if (index < 0) {
        printOut(QStringLiteral("Nie ma drukarki „%1”. Drukarki: %2.").arg(request.printer, list.Printers().join(", ")));
        return 1;
      }
      list.SetPrinterIndex(index);
    }
    printer = list.Printer();
  }
  if (!printer || !printer->Initialized()) {
    printOut(printers::printerTexts().invalidPrinter);
    return 1;
  }
  printer->SetFileName(request.output);

  try {
    const std::unique_ptr<preview::PrintablePages> pages = preview::printablePages(report.PreviewPages());
    const int sides = preview::PrintRun(report, *pages, *printer);
    // Only what really went out counts as printed.
    if (sides == 0 || (!request.output.isEmpty() && !QFileInfo::exists(request.output))) {
      printOut(request.output.isEmpty() ? QStringLiteral("Nic nie wysłano do drukarki „%1”.").arg(printer->Name())
                                        : QStringLiteral("Nie zapisano pliku %1.").arg(request.output));
      return 1;
    }
    printOut(request.output.isEmpty()
                 ? QStringLiteral("Wysłano do drukarki „%1” stron: %2.").arg(printer->Name()).arg(sides)
                 : QStringLiteral("Zapisano do pliku „%1” stron: %2.").arg(request.output).arg(sides));
  } catch (const preview::PageNumbersError& e) {
    printOut(e.text());
    return 1;
  } catch (const printers::PrinterError& e) {
    printOut(e.text());
    return 1;
  } catch (const std::exception& e) {
    printOut(QString::fromUtf8(e.what()));
    return 1;
  }
  return 0;
}

const bool registered = registerCommand(kPrint);

}  // namespace

}  // namespace valmoro::tools
