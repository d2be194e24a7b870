#pragma once
// A canvas that draws nothing and keeps every call with its exact integer
// coordinates and the pen, brush, background and font in force. Tests read
// it; finding text in the preview and the exports walk it.

#include <QSize>
#include <vector>

#include "platform/canvas.h"

namespace valmoro::gfx {

struct DrawCall {
  enum Kind { FillRect, Rectangle, RoundRect, Ellipse, Polygon, Polyline, Line, PushClip, PopClip, Text, Image };
  Kind kind = FillRect;
  Rect rect;                  // figures, clip, image target
  std::vector<QPoint> points; // polygon, polyline, line (two points), text origin (one point)
  QSize corner;               // rounded-rectangle corner ellipse
  QString text;
  std::vector<int> advances;  // as passed (empty: the font's own)
  Pen pen;
  Brush brush;
  std::optional<Color> background;
  Font font;
  QSize imageSize;
  std::optional<Color> transparent;
  bool smooth = false;
};

class RecordingCanvas : public Canvas {
public:
  explicit RecordingCanvas(int dpi = 96, DeviceKind kind = DeviceKind::Recording) : dpi_(dpi), kind_(kind) {}

  DeviceKind kind() const override { return kind_; }
  // Answers as the device it stands in for.
  bool printsOnPaper() const override { return kind_ == DeviceKind::Printer; }
  bool textAtDeviceResolution() const override { return kind_ == DeviceKind::Printer; }
  bool isRaster() const override { return kind_ == DeviceKind::Screen || kind_ == DeviceKind::Bitmap; }
  int dpiX() const override { return dpi_; }
  int dpiY() const override { return dpi_; }

  void fillRect(const Rect& rect) override;
  void rectangle(const Rect& rect) override;
  void roundRect(const Rect& rect, int cornerWidth, int cornerHeight) override;
  void ellipse(const Rect& rect) override;
  void polygon(std::span<const QPoint> points) override;
  void polyline(std::span<const QPoint> points) override;
  void line(QPoint from, QPoint to) override;
  void pushClip(const Rect& rect) override;
  void popClip() override;
  void textOut(QPoint at, const QString& text, std::span<const int> advances = {}) override;
  void drawImage(const Rect& target, const QImage& image, std::optional<Color> transparent = std::nullopt,
                 bool smooth = false) override;

  const std::vector<DrawCall>& calls() const { return calls_; }
  // The calls of one kind, in order.
  std::vector<DrawCall> callsOf(DrawCall::Kind kind) const;
  void clear() { calls_.clear(); }

private:
  DrawCall& add(DrawCall::Kind kind);

  int dpi_;
  DeviceKind kind_;
  std::vector<DrawCall> calls_;
};

}  // namespace valmoro::gfx
