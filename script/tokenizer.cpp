#include "tokenizer.h"

#include <algorithm>

namespace valmoro::script {

namespace {

bool isDecimal(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

int hexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  return -1;
}

bool isControl(QChar c) { return c.unicode() < 32 && c.unicode() != 9; }

bool lessIgnoringCase(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

}  // namespace

TfsKeywords::TfsKeywords(const QStringList& words) : exact_(words.begin(), words.end()), folded_(exact_) {
  std::sort(exact_.begin(), exact_.end());
  std::sort(folded_.begin(), folded_.end(), lessIgnoringCase);
}

bool TfsKeywords::Contains(QStringView word, bool caseSensitive) const {
  if (caseSensitive) {
    auto it = std::lower_bound(exact_.begin(), exact_.end(), word,
                               [](const QString& a, QStringView b) { return QStringView(a).compare(b) < 0; });
    return it != exact_.end() && QStringView(*it) == word;
  }
  auto it = std::lower_bound(folded_.begin(), folded_.end(), word, [](const QString& a, QStringView b) {
    return QStringView(a).compare(b, Qt::CaseInsensitive) < 0;
  });
  return it != folded_.end() && QStringView(*it).compare(word, Qt::CaseInsensitive) == 0;
}

// ---------------------------------------------------------------------------

TfsParser::TfsParser() {
  RestoreDefaults();
  SetText(QString());
}

void TfsParser::RestoreDefaults() {
  SetIdentChars(u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
  Keywords.reset();
  CommentLine1 = QStringLiteral("//");
  CommentBlock1 = {QStringLiteral("{"), QStringLiteral("}")};
  CommentBlock2 = {QStringLiteral("(*"), QStringLiteral("*)")};
  StringQuote = QLatin1Char('\'');
  HexSequence = QStringLiteral("$");
  SpecStrChar = false;
  SkipEOL = true;
  SkipChar = QChar();
}

void TfsParser::SetIdentChars(QStringView chars) {
  IdentChars.reset();
  for (QChar c : chars) IdentChars.set(c.unicode() & 0xFF);
}

void TfsParser::SetKeywords(const QStringList& words) {
  Keywords = std::make_shared<const TfsKeywords>(words);
}

void TfsParser::SetText(const QString& source) {
  text_ = source;
  text_ += QChar();
  data_ = text_.constData();
  size_ = source.size();
  pos_ = 1;
  lastPos_ = 1;
  lineStarts_.assign(1, 0);
  for (qsizetype i = 0; i < size_; ++i)
    if (data_[i] == QLatin1Char('\n')) lineStarts_.push_back(i + 1);
}

void TfsParser::SetPosition(qsizetype position) {
  pos_ = qBound<qsizetype>(1, position, size_ + 1);
  lastPos_ = pos_;
}

bool TfsParser::startsWithAt(qsizetype position, const QString& marker) const {
  if (marker.isEmpty() || position < 1 || size_ - position + 1 < marker.size()) return false;
  return QStringView(data_ + position - 1, marker.size()) == marker;
}

void TfsParser::SkipBlanks() {
  // A continuation character is followed by the line ends it joins; each one
  // met leaves a run of CR/LF to skip once the blanks after it are done.
  int pendingLineEnds = 0;
  while (true) {
    while (pos_ <= size_ && isBlank(data_[pos_ - 1])) ++pos_;
    if (!SkipChar.isNull() && pos_ <= size_ && data_[pos_ - 1] == SkipChar) {
      ++pos_;
      ++pendingLineEnds;
      continue;
    }
    if (pos_ < size_) {
      if (startsWithAt(pos_, CommentLine1) || startsWithAt(pos_, CommentLine2)) {
        // When line ends matter, a comment after code stops before the CR so
        // that the grammar still sees the end of the line.
        const bool afterCode = !SkipEOL && pos_ > 1 && data_[pos_ - 2] != QLatin1Char('\n');
        while (pos_ <= size_ && data_[pos_ - 1] != QLatin1Char('\n') &&
               !(afterCode && data_[pos_ - 1] == QLatin1Char('\r')))
          ++pos_;
        continue;
      }
      const CommentPair* pair = startsWithAt(pos_, CommentBlock1.begin)   ? &CommentBlock1
                                : startsWithAt(pos_, CommentBlock2.begin) ? &CommentBlock2
                                                                          : nullptr;
      if (pair) {
        pos_ += pair->begin.size();
        const qsizetype at = pair->end.isEmpty() ? pos_ - 1 : text_.indexOf(pair->end, pos_ - 1);
        // A comment that never ends runs to the end of the text, not past it.
        pos_ = at < 0 || at >= size_ ? size_ + 1 : at + 1 + pair->end.size();
        continue;
      }
    }
    if (pendingLineEnds > 0) {
      --pendingLineEnds;
      while (pos_ <= size_ && (data_[pos_ - 1] == QLatin1Char('\r') || data_[pos_ - 1] == QLatin1Char('\n')))
        ++pos_;
      continue;
    }
    break;
  }
  lastPos_ = pos_;
}

bool TfsParser::SkipLineEnds() {
  SkipBlanks();
  if (pos_ > size_ || (data_[pos_ - 1] != QLatin1Char('\r') && data_[pos_ - 1] != QLatin1Char('\n')))
    return false;
  while (pos_ <= size_ && (data_[pos_ - 1] == QLatin1Char('\r') || data_[pos_ - 1] == QLatin1Char('\n'))) ++pos_;
  return true;
}

QStringView TfsParser::ReadWord() {
  SkipBlanks();
  if (pos_ > size_) return {};
  const QChar first = data_[pos_ - 1];
  if (first.unicode() < 127 && !(isIdentChar(first) && !isDecimal(first))) return {};
  qsizetype p = pos_ + 1;
  while (p <= size_ && (isIdentChar(data_[p - 1]) || data_[p - 1].unicode() >= 127)) ++p;
  const QStringView word(data_ + lastPos_ - 1, p - lastPos_);
  pos_ = p;
  return word;
}

bool TfsParser::IsKeyword(QStringView word) const { return Keywords && Keywords->Contains(word, CaseSensitive); }

QStringView TfsParser::ReadIdent() {
  const QStringView word = ReadWord();
  if (word.isEmpty() || IsKeyword(word)) return {};
  return word;
}

QStringView TfsParser::ReadSymbol() {
  if (pos_ > size_) return {};
  const char16_t c = data_[pos_ - 1].unicode();
  const bool symbol = (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
  if (!symbol) return {};
  return QStringView(data_ + pos_++ - 1, 1);
}

qsizetype TfsParser::hexDigitsAt(qsizetype position, uint* value) const {
  qsizetype n = 0;
  uint v = 0;
  while (position + n <= size_) {
    const int d = hexValue(data_[position + n - 1]);
    if (d < 0) break;
    v = (v * 16 + uint(d)) & 0xFFFF;  // a character code keeps its low 16 bits
    ++n;
  }
  *value = v;
  return n;
}

qsizetype TfsParser::integerAt(qsizetype position, uint* value) const {
  if (startsWithAt(position, HexSequence)) {
    const qsizetype digits = hexDigitsAt(position + HexSequence.size(), value);
    if (digits > 0) return HexSequence.size() + digits;
  }
  qsizetype n = 0;
  uint v = 0;
  while (position + n <= size_ && isDecimal(data_[position + n - 1])) {
    v = (v * 10 + uint(data_[position + n - 1].unicode() - '0')) & 0xFFFF;
    ++n;
  }
  *value = v;
  return n;
}

QString TfsParser::ReadNumber() {
  SkipBlanks();
  uint ignored = 0;
  const qsizetype length = integerAt(pos_, &ignored);
  if (length == 0) return {};
  qsizetype q = pos_ + length;
  bool fractionFailed = false;
  if (CharAt(q) == QLatin1Char('.')) {
    // "1..5" reads 1: without a digit after the point there is no float.
    if (isDecimal(CharAt(q + 1))) {
      q += 2;
      while (isDecimal(CharAt(q))) ++q;
    } else {
      fractionFailed = true;
    }
  }
  if (!fractionFailed && (CharAt(q) == QLatin1Char('E') || CharAt(q) == QLatin1Char('e'))) {
    qsizetype r = q + 1;
    if (CharAt(r) == QLatin1Char('+') || CharAt(r) == QLatin1Char('-')) ++r;
    if (isDecimal(CharAt(r))) {
      while (isDecimal(CharAt(r))) ++r;
      q = r;
    }
  }
  QString number(data_ + pos_ - 1, q - pos_);
  pos_ = q;
  if (!HexSequence.isEmpty() && HexSequence != QLatin1String("$"))
    number.replace(HexSequence, QStringLiteral("$"));
  return number;
}

bool TfsParser::quotedPartAt(qsizetype* position, QString* out) const {
  qsizetype q = *position + 1;
  QString part;
  while (true) {
    if (q > size_) return false;
    const QChar c = data_[q - 1];
    if (c == StringQuote) {
      if (!SpecStrChar && q + 1 <= size_ && data_[q] == StringQuote) {
        part += c;
        q += 2;
        continue;
      }
      ++q;
      break;
    }
    if (isControl(c)) return false;
    if (SpecStrChar && c == QLatin1Char('\\')) {
      // A backslash cannot carry the string over a line end or past the end
      // of the text: that counts as unterminated like any other line end.
      if (q + 1 > size_ || isControl(data_[q])) return false;
      const QChar d = data_[q];
      const char16_t lower = d.toLower().unicode();
      if (lower == 'n') {
        part += QLatin1Char('\n');
        q += 2;
      } else if (lower == 'r') {
        part += QLatin1Char('\r');
        q += 2;
      } else if (lower == 'x') {
        uint code = 0;
        const qsizetype digits = hexDigitsAt(q + 2, &code);
        if (digits > 0) part += QChar(char16_t(code));
        q += 2 + digits;
      } else {
        part += d;
        q += 2;
      }
      continue;
    }
    part += c;
    ++q;
  }
  *out += part;
  *position = q;
  return true;
}

QString TfsParser::ReadString() {
  SkipBlanks();
  QString contents;
  qsizetype p = pos_;
  bool any = false;
  while (p <= size_) {
    const QChar c = data_[p - 1];
    if (c == StringQuote) {
      if (!quotedPartAt(&p, &contents)) break;
    } else if (c == QLatin1Char('#')) {
      uint code = 0;
      const qsizetype length = integerAt(p + 1, &code);
      if (length == 0) break;
      contents += QChar(char16_t(code));
      p += 1 + length;
    } else {
      break;
    }
    any = true;
  }
  if (!any) return {};
  pos_ = p;
  return QLatin1Char('\'') + contents + QLatin1Char('\'');
}

QStringView TfsParser::ReadBracketText() {
  int depth = 1;
  bool inSingle = false;
  bool inDouble = false;
  qsizetype p = pos_;
  for (; p <= size_; ++p) {
    const char16_t c = data_[p - 1].unicode();
    if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if (!inSingle && !inDouble) {
      if (c == '<' || c == '[') {
        ++depth;
      } else if ((c == '>' || c == ']') && --depth == 0) {
        break;
      }
    }
  }
  const QStringView text(data_ + pos_ - 1, p - pos_);
  pos_ = p;
  return text;
}

void TfsParser::LineAndColumn(qsizetype position, qsizetype* line, qsizetype* column) const {
  // The line whose start lies last before the position; a position on an LF
  // belongs to the line that the LF ends.
  auto it = std::lower_bound(lineStarts_.begin(), lineStarts_.end(), position);
  const qsizetype index = qMax<qsizetype>(0, (it - lineStarts_.begin()) - 1);
  *line = index + 1;
  *column = position - lineStarts_[size_t(index)];
}

QString TfsParser::PositionText(qsizetype position) const {
  qsizetype line = 0, column = 0;
  LineAndColumn(position, &line, &column);
  return QString::number(line) + QLatin1Char(':') + QString::number(column);
}

qsizetype TfsParser::PositionOf(qsizetype line, qsizetype column) const {
  if (line < 1 || line > qsizetype(lineStarts_.size())) return -1;
  return lineStarts_[size_t(line - 1)] + column;
}

}  // namespace valmoro::script
