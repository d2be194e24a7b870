// How fast the report evaluates the expressions a data band asks for on
// every row: a data field alone, and a small expression around one, over the
// data set "Wpisy" bound to a log of 100,000 readings held in memory, moving
// to the next row before each evaluation.
//
// Usage: bench_report_calc
// Prints plain "name: value" lines; the rates are the best of three runs.
// Exit status 1 when a rate is below its target.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "app/log_statements.h"
#include "bench/bench_log.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"

using namespace valmoro;

namespace {

constexpr int kRows = 100000;
constexpr double kFieldTarget = 2000000;       // evaluations per second
constexpr double kExpressionTarget = 500000;

// Calls per second of Calc(expression), stepping through the rows.
double rate(report::TfrxReport& report, report::TfrxDataSet& wpisy, const QString& expression, int calls,
            double* checksum) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    wpisy.First();
    double sum = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i) {
      sum += report.Calc(expression).toDouble();
      wpisy.Next();
      if (wpisy.Eof()) wpisy.First();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    best = std::max(best, calls / seconds);
    *checksum = sum;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Valmoro.db"));
  if (!bench::makeLog(path, kRows)) return 2;

  db::Connection connection;
  db::DataSet log(&connection);
  connection.open(path);
  log.setCommandText(app::statements::S5);
  log.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
  log.open();
  log.fetchAll();  // the whole log in memory
  log.first();

  report::TfrxDBDataset wpisy;
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetDataSet(&log);
  report::TfrxReport report;
  report.DataSets()->Add(&wpisy);
  if (!report.PrepareScript()) return 2;
  report.DataSets()->BeginRun();

  double checksum = 0;
  const double field = rate(report, wpisy, QStringLiteral("Wpisy.\"Temperatura\""), 4000000, &checksum);
  std::printf("rows: %d\n", log.recordCount());
  std::printf("calc_field_per_second: %.0f (target %.0f, checksum %.1f)\n", field, kFieldTarget, checksum);
  const double expression =
      rate(report, wpisy, QStringLiteral("<Wpisy.\"Temperatura\"> * 2 + 1"), 1000000, &checksum);
  std::printf("calc_expression_per_second: %.0f (target %.0f, checksum %.1f)\n", expression, kExpressionTarget,
              checksum);
  report.DataSets()->EndRun();
  if (!report.Errors().isEmpty()) std::printf("errors: %s\n", report.Errors().join(QStringLiteral("; ")).toUtf8().constData());
  return field >= kFieldTarget && expression >= kExpressionTarget && report.Errors().isEmpty() ? 0 : 1;
}
