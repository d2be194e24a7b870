#pragma once
// The text formatters of the function library: the "%" directive language of
// Format, the date-time pictures of FormatDateTime and the edit masks of
// FormatMaskText. Numbers go through the locale layer, never the C library.

#include <QString>

#include "variant.h"

namespace valmoro::script {

// Format(Fmt, Args): directives "%[index:][-][width][.precision]type" with
// the types d, u, e, f, g, n, m, p, s, x; "%%" is a percent sign. "*" takes
// a width or precision from the arguments. Args is a Variant array (a single
// value counts as one element); Null and other kinds without a text format as
// the integer 0. A directive that does not fit its argument, or a missing
// argument, raises EConvertError.
QString FormatText(const QString& format, const Variant& args);

// A date-time value (days since 1899-12-30) by a picture: d dd ddd dddd
// ddddd dddddd, m mm mmm mmmm (minutes right after an hour), yy yyyy, h hh,
// n nn, s ss, z zzz, t tt, c, am/pm, a/p, ampm, "/" and ":" (the locale's
// separators), and quoted literals. An empty picture gives "c".
QString FormatDateTimeText(const QString& picture, double days);

// An edit mask applied to a value: "mask;save literals;blank". Mask
// characters L l A a C c 0 9 # take the next character of the value, "\"
// makes the next mask character literal, ">" and "<" switch case, "<>" stops
// switching; other characters are literals. With the save flag '0' the value
// holds no literals, so literals are inserted; otherwise literals in the
// value are matched and kept. Missing characters become the blank
// character ('_' unless given).
QString FormatMaskText(const QString& mask, const QString& value);

}  // namespace valmoro::script
