#include "preview/preview_workspace.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/painter_canvas.h"
#include "preview/page_source.h"
#include "preview/preview.h"

namespace valmoro::preview {

namespace {
// Only pages this close to the one at the scroll position are considered
// when painting, so a long report paints as fast as a short one.
constexpr int kPaintWindow = 40;
constexpr double kThumbnailZoom = 0.1;
}  // namespace

TfrxPreviewWorkspace::TfrxPreviewWorkspace(TfrxPreview* preview, bool thumbnails, QWidget* parent)
    : QAbstractScrollArea(parent), preview_(preview), thumbnails_(thumbnails) {
  setObjectName(thumbnails ? QStringLiteral("ThumbnailWorkspace") : QStringLiteral("PageWorkspace"));
  if (thumbnails) zoom_ = kThumbnailZoom;
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  // Every pixel of the viewport is painted by paintEvent.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  verticalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setSingleStep(20);
}

int TfrxPreviewWorkspace::AvailableWidth() const {
  return std::max(0, width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void TfrxPreviewWorkspace::UpdatePageList(int pageCount) {
  std::vector<QSize> sizes;
  if (source_) {
    const int total = source_->Count();
    const int n = pageCount < 0 ? total : std::min(pageCount, total);
    sizes.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) sizes.push_back(source_->PageSize(i));
  }
  layout_.Layout(sizes, thumbnails_ ? kThumbnailZoom : zoom_, AvailableWidth(), RightToLeft);
  updateScrollBars();
  viewport()->update();
}

void TfrxPreviewWorkspace::updateScrollBars() {
  const QSize range = layout_.ScrollRange();
  suppressScrollSignal_ = true;
  verticalScrollBar()->setPageStep(viewport()->height());
  horizontalScrollBar()->setPageStep(viewport()->width());
  verticalScrollBar()->setRange(0, std::max(0, range.height() - viewport()->height()));
  horizontalScrollBar()->setRange(0, std::max(0, range.width() - viewport()->width()));
  suppressScrollSignal_ = false;
}

void TfrxPreviewWorkspace::SetPageNo(int pageNo) {
  if (pageNo_ == pageNo) return;
  pageNo_ = pageNo;
  viewport()->update();
}

QPoint TfrxPreviewWorkspace::ScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TfrxPreviewWorkspace::SetScrollPosition(QPoint position) {
  horizontalScrollBar()->setValue(position.x());
  verticalScrollBar()->setValue(position.y());
}

void TfrxPreviewWorkspace::ScrollToPage(int pageNo) {
  const QRect r = layout_.PageRect(pageNo - 1);
  suppressScrollSignal_ = true;
  verticalScrollBar()->setValue(r.top() - 10);
  // A page that lies outside the horizontal view comes into it.
  const int x = horizontalScrollBar()->value();
  if (r.left() < x || r.right() > x + viewport()->width()) horizontalScrollBar()->setValue(r.left() - 10);
  suppressScrollSignal_ = false;
  viewport()->update();
}

void TfrxPreviewWorkspace::SetFound(int pageNo, QRect rect) {
  foundPage_ = pageNo;
  foundRect_ = rect;
  viewport()->update();
}

QPoint TfrxPreviewWorkspace::toWorkspace(QPoint viewportPoint) const { return viewportPoint + ScrollPosition(); }

void TfrxPreviewWorkspace::PaintArea(gfx::Canvas& canvas, QPoint origin, QSize size) {
  const QRect window(origin, size);
  auto toCanvas = [&](const QRect& r) {
    return gfx::Rect{r.left() - origin.x(), r.top() - origin.y(), r.right() + 1 - origin.x(),
                     r.bottom() + 1 - origin.y()};
  };
  lastPainted_ = 0;
  canvas.setBrush({BackColor, gfx::BrushStyle::Solid});
  canvas.fillRect({0, 0, size.width(), size.height()});
  if (preview_->Locked() || !source_ || layout_.Count() == 0) return;

  const int center = layout_.PageAtScroll(origin.y());
  const int first = std::max(0, center - kPaintWindow);
  const int last = std::min(layout_.Count() - 1, center + kPaintWindow);

  // The current page's frame, 2 pixels wide, one pixel outside the page frame.
  const int current = pageNo_ - 1;
  if (current >= first && current <= last) {
    const QRect r = layout_.PageRect(current);
    if (r.adjusted(-3, -3, 3, 3).intersects(window)) {
      canvas.setBrush({ActiveFrameColor, gfx::BrushStyle::Solid});
      canvas.fillRect(toCanvas(r.adjusted(-3, -3, 3, 3)));
    }
  }

  for (int i = first; i <= last; ++i) {
    const QRect r = layout_.PageRect(i);
    if (!r.adjusted(-1, -1, 1, 1).intersects(window)) continue;
    canvas.setPen({FrameColor, 1, gfx::PenStyle::Solid});
    canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Solid});
    canvas.rectangle(toCanvas(r.adjusted(-1, -1, 1, 1)));
    const double scale = layout_.Zoom();
    canvas.pushClip(toCanvas(r));
    source_->DrawPage(i, canvas, scale, scale, r.left() - origin.x(), r.top() - origin.y());
    canvas.popClip();
    ++lastPainted_;
    if (thumbnails_) {
      gfx::Font font;
      font.name = QStringLiteral("Arial");
      font.height = -11;  // 8 points at 96 dpi
      font.color = gfx::clWhite;
      canvas.setFont(font);
      const QString number = QLatin1Char(' ') + QString::number(i + 1) + QLatin1Char(' ');
      const std::vector<int> advances = canvas.textAdvances(number);
      int width = 0;
      for (int a : advances) width += a;
      canvas.setBrush({BackColor, gfx::BrushStyle::Solid});
      canvas.fillRect({r.left() - origin.x(), r.top() - origin.y(), r.left() - origin.x() + width,
                       r.top() - origin.y() + 14});
      canvas.textOut({r.left() - origin.x(), r.top() - origin.y()}, number);
    }
  }
}

void TfrxPreviewWorkspace::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  {
    gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 96);
    PaintArea(canvas, ScrollPosition(), viewport()->size());
  }
  // The found text stands out inverted, one pixel wider on either side.
  if (!thumbnails_ && !preview_->Locked() && foundPage_ > 0 && foundPage_ <= layout_.Count()) {
    const QRect page = layout_.PageRect(foundPage_ - 1);
    const double z = layout_.Zoom();
    QRect r(QPoint(int(std::lround(foundRect_.left() * z)) - 1, int(std::lround(foundRect_.top() * z))),
            QPoint(int(std::lround((foundRect_.right() + 1) * z)), int(std::lround((foundRect_.bottom() + 1) * z)) - 1));
    r.translate(page.topLeft() - ScrollPosition());
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(r, Qt::white);
  }
}

void TfrxPreviewWorkspace::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void TfrxPreviewWorkspace::scrollContentsBy(int, int dy) {
  viewport()->update();
  if (dy == 0 || suppressScrollSignal_ || layout_.Count() == 0) return;
  const int page = layout_.PageAtScroll(verticalScrollBar()->value()) + 1;
  if (page != pageNo_) emit scrolledToPage(page);
}

void TfrxPreviewWorkspace::mousePressEvent(QMouseEvent* event) {
  if (preview_->Locked()) return;
  setFocus();
  if (event->button() == Qt::LeftButton && !thumbnails_) {
    dragging_ = true;
    dragStart_ = event->position().toPoint();
    dragScroll_ = ScrollPosition();
  }
}

void TfrxPreviewWorkspace::mouseMoveEvent(QMouseEvent* event) {
  if (preview_->Locked()) return;
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    SetScrollPosition(dragScroll_ - (event->position().toPoint() - dragStart_));
    return;
  }
  if (!thumbnails_ && event->buttons() == Qt::NoButton) {
    preview_->MouseMoveAt(toWorkspace(event->position().toPoint()));
  }
}

void TfrxPreviewWorkspace::mouseReleaseEvent(QMouseEvent* event) {
  if (preview_->Locked()) return;
  dragging_ = false;
  const QPoint at = toWorkspace(event->position().toPoint());
  const int page = layout_.PageAtPoint(at);
  if (page >= 0) preview_->SetPageNo(page + 1);
  if (thumbnails_ || event->button() == Qt::RightButton) return;
  // A release soon after the previous one is a double click.
  const bool doubleClick =
      lastRelease_.isValid() && lastRelease_.elapsed() <= QApplication::doubleClickInterval();
  lastRelease_.restart();
  preview_->MouseClickAt(at, event->button(), event->modifiers(), doubleClick);
}

void TfrxPreviewWorkspace::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt reports the second press separately; the release that follows decides.
  mousePressEvent(event);
}

void TfrxPreviewWorkspace::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y() / 120;
  if (event->modifiers() & Qt::ControlModifier) {
    if (!thumbnails_) preview_->WheelZoom(notches);
  } else if (event->modifiers() & Qt::ShiftModifier) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - 20 * notches);
  } else {
    verticalScrollBar()->setValue(verticalScrollBar()->value() - 20 * notches);
  }
  event->accept();
}

void TfrxPreviewWorkspace::keyPressEvent(QKeyEvent* event) {
  if (preview_->HandleKey(event->key(), event->modifiers())) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace valmoro::preview
