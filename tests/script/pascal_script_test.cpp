// PascalScript sources to program XML, and its syntax errors.

#include <gtest/gtest.h>

#include "parse_support.h"
#include "qt_printers.h"

namespace valmoro::script::test {
namespace {

QString outline(const QString& source) {
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), source);
  EXPECT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  return parsed.outline;
}

QString error(const QString& source) { return ErrorOf(Parse(QStringLiteral("PascalScript"), source)); }

TEST(PascalScript, SmallestProgramIsOneCompoundStatementAndTheTypes) {
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("begin end."));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.xml, "<?xml version=\"1.0\"?><program><compoundstmt pos=\"1:1\"/><types/></program>");
}

TEST(PascalScript, ExactXmlOfAnAssignment) {
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("begin\n  x := 'a' + 1;\nend."));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.xml,
            "<?xml version=\"1.0\"?><program><compoundstmt pos=\"1:1\"><assignstmt pos=\"2:3\">"
            "<dsgn pos=\"2:3\"><node text=\"x\" pos=\"2:4\"/></dsgn>"
            "<expr pos=\"2:8\" pos1=\"2:15\"><string text=\"'a'\" pos=\"2:11\"/><op text=\"+\" pos=\"2:13\"/>"
            "<number text=\"1\" pos=\"2:15\"/></expr></assignstmt></compoundstmt><types/></program>");
}

TEST(PascalScript, Declarations) {
  EXPECT_EQ(outline("program Demo;\nconst Max = 10; Min = -1;\nvar i, n: Integer; s: String = 'a''b';\n"
                    "  a: array[1..3, 0..2] of Extended; b: array of Variant;\nbegin end."),
            "const(ident:Max expr(number:10)) const(ident:Min expr(op:unminus number:1)) "
            "var(ident:i ident:n type:Integer) var(ident:s type:String init(expr(string:'a'b'))) "
            "var(ident:a array(dim(expr(number:1) expr(number:3)) dim(expr(number:0) expr(number:2))) "
            "type:Extended) var(ident:b array type:Variant) compoundstmt");
}

TEST(PascalScript, RoutinesNestTheirDeclarations) {
  EXPECT_EQ(outline("procedure P(var x: Integer; const y: String; z: Integer = 5);\nvar t: Integer;\n"
                    "begin x := y end;\nfunction F(a: Integer): Boolean;\nbegin Result := True end;\nbegin end."),
            "procedure(name:P parameters(varparams var(ident:x type:Integer) var(ident:y type:String) "
            "var(ident:z type:Integer init(expr(number:5)))) var(ident:t type:Integer) "
            "compoundstmt(assignstmt(dsgn(node:x) expr(dsgn(node:y))))) "
            "function(name:F parameters(var(ident:a type:Integer)) type:Boolean "
            "compoundstmt(assignstmt(dsgn(node:Result) expr(dsgn(node:True))))) compoundstmt");
}

TEST(PascalScript, Loops) {
  EXPECT_EQ(outline("begin\n for i := 1 to Max do n := n + i;\n for i := 10 downto 1 do begin end;\n"
                    " while n > 0 do n := n - 1;\n repeat Inc(n); until n >= 5\nend."),
            "compoundstmt(forstmt(ident:i expr(number:1) expr(dsgn(node:Max)) "
            "assignstmt(dsgn(node:n) expr(dsgn(node:n) op:+ dsgn(node:i)))) "
            "forstmt(ident:i expr(number:10) downto:downto expr(number:1) compoundstmt) "
            "whilestmt(expr(dsgn(node:n) op:> number:0) assignstmt(dsgn(node:n) expr(dsgn(node:n) op:- number:1))) "
            "repeatstmt(callstmt(dsgn(node:Inc expr(dsgn(node:n)))) expr(dsgn(node:n) op:>= number:5)))");
}

TEST(PascalScript, BranchesTryAndWith) {
  EXPECT_EQ(outline("begin\n if n in [1, 3..5] then P(n) else exit;\n"
                    " case n of 1, 2: s := 1; 3: break; else continue; end;\n"
                    " try s := a[1, 2] except s := 2 end;\n try with Self, B do Free finally Obj.Free end\nend."),
            "compoundstmt(ifstmt(expr(dsgn(node:n) op:in set(expr(number:1) expr(number:3) range:. "
            "expr(number:5))) thenstmt(callstmt(dsgn(node:P expr(dsgn(node:n))))) elsestmt(exit)) "
            "casestmt(expr(dsgn(node:n)) caseselector(set(expr(number:1) expr(number:2)) "
            "assignstmt(dsgn(node:s) expr(number:1))) caseselector(set(expr(number:3)) break) continue) "
            "trystmt(assignstmt(dsgn(node:s) expr(dsgn(node:a node:[ expr(number:1) expr(number:2)))) "
            "exceptstmt(assignstmt(dsgn(node:s) expr(number:2)))) "
            "trystmt(with(dsgn(node:Self) dsgn(node:B) callstmt(dsgn(node:Free))) "
            "finallystmt(callstmt(dsgn(node:Obj node:Free)))))");
}

TEST(PascalScript, OperatorsInSourceOrder) {
  EXPECT_EQ(outline("begin x := not (a > 0) and (a <= $1F) or b xor c;"
                    " y := -a * b div 3 mod 4 shl 1 shr 2 / 5 - 6; z := @P; w := a <> b;"
                    " u := o is TObject end."),
            "compoundstmt(assignstmt(dsgn(node:x) expr(op:not op:( expr(dsgn(node:a) op:> number:0) op:) "
            "op:and op:( expr(dsgn(node:a) op:<= number:$1F) op:) op:or dsgn(node:b) op:xor dsgn(node:c))) "
            "assignstmt(dsgn(node:y) expr(op:unminus dsgn(node:a) op:* dsgn(node:b) op:div number:3 op:mod "
            "number:4 op:shl number:1 op:shr number:2 op:/ number:5 op:- number:6)) "
            "assignstmt(dsgn(node:z) expr(dsgn(addr:@ node:P))) "
            "assignstmt(dsgn(node:w) expr(dsgn(node:a) op:<> dsgn(node:b))) "
            "assignstmt(dsgn(node:u) expr(dsgn(node:o) op:is dsgn(node:TObject))))");
}

TEST(PascalScript, EveryLiteralForm) {
  EXPECT_EQ(outline("begin s := 'It''s'; t := 'A'#13#10'B'; n := 1.5e-3; h := $FF; c := #$41; end."),
            "compoundstmt(assignstmt(dsgn(node:s) expr(string:'It's')) "
            "assignstmt(dsgn(node:t) expr(string:'A\r\nB')) assignstmt(dsgn(node:n) expr(number:1.5e-3)) "
            "assignstmt(dsgn(node:h) expr(number:$FF)) assignstmt(dsgn(node:c) expr(string:'A')))");
}

TEST(PascalScript, BracketedReferenceIsACallOfGet) {
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("begin x := <Wpisy.\"Da<t>a\">; end."));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.outline,
            "compoundstmt(assignstmt(dsgn(node:x) expr(dsgn(node:Get expr(string:'Wpisy.\"Da<t>a\"')))))");
  EXPECT_TRUE(parsed.xml.contains("<dsgn pos=\"1:27\"><node text=\"Get\" pos=\"1:27\"/><expr pos=\"1:27\">"
                                  "<string text=\"'Wpisy.&#34;Da&#60;t&#62;a&#34;'\" pos=\"1:27\"/></expr></dsgn>"))
      << parsed.xml.toStdString();
}

TEST(PascalScript, StatementsMayBeEmptyAndTextAfterTheFinalPointIsIgnored) {
  EXPECT_EQ(outline("begin ; ; a;; end. this is not Pascal (*"), "compoundstmt(callstmt(dsgn(node:a)))");
  EXPECT_EQ(outline("var a, b: Integer;\nbegin end."), "var(ident:a ident:b type:Integer) compoundstmt");
}

TEST(PascalScript, SyntaxErrorsWithTheirPositions) {
  EXPECT_EQ(error(""), "1:1: 'BEGIN' expected");
  EXPECT_EQ(error("begin a b end."), "1:9: ';' expected");
  EXPECT_EQ(error("begin x := ; end."), "1:12: Expression expected");
  EXPECT_EQ(error("begin x := 1 +; end."), "1:14: ';' expected");
  EXPECT_EQ(error("begin x := a * -b; end."), "1:14: ';' expected");
  EXPECT_EQ(error("begin end"), "2:1: '.' expected");
  EXPECT_EQ(error("begin x := (1; end."), "1:14: ')' expected");
  EXPECT_EQ(error("begin\n  if x y; end."), "2:8: 'THEN' expected");
  EXPECT_EQ(error("begin for i = 1 to 2 do; end."), "1:13: ':' expected");
  EXPECT_EQ(error("begin for i := 1 upto 2 do; end."), "1:18: 'TO' or 'DOWNTO' expected");
  EXPECT_EQ(error("begin while x a; end."), "1:15: 'DO' expected");
  EXPECT_EQ(error("begin try a; b end."), "1:16: 'FINALLY' or 'EXCEPT' expected");
  EXPECT_EQ(error("begin repeat a; b end."), "1:19: 'UNTIL' expected");
  EXPECT_EQ(error("begin case x 1: a end."), "1:14: 'OF' expected");
  EXPECT_EQ(error("begin case x of 1: a; 2 b end."), "1:23: 'END' expected");
  EXPECT_EQ(error("begin a[1 := 2 end."), "1:11: ']' expected");
  EXPECT_EQ(error("begin x.5 := 1 end."), "1:9: Identifier expected");
  EXPECT_EQ(error("begin with do a end."), "1:12: Expression expected");
  EXPECT_EQ(error("begin x := 'abc; end."), "1:12: Expression expected");  // unterminated
  EXPECT_EQ(error("begin x := <Wpisy.\"Data\"; end."), "2:1: '>' expected");
  EXPECT_EQ(error("var x begin end."), "1:7: ':' expected");
  EXPECT_EQ(error("var a: array[1..2 of Integer; begin end."), "1:19: ']' expected");
  EXPECT_EQ(error("const X 1; begin end."), "1:9: '=' expected");
  EXPECT_EQ(error("procedure P begin end; begin end."), "1:13: ';' expected");
  EXPECT_EQ(error("function F; begin end; begin end."), "1:11: ':' expected");
  EXPECT_EQ(error("program; begin end."), "1:8: Identifier expected");
}

}  // namespace
}  // namespace valmoro::script::test
