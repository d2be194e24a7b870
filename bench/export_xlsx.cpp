// Benchmark: the spreadsheet export of a long log. Pages shaped like the
// shipped report (title, page header, data rows of five fields, page footer,
// summary) are made one at a time and handed to the filter as the export
// run does; the workbook is written as .xlsx. Reports wall time, peak
// resident memory, the sheets and the size of the file.
//
//   bench_export_xlsx [rows] [output.xlsx]

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

#include "export/export_xls.h"
#include "platform/dialogs.h"
#include "platform/locale.h"
#include "report/model/format.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

long peakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TfrxMemoView* memo(TfrxReportPage* page, double l, double t, double w, double h, const QString& text,
                   TfrxFormatKind kind = fkText, const QString& formatStr = QString()) {
  auto* view = new TfrxMemoView(page);
  view->SetBounds(l, t, w, h);
  view->SetText(text);
  if (kind != fkText) {
    TfrxFormat format;
    format.SetKind(kind);
    format.SetFormatStr(formatStr);
    view->SetDisplayFormat(&format);
  }
  return view;
}

// Column edges of the shipped report (pixels).
constexpr double kLeft[] = {0, 132.28355, 321.26005, 434.64595, 566.9295};
constexpr double kWidth[] = {132.28355, 188.9765, 113.3859, 113.3859, 151.1812};
constexpr double kRow = 18.89765;
constexpr double kPageHeight = 1122.52;  // A4
constexpr double kMargin = 37.7953;      // 10 mm

// Prints how long each stage of the writing took.
class StageClock : public exports::ExportProgress {
public:
  explicit StageClock(QElapsedTimer& timer) : timer_(timer) {}
  void Start(const QString& text, int maximum) override {
    finish();
    text_ = text;
    maximum_ = maximum;
    started_ = timer_.elapsed();
  }
  void Step() override {}
  void Stop() override { finish(); }
  void finish() {
    if (text_.isEmpty()) return;
    std::printf("  %-32s %7d steps %8.2f s\n", qPrintable(text_), maximum_, (timer_.elapsed() - started_) / 1000.0);
    text_.clear();
  }

private:
  QElapsedTimer& timer_;
  QString text_;
  int maximum_ = 0;
  qint64 started_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  QTemporaryDir dir;
  const QString output = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("dziennik.xlsx");

  TfrxReport report;
  exports::TfrxXLSExport filter;
  filter.SetReport(&report);
  filter.SetShowDialog(false);
  filter.SetFileName(output);
  QElapsedTimer timer;
  StageClock clock(timer);
  filter.SetShowProgress(true);
  filter.ProgressSink = &clock;

  timer.start();
  if (!filter.BeginExport()) return 1;
  const QStringList points{"Chłodnia 1", "Chłodnia 2", "Magazyn A", "Rampa", "Biuro"};
  const QStringList people{"Kowalski Jan", "Nowak Anna", "Administrator"};
  const QDateTime start(QDate(2026, 8, 1), QTime(6, 0));
  int written = 0;
  int pageIndex = 0;
  const double usable = kPageHeight - 2 * kMargin;
  while (written < rows) {
    auto page = std::make_unique<TfrxReportPage>();
    page->SetLeftMargin(10);
    page->SetTopMargin(10);
    page->SetRightMargin(10);
    page->SetBottomMargin(10);
    double y = 0;
    if (pageIndex == 0) {
      memo(page.get(), 0, 0, 718.1107, 30.23624, "Dziennik pomiarów temperatury i wilgotności");
      memo(page.get(), 0, 34.01577, 718.1107, 22.67718, "Moduł: Magazyn główny");
      y = 64.25201;
    }
    const QStringList header{"Data i godzina", "Punkt pomiarowy", "Temperatura [°C]", "Wilgotność [%]", "Pracownik"};
    for (int c = 0; c < 5; ++c) memo(page.get(), kLeft[c], y + 1.889765, kWidth[c], 22.67718, header[c]);
    y += 26.45671;
    const double footerTop = usable - 26.45671;
    while (written < rows && y + kRow <= footerTop) {
      const QDateTime when = start.addSecs(qint64(written) * 900);
      const double t = -18.0 + (written % 400) * 0.1;
      const double h = 40.0 + (written % 500) * 0.1;
      memo(page.get(), kLeft[0], y, kWidth[0], kRow, when.toString("yyyy-MM-dd HH:mm"), fkDateTime,
           "yyyy-mm-dd hh:nn");
      memo(page.get(), kLeft[1], y, kWidth[1], kRow, points[written % points.size()]);
      memo(page.get(), kLeft[2], y, kWidth[2], kRow, locale::formatFloat("#,##0.00", t), fkNumeric, "#,##0.00");
      memo(page.get(), kLeft[3], y, kWidth[3], kRow, locale::formatFloat("#,##0.00", h), fkNumeric, "#,##0.00");
      memo(page.get(), kLeft[4], y, kWidth[4], kRow, people[written % people.size()]);
      y += kRow;
      ++written;
    }
    if (written >= rows) {
      memo(page.get(), 0, y + 7.55906, 718.1107, 22.67718,
           QStringLiteral("Podsumowanie — liczba pomiarów: %1").arg(rows));
      memo(page.get(), 321.26005, y + 34.01577, 113.3859, kRow, "średnia");
      memo(page.get(), 434.64595, y + 34.01577, 113.3859, kRow, "minimum");
      memo(page.get(), 548.03185, y + 34.01577, 113.3859, kRow, "maksimum");
    }
    memo(page.get(), 0, footerTop + 3.77953, 718.1107, kRow, QStringLiteral("Strona %1").arg(pageIndex + 1));
    filter.OpenPage(page.get(), pageIndex);
    for (TfrxComponent* object : page->AllObjects()) filter.ExportView(object);
    filter.ClosePage(page.get(), pageIndex);
    ++pageIndex;
  }
  const qint64 pagesMs = timer.elapsed();
  filter.EndExport();
  clock.finish();
  const qint64 totalMs = timer.elapsed();

  std::printf("rows %d, pages %d\n", rows, pageIndex);
  std::printf("pages into the matrix: %.2f s\n", pagesMs / 1000.0);
  std::printf("grid, workbook and .xlsx: %.2f s\n", (totalMs - pagesMs) / 1000.0);
  // Pages made in memory: no database, no report run. The time a user waits
  // for `valmoro-report export --format xlsx` is bench_export_report's.
  std::printf("export only, total: %.2f s, peak resident memory: %.0f MB\n", totalMs / 1000.0,
              peakResidentKb() / 1024.0);
  std::printf("file: %s, %.1f MB\n", qPrintable(filter.FileName()), QFileInfo(filter.FileName()).size() / 1048576.0);
  for (const QString& line : report.Errors()) std::printf("note: %s\n", qPrintable(line));
  return 0;
}
