// The PDF filter driven by the export run over prepared pages, its output
// read back with real readers.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "export/export_options_dialog.h"
#include "export/pdf_export.h"
#include "export_support.h"
#include "pdf_reader_support.h"
#include "platform/dialogs.h"
#include "report/engine/preview_pages.h"
#include "report/model/report_options.h"

namespace valmoro::exports {
namespace {

using namespace report;
using pdftest::pageText;
using pdftest::runTool;
using testing::HeldPages;

class PdfExportTest : public ::testing::Test {
protected:
  PdfExportTest() : pages(&report) {
    report.SetNoPumping(true);
    report.EngineOptions()->SetNewSilentMode(simSilent);
    filter.SetShowDialog(false);
    filter.SetShowProgress(false);
  }

  // Pages with a band and two text views each; the second page landscape.
  void makePages(int count) {
    for (int i = 0; i < count; ++i) {
      TfrxReportPage* page = pages.addPage();
      if (i == 1) page->SetOrientation(poLandscape);
      auto* band = testing::addBand<TfrxMasterData>(page, 20, 40);
      testing::addMemo(band, 0, 0, 300, 20, QStringLiteral("Odczyt %1: 21,5 °C").arg(i + 1))->SetName("Odczyt");
      testing::addMemo(band, 300, 0, 300, 20, QStringLiteral("Łódź – Żółkiewskiego"))->SetName("Miejsce");
    }
  }

  bool run(const QString& name) {
    path = dir.filePath(name);
    filter.SetFileName(path);
    return ExportPreparedPages(pages, &filter);
  }

  QTemporaryDir dir;
  TfrxReport report;
  HeldPages pages;
  TfrxPDFExport filter;
  QString path;
};

TEST_F(PdfExportTest, CreationValuesCaptionAndPermissionValue) {
  EXPECT_TRUE(filter.Compressed());
  EXPECT_FALSE(filter.EmbeddedFonts());
  EXPECT_TRUE(filter.HTMLTags());
  EXPECT_EQ(filter.Author(), QStringLiteral("Valmoro"));
  EXPECT_EQ(filter.Subject(), QStringLiteral("Valmoro PDF export"));
  EXPECT_EQ(filter.FileExtension(), QStringLiteral(".pdf"));
  EXPECT_EQ(filter.FileTypeFilter(), QStringLiteral("Dokument Adobe PDF (*.pdf)|*.pdf"));
  EXPECT_EQ(filter.FilterCaption(), QStringLiteral("Dokument PDF"));
  EXPECT_EQ(filter.PermissionValue(), -4);
  EXPECT_FALSE(filter.Protected());
  filter.SetProtectionFlags({});
  EXPECT_EQ(filter.PermissionValue(), -64);
  EXPECT_TRUE(filter.Protected());
  filter.SetProtectionFlags(TfrxPDFExport::ePrint | TfrxPDFExport::eCopy);
  EXPECT_EQ(filter.PermissionValue(), -44);
}

TEST_F(PdfExportTest, PagesTextsAndSizesAsPrepared) {
  makePages(3);
  filter.SetTitle(QStringLiteral("Rejestr – wrzesień"));
  ASSERT_TRUE(run("raport.pdf"));
  EXPECT_EQ(runTool("qpdf", {"--check", path}).exitCode, 0);
  const auto info = runTool("pdfinfo", {"-enc", "UTF-8", "-f", "1", "-l", "3", path});
  EXPECT_TRUE(info.out.contains(QRegularExpression("Pages: +3\\n"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression("Page +1 size: +595.2\\d x 841.8\\d pts"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression("Page +2 size: +841.8\\d x 595.2\\d pts"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Title: +Rejestr – wrzesień\\n"))));
  EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Author: +Valmoro\\n"))));
  for (int page = 1; page <= 3; ++page) {
    const QString text = pageText(path, page).simplified();
    EXPECT_EQ(text, QStringLiteral("Odczyt %1: 21,5 °C Łódź – Żółkiewskiego").arg(page));
  }
  // The view sits 10 mm + its band's offset from the paper's corner.
  const QString box =
      runTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, "-"}).out;
  const QRegularExpression word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Odczyt</word>");
  const auto match = word.match(box);
  ASSERT_TRUE(match.hasMatch()) << box.toStdString();
  // Left margin 10 mm = 28.35 pt, gap 2 px = 1.5 pt.
  EXPECT_NEAR(match.captured(1).toDouble(), 28.35 + 1.5, 1.5);
  const auto fonts = runTool("pdffonts", {path});
  EXPECT_TRUE(fonts.out.contains(QRegularExpression("[A-Z]{6}\\+LiberationSans +CID TrueType +Identity-H +yes yes yes")))
      << fonts.out.toStdString();
}

TEST_F(PdfExportTest, PageRangeAndPasswords) {
  makePages(4);
  filter.SetPageRange(QStringLiteral("2-3"));
  filter.SetUserPassword(QStringLiteral("hasło"));
  ASSERT_TRUE(run("chroniony.pdf"));
  EXPECT_EQ(runTool("qpdf", {"--requires-password", path}).exitCode, 0);
  const auto show = runTool("qpdf", {QStringLiteral("--password=hasło"), "--show-encryption", path});
  EXPECT_TRUE(show.out.contains("R = 6")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("P = -4")) << show.out.toStdString();
  // The owner password is a random one, not the user's.
  EXPECT_TRUE(show.out.contains("Supplied password is user password")) << show.out.toStdString();
  EXPECT_EQ(runTool("qpdf", {QStringLiteral("--password=hasło"), "--show-npages", path}).out.trimmed(), "2");
  EXPECT_EQ(pageText(path, 1, QStringLiteral("hasło")).simplified(),
            QStringLiteral("Odczyt 2: 21,5 °C Łódź – Żółkiewskiego"));
}

TEST_F(PdfExportTest, UncompressedFileStaysReadableAndRc4OnRequest) {
  makePages(2);
  filter.SetCompressed(false);
  ASSERT_TRUE(run("plain.pdf"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_FALSE(bytes.contains("/FlateDecode"));
  // Page contents as written: text operators in the clear.
  EXPECT_TRUE(bytes.contains(" Tf\n")) << bytes.left(2000).toStdString();
  EXPECT_EQ(runTool("qpdf", {"--check", path}).exitCode, 0);
  EXPECT_EQ(pageText(path, 2).simplified(), QStringLiteral("Odczyt 2: 21,5 °C Łódź – Żółkiewskiego"));

  filter.SetCompressed(true);
  filter.SetRC4Encryption(true);
  filter.SetOwnerPassword(QStringLiteral("szef"));
  ASSERT_TRUE(run("rc4.pdf"));
  const auto show = runTool("qpdf", {"--password=szef", "--show-encryption", path});
  EXPECT_TRUE(show.out.contains("R = 3")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("Supplied password is owner password")) << show.out.toStdString();
  // No user password: anyone opens it.
  EXPECT_EQ(runTool("qpdf", {"--requires-password", path}).exitCode, 3);
}

TEST_F(PdfExportTest, BackgroundOnlyWhenAsked) {
  makePages(1);
  pages.Page(0)->SetColor(0x00FFFF);  // yellow
  const auto centre = [&](const QString& file) {
    const QString base = dir.filePath(QFileInfo(file).completeBaseName());
    runTool("pdftoppm", {"-r", "20", "-png", "-singlefile", file, base});
    const QImage image(base + ".png");
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
  };
  ASSERT_TRUE(run("bez_tla.pdf"));
  EXPECT_EQ(centre(path), QColor(Qt::white));
  filter.SetBackground(true);
  ASSERT_TRUE(run("z_tlem.pdf"));
  EXPECT_EQ(centre(path), QColor(255, 255, 0));
}

TEST_F(PdfExportTest, FailedOutputLeavesNoFileAndReportsTheError) {
  makePages(2);
  path = dir.filePath("brak/katalogu/raport.pdf");
  filter.SetFileName(path);
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(report.Errors().join("\n").contains(QStringLiteral("Nie można utworzyć pliku")))
      << report.Errors().join("\n").toStdString();
}

TEST_F(PdfExportTest, OptionsDialogSetsPermissionsAndTakesTheReportName) {
  makePages(1);
  report.ReportOptions()->SetName(QStringLiteral("Raport miesięczny"));
  filter.SetShowDialog(true);
  const dialogs::Mode mode = dialogs::mode();
  dialogs::setMode(dialogs::Mode::Recording);
  dialogs::queueFileAnswer(QStringList{dir.filePath("okno.pdf")});
  filter.SetAuthor(QStringLiteral("Kierownik"));
  ExportOptionsForm seen;
  queueExportOptionsAnswer([&](ExportOptionsForm& form) {
    seen = form;
    form.setChecked(QStringLiteral("eModify"), false);
    form.setChecked(QStringLiteral("eAnnot"), false);
    form.setChecked(QStringLiteral("HideToolbar"), true);
    form.setText(QStringLiteral("Subject"), QStringLiteral("Temperatury w chłodni"));
    form.setText(QStringLiteral("OwnerPassword"), QStringLiteral("właściciel"));
    form.setText(QStringLiteral("UserPassword"), QStringLiteral("żółw"));
  });
  ASSERT_TRUE(run("okno.pdf"));
  dialogs::setMode(mode);
  // Four tabs; the document information shows what the filter holds.
  EXPECT_EQ(seen.tabs(), (QStringList{"Eksport", "Informacja", "Bezpieczeństwo", "Przeglądarka"}));
  EXPECT_EQ(seen.text(QStringLiteral("Title")), QStringLiteral("Raport miesięczny"));
  EXPECT_EQ(seen.text(QStringLiteral("Author")), QStringLiteral("Kierownik"));
  // The generic subject of a new filter gives way to the report's name.
  EXPECT_EQ(seen.text(QStringLiteral("Subject")), QStringLiteral("Raport miesięczny"));
  // Fonts are always embedded: the box says so and cannot be unticked.
  ASSERT_NE(seen.find(QStringLiteral("EmbeddedFonts")), nullptr);
  EXPECT_TRUE(seen.find(QStringLiteral("EmbeddedFonts"))->checked);
  EXPECT_FALSE(seen.find(QStringLiteral("EmbeddedFonts"))->enabled);
  ASSERT_NE(seen.find(QStringLiteral("UserPassword")), nullptr);
  EXPECT_TRUE(seen.find(QStringLiteral("UserPassword"))->masked);
  EXPECT_EQ(seen.find(QStringLiteral("UserPassword"))->group, QStringLiteral("Autoryzacja"));
  ASSERT_NE(seen.find(QStringLiteral("OwnerPassword")), nullptr);
  EXPECT_EQ(seen.find(QStringLiteral("OwnerPassword"))->caption, QStringLiteral("Hasło właściciela"));
  EXPECT_FALSE(seen.find(QStringLiteral("Subject"))->masked);
  EXPECT_EQ(seen.find(QStringLiteral("ePrint"))->tab, QStringLiteral("Bezpieczeństwo"));
  // The report shows no outline in its preview: the choice is greyed out.
  EXPECT_TRUE(seen.find(QStringLiteral("Outline"))->visible);
  EXPECT_FALSE(seen.find(QStringLiteral("Outline"))->enabled);
  EXPECT_FALSE(filter.Outline());
  EXPECT_EQ(filter.Title(), QStringLiteral("Raport miesięczny"));
  EXPECT_EQ(filter.Subject(), QStringLiteral("Temperatury w chłodni"));
  EXPECT_TRUE(filter.EmbeddedFonts());
  EXPECT_EQ(filter.UserPassword(), QStringLiteral("żółw"));
  EXPECT_EQ(filter.PermissionValue(), -44);
  const auto show = runTool("qpdf", {"--show-encryption", path});
  EXPECT_TRUE(show.out.contains("P = -44")) << show.out.toStdString();
  // The passwords typed in the dialog protect the file.
  EXPECT_EQ(runTool("qpdf", {"--requires-password", path}).exitCode, 0);
  EXPECT_EQ(runTool("qpdf", {QStringLiteral("--password=żółw"), "--check", path}).exitCode, 0);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.contains("/HideToolbar true"));
  EXPECT_TRUE(bytes.contains("/DisplayDocTitle true"));
}

TEST(PdfExportOutline, OutlineOfThePreparedPagesLeadsToTheirPages) {
  QTemporaryDir dir;
  TfrxReport report;
  report.SetNoPumping(true);
  report.EngineOptions()->SetNewSilentMode(simSilent);
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 700, 20);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(10, 0, 200, 18);
  TfrxPreviewPages& pages = report.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  const char* modules[3] = {"Chłodnia", "Magazyn", "Rampa"};
  for (int i = 0; i < 3; ++i) {
    pages.AddPage(page);
    pages.Outline().LevelRoot();
    pages.Outline().AddItem(QString::fromUtf8(modules[i]), 40);
    pages.Outline().AddItem(QStringLiteral("Punkt %1").arg(i + 1), 60);
    band->SetTop(40);
    memo->SetText(QString::fromUtf8(modules[i]));
    pages.AddObject(band);
  }
  pages.Finish();
  ASSERT_EQ(pages.Count(), 3);

  TfrxPDFExport filter;
  filter.SetShowDialog(false);
  filter.SetShowProgress(false);
  filter.SetOutline(true);
  const QString path = dir.filePath("konspekt.pdf");
  filter.SetFileName(path);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter)) << report.Errors().join("\n").toStdString();
  EXPECT_EQ(runTool("qpdf", {"--check", path}).exitCode, 0);
  const QString json = runTool("qpdf", {"--json", "--json-key=outlines", path}).out;
  const QJsonArray outline = QJsonDocument::fromJson(json.toUtf8()).object().value("outlines").toArray();
  ASSERT_EQ(outline.size(), 3) << json.toStdString();
  for (int i = 0; i < 3; ++i) {
    const QJsonObject item = outline[i].toObject();
    EXPECT_EQ(item.value("title").toString(), QString::fromUtf8(modules[i]));
    EXPECT_EQ(item.value("destpageposfrom1").toInt(), i + 1);
    const QJsonArray kids = item.value("kids").toArray();
    ASSERT_EQ(kids.size(), 1);
    EXPECT_EQ(kids[0].toObject().value("title").toString(), QStringLiteral("Punkt %1").arg(i + 1));
    // 20 pixels further down the page: 15 points lower.
    EXPECT_NEAR(item.value("dest").toArray()[3].toDouble() - kids[0].toObject().value("dest").toArray()[3].toDouble(),
                15, 0.01);
  }
  // Without the option the file has no outline.
  filter.SetOutline(false);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_FALSE(file.readAll().contains("/Outlines"));
}

}  // namespace
}  // namespace valmoro::exports
