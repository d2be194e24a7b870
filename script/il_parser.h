#pragma once
// TfsILParser: walks a language's grammar over a source text and produces
// the program XML, the same element vocabulary for every language. Syntax
// errors do not raise: the first one recorded becomes the script's
// ErrorText with its "line:column" in ErrorPosition. Unknown languages,
// grammars that refer to missing rules, malformed grammars and unreadable
// included units raise ScriptError.
//
// One parser serves one compilation; included units get a parser of their
// own for the time of their parse.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "tokenizer.h"
#include "xml_document.h"

namespace valmoro::script {

class TfsGrammar;
struct TfsGrammarItem;
class TfsScript;

class TfsILParser {
public:
  // How deep the grammar walk may nest (rule and item levels together, the
  // walks of included units counted in). Deeper source is refused with the
  // "nested too deeply" error rather than exhausting the stack; the walk also
  // stops short of the last quarter of the thread's stack, whichever comes
  // first (frames are much larger in sanitizer builds).
  static constexpr int MaxNestingDepth = 4000;

  explicit TfsILParser(TfsScript* script);
  ~TfsILParser();
  TfsILParser(const TfsILParser&) = delete;
  TfsILParser& operator=(const TfsILParser&) = delete;

  // Loads the language's grammar (read once per process) and configures the
  // tokenizer from it.
  void SelectLanguage(const QString& name);
  // True when the source parsed; the program XML then holds it. ErrorText
  // and ErrorPosition of the script are set either way (empty on success).
  // False with an empty ErrorText means the start rule matched nothing:
  // there is no program and no error.
  bool BuildProgramXml(const QString& source);

  TfsXMLDocument& ProgramXml() { return programXml_; }
  TfsScript* Script() const { return script_; }
  const QString& LanguageName() const { return languageName_; }
  // The selected grammar's document (its "types" resolve type aliases).
  const TfsXMLItem* GrammarRoot() const;
  bool NeedDeclareVars() const { return needDeclareVars_; }
  TfsParser& Parser() { return parser_; }
  // The unit being parsed, '' for the main source.
  const QString& UnitName() const { return unitName_; }

private:
  struct OutLine;

  bool matchItem(int index);
  bool matchSwitch(const TfsGrammarItem& item, qsizetype start);
  bool matchLoop(const TfsGrammarItem& item, qsizetype start);
  bool tokenMatches(const TfsGrammarItem& item, QStringView token) const;
  void reportExpected(const TfsGrammarItem& item, qsizetype start);
  void forgetError();
  void abortTooDeep();
  void wrap(const TfsGrammarItem& item, bool success, qsizetype start, qsizetype mark);
  void appendLeaf(const QString& name, QStringView text, qsizetype position);
  void appendGetCall(QStringView bracketText);
  void includeUnits(qsizetype mark);
  // False when the unit was included before; program receives the unit's
  // "program" element, or nothing when it failed or is empty.
  bool includeUnit(const QString& name, std::unique_ptr<TfsXMLItem>* program);
  // The first position at or after start that is no blank or comment.
  qsizetype firstNonBlank(qsizetype start);
  void buildProgram();

  TfsScript* script_;
  std::shared_ptr<const TfsGrammar> grammar_;
  TfsParser parser_;
  TfsXMLDocument programXml_;
  QString languageName_;
  bool needDeclareVars_ = true;

  QStringList includedUnits_;
  QString unitName_;
  bool nested_ = false;  // parses an included unit
  int depth_ = 0;
  int baseDepth_ = 0;
  quintptr stackFloor_ = 0;  // lowest stack address the walk may reach; 0: not set

  QString errorText_;
  QString errorPosition_;
  QString errorUnit_;  // the included unit the recorded error lies in
  bool errorTerm_ = false;
  bool aborted_ = false;

  std::vector<OutLine> output_;
};

}  // namespace valmoro::script
