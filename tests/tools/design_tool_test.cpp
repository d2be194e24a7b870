// valmoro-report design, run as a user runs it: wrong calls, a database it
// cannot reach, and a designer that a session ending closes without
// touching the file.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "tools_support.h"

namespace valmoro {
namespace {

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(DesignTool, WrongCallsAndUnreachableDataAreRefused) {
  ToolRun run = runTool({"design"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.err.startsWith("usage: valmoro-report design FILE.fr3")) << run.err.toStdString();
  run = runTool({"design", "a.fr3", "b.fr3"});
  EXPECT_EQ(run.exitCode, 2);

  QTemporaryDir dir;
  const QString missing = dir.filePath("brak.db");
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(VALMORO_REPORT_TOOL, {"design", dir.filePath("Raport.fr3"), "--database", missing, "--module", "Magazyn"});
  run = finishedRun(p);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.err.isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath("Raport.fr3")));
}

TEST(DesignTool, AnEndingSessionClosesTheDesignerAndLeavesTheFileAsItWas) {
  QTemporaryDir dir;
  const QString report = dir.filePath("Raport.fr3");
  ASSERT_TRUE(QFile::copy(VALMORO_SOURCE_DIR "/data/Raport.fr3", report));
  const QByteArray before = bytesOf(report);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  p.setProcessEnvironment(env);
  p.start(VALMORO_REPORT_TOOL, {"design", report});
  ASSERT_TRUE(p.waitForStarted(10000));
  // The designer is up (it returns only when closed).
  EXPECT_FALSE(p.waitForFinished(3000));
  ::kill(pid_t(p.processId()), SIGTERM);
  const ToolRun run = finishedRun(p);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(bytesOf(report), before);
  EXPECT_FALSE(QFile::exists(report + ".bak"));
}

}  // namespace
}  // namespace valmoro
