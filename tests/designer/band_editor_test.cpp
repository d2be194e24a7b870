// "Właściwości wstęgi" driven through its widgets: a data band switched to
// a number of rows, columns and keep options, a group header grouping by a
// field or by an expression; what the document then holds and prints, undo,
// Cancel, and refusals that keep the dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer_support.h"
#include "designer/band_editor.h"
#include "designer/band_rules.h"
#include "designer/object_editors.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/report_page.h"
#include "report/model/serializer.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;
using designer::testing::LogDesigned;
using designer::testing::preparedTexts;

namespace {

QString attributes(report::TfrxReport& report, const QString& name) {
  report::TfrxXMLSerializer writer(&report);
  return writer.ObjToXML(*report.FindObject(name));
}

report::TfrxBand* bandNamed(report::TfrxReport& report, const QString& name) {
  return qobject_cast<report::TfrxBand*>(report.FindObject(name));
}

// The shipped report over the small log with a group header above the
// data band and a text view in it printing `text`.
struct Grouped : LogDesigned {
  explicit Grouped(const QString& text) {
    auto* page = qobject_cast<report::TfrxReportPage*>(report().FindObject("Page1"));
    QString group;
    document().Push(MakeInsertBand(*page, "TfrxGroupHeader", bandNamed(report(), "MasterData1"), &group).release());
    EXPECT_EQ(group, "GroupHeader1");
    QString memo;
    EXPECT_EQ(document().Run([&] {
      auto* insert = new report::edit::InsertCommand(report(), "TfrxMemoView", group, QRectF(0, 0, 200, 18));
      memo = insert->InsertedName();
      return insert;
    }), "");
    EXPECT_EQ(document().Run([&] { return new report::edit::SetPropertyCommand(report(), {memo}, "Text", text); }), "");
    memoName = memo;
    document().UndoStack().clear();
  }
  report::TfrxBand& header() { return *bandNamed(report(), "GroupHeader1"); }
  QString memoName;
};

}  // namespace

TEST(BandEditor, ADataBandSwitchedToARowCountPrintsThatManyRowsInOneUndoStep) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  EXPECT_EQ(preparedTexts(before)["PolePunkt"].size(), 3);
  report::TfrxBand& band = *bandNamed(d.report(), "MasterData1");
  BandEditor editor(d.document(), band);
  editor.show();
  ASSERT_NE(editor.DataSetCombo(), nullptr);
  EXPECT_EQ(editor.DataSetCombo()->itemText(0), "(brak)");
  EXPECT_EQ(editor.DataSetCombo()->currentText(), "Wpisy");
  EXPECT_TRUE(editor.DataSetChoice()->isChecked());
  EXPECT_FALSE(editor.RowCountSpin()->isEnabled());
  // Only what a data band publishes; the group's options are not offered.
  EXPECT_NE(editor.Option("KeepFooter"), nullptr);
  EXPECT_NE(editor.Option("PrintIfDetailEmpty"), nullptr);
  EXPECT_EQ(editor.Option("DrillDown"), nullptr);
  EXPECT_EQ(editor.Option("Visible"), nullptr);
  EXPECT_EQ(editor.FieldCombo(), nullptr);

  editor.RowCountChoice()->click();
  EXPECT_TRUE(editor.RowCountSpin()->isEnabled());
  editor.RowCountSpin()->setValue(5);
  editor.Option("KeepTogether")->click();
  editor.ColumnsSpin()->setValue(2);
  editor.ColumnWidthEdit()->setText("9,5");  // centimetres, the designer's unit
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(editor.Applied());

  const QString xml = attributes(d.report(), "MasterData1");
  EXPECT_TRUE(xml.contains("RowCount=\"5\"")) << xml.toStdString();
  EXPECT_FALSE(xml.contains("DataSetName=") || xml.contains("DataSet=")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("KeepTogether=\"True\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("Columns=\"2\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("ColumnWidth=\"359,05535\"")) << xml.toStdString();
  EXPECT_EQ(preparedTexts(d.document().DocumentBytes())["PolePunkt"].size(), 5);

  EXPECT_EQ(d.document().UndoStack().count(), 1);
  EXPECT_EQ(d.document().UndoStack().undoText(), "Właściwości wstęgi MasterData1");
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);

  // Back from a row count to the data set: its rows again.
  d.document().UndoStack().redo();
  BandEditor back(d.document(), band);
  EXPECT_TRUE(back.RowCountChoice()->isChecked());
  EXPECT_EQ(back.RowCountSpin()->value(), 5);
  back.DataSetChoice()->click();
  back.DataSetCombo()->setCurrentText("Wpisy");
  ASSERT_TRUE(back.Apply());
  EXPECT_EQ(preparedTexts(d.document().DocumentBytes())["PolePunkt"],
            QStringList({"Chłodnia", "Hala", "Rampa"}));
}

TEST(BandEditor, CancelAndAnUnchangedOkLeaveTheDocumentAndBadInputKeepsTheDialog) {
  Designed d;
  const QByteArray before = d.bytes();
  report::TfrxBand& band = *bandNamed(d.report, "MasterData1");
  {
    BandEditor editor(*d.document, band);
    editor.show();
    editor.Option("StartNewPage")->click();
    editor.reject();
    EXPECT_SAME_DOCUMENT(d.bytes(), before);
  }
  {
    BandEditor editor(*d.document, band);
    editor.show();
    QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(editor.Applied());
    EXPECT_EQ(d.document->UndoStack().count(), 0);
  }
  BandEditor editor(*d.document, band);
  editor.show();
  editor.ColumnGapEdit()->setText("dwa");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ErrorLine()->text(), "Odstęp kolumn: „dwa” nie jest poprawną liczbą.");
  editor.ColumnGapEdit()->setText("-1");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_EQ(editor.ErrorLine()->text(), "Odstęp kolumn: wartość nie może być ujemna.");
  editor.ColumnGapEdit()->setText("0");
  editor.RowCountChoice()->click();
  editor.RowCountSpin()->setValue(0);
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ErrorLine()->text(), "Liczba wierszy musi być większa od zera.");
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(BandEditor, AGroupHeaderWithAFieldConditionGroupsTheLogsRows) {
  Grouped d("[Wpisy.\"Modul\"]");
  report::TfrxBand& header = d.header();
  BandEditor editor(d.document(), header);
  editor.show();
  ASSERT_NE(editor.FieldCombo(), nullptr);
  EXPECT_EQ(editor.DataSetCombo(), nullptr);
  EXPECT_NE(editor.Option("DrillDown"), nullptr);
  EXPECT_NE(editor.Option("ResetPageNumbers"), nullptr);
  EXPECT_EQ(editor.FieldCombo()->count(), 7);
  EXPECT_EQ(editor.FieldCombo()->itemText(0), "Wpisy.\"Identyfikator\"");
  editor.FieldChoice()->click();
  editor.FieldCombo()->setCurrentText("Wpisy.\"Modul\"");
  editor.Option("KeepTogether")->click();
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  ASSERT_TRUE(editor.Applied()) << editor.ErrorLine()->text().toStdString();
  const QString xml = attributes(d.report(), "GroupHeader1");
  EXPECT_TRUE(xml.contains("Condition=\"Wpisy.&#34;Modul&#34;\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("KeepTogether=\"True\"")) << xml.toStdString();
  // One module: one group over the three rows.
  QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());
  EXPECT_EQ(texts[d.memoName], QStringList({"Magazyn"}));
  EXPECT_EQ(texts["PolePunkt"].size(), 3);

  // Opened again, the condition shows as that field; an expression by
  // employee makes a group at every change of the name.
  BandEditor again(d.document(), header);
  EXPECT_TRUE(again.FieldChoice()->isChecked());
  EXPECT_EQ(again.FieldCombo()->currentText(), "Wpisy.\"Modul\"");
  again.ExpressionChoice()->click();
  again.ExpressionEdit()->setText("<Wpisy.\"Pracownik\">");
  ASSERT_TRUE(again.Apply()) << again.ErrorLine()->text().toStdString();
  EXPECT_EQ(bandNamed(d.report(), "GroupHeader1")->property("Condition").toString(), "<Wpisy.\"Pracownik\">");
  EXPECT_EQ(d.document().UndoStack().count(), 2);
}

TEST(BandEditor, AConditionThatDoesNotCompileIsRefusedWithItsMessage) {
  Grouped d("[Wpisy.\"Modul\"]");
  const QByteArray before = d.document().DocumentBytes();
  BandEditor editor(d.document(), d.header());
  editor.show();
  editor.ExpressionChoice()->click();
  editor.ExpressionEdit()->setText("(1 + ");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Błąd w wyrażeniu")) << editor.ErrorLine()->text().toStdString();
  EXPECT_EQ(editor.ExpressionEdit()->text(), "(1 + ");
  editor.ExpressionEdit()->setText("<Wpisy.\"Cisnienie\">");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_EQ(editor.ErrorLine()->text(), "Nieznaleziono pola: Wpisy.\"Cisnienie\"");
  editor.ExpressionEdit()->setText("");
  QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
  EXPECT_EQ(editor.ErrorLine()->text(), "Podaj warunek grupowania: pole danych albo wyrażenie.");
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  EXPECT_EQ(d.document().UndoStack().count(), 0);
}

TEST(BandEditor, TheEllipsisPutsThePickedExpressionIntoTheCondition) {
  Grouped d("x");
  QString given;
  BandEditorExpressionPicker() = [&given](QWidget*, const QString& text) -> std::optional<QString> {
    given = text;
    return QString("<Wpisy.\"Punkt\">");
  };
  BandEditor editor(d.document(), d.header());
  editor.show();
  editor.ExpressionChoice()->click();
  editor.ExpressionEdit()->setText("1");
  ASSERT_TRUE(editor.PickExpressionButton()->isVisible());
  QTest::mouseClick(editor.PickExpressionButton(), Qt::LeftButton);
  BandEditorExpressionPicker() = nullptr;
  EXPECT_EQ(given, "1");
  EXPECT_EQ(editor.ExpressionEdit()->text(), "<Wpisy.\"Punkt\">");
}

TEST(BandEditor, OtherBandsOfferWhatTheyPublishAndTheRegistryOpensTheEditorsOnBandsAndPages) {
  Designed d;
  report::TfrxBand& footer = *bandNamed(d.report, "PageFooter1");
  BandEditor editor(*d.document, footer);
  ASSERT_NE(editor.Option("PrintOnFirstPage"), nullptr);
  EXPECT_TRUE(editor.Option("PrintOnFirstPage")->isChecked());
  EXPECT_EQ(editor.Option("KeepTogether"), nullptr);
  editor.Option("PrintOnLastPage")->click();
  ASSERT_TRUE(editor.Apply());
  EXPECT_TRUE(attributes(d.report, "PageFooter1").contains("PrintOnLastPage=\"False\""));

  report::TfrxColumnFooter columnFooter;
  EXPECT_FALSE(BandHasOptions(columnFooter));
  EXPECT_EQ(ObjectEditors::MainFor(columnFooter), nullptr);
  const ObjectEditor* main = ObjectEditors::MainFor(*d.report.FindObject("MasterData1"));
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->id, "band");
  // A text view's main editor is its text editor, not a band's.
  ASSERT_NE(ObjectEditors::MainFor(*d.report.FindObject("PolePunkt")), nullptr);
  EXPECT_EQ(ObjectEditors::MainFor(*d.report.FindObject("PolePunkt"))->id, "text");
  // A page has its settings among its editors (with its frame and fill).
  QStringList pageEditors;
  for (const ObjectEditor* pageEditor : ObjectEditors::For(*d.report.FindObject("Page1"))) pageEditors.append(pageEditor->id);
  EXPECT_TRUE(pageEditors.contains("page")) << pageEditors.join(", ").toStdString();
  EXPECT_FALSE(pageEditors.contains("band"));
}
