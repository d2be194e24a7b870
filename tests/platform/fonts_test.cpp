#include "platform/fonts.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <array>

#include "platform/recording_canvas.h"

namespace fonts = valmoro::fonts;
namespace gfx = valmoro::gfx;

namespace {

QString fileName(const QString& family, bool bold = false, bool italic = false) {
  return QFileInfo(fonts::resolve(family, bold, italic).path).fileName();
}

}  // namespace

TEST(Fonts, DocumentFontsResolveToMetricCompatibleFiles) {
  EXPECT_EQ(fileName("Arial"), "LiberationSans-Regular.ttf");
  EXPECT_EQ(fileName("arial", true), "LiberationSans-Bold.ttf");
  EXPECT_EQ(fileName("Arial", false, true), "LiberationSans-Italic.ttf");
  EXPECT_EQ(fileName("Arial", true, true), "LiberationSans-BoldItalic.ttf");
  EXPECT_EQ(fileName("Times New Roman"), "LiberationSerif-Regular.ttf");
  EXPECT_EQ(fileName("Courier New", true), "LiberationMono-Bold.ttf");
  // Unknown names, empty names and names of fonts the machine lacks all get
  // the one documented fallback, not whatever the machine prefers.
  EXPECT_EQ(fileName("No Such Font 123"), "LiberationSans-Regular.ttf");
  EXPECT_EQ(fileName("Tahoma", true), "LiberationSans-Bold.ttf");
  EXPECT_EQ(fileName(""), "LiberationSans-Regular.ttf");
  EXPECT_TRUE(fonts::resolve("Arial", true, false).bold);
}

// Runs alternate between more fonts and styles than are remembered at once:
// every look-up still answers with its own file, and measures with it.
TEST(Fonts, AlternatingLookUpsKeepTheirOwnFiles) {
  struct Case {
    const char* family;
    bool bold, italic;
    const char* file;
  };
  const Case cases[] = {{"Arial", false, false, "LiberationSans-Regular.ttf"},
                        {"Arial", true, false, "LiberationSans-Bold.ttf"},
                        {"Times New Roman", false, true, "LiberationSerif-Italic.ttf"},
                        {"Courier New", false, false, "LiberationMono-Regular.ttf"},
                        {"arial", false, true, "LiberationSans-Italic.ttf"},
                        {"Courier New", true, false, "LiberationMono-Bold.ttf"}};
  for (int round = 0; round < 3; ++round)
    for (const Case& c : cases) {
      EXPECT_EQ(fileName(c.family, c.bold, c.italic), c.file) << c.family << c.bold << c.italic;
      const auto font = fonts::scaled(c.family, c.bold, c.italic, 100);
      EXPECT_EQ(QFileInfo(font->file().path).fileName(), c.file);
    }
  // Monospaced: every letter as wide as the next; proportional: not.
  const auto mono = fonts::scaled("Courier New", false, false, 100);
  const auto sans = fonts::scaled("Arial", false, false, 100);
  EXPECT_EQ(mono->advance(u'i', 0), mono->advance(u'W', 0));
  EXPECT_LT(sans->advance(u'i', 0), sans->advance(u'W', 0));
}

TEST(Fonts, AdvancesAreScaledFontUnitsRoundedPerCharacter) {
  // 10 points at 600 dpi is an 83-pixel em; the well-known Arial widths
  // (2048 units to the em) are W 1933, a 1139, space 569, i 455.
  const auto arial = fonts::scaled("Arial", false, false, 83);
  EXPECT_EQ(arial->advance(u'W'), 78);   // 78.34
  EXPECT_EQ(arial->advance(u'a'), 46);   // 46.16
  EXPECT_EQ(arial->advance(u' '), 23);   // 23.06
  EXPECT_EQ(arial->advance(u'i'), 18);   // 18.44
  std::array<int, 4> pos{};
  EXPECT_EQ(arial->positions(u"Wai ", pos), 78 + 46 + 18 + 23);
  EXPECT_EQ(pos, (std::array<int, 4>{78, 124, 142, 165}));
  EXPECT_EQ(arial->width(u"Wai "), 165);
  // No kerning: "AV" is the sum of its letters (A and V are 1366 units: 55.36).
  EXPECT_EQ(arial->width(u"AV"), 55 + 55);
  // Polish letters come from the same file.
  EXPECT_GT(arial->advance(u'ł'), 0);
  EXPECT_EQ(arial->width(u"ąę"), arial->advance(u'ą') + arial->advance(u'ę'));
  // Arial's cell: ascent 1854, descent 434 units.
  EXPECT_EQ(arial->ascent(), 75);   // 75.14
  EXPECT_EQ(arial->descent(), 18);  // 17.59
}

TEST(Fonts, HeightsAndBadSizesStayInRange) {
  EXPECT_EQ(fonts::emPixels("Arial", false, false, -83), 83);
  EXPECT_EQ(fonts::emPixels("Arial", false, false, 0), 13);
  // A 93-pixel cell (ascent + descent) is an em of 93 × 2048 / 2288 = 83.2.
  EXPECT_EQ(fonts::emPixels("Arial", false, false, 93), 83);
  EXPECT_EQ(fonts::emPixels("Arial", false, false, -2147483647 - 1), 10000);
  EXPECT_EQ(fonts::emPixels("Arial", false, false, 2147483647), 10000);
  EXPECT_EQ(fonts::scaled("Arial", false, false, -5)->pixelSize(), 1);
  // A lone surrogate half measures nothing; a pair counts once.
  const auto arial = fonts::scaled("Arial", false, false, 83);
  const QString pair = QString::fromUcs4(U"\U0001F600");
  EXPECT_EQ(arial->advance(pair[0].unicode()) , 0);
  EXPECT_EQ(arial->advance(pair[1].unicode()), 0);
  EXPECT_EQ(arial->width(pair), arial->advance(pair[0].unicode(), pair[1].unicode()));
}

TEST(RecordingCanvas, KeepsCallsWithTheStateInForce) {
  gfx::RecordingCanvas canvas;
  canvas.setPen({gfx::rgb(255, 0, 0), 3, gfx::PenStyle::Dash});
  canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Cross});
  canvas.rectangle({10, 20, 110, 40});
  gfx::Font font;
  font.height = -13;
  canvas.setFont(font);
  const std::vector<int> advances{7, 7, 4};
  canvas.textOut({5, 6}, "Wai", advances);
  ASSERT_EQ(canvas.calls().size(), 2u);
  const auto& rect = canvas.calls()[0];
  EXPECT_EQ(rect.kind, gfx::DrawCall::Rectangle);
  EXPECT_EQ(rect.rect, (gfx::Rect{10, 20, 110, 40}));
  EXPECT_EQ(rect.pen.color, 0x0000FFu);
  EXPECT_EQ(rect.brush.style, gfx::BrushStyle::Cross);
  const auto texts = canvas.callsOf(gfx::DrawCall::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].points[0], QPoint(5, 6));
  EXPECT_EQ(texts[0].advances, advances);
  // Device advances of the 13-pixel Arial: W 12.27, a 7.23, i 2.89.
  EXPECT_EQ(canvas.textAdvances("Wai"), (std::vector<int>{12, 7, 3}));
}
