// Text layout: wrapping, tags, measuring, splitting and drawing, checked
// against positions worked out by hand from the Arial (Liberation Sans)
// widths in 2048-unit ems: space 569, a 1139, b 1139, W 1933, i 455, - 682.
// At the 600-dpi em of a 10-point font (83) a character is
// round(units × 83 / 2048): a 46, space 23, W 78, i 18, - 28; on a 96-dpi
// device (em 13) a 7, space 4.

#include "report/paint/draw_text.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/fonts.h"
#include "platform/recording_canvas.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;
namespace fonts = valmoro::fonts;

namespace {

struct Layout {
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;

  // A 10-point Arial text in a box `width` pixels wide at scale 1.
  explicit Layout(int width, int height = 1000, bool tags = false, bool wordBreak = false, bool wordWrap = true) {
    dt.SetFont(QStringLiteral("Arial"), 10, 0, gfx::clBlack);
    dt.SetOptions(wordWrap, tags, 0, true, true, wordBreak, false);
    dt.SetGaps(0, 0, 2);
    const gfx::Rect box{0, 0, width, height};
    dt.SetDimensions(1, 1, 1, box, box);
  }
  QStringList wrap(const QStringList& text) {
    dt.SetText(text);
    return dt.WrappedText();
  }
};

std::vector<int> flagsOf(const TfrxDrawText& dt) {
  std::vector<int> flags;
  for (int i = 0; i < dt.LineCount(); ++i) flags.push_back(dt.LineFlags(i));
  return flags;
}

}  // namespace

TEST(DrawTextWrap, BreaksAtSpacesAndDropsTheSpace) {
  // A 37-pixel box is 231 measuring units: five a's (230) fit, six do not.
  Layout l(37);
  EXPECT_EQ(l.wrap({"aaa bbb"}), (QStringList{"aaa", "bbb"}));
  EXPECT_EQ(flagsOf(l.dt), (std::vector<int>{1, 2}));
  // A paragraph of three lines: first, middle, last.
  EXPECT_EQ(l.wrap({"aaa bbb aaa"}), (QStringList{"aaa", "bbb", "aaa"}));
  EXPECT_EQ(flagsOf(l.dt), (std::vector<int>{1, 0, 2}));
  // Every source line is a paragraph of its own; a line that fits has both flags.
  EXPECT_EQ(l.wrap({"ab", "aaa bbb"}), (QStringList{"ab", "aaa", "bbb"}));
  EXPECT_EQ(flagsOf(l.dt), (std::vector<int>{3, 1, 2}));
  // Without word wrap a line stays whole whatever its width.
  Layout off(37, 1000, false, false, /*wordWrap=*/false);
  EXPECT_EQ(off.wrap({"aaa bbb aaa"}), (QStringList{"aaa bbb aaa"}));
}

TEST(DrawTextWrap, HardCutContinuesWithTheFirstCharacterNotYetPlaced) {
  Layout l(37);
  EXPECT_EQ(l.wrap({"aaaaaaa"}), (QStringList{"aaaaa", "aa"}));
  // Nothing repeated, nothing lost, however many cuts.
  const QString word = QStringLiteral("abbbbaaaabbbbaaab");
  const QStringList lines = l.wrap({word});
  EXPECT_EQ(lines, (QStringList{"abbbb", "aaaab", "bbbaa", "ab"}));
  EXPECT_EQ(lines.join(QString()), word);
  // A cut word followed by more words goes on after the cut.
  EXPECT_EQ(l.wrap({"aaaaaaa bb"}), (QStringList{"aaaaa", "aa bb"}));
  // A single character wider than the box still forms a line.
  Layout narrow(5);
  EXPECT_EQ(narrow.wrap({"WWW"}), (QStringList{"W", "W", "W"}));
}

TEST(DrawTextWrap, NoWrapKeepsWordsTogetherAndCutsHard) {
  Layout l(37, 1000, /*tags=*/true);
  EXPECT_EQ(l.wrap({"aaa<nowrap> </nowrap>bbb"}), (QStringList{"aaa b", "bb"}));
  // Without tags allowed the tag is plain text, measured as such.
  Layout plain(300);
  EXPECT_EQ(plain.wrap({"a<nowrap>b"}), (QStringList{"a<nowrap>b"}));
}

TEST(DrawTextWrap, EmptyLinesKeepTheirHeight) {
  Layout l(300);
  EXPECT_EQ(l.wrap({"a", "", "b"}), (QStringList{"a", " ", "b"}));
  // 83 / 6.25 + 2 = 15.28 per line.
  EXPECT_NEAR(l.dt.TextHeight(), 3 * 15.28, 1e-9);
  EXPECT_NEAR(l.dt.LineHeight(), 15.28, 1e-9);
  // Negative line spacing counts once more at the end.
  l.dt.SetGaps(0, 0, -3);
  l.dt.SetText({"a", "b"});
  EXPECT_NEAR(l.dt.TextHeight(), 2 * (13.28 - 3) + 3, 1e-9);
}

TEST(DrawTextWrap, ParagraphGapNarrowsOnlyTheFirstLine) {
  // 48 pixels: 300 units; with a 20-pixel gap the first line has 175.
  Layout l(48);
  EXPECT_EQ(l.wrap({"aaa bbb aaa bbb"}), (QStringList{"aaa bbb", "aaa bbb"}));
  l.dt.SetGaps(20, 0, 2);
  EXPECT_EQ(l.wrap({"aaa bbb aaa bbb"}), (QStringList{"aaa", "bbb aaa", "bbb"}));
}

TEST(DrawTextWrap, CyrillicWordsBreakBetweenSyllables) {
  const auto face = fonts::scaled(QStringLiteral("Arial"), false, false, 83);
  const auto units = [&](const QString& s) { return face->width(s); };
  // Room for "ПРИ-" but not for "ПРИВ".
  const int room = (units(QStringLiteral("ПРИ-")) + units(QStringLiteral("ПРИВ"))) / 2;
  ASSERT_LT(units(QStringLiteral("ПРИ-")), room);
  ASSERT_GT(units(QStringLiteral("ПРИВ")), room);
  const int width = int(std::floor(room / 6.25));
  Layout l(width, 1000, false, /*wordBreak=*/true);
  EXPECT_EQ(l.wrap({"ПРИВЕТ"}), (QStringList{"ПРИ-", "ВЕТ"}));
  // Lower case is classified as upper case and kept as written.
  EXPECT_EQ(l.wrap({"привет"}), (QStringList{"при-", "вет"}));
  // Without word break the same word is cut hard.
  Layout hard(width);
  EXPECT_FALSE(hard.wrap({"ПРИВЕТ"}).first().endsWith(u'-'));
  EXPECT_EQ(hard.wrap({"ПРИВЕТ"}).join(QString()), QStringLiteral("ПРИВЕТ"));
  // After a space the hyphenated prefix joins the line; the rest follows.
  const int room2 = units(QStringLiteral("ДА ПРИ-")) + 3;
  Layout words(int(std::ceil(room2 / 6.25)), 1000, false, true);
  EXPECT_EQ(words.wrap({"ДА ПРИВЕТ"}), (QStringList{"ДА ПРИ-", "ВЕТ"}));
  // Words of three letters or less are never broken.
  Layout shortWords(int(std::ceil((units(QStringLiteral("ДА ДОМ")) - 10) / 6.25)), 1000, false, true);
  EXPECT_EQ(shortWords.wrap({"ДА ДОМ"}), (QStringList{"ДА", "ДОМ"}));
  // Latin words and short words are never hyphenated.
  EXPECT_EQ(l.wrap({"aaaaaaa"}).first().endsWith(u'-'), false);
}

TEST(DrawTextWrap, LinesLongerThanTheWorkArrayAreMeasuredInPieces) {
  // 40 000 characters: more than the 32 768 positions kept at a time.
  const QString word(40000, QLatin1Char('a'));
  Layout l(37);
  const QStringList lines = l.wrap({word});
  ASSERT_EQ(lines.size(), 8000);
  EXPECT_EQ(lines.join(QString()), word);
  // Unwrapped, the width is the whole line's: 40 000 × 46 / 6.25.
  Layout off(37, 1000, false, false, false);
  off.dt.SetText({word});
  EXPECT_DOUBLE_EQ(off.dt.TextWidth(), 40000 * 46 / 6.25);
  // Spaces beyond the first piece still break the line.
  QString words;
  for (int i = 0; i < 10000; ++i) words += QStringLiteral("aaa ");
  const QStringList wrapped = l.wrap({words.trimmed()});
  ASSERT_EQ(wrapped.size(), 10000);
  EXPECT_EQ(wrapped.last(), QStringLiteral("aaa"));
}

TEST(DrawTextWrap, ALineThatFitsButOverflowsTheWorkArrayIsCutThere) {
  // A 1-point font with negative spacing: about 0.75 units a character, so
  // one 10 000-pixel line would hold more characters than the work array.
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;
  dt.SetFont(QStringLiteral("Arial"), 1, 0, 0);
  dt.SetOptions(true, false, 0, true, true, false, false);
  dt.SetGaps(0, -0.2, 2);
  dt.SetDimensions(1, 1, 1, {0, 0, 10000, 100}, {0, 0, 10000, 100});
  const QString text(100000, QLatin1Char('i'));
  dt.SetText({text});
  const QStringList lines = dt.WrappedText();
  EXPECT_EQ(lines.size(), 4);
  for (const QString& line : lines) EXPECT_LE(line.size(), TfrxDrawText::kWorkSize);
  EXPECT_EQ(lines.join(QString()), text);
  // A line that fits as a whole stays whole, however long.
  dt.SetText({QString(50000, QLatin1Char('i'))});
  EXPECT_EQ(dt.LineCount(), 1);
}

TEST(DrawTextTags, RecordsCarryTheAttributesAndSourcePositions) {
  TfrxHTMLTagsList list;
  list.SetDefaults(10, 0, gfx::clBlack);
  list.SetAllowTags(true);
  list.Clear();
  TfrxHTMLTags tags;
  QString line = QStringLiteral("a<B>b</b><i><u>c</u></i><strike>d</strike>x<sub>2</sub><sup>3</sup>"
                                "<font color=red>r</font><font color=\"#00FF80\">g</font><font color=nosuch>");
  list.ExpandTags(line, tags);
  EXPECT_EQ(line, QStringLiteral("abcdx23rg<font color=nosuch>"));
  ASSERT_EQ(tags.Count(), line.size());
  EXPECT_EQ(tags[0].Position, 0);
  EXPECT_EQ(tags[1].Position, 4);   // after "<B>"
  EXPECT_EQ(tags[1].Style, unsigned(gfx::fsBold));
  EXPECT_EQ(tags[2].Style, unsigned(gfx::fsItalic | gfx::fsUnderline));
  EXPECT_EQ(tags[3].Style, unsigned(gfx::fsStrikeOut));
  EXPECT_EQ(tags[4].Style, 0u);
  EXPECT_FALSE(tags[1].SameAsPrevious);
  // Sub- and superscripts are round(10 / 1.5) = 7 points; only sub shifts.
  EXPECT_EQ(tags[5].Size, 7);
  EXPECT_EQ(tags[5].VShift, 1);
  EXPECT_TRUE(tags[5].Small);
  EXPECT_EQ(tags[6].Size, 7);
  EXPECT_EQ(tags[6].VShift, 0);
  EXPECT_EQ(tags[7].Color, 0x0000FFu);  // red, as 0x00BBGGRR
  EXPECT_EQ(tags[7].Size, 10);
  EXPECT_FALSE(tags[7].Small);
  EXPECT_EQ(tags[8].Color, gfx::rgb(0x00, 0xFF, 0x80));
  // An unknown colour leaves the tag as text, in the default colour.
  EXPECT_EQ(tags[9].Color, gfx::clBlack);
  EXPECT_EQ(tags[10].SameAsPrevious, true);

  // The next line's positions continue after the CR LF.
  QString second = QStringLiteral("<b></b>");
  list.ExpandTags(second, tags);
  EXPECT_EQ(second, QStringLiteral(" "));
  const int firstLength = QStringLiteral("a<B>b</b><i><u>c</u></i><strike>d</strike>x<sub>2</sub><sup>3</sup>"
                                         "<font color=red>r</font><font color=\"#00FF80\">g</font><font color=nosuch>")
                              .size();
  EXPECT_EQ(tags[0].Position, firstLength + 2);

  // Without tags every character continues the previous one.
  TfrxHTMLTagsList plain;
  plain.SetDefaults(10, gfx::fsBold, gfx::clBlack);
  plain.Clear();
  QString raw = QStringLiteral("x<b>y");
  plain.ExpandTags(raw, tags);
  EXPECT_EQ(raw, QStringLiteral("x<b>y"));
  EXPECT_EQ(tags.Count(), 5);
  for (int i = 0; i < tags.Count(); ++i) {
    EXPECT_TRUE(tags[i].SameAsPrevious);
    EXPECT_EQ(tags[i].Style, unsigned(gfx::fsBold));
    EXPECT_EQ(tags[i].Position, i);
  }
}

TEST(DrawTextTags, TextWithoutTags) {
  Layout l(300, 1000, true);
  EXPECT_EQ(l.dt.TextWithoutTags(QStringLiteral("<b>Suma</b>: 5\r\n<i></i>\r\n<font color=blue>x</font> < y")),
            QStringLiteral("Suma: 5\r\n\r\nx < y"));
  Layout plain(300);
  EXPECT_EQ(plain.dt.TextWithoutTags(QStringLiteral("<b>x</b>")), QStringLiteral("<b>x</b>"));
}

TEST(DrawTextMeasure, WidthsCountSpacingAndTheParagraphGap) {
  Layout l(10000);
  l.dt.SetText({"aaa", "W"});
  EXPECT_DOUBLE_EQ(l.dt.TextWidth(), 138 / 6.25);
  // Character spacing: 6.25 units per character; the gap on first lines.
  l.dt.SetGaps(4, 1, 2);
  l.dt.SetText({"aaa"});
  EXPECT_DOUBLE_EQ(l.dt.TextWidth(), (138 + 19 + 25) / 6.25);
  // Small characters count two thirds of their width.
  Layout tags(10000, 1000, true);
  tags.dt.SetText({"a<sub>aaa</sub>"});
  EXPECT_DOUBLE_EQ(tags.dt.TextWidth(), (46 + 3 * 31) / 6.25);
}

TEST(DrawTextMeasure, SpareHeightAfterTheLinesThatFit) {
  // 9 points: an em of 75 units, 12 pixels; lines of 14 pixels.
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;
  dt.SetFont(QStringLiteral("Arial"), 9, 0, 0);
  dt.SetOptions(true, false, 0, true, true, false, false);
  dt.SetGaps(0, 0, 2);
  dt.SetDimensions(1, 1, 1, {0, 0, 100, 27}, {0, 0, 100, 27});
  dt.SetText({"a", "b", "c"});
  // 27 + 1 = 28 holds exactly two lines: nothing left over, but not 0.
  EXPECT_DOUBLE_EQ(dt.SpareHeight(), 0.0001);
  dt.SetDimensions(1, 1, 1, {0, 0, 100, 35}, {0, 0, 100, 35});
  EXPECT_DOUBLE_EQ(dt.SpareHeight(), 8);
  dt.SetDimensions(1, 1, 1, {0, 0, 100, 10}, {0, 0, 100, 10});
  EXPECT_DOUBLE_EQ(dt.SpareHeight(), 0);
}

TEST(DrawTextSplit, KeepsWhatFitsAndHandsOnTheRest) {
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;
  dt.SetFont(QStringLiteral("Arial"), 9, 0, 0);
  dt.SetOptions(true, false, 0, true, true, false, false);
  dt.SetGaps(0, 0, 2);
  dt.SetDimensions(1, 1, 1, {0, 0, 37, 27}, {0, 0, 37, 27});
  // 9 points: a is round(1139 × 75 / 2048) = 42; 37 pixels hold 231 units.
  dt.SetText({"aaa bbb aaa", "", "b"});
  ASSERT_EQ(dt.WrappedText(), (QStringList{"aaa", "bbb", "aaa", " ", "b"}));
  const TfrxDrawText::SplitResult part = dt.Split();
  EXPECT_EQ(part.fitted, QStringLiteral("aaa bbb "));
  EXPECT_EQ(part.remaining, QStringLiteral("aaa\r\n \r\nb"));
  EXPECT_TRUE(part.paragraphContinues);
  EXPECT_EQ(dt.WrappedText(), (QStringList{"aaa", "bbb"}));

  // A cut between paragraphs: the paragraph does not continue.
  dt.SetText({"a", "b", "c"});
  const TfrxDrawText::SplitResult lines = dt.Split();
  EXPECT_EQ(lines.fitted, QStringLiteral("a\r\nb\r\n"));
  EXPECT_EQ(lines.remaining, QStringLiteral("c"));
  EXPECT_FALSE(lines.paragraphContinues);

  // Everything fits: nothing remains.
  dt.SetText({"a"});
  const TfrxDrawText::SplitResult all = dt.Split();
  EXPECT_EQ(all.fitted, QStringLiteral("a"));
  EXPECT_TRUE(all.remaining.isEmpty());
}

TEST(DrawTextSplit, ContinuedPartStartsInTheSameAttributes) {
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;
  dt.SetFont(QStringLiteral("Arial"), 10, 0, 0);
  dt.SetOptions(true, /*tags=*/true, 0, true, true, false, false);
  dt.SetGaps(0, 0, 2);
  // Two lines of 15.28 fit 34 + 1 pixels.
  dt.SetDimensions(1, 1, 1, {0, 0, 37, 34}, {0, 0, 37, 34});
  dt.SetText({"aaa <b><font color=\"#FF0000\">bbb ccc</font></b> ddd"});
  ASSERT_EQ(dt.WrappedText(), (QStringList{"aaa", "bbb", "ccc", "ddd"}));
  const TfrxDrawText::SplitResult part = dt.Split();
  EXPECT_EQ(part.fitted, QStringLiteral("aaa <b><font color=\"#FF0000\">bbb "));
  EXPECT_EQ(part.remaining, QStringLiteral("<b><font color=\"#FF0000\">ccc</font></b> ddd"));
  EXPECT_TRUE(part.paragraphContinues);

  // The continued part, laid out again, is bold and red from its start.
  dt.SetText({part.remaining});
  EXPECT_EQ(dt.WrappedText(), (QStringList{"ccc", "ddd"}));
  EXPECT_EQ(dt.LineTags(0)[0].Style, unsigned(gfx::fsBold));
  EXPECT_EQ(dt.LineTags(0)[0].Color, 0x0000FFu);
  EXPECT_EQ(dt.LineTags(1)[0].Style, 0u);
  EXPECT_EQ(dt.LineTags(1)[0].Color, 0u);

  // Italic, underline and strike-out carry over too.
  dt.SetText({"aaa bbb <i><u><strike>ccc</strike></u></i>"});
  EXPECT_EQ(dt.Split().remaining, QStringLiteral("<u><i><strike><font color=\"#000000\">ccc</strike></u></i>"));
}

TEST(DrawTextSplit, HyphenatedLastLineEndsTheFittedTextWithAHyphen) {
  const auto face = fonts::scaled(QStringLiteral("Arial"), false, false, 83);
  const int room = face->width(u"ДА ПРИ-") + 3;
  TfrxDrawText dt;
  TfrxDrawText::Locker lock;
  dt.SetFont(QStringLiteral("Arial"), 10, 0, 0);
  dt.SetOptions(true, false, 0, true, true, /*wordBreak=*/true, false);
  dt.SetGaps(0, 0, 2);
  const int width = int(std::ceil(room / 6.25));
  dt.SetDimensions(1, 1, 1, {0, 0, width, 15}, {0, 0, width, 15});
  dt.SetText({"ДА ПРИВЕТ"});
  ASSERT_EQ(dt.WrappedText().first(), QStringLiteral("ДА ПРИ-"));
  const TfrxDrawText::SplitResult part = dt.Split();
  EXPECT_EQ(part.fitted, QStringLiteral("ДА ПРИ-"));
  EXPECT_EQ(part.remaining, QStringLiteral("ВЕТ"));
  EXPECT_TRUE(part.paragraphContinues);
  // A real hyphen before a break is not doubled.
  dt.SetText({"aa- bbbbb"});
  ASSERT_EQ(dt.WrappedText().first(), QStringLiteral("aa-"));
  EXPECT_EQ(dt.Split().fitted, QStringLiteral("aa- "));
}

TEST(DrawTextConcurrency, ParallelMeasuringUnderTheLockAgrees) {
  const auto measure = [](int width) {
    TfrxDrawText& dt = TfrxDrawText::Shared();
    TfrxDrawText::Locker lock;
    dt.SetFont(QStringLiteral("Arial"), 10, 0, 0);
    dt.SetOptions(true, false, 0, true, true, false, false);
    dt.SetGaps(0, 0, 2);
    dt.SetDimensions(1, 1, 1, {0, 0, width, 100}, {0, 0, width, 100});
    dt.SetText({"aaa bbb aaa bbb"});
    return dt.LineCount();
  };
  int narrow = 0, wide = 0;
  std::thread a([&] {
    for (int i = 0; i < 300; ++i) narrow += measure(37) == 4;
  });
  std::thread b([&] {
    for (int i = 0; i < 300; ++i) wide += measure(1000) == 1;
  });
  a.join();
  b.join();
  EXPECT_EQ(narrow, 300);
  EXPECT_EQ(wide, 300);
}
