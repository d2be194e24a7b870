#pragma once
// A grammar document read once and turned into a flat table of items, so
// that selecting a language costs a look-up rather than an XML parse: every
// report expression is compiled through the grammar walker.
//
// The document itself is kept as well; the program tree resolves type
// aliases through its "types" element.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "tokenizer.h"
#include "xml_document.h"

namespace valmoro::script {

struct TfsGrammarItem {
  enum class Kind : quint8 {
    Char,
    Keyword,
    Ident,
    Number,
    String,
    FrString,
    Eol,
    Sequence,
    Switch,
    OptionalSwitch,
    Loop,
    OptionalLoop,
    Optional,
    Rule,  // a reference to the rule named by the element
  };
  enum class Node : quint8 { None, Element, Expr, Uses };

  Kind kind = Kind::Sequence;
  Node nodeKind = Node::None;
  bool isRule = false;    // a rule definition (a child of the grammar root)
  bool noSkip = false;    // char with skip="0": no blank skipping before it
  bool loopSkip = false;  // loop with skip="1": forget the error of the last pass
  bool term = false;      // its error may be forgotten by an enclosing loop
  int rule = -1;          // Kind::Rule: the rule definition, -1 when undefined
  int firstChild = 0;     // into the child index table
  int childCount = 0;
  QString name;       // element name as written
  QString node;       // element to wrap the output in
  QString text;       // expected token, or a loop's separator
  QString textLower;  // the expected token for case-sensitive languages
  QString add;        // leaf to emit after a match
  QString addText;    // the leaf's text instead of the token
  QString errText;    // the syntax error to record on failure, '' for none
};

class TfsGrammar {
public:
  enum class SettingKey : quint8 {
    IdentChars,
    CommentLine1,
    CommentLine2,
    CommentBlock1,
    CommentBlock2,
    StringQuotes,
    HexSequence,
    SpecStrChar,
    DeclareVars,
    SkipEOL,
    SkipChar,
    CaseSensitive,
  };
  struct Setting {
    SettingKey key;
    QString value;
  };

  // Reads a grammar document; malformed XML raises "Invalid file format".
  static std::shared_ptr<const TfsGrammar> Load(const QString& grammarText);

  const TfsXMLItem* Root() const { return document_.Root(); }
  // The "types" element, or nullptr when the grammar has none.
  const TfsXMLItem* Types() const { return types_; }
  const std::vector<Setting>& Settings() const { return settings_; }
  const std::shared_ptr<const TfsKeywords>& Keywords() const { return keywords_; }

  // The start rule "program", or -1 when the grammar has none.
  int ProgramRule() const { return programRule_; }
  const TfsGrammarItem& Item(int index) const { return items_[size_t(index)]; }
  int Child(const TfsGrammarItem& item, int i) const { return children_[size_t(item.firstChild + i)]; }

  // Names referred to as rules that the grammar does not define.
  QStringList UndefinedRules() const;

private:
  TfsGrammar() = default;
  void compile();

  TfsXMLDocument document_;
  const TfsXMLItem* types_ = nullptr;
  std::vector<Setting> settings_;
  std::shared_ptr<const TfsKeywords> keywords_;
  std::vector<TfsGrammarItem> items_;
  std::vector<int> children_;
  int programRule_ = -1;
};

}  // namespace valmoro::script
