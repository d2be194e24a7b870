#include "report/model/name_index.h"

#include <QVarLengthArray>
#include <algorithm>

#include "report/model/component.h"

namespace valmoro::report {

namespace {

bool isStrictDescendant(const TfrxComponent* object, const TfrxComponent* scope) {
  for (const TfrxComponent* p = object->Parent(); p; p = p->Parent())
    if (p == scope) return true;
  return false;
}

// Whether a comes before b in a depth-first walk of their common tree.
bool precedes(const TfrxComponent* a, const TfrxComponent* b) {
  QVarLengthArray<const TfrxComponent*, 16> chainA, chainB;
  for (const TfrxComponent* p = a; p; p = p->Parent()) chainA.append(p);
  for (const TfrxComponent* p = b; p; p = p->Parent()) chainB.append(p);
  std::reverse(chainA.begin(), chainA.end());
  std::reverse(chainB.begin(), chainB.end());
  qsizetype i = 0;
  while (i < chainA.size() && i < chainB.size() && chainA[i] == chainB[i]) ++i;
  if (i == chainA.size()) return true;  // a is an ancestor of b
  if (i == chainB.size() || i == 0) return false;
  const QList<TfrxComponent*>& siblings = chainA[i - 1]->Objects();
  return siblings.indexOf(chainA[i]) < siblings.indexOf(chainB[i]);
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

}  // namespace

void NameIndex::add(TfrxComponent* object, const QString& name) {
  if (!enabled_ || name.isEmpty() || object == root_) return;
  names_.insert(key(name), object);
}

void NameIndex::remove(TfrxComponent* object, const QString& name) {
  if (!enabled_ || name.isEmpty() || object == root_) return;
  const QString folded = key(name);
  if (names_.remove(folded, object) > 0) lowerHints(folded);
}

void NameIndex::addSubtree(TfrxComponent* object) {
  add(object, object->Name());
  for (TfrxComponent* child : object->Objects()) addSubtree(child);
}

void NameIndex::removeSubtree(TfrxComponent* object) {
  if (!enabled_) return;
  remove(object, object->Name());
  for (TfrxComponent* child : object->Objects()) removeSubtree(child);
}

TfrxComponent* NameIndex::find(const QString& name, const TfrxComponent* scope) const {
  TfrxComponent* best = nullptr;
  const QString folded = key(name);
  for (auto it = names_.constFind(folded); it != names_.cend() && it.key() == folded; ++it) {
    TfrxComponent* candidate = it.value();
    if (scope != root_ && !isStrictDescendant(candidate, scope)) continue;
    if (!best || precedes(candidate, best)) best = candidate;
  }
  return best;
}

QString NameIndex::uniqueName(const QString& prefix) {
  int& next = nextNumber_[key(prefix)];
  if (next < 1) next = 1;
  for (;; ++next) {
    const QString candidate = prefix + QString::number(next);
    if (!names_.contains(key(candidate))) return candidate;
  }
}

void NameIndex::disable() {
  enabled_ = false;
  names_.clear();
  nextNumber_.clear();
}

// A freed name "Memo12" may be prefix "Memo" with 12 or prefix "Memo1" with 2;
// every such prefix must try its number again.
void NameIndex::lowerHints(const QString& folded) {
  if (nextNumber_.isEmpty()) return;
  qsizetype start = folded.size();
  while (start > 0 && isAsciiDigit(folded[start - 1])) --start;
  for (qsizetype k = start; k < folded.size(); ++k) {
    if (folded[k] == u'0') continue;
    const auto it = nextNumber_.find(folded.left(k));
    if (it == nextNumber_.end()) continue;
    bool ok = false;
    const int number = QStringView(folded).mid(k).toInt(&ok);
    if (ok && number < *it) *it = number;
  }
}

}  // namespace valmoro::report
