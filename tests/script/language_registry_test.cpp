// The language registry and the four built-in grammar documents.

#include <gtest/gtest.h>

#include <QSet>

#include "parse_support.h"
#include "qt_printers.h"
#include "script/grammar.h"
#include "script/language_registry.h"
#include "script/messages.h"
#include "script/script_error.h"
#include "script/xml_document.h"

namespace valmoro::script {
namespace {

const QStringList kBuiltins = {"JScript", "BasicScript", "C++Script", "PascalScript"};

QString thrown(const std::function<void()>& action) {
  try {
    action();
  } catch (const ScriptError& e) {
    return e.message();
  }
  return QStringLiteral("no exception");
}

TEST(LanguageRegistry, BuiltinsComeFirstInRegistrationOrder) {
  EXPECT_EQ(ListLanguages().mid(0, 4), kBuiltins);
}

TEST(LanguageRegistry, ListSkipsHiddenNamesAndKeepsOrder) {
  RegisterLanguage(QStringLiteral("@Hidden"), QStringLiteral("<?xml version=\"1.0\"?><language/>"));
  RegisterLanguage(QStringLiteral("Extra"), QStringLiteral("<?xml version=\"1.0\"?><language/>"));
  const QStringList list = ListLanguages();
  EXPECT_FALSE(list.contains("@Hidden"));
  EXPECT_EQ(list.mid(0, 4), kBuiltins);
  EXPECT_TRUE(list.contains("Extra"));
  QStringList filled = {"stale"};
  ListLanguages(filled);
  EXPECT_EQ(filled, list);
}

TEST(LanguageRegistry, LookupIgnoresCaseAndUnknownNamesRaise) {
  EXPECT_EQ(GrammarForLanguage(QStringLiteral("pascalscript")), GrammarForLanguage(QStringLiteral("PascalScript")));
  EXPECT_EQ(thrown([] { GrammarForLanguage(QStringLiteral("Cobol")); }), "Language 'Cobol' not found");
  EXPECT_EQ(thrown([] { LoadedGrammar(QStringLiteral("Cobol")); }), "Language 'Cobol' not found");

  SetScriptMessage(QString::fromLatin1(SLangNotFound), QStringLiteral("Język '%s' nie został znaleziony"));
  EXPECT_EQ(thrown([] { GrammarForLanguage(QStringLiteral("Cobol")); }), "Język 'Cobol' nie został znaleziony");
  ResetScriptMessages();
}

TEST(LanguageRegistry, GrammarsAreReadOnceAndAgainAfterReplacement) {
  const QString first =
      "<?xml version=\"1.0\"?><language><program><ident add=\"first\"/></program></language>";
  const QString second =
      "<?xml version=\"1.0\"?><language><program><ident add=\"second\"/></program></language>";
  RegisterLanguage(QStringLiteral("@Swap"), first);
  const auto a = LoadedGrammar(QStringLiteral("@Swap"));
  EXPECT_EQ(LoadedGrammar(QStringLiteral("@SWAP")), a);  // the same parsed grammar
  EXPECT_EQ(test::Parse(QStringLiteral("@Swap"), QStringLiteral("x")).outline, "first:x");
  RegisterLanguage(QStringLiteral("@swap"), second);
  EXPECT_NE(LoadedGrammar(QStringLiteral("@Swap")), a);
  EXPECT_EQ(test::Parse(QStringLiteral("@Swap"), QStringLiteral("x")).outline, "second:x");
  EXPECT_EQ(ListLanguages().count(QStringLiteral("@Swap")), 0);
}

TEST(LanguageRegistry, MalformedGrammarIsInvalidFileFormat) {
  RegisterLanguage(QStringLiteral("@Broken"), QStringLiteral("<language><program>"));
  EXPECT_EQ(thrown([] { test::Parse(QStringLiteral("@Broken"), QStringLiteral("x")); }), "Invalid file format");
}

// Every element inside a rule that is neither a token item nor a container
// names a rule, and that rule must exist in the same document.
TEST(BuiltinGrammars, EveryReferencedRuleIsDefined) {
  const QSet<QString> items = {"char",   "keyword",  "ident",          "number", "string",
                               "frstring", "eol",    "sequence",       "switch", "optionalswitch",
                               "loop",   "optionalloop", "optional"};
  for (const QString& language : kBuiltins) {
    TfsXMLDocument doc;
    doc.LoadFromData(BuiltinGrammarText(language).toUtf8());
    const TfsXMLItem* root = doc.Root();
    QSet<QString> rules;
    for (int i = 0; i < root->Count(); ++i) rules << root->Items(i)->Name().toLower();
    QStringList missing;
    std::vector<const TfsXMLItem*> work;
    for (int i = 0; i < root->Count(); ++i) {
      const QString name = root->Items(i)->Name().toLower();
      if (name != "parser" && name != "types") work.push_back(root->Items(i));
    }
    int references = 0;
    while (!work.empty()) {
      const TfsXMLItem* item = work.back();
      work.pop_back();
      for (int i = 0; i < item->Count(); ++i) {
        const TfsXMLItem* child = item->Items(i);
        const QString name = child->Name().toLower();
        if (!items.contains(name)) {
          ++references;
          if (!rules.contains(name)) missing << name;
        }
        work.push_back(child);
      }
    }
    EXPECT_GT(references, 50) << language.toStdString();
    EXPECT_EQ(missing, QStringList()) << language.toStdString();
    EXPECT_EQ(LoadedGrammar(language)->UndefinedRules(), QStringList()) << language.toStdString();
    EXPECT_EQ(root->Name(), "language");
    EXPECT_EQ(root->Prop(u"text"), language);
  }
}

TEST(BuiltinGrammars, AreOneLineDocumentsWithTheirMessages) {
  for (const QString& language : kBuiltins) {
    const QString text = BuiltinGrammarText(language);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\"?><language text=\"" + language + "\"><parser>"));
    EXPECT_EQ(text.trimmed().count('\n'), 0) << language.toStdString();
    TfsXMLDocument doc;
    doc.LoadFromData(text.toUtf8());
    TfsXMLItem* errors = doc.Root()->FindItem(QStringLiteral("parser"))->FindItem(QStringLiteral("errors"));
    EXPECT_EQ(errors->FindItem(QStringLiteral("err20"))->Prop(u"text"), "'>' expected");
    EXPECT_EQ(errors->FindItem(QStringLiteral("err1"))->Prop(u"text"), "Identifier expected");
  }
}

}  // namespace
}  // namespace valmoro::script
