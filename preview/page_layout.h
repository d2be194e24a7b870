#pragma once
// Where the pages of a workspace go: rows filled left to right, each row
// centred, 10 pixels between pages and rows. Pure arithmetic, so that the
// workspace and the tests agree on every pixel.

#include <QRect>
#include <QSize>
#include <vector>

namespace valmoro::preview {

// The size of a page that is not known yet (A4 at 96 dpi).
inline constexpr QSize kDefaultPageSize{794, 1123};

class PageLayout {
public:
  // Lays out pages of the given sizes (pixels at zoom 1) at a zoom into a
  // width (the workspace less its vertical scroll bar).
  void Layout(const std::vector<QSize>& pageSizes, double zoom, int availableWidth, bool rightToLeft = false);

  int Count() const { return int(pages_.size()); }
  // The page's rectangle in workspace coordinates; for an index without a
  // page a default page at the zoom, centred, 10 × zoom from the top.
  QRect PageRect(int index) const;
  // Widest row + 10 by the bottom of the last row + 10.
  QSize ScrollRange() const { return range_; }
  int WidestRow() const { return widestRow_; }
  // The 0-based page that is current at a vertical scroll position: the last
  // page whose top is not below the position plus a fifth of its height
  // (0 when there are no pages).
  int PageAtScroll(int scrollY) const;
  // The 0-based page whose rectangle holds the point, or -1.
  int PageAtPoint(QPoint point) const;
  double Zoom() const { return zoom_; }

private:
  std::vector<QRect> pages_;
  QSize range_;
  int widestRow_ = 0;
  int availableWidth_ = 0;
  double zoom_ = 1;
};

}  // namespace valmoro::preview
