#include "host_persistent.h"

#include <QMetaProperty>
#include <algorithm>

#include "memory_limits.h"
#include "run_error.h"

namespace valmoro::script {

void ListIndexError(int index) {
  throw RunError(QStringLiteral("EListError"), QStringLiteral("List index out of bounds (%1)").arg(index));
}

// ---- Assign ---------------------------------------------------------------------------------

bool TPersistent::AssignFrom(QObject*) { return false; }

namespace {

// Copies the published properties (beyond QObject's own) that both objects
// have by name and the target can write.
void copyProperties(QObject* target, const QObject* source) {
  const QMetaObject* to = target->metaObject();
  const QMetaObject* from = source->metaObject();
  for (int i = QObject::staticMetaObject.propertyCount(); i < to->propertyCount(); ++i) {
    const QMetaProperty out = to->property(i);
    if (!out.isWritable() || !out.isStored()) continue;
    const int j = from->indexOfProperty(out.name());
    if (j < QObject::staticMetaObject.propertyCount()) continue;
    const QMetaProperty in = from->property(j);
    if (in.isReadable()) out.write(target, in.read(source));
  }
}

}  // namespace

void AssignObject(QObject* target, QObject* source, const QString& targetName, const QString& sourceName) {
  if (target && source) {
    if (target == source) return;
    if (auto* persistent = qobject_cast<TPersistent*>(target); persistent && persistent->AssignFrom(source)) return;
    const QMetaObject* a = target->metaObject();
    const QMetaObject* b = source->metaObject();
    // Related classes share their published properties; our own classes
    // answered above, and an unrelated pair has nothing sound to copy.
    if (!qobject_cast<TPersistent*>(target) && (a->inherits(b) || b->inherits(a))) {
      copyProperties(target, source);
      return;
    }
  }
  throw RunError(error_class::ConvertError, QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, targetName));
}

// ---- TCollectionItem -------------------------------------------------------------------------

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->detach(this);
}

void TCollectionItem::setCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->detach(this);
  setParent(collection);
  if (collection) collection->attach(this, collection->count());
}

int TCollectionItem::index() const { return collection_ ? collection_->indexOf(this) : -1; }

void TCollectionItem::setIndex(int index) {
  if (!collection_) return;
  const int from = this->index();
  collection_->checkIndex(index, collection_->count());
  auto& items = collection_->items_;
  items.erase(items.begin() + from);
  items.insert(items.begin() + index, this);
}

bool TCollectionItem::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TCollectionItem*>(source);
  if (!other) return false;
  displayName_ = other->displayName_;
  // Descendant classes bring published properties of their own.
  if (source->metaObject()->inherits(metaObject()) || metaObject()->inherits(source->metaObject()))
    copyProperties(this, source);
  return true;
}

// ---- TCollection -----------------------------------------------------------------------------

TCollection::TCollection(const QMetaObject* itemClass, QObject* parent) : TPersistent(parent), itemClass_(itemClass) {}

TCollection::~TCollection() { clear(); }

void TCollection::checkIndex(int index, int size) const {
  if (index < 0 || index >= size) ListIndexError(index);
}

TCollectionItem* TCollection::item(int index) const {
  checkIndex(index, count());
  return items_[size_t(index)];
}

void TCollection::attach(TCollectionItem* item, int index) {
  item->collection_ = this;
  item->id_ = nextId_++;
  items_.insert(items_.begin() + index, item);
}

void TCollection::detach(TCollectionItem* item) {
  std::erase(items_, item);
  item->collection_ = nullptr;
}

TCollectionItem* TCollection::insert(int index) {
  checkIndex(index, count() + 1);
  QObject* created = itemClass_ ? itemClass_->newInstance(Q_ARG(QObject*, this)) : nullptr;
  auto* item = qobject_cast<TCollectionItem*>(created);
  if (!item) {
    delete created;
    item = new TCollectionItem(this);
  }
  attach(item, index);
  return item;
}

TCollectionItem* TCollection::add() { return insert(count()); }

void TCollection::remove(int index) { delete item(index); }

void TCollection::clear() {
  // Items take themselves out of the list as they go.
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::findItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id() == id) return item;
  return nullptr;
}

int TCollection::indexOf(const TCollectionItem* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

bool TCollection::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TCollection*>(source);
  if (!other) return false;
  clear();
  for (TCollectionItem* from : other->items_) {
    TCollectionItem* to = add();
    to->AssignFrom(from);
  }
  return true;
}

// ---- TList ----------------------------------------------------------------------------------

namespace {

bool sameValue(const Variant& a, const Variant& b) {
  const bool objectA = a.IsObject() || a.IsVoid();
  const bool objectB = b.IsObject() || b.IsVoid();
  if (objectA || objectB) {
    if (a.IsObject() && b.IsObject()) return a.AsObject() == b.AsObject();
    // nil matches a freed object, nil itself and the integer 0.
    auto isNil = [](const Variant& v) {
      return v.IsVoid() || (v.IsObject() && !v.AsObject()) || (v.IsInteger() && v.ToInt64() == 0);
    };
    return isNil(a) && isNil(b);
  }
  try {
    return VarEquals(a, b);
  } catch (const ScriptError&) {
    return false;  // values that cannot be compared are not equal
  }
}

}  // namespace

void TList::checkIndex(int index, int size) const {
  if (index < 0 || index >= size) ListIndexError(index);
}

void TList::setCount(int count) {
  if (count < 0) ListIndexError(count);
  CheckListItems(count);
  items_.resize(size_t(count), Variant::FromObject(nullptr));
}

const Variant& TList::at(int index) const {
  checkIndex(index, count());
  return items_[size_t(index)];
}

void TList::put(int index, const Variant& value) {
  checkIndex(index, count());
  items_[size_t(index)] = value;
}

int TList::add(const Variant& value) {
  CheckListItems(qint64(items_.size()) + 1);
  items_.push_back(value);
  return count() - 1;
}

void TList::insert(int index, const Variant& value) {
  checkIndex(index, count() + 1);
  CheckListItems(qint64(items_.size()) + 1);
  items_.insert(items_.begin() + index, value);
}

void TList::remove(int index) {
  checkIndex(index, count());
  items_.erase(items_.begin() + index);
}

int TList::removeValue(const Variant& value) {
  const int index = indexOf(value);
  if (index >= 0) remove(index);
  return index;
}

int TList::indexOf(const Variant& value) const {
  for (int i = 0; i < count(); ++i)
    if (sameValue(items_[size_t(i)], value)) return i;
  return -1;
}

void TList::exchange(int a, int b) {
  checkIndex(a, count());
  checkIndex(b, count());
  std::swap(items_[size_t(a)], items_[size_t(b)]);
}

void TList::move(int from, int to) {
  checkIndex(from, count());
  checkIndex(to, count());
  Variant value = items_[size_t(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, value);
}

}  // namespace valmoro::script
