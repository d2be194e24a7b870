#include "host_xml.h"

#include <QFile>
#include <QSaveFile>
#include <vector>

#include "host_persistent.h"
#include "host_streams.h"
#include "memory_limits.h"
#include "messages.h"
#include "platform/file_errors.h"
#include "run_error.h"

namespace valmoro::script {

namespace {

[[noreturn]] void xmlError(const QString& message) {
  throw RunError(error_class::InvalidOperation, message);
}

bool isWithin(const TfsXMLItem* item, const TfsXMLItem* ancestor) {
  for (const TfsXMLItem* i = item; i; i = i->Parent())
    if (i == ancestor) return true;
  return false;
}

}  // namespace

// ---- ScriptXMLTree ------------------------------------------------------------------------

ScriptXMLItem* ScriptXMLTree::objectOf(const std::shared_ptr<ScriptXMLTree>& self, TfsXMLItem* item) {
  if (!item) return nullptr;
  if (ScriptXMLItem* known = objects.value(item)) return known;
  auto* object = new ScriptXMLItem(self, item);
  objects.insert(item, object);
  return object;
}

void ScriptXMLTree::releaseBelow(const TfsXMLItem* item, const ScriptXMLItem* keep) {
  std::vector<ScriptXMLItem*> doomed;
  for (auto it = objects.begin(); it != objects.end();) {
    if (it.value() != keep && isWithin(it.key(), item)) {
      doomed.push_back(it.value());
      it = objects.erase(it);
    } else {
      ++it;
    }
  }
  const bool was = releasing;
  releasing = true;
  for (ScriptXMLItem* object : doomed) delete object;
  releasing = was;
}

// ---- ScriptXMLItem ------------------------------------------------------------------------

ScriptXMLItem::ScriptXMLItem(QObject* parent) : QObject(parent), tree_(std::make_shared<ScriptXMLTree>()) {
  tree_->ownedRoot = std::make_unique<TfsXMLItem>();
  item_ = tree_->ownedRoot.get();
  tree_->objects.insert(item_, this);
}

ScriptXMLItem::ScriptXMLItem(std::shared_ptr<ScriptXMLTree> tree, TfsXMLItem* item)
    : tree_(std::move(tree)), item_(item) {}

ScriptXMLItem::~ScriptXMLItem() {
  // Freed by its tree: the tree looks after the item.
  if (tree_->releasing) return;
  tree_->objects.remove(item_);
  if (item_ == tree_->documentRoot) return;  // the document keeps its root
  tree_->releaseBelow(item_);
  if (item_ == tree_->ownedRoot.get()) {
    tree_->ownedRoot.reset();
    return;
  }
  // An item inside a tree leaves it and is freed with its children.
  if (TfsXMLItem* parent = item_->Parent())
    for (int i = 0; i < parent->Count(); ++i)
      if (parent->Items(i) == item_) {
        parent->TakeItem(i);
        break;
      }
}

ScriptXMLItem* ScriptXMLItem::add() { return objectOf(item_->Add()); }

void ScriptXMLItem::insertItem(int index, ScriptXMLItem* child) {
  if (!child) xmlError(QStringLiteral("Cannot add a nil item"));
  if (index < 0 || index > item_->Count()) ListIndexError(index);
  TfsXMLItem* moved = child->item_;
  if (isWithin(item_, moved)) xmlError(QStringLiteral("An XML item cannot be placed below itself"));
  const std::shared_ptr<ScriptXMLTree> from = child->tree_;
  if (moved == from->documentRoot) xmlError(QStringLiteral("The root of a document cannot leave it"));
  // The objects of the moved subtree go over to this tree.
  if (from != tree_) {
    for (auto it = from->objects.begin(); it != from->objects.end();) {
      if (isWithin(it.key(), moved)) {
        it.value()->tree_ = tree_;
        tree_->objects.insert(it.key(), it.value());
        it = from->objects.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (moved == from->ownedRoot.get()) {
    // A tree of its own: this item takes it over; the old tree is empty now.
    item_->InsertItem(index, from->ownedRoot.release());
  } else {
    item_->InsertItem(index, moved);
  }
}

void ScriptXMLItem::remove(int index) {
  if (index < 0 || index >= item_->Count()) ListIndexError(index);
  tree_->releaseBelow(item_->Items(index));
  item_->TakeItem(index);
}

void ScriptXMLItem::clear() {
  tree_->releaseBelow(item_, this);
  item_->Clear();
}

ScriptXMLItem* ScriptXMLItem::child(int index) {
  if (index < 0 || index >= item_->Count()) ListIndexError(index);
  return objectOf(item_->Items(index));
}

ScriptXMLItem* ScriptXMLItem::parentItem() { return objectOf(item_->Parent()); }

ScriptXMLItem* ScriptXMLItem::rootItem() { return objectOf(item_->Root()); }

// ---- ScriptXMLDocument --------------------------------------------------------------------------

ScriptXMLDocument::ScriptXMLDocument(QObject* parent) : QObject(parent), tree_(std::make_shared<ScriptXMLTree>()) {
  tree_->documentRoot = document_.Root();
}

ScriptXMLDocument::~ScriptXMLDocument() {
  tree_->releaseBelow(document_.Root());
  tree_->documentRoot = nullptr;
}

ScriptXMLItem* ScriptXMLDocument::root() { return tree_->objectOf(tree_, document_.Root()); }

void ScriptXMLDocument::loadFromData(const QByteArray& data) {
  // The document's text must fit in a string (three bytes at most make one
  // character); its tree takes a few times as much again.
  CheckStringLength(data.size() / 3);
  TfsXMLDocument loaded;
  loaded.LoadFromData(data);
  TfsXMLItem* root = document_.Root();
  ScriptXMLItem* rootObject = tree_->objects.value(root);
  tree_->releaseBelow(root, rootObject);
  root->Clear();
  TfsXMLItem* from = loaded.Root();
  root->SetName(from->Name());
  root->SetText(from->Text());
  while (from->Count() > 0) root->AddItem(from->TakeItem(0).release());
}

void ScriptXMLDocument::loadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw RunError("EFOpenError", FileOpenErrorText(fileName, file.errorString()));
  CheckStringLength(file.size() / 3);
  loadFromData(file.readAll());
}

void ScriptXMLDocument::loadFromStream(TStream* stream) { loadFromData(stream->readRest()); }

void ScriptXMLDocument::saveToFile(const QString& fileName) const {
  // Written whole or not at all: a failed save leaves the old file.
  QSaveFile file(fileName);
  const QByteArray data = document_.SaveToData();
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !files::commitFile(file))
    throw RunError("EFCreateError", FileCreateErrorText(fileName, file.errorString()));
}

void ScriptXMLDocument::saveToStream(TStream* stream) const { stream->writeBytes(document_.SaveToData()); }

}  // namespace valmoro::script
