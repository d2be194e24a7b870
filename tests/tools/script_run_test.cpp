// valmoro-report script run and script eval as a user calls them.

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qt_printers.h"
#include "tools_support.h"

namespace valmoro {
namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
  const QString path = dir.filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(text);
  return path;
}

TEST(ScriptRun, SameProgramInEveryLanguagePrintsTheSameLines) {
  const QString expected = QStringLiteral("55\n720\n20\nxyyy\n110\nhundred ten\nDivision by zero\nbig\n");
  for (const char* file : {"same.pas", "same.cpp", "same.bas", "same.js"}) {
    const ToolRun run = runTool(
        {"script", "run", QStringLiteral(VALMORO_SOURCE_DIR "/tests/script/data/languages/") + QLatin1String(file)});
    EXPECT_EQ(run.exitCode, 0) << file << run.err.toStdString();
    EXPECT_EQ(run.out, expected) << file;
    EXPECT_EQ(run.err, "") << file;
  }
}

TEST(ScriptRun, ErrorsAndExitStatuses) {
  QTemporaryDir dir;
  const QString compileError = write(dir, "zle.pas", "var i: Integer;\r\nbegin\r\n  i := 'tekst';\r\nend.\r\n");
  const ToolRun c = runTool({"script", "run", compileError});
  EXPECT_EQ(c.exitCode, 1);
  EXPECT_EQ(c.out, "");
  EXPECT_EQ(c.err, compileError + ":3:15: Incompatible types: 'Integer', 'String'\n");

  // What was shown before the error stays on standard output.
  const QString runError = write(dir, "blad.pas", "begin\n  ShowMessage('przed');\n  RaiseException('Coś poszło źle');\nend.\n");
  const ToolRun r = runTool({"script", "run", runError});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "przed\n");
  EXPECT_EQ(r.err, "error: Coś poszło źle\n");

  // A refusal of a report object ends the script with its message, like any
  // other uncaught error.
  const QString reportError =
      write(dir, "raport.pas",
            "var r: TfrxReport; p: TfrxReportPage; a, b: TfrxMemoView;\n"
            "begin\n  r := TfrxReport.Create(nil); p := TfrxReportPage.Create(r);\n"
            "  a := TfrxMemoView.Create(p); a.Name := 'A';\n  b := TfrxMemoView.Create(p); b.Name := 'A';\n"
            "  ShowMessage('nieosiągalne')\nend.\n");
  const ToolRun e = runTool({"script", "run", reportError});
  EXPECT_EQ(e.exitCode, 1);
  EXPECT_EQ(e.out, "");
  EXPECT_EQ(e.err, "error: Nazwa jest już użyta\n");

  const ToolRun missing = runTool({"script", "run", dir.filePath("brak.pas")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.startsWith(dir.filePath("brak.pas") + ": Cannot open file")) << missing.err.toStdString();

  EXPECT_EQ(runTool({"script", "run"}).exitCode, 2);
  EXPECT_EQ(runTool({"script", "run", "a.pas", "b.pas"}).exitCode, 2);
}

TEST(ScriptRun, RunningOutOfMemoryIsAScriptErrorNotAnAbort) {
  QTemporaryDir dir;
  // A string doubled forty times stops at its limit; uncaught, that ends
  // the run as any other error does.
  const QString doubling = write(dir, "podwajanie.pas",
                                 "var s: String; i: Integer;\nbegin\n  s := 'x';\n  ShowMessage('start');\n"
                                 "  for i := 1 to 40 do s := s + s;\n  ShowMessage('nigdy');\nend.\n");
  const ToolRun d = runTool({"script", "run", doubling});
  EXPECT_EQ(d.exitCode, 1);
  EXPECT_EQ(d.out, "start\n");
  EXPECT_EQ(d.err, "error: Out of memory: a string may hold at most 67108864 characters\n");

  // Caught, the script goes on; nothing of the size asked for is allocated.
  const QString caught = write(dir, "tablica.pas",
                               "var a: array[0..2] of Integer;\nbegin\n"
                               "  try SetLength(a, 2000000000) except ShowMessage(ExceptionMessage) end;\n"
                               "  ShowMessage(Length(a));\nend.\n");
  const ToolRun c = runTool({"script", "run", caught});
  EXPECT_EQ(c.exitCode, 0) << c.err.toStdString();
  EXPECT_EQ(c.out, "Array too large\n3\n");
  EXPECT_EQ(c.err, "");
}

TEST(ScriptRun, LanguageByOptionOrExtensionAndLineBreaksInMessages) {
  QTemporaryDir dir;
  // A Basic program in a file whose name says nothing about its language.
  const QString basic = write(dir, "prog.txt", "x = 2\r\nShowMessage(\"x=\" & x)\r\n");
  const ToolRun asPascal = runTool({"script", "run", basic});
  EXPECT_EQ(asPascal.exitCode, 1);
  const ToolRun asBasic = runTool({"script", "run", "--language", "BasicScript", basic});
  EXPECT_EQ(asBasic.exitCode, 0) << asBasic.err.toStdString();
  EXPECT_EQ(asBasic.out, "x=2\n");
  const QString lines = write(dir, "linie.pas", "begin ShowMessage('a'#13'b') end.");
  EXPECT_EQ(runTool({"script", "run", lines}).out, "a\nb\n");
  const ToolRun unknown = runTool({"script", "run", "--language", "Cobol", lines});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, lines + ": Language 'Cobol' not found\n");
}

TEST(ScriptEval, PrintsTheValueOrTheError) {
  EXPECT_EQ(runTool({"script", "eval", "2 + 3 * 4"}).out, "14\n");
  EXPECT_EQ(runTool({"script", "eval", "7 / 2"}).out, "3,5\n");
  EXPECT_EQ(runTool({"script", "eval", "'a' + 'b'"}).out, "ab\n");
  EXPECT_EQ(runTool({"script", "eval", "[1, 2..3]"}).out, "[1, 2, , 3]\n");
  EXPECT_EQ(runTool({"script", "eval", "--language", "BasicScript", "1 & 2"}).out, "3\n");
  EXPECT_EQ(runTool({"script", "eval", "--language", "C++Script", "10 % 4"}).out, "2\n");
  const ToolRun syntax = runTool({"script", "eval", "1 +"});
  EXPECT_EQ(syntax.exitCode, 1);
  EXPECT_EQ(syntax.err, "error: ';' expected\n");
  const ToolRun runtime = runTool({"script", "eval", "1 div 0"});
  EXPECT_EQ(runtime.exitCode, 1);
  EXPECT_EQ(runtime.err, "error: Division by zero\n");
  EXPECT_EQ(runTool({"script", "eval"}).exitCode, 2);
}

}  // namespace
}  // namespace valmoro
