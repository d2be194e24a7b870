#include "platform/spreadsheet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "qt_printers.h"
#include "xlsx_reader.h"

namespace ss = valmoro::spreadsheet;
using valmoro::testing::joined;
using valmoro::testing::readXlsxLines;

namespace {

QString messageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ss::SpreadsheetError& e) {
    return e.message();
  }
  return QStringLiteral("(no error)");
}

struct Book {
  ss::Application app;
  ss::Workbook* book;
  ss::Worksheet* sheet;
  Book() : book(&app.AddWorkbook()), sheet(&book->WorkSheets(1)) {}
};

}  // namespace

TEST(SpreadsheetAddress, ColumnLettersAndAddresses) {
  EXPECT_EQ(ss::columnName(1), "A");
  EXPECT_EQ(ss::columnName(26), "Z");
  EXPECT_EQ(ss::columnName(27), "AA");
  EXPECT_EQ(ss::columnName(52), "AZ");
  EXPECT_EQ(ss::columnName(53), "BA");
  EXPECT_EQ(ss::columnName(254), "IT");
  EXPECT_EQ(ss::columnName(256), "IV");
  EXPECT_EQ(ss::columnName(703), "AAA");
  EXPECT_EQ(ss::cellAddress(3, 12), "C12");
  EXPECT_EQ(ss::areaAddress(2, 3, 1, 1), "B3");
  EXPECT_EQ(ss::areaAddress(2, 3, 3, 2), "B3:D4");
}

TEST(SpreadsheetAddress, UnionsParseAndBadTextIsRefused) {
  const auto areas = ss::parseAddress("A1:B2;$C$3, D4:c2");
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_EQ(areas[0], (ss::Area{1, 1, 2, 2}));
  EXPECT_EQ(areas[1], (ss::Area{3, 3, 1, 1}));
  EXPECT_EQ(areas[2], (ss::Area{2, 3, 3, 2}));  // corners given in either order
  EXPECT_EQ(messageOf([] { ss::parseAddress("A0"); }), "\"A0\" nie jest adresem komórek arkusza.");
  EXPECT_EQ(messageOf([] { ss::parseAddress("A1;;B2"); }), "\"A1;;B2\" nie jest adresem komórek arkusza.");
  EXPECT_EQ(messageOf([] { ss::parseAddress("XFE1"); }), "\"XFE1\" nie jest adresem komórek arkusza.");
  EXPECT_EQ(messageOf([] { ss::parseAddress("1A"); }), "\"1A\" nie jest adresem komórek arkusza.");
}

TEST(SpreadsheetModel, TypedInputIsReadLikeTheSpreadsheetReadsIt) {
  Book b;
  b.sheet->GetRange("A1").SetValue("12.5");
  b.sheet->GetRange("A2").SetValue("'12.5");
  b.sheet->GetRange("A3").SetValue("=SUM(A1:A2)");
  b.sheet->GetRange("A4").SetValue("12,5");
  b.sheet->GetRange("A5").SetValue("-1e3");
  b.sheet->GetRange("A6").SetValue(QDateTime(QDate(2026, 11, 3), QTime(14, 30)));
  b.sheet->GetRange("A7").SetValue(" 7");
  EXPECT_EQ(b.sheet->GetRange("A1").Value(), QVariant(12.5));
  EXPECT_EQ(b.sheet->GetRange("A2").Value(), QVariant("12.5"));
  EXPECT_EQ(b.sheet->GetRange("A3").Value(), QVariant("=SUM(A1:A2)"));
  EXPECT_EQ(b.sheet->GetRange("A4").Value(), QVariant("12,5"));
  EXPECT_EQ(b.sheet->GetRange("A5").Value(), QVariant(-1000.0));
  EXPECT_EQ(b.sheet->GetRange("A6").Value().toDateTime(), QDateTime(QDate(2026, 11, 3), QTime(14, 30)));
  EXPECT_EQ(b.sheet->GetRange("A7").Value(), QVariant(" 7"));
}

TEST(SpreadsheetModel, StylesAreNamedOnceAndCellsMustNameAnExistingOne) {
  Book b;
  b.book->GetStyles().Add("S0");
  EXPECT_EQ(messageOf([&] { b.book->GetStyles().Add("s0"); }), "Styl \"s0\" już istnieje.");
  EXPECT_EQ(messageOf([&] { b.sheet->GetRange("A1").SetStyle("S7"); }), "Nie ma stylu \"S7\".");
  EXPECT_EQ(messageOf([&] { b.sheet->GetRange("A1").SetRowHeight(410); }),
            "Wysokość wiersza 410 pkt jest poza zakresem 0–409.");
  EXPECT_EQ(messageOf([&] { b.sheet->Pictures(1); }), "Nie ma obrazu 1.");
  EXPECT_EQ(messageOf([&] { b.sheet->GetRange("A1").PasteSpecial(); }), "Schowek nie zawiera obrazu do wklejenia.");
}

TEST(SpreadsheetModel, BordersGoOnTheOuterEdgesOfEachRectangle) {
  Book b;
  auto range = b.sheet->GetRange("B2:C3;E5");
  range.SetBorderLineStyle(ss::xlEdgeLeft, ss::xlContinuous);
  range.SetBorderLineStyle(ss::xlEdgeBottom, ss::xlContinuous);
  EXPECT_EQ(b.sheet->cellAt(2, 2)->borders, 1);      // left only
  EXPECT_EQ(b.sheet->cellAt(3, 2)->borders, 1 | 4);  // left and bottom
  EXPECT_EQ(b.sheet->cellAt(2, 3), nullptr);  // inner cells are left alone
  EXPECT_EQ(b.sheet->cellAt(3, 3)->borders, 4);
  EXPECT_EQ(b.sheet->cellAt(5, 5)->borders, 1 | 4);
}

TEST(SpreadsheetModel, MergesReplaceOverlappingOnesAndPageBreaksStaySorted) {
  Book b;
  b.sheet->GetRange("A1:B2").SetMergeCells(true);
  b.sheet->GetRange("C1").SetMergeCells(true);  // one cell is no merge
  b.sheet->GetRange("B2:D2").SetMergeCells(true);
  ASSERT_EQ(b.sheet->merges().size(), 1u);
  EXPECT_EQ(b.sheet->merges()[0], (ss::Area{2, 2, 1, 3}));
  b.sheet->Rows(9).SetPageBreak(ss::xlPageBreakManual);
  b.sheet->Rows(4).SetPageBreak(ss::xlPageBreakManual);
  b.sheet->Rows(4).SetPageBreak(ss::xlPageBreakManual);
  b.sheet->Rows(1).SetPageBreak(ss::xlPageBreakManual);
  EXPECT_EQ(b.sheet->pageBreaks(), (std::vector<int>{4, 9}));
  b.sheet->Rows(4).SetPageBreak(ss::xlPageBreakNone);
  EXPECT_EQ(b.sheet->pageBreaks(), (std::vector<int>{9}));
}

TEST(SpreadsheetFile, ValuesStylesAndGeometryAsAReaderSeesThem) {
  QTemporaryDir dir;
  Book b;
  ss::Style& bold = b.book->GetStyles().Add("S0");
  bold.font.Bold = true;
  bold.font.Name = "Times New Roman";
  bold.font.Size = 14;
  bold.font.Color = 0x0000FF;        // red, as 0x00BBGGRR
  bold.InteriorColor = 0xFF0000;     // blue
  bold.HorizontalAlignment = ss::xlRight;
  bold.VerticalAlignment = ss::xlTop;
  ss::Style& plain = b.book->GetStyles().Add("S1");
  plain.font.Italic = true;
  plain.Orientation = 90;

  // An array fills the range it is assigned to, not more.
  b.sheet->GetRange("A1:C2").SetValues({{QVariant("Zażółć"), QVariant("1234.5"), QVariant("=1+1")},
                                     {QVariant("'0012"), QVariant(QDateTime(QDate(2026, 8, 1), QTime(6, 15))),
                                      QVariant(), QVariant("poza zakresem")}});
  b.sheet->GetRange("A1;C1").SetStyle("S0");
  b.sheet->GetRange("B2").SetStyle("S1");
  b.sheet->GetRange("B1").SetNumberFormat("#,##0.00");
  b.sheet->GetRange("B2").SetNumberFormat("yyyy-mm-dd hh:mm");
  b.sheet->GetRange("A1:A2").SetRowHeight(20.25);
  b.sheet->Columns(2).SetColumnWidth(17.5);
  b.sheet->GetRange("C1:D2").SetMergeCells(true);
  b.sheet->Cells().SetWrapText(true);
  ss::PageSetup& setup = b.sheet->GetPageSetup();
  setup.LeftMargin = 36;
  setup.TopMargin = 144;
  setup.Orientation = ss::xlLandscape;

  const QString path = b.book->SaveAs(dir.filePath("wynik.xls"));
  EXPECT_EQ(path, dir.filePath("wynik.xlsx"));
  EXPECT_FALSE(QFile::exists(dir.filePath("wynik.xls")));

  const QStringList lines = readXlsxLines(R"py(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
print(wb.sheetnames)
for a in ('A1','B1','C1','A2','B2'):
    c = ws[a]
    print(a, type(c.value).__name__, repr(c.value), c.number_format)
f = ws['A1'].font
print(f.b, f.name, f.sz, f.color.rgb, ws['A1'].fill.fgColor.rgb, ws['A1'].alignment.horizontal, ws['A1'].alignment.vertical, ws['A1'].alignment.wrap_text)
print(ws['B2'].font.i, ws['B2'].alignment.text_rotation)
print(ws.row_dimensions[1].height, ws.row_dimensions[2].height, ws.column_dimensions['B'].width)
print([str(m) for m in ws.merged_cells.ranges])
print(ws.page_margins.left, ws.page_margins.top, ws.page_setup.orientation, ws.page_setup.paperSize)
)py",
                                          path);
  EXPECT_EQ(joined(lines), joined(QStringList{
                       "['Arkusz1']",
                       "A1 str 'Zażółć' General",
                       "B1 float 1234.5 #,##0.00",
                       "C1 str '=1+1' General",
                       "A2 str '0012' General",
                       "B2 datetime datetime.datetime(2026, 8, 1, 6, 15) yyyy-mm-dd hh:mm",
                       "True Times New Roman 14.0 FFFF0000 FF0000FF right top True",
                       "True 90",
                       "20.25 20.25 18.28515625",  // 17.5 characters and the padding the file stores
                       "['C1:D2']",
                       "0.5 2.0 landscape 9",
                   }));
}

TEST(SpreadsheetFile, MoreBreaksThanOneSheetHoldsContinueOnTheNextSheet) {
  QTemporaryDir dir;
  Book b;
  // 1,030 pages of two rows: a break before every odd row from 3 on.
  for (int page = 0; page < 1030; ++page) {
    b.sheet->GetRange(ss::cellAddress(1, page * 2 + 1)).SetValue(QString::number(page + 1));
    if (page > 0) b.sheet->Rows(page * 2 + 1).SetPageBreak(ss::xlPageBreakManual);
  }
  b.sheet->GetRange("A1:B1").SetMergeCells(true);
  b.sheet->GetRange("A2049:B2049").SetMergeCells(true);  // page 1025, first row of sheet 2
  const QString path = b.book->SaveAs(dir.filePath("strony"));
  EXPECT_EQ(path, dir.filePath("strony.xlsx"));
  const QStringList lines = readXlsxLines(R"py(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    brk = [b.id for b in ws.row_breaks.brk]
    print(ws.title, len(brk), brk[0], brk[-1], ws['A1'].value, ws['A3'].value, ws.max_row, [str(m) for m in ws.merged_cells.ranges])
)py",
                                          path);
  // Sheet 1 holds pages 1–1024 (1,023 breaks); page 1025 opens sheet 2.
  // A break id is the last row above the break.
  EXPECT_EQ(joined(lines), joined(QStringList{
                       "Arkusz1 1023 2 2046 1 2 2047 ['A1:B1']",
                       "Arkusz2 5 2 10 1025 1026 11 ['A1:B1']",
                   }));
}

TEST(SpreadsheetFile, PicturesLandAtTheCellTheyWerePastedOn) {
  QTemporaryDir dir;
  Book b;
  b.sheet->Columns(1).SetColumnWidth(10);  // 75 pixels
  b.sheet->GetRange("A1:A2").SetRowHeight(30);  // 40 pixels each
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(Qt::red);
  QImage clipboardBefore = b.app.clipboardPicture();
  b.app.setClipboardPicture(image);
  b.sheet->GetRange("B3").Select();
  b.sheet->GetRange("B3").PasteSpecial();
  ASSERT_EQ(b.sheet->PictureCount(), 1);
  ss::Picture& p = b.sheet->Pictures(1);
  EXPECT_DOUBLE_EQ(p.Left, 75 * 0.75);
  EXPECT_DOUBLE_EQ(p.Top, 60);
  p.Left += 1;
  p.Width = 30;   // 40 pixels: twice as wide
  p.Height = 7.5;  // 10 pixels
  const QString path = b.book->SaveAs(dir.filePath("obraz.xlsx"));
  const QStringList lines = readXlsxLines(R"py(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
print(sorted(n for n in z.namelist() if n.startswith('xl/media/')))
d = z.read('xl/drawings/drawing1.xml').decode()
print(re.search(r'<xdr:from><xdr:col>(\d+)</xdr:col><xdr:colOff>(\d+)</xdr:colOff><xdr:row>(\d+)</xdr:row>', d).groups())
print(re.search(r'<a:ext cx="(\d+)" cy="(\d+)"', d).groups())
)py",
                                          path);
  // One pixel is 9525 EMU: column B (index 1), one pixel in (the point moved
  // right is 1.33 pixels), row 3 (index 2); 40 × 10 pixels.
  EXPECT_EQ(joined(lines), joined(QStringList{"['xl/media/image1.png']", "('1', '9525', '2')", "('381000', '95250')"}));
}

TEST(SpreadsheetFile, OverlongTextsAreCutWithANoteAndFailedSavesKeepTheOldFile) {
  QTemporaryDir dir;
  Book b;
  b.sheet->GetRange("B2").SetValue(QString(40000, u'x'));
  const QString path = b.book->SaveAs(dir.filePath("dlugi.xlsx"));
  EXPECT_EQ(joined(b.book->notes()), "Tekst komórki B2 skrócono do 32767 znaków.");
  EXPECT_EQ(joined(readXlsxLines(
                "import sys, openpyxl\nprint(len(openpyxl.load_workbook(sys.argv[1]).active['B2'].value))", path)),
            "32767");

  const QString missing = dir.filePath("brak/plik.xlsx");
  EXPECT_EQ(messageOf([&] { b.book->SaveAs(missing); }),
            QStringLiteral("Folder \"%1\" nie istnieje.").arg(QDir::toNativeSeparators(dir.filePath("brak"))));
  EXPECT_EQ(messageOf([&] { b.book->SaveAs(""); }), "Nie podano nazwy pliku skoroszytu.");
  // Nothing but the one finished file is left in the folder.
  EXPECT_EQ(joined(QDir(dir.path()).entryList(QDir::Files)), "dlugi.xlsx");
}

TEST(SpreadsheetFile, MoreMergedAreasThanOneSheetListsContinueOnTheNextSheet) {
  QTemporaryDir dir;
  Book b;
  // 70,000 rows, each merged across A:B; a page starts every 1,000 rows.
  for (int row = 1; row <= 70000; ++row) b.sheet->GetRange(ss::areaAddress(1, row, 2, 1)).SetMergeCells(true);
  for (int row = 1001; row <= 70000; row += 1000) b.sheet->Rows(row).SetPageBreak(ss::xlPageBreakManual);
  b.sheet->GetRange("A65001").SetValue("strona 66");
  const QString path = b.book->SaveAs(dir.filePath("scalone.xlsx"));
  const QStringList lines = readXlsxLines(R"py(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
for n in ('xl/worksheets/sheet1.xml', 'xl/worksheets/sheet2.xml'):
    x = z.read(n).decode()
    print(n, x.count('<mergeCell '), re.search(r'<mergeCells count="(\d+)"', x).group(1), len(re.findall('<brk ', x)))
print('strona 66' in z.read('xl/worksheets/sheet2.xml').decode())
)py",
                                          path);
  // The cut goes to the last page start before the 65,536th area (row 65,001).
  EXPECT_EQ(joined(lines), joined(QStringList{"xl/worksheets/sheet1.xml 65000 65000 64",
                                              "xl/worksheets/sheet2.xml 5000 5000 4", "True"}));
}
