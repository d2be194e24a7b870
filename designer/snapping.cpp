#include "designer/snapping.h"

#include <QSet>
#include <algorithm>
#include <cmath>

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/edit/hit_test.h"
#include "report/model/page.h"
#include "report/model/report_page.h"
#include "report/model/view.h"
#include "platform/locale.h"

namespace valmoro::designer {

namespace {

using Target = SnapTargets::Target;

// Lines closer than this count as the same line (a snapped edge lies on
// every target at its position, not only on the one that pulled it).
constexpr double kSameLine = 0.001;

void add(std::vector<Target>& into, double position, SnapLine::Source source) { into.push_back({position, source}); }

void addGuides(std::vector<Target>& into, const QStringList& guides) {
  for (const QString& text : guides)
    if (const std::optional<double> value = locale::parseFloat(text)) add(into, *value, SnapLine::Source::Guide);
}

SnapLine lineOf(const Target& target, Qt::Orientation orientation) {
  return {orientation, target.position, target.source};
}

double snapDistance(const SnapTargets& targets, const SnapRequest& request) {
  return targets.Options().snapDistance / std::max(request.zoom, 1e-6);
}

// The features of one axis (edges, centre) moved together: the shift that
// puts the nearest of them on a target, and the lines they then lie on.
struct AxisSnap {
  double shift = 0;
  bool hit = false;
};

AxisSnap snapFeatures(const std::vector<Target>& targets, std::initializer_list<double> features, double distance) {
  AxisSnap best;
  double bestDistance = distance;
  for (double feature : features) {
    const Target* t = SnapTargets::Nearest(targets, feature, bestDistance);
    if (t == nullptr) continue;
    const double d = std::abs(t->position - feature);
    if (!best.hit || d < bestDistance) {
      best = {t->position - feature, true};
      bestDistance = d;
    }
  }
  return best;
}

// Every target some feature lies on once snapped.
void collectLines(const std::vector<Target>& targets, std::initializer_list<double> features, Qt::Orientation o,
                  QList<SnapLine>& lines) {
  for (double feature : features) {
    auto it = std::lower_bound(targets.begin(), targets.end(), feature - kSameLine,
                               [](const Target& t, double v) { return t.position < v; });
    for (; it != targets.end() && it->position <= feature + kSameLine; ++it) {
      const SnapLine line = lineOf(*it, o);
      if (!lines.contains(line)) lines.append(line);
    }
  }
}

// One edge on its own: a target within reach, else the grid.
double snapEdge(const SnapTargets& targets, const std::vector<Target>& axis, double value, double gridOrigin,
                const SnapRequest& request, bool& onTarget) {
  onTarget = false;
  if (const Target* t = SnapTargets::Nearest(axis, value, snapDistance(targets, request))) {
    onTarget = true;
    return t->position;
  }
  if (targets.Options().snapToGrid) return SnapToGrid(value, gridOrigin, targets.Options().gridStep());
  return value;
}

}  // namespace

double PrintableWidth(const report::TfrxPage& page) {
  if (const auto* rp = qobject_cast<const report::TfrxReportPage*>(&page))
    return (rp->PaperWidth() - rp->LeftMargin() - rp->RightMargin()) * report::fr01cm;
  return page.Width();
}

HandleEdges EdgesOf(int handle) {
  using namespace report::edit;
  HandleEdges e;
  e.left = handle == hTopLeft || handle == hLeft || handle == hBottomLeft;
  e.right = handle == hTopRight || handle == hRight || handle == hBottomRight;
  e.top = handle == hTopLeft || handle == hTop || handle == hTopRight;
  e.bottom = handle == hBottomLeft || handle == hBottom || handle == hBottomRight;
  return e;
}

SnapTargets::SnapTargets(const report::TfrxPage& page, const QList<const report::TfrxComponent*>& moving,
                         const DesignOptions& options, const QList<const report::TfrxComponent*>& skipped)
    : options_(options) {
  QSet<const report::TfrxComponent*> excluded(moving.begin(), moving.end());
  auto isExcluded = [&](const report::TfrxComponent* object) {
    for (const report::TfrxComponent* p = object; p && p != &page; p = p->Parent())
      if (excluded.contains(p)) return true;
    return false;
  };
  if (options.snapToGuides) {
    if (const auto* reportPage = qobject_cast<const report::TfrxReportPage*>(&page)) {
      addGuides(ys_, reportPage->HGuides());
      addGuides(xs_, reportPage->VGuides());
      // The printable area's sides are where bands start and end.
      add(xs_, 0, SnapLine::Source::Band);
      add(xs_, PrintableWidth(*reportPage), SnapLine::Source::Band);
    }
  }
  for (const report::TfrxComponent* object : page.AllObjects()) {
    if (isExcluded(object) || skipped.contains(object)) continue;
    const QRectF r = object->AbsoluteBounds().normalized();
    if (qobject_cast<const report::TfrxBand*>(object)) {
      if (!options.snapToGuides) continue;
      add(xs_, r.left(), SnapLine::Source::Band);
      add(xs_, r.right(), SnapLine::Source::Band);
      add(ys_, r.top(), SnapLine::Source::Band);
      add(ys_, r.bottom(), SnapLine::Source::Band);
    } else if (qobject_cast<const report::TfrxView*>(object)) {
      if (!options.snapToObjects) continue;
      add(xs_, r.left(), SnapLine::Source::Object);
      add(xs_, r.center().x(), SnapLine::Source::Object);
      add(xs_, r.right(), SnapLine::Source::Object);
      add(ys_, r.top(), SnapLine::Source::Object);
      add(ys_, r.center().y(), SnapLine::Source::Object);
      add(ys_, r.bottom(), SnapLine::Source::Object);
    }
  }
  // A guide wins over a band edge, a band edge over an object, where they
  // coincide: the stable sort keeps that order within one position.
  auto rank = [](const Target& a, const Target& b) {
    if (a.position != b.position) return a.position < b.position;
    return int(a.source) < int(b.source);
  };
  std::sort(xs_.begin(), xs_.end(), rank);
  std::sort(ys_.begin(), ys_.end(), rank);
}

const SnapTargets::Target* SnapTargets::Nearest(const std::vector<Target>& targets, double value, double distance) {
  auto it = std::lower_bound(targets.begin(), targets.end(), value,
                             [](const Target& t, double v) { return t.position < v; });
  const Target* best = nullptr;
  double bestDistance = distance;
  // The first at or above the value, and the last target of the position
  // just below it (its first, which ranks highest).
  if (it != targets.end() && std::abs(it->position - value) <= bestDistance) {
    best = &*it;
    bestDistance = std::abs(it->position - value);
  }
  if (it != targets.begin()) {
    auto below = std::prev(it);
    const double position = below->position;
    while (below != targets.begin() && std::prev(below)->position == position) --below;
    if (std::abs(position - value) < bestDistance || (best == nullptr && std::abs(position - value) <= distance))
      best = &*below;
  }
  return best;
}

double SnapToGrid(double value, double origin, double step) {
  if (step <= 0) return value;
  return origin + std::round((value - origin) / step) * step;
}

SnapResult SnapMove(const SnapTargets& targets, const QRectF& rect, const SnapRequest& request) {
  SnapResult result{rect, {}};
  if (!request.enabled) return result;
  const double distance = snapDistance(targets, request);
  const DesignOptions& options = targets.Options();
  const AxisSnap x = snapFeatures(targets.Xs(), {rect.left(), rect.center().x(), rect.right()}, distance);
  const AxisSnap y = snapFeatures(targets.Ys(), {rect.top(), rect.center().y(), rect.bottom()}, distance);
  QRectF r = rect;
  if (x.hit)
    r.moveLeft(rect.left() + x.shift);
  else if (options.snapToGrid)
    r.moveLeft(SnapToGrid(rect.left(), request.gridOrigin.x(), options.gridStep()));
  if (y.hit)
    r.moveTop(rect.top() + y.shift);
  else if (options.snapToGrid)
    r.moveTop(SnapToGrid(rect.top(), request.gridOrigin.y(), options.gridStep()));
  result.rect = r;
  if (x.hit) collectLines(targets.Xs(), {r.left(), r.center().x(), r.right()}, Qt::Vertical, result.lines);
  if (y.hit) collectLines(targets.Ys(), {r.top(), r.center().y(), r.bottom()}, Qt::Horizontal, result.lines);
  return result;
}

SnapResult SnapResize(const SnapTargets& targets, const QRectF& rect, int handle, const SnapRequest& request) {
  SnapResult result{rect, {}};
  if (!request.enabled) return result;
  const HandleEdges edges = EdgesOf(handle);
  QRectF r = rect;
  bool onTarget = false;
  if (edges.left) {
    r.setLeft(snapEdge(targets, targets.Xs(), rect.left(), request.gridOrigin.x(), request, onTarget));
    if (onTarget) collectLines(targets.Xs(), {r.left()}, Qt::Vertical, result.lines);
  }
  if (edges.right) {
    r.setRight(snapEdge(targets, targets.Xs(), rect.right(), request.gridOrigin.x(), request, onTarget));
    if (onTarget) collectLines(targets.Xs(), {r.right()}, Qt::Vertical, result.lines);
  }
  if (edges.top) {
    r.setTop(snapEdge(targets, targets.Ys(), rect.top(), request.gridOrigin.y(), request, onTarget));
    if (onTarget) collectLines(targets.Ys(), {r.top()}, Qt::Horizontal, result.lines);
  }
  if (edges.bottom) {
    r.setBottom(snapEdge(targets, targets.Ys(), rect.bottom(), request.gridOrigin.y(), request, onTarget));
    if (onTarget) collectLines(targets.Ys(), {r.bottom()}, Qt::Horizontal, result.lines);
  }
  result.rect = r;
  return result;
}

QPointF SnapPoint(const SnapTargets& targets, QPointF point, const SnapRequest& request, QList<SnapLine>* lines) {
  if (!request.enabled) return point;
  bool onTarget = false;
  QPointF p;
  p.setX(snapEdge(targets, targets.Xs(), point.x(), request.gridOrigin.x(), request, onTarget));
  if (onTarget && lines) collectLines(targets.Xs(), {p.x()}, Qt::Vertical, *lines);
  p.setY(snapEdge(targets, targets.Ys(), point.y(), request.gridOrigin.y(), request, onTarget));
  if (onTarget && lines) collectLines(targets.Ys(), {p.y()}, Qt::Horizontal, *lines);
  return p;
}

}  // namespace valmoro::designer
