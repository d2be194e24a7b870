#include "report/paint/paint_support.h"

#include <algorithm>
#include <cmath>

#include "report/model/report_font.h"

namespace valmoro::report::paint {

int round(double value) {
  if (std::isnan(value)) return 0;
  value = std::clamp(value, double(-kMaxDeviceCoordinate), double(kMaxDeviceCoordinate));
  return int(std::nearbyint(value));
}

int width(double value) { return std::clamp(round(value), 0, kMaxDeviceWidth); }

gfx::BrushStyle brushStyle(TBrushStyle style) {
  switch (style) {
    case bsSolid: return gfx::BrushStyle::Solid;
    case bsClear: return gfx::BrushStyle::Clear;
    case bsHorizontal: return gfx::BrushStyle::Horizontal;
    case bsVertical: return gfx::BrushStyle::Vertical;
    case bsFDiagonal: return gfx::BrushStyle::FDiagonal;
    case bsBDiagonal: return gfx::BrushStyle::BDiagonal;
    case bsCross: return gfx::BrushStyle::Cross;
    case bsDiagCross: return gfx::BrushStyle::DiagCross;
  }
  return gfx::BrushStyle::Solid;
}

bool isHatch(TBrushStyle style) { return style >= bsHorizontal && style <= bsDiagCross; }

gfx::PenStyle patternOf(TfrxFrameStyle style) {
  switch (style) {
    case fsSolid:
    case fsDouble: return gfx::PenStyle::Solid;
    case fsDash: return gfx::PenStyle::Dash;
    case fsDot: return gfx::PenStyle::Dot;
    case fsDashDot: return gfx::PenStyle::DashDot;
    case fsDashDotDot: return gfx::PenStyle::DashDotDot;
    case fsAltDot: return gfx::PenStyle::WideAltDot;
    case fsSquare: return gfx::PenStyle::WideSquare;
  }
  return gfx::PenStyle::Solid;
}

gfx::Pen styledPen(TColor color, TfrxFrameStyle style, int deviceWidth) {
  gfx::Pen pen;
  pen.color = paint::color(color);
  pen.width = std::max(deviceWidth, 0);
  pen.style = patternOf(style);
  switch (pen.style) {
    case gfx::PenStyle::WideAltDot:
      pen.width = std::max(pen.width, 1);
      pen.cap = gfx::PenCap::Round;
      break;
    case gfx::PenStyle::WideSquare:
      pen.width = std::max(pen.width, 1);
      pen.cap = gfx::PenCap::Flat;
      break;
    case gfx::PenStyle::Solid: break;
    default:
      if (pen.width > 1) pen.style = gfx::PenStyle::Solid;
      break;
  }
  return pen;
}

gfx::Font font(const ReportFont& source, double scaleY) {
  gfx::Font out;
  out.name = source.Name();
  out.height = -round(source.Size() * scaleY * 96.0 / 72.0);
  // A font too small to see still has to be a font: 0 would mean the default size.
  if (out.height == 0) out.height = -1;
  out.style = unsigned(source.Style().toInt()) & (gfx::fsBold | gfx::fsItalic | gfx::fsUnderline | gfx::fsStrikeOut);
  out.color = color(source.Color());
  return out;
}

}  // namespace valmoro::report::paint
