// BasicScript sources to program XML, and its syntax errors.

#include <gtest/gtest.h>

#include "parse_support.h"
#include "qt_printers.h"

namespace valmoro::script::test {
namespace {

QString outline(const QString& source) {
  const Parsed parsed = Parse(QStringLiteral("BasicScript"), source);
  EXPECT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  return parsed.outline;
}

QString error(const QString& source) { return ErrorOf(Parse(QStringLiteral("BasicScript"), source)); }

TEST(BasicScript, DeclarationsAndRoutines) {
  EXPECT_EQ(outline("Dim a As Integer = 5, b[3], c\nSub P(ByRef x, ByVal y As String)\n"
                    "  x = y & \"s\" : y = 1\nEnd Sub\nFunction F(a) As Decimal\n  Return a \\ 2 Mod 3\nEnd Function\n"),
            "compoundstmt(var(ident:a type:Integer init(expr(number:5))) var(ident:b array(dim(expr(number:3)))) "
            "var(ident:c) procedure(name:P parameters(varparams var(ident:x) var(ident:y type:String)) "
            "compoundstmt(assignstmt(dsgn(node:x) expr(dsgn(node:y) op:strcat string:'s')) "
            "assignstmt(dsgn(node:y) expr(number:1))) exit) "
            "function(name:F parameters(var(ident:a)) type:Decimal "
            "compoundstmt(return(expr(dsgn(node:a) op:div number:2 op:mod number:3))) exit))");
}

TEST(BasicScript, TypesAliasIsCopied) {
  const Parsed parsed = Parse(QStringLiteral("BasicScript"), QStringLiteral("x = 1"));
  ASSERT_TRUE(parsed.ok);
  EXPECT_TRUE(parsed.xml.endsWith("<types><decimal type=\"extended\"/></types></program>")) << parsed.xml.toStdString();
}

TEST(BasicScript, IfForWhileDo) {
  EXPECT_EQ(outline("If a Then\n  b = 1\nElseIf c Then\n  b = 2\nElse\n  b = 3\nEnd If\n"
                    "If x Then y = 1 : z = 2\nFor i = 1 To 10 Step 2\n  s += i\nNext\n"
                    "While i > 0\n  i = i - 1\nWend\nDo\n  i = i + 1\nLoop Until i >= 5\nDo\nLoop While i < 3\n"),
            "compoundstmt(ifstmt(expr(dsgn(node:a)) thenstmt(compoundstmt(assignstmt(dsgn(node:b) expr(number:1)))) "
            "elsestmt(ifstmt(expr(dsgn(node:c)) thenstmt(compoundstmt(assignstmt(dsgn(node:b) expr(number:2)))) "
            "elsestmt(compoundstmt(assignstmt(dsgn(node:b) expr(number:3))))))) "
            "ifstmt(expr(dsgn(node:x)) thenstmt(assignstmt(dsgn(node:y) expr(number:1)) "
            "assignstmt(dsgn(node:z) expr(number:2)))) "
            "vbforstmt(ident:i expr(number:1) expr(number:10) expr(number:2) "
            "compoundstmt(assignstmt(dsgn(node:s) modificator:+ expr(dsgn(node:i))))) "
            "whilestmt(expr(dsgn(node:i) op:> number:0) compoundstmt(assignstmt(dsgn(node:i) "
            "expr(dsgn(node:i) op:- number:1)))) "
            "repeatstmt(compoundstmt(assignstmt(dsgn(node:i) expr(dsgn(node:i) op:+ number:1))) "
            "expr(dsgn(node:i) op:>= number:5)) repeatstmt(compoundstmt expr(dsgn(node:i) op:< number:3) inverse))");
}

TEST(BasicScript, SelectTryWithSetAndOperators) {
  EXPECT_EQ(outline("Select Case x\nCase 1, 2:\n  a = 1\nCase 3: a = 3\nCase Else:\n  a = 2\nEnd Select\n"
                    "Try\n  a = 1\nCatch\n  a = 2\nEnd Try\nWith Obj\n  Free\nEnd With\nSet o = New TList\n"
                    "x = AddressOf P\nx = Not a And b Or c Xor d\nDelete o\nExit\nbreak : continue\n"),
            "compoundstmt(casestmt(expr(dsgn(node:x)) caseselector(set(expr(number:1) expr(number:2)) "
            "compoundstmt(assignstmt(dsgn(node:a) expr(number:1)))) caseselector(set(expr(number:3)) "
            "compoundstmt(assignstmt(dsgn(node:a) expr(number:3)))) compoundstmt(assignstmt(dsgn(node:a) "
            "expr(number:2)))) trystmt(compoundstmt(assignstmt(dsgn(node:a) expr(number:1))) "
            "exceptstmt(compoundstmt(assignstmt(dsgn(node:a) expr(number:2))))) "
            "with(dsgn(node:Obj) compoundstmt(callstmt(dsgn(node:Free)))) "
            "assignstmt(dsgn(node:o) expr(new(dsgn(node:TList)))) assignstmt(dsgn(node:x) expr(dsgn(addr:AddressOf "
            "node:P))) assignstmt(dsgn(node:x) expr(op:not dsgn(node:a) op:and dsgn(node:b) op:or dsgn(node:c) "
            "op:xor dsgn(node:d))) delete(dsgn(node:o)) exit break continue)");
}

TEST(BasicScript, SetAssignsLikeAPlainAssignment) {
  EXPECT_EQ(outline("Set x = 5"), outline("x = 5"));
}

TEST(BasicScript, CommentsContinuationAndLiterals) {
  EXPECT_EQ(outline("x = 1 rem comment\n' whole line\ny = \"say \"\"hi\"\"\" ' trailing\nz = 0x1F + _\n  4.5\n"),
            "compoundstmt(assignstmt(dsgn(node:x) expr(number:1)) assignstmt(dsgn(node:y) expr(string:'say \"hi\"')) "
            "assignstmt(dsgn(node:z) expr(number:$1F op:+ number:4.5)))");
}

TEST(BasicScript, EmptyOrUnmatchedSourceIsNoProgramAndNoError) {
  for (const char* source : {"", "?? what\nx = 1"}) {
    const Parsed parsed = Parse(QStringLiteral("BasicScript"), QString::fromUtf8(source));
    EXPECT_FALSE(parsed.ok) << source;
    EXPECT_EQ(parsed.errorText, "") << source;
  }
  // Blank and comment lines before it make an empty program.
  EXPECT_EQ(outline("\n\n"), "compoundstmt");
  EXPECT_EQ(outline("' comment\n\n?? what"), "compoundstmt");
  // Lines after the first unmatched one are not looked at.
  EXPECT_EQ(outline("x = 1\n?? rest ignored\ny = (\n"), "compoundstmt(assignstmt(dsgn(node:x) expr(number:1)))");
}

TEST(BasicScript, SyntaxErrorsWithTheirPositions) {
  EXPECT_EQ(error("If a Then b = 1 Else b = 2"), "1:17: End of line expected");
  EXPECT_EQ(error("x = 1 y = 2"), "1:7: End of line expected");
  EXPECT_EQ(error("If a Then\n b = 1\n"), "3:1: 'END' expected");
  EXPECT_EQ(error("If a\n"), "1:6: 'THEN' expected");
  EXPECT_EQ(error("For i = 1 10\nNext"), "1:11: 'TO' expected");
  EXPECT_EQ(error("For i = 1 To 10\n"), "2:1: 'NEXT' expected");
  EXPECT_EQ(error("While x\n"), "2:1: 'WEND' expected");
  EXPECT_EQ(error("Sub P\nEnd"), "2:5: 'SUB' expected");
  EXPECT_EQ(error("Function F\nEnd Sub"), "2:5: 'FUNCTION' expected");
  EXPECT_EQ(error("Select x"), "1:8: 'CASE' expected");
  EXPECT_EQ(error("Select Case x\nCase 1: a = 1\nCase Other\nEnd Select"), "3:12: ':' expected");
  EXPECT_EQ(error("Try\nEnd Try"), "2:1: 'FINALLY' or 'CATCH' expected");
  EXPECT_EQ(error("Dim 5"), "1:5: Identifier expected");
  EXPECT_EQ(error("x = (1\n"), "1:8: ')' expected");  // at the LF: a CR is a blank
}

}  // namespace
}  // namespace valmoro::script::test
