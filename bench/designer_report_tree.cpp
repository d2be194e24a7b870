// The designer's report tree over a document of 10,000 objects (one page,
// 100 data bands of 99 text views each): how long the tree takes to be
// built and shown, how long it takes to follow a selection the workspace
// makes (one view, then 1,000 views, then the tree's own selection given
// to the document), and what an insertion and its undo cost.
//
// Usage: bench_designer_report_tree
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/designer_bench_support.h"
#include "designer/designer_document.h"
#include "designer/report_tree.h"
#include "designer/report_tree_model.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

using namespace valmoro;
using bench::median;
using bench::msSince;

namespace {

constexpr double kBuildTargetMs = 300;
constexpr double kSelectTargetMs = 5;

}  // namespace

int main(int argc, char** argv) {
  bench::DesignerBenchApp app(argc, argv);
  bool ok = true;

  report::TfrxReport report;
  auto* page = new report::TfrxReportPage(&report);
  page->SetName(QStringLiteral("Page1"));
  page->SetLargeDesignHeight(true);
  QList<report::TfrxComponent*> memos;
  for (int b = 0; b < 100; ++b) {
    auto* band = new report::TfrxMasterData(page);
    band->SetName(QStringLiteral("MasterData%1").arg(b + 1));
    band->SetBounds(0, 20 + b * 140, page->Width(), 120);
    for (int i = 0; i < 99; ++i) {
      auto* memo = new report::TfrxMemoView(band);
      memo->SetName(QStringLiteral("Memo%1").arg(b * 99 + i + 1));
      memo->SetBounds(4 + (i % 11) * 64, 4 + (i / 11) * 12, 60, 11);
      memos.append(memo);
    }
  }
  designer::DesignerDocument document(report);

  // Built and shown: the model over every object, the view laid out.
  QElapsedTimer timer;
  timer.start();
  auto* tree = new designer::ReportTree(document);
  tree->resize(360, 900);
  tree->show();
  QCoreApplication::processEvents();
  const double buildMs = msSince(timer);
  std::printf("objects_in_tree: %d\n", tree->Model().ObjectCount());
  std::printf("build_10000_objects_ms: %.1f (target %.0f)\n", buildMs, kBuildTargetMs);
  ok = ok && buildMs <= kBuildTargetMs && tree->Model().ObjectCount() == 1 + 1 + 100 * 100;

  // The workspace selects one view after another, in bands far apart: the
  // tree selects, opens the band and scrolls to it.
  // Each figure twice: what the tree does when the document's selection
  // changes (select, open, scroll), and that with the repaint it causes.
  std::vector<double> single, singlePainted;
  for (int i = 0; i < 50; ++i) {
    report::TfrxComponent* memo = memos[(i * 397) % memos.size()];
    timer.restart();
    document.Select(memo);
    single.push_back(msSince(timer));
    QCoreApplication::processEvents();
    singlePainted.push_back(msSince(timer));
  }
  const double singleMs = median(single);
  std::printf("follow_select_one_ms: %.2f (median of 50; target %.0f; with the repaint %.2f)\n", singleMs,
              kSelectTargetMs, median(singlePainted));

  // 1,000 views at once, one selection applied: those of eleven bands
  // (rows that follow each other) and every tenth view (each row alone).
  double painted = 0;
  auto follow = [&](const QList<report::TfrxComponent*>& objects) {
    std::vector<double> times, withPaint;
    for (int round = 0; round < 5; ++round) {
      document.ClearSelection();
      QCoreApplication::processEvents();
      timer.restart();
      document.SetSelection(objects);
      times.push_back(msSince(timer));
      QCoreApplication::processEvents();
      withPaint.push_back(msSince(timer));
    }
    painted = median(withPaint);
    return median(times);
  };
  QList<report::TfrxComponent*> scattered;
  for (qsizetype i = 0; i < memos.size(); i += 10) scattered.append(memos[i]);
  scattered = scattered.mid(0, 1000);
  const double manyMs = follow(memos.mid(0, 1000));
  const auto shown = tree->View()->selectionModel()->selectedRows().size();
  std::printf("follow_select_1000_ms: %.2f (median of 5; %lld rows selected; target %.0f; with the repaint %.2f)\n",
              manyMs, static_cast<long long>(shown), kSelectTargetMs, painted);
  const double scatteredMs = follow(scattered);
  std::printf("follow_select_1000_scattered_ms: %.2f (median of 5; target %.0f; with the repaint %.2f)\n", scatteredMs,
              kSelectTargetMs, painted);
  ok = ok && singleMs <= kSelectTargetMs && manyMs <= kSelectTargetMs && scatteredMs <= kSelectTargetMs;

  // The tree's own selection of a whole band given to the document.
  designer::ReportTreeModel& model = tree->Model();
  const QModelIndex band = model.IndexOf(report.FindObject(QStringLiteral("MasterData50")));
  timer.restart();
  tree->View()->selectionModel()->select(
      QItemSelection(model.index(0, 0, band), model.index(98, designer::ReportTreeModel::ColumnCount - 1, band)),
      QItemSelectionModel::ClearAndSelect);
  QCoreApplication::processEvents();
  const double treeToDocumentMs = msSince(timer);  // with the repaint
  std::printf("tree_select_band_of_99_ms: %.2f (document has %lld)\n", treeToDocumentMs,
              static_cast<long long>(document.Selection().size()));

  // An insertion and its undo, each followed by the tree.
  timer.restart();
  document.Run([&] {
    return new report::edit::InsertCommand(report, QStringLiteral("TfrxMemoView"), QStringLiteral("MasterData50"),
                                           QRectF(0, 100, 60, 11));
  });
  QCoreApplication::processEvents();
  const double insertMs = msSince(timer);
  timer.restart();
  document.UndoStack().undo();
  QCoreApplication::processEvents();
  const double undoMs = msSince(timer);
  std::printf("insert_one_view_ms: %.2f\nundo_insert_ms: %.2f\n", insertMs, undoMs);

  // Reading the whole document again (a new document, an undo of a
  // whole-report change): the tree is built anew.
  timer.restart();
  model.Rebuild();
  QCoreApplication::processEvents();
  std::printf("rebuild_10000_objects_ms: %.1f\n", msSince(timer));

  delete tree;
  return ok ? 0 : 1;
}
