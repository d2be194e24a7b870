#pragma once
// Where a dragged object comes to rest: its edges and centre are drawn to
// the guide lines of its page, to the band edges and to the other objects'
// edges and centres when they come within the snapping distance (screen
// pixels, so the pull feels the same at every zoom), and otherwise to the
// grid. Everything here is geometry in report pixels with the page's origin
// (the top-left corner of its printable area); nothing changes the report.

#include <QList>
#include <QPointF>
#include <QRectF>
#include <vector>

#include "designer/design_options.h"

namespace valmoro::report {
class TfrxComponent;
class TfrxPage;
}  // namespace valmoro::report

namespace valmoro::designer {

// A line a snapped edge or centre came to lie on; the workspace draws it
// across the page while the drag lasts.
struct SnapLine {
  enum class Source { Guide, Band, Object };
  // Vertical: a line at x = position; horizontal: at y = position.
  Qt::Orientation orientation = Qt::Vertical;
  double position = 0;
  Source source = Source::Object;
  bool operator==(const SnapLine&) const = default;
};

struct SnapResult {
  QRectF rect;
  QList<SnapLine> lines;
};

// One snapping: the zoom (for the distance), where the grid starts (a
// view's band top-left, the page origin for bands) and whether to snap at
// all (Alt held switches it off).
struct SnapRequest {
  double zoom = 1;
  QPointF gridOrigin;
  bool enabled = true;
};

// The lines of a page that objects snap to, gathered once per gesture (a
// drag of many objects over a busy page looks them up on every mouse move).
class SnapTargets {
public:
  SnapTargets() = default;
  // `moving` and everything inside them are left out: they move along;
  // `skipped` are left out themselves, but not what they hold (a band whose
  // height is dragged still offers its views).
  SnapTargets(const report::TfrxPage& page, const QList<const report::TfrxComponent*>& moving,
              const DesignOptions& options, const QList<const report::TfrxComponent*>& skipped = {});

  struct Target {
    double position = 0;
    SnapLine::Source source = SnapLine::Source::Object;
  };
  // Sorted by position.
  const std::vector<Target>& Xs() const { return xs_; }
  const std::vector<Target>& Ys() const { return ys_; }
  const DesignOptions& Options() const { return options_; }

  // The target nearest to `value` among `targets` within `distance`; none
  // when there is none.
  static const Target* Nearest(const std::vector<Target>& targets, double value, double distance);

private:
  std::vector<Target> xs_, ys_;
  DesignOptions options_;
};

// The edges a handle (report::edit::Handle) moves.
struct HandleEdges {
  bool left = false, top = false, right = false, bottom = false;
};
HandleEdges EdgesOf(int handle);

// The width of a report page's printable area in pixels, from its paper and
// margins (the page's own Width is set only when its bands are arranged).
double PrintableWidth(const report::TfrxPage& page);

// The grid line nearest to `value`, the grid starting at `origin`.
double SnapToGrid(double value, double origin, double step);

// A moved rectangle: its left, centre and right (top, middle, bottom) are
// tried against the targets and the nearest hit wins; without a hit the
// left (top) edge goes to the grid when grid snapping is on.
SnapResult SnapMove(const SnapTargets& targets, const QRectF& rect, const SnapRequest& request);

// A rectangle resized by a handle (report::edit::Handle): only the edges
// the handle moves snap, each on its own.
SnapResult SnapResize(const SnapTargets& targets, const QRectF& rect, int handle, const SnapRequest& request);

// One point (a line's end, the corner of a new object).
QPointF SnapPoint(const SnapTargets& targets, QPointF point, const SnapRequest& request,
                  QList<SnapLine>* lines = nullptr);

}  // namespace valmoro::designer
