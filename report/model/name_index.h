#pragma once
// The report's index of object names, so that finding an object by name and
// making unique names do not walk the whole tree. It holds every descendant
// of the report that has a name; the report keeps it current as objects are
// renamed, moved and destroyed.

#include <QHash>
#include <QMultiHash>
#include <QString>

namespace valmoro::report {

class TfrxComponent;

class NameIndex {
public:
  explicit NameIndex(const TfrxComponent* root) : root_(root) {}

  void add(TfrxComponent* object, const QString& name);
  void remove(TfrxComponent* object, const QString& name);
  // The object and all its descendants.
  void addSubtree(TfrxComponent* object);
  void removeSubtree(TfrxComponent* object);

  // The first object named so (ignoring letter case) among the descendants of
  // scope, in depth-first order; none when there is none.
  TfrxComponent* find(const QString& name, const TfrxComponent* scope) const;
  // Whether any indexed object has this name, ignoring letter case.
  bool contains(const QString& name) const { return names_.contains(key(name)); }
  // prefix + the smallest positive number whose name is not indexed.
  QString uniqueName(const QString& prefix);

  // While disabled (the report being destroyed) the index stays empty.
  void disable();
  bool enabled() const { return enabled_; }

private:
  static QString key(const QString& name) { return name.toCaseFolded(); }
  void lowerHints(const QString& folded);

  const TfrxComponent* root_;
  QMultiHash<QString, TfrxComponent*> names_;
  // Per name prefix: every number below it is taken. Lowered when a name
  // that could be prefix + number leaves the index.
  QHash<QString, int> nextNumber_;
  bool enabled_ = true;
};

}  // namespace valmoro::report
