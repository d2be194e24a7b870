// How fast text views take their data and totals collect their records, on
// the program's own report (data/Raport.fr3) over a log of 100,000 readings
// held in memory:
//  - one row of the data band: its five text views (the date with its
//    format, temperature and humidity with "#,##0.00", point and worker)
//    save their design text, take the row's data and get the text back;
//  - one record added to the six totals of the report summary (average,
//    minimum and maximum of temperature and humidity).
//
// Usage: bench_report_text_expansion [source folder]
// Prints plain "name: value" lines; the rates are the best of three runs,
// per second of this thread's processor time (a shared machine lends the
// core to others meanwhile), with the wall-clock rate beside them.
// Exit status 1 when a rate is below its target.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/log_statements.h"
#include "bench/bench_log.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "report/engine/aggregates.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

constexpr int kRows = 100000;
constexpr double kRowTarget = 300000;      // data-band rows per second
constexpr double kRecordTarget = 1000000;  // records added to six totals per second

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Rate {
  double cpu = 0;   // per second of processor time
  double wall = 0;  // per second of wall-clock time
};

template <typename Step>
Rate bestRate(TfrxDataSet& wpisy, int steps, Step step) {
  Rate best;
  for (int run = 0; run < 3; ++run) {
    wpisy.First();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadSeconds();
    for (int i = 0; i < steps; ++i) {
      step();
      wpisy.Next();
      if (wpisy.Eof()) wpisy.First();
    }
    best.cpu = std::max(best.cpu, steps / (threadSeconds() - cpuStart));
    best.wall = std::max(best.wall, steps / (timer.nsecsElapsed() / 1e9));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  const QString sourceDir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral(".."));
  const QString reportFile = QDir(sourceDir).filePath(QStringLiteral("data/Raport.fr3"));
  if (!QFileInfo::exists(reportFile)) {
    std::printf("ERROR: no %s (give the source folder as the first argument)\n", qPrintable(reportFile));
    return 2;
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Valmoro.db"));
  if (!bench::makeLog(path, kRows)) return 2;

  db::Connection connection;
  db::DataSet log(&connection);
  connection.open(path);
  log.setCommandText(app::statements::S5);
  log.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
  log.setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  log.setDisplayFormat(QStringLiteral("Wilgotnosc"), QStringLiteral("#,##0.00"));
  log.open();
  log.fetchAll();  // the whole log in memory
  log.first();

  TfrxDBDataset wpisy;
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetDataSet(&log);
  TfrxReport report;
  report.LoadFromFile(reportFile, true);
  if (!report.Errors().isEmpty() || !report.PrepareScript()) {
    std::printf("ERROR: %s\n", qPrintable(report.Errors().join(QStringLiteral("; "))));
    return 2;
  }
  auto* master = qobject_cast<TfrxMasterData*>(report.FindObject(QStringLiteral("MasterData1")));
  auto* summary = qobject_cast<TfrxReportSummary*>(report.FindObject(QStringLiteral("ReportSummary1")));
  if (!master || !summary) {
    std::printf("ERROR: the report has no MasterData1 or ReportSummary1\n");
    return 2;
  }
  QList<TfrxCustomMemoView*> views;
  for (TfrxComponent* object : master->Objects())
    if (auto* view = qobject_cast<TfrxCustomMemoView*>(object)) views.append(view);

  engine::InstallTextExpansion();
  engine::TfrxAggregateList totals(report);
  // The summary's six totals of the readings (its count of rows aside).
  for (const char* name : {"TemperaturaSrednia", "TemperaturaMinimum", "TemperaturaMaksimum", "WilgotnoscSrednia",
                           "WilgotnoscMinimum", "WilgotnoscMaksimum"})
    if (auto* view = qobject_cast<TfrxCustomMemoView*>(report.FindObject(QString::fromLatin1(name))))
      totals.CollectView(*view, master);
  report.DataSets()->BeginRun();

  qint64 characters = 0;
  const Rate rows = bestRate(wpisy, 1000000, [&] {
    for (TfrxCustomMemoView* view : views) {
      view->SaveDesignState();
      engine::TakeData(*view);
      characters += view->Memo().value(0).size();
      view->RestoreDesignState();
    }
  });
  std::printf("log_rows: %d\n", log.recordCount());
  std::printf("data_band_views: %lld\n", static_cast<long long>(views.size()));
  wpisy.First();
  for (TfrxCustomMemoView* view : views) {
    view->SaveDesignState();
    engine::TakeData(*view);
    std::printf("  %s -> %s\n", qPrintable(view->Name()), qPrintable(view->Text()));
    view->RestoreDesignState();
  }
  std::printf("take_data_rows_per_second: %.0f (target %.0f, wall clock %.0f, checksum %lld)\n", rows.cpu,
              kRowTarget, rows.wall, static_cast<long long>(characters));

  const int items = int(totals.Items().size());
  totals.ResetAll();
  const Rate records = bestRate(wpisy, 4000000, [&] { totals.AddRecord(master, 0); });
  std::printf("aggregate_items: %d\n", items);
  std::printf("aggregate_records_per_second: %.0f (target %.0f, wall clock %.0f, item steps per second %.0f)\n",
              records.cpu, kRecordTarget, records.wall, records.cpu * items);
  // The totals of one pass over the whole log, as the summary prints them.
  totals.ResetAll();
  for (wpisy.First(); !wpisy.Eof(); wpisy.Next()) totals.AddRecord(master, 0);
  totals.CurrentBand = [summary]() -> TfrxBand* { return summary; };
  for (const engine::TfrxAggregateItem& item : totals.Items()) {
    auto* view = qobject_cast<TfrxCustomMemoView*>(item.view.data());
    view->SaveDesignState();
    engine::TakeData(*view);
    std::printf("  %s -> %s\n", qPrintable(view->Name()), qPrintable(view->Text()));
    view->RestoreDesignState();
  }
  report.DataSets()->EndRun();
  if (!report.Errors().isEmpty())
    std::printf("errors: %s\n", report.Errors().join(QStringLiteral("; ")).toUtf8().constData());
  return rows.cpu >= kRowTarget && records.cpu >= kRecordTarget && items == 6 && report.Errors().isEmpty() ? 0 : 1;
}
