#include "preview/page_layout.h"

#include <algorithm>
#include <cmath>

namespace valmoro::preview {

namespace {
constexpr int kGap = 10;

// Whole-number division that rounds towards zero, as the row centring
// expects for odd widths.
int half(int value) { return value / 2; }
}  // namespace

void PageLayout::Layout(const std::vector<QSize>& pageSizes, double zoom, int availableWidth, bool rightToLeft) {
  zoom_ = zoom;
  availableWidth_ = availableWidth;
  pages_.assign(pageSizes.size(), QRect());
  widestRow_ = 0;
  int y = kGap;
  int bottom = kGap;
  std::size_t rowStart = 0;
  int rowWidth = 0;
  int rowHeight = 0;

  auto finishRow = [&](std::size_t end) {
    const int spare = half(availableWidth - rowWidth + kGap);
    const int shift = spare < 0 ? kGap : spare + kGap;
    for (std::size_t i = rowStart; i < end; ++i) pages_[i].translate(shift, 0);
    widestRow_ = std::max(widestRow_, rowWidth);
    bottom = y + rowHeight;
    y = bottom + kGap;
  };

  for (std::size_t i = 0; i < pageSizes.size(); ++i) {
    const int w = int(std::lround(zoom * pageSizes[i].width()));
    const int h = int(std::lround(zoom * pageSizes[i].height()));
    if (i > rowStart && rowWidth + w > availableWidth) {
      finishRow(i);
      rowStart = i;
      rowWidth = 0;
      rowHeight = 0;
    }
    pages_[i] = QRect(rowWidth, y, w, h);
    rowWidth += w + kGap;
    rowHeight = std::max(rowHeight, h);
  }
  if (!pageSizes.empty()) finishRow(pageSizes.size());

  if (rightToLeft)
    for (QRect& r : pages_) r.moveLeft(availableWidth - r.width() - r.left());
  range_ = QSize(widestRow_ + kGap, bottom + kGap);
}

QRect PageLayout::PageRect(int index) const {
  if (index >= 0 && index < Count()) return pages_[std::size_t(index)];
  const int w = int(std::lround(zoom_ * kDefaultPageSize.width()));
  const int h = int(std::lround(zoom_ * kDefaultPageSize.height()));
  return QRect((availableWidth_ - w) / 2, int(std::lround(kGap * zoom_)), w, h);
}

int PageLayout::PageAtScroll(int scrollY) const {
  if (pages_.empty()) return 0;
  // Tops never decrease with the index, and pages of one row share a top.
  int lo = 0;
  int hi = Count() - 1;
  int found = 0;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const QRect& r = pages_[std::size_t(mid)];
    if (r.top() <= scrollY + r.height() / 5) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return found;
}

int PageLayout::PageAtPoint(QPoint point) const {
  // Only the row whose top is the last one above the point can hold it:
  // every earlier row ends at least 10 pixels above that top.
  int lo = 0;
  int hi = Count() - 1;
  int last = -1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (pages_[std::size_t(mid)].top() <= point.y()) {
      last = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (last < 0) return -1;
  const int rowTop = pages_[std::size_t(last)].top();
  for (int i = last; i >= 0 && pages_[std::size_t(i)].top() == rowTop; --i)
    if (pages_[std::size_t(i)].contains(point)) return i;
  return -1;
}

}  // namespace valmoro::preview
