#pragma once
// The entries of the designer's object bar: every view class the class
// registry offers (with a line or shape kind where the class has several)
// and every band kind, each with its Polish caption, hint and icon, and
// the insertion of an entry as one undo step.

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUndoCommand>
#include <functional>
#include <memory>
#include <optional>

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

struct CatalogueEntry {
  enum class Group { View, Band };
  // A line entry is straight one way: its bounds lose the other side.
  enum class Extent { Free, Horizontal, Vertical };

  Group group = Group::View;
  // Unique in the catalogue: the class name, with "/kind" for the entries
  // of a class that has several ("TfrxLineView/vertical").
  QString id;
  QString className;
  // The designer's creation flag (TfrxComponent::DesignCreate).
  int flag = 0;
  QString caption;
  QString hint;
  Extent extent = Extent::Free;
  // The size of an object made by a click without dragging (report pixels).
  QSizeF defaultSize;
};

// View entries (in the registry's order, the kinds of a class together),
// then band entries in the order of the engine's band table.
const QList<CatalogueEntry>& ObjectCatalogue();
// The entry of that id; none.
const CatalogueEntry* FindCatalogueEntry(const QString& id);
// The caption of a class's entry, e.g. for a band's caption strip ("Dane
// główne" for TfrxMasterData); the first of a class with several; empty
// for a class the catalogue does not offer.
QString CatalogueCaption(const QString& className);

// The entry's icon drawn at 16 and 24 pixels; drawn once, then cached.
QPixmap CataloguePixmap(const CatalogueEntry& entry, int size);
QIcon CatalogueIcon(const CatalogueEntry& entry);

// The bounds an entry gets from the rectangle the user drew: a horizontal
// line keeps no height, a vertical one no width; an empty rectangle (a
// click) takes the default size at its corner.
QRectF EntryBounds(const CatalogueEntry& entry, const QRectF& drawn);

// A view entry: a new object of the class made with the entry's flag under
// `parentName` (a subreport gets a new page of its own to run), then given
// `initialise` in the same step. Ready to push; throws ReportError with a
// Polish message.
std::unique_ptr<QUndoCommand> MakeInsertObject(report::TfrxReport& report, const CatalogueEntry& entry,
                                               const QString& parentName, const QRectF& drawn,
                                               QString* insertedName = nullptr,
                                               const std::function<void(report::TfrxComponent&)>& initialise = {});

// Through the document: a view entry goes under `parentName` at `drawn`
// with the designer's defaults for new objects (applyNewObjectDefaults), a
// band entry to its place on the current page (InsertBand). The new object
// is selected. The refusal, empty when done.
QString InsertObject(DesignerDocument& document, const CatalogueEntry& entry, const QString& parentName,
                     const QRectF& drawn);

}  // namespace valmoro::designer
