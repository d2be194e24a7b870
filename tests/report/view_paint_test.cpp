// How views draw themselves, read back from a recording canvas: the device
// box, background fills and hatches, frames in every style with their
// corners, drop shadows, shapes, lines with arrow heads, pictures, subreports,
// dialog components and page backgrounds.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <cmath>
#include <limits>

#include "platform/recording_canvas.h"
#include "report/model/dialog.h"
#include "report/model/line_view.h"
#include "report/model/picture_view.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "report/model/subreport.h"

using namespace valmoro::report;
using valmoro::gfx::BrushStyle;
using valmoro::gfx::DeviceKind;
using valmoro::gfx::DrawCall;
using valmoro::gfx::PenCap;
using valmoro::gfx::PenStyle;
using valmoro::gfx::Rect;
using valmoro::gfx::RecordingCanvas;

namespace {

struct Segment {
  QPoint from, to;
  bool operator==(const Segment&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
  return out << "(" << s.from.x() << "," << s.from.y() << ")-(" << s.to.x() << "," << s.to.y() << ")";
}

std::vector<Segment> segments(const RecordingCanvas& canvas) {
  std::vector<Segment> out;
  for (const DrawCall& call : canvas.callsOf(DrawCall::Line)) out.push_back({call.points[0], call.points[1]});
  return out;
}

std::vector<DrawCall> linesIn(const RecordingCanvas& canvas, valmoro::gfx::Color color) {
  std::vector<DrawCall> out;
  for (const DrawCall& call : canvas.callsOf(DrawCall::Line))
    if (call.pen.color == color) out.push_back(call);
  return out;
}

template <typename View>
View* makeView(double left, double top, double width, double height) {
  auto* view = new View();
  view->SetBounds(left, top, width, height);
  return view;
}

constexpr TfrxFrameTypes kAllSides = TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom);

QByteArray pngOf(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  EXPECT_TRUE(writer.write(image));
  return buffer.data();
}

QImage solidImage(int width, int height, QRgb color = 0xFF336699) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

}  // namespace

// --- Device box and fill -----------------------------------------------------

TEST(ViewPaint, DeviceBoxFollowsScaleOffsetAndShadow) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  RecordingCanvas canvas;
  view.ComputeDeviceRect(canvas, 1.5, 2, 3, 4);
  const auto& b = view.deviceBox();
  EXPECT_EQ(b.x, 18);   // 3 + 15
  EXPECT_EQ(b.y, 44);   // 4 + 40
  EXPECT_EQ(b.x1, 168);
  EXPECT_EQ(b.y1, 144);
  EXPECT_EQ(b.dx, 150);
  EXPECT_EQ(b.dy, 100);
  EXPECT_EQ(b.fw, 2);  // round(1.5) goes to the even neighbour

  view.Frame()->SetDropShadow(true);
  view.Frame()->SetWidth(2.5);
  view.ComputeDeviceRect(canvas, 1, 1, 0, 0);
  EXPECT_EQ(view.deviceBox().x1, 106);
  EXPECT_EQ(view.deviceBox().y1, 66);
  EXPECT_EQ(view.deviceBox().fw, 2);  // 2.5 rounds to 2
}

TEST(ViewPaint, TransparentViewPaintsNoBackgroundButItsHatch) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.Frame()->SetColor(0x00FF00);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  EXPECT_TRUE(canvas.calls().empty());

  view.SetBrushStyle(bsCross);
  view.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 1u);
  const DrawCall& hatch = canvas.calls()[0];
  EXPECT_EQ(hatch.kind, DrawCall::FillRect);
  EXPECT_EQ(hatch.rect, (Rect{10, 20, 111, 71}));
  EXPECT_EQ(hatch.brush.style, BrushStyle::Cross);
  EXPECT_EQ(hatch.brush.color, 0x00FF00u);
  EXPECT_FALSE(hatch.background.has_value());  // the gaps show what lies beneath
}

TEST(ViewPaint, ColourFillThenHatchOverIt) {
  TfrxView view;
  view.SetBounds(0, 0, 40, 30);
  view.SetColor(0x0000FF);
  view.SetBrushStyle(bsDiagCross);
  RecordingCanvas canvas;
  view.Paint(canvas, {.scaleX = 2, .scaleY = 2, .offsetX = 5, .offsetY = 5});
  const auto fills = canvas.callsOf(DrawCall::FillRect);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (Rect{5, 5, 85, 65}));
  EXPECT_EQ(fills[0].brush.style, BrushStyle::Solid);
  EXPECT_EQ(fills[0].brush.color, 0x0000FFu);
  EXPECT_EQ(fills[1].rect, (Rect{5, 5, 86, 66}));
  EXPECT_EQ(fills[1].brush.style, BrushStyle::DiagCross);
  EXPECT_EQ(fills[1].brush.color, 0x000000u);

  // bsClear and bsSolid add nothing to the colour.
  for (TBrushStyle style : {bsSolid, bsClear}) {
    canvas.clear();
    view.SetBrushStyle(style);
    view.Paint(canvas, {});
    EXPECT_EQ(canvas.callsOf(DrawCall::FillRect).size(), 1u);
  }
}

// --- Frames --------------------------------------------------------------------

TEST(ViewPaint, OnePixelSolidFrameLiesOnTheBoxEdgesAndClosesItsCorners) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.Frame()->SetTyp(kAllSides);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  // Square ends half a pixel long: every stroke covers its end point too.
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{10, 20}, {10, 71}},
                                                    {{110, 20}, {110, 71}},
                                                    {{10, 20}, {111, 20}},
                                                    {{10, 70}, {111, 70}}}));
  for (const DrawCall& call : canvas.calls()) {
    EXPECT_EQ(call.pen.width, 1);
    EXPECT_EQ(call.pen.style, PenStyle::Solid);
  }
}

TEST(ViewPaint, SidesTakeTheirOwnLineColourStyleAndWidth) {
  TfrxView view;
  view.SetBounds(0, 0, 50, 50);
  view.Frame()->SetTyp(ftLeft | ftTop);
  view.Frame()->LeftLine()->SetColor(0x0000FF);
  view.Frame()->TopLine()->SetWidth(4);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  const auto calls = canvas.callsOf(DrawCall::Line);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].pen.color, 0x0000FFu);
  EXPECT_EQ(calls[0].pen.width, 1);
  EXPECT_EQ(calls[1].pen.color, 0u);
  EXPECT_EQ(calls[1].pen.width, 4);
  EXPECT_EQ(calls[1].pen.cap, PenCap::Square);
  // The top side has its left neighbour, not its right one.
  EXPECT_EQ(calls[1].points, (std::vector<QPoint>{{0, 0}, {48, 0}}));
}

TEST(ViewPaint, WideSolidSideWithoutNeighboursIsShortenedByHalfItsWidth) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.Frame()->SetTyp(ftTop);
  view.Frame()->SetWidth(3);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  ASSERT_EQ(segments(canvas), (std::vector<Segment>{{{11, 20}, {109, 20}}}));
  EXPECT_EQ(canvas.calls()[0].pen.width, 3);
  EXPECT_EQ(canvas.calls()[0].pen.cap, PenCap::Square);

  // With both neighbours the ends stay on the corners.
  view.Frame()->SetTyp(kAllSides);
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_EQ(segments(canvas)[2], (Segment{{10, 20}, {110, 20}}));
  // At scale 2 the width is 6 and the ends move by 3.
  view.Frame()->SetTyp(ftLeft);
  canvas.clear();
  view.Paint(canvas, {.scaleX = 2, .scaleY = 2});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{20, 43}, {20, 137}}}));
}

TEST(ViewPaint, NoFrameLinesWithoutWidthColourOrSidesButTheShadowStays) {
  const auto paintWith = [](auto setUp) {
    TfrxView view;
    view.SetBounds(10, 20, 100, 50);
    view.Frame()->SetTyp(kAllSides);
    view.Frame()->SetDropShadow(true);
    view.Frame()->SetShadowColor(0x808080);
    setUp(*view.Frame());
    RecordingCanvas canvas;
    view.Paint(canvas, {});
    return canvas.callsOf(DrawCall::Line);
  };
  const auto noWidth = paintWith([](TfrxFrame& f) { f.SetWidth(0); });
  const auto transparent = paintWith([](TfrxFrame& f) { f.SetColor(clTransparent); });
  const auto noSides = paintWith([](TfrxFrame& f) { f.SetTyp({}); });
  for (const auto& calls : {noWidth, transparent, noSides}) {
    ASSERT_EQ(calls.size(), 8u);
    for (const DrawCall& call : calls) EXPECT_EQ(call.pen.color, 0x808080u);
  }
  EXPECT_EQ(paintWith([](TfrxFrame&) {}).size(), 12u);
}

TEST(ViewPaint, DropShadowShrinksTheBoxAndDrawsTwoStripsInside) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.SetColor(0xFFFFFF);
  view.Frame()->SetDropShadow(true);
  view.Frame()->SetShadowColor(0x404040);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  EXPECT_EQ(canvas.callsOf(DrawCall::FillRect)[0].rect, (Rect{10, 20, 106, 66}));
  // Four columns right of the box from 4 below its top, four rows below it
  // from 4 right of its left edge.
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{106, 24}, {106, 66}},
                                                    {{107, 24}, {107, 66}},
                                                    {{108, 24}, {108, 66}},
                                                    {{109, 24}, {109, 66}},
                                                    {{14, 66}, {110, 66}},
                                                    {{14, 67}, {110, 67}},
                                                    {{14, 68}, {110, 68}},
                                                    {{14, 69}, {110, 69}}}));
  for (const DrawCall& call : canvas.callsOf(DrawCall::Line)) {
    EXPECT_EQ(call.pen.color, 0x404040u);
    EXPECT_EQ(call.pen.width, 1);
  }
}

TEST(ViewPaint, PatternedFramesAreOnePixelStrokesAndGapsTakeTheColour) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.Frame()->SetTyp(kAllSides);
  const std::pair<TfrxFrameStyle, PenStyle> styles[] = {{fsDash, PenStyle::Dash},
                                                        {fsDot, PenStyle::Dot},
                                                        {fsDashDot, PenStyle::DashDot},
                                                        {fsDashDotDot, PenStyle::DashDotDot}};
  for (const auto& [style, pen] : styles) {
    view.Frame()->SetStyle(style);
    view.SetColor(clTransparent);
    RecordingCanvas canvas;
    view.Paint(canvas, {});
    // The bottom side takes the corner pixel the right side leaves out.
    EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{10, 20}, {10, 70}},
                                                      {{110, 20}, {110, 70}},
                                                      {{10, 20}, {110, 20}},
                                                      {{10, 70}, {111, 70}}}))
        << style;
    for (const DrawCall& call : canvas.callsOf(DrawCall::Line)) {
      EXPECT_EQ(call.pen.style, pen);
      EXPECT_EQ(call.pen.width, 1);
      EXPECT_FALSE(call.background.has_value());
    }
    view.SetColor(0x00FFFF);
    canvas.clear();
    view.Paint(canvas, {});
    for (const DrawCall& call : canvas.callsOf(DrawCall::Line)) EXPECT_EQ(call.background, 0x00FFFFu);
  }
  // A two-pixel dashed frame is two one-pixel strokes per side.
  view.Frame()->SetStyle(fsDash);
  view.Frame()->SetWidth(2);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  const auto s = segments(canvas);
  ASSERT_EQ(s.size(), 8u);
  EXPECT_EQ(s[0], (Segment{{9, 20}, {9, 70}}));
  EXPECT_EQ(s[1], (Segment{{10, 20}, {10, 70}}));
  EXPECT_EQ(s[4], (Segment{{10, 19}, {110, 19}}));
  EXPECT_EQ(s[5], (Segment{{10, 20}, {110, 20}}));
}

TEST(ViewPaint, DoubleFrameCornersMeet) {
  TfrxView view;
  view.SetBounds(10, 20, 100, 50);
  view.Frame()->SetTyp(kAllSides);
  view.Frame()->SetStyle(fsDouble);
  view.Frame()->SetWidth(3);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  // Outer strokes lengthened by 3 at each corner, inner ones shortened by 3.
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{7, 17}, {7, 73}},
                                                    {{13, 23}, {13, 67}},
                                                    {{107, 23}, {107, 67}},
                                                    {{113, 17}, {113, 73}},
                                                    {{7, 17}, {113, 17}},
                                                    {{13, 23}, {107, 23}},
                                                    {{13, 67}, {107, 67}},
                                                    {{7, 73}, {113, 73}}}));
  for (const DrawCall& call : canvas.callsOf(DrawCall::Line)) {
    EXPECT_EQ(call.pen.width, 3);
    EXPECT_EQ(call.pen.style, PenStyle::Solid);
  }

  // With a colour the gap between the strokes is painted in it.
  view.SetColor(0xEEEEEE);
  canvas.clear();
  view.Paint(canvas, {});
  const auto middles = linesIn(canvas, 0xEEEEEE);
  ASSERT_EQ(middles.size(), 4u);
  EXPECT_EQ(middles[0].points, (std::vector<QPoint>{{10, 20}, {10, 70}}));
  EXPECT_EQ(middles[0].pen.width, 3);

  // A side alone keeps both strokes inside the box ends.
  view.SetColor(clTransparent);
  view.Frame()->SetTyp(ftBottom);
  view.Frame()->SetWidth(1);
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{10, 69}, {111, 69}}, {{10, 71}, {111, 71}}}));

  // Two pixels wide with a patterned frame: the left side starts a pixel higher.
  view.Frame()->SetTyp(ftLeft);
  view.Frame()->SetWidth(2);
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{8, 20}, {8, 69}}, {{12, 20}, {12, 69}}}));
}

TEST(ViewPaint, AltDotAndSquareFramesAreWidePatternedStrokesOverTheColour) {
  TfrxView view;
  view.SetBounds(0, 0, 60, 40);
  view.Frame()->SetTyp(ftTop);
  view.Frame()->SetWidth(3);
  for (auto [style, pen, cap] : {std::tuple{fsAltDot, PenStyle::WideAltDot, PenCap::Round},
                                 std::tuple{fsSquare, PenStyle::WideSquare, PenCap::Flat}}) {
    view.Frame()->SetStyle(style);
    view.SetColor(clTransparent);
    RecordingCanvas canvas;
    view.Paint(canvas, {});
    ASSERT_EQ(canvas.callsOf(DrawCall::Line).size(), 1u);
    const DrawCall patterned = canvas.callsOf(DrawCall::Line)[0];
    EXPECT_EQ(patterned.pen.style, pen);
    EXPECT_EQ(patterned.pen.width, 3);
    EXPECT_EQ(patterned.pen.cap, cap);
    EXPECT_EQ(patterned.points, (std::vector<QPoint>{{0, 0}, {60, 0}}));

    view.SetColor(0xFFFF00);
    canvas.clear();
    view.Paint(canvas, {});
    const auto under = linesIn(canvas, 0xFFFF00);
    ASSERT_EQ(under.size(), 3u);  // a 3-pixel band of one-pixel strokes first
    EXPECT_EQ(under[0].points, (std::vector<QPoint>{{0, -1}, {60, -1}}));
    EXPECT_EQ(canvas.callsOf(DrawCall::Line).back().pen.style, pen);
  }
  // One pixel: one on, one off.
  view.Frame()->SetWidth(1);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  EXPECT_EQ(canvas.callsOf(DrawCall::Line).back().pen.width, 1);
}

TEST(ViewPaint, WideLineStrokesAreCentredOnTheLine) {
  TfrxView view;
  RecordingCanvas canvas;
  view.ComputeDeviceRect(canvas, 1, 1, 0, 0);
  view.DrawWideLine(0, 0, 10, 3, 4);  // mostly horizontal: rows −2 … 1
  view.DrawWideLine(5, 5, 6, 20, 3);  // mostly vertical: columns 4 … 6
  view.DrawWideLine(1, 1, 2, 2, 0);   // 0 counts as 1
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{0, -2}, {10, 1}},
                                                    {{0, -1}, {10, 2}},
                                                    {{0, 0}, {10, 3}},
                                                    {{0, 1}, {10, 4}},
                                                    {{4, 5}, {5, 20}},
                                                    {{5, 5}, {6, 20}},
                                                    {{6, 5}, {7, 20}},
                                                    {{1, 1}, {2, 2}}}));
}

// --- Shapes --------------------------------------------------------------------

TEST(ShapePaint, FiguresAndTheirCorners) {
  TfrxShapeView shape;
  shape.SetBounds(10, 10, 40, 100);
  RecordingCanvas canvas;

  shape.SetShape(skRectangle);
  shape.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 1u);
  EXPECT_EQ(canvas.calls()[0].kind, DrawCall::Rectangle);
  EXPECT_EQ(canvas.calls()[0].rect, (Rect{10, 10, 51, 111}));
  EXPECT_EQ(canvas.calls()[0].brush.style, BrushStyle::Clear);

  canvas.clear();
  shape.SetShape(skRoundRectangle);
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].corner, QSize(10, 10));  // min(40, 100) div 4
  canvas.clear();
  shape.SetCurve(2);
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].corner, QSize(20, 20));

  canvas.clear();
  shape.SetShape(skEllipse);
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].kind, DrawCall::Ellipse);
  EXPECT_EQ(canvas.calls()[0].rect, (Rect{10, 10, 51, 111}));

  canvas.clear();
  shape.SetShape(skTriangle);
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].points, (std::vector<QPoint>{{50, 110}, {10, 110}, {30, 10}, {50, 110}}));

  canvas.clear();
  shape.SetShape(skDiamond);
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].points, (std::vector<QPoint>{{30, 10}, {50, 60}, {30, 110}, {10, 60}}));

  canvas.clear();
  shape.SetShape(skDiagonal1);
  shape.Frame()->SetWidth(2);
  shape.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{9, 110}, {49, 10}}, {{10, 110}, {50, 10}}}));
  EXPECT_EQ(canvas.calls()[0].pen.width, 2);

  canvas.clear();
  shape.SetShape(skDiagonal2);
  shape.Frame()->SetWidth(1);
  shape.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{10, 10}, {50, 110}}}));
}

TEST(ShapePaint, PenAndBrushFollowFrameColourAndBrushStyle) {
  TfrxShapeView shape;
  shape.SetBounds(0, 0, 30, 20);
  shape.Frame()->SetColor(0x0000FF);
  shape.Frame()->SetWidth(2);
  shape.SetColor(0x00FF00);
  RecordingCanvas canvas;
  shape.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 1u);
  EXPECT_EQ(canvas.calls()[0].pen.color, 0x0000FFu);
  EXPECT_EQ(canvas.calls()[0].pen.width, 2);
  EXPECT_EQ(canvas.calls()[0].brush, (valmoro::gfx::Brush{0x00FF00, BrushStyle::Solid}));

  // A hatch: the colour fill, then the hatch in the frame colour over it.
  shape.SetBrushStyle(bsHorizontal);
  canvas.clear();
  shape.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 2u);
  EXPECT_EQ(canvas.calls()[0].brush, (valmoro::gfx::Brush{0x00FF00, BrushStyle::Solid}));
  EXPECT_EQ(canvas.calls()[1].brush, (valmoro::gfx::Brush{0x0000FF, BrushStyle::Horizontal}));
  EXPECT_FALSE(canvas.calls()[1].background.has_value());

  // bsClear only outlines; no pen at all in a transparent frame colour.
  shape.SetBrushStyle(bsClear);
  shape.SetColor(clTransparent);
  shape.Frame()->SetColor(clTransparent);
  canvas.clear();
  shape.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 1u);
  EXPECT_EQ(canvas.calls()[0].brush.style, BrushStyle::Clear);
  EXPECT_EQ(canvas.calls()[0].pen.style, PenStyle::Clear);

  // Dashes at one pixel; frame sides and shadow are not the shape's.
  shape.Frame()->SetColor(0);
  shape.Frame()->SetWidth(1);
  shape.Frame()->SetStyle(fsDashDot);
  shape.Frame()->SetTyp(kAllSides);
  shape.Frame()->SetDropShadow(true);
  canvas.clear();
  shape.Paint(canvas, {});
  ASSERT_EQ(canvas.calls().size(), 1u);
  EXPECT_EQ(canvas.calls()[0].pen.style, PenStyle::DashDot);
  EXPECT_EQ(canvas.calls()[0].rect, (Rect{0, 0, 27, 17}));
}

TEST(ShapePaint, DoubleOutlineDrawsASecondFigureInsideAndKeepsTheBounds) {
  TfrxShapeView shape;
  shape.SetBounds(10, 10, 100, 80);
  shape.Frame()->SetStyle(fsDouble);
  shape.Frame()->SetWidth(2);
  shape.Frame()->LeftLine()->SetStyle(fsDot);
  RecordingCanvas canvas;

  const std::pair<TfrxShapeKind, Rect> inner[] = {{skRectangle, {14, 14, 107, 87}},
                                                  {skEllipse, {14, 14, 107, 87}},
                                                  {skTriangle, {18, 18, 103, 87}},
                                                  {skDiamond, {16, 16, 105, 85}}};
  for (const auto& [kind, rect] : inner) {
    shape.SetShape(kind);
    canvas.clear();
    shape.Paint(canvas, {});
    ASSERT_EQ(canvas.calls().size(), 2u) << kind;
    EXPECT_EQ(canvas.calls()[0].pen.style, PenStyle::Solid);
    EXPECT_EQ(canvas.calls()[1].pen.style, PenStyle::Solid);
    if (kind == skRectangle || kind == skEllipse) {
      EXPECT_EQ(canvas.calls()[0].rect, (Rect{10, 10, 111, 91}));
      EXPECT_EQ(canvas.calls()[1].rect, rect);
    } else {
      // The inner polygon's box, from its extreme points.
      int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
      for (QPoint p : canvas.calls()[1].points) {
        l = std::min(l, p.x()), t = std::min(t, p.y()), r = std::max(r, p.x()), b = std::max(b, p.y());
      }
      EXPECT_EQ((Rect{l, t, r + 1, b + 1}), rect) << kind;
    }
  }
  // The diagonals only move right.
  shape.SetShape(skDiagonal2);
  canvas.clear();
  shape.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{10, 9}, {110, 89}},
                                                    {{10, 10}, {110, 90}},
                                                    {{14, 9}, {114, 89}},
                                                    {{14, 10}, {114, 90}}}));

  EXPECT_EQ(shape.Left(), 10);
  EXPECT_EQ(shape.Top(), 10);
  EXPECT_EQ(shape.Width(), 100);
  EXPECT_EQ(shape.Height(), 80);
  EXPECT_EQ(shape.Frame()->Style(), fsDouble);
  EXPECT_EQ(shape.Frame()->LeftLine()->Style(), fsDot);

  // A shape too small for its double outline draws the outer figure only.
  shape.SetShape(skRectangle);
  shape.SetBounds(0, 0, 6, 6);
  canvas.clear();
  shape.Paint(canvas, {});
  EXPECT_EQ(canvas.calls().size(), 1u);
}

// --- Lines and arrows ------------------------------------------------------------

TEST(LinePaint, StraightLinesBecomeHorizontalOrVertical) {
  TfrxLineView line;
  line.SetBounds(0, 0, 50, 10);
  RecordingCanvas canvas;
  line.Paint(canvas, {});
  EXPECT_EQ(line.Height(), 0);
  EXPECT_EQ(line.Width(), 50);
  EXPECT_EQ(line.Frame()->Typ(), TfrxFrameTypes(ftTop));
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{0, 0}, {51, 0}}}));

  line.SetBounds(5, 5, 10, 10);
  canvas.clear();
  line.Paint(canvas, {});
  EXPECT_EQ(line.Width(), 0);
  EXPECT_EQ(line.Height(), 10);
  EXPECT_EQ(line.Frame()->Typ(), TfrxFrameTypes(ftLeft));
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{5, 5}, {5, 16}}}));

  // A thick one is drawn as the frame side, shortened by half its width.
  line.Frame()->SetWidth(5);
  canvas.clear();
  line.Paint(canvas, {});
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{5, 7}, {5, 13}}}));
}

TEST(LinePaint, DiagonalLinesRunInAnyDirection) {
  TfrxLineView line;
  line.SetDiagonal(true);
  line.SetBounds(50, 50, -40, 30);
  line.Frame()->SetWidth(3);
  line.Frame()->SetStyle(fsDash);
  line.Frame()->SetColor(0xFF0000);
  RecordingCanvas canvas;
  line.Paint(canvas, {});
  EXPECT_EQ(line.Width(), -40);  // a diagonal keeps its bounds
  EXPECT_EQ(segments(canvas), (std::vector<Segment>{{{50, 49}, {10, 79}},
                                                    {{50, 50}, {10, 80}},
                                                    {{50, 51}, {10, 81}}}));
  for (const DrawCall& call : canvas.calls()) {
    EXPECT_EQ(call.pen.style, PenStyle::Dash);
    EXPECT_EQ(call.pen.width, 1);
    EXPECT_EQ(call.pen.color, 0xFF0000u);
  }
  // A double frame style draws solid.
  line.Frame()->SetStyle(fsDouble);
  canvas.clear();
  line.Paint(canvas, {});
  EXPECT_EQ(canvas.calls()[0].pen.style, PenStyle::Solid);

  // Nothing at all without colour or width, arrows included.
  line.SetArrowEnd(true);
  line.Frame()->SetColor(clTransparent);
  canvas.clear();
  line.Paint(canvas, {});
  EXPECT_TRUE(canvas.calls().empty());
  line.Frame()->SetColor(0);
  line.Frame()->SetWidth(0);
  line.Paint(canvas, {});
  EXPECT_TRUE(canvas.calls().empty());
}

TEST(LinePaint, ArrowHeadsAlongTheLine) {
  TfrxLineView line;
  line.SetBounds(10, 50, 100, 0);
  line.SetArrowEnd(true);
  RecordingCanvas canvas;
  line.Paint(canvas, {});
  // Horizontal: base 20 pixels back from the tip, wings 5 up and down.
  auto polylines = canvas.callsOf(DrawCall::Polyline);
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0].points, (std::vector<QPoint>{{90, 45}, {110, 50}, {90, 55}}));

  // Both ends, solid, on a vertical line.
  line.SetBounds(30, 10, 0, 100);
  line.SetArrowStart(true);
  line.SetArrowSolid(true);
  line.SetArrowWidth(4);
  line.SetArrowLength(10);
  line.Frame()->SetColor(0x0000FF);
  canvas.clear();
  line.Paint(canvas, {});
  const auto polygons = canvas.callsOf(DrawCall::Polygon);
  ASSERT_EQ(polygons.size(), 2u);
  EXPECT_EQ(polygons[0].points, (std::vector<QPoint>{{30, 10}, {26, 20}, {34, 20}, {30, 10}}));
  EXPECT_EQ(polygons[1].points, (std::vector<QPoint>{{30, 110}, {26, 100}, {34, 100}, {30, 110}}));
  EXPECT_EQ(polygons[0].brush, (valmoro::gfx::Brush{0x0000FF, BrushStyle::Solid}));
  EXPECT_EQ(polygons[0].pen.color, 0x0000FFu);
}

TEST(LinePaint, NearlyVerticalArrowsUpToEightPixels) {
  TfrxLineView line;
  line.SetDiagonal(true);
  line.SetArrowEnd(true);
  line.SetArrowWidth(5);
  line.SetArrowLength(20);
  RecordingCanvas canvas;

  // 8 pixels apart horizontally: the head stands upright at the tip.
  line.SetBounds(0, 0, 8, 100);
  line.Paint(canvas, {});
  auto heads = canvas.callsOf(DrawCall::Polyline);
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(heads[0].points, (std::vector<QPoint>{{3, 80}, {8, 100}, {13, 80}}));

  // 9 pixels: the head follows the slope.
  line.SetBounds(0, 0, 9, 100);
  canvas.clear();
  line.Paint(canvas, {});
  heads = canvas.callsOf(DrawCall::Polyline);
  ASSERT_EQ(heads.size(), 1u);
  const double k = 100.0 / 9, theta = std::atan(k);
  const double bx = 9 - 20 * std::cos(theta), by = 100 - 20 * std::sin(theta);
  EXPECT_EQ(heads[0].points,
            (std::vector<QPoint>{{int(std::lround(bx + 5 * std::sin(theta))), int(std::lround(by - 5 * std::cos(theta)))},
                                 {9, 100},
                                 {int(std::lround(bx - 5 * std::sin(theta))), int(std::lround(by + 5 * std::cos(theta)))}}));
  EXPECT_NE(heads[0].points[0].y(), heads[0].points[2].y());

  // The start arrow of a line going up-left points away from the end.
  line.SetArrowEnd(false);
  line.SetArrowStart(true);
  line.SetBounds(100, 100, -60, -80);
  canvas.clear();
  line.Paint(canvas, {});
  heads = canvas.callsOf(DrawCall::Polyline);
  ASSERT_EQ(heads.size(), 1u);
  // Base 20 pixels from the tip (100, 100) towards (40, 20): (88, 84).
  const QPoint w1 = heads[0].points[0], w2 = heads[0].points[2];
  EXPECT_EQ(heads[0].points[1], QPoint(100, 100));
  EXPECT_EQ((w1 + w2) / 2, QPoint(88, 84));
  EXPECT_NEAR(std::hypot(w1.x() - w2.x(), w1.y() - w2.y()), 10, 1.5);
}

// --- Pictures --------------------------------------------------------------------

TEST(PicturePaint, StretchedWithAspectRatioAndCentred) {
  TfrxPictureView view;
  view.SetBounds(10, 10, 100, 100);
  view.Picture()->LoadFromData(pngOf(solidImage(200, 100)));
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  auto images = canvas.callsOf(DrawCall::Image);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].rect, (Rect{10, 10, 110, 60}));
  EXPECT_EQ(images[0].imageSize, QSize(200, 100));
  EXPECT_EQ(images[0].brush.color, valmoro::gfx::clWhite);

  view.SetCenter(true);
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_EQ(canvas.callsOf(DrawCall::Image)[0].rect, (Rect{10, 35, 110, 85}));

  // A tall picture is narrowed and centred across.
  view.Picture()->LoadFromData(pngOf(solidImage(50, 100)));
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_EQ(canvas.callsOf(DrawCall::Image)[0].rect, (Rect{35, 10, 85, 110}));

  // Without the aspect ratio it fills the box.
  view.SetKeepAspectRatio(false);
  canvas.clear();
  view.Paint(canvas, {.scaleX = 2, .scaleY = 2});
  EXPECT_EQ(canvas.callsOf(DrawCall::Image)[0].rect, (Rect{20, 20, 220, 220}));
}

TEST(PicturePaint, UnstretchedPictureIsClippedToTheBox) {
  TfrxPictureView view;
  view.SetBounds(10, 10, 100, 50);
  view.SetStretched(false);
  view.Picture()->LoadFromData(pngOf(solidImage(40, 80)));
  view.Frame()->SetTyp(ftTop);
  RecordingCanvas canvas;
  view.Paint(canvas, {.scaleX = 2, .scaleY = 2});
  const auto& calls = canvas.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, DrawCall::PushClip);
  EXPECT_EQ(calls[0].rect, (Rect{20, 20, 220, 120}));
  EXPECT_EQ(calls[1].kind, DrawCall::Image);
  EXPECT_EQ(calls[1].rect, (Rect{20, 20, 100, 180}));
  EXPECT_EQ(calls[2].kind, DrawCall::PopClip);
  EXPECT_EQ(calls[3].kind, DrawCall::Line);  // the frame comes last

  view.SetCenter(true);
  canvas.clear();
  view.Paint(canvas, {.scaleX = 2, .scaleY = 2});
  EXPECT_EQ(canvas.callsOf(DrawCall::Image)[0].rect, (Rect{80, -10, 160, 150}));
}

TEST(PicturePaint, TransparencySmoothingAndThePrintingPath) {
  TfrxPictureView view;
  view.SetBounds(0, 0, 20, 20);
  view.SetKeepAspectRatio(false);
  view.SetTransparentColor(0x00FF00);
  view.Picture()->LoadFromData(pngOf(solidImage(10, 10)));
  PaintContext context;
  const auto draw = [&] {
    RecordingCanvas canvas;
    view.Paint(canvas, context);
    const auto images = canvas.callsOf(DrawCall::Image);
    EXPECT_EQ(images.size(), 1u);
    return images.empty() ? DrawCall{} : images[0];
  };
  DrawCall call = draw();
  EXPECT_FALSE(call.transparent.has_value());
  EXPECT_FALSE(call.smooth);

  view.SetHightQuality(true);
  call = draw();
  EXPECT_TRUE(call.smooth);
  EXPECT_FALSE(call.transparent.has_value());

  // A transparent PNG goes through a bitmap and leaves out its key colour.
  view.SetHightQuality(false);
  view.SetTransparent(true);
  call = draw();
  EXPECT_EQ(call.transparent, 0x00FF00u);
  EXPECT_FALSE(call.smooth);

  // A transparent plain bitmap is drawn directly, leaving the key out too.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, "bmp").write(solidImage(10, 10));
  ASSERT_TRUE(view.Picture()->LoadFromData(buffer.data()));
  ASSERT_EQ(view.Picture()->GraphicClass(), "TBitmap");
  call = draw();
  EXPECT_EQ(call.transparent, 0x00FF00u);

  // On paper: smooth unless transparent, and one-bit pictures stay sharp.
  view.SetTransparent(false);
  context.purpose = PaintPurpose::Print;
  call = draw();
  EXPECT_TRUE(call.smooth);
  QImage mono(16, 16, QImage::Format_Mono);
  mono.fill(0);
  QBuffer monoBuffer;
  monoBuffer.open(QIODevice::WriteOnly);
  QImageWriter(&monoBuffer, "bmp").write(mono);
  ASSERT_TRUE(view.Picture()->LoadFromData(monoBuffer.data()));
  ASSERT_EQ(view.Picture()->Image().depth(), 1);
  call = draw();
  EXPECT_FALSE(call.smooth);
  // Print-optimised output off paper takes the paper's path.
  context = {.purpose = PaintPurpose::Export, .printOptimized = true};
  EXPECT_FALSE(draw().smooth);
  ASSERT_TRUE(view.Picture()->LoadFromData(pngOf(solidImage(10, 10))));
  EXPECT_TRUE(draw().smooth);
  context.printOptimized = false;
  EXPECT_FALSE(draw().smooth);  // drawn directly
}

TEST(PicturePaint, EmptyOrUndecodablePictures) {
  TfrxPictureView view;
  view.SetBounds(10, 10, 50, 50);
  view.Frame()->SetTyp(kAllSides);
  RecordingCanvas canvas;
  view.Paint(canvas, {});
  EXPECT_TRUE(canvas.callsOf(DrawCall::Image).empty());
  EXPECT_EQ(canvas.calls().size(), 4u);  // the frame only

  // The designer shows a sign, its corner at (X + 1, Y + 2).
  canvas.clear();
  view.Paint(canvas, {.purpose = PaintPurpose::Design});
  ASSERT_GT(canvas.calls().size(), 4u);
  EXPECT_EQ(canvas.calls()[0].kind, DrawCall::Rectangle);
  EXPECT_EQ(canvas.calls()[0].rect.left, 11);
  EXPECT_EQ(canvas.calls()[0].rect.top, 12);

  // Damaged data or a kind that cannot be shown draws no picture.
  view.Picture()->SetGraphic("TPngImage", QByteArray("\x89PNG\r\n\x1a\nbroken", 14));
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_TRUE(canvas.callsOf(DrawCall::Image).empty());
  view.Picture()->SetGraphic("TMetafile", QByteArray("\x10\x00\x00\x00any bytes", 13));
  canvas.clear();
  view.Paint(canvas, {});
  EXPECT_TRUE(canvas.callsOf(DrawCall::Image).empty());
  EXPECT_EQ(canvas.calls().size(), 4u);
}

// --- Subreports, dialog components, page backgrounds ------------------------------

TEST(SubreportPaint, GreyBoxFrameAndNameInItsFont) {
  TfrxSubreport subreport;
  subreport.SetName("Subreport1");
  subreport.SetBounds(10, 20, 200, 30);
  RecordingCanvas canvas;
  subreport.Paint(canvas, {.scaleX = 1.5, .scaleY = 1.5});
  const auto fills = canvas.callsOf(DrawCall::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].brush.color, clSilver);
  EXPECT_EQ(canvas.callsOf(DrawCall::Line).size(), 4u);
  const auto texts = canvas.callsOf(DrawCall::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Subreport1");
  EXPECT_EQ(texts[0].points[0], QPoint(17, 32));
  EXPECT_EQ(texts[0].font.name, "Tahoma");
  EXPECT_EQ(texts[0].font.height, -16);  // 8 points at 1.5 × 96 dpi
  EXPECT_EQ(canvas.calls().back().kind, DrawCall::Text);
}

TEST(DialogComponentPaint, SymbolAtItsPlaceWithTheNameCentredBelow) {
  TfrxDialogComponent component;
  component.SetName("X");
  component.SetBounds(40.4, 60.6, 10, 10);
  RecordingCanvas canvas;
  // Scale and offset do not apply.
  component.Paint(canvas, {.scaleX = 3, .scaleY = 3, .offsetX = 100, .offsetY = 100});
  EXPECT_EQ(component.Width(), 28);
  EXPECT_EQ(component.Height(), 28);
  ASSERT_FALSE(canvas.calls().empty());
  EXPECT_EQ(canvas.calls()[0].rect, (Rect{40, 61, 68, 89}));
  EXPECT_EQ(canvas.calls()[0].brush.color, 0xFF00000Fu);
  const auto texts = canvas.callsOf(DrawCall::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].font.name, "Tahoma");
  EXPECT_EQ(texts[0].font.height, -11);
  int width = 0;
  for (int a : canvas.textAdvances("X")) width += a;
  EXPECT_EQ(texts[0].points[0], QPoint(40 - (width - 28) / 2, 93));
  // The name stands on the window colour.
  const auto fills = canvas.callsOf(DrawCall::FillRect);
  EXPECT_EQ(fills.back().brush.color, 0xFF000005u);
  EXPECT_EQ(fills.back().rect.left, texts[0].points[0].x());
  EXPECT_EQ(fills.back().rect.width(), width);
}

TEST(PageBackgroundPaint, CoversThePrintableAreaAndHonoursPrintable) {
  TfrxReportPage page;
  page.SetPaperWidth(100);
  page.SetPaperHeight(50);
  page.SetLeftMargin(10);
  page.SetRightMargin(20);
  page.SetTopMargin(5);
  page.SetBottomMargin(5);
  page.SetColor(0xCCCCCC);
  page.Frame()->SetTyp(kAllSides);
  page.BackPicture()->LoadFromData(pngOf(solidImage(20, 10)));

  RecordingCanvas screen(96, DeviceKind::Screen);
  page.PaintBackground(screen, {});
  const auto fills = screen.callsOf(DrawCall::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  // 70 × 40 mm from (10, 5) mm.
  EXPECT_EQ(fills[0].rect, (Rect{38, 19, 302, 170}));
  // The picture fills it without keeping its shape.
  EXPECT_EQ(screen.callsOf(DrawCall::Image)[0].rect, (Rect{38, 19, 302, 170}));
  EXPECT_EQ(screen.callsOf(DrawCall::Line).size(), 4u);

  page.SetBackPicturePrintable(false);
  RecordingCanvas paper(600, DeviceKind::Printer);
  const PaintContext onPaper{.purpose = PaintPurpose::Print, .scaleX = 6.25, .scaleY = 6.25};
  page.PaintBackground(paper, onPaper);
  EXPECT_TRUE(paper.calls().empty());
  screen.clear();
  page.PaintBackground(screen, {});
  EXPECT_FALSE(screen.calls().empty());
  // Pictures drawn as on paper count as paper too, off paper as well.
  screen.clear();
  page.PaintBackground(screen, {.printOptimized = true});
  EXPECT_TRUE(screen.calls().empty());

  page.SetBackPicturePrintable(true);
  page.PaintBackground(paper, onPaper);
  EXPECT_EQ(paper.callsOf(DrawCall::Image).size(), 1u);
  EXPECT_TRUE(paper.callsOf(DrawCall::Image)[0].smooth);  // the printing path

  page.SetBackPictureVisible(false);
  screen.clear();
  page.PaintBackground(screen, {});
  EXPECT_TRUE(screen.calls().empty());
}

// --- Bad input ---------------------------------------------------------------------

TEST(ViewPaint, AbsurdSizesAndWidthsNeitherCrashNorHang) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double size : {0.0, -50.0, 1e300, -1e300, nan, inf}) {
    for (double width : {0.0, -3.0, 1e12, nan}) {
      RecordingCanvas canvas;
      TfrxView view;
      view.SetBounds(10, 10, size, size);
      view.SetColor(0xFFFFFF);
      view.SetBrushStyle(bsCross);
      view.Frame()->SetTyp(kAllSides);
      view.Frame()->SetWidth(width);
      view.Frame()->SetDropShadow(true);
      view.Frame()->SetShadowWidth(width);
      view.Paint(canvas, {});
      // At most a few thousand strokes per side, however wide the frame.
      EXPECT_LT(canvas.calls().size(), 30000u);

      for (int kind = skRectangle; kind <= skDiagonal2; ++kind) {
        for (TfrxFrameStyle style : {fsSolid, fsDouble, fsAltDot}) {
          TfrxShapeView shape;
          shape.SetShape(TfrxShapeKind(kind));
          shape.SetBounds(0, 0, size, size);
          shape.Frame()->SetWidth(width);
          shape.Frame()->SetStyle(style);
          shape.SetCurve(1000000000);
          RecordingCanvas shapeCanvas;
          shape.Paint(shapeCanvas, {});
          EXPECT_LT(shapeCanvas.calls().size(), 20000u);
        }
      }

      TfrxLineView line;
      line.SetDiagonal(true);
      line.SetArrowStart(true);
      line.SetArrowEnd(true);
      line.SetArrowSolid(true);
      line.SetArrowLength(2000000000);
      line.SetBounds(5, 5, size, -size);
      line.Frame()->SetWidth(width);
      RecordingCanvas lineCanvas;
      line.Paint(lineCanvas, {});

      TfrxPictureView picture;
      picture.SetBounds(0, 0, size, size);
      picture.SetCenter(true);
      picture.Picture()->LoadFromData(pngOf(solidImage(3, 2)));
      for (bool stretched : {true, false}) {
        picture.SetStretched(stretched);
        RecordingCanvas pictureCanvas;
        picture.Paint(pictureCanvas, {});
      }
    }
  }
  // Scales themselves may be absurd too.
  TfrxView view;
  view.SetBounds(1, 1, 10, 10);
  view.Frame()->SetTyp(kAllSides);
  RecordingCanvas canvas;
  view.Paint(canvas, {.scaleX = nan, .scaleY = inf, .offsetX = -inf, .offsetY = 1e308});
  view.Paint(canvas, {.scaleX = 0, .scaleY = 0});
  SUCCEED();
}
