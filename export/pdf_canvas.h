#pragma once
// The drawing surface of one PDF page: every canvas call becomes PDF path,
// text or image operators in the page's content stream. Device pixels are
// 600 per inch from the paper's top-left corner, Y downwards; text runs keep
// the advances they are given, so lines measured by the text layout end
// exactly where they end in the preview and on paper.

#include <QByteArray>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace valmoro::fonts {
class ScaledFont;
}

namespace valmoro::pdf {

class PdfDocument;
class PdfFont;

class PdfCanvas final : public gfx::Canvas {
public:
  PdfCanvas(PdfDocument& document, double widthPt, double heightPt, int dpi);
  ~PdfCanvas() override;

  gfx::DeviceKind kind() const override { return gfx::DeviceKind::Pdf; }
  // Vectors at 600 dpi, laid out at the drawing scale, never printed itself.
  bool printsOnPaper() const override { return false; }
  bool textAtDeviceResolution() const override { return false; }
  bool isRaster() const override { return false; }
  int dpiX() const override { return dpi_; }
  int dpiY() const override { return dpi_; }

  void fillRect(const gfx::Rect& rect) override;
  void rectangle(const gfx::Rect& rect) override;
  void roundRect(const gfx::Rect& rect, int cornerWidth, int cornerHeight) override;
  void ellipse(const gfx::Rect& rect) override;
  void polygon(std::span<const QPoint> points) override;
  void polyline(std::span<const QPoint> points) override;
  void line(QPoint from, QPoint to) override;
  void pushClip(const gfx::Rect& rect) override;
  void popClip() override;
  void textOut(QPoint at, const QString& text, std::span<const int> advances = {}) override;
  void drawImage(const gfx::Rect& target, const QImage& image, std::optional<gfx::Color> transparent = std::nullopt,
                 bool smooth = false) override;

  // The next picture drawn at the given pixel size is this JPEG file, which
  // is then embedded as it is instead of being compressed anew.
  void setJpegSource(const QByteArray& jpeg, QSize size);
  void clearJpegSource() { jpeg_.clear(); }

  // The page's content and resource dictionary (called once the page is done).
  const QByteArray& content() const { return content_; }
  void closeClips() {
    while (!saved_.empty()) popClip();
  }
  QByteArray resources();
  double widthPt() const { return widthPt_; }
  double heightPt() const { return heightPt_; }

private:
  struct State {
    QByteArray fill, stroke;  // colour operands last set
    double lineWidth = -1;
    QByteArray dash;
    int cap = -1;
  };

  double X(double x) const { return x * k_; }
  double Y(double y) const { return heightPt_ - y * k_; }
  QByteArray point(double x, double y) const;
  void appendPoint(QByteArray& out, double x, double y) const;
  // The path through the points ("m", then "l"), closed with "h" when asked.
  QByteArray pointsPath(std::span<const QPoint> points, bool closed) const;
  void setFill(gfx::Color color);
  void setStroke(gfx::Color color);
  void setLineWidth(double points);
  void setDash(const QByteArray& dash);
  void setCap(int cap);
  // Sets up the stroke of the current pen; false when it draws nothing.
  bool strokeSetup(bool& gapsFirst);
  // Fill (with the brush) and/or stroke (with the pen) the current path,
  // built by `path`.
  template <typename PathFn>
  void figure(PathFn path, bool closed, bool evenOdd = false);
  void hatchFill(gfx::BrushStyle style, gfx::Color color, const QByteArray& path, bool evenOdd);
  PdfFont& pdfFont(bool bold, bool italic);

  PdfDocument& doc_;
  double widthPt_, heightPt_;
  int dpi_;
  double k_;
  QByteArray content_;
  State state_;
  std::vector<State> saved_;
  std::vector<PdfFont*> fonts_;
  std::set<PdfFont*> fontSet_;
  std::map<QByteArray, int> images_;  // resource name → object
  std::map<int, int> patterns_;       // hatch style → object
  QByteArray jpeg_;
  QSize jpegSize_;
  // Last text font: neighbouring runs share it.
  gfx::Font lastFont_;
  bool haveLastFont_ = false;
  std::shared_ptr<const fonts::ScaledFont> lastScaled_;
  PdfFont* lastPdfFont_ = nullptr;
  // Buffers of textOut, kept so that each run reuses their room.
  std::string tj_, run_;
};

}  // namespace valmoro::pdf
