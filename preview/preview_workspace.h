#pragma once
// A scrollable canvas that lays out and draws the pages of a preview. The
// preview control has two: one for the pages and one for thumbnails
// (always at zoom 0.1, each with its number).

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <functional>

#include "platform/canvas.h"
#include "preview/page_layout.h"

namespace valmoro::preview {

class PageSource;
class TfrxPreview;

class TfrxPreviewWorkspace : public QAbstractScrollArea {
  Q_OBJECT

public:
  TfrxPreviewWorkspace(TfrxPreview* preview, bool thumbnails, QWidget* parent = nullptr);

  bool IsThumbnails() const { return thumbnails_; }
  void SetSource(PageSource* source) { source_ = source; }

  // Lays the first `pageCount` pages out again at the workspace zoom (all
  // pages when negative).
  void UpdatePageList(int pageCount = -1);
  const PageLayout& Layout() const { return layout_; }
  int LaidOutCount() const { return layout_.Count(); }

  double Zoom() const { return zoom_; }
  void SetZoom(double zoom) { zoom_ = zoom; }

  // 1-based, as the preview counts; only repaints the frames.
  int PageNo() const { return pageNo_; }
  void SetPageNo(int pageNo);

  QPoint ScrollPosition() const;
  void SetScrollPosition(QPoint position);
  // Scrolls so that the page's top is 10 pixels below the window top.
  void ScrollToPage(int pageNo);

  gfx::Color BackColor = 8421504;
  gfx::Color FrameColor = 0;
  gfx::Color ActiveFrameColor = 8405024;
  bool RightToLeft = false;

  // The found text's rectangle (page pixels at scale 1) and its page (1-based;
  // 0: none).
  void SetFound(int pageNo, QRect rect);
  int FoundPage() const { return foundPage_; }
  QRect FoundRect() const { return foundRect_; }

  // Available width for the rows: the viewport less a vertical scroll bar.
  int AvailableWidth() const;

  // Pages drawn by the last paint (tests and benchmarks watch it).
  int LastPaintedPages() const { return lastPainted_; }
  // Paints into any canvas the part of the workspace that starts at `origin`
  // with the size given (the paint event uses it on the viewport).
  void PaintArea(gfx::Canvas& canvas, QPoint origin, QSize size);

signals:
  // The vertical scroll made another page current (1-based).
  void scrolledToPage(int pageNo);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void updateScrollBars();
  QPoint toWorkspace(QPoint viewportPoint) const;

  TfrxPreview* preview_;
  PageSource* source_ = nullptr;
  bool thumbnails_;
  PageLayout layout_;
  double zoom_ = 1;
  int pageNo_ = 1;
  int foundPage_ = 0;
  QRect foundRect_;
  int lastPainted_ = 0;
  bool dragging_ = false;
  QPoint dragStart_;
  QPoint dragScroll_;
  QElapsedTimer lastRelease_;
  bool suppressScrollSignal_ = false;
};

}  // namespace valmoro::preview
