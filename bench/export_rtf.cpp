// RTF export of the shipped report: prepared pages of N log rows written to
// a file, and the cost of the layout matrix against the number of views.
//
//   bench_export_rtf [ROWS...]      (default 10000 20000 40000)
//
// The pages are those of Dane/Raport.fr3: title, page header, one data band
// per reading, page footer, summary, prepared by the band engine from a
// generated log.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "export/export_filter.h"
#include "export/ie_matrix.h"
#include "export/rtf_export.h"
#include "platform/dialogs.h"
#include "report/engine/memo_expansion.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/script_classes.h"
#include "report/model/units.h"
#include "report/run/install.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

TfrxMemoView* memoNamed(TfrxReport& report, const char* name) {
  return qobject_cast<TfrxMemoView*>(report.FindObject(QString::fromLatin1(name)));
}

// Lays the shipped report's bands onto pages for `rows` readings.
bool layOutPages(TfrxReport& report, int rows) {
  auto* page = qobject_cast<TfrxReportPage*>(report.FindObject(QStringLiteral("Page1")));
  auto* title = qobject_cast<TfrxBand*>(report.FindObject(QStringLiteral("ReportTitle1")));
  auto* header = qobject_cast<TfrxBand*>(report.FindObject(QStringLiteral("PageHeader1")));
  auto* data = qobject_cast<TfrxBand*>(report.FindObject(QStringLiteral("MasterData1")));
  auto* footer = qobject_cast<TfrxBand*>(report.FindObject(QStringLiteral("PageFooter1")));
  auto* summary = qobject_cast<TfrxBand*>(report.FindObject(QStringLiteral("ReportSummary1")));
  if (!page || !title || !header || !data || !footer || !summary) return false;
  const char* fields[] = {"PoleData", "PolePunkt", "PoleTemperatura", "PoleWilgotnosc", "PolePracownik"};
  TfrxMemoView* cells[5];
  for (int i = 0; i < 5; ++i)
    if (!(cells[i] = memoNamed(report, fields[i]))) return false;
  TfrxMemoView* number = memoNamed(report, "NumerStrony");

  TfrxPreviewPages& pages = report.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  const double usable = (page->PaperHeight() - page->TopMargin() - page->BottomMargin()) * fr01cm;
  const double footerTop = usable - footer->Height();
  int pageNo = 0;
  double y = 0;
  auto newPage = [&] {
    pages.AddPage(page);
    ++pageNo;
    y = 0;
    if (pageNo == 1) {
      title->SetTop(y);
      pages.AddObject(title);
      y += title->Height();
    }
    header->SetTop(y);
    pages.AddObject(header);
    y += header->Height();
  };
  auto endPage = [&] {
    if (number) number->SetText(QStringLiteral("Strona %1").arg(pageNo));
    footer->SetTop(footerTop);
    pages.AddObject(footer);
  };
  newPage();
  for (int r = 0; r < rows; ++r) {
    if (y + data->Height() > footerTop) {
      endPage();
      newPage();
    }
    const int minutes = r * 5;
    cells[0]->SetText(QStringLiteral("2024-%1-%2 %3:%4")
                          .arg(1 + (r / 8640) % 12, 2, 10, QLatin1Char('0'))
                          .arg(1 + (r / 288) % 28, 2, 10, QLatin1Char('0'))
                          .arg((minutes / 60) % 24, 2, 10, QLatin1Char('0'))
                          .arg(minutes % 60, 2, 10, QLatin1Char('0')));
    cells[1]->SetText(QString::fromUtf8("Chłodnia %1").arg(r % 7));
    cells[2]->SetText(QString::number(-5 + (r % 300) / 10.0, 'f', 2).replace('.', ','));
    cells[3]->SetText(QString::number(40 + (r % 500) / 10.0, 'f', 2).replace('.', ','));
    cells[4]->SetText(QString::fromUtf8("Jan Kowalski"));
    data->SetTop(y);
    pages.AddObject(data);
    y += data->Height();
  }
  if (y + summary->Height() > footerTop) {
    endPage();
    newPage();
  }
  summary->SetTop(y);
  pages.AddObject(summary);
  endPage();
  pages.Finish();
  return true;
}

void benchMatrix(int views) {
  std::vector<std::unique_ptr<TfrxMemoView>> memos;
  memos.reserve(size_t(views));
  for (int i = 0; i < views; ++i) {
    auto memo = std::make_unique<TfrxMemoView>();
    const int row = i / 5, col = i % 5;
    memo->SetBounds(col * 140.0, row * 18.89765, 140, 18.89765);
    memo->SetText(QStringLiteral("v%1").arg(i));
    memos.push_back(std::move(memo));
  }
  QElapsedTimer timer;
  timer.start();
  exports::TfrxIEMatrix matrix;
  matrix.MergeTolerance = 0.5;
  matrix.AddFillCell = true;
  for (int i = 0; i < views; ++i) {
    matrix.AddView(memos[size_t(i)].get());
    if ((i + 1) % 260 == 0)  // a page of 52 rows
      matrix.AddPageRecord(poPortrait, false, i / 260, 10, 10, 10, 10, 1122.5, 793.7);
  }
  matrix.BuildGrid();
  const double ms = double(timer.nsecsElapsed()) / 1e6;
  std::printf("matrix  %7d views: %8.1f ms  (%.2f us per view), grid %d x %d\n", views, ms, ms * 1000 / views,
              matrix.Width(), matrix.Height());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  installReportSubsystem();
  QList<int> sizes;
  for (int i = 1; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]).toInt();
  if (sizes.isEmpty()) sizes = {10000, 20000, 40000};

  for (int views : {25000, 50000, 100000, 200000}) benchMatrix(views);

  const QString reportFile =
      QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../data/Raport.fr3"));
  QTemporaryDir dir;
  for (int rows : sizes) {
    TfrxReport report;
    report.SetNoPumping(true);
    report.EngineOptions()->SetNewSilentMode(simSilent);
    if (!report.LoadFromFile(reportFile, true) ||
        !layOutPages(report, rows)) {
      std::fprintf(stderr, "cannot lay out the shipped report\n");
      return 1;
    }
    exports::TfrxRTFExport rtf;
    rtf.SetShowDialog(false);
    rtf.SetShowProgress(false);
    rtf.SetFileName(dir.filePath(QStringLiteral("bench.rtf")));
    QElapsedTimer timer;
    timer.start();
    const bool ok = exports::ExportPreparedPages(report.PreviewPages(), &rtf);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qint64 size = QFileInfo(rtf.FileName()).size();
    std::printf("rtf     %7d rows, %4d pages: %8.1f ms  (%s, %.1f MB)\n", rows, report.PreviewPages().Count(), ms,
                ok ? "ok" : "FAILED", double(size) / 1e6);
  }
  return 0;
}
