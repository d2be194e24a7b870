#pragma once
// What the designer's benchmarks share: a headless application set up as
// the designer's tests set it up, and the timing helpers.

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

#include "platform/dialogs.h"
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

}  // namespace valmoro::bench
