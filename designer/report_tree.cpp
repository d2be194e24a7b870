#include "designer/report_tree.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <QVBoxLayout>
#include <QSet>
#include <algorithm>
#include <vector>

#include "designer/designer_document.h"
#include "designer/object_editing.h"
#include "designer/report_tree_model.h"
#include "report/model/component.h"
#include "report/model/page.h"
#include "report/model/report.h"

namespace valmoro::designer {

using report::TfrxComponent;

namespace {

// A tree whose Ctrl+click takes a selected item out of the selection even
// with dragging on (the widgets leave it selected then, waiting for a drag
// that never comes).
class TreeView final : public QTreeView {
public:
  using QTreeView::QTreeView;

protected:
  void mousePressEvent(QMouseEvent* event) override {
    pressed_ = indexAt(event->position().toPoint());
    pressedSelected_ = pressed_.isValid() && selectionModel()->isSelected(pressed_);
    QTreeView::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QTreeView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if ((event->modifiers() & Qt::ControlModifier) && pressedSelected_ && index.isValid() && index == pressed_ &&
        selectionModel()->isSelected(index))
      selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    pressedSelected_ = false;
  }

private:
  QPersistentModelIndex pressed_;
  bool pressedSelected_ = false;
};

}  // namespace

ReportTree::ReportTree(DesignerDocument& document, QWidget* parent)
    : QWidget(parent), document_(document), model_(new ReportTreeModel(document, this)), view_(new TreeView(this)) {
  // activated() carries the object through queued connections and spies too.
  qRegisterMetaType<TfrxComponent*>();
  setWindowTitle(QStringLiteral("Drzewo raportu"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  view_->setModel(model_);
  view_->setUniformRowHeights(true);  // a long report lays out in one pass
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  view_->setDragDropMode(QAbstractItemView::InternalMove);
  view_->setDefaultDropAction(Qt::MoveAction);
  view_->setDropIndicatorShown(true);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->header()->setStretchLastSection(true);
  view_->header()->setSectionResizeMode(ReportTreeModel::NameColumn, QHeaderView::Interactive);
  view_->setColumnWidth(ReportTreeModel::NameColumn, 160);
  view_->installEventFilter(this);

  rename_ = new QAction(QStringLiteral("Zmień nazwę"), this);
  rename_->setObjectName(QStringLiteral("actTreeRename"));
  rename_->setShortcut(QKeySequence(Qt::Key_F2));
  rename_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(rename_);
  connect(rename_, &QAction::triggered, this, &ReportTree::RenameCurrent);

  connect(model_, &ReportTreeModel::refused, this, &ReportTree::refused);
  connect(model_, &ReportTreeModel::modelReset, this, [this] {
    view_->expandToDepth(1);
    showDocumentSelection();
  });
  connect(model_, &ReportTreeModel::flushed, this, [this] {
    if (selectionPending_) showDocumentSelection();
  });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ReportTree::treeSelectionChanged);
  connect(&document_, &DesignerDocument::selectionChanged, this, &ReportTree::showDocumentSelection);
  connect(view_, &QTreeView::customContextMenuRequested, this, &ReportTree::contextMenuAt);

  view_->expandToDepth(1);
  showDocumentSelection();
}

ReportTree::~ReportTree() = default;

// --- Selection ----------------------------------------------------------------------

void ReportTree::showDocumentSelection() {
  if (syncing_) return;
  const QList<TfrxComponent*>& objects = document_.Selection();
  selectionPending_ = false;
  // Rows of the same parent that follow each other make one range: a
  // thousand views of one band are a handful of ranges, not a thousand.
  struct Row {
    quintptr parent;
    int row;
    QModelIndex index;
  };
  std::vector<Row> rows;
  rows.reserve(size_t(objects.size()));
  for (const TfrxComponent* object : objects) {
    const QModelIndex index = model_->IndexOf(object);
    if (index.isValid()) rows.push_back({quintptr(index.parent().internalPointer()), index.row(), index});
    else selectionPending_ = true;  // made by an edit not over yet
  }
  std::sort(rows.begin(), rows.end(),
            [](const Row& a, const Row& b) { return a.parent != b.parent ? a.parent < b.parent : a.row < b.row; });
  QItemSelection selection;
  const int last = ReportTreeModel::ColumnCount - 1;
  for (size_t i = 0; i < rows.size();) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1].parent == rows[i].parent && rows[j + 1].row <= rows[j].row + 1) ++j;
    selection.append(QItemSelectionRange(rows[i].index, rows[j].index.siblingAtColumn(last)));
    i = j + 1;
  }
  syncing_ = true;
  QItemSelectionModel* model = view_->selectionModel();
  // The view works out the region of each range to repaint: for many
  // ranges, repainting what is shown is cheaper.
  const bool many = selection.size() > 16 || model->selection().size() > 16;
  if (many) view_->setUpdatesEnabled(false);
  model->select(selection, QItemSelectionModel::ClearAndSelect);
  if (many) {
    view_->setUpdatesEnabled(true);
    view_->viewport()->update();
  }
  if (!objects.isEmpty()) {
    const QModelIndex first = model_->IndexOf(objects.first());
    if (first.isValid()) {
      model->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
      view_->scrollTo(first);
    }
  }
  syncing_ = false;
}

void ReportTree::treeSelectionChanged(const QItemSelection& selected, const QItemSelection&) {
  if (syncing_) return;
  // One page's objects at a time, as the workspace shows them: the page of
  // the current item (the one clicked last).
  TfrxComponent* current = model_->ObjectAt(view_->currentIndex());
  const QModelIndexList rows = view_->selectionModel()->selectedRows(ReportTreeModel::NameColumn);
  if (current == nullptr && !rows.isEmpty()) current = model_->ObjectAt(rows.first());
  report::TfrxPage* page = current ? current->Page() : nullptr;
  QList<TfrxComponent*> chosen;
  QSet<const TfrxComponent*> inTree;
  for (const QModelIndex& row : rows)
    if (TfrxComponent* object = model_->ObjectAt(row)) inTree.insert(object);
  if (current && current == &document_.Report()) {
    if (inTree.contains(current)) chosen.append(current);
  } else {
    // The order of selecting: what stays selected first, then what came.
    for (TfrxComponent* object : document_.Selection())
      if (inTree.contains(object) && object->Page() == page) chosen.append(object);
    QSet<const TfrxComponent*> taken(chosen.begin(), chosen.end());
    auto add = [&](const QModelIndex& index) {
      TfrxComponent* object = model_->ObjectAt(index);
      if (object && object != &document_.Report() && object->Page() == page && !taken.contains(object)) {
        taken.insert(object);
        chosen.append(object);
      }
    };
    for (const QModelIndex& index : selected.indexes())
      if (index.column() == ReportTreeModel::NameColumn) add(index);
    for (const QModelIndex& row : rows) add(row);
  }
  syncing_ = true;
  if (page && page != document_.CurrentPage() && document_.Pages().contains(page)) document_.SetCurrentPage(page);
  document_.SetSelection(chosen);
  syncing_ = false;
  // What the document did not take (another page's objects) leaves the tree.
  if (chosen.size() != inTree.size()) showDocumentSelection();
}

// --- Actions ------------------------------------------------------------------------

void ReportTree::SetContextActions(const QList<QAction*>& actions) {
  contextActions_.clear();
  for (QAction* action : actions) contextActions_.append(action);
  hasContextActions_ = true;
}

void ReportTree::FillContextMenu(QMenu& menu) const {
  for (const QPointer<QAction>& action : contextActions_) {
    if (action) menu.addAction(action);
    else menu.addSeparator();
  }
  if (!menu.isEmpty()) menu.addSeparator();
  rename_->setEnabled(model_->flags(view_->currentIndex().siblingAtColumn(ReportTreeModel::NameColumn)) &
                      Qt::ItemIsEditable);
  menu.addAction(rename_);
}

void ReportTree::contextMenuAt(const QPoint& position) {
  const QModelIndex index = view_->indexAt(position);
  if (index.isValid() && !view_->selectionModel()->isSelected(index))
    view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QMenu menu(this);
  FillContextMenu(menu);
  menu.exec(view_->viewport()->mapToGlobal(position));
}

void ReportTree::RenameCurrent() {
  const QModelIndex index = view_->currentIndex().siblingAtColumn(ReportTreeModel::NameColumn);
  if (index.isValid() && (model_->flags(index) & Qt::ItemIsEditable)) view_->edit(index);
}

void ReportTree::DeleteSelection() {
  for (const QPointer<QAction>& action : contextActions_)
    if (action && action->shortcut() == QKeySequence(QKeySequence::Delete)) {
      if (action->isEnabled()) action->trigger();
      return;
    }
  if (document_.Selection().isEmpty()) return;
  const QString refusal = DeleteObjects(document_, document_.SelectedNames());
  if (!refusal.isEmpty()) emit refused(refusal);
}

bool ReportTree::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
      DeleteSelection();
      return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
      const QModelIndex index = view_->currentIndex();
      if (TfrxComponent* object = model_->ObjectAt(index)) {
        if (!view_->selectionModel()->isSelected(index))
          view_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        emit activated(object);
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace valmoro::designer
