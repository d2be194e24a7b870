// The tokenizer as each built-in grammar configures it.

#include <gtest/gtest.h>

#include <functional>

#include "qt_printers.h"
#include "script/il_parser.h"
#include "script/script.h"

namespace valmoro::script {
namespace {

// A tokenizer set up by the grammar of a language, over one text.
struct Tok {
  TfsScript script;
  TfsILParser il{&script};
  TfsParser& p = il.Parser();
  Tok(const QString& language, const QString& text) {
    il.SelectLanguage(language);
    p.SetText(text);
  }
};

QString number(const QString& language, const QString& text) { return Tok(language, text).p.ReadNumber(); }
QString string(const QString& language, const QString& text) { return Tok(language, text).p.ReadString(); }

TEST(Tokenizer, NumbersDecimalFloatAndHex) {
  EXPECT_EQ(number("PascalScript", " 42;"), "42");
  EXPECT_EQ(number("PascalScript", "3.25"), "3.25");
  EXPECT_EQ(number("PascalScript", "1.5e+3x"), "1.5e+3");
  EXPECT_EQ(number("PascalScript", "7E2"), "7E2");
  EXPECT_EQ(number("PascalScript", "2e"), "2");      // an incomplete exponent stays
  EXPECT_EQ(number("PascalScript", "2e+"), "2");
  EXPECT_EQ(number("PascalScript", "1.e5"), "1");    // no digit after the point: integer alone
  EXPECT_EQ(number("PascalScript", "$1F"), "$1F");
  EXPECT_EQ(number("PascalScript", "$"), "");
  EXPECT_EQ(number("PascalScript", "-1"), "");       // a minus is an operator
  EXPECT_EQ(number("C++Script", "0x1F"), "$1F");
  EXPECT_EQ(number("C++Script", "0xff.5"), "$ff.5");
  EXPECT_EQ(number("C++Script", "$1F"), "");
  EXPECT_EQ(number("JScript", "0x"), "0");           // prefix without digits: the zero alone
  EXPECT_EQ(number("BasicScript", "0x10"), "$10");
}

TEST(Tokenizer, NumberStopsBeforeARangeAndBeforeAnUppercaseHexPrefix) {
  Tok range("PascalScript", "1..5");
  EXPECT_EQ(range.p.ReadNumber(), "1");
  EXPECT_EQ(range.p.Position(), 2);
  EXPECT_EQ(range.p.ReadSymbol().toString(), ".");

  Tok upper("C++Script", "0X1F");
  EXPECT_EQ(upper.p.ReadNumber(), "0");
  EXPECT_EQ(upper.p.ReadIdent().toString(), "X1F");
}

TEST(Tokenizer, StringsAlwaysComeBackInSingleQuotes) {
  EXPECT_EQ(string("PascalScript", "'It''s'"), "'It's'");
  EXPECT_EQ(string("C++Script", "\"It's\""), "'It's'");
  EXPECT_EQ(string("BasicScript", "\"say \"\"hi\"\"\""), "'say \"hi\"'");
  EXPECT_EQ(string("PascalScript", "''"), "''");
  EXPECT_EQ(string("PascalScript", "'a' 'b'"), "'a'");  // pieces must touch
  EXPECT_EQ(string("PascalScript", "'tab\there'"), "'tab\there'");
}

TEST(Tokenizer, CEscapesInCppScriptAndJScript) {
  EXPECT_EQ(string("C++Script", "\"a\\tb\""), "'atb'");
  EXPECT_EQ(string("C++Script", "\"\\n\\R\\\\\\\"\""), "'\n\r\\\"'");
  EXPECT_EQ(string("JScript", "\"\\x41\\x4a\\x\""), "'AJ'");
  EXPECT_EQ(string("JScript", "\"\\x1F600\""), QString("'") + QChar(0xF600) + "'");  // low 16 bits
  EXPECT_EQ(string("PascalScript", "'a\\n'"), "'a\\n'");  // no escapes in Pascal
  // A quote always ends the part when escapes are on: two quotes are two
  // adjacent parts, not one quote character.
  EXPECT_EQ(string("C++Script", "\"a\"\"b\""), "'ab'");
}

TEST(Tokenizer, CharacterCodesJoinTheStringInEveryLanguage) {
  EXPECT_EQ(string("PascalScript", "'A'#13#10'B'"), "'A\r\nB'");
  EXPECT_EQ(string("PascalScript", "#$41#66"), "'AB'");
  EXPECT_EQ(string("C++Script", "#0x41\"b\""), "'Ab'");
  EXPECT_EQ(string("BasicScript", "\"x\"#9"), "'x\t'");
  EXPECT_EQ(string("PascalScript", "'a'#"), "'a'");
  EXPECT_EQ(string("PascalScript", "#65536"), QString("'") + QChar(0) + "'");
}

TEST(Tokenizer, UnterminatedStringsYieldNoToken) {
  Tok open("PascalScript", "  'abc\r\nx");
  EXPECT_EQ(open.p.ReadString(), "");
  EXPECT_EQ(open.p.Position(), 3);  // at the opening quote
  EXPECT_EQ(string("PascalScript", "'abc"), "");
  EXPECT_EQ(string("PascalScript", "'It''s"), "");
  EXPECT_EQ(string("C++Script", "\"abc\\"), "");      // a backslash at the very end
  EXPECT_EQ(string("C++Script", "\"abc\\\r\n\""), "");  // nor can it carry a line end
  // A finished first piece stays when a later piece is unterminated.
  Tok later("PascalScript", "'ok'#13'rest");
  EXPECT_EQ(later.p.ReadString(), "'ok\r'");
  EXPECT_EQ(later.p.Position(), 8);
}

TEST(Tokenizer, CommentsOfEachLanguage) {
  Tok pascal("PascalScript", "{ a } (* b *) // c\r\n  word");
  EXPECT_EQ(pascal.p.ReadWord().toString(), "word");
  Tok cpp("C++Script", "/* a */ // b\n x");
  EXPECT_EQ(cpp.p.ReadWord().toString(), "x");
  Tok basic("BasicScript", "/\\ block /\\ x");
  EXPECT_EQ(basic.p.ReadWord().toString(), "x");
  Tok nested("PascalScript", "{ { } x } y");
  EXPECT_EQ(nested.p.ReadWord().toString(), "x");  // comments do not nest
}

TEST(Tokenizer, UnterminatedBlockCommentStopsAtTheEnd) {
  for (const char* text : {"{ never closed", "(* never", "{\r\n"}) {
    Tok t("PascalScript", QString("x ") + text);
    EXPECT_EQ(t.p.ReadWord().toString(), "x");
    EXPECT_EQ(t.p.ReadWord().toString(), "");
    EXPECT_EQ(t.p.Position(), t.p.Size() + 1) << text;
  }
}

TEST(Tokenizer, BasicRemStartsACommentEvenInsideAWord) {
  Tok rem("BasicScript", "remark = 1\nx");
  rem.p.SkipBlanks();
  EXPECT_EQ(rem.p.Position(), 11);  // at the LF
  EXPECT_TRUE(rem.p.SkipLineEnds());
  EXPECT_EQ(rem.p.ReadWord().toString(), "x");

  Tok upper("BasicScript", "REM note");  // markers compare exactly
  EXPECT_EQ(upper.p.ReadWord().toString(), "REM");
}

TEST(Tokenizer, BasicLineEndsAreTokensAndUnderscoreJoinsLines) {
  Tok after("BasicScript", "a ' note\r\nb");
  EXPECT_EQ(after.p.ReadWord().toString(), "a");
  EXPECT_TRUE(after.p.SkipLineEnds());
  EXPECT_EQ(after.p.ReadWord().toString(), "b");

  Tok joined("BasicScript", "a _\r\n  b");
  EXPECT_EQ(joined.p.ReadWord().toString(), "a");
  EXPECT_FALSE(joined.p.SkipLineEnds());
  EXPECT_EQ(joined.p.ReadWord().toString(), "b");

  Tok pascal("PascalScript", "a\r\nb");  // line ends are blanks elsewhere
  EXPECT_EQ(pascal.p.ReadWord().toString(), "a");
  EXPECT_FALSE(pascal.p.SkipLineEnds());
}

TEST(Tokenizer, WordsIdentsAndKeywords) {
  Tok t("PascalScript", "  _x1 1abc zażółć BEGIN end");
  EXPECT_EQ(t.p.ReadWord().toString(), "_x1");
  EXPECT_EQ(t.p.ReadWord().toString(), "");
  EXPECT_EQ(t.p.ReadNumber(), "1");
  EXPECT_EQ(t.p.ReadIdent().toString(), "abc");
  EXPECT_EQ(t.p.ReadIdent().toString(), "zażółć");
  EXPECT_EQ(t.p.ReadIdent().toString(), "");  // BEGIN, refused but read
  EXPECT_EQ(t.p.ReadWord().toString(), "end");

  Tok cpp("C++Script", "IF if");
  EXPECT_EQ(cpp.p.ReadIdent().toString(), "IF");  // keywords are lower case only here
  EXPECT_EQ(cpp.p.ReadIdent().toString(), "");
}

TEST(Tokenizer, SymbolsAreSinglePunctuationCharacters) {
  Tok t("PascalScript", ":=@a");
  EXPECT_EQ(t.p.ReadSymbol().toString(), ":");
  EXPECT_EQ(t.p.ReadSymbol().toString(), "=");
  EXPECT_EQ(t.p.ReadSymbol().toString(), "@");
  EXPECT_EQ(t.p.ReadSymbol().toString(), "");
  EXPECT_EQ(t.p.Position(), 4);
  Tok blank("PascalScript", " +");
  EXPECT_EQ(blank.p.ReadSymbol().toString(), "");  // no blank skipping of its own
}

TEST(Tokenizer, BracketTextBalancesBracketsOutsideQuotes) {
  auto bracket = [](const QString& text) {
    Tok t("PascalScript", text);
    return t.p.ReadBracketText().toString();
  };
  EXPECT_EQ(bracket("Wpisy.\"Data\"> + 1"), "Wpisy.\"Data\"");
  EXPECT_EQ(bracket("a<b>c> x"), "a<b>c");
  EXPECT_EQ(bracket("t[1]>"), "t[1]");
  EXPECT_EQ(bracket("'x>' \"y]\">z"), "'x>' \"y]\"");
  EXPECT_EQ(bracket("\"it's>\">"), "\"it's>\"");
  EXPECT_EQ(bracket(">"), "");
  Tok open("PascalScript", "never <closed");
  EXPECT_EQ(open.p.ReadBracketText().toString(), "never <closed");
  EXPECT_EQ(open.p.Position(), open.p.Size() + 1);
}

TEST(Tokenizer, PositionsAreLineAndColumn) {
  TfsParser p;
  p.SetText(QStringLiteral("ab\ncd\n\tefgh"));
  EXPECT_EQ(p.PositionText(1), "1:1");
  EXPECT_EQ(p.PositionText(3), "1:3");    // the LF belongs to the line it ends
  EXPECT_EQ(p.PositionText(4), "2:1");
  EXPECT_EQ(p.PositionText(11), "3:5");   // a TAB is one column
  EXPECT_EQ(p.PositionText(12), "3:6");   // the end of the text
  EXPECT_EQ(p.PositionOf(3, 5), 11);
  EXPECT_EQ(p.PositionOf(4, 1), -1);
  EXPECT_EQ(p.PositionOf(0, 1), -1);
}

}  // namespace
}  // namespace valmoro::script
