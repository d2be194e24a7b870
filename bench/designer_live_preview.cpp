// The live preview over the shipped report and a log of 5,000 rows: the
// time from an edit to the new page on show (the gathering of edits
// included), and how long the workspace's event loop waits while a refresh
// runs (the document's bytes and the snapshot of the log are taken on it).
//
// Usage: bench_designer_live_preview [REPORT.fr3]
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QElapsedTimer>
#include <QDateTime>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "bench/designer_bench_support.h"
#include "designer/designer_document.h"
#include "designer/live_preview.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"

using namespace valmoro;
using bench::median;
using bench::msSince;

namespace {

constexpr double kEditToPageTargetMs = 300;
constexpr double kLoopGapTargetMs = 50;
constexpr int kRows = 5000;

}  // namespace

int main(int argc, char** argv) {
  bench::DesignerBenchApp app(argc, argv);
  bool ok = true;

  // "Wpisy" as the program offers it: a data set of its own, not the report's.
  report::TfrxUserDataSet wpisy;
  wpisy.SetName(QStringLiteral("frxDBDataset1"));
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetFields({QStringLiteral("Identyfikator"), QStringLiteral("Data"), QStringLiteral("Modul"), QStringLiteral("Punkt"),
                   QStringLiteral("Temperatura"), QStringLiteral("Wilgotnosc"), QStringLiteral("Pracownik")});
  wpisy.SetRangeEnd(report::reCount);
  wpisy.SetRangeEndCount(kRows);
  wpisy.OnNewGetValue = [](report::TfrxDataSet* set, const QString& field, QVariant& value) {
    const int row = set->RecNo();
    if (field == QLatin1String("Identyfikator")) value = row + 1;
    else if (field == QLatin1String("Data")) value = QDateTime(QDate(2026, 1, 1), QTime(8, 0)).addSecs(qint64(row) * 3600);
    else if (field == QLatin1String("Modul")) value = QStringLiteral("Magazyn");
    else if (field == QLatin1String("Punkt")) value = QStringLiteral("Chłodnia %1").arg(row % 7);
    else if (field == QLatin1String("Temperatura")) value = 4.0 + (row % 50) / 10.0;
    else if (field == QLatin1String("Wilgotnosc")) value = 40.0 + (row % 30);
    else value = QStringLiteral("Nowak");
  };

  report::TfrxReport report;
  if (!bench::loadBenchReport(report, argc, argv, QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"))) return 1;
  designer::DesignerDocument document(report);
  designer::LivePreview preview(document);
  preview.resize(520, 700);
  preview.show();

  auto waitShown = [&](int before) {
    QElapsedTimer timer;
    timer.start();
    while ((preview.ShownCount() <= before || preview.Busy()) && timer.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return preview.ShownCount() > before;
  };
  if (!waitShown(0) || !preview.Message().isEmpty()) {
    std::fprintf(stderr, "no first page: %s\n", qPrintable(preview.Message()));
    return 1;
  }

  // The event loop's gaps, seen by a timer that wants to run every 2 ms.
  double longestGap = 0;
  std::vector<double> gaps;
  QElapsedTimer sinceTick;
  QTimer ticker;
  ticker.setInterval(2);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const double gap = msSince(sinceTick);
    sinceTick.restart();
    if (preview.Busy()) {
      gaps.push_back(gap);
      longestGap = std::max(longestGap, gap);
    }
  });
  sinceTick.start();
  ticker.start();

  std::vector<double> editToPage, takeBytes;
  for (int i = 0; i < 15; ++i) {
    const int before = preview.ShownCount();
    QElapsedTimer timer;
    timer.start();
    document.Run([&] {
      return new report::edit::SetPropertyCommand(report, {QStringLiteral("Tytul")}, QStringLiteral("Text"),
                                                  QStringLiteral("Dziennik pomiarów %1").arg(i));
    });
    if (!waitShown(before)) {
      std::fprintf(stderr, "edit %d not shown\n", i);
      return 1;
    }
    editToPage.push_back(msSince(timer));
    QElapsedTimer bytes;
    bytes.start();
    (void)designer::TakeLiveRequest(document, 500);
    takeBytes.push_back(msSince(bytes));
  }
  ticker.stop();

  // Without the gathering of edits: the preparation alone, in this thread.
  std::vector<double> prepareOnly;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer timer;
    timer.start();
    const designer::LivePage page = designer::PrepareLivePage(designer::TakeLiveRequest(document, 500), std::make_shared<designer::LiveRun>());
    prepareOnly.push_back(msSince(timer));
    if (page.image.isNull()) {
      std::fprintf(stderr, "%s\n", qPrintable(page.error));
      return 1;
    }
  }

  const double editMedian = median(editToPage);
  const double editWorst = *std::max_element(editToPage.begin(), editToPage.end());
  std::printf("live_edit_to_page_median_ms: %.1f (target <= %.0f, debounce %d ms included)\n", editMedian,
              kEditToPageTargetMs, designer::LivePreview::kDebounceMs);
  std::printf("live_edit_to_page_worst_ms: %.1f\n", editWorst);
  std::printf("live_prepare_first_page_median_ms: %.1f (load, snapshot of %d rows, prepare, draw)\n", median(prepareOnly),
              std::min(kRows, designer::kLiveSnapshotRows));
  std::printf("live_take_document_bytes_median_ms: %.2f\n", median(takeBytes));
  std::printf("live_event_loop_gap_median_ms: %.2f\n", median(gaps));
  std::printf("live_event_loop_gap_longest_ms: %.1f (target <= %.0f)\n", longestGap, kLoopGapTargetMs);
  if (editMedian > kEditToPageTargetMs) ok = false;
  if (longestGap > kLoopGapTargetMs) ok = false;
  return ok ? 0 : 1;
}
