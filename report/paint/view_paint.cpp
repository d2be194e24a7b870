// How views draw themselves: device box, background fill, frame and shadow.

#include <cmath>
#include <cstdlib>

#include "platform/canvas.h"
#include "report/model/view.h"
#include "report/paint/paint_support.h"

namespace valmoro::report {

namespace {

bool isVertical(TfrxFrameType side) { return side == ftLeft || side == ftRight; }

// The pen a frame side is drawn with: solid lines at their device width with
// square ends, patterned ones one pixel wide.
gfx::Pen sidePen(const TfrxFrameLine& line, double scaleX) {
  gfx::Pen pen;
  pen.color = paint::color(line.Color());
  if (line.Style() == fsSolid || line.Style() == fsDouble) {
    pen.width = paint::width(line.Width() * scaleX);
    pen.cap = gfx::PenCap::Square;
  } else {
    pen.style = paint::patternOf(line.Style());
    pen.width = 1;
  }
  return pen;
}

// A solid stroke whose square ends reach half the pen's width beyond both end
// points. Wide pens do that themselves; a one-pixel stroke stops before its
// end point, so it is carried one pixel further along its axis.
void squareEndedStroke(gfx::Canvas& canvas, QPoint from, QPoint to, bool vertical) {
  if (canvas.pen().width > 1) {
    canvas.line(from, to);
    return;
  }
  if (vertical)
    to.ry() += to.y() >= from.y() ? 1 : -1;
  else
    to.rx() += to.x() >= from.x() ? 1 : -1;
  canvas.line(from, to);
}

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

void TfrxView::ComputeDeviceRect(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) {
  ComputeDeviceRectFor(canvas, scaleX, scaleY, offsetX, offsetY, AbsLeft(), AbsTop(), Width(), Height());
}

void TfrxView::ComputeDeviceRectFor(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                                    double offsetY, double absLeft, double absTop, double width, double height) {
  box_.canvas = &canvas;
  box_.scaleX = scaleX;
  box_.scaleY = scaleY;
  box_.offsetX = offsetX;
  box_.offsetY = offsetY;
  box_.x = paint::round(offsetX + scaleX * absLeft);
  box_.y = paint::round(offsetY + scaleY * absTop);
  box_.x1 = paint::round(offsetX + scaleX * (absLeft + width));
  box_.y1 = paint::round(offsetY + scaleY * (absTop + height));
  // The shadow is drawn inside the object's bounds.
  if (Frame()->DropShadow()) {
    box_.x1 -= paint::width(scaleX * Frame()->ShadowWidth());
    box_.y1 -= paint::width(scaleY * Frame()->ShadowWidth());
  }
  box_.dx = box_.x1 - box_.x;
  box_.dy = box_.y1 - box_.y;
  box_.fw = paint::width(Frame()->Width() * scaleX);
  box_.color = Color();
}

void TfrxView::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  ComputeDeviceRect(canvas, context.scaleX, context.scaleY, context.offsetX, context.offsetY);
  PaintFill();
  PaintFrame();
}

void TfrxView::PaintFill() {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  if (!paint::isTransparent(box_.color)) {
    canvas.setBrush({paint::color(box_.color), gfx::BrushStyle::Solid});
    canvas.fillRect({box_.x, box_.y, box_.x1, box_.y1});
  }
  // A hatch in a transparent frame colour would have no colour to be drawn in.
  if (paint::isHatch(BrushStyle()) && !paint::isTransparent(Frame()->Color())) {
    canvas.setBrush({paint::color(Frame()->Color()), paint::brushStyle(BrushStyle())});
    canvas.setBackground(std::nullopt);
    canvas.fillRect({box_.x, box_.y, box_.x1 + 1, box_.y1 + 1});
  }
}

void TfrxView::DrawWideLine(int xa, int ya, int xb, int yb, int width) {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  if (width < 1) width = 1;
  if (width > paint::kMaxDeviceWidth) width = paint::kMaxDeviceWidth;
  const int first = -(width / 2);
  const int last = width / 2 - (width % 2 == 0 ? 1 : 0);
  const bool alongX = std::abs(xb - xa) > std::abs(yb - ya);
  for (int k = first; k <= last; ++k) {
    if (alongX)
      canvas.line({xa, ya + k}, {xb, yb + k});
    else
      canvas.line({xa + k, ya}, {xb + k, yb});
  }
}

void TfrxView::SetGapBackground() {
  if (!box_.canvas) return;
  if (paint::isTransparent(box_.color))
    box_.canvas->setBackground(std::nullopt);
  else
    box_.canvas->setBackground(paint::color(box_.color));
}

void TfrxView::PaintFrame() {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  const TfrxFrame& frame = *Frame();

  if (frame.DropShadow() && !paint::isTransparent(frame.ShadowColor())) {
    canvas.setPen({paint::color(frame.ShadowColor()), 1, gfx::PenStyle::Solid, gfx::PenCap::Square});
    const int s = paint::width(frame.ShadowWidth() * box_.scaleX);
    DrawWideLine(box_.x1 + s / 2, box_.y + s, box_.x1 + s / 2, box_.y1, s);
    const int t = paint::width(frame.ShadowWidth() * box_.scaleY);
    DrawWideLine(box_.x + t, box_.y1 + t / 2, box_.x1 + t, box_.y1 + t / 2, t);
  }

  if (!frame.Typ() || paint::isTransparent(frame.Color()) || !(frame.Width() > 0)) return;

  if (frame.Style() != fsSolid)
    SetGapBackground();
  else
    canvas.setBackground(std::nullopt);

  const bool patternedFrame = frame.Style() != fsSolid;
  if (frame.Typ() & ftLeft) {
    const gfx::Pen pen = sidePen(*frame.LeftLine(), box_.scaleX);
    canvas.setPen(pen);
    const int e = pen.width == 2 && patternedFrame ? 1 : 0;
    DrawFrameLine({box_.x, box_.y - e}, {box_.x, box_.y1}, ftTop, ftBottom, ftLeft, *frame.LeftLine());
  }
  if (frame.Typ() & ftRight) {
    canvas.setPen(sidePen(*frame.RightLine(), box_.scaleX));
    DrawFrameLine({box_.x1, box_.y}, {box_.x1, box_.y1}, ftTop, ftBottom, ftRight, *frame.RightLine());
  }
  if (frame.Typ() & ftTop) {
    canvas.setPen(sidePen(*frame.TopLine(), box_.scaleX));
    DrawFrameLine({box_.x, box_.y}, {box_.x1, box_.y}, ftLeft, ftRight, ftTop, *frame.TopLine());
  }
  if (frame.Typ() & ftBottom) {
    const gfx::Pen pen = sidePen(*frame.BottomLine(), box_.scaleX);
    canvas.setPen(pen);
    // A one-pixel patterned stroke stops before its end point; the corner
    // pixel below the right side belongs to the bottom side.
    const int e = pen.width == 1 && patternedFrame ? 1 : 0;
    DrawFrameLine({box_.x, box_.y1}, {box_.x1 + e, box_.y1}, ftLeft, ftRight, ftBottom, *frame.BottomLine());
  }
}

void TfrxView::DrawFrameLine(QPoint start, QPoint end, TfrxFrameType startNeighbour, TfrxFrameType endNeighbour,
                             TfrxFrameType side, const TfrxFrameLine& line) {
  if (!box_.canvas) return;
  gfx::Canvas& canvas = *box_.canvas;
  // A side in a transparent colour is not there to be seen.
  if (paint::isTransparent(line.Color())) return;
  const int w = paint::width(line.Width() * box_.scaleX);
  const TfrxFrameStyle style = line.Style();
  const bool vertical = isVertical(side);
  const bool hasStart = Frame()->Typ() & startNeighbour;
  const bool hasEnd = Frame()->Typ() & endNeighbour;

  if (style == fsSolid || style == fsDouble) {
    // Without a neighbour the square end would stick out of the box.
    if (vertical) {
      const int dir = sign(end.y() - start.y());
      if (!hasStart) start.ry() += dir * (w / 2);
      if (!hasEnd) end.ry() -= dir * (w / 2);
    } else {
      const int dir = sign(end.x() - start.x());
      if (!hasStart) start.rx() += dir * (w / 2);
      if (!hasEnd) end.rx() -= dir * (w / 2);
    }
  }

  switch (style) {
    case fsSolid:
      canvas.setPen({paint::color(line.Color()), w, gfx::PenStyle::Solid, gfx::PenCap::Square});
      squareEndedStroke(canvas, start, end, vertical);
      break;

    case fsDouble: {
      // Two strokes 2·w apart; at a corner shared with a neighbour the inner
      // one is shortened by w and the outer one lengthened by w, so the two
      // double sides meet. Plain strokes: one-pixel ones stop before their
      // end point, which the bottom side's extra pixel makes up for.
      const gfx::Pen pen{paint::color(line.Color()), w, gfx::PenStyle::Solid, gfx::PenCap::Square};
      canvas.setPen(pen);
      const int n = hasStart ? w : 0;
      const int f = hasEnd ? w : 0;
      const int sigma = side == ftRight || side == ftBottom ? 1 : -1;
      const bool fillMiddle = !paint::isTransparent(box_.color);
      auto middle = [&] {
        if (!fillMiddle) return;
        gfx::Pen gap = pen;
        gap.color = paint::color(box_.color);
        canvas.setPen(gap);
        canvas.line(start, end);
        canvas.setPen(pen);
      };
      if (vertical) {
        const int x = start.x(), ys = start.y(), ye = end.y();
        canvas.line({x - w, ys + sigma * n}, {x - w, ye - sigma * f});
        middle();
        canvas.line({x + w, ys - sigma * n}, {x + w, ye + sigma * f});
      } else {
        const int y = start.y(), xs = start.x(), xe = end.x();
        canvas.line({xs + sigma * n, y - w}, {xe - sigma * f, y - w});
        middle();
        canvas.line({xs - sigma * n, y + w}, {xe + sigma * f, y + w});
      }
      break;
    }

    case fsDash:
    case fsDot:
    case fsDashDot:
    case fsDashDotDot:
      // The patterned one-pixel pen is already set.
      DrawWideLine(start.x(), start.y(), end.x(), end.y(), w);
      break;

    case fsAltDot:
    case fsSquare:
      if (!paint::isTransparent(box_.color)) {
        canvas.setPen({paint::color(box_.color), 1, gfx::PenStyle::Solid, gfx::PenCap::Square});
        DrawWideLine(start.x(), start.y(), end.x(), end.y(), w);
      }
      canvas.setPen(paint::styledPen(line.Color(), style, w));
      canvas.line(start, end);
      break;
  }
}

}  // namespace valmoro::report
