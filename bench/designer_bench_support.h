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
#include "report/model/report.h"
#include "report/model/report_error.h"
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

}  // namespace valmoro::bench
