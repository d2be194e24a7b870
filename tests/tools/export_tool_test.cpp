// valmoro-report export: prepared pages to a file through an export filter.

#include <QDir>
#include <QFile>
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

// A prepared report of `count` pages, each with one row "Strona n".
void makePrepared(const QString& path, int count) {
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

QString readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(file.readAll());
}

TEST(ExportTool, WritesThePreparedPagesAsRtf) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePrepared(fp3, 3);
  const ToolRun run = runTool({"export", "--format", "rtf", fp3, "-o", dir.filePath("raport.rtf")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
  const QString rtf = readAll(dir.filePath("raport.rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
  EXPECT_EQ(rtf.count("\\pard\\sect"), 2);
  EXPECT_TRUE(rtf.contains("Strona 3 \\u8211\\'3f \\u380\\'3f\\u243\\'3f\\u322\\'3fw")) << rtf.toStdString();
}

TEST(ExportTool, SelectsPages) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePrepared(fp3, 5);
  const ToolRun run = runTool({"export", "--format", "rtf", fp3, "--pages", "2,4-", "-o", dir.filePath("a.rtf")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QString rtf = readAll(dir.filePath("a.rtf"));
  EXPECT_FALSE(rtf.contains("Strona 1 "));
  EXPECT_TRUE(rtf.contains("Strona 2 "));
  EXPECT_FALSE(rtf.contains("Strona 3 "));
  EXPECT_TRUE(rtf.contains("Strona 4 "));
  EXPECT_TRUE(rtf.contains("Strona 5 "));
}

TEST(ExportTool, ErrorsGoToStandardOutputWithExitOne) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePrepared(fp3, 1);

  ToolRun run = runTool({"export", "--format", "odt", fp3, "-o", dir.filePath("a.odt")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith("Nieznany format: odt (dostępne: rtf")) << run.out.toStdString();

  run = runTool({"export", "--format", "rtf", dir.filePath("brak.fp3"), "-o", dir.filePath("a.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.out.isEmpty());

  // An output folder that does not exist: an error and no file anywhere.
  run = runTool({"export", "--format", "rtf", fp3, "-o", dir.filePath("nie/ma/a.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.contains("Nie można utworzyć pliku")) << run.out.toStdString();

  run = runTool({"export", "--format", "rtf", fp3, "--pages", "1,x", "-o", dir.filePath("b.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(QFile::exists(dir.filePath("b.rtf")));

  // Usage errors exit 2.
  EXPECT_EQ(runTool({"export", "--format", "rtf", fp3}).exitCode, 2);
  EXPECT_EQ(runTool({"export", fp3, "-o", dir.filePath("c.rtf")}).exitCode, 2);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"raport.fp3"});
}

}  // namespace
}  // namespace valmoro
