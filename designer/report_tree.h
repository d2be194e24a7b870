#pragma once
// The designer's report tree ("Drzewo raportu"): a thin view over
// ReportTreeModel. Its selection and the document's follow each other (one
// selection applied at once either way); renaming in place, dragging
// objects to other bands or places, a context menu of the window's actions
// and the keys of a tree (arrows, Home/End, typing a name's beginning).

#include <QList>
#include <QPointer>
#include <QWidget>

class QAction;
class QItemSelection;
class QMenu;
class QTreeView;

namespace valmoro::report {
class TfrxComponent;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;
class ReportTreeModel;

class ReportTree : public QWidget {
  Q_OBJECT

public:
  explicit ReportTree(DesignerDocument& document, QWidget* parent = nullptr);
  ~ReportTree() override;

  QTreeView* View() const { return view_; }
  ReportTreeModel& Model() const { return *model_; }

  // The window's actions for the context menu, in order; a null pointer is
  // a separator. "Zmień nazwę" follows them. An action with the Delete key
  // as its shortcut takes that key in the tree too.
  void SetContextActions(const QList<QAction*>& actions);
  // The context menu as it would open over the current selection.
  void FillContextMenu(QMenu& menu) const;
  QAction* RenameAction() const { return rename_; }

  // Starts renaming the current object in place.
  void RenameCurrent();
  // The Delete key: the window's delete action, or deleting the selection.
  void DeleteSelection();

signals:
  // A rename, a move or a deletion was refused: one Polish line to show.
  void refused(const QString& message);
  // Enter on an object: it is selected; the window may go to the workspace.
  void activated(valmoro::report::TfrxComponent* object);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The document's selection shown in the tree (one selection applied).
  void showDocumentSelection();
  // The tree's selection given to the document.
  void treeSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  void contextMenuAt(const QPoint& position);

  DesignerDocument& document_;
  ReportTreeModel* model_;
  QTreeView* view_;
  QAction* rename_;
  QList<QPointer<QAction>> contextActions_;
  bool hasContextActions_ = false;
  // Set while one selection is given to the other, so that it is not given back.
  bool syncing_ = false;
  // The document's selection named objects the tree did not show yet.
  bool selectionPending_ = false;
};

}  // namespace valmoro::designer
