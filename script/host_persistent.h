#pragma once
// The small object classes scripts build with: TPersistent (Assign),
// TComponent (owner, name, owned components), TCollection with its
// TCollectionItem, and TList.
//
// Owners are Qt parents: a component created with an owner is freed with
// it, and freeing it first takes it out of its owner. Collections own their
// items the same way. Every reference a script holds is tracked, so an
// object freed by any of these routes reads as nil afterwards.

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "variant.h"

namespace valmoro::script {

// The base of this engine's own persistent classes. AssignFrom copies what
// the class knows how to copy and answers whether it did.
class TPersistent : public QObject {
  Q_OBJECT

public:
  explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}
  virtual bool AssignFrom(QObject* source);
};

// Assign for any object: a TPersistent of ours copies itself; other objects
// copy the published properties they share with the source when one class
// descends from the other. Anything else (nil too) raises EConvertError
// "Cannot assign a TX to a TY".
void AssignObject(QObject* target, QObject* source, const QString& targetName, const QString& sourceName);

class TComponent : public TPersistent {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TComponent(QObject* owner = nullptr) : TPersistent(owner) {}
};

class TCollection;

class TCollectionItem : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(QString DisplayName READ displayName WRITE setDisplayName)

public:
  Q_INVOKABLE explicit TCollectionItem(QObject* parent = nullptr) : TPersistent(parent) {}
  ~TCollectionItem() override;

  TCollection* collection() const { return collection_; }
  // Moves the item to another collection (none: the item stands alone).
  void setCollection(TCollection* collection);
  int index() const;
  void setIndex(int index);
  int id() const { return id_; }
  QString displayName() const { return displayName_; }
  void setDisplayName(const QString& name) { displayName_ = name; }
  bool AssignFrom(QObject* source) override;

private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
  QString displayName_;
};

class TCollection : public TPersistent {
  Q_OBJECT

public:
  // Items are created of itemClass, which must descend from TCollectionItem
  // and have an invokable constructor taking the parent.
  Q_INVOKABLE explicit TCollection(QObject* parent = nullptr)
      : TCollection(&TCollectionItem::staticMetaObject, parent) {}
  explicit TCollection(const QMetaObject* itemClass, QObject* parent = nullptr);
  ~TCollection() override;

  int count() const { return int(items_.size()); }
  // Index checks raise EListError.
  TCollectionItem* item(int index) const;
  TCollectionItem* add();
  TCollectionItem* insert(int index);
  void remove(int index);
  void clear();
  TCollectionItem* findItemID(int id) const;
  int indexOf(const TCollectionItem* item) const;
  bool AssignFrom(QObject* source) override;

private:
  friend class TCollectionItem;
  void attach(TCollectionItem* item, int index);
  void detach(TCollectionItem* item);
  void checkIndex(int index, int size) const;

  const QMetaObject* itemClass_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
};

// A list of values, most often objects. Objects are tracked: one freed
// elsewhere stays in the list as nil until it is deleted from it.
class TList : public QObject {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TList(QObject* parent = nullptr) : QObject(parent) {}

  int count() const { return int(items_.size()); }
  // Growing adds nil entries; shrinking drops the last ones.
  void setCount(int count);
  // Index checks raise EListError.
  const Variant& at(int index) const;
  void put(int index, const Variant& value);
  int add(const Variant& value);
  void insert(int index, const Variant& value);
  void remove(int index);
  // Removes the first occurrence; its former index, or -1.
  int removeValue(const Variant& value);
  int indexOf(const Variant& value) const;
  void exchange(int a, int b);
  void move(int from, int to);
  void clear() { items_.clear(); }

private:
  void checkIndex(int index, int size) const;
  std::vector<Variant> items_;
};

// Raises EListError "List index out of bounds (n)".
[[noreturn]] void ListIndexError(int index);

}  // namespace valmoro::script
