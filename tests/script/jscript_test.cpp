// JScript sources to program XML, and its syntax errors.

#include <gtest/gtest.h>

#include "parse_support.h"
#include "qt_printers.h"

namespace valmoro::script::test {
namespace {

QString outline(const QString& source) {
  const Parsed parsed = Parse(QStringLiteral("JScript"), source);
  EXPECT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  return parsed.outline;
}

QString error(const QString& source) { return ErrorOf(Parse(QStringLiteral("JScript"), source)); }

TEST(JScript, EmptySourceIsAnEmptyProgram) {
  const Parsed parsed = Parse(QStringLiteral("JScript"), QString());
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.xml, "<?xml version=\"1.0\"?><program><compoundstmt pos=\"1:1\"/><types/></program>");
}

TEST(JScript, StatementsDeclarationsAndFunctions) {
  EXPECT_EQ(outline("var x = 1, y[3], z;\nfunction F(a, &b) { return a + b; }\n"
                    "for (var i = 0; i < 3; i++) x += i\nwhile (x > 0) { x--; }\n"
                    "do x = x - 1; while (x > 10);\nif (x == 1) y = 2; else y = 3;\n"
                    "switch (x) { case 1: a(); default: b() }\ntry { x = 1 } finally { y = 2 }\n"
                    "with (Obj) Free();\ndelete o; break; continue;\nz = new TList;"),
            "compoundstmt(var(ident:x init(expr(number:1))) var(ident:y array(dim(expr(number:3)))) var(ident:z) "
            "function(name:F parameters(var(ident:a) var(varparam:& ident:b)) "
            "compoundstmt(return(expr(dsgn(node:a) op:+ dsgn(node:b))))) "
            "cppforstmt(var(ident:i init(expr(number:0))) expr(dsgn(node:i) op:< number:3) "
            "callstmt(dsgn(node:i) modificator:+) assignstmt(dsgn(node:x) modificator:+ expr(dsgn(node:i)))) "
            "whilestmt(expr(dsgn(node:x) op:> number:0) compoundstmt(callstmt(dsgn(node:x) modificator:-))) "
            "repeatstmt(assignstmt(dsgn(node:x) expr(dsgn(node:x) op:- number:1)) expr(dsgn(node:x) op:> "
            "number:10) inverse) "
            "ifstmt(expr(dsgn(node:x) op:= number:1) thenstmt(assignstmt(dsgn(node:y) expr(number:2))) "
            "elsestmt(assignstmt(dsgn(node:y) expr(number:3)))) "
            "casestmt(expr(dsgn(node:x)) caseselector(set(expr(number:1)) callstmt(dsgn(node:a))) "
            "callstmt(dsgn(node:b))) "
            "trystmt(compoundstmt(assignstmt(dsgn(node:x) expr(number:1))) "
            "finallystmt(compoundstmt(assignstmt(dsgn(node:y) expr(number:2))))) "
            "with(dsgn(node:Obj) callstmt(dsgn(node:Free))) delete(dsgn(node:o)) break continue "
            "assignstmt(dsgn(node:z) expr(new(dsgn(node:TList)))))");
}

TEST(JScript, KeywordsIgnoreCaseAndLiterals) {
  EXPECT_EQ(outline("IF (x) y = \"It's\" + 0x1f + 2.5 + \"\\x41\\n\"#33;"),
            "compoundstmt(ifstmt(expr(dsgn(node:x)) thenstmt(assignstmt(dsgn(node:y) expr(string:'It's' op:+ "
            "number:$1f op:+ number:2.5 op:+ string:'A\n!')))))");
}

TEST(JScript, TheWalkEndsAtTheFirstStatementThatMatchesNothing) {
  EXPECT_EQ(outline("x = a * -b; y = 2;"), "compoundstmt(assignstmt(dsgn(node:x) expr(dsgn(node:a) op:*)))");
  EXPECT_EQ(outline("x = 1;\n?? rest (((( ignored"), "compoundstmt(assignstmt(dsgn(node:x) expr(number:1)))");
}

TEST(JScript, BracketedReferenceIsACallOfGet) {
  EXPECT_EQ(outline("x = <Wpisy.\"Data\">;"),
            "compoundstmt(assignstmt(dsgn(node:x) expr(dsgn(node:Get expr(string:'Wpisy.\"Data\"')))))");
}

TEST(JScript, SyntaxErrorsWithTheirPositions) {
  EXPECT_EQ(error("function (a) {}"), "1:10: Expression expected");
  EXPECT_EQ(error("x = 1; { a(); "), "2:1: '}' expected");
  EXPECT_EQ(error("if x) a();"), "1:4: '(' expected");
  EXPECT_EQ(error("while (x a();"), "1:10: ')' expected");
  EXPECT_EQ(error("do a(); x"), "1:9: 'WHILE' expected");
  EXPECT_EQ(error("switch (x) { case 1: a(); b(); }"), "1:27: '}' expected");
  EXPECT_EQ(error("try { } y();"), "1:9: 'FINALLY' or 'EXCEPT' expected");
  EXPECT_EQ(error("x = ;"), "1:5: Expression expected");
  EXPECT_EQ(error("x = (1;"), "1:7: ')' expected");
  EXPECT_EQ(error("x = <a;"), "2:1: '>' expected");
}

}  // namespace
}  // namespace valmoro::script::test
