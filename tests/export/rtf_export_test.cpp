// RTF export: escaping, the document's tables and rows, sections, header and
// footer modes, and what a real word processor reads back.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>

#include "export/export_filter.h"
#include "export/export_options_dialog.h"
#include "export/rtf_export.h"
#include "export_support.h"
#include "platform/dialogs.h"
#include "report/model/frame.h"
#include "report/model/report_options.h"
#include "report/model/shape_view.h"

namespace valmoro::exports {
namespace {

using namespace report;
using testing::HeldPages;

TEST(RtfEscape, SpecialCharactersLineBreaksAndUnicode) {
  EXPECT_EQ(RtfEscape("a\\b{c}"), "a\\\\b\\{c\\}");
  EXPECT_EQ(RtfEscape(QString::fromUtf8("é")), "\\u233\\'3f");
  EXPECT_EQ(RtfEscape(QString::fromUtf8("Łódź")), "\\u321\\'3f\\u243\\'3fd\\u378\\'3f");
  // Codes above 32767 are written as negative numbers.
  EXPECT_EQ(RtfEscape(QString(QChar(0xFB01))), "\\u-1279\\'3f");
  // A character beyond the basic plane is its two surrogates.
  EXPECT_EQ(RtfEscape(QString::fromUtf8("\xF0\x9F\x98\x80")), "\\u-10179\\'3f\\u-8704\\'3f");
  // An inner line break becomes \line; a final one stays as it is.
  EXPECT_EQ(RtfEscape("a\r\nb"), "a\\line\r\nb");
  EXPECT_EQ(RtfEscape("a\r\n"), "a\r\n");
}

class RtfTest : public ::testing::Test {
protected:
  RtfTest() : pages(&report) {
    report.SetNoPumping(true);
    report.EngineOptions()->SetNewSilentMode(simReThrow);
    filter.SetShowDialog(false);
    filter.SetStream(&buffer);
    buffer.open(QIODevice::WriteOnly);
  }
  TfrxReportPage* page(int count = 1) {
    TfrxReportPage* last = nullptr;
    for (int i = 0; i < count; ++i) last = pages.addPage();
    return last;
  }
  // Pages each with a header, one data row and a footer.
  void headedPages(int count) {
    for (int i = 0; i < count; ++i) {
      TfrxReportPage* p = pages.addPage();
      testing::addMemo(testing::addBand<TfrxPageHeader>(p, 0, 20), 0, 0, 200, 20, "Nagłówek");
      testing::addMemo(testing::addBand<TfrxMasterData>(p, 20, 20), 0, 0, 200, 20,
                       QStringLiteral("Wiersz %1").arg(i + 1));
      testing::addMemo(testing::addBand<TfrxPageFooter>(p, 1000, 20), 0, 0, 200, 20, "Stopka");
    }
  }
  void restart() {
    buffer.close();
    buffer.setData(QByteArray());
    buffer.open(QIODevice::WriteOnly);
  }
  QString run() {
    EXPECT_TRUE(ExportPreparedPages(pages, &filter));
    return QString::fromLatin1(buffer.data());
  }

  TfrxReport report;
  HeldPages pages;
  TfrxRTFExport filter;
  QBuffer buffer;
};

TEST_F(RtfTest, DocumentOpensWithTablesInfoAndSection) {
  report.ReportOptions()->SetName(QString::fromUtf8("Rejestr {temperatur}"));
  TfrxReportPage* p = page();
  auto* memo = testing::addMemo(testing::addBand<TfrxMasterData>(p, 0, 20), 0, 0, 200, 20, "Ala");
  memo->Font()->SetName(QString::fromUtf8("Żółta Czcionka"));
  memo->Font()->SetColor(0x0000FF);
  const QString rtf = run();
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\r\n"));
  EXPECT_TRUE(rtf.endsWith("}"));
  // Font names outside ASCII are escaped, not lost in a code page.
  EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fcharset238 \\u379\\'3f\\u243\\'3f\\u322\\'3fta Czcionka}}\r\n")) << rtf.toStdString();
  EXPECT_TRUE(rtf.contains("\\red255\\green0\\blue0;"));
  EXPECT_TRUE(rtf.contains("{\\info{\\title Rejestr \\{temperatur\\}}{\\author Valmoro}{\\creatim\\yr"));
  // A4 at 15.02 twips per pixel, 10 mm margins at 56.48; the bottom one
  // leaves a line for the paragraph holding the section break.
  EXPECT_TRUE(rtf.contains("\\pgwsxn11921\\pghsxn16860\\marglsxn565\\margrsxn565\\margtsxn565\\margbsxn265\r\n"))
      << rtf.toStdString();
  EXPECT_TRUE(rtf.contains(" Ala\\cell}"));
  EXPECT_EQ(rtf.count("\\trowd"), 2 * rtf.count("\\row}"));
}

TEST_F(RtfTest, OnePageRowsUseTheLastPageFactor) {
  TfrxReportPage* p = page();
  testing::addMemo(testing::addBand<TfrxMasterData>(p, 0, 20), 0, 0, 200, 20, "Ala");
  const QString rtf = run();
  // 20 pixels × 14.5.
  EXPECT_TRUE(rtf.contains("\\trowd\\trrh-290\\trgaph15")) << rtf.toStdString();
}

TEST_F(RtfTest, PagesEndInSectionsWithTheirOwnFactor) {
  headedPages(3);
  const QString rtf = run();
  EXPECT_EQ(rtf.count("\\pard\\sect"), 2);
  EXPECT_EQ(rtf.count("\\pgwsxn"), 3);
  // Rows of the first two pages at 15, of the last at 14.5.
  const qsizetype lastSection = rtf.lastIndexOf("\\pard\\sect");
  EXPECT_TRUE(rtf.left(lastSection).contains("\\trrh-300\\"));
  EXPECT_FALSE(rtf.left(lastSection).contains("\\trrh-290\\"));
  EXPECT_TRUE(rtf.mid(lastSection).contains("\\trrh-290\\"));
  EXPECT_FALSE(rtf.mid(lastSection).contains("\\trrh-300\\"));
  // Page texts in order.
  const qsizetype one = rtf.indexOf("Wiersz 1"), two = rtf.indexOf("Wiersz 2"), three = rtf.indexOf("Wiersz 3");
  EXPECT_TRUE(one > 0 && one < two && two < three);
}

TEST_F(RtfTest, PagesWithoutTopMarginKeepTheirFirstRow) {
  for (int i = 0; i < 3; ++i) {
    TfrxReportPage* p = page();
    p->SetTopMargin(0);
    testing::addMemo(testing::addBand<TfrxMasterData>(p, 0, 20), 0, 0, 200, 20, QStringLiteral("Wiersz %1").arg(i + 1));
  }
  const QString rtf = run();
  EXPECT_EQ(rtf.count("\\pard\\sect"), 2);
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(rtf.contains(QStringLiteral("Wiersz %1").arg(i))) << i;
}

TEST_F(RtfTest, HeaderAndFooterModes) {
  headedPages(3);
  QString rtf = run();
  EXPECT_EQ(rtf.count("Stopka"), 3);
  EXPECT_EQ(rtf.count("Nag\\u322\\'3f\\u243\\'3fwek"), 3);

  filter.SetSuppressPageHeadersFooters(true);
  restart();
  rtf = run();
  EXPECT_EQ(rtf.count("Stopka"), 1);
  EXPECT_EQ(rtf.count("Nag\\u322\\'3f\\u243\\'3fwek"), 1);

  filter.SetSuppressPageHeadersFooters(false);
  filter.SetHeaderFooterMode(TfrxRTFExport::hfNone);
  restart();
  rtf = run();
  EXPECT_EQ(rtf.count("Stopka"), 0);
  EXPECT_EQ(rtf.count("Wiersz"), 3);

  filter.SetHeaderFooterMode(TfrxRTFExport::hfPrint);
  filter.SetSuppressPageHeadersFooters(true);
  restart();
  rtf = run();
  const qsizetype header = rtf.indexOf("{\\header \r\n");
  const qsizetype footer = rtf.indexOf("{\\footer \r\n");
  ASSERT_GT(header, 0);
  ASSERT_GT(footer, header);
  EXPECT_TRUE(rtf.mid(header, footer - header).contains("Nag\\u322"));
  EXPECT_TRUE(rtf.mid(footer).left(rtf.indexOf("Wiersz") - footer).contains("Stopka"));
  EXPECT_EQ(rtf.count("Stopka"), 1);
}

TEST_F(RtfTest, TallCellsMergeVerticallyAndFramesAndFillsAreWritten) {
  TfrxReportPage* p = page();
  auto* band = testing::addBand<TfrxMasterData>(p, 0, 60);
  auto* tall = testing::addMemo(band, 0, 0, 100, 60, "wysoki");
  tall->Frame()->SetTyp(TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
  tall->Frame()->SetWidth(2);
  tall->Frame()->SetStyle(fsDouble);
  tall->SetColor(0x00FFFF);
  testing::addMemo(band, 100, 0, 100, 20, "a");
  testing::addMemo(band, 100, 20, 100, 20, "b");
  auto* white = testing::addMemo(band, 100, 40, 100, 20, "c");
  white->SetColor(0xFFFFFF);
  const QString rtf = run();
  // Each row definition is written twice: opening and closing the row.
  EXPECT_EQ(rtf.count("\\clvmgf"), 2 * 1);
  EXPECT_EQ(rtf.count("\\clvmrg"), 2 * 2);
  // Yellow fill; white and transparent fills write nothing.
  EXPECT_EQ(rtf.count("\\clcbpat"), 2 * 1);
  EXPECT_TRUE(rtf.contains("\\clbrdrt\\brdrs\\brdrw40\\brdrcf"));
  EXPECT_TRUE(rtf.contains("\\brdrdb\\clbrdrl"));
  EXPECT_EQ(rtf.count("\\clbrdr"), 2 * 3 * 4);
  // The merged rows carry a small font (row twips / 15) so they do not grow.
  EXPECT_TRUE(rtf.contains("{\\fs19\\cell}"));
}

TEST_F(RtfTest, PicturesAsMetafilesOrBitmaps) {
  TfrxReportPage* p = page();
  auto* band = testing::addBand<TfrxMasterData>(p, 0, 40);
  auto* shape = new TfrxShapeView(band);
  shape->SetShape(skEllipse);
  shape->SetColor(0x0000FF);
  shape->SetBounds(0, 0, 60, 40);
  QString rtf = run();
  EXPECT_TRUE(rtf.contains("{\\pict\\picw1518\\pich1012\\picscalex98")) << rtf.toStdString();
  EXPECT_TRUE(rtf.contains("\\emfblip\r\n01000000"));

  filter.SetExportEMF(false);
  restart();
  rtf = run();
  EXPECT_TRUE(rtf.contains("{\\pict\\wmetafile8\\picw1518\\pich1012\\picbmp\\picbpp4\r\n010009000003"));
  EXPECT_TRUE(rtf.contains("030000000000}\\cell}"));

  filter.SetExportPictures(false);
  restart();
  rtf = run();
  EXPECT_FALSE(rtf.contains("\\pict"));
}

TEST_F(RtfTest, FileAppearsOnlyWhenTheExportSucceeds) {
  QTemporaryDir dir;
  filter.SetStream(nullptr);
  filter.SetFileName(dir.filePath("raport.rtf"));
  headedPages(2);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  QFile file(filter.FileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("{\\rtf1"));
  file.close();
  ASSERT_TRUE(file.remove());

  // Cancelled after the first page: nothing written, no stray file.
  report.OnProgress = [](TfrxReport* sender, TfrxReport::ProgressKind, int page, bool& cancel) {
    Q_UNUSED(sender);
    cancel = page == 1;
  };
  report.SetNoPumping(false);
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(RtfTest, NoFileNameMeansNothingWrittenAndNoError) {
  filter.SetStream(nullptr);
  headedPages(1);
  dialogs::RecordingScope recording;
  EXPECT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_TRUE(recording.messages().isEmpty());
  EXPECT_TRUE(report.Errors().isEmpty());
}

TEST_F(RtfTest, OptionsDialogReadsBackChoicesAndAsksForTheFile) {
  QTemporaryDir dir;
  filter.SetStream(nullptr);
  filter.SetShowDialog(true);
  filter.SetDefaultPath(dir.path());
  headedPages(3);
  dialogs::RecordingScope recording;
  queueExportOptionsAnswer([](ExportOptionsForm& form) {
    form.setIndex("HeaderFooterMode", 1);
    form.pageChoice = ExportOptionsForm::PageChoice::Pages;
    form.pageNumbers = "2-3";
  });
  dialogs::queueFileAnswer(QStringList{dir.filePath("wynik.rtf")});
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(recording.messages().value(0), "Eksport do RTF");
  EXPECT_EQ(filter.HeaderFooterMode(), TfrxRTFExport::hfPrint);
  EXPECT_TRUE(filter.SuppressPageHeadersFooters());
  EXPECT_EQ(filter.PageRange(), "2-3");
  EXPECT_EQ(filter.FileName(), dir.filePath("wynik.rtf"));
  QFile file(filter.FileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray rtf = file.readAll();
  EXPECT_FALSE(rtf.contains("Wiersz 1"));
  EXPECT_TRUE(rtf.contains("Wiersz 2"));

  // A cancelled save dialog: no export.
  queueExportOptionsAnswer(std::nullopt);
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
}

TEST_F(RtfTest, ProperitesAndDefaults) {
  EXPECT_EQ(filter.FilterCaption(), "Dokument RTF");
  EXPECT_EQ(filter.FileExtension(), ".rtf");
  EXPECT_EQ(filter.FileTypeFilter(), "Dokument RTF (*.rtf)|*.rtf");
  EXPECT_TRUE(filter.ExportEMF());
  EXPECT_TRUE(filter.Wysiwyg());
  EXPECT_EQ(filter.Creator(), "Valmoro");
  EXPECT_EQ(filter.HeaderFooterMode(), TfrxRTFExport::hfText);
  EXPECT_FALSE(filter.AutoSize());
  EXPECT_TRUE(filter.setProperty("HeaderFooterMode", "hfNone"));
  EXPECT_EQ(filter.HeaderFooterMode(), TfrxRTFExport::hfNone);
}

// A real word processor reads the document back: texts in table order,
// Polish letters intact, one page per report page.
TEST_F(RtfTest, LibreOfficeReadsTheTextsAndPages) {
  if (testing::officeProgram().isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  QTemporaryDir dir;
  filter.SetStream(nullptr);
  filter.SetFileName(dir.filePath("odczyt.rtf"));
  const QStringList names{QString::fromUtf8("Zażółć gęślą jaźń"), "Temperatura {a}\\b", "Wilgotność 45,5%"};
  for (int i = 0; i < 3; ++i) {
    TfrxReportPage* p = pages.addPage();
    auto* band = testing::addBand<TfrxMasterData>(p, 0, 40);
    auto* cell = testing::addMemo(band, 0, 0, 300, 20, names[i]);
    cell->Frame()->SetTyp(TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
    testing::addMemo(band, 300, 0, 200, 20, QStringLiteral("strona %1").arg(i + 1));
  }
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));

  // One conversion to PDF; the pages' texts come back through pdftotext.
  const QString pdf = testing::convertWithOffice(filter.FileName(), "pdf", ".pdf", dir.path());
  ASSERT_FALSE(pdf.isEmpty()) << "conversion to PDF failed";
  for (int i = 0; i < 3; ++i) {
    QProcess text;
    text.start("pdftotext", {"-f", QString::number(i + 1), "-l", QString::number(i + 1), pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    const qsizetype name = content.indexOf(names[i]);
    ASSERT_GE(name, 0) << names[i].toStdString() << " missing on page " << i + 1 << ": " << content.toStdString();
    EXPECT_GT(content.indexOf(QStringLiteral("strona %1").arg(i + 1)), name);
  }
  QProcess info;
  info.start("pdfinfo", {pdf});
  ASSERT_TRUE(info.waitForFinished(30000));
  const QString out = QString::fromUtf8(info.readAllStandardOutput());
  EXPECT_TRUE(out.contains(QRegularExpression("Pages:\\s+3\\b"))) << out.toStdString();
}

}  // namespace
}  // namespace valmoro::exports
