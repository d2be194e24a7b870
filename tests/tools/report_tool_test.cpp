// valmoro-report as a user calls it: exit statuses and output.

#include <QProcess>
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

}  // namespace
}  // namespace valmoro
