#pragma once
// The canvas on a real surface: a bitmap, a window's paint event, and later
// the printer, through QPainter. Figures keep the pixel rules of canvas.h
// exactly: their pixels are computed by pixel_raster and handed to the device
// as whole-pixel spans (written straight into the pixels when the surface is
// a 32-bit QImage seen without transformation, which is much faster), text
// is drawn from the very font file it was measured with, glyph by glyph at
// the imposed advances.
//
// Conventions where canvas.h leaves room:
//   - a one-pixel line takes for each step the pixel nearest the exact line,
//     a tie staying on the side of the start point;
//   - the pixels of a wide solid stroke are those whose centre lies in the
//     stroke's outline (left and top edges included); so a vertical w-pixel
//     line at column X covers columns X − w div 2 … X − w div 2 + w − 1; a
//     flat stroke covers its span less the higher end point, like a filled
//     rectangle; square caps run from w div 2 pixels before the lower end
//     point to (w − 1) div 2 pixels past the higher one (w = 3: one pixel
//     beyond either end; w = 2: one before, none past), whichever way the
//     line was drawn;
//   - wide outlines of figures (rectangle, ellipse, rounded rectangle) are
//     centred on the one-pixel outline the same way, rectangles with square
//     corners; polylines and polygons join wide segments with round joins;
//   - a figure with a clear pen fills exactly the pixels its one-pixel
//     outline would enclose (x … r − 1, y … b − 1);
//   - a polygon's interior is filled even-odd, a pixel belonging to it when
//     its centre is inside (left and top edges included);
//   - dashed one-pixel pens restart their pattern with every line and
//     continue it along a figure (polyline, polygon, outline);
//   - wide patterned pens mark the line's one-pixel centre line: squares are
//     w pixels along (from the start point) and w across, dots are filled
//     circles of diameter w centred on every 2·w-th pixel from the start; on
//     figures both are centred on every 2·w-th outline pixel; the background
//     colour, when set, fills the whole stroke first;
//   - the colour clNone in a pen or a brush draws nothing, as a background
//     it is no background;
//   - text has no background; its glyphs are antialiased (setTextAntialiasing
//     turns that off) while all figures are not.

#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/pixel_raster.h"

namespace valmoro::fonts {
class ScaledFont;
}

namespace valmoro::gfx {

class PainterCanvas : public Canvas {
public:
  // Draws through a painter that is active on its device; the painter's
  // transformation and clipping at this time stay in force, and its state is
  // restored when the canvas goes.
  PainterCanvas(QPainter& painter, DeviceKind kind, int dpiX, int dpiY);
  // Opens a painter of its own on the device.
  PainterCanvas(QPaintDevice& device, DeviceKind kind, int dpi);
  // A bitmap at a given resolution (the image's own dots per metre are not
  // consulted).
  PainterCanvas(QImage& image, int dpi, DeviceKind kind = DeviceKind::Bitmap);
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  DeviceKind kind() const override { return kind_; }
  bool printsOnPaper() const override { return kind_ == DeviceKind::Printer; }
  bool textAtDeviceResolution() const override { return kind_ == DeviceKind::Printer; }
  bool isRaster() const override { return kind_ == DeviceKind::Screen || kind_ == DeviceKind::Bitmap; }
  int dpiX() const override { return dpiX_; }
  int dpiY() const override { return dpiY_; }

  void setTextAntialiasing(bool on) { textAntialiasing_ = on; }

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
  int inkRight(const QString& text, std::span<const int> advances) override;
  void drawImage(const Rect& target, const QImage& image, std::optional<Color> transparent = std::nullopt,
                 bool smooth = false) override;

private:
  // What a span is painted with: one colour, or a hatch in a colour whose
  // gaps get the background colour or stay untouched.
  struct Ink {
    QRgb color = 0xFF000000;
    BrushStyle hatch = BrushStyle::Solid;
    std::optional<QRgb> gaps;
  };
  struct Stroke;

  void init(QPainter& painter);
  // The face and glyph rasteriser of the current font, for text.
  void useTextFont();
  // The glyphs of a run and where they stand from its start; returns the
  // total advance.
  int layoutGlyphs(const QString& text, std::span<const int> advances);
  Ink brushInk() const;
  std::optional<QRgb> backgroundRgb() const;

  // Output of finished pixels, clipped to the current clip.
  void fill(int x0, int y0, int x1, int y1, const Ink& ink);
  void paintBox(int x0, int y0, int x1, int y1, const Ink& ink);
  void fillSpans(const raster::Spans& spans, const Ink& ink);
  void plot(int x, int y, QRgb color);
  void flush();
  void fillDisc(int cx, int cy, int w, QRgb color);

  // Strokes with the current pen.
  Stroke currentStroke() const;
  void strokeLine(QPoint from, QPoint to, Stroke& stroke, PenCap startCap, PenCap endCap);
  void wideSolidSegment(QPoint from, QPoint to, int w, PenCap startCap, PenCap endCap, QRgb color);
  // A closed figure: `shape` gives its pixels for a box, a growth of the
  // corner ellipse (rounded rectangles) and a window of rows.
  using Shape = std::function<raster::Spans(const Rect& box, int cornerGrow, int rowFrom, int rowTo)>;
  void figure(const Rect& box, const Shape& shape);
  void strokePath(std::span<const QPoint> points, bool closed);
  void fillBand(const raster::Spans& outer, const raster::Spans& inner, QRgb color);

  QBrush hatchBrush(const Ink& ink);

  std::unique_ptr<QPainter> ownPainter_;
  QPainter* painter_ = nullptr;
  DeviceKind kind_;
  int dpiX_, dpiY_;
  bool textAntialiasing_ = true;
  bool active_ = false;  // the painter could be opened on the device

  bool pixelSurface_ = false;  // a bitmap, pixmap or window without transformation
  // Direct pixel access when the device is a 32-bit QImage seen as it is.
  uchar* bits_ = nullptr;
  qsizetype stride_ = 0;

  Rect bounds_;             // the device, or a very large area when unknown
  std::vector<Rect> clips_; // effective clip after each pushClip
  Rect clip_;               // the clip in force
  QTransform baseTransform_;

  // The pixel run being collected by plot().
  bool runActive_ = false;
  QRgb runColor_ = 0;
  int runX0_ = 0, runY0_ = 0, runX1_ = 0, runY1_ = 0;

  // The font of the last text run, resolved.
  Font textFontKey_;
  std::shared_ptr<const fonts::ScaledFont> textFont_;
  QRawFont textRaw_;
  // Reused buffers for text.
  QList<quint32> glyphs_;
  QList<QPointF> positions_;
  std::vector<quint32> indexBuffer_;
};

}  // namespace valmoro::gfx
