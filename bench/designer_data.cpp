// The designer's data tree and field drops: how long the tree of the
// shipped report takes to build (with a data set and 500 variables in 10
// categories), how long a look at an unchanged report costs (made after
// every undo step), and what dropping a field costs on a page of 10,000
// views, with its undo.
//
// Usage: bench_designer_data
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/designer_bench_support.h"
#include "designer/data_tree.h"
#include "designer/designer_document.h"
#include "designer/field_drop.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

using namespace valmoro;
using bench::median;
using bench::msSince;

namespace {

constexpr double kBuildTargetMs = 50;
constexpr double kRefreshTargetMs = 5;
constexpr double kDropTargetMs = 100;
constexpr int kViews = 10000;

}  // namespace

int main(int argc, char** argv) {
  bench::DesignerBenchApp app(argc, argv);
  bool ok = true;

  report::TfrxUserDataSet wpisy;
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetFields({"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"});

  {
    report::TfrxReport report;
    report.LoadFromFile(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), true);
    for (int c = 0; c < 10; ++c)
      for (int v = 0; v < 50; ++v)
        report.Variables()->AddVariable(QStringLiteral("Kategoria %1").arg(c), QStringLiteral("Zmienna%1_%2").arg(c).arg(v),
                                        QStringLiteral("%1 * 2").arg(v));
    designer::DataTreeModel warm(report);  // the function library is read once per process
    std::vector<double> builds, refreshes;
    for (int i = 0; i < 15; ++i) {
      QElapsedTimer t;
      t.start();
      designer::DataTreeModel model(report);
      builds.push_back(msSince(t));
      t.restart();
      model.Refresh();
      refreshes.push_back(msSince(t));
    }
    const double build = median(builds), refresh = median(refreshes);
    std::printf("data_tree_build_ms: %.2f (target %.0f)\n", build, kBuildTargetMs);
    std::printf("data_tree_unchanged_refresh_ms: %.3f (target %.0f)\n", refresh, kRefreshTargetMs);
    ok = ok && build <= kBuildTargetMs && refresh <= kRefreshTargetMs;
  }

  {
    report::TfrxReport report;
    auto* page = new report::TfrxReportPage(&report);
    page->SetName(QStringLiteral("Page1"));
    auto* band = new report::TfrxMasterData(page);
    band->SetName(QStringLiteral("MasterData1"));
    band->SetBounds(0, 20, 718, 4000);
    for (int i = 0; i < kViews; ++i) {
      auto* memo = new report::TfrxMemoView(band);
      memo->SetName(QStringLiteral("Memo%1").arg(i + 1));
      memo->SetBounds((i % 10) * 70, (i / 10) * 4, 60, 4);
      memo->SetText(QStringLiteral("[Line#]"));
    }
    report.DataSets()->Add(&wpisy);
    designer::DesignerDocument document(report);
    document.SetCurrentPage(page);
    std::vector<double> drops, undos;
    for (int i = 0; i < 5; ++i) {
      QElapsedTimer t;
      t.start();
      const QString refusal = designer::DropField(document, *band, QStringLiteral("Wpisy"), QStringLiteral("Temperatura"),
                                                  QPointF(100, 200), false);
      drops.push_back(msSince(t));
      if (!refusal.isEmpty()) {
        std::printf("drop refused: %s\n", qPrintable(refusal));
        return 1;
      }
      t.restart();
      document.UndoStack().undo();
      undos.push_back(msSince(t));
    }
    const double drop = median(drops), undo = median(undos);
    std::printf("drop_field_10000_views_ms: %.2f (target %.0f)\n", drop, kDropTargetMs);
    std::printf("undo_drop_10000_views_ms: %.2f (target %.0f)\n", undo, kDropTargetMs);
    ok = ok && drop <= kDropTargetMs && undo <= kDropTargetMs;
  }
  return ok ? 0 : 1;
}
