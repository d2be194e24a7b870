// Test entry point: a QApplication on the offscreen platform, so that windows
// can be created and driven without a display.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#ifdef VALMORO_TEST_INSTALLS_REPORT
#include "report/run/install.h"
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  valmoro::dialogs::setMode(valmoro::dialogs::Mode::Recording);
#ifdef VALMORO_TEST_INSTALLS_REPORT
  // Tests that read what the program wrote use the report subsystem as the
  // program does.
  valmoro::report::installReportSubsystem();
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
