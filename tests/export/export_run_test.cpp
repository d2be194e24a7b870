// The export run: the order of the filter's operations, page selection,
// suppressed page headers and footers, errors and cancelling.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "export/export_filter.h"
#include "export_support.h"
#include "platform/dialogs.h"
#include "report/model/report_options.h"

namespace valmoro::exports {
namespace {

using namespace report;
using testing::HeldPages;

class LoggingFilter : public TfrxCustomExportFilter {
public:
  QStringList log;
  int dialogResult = 1;
  bool beginResult = true;
  QString failOn;  // a view name that raises an error
  std::function<void()> onView;

  int ShowOptionsDialog() override {
    log << "dialog";
    return dialogResult;
  }
  bool BeginExport() override {
    log << "begin";
    return beginResult;
  }
  void OpenPage(TfrxReportPage*, int index) override { log << QStringLiteral("open %1").arg(index); }
  void ClosePage(TfrxReportPage*, int index) override { log << QStringLiteral("close %1").arg(index); }
  void EndExport() override { log << "end"; }
  void ExportView(TfrxComponent* object) override {
    QString entry = object->Name();
    if (auto* memo = qobject_cast<TfrxCustomMemoView*>(object)) entry += "=" + memo->Text();
    if (object->Name() == "_pagebackground")
      entry += QStringLiteral("@%1,%2").arg(object->Left()).arg(object->Top());
    else if (qobject_cast<TfrxView*>(object) != nullptr)
      entry += QStringLiteral("@%1,%2").arg(object->AbsLeft()).arg(object->AbsTop());
    log << entry;
    if (onView) onView();
    if (!failOn.isEmpty() && object->Name() == failOn) throw ReportError("zepsuty widok");
  }
};

class ExportRunTest : public ::testing::Test {
protected:
  ExportRunTest() : pages(&report) {
    report.SetNoPumping(true);
    report.EngineOptions()->SetNewSilentMode(simSilent);
  }
  // Pages with a header, one memo and a footer each.
  void makePages(int count) {
    for (int i = 0; i < count; ++i) {
      TfrxReportPage* page = pages.addPage();
      auto* header = testing::addBand<TfrxPageHeader>(page, 0, 20);
      header->SetName(QStringLiteral("H%1").arg(i + 1));
      auto* data = testing::addBand<TfrxMasterData>(page, 20, 20);
      data->SetName(QStringLiteral("D%1").arg(i + 1));
      auto* memo = testing::addMemo(data, 5, 2, 100, 16, QStringLiteral("strona %1 z [TotalPages#]").arg(i + 1));
      memo->SetName(QStringLiteral("M%1").arg(i + 1));
      auto* footer = testing::addBand<TfrxPageFooter>(page, 1000, 20);
      footer->SetName(QStringLiteral("F%1").arg(i + 1));
    }
  }
  QStringList opened() const { return filter.log.filter(QRegularExpression("^open")); }

  TfrxReport report;
  HeldPages pages;
  LoggingFilter filter;
};

TEST_F(ExportRunTest, CallsTheFilterInOrderWithAbsolutePositions) {
  makePages(1);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  // 10 mm margins at 3.77953 pixels per millimetre: 37.7953.
  EXPECT_EQ(filter.log, (QStringList{"dialog", "begin", "open 0", "_pagebackground@37.7953,37.7953", "H1", "D1",
                                     "M1=strona 1 z 1@42.7953,59.7953", "F1", "close 0", "end"}));
  EXPECT_EQ(filter.Report(), &report);
  // The page is back at its place for the preview.
  EXPECT_EQ(pages.Page(0)->Left(), 0);
}

TEST_F(ExportRunTest, PageRangesAndTheCurrentPage) {
  makePages(20);
  filter.SetShowDialog(false);
  filter.SetPageRange("1,3,5-7");
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(opened(), (QStringList{"open 0", "open 2", "open 4", "open 5", "open 6"}));

  filter.log.clear();
  filter.SetPageRange("18-");
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(opened(), (QStringList{"open 17", "open 18", "open 19"}));

  filter.log.clear();
  filter.SetCurrentPageOnly(true);
  ExportPreviewLink preview;
  preview.currentPage = 3;
  ASSERT_TRUE(ExportPreparedPages(pages, &filter, preview));
  EXPECT_EQ(opened(), QStringList{"open 3"});

  // Without a preview window the current page is the first.
  filter.log.clear();
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(opened(), QStringList{"open 0"});
}

TEST_F(ExportRunTest, SuppressedHeadersOnlyOnTheFirstPageAndFootersOnTheLast) {
  makePages(3);
  filter.SetShowDialog(false);
  filter.SetSuppressPageHeadersFooters(true);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  const QStringList bands = filter.log.filter(QRegularExpression("^[HF][0-9]$"));
  EXPECT_EQ(bands, (QStringList{"H1", "F3"}));
}

TEST_F(ExportRunTest, ACancelledDialogCallsNothingElse) {
  makePages(2);
  filter.dialogResult = 2;
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(filter.log, QStringList{"dialog"});
}

TEST_F(ExportRunTest, BeginExportRefusingEndsSilently) {
  makePages(2);
  filter.SetShowDialog(false);
  filter.beginResult = false;
  EXPECT_TRUE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(filter.log, QStringList{"begin"});
  EXPECT_TRUE(report.Errors().isEmpty());
}

TEST_F(ExportRunTest, AnErrorClosesThePageAndTheOutputAndIsReported) {
  makePages(2);
  filter.SetShowDialog(false);
  filter.failOn = "M1";
  report.EngineOptions()->SetNewSilentMode(simMessageBoxes);
  dialogs::RecordingScope recording;
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(filter.log.mid(filter.log.size() - 2), (QStringList{"close 0", "end"}));
  EXPECT_FALSE(filter.log.contains("open 1"));
  EXPECT_EQ(report.Errors(), QStringList{"zepsuty widok"});
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_TRUE(recording.messages()[0].startsWith("Pojawił się następujący błąd(y):"));
  EXPECT_TRUE(recording.messages()[0].endsWith("zepsuty widok"));
}

TEST_F(ExportRunTest, CancellingStopsAfterThePageAndIsNoSuccess) {
  makePages(5);
  filter.SetShowDialog(false);
  filter.onView = [this] {
    if (filter.log.last().startsWith("M2")) report.SetTerminated(true);
  };
  EXPECT_FALSE(ExportPreparedPages(pages, &filter));
  EXPECT_EQ(opened(), (QStringList{"open 0", "open 1"}));
  EXPECT_EQ(filter.log.last(), "end");
}

TEST_F(ExportRunTest, MirroredMarginsPlaceOddPagesFromTheRightMargin) {
  makePages(2);
  for (int i = 0; i < 2; ++i) {
    pages.Page(i)->SetMirrorMargins(true);
    pages.Page(i)->SetRightMargin(20);
  }
  filter.SetShowDialog(false);
  ASSERT_TRUE(ExportPreparedPages(pages, &filter));
  const QStringList backgrounds = filter.log.filter("_pagebackground");
  EXPECT_EQ(backgrounds, (QStringList{"_pagebackground@37.7953,37.7953", "_pagebackground@75.5906,37.7953"}));
}

TEST_F(ExportRunTest, NoFilterIsNoExport) {
  makePages(1);
  EXPECT_FALSE(ExportPreparedPages(pages, nullptr));
}

TEST_F(ExportRunTest, BadPageRangeTextIsAnError) {
  makePages(3);
  filter.SetShowDialog(false);
  filter.SetPageRange("1,a");
  EXPECT_THROW(ExportPreparedPages(pages, &filter), ExportError);
  EXPECT_TRUE(filter.log.isEmpty());
}

}  // namespace
}  // namespace valmoro::exports
