// The built-in function library as scripts see it: each expression is shown
// with ShowMessage, so the texts compared are what a script would display
// (the program's regional formats: "," decimal separator, yyyy-MM-dd dates).

#include <gtest/gtest.h>

#include "run_support.h"
#include "script/host_classes.h"
#include "script/sys_functions.h"

namespace valmoro::script::test {

namespace {

struct Case {
  const char* expression;
  const char* shown;
};

QString Show(const QString& expression) {
  return Pascal(QStringLiteral("begin ShowMessage(%1) end.").arg(expression));
}

void ExpectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases)
    EXPECT_EQ(Show(QString::fromUtf8(c.expression)), QString::fromUtf8(c.shown)) << c.expression;
}

}  // namespace

TEST(FunctionsLibrary, Conversions) {
  ExpectAll({
      {"IntToStr(5000000000)", "5000000000"},
      {"IntToStr(-42)", "-42"},
      {"FloatToStr(21.5)", "21,5"},
      {"FloatToStr(1/3)", "0,333333333333333"},
      {"BoolToStr(True)", "-1"},
      {"BoolToStr(False)", "0"},
      {"VarToStr(Null) + '|'", "|"},
      {"StrToInt(' 17 ') + 1", "18"},
      {"StrToInt('$FF')", "255"},
      {"StrToInt64('9000000000') + 1", "9000000001"},
      {"StrToFloat('2,5') * 2", "5"},
      {"StrToBool('True') = True", "True"},
      {"StrToBool('false')", "False"},
      {"StrToBool('0')", "False"},
      {"DateToStr(EncodeDate(2011, 12, 8))", "2011-12-08"},
      {"TimeToStr(EncodeTime(7, 5, 9, 0))", "07:05:09"},
      {"DateTimeToStr(EncodeDate(2011, 12, 8))", "2011-12-08"},
      {"DateTimeToStr(EncodeDate(2011, 12, 8) + EncodeTime(13, 0, 1, 0))", "2011-12-08 13:00:01"},
      {"DateToStr(StrToDate('2012-02-29') + 1)", "2012-03-01"},
      {"DateTimeToStr(StrToDateTime('2012-02-29 10:30:00'))", "2012-02-29 10:30:00"},
      {"ValidInt('12') and not ValidInt('1x') and not ValidInt('3000000000')", "True"},
      {"ValidFloat('1,25') and not ValidFloat('abc')", "True"},
      {"ValidDate('2011-12-08') and not ValidDate('2011-13-08')", "True"},
  });
}

TEST(FunctionsLibrary, ConversionErrorsAreCatchable) {
  EXPECT_EQ(Show("StrToInt('12a')"), "EConvertError: '12a' is not a valid integer value");
  EXPECT_EQ(Show("StrToInt('2147483648')"), "EConvertError: '2147483648' is not a valid integer value");
  EXPECT_EQ(Show("StrToFloat('x')"), "EConvertError: 'x' is not a valid floating point value");
  EXPECT_EQ(Show("StrToDate('8.12.2011')"), "EConvertError: '8.12.2011' is not a valid date");
  EXPECT_EQ(Show("StrToBool('maybe')"), "EConvertError: 'maybe' is not a valid boolean value");
  EXPECT_EQ(Show("EncodeDate(2011, 2, 29)"), "EConvertError: Invalid argument to date encode");
  EXPECT_EQ(Show("EncodeTime(24, 0, 0, 0)"), "EConvertError: Invalid argument to time encode");
  EXPECT_EQ(Pascal("begin try StrToInt('x') except ShowMessage(ExceptionClassName) end end."), "EConvertError");
}

TEST(FunctionsLibrary, Mathematics) {
  ExpectAll({
      {"Round(2.5)", "2"},
      {"Round(3.5)", "4"},
      {"Round(-2.5)", "-2"},
      {"Round(2.51)", "3"},
      {"Trunc(-2.7)", "-2"},
      {"Trunc(6000000000.9)", "6000000000"},
      {"Int(2.7)", "2"},
      {"VarType(Int(2.7)) = 5", "True"},
      {"Frac(2.75)", "0,75"},
      {"Sqrt(16)", "4"},
      {"Abs(-3)", "3"},
      {"Abs(-9007199254740993)", "9007199254740993"},
      {"Ord(Chr(322))", "322"},
      {"Abs(-2.5)", "2,5"},
      {"Round(Pi * 1000)", "3142"},
      {"Round(Tan(Pi / 4) * 1000)", "1000"},
      {"Round(Exp(Ln(10)) * 1000)", "10000"},
      {"Round(ArcTan(1) * 4000)", "3142"},
  });
  // Beyond 32 bits Round raises rather than wrapping around.
  EXPECT_EQ(Show("Round(3000000000.0)"), "EIntOverflow: Integer overflow");
  EXPECT_EQ(Show("Sqrt(-1)"), "EInvalidOp: Invalid floating point operation");
  EXPECT_EQ(Show("Ln(0)"), "EInvalidOp: Invalid floating point operation");
}

TEST(FunctionsLibrary, Strings) {
  ExpectAll({
      {"Copy('abcdef', 2, 3)", "bcd"},
      {"Copy('abcdef', 5, 10)", "ef"},
      {"Copy('abcdef', 0, 2)", "ab"},
      {"Copy('abcdef', 9, 2) + '|'", "|"},
      {"Pos('cd', 'abcdef')", "3"},
      {"Pos('x', 'abcdef')", "0"},
      {"NameCase('jan KOWALSKI')", "Jan Kowalski"},
      {"NameCase('żaneta ŁĄCKA')", "Żaneta Łącka"},
      {"CompareText('abc', 'ABD')", "-1"},
      {"CompareText('ABC', 'abc')", "0"},
      {"CompareText('b', 'A')", "1"},
      {"Uppercase('zażółć')", "ZAŻÓŁĆ"},
      {"Lowercase('ĘX')", "ęx"},
      {"'[' + Trim('  a b ' + #9) + ']'", "[a b]"},
      {"Chr(65) + Chr(322)", "Ał"},
      {"Ord('A')", "65"},
      {"Ord('')", "0"},
      {"Length('zażółć')", "6"},
      {"ExtractFilePath('C:\\dane\\raport.fr3')", "C:\\dane\\"},
      {"ExtractFilePath('/home/jan/raport.fr3')", "/home/jan/"},
      {"ExtractFilePath('raport.fr3') + '|'", "|"},
  });
  EXPECT_EQ(Pascal("var s: String;\nbegin s := 'abcdef'; Delete(s, 2, 3); ShowMessage(s);\n"
                   "s := 'abcdef'; DeleteStr(s, 5, 9); ShowMessage(s);\n"
                   "s := 'ad'; Insert('bc', s, 2); ShowMessage(s);\n"
                   "s := 'ab'; Insert('c', s, 10); ShowMessage(s);\n"
                   "s := 'abcdef'; SetLength(s, 2); ShowMessage(s) end."),
            "aef\nabcd\nabcd\nabc\nab");
}

TEST(FunctionsLibrary, ArraysAndVariants) {
  EXPECT_EQ(Pascal("var a: Variant;\nbegin a := VarArrayCreate([0, 4], 12); ShowMessage(Length(a));\n"
                   "SetLength(a, 3); ShowMessage(Length(a)); a[2] := 'z'; ShowMessage(a[2]) end."),
            "5\n3\nz");
  EXPECT_EQ(Pascal("var a: Variant;\nbegin a := VarArrayCreate([1, 2, 0, 3], 3);\n"
                   "a[2, 3] := 7; ShowMessage(a[2, 3] + a[1, 0]) end."),
            "7");
  ExpectAll({
      {"VarType(1)", "3"},
      {"VarType('x')", "8"},
      {"VarType(Null)", "1"},
      {"VarType(True)", "11"},
  });
}

TEST(FunctionsLibrary, Dates) {
  EXPECT_EQ(Pascal("var y, m, d: Integer;\nbegin DecodeDate(EncodeDate(2011, 2, 28), y, m, d);\n"
                   "ShowMessage(IntToStr(y) + '/' + IntToStr(m) + '/' + IntToStr(d)) end."),
            "2011/2/28");
  EXPECT_EQ(Pascal("var h, n, s, ms: Integer;\nbegin DecodeTime(EncodeTime(13, 45, 7, 250), h, n, s, ms);\n"
                   "ShowMessage(Format('%d:%d:%d.%d', [h, n, s, ms])) end."),
            "13:45:7.250");
  ExpectAll({
      {"DaysInMonth(2012, 2)", "29"},
      {"DaysInMonth(2011, 2)", "28"},
      {"DaysInMonth(1900, 2)", "28"},
      {"DaysInMonth(2000, 2)", "29"},
      {"DaysInMonth(2011, 4)", "30"},
      {"IsLeapYear(2000) and not IsLeapYear(1900)", "True"},
      {"DayOfWeek(EncodeDate(2011, 12, 11))", "1"},  // a Sunday
      {"DayOfWeek(EncodeDate(2011, 12, 10))", "7"},
      {"Date = Trunc(Now)", "True"},
      {"(Time >= 0) and (Time < 1)", "True"},
  });
  EXPECT_EQ(Show("DaysInMonth(2011, 13)"), "ERangeError: Invalid month: 13");
}

TEST(FunctionsLibrary, Format) {
  ExpectAll({
      {"Format('%d-%s', [5, 'x'])", "5-x"},
      {"Format('%d', [Null])", "0"},
      {"Format('[%5d|%-5d|%.3d]', [42, 42, 7])", "[   42|42   |007]"},
      {"Format('%x %.4x', [255, 10])", "FF 000A"},
      {"Format('%u', [-1])", "4294967295"},
      {"Format('%d', [6000000000])", "6000000000"},
      {"Format('%.2f', [1234.5])", "1234,50"},
      {"Format('%n', [1234567.891])", "1\u00A0234\u00A0567,89"},
      {"Format('%e', [1234.5])", "1,23450000000000E+003"},
      {"Format('%g', [0.5])", "0,5"},
      {"Format('%.3g', [3.14159])", "3,14"},
      {"Format('%1:s %0:s %%', ['a', 'b'])", "b a %"},
      {"Format('%*d', [4, 7])", "   7"},
      {"Format('%.2s', ['abc'])", "ab"},
  });
  // No 255-character cut.
  EXPECT_EQ(Pascal("var s: String; i: Integer;\nbegin for i := 1 to 300 do s := s + 'a';\n"
                   "ShowMessage(Length(Format('%s|', [s]))) end."),
            "301");
  EXPECT_EQ(Show("Format('%d', ['x'])"), "EConvertError: Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(Show("Format('%d %d', [1])"), "EConvertError: Format '%d %d' invalid or incompatible with argument");
  EXPECT_EQ(Show("Format('%q', [1])"), "EConvertError: Format '%q' invalid or incompatible with argument");
  // A date-time no calendar holds is refused, not formatted from garbage.
  EXPECT_EQ(Show("FormatDateTime('yyyy-mm-dd', 1e300)"), "EConvertError: Invalid argument to date encode");
  EXPECT_EQ(Show("FormatDateTime('yyyy', -693594)"), "EConvertError: Invalid argument to date encode");
  EXPECT_EQ(Show("FormatDateTime('yyyy-mm-dd', -693593)"), "0001-01-01");
  EXPECT_EQ(Show("FormatDateTime('yyyy-mm-dd', 2958465.99)"), "9999-12-31");
}

TEST(FunctionsLibrary, PictureFormats) {
  ExpectAll({
      {"FormatFloat('#,##0.00', 1234.5)", "1\u00A0234,50"},
      {"FormatFloat('0.0', 2.25)", "2,3"},
      {"FormatDateTime('yyyy-mm-dd hh:nn:ss', EncodeDate(2011, 12, 8) + EncodeTime(9, 5, 3, 0))",
       "2011-12-08 09:05:03"},
      {"FormatDateTime('d/m/yy', EncodeDate(2011, 2, 8))", "8-2-11"},
      {"FormatDateTime('hh:mm', EncodeTime(9, 5, 0, 0))", "09:05"},
      {"FormatDateTime('mmmm', EncodeDate(2011, 12, 8))", "grudzień"},
      // With a day number the month takes the genitive, alone or with the
      // year the nominative; a quoted "d" is no day.
      {"FormatDateTime('d mmmm yyyy', EncodeDate(2026, 11, 30))", "30 listopada 2026"},
      {"FormatDateTime('dddddd', EncodeDate(2026, 11, 30))", "30 listopada 2026"},
      {"FormatDateTime('mmmm, dd', EncodeDate(2026, 3, 5))", "marca, 05"},
      {"FormatDateTime('mmmm yyyy', EncodeDate(2026, 11, 30))", "listopad 2026"},
      {"FormatDateTime('dddd, mmmm', EncodeDate(2026, 11, 30))", "poniedziałek, listopad"},
      {"FormatDateTime('\"d\" mmmm', EncodeDate(2026, 11, 30))", "d listopad"},
      {"FormatDateTime('dddd', EncodeDate(2011, 12, 8))", "czwartek"},
      {"FormatDateTime('h:nn am/pm', EncodeTime(15, 7, 0, 0))", "3:07 pm"},
      {"FormatDateTime('\"dzień\" d', EncodeDate(2011, 12, 8))", "dzień 8"},
      {"FormatDateTime('c', EncodeDate(2011, 12, 8) + EncodeTime(1, 2, 3, 0))", "2011-12-08 01:02:03"},
      {"FormatDateTime('zzz', EncodeTime(0, 0, 0, 45))", "045"},
      {"FormatMaskText('000-000;0;_', '12345')", "123-45_"},
      {"FormatMaskText('>LL-00;1;_', 'ab-12')", "AB-12"},
      {"FormatMaskText('(00) 000;0; ', '12345')", "(12) 345"},
  });
}

TEST(FunctionsLibrary, IncDecAndOther) {
  // A Variant holding a float stays a float (a variable declared Extended is
  // no match for the Integer parameter).
  EXPECT_EQ(Pascal("var i: Integer; f: Variant;\nbegin i := 1; Inc(i); ShowMessage(i); Inc(i, 5); ShowMessage(i);\n"
                   "Dec(i); ShowMessage(i); Dec(i, 10); ShowMessage(i);\n"
                   "f := 1.5; Inc(f); ShowMessage(f) end."),
            "2\n7\n6\n-4\n2,5");
  EXPECT_EQ(Pascal("begin try RaiseException('Błąd') except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) "
                   "end end."),
            "Exception: Błąd");
  // Random stays in [0, 1) and is not constant.
  EXPECT_EQ(Pascal("var i: Integer; r, first: Extended; ok, differs: Boolean;\n"
                   "begin Randomize; ok := True; differs := False; first := Random;\n"
                   "for i := 1 to 200 do begin r := Random; if (r < 0) or (r >= 1) then ok := False;\n"
                   "if r <> first then differs := True end;\nShowMessage(ok and differs) end."),
            "True");
}

TEST(FunctionsLibrary, AutomationObjects) {
  EXPECT_EQ(Show("CreateOleObject('Valmoro.Nothing')").left(27), "EOleSysError: OLE error 800");

  class Echo : public TfsAutomationObject {
  public:
    Variant Invoke(const QString& member, Access, std::vector<Variant>& arguments) override {
      return Variant(member + QStringLiteral(":") + (arguments.empty() ? QString() : arguments[0].ToString()));
    }
  };
  RegisterAutomationClass(QStringLiteral("Valmoro.Echo"), [] { return std::make_shared<Echo>(); });
  const QString shown = Pascal("var o: Variant;\nbegin o := CreateOleObject('valmoro.echo'); ShowMessage(o.Say('hej')) end.");
  UnregisterAutomationClass(QStringLiteral("Valmoro.Echo"));
  EXPECT_EQ(shown.toUpper(), "SAY:HEJ");
}

TEST(FunctionsLibrary, RegisteredWithCategories) {
  TfsScript script;
  script.AddRuntimeLibrary();
  auto* round = dynamic_cast<TfsMethodHelper*>(script.FindSymbol(QStringLiteral("Round")));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->Category, "ctMath");
  EXPECT_EQ(round->Declaration, "function Round(e: Extended): Integer");
  auto* inc = dynamic_cast<TfsMethodHelper*>(script.FindSymbol(QStringLiteral("Inc")));
  ASSERT_NE(inc, nullptr);
  EXPECT_EQ(inc->Category, "ctOther");
  EXPECT_EQ(inc->RequiredCount(), 1);
  auto* boolToStr = dynamic_cast<TfsMethodHelper*>(script.FindSymbol(QStringLiteral("BoolToStr")));
  ASSERT_NE(boolToStr, nullptr);
  EXPECT_EQ(boolToStr->Category, "ctConv");
}


TEST(FunctionsLibrary, DefaultValuesOfDeclarations) {
  TfsScript script;
  script.AddRuntimeLibrary();
  auto m = ParseMethodDeclaration(
      QStringLiteral("procedure P(a: Extended = 1.5; b: Boolean = True; c: Integer = -3; d: Extended = -0.25; "
                     "e: String = 'x y'; f: Variant = Unknown)"),
      &script);
  ASSERT_EQ(m->Count(), 6);
  EXPECT_EQ(m->Params(0)->DefValue.Kind(), VarKind::Double);
  EXPECT_EQ(m->Params(0)->DefValue.ToDouble(), 1.5);
  EXPECT_EQ(m->Params(1)->DefValue.Kind(), VarKind::Boolean);
  EXPECT_TRUE(m->Params(1)->DefValue.ToBool());
  EXPECT_EQ(m->Params(2)->DefValue.Kind(), VarKind::Integer);
  EXPECT_EQ(m->Params(2)->DefValue.ToInt(), -3);
  EXPECT_EQ(m->Params(3)->DefValue.ToDouble(), -0.25);
  EXPECT_EQ(m->Params(4)->DefValue.ToString(), "x y");
  // A name that is no constant or variable gives no default.
  EXPECT_FALSE(m->Params(5)->IsOptional);
  EXPECT_EQ(m->RequiredCount(), 1);
}

}  // namespace valmoro::script::test
