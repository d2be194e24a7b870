// Drawing of shapes: rectangles, rounded rectangles, ellipses, triangles,
// diamonds and diagonals, with single or double outlines.

#include <algorithm>
#include <array>

#include "platform/canvas.h"
#include "report/model/shape_view.h"
#include "report/paint/paint_support.h"

namespace valmoro::report {

namespace {

// How far a double outline's inner figure lies inside the outer one, in
// frame widths: left and top are moved by `inset`, width and height shrink
// by `shrinkX` and `shrinkY`.
struct InnerFigure {
  double inset = 0, shrinkX = 0, shrinkY = 0;
  bool moveTop = true;
};

InnerFigure innerFigure(TfrxShapeKind shape) {
  switch (shape) {
    case skRectangle:
    case skRoundRectangle:
    case skEllipse: return {2, 4, 4};
    case skTriangle: return {4, 8, 6};
    case skDiamond: return {3, 6, 6};
    case skDiagonal1:
    case skDiagonal2: return {2, 0, 0, false};
  }
  return {2, 4, 4};
}

}  // namespace

void TfrxShapeView::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  ComputeDeviceRect(canvas, context.scaleX, context.scaleY, context.offsetX, context.offsetY);
  if (Frame()->Style() != fsDouble) {
    DrawShapeOutline(Frame()->Style());
    return;
  }
  // A double outline is the figure drawn solid twice, the second time moved
  // in and shrunk by a few frame widths. The view's own bounds stay as they are.
  DrawShapeOutline(fsSolid);
  const double w = Frame()->Width();
  const InnerFigure inner = innerFigure(Shape());
  const double width = Width() - inner.shrinkX * w;
  const double height = Height() - inner.shrinkY * w;
  // A figure too small for its double outline has no inside to draw.
  const bool closed = Shape() != skDiagonal1 && Shape() != skDiagonal2;
  if (closed && (width < 0 || height < 0)) return;
  ComputeDeviceRectFor(canvas, context.scaleX, context.scaleY, context.offsetX, context.offsetY,
                       AbsLeft() + inner.inset * w, AbsTop() + (inner.moveTop ? inner.inset * w : 0), width, height);
  DrawShapeOutline(fsSolid);
}

void TfrxShapeView::DrawShapeOutline(TfrxFrameStyle style) {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  const DeviceBox& b = box_;
  const TfrxFrame& frame = *Frame();

  if (paint::isTransparent(frame.Color()))
    canvas.setPen({gfx::clBlack, 0, gfx::PenStyle::Clear});
  else
    canvas.setPen(paint::styledPen(frame.Color(), style, b.fw));

  const gfx::Rect bounds{b.x, b.y, b.x1 + 1, b.y1 + 1};
  auto figure = [&] {
    switch (Shape()) {
      case skRectangle: canvas.rectangle(bounds); break;
      case skRoundRectangle: {
        const int c = Curve() != 0 ? paint::round(Curve() * b.scaleX * 10) : std::min(b.dx, b.dy) / 4;
        const int corner = std::clamp(c, 0, paint::kMaxDeviceCoordinate);
        canvas.roundRect(bounds, corner, corner);
        break;
      }
      case skEllipse: canvas.ellipse(bounds); break;
      case skTriangle: {
        const std::array<QPoint, 4> points{
            QPoint(b.x1, b.y1), QPoint(b.x, b.y1), QPoint(b.x + b.dx / 2, b.y), QPoint(b.x1, b.y1)};
        canvas.polygon(points);
        break;
      }
      case skDiamond: {
        const std::array<QPoint, 4> points{QPoint(b.x + b.dx / 2, b.y), QPoint(b.x1, b.y + b.dy / 2),
                                           QPoint(b.x + b.dx / 2, b.y1), QPoint(b.x, b.y + b.dy / 2)};
        canvas.polygon(points);
        break;
      }
      case skDiagonal1: DrawWideLine(b.x, b.y1, b.x1, b.y, b.fw); break;
      case skDiagonal2: DrawWideLine(b.x, b.y, b.x1, b.y1, b.fw); break;
    }
  };

  if (style != fsSolid && style != fsDouble)
    SetGapBackground();
  else
    canvas.setBackground(std::nullopt);

  if (BrushStyle() == bsSolid) {
    if (paint::isTransparent(Color()))
      canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Clear});
    else
      canvas.setBrush({paint::color(Color()), gfx::BrushStyle::Solid});
    figure();
    return;
  }
  if (!paint::isTransparent(Color())) {
    canvas.setBrush({paint::color(Color()), gfx::BrushStyle::Solid});
    figure();
  }
  // The hatch goes over the fill, its gaps showing what lies beneath.
  if (BrushStyle() == bsClear || paint::isTransparent(frame.Color()))
    canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Clear});
  else
    canvas.setBrush({paint::color(frame.Color()), paint::brushStyle(BrushStyle())});
  canvas.setBackground(std::nullopt);
  figure();
}

}  // namespace valmoro::report
