// Statements: every loop form with its edge cases, branches, routines,
// exceptions, and the faults the interpreter guards against.

#include <gtest/gtest.h>

#include "qt_printers.h"
#include "run_support.h"

namespace valmoro::script::test {
namespace {

QString basic(const QString& source) { return RunScript(QStringLiteral("BasicScript"), source).Output(); }
QString cpp(const QString& source) { return RunScript(QStringLiteral("C++Script"), source).Output(); }

TEST(Loops, PascalForUpDownAndEmpty) {
  EXPECT_EQ(Pascal("var i: Integer; begin for i := 3 downto 1 do ShowMessage(i); ShowMessage(i) end."), "3\n2\n1\n1");
  // No pass, and the variable keeps its value.
  EXPECT_EQ(Pascal("var i: Integer; begin i := 42; for i := 1 to 0 do ShowMessage('pass'); ShowMessage(i) end."), "42");
  EXPECT_EQ(Pascal("var i, n: Integer; begin n := 0; for i := 1 to 100 do n := n + 1; ShowMessage(n); ShowMessage(i) end."),
            "100\n100");
  // A Float loop variable still counts in whole steps.
  EXPECT_EQ(Pascal("var f: Extended; begin for f := 1 to 3 do ShowMessage(f) end."), "1\n2\n3");
  // The bounds are taken once.
  EXPECT_EQ(Pascal("var i, n: Integer; begin n := 3; for i := 1 to n do n := 10; ShowMessage(i) end."), "3");
}

TEST(Loops, BasicForWithSteps) {
  EXPECT_EQ(basic("For i = 0 To 2 Step 0.5\n  ShowMessage(i)\nNext"), "0\n0,5\n1\n1,5\n2");
  EXPECT_EQ(basic("For i = 3 To 1 Step -1\n  ShowMessage(i)\nNext"), "3\n2\n1");
  EXPECT_EQ(basic("For i = 1 To 0\n  ShowMessage(i)\nNext\nShowMessage(\"none\")"), "none");
  EXPECT_EQ(basic("For i = 1 To 10 Step 4\n  ShowMessage(i)\nNext"), "1\n5\n9");
}

TEST(Loops, WhileRepeatAndThreePartFor) {
  EXPECT_EQ(Pascal("begin while False do ShowMessage('never'); ShowMessage('after') end."), "after");
  EXPECT_EQ(Pascal("begin repeat ShowMessage('once') until True end."), "once");
  EXPECT_EQ(Pascal("var i: Integer; begin i := 0; repeat i := i + 1 until i >= 3; ShowMessage(i) end."), "3");
  EXPECT_EQ(basic("i = 0\nDo\n  i = i + 1\nLoop While i < 3\nShowMessage(i)"), "3");
  // continue in a three-part for still runs the step statements.
  EXPECT_EQ(cpp("{ int i; for (i = 0; i < 5; i++) { if (i == 2) continue; ShowMessage(i); } ShowMessage(i); }"),
            "0\n1\n3\n4\n5");
  EXPECT_EQ(cpp("{ int i = 10; while (i > 0) { i -= 3; } ShowMessage(i); }"), "-2");
  EXPECT_EQ(cpp("{ int i = 0; do { i++; } while (i < 0); ShowMessage(i); }"), "1");
}

TEST(Loops, BreakAndContinue) {
  // break ends the inner loop only.
  EXPECT_EQ(Pascal("var i, j: Integer;\nbegin\n  for i := 1 to 2 do\n    for j := 1 to 5 do begin\n"
                   "      if j = 3 then break;\n      ShowMessage(i * 10 + j);\n    end;\nend."),
            "11\n12\n21\n22");
  EXPECT_EQ(Pascal("var i: Integer;\nbegin\n  for i := 1 to 5 do begin\n    if i mod 2 = 0 then continue;\n"
                   "    ShowMessage(i);\n  end;\nend."),
            "1\n3\n5");
  EXPECT_EQ(Pascal("var i: Integer;\nbegin\n  i := 0;\n  while True do begin\n    i := i + 1;\n"
                   "    if i = 4 then break;\n  end;\n  ShowMessage(i);\nend."),
            "4");
  EXPECT_EQ(Pascal("var i: Integer;\nbegin\n  i := 0;\n  repeat\n    i := i + 1;\n    if i < 3 then continue;\n"
                   "    ShowMessage(i);\n  until i = 4;\nend."),
            "3\n4");
}

TEST(Loops, BreakOutsideALoopDoesNotReachTheNextRunOrCall) {
  TfsScript script;
  const Ran first = RunScript("PascalScript",
                              "procedure P;\nbegin\n  ShowMessage('a');\n  break;\n  ShowMessage('b');\nend;\n"
                              "begin\n  P;\n  P;\n  ShowMessage('main');\n  continue;\n  ShowMessage('late');\nend.",
                              &script);
  EXPECT_EQ(first.Output(), "a\na\nmain");
  dialogs::RecordingScope recording;
  script.RunMain();
  EXPECT_EQ(recording.messages(), QStringList({"a", "a", "main"}));
}

TEST(Branches, IfAndCase) {
  EXPECT_EQ(Pascal("var i: Integer; begin i := 2; if i > 1 then ShowMessage('big') else ShowMessage('small') end."),
            "big");
  EXPECT_EQ(Pascal("begin if 1 > 2 then ShowMessage('then') end."), "");
  // No matching selector and no else: nothing; the first match wins.
  EXPECT_EQ(Pascal("var i: Integer; begin i := 9; case i of 1: ShowMessage('one'); end; ShowMessage('done') end."),
            "done");
  EXPECT_EQ(Pascal("var i: Integer; begin i := 4; case i of 3..5: ShowMessage('first'); 4: ShowMessage('second'); "
                   "else ShowMessage('else') end end."),
            "first");
  EXPECT_EQ(Pascal("var s: String; begin s := 'b'; case s of 'a': ShowMessage(1); 'b', 'c': ShowMessage(2) end end."),
            "2");
  EXPECT_EQ(basic("x = 7\nSelect Case x\nCase 1, 2:\n  ShowMessage(\"low\")\nCase Else:\n  ShowMessage(\"other\")\n"
                  "End Select"),
            "other");
  EXPECT_EQ(Pascal("begin if 'yes' then ShowMessage(1) end."),
            "EConvertError: Could not convert variant of type (String) into type (Boolean)");
}

TEST(Routines, RecursionExitAndLocals) {
  EXPECT_EQ(Pascal("function Fact(n: Integer): Integer;\nbegin\n  if n <= 1 then Result := 1\n"
                   "  else Result := n * Fact(n - 1);\nend;\nbegin ShowMessage(Fact(10)) end."),
            "3628800");
  // The outer call's locals come back after the inner call.
  EXPECT_EQ(Pascal("function Sum(n: Integer): Integer;\nvar own: Integer;\nbegin\n  own := n;\n"
                   "  if n > 0 then Result := Sum(n - 1) + own else Result := 0;\n  ShowMessage(own);\nend;\n"
                   "begin ShowMessage(Sum(3)) end."),
            "0\n1\n2\n3\n6");
  // exit leaves only the routine; in the main block it ends the run.
  EXPECT_EQ(Pascal("procedure P;\nbegin\n  ShowMessage('in');\n  exit;\n  ShowMessage('not');\nend;\n"
                   "begin\n  P;\n  ShowMessage('back');\n  exit;\n  ShowMessage('never');\nend."),
            "in\nback");
  // A function result starts as the type's zero.
  EXPECT_EQ(Pascal("function F: Integer; begin end;\nfunction G: String; begin end;\n"
                   "begin ShowMessage(F + 1); ShowMessage(G + '|') end."),
            "1\n|");
}

TEST(Routines, ParametersByValueByReferenceAndDefaults) {
  EXPECT_EQ(Pascal("procedure Twice(var x: Integer; y: Integer);\nbegin\n  x := x * 2;\n  y := 0;\nend;\n"
                   "var a, b: Integer;\nbegin\n  a := 5; b := 7;\n  Twice(a, b);\n  ShowMessage(a);\n"
                   "  ShowMessage(b);\nend."),
            "10\n7");
  EXPECT_EQ(Pascal("function Add(a: Integer; b: Integer = 100): Integer;\nbegin Result := a + b end;\n"
                   "begin ShowMessage(Add(1)); ShowMessage(Add(1, 2)) end."),
            "101\n3");
  // A by-reference result survives a recursive call on the routine's own local.
  EXPECT_EQ(Pascal("procedure Inc1(var v: Integer); begin v := v + 1 end;\n"
                   "procedure R(n: Integer);\nvar local: Integer;\nbegin\n  local := n * 10;\n"
                   "  if n > 0 then R(n - 1);\n  Inc1(local);\n  ShowMessage(local);\nend;\nbegin R(2) end."),
            "1\n11\n21");
  EXPECT_EQ(cpp("void Swap(int &a, int &b) { int t = a; a = b; b = t; }\n"
                "{ int x = 1, y = 2; Swap(x, y); ShowMessage(x); ShowMessage(y); }"),
            "2\n1");
}

TEST(Exceptions, TryExceptAndFinally) {
  EXPECT_EQ(Pascal("var i: Integer;\nbegin\n  i := 0;\n  try\n    i := 10 div i;\n    ShowMessage('not reached');\n"
                   "  except\n    ShowMessage(ExceptionClassName);\n    ShowMessage(ExceptionMessage);\n  end;\n"
                   "  ShowMessage('after');\nend."),
            "EDivByZero\nDivision by zero\nafter");
  EXPECT_EQ(Pascal("begin\n  try\n    RaiseException('own error');\n  except\n"
                   "    ShowMessage(ExceptionClassName + ': ' + ExceptionMessage);\n  end;\nend."),
            "Exception: own error");
  // finally runs on the way out, and the error goes on.
  EXPECT_EQ(Pascal("begin\n  try\n    ShowMessage('body');\n    RaiseException('boom');\n  finally\n"
                   "    ShowMessage('finally');\n  end;\n  ShowMessage('not reached');\nend."),
            "body\nfinally\nException: boom");
  // An exit in a try-finally body still runs the finally part, then leaves.
  EXPECT_EQ(Pascal("procedure P;\nbegin\n  try\n    exit;\n  finally\n    ShowMessage('cleanup');\n  end;\n"
                   "  ShowMessage('not reached');\nend;\nbegin P; ShowMessage('back') end."),
            "cleanup\nback");
  // An error in a routine reaches the caller's handler.
  EXPECT_EQ(Pascal("procedure Fail; begin RaiseException('deep') end;\n"
                   "begin try Fail; ShowMessage('no') except ShowMessage(ExceptionMessage) end end."),
            "deep");
  EXPECT_EQ(cpp("{ try { RaiseException(\"c\"); } except { ShowMessage(ExceptionMessage); } }"), "c");
  EXPECT_EQ(basic("Try\n  RaiseException(\"b\")\nCatch\n  ShowMessage(ExceptionMessage)\nEnd Try"), "b");
}

TEST(Guards, RunawayRecursionIsAnErrorNotACrash) {
  EXPECT_EQ(Pascal("procedure P(n: Integer); begin P(n + 1) end;\nbegin P(1) end."),
            "EStackOverflow: Stack overflow: routine calls nested too deeply");
  // The script can catch it and carry on.
  EXPECT_EQ(Pascal("function F(x: Integer): Integer; begin Result := F(x + 1) end;\n"
                   "begin try F(0) except ShowMessage(ExceptionClassName) end; ShowMessage('alive') end."),
            "EStackOverflow\nalive");
}

TEST(Guards, OverlongExpressionsAreRefusedNotACrash) {
  // A long sum is a deep tree; too deep a tree would need too deep a stack.
  const QString longSum = QStringLiteral("begin ShowMessage(0") + QStringLiteral(" + 1").repeated(20000) +
                          QStringLiteral(") end.");
  EXPECT_EQ(CompileError("PascalScript", longSum), "1:80020: Source nested too deeply");
  const QString sum = QStringLiteral("begin ShowMessage(0") + QStringLiteral(" + 1").repeated(900) +
                      QStringLiteral(") end.");
  EXPECT_EQ(Pascal(sum), "900");
}

TEST(Guards, IndexesAndNarrowingAreChecked) {
  EXPECT_EQ(Pascal("var s: String; begin s := 'abc'; s[4] := 'x' end."),
            "ERangeError: String index 4 out of bounds (1..3)");
  EXPECT_EQ(Pascal("var s: String; begin s := 'abc'; ShowMessage(s[0]) end."),
            "ERangeError: String index 0 out of bounds (1..3)");
  EXPECT_EQ(Pascal("var s: String; begin s := 'abc'; s[2] := 'X'; ShowMessage(s + s[3]) end."), "aXcc");
  EXPECT_EQ(Pascal("var a: array[1..3] of Integer; begin a[4] := 1 end."), "ERangeError: Array index out of bounds");
  EXPECT_EQ(Pascal("var a: array[1..3] of Integer; begin ShowMessage(a[0]) end."),
            "ERangeError: Array index out of bounds");
  EXPECT_EQ(Pascal("var i: Integer; begin i := 2147483647; i := i + 1 end."),
            "EIntOverflow: Overflow while converting variant of type (Int64) into type (Integer)");
  EXPECT_EQ(Pascal("var i: Integer; v: Variant; begin v := 2147483647; v := v + 1; ShowMessage(v) end."),
            "2147483648");
}

TEST(Arrays, DeclaredArraysOfAnyDimension) {
  EXPECT_EQ(Pascal("var a: array[1..3] of Integer; i: Integer;\nbegin\n  for i := 1 to 3 do a[i] := i * i;\n"
                   "  ShowMessage(a[1] + a[2] + a[3]);\nend."),
            "14");
  EXPECT_EQ(Pascal("var m: array[0..1, 0..2] of Integer;\nbegin\n  m[1, 2] := 7;\n  m[0, 0] := 1;\n"
                   "  ShowMessage(m[1, 2] * 10 + m[0, 0]);\nend."),
            "71");
  EXPECT_EQ(Pascal("var q: array[0..1, 0..1, 0..1, 0..1] of Integer;\nbegin\n  q[1, 0, 1, 1] := 5;\n"
                   "  ShowMessage(q[1, 0, 1, 1]);\nend."),
            "5");
  EXPECT_EQ(cpp("{ int a[3]; a[0] = 1; a[2] = a[0] + 1; ShowMessage(a[2]); }"), "2");
  // Copying an array copies its elements.
  EXPECT_EQ(Pascal("var a: array[0..1] of Integer; v: Variant;\nbegin\n  a[0] := 1;\n  v := a;\n  a[0] := 2;\n"
                   "  ShowMessage(v[0]);\nend."),
            "1");
}

TEST(Statements, IncrementAndCompoundForms) {
  EXPECT_EQ(cpp("{ int i = 5; i++; i++; i--; ShowMessage(i); i += 10; i -= 1; i *= 2; ShowMessage(i); }"), "6\n30");
  EXPECT_EQ(CompileError("C++Script", "#define Max 10\n{ Max++; }"), "2:8: Left side cannot be assigned to");
  EXPECT_EQ(cpp("{ float f = 1; f /= 4; ShowMessage(f); }"), "0,25");
}

}  // namespace
}  // namespace valmoro::script::test
