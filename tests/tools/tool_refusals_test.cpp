// valmoro-report refuses what would only look like a result: a report with
// no page, a folder for a file name, a module the database does not know, a
// period that ends before it begins, a document that breaks off; and it
// says each failure in one line of its own, without the libraries' notes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

struct ToolRefusals : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    database = dir.filePath("Valmoro.db");
    makeSeedDatabase(database);
  }
  // A document whose only page is a data page: it prepares no page at all.
  QString documentWithoutReportPage() {
    const QString file = dir.filePath("bez_stron.fr3");
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n"
              "<TfrxReport ReportOptions.Name=\"Pusty\">\r\n"
              "  <TfrxDataPage Name=\"Data\" Left=\"0\" Top=\"0\" Width=\"1000\" Height=\"1000\"/>\r\n"
              "</TfrxReport>\r\n");
    return file;
  }
  QTemporaryDir dir;
  QString database;
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QString module = QStringLiteral("Magazyn główny");
};

TEST_F(ToolRefusals, NoPageWritesNoFileAndSaysSo) {
  const QString file = documentWithoutReportPage();
  for (const char* format : {"pdf", "xlsx", "rtf"}) {
    const QString out = dir.filePath(QStringLiteral("wynik.") + format);
    const ToolRun run = runTool({"export", "--format", format, file, "-o", out});
    EXPECT_EQ(run.exitCode, 1) << format;
    EXPECT_EQ(run.out, "Raport nie ma żadnej strony: nie zapisano pliku " + out + ".\n") << format;
    EXPECT_FALSE(QFile::exists(out)) << format;
  }
  const QString pdf = dir.filePath("wydruk.pdf");
  const ToolRun print = runTool({"print", file, "-o", pdf});
  EXPECT_EQ(print.exitCode, 1);
  EXPECT_EQ(print.out, "Raport nie ma żadnej strony: nie zapisano pliku " + pdf + ".\n");
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_EQ(print.err, "");
}

TEST_F(ToolRefusals, AFolderIsNoFileNameForAnyFormat) {
  const QString folder = dir.filePath("folder");
  ASSERT_TRUE(QDir().mkdir(folder));
  for (const char* format : {"pdf", "rtf", "xlsx"}) {
    const ToolRun run =
        runTool({"export", "--format", format, report, "--database", database, "--module", module, "-o", folder});
    EXPECT_EQ(run.exitCode, 1) << format;
    EXPECT_TRUE(run.out.startsWith("Nie można utworzyć pliku " + folder + ": ")) << format << run.out.toStdString();
    EXPECT_EQ(run.err, "") << format;
  }
  EXPECT_FALSE(QFile::exists(folder + ".xlsx"));
  EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST_F(ToolRefusals, AnUnknownModuleIsNamedWithTheModulesThereAre) {
  const QString out = dir.filePath("raport.fp3");
  const QString modules = "Moduły: Biuro, Laboratorium, Magazyn główny.\n";
  const ToolRun prepare = runTool({"prepare", report, "--database", database, "--module", "Magazyn glowny", "-o", out});
  EXPECT_EQ(prepare.exitCode, 1);
  EXPECT_EQ(prepare.out, "Nie ma modułu „Magazyn glowny”. " + modules);
  EXPECT_FALSE(QFile::exists(out));
  const ToolRun exported = runTool(
      {"export", "--format", "pdf", report, "--database", database, "--module", "Hala", "-o", dir.filePath("a.pdf")});
  EXPECT_EQ(exported.exitCode, 1);
  EXPECT_EQ(exported.out, "Nie ma modułu „Hala”. " + modules);
  const ToolRun printed =
      runTool({"print", report, "--database", database, "--module", "Hala", "-o", dir.filePath("b.pdf")});
  EXPECT_EQ(printed.exitCode, 1);
  EXPECT_EQ(printed.out, "Nie ma modułu „Hala”. " + modules);
  EXPECT_FALSE(QFile::exists(dir.filePath("a.pdf")));
  EXPECT_FALSE(QFile::exists(dir.filePath("b.pdf")));
  // Letter case does not matter to the log, so not here either.
  EXPECT_EQ(runTool({"prepare", report, "--database", database, "--module", "BIURO", "-o", out}).exitCode, 0);
}

TEST_F(ToolRefusals, APeriodEndingBeforeItBeginsIsAWrongCall) {
  const QString out = dir.filePath("raport.fp3");
  const QString said = "okres jest pusty: --from 2026-11-30 jest późniejsza niż --to 2026-11-01";
  const ToolRun prepare = runTool({"prepare", report, "--database", database, "--module", module, "--from",
                                   "2026-11-30", "--to", "2026-11-01", "-o", out});
  EXPECT_EQ(prepare.exitCode, 2);
  EXPECT_TRUE(prepare.err.startsWith("valmoro-report prepare: " + said + "\n")) << prepare.err.toStdString();
  EXPECT_FALSE(QFile::exists(out));
  const ToolRun exported = runTool({"export", "--format", "pdf", report, "--database", database, "--module", module,
                                    "--from", "2026-11-30", "--to", "2026-11-01", "-o", dir.filePath("a.pdf")});
  EXPECT_EQ(exported.exitCode, 2);
  EXPECT_TRUE(exported.err.startsWith("valmoro-report export: " + said + "\n")) << exported.err.toStdString();
  const ToolRun printed = runTool({"print", report, "--database", database, "--module", module, "--from",
                                   "2026-11-30", "--to", "2026-11-01", "-o", dir.filePath("b.pdf")});
  EXPECT_EQ(printed.exitCode, 2);
  EXPECT_TRUE(printed.out.startsWith("valmoro-report print: " + said + "\n")) << printed.out.toStdString();
  // The same day twice is that one day.
  EXPECT_EQ(runTool({"prepare", report, "--database", database, "--module", module, "--from", "2026-11-30", "--to",
                     "2026-11-30", "-o", out})
                .exitCode,
            0);
}

TEST_F(ToolRefusals, ADocumentThatBreaksOffIsDamaged) {
  QFile shipped(report);
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray whole = shipped.readAll();
  // Cut after the page header: between two elements, before the root is closed.
  const QByteArray cut = whole.left(whole.indexOf("    <TfrxMasterData "));
  const QString file = dir.filePath("urwany.fr3");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(cut);
  out.close();
  const QString damaged = "Dokument jest uszkodzony: kończy się przed zamknięciem elementu TfrxReport; wczytano "
                          "tylko jego początek.\n";
  const ToolRun check = runTool({"check", file});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.out, damaged);
  const QString fp3 = dir.filePath("urwany.fp3");
  const ToolRun prepare = runTool({"prepare", file, "--database", database, "--module", module, "-o", fp3});
  EXPECT_EQ(prepare.exitCode, 1);
  EXPECT_EQ(prepare.out, damaged);
  EXPECT_FALSE(QFile::exists(fp3));
}

TEST_F(ToolRefusals, OneLinePerErrorAndNothingFromTheLibraries) {
  // An expression that does not compile: listed once, not once more when
  // the preparation stops at it.
  QFile shipped(report);
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  QByteArray text = shipped.readAll();
  text.replace("Text=\"[Wpisy.&#34;Punkt&#34;]\"", "Text=\"[Wpisy.&#34;Punkt&#34; +]\"");
  const QString broken = dir.filePath("zly.fr3");
  QFile out(broken);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(text);
  out.close();
  for (const QStringList& call :
       {QStringList{"prepare", broken, "--database", database, "--module", module, "-o", dir.filePath("x.fp3")},
        QStringList{"export", "--format", "pdf", broken, "--database", database, "--module", module, "-o",
                    dir.filePath("x.pdf")},
        QStringList{"print", broken, "--database", database, "--module", module, "-o", dir.filePath("x.pdf")}}) {
    const ToolRun run = runTool(call);
    EXPECT_EQ(run.exitCode, 1) << call.first().toStdString();
    EXPECT_TRUE(run.out.startsWith("PolePunkt: Błąd w wyrażeniu 'Wpisy.\"Punkt\" +': ")) << run.out.toStdString();
    EXPECT_EQ(run.out.count('\n'), 1) << run.out.toStdString();
  }

  // A file the system will not create: our message, and neither the
  // spreadsheet library's nor the painter's complaints on standard error.
  const QString tooLong = dir.filePath(QString(300, u'a'));
  const ToolRun xlsx = runTool(
      {"export", "--format", "xlsx", report, "--database", database, "--module", module, "-o", tooLong + ".xlsx"});
  EXPECT_EQ(xlsx.exitCode, 1);
  EXPECT_TRUE(xlsx.out.startsWith("Nie można utworzyć pliku " + tooLong + ".xlsx: ")) << xlsx.out.toStdString();
  EXPECT_EQ(xlsx.out.count('\n'), 1) << xlsx.out.toStdString();
  EXPECT_EQ(xlsx.err, "");
  const ToolRun print = runTool({"print", report, "--database", database, "--module", module, "-o", tooLong + ".pdf"});
  EXPECT_EQ(print.exitCode, 1);
  EXPECT_TRUE(print.out.startsWith("Nie można zapisać wydruku do pliku „" + tooLong + ".pdf”: "))
      << print.out.toStdString();
  EXPECT_EQ(print.err, "");
}

}  // namespace
}  // namespace valmoro
