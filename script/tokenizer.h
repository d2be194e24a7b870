#pragma once
// TfsParser: the tokenizer under the grammar walker. A grammar configures it
// (identifier characters, keywords, comment markers, string quote, hex
// prefix...). Positions are 1-based character indices into the source; one
// NUL character follows the source as an end sentinel, and no reader ever
// moves past it.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <bitset>
#include <memory>
#include <vector>

namespace valmoro::script {

// A language's keyword list, searchable with or without regard to case.
class TfsKeywords {
public:
  TfsKeywords() = default;
  explicit TfsKeywords(const QStringList& words);
  bool Contains(QStringView word, bool caseSensitive) const;
  bool IsEmpty() const { return exact_.empty(); }

private:
  std::vector<QString> exact_;   // sorted by code units
  std::vector<QString> folded_;  // sorted ignoring case
};

class TfsParser {
public:
  struct CommentPair {
    QString begin;
    QString end;
  };

  TfsParser();

  // --- settings (a grammar sets them; see RestoreDefaults for the defaults)
  std::bitset<256> IdentChars;
  std::shared_ptr<const TfsKeywords> Keywords;
  QString CommentLine1;
  QString CommentLine2;
  CommentPair CommentBlock1;
  CommentPair CommentBlock2;
  QChar StringQuote;
  QString HexSequence;
  bool SpecStrChar = false;
  bool CaseSensitive = false;
  bool SkipEOL = true;
  QChar SkipChar;  // continuation character; QChar() when there is none

  // The defaults a language selection starts from. The second line-comment
  // marker and CaseSensitive are left as they are.
  void RestoreDefaults();
  void SetIdentChars(QStringView chars);
  void SetKeywords(const QStringList& words);

  // --- text and position
  void SetText(const QString& source);
  QString Text() const { return text_.left(size_); }
  qsizetype Size() const { return size_; }
  qsizetype Position() const { return pos_; }
  void SetPosition(qsizetype position);
  qsizetype LastPosition() const { return lastPos_; }
  QChar CharAt(qsizetype position) const {
    return position >= 1 && position <= size_ ? data_[position - 1] : QChar();
  }

  // --- readers. Each returns an empty token when nothing of its kind stands
  // at the position. The views point into the text and stay valid until
  // SetText is called again.
  void SkipBlanks();
  bool SkipLineEnds();
  QStringView ReadWord();
  QStringView ReadIdent();
  QStringView ReadSymbol();
  QString ReadNumber();
  QString ReadString();
  QStringView ReadBracketText();
  bool IsKeyword(QStringView word) const;

  // "L:C" of a position; lines end at LF, columns count characters.
  QString PositionText(qsizetype position) const;
  void LineAndColumn(qsizetype position, qsizetype* line, qsizetype* column) const;
  // The position of a line and column, or -1 for a line outside the text.
  qsizetype PositionOf(qsizetype line, qsizetype column) const;

private:
  bool isBlank(QChar c) const {
    return c.unicode() <= 32 && (SkipEOL || c.unicode() != 10);
  }
  bool isIdentChar(QChar c) const { return c.unicode() < 256 && IdentChars.test(c.unicode()); }
  bool startsWithAt(qsizetype position, const QString& marker) const;
  // Length of an integer (hex with the prefix, or decimal) at position; 0
  // when none stands there. value receives its low 16 bits.
  qsizetype integerAt(qsizetype position, uint* value) const;
  qsizetype hexDigitsAt(qsizetype position, uint* value) const;
  // One quoted part at position appended to out; false when none or
  // unterminated (out is then unchanged).
  bool quotedPartAt(qsizetype* position, QString* out) const;

  QString text_;  // the source and the sentinel
  const QChar* data_ = nullptr;
  qsizetype size_ = 0;
  qsizetype pos_ = 1;
  qsizetype lastPos_ = 1;
  std::vector<qsizetype> lineStarts_{0};
};

}  // namespace valmoro::script
