// Spreadsheet export: pages in, an .xlsx out, read back by a real reader.

#include "export/export_xls.h"

#include "export/export_options_dialog.h"
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qt_printers.h"
#include "report/model/format.h"
#include "report/model/frame.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "xlsx_reader.h"

namespace valmoro::exports {
namespace {

using namespace report;
using testing::joined;
using testing::readXlsxLines;

// Stages of the writing as a progress window would show them.
class RecordingProgress : public ExportProgress {
public:
  void Start(const QString& text, int maximum) override { stages << QStringLiteral("%1 (%2)").arg(text).arg(maximum); }
  void Step() override {
    ++steps;
    if (cancelAfter >= 0 && steps >= cancelAfter) cancelled = true;
  }
  bool Cancelled() const override { return cancelled; }
  void Stop() override {}
  QStringList stages;
  int steps = 0;
  int cancelAfter = -1;
  bool cancelled = false;
};

class XlsExportTest : public ::testing::Test {
protected:
  XlsExportTest() {
    filter.SetShowDialog(false);
    filter.SetShowProgress(false);
    filter.SetReport(&report);
    filter.SetFileName(dir.filePath("wynik.xls"));
  }

  TfrxReportPage* newPage() {
    auto* page = new TfrxReportPage(&report);
    page->SetLeftMargin(10);
    page->SetTopMargin(10);
    page->SetRightMargin(10);
    page->SetBottomMargin(10);
    pages.push_back(page);
    return page;
  }

  TfrxMemoView* memo(TfrxReportPage* page, double l, double t, double w, double h, const QString& text) {
    auto* view = new TfrxMemoView(page);
    view->SetBounds(l, t, w, h);
    view->SetText(text);
    return view;
  }

  static void setFormat(TfrxMemoView* view, TfrxFormatKind kind, const QString& formatStr) {
    TfrxFormat format;
    format.SetKind(kind);
    format.SetFormatStr(formatStr);
    view->SetDisplayFormat(&format);
  }

  // The export run for the pages made so far; the path written.
  QString run() {
    if (!filter.BeginExport()) return QString();
    for (int i = 0; i < int(pages.size()); ++i) {
      filter.OpenPage(pages[std::size_t(i)], i);
      for (TfrxComponent* object : pages[std::size_t(i)]->AllObjects()) filter.ExportView(object);
      filter.ClosePage(pages[std::size_t(i)], i);
    }
    filter.EndExport();
    return filter.FileName();
  }

  QStringList read(const QString& script) { return readXlsxLines(script, filter.FileName()); }

  QTemporaryDir dir;
  TfrxReport report;
  std::vector<TfrxReportPage*> pages;
  TfrxXLSExport filter;
};

TEST_F(XlsExportTest, NumbersDatesTextsAndMergesLandInTheirCells) {
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 300, 20, "Dziennik temperatur");  // spans the three columns below
  memo(page, 0, 20, 100, 20, "Punkt");
  memo(page, 100, 20, 100, 20, "Temperatura");
  memo(page, 200, 20, 100, 20, "Data");
  memo(page, 0, 40, 100, 20, "=SUMA(A1)");
  auto* number = memo(page, 100, 40, 100, 20, QStringLiteral("1\u00A0234,50"));
  setFormat(number, fkNumeric, "#,##0.00");
  auto* date = memo(page, 200, 40, 100, 20, "2026-11-03 14:30");
  setFormat(date, fkDateTime, "yyyy-mm-dd hh:nn");
  auto* code = memo(page, 0, 60, 100, 20, "007");
  setFormat(code, fkText, "");
  auto* percent = memo(page, 100, 60, 100, 20, "-3,5");
  setFormat(percent, fkNumeric, "%2.2n");
  auto* broken = memo(page, 200, 60, 100, 20, "wczoraj");
  setFormat(broken, fkDateTime, "yyyy-mm-dd hh:nn");

  EXPECT_EQ(run(), dir.filePath("wynik.xlsx"));
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
print(len(wb.worksheets), [str(m) for m in ws.merged_cells.ranges])
for row in ws.iter_rows(min_row=1, max_row=ws.max_row):
    print(' | '.join('' if c.value is None else '%s:%r:%s' % (type(c.value).__name__, c.value, c.number_format) for c in row))
)py")),
            joined({"1 ['A1:C1']",
                    "str:'Dziennik temperatur':General |  | ",
                    "str:'Punkt':General | str:'Temperatura':General | str:'Data':General",
                    "str:'=SUMA(A1)':General | float:1234.5:#,##0.00 | "
                    "datetime:datetime.datetime(2026, 11, 3, 14, 30):yyyy-mm-dd hh:mm",
                    "str:'007':General | float:-3.5:#,##0.00 | str:'wczoraj':General"}));
}

TEST_F(XlsExportTest, ColumnWidthsRowHeightsAndSharedStyles) {
  TfrxReportPage* page = newPage();
  page->SetOrientation(poLandscape);
  page->SetLeftMargin(20);
  auto* a = memo(page, 0, 0, 80, 15.9115, "a");   // 12.1 points high
  auto* b = memo(page, 80, 0, 160, 15.9115, "b");
  auto* c = memo(page, 0, 15.9115, 80, 16.043, "c");  // 12.2 points
  for (TfrxMemoView* v : {a, b}) {
    v->Font()->SetStyle(fsBold);
    v->Font()->SetColor(clRed);
    v->SetColor(0x00FFFF);  // yellow
    v->SetHAlign(haCenter);
    v->Frame()->SetTyp(ftLeft | ftBottom);
  }
  c->SetVAlign(vaCenter);
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
for col in 'AB':
    # the file stores the width plus the cell padding (5 of 7 pixels)
    print(col, round(ws.column_dimensions[col].width - 5/7, 1))
print([ws.row_dimensions[r].height for r in (1, 2)])
for a in ('A1', 'B1', 'A2'):
    c = ws[a]
    color = c.font.color.rgb if c.font.color is not None and c.font.color.type == 'rgb' else None
    print(a, c.font.b, color, c.fill.fgColor.rgb, c.alignment.horizontal, c.alignment.vertical,
          c.border.left.style, c.border.bottom.style, c.border.right.style)
print(ws['A1']._style == ws['B1']._style)
print(ws.page_setup.orientation, round(ws.page_margins.left * 72, 2))
)py")),
            // Widths are pixels / 8 within a seventh of a character.
            joined({"A 10.0", "B 20.0", "[12.0, 12.25]",
                    "A1 True FFFF0000 FFFFFF00 center top thin thin None",
                    "B1 True FFFF0000 FFFFFF00 center top thin thin None",
                    "A2 False None 00000000 left center None None None",
                    "True", "landscape 52.0"}));
}

// A log longer than the blocks the values are written in: every row keeps
// its own texts, numbers, number format, merge and style, at the block
// edges (around rows 1024/1025 and 2048/2049) as elsewhere.
TEST_F(XlsExportTest, LongLogKeepsEveryRowAcrossValueBlocks) {
  constexpr int kRows = 2100, kPerPage = 50;
  for (int first = 0; first < kRows; first += kPerPage) {
    TfrxReportPage* page = newPage();
    for (int i = first; i < std::min(kRows, first + kPerPage); ++i) {
      const double top = (i - first) * 20.0;
      memo(page, 0, top, 100, 20, QStringLiteral("wiersz %1").arg(i + 1));
      auto* value = memo(page, 100, top, 100, 20, QStringLiteral("%1,25").arg(i));
      setFormat(value, fkNumeric, "#,##0.00");
      auto* wide = memo(page, 200, top, 200, 20, QStringLiteral("R%1").arg(i + 1));
      if (i % 2 == 1) wide->Font()->SetStyle(fsBold);
    }
    // A footer cell half as wide: the data rows' right cells span two columns.
    memo(page, 200, kPerPage * 20.0, 100, 20, QStringLiteral("strona"));
  }
  filter.SetPageBreaks(false);
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
merged = set(str(m) for m in ws.merged_cells.ranges)
seen, bad = [], []
for r in range(1, ws.max_row + 1):
    a, b, c = ws.cell(r, 1), ws.cell(r, 2), ws.cell(r, 3)
    if not isinstance(a.value, str) or not a.value.startswith('wiersz '):
        continue
    n = int(a.value.split()[1])
    seen.append(n)
    got = (b.value, b.number_format, c.value, bool(c.font.b), 'C%d:D%d' % (r, r) in merged)
    if got != (n - 1 + 0.25, '#,##0.00', 'R%d' % n, n % 2 == 0, True):
        bad.append((r, n, got))
print(len(seen), seen == sorted(seen), len(merged), bad[:3])
)py")),
            "2100 True 2100 []");
}

TEST_F(XlsExportTest, NormalModeKeepsRowHeightsUnrounded) {
  filter.SetFastExport(false);
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 80, 15.9115, "a");
  memo(page, 0, 15.9115, 80, 16.043, "12.5");
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print([round(ws.row_dimensions[r].height, 3) for r in (1, 2)], repr(ws['A1'].value), repr(ws['A2'].value))
)py")),
            "[12.1, 12.2] 'a' 12.5");
}

TEST_F(XlsExportTest, PageEndsBecomeBreaksOnlyWhenAsked) {
  for (int p = 0; p < 3; ++p) {
    TfrxReportPage* page = newPage();
    memo(page, 0, 0, 100, 20, QStringLiteral("strona %1").arg(p + 1));
    memo(page, 0, 20, 100, 20, "wiersz");
  }
  const QString script = R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
starts = [r for r in range(1, ws.max_row + 1) if str(ws.cell(r, 1).value).startswith('strona')]
print(starts, [b.id + 1 for b in ws.row_breaks.brk])
)py";
  run();
  // Each page's first row begins a printed page (a break lies above it).
  EXPECT_EQ(joined(read(script)), "[1, 4, 7] [4, 7]");
  filter.SetPageBreaks(false);
  run();
  EXPECT_EQ(joined(read(script)), "[1, 4, 7] []");
}

TEST_F(XlsExportTest, EmptyLinesOffDropsRowsThatHoldNothing) {
  filter.SetEmptyLines(false);
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 100, 20, "góra");
  memo(page, 0, 200, 100, 20, "dół");
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print([ws.cell(r, 1).value for r in range(1, ws.max_row + 1)])
)py")),
            "['góra', 'dół']");
}

TEST_F(XlsExportTest, AsTextLongTextsAndTheErrorList) {
  filter.SetAsText(true);
  TfrxReportPage* page = newPage();
  auto* number = memo(page, 0, 0, 100, 20, "12,5");
  setFormat(number, fkNumeric, "%2.2f");
  memo(page, 0, 20, 100, 20, QString(1200, u'x'));
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print(repr(ws['A1'].value), len(ws['A2'].value))
)py")),
            "'12,5' 900");
  ASSERT_EQ(report.Errors().size(), 1);
  EXPECT_EQ(report.Errors()[0].toStdString(),
            QStringLiteral("Tekst obiektu %1 skrócono w arkuszu do 900 znaków (miał 1200).")
                .arg(page->Objects()[1]->Name())
                .toStdString());
}

TEST_F(XlsExportTest, PicturesArePastedWithoutTouchingTheUsersClipboard) {
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 100, 20, "obok");
  auto* shape = new TfrxShapeView(page);
  shape->SetShape(skEllipse);
  shape->SetBounds(100, 0, 69, 20.7);
  run();
  EXPECT_EQ(joined(read(R"py(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
print([n for n in z.namelist() if n.startswith('xl/media/')])
d = z.read('xl/drawings/drawing1.xml').decode()
print(re.search(r'<xdr:from><xdr:col>(\d+)</xdr:col>', d).group(1), re.search(r'<a:ext cx="(\d+)" cy="(\d+)"', d).groups())
)py")),
            // Column B; 69 × 20.7 pixels / 1.38 = 50 × 15 points = 66.7 × 20 pixels.
            joined({"['xl/media/image1.png']", "1 ('635000', '190500')"}));

  filter.SetExportPictures(false);
  run();
  EXPECT_EQ(joined(read("import sys, zipfile\nprint(any(n.startswith('xl/media/') for n in "
                        "zipfile.ZipFile(sys.argv[1]).namelist()))")),
            "False");
}

TEST_F(XlsExportTest, ProgressStagesAndCancellationStillSaveTheWorkbook) {
  RecordingProgress progress;
  filter.ProgressSink = &progress;
  filter.SetShowProgress(true);
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 100, 20, "a");
  memo(page, 100, 20, 100, 20, "b");
  run();
  EXPECT_EQ(joined(progress.stages),
            joined({"Proszę czekać (11)", "Definiowanie wierszy - 1 (2)", "Definiowanie wierszy - 2 (0)",
                    "Definiowanie kolumn (2)", "Definiowanie styli (0)", "Eksportowanie obiektów (3)",
                    "Definiowanie styli - 1 (2)", "Definiowanie styli - 2 (0)", "Data formats (0)",
                    "Definiowanie styli - 3 (0)"}));

  // Cancelled while the rows are defined: no later stage starts, and the
  // values gathered (none yet) are saved in a workbook that opens.
  progress.stages.clear();
  progress.steps = 0;
  progress.cancelAfter = 12;
  run();
  EXPECT_EQ(joined(progress.stages), joined({"Proszę czekać (11)", "Definiowanie wierszy - 1 (2)"}));
  EXPECT_EQ(joined(read("import sys, openpyxl\nprint(openpyxl.load_workbook(sys.argv[1]).active['A1'].value)")),
            "None");

  // Cancelled after the first row of objects: that row's value is saved,
  // the styles collected are no longer applied.
  page->Objects()[0]->Font()->SetStyle(fsBold);
  progress.stages.clear();
  progress.steps = 0;
  progress.cancelled = false;
  progress.cancelAfter = 11 + 2 + 2 + 2 + 1;  // grid, rows, columns, two styles, one row
  run();
  EXPECT_EQ(joined(progress.stages).substr(joined(progress.stages).rfind('\n') + 1), "Eksportowanie obiektów (3)");
  EXPECT_EQ(joined(read("import sys, openpyxl\nws = openpyxl.load_workbook(sys.argv[1]).active\n"
                        "print(ws['A1'].value, ws['A1'].font.b, ws['B2'].value)")),
            "a False None");
}

TEST_F(XlsExportTest, NoFileNameWritesNothingAndAFailedSaveIsAnError) {
  filter.SetFileName("");
  newPage();
  EXPECT_FALSE(filter.BeginExport());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

  filter.SetFileName(dir.filePath("brak/wynik.xlsx"));
  ASSERT_TRUE(filter.BeginExport());
  try {
    filter.EndExport();
    ADD_FAILURE() << "no error";
  } catch (const ExportError& e) {
    EXPECT_EQ(e.message().toStdString(),
              QStringLiteral("Folder \"%1\" nie istnieje.").arg(QDir::toNativeSeparators(dir.filePath("brak"))).toStdString());
  }
}

TEST(XlsNumberFormats, PrintfStylesPicturesAndDates) {
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%2.2f").toStdString(), "0.00");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%2.3n").toStdString(), "#,##0.000");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%2.2d").toStdString(), "#.##");
  // Without decimals no separator is written (it would scale or dangle).
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%d").toStdString(), "#");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%n").toStdString(), "#,##0");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("%2.2m").toStdString(), "");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("#,##0.00").toStdString(), "#,##0.00");
  EXPECT_EQ(TfrxXLSExport::NumberFormatFor("").toStdString(), "");
  EXPECT_EQ(TfrxXLSExport::DateFormatFor("yyyy-mm-dd hh:nn").toStdString(), "yyyy-mm-dd hh:mm");
  EXPECT_EQ(TfrxXLSExport::DateFormatFor("dd.mm.yyyy").toStdString(), "dd.mm.yyyy");
}

TEST(XlsExportFilter, CaptionExtensionAndDefaults) {
  TfrxXLSExport filter;
  EXPECT_EQ(filter.FilterCaption().toStdString(), "Skoroszyt Excel (.xlsx)");
  EXPECT_EQ(filter.FileExtension().toStdString(), ".xlsx");
  EXPECT_EQ(filter.FileTypeFilter().toStdString(), "Dokument Excel  (*.xlsx)|*.xlsx");
  EXPECT_TRUE(filter.ExportStyles() && filter.ExportPictures() && filter.MergeCells() && filter.Wysiwyg() &&
              filter.Background() && filter.FastExport() && filter.PageBreaks() && filter.EmptyLines() &&
              filter.ExportEMF());
  EXPECT_FALSE(filter.OpenExcelAfterExport() || filter.AsText() || filter.SuppressPageHeadersFooters() ||
               filter.OverwritePrompt());
}

}  // namespace
}  // namespace valmoro::exports

namespace valmoro::exports {
namespace {

TEST(XlsExportDialog, ChoicesAndTheContinuousBox) {
  TfrxXLSExport filter;
  filter.SetEmptyLines(false);
  filter.SetSubordinate(false);
  ExportOptionsForm seen;
  queueExportOptionsAnswer([&](ExportOptionsForm& form) {
    seen = form;
    form.setChecked("Continuous", false);
    form.setChecked("FastExport", false);
    form.setChecked("OpenAfterExport", true);
    form.pageChoice = ExportOptionsForm::PageChoice::Pages;
    form.pageNumbers = "2-3";
  });
  dialogs::queueFileAnswer(QStringList{"/tmp/raport.xlsx"});
  ASSERT_EQ(filter.ShowOptionsDialog(), 1);
  QStringList shown;
  for (const auto& option : seen.options)
    shown << QStringLiteral("%1=%2%3").arg(option.caption).arg(option.checked).arg(option.visible ? "" : " (ukryte)");
  EXPECT_EQ(seen.caption.toStdString(), "Eksport do Excel");
  // "Ciągły" shows ticked because empty lines are off.
  EXPECT_EQ(testing::joined(shown),
            testing::joined({"Scalanie komórek=1", "WYSIWYG=1", "Ciągły=1", "Obrazy=1", "Jako tekst=0", "Tło=1",
                             "Szybki eksport=1", "Dzielenie na strony=1", "Otwórz w Excel po eksporcie=0"}));
  EXPECT_TRUE(filter.EmptyLines());
  EXPECT_FALSE(filter.SuppressPageHeadersFooters());
  EXPECT_FALSE(filter.FastExport());
  EXPECT_TRUE(filter.OpenExcelAfterExport());
  EXPECT_EQ(filter.PageRange().toStdString(), "2-3");
  EXPECT_EQ(filter.FileName().toStdString(), "/tmp/raport.xlsx");

  // On behalf of another component: no save dialog, no opening afterwards.
  filter.SetSubordinate(true);
  queueExportOptionsAnswer([&](ExportOptionsForm& form) {
    seen = form;
    form.setChecked("Continuous", true);
  });
  ASSERT_EQ(filter.ShowOptionsDialog(), 1);
  EXPECT_FALSE(seen.find("OpenAfterExport")->visible);
  EXPECT_FALSE(filter.OpenExcelAfterExport());
  EXPECT_FALSE(filter.EmptyLines());
  EXPECT_TRUE(filter.SuppressPageHeadersFooters());

  // Cancelled: nothing is exported.
  filter.SetSubordinate(false);
  queueExportOptionsAnswer(std::nullopt);
  EXPECT_EQ(filter.ShowOptionsDialog(), 2);
}

}  // namespace
}  // namespace valmoro::exports

namespace valmoro::exports {
namespace {

TEST_F(XlsExportTest, LibreOfficeOpensTheWorkbook) {
  TfrxReportPage* page = newPage();
  memo(page, 0, 0, 300, 20, "Dziennik — Magazyn główny");
  auto* number = memo(page, 0, 20, 100, 20, QStringLiteral("-1\u00A0234,50"));
  setFormat(number, fkNumeric, "#,##0.00");
  auto* date = memo(page, 100, 20, 200, 20, "2026-11-03 14:30");
  setFormat(date, fkDateTime, "yyyy-mm-dd hh:nn");
  auto* shape = new TfrxShapeView(page);
  shape->SetShape(skEllipse);
  shape->SetBounds(0, 40, 50, 20);
  newPage();
  memo(pages.back(), 0, 0, 300, 20, "druga strona");
  run();
  const QString csv = testing::convertWithLibreOffice(filter.FileName(), dir.path());
  // Numbers and dates are shown with their formats (in the converter's
  // English locale); the number spans A:B because the picture below it
  // ends at column B's edge.
  EXPECT_EQ(csv.split(u'\n').mid(0, 2).join(u'\n').toStdString(),
            "Dziennik — Magazyn główny,,\n\"-1,234.50\",,2026-11-03 14:30");
  EXPECT_TRUE(csv.contains("druga strona")) << csv.toStdString();
}

}  // namespace
}  // namespace valmoro::exports
