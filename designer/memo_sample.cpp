#include "designer/memo_sample.h"

#include <QPainter>
#include <algorithm>

#include "platform/painter_canvas.h"
#include "report/model/memo_view.h"
#include "report/model/paint_context.h"
#include "report/model/serializer.h"

namespace valmoro::designer {

namespace {
constexpr int kMargin = 6;
}

MemoSample::MemoSample(QWidget* parent) : QWidget(parent), view_(std::make_unique<report::TfrxMemoView>()) {
  setObjectName(QStringLiteral("Sample"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

MemoSample::~MemoSample() = default;

void MemoSample::SetView(const report::TfrxCustomMemoView& view) {
  view_ = std::make_unique<report::TfrxMemoView>();
  // Through the document format, so that every drawn property comes along;
  // references (data set, flow target) mean nothing to the copy.
  report::TfrxXMLSerializer serializer;
  serializer.XMLToObj(serializer.ObjToXML(view), *view_);
  view_->SetParentFont(false);
  view_->Font()->Assign(*view.Font());
  view_->SetText(view.Text());
  view_->SetBounds(0, 0, std::max(view.Width(), 8.0), std::max(view.Height(), 8.0));
  update();
}

double MemoSample::Scale() const {
  const double w = std::max(1, width() - 2 * kMargin), h = std::max(1, height() - 2 * kMargin);
  return std::min({1.0, w / std::max(1.0, view_->Width()), h / std::max(1.0, view_->Height())});
}

void MemoSample::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
  const double scale = Scale();
  const double w = view_->Width() * scale, h = view_->Height() * scale;
  const double x = std::max(double(kMargin), (width() - w) / 2), y = std::max(double(kMargin), (height() - h) / 2);
  painter.fillRect(QRectF(x, y, w, h), Qt::white);
  gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 96);
  report::PaintContext context;
  context.purpose = report::PaintPurpose::Design;
  context.scaleX = context.scaleY = scale;
  context.offsetX = x;
  context.offsetY = y;
  view_->Paint(canvas, context);
}

}  // namespace valmoro::designer
