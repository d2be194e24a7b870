// valmoro-report print: a prepared report printed into a PDF file, read
// back with poppler.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

using namespace report;

// A prepared report of `count` pages, each with "Strona N" on it; every
// third page is A5 landscape.
void makePrepared(const QString& file, int count) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* a5 = new TfrxReportPage(&report);
  a5->SetName("Page2");
  a5->SetOrientation(poLandscape);
  a5->SetPaperSize(11);
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 500, 20);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(10, 0, 300, 18);
  TfrxPreviewPages& pages = report.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.AddSourceObjects(a5);
  pages.BeginPass();
  for (int i = 1; i <= count; ++i) {
    pages.AddPage(i % 3 == 0 ? a5 : page);
    memo->SetText(QStringLiteral("Strona %1").arg(i));
    pages.AddObject(band);
  }
  pages.Finish();
  pages.SaveToFile(file);
}

int pdfPages(const QString& file) {
  const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(readerOutput("pdfinfo", {file}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

TEST(ReportPrintTool, PrintsAPreparedReportIntoAPdfFile) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3"), pdf = dir.filePath("wydruk.pdf");
  makePrepared(fp3, 4);

  ToolRun r = runTool({"print", fp3, "-o", pdf});
  ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed(), QString("Zapisano do pliku „%1” stron: 4.").arg(pdf));
  ASSERT_EQ(pdfPages(pdf), 4);
  EXPECT_EQ(readerOutput("pdftotext", {"-f", "2", "-l", "2", pdf, "-"}).trimmed(), "Strona 2");
  const QString info = readerOutput("pdfinfo", {"-f", "3", "-l", "3", pdf});
  EXPECT_TRUE(info.contains("595 x 420 pts")) << info.mid(info.indexOf("Page ")).toStdString();

  r = runTool({"print", fp3, "--pages", "4,2-1000000000", "--copies", "2", "--collate", "-o", pdf});
  ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
  ASSERT_EQ(pdfPages(pdf), 8);
  EXPECT_EQ(readerOutput("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).trimmed(), "Strona 4");
  EXPECT_EQ(readerOutput("pdftotext", {"-f", "5", "-l", "5", pdf, "-"}).trimmed(), "Strona 4");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"raport.fp3", "wydruk.pdf"}));
}

TEST(ReportPrintTool, WrongCallsAndFailuresSayWhyAndExitOne) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3"), pdf = dir.filePath("wydruk.pdf");
  makePrepared(fp3, 2);

  ToolRun r = runTool({"print", fp3, "--pages", "1,x", "-o", pdf});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.startsWith("„x” nie jest numerem strony.")) << r.out.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));

  r = runTool({"print", dir.filePath("brak.fp3"), "-o", pdf});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.contains("Nie ma pliku")) << r.out.toStdString();

  r = runTool({"print", fp3, "-o", dir.filePath("nie/ma/katalogu.pdf")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.contains("Nie można zapisać wydruku do pliku")) << r.out.toStdString();

  r = runTool({"print", fp3, "--printer", "Nie ma takiej"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(r.out.isEmpty());

  r = runTool({"print", fp3, "--copies", "zero"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.out.contains("--copies")) << r.out.toStdString();
}

TEST(ReportPrintTool, PrintsTheShippedReportOverAModulesLog) {
  QTemporaryDir dir;
  const QString database = dir.filePath("Valmoro.db"), fp3 = dir.filePath("raport.fp3"), pdf = dir.filePath("r.pdf");
  makeSeedDatabase(database);
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QStringList data{"--database", database, "--module", "Magazyn główny"};
  ASSERT_EQ(runTool(QStringList{"prepare", report} + data + QStringList{"-o", fp3}).exitCode, 0);
  TfrxReport prepared;
  ASSERT_TRUE(prepared.PreviewPages().LoadFromFile(fp3));
  const int count = prepared.PreviewPages().Count();
  ASSERT_GT(count, 1);

  const ToolRun r = runTool(QStringList{"print", report} + data + QStringList{"--pages", "1,2", "-o", pdf});
  ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
  ASSERT_EQ(pdfPages(pdf), 2);
  EXPECT_TRUE(readerOutput("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).contains("Magazyn główny"));

  const ToolRun all = runTool({"print", fp3, "-o", pdf});
  ASSERT_EQ(all.exitCode, 0) << all.out.toStdString();
  EXPECT_EQ(pdfPages(pdf), count);

  const ToolRun wrong = runTool({"print", report, "--from", "2024-01-01", "-o", pdf});
  EXPECT_EQ(wrong.exitCode, 2);
}

}  // namespace
}  // namespace valmoro
