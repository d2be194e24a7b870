#pragma once
// Variant: the one value type of scripts and report expressions.
//
// Kinds: Empty (unassigned), Null, Boolean, 32- and 64-bit integers, double,
// currency (a fixed-point number with four decimals), date-time (days since
// 30 December 1899, the fraction being the time of day), string, object
// reference, automation object and arrays.
//
// Copies never allocate: strings share their text, arrays and automation
// objects are shared and arrays are copied only when one holder writes to
// them (so assigning an array still behaves as a copy). An object reference
// is tracked: once the object is destroyed the reference reads as nil.
//
// Failures (conversions, overflow, division by zero, indexes) raise RunError.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace valmoro::script {

enum class VarKind : std::uint8_t {
  Empty,
  Null,
  Boolean,
  Integer,  // 32 bits
  Int64,
  Double,
  Currency,
  Date,
  String,
  Object,
  Dispatch,
  Array,
};

// The numeric type codes scripts see (VarType, VarArrayCreate).
namespace vt {
inline constexpr int Empty = 0;
inline constexpr int Null = 1;
inline constexpr int Smallint = 2;
inline constexpr int Integer = 3;
inline constexpr int Single = 4;
inline constexpr int Double = 5;
inline constexpr int Currency = 6;
inline constexpr int Date = 7;
inline constexpr int OleStr = 8;
inline constexpr int Dispatch = 9;
inline constexpr int Boolean = 11;
inline constexpr int Variant = 12;
inline constexpr int ShortInt = 16;
inline constexpr int Byte = 17;
inline constexpr int Word = 18;
inline constexpr int LongWord = 19;
inline constexpr int Int64 = 20;
inline constexpr int String = 0x100;
inline constexpr int Object = 0x4000;  // our own: a tracked object reference
inline constexpr int Array = 0x2000;
}  // namespace vt

class Variant;
class VariantArray;

// An automation object: members are reached by name at run time. The
// platform layer that provides such objects implements this.
class TfsAutomationObject {
public:
  enum class Access { Get, Put, Call };
  virtual ~TfsAutomationObject() = default;
  // A member by name; for Put the new value is the last argument.
  virtual Variant Invoke(const QString& member, Access access, std::vector<Variant>& arguments) = 0;
};

class Variant {
public:
  Variant() noexcept : kind_(VarKind::Empty) { l_ = 0; }
  static Variant Null() noexcept {
    Variant v;
    v.kind_ = VarKind::Null;
    return v;
  }
  Variant(bool value) noexcept : kind_(VarKind::Boolean) {
    l_ = 0;
    b_ = value;
  }
  Variant(int value) noexcept : kind_(VarKind::Integer) {
    l_ = 0;
    i_ = value;
  }
  Variant(long long value) noexcept : kind_(VarKind::Int64) { l_ = value; }
  Variant(long value) noexcept : kind_(VarKind::Int64) { l_ = value; }
  Variant(unsigned value) noexcept;
  Variant(double value) noexcept : kind_(VarKind::Double) { d_ = value; }
  Variant(const QString& value) : kind_(VarKind::String) { new (&s_) QString(value); }
  Variant(QString&& value) noexcept : kind_(VarKind::String) { new (&s_) QString(std::move(value)); }
  Variant(const char* utf8) : Variant(QString::fromUtf8(utf8)) {}
  Variant(QStringView value) : Variant(value.toString()) {}
  Variant(const void*) = delete;  // no pointers posing as Booleans

  // A 64-bit integer that fits 32 bits becomes Integer.
  static Variant FromInt64(qint64 value) noexcept {
    return value >= INT32_MIN && value <= INT32_MAX ? Variant(int(value)) : Variant(static_cast<long long>(value));
  }
  // Currency from its scaled value (the number times 10,000).
  static Variant FromCurrencyScaled(qint64 scaled) noexcept;
  static Variant FromCurrency(double value);
  static Variant FromDate(double days) noexcept;
  static Variant FromObject(QObject* object);
  static Variant FromDispatch(std::shared_ptr<TfsAutomationObject> object);
  static Variant FromArray(VariantArray array);

  // Numbers and the like are copied as plain bits; only strings, objects
  // and arrays take the slow way.
  Variant(const Variant& other) {
    if (other.isTrivial()) {
      kind_ = other.kind_;
      l_ = other.l_;
    } else {
      copyFrom(other);
    }
  }
  Variant(Variant&& other) noexcept {
    if (other.isTrivial()) {
      kind_ = other.kind_;
      l_ = other.l_;
    } else {
      moveFrom(other);
    }
  }
  Variant& operator=(const Variant& other) {
    if (this != &other) {
      if (isTrivial() && other.isTrivial()) {
        kind_ = other.kind_;
        l_ = other.l_;
      } else {
        Variant copy(other);
        destroy();
        moveFrom(copy);
      }
    }
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      if (isTrivial() && other.isTrivial()) {
        kind_ = other.kind_;
        l_ = other.l_;
      } else {
        destroy();
        moveFrom(other);
      }
    }
    return *this;
  }
  // Stores a 32-bit integer, the fast way when nothing needs freeing.
  void SetInt(int value) {
    if (!isTrivial()) destroySlow();
    kind_ = VarKind::Integer;
    l_ = 0;
    i_ = value;
  }
  ~Variant() { destroy(); }

  VarKind Kind() const noexcept { return kind_; }
  bool IsEmpty() const noexcept { return kind_ == VarKind::Empty; }
  bool IsNull() const noexcept { return kind_ == VarKind::Null; }
  // Empty or Null.
  bool IsVoid() const noexcept { return kind_ <= VarKind::Null; }
  bool IsString() const noexcept { return kind_ == VarKind::String; }
  bool IsArray() const noexcept { return kind_ == VarKind::Array; }
  bool IsObject() const noexcept { return kind_ == VarKind::Object; }
  bool IsDispatch() const noexcept { return kind_ == VarKind::Dispatch; }
  // Integer or Int64.
  bool IsInteger() const noexcept { return kind_ == VarKind::Integer || kind_ == VarKind::Int64; }
  // Any number: integers, double, currency, date.
  bool IsNumeric() const noexcept { return kind_ >= VarKind::Integer && kind_ <= VarKind::Date; }
  // An object reference whose object is gone, or never was: reads as nil.
  bool IsNilObject() const noexcept { return kind_ == VarKind::Object && o_.isNull(); }

  // The numeric type code scripts see.
  int VarType() const;
  // The kind's name in conversion messages ("String", "Integer", ...).
  static QString KindName(VarKind kind);

  // Direct access; the kind must match.
  bool AsBool() const noexcept { return b_; }
  int AsInt() const noexcept { return i_; }
  qint64 AsInt64() const noexcept { return l_; }
  double AsDouble() const noexcept { return d_; }
  qint64 AsCurrencyScaled() const noexcept { return l_; }
  const QString& AsString() const noexcept { return s_; }
  QString& AsString() noexcept { return s_; }
  // The object, or nullptr when the reference is nil (or not an object).
  QObject* AsObject() const noexcept { return kind_ == VarKind::Object ? o_.data() : nullptr; }
  TfsAutomationObject* AsDispatch() const noexcept { return kind_ == VarKind::Dispatch ? disp_.get() : nullptr; }
  const VariantArray& AsArray() const noexcept { return *arr_; }
  // The array for writing: unshared first, so other holders keep their copy.
  VariantArray& ArrayForWrite();

  // Conversions; each raises EConvertError (or EIntOverflow) when the value
  // cannot be represented.
  bool ToBool() const { return kind_ == VarKind::Boolean ? b_ : toBoolSlow(); }
  // Doubles are rounded half to even; out of range raises.
  int ToInt() const { return kind_ == VarKind::Integer ? i_ : toIntSlow(); }
  qint64 ToInt64() const;
  double ToDouble() const;
  qint64 ToCurrencyScaled() const;
  double ToDate() const;
  QString ToString() const;  // Empty and Null give ''
  // The object of an object reference (nullptr for nil, also for the
  // integer 0); anything else raises.
  QObject* ToObject() const;

  // Whether a string reads as a number, and the number (Integer, Int64 or
  // Double); used by the arithmetic on strings.
  static bool ParseNumber(QStringView text, Variant* number);

private:
  friend class VariantArray;
  bool isTrivial() const noexcept { return kind_ <= VarKind::Date; }
  void copyFrom(const Variant& other);
  void moveFrom(Variant& other) noexcept;
  void destroy() noexcept {
    if (!isTrivial()) destroySlow();
  }
  void destroySlow() noexcept;
  [[noreturn]] void cannotConvert(VarKind target) const;
  bool toBoolSlow() const;
  int toIntSlow() const;

  VarKind kind_;
  union {
    bool b_;
    int i_;
    qint64 l_;
    double d_;
    QString s_;
    QPointer<QObject> o_;
    std::shared_ptr<TfsAutomationObject> disp_;
    std::shared_ptr<VariantArray> arr_;
  };
};

// A Variant array: one to any number of dimensions, each with its own low
// and high bound, elements of one type code (vt::Variant: any value).
class VariantArray {
public:
  struct Bound {
    int low = 0;
    int high = -1;
  };
  VariantArray() = default;
  // Elements start as the element type's zero (Empty for vt::Variant).
  VariantArray(std::vector<Bound> bounds, int elementType = vt::Variant);
  // A one-dimensional array 0..n-1 of the values.
  static VariantArray Of(std::vector<Variant> values);

  int DimCount() const { return int(bounds_.size()); }
  int Low(int dim = 0) const { return bounds_.at(size_t(dim)).low; }
  int High(int dim = 0) const { return bounds_.at(size_t(dim)).high; }
  int ElementType() const { return elementType_; }
  size_t Size() const { return elements_.size(); }

  // Elements by their indexes (one per dimension); out of bounds raises
  // ERangeError, a wrong number of indexes too.
  const Variant& At(const int* indexes, int count) const;
  void Put(const int* indexes, int count, const Variant& value);
  const Variant& At(int index) const { return At(&index, 1); }
  void Put(int index, const Variant& value) { Put(&index, 1, value); }
  // Elements in storage order (the last index varies fastest).
  const std::vector<Variant>& Elements() const { return elements_; }

  // New high bound of the last dimension; elements kept where both have them.
  void Redim(int high);

private:
  size_t offset(const int* indexes, int count) const;
  Variant coerce(const Variant& value) const;

  std::vector<Bound> bounds_;
  int elementType_ = vt::Variant;
  std::vector<Variant> elements_;
};

// Converts a value to the given element type code (vt::Integer and so on;
// vt::Variant leaves it as it is).
Variant VarAsType(const Variant& value, int typeCode);

// Operators. Arithmetic on two integers stays integral (widening to 64 bits
// instead of overflowing), mixing in a double gives a double, "/" always a
// double; strings in arithmetic are read as numbers, "+" on two strings
// concatenates; Null in arithmetic gives Null; Empty counts as 0 or ''.
Variant VarAddSlow(const Variant& a, const Variant& b);
inline Variant VarAdd(const Variant& a, const Variant& b) {
  if (a.Kind() == VarKind::Integer) {
    if (b.Kind() == VarKind::Integer) {
      int r;
      if (!__builtin_add_overflow(a.AsInt(), b.AsInt(), &r)) return Variant(r);
    } else if (b.Kind() == VarKind::Double) {
      return Variant(a.AsInt() + b.AsDouble());
    }
  } else if (a.Kind() == VarKind::Double) {
    if (b.Kind() == VarKind::Double) return Variant(a.AsDouble() + b.AsDouble());
    if (b.Kind() == VarKind::Integer) return Variant(a.AsDouble() + b.AsInt());
  }
  return VarAddSlow(a, b);
}
Variant VarSubSlow(const Variant& a, const Variant& b);
inline Variant VarSub(const Variant& a, const Variant& b) {
  if (a.Kind() == VarKind::Integer) {
    if (b.Kind() == VarKind::Integer) {
      int r;
      if (!__builtin_sub_overflow(a.AsInt(), b.AsInt(), &r)) return Variant(r);
    } else if (b.Kind() == VarKind::Double) {
      return Variant(a.AsInt() - b.AsDouble());
    }
  } else if (a.Kind() == VarKind::Double) {
    if (b.Kind() == VarKind::Double) return Variant(a.AsDouble() - b.AsDouble());
    if (b.Kind() == VarKind::Integer) return Variant(a.AsDouble() - b.AsInt());
  }
  return VarSubSlow(a, b);
}
Variant VarMul(const Variant& a, const Variant& b);
Variant VarDivFloat(const Variant& a, const Variant& b);  // "/"
Variant VarIntDiv(const Variant& a, const Variant& b);    // "div"
Variant VarMod(const Variant& a, const Variant& b);
Variant VarShl(const Variant& a, const Variant& b);
Variant VarShr(const Variant& a, const Variant& b);
// Logical on two Booleans, bitwise otherwise.
Variant VarAnd(const Variant& a, const Variant& b);
Variant VarOr(const Variant& a, const Variant& b);
Variant VarXor(const Variant& a, const Variant& b);
Variant VarNot(const Variant& a);
Variant VarNeg(const Variant& a);
// Concatenation when a is a string, else VarAdd.
Variant VarStrCat(const Variant& a, const Variant& b);

// Comparison. Null equals only Null and is neither less nor greater than
// anything else; strings compare by character code, case-sensitively; a
// string against a number is read as a number; an object equals only itself,
// nil equals nil and the integer 0.
enum class VarRelation { Less, Equal, Greater, Unordered };
VarRelation VarCompare(const Variant& a, const Variant& b);
inline bool VarCompareInts(const Variant& a, const Variant& b, VarRelation* rel) {
  if (a.Kind() == VarKind::Integer && b.Kind() == VarKind::Integer) {
    *rel = a.AsInt() < b.AsInt() ? VarRelation::Less : a.AsInt() == b.AsInt() ? VarRelation::Equal : VarRelation::Greater;
    return true;
  }
  return false;
}
bool VarEquals(const Variant& a, const Variant& b);

// Date-time values and Qt's: whole days since 1899-12-30 plus the time of
// day as a fraction.
double DateTimeToDays(const QDateTime& value);
QDateTime DaysToDateTime(double days);

}  // namespace valmoro::script
