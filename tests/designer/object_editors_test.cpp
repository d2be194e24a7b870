// The seam every object editor plugs into: which editors fit an object,
// and the three ways a user opens one (the context menu, a double click,
// the inspector's "…"), each handing over the objects that are edited.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "designer/designer_form.h"
#include "designer/object_editors.h"
#include "designer/object_inspector.h"
#include "designer/workspace.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"

namespace valmoro::designer {
namespace {

using testing::Designed;
using testing::WithoutEditor;

// An editor of the two heading views, registered for the test only.
struct TestEditor {
  TestEditor(bool main, bool multiple) {
    ObjectEditor editor;
    editor.id = QStringLiteral("test-heading");
    editor.caption = QStringLiteral("Nagłówek…");
    editor.fits = [](const report::TfrxComponent& object) {
      return object.Name() == QLatin1String("NaglowekData") || object.Name() == QLatin1String("NaglowekPunkt");
    };
    editor.main = main;
    editor.multiple = multiple;
    editor.properties = {QStringLiteral("Frame")};
    editor.open = [this](const EditorRequest& request) {
      for (report::TfrxComponent* object : request.objects) opened.append(object->Name());
      property = request.property;
      return true;
    };
    ObjectEditors::Register(editor);
  }
  ~TestEditor() { ObjectEditors::Unregister(QStringLiteral("test-heading")); }
  QStringList opened;
  QString property;
};

TEST(ObjectEditors, AnEditorIsFoundForTheObjectsAndPropertiesItFits) {
  Designed d;
  const TestEditor editor(true, false);
  report::TfrxComponent* date = d.report.FindObject("NaglowekData");
  report::TfrxComponent* title = d.report.FindObject("Tytul");
  ASSERT_TRUE(date && title);
  ASSERT_NE(ObjectEditors::Find("test-heading"), nullptr);
  EXPECT_TRUE(ObjectEditors::For(*date).contains(ObjectEditors::Find("test-heading")));
  EXPECT_FALSE(ObjectEditors::For(*title).contains(ObjectEditors::Find("test-heading")));
  EXPECT_EQ(ObjectEditors::ForProperty(*date, "Frame.LeftLine.Color"), ObjectEditors::Find("test-heading"));
  EXPECT_EQ(ObjectEditors::ForProperty(*date, "Font"), nullptr);
  // The title is not the test editor's (the designer's own frame editor may take it).
  EXPECT_NE(ObjectEditors::ForProperty(*title, "Frame"), ObjectEditors::Find("test-heading"));

  // Registering the same id again replaces the editor.
  ObjectEditor other = *ObjectEditors::Find("test-heading");
  other.caption = QStringLiteral("Inny…");
  ObjectEditors::Register(other);
  EXPECT_EQ(ObjectEditors::Find("test-heading")->caption, "Inny…");
  ObjectEditors::Unregister("test-heading");
  EXPECT_EQ(ObjectEditors::Find("test-heading"), nullptr);
}

TEST(ObjectEditors, AnEditorTakingSeveralGetsTheSelectedObjectsItFitsWithTheOneAskedForFirst) {
  Designed d;
  TestEditor editor(false, true);
  d.document->SelectNames({"Tytul", "NaglowekData", "NaglowekPunkt"});
  TfrxDesignerForm form(*d.document);
  EXPECT_TRUE(form.OpenObjectEditor("test-heading", d.report.FindObject("NaglowekPunkt")));
  EXPECT_EQ(editor.opened, QStringList({"NaglowekPunkt", "NaglowekData"}));
  // An editor never opens for an object it does not fit.
  editor.opened.clear();
  EXPECT_FALSE(form.OpenObjectEditor("test-heading", d.report.FindObject("Tytul")));
  EXPECT_FALSE(form.OpenObjectEditor("no-such-editor", d.report.FindObject("NaglowekData")));
  EXPECT_TRUE(editor.opened.isEmpty());

  // One that takes one object gets only the object asked for.
  TestEditor single(false, false);
  EXPECT_TRUE(form.OpenObjectEditor("test-heading", d.report.FindObject("NaglowekData")));
  EXPECT_EQ(single.opened, QStringList({"NaglowekData"}));
}

TEST(ObjectEditors, TheContextMenuListsTheEditorsOfTheSelectedObjectAndADoubleClickOpensTheMainOne) {
  Designed d;
  // The text editor is the main editor of text views: the test's takes its place.
  const WithoutEditor text("text");
  TestEditor editor(true, false);
  TfrxDesignerForm form(*d.document);
  form.show();
  d.document->SelectNames({"NaglowekData"});
  QStringList entries;
  QTimer::singleShot(0, [&] {
    QMenu* menu = form.ContextMenu();
    if (menu == nullptr) return;
    for (QAction* action : menu->actions())
      if (!action->isSeparator()) entries.append(action->text().remove(QLatin1Char('&')));
    for (QAction* action : menu->actions())
      if (action->objectName() == QLatin1String("edit:test-heading")) action->trigger();
    menu->close();
  });
  emit form.Workspace()->contextMenuRequested(QPoint(10, 10));
  EXPECT_TRUE(entries.contains("Nagłówek…")) << entries.join(", ").toStdString();
  EXPECT_EQ(editor.opened, QStringList({"NaglowekData"}));

  editor.opened.clear();
  emit form.Workspace()->editRequested(d.report.FindObject("NaglowekPunkt"));
  EXPECT_EQ(editor.opened, QStringList({"NaglowekPunkt"}));
}

TEST(ObjectEditors, TheInspectorsEllipsisOfARegisteredPropertyOpensItsEditor) {
  Designed d;
  TestEditor editor(false, true);
  dialogs::RecordingScope recording;
  ObjectInspector inspector(*d.document);
  inspector.show();
  d.document->SelectNames({"NaglowekData", "NaglowekPunkt"});
  QApplication::processEvents();
  const int frame = inspector.Model().FindRow("Frame");
  const int nested = inspector.Model().FindRow("Frame.Width");
  const int font = inspector.Model().FindRow("Font");
  ASSERT_GE(frame, 0);
  ASSERT_GE(nested, 0);
  EXPECT_TRUE(inspector.HasObjectEditor(frame));
  EXPECT_FALSE(inspector.HasObjectEditor(nested));
  EXPECT_FALSE(inspector.HasObjectEditor(font));

  // The "…" of the frame row, pressed as a user presses it.
  QTreeWidgetItem* item = inspector.ItemFor("Frame");
  ASSERT_NE(item, nullptr);
  QTreeWidget* tree = inspector.PropertyTree();
  tree->setFocus();
  tree->setCurrentItem(item, 1);
  QTest::keyClick(tree, Qt::Key_F2);
  auto* value = qobject_cast<ValueEditor*>(tree->indexWidget(tree->currentIndex()));
  ASSERT_NE(value, nullptr);
  ASSERT_NE(value->Button(), nullptr);
  value->Button()->click();
  QApplication::processEvents();
  EXPECT_EQ(editor.opened, QStringList({"NaglowekData", "NaglowekPunkt"}));
  EXPECT_EQ(editor.property, "Frame");
}

}  // namespace
}  // namespace valmoro::designer
