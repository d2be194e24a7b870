// The program's report (data/Raport.fr3) prepared over a generated log, as
// "valmoro-report prepare" does it: the module's log read newest first, the
// band engine building every page into the prepared-page store (file cache
// on), and the prepared report written to a .fp3 file.
//
// Usage: bench_report_prepare [ROWS [source folder]]   (ROWS default 10000)
// Run once per size: the peak resident memory is the process's own.
// Prints plain "name: value" lines; exit status 1 when the rate is below
// its target.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

#include "app/log_statements.h"
#include "bench/bench_log.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/engine/preview_pages.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/script_classes.h"
#include "report/run/install.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

constexpr double kRowTarget = 20000;  // rows per second of processor time

double processSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

double peakResidentMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  installReportSubsystem();
  const int rows = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;
  const QString sourceDir = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral(".."));
  const QString reportFile = QDir(sourceDir).filePath(QStringLiteral("data/Raport.fr3"));
  if (!QFileInfo::exists(reportFile)) {
    std::printf("ERROR: no %s (give the source folder as the second argument)\n", qPrintable(reportFile));
    return 2;
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Valmoro.db"));
  if (!bench::makeLog(path, rows)) return 2;
  const double baseMb = peakResidentMb();

  QElapsedTimer wall;
  wall.start();
  const double cpu0 = processSeconds();

  db::Connection connection;
  db::DataSet log(&connection);
  connection.open(path);
  log.setCommandText(app::statements::S5);
  log.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
  log.setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  log.setDisplayFormat(QStringLiteral("Wilgotnosc"), QStringLiteral("#,##0.00"));
  log.open();
  log.first();
  TfrxDBDataset wpisy;
  wpisy.SetName(QStringLiteral("frxDBDataset1"));
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetDataSet(&log);

  TfrxReport report;
  report.EngineOptions()->SetNewSilentMode(simSilent);
  report.LoadFromFile(reportFile, true);
  if (!report.Errors().isEmpty()) {
    std::printf("ERROR: %s\n", qPrintable(report.Errors().join(QStringLiteral("; "))));
    return 2;
  }
  if (!report.GetDataset(QStringLiteral("Wpisy"))) report.DataSets()->Add(&wpisy);
  for (int i = 0; i < report.DataSets()->Count(); ++i)
    if (!report.DataSets()->Item(i)->DataSet()) report.DataSets()->Item(i)->SetDataSet(&wpisy);
  report.EngineOptions()->SetUseFileCache(true);
  report.SetNoPumping(true);

  const bool built = report.BuildPages(true);
  const double prepared = processSeconds() - cpu0;
  const double preparedWall = double(wall.nsecsElapsed()) / 1e9;
  if (!built) {
    std::printf("ERROR: %s\n", qPrintable(report.Errors().join(QStringLiteral("; "))));
    return 2;
  }
  const QString out = dir.filePath(QStringLiteral("raport.fp3"));
  report.PreviewPages().SaveToFile(out);
  const double total = processSeconds() - cpu0;
  const double totalWall = double(wall.nsecsElapsed()) / 1e9;

  const double rate = rows / total;
  std::printf("rows: %d\n", rows);
  std::printf("pages: %d\n", report.PreviewPages().Count());
  std::printf("prepare_cpu_s: %.3f\n", prepared);
  std::printf("prepare_wall_s: %.3f\n", preparedWall);
  std::printf("prepare_and_save_cpu_s: %.3f\n", total);
  std::printf("prepare_and_save_wall_s: %.3f\n", totalWall);
  std::printf("rows_per_cpu_second: %.0f (target %.0f)\n", rate, kRowTarget);
  std::printf("rows_per_wall_second: %.0f\n", rows / totalWall);
  std::printf("fp3_mb: %.1f\n", double(QFileInfo(out).size()) / 1048576.0);
  std::printf("peak_resident_mb: %.1f (after making the log: %.1f)\n", peakResidentMb(), baseMb);
  return rate >= kRowTarget ? 0 : 1;
}
