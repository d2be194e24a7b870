#pragma once
// The report as a tree for the designer's "Drzewo raportu": the report, its
// report and dialog pages, their bands and controls, and the views in them
// (with whatever the model nests inside views). Two columns: the object's
// name (editable: a rename through the undo stack) and the caption of its
// kind.
//
// The tree follows the document's change notification instead of being
// read again: a removal is taken at once (the object is going), a move to
// another parent too; insertions and changes of order are gathered and
// taken once the edit is over (an object being made does not know its
// class yet), at the latest when the event loop runs next.

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace valmoro::report {
class TfrxComponent;
struct ReportChange;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

class ReportTreeModel : public QAbstractItemModel {
  Q_OBJECT

public:
  enum Column { NameColumn = 0, KindColumn = 1, ColumnCount = 2 };
  // The mime type of dragged objects: their names, one a line.
  static QString MimeType();

  explicit ReportTreeModel(DesignerDocument& document, QObject* parent = nullptr);
  ~ReportTreeModel() override;

  DesignerDocument& Document() const { return document_; }

  // The object of an index (none for an invalid one) and the index of an
  // object shown in the tree (an invalid one for others).
  report::TfrxComponent* ObjectAt(const QModelIndex& index) const;
  QModelIndex IndexOf(const report::TfrxComponent* object, int column = NameColumn) const;
  // Whether the object is shown (the data page and what it holds are not).
  bool Shows(const report::TfrxComponent* object) const;
  // How many objects the tree shows, the report included.
  int ObjectCount() const { return int(nodes_.size()); }

  // Takes the insertions and reorderings gathered so far (done by itself
  // after each edit; for callers that need the tree now).
  void Flush();
  // Reads the whole report again.
  void Rebuild();

  // The caption of the object's kind in the tree ("Dane główne", "Tekst").
  static QString KindCaption(const report::TfrxComponent& object);
  static QIcon KindIcon(const report::TfrxComponent& object);

  // Renames through the undo stack; the refusal in Polish, empty when done.
  QString Rename(report::TfrxComponent& object, const QString& name);
  // Moves the objects under `target` before its child at `row` (-1 or past
  // the end: after the last), as one undo step: a view into a band (or
  // among the children of its container), a band among the bands of its
  // page, a dialog control on a dialog page. The refusal in Polish (nothing
  // moved), empty when done or when nothing needed to move.
  QString Move(const QList<report::TfrxComponent*>& objects, report::TfrxComponent* target, int row);

  // --- QAbstractItemModel --------------------------------------------------
  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override;
  Qt::DropActions supportedDropActions() const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

signals:
  // A rename or a move was refused: one Polish line for the window to show.
  void refused(const QString& message);
  // Gathered insertions were taken (rows may have come that a selection
  // waited for).
  void flushed();

private:
  struct Node {
    // Guarded: an object deleted without being announced (in a trial that
    // is told to no one) leaves an empty row rather than a dangling one.
    QPointer<report::TfrxComponent> object;
    const report::TfrxComponent* key = nullptr;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
  };

  void reportChanged(const report::ReportChange& change);
  Node* nodeOf(const QModelIndex& index) const;
  Node* nodeOf(const report::TfrxComponent* object) const;
  QModelIndex indexOfNode(const Node* node, int column = NameColumn) const;
  // The children the tree shows for an object, in the model's order.
  QList<report::TfrxComponent*> shownChildren(const report::TfrxComponent& object) const;
  std::unique_ptr<Node> makeNode(report::TfrxComponent* object, Node* parent, int row);
  void forget(Node* node);
  void renumber(Node* parent, size_t from);
  void markDirty(report::TfrxComponent* object);
  void removeNode(Node* node);
  // Moves a node to `row` among `newParent`'s children (the row counted
  // before the node is taken out, as beginMoveRows counts it).
  void moveNode(Node* node, Node* newParent, int row);
  void sync(Node* node);
  // Why `object` may not go under `target`; empty when it may.
  QString moveRefusal(const report::TfrxComponent& object, const report::TfrxComponent& target) const;
  QList<report::TfrxComponent*> objectsOf(const QMimeData* data) const;

  DesignerDocument& document_;
  Node root_;  // invisible: its one child is the report
  QHash<const report::TfrxComponent*, Node*> nodes_;
  // Objects whose children are to be compared with the model again.
  QSet<report::TfrxComponent*> dirty_;
  bool flushQueued_ = false;
};

}  // namespace valmoro::designer
