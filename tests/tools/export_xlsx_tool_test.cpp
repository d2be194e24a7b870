// valmoro-report export --format xlsx: the program's report over the seed
// log, read back by openpyxl and opened by LibreOffice.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tools_support.h"
#include "xlsx_reader.h"

namespace valmoro {
namespace {

class XlsxToolTest : public ::testing::Test {
protected:
  void SetUp() override {
    database = dir.filePath("Valmoro.db");
    makeSeedDatabase(database);
  }
  QTemporaryDir dir;
  QString database;
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QString module = QStringLiteral("Magazyn główny");
};

TEST_F(XlsxToolTest, TheShippedReportOverTheSeedLog) {
  const QString out = dir.filePath("dziennik.xls");
  const ToolRun run = runTool({"export", "--format", "xlsx", report, "--database", database, "--module", module, "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
  const QString written = dir.filePath("dziennik.xlsx");
  ASSERT_TRUE(QFile::exists(written));

  // The reader's view, checked against the log itself.
  const QString script = QStringLiteral(R"py(
import sys, openpyxl, sqlite3, datetime
wb = openpyxl.load_workbook(sys.argv[1])
db = sqlite3.connect(sys.argv[1].replace('dziennik.xlsx', 'Valmoro.db'))
rows = db.execute("SELECT Data, Punkt, Temperatura, Wilgotnosc, Pracownik FROM Wpisy WHERE Modul = ? ORDER BY Data DESC, Identyfikator DESC", ('%1',)).fetchall()
print('sheets', len(wb.worksheets))
ws = wb.worksheets[0]
print('title', ws['A1'].value, [str(m) for m in ws.merged_cells.ranges if m.min_row == 1])
cells = [c for s in wb.worksheets for r in s.iter_rows() for c in r if isinstance(c.value, datetime.datetime)]
print('dates', len(cells) == len(rows))
first = cells[0]
s = first.parent
line = [s.cell(first.row, c).value for c in range(1, s.max_column + 1)]
values = [v for v in line if v is not None]
expected = rows[0]
print('first row', values[0].strftime('%Y-%m-%d %H:%M') == expected[0][:16], values[1] == expected[1],
      values[2] == expected[2], values[3] == expected[3], values[4] == expected[4])
print('formats', first.number_format, sorted({s.cell(first.row, c).number_format for c in range(1, s.max_column + 1) if type(s.cell(first.row, c).value) in (int, float)}))
numbers = [c for s in wb.worksheets for r in s.iter_rows() for c in r if type(c.value) in (int, float)]
print('numbers', len(numbers) >= 2 * len(rows))
# The report's first columns in pixels, 8 pixels a character; the file
# stores whole pixels of the reader's font plus the cell padding.
report = [132.28355, 188.9765, 113.3859]
widths = [ws.column_dimensions[openpyxl.utils.get_column_letter(c + 1)].width - 5/7 for c in range(3)]
print('widths', [abs(w - px / 8) <= 1/14 + 1/256 for w, px in zip(widths, report)])
print('breaks', len(ws.row_breaks.brk) > 0)
)py")
                             .arg(module);
  const QStringList lines = testing::readXlsxLines(script, written);
  EXPECT_EQ(testing::joined(lines),
            testing::joined({"sheets 1",
                             // Six grid columns: the edges of the data and header bands, which
                             // the summary's figures stand under.
                             "title Dziennik pomiarów temperatury i wilgotności ['A1:F1']",
                             "dates True",
                             "first row True True True True True",
                             "formats yyyy-mm-dd hh:mm ['#,##0.00']",
                             "numbers True",
                             "widths [True, True, True]",
                             "breaks True"}));

  const QString csv = testing::convertWithLibreOffice(written, dir.path());
  EXPECT_TRUE(csv.startsWith("Dziennik pomiarów temperatury i wilgotności")) << csv.left(300).toStdString();
}

TEST_F(XlsxToolTest, DatesShownWithoutTheirYearKeepTheWholeValue) {
  QFile shipped(report);
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray text = shipped.readAll();
  const QByteArray picture = "DisplayFormat.FormatStr=\"yyyy-mm-dd hh:nn\"";
  ASSERT_TRUE(text.contains(picture));
  struct Case {
    const char* picture;
    const char* cellFormat;
  };
  for (const Case& c : {Case{"dd.mm hh:nn", "dd.mm hh:mm"}, Case{"hh:nn", "hh:mm"}, Case{"yyyy-mm-dd", "yyyy-mm-dd"}}) {
    QByteArray changed = text;
    changed.replace(picture, QByteArray("DisplayFormat.FormatStr=\"") + c.picture + "\"");
    const QString file = dir.filePath("krotki.fr3");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(changed);
    out.close();
    const QString written = dir.filePath("krotki.xlsx");
    const ToolRun run =
        runTool({"export", "--format", "xlsx", file, "--database", database, "--module", module, "-o", written});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    // The date cells against the log, newest first.
    const QString script = QStringLiteral(R"py(
import sys, openpyxl, sqlite3, datetime
wb = openpyxl.load_workbook(sys.argv[1])
db = sqlite3.connect(sys.argv[1].replace('krotki.xlsx', 'Valmoro.db'))
rows = [r[0] for r in db.execute("SELECT Data FROM Wpisy WHERE Modul = ? ORDER BY Data DESC, Identyfikator DESC", ('%1',))]
cells = [c for s in wb.worksheets for r in s.iter_rows() for c in r if isinstance(c.value, datetime.datetime)]
print('dates', len(cells) == len(rows), all(c.value.strftime('%Y-%m-%d %H:%M:%S') == d[:19] for c, d in zip(cells, rows)))
print('formats', sorted({c.number_format for c in cells}))
)py")
                               .arg(module);
    EXPECT_EQ(testing::joined(testing::readXlsxLines(script, written)),
              testing::joined({"dates True True", QStringLiteral("formats ['%1']").arg(c.cellFormat)}))
        << c.picture;
  }
}

TEST_F(XlsxToolTest, TheReportsOwnFontIsTheWorkbooksStandardFont) {
  const QString written = dir.filePath("dziennik.xlsx");
  const ToolRun run =
      runTool({"export", "--format", "xlsx", report, "--database", database, "--module", module, "-o", written});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  // The "Normal" style's font, and the font of cells without a style.
  const QString script = QStringLiteral(R"py(
import sys, zipfile, re
styles = zipfile.ZipFile(sys.argv[1]).read('xl/styles.xml').decode()
fonts = re.findall(r'<font>(.*?)</font>', re.search(r'<fonts[^>]*>(.*?)</fonts>', styles).group(1))
print('normal', re.search(r'<name val="([^"]*)"', fonts[0]).group(1), re.search(r'<sz val="([^"]*)"', fonts[0]).group(1))
print('calibri', 'Calibri' in styles)
)py");
  EXPECT_EQ(testing::joined(testing::readXlsxLines(script, written)), testing::joined({"normal Arial 10", "calibri False"}));

  // LibreOffice, without Calibri on the system, prints it one page wide:
  // every column of the report on the first page, as many pages as the report.
  QProcess office;
  office.start(QStringLiteral("soffice"),
               {QStringLiteral("--headless"), QStringLiteral("-env:UserInstallation=file://") + dir.path() + "/profile",
                QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), dir.filePath("pdf"),
                written});
  office.waitForFinished(180000);
  const QString pdf = dir.filePath("pdf/dziennik.pdf");
  ASSERT_TRUE(QFile::exists(pdf)) << office.readAll().toStdString();
  const QString first = readerOutput("pdftotext", {"-f", "1", "-l", "1", pdf, "-"});
  EXPECT_TRUE(first.contains("Data i godzina")) << first.toStdString();
  EXPECT_TRUE(first.contains("Pracownik")) << first.toStdString();
  const QString fp3 = dir.filePath("dziennik.fp3");
  ASSERT_EQ(runTool({"prepare", report, "--database", database, "--module", module, "-o", fp3}).exitCode, 0);
  const QString listing = runTool({"pages", fp3}).out;
  const int pages = int(listing.count(QRegularExpression("^Strona \\d+:", QRegularExpression::MultilineOption)));
  EXPECT_TRUE(readerOutput("pdfinfo", {pdf}).contains(QRegularExpression(QStringLiteral("Pages: +%1\\n").arg(pages))))
      << readerOutput("pdfinfo", {pdf}).toStdString();
}

TEST_F(XlsxToolTest, UnknownOptionsAreNamed) {
  const ToolRun run = runTool({"export", "--format", "xlsx", report, "--database", database, "--module", module,
                               "--szybko", "-o", dir.filePath("a.xlsx")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith("Nieznana opcja: --szybko (dla xlsx: --normal")) << run.out.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("a.xlsx")));
}

}  // namespace
}  // namespace valmoro
