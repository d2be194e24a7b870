// The prepared-page store under load. Targets:
//   rows:  1,000,000 rows of five text views with UseFileCache keep the
//          process under 300 MB resident; a stored text view costs at most
//          120 bytes of XML on average;
//   file:  saving and loading a prepared report at 50 MB/s or more;
//   read:  any page of a 10,000-page store is read in under 5 ms.
// Usage: bench_report_prepared_pages [rows|file|read] [ROWS, or PAGES for read]. Run "rows"
// first in its own process: the resident figure is the process's peak.
// Times are processor time of the process.

#include <QBuffer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <ctime>
#include <cstdio>
#include <random>
#include <sys/resource.h>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"

using namespace valmoro::report;

namespace {

// Processor time of this process: the figures stay meaningful on a machine
// shared with other work.
struct CpuClock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
  }
};

double secondsSince(double start) { return CpuClock::now() - start; }

long peakResidentMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// A report page with one data band of five text views, 50 rows a page.
struct Design {
  TfrxReport report;
  TfrxReportPage* page;
  TfrxMasterData* band;
  TfrxMemoView* memos[5];
  static constexpr int kRowsPerPage = 50;

  Design() {
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetBounds(0, 0, 718, 20);
    for (int i = 0; i < 5; ++i) {
      memos[i] = new TfrxMemoView(band);
      memos[i]->SetName(QStringLiteral("Memo%1").arg(i + 1));
      memos[i]->SetBounds(140 * i, 0, 136, 18);
    }
  }

  void run(int rows) {
    TfrxPreviewPages& pages = report.PreviewPages();
    pages.Clear();
    pages.Initialize();
    pages.AddSourceObjects(page);
    pages.BeginPass();
    for (int r = 0; r < rows; ++r) {
      if (r % kRowsPerPage == 0) pages.AddPage(page);
      band->SetTop(20 * (r % kRowsPerPage));
      memos[0]->SetText(QString::number(r + 1));
      memos[1]->SetText(QStringLiteral("2024-01-%1 12:%2").arg(1 + r % 28).arg(r % 60, 2, 10, QLatin1Char('0')));
      memos[2]->SetText(QStringLiteral("Magazyn główny"));
      memos[3]->SetText(QString::number(-5 + (r % 300) / 10.0, 'f', 1));
      memos[4]->SetText(QString::number(40 + (r % 500) / 10.0, 'f', 1));
      pages.AddObject(band);
    }
    pages.ResetLogicalPageNumber();
    pages.Finish();
  }
};

// Bytes of XML the text views of one page take: each element as written,
// "<", name, attributes, "/>" and the indentation of its level.
double bytesPerTextView(TfrxPreviewPages& pages, int index) {
  TfrxXMLItem* page = pages.PagesNode()->Items(index);
  if (page->Unloaded()) pages.XML().LoadItem(page);
  qint64 bytes = 0;
  int views = 0;
  for (int b = 0; b < page->Count(); ++b)
    for (int m = 0; m < page->Items(b)->Count(); ++m) {
      const TfrxXMLItem& item = *page->Items(b)->Items(m);
      bytes += 8 + item.Name.toUtf8().size() + item.Text.toUtf8().size() + 4;
      ++views;
    }
  return views ? double(bytes) / views : 0;
}

void rowsBench(int rows) {
  Design d;
  d.report.EngineOptions()->SetUseFileCache(true);
  QTemporaryDir temp;
  d.report.EngineOptions()->SetTempDir(temp.path());
  const auto start = CpuClock::now();
  d.run(rows);
  const double seconds = secondsSince(start);
  TfrxPreviewPages& pages = d.report.PreviewPages();
  std::printf("rows: %d rows x 5 text views, %d pages (%d in the temporary file, %.1f MB) in %.1f s\n", rows,
              pages.Count(), pages.PagesInFile(), pages.XML().TempFileSize() / 1048576.0, seconds);
  std::printf("rows: peak resident %ld MB (target < 300)\n", peakResidentMb());
  std::printf("rows: XML per stored text view %.1f bytes (target <= 120)\n", bytesPerTextView(pages, 1));
}

void fileBench(int rows) {
  Design d;
  d.run(rows);
  TfrxPreviewPages& pages = d.report.PreviewPages();
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  auto start = CpuClock::now();
  pages.SaveToStream(out);
  const double save = secondsSince(start);
  const double mb = out.data().size() / 1048576.0;
  TfrxReport other;
  QBuffer in(&out.buffer());
  in.open(QIODevice::ReadOnly);
  start = CpuClock::now();
  other.PreviewPages().LoadFromStream(in);
  const double load = secondsSince(start);
  std::printf("file: %.1f MB, %d pages; save %.2f s (%.0f MB/s), load %.2f s (%.0f MB/s) (target >= 50 MB/s)\n", mb,
              other.PreviewPages().Count(), save, mb / save, load, mb / load);
}

void readBench(int pageCount) {
  Design d;
  d.report.EngineOptions()->SetUseFileCache(true);
  QTemporaryDir temp;
  d.report.EngineOptions()->SetTempDir(temp.path());
  d.run(pageCount * Design::kRowsPerPage);
  TfrxPreviewPages& pages = d.report.PreviewPages();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, pages.Count() - 1);
  double worst = 0, total = 0;
  const int reads = 2000;
  for (int i = 0; i < reads; ++i) {
    const int index = pick(random);
    const auto start = CpuClock::now();
    TfrxReportPage* page = pages.Page(index);
    const double ms = secondsSince(start) * 1000;
    if (!page) std::printf("read: page %d missing\n", index);
    worst = std::max(worst, ms);
    total += ms;
  }
  std::printf("read: %d pages of %d objects each; %d random reads: mean %.2f ms, worst %.2f ms (target < 5)\n",
              pages.Count(), int(pages.Page(0)->AllObjects().size()), reads, total / reads, worst);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const int rows = argc > 2 ? std::atoi(argv[2]) : 0;
  if (what.isEmpty() || what == QLatin1String("rows")) rowsBench(rows > 0 ? rows : 1000000);
  if (what.isEmpty() || what == QLatin1String("file")) fileBench(rows > 0 ? rows : 100000);
  if (what.isEmpty() || what == QLatin1String("read")) readBench(rows > 0 ? rows : 10000);
  return 0;
}
