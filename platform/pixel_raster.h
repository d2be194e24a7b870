#pragma once
// Which pixels the canvas figures cover. The report layouts were made for the
// classic desktop pixel rules (exclusive right and bottom edges, one-pixel
// lines that leave out their end point), which no general-purpose painter
// reproduces, so the painting canvas computes the covered pixels here and only
// hands finished spans to the device. Everything is whole pixels; a pixel's
// centre is its integer coordinate. Ellipses are computed in integers, so a
// figure is drawn the same on every device and in both directions.

#include <QPoint>
#include <QPointF>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/canvas.h"

namespace valmoro::gfx::raster {

// Columns left … right (both inclusive) of one row.
struct RowSpan {
  int left = 0;
  int right = -1;
};

// A figure with one unbroken span per row, rows top … bottom() − 1.
struct Spans {
  int top = 0;
  std::vector<RowSpan> rows;
  int bottom() const { return top + int(rows.size()); }
  bool empty() const { return rows.empty(); }
};

// Only the rows in [rowFrom, rowTo) are computed (figures may be far larger
// than what is visible); by default all of them.
inline constexpr int kAllRowsFrom = -2147483647 - 1;
inline constexpr int kAllRowsTo = 2147483647;

// The pixels of (left, top)–(right, bottom), right and bottom exclusive.
Spans rectSpans(const Rect& r, int rowFrom = kAllRowsFrom, int rowTo = kAllRowsTo);
// The ellipse inscribed in the rectangle: its outermost columns are left and
// right − 1, its outermost rows top and bottom − 1.
Spans ellipseSpans(const Rect& r, int rowFrom = kAllRowsFrom, int rowTo = kAllRowsTo);
// The rectangle with corners rounded by quarters of a cornerWidth × cornerHeight
// ellipse (sizes clamped to the rectangle; 0 or 1 gives square corners).
Spans roundRectSpans(const Rect& r, int cornerWidth, int cornerHeight, int rowFrom = kAllRowsFrom,
                     int rowTo = kAllRowsTo);

// The one-pixel outline of a figure: the pixels of its top and bottom rows,
// and of every other row those not covered by both neighbouring rows.
// Calls f(y, x0, x1) (x1 inclusive) for the rows of `window` that are the
// figure's first or last row (figureTop, figureBottom − 1) or have both
// neighbours in the window.
void outlineRows(const Spans& window, int figureTop, int figureBottom,
                 const std::function<void(int y, int x0, int x1)>& f);

// The same outline as a closed chain of runs of pixels, from `from` to `to`
// (inclusive, either way) on row y: the top row left to right, down the
// right side, the bottom row right to left, up the left side. Each pixel
// occurs once. Needs the whole figure.
struct ChainRun {
  int y = 0;
  int from = 0;
  int to = 0;
  int length() const { return (to >= from ? to - from : from - to) + 1; }
  int x(int k) const { return to >= from ? from + k : from - k; }  // k-th pixel
};
std::vector<ChainRun> outlineChain(const Spans& figure);

// A one-pixel line from `from` up to but not including `to`: n pixels, where n
// is the larger of the horizontal and vertical distances. The minor coordinate
// of pixel i is the exact line's value rounded to the nearest pixel, a tie
// staying on the side of the start point.
class LineWalk {
public:
  LineWalk(QPoint from, QPoint to);
  int count() const { return n_; }
  bool xMajor() const { return xMajor_; }
  QPoint pixel(int i) const;
  // Calls f(i, x, y) for the pixels with index in [first, last), in order.
  template <typename F>
  void walk(int first, int last, F&& f) const;
  // The index range whose major coordinate lies in [lo, hi) (the clip's
  // columns for a line running mostly across, its rows otherwise).
  void majorRange(int lo, int hi, int& first, int& last) const;

private:
  QPoint from_;
  int n_ = 0;
  bool xMajor_ = true;
  int sMajor_ = 1, sMinor_ = 1;
  std::int64_t dMajor_ = 0, dMinor_ = 0;
  std::int64_t minorAt(std::int64_t i, std::int64_t& err) const;
};

template <typename F>
void LineWalk::walk(int first, int last, F&& f) const {
  if (first < 0) first = 0;
  if (last > n_) last = n_;
  if (first >= last) return;
  std::int64_t err = 0;
  std::int64_t m = minorAt(first, err);
  for (int i = first; i < last; ++i) {
    const int major = (xMajor_ ? from_.x() : from_.y()) + sMajor_ * i;
    const int minor = (xMajor_ ? from_.y() : from_.x()) + sMinor_ * int(m);
    if (xMajor_)
      f(i, major, minor);
    else
      f(i, minor, major);
    err += 2 * dMinor_;
    if (err > 0) {
      ++m;
      err -= 2 * dMajor_;
    }
  }
}

// The cosmetic patterns of the dashed pens as on/off run lengths starting with
// "on"; empty for a solid pen.
std::span<const int> cosmeticPattern(PenStyle style);
// Whether pixel `index` of a stroke is "on" in a pattern (solid when empty).
bool patternOn(std::span<const int> pattern, long long index);

// Whether the hatch brush covers device pixel (x, y); 8 × 8 cells aligned to
// the device origin. Horizontal: row 3 of each cell; vertical: column 4;
// forward diagonal: x ≡ y; backward diagonal: x + y ≡ 7 (mod 8).
bool hatchOn(BrushStyle style, int x, int y);

// Scan conversion of a polygon: calls f(y, x0, x1) for the covered columns
// x0 … x1 − 1 of each row y in [rowFrom, rowTo). A pixel is covered when its
// centre lies inside; centres on a left or top edge count, on a right or
// bottom edge not (so (0, 0), (10, 0), (10, 10), (0, 10) covers 10 × 10).
void fillPolygon(std::span<const QPointF> points, bool evenOdd, int rowFrom, int rowTo,
                 const std::function<void(int y, int x0, int x1)>& f);

}  // namespace valmoro::gfx::raster
