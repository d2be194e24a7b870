#pragma once
// Units, named constants and colours of the report model. Positions and sizes
// of report objects are screen pixels at 96 per inch; paper sizes, margins and
// column widths are millimetres.

#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <cmath>

namespace valmoro::report {

// Pixels per millimetre. The documents depend on this exact figure, not on
// 96 / 25.4, so pixel sizes computed from millimetres match theirs.
inline constexpr double fr01cm = 3.77953;
inline constexpr double fr1cm = 37.7953;
inline constexpr double fr01in = 9.6;
inline constexpr double fr1in = 96;
// Character cell of dot-matrix pages: 10 characters per inch, 6 lines per inch.
inline constexpr double fr1CharX = fr1in / 10;
inline constexpr double fr1CharY = fr1in / 6;

// Units of lengths: what a published number is stored in (pixels for
// positions and sizes, millimetres for paper), and what the designer shows.
enum class LengthUnit { None, Pixel, Millimetre, Centimetre, Inch };

// A length from one unit to another, through the figures above: millimetres
// become pixels by fr01cm as the documents do, and metric units convert to
// one another by powers of ten exactly. None stands for no conversion.
constexpr double convertLength(double value, LengthUnit from, LengthUnit to) {
  if (from == to || from == LengthUnit::None || to == LengthUnit::None) return value;
  if (from == LengthUnit::Millimetre && to == LengthUnit::Centimetre) return value / 10;
  if (from == LengthUnit::Centimetre && to == LengthUnit::Millimetre) return value * 10;
  double pixels = value;
  if (from == LengthUnit::Millimetre) pixels = value * fr01cm;
  if (from == LengthUnit::Centimetre) pixels = value * fr1cm;
  if (from == LengthUnit::Inch) pixels = value * fr1in;
  if (to == LengthUnit::Millimetre) return pixels / fr01cm;
  if (to == LengthUnit::Centimetre) return pixels / fr1cm;
  if (to == LengthUnit::Inch) return pixels / fr1in;
  return pixels;
}

// A stored length as the designer shows it in a display unit: Polish decimal
// comma, rounded to what the unit needs (0,01 cm, 0,1 mm, 0,001 in,
// 0,01 px), no trailing zeros ("1", "1,5").
QString formatLength(double value, LengthUnit stored, LengthUnit display);
// The reverse: a number typed in the display unit ("1,5" or "1.5", blanks
// around ignored) as a stored length. Throws ReportError with a Polish
// message when the text is not a number.
double parseLength(const QString& text, LengthUnit stored, LengthUnit display);
// The unit's symbol after a number ("cm", "mm", "in", "px"); empty for None.
QString lengthUnitSymbol(LengthUnit unit);

// Two coordinates are different only when they differ by more than this.
inline constexpr double kCoordinateTolerance = 0.0001;
inline bool coordinatesDiffer(double a, double b) { return std::fabs(a - b) > kCoordinateTolerance; }

// Colours: 0x00BBGGRR, or 0xFF0000nn for system colour nn. A type of its own
// so that published properties tell a colour from a number; it converts to
// and from quint32 implicitly, so arithmetic and comparisons read as before.
// Documents store it as a signed 32-bit number (system colours negative).
struct TColor {
  quint32 value = 0;
  constexpr TColor() = default;
  constexpr TColor(quint32 v) : value(v) {}
  constexpr operator quint32() const { return value; }
};
inline constexpr TColor clTransparent = 0x1FFFFFFFu;  // no fill
inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clWhite = 0xFFFFFFu;
inline constexpr TColor clRed = 0x0000FFu;
inline constexpr TColor clSilver = 0xC0C0C0u;
inline constexpr TColor clBtnFace = 0xFF00000Fu;

// Colour variants convert to and from numbers and texts as quint32 ones do,
// failures included (a QVariant holding 255 sets a colour property).
// Registered before main by every file that sees TColor.
bool registerColorMetaType();
inline const bool kColorMetaTypeRegistered = registerColorMetaType();

// Character set of a new font.
inline constexpr int DEFAULT_CHARSET = 1;

}  // namespace valmoro::report

Q_DECLARE_METATYPE(valmoro::report::TColor)
