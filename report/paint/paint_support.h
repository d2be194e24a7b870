#pragma once
// Small translations between report values and the drawing layer, shared by
// the views' Paint code: rounding to device pixels, colours, frame styles as
// pens, brush styles and fonts.

#include "platform/canvas.h"
#include "report/model/enums.h"
#include "report/model/units.h"

namespace valmoro::report {

class ReportFont;

namespace paint {

// Device coordinates stay far inside int even for absurd sizes or scales, so
// that sums of a few of them cannot overflow.
inline constexpr int kMaxDeviceCoordinate = 1 << 28;
// No frame, shadow or pen gets wider than this many device pixels: a wide
// line is drawn one stroke per pixel, and a damaged document must not keep
// the preview busy for minutes.
inline constexpr int kMaxDeviceWidth = 1024;

// Nearest whole number, halves to the even neighbour; NaN gives 0 and values
// beyond the device range are clamped to it.
int round(double value);
// A device width: rounded like round(), never negative, at most kMaxDeviceWidth.
int width(double value);
// Integer division truncating towards zero, spelled out where the drawing
// rules depend on it.
inline int div(int a, int b) { return a / b; }

// Report colours and canvas colours share one encoding; clTransparent has
// no canvas meaning and is tested for before any colour is passed on.
inline gfx::Color color(TColor value) { return value; }
inline bool isTransparent(TColor value) { return value == clTransparent; }

gfx::BrushStyle brushStyle(TBrushStyle style);
bool isHatch(TBrushStyle style);

// The pattern a frame style gives a one-pixel pen (fsSolid and fsDouble are
// solid; fsAltDot and fsSquare one pixel on, one off).
gfx::PenStyle patternOf(TfrxFrameStyle style);
// A pen of `deviceWidth` pixels in a frame style: dashes and dots exist only
// one pixel wide, so wider ones come out solid; fsAltDot and fsSquare keep
// their round dots and squares at any width.
gfx::Pen styledPen(TColor color, TfrxFrameStyle style, int deviceWidth);

// The canvas font for a report font drawn at a vertical scale.
gfx::Font font(const ReportFont& font, double scaleY);

}  // namespace paint
}  // namespace valmoro::report
