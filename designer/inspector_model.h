#pragma once
// What the object inspector shows and changes, without any widget: the
// published properties of the selected objects (those every one of them
// publishes, with the same kind), each value shared or mixed, as text in the
// designer's unit, and every change made as one undo step through the
// document, so that a refusal leaves all the objects as they were.
//
// Rows form a tree: a nested object (font, frame, display format) and a set
// unfold into rows of their own, addressed by dotted paths
// ("Frame.LeftLine.Color"; a set member: "Font.Style.fsBold").

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "report/model/published.h"
#include "report/model/units.h"

namespace valmoro::report {
class TfrxComponent;
struct ReportChange;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

struct InspectorRow {
  QString path;     // from the object: "Frame.LeftLine.Color"
  QString caption;  // the last part of the path
  int parent = -1;  // a row index
  // The row of the nested object that holds the property; -1 when the
  // selected objects themselves hold it.
  int ownerRow = -1;
  int depth = 0;
  QList<int> children;
  // The property itself; for a set member the set's.
  const report::PublishedProperty* property = nullptr;
  // The nested properties walked from the object to the property's owner.
  std::vector<const report::PublishedProperty*> chain;
  report::PropertyEditor editor = report::PropertyEditor::None;
  report::PropertyCategory category = report::PropertyCategory::Other;
  // A set member row: the member's bit; 0 for other rows.
  int memberBit = 0;
  bool event = false;     // listed on the events tab
  bool readOnly = false;
  bool mixed = false;     // the selected objects differ
  QString text;           // the value as shown (empty when mixed)
  bool checked = false;   // Booleans and set members
  qint64 ordinal = 0;     // the shared value of an integer, colour, enumeration or set
  // Not read since the objects changed: rows under a collapsed row are read
  // when it unfolds (ReadRow, SetExpanded).
  bool stale = true;
};

class InspectorModel : public QObject {
  Q_OBJECT

public:
  explicit InspectorModel(DesignerDocument& document, QObject* parent = nullptr);
  ~InspectorModel() override;

  DesignerDocument& Document() const { return document_; }

  // --- What is inspected -----------------------------------------------------
  // The document's selection, or its current page when nothing is selected.
  const QList<report::TfrxComponent*>& Objects() const { return objects_; }
  // The name of the one object, or "N obiektów".
  QString SelectionCaption() const;
  // Builds the rows again for the document's selection.
  void Reload();
  // The objects of the current page as the object combo lists them
  // ("Tytul: TfrxMemoView"), with the objects in the same order.
  QStringList PageObjectCaptions(QList<report::TfrxComponent*>* objects = nullptr) const;

  // --- Rows ------------------------------------------------------------------
  const std::vector<InspectorRow>& Rows() const { return rows_; }
  // The row as last read (see InspectorRow::stale).
  const InspectorRow& Row(int row) const { return rows_[size_t(row)]; }
  // The row with its value read now when it was stale.
  const InspectorRow& ReadRow(int row) const;
  // Rows under a collapsed row are not read while it stays collapsed; the
  // state is kept by path across selections.
  void SetExpanded(int row, bool expanded);
  bool IsExpanded(int row) const;
  // Every row above it is expanded.
  bool IsShown(int row) const;
  int RowCount() const { return int(rows_.size()); }
  // The row of a path (letter case ignored); -1 when not shown.
  int FindRow(const QString& path) const;
  // Top-level rows of a tab in the order shown: by caption, or by category
  // (PropertyCategory order) and by caption within one.
  QList<int> TopRows(bool events, bool byCategory) const;
  // Whether the row or one of its descendants has the filter in its caption.
  bool Matches(int row, const QString& filter) const;

  // --- Values ----------------------------------------------------------------
  // What an editor of the row starts with (the full text of a long text).
  QString EditText(int row) const;
  // What a combo of the row offers: members, colours, data sets, fields,
  // object names, fitting procedures.
  QStringList Choices(int row) const;
  // The stored length unit's figure of a length row in the display unit.
  report::LengthUnit DisplayUnit() const;

  // Each of these makes one undo step for all objects, or none: the
  // refusal is returned (empty on success) and every object keeps its value.
  QString Apply(int row, const QString& text);
  QString SetChecked(int row, bool checked);
  QString ApplyColor(int row, report::TColor color);
  // A font row: name, size, style and colour at once.
  QString ApplyFont(int row, const QString& name, int size, int styleBits, report::TColor color);
  // A picture row: the picture file read in; a file that is no picture is refused.
  QString LoadPicture(int row, const QString& fileName);
  // An event row: a new empty handler in the script (or the existing one of
  // that name) set as the handler; line gets the line of its body (from 1).
  QString CreateHandler(int row, int* line);
  // The line (from 1) of the procedure an event row names; 0 when absent.
  int HandlerLine(int row) const;

  // The changes announced since the last refresh are read (done after
  // every Apply and, queued, after other changes).
  void Flush();

  // Colours by name as the inspector lists them (clBlack … clWhite, clNone,
  // clTransparent, system colours) and text of a colour value.
  static QStringList ColorNames();
  static QString ColorText(report::TColor color);
  // A typed colour: a name, "$BBGGRR", "#RRGGBB" or a number; false when none.
  static bool ParseColor(const QString& text, report::TColor* color);

signals:
  // The rows were built again (another selection, another document).
  void reset();
  // Values of these rows changed.
  void rowsChanged(const QList<int>& rows);
  // Objects were added, removed or renamed on the page (the object combo).
  void objectsChanged();

private:
  void build();
  void addRows(const QMetaObject& cls, int parent, int ownerRow,
               const std::vector<const report::PublishedProperty*>& chain, const QString& prefix, int depth,
               const QList<QObject*>& owners);
  // What holds the properties of rows with this owner row, one per object.
  const QList<QObject*>& ownersFor(int ownerRow) const;
  void readValue(int row) const;
  void readAll();
  QObject* ownerOf(QObject* object, const InspectorRow& row) const;
  QStringList names() const;
  // Runs a SetPropertyCommand of the path with a document value.
  QString setProperty(const QString& path, const QString& value);
  QString documentValue(const InspectorRow& row, const QString& text, QString* path) const;
  QString checkExpression(const QString& text) const;
  void changed(const report::ReportChange& change);
  void scheduleFlush();

  DesignerDocument& document_;
  QList<report::TfrxComponent*> objects_;
  QSet<const report::TfrxComponent*> inspected_;
  mutable std::vector<InspectorRow> rows_;
  QSet<QString> expanded_;  // case-folded paths
  QHash<QString, int> byPath_;  // case-folded path
  QList<QObject*> objectOwners_;
  mutable std::vector<QList<QObject*>> ownerCache_;  // by owner row
  mutable std::vector<bool> ownerCached_;
  QSet<QString> dirty_;         // case-folded paths; "*" for all
  bool flushQueued_ = false;
  bool objectsDirty_ = false;
};

}  // namespace valmoro::designer
