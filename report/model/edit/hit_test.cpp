#include "report/model/edit/hit_test.h"

#include <cmath>

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/page.h"
#include "report/model/view.h"

namespace valmoro::report::edit {

namespace {

// The page's objects in drawing order: each one before its children.
QList<TfrxComponent*> drawingOrder(const TfrxPage& page) {
  QList<TfrxComponent*> order;
  QList<TfrxComponent*> stack;
  for (qsizetype i = page.Objects().size() - 1; i >= 0; --i) stack.append(page.Objects().at(i));
  while (!stack.isEmpty()) {
    TfrxComponent* object = stack.takeLast();
    order.append(object);
    for (qsizetype i = object->Objects().size() - 1; i >= 0; --i) stack.append(object->Objects().at(i));
  }
  return order;
}

// Lines have no area: they are found within the grip of their stroke.
QRectF reach(const TfrxComponent& object, double grip) {
  QRectF r = object.AbsoluteBounds().normalized();
  if (r.width() < 2 * grip) r.adjust(-grip, 0, grip, 0);
  if (r.height() < 2 * grip) r.adjust(0, -grip, 0, grip);
  return r;
}

}  // namespace

QPointF handleCentre(const QRectF& bounds, int handle) {
  const double l = bounds.left(), r = bounds.right(), t = bounds.top(), b = bounds.bottom();
  const double cx = (l + r) / 2, cy = (t + b) / 2;
  switch (handle) {
    case hTopLeft: return {l, t};
    case hTop: return {cx, t};
    case hTopRight: return {r, t};
    case hRight: return {r, cy};
    case hBottomRight: return {r, b};
    case hBottom: return {cx, b};
    case hBottomLeft: return {l, b};
    default: return {l, cy};
  }
}

Hit HitTest(const TfrxPage& page, QPointF point, const QList<const TfrxComponent*>& selection, double grip) {
  for (const TfrxComponent* selected : selection) {
    if (selected == nullptr || selected->Page() != &page) continue;
    const QRectF bounds = selected->AbsoluteBounds();
    for (int h = hTopLeft; h <= hLeft; ++h) {
      const QPointF c = handleCentre(bounds, h);
      if (std::abs(point.x() - c.x()) <= grip && std::abs(point.y() - c.y()) <= grip)
        return {HitPart::Handle, const_cast<TfrxComponent*>(selected), h};
    }
  }
  const QList<TfrxComponent*> order = drawingOrder(page);
  for (qsizetype i = order.size() - 1; i >= 0; --i)
    if (qobject_cast<TfrxView*>(order.at(i)) && reach(*order.at(i), grip).contains(point))
      return {HitPart::View, order.at(i), -1};
  for (qsizetype i = order.size() - 1; i >= 0; --i)
    if (qobject_cast<TfrxBand*>(order.at(i)) && order.at(i)->AbsoluteBounds().contains(point))
      return {HitPart::Band, order.at(i), -1};
  return {HitPart::Page, const_cast<TfrxPage*>(&page), -1};
}

QList<TfrxComponent*> ObjectsIn(const TfrxPage& page, const QRectF& band, bool inside) {
  const QRectF area = band.normalized();
  QList<TfrxComponent*> views, bands;
  for (TfrxComponent* object : drawingOrder(page)) {
    const QRectF r = object->AbsoluteBounds().normalized();
    const bool taken = inside ? area.contains(r) : area.intersects(r) || (r.isEmpty() && area.contains(r.center()));
    if (!taken) continue;
    if (qobject_cast<TfrxView*>(object))
      views.append(object);
    else if (qobject_cast<TfrxBand*>(object))
      bands.append(object);
  }
  return views + bands;
}

}  // namespace valmoro::report::edit
