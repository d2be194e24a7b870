// The report tree driven through its widget on the offscreen platform: what
// it lists, the selection it shares with the document, renaming in place,
// dragging objects to other bands and places, and following the edits of
// the document (insert, delete, undo, another document opened).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "designer/object_catalogue.h"
#include "designer/report_tree.h"
#include "designer/report_tree_model.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/dialog.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_page.h"

namespace valmoro::designer {
namespace {

using report::TfrxComponent;
using testing::Designed;

struct Tree : Designed {
  explicit Tree(bool shipped = true) : Designed(shipped), tree(*document) {
    tree.resize(400, 700);
    tree.show();
    tree.View()->expandAll();
  }
  ReportTreeModel& model() { return tree.Model(); }
  TfrxComponent* named(const QString& name) { return report.FindObject(name); }
  QModelIndex at(const QString& name) { return model().IndexOf(named(name)); }
  // The children of an object as the tree lists them: "Name (kind)".
  QStringList rows(const QModelIndex& parent) {
    QStringList out;
    for (int i = 0; i < model().rowCount(parent); ++i)
      out.append(model().index(i, 0, parent).data().toString() + " (" +
                 model().index(i, ReportTreeModel::KindColumn, parent).data().toString() + ")");
    return out;
  }
  QStringList children(const QString& name) {
    QStringList out;
    for (const QString& row : rows(at(name))) out.append(row.section(' ', 0, 0));
    return out;
  }
  QStringList treeSelection() {
    QStringList names;
    for (const QModelIndex& index : tree.View()->selectionModel()->selectedRows()) names.append(index.data().toString());
    names.sort();
    return names;
  }
  void click(const QString& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    tree.View()->scrollTo(at(name));
    QTest::mouseClick(tree.View()->viewport(), Qt::LeftButton, modifiers, tree.View()->visualRect(at(name)).center());
  }
  QString drop(const QStringList& names, const QString& target, int row = -1) {
    QModelIndexList indexes;
    for (const QString& name : names) indexes.append(at(name));
    std::unique_ptr<QMimeData> data(model().mimeData(indexes));
    QSignalSpy refusals(&tree, &ReportTree::refused);
    model().dropMimeData(data.get(), Qt::MoveAction, row, 0, at(target));
    return refusals.isEmpty() ? QString() : refusals.first().first().toString();
  }
  QString insertPage(const char* className) {
    QString name;
    document->Run([&] {
      auto* command = new report::edit::InsertCommand(report, QString::fromLatin1(className), QString(), QRectF());
      name = command->InsertedName();
      return command;
    });
    return name;
  }
  dialogs::RecordingScope recording;
  ReportTree tree;
};

TEST(ReportTree, ListsTheReportItsPagesBandsAndViewsInOrder) {
  Tree t;
  EXPECT_EQ(t.rows({}), QStringList{"Raport (Raport)"});
  // The data page is not a page the designer shows.
  EXPECT_EQ(t.rows(t.model().index(0, 0)), QStringList{"Page1 (Strona raportu)"});
  EXPECT_EQ(t.rows(t.at("Page1")),
            (QStringList{"ReportTitle1 (Tytuł raportu)", "PageHeader1 (Nagłówek strony)", "MasterData1 (Dane główne)",
                         "ReportSummary1 (Podsumowanie raportu)", "PageFooter1 (Stopka strony)"}));
  EXPECT_EQ(t.rows(t.at("MasterData1")),
            (QStringList{"PoleData (Tekst)", "PolePunkt (Tekst)", "PoleTemperatura (Tekst)", "PoleWilgotnosc (Tekst)",
                         "PolePracownik (Tekst)"}));
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Tytul", "Modul", "Okres"}));
  EXPECT_FALSE(t.model().Shows(t.named("Data")));
  EXPECT_FALSE(t.at("PoleData").data(Qt::DecorationRole).value<QIcon>().isNull());

  // A dialog page with what is on it, and a view nested in another view.
  const QString dialog = t.insertPage("TfrxDialogPage");
  auto* control = new report::TfrxDialogControl(t.named(dialog));
  control->SetName("Przycisk");
  auto* inner = new report::TfrxMemoView(t.named("PoleData"));
  inner->SetName("Wewnatrz");
  t.model().Flush();
  EXPECT_EQ(t.rows(t.model().index(0, 0)), (QStringList{"Page1 (Strona raportu)", dialog + " (Strona dialogu)"}));
  EXPECT_EQ(t.children(dialog), QStringList{"Przycisk"});
  EXPECT_EQ(t.children("PoleData"), QStringList{"Wewnatrz"});
}

TEST(ReportTree, SelectionIsSharedWithTheDocumentBothWays) {
  Tree t;
  t.click("PolePunkt");
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"PolePunkt"});
  t.click("Tytul", Qt::ControlModifier);
  t.click("PoleData", Qt::ControlModifier);
  // In the order of selecting: the first is what the others align to.
  EXPECT_EQ(t.document->SelectedNames(), (QStringList{"PolePunkt", "Tytul", "PoleData"}));
  t.click("Tytul", Qt::ControlModifier);
  EXPECT_EQ(t.treeSelection(), (QStringList{"PoleData", "PolePunkt"}));
  EXPECT_EQ(t.document->SelectedNames(), (QStringList{"PolePunkt", "PoleData"}));

  // The workspace selects: the tree follows with one selection, not one per object.
  QSignalSpy treeChanges(t.tree.View()->selectionModel(), &QItemSelectionModel::selectionChanged);
  QSignalSpy documentChanges(t.document.get(), &DesignerDocument::selectionChanged);
  t.document->SetSelection({t.named("NumerStrony"), t.named("PoleWilgotnosc"), t.named("PolePracownik"), t.named("Okres")});
  EXPECT_EQ(treeChanges.size(), 1);
  EXPECT_EQ(documentChanges.size(), 1);  // not given back to the document
  EXPECT_EQ(t.treeSelection(), (QStringList{"NumerStrony", "Okres", "PolePracownik", "PoleWilgotnosc"}));
  EXPECT_EQ(t.model().ObjectAt(t.tree.View()->currentIndex()), t.named("NumerStrony"));
  t.document->ClearSelection();
  EXPECT_TRUE(t.treeSelection().isEmpty());

  // Another page's object shows that page; the tree keeps to one page.
  const QString second = t.insertPage("TfrxReportPage");
  auto* band = new report::TfrxMasterData(t.named(second));
  band->SetName("Druga");
  t.model().Flush();
  t.click("Druga");
  EXPECT_EQ(t.document->CurrentPage(), t.named(second));
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"Druga"});
  t.click("PoleData", Qt::ControlModifier);
  EXPECT_EQ(t.document->CurrentPage(), t.named("Page1"));
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"PoleData"});
  EXPECT_EQ(t.treeSelection(), QStringList{"PoleData"});
}

TEST(ReportTree, ManyObjectsSelectedTakeOneSelectionEachWay) {
  Tree t(false);
  auto* page = t.document->Pages().first();
  auto* band = new report::TfrxMasterData(page);
  band->SetName("Pasmo");
  QList<TfrxComponent*> views;
  for (int i = 0; i < 1000; ++i) {
    auto* memo = new report::TfrxMemoView(band);
    memo->SetName(QStringLiteral("M%1").arg(i));
    if (i % 3 != 1) views.append(memo);
  }
  t.model().Flush();
  t.tree.View()->expandAll();
  QSignalSpy treeChanges(t.tree.View()->selectionModel(), &QItemSelectionModel::selectionChanged);
  t.document->SetSelection(views);
  EXPECT_EQ(treeChanges.size(), 1);
  EXPECT_EQ(t.tree.View()->selectionModel()->selectedRows().size(), views.size());
  // The tree selects all of the band's views: the document hears it once.
  QSignalSpy documentChanges(t.document.get(), &DesignerDocument::selectionChanged);
  const QModelIndex parent = t.model().IndexOf(band);
  t.tree.View()->selectionModel()->select(
      QItemSelection(t.model().index(0, 0, parent), t.model().index(999, 1, parent)), QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(documentChanges.size(), 1);
  EXPECT_EQ(t.document->Selection().size(), 1000);
  EXPECT_EQ(t.document->Selection().first(), views.first());  // the first selected stays the reference
}

TEST(ReportTree, RenamingInPlaceGoesThroughUndo) {
  Tree t;
  const QByteArray before = t.bytes();
  t.tree.View()->setCurrentIndex(t.at("PolePunkt"));
  t.tree.View()->setFocus();
  QTest::keyClick(t.tree.View(), Qt::Key_F2);
  auto* editor = t.tree.View()->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "PolePunkt");
  editor->setText("PoleMiejsca");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor commits once the key is handled
  EXPECT_EQ(t.children("MasterData1")[1], "PoleMiejsca");
  EXPECT_TRUE(t.bytes().contains("Name=\"PoleMiejsca\""));
  EXPECT_FALSE(t.bytes().contains("Name=\"PolePunkt\""));
  EXPECT_EQ(t.document->UndoStack().count(), 1);
  t.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(t.bytes(), before);
  EXPECT_EQ(t.children("MasterData1")[1], "PolePunkt");
}

TEST(ReportTree, RefusedNamesKeepTheOldOneAndSayWhy) {
  Tree t;
  const QByteArray before = t.bytes();
  QSignalSpy refusals(&t.tree, &ReportTree::refused);
  const QModelIndex index = t.at("PolePunkt");
  EXPECT_FALSE(t.model().setData(index, "PoleData"));
  EXPECT_FALSE(t.model().setData(index, "2Pole"));
  EXPECT_FALSE(t.model().setData(index, "Pole Punkt"));
  EXPECT_FALSE(t.model().setData(index, ""));
  EXPECT_FALSE(t.model().setData(index, "Data"));  // the data page's name counts too
  ASSERT_EQ(refusals.size(), 5);
  EXPECT_EQ(refusals[0].first().toString(), "Nazwa PoleData jest już użyta w raporcie.");
  EXPECT_EQ(refusals[1].first().toString(),
            "„2Pole” nie jest poprawną nazwą: dozwolone są litery łacińskie, cyfry i znak _, a na początku litera lub _.");
  EXPECT_TRUE(refusals[2].first().toString().startsWith("„Pole Punkt” nie jest poprawną nazwą"));
  EXPECT_EQ(refusals[3].first().toString(), "Nazwa obiektu nie może być pusta.");
  EXPECT_EQ(refusals[4].first().toString(), "Nazwa Data jest już użyta w raporcie.");
  for (const QList<QVariant>& refusal : refusals) EXPECT_FALSE(refusal.first().toString().contains('\n'));
  EXPECT_EQ(index.data().toString(), "PolePunkt");
  EXPECT_EQ(t.document->UndoStack().count(), 0);
  EXPECT_SAME_DOCUMENT(t.bytes(), before);
  // The report and the pages' names: the report is not renamed in the tree.
  EXPECT_FALSE(t.model().flags(t.model().index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_TRUE(t.model().setData(t.at("Page1"), "Strona"));
  EXPECT_EQ(t.document->Pages().first()->Name(), "Strona");
}

TEST(ReportTree, DraggingMovesViewsToOtherBandsAndPlacesAsOneStep) {
  Tree t;
  const QByteArray before = t.bytes();
  const QRectF onPage = t.named("PoleData")->AbsoluteBounds();
  // Onto another band: it goes last there and keeps its place on the page.
  EXPECT_EQ(t.drop({"PoleData"}, "PageFooter1"), "");
  EXPECT_EQ(t.children("PageFooter1"), (QStringList{"NumerStrony", "PoleData"}));
  EXPECT_EQ(t.named("PoleData")->Parent(), t.named("PageFooter1"));
  EXPECT_EQ(t.named("PoleData")->AbsoluteBounds(), onPage);
  EXPECT_EQ(t.document->UndoStack().count(), 1);
  // Between two views of another band: there, in the document's order too.
  EXPECT_EQ(t.drop({"PolePunkt", "PoleWilgotnosc"}, "ReportTitle1", 1), "");
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Tytul", "PolePunkt", "PoleWilgotnosc", "Modul", "Okres"}));
  EXPECT_EQ(t.children("MasterData1"), (QStringList{"PoleTemperatura", "PolePracownik"}));
  const QByteArray moved = t.bytes();
  EXPECT_LT(moved.indexOf("Name=\"PoleWilgotnosc\""), moved.indexOf("Name=\"Modul\""));
  EXPECT_EQ(t.document->UndoStack().count(), 2);
  // Among its own siblings: the order only.
  EXPECT_EQ(t.drop({"Okres"}, "ReportTitle1", 0), "");
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Okres", "Tytul", "PolePunkt", "PoleWilgotnosc", "Modul"}));
  EXPECT_EQ(t.drop({"Tytul"}, "ReportTitle1", 5), "");
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Okres", "PolePunkt", "PoleWilgotnosc", "Modul", "Tytul"}));
  // A band among the bands of its page.
  EXPECT_EQ(t.drop({"PageFooter1"}, "Page1", 0), "");
  EXPECT_EQ(t.children("Page1")[0], "PageFooter1");
  const QByteArray afterAll = t.bytes();

  while (t.document->UndoStack().canUndo()) t.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(t.bytes(), before);
  EXPECT_EQ(t.children("MasterData1"),
            (QStringList{"PoleData", "PolePunkt", "PoleTemperatura", "PoleWilgotnosc", "PolePracownik"}));
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Tytul", "Modul", "Okres"}));
  EXPECT_EQ(t.children("Page1")[4], "PageFooter1");
  while (t.document->UndoStack().canRedo()) t.document->UndoStack().redo();
  EXPECT_SAME_DOCUMENT(t.bytes(), afterAll);
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Okres", "PolePunkt", "PoleWilgotnosc", "Modul", "Tytul"}));
}

TEST(ReportTree, RefusedMovesSayWhyAndChangeNothing) {
  Tree t;
  const QString second = t.insertPage("TfrxReportPage");
  auto* band = new report::TfrxMasterData(t.named(second));
  band->SetName("Druga");
  t.model().Flush();
  const int steps = t.document->UndoStack().count();
  const QByteArray before = t.bytes();
  EXPECT_EQ(t.drop({"MasterData1"}, second), "Pasmo MasterData1 można przenieść tylko w obrębie strony Page1.");
  EXPECT_EQ(t.drop({"MasterData1"}, "ReportTitle1"), "Pasmo MasterData1 można przenieść tylko w obrębie strony Page1.");
  EXPECT_EQ(t.drop({"PoleData"}, "PolePunkt"), "Obiekt PoleData można umieścić tylko w paśmie.");
  EXPECT_EQ(t.drop({"PoleData"}, "Page1"), "Obiekt PoleData można umieścić tylko w paśmie.");
  // All or nothing: one refused object keeps the others where they are.
  EXPECT_EQ(t.drop({"Tytul", "PageHeader1"}, "MasterData1"), "Pasmo PageHeader1 można przenieść tylko w obrębie strony Page1.");
  EXPECT_EQ(t.document->UndoStack().count(), steps);
  EXPECT_SAME_DOCUMENT(t.bytes(), before);
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Tytul", "Modul", "Okres"}));
  // Pages and the report are not dragged at all.
  EXPECT_FALSE(t.model().flags(t.at("Page1")) & Qt::ItemIsDragEnabled);
  EXPECT_TRUE(t.model().flags(t.at("MasterData1")) & Qt::ItemIsDragEnabled);
  // A view to a band of the other page: that page is shown, the view selected.
  EXPECT_EQ(t.drop({"Okres"}, "Druga"), "");
  EXPECT_EQ(t.document->CurrentPage(), t.named(second));
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"Okres"});
  EXPECT_EQ(t.children("Druga"), QStringList{"Okres"});
}

TEST(ReportTree, FollowsInsertionsDeletionsUndoAndAnotherDocument) {
  Tree t;
  // Inserted from the object bar: listed last in its band and selected.
  ASSERT_EQ(InsertObject(*t.document, *FindCatalogueEntry("TfrxMemoView"), "MasterData1", QRectF(400, 0, 50, 18)), "");
  const QString inserted = t.document->SelectedNames().value(0);
  EXPECT_EQ(t.children("MasterData1").last(), inserted);
  EXPECT_EQ(t.treeSelection(), QStringList{inserted});
  t.document->UndoStack().undo();
  EXPECT_EQ(t.children("MasterData1").size(), 5);
  EXPECT_FALSE(t.at(inserted).isValid());
  t.document->UndoStack().redo();
  EXPECT_EQ(t.children("MasterData1").last(), inserted);

  // Deleted with its views, then back at its place.
  t.document->Run([&] { return new report::edit::DeleteCommand(t.report, {"PageHeader1"}); });
  EXPECT_EQ(t.children("Page1"), (QStringList{"ReportTitle1", "MasterData1", "ReportSummary1", "PageFooter1"}));
  EXPECT_FALSE(t.model().Shows(t.named("NaglowekData")));
  t.document->UndoStack().undo();
  EXPECT_EQ(t.children("Page1")[1], "PageHeader1");
  EXPECT_EQ(t.children("PageHeader1").size(), 6);

  // Renamed elsewhere (the inspector): the row says the new name.
  t.document->Run([&] {
    return new report::edit::SetPropertyCommand(t.report, {"Okres"}, "Name", "OkresOdczytow");
  });
  EXPECT_EQ(t.children("ReportTitle1"), (QStringList{"Tytul", "Modul", "OkresOdczytow"}));

  // A new document replaces the whole tree.
  t.document->NewReport();
  EXPECT_EQ(t.model().ObjectCount(), 2);
  EXPECT_EQ(t.rows(t.model().index(0, 0)).size(), 1);
  t.document->Open(t.path);
  EXPECT_EQ(t.children("MasterData1").size(), 5);
}

TEST(ReportTree, KeysAndContextMenu) {
  Tree t;
  QAction first("Wytnij"), second("Kopiuj");
  t.tree.SetContextActions({&first, nullptr, &second});
  QMenu menu;
  t.tree.View()->setCurrentIndex(t.at("Tytul"));
  t.tree.FillContextMenu(menu);
  QStringList entries;
  for (QAction* action : menu.actions()) entries.append(action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(entries, (QStringList{"Wytnij", "-", "Kopiuj", "-", "Zmień nazwę"}));
  EXPECT_TRUE(t.tree.RenameAction()->isEnabled());

  // Enter selects and tells the window.
  QSignalSpy activated(&t.tree, &ReportTree::activated);
  t.tree.View()->setFocus();
  t.tree.View()->setCurrentIndex(t.at("Modul"));
  QTest::keyClick(t.tree.View(), Qt::Key_Return);
  ASSERT_EQ(activated.size(), 1);
  EXPECT_EQ(activated.first().first().value<TfrxComponent*>(), t.named("Modul"));
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"Modul"});
  // Arrows and typing a name's beginning move through the tree.
  QTest::keyClick(t.tree.View(), Qt::Key_Down);
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"Okres"});
  QTest::keyClicks(t.tree.View(), "NumerS");
  EXPECT_EQ(t.document->SelectedNames(), QStringList{"NumerStrony"});

  // Delete: the window's action when it has one, else the tree deletes.
  QAction remove("Usuń");
  remove.setShortcut(QKeySequence::Delete);
  QSignalSpy triggered(&remove, &QAction::triggered);
  t.tree.SetContextActions({&remove});
  QTest::keyClick(t.tree.View(), Qt::Key_Delete);
  EXPECT_EQ(triggered.size(), 1);
  EXPECT_NE(t.named("NumerStrony"), nullptr);
  t.tree.SetContextActions({});
  QTest::keyClick(t.tree.View(), Qt::Key_Delete);
  EXPECT_EQ(t.named("NumerStrony"), nullptr);
  EXPECT_TRUE(t.children("PageFooter1").isEmpty());
  t.document->UndoStack().undo();
  EXPECT_EQ(t.children("PageFooter1"), QStringList{"NumerStrony"});
}

}  // namespace
}  // namespace valmoro::designer
