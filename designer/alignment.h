#pragma once
// Aligning, sizing, spacing, stacking order and locking of the selected
// objects. The first object selected is the reference the others follow.
// Positions are compared on the page (objects in different bands line up
// as they are shown) and written back relative to each object's parent.
// An object locked against moving (rfDontMove) keeps its place, one locked
// against sizing (rfDontSize) its size. Each action is one undo step.

#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>
#include <QUndoCommand>
#include <memory>

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

enum class AlignAction {
  Lefts,
  Rights,
  Tops,
  Bottoms,
  HorizontalCentres,
  VerticalCentres,
  // Each object in the middle of its band (or dialog page).
  CentreInBandHorizontally,
  CentreInBandVertically,
  SameWidth,
  SameHeight,
  // The outermost two stay; the others go between them with equal gaps.
  SpaceHorizontally,
  SpaceVertically,
};

enum class StackingOrder { Front, Back };

// The objects of a selection these actions apply to, in selecting order:
// everything but the report, pages and bands.
QList<report::TfrxComponent*> ArrangeableObjects(const QList<report::TfrxComponent*>& selection);

// The undo text of the action ("Wyrównanie do lewej").
QString AlignActionText(AlignAction action);

// New bounds (relative to each parent) of the objects the action moves or
// sizes; those that stay are left out. Throws ReportError with a Polish
// message when there are too few objects for the action.
QList<QPair<QString, QRectF>> AlignedBounds(const QList<report::TfrxComponent*>& objects, AlignAction action);

// Steps ready to push (not applied); none when nothing would change.
// Throw ReportError with the Polish refusal.
std::unique_ptr<QUndoCommand> MakeAlign(report::TfrxReport& report, const QList<report::TfrxComponent*>& objects,
                                        AlignAction action);
// The objects drawn over (Front) or under (Back) their siblings, keeping
// their order among themselves.
std::unique_ptr<QUndoCommand> MakeStackingOrder(report::TfrxReport& report,
                                                const QList<report::TfrxComponent*>& objects, StackingOrder order);
// rfDontMove set or cleared (bands may be locked as well).
std::unique_ptr<QUndoCommand> MakeLock(report::TfrxReport& report, const QList<report::TfrxComponent*>& objects,
                                       bool locked);

// On the document's selection; the refusal, empty when done (or when
// nothing needed to change).
QString Align(DesignerDocument& document, AlignAction action);
QString ChangeStackingOrder(DesignerDocument& document, StackingOrder order);
QString Lock(DesignerDocument& document, bool locked);

}  // namespace valmoro::designer
