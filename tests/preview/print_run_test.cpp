#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "platform/dialogs.h"
#include "preview/print_dialog.h"
#include "preview/print_math.h"
#include "print_fixture.h"
#include "qt_printers.h"
#include "report/model/report.h"

using namespace valmoro;
using namespace valmoro::preview;
using namespace valmoro::preview::testing;

namespace {

class PrintRunTest : public ::testing::Test {
protected:
  QStringList log;
  report::TfrxReport report;
  report::TfrxPrintOptions& options = *report.PrintOptions();

  QStringList run(FakePages& pages, bool printerMakesCopies = true) {
    RecordingPrinter printer(log, printerMakesCopies);
    PrintRun(report, pages, printer);
    return log;
  }
  QStringList draws() const { return only(log, {"draw"}); }
};

TEST_F(PrintRunTest, CopiesAreCollatedPassesOrDeviceCopies) {
  FakePages pages(log, 3);
  options.SetCopies(2);
  options.SetCollate(true);
  run(pages);
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 2 copy 1", "draw 3 copy 1", "draw 1 copy 2", "draw 2 copy 2",
                                  "draw 3 copy 2"}));
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 0 copies 1"});
  EXPECT_EQ(log.last(), "end doc");

  log.clear();
  options.SetCopies(3);
  options.SetCollate(false);
  run(pages);
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 2 copy 1", "draw 3 copy 1"}));
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 0 copies 3"});

  // A printer that cannot make copies (a file) gets each page drawn again.
  log.clear();
  options.SetCopies(2);
  run(pages, false);
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 1 copy 1", "draw 2 copy 1", "draw 2 copy 1", "draw 3 copy 1",
                                  "draw 3 copy 1"}));
  EXPECT_EQ(log.count("page"), 6);

  log.clear();
  options.SetCopies(0);
  run(pages);
  EXPECT_EQ(draws().size(), 3);
}

TEST_F(PrintRunTest, PageListOrderReverseAndOddEven) {
  FakePages pages(log, 3);
  options.SetReverse(true);
  run(pages);
  EXPECT_EQ(draws(), (QStringList{"draw 3 copy 1", "draw 2 copy 1", "draw 1 copy 1"}));

  log.clear();
  options.SetReverse(false);
  options.SetPageNumbers("2,3");
  options.SetPrintPages(report::ppOdd);
  run(pages);
  EXPECT_EQ(draws(), QStringList{"draw 3 copy 1"});

  log.clear();
  options.SetPrintPages(report::ppEven);
  options.SetPageNumbers("");
  run(pages);
  EXPECT_EQ(draws(), QStringList{"draw 2 copy 1"});

  // Only as many list entries as there are pages are used; pages that do
  // not exist are skipped.
  FakePages two(log, 2);
  log.clear();
  options.SetPrintPages(report::ppAll);
  options.SetPageNumbers("1,1,1");
  run(two);
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 1 copy 1"}));
  log.clear();
  options.SetPageNumbers("7,2");
  run(two);
  EXPECT_EQ(draws(), QStringList{"draw 2 copy 1"});
  log.clear();
  options.SetPageNumbers("1-2000000000");
  run(two);
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 2 copy 1"}));
}

TEST_F(PrintRunTest, BadPageNumbersEndThePrintBeforeAnythingIsPrinted) {
  FakePages pages(log, 3);
  options.SetPageNumbers("1,x");
  EXPECT_THROW(run(pages), PageNumbersError);
  EXPECT_TRUE(log.isEmpty()) << log.join(" | ").toStdString();
}

TEST_F(PrintRunTest, VerticalDuplexStartsEveryCollatedCopyOnANewSheet) {
  FakePages pages(log, std::vector<PageSpec>(3, PageSpec{.duplex = report::dmVertical}));
  options.SetCopies(2);
  run(pages);
  // Sides: p1 p2 / p3 blank / p1 p2 / p3 blank.
  QStringList sides;
  for (const QString& line : only(log, {"page", "draw"})) {
    if (line == "page") sides << "blank";
    else sides.last() = line.mid(5, 1);
  }
  EXPECT_EQ(sides, (QStringList{"1", "2", "3", "blank", "1", "2", "3", "blank"}));
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 1 copies 1"});

  // The dialog's choice wins over the pages'.
  log.clear();
  options.SetCopies(1);
  options.SetDuplex(3);
  run(pages);
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 3 copies 1"});
  EXPECT_EQ(log.count("page"), 3);
}

TEST_F(PrintRunTest, PaperAndSourceAreSetOnlyWhenTheyChange) {
  FakePages pages(log, {PageSpec{.bin = 1, .binOtherPages = 2}, PageSpec{.bin = 1, .binOtherPages = 2},
                        PageSpec{.paperSize = 11, .orientation = report::poLandscape, .bin = 1, .binOtherPages = 2},
                        PageSpec{.paperSize = 256, .width = 100, .height = 150, .bin = 1, .binOtherPages = 2}});
  run(pages);
  EXPECT_EQ(only(log, {"params", "draw"}),
            (QStringList{"params 9 210x297 P bin 1 duplex 0 copies 1", "draw 1 copy 1",
                         "params 9 210x297 P bin 2 duplex 0 copies 1", "draw 2 copy 1",
                         "params 11 210x148 L bin 2 duplex 0 copies 1", "draw 3 copy 1",
                         "params 256 100x150 P bin 2 duplex 0 copies 1", "draw 4 copy 1"}));

  // The first prepared page takes Bin, every other BinOtherPages, also when
  // the print starts later.
  log.clear();
  options.SetPageNumbers("2");
  run(pages);
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 2 duplex 0 copies 1"});
}

TEST_F(PrintRunTest, ScaleModeStretchesEveryPageToTheSheet) {
  FakePages pages(log, {PageSpec{.paperSize = 8}, PageSpec{.paperSize = 256, .width = 105, .height = 297}}, true);
  options.SetPrintMode(report::pmScale);
  options.SetPrintOnSheet(9);
  run(pages);
  // 600 dpi / 96 = 6.25; A3 to A4 is 0.7071 both ways; 5 mm margins are
  // 118 device pixels.
  const QStringList d = draws();
  ASSERT_EQ(d.size(), 2);
  EXPECT_EQ(d[0], "draw 1 copy 1 scale 4.4192 4.4196 at -118 -118");
  EXPECT_EQ(d[1], "draw 2 copy 1 scale 12.5000 6.2500 at -118 -118");
  EXPECT_NEAR(pages.printScale_, 1.0, 1e-9);  // the smaller factor of the last page
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 0 copies 1"});
}

TEST_F(PrintRunTest, SplitModeSpreadsALargePageOverOverlappingSheets) {
  FakePages pages(log, {PageSpec{.paperSize = 8}}, true);
  options.SetPrintMode(report::pmSplit);
  options.SetPrintOnSheet(9);
  run(pages);
  // A3 over A4 less margins and 3 mm overlap: three landscape sheets down.
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 297x210 L bin 7 duplex 0 copies 1"});
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1 scale 6.2500 6.2500 at -118 -118",
                                  "draw 1 copy 1 scale 6.2500 6.2500 at -118 -4654",
                                  "draw 1 copy 1 scale 6.2500 6.2500 at -118 -9307"}));
  EXPECT_EQ(log.count("page"), 3);
}

TEST_F(PrintRunTest, JoinModePutsSmallPagesSideBySide) {
  FakePages pages(log, std::vector<PageSpec>(3, PageSpec{.paperSize = 11}), true);
  options.SetPrintMode(report::pmJoin);
  options.SetPrintOnSheet(9);
  run(pages);
  EXPECT_EQ(only(log, {"params"}), QStringList{"params 9 297x210 L bin 7 duplex 0 copies 1"});
  EXPECT_EQ(only(log, {"page", "draw"}),
            (QStringList{"page", "draw 1 copy 1 scale 6.2500 6.2500 at -118 -118",
                         "draw 2 copy 1 scale 6.2500 6.2500 at 3378 -118", "page",
                         "draw 3 copy 1 scale 6.2500 6.2500 at -118 -118"}));

  // Each page fills as many cells as there are copies.
  log.clear();
  options.SetCopies(2);
  options.SetCollate(false);
  run(pages);
  EXPECT_EQ(draws().size(), 6);
  EXPECT_EQ(draws()[0], "draw 1 copy 1 scale 6.2500 6.2500 at -118 -118");
  EXPECT_EQ(draws()[1], "draw 1 copy 2 scale 6.2500 6.2500 at 3378 -118");
  EXPECT_EQ(log.count("page"), 3);
}

TEST_F(PrintRunTest, EventsAndCancellation) {
  FakePages pages(log, 3);
  QStringList events;
  report.OnPrintPage = [&](report::TfrxComponent*, int copy) {
    events << QStringLiteral("page copy %1").arg(copy);
    if (events.size() == 2) report.SetTerminated(true);
  };
  options.SetCopies(2);
  run(pages);
  // Stopped at the third page: the job is given up, no further copy.
  EXPECT_EQ(draws(), (QStringList{"draw 1 copy 1", "draw 2 copy 1"}));
  EXPECT_TRUE(log.contains("abort"));
  EXPECT_FALSE(log.contains("end doc"));
  EXPECT_EQ(events, (QStringList{"page copy 1", "page copy 1"}));
}

// --- Print with the printer list and the dialog ---------------------------------------

class PrintWithListTest : public PrintRunTest {
protected:
  void SetUp() override {
    std::vector<std::unique_ptr<printers::TfrxCustomPrinter>> list;
    list.push_back(std::make_unique<RecordingPrinter>(log));
    list.push_back(std::make_unique<RecordingPrinter>(second));
    printers::frxPrinters().Replace(std::move(list), true);
  }
  void TearDown() override { printers::frxPrinters().FillPrinters(); }
  QStringList second;
};

TEST_F(PrintWithListTest, NoInstalledPrinterIsSaidAndNothingPrintsWhenAPdfFileIsDeclined) {
  printers::frxPrinters().Replace({}, false);
  FakePages pages(log, 2);
  dialogs::RecordingScope recording;
  dialogs::queueAnswer(false);
  EXPECT_FALSE(Print(report, pages));
  EXPECT_EQ(recording.messages(),
            QStringList{"Brak zainstalowanych drukarek w systemie.\rCzy zapisać wydruk do pliku PDF?"});
  EXPECT_TRUE(log.isEmpty());
  // Agreed, but the file dialog cancelled: nothing either.
  dialogs::queueAnswer(true);
  dialogs::queueFileAnswer(std::nullopt);
  EXPECT_FALSE(Print(report, pages));
  EXPECT_EQ(recording.messages().last(), "Drukuj do pliku PDF");
  EXPECT_TRUE(log.isEmpty());
  EXPECT_EQ(printers::frxPrinters().Printers(), QStringList{"Wirtualny"});
}

TEST_F(PrintWithListTest, EventsFireAroundThePrintAlsoWhenItFails) {
  FakePages pages(log, 2);
  QStringList events;
  report.OnPrintReport = [&](report::TfrxReport*) { events << "report"; };
  report.OnPrintPage = [&](report::TfrxComponent*, int) { events << "page"; };
  report.OnAfterPrintReport = [&](report::TfrxReport*) { events << "after"; };
  options.SetShowDialog(false);
  EXPECT_TRUE(Print(report, pages));
  EXPECT_EQ(events, (QStringList{"report", "page", "page", "after"}));
  EXPECT_EQ(pages.copyNo_, 0);

  events.clear();
  options.SetPageNumbers("abc");
  EXPECT_THROW(Print(report, pages), PageNumbersError);
  EXPECT_EQ(events, (QStringList{"report", "after"}));
  EXPECT_EQ(options.PageNumbers(), "abc");
}

TEST_F(PrintWithListTest, OptionsNamePrinterAndDialogChangesLastForOnePrint) {
  FakePages pages(log, 4);
  options.SetPrinter("Rejestrator");  // both are named so; the first is taken
  options.SetShowDialog(true);

  // Cancelled: nothing printed, nothing changed.
  PrintContext cancel;
  cancel.runDialog = [](TfrxPrintDialog& d) {
    d.reject();
    return false;
  };
  EXPECT_FALSE(Print(report, pages, cancel));
  EXPECT_TRUE(log.isEmpty());
  EXPECT_EQ(options.Copies(), 1);

  PrintContext context;
  context.currentPage = 3;
  context.runDialog = [](TfrxPrintDialog& d) {
    d.printerList()->setCurrentIndex(1);
    d.printerList()->activated(1);
    d.copiesBox()->setValue(2);
    d.currentPageButton()->setChecked(true);
    d.duplexList()->setCurrentIndex(2);
    d.accept();
    return d.result() == QDialog::Accepted;
  };
  EXPECT_TRUE(Print(report, pages, context));
  // The second printer printed (the pages log their drawing with the first).
  EXPECT_TRUE(only(log, {"doc", "params"}).isEmpty());
  EXPECT_EQ(only(log, {"draw"}), (QStringList{"draw 3 copy 1", "draw 3 copy 2"}));
  // Horizontal duplex: each collated copy on a sheet of its own.
  EXPECT_EQ(second.count("page"), 4);
  EXPECT_EQ(only(second, {"params"}), QStringList{"params 9 210x297 P bin 7 duplex 2 copies 1"});
  // Copies and pages were for that print; the printer and duplex stay.
  EXPECT_EQ(options.Copies(), 1);
  EXPECT_EQ(options.PageNumbers(), "");
  EXPECT_EQ(options.Duplex(), 2);
  EXPECT_EQ(printers::frxPrinters().PrinterIndex(), 1);
}

TEST_F(PrintWithListTest, DialogModeRuleSheetsAndPageNumbers) {
  options.SetPrintMode(report::pmDefault);
  TfrxPrintDialog dialog(report, 0, 1);
  EXPECT_EQ(dialog.windowTitle(), "Drukuj");
  EXPECT_FALSE(dialog.sheetList()->isEnabled());
  EXPECT_EQ(dialog.sheetList()->currentText(), "Domyślnie");
  EXPECT_EQ(dialog.sheetList()->count(), 67);  // "Domyślnie" and the 66 papers
  dialog.modeList()->setCurrentIndex(int(report::pmJoin));
  EXPECT_TRUE(dialog.sheetList()->isEnabled());
  EXPECT_EQ(dialog.sheetList()->currentText(), "A4");

  // A page numbers text that is not one keeps the dialog open.
  dialogs::RecordingScope recording;
  dialog.pageNumbersEdit()->setText("1,x");
  dialog.pageNumbersButton()->setChecked(true);
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_TRUE(recording.messages()[0].contains("„x” nie jest numerem strony"));

  dialog.pageNumbersEdit()->setText("2-3");
  dialog.orderList()->setCurrentIndex(1);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(options.PageNumbers(), "2-3");
  EXPECT_EQ(options.PrintMode(), report::pmJoin);
  EXPECT_EQ(options.PrintOnSheet(), 9);
  EXPECT_TRUE(options.Reverse());
}

TEST_F(PrintWithListTest, PrintToFileAsksForTheFileAndCancellingCancels) {
  FakePages pages(log, 1);
  dialogs::RecordingScope recording;
  auto tick = [](TfrxPrintDialog& d) {
    d.printToFileBox()->setChecked(true);
    d.accept();
    return d.result() == QDialog::Accepted;
  };
  dialogs::queueFileAnswer(std::nullopt);
  PrintContext context;
  context.runDialog = tick;
  EXPECT_FALSE(Print(report, pages, context));
  EXPECT_EQ(recording.messages(), QStringList{"Drukuj do pliku"});
  EXPECT_TRUE(log.isEmpty());
}

}  // namespace
