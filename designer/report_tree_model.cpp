#include "designer/report_tree_model.h"

#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QUndoStack>
#include <algorithm>

#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/object_catalogue.h"
#include "designer/object_editing.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/dialog.h"
#include "report/model/edit/commands.h"
#include "report/model/line_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"

namespace valmoro::designer {

using report::ReportChange;
using report::ReportError;
using report::TfrxComponent;

namespace {

// The catalogue entry an object was made from: for a class with several
// kinds (lines, shapes) the one its properties say.
const CatalogueEntry* entryFor(const TfrxComponent& object) {
  const QString className = object.ClassName();
  if (const auto* line = qobject_cast<const report::TfrxLineView*>(&object)) {
    QString kind = QStringLiteral("horizontal");
    if (line->ArrowStart() && line->ArrowEnd()) kind = QStringLiteral("arrows");
    else if (line->ArrowEnd()) kind = QStringLiteral("arrow-end");
    else if (line->ArrowStart()) kind = QStringLiteral("arrow-start");
    else if (line->Diagonal()) kind = QStringLiteral("diagonal");
    else if (line->Width() == 0 && line->Height() > 0) kind = QStringLiteral("vertical");
    if (const CatalogueEntry* entry = FindCatalogueEntry(className + QLatin1Char('/') + kind)) return entry;
  }
  if (const auto* shape = qobject_cast<const report::TfrxShapeView*>(&object))
    for (const CatalogueEntry& entry : ObjectCatalogue())
      if (entry.className == className && entry.flag == int(shape->Shape())) return &entry;
  for (const CatalogueEntry& entry : ObjectCatalogue())
    if (entry.className == className) return &entry;
  return nullptr;
}

// The report, its pages and objects of other parts have no catalogue
// entry: a sheet, a window or a plain box, drawn once.
QIcon drawnIcon(const QString& kind) {
  QIcon icon;
  for (int size : {16, 24}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 16.0;
    painter.scale(s, s);
    painter.setPen(QPen(QColor(70, 70, 70), 1 / s));
    if (kind == u"dialog") {
      painter.setBrush(QColor(250, 250, 250));
      painter.drawRect(QRectF(1.5, 2.5, 13, 11));
      painter.fillRect(QRectF(2, 3, 12, 2.5), QColor(60, 110, 190));
      painter.drawRect(QRectF(4.5, 9.5, 7, 2));
    } else if (kind == u"page" || kind == u"report") {
      painter.setBrush(Qt::white);
      painter.drawRect(QRectF(3.5, 1.5, 9, 13));
      if (kind == u"report") {
        painter.fillRect(QRectF(4, 2, 8, 2.5), QColor(60, 110, 190));
        for (double y : {6.5, 8.5, 10.5, 12.5}) painter.drawLine(QPointF(5, y), QPointF(11, y));
      }
    } else {
      painter.setBrush(QColor(230, 230, 230));
      painter.drawRect(QRectF(2.5, 4.5, 11, 7));
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QString ReportTreeModel::MimeType() { return QStringLiteral("application/x-valmoro-report-objects"); }

ReportTreeModel::ReportTreeModel(DesignerDocument& document, QObject* parent)
    : QAbstractItemModel(parent), document_(document) {
  connect(&document_, &DesignerDocument::changed, this, &ReportTreeModel::reportChanged);
  connect(&document_, &DesignerDocument::documentReplaced, this, &ReportTreeModel::Rebuild);
  // Each edit, undo and redo ends with the stack's index changing: what it
  // inserted is made by then.
  connect(&document_.UndoStack(), &QUndoStack::indexChanged, this, &ReportTreeModel::Flush);
  Rebuild();
}

ReportTreeModel::~ReportTreeModel() = default;

// --- Building -----------------------------------------------------------------------

QList<TfrxComponent*> ReportTreeModel::shownChildren(const TfrxComponent& object) const {
  if (&object != &document_.Report()) return object.Objects();
  // Of the report's own children only the pages the designer shows as tabs.
  QList<TfrxComponent*> pages;
  for (TfrxComponent* child : object.Objects())
    if (qobject_cast<report::TfrxReportPage*>(child) || qobject_cast<report::TfrxDialogPage*>(child))
      pages.append(child);
  return pages;
}

std::unique_ptr<ReportTreeModel::Node> ReportTreeModel::makeNode(TfrxComponent* object, Node* parent, int row) {
  auto node = std::make_unique<Node>();
  node->object = object;
  node->key = object;
  node->parent = parent;
  node->row = row;
  nodes_.insert(object, node.get());
  const QList<TfrxComponent*> children = shownChildren(*object);
  node->children.reserve(children.size());
  for (int i = 0; i < children.size(); ++i) node->children.push_back(makeNode(children[i], node.get(), i));
  return node;
}

void ReportTreeModel::Rebuild() {
  beginResetModel();
  nodes_.clear();
  dirty_.clear();
  root_.children.clear();
  nodes_.reserve(document_.Report().AllObjects().size() + 1);
  root_.children.push_back(makeNode(&document_.Report(), &root_, 0));
  endResetModel();
}

void ReportTreeModel::forget(Node* node) {
  nodes_.remove(node->key);
  dirty_.remove(const_cast<TfrxComponent*>(node->key));
  for (const auto& child : node->children) forget(child.get());
}

void ReportTreeModel::renumber(Node* parent, size_t from) {
  for (size_t i = from; i < parent->children.size(); ++i) parent->children[i]->row = int(i);
}

// --- Following the report -----------------------------------------------------------

void ReportTreeModel::reportChanged(const ReportChange& change) {
  switch (change.kind) {
    case ReportChange::Kind::Property:
      if (change.property == u"Name") {
        if (Node* node = nodeOf(change.object)) {
          const QModelIndex index = indexOfNode(node);
          emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
        }
      } else if (change.property == u"IndexInParent" && change.object) {
        markDirty(change.object->Parent());
      }
      break;
    case ReportChange::Kind::Inserted:
      markDirty(change.newParent);
      break;
    case ReportChange::Kind::Removed:
      // The object is in its destruction: only its node is looked at.
      if (Node* node = nodeOf(change.object)) removeNode(node);
      break;
    case ReportChange::Kind::Reparented: {
      Node* node = nodeOf(change.object);
      Node* target = nodeOf(change.newParent);
      if (node && target && change.newParent != &document_.Report())
        moveNode(node, target, int(target->children.size()));
      else if (node)
        removeNode(node);
      // The model may put it at another place among its new siblings.
      markDirty(change.newParent);
      break;
    }
  }
}

void ReportTreeModel::markDirty(TfrxComponent* object) {
  // The nearest ancestor shown is compared again: what is not shown
  // under it yet comes with it.
  while (object && !nodes_.contains(object)) object = object->Parent();
  if (object == nullptr) return;
  dirty_.insert(object);
  if (!flushQueued_) {
    flushQueued_ = true;
    // For changes made outside the undo stack: taken when the event loop
    // runs next at the latest.
    QMetaObject::invokeMethod(this, &ReportTreeModel::Flush, Qt::QueuedConnection);
  }
}

void ReportTreeModel::Flush() {
  flushQueued_ = false;
  if (dirty_.isEmpty()) return;
  while (!dirty_.isEmpty()) {
    TfrxComponent* object = *dirty_.begin();
    dirty_.erase(dirty_.begin());
    if (Node* node = nodeOf(object)) sync(node);
  }
  emit flushed();
}

void ReportTreeModel::sync(Node* node) {
  if (node->object.isNull()) {
    removeNode(node);
    return;
  }
  const QList<TfrxComponent*> wanted = shownChildren(*node->object);
  const QModelIndex parentIndex = indexOfNode(node);
  for (int i = 0; i < wanted.size(); ++i) {
    TfrxComponent* object = wanted[i];
    if (size_t(i) < node->children.size() && node->children[i]->key == object) continue;
    if (Node* existing = nodeOf(object)) {
      moveNode(existing, node, i);
      continue;
    }
    beginInsertRows(parentIndex, i, i);
    node->children.insert(node->children.begin() + i, makeNode(object, node, i));
    renumber(node, size_t(i) + 1);
    endInsertRows();
  }
  // What is left after the wanted ones went elsewhere without being told.
  while (node->children.size() > size_t(wanted.size())) removeNode(node->children.back().get());
}

void ReportTreeModel::removeNode(Node* node) {
  Node* parent = node->parent;
  const int row = node->row;
  beginRemoveRows(indexOfNode(parent), row, row);
  forget(node);
  parent->children.erase(parent->children.begin() + row);
  renumber(parent, size_t(row));
  endRemoveRows();
}

void ReportTreeModel::moveNode(Node* node, Node* newParent, int row) {
  Node* oldParent = node->parent;
  const int from = node->row;
  if (oldParent == newParent && (row == from || row == from + 1)) return;
  if (!beginMoveRows(indexOfNode(oldParent), from, from, indexOfNode(newParent), row)) return;
  std::unique_ptr<Node> taken = std::move(oldParent->children[from]);
  oldParent->children.erase(oldParent->children.begin() + from);
  const int to = oldParent == newParent && row > from ? row - 1 : row;
  taken->parent = newParent;
  newParent->children.insert(newParent->children.begin() + to, std::move(taken));
  renumber(oldParent, size_t(std::min(from, oldParent == newParent ? to : from)));
  if (oldParent != newParent) renumber(newParent, size_t(to));
  endMoveRows();
}

// --- Lookup -------------------------------------------------------------------------

ReportTreeModel::Node* ReportTreeModel::nodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

ReportTreeModel::Node* ReportTreeModel::nodeOf(const TfrxComponent* object) const { return nodes_.value(object); }

QModelIndex ReportTreeModel::indexOfNode(const Node* node, int column) const {
  if (node == nullptr || node == &root_) return {};
  return createIndex(node->row, column, const_cast<Node*>(node));
}

TfrxComponent* ReportTreeModel::ObjectAt(const QModelIndex& index) const {
  const Node* node = nodeOf(index);
  return node ? node->object.data() : nullptr;
}

QModelIndex ReportTreeModel::IndexOf(const TfrxComponent* object, int column) const {
  return indexOfNode(nodeOf(object), column);
}

bool ReportTreeModel::Shows(const TfrxComponent* object) const { return nodes_.contains(object); }

// --- Captions -----------------------------------------------------------------------

QString ReportTreeModel::KindCaption(const TfrxComponent& object) {
  if (qobject_cast<const report::TfrxReport*>(&object)) return QStringLiteral("Raport");
  if (qobject_cast<const report::TfrxDialogPage*>(&object)) return QStringLiteral("Strona dialogu");
  if (qobject_cast<const report::TfrxReportPage*>(&object)) return QStringLiteral("Strona raportu");
  if (const CatalogueEntry* entry = entryFor(object)) return entry->caption;
  return object.KindCaption();
}

QIcon ReportTreeModel::KindIcon(const TfrxComponent& object) {
  static QHash<QString, QIcon> icons;
  const CatalogueEntry* entry = nullptr;
  QString key;
  if (qobject_cast<const report::TfrxReport*>(&object)) key = QStringLiteral("report");
  else if (qobject_cast<const report::TfrxDialogPage*>(&object)) key = QStringLiteral("dialog");
  else if (qobject_cast<const report::TfrxReportPage*>(&object)) key = QStringLiteral("page");
  else if ((entry = entryFor(object))) key = entry->id;
  else key = QStringLiteral("other");
  auto found = icons.constFind(key);
  if (found != icons.constEnd()) return *found;
  return icons.insert(key, entry ? CatalogueIcon(*entry) : drawnIcon(key)).value();
}

// --- QAbstractItemModel -------------------------------------------------------------

QModelIndex ReportTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const Node* node = parent.isValid() ? nodeOf(parent) : &root_;
  if (node == nullptr || row < 0 || size_t(row) >= node->children.size() || column < 0 || column >= ColumnCount)
    return {};
  return createIndex(row, column, node->children[row].get());
}

QModelIndex ReportTreeModel::parent(const QModelIndex& child) const {
  const Node* node = nodeOf(child);
  return node ? indexOfNode(node->parent) : QModelIndex();
}

int ReportTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const Node* node = parent.isValid() ? nodeOf(parent) : &root_;
  return node ? int(node->children.size()) : 0;
}

int ReportTreeModel::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant ReportTreeModel::data(const QModelIndex& index, int role) const {
  const TfrxComponent* object = ObjectAt(index);
  if (object == nullptr) return {};
  const bool isReport = object == &document_.Report();
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == KindColumn) return KindCaption(*object);
      // The report has no name of its own in most documents.
      return isReport && object->Name().isEmpty() ? QStringLiteral("Raport") : object->Name();
    case Qt::EditRole:
      return index.column() == NameColumn ? QVariant(object->Name()) : QVariant();
    case Qt::DecorationRole:
      return index.column() == NameColumn ? QVariant(KindIcon(*object)) : QVariant();
    case Qt::ToolTipRole:
      return QStringLiteral("%1: %2").arg(object->Name(), KindCaption(*object));
    default:
      return {};
  }
}

QVariant ReportTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == NameColumn ? QStringLiteral("Nazwa") : QStringLiteral("Rodzaj");
}

Qt::ItemFlags ReportTreeModel::flags(const QModelIndex& index) const {
  const TfrxComponent* object = ObjectAt(index);
  if (object == nullptr) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
  if (object == &document_.Report()) return flags;
  if (!qobject_cast<const report::TfrxPage*>(object)) flags |= Qt::ItemIsDragEnabled;
  if (index.column() == NameColumn && !object->IsAncestor()) flags |= Qt::ItemIsEditable;
  return flags;
}

bool ReportTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TfrxComponent* object = ObjectAt(index);
  if (object == nullptr || role != Qt::EditRole || index.column() != NameColumn) return false;
  const QString refusal = Rename(*object, value.toString());
  if (!refusal.isEmpty()) {
    emit refused(refusal);
    return false;
  }
  return true;
}

// --- Renaming -----------------------------------------------------------------------

QString ReportTreeModel::Rename(TfrxComponent& object, const QString& typed) {
  const QString name = typed.trimmed();
  if (name == object.Name()) return {};
  if (const QString refusal = NameRefusal(object, name); !refusal.isEmpty()) return refusal;
  const QString oldName = object.Name();
  document_.EndGesture();
  const QString refusal = document_.Run([&] {
    return new report::edit::SetPropertyCommand(document_.Report(), {oldName}, QStringLiteral("Name"), name);
  });
  // A rename is a step of its own: the next one does not merge into it.
  document_.EndGesture();
  return refusal;
}

// --- Moving -------------------------------------------------------------------------

QString ReportTreeModel::moveRefusal(const TfrxComponent& object, const TfrxComponent& target) const {
  if (&object == &document_.Report()) return QStringLiteral("Raportu nie można przenieść.");
  if (qobject_cast<const report::TfrxPage*>(&object))
    return QStringLiteral("Strony %1 nie przenosi się w drzewie raportu.").arg(object.Name());
  for (const TfrxComponent* p = &target; p; p = p->Parent())
    if (p == &object) return QStringLiteral("Obiektu %1 nie można umieścić w nim samym.").arg(object.Name());
  if (qobject_cast<const report::TfrxBand*>(&object)) {
    if (&target != object.Page())
      return QStringLiteral("Pasmo %1 można przenieść tylko w obrębie strony %2.")
          .arg(object.Name(), object.Page() ? object.Page()->Name() : QString());
    return {};
  }
  if (&target == object.Parent()) return {};
  if (qobject_cast<const report::TfrxDialogPage*>(object.Parent())) {
    if (!qobject_cast<const report::TfrxDialogPage*>(&target))
      return QStringLiteral("Element %1 można umieścić tylko na stronie dialogu.").arg(object.Name());
    return {};
  }
  if (!qobject_cast<const report::TfrxBand*>(&target))
    return QStringLiteral("Obiekt %1 można umieścić tylko w paśmie.").arg(object.Name());
  return {};
}

QString ReportTreeModel::Move(const QList<TfrxComponent*>& given, TfrxComponent* target, int row) {
  Flush();
  Node* targetNode = nodeOf(target);
  if (given.isEmpty() || targetNode == nullptr) return {};
  // In the tree's order, each once: they keep their order where they go.
  QList<TfrxComponent*> objects;
  for (TfrxComponent* object : given)
    if (object && !objects.contains(object) && nodeOf(object)) objects.append(object);
  for (const TfrxComponent* object : objects)
    if (QString refusal = moveRefusal(*object, *target); !refusal.isEmpty()) return refusal;
  auto pathOf = [this](const TfrxComponent* object) {
    QList<int> path;
    for (const Node* node = nodeOf(object); node && node != &root_; node = node->parent) path.prepend(node->row);
    return path;
  };
  std::sort(objects.begin(), objects.end(),
            [&](const TfrxComponent* a, const TfrxComponent* b) { return pathOf(a) < pathOf(b); });

  // They go before the first child at `row` that is not moved itself.
  const TfrxComponent* anchor = nullptr;
  for (int i = std::max(row, 0); row >= 0 && size_t(i) < targetNode->children.size(); ++i)
    if (!objects.contains(targetNode->children[i]->object.data())) {
      anchor = targetNode->children[i]->object.data();
      break;
    }

  QStringList names;
  for (const TfrxComponent* object : objects) names.append(object->Name());
  std::unique_ptr<CommandGroup> group;
  report::TfrxReport& report = document_.Report();
  try {
    group = CommandGroup::Build(
        QStringLiteral("Przeniesienie %1 do %2").arg(names.join(QStringLiteral(", ")), target->Name()),
        [&](CommandGroup& steps) {
          for (const TfrxComponent* object : objects)
            if (object->Parent() != target)
              steps.Add(new report::edit::ReparentCommand(report, object->Name(), target->Name()));
          // Each in turn just before the anchor: those placed earlier stay
          // before it in their order.
          for (const TfrxComponent* object : objects) {
            const int from = object->IndexInParent();
            int to = int(target->Objects().size()) - 1;
            if (anchor) {
              const int at = anchor->IndexInParent();
              to = from < at ? at - 1 : at;
            }
            if (to != from) steps.Add(new report::edit::MoveChildCommand(report, object->Name(), to));
          }
        });
  } catch (const ReportError& e) {
    return e.message();
  }
  if (group->IsEmpty()) return {};
  document_.Push(group.release());
  // A view taken to a band of another page: that page is shown with it.
  if (auto* page = target->Page(); page && page != document_.CurrentPage() && document_.Pages().contains(page)) {
    document_.SetCurrentPage(page);
    document_.SetSelection(objects);
  }
  return {};
}

// --- Dragging -----------------------------------------------------------------------

QStringList ReportTreeModel::mimeTypes() const { return {MimeType()}; }

QMimeData* ReportTreeModel::mimeData(const QModelIndexList& indexes) const {
  QStringList names;
  for (const QModelIndex& index : indexes) {
    const TfrxComponent* object = ObjectAt(index);
    if (object && (flags(index) & Qt::ItemIsDragEnabled) && !names.contains(object->Name()))
      names.append(object->Name());
  }
  if (names.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(MimeType(), names.join(QLatin1Char('\n')).toUtf8());
  return data;
}

QList<TfrxComponent*> ReportTreeModel::objectsOf(const QMimeData* data) const {
  QList<TfrxComponent*> objects;
  if (data == nullptr || !data->hasFormat(MimeType())) return objects;
  const QStringList names = QString::fromUtf8(data->data(MimeType())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const QString& name : names)
    if (TfrxComponent* object = document_.Report().FindObject(name)) objects.append(object);
  return objects;
}

Qt::DropActions ReportTreeModel::supportedDragActions() const { return Qt::MoveAction; }

Qt::DropActions ReportTreeModel::supportedDropActions() const { return Qt::MoveAction; }

bool ReportTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                      const QModelIndex& parent) const {
  // A drop the tree refuses is still taken, so that the refusal is said.
  return action == Qt::MoveAction && ObjectAt(parent) != nullptr && data && data->hasFormat(MimeType());
}

bool ReportTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                   const QModelIndex& parent) {
  if (action == Qt::IgnoreAction) return true;
  TfrxComponent* target = ObjectAt(parent);
  const QList<TfrxComponent*> objects = objectsOf(data);
  if (target == nullptr || objects.isEmpty()) return false;
  const QString refusal = Move(objects, target, row);
  if (!refusal.isEmpty()) {
    emit refused(refusal);
    return false;
  }
  return true;
}

}  // namespace valmoro::designer
