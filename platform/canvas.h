#pragma once
// The drawing surface every report page, preview, printout and export goes
// through. Coordinates are whole device pixels with Y growing downwards, and
// the figures keep the classic desktop conventions the report layouts were
// made for:
//   - a filled rectangle (x, y)–(r, b) covers columns x … r − 1 and rows
//     y … b − 1; outlined rectangles, rounded rectangles and ellipses take the
//     same exclusive right and bottom edges;
//   - a stroke with a one-pixel pen (cosmetic, any pattern) covers the line's
//     pixels from the start up to but not including the end point;
//   - a wider solid pen is a geometric stroke of that width centred on the
//     line, its ends finished by the pen's cap (a square cap reaches width / 2
//     beyond each end point, a flat one stops at it);
//   - hatch brushes are 8 × 8 patterns aligned to the device origin.
// Text is placed by the top-left corner of its cell (ascent above the
// baseline) in the text's own, possibly rotated, frame, and may carry imposed
// per-character advances so that every device reproduces the line breaks and
// widths measured once at 600 dpi.
//
// Backends: painting through QPainter (bitmaps, screen, later the printer),
// and a recording canvas that keeps every call (tests, Find, exports).

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

namespace valmoro::gfx {

// 0x00BBGGRR for a plain colour, 0xFF0000nn for system colour nn.
using Color = quint32;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clNone = 0x1FFFFFFF;

// The RGB value of a colour; system colours take the classic defaults
// (button face light grey, window white, window text black, …).
QRgb toRgb(Color color);
// A colour value from 8-bit red, green and blue.
constexpr Color rgb(int r, int g, int b) {
  return Color(quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16));
}

enum class DeviceKind { Screen, Bitmap, Printer, Pdf, Recording };

enum class PenStyle {
  Solid,
  Dash,        // one-pixel dashes
  Dot,         // one-pixel dots
  DashDot,
  DashDotDot,
  Clear,       // draws nothing
  // Wide patterned pens of `width` pixels: round dots of that diameter 2·width
  // apart, and squares of that side, width on and width off. A width of 1
  // gives one pixel on, one off.
  WideAltDot,
  WideSquare,
};

enum class PenCap { Flat, Square, Round };

struct Pen {
  Color color = clBlack;
  int width = 1;  // 0 is the thinnest line the surface has (one pixel)
  PenStyle style = PenStyle::Solid;
  // Solid pens wider than one pixel are geometric; this is their end cap.
  PenCap cap = PenCap::Square;
  bool operator==(const Pen&) const = default;
};

enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

struct Brush {
  Color color = clWhite;
  BrushStyle style = BrushStyle::Solid;
  bool operator==(const Brush&) const = default;
};

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct Font {
  QString name = QStringLiteral("Arial");
  // Negative: the em height in pixels (character height without internal
  // leading); positive: the cell height. Never 0 when drawing (0 is taken as
  // the default of 13 pixels).
  int height = -13;
  unsigned style = 0;  // FontStyle bits
  Color color = clBlack;
  // Counter-clockwise rotation of the baseline, in tenths of a degree.
  int escapement = 0;
  bool operator==(const Font&) const = default;
};

// A rectangle by its edges; right and bottom are exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

class Canvas {
public:
  virtual ~Canvas() = default;

  virtual DeviceKind kind() const = 0;
  // What report drawing asks of the surface, each backend answering for its
  // own:
  // a printer's sheet: what is drawn goes on paper, which ends at the sheet's
  // edge by itself (nothing needs clipping to the paper);
  virtual bool printsOnPaper() const = 0;
  // text takes its font heights from the device's own resolution, not from
  // the drawing scale (printers, where scale and dpi may disagree);
  virtual bool textAtDeviceResolution() const = 0;
  // pixels seen as they are (bitmaps, windows): glyph ink may reach a column
  // or two past a run's advances.
  virtual bool isRaster() const = 0;
  // Device pixels per inch, horizontally and vertically.
  virtual int dpiX() const = 0;
  virtual int dpiY() const = 0;

  void setPen(const Pen& pen) { pen_ = pen; }
  const Pen& pen() const { return pen_; }
  void setBrush(const Brush& brush) { brush_ = brush; }
  const Brush& brush() const { return brush_; }
  // What the gaps of patterned strokes (and of hatches) get: a colour, or
  // nothing (transparent mode, the default).
  void setBackground(std::optional<Color> color) { background_ = color; }
  std::optional<Color> background() const { return background_; }
  void setFont(const Font& font) { font_ = font; }
  const Font& font() const { return font_; }

  // The rectangle in the current brush; the pen is not used.
  virtual void fillRect(const Rect& rect) = 0;
  // Outlined with the pen and filled with the brush (a clear brush or pen
  // leaves that part out).
  virtual void rectangle(const Rect& rect) = 0;
  virtual void roundRect(const Rect& rect, int cornerWidth, int cornerHeight) = 0;
  virtual void ellipse(const Rect& rect) = 0;
  // Closed figure, outlined and filled.
  virtual void polygon(std::span<const QPoint> points) = 0;
  // Open figure, outlined only; each segment follows the stroke rule.
  virtual void polyline(std::span<const QPoint> points) = 0;
  virtual void line(QPoint from, QPoint to) = 0;

  // Drawing is limited to the intersection of the current clip and `rect`
  // until the matching popClip.
  virtual void pushClip(const Rect& rect) = 0;
  virtual void popClip() = 0;

  // One run of text in the current font, the cell's top-left corner at `at`.
  // `advances`, when given, holds one advance in device pixels per UTF-16
  // unit and replaces the font's own; the run then ends exactly at their sum.
  virtual void textOut(QPoint at, const QString& text, std::span<const int> advances = {}) = 0;
  // The current font's own advances on this device, one per UTF-16 unit: the
  // font file's, at the font's em height.
  virtual std::vector<int> textAdvances(const QString& text) const;
  // Where the ink of a run drawn by textOut (same font, text and advances)
  // ends, in pixels to the right of `at` along the baseline: the first column
  // it leaves untouched. Surfaces that do not paint pixels take the end of
  // the advances.
  virtual int inkRight(const QString& text, std::span<const int> advances);

  // A picture stretched into `target`. Pixels of `transparent` are left out
  // when given; `smooth` asks for a filtered (not nearest-pixel) stretch.
  virtual void drawImage(const Rect& target, const QImage& image, std::optional<Color> transparent = std::nullopt,
                         bool smooth = false) = 0;

protected:
  Pen pen_;
  Brush brush_;
  std::optional<Color> background_;
  Font font_;
};

}  // namespace valmoro::gfx
