// A file that cannot be written because the disk is full or the file may not
// grow any more: every writer says so in Polish, names the file, exits with 1
// and leaves no half-written file behind.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tools_support.h"

namespace valmoro {
namespace {

// The tool run under a file size limit of `kilobytes` (the shell's ulimit -f).
ToolRun runLimited(int kilobytes, const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("bash"), QStringList{QStringLiteral("-c"),
                                              QStringLiteral("ulimit -f %1; exec \"$0\" \"$@\"").arg(kilobytes),
                                              QStringLiteral(VALMORO_REPORT_TOOL)} +
                                      args);
  return finishedRun(p);
}

class DiskErrorsTool : public ::testing::Test {
protected:
  void SetUp() override {
    fp3 = dir.filePath("raport.fp3");
    makePreparedPages(fp3, 300);
    out = dir.filePath("wynik");
    ASSERT_TRUE(QDir().mkpath(out));
  }
  QStringList leftInOut() const { return QDir(out).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir;
  QString fp3, out;
};

TEST_F(DiskErrorsTool, EveryWriterNamesTheFileSizeLimit) {
  for (const QString& format : {QStringLiteral("pdf"), QStringLiteral("rtf"), QStringLiteral("xlsx")}) {
    SCOPED_TRACE(format.toStdString());
    const QString target = out + "/raport." + format;
    const ToolRun run = runLimited(8, {"export", "--format", format, fp3, "-o", target});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Plik jest za duży")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("raport." + format)) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("Unknown error")) << run.out.toStdString();
    EXPECT_EQ(leftInOut(), QStringList{});
  }

  // The prepared report of a document.
  const QString document = dir.filePath("wiersze.fr3");
  makeRowsDocument(document, 2000);
  ToolRun run = runLimited(8, {"prepare", document, "-o", out + "/wiersze.fp3"});
  EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("Plik jest za duży")) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("wiersze.fp3")) << run.out.toStdString();
  EXPECT_EQ(leftInOut(), QStringList{});

  // A drawn page.
  run = runLimited(4, {"render", fp3, "--pages", "1", "--dpi", "200", "-o", out + "/strona.png"});
  EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("Plik jest za duży")) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("strona.png")) << run.out.toStdString();
  EXPECT_EQ(leftInOut(), QStringList{});
}

TEST_F(DiskErrorsTool, AFullDiskIsNamedAsSuch) {
  // A small disk of its own, in a mount namespace of the test's own.
  const QString script = QStringLiteral(
      "mount -t tmpfs -o size=48k valmoro \"$1\" || exit 99; shift; exec \"$@\"");
  QProcess p;
  p.start(QStringLiteral("unshare"),
          {"-rm", "sh", "-c", script, "sh", out, QStringLiteral(VALMORO_REPORT_TOOL), "export", "--format", "pdf", fp3,
           "-o", out + "/raport.pdf"});
  if (!p.waitForFinished(120000) || (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 99) ||
      p.error() == QProcess::FailedToStart)
    GTEST_SKIP() << "no private mount for a small disk here";
  const QString said = QString::fromUtf8(p.readAllStandardOutput());
  if (p.exitCode() != 1 && said.isEmpty()) GTEST_SKIP() << "no private mount for a small disk here";
  EXPECT_EQ(p.exitCode(), 1) << said.toStdString();
  EXPECT_TRUE(said.contains("Brak miejsca na dysku")) << said.toStdString();
  EXPECT_TRUE(said.contains("raport.pdf")) << said.toStdString();
}

}  // namespace
}  // namespace valmoro
