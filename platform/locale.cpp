#include "locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

namespace valmoro::locale {
namespace {

bool isDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

void appendPadded(QString& out, int number, int width) {
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, number);
  (void)ec;
  for (int n = int(end - buf); n < width; ++n) out += QLatin1Char('0');
  out += QLatin1String(buf, end - buf);
}

void appendDate(QString& out, const QDate& date) {
  const int year = date.year();
  if (year < 0) out += QLatin1Char('-');
  appendPadded(out, year < 0 ? -year : year, 4);
  out += formats().dateSeparator;
  appendPadded(out, date.month(), 2);
  out += formats().dateSeparator;
  appendPadded(out, date.day(), 2);
}

void appendTime(QString& out, const QTime& time) {
  appendPadded(out, time.hour(), 2);
  out += formats().timeSeparator;
  appendPadded(out, time.minute(), 2);
  out += formats().timeSeparator;
  appendPadded(out, time.second(), 2);
}

// Reads minDigits..maxDigits ASCII digits at pos; QChar::isDigit would let
// other scripts' digits through.
bool readNumber(QStringView text, qsizetype& pos, int minDigits, int maxDigits, int& out) {
  int value = 0;
  int count = 0;
  while (pos < text.size() && count < maxDigits && isDigit(text[pos])) {
    value = value * 10 + (text[pos].unicode() - u'0');
    ++pos;
    ++count;
  }
  out = value;
  return count >= minDigits;
}

bool expect(QStringView text, qsizetype& pos, QChar c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

std::optional<QDate> readDate(QStringView text) {
  qsizetype pos = 0;
  int y = 0, m = 0, d = 0;
  const QChar sep = formats().dateSeparator;
  if (!readNumber(text, pos, 4, 4, y) || !expect(text, pos, sep) || !readNumber(text, pos, 1, 2, m) ||
      !expect(text, pos, sep) || !readNumber(text, pos, 1, 2, d) || pos != text.size())
    return std::nullopt;
  const QDate date(y, m, d);
  if (!date.isValid()) return std::nullopt;
  return date;
}

std::optional<QTime> readTime(QStringView text) {
  qsizetype pos = 0;
  int h = 0, m = 0, s = 0;
  const QChar sep = formats().timeSeparator;
  if (!readNumber(text, pos, 1, 2, h) || !expect(text, pos, sep) || !readNumber(text, pos, 2, 2, m))
    return std::nullopt;
  if (pos < text.size() && (!expect(text, pos, sep) || !readNumber(text, pos, 2, 2, s)))
    return std::nullopt;
  if (pos != text.size() || h > 23 || m > 59 || s > 59) return std::nullopt;
  return QTime(h, m, s);
}

// A non-negative number as decimal digits: digit i stands for
// 10^(exponent - i). No leading or trailing zeros; empty means zero.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool isZero() const { return digits.empty(); }
};

// Without a precision the shortest text that reads back as the same double,
// i.e. the value as the user would have typed it.
Decimal toDecimal(double magnitude, std::optional<int> precision = std::nullopt) {
  char buf[64];
  const auto res = precision
                       ? std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, *precision)
                       : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
  Decimal d;
  const char* p = buf;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  if (p < res.ptr) ++p;  // 'e'
  if (p < res.ptr && *p == '+') ++p;
  std::from_chars(p, res.ptr, d.exponent);
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
  return d;
}

// Keeps the first `count` digits, rounding half away from zero on the
// decimal digits themselves (2.675 to two places gives 2.68).
void roundToDigits(Decimal& d, int count) {
  if (d.isZero() || count >= int(d.digits.size())) return;
  if (count < 0) {
    d = Decimal{};
    return;
  }
  const bool up = d.digits[size_t(count)] >= '5';
  d.digits.resize(size_t(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.digits[size_t(i)] == '9') d.digits[size_t(i--)] = '0';
    if (i >= 0) {
      ++d.digits[size_t(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

char digitAt(const Decimal& d, int index) {
  return index >= 0 && index < int(d.digits.size()) ? d.digits[size_t(index)] : '0';
}

// ---- Picture formats ----

enum class Kind { Literal, IntDigit, Point, FracDigit, Exponent };

struct Token {
  Kind kind = Kind::Literal;
  QString text;  // literal text, or the exponent letter
  bool expAlwaysSign = false;
  int expDigits = 1;
};

struct Picture {
  std::vector<Token> tokens;
  int intPlaceholders = 0;
  int minIntDigits = 0;
  int maxFracDigits = 0;
  int minFracDigits = 0;
  bool grouping = false;
  bool scientific = false;
};

Picture parsePicture(QStringView section) {
  Picture pic;
  bool inFraction = false;
  bool afterExponent = false;
  bool hasPoint = false;
  int firstIntZero = -1;
  auto literal = [&](const QString& s) {
    if (!pic.tokens.empty() && pic.tokens.back().kind == Kind::Literal)
      pic.tokens.back().text += s;
    else
      pic.tokens.push_back({Kind::Literal, s});
  };
  for (qsizetype i = 0; i < section.size(); ++i) {
    const QChar c = section[i];
    if (c == u'\'' || c == u'"') {
      const qsizetype close = section.indexOf(c, i + 1);
      const qsizetype end = close < 0 ? section.size() : close;
      literal(section.mid(i + 1, end - i - 1).toString());
      i = end;
    } else if (afterExponent) {
      literal(QString(c));
    } else if (c == u'0' || c == u'#') {
      if (inFraction) {
        ++pic.maxFracDigits;
        if (c == u'0') pic.minFracDigits = pic.maxFracDigits;
        pic.tokens.push_back({Kind::FracDigit, QString()});
      } else {
        if (c == u'0' && firstIntZero < 0) firstIntZero = pic.intPlaceholders;
        ++pic.intPlaceholders;
        pic.tokens.push_back({Kind::IntDigit, QString()});
      }
    } else if (c == u'.' && !hasPoint) {
      hasPoint = inFraction = true;
      pic.tokens.push_back({Kind::Point, QString()});
    } else if (c == u',') {
      // A format character, never printed; only the integer part's turns on grouping.
      if (!inFraction) pic.grouping = true;
    } else if ((c == u'E' || c == u'e') && i + 1 < section.size() &&
               (section[i + 1] == u'+' || section[i + 1] == u'-')) {
      Token t{Kind::Exponent, QString(c)};
      t.expAlwaysSign = section[i + 1] == u'+';
      i += 2;
      int zeros = 0;
      while (i < section.size() && section[i] == u'0') ++zeros, ++i;
      --i;
      t.expDigits = zeros > 0 ? zeros : 1;
      pic.tokens.push_back(t);
      pic.scientific = afterExponent = true;
    } else {
      literal(QString(c));
    }
  }
  if (firstIntZero >= 0) pic.minIntDigits = pic.intPlaceholders - firstIntZero;
  return pic;
}

// Splits at ";" outside quotes; at most three sections are used.
std::vector<QStringView> splitSections(QStringView format) {
  std::vector<QStringView> sections;
  qsizetype start = 0;
  QChar quote;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u';') {
      sections.push_back(format.mid(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(format.mid(start));
  if (sections.size() > 3) sections.resize(3);
  return sections;
}

QString render(const Picture& pic, double value, bool showMinus) {
  Decimal d = toDecimal(std::fabs(value));
  std::string intDigits;
  std::string fracDigits;
  int shownExponent = 0;
  if (pic.scientific) {
    const int intCount = pic.intPlaceholders > 0 ? pic.intPlaceholders : 1;
    roundToDigits(d, intCount + pic.maxFracDigits);
    if (d.isZero()) {
      intDigits = "0";
    } else {
      shownExponent = d.exponent - (intCount - 1);
      for (int i = 0; i < intCount; ++i) intDigits += digitAt(d, i);
    }
    for (int j = 0; j < pic.maxFracDigits; ++j) fracDigits += digitAt(d, intCount + j);
  } else {
    roundToDigits(d, d.exponent + pic.maxFracDigits + 1);
    for (int i = 0; !d.isZero() && i <= d.exponent; ++i) intDigits += digitAt(d, i);
    for (int j = 1; j <= pic.maxFracDigits; ++j) fracDigits += digitAt(d, d.exponent + j);
  }
  if (int(intDigits.size()) < pic.minIntDigits)
    intDigits.insert(0, size_t(pic.minIntDigits) - intDigits.size(), '0');
  while (int(fracDigits.size()) > pic.minFracDigits && fracDigits.back() == '0') fracDigits.pop_back();
  // Once rounded to nothing the value is zero and shows no minus.
  bool signPending = showMinus && !d.isZero();

  const Formats& f = formats();
  const int len = int(intDigits.size());
  const bool group = pic.grouping && !pic.scientific;
  QString out;
  auto emitInt = [&](int from, int to) {
    for (int i = from < 0 ? 0 : from; i <= to && i < len; ++i) {
      out += QLatin1Char(intDigits[size_t(i)]);
      if (group && i < len - 1 && (len - 1 - i) % 3 == 0) out += f.thousandSeparator;
    }
  };
  int intIndex = 0;
  int fracIndex = 0;
  for (const Token& t : pic.tokens) {
    if (t.kind != Kind::Literal && signPending) {
      out += QLatin1Char('-');
      signPending = false;
    }
    switch (t.kind) {
      case Kind::Literal:
        out += t.text;
        break;
      case Kind::IntDigit: {
        // Digits align to the right; the first placeholder takes any that
        // do not fit the picture.
        const int last = len - pic.intPlaceholders + intIndex;
        emitInt(intIndex == 0 ? 0 : last, last);
        ++intIndex;
        break;
      }
      case Kind::Point:
        if (pic.intPlaceholders == 0) emitInt(0, len - 1);
        if (!fracDigits.empty()) out += f.decimalSeparator;
        break;
      case Kind::FracDigit:
        if (fracIndex < int(fracDigits.size())) out += QLatin1Char(fracDigits[size_t(fracIndex)]);
        ++fracIndex;
        break;
      case Kind::Exponent: {
        out += t.text;
        if (shownExponent < 0)
          out += QLatin1Char('-');
        else if (t.expAlwaysSign)
          out += QLatin1Char('+');
        appendPadded(out, shownExponent < 0 ? -shownExponent : shownExponent, t.expDigits);
        break;
      }
    }
  }
  if (signPending) out.prepend(QLatin1Char('-'));
  return out;
}

}  // namespace

const Formats& formats() {
  static const Formats f;
  return f;
}

QString formatDate(const QDate& date) {
  QString out;
  if (date.isValid()) appendDate(out, date);
  return out;
}

QString formatTime(const QTime& time) {
  QString out;
  if (time.isValid()) appendTime(out, time);
  return out;
}

QString formatDateTime(const QDateTime& value) {
  if (!value.isValid()) return {};
  if (value.time() == QTime(0, 0)) return formatDate(value.date());
  return formatDateTimeFull(value);
}

QString formatDateTimeFull(const QDateTime& value) {
  QString out;
  if (!value.isValid()) return out;
  appendDate(out, value.date());
  out += QLatin1Char(' ');
  appendTime(out, value.time());
  return out;
}

std::optional<QDate> parseDate(const QString& text) { return readDate(text); }

std::optional<QTime> parseTime(const QString& text) { return readTime(text); }

std::optional<QDateTime> parseDateTime(const QString& text) {
  const QStringView s = QStringView(text).trimmed();
  qsizetype blank = 0;
  while (blank < s.size() && !s[blank].isSpace()) ++blank;
  const auto date = readDate(s.left(blank));
  if (!date) return std::nullopt;
  if (blank == s.size()) return QDateTime(*date, QTime(0, 0));
  const auto time = readTime(s.mid(blank).trimmed());
  if (!time) return std::nullopt;
  return QDateTime(*date, *time);
}

std::optional<double> parseFloat(const QString& text) {
  const QStringView s = QStringView(text).trimmed();
  qsizetype pos = 0;
  bool negative = false;
  if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) negative = s[pos++] == u'-';
  std::string intPart, fracPart;
  while (pos < s.size() && isDigit(s[pos])) intPart += char(s[pos++].unicode());
  if (pos < s.size() && (s[pos] == formats().decimalSeparator || s[pos] == u'.')) {
    ++pos;
    while (pos < s.size() && isDigit(s[pos])) fracPart += char(s[pos++].unicode());
  }
  if (intPart.empty() && fracPart.empty()) return std::nullopt;
  std::string expPart;
  if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
    ++pos;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
      if (s[pos] == u'-') expPart += '-';
      ++pos;
    }
    const size_t signLen = expPart.size();
    while (pos < s.size() && isDigit(s[pos])) expPart += char(s[pos++].unicode());
    if (expPart.size() == signLen) return std::nullopt;
  }
  if (pos != s.size()) return std::nullopt;

  // from_chars takes neither a leading "+" nor an empty side of the point.
  std::string ascii = (intPart.empty() ? "0" : intPart) + '.' + (fracPart.empty() ? "0" : fracPart);
  if (!expPart.empty()) ascii += 'e' + expPart;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small to represent reads as zero; too large is not a number we keep.
    const std::string digits = intPart + fracPart;
    long magnitude = long(intPart.size()) - 1 - long(digits.find_first_not_of('0'));
    long exponent = 0;
    for (char c : expPart)
      if (c != '-' && exponent < 100000) exponent = exponent * 10 + (c - '0');
    magnitude += !expPart.empty() && expPart.front() == '-' ? -exponent : exponent;
    if (magnitude >= 0) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || ptr != ascii.data() + ascii.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

QString formatFloatGeneral(double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  const Decimal d = toDecimal(std::fabs(value), 14);
  if (d.isZero()) return QStringLiteral("0");
  const QChar sep = formats().decimalSeparator;
  const int n = int(d.digits.size());
  QString out;
  if (value < 0) out += QLatin1Char('-');
  if (d.exponent >= 15 || d.exponent < -4) {
    out += QLatin1Char(d.digits[0]);
    if (n > 1) {
      out += sep;
      out += QLatin1String(d.digits.data() + 1, n - 1);
    }
    out += QLatin1Char('E');
    if (d.exponent < 0) out += QLatin1Char('-');
    appendPadded(out, d.exponent < 0 ? -d.exponent : d.exponent, 1);
  } else if (d.exponent >= 0) {
    for (int i = 0; i <= d.exponent; ++i) out += QLatin1Char(digitAt(d, i));
    if (n > d.exponent + 1) {
      out += sep;
      out += QLatin1String(d.digits.data() + d.exponent + 1, n - d.exponent - 1);
    }
  } else {
    out += QLatin1Char('0');
    out += sep;
    for (int i = -1; i > d.exponent; --i) out += QLatin1Char('0');
    out += QLatin1String(d.digits.data(), n);
  }
  return out;
}

// The section is chosen by the value as given, before rounding, so -0.001
// with "0.00;(0.00)" gives "(0,00)". Values of 1e18 and more have no place
// in a fixed picture and take the general form; scientific pictures take any.
QString formatFloat(const QString& format, double value) {
  if (format.isEmpty() || !std::isfinite(value)) return formatFloatGeneral(value);
  const std::vector<QStringView> sections = splitSections(format);
  QStringView section = sections[0];
  bool showMinus = value < 0;
  if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty()) {
    section = sections[2];
  } else if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty()) {
    section = sections[1];
    showMinus = false;
  }
  if (section.isEmpty()) return formatFloatGeneral(value);
  const Picture pic = parsePicture(section);
  if (!pic.scientific && std::fabs(value) >= 1e18) return formatFloatGeneral(value);
  return render(pic, value, showMinus);
}

namespace {

constexpr char16_t kCp1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

}  // namespace

void useInControls() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }

bool installQtTranslations() {
  if (!QCoreApplication::instance()) return false;
  // Made once and kept for the life of the process, as the application
  // holds only a pointer to it.
  static QTranslator* translator = nullptr;
  if (translator) return true;
  auto* candidate = new QTranslator(QCoreApplication::instance());
  if (!candidate->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete candidate;
    return false;
  }
  QCoreApplication::installTranslator(candidate);
  translator = candidate;
  return true;
}

QString fromSystemCodePage(QByteArrayView bytes) {
  QString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<quint8>(c);
    text.append(QChar(b < 0x80 ? char16_t(b) : kCp1250High[b - 0x80]));
  }
  return text;
}

QByteArray toSystemCodePage(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80) {
      out.append(char(u));
      continue;
    }
    char code = '?';
    for (int i = 0; i < 128; ++i)
      if (kCp1250High[i] == u) {
        code = char(0x80 + i);
        break;
      }
    out.append(code);
  }
  return out;
}

}  // namespace valmoro::locale
