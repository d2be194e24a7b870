#pragma once
// What every harness needs before its first input: a Qt application that is
// never destroyed (a function-static one would go after what it depends on
// at exit and end every run with a crash), the offscreen platform, message
// boxes recorded instead of shown, and a scratch folder as the working
// folder, since the inputs may write files.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
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
  (void)new QGuiApplication(argc, argv);
  dialogs::setMode(dialogs::Mode::Recording);
  auto* scratch = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/valmoro-fuzz-XXXXXX"));
  if (scratch->isValid()) QDir::setCurrent(scratch->path());
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
