// "Wyróżnienie" driven through its dialog: the condition (typed, or from
// the expression editor), the font's colour and style and the background,
// the sample drawn with them, a condition that does not compile, undo.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer/expression_editor.h"
#include "designer/highlight_editor.h"
#include "designer/memo_sample.h"
#include "designer/object_editors.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"
#include "text_editors_support.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::attributesOf;
using designer::testing::LogDesigned;
using designer::testing::whenShown;

namespace {

report::TfrxCustomMemoView& memoNamed(report::TfrxReport& report, const QString& name) {
  return *qobject_cast<report::TfrxCustomMemoView*>(report.FindObject(name));
}

bool hasColour(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
  return false;
}

TEST(HighlightEditor, TheConditionFontAndBackgroundGoInAsOneStep) {
  LogDesigned d;
  dialogs::RecordingScope recording;
  const QByteArray before = d.document().DocumentBytes();
  HighlightEditor editor(d.document(), memoNamed(d.report(), "PoleTemperatura"));
  editor.show();
  // The model's one highlight, with its defaults.
  EXPECT_FALSE(editor.ActiveBox()->isChecked());
  EXPECT_TRUE(editor.TransparentBox()->isChecked());
  EXPECT_EQ(editor.FontColorButton()->text(), "#ff0000");

  QTest::keyClicks(editor.ConditionEdit(), "<Wpisy.\"Temperatura\"> < 0");
  editor.BoldBox()->click();
  editor.ItalicBox()->click();
  dialogs::queueColorAnswer(QColor(0, 0, 160));
  editor.FontColorButton()->click();
  dialogs::queueColorAnswer(QColor(255, 255, 0));
  editor.BackgroundButton()->click();
  EXPECT_FALSE(editor.TransparentBox()->isChecked());
  EXPECT_EQ(editor.BackgroundButton()->text(), "#ffff00");

  // The sample shows the highlighted look.
  QApplication::processEvents();
  const QImage sample = editor.Sample()->grab().toImage();
  EXPECT_TRUE(hasColour(sample, qRgb(255, 255, 0)));

  editor.OkButton()->click();
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  const QString xml = attributesOf(d.report(), "PoleTemperatura");
  EXPECT_TRUE(xml.contains(" Highlight.Font.Color=\"10485760\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains(" Highlight.Font.Style=\"3\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains(" Highlight.Color=\"65535\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains(" Highlight.Condition=\"&#60;Wpisy.&#34;Temperatura&#34;&#62; &#60; 0\""))
      << xml.toStdString();
  EXPECT_EQ(d.document().UndoStack().count(), 1);
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
}

TEST(HighlightEditor, AConditionThatDoesNotCompileKeepsTheDialogOpen) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  HighlightEditor editor(d.document(), memoNamed(d.report(), "PoleTemperatura"));
  editor.show();
  QTest::keyClicks(editor.ConditionEdit(), "<Wpisy.\"Temperatura\"> <");
  editor.ActiveBox()->click();
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Błąd w wyrażeniu")) << editor.ErrorLine()->text().toStdString();
  EXPECT_EQ(editor.ConditionEdit()->text(), "<Wpisy.\"Temperatura\"> <");
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  // A field the log does not have.
  editor.ConditionEdit()->setText("<Wpisy.\"Cisnienie\"> > 1");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Nieznaleziono pola")) << editor.ErrorLine()->text().toStdString();

  // Fixed, it goes in; "Aktywne" with it.
  editor.ConditionEdit()->setText("<Wpisy.\"Temperatura\"> > 20");
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  const QString xml = attributesOf(d.report(), "PoleTemperatura");
  EXPECT_TRUE(xml.contains(" Highlight.Active=\"True\"")) << xml.toStdString();
}

TEST(HighlightEditor, TheEllipsisWritesTheConditionInTheExpressionEditorAndCancelChangesNothing) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  HighlightEditor editor(d.document(), memoNamed(d.report(), "PolePunkt"));
  bool seen = false;
  whenShown<ExpressionEditor>([](ExpressionEditor& e) {
    e.SetExpression("<Wpisy.\"Punkt\"> = 'Rampa'");
    e.OkButton()->click();
  }, &seen);
  editor.ConditionButton()->click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(editor.ConditionEdit()->text(), "<Wpisy.\"Punkt\"> = 'Rampa'");
  editor.reject();
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  EXPECT_EQ(d.document().UndoStack().count(), 0);
}

TEST(HighlightEditor, IsRegisteredForTheHighlightOfTextViews) {
  LogDesigned d;
  const ObjectEditor* editor = ObjectEditors::Find("highlight");
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->multiple);
  EXPECT_EQ(ObjectEditors::ForProperty(*d.report().FindObject("PolePunkt"), "Highlight"), editor);
  EXPECT_FALSE(editor->fits(*d.report().FindObject("MasterData1")));
}

}  // namespace
