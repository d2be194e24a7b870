#include "designer/rulers.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "designer/designer_document.h"
#include "designer/workspace.h"
#include "platform/locale.h"
#include "report/model/component.h"
#include "report/model/page.h"

namespace valmoro::designer {

namespace {

// Labels stand at least this far apart (screen pixels); finer marks are
// left out below kMinTickSpacing.
constexpr double kMinLabelSpacing = 30;
constexpr double kMinTickSpacing = 3;

struct Scale {
  double labelStep;   // in the unit
  int marksPerLabel;  // marks between two labels
};

Scale scaleOf(report::LengthUnit unit) {
  switch (unit) {
    case report::LengthUnit::Millimetre: return {10, 10};
    case report::LengthUnit::Inch: return {1, 8};
    case report::LengthUnit::Pixel: return {100, 10};
    default: return {1, 10};
  }
}

QString numberText(double value) {
  // Whole numbers and the odd half: nothing more is ever labelled.
  return locale::formatFloatGeneral(std::round(std::abs(value) * 1000) / 1000);
}

}  // namespace

DesignRuler::DesignRuler(Qt::Orientation orientation, DesignWorkspace& workspace, QWidget* parent)
    : QWidget(parent), orientation_(orientation), workspace_(workspace) {
  setObjectName(orientation == Qt::Horizontal ? QStringLiteral("HorizontalRuler") : QStringLiteral("VerticalRuler"));
  if (orientation == Qt::Horizontal)
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  else
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  setCursor(orientation == Qt::Horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
}

QSize DesignRuler::sizeHint() const {
  return orientation_ == Qt::Horizontal ? QSize(100, kThickness) : QSize(kThickness, 100);
}

double DesignRuler::viewportOffset() const {
  const QPoint d = workspace_.viewport()->mapToGlobal(QPoint(0, 0)) - mapToGlobal(QPoint(0, 0));
  return orientation_ == Qt::Horizontal ? d.x() : d.y();
}

QPoint DesignRuler::toViewport(QPoint rulerPoint) const {
  return workspace_.viewport()->mapFromGlobal(mapToGlobal(rulerPoint));
}

double DesignRuler::ToRuler(double pagePixels) const {
  const QPointF v = workspace_.PageToViewport(QPointF(pagePixels, pagePixels));
  return (orientation_ == Qt::Horizontal ? v.x() : v.y()) + viewportOffset();
}

double DesignRuler::ToPage(double rulerPixels) const {
  const double v = rulerPixels - viewportOffset();
  const QPointF p = workspace_.ViewportToPage(QPointF(v, v));
  return orientation_ == Qt::Horizontal ? p.x() : p.y();
}

void DesignRuler::SetPointer(QPointF pagePoint) {
  pointer_ = orientation_ == Qt::Horizontal ? pagePoint.x() : pagePoint.y();
  update();
}

std::optional<std::pair<double, double>> DesignRuler::SelectionExtent() const {
  const DesignerDocument& document = workspace_.Document();
  std::optional<std::pair<double, double>> extent;
  for (const report::TfrxComponent* object : document.Selection()) {
    if (object->Page() != document.CurrentPage() || object == document.CurrentPage()) continue;
    const QRectF r = object->AbsoluteBounds().normalized();
    const double a = orientation_ == Qt::Horizontal ? r.left() : r.top();
    const double b = orientation_ == Qt::Horizontal ? r.right() : r.bottom();
    if (!extent)
      extent = std::make_pair(a, b);
    else
      extent = std::make_pair(std::min(extent->first, a), std::max(extent->second, b));
  }
  return extent;
}

QList<DesignRuler::Tick> DesignRuler::Ticks() const {
  QList<Tick> ticks;
  const report::LengthUnit unit = workspace_.Document().Options().unit;
  const double unitPixels = report::convertLength(1, unit, report::LengthUnit::Pixel);
  const double zoom = workspace_.Zoom();
  Scale scale = scaleOf(unit);
  // Coarser labels when they would crowd.
  for (double factor : {2.0, 2.5, 2.0, 2.0, 2.5, 2.0}) {
    if (scale.labelStep * unitPixels * zoom >= kMinLabelSpacing) break;
    scale.labelStep *= factor;
  }
  const double mark = scale.labelStep / scale.marksPerLabel;  // in the unit
  const double markPixels = mark * unitPixels;                // page pixels
  const int half = scale.marksPerLabel / 2;
  const bool allMarks = markPixels * zoom >= kMinTickSpacing;
  const bool halfMarks = markPixels * half * zoom >= kMinTickSpacing;
  const int length = orientation_ == Qt::Horizontal ? width() : height();
  const double from = ToPage(0), to = ToPage(length);
  const long first = long(std::floor(std::min(from, to) / markPixels));
  const long last = long(std::ceil(std::max(from, to) / markPixels));
  for (long i = first; i <= last; ++i) {
    const bool labelled = i % scale.marksPerLabel == 0;
    const bool halfway = !labelled && half > 0 && i % half == 0;
    if (!labelled && !(halfway && halfMarks) && !allMarks) continue;
    Tick tick;
    tick.position = int(std::lround(ToRuler(i * markPixels)));
    if (tick.position < 0 || tick.position >= length) continue;
    tick.length = labelled ? kThickness - 2 : halfway ? kThickness / 3 : kThickness / 5;
    if (labelled) tick.label = numberText(i * mark);
    ticks.append(tick);
  }
  return ticks;
}

void DesignRuler::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool horizontal = orientation_ == Qt::Horizontal;
  painter.fillRect(rect(), QColor(212, 212, 212));
  // The paper's part of the ruler is white.
  const QRectF paper = workspace_.PaperRect();
  const double offset = viewportOffset();
  if (horizontal)
    painter.fillRect(QRectF(paper.left() + offset, 0, paper.width(), height()), Qt::white);
  else
    painter.fillRect(QRectF(0, paper.top() + offset, width(), paper.height()), Qt::white);
  if (const auto extent = SelectionExtent()) {
    const double a = ToRuler(extent->first), b = ToRuler(extent->second);
    const QColor tint(170, 200, 240);
    if (horizontal)
      painter.fillRect(QRectF(a, 0, std::max(1.0, b - a), height()), tint);
    else
      painter.fillRect(QRectF(0, a, width(), std::max(1.0, b - a)), tint);
  }
  QFont font = painter.font();
  font.setPixelSize(9);
  painter.setFont(font);
  painter.setPen(QColor(64, 64, 64));
  for (const Tick& tick : Ticks()) {
    if (horizontal) {
      painter.drawLine(tick.position, height() - tick.length, tick.position, height() - 1);
      if (!tick.label.isEmpty()) painter.drawText(tick.position + 2, 10, tick.label);
    } else {
      painter.drawLine(width() - tick.length, tick.position, width() - 1, tick.position);
      if (!tick.label.isEmpty()) {
        painter.save();
        painter.translate(10, tick.position + 2);
        painter.rotate(90);
        painter.drawText(0, 0, tick.label);
        painter.restore();
      }
    }
  }
  if (pointer_) {
    painter.setPen(QColor(200, 0, 0));
    const int at = int(std::lround(ToRuler(*pointer_)));
    if (horizontal)
      painter.drawLine(at, 0, at, height());
    else
      painter.drawLine(0, at, width(), at);
  }
  painter.setPen(QColor(128, 128, 128));
  if (horizontal)
    painter.drawLine(0, height() - 1, width(), height() - 1);
  else
    painter.drawLine(width() - 1, 0, width() - 1, height());
}

void DesignRuler::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  workspace_.BeginGuideDrag(orientation_);
}

void DesignRuler::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) workspace_.UpdateGuideDrag(toViewport(event->position().toPoint()));
}

void DesignRuler::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  workspace_.EndGuideDrag(toViewport(event->position().toPoint()));
}

DesignArea::DesignArea(DesignerDocument& document, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("DesignArea"));
  workspace_ = new DesignWorkspace(document, this);
  horizontal_ = new DesignRuler(Qt::Horizontal, *workspace_, this);
  vertical_ = new DesignRuler(Qt::Vertical, *workspace_, this);
  auto* corner = new QWidget(this);
  corner->setObjectName(QStringLiteral("RulerCorner"));
  corner->setFixedSize(DesignRuler::kThickness, DesignRuler::kThickness);
  corner->setAutoFillBackground(true);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(corner, 0, 0);
  layout->addWidget(horizontal_, 0, 1);
  layout->addWidget(vertical_, 1, 0);
  layout->addWidget(workspace_, 1, 1);
  for (DesignRuler* ruler : {horizontal_, vertical_}) {
    connect(workspace_, &DesignWorkspace::viewChanged, ruler, qOverload<>(&QWidget::update));
    connect(workspace_, &DesignWorkspace::pointerMoved, ruler, &DesignRuler::SetPointer);
    connect(&document, &DesignerDocument::selectionChanged, ruler, qOverload<>(&QWidget::update));
    connect(&document, &DesignerDocument::changed, ruler, qOverload<>(&QWidget::update));
    connect(&document, &DesignerDocument::optionsChanged, ruler, qOverload<>(&QWidget::update));
  }
}

}  // namespace valmoro::designer
