// Snapping of moved and resized objects on small pages made by hand.
#include <gtest/gtest.h>

#include "designer/snapping.h"
#include "report/model/band.h"
#include "report/model/edit/hit_test.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

using namespace valmoro;
using designer::SnapLine;
using designer::SnapRequest;
using designer::SnapTargets;
using namespace report::edit;

namespace {

constexpr double kStep = 3.77953;  // 0,1 cm

// A page 700 px wide with one band at 100..140 holding two views.
struct SyntheticPage {
  report::TfrxReport report;
  report::TfrxReportPage* page;
  report::TfrxMasterData* band;
  report::TfrxMemoView* left;
  report::TfrxMemoView* right;
  designer::DesignOptions options;

  SyntheticPage() {
    page = new report::TfrxReportPage(&report);
    page->SetName(QStringLiteral("Page1"));
    page->SetLeftMargin(10);
    page->SetRightMargin(10);
    page->ArrangeAlignedChildren();
    band = new report::TfrxMasterData(page);
    band->SetName(QStringLiteral("MasterData1"));
    band->SetBounds(0, 100, page->Width(), 40);
    left = new report::TfrxMemoView(band);
    left->SetName(QStringLiteral("Left"));
    left->SetBounds(20, 5, 60, 20);
    right = new report::TfrxMemoView(band);
    right->SetName(QStringLiteral("Right"));
    right->SetBounds(200, 10, 50, 20);  // page: x 200..250 (centre 225), y 110..130
  }
  SnapTargets targets(QList<const report::TfrxComponent*> moving) const { return {*page, moving, options}; }
};

bool hasLine(const QList<SnapLine>& lines, Qt::Orientation o, double position, SnapLine::Source source) {
  for (const SnapLine& l : lines)
    if (l.orientation == o && std::abs(l.position - position) < 1e-6 && l.source == source) return true;
  return false;
}

}  // namespace

TEST(SnappingTest, GridAloneRoundsTheTopLeftCornerFromTheGridOrigin) {
  SyntheticPage s;
  s.options.snapToGuides = false;
  s.options.snapToObjects = false;
  const SnapTargets targets = s.targets({s.left});
  // Measured from a band at y = 100: 7,1 px below its top is two steps.
  const auto r = designer::SnapMove(targets, QRectF(10.3, 107.1, 60, 20), SnapRequest{1, QPointF(0, 100), true});
  EXPECT_NEAR(r.rect.left(), 3 * kStep, 1e-9);
  EXPECT_NEAR(r.rect.top(), 100 + 2 * kStep, 1e-9);
  EXPECT_DOUBLE_EQ(r.rect.width(), 60);
  EXPECT_DOUBLE_EQ(r.rect.height(), 20);
  EXPECT_TRUE(r.lines.isEmpty());

  // Other units give other steps; no grid snapping leaves the rectangle.
  s.options.unit = report::LengthUnit::Pixel;
  s.options.gridPixels = 8;
  const auto px = designer::SnapMove(s.targets({}), QRectF(13, 3, 5, 5), SnapRequest{1, {}, true});
  EXPECT_EQ(px.rect.topLeft(), QPointF(16, 0));
  s.options.snapToGrid = false;
  const auto none = designer::SnapMove(s.targets({}), QRectF(13, 3, 5, 5), SnapRequest{1, {}, true});
  EXPECT_EQ(none.rect, QRectF(13, 3, 5, 5));
}

TEST(SnappingTest, EdgesAndCentresPullToOtherObjectsWithinTheScreenDistance) {
  SyntheticPage s;
  const SnapTargets targets = s.targets({s.left});
  // The moved view's right edge 2 px short of the other's left edge.
  auto r = designer::SnapMove(targets, QRectF(138, 50, 60, 20), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 140);
  EXPECT_TRUE(hasLine(r.lines, Qt::Vertical, 200, SnapLine::Source::Object));
  // Its centre 1 px off the other's centre (225).
  r = designer::SnapMove(targets, QRectF(194, 50, 60, 20), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.center().x(), 225);
  EXPECT_TRUE(hasLine(r.lines, Qt::Vertical, 225, SnapLine::Source::Object));
  // Top 3 px under the other's bottom (130): pulled up onto it.
  r = designer::SnapMove(targets, QRectF(400, 133, 60, 20), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.top(), 130);
  EXPECT_TRUE(hasLine(r.lines, Qt::Horizontal, 130, SnapLine::Source::Object));
  // Of two features the nearer wins: the left edge is 4 px from 200, the
  // right edge 1 px from 250.
  r = designer::SnapMove(targets, QRectF(196, 50, 53, 20), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 197);
  EXPECT_TRUE(hasLine(r.lines, Qt::Vertical, 250, SnapLine::Source::Object));

  // The distance is in screen pixels: 4 px of report is 8 on screen at 200 %.
  r = designer::SnapMove(targets, QRectF(400, 134, 60, 20), SnapRequest{2, {}, true});
  EXPECT_NE(r.rect.top(), 130);
  EXPECT_TRUE(r.lines.isEmpty());
  // ... and 9 px of report are 4,5 on screen at 50 %: within reach.
  r = designer::SnapMove(targets, QRectF(141, 300, 50, 10), SnapRequest{0.5, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.right(), 200);
  r = designer::SnapMove(targets, QRectF(141, 300, 50, 10), SnapRequest{1, {}, true});
  EXPECT_NE(r.rect.right(), 200);
}

TEST(SnappingTest, GuidesAndBandEdgesAreTargetsAndTheMovingObjectsAreNot) {
  SyntheticPage s;
  s.page->SetVGuides({QStringLiteral("300,5")});
  s.page->SetHGuides({QStringLiteral("60")});
  const SnapTargets targets = s.targets({s.band});
  // The guides, with the Polish decimal comma of the document.
  auto r = designer::SnapMove(targets, QRectF(297, 57, 20, 20), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 300.5);
  EXPECT_DOUBLE_EQ(r.rect.top(), 60);
  EXPECT_TRUE(hasLine(r.lines, Qt::Vertical, 300.5, SnapLine::Source::Guide));
  EXPECT_TRUE(hasLine(r.lines, Qt::Horizontal, 60, SnapLine::Source::Guide));
  // The moved band and its views offer nothing.
  for (const SnapTargets::Target& t : targets.Xs()) {
    EXPECT_NE(t.position, 20);
    EXPECT_NE(t.position, 225);
  }
  for (const SnapTargets::Target& t : targets.Ys()) EXPECT_NE(t.position, 100);

  // A view snaps to its band's bottom edge.
  const SnapTargets forView = s.targets({s.left, s.right});
  r = designer::SnapMove(forView, QRectF(400, 118, 10, 21), SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.bottom(), 140);
  EXPECT_TRUE(hasLine(r.lines, Qt::Horizontal, 140, SnapLine::Source::Band));

  // Guides off: no guide and no band edge, the grid instead.
  s.options.snapToGuides = false;
  const SnapTargets noGuides = s.targets({s.band});
  r = designer::SnapMove(noGuides, QRectF(297, 57, 20, 20), SnapRequest{1, {}, true});
  EXPECT_NEAR(r.rect.left(), 79 * kStep, 1e-9);
  EXPECT_TRUE(r.lines.isEmpty());
}

TEST(SnappingTest, AltSwitchesEverythingOff) {
  SyntheticPage s;
  const SnapTargets targets = s.targets({s.left});
  const QRectF moved(138.5, 131.2, 60, 20);
  const auto r = designer::SnapMove(targets, moved, SnapRequest{1, {}, false});
  EXPECT_EQ(r.rect, moved);
  EXPECT_TRUE(r.lines.isEmpty());
  EXPECT_EQ(designer::SnapResize(targets, moved, hTopLeft, SnapRequest{1, {}, false}).rect, moved);
  EXPECT_EQ(designer::SnapPoint(targets, QPointF(1.3, 2.2), SnapRequest{1, {}, false}), QPointF(1.3, 2.2));
}

TEST(SnappingTest, ResizingSnapsOnlyTheEdgesTheHandleMoves) {
  SyntheticPage s;
  const SnapTargets targets = s.targets({s.left});
  // Both vertical edges lie near a target (left 198 near 200, right 252
  // near 250); the right handle moves only the right one.
  auto r = designer::SnapResize(targets, QRectF(198, 50, 54, 20), hRight, SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 198);
  EXPECT_DOUBLE_EQ(r.rect.right(), 250);
  EXPECT_EQ(r.lines.size(), 1);
  r = designer::SnapResize(targets, QRectF(198, 50, 54, 20), hLeft, SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 200);
  EXPECT_DOUBLE_EQ(r.rect.right(), 252);
  // A corner moves two edges; the top, far from anything, goes to the grid.
  r = designer::SnapResize(targets, QRectF(248, 51, 10, 20), hTopLeft, SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 250);
  EXPECT_NEAR(r.rect.top(), 13 * kStep, 1e-9);
  EXPECT_DOUBLE_EQ(r.rect.right(), 258);
  EXPECT_DOUBLE_EQ(r.rect.bottom(), 71);
  // The bottom handle leaves both sides alone.
  r = designer::SnapResize(targets, QRectF(198, 50, 54, 79), hBottom, SnapRequest{1, {}, true});
  EXPECT_DOUBLE_EQ(r.rect.left(), 198);
  EXPECT_DOUBLE_EQ(r.rect.width(), 54);
  EXPECT_DOUBLE_EQ(r.rect.bottom(), 130);
}

TEST(SnappingTest, PointsSnapEachCoordinate) {
  SyntheticPage s;
  const SnapTargets targets = s.targets({});
  QList<SnapLine> lines;
  const QPointF p = designer::SnapPoint(targets, QPointF(248.5, 77.7), SnapRequest{1, {}, true}, &lines);
  EXPECT_DOUBLE_EQ(p.x(), 250);
  EXPECT_NEAR(p.y(), 21 * kStep, 1e-9);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines.first().orientation, Qt::Vertical);
}

TEST(SnappingTest, HandlesMoveTheirEdges) {
  const auto tl = designer::EdgesOf(hTopLeft);
  EXPECT_TRUE(tl.left && tl.top && !tl.right && !tl.bottom);
  const auto b = designer::EdgesOf(hBottom);
  EXPECT_TRUE(!b.left && !b.top && !b.right && b.bottom);
  const auto r = designer::EdgesOf(hRight);
  EXPECT_TRUE(!r.left && !r.top && r.right && !r.bottom);
  EXPECT_NEAR(designer::SnapToGrid(10, 2, 4), 10, 1e-12);
  EXPECT_NEAR(designer::SnapToGrid(11.9, 2, 4), 10, 1e-12);
  EXPECT_NEAR(designer::SnapToGrid(12.1, 2, 4), 14, 1e-12);
  EXPECT_NEAR(designer::SnapToGrid(-3, 0, 4), -4, 1e-12);
}
