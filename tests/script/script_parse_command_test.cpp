// "valmoro-report script parse": program XML on standard output, syntax
// errors as FILE:LINE:COL: MESSAGE on standard error.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sstream>

#include "qt_printers.h"
#include "script/script_parse_command.h"

namespace valmoro::script {
namespace {

struct CommandRun {
  int code = -1;
  QString out;
  QString err;
};

class ScriptParseCommand : public ::testing::Test {
protected:
  QString write(const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }
  static CommandRun run(const QStringList& arguments) {
    std::ostringstream out, err;
    CommandRun r;
    r.code = RunScriptParseCommand(arguments, out, err);
    r.out = QString::fromStdString(out.str());
    r.err = QString::fromStdString(err.str());
    return r;
  }
  QTemporaryDir dir;
};

TEST_F(ScriptParseCommand, PrintsTheProgramXml) {
  const QString file = write("report.pas", "begin\r\n  Go;\r\nend.\r\n");
  const CommandRun r = run({file});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "<?xml version=\"1.0\"?>\r\n<program>\r\n  <compoundstmt pos=\"1:1\">\r\n"
            "    <callstmt pos=\"2:3\">\r\n      <dsgn pos=\"2:3\">\r\n        <node text=\"Go\" pos=\"2:5\"/>\r\n"
            "      </dsgn>\r\n    </callstmt>\r\n  </compoundstmt>\r\n  <types/>\r\n</program>\r\n");
}

TEST_F(ScriptParseCommand, SyntaxErrorGoesToStandardErrorWithItsPosition) {
  const QString file = write("bad.pas", "begin\n  a b\nend.");
  const CommandRun r = run({file});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, file + ":2:5: ';' expected\n");
}

TEST_F(ScriptParseCommand, AnErrorInAnIncludedUnitNamesTheUnit) {
  write("unit.cpp", "{\n  x = ;\n}");
  const QString file = write("main.cpp", "#include \"unit.cpp\"\n{}");
  const CommandRun r = run({file});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "unit.cpp:2:7: Expression expected\n");
}

TEST_F(ScriptParseCommand, LanguageFollowsExtensionOptionAndDirective) {
  const QByteArray basic = "If a Then b = 1 Else b = 2\n";
  EXPECT_EQ(run({write("x.bas", basic)}).err, dir.filePath("x.bas") + ":1:17: End of line expected\n");
  EXPECT_EQ(run({write("x.vb", basic)}).err, dir.filePath("x.vb") + ":1:17: End of line expected\n");
  EXPECT_EQ(run({write("x.cpp", "{ a() }")}).err, dir.filePath("x.cpp") + ":1:7: ';' expected\n");
  EXPECT_EQ(run({write("x.js", "x = 1;")}).code, 0);
  EXPECT_EQ(run({write("x.txt", "begin end.")}).code, 0);  // PascalScript by default
  EXPECT_EQ(run({"--language", "JScript", write("y.pas", "x = 1;")}).code, 0);
  EXPECT_EQ(run({write("z.pas", "#language BasicScript\nx = 1\n")}).code, 0);
  EXPECT_EQ(LanguageForFileName("A.PAS"), "PascalScript");
  EXPECT_EQ(LanguageForFileName("dir.js/file.Cpp"), "C++Script");
}

TEST_F(ScriptParseCommand, AnEmptyBasicSourceIsAnEmptyProgram) {
  const CommandRun r = run({write("empty.bas", "")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "<?xml version=\"1.0\"?>\r\n<program/>\r\n");
}

TEST_F(ScriptParseCommand, FailuresOtherThanSyntax) {
  const QString missing = dir.filePath("missing.pas");
  CommandRun r = run({missing});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.startsWith(missing + ": Cannot open file \"" + missing + "\".")) << r.err.toStdString();

  r = run({"--language", "Cobol", write("a.pas", "begin end.")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, dir.filePath("a.pas") + ": Language 'Cobol' not found\n");

  EXPECT_EQ(run({}).code, 2);
  EXPECT_EQ(run({"--language"}).code, 2);
  EXPECT_EQ(run({"a.pas", "b.pas"}).code, 2);
  EXPECT_TRUE(run({"--bogus", "a.pas"}).err.startsWith("usage: valmoro-report script parse"));
}

}  // namespace
}  // namespace valmoro::script
