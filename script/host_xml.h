#pragma once
// The engine's XML classes as scripts see them (TfsXMLItem, TfsXMLDocument):
// Qt objects standing for items of a tree that lives in a document or on
// its own.
//
// One object stands for one item for as long as the item exists, and a
// tree keeps the objects of its items: whatever removes items (Delete,
// Clear, loading, freeing the document) frees their objects too, so a
// script holding one reads nil instead of a freed item. Freeing an item
// object takes the item out of its parent and frees it with its children;
// the document's root stays with the document (only its object goes).

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

#include "xml_document.h"

namespace valmoro::script {

class TStream;
class ScriptXMLItem;

// The items of one tree and the objects that stand for them.
struct ScriptXMLTree {
  std::unique_ptr<TfsXMLItem> ownedRoot;  // a tree of its own (built by a script)
  TfsXMLItem* documentRoot = nullptr;     // or the root of a document
  QHash<const TfsXMLItem*, ScriptXMLItem*> objects;
  bool releasing = false;

  TfsXMLItem* root() const { return ownedRoot ? ownedRoot.get() : documentRoot; }
  ScriptXMLItem* objectOf(const std::shared_ptr<ScriptXMLTree>& self, TfsXMLItem* item);
  // Frees the objects of item and everything below it (except keep).
  void releaseBelow(const TfsXMLItem* item, const ScriptXMLItem* keep = nullptr);
};

class ScriptXMLItem : public QObject {
  Q_OBJECT

public:
  // A new item standing alone.
  Q_INVOKABLE explicit ScriptXMLItem(QObject* parent = nullptr);
  ScriptXMLItem(std::shared_ptr<ScriptXMLTree> tree, TfsXMLItem* item);
  ~ScriptXMLItem() override;

  TfsXMLItem* item() const { return item_; }
  ScriptXMLItem* objectOf(TfsXMLItem* item) { return tree_->objectOf(tree_, item); }

  ScriptXMLItem* add();
  // Moves an item (with its children) under this one; an item cannot go
  // below itself, and a document's root cannot leave its document.
  void insertItem(int index, ScriptXMLItem* child);
  void remove(int index);
  void clear();
  ScriptXMLItem* child(int index);
  ScriptXMLItem* parentItem();
  ScriptXMLItem* rootItem();

private:
  std::shared_ptr<ScriptXMLTree> tree_;
  TfsXMLItem* item_;
};

class ScriptXMLDocument : public QObject {
  Q_OBJECT

public:
  Q_INVOKABLE explicit ScriptXMLDocument(QObject* parent = nullptr);
  ~ScriptXMLDocument() override;

  ScriptXMLItem* root();
  bool autoIndent() const { return document_.AutoIndent; }
  void setAutoIndent(bool on) { document_.AutoIndent = on; }
  // Loading replaces the contents only when the whole text was read; a
  // damaged file raises and leaves the document as it was.
  void loadFromData(const QByteArray& data);
  void loadFromFile(const QString& fileName);
  void loadFromStream(TStream* stream);
  QByteArray saveToData() const { return document_.SaveToData(); }
  void saveToFile(const QString& fileName) const;
  void saveToStream(TStream* stream) const;

private:
  TfsXMLDocument document_;
  std::shared_ptr<ScriptXMLTree> tree_;
};

}  // namespace valmoro::script
