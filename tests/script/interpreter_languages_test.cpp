// The same program written in each of the four languages gives the same
// output: declarations, a counting loop, recursion, arrays, strings, a
// by-reference parameter, a multi-way branch and a caught error.

#include <gtest/gtest.h>

#include "qt_printers.h"
#include "run_support.h"

namespace valmoro::script::test {
namespace {

const char* const kExpected = "55\n720\n20\nxyyy\n110\nhundred ten\nDivision by zero\nbig";

QString runFile(const char* language, const char* file) {
  const QString path = QStringLiteral(VALMORO_SOURCE_DIR "/tests/script/data/languages/") + QLatin1String(file);
  return RunScript(QString::fromLatin1(language), ReadSourceFile(path)).Output();
}

TEST(Languages, OneProgramFourLanguagesOneOutput) {
  EXPECT_EQ(runFile("PascalScript", "same.pas"), kExpected);
  EXPECT_EQ(runFile("C++Script", "same.cpp"), kExpected);
  EXPECT_EQ(runFile("BasicScript", "same.bas"), kExpected);
  EXPECT_EQ(runFile("JScript", "same.js"), kExpected);
}

TEST(Languages, LanguageDirectiveAndTypeAliases) {
  // The first line picks the language, whatever the script says.
  EXPECT_EQ(RunScript("PascalScript", "#language C++Script\n{ int i = 2; float f = i / 4; ShowMessage(f); }").Output(),
            "0,5");
  EXPECT_EQ(CompileError("C++Script", "{ int i = 2.5; }"), "1:14: Incompatible types: 'Integer', 'Extended'");
  EXPECT_EQ(CompileError("BasicScript", "Dim d As Decimal = 1.5\nDim n As Integer = d"),
            "2:21: Incompatible types: 'Integer', 'Extended'");
}

TEST(Languages, IncludedUnitsGiveTheirRoutines) {
  TfsScript script;
  script.OnGetUnit = [](TfsScript*, const QString& name, QString& text) {
    if (name == u"tools.pas") text = QStringLiteral("function Twice(x: Integer): Integer; begin Result := x * 2 end;\n"
                                                    "begin end.");
  };
  EXPECT_EQ(RunScript("PascalScript", "uses 'tools.pas';\nbegin ShowMessage(Twice(21)) end.", &script).Output(), "42");
  // A unit supplied as program XML.
  TfsScript il;
  il.OnGetILUnit = [](TfsScript*, const QString& name, QString& text) {
    if (name == u"consts.pas")
      text = QStringLiteral("<?xml version=\"1.0\"?><program><const pos=\"1:1\"><ident text=\"Seven\" pos=\"1:7\"/>"
                            "<expr pos=\"1:9\" pos1=\"1:10\"><number text=\"7\" pos=\"1:10\"/></expr></const></program>");
  };
  il.OnGetUnit = [](TfsScript*, const QString&, QString& text) { text = QStringLiteral("begin end."); };
  EXPECT_EQ(RunScript("PascalScript", "uses 'consts.pas';\nbegin ShowMessage(Seven * 6) end.", &il).Output(), "42");
  // An error inside a unit names the unit.
  TfsScript broken;
  broken.OnGetUnit = [](TfsScript*, const QString&, QString& text) {
    text = QStringLiteral("procedure P; begin q := 1 end;\nbegin end.");
  };
  broken.AddRuntimeLibrary();
  broken.Lines = SplitSourceLines("uses 'bad.pas';\nbegin P end.");
  EXPECT_FALSE(broken.CompileSource());
  EXPECT_EQ(broken.ErrorUnitName, "bad.pas");
  EXPECT_EQ(broken.ErrorPosition + ": " + broken.ErrorText, "1:21: Undeclared identifier: 'q'");
}

}  // namespace
}  // namespace valmoro::script::test
