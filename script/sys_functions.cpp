#include "sys_functions.h"

#include <QCollator>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <chrono>
#include <cmath>
#include <random>

#include "memory_limits.h"
#include "platform/dialogs.h"
#include "platform/locale.h"
#include "run_error.h"
#include "sys_format.h"

namespace valmoro::script {

namespace {

using Handler = Variant (*)(TfsMethodHelper* c);

[[noreturn]] void convertError(const QString& text, const char* what) {
  throw RunError(error_class::ConvertError,
                 QStringLiteral("'%1' is not a valid %2").arg(text, QString::fromLatin1(what)));
}

[[noreturn]] void invalidOp() {
  throw RunError(error_class::InvalidOp, QStringLiteral("Invalid floating point operation"));
}

QLocale regional() { return QLocale(QLocale::Polish, QLocale::Poland); }

// A whole number: optional blanks and sign, decimal digits or "$" and hex
// digits. Outside the bits given it does not parse.
bool parseInteger(const QString& text, int bits, qint64* out) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) negative = t[i++] == QLatin1Char('-');
  int base = 10;
  if (i < t.size() && t[i] == QLatin1Char('$')) {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == QLatin1Char('0') && (t[i + 1] == QLatin1Char('x') || t[i + 1] == QLatin1Char('X'))) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  const quint64 limit = bits == 32 ? (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)
                                   : (base == 16 ? ~0ull : 0x8000000000000000ull);
  quint64 value = 0;
  for (; i < t.size(); ++i) {
    const int d = t[i].isDigit() ? t[i].digitValue()
                  : base == 16 && t[i].toLower() >= QLatin1Char('a') && t[i].toLower() <= QLatin1Char('f')
                      ? t[i].toLower().unicode() - 'a' + 10
                      : -1;
    if (d < 0 || d >= base) return false;
    if (value > (limit - quint64(d)) / quint64(base)) return false;
    value = value * quint64(base) + quint64(d);
  }
  if (base == 10 && !negative && value == limit) return false;  // one past the largest positive
  qint64 result = bits == 32 && base == 16 ? qint64(qint32(quint32(value))) : qint64(value);
  *out = negative ? -result : result;
  return true;
}

double dateOnly(const QDate& date) { return double(QDate(1899, 12, 30).daysTo(date)); }
double timeOnly(const QTime& time) { return time.msecsSinceStartOfDay() / 86400000.0; }
QDate dateOf(double days) { return QDate(1899, 12, 30).addDays(qint64(std::floor(days))); }
QTime timeOf(double days) {
  qint64 ms = std::llround((days - std::floor(days)) * 86400000.0);
  if (ms >= 86400000) ms = 86400000 - 1;
  return QTime::fromMSecsSinceStartOfDay(int(ms));
}

double strToDate(const QString& s) {
  const auto d = locale::parseDate(s.trimmed());
  if (!d) convertError(s, "date");
  return dateOnly(*d);
}

double strToTime(const QString& s) {
  const auto t = locale::parseTime(s.trimmed());
  if (!t) convertError(s, "time");
  return timeOnly(*t);
}

double strToDateTime(const QString& s) {
  const auto dt = locale::parseDateTime(s.trimmed());
  if (dt) return dateOnly(dt->date()) + timeOnly(dt->time());
  if (const auto t = locale::parseTime(s.trimmed())) return timeOnly(*t);
  convertError(s, "date and time");
}

double strToFloat(const QString& s) {
  const auto v = locale::parseFloat(s);
  if (!v) convertError(s, "floating point value");
  return *v;
}

qint64 strToInt(const QString& s, int bits) {
  qint64 v = 0;
  if (!parseInteger(s, bits, &v)) convertError(s, "integer value");
  return v;
}

double checkedMath(double in, double out) {
  if (std::isfinite(in) && !std::isfinite(out)) invalidOp();
  return out;
}

QString dateTimeText(double days) {
  QString text = locale::formatDate(dateOf(days));
  const QTime t = timeOf(days);
  if (t.msecsSinceStartOfDay() != 0) text += QLatin1Char(' ') + locale::formatTime(t);
  return text;
}

// Trim as the platform does it: every character up to the blank goes.
QString trimControls(const QString& s) {
  int b = 0, e = int(s.size());
  while (b < e && s[b].unicode() <= ' ') ++b;
  while (e > b && s[e - 1].unicode() <= ' ') --e;
  return s.mid(b, e - b);
}

std::mt19937_64& generator() {
  // A fixed seed until Randomize, so runs without it repeat.
  static std::mt19937_64 gen(0);
  return gen;
}

struct AutomationRegistry {
  QMutex mutex;
  QHash<QString, TfsAutomationFactory> factories;
};
AutomationRegistry& automationRegistry() {
  static AutomationRegistry r;
  return r;
}

// Delete and DeleteStr: count characters from a 1-based position; out of range does nothing.
Variant deleteFromString(TfsMethodHelper* c) {
  QString s = c->Arg(0).ToString();
  const qint64 from = c->Arg(1).ToInt64(), count = c->Arg(2).ToInt64();
  if (from >= 1 && from <= s.size() && count > 0) s.remove(from - 1, std::min<qint64>(count, s.size()));
  c->SetArg(0, Variant(s));
  return Variant::Null();
}

struct Entry {
  const char* category;
  const char* declaration;
  Handler handler;
};

// The library in registration order; the declaration texts are shown in the
// designer exactly so.
const Entry kFunctions[] = {
    // ---- Conversions
    {"ctConv", "function IntToStr(i: Integer): String",
     [](TfsMethodHelper* c) { return Variant(QString::number(c->Arg(0).ToInt64())); }},
    {"ctConv", "function FloatToStr(e: Extended): String",
     [](TfsMethodHelper* c) { return Variant(locale::formatFloatGeneral(c->Arg(0).ToDouble())); }},
    {"ctConv", "function DateToStr(e: Extended): String",
     [](TfsMethodHelper* c) { return Variant(locale::formatDate(dateOf(c->Arg(0).ToDate()))); }},
    {"ctConv", "function TimeToStr(e: Extended): String",
     [](TfsMethodHelper* c) { return Variant(locale::formatTime(timeOf(c->Arg(0).ToDate()))); }},
    {"ctConv", "function DateTimeToStr(e: Extended): String",
     [](TfsMethodHelper* c) { return Variant(dateTimeText(c->Arg(0).ToDate())); }},
    {"ctConv", "function BoolToStr(B: Boolean): string;",
     [](TfsMethodHelper* c) { return Variant(c->Arg(0).ToBool() ? QStringLiteral("-1") : QStringLiteral("0")); }},
    {"ctConv", "function VarToStr(v: Variant): String", [](TfsMethodHelper* c) { return Variant(c->Arg(0).ToString()); }},
    {"ctConv", "function StrToInt(s: String): Integer",
     [](TfsMethodHelper* c) { return Variant::FromInt64(strToInt(c->Arg(0).ToString(), 32)); }},
    {"ctConv", "function StrToInt64(s: String): Integer",
     [](TfsMethodHelper* c) { return Variant::FromInt64(strToInt(c->Arg(0).ToString(), 64)); }},
    {"ctConv", "function StrToFloat(s: String): Extended",
     [](TfsMethodHelper* c) { return Variant(strToFloat(c->Arg(0).ToString())); }},
    {"ctConv", "function StrToDate(s: String): Extended",
     [](TfsMethodHelper* c) { return Variant::FromDate(strToDate(c->Arg(0).ToString())); }},
    {"ctConv", "function StrToTime(s: String): Extended",
     [](TfsMethodHelper* c) { return Variant::FromDate(strToTime(c->Arg(0).ToString())); }},
    {"ctConv", "function StrToDateTime(s: String): Extended",
     [](TfsMethodHelper* c) { return Variant::FromDate(strToDateTime(c->Arg(0).ToString())); }},
    {"ctConv", "function StrToBool(const S: string): Boolean;",
     [](TfsMethodHelper* c) {
       const Variant v = c->Arg(0);
       if (!v.IsString()) return Variant(v.ToBool());
       const QString s = v.AsString().trimmed();
       if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return Variant(true);
       if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return Variant(false);
       if (const auto number = locale::parseFloat(s)) return Variant(*number != 0);
       convertError(v.AsString(), "boolean value");
     }},
    // ---- Formatting
    {"ctFormat", "function Format(Fmt: String; Args: array): String",
     [](TfsMethodHelper* c) { return Variant(FormatText(c->Arg(0).ToString(), c->Arg(1))); }},
    {"ctFormat", "function FormatFloat(Fmt: String; Value: Extended): String",
     [](TfsMethodHelper* c) { return Variant(locale::formatFloat(c->Arg(0).ToString(), c->Arg(1).ToDouble())); }},
    {"ctFormat", "function FormatDateTime(Fmt: String; DateTime: TDateTime): String",
     [](TfsMethodHelper* c) { return Variant(FormatDateTimeText(c->Arg(0).ToString(), c->Arg(1).ToDate())); }},
    {"ctFormat", "function FormatMaskText(EditMask: string; Value: string): string",
     [](TfsMethodHelper* c) { return Variant(FormatMaskText(c->Arg(0).ToString(), c->Arg(1).ToString())); }},
    // ---- Dates
    {"ctDate", "function EncodeDate(Year, Month, Day: Word): TDateTime",
     [](TfsMethodHelper* c) {
       const int y = c->Arg(0).ToInt(), m = c->Arg(1).ToInt(), d = c->Arg(2).ToInt();
       if (y < 1 || y > 9999 || !QDate::isValid(y, m, d))
         throw RunError(error_class::ConvertError, QStringLiteral("Invalid argument to date encode"));
       return Variant::FromDate(dateOnly(QDate(y, m, d)));
     }},
    {"ctDate", "procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)",
     [](TfsMethodHelper* c) {
       const QDate d = dateOf(c->Arg(0).ToDate());
       c->SetArg(1, Variant(d.year()));
       c->SetArg(2, Variant(d.month()));
       c->SetArg(3, Variant(d.day()));
       return Variant::Null();
     }},
    {"ctDate", "function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime",
     [](TfsMethodHelper* c) {
       const int h = c->Arg(0).ToInt(), m = c->Arg(1).ToInt(), s = c->Arg(2).ToInt(), ms = c->Arg(3).ToInt();
       if (!QTime::isValid(h, m, s, ms))
         throw RunError(error_class::ConvertError, QStringLiteral("Invalid argument to time encode"));
       return Variant::FromDate(timeOnly(QTime(h, m, s, ms)));
     }},
    {"ctDate", "procedure DecodeTime(Time: TDateTime; var Hour, Min, Sec, MSec: Word)",
     [](TfsMethodHelper* c) {
       const QTime t = timeOf(c->Arg(0).ToDate());
       c->SetArg(1, Variant(t.hour()));
       c->SetArg(2, Variant(t.minute()));
       c->SetArg(3, Variant(t.second()));
       c->SetArg(4, Variant(t.msec()));
       return Variant::Null();
     }},
    {"ctDate", "function Date: TDateTime",
     [](TfsMethodHelper*) { return Variant::FromDate(dateOnly(QDate::currentDate())); }},
    {"ctDate", "function Time: TDateTime",
     [](TfsMethodHelper*) { return Variant::FromDate(timeOnly(QTime::currentTime())); }},
    {"ctDate", "function Now: TDateTime",
     [](TfsMethodHelper*) {
       const QDateTime now = QDateTime::currentDateTime();
       return Variant::FromDate(dateOnly(now.date()) + timeOnly(now.time()));
     }},
    {"ctDate", "function DayOfWeek(aDate: TDateTime): Integer",
     [](TfsMethodHelper* c) { return Variant(dateOf(c->Arg(0).ToDate()).dayOfWeek() % 7 + 1); }},
    {"ctDate", "function IsLeapYear(Year: Word): Boolean",
     [](TfsMethodHelper* c) { return Variant(QDate::isLeapYear(c->Arg(0).ToInt())); }},
    {"ctDate", "function DaysInMonth(nYear, nMonth: Integer): Integer",
     [](TfsMethodHelper* c) {
       static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
       const int year = c->Arg(0).ToInt(), month = c->Arg(1).ToInt();
       if (month < 1 || month > 12)
         throw RunError(error_class::RangeError, QStringLiteral("Invalid month: %1").arg(month));
       return Variant(kDays[month - 1] + (month == 2 && QDate::isLeapYear(year) ? 1 : 0));
     }},
    // ---- Strings
    {"ctString", "function Length(s: Variant): Integer",
     [](TfsMethodHelper* c) {
       const Variant v = c->Arg(0);
       if (v.IsArray()) return Variant(v.AsArray().DimCount() == 0 ? 0 : v.AsArray().High() - v.AsArray().Low() + 1);
       return Variant(int(v.ToString().size()));
     }},
    {"ctString", "function Copy(s: String; from, count: Integer): String",
     [](TfsMethodHelper* c) {
       const QString s = c->Arg(0).ToString();
       const qint64 from = std::max<qint64>(c->Arg(1).ToInt64(), 1), count = c->Arg(2).ToInt64();
       if (count <= 0 || from > s.size()) return Variant(QString());
       return Variant(s.mid(from - 1, std::min<qint64>(count, s.size())));
     }},
    {"ctString", "function Pos(substr, s: String): Integer",
     [](TfsMethodHelper* c) {
       const QString sub = c->Arg(0).ToString();
       return Variant(sub.isEmpty() ? 0 : int(c->Arg(1).ToString().indexOf(sub)) + 1);
     }},
    {"ctString", "procedure Delete(var s: String; from, count: Integer)",
     deleteFromString},
    {"ctString", "procedure DeleteStr(var s: String; from, count: Integer)",
     deleteFromString},
    {"ctString", "procedure Insert(s: String; var s2: String; pos: Integer)",
     [](TfsMethodHelper* c) {
       QString s2 = c->Arg(1).ToString();
       const QString s = c->Arg(0).ToString();
       CheckStringLength(s2.size(), s.size());
       const qint64 pos = std::clamp<qint64>(c->Arg(2).ToInt64(), 1, s2.size() + 1);
       s2.insert(pos - 1, s);
       c->SetArg(1, Variant(s2));
       return Variant::Null();
     }},
    {"ctString", "function Uppercase(s: String): String",
     [](TfsMethodHelper* c) { return Variant(regional().toUpper(c->Arg(0).ToString())); }},
    {"ctString", "function Lowercase(s: String): String",
     [](TfsMethodHelper* c) { return Variant(regional().toLower(c->Arg(0).ToString())); }},
    {"ctString", "function Trim(s: String): String",
     [](TfsMethodHelper* c) { return Variant(trimControls(c->Arg(0).ToString())); }},
    {"ctString", "function NameCase(s: String): String",
     [](TfsMethodHelper* c) {
       QString s = regional().toLower(c->Arg(0).ToString());
       for (qsizetype i = 0; i < s.size(); ++i)
         if (i == 0 || s[i - 1] == QLatin1Char(' ')) s[i] = s[i].toUpper();
       return Variant(s);
     }},
    {"ctString", "function CompareText(s, s1: String): Integer",
     [](TfsMethodHelper* c) {
       QCollator collator(regional());
       collator.setCaseSensitivity(Qt::CaseInsensitive);
       const int r = collator.compare(c->Arg(0).ToString(), c->Arg(1).ToString());
       return Variant(r < 0 ? -1 : r > 0 ? 1 : 0);
     }},
    {"ctString", "function Chr(i: Integer): Char",
     [](TfsMethodHelper* c) {
       const qint64 code = c->Arg(0).ToInt64();
       if (code < 0 || code > 0x10FFFF)
         throw RunError(error_class::RangeError, QStringLiteral("Character code out of range: %1").arg(code));
       const char32_t ch = char32_t(code);
       return Variant(QString::fromUcs4(&ch, 1));
     }},
    {"ctString", "function Ord(ch: Char): Integer",
     [](TfsMethodHelper* c) {
       const Variant v = c->Arg(0);
       if (v.Kind() == VarKind::Boolean) return Variant(v.AsBool() ? 1 : 0);
       if (!v.IsString()) return Variant(v.ToInt());
       const QString s = v.AsString();
       if (s.isEmpty()) return Variant(0);
       return Variant(int(s.size() > 1 && s[0].isHighSurrogate() ? QChar::surrogateToUcs4(s[0], s[1]) : s[0].unicode()));
     }},
    {"ctString", "procedure SetLength(var S: Variant; L: Integer)",
     [](TfsMethodHelper* c) {
       Variant v = c->Arg(0);
       const int length = c->Arg(1).ToInt();
       if (length < 0) throw RunError(error_class::RangeError, QStringLiteral("Invalid length: %1").arg(length));
       // The size is checked before the value is touched: an array is not
       // even copied, a string not even converted, for a length refused.
       if (v.IsArray()) {
         CheckArrayElements(length);
         // The length counts from the low bound of the dimension it changes.
         const int dims = v.AsArray().DimCount();
         const qint64 low = dims > 0 ? v.AsArray().Low(dims - 1) : 0;
         if (low + length - 1 > INT32_MAX)
           throw RunError(error_class::RangeError, QStringLiteral("Invalid length: %1").arg(length));
         v.ArrayForWrite().Redim(int(low + length - 1));
       } else {
         CheckStringLength(length);
         QString s = v.ToString();
         s.resize(length, QLatin1Char(' '));
         v = Variant(s);
       }
       c->SetArg(0, v);
       return Variant::Null();
     }},
    // ---- Mathematics
    {"ctMath", "function Round(e: Extended): Integer",
     [](TfsMethodHelper* c) {
       // Half to even; a value beyond 32 bits raises instead of wrapping.
       const double d = c->Arg(0).ToDouble();
       if (std::isnan(d)) invalidOp();
       const double r = std::nearbyint(d);
       if (r < -2147483648.0 || r > 2147483647.0)
         throw RunError(error_class::IntOverflow, QStringLiteral("Integer overflow"));
       return Variant(int(r));
     }},
    {"ctMath", "function Trunc(e: Extended): Integer",
     [](TfsMethodHelper* c) {
       const double r = std::trunc(c->Arg(0).ToDouble());
       if (std::isnan(r)) invalidOp();
       if (r < -9223372036854775808.0 || r >= 9223372036854775808.0)
         throw RunError(error_class::IntOverflow, QStringLiteral("Integer overflow"));
       return Variant::FromInt64(qint64(r));
     }},
    {"ctMath", "function Int(e: Extended): Integer",
     [](TfsMethodHelper* c) { return Variant(std::trunc(c->Arg(0).ToDouble())); }},
    {"ctMath", "function Frac(X: Extended): Extended",
     [](TfsMethodHelper* c) {
       const double d = c->Arg(0).ToDouble();
       return Variant(d - std::trunc(d));
     }},
    {"ctMath", "function Sqrt(e: Extended): Extended",
     [](TfsMethodHelper* c) {
       const double d = c->Arg(0).ToDouble();
       if (d < 0) invalidOp();
       return Variant(std::sqrt(d));
     }},
    {"ctMath", "function Abs(e: Extended): Extended",
     [](TfsMethodHelper* c) {
       const Variant v = c->Arg(0);
       // Whole numbers stay whole (and exact beyond 53 bits).
       if (v.Kind() == VarKind::Integer && v.AsInt() != INT32_MIN) return Variant(std::abs(v.AsInt()));
       if (v.Kind() == VarKind::Int64 && v.AsInt64() != INT64_MIN) return Variant::FromInt64(std::abs(v.AsInt64()));
       return Variant(std::fabs(v.ToDouble()));
     }},
    {"ctMath", "function Sin(e: Extended): Extended",
     [](TfsMethodHelper* c) { return Variant(std::sin(c->Arg(0).ToDouble())); }},
    {"ctMath", "function Cos(e: Extended): Extended",
     [](TfsMethodHelper* c) { return Variant(std::cos(c->Arg(0).ToDouble())); }},
    {"ctMath", "function ArcTan(X: Extended): Extended",
     [](TfsMethodHelper* c) { return Variant(std::atan(c->Arg(0).ToDouble())); }},
    {"ctMath", "function Tan(X: Extended): Extended",
     [](TfsMethodHelper* c) {
       const double d = c->Arg(0).ToDouble();
       return Variant(checkedMath(d, std::sin(d) / std::cos(d)));
     }},
    {"ctMath", "function Exp(X: Extended): Extended",
     [](TfsMethodHelper* c) {
       const double d = c->Arg(0).ToDouble();
       const double r = std::exp(d);
       if (std::isinf(r) && std::isfinite(d))
         throw RunError(error_class::InvalidOp, QStringLiteral("Floating point overflow"));
       return Variant(r);
     }},
    {"ctMath", "function Ln(X: Extended): Extended",
     [](TfsMethodHelper* c) {
       const double d = c->Arg(0).ToDouble();
       if (d <= 0) invalidOp();
       return Variant(std::log(d));
     }},
    {"ctMath", "function Pi: Extended", [](TfsMethodHelper*) { return Variant(3.1415926535897932385); }},
    // ---- Other
    {"ctOther", "procedure Inc(var i: Integer; incr: Integer = 1)",
     [](TfsMethodHelper* c) {
       c->SetArg(0, VarAdd(c->Arg(0), c->Arg(1)));
       return Variant::Null();
     }},
    {"ctOther", "procedure Dec(var i: Integer; decr: Integer = 1)",
     [](TfsMethodHelper* c) {
       c->SetArg(0, VarSub(c->Arg(0), c->Arg(1)));
       return Variant::Null();
     }},
    {"ctOther", "procedure RaiseException(Param: String)",
     [](TfsMethodHelper* c) -> Variant { throw RunError(error_class::Exception, c->Arg(0).ToString()); }},
    {"ctOther", "procedure ShowMessage(Msg: Variant)",
     [](TfsMethodHelper* c) {
       dialogs::showMessage(c->Arg(0).ToString());
       return Variant::Null();
     }},
    {"ctOther", "procedure Randomize",
     [](TfsMethodHelper*) {
       generator().seed(quint64(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        quint64(std::chrono::system_clock::now().time_since_epoch().count()));
       return Variant::Null();
     }},
    {"ctOther", "function Random: Extended",
     [](TfsMethodHelper*) {
       // 53 random bits: every value in [0, 1) a double can hold at that spacing.
       return Variant(double(generator()() >> 11) * 0x1.0p-53);
     }},
    {"ctOther", "function ValidInt(cInt: String): Boolean",
     [](TfsMethodHelper* c) {
       qint64 v = 0;
       return Variant(parseInteger(c->Arg(0).ToString(), 32, &v));
     }},
    {"ctOther", "function ValidFloat(cFlt: String): Boolean",
     [](TfsMethodHelper* c) { return Variant(locale::parseFloat(c->Arg(0).ToString()).has_value()); }},
    {"ctOther", "function ValidDate(cDate: String): Boolean",
     [](TfsMethodHelper* c) {
       const Variant v = c->Arg(0);
       const QString text = v.Kind() == VarKind::Date ? locale::formatDate(dateOf(v.AsDouble())) : v.ToString();
       return Variant(locale::parseDate(text.trimmed()).has_value());
     }},
    {"ctOther", "function ExtractFilePath(const FileName: string): string;",
     [](TfsMethodHelper* c) {
       const QString name = c->Arg(0).ToString();
       // "/" as well: file names on this platform use it.
       qsizetype i = name.size() - 1;
       while (i >= 0 && name[i] != QLatin1Char('\\') && name[i] != QLatin1Char(':') && name[i] != QLatin1Char('/')) --i;
       return Variant(name.left(i + 1));
     }},
    {"ctOther", "function CreateOleObject(ClassName: String): Variant",
     [](TfsMethodHelper* c) { return CreateAutomationObject(c->Arg(0).ToString()); }},
    {"ctOther", "function VarArrayCreate(Bounds: Array; Typ: Integer): Variant",
     [](TfsMethodHelper* c) {
       const Variant bounds = c->Arg(0);
       if (!bounds.IsArray() || bounds.AsArray().Size() % 2 != 0 || bounds.AsArray().Size() == 0)
         throw RunError(error_class::RangeError, QStringLiteral("Invalid array bounds"));
       std::vector<VariantArray::Bound> list;
       const auto& e = bounds.AsArray().Elements();
       for (size_t i = 0; i < e.size(); i += 2) list.push_back({e[i].ToInt(), e[i + 1].ToInt()});
       return Variant::FromArray(VariantArray(std::move(list), c->Arg(1).ToInt()));
     }},
    {"ctOther", "function VarType(V: Variant): Integer", [](TfsMethodHelper* c) { return Variant(c->Arg(0).VarType()); }},
};

}  // namespace

void RegisterAutomationClass(const QString& programId, TfsAutomationFactory factory) {
  AutomationRegistry& r = automationRegistry();
  QMutexLocker lock(&r.mutex);
  r.factories.insert(programId.toUpper(), std::move(factory));
}

void UnregisterAutomationClass(const QString& programId) {
  AutomationRegistry& r = automationRegistry();
  QMutexLocker lock(&r.mutex);
  r.factories.remove(programId.toUpper());
}

Variant CreateAutomationObject(const QString& programId) {
  TfsAutomationFactory factory;
  {
    AutomationRegistry& r = automationRegistry();
    QMutexLocker lock(&r.mutex);
    factory = r.factories.value(programId.toUpper());
  }
  std::shared_ptr<TfsAutomationObject> object = factory ? factory() : nullptr;
  if (!object)
    throw RunError(QStringLiteral("EOleSysError"),
                   QStringLiteral("OLE error 800401F3: Invalid class string: %1").arg(programId));
  return Variant::FromDispatch(std::move(object));
}

TfsSysFunctions::TfsSysFunctions(TfsScript* script) : TfsRTTIModule(script) {
  struct TypeName {
    const char* name;
    TfsVarType typ;
  };
  static constexpr TypeName kTypes[] = {
      {"Byte", fvtInt},     {"Word", fvtInt},      {"Integer", fvtInt},   {"Longint", fvtInt},
      {"Cardinal", fvtInt}, {"TColor", fvtInt},    {"Boolean", fvtBool},  {"Real", fvtFloat},
      {"Single", fvtFloat}, {"Double", fvtFloat},  {"Extended", fvtFloat}, {"Currency", fvtFloat},
      {"TDate", fvtFloat},  {"TTime", fvtFloat},   {"TDateTime", fvtFloat}, {"Char", fvtChar},
      {"String", fvtString}, {"Array", fvtArray},  {"Variant", fvtVariant}, {"Pointer", fvtVariant},
      {"Constructor", fvtConstructor},
  };
  for (const TypeName& t : kTypes) script->AddTypeItem(QString::fromLatin1(t.name), t.typ);

  script->AddConstItem(QStringLiteral("True"), QStringLiteral("Boolean"), Variant(true));
  script->AddConstItem(QStringLiteral("False"), QStringLiteral("Boolean"), Variant(false));
  script->AddConstItem(QStringLiteral("nil"), QStringLiteral("Variant"), Variant(0));
  script->AddConstItem(QStringLiteral("Null"), QStringLiteral("Variant"), Variant::Null());

  script->AddSymbol(QStringLiteral("__StringHelper"), new TfsStringHelper());
  auto* arrayHelper = new TfsArrayHelper(QStringLiteral("__ArrayHelper"), 3, fvtVariant, QStringLiteral("Variant"));
  // Up to three indexes; those not given stay Null.
  for (int i = 0; i < 3; ++i) {
    arrayHelper->Params(i)->IsOptional = i > 0;
    arrayHelper->Params(i)->DefValue = Variant::Null();
    arrayHelper->Params(i)->Value = Variant::Null();
  }
  script->AddSymbol(QStringLiteral("__ArrayHelper"), arrayHelper);

  script->AddVariableItem(QStringLiteral("ExceptionClassName"), QStringLiteral("String"), Variant(QString()));
  script->AddVariableItem(QStringLiteral("ExceptionMessage"), QStringLiteral("String"), Variant(QString()));

  for (const Entry& e : kFunctions) {
    const Handler handler = e.handler;
    script->AddMethodItem(
        QString::fromLatin1(e.declaration),
        [handler](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) { return handler(caller); },
        QString::fromLatin1(e.category));
  }
}

std::unique_ptr<TfsRTTIModule> CreateSysFunctions(TfsScript* script) { return std::make_unique<TfsSysFunctions>(script); }

}  // namespace valmoro::script
