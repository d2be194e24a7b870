#include "variant.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <limits>

#include "memory_limits.h"
#include "platform/locale.h"
#include "run_error.h"

namespace valmoro::script {

namespace {

constexpr qint64 kCurrencyScale = 10000;

// Products of two currencies need 128 bits before they are scaled back.
__extension__ typedef __int128 Int128;

[[noreturn]] void overflow() {
  throw RunError(error_class::IntOverflow, QStringLiteral("Integer overflow"));
}

[[noreturn]] void conversionError(VarKind from, const QString& to) {
  throw RunError(error_class::ConvertError,
                 QStringLiteral("Could not convert variant of type (%1) into type (%2)").arg(Variant::KindName(from), to));
}

[[noreturn]] void invalidOperation(const Variant& a, const Variant& b) {
  throw RunError(error_class::ConvertError, QStringLiteral("Invalid variant operation: (%1) and (%2)")
                                                .arg(Variant::KindName(a.Kind()), Variant::KindName(b.Kind())));
}

// Doubles become integers rounded half to even, the usual rule of the
// platform's variant conversions; NaN and out-of-range values raise.
qint64 roundToInt64(double value, VarKind from) {
  if (std::isnan(value)) conversionError(from, QStringLiteral("Int64"));
  const double r = std::nearbyint(value);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) overflow();
  return static_cast<qint64>(r);
}

// Currency divided by the scale, rounded half to even.
qint64 currencyToInt64(qint64 scaled) {
  qint64 q = scaled / kCurrencyScale;
  const qint64 r = scaled % kCurrencyScale;
  const qint64 twice = 2 * (r < 0 ? -r : r);
  if (twice > kCurrencyScale || (twice == kCurrencyScale && (q & 1))) q += scaled < 0 ? -1 : 1;
  return q;
}

QString int64Text(qint64 value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return QString::fromLatin1(buf, res.ptr - buf);
}

QString currencyText(qint64 scaled) {
  const bool negative = scaled < 0;
  // The magnitude as unsigned, so the smallest value needs no special case.
  const quint64 magnitude = negative ? quint64(0) - quint64(scaled) : quint64(scaled);
  QString out;
  if (negative) out += QLatin1Char('-');
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude / quint64(kCurrencyScale));
  out += QLatin1String(buf, res.ptr - buf);
  quint64 fraction = magnitude % quint64(kCurrencyScale);
  if (fraction != 0) {
    char digits[4];
    for (int i = 3; i >= 0; --i) {
      digits[i] = char('0' + fraction % 10);
      fraction /= 10;
    }
    int n = 4;
    while (digits[n - 1] == '0') --n;
    out += locale::formats().decimalSeparator;
    out += QLatin1String(digits, n);
  }
  return out;
}

QString dateText(double days) {
  const double whole = std::trunc(days);
  const QDateTime value = DaysToDateTime(days);
  // A bare time of day (day 0) shows as the time alone.
  if (whole == 0 && days != 0) return locale::formatTime(value.time());
  return locale::formatDateTime(value);
}

// The numeric view of an operand of arithmetic: Empty is 0, a Boolean -1 or
// 0, a string its number, a nil object 0. Null stays Null.
Variant numericOperand(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Empty:
      return Variant(0);
    case VarKind::Boolean:
      return Variant(v.AsBool() ? -1 : 0);
    case VarKind::String: {
      Variant number;
      if (!Variant::ParseNumber(v.AsString(), &number)) conversionError(VarKind::String, QStringLiteral("Double"));
      return number;
    }
    case VarKind::Object:
      if (v.IsNilObject()) return Variant(0);
      conversionError(VarKind::Object, QStringLiteral("Double"));
    case VarKind::Dispatch:
    case VarKind::Array:
      conversionError(v.Kind(), QStringLiteral("Double"));
    default:
      return v;
  }
}

enum class Op { Add, Sub, Mul, Div };

bool isIntKind(VarKind k) { return k == VarKind::Integer || k == VarKind::Int64; }

qint64 int64Of(const Variant& v) { return v.Kind() == VarKind::Integer ? v.AsInt() : v.AsInt64(); }

double doubleOf(const Variant& v) {
  switch (v.Kind()) {
    case VarKind::Integer:
      return v.AsInt();
    case VarKind::Int64:
      return double(v.AsInt64());
    case VarKind::Currency:
      return double(v.AsCurrencyScaled()) / kCurrencyScale;
    default:
      return v.AsDouble();  // Double, Date
  }
}

qint64 scaledOf(const Variant& v) {
  if (v.Kind() == VarKind::Currency) return v.AsCurrencyScaled();
  qint64 r;
  if (__builtin_mul_overflow(int64Of(v), kCurrencyScale, &r)) overflow();
  return r;
}

Variant intResult(qint64 value, bool wide) { return wide ? Variant(static_cast<long long>(value)) : Variant::FromInt64(value); }

Variant arith(Op op, const Variant& a0, const Variant& b0) {
  if (a0.IsNull() || b0.IsNull()) return Variant::Null();
  const Variant a = numericOperand(a0);
  const Variant b = numericOperand(b0);
  const VarKind ka = a.Kind();
  const VarKind kb = b.Kind();
  if (op == Op::Div) {
    const double y = doubleOf(b);
    const double x = doubleOf(a);
    if (y == 0) {
      if (x == 0 || std::isnan(x))
        throw RunError(error_class::InvalidOp, QStringLiteral("Invalid floating point operation"));
      throw RunError(error_class::ZeroDivide, QStringLiteral("Floating point division by zero"));
    }
    return Variant(x / y);
  }
  if (ka == VarKind::Date || kb == VarKind::Date) {
    const double x = doubleOf(a), y = doubleOf(b);
    if (op == Op::Mul) return Variant(x * y);
    // A date moved by a number of days (also a fraction) stays a date; two
    // dates give their distance in days.
    if (op == Op::Sub && ka == VarKind::Date && kb == VarKind::Date) return Variant(x - y);
    return Variant::FromDate(op == Op::Add ? x + y : x - y);
  }
  if (ka == VarKind::Double || kb == VarKind::Double) {
    const double x = doubleOf(a), y = doubleOf(b);
    return Variant(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
  }
  if (ka == VarKind::Currency || kb == VarKind::Currency) {
    const qint64 x = scaledOf(a), y = scaledOf(b);
    qint64 r;
    if (op == Op::Add) {
      if (__builtin_add_overflow(x, y, &r)) overflow();
    } else if (op == Op::Sub) {
      if (__builtin_sub_overflow(x, y, &r)) overflow();
    } else {
      const Int128 p = static_cast<Int128>(x) * y;
      Int128 q = p / kCurrencyScale;
      const Int128 rem = p % kCurrencyScale;
      const Int128 twice = 2 * (rem < 0 ? -rem : rem);
      if (twice > kCurrencyScale || (twice == kCurrencyScale && (q & 1))) q += p < 0 ? -1 : 1;
      if (q > std::numeric_limits<qint64>::max() || q < std::numeric_limits<qint64>::min()) overflow();
      r = static_cast<qint64>(q);
    }
    return Variant::FromCurrencyScaled(r);
  }
  const bool wide = ka == VarKind::Int64 || kb == VarKind::Int64;
  const qint64 x = int64Of(a), y = int64Of(b);
  qint64 r;
  const bool over = op == Op::Add   ? __builtin_add_overflow(x, y, &r)
                    : op == Op::Sub ? __builtin_sub_overflow(x, y, &r)
                                    : __builtin_mul_overflow(x, y, &r);
  if (over) overflow();
  return intResult(r, wide);
}

// Operands of div, mod and the shifts and bitwise operators as integers.
qint64 integralOperand(const Variant& v, bool* wide) {
  const Variant n = numericOperand(v);
  switch (n.Kind()) {
    case VarKind::Integer:
      return n.AsInt();
    case VarKind::Int64:
      *wide = true;
      return n.AsInt64();
    case VarKind::Currency:
      *wide = true;
      return currencyToInt64(n.AsCurrencyScaled());
    default: {
      const qint64 r = roundToInt64(n.AsDouble(), n.Kind());
      if (r < INT32_MIN || r > INT32_MAX) *wide = true;
      return r;
    }
  }
}

bool parseInt64(QStringView text, qint64* out) {
  if (text.isEmpty()) return false;
  bool negative = false;
  qsizetype i = 0;
  if (text[0] == u'+' || text[0] == u'-') {
    negative = text[0] == u'-';
    ++i;
  }
  if (i >= text.size()) return false;
  const bool hex = text[i] == u'$';
  if (hex && ++i >= text.size()) return false;
  quint64 value = 0;
  const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    int digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return false;
    const quint64 base = hex ? 16 : 10;
    if (value > (limit - quint64(digit)) / base) return false;
    value = value * base + quint64(digit);
  }
  *out = negative ? qint64(quint64(0) - value) : qint64(value);
  return true;
}

}  // namespace

// ---- Variant ----------------------------------------------------------------

Variant::Variant(unsigned value) noexcept {
  l_ = 0;
  if (value <= unsigned(INT32_MAX)) {
    kind_ = VarKind::Integer;
    i_ = int(value);
  } else {
    kind_ = VarKind::Int64;
    l_ = value;
  }
}

Variant Variant::FromCurrencyScaled(qint64 scaled) noexcept {
  Variant v;
  v.kind_ = VarKind::Currency;
  v.l_ = scaled;
  return v;
}

Variant Variant::FromCurrency(double value) {
  const double scaled = std::nearbyint(value * kCurrencyScale);
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) overflow();
  return FromCurrencyScaled(static_cast<qint64>(scaled));
}

Variant Variant::FromDate(double days) noexcept {
  Variant v;
  v.kind_ = VarKind::Date;
  v.d_ = days;
  return v;
}

Variant Variant::FromObject(QObject* object) {
  Variant v;
  v.kind_ = VarKind::Object;
  new (&v.o_) QPointer<QObject>(object);
  return v;
}

Variant Variant::FromDispatch(std::shared_ptr<TfsAutomationObject> object) {
  Variant v;
  v.kind_ = VarKind::Dispatch;
  new (&v.disp_) std::shared_ptr<TfsAutomationObject>(std::move(object));
  return v;
}

Variant Variant::FromArray(VariantArray array) {
  Variant v;
  v.kind_ = VarKind::Array;
  new (&v.arr_) std::shared_ptr<VariantArray>(std::make_shared<VariantArray>(std::move(array)));
  return v;
}

void Variant::copyFrom(const Variant& other) {
  kind_ = other.kind_;
  switch (kind_) {
    case VarKind::String:
      new (&s_) QString(other.s_);
      break;
    case VarKind::Object:
      new (&o_) QPointer<QObject>(other.o_);
      break;
    case VarKind::Dispatch:
      new (&disp_) std::shared_ptr<TfsAutomationObject>(other.disp_);
      break;
    case VarKind::Array:
      new (&arr_) std::shared_ptr<VariantArray>(other.arr_);
      break;
    default:
      l_ = other.l_;
  }
}

void Variant::moveFrom(Variant& other) noexcept {
  kind_ = other.kind_;
  switch (kind_) {
    case VarKind::String:
      new (&s_) QString(std::move(other.s_));
      other.s_.~QString();
      break;
    case VarKind::Object:
      new (&o_) QPointer<QObject>(std::move(other.o_));
      other.o_.~QPointer<QObject>();
      break;
    case VarKind::Dispatch:
      new (&disp_) std::shared_ptr<TfsAutomationObject>(std::move(other.disp_));
      other.disp_.~shared_ptr();
      break;
    case VarKind::Array:
      new (&arr_) std::shared_ptr<VariantArray>(std::move(other.arr_));
      other.arr_.~shared_ptr();
      break;
    default:
      l_ = other.l_;
      return;
  }
  other.kind_ = VarKind::Empty;
  other.l_ = 0;
}

void Variant::destroySlow() noexcept {
  switch (kind_) {
    case VarKind::String:
      s_.~QString();
      break;
    case VarKind::Object:
      o_.~QPointer<QObject>();
      break;
    case VarKind::Dispatch:
      disp_.~shared_ptr();
      break;
    case VarKind::Array:
      arr_.~shared_ptr();
      break;
    default:
      break;
  }
  kind_ = VarKind::Empty;
  l_ = 0;
}

VariantArray& Variant::ArrayForWrite() {
  if (arr_.use_count() > 1) arr_ = std::make_shared<VariantArray>(*arr_);
  return *arr_;
}

int Variant::VarType() const {
  switch (kind_) {
    case VarKind::Empty:
      return vt::Empty;
    case VarKind::Null:
      return vt::Null;
    case VarKind::Boolean:
      return vt::Boolean;
    case VarKind::Integer:
      return vt::Integer;
    case VarKind::Int64:
      return vt::Int64;
    case VarKind::Double:
      return vt::Double;
    case VarKind::Currency:
      return vt::Currency;
    case VarKind::Date:
      return vt::Date;
    case VarKind::String:
      return vt::OleStr;
    case VarKind::Object:
      return vt::Object;
    case VarKind::Dispatch:
      return vt::Dispatch;
    case VarKind::Array:
      return vt::Array | arr_->ElementType();
  }
  return vt::Empty;
}

QString Variant::KindName(VarKind kind) {
  switch (kind) {
    case VarKind::Empty:
      return QStringLiteral("Empty");
    case VarKind::Null:
      return QStringLiteral("Null");
    case VarKind::Boolean:
      return QStringLiteral("Boolean");
    case VarKind::Integer:
      return QStringLiteral("Integer");
    case VarKind::Int64:
      return QStringLiteral("Int64");
    case VarKind::Double:
      return QStringLiteral("Double");
    case VarKind::Currency:
      return QStringLiteral("Currency");
    case VarKind::Date:
      return QStringLiteral("Date");
    case VarKind::String:
      return QStringLiteral("String");
    case VarKind::Object:
      return QStringLiteral("Object");
    case VarKind::Dispatch:
      return QStringLiteral("Dispatch");
    case VarKind::Array:
      return QStringLiteral("Array");
  }
  return QString();
}

void Variant::cannotConvert(VarKind target) const { conversionError(kind_, KindName(target)); }

bool Variant::ParseNumber(QStringView text, Variant* number) {
  const QStringView t = text.trimmed();
  qint64 i;
  if (parseInt64(t, &i)) {
    *number = FromInt64(i);
    return true;
  }
  if (const auto d = locale::parseFloat(t.toString())) {
    *number = Variant(*d);
    return true;
  }
  return false;
}

bool Variant::toBoolSlow() const {
  switch (kind_) {
    case VarKind::Empty:
      return false;
    case VarKind::Boolean:
      return b_;
    case VarKind::Integer:
      return i_ != 0;
    case VarKind::Int64:
    case VarKind::Currency:
      return l_ != 0;
    case VarKind::Double:
    case VarKind::Date:
      return d_ != 0;
    case VarKind::String: {
      const QStringView t = QStringView(s_).trimmed();
      if (t.compare(u"true", Qt::CaseInsensitive) == 0) return true;
      if (t.compare(u"false", Qt::CaseInsensitive) == 0) return false;
      Variant n;
      if (ParseNumber(t, &n)) return n.ToBool();
      cannotConvert(VarKind::Boolean);
    }
    case VarKind::Object:
      if (o_.isNull()) return false;
      cannotConvert(VarKind::Boolean);
    default:
      cannotConvert(VarKind::Boolean);
  }
}

qint64 Variant::ToInt64() const {
  switch (kind_) {
    case VarKind::Empty:
      return 0;
    case VarKind::Boolean:
      return b_ ? -1 : 0;
    case VarKind::Integer:
      return i_;
    case VarKind::Int64:
      return l_;
    case VarKind::Currency:
      return currencyToInt64(l_);
    case VarKind::Double:
    case VarKind::Date:
      return roundToInt64(d_, kind_);
    case VarKind::String: {
      Variant n;
      if (!ParseNumber(s_, &n)) cannotConvert(VarKind::Int64);
      return n.ToInt64();
    }
    case VarKind::Object:
      if (o_.isNull()) return 0;
      cannotConvert(VarKind::Int64);
    default:
      cannotConvert(VarKind::Int64);
  }
}

int Variant::toIntSlow() const {
  const qint64 v = ToInt64();
  if (v < INT32_MIN || v > INT32_MAX)
    throw RunError(error_class::IntOverflow,
                   QStringLiteral("Overflow while converting variant of type (%1) into type (Integer)").arg(KindName(kind_)));
  return int(v);
}

double Variant::ToDouble() const {
  switch (kind_) {
    case VarKind::Empty:
      return 0;
    case VarKind::Boolean:
      return b_ ? -1 : 0;
    case VarKind::Integer:
      return i_;
    case VarKind::Int64:
      return double(l_);
    case VarKind::Currency:
      return double(l_) / kCurrencyScale;
    case VarKind::Double:
    case VarKind::Date:
      return d_;
    case VarKind::String: {
      Variant n;
      if (!ParseNumber(s_, &n)) {
        // A date or time text counts as its day number.
        if (const auto dt = locale::parseDateTime(s_.trimmed())) return DateTimeToDays(*dt);
        if (const auto t = locale::parseTime(s_.trimmed())) return t->msecsSinceStartOfDay() / 86400000.0;
        cannotConvert(VarKind::Double);
      }
      return n.ToDouble();
    }
    case VarKind::Object:
      if (o_.isNull()) return 0;
      cannotConvert(VarKind::Double);
    default:
      cannotConvert(VarKind::Double);
  }
}

qint64 Variant::ToCurrencyScaled() const {
  switch (kind_) {
    case VarKind::Currency:
      return l_;
    case VarKind::Integer:
    case VarKind::Int64:
    case VarKind::Boolean:
    case VarKind::Empty: {
      qint64 r;
      if (__builtin_mul_overflow(ToInt64(), kCurrencyScale, &r)) overflow();
      return r;
    }
    default:
      return FromCurrency(ToDouble()).l_;
  }
}

double Variant::ToDate() const {
  if (kind_ == VarKind::String) {
    const QString t = s_.trimmed();
    if (const auto dt = locale::parseDateTime(t)) return DateTimeToDays(*dt);
    if (const auto tm = locale::parseTime(t)) return tm->msecsSinceStartOfDay() / 86400000.0;
    Variant n;
    if (ParseNumber(t, &n)) return n.ToDouble();
    cannotConvert(VarKind::Date);
  }
  return ToDouble();
}

QString Variant::ToString() const {
  switch (kind_) {
    case VarKind::Empty:
    case VarKind::Null:
      return QString();
    case VarKind::Boolean:
      return b_ ? QStringLiteral("True") : QStringLiteral("False");
    case VarKind::Integer:
      return int64Text(i_);
    case VarKind::Int64:
      return int64Text(l_);
    case VarKind::Double:
      return locale::formatFloatGeneral(d_);
    case VarKind::Currency:
      return currencyText(l_);
    case VarKind::Date:
      return dateText(d_);
    case VarKind::String:
      return s_;
    case VarKind::Object:
      if (o_.isNull()) return QStringLiteral("0");
      cannotConvert(VarKind::String);
    default:
      cannotConvert(VarKind::String);
  }
}

QObject* Variant::ToObject() const {
  switch (kind_) {
    case VarKind::Object:
      return o_.data();
    case VarKind::Integer:
      if (i_ == 0) return nullptr;
      break;
    case VarKind::Int64:
      if (l_ == 0) return nullptr;
      break;
    case VarKind::Empty:
    case VarKind::Null:
      return nullptr;
    default:
      break;
  }
  cannotConvert(VarKind::Object);
}

// ---- VariantArray -------------------------------------------------------------

namespace {

Variant zeroOf(int typeCode) {
  switch (typeCode) {
    case vt::Smallint:
    case vt::Integer:
    case vt::ShortInt:
    case vt::Byte:
    case vt::Word:
      return Variant(0);
    case vt::LongWord:
    case vt::Int64:
      return Variant(0LL);
    case vt::Single:
    case vt::Double:
      return Variant(0.0);
    case vt::Currency:
      return Variant::FromCurrencyScaled(0);
    case vt::Date:
      return Variant::FromDate(0);
    case vt::OleStr:
    case vt::String:
      return Variant(QString());
    case vt::Boolean:
      return Variant(false);
    default:
      return Variant();
  }
}

[[noreturn]] void indexError() {
  throw RunError(error_class::RangeError, QStringLiteral("Array index out of bounds"));
}

}  // namespace

VariantArray::VariantArray(std::vector<Bound> bounds, int elementType)
    : bounds_(std::move(bounds)), elementType_(elementType) {
  size_t count = bounds_.empty() ? 0 : 1;
  for (const Bound& b : bounds_) {
    const qint64 length = qint64(b.high) - b.low + 1;
    if (length < 0) throw RunError(error_class::RangeError, QStringLiteral("Invalid array bounds"));
    // Refused before anything is allocated (and before the product can
    // overflow).
    if (length > 0 && count > size_t(kMaxArrayElements) / size_t(length)) ArrayTooLarge();
    count *= size_t(length);
  }
  CheckArrayElements(qint64(count));
  elements_.assign(count, zeroOf(elementType_));
}

VariantArray VariantArray::Of(std::vector<Variant> values) {
  VariantArray a;
  a.bounds_ = {Bound{0, int(values.size()) - 1}};
  a.elements_ = std::move(values);
  return a;
}

size_t VariantArray::offset(const int* indexes, int count) const {
  if (count != int(bounds_.size())) indexError();
  size_t off = 0;
  for (int d = 0; d < count; ++d) {
    const Bound& b = bounds_[size_t(d)];
    if (indexes[d] < b.low || indexes[d] > b.high) indexError();
    off = off * size_t(qint64(b.high) - b.low + 1) + size_t(qint64(indexes[d]) - b.low);
  }
  return off;
}

const Variant& VariantArray::At(const int* indexes, int count) const { return elements_[offset(indexes, count)]; }

void VariantArray::Put(const int* indexes, int count, const Variant& value) {
  elements_[offset(indexes, count)] = coerce(value);
}

Variant VariantArray::coerce(const Variant& value) const {
  return elementType_ == vt::Variant ? value : VarAsType(value, elementType_);
}

void VariantArray::Redim(int high) {
  if (bounds_.empty()) bounds_.push_back(Bound{0, -1});
  Bound& last = bounds_.back();
  if (high < last.low - 1) high = last.low - 1;
  if (bounds_.size() == 1) {
    const qint64 count = qint64(high) - last.low + 1;
    CheckArrayElements(count);
    elements_.resize(size_t(count), zeroOf(elementType_));
    last.high = high;
    return;
  }
  std::vector<Bound> bounds = bounds_;
  bounds.back().high = high;
  VariantArray resized(std::move(bounds), elementType_);
  // Copy element by element where both arrays have the index.
  std::vector<int> idx(bounds_.size());
  for (size_t i = 0; i < elements_.size(); ++i) {
    size_t rest = i;
    for (size_t d = bounds_.size(); d-- > 0;) {
      const size_t len = size_t(qint64(bounds_[d].high) - bounds_[d].low + 1);
      idx[d] = bounds_[d].low + int(rest % len);
      rest /= len;
    }
    if (idx.back() <= high) resized.elements_[resized.offset(idx.data(), int(idx.size()))] = elements_[i];
  }
  *this = std::move(resized);
}

Variant VarAsType(const Variant& value, int typeCode) {
  auto ranged = [&](qint64 low, qint64 high) {
    const qint64 v = value.ToInt64();
    if (v < low || v > high) overflow();
    return v;
  };
  switch (typeCode) {
    case vt::Empty:
      return Variant();
    case vt::Null:
      return Variant::Null();
    case vt::Smallint:
      return Variant(int(ranged(-32768, 32767)));
    case vt::Integer:
      return Variant(value.ToInt());
    case vt::ShortInt:
      return Variant(int(ranged(-128, 127)));
    case vt::Byte:
      return Variant(int(ranged(0, 255)));
    case vt::Word:
      return Variant(int(ranged(0, 65535)));
    case vt::LongWord:
      return Variant(static_cast<long long>(ranged(0, 4294967295LL)));
    case vt::Int64:
      return Variant(static_cast<long long>(value.ToInt64()));
    case vt::Single:
      return Variant(double(float(value.ToDouble())));
    case vt::Double:
      return Variant(value.ToDouble());
    case vt::Currency:
      return Variant::FromCurrencyScaled(value.ToCurrencyScaled());
    case vt::Date:
      return Variant::FromDate(value.ToDate());
    case vt::OleStr:
    case vt::String:
      return Variant(value.ToString());
    case vt::Boolean:
      return Variant(value.ToBool());
    case vt::Dispatch:
      if (value.IsDispatch()) return value;
      conversionError(value.Kind(), QStringLiteral("Dispatch"));
    case vt::Object:
      return Variant::FromObject(value.ToObject());
    default:
      return value;
  }
}

// ---- Operators --------------------------------------------------------------

Variant VarAddSlow(const Variant& a, const Variant& b) {
  // Two strings, or a string and Empty, concatenate.
  if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty()) && (a.IsString() || b.IsString())) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    CheckStringLength(a.AsString().size(), b.AsString().size());
    return Variant(a.AsString() + b.AsString());
  }
  return arith(Op::Add, a, b);
}

Variant VarSubSlow(const Variant& a, const Variant& b) { return arith(Op::Sub, a, b); }

Variant VarMul(const Variant& a, const Variant& b) {
  if (a.Kind() == VarKind::Double && b.Kind() == VarKind::Double) return Variant(a.AsDouble() * b.AsDouble());
  if (a.Kind() == VarKind::Integer && b.Kind() == VarKind::Integer) {
    int r;
    if (!__builtin_mul_overflow(a.AsInt(), b.AsInt(), &r)) return Variant(r);
  }
  return arith(Op::Mul, a, b);
}

Variant VarDivFloat(const Variant& a, const Variant& b) { return arith(Op::Div, a, b); }

Variant VarIntDiv(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  const qint64 y = integralOperand(b, &wide);
  if (y == 0) throw RunError(error_class::DivByZero, QStringLiteral("Division by zero"));
  if (x == std::numeric_limits<qint64>::min() && y == -1) overflow();
  return intResult(x / y, wide);
}

Variant VarMod(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  const qint64 y = integralOperand(b, &wide);
  if (y == 0) throw RunError(error_class::DivByZero, QStringLiteral("Division by zero"));
  if (y == -1) return intResult(0, wide);
  return intResult(x % y, wide);
}

Variant VarShl(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  bool ignored = false;
  const qint64 n = integralOperand(b, &ignored);
  if (n < 0 || n >= 64) return intResult(0, wide);
  return intResult(qint64(quint64(x) << n), wide);
}

Variant VarShr(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  bool ignored = false;
  const qint64 n = integralOperand(b, &ignored);
  if (n < 0 || n >= 64) return intResult(0, wide);
  // A logical shift on the operand's own width.
  if (!wide) return Variant::FromInt64(qint64(quint32(x) >> n));
  return intResult(qint64(quint64(x) >> n), true);
}

namespace {

enum class BitOp { And, Or, Xor };

Variant bitwise(BitOp op, const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (a.Kind() == VarKind::Boolean && b.Kind() == VarKind::Boolean) {
    const bool x = a.AsBool(), y = b.AsBool();
    return Variant(op == BitOp::And ? x && y : op == BitOp::Or ? x || y : x != y);
  }
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  const qint64 y = integralOperand(b, &wide);
  const qint64 r = op == BitOp::And ? (x & y) : op == BitOp::Or ? (x | y) : (x ^ y);
  return intResult(r, wide);
}

}  // namespace

Variant VarAnd(const Variant& a, const Variant& b) { return bitwise(BitOp::And, a, b); }
Variant VarOr(const Variant& a, const Variant& b) { return bitwise(BitOp::Or, a, b); }
Variant VarXor(const Variant& a, const Variant& b) { return bitwise(BitOp::Xor, a, b); }

Variant VarNot(const Variant& a) {
  switch (a.Kind()) {
    case VarKind::Null:
      return a;
    case VarKind::Boolean:
      return Variant(!a.AsBool());
    case VarKind::String: {
      const QStringView t = QStringView(a.AsString()).trimmed();
      if (t.compare(u"true", Qt::CaseInsensitive) == 0 || t.compare(u"false", Qt::CaseInsensitive) == 0)
        return Variant(!a.ToBool());
      break;
    }
    default:
      break;
  }
  bool wide = false;
  const qint64 x = integralOperand(a, &wide);
  return intResult(~x, wide);
}

Variant VarNeg(const Variant& a) {
  if (a.IsNull()) return a;
  const Variant n = numericOperand(a);
  switch (n.Kind()) {
    case VarKind::Integer:
      if (n.AsInt() == INT32_MIN) return Variant(-static_cast<long long>(INT32_MIN));
      return Variant(-n.AsInt());
    case VarKind::Int64:
      if (n.AsInt64() == std::numeric_limits<qint64>::min()) overflow();
      return Variant(static_cast<long long>(-n.AsInt64()));
    case VarKind::Currency:
      if (n.AsCurrencyScaled() == std::numeric_limits<qint64>::min()) overflow();
      return Variant::FromCurrencyScaled(-n.AsCurrencyScaled());
    case VarKind::Date:
      return Variant::FromDate(-n.AsDouble());
    default:
      return Variant(-n.AsDouble());
  }
}

Variant VarStrCat(const Variant& a, const Variant& b) {
  if (a.IsString()) {
    const QString tail = b.ToString();
    CheckStringLength(a.AsString().size(), tail.size());
    return Variant(a.AsString() + tail);
  }
  return VarAdd(a, b);
}

VarRelation VarCompare(const Variant& a, const Variant& b) {
  VarRelation rel;
  if (VarCompareInts(a, b, &rel)) return rel;
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? VarRelation::Equal : VarRelation::Unordered;
  if (a.IsEmpty() && b.IsEmpty()) return VarRelation::Equal;
  if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty())) {
    const int c = QStringView(a.IsString() ? a.AsString() : QString())
                      .compare(QStringView(b.IsString() ? b.AsString() : QString()), Qt::CaseSensitive);
    return c < 0 ? VarRelation::Less : c > 0 ? VarRelation::Greater : VarRelation::Equal;
  }
  if (a.IsObject() || b.IsObject()) {
    // Objects compare by identity; nil is the integer 0.
    const auto identity = [](const Variant& v, bool* ok) -> const QObject* {
      *ok = true;
      if (v.IsObject()) return v.AsObject();
      if (v.IsEmpty() || (v.IsInteger() && v.ToInt64() == 0)) return nullptr;
      *ok = false;
      return nullptr;
    };
    bool okA, okB;
    const QObject* x = identity(a, &okA);
    const QObject* y = identity(b, &okB);
    if (!okA || !okB) return VarRelation::Unordered;
    return x == y ? VarRelation::Equal : VarRelation::Unordered;
  }
  if (a.Kind() == VarKind::Boolean && b.Kind() == VarKind::Boolean) {
    const int x = a.AsBool(), y = b.AsBool();
    return x < y ? VarRelation::Less : x > y ? VarRelation::Greater : VarRelation::Equal;
  }
  if (a.IsArray() || b.IsArray() || a.IsDispatch() || b.IsDispatch()) invalidOperation(a, b);
  const Variant x = numericOperand(a);
  const Variant y = numericOperand(b);
  if (isIntKind(x.Kind()) && isIntKind(y.Kind())) {
    const qint64 p = int64Of(x), q = int64Of(y);
    return p < q ? VarRelation::Less : p > q ? VarRelation::Greater : VarRelation::Equal;
  }
  if ((x.Kind() == VarKind::Currency || isIntKind(x.Kind())) && (y.Kind() == VarKind::Currency || isIntKind(y.Kind()))) {
    const qint64 p = scaledOf(x), q = scaledOf(y);
    return p < q ? VarRelation::Less : p > q ? VarRelation::Greater : VarRelation::Equal;
  }
  const double p = doubleOf(x), q = doubleOf(y);
  if (p < q) return VarRelation::Less;
  if (p > q) return VarRelation::Greater;
  if (p == q) return VarRelation::Equal;
  return VarRelation::Unordered;
}

bool VarEquals(const Variant& a, const Variant& b) { return VarCompare(a, b) == VarRelation::Equal; }

// ---- Dates --------------------------------------------------------------------

namespace {
const QDate kEpoch(1899, 12, 30);
}

double DateTimeToDays(const QDateTime& value) {
  const qint64 days = kEpoch.daysTo(value.date());
  const double time = value.time().msecsSinceStartOfDay() / 86400000.0;
  // Before the epoch the fraction still counts forwards from the day's start.
  return days >= 0 ? double(days) + time : double(days) - time;
}

QDateTime DaysToDateTime(double days) {
  const double whole = std::trunc(days);
  const double fraction = std::fabs(days - whole);
  qint64 ms = qint64(std::llround(fraction * 86400000.0));
  qint64 day = qint64(whole);
  if (ms >= 86400000) {
    ms -= 86400000;
    day += days < 0 ? -1 : 1;
  }
  return QDateTime(kEpoch.addDays(day), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

}  // namespace valmoro::script
