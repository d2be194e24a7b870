// Totals in footers and summaries: items found in the text, records added
// while rows are shown, values printed by the footer's text views, resets
// after printing, running totals, invisible bands, Nulls, keeping, undo and
// redo, vertical-band columns and the report's aggregate functions.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "platform/dialogs.h"
#include "report/engine/aggregates.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

namespace valmoro::report {
namespace {

using engine::AggregateDataBand;
using engine::AggregateFunction;
using engine::AggregatePageBands;
using engine::TfrxAggregateList;

const QChar kNbsp(0x00A0);

// A report over the rows of "Wpisy": a data band with a group, its footer,
// a report summary and a page footer.
struct Totals : ::testing::Test {
  Totals() {
    engine::InstallAggregateCalculator();
    wpisy = new TfrxUserDataSet();
    wpisy->SetUserName("Wpisy");
    wpisy->SetFields({"G", "V", "Ok"});
    wpisy->SetRangeEnd(reCount);
    wpisy->OnGetValue = [this](const QString& field, QVariant& value) {
      value = rows.value(wpisy->RecNo()).value(field);
    };
    report.DataSets()->Add(wpisy);
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    master = new TfrxMasterData(page);
    master->SetName("MasterData1");
    groupHeader = new TfrxGroupHeader(page);
    groupHeader->SetName("GroupHeader1");
    groupFooter = new TfrxGroupFooter(page);
    groupFooter->SetName("GroupFooter1");
    footer = new TfrxFooter(page);
    footer->SetName("Footer1");
    summary = new TfrxReportSummary(page);
    summary->SetName("ReportSummary1");
    pageFooter = new TfrxPageFooter(page);
    pageFooter->SetName("PageFooter1");
    list = std::make_unique<TfrxAggregateList>(report);
    list->CurrentBand = [this] { return printing; };
    list->CurrentColumn = [this] { return column; };
  }
  ~Totals() override {
    list.reset();
    hooks::setAggregateCalculator({});
    delete wpisy;
  }

  void setRows(const QList<QVariantMap>& data) {
    rows = data;
    wpisy->SetRangeEndCount(int(rows.size()));
  }

  TfrxMemoView* memo(TfrxBand* band, const QString& text) {
    auto* view = new TfrxMemoView(band);
    view->CreateUniqueName();
    view->SetText(text);
    return view;
  }

  void collect() {
    AggregatePageBands bands;
    AggregateDataBand data;
    data.band = master;
    data.footer = footer;
    data.groupFooters = {groupFooter};
    bands.masters = {data};
    bands.reportSummary = summary;
    bands.pageFooter = pageFooter;
    list->CollectPage(bands);
    // As a run does: the report's objects become names of its expressions.
    ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  }

  // What a view prints while its band is printed.
  QString print(TfrxMemoView* view) {
    printing = qobject_cast<TfrxBand*>(view->Parent());
    view->SaveDesignState();
    engine::TakeData(*view);
    const QString text = view->Text();
    view->RestoreDesignState();
    printing = nullptr;
    return text;
  }

  // Walks the rows as the engine does for a band with one group on G: at a
  // change of G the group footer prints (and starts again), every row is
  // added to the totals after it is shown.
  QStringList runGroups(const QList<TfrxMemoView*>& footerViews) {
    QStringList printed;
    auto printFooter = [&] {
      QStringList line;
      for (TfrxMemoView* view : footerViews) line << print(view);
      printed << line.join('|');
      list->ResetPrinted(groupFooter);
    };
    wpisy->First();
    QVariant group = rows.value(0).value("G");
    for (; !wpisy->Eof(); wpisy->Next()) {
      const QVariant g = rows.value(wpisy->RecNo()).value("G");
      if (g != group) {
        printFooter();
        group = g;
      }
      list->AddRecord(master, 0);
    }
    printFooter();
    return printed;
  }

  // Adds every row to the band's totals.
  void addAll(TfrxBand* band, int col = 0) {
    for (wpisy->First(); !wpisy->Eof(); wpisy->Next()) list->AddRecord(band, col);
  }

  dialogs::RecordingScope recording;
  QList<QVariantMap> rows;
  TfrxReport report;
  TfrxUserDataSet* wpisy;
  TfrxReportPage* page;
  TfrxMasterData* master;
  TfrxGroupHeader* groupHeader;
  TfrxGroupFooter* groupFooter;
  TfrxFooter* footer;
  TfrxReportSummary* summary;
  TfrxPageFooter* pageFooter;
  std::unique_ptr<TfrxAggregateList> list;
  TfrxBand* printing = nullptr;
  int column = 0;
};

const QList<QVariantMap> kFourRows = {
    {{"G", "A"}, {"V", 1}}, {{"G", "A"}, {"V", 2}}, {{"G", "B"}, {"V", 3}}, {{"G", "B"}, {"V", 4}}};

TEST_F(Totals, GroupFooterSumsRestartPerGroupUnlessRunning) {
  setRows(kFourRows);
  const QList<TfrxMemoView*> views = {memo(groupFooter, "[SUM(<Wpisy.\"V\">)]"),
                                      memo(groupFooter, "[SUM(<Wpisy.\"V\">, MasterData1, 2)]"),
                                      memo(groupFooter, "[COUNT(MasterData1)]"),
                                      memo(groupFooter, "[MAX(<Wpisy.\"V\">) - MIN(<Wpisy.\"V\">)]")};
  collect();
  ASSERT_EQ(list->Items().size(), 5u);
  EXPECT_EQ(runGroups(views), QStringList({"3|3|2|1", "7|10|2|1"}));
}

TEST_F(Totals, InvisibleDataBandsCountOnlyWithFlagOne) {
  setRows(kFourRows);
  master->SetVisible(false);
  const QList<TfrxMemoView*> views = {memo(groupFooter, "[SUM(<Wpisy.\"V\">)]"),
                                      memo(groupFooter, "[SUM(<Wpisy.\"V\">, MasterData1, 1)]"),
                                      memo(groupFooter, "[SUM(<Wpisy.\"V\">, 0, 3)]")};
  collect();
  EXPECT_EQ(runGroups(views), QStringList({"0|3|3", "0|7|10"}));
}

TEST_F(Totals, AvgIgnoresNullsAndAllNullMinMaxPrintZero) {
  report.EngineOptions()->SetConvertNulls(false);
  setRows({{{"V", 2}}, {{"V", QVariant()}}, {{"V", 4}}});
  TfrxMemoView* view = memo(summary,
                            "[AVG(<Wpisy.\"V\">)] [SUM(<Wpisy.\"V\">)] [COUNT()] [MIN(<Wpisy.\"V\">)] [MAX(<Wpisy.\"V\">)]");
  collect();
  addAll(master);
  EXPECT_EQ(print(view), "3 6 3 2 4");

  list->ResetAll();
  setRows({{{"V", QVariant()}}, {{"V", QVariant()}}});
  addAll(master);
  EXPECT_EQ(print(view), "0 0 2 0 0");
}

TEST_F(Totals, TwoFootersWithTheSameExpressionKeepSeparateTotals) {
  setRows(kFourRows);
  TfrxMemoView* inGroup = memo(groupFooter, "[SUM(<Wpisy.\"V\">)]");
  TfrxMemoView* inFooter = memo(footer, "[SUM(<Wpisy.\"V\">)]");
  TfrxMemoView* inSummary = memo(summary, "[SUM(<Wpisy.\"V\">)]");
  collect();
  ASSERT_EQ(list->Items().size(), 3u);
  EXPECT_EQ(runGroups({inGroup}), QStringList({"3", "7"}));
  EXPECT_EQ(print(inFooter), "10");
  list->ResetPrinted(footer);
  EXPECT_EQ(print(inSummary), "10");
  EXPECT_EQ(print(inFooter), "0");
}

TEST_F(Totals, ASummaryFormatsTheTotalOfTheLog) {
  setRows({{{"V", 1000.25}}, {{"V", 2000.5}}});
  TfrxMemoView* view = memo(summary, "Razem: [SUM(<Wpisy.\"V\">)]");
  view->DisplayFormat()->SetKind(fkNumeric);
  view->DisplayFormat()->SetFormatStr("#,##0.00");
  // The first argument matches as written, blanks around it aside.
  TfrxMemoView* plusOne = memo(summary, "[SUM( <Wpisy.\"V\"> + 1 ) #n%2,1f]");
  TfrxMemoView* booleans = memo(summary, "[SUM(<Wpisy.\"Ok\">)]");
  collect();
  rows[0]["Ok"] = true;
  rows[1]["Ok"] = false;
  addAll(master);
  EXPECT_EQ(print(view), QStringLiteral("Razem: 3") + kNbsp + "000,75");
  EXPECT_EQ(print(plusOne), "3002,8");
  // Booleans count true as 1.
  EXPECT_EQ(print(booleans), "1");
}

TEST_F(Totals, ReportVariablesAreLookedIntoForCalls) {
  setRows(kFourRows);
  report.Variables()->SetValue("Razem", "SUM(<Wpisy.\"V\">) + <Premia>");
  report.Variables()->SetValue("Premia", "COUNT()");
  // Variables that lead back to themselves end the search.
  report.Variables()->SetValue("Petla", "<Petla2>");
  report.Variables()->SetValue("Petla2", "Petla + 1");
  TfrxMemoView* view = memo(summary, "[Razem]");
  memo(summary, "[Petla]");
  collect();
  ASSERT_EQ(list->Items().size(), 2u);
  EXPECT_EQ(list->Items()[0].function, AggregateFunction::Sum);
  EXPECT_EQ(list->Items()[1].function, AggregateFunction::Count);
  addAll(master);
  EXPECT_EQ(print(view), "14");
}

TEST_F(Totals, CallsAreFoundWithTheirArgumentsAndNotInsideLiterals) {
  auto* second = new TfrxMasterData(page);
  second->SetName("MasterData2");
  memo(summary,
       "[IIF(1 > 0, Sum(<Wpisy.\"V\">, MasterData2), 0)] ['SUM(x)'] [\"COUNT()\"] "
       "[SUM(IIF(<Wpisy.\"V\"> > 1, <Wpisy.\"V\">, 0), MasterData1, 3)] [(count(MasterData1, 2))]");
  memo(summary, "[Wpisy.\"V\"] [1 + 2]");
  collect();
  const auto& items = list->Items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].function, AggregateFunction::Sum);
  EXPECT_EQ(items[0].expression, "<Wpisy.\"V\">");
  EXPECT_EQ(items[0].dataBand, second);
  EXPECT_EQ(items[0].sourceText, "Sum(<Wpisy.\"V\">, MasterData2)");
  EXPECT_FALSE(items[0].runningTotal);
  EXPECT_EQ(items[1].expression, "IIF(<Wpisy.\"V\"> > 1, <Wpisy.\"V\">, 0)");
  EXPECT_EQ(items[1].dataBand, master);
  EXPECT_TRUE(items[1].countInvisibleBands);
  EXPECT_TRUE(items[1].runningTotal);
  EXPECT_EQ(items[2].function, AggregateFunction::Count);
  EXPECT_EQ(items[2].expression, "");
  EXPECT_TRUE(items[2].runningTotal);
  EXPECT_FALSE(items[2].countInvisibleBands);
  for (const auto& item : items) {
    EXPECT_EQ(item.printingBand, summary);
    EXPECT_FALSE(item.isPageFooter);
  }
}

TEST_F(Totals, OutsideTheCollectedBandsAnAggregatePrintsNothing) {
  setRows(kFourRows);
  TfrxMemoView* inData = memo(master, "<[SUM(<Wpisy.\"V\">)]>");
  collect();
  EXPECT_TRUE(list->Items().empty());
  addAll(master);
  EXPECT_EQ(print(inData), "<>");
  // Without a run nothing answers at all.
  list.reset();
  EXPECT_THROW(print(inData), ReportError);
  EXPECT_TRUE(report.Errors().last().contains("SUM")) << report.Errors().last().toStdString();
}

TEST_F(Totals, KeptRowsGoToTheNextPageFooter) {
  setRows({{{"V", 1}}, {{"V", 2}}, {{"V", 3}}, {{"V", 4}}});
  TfrxMemoView* pageTotal = memo(pageFooter, "[SUM(<Wpisy.\"V\">)]");
  TfrxMemoView* bandTotal = memo(footer, "[SUM(<Wpisy.\"V\">)]");
  collect();
  ASSERT_TRUE(list->Items()[1].isPageFooter || list->Items()[0].isPageFooter);
  wpisy->First();
  list->AddRecord(master);  // 1
  wpisy->Next();
  list->AddRecord(master);  // 2
  list->StartKeeping();
  wpisy->Next();
  list->AddRecord(master);  // 3, kept
  // The kept row goes to the next page: this page's footer does not count it.
  EXPECT_EQ(print(pageTotal), "3");
  list->ResetPrinted(pageFooter);
  list->EndKeeping();
  EXPECT_EQ(print(pageTotal), "3");
  wpisy->Next();
  list->AddRecord(master);  // 4
  EXPECT_EQ(print(pageTotal), "7");
  // The band's footer counts everything.
  EXPECT_EQ(print(bandTotal), "10");
}

TEST_F(Totals, TheLastRecordCanBeTakenBackAndAddedAgain) {
  setRows({{{"V", 1}}, {{"V", 2}}, {{"V", 3}}});
  TfrxMemoView* bandTotal = memo(footer, "[SUM(<Wpisy.\"V\">)] [COUNT()]");
  TfrxMemoView* pageTotal = memo(pageFooter, "[SUM(<Wpisy.\"V\">)]");
  collect();
  addAll(master);
  EXPECT_EQ(print(bandTotal), "6 3");
  list->UndoLastRecord(master);
  EXPECT_EQ(print(bandTotal), "3 2");
  // The page ends meanwhile: its footer starts again, then gets the row.
  EXPECT_EQ(print(pageTotal), "3");
  list->ResetPrinted(pageFooter);
  list->RedoLastRecord(master);
  EXPECT_EQ(print(bandTotal), "6 3");
  EXPECT_EQ(print(pageTotal), "3");
}

TEST_F(Totals, VerticalBandsKeepATotalPerColumnForAnyColumn) {
  setRows({{{"V", 1}}, {{"V", 2}}, {{"V", 3}}});
  auto* vertical = new TfrxMasterData(page);
  vertical->SetName("MasterData2");
  vertical->SetVertical(true);
  auto* verticalFooter = new TfrxFooter(page);
  verticalFooter->SetVertical(true);
  TfrxMemoView* total = memo(verticalFooter, "[SUM(<Wpisy.\"V\">)]/[COUNT()]");
  AggregatePageBands bands;
  AggregateDataBand data;
  data.band = vertical;
  data.footer = verticalFooter;
  bands.verticalMasters = {data};
  list->CollectPage(bands);
  ASSERT_EQ(list->Items().size(), 2u);

  wpisy->First();
  list->AddRecord(vertical, 1);  // 1 in column 1
  wpisy->Next();
  list->AddRecord(vertical, 2);  // 2 in column 2
  wpisy->Next();
  list->AddRecord(vertical, 1);  // 3 in column 1
  list->AddRecord(vertical, 5000000);
  list->AddRecord(vertical, 2147483647);
  QStringList perColumn;
  for (int c : {0, 1, 2, 3, 5000000, 2147483647}) {
    column = c;
    perColumn << print(total);
  }
  EXPECT_EQ(perColumn, QStringList({"0/0", "4/2", "2/1", "0/0", "3/1", "3/1"}));
  EXPECT_EQ(list->Items()[0].columnIndex, 2147483647);
  // Printing the footer empties every column.
  list->ResetPrinted(verticalFooter);
  column = 1;
  EXPECT_EQ(print(total), "0/0");
}

TEST_F(Totals, ViewsMovedIntoVerticalBandsPrintWithTheirFooterHome) {
  auto* vertical = new TfrxMasterData(page);
  vertical->SetName("MasterData2");
  vertical->SetVertical(true);
  TfrxMemoView* fromSummary = memo(vertical, "[SUM(<Wpisy.\"V\">)]");
  TfrxMemoView* fromTitle = memo(vertical, "[MAX(<Wpisy.\"V\">)]");
  auto* title = new TfrxReportTitle(page);
  AggregatePageBands bands;
  AggregateDataBand data;
  data.band = vertical;
  bands.verticalMasters = {data};
  bands.homeBands.insert(fromSummary, summary);
  bands.homeBands.insert(fromTitle, title);
  list->CollectPage(bands);
  ASSERT_EQ(list->Items().size(), 2u);
  EXPECT_EQ(list->Items()[0].printingBand, summary);
  EXPECT_EQ(list->Items()[0].dataBand, vertical);
  EXPECT_EQ(list->Items()[1].printingBand, vertical);
}

TEST_F(Totals, ASecondPassStartsEveryTotalAgain) {
  setRows(kFourRows);
  TfrxMemoView* running = memo(footer, "[SUM(<Wpisy.\"V\">, MasterData1, 2)]");
  collect();
  addAll(master);
  list->ResetPrinted(footer);
  EXPECT_EQ(print(running), "10");
  list->ResetAll();
  EXPECT_EQ(print(running), "0");
  addAll(master);
  EXPECT_EQ(print(running), "10");
  // A fresh collection replaces the items of the last run.
  list->Clear();
  collect();
  EXPECT_EQ(list->Items().size(), 1u);
}

TEST_F(Totals, HostileFooterTextsAreScannedQuickly) {
  QElapsedTimer timer;
  timer.start();
  memo(footer, "[" + QString(100000, u'(') + "SUM(<Wpisy.\"V\">)" + QString(100000, u')') + "]");
  memo(footer, "[" + QString(100000, u'<') + "]");
  QString calls = "[";
  for (int k = 0; k < 200000; ++k) calls += "SUM(";
  memo(footer, calls + "]");
  memo(footer, "[" + QString(5 * 1024 * 1024, u'x') + " + SUM(<Wpisy.\"V\">)]");
  collect();
  EXPECT_LT(timer.elapsed(), 30000);
  // The deeply nested call is not looked for; the others are found.
  ASSERT_EQ(list->Items().size(), 2u);
  EXPECT_EQ(list->Items()[1].expression, "<Wpisy.\"V\">");
}

}  // namespace
}  // namespace valmoro::report
