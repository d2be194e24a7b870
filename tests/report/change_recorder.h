#pragma once
// What a report said changed, one line per change, for tests to compare.

#include <QStringList>
#include <utility>

#include "report/model/changes.h"
#include "report/model/component.h"

namespace valmoro::report {

// "Name.Property: old -> new", "+ Name in Parent", "- Name from Parent",
// "Name: OldParent -> NewParent".
struct Recorder : ReportObserver {
  void reportChanged(const ReportChange& change) override {
    const auto name = [](const TfrxComponent* c) { return c ? c->Name() : QStringLiteral("-"); };
    switch (change.kind) {
      case ReportChange::Kind::Property:
        lines << QStringLiteral("%1.%2: %3 -> %4")
                     .arg(change.object->Name(), change.property, change.oldValue.toString(),
                          change.newValue.toString());
        break;
      case ReportChange::Kind::Inserted:
        lines << QStringLiteral("+ %1 in %2").arg(name(change.object), name(change.newParent));
        break;
      case ReportChange::Kind::Removed:
        lines << QStringLiteral("- %1 from %2").arg(name(change.object), name(change.oldParent));
        break;
      case ReportChange::Kind::Reparented:
        lines << QStringLiteral("%1: %2 -> %3").arg(name(change.object), name(change.oldParent), name(change.newParent));
        break;
    }
  }
  QStringList take() { return std::exchange(lines, {}); }
  QStringList lines;
};

}  // namespace valmoro::report
