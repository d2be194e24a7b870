#pragma once
// What the designer's benchmarks share: a headless application set up as
// the designer's tests set it up, and the timing helpers.

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QString>
#include <cstdio>
#include <algorithm>
#include <vector>

#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

namespace valmoro::bench {

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

inline double msSince(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

// The application of a designer benchmark: Qt's offscreen platform unless
// another is asked for, settings and files in test places, message boxes
// recorded instead of shown, the report subsystem installed.
class DesignerBenchApp {
public:
  DesignerBenchApp(int& argc, char** argv) : app_((useOffscreenUnlessSet(), argc), argv) {
    QStandardPaths::setTestModeEnabled(true);
    dialogs::setMode(dialogs::Mode::Recording);
    report::installReportSubsystem();
  }

private:
  static void useOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app_;
};

// Loads the report a benchmark works on: the file named first on its command
// line, else `fallback`; false (said on standard error) when it cannot be read.
inline bool loadBenchReport(report::TfrxReport& report, int argc, char** argv, const QString& fallback) {
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : fallback;
  try {
    if (report.LoadFromFile(path, true)) return true;
    std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
  } catch (const report::ReportError& e) {
    std::fprintf(stderr, "%s\n", qPrintable(e.message()));
  }
  return false;
}

// A page "Page1" with one data band "MasterData1" holding `count` text views
// ("Memo1" …) in rows of 25, positions and texts differing; the band.
inline report::TfrxBand* addManyViews(report::TfrxReport& report, int count) {
  auto* page = new report::TfrxReportPage(&report);
  page->SetName(QStringLiteral("Page1"));
  auto* band = new report::TfrxMasterData(page);
  band->SetName(QStringLiteral("MasterData1"));
  band->SetBounds(0, 20, page->Width(), 1000);
  for (int i = 0; i < count; ++i) {
    auto* memo = new report::TfrxMemoView(band);
    memo->SetName(QStringLiteral("Memo%1").arg(i + 1));
    memo->SetBounds(10 + (i % 25) * 28, 10 + (i / 25) * 24, 26, 20);
    memo->SetText(QString::number(i + 1));
  }
  return band;
}

}  // namespace valmoro::bench
