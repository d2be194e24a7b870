// "Format wyświetlania" driven through its dialog: presets and free format
// strings with the sample as the engine prints it, refusals of formats the
// engine would print as garbage, several views at once, Cancel and undo.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer/format_editor.h"
#include "designer/object_editors.h"
#include "designer_support.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "text_editors_support.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::attributesOf;
using designer::testing::Designed;
using designer::testing::LogDesigned;

namespace {

QList<report::TfrxComponent*> objects(const report::TfrxReport& report, const QStringList& names) {
  QList<report::TfrxComponent*> found;
  for (const QString& name : names) found.append(report.FindObject(name));
  return found;
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

void typeFormat(FormatEditor& editor, const QString& text) { type(editor.FormatEdit(), text); }
void typeSample(FormatEditor& editor, const QString& text) { type(editor.SampleEdit(), text); }

int presetRow(report::TfrxFormatKind kind, const QString& format) {
  const QList<FormatPreset>& presets = FormatPresets(kind);
  for (qsizetype i = 0; i < presets.size(); ++i)
    if (presets[i].format == format) return int(i);
  return -1;
}

TEST(FormatEditor, NumberPresetsPrintTheSampleAsTheEngineDoesAndOkSetsEveryView) {
  Designed d;
  const QByteArray before = d.bytes();
  FormatEditor editor(*d.document, objects(d.report, {"Tytul", "Okres"}));
  EXPECT_EQ(editor.KindList()->currentRow(), 0);
  EXPECT_FALSE(editor.FormatEdit()->isEnabled());
  editor.KindList()->setCurrentRow(1);
  EXPECT_EQ(editor.Draft().kind, report::fkNumeric);
  EXPECT_EQ(editor.SampleEdit()->text(), "1234,5");
  const QList<QPair<QString, QString>> expected{
      {"%g", "1234,5"},           {"%2.2f", "1234,50"},         {"%2.2n", "1\u00A0234,50"},
      {"%2.2m", "1\u00A0234,50 zł"}, {"%2.0n", "1\u00A0235"},       {"#,##0.#", "1\u00A0234,5"},
      {"#,##0.000", "1\u00A0234,500"}};
  for (const auto& [format, sample] : expected) {
    const int row = presetRow(report::fkNumeric, format);
    ASSERT_GE(row, 0) << format.toStdString();
    editor.PresetList()->setCurrentRow(row);
    EXPECT_EQ(editor.FormatEdit()->text(), format);
    EXPECT_EQ(editor.SampleLabel()->text(), sample) << format.toStdString() << " " << editor.SampleLabel()->text().toStdString();
    // Each preset's caption is what it prints of the usual sample.
    EXPECT_EQ(FormatPresets(report::fkNumeric)[row].caption, sample) << format.toStdString();
  }
  // The decimal separator the view asks for.
  editor.PresetList()->setCurrentRow(presetRow(report::fkNumeric, "%2.2f"));
  editor.DecimalSeparatorBox()->setCurrentIndex(editor.DecimalSeparatorBox()->findData("."));
  EXPECT_EQ(editor.SampleLabel()->text(), "1234.50");
  typeSample(editor, "-0,125");
  EXPECT_EQ(editor.SampleLabel()->text(), "-0.13");

  editor.OkButton()->click();
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  for (const char* name : {"Tytul", "Okres"}) {
    const QString xml = attributesOf(d.report, name);
    EXPECT_TRUE(xml.contains(" DisplayFormat.DecimalSeparator=\".\" DisplayFormat.FormatStr=\"%2.2f\" "
                             "DisplayFormat.Kind=\"fkNumeric\""))
        << xml.toStdString();
  }
  // One step for both.
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(FormatEditor, DatesAndBooleansPrintTheirSamples) {
  Designed d;
  FormatEditor editor(*d.document, objects(d.report, {"Tytul"}));
  editor.SetKind(report::fkDateTime);
  EXPECT_EQ(editor.SampleEdit()->text(), "11.12.2026 14:30:05");
  for (const FormatPreset& preset : FormatPresets(report::fkDateTime)) {
    editor.PresetList()->setCurrentRow(presetRow(report::fkDateTime, preset.format));
    EXPECT_EQ(editor.SampleLabel()->text(), preset.caption) << preset.format.toStdString() << " " << editor.SampleLabel()->text().toStdString();
  }
  typeFormat(editor, "d mmmm yyyy, hh:nn");
  EXPECT_EQ(editor.PresetList()->currentRow(), -1);
  EXPECT_EQ(editor.SampleLabel()->text(), "11 grudnia 2026, 14:30") << editor.SampleLabel()->text().toStdString();
  typeSample(editor, "01.03.2026");
  typeFormat(editor, "yyyy-mm-dd");
  EXPECT_EQ(editor.SampleLabel()->text(), "2026-03-01");
  EXPECT_EQ(editor.PresetList()->currentRow(), presetRow(report::fkDateTime, "yyyy-mm-dd"));

  // The engine prints the text after the comma for true.
  editor.SetKind(report::fkBoolean);
  editor.PresetList()->setCurrentRow(presetRow(report::fkBoolean, "Fałsz,Prawda"));
  typeSample(editor, "Tak");
  EXPECT_EQ(editor.SampleLabel()->text(), "Prawda");
  typeSample(editor, "0");
  EXPECT_EQ(editor.SampleLabel()->text(), "Fałsz");
  typeSample(editor, "może");
  EXPECT_TRUE(editor.SampleLabel()->text().startsWith("(wartość przykładowa nie jest"));

  editor.OkButton()->click();
  EXPECT_TRUE(attributesOf(d.report, "Tytul")
                  .contains(" DisplayFormat.FormatStr=\"Fałsz,Prawda\" DisplayFormat.Kind=\"fkBoolean\""))
      << attributesOf(d.report, "Tytul").toStdString();
}

TEST(FormatEditor, AFormatTheEngineCannotUseIsRefusedAndTheDialogStays) {
  Designed d;
  const QByteArray before = d.bytes();
  FormatEditor editor(*d.document, objects(d.report, {"Tytul"}));
  editor.show();
  editor.SetKind(report::fkNumeric);
  // A number of no directive, one not taking a number, two, and a picture without "#".
  for (const char* bad : {"Suma", "%2.2s", "%x", "%d i %d", "0.00", "%2.2f dni"}) {
    typeFormat(editor, bad);
    editor.OkButton()->click();
    EXPECT_TRUE(editor.isVisible()) << bad;
    EXPECT_TRUE(editor.ErrorLine()->text().contains(QString::fromUtf8(bad))) << editor.ErrorLine()->text().toStdString();
    EXPECT_EQ(editor.FormatEdit()->text(), QString::fromUtf8(bad));
  }
  editor.SetKind(report::fkDateTime);
  typeFormat(editor, "Brak");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Format daty „Brak”")) << editor.ErrorLine()->text().toStdString();
  editor.SetKind(report::fkBoolean);
  typeFormat(editor, "Tak");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Format logiczny")) << editor.ErrorLine()->text().toStdString();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  // Good ones pass: directives with text around them, quoted literals.
  EXPECT_EQ(FormatRefusal(report::fkNumeric, "%2.1f °C"), "");
  EXPECT_EQ(FormatRefusal(report::fkNumeric, "%d szt."), "");
  EXPECT_EQ(FormatRefusal(report::fkNumeric, "%2.2f%%"), "");
  EXPECT_EQ(FormatRefusal(report::fkDateTime, "\"dzień\" dd"), "");
  EXPECT_NE(FormatRefusal(report::fkDateTime, "\"dzień\""), "");
  EXPECT_EQ(FormatRefusal(report::fkDateTime, ""), "");
  EXPECT_EQ(FormatRefusal(report::fkText, "cokolwiek"), "");
}

TEST(FormatEditor, CancelAndAnUnchangedOkLeaveTheDocument) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  {
    FormatEditor editor(d.document(), objects(d.report(), {"PoleTemperatura"}));
    // The view's own format is shown.
    EXPECT_EQ(editor.Draft().kind, report::fkNumeric);
    EXPECT_EQ(editor.FormatEdit()->text(), "#,##0.00");
    EXPECT_EQ(editor.SampleLabel()->text(), "1\u00A0234,50");
    editor.OkButton()->click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_FALSE(editor.Applied());
  }
  {
    FormatEditor editor(d.document(), objects(d.report(), {"PoleTemperatura"}));
    editor.SetKind(report::fkText);
    editor.reject();
  }
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  EXPECT_EQ(d.document().UndoStack().count(), 0);
}

TEST(FormatEditor, IsRegisteredForTextViewsAndTheirDisplayFormat) {
  Designed d;
  const ObjectEditor* editor = ObjectEditors::Find("format");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->multiple);
  report::TfrxComponent* memo = d.report.FindObject("Tytul");
  EXPECT_EQ(ObjectEditors::ForProperty(*memo, "DisplayFormat.Kind"), editor);
  report::TfrxLineView line;
  EXPECT_FALSE(editor->fits(line));
  report::TfrxSysMemoView sys;
  EXPECT_TRUE(editor->fits(sys));
}

}  // namespace
