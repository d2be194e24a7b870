#include "designer/workspace.h"

#include "designer/field_drop.h"
#include "designer/object_catalogue.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "designer/designer_document.h"
#include "platform/locale.h"
#include "platform/painter_canvas.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/component.h"
#include "report/model/edit/commands.h"
#include "report/model/edit/hit_test.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

namespace valmoro::designer {

using report::TfrxBand;
using report::TfrxComponent;

namespace {

// The band's kind as the object bar names it ("Dane główne"), the model's
// own caption for kinds the bar does not offer.
QString bandCaption(const report::TfrxBand& band) {
  const QString caption = CatalogueCaption(band.ClassName());
  return caption.isEmpty() ? band.KindCaption() : caption;
}

// The border of workspace around the paper (screen pixels).
constexpr int kPad = 20;
constexpr int kShadow = 4;
constexpr int kHandleSize = 5;
// Below this many screen pixels between grid lines the grid is not drawn.
constexpr double kMinGridPixels = 4;
constexpr double kWheelFactor = 1.2;
constexpr double kMinCaptionPixels = 8;

const gfx::Color kBackColor = gfx::rgb(128, 128, 128);
const gfx::Color kShadowColor = gfx::rgb(64, 64, 64);
const gfx::Color kMarginColor = gfx::rgb(180, 180, 180);
const gfx::Color kColumnColor = gfx::rgb(160, 160, 200);
const gfx::Color kDataBandTint = gfx::rgb(238, 244, 252);
const gfx::Color kBandTint = gfx::rgb(250, 247, 238);
const gfx::Color kCaptionColor = gfx::rgb(204, 216, 234);
const gfx::Color kCaptionTextColor = gfx::rgb(32, 32, 64);
const gfx::Color kGuideColor = gfx::rgb(0, 120, 215);
const gfx::Color kSnapColor = gfx::rgb(230, 0, 120);
const QRgb kGridDot = qRgb(150, 150, 150);

int px(double v) { return int(std::lround(v)); }

gfx::Rect toRect(const QRectF& r) {
  const QRectF n = r.normalized();
  return {px(n.left()), px(n.top()), px(n.right()), px(n.bottom())};
}

QRect toQRect(const QRectF& r) {
  const QRectF n = r.normalized();
  return QRect(QPoint(px(n.left()), px(n.top())), QPoint(px(n.right()), px(n.bottom())));
}

}  // namespace

DesignWorkspace::DesignWorkspace(DesignerDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), drag_(document) {
  setObjectName(QStringLiteral("DesignWorkspace"));
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAcceptDrops(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  verticalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setSingleStep(20);
  zoom_ = std::clamp(document_.Options().zoom, kMinZoom, kMaxZoom);
  drag_.SetZoom(zoom_);

  // Model announcements come one per changed property: a drag of a
  // thousand objects must cost one repaint, not a thousand layouts.
  connect(&document_, &DesignerDocument::changed, this, &DesignWorkspace::modelChanged);
  connect(&document_, &DesignerDocument::selectionChanged, viewport(), qOverload<>(&QWidget::update));
  connect(&document_, &DesignerDocument::currentPageChanged, this, &DesignWorkspace::pageReplaced);
  connect(&document_, &DesignerDocument::documentReplaced, this, &DesignWorkspace::pageReplaced);
  connect(&document_, &DesignerDocument::optionsChanged, this, [this] {
    if (std::abs(document_.Options().zoom - zoom_) > 1e-9) SetZoom(document_.Options().zoom);
    viewport()->update();
    emit viewChanged();
  });
  connect(&drag_, &DragController::overlayChanged, viewport(), qOverload<>(&QWidget::update));
  connect(&drag_, &DragController::insertBandRequested, this, &DesignWorkspace::insertBandRequested);
  connect(&drag_, &DragController::insertFinished, this, [this] {
    viewport()->unsetCursor();
    emit insertFinished();
  });
  updateScrollBars();
}

DesignWorkspace::~DesignWorkspace() {
  if (editor_) editor_->removeEventFilter(this);
}

report::TfrxPage* DesignWorkspace::page() const { return document_.CurrentPage(); }

// --- Geometry ---------------------------------------------------------------------

QSizeF DesignWorkspace::paperSize() const {
  report::TfrxPage* p = page();
  if (p == nullptr) return {};
  if (const auto* rp = qobject_cast<const report::TfrxReportPage*>(p)) {
    double height = rp->PaperHeight() * report::fr01cm;
    // Bands that run past the paper's end are still shown.
    double lowest = 0;
    for (const TfrxComponent* child : rp->Objects())
      if (qobject_cast<const TfrxBand*>(child)) lowest = std::max(lowest, child->Top() + child->Height());
    height = std::max(height, lowest + (rp->TopMargin() + rp->BottomMargin()) * report::fr01cm);
    return {rp->PaperWidth() * report::fr01cm, height};
  }
  return {p->Width(), p->Height()};
}

QPointF DesignWorkspace::marginOffset() const {
  if (const auto* rp = qobject_cast<const report::TfrxReportPage*>(page()))
    return {rp->LeftMargin() * report::fr01cm, rp->TopMargin() * report::fr01cm};
  return {};
}

QSize DesignWorkspace::ContentSize() const {
  const QSizeF paper = paperSize();
  return {int(std::ceil(paper.width() * zoom_)) + 2 * kPad, int(std::ceil(paper.height() * zoom_)) + 2 * kPad};
}

QPointF DesignWorkspace::paperOrigin() const {
  // A paper narrower than the viewport stands in its middle.
  const double width = paperSize().width() * zoom_;
  const double x = std::max<double>(kPad, std::floor((viewport()->width() - width) / 2));
  return {x, double(kPad)};
}

QRectF DesignWorkspace::PaperRect() const {
  const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const QSizeF paper = paperSize();
  return {paperOrigin() - scroll, QSizeF(paper.width() * zoom_, paper.height() * zoom_)};
}

QPointF DesignWorkspace::PageToViewport(QPointF point) const {
  return PaperRect().topLeft() + (marginOffset() + point) * zoom_;
}

QRectF DesignWorkspace::PageToViewport(const QRectF& rect) const {
  return {PageToViewport(rect.topLeft()), rect.size() * zoom_};
}

QPointF DesignWorkspace::ViewportToPage(QPointF point) const {
  return (point - PaperRect().topLeft()) / zoom_ - marginOffset();
}

void DesignWorkspace::updateScrollBars() {
  layoutPending_ = false;
  const QSize content = ContentSize();
  horizontalScrollBar()->setPageStep(viewport()->width());
  verticalScrollBar()->setPageStep(viewport()->height());
  horizontalScrollBar()->setRange(0, std::max(0, content.width() - viewport()->width()));
  verticalScrollBar()->setRange(0, std::max(0, content.height() - viewport()->height()));
  emit viewChanged();
}

void DesignWorkspace::scheduleLayout() {
  if (layoutPending_) return;
  layoutPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (layoutPending_) updateScrollBars();
  });
}

void DesignWorkspace::modelChanged(const report::ReportChange& change) {
  // A view's text, font or colour: only its own rectangle is drawn again
  // (with room for its frame and shadow). Moves and everything else: the
  // whole viewport, which Qt draws once however often it is asked.
  static const QStringList geometry{QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"),
                                    QStringLiteral("Height"), QStringLiteral("Align")};
  if (change.kind == report::ReportChange::Kind::Property && qobject_cast<report::TfrxView*>(change.object) &&
      change.object->Page() == page() && !geometry.contains(change.property) &&
      !change.property.startsWith(QLatin1String("Frame"))) {
    const QRectF r = PageToViewport(change.object->AbsoluteBounds().normalized());
    const int margin = 4 + px(8 * zoom_);
    viewport()->update(toQRect(r).adjusted(-margin, -margin, margin, margin));
    return;
  }
  viewport()->update();
  // Only the paper and the bands change the scrolled area.
  if (change.kind != report::ReportChange::Kind::Property || qobject_cast<report::TfrxPage*>(change.object) ||
      qobject_cast<TfrxBand*>(change.object))
    scheduleLayout();
}

void DesignWorkspace::pageReplaced() {
  drag_.Cancel();
  CancelText();
  updateScrollBars();
  viewport()->update();
}

// --- Zoom ---------------------------------------------------------------------------

void DesignWorkspace::SetZoom(double zoom, std::optional<QPointF> anchor) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  const QPointF at = anchor.value_or(QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
  const QPointF pagePoint = ViewportToPage(at);
  const bool changed = std::abs(zoom - zoom_) > 1e-9;
  zoom_ = zoom;
  drag_.SetZoom(zoom);
  document_.Options().zoom = zoom;
  updateScrollBars();
  // Scroll so that the same page point is under the anchor again.
  const QPointF now = PageToViewport(pagePoint);
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() + px(now.x() - at.x()));
  verticalScrollBar()->setValue(verticalScrollBar()->value() + px(now.y() - at.y()));
  placeEditor();
  viewport()->update();
  if (changed) emit zoomChanged(zoom_);
  emit viewChanged();
}

void DesignWorkspace::ZoomToPageWidth() {
  const double width = paperSize().width();
  if (width <= 0) return;
  SetZoom((viewport()->width() - 2.0 * kPad) / width);
  horizontalScrollBar()->setValue(0);
}

void DesignWorkspace::ZoomToWholePage() {
  const QSizeF paper = paperSize();
  if (paper.isEmpty()) return;
  const double z = std::min((viewport()->width() - 2.0 * kPad) / paper.width(),
                            (viewport()->height() - 2.0 * kPad) / paper.height());
  SetZoom(z);
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
}

// --- Tools ----------------------------------------------------------------------------

void DesignWorkspace::SetInsertTool(const QString& className, int flag) {
  drag_.SetInsertTool(className, flag);
  if (className.isEmpty())
    viewport()->unsetCursor();
  else
    viewport()->setCursor(Qt::CrossCursor);
}

void DesignWorkspace::BeginGuideDrag(Qt::Orientation orientation, int index) {
  guideDrag_ = {true, orientation, index, 0, false, false, {}};
  const QList<double> positions = page() ? GuidePositions(*page(), orientation) : QList<double>();
  if (index >= 0 && index < positions.size()) guideDrag_.position = positions.at(index);
}

void DesignWorkspace::UpdateGuideDrag(QPoint viewportPoint) {
  if (!guideDrag_.active) return;
  const QPointF p = ViewportToPage(viewportPoint);
  double position = guideDrag_.orientation == Qt::Horizontal ? p.y() : p.x();
  if (document_.Options().snapToGrid) position = SnapToGrid(position, 0, document_.Options().gridStep());
  guideDrag_.position = position;
  guideDrag_.inside = viewport()->rect().contains(viewportPoint);
  guideDrag_.moved = true;
  viewport()->update();
}

void DesignWorkspace::EndGuideDrag(QPoint viewportPoint) {
  if (!guideDrag_.active) return;
  UpdateGuideDrag(viewportPoint);
  const GuideDrag drag = guideDrag_;
  guideDrag_ = {};
  viewport()->update();
  if (page() == nullptr) return;
  if (drag.inside) {
    if (drag.index < 0)
      AddGuide(document_, *page(), drag.orientation, drag.position);
    else
      MoveGuide(document_, *page(), drag.orientation, drag.index, drag.position);
  } else if (drag.index >= 0) {
    RemoveGuide(document_, *page(), drag.orientation, drag.index);
  }
}

// --- In-place editor ----------------------------------------------------------------

void DesignWorkspace::EditText(TfrxComponent* view) {
  auto* memo = qobject_cast<report::TfrxCustomMemoView*>(view);
  if (memo == nullptr || memo->Restrictions().testFlag(report::rfDontEdit)) return;
  CancelText();
  editedName_ = memo->Name();
  editor_ = new QPlainTextEdit(viewport());
  editor_->setObjectName(QStringLiteral("InPlaceEditor"));
  editor_->setFrameShape(QFrame::Box);
  QString text = memo->Text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  editor_->setPlainText(text);
  QFont font(memo->Font()->Name());
  font.setPixelSize(std::max(6, px(std::abs(memo->Font()->Height()) * zoom_)));
  editor_->setFont(font);
  editor_->installEventFilter(this);
  placeEditor();
  editor_->show();
  editor_->setFocus();
  editor_->selectAll();
}

void DesignWorkspace::placeEditor() {
  if (!editor_) return;
  TfrxComponent* view = document_.Report().FindObject(editedName_);
  if (view == nullptr) return;
  const QRectF r = PageToViewport(view->AbsoluteBounds().normalized());
  editor_->setGeometry(QRect(px(r.left()), px(r.top()), std::max(80, px(r.width())), std::max(40, px(r.height()))));
}

void DesignWorkspace::CommitText() {
  if (!editor_) return;
  const QString name = editedName_;
  QString text = editor_->toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  CancelText();
  auto* memo = qobject_cast<report::TfrxCustomMemoView*>(document_.Report().FindObject(name));
  if (memo == nullptr || memo->Text() == text) return;
  document_.EndGesture();
  document_.Run([&] { return new report::edit::SetPropertyCommand(document_.Report(), {name}, QStringLiteral("Text"), text); });
  document_.EndGesture();
}

void DesignWorkspace::CancelText() {
  if (!editor_) return;
  QPlainTextEdit* editor = editor_;
  editor_ = nullptr;
  editedName_.clear();
  editor->removeEventFilter(this);
  editor->hide();
  editor->deleteLater();
  setFocus();
}

bool DesignWorkspace::eventFilter(QObject* watched, QEvent* event) {
  if (editor_ && watched == editor_) {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape) {
        CancelText();
        return true;
      }
      if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
        CommitText();
        return true;
      }
    } else if (event->type() == QEvent::FocusOut &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      // Leaving the editor keeps what was typed (its own context menu does not leave it).
      QTimer::singleShot(0, this, [this] { CommitText(); });
    }
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

// --- Drawing ----------------------------------------------------------------------------

void DesignWorkspace::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // Around the paper, the designer component's gradient: from the window
  // colour at the top to its end colour at the bottom.
  QLinearGradient gradient(0, 0, 0, viewport()->height());
  gradient.setColorAt(0, palette().color(QPalette::Window));
  gradient.setColorAt(1, QColor::fromRgb(gfx::toRgb(document_.Defaults().gradientEnd)));
  painter.fillRect(event->rect(), gradient);
  gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 96);
  paintContents(canvas, event->rect());
}

void DesignWorkspace::PaintTo(gfx::Canvas& canvas, const QRect& clip) {
  canvas.setBrush({kBackColor, gfx::BrushStyle::Solid});
  canvas.fillRect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
  paintContents(canvas, clip);
}

void DesignWorkspace::paintContents(gfx::Canvas& canvas, const QRect& clip) {
  lastPaintedViews_ = 0;
  report::TfrxPage* p = page();
  if (p == nullptr) return;
  const gfx::Rect paper = toRect(PaperRect());
  canvas.setBrush({kShadowColor, gfx::BrushStyle::Solid});
  canvas.fillRect({paper.left + kShadow, paper.top + kShadow, paper.right + kShadow, paper.bottom + kShadow});
  auto* reportPage = qobject_cast<report::TfrxReportPage*>(p);
  canvas.setBrush({reportPage ? gfx::clWhite : gfx::Color(0xFF00000F), gfx::BrushStyle::Solid});
  canvas.fillRect(paper);

  const QPointF origin = PageToViewport(QPointF(0, 0));
  report::PaintContext context;
  context.purpose = report::PaintPurpose::Design;
  context.scaleX = context.scaleY = zoom_;
  context.offsetX = origin.x();
  context.offsetY = origin.y();
  const QPointF shift = drag_.PreviewShift();
  const report::PaintContext shiftedContext = context.movedBy(shift.x() * zoom_, shift.y() * zoom_);

  if (reportPage) {
    reportPage->PaintBackground(canvas, context);
    const QRectF printable(0, 0, PrintableWidth(*reportPage),
                           paperSize().height() - (reportPage->TopMargin() + reportPage->BottomMargin()) * report::fr01cm);
    canvas.setPen({kMarginColor, 1, gfx::PenStyle::Solid});
    canvas.setBrush({gfx::clNone, gfx::BrushStyle::Clear});
    canvas.rectangle(toRect(PageToViewport(printable)));
    if (reportPage->Columns() > 1) {
      canvas.setPen({kColumnColor, 1, gfx::PenStyle::Dot});
      const QStringList positions = reportPage->ColumnPositions();
      for (int i = 1; i < reportPage->Columns(); ++i) {
        double mm = i * reportPage->ColumnWidth();
        if (i < positions.size())
          if (const std::optional<double> v = locale::parseFloat(positions.at(i))) mm = *v;
        const int x = px(PageToViewport(QPointF(mm * report::fr01cm, 0)).x());
        canvas.line({x, px(PageToViewport(printable.topLeft()).y())}, {x, px(PageToViewport(printable.bottomLeft()).y())});
      }
    }
    paintBands(canvas, clip);
  } else {
    paintGrid(canvas, QRectF(0, 0, p->Width(), p->Height()), {}, clip);
    // Controls of a dialog page have no drawing of their own yet: their
    // outline and name show where they are.
    gfx::Font font;
    font.height = -11;
    canvas.setFont(font);
    for (TfrxComponent* child : p->Objects()) {
      if (qobject_cast<report::TfrxView*>(child)) continue;
      const gfx::Rect r = toRect(PageToViewport(child->AbsoluteBounds()));
      canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dot});
      canvas.setBrush({gfx::clNone, gfx::BrushStyle::Clear});
      canvas.rectangle(r);
      canvas.pushClip(r);
      canvas.textOut({r.left + 2, r.top + 1}, child->Name());
      canvas.popClip();
    }
  }

  // The views as they come out on paper.
  const QRectF visible = QRectF(clip).adjusted(-8, -8, 8, 8);
  for (TfrxComponent* object : p->AllObjects()) {
    auto* view = qobject_cast<report::TfrxView*>(object);
    if (view == nullptr) continue;
    // Mapped here rather than through PageToViewport: a page may hold
    // thousands of views.
    QRectF abs = view->AbsoluteBounds().normalized();
    // Many objects being moved are drawn where they are going.
    const bool shifted = drag_.MovesInPreview(view);
    if (shifted) abs.translate(shift);
    const QRectF r(origin + abs.topLeft() * zoom_, abs.size() * zoom_);
    if (!r.adjusted(-1, -1, 1, 1).intersects(visible)) continue;
    view->Paint(canvas, shifted ? shiftedContext : context);
    ++lastPaintedViews_;
  }
  paintOverlay(canvas);
}

void DesignWorkspace::paintBands(gfx::Canvas& canvas, const QRect& clip) {
  report::TfrxPage* p = page();
  gfx::Font font;
  font.name = QStringLiteral("Arial");
  font.height = -11;
  font.color = kCaptionTextColor;
  for (TfrxComponent* child : p->Objects()) {
    auto* band = qobject_cast<TfrxBand*>(child);
    if (band == nullptr) continue;
    const QPointF shift = drag_.MovesInPreview(band) ? drag_.PreviewShift() * zoom_ : QPointF();
    const QRectF area = PageToViewport(band->AbsoluteBounds()).translated(shift);
    if (area.bottom() + kBandCaptionHeight * zoom_ >= clip.top() && area.top() - kBandCaptionHeight * zoom_ <= clip.bottom()) {
      canvas.setBrush({qobject_cast<report::TfrxDataBand*>(band) ? kDataBandTint : kBandTint, gfx::BrushStyle::Solid});
      canvas.fillRect(toRect(area));
      const QPointF pageShift = shift / zoom_;
      paintGrid(canvas, band->AbsoluteBounds().translated(pageShift), QPointF(band->AbsLeft(), band->AbsTop()) + pageShift, clip);
      const QRectF strip = PageToViewport(CaptionRect(*band)).translated(shift);
      const gfx::Rect caption = toRect(strip);
      canvas.setBrush({kCaptionColor, gfx::BrushStyle::Solid});
      canvas.fillRect(caption);
      // A strip too thin for text stays a plain bar.
      if (strip.height() >= kMinCaptionPixels) {
        gfx::Font f = font;
        f.height = -std::min(11, caption.height() - 3);
        canvas.setFont(f);
        canvas.pushClip(caption);
        canvas.textOut({caption.left + 4, caption.top + std::max(0, (caption.height() - 14) / 2)},
                       bandCaption(*band) + QStringLiteral(": ") + band->Name());
        canvas.popClip();
      }
    }
  }
}

void DesignWorkspace::paintGrid(gfx::Canvas& canvas, const QRectF& area, QPointF origin, const QRect& clip) {
  const DesignOptions& options = document_.Options();
  const double step = options.gridStep() * zoom_;
  if (!options.showGrid || step < kMinGridPixels) return;
  const QRectF screen = PageToViewport(area);
  const QPointF start = PageToViewport(origin);
  const int left = std::max(px(screen.left()), clip.left());
  const int right = std::min(px(screen.right()), clip.right() + 1);
  if (right <= left) return;
  // One row of dots drawn on every grid row: the dots' columns do not
  // depend on the row.
  const int width = right - left;
  const int offset = px(start.x()) - left;
  if (gridRow_.width() != width || gridRowStep_ != step || gridRowOffset_ != offset) {
    gridRow_ = QImage(width, 1, QImage::Format_RGB32);
    gridRow_.fill(Qt::white);
    const double first = std::ceil((left - start.x()) / step);
    for (double i = first;; ++i) {
      const int x = px(start.x() + i * step) - left;
      if (x >= width) break;
      if (x >= 0) gridRow_.setPixel(x, 0, kGridDot);
    }
    gridRowStep_ = step;
    gridRowOffset_ = offset;
  }
  const double top = std::max<double>(screen.top(), clip.top());
  const double bottom = std::min<double>(screen.bottom(), clip.bottom() + 1);
  for (double j = std::ceil((top - start.y()) / step);; ++j) {
    const int y = px(start.y() + j * step);
    if (y >= bottom) break;
    if (y < top) continue;
    canvas.drawImage({left, y, right, y + 1}, gridRow_, gfx::clWhite);
  }
}

void DesignWorkspace::paintOverlay(gfx::Canvas& canvas) {
  report::TfrxPage* p = page();
  const QRectF paper = PaperRect();
  auto vertical = [&](double x) {
    const int sx = px(PageToViewport(QPointF(x, 0)).x());
    canvas.line({sx, px(paper.top())}, {sx, px(paper.bottom())});
  };
  auto horizontal = [&](double y) {
    const int sy = px(PageToViewport(QPointF(0, y)).y());
    canvas.line({px(paper.left()), sy}, {px(paper.right()), sy});
  };
  canvas.setPen({kGuideColor, 1, gfx::PenStyle::Dash});
  for (double y : GuidePositions(*p, Qt::Horizontal)) horizontal(y);
  for (double x : GuidePositions(*p, Qt::Vertical)) vertical(x);
  if (guideDrag_.active && guideDrag_.inside) {
    if (guideDrag_.orientation == Qt::Horizontal)
      horizontal(guideDrag_.position);
    else
      vertical(guideDrag_.position);
  }
  canvas.setPen({kSnapColor, 1, gfx::PenStyle::Solid});
  for (const SnapLine& line : drag_.SnapLines()) {
    if (line.orientation == Qt::Vertical)
      vertical(line.position);
    else
      horizontal(line.position);
  }

  // The selection: the first selected (the reference of alignment) in
  // black, the others in grey.
  const QList<TfrxComponent*>& selection = document_.Selection();
  for (qsizetype i = 0; i < selection.size(); ++i) {
    TfrxComponent* object = selection.at(i);
    if (object->Page() != p || object == p) continue;
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Solid});
    canvas.setBrush({i == 0 ? gfx::clBlack : gfx::rgb(128, 128, 128), gfx::BrushStyle::Solid});
    const QPointF shift = drag_.MovesInPreview(object) ? drag_.PreviewShift() : QPointF();
    for (int h : HandlesOf(*object)) {
      const QPointF c = PageToViewport(HandlePosition(*object, h) + shift);
      const int x = px(c.x()) - kHandleSize / 2, y = px(c.y()) - kHandleSize / 2;
      canvas.rectangle({x, y, x + kHandleSize, y + kHandleSize});
    }
  }
  const QRectF frame = drag_.Frame();
  if (!frame.isNull()) {
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dot});
    canvas.setBrush({gfx::clNone, gfx::BrushStyle::Clear});
    canvas.rectangle(toRect(PageToViewport(frame)));
  }
}

// --- Events ---------------------------------------------------------------------------

void DesignWorkspace::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
  placeEditor();
}

void DesignWorkspace::scrollContentsBy(int, int) {
  placeEditor();
  viewport()->update();
  emit viewChanged();
}

void DesignWorkspace::mousePressEvent(QMouseEvent* event) {
  if (editor_) CommitText();
  setFocus();
  if (page() == nullptr) return;
  const QPointF at = ViewportToPage(event->position());
  if (event->button() == Qt::RightButton) {
    drag_.Cancel();
    const DesignHit hit = drag_.HitAt(at);
    if (hit.kind == DesignHit::Kind::Page)
      document_.ClearSelection();
    else if (hit.object && !document_.IsSelected(hit.object))
      document_.Select(hit.object);
    emit contextMenuRequested(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (!drag_.InsertToolActive()) {
    const DesignHit hit = drag_.HitAt(at);
    if (hit.kind != DesignHit::Kind::Handle && hit.kind != DesignHit::Kind::View) {
      for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        const int guide = GuideAt(*page(), o, at, drag_.Grip());
        if (guide >= 0) {
          BeginGuideDrag(o, guide);
          guideDrag_.start = event->position().toPoint();
          return;
        }
      }
    }
  }
  drag_.Press(at, event->modifiers());
}

void DesignWorkspace::mouseMoveEvent(QMouseEvent* event) {
  if (page() == nullptr) return;
  const QPointF at = ViewportToPage(event->position());
  emit pointerMoved(at);
  if (guideDrag_.active) {
    UpdateGuideDrag(event->position().toPoint());
    return;
  }
  if (event->buttons() & Qt::LeftButton) {
    drag_.MoveTo(at, event->modifiers());
    return;
  }
  Qt::CursorShape shape = drag_.CursorAt(at);
  if (shape == Qt::ArrowCursor && !drag_.InsertToolActive()) {
    if (GuideAt(*page(), Qt::Horizontal, at, drag_.Grip()) >= 0) shape = Qt::SplitVCursor;
    else if (GuideAt(*page(), Qt::Vertical, at, drag_.Grip()) >= 0) shape = Qt::SplitHCursor;
  }
  viewport()->setCursor(shape);
}

void DesignWorkspace::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || page() == nullptr) return;
  if (guideDrag_.active) {
    const bool moved = guideDrag_.moved && (event->position().toPoint() - guideDrag_.start).manhattanLength() > 2;
    if (!moved && guideDrag_.index >= 0) {
      // Only a click on the guide: a click on what lies under it.
      guideDrag_ = {};
      const QPointF at = ViewportToPage(event->position());
      drag_.Press(at, event->modifiers());
      drag_.Release(at, event->modifiers());
      return;
    }
    EndGuideDrag(event->position().toPoint());
    return;
  }
  drag_.Release(ViewportToPage(event->position()), event->modifiers());
}

void DesignWorkspace::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && page() && !drag_.InsertToolActive()) {
    const DesignHit hit = drag_.HitAt(ViewportToPage(event->position()));
    if (hit.kind == DesignHit::Kind::View || hit.kind == DesignHit::Kind::Band || hit.kind == DesignHit::Kind::Caption) {
      drag_.Cancel();
      document_.Select(hit.object);
      emit editRequested(hit.object);
      return;
    }
  }
  mousePressEvent(event);
}

void DesignWorkspace::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (event->modifiers() & Qt::ControlModifier) {
    SetZoom(zoom_ * std::pow(kWheelFactor, notches), event->position());
  } else if (event->modifiers() & Qt::ShiftModifier) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - int(40 * notches));
  } else {
    verticalScrollBar()->setValue(verticalScrollBar()->value() - int(40 * notches));
  }
  event->accept();
}

void DesignWorkspace::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (drag_.InsertToolActive())
      SetInsertTool({});
    else
      drag_.Cancel();
    event->accept();
    return;
  }
  if (drag_.Nudge(event->key(), event->modifiers())) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void DesignWorkspace::dragEnterEvent(QDragEnterEvent* event) {
  if (page() && event->mimeData() && ReadDataMime(*event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return;
  }
  event->ignore();
}

void DesignWorkspace::dragMoveEvent(QDragMoveEvent* event) {
  const std::optional<DataDragItem> item = event->mimeData() ? ReadDataMime(*event->mimeData()) : std::nullopt;
  // Taken everywhere over the page: a drop where the item cannot go says
  // why instead of passing without a word.
  if (item && page()) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void DesignWorkspace::dropEvent(QDropEvent* event) {
  const std::optional<DataDragItem> item = event->mimeData() ? ReadDataMime(*event->mimeData()) : std::nullopt;
  if (!item || page() == nullptr) {
    event->ignore();
    return;
  }
  if (editor_) CommitText();
  const QString refusal = DropItem(document_, *item, ViewportToPage(event->position()),
                                   event->modifiers().testFlag(Qt::ControlModifier));
  if (!refusal.isEmpty()) {
    event->ignore();
    emit refused(refusal);
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  setFocus();
}

bool DesignWorkspace::focusNextPrevChild(bool next) {
  // Tab walks the page's objects, not the window's widgets.
  if (editor_) return QAbstractScrollArea::focusNextPrevChild(next);
  drag_.SelectNext(!next);
  return true;
}

}  // namespace valmoro::designer
