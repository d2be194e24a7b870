#include "report/model/changes.h"

#include <atomic>

#include "report/model/component.h"
#include "report/model/published.h"
#include "report/model/report.h"

namespace valmoro::report::changes {

namespace {

std::atomic<int> observerCount{0};
thread_local int silenced = 0;

// The report object that holds `target`, and the path of properties from
// it to `target` ("" for the object itself, "Font." for its font).
TfrxComponent* holderOf(QObject& target, QString& prefix) {
  QObject* at = &target;
  while (at != nullptr) {
    if (auto* component = qobject_cast<TfrxComponent*>(at)) return component;
    QObject* parent = at->parent();
    if (parent == nullptr) return nullptr;
    for (const PublishedProperty& p : publishedProperties(*parent->metaObject()))
      if (p.kind() == PropertyKind::Object && p.readObject(parent) == at) {
        prefix = QString::fromLatin1(p.name()) + QLatin1Char('.') + prefix;
        break;
      }
    at = parent;
  }
  return nullptr;
}

void announce(TfrxReport* report, const ReportChange& change) {
  if (report != nullptr) report->Announce(change);
}

}  // namespace

bool observed() { return silenced == 0 && observerCount.load(std::memory_order_relaxed) > 0; }

void propertyChanged(QObject& target, const QString& path, const QVariant& oldValue, const QVariant& newValue) {
  if (!observed() || oldValue == newValue) return;
  QString prefix;
  TfrxComponent* object = holderOf(target, prefix);
  if (object == nullptr) return;
  ReportChange change;
  change.kind = ReportChange::Kind::Property;
  change.object = object;
  change.property = prefix + path;
  change.oldValue = oldValue;
  change.newValue = newValue;
  announce(object->Report(), change);
}

void parentChanged(TfrxComponent& object, TfrxComponent* oldParent, TfrxComponent* newParent) {
  if (!observed() || oldParent == newParent) return;
  ReportChange change;
  change.object = &object;
  change.oldParent = oldParent;
  change.newParent = newParent;
  change.kind = oldParent == nullptr   ? ReportChange::Kind::Inserted
                : newParent == nullptr ? ReportChange::Kind::Removed
                                       : ReportChange::Kind::Reparented;
  TfrxReport* before = oldParent ? oldParent->Report() : nullptr;
  TfrxReport* after = newParent ? newParent->Report() : nullptr;
  if (auto* self = qobject_cast<TfrxReport*>(oldParent)) before = self;
  if (auto* self = qobject_cast<TfrxReport*>(newParent)) after = self;
  announce(after, change);
  if (before != after) announce(before, change);
}

Silence::Silence() { ++silenced; }
Silence::~Silence() { --silenced; }

void observerAdded() { observerCount.fetch_add(1, std::memory_order_relaxed); }
void observerRemoved() { observerCount.fetch_sub(1, std::memory_order_relaxed); }

}  // namespace valmoro::report::changes
