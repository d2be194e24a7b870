#include "pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace valmoro::app::pictures {
namespace {

const QColor kNavy(0x1F, 0x3A, 0x5F);
const QColor kRed(0xD2, 0x3C, 0x32);
const QColor kBlue(0x2E, 0x86, 0xC1);

// A thermometer standing in the rectangle: tube, scale and a red bulb.
void drawThermometer(QPainter& p, const QRectF& r, double level) {
  const double w = r.width();
  const double tubeW = w * 0.36;
  const QRectF tube(r.center().x() - tubeW / 2, r.top(), tubeW, r.height() - w * 0.55);
  const QRectF bulb(r.center().x() - w / 2 * 0.9, r.bottom() - w * 0.9, w * 0.9, w * 0.9);
  p.setPen(QPen(kNavy, qMax(1.0, w * 0.06)));
  p.setBrush(Qt::white);
  p.drawRoundedRect(tube, tubeW / 2, tubeW / 2);
  p.drawEllipse(bulb);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  const double inner = tubeW * 0.45;
  const double top = tube.top() + (tube.height() - tubeW / 2) * (1.0 - level);
  p.drawRoundedRect(QRectF(r.center().x() - inner / 2, top, inner, bulb.center().y() - top), inner / 2, inner / 2);
  p.drawEllipse(bulb.adjusted(w * 0.12, w * 0.12, -w * 0.12, -w * 0.12));
  p.setPen(QPen(kNavy, qMax(1.0, w * 0.03)));
  for (int i = 1; i < 6; ++i) {
    const double y = tube.top() + tube.height() * i / 7.0;
    p.drawLine(QPointF(tube.right(), y), QPointF(tube.right() + tubeW * (i % 2 ? 0.5 : 0.3), y));
  }
}

void drawDrop(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.center().x(), r.top());
  path.cubicTo(r.right(), r.top() + r.height() * 0.5, r.right(), r.bottom(), r.center().x(), r.bottom());
  path.cubicTo(r.left(), r.bottom(), r.left(), r.top() + r.height() * 0.5, r.center().x(), r.top());
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, kBlue.lighter(150));
  g.setColorAt(1, kBlue);
  p.setPen(QPen(kNavy, qMax(1.0, r.width() * 0.05)));
  p.setBrush(g);
  p.drawPath(path);
}

QPixmap blank(int w, int h) {
  QPixmap pm(w, h);
  pm.fill(Qt::transparent);
  return pm;
}

}  // namespace

QPixmap mainPicture(const QSize& size) {
  QPixmap pm(size.isEmpty() ? QSize(764, 544) : size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bg(0, 0, 0, pm.height());
  bg.setColorAt(0, QColor(0xEA, 0xF2, 0xF8));
  bg.setColorAt(1, QColor(0xC9, 0xDD, 0xEC));
  p.fillRect(pm.rect(), bg);
  const double unit = qMin(pm.width(), pm.height()) / 6.0;
  const QPointF c(pm.width() / 2.0, pm.height() / 2.0);
  drawThermometer(p, QRectF(c.x() - unit * 1.1, c.y() - unit * 1.6, unit * 0.8, unit * 3.0), 0.62);
  drawDrop(p, QRectF(c.x() + unit * 0.2, c.y() - unit * 0.4, unit * 0.9, unit * 1.3));
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(qMax(12, int(unit * 0.45)));
  f.setBold(true);
  p.setFont(f);
  p.setPen(kNavy);
  p.drawText(QRectF(0, c.y() + unit * 1.6, pm.width(), unit), Qt::AlignHCenter | Qt::AlignTop,
             QStringLiteral("Valmoro"));
  return pm;
}

QPixmap buttonPicture(Button kind) {
  QPixmap pm = blank(34, 34);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case Button::Add: {
      p.setPen(QPen(kNavy, 1.5));
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(5, 3, 20, 26), 2, 2);
      p.setPen(QPen(kNavy.lighter(160), 1));
      for (int y = 9; y <= 21; y += 4) p.drawLine(9, y, 21, y);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x2E, 0x9E, 0x5B));
      p.drawEllipse(QRectF(17, 17, 15, 15));
      p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(24.5, 20.5), QPointF(24.5, 28.5));
      p.drawLine(QPointF(20.5, 24.5), QPointF(28.5, 24.5));
      break;
    }
    case Button::Edit: {
      p.setPen(QPen(kNavy, 1.5));
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(4, 3, 20, 26), 2, 2);
      p.translate(19, 19);
      p.rotate(45);
      p.setBrush(QColor(0xF0, 0xB4, 0x29));
      p.drawRect(QRectF(-3, -14, 6, 20));
      p.setBrush(kNavy);
      QPolygonF tip;
      tip << QPointF(-3, 6) << QPointF(3, 6) << QPointF(0, 11);
      p.drawPolygon(tip);
      break;
    }
    case Button::Filter: {
      QPolygonF funnel;
      funnel << QPointF(4, 6) << QPointF(30, 6) << QPointF(20, 18) << QPointF(20, 29) << QPointF(14, 25)
             << QPointF(14, 18);
      p.setPen(QPen(kNavy, 1.5));
      p.setBrush(kBlue.lighter(130));
      p.drawPolygon(funnel);
      break;
    }
  }
  return pm;
}

QPixmap loginPicture() {
  QPixmap pm = blank(128, 128);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shield;
  shield.moveTo(64, 8);
  shield.lineTo(112, 24);
  shield.cubicTo(112, 76, 92, 104, 64, 120);
  shield.cubicTo(36, 104, 16, 76, 16, 24);
  shield.closeSubpath();
  QLinearGradient g(16, 8, 112, 120);
  g.setColorAt(0, kBlue.lighter(140));
  g.setColorAt(1, kNavy);
  p.setPen(QPen(kNavy, 3));
  p.setBrush(g);
  p.drawPath(shield);
  p.setPen(QPen(QColor(0xF0, 0xB4, 0x29), 7, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(64, 48), 14, 14);
  p.drawLine(QPointF(64, 62), QPointF(64, 96));
  p.drawLine(QPointF(64, 84), QPointF(74, 84));
  p.drawLine(QPointF(64, 94), QPointF(72, 94));
  return pm;
}

QPixmap entryPicture() {
  QPixmap pm = blank(128, 128);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kNavy, 2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(40, 14, 72, 100), 6, 6);
  p.setPen(QPen(kNavy.lighter(170), 2));
  for (int y = 34; y <= 94; y += 12) p.drawLine(52, y, 100, y);
  drawThermometer(p, QRectF(14, 10, 30, 108), 0.55);
  return pm;
}

}  // namespace valmoro::app::pictures
