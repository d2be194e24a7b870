// Page geometry (paper, orientation, margins, columns) and the placement of
// aligned views in bands and pages.

#include <gtest/gtest.h>

#include <cmath>

#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/paper_table.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

using namespace valmoro::report;

namespace {

struct Margins {
  double left, right, top, bottom;
  bool operator==(const Margins&) const = default;
};

Margins marginsOf(const TfrxReportPage& page) {
  return {page.LeftMargin(), page.RightMargin(), page.TopMargin(), page.BottomMargin()};
}

TfrxMemoView* view(TfrxComponent* parent, double left, double top, double width, double height,
                   TfrxAlign align = baNone) {
  auto* memo = new TfrxMemoView(parent);
  memo->SetBounds(left, top, width, height);
  memo->SetAlign(align);
  return memo;
}

}  // namespace

TEST(PaperTable, RowsAndLookups) {
  EXPECT_EQ(paperTable().size(), 66u);
  for (const PaperTableRow& row : paperTable()) EXPECT_STREQ(row.name, "");
  EXPECT_FALSE(findPaper(48).has_value());
  EXPECT_FALSE(findPaper(49).has_value());
  EXPECT_FALSE(findPaper(69).has_value());
  const auto a4 = findPaper(9);
  ASSERT_TRUE(a4.has_value());
  EXPECT_DOUBLE_EQ(a4->width, 210);
  EXPECT_DOUBLE_EQ(a4->height, 297);
  const auto e = findPaper(26);
  ASSERT_TRUE(e.has_value());
  EXPECT_DOUBLE_EQ(e->width, 863.6);
  EXPECT_DOUBLE_EQ(e->height, 1117.6);
  EXPECT_DOUBLE_EQ(findPaper(38)->height, 165.1);
}

TEST(PageGeometry, NewPageIsA4Portrait) {
  TfrxReportPage page;
  EXPECT_EQ(page.PaperSize(), 9);
  EXPECT_EQ(page.Orientation(), poPortrait);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 210);
  EXPECT_DOUBLE_EQ(page.PaperHeight(), 297);
  EXPECT_DOUBLE_EQ(page.Width(), 794);  // 210 x 3.77953 = 793.70
  EXPECT_DOUBLE_EQ(page.Height(), 1123);
  EXPECT_EQ(marginsOf(page), (Margins{0, 0, 0, 0}));
  EXPECT_EQ(page.Bin(), 7);
  EXPECT_EQ(page.PageCount(), 1);
  EXPECT_EQ(page.Color(), clTransparent);
}

TEST(PageGeometry, OrientationSwapsPaperAndTurnsMargins) {
  TfrxReportPage page;
  page.SetLeftMargin(1);
  page.SetRightMargin(2);
  page.SetTopMargin(3);
  page.SetBottomMargin(4);
  page.SetOrientation(poLandscape);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 297);
  EXPECT_DOUBLE_EQ(page.PaperHeight(), 210);
  EXPECT_EQ(marginsOf(page), (Margins{3, 4, 2, 1}));
  EXPECT_DOUBLE_EQ(page.Width(), 1123);
  EXPECT_DOUBLE_EQ(page.Height(), 794);
  page.SetOrientation(poLandscape);  // unchanged: nothing moves
  EXPECT_EQ(marginsOf(page), (Margins{3, 4, 2, 1}));
  page.SetOrientation(poPortrait);
  EXPECT_EQ(marginsOf(page), (Margins{1, 2, 3, 4}));
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 210);
}

TEST(PageGeometry, PaperSizeOnALandscapePage) {
  TfrxReportPage page;
  page.SetOrientation(poLandscape);
  page.SetPaperSize(11);  // A5
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 210);
  EXPECT_DOUBLE_EQ(page.PaperHeight(), 148);
  page.SetPaperSize(9);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 297);
  EXPECT_DOUBLE_EQ(page.PaperHeight(), 210);
  EXPECT_DOUBLE_EQ(page.Width(), 1123);

  // A code without a row, or a custom code, keeps the paper.
  page.SetPaperSize(48);
  EXPECT_EQ(page.PaperSize(), 48);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 297);
  page.SetPaperSize(300);
  EXPECT_EQ(page.PaperSize(), 300);
  EXPECT_DOUBLE_EQ(page.PaperHeight(), 210);
}

TEST(PageGeometry, PaperWidthAndHeightMakeACustomPaper) {
  TfrxReportPage page;
  page.SetPaperWidth(100.123456789);
  EXPECT_EQ(page.PaperSize(), 256);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 100.12345679);
  EXPECT_DOUBLE_EQ(page.Width(), std::round(100.12345679 * 3.77953));
  page.SetPaperSize(9);
  page.SetPaperHeight(150);
  EXPECT_EQ(page.PaperSize(), 256);
  EXPECT_DOUBLE_EQ(page.Height(), 567);  // 566.93
}

TEST(PageGeometry, ColumnsDivideThePrintableWidth) {
  TfrxReportPage page;
  page.SetLeftMargin(10);
  page.SetRightMargin(10);
  page.SetColumns(2);
  EXPECT_DOUBLE_EQ(page.ColumnWidth(), 95);
  EXPECT_EQ(page.ColumnPositions(), QStringList({"0", "95"}));
  // Positions are decimal texts in the program's number format.
  page.SetColumns(4);
  EXPECT_DOUBLE_EQ(page.ColumnWidth(), 47.5);
  EXPECT_EQ(page.ColumnPositions(), QStringList({"0", "47,5", "95", "142,5"}));
  page.SetColumns(0);
  EXPECT_TRUE(page.ColumnPositions().isEmpty());
  EXPECT_EQ(page.Columns(), 0);
}

TEST(PageGeometry, PageCountBelowOneIsIgnored) {
  TfrxReportPage page;
  page.SetPageCount(3);
  page.SetPageCount(0);
  page.SetPageCount(-2);
  EXPECT_EQ(page.PageCount(), 3);
}

TEST(PageGeometry, PrinterDefaults) {
  TfrxReportPage page;
  page.ApplyPrinterDefaults();
  EXPECT_EQ(marginsOf(page), (Margins{10, 10, 10, 10}));
  EXPECT_EQ(page.PaperSize(), 9);
  EXPECT_DOUBLE_EQ(page.Width(), 794);

  hooks::setPrinterDefaults([] { return hooks::PrinterPaper{1, 279.4, 215.9, poLandscape}; });
  page.ApplyPrinterDefaults();
  hooks::setPrinterDefaults(nullptr);
  EXPECT_EQ(page.PaperSize(), 1);
  EXPECT_EQ(page.Orientation(), poLandscape);
  EXPECT_DOUBLE_EQ(page.PaperWidth(), 279.4);
  EXPECT_DOUBLE_EQ(page.Width(), 1056);  // 1056.00
  EXPECT_DOUBLE_EQ(page.Height(), 816);
}

TEST(Alignment, LeftAlignedViewsLineUpOnTheirRow) {
  TfrxMasterData band;
  band.SetBounds(0, 0, 500, 100);
  auto* second = view(&band, 300, 0, 80, 20, baLeft);
  auto* first = view(&band, 50, 0, 100, 20, baLeft);
  auto* otherRow = view(&band, 120, 40, 60, 20, baLeft);
  // Touching from below is not overlapping.
  auto* touching = view(&band, 400, 20, 30, 20, baLeft);
  band.ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(first->Left(), 0);
  EXPECT_DOUBLE_EQ(second->Left(), 100);
  EXPECT_DOUBLE_EQ(otherRow->Left(), 0);
  EXPECT_DOUBLE_EQ(touching->Left(), 0);
}

TEST(Alignment, WidthFillsTheGapAndRightHugsTheEdge) {
  TfrxMasterData band;
  band.SetBounds(0, 0, 500, 30);
  auto* left = view(&band, 20, 0, 100, 20, baLeft);
  auto* middle = view(&band, 200, 5, 10, 10, baWidth);
  auto* right = view(&band, 300, 0, 50, 20, baRight);
  band.ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(left->Left(), 0);
  EXPECT_DOUBLE_EQ(right->Left(), 450);
  EXPECT_DOUBLE_EQ(middle->Left(), 100);
  EXPECT_DOUBLE_EQ(middle->Width(), 350);

  // Alone on its row, a baWidth view spans the band.
  auto* alone = view(&band, 40, 25, 10, 5, baWidth);
  band.ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(alone->Left(), 0);
  EXPECT_DOUBLE_EQ(alone->Width(), 500);
}

TEST(Alignment, NegativePositionsSortBeforePositiveOnes) {
  TfrxMasterData band;
  band.SetBounds(0, 0, 400, 20);
  auto* positive = view(&band, 10, 0, 30, 20, baLeft);
  auto* negative = view(&band, -5, 0, 40, 20, baLeft);
  band.ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(negative->Left(), 0);
  EXPECT_DOUBLE_EQ(positive->Left(), 40);
}

TEST(Alignment, CenterBottomAndClient) {
  TfrxMasterData band;
  band.SetBounds(0, 0, 300, 60);
  auto* center = view(&band, 0, 0, 100, 20, baCenter);
  auto* bottom = view(&band, 7, 0, 50, 15, baBottom);
  auto* client = view(&band, 5, 5, 10, 10, baClient);
  auto* none = view(&band, 5, 5, 10, 10);
  band.ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(center->Left(), 100);
  EXPECT_DOUBLE_EQ(bottom->Top(), 45);
  EXPECT_DOUBLE_EQ(bottom->Left(), 7);
  EXPECT_EQ(QRectF(client->Left(), client->Top(), client->Width(), client->Height()), QRectF(0, 0, 300, 60));
  EXPECT_EQ(QRectF(none->Left(), none->Top(), none->Width(), none->Height()), QRectF(5, 5, 10, 10));
}

TEST(Alignment, ReportPageSizesBandsByColumns) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  page->SetLeftMargin(10);
  page->SetRightMargin(10);
  page->SetTopMargin(10);
  page->SetBottomMargin(10);
  page->SetColumns(2);
  auto* title = new TfrxReportTitle(page);
  auto* master = new TfrxMasterData(page);
  auto* vertical = new TfrxMasterData(page);
  vertical->SetVertical(true);
  vertical->SetTop(100);
  auto* filling = view(master, 3, 3, 3, 3, baClient);
  master->SetHeight(20);

  page->ArrangeAlignedChildren();
  const double printable = 190 * fr01cm;
  EXPECT_DOUBLE_EQ(title->Width(), printable);
  EXPECT_DOUBLE_EQ(master->Width(), 95 * fr01cm);
  EXPECT_DOUBLE_EQ(vertical->Height(), 277 * fr01cm - 100);
  EXPECT_DOUBLE_EQ(filling->Width(), 95 * fr01cm);
  EXPECT_DOUBLE_EQ(filling->Height(), 20);
  // The page is the whole paper again afterwards.
  EXPECT_DOUBLE_EQ(page->Width(), 794);
  EXPECT_DOUBLE_EQ(page->Height(), 1123);

  page->SetColumns(1);
  page->ArrangeAlignedChildren();
  EXPECT_DOUBLE_EQ(master->Width(), printable);
}
