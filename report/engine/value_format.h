#pragma once
// Turning a value into the text a text view prints: its display format, or
// an inline format written after the expression ([Temp #n%2,1f]).

#include <QString>

#include "report/model/enums.h"
#include "script/variant.h"

namespace valmoro::report {
class TfrxFormat;
}

namespace valmoro::report::engine {

// The parts of a display format that formatting reads; a light copy so that
// inline formats cost no object.
struct ValueFormat {
  TfrxFormatKind kind = fkText;
  QString formatStr;
  QString decimalSeparator;
  QString thousandSeparator;

  static ValueFormat Of(const TfrxFormat& format);
};

// The format written after " #" in a bracketed expression: the first letter
// picks the kind (N numeric, D/T date-time, B Boolean, anything else text),
// the rest is the format text. In a numeric format every ",", "-" or "." is
// read as "." and the last of them becomes the decimal separator printed.
ValueFormat ParseInlineFormat(QStringView text);

// The text of a value: Null gives empty text; fkText the value's own text;
// fkNumeric a picture ("#,##0.00") when the format holds "#", else a
// printf-style format ("%2.2f", "%2.2n", "%2.2m", "%g", or "%d" / "%u" with
// the value as an integer), then the separators of the format put in place
// of the locale's; fkDateTime a date-time picture ("dd.mm.yyyy"); fkBoolean
// "false text,true text". A value the format cannot take prints as its own
// text.
QString FormatValue(const script::Variant& value, const ValueFormat& format);

// The value's own text; a value without one (an array, an object) gives
// empty text.
QString PlainText(const script::Variant& value);

// A number (not a text) equal to 0, which HideZeros hides.
bool IsZeroNumber(const script::Variant& value);

}  // namespace valmoro::report::engine
