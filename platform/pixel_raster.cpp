#include "platform/pixel_raster.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace valmoro::gfx::raster {
namespace {

__extension__ typedef __int128 Int128;

std::int64_t ceilDiv(std::int64_t q, std::int64_t d) {  // d > 0
  return q >= 0 ? (q + d - 1) / d : -((-q) / d);
}

std::uint64_t isqrt(std::uint64_t q) {
  auto r = std::uint64_t(std::sqrt(static_cast<long double>(q)));
  while (r > 0 && Int128(r) * r > Int128(q)) --r;
  while (Int128(r + 1) * (r + 1) <= Int128(q)) ++r;
  return r;
}

// Twice the distance from the centre column to the outermost covered column
// of an ellipse W × H wide (in doubled coordinates, where the columns have the
// parity of W − 1), on the row at doubled offset y2 from the centre. A pixel
// is covered when its centre lies within the ellipse touching the box's outer
// edges; every row keeps at least its middle pixel(s), so thin ellipses stay
// connected and reach the box's top and bottom rows.
std::int64_t ellipseHalf2(std::int64_t w, std::int64_t h, std::int64_t y2) {
  const Int128 num = Int128(w) * w * (Int128(h) * h - Int128(y2) * y2);
  const Int128 den = Int128(h) * h;
  const auto q = num <= 0 ? std::uint64_t(0) : std::uint64_t(num / den);
  auto m = std::int64_t(isqrt(q));
  if (((m ^ (w - 1)) & 1) != 0) --m;
  if (m < 0) m = (w - 1) & 1;
  return m;
}

// The left column of an ellipse in the box (left, top, w, h) on row y.
int ellipseLeft(int left, int top, int w, int h, int y) {
  const std::int64_t c2x = 2LL * left + w - 1;
  const std::int64_t y2 = 2LL * y - (2LL * top + h - 1);
  return int((c2x - ellipseHalf2(w, h, y2)) / 2);
}

constexpr std::array<int, 2> kDash{18, 6};
constexpr std::array<int, 2> kDot{3, 3};
constexpr std::array<int, 4> kDashDot{9, 6, 3, 6};
constexpr std::array<int, 6> kDashDotDot{9, 3, 3, 3, 3, 3};

}  // namespace

namespace {

// The rows of r within the window: first row and count.
bool rowWindow(const Rect& r, int rowFrom, int rowTo, int& first, int& count) {
  if (r.isEmpty()) return false;
  first = std::max(r.top, rowFrom);
  const int last = std::min(r.bottom, rowTo);
  count = last - first;
  return count > 0;
}

}  // namespace

Spans rectSpans(const Rect& r, int rowFrom, int rowTo) {
  Spans s;
  int first = 0, count = 0;
  if (!rowWindow(r, rowFrom, rowTo, first, count)) return s;
  s.top = first;
  s.rows.assign(size_t(count), RowSpan{r.left, r.right - 1});
  return s;
}

Spans ellipseSpans(const Rect& r, int rowFrom, int rowTo) {
  Spans s;
  int first = 0, count = 0;
  if (!rowWindow(r, rowFrom, rowTo, first, count)) return s;
  s.top = first;
  s.rows.resize(size_t(count));
  const int w = r.width(), h = r.height();
  const std::int64_t c2x = 2LL * r.left + w - 1;
  for (int k = 0; k < count; ++k) {
    const std::int64_t y2 = 2LL * (first + k - r.top) - (h - 1);
    const std::int64_t m = ellipseHalf2(w, h, y2);
    s.rows[size_t(k)] = RowSpan{int((c2x - m) / 2), int((c2x + m) / 2)};
  }
  return s;
}

Spans roundRectSpans(const Rect& r, int cornerWidth, int cornerHeight, int rowFrom, int rowTo) {
  Spans s = rectSpans(r, rowFrom, rowTo);
  if (s.empty()) return s;
  const int cw = std::clamp(cornerWidth, 0, r.width());
  const int ch = std::clamp(cornerHeight, 0, r.height());
  if (cw < 2 || ch < 2) return s;
  for (int y = s.top; y < s.bottom(); ++y) {
    int inset = 0;
    // Upper half of the top corners' ellipse, lower half of the bottom ones'.
    if (y - r.top <= (ch - 1) / 2) inset = ellipseLeft(r.left, r.top, cw, ch, y) - r.left;
    if (y >= r.bottom - ch + ch / 2)
      inset = std::max(inset, ellipseLeft(r.left, r.bottom - ch, cw, ch, y) - r.left);
    s.rows[size_t(y - s.top)] = RowSpan{r.left + inset, r.right - 1 - inset};
  }
  return s;
}

namespace {

// The outline pixels of a middle row k: its left part ends at leftEnd, its
// right part starts at rightStart; merged when they meet.
struct MiddleRow {
  int leftEnd;
  int rightStart;
  bool merged;
};

MiddleRow middleRow(const Spans& f, size_t k) {
  const RowSpan& up = f.rows[k - 1];
  const RowSpan& row = f.rows[k];
  const RowSpan& down = f.rows[k + 1];
  MiddleRow m;
  m.leftEnd = std::max(row.left, std::max(up.left, down.left) - 1);
  m.rightStart = std::min(row.right, std::min(up.right, down.right) + 1);
  m.merged = m.leftEnd + 1 >= m.rightStart;
  return m;
}

}  // namespace

void outlineRows(const Spans& window, int figureTop, int figureBottom,
                 const std::function<void(int y, int x0, int x1)>& f) {
  const size_t n = window.rows.size();
  for (size_t k = 0; k < n; ++k) {
    const int y = window.top + int(k);
    const RowSpan& row = window.rows[k];
    if (y == figureTop || y == figureBottom - 1) {
      f(y, row.left, row.right);
      continue;
    }
    if (k == 0 || k + 1 == n) continue;
    const MiddleRow m = middleRow(window, k);
    if (m.merged) {
      f(y, row.left, row.right);
    } else {
      f(y, row.left, m.leftEnd);
      f(y, m.rightStart, row.right);
    }
  }
}

std::vector<ChainRun> outlineChain(const Spans& f) {
  std::vector<ChainRun> out;
  const size_t n = f.rows.size();
  if (n == 0) return out;
  auto L = [&](size_t k) { return f.rows[k].left; };
  auto R = [&](size_t k) { return f.rows[k].right; };
  auto run = [&](size_t k, int from, int to) { out.push_back(ChainRun{f.top + int(k), from, to}); };
  run(0, L(0), R(0));
  if (n == 1) return out;
  for (size_t k = 1; k + 1 < n; ++k) {
    const MiddleRow m = middleRow(f, k);
    if (m.merged)
      run(k, L(k), R(k));
    else if (R(k - 1) <= R(k + 1))
      run(k, m.rightStart, R(k));  // widening: outwards as we go down
    else
      run(k, R(k), m.rightStart);
  }
  run(n - 1, R(n - 1), L(n - 1));
  for (size_t k = n - 2; k >= 1; --k) {
    const MiddleRow m = middleRow(f, k);
    if (m.merged) continue;
    if (L(k + 1) >= L(k - 1))
      run(k, m.leftEnd, L(k));  // lower half: outwards as we go up
    else
      run(k, L(k), m.leftEnd);
  }
  return out;
}

LineWalk::LineWalk(QPoint from, QPoint to) : from_(from) {
  const std::int64_t dx = std::int64_t(to.x()) - from.x();
  const std::int64_t dy = std::int64_t(to.y()) - from.y();
  const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  xMajor_ = adx >= ady;
  dMajor_ = xMajor_ ? adx : ady;
  dMinor_ = xMajor_ ? ady : adx;
  sMajor_ = (xMajor_ ? dx : dy) < 0 ? -1 : 1;
  sMinor_ = (xMajor_ ? dy : dx) < 0 ? -1 : 1;
  n_ = int(std::min<std::int64_t>(dMajor_, 1LL << 30));
}

std::int64_t LineWalk::minorAt(std::int64_t i, std::int64_t& err) const {
  // Rounded to nearest with ties towards the start: ceil(i·dMinor/dMajor − ½).
  const std::int64_t q = 2 * i * dMinor_ - dMajor_;
  const std::int64_t m = ceilDiv(q, 2 * dMajor_);
  err = q - 2 * dMajor_ * m;
  return m;
}

QPoint LineWalk::pixel(int i) const {
  std::int64_t err = 0;
  const int m = int(minorAt(i, err));
  if (xMajor_) return {from_.x() + sMajor_ * i, from_.y() + sMinor_ * m};
  return {from_.x() + sMinor_ * m, from_.y() + sMajor_ * i};
}

void LineWalk::majorRange(int lo, int hi, int& first, int& last) const {
  const std::int64_t m0 = xMajor_ ? from_.x() : from_.y();
  std::int64_t a = 0, b = 0;
  if (sMajor_ > 0) {
    a = lo - m0;
    b = hi - m0;
  } else {
    a = m0 - hi + 1;
    b = m0 - lo + 1;
  }
  first = int(std::clamp<std::int64_t>(a, 0, n_));
  last = int(std::clamp<std::int64_t>(b, 0, n_));
}

std::span<const int> cosmeticPattern(PenStyle style) {
  switch (style) {
  case PenStyle::Dash: return kDash;
  case PenStyle::Dot: return kDot;
  case PenStyle::DashDot: return kDashDot;
  case PenStyle::DashDotDot: return kDashDotDot;
  default: return {};
  }
}

bool patternOn(std::span<const int> pattern, long long index) {
  if (pattern.empty()) return true;
  int period = 0;
  for (int v : pattern) period += v;
  long long pos = index % period;
  if (pos < 0) pos += period;
  for (size_t k = 0; k < pattern.size(); ++k) {
    if (pos < pattern[k]) return k % 2 == 0;
    pos -= pattern[k];
  }
  return false;
}

bool hatchOn(BrushStyle style, int x, int y) {
  const bool horizontal = (y & 7) == 3;
  const bool vertical = (x & 7) == 4;
  const bool forward = ((x - y) & 7) == 0;
  const bool backward = ((x + y) & 7) == 7;
  switch (style) {
  case BrushStyle::Solid: return true;
  case BrushStyle::Clear: return false;
  case BrushStyle::Horizontal: return horizontal;
  case BrushStyle::Vertical: return vertical;
  case BrushStyle::FDiagonal: return forward;
  case BrushStyle::BDiagonal: return backward;
  case BrushStyle::Cross: return horizontal || vertical;
  case BrushStyle::DiagCross: return forward || backward;
  }
  return false;
}

void fillPolygon(std::span<const QPointF> points, bool evenOdd, int rowFrom, int rowTo,
                 const std::function<void(int y, int x0, int x1)>& f) {
  const size_t n = points.size();
  if (n < 3) return;
  double minY = points[0].y(), maxY = points[0].y();
  for (const QPointF& p : points) {
    minY = std::min(minY, p.y());
    maxY = std::max(maxY, p.y());
  }
  const int y0 = std::max(rowFrom, int(std::max(std::ceil(minY), -1e9)));
  const int y1 = std::min(rowTo, int(std::min(std::ceil(maxY), 1e9)));
  struct Crossing {
    double x;
    int dir;
  };
  std::vector<Crossing> xs;
  for (int y = y0; y < y1; ++y) {
    xs.clear();
    for (size_t k = 0; k < n; ++k) {
      const QPointF& p = points[k];
      const QPointF& q = points[(k + 1) % n];
      if (p.y() == q.y()) continue;
      const bool down = q.y() > p.y();
      const double lo = down ? p.y() : q.y(), hi = down ? q.y() : p.y();
      if (y < lo || y >= hi) continue;  // top end counts, bottom end not
      const double x = p.x() + (y - p.y()) * (q.x() - p.x()) / (q.y() - p.y());
      xs.push_back({x, down ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    auto span = [&](double xa, double xb) {
      const double ca = std::ceil(xa), cb = std::ceil(xb);
      if (cb > ca) f(y, int(std::max(ca, -1e9)), int(std::min(cb, 1e9)));
    };
    if (evenOdd) {
      for (size_t k = 0; k + 1 < xs.size(); k += 2) span(xs[k].x, xs[k + 1].x);
    } else {
      int winding = 0;
      double start = 0;
      for (const Crossing& c : xs) {
        const int before = winding;
        winding += c.dir;
        if (before == 0 && winding != 0) start = c.x;
        if (before != 0 && winding == 0) span(start, c.x);
      }
    }
  }
}

}  // namespace valmoro::gfx::raster
