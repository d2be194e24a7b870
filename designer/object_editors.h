#pragma once
// The editors of report objects: dialogs that change an object (its text,
// frame, picture, band options, …) without the user knowing its property
// names. Each editor is registered here once. The window lists those that
// fit an object in its context menu and opens the object's main editor on
// a double click; the inspector's "…" of a property opens the editor
// registered for that property.
//
// An editor changes the document as one undo step (DesignerDocument::Run,
// Push or ChangeReport) and only when the user confirms; it refuses bad
// input in its own dialog, which stays open with the input kept.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace valmoro::report {
class TfrxComponent;
}

namespace valmoro::designer {

class DesignerDocument;

struct EditorRequest {
  DesignerDocument* document = nullptr;
  // What is edited, never empty: the object asked for first, then the other
  // selected objects the editor fits (only for an editor taking several).
  QList<report::TfrxComponent*> objects;
  QWidget* parent = nullptr;
  // The inspector row's path when opened from its "…" ("Frame", "Memo",
  // "Frame.LeftLine"); empty otherwise.
  QString property;
};

struct ObjectEditor {
  QString id;       // "text", "frame", …: how tests and the window find it
  QString caption;  // the context-menu entry, e.g. "Edytuj tekst…"
  std::function<bool(const report::TfrxComponent&)> fits;
  // Opened by a double click on an object it fits (the first such editor in
  // the order of registration).
  bool main = false;
  // Takes every selected object it fits at once (a frame for all of them).
  bool multiple = false;
  // The properties (first part of the inspector's path) whose "…" opens it.
  QStringList properties;
  // Shows the editor; true when the document was changed.
  std::function<bool(const EditorRequest&)> open;
};

class ObjectEditors {
public:
  // Adds an editor, or replaces the one with the same id.
  static void Register(ObjectEditor editor);
  static void Unregister(const QString& id);
  static const ObjectEditor* Find(const QString& id);
  // The editors that fit the object, in the order of registration.
  static QList<const ObjectEditor*> For(const report::TfrxComponent& object);
  static const ObjectEditor* MainFor(const report::TfrxComponent& object);
  // The editor of a property path ("Frame.TopLine" asks for "Frame"); of
  // several, the one registered last.
  static const ObjectEditor* ForProperty(const report::TfrxComponent& object, const QString& path);
  // Opens `editor` for `object` (plus, for an editor taking several, the
  // other objects of `selection` it fits); true when the document changed.
  static bool Open(const ObjectEditor& editor, DesignerDocument& document, report::TfrxComponent* object,
                   const QList<report::TfrxComponent*>& selection, QWidget* parent,
                   const QString& property = QString());
};

}  // namespace valmoro::designer
