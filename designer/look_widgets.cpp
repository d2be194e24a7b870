#include "designer/look_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/painter_canvas.h"
#include "report/model/paint_context.h"
#include "report/model/view.h"

namespace valmoro::designer {

report::TColor colorOf(const QColor& color) {
  return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

QColor qColorOf(report::TColor color) {
  if (color == report::clTransparent) return QColor(Qt::transparent);
  return QColor::fromRgb(gfx::toRgb(color));
}

const std::vector<NamedColor>& namedColors() {
  static const std::vector<NamedColor> colors = {
      {0x000000, "Czarny"},    {0x000080, "Bordowy"},   {0x008000, "Zielony"},     {0x008080, "Oliwkowy"},
      {0x800000, "Granatowy"}, {0x800080, "Purpurowy"}, {0x808000, "Morski"},      {0x808080, "Szary"},
      {0xC0C0C0, "Srebrny"},   {0x0000FF, "Czerwony"},  {0x00FF00, "Limonkowy"},   {0x00FFFF, "Żółty"},
      {0xFF0000, "Niebieski"}, {0xFF00FF, "Fuksja"},    {0xFFFF00, "Akwamaryna"},  {0xFFFFFF, "Biały"},
  };
  return colors;
}

namespace {

QIcon swatch(report::TColor color) {
  QPixmap pixmap(16, 12);
  if (color == report::clTransparent) {
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setPen(Qt::red);
    p.drawLine(0, 11, 15, 0);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 15, 11);
  } else {
    pixmap.fill(qColorOf(color));
    QPainter p(&pixmap);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 15, 11);
  }
  return QIcon(pixmap);
}

// A colour without a name is listed as #RRGGBB, as colour pickers write it.
QString colorCaption(report::TColor color) {
  const QColor c = qColorOf(color);
  return c.name(QColor::HexRgb).toUpper();
}

}  // namespace

ColorChoice::ColorChoice(const QString& noneText, QWidget* parent)
    : QWidget(parent), noneText_(noneText), combo_(new QComboBox(this)), more_(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(combo_, 1);
  layout->addWidget(more_);
  combo_->setObjectName(QStringLiteral("ColorCombo"));
  more_->setObjectName(QStringLiteral("ColorMore"));
  more_->setText(QStringLiteral("…"));
  more_->setToolTip(QStringLiteral("Inny kolor…"));
  color_ = noneText_.isEmpty() ? report::clBlack : report::clTransparent;
  rebuild();
  connect(combo_, &QComboBox::activated, this, &ColorChoice::picked);
  connect(more_, &QToolButton::clicked, this, &ColorChoice::pickOther);
}

void ColorChoice::rebuild() {
  filling_ = true;
  combo_->clear();
  if (!noneText_.isEmpty()) combo_->addItem(swatch(report::clTransparent), noneText_, QVariant(quint32(report::clTransparent)));
  bool listed = color_ == report::clTransparent && !noneText_.isEmpty();
  for (const NamedColor& named : namedColors()) {
    combo_->addItem(swatch(named.color), QString::fromUtf8(named.name), QVariant(quint32(named.color)));
    listed = listed || named.color == color_;
  }
  // Any other colour (a system colour, one picked before) keeps an entry of its own.
  if (!listed) combo_->addItem(swatch(color_), colorCaption(color_), QVariant(quint32(color_)));
  combo_->setCurrentIndex(combo_->findData(QVariant(quint32(color_))));
  filling_ = false;
}

void ColorChoice::SetColor(report::TColor color) {
  if (color == report::clTransparent && noneText_.isEmpty()) color = report::clBlack;
  const bool differs = color != color_;
  color_ = color;
  rebuild();
  if (differs) emit colorChanged(color_);
}

void ColorChoice::picked(int index) {
  if (filling_ || index < 0) return;
  SetColor(report::TColor(combo_->itemData(index).toUInt()));
}

void ColorChoice::pickOther() {
  const QColor initial = color_ == report::clTransparent ? QColor(Qt::white) : qColorOf(color_);
  if (const std::optional<QColor> chosen = dialogs::colorDialog(initial, QString(), this))
    if (chosen->isValid()) SetColor(colorOf(*chosen));
}

// --- Sample -------------------------------------------------------------------------------

namespace {
constexpr int kSampleMargin = 14;
}

ViewSample::ViewSample(std::unique_ptr<report::TfrxView> view, QWidget* parent) : QWidget(parent), view_(std::move(view)) {
  setObjectName(QStringLiteral("Sample"));
  setMinimumSize(120, 80);
}

ViewSample::~ViewSample() = default;

void ViewSample::paintOn(QPainter& painter, const QSize& size) const {
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  view_->SetLeft(0);
  view_->SetTop(0);
  view_->SetWidth(std::max(8, size.width() - 2 * kSampleMargin));
  view_->SetHeight(std::max(8, size.height() - 2 * kSampleMargin));
  gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 96);
  report::PaintContext context;
  context.purpose = report::PaintPurpose::Screen;
  context.offsetX = context.offsetY = kSampleMargin;
  view_->Paint(canvas, context);
}

QImage ViewSample::Render() const {
  QImage image(size().isEmpty() ? sizeHint() : size(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  paintOn(painter, image.size());
  painter.end();
  return image;
}

void ViewSample::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintOn(painter, size());
}

}  // namespace valmoro::designer
