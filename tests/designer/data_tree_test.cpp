// The data tree ("Dane") of the shipped report over the log, read through
// its widget: sections, fields, variables, system variables, functions
// with their declarations, and how it follows the document.
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer/data_tree.h"
#include "designer/field_drop.h"
#include "report/model/report_lists.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::LogDesigned;

namespace {

QStringList childTexts(const QAbstractItemModel& model, const QModelIndex& parent) {
  QStringList texts;
  for (int r = 0; r < model.rowCount(parent); ++r) texts.append(model.index(r, 0, parent).data().toString());
  return texts;
}

// Variables by category, as documents keep them: a category entry's name
// begins with a blank.
void setVariables(report::TfrxReport& report, const QList<QPair<QString, QString>>& entries) {
  report::TfrxVariables& variables = *report.Variables();
  variables.Clear();
  for (const auto& [name, value] : entries) {
    report::TfrxVariable* v = variables.Add();
    v->SetName(name);
    if (!name.startsWith(' ')) v->SetValue(value);
  }
}

}  // namespace

TEST(DataTree, TheShippedReportOverTheLogListsEverySection) {
  LogDesigned d;
  DataTree tree(d.document());
  DataTreeModel& model = tree.Model();
  EXPECT_EQ(childTexts(model, {}), QStringList({"Zbiory danych", "Zmienne", "Zmienne systemowe", "Funkcje"}));
  EXPECT_EQ(childTexts(model, model.Find({"Zbiory danych"})), QStringList{"Wpisy"});
  EXPECT_EQ(childTexts(model, model.Find({"Zbiory danych", "Wpisy"})), designer::testing::logFields());
  // The data sets are open to begin with.
  EXPECT_TRUE(tree.View()->isExpanded(model.Find({"Zbiory danych"})));
  EXPECT_EQ(model.rowCount(model.Find({"Zmienne"})), 0);
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne systemowe"})),
            QStringList({"Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#", "CopyName#"}));
  EXPECT_EQ(childTexts(model, model.Find({"Funkcje"})),
            QStringList({"Tekstowe", "Data i czas", "Konwersja", "Formatowanie", "Matematyczne", "Pozostałe",
                         "Łączna wartość"}));
  EXPECT_EQ(childTexts(model, model.Find({"Funkcje", "Łączna wartość"})), QStringList({"SUM", "AVG", "MIN", "MAX", "COUNT"}));
  const QStringList text = childTexts(model, model.Find({"Funkcje", "Tekstowe"}));
  EXPECT_TRUE(text.contains("Copy") && text.contains("Uppercase") && text.contains("Trim")) << text.join(' ').toStdString();
  EXPECT_TRUE(childTexts(model, model.Find({"Funkcje", "Data i czas"})).contains("YearOf"));
  EXPECT_TRUE(childTexts(model, model.Find({"Funkcje", "Pozostałe"})).contains("IIF"));

  // A function shows its declaration and what it does, in the tool tip and
  // in the pane under the tree when chosen.
  const QModelIndex copy = model.Find({"Funkcje", "Tekstowe", "Copy"});
  EXPECT_EQ(copy.data(DataTreeModel::DeclarationRole).toString(), "function Copy(s: String; from, count: Integer): String");
  EXPECT_EQ(copy.data(Qt::ToolTipRole).toString(),
            "function Copy(s: String; from, count: Integer): String\nCzęść tekstu: count znaków od pozycji from.");
  tree.View()->setCurrentIndex(copy);
  EXPECT_EQ(tree.DescriptionPane()->text(),
            "function Copy(s: String; from, count: Integer): String\nCzęść tekstu: count znaków od pozycji from.");
  // The report's own aggregates, as preparing the report calls them.
  EXPECT_EQ(model.Find({"Funkcje", "Łączna wartość", "SUM"}).data(DataTreeModel::DeclarationRole).toString(),
            "macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant");
  tree.View()->setCurrentIndex(model.Find({"Zbiory danych", "Wpisy", "Punkt"}));
  EXPECT_EQ(tree.DescriptionPane()->text(), "Wpisy.\"Punkt\"");
  tree.View()->setCurrentIndex(model.Find({"Funkcje"}));
  EXPECT_EQ(tree.DescriptionPane()->text(), "");
}

TEST(DataTree, OnlyItemsThatGoSomewhereAreDragged) {
  LogDesigned d;
  DataTreeModel model(d.report());
  const QModelIndex field = model.Find({"Zbiory danych", "Wpisy", "Data"});
  EXPECT_TRUE(model.flags(field).testFlag(Qt::ItemIsDragEnabled));
  EXPECT_TRUE(model.flags(model.Find({"Zmienne systemowe", "Line#"})).testFlag(Qt::ItemIsDragEnabled));
  EXPECT_TRUE(model.flags(model.Find({"Funkcje", "Matematyczne", "Round"})).testFlag(Qt::ItemIsDragEnabled));
  for (const QStringList& path : {QStringList{"Zbiory danych"}, QStringList{"Zbiory danych", "Wpisy"},
                                  QStringList{"Funkcje", "Konwersja"}}) {
    SCOPED_TRACE(path.join('/').toStdString());
    const QModelIndex index = model.Find(path);
    ASSERT_TRUE(index.isValid());
    EXPECT_FALSE(model.flags(index).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_EQ(model.mimeData({index}), nullptr);
  }
  const std::unique_ptr<QMimeData> mime(model.mimeData({field}));
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasFormat(kDataItemMimeType));
  EXPECT_EQ(mime->text(), "<Wpisy.\"Data\">");
  const std::optional<DataDragItem> item = ReadDataMime(*mime);
  ASSERT_TRUE(item.has_value());
  EXPECT_EQ(*item, (DataDragItem{DataDragItem::Kind::Field, "Wpisy", "Data", {}}));
  EXPECT_EQ(item->ViewText(), "[Wpisy.\"Data\"]");
  // Anything else dropped on the page is no item of the tree.
  QMimeData plain;
  plain.setText("[Wpisy.\"Data\"]");
  EXPECT_FALSE(ReadDataMime(plain).has_value());
  QMimeData broken;
  broken.setData(kDataItemMimeType, "\x01\x02");
  EXPECT_FALSE(ReadDataMime(broken).has_value());
}

TEST(DataTree, VariablesByCategoryAndADataSetTheReportCannotReach) {
  designer::testing::Designed d;
  // Without the log, "Wpisy" is named by the report but not there.
  setVariables(d.report, {{"Bez kategorii", "1"}, {" Okres", ""}, {"Od", "'2026-03-01'"}, {"Do", "Date"},
                          {" Firma", ""}, {"Nazwa", "'Valmoro'"}});
  DataTree tree(*d.document);
  DataTreeModel& model = tree.Model();
  EXPECT_EQ(childTexts(model, model.Find({"Zbiory danych"})), QStringList{"Wpisy (niedostępny)"});
  EXPECT_EQ(model.rowCount(model.Find({"Zbiory danych", "Wpisy (niedostępny)"})), 0);
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne"})), QStringList({"Bez kategorii", "Okres", "Firma"}));
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne", "Okres"})), QStringList({"Od", "Do"}));
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne", "Firma"})), QStringList{"Nazwa"});
  const QModelIndex from = model.Find({"Zmienne", "Okres", "Od"});
  EXPECT_EQ(from.data(Qt::ToolTipRole).toString(), "'2026-03-01'");
  EXPECT_FALSE(model.flags(model.Find({"Zmienne", "Okres"})).testFlag(Qt::ItemIsDragEnabled));
  EXPECT_EQ(model.DragItem(from)->ViewText(), "[Od]");
  tree.View()->setCurrentIndex(from);
  EXPECT_EQ(tree.DescriptionPane()->text(), "Od = '2026-03-01'");
}

TEST(DataTree, FollowsChangesOfTheReportAndKeepsWhatWasOpen) {
  LogDesigned d;
  DataTree tree(d.document());
  DataTreeModel& model = tree.Model();
  tree.View()->expand(model.Find({"Funkcje"}));
  tree.View()->expand(model.Find({"Funkcje", "Matematyczne"}));
  // A whole-report step (the variables editor's) says nothing per property.
  ASSERT_EQ(d.document().ChangeReport("Zmienne raportu", [](report::TfrxReport& r) {
    setVariables(r, {{" Stałe", ""}, {"Prog", "25"}});
  }), "");
  QCoreApplication::processEvents();
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne", "Stałe"})), QStringList{"Prog"});
  EXPECT_TRUE(tree.View()->isExpanded(model.Find({"Funkcje", "Matematyczne"})));
  EXPECT_TRUE(tree.View()->isExpanded(model.Find({"Zbiory danych"})));

  d.document().UndoStack().undo();
  QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(model.Find({"Zmienne"})), 0);
  d.document().UndoStack().redo();
  QCoreApplication::processEvents();
  EXPECT_EQ(childTexts(model, model.Find({"Zmienne", "Stałe"})), QStringList{"Prog"});

  // Only what the tree shows builds it again.
  EXPECT_FALSE(model.Refresh());
  d.document().NewReport();
  QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(model.Find({"Zbiory danych"})), 0);
  EXPECT_EQ(model.rowCount(model.Find({"Zmienne"})), 0);
  EXPECT_EQ(model.rowCount(model.Find({"Zmienne systemowe"})), 9);
}
