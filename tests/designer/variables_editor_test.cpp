// "Zmienne raportu" driven as a user drives it: buttons clicked, names and
// expressions typed, OK pressed; what the report then holds, and undo.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer_support.h"
#include "designer/variables_editor.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"
#include "report/model/report_lists.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;

namespace {

// The report's list as "Name=Value" lines (a category as " Name").
QStringList variablesOf(const report::TfrxReport& report) {
  QStringList lines;
  const report::TfrxVariables& v = *report.Variables();
  for (int i = 0; i < v.Count(); ++i)
    lines.append(v.Item(i)->Name() + (v.Item(i)->Name().startsWith(' ') ? QString() : "=" + v.Item(i)->Value().toString()));
  return lines;
}

// Typed key by key, as the keyboard gives it (Polish letters included).
void type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &press);
  }
}

// The shipped report with a variable in a category, used by a text view
// and by the script.
struct WithVariables : Designed {
  WithVariables() {
    EXPECT_EQ(document->ChangeReport("przygotowanie", [](report::TfrxReport& r) {
      r.Variables()->AddVariable("Progi", "Stawka", QString("25"));
      r.Variables()->AddVariable("Progi", "Limit", QString("<Stawka> * 2"));
      qobject_cast<report::TfrxCustomMemoView*>(r.FindObject("Okres"))->SetText("Stawka: [Stawka], limit [Limit]");
      QStringList script = r.ScriptText();
      script.insert(script.size() - 1, "  ShowMessage(<Stawka>);");
      r.SetScriptText(script);
    }), "");
    document->UndoStack().clear();
    document->UndoStack().setClean();
  }
};

}  // namespace

TEST(VariablesEditor, CategoriesAndVariablesAddedAndTypedAreAppliedAsOneStep) {
  Designed d;
  const QByteArray before = d.bytes();
  VariablesEditor editor(*d.document);
  editor.show();
  QTest::mouseClick(editor.AddCategoryButton(), Qt::LeftButton);
  EXPECT_EQ(editor.NameEdit()->text(), "Kategoria1");
  EXPECT_FALSE(editor.ExpressionEdit()->isEnabled());
  type(editor.NameEdit(), "Okres");
  QTest::mouseClick(editor.AddVariableButton(), Qt::LeftButton);
  EXPECT_EQ(editor.NameEdit()->text(), "Zmienna1");
  type(editor.NameEdit(), "Początek");
  type(editor.ExpressionEdit(), "Date - 7");
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  QTest::mouseClick(editor.AddVariableButton(), Qt::LeftButton);
  type(editor.ExpressionEdit(), "'Magazyn'");
  // The tree shows them under their category as they are typed.
  ASSERT_EQ(editor.Tree()->topLevelItemCount(), 1);
  QTreeWidgetItem* category = editor.Tree()->topLevelItem(0);
  EXPECT_EQ(category->text(0), "Okres");
  ASSERT_EQ(category->childCount(), 2);
  EXPECT_EQ(category->child(0)->text(0), "Początek");
  EXPECT_EQ(category->child(0)->text(1), "Date - 7");
  EXPECT_EQ(category->child(1)->text(0), "Zmienna1");

  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(editor.Applied());
  EXPECT_EQ(variablesOf(d.report), QStringList({" Okres", "Początek=Date - 7", "Zmienna1='Magazyn'"}));
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Zmienne raportu");
  const QByteArray after = d.bytes();
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  d.document->UndoStack().redo();
  EXPECT_SAME_DOCUMENT(d.bytes(), after);
}

TEST(VariablesEditor, ExpressionsAreCheckedAsTypedAndABadOneKeepsTheDialog) {
  designer::testing::LogDesigned d;
  VariablesEditor editor(d.document());
  editor.show();
  QTest::mouseClick(editor.AddVariableButton(), Qt::LeftButton);
  type(editor.ExpressionEdit(), "(1 + ");
  const QString error = editor.ErrorLine()->text();
  EXPECT_TRUE(error.startsWith("Błąd w wyrażeniu")) << error.toStdString();
  EXPECT_FALSE(error.contains('\n') || error.contains('\r'));
  // A field the data set does not have is found as preparing finds it.
  type(editor.ExpressionEdit(), "<Wpisy.\"Cisnienie\"> + 1");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nieznaleziono pola: Wpisy.\"Cisnienie\"");
  type(editor.ExpressionEdit(), "<Wpisy.\"Temperatura\"> + 1");
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  type(editor.ExpressionEdit(), "Copy('abc', 1");
  EXPECT_NE(editor.ErrorLine()->text(), "");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_FALSE(editor.Applied());
  EXPECT_EQ(editor.ExpressionEdit()->text(), "Copy('abc', 1");
  EXPECT_NE(editor.ErrorLine()->text(), "");
  EXPECT_EQ(d.report().Variables()->Count(), 0);
  EXPECT_EQ(d.document().UndoStack().count(), 0);
  // Put right, it goes in.
  type(editor.ExpressionEdit(), "Copy('abc', 1, 2)");
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.Applied());
  EXPECT_EQ(variablesOf(d.report()), QStringList({"Zmienna1=Copy('abc', 1, 2)"}));
}

TEST(VariablesEditor, NamesMustBeUniqueAndNotEmpty) {
  WithVariables d;
  const QByteArray before = d.bytes();
  VariablesEditor editor(*d.document);
  editor.show();
  ASSERT_TRUE(editor.SelectName("Limit"));
  type(editor.NameEdit(), "");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa zmiennej nie może być pusta.");
  type(editor.NameEdit(), "Stawka");
  EXPECT_EQ(editor.ErrorLine()->text(), "Zmienna „Stawka” już istnieje.");
  type(editor.NameEdit(), " Limit");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa „Limit” nie może zaczynać się ani kończyć odstępem.");
  ASSERT_TRUE(editor.SelectName("Progi"));
  QTest::mouseClick(editor.AddCategoryButton(), Qt::LeftButton);
  type(editor.NameEdit(), "Progi");
  EXPECT_EQ(editor.ErrorLine()->text(), "Kategoria „Progi” już istnieje.");
  // OK shows the first entry that cannot stay (in the list's order), and
  // nothing changes.
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.Tree()->currentItem(), editor.Tree()->topLevelItem(0));
  EXPECT_EQ(editor.NameEdit()->text(), "Progi");
  EXPECT_EQ(editor.ErrorLine()->text(), "Kategoria „Progi” już istnieje.");
  type(editor.NameEdit(), "Stałe");
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.NameEdit()->text(), " Limit");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa „Limit” nie może zaczynać się ani kończyć odstępem.");
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  // Cancel leaves the report as it was.
  editor.reject();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_EQ(d.document->UndoStack().count(), 0);
}

TEST(VariablesEditor, ARenamedVariableTakesItsUsesAlongWhenTheUserSaysSo) {
  WithVariables d;
  const QByteArray before = d.bytes();
  dialogs::RecordingScope recording;
  {
    VariablesEditor editor(*d.document);
    ASSERT_TRUE(editor.SelectName("Stawka"));
    type(editor.NameEdit(), "Cena");
    dialogs::queueAnswer(true);
    QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(editor.Applied());
  }
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_EQ(recording.messages().at(0),
            "Zmieniono nazwy zmiennych używanych w raporcie (Stawka → Cena).\rZmienić je także w tekstach obiektów i w skrypcie?");
  EXPECT_EQ(variablesOf(d.report), QStringList({" Progi", "Cena=25", "Limit=<Stawka> * 2"}));
  EXPECT_EQ(qobject_cast<report::TfrxCustomMemoView*>(d.report.FindObject("Okres"))->Text(), "Stawka: [Cena], limit [Limit]");
  EXPECT_TRUE(d.report.ScriptText().contains("  ShowMessage(<Cena>);"));
  // The variable that names it in its expression is the user's to change.
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  // "Nie": only the variable is renamed.
  {
    VariablesEditor editor(*d.document);
    ASSERT_TRUE(editor.SelectName("Stawka"));
    type(editor.NameEdit(), "Cena");
    dialogs::queueAnswer(false);
    QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  }
  EXPECT_EQ(variablesOf(d.report), QStringList({" Progi", "Cena=25", "Limit=<Stawka> * 2"}));
  EXPECT_EQ(qobject_cast<report::TfrxCustomMemoView*>(d.report.FindObject("Okres"))->Text(),
            "Stawka: [Stawka], limit [Limit]");
  EXPECT_TRUE(d.report.ScriptText().contains("  ShowMessage(<Stawka>);"));

  // A variable nothing uses is renamed without a question.
  dialogs::clearRecordedMessages();
  {
    VariablesEditor editor(*d.document);
    ASSERT_TRUE(editor.SelectName("Cena"));
    type(editor.NameEdit(), "Koszt");
    QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(editor.Applied());
  }
  EXPECT_EQ(recording.messages(), QStringList());
  EXPECT_EQ(variablesOf(d.report), QStringList({" Progi", "Koszt=25", "Limit=<Stawka> * 2"}));
}

TEST(VariablesEditor, DeletingACategoryTakesItsVariablesAndEditVariablesRunsTheDialog) {
  WithVariables d;
  bool sawDialog = false;
  // The window's command: the dialog runs modally; the user deletes the
  // category and presses OK.
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<VariablesEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    sawDialog = true;
    EXPECT_EQ(editor->windowTitle(), "Zmienne raportu");
    ASSERT_TRUE(editor->SelectName("Progi"));
    QTest::mouseClick(editor->DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(editor->Tree()->topLevelItemCount(), 0);
    QTest::mouseClick(editor->OkButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(EditVariables(*d.document, nullptr));
  EXPECT_TRUE(sawDialog);
  EXPECT_EQ(d.report.Variables()->Count(), 0);
  // Nothing changed: OK makes no step.
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<VariablesEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    QTest::mouseClick(editor->OkButton(), Qt::LeftButton);
  });
  EXPECT_FALSE(EditVariables(*d.document, nullptr));
  EXPECT_EQ(d.document->UndoStack().count(), 1);
}

TEST(VariablesEditor, TheDraftKeepsUntouchedEntriesAsTheDocumentHadThem) {
  report::TfrxVariables variables;
  variables.AddVariable("A", "Liczba", 7);
  report::TfrxVariable* loose = variables.Insert(0);
  loose->SetName("Luzem");
  loose->SetValue(QString("1"));
  VariablesDraft draft(variables);
  ASSERT_EQ(draft.Entries().size(), 3u);
  EXPECT_EQ(draft.Entries()[0].name, "Luzem");
  // A new variable joins the block of the entry it is added near.
  const int a = draft.Entries()[1].id;
  const int added = draft.AddVariable(a);
  EXPECT_EQ(draft.Entries()[3].id, added);
  const int second = draft.AddVariable(-1);
  EXPECT_EQ(draft.Entries()[1].id, second);
  EXPECT_EQ(draft.Find(second)->name, "Zmienna2");
  report::TfrxVariables written;
  draft.WriteTo(written);
  // The number stays a number: only edited entries become expression texts.
  EXPECT_EQ(written.Value("Liczba").typeId(), QMetaType::Int);
  EXPECT_EQ(written.VariablesOf("A"), QStringList({"Liczba", "Zmienna1"}));
  EXPECT_EQ(written.VariablesOf(""), QStringList({"Luzem", "Zmienna2"}));
}
