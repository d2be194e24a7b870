// Drawing of line views: horizontal and vertical lines as a frame side,
// diagonals as wide strokes, and arrow heads.

#include <algorithm>
#include <array>
#include <cmath>

#include <QPointF>

#include "platform/canvas.h"
#include "report/model/line_view.h"
#include "report/paint/paint_support.h"

namespace valmoro::report {

void TfrxCustomLineView::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  TfrxFrame& frame = *Frame();
  if (!Diagonal()) {
    // A straight line is exactly horizontal or vertical: the smaller side goes.
    if (Height() >= Width()) {
      SetWidth(0);
      frame.SetTyp(ftLeft);
    } else {
      SetHeight(0);
      frame.SetTyp(ftTop);
    }
  }
  ComputeDeviceRect(canvas, context.scaleX, context.scaleY, context.offsetX, context.offsetY);
  const DeviceBox& b = box_;
  const TfrxFrameStyle style = frame.Style() == fsDouble ? fsSolid : frame.Style();

  gfx::Pen linePen;
  if (!Diagonal()) {
    PaintFrame();
    // Arrow heads take the line's own pen.
    linePen = paint::styledPen(frame.Color(), style, style == fsSolid ? b.fw : 1);
  } else {
    if (paint::isTransparent(frame.Color()) || !(frame.Width() > 0)) return;
    if (frame.Style() != fsSolid)
      SetGapBackground();
    else
      canvas.setBackground(std::nullopt);
    linePen = {paint::color(frame.Color()), 1, paint::patternOf(style), gfx::PenCap::Square};
    canvas.setPen(linePen);
    DrawWideLine(b.x, b.y, b.x1, b.y1, b.fw);
  }
  // There is no colour to draw arrow heads in.
  if (paint::isTransparent(frame.Color())) return;
  if (ArrowStart()) DrawArrow(b.x, b.y, b.x1, b.y1, linePen);
  if (ArrowEnd()) DrawArrow(b.x1, b.y1, b.x, b.y, linePen);
}

void TfrxCustomLineView::DrawArrow(double x1, double y1, double x2, double y2, const gfx::Pen& linePen) {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  const double aw = ArrowWidth() * box_.scaleX;
  const double al = ArrowLength() * box_.scaleX;

  double x = x1, yb = y1;  // the middle of the arrow head's base
  QPointF wing1, wing2;
  if (std::fabs(x1 - x2) > 8) {
    // The base point lies on the line at distance al from the tip, on the
    // side of the other end.
    const double k = (y1 - y2) / (x1 - x2);
    const double b = (x1 * y2 - y1 * x2) / (x1 - x2);
    const double qa = 1 + k * k;
    const double qb = 2 * (k * (b - y1) - x1);
    const double qc = x1 * x1 + (b - y1) * (b - y1) - al * al;
    const double root = std::sqrt(std::max(0.0, qb * qb - 4 * qa * qc));
    x = (-qb + root) / (2 * qa);
    if ((x1 > x && x2 > x) || (x1 < x && x2 < x)) x = (-qb - root) / (2 * qa);
    yb = b + k * x;
    if (y1 != y2) {
      const double theta = std::atan(k);
      wing1 = {x + aw * std::sin(theta), yb - aw * std::cos(theta)};
      wing2 = {x - aw * std::sin(theta), yb + aw * std::cos(theta)};
    } else {
      wing1 = {x, yb - aw};
      wing2 = {x, yb + aw};
    }
  } else {
    // Nearly vertical: a slope would be too steep to be of use.
    yb = y1 - al;
    if ((y1 > yb && y2 > yb) || (y1 < yb && y2 < yb)) yb = y1 + al;
    wing1 = {x1 - aw, yb};
    wing2 = {x1 + aw, yb};
  }

  const QPoint tip(paint::round(x1), paint::round(y1));
  const QPoint w1(paint::round(wing1.x()), paint::round(wing1.y()));
  const QPoint w2(paint::round(wing2.x()), paint::round(wing2.y()));
  const TfrxFrame& frame = *Frame();
  if (ArrowSolid()) {
    canvas.setPen(linePen);
    canvas.setBrush({paint::color(frame.Color()), gfx::BrushStyle::Solid});
    const std::array<QPoint, 4> points{tip, w1, w2, tip};
    canvas.polygon(points);
  } else {
    const gfx::Pen pen = paint::styledPen(frame.Color(), frame.Style() == fsDouble ? fsSolid : frame.Style(), box_.fw);
    canvas.setPen(pen);
    const std::array<QPoint, 3> points{w1, tip, w2};
    canvas.polyline(points);
  }
}

}  // namespace valmoro::report
