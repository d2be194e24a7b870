// valmoro-report export --format xlsx: the program's report over the seed
// log, read back by openpyxl and opened by LibreOffice.

#include <QDir>
#include <QFile>
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
                             // Seven grid columns: the edges of the data, header and summary bands.
                             "title Dziennik pomiarów temperatury i wilgotności ['A1:G1']",
                             "dates True",
                             "first row True True True True True",
                             "formats yyyy-mm-dd hh:mm ['#,##0.00']",
                             "numbers True",
                             "widths [True, True, True]",
                             "breaks True"}));

  const QString csv = testing::convertWithLibreOffice(written, dir.path());
  EXPECT_TRUE(csv.startsWith("Dziennik pomiarów temperatury i wilgotności")) << csv.left(300).toStdString();
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
