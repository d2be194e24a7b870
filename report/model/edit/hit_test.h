#pragma once
// What lies under a point of a design page: a selection handle, a view, a
// band or the page itself. Points are in report pixels with the page's
// origin (the top-left corner of its printable area), as the objects'
// absolute positions are.

#include <QList>
#include <QPointF>
#include <QRectF>

namespace valmoro::report {
class TfrxComponent;
class TfrxPage;
}  // namespace valmoro::report

namespace valmoro::report::edit {

enum class HitPart { None, Page, Band, View, Handle };

// The eight handles of a selected object, clockwise from the top-left
// corner: 0 top-left, 1 top, 2 top-right, 3 right, 4 bottom-right, 5 bottom,
// 6 bottom-left, 7 left.
enum Handle { hTopLeft, hTop, hTopRight, hRight, hBottomRight, hBottom, hBottomLeft, hLeft };

struct Hit {
  HitPart part = HitPart::None;
  TfrxComponent* object = nullptr;
  int handle = -1;  // a Handle when part is Handle
};

// The centre of a handle of a rectangle.
QPointF handleCentre(const QRectF& bounds, int handle);

// Handles of the selected objects come first (a point within `grip` pixels
// of a handle's centre), then views from the topmost down (the last drawn
// is on top; views inside views before their container), then bands, then
// the page. Objects that are not visible in the designer's sense (hidden)
// are still found: the designer shows them.
Hit HitTest(const TfrxPage& page, QPointF point, const QList<const TfrxComponent*>& selection = {},
            double grip = 3);

// The objects of the page whose bounds meet a rubber band, views before
// bands; with `inside`, only those wholly inside it.
QList<TfrxComponent*> ObjectsIn(const TfrxPage& page, const QRectF& band, bool inside = false);

}  // namespace valmoro::report::edit
