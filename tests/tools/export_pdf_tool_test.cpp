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

TEST(ExportPdfTool, WritesPagesAsPdfWithTheirTexts) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPages(fp3, 3);
  const QString pdf = dir.filePath("raport.pdf");
  const ToolRun run = runTool({"export", "--format", "pdf", fp3, "--pages", "2-", "--title", "Dziennik", "-o", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  int code = -1;
  readerOutput("qpdf", {"--check", pdf}, &code);
  EXPECT_EQ(code, 0);
  const QString info = readerOutput("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression("Pages: +2\\n"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression("Title: +Dziennik\\n"))) << info.toStdString();
  EXPECT_EQ(readerOutput("pdftotext", {"-f", "1", "-l", "1", pdf, "-"}).simplified(), QStringLiteral("Strona 2 – żółw"));
  EXPECT_EQ(readerOutput("pdftotext", {"-f", "2", "-l", "2", pdf, "-"}).simplified(), QStringLiteral("Strona 3 – żółw"));
}

TEST(ExportPdfTool, PasswordsAndPermissions) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPages(fp3, 1);
  const QString pdf = dir.filePath("chroniony.pdf");
  const ToolRun run = runTool({"export", "--format", "pdf", fp3, "--user-password", "tajne", "--owner-password",
                               "szef", "--permissions", "print,copy", "-o", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  int code = -1;
  readerOutput("qpdf", {"--requires-password", pdf}, &code);
  EXPECT_EQ(code, 0);
  const QString show = readerOutput("qpdf", {"--password=tajne", "--show-encryption", pdf});
  EXPECT_TRUE(show.contains("R = 6")) << show.toStdString();
  EXPECT_TRUE(show.contains("P = -44")) << show.toStdString();
  EXPECT_TRUE(readerOutput("qpdf", {"--password=szef", "--show-encryption", pdf}).contains("owner password"));

  const ToolRun bad = runTool({"export", "--format", "pdf", fp3, "--permissions", "print,drukuj", "-o",
                               dir.filePath("zly.pdf")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.out.contains("Nieznane uprawnienie: drukuj")) << bad.out.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("zly.pdf")));
}

}  // namespace
}  // namespace valmoro
