// The designer's page workspace: how long a paint of the shipped report
// takes at 100 %, how long selecting 1,000 views takes, and what one frame
// of dragging all of them costs (the moves through the undo stack and the
// repaint).
//
// Usage: bench_designer_bench [REPORT.fr3 [PICTURE.png]]
// (default: data/Raport.fr3 of the source tree; the picture, when named, is
// the report's page as the workspace drew it, for a look).
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "designer/designer_document.h"
#include "designer/drag.h"
#include "designer/rulers.h"
#include "designer/workspace.h"
#include "platform/dialogs.h"
#include "platform/painter_canvas.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

using namespace valmoro;

namespace {

constexpr double kPaintTargetMs = 10;
constexpr double kFrameTargetMs = 16;
constexpr int kManyViews = 1000;

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double paintMs(designer::DesignWorkspace& workspace) {
  QImage image(workspace.viewport()->size(), QImage::Format_RGB32);
  QElapsedTimer timer;
  timer.start();
  {
    gfx::PainterCanvas canvas(image, 96, gfx::DeviceKind::Screen);
    workspace.PaintTo(canvas, QRect(QPoint(0, 0), image.size()));
  }
  return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Recording);
  report::installReportSubsystem();
  bool ok = true;

  // The shipped report at 100 %.
  {
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
    report::TfrxReport report;
    if (!report.LoadFromFile(path, true)) {
      std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
      return 2;
    }
    designer::DesignerDocument document(report);
    designer::DesignArea area(document);
    area.resize(1000, 800);
    area.show();
    QCoreApplication::processEvents();
    area.Workspace()->SetZoom(1);
    std::vector<double> times;
    for (int i = 0; i < 30; ++i) times.push_back(paintMs(*area.Workspace()));
    const double paint = median(times);
    if (argc > 2) {
      QImage picture(area.Workspace()->viewport()->size(), QImage::Format_RGB32);
      {
        gfx::PainterCanvas canvas(picture, 96, gfx::DeviceKind::Screen);
        area.Workspace()->PaintTo(canvas, QRect(QPoint(0, 0), picture.size()));
      }
      picture.save(QString::fromLocal8Bit(argv[2]));
    }
    std::printf("paint_report_ms: %.2f (target %.0f)\n", paint, kPaintTargetMs);
    ok = ok && paint <= kPaintTargetMs;
  }

  // A thousand views on one band, all selected and dragged together.
  {
    report::TfrxReport report;
    auto* page = new report::TfrxReportPage(&report);
    page->SetName(QStringLiteral("Page1"));
    page->ArrangeAlignedChildren();
    auto* band = new report::TfrxMasterData(page);
    band->SetName(QStringLiteral("MasterData1"));
    band->SetBounds(0, 20, page->Width(), 1000);
    for (int i = 0; i < kManyViews; ++i) {
      auto* memo = new report::TfrxMemoView(band);
      memo->SetName(QStringLiteral("Memo%1").arg(i + 1));
      memo->SetBounds(10 + (i % 25) * 28, 10 + (i / 25) * 24, 26, 20);
      memo->SetText(QString::number(i + 1));
    }
    designer::DesignerDocument document(report);
    designer::DesignArea area(document);
    area.resize(1000, 800);
    area.show();
    QCoreApplication::processEvents();
    designer::DesignWorkspace& workspace = *area.Workspace();

    QElapsedTimer timer;
    timer.start();
    QList<report::TfrxComponent*> all;
    for (report::TfrxComponent* child : band->Objects()) all.append(child);
    document.SetSelection(all);
    QCoreApplication::processEvents();
    const double selectMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("select_all_%d_ms: %.2f\n", kManyViews, selectMs);

    designer::DragController& drag = workspace.Drag();
    const QPointF grab = band->Objects().first()->AbsoluteBounds().center();
    drag.Press(grab, {});
    // One frame: the mouse move handled, then the viewport drawn (events
    // between frames, the widget's own repaint among them, are not counted).
    std::vector<double> frames, moves, paints;
    for (int step = 1; step <= 40; ++step) {
      QCoreApplication::processEvents();
      timer.restart();
      drag.MoveTo(grab + QPointF(step * 1.5, step * 0.5), Qt::AltModifier);
      moves.push_back(double(timer.nsecsElapsed()) / 1e6);
      paints.push_back(paintMs(workspace));
      frames.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("drag_move_%d_ms: %.2f\n", kManyViews, median(moves));
    std::printf("drag_paint_%d_ms: %.2f\n", kManyViews, median(paints));
    timer.restart();
    drag.Release(grab + QPointF(60, 20), Qt::AltModifier);
    std::printf("drag_release_%d_ms: %.2f\n", kManyViews, double(timer.nsecsElapsed()) / 1e6);
    const double frame = median(frames);
    std::printf("drag_frame_%d_ms: %.2f (target %.0f)\n", kManyViews, frame, kFrameTargetMs);
    std::printf("drag_undo_steps: %d\n", document.UndoStack().count());
    ok = ok && frame <= kFrameTargetMs;
  }
  return ok ? 0 : 1;
}
