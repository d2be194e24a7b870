// PDF export of the log list the program's report prints: pages shaped like
// Raport.fr3's (page header with five bold column captions, rows of five
// 10-point text views, 18.9 pixels high), filled from a generated SQLite log
// read row by row, written through the PDF filter and the export run.
// Prints rows per second, megabytes resident at the end and bytes per page.
//
// Usage: bench_export_pdf [rows…]   (default 10000 100000)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "bench_memory.h"
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <memory>

#include "bench/bench_log.h"
#include "export/pdf_export.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/frame.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_font.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "tests/export/export_support.h"

namespace {

using namespace valmoro;
using namespace valmoro::report;

constexpr double kColumns[5][2] = {{0, 132.28}, {132.28, 188.98}, {321.26, 113.39}, {434.65, 113.39}, {566.93, 151.18}};
constexpr double kRowHeight = 18.89765;
constexpr int kRowsPerPage = 49;

// Processor time of this process so far (user + system), seconds: on a
// shared machine the figure that says what one core does.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKb() { return bench::residentKilobytes(); }

// Pages made on demand from the log, one at a time, as the page store hands
// them to the export run.
class LogPages : public exports::testing::HeldPages {
public:
  LogPages(TfrxReport* report, const QString& connection, int rows)
      : HeldPages(report), query_(QSqlDatabase::database(connection)), rows_(rows) {
    query_.setForwardOnly(true);
    query_.exec(QStringLiteral("SELECT Data, Punkt, Temperatura, Wilgotnosc, Pracownik FROM Wpisy ORDER BY Data"));
  }
  int Count() const override { return (rows_ + kRowsPerPage - 1) / kRowsPerPage; }
  TfrxReportPage* Page(int index) override {
    page_ = std::make_unique<TfrxReportPage>();
    for (auto m : {&TfrxReportPage::SetLeftMargin, &TfrxReportPage::SetRightMargin, &TfrxReportPage::SetTopMargin,
                   &TfrxReportPage::SetBottomMargin})
      (page_.get()->*m)(10);
    auto* header = exports::testing::addBand<TfrxPageHeader>(page_.get(), 0, 26.46);
    const char* captions[5] = {"Data i godzina", "Punkt pomiarowy", "Temperatura [°C]", "Wilgotność [%]", "Pracownik"};
    for (int c = 0; c < 5; ++c) {
      auto* memo = exports::testing::addMemo(header, kColumns[c][0], 1.89, kColumns[c][1], 22.68,
                                             QString::fromUtf8(captions[c]));
      memo->Font()->SetStyle(TFontStyles(fsBold));
      memo->Frame()->SetTyp(TfrxFrameTypes(ftBottom));
      memo->SetVAlign(vaCenter);
      if (c == 2 || c == 3) memo->SetHAlign(haRight);
    }
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    const int first = index * kRowsPerPage;
    for (int r = 0; r < kRowsPerPage && first + r < rows_ && query_.next(); ++r) {
      auto* band = exports::testing::addBand<TfrxMasterData>(page_.get(), 30 + r * kRowHeight, kRowHeight);
      const QString texts[5] = {query_.value(0).toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")),
                                query_.value(1).toString(), polish.toString(query_.value(2).toDouble(), 'f', 2),
                                polish.toString(query_.value(3).toDouble(), 'f', 2), query_.value(4).toString()};
      for (int c = 0; c < 5; ++c) {
        auto* memo = exports::testing::addMemo(band, kColumns[c][0], 0, kColumns[c][1], kRowHeight, texts[c]);
        if (c == 2 || c == 3) memo->SetHAlign(haRight);
      }
    }
    return page_.get();
  }

private:
  QSqlQuery query_;
  int rows_;
  std::unique_ptr<TfrxReportPage> page_;
};

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  QList<int> sizes;
  for (int i = 1; i < argc; ++i) sizes << QString::fromLatin1(argv[i]).toInt();
  if (sizes.isEmpty()) sizes = {10000, 100000};
  QTemporaryDir dir;
  std::printf("%10s %8s %10s %10s %12s %8s %12s\n", "rows", "pages", "wall s", "CPU s", "rows/CPU s", "RSS MB",
              "bytes/page");
  for (int rows : sizes) {
    const QString db = dir.filePath(QStringLiteral("log%1.db").arg(rows));
    if (!bench::makeLog(db, rows)) return 1;
    const QString connection = QStringLiteral("bench_pdf");
    {
      QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
      database.setDatabaseName(db);
      database.open();
      TfrxReport report;
      report.SetNoPumping(true);
      report.EngineOptions()->SetNewSilentMode(simSilent);
      exports::TfrxPDFExport filter;
      filter.SetShowDialog(false);
      filter.SetShowProgress(false);
      const QString out = dir.filePath(QStringLiteral("log%1.pdf").arg(rows));
      filter.SetFileName(out);
      QElapsedTimer timer;
      timer.start();
      const double cpuStart = cpuSeconds();
      LogPages pages(&report, connection, rows);
      const bool ok = exports::ExportPreparedPages(pages, &filter);
      const double seconds = timer.nsecsElapsed() / 1e9;
      const double cpu = cpuSeconds() - cpuStart;
      const long rss = residentKb();
      if (!ok) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(report.Errors().join('\n')));
        return 1;
      }
      const qint64 size = QFileInfo(out).size();
      std::printf("%10d %8d %10.2f %10.2f %12.0f %8.1f %12lld\n", rows, pages.Count(), seconds, cpu, rows / cpu,
                  rss / 1024.0, size / std::max(1, pages.Count()));
      std::fflush(stdout);
      QFile::remove(out);
    }
    QSqlDatabase::removeDatabase(connection);
  }
  return 0;
}
