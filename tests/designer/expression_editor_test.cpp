// "Edytor wyrażeń" driven as a user drives it: items of the tree put in
// with a double click, "Sprawdź" on good and bad expressions, OK refusing
// what does not compile.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer/data_tree.h"
#include "designer/expression_editor.h"
#include "designer_support.h"
#include "report/model/data_set.h"
#include "report/model/report_lists.h"
#include "text_editors_support.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::LogDesigned;
using designer::testing::whenShown;

namespace {

QModelIndex functionNamed(const DataTreeModel& model, const QString& name) {
  const QModelIndex functions = model.Find({DataTreeModel::FunctionsText()});
  for (int c = 0; c < model.rowCount(functions); ++c) {
    const QModelIndex category = model.index(c, 0, functions);
    for (int f = 0; f < model.rowCount(category); ++f)
      if (model.index(f, 0, category).data(DataTreeModel::NameRole).toString() == name) return model.index(f, 0, category);
  }
  return {};
}

void doubleClick(QTreeView* tree, const QModelIndex& index) {
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) tree->expand(parent);
  tree->scrollTo(index);
  const QPointF at = tree->visualRect(index).center();
  // As the window system delivers a double click.
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent click(type, at, tree->viewport()->mapToGlobal(at), Qt::LeftButton, held, {});
    QApplication::sendEvent(tree->viewport(), &click);
  }
}

TEST(ExpressionEditor, ADoubleClickPutsTheItemInAtTheCursor) {
  LogDesigned d;
  ASSERT_EQ(d.document().ChangeReport("zmienna", [](report::TfrxReport& r) {
    r.Variables()->AddVariable("Progi", "Prog", QString("20"));
  }), "");
  ExpressionEditor editor(d.document(), "", nullptr);
  editor.show();
  QTreeView* tree = editor.ItemsTree();
  const DataTreeModel& model = editor.Model();
  const QModelIndex field = model.Find({DataTreeModel::DataSetsText(), "Wpisy", "Temperatura"});
  const QModelIndex variable = model.Find({DataTreeModel::VariablesText(), "Progi", "Prog"});
  const QModelIndex page = model.Find({DataTreeModel::SystemVariablesText(), "Page#"});
  const QModelIndex copy = functionNamed(model, "Copy");
  ASSERT_TRUE(field.isValid() && variable.isValid() && page.isValid() && copy.isValid());

  doubleClick(tree, field);
  EXPECT_EQ(editor.Expression(), "<Wpisy.\"Temperatura\">");
  editor.ExpressionEdit()->insertPlainText(" > ");
  doubleClick(tree, variable);
  EXPECT_EQ(editor.Expression(), "<Wpisy.\"Temperatura\"> > <Prog>");
  // In at the cursor, not at the end.
  editor.ExpressionEdit()->moveCursor(QTextCursor::Start);
  tree->expand(copy.parent());
  doubleClick(tree, copy);
  EXPECT_EQ(editor.Expression(), "Copy(<Wpisy.\"Temperatura\"> > <Prog>");
  editor.SetExpression("");
  doubleClick(tree, page);
  EXPECT_EQ(editor.Expression(), "<Page#>");
  // A section puts nothing in.
  doubleClick(tree, model.Find({DataTreeModel::DataSetsText()}));
  EXPECT_EQ(editor.Expression(), "<Page#>");

  // The function chosen shows its declaration and what it does.
  tree->setCurrentIndex(copy);
  EXPECT_TRUE(editor.DescriptionPane()->text().contains("Copy(")) << editor.DescriptionPane()->text().toStdString();
}

TEST(ExpressionEditor, CheckShowsTheValueOverTheFirstRowOfTheData) {
  LogDesigned d;
  ExpressionEditor editor(d.document(), "<Wpisy.\"Temperatura\"> * 2", nullptr);
  editor.CheckButton()->click();
  EXPECT_EQ(editor.ResultLine()->text(), "Wartość: 8,5");
  editor.SetExpression("<Wpisy.\"Punkt\"> + ' / ' + <Wpisy.\"Pracownik\">");
  editor.CheckButton()->click();
  EXPECT_EQ(editor.ResultLine()->text(), "Wartość: Chłodnia / Nowak");
  // No data needed.
  editor.SetExpression("2 + 3 * 4");
  editor.CheckButton()->click();
  EXPECT_EQ(editor.ResultLine()->text(), "Wartość: 14");
  // A field the data set does not have.
  editor.SetExpression("<Wpisy.\"Cisnienie\"> + 1");
  editor.CheckButton()->click();
  EXPECT_EQ(editor.ResultLine()->text(), "Nieznaleziono pola: Wpisy.\"Cisnienie\"");
  // The designed report is left alone.
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), d.designed.bytes());
  EXPECT_EQ(d.document().UndoStack().count(), 0);
}

TEST(ExpressionEditor, CheckOverDataWithoutRowsSaysSo) {
  LogDesigned d;
  QSqlQuery(d.data.connection.database()).exec("DELETE FROM Wpisy");
  d.data.log.close();
  d.data.log.open();
  ExpressionEditor editor(d.document(), "<Wpisy.\"Temperatura\">", nullptr);
  editor.CheckButton()->click();
  EXPECT_EQ(editor.ResultLine()->text(), "Brak danych");
}

TEST(ExpressionEditor, ASyntaxErrorShowsWhereItIsAndKeepsTheDialogOpen) {
  LogDesigned d;
  ExpressionEditor editor(d.document(), "<Wpisy.\"Temperatura\"> +", nullptr);
  editor.show();
  editor.CheckButton()->click();
  const QString message = editor.ResultLine()->text();
  EXPECT_TRUE(message.startsWith("Błąd w wyrażeniu")) << message.toStdString();
  // The engine stops at the "+" that has nothing after it.
  EXPECT_TRUE(message.endsWith("(znak 23)")) << message.toStdString();
  // The cursor went there.
  EXPECT_EQ(editor.ExpressionEdit()->textCursor().position(), 22);

  // Over two lines: the line and the character in it (the "*" missing
  // its operand).
  editor.SetExpression("1 +\n(2 * ) ");
  editor.CheckButton()->click();
  EXPECT_TRUE(editor.ResultLine()->text().endsWith("(wiersz 2, znak 4)")) << editor.ResultLine()->text().toStdString();
  EXPECT_EQ(editor.ExpressionEdit()->textCursor().blockNumber(), 1);
  EXPECT_EQ(editor.ExpressionEdit()->textCursor().positionInBlock(), 3);

  // OK refuses it: the dialog stays, the expression is kept.
  editor.ResultLine()->clear();
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.Expression(), "1 +\n(2 * ) ");
  EXPECT_TRUE(editor.ResultLine()->text().startsWith("Błąd w wyrażeniu"));

  editor.SetExpression("1 +\n(2 * 3)");
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(editor.result(), QDialog::Accepted);
}

TEST(ExpressionEditor, EditExpressionGivesTheConfirmedTextOrNothing) {
  LogDesigned d;
  bool seen = false;
  whenShown<ExpressionEditor>([](ExpressionEditor& e) {
    EXPECT_EQ(e.Expression(), "1");
    e.SetExpression("<Wpisy.\"Punkt\">");
    e.OkButton()->click();
  }, &seen);
  EXPECT_EQ(EditExpression(d.document(), "1", nullptr, nullptr), std::optional<QString>("<Wpisy.\"Punkt\">"));
  EXPECT_TRUE(seen);
  whenShown<ExpressionEditor>([](ExpressionEditor& e) {
    e.SetExpression("2");
    e.reject();
  });
  EXPECT_EQ(EditExpression(d.document(), "1", nullptr, nullptr), std::nullopt);
}

}  // namespace
