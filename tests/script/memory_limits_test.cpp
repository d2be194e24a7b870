// Scripts that ask for more memory than is sensible: strings, arrays, lists,
// streams and bitmaps beyond their limits, and allocations that fail all the
// same, end in a run-time error the script can catch, never in an abort.
// Every refusal here comes before the memory asked for is allocated.

#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "qt_printers.h"
#include "run_support.h"
#include "script/module_classes.h"
#include "script/module_graphics.h"

namespace valmoro::script::test {

namespace {

const QString kStringLimit = QStringLiteral("Out of memory: a string may hold at most 67108864 characters");

QString RunWithClasses(const QString& source) {
  return RunWithModules<TfsClassesModule, TfsGraphicsModule>(source);
}

// A script with the procedure Exhaust, whose host fails to allocate, and the
// variable Greedy, whose every read fails so.
void AddFailingAllocations(TfsScript& script) {
  script.AddRuntimeLibrary();
  script.AddMethodItem("procedure Exhaust", [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper*) -> Variant {
    throw std::bad_alloc();
  });
  script.OnGetVarValue = [](const QString& name, TfsVarType, const Variant&) -> Variant {
    if (name.compare(QLatin1String("Greedy"), Qt::CaseInsensitive) == 0) throw std::bad_alloc();
    return Variant::Null();
  };
}

}  // namespace

TEST(MemoryLimits, AStringDoubledWithoutEndStopsAtTheLimitAndGrowsNoFurther) {
  // 'x' doubled 26 times is exactly at the limit; the 27th doubling is
  // refused and the string keeps what it had. Nothing then grows it.
  EXPECT_EQ(Pascal("var s: String; i, n: Integer;\nbegin\n  s := 'x'; n := 0;\n"
                   "  try\n    for i := 1 to 40 do begin s := s + s; n := i end;\n"
                   "  except\n    ShowMessage(ExceptionClassName + ': ' + ExceptionMessage);\n  end;\n"
                   "  ShowMessage(IntToStr(n) + ' ' + IntToStr(Length(s)));\n"
                   "  try s := s + 'x' except ShowMessage('append: ' + ExceptionMessage) end;\n"
                   "  try s := 'x' + s except ShowMessage('prepend: ' + ExceptionMessage) end;\n"
                   "  try Insert('x', s, 1) except ShowMessage('Insert: ' + ExceptionMessage) end;\n"
                   "  try SetLength(s, Length(s) + 1) except ShowMessage('SetLength: ' + ExceptionMessage) end;\n"
                   "  try s := Format('%s!', [s]) except ShowMessage('Format: ' + ExceptionMessage) end;\n"
                   "  ShowMessage(IntToStr(Length(s)) + ' ' + Copy(s, 67108863, 5));\n"
                   "  s := '';\nend."),
            QStringList({"EOutOfMemory: " + kStringLimit, "26 67108864", "append: " + kStringLimit,
                         "prepend: " + kStringLimit, "Insert: " + kStringLimit, "SetLength: " + kStringLimit,
                         "Format: " + kStringLimit, "67108864 xx"})
                .join('\n'));
}

TEST(MemoryLimits, ConcatenationInEveryLanguageIsChecked) {
  // Half the limit and one: the text fits, twice it does not. One text,
  // shared by every script, so no script copies it.
  const QString half((qsizetype(1) << 25) + 1, QLatin1Char('x'));
  const auto run = [&half](const char* language, const char* source) {
    TfsScript script;
    script.AddRuntimeLibrary();
    script.AddVariableItem("Half", "Variant", Variant(half));
    return RunScript(language, source, &script);
  };
  const Ran pascal = run("PascalScript",
                         "var s: String;\nbegin\n  s := Half; ShowMessage(Length(s));\n  s := s + Half;\n"
                         "  ShowMessage('never');\nend.");
  EXPECT_EQ(pascal.shown, QStringList({"33554433"}));
  EXPECT_EQ(pascal.runError, "EOutOfMemory: " + kStringLimit);
  const Ran basic = run("BasicScript", "Dim s\ns = Half\nShowMessage(Length(s))\ns = s & Half\nShowMessage(\"never\")\n");
  EXPECT_EQ(basic.shown, QStringList({"33554433"}));
  EXPECT_EQ(basic.runError, "EOutOfMemory: " + kStringLimit);
  const Ran cpp = run("C++Script", "{ string s = Half; s += Half; ShowMessage(\"never\"); }");
  EXPECT_TRUE(cpp.shown.isEmpty());
  EXPECT_EQ(cpp.runError, "EOutOfMemory: " + kStringLimit);
  const Ran js = run("JScript", "var s = Half; s = Half + s; ShowMessage(\"never\");");
  EXPECT_TRUE(js.shown.isEmpty());
  EXPECT_EQ(js.runError, "EOutOfMemory: " + kStringLimit);
}

TEST(MemoryLimits, HugeSizesAreRefusedBeforeAnythingIsAllocated) {
  const auto attempt = [](const char* statement) {
    return Pascal(QStringLiteral("var s: String; a: array[1..3] of Integer; v: Variant;\nbegin\n  s := 'abc'; "
                                 "a[1] := 7;\n  try\n    %1;\n  except\n"
                                 "    ShowMessage(ExceptionClassName + ': ' + ExceptionMessage);\n  end;\n"
                                 "  ShowMessage(IntToStr(Length(s)) + ' ' + IntToStr(Length(a)) + ' ' + "
                                 "IntToStr(a[1]));\nend.")
                      .arg(QLatin1String(statement)));
  };
  EXPECT_EQ(attempt("SetLength(s, 2000000000)"), "EOutOfMemory: " + kStringLimit + "\n3 3 7");
  EXPECT_EQ(attempt("SetLength(a, 2000000000)"), "ERangeError: Array too large\n3 3 7");
  EXPECT_EQ(attempt("SetLength(a, 16777217)"), "ERangeError: Array too large\n3 3 7");
  EXPECT_EQ(attempt("v := VarArrayCreate([0, 2000000000], 12)"), "ERangeError: Array too large\n3 3 7");
  EXPECT_EQ(attempt("v := VarArrayCreate([0, 99999, 0, 99999], 12)"), "ERangeError: Array too large\n3 3 7");
  EXPECT_EQ(attempt("s := Format('%*d', [2000000000, 1])"),
            "EConvertError: Format '%*d' invalid or incompatible with argument\n3 3 7");
  EXPECT_EQ(attempt("s := Format('%.*d', [2000000000, 1])"),
            "EConvertError: Format '%.*d' invalid or incompatible with argument\n3 3 7");
  // Within the limits all of these still work.
  EXPECT_EQ(attempt("SetLength(a, 5); a[5] := 1"), "3 5 7");
  EXPECT_EQ(attempt("s := Format('%*d', [6, 42])"), "6 3 7");

  // Uncaught, the refusal ends the run as any other run-time error does.
  const Ran ran = RunScript("PascalScript", "var s: String;\nbegin\n  ShowMessage('before');\n"
                                            "  SetLength(s, 2000000000);\n  ShowMessage('after');\nend.");
  EXPECT_EQ(ran.shown, QStringList({"before"}));
  EXPECT_EQ(ran.runError, "EOutOfMemory: " + kStringLimit);
}

TEST(MemoryLimits, ListsStreamsAndBitmapsHaveTheirLimits) {
  // Seventy lines of 2^20 blanks (one text, shared): each fits, the text
  // of all does not.
  EXPECT_EQ(RunWithClasses("var l: TStringList; s: String; i: Integer;\nbegin\n  l := TStringList.Create;\n"
                           "  s := ' '; for i := 1 to 20 do s := s + s;\n  for i := 1 to 70 do l.Add(s);\n"
                           "  try ShowMessage(Length(l.Text)) except ShowMessage('Text: ' + ExceptionMessage) end;\n"
                           "  try ShowMessage(Length(l.CommaText)) except ShowMessage('CommaText: ' + ExceptionMessage) end;\n"
                           "  while l.Count > 3 do l.Delete(0);\n"
                           "  ShowMessage(IntToStr(Length(l.Text)) + ' ' + IntToStr(Length(l.CommaText)));\n"
                           "  l.Free;\nend."),
            "Text: " + kStringLimit + "\nCommaText: " + kStringLimit + "\n3145734 3145736");

  EXPECT_EQ(RunWithClasses("var l: TList;\nbegin\n  l := TList.Create;\n"
                           "  try l.Count := 2000000000 except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "  l.Count := 3; ShowMessage(l.Count);\n  l.Free;\nend."),
            "EOutOfMemory: Out of memory: a list may hold at most 4194304 items\n3");

  const QString streamLimit = QStringLiteral("EOutOfMemory: Out of memory: a stream may hold, or give at once, at most "
                                             "536870912 bytes");
  EXPECT_EQ(RunWithClasses("var m: TMemoryStream; s: String;\nbegin\n  m := TMemoryStream.Create;\n"
                           "  try m.Size := 2000000000 except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "  try m.SetSize(600000000) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "  m.Position := 3000000000;\n"
                           "  try m.Write('x', 1) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "  m.Position := 0; m.Write('abc', 3); m.Position := 0;\n"
                           "  ShowMessage(IntToStr(m.Read(s, 2000000000)) + ' ' + s + ' ' + IntToStr(m.Size));\n"
                           "  m.Free;\nend."),
            QStringList({streamLimit, streamLimit, streamLimit, "3 abc 3"}).join('\n'));

  EXPECT_EQ(RunWithClasses("var b: TBitmap;\nbegin\n  b := TBitmap.Create;\n  b.Width := 100000;\n"
                           "  try b.Height := 100000 except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "  ShowMessage(IntToStr(b.Width) + 'x' + IntToStr(b.Height));\n"
                           "  b.Width := 20; b.Height := 10; b.Canvas.Pixels[19, 9] := clRed;\n"
                           "  ShowMessage(IntToStr(b.Width) + 'x' + IntToStr(b.Height) + ' ' + "
                           "IntToStr(b.Canvas.Pixels[19, 9]));\n  b.Free;\nend."),
            "EOutOfMemory: Out of memory: a bitmap may hold at most 67108864 pixels\n100000x0\n20x10 255");
}

TEST(MemoryLimits, AFailedAllocationIsARunTimeErrorTheScriptCanCatch) {
  // From a host function, and from the engine itself (reading a variable).
  for (const char* failing : {"Exhaust", "ShowMessage(Greedy)"}) {
    TfsScript script;
    AddFailingAllocations(script);
    const Ran ran = RunScript("PascalScript",
                              QStringLiteral("var Greedy: String;\nbegin\n  try\n    %1;\n    ShowMessage('no');\n"
                                             "  except\n    ShowMessage(ExceptionClassName + ': ' + ExceptionMessage);\n"
                                             "  end;\n  ShowMessage('on');\nend.")
                                  .arg(QLatin1String(failing)),
                              &script);
    EXPECT_EQ(ran.Output(), "EOutOfMemory: Out of memory\non") << failing;
  }

  // Uncaught: the run ends with the error, finally blocks still run.
  for (const char* failing : {"Exhaust", "ShowMessage(Greedy)"}) {
    TfsScript script;
    AddFailingAllocations(script);
    const Ran ran = RunScript("PascalScript",
                              QStringLiteral("var Greedy: String;\nbegin\n  try\n    %1;\n  finally\n"
                                             "    ShowMessage('finally');\n  end;\n  ShowMessage('no');\nend.")
                                  .arg(QLatin1String(failing)),
                              &script);
    EXPECT_EQ(ran.Output(), "finally\nEOutOfMemory: Out of memory") << failing;
    EXPECT_FALSE(script.Running);
  }

  // A host calling a routine gets the script's error, not the allocator's.
  TfsScript script;
  AddFailingAllocations(script);
  script.Lines = SplitSourceLines("var Greedy: String;\nfunction Take: String; begin Result := Greedy end;\n"
                                  "begin end.");
  ASSERT_TRUE(script.CompileSource()) << script.ErrorText.toStdString();
  const auto errorOf = [](const std::function<void()>& call) {
    try {
      call();
    } catch (const RunError& e) {
      return e.className() + ": " + e.message();
    }
    return QStringLiteral("no error");
  };
  EXPECT_EQ(errorOf([&] { script.CallRoutine("Take", Variant::Null()); }), "EOutOfMemory: Out of memory");
  EXPECT_EQ(errorOf([&] { script.EvaluateText("Take + 'x'"); }), "EOutOfMemory: Out of memory");
}

}  // namespace valmoro::script::test
