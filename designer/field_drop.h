#pragma once
// What comes of dragging an item of the data tree onto the design page,
// without the widgets: a data field dropped on a band becomes a text view
// bound to it (with its column heading when asked for), a variable or a
// function dropped on a text view goes into its text. Each is one undo step
// through the document; a refusal comes back as one Polish line and leaves
// the report as it was.

#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>

class QMimeData;

namespace valmoro::report {
class TfrxBand;
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// The MIME type of a dragged data tree item (besides text/plain, which the
// script editor takes as it is).
inline constexpr char kDataItemMimeType[] = "application/x-valmoro-data-item";

// One draggable item of the data tree.
struct DataDragItem {
  enum class Kind { Field, Variable, SystemVariable, Function };
  Kind kind = Kind::Field;
  QString dataSet;  // Field: the data set's user name
  QString name;     // the field, variable or function name
  QString call;     // Function: the call with its parameter names, "Copy(s, from, count)"

  // What a text view gets: [Wpisy."Temperatura"], [Page#], [Copy(s, from, count)].
  QString ViewText() const;
  // What the script gets: <Wpisy."Temperatura">, <Page#>, Copy(s, from, count).
  QString CodeText() const;
  bool operator==(const DataDragItem&) const = default;
};

// The drag's data: the item in the data tree's own type, CodeText as text/plain.
QMimeData* MakeDataMime(const DataDragItem& item);
std::optional<DataDragItem> ReadDataMime(const QMimeData& mime);

// The call a function's declaration stands for: its name with the names of
// its parameters, "Copy(s, from, count)"; just the name without parameters.
QString FunctionCall(const QString& declaration);

// A new object name from a prefix and a field ("Pole" + "Wilgotność" gives
// "PoleWilgotnosc"): letters without diacritics, digits and "_", then a
// number when the report has the name already.
QString NameForField(const report::TfrxReport& report, const QString& prefix, const QString& field);

// Refusals shown when a drop has nowhere to go.
QString NoBandRefusal();
QString NoTextViewRefusal();

// The band a data band's column headings go into: its own header (the
// header band right above it, as the band engine pairs them), else the
// page header; none when the page has neither.
report::TfrxBand* HeadingBandFor(const report::TfrxBand& band);

// A text view bound to dataSet.field on `band`, its top-left corner at
// `pagePosition` (page pixels) on the grid, sized to the grid; a data band
// without a data set gets this one. With `withHeading` a second text view
// with the field's name goes into HeadingBandFor(band) at the same x.
// Selects what was made. `created` receives the new views' names.
QString DropField(DesignerDocument& document, report::TfrxBand& band, const QString& dataSet, const QString& field,
                  QPointF pagePosition, bool withHeading, QStringList* created = nullptr);

// The text added at the end of a text view's text (one undo step).
QString InsertIntoText(DesignerDocument& document, report::TfrxComponent& view, const QString& text);

// A dragged item dropped at a page point: fields on the band under it,
// the others into the text view under it.
QString DropItem(DesignerDocument& document, const DataDragItem& item, QPointF pagePosition, bool withHeading);

}  // namespace valmoro::designer
