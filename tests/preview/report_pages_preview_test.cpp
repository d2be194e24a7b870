// The preview window over a real prepared-page store filled by hand (no
// engine run): a link as the store answers it, text as the store draws it.
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_workspace.h"
#include "preview/report_page_source.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::report;

TEST(PreviewOnPreparedPages, ALinkToPageThreeGoesThereAndFindReadsTheStoresTexts) {
  dialogs::RecordingScope recording;
  TfrxReport rep;
  auto* page = new TfrxReportPage(&rep);
  page->SetName("Page1");
  page->SetPaperSize(9);
  page->SetTopMargin(10);
  page->SetLeftMargin(10);
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 700, 20);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(10, 0, 200, 18);

  TfrxPreviewPages& pages = rep.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  for (int i = 0; i < 4; ++i) {
    pages.AddPage(page);
    band->SetTop(0);
    memo->SetText(QString("strona %1").arg(i + 1));
    memo->SetURL(i == 0 ? "@3" : i == 1 ? "#Cel" : "");
    pages.AddObject(band);
    if (i == 3) {
      band->SetTop(100);
      memo->SetText("cel");
      memo->SetURL("");
      pages.AddObject(band);
    }
  }
  pages.Finish();
  ASSERT_EQ(pages.Count(), 4);

  preview::ReportPageSource source(pages);
  rep.PreviewOptions()->SetMaximized(false);
  preview::TfrxPreviewForm form;
  form.resize(1000, 800);
  form.Init(&source, &rep);
  form.show();
  QCoreApplication::processEvents();
  preview::TfrxPreview& pv = *form.Preview();
  auto* ws = pv.Workspace();
  // The link sits at the page corner + left margin (10 mm) + 10 pixels.
  const int mm = int(std::lround(10 * 3.77953));
  QPoint onLink = ws->Layout().PageRect(0).topLeft() - ws->ScrollPosition() + QPoint(mm + 20, mm + 5);
  QTest::mouseMove(ws->viewport(), onLink);
  EXPECT_EQ(form.StatusText(1), "@3");
  QTest::mouseClick(ws->viewport(), Qt::LeftButton, {}, onLink);
  EXPECT_EQ(pv.PageNo(), 3);
  // Find reads the texts the store draws.
  ASSERT_TRUE(pv.Find("strona 2", false, true));
  EXPECT_EQ(pv.PageNo(), 2);
  EXPECT_TRUE(recording.messages().isEmpty());
}
