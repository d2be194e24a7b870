// Declarations: variables with their initial values, arrays, constants,
// routines declared before their text, type aliases of the languages, the
// symbol table and the declaration texts of host functions.

#include <gtest/gtest.h>

#include "qt_printers.h"
#include "run_support.h"
#include "script/host_classes.h"

namespace valmoro::script::test {
namespace {

QString cpp(const QString& source) { return RunScript(QStringLiteral("C++Script"), source).Output(); }
QString js(const QString& source) { return RunScript(QStringLiteral("JScript"), source).Output(); }

TEST(Declarations, InitialValuesByType) {
  EXPECT_EQ(Pascal("var i: Integer; b: Boolean; f: Extended; s: String; c: Char; v: Variant;\n"
                   "begin ShowMessage(i); ShowMessage(b); ShowMessage(f); ShowMessage('[' + s + c + ']');"
                   " ShowMessage(v = Null) end."),
            "0\nFalse\n0\n[]\nTrue");
  EXPECT_EQ(Pascal("var a, b: Integer = 3; s: String = 'init';\nbegin ShowMessage(a + b); ShowMessage(s) end."),
            "6\ninit");
  // Each name has its own array and initial value when the type comes first.
  EXPECT_EQ(cpp("int i, a[3], b = 5;\n{ a[2] = 4; ShowMessage(i + b + a[2]); }"), "9");
  // An array is no Integer, also when declared with "int".
  EXPECT_EQ(CompileError("C++Script", "int a[3] = 0;\n{ }"), "1:13: Incompatible types: 'Array', 'Integer'");
  EXPECT_EQ(js("var x = 2, y[3], z;\ny[1] = x * 3;\nShowMessage(y[1]);\nShowMessage(z == null);"), "6\nTrue");
}

TEST(Declarations, ArraysBoundsAndElementTypes) {
  // One number is the element count: 0 .. n - 1.
  EXPECT_EQ(cpp("int a[5];\n{ a[0] = 1; a[4] = 2; ShowMessage(a[0] + a[4]); }"), "3");
  EXPECT_EQ(cpp("int a[5];\n{ a[5] = 1; }"), "ERangeError: Array index out of bounds");
  EXPECT_EQ(Pascal("var a: array[-2..2] of String;\nbegin a[-2] := 'lo'; a[2] := 'hi'; ShowMessage(a[-2] + a[2]) end."),
            "lohi");
  // Element types are checked when compiling.
  EXPECT_EQ(CompileError("PascalScript", "var a: array[1..2] of Integer;\nbegin a[1] := 'x' end."),
            "2:18: Incompatible types: 'Integer', 'String'");
  EXPECT_EQ(CompileError("PascalScript", "var a: array[1..2] of Integer;\nbegin a.Count := 1 end."),
            "2:14: Array type required");
  // Elements of a Variant array element are reached by further indexes.
  EXPECT_EQ(Pascal("var a: array[0..1] of Variant;\nbegin\n  a[0] := [10, 20, 30];\n  ShowMessage(a[0][1]);\nend."), "20");
}

TEST(Declarations, ConstantsTakeTheirExpressionsType) {
  EXPECT_EQ(Pascal("const Max = 10; Half = Max / 4; Name = 'n' + 'm';\n"
                   "begin ShowMessage(Max * 2); ShowMessage(Half); ShowMessage(Name) end."),
            "20\n2,5\nnm");
  EXPECT_EQ(CompileError("PascalScript", "const Half = 5 / 2;\nvar i: Integer;\nbegin i := Half end."),
            "3:16: Incompatible types: 'Integer', 'Extended'");
  EXPECT_EQ(CompileError("PascalScript", "const Bad = 1 div 0;\nbegin end."), "1:20: Division by zero");
  EXPECT_EQ(cpp("#define Greeting \"hello\"\n{ ShowMessage(Greeting); }"), "hello");
}

TEST(Declarations, RoutinesAreKnownBeforeTheirText) {
  EXPECT_EQ(Pascal("procedure A;\nbegin B end;\nprocedure B;\nbegin ShowMessage('B') end;\nbegin A end."), "B");
  EXPECT_EQ(RunScript("BasicScript", "Greet(\"you\")\nSub Greet(name)\n  ShowMessage(\"hi \" & name)\nEnd Sub").Output(),
            "hi you");
  // Routines see the program's globals; a local hides a global.
  EXPECT_EQ(Pascal("var g, x: Integer;\nprocedure P;\nvar x: Integer;\nbegin\n  x := 5;\n  g := g + x;\nend;\n"
                   "begin g := 1; x := 100; P; ShowMessage(g); ShowMessage(x) end."),
            "6\n100");
  EXPECT_EQ(CompileError("PascalScript", "procedure P(a, a: Integer); begin end;\nbegin end."),
            "1:17: Identifier redeclared: 'a'");
  EXPECT_EQ(CompileError("PascalScript", "procedure P; begin end;\nprocedure P; begin end;\nbegin end."),
            "2:12: Identifier redeclared: 'P'");
  EXPECT_EQ(CompileError("PascalScript", "function F: Integer; begin Result := 'x' end;\nbegin end."),
            "1:41: Incompatible types: 'Integer', 'String'");
  // A C++ function of type void is a procedure.
  EXPECT_EQ(cpp("void P(string s) { ShowMessage(s); return; ShowMessage(\"no\"); }\n{ P(\"p\"); }"), "p");
}

TEST(Declarations, TypeNamesAndAliases) {
  EXPECT_EQ(Pascal("var b: Byte; w: Word; c: TColor; d: TDateTime; r: Real; p: Pointer;\n"
                   "begin b := 1; w := 2; c := 3; d := 1.5; r := 2; p := 'x'; ShowMessage(b + w + c + d + r) end."),
            "9,5");
  EXPECT_EQ(cpp("bool b = true; long l = 3; float f = 0.5;\n{ if (b) ShowMessage(l + f); }"), "3,5");
  EXPECT_EQ(CompileError("C++Script", "complex c;\n{ }"), "1:8: Unknown type: 'complex'");
  EXPECT_EQ(RunScript("BasicScript", "Dim d As Decimal\nd = 1.25\nShowMessage(d * 2)").Output(), "2,5");
}

TEST(SymbolTable, RegistrationRules) {
  TfsScript script;
  script.AddRuntimeLibrary();
  // A type name that exists comes back as it is.
  TfsCustomVariable* integer = script.AddTypeItem("Integer", fvtFloat);
  EXPECT_EQ(integer->Typ, fvtInt);
  EXPECT_NE(script.AddClassItem(&QObject::staticMetaObject, QString()), nullptr);
  EXPECT_EQ(script.AddClassItem(&QObject::staticMetaObject, QString()), nullptr) << "already registered";
  EXPECT_EQ(script.FindClassItem("TObject")->ClassRef, &QObject::staticMetaObject);
  // Constants and variables keep the first registration.
  script.AddConstItem("Limit", "Integer", Variant(1));
  script.AddConstItem("Limit", "Integer", Variant(2));
  EXPECT_EQ(script.FindSymbol("LIMIT")->GetValue().ToInt(), 1);
  EXPECT_TRUE(script.FindSymbol("limit")->IsReadOnly);
  // A child sees its parent's names; names are found ignoring case.
  TfsScript child(&script);
  EXPECT_EQ(child.FindSymbol("limit"), script.FindSymbol("Limit"));
  EXPECT_EQ(child.FindLocalSymbol("Limit"), nullptr);
  EXPECT_EQ(child.FindClassItemOf(&QObject::staticMetaObject), script.FindClassItem("TObject"));
  // The runtime library's names.
  for (const char* name : {"True", "False", "nil", "Null", "ExceptionClassName", "ExceptionMessage", "ShowMessage",
                           "RaiseException", "__StringHelper", "__ArrayHelper", "Extended", "TDateTime", "Variant"})
    EXPECT_NE(script.FindSymbol(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(script.ResolveType("TDate").Typ, fvtFloat);
  EXPECT_THROW(script.ResolveType("TNothing"), ScriptError);
}

TEST(SymbolTable, DeclarationTextsOfHostFunctions) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.AddConstItem("DefaultWidth", "Integer", Variant(80));
  const auto parse = [&](const char* text) { return ParseMethodDeclaration(QString::fromLatin1(text), &script); };

  auto m = parse("function Copy(s: String; from, count: Integer): String");
  EXPECT_EQ(m->Name(), "Copy");
  EXPECT_EQ(m->Typ, fvtString);
  ASSERT_EQ(m->Count(), 3);
  EXPECT_EQ(m->Params(1)->Name(), "from");
  EXPECT_EQ(m->Params(2)->Typ, fvtInt);
  EXPECT_EQ(m->RequiredCount(), 3);

  m = parse("procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)");
  EXPECT_FALSE(m->Params(0)->IsVarParam);
  EXPECT_TRUE(m->Params(1)->IsVarParam && m->Params(2)->IsVarParam && m->Params(3)->IsVarParam);

  m = parse("macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant");
  EXPECT_TRUE(m->IsMacro);
  EXPECT_EQ(m->Name(), "IIF");
  EXPECT_EQ(m->Typ, fvtVariant);

  // Only the last name of a group gets the default.
  m = parse("function Pad(const S: string; A, B: Integer = -2; W: Integer = DefaultWidth; T: String = 'x'): string;");
  EXPECT_EQ(m->Typ, fvtString);
  EXPECT_EQ(m->RequiredCount(), 2);
  EXPECT_FALSE(m->Params(1)->IsOptional);
  EXPECT_EQ(m->Params(2)->DefValue.ToInt(), -2);
  EXPECT_EQ(m->Params(3)->DefValue.ToInt(), 80);
  EXPECT_EQ(m->Params(4)->DefValue.ToString(), "x");

  m = parse("function Pi: Extended");
  EXPECT_EQ(m->Count(), 0);
  EXPECT_EQ(m->Typ, fvtFloat);
  m = parse("constructor Create(AOwner: TComponent)");
  EXPECT_EQ(m->Typ, fvtConstructor);
  EXPECT_EQ(m->Params(0)->Typ, fvtClass);
  EXPECT_EQ(m->Params(0)->TypeName, "TComponent");
  EXPECT_THROW(parse("variable X"), ScriptError);
}

}  // namespace
}  // namespace valmoro::script::test
