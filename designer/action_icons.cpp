#include "designer/action_icons.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <functional>

namespace valmoro::designer {

namespace {

const QColor kInk(60, 60, 70);
const QColor kBox(70, 120, 190);
const QColor kGuide(200, 60, 50);

// Drawing on a 16 × 16 grid, scaled to the pixmap.
using Drawing = std::function<void(QPainter&)>;

QPixmap draw(const Drawing& drawing, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  drawing(painter);
  return pixmap;
}

void box(QPainter& p, double x, double y, double w, double h) {
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(kBox);
  p.drawRect(QRectF(x, y, w, h));
}

void guide(QPainter& p, double x1, double y1, double x2, double y2) {
  p.setPen(QPen(kGuide, 1.2));
  p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

QHash<QString, Drawing> drawings() {
  QHash<QString, Drawing> d;
  d["actAlignLefts"] = [](QPainter& p) { guide(p, 2, 1, 2, 15); box(p, 3, 3, 10, 4); box(p, 3, 9, 6, 4); };
  d["actAlignRights"] = [](QPainter& p) { guide(p, 14, 1, 14, 15); box(p, 3, 3, 10, 4); box(p, 7, 9, 6, 4); };
  d["actAlignHCentres"] = [](QPainter& p) { box(p, 2, 3, 12, 4); box(p, 5, 9, 6, 4); guide(p, 8, 1, 8, 15); };
  d["actAlignTops"] = [](QPainter& p) { guide(p, 1, 2, 15, 2); box(p, 3, 3, 4, 10); box(p, 9, 3, 4, 6); };
  d["actAlignBottoms"] = [](QPainter& p) { guide(p, 1, 14, 15, 14); box(p, 3, 3, 4, 10); box(p, 9, 7, 4, 6); };
  d["actAlignVCentres"] = [](QPainter& p) { box(p, 3, 2, 4, 12); box(p, 9, 5, 4, 6); guide(p, 1, 8, 15, 8); };
  d["actCentreInBandH"] = [](QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(1, 2), QPointF(1, 14));
    p.drawLine(QPointF(15, 2), QPointF(15, 14));
    box(p, 5, 5, 6, 6);
  };
  d["actCentreInBandV"] = [](QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(2, 1), QPointF(14, 1));
    p.drawLine(QPointF(2, 15), QPointF(14, 15));
    box(p, 5, 5, 6, 6);
  };
  d["actSameWidth"] = [](QPainter& p) {
    box(p, 3, 2, 10, 4);
    box(p, 3, 10, 10, 4);
    guide(p, 3, 8, 13, 8);
  };
  d["actSameHeight"] = [](QPainter& p) {
    box(p, 2, 3, 4, 10);
    box(p, 10, 3, 4, 10);
    guide(p, 8, 3, 8, 13);
  };
  d["actSpaceH"] = [](QPainter& p) { box(p, 1, 5, 3, 6); box(p, 6.5, 5, 3, 6); box(p, 12, 5, 3, 6); };
  d["actSpaceV"] = [](QPainter& p) { box(p, 5, 1, 6, 3); box(p, 5, 6.5, 6, 3); box(p, 5, 12, 6, 3); };
  d["actToFront"] = [](QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(2, 2, 8, 8));
    box(p, 6, 6, 8, 8);
  };
  d["actToBack"] = [](QPainter& p) {
    box(p, 2, 2, 8, 8);
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(6, 6, 8, 8));
  };
  d["actLock"] = [](QPainter& p) {
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 7.5));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 7.5));
    box(p, 3, 7.5, 10, 7);
  };
  return d;
}

// Actions the style has a picture for.
QIcon standardIcon(const QString& name) {
  static const QHash<QString, QStyle::StandardPixmap> pixmaps = {
      {"actNew", QStyle::SP_FileIcon},          {"actOpen", QStyle::SP_DialogOpenButton},
      {"actSave", QStyle::SP_DialogSaveButton}, {"actUndo", QStyle::SP_ArrowBack},
      {"actRedo", QStyle::SP_ArrowForward},     {"actDelete", QStyle::SP_TrashIcon},
      {"actPreview", QStyle::SP_FileDialogContentsView},
  };
  const auto it = pixmaps.constFind(name);
  if (it == pixmaps.constEnd() || QApplication::style() == nullptr) return QIcon();
  return QApplication::style()->standardIcon(*it);
}

}  // namespace

QIcon ActionIcon(const QString& actionName) {
  static QHash<QString, QIcon> cache;
  if (const auto it = cache.constFind(actionName); it != cache.constEnd()) return *it;
  static const QHash<QString, Drawing> all = drawings();
  QIcon icon;
  if (const auto it = all.constFind(actionName); it != all.constEnd()) {
    for (int size : {16, 24}) icon.addPixmap(draw(*it, size));
  } else {
    icon = standardIcon(actionName);
  }
  cache.insert(actionName, icon);
  return icon;
}

}  // namespace valmoro::designer
