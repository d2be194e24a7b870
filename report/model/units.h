#pragma once
// Units, named constants and colours of the report model. Positions and sizes
// of report objects are screen pixels at 96 per inch; paper sizes, margins and
// column widths are millimetres.

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

// Two coordinates are different only when they differ by more than this.
inline constexpr double kCoordinateTolerance = 0.0001;
inline bool coordinatesDiffer(double a, double b) { return std::fabs(a - b) > kCoordinateTolerance; }

// Colours: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
using TColor = quint32;
inline constexpr TColor clTransparent = 0x1FFFFFFFu;  // no fill
inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clWhite = 0xFFFFFFu;
inline constexpr TColor clRed = 0x0000FFu;
inline constexpr TColor clSilver = 0xC0C0C0u;
inline constexpr TColor clBtnFace = 0xFF00000Fu;

// Character set of a new font.
inline constexpr int DEFAULT_CHARSET = 1;

}  // namespace valmoro::report
