#include "il_parser.h"

#include <QFileInfo>
#include <pthread.h>

#include "grammar.h"
#include "language_registry.h"
#include "messages.h"
#include "script.h"
#include "script_error.h"

namespace valmoro::script {

using Kind = TfsGrammarItem::Kind;

namespace {

// The lowest stack address the walk may use: a quarter of the thread's stack
// stays free below it. Asking costs a read of the process's memory map for
// the main thread, so each thread asks once.
quintptr stackFloorOfThisThread() {
  thread_local quintptr cached = 0;
  if (cached != 0) return cached;
  const quintptr here = quintptr(__builtin_frame_address(0));
  quintptr floor = here > (quintptr(1) << 20) ? here - (quintptr(1) << 20) : 0;  // 1 MiB when unknown
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* low = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &low, &size) == 0 && size > 0) floor = quintptr(low) + size / 4;
    pthread_attr_destroy(&attr);
  }
  cached = floor;
  return floor;
}

}  // namespace

// The program XML is collected as a list of tag lines, so that a rule can
// wrap what it produced and a failed rule can drop it; the tree is built
// from the list once the walk has succeeded. Positions stay numbers until
// then: most lines are dropped again by failed alternatives.
struct TfsILParser::OutLine {
  enum class Type : quint8 { Open, Close, Leaf, UsesOpen, Unit };
  Type type = Type::Leaf;
  QString name;
  QString value;        // a leaf's text; the unit name of a "uses" tag
  qsizetype pos = 0;
  qsizetype pos1 = -1;  // where an expression ends; -1 for other elements
  std::unique_ptr<TfsXMLItem> unit;  // Type::Unit: the unit's program, if any
};

TfsILParser::TfsILParser(TfsScript* script) : script_(script) {}

TfsILParser::~TfsILParser() = default;

const TfsXMLItem* TfsILParser::GrammarRoot() const { return grammar_ ? grammar_->Root() : nullptr; }

void TfsILParser::SelectLanguage(const QString& name) {
  using Key = TfsGrammar::SettingKey;
  parser_.RestoreDefaults();
  languageName_ = name;
  grammar_ = LoadedGrammar(name);
  parser_.Keywords = grammar_->Keywords();
  for (const TfsGrammar::Setting& setting : grammar_->Settings()) {
    const QString& value = setting.value;
    switch (setting.key) {
      case Key::IdentChars:
        parser_.SetIdentChars(value);
        break;
      case Key::CommentLine1:
        parser_.CommentLine1 = value;
        break;
      case Key::CommentLine2:
        parser_.CommentLine2 = value;
        break;
      case Key::CommentBlock1:
      case Key::CommentBlock2: {
        const qsizetype comma = value.indexOf(QLatin1Char(','));
        TfsParser::CommentPair pair{value.left(comma < 0 ? value.size() : comma),
                                    comma < 0 ? QString() : value.mid(comma + 1)};
        (setting.key == Key::CommentBlock1 ? parser_.CommentBlock1 : parser_.CommentBlock2) = pair;
        break;
      }
      case Key::StringQuotes:
        parser_.StringQuote = value.isEmpty() ? QChar() : value[0];
        break;
      case Key::HexSequence:
        parser_.HexSequence = value;
        break;
      case Key::SpecStrChar:
        if (value == QLatin1String("1")) parser_.SpecStrChar = true;
        break;
      case Key::DeclareVars:
        if (value == QLatin1String("0")) needDeclareVars_ = false;
        break;
      case Key::SkipEOL:
        if (value == QLatin1String("0")) parser_.SkipEOL = false;
        break;
      case Key::SkipChar:
        parser_.SkipChar = value.isEmpty() ? QChar() : value[0];
        break;
      case Key::CaseSensitive:
        if (value == QLatin1String("1")) parser_.CaseSensitive = true;
        break;
    }
  }
  if (script_->ExtendedIdentChars)
    for (int c = 128; c < 256; ++c) parser_.IdentChars.set(size_t(c));
}

bool TfsILParser::BuildProgramXml(const QString& source) {
  output_.clear();
  forgetError();
  aborted_ = false;
  depth_ = baseDepth_;
  if (!nested_) stackFloor_ = stackFloorOfThisThread();
  programXml_.Root()->Clear();
  programXml_.Root()->SetName(QString());
  programXml_.Root()->SetText(QString());
  if (!nested_) script_->ErrorUnitName.clear();
  if (!grammar_) SelectLanguage(script_->SyntaxType);

  parser_.SetText(source);
  qsizetype start = 1;
  if (source.startsWith(QLatin1Char('#'))) {
    parser_.SetPosition(2);
    if (parser_.ReadWord().compare(QLatin1String("language"), Qt::CaseInsensitive) == 0) {
      const qsizetype from = parser_.Position() - 1;
      qsizetype lineEnd = source.indexOf(QLatin1Char('\n'), from);
      if (lineEnd < 0) lineEnd = source.size();
      SelectLanguage(source.mid(from, lineEnd - from).trimmed());
      start = lineEnd + 2;
    }
  }
  parser_.SetPosition(start);

  const int program = grammar_->ProgramRule();
  const bool matched = program < 0 || matchItem(program);
  const bool success = matched && !aborted_ && errorText_.isEmpty();
  if (success) buildProgram();
  output_.clear();

  script_->ErrorText = errorText_;
  script_->ErrorPosition = errorPosition_;
  script_->ErrorUnitName = errorUnit_;
  return success;
}

void TfsILParser::buildProgram() {
  TfsXMLItem* root = programXml_.Root();
  root->SetName(QStringLiteral("program"));
  auto pos = [this](const char* name, qsizetype position) {
    return QLatin1String(name) + QLatin1String("=\"") + parser_.PositionText(position) + QLatin1Char('"');
  };
  std::vector<TfsXMLItem*> open{root};
  for (OutLine& line : output_) {
    switch (line.type) {
      case OutLine::Type::Open:
      case OutLine::Type::UsesOpen: {
        TfsXMLItem* item = open.back()->Add();
        item->SetName(line.name);
        if (line.type == OutLine::Type::UsesOpen) {
          item->SetText(QLatin1String("unit=\"") + EscapeXmlValue(line.value) + QLatin1Char('"'));
        } else {
          item->SetText(line.pos1 < 0 ? pos("pos", line.pos)
                                      : pos("pos", line.pos) + QLatin1Char(' ') + pos("pos1", line.pos1));
        }
        open.push_back(item);
        break;
      }
      case OutLine::Type::Close:
        if (open.size() > 1) open.pop_back();
        break;
      case OutLine::Type::Leaf: {
        TfsXMLItem* item = open.back()->Add();
        item->SetName(line.name);
        item->SetText(QLatin1String("text=\"") + EscapeXmlValue(line.value) + QLatin1String("\" ") +
                      pos("pos", line.pos));
        break;
      }
      case OutLine::Type::Unit:
        if (line.unit) open.back()->AddItem(line.unit.release());
        break;
    }
  }
  if (const TfsXMLItem* types = grammar_->Types()) {
    root->AddItem(types->Clone().release());
  } else {
    root->Add()->SetName(QStringLiteral("types"));
  }
}

// ---------------------------------------------------------------------------
// The walk

bool TfsILParser::tokenMatches(const TfsGrammarItem& item, QStringView token) const {
  if (token.isEmpty()) return false;
  if (item.text.isEmpty()) return true;
  if (parser_.CaseSensitive) return token == item.textLower;
  return token.compare(item.text, Qt::CaseInsensitive) == 0;
}

qsizetype TfsILParser::firstNonBlank(qsizetype start) {
  const qsizetype saved = parser_.Position();
  parser_.SetPosition(start);
  parser_.SkipBlanks();
  const qsizetype first = parser_.Position();
  parser_.SetPosition(saved);
  return first;
}

void TfsILParser::reportExpected(const TfsGrammarItem& item, qsizetype start) {
  // The first error wins; items that only choose an alternative carry none.
  if (item.errText.isEmpty() || !errorText_.isEmpty() || aborted_) return;
  errorText_ = item.errText;
  errorPosition_ = parser_.PositionText(firstNonBlank(start));
  errorUnit_.clear();
  errorTerm_ = item.term;
}

void TfsILParser::forgetError() {
  errorText_.clear();
  errorPosition_.clear();
  errorUnit_.clear();
  errorTerm_ = false;
}

void TfsILParser::abortTooDeep() {
  if (aborted_) return;
  aborted_ = true;
  errorText_ = ScriptMessage(SNestingTooDeep);
  errorPosition_ = parser_.PositionText(firstNonBlank(parser_.Position()));
  errorUnit_.clear();
  errorTerm_ = false;
}

void TfsILParser::appendLeaf(const QString& name, QStringView text, qsizetype position) {
  OutLine line;
  line.type = OutLine::Type::Leaf;
  line.name = name;
  line.value = text.toString();
  line.pos = position;
  output_.push_back(std::move(line));
}

void TfsILParser::appendGetCall(QStringView bracketText) {
  // <Wpisy."Data"> is the call Get('Wpisy."Data"').
  const qsizetype at = parser_.Position();
  auto open = [&](const char* name) {
    OutLine line;
    line.type = OutLine::Type::Open;
    line.name = QString::fromLatin1(name);
    line.pos = at;
    output_.push_back(std::move(line));
  };
  auto close = [&](const char* name) {
    OutLine line;
    line.type = OutLine::Type::Close;
    line.name = QString::fromLatin1(name);
    output_.push_back(std::move(line));
  };
  open("dsgn");
  appendLeaf(QStringLiteral("node"), u"Get", at);
  open("expr");
  QString quoted;
  quoted.reserve(bracketText.size() + 2);
  quoted += QLatin1Char('\'');
  quoted += bracketText;
  quoted += QLatin1Char('\'');
  appendLeaf(QStringLiteral("string"), quoted, at);
  close("expr");
  close("dsgn");
}

void TfsILParser::wrap(const TfsGrammarItem& item, bool success, qsizetype start, qsizetype mark) {
  using Node = TfsGrammarItem::Node;
  if (item.nodeKind == Node::None || aborted_) return;
  if (item.nodeKind == Node::Uses) {
    includeUnits(mark);
    return;
  }
  if (!success) {
    output_.erase(output_.begin() + mark, output_.end());
    return;
  }
  OutLine open;
  open.type = OutLine::Type::Open;
  open.name = item.node;
  open.pos = firstNonBlank(start);
  if (item.nodeKind == Node::Expr) open.pos1 = parser_.Position();
  output_.insert(output_.begin() + mark, std::move(open));
  OutLine close;
  close.type = OutLine::Type::Close;
  close.name = item.node;
  output_.push_back(std::move(close));
}

bool TfsILParser::matchItem(int index) {
  if (aborted_) return false;
  if (depth_ >= MaxNestingDepth || quintptr(__builtin_frame_address(0)) < stackFloor_) {
    abortTooDeep();
    return false;
  }
  ++depth_;
  const TfsGrammarItem& item = grammar_->Item(index);
  const qsizetype start = parser_.Position();
  const qsizetype mark = qsizetype(output_.size());

  bool matched = false;
  QStringView token;
  QString owned;  // numbers and strings are built, not sliced from the text
  if (item.isRule) {
    matched = true;
  } else {
    switch (item.kind) {
      case Kind::Char:
        if (!item.noSkip) parser_.SkipBlanks();
        token = parser_.ReadSymbol();
        matched = tokenMatches(item, token);
        break;
      case Kind::Keyword:
        token = parser_.ReadWord();
        matched = tokenMatches(item, token);
        break;
      case Kind::Ident:
        token = parser_.ReadIdent();
        matched = tokenMatches(item, token);
        break;
      case Kind::Number:
        owned = parser_.ReadNumber();
        token = owned;
        matched = tokenMatches(item, token);
        break;
      case Kind::String:
        owned = parser_.ReadString();
        token = owned;
        matched = tokenMatches(item, token);
        break;
      case Kind::FrString:
        token = parser_.ReadBracketText();
        matched = tokenMatches(item, token);
        if (matched) appendGetCall(token);
        break;
      case Kind::Eol:
        matched = parser_.SkipLineEnds();
        break;
      case Kind::Sequence:
        matched = true;
        break;
      case Kind::Switch:
      case Kind::OptionalSwitch: {
        const bool result = matchSwitch(item, start);
        --depth_;
        return result;
      }
      case Kind::Loop:
      case Kind::OptionalLoop: {
        const bool result = matchLoop(item, start);
        --depth_;
        return result;
      }
      case Kind::Optional:
        for (int i = 0; i < item.childCount; ++i) {
          if (!matchItem(grammar_->Child(item, i))) {
            parser_.SetPosition(start);
            break;
          }
        }
        --depth_;
        return !aborted_;
      case Kind::Rule:
        if (item.rule < 0) throw ScriptError(ScriptMessage(SInvalidLanguage));
        matched = matchItem(item.rule);
        break;
    }
  }

  bool result = matched;
  if (!matched) {
    reportExpected(item, start);
  } else {
    if (!item.isRule) wrap(item, true, start, mark);
    if (!item.add.isEmpty())
      appendLeaf(item.add, item.addText.isEmpty() ? token : QStringView(item.addText), parser_.Position());
    for (int i = 0; i < item.childCount && result; ++i) result = matchItem(grammar_->Child(item, i));
  }
  if (!result) parser_.SetPosition(start);
  if (item.isRule) wrap(item, result, start, mark);
  --depth_;
  return result && !aborted_;
}

bool TfsILParser::matchSwitch(const TfsGrammarItem& item, qsizetype start) {
  for (int i = 0; i < item.childCount; ++i)
    if (matchItem(grammar_->Child(item, i))) return true;
  if (aborted_) return false;
  if (item.kind == Kind::OptionalSwitch) return true;
  reportExpected(item, start);
  return false;
}

bool TfsILParser::matchLoop(const TfsGrammarItem& item, qsizetype start) {
  int passes = 0;
  bool passMatched = false;
  qsizetype after = start;
  while (true) {
    const qsizetype passStart = parser_.Position();
    ++passes;
    passMatched = true;
    for (int i = 0; i < item.childCount && passMatched; ++i) passMatched = matchItem(grammar_->Child(item, i));
    if (aborted_) return false;
    after = parser_.Position();
    if (passMatched && !item.text.isEmpty()) {
      parser_.SkipBlanks();
      if (parser_.ReadSymbol() != item.text) {
        parser_.SetPosition(after);
        break;
      }
    }
    if (!passMatched || parser_.Position() == passStart) break;
  }

  bool result = passMatched;
  if (passes > 1) {
    // The last, incomplete pass does not fail a loop that matched before.
    if (!passMatched && (item.loopSkip || errorTerm_)) forgetError();
    parser_.SetPosition(after);
    result = true;
  }
  if (!result) {
    parser_.SetPosition(start);
    if (item.kind == Kind::OptionalLoop) return true;
    reportExpected(item, start);
  }
  return result;
}

// ---------------------------------------------------------------------------
// Included units

void TfsILParser::includeUnits(qsizetype mark) {
  // The clause left one "file" leaf per unit; each is replaced by the unit's
  // program, the last one listed first.
  qsizetype insertAt = mark;
  while (qsizetype(output_.size()) > insertAt) {
    const QString value = output_.back().type == OutLine::Type::Leaf ? output_.back().value : QString();
    output_.pop_back();
    const QString name = value.size() >= 2 ? value.mid(1, value.size() - 2) : QString();
    std::unique_ptr<TfsXMLItem> program;
    if (!includeUnit(name, &program)) continue;

    OutLine open;
    open.type = OutLine::Type::UsesOpen;
    open.name = QStringLiteral("uses");
    open.value = name;
    OutLine unit;
    unit.type = OutLine::Type::Unit;
    unit.unit = std::move(program);
    OutLine close;
    close.type = OutLine::Type::Close;
    close.name = QStringLiteral("uses");
    output_.insert(output_.begin() + insertAt, std::move(close));
    output_.insert(output_.begin() + insertAt, std::move(unit));
    output_.insert(output_.begin() + insertAt, std::move(open));
    insertAt += 3;
  }
}

bool TfsILParser::includeUnit(const QString& name, std::unique_ptr<TfsXMLItem>* program) {
  if (includedUnits_.contains(name, Qt::CaseInsensitive)) return false;
  includedUnits_ << name;

  QString text;
  if (script_->OnGetUnit) {
    script_->OnGetUnit(script_, name, text);
  } else {
    QString candidate;
    for (const QString& folder : script_->IncludeFolders) {
      candidate = folder;
      if (!candidate.isEmpty() && !candidate.endsWith(QLatin1Char('/'))) candidate += QLatin1Char('/');
      candidate += name;
      if (QFileInfo(candidate).isFile()) break;
    }
    text = ReadSourceFile(candidate);
  }
  const QStringList lines = SplitSourceLines(text);
  if (lines.isEmpty()) return true;

  TfsILParser unit(script_);
  unit.nested_ = true;
  unit.baseDepth_ = depth_;
  unit.stackFloor_ = stackFloor_;
  unit.unitName_ = name;
  unit.includedUnits_ = includedUnits_;
  unit.SelectLanguage(languageName_);
  if (unit.BuildProgramXml(JoinSourceLines(lines))) {
    includedUnits_ = unit.includedUnits_;
    *program = unit.programXml_.TakeRoot();
    return true;
  }
  // The unit's error replaces the one recorded here, named after the unit it
  // lies in (a unit the failed unit included, or the unit itself). A unit
  // that failed without an error leaves the recorded error alone.
  if (!script_->ErrorText.isEmpty()) {
    errorText_ = script_->ErrorText;
    errorPosition_ = script_->ErrorPosition;
    errorUnit_ = script_->ErrorUnitName.isEmpty() ? name : script_->ErrorUnitName;
    errorTerm_ = false;
    if (unit.aborted_) aborted_ = true;
  }
  return true;
}

}  // namespace valmoro::script
