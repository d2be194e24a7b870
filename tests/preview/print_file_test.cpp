// Printing into a file through the real printer object (Qt's PDF output),
// read back with poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/dialogs.h"
#include "platform/print_sources.h"
#include "preview/print_dialog.h"
#include <QCheckBox>
#include "platform/printers.h"
#include "print_fixture.h"
#include "qt_printers.h"
#include "report/model/report.h"

using namespace valmoro;
using namespace valmoro::preview;
using namespace valmoro::preview::testing;

namespace {

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& file) {
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run("pdfinfo", {file}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// "595x842" for page n, points rounded.
QString pdfPageSize(const QString& file, int n) {
  const QString info = run("pdfinfo", {"-f", QString::number(n), "-l", QString::number(n), file});
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("Page\\s+%1 size:\\s+([\\d.]+) x ([\\d.]+)").arg(n)).match(info);
  if (!m.hasMatch()) return QStringLiteral("?");
  return QStringLiteral("%1x%2").arg(qRound(m.captured(1).toDouble())).arg(qRound(m.captured(2).toDouble()));
}

QString pdfText(const QString& file, int n) {
  return run("pdftotext", {"-f", QString::number(n), "-l", QString::number(n), file, "-"}).simplified();
}

class PrintFileTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QStringList log;
  report::TfrxReport report;
  report::TfrxPrintOptions& options = *report.PrintOptions();
  QString file = dir.filePath("wydruk.pdf");

  void print(FakePages& pages) {
    printers::TfrxPrinter printer{QString(), QString()};
    printer.Init();
    ASSERT_TRUE(printer.Initialized());
    printer.SetFileName(file);
    PrintRun(report, pages, printer);
  }
  QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(PrintFileTest, CollatedAndUncollatedCopiesComeOutPageByPage) {
  FakePages pages(log, 3);
  options.SetCopies(2);
  options.SetCollate(true);
  print(pages);
  ASSERT_EQ(pdfPages(file), 6);
  QStringList texts;
  for (int n = 1; n <= 6; ++n) texts << pdfText(file, n);
  EXPECT_EQ(texts, (QStringList{"Strona 1 kopia 1", "Strona 2 kopia 1", "Strona 3 kopia 1", "Strona 1 kopia 2",
                                "Strona 2 kopia 2", "Strona 3 kopia 2"}));
  EXPECT_EQ(pdfPageSize(file, 1), "595x842");

  // A file cannot make copies itself: each page is repeated.
  options.SetCollate(false);
  options.SetPageNumbers("3,1");
  print(pages);
  ASSERT_EQ(pdfPages(file), 4);
  EXPECT_EQ(pdfText(file, 1), "Strona 3 kopia 1");
  EXPECT_EQ(pdfText(file, 2), "Strona 3 kopia 1");
  EXPECT_EQ(pdfText(file, 3), "Strona 1 kopia 1");
  EXPECT_EQ(files(), QStringList{"wydruk.pdf"});
}

TEST_F(PrintFileTest, EveryPageGetsItsOwnPaperAndOrientation) {
  FakePages pages(log, {PageSpec{}, PageSpec{.paperSize = 11, .orientation = report::poLandscape},
                        PageSpec{.paperSize = 256, .width = 100, .height = 150}, PageSpec{.paperSize = 8}});
  print(pages);
  ASSERT_EQ(pdfPages(file), 4);
  EXPECT_EQ(pdfPageSize(file, 1), "595x842");
  EXPECT_EQ(pdfPageSize(file, 2), "595x420");
  EXPECT_EQ(pdfPageSize(file, 3), "283x425");
  EXPECT_EQ(pdfPageSize(file, 4), "842x1191");
  EXPECT_EQ(pdfText(file, 2), "Strona 2 kopia 1");
}

TEST_F(PrintFileTest, ScaleAndJoinModesOnAnA4Sheet) {
  FakePages a3(log, {PageSpec{.paperSize = 8}, PageSpec{.paperSize = 8}});
  options.SetPrintMode(report::pmScale);
  options.SetPrintOnSheet(9);
  print(a3);
  ASSERT_EQ(pdfPages(file), 2);
  EXPECT_EQ(pdfPageSize(file, 2), "595x842");

  FakePages a5(log, std::vector<PageSpec>(3, PageSpec{.paperSize = 11}));
  options.SetPrintMode(report::pmJoin);
  print(a5);
  ASSERT_EQ(pdfPages(file), 2);
  EXPECT_EQ(pdfPageSize(file, 1), "842x595");
  EXPECT_EQ(pdfText(file, 1), "Strona 1 kopia 1 Strona 2 kopia 1");
  EXPECT_EQ(pdfText(file, 2), "Strona 3 kopia 1");
}

TEST_F(PrintFileTest, AFailedPrintLeavesTheOldFileAndNoPartialOne) {
  {
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("poprzedni wydruk");
  }
  FakePages pages(log, 3);
  report.OnPrintPage = [](report::TfrxComponent*, int) {
    static int n = 0;
    if (++n == 2) throw std::runtime_error("przerwano");
  };
  EXPECT_THROW(print(pages), std::runtime_error);
  QFile old(file);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "poprzedni wydruk");
  EXPECT_EQ(files(), QStringList{"wydruk.pdf"});

  // Cancelled from the progress (Terminated): the same.
  report.OnPrintPage = [&](report::TfrxComponent*, int) { report.SetTerminated(true); };
  print(pages);
  EXPECT_EQ(files(), QStringList{"wydruk.pdf"});
  QFile again(file);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), "poprzedni wydruk");
}

TEST_F(PrintFileTest, AFileThatCannotBeWrittenIsAnError) {
  FakePages pages(log, 1);
  file = dir.filePath("brak/katalogu/wydruk.pdf");
  try {
    print(pages);
    ADD_FAILURE() << "no error";
  } catch (const printers::PrinterError& e) {
    EXPECT_TRUE(e.text().contains("Nie można zapisać wydruku do pliku")) << e.text().toStdString();
  }
}

TEST_F(PrintFileTest, WithoutAPrinterThePagesGoIntoAPdfFileWhenTheUserWantsIt) {
  printers::frxPrinters().Replace({}, false);
  FakePages pages(log, 2);
  dialogs::RecordingScope recording;
  dialogs::queueAnswer(true);
  // Whatever the user typed, the file is named as what it holds.
  dialogs::queueFileAnswer(QStringList{dir.filePath("wydruk.prn")});
  const bool printed = Print(report, pages);
  printers::frxPrinters().FillPrinters();
  EXPECT_TRUE(printed);
  EXPECT_EQ(recording.messages(), (QStringList{"Brak zainstalowanych drukarek w systemie.\rCzy zapisać wydruk do pliku PDF?",
                                               "Drukuj do pliku PDF"}));
  EXPECT_EQ(files(), QStringList{"wydruk.pdf"});
  EXPECT_EQ(pdfPages(file), 2);
  EXPECT_EQ(pdfText(file, 2), "Strona 2 kopia 1");
}

TEST_F(PrintFileTest, DrukujDoPlikuWritesAFileNamedPdf) {
  std::vector<std::unique_ptr<printers::TfrxCustomPrinter>> list;
  list.push_back(std::make_unique<printers::TfrxPrinter>(QString(), QString()));
  printers::frxPrinters().Replace(std::move(list), true);
  FakePages pages(log, 1);
  dialogs::RecordingScope recording;
  dialogs::queueFileAnswer(QStringList{dir.filePath("wydruk.prn")});
  PrintContext context;
  context.runDialog = [](TfrxPrintDialog& d) {
    d.printToFileBox()->setChecked(true);
    d.accept();
    return d.result() == QDialog::Accepted;
  };
  const bool printed = Print(report, pages, context);
  printers::frxPrinters().FillPrinters();
  EXPECT_TRUE(printed);
  EXPECT_EQ(recording.messages(), QStringList{"Drukuj do pliku"});
  EXPECT_EQ(files(), QStringList{"wydruk.pdf"});
  EXPECT_EQ(pdfPages(file), 1);
}

TEST(Printers, PdfPrinterMeasuresPapersInWholeMillimetres) {
  printers::TfrxPrinter printer{QString(), QString()};
  printer.Init();
  ASSERT_TRUE(printer.Initialized());
  EXPECT_EQ(printer.DPIX(), 600);
  EXPECT_EQ(printer.Papers().front().name, "Użytkownika");
  EXPECT_EQ(printer.Papers().front().code, 256);
  EXPECT_EQ(printer.Bins().front().name, "Domyślny");
  EXPECT_EQ(printer.Bins().front().code, 7);

  printer.SetViewParams(11, 0, 0, printers::Orientation::Landscape);
  EXPECT_EQ(printer.PaperSize(), 11);
  EXPECT_EQ(printer.PaperWidth(), 210);
  EXPECT_EQ(printer.PaperHeight(), 148);
  printer.SetPrintParams(256, 120, 80, printers::Orientation::Landscape, 7, 0, 1);
  EXPECT_EQ(printer.PaperSize(), 256);
  EXPECT_EQ(printer.PaperWidth(), 120);
  EXPECT_EQ(printer.PaperHeight(), 80);
  EXPECT_EQ(printer.LeftMargin(), 0);
  EXPECT_EQ(printer.PaperNameToNumber("A4"), 9);
  EXPECT_EQ(printer.PaperIndex(9), 9);
  EXPECT_EQ(printer.PaperNameToNumber("nie ma takiego"), 256);
  EXPECT_EQ(printer.BinNameToNumber("nie ma takiego"), 7);
}

TEST(Printers, VirtualPrinterStandsInWhenNoneIsInstalled) {
  printers::TfrxVirtualPrinter printer("Wirtualny", QString());
  printer.Init();
  EXPECT_EQ(printer.DPIX(), 600);
  EXPECT_EQ(printer.DPIY(), 600);
  EXPECT_EQ(printer.PaperWidth(), 210);
  EXPECT_EQ(printer.PaperHeight(), 297);
  EXPECT_EQ(printer.Papers().size(), 67u);
  EXPECT_EQ(printer.PaperIndex(9), 9);
  EXPECT_EQ(printer.PaperIndex(48), -1);
  printer.SetViewParams(8, 0, 0, printers::Orientation::Landscape);
  EXPECT_EQ(printer.PaperWidth(), 420);
  EXPECT_EQ(printer.PaperHeight(), 297);
  EXPECT_EQ(printer.LeftMargin(), 5);
  EXPECT_EQ(printer.BottomMargin(), 5);
  printer.SetViewParams(48, 123, 45, printers::Orientation::Portrait);
  EXPECT_EQ(printer.PaperSize(), 256);
  EXPECT_EQ(printer.PaperWidth(), 123);
  printer.SetPrintParams(9, 0, 0, printers::Orientation::Portrait, 4, 0, 1);
  EXPECT_EQ(printer.BinOverride(), 4);
}

TEST(Printers, ListHasTheSystemQueuesOrTheVirtualPrinter) {
  printers::TfrxPrinters& list = printers::frxPrinters();
  list.FillPrinters();
  const QList<QPrinterInfo> queues = QPrinterInfo::availablePrinters();
  if (queues.isEmpty()) {
    EXPECT_EQ(list.Printers(), QStringList{"Wirtualny"});
    EXPECT_FALSE(list.HasPhysicalPrinters());
    EXPECT_EQ(list.PrinterIndex(), 0);
    ASSERT_NE(list.Printer(), nullptr);
    EXPECT_TRUE(list.Printer()->Initialized());
  } else {
    EXPECT_TRUE(list.HasPhysicalPrinters());
    EXPECT_EQ(list.Count(), queues.size());
    EXPECT_EQ(list.IndexOf(queues.first().printerName()), 0);
  }
  EXPECT_EQ(list.IndexOf("nie ma takiej drukarki"), -1);
}

TEST(Printers, QueueTraysGetTheClassicBinNumbersOrUserNumbers) {
  const std::vector<printers::QueueSource> sources = printers::numberSources({{"auto", "Automatycznie"},
                                                                             {"top", "Tray 1"},
                                                                             {"main", "Main"},
                                                                             {"manual", "Manual Feed"},
                                                                             {"tray-2", "Tray 2"},
                                                                             {"large-capacity", ""},
                                                                             {"tray-3", ""}});
  QStringList shown;
  for (const auto& s : sources) shown << QStringLiteral("%1 %2 %3").arg(s.code).arg(s.name, s.keyword);
  // "auto" is the default source the list already begins with; a second
  // tray wanting number 1 gets the first user number.
  // Sources the service leaves unnamed get our names for the standard ones.
  EXPECT_EQ(shown, QStringList({"1 Tray 1 top", "256 Main main", "4 Manual Feed manual", "257 Tray 2 tray-2",
                                "11 Podajnik o dużej pojemności large-capacity", "258 tray-3 tray-3"}));
  EXPECT_EQ(printers::binOfSourceKeyword("envelope"), 5);
  EXPECT_EQ(printers::binOfSourceKeyword("tray-7"), 0);
  // A queue the service does not know has no sources to offer.
  EXPECT_TRUE(printers::queueSources("valmoro-no-such-queue").empty());
}

TEST(Printers, PrintsThroughASystemQueue) {
  const QList<QPrinterInfo> queues = QPrinterInfo::availablePrinters();
  if (queues.isEmpty()) GTEST_SKIP() << "no print queue on this machine (no CUPS printer)";
  QStringList log;
  report::TfrxReport report;
  FakePages pages(log, 1);
  printers::TfrxPrinter printer(queues.first().printerName(), QString());
  printer.Init();
  ASSERT_TRUE(printer.Initialized());
  EXPECT_EQ(PrintRun(report, pages, printer), 1);
  EXPECT_EQ(log, QStringList{"draw 1 copy 1"});
}

}  // namespace
