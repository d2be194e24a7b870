// The "Raport" command over a large log: how soon the first page shows in
// the preview while the rest is prepared, how long paging and scrolling take
// to draw a page at 100 %, and the memory the whole run needs.
//
// Usage: bench_app_report_preview [ROWS] [REPORT.fr3]
// (defaults: 100000 rows, the program's own Dane/Raport.fr3 from bin/).
// Runs on any Qt platform (QT_QPA_PLATFORM=offscreen without a display).
// Prints plain "name: value" lines; exit status 1 when a figure misses its target.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/log_statements.h"
#include "app/report_windows.h"
#include "bench_log.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_install.h"
#include "preview/preview_workspace.h"
#include "report/engine/aggregates.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/script_classes.h"

using namespace valmoro;

namespace {

constexpr double kFirstPageTargetMs = 500;
constexpr double kPageDrawTargetMs = 30;

long peakMemoryKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLong();
  return -1;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
  const QString reportFile = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                      : QDir(QCoreApplication::applicationDirPath())
                                            .filePath(QStringLiteral("../bin/Dane/Raport.fr3"));
  app::installReportWindows();

  QTemporaryDir dir;
  const QString dbPath = dir.filePath(QStringLiteral("log.db"));
  if (!bench::makeLog(dbPath, rows)) return 2;
  db::Connection connection;
  db::DataSet log(&connection);
  connection.open(dbPath);
  log.setCommandText(app::statements::S5);
  log.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
  log.setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  log.setDisplayFormat(QStringLiteral("Wilgotnosc"), QStringLiteral("#,##0.00"));
  log.open();
  report::TfrxDBDataset wpisy;
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  wpisy.SetDataSet(&log);

  report::TfrxReport report;
  report.PreviewOptions()->SetButtons(report::pbPrint | report::pbExport | report::pbZoom | report::pbFind |
                                      report::pbOutline | report::pbPageSetup | report::pbNavigator);
  // As the main window's report: finished pages wait in a temporary file.
  report.EngineOptions()->SetUseFileCache(true);
  if (!report.LoadFromFile(reportFile, false)) {
    std::fprintf(stderr, "no report file %s\n", qPrintable(reportFile));
    return 2;
  }

  QElapsedTimer clock;
  double firstPageMs = -1;
  double busyMs = -1;
  double preparedMs = -1;
  int pages = 0;
  std::vector<double> paging, scrolling;
  bool watching = false;

  // Watches the window while it runs modally: the first page drawn, the end
  // of the preparation, then paging and scrolling, then closes it.
  QTimer watch;
  watch.setInterval(0);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    preview::TfrxPreviewForm* form = preview::OpenPreviewForm();
    if (!form) return;
    preview::TfrxPreview* p = form->Preview();
    if (!watching) {
      watching = true;
      QObject::connect(p, &preview::TfrxPreview::busyChanged, [&](bool busy) {
        if (busy && busyMs < 0) busyMs = clock.nsecsElapsed() / 1e6;
      });
    }
    // Paint events run while the preparation lets the event loop turn: the
    // first one that drew a page is when the user sees it.
    if (firstPageMs < 0 && p->Workspace()->LastPaintedPages() > 0) firstPageMs = clock.nsecsElapsed() / 1e6;
    if (p->Busy() || p->PageCount() == 0 || preparedMs >= 0) return;
    preparedMs = clock.nsecsElapsed() / 1e6;
    pages = p->PageCount();
    watch.stop();
    p->SetZoom(1);
    QElapsedTimer t;
    const int step = std::max(1, pages / 200);
    for (int n = 1; n <= pages; n += step) {
      p->SetPageNo(n);
      t.start();
      p->Workspace()->viewport()->repaint();
      paging.push_back(t.nsecsElapsed() / 1e6);
    }
    p->SetPageNo(1);
    QScrollBar* bar = p->Workspace()->verticalScrollBar();
    for (int i = 0; i < 300; ++i) {
      bar->setValue(bar->value() + 300);
      t.start();
      p->Workspace()->viewport()->repaint();
      scrolling.push_back(t.nsecsElapsed() / 1e6);
    }
    form->done(0);
  });
  watch.start();
  clock.start();
  report.ShowReport(true);

  const double pagingMax = paging.empty() ? 0 : *std::max_element(paging.begin(), paging.end());
  const double scrollMax = scrolling.empty() ? 0 : *std::max_element(scrolling.begin(), scrolling.end());
  std::printf("rows: %d\n", rows);
  std::printf("pages: %d\n", pages);
  std::printf("first page reached the preview (ms): %.1f\n", busyMs);
  std::printf("first page shown (ms): %.1f\n", firstPageMs);
  std::printf("all pages prepared (ms): %.1f\n", preparedMs);
  std::printf("paging, draw one page at 100%% (ms): median %.2f, max %.2f over %zu pages\n", median(paging),
              pagingMax, paging.size());
  std::printf("scrolling 300 px, draw (ms): median %.2f, max %.2f over %zu steps\n", median(scrolling), scrollMax,
              scrolling.size());
  std::printf("peak memory (MiB): %.1f\n", peakMemoryKiB() / 1024.0);
  const bool ok = firstPageMs >= 0 && firstPageMs <= kFirstPageTargetMs && pagingMax <= kPageDrawTargetMs &&
                  median(scrolling) <= kPageDrawTargetMs;
  return ok ? 0 : 1;
}
