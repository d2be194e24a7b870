#pragma once
// Change notification: the one place where a report says that one of its
// objects changed. A designer's workspace, inspector and undo stack follow
// the model through it instead of polling.
//
// Announced are properties set by the document reader (so by undo and
// redo of edit commands too, which put snapshots back through it) and by
// scripts, and every insertion, removal and reparenting of a report object.
// Plain C++ setters are not: the band engine changes views on every row,
// and that is no edit. Nothing is done, not even the old value read, while
// no report has an observer.

#include <QString>
#include <QVariant>

class QObject;

namespace valmoro::report {

class TfrxComponent;

struct ReportChange {
  enum class Kind { Property, Inserted, Removed, Reparented };
  Kind kind = Kind::Property;
  // The report object concerned; for a property of a nested object (its
  // font, frame, …) the object that holds it.
  TfrxComponent* object = nullptr;
  // Property changes: the property's path from the object ("Left",
  // "Font.Height") and its values before and after.
  QString property;
  QVariant oldValue, newValue;
  // Tree changes: the parents before and after (none for an object made or
  // removed).
  TfrxComponent* oldParent = nullptr;
  TfrxComponent* newParent = nullptr;
};

class ReportObserver {
public:
  virtual ~ReportObserver() = default;
  // Called after the change. An object removed because it is being
  // deleted is in its destruction: tell by it which one it was, nothing more.
  virtual void reportChanged(const ReportChange& change) = 0;
};

namespace changes {

// Whether any report has an observer (and announcements are not held back
// on this thread).
bool observed();

// The property `path` of `target` (a report object or an object nested in
// one) went from `oldValue` to `newValue`; said only when they differ.
void propertyChanged(QObject& target, const QString& path, const QVariant& oldValue, const QVariant& newValue);

// `object` went from `oldParent` to `newParent` (either may be none).
void parentChanged(TfrxComponent& object, TfrxComponent* oldParent, TfrxComponent* newParent);

// Holds announcements back on this thread while it lives (a trial change
// undone at once says nothing).
class Silence {
public:
  Silence();
  ~Silence();
  Silence(const Silence&) = delete;
  Silence& operator=(const Silence&) = delete;
};

// Counts the observers of every report (kept by TfrxReport).
void observerAdded();
void observerRemoved();

}  // namespace changes
}  // namespace valmoro::report
