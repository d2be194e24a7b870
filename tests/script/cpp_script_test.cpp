// C++Script sources to program XML, and its syntax errors.

#include <gtest/gtest.h>

#include "parse_support.h"
#include "qt_printers.h"

namespace valmoro::script::test {
namespace {

QString outline(const QString& source) {
  const Parsed parsed = Parse(QStringLiteral("C++Script"), source);
  EXPECT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  return parsed.outline;
}

QString error(const QString& source) { return ErrorOf(Parse(QStringLiteral("C++Script"), source)); }

TEST(CppScript, TypesAliasesAreCopiedIntoTheProgram) {
  const Parsed parsed = Parse(QStringLiteral("C++Script"), QStringLiteral("{}"));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.xml,
            "<?xml version=\"1.0\"?><program><compoundstmt pos=\"1:1\"/><types><int type=\"integer\"/>"
            "<long type=\"integer\"/><void type=\"integer\"/><bool type=\"boolean\"/><float type=\"extended\"/>"
            "</types></program>");
}

TEST(CppScript, Declarations) {
  EXPECT_EQ(outline("#define Max 10\nint i, a[3][2] = 0, b = 5;\n"
                    "int Add(int x, string &y = \"d\") { return x + 1; }\nvoid P() { }\n{ Add(1, \"s\"); }"),
            "const(ident:Max expr(number:10)) var(type:int ident:i ident:a array(dim(expr(number:3)) "
            "dim(expr(number:2))) init(expr(number:0)) ident:b init(expr(number:5))) "
            "function(type:int name:Add parameters(var(type:int ident:x) var(type:string varparam:& ident:y "
            "init(expr(string:'d')))) compoundstmt(return(expr(dsgn(node:x) op:+ number:1)))) "
            "function(type:void name:P parameters compoundstmt) "
            "compoundstmt(callstmt(dsgn(node:Add expr(number:1) expr(string:'s'))))");
}

TEST(CppScript, LoopsBranchesAndSwitch) {
  EXPECT_EQ(outline("{\n for (i = 0, int j = 1; i < 10; i++, j--) { a[i][j] = 0x1F; }\n"
                    " while (x != 0) x -= 1;\n do { x *= 2; } while (x <= 100);\n"
                    " if (a == b) c(); else { d(); }\n"
                    " switch (n) { case 1: a(); case 2, 3..5: { b(); c(); } default: d(); }\n}"),
            "compoundstmt(cppforstmt(compoundstmt(assignstmt(dsgn(node:i) expr(number:0)) "
            "var(type:int ident:j init(expr(number:1)))) expr(dsgn(node:i) op:< number:10) "
            "compoundstmt(callstmt(dsgn(node:i) modificator:+) callstmt(dsgn(node:j) modificator:-)) "
            "compoundstmt(assignstmt(dsgn(node:a node:[ expr(dsgn(node:i)) expr(dsgn(node:j))) expr(number:$1F)))) "
            "whilestmt(expr(dsgn(node:x) op:<> number:0) assignstmt(dsgn(node:x) modificator:- expr(number:1))) "
            "repeatstmt(compoundstmt(assignstmt(dsgn(node:x) modificator:* expr(number:2))) "
            "expr(dsgn(node:x) op:<= number:100) inverse) "
            "ifstmt(expr(dsgn(node:a) op:= dsgn(node:b)) thenstmt(callstmt(dsgn(node:c))) "
            "elsestmt(compoundstmt(callstmt(dsgn(node:d))))) "
            "casestmt(expr(dsgn(node:n)) caseselector(set(expr(number:1)) callstmt(dsgn(node:a))) "
            "caseselector(set(expr(number:2) expr(number:3) range:. expr(number:5)) "
            "compoundstmt(callstmt(dsgn(node:b)) callstmt(dsgn(node:c)))) callstmt(dsgn(node:d))))");
}

TEST(CppScript, TryNewDeleteOperatorsAndLiterals) {
  EXPECT_EQ(outline("{ try { x = new TObject(1); delete x; } finally { return; }"
                    " try { } except { exit; }"
                    " x = !a && b || c ^ d % 2 << 1 >> 3; y = &P; s = \"a\\tb\"#65; ; continue; }"),
            "compoundstmt(trystmt(compoundstmt(assignstmt(dsgn(node:x) expr(new(dsgn(node:TObject "
            "expr(number:1))))) delete(dsgn(node:x))) finallystmt(compoundstmt(return))) "
            "trystmt(compoundstmt exceptstmt(compoundstmt(exit))) "
            "assignstmt(dsgn(node:x) expr(op:not dsgn(node:a) op:and dsgn(node:b) op:or dsgn(node:c) op:xor "
            "dsgn(node:d) op:mod number:2 op:shl number:1 op:shr number:3)) "
            "assignstmt(dsgn(node:y) expr(dsgn(addr:& node:P))) assignstmt(dsgn(node:s) expr(string:'atbA'))"
            " empty continue)");
}

TEST(CppScript, CompoundAssignmentAndIncrement) {
  EXPECT_EQ(outline("{ x += 2; i++; }"),
            "compoundstmt(assignstmt(dsgn(node:x) modificator:+ expr(number:2)) callstmt(dsgn(node:i) modificator:+))");
}

TEST(CppScript, SyntaxErrorsWithTheirPositions) {
  EXPECT_EQ(error(""), "1:1: '{' expected");
  EXPECT_EQ(error("{ a() }"), "1:7: ';' expected");
  EXPECT_EQ(error("{ a();"), "2:1: '}' expected");
  EXPECT_EQ(error("{ IF (x) y(); }"), "1:10: ';' expected");  // keywords are lower case only
  EXPECT_EQ(error("{ switch (x) { case 1: a(); break; } }"), "1:29: '}' expected");
  EXPECT_EQ(error("{ switch (x) case 1: a(); }"), "1:14: '{' expected");
  EXPECT_EQ(error("{ if x) a(); }"), "1:6: '(' expected");
  EXPECT_EQ(error("{ if (x a(); }"), "1:9: ')' expected");
  EXPECT_EQ(error("{ do a(); (x); }"), "1:11: 'WHILE' expected");
  EXPECT_EQ(error("{ try { } }"), "1:11: 'FINALLY' or 'EXCEPT' expected");
  EXPECT_EQ(error("{ x = ; }"), "1:7: Expression expected");
  EXPECT_EQ(error("{ for (;;) a(); }"), "1:9: Expression expected");
  EXPECT_EQ(error("#define 5"), "1:9: Identifier expected");
  EXPECT_EQ(error("#defin x 1 {}"), "1:2: 'DEFINE' expected");
  EXPECT_EQ(error("int f(int ) {}"), "1:11: Identifier expected");
}

}  // namespace
}  // namespace valmoro::script::test
