// valmoro-report as a user calls it: exit statuses and output.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qt_printers.h"
#include "tools_support.h"

namespace valmoro {
namespace {

TEST(ReportTool, HelpAndWrongCalls) {
  const ToolRun help = runTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.startsWith("usage: valmoro-report COMMAND [ARGUMENTS]\n")) << help.out.toStdString();
  const ToolRun none = runTool({});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_TRUE(none.err.startsWith("usage: valmoro-report")) << none.err.toStdString();
  const ToolRun unknown = runTool({"no-such-command"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(unknown.err.startsWith("valmoro-report: unknown command 'no-such-command'\nusage: "));
}

TEST(ReportTool, ScriptParsePrintsProgramXmlOrThePositionedError) {
  QTemporaryDir dir;
  const QString good = dir.filePath("dobry.pas");
  const QString bad = dir.filePath("zly.pas");
  {
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("begin\r\n  x := 1 + 2;\r\nend.\r\n");
  }
  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("begin\r\n  x := ;\r\nend.\r\n");
  }
  const ToolRun ok = runTool({"script", "parse", good});
  EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
  EXPECT_TRUE(ok.out.contains("<assignstmt pos=\"2:3\">")) << ok.out.toStdString();
  const ToolRun failed = runTool({"script", "parse", bad});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_TRUE(failed.err.startsWith(bad + ":2:8: ")) << failed.err.toStdString();
  EXPECT_EQ(runTool({"script", "frobnicate"}).exitCode, 2);
}

}  // namespace
}  // namespace valmoro
