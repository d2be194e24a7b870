#include "grammar.h"

#include <QHash>
#include <deque>

namespace valmoro::script {

namespace {

using Kind = TfsGrammarItem::Kind;

const QHash<QString, Kind>& itemKinds() {
  static const QHash<QString, Kind> kinds = {
      {QStringLiteral("char"), Kind::Char},
      {QStringLiteral("keyword"), Kind::Keyword},
      {QStringLiteral("ident"), Kind::Ident},
      {QStringLiteral("number"), Kind::Number},
      {QStringLiteral("string"), Kind::String},
      {QStringLiteral("frstring"), Kind::FrString},
      {QStringLiteral("eol"), Kind::Eol},
      {QStringLiteral("sequence"), Kind::Sequence},
      {QStringLiteral("switch"), Kind::Switch},
      {QStringLiteral("optionalswitch"), Kind::OptionalSwitch},
      {QStringLiteral("loop"), Kind::Loop},
      {QStringLiteral("optionalloop"), Kind::OptionalLoop},
      {QStringLiteral("optional"), Kind::Optional},
  };
  return kinds;
}

const QHash<QString, TfsGrammar::SettingKey>& settingKeys() {
  using Key = TfsGrammar::SettingKey;
  static const QHash<QString, Key> keys = {
      {QStringLiteral("identchars"), Key::IdentChars},
      {QStringLiteral("commentline1"), Key::CommentLine1},
      {QStringLiteral("commentline2"), Key::CommentLine2},
      {QStringLiteral("commentblock1"), Key::CommentBlock1},
      {QStringLiteral("commentblock2"), Key::CommentBlock2},
      {QStringLiteral("stringquotes"), Key::StringQuotes},
      {QStringLiteral("hexsequence"), Key::HexSequence},
      {QStringLiteral("specstrchar"), Key::SpecStrChar},
      {QStringLiteral("declarevars"), Key::DeclareVars},
      {QStringLiteral("skipeol"), Key::SkipEOL},
      {QStringLiteral("skipchar"), Key::SkipChar},
      {QStringLiteral("casesensitive"), Key::CaseSensitive},
  };
  return keys;
}

}  // namespace

std::shared_ptr<const TfsGrammar> TfsGrammar::Load(const QString& grammarText) {
  std::shared_ptr<TfsGrammar> grammar(new TfsGrammar);
  grammar->document_.LoadFromData(grammarText.toUtf8());
  grammar->compile();
  return grammar;
}

void TfsGrammar::compile() {
  const TfsXMLItem* root = document_.Root();

  QHash<QString, QString> errors;
  QStringList keywords;
  if (const int p = root->Find(u"parser"); p >= 0) {
    const TfsXMLItem* parser = root->Items(p);
    for (int i = 0; i < parser->Count(); ++i) {
      const TfsXMLItem* child = parser->Items(i);
      const auto key = settingKeys().constFind(child->Name().toLower());
      if (key != settingKeys().cend()) settings_.push_back({*key, child->Prop(u"text")});
    }
    if (const int k = parser->Find(u"keywords"); k >= 0) {
      const TfsXMLItem* list = parser->Items(k);
      for (int i = 0; i < list->Count(); ++i) keywords << list->Items(i)->Name();
    }
    if (const int e = parser->Find(u"errors"); e >= 0) {
      const TfsXMLItem* list = parser->Items(e);
      for (int i = 0; i < list->Count(); ++i) {
        const QString id = list->Items(i)->Name().toLower();
        if (!errors.contains(id)) errors.insert(id, list->Items(i)->Prop(u"text"));
      }
    }
  }
  keywords_ = std::make_shared<const TfsKeywords>(keywords);
  if (const int t = root->Find(u"types"); t >= 0) types_ = root->Items(t);

  auto makeItem = [&errors](const TfsXMLItem* element, bool isRule) {
    TfsGrammarItem item;
    item.name = element->Name();
    item.isRule = isRule;
    const QString lowerName = item.name.toLower();
    item.kind = isRule ? Kind::Sequence : itemKinds().value(lowerName, Kind::Rule);
    item.node = element->Prop(u"node");
    const QString lowerNode = item.node.toLower();
    item.nodeKind = lowerNode.isEmpty()                  ? TfsGrammarItem::Node::None
                    : lowerNode == QLatin1String("uses") ? TfsGrammarItem::Node::Uses
                    : lowerNode == QLatin1String("expr") ? TfsGrammarItem::Node::Expr
                                                         : TfsGrammarItem::Node::Element;
    item.text = element->Prop(u"text");
    item.textLower = item.text.toLower();
    item.add = element->Prop(u"add");
    item.addText = element->Prop(u"addtext");
    const QString err = element->Prop(u"err");
    if (!err.isEmpty()) item.errText = errors.value(err.toLower());
    item.term = element->Prop(u"term") == QLatin1String("1");
    const QString skip = element->Prop(u"skip");
    item.noSkip = skip == QLatin1String("0");
    item.loopSkip = skip == QLatin1String("1");
    return item;
  };

  // Every child of the root is a rule; a reference finds the first of a name.
  QHash<QString, int> ruleByName;
  std::deque<std::pair<int, const TfsXMLItem*>> pending;
  for (int i = 0; i < root->Count(); ++i) {
    const TfsXMLItem* element = root->Items(i);
    items_.push_back(makeItem(element, true));
    // The settings and the type aliases are data, not items to walk.
    const QString name = element->Name().toLower();
    if (name != QLatin1String("parser") && name != QLatin1String("types")) pending.emplace_back(i, element);
  }
  for (int i = root->Count() - 1; i >= 0; --i) ruleByName.insert(root->Items(i)->Name().toLower(), i);

  while (!pending.empty()) {
    const auto [index, element] = pending.front();
    pending.pop_front();
    const int first = int(children_.size());
    for (int i = 0; i < element->Count(); ++i) {
      const TfsXMLItem* child = element->Items(i);
      children_.push_back(int(items_.size()));
      TfsGrammarItem item = makeItem(child, false);
      if (item.kind == Kind::Rule) item.rule = ruleByName.value(item.name.toLower(), -1);
      items_.push_back(std::move(item));
      pending.emplace_back(int(items_.size()) - 1, child);
    }
    items_[size_t(index)].firstChild = first;
    items_[size_t(index)].childCount = element->Count();
  }
  programRule_ = ruleByName.value(QStringLiteral("program"), -1);
}

QStringList TfsGrammar::UndefinedRules() const {
  QStringList names;
  for (const TfsGrammarItem& item : items_)
    if (item.kind == Kind::Rule && !item.isRule && item.rule < 0 && !names.contains(item.name)) names << item.name;
  return names;
}

}  // namespace valmoro::script
