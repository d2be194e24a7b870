// The Variant: kinds, conversions, operators, comparison, arrays, object
// references.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QObject>
#include <limits>

#include "qt_printers.h"
#include "script/run_error.h"
#include "script/variant.h"

namespace valmoro::script {
namespace {

// "Class: message" of the error a call raises, or "no error".
template <typename F>
QString errorOf(F f) {
  try {
    f();
  } catch (const ScriptError& e) {
    return ExceptionClassNameOf(e) + QStringLiteral(": ") + e.message();
  }
  return QStringLiteral("no error");
}

TEST(Variant, IntegerArithmeticStaysIntegralAndWidensInsteadOfWrapping) {
  EXPECT_EQ(VarAdd(Variant(2), Variant(3)).Kind(), VarKind::Integer);
  const Variant big = VarAdd(Variant(INT32_MAX), Variant(1));
  EXPECT_EQ(big.Kind(), VarKind::Int64);
  EXPECT_EQ(big.AsInt64(), 2147483648LL);
  EXPECT_EQ(VarMul(Variant(65536), Variant(65536)).ToString(), "4294967296");
  EXPECT_EQ(VarNeg(Variant(INT32_MIN)).ToString(), "2147483648");
  EXPECT_EQ(errorOf([] { VarAdd(Variant(std::numeric_limits<long long>::max()), Variant(1)); }),
            "EIntOverflow: Integer overflow");
}

TEST(Variant, MixedArithmeticAndDivision) {
  EXPECT_EQ(VarAdd(Variant(1), Variant(2.5)).Kind(), VarKind::Double);
  const Variant half = VarDivFloat(Variant(7), Variant(2));
  EXPECT_EQ(half.Kind(), VarKind::Double);
  EXPECT_DOUBLE_EQ(half.AsDouble(), 3.5);
  EXPECT_EQ(VarIntDiv(Variant(7), Variant(2)).ToInt(), 3);
  EXPECT_EQ(VarIntDiv(Variant(-7), Variant(2)).ToInt(), -3);
  EXPECT_EQ(VarMod(Variant(7), Variant(2)).ToInt(), 1);
  EXPECT_EQ(VarMod(Variant(-7), Variant(2)).ToInt(), -1);
  EXPECT_EQ(errorOf([] { VarIntDiv(Variant(1), Variant(0)); }), "EDivByZero: Division by zero");
  EXPECT_EQ(errorOf([] { VarMod(Variant(1), Variant(0)); }), "EDivByZero: Division by zero");
  EXPECT_EQ(errorOf([] { VarDivFloat(Variant(1), Variant(0)); }), "EZeroDivide: Floating point division by zero");
  EXPECT_EQ(errorOf([] { VarDivFloat(Variant(0.0), Variant(0)); }), "EInvalidOp: Invalid floating point operation");
}

TEST(Variant, StringsInArithmetic) {
  EXPECT_EQ(VarAdd(Variant("a"), Variant("b")).ToString(), "ab");
  // A string that reads as a number takes part as that number.
  EXPECT_EQ(VarAdd(Variant("10"), Variant(5)).ToString(), "15");
  EXPECT_EQ(VarMul(Variant("2,5"), Variant(2)).ToString(), "5");
  EXPECT_EQ(VarSub(Variant("$10"), Variant(1)).ToString(), "15");
  EXPECT_EQ(errorOf([] { VarAdd(Variant("abc"), Variant(1)); }),
            "EConvertError: Could not convert variant of type (String) into type (Double)");
  EXPECT_EQ(VarStrCat(Variant("a"), Variant(1)).ToString(), "a1");
  EXPECT_EQ(VarStrCat(Variant(1), Variant(2)).ToString(), "3");
}

TEST(Variant, NullAndEmptyInArithmetic) {
  EXPECT_TRUE(VarAdd(Variant::Null(), Variant(1)).IsNull());
  EXPECT_TRUE(VarMul(Variant(2), Variant::Null()).IsNull());
  EXPECT_EQ(VarAdd(Variant(), Variant(4)).ToString(), "4");
  EXPECT_EQ(VarAdd(Variant(), Variant("x")).ToString(), "x");
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(Variant::Null().ToString(), "");
}

TEST(Variant, LogicalAndBitwiseOperators) {
  EXPECT_EQ(VarAnd(Variant(true), Variant(false)).Kind(), VarKind::Boolean);
  EXPECT_FALSE(VarAnd(Variant(true), Variant(false)).AsBool());
  EXPECT_TRUE(VarXor(Variant(true), Variant(false)).AsBool());
  EXPECT_EQ(VarAnd(Variant(12), Variant(10)).ToInt(), 8);
  EXPECT_EQ(VarOr(Variant(12), Variant(3)).ToInt(), 15);
  EXPECT_EQ(VarXor(Variant(12), Variant(10)).ToInt(), 6);
  EXPECT_FALSE(VarNot(Variant(true)).AsBool());
  EXPECT_EQ(VarNot(Variant(0)).ToInt(), -1);
  EXPECT_EQ(VarShl(Variant(1), Variant(4)).ToInt(), 16);
  EXPECT_EQ(VarShl(Variant(1), Variant(31)).ToString(), "2147483648");
  // shr is a logical shift on the operand's own width.
  EXPECT_EQ(VarShr(Variant(-1), Variant(28)).ToInt(), 15);
}

TEST(Variant, ConversionsToText) {
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(-42).ToString(), "-42");
  EXPECT_EQ(Variant(2.5).ToString(), "2,5");
  EXPECT_EQ(Variant(1e20).ToString(), "1E20");
  EXPECT_EQ(Variant::FromCurrency(12.3456).ToString(), "12,3456");
  EXPECT_EQ(Variant::FromCurrencyScaled(-15000).ToString(), "-1,5");
  EXPECT_EQ(Variant::FromDate(40885.0).ToString(), "2011-12-08");
  EXPECT_EQ(Variant::FromDate(40885.5).ToString(), "2011-12-08 12:00:00");
  EXPECT_EQ(Variant::FromDate(0.25).ToString(), "06:00:00");
}

TEST(Variant, ConversionsToNumbersAndBooleans) {
  EXPECT_EQ(Variant(2.5).ToInt(), 2);  // half to even
  EXPECT_EQ(Variant(3.5).ToInt(), 4);
  EXPECT_EQ(Variant(" 17 ").ToInt(), 17);
  EXPECT_EQ(Variant(true).ToInt(), -1);
  EXPECT_DOUBLE_EQ(Variant("1,25").ToDouble(), 1.25);
  EXPECT_DOUBLE_EQ(Variant("1.25").ToDouble(), 1.25);
  EXPECT_DOUBLE_EQ(Variant("2011-12-08").ToDate(), 40885.0);
  EXPECT_TRUE(Variant("TRUE").ToBool());
  EXPECT_FALSE(Variant("false").ToBool());
  EXPECT_TRUE(Variant(2).ToBool());
  EXPECT_FALSE(Variant(0.0).ToBool());
  EXPECT_EQ(errorOf([] { (void)Variant("maybe").ToBool(); }),
            "EConvertError: Could not convert variant of type (String) into type (Boolean)");
  EXPECT_EQ(errorOf([] { (void)Variant::Null().ToInt(); }),
            "EConvertError: Could not convert variant of type (Null) into type (Int64)");
  // Narrowing to 32 bits raises instead of wrapping.
  EXPECT_EQ(errorOf([] { (void)Variant(5000000000LL).ToInt(); }),
            "EIntOverflow: Overflow while converting variant of type (Int64) into type (Integer)");
  EXPECT_EQ(errorOf([] { (void)Variant(3e9).ToInt(); }),
            "EIntOverflow: Overflow while converting variant of type (Double) into type (Integer)");
}

TEST(Variant, Comparison) {
  EXPECT_EQ(VarCompare(Variant(1), Variant(2)), VarRelation::Less);
  EXPECT_EQ(VarCompare(Variant(2.0), Variant(2)), VarRelation::Equal);
  EXPECT_EQ(VarCompare(Variant(5000000000LL), Variant(1)), VarRelation::Greater);
  EXPECT_EQ(VarCompare(Variant("abc"), Variant("abd")), VarRelation::Less);
  EXPECT_EQ(VarCompare(Variant("B"), Variant("a")), VarRelation::Less);  // by character code
  EXPECT_EQ(VarCompare(Variant("10"), Variant(9)), VarRelation::Greater);
  EXPECT_EQ(VarCompare(Variant::Null(), Variant::Null()), VarRelation::Equal);
  EXPECT_EQ(VarCompare(Variant::Null(), Variant(0)), VarRelation::Unordered);
  EXPECT_EQ(VarCompare(Variant(), Variant("")), VarRelation::Equal);
  EXPECT_EQ(VarCompare(Variant(false), Variant(true)), VarRelation::Less);
  EXPECT_TRUE(VarEquals(Variant::FromCurrency(1.5), Variant(1.5)));
}

TEST(Variant, ObjectReferencesAreTrackedAndNilIsZero) {
  auto* object = new QObject;
  const Variant ref = Variant::FromObject(object);
  const Variant copy = ref;
  EXPECT_EQ(copy.AsObject(), object);
  EXPECT_TRUE(VarEquals(ref, copy));
  EXPECT_FALSE(VarEquals(ref, Variant(0)));
  delete object;
  // The destroyed object reads as nil, never as a dangling pointer.
  EXPECT_TRUE(copy.IsNilObject());
  EXPECT_EQ(copy.AsObject(), nullptr);
  EXPECT_TRUE(VarEquals(copy, Variant(0)));
  EXPECT_EQ(copy.ToObject(), nullptr);
  EXPECT_EQ(errorOf([] { (void)Variant(5).ToObject(); }),
            "EConvertError: Could not convert variant of type (Integer) into type (Object)");
}

TEST(Variant, ArraysAreCopiedWhenWrittenAndCheckTheirIndexes) {
  Variant a = Variant::FromArray(VariantArray({{1, 3}}));
  a.ArrayForWrite().Put(2, Variant(20));
  Variant b = a;
  b.ArrayForWrite().Put(2, Variant(99));
  EXPECT_EQ(a.AsArray().At(2).ToInt(), 20);
  EXPECT_EQ(b.AsArray().At(2).ToInt(), 99);
  EXPECT_TRUE(a.AsArray().At(1).IsEmpty());
  EXPECT_EQ(a.VarType(), vt::Array | vt::Variant);
  EXPECT_EQ(errorOf([&] { (void)a.AsArray().At(4); }), "ERangeError: Array index out of bounds");
  EXPECT_EQ(errorOf([&] { (void)a.AsArray().At(0); }), "ERangeError: Array index out of bounds");

  Variant grid = Variant::FromArray(VariantArray({{0, 1}, {1, 3}}, vt::Integer));
  const int at[] = {1, 3};
  grid.ArrayForWrite().Put(at, 2, Variant("7"));  // typed elements are converted
  EXPECT_EQ(grid.AsArray().At(at, 2).Kind(), VarKind::Integer);
  EXPECT_EQ(grid.AsArray().At(at, 2).ToInt(), 7);
  EXPECT_EQ(errorOf([&] { (void)grid.AsArray().At(1); }), "ERangeError: Array index out of bounds");

  VariantArray r = VariantArray::Of({Variant(1), Variant(2), Variant(3), Variant(4), Variant(5)});
  r.Redim(2);
  EXPECT_EQ(r.High(), 2);
  EXPECT_EQ(r.At(2).ToInt(), 3);
}

TEST(Variant, CurrencyKeepsFourDecimalsExactly) {
  const Variant price = Variant::FromCurrency(0.1);
  Variant sum = Variant::FromCurrencyScaled(0);
  for (int i = 0; i < 10; ++i) sum = VarAdd(sum, price);
  EXPECT_EQ(sum.Kind(), VarKind::Currency);
  EXPECT_TRUE(VarEquals(sum, Variant(1)));
  EXPECT_EQ(VarMul(Variant::FromCurrency(1.5), Variant::FromCurrency(2.25)).ToString(), "3,375");
  EXPECT_EQ(VarMul(Variant::FromCurrency(0.0001), Variant::FromCurrency(0.5)).ToString(), "0");  // half to even
  EXPECT_EQ(VarAdd(Variant::FromCurrency(1), Variant(2.5)).Kind(), VarKind::Double);
  EXPECT_EQ(Variant::FromCurrency(2.5).ToInt(), 2);
  EXPECT_EQ(Variant::FromCurrencyScaled(std::numeric_limits<long long>::min()).ToString(), "-922337203685477,5808");
}

TEST(Variant, DatesMoveByDays) {
  const Variant day = Variant::FromDate(40885.0);  // 2011-12-08
  const Variant next = VarAdd(day, Variant(1));
  EXPECT_EQ(next.Kind(), VarKind::Date);
  EXPECT_EQ(next.ToString(), "2011-12-09");
  EXPECT_EQ(VarSub(day, Variant(0.5)).ToString(), "2011-12-07 12:00:00");
  const Variant span = VarSub(next, day);
  EXPECT_EQ(span.Kind(), VarKind::Double);
  EXPECT_DOUBLE_EQ(span.AsDouble(), 1.0);
  EXPECT_EQ(DaysToDateTime(-1.25).toString(Qt::ISODate), "1899-12-29T06:00:00Z");
  EXPECT_DOUBLE_EQ(DateTimeToDays(DaysToDateTime(40885.75)), 40885.75);
  EXPECT_EQ(VarCompare(day, Variant(40885)), VarRelation::Equal);
}

TEST(Variant, SixtyFourBitIntegers) {
  const Variant big(static_cast<long long>(1) << 40);
  EXPECT_EQ(VarAdd(big, Variant(1)).ToString(), "1099511627777");
  EXPECT_EQ(VarAdd(big, Variant(1)).Kind(), VarKind::Int64);
  EXPECT_EQ(VarIntDiv(big, Variant(1024)).ToString(), "1073741824");
  EXPECT_EQ(VarAnd(big, Variant(-1)).ToString(), "1099511627776");
  EXPECT_EQ(Variant::FromInt64(7).Kind(), VarKind::Integer);
  EXPECT_EQ(Variant("-9223372036854775808").ToInt64(), std::numeric_limits<long long>::min());
  EXPECT_EQ(errorOf([] { VarMul(Variant(1LL << 62), Variant(4)); }), "EIntOverflow: Integer overflow");
  EXPECT_EQ(errorOf([] { VarIntDiv(Variant(std::numeric_limits<long long>::min()), Variant(-1)); }),
            "EIntOverflow: Integer overflow");
}

TEST(Variant, TypeCodes) {
  EXPECT_EQ(Variant().VarType(), vt::Empty);
  EXPECT_EQ(Variant::Null().VarType(), vt::Null);
  EXPECT_EQ(Variant(1).VarType(), vt::Integer);
  EXPECT_EQ(Variant(1LL << 40).VarType(), vt::Int64);
  EXPECT_EQ(Variant(1.0).VarType(), vt::Double);
  EXPECT_EQ(Variant("s").VarType(), vt::OleStr);
  EXPECT_EQ(Variant(true).VarType(), vt::Boolean);
  EXPECT_EQ(VarAsType(Variant("300"), vt::Integer).ToInt(), 300);
  EXPECT_EQ(errorOf([] { VarAsType(Variant(300), vt::Byte); }), "EIntOverflow: Integer overflow");
}

}  // namespace
}  // namespace valmoro::script
