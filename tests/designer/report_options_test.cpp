// "Opcje raportu" driven through its tabs: description, password, engine,
// printing and preview options set, OK, the report element's attributes;
// a picture loaded through the file dialog; a password not confirmed; Cancel,
// an unchanged OK, undo, and the window's menu command.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "designer_support.h"
#include "designer/designer_form.h"
#include "designer/report_options_dialog.h"
#include "platform/dialogs.h"
#include "report/model/picture.h"
#include "report/model/report_options.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;

namespace {

// The report element's first line as the document writes it.
QString reportElement(const QByteArray& bytes) {
  for (const QByteArray& line : bytes.split('\n'))
    if (line.startsWith("<TfrxReport ")) return QString::fromUtf8(line);
  return QString();
}

template <class W>
W* field(ReportOptionsDialog& dialog, const char* key) {
  auto* widget = qobject_cast<W*>(dialog.Field(QString::fromLatin1(key)));
  EXPECT_NE(widget, nullptr) << key;
  return widget;
}

}  // namespace

TEST(ReportOptions, TheTabsShowTheReportsOptionsAndOkWritesTheChangedOnesAsOneStep) {
  Designed d;
  const QByteArray before = d.bytes();
  ReportOptionsDialog dialog(*d.document);
  dialog.show();
  QStringList tabs;
  for (int i = 0; i < dialog.Tabs()->count(); ++i) tabs.append(dialog.Tabs()->tabText(i));
  EXPECT_EQ(tabs, QStringList({"Ogólne", "Hasło", "Silnik", "Drukowanie", "Podgląd"}));
  EXPECT_EQ(field<QLineEdit>(dialog, "ReportOptions.Name")->text(), "Dziennik pomiarów");
  EXPECT_EQ(field<QLineEdit>(dialog, "ReportOptions.Author")->text(), "Valmoro");
  EXPECT_EQ(dialog.DescriptionEdit()->toPlainText(),
            "Odczyty temperatury i wilgotności wybranego modułu,\nw kolejności i z filtrem dat okna głównego.");
  // 46280,5 days after 30 December 1899.
  EXPECT_EQ(dialog.CreateDateLabel()->text(), "2026-09-15 12:00");
  EXPECT_EQ(dialog.LastChangeLabel()->text(), "2026-09-15 12:00");
  // The preview's default buttons: all of the tool bar, none of the "Bez …" ones.
  EXPECT_TRUE(field<QCheckBox>(dialog, "PreviewOptions.Buttons.pbPrint")->isChecked());
  EXPECT_TRUE(field<QCheckBox>(dialog, "PreviewOptions.Buttons.pbLoad")->isChecked());
  EXPECT_FALSE(field<QCheckBox>(dialog, "PreviewOptions.Buttons.pbNoClose")->isChecked());
  EXPECT_TRUE(field<QCheckBox>(dialog, "EngineOptions.ConvertNulls")->isChecked());
  EXPECT_EQ(field<QSpinBox>(dialog, "PrintOptions.Copies")->value(), 1);
  EXPECT_EQ(field<QComboBox>(dialog, "PrintOptions.Printer")->currentText(), "Domyślny");

  field<QLineEdit>(dialog, "ReportOptions.Name")->setText("Dziennik chłodni");
  dialog.DescriptionEdit()->setPlainText("Pierwsza linia\nDruga linia\n");
  field<QLineEdit>(dialog, "ReportOptions.VersionMajor")->setText("2");
  field<QLineEdit>(dialog, "ReportOptions.VersionMinor")->setText("1");
  field<QCheckBox>(dialog, "EngineOptions.DoublePass")->click();
  field<QSpinBox>(dialog, "EngineOptions.MaxMemSize")->setValue(25);
  field<QComboBox>(dialog, "EngineOptions.NewSilentMode")->setCurrentIndex(1);
  field<QSpinBox>(dialog, "PrintOptions.Copies")->setValue(3);
  field<QLineEdit>(dialog, "PrintOptions.PageNumbers")->setText("1-3");
  field<QComboBox>(dialog, "PrintOptions.PrintMode")->setCurrentIndex(3);
  field<QCheckBox>(dialog, "PrintOptions.Collate")->click();
  field<QCheckBox>(dialog, "PreviewOptions.Buttons.pbPrint")->click();
  field<QCheckBox>(dialog, "PreviewOptions.Buttons.pbLoad")->click();
  field<QSpinBox>(dialog, "PreviewOptions.Zoom")->setValue(150);
  field<QComboBox>(dialog, "PreviewOptions.ZoomMode")->setCurrentIndex(2);
  field<QCheckBox>(dialog, "PreviewOptions.OutlineVisible")->click();
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  ASSERT_TRUE(dialog.Applied()) << dialog.ErrorLine()->text().toStdString();

  const QString element = reportElement(d.bytes());
  for (const char* expected :
       {"ReportOptions.Name=\"Dziennik chłodni\"", "ReportOptions.Description.Text=\"Pierwsza linia&#13;&#10;Druga linia\"",
        "ReportOptions.VersionMajor=\"2\"", "ReportOptions.VersionMinor=\"1\"", "EngineOptions.DoublePass=\"True\"",
        "EngineOptions.MaxMemSize=\"25\"", "EngineOptions.NewSilentMode=\"simSilent\"", "PrintOptions.Copies=\"3\"",
        "PrintOptions.PageNumbers=\"1-3\"", "PrintOptions.PrintMode=\"pmScale\"", "PrintOptions.Collate=\"False\"",
        "PreviewOptions.Buttons=\"4092\"", "PreviewOptions.Zoom=\"1,5\"", "PreviewOptions.ZoomMode=\"zmPageWidth\"",
        "PreviewOptions.OutlineVisible=\"True\"", "ReportOptions.CreateDate=\"46280,5\""})
    EXPECT_TRUE(element.contains(QString::fromUtf8(expected))) << expected << "\n" << element.toStdString();
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Opcje raportu");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(ReportOptions, CancelAndAnUnchangedOkLeaveTheDocumentAsItWas) {
  Designed d;
  const QByteArray before = d.bytes();
  {
    ReportOptionsDialog dialog(*d.document);
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Applied());
  }
  ReportOptionsDialog dialog(*d.document);
  dialog.show();
  field<QLineEdit>(dialog, "ReportOptions.Author")->setText("Ktoś");
  field<QCheckBox>(dialog, "PreviewOptions.Modal")->click();
  dialog.reject();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_EQ(d.document->UndoStack().count(), 0);
}

TEST(ReportOptions, APasswordMustBeConfirmedExactly) {
  Designed d;
  const QByteArray before = d.bytes();
  ReportOptionsDialog dialog(*d.document);
  dialog.show();
  QTest::keyClicks(dialog.PasswordEdit(), "tajne");
  QTest::keyClicks(dialog.ConfirmEdit(), "tajnE");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ErrorLine()->text(), "Hasło i jego potwierdzenie różnią się.");
  EXPECT_EQ(dialog.Tabs()->tabText(dialog.Tabs()->currentIndex()), "Hasło");
  EXPECT_EQ(dialog.PasswordEdit()->text(), "tajne");
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  dialog.ConfirmEdit()->setText("tajne");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(d.report.ReportOptions()->Password(), "tajne");
  // The document keeps it, scrambled.
  EXPECT_TRUE(reportElement(d.bytes()).contains("ReportOptions.Password=")) << reportElement(d.bytes()).toStdString();
  EXPECT_FALSE(reportElement(d.bytes()).contains("\"tajne\""));
}

TEST(ReportOptions, APictureIsLoadedThroughTheFileDialogAndAFileThatIsNoPictureIsRefused) {
  Designed d;
  dialogs::RecordingScope recording;
  QImage image(8, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  const QString picture = d.folder.filePath("logo.png");
  ASSERT_TRUE(image.save(picture));
  const QString text = d.folder.filePath("notatka.png");
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("to nie jest obraz");
  }
  ReportOptionsDialog dialog(*d.document);
  dialog.show();
  EXPECT_EQ(dialog.PictureSample()->text(), "(brak)");
  EXPECT_FALSE(dialog.ClearPictureButton()->isEnabled());
  dialogs::queueFileAnswer(QStringList{text});
  QTest::mouseClick(dialog.LoadPictureButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog.ErrorLine()->text().startsWith("Plik ")) << dialog.ErrorLine()->text().toStdString();
  EXPECT_TRUE(dialog.ErrorLine()->text().endsWith(" nie jest obrazem."));
  EXPECT_EQ(dialog.PictureSample()->text(), "(brak)");
  dialogs::queueFileAnswer(QStringList{picture});
  QTest::mouseClick(dialog.LoadPictureButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.ErrorLine()->text(), "");
  EXPECT_FALSE(dialog.PictureSample()->pixmap().isNull());
  EXPECT_TRUE(dialog.ClearPictureButton()->isEnabled());
  ASSERT_TRUE(dialog.Apply());
  EXPECT_EQ(d.report.ReportOptions()->Picture()->Image().size(), QSize(8, 4));
  EXPECT_EQ(d.report.ReportOptions()->Picture()->Image().pixelColor(0, 0), QColor(Qt::red));
}

TEST(ReportOptions, TheWindowsReportMenuOpensTheDialog) {
  Designed d;
  TfrxDesignerForm form(*d.document);
  QAction* action = form.Action("actReportOptions");
  ASSERT_NE(action, nullptr);
  bool listed = false;
  for (QAction* top : form.menuBar()->actions())
    if (top->menu() && top->menu()->title().remove('&') == "Raport") listed = top->menu()->actions().contains(action);
  EXPECT_TRUE(listed);
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<ReportOptionsDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    qobject_cast<QLineEdit*>(dialog->Field("ReportOptions.Author"))->setText("Kierownik magazynu");
    dialog->accept();
  });
  action->trigger();
  EXPECT_EQ(d.report.ReportOptions()->Author(), "Kierownik magazynu");
  EXPECT_EQ(d.document->UndoStack().count(), 1);
}
