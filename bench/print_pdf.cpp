// Printing the shipped report into a PDF file through the print path: the
// report prepared over a generated log, then its first 1,000 pages printed
// by the print run on Qt's PDF output. Reports both times and the file.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_log.h"
#include "platform/dialogs.h"
#include "platform/printers.h"
#include "preview/print_install.h"
#include "preview/print_run.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/script_classes.h"
#include "report/run/install.h"
#include "tools/log_binding.h"

using namespace valmoro;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  report::installReportSubsystem();
  preview::InstallPrinting();

  QTemporaryDir dir;
  const QString database = dir.filePath("log.db"), pdf = dir.filePath("raport.pdf");
  const int rows = argc > 1 ? atoi(argv[1]) : 60000;
  if (!bench::makeLog(database, rows)) return 1;

  // The log is open before the report is read, as the tool does it.
  tools::ModuleLog log;
  log.open(database, QStringLiteral("Magazyn"));
  report::TfrxReport report;
  report.SetNoPumping(true);
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  report.LoadFromFile(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), true);
  log.bindTo(report);
  QElapsedTimer timer;
  timer.start();
  if (!report.BuildPages(true)) {
    std::fprintf(stderr, "%s\n", report.Errors().join('\n').toUtf8().constData());
    return 1;
  }
  const qint64 prepareMs = timer.elapsed();
  const int pageCount = report.PreviewPages().Count();

  printers::TfrxPrinter printer{QString(), QString()};
  printer.Init();
  printer.SetFileName(pdf);
  report.PrintOptions()->SetPageNumbers(QStringLiteral("1-1000"));
  const auto pages = preview::printablePages(report.PreviewPages());
  timer.restart();
  const int sides = preview::PrintRun(report, *pages, printer);
  const qint64 printMs = timer.elapsed();

  QProcess info;
  info.start(QStringLiteral("pdfinfo"), {pdf});
  info.waitForFinished();
  const QString pagesLine = QString::fromUtf8(info.readAllStandardOutput()).section(QLatin1Char('\n'), 0, -1)
                                .split(QLatin1Char('\n'))
                                .filter(QStringLiteral("Pages:"))
                                .value(0)
                                .simplified();
  std::printf("rows %d, prepared pages %d (%.1f s)\n", rows, pageCount, prepareMs / 1000.0);
  std::printf("printed %d pages to PDF in %.1f s (%.1f ms a page), file %.1f MB, pdfinfo %s\n", sides,
              printMs / 1000.0, double(printMs) / std::max(1, sides), QFileInfo(pdf).size() / 1048576.0,
              pagesLine.toUtf8().constData());
  return 0;
}
