// How views draw themselves: device box, background fill, frame and shadow.

#include <cmath>

#include "platform/canvas.h"
#include "report/model/view.h"

namespace valmoro::report {

namespace {
// Halves go to the even neighbour, as everywhere in drawing.
int roundEven(double v) { return int(std::nearbyint(v)); }
}  // namespace

void TfrxView::ComputeDeviceRect(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) {
  box_.canvas = &canvas;
  box_.scaleX = scaleX;
  box_.scaleY = scaleY;
  box_.offsetX = offsetX;
  box_.offsetY = offsetY;
  box_.x = roundEven(offsetX + scaleX * AbsLeft());
  box_.y = roundEven(offsetY + scaleY * AbsTop());
  box_.x1 = roundEven(offsetX + scaleX * (AbsLeft() + Width()));
  box_.y1 = roundEven(offsetY + scaleY * (AbsTop() + Height()));
  if (Frame()->DropShadow()) {
    box_.x1 -= roundEven(scaleX * Frame()->ShadowWidth());
    box_.y1 -= roundEven(scaleY * Frame()->ShadowWidth());
  }
  box_.dx = box_.x1 - box_.x;
  box_.dy = box_.y1 - box_.y;
  box_.fw = roundEven(Frame()->Width() * scaleX);
}

void TfrxView::Paint(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY) {
  ComputeDeviceRect(canvas, scaleX, scaleY, offsetX, offsetY);
  PaintFill();
  PaintFrame();
}

// Work in progress: fill, frame and wide lines are drawn by the next commits.
void TfrxView::PaintFill() {}
void TfrxView::PaintFrame() {}
void TfrxView::DrawWideLine(int, int, int, int, int) {}

}  // namespace valmoro::report
