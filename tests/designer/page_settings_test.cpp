// "Ustawienia strony" driven through its widgets: paper, orientation,
// margins, columns, trays, duplex and options set, OK, the page's XML; the
// sample drawing following the fields; refusals keeping the dialog; Cancel,
// undo, and the window's menu command.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "designer_support.h"
#include "designer/designer_form.h"
#include "designer/page_settings.h"
#include "report/model/band.h"
#include "report/model/report_page.h"
#include "report/model/serializer.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;

namespace {

struct PageDesigned : Designed {
  report::TfrxReportPage& page() { return *qobject_cast<report::TfrxReportPage*>(report.FindObject("Page1")); }
  QString xml() {
    report::TfrxXMLSerializer writer(&report);
    return writer.ObjToXML(page());
  }
};

void choosePaper(PageSettingsDialog& dialog, int code) {
  const int index = dialog.PaperCombo()->findData(code);
  ASSERT_GE(index, 0);
  dialog.PaperCombo()->setCurrentIndex(index);
}

}  // namespace

TEST(PageSettings, PaperOrientationMarginsColumnsAndOptionsAreAppliedAsOneStep) {
  PageDesigned d;
  const QByteArray before = d.bytes();
  PageSettingsDialog dialog(*d.document, d.page());
  dialog.show();
  // The shipped page: A4 portrait with 1 cm margins, in centimetres.
  EXPECT_EQ(dialog.Unit(), report::LengthUnit::Centimetre);
  EXPECT_EQ(dialog.PaperCombo()->currentData().toInt(), 9);
  EXPECT_TRUE(dialog.PaperCombo()->currentText().startsWith("A4 (210 × 297 mm)")) << dialog.PaperCombo()->currentText().toStdString();
  EXPECT_EQ(dialog.PaperCombo()->itemText(0), "Własny");
  EXPECT_EQ(dialog.WidthEdit()->text(), "21");
  EXPECT_EQ(dialog.HeightEdit()->text(), "29,7");
  EXPECT_TRUE(dialog.PortraitChoice()->isChecked());

  dialog.LandscapeChoice()->click();
  EXPECT_EQ(dialog.WidthEdit()->text(), "29,7");
  EXPECT_EQ(dialog.HeightEdit()->text(), "21");
  choosePaper(dialog, 11);  // A5, laid on its side
  EXPECT_EQ(dialog.WidthEdit()->text(), "21");
  EXPECT_EQ(dialog.HeightEdit()->text(), "14,8");
  dialog.MarginEdit(0)->setText("2");
  dialog.ColumnsSpin()->setValue(2);
  // Two columns over 21 − 2 − 1 cm.
  EXPECT_EQ(dialog.ColumnWidthEdit()->text(), "9");
  EXPECT_EQ(dialog.ColumnPositionsEdit()->text(), "0; 9");
  dialog.DuplexCombo()->setCurrentIndex(1);
  dialog.Option("TitleBeforeHeader")->click();
  dialog.Option("EndlessHeight")->click();
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  ASSERT_TRUE(dialog.Applied()) << dialog.ErrorLine()->text().toStdString();

  const QString xml = d.xml();
  for (const char* expected : {"Orientation=\"poLandscape\"", "PaperWidth=\"210\"", "PaperHeight=\"148\"", "PaperSize=\"11\"",
                               "LeftMargin=\"20\"", "RightMargin=\"10\"", "Columns=\"2\"", "ColumnWidth=\"90\"",
                               "ColumnPositions.Text=\"0&#13;&#10;90\"", "Duplex=\"dmVertical\"",
                               "TitleBeforeHeader=\"False\"", "EndlessHeight=\"True\""})
    EXPECT_TRUE(xml.contains(QString::fromUtf8(expected))) << expected << "\n" << xml.toStdString();
  // The bands span the new printable width (180 mm), a data band one column.
  const auto mm = [](double v) { return report::convertLength(v, report::LengthUnit::Millimetre, report::LengthUnit::Pixel); };
  EXPECT_NEAR(d.report.FindObject("ReportTitle1")->Width(), mm(180), 0.01);
  EXPECT_NEAR(d.report.FindObject("MasterData1")->Width(), mm(90), 0.01);
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Ustawienia strony Page1");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(PageSettings, TurningThePageMovesTheMarginsAsThePageItselfTurns) {
  report::TfrxReportPage page;
  page.SetLeftMargin(1);
  page.SetTopMargin(2);
  page.SetRightMargin(3);
  page.SetBottomMargin(4);
  PageDraft draft = PageDraft::Of(page);
  for (const report::TPrinterOrientation to : {report::poLandscape, report::poPortrait}) {
    page.SetOrientation(to);
    draft.SetOrientation(to);
    EXPECT_EQ(draft, PageDraft::Of(page)) << int(to);
  }
  // A paper of the table on its side, as the page takes it.
  page.SetOrientation(report::poLandscape);
  page.SetPaperSize(8);
  draft.SetOrientation(report::poLandscape);
  draft.SetPaper(8);
  EXPECT_EQ(draft, PageDraft::Of(page));
  EXPECT_GT(draft.paperWidth, draft.paperHeight);
}

TEST(PageSettings, ATypedSizeMakesACustomPaperAndTheSampleFollowsTheFields) {
  PageDesigned d;
  PageSettingsDialog dialog(*d.document, d.page());
  dialog.resize(700, 600);
  dialog.show();
  const double wide = dialog.Sample()->PrintableRect().width();
  const double ratio = dialog.Sample()->SheetRect().height() / dialog.Sample()->SheetRect().width();
  EXPECT_NEAR(ratio, 297.0 / 210.0, 0.02);
  QTest::keyClicks(dialog.MarginEdit(0), "5");  // 1 cm becomes 15 cm
  EXPECT_EQ(dialog.MarginEdit(0)->text(), "15");
  EXPECT_LT(dialog.Sample()->PrintableRect().width(), wide / 2);
  dialog.MarginEdit(0)->setText("1");
  dialog.ColumnsSpin()->setValue(3);
  EXPECT_EQ(dialog.Sample()->ColumnEdges().size(), 3);
  EXPECT_NEAR(dialog.Sample()->ColumnEdges().at(0), dialog.Sample()->PrintableRect().left(), 0.01);

  dialog.WidthEdit()->selectAll();
  QTest::keyClicks(dialog.WidthEdit(), "25");
  EXPECT_EQ(dialog.PaperCombo()->currentData().toInt(), 256);
  dialog.ColumnsSpin()->setValue(0);
  ASSERT_TRUE(dialog.Apply()) << dialog.ErrorLine()->text().toStdString();
  const QString xml = d.xml();
  EXPECT_TRUE(xml.contains("PaperWidth=\"250\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("PaperHeight=\"297\"")) << xml.toStdString();
  EXPECT_TRUE(xml.contains("PaperSize=\"256\"")) << xml.toStdString();
}

TEST(PageSettings, SizesLeavingNoPrintableAreaAreRefusedAndTheDialogKeepsTheInput) {
  PageDesigned d;
  const QByteArray before = d.bytes();
  PageSettingsDialog dialog(*d.document, d.page());
  dialog.show();
  const auto refused = [&](QLineEdit* edit, const QString& text, const QString& message) {
    const QString old = edit->text();
    edit->setText(text);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ErrorLine()->text(), message) << text.toStdString();
    EXPECT_EQ(edit->text(), text);
    edit->setText(old);
  };
  refused(dialog.MarginEdit(0), "20", "Marginesy nie zostawiają miejsca na wydruk.");
  refused(dialog.MarginEdit(3), "28,7", "Marginesy nie zostawiają miejsca na wydruk.");
  refused(dialog.MarginEdit(1), "-1", "Marginesy nie mogą być ujemne.");
  refused(dialog.WidthEdit(), "0", "Szerokość i wysokość papieru muszą być większe od zera.");
  refused(dialog.HeightEdit(), "5000", "Papier nie może mieć więcej niż 10000 mm.");
  refused(dialog.WidthEdit(), "szeroki", "Szerokość papieru: „szeroki” nie jest poprawną liczbą.");
  dialog.ColumnsSpin()->setValue(2);
  refused(dialog.ColumnWidthEdit(), "25", "Kolumna nie może być szersza niż obszar wydruku.");
  refused(dialog.ColumnPositionsEdit(), "0; x", "Położenia kolumn: „x” nie jest poprawną liczbą.");
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  dialog.reject();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_EQ(d.document->UndoStack().count(), 0);
}

TEST(PageSettings, TraysKeepThePagesValuesAndAnUnchangedOkMakesNoStep) {
  PageDesigned d;
  ASSERT_EQ(d.document->ChangeReport("tray", [](report::TfrxReport& r) {
    qobject_cast<report::TfrxReportPage*>(r.FindObject("Page1"))->SetBin(3);
  }), "");
  d.document->UndoStack().clear();
  const QByteArray before = d.bytes();
  {
    PageSettingsDialog dialog(*d.document, d.page());
    dialog.show();
    EXPECT_EQ(dialog.BinCombo()->currentData().toInt(), 3);
    EXPECT_EQ(dialog.BinOtherPagesCombo()->currentData().toInt(), 7);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Applied());
    EXPECT_SAME_DOCUMENT(d.bytes(), before);
    EXPECT_EQ(d.document->UndoStack().count(), 0);
  }
  PageSettingsDialog dialog(*d.document, d.page());
  dialog.BinOtherPagesCombo()->setCurrentIndex(dialog.BinOtherPagesCombo()->findData(3));
  ASSERT_TRUE(dialog.Apply());
  EXPECT_EQ(d.page().Bin(), 3);
  EXPECT_EQ(d.page().BinOtherPages(), 3);
  EXPECT_TRUE(d.xml().contains("BinOtherPages=\"3\""));
}

TEST(PageSettings, TheWindowsFileMenuOpensTheDialogForTheCurrentPage) {
  PageDesigned d;
  TfrxDesignerForm form(*d.document);
  QAction* action = form.Action("actPageSettings");
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->isEnabled());
  bool listed = false;
  for (QAction* top : form.menuBar()->actions())
    if (top->menu() && top->menu()->title().remove('&') == "Plik") listed = top->menu()->actions().contains(action);
  EXPECT_TRUE(listed);
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<PageSettingsDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialog->LandscapeChoice()->click();
    dialog->accept();
  });
  action->trigger();
  EXPECT_EQ(d.page().Orientation(), report::poLandscape);
  EXPECT_EQ(d.document->UndoStack().count(), 1);
}
