// valmoro-report pages and render on prepared-report files made here.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

using namespace report;

// Three A5 pages, each with a coloured text view; an outline of two levels.
QString writePrepared(const QString& folder) {
  TfrxReport design;
  auto* page = new TfrxReportPage(&design);
  page->SetName("Page1");
  page->SetPaperSize(256);
  page->SetPaperWidth(148);
  page->SetPaperHeight(210);
  page->SetLeftMargin(10);
  page->SetTopMargin(10);
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 500, 40);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(20, 10, 200, 20);
  memo->SetColor(0xFF0000);  // blue
  TfrxPreviewPages& pages = design.PreviewPages();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  for (int i = 0; i < 3; ++i) {
    pages.AddPage(page);
    band->SetTop(30 * i);
    memo->SetText(QString("Strona %1").arg(i + 1));
    pages.AddObject(band);
    pages.Outline().LevelRoot();
    pages.Outline().AddItem(QString("Rozdział %1").arg(i + 1), 30 * i);
    if (i == 1) pages.Outline().AddItem("Punkt", 45);
  }
  pages.ResetLogicalPageNumber();
  pages.Finish();
  const QString file = QDir(folder).filePath("raport.fp3");
  pages.SaveToFile(file);
  return file;
}

TEST(PreparedPagesTool, PagesListsNumbersSizesAndTheOutline) {
  QTemporaryDir dir;
  const QString file = writePrepared(dir.path());
  const ToolRun run = runTool({"pages", file});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QStringList lines = run.out.split('\n');
  ASSERT_GE(lines.size(), 8);
  EXPECT_EQ(lines[0], "Strona 1: numer 1 z 3, 148 × 210 mm");
  EXPECT_EQ(lines[2], "Strona 3: numer 3 z 3, 148 × 210 mm");
  EXPECT_EQ(lines[3], "Spis:");
  EXPECT_EQ(lines[4], "  Rozdział 1 (strona 1, 0 px)");
  EXPECT_EQ(lines[5], "  Rozdział 2 (strona 2, 30 px)");
  EXPECT_EQ(lines[6], "    Punkt (strona 2, 45 px)");

  const ToolRun missing = runTool({"pages", dir.filePath("brak.fp3")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.startsWith("Nie znaleziono pliku")) << missing.out.toStdString();
  EXPECT_EQ(runTool({"pages"}).exitCode, 2);
}

TEST(PreparedPagesTool, RenderDrawsTheChosenPagesIntoNumberedFiles) {
  QTemporaryDir dir;
  const QString file = writePrepared(dir.path());
  const ToolRun run = runTool({"render", file, "--pages", "2-3", "-o", dir.filePath("out.png")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("out-1.png")));
  QImage second(dir.filePath("out-2.png"));
  ASSERT_FALSE(second.isNull());
  EXPECT_EQ(second.size(), QSize(qRound(148 * 3.77953 + 0.5), qRound(210 * 3.77953 + 0.5)));
  // The blue text view of page 2 lies at (20, 30 + 10) from the margins' corner.
  const int m = qRound(10 * 3.77953);  // margins: 10 mm
  EXPECT_EQ(second.pixelColor(m + 200, m + 45), QColor(Qt::blue));
  EXPECT_EQ(second.pixelColor(m + 200, m + 15), QColor(Qt::white));

  // One page at twice the resolution goes to the name given.
  ASSERT_EQ(runTool({"render", file, "--pages", "1", "--dpi", "192", "-o", dir.filePath("one.png")}).exitCode, 0);
  QImage one(dir.filePath("one.png"));
  EXPECT_EQ(one.width(), qRound(std::ceil(148 * 3.77953 * 2)));
  EXPECT_EQ(one.pixelColor(2 * (m + 200), 2 * (m + 15)), QColor(Qt::blue));

  // The same page drawn here directly.
  TfrxReport report;
  ASSERT_TRUE(report.PreviewPages().LoadFromFile(file));
  QImage direct(second.size(), QImage::Format_RGB32);
  direct.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(direct, 96);
    report.PreviewPages().DrawPage(1, canvas, 1, 1, 0, 0);
  }
  EXPECT_EQ(direct.convertToFormat(QImage::Format_RGB32), second.convertToFormat(QImage::Format_RGB32));

  const ToolRun range = runTool({"render", file, "--pages", "2-7", "-o", dir.filePath("x.png")});
  EXPECT_EQ(range.exitCode, 1);
  EXPECT_EQ(range.out, "Zakres stron 2-7 wykracza poza strony raportu (1–3)\n");
  const ToolRun bad = runTool({"render", file, "--pages", "a", "-o", dir.filePath("x.png")});
  EXPECT_EQ(bad.out, "Błędny zakres stron: a\n");
  QFile junk(dir.filePath("junk.fp3"));
  junk.open(QIODevice::WriteOnly);
  junk.write("<?xml version=\"1.0\"?><preparedreport><previewpages><page0><b1 t=\"");
  junk.close();
  const ToolRun damaged = runTool({"render", dir.filePath("junk.fp3"), "-o", dir.filePath("x.png")});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_TRUE(damaged.out.contains("Invalid file format")) << damaged.out.toStdString();
  EXPECT_EQ(runTool({"render", file}).exitCode, 2);
}

}  // namespace
}  // namespace valmoro
