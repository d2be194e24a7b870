// The band engine's page flow: rows per page and where they land, page
// headers and footers, page breaks, columns, keeping, splitting, page
// numbers, empty reports and scripts that break pages.

#include "tests/report/engine_support.h"

#include "report/model/subreport.h"

namespace valmoro::report {
namespace {

using testing::EngineFixture;
using testing::kA4PrintableHeight;

struct EngineFlow : EngineFixture {
  // Page header 40, page footer 30, a 20 px data band over `rowCount` rows
  // of its own (no data set).
  TfrxMasterData* listing(int rowCount) {
    auto* header = band<TfrxPageHeader>("PageHeader1", 0, 40);
    memo(header, "Title", "Nagłówek");
    auto* footer = band<TfrxPageFooter>("PageFooter1", 500, 30);
    memo(footer, "PageNo", "Strona [Page#]");
    auto* master = band<TfrxMasterData>("MasterData1", 100, 20);
    master->SetRowCount(rowCount);
    memo(master, "Row", "[Line#]");
    return master;
  }
};

TEST_F(EngineFlow, RowsFillEachPageBetweenHeaderAndFooter) {
  listing(100);
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->Count(), 3);
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 48u);
  EXPECT_EQ(store->bands(1, "MasterData1").size(), 48u);
  EXPECT_EQ(store->bands(2, "MasterData1").size(), 4u);
  // Header at the top, the first row right below it, rows 20 px apart.
  EXPECT_DOUBLE_EQ(store->bands(0, "PageHeader1").at(0).top, 0);
  EXPECT_DOUBLE_EQ(store->bands(0, "MasterData1").at(0).top, 40);
  EXPECT_DOUBLE_EQ(store->bands(0, "MasterData1").at(47).top, 40 + 47 * 20);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData1").at(0).top, 40);
  for (int p = 0; p < 3; ++p) {
    ASSERT_EQ(store->bands(p, "PageFooter1").size(), 1u);
    EXPECT_NEAR(store->bands(p, "PageFooter1").at(0).top, kA4PrintableHeight - 30, 1e-9);
    EXPECT_EQ(store->bands(p, "PageFooter1").at(0).texts, QStringList{"PageNo=Strona " + QString::number(p + 1)});
  }
  EXPECT_EQ(store->bands(1, "MasterData1").at(0).texts, QStringList{"Row=49"});
  EXPECT_EQ(store->bands(2, "MasterData1").at(3).texts, QStringList{"Row=100"});
}

TEST_F(EngineFlow, TitleAndSummaryAppearOnceAroundTheRows) {
  listing(60);
  auto* title = band<TfrxReportTitle>("ReportTitle1", 50, 25);
  memo(title, "T", "Tytuł");
  auto* summary = band<TfrxReportSummary>("ReportSummary1", 300, 35);
  memo(summary, "S", "Razem [COUNT(MasterData1)]");
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  // Title before the header on the first page (TitleBeforeHeader).
  EXPECT_EQ(store->names(0).mid(0, 3), (QStringList{"ReportTitle1", "PageHeader1", "MasterData1"}));
  EXPECT_DOUBLE_EQ(store->bands(0, "PageHeader1").at(0).top, 25);
  EXPECT_DOUBLE_EQ(store->bands(0, "MasterData1").at(0).top, 65);
  EXPECT_EQ(store->count("ReportTitle1"), 1);
  EXPECT_EQ(store->bands(1, "ReportSummary1").size(), 1u);
  const auto rowsOnFirst = store->bands(0, "MasterData1").size();
  EXPECT_EQ(rowsOnFirst + store->bands(1, "MasterData1").size(), 60u);
  EXPECT_DOUBLE_EQ(store->bands(1, "ReportSummary1").at(0).top, 40 + 20.0 * double(60 - rowsOnFirst));
  EXPECT_EQ(store->bands(1, "ReportSummary1").at(0).texts, QStringList{"S=Razem 60"});

  page->SetTitleBeforeHeader(false);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->names(0).mid(0, 2), (QStringList{"PageHeader1", "ReportTitle1"}));
  EXPECT_DOUBLE_EQ(store->bands(0, "ReportTitle1").at(0).top, 40);
}

TEST_F(EngineFlow, FooterRulesForFirstAndLastPage) {
  listing(60);
  auto* footer = static_cast<TfrxPageFooter*>(report.FindObject("PageFooter1"));
  footer->SetPrintOnFirstPage(false);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  EXPECT_EQ(store->bands(0, "PageFooter1").size(), 0u);
  EXPECT_EQ(store->bands(1, "PageFooter1").size(), 1u);
  footer->SetPrintOnFirstPage(true);
  footer->SetPrintOnLastPage(false);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "PageFooter1").size(), 1u);
  EXPECT_EQ(store->bands(1, "PageFooter1").size(), 0u);
}

TEST_F(EngineFlow, RowCountAndDataSetDecideTheRows) {
  auto* master = listing(0);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->count("MasterData1"), 0);
  master->SetRowCount(5);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->count("MasterData1"), 5);
  // A data set of 10 rows limited by RowCount 3.
  QList<QVariantMap> values;
  for (int i = 0; i < 10; ++i) values.append({{"N", i}});
  setRows(values);
  master->SetDataSet(data);
  master->SetRowCount(3);
  static_cast<TfrxMemoView*>(report.FindObject("Row"))->SetText("[D.\"N\"]");
  ASSERT_TRUE(run());
  ASSERT_EQ(store->count("MasterData1"), 3);
  EXPECT_EQ(store->bands(0, "MasterData1").at(2).texts, QStringList{"Row=2"});
}

TEST_F(EngineFlow, EmptyDataSetSkipsThePageUnlessPrintIfEmpty) {
  setRows({});
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 25);
  memo(title, "T", "Tytuł");
  auto* master = band<TfrxMasterData>("MasterData1", 100, 20);
  master->SetDataSet(data);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->Count(), 1);
  EXPECT_EQ(store->names(0), QStringList{"ReportTitle1"});
  report.EngineOptions()->SetPrintIfEmpty(false);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->Count(), 0);
  setRows({{{"N", 1}}});
  ASSERT_TRUE(run());
  EXPECT_EQ(store->Count(), 1);
}

TEST_F(EngineFlow, StartNewPageBreaksBeforeEveryRowButTheFirst) {
  auto* master = listing(3);
  master->SetStartNewPage(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 3);
  for (int p = 0; p < 3; ++p) {
    ASSERT_EQ(store->bands(p, "MasterData1").size(), 1u);
    EXPECT_DOUBLE_EQ(store->bands(p, "MasterData1").at(0).top, 40);
    EXPECT_EQ(store->bands(p, "MasterData1").at(0).texts, QStringList{"Row=" + QString::number(p + 1)});
  }
}

TEST_F(EngineFlow, PageNumbersAndTotalPages) {
  listing(100);
  auto* total = memo(static_cast<TfrxBand*>(report.FindObject("PageFooter1")), "Total", "Strona [Page#] z [TotalPages#]",
                     0, 20, 300);
  auto* less = memo(static_cast<TfrxBand*>(report.FindObject("PageFooter1")), "Less", "[<TotalPages#> - 1]", 0, 20, 520);
  (void)total;
  (void)less;
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 3);
  // The page count is known only when drawing: the placeholder stays.
  EXPECT_EQ(store->bands(1, "PageFooter1").at(0).texts,
            (QStringList{"PageNo=Strona 2", "Total=Strona 2 z [TotalPages#]", "Less=-1"}));
  report.EngineOptions()->SetDoublePass(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 3);
  EXPECT_EQ(store->bands(2, "PageFooter1").at(0).texts,
            (QStringList{"PageNo=Strona 3", "Total=Strona 3 z [TotalPages#]", "Less=2"}));
}

TEST_F(EngineFlow, PageColumnsFillDownThenAcross) {
  page->SetColumns(2);
  page->SetColumnWidth(95);
  listing(100);
  ASSERT_TRUE(run());
  // 48 rows a column, two columns a page.
  ASSERT_EQ(store->Count(), 2);
  const auto rows = store->bands(0, "MasterData1");
  ASSERT_EQ(rows.size(), 96u);
  EXPECT_DOUBLE_EQ(rows.at(47).left, 0);
  EXPECT_NEAR(rows.at(48).left, 95 * engine::kPixelsPerMm, 1e-9);
  EXPECT_DOUBLE_EQ(rows.at(48).top, 40);
  EXPECT_EQ(rows.at(48).texts, QStringList{"Row=49"});
  EXPECT_EQ(store->bands(1, "MasterData1").size(), 4u);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData1").at(0).left, 0);
}

TEST_F(EngineFlow, SummaryOfAPageInColumnsSpansThePageBelowTheColumns) {
  page->SetColumns(2);
  page->SetColumnWidth(95);
  // 48 rows a column: the first column is full, the second ends at 280.
  listing(60);
  auto* summary = band<TfrxReportSummary>("ReportSummary1", 300, 10);
  memo(summary, "S", "Razem [COUNT(MasterData1)]", 0, 0, 0, 700);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 1);
  ASSERT_EQ(store->bands(0, "ReportSummary1").size(), 1u);
  const auto placed = store->bands(0, "ReportSummary1").at(0);
  EXPECT_DOUBLE_EQ(placed.left, 0);
  EXPECT_DOUBLE_EQ(placed.top, 40 + 48 * 20);
  EXPECT_EQ(placed.texts, QStringList{"S=Razem 60"});

  // Too high for what is left below the first column: the next page, from
  // the left, under the page header.
  summary->SetHeight(40);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  EXPECT_TRUE(store->bands(0, "ReportSummary1").empty());
  ASSERT_EQ(store->bands(1, "ReportSummary1").size(), 1u);
  EXPECT_DOUBLE_EQ(store->bands(1, "ReportSummary1").at(0).left, 0);
  EXPECT_DOUBLE_EQ(store->bands(1, "ReportSummary1").at(0).top, 40);
  EXPECT_TRUE(store->bands(1, "MasterData1").empty());
}

TEST_F(EngineFlow, DataBandColumnsPrintRowsSideBySide) {
  auto* master = listing(7);
  master->SetColumns(3);
  master->SetColumnWidth(200);
  master->SetColumnGap(10);
  auto* footer = band<TfrxFooter>("Footer1", 130, 15);
  memo(footer, "F", "koniec");
  ASSERT_TRUE(run());
  const auto rows = store->bands(0, "MasterData1");
  ASSERT_EQ(rows.size(), 7u);
  const double lefts[] = {0, 210, 420, 0, 210, 420, 0};
  const double tops[] = {40, 40, 40, 60, 60, 60, 80};
  for (int i = 0; i < 7; ++i) {
    EXPECT_DOUBLE_EQ(rows.at(size_t(i)).left, lefts[i]) << i;
    EXPECT_DOUBLE_EQ(rows.at(size_t(i)).top, tops[i]) << i;
  }
  ASSERT_EQ(store->bands(0, "Footer1").size(), 1u);
  EXPECT_DOUBLE_EQ(store->bands(0, "Footer1").at(0).top, 100);
}

TEST_F(EngineFlow, HeaderReprintedOnEveryPageWhenAsked) {
  auto* master = listing(100);
  auto* header = band<TfrxHeader>("Header1", 80, 16);
  memo(header, "H", "Kolumny");
  ASSERT_TRUE(run());
  EXPECT_EQ(store->count("Header1"), 1);
  header->SetReprintOnNewPage(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->count("Header1"), store->Count());
  EXPECT_DOUBLE_EQ(store->bands(1, "Header1").at(0).top, 40);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData1").at(0).top, 56);
  (void)master;
}

TEST_F(EngineFlow, KeepChildMovesBandAndChildTogether) {
  auto* master = listing(47);
  auto* title = band<TfrxReportTitle>("ReportTitle1", 50, 10);
  (void)title;
  auto* summary = band<TfrxReportSummary>("ReportSummary1", 300, 20);
  auto* child = band<TfrxChild>("Child1", 400, 40);
  memo(child, "C", "dopisek");
  summary->SetChild(child);
  // 10 + 40 + 47 * 20 = 990: the summary fits (to 1010), its child does not.
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  EXPECT_EQ(store->bands(0, "ReportSummary1").size(), 1u);
  EXPECT_EQ(store->bands(1, "Child1").size(), 1u);
  summary->SetKeepChild(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  EXPECT_EQ(store->bands(0, "ReportSummary1").size(), 0u);
  ASSERT_EQ(store->bands(1, "ReportSummary1").size(), 1u);
  EXPECT_DOUBLE_EQ(store->bands(1, "ReportSummary1").at(0).top, 40);
  EXPECT_DOUBLE_EQ(store->bands(1, "Child1").at(0).top, 60);
  (void)master;
}

TEST_F(EngineFlow, KeepHeaderAndKeepFooterStayWithARow) {
  // Two data bands one after the other: the second band's header would be
  // last on the page without its first row.
  auto* first = listing(46);
  auto* second = band<TfrxMasterData>("MasterData2", 200, 20);
  second->SetRowCount(3);
  memo(second, "Row2", "[Line]");
  auto* header = band<TfrxHeader>("Header2", 180, 20);
  memo(header, "H2", "druga lista");
  // 40 + 46 * 20 = 960; the header ends at 980; its first row would end at
  // 1000 but the free space stops at 1016.9: fits. One row more in the first
  // list leaves the header alone at the bottom.
  first->SetRowCount(47);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "Header2").size(), 1u);
  EXPECT_EQ(store->bands(0, "MasterData2").size(), 0u);
  second->SetKeepHeader(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "Header2").size(), 0u);
  ASSERT_EQ(store->bands(1, "Header2").size(), 1u);
  EXPECT_DOUBLE_EQ(store->bands(1, "Header2").at(0).top, 40);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData2").at(0).top, 60);

  // Footer kept with the last row: 48 rows fill the first page exactly and
  // the footer alone would go over.
  second->SetKeepHeader(false);
  second->SetRowCount(0);
  delete report.FindObject("Header2");
  first->SetRowCount(48);
  auto* footer = band<TfrxFooter>("Footer1", 140, 20);
  memo(footer, "F", "suma [COUNT(MasterData1)]");
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 48u);
  ASSERT_EQ(store->bands(1, "Footer1").size(), 1u);
  EXPECT_EQ(store->bands(1, "MasterData1").size(), 0u);
  first->SetKeepFooter(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 47u);
  ASSERT_EQ(store->bands(1, "MasterData1").size(), 1u);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData1").at(0).top, 40);
  EXPECT_DOUBLE_EQ(store->bands(1, "Footer1").at(0).top, 60);
  EXPECT_EQ(store->bands(1, "Footer1").at(0).texts, QStringList{"F=suma 48"});
}

TEST_F(EngineFlow, ScriptBreaksThePageFromAnEvent) {
  auto* master = listing(5);
  master->SetOnAfterPrint("MasterData1OnAfterPrint");
  report.SetScriptText({"var n: Integer;", "procedure MasterData1OnAfterPrint(Sender: TfrxComponent);", "begin",
                        "  n := n + 1;", "  if n = 2 then Engine.NewPage;", "end;", "", "begin", "end."});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->Count(), 2);
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 2u);
  ASSERT_EQ(store->bands(1, "MasterData1").size(), 3u);
  EXPECT_EQ(store->bands(1, "MasterData1").at(0).texts, QStringList{"Row=3"});
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData1").at(0).top, 40);
}

TEST_F(EngineFlow, StopReportEndsTheRunWithThePagesSoFar) {
  auto* master = listing(1000);
  master->SetOnAfterPrint("Stop");
  report.SetScriptText({"var n: Integer;", "procedure Stop(Sender: TfrxComponent);", "begin", "  n := n + 1;",
                        "  if n = 60 then Engine.StopReport;", "end;", "", "begin", "end."});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(store->count("MasterData1"), 60);
  EXPECT_EQ(store->Count(), 2);
}

TEST_F(EngineFlow, BandShowingItselfFromItsOwnEventEndsWithAnError) {
  auto* master = listing(3);
  master->SetOnBeforePrint("Again");
  report.SetScriptText({"procedure Again(Sender: TfrxComponent);", "begin", "  Engine.ShowBand(MasterData1);",
                        "end;", "", "begin", "end."});
  EXPECT_THROW(run(), std::exception);
  // The tree is back as designed for the next run.
  master->SetOnBeforePrint(QString());
  ASSERT_TRUE(run());
  EXPECT_EQ(store->count("MasterData1"), 3);
}

TEST_F(EngineFlow, SecondPageContinuesOnThePreviousOne) {
  listing(5);
  auto* second = new TfrxReportPage(&report);
  second->SetName("Page2");
  second->SetPaperSize(9);
  second->SetTopMargin(10);
  second->SetBottomMargin(10);
  auto* rowsBand = band<TfrxMasterData>("MasterData2", 10, 20, second);
  rowsBand->SetRowCount(2);
  memo(rowsBand, "Second", "druga [Line]");
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  EXPECT_DOUBLE_EQ(store->bands(1, "MasterData2").at(0).top, 0);
  second->SetPrintOnPreviousPage(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 1);
  // Below the last row of the first page, above its footer.
  const auto rows = store->bands(0, "MasterData2");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_DOUBLE_EQ(rows.at(0).top, 40 + 5 * 20);
  EXPECT_DOUBLE_EQ(rows.at(1).top, 40 + 6 * 20);
  EXPECT_EQ(store->bands(0, "PageFooter1").size(), 1u);
}

TEST_F(EngineFlow, EndlessPageGrowsWithItsContent) {
  page->SetEndlessHeight(true);
  listing(100);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 1);
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 100u);
  EXPECT_DOUBLE_EQ(store->bands(0, "PageFooter1").at(0).top, 40 + 100 * 20);
  ASSERT_FALSE(store->sizes.empty());
  EXPECT_NEAR(store->sizes.back().first, 40 + 100 * 20 + 30 + 20 * engine::kPixelsPerMm, 1e-6);
  EXPECT_NEAR(store->sizes.back().second, 210 * engine::kPixelsPerMm, 1e-6);
}

TEST_F(EngineFlow, SubreportRunsItsPageBelowTheBand) {
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 60);
  memo(title, "T", "Tytuł", 0, 20);
  auto* inner = new TfrxReportPage(&report);
  inner->SetName("Page2");
  auto* sub = new TfrxSubreport(title);
  sub->SetName("Subreport1");
  sub->SetBounds(100, 25, 200, 30);
  sub->SetPage(inner);
  auto* rowsBand = band<TfrxMasterData>("MasterData2", 0, 18, inner);
  rowsBand->SetRowCount(4);
  memo(rowsBand, "S", "poz. [Line]", 0, 18, 0, 150);
  auto* after = band<TfrxPageFooter>("PageFooter1", 300, 20);
  (void)after;
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->Count(), 1);
  const auto rows = store->bands(0, "MasterData2");
  ASSERT_EQ(rows.size(), 4u);
  // The subreport's rows start at its place inside the title.
  EXPECT_DOUBLE_EQ(rows.at(0).left, 100);
  EXPECT_DOUBLE_EQ(rows.at(0).top, 25);
  EXPECT_DOUBLE_EQ(rows.at(3).top, 25 + 3 * 18);
  EXPECT_EQ(rows.at(3).texts, QStringList{"S=poz. 4"});
}

TEST_F(EngineFlow, SubreportPrintedOnItsParentMakesTheBandGrow) {
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 60);
  title->SetStretched(true);
  memo(title, "T", "Tytuł", 0, 20);
  auto* inner = new TfrxReportPage(&report);
  inner->SetName("Page2");
  auto* sub = new TfrxSubreport(title);
  sub->SetName("Subreport1");
  sub->SetBounds(100, 25, 200, 30);
  sub->SetPage(inner);
  sub->SetPrintOnParent(true);
  auto* rowsBand = band<TfrxMasterData>("MasterData2", 0, 18, inner);
  rowsBand->SetRowCount(4);
  memo(rowsBand, "S", "poz. [Line]", 0, 18, 10, 150);
  auto* rowsAfter = band<TfrxMasterData>("MasterData1", 100, 20);
  rowsAfter->SetRowCount(1);
  memo(rowsAfter, "R", "po tytule");
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->Count(), 1);
  // No band of the subreport reaches the page: its views joined the title.
  EXPECT_EQ(store->count("MasterData2"), 0);
  const auto titles = store->bands(0, "ReportTitle1");
  ASSERT_EQ(titles.size(), 1u);
  // The copies are unnamed views of the title now.
  EXPECT_EQ(titles.at(0).texts, (QStringList{"T=Tytuł", "=poz. 1", "=poz. 2", "=poz. 3", "=poz. 4"}));
  EXPECT_EQ(titles.at(0).textLefts, (QList<double>{0, 110, 110, 110, 110}));
  // Four rows of 18 from 25 down: the stretched title grows from 60 to 97.
  EXPECT_DOUBLE_EQ(titles.at(0).height, 97);
  EXPECT_DOUBLE_EQ(store->bands(0, "MasterData1").at(0).top, 97);
  // The copies are gone again: a second run gives the same title.
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "ReportTitle1").at(0).texts.size(), 5);
  EXPECT_EQ(title->Objects().size(), 2);
}

}  // namespace
}  // namespace valmoro::report

