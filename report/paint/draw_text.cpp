#include "report/paint/draw_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/fonts.h"
#include "platform/graphics_names.h"
#include "report/model/report.h"
#include "report/model/report_font.h"

namespace valmoro::report {

namespace {

constexpr double kUnits = TfrxDrawText::kUnitsPerPixel;
constexpr double kPi = 3.14159265358979323846;

// Halves go to the even neighbour, as everywhere in layout and drawing.
double roundEven(double v) { return std::nearbyint(v); }
int iround(double v) {
  if (!(v == v)) return 0;  // NaN from nonsense scales
  v = std::clamp(roundEven(v), -1e8, 1e8);
  return int(v);
}
long long lround64(double v) {
  if (!(v == v)) return 0;
  return (long long)std::clamp(roundEven(v), -1e15, 1e15);
}

// Sine and cosine of a rotation in whole degrees, exact at right angles.
void direction(int theta, double& sinT, double& cosT) {
  switch (theta) {
    case 0: sinT = 0, cosT = 1; return;
    case 90: sinT = 1, cosT = 0; return;
    case 180: sinT = 0, cosT = -1; return;
    case 270: sinT = -1, cosT = 0; return;
    default: {
      const double rad = theta * kPi / 180;
      sinT = std::sin(rad);
      cosT = std::cos(rad);
    }
  }
}

bool isSpace(QChar c) { return c.unicode() == 32; }
bool isBlockSpace(QChar c) { return c.unicode() == 32 || c.unicode() == 160; }

// Adds k unit corrections to v[a, b): the first half gets k div 2, the
// second the rest, recursively; a single correction goes to the last
// position of the first half. At least one per position first when k
// reaches the count.
void spreadRange(std::vector<int>& v, size_t a, size_t b, long long k, int sign) {
  const size_t count = b - a;
  if (count == 0 || k <= 0) return;
  if (k >= (long long)count) {
    const long long each = k / (long long)count;
    for (size_t i = a; i < b; ++i) v[i] += int(sign * each);
    k %= (long long)count;
    if (k == 0) return;
  }
  const size_t half = std::max<size_t>(1, count / 2);
  if (k == 1) {
    v[a + half - 1] += sign;
    return;
  }
  spreadRange(v, a, a + half, k / 2, sign);
  spreadRange(v, a + half, b, k - k / 2, sign);
}

void spread(std::vector<int>& v, long long k) {
  if (v.empty() || k == 0) return;
  spreadRange(v, 0, v.size(), k < 0 ? -k : k, k < 0 ? -1 : 1);
}

// --- Syllables of Cyrillic words ----------------------------------------------

bool isVowel(QChar c) {
  switch (c.unicode()) {
    case u'А': case u'Е': case u'Ё': case u'И': case u'О':
    case u'У': case u'Ы': case u'Э': case u'Ю': case u'Я':
      return true;
    default:
      return false;
  }
}

bool isConsonant(QChar c) {
  switch (c.unicode()) {
    case u'Б': case u'В': case u'Г': case u'Д': case u'Ж': case u'З': case u'Й':
    case u'К': case u'Л': case u'М': case u'Н': case u'П': case u'Р': case u'С':
    case u'Т': case u'Ф': case u'Х': case u'Ц': case u'Ч': case u'Ш': case u'Щ':
    case u'Ь': case u'Ъ':
      return true;
    default:
      return false;
  }
}

// May the upper-cased word w be broken after its character k (0-based)?
bool breakAllowed(const QString& w, int k) {
  const int n = int(w.size());
  if (k < 0 || k + 1 >= n) return false;
  const QChar c = w[k], next = w[k + 1];
  bool allowed = false;
  if (isConsonant(c)) {
    allowed = !isVowel(next) && next != u'Ь' && next != u'Ъ';
  } else if (isVowel(c)) {
    const bool doubled = k + 3 < n && w[k + 1] == w[k + 2] && isConsonant(w[k + 1]) && isVowel(w[k + 3]);
    allowed = next != u'Й' && !doubled;
  }
  if (!allowed) return false;
  bool headVowel = false, tailVowel = false;
  for (int i = 0; i <= k; ++i) headVowel = headVowel || isVowel(w[i]);
  for (int i = k + 1; i < n; ++i) tailVowel = tailVowel || isVowel(w[i]);
  return headVowel && tailVowel;
}

// The tag prefix text for a colour: "#RRGGBB".
QString colorText(gfx::Color color) {
  const QRgb rgb = gfx::toRgb(color);
  return QStringLiteral("#%1%2%3")
      .arg(qRed(rgb), 2, 16, QLatin1Char('0'))
      .arg(qGreen(rgb), 2, 16, QLatin1Char('0'))
      .arg(qBlue(rgb), 2, 16, QLatin1Char('0'))
      .toUpper();
}

int hexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

// "#RRGGBB" or a colour name ("red" for clRed) to a colour value.
std::optional<gfx::Color> parseColor(QStringView value) {
  if (value.startsWith(u'#')) {
    if (value.size() != 7) return std::nullopt;
    int digits[6];
    for (int i = 0; i < 6; ++i)
      if ((digits[i] = hexDigit(value[i + 1])) < 0) return std::nullopt;
    return gfx::rgb(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
  }
  if (value.isEmpty()) return std::nullopt;
  for (QChar c : value)
    if (!c.isLetterOrNumber()) return std::nullopt;
  return names::identToColor(QStringLiteral("cl") + value.toString());
}

// Visual order of a right-to-left line: clusters (a character with its
// marks, surrogate pairs kept whole) at embedding level 1, left-to-right
// runs (letters and digits, with the neutrals between them) at level 2; the
// level-2 runs keep their order and the line is read from the right.
std::vector<int> rtlOrder(const QString& text) {
  const int n = int(text.size());
  struct Cluster {
    int from, to, level;
  };
  std::vector<Cluster> clusters;
  for (int i = 0; i < n;) {
    int j = i + 1;
    if (text[i].isHighSurrogate() && j < n && text[j].isLowSurrogate()) ++j;
    while (j < n && text[j].isMark()) ++j;
    const char32_t code = text[i].isHighSurrogate() && j > i + 1 ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                                                : text[i].unicode();
    const QChar::Direction d = QChar::direction(code);
    const int level = (d == QChar::DirL || d == QChar::DirEN || d == QChar::DirAN) ? 2
                      : (d == QChar::DirR || d == QChar::DirAL)                   ? 1
                                                                                   : 0;  // neutral
    clusters.push_back({i, j, level});
    i = j;
  }
  // Neutrals between two left-to-right clusters join them; others read
  // right to left.
  for (size_t i = 0; i < clusters.size(); ++i) {
    if (clusters[i].level != 0) continue;
    size_t j = i;
    while (j < clusters.size() && clusters[j].level == 0) ++j;
    const bool ltr = i > 0 && clusters[i - 1].level == 2 && j < clusters.size() && clusters[j].level == 2;
    for (size_t k = i; k < j; ++k) clusters[k].level = ltr ? 2 : 1;
    i = j - 1;
  }
  // Reverse the level-2 runs, then the whole line.
  for (size_t i = 0; i < clusters.size();) {
    if (clusters[i].level != 2) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < clusters.size() && clusters[j].level == 2) ++j;
    std::reverse(clusters.begin() + long(i), clusters.begin() + long(j));
    i = j;
  }
  std::reverse(clusters.begin(), clusters.end());
  std::vector<int> order;
  order.reserve(size_t(n));
  for (const Cluster& c : clusters)
    for (int k = c.from; k < c.to; ++k) order.push_back(k);
  return order;
}

}  // namespace

// --- Tag records ----------------------------------------------------------------

void TfrxHTMLTags::AssignRange(const TfrxHTMLTags& source, int from, int count) {
  items_.assign(source.items_.begin() + from, source.items_.begin() + from + count);
}

TfrxHTMLTagsList::TfrxHTMLTagsList() = default;

void TfrxHTMLTagsList::SetDefaults(int size, unsigned style, gfx::Color color) {
  defSize_ = size;
  defStyle_ = style;
  defColor_ = color;
}

void TfrxHTMLTagsList::Clear() {
  count_ = 0;
  size_ = defSize_;
  style_ = defStyle_;
  color_ = defColor_;
  vshift_ = 0;
  noWrap_ = false;
  small_ = false;
  position_ = 0;
}

TfrxHTMLTags& TfrxHTMLTagsList::AddLine() {
  if (size_t(count_) == lines_.size()) lines_.emplace_back();
  TfrxHTMLTags& line = lines_[size_t(count_++)];
  line.Clear();
  return line;
}

int TfrxHTMLTagsList::ParseTag(const QString& line, int i) {
  const QStringView rest = QStringView(line).mid(i);
  const auto is = [&](QStringView tag) { return rest.startsWith(tag, Qt::CaseInsensitive); };
  if (is(u"<b>")) return style_ |= gfx::fsBold, 3;
  if (is(u"</b>")) return style_ &= ~unsigned(gfx::fsBold), 4;
  if (is(u"<i>")) return style_ |= gfx::fsItalic, 3;
  if (is(u"</i>")) return style_ &= ~unsigned(gfx::fsItalic), 4;
  if (is(u"<u>")) return style_ |= gfx::fsUnderline, 3;
  if (is(u"</u>")) return style_ &= ~unsigned(gfx::fsUnderline), 4;
  if (is(u"<strike>")) return style_ |= gfx::fsStrikeOut, 8;
  if (is(u"</strike>")) return style_ &= ~unsigned(gfx::fsStrikeOut), 9;
  if (is(u"<sub>") || is(u"<sup>")) {
    size_ = int(roundEven(defSize_ / 1.5));
    vshift_ = rest[3].toLower() == u'b' ? 1 : 0;
    small_ = size_ != defSize_;
    return 5;
  }
  if (is(u"</sub>") || is(u"</sup>")) {
    size_ = defSize_;
    vshift_ = 0;
    small_ = false;
    return 6;
  }
  if (is(u"<nowrap>")) return noWrap_ = true, 8;
  if (is(u"</nowrap>")) return noWrap_ = false, 9;
  if (is(u"</font>")) return color_ = defColor_, 7;
  if (is(u"<font color=")) {
    const int valueStart = 12;
    const qsizetype close = rest.indexOf(u'>', valueStart);
    if (close < 0) return 0;
    QStringView value = rest.mid(valueStart, close - valueStart).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) value = value.mid(1, value.size() - 2);
    const std::optional<gfx::Color> color = parseColor(value);
    if (!color) return 0;
    color_ = *color;
    return int(close) + 1;
  }
  return 0;
}

TfrxHTMLTag TfrxHTMLTagsList::CurrentTag(int position) const {
  TfrxHTMLTag tag;
  tag.Position = position;
  tag.Size = size_;
  tag.Style = style_;
  tag.Color = color_;
  tag.VShift = vshift_;
  tag.NoWrap = noWrap_;
  tag.Small = small_;
  return tag;
}

void TfrxHTMLTagsList::ExpandTags(QString& line, TfrxHTMLTags& tags, bool spaceForEmpty) {
  tags.Clear();
  const int sourceLength = int(line.size());
  if (!allowTags_) {
    TfrxHTMLTag tag;
    tag.Size = defSize_;
    tag.Style = defStyle_;
    tag.Color = defColor_;
    tag.SameAsPrevious = true;
    for (int i = 0; i < sourceLength; ++i) {
      tag.Position = position_ + i;
      tags.Add(tag);
    }
    if (line.isEmpty() && spaceForEmpty) {
      line = QStringLiteral(" ");
      tag.Position = position_;
      tags.Add(tag);
    }
    position_ += std::max(1, sourceLength) + 2;
    return;
  }

  QString out;
  out.reserve(line.size());
  TfrxHTMLTag previous;
  bool first = true;
  for (int i = 0; i < sourceLength;) {
    if (line[i] == u'<') {
      const int length = ParseTag(line, i);
      if (length > 0) {
        i += length;
        continue;
      }
    }
    TfrxHTMLTag tag = CurrentTag(position_ + i);
    tag.SameAsPrevious = !first && tag.SameLook(previous);
    tags.Add(tag);
    out.append(line[i]);
    previous = tag;
    first = false;
    ++i;
  }
  if (out.isEmpty() && spaceForEmpty) {
    out = QStringLiteral(" ");
    tags.Add(CurrentTag(position_));
  }
  line = out;
  position_ += std::max(1, sourceLength) + 2;
}

// --- The layout object ------------------------------------------------------------

TfrxDrawText::TfrxDrawText() = default;
TfrxDrawText::~TfrxDrawText() = default;

TfrxDrawText& TfrxDrawText::Shared() {
  static TfrxDrawText instance;
  return instance;
}

std::recursive_mutex& TfrxDrawText::Mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

void TfrxDrawText::SetFont(const ReportFont& font) {
  SetFont(font.Name(), font.Size(), unsigned(font.Style().toInt()), font.Color());
}

void TfrxDrawText::SetFont(const QString& name, int size, unsigned style, gfx::Color color) {
  Locker lock;
  fontName_ = name;
  fontSize_ = size;
  fontStyle_ = style & 0xF;
  fontColor_ = color;
  // −round(size × 600 / 72): a negative size is a cell height, as on the device.
  const double height = -roundEven(std::clamp(double(size), -1e6, 1e6) * kMeasureDpi / 72);
  measureEm_ = fonts::emPixels(name, style & gfx::fsBold, style & gfx::fsItalic, int(height));
}

void TfrxDrawText::SetOptions(bool wordWrap, bool htmlTags, int rotation, bool wysiwyg, bool clipped, bool wordBreak,
                              bool rtlReading) {
  Locker lock;
  wordWrap_ = wordWrap;
  htmlTags_ = htmlTags;
  rotation_ = ((rotation % 360) + 360) % 360;
  wysiwyg_ = wysiwyg;
  clipped_ = clipped;
  wordBreak_ = wordBreak;
  rtl_ = rtlReading;
}

void TfrxDrawText::SetGaps(double paragraphGap, double charSpacing, double lineSpacing) {
  Locker lock;
  // Nonsense values are kept within what a page can show.
  paragraphGap_ = std::isfinite(paragraphGap) ? std::clamp(paragraphGap, -1e5, 1e5) : 0;
  charSpacing_ = std::isfinite(charSpacing) ? std::clamp(charSpacing, -1e4, 1e4) : 0;
  lineSpacing_ = std::isfinite(lineSpacing) ? std::clamp(lineSpacing, -1e5, 1e5) : 0;
}

void TfrxDrawText::SetDimensions(double scaleX, double scaleY, double printScale, const gfx::Rect& textBox,
                                 const gfx::Rect& scaledBox) {
  Locker lock;
  scaleX_ = scaleX;
  scaleY_ = scaleY;
  printScale_ = printScale;
  textBox_ = textBox;
  scaledBox_ = scaledBox;
  inkRight_ = std::numeric_limits<int>::max();
}

const fonts::ScaledFont& TfrxDrawText::measureFont(unsigned style) {
  if (facesEm_ != measureEm_ || facesName_ != fontName_) {
    for (auto& face : faces_) face.reset();
    facesName_ = fontName_;
    facesEm_ = measureEm_;
  }
  const unsigned key = style & 3;
  if (!faces_[key]) faces_[key] = fonts::scaled(fontName_, key & gfx::fsBold, key & gfx::fsItalic, measureEm_);
  return *faces_[key];
}

int TfrxDrawText::charSpacingUnits(long long count) const {
  return int(std::clamp(roundEven(double(count) * charSpacing_ * kUnits), -2e9, 2e9));
}

void TfrxDrawText::measureAdvances(const QString& text, const TfrxHTMLTags& tags, int from, int count) {
  if (work_.empty()) work_.resize(kWorkSize);
  count = std::min(count, kWorkSize);
  const int n = int(text.size());
  const auto* s = reinterpret_cast<const char16_t*>(text.constData());
  if (!htmlTags_ || tags.Count() < n) {
    const fonts::ScaledFont& face = measureFont(fontStyle_);
    for (int k = 0; k < count; ++k) {
      const int i = from + k;
      work_[size_t(k)] = face.advance(s[i], i + 1 < n ? s[i + 1] : 0);
    }
    return;
  }
  for (int k = 0; k < count; ++k) {
    const int i = from + k;
    const TfrxHTMLTag& tag = tags[i];
    int advance = measureFont(tag.Style).advance(s[i], i + 1 < n ? s[i + 1] : 0);
    if (tag.Small) advance = int(roundEven(advance / 1.5));
    work_[size_t(k)] = advance;
  }
}

long long TfrxDrawText::measuredWidth(const QString& text, const TfrxHTMLTags& tags) {
  long long total = 0;
  const int n = int(text.size());
  for (int from = 0; from < n; from += kWorkSize) {
    const int count = std::min(kWorkSize, n - from);
    measureAdvances(text, tags, from, count);
    for (int k = 0; k < count; ++k) total += work_[size_t(k)];
  }
  return total;
}

TfrxDrawText::Line& TfrxDrawText::addLine(const QString& text, int flags, bool hyphenated) {
  if (size_t(lineCount_) == lines_.size()) lines_.emplace_back();
  Line& line = lines_[size_t(lineCount_++)];
  line.text = text;
  line.flags = flags;
  line.hyphenated = hyphenated;
  return line;
}

void TfrxDrawText::SetText(const QStringList& lines) {
  Locker lock;
  source_ = lines;
  lineCount_ = 0;
  tags_.SetDefaults(fontSize_, fontStyle_, fontColor_);
  tags_.SetAllowTags(htmlTags_);
  tags_.Clear();
  for (const QString& sourceLine : lines) {
    QString line = sourceLine;
    tags_.ExpandTags(line, lineTags_);
    wrapLine(line, lineTags_);
  }
}

int TfrxDrawText::hyphenPrefix(const QString& line, const TfrxHTMLTags& tags, int from, int to, long long room) {
  // The word: letters from `from` up to the next space (or `to`).
  int end = from;
  while (end < to && !isSpace(line[end])) ++end;
  const int length = end - from;
  if (length <= 3) return 0;
  const QString word = line.mid(from, length).toUpper();
  const TfrxHTMLTag& last = tags[std::min(end, int(line.size())) - 1];
  int hyphen = measureFont(last.Style).advance(u'-');
  if (htmlTags_ && last.Small) hyphen = int(roundEven(hyphen / 1.5));
  // work_ holds the advances from `from` on (see wrapLine).
  long long width = 0;
  int best = 0;
  const int available = std::min(length - 1, kWorkSize);
  for (int k = 0; k < available; ++k) {
    width += work_[size_t(k)] + (charSpacingUnits(from + k + 1) - charSpacingUnits(from + k));
    if (width + hyphen > room && charSpacing_ >= 0) break;
    if (width + hyphen <= room && breakAllowed(word, k)) best = k + 1;
  }
  return best;
}

void TfrxDrawText::wrapLine(const QString& line, const TfrxHTMLTags& tags) {
  const int n = int(line.size());
  const int firstIndex = lineCount_;
  const auto finish = [&] {
    lines_[size_t(firstIndex)].flags |= 1;
    lines_[size_t(lineCount_ - 1)].flags |= 2;
  };
  const auto addBroken = [&](int from, int count, bool hyphen) {
    TfrxHTMLTags& lineTagsOut = tags_.AddLine();
    if (!hyphen) {
      addLine(count == n ? line : line.mid(from, count), 0, false);
      lineTagsOut.AssignRange(tags, from, count);
      return;
    }
    addLine(line.mid(from, count) + u'-', 0, true);
    lineTagsOut.AssignRange(tags, from, count);
    TfrxHTMLTag tag = tags[from + count - 1];
    tag.SameAsPrevious = true;
    lineTagsOut.Add(tag);
  };

  if (!wordWrap_ || n <= 1) {
    addBroken(0, n, false);
    finish();
    return;
  }

  const bool across = (rotation_ >= 90 && rotation_ < 180) || (rotation_ >= 270 && rotation_ < 360);
  const int boxWidth = across ? textBox_.height() : textBox_.width();
  const long long W = lround64(boxWidth * kUnits);
  const long long W1 = lround64((boxWidth - paragraphGap_) * kUnits);

  // Cumulative positions P(i) of the characters [base, base + count), taken
  // relative to P(base − 1), in cum (a view of the work array after the
  // advances are summed up). Character spacing adds to every character,
  // rounded on the running total so that pieces add up exactly.
  std::vector<long long>& cum = positions_;
  if (cum.empty()) cum.resize(kWorkSize);
  int base = 0, count = 0;
  const auto measurePiece = [&](int from) {
    base = from;
    count = std::min(kWorkSize, n - from);
    measureAdvances(line, tags, from, count);
    long long total = 0;
    for (int k = 0; k < count; ++k) {
      const int i = from + k;
      total += work_[size_t(k)] + (charSpacingUnits(i + 1) - charSpacingUnits(i));
      cum[size_t(k)] = total;
    }
  };
  // P(i) − P(base − 1).
  const auto P = [&](int i) -> long long { return i < base ? 0 : cum[size_t(i - base)]; };

  measurePiece(0);
  long long total = cum[size_t(count - 1)];
  // Only the first piece is in the array; the rest is summed piece by piece.
  if (n > count) total = measuredWidth(line, tags) + charSpacingUnits(n);
  if (total < W1) {
    addBroken(0, n, false);
    finish();
    return;
  }

  int s = 0;       // line start
  int c = 0;       // break candidate (c == s: none)
  long long A = W1;
  long long o = 0;  // P(s − 1), relative to the piece
  for (int i = 0; i < n; ++i) {
    if (i >= base + count) {
      // Past the measured piece: measure again from the line start.
      measurePiece(s);
      o = 0;
      if (i >= base + count) {
        // One line longer than the work array: cut it where the array ends.
        addBroken(s, i - s, false);
        s = i;
        c = s;
        A = W;
        measurePiece(s);
      }
    }
    if (isSpace(line[i]) && !tags[i].NoWrap) c = i;
    if (P(i) - o <= A) continue;

    int e;  // the last character this line places
    if (c == s) {
      if (i == s) {
        addBroken(s, 1, false);
        e = s;
      } else {
        int k = 0;
        if (wordBreak_) {
          measureAdvances(line, tags, s, std::min(kWorkSize, n - s));
          k = hyphenPrefix(line, tags, s, n, A);
        }
        if (k > 0) {
          addBroken(s, k, true);
          e = s + k - 1;
        } else {
          addBroken(s, i - s, false);  // hard cut
          e = i - 1;
        }
      }
    } else {
      int k = 0;
      if (wordBreak_ && c + 1 < n) {
        measureAdvances(line, tags, c + 1, std::min(kWorkSize, n - c - 1));
        k = hyphenPrefix(line, tags, c + 1, n, A - (P(c) - o));
      }
      if (k > 0) {
        addBroken(s, c - s + 1 + k, true);
        e = c + k;
      } else {
        addBroken(s, c - s, false);  // the space itself is dropped
        e = c;
      }
    }
    // The next line starts with the first character not yet placed.
    if (e >= base + count) {
      measurePiece(std::min(e + 1, n - 1));
      o = 0;
    } else {
      o = P(e);
    }
    s = e + 1;
    c = s;
    A = W;
    i = e;
  }
  if (s < n) addBroken(s, n - s, false);
  finish();
}

void TfrxDrawText::SetParaBreaks(bool first, bool last) {
  Locker lock;
  if (lineCount_ == 0) return;
  if (first) lines_.front().flags &= ~1;
  if (last) lines_[size_t(lineCount_ - 1)].flags &= ~2;
}

double TfrxDrawText::TextWidth() {
  Locker lock;
  long long widest = 0;
  for (int k = 0; k < lineCount_; ++k) {
    const Line& line = lines_[size_t(k)];
    long long width = measuredWidth(line.text, tags_.Line(k)) + charSpacingUnits(line.text.size());
    if (line.flags & 1) width += lround64(paragraphGap_ * kUnits);
    widest = std::max(widest, width);
  }
  return double(widest) / kUnits;
}

double TfrxDrawText::LineHeight() const { return measureEm_ / kUnits + lineSpacing_; }

double TfrxDrawText::TextHeight() const {
  double height = lineCount_ * LineHeight();
  if (lineSpacing_ < 0) height += -lineSpacing_;
  return height;
}

double TfrxDrawText::SpareHeight() const {
  const double lineHeight = LineHeight();
  if (lineHeight <= 0) return 0;
  const double room = textBox_.height() + 1;
  const double n = std::trunc(room / lineHeight);
  if (n <= 0) return 0;
  const double spare = room - n * lineHeight;
  return spare == 0 ? 0.0001 : spare;
}

TfrxDrawText::SplitResult TfrxDrawText::Split() {
  Locker lock;
  SplitResult result;
  QString plain;
  for (qsizetype i = 0; i < source_.size(); ++i) {
    if (i > 0) plain += QStringLiteral("\r\n");
    plain += source_[i].isEmpty() ? QStringLiteral(" ") : source_[i];
  }
  const double lineHeight = LineHeight();
  int n = lineCount_;
  if (lineHeight > 0) n = int(std::min<double>(lineCount_, std::trunc((textBox_.height() + 1) / lineHeight)));
  n = std::max(0, n);
  if (n >= lineCount_) {
    result.fitted = plain;
    return result;
  }
  const TfrxHTMLTag next = tags_.Line(n)[0];
  const bool lastHyphenated = n > 0 && lines_[size_t(n - 1)].hyphenated;
  result.paragraphContinues = n > 0 && (lines_[size_t(n - 1)].flags & 2) == 0;
  lineCount_ = n;
  tags_.RemoveLinesFrom(n);

  const int position = std::clamp(next.Position, 0, int(plain.size()));
  result.remaining = plain.mid(position);
  if (result.paragraphContinues && result.remaining.startsWith(u' ')) result.remaining.remove(0, 1);
  result.fitted = plain.left(position);
  if (wordBreak_ && lastHyphenated) result.fitted += u'-';

  if (htmlTags_) {
    // The next part starts in the attributes in effect where this one ends.
    QString prefix = QStringLiteral("<font color=\"%1\">").arg(colorText(next.Color));
    if (next.Small) prefix = (next.VShift ? QStringLiteral("<sub>") : QStringLiteral("<sup>")) + prefix;
    if (next.Style & gfx::fsStrikeOut) prefix = QStringLiteral("<strike>") + prefix;
    if (next.Style & gfx::fsBold) prefix = QStringLiteral("<b>") + prefix;
    if (next.Style & gfx::fsItalic) prefix = QStringLiteral("<i>") + prefix;
    if (next.Style & gfx::fsUnderline) prefix = QStringLiteral("<u>") + prefix;
    result.remaining = prefix + result.remaining;
  }
  return result;
}

QStringList TfrxDrawText::WrappedText() const {
  QStringList out;
  out.reserve(lineCount_);
  for (int k = 0; k < lineCount_; ++k) out.append(lines_[size_t(k)].text);
  return out;
}

QString TfrxDrawText::TextWithoutTags(const QString& text) {
  Locker lock;
  if (!htmlTags_) return text;
  TfrxHTMLTagsList list;
  list.SetDefaults(fontSize_, fontStyle_, fontColor_);
  list.SetAllowTags(true);
  list.Clear();
  TfrxHTMLTags scratch;
  QString out;
  qsizetype start = 0;
  for (;;) {
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    QString line = text.mid(start, end - start);
    list.ExpandTags(line, scratch, /*spaceForEmpty=*/false);
    out += line;
    if (end >= text.size()) break;
    qsizetype breakLength = 1;
    if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') breakLength = 2;
    out += text.mid(end, breakLength);
    start = end + breakLength;
  }
  return out;
}

// --- Drawing ------------------------------------------------------------------------

int TfrxDrawText::deviceFontHeight(const gfx::Canvas& canvas, int size) const {
  double height;
  if (canvas.textAtDeviceResolution())
    height = -roundEven(canvas.dpiY() * double(size) * printScale_ / 72);
  else
    height = -roundEven(double(size) * scaleY_ * 96 / 72);
  if (!(height == height)) height = -1;
  height = std::clamp(height, -10000.0, 10000.0);
  // 0 would mean the canvas's default size; the smallest font is meant.
  if (height == 0) height = size < 0 ? 1 : -1;
  return int(height);
}

void TfrxDrawText::Draw(gfx::Canvas& canvas, TfrxHAlign hAlign, TfrxVAlign vAlign) {
  Locker lock;
  const int n = lineCount_;
  if (n == 0) return;
  if (!std::isfinite(scaleX_) || !std::isfinite(scaleY_) || !std::isfinite(printScale_)) return;
  const bool printer = canvas.textAtDeviceResolution();
  const int dpi = std::max(1, canvas.dpiY());

  // Vertical layout: the block height the 600-dpi lines take on the device,
  // and the device lines' own advances, the difference spread over the gaps.
  const int deviceHeight = deviceFontHeight(canvas, fontSize_);
  const int deviceEm = fonts::emPixels(fontName_, fontStyle_ & gfx::fsBold, fontStyle_ & gfx::fsItalic, deviceHeight);
  const double h = measureEm_;
  double H;
  if (printer) {
    const double d = kMeasureDpi / dpi / (printScale_ > 0 ? printScale_ : 1);
    H = (lineSpacing_ * scaleY_ * d * n + h * n) / d;
  } else {
    H = (lineSpacing_ * kUnits * n + h * n) / kUnits * scaleY_;
  }
  const int lineStep = deviceEm + iround(lineSpacing_ * scaleY_);
  std::vector<int> gaps(size_t(n > 1 ? n - 1 : 0), 0);
  if (wysiwyg_ && n > 1) spread(gaps, lround64(H) - (long long)lineStep * n);

  // Origin, line width and the extent across the lines.
  const int L = scaledBox_.left, T = scaledBox_.top, R = scaledBox_.right, B = scaledBox_.bottom;
  const int theta = rotation_;
  double sinT, cosT;
  direction(theta, sinT, cosT);
  double ox = L, oy = T, lineWidth = R - L, extent = B - T;
  switch (theta) {
    case 0:
      break;
    case 90:
      ox = L, oy = B, lineWidth = B - T, extent = R - L;
      break;
    case 180:
      ox = R, oy = B;
      break;
    case 270:
      ox = R, oy = T, lineWidth = B - T, extent = R - L;
      break;
    default: {
      const double c = std::abs(cosT), s = std::abs(sinT);
      const double w = std::max(0.0, roundEven((R - L - s * H) / c));
      lineWidth = w;
      if (theta < 90) {
        ox = L, oy = T + roundEven(s * w);
        extent = H + B - oy - roundEven(c * H);
      } else if (theta < 180) {
        ox = L + roundEven(c * w), oy = B;
        extent = H + B - T - roundEven(c * H + s * w);
      } else if (theta < 270) {
        ox = R, oy = B - roundEven(s * w);
        extent = H + oy - T - roundEven(c * H);
      } else {
        ox = L + roundEven(s * H), oy = T;
        extent = H + B - T - roundEven(s * w + c * H);
      }
    }
  }
  if (vAlign != vaTop) {
    double d = extent - H;
    if (vAlign == vaCenter) d = roundEven(d / 2);
    if (theta % 90 == 0) {
      ox += roundEven(d * sinT);
      oy += roundEven(d * cosT);
    } else if (theta < 90 || theta > 270) {
      oy += roundEven(d);
    } else {
      oy -= roundEven(d);
    }
  }

  if (clipped_) canvas.pushClip(scaledBox_);
  canvas.setBackground(std::nullopt);
  double across = 0;
  for (int k = 0; k < n; ++k) {
    const Line& line = lines_[size_t(k)];
    const bool paragraphStart = line.flags & 1;
    int indent = 0;
    if (paragraphStart && (hAlign == haLeft || hAlign == haBlock)) indent = iround(paragraphGap_ * scaleX_);
    TfrxHAlign align = hAlign;
    if (hAlign == haBlock && (line.flags & 2)) align = rtl_ ? haRight : haLeft;
    const double lx = ox + across * sinT + indent * cosT;
    const double ly = oy + across * cosT - indent * sinT;
    // Upright lines wholly outside the clipped box would draw nothing.
    const bool hidden = clipped_ && theta == 0 && (ly >= B || ly + 2.0 * std::max(std::abs(lineStep), deviceEm) <= T);
    if (!hidden) drawLine(canvas, k, lx, ly, iround(lineWidth) - indent, align);
    across += lineStep + (k < n - 1 ? gaps[size_t(k)] : 0);
  }
  if (clipped_) canvas.popClip();
}

void TfrxDrawText::drawLine(gfx::Canvas& canvas, int index, double originX, double originY, int boxWidth,
                            TfrxHAlign align) {
  const bool printer = canvas.textAtDeviceResolution();
  const int dpi = std::max(1, canvas.dpiY());
  QString text = lines_[size_t(index)].text;
  const TfrxHTMLTags& lineTags = tags_.Line(index);
  const int len = int(text.size());
  if (len == 0) return;

  // 600-dpi width without the last character's spacing.
  const long long T = measuredWidth(text, lineTags) + charSpacingUnits(len - 1);

  // Reading order and the attributes of every character in it.
  std::vector<int> order(static_cast<size_t>(len));
  for (int i = 0; i < len; ++i) order[size_t(i)] = i;
  if (rtl_) order = rtlOrder(text);
  QString visual;
  if (rtl_) {
    visual.reserve(len);
    for (int i : order) visual.append(text[i]);
  } else {
    visual = text;
  }
  const auto tagAt = [&](int visualIndex) -> TfrxHTMLTag {
    const int i = order[size_t(visualIndex)];
    if (htmlTags_ && i < lineTags.Count()) return lineTags[i];
    TfrxHTMLTag tag;
    tag.Size = fontSize_;
    tag.Style = fontStyle_;
    tag.Color = fontColor_;
    return tag;
  };

  // Runs of equal attributes and their device advances.
  struct Run {
    int from, count;
    TfrxHTMLTag tag;
    gfx::Font font;
  };
  std::vector<Run> runs;
  std::vector<int> advances;
  advances.reserve(size_t(len));
  for (int i = 0; i < len;) {
    const TfrxHTMLTag tag = tagAt(i);
    int j = i + 1;
    if (htmlTags_)
      while (j < len && tagAt(j).SameLook(tag)) ++j;
    else
      j = len;
    // A surrogate pair is never split between runs.
    if (j < len && visual[j].isLowSurrogate()) ++j;
    Run run{i, j - i, tag, {}};
    run.font.name = fontName_;
    run.font.height = deviceFontHeight(canvas, tag.Size);
    run.font.style = tag.Style;
    run.font.color = tag.Color;
    run.font.escapement = rotation_ * 10;
    canvas.setFont(run.font);
    const std::vector<int> own = canvas.textAdvances(visual.mid(i, j - i));
    for (int k = 0; k < j - i; ++k) advances.push_back(k < int(own.size()) ? own[size_t(k)] : 0);
    runs.push_back(std::move(run));
    i = j;
  }
  long long M = 0;
  for (int a : advances) M += a;

  long long t = M;
  if (wysiwyg_) {
    t = printer ? lround64(double(T) * printScale_ / (kMeasureDpi / dpi)) : lround64(double(T) / kUnits * scaleX_);
  }

  int spaces = 0;
  if (align == haBlock)
    for (QChar ch : visual) spaces += isBlockSpace(ch) ? 1 : 0;
  if (align == haBlock && spaces == 0) align = haLeft;

  long long shift = 0;
  if (align == haRight) {
    const bool boldOrItalic = fontStyle_ & (gfx::fsBold | gfx::fsItalic);
    shift = boxWidth - t + ((boldOrItalic && rotation_ == 0) ? 0 : 1);
  } else if (align == haCenter) {
    shift = (boxWidth - t) / 2;
  }

  bool imposed = wysiwyg_;
  if (align == haBlock) {
    // Justified: the room up to the full width goes to the spaces.
    const long long diff = boxWidth - M;
    const long long each = diff / spaces, extra = diff - each * spaces;
    int seen = 0;
    for (int i = 0; i < len; ++i) {
      if (!isBlockSpace(visual[i])) continue;
      advances[size_t(i)] += int(each) + (seen < std::abs(extra) ? (extra < 0 ? -1 : 1) : 0);
      ++seen;
    }
    imposed = true;
  } else if (wysiwyg_) {
    spread(advances, t + lround64(charSpacing_ * scaleX_) - M);
  }

  // On pixel surfaces the glyphs are rasterised at the screen size while
  // they stand at the layout's advances, and the last one's ink may reach a
  // column or two past the end of the run, into the edge the box clips. A
  // right-aligned or centred line is moved left by that much (never past its
  // box's start), so that no figure loses its last stroke nor reaches past
  // the view.
  const bool raster = canvas.isRaster();
  if (raster && rotation_ == 0 && shift > 0 && (align == haRight || align == haCenter)) {
    long long before = 0, ink = 0;
    for (const Run& run : runs) {
      canvas.setFont(run.font);
      const std::span<const int> runAdvances(advances.data() + run.from, size_t(run.count));
      ink = std::max(ink, before + canvas.inkRight(visual.mid(run.from, run.count),
                                                   imposed ? runAdvances : std::span<const int>()));
      for (int a : runAdvances) before += a;
    }
    const long long limit = std::min<long long>(boxWidth, (long long)inkRight_ - std::llround(originX));
    const long long over = shift + ink - limit;
    if (over > 0) shift -= std::min(over, shift);
  }

  double sinT, cosT;
  direction(rotation_, sinT, cosT);
  double pos = double(shift);
  for (const Run& run : runs) {
    const double down = run.tag.VShift ? roundEven(run.tag.VShift * run.tag.Size * scaleY_) : 0;
    const double x = originX + pos * cosT + down * sinT;
    const double y = originY - pos * sinT + down * cosT;
    canvas.setFont(run.font);
    const std::span<const int> runAdvances(advances.data() + run.from, size_t(run.count));
    canvas.textOut(QPoint(iround(x), iround(y)), visual.mid(run.from, run.count),
                   imposed ? runAdvances : std::span<const int>());
    for (int a : runAdvances) pos += a;
  }
}

// --- The report's instance ------------------------------------------------------------

TfrxDrawText& TfrxReport::DrawText() {
  TfrxDrawText::Locker lock;
  if (!drawText_) drawText_ = std::make_unique<TfrxDrawText>();
  return *drawText_;
}

}  // namespace valmoro::report
