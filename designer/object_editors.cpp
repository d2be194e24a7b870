#include "designer/object_editors.h"

#include <vector>

#include "designer/band_editor.h"
#include "designer/look_editors.h"
#include "designer/text_editor.h"
#include "report/model/component.h"

namespace valmoro::designer {

namespace {

// The designer's own editors, each family from its own file, in the order
// the context menu lists them.
std::vector<ObjectEditor> builtInEditors() {
  std::vector<ObjectEditor> all;
  const auto append = [&all](std::vector<ObjectEditor> family) {
    for (ObjectEditor& editor : family) all.push_back(std::move(editor));
  };
  append(TextEditors());
  append(LookEditors());
  append(SettingsEditors());
  return all;
}

// Filled on the first look-up, so that every user of the registry (the
// window, the inspector, tests) sees the same list without an installation
// step.
std::vector<ObjectEditor>& registry() {
  static std::vector<ObjectEditor> editors = builtInEditors();
  return editors;
}

}  // namespace

void ObjectEditors::Register(ObjectEditor editor) {
  std::vector<ObjectEditor>& editors = registry();
  for (ObjectEditor& known : editors) {
    if (known.id == editor.id) {
      known = std::move(editor);
      return;
    }
  }
  editors.push_back(std::move(editor));
}

void ObjectEditors::Unregister(const QString& id) {
  std::vector<ObjectEditor>& editors = registry();
  std::erase_if(editors, [&id](const ObjectEditor& editor) { return editor.id == id; });
}

const ObjectEditor* ObjectEditors::Find(const QString& id) {
  for (const ObjectEditor& editor : registry())
    if (editor.id == id) return &editor;
  return nullptr;
}

QList<const ObjectEditor*> ObjectEditors::For(const report::TfrxComponent& object) {
  QList<const ObjectEditor*> found;
  for (const ObjectEditor& editor : registry())
    if (editor.fits && editor.fits(object)) found.append(&editor);
  return found;
}

const ObjectEditor* ObjectEditors::MainFor(const report::TfrxComponent& object) {
  for (const ObjectEditor& editor : registry())
    if (editor.main && editor.fits && editor.fits(object)) return &editor;
  return nullptr;
}

const ObjectEditor* ObjectEditors::ForProperty(const report::TfrxComponent& object, const QString& path) {
  const QString top = path.section(QLatin1Char('.'), 0, 0);
  if (top.isEmpty()) return nullptr;
  // The latest registration wins: an editor added later stands in for the
  // designer's own one of that property.
  const std::vector<ObjectEditor>& editors = registry();
  for (auto it = editors.rbegin(); it != editors.rend(); ++it)
    if (it->properties.contains(top) && it->fits && it->fits(object)) return &*it;
  return nullptr;
}

bool ObjectEditors::Open(const ObjectEditor& editor, DesignerDocument& document, report::TfrxComponent* object,
                         const QList<report::TfrxComponent*>& selection, QWidget* parent, const QString& property) {
  if (object == nullptr || !editor.open) return false;
  EditorRequest request;
  request.document = &document;
  request.parent = parent;
  request.property = property;
  request.objects.append(object);
  if (editor.multiple)
    for (report::TfrxComponent* other : selection)
      if (other != object && other != nullptr && editor.fits(*other)) request.objects.append(other);
  return editor.open(request);
}

}  // namespace valmoro::designer
