// valmoro-report export --format pdf: prepared pages to a PDF file, with
// protection options, read back with qpdf and poppler's tools.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

using namespace report;

// A prepared report of `count` pages, each with one row.
void makePreparedPdfSource(const QString& path, int count) {
  TfrxReport design;
  auto* page = new TfrxReportPage(&design);
  page->SetName("Page1");
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 700, 20);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(10, 0, 300, 18);
  TfrxPreviewPages& pages = design.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  for (int i = 0; i < count; ++i) {
    pages.AddPage(page);
    memo->SetText(QString::fromUtf8("Strona %1 – żółw").arg(i + 1));
    pages.AddObject(band);
  }
  pages.Finish();
  pages.SaveToFile(path);
}

QString reader(const QString& program, const QStringList& args, int* exitCode = nullptr) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  if (exitCode) *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(ExportPdfTool, WritesPagesAsPdfWithTheirTexts) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPdfSource(fp3, 3);
  const QString pdf = dir.filePath("raport.pdf");
  const ToolRun run = runTool({"export", "--format", "pdf", fp3, "--pages", "2-", "--title", "Dziennik", "-o", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  int code = -1;
  reader("qpdf", {"--check", pdf}, &code);
  EXPECT_EQ(code, 0);
  const QString info = reader("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression("Pages: +2\\n"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression("Title: +Dziennik\\n"))) << info.toStdString();
  EXPECT_EQ(reader("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).simplified(), QStringLiteral("Strona 2 – żółw"));
  EXPECT_EQ(reader("pdftotext", {"-f", "2", "-l", "2", pdf, "-"}).simplified(), QStringLiteral("Strona 3 – żółw"));
}

TEST(ExportPdfTool, PasswordsAndPermissions) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPdfSource(fp3, 1);
  const QString pdf = dir.filePath("chroniony.pdf");
  const ToolRun run = runTool({"export", "--format", "pdf", fp3, "--user-password", "tajne", "--owner-password",
                               "szef", "--permissions", "print,copy", "-o", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  int code = -1;
  reader("qpdf", {"--requires-password", pdf}, &code);
  EXPECT_EQ(code, 0);
  const QString show = reader("qpdf", {"--password=tajne", "--show-encryption", pdf});
  EXPECT_TRUE(show.contains("R = 6")) << show.toStdString();
  EXPECT_TRUE(show.contains("P = -44")) << show.toStdString();
  EXPECT_TRUE(reader("qpdf", {"--password=szef", "--show-encryption", pdf}).contains("owner password"));

  const ToolRun bad = runTool({"export", "--format", "pdf", fp3, "--permissions", "print,drukuj", "-o",
                               dir.filePath("zly.pdf")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.out.contains("Nieznane uprawnienie: drukuj")) << bad.out.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("zly.pdf")));
}

}  // namespace
}  // namespace valmoro
