// The page workspace driven as a user drives it: the shipped report opened
// in a design area, mouse and keys sent to the real widgets.
#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

#include "designer/designer_document.h"
#include "designer/drag.h"
#include "designer/object_catalogue.h"
#include "designer/rulers.h"
#include "designer/workspace.h"
#include "platform/recording_canvas.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/edit/hit_test.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

using namespace valmoro;
using designer::DesignArea;
using designer::DesignWorkspace;
using report::TfrxComponent;
using namespace report::edit;

namespace {

constexpr double kStep = 3.77953;  // the grid: 0,1 cm

double gridded(double value) { return std::round(value / kStep) * kStep; }

struct Designer {
  report::TfrxReport report;
  std::unique_ptr<designer::DesignerDocument> document;
  std::unique_ptr<DesignArea> area;

  explicit Designer(const std::function<void(report::TfrxReport&)>& prepare = {},
                    designer::DesignerDefaults defaults = {}) {
    report.LoadFromFile(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), true);
    if (prepare) prepare(report);
    document = std::make_unique<designer::DesignerDocument>(report, defaults);
    if (document->CurrentPage() == nullptr) document->SetCurrentPage(document->Pages().value(0));
    area = std::make_unique<DesignArea>(*document);
    area->resize(1000, 800);
    area->show();
    QCoreApplication::processEvents();
  }
  DesignWorkspace& ws() { return *area->Workspace(); }
  QWidget* viewport() { return ws().viewport(); }
  TfrxComponent* object(const char* name) { return report.FindObject(QString::fromLatin1(name)); }
  report::TfrxReportPage* page() { return qobject_cast<report::TfrxReportPage*>(document->CurrentPage()); }
  QPointF at(QPointF pagePoint) { return ws().PageToViewport(pagePoint); }
  QPointF centreOf(const char* name) { return at(object(name)->AbsoluteBounds().center()); }

  void send(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
  }
  // A press, moves in a few steps and a release, all in viewport pixels.
  void drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = {}, QWidget* target = nullptr) {
    QWidget* w = target ? target : viewport();
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, modifiers);
    for (int i = 1; i <= 5; ++i)
      send(w, QEvent::MouseMove, from + (to - from) * (i / 5.0), Qt::NoButton, Qt::LeftButton, modifiers);
    send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, modifiers);
  }
  void click(QPointF pos, Qt::KeyboardModifiers modifiers = {}) {
    send(viewport(), QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
    send(viewport(), QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
  }
  QRectF bounds(const char* name) {
    const TfrxComponent* o = object(name);
    return {o->Left(), o->Top(), o->Width(), o->Height()};
  }
  QStringList selected() {
    QStringList names = document->SelectedNames();
    names.sort();
    return names;
  }
};

void expectRect(const QRectF& actual, const QRectF& expected) {
  EXPECT_NEAR(actual.left(), expected.left(), 1e-6);
  EXPECT_NEAR(actual.top(), expected.top(), 1e-6);
  EXPECT_NEAR(actual.width(), expected.width(), 1e-6);
  EXPECT_NEAR(actual.height(), expected.height(), 1e-6);
}

// The views of the page that no later-drawn view covers at their centre.
bool uncoveredAtCentre(const report::TfrxPage& page, const TfrxComponent* view) {
  const QList<TfrxComponent*> all = page.AllObjects();
  const QPointF c = view->AbsoluteBounds().center();
  for (qsizetype i = all.indexOf(const_cast<TfrxComponent*>(view)) + 1; i < all.size(); ++i)
    if (qobject_cast<report::TfrxView*>(all.at(i)) && all.at(i)->AbsoluteBounds().contains(c)) return false;
  return true;
}

}  // namespace

TEST(DesignWorkspaceTest, EveryBandAndViewIsDrawnAndFoundWhereTheDocumentPutsIt) {
  Designer d;
  ASSERT_NE(d.page(), nullptr);
  for (double zoom : {1.0, 2.0}) {
    SCOPED_TRACE(zoom);
    d.ws().SetZoom(zoom);
    d.ws().verticalScrollBar()->setValue(0);
    d.ws().horizontalScrollBar()->setValue(0);
    gfx::RecordingCanvas canvas;
    // A tall clip, so that every object is drawn.
    d.ws().PaintTo(canvas, QRect(0, 0, 4000, 4000));
    const auto texts = canvas.callsOf(gfx::DrawCall::Text);
    const auto fills = canvas.callsOf(gfx::DrawCall::FillRect);
    int bands = 0, views = 0, captions = 0;
    for (TfrxComponent* object : d.page()->AllObjects()) {
      SCOPED_TRACE(object->Name().toStdString());
      const QRectF abs = object->AbsoluteBounds();
      const QRectF screen = d.ws().PageToViewport(abs);
      if (auto* band = qobject_cast<report::TfrxBand*>(object)) {
        ++bands;
        // The band's area as a tinted rectangle, its caption above it.
        const gfx::Rect r{int(std::lround(screen.left())), int(std::lround(screen.top())),
                          int(std::lround(screen.right())), int(std::lround(screen.bottom()))};
        EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [&](const gfx::DrawCall& c) { return c.rect == r; }));
        // Its caption in the gap above it, where the gap is tall enough
        // to hold one (the shipped report keeps some bands closer).
        const QRectF strip = designer::CaptionRect(*band);
        EXPECT_NEAR(strip.bottom(), abs.top(), 1e-9);
        EXPECT_LE(strip.height(), designer::kBandCaptionHeight + 1e-9);
        // The kind as the object bar names it ("Dane główne: MasterData1").
        const QString caption = designer::CatalogueCaption(band->ClassName()) + QStringLiteral(": ") + band->Name();
        const auto found = std::find_if(texts.begin(), texts.end(), [&](const gfx::DrawCall& c) { return c.text == caption; });
        if (strip.height() * zoom < 8) {
          EXPECT_EQ(found, texts.end());
          continue;
        }
        ++captions;
        ASSERT_NE(found, texts.end());
        EXPECT_LT(found->points.at(0).y(), screen.top());
        EXPECT_GE(found->points.at(0).y(), d.ws().PageToViewport(strip).top() - 1);
        const designer::DesignHit hit = d.ws().Drag().HitAt(QPointF(abs.center().x(), strip.center().y()));
        EXPECT_EQ(hit.kind, designer::DesignHit::Kind::Caption);
        EXPECT_EQ(hit.object, band);
      } else if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(object)) {
        ++views;
        if (!memo->Text().isEmpty()) {
          // Its text drawn inside its rectangle.
          const QRectF inside = screen.adjusted(-1, -1, 1, 1);
          EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const gfx::DrawCall& c) {
            return inside.contains(c.points.at(0)) && memo->Text().contains(c.text.trimmed());
          }));
        }
        // Pointing at it finds it, back through the workspace's coordinates.
        const QPointF back = d.ws().ViewportToPage(screen.center());
        EXPECT_NEAR(back.x(), abs.center().x(), 1e-9);
        EXPECT_NEAR(back.y(), abs.center().y(), 1e-9);
        if (uncoveredAtCentre(*d.page(), memo)) {
          const designer::DesignHit hit = d.ws().Drag().HitAt(back);
          EXPECT_EQ(hit.kind, designer::DesignHit::Kind::View);
          EXPECT_EQ(hit.object, memo);
        }
      }
    }
    EXPECT_EQ(bands, 5);
    // Title, data and summary have room for theirs; header and footer
    // stand only 0,1 cm below the band above.
    EXPECT_EQ(captions, 3);
    EXPECT_EQ(views, 28);
    EXPECT_EQ(d.ws().LastPaintedViews(), 28);
  }
}

TEST(DesignWorkspaceTest, GridDotsOnlyWhenShownAndWideEnough) {
  Designer d;
  auto gridRows = [&] {
    gfx::RecordingCanvas canvas;
    d.ws().PaintTo(canvas, d.viewport()->rect());
    return canvas.callsOf(gfx::DrawCall::Image).size();
  };
  d.ws().SetZoom(1);  // 3,8 px between grid lines: too close
  EXPECT_EQ(gridRows(), 0u);
  d.ws().SetZoom(2);  // 7,6 px
  EXPECT_GT(gridRows(), 10u);
  d.document->Options().showGrid = false;
  EXPECT_EQ(gridRows(), 0u);
}

TEST(DesignWorkspaceTest, ClickSelectsShiftTogglesAndEmptyPaperClears) {
  Designer d;
  d.click(d.centreOf("PolePunkt"));
  EXPECT_EQ(d.selected(), QStringList{"PolePunkt"});
  d.click(d.centreOf("PoleData"), Qt::ShiftModifier);
  EXPECT_EQ(d.selected(), (QStringList{"PoleData", "PolePunkt"}));
  EXPECT_EQ(d.document->Selection().first()->Name(), "PolePunkt");
  d.click(d.centreOf("PolePunkt"), Qt::ShiftModifier);
  EXPECT_EQ(d.selected(), QStringList{"PoleData"});
  // A band's caption selects the band; the paper below the bands clears.
  const report::TfrxBand* summary = qobject_cast<report::TfrxBand*>(d.object("ReportSummary1"));
  d.click(d.at(designer::CaptionRect(*summary).center()));
  EXPECT_EQ(d.selected(), QStringList{"ReportSummary1"});
  d.click(d.at({600, 500}));
  EXPECT_TRUE(d.selected().isEmpty());
}

TEST(DesignWorkspaceTest, DraggingAViewSnapsToTheGridUnlessAltIsHeld) {
  Designer d;
  const QByteArray before = d.document->DocumentBytes();
  const QRectF start = d.bounds("PolePunkt");
  const int steps = d.document->UndoStack().count();
  const QPointF from = d.centreOf("PolePunkt");
  d.drag(from, from + QPointF(50, 0));
  // 132,28 + 50 px lies between grid lines; it goes to the nearest.
  expectRect(d.bounds("PolePunkt"), QRectF(gridded(start.left() + 50), 0, start.width(), start.height()));
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);

  d.drag(from, from + QPointF(50, 0), Qt::AltModifier);
  expectRect(d.bounds("PolePunkt"), start.translated(50, 0));
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);

  // At 200 % the same 50 screen pixels are 25 report pixels.
  d.document->UndoStack().undo();
  d.ws().SetZoom(2);
  const QPointF zoomed = d.centreOf("PolePunkt");
  d.drag(zoomed, zoomed + QPointF(50, 0), Qt::AltModifier);
  expectRect(d.bounds("PolePunkt"), start.translated(25, 0));
}

TEST(DesignWorkspaceTest, AViewDroppedOnAnotherBandGoesIntoItInOneStep) {
  Designer d;
  const QByteArray before = d.document->DocumentBytes();
  TfrxComponent* view = d.object("PolePunkt");
  const QPointF absolute(view->AbsLeft(), view->AbsTop());
  const QPointF from = d.centreOf("PolePunkt");
  const int steps = d.document->UndoStack().count();
  d.drag(from, from + QPointF(0, 60), Qt::AltModifier);
  EXPECT_EQ(view->Parent()->Name(), "ReportSummary1");
  EXPECT_NEAR(view->AbsLeft(), absolute.x(), 1e-6);
  EXPECT_NEAR(view->AbsTop(), absolute.y() + 60, 1e-6);
  EXPECT_NEAR(view->Top(), absolute.y() + 60 - d.object("ReportSummary1")->AbsTop(), 1e-6);
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);
  EXPECT_EQ(d.object("PolePunkt")->Parent()->Name(), "MasterData1");
  d.document->UndoStack().redo();
  EXPECT_EQ(d.object("PolePunkt")->Parent()->Name(), "ReportSummary1");
}

TEST(DesignWorkspaceTest, SelectedObjectsMoveTogetherAndThoseThatMayNotMoveStay) {
  Designer d([](report::TfrxReport& r) {
    TfrxComponent* fixed = r.FindObject(QStringLiteral("PoleData"));
    fixed->SetRestrictions(report::rfDontMove);
  });
  d.click(d.centreOf("PolePunkt"));
  d.click(d.centreOf("PoleTemperatura"), Qt::ShiftModifier);
  d.click(d.centreOf("PoleData"), Qt::ShiftModifier);
  const QRectF punkt = d.bounds("PolePunkt"), temperatura = d.bounds("PoleTemperatura"), data = d.bounds("PoleData");
  const QPointF from = d.centreOf("PoleTemperatura");
  d.drag(from, from + QPointF(-7, 3), Qt::AltModifier);
  expectRect(d.bounds("PolePunkt"), punkt.translated(-7, 3));
  expectRect(d.bounds("PoleTemperatura"), temperatura.translated(-7, 3));
  expectRect(d.bounds("PoleData"), data);
  EXPECT_EQ(d.selected().size(), 3);
}

TEST(DesignWorkspaceTest, EachHandleResizesItsEdges) {
  Designer d;
  d.click(d.centreOf("PolePunkt"));
  const QRectF start = d.bounds("PolePunkt");
  const QByteArray before = d.document->DocumentBytes();
  const QPointF delta(11, 7);
  struct Case {
    int handle;
    QRectF expected;
  };
  const Case cases[] = {
      {hTopLeft, start.adjusted(11, 7, 0, 0)},   {hTop, start.adjusted(0, 7, 0, 0)},
      {hTopRight, start.adjusted(0, 7, 11, 0)},  {hRight, start.adjusted(0, 0, 11, 0)},
      {hBottomRight, start.adjusted(0, 0, 11, 7)}, {hBottom, start.adjusted(0, 0, 0, 7)},
      {hBottomLeft, start.adjusted(11, 0, 0, 7)}, {hLeft, start.adjusted(11, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handle);
    const QPointF handle = d.at(designer::HandlePosition(*d.object("PolePunkt"), c.handle));
    const int steps = d.document->UndoStack().index();
    d.drag(handle, handle + delta, Qt::AltModifier);
    expectRect(d.bounds("PolePunkt"), c.expected);
    EXPECT_EQ(d.document->UndoStack().index(), steps + 1);
    d.document->UndoStack().undo();
    EXPECT_EQ(d.document->DocumentBytes(), before);
  }
  // A handle dragged past the opposite edge stops there: no negative size.
  const QPointF left = d.at(designer::HandlePosition(*d.object("PolePunkt"), hLeft));
  d.drag(left, left + QPointF(start.width() + 40, 0), Qt::AltModifier);
  EXPECT_NEAR(d.bounds("PolePunkt").width(), 0, 1e-9);
  EXPECT_NEAR(d.bounds("PolePunkt").left(), start.right(), 1e-9);
  d.document->UndoStack().undo();
  // With snapping the moved edge lands on the band's grid.
  const QPointF right = d.at(designer::HandlePosition(*d.object("PolePunkt"), hRight));
  d.drag(right, right + QPointF(9, 0));
  EXPECT_NEAR(d.bounds("PolePunkt").right(), gridded(start.right() + 9), 1e-6);
}

TEST(DesignWorkspaceTest, ObjectsThatMayNotBeSizedKeepTheirSize) {
  Designer d([](report::TfrxReport& r) { r.FindObject(QStringLiteral("PolePunkt"))->SetRestrictions(report::rfDontSize); });
  d.click(d.centreOf("PolePunkt"));
  const QRectF start = d.bounds("PolePunkt");
  const QPointF handle = d.at(designer::HandlePosition(*d.object("PolePunkt"), hRight));
  const int steps = d.document->UndoStack().count();
  d.drag(handle, handle + QPointF(20, 0), Qt::AltModifier);
  expectRect(d.bounds("PolePunkt"), start);
  EXPECT_EQ(d.document->UndoStack().count(), steps);
}

TEST(DesignWorkspaceTest, ALineHasTwoEndHandlesAndTheOtherEndStays) {
  Designer d([](report::TfrxReport& r) {
    auto* line = new report::TfrxLineView(r.FindObject(QStringLiteral("ReportSummary1")));
    line->SetName(QStringLiteral("Kreska"));
    line->SetBounds(400, 100, 200, 0);
  });
  TfrxComponent* line = d.object("Kreska");
  EXPECT_EQ(designer::HandlesOf(*line), (QList<int>{hTopLeft, hBottomRight}));
  d.click(d.at(line->AbsoluteBounds().center()));
  ASSERT_EQ(d.selected(), QStringList{"Kreska"});
  // The end dragged right and a little down: a straight line stays level.
  const QPointF end = d.at(designer::HandlePosition(*line, hBottomRight));
  d.drag(end, end + QPointF(30, 4), Qt::AltModifier);
  expectRect(d.bounds("Kreska"), QRectF(400, 100, 230, 0));
  // The start dragged past the end: the line turns round, the end stays.
  const QPointF start = d.at(designer::HandlePosition(*line, hTopLeft));
  d.drag(start, start + QPointF(300, 0), Qt::AltModifier);
  expectRect(d.bounds("Kreska"), QRectF(630, 100, 70, 0));
  // A diagonal follows the pointer anywhere, even to a negative extent.
  qobject_cast<report::TfrxLineView*>(line)->SetDiagonal(true);
  const QPointF diagonalEnd = d.at(designer::HandlePosition(*line, hBottomRight));
  d.drag(diagonalEnd, diagonalEnd + QPointF(-100, -20), Qt::AltModifier);
  expectRect(d.bounds("Kreska"), QRectF(630, 100, -30, -20));
}

TEST(DesignWorkspaceTest, ArrowKeysMoveAndResizeAndARunIsOneStep) {
  Designer d;
  d.click(d.centreOf("PolePunkt"));
  const QRectF start = d.bounds("PolePunkt");
  const QByteArray before = d.document->DocumentBytes();
  const int steps = d.document->UndoStack().count();
  QWidget* w = &d.ws();
  QTest::keyClick(w, Qt::Key_Right);
  QTest::keyClick(w, Qt::Key_Right);
  QTest::keyClick(w, Qt::Key_Down);
  expectRect(d.bounds("PolePunkt"), start.translated(2 * kStep, kStep));
  QTest::keyClick(w, Qt::Key_Left, Qt::ControlModifier);
  expectRect(d.bounds("PolePunkt"), start.translated(2 * kStep - 1, kStep));
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  QTest::keyClick(w, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(w, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
  expectRect(d.bounds("PolePunkt"),
             QRectF(start.left() + 2 * kStep - 1, start.top() + kStep, start.width() + kStep, start.height() + 1));
  EXPECT_EQ(d.document->UndoStack().count(), steps + 2);
  // Another selection, another step.
  d.click(d.centreOf("PoleData"));
  QTest::keyClick(w, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_NEAR(d.bounds("PoleData").top(), -1, 1e-9);
  EXPECT_EQ(d.document->UndoStack().count(), steps + 3);
  d.document->UndoStack().setIndex(steps);
  EXPECT_EQ(d.document->DocumentBytes(), before);
}

TEST(DesignWorkspaceTest, RubberBandSelectsWhatItMeetsAndShiftAdds) {
  Designer d;
  d.click(d.centreOf("PoleData"));
  // From the empty paper below the bands up into the data band's last field.
  d.drag(d.at({705, 345}), d.at({560, 160}));
  EXPECT_EQ(d.selected(), (QStringList{"BrakWpisow", "NumerStrony", "Podsumowanie", "PolePracownik"}));
  d.drag(d.at({10, 500}), d.at({20, 150}), Qt::ShiftModifier);
  EXPECT_EQ(d.selected(), (QStringList{"BrakWpisow", "NaglowekMaksimum", "NaglowekMinimum", "NaglowekSrednia",
                                       "NumerStrony", "Podsumowanie", "PoleData", "PolePracownik"}));
  // A frame over a band's empty part only takes the band.
  d.drag(d.at({600, 300}), d.at({650, 280}));
  EXPECT_EQ(d.selected(), QStringList{"ReportSummary1"});
}

TEST(DesignWorkspaceTest, ABandsBottomEdgeSetsItsHeightAndTheBandsBelowFollow) {
  Designer d;
  const QByteArray before = d.document->DocumentBytes();
  const QRectF master = d.bounds("MasterData1");
  const double summaryTop = d.bounds("ReportSummary1").top(), footerTop = d.bounds("PageFooter1").top();
  const QPointF edge = d.at({300, master.bottom() + 1});
  EXPECT_EQ(d.ws().Drag().CursorAt(d.ws().ViewportToPage(edge)), Qt::SplitVCursor);
  const int steps = d.document->UndoStack().count();
  d.drag(edge, edge + QPointF(0, 20), Qt::AltModifier);
  EXPECT_NEAR(d.bounds("MasterData1").height(), master.height() + 20, 1e-6);
  EXPECT_NEAR(d.bounds("MasterData1").top(), master.top(), 1e-9);
  EXPECT_NEAR(d.bounds("ReportSummary1").top(), summaryTop + 20, 1e-6);
  EXPECT_NEAR(d.bounds("PageFooter1").top(), footerTop + 20, 1e-6);
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);
  // Snapped, the height is whole grid steps from the band's top.
  d.drag(edge, edge + QPointF(0, 13));
  EXPECT_NEAR(d.bounds("MasterData1").height(), gridded(master.height() + 13), 1e-6);
}

TEST(DesignWorkspaceTest, GuidesComeOutOfTheRulersAndGoBackIntoThem) {
  Designer d;
  d.document->Options().snapToGrid = false;
  DesignArea& area = *d.area;
  designer::DesignRuler* top = area.HorizontalRuler();
  const QPointF target = d.at({600, 250});
  const QPoint inRuler = top->mapFromGlobal(d.viewport()->mapToGlobal(target.toPoint()));
  // From the ruler down onto the page.
  const int steps = d.document->UndoStack().count();
  d.drag(QPointF(inRuler.x(), 10), QPointF(inRuler), {}, top);
  const double y = d.ws().ViewportToPage(target.toPoint()).y();
  ASSERT_EQ(d.page()->HGuides().size(), 1);
  EXPECT_NEAR(designer::GuidePositions(*d.page(), Qt::Horizontal).at(0), y, 1e-4);
  EXPECT_TRUE(d.page()->VGuides().isEmpty());
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  // Dashed across the paper.
  gfx::RecordingCanvas canvas;
  d.ws().PaintTo(canvas, d.viewport()->rect());
  const auto lines = canvas.callsOf(gfx::DrawCall::Line);
  const int sy = int(std::lround(d.at({0, y}).y()));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const gfx::DrawCall& c) {
    return c.pen.style == gfx::PenStyle::Dash && c.points.at(0).y() == sy && c.points.at(1).y() == sy;
  }));
  // The left ruler gives vertical guides.
  designer::DesignRuler* left = area.VerticalRuler();
  const QPoint inLeft = left->mapFromGlobal(d.viewport()->mapToGlobal(d.at({650, 400}).toPoint()));
  d.drag(QPointF(10, inLeft.y()), QPointF(inLeft), {}, left);
  ASSERT_EQ(d.page()->VGuides().size(), 1);
  // The horizontal guide taken from the page and dropped on the top ruler.
  const QPointF onGuide = d.at({600, y});
  const QPointF overRuler(onGuide.x(), -10);
  d.drag(onGuide, overRuler);
  EXPECT_TRUE(d.page()->HGuides().isEmpty());
  EXPECT_EQ(d.page()->VGuides().size(), 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.page()->HGuides().size(), 1);
}

TEST(DesignWorkspaceTest, ZoomFitsThePaperAndTheWheelZoomsAroundThePointer) {
  Designer d;
  QSignalSpy zoomed(&d.ws(), &DesignWorkspace::zoomChanged);
  d.ws().ZoomToPageWidth();
  const int width = d.viewport()->width();
  EXPECT_NEAR(d.ws().PaperRect().width(), width - 40, 0.5);
  EXPECT_NEAR(d.ws().PaperRect().left(), 20, 1);
  EXPECT_EQ(zoomed.count(), 1);
  EXPECT_NEAR(zoomed.first().at(0).toDouble(), (width - 40) / (210 * 3.77953), 1e-9);
  d.ws().ZoomToWholePage();
  EXPECT_LE(d.ws().PaperRect().height(), d.viewport()->height() - 40 + 0.5);
  EXPECT_LE(d.ws().PaperRect().width(), d.viewport()->width() - 40 + 0.5);
  d.ws().SetZoom(10);
  EXPECT_EQ(d.ws().Zoom(), designer::kMaxZoom);
  d.ws().SetZoom(0.01);
  EXPECT_EQ(d.ws().Zoom(), designer::kMinZoom);

  d.ws().SetZoom(1);
  d.ws().horizontalScrollBar()->setValue(0);
  d.ws().verticalScrollBar()->setValue(0);
  // A point the view can keep in place (the paper stops being centred).
  const QPointF pointer(480, 200);
  const QPointF under = d.ws().ViewportToPage(pointer);
  QWheelEvent wheel(pointer, d.viewport()->mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(d.viewport(), &wheel);
  EXPECT_NEAR(d.ws().Zoom(), 1.2, 1e-9);
  EXPECT_NEAR(d.ws().PageToViewport(under).x(), pointer.x(), 1.0);
  EXPECT_NEAR(d.ws().PageToViewport(under).y(), pointer.y(), 1.0);
  EXPECT_NEAR(d.document->Options().zoom, 1.2, 1e-9);
}

TEST(DesignWorkspaceTest, DoubleClickAsksForTheTextEditorAndEditTextEditsInPlace) {
  Designer d;
  auto* memo = qobject_cast<report::TfrxCustomMemoView*>(d.object("Tytul"));
  const QString original = memo->Text();
  const QByteArray before = d.document->DocumentBytes();
  const QPointF c = d.centreOf("Tytul");
  // A double click leaves the text to the window's text editor.
  QList<TfrxComponent*> edit;
  QObject::connect(&d.ws(), &DesignWorkspace::editRequested, [&](TfrxComponent* object) { edit.append(object); });
  d.send(d.viewport(), QEvent::MouseButtonDblClick, c, Qt::LeftButton, Qt::LeftButton, {});
  ASSERT_EQ(edit.size(), 1);
  EXPECT_EQ(edit.at(0), memo);
  EXPECT_EQ(d.ws().TextEditor(), nullptr);
  EXPECT_EQ(d.selected(), QStringList{"Tytul"});
  // In place (F2, "Edytuj tekst").
  d.ws().EditText(memo);
  QPlainTextEdit* editor = d.ws().TextEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->toPlainText(), original);
  // Esc drops what was typed.
  QTest::keyClicks(editor, QStringLiteral("Nowy"));
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_EQ(d.ws().TextEditor(), nullptr);
  EXPECT_EQ(memo->Text(), original);
  // Ctrl+Enter keeps it, as one step.
  d.ws().EditText(memo);
  editor = d.ws().TextEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Pomiary"));
  QTest::keyClick(editor, Qt::Key_Return);
  // Typed text with Polish letters (key clicks carry only ASCII).
  editor->insertPlainText(QStringLiteral("grudzień"));
  QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(d.ws().TextEditor(), nullptr);
  EXPECT_EQ(memo->Text(), QStringLiteral("Pomiary\r\ngrudzień"));
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);
}

TEST(DesignWorkspaceTest, TheInsertToolPlacesANewObjectOnTheBandUnderThePointer) {
  designer::DesignerDefaults defaults;
  defaults.fontName = QStringLiteral("Times New Roman");
  defaults.fontHeightPixels = 16;
  Designer d({}, defaults);
  // Only the band's grid, so that the place is plain to see.
  d.document->Options().snapToObjects = false;
  d.document->Options().snapToGuides = false;
  QSignalSpy finished(&d.ws(), &DesignWorkspace::insertFinished);
  const int steps = d.document->UndoStack().count();
  const QByteArray before = d.document->DocumentBytes();
  d.ws().SetInsertTool(QStringLiteral("TfrxMemoView"));
  d.click(d.at({600, 300}));
  ASSERT_EQ(d.document->Selection().size(), 1);
  TfrxComponent* made = d.document->Selection().first();
  EXPECT_EQ(made->ClassName(), "TfrxMemoView");
  EXPECT_EQ(made->Parent()->Name(), "ReportSummary1");
  const double bandTop = d.object("ReportSummary1")->AbsTop();
  expectRect(QRectF(made->Left(), made->Top(), made->Width(), made->Height()),
             QRectF(gridded(600), gridded(300 - bandTop), 3 * 37.7953, 0.5 * 37.7953));
  EXPECT_EQ(made->Font()->Name(), "Times New Roman");
  EXPECT_EQ(made->Font()->Height(), -16);
  EXPECT_FALSE(made->ParentFont());
  EXPECT_EQ(finished.count(), 1);
  EXPECT_TRUE(d.ws().InsertTool().isEmpty());
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);

  // A dragged rectangle gives the bounds.
  d.ws().SetInsertTool(QStringLiteral("TfrxMemoView"));
  d.drag(d.at({100, 20}), d.at({200, 60}), Qt::AltModifier);
  ASSERT_EQ(d.document->Selection().size(), 1);
  made = d.document->Selection().first();
  EXPECT_EQ(made->Parent()->Name(), "ReportTitle1");
  EXPECT_NEAR(made->AbsLeft(), 100, 1e-6);
  EXPECT_NEAR(made->AbsTop(), 20, 1e-6);
  EXPECT_NEAR(made->Width(), 100, 1e-6);
  EXPECT_NEAR(made->Height(), 40, 1e-6);

  // Bands are placed by the window; Esc leaves the tool.
  QSignalSpy band(&d.ws(), &DesignWorkspace::insertBandRequested);
  const int count = d.document->UndoStack().count();
  d.ws().SetInsertTool(QStringLiteral("TfrxMasterData"));
  d.click(d.at({300, 400}));
  ASSERT_EQ(band.count(), 1);
  EXPECT_EQ(band.first().at(0).toString(), "TfrxMasterData");
  EXPECT_EQ(d.document->UndoStack().count(), count);
  d.ws().SetInsertTool(QStringLiteral("TfrxMemoView"));
  QTest::keyClick(&d.ws(), Qt::Key_Escape);
  EXPECT_TRUE(d.ws().InsertTool().isEmpty());
  d.click(d.at({600, 300}));
  EXPECT_EQ(d.document->UndoStack().count(), count);
}

TEST(DesignWorkspaceTest, TabWalksThePageObjectsInOrder) {
  Designer d;
  const QList<TfrxComponent*> order = d.page()->AllObjects();
  d.document->Select(order.at(0));
  QTest::keyClick(&d.ws(), Qt::Key_Tab);
  EXPECT_EQ(d.document->Selection().first(), order.at(1));
  QTest::keyClick(&d.ws(), Qt::Key_Tab);
  EXPECT_EQ(d.document->Selection().first(), order.at(2));
  QTest::keyClick(&d.ws(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(d.document->Selection().first(), order.at(1));
  d.document->Select(order.at(0));
  QTest::keyClick(&d.ws(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(d.document->Selection().first(), order.last());
}

TEST(DesignWorkspaceTest, RulersCountFromThePageOriginInTheChosenUnit) {
  Designer d;
  designer::DesignRuler* ruler = d.area->HorizontalRuler();
  // Numbers right of the origin (the left of it counts the other way).
  auto labelAt = [&](const QString& label) {
    for (const auto& tick : ruler->Ticks())
      if (tick.label == label && tick.position >= ruler->ToRuler(0) - 1) return tick.position;
    return -1000;
  };
  // Centimetres: "0" at the printable area's left edge, "1" 37,8 px on.
  const double zero = ruler->ToRuler(0);
  EXPECT_NEAR(labelAt("0"), zero, 1);
  EXPECT_NEAR(labelAt("1"), zero + 37.7953, 1);
  EXPECT_NEAR(labelAt("5"), zero + 5 * 37.7953, 1);
  // The ruler lines up with the workspace: page x 0 is the same screen column.
  const QPoint screenZero = d.viewport()->mapToGlobal(d.at({0, 0}).toPoint());
  EXPECT_NEAR(ruler->mapToGlobal(QPoint(int(std::lround(zero)), 0)).x(), screenZero.x(), 1);
  d.document->Options().unit = report::LengthUnit::Millimetre;
  EXPECT_NEAR(labelAt("10"), zero + 37.7953, 1);
  d.document->Options().unit = report::LengthUnit::Inch;
  EXPECT_NEAR(labelAt("1"), zero + 96, 1);
  d.document->Options().unit = report::LengthUnit::Pixel;
  EXPECT_NEAR(labelAt("100"), zero + 100, 1);
  EXPECT_EQ(labelAt("50"), -1000);
  // At 50 % the labels thin out but stay in place.
  d.document->Options().unit = report::LengthUnit::Centimetre;
  d.ws().SetZoom(0.5);
  EXPECT_NEAR(labelAt("2"), ruler->ToRuler(0) + 2 * 37.7953 * 0.5, 1);
  EXPECT_EQ(labelAt("1"), -1000);

  // The pointer and the selection's extent.
  d.ws().SetZoom(1);
  const QPointF over = d.at({123, 45});
  d.send(d.viewport(), QEvent::MouseMove, over, Qt::NoButton, Qt::NoButton, {});
  ASSERT_TRUE(ruler->PointerPosition().has_value());
  EXPECT_NEAR(*ruler->PointerPosition(), 123, 1e-6);
  EXPECT_NEAR(*d.area->VerticalRuler()->PointerPosition(), 45, 1e-6);
  d.document->Select(d.object("PolePunkt"));
  const auto extent = ruler->SelectionExtent();
  ASSERT_TRUE(extent.has_value());
  EXPECT_NEAR(extent->first, 132.28355, 1e-6);
  EXPECT_NEAR(extent->second, 132.28355 + 188.9765, 1e-6);
}

TEST(DesignWorkspaceTest, SnapLinesShowWhileTheDragLastsAndColumnsAreMarked) {
  Designer d([](report::TfrxReport& r) {
    auto* page = qobject_cast<report::TfrxReportPage*>(r.FindObject(QStringLiteral("Page1")));
    page->SetColumns(2);
    page->SetColumnWidth(95);
  });
  const QPointF from = d.centreOf("PolePunkt");
  // The left edge comes 2,5 px short of the next field's left edge (321,26).
  const QPointF to = from + QPointF(186.5, 0);
  d.send(d.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, {});
  d.send(d.viewport(), QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, {});
  d.send(d.viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, {});
  EXPECT_NEAR(d.bounds("PolePunkt").left(), 321.26005, 1e-6);
  const auto& lines = d.ws().Drag().SnapLines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const designer::SnapLine& l) {
    return l.orientation == Qt::Vertical && std::abs(l.position - 321.26005) < 1e-6;
  }));
  gfx::RecordingCanvas canvas;
  d.ws().PaintTo(canvas, d.viewport()->rect());
  const QRectF paper = d.ws().PaperRect();
  const int sx = int(std::lround(d.at({321.26005, 0}).x()));
  const auto drawn = canvas.callsOf(gfx::DrawCall::Line);
  auto across = [&](int x, gfx::PenStyle style) {
    return std::any_of(drawn.begin(), drawn.end(), [&](const gfx::DrawCall& c) {
      return c.pen.style == style && c.points.at(0).x() == x && c.points.at(1).x() == x &&
             c.points.at(0).y() <= paper.top() + 1 && c.points.at(1).y() >= paper.bottom() - 1;
    });
  };
  EXPECT_TRUE(across(sx, gfx::PenStyle::Solid));
  // The second column starts 95 mm in, dotted from the top to the bottom of the printable area.
  const int column = int(std::lround(d.at({95 * report::fr01cm, 0}).x()));
  EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const gfx::DrawCall& c) {
    return c.pen.style == gfx::PenStyle::Dot && c.points.at(0).x() == column && c.points.at(1).x() == column;
  }));
  d.send(d.viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, {});
  EXPECT_TRUE(d.ws().Drag().SnapLines().isEmpty());
  canvas.clear();
  d.ws().PaintTo(canvas, d.viewport()->rect());
  const auto after = canvas.callsOf(gfx::DrawCall::Line);
  EXPECT_FALSE(std::any_of(after.begin(), after.end(), [&](const gfx::DrawCall& c) {
    return c.pen.style == gfx::PenStyle::Solid && c.points.at(0).x() == sx && c.points.at(1).x() == sx &&
           c.points.at(0).y() <= paper.top() + 1;
  }));
}

TEST(DesignWorkspaceTest, ABandDraggedByItsCaptionMovesOnlyDown) {
  Designer d;
  const QRectF summary = d.bounds("ReportSummary1");
  const QRectF inside = d.bounds("Podsumowanie");
  const report::TfrxBand* band = qobject_cast<report::TfrxBand*>(d.object("ReportSummary1"));
  const QPointF caption = d.at(designer::CaptionRect(*band).center());
  d.drag(caption, caption + QPointF(30, 10), Qt::AltModifier);
  expectRect(d.bounds("ReportSummary1"), summary.translated(0, 10));
  expectRect(d.bounds("Podsumowanie"), inside);
  EXPECT_EQ(d.selected(), QStringList{"ReportSummary1"});
}

TEST(DesignWorkspaceTest, ClickingElsewhereKeepsWhatWasTypedInPlace) {
  Designer d;
  auto* memo = qobject_cast<report::TfrxCustomMemoView*>(d.object("Modul"));
  // Editing in place (F2; a double click opens the text editor instead).
  d.ws().EditText(memo);
  QPlainTextEdit* editor = d.ws().TextEditor();
  ASSERT_NE(editor, nullptr);
  // The editor lies over the view.
  const QRectF over = d.ws().PageToViewport(memo->AbsoluteBounds());
  EXPECT_NEAR(editor->geometry().left(), over.left(), 1);
  EXPECT_NEAR(editor->geometry().top(), over.top(), 1);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("Modul pomiarowy"));
  d.click(d.at({600, 500}));
  EXPECT_EQ(d.ws().TextEditor(), nullptr);
  EXPECT_EQ(memo->Text(), QStringLiteral("Modul pomiarowy"));
}

TEST(DesignWorkspaceTest, AGuideMovesWithTheMouseAndAClickOnItSelectsWhatIsUnder) {
  Designer d([](report::TfrxReport& r) {
    qobject_cast<report::TfrxReportPage*>(r.FindObject(QStringLiteral("Page1")))->SetHGuides({QStringLiteral("250")});
  });
  d.document->Options().snapToGrid = false;
  const int steps = d.document->UndoStack().index();
  // A click on the guide over the summary's empty part: the band is selected, the guide stays.
  d.click(d.at({600, 250}));
  EXPECT_EQ(d.selected(), QStringList{"ReportSummary1"});
  EXPECT_EQ(d.page()->HGuides(), QStringList{"250"});
  EXPECT_EQ(d.document->UndoStack().index(), steps);
  // Dragged 30 px down it stands there, as one step.
  d.drag(d.at({600, 250}), d.at({600, 280}));
  ASSERT_EQ(d.page()->HGuides().size(), 1);
  // Within the whole screen pixel the pointer stands on.
  EXPECT_NEAR(designer::GuidePositions(*d.page(), Qt::Horizontal).at(0), 280, 0.5);
  EXPECT_EQ(d.document->UndoStack().index(), steps + 1);
  // Hovering over it offers to move it.
  d.send(d.viewport(), QEvent::MouseMove, d.at({600, 280}), Qt::NoButton, Qt::NoButton, {});
  EXPECT_EQ(d.viewport()->cursor().shape(), Qt::SplitVCursor);
}

TEST(DesignWorkspaceTest, ManyObjectsAreDrawnMovedAndChangedOnceOnRelease) {
  Designer d([](report::TfrxReport& r) {
    TfrxComponent* summary = r.FindObject(QStringLiteral("ReportSummary1"));
    for (int i = 0; i < 40; ++i) {
      auto* memo = new report::TfrxMemoView(summary);
      memo->SetName(QStringLiteral("Maly%1").arg(i + 1));
      memo->SetBounds(560 + (i % 4) * 30, 2 + (i / 4) * 11, 28, 10);
      memo->SetText(QStringLiteral("m%1").arg(i + 1));
    }
  });
  QList<TfrxComponent*> many;
  for (int i = 0; i < 40; ++i) many.append(d.report.FindObject(QStringLiteral("Maly%1").arg(i + 1)));
  d.document->SetSelection(many);
  const QByteArray before = d.document->DocumentBytes();
  const int steps = d.document->UndoStack().index();
  const QRectF first = d.bounds("Maly1");
  const QPointF from = d.at(many.first()->AbsoluteBounds().center());
  const QPointF to = from + QPointF(20, 10);
  d.send(d.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
  d.send(d.viewport(), QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
  d.send(d.viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
  // Still where they were in the report, drawn where they are going.
  ASSERT_TRUE(d.ws().Drag().PreviewActive());
  expectRect(d.bounds("Maly1"), first);
  EXPECT_EQ(d.document->UndoStack().index(), steps);
  gfx::RecordingCanvas canvas;
  d.ws().PaintTo(canvas, d.viewport()->rect());
  const QRectF going = d.ws().PageToViewport(many.first()->AbsoluteBounds().translated(20, 10));
  const auto texts = canvas.callsOf(gfx::DrawCall::Text);
  const auto drawn = std::find_if(texts.begin(), texts.end(), [](const gfx::DrawCall& c) { return c.text == "m1"; });
  ASSERT_NE(drawn, texts.end());
  EXPECT_TRUE(going.adjusted(-1, -1, 1, 1).contains(drawn->points.at(0)));
  // Released: one step for all forty.
  d.send(d.viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
  expectRect(d.bounds("Maly1"), first.translated(20, 10));
  expectRect(d.bounds("Maly40"), QRectF(560 + 3 * 30 + 20, 2 + 9 * 11 + 10, 28, 10));
  EXPECT_EQ(d.document->UndoStack().index(), steps + 1);
  d.document->UndoStack().undo();
  EXPECT_EQ(d.document->DocumentBytes(), before);

  // Esc while dragging them leaves everything as it was.
  d.send(d.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
  d.send(d.viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
  QTest::keyClick(&d.ws(), Qt::Key_Escape);
  d.send(d.viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
  expectRect(d.bounds("Maly1"), first);
  EXPECT_EQ(d.document->UndoStack().index(), steps);
}

TEST(DesignWorkspaceTest, LinesAreDrawnFromWhereThePointerWentDown) {
  Designer d;
  // A straight line keeps level however the hand wavers.
  d.ws().SetInsertTool(QStringLiteral("TfrxLineView"), 0);
  d.drag(d.at({250, 40}), d.at({100, 47}), Qt::AltModifier);
  ASSERT_EQ(d.document->Selection().size(), 1);
  auto* line = qobject_cast<report::TfrxLineView*>(d.document->Selection().first());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->Parent()->Name(), "ReportTitle1");
  EXPECT_FALSE(line->Diagonal());
  const double title = d.object("ReportTitle1")->AbsTop();
  expectRect(QRectF(line->Left(), line->Top(), line->Width(), line->Height()), QRectF(100, 40 - title, 150, 0));
  // A diagonal (creation flag 1) goes from the press to the release.
  d.ws().SetInsertTool(QStringLiteral("TfrxLineView"), 1);
  d.drag(d.at({300, 60}), d.at({200, 30}), Qt::AltModifier);
  line = qobject_cast<report::TfrxLineView*>(d.document->Selection().first());
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->Diagonal());
  expectRect(QRectF(line->Left(), line->Top(), line->Width(), line->Height()), QRectF(300, 60 - title, -100, -30));
  // Outside every band nothing is placed and the tool stays.
  const int steps = d.document->UndoStack().index();
  d.ws().SetInsertTool(QStringLiteral("TfrxMemoView"));
  d.click(d.at({300, 600}));
  EXPECT_EQ(d.document->UndoStack().index(), steps);
  EXPECT_EQ(d.ws().InsertTool(), "TfrxMemoView");
  EXPECT_FALSE(d.ws().Drag().LastError().isEmpty());
}

TEST(DesignWorkspaceTest, DoubleClicksAndTheRightButtonAskTheWindow) {
  Designer d([](report::TfrxReport& r) {
    auto* line = new report::TfrxLineView(r.FindObject(QStringLiteral("ReportSummary1")));
    line->SetName(QStringLiteral("Kreska"));
    line->SetBounds(600, 100, 100, 0);
  });
  QList<TfrxComponent*> edit;
  QObject::connect(&d.ws(), &DesignWorkspace::editRequested, [&](TfrxComponent* object) { edit.append(object); });
  QSignalSpy menu(&d.ws(), &DesignWorkspace::contextMenuRequested);
  // A view without an in-place editor, and a band.
  d.send(d.viewport(), QEvent::MouseButtonDblClick, d.at(d.object("Kreska")->AbsoluteBounds().center()), Qt::LeftButton,
         Qt::LeftButton, {});
  ASSERT_EQ(edit.size(), 1);
  EXPECT_EQ(edit.at(0), d.object("Kreska"));
  EXPECT_EQ(d.ws().TextEditor(), nullptr);
  d.send(d.viewport(), QEvent::MouseButtonDblClick, d.at({650, 295}), Qt::LeftButton, Qt::LeftButton, {});
  ASSERT_EQ(edit.size(), 2);
  EXPECT_EQ(edit.at(1), d.object("ReportSummary1"));
  // The right button selects what it points at, keeps a selection it points into.
  d.click(d.centreOf("PoleData"));
  d.click(d.centreOf("PolePunkt"), Qt::ShiftModifier);
  const QPointF punkt = d.centreOf("PolePunkt");
  d.send(d.viewport(), QEvent::MouseButtonPress, punkt, Qt::RightButton, Qt::RightButton, {});
  EXPECT_EQ(d.selected(), (QStringList{"PoleData", "PolePunkt"}));
  ASSERT_EQ(menu.count(), 1);
  EXPECT_EQ(menu.at(0).at(0).toPoint(), d.viewport()->mapToGlobal(punkt).toPoint());
  d.send(d.viewport(), QEvent::MouseButtonPress, d.centreOf("Tytul"), Qt::RightButton, Qt::RightButton, {});
  EXPECT_EQ(d.selected(), QStringList{"Tytul"});
  d.send(d.viewport(), QEvent::MouseButtonPress, d.at({600, 500}), Qt::RightButton, Qt::RightButton, {});
  EXPECT_TRUE(d.selected().isEmpty());
  EXPECT_EQ(menu.count(), 3);
}

TEST(DesignWorkspaceTest, ThePaperHasAShadowAndItsMarginsAThinFrame) {
  Designer d;
  gfx::RecordingCanvas canvas;
  d.ws().PaintTo(canvas, d.viewport()->rect());
  const QRectF paper = d.ws().PaperRect();
  const gfx::Rect sheet{int(std::lround(paper.left())), int(std::lround(paper.top())), int(std::lround(paper.right())),
                        int(std::lround(paper.bottom()))};
  EXPECT_NEAR(paper.width(), 210 * report::fr01cm, 1e-6);
  const auto fills = canvas.callsOf(gfx::DrawCall::FillRect);
  auto filled = [&](const gfx::Rect& r, gfx::Color color) {
    return std::any_of(fills.begin(), fills.end(),
                       [&](const gfx::DrawCall& c) { return c.rect == r && c.brush.color == color; });
  };
  EXPECT_TRUE(filled(sheet, gfx::clWhite));
  EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [&](const gfx::DrawCall& c) {
    return c.rect == gfx::Rect{sheet.left + 4, sheet.top + 4, sheet.right + 4, sheet.bottom + 4};
  }));
  // The printable area: 10 mm in from every side of the A4 sheet.
  const QPointF topLeft = d.at({0, 0});
  const QPointF bottomRight = d.at({190 * report::fr01cm, 277 * report::fr01cm});
  const auto frames = canvas.callsOf(gfx::DrawCall::Rectangle);
  EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const gfx::DrawCall& c) {
    return c.brush.style == gfx::BrushStyle::Clear && c.rect.left == int(std::lround(topLeft.x())) &&
           c.rect.top == int(std::lround(topLeft.y())) && c.rect.right == int(std::lround(bottomRight.x())) &&
           c.rect.bottom == int(std::lround(bottomRight.y()));
  }));
  EXPECT_NEAR(topLeft.x() - paper.left(), 10 * report::fr01cm, 1e-6);
}
