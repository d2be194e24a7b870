#include "platform/graphics_names.h"

namespace valmoro::names {

namespace {

struct ColorName {
  quint32 value;
  const char* name;
};

constexpr quint32 kSystem = 0xFF000000u;

constexpr ColorName kColors[] = {
    {0x000000u, "clBlack"},
    {0x000080u, "clMaroon"},
    {0x008000u, "clGreen"},
    {0x008080u, "clOlive"},
    {0x800000u, "clNavy"},
    {0x800080u, "clPurple"},
    {0x808000u, "clTeal"},
    {0x808080u, "clGray"},
    {0xC0C0C0u, "clSilver"},
    {0x0000FFu, "clRed"},
    {0x00FF00u, "clLime"},
    {0x00FFFFu, "clYellow"},
    {0xFF0000u, "clBlue"},
    {0xFF00FFu, "clFuchsia"},
    {0xFFFF00u, "clAqua"},
    {0xFFFFFFu, "clWhite"},
    {0xC0DCC0u, "clMoneyGreen"},
    {0xF0CAA6u, "clSkyBlue"},
    {0xF0FBFFu, "clCream"},
    {0xA4A0A0u, "clMedGray"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {kSystem + 0, "clScrollBar"},
    {kSystem + 1, "clBackground"},
    {kSystem + 2, "clActiveCaption"},
    {kSystem + 3, "clInactiveCaption"},
    {kSystem + 4, "clMenu"},
    {kSystem + 5, "clWindow"},
    {kSystem + 6, "clWindowFrame"},
    {kSystem + 7, "clMenuText"},
    {kSystem + 8, "clWindowText"},
    {kSystem + 9, "clCaptionText"},
    {kSystem + 10, "clActiveBorder"},
    {kSystem + 11, "clInactiveBorder"},
    {kSystem + 12, "clAppWorkSpace"},
    {kSystem + 13, "clHighlight"},
    {kSystem + 14, "clHighlightText"},
    {kSystem + 15, "clBtnFace"},
    {kSystem + 16, "clBtnShadow"},
    {kSystem + 17, "clGrayText"},
    {kSystem + 18, "clBtnText"},
    {kSystem + 19, "clInactiveCaptionText"},
    {kSystem + 20, "clBtnHighlight"},
    {kSystem + 21, "cl3DDkShadow"},
    {kSystem + 22, "cl3DLight"},
    {kSystem + 23, "clInfoText"},
    {kSystem + 24, "clInfoBk"},
    // System colour 25 has no name.
    {kSystem + 26, "clHotLight"},
    {kSystem + 27, "clGradientActiveCaption"},
    {kSystem + 28, "clGradientInactiveCaption"},
    {kSystem + 29, "clMenuHighlight"},
    {kSystem + 30, "clMenuBar"},
};

struct CharsetName {
  int value;
  const char* name;
};

constexpr CharsetName kCharsets[] = {
    {0, "ANSI_CHARSET"},         {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},         {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},      {134, "GB2312_CHARSET"},    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},      {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},     {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

template <typename Table, typename Value>
std::optional<QString> nameOf(const Table& table, Value value) {
  for (const auto& entry : table)
    if (entry.value == value) return QString::fromLatin1(entry.name);
  return std::nullopt;
}

template <typename Value, typename Table>
std::optional<Value> valueOf(const Table& table, const QString& ident) {
  for (const auto& entry : table)
    if (ident.compare(QLatin1StringView(entry.name), Qt::CaseInsensitive) == 0) return entry.value;
  return std::nullopt;
}

}  // namespace

std::optional<QString> colorToIdent(quint32 color) { return nameOf(kColors, color); }

std::optional<quint32> identToColor(const QString& ident) {
  return valueOf<quint32>(kColors, ident);
}

std::optional<QString> charsetToIdent(int charset) { return nameOf(kCharsets, charset); }

std::optional<int> identToCharset(const QString& ident) { return valueOf<int>(kCharsets, ident); }

}  // namespace valmoro::names
