// Test entry point: a QApplication on the offscreen platform, so that windows
// can be created and driven without a display.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/dialogs.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  valmoro::dialogs::setMode(valmoro::dialogs::Mode::Recording);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
