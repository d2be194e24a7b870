#include "sys_format.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>

#include "memory_limits.h"
#include "platform/locale.h"
#include "run_error.h"

namespace valmoro::script {

namespace {

[[noreturn]] void badFormat(const QString& format) {
  throw RunError(error_class::ConvertError,
                 QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

// A picture for locale::formatFloat: digits before the point, a fixed number
// of decimals, optionally grouped.
QString fixedPicture(int decimals, bool grouped) {
  QString p = grouped ? QStringLiteral("#,##0") : QStringLiteral("0");
  if (decimals > 0) p += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
  return p;
}

// Rounds to the given number of significant digits.
double toSignificant(double value, int digits) {
  if (value == 0 || !std::isfinite(value)) return value;
  const int magnitude = int(std::floor(std::log10(std::fabs(value))));
  const double scale = std::pow(10.0, digits - 1 - magnitude);
  return std::nearbyint(value * scale) / scale;
}

QString hexText(quint64 value, int minDigits) {
  QString out;
  do {
    out.prepend(QLatin1Char("0123456789ABCDEF"[value & 15]));
    value >>= 4;
  } while (value != 0);
  if (out.size() < minDigits) out.prepend(QString(minDigits - out.size(), QLatin1Char('0')));
  return out;
}

QString digitsText(qint64 value, int minDigits) {
  const bool negative = value < 0;
  const quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
  QString out = QString::number(magnitude);
  if (out.size() < minDigits) out.prepend(QString(minDigits - out.size(), QLatin1Char('0')));
  return negative ? QLatin1Char('-') + out : out;
}

// How an argument takes part in formatting.
struct Arg {
  enum Kind { Int, Int64, Float, Bool, Str } kind = Int;
  qint64 i = 0;
  double d = 0;
  QString s;
};

Arg argOf(const Variant& v) {
  Arg a;
  a.kind = Arg::Int;
  switch (v.Kind()) {
    case VarKind::Integer:
      a.i = v.AsInt();
      break;
    case VarKind::Int64:
      a.kind = Arg::Int64;
      a.i = v.AsInt64();
      break;
    case VarKind::Double:
    case VarKind::Currency:
    case VarKind::Date:
      a.kind = Arg::Float;
      a.d = v.ToDouble();
      break;
    case VarKind::Boolean:
      a.kind = Arg::Bool;
      a.i = v.AsBool() ? 1 : 0;
      break;
    case VarKind::String:
      // Full Unicode strings, no 255-character cut.
      a.kind = Arg::Str;
      a.s = v.AsString();
      break;
    default:
      break;  // Null, Empty, objects, arrays: the integer 0
  }
  return a;
}

}  // namespace

QString FormatText(const QString& format, const Variant& args) {
  constexpr int kMaxWidth = 100000;
  std::vector<Arg> list;
  if (args.IsArray()) {
    for (const Variant& v : args.AsArray().Elements()) list.push_back(argOf(v));
  } else if (!args.IsVoid()) {
    list.push_back(argOf(args));
  }
  size_t next = 0;
  auto take = [&]() -> const Arg& {
    if (next >= list.size()) badFormat(format);
    return list[next++];
  };
  QString out;
  const int n = int(format.size());
  int i = 0;
  while (i < n) {
    const QChar c = format[i++];
    if (c != QLatin1Char('%')) {
      CheckStringLength(out.size(), 1);
      out += c;
      continue;
    }
    if (i < n && format[i] == QLatin1Char('%')) {
      CheckStringLength(out.size(), 1);
      out += QLatin1Char('%');
      ++i;
      continue;
    }
    // A number, or "*" read from the arguments; -1 when absent. Widths and
    // precisions beyond kMaxWidth are refused, from the arguments as well
    // as written out.
    auto readNumber = [&]() -> int {
      if (i < n && format[i] == QLatin1Char('*')) {
        ++i;
        const Arg& a = take();
        if (a.kind != Arg::Int || a.i > kMaxWidth) badFormat(format);
        return int(a.i);
      }
      if (i >= n || !format[i].isDigit()) return -1;
      int value = 0;
      while (i < n && format[i].isDigit()) {
        value = value * 10 + format[i].digitValue();
        if (value > kMaxWidth) badFormat(format);
        ++i;
      }
      return value;
    };
    int number = readNumber();
    if (i < n && format[i] == QLatin1Char(':')) {
      ++i;
      next = size_t(number < 0 ? 0 : number);
      number = -1;
    }
    bool left = false;
    if (number < 0 && i < n && format[i] == QLatin1Char('-')) {
      left = true;
      ++i;
    }
    const int width = number >= 0 ? number : readNumber();
    int precision = -1;
    if (i < n && format[i] == QLatin1Char('.')) {
      ++i;
      precision = readNumber();
      if (precision < 0) precision = 0;
    }
    if (i >= n) badFormat(format);
    const QChar type = format[i++].toLower();
    const Arg& a = take();
    QString text;
    switch (type.unicode()) {
      case 'd':
      case 'u': {
        if (a.kind != Arg::Int && a.kind != Arg::Int64) badFormat(format);
        qint64 value = a.i;
        // "u" shows a 32-bit value as unsigned.
        if (type == QLatin1Char('u') && a.kind == Arg::Int && value < 0) value += qint64(1) << 32;
        text = digitsText(value, precision);
        break;
      }
      case 'x': {
        if (a.kind != Arg::Int && a.kind != Arg::Int64) badFormat(format);
        const quint64 bits = a.kind == Arg::Int ? quint64(quint32(qint32(a.i))) : quint64(a.i);
        text = hexText(bits, precision);
        break;
      }
      case 'p':
        if (a.kind != Arg::Int && a.kind != Arg::Int64) badFormat(format);
        text = hexText(a.kind == Arg::Int ? quint64(quint32(qint32(a.i))) : quint64(a.i), 8);
        break;
      case 's':
        if (a.kind != Arg::Str) badFormat(format);
        text = precision >= 0 ? a.s.left(precision) : a.s;
        break;
      case 'e': {
        if (a.kind != Arg::Float) badFormat(format);
        const int digits = precision < 0 || precision > 18 ? 15 : std::max(precision, 1);
        QString picture = QStringLiteral("0");
        if (digits > 1) picture += QLatin1Char('.') + QString(digits - 1, QLatin1Char('0'));
        text = locale::formatFloat(picture + QStringLiteral("E+000"), a.d);
        break;
      }
      case 'f':
      case 'n':
      case 'm': {
        if (a.kind != Arg::Float) badFormat(format);
        const int decimals = precision < 0 ? 2 : std::min(precision, 18);
        text = locale::formatFloat(fixedPicture(decimals, type != QLatin1Char('f')), a.d);
        // The currency of the regional settings follows the amount.
        if (type == QLatin1Char('m')) text += QStringLiteral(" zł");
        break;
      }
      case 'g':
        if (a.kind != Arg::Float) badFormat(format);
        text = locale::formatFloatGeneral(precision > 0 ? toSignificant(a.d, std::min(precision, 15)) : a.d);
        break;
      default:
        badFormat(format);
    }
    if (width > text.size()) {
      const QString pad(width - int(text.size()), QLatin1Char(' '));
      text = left ? text + pad : pad + text;
    }
    // Many wide directives could still add up beyond any string's limit.
    CheckStringLength(out.size(), text.size());
    out += text;
  }
  return out;
}

namespace {

// Made once: a new locale looks itself up in Qt's tables, and report rows
// format a date each.
QLocale regional() {
  static const QLocale polish(QLocale::Polish, QLocale::Poland);
  return polish;
}

// Whether the picture at i starts with the word, ignoring case.
bool startsWithAt(const QString& picture, int i, QLatin1String word) {
  // The first letter decides nearly always, and cheaply.
  if (i >= picture.size() || word.isEmpty() || picture[i].toLower() != QChar(word[0]).toLower()) return false;
  return QStringView(picture).mid(i).startsWith(word, Qt::CaseInsensitive);
}

QString formatPicture(const QString& picture, double days, int depth);

// Whether the picture shows the day of the month as a number ("d" or "dd"
// outside quoted text; "ddd" and longer are names or whole dates).
bool hasDayNumber(const QString& picture) {
  const qsizetype n = picture.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = picture[i];
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      const qsizetype end = picture.indexOf(c, i + 1);
      i = end < 0 ? n : end + 1;
      continue;
    }
    qsizetype run = 1;
    while (i + run < n && picture[i + run].toLower() == c.toLower()) ++run;
    if (c.toLower() == QLatin1Char('d') && run <= 2) return true;
    i += run;
  }
  return false;
}

}  // namespace

QString FormatDateTimeText(const QString& picture, double days) {
  return formatPicture(picture.isEmpty() ? QStringLiteral("c") : picture, days, 0);
}

namespace {

// Days from 1899-12-30 of 0001-01-01 and of the day after 9999-12-31: the
// dates a picture can show.
constexpr double kFirstDay = -693593;
constexpr double kPastLastDay = 2958466;

QString formatPicture(const QString& picture, double days, int depth) {
  // Beyond them (or no number at all) there is no day to name; the value
  // would not even fit the day count.
  if (!(days >= kFirstDay && days < kPastLastDay))
    throw RunError(error_class::ConvertError, QStringLiteral("Invalid argument to date encode"));
  const double whole = std::floor(days);
  const QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
  qint64 ms = qint64(std::llround((days - whole) * 86400000.0));
  if (ms >= 86400000) ms = 86400000 - 1;
  const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms));
  const locale::Formats& f = locale::formats();
  const QLocale loc = regional();
  // Pictures of the short and long forms, in the same language.
  const QString shortDate = QStringLiteral("yyyy/mm/dd");
  const QString longDate = QStringLiteral("d mmmm yyyy");
  const QString shortTime = QStringLiteral("hh:nn");
  const QString longTime = QStringLiteral("hh:nn:ss");
  // Polish names a month with a day number in the genitive ("30 listopada
  // 2026"); alone, or with the year only, in the nominative ("listopad 2026").
  const bool withDay = hasDayNumber(picture);

  // Whether any am/pm marker follows: hours then run 1..12. Most pictures
  // have no "a" at all.
  const bool twelve = picture.contains(QLatin1Char('a'), Qt::CaseInsensitive) &&
                      (picture.contains(QLatin1String("am/pm"), Qt::CaseInsensitive) ||
                       picture.contains(QLatin1String("a/p"), Qt::CaseInsensitive) ||
                       picture.contains(QLatin1String("ampm"), Qt::CaseInsensitive));
  QString out;
  bool afterHour = false;
  const int n = int(picture.size());
  int i = 0;
  while (i < n) {
    // A picture of many "c" or "dddddd" gives many times its own length.
    CheckStringLength(out.size());
    const QChar c = picture[i];
    const char lc = char(c.toLower().unicode() < 128 ? c.toLower().unicode() : 0);
    int run = 1;
    while (i + run < n && picture[i + run].toLower() == c.toLower()) ++run;
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      const int end = int(picture.indexOf(c, i + 1));
      const QStringView literal = QStringView(picture).mid(i + 1, end < 0 ? -1 : end - i - 1);
      CheckStringLength(out.size(), literal.size());
      out += literal;
      i = end < 0 ? n : end + 1;
      continue;
    }
    if (startsWithAt(picture, i, QLatin1String("am/pm"))) {
      out += time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
      i += 5;
      continue;
    }
    if (startsWithAt(picture, i, QLatin1String("a/p"))) {
      out += time.hour() < 12 ? QStringLiteral("a") : QStringLiteral("p");
      i += 3;
      continue;
    }
    if (startsWithAt(picture, i, QLatin1String("ampm"))) {
      out += time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
      i += 4;
      continue;
    }
    switch (lc) {
      case 'd':
        if (run >= 6 && depth == 0) {
          out += formatPicture(longDate, days, depth + 1);
          run = 6;
        } else if (run == 5 && depth == 0) {
          out += formatPicture(shortDate, days, depth + 1);
        } else if (run >= 4) {
          out += loc.dayName(date.dayOfWeek(), QLocale::LongFormat);
          run = 4;
        } else if (run == 3) {
          out += loc.dayName(date.dayOfWeek(), QLocale::ShortFormat);
        } else {
          out += digitsText(date.day(), run);
        }
        afterHour = false;
        break;
      case 'm':
        if (afterHour && run <= 2) {
          out += digitsText(time.minute(), run);
        } else if (run >= 4) {
          out += withDay ? loc.monthName(date.month(), QLocale::LongFormat)
                         : loc.standaloneMonthName(date.month(), QLocale::LongFormat);
          run = 4;
        } else if (run == 3) {
          out += withDay ? loc.monthName(date.month(), QLocale::ShortFormat)
                         : loc.standaloneMonthName(date.month(), QLocale::ShortFormat);
        } else {
          out += digitsText(date.month(), run);
        }
        afterHour = false;
        break;
      case 'y':
        out += run <= 2 ? digitsText(date.year() % 100, 2) : digitsText(date.year(), 4);
        afterHour = false;
        break;
      case 'h': {
        int hour = time.hour();
        if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
        run = std::min(run, 2);
        out += digitsText(hour, run);
        afterHour = true;
        break;
      }
      case 'n':
        run = std::min(run, 2);
        out += digitsText(time.minute(), run);
        afterHour = false;
        break;
      case 's':
        run = std::min(run, 2);
        out += digitsText(time.second(), run);
        afterHour = false;
        break;
      case 'z':
        run = run >= 3 ? 3 : 1;
        out += digitsText(time.msec(), run == 3 ? 3 : 1);
        break;
      case 't':
        run = std::min(run, 2);
        if (depth == 0) out += formatPicture(run == 2 ? longTime : shortTime, days, depth + 1);
        break;
      case 'c':
        run = 1;
        if (depth == 0) {
          out += formatPicture(shortDate, days, depth + 1);
          if (ms != 0) out += QLatin1Char(' ') + formatPicture(longTime, days, depth + 1);
        }
        break;
      case '/':
        run = 1;
        out += f.dateSeparator;
        break;
      case ':':
        run = 1;
        out += f.timeSeparator;
        break;
      default:
        run = 1;
        out += c;
        break;
    }
    i += run;
  }
  CheckStringLength(out.size());
  return out;
}

}  // namespace

QString FormatMaskText(const QString& mask, const QString& value) {
  // The mask's fields: the mask proper, the save flag, the blank character.
  QString body = mask;
  bool saveLiterals = true;
  QChar blank = QLatin1Char('_');
  const int last = int(body.lastIndexOf(QLatin1Char(';')));
  if (last > 0 && body[last - 1] != QLatin1Char('\\')) {
    const int first = int(body.lastIndexOf(QLatin1Char(';'), last - 1));
    if (first > 0 && body[first - 1] != QLatin1Char('\\')) {
      saveLiterals = body.mid(first + 1, last - first - 1) != QLatin1String("0");
      if (last + 1 < body.size()) blank = body[last + 1];
      body.truncate(first);
    } else {
      saveLiterals = body.mid(last + 1) != QLatin1String("0");
      body.truncate(last);
    }
  }
  enum class Case { Keep, Upper, Lower } caseMode = Case::Keep;
  QString out;
  int v = 0;
  for (int m = 0; m < body.size(); ++m) {
    const QChar c = body[m];
    if (c == QLatin1Char('>')) {
      caseMode = Case::Upper;
      continue;
    }
    if (c == QLatin1Char('<')) {
      if (m + 1 < body.size() && body[m + 1] == QLatin1Char('>')) {
        caseMode = Case::Keep;
        ++m;
      } else {
        caseMode = Case::Lower;
      }
      continue;
    }
    bool literal = false;
    QChar literalChar = c;
    if (c == QLatin1Char('\\') && m + 1 < body.size()) {
      literal = true;
      literalChar = body[++m];
    } else if (QStringLiteral("LlAaCc09#").indexOf(c) < 0) {
      literal = true;
      // The locale's separators stand for ":" and "/".
      if (c == QLatin1Char(':')) literalChar = locale::formats().timeSeparator;
      if (c == QLatin1Char('/')) literalChar = locale::formats().dateSeparator;
    }
    if (literal) {
      out += literalChar;
      if (saveLiterals && v < value.size() && value[v] == literalChar) ++v;
      continue;
    }
    QChar ch = v < value.size() ? value[v++] : blank;
    if (caseMode == Case::Upper) ch = ch.toUpper();
    if (caseMode == Case::Lower) ch = ch.toLower();
    out += ch;
  }
  return out;
}

}  // namespace valmoro::script
