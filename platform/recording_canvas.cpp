#include "platform/recording_canvas.h"

namespace valmoro::gfx {

DrawCall& RecordingCanvas::add(DrawCall::Kind kind) {
  DrawCall& call = calls_.emplace_back();
  call.kind = kind;
  call.pen = pen_;
  call.brush = brush_;
  call.background = background_;
  call.font = font_;
  return call;
}

void RecordingCanvas::fillRect(const Rect& rect) { add(DrawCall::FillRect).rect = rect; }

void RecordingCanvas::rectangle(const Rect& rect) { add(DrawCall::Rectangle).rect = rect; }

void RecordingCanvas::roundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
  DrawCall& call = add(DrawCall::RoundRect);
  call.rect = rect;
  call.corner = QSize(cornerWidth, cornerHeight);
}

void RecordingCanvas::ellipse(const Rect& rect) { add(DrawCall::Ellipse).rect = rect; }

void RecordingCanvas::polygon(std::span<const QPoint> points) {
  add(DrawCall::Polygon).points.assign(points.begin(), points.end());
}

void RecordingCanvas::polyline(std::span<const QPoint> points) {
  add(DrawCall::Polyline).points.assign(points.begin(), points.end());
}

void RecordingCanvas::line(QPoint from, QPoint to) { add(DrawCall::Line).points = {from, to}; }

void RecordingCanvas::pushClip(const Rect& rect) { add(DrawCall::PushClip).rect = rect; }

void RecordingCanvas::popClip() { add(DrawCall::PopClip); }

void RecordingCanvas::textOut(QPoint at, const QString& text, std::span<const int> advances) {
  DrawCall& call = add(DrawCall::Text);
  call.points = {at};
  call.text = text;
  call.advances.assign(advances.begin(), advances.end());
}

void RecordingCanvas::drawImage(const Rect& target, const QImage& image, std::optional<Color> transparent,
                                bool smooth) {
  DrawCall& call = add(DrawCall::Image);
  call.rect = target;
  call.imageSize = image.size();
  call.transparent = transparent;
  call.smooth = smooth;
}

std::vector<DrawCall> RecordingCanvas::callsOf(DrawCall::Kind kind) const {
  std::vector<DrawCall> out;
  for (const DrawCall& call : calls_)
    if (call.kind == kind) out.push_back(call);
  return out;
}

}  // namespace valmoro::gfx
