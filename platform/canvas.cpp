#include "platform/canvas.h"

#include "platform/fonts.h"

namespace valmoro::gfx {

QRgb toRgb(Color color) {
  if ((color & 0xFF000000u) == 0xFF000000u) {
    // The classic default scheme, indexed by system colour number.
    static constexpr QRgb system[] = {
        0xFFC8C8C8,  // 0 scroll bar
        0xFF000000,  // 1 background (desktop)
        0xFF000080,  // 2 active caption
        0xFF808080,  // 3 inactive caption
        0xFFD4D0C8,  // 4 menu
        0xFFFFFFFF,  // 5 window
        0xFF000000,  // 6 window frame
        0xFF000000,  // 7 menu text
        0xFF000000,  // 8 window text
        0xFFFFFFFF,  // 9 caption text
        0xFFD4D0C8,  // 10 active border
        0xFFD4D0C8,  // 11 inactive border
        0xFF808080,  // 12 application workspace
        0xFF0A246A,  // 13 highlight
        0xFFFFFFFF,  // 14 highlight text
        0xFFD4D0C8,  // 15 button face
        0xFF808080,  // 16 button shadow
        0xFF808080,  // 17 grey text
        0xFF000000,  // 18 button text
        0xFFD4D0C8,  // 19 inactive caption text
        0xFFFFFFFF,  // 20 button highlight
        0xFF404040,  // 21 3-D dark shadow
        0xFFD4D0C8,  // 22 3-D light
        0xFF000000,  // 23 info text
        0xFFFFFFE1,  // 24 info background
    };
    const quint32 index = color & 0xFFu;
    return index < std::size(system) ? system[index] : 0xFF000000;
  }
  return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

std::vector<int> Canvas::textAdvances(const QString& text) const {
  const bool bold = font_.style & fsBold, italic = font_.style & fsItalic;
  const auto scaled = fonts::scaled(font_.name, bold, italic, fonts::emPixels(font_.name, bold, italic, font_.height));
  std::vector<int> out(size_t(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
    out[size_t(i)] = scaled->advance(text[i].unicode(), next);
  }
  return out;
}

int Canvas::inkRight(const QString& text, std::span<const int> advances) {
  long long total = 0;
  if (advances.empty()) {
    for (int a : textAdvances(text)) total += a;
  } else {
    for (int a : advances) total += a;
  }
  return int(total);
}

}  // namespace valmoro::gfx
