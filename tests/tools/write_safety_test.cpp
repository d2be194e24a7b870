// Files people depend on survive a writer that dies or runs out of room:
// the target is afterwards the old file or the new one, whole, and nothing
// half-written is left where the program would read it.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>

#include "tools_support.h"

namespace valmoro {
namespace {

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// One kind of file the tool writes: the call that writes `target`, and how
// a whole file of the kind ends.
struct Writer {
  const char* name;
  QStringList (*call)(const QString& input, const QString& target);
  const char* suffix;
  bool (*whole)(const QByteArray& bytes);
};

bool wholePdf(const QByteArray& b) { return b.startsWith("%PDF-") && b.trimmed().endsWith("%%EOF"); }
bool wholeRtf(const QByteArray& b) { return b.startsWith("{\\rtf") && b.trimmed().endsWith("}"); }
// A zip archive ends with its central directory's end record (no comment).
bool wholeXlsx(const QByteArray& b) { return b.startsWith("PK") && b.size() > 22 && b.right(22).startsWith("PK\x05\x06"); }
bool wholeFp3(const QByteArray& b) { return b.startsWith("<?xml") && b.trimmed().endsWith("</preparedreport>"); }
bool wholeFr3(const QByteArray& b) { return b.startsWith("<?xml") && b.trimmed().endsWith("</TfrxReport>"); }

const Writer kWriters[] = {
    {"export pdf", [](const QString& in, const QString& out) { return QStringList{"export", "--format", "pdf", in, "-o", out}; }, "pdf", wholePdf},
    {"export rtf", [](const QString& in, const QString& out) { return QStringList{"export", "--format", "rtf", in, "-o", out}; }, "rtf", wholeRtf},
    {"export xlsx", [](const QString& in, const QString& out) { return QStringList{"export", "--format", "xlsx", in, "-o", out}; }, "xlsx", wholeXlsx},
    {"print to pdf", [](const QString& in, const QString& out) { return QStringList{"print", in, "-o", out}; }, "pdf", wholePdf},
};

class WriteSafety : public ::testing::Test {
protected:
  void SetUp() override {
    fp3 = dir.filePath("raport.fp3");
    makePreparedPages(fp3, 300);
    document = dir.filePath("wiersze.fr3");
    makeRowsDocument(document, 3000);
    out = dir.filePath("wynik");
    ASSERT_TRUE(QDir().mkpath(out));
  }
  // Every call with the file it reads and the kind of what it writes.
  struct Case {
    QString name;
    QStringList args;
    QString target;
    bool (*whole)(const QByteArray&);
  };
  QList<Case> cases() const {
    QList<Case> all;
    for (const Writer& w : kWriters) {
      const QString target = out + "/raport." + w.suffix;
      all.append({w.name, w.call(fp3, target), target, w.whole});
    }
    all.append({"prepare", {"prepare", document, "-o", out + "/wiersze.fp3"}, out + "/wiersze.fp3", wholeFp3});
    all.append({"resave", {"resave", QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), out + "/Raport.fr3"},
                out + "/Raport.fr3", wholeFr3});
    return all;
  }
  // A case starts with an output folder of nothing but the old target.
  void startCase(const Case& c, const QByteArray& old) {
    for (const QString& name : QDir(out).entryList(QDir::Files | QDir::Hidden)) QFile::remove(out + "/" + name);
    writeBytes(c.target, old);
  }
  // What is in the output folder besides `target`.
  QStringList others(const QString& target) const {
    QStringList names = QDir(out).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QFileInfo(target).fileName());
    return names;
  }

  QTemporaryDir dir;
  QString fp3, document, out;
};

TEST_F(WriteSafety, AWriteThatRunsOutOfRoomKeepsThePreviousFileAndLeavesNothingElse) {
  const QByteArray old = "stary plik, który ma przetrwać\n";
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name.toStdString());
    startCase(c, old);
    QProcess p;
    p.start(QStringLiteral("bash"), QStringList{"-c", "ulimit -f 4; exec \"$0\" \"$@\"", QStringLiteral(VALMORO_REPORT_TOOL)} + c.args);
    const ToolRun run = finishedRun(p);
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    const QString said = run.out + run.err;
    EXPECT_TRUE(said.contains("Plik jest za duży")) << said.toStdString();
    EXPECT_TRUE(said.contains(QFileInfo(c.target).fileName())) << said.toStdString();
    EXPECT_FALSE(said.contains("Unknown error")) << said.toStdString();
    EXPECT_EQ(bytesOf(c.target), old);
    EXPECT_EQ(others(c.target), QStringList{});
  }
}

// Killed at moments spread over the time a whole write takes (the seed is
// fixed so that a failure comes back): the target is the old file or the
// new one, whole. A killed writer cannot remove its temporary file; that
// file has a name of its own, which the program never reads.
TEST_F(WriteSafety, AKilledWriterLeavesTheOldFileOrTheNewOneWhole) {
  const QByteArray old = "stary plik, który ma przetrwać\n";
  QRandomGenerator random(20261211);
  QElapsedTimer budget;
  budget.start();
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name.toStdString());
    // How long a whole write takes here.
    startCase(c, old);
    QFile::remove(c.target);
    QElapsedTimer timer;
    timer.start();
    QProcess whole;
    whole.start(QStringLiteral(VALMORO_REPORT_TOOL), c.args);
    const ToolRun done = finishedRun(whole);
    ASSERT_EQ(done.exitCode, 0) << done.out.toStdString() << done.err.toStdString();
    const qint64 took = std::max<qint64>(timer.elapsed(), 20);
    ASSERT_TRUE(c.whole(bytesOf(c.target)));

    int replaced = 0;
    for (int round = 0; round < 8 && budget.elapsed() < 150000; ++round) {
      writeBytes(c.target, old);
      const int delay = int(random.bounded(qint64(took + took / 4)));
      QProcess p;
      p.start(QStringLiteral(VALMORO_REPORT_TOOL), c.args);
      ASSERT_TRUE(p.waitForStarted());
      QThread::msleep(delay);
      ::kill(pid_t(p.processId()), SIGKILL);
      p.waitForFinished(30000);
      const QByteArray now = bytesOf(c.target);
      if (now != old) {
        EXPECT_TRUE(c.whole(now)) << "killed after " << delay << " ms: " << now.size() << " bytes, not whole";
        ++replaced;
      }
      // Only the writer's own temporary files, named after the target with
      // a suffix of their own, may stay behind.
      for (const QString& name : others(c.target)) {
        EXPECT_TRUE(name.contains(QFileInfo(c.target).fileName() + ".")) << name.toStdString();
        EXPECT_FALSE(name.endsWith(QLatin1Char('.') + QFileInfo(c.target).suffix())) << name.toStdString();
        QFile::remove(out + "/" + name);
      }
    }
    std::printf("%s: a whole write %lld ms, new file after %d of the kills\n", qPrintable(c.name), took, replaced);
  }
}

}  // namespace
}  // namespace valmoro
