#include "designer/alignment.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <vector>

#include "designer/designer_document.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/edit/commands.h"
#include "report/model/edit/snapshot.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"

namespace valmoro::designer {

using report::ReportError;
using report::TfrxComponent;

namespace {

bool canMove(const TfrxComponent& object) { return !object.Restrictions().testFlag(report::rfDontMove); }
bool canSize(const TfrxComponent& object) { return !object.Restrictions().testFlag(report::rfDontSize); }

// An object's box on the page, with sides in order (a diagonal line may
// have a negative width or height).
QRectF pageBox(const TfrxComponent& object) {
  return QRectF(object.AbsLeft(), object.AbsTop(), object.Width(), object.Height()).normalized();
}

double sign(double value) { return value < 0 ? -1 : 1; }

// An object and the box on the page it is to take.
struct Target {
  TfrxComponent* object;
  QRectF box;  // normalized
};

// Bounds relative to the parent that give the object that box; a negative
// width or height stays negative.
QRectF relativeBounds(const TfrxComponent& object, const QRectF& box) {
  const QRectF old = pageBox(object);
  const double width = sign(object.Width()) * box.width();
  const double height = sign(object.Height()) * box.height();
  // The stored corner is where the box starts unless the size is negative.
  const double dx = box.left() - old.left() + (object.Width() < 0 ? box.width() - old.width() : 0);
  const double dy = box.top() - old.top() + (object.Height() < 0 ? box.height() - old.height() : 0);
  return QRectF(object.Left() + dx, object.Top() + dy, width, height);
}

void requireAtLeast(const QList<TfrxComponent*>& objects, int count) {
  if (objects.size() >= count) return;
  switch (count) {
    case 1: throw ReportError(QStringLiteral("Zaznacz co najmniej jeden obiekt."));
    case 2: throw ReportError(QStringLiteral("Zaznacz co najmniej dwa obiekty."));
    default: throw ReportError(QStringLiteral("Zaznacz co najmniej trzy obiekty."));
  }
}

void spaceEqually(std::vector<Target>& targets, bool horizontal) {
  std::vector<Target*> sorted;
  for (Target& t : targets) sorted.push_back(&t);
  auto start = [horizontal](const Target* t) { return horizontal ? t->box.left() : t->box.top(); };
  auto extent = [horizontal](const Target* t) { return horizontal ? t->box.width() : t->box.height(); };
  std::stable_sort(sorted.begin(), sorted.end(), [&](const Target* a, const Target* b) { return start(a) < start(b); });
  const Target* first = sorted.front();
  const Target* last = sorted.back();
  double occupied = 0;
  for (const Target* t : sorted) occupied += extent(t);
  const double span = start(last) + extent(last) - start(first);
  const double gap = (span - occupied) / double(sorted.size() - 1);
  double at = start(first) + extent(first) + gap;
  for (size_t i = 1; i + 1 < sorted.size(); ++i) {
    Target* t = sorted[i];
    if (canMove(*t->object)) {
      if (horizontal) t->box.moveLeft(at);
      else t->box.moveTop(at);
    }
    at += extent(t) + gap;
  }
}

// A change of the order of children: each touched parent's children by
// name before and after, so that undo gives the very order back.
class StackingCommand : public QUndoCommand {
public:
  // The children of one parent by name.
  struct Parent {
    QStringList before, after;
  };
  StackingCommand(report::TfrxReport& report, const QString& text, std::vector<Parent> parents)
      : report_(report), parents_(std::move(parents)) {
    setText(text);
  }
  void redo() override { apply(false); }
  void undo() override { apply(true); }

private:
  void apply(bool back) {
    for (const Parent& p : parents_) {
      const QStringList& order = back ? p.before : p.after;
      for (int i = 0; i < order.size(); ++i) {
        TfrxComponent& child = report::edit::objectNamed(report_, order[i]);
        const int was = child.IndexInParent();
        if (was == i) continue;
        child.SetIndexInParent(i);
        // No published property holds the order: it is told under the
        // name of the accessor, so that whoever draws the children draws
        // them again.
        report::changes::propertyChanged(child, QStringLiteral("IndexInParent"), was, i);
      }
    }
  }

  report::TfrxReport& report_;
  std::vector<Parent> parents_;
};

}  // namespace

QList<TfrxComponent*> ArrangeableObjects(const QList<TfrxComponent*>& selection) {
  QList<TfrxComponent*> objects;
  for (TfrxComponent* object : selection)
    if (object && object->Parent() && !qobject_cast<report::TfrxPage*>(object) &&
        !qobject_cast<report::TfrxBand*>(object) && !qobject_cast<report::TfrxReport*>(object))
      objects.append(object);
  return objects;
}

QString AlignActionText(AlignAction action) {
  switch (action) {
    case AlignAction::Lefts: return QStringLiteral("Wyrównanie do lewej");
    case AlignAction::Rights: return QStringLiteral("Wyrównanie do prawej");
    case AlignAction::Tops: return QStringLiteral("Wyrównanie do góry");
    case AlignAction::Bottoms: return QStringLiteral("Wyrównanie do dołu");
    case AlignAction::HorizontalCentres: return QStringLiteral("Wyrównanie środków w poziomie");
    case AlignAction::VerticalCentres: return QStringLiteral("Wyrównanie środków w pionie");
    case AlignAction::CentreInBandHorizontally: return QStringLiteral("Wyśrodkowanie w poziomie");
    case AlignAction::CentreInBandVertically: return QStringLiteral("Wyśrodkowanie w pionie");
    case AlignAction::SameWidth: return QStringLiteral("Ta sama szerokość");
    case AlignAction::SameHeight: return QStringLiteral("Ta sama wysokość");
    case AlignAction::SpaceHorizontally: return QStringLiteral("Równe odstępy w poziomie");
    case AlignAction::SpaceVertically: return QStringLiteral("Równe odstępy w pionie");
  }
  return {};
}

QList<QPair<QString, QRectF>> AlignedBounds(const QList<TfrxComponent*>& objects, AlignAction action) {
  const bool spacing = action == AlignAction::SpaceHorizontally || action == AlignAction::SpaceVertically;
  const bool inBand = action == AlignAction::CentreInBandHorizontally || action == AlignAction::CentreInBandVertically;
  requireAtLeast(objects, spacing ? 3 : inBand ? 1 : 2);
  std::vector<Target> targets;
  for (TfrxComponent* object : objects) targets.push_back({object, pageBox(*object)});
  const QRectF reference = targets.front().box;
  if (spacing) {
    spaceEqually(targets, action == AlignAction::SpaceHorizontally);
  } else {
    for (size_t i = inBand ? 0 : 1; i < targets.size(); ++i) {
      Target& t = targets[i];
      QRectF& box = t.box;
      const bool moves = canMove(*t.object);
      const TfrxComponent* parent = t.object->Parent();
      switch (action) {
        case AlignAction::Lefts: if (moves) box.moveLeft(reference.left()); break;
        case AlignAction::Rights: if (moves) box.moveRight(reference.right()); break;
        case AlignAction::Tops: if (moves) box.moveTop(reference.top()); break;
        case AlignAction::Bottoms: if (moves) box.moveBottom(reference.bottom()); break;
        case AlignAction::HorizontalCentres:
          if (moves) box.moveLeft(reference.center().x() - box.width() / 2);
          break;
        case AlignAction::VerticalCentres:
          if (moves) box.moveTop(reference.center().y() - box.height() / 2);
          break;
        case AlignAction::CentreInBandHorizontally:
          if (moves) box.moveLeft(parent->AbsLeft() + (parent->Width() - box.width()) / 2);
          break;
        case AlignAction::CentreInBandVertically:
          if (moves) box.moveTop(parent->AbsTop() + (parent->Height() - box.height()) / 2);
          break;
        case AlignAction::SameWidth: if (canSize(*t.object)) box.setWidth(reference.width()); break;
        case AlignAction::SameHeight: if (canSize(*t.object)) box.setHeight(reference.height()); break;
        default: break;
      }
    }
  }
  QList<QPair<QString, QRectF>> bounds;
  for (const Target& t : targets) {
    const QRectF r = relativeBounds(*t.object, t.box);
    const TfrxComponent& o = *t.object;
    if (report::coordinatesDiffer(r.left(), o.Left()) || report::coordinatesDiffer(r.top(), o.Top()) ||
        report::coordinatesDiffer(r.width(), o.Width()) || report::coordinatesDiffer(r.height(), o.Height()))
      bounds.append({o.Name(), r});
  }
  return bounds;
}

std::unique_ptr<QUndoCommand> MakeAlign(report::TfrxReport& report, const QList<TfrxComponent*>& objects,
                                        AlignAction action) {
  const QList<QPair<QString, QRectF>> bounds = AlignedBounds(objects, action);
  if (bounds.isEmpty()) return nullptr;
  QStringList names;
  for (const auto& b : bounds) names.append(b.first);
  // Not a SetBoundsCommand: a diagonal line may keep its negative size, and
  // the step must not merge into a drag before it.
  return std::make_unique<report::edit::ChangeCommand>(report, AlignActionText(action), names, [&](TfrxComponent& object) {
    for (const auto& [name, r] : bounds)
      if (name.compare(object.Name(), Qt::CaseInsensitive) == 0) object.SetBounds(r.left(), r.top(), r.width(), r.height());
  });
}

std::unique_ptr<QUndoCommand> MakeStackingOrder(report::TfrxReport& report, const QList<TfrxComponent*>& objects,
                                                StackingOrder order) {
  requireAtLeast(objects, 1);
  QList<TfrxComponent*> parents;
  for (TfrxComponent* object : objects)
    if (!parents.contains(object->Parent())) parents.append(object->Parent());
  std::vector<StackingCommand::Parent> changed;
  for (TfrxComponent* parent : parents) {
    StackingCommand::Parent p;
    QStringList moved, others;
    for (TfrxComponent* child : parent->Objects()) {
      p.before.append(child->Name());
      (objects.contains(child) ? moved : others).append(child->Name());
    }
    p.after = order == StackingOrder::Front ? others + moved : moved + others;
    if (p.after != p.before) changed.push_back(std::move(p));
  }
  if (changed.empty()) return nullptr;
  return std::make_unique<StackingCommand>(
      report, order == StackingOrder::Front ? QStringLiteral("Przeniesienie na wierzch") : QStringLiteral("Przeniesienie pod spód"),
      std::move(changed));
}

std::unique_ptr<QUndoCommand> MakeLock(report::TfrxReport& report, const QList<TfrxComponent*>& objects, bool locked) {
  requireAtLeast(objects, 1);
  QStringList names;
  for (const TfrxComponent* object : objects)
    if (canMove(*object) == locked) names.append(object->Name());
  if (names.isEmpty()) return nullptr;
  return std::make_unique<report::edit::ChangeCommand>(
      report, locked ? QStringLiteral("Zablokowanie przesuwania") : QStringLiteral("Odblokowanie przesuwania"), names,
      [locked](TfrxComponent& object) {
        object.SetRestrictions(object.Restrictions().setFlag(report::rfDontMove, locked));
      });
}

namespace {

QString push(DesignerDocument& document, const std::function<std::unique_ptr<QUndoCommand>()>& make) {
  try {
    if (std::unique_ptr<QUndoCommand> command = make()) document.Push(command.release());
  } catch (const ReportError& e) {
    return e.message();
  }
  return {};
}

}  // namespace

QString Align(DesignerDocument& document, AlignAction action) {
  return push(document, [&] { return MakeAlign(document.Report(), ArrangeableObjects(document.Selection()), action); });
}

QString ChangeStackingOrder(DesignerDocument& document, StackingOrder order) {
  return push(document,
              [&] { return MakeStackingOrder(document.Report(), ArrangeableObjects(document.Selection()), order); });
}

QString Lock(DesignerDocument& document, bool locked) {
  // Bands may be locked too: only the report and pages are left out.
  QList<TfrxComponent*> objects;
  for (TfrxComponent* object : document.Selection())
    if (object && object->Parent() && !qobject_cast<report::TfrxPage*>(object)) objects.append(object);
  return push(document, [&] { return MakeLock(document.Report(), objects, locked); });
}

}  // namespace valmoro::designer
