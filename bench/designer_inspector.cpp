// The designer's object inspector: how long it takes to show a text view
// of the shipped report when the selection moves to it (about sixty
// properties with their nested rows), and to show a selection of 1,000
// views (properties common to all, values shared and mixed). Also shown,
// without a target: the refresh after one value was given to all of them.
//
// Usage: bench_designer_inspector [REPORT.fr3]
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/designer_bench_support.h"
#include "designer/designer_document.h"
#include "designer/object_inspector.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

using namespace valmoro;
using bench::median;
using bench::msSince;

namespace {

constexpr double kOneViewTargetMs = 20;
constexpr double kManyViewsTargetMs = 50;
constexpr int kManyViews = 1000;

}  // namespace

int main(int argc, char** argv) {
  bench::DesignerBenchApp app(argc, argv);
  bool ok = true;

  // One text view after another of the shipped report.
  {
    report::TfrxReport report;
    if (!bench::loadBenchReport(report, argc, argv, QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"))) return 2;
    designer::DesignerDocument document(report);
    if (!document.CurrentPage()) document.SetCurrentPage(document.Pages().value(0));
    designer::ObjectInspector inspector(document);
    inspector.resize(360, 800);
    inspector.show();
    QCoreApplication::processEvents();
    QList<report::TfrxComponent*> memos;
    for (report::TfrxComponent* object : report.AllObjects())
      if (qobject_cast<report::TfrxMemoView*>(object)) memos.append(object);
    std::vector<double> times;
    for (int i = 0; i < 60; ++i) {
      QElapsedTimer timer;
      timer.start();
      document.Select(memos[i % memos.size()]);
      QCoreApplication::processEvents();
      times.push_back(msSince(timer));
    }
    const double one = median(times);
    std::printf("inspector_rows_text_view: %d\n", inspector.Model().RowCount());
    std::printf("inspector_select_text_view_ms: %.2f (target %.0f)\n", one, kOneViewTargetMs);
    ok = ok && one <= kOneViewTargetMs;
  }

  // A thousand views on one band, positions and texts differing.
  {
    report::TfrxReport report;
    report::TfrxBand* band = bench::addManyViews(report, kManyViews);
    designer::DesignerDocument document(report);
    designer::ObjectInspector inspector(document);
    inspector.resize(360, 800);
    inspector.show();
    QCoreApplication::processEvents();
    QList<report::TfrxComponent*> all(band->Objects().begin(), band->Objects().end());
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
      document.Select(band);
      QCoreApplication::processEvents();
      QElapsedTimer timer;
      timer.start();
      document.SetSelection(all);
      QCoreApplication::processEvents();
      times.push_back(msSince(timer));
    }
    const double many = median(times);
    int mixed = 0;
    for (const designer::InspectorRow& row : inspector.Model().Rows()) mixed += row.mixed ? 1 : 0;
    std::printf("inspector_rows_%d_views: %d (%d mixed)\n", kManyViews, inspector.Model().RowCount(), mixed);
    std::printf("inspector_select_%d_views_ms: %.2f (target %.0f)\n", kManyViews, many, kManyViewsTargetMs);
    ok = ok && many <= kManyViewsTargetMs;

    // One value for all of them: the command and the refresh after it.
    designer::InspectorModel& model = inspector.Model();
    const int row = model.FindRow(QStringLiteral("HAlign"));
    QElapsedTimer timer;
    timer.start();
    const QString refusal = model.Apply(row, QStringLiteral("haRight"));
    QCoreApplication::processEvents();
    std::printf("inspector_apply_%d_views_ms: %.2f%s\n", kManyViews, msSince(timer),
                refusal.isEmpty() ? "" : " (refused)");
    timer.restart();
    document.UndoStack().undo();
    QCoreApplication::processEvents();
    std::printf("inspector_undo_%d_views_ms: %.2f\n", kManyViews, msSince(timer));
  }
  return ok ? 0 : 1;
}
