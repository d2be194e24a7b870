// Running: the flags of a run, stopping, the routine that runs now and
// evaluation in its context, run-line events, and how errors of every kind
// reach the script and the host.

#include <gtest/gtest.h>

#include <stdexcept>

#include "qt_printers.h"
#include "run_support.h"
#include "script/host_classes.h"
#include "script/statements.h"

namespace valmoro::script::test {
namespace {

TEST(Running, ErrorClassNamesSeenByScripts) {
  const auto classOf = [](const QString& statement) {
    return Pascal(QStringLiteral("var i: Integer; s: String; a: array[0..1] of Integer; v: Variant;\nbegin\n"
                                 "  i := 0; s := 'ab';\n  try\n    %1;\n  except\n    ShowMessage(ExceptionClassName);\n"
                                 "  end;\nend.")
                      .arg(statement));
  };
  EXPECT_EQ(classOf("i := 1 div i"), "EDivByZero");
  EXPECT_EQ(classOf("v := 1 / i"), "EZeroDivide");
  EXPECT_EQ(classOf("v := 0 / i"), "EInvalidOp");
  EXPECT_EQ(classOf("v := 'x'; i := v"), "EConvertError");
  EXPECT_EQ(classOf("v := 3000000000.0; i := v"), "EIntOverflow");
  EXPECT_EQ(classOf("a[2] := 1"), "ERangeError");
  EXPECT_EQ(classOf("s[3] := 'c'"), "ERangeError");
  EXPECT_EQ(classOf("v := 5; v.Name := 1"), "EInvalidOperation");
  EXPECT_EQ(classOf("RaiseException('x')"), "Exception");
}

TEST(Running, HostErrorsAreCatchableOtherFailuresPassThrough) {
  const auto withHost = [](TfsScript& script) {
    script.AddRuntimeLibrary();
    script.AddMethodItem("procedure HostFails",
                         [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper*) -> Variant {
                           throw ScriptError(QStringLiteral("from the host"));
                         });
    script.AddMethodItem("procedure Crash", [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper*) -> Variant {
      throw std::logic_error("platform fault");
    });
  };
  TfsScript catching;
  withHost(catching);
  EXPECT_EQ(RunScript("PascalScript",
                      "begin try HostFails except ShowMessage(ExceptionClassName + '/' + ExceptionMessage) end end.",
                      &catching)
                .Output(),
            "Exception/from the host");
  // Not an engine error: the script's handler does not see it, finally does.
  TfsScript passing;
  withHost(passing);
  passing.Lines = SplitSourceLines("begin try try Crash except ShowMessage('caught') end finally ShowMessage('f') end end.");
  ASSERT_TRUE(passing.CompileSource()) << passing.ErrorText.toStdString();
  dialogs::RecordingScope recording;
  EXPECT_THROW(passing.RunMain(), std::logic_error);
  EXPECT_EQ(recording.messages(), QStringList({"f"}));
  EXPECT_FALSE(passing.Running);
}

TEST(Running, FlagsAreClearedAfterARunAndAfterAnError) {
  TfsScript script;
  const Ran ran = RunScript("PascalScript", "var i: Integer;\nbegin\n  i := 0;\n  i := 1 div i;\nend.", &script);
  EXPECT_EQ(ran.runError, "EDivByZero: Division by zero");
  EXPECT_FALSE(script.Running);
  EXPECT_FALSE(script.ExitRequested);
  EXPECT_FALSE(script.StopRequested);
  EXPECT_TRUE(script.IsMainScript);
  // Partial effects stay.
  EXPECT_EQ(script.FindSymbol("i")->GetValue().ToInt(), 0);
}

TEST(Running, EvaluationSeesTheRoutineThatRunsNow) {
  TfsScript script;
  script.AddRuntimeLibrary();
  QStringList seen;
  script.AddMethodItem("procedure Peek(Expr: String)",
                       [&](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) {
                         seen << script.EvaluateText(caller->Arg(0).ToString()).ToString();
                         return Variant::Null();
                       });
  EXPECT_EQ(RunScript("PascalScript",
                      "var g: Integer;\nprocedure P(local: Integer);\nbegin\n  Peek('local * 10 + g');\nend;\n"
                      "begin\n  g := 3;\n  P(4);\n  Peek('g');\nend.",
                      &script)
                .Output(),
            "");
  EXPECT_EQ(seen, QStringList({"43", "3"}));
  EXPECT_EQ(script.ActiveRoutineScript, nullptr);
}

TEST(Running, RunLineEventsComeFromTheScriptOfTheStatement) {
  TfsScript script;
  QStringList events;
  script.SetOnRunLine([&](TfsScript* sender, const QString&, const QString& pos) {
    events << (sender == &script ? QStringLiteral("main ") : QStringLiteral("routine ")) + pos;
  });
  RunScript("PascalScript", "procedure P;\nbegin\n  exit;\nend;\nbegin\n  P;\n  P;\nend.", &script);
  EXPECT_EQ(events, QStringList({"main 6:3", "routine 3:3", "main 7:3", "routine 3:3"}));
}

TEST(Running, StopRunEndsEveryLoopAndRoutine) {
  TfsScript script;
  script.AddRuntimeLibrary();
  int calls = 0;
  script.AddMethodItem("procedure Tick", [&](QObject*, const QMetaObject*, const QString&, TfsMethodHelper*) {
    if (++calls == 3) script.StopRun();
    return Variant::Null();
  });
  EXPECT_EQ(RunScript("PascalScript",
                      "procedure Inner;\nbegin\n  while True do begin Tick; ShowMessage('tick') end;\nend;\n"
                      "begin\n  Inner;\n  ShowMessage('after');\nend.",
                      &script)
                .Output(),
            "tick\ntick");
  EXPECT_EQ(calls, 3);
  // The next run starts afresh: the stop of the last one is forgotten.
  calls = 0;
  dialogs::RecordingScope recording;
  script.RunMain();
  EXPECT_EQ(recording.messages(), QStringList({"tick", "tick"}));
}

TEST(Running, CompiledStatementsCanBeInspected) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.Lines = SplitSourceLines("var i: Integer;\nbegin\n  i := 1;\n  if i > 0 then i := 2;\nend.");
  ASSERT_TRUE(script.CompileSource());
  ASSERT_EQ(script.MainBlock()->Count(), 2);
  EXPECT_EQ(script.MainBlock()->Items[0]->SourcePos, "3:3");
  EXPECT_NE(dynamic_cast<TfsAssignmentStmt*>(script.MainBlock()->Items[0].get()), nullptr);
  EXPECT_NE(dynamic_cast<TfsIfStmt*>(script.MainBlock()->Items[1].get()), nullptr);
  // i := i + 1 runs as an increment; s := 'x' + s does not.
  script.ClearProgram();
  script.Lines = SplitSourceLines("var i: Integer; s: String;\nbegin\n  i := i + 1;\n  s := 'x' + s;\n  i := 1 + i;\nend.");
  ASSERT_TRUE(script.CompileSource());
  EXPECT_NE(dynamic_cast<TfsAssignPlusStmt*>(script.MainBlock()->Items[0].get()), nullptr);
  EXPECT_EQ(dynamic_cast<TfsAssignPlusStmt*>(script.MainBlock()->Items[1].get()), nullptr);
  EXPECT_NE(dynamic_cast<TfsAssignPlusStmt*>(script.MainBlock()->Items[2].get()), nullptr);
}

}  // namespace
}  // namespace valmoro::script::test
