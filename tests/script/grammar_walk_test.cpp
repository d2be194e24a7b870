// The grammar walk beyond single languages: the language directive, included
// units, nesting limits and what a grammar document may ask of the walker.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QThread>

#include "parse_support.h"
#include "qt_printers.h"
#include "script/language_registry.h"
#include "script/messages.h"
#include "script/script_error.h"

namespace valmoro::script::test {
namespace {

QString thrown(const std::function<void()>& action) {
  try {
    action();
  } catch (const ScriptError& e) {
    return e.message();
  }
  return QStringLiteral("no exception");
}

// A script whose units come from a table; every request is counted.
struct UnitTable {
  QHash<QString, QString> units;
  QStringList requested;
  void attach(TfsScript& script) {
    script.OnGetUnit = [this](TfsScript*, const QString& name, QString& text) {
      requested << name;
      text = units.value(name);
    };
  }
};

TEST(LanguageDirective, FirstLineSelectsTheLanguage) {
  const Parsed parsed =
      Parse(QStringLiteral("PascalScript"), QStringLiteral("#language BasicScript\nx = 1\nIf x Then y = 2 Else z"));
  EXPECT_EQ(ErrorOf(parsed), "3:17: End of line expected");  // lines count from the directive's

  EXPECT_EQ(Parse(QStringLiteral("C++Script"), QStringLiteral("#  LANGUAGE   JScript  \nx = 1;")).outline,
            "compoundstmt(assignstmt(dsgn(node:x) expr(number:1)))");
  // Only at the very start.
  EXPECT_EQ(ErrorOf(Parse(QStringLiteral("PascalScript"), QStringLiteral(" #language BasicScript\nx = 1"))),
            "1:2: 'BEGIN' expected");
  EXPECT_EQ(thrown([] { Parse(QStringLiteral("PascalScript"), QStringLiteral("#language Klingon\n")); }),
            "Language 'Klingon' not found");
}

TEST(LanguageDirective, CaseSensitivityCarriesOverFromTheFirstLanguage) {
  // Selecting a language leaves CaseSensitive as it was: after C++Script,
  // Pascal keywords must be written in lower case.
  EXPECT_TRUE(Parse(QStringLiteral("C++Script"), QStringLiteral("#language PascalScript\nbegin end.")).ok);
  EXPECT_EQ(ErrorOf(Parse(QStringLiteral("C++Script"), QStringLiteral("#language PascalScript\nBEGIN END."))),
            "2:1: 'BEGIN' expected");
  EXPECT_TRUE(Parse(QStringLiteral("JScript"), QStringLiteral("#language PascalScript\nBEGIN END.")).ok);
}

TEST(IncludedUnits, ComeInReverseOrderOfTheClause) {
  TfsScript script;
  UnitTable table;
  table.units = {{"a.pas", "procedure A; begin end;\nbegin end."}, {"b.pas", "begin B; end."}};
  table.attach(script);
  const Parsed parsed =
      Parse(QStringLiteral("PascalScript"), QStringLiteral("uses 'a.pas', 'b.pas';\nbegin A end."), &script);
  ASSERT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  EXPECT_EQ(parsed.outline,
            "uses[b.pas](program(compoundstmt(callstmt(dsgn(node:B))))) "
            "uses[a.pas](program(procedure(name:A compoundstmt) compoundstmt)) "
            "compoundstmt(callstmt(dsgn(node:A)))");
  EXPECT_EQ(table.requested, QStringList({"b.pas", "a.pas"}));
  // Each unit's program carries its own copy of the types.
  EXPECT_TRUE(parsed.xml.startsWith("<?xml version=\"1.0\"?><program><uses unit=\"b.pas\"><program>"));
}

TEST(IncludedUnits, AreParsedOnceWhateverIncludesThem) {
  TfsScript script;
  UnitTable table;
  table.units = {{"common.js", "var shared = 1;"},
                 {"a.js", "import \"common.js\"\nvar a = 2;"},
                 {"b.js", "import \"COMMON.JS\", \"a.js\"\nvar b = 3;"}};
  table.attach(script);
  const Parsed parsed =
      Parse(QStringLiteral("JScript"), QStringLiteral("import \"a.js\", \"b.js\"\nimport \"a.js\"\nx = 1;"), &script);
  ASSERT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  // b.js reads a.js, which reads common.js; b.js's COMMON.JS and the main
  // source's a.js (twice) are then known already.
  EXPECT_EQ(table.requested, QStringList({"b.js", "a.js", "common.js"}));
  EXPECT_EQ(parsed.outline,
            "compoundstmt(uses[b.js](program(compoundstmt(uses[a.js](program(compoundstmt("
            "uses[common.js](program(compoundstmt(var(ident:shared init(expr(number:1)))))) "
            "var(ident:a init(expr(number:2)))))) var(ident:b init(expr(number:3)))))) "
            "assignstmt(dsgn(node:x) expr(number:1)))");
}

TEST(IncludedUnits, ErrorsNameTheUnitAndPositionsAreTheUnits) {
  TfsScript script;
  UnitTable table;
  table.units = {{"ok.cpp", "{}"}, {"inner.cpp", "{\n  x = ;\n}"}, {"outer.cpp", "#include \"inner.cpp\"\n{}"}};
  table.attach(script);
  Parsed parsed = Parse(QStringLiteral("C++Script"), QStringLiteral("#include \"ok.cpp\", \"outer.cpp\"\n{}"), &script);
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(ErrorOf(parsed), "2:7: Expression expected");
  EXPECT_EQ(parsed.errorUnit, "inner.cpp");

  // An error in the main source after a failed compilation names no unit.
  parsed = Parse(QStringLiteral("C++Script"), QStringLiteral("{ a() }"), &script);
  EXPECT_EQ(ErrorOf(parsed), "1:7: ';' expected");
  EXPECT_EQ(parsed.errorUnit, "");
}

TEST(IncludedUnits, TheLastFailingUnitOfAClauseGivesErrorAndName) {
  TfsScript script;
  UnitTable table;
  table.units = {{"one.pas", "begin x := ; end."}, {"two.pas", "\nbegin end"}};
  table.attach(script);
  const Parsed parsed =
      Parse(QStringLiteral("PascalScript"), QStringLiteral("uses 'one.pas', 'two.pas';\nbegin end."), &script);
  // two.pas is read first, one.pas last; the error and its unit belong together.
  EXPECT_EQ(ErrorOf(parsed), "1:12: Expression expected");
  EXPECT_EQ(parsed.errorUnit, "one.pas");
}

TEST(IncludedUnits, AnEmptyUnitLeavesAnEmptyUsesElement) {
  TfsScript script;
  UnitTable table;
  table.attach(script);
  const Parsed parsed = Parse(QStringLiteral("BasicScript"), QStringLiteral("Imports \"nothing.bas\"\nx = 1"), &script);
  ASSERT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  EXPECT_EQ(parsed.outline, "compoundstmt(uses[nothing.bas] assignstmt(dsgn(node:x) expr(number:1)))");
}

TEST(IncludedUnits, FoundInTheIncludeFoldersInOrder) {
  QTemporaryDir dir;
  QDir(dir.path()).mkdir(QStringLiteral("lib"));
  QFile unit(dir.filePath(QStringLiteral("lib/unit.pas")));
  ASSERT_TRUE(unit.open(QIODevice::WriteOnly));
  unit.write("\xEF\xBB\xBFprocedure Zażółć; begin end;\r\nbegin end.");
  unit.close();

  TfsScript script;
  script.IncludeFolders = {dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("lib")) + "/"};
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("uses 'unit.pas'; begin end."), &script);
  ASSERT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  EXPECT_EQ(parsed.outline, "uses[unit.pas](program(procedure(name:Zażółć compoundstmt) compoundstmt)) compoundstmt");

  script.IncludeFolders = {dir.path(), dir.filePath(QStringLiteral("other"))};
  const QString error =
      thrown([&] { Parse(QStringLiteral("PascalScript"), QStringLiteral("uses 'unit.pas'; begin end."), &script); });
  EXPECT_TRUE(error.startsWith("Cannot open file \"" + dir.filePath(QStringLiteral("other/unit.pas")) + "\""))
      << error.toStdString();
}

TEST(IncludedUnits, UseTheLanguageInForceAndMayChangeIt) {
  TfsScript script;
  UnitTable table;
  table.units = {{"u", "x = 1"}, {"v", "#language JScript\ny = 2;"}};
  table.attach(script);
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("#language BasicScript\nImports \"u\", \"v\"\nz = 3"),
                              &script);
  ASSERT_TRUE(parsed.ok) << ErrorOf(parsed).toStdString();
  EXPECT_EQ(parsed.outline,
            "compoundstmt(uses[v](program(compoundstmt(assignstmt(dsgn(node:y) expr(number:2))))) "
            "uses[u](program(compoundstmt(assignstmt(dsgn(node:x) expr(number:1))))) "
            "assignstmt(dsgn(node:z) expr(number:3)))");
}

TEST(Nesting, DeepSourceIsRefusedWithAPositionInsteadOfOverflowingTheStack) {
  const int depth = 100000;
  const QString parens = "begin x := " + QString(depth, '(') + "1" + QString(depth, ')') + " end.";
  Parsed parsed = Parse(QStringLiteral("PascalScript"), parens);
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(parsed.errorText, "Source nested too deeply");
  EXPECT_TRUE(parsed.errorPosition.startsWith("1:")) << parsed.errorPosition.toStdString();

  QString blocks;
  for (int i = 0; i < depth; ++i) blocks += "If x Then\n";
  parsed = Parse(QStringLiteral("BasicScript"), blocks);
  EXPECT_EQ(parsed.errorText, "Source nested too deeply");

  parsed = Parse(QStringLiteral("JScript"), QString(depth, '{'));
  EXPECT_EQ(parsed.errorText, "Source nested too deeply");

  parsed = Parse(QStringLiteral("C++Script"), "{ x = " + QString(depth, '!') + "y; }");
  EXPECT_EQ(parsed.errorText, "Source nested too deeply");
}

TEST(Nesting, AThreadWithASmallStackIsRefusedInTime) {
  QString error;
  std::unique_ptr<QThread> thread(QThread::create([&error] {
    error = Parse(QStringLiteral("JScript"), QString(100000, '{')).errorText;
  }));
  thread->setStackSize(512 * 1024);
  thread->start();
  ASSERT_TRUE(thread->wait(60000));
  EXPECT_EQ(error, "Source nested too deeply");
}

TEST(Nesting, ReasonableDepthsParse) {
  const QString parens = "begin x := " + QString(150, '(') + "1" + QString(150, ')') + " end.";
  EXPECT_TRUE(Parse(QStringLiteral("PascalScript"), parens).ok);
  QString blocks = "{";
  for (int i = 0; i < 100; ++i) blocks += "if (x) {";
  blocks += QString(101, '}');
  EXPECT_TRUE(Parse(QStringLiteral("C++Script"), blocks).ok);
}

TEST(Nesting, ChainsOfIncludedUnitsCountTowardsTheLimit) {
  TfsScript script;
  script.OnGetUnit = [](TfsScript*, const QString& name, QString& text) {
    text = "uses 'u" + QString::number(name.mid(1).toInt() + 1) + "'; begin end.";
  };
  const Parsed parsed = Parse(QStringLiteral("PascalScript"), QStringLiteral("uses 'u0'; begin end."), &script);
  EXPECT_EQ(parsed.errorText, "Source nested too deeply");
  EXPECT_FALSE(parsed.errorUnit.isEmpty());
}

// Grammars written for the tests below; registered under "@" names so that
// they stay out of the language list.
QString grammar(const QString& rules, const QString& parser = QString()) {
  return "<?xml version=\"1.0\"?><language><parser>" + parser +
         "<errors><err1 text=\"Name expected\"/><err2 text=\"'!' expected\"/></errors></parser>" + rules +
         "</language>";
}

Parsed parseWith(const QString& name, const QString& grammarText, const QString& source) {
  RegisterLanguage(name, grammarText);
  return Parse(name, source);
}

TEST(GrammarWalk, ARuleWithoutNodeKeepsTheOutputOfAFailedAttempt) {
  const QString rules =
      "<program><optional><keep/></optional><optional><drop/></optional><ident add=\"last\"/></program>"
      "<keep><ident add=\"k\"/><char text=\"!\"/></keep>"
      "<drop node=\"d\"><ident add=\"dd\"/><char text=\"!\"/></drop>";
  const Parsed parsed = parseWith(QStringLiteral("@Keep"), grammar(rules), QStringLiteral("a"));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.outline, "k:a last:a");
}

TEST(GrammarWalk, LoopsForgetTheErrorOfTheirLastPassOnlyWhenAllowed) {
  const QString term = "<program><loop><ident add=\"i\" err=\"err1\" term=\"1\"/></loop></program>";
  const QString plain = "<program><loop><ident add=\"i\" err=\"err1\"/></loop></program>";
  const QString skip = "<program><loop skip=\"1\"><ident add=\"i\" err=\"err1\"/></loop></program>";
  EXPECT_EQ(parseWith("@Term", grammar(term), "a b 5").outline, "i:a i:b");
  EXPECT_EQ(ErrorOf(parseWith("@Plain", grammar(plain), "a b 5")), "1:5: Name expected");
  EXPECT_EQ(parseWith("@Skip", grammar(skip), "a b 5").outline, "i:a i:b");
  // A loop whose only pass fails keeps the error, term or not.
  EXPECT_EQ(ErrorOf(parseWith("@Term", grammar(term), "5")), "1:1: Name expected");
}

TEST(GrammarWalk, ASeparatorConsumedBeforeAFailedPassStaysConsumed) {
  const QString rules =
      "<program><loop text=\",\"><ident add=\"i\"/></loop><char text=\"!\" err=\"err2\"/></program>";
  EXPECT_EQ(parseWith("@Sep", grammar(rules), "a, b, !").outline, "i:a i:b");
  EXPECT_EQ(ErrorOf(parseWith("@Sep", grammar(rules), "a, b ?")), "1:6: '!' expected");
}

TEST(GrammarWalk, MissingRulesFailOnlyWhenReached) {
  const QString rules = "<program><optional><char text=\"?\"/><nowhere/></optional><ident add=\"i\"/></program>";
  EXPECT_EQ(parseWith("@Missing", grammar(rules), "a").outline, "i:a");
  EXPECT_EQ(thrown([&] { parseWith("@Missing", grammar(rules), "? a"); }), "Invalid language definition");

  SetScriptMessage(QString::fromLatin1(SInvalidLanguage), QStringLiteral("Błędna definicja języka"));
  EXPECT_EQ(thrown([&] { parseWith("@Missing", grammar(rules), "? a"); }), "Błędna definicja języka");
  ResetScriptMessages();
}

TEST(GrammarWalk, AGrammarWithoutStartRuleOrTypesGivesAnEmptyProgram) {
  const Parsed parsed = parseWith(QStringLiteral("@Bare"), grammar(QString()), QStringLiteral("anything at all"));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.xml, "<?xml version=\"1.0\"?><program><types/></program>");
}

TEST(GrammarWalk, ParserSettingsConfigureTheTokenizer) {
  const QString settings =
      "<identchars text=\"abAB_\"/><commentline1 text=\"--\"/><commentblock1 text=\"[[,]]\"/>"
      "<stringquotes text=\"`\"/><hexsequence text=\"&#38;H\"/><keywords><ab/></keywords>";
  const QString rules =
      "<program><loop><switch><ident add=\"id\"/><keyword add=\"kw\"/><number add=\"n\"/><string add=\"s\"/>"
      "</switch></loop></program>";
  const Parsed parsed = parseWith(QStringLiteral("@Settings"), grammar(rules, settings),
                                  QStringLiteral("ba -- comment\n[[ block ]] AB &H1F `q``t` abc"));
  ASSERT_TRUE(parsed.ok);
  // "c" is no identifier character here, so "abc" stops after "ab".
  EXPECT_EQ(parsed.outline, "id:ba kw:AB n:$1F s:'q`t' kw:ab");
}

}  // namespace
}  // namespace valmoro::script::test
