#include "export/pdf_canvas.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageWriter>
#include <cmath>
#include <numbers>

#include "export/pdf_document.h"
#include "export/pdf_font.h"
#include "export/pdf_writer.h"
#include "platform/fonts.h"
#include "platform/pixel_raster.h"

namespace valmoro::pdf {
namespace {

// Bézier handles of a quarter ellipse.
constexpr double kKappa = 0.5522847498;

QByteArray colorOperands(gfx::Color color) {
  if (color == gfx::clNone) color = gfx::clBlack;
  const QRgb rgb = gfx::toRgb(color);
  // Literals share static data: black and white text cost no allocation.
  if ((rgb & 0xFFFFFF) == 0) return QByteArrayLiteral("0 0 0");
  if ((rgb & 0xFFFFFF) == 0xFFFFFF) return QByteArrayLiteral("1 1 1");
  QByteArray out;
  out.reserve(20);
  appendNum(out, qRed(rgb) / 255.0, 3);
  out += ' ';
  appendNum(out, qGreen(rgb) / 255.0, 3);
  out += ' ';
  appendNum(out, qBlue(rgb) / 255.0, 3);
  return out;
}

// Components of a baseline or progressive JPEG (0 when it is no JPEG
// whose pixels a PDF reader takes as they are).
int jpegComponents(const QByteArray& data) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
  const qsizetype n = data.size();
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return 0;
  qsizetype i = 2;
  while (i + 4 <= n) {
    if (p[i] != 0xFF) return 0;
    const unsigned char marker = p[i + 1];
    if (marker == 0xFF) {
      ++i;
      continue;
    }
    const int length = (p[i + 2] << 8) | p[i + 3];
    if ((marker >= 0xC0 && marker <= 0xC3) && i + 9 < n) return p[i + 9];
    if (marker == 0xDA) return 0;
    i += 2 + length;
  }
  return 0;
}

}  // namespace

PdfCanvas::PdfCanvas(PdfDocument& document, double widthPt, double heightPt, int dpi)
    : doc_(document), widthPt_(widthPt), heightPt_(heightPt), dpi_(dpi), k_(72.0 / dpi) {
  content_.reserve(16 * 1024);
}

PdfCanvas::~PdfCanvas() = default;

QByteArray PdfCanvas::point(double x, double y) const {
  QByteArray out;
  appendPoint(out, x, y);
  return out;
}

void PdfCanvas::appendPoint(QByteArray& out, double x, double y) const {
  appendNum(out, X(x));
  out += ' ';
  appendNum(out, Y(y));
}

void PdfCanvas::setFill(gfx::Color color) {
  QByteArray ops = colorOperands(color);
  if (ops == state_.fill) return;
  content_ += ops;
  content_ += " rg\n";
  state_.fill = std::move(ops);
}

void PdfCanvas::setStroke(gfx::Color color) {
  QByteArray ops = colorOperands(color);
  if (ops == state_.stroke) return;
  content_ += ops;
  content_ += " RG\n";
  state_.stroke = std::move(ops);
}

void PdfCanvas::setLineWidth(double points) {
  if (points == state_.lineWidth) return;
  appendNum(content_, points, 3);
  content_ += " w\n";
  state_.lineWidth = points;
}

void PdfCanvas::setDash(const QByteArray& dash) {
  const QByteArray value = dash.isEmpty() ? QByteArrayLiteral("[] 0") : dash;
  if (value == state_.dash) return;
  content_ += value;
  content_ += " d\n";
  state_.dash = value;
}

void PdfCanvas::setCap(int cap) {
  if (cap == state_.cap) return;
  appendNum(content_, cap);
  content_ += " J\n";
  state_.cap = cap;
}

bool PdfCanvas::strokeSetup(bool& gapsFirst) {
  gapsFirst = false;
  if (pen_.style == gfx::PenStyle::Clear || pen_.color == gfx::clNone) return false;
  const double px = k_;
  // Patterns keep the proportions they have on the 96-dpi screen.
  const double scale = dpi_ / 96.0;
  const int width = std::max(1, pen_.width);
  QByteArray dash;
  double lineWidth = width * px;
  int cap = 0;
  switch (pen_.style) {
    case gfx::PenStyle::Solid:
      cap = width > 1 ? (pen_.cap == gfx::PenCap::Square ? 2 : pen_.cap == gfx::PenCap::Round ? 1 : 0) : 0;
      break;
    case gfx::PenStyle::Dash:
    case gfx::PenStyle::Dot:
    case gfx::PenStyle::DashDot:
    case gfx::PenStyle::DashDotDot: {
      lineWidth = px;
      dash = "[";
      const auto pattern = gfx::raster::cosmeticPattern(pen_.style);
      for (size_t i = 0; i < pattern.size(); ++i) dash += (i ? " " : "") + num(pattern[i] * scale * px, 3);
      dash += "] 0";
      gapsFirst = background_.has_value();
      break;
    }
    case gfx::PenStyle::WideAltDot:
      cap = 1;
      dash = "[0 " + num(2 * width * px, 3) + "] 0";
      gapsFirst = background_.has_value();
      break;
    case gfx::PenStyle::WideSquare:
      dash = "[" + num(width * px, 3) + "] 0";
      gapsFirst = background_.has_value();
      break;
    case gfx::PenStyle::Clear:
      return false;
  }
  setStroke(pen_.color);
  setLineWidth(lineWidth);
  setDash(dash);
  setCap(cap);
  return true;
}

void PdfCanvas::hatchFill(gfx::BrushStyle style, gfx::Color color, const QByteArray& path, bool evenOdd) {
  const int index = int(style) - int(gfx::BrushStyle::Horizontal) + 1;
  if (index < 1 || index > 6) return;
  const int object = doc_.hatchPattern(index, heightPt_);
  patterns_[index] = object;
  // The pattern carries no colour of its own; the fill colour is set with it.
  content_ += "/CSp cs " + colorOperands(color) + " /H" + num(index) + " scn\n";
  state_.fill.clear();
  content_ += path + (evenOdd ? "f*\n" : "f\n");
}

template <typename PathFn>
void PdfCanvas::figure(PathFn path, bool closed, bool evenOdd) {
  const QByteArray p = path();
  const bool fill = closed && brush_.style != gfx::BrushStyle::Clear && brush_.color != gfx::clNone;
  bool gapsFirst = false;
  const bool stroke = strokeSetup(gapsFirst);
  if (fill) {
    if (brush_.style == gfx::BrushStyle::Solid) {
      setFill(brush_.color);
      content_ += p;
      content_ += evenOdd ? "f*\n" : "f\n";
    } else {
      if (background_) {
        setFill(*background_);
        content_ += p;
        content_ += evenOdd ? "f*\n" : "f\n";
      }
      hatchFill(brush_.style, brush_.color, p, evenOdd);
    }
  }
  if (stroke) {
    if (gapsFirst) {
      const QByteArray dash = state_.dash;
      const int cap = state_.cap;
      setStroke(*background_);
      setDash({});
      content_ += p;
      content_ += "S\n";
      setDash(dash);
      setCap(cap);
      setStroke(pen_.color);
    }
    content_ += p;
    content_ += "S\n";
  }
}

void PdfCanvas::fillRect(const gfx::Rect& rect) {
  if (rect.isEmpty() || brush_.style == gfx::BrushStyle::Clear || brush_.color == gfx::clNone) return;
  QByteArray path;
  appendNum(path, X(rect.left));
  path += ' ';
  appendNum(path, Y(rect.bottom));
  path += ' ';
  appendNum(path, rect.width() * k_);
  path += ' ';
  appendNum(path, rect.height() * k_);
  path += " re\n";
  if (brush_.style == gfx::BrushStyle::Solid) {
    setFill(brush_.color);
    content_ += path;
    content_ += "f\n";
    return;
  }
  if (background_) {
    setFill(*background_);
    content_ += path;
    content_ += "f\n";
  }
  hatchFill(brush_.style, brush_.color, path, false);
}

void PdfCanvas::rectangle(const gfx::Rect& r) {
  if (r.isEmpty()) return;
  figure(
      [&] {
        // The outline runs through the centres of its edge pixels.
        QByteArray p;
        appendNum(p, X(r.left + 0.5));
        p += ' ';
        appendNum(p, Y(r.bottom - 0.5));
        p += ' ';
        appendNum(p, (r.width() - 1) * k_);
        p += ' ';
        appendNum(p, (r.height() - 1) * k_);
        p += " re\n";
        return p;
      },
      true);
}

void PdfCanvas::roundRect(const gfx::Rect& r, int cornerWidth, int cornerHeight) {
  if (r.isEmpty()) return;
  figure(
      [&] {
        const double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
        const double rx = std::min(cornerWidth / 2.0, (rr - l) / 2), ry = std::min(cornerHeight / 2.0, (b - t) / 2);
        const double cx = rx * kKappa, cy = ry * kKappa;
        QByteArray p;
        p += point(l + rx, t) + " m\n";
        p += point(rr - rx, t) + " l\n";
        p += point(rr - rx + cx, t) + " " + point(rr, t + ry - cy) + " " + point(rr, t + ry) + " c\n";
        p += point(rr, b - ry) + " l\n";
        p += point(rr, b - ry + cy) + " " + point(rr - rx + cx, b) + " " + point(rr - rx, b) + " c\n";
        p += point(l + rx, b) + " l\n";
        p += point(l + rx - cx, b) + " " + point(l, b - ry + cy) + " " + point(l, b - ry) + " c\n";
        p += point(l, t + ry) + " l\n";
        p += point(l, t + ry - cy) + " " + point(l + rx - cx, t) + " " + point(l + rx, t) + " c\nh\n";
        return p;
      },
      true);
}

void PdfCanvas::ellipse(const gfx::Rect& r) {
  if (r.isEmpty()) return;
  figure(
      [&] {
        const double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
        const double cx = (l + rr) / 2, cy = (t + b) / 2, hx = (rr - l) / 2, hy = (b - t) / 2;
        const double kx = hx * kKappa, ky = hy * kKappa;
        QByteArray p;
        p += point(rr, cy) + " m\n";
        p += point(rr, cy - ky) + " " + point(cx + kx, t) + " " + point(cx, t) + " c\n";
        p += point(cx - kx, t) + " " + point(l, cy - ky) + " " + point(l, cy) + " c\n";
        p += point(l, cy + ky) + " " + point(cx - kx, b) + " " + point(cx, b) + " c\n";
        p += point(cx + kx, b) + " " + point(rr, cy + ky) + " " + point(rr, cy) + " c\nh\n";
        return p;
      },
      true);
}

QByteArray PdfCanvas::pointsPath(std::span<const QPoint> points, bool closed) const {
  // Through the centres of the pixels, as the outlines of the other figures.
  QByteArray p;
  for (size_t i = 0; i < points.size(); ++i) {
    appendPoint(p, points[i].x() + 0.5, points[i].y() + 0.5);
    p += i == 0 ? " m\n" : " l\n";
  }
  if (closed) p += "h\n";
  return p;
}

void PdfCanvas::polygon(std::span<const QPoint> points) {
  if (points.size() < 2) return;
  figure([&] { return pointsPath(points, true); }, true, true);
}

void PdfCanvas::polyline(std::span<const QPoint> points) {
  if (points.size() < 2) return;
  figure([&] { return pointsPath(points, false); }, false);
}

void PdfCanvas::line(QPoint from, QPoint to) {
  if (from == to) return;
  const QPoint ends[] = {from, to};
  figure([&] { return pointsPath(ends, false); }, false);
}

void PdfCanvas::pushClip(const gfx::Rect& rect) {
  saved_.push_back(state_);
  const double w = std::max(0, rect.width()) * k_, h = std::max(0, rect.height()) * k_;
  content_ += "q\n";
  appendNum(content_, X(rect.left));
  content_ += ' ';
  appendNum(content_, Y(rect.top) - h);
  content_ += ' ';
  appendNum(content_, w);
  content_ += ' ';
  appendNum(content_, h);
  content_ += " re W n\n";
}

void PdfCanvas::popClip() {
  if (saved_.empty()) return;
  content_ += "Q\n";
  state_ = saved_.back();
  saved_.pop_back();
}

PdfFont& PdfCanvas::pdfFont(bool bold, bool italic) {
  PdfFont& font = doc_.fonts().font(font_.name, bold, italic);
  if (fontSet_.insert(&font).second) fonts_.push_back(&font);
  return font;
}

void PdfCanvas::textOut(QPoint at, const QString& text, std::span<const int> advances) {
  if (text.isEmpty()) return;
  const bool bold = font_.style & gfx::fsBold, italic = font_.style & gfx::fsItalic;
  if (!haveLastFont_ || lastFont_.name != font_.name || lastFont_.height != font_.height ||
      lastFont_.style != font_.style) {
    const int em = fonts::emPixels(font_.name, bold, italic, font_.height);
    lastScaled_ = fonts::scaled(font_.name, bold, italic, em);
    lastPdfFont_ = &pdfFont(bold, italic);
    lastFont_ = font_;
    haveLastFont_ = true;
  }
  const fonts::ScaledFont& scaled = *lastScaled_;
  PdfFont& font = *lastPdfFont_;
  const int em = scaled.pixelSize();
  const bool fakeBold = bold && !scaled.file().bold;
  const bool fakeItalic = italic && !scaled.file().italic;
  const int ascent = scaled.ascent();

  const double angle = (font_.escapement % 3600) / 10.0 * std::numbers::pi / 180.0;
  const double cs = font_.escapement % 3600 == 0 ? 1 : std::cos(angle);
  const double sn = font_.escapement % 3600 == 0 ? 0 : std::sin(angle);
  // The baseline's start: the cell's top-left moved down by the ascent in
  // the text's own (rotated) frame.
  const double bx = at.x() + ascent * sn, by = at.y() + ascent * cs;

  // Glyphs with the advances imposed: each glyph's own width (as the width
  // array gives it) is corrected by the difference to the wanted advance.
  std::string& tj = tj_;
  tj.clear();
  tj += '[';
  std::string& run = run_;
  run.clear();
  double pending = 0;  // adjustment owed before the next glyph, thousandths of an em
  long long total = 0;
  const qsizetype n = text.size();
  const double perPixel = 1000.0 / em;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = text[i].unicode();
    const char16_t next = i + 1 < n ? text[i + 1].unicode() : 0;
    const int advance = advances.empty() ? scaled.advance(u, next) : (size_t(i) < advances.size() ? advances[size_t(i)] : 0);
    total += advance;
    if (QChar::isLowSurrogate(u) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode())) {
      pending -= advance * perPixel;
      continue;
    }
    char32_t code = u;
    if (QChar::isHighSurrogate(u) && QChar::isLowSurrogate(next)) code = QChar::surrogateToUcs4(u, next);
    const unsigned glyph = u < 0x20 ? 0 : font.use(code);
    if (glyph == 0 && u < 0x20) {
      // Control characters take their room but show nothing.
      pending -= advance * perPixel;
      continue;
    }
    if (std::abs(pending) >= 0.005) {
      if (!run.empty()) {
        tj += '<';
        tj += run;
        tj += '>';
      }
      run.clear();
      char number[48];
      tj.append(number, size_t(formatNum(number, pending)));
      tj += ' ';
      pending = 0;
    }
    static const char* hex = "0123456789ABCDEF";
    char g[4] = {hex[(glyph >> 12) & 15], hex[(glyph >> 8) & 15], hex[(glyph >> 4) & 15], hex[glyph & 15]};
    run.append(g, 4);
    pending += font.width(glyph) - advance * perPixel;
  }
  if (!run.empty()) {
    tj += '<';
    tj += run;
    tj += '>';
  }
  tj += "] TJ\n";

  setFill(font_.color);
  const double size = em * k_;
  content_ += "BT\n";
  content_ += font.resourceName();
  content_ += ' ';
  appendNum(content_, size);
  content_ += " Tf\n";
  const double shear = fakeItalic ? 0.2 : 0;
  for (const double entry : {cs, sn, shear * cs - sn, shear * sn + cs}) {
    appendNum(content_, entry, 4);
    content_ += ' ';
  }
  appendPoint(content_, bx, by);
  content_ += " Tm\n";
  if (fakeBold) {
    setStroke(font_.color);
    content_ += "2 Tr ";
    appendNum(content_, std::max(1, (em + 16) / 32) * k_, 3);
    content_ += " w\n";
    state_.lineWidth = -1;
  }
  content_.append(tj.data(), qsizetype(tj.size()));
  if (fakeBold) content_ += "0 Tr\n";
  content_ += "ET\n";

  if (font_.style & (gfx::fsUnderline | gfx::fsStrikeOut)) {
    const FontMetrics& m = font.metrics();
    const auto units = [&](int v) { return double(v) * em / std::max(1, m.unitsPerEm); };
    const int thickness = std::max(1, int(std::lround(units(m.underlineThickness))));
    const double left = std::min<long long>(0, total), width = std::abs(total);
    const auto bar = [&](double top) {
      // A rectangle in the text's frame (u along the baseline, v down).
      const auto corner = [&](double u, double v) { return point(at.x() + u * cs + v * sn, at.y() - u * sn + v * cs); };
      content_ += corner(left, top) + " m " + corner(left + width, top) + " l " + corner(left + width, top + thickness) +
                  " l " + corner(left, top + thickness) + " l h f\n";
    };
    if (font_.style & gfx::fsUnderline) bar(ascent + std::max(1, int(std::lround(-units(m.underlinePosition)))));
    if (font_.style & gfx::fsStrikeOut) bar(ascent - std::lround(units(m.xHeight) / 2.0) - thickness / 2);
  }
}

void PdfCanvas::setJpegSource(const QByteArray& jpeg, QSize size) {
  jpeg_ = jpeg;
  jpegSize_ = size;
}

void PdfCanvas::drawImage(const gfx::Rect& target, const QImage& image, std::optional<gfx::Color> transparent,
                          bool smooth) {
  if (target.isEmpty() || image.isNull()) return;
  PdfWriter& w = doc_.writer();
  const QByteArray interpolate = smooth ? " /Interpolate true" : "";
  int object = 0;
  const int components = !transparent && !jpeg_.isEmpty() && image.size() == jpegSize_ ? jpegComponents(jpeg_) : 0;
  if (components == 1 || components == 3) {
    // The picture's own JPEG file: embedded unchanged.
    const QByteArray key = "J" + QCryptographicHash::hash(jpeg_, QCryptographicHash::Md5) + interpolate;
    const QByteArray jpeg = jpeg_;
    object = doc_.image(key, [&] {
      return w.stream("/Type /XObject /Subtype /Image /Width " + num(image.width()) + " /Height " +
                          num(image.height()) + (components == 1 ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB") +
                          " /BitsPerComponent 8" + interpolate,
                      jpeg, false, "/DCTDecode");
    });
  } else {
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    const std::optional<QRgb> keyColor =
        transparent ? std::optional<QRgb>(gfx::toRgb(*transparent) & 0xFFFFFFu) : std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(src.constBits()), src.sizeInBytes()));
    QByteArray key = "R" + num(src.width()) + "x" + num(src.height()) + hash.result() + interpolate;
    if (keyColor) key += "K" + num(qint64(*keyColor));
    object = doc_.image(key, [&] {
      QByteArray rgb, alpha;
      rgb.reserve(qsizetype(src.width()) * src.height() * 3);
      bool anyAlpha = false;
      for (int y = 0; y < src.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
          const QRgb p = row[x];
          int a = qAlpha(p);
          if (keyColor && (p & 0xFFFFFFu) == *keyColor) a = 0;
          // Colours come premultiplied by nothing: ARGB32 is straight alpha.
          rgb += char(qRed(p));
          rgb += char(qGreen(p));
          rgb += char(qBlue(p));
          alpha += char(a);
          anyAlpha = anyAlpha || a != 255;
        }
      }
      QByteArray extra;
      if (anyAlpha) {
        const int mask = w.stream("/Type /XObject /Subtype /Image /Width " + num(src.width()) + " /Height " +
                                      num(src.height()) + " /ColorSpace /DeviceGray /BitsPerComponent 8",
                                  alpha);
        extra = " /SMask " + ref(mask);
      }
      return w.stream("/Type /XObject /Subtype /Image /Width " + num(src.width()) + " /Height " + num(src.height()) +
                          " /ColorSpace /DeviceRGB /BitsPerComponent 8" + interpolate + extra,
                      rgb);
    });
  }
  const QByteArray name = "Im" + num(object);
  images_[name] = object;
  content_ += "q " + num(target.width() * k_) + " 0 0 " + num(target.height() * k_) + " " + num(X(target.left)) +
              " " + num(Y(target.bottom)) + " cm /" + name + " Do Q\n";
}

QByteArray PdfCanvas::resources() {
  QByteArray out = "<< /ProcSet [/PDF /Text /ImageB /ImageC]";
  if (!fonts_.empty()) {
    out += " /Font <<";
    for (PdfFont* font : fonts_) out += " " + font->resourceName() + " " + ref(font->objectNumber(doc_.writer()));
    out += " >>";
  }
  if (!images_.empty()) {
    out += " /XObject <<";
    for (const auto& [name, object] : images_) out += " /" + name + " " + ref(object);
    out += " >>";
  }
  if (!patterns_.empty()) {
    out += " /ColorSpace << /CSp [/Pattern /DeviceRGB] >> /Pattern <<";
    for (const auto& [style, object] : patterns_) out += " /H" + num(style) + " " + ref(object);
    out += " >>";
  }
  out += " >>";
  return out;
}

}  // namespace valmoro::pdf
