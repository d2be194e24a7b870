// Objects that show a designer's sign rather than content: subreports (a
// grey box with their name) and the non-visual dialog components.

#include <numeric>

#include "platform/canvas.h"
#include "platform/fonts.h"
#include "report/model/dialog.h"
#include "report/model/subreport.h"
#include "report/paint/paint_support.h"

namespace valmoro::report {

namespace {

// System colours by number.
constexpr gfx::Color sysColor(int index) { return 0xFF000000u | gfx::Color(index); }
constexpr gfx::Color kWindow = sysColor(5);
constexpr gfx::Color kButtonFace = sysColor(15);
constexpr gfx::Color kButtonShadow = sysColor(16);
constexpr gfx::Color kButtonHighlight = sysColor(20);
constexpr gfx::Color kDarkShadow = sysColor(21);
constexpr gfx::Color kLight = sysColor(22);

constexpr int kSymbolSize = 28;

void fill(gfx::Canvas& canvas, gfx::Color color, const gfx::Rect& rect) {
  canvas.setBrush({color, gfx::BrushStyle::Solid});
  canvas.fillRect(rect);
}

// A raised button edge, two pixels deep: light above and left, shadow below
// and right.
void raisedEdge(gfx::Canvas& canvas, const gfx::Rect& r) {
  fill(canvas, kLight, {r.left, r.top, r.right - 1, r.top + 1});
  fill(canvas, kLight, {r.left, r.top, r.left + 1, r.bottom - 1});
  fill(canvas, kDarkShadow, {r.left, r.bottom - 1, r.right, r.bottom});
  fill(canvas, kDarkShadow, {r.right - 1, r.top, r.right, r.bottom});
  fill(canvas, kButtonHighlight, {r.left + 1, r.top + 1, r.right - 2, r.top + 2});
  fill(canvas, kButtonHighlight, {r.left + 1, r.top + 1, r.left + 2, r.bottom - 2});
  fill(canvas, kButtonShadow, {r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1});
  fill(canvas, kButtonShadow, {r.right - 2, r.top + 1, r.right - 1, r.bottom - 1});
}

// The 16 x 16 sign of a non-visual component: a small box with a cog-like
// pattern of dots.
void componentIcon(gfx::Canvas& canvas, int x, int y) {
  canvas.setBackground(std::nullopt);
  canvas.setPen({gfx::rgb(0x40, 0x40, 0x40), 1, gfx::PenStyle::Solid});
  canvas.setBrush({gfx::rgb(0xF0, 0xF0, 0xF0), gfx::BrushStyle::Solid});
  canvas.rectangle({x + 1, y + 1, x + 15, y + 15});
  canvas.setBrush({gfx::rgb(0x30, 0x60, 0xB0), gfx::BrushStyle::Solid});
  canvas.ellipse({x + 4, y + 4, x + 12, y + 12});
  fill(canvas, gfx::rgb(0xF0, 0xF0, 0xF0), {x + 7, y + 7, x + 9, y + 9});
}

}  // namespace

void TfrxSubreport::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  TfrxView::Paint(canvas, context);
  canvas.setFont(paint::font(*Font(), context.scaleY));
  canvas.setBackground(std::nullopt);
  canvas.textOut({box_.x + 2, box_.y + 2}, Name());
}

void TfrxDialogComponent::Paint(gfx::Canvas& canvas, const PaintContext&) {
  SetWidth(kSymbolSize);
  SetHeight(kSymbolSize);
  const int left = paint::round(Left()), top = paint::round(Top());
  const gfx::Rect square{left, top, left + kSymbolSize, top + kSymbolSize};
  fill(canvas, kButtonFace, square);
  raisedEdge(canvas, square);
  componentIcon(canvas, left + 6, top + 6);

  // The name in Tahoma 8, centred under the square on the window colour.
  gfx::Font font;
  font.name = QStringLiteral("Tahoma");
  font.height = -paint::round(8 * 96.0 / 72.0);
  font.color = gfx::clBlack;
  canvas.setFont(font);
  const std::vector<int> advances = canvas.textAdvances(Name());
  const int textWidth = std::accumulate(advances.begin(), advances.end(), 0);
  const auto metrics =
      fonts::scaled(font.name, false, false, fonts::emPixels(font.name, false, false, font.height));
  const int textLeft = left - (textWidth - kSymbolSize) / 2;
  const int textTop = top + kSymbolSize + 4;
  fill(canvas, kWindow, {textLeft, textTop, textLeft + textWidth, textTop + metrics->ascent() + metrics->descent()});
  canvas.setBackground(std::nullopt);
  canvas.textOut({textLeft, textTop}, Name());
}

}  // namespace valmoro::report
