#include "platform/painter_canvas.h"

#include <QFile>
#include <QGlyphRun>
#include <QHash>
#include <QThreadStorage>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/fonts.h"

namespace valmoro::gfx {
namespace {

constexpr int kFar = 1 << 24;  // "unbounded" for devices of unknown size

Rect intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.isEmpty()) r = Rect{r.left, r.top, r.left, r.top};
  return r;
}

QRgb opaque(Color c) { return toRgb(c) | 0xFF000000u; }

// Fonts as QRawFont, loaded from the files fonts:: resolved and measured, so
// what is drawn is exactly what was measured. Kept per thread: a raw font may
// not be shared between threads, and loading one costs far more than a page.
QFont qtFont(const fonts::FontFile& file, int pixelSize, QFont::HintingPreference hinting) {
  QFont font(file.family);
  font.setPixelSize(std::max(1, pixelSize));
  font.setBold(file.bold);
  font.setItalic(file.italic);
  font.setHintingPreference(hinting);
  return font;
}

class RawFontCache {
public:
  // forDocument: the font goes into a document (printer, PDF), which can
  // embed it as text only when Qt knows the file it came from; a font made
  // from bytes would be drawn as outlines, and the printout could not be
  // searched or copied from.
  QRawFont get(const fonts::FontFile& file, int pixelSize, QFont::HintingPreference hinting, bool forDocument) {
    // Resolved files live as long as the program, so their address is a key.
    const Key key{&file, pixelSize, int(hinting) * 2 + (forDocument ? 1 : 0)};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    if (fonts_.size() > 512) fonts_.clear();
    QRawFont raw;
    if (forDocument) {
      QRawFont known = QRawFont::fromFont(qtFont(file, pixelSize, hinting));
      const bool italic = known.style() != QFont::StyleNormal;
      const bool bold = known.weight() >= QFont::DemiBold;
      if (known.isValid() && known.familyName() == file.family && italic == file.italic && bold == file.bold) raw = known;
    }
    if (!raw.isValid() && file.faceIndex == 0) {
      auto data = data_.constFind(file.path);
      if (data == data_.constEnd()) {
        QFile f(file.path);
        data = data_.insert(file.path, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
      }
      if (!data->isEmpty()) raw = QRawFont(*data, pixelSize, hinting);
    }
    if (!raw.isValid()) {
      // A face inside a collection, or a file Qt cannot read: the same family
      // through Qt's own font matching.
      raw = QRawFont::fromFont(qtFont(file, pixelSize, hinting));
    }
    fonts_.emplace(key, raw);
    return raw;
  }

private:
  using Key = std::tuple<const fonts::FontFile*, int, int>;
  QHash<QString, QByteArray> data_;
  std::map<Key, QRawFont> fonts_;
};

QThreadStorage<RawFontCache*> rawFontCaches;

RawFontCache& rawFontCache() {
  if (!rawFontCaches.hasLocalData()) rawFontCaches.setLocalData(new RawFontCache);
  return *rawFontCaches.localData();
}

}  // namespace

struct PainterCanvas::Stroke {
  enum Kind { None, Cosmetic, WideSolid, WideSquare, WideDot };
  Kind kind = None;
  QRgb color = 0xFF000000;
  std::optional<QRgb> gaps;
  std::span<const int> pattern;  // cosmetic
  int width = 1;
  long long index = 0;  // pixels walked so far along the figure
};

// ---------------------------------------------------------------- set-up

PainterCanvas::PainterCanvas(QPainter& painter, DeviceKind kind, int dpiX, int dpiY)
    : kind_(kind), dpiX_(dpiX), dpiY_(dpiY) {
  init(painter);
}

PainterCanvas::PainterCanvas(QPaintDevice& device, DeviceKind kind, int dpi)
    : ownPainter_(std::make_unique<QPainter>(&device)), kind_(kind), dpiX_(dpi), dpiY_(dpi) {
  init(*ownPainter_);
}

PainterCanvas::PainterCanvas(QImage& image, int dpi, DeviceKind kind)
    : ownPainter_(std::make_unique<QPainter>(&image)), kind_(kind), dpiX_(dpi), dpiY_(dpi) {
  init(*ownPainter_);
}

PainterCanvas::~PainterCanvas() {
  flush();
  if (!active_) return;
  while (!clips_.empty()) {
    clips_.pop_back();
    painter_->restore();
  }
  painter_->restore();
  if (ownPainter_) ownPainter_->end();
}

void PainterCanvas::init(QPainter& painter) {
  painter_ = &painter;
  active_ = painter.isActive();
  if (!active_) {
    // A device that cannot be painted on (a null image): draw nothing.
    bounds_ = clip_ = Rect{};
    return;
  }
  painter.save();
  baseTransform_ = painter.transform();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setBrushOrigin(0, 0);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

  QPaintDevice* device = painter.device();
  const bool plain = painter.deviceTransform().isIdentity();
  const int type = device ? device->devType() : 0;
  bounds_ = Rect{-kFar, -kFar, kFar, kFar};
  // Pixel surfaces seen as they are: their size bounds the work, and
  // pictures are stretched here pixel by pixel. Printers, PDF and recorded
  // pictures scale pictures themselves (a picture stays one picture there).
  pixelSurface_ = plain && (type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget);
  if (pixelSurface_) bounds_ = Rect{0, 0, device->width(), device->height()};
  if (pixelSurface_ && !painter.hasClipping() && type == QInternal::Image) {
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied) {
      bits_ = image->bits();
      stride_ = image->bytesPerLine();
    }
  }
  clip_ = bounds_;
}

std::optional<QRgb> PainterCanvas::backgroundRgb() const {
  if (!background_ || *background_ == clNone) return std::nullopt;
  return opaque(*background_);
}

PainterCanvas::Ink PainterCanvas::brushInk() const {
  Ink ink;
  ink.color = opaque(brush_.color);
  ink.hatch = brush_.color == clNone ? BrushStyle::Clear : brush_.style;
  if (brush_.style != BrushStyle::Solid) ink.gaps = backgroundRgb();
  return ink;
}

// ---------------------------------------------------------------- pixels

void PainterCanvas::fill(int x0, int y0, int x1, int y1, const Ink& ink) {
  flush();
  paintBox(x0, y0, x1, y1, ink);
}

void PainterCanvas::paintBox(int x0, int y0, int x1, int y1, const Ink& ink) {
  x0 = std::max(x0, clip_.left);
  y0 = std::max(y0, clip_.top);
  x1 = std::min(x1, clip_.right);
  y1 = std::min(y1, clip_.bottom);
  if (x0 >= x1 || y0 >= y1 || ink.hatch == BrushStyle::Clear) return;
  if (bits_) {
    for (int y = y0; y < y1; ++y) {
      auto* row = reinterpret_cast<QRgb*>(bits_ + qsizetype(y) * stride_);
      if (ink.hatch == BrushStyle::Solid) {
        std::fill(row + x0, row + x1, ink.color);
        continue;
      }
      for (int x = x0; x < x1; ++x) {
        if (raster::hatchOn(ink.hatch, x, y))
          row[x] = ink.color;
        else if (ink.gaps)
          row[x] = *ink.gaps;
      }
    }
    return;
  }
  const QRect r(x0, y0, x1 - x0, y1 - y0);
  if (ink.hatch == BrushStyle::Solid)
    painter_->fillRect(r, QColor::fromRgb(ink.color));
  else
    painter_->fillRect(r, hatchBrush(ink));
}

QBrush PainterCanvas::hatchBrush(const Ink& ink) {
  // One 8 × 8 cell; Qt tiles textures from the brush origin, (0, 0).
  QImage cell(8, 8, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      cell.setPixel(x, y, raster::hatchOn(ink.hatch, x, y) ? ink.color : ink.gaps ? *ink.gaps : 0u);
  return QBrush(cell);
}

void PainterCanvas::fillSpans(const raster::Spans& spans, const Ink& ink) {
  flush();
  const int k0 = std::max(0, clip_.top - spans.top);
  const int k1 = std::min(int(spans.rows.size()), clip_.bottom - spans.top);
  for (int k = k0; k < k1; ++k) {
    const raster::RowSpan& s = spans.rows[size_t(k)];
    paintBox(s.left, spans.top + k, s.right + 1, spans.top + k + 1, ink);
  }
}

void PainterCanvas::plot(int x, int y, QRgb color) {
  if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
  // Pixels arrive one by one along lines and outlines; consecutive ones in a
  // row or a column go out as one box.
  if (runActive_ && color == runColor_) {
    if (runY1_ == runY0_ + 1 && y == runY0_) {
      if (x == runX1_) {
        ++runX1_;
        return;
      }
      if (x == runX0_ - 1) {
        --runX0_;
        return;
      }
    }
    if (runX1_ == runX0_ + 1 && x == runX0_) {
      if (y == runY1_) {
        ++runY1_;
        return;
      }
      if (y == runY0_ - 1) {
        --runY0_;
        return;
      }
    }
  }
  flush();
  runActive_ = true;
  runColor_ = color;
  runX0_ = x;
  runY0_ = y;
  runX1_ = x + 1;
  runY1_ = y + 1;
}

void PainterCanvas::flush() {
  if (!runActive_) return;
  runActive_ = false;
  paintBox(runX0_, runY0_, runX1_, runY1_, Ink{runColor_, BrushStyle::Solid, std::nullopt});
}

void PainterCanvas::fillDisc(int cx, int cy, int w, QRgb color) {
  const int x0 = cx - w / 2, y0 = cy - w / 2;
  fillSpans(raster::ellipseSpans(Rect{x0, y0, x0 + w, y0 + w}, clip_.top, clip_.bottom),
            Ink{color, BrushStyle::Solid, std::nullopt});
}

void PainterCanvas::fillBand(const raster::Spans& outer, const raster::Spans& inner, QRgb color) {
  flush();
  const Ink ink{color, BrushStyle::Solid, std::nullopt};
  for (int k = 0; k < int(outer.rows.size()); ++k) {
    const int y = outer.top + k;
    if (y < clip_.top || y >= clip_.bottom) continue;
    const raster::RowSpan& o = outer.rows[size_t(k)];
    const int ik = y - inner.top;
    if (ik < 0 || ik >= int(inner.rows.size())) {
      paintBox(o.left, y, o.right + 1, y + 1, ink);
      continue;
    }
    const raster::RowSpan& in = inner.rows[size_t(ik)];
    paintBox(o.left, y, std::min(o.right + 1, in.left), y + 1, ink);
    paintBox(std::max(o.left, in.right + 1), y, o.right + 1, y + 1, ink);
  }
}

// ---------------------------------------------------------------- strokes

PainterCanvas::Stroke PainterCanvas::currentStroke() const {
  static constexpr int kAlternate[] = {1, 1};
  Stroke s;
  s.color = opaque(pen_.color);
  s.gaps = backgroundRgb();
  s.width = std::clamp(pen_.width, 1, 1 << 14);  // wider is no stroke any page could hold
  switch (pen_.color == clNone ? PenStyle::Clear : pen_.style) {
  case PenStyle::Clear: s.kind = Stroke::None; break;
  case PenStyle::Solid: s.kind = s.width > 1 ? Stroke::WideSolid : Stroke::Cosmetic; break;
  case PenStyle::Dash:
  case PenStyle::Dot:
  case PenStyle::DashDot:
  case PenStyle::DashDotDot:
    s.kind = Stroke::Cosmetic;
    s.pattern = raster::cosmeticPattern(pen_.style);
    s.width = 1;
    break;
  case PenStyle::WideAltDot:
  case PenStyle::WideSquare:
    if (s.width <= 1) {
      s.kind = Stroke::Cosmetic;
      s.pattern = kAlternate;
    } else {
      s.kind = pen_.style == PenStyle::WideSquare ? Stroke::WideSquare : Stroke::WideDot;
    }
    break;
  }
  return s;
}

void PainterCanvas::strokeLine(QPoint from, QPoint to, Stroke& stroke, PenCap startCap, PenCap endCap) {
  const raster::LineWalk walk(from, to);
  const int w = stroke.width;
  int first = 0, last = 0;
  // Only the part of the line that can touch the clip is walked (a wide
  // stroke reaches w pixels to either side).
  const int reach = stroke.kind == Stroke::Cosmetic ? 0 : w;
  if (walk.xMajor())
    walk.majorRange(clip_.left - reach, clip_.right + reach, first, last);
  else
    walk.majorRange(clip_.top - reach, clip_.bottom + reach, first, last);

  switch (stroke.kind) {
  case Stroke::None: break;
  case Stroke::Cosmetic:
    walk.walk(first, last, [&](int i, int x, int y) {
      if (raster::patternOn(stroke.pattern, stroke.index + i))
        plot(x, y, stroke.color);
      else if (stroke.gaps)
        plot(x, y, *stroke.gaps);
    });
    break;
  case Stroke::WideSolid: wideSolidSegment(from, to, w, startCap, endCap, stroke.color); break;
  case Stroke::WideSquare:
  case Stroke::WideDot: {
    const bool squares = stroke.kind == Stroke::WideSquare;
    // The band across the centre line, w pixels, as for a solid stroke.
    auto band = [&](int x, int y, QRgb color) {
      for (int k = 0; k < w; ++k) {
        if (walk.xMajor())
          plot(x, y - w / 2 + k, color);
        else
          plot(x - w / 2 + k, y, color);
      }
    };
    walk.walk(first, last, [&](int i, int x, int y) {
      const long long pos = (stroke.index + i) % (2LL * w);
      if (squares && pos < w)
        band(x, y, stroke.color);
      else if (stroke.gaps)
        band(x, y, *stroke.gaps);
    });
    if (!squares) {
      walk.walk(first, last, [&](int i, int x, int y) {
        if ((stroke.index + i) % (2LL * w) == 0) fillDisc(x, y, w, stroke.color);
      });
    }
    flush();
    break;
  }
  }
  stroke.index += walk.count();
}

void PainterCanvas::wideSolidSegment(QPoint from, QPoint to, int w, PenCap startCap, PenCap endCap, QRgb color) {
  const Ink ink{color, BrushStyle::Solid, std::nullopt};
  const int a = w / 2;          // reach before the centre (left, up)
  const int c = w - 1 - w / 2;  // reach after it
  if (from == to) {
    if (startCap == PenCap::Round || endCap == PenCap::Round)
      fillDisc(from.x(), from.y(), w, color);
    else if (startCap == PenCap::Square || endCap == PenCap::Square)
      fill(from.x() - a, from.y() - a, from.x() + c + 1, from.y() + c + 1, ink);
    return;
  }
  if (from.y() == to.y() || from.x() == to.x()) {
    // Axis-parallel: the exact box, the far end left out like a filled
    // rectangle's, square caps reaching w div 2 before and (w − 1) div 2 after.
    const bool horizontal = from.y() == to.y();
    const bool forward = horizontal ? to.x() > from.x() : to.y() > from.y();
    const QPoint lo = forward ? from : to, hi = forward ? to : from;
    const PenCap loCap = forward ? startCap : endCap, hiCap = forward ? endCap : startCap;
    const int before = loCap == PenCap::Square ? a : 0;
    const int after = hiCap == PenCap::Square ? c + 1 : 0;
    if (horizontal)
      fill(lo.x() - before, lo.y() - a, hi.x() + after, lo.y() + c + 1, ink);
    else
      fill(lo.x() - a, lo.y() - before, lo.x() + c + 1, hi.y() + after, ink);
  } else {
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    const double nx = -uy * w / 2.0, ny = ux * w / 2.0;
    const double e0 = startCap == PenCap::Square ? w / 2.0 : 0.0;
    const double e1 = endCap == PenCap::Square ? w / 2.0 : 0.0;
    const double sx = from.x() - ux * e0, sy = from.y() - uy * e0;
    const double ex = to.x() + ux * e1, ey = to.y() + uy * e1;
    const QPointF quad[] = {{sx + nx, sy + ny}, {ex + nx, ey + ny}, {ex - nx, ey - ny}, {sx - nx, sy - ny}};
    flush();
    raster::fillPolygon(quad, false, clip_.top, clip_.bottom,
                        [&](int y, int x0, int x1) { paintBox(x0, y, x1, y + 1, ink); });
  }
  if (startCap == PenCap::Round) fillDisc(from.x(), from.y(), w, color);
  if (endCap == PenCap::Round) fillDisc(to.x(), to.y(), w, color);
}

void PainterCanvas::strokePath(std::span<const QPoint> points, bool closed) {
  const size_t n = points.size();
  if (n < 2) return;
  Stroke stroke = currentStroke();
  if (stroke.kind == Stroke::None) return;
  const size_t segments = closed ? n : n - 1;
  for (size_t k = 0; k < segments; ++k) {
    const QPoint& p = points[k];
    const QPoint& q = points[(k + 1) % n];
    if (stroke.kind == Stroke::WideSolid) {
      const PenCap startCap = !closed && k == 0 ? pen_.cap : PenCap::Flat;
      const PenCap endCap = !closed && k + 1 == segments ? pen_.cap : PenCap::Flat;
      if (p != q || segments == 1) wideSolidSegment(p, q, stroke.width, startCap, endCap, stroke.color);
    } else {
      strokeLine(p, q, stroke, PenCap::Flat, PenCap::Flat);
    }
  }
  if (stroke.kind == Stroke::WideSolid) {
    // Round joins, so that wide segments meet without notches at any angle.
    for (size_t k = closed ? 0 : 1; k < (closed ? n : n - 1); ++k)
      fillDisc(points[k].x(), points[k].y(), stroke.width, stroke.color);
  }
  flush();
}

void PainterCanvas::figure(const Rect& box, const Shape& shape) {
  if (box.isEmpty()) return;
  const Ink brush = brushInk();
  // Only the rows that can be seen are computed (one more each side for the
  // outline, which looks at a row's neighbours).
  if (brush.hatch != BrushStyle::Clear) fillSpans(shape(box, 0, clip_.top, clip_.bottom), brush);
  Stroke stroke = currentStroke();
  if (stroke.kind == Stroke::None) return;
  const int w = stroke.width;
  const int a = w / 2, c = w - 1 - w / 2;
  // A wide outline is centred on the one-pixel one: the figure grown by the
  // stroke's reach outwards, less the figure shrunk by its reach inwards.
  auto band = [&](QRgb color) {
    const raster::Spans outer = shape(Rect{box.left - a, box.top - a, box.right + c, box.bottom + c}, w, clip_.top,
                                      clip_.bottom);
    const Rect innerBox{box.left + c + 1, box.top + c + 1, box.right - a - 1, box.bottom - a - 1};
    const raster::Spans inner =
        innerBox.isEmpty() ? raster::Spans{} : shape(innerBox, -w, clip_.top, clip_.bottom);
    fillBand(outer, inner, color);
  };
  auto solidOutline = [&](QRgb color) {
    flush();
    const Ink ink{color, BrushStyle::Solid, std::nullopt};
    const raster::Spans window = shape(box, 0, clip_.top - 1, clip_.bottom + 1);
    raster::outlineRows(window, box.top, box.bottom,
                        [&](int y, int x0, int x1) { paintBox(x0, y, x1 + 1, y + 1, ink); });
  };
  if (stroke.kind == Stroke::WideSolid) {
    band(stroke.color);
    return;
  }
  // Patterns follow the outline round from its top-left corner, which takes
  // the whole outline; absurdly tall figures (far beyond any page at any
  // zoom) are outlined solid instead.
  constexpr int kChainRows = 1 << 16;
  const bool solid = stroke.kind == Stroke::Cosmetic && stroke.pattern.empty();
  if (solid || box.height() > kChainRows) {
    if (stroke.kind == Stroke::Cosmetic)
      solidOutline(stroke.color);
    else
      band(stroke.color);
    return;
  }
  if (stroke.kind != Stroke::Cosmetic && stroke.gaps) band(*stroke.gaps);
  const std::vector<raster::ChainRun> chain = raster::outlineChain(shape(box, 0, raster::kAllRowsFrom, raster::kAllRowsTo));
  const int reach = stroke.kind == Stroke::Cosmetic ? 0 : w;  // how far a mark spreads
  long long index = 0;
  for (const raster::ChainRun& run : chain) {
    const int len = run.length();
    // The run's pixels k that can touch the clip.
    int k0 = 0, k1 = len;
    if (run.y >= clip_.top - reach && run.y < clip_.bottom + reach) {
      if (run.to >= run.from) {
        k0 = std::max(0, clip_.left - reach - run.from);
        k1 = std::min(len, clip_.right + reach - run.from);
      } else {
        k0 = std::max(0, run.from - clip_.right - reach + 1);
        k1 = std::min(len, run.from - clip_.left + reach + 1);
      }
    } else {
      k1 = 0;
    }
    if (stroke.kind == Stroke::Cosmetic) {
      for (int k = k0; k < k1; ++k) {
        if (raster::patternOn(stroke.pattern, index + k))
          plot(run.x(k), run.y, stroke.color);
        else if (stroke.gaps)
          plot(run.x(k), run.y, *stroke.gaps);
      }
    } else if (k0 < k1) {
      // A mark on every 2·w-th pixel of the outline.
      const long long period = 2LL * w;
      long long k = k0 + ((period - (index + k0) % period) % period);
      for (; k < k1; k += period) {
        const int x = run.x(int(k));
        if (stroke.kind == Stroke::WideDot)
          fillDisc(x, run.y, w, stroke.color);
        else
          fill(x - a, run.y - a, x + c + 1, run.y + c + 1, Ink{stroke.color, BrushStyle::Solid, std::nullopt});
      }
    }
    index += len;
  }
  flush();
}

// ---------------------------------------------------------------- figures

void PainterCanvas::fillRect(const Rect& rect) {
  if (rect.isEmpty()) return;
  fill(rect.left, rect.top, rect.right, rect.bottom, brushInk());
}

void PainterCanvas::rectangle(const Rect& rect) {
  figure(rect, [](const Rect& r, int, int from, int to) { return raster::rectSpans(r, from, to); });
}

void PainterCanvas::roundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
  figure(rect, [cornerWidth, cornerHeight](const Rect& r, int grow, int from, int to) {
    return raster::roundRectSpans(r, std::max(0, cornerWidth + grow), std::max(0, cornerHeight + grow), from, to);
  });
}

void PainterCanvas::ellipse(const Rect& rect) {
  figure(rect, [](const Rect& r, int, int from, int to) { return raster::ellipseSpans(r, from, to); });
}

void PainterCanvas::polygon(std::span<const QPoint> points) {
  if (points.size() < 2) return;
  const Ink ink = brushInk();
  if (ink.hatch != BrushStyle::Clear && points.size() >= 3) {
    std::vector<QPointF> pts(points.begin(), points.end());
    flush();
    raster::fillPolygon(pts, true, clip_.top, clip_.bottom,
                        [&](int y, int x0, int x1) { paintBox(x0, y, x1, y + 1, ink); });
  }
  strokePath(points, true);
}

void PainterCanvas::polyline(std::span<const QPoint> points) { strokePath(points, false); }

void PainterCanvas::line(QPoint from, QPoint to) {
  Stroke stroke = currentStroke();
  strokeLine(from, to, stroke, pen_.cap, pen_.cap);
  flush();
}

// ---------------------------------------------------------------- clipping

void PainterCanvas::pushClip(const Rect& rect) {
  flush();
  clips_.push_back(clip_);
  clip_ = intersect(clip_, rect);
  if (!active_) return;
  // Text and pictures go through the painter, which needs the clip as well.
  painter_->save();
  const QRect r(rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
  painter_->setClipRect(r, painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void PainterCanvas::popClip() {
  if (clips_.empty()) return;
  flush();
  clip_ = clips_.back();
  clips_.pop_back();
  if (active_) painter_->restore();
}

// ---------------------------------------------------------------- text

void PainterCanvas::useTextFont() {
  if (textFont_ && textFontKey_.name == font_.name && textFontKey_.height == font_.height &&
      textFontKey_.style == font_.style)
    return;
  // Runs mostly come in the same face (colour and angle aside); resolving it
  // is the costly part.
  const bool bold = font_.style & fsBold, italic = font_.style & fsItalic;
  const int px = fonts::emPixels(font_.name, bold, italic, font_.height);
  textFont_ = fonts::scaled(font_.name, bold, italic, px);
  const bool document = kind_ == DeviceKind::Printer || kind_ == DeviceKind::Pdf;
  const QFont::HintingPreference hinting = document ? QFont::PreferNoHinting : QFont::PreferVerticalHinting;
  textRaw_ = rawFontCache().get(textFont_->file(), px, hinting, document);
  textFontKey_ = font_;
}

int PainterCanvas::layoutGlyphs(const QString& text, std::span<const int> advances) {
  useTextFont();
  const fonts::ScaledFont* scaled = textFont_.get();
  const int ascent = scaled->ascent();
  // One glyph per character, at the sum of the advances before it.
  const qsizetype n = text.size();
  indexBuffer_.resize(size_t(n));
  int numGlyphs = int(n);
  if (!textRaw_.glyphIndexesForChars(text.constData(), int(n), indexBuffer_.data(), &numGlyphs)) numGlyphs = 0;
  glyphs_.clear();
  positions_.clear();
  long long x = 0;
  int g = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = text[i].unicode();
    const char16_t next = i + 1 < n ? text[i + 1].unicode() : 0;
    const bool pairEnd = QChar::isLowSurrogate(u) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
    if (!pairEnd) {
      // Control characters (tabs, line ends) take their advance but show nothing.
      if (g < numGlyphs && u >= 0x20) {
        glyphs_.append(indexBuffer_[size_t(g)]);
        positions_.append(QPointF(double(x), ascent));
      }
      ++g;
    }
    x += advances.empty() ? scaled->advance(u, next) : (size_t(i) < advances.size() ? advances[size_t(i)] : 0);
  }
  return int(std::clamp<long long>(x, -kFar, kFar));
}

int PainterCanvas::inkRight(const QString& text, std::span<const int> advances) {
  const int total = layoutGlyphs(text, advances);
  const fonts::ScaledFont* scaled = textFont_.get();
  const fonts::FontFile& file = scaled->file();
  const int em = scaled->pixelSize();
  const bool fakeBold = (font_.style & fsBold) && !file.bold;
  const bool fakeItalic = (font_.style & fsItalic) && !file.italic;
  // A slanted copy leans right by a fifth of the height above the baseline;
  // a thickened one is drawn again a little to the right.
  const double lean = fakeItalic ? 0.2 * scaled->ascent() : 0.0;
  const double thicken = fakeBold ? std::max(1, (em + 16) / 32) : 0;
  double right = 0;
  for (qsizetype i = 0; i < glyphs_.size(); ++i) {
    const QRectF ink = textRaw_.boundingRect(glyphs_[i]);
    if (ink.isEmpty()) continue;
    right = std::max(right, positions_[i].x() + ink.right() + lean + thicken);
  }
  // Anti-aliasing touches the column the ink ends in.
  return glyphs_.isEmpty() ? total : int(std::ceil(right));
}

void PainterCanvas::textOut(QPoint at, const QString& text, std::span<const int> advances) {
  if (text.isEmpty() || !active_) return;
  flush();
  const int total = layoutGlyphs(text, advances);
  const bool bold = font_.style & fsBold, italic = font_.style & fsItalic;
  const fonts::ScaledFont* scaled = textFont_.get();
  const int em = scaled->pixelSize();
  const fonts::FontFile& file = scaled->file();
  const bool fakeBold = bold && !file.bold;
  const bool fakeItalic = italic && !file.italic;
  const QRawFont& raw = textRaw_;
  const int ascent = scaled->ascent();

  // The text's own frame: origin at the cell's top-left, rotated
  // counter-clockwise by the escapement.
  QTransform frame;
  frame.translate(at.x(), at.y());
  if (font_.escapement % 3600 != 0) frame.rotate(-font_.escapement / 10.0);
  painter_->setRenderHint(QPainter::TextAntialiasing, textAntialiasing_);
  painter_->setPen(QColor::fromRgb(opaque(font_.color)));

  if (!glyphs_.isEmpty()) {
    QTransform glyphFrame = frame;
    if (fakeItalic) {
      glyphFrame.translate(0, ascent);
      glyphFrame.shear(-0.2, 0);
      glyphFrame.translate(0, -ascent);
    }
    painter_->setTransform(glyphFrame * baseTransform_);
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    painter_->drawGlyphRun(QPointF(0, 0), run);
    if (fakeBold) painter_->drawGlyphRun(QPointF(std::max(1, (em + 16) / 32), 0), run);
  }

  if (font_.style & (fsUnderline | fsStrikeOut)) {
    painter_->setTransform(frame * baseTransform_);
    const int thickness = std::max(1, int(std::lround(raw.lineThickness())));
    const int left = std::min(0, total), width = std::abs(total);
    const QColor color = QColor::fromRgb(opaque(font_.color));
    if (font_.style & fsUnderline) {
      const int top = ascent + std::max(1, int(std::lround(raw.underlinePosition())));
      painter_->fillRect(QRect(left, top, width, thickness), color);
    }
    if (font_.style & fsStrikeOut) {
      const int top = ascent - int(std::lround(raw.xHeight() / 2.0)) - thickness / 2;
      painter_->fillRect(QRect(left, top, width, thickness), color);
    }
  }
  painter_->setTransform(baseTransform_);
}

// ---------------------------------------------------------------- pictures

void PainterCanvas::drawImage(const Rect& target, const QImage& image, std::optional<Color> transparent, bool smooth) {
  if (target.isEmpty() || image.isNull() || !active_) return;
  flush();
  const std::optional<QRgb> key = transparent ? std::optional<QRgb>(toRgb(*transparent) & 0xFFFFFFu) : std::nullopt;
  if (pixelSurface_ && !(smooth && !key)) {
    // Nearest pixel, sampled at the centre of every target pixel, computed
    // here so that the stretch is the same on every run and device.
    const Rect vis = intersect(target, clip_);
    if (vis.isEmpty()) return;
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    const long long sw = src.width(), sh = src.height(), tw = target.width(), th = target.height();
    std::vector<int> column(size_t(vis.width()));
    for (int x = vis.left; x < vis.right; ++x)
      column[size_t(x - vis.left)] = int(((2LL * (x - target.left) + 1) * sw) / (2 * tw));
    QImage out(vis.width(), vis.height(), QImage::Format_ARGB32);
    for (int y = vis.top; y < vis.bottom; ++y) {
      const int sy = int(((2LL * (y - target.top) + 1) * sh) / (2 * th));
      const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
      auto* o = reinterpret_cast<QRgb*>(out.scanLine(y - vis.top));
      for (int x = 0; x < vis.width(); ++x) {
        const QRgb p = in[column[size_t(x)]];
        o[x] = key && (p & 0xFFFFFFu) == *key ? 0u : p;
      }
    }
    painter_->setTransform(baseTransform_);
    painter_->drawImage(QPoint(vis.left, vis.top), out);
    return;
  }
  QImage src = image;
  if (key) {
    src = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < src.width(); ++x)
        if ((row[x] & 0xFFFFFFu) == *key) row[x] = 0;
    }
  }
  painter_->setRenderHint(QPainter::SmoothPixmapTransform, smooth && !key);
  painter_->drawImage(QRect(target.left, target.top, target.width(), target.height()), src);
  painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

}  // namespace valmoro::gfx
