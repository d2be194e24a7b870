// Building a report of 10,000 text views with unique names, then finding each
// of them by name. Both must stay far from quadratic: the target is under
// 0.5 s for building and finding together.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

using namespace valmoro::report;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int kViews = 10000;
  constexpr int kBands = 20;

  const auto start = std::chrono::steady_clock::now();
  auto* report = new TfrxReport;
  auto* page = new TfrxReportPage(report);
  page->CreateUniqueName();
  QList<TfrxBand*> bands;
  for (int b = 0; b < kBands; ++b) {
    bands.append(new TfrxMasterData(page));
    bands.last()->CreateUniqueName();
  }
  for (int i = 0; i < kViews; ++i) {
    auto* memo = new TfrxMemoView(bands[i % kBands]);
    memo->CreateUniqueName();
    memo->SetBounds(0, i % 50 * 20, 100, 18);
  }
  const double built = secondsSince(start);

  const auto findStart = std::chrono::steady_clock::now();
  int found = 0;
  for (int i = 1; i <= kViews; ++i) {
    // Letter case differs from the stored name on purpose.
    if (report->FindObject(QStringLiteral("MEMO") + QString::number(i))) ++found;
  }
  const double searched = secondsSince(findStart);

  const auto destroyStart = std::chrono::steady_clock::now();
  delete report;
  const double destroyed = secondsSince(destroyStart);

  const double total = built + searched;
  std::printf("%d text views built and named: %.3f s\n", kViews, built);
  std::printf("%d finds by name (%d found):    %.3f s\n", kViews, found, searched);
  std::printf("building + finding:               %.3f s (target < 0.5 s) %s\n", total,
              total < 0.5 && found == kViews ? "OK" : "TOO SLOW OR WRONG");
  std::printf("destroying the report:            %.3f s\n", destroyed);
  return total < 0.5 && found == kViews ? 0 : 1;
}
