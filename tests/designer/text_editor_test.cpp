// "Edytor tekstu" driven through its dialog: the text with its line
// numbers, word wrap, alignment and font, expressions and totals put in at
// the cursor (a total prepared over the small log), the sample, one undo
// step; and the double click that opens it.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer/designer_form.h"
#include "designer/expression_editor.h"
#include "designer/memo_sample.h"
#include "designer/object_editors.h"
#include "designer/text_editor.h"
#include "designer/workspace.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"
#include "text_editors_support.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::attributesOf;
using designer::testing::Designed;
using designer::testing::LogDesigned;
using designer::testing::preparedTexts;
using designer::testing::whenShown;

namespace {

report::TfrxCustomMemoView& memoNamed(report::TfrxReport& report, const QString& name) {
  return *qobject_cast<report::TfrxCustomMemoView*>(report.FindObject(name));
}

// The leftmost and rightmost columns of the sample where something dark is drawn.
QPair<int, int> inkColumns(const QImage& image) {
  int left = image.width(), right = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  return {left, right};
}

TEST(TextEditor, TextWrapAlignmentAndFontGoInAsOneStep) {
  Designed d;
  dialogs::RecordingScope recording;
  const QByteArray before = d.bytes();
  TextEditor editor(*d.document, memoNamed(d.report, "Okres"));
  editor.show();
  EXPECT_EQ(editor.Edit()->toPlainText(), memoNamed(d.report, "Okres").Text());
  EXPECT_TRUE(editor.HAlignButton(report::haCenter)->isChecked());
  editor.Edit()->selectAll();
  QTest::keyClicks(editor.Edit(), "Okres:");
  QTest::keyClick(editor.Edit(), Qt::Key_Return);
  editor.Edit()->insertPlainText("od marca do grudnia");
  editor.WordWrapBox()->click();
  editor.HAlignButton(report::haRight)->click();
  editor.VAlignButton(report::vaCenter)->click();
  dialogs::FontChoice font;
  font.font = QFont("Times New Roman");
  font.font.setPixelSize(16);
  font.font.setBold(true);
  font.color = QColor(0, 128, 0);
  dialogs::queueFontAnswer(font);
  editor.FontButton()->click();
  EXPECT_EQ(editor.FontButton()->text(), "Times New Roman, 12 pkt, pogrubiona");

  editor.OkButton()->click();
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  const QString xml = attributesOf(d.report, "Okres");
  for (const char* part : {" Text=\"Okres:&#13;&#10;od marca do grudnia\"", " WordWrap=\"False\"", " HAlign=\"haRight\"",
                           " VAlign=\"vaCenter\"", " Font.Name=\"Times New Roman\"", " Font.Height=\"-16\"",
                           " Font.Style=\"1\"", " Font.Color=\"32768\""})
    EXPECT_TRUE(xml.contains(QString::fromUtf8(part))) << part << "\n" << xml.toStdString();
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(TextEditor, OnlyWhatChangedIsWrittenAndCancelWritesNothing) {
  Designed d;
  const QByteArray before = d.bytes();
  {
    TextEditor editor(*d.document, memoNamed(d.report, "Tytul"));
    editor.OkButton()->click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_FALSE(editor.Applied());
  }
  {
    TextEditor editor(*d.document, memoNamed(d.report, "Tytul"));
    editor.Edit()->setPlainText("Inny tytuł");
    editor.reject();
  }
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  {
    // The text alone: the font (and the band's font it may follow) stays.
    TextEditor editor(*d.document, memoNamed(d.report, "Tytul"));
    editor.Edit()->setPlainText("Inny tytuł\n");
    editor.OkButton()->click();
  }
  const QString xml = attributesOf(d.report, "Tytul");
  EXPECT_TRUE(xml.contains(" Text=\"Inny tytuł\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains(" Font.Height=\"-21\" Font.Name=\"Arial\" Font.Style=\"1\"")) << xml.toStdString();
  EXPECT_EQ(d.document->UndoStack().count(), 1);
}

TEST(TextEditor, TheMarginNumbersTheLines) {
  Designed d;
  TextEditor editor(*d.document, memoNamed(d.report, "Tytul"));
  editor.show();
  editor.Edit()->setPlainText("a\nb\nc");
  QApplication::processEvents();
  EXPECT_EQ(editor.Edit()->VisibleLineNumbers(), (QList<int>{1, 2, 3}));
  const int narrow = editor.Edit()->MarginWidth();
  QStringList many;
  for (int i = 0; i < 150; ++i) many.append(QString::number(i));
  editor.Edit()->setPlainText(many.join('\n'));
  EXPECT_GT(editor.Edit()->MarginWidth(), narrow);
  EXPECT_EQ(editor.Edit()->Margin()->width() > 0, true);
  editor.Edit()->moveCursor(QTextCursor::End);
  QApplication::processEvents();
  EXPECT_EQ(editor.Edit()->VisibleLineNumbers().last(), 150);
}

TEST(TextEditor, TheSampleDrawsTheTextWithTheDraftsAlignment) {
  Designed d;
  // A view without a frame: the ink is the text's alone.
  TextEditor editor(*d.document, memoNamed(d.report, "NaglowekMinimum"));
  editor.resize(640, 480);
  editor.show();
  editor.Edit()->setPlainText("Data");
  editor.HAlignButton(report::haLeft)->click();
  QApplication::processEvents();
  const auto [leftStart, leftEnd] = inkColumns(editor.Sample()->grab().toImage());
  editor.HAlignButton(report::haRight)->click();
  QApplication::processEvents();
  const auto [rightStart, rightEnd] = inkColumns(editor.Sample()->grab().toImage());
  ASSERT_GT(leftEnd, leftStart);
  // The same word, moved to the right edge.
  EXPECT_GT(rightStart, leftEnd);
  EXPECT_NEAR(rightEnd - rightStart, leftEnd - leftStart, 2);
  // The report's view is not touched by the sample.
  EXPECT_EQ(memoNamed(d.report, "NaglowekMinimum").HAlign(), report::haLeft);
  EXPECT_EQ(memoNamed(d.report, "NaglowekMinimum").Text(), "minimum");
}

TEST(TextEditor, AnExpressionGoesInAtTheCursorInTheViewsDelimiters) {
  LogDesigned d;
  report::TfrxCustomMemoView& view = memoNamed(d.report(), "PolePunkt");
  TextEditor editor(d.document(), view);
  editor.Edit()->setPlainText("Punkt: ");
  editor.Edit()->moveCursor(QTextCursor::End);
  whenShown<ExpressionEditor>([](ExpressionEditor& e) {
    e.SetExpression("UpperCase(<Wpisy.\"Punkt\">)");
    e.OkButton()->click();
  });
  editor.InsertExpressionButton()->click();
  EXPECT_EQ(editor.Edit()->toPlainText(), "Punkt: [UpperCase(<Wpisy.\"Punkt\">)]");
  // Cancelled: nothing goes in.
  whenShown<ExpressionEditor>([](ExpressionEditor& e) { e.reject(); });
  editor.InsertExpressionButton()->click();
  EXPECT_EQ(editor.Edit()->toPlainText(), "Punkt: [UpperCase(<Wpisy.\"Punkt\">)]");

  view.SetExpressionDelimiters("<%,%>");
  TextEditor other(d.document(), view);
  other.Edit()->setPlainText("");
  whenShown<ExpressionEditor>([](ExpressionEditor& e) {
    e.SetExpression("1 + 2");
    e.OkButton()->click();
  });
  other.InsertExpressionButton()->click();
  EXPECT_EQ(other.Edit()->toPlainText(), "<%1 + 2%>");
}

TEST(AggregateText, IsWrittenAsTheEngineReadsIt) {
  AggregateChoice sum{AggregateKind::Sum, "<Wpisy.\"Temperatura\">", "MasterData1", false, false};
  EXPECT_EQ(AggregateText(sum), "[SUM(<Wpisy.\"Temperatura\">,MasterData1)]");
  sum.runningTotal = true;
  EXPECT_EQ(AggregateText(sum), "[SUM(<Wpisy.\"Temperatura\">,MasterData1,2)]");
  sum.invisibleBands = true;
  EXPECT_EQ(AggregateText(sum), "[SUM(<Wpisy.\"Temperatura\">,MasterData1,3)]");
  const AggregateChoice count{AggregateKind::Count, "ignored", "MasterData1", false, true};
  EXPECT_EQ(AggregateText(count), "[COUNT(MasterData1,1)]");
  const AggregateChoice max{AggregateKind::Max, "<Wpisy.\"Wilgotnosc\"> / 100", "MasterData1", false, false};
  EXPECT_EQ(AggregateText(max, "<%,%>"), "<%MAX(<Wpisy.\"Wilgotnosc\"> / 100,MasterData1)%>");
  EXPECT_EQ(ExpressionBrackets(""), (QPair<QString, QString>("[", "]")));
}

TEST(AggregateDialog, ATotalPutInPreparesToTheSumOverTheLog) {
  LogDesigned d;
  report::TfrxCustomMemoView& view = memoNamed(d.report(), "NaglowekSrednia");
  TextEditor editor(d.document(), view);
  editor.Edit()->setPlainText("Suma: ");
  editor.Edit()->moveCursor(QTextCursor::End);
  bool seen = false;
  whenShown<AggregateDialog>([](AggregateDialog& a) {
    EXPECT_EQ(a.BandBox()->currentText(), "MasterData1");
    // The band's fields are offered.
    EXPECT_GE(a.ExpressionBox()->findText("<Wpisy.\"Temperatura\">"), 0);
    // SUM without an expression is refused and the dialog stays.
    a.OkButton()->click();
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(a.ErrorLine()->text(), "Podaj wyrażenie albo pole danych.");
    a.ExpressionBox()->setEditText("<Wpisy.\"Temperatura\"> +");
    a.OkButton()->click();
    EXPECT_TRUE(a.isVisible());
    EXPECT_TRUE(a.ErrorLine()->text().startsWith("Błąd w wyrażeniu")) << a.ErrorLine()->text().toStdString();
    a.ExpressionBox()->setCurrentIndex(a.ExpressionBox()->findText("<Wpisy.\"Temperatura\">"));
    EXPECT_EQ(a.ResultLabel()->text(), "[SUM(<Wpisy.\"Temperatura\">,MasterData1)]");
    a.OkButton()->click();
  }, &seen);
  editor.InsertAggregateButton()->click();
  EXPECT_TRUE(seen);
  editor.Edit()->insertPlainText(", wierszy: ");
  whenShown<AggregateDialog>([](AggregateDialog& a) {
    a.FunctionBox()->setCurrentIndex(int(AggregateKind::Count));
    EXPECT_FALSE(a.ExpressionBox()->isEnabled());
    a.OkButton()->click();
  });
  editor.InsertAggregateButton()->click();
  EXPECT_EQ(editor.Edit()->toPlainText(),
            "Suma: [SUM(<Wpisy.\"Temperatura\">,MasterData1)], wierszy: [COUNT(MasterData1)]");
  editor.OkButton()->click();
  // 4,25 + 21,5 − 3,125 over the three rows.
  const QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());
  EXPECT_EQ(texts.value("NaglowekSrednia"), QStringList{"Suma: 22,625, wierszy: 3"});
}

TEST(TextEditor, IsTheMainEditorOfTextViewsAndADoubleClickOpensIt) {
  LogDesigned d;
  report::TfrxComponent* memo = d.report().FindObject("PolePunkt");
  const ObjectEditor* text = ObjectEditors::Find("text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ObjectEditors::MainFor(*memo), text);
  EXPECT_EQ(ObjectEditors::ForProperty(*memo, "Memo"), text);
  EXPECT_FALSE(text->fits(*d.report().FindObject("MasterData1")));

  TfrxDesignerForm form(d.document());
  form.show();
  QString shown;
  whenShown<TextEditor>([&](TextEditor& e) {
    shown = e.Edit()->toPlainText();
    e.Edit()->setPlainText("[Wpisy.\"Modul\"]");
    e.OkButton()->click();
  });
  emit form.Workspace()->editRequested(memo);
  EXPECT_EQ(shown, "[Wpisy.\"Punkt\"]");
  EXPECT_EQ(memoNamed(d.report(), "PolePunkt").Text(), "[Wpisy.\"Modul\"]");
  EXPECT_EQ(form.Workspace()->TextEditor(), nullptr);
}

}  // namespace
