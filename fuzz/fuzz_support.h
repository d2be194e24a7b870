#pragma once
// What every harness needs before its first input: a Qt application that is
// never destroyed (a function-static one would go after what it depends on
// at exit and end every run with a crash), the offscreen platform, message
// boxes recorded instead of shown. The inputs may write files into the
// working folder: run the harnesses in a scratch folder (run-all runs each
// in its own under fuzz/work/). The folder is not changed here, since
// libFuzzer reads its corpus by the paths it was given.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdlib>

#include "platform/dialogs.h"

namespace valmoro::fuzz {

inline void startOnce(const char* harness) {
  static bool started = false;
  if (started) return;
  started = true;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char* argv[] = {const_cast<char*>(harness), nullptr};
  // Held by static pointers: still reachable at exit, not leaks.
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
  dialogs::setMode(dialogs::Mode::Recording);
}

// Seeds a harness makes itself (what no file of the tests holds): written
// into the folder VALMORO_FUZZ_SEEDS names, before the first input, when
// run-all asks for them.
inline bool wantSeeds(QString* folder) {
  const QByteArray dir = qgetenv("VALMORO_FUZZ_SEEDS");
  if (dir.isEmpty()) return false;
  *folder = QString::fromLocal8Bit(dir);
  return QDir().mkpath(*folder);
}

inline void writeSeed(const QString& folder, const QString& name, const QByteArray& bytes) {
  QFile file(QDir(folder).filePath(name));
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// What one input showed is not kept for the next.
inline void forgetMessages() { dialogs::clearRecordedMessages(); }

}  // namespace valmoro::fuzz
