// valmoro-report check and resave on real files.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qt_printers.h"
#include "tools_support.h"

namespace valmoro {
namespace {

const QString kRaport = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
const QString kDamaged = QStringLiteral(VALMORO_TEST_DATA "/documents/damaged");

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ReportDocumentTool, CheckListsTheErrorsAndSaysSoInItsStatus) {
  const ToolRun clean = runTool({"check", kRaport});
  EXPECT_EQ(clean.exitCode, 0);
  EXPECT_EQ(clean.out, "");
  EXPECT_EQ(clean.err, "");

  const ToolRun damaged = runTool({"check", kDamaged + "/07-unknown-class.fr3"});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_EQ(damaged.out, "Nie znaleziono klasy TfrxChartView\n");

  const ToolRun values = runTool({"check", kDamaged + "/08-bad-numbers.fr3"});
  EXPECT_EQ(values.exitCode, 1);
  EXPECT_EQ(values.out,
            "Nieprawidłowa wartość właściwości Columns: \"1e5\"\n"
            "Nieprawidłowa wartość właściwości Height: \"1,2,3\"\n"
            "Nieprawidłowa wartość właściwości Left: \"--1\"\n"
            "Nieprawidłowa wartość właściwości Top: \"x\"\n");

  const ToolRun malformed = runTool({"check", kDamaged + "/04-end-tag-letter-case.fr3"});
  EXPECT_EQ(malformed.exitCode, 1);
  EXPECT_EQ(malformed.out, "Invalid file format\n");

  QTemporaryDir dir;
  const ToolRun missing = runTool({"check", dir.filePath("brak.fr3")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.startsWith("Nie można otworzyć pliku " + dir.filePath("brak.fr3") + ": "))
      << missing.out.toStdString();
}

// The shipped report with one text replaced.
QString variant(const QDir& dir, const QString& name, const QByteArray& from, const QByteArray& to) {
  QByteArray text = readAll(kRaport);
  EXPECT_TRUE(text.contains(from)) << from.constData();
  text.replace(from, to);
  const QString file = dir.filePath(name);
  QFile out(file);
  EXPECT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(text);
  return file;
}

TEST(ReportDocumentTool, CheckFindsWhatPreparingWouldStopAt) {
  QTemporaryDir dir;
  const QDir at(dir.path());
  const QString database = dir.filePath("Valmoro.db");
  makeSeedDatabase(database);
  const QByteArray point = "Text=\"[Wpisy.&#34;Punkt&#34;]\"";
  struct Case {
    QString file;
    QString said;
  };
  const Case cases[] = {
      {variant(at, "nawias.fr3", point, "Text=\"[Wpisy.&#34;Punkt&#34;\""),
       "PolePunkt: Błąd w wyrażeniu 'Wpisy.\"Punkt': Identifier expected\n"},
      {variant(at, "pole.fr3", point, "Text=\"[Wpisy.&#34;Punk&#34;]\""),
       "PolePunkt: Nieznaleziono pola: Wpisy.\"Punk\"\n"},
      {variant(at, "srednia.fr3", "[AVG(&#60;Wpisy.&#34;Temperatura&#34;&#62;,MasterData1)]",
               "[AVG(&#60;Wpisy.&#34;Temperatur&#34;&#62;,MasterData1)]"),
       "TemperaturaSrednia: Nieznaleziono pola: Wpisy.\"Temperatur\"\n"},
      {variant(at, "skrypt.fr3", "Wpisy := COUNT(MasterData1) &#62; 0;", "Wpisy := ;"),
       "Błąd wykonania skryptu w 6:12: Expression expected\n"},
  };
  for (const Case& c : cases) {
    const ToolRun check = runTool({"check", c.file});
    EXPECT_EQ(check.exitCode, 1) << c.file.toStdString();
    EXPECT_EQ(check.out, c.said) << c.file.toStdString();
    // What preparing says, word for word.
    const ToolRun prepare =
        runTool({"prepare", c.file, "--database", database, "--module", "Biuro", "-o", dir.filePath("x.fp3")});
    EXPECT_EQ(prepare.exitCode, 1) << c.file.toStdString();
    EXPECT_EQ(prepare.out, c.said) << c.file.toStdString();
  }
}

TEST(ReportDocumentTool, ResaveWritesWhatWasRead) {
  QTemporaryDir dir;
  const QString once = dir.filePath("raz.fr3");
  const QString twice = dir.filePath("dwa.fr3");
  const ToolRun first = runTool({"resave", kRaport, once});
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.out, "");
  const ToolRun second = runTool({"resave", once, twice});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(readAll(once), readAll(kRaport));
  EXPECT_EQ(readAll(twice), readAll(once));

  // Errors are listed, the rest is written: the unknown class is gone.
  const QString fixed = dir.filePath("naprawiony.fr3");
  const ToolRun damaged = runTool({"resave", kDamaged + "/07-unknown-class.fr3", fixed});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_EQ(damaged.out, "Nie znaleziono klasy TfrxChartView\n");
  const QByteArray written = readAll(fixed);
  EXPECT_TRUE(written.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n<TfrxReport "));
  EXPECT_TRUE(written.endsWith("\">\r\n"
                               "  <TfrxReportPage Name=\"Page1\" PaperWidth=\"210\" PaperHeight=\"297\" PaperSize=\"9\""
                               " LeftMargin=\"0\" RightMargin=\"0\" TopMargin=\"0\" BottomMargin=\"0\" ColumnWidth=\"0\""
                               " ColumnPositions.Text=\"\" HGuides.Text=\"\" VGuides.Text=\"\"/>\r\n"
                               "</TfrxReport>\r\n"))
      << written.constData();

  // A document that cannot be read leaves the target alone.
  QFile keep(dir.filePath("cel.fr3"));
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("stays");
  keep.close();
  const ToolRun unreadable = runTool({"resave", kDamaged + "/05-less-than-inside-tag.fr3", keep.fileName()});
  EXPECT_EQ(unreadable.exitCode, 1);
  EXPECT_EQ(unreadable.out, "Invalid file format\n");
  EXPECT_EQ(unreadable.err, "valmoro-report: " + keep.fileName() + " not written\n");
  EXPECT_EQ(readAll(keep.fileName()), "stays");
}

TEST(ReportDocumentTool, ResavingWhatResaveWroteChangesNoByte) {
  const QString fuzz = QStringLiteral(VALMORO_TEST_DATA "/documents/fuzz/");
  struct Case {
    const char* file;
    int firstExit;  // damaged documents list their errors
  };
  for (const Case& c : {Case{"08-script-ending-in-a-lone-carriage-return.fr3", 0},
                        Case{"09-description-ending-in-a-line-break.fr3", 0},
                        Case{"10-data-set-named-before-it-has-that-name.fr3", 1},
                        Case{"11-data-set-without-a-name.fr3", 1}}) {
    QTemporaryDir dir;
    const QString once = dir.filePath("raz.fr3");
    const QString twice = dir.filePath("dwa.fr3");
    EXPECT_EQ(runTool({"resave", fuzz + c.file, once}).exitCode, c.firstExit) << c.file;
    const ToolRun second = runTool({"resave", once, twice});
    EXPECT_EQ(second.exitCode, 0) << c.file;
    EXPECT_EQ(second.out, "") << c.file;
    const QByteArray written = readAll(once);
    EXPECT_FALSE(written.isEmpty()) << c.file;
    EXPECT_EQ(readAll(twice), written) << c.file;
  }
}

TEST(ReportDocumentTool, WrongCallsShowTheUsage) {
  const ToolRun noFile = runTool({"check"});
  EXPECT_EQ(noFile.exitCode, 2);
  EXPECT_EQ(noFile.err, "usage: valmoro-report check FILE\n");
  const ToolRun tooMany = runTool({"check", "a", "b"});
  EXPECT_EQ(tooMany.exitCode, 2);
  const ToolRun oneFile = runTool({"resave", kRaport});
  EXPECT_EQ(oneFile.exitCode, 2);
  EXPECT_EQ(oneFile.err, "usage: valmoro-report resave IN OUT\n");
  const ToolRun help = runTool({"--help"});
  EXPECT_TRUE(help.out.contains("  check FILE\n")) << help.out.toStdString();
  EXPECT_TRUE(help.out.contains("  resave IN OUT\n"));
}

}  // namespace
}  // namespace valmoro
