// Expressions: priorities, types, short-circuit evaluation, sets and ranges,
// the compound-assignment rewrite, EvaluateText, and the compile-time
// messages with their positions.

#include <gtest/gtest.h>

#include "qt_printers.h"
#include "run_support.h"
#include "script/messages.h"
#include "script/program_messages.h"

namespace valmoro::script::test {
namespace {

// The value of an expression as ShowMessage shows it.
QString show(const QString& expression) { return Pascal(QStringLiteral("begin ShowMessage(%1) end.").arg(expression)); }

TEST(Expressions, PrioritiesAndAssociativity) {
  EXPECT_EQ(show("2 + 3 * 4"), "14");
  EXPECT_EQ(show("(2 + 3) * 4"), "20");
  EXPECT_EQ(show("10 - 4 - 3"), "3");
  EXPECT_EQ(show("2 * 3 / 4"), "1,5");
  EXPECT_EQ(show("-2 * 3"), "-6");
  EXPECT_EQ(show("not True = False"), "True");  // (not True) = False
  EXPECT_EQ(show("1 < 2 = True"), "True");      // (1 < 2) = True
  EXPECT_EQ(show("1 + 2 * 3 - 4 div 2 mod 3"), "5");
  EXPECT_EQ(show("((1 + 2) * (3 + 4))"), "21");
  EXPECT_EQ(show("1 shl 4 + 1"), "17");
  EXPECT_EQ(show("5 and 3 or 8"), "9");
}

TEST(Expressions, DivisionKindsAndTheirTypes) {
  EXPECT_EQ(show("7 / 2"), "3,5");
  EXPECT_EQ(show("7 div 2"), "3");
  EXPECT_EQ(show("7 mod 2"), "1");
  EXPECT_EQ(show("8 / 2"), "4");
  // "/" between integers is a float: it cannot go into an Integer.
  EXPECT_EQ(CompileError("PascalScript", "var i: Integer; begin i := 7 / 2 end."),
            "1:33: Incompatible types: 'Integer', 'Extended'");
  EXPECT_EQ(CompileError("PascalScript", "var i: Integer; begin i := 7 div 2 end."), "ok");
  EXPECT_EQ(CompileError("PascalScript", "var f: Extended; begin f := 7 div 2 end."), "ok");
  EXPECT_EQ(Pascal("var i: Integer; begin i := 0; ShowMessage(5 div i) end."), "EDivByZero: Division by zero");
}

TEST(Expressions, StringsAndIncompatibleOperands) {
  EXPECT_EQ(show("'a' + 'b'"), "ab");
  EXPECT_EQ(CompileError("PascalScript", "begin ShowMessage('a' + 1) end."), "1:24: Incompatible types");
  EXPECT_EQ(CompileError("PascalScript", "begin ShowMessage(1 + 'a') end."), "1:22: Incompatible types");
  EXPECT_EQ(CompileError("PascalScript", "begin ShowMessage(True + 1) end."), "1:25: Incompatible types");
  EXPECT_EQ(CompileError("PascalScript", "begin ShowMessage(-'a') end."), "1:20: Incompatible types");
  // A Variant operand goes with anything.
  EXPECT_EQ(Pascal("var v: Variant; begin v := 1; ShowMessage('a' + v) end."),
            "EConvertError: Could not convert variant of type (String) into type (Double)");
  EXPECT_EQ(Pascal("var v: Variant; begin v := '1'; ShowMessage(2 + v) end."), "3");
}

TEST(Expressions, BasicScriptAmpersand) {
  EXPECT_EQ(RunScript("BasicScript", "ShowMessage(1 & 2)").Output(), "3");
  EXPECT_EQ(RunScript("BasicScript", "ShowMessage(\"a\" & \"b\")").Output(), "ab");
  EXPECT_EQ(RunScript("BasicScript", "Dim s\ns = \"n=\"\nShowMessage(s & 5)").Output(), "n=5");
}

TEST(Expressions, ShortCircuitOnlyBetweenBooleans) {
  const QString program = QStringLiteral(
      "var x: %1; r: Boolean;\n"
      "function F: Boolean;\nbegin\n  ShowMessage('F called');\n  Result := True;\nend;\n"
      "begin\n  x := False;\n  r := x and F;\n  ShowMessage(r);\n  x := True;\n  r := x or F;\n  ShowMessage(r)\nend.");
  EXPECT_EQ(Pascal(program.arg("Boolean")), "False\nTrue");
  EXPECT_EQ(Pascal(program.arg("Variant")), "F called\nFalse\nF called\nTrue");
}

TEST(Expressions, InWithSetsRangesAndArrays) {
  EXPECT_EQ(show("3 in [1, 3..5]"), "True");
  EXPECT_EQ(show("6 in [1, 3..5]"), "False");
  EXPECT_EQ(show("5 in [1, 3..5]"), "True");
  EXPECT_EQ(show("'k' in ['a'..'z']"), "True");
  EXPECT_EQ(show("'K' in ['a'..'z']"), "False");
  EXPECT_EQ(Pascal("var i: Integer;\nbegin\n  for i := 0 to 6 do\n    case i of\n      1, 3..5: ShowMessage(i);\n"
                   "    end;\nend."),
            "1\n3\n4\n5");
  // A Variant array holding a set: a Null element marks a range.
  EXPECT_EQ(Pascal("var s: Variant; begin s := [1, 3..5]; ShowMessage(4 in s); ShowMessage(2 in s) end."),
            "True\nFalse");
  // A set's bit value, as host objects hand sets over: every bit of the
  // element must be present.
  EXPECT_EQ(show("4 in 6"), "True");
  EXPECT_EQ(show("1 in 6"), "False");
  EXPECT_EQ(show("0 in 6"), "False");
}

TEST(Expressions, CompoundRewriteKeepsOrderAndReadsTheVariableFirst) {
  EXPECT_EQ(Pascal("var i: Integer; begin i := 5; i := i + 1; i := 1 + i; i := i * 2; ShowMessage(i) end."), "14");
  EXPECT_EQ(Pascal("var s: String; begin s := 'a'; s := 'x' + s; s := s + 'y'; ShowMessage(s) end."), "xay");
  EXPECT_EQ(Pascal("var f: Extended; begin f := 9; f := f / 2; f := f - 0.5; ShowMessage(f) end."), "4");
  // The variable is read before the rest of the expression runs.
  EXPECT_EQ(Pascal("var i: Integer;\nfunction F: Integer;\nbegin\n  i := 100;\n  Result := 1;\nend;\n"
                   "begin\n  i := 1;\n  i := i + F;\n  ShowMessage(i)\nend."),
            "2");
  EXPECT_EQ(Pascal("var s: String;\nfunction F: String;\nbegin\n  s := 'changed';\n  Result := '!';\nend;\n"
                   "begin\n  s := 'kept';\n  s := s + F;\n  ShowMessage(s)\nend."),
            "kept!");
}

TEST(Expressions, EvaluateText) {
  TfsScript script;
  script.AddRuntimeLibrary();
  EXPECT_EQ(script.EvaluateText("2 * 21").ToInt(), 42);
  EXPECT_FALSE(script.EvaluationFailed);
  EXPECT_EQ(script.EvaluateText("1 +").ToString(), "';' expected");
  EXPECT_TRUE(script.EvaluationFailed);
  EXPECT_EQ(script.EvaluateText("'a' + 1").ToString(), "Incompatible types");
  EXPECT_TRUE(script.EvaluationFailed);
  // Run-time errors are raised, not returned.
  EXPECT_THROW(script.EvaluateText("1 div 0"), ScriptError);

  // The script's own names are seen; each language wraps the text its way.
  script.Lines = SplitSourceLines("var Total: Integer; begin Total := 40 end.");
  ASSERT_TRUE(script.CompileSource());
  script.RunMain();
  EXPECT_EQ(script.EvaluateText("Total + 2").ToInt(), 42);
  for (const char* language : {"C++Script", "BasicScript", "JScript"}) {
    TfsScript other;
    other.AddRuntimeLibrary();
    other.SyntaxType = QString::fromLatin1(language);
    EXPECT_EQ(other.EvaluateText("6 * 7").ToInt(), 42) << language;
  }
  TfsScript unknown;
  unknown.SyntaxType = QStringLiteral("Cobol");
  EXPECT_THROW(unknown.EvaluateText("1"), ScriptError);
}

TEST(Expressions, CompileTimeMessagesWithPositions) {
  EXPECT_EQ(CompileError("PascalScript", "begin\n  x := 1;\nend."), "2:4: Undeclared identifier: 'x'");
  EXPECT_EQ(CompileError("PascalScript", "var a: Integer;\n    a: String;\nbegin end."),
            "2:6: Identifier redeclared: 'a'");
  EXPECT_EQ(CompileError("PascalScript", "var a: TNoSuchType;\nbegin end."), "1:19: Unknown type: 'TNoSuchType'");
  EXPECT_EQ(CompileError("PascalScript", "const C = 1;\nbegin\n  C := 2;\nend."), "3:4: Left side cannot be assigned to");
  EXPECT_EQ(CompileError("PascalScript", "const C = 1;\nbegin\n  C := C + 1;\nend."),
            "3:4: Left side cannot be assigned to");
  EXPECT_EQ(CompileError("PascalScript", "procedure P(a, b: Integer); begin end;\nbegin\n  P(1);\nend."),
            "3:6: Not enough actual parameters");
  EXPECT_EQ(CompileError("PascalScript", "procedure P(a: Integer); begin end;\nbegin\n  P(1, 2);\nend."),
            "3:9: Too many actual parameters");
  EXPECT_EQ(CompileError("PascalScript", "procedure P(a: Integer = 5); begin end;\nbegin\n  P;\nend."), "ok");
  EXPECT_EQ(CompileError("PascalScript", "procedure P(s: String); begin end;\nbegin\n  P(1);\nend."),
            "3:5: Incompatible types: 'String', 'Integer'");
  EXPECT_EQ(CompileError("PascalScript", "var b: Boolean;\nbegin\n  b := 1;\nend."),
            "3:9: Incompatible types: 'Boolean', 'Integer'");
  EXPECT_EQ(CompileError("PascalScript", "var s: String;\nbegin\n  s.Length := 1;\nend."),
            "3:11: Strings doesn't have properties or methods");
  EXPECT_EQ(CompileError("PascalScript", "var i: Integer;\nbegin\n  i[1] := 1;\nend."), "3:5: Array type required");
  EXPECT_EQ(CompileError("PascalScript", "var s: String;\nbegin\n  for s := 1 to 2 do ;\nend."),
            "3:8: For loop variable must be numeric variable");
  EXPECT_EQ(CompileError("PascalScript", "var i: Integer;\nbegin\n  with i do ;\nend."), "3:9: Class type required");
}

TEST(Expressions, MessagesInPolishOnceReplaced) {
  SetScriptMessage(QString::fromLatin1(SIncompatibleTypes), QStringLiteral("Niezgodne typy"));
  SetScriptMessage(QString::fromLatin1(SIdUndeclared), QStringLiteral("Niezadeklarowany identyfikator: "));
  const QString mismatch = CompileError("PascalScript", "var i: Integer; begin i := 1.5 end.");
  const QString undeclared = CompileError("PascalScript", "begin y := 1 end.");
  ResetScriptMessages();
  EXPECT_EQ(mismatch, "1:31: Niezgodne typy: 'Integer', 'Extended'");
  EXPECT_EQ(undeclared, "1:8: Niezadeklarowany identyfikator: 'y'");
  EXPECT_EQ(CompileError("PascalScript", "begin y := 1 end."), "1:8: Undeclared identifier: 'y'");
}

TEST(Expressions, LanguagesWithoutDeclarationsMakeGlobals) {
  EXPECT_EQ(RunScript("BasicScript", "Sub P\n  counter = 5\nEnd Sub\nP\nShowMessage(counter + 1)").Output(), "6");
  EXPECT_EQ(RunScript("JScript", "function P() { g = \"set\"; }\nP();\nShowMessage(g);").Output(), "set");
  EXPECT_EQ(CompileError("C++Script", "{ q = 1; }"), "1:4: Undeclared identifier: 'q'");
}

}  // namespace
}  // namespace valmoro::script::test
