// A reading whose save was acknowledged is never lost: a program killed
// right after the acknowledgement leaves it in the database.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>

#include "platform/database.h"

namespace valmoro {
namespace {

constexpr int kReadings = 40;

// Started by the test below as a process of its own: posts readings one by
// one through an editable data set, as the entry form does, saying each
// save once it was acknowledged, and then waits to be killed.
TEST(DatabaseDurabilityChild, SavesReadingsAndWaitsToBeKilled) {
  const QByteArray path = qgetenv("VALMORO_DURABILITY_DB");
  if (path.isEmpty()) GTEST_SKIP() << "run by DatabaseDurability";
  db::Connection connection;
  connection.open(QString::fromLocal8Bit(path));
  db::DataSet readings(&connection);
  readings.setCommandText(QStringLiteral("SELECT * FROM Odczyty"));
  readings.setEditable(true);
  readings.open();
  for (int i = 1; i <= kReadings; ++i) {
    readings.append();
    readings.setFieldValue(readings.fieldIndex("Numer"), i);
    readings.setFieldValue(readings.fieldIndex("Temperatura"), 20.5 + i);
    readings.post();
    std::printf("zapisano %d\n", i);
    std::fflush(stdout);
  }
  for (;;) QThread::sleep(1);
}

int rowsIn(const QString& path) {
  db::Connection connection;
  connection.open(path);
  QSqlQuery q(connection.database());
  if (!q.exec(QStringLiteral("SELECT count(*) FROM Odczyty")) || !q.next()) return -1;
  return q.value(0).toInt();
}

TEST(DatabaseDurability, EveryAcknowledgedReadingOutlivesAKillRightAfterIt) {
  QTemporaryDir dir;
  const QString path = dir.filePath("dziennik.db");
  {
    db::Connection connection;
    QFile(path).open(QIODevice::WriteOnly);
    connection.open(path);
    QSqlQuery q(connection.database());
    ASSERT_TRUE(q.exec("CREATE TABLE Odczyty (Id INTEGER PRIMARY KEY, Numer INTEGER, Temperatura REAL)"));
    // Commits wait for the disk.
    ASSERT_TRUE(q.exec("PRAGMA synchronous") && q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    ASSERT_TRUE(q.exec("PRAGMA journal_mode") && q.next());
    EXPECT_EQ(q.value(0).toString(), "wal");
  }
  // Killed at once after the acknowledgement of save k, for several k.
  int expected = 0;
  for (const int killAfter : {1, 7, 23, kReadings}) {
    SCOPED_TRACE(killAfter);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VALMORO_DURABILITY_DB", path);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DatabaseDurabilityChild.*"});
    ASSERT_TRUE(child.waitForStarted());
    const QByteArray wanted = "zapisano " + QByteArray::number(killAfter) + "\n";
    QByteArray said;
    while (!said.contains(wanted) && child.state() == QProcess::Running) {
      child.waitForReadyRead(200);
      said += child.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains(wanted)) << said.toStdString();
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    expected += killAfter;
    // Every acknowledged reading is there; the writer may have saved more
    // before the kill reached it.
    const int rows = rowsIn(path);
    EXPECT_GE(rows, expected);
    expected = rows;
  }
}

}  // namespace
}  // namespace valmoro
