// The preview's Print command and the printer defaults once printing is
// installed.
#include <gtest/gtest.h>

#include "fake_pages.h"
#include "platform/dialogs.h"
#include "platform/printers.h"
#include "preview/preview_hooks.h"
#include "preview/print_install.h"
#include "print_fixture.h"
#include "qt_printers.h"
#include "report/model/hooks.h"
#include "report/model/report.h"

using namespace valmoro;

namespace {

class PrintInstallTest : public ::testing::Test {
protected:
  void SetUp() override {
    preview::InstallPrinting();
    std::vector<std::unique_ptr<printers::TfrxCustomPrinter>> list;
    list.push_back(std::make_unique<preview::testing::RecordingPrinter>(log));
    printers::frxPrinters().Replace(std::move(list), true);
  }
  void TearDown() override {
    printers::frxPrinters().FillPrinters();
    preview::hooks::setPrintRunner({});
    report::hooks::setPrinterDefaults({});
  }
  QStringList log;
};

TEST_F(PrintInstallTest, PreviewPrintButtonPrintsThroughTheCurrentPrinter) {
  ASSERT_TRUE(preview::hooks::printRunner());
  valmoro::testing::FakePages pages = valmoro::testing::FakePages::numbered(3);
  report::TfrxReport report;
  report.PrintOptions()->SetShowDialog(false);
  EXPECT_TRUE(preview::hooks::printRunner()(pages, &report, 0, nullptr));
  EXPECT_EQ(pages.drawCalls, 3);
  EXPECT_EQ(log.count("page"), 3);
  EXPECT_EQ(log.last(), "end doc");

  // The dialog cannot be answered here: cancelled, nothing printed.
  log.clear();
  report.PrintOptions()->SetShowDialog(true);
  EXPECT_FALSE(preview::hooks::printRunner()(pages, &report, 0, nullptr));
  EXPECT_TRUE(log.isEmpty());

  // A page text that is not one is said in the error box, not thrown.
  dialogs::RecordingScope recording;
  report.PrintOptions()->SetShowDialog(false);
  report.PrintOptions()->SetPageNumbers("1;2");
  EXPECT_FALSE(preview::hooks::printRunner()(pages, &report, 0, nullptr));
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_TRUE(recording.messages()[0].startsWith("„1;2” nie jest numerem strony."));
}

TEST_F(PrintInstallTest, NewPagesTakeTheCurrentPrintersPaper) {
  printers::frxPrinters().Printer()->Init();
  const report::hooks::PrinterPaper paper = report::hooks::printerDefaults();
  EXPECT_EQ(paper.paperSize, 9);
  EXPECT_EQ(paper.paperWidth, 210);
  EXPECT_EQ(paper.paperHeight, 297);
  EXPECT_EQ(printers::printerTexts().virtualPrinter, "Wirtualny");
}

}  // namespace
