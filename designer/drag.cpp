#include "designer/drag.h"

#include <QSet>
#include <algorithm>
#include <cmath>

#include "designer/designer_document.h"
#include "platform/locale.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/component.h"
#include "report/model/edit/commands.h"
#include "report/model/edit/hit_test.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

namespace valmoro::designer {

using report::TfrxBand;
using report::TfrxComponent;
using report::TfrxPage;
using namespace report::edit;

namespace {

// A press becomes a drag once the pointer has gone this far (screen pixels).
constexpr double kDragThreshold = 2;
// Grip of handles, edges and guides in screen pixels.
constexpr double kGrip = 3;

bool isLine(const TfrxComponent& object) { return qobject_cast<const report::TfrxCustomLineView*>(&object); }

QPointF originOf(const TfrxComponent* object) {
  if (object == nullptr || qobject_cast<const TfrxPage*>(object)) return {};
  return {object->AbsLeft(), object->AbsTop()};
}

QRectF relativeBounds(const TfrxComponent& object) {
  return {object.Left(), object.Top(), object.Width(), object.Height()};
}

QList<TfrxBand*> bandsOf(const TfrxPage& page) {
  QList<TfrxBand*> bands;
  for (TfrxComponent* child : page.Objects())
    if (auto* band = qobject_cast<TfrxBand*>(child)) bands.append(band);
  return bands;
}

// A line's ends move freely: a diagonal may point any way, so its bounds
// may have a negative width or height (which moves of other objects
// refuse). Consecutive drags of the same end merge as moves do.
class LineEndCommand : public ChangeCommand {
public:
  LineEndCommand(report::TfrxReport& report, const QString& name, const QRectF& bounds)
      : ChangeCommand(report, QStringLiteral("Zmiana rozmiaru"), {name}, [&](TfrxComponent& object) {
          object.SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
        }) {}
  int id() const override { return 0x4C45; }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = dynamic_cast<const LineEndCommand*>(other);
    return !IsSealed() && next != nullptr && absorb(*next);
  }
};

QString guideProperty(Qt::Orientation orientation) {
  return orientation == Qt::Horizontal ? QStringLiteral("HGuides.Text") : QStringLiteral("VGuides.Text");
}

bool setGuides(DesignerDocument& document, report::TfrxReportPage& page, Qt::Orientation orientation,
               const QStringList& guides) {
  document.EndGesture();
  const QString error = document.Run([&] {
    return new SetPropertyCommand(document.Report(), {page.Name()}, guideProperty(orientation),
                                  guides.join(QStringLiteral("\r\n")));
  });
  // Each change of the guides is a step of its own.
  document.EndGesture();
  return error.isEmpty();
}

QString guideText(double position) {
  return locale::formatFloatGeneral(std::round(position * 100000) / 100000);
}

}  // namespace

// --- Geometry -----------------------------------------------------------------------

QList<int> HandlesOf(const TfrxComponent& object) {
  if (isLine(object)) return {hTopLeft, hBottomRight};
  if (qobject_cast<const TfrxBand*>(&object)) return {hBottom};
  return {hTopLeft, hTop, hTopRight, hRight, hBottomRight, hBottom, hBottomLeft, hLeft};
}

QPointF HandlePosition(const TfrxComponent& object, int handle) {
  // Not normalised: a line's start is its (Left, Top), its end the opposite corner.
  const QRectF r(object.AbsLeft(), object.AbsTop(), object.Width(), object.Height());
  return handleCentre(r, handle);
}

QRectF CaptionRect(const TfrxBand& band) {
  // The gap above the band, as far as the band above it or the printable
  // area's top, and no taller than the usual gap.
  double top = std::max(0.0, band.AbsTop() - kBandCaptionHeight);
  if (const TfrxComponent* parent = band.Parent())
    for (const TfrxComponent* other : parent->Objects()) {
      const auto* above = qobject_cast<const TfrxBand*>(other);
      if (above == nullptr || above == &band || above->Vertical()) continue;
      const double bottom = above->AbsTop() + above->Height();
      if (above->AbsTop() < band.AbsTop() && bottom <= band.AbsTop() + report::kCoordinateTolerance)
        top = std::max(top, bottom);
    }
  top = std::min(top, band.AbsTop());
  return {band.AbsLeft(), top, band.Width(), band.AbsTop() - top};
}

TfrxBand* BandAt(const TfrxPage& page, QPointF point, const TfrxComponent* except) {
  const QList<TfrxBand*> bands = bandsOf(page);
  for (qsizetype i = bands.size() - 1; i >= 0; --i) {
    TfrxBand* band = bands.at(i);
    if (band == except) continue;
    const QRectF r = band->AbsoluteBounds();
    if (point.x() >= r.left() && point.x() < r.right() && point.y() >= r.top() && point.y() < r.bottom()) return band;
  }
  return nullptr;
}

DesignHit HitAt(const TfrxPage& page, QPointF point, const QList<TfrxComponent*>& selection, double grip) {
  for (TfrxComponent* selected : selection) {
    if (selected == nullptr || selected->Page() != &page) continue;
    for (int h : HandlesOf(*selected)) {
      const QPointF c = HandlePosition(*selected, h);
      if (std::abs(point.x() - c.x()) <= grip && std::abs(point.y() - c.y()) <= grip)
        return {DesignHit::Kind::Handle, selected, h};
    }
  }
  const QList<TfrxBand*> bands = bandsOf(page);
  auto bandEdge = [&](double below, double above) -> TfrxBand* {
    for (TfrxBand* band : bands) {
      if (band->Vertical()) continue;
      const QRectF r = band->AbsoluteBounds();
      if (point.x() < r.left() || point.x() > r.right()) continue;
      if (point.y() >= r.bottom() - above && point.y() <= r.bottom() + below) return band;
    }
    return nullptr;
  };
  // Just below a band's bottom edge lies nothing else that could be meant.
  if (TfrxBand* band = bandEdge(grip, 0)) return {DesignHit::Kind::BandEdge, band, -1};
  const Hit hit = HitTest(page, point, {}, grip);
  if (hit.part == HitPart::View) return {DesignHit::Kind::View, hit.object, -1};
  if (TfrxBand* band = bandEdge(0, grip)) return {DesignHit::Kind::BandEdge, band, -1};
  for (TfrxBand* band : bands)
    if (CaptionRect(*band).contains(point)) return {DesignHit::Kind::Caption, band, -1};
  if (hit.part == HitPart::Band) return {DesignHit::Kind::Band, hit.object, -1};
  return {DesignHit::Kind::Page, const_cast<TfrxPage*>(&page), -1};
}

// --- Guides -------------------------------------------------------------------------

QList<double> GuidePositions(const TfrxPage& page, Qt::Orientation orientation) {
  QList<double> positions;
  const auto* reportPage = qobject_cast<const report::TfrxReportPage*>(&page);
  if (reportPage == nullptr) return positions;
  for (const QString& text : orientation == Qt::Horizontal ? reportPage->HGuides() : reportPage->VGuides())
    if (const std::optional<double> value = locale::parseFloat(text)) positions.append(*value);
  return positions;
}

bool AddGuide(DesignerDocument& document, TfrxPage& page, Qt::Orientation orientation, double position) {
  auto* reportPage = qobject_cast<report::TfrxReportPage*>(&page);
  if (reportPage == nullptr) return false;
  QStringList guides = orientation == Qt::Horizontal ? reportPage->HGuides() : reportPage->VGuides();
  guides.append(guideText(position));
  return setGuides(document, *reportPage, orientation, guides);
}

bool MoveGuide(DesignerDocument& document, TfrxPage& page, Qt::Orientation orientation, int index,
               double position) {
  auto* reportPage = qobject_cast<report::TfrxReportPage*>(&page);
  if (reportPage == nullptr) return false;
  QStringList guides = orientation == Qt::Horizontal ? reportPage->HGuides() : reportPage->VGuides();
  if (index < 0 || index >= guides.size()) return false;
  guides[index] = guideText(position);
  return setGuides(document, *reportPage, orientation, guides);
}

bool RemoveGuide(DesignerDocument& document, TfrxPage& page, Qt::Orientation orientation, int index) {
  auto* reportPage = qobject_cast<report::TfrxReportPage*>(&page);
  if (reportPage == nullptr) return false;
  QStringList guides = orientation == Qt::Horizontal ? reportPage->HGuides() : reportPage->VGuides();
  if (index < 0 || index >= guides.size()) return false;
  guides.removeAt(index);
  return setGuides(document, *reportPage, orientation, guides);
}

int GuideAt(const TfrxPage& page, Qt::Orientation orientation, QPointF point, double grip) {
  const QList<double> positions = GuidePositions(page, orientation);
  const double at = orientation == Qt::Horizontal ? point.y() : point.x();
  int best = -1;
  double bestDistance = grip;
  for (int i = 0; i < positions.size(); ++i) {
    const double d = std::abs(positions.at(i) - at);
    if (d <= bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

// --- New objects --------------------------------------------------------------------

QSizeF DefaultInsertSize(const QString& className) {
  const QMetaObject* cls = report::findClass(className);
  if (cls && cls->inherits(&report::TfrxCustomMemoView::staticMetaObject))
    return {3 * report::fr1cm, 0.5 * report::fr1cm};
  if (cls && cls->inherits(&report::TfrxCustomLineView::staticMetaObject)) return {3 * report::fr1cm, 0};
  return {2 * report::fr1cm, 2 * report::fr1cm};
}

void applyNewObjectDefaults(const DesignerDocument& document, TfrxComponent& object, int flag) {
  object.DesignCreate(flag);
  const DesignerDefaults& defaults = document.Defaults();
  if (qobject_cast<report::TfrxCustomMemoView*>(&object) && !defaults.memoParentFont) {
    report::ReportFont font;
    font.Assign(*object.Font());
    font.SetName(defaults.fontName);
    font.SetHeight(-defaults.fontHeightPixels);
    object.SetFont(&font);
  }
}

// --- The gesture --------------------------------------------------------------------

DragController::DragController(DesignerDocument& document, QObject* parent) : QObject(parent), document_(document) {}

TfrxPage* DragController::page() const { return document_.CurrentPage(); }

double DragController::Grip() const { return kGrip / std::max(zoom_, 1e-6); }

DesignHit DragController::HitAt(QPointF point) const {
  if (page() == nullptr) return {};
  return designer::HitAt(*page(), point, document_.Selection(), Grip());
}

Qt::CursorShape DragController::CursorAt(QPointF point) const {
  if (InsertToolActive()) return Qt::CrossCursor;
  const DesignHit hit = HitAt(point);
  switch (hit.kind) {
    case DesignHit::Kind::Handle:
      if (isLine(*hit.object)) return Qt::CrossCursor;
      switch (hit.handle) {
        case hTopLeft:
        case hBottomRight: return Qt::SizeFDiagCursor;
        case hTopRight:
        case hBottomLeft: return Qt::SizeBDiagCursor;
        case hTop:
        case hBottom: return Qt::SizeVerCursor;
        default: return Qt::SizeHorCursor;
      }
    case DesignHit::Kind::BandEdge: return Qt::SplitVCursor;
    case DesignHit::Kind::View:
    case DesignHit::Kind::Caption:
      return document_.IsSelected(hit.object) ? Qt::SizeAllCursor : Qt::ArrowCursor;
    default: return Qt::ArrowCursor;
  }
}

SnapRequest DragController::request(bool snap, QPointF gridOrigin) const { return {zoom_, gridOrigin, snap}; }

QPointF DragController::gridOriginOf(const TfrxComponent& object) const { return originOf(object.Parent()); }

bool DragController::run(const std::function<EditCommand*()>& make) {
  lastError_ = document_.Run(make);
  return lastError_.isEmpty();
}

QRectF DragController::Frame() const {
  if (mode_ == Mode::RubberBand) return QRectF(pressPoint_, lastPoint_).normalized();
  if (mode_ == Mode::Insert && page()) {
    const SnapRequest r = request(!(pressModifiers_ & Qt::AltModifier), originOf(BandAt(*page(), pressPoint_)));
    const QRectF frame(SnapPoint(targets_, pressPoint_, r), SnapPoint(targets_, lastPoint_, r));
    if ((lastPoint_ - pressPoint_).manhattanLength() * zoom_ >= kDragThreshold) return frame.normalized();
  }
  return {};
}

void DragController::Press(QPointF point, Qt::KeyboardModifiers modifiers) {
  Cancel();
  TfrxPage* p = page();
  if (p == nullptr) return;
  // Whatever ran before (a run of nudges) is a step of its own.
  document_.EndGesture();
  nudged_.clear();
  lastError_.clear();
  pressPoint_ = lastPoint_ = point;
  pressModifiers_ = modifiers;
  undoIndexAtPress_ = document_.UndoStack().index();
  if (InsertToolActive()) {
    targets_ = SnapTargets(*p, {}, document_.Options());
    mode_ = Mode::Insert;
    return;
  }
  pressHit_ = HitAt(point);
  selectedOnPress_ = pressHit_.object && document_.IsSelected(pressHit_.object);
  const bool shift = modifiers & Qt::ShiftModifier;
  switch (pressHit_.kind) {
    case DesignHit::Kind::View:
    case DesignHit::Kind::Caption:
      if (shift) {
        document_.ToggleSelected(pressHit_.object);
        // Taken out of the selection: nothing to drag.
        if (selectedOnPress_) return;
      } else if (!selectedOnPress_) {
        document_.Select(pressHit_.object);
      }
      mode_ = Mode::Pending;
      break;
    case DesignHit::Kind::None: break;
    default: mode_ = Mode::Pending; break;
  }
}

void DragController::MoveTo(QPointF point, Qt::KeyboardModifiers modifiers) {
  if (mode_ == Mode::None || page() == nullptr) return;
  lastPoint_ = point;
  const bool snap = !(modifiers & Qt::AltModifier);
  if (mode_ == Mode::Pending) {
    const QPointF d = point - pressPoint_;
    if (std::max(std::abs(d.x()), std::abs(d.y())) * zoom_ < kDragThreshold) return;
    switch (pressHit_.kind) {
      case DesignHit::Kind::Handle:
        if (qobject_cast<TfrxBand*>(pressHit_.object))
          startBandHeight();
        else
          startResize();
        break;
      case DesignHit::Kind::BandEdge: startBandHeight(); break;
      case DesignHit::Kind::View:
      case DesignHit::Kind::Caption: startMove(modifiers); break;
      default: mode_ = Mode::RubberBand; break;
    }
    if (mode_ == Mode::Pending) mode_ = Mode::None;
  }
  switch (mode_) {
    case Mode::Move: dragMove(point, snap); break;
    case Mode::Resize: dragResize(point, snap); break;
    case Mode::BandHeight: dragBandHeight(point, snap); break;
    case Mode::RubberBand:
    case Mode::Insert: emit overlayChanged(); break;
    default: break;
  }
}

void DragController::Release(QPointF point, Qt::KeyboardModifiers modifiers) {
  if (mode_ != Mode::None && mode_ != Mode::Pending && point != lastPoint_) MoveTo(point, modifiers);
  switch (mode_) {
    case Mode::Pending: clickSelect(pressModifiers_); break;
    case Mode::Move: finishMove(); break;
    case Mode::RubberBand: finishRubberBand(pressModifiers_); break;
    case Mode::Insert: finishInsert(point, !(modifiers & Qt::AltModifier)); break;
    default: break;
  }
  Cancel();
}

void DragController::Cancel() {
  const bool had = mode_ != Mode::None || !snapLines_.isEmpty();
  if (Dragging()) document_.EndGesture();
  mode_ = Mode::None;
  moving_.clear();
  following_.clear();
  preview_ = false;
  shift_ = {};
  previewObjects_.clear();
  reference_ = -1;
  snapLines_.clear();
  if (had) emit overlayChanged();
}

void DragController::clickSelect(Qt::KeyboardModifiers modifiers) {
  const bool shift = modifiers & Qt::ShiftModifier;
  switch (pressHit_.kind) {
    case DesignHit::Kind::View:
    case DesignHit::Kind::Caption:
      // A click on one of several selected objects keeps only it.
      if (!shift && selectedOnPress_ && document_.Selection().size() > 1) document_.Select(pressHit_.object);
      break;
    case DesignHit::Kind::Band:
      if (shift)
        document_.ToggleSelected(pressHit_.object);
      else
        document_.Select(pressHit_.object);
      break;
    case DesignHit::Kind::Page:
      if (!shift) document_.ClearSelection();
      break;
    default: break;
  }
}

// --- Moving -------------------------------------------------------------------------

void DragController::startMove(Qt::KeyboardModifiers) {
  mode_ = Mode::None;
  const QList<TfrxComponent*>& selection = document_.Selection();
  const QSet<const TfrxComponent*> selected(selection.begin(), selection.end());
  QList<const TfrxComponent*> movingObjects;
  for (TfrxComponent* object : selection) {
    if (object->Page() != page() || object == page()) continue;
    if (object->Restrictions().testFlag(report::rfDontMove)) continue;
    // Inside a selected object: it goes along with it.
    bool inside = false;
    for (const TfrxComponent* p = object->Parent(); p && !inside; p = p->Parent()) inside = selected.contains(p);
    if (inside) continue;
    if (object == pressHit_.object) reference_ = int(moving_.size());
    moving_.append({object->Name(), relativeBounds(*object), object->AbsoluteBounds(),
                    qobject_cast<TfrxBand*>(object) != nullptr});
    movingObjects.append(object);
  }
  if (moving_.isEmpty()) return;
  if (reference_ < 0) reference_ = 0;
  targets_ = SnapTargets(*page(), movingObjects, document_.Options());
  preview_ = moving_.size() > kLiveMoveLimit;
  if (preview_) previewObjects_ = QSet<const TfrxComponent*>(movingObjects.begin(), movingObjects.end());
  mode_ = Mode::Move;
}

bool DragController::MovesInPreview(const TfrxComponent* object) const {
  if (!PreviewActive()) return false;
  for (const TfrxComponent* p = object; p; p = p->Parent())
    if (previewObjects_.contains(p)) return true;
  return false;
}

void DragController::dragMove(QPointF point, bool snap) {
  const Moving& ref = moving_.at(reference_);
  QPointF delta = point - pressPoint_;
  if (ref.vertical) delta.setX(0);
  const QRectF moved = ref.absolute.translated(delta);
  TfrxComponent* refObject = document_.Report().FindObject(ref.name);
  if (refObject == nullptr) return;
  // A view snaps to the grid of the band it is over (where it will go).
  QPointF origin = gridOriginOf(*refObject);
  if (!ref.vertical)
    if (TfrxBand* over = BandAt(*page(), moved.topLeft())) origin = originOf(over);
  const SnapResult snapped = SnapMove(targets_, moved, request(snap, origin));
  QPointF shift = snapped.rect.topLeft() - ref.absolute.topLeft();
  snapLines_ = snapped.lines;
  if (preview_) {
    shift_ = shift;
    emit overlayChanged();
    return;
  }
  QList<QPair<QString, QRectF>> bounds;
  for (const Moving& m : moving_) bounds.append({m.name, m.bounds.translated(m.vertical ? 0 : shift.x(), shift.y())});
  run([&] { return new SetBoundsCommand(document_.Report(), bounds); });
  emit overlayChanged();
}

void DragController::finishMove() {
  // Views that now stand on another band go into it; their place on the
  // page stays. The move and the change of bands are one step.
  const QPointF shift = preview_ ? shift_ : QPointF();
  QList<QPair<QString, QString>> reparent;
  QList<QPair<QString, QRectF>> bounds;
  for (const Moving& m : moving_) {
    TfrxComponent* object = document_.Report().FindObject(m.name);
    if (object == nullptr) continue;
    const QRectF now = preview_ ? m.bounds.translated(m.vertical ? 0 : shift.x(), shift.y()) : relativeBounds(*object);
    bounds.append({m.name, now});
    if (m.vertical || !qobject_cast<TfrxBand*>(object->Parent())) continue;
    const QPointF topLeft = originOf(object->Parent()) + now.topLeft();
    TfrxBand* target = BandAt(*page(), topLeft);
    if (target && target != object->Parent()) reparent.append({m.name, target->Name()});
  }
  QUndoStack& stack = document_.UndoStack();
  if (reparent.isEmpty()) {
    if (preview_ && !shift.isNull()) run([&] { return new SetBoundsCommand(document_.Report(), bounds); });
    return;
  }
  // The moves made as the pointer went are taken back and made again with
  // the change of bands, as one step.
  if (!preview_)
    while (stack.index() > undoIndexAtPress_) stack.undo();
  stack.beginMacro(QStringLiteral("Przesunięcie"));
  run([&] { return new SetBoundsCommand(document_.Report(), bounds); });
  for (const auto& [name, band] : reparent) run([&] { return new ReparentCommand(document_.Report(), name, band); });
  stack.endMacro();
}

// --- Resizing -----------------------------------------------------------------------

void DragController::startResize() {
  mode_ = Mode::None;
  TfrxComponent* object = pressHit_.object;
  if (object == nullptr || object->Restrictions().testFlag(report::rfDontSize)) return;
  moving_ = {{object->Name(), relativeBounds(*object),
              QRectF(object->AbsLeft(), object->AbsTop(), object->Width(), object->Height()), false}};
  reference_ = 0;
  targets_ = SnapTargets(*page(), {object}, document_.Options());
  mode_ = Mode::Resize;
}

void DragController::dragResize(QPointF point, bool snap) {
  const Moving& m = moving_.first();
  TfrxComponent* object = document_.Report().FindObject(m.name);
  if (object == nullptr) return;
  const QPointF delta = point - pressPoint_;
  const QPointF origin = gridOriginOf(*object);
  const QRectF start = m.absolute;
  if (isLine(*object)) {
    // One end follows the pointer, the other stays.
    const bool first = pressHit_.handle == hTopLeft;
    const QPointF fixed = first ? start.bottomRight() : start.topLeft();
    QList<SnapLine> lines;
    QPointF end = SnapPoint(targets_, (first ? start.topLeft() : start.bottomRight()) + delta, request(snap, origin),
                            &lines);
    if (!qobject_cast<report::TfrxCustomLineView*>(object)->Diagonal()) {
      // A straight line stays horizontal or vertical, whichever it is nearer.
      if (std::abs(end.x() - fixed.x()) >= std::abs(end.y() - fixed.y()))
        end.setY(fixed.y());
      else
        end.setX(fixed.x());
    }
    const QPointF a = first ? end : fixed, b = first ? fixed : end;
    QRectF r(a - origin, QSizeF(b.x() - a.x(), b.y() - a.y()));
    if (!qobject_cast<report::TfrxCustomLineView*>(object)->Diagonal()) r = r.normalized();
    snapLines_ = lines;
    run([&] { return new LineEndCommand(document_.Report(), m.name, r); });
    emit overlayChanged();
    return;
  }
  const HandleEdges edges = EdgesOf(pressHit_.handle);
  QRectF r = start;
  if (edges.left) r.setLeft(start.left() + delta.x());
  if (edges.right) r.setRight(start.right() + delta.x());
  if (edges.top) r.setTop(start.top() + delta.y());
  if (edges.bottom) r.setBottom(start.bottom() + delta.y());
  const SnapResult snapped = SnapResize(targets_, r, pressHit_.handle, request(snap, origin));
  r = snapped.rect;
  // No smaller than nothing: the moving edge stops at the other one.
  if (r.width() < 0) {
    if (edges.left)
      r.setLeft(r.right());
    else
      r.setRight(r.left());
  }
  if (r.height() < 0) {
    if (edges.top)
      r.setTop(r.bottom());
    else
      r.setBottom(r.top());
  }
  snapLines_ = snapped.lines;
  const QRectF relative = r.translated(-origin);
  run([&] { return new SetBoundsCommand(document_.Report(), {{m.name, relative}}); });
  emit overlayChanged();
}

// --- Band height --------------------------------------------------------------------

void DragController::startBandHeight() {
  mode_ = Mode::None;
  auto* band = qobject_cast<TfrxBand*>(pressHit_.object);
  if (band == nullptr || band->Restrictions().testFlag(report::rfDontSize)) return;
  moving_ = {{band->Name(), relativeBounds(*band), band->AbsoluteBounds(), true}};
  reference_ = 0;
  // The bands below keep their distance: they move with the bottom edge.
  const double bottom = band->AbsTop() + band->Height();
  QList<const TfrxComponent*> followingObjects;
  for (TfrxBand* other : bandsOf(*page())) {
    if (other == band || other->Vertical() || other->AbsTop() < bottom - report::kCoordinateTolerance) continue;
    following_.append({other->Name(), relativeBounds(*other), other->AbsoluteBounds(), true});
    followingObjects.append(other);
  }
  targets_ = SnapTargets(*page(), followingObjects, document_.Options(), {band});
  mode_ = Mode::BandHeight;
}

void DragController::dragBandHeight(QPointF point, bool snap) {
  const Moving& m = moving_.first();
  QRectF r = m.absolute;
  r.setBottom(m.absolute.bottom() + (point.y() - pressPoint_.y()));
  const SnapResult snapped = SnapResize(targets_, r, hBottom, request(snap, m.absolute.topLeft()));
  const double height = std::max(0.0, snapped.rect.height());
  const double shift = height - m.bounds.height();
  snapLines_ = snapped.lines;
  QList<QPair<QString, QRectF>> bounds{{m.name, QRectF(m.bounds.topLeft(), QSizeF(m.bounds.width(), height))}};
  for (const Moving& f : following_) bounds.append({f.name, f.bounds.translated(0, shift)});
  run([&] { return new SetBoundsCommand(document_.Report(), bounds); });
  emit overlayChanged();
}

// --- Rubber band and insertion --------------------------------------------------------

void DragController::finishRubberBand(Qt::KeyboardModifiers modifiers) {
  const QRectF frame = QRectF(pressPoint_, lastPoint_).normalized();
  QList<TfrxComponent*> views, bands;
  for (TfrxComponent* object : ObjectsIn(*page(), frame)) {
    if (qobject_cast<TfrxBand*>(object))
      bands.append(object);
    else
      views.append(object);
  }
  // A frame drawn over views takes them, not the bands they stand on.
  const QList<TfrxComponent*> taken = views.isEmpty() ? bands : views;
  if (modifiers & Qt::ShiftModifier) {
    for (TfrxComponent* object : taken)
      if (!document_.IsSelected(object)) document_.AddToSelection(object);
  } else {
    document_.SetSelection(taken);
  }
}

void DragController::SetInsertTool(const QString& className, int flag) {
  const bool was = InsertToolActive();
  Cancel();
  insertClass_ = className;
  insertFlag_ = flag;
  if (was && className.isEmpty()) emit insertFinished();
}

void DragController::finishInsert(QPointF point, bool snap) {
  const QString className = insertClass_;
  const QMetaObject* cls = report::findClass(className);
  if (cls == nullptr) {
    lastError_ = QStringLiteral("Nieznana klasa obiektu: %1").arg(className);
    SetInsertTool({});
    return;
  }
  if (cls->inherits(&TfrxBand::staticMetaObject)) {
    insertClass_.clear();
    emit insertBandRequested(className);
    emit insertFinished();
    return;
  }
  // Views go on the band under the press; a dialog page takes its
  // controls itself. The corners snap on that band's grid.
  TfrxComponent* parent = BandAt(*page(), pressPoint_);
  if (parent == nullptr && !qobject_cast<report::TfrxReportPage*>(page())) parent = page();
  if (parent == nullptr) {
    lastError_ = QStringLiteral("Obiekt można wstawić tylko na wstęgę.");
    return;
  }
  const SnapRequest r = request(snap, originOf(parent));
  const QPointF start = SnapPoint(targets_, pressPoint_, r);
  QRectF bounds;
  const QPointF d = point - pressPoint_;
  const bool line = cls->inherits(&report::TfrxCustomLineView::staticMetaObject);
  if (std::max(std::abs(d.x()), std::abs(d.y())) * zoom_ >= kDragThreshold) {
    const QPointF end = SnapPoint(targets_, point, r);
    if (!line) {
      bounds = QRectF(start, end).normalized();
    } else if (insertFlag_ != 0) {
      // A diagonal runs from the press to the release, whichever way.
      bounds = QRectF(start, QSizeF(end.x() - start.x(), end.y() - start.y()));
    } else if (std::abs(end.x() - start.x()) >= std::abs(end.y() - start.y())) {
      bounds = QRectF(std::min(start.x(), end.x()), start.y(), std::abs(end.x() - start.x()), 0);
    } else {
      bounds = QRectF(start.x(), std::min(start.y(), end.y()), 0, std::abs(end.y() - start.y()));
    }
  } else {
    bounds = QRectF(start, DefaultInsertSize(className));
  }
  const QRectF relative = bounds.translated(-originOf(parent));
  const QString parentName = parent->Name();
  QUndoStack& stack = document_.UndoStack();
  QString name;
  stack.beginMacro(QStringLiteral("Wstawienie"));
  const bool inserted = run([&] {
    auto* command = new InsertCommand(document_.Report(), className, parentName, relative);
    name = command->InsertedName();
    return command;
  });
  if (inserted) {
    const int flag = insertFlag_;
    run([&] {
      return new ChangeCommand(document_.Report(), QStringLiteral("Wstawienie %1").arg(name), {name},
                               [&](TfrxComponent& object) { applyNewObjectDefaults(document_, object, flag); });
    });
  }
  stack.endMacro();
  document_.EndGesture();
  if (!inserted) {
    // Nothing went in: the empty step goes too.
    stack.undo();
    return;
  }
  if (TfrxComponent* object = document_.Report().FindObject(name)) document_.Select(object);
  insertClass_.clear();
  emit insertFinished();
}

// --- Keyboard -----------------------------------------------------------------------

bool DragController::Nudge(int key, Qt::KeyboardModifiers modifiers) {
  if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
  if (page() == nullptr) return false;
  const QList<TfrxComponent*> selection = document_.Selection();
  // Another selection starts another step.
  if (selection != nudged_) document_.EndGesture();
  nudged_ = selection;
  const bool resize = modifiers & Qt::ShiftModifier;
  const double step = (modifiers & Qt::ControlModifier) ? 1.0 : document_.Options().gridStep();
  const double dx = key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0;
  const double dy = key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0;
  const QSet<const TfrxComponent*> selected(selection.begin(), selection.end());
  QList<QPair<QString, QRectF>> bounds;
  for (TfrxComponent* object : selection) {
    if (object->Page() != page() || object == page()) continue;
    // Inside a selected object: it goes along with it.
    bool inside = false;
    for (const TfrxComponent* p = object->Parent(); p && !inside; p = p->Parent()) inside = selected.contains(p);
    if (inside) continue;
    const bool band = qobject_cast<TfrxBand*>(object) != nullptr;
    if (band && dy == 0) continue;
    QRectF r = relativeBounds(*object);
    if (resize) {
      if (object->Restrictions().testFlag(report::rfDontSize)) continue;
      r.setWidth(std::max(0.0, r.width() + dx));
      r.setHeight(std::max(0.0, r.height() + dy));
    } else {
      if (object->Restrictions().testFlag(report::rfDontMove)) continue;
      r.translate(dx, dy);
    }
    bounds.append({object->Name(), r});
  }
  if (bounds.isEmpty()) return false;
  return run([&] { return new SetBoundsCommand(document_.Report(), bounds); });
}

bool DragController::SelectNext(bool backwards) {
  if (page() == nullptr) return false;
  const QList<TfrxComponent*> order = page()->AllObjects();
  if (order.isEmpty()) return false;
  const qsizetype n = order.size();
  const qsizetype at = document_.Selection().isEmpty() ? -1 : order.indexOf(document_.Selection().first());
  qsizetype next;
  if (at < 0)
    next = backwards ? n - 1 : 0;
  else
    next = backwards ? (at + n - 1) % n : (at + 1) % n;
  document_.Select(order.at(next));
  return true;
}

}  // namespace valmoro::designer
