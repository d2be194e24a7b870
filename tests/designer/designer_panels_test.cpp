// The panels beside the page in the designer window: the report tree, the
// object inspector and the data tree working with the page and the code tab
// as a user meets them (menus, keys, the selection, refusals).

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "designer/data_tree.h"
#include "designer/designer_form.h"
#include "designer/object_inspector.h"
#include "designer/report_tree.h"
#include "designer/report_tree_model.h"
#include "designer/workspace.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"

namespace valmoro::designer {
namespace {

using testing::Designed;

// A settings file of its own: the layout other tests' windows kept is not restored.
struct OwnSettings : Designed {
  OwnSettings() { report.SetIniFile(settings.filePath("projektant.ini")); }
  QTemporaryDir settings;
};

struct Window : OwnSettings {
  Window() : form(*document) {
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    QApplication::processEvents();
  }
  QStringList treeSelection() const {
    QStringList names;
    for (const QModelIndex& index : form.Tree()->View()->selectionModel()->selectedRows())
      if (report::TfrxComponent* object = form.Tree()->Model().ObjectAt(index)) names.append(object->Name());
    names.sort();
    return names;
  }
  // The title of the panel in front where panels share a place (their tab bar).
  QString frontOfSharedPlace() const {
    for (QTabBar* bar : form.findChildren<QTabBar*>())
      if (bar->parentWidget() == &form) return bar->tabText(bar->currentIndex());
    return {};
  }
  dialogs::RecordingScope recording;
  TfrxDesignerForm form;
};

TEST(DesignerPanels, DocksAreShownAndToggledFromTheViewMenu) {
  Window w;
  const QList<QPair<QString, QString>> docks = {
      {"ReportTreeDock", "Drzewo raportu"}, {"InspectorDock", "Inspektor obiektów"}, {"DataTreeDock", "Dane"}};
  QMenu* view = w.form.menuBar()->findChild<QMenu*>("ViewMenu");
  ASSERT_NE(view, nullptr);
  for (const auto& [name, title] : docks) {
    QDockWidget* dock = w.form.Dock(name);
    ASSERT_NE(dock, nullptr) << name.toStdString();
    EXPECT_EQ(dock->windowTitle(), title);
    EXPECT_TRUE(dock->toggleViewAction()->isChecked()) << name.toStdString();
    EXPECT_TRUE(view->actions().contains(dock->toggleViewAction())) << name.toStdString();
  }
  // The data tree shares the report tree's place; the report tree is in front.
  EXPECT_EQ(w.form.tabifiedDockWidgets(w.form.Dock("ReportTreeDock")), QList<QDockWidget*>{w.form.Dock("DataTreeDock")});
  EXPECT_EQ(w.frontOfSharedPlace(), "Drzewo raportu");
  // Hidden from the menu, F11 brings the inspector back with the keyboard in its grid.
  w.form.Dock("InspectorDock")->toggleViewAction()->trigger();
  EXPECT_FALSE(w.form.Dock("InspectorDock")->isVisible());
  QTest::keyClick(&w.form, Qt::Key_F11);
  EXPECT_TRUE(w.form.Dock("InspectorDock")->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), w.form.Inspector()->PropertyTree());
  // "Zmienne raportu" is in the report menu.
  QMenu* reportMenu = w.form.menuBar()->findChild<QMenu*>("ReportMenu");
  ASSERT_NE(reportMenu, nullptr);
  EXPECT_TRUE(reportMenu->actions().contains(w.form.Action("actVariables")));
}

TEST(DesignerPanels, TheSelectionIsOneForPageTreeAndInspector) {
  Window w;
  w.document->SelectNames({"Tytul"});
  QApplication::processEvents();
  EXPECT_EQ(w.treeSelection(), QStringList{"Tytul"});
  EXPECT_EQ(w.form.Inspector()->Model().SelectionCaption(), "Tytul");

  // Selecting in the tree selects on the page and in the inspector.
  ReportTree* tree = w.form.Tree();
  const QModelIndex data = tree->Model().IndexOf(w.report.FindObject("MasterData1"));
  ASSERT_TRUE(data.isValid());
  tree->View()->selectionModel()->select(data, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QApplication::processEvents();
  EXPECT_EQ(w.document->SelectedNames(), QStringList{"MasterData1"});
  EXPECT_EQ(w.form.Inspector()->Model().SelectionCaption(), "MasterData1");
  EXPECT_TRUE(w.form.StatusText(2).contains("MasterData1")) << w.form.StatusText(2).toStdString();
}

TEST(DesignerPanels, ANewHandlerIsShownInTheCodeTab) {
  Window w;
  w.document->SelectNames({"Tytul"});
  QApplication::processEvents();
  ObjectInspector* inspector = w.form.Inspector();
  QTreeWidgetItem* event = inspector->ItemFor("OnBeforePrint");
  ASSERT_NE(event, nullptr);
  inspector->Tabs()->setCurrentWidget(inspector->EventTree());
  EXPECT_EQ(inspector->EventTree()->headerItem()->text(0), "Zdarzenie");
  EXPECT_EQ(inspector->EventTree()->headerItem()->text(1), "Procedura");
  inspector->EventTree()->setFocus();
  inspector->EventTree()->setCurrentItem(event, 1);
  QTest::keyClick(inspector->EventTree(), Qt::Key_Return);
  QApplication::processEvents();

  EXPECT_EQ(w.form.Tabs()->currentIndex(), 0);
  QPlainTextEdit* code = w.form.CodeEditor();
  EXPECT_EQ(QApplication::focusWidget(), code);
  const QStringList lines = code->toPlainText().split('\n');
  const int at = int(lines.indexOf("procedure TytulOnBeforePrint(Sender: TfrxComponent);"));
  ASSERT_GE(at, 0) << code->toPlainText().toStdString();
  // The cursor waits in the empty body.
  EXPECT_EQ(code->textCursor().blockNumber(), at + 2);
  EXPECT_EQ(lines[at + 1], "begin");
  // One step undoes the handler and the event.
  w.form.Undo();
  QApplication::processEvents();
  EXPECT_FALSE(code->toPlainText().contains("TytulOnBeforePrint"));
}

TEST(DesignerPanels, RefusalsOfThePanelsAreSaidInTheStatusBar) {
  Window w;
  w.document->SelectNames({"Tytul"});
  QApplication::processEvents();
  InspectorModel& model = w.form.Inspector()->Model();
  const QString refusal = model.Apply(model.FindRow("Name"), "MasterData1");
  ASSERT_FALSE(refusal.isEmpty());
  // The inspector tells the window through its signal.
  emit w.form.Inspector()->refused(refusal);
  EXPECT_EQ(w.form.statusBar()->currentMessage(), refusal);
  EXPECT_EQ(w.report.FindObject("Tytul") != nullptr, true);
  // A refused drop on the page says so too, without a message box.
  emit w.form.Workspace()->refused("Pole można upuścić tylko na wstęgę.");
  EXPECT_EQ(w.form.statusBar()->currentMessage(), "Pole można upuścić tylko na wstęgę.");
  EXPECT_TRUE(w.recording.messages().isEmpty());
}

TEST(DesignerPanels, F6WalksThePanelsAndF2RenamesInTheTree) {
  Window w;
  w.form.Workspace()->setFocus();
  QList<QWidget*> visited;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    visited.append(QApplication::focusWidget());
  }
  EXPECT_EQ(visited, (QList<QWidget*>{w.form.Tree()->View(), w.form.Inspector()->PropertyTree(), w.form.Data()->View(),
                                      w.form.Tabs()}));
  // The data tree came to the front of the place it shares when its turn came.
  EXPECT_EQ(w.frontOfSharedPlace(), "Dane");

  // F2 in the tree is renaming, not the page's text editing.
  w.document->SelectNames({"Tytul"});
  QApplication::processEvents();
  QTreeView* tree = w.form.Tree()->View();
  tree->setFocus();
  tree->setCurrentIndex(w.form.Tree()->Model().IndexOf(w.report.FindObject("Tytul")));
  QTest::keyClick(tree, Qt::Key_F2);
  QApplication::processEvents();
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(tree->isAncestorOf(editor));
  EXPECT_EQ(w.form.Workspace()->TextEditor(), nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Naglowek");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_NE(w.report.FindObject("Naglowek"), nullptr);
  EXPECT_EQ(w.report.FindObject("Tytul"), nullptr);
}

}  // namespace
}  // namespace valmoro::designer
