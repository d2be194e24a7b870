// Text views: text box, measured height and width, output in parts, and the
// text they draw, recorded call by call. Positions are worked out by hand:
// 10-point Arial is 13 pixels on a 96-dpi device (a 7, space 4) and 83
// units at 600 dpi (a 46, space 23, W 78); a line is 83 / 6.25 + 2 = 15.28
// pixels. A view at (10, 20) without frame has its text box from
// (12, 21) to (Left + Width − 1, Top + Height): gaps 2 and 1, far edges + 1.

#include <gtest/gtest.h>

#include "platform/recording_canvas.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/paint/draw_text.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;

namespace {

std::unique_ptr<TfrxMemoView> memo(double width, double height, const QString& text) {
  auto view = std::make_unique<TfrxMemoView>();
  view->SetBounds(10, 20, width, height);
  view->SetText(text);
  return view;
}

std::vector<gfx::DrawCall> textCalls(TfrxMemoView& view, double scale = 1, int dpi = 96,
                                     gfx::DeviceKind kind = gfx::DeviceKind::Recording, PaintContext context = {}) {
  gfx::RecordingCanvas canvas(dpi, kind);
  context.scaleX = context.scaleY = scale;
  view.Paint(canvas, context);
  return canvas.callsOf(gfx::DrawCall::Text);
}

std::vector<gfx::DrawCall> textCalls(TfrxMemoView& view, const PaintContext& context) {
  return textCalls(view, 1, 96, gfx::DeviceKind::Recording, context);
}

QPoint at(const gfx::DrawCall& call) { return call.points.at(0); }

using Advances = std::vector<int>;

}  // namespace

TEST(MemoViewBox, GapsFrameAndShadowMoveTheTextBox) {
  auto view = memo(100, 60, QString());
  EXPECT_EQ(view->TextBox(1, 1, 0, 0), (gfx::Rect{12, 21, 109, 80}));
  EXPECT_EQ(view->TextBox(2, 2, 5, 7), (gfx::Rect{29, 49, 222, 166}));
  // Frame lines 3 pixels wide: round((3 − 1) / 2) = 1 on the near sides,
  // round(3 / 2) = 2 (halves to even) on the far sides; the shadow moves
  // the far edges in by 4.
  view->Frame()->SetTyp(ftLeft | ftRight | ftTop | ftBottom);
  view->Frame()->SetWidth(3);
  view->Frame()->SetDropShadow(true);
  EXPECT_EQ(view->TextBox(1, 1, 0, 0), (gfx::Rect{13, 22, 103, 74}));
}

TEST(MemoViewMeasure, CalcHeightCountsLinesGapsAndFrame) {
  // round(lines × (83 / 6.25 + 2) + 2): one line 17, three lines 48.
  auto view = memo(200, 20, QStringLiteral("abc"));
  EXPECT_EQ(view->CalcHeight(), 17);
  view->SetText(QStringLiteral("a\r\nb\r\nc"));
  EXPECT_EQ(view->CalcHeight(), 48);
  // Lines wrapped by a narrow view count too: "aaa bbb aaa" is three lines in 37 pixels.
  auto narrow = memo(40, 20, QStringLiteral("aaa bbb aaa"));
  EXPECT_EQ(narrow->CalcHeight(), 48);
  // With AutoWidth the text is measured unwrapped.
  narrow->SetAutoWidth(true);
  EXPECT_EQ(narrow->CalcHeight(), 17);
  // A frame adds (w − 1) / 2 on top and w / 2 below; a shadow its width.
  view->SetText(QStringLiteral("abc"));
  view->Frame()->SetTyp(ftTop | ftBottom);
  EXPECT_EQ(view->CalcHeight(), 18);  // 17.28 + 0.5
  view->Frame()->SetDropShadow(true);
  EXPECT_EQ(view->CalcHeight(), 22);  // + 4
  // Nothing but the gaps for an empty view.
  EXPECT_EQ(memo(100, 20, QString())->CalcHeight(), 2);
}

TEST(MemoViewMeasure, CalcWidthIsTheWidestLine) {
  auto view = memo(10, 20, QStringLiteral("aaa"));
  EXPECT_EQ(view->CalcWidth(), 26);  // 138 / 6.25 + 4
  view->SetText(QStringLiteral("aaa\r\nWW"));
  EXPECT_EQ(view->CalcWidth(), 29);  // 156 / 6.25 + 4
  view->Frame()->SetTyp(ftLeft | ftRight);
  view->Frame()->SetWidth(2);
  EXPECT_EQ(view->CalcWidth(), 30);  // + 0.5 + 1 = 30.46
}

TEST(MemoViewParts, EachPartKeepsWhatFitsAndReportsTheSpareHeight) {
  // 9 points: lines of exactly 14 pixels; a view 28 high has a 27-pixel box.
  auto view = memo(100, 28, QStringLiteral("a\r\nb\r\nc"));
  view->Font()->SetSize(9);
  view->InitPart();
  EXPECT_DOUBLE_EQ(view->GetPart(), 0.0001);  // exactly full
  EXPECT_EQ(view->Text(), QStringLiteral("a\r\nb"));
  EXPECT_EQ(view->PartText(), QStringLiteral("c"));
  EXPECT_FALSE(view->LastParaBreak());
  view->GetPart();
  EXPECT_EQ(view->Text(), QStringLiteral("c"));
  EXPECT_TRUE(view->PartText().isEmpty());

  // A paragraph cut in the middle goes on in the next part.
  auto para = memo(40, 28, QStringLiteral("aaa bbb aaa"));
  para->Font()->SetSize(9);
  para->SetFirstParaBreak(true);
  para->InitPart();
  EXPECT_FALSE(para->FirstParaBreak());
  EXPECT_DOUBLE_EQ(para->GetPart(), 0.0001);
  EXPECT_EQ(para->Memo(), (QStringList{"aaa bbb "}));
  EXPECT_EQ(para->PartText(), QStringLiteral("aaa"));
  EXPECT_TRUE(para->LastParaBreak());

  // Not one line fits: the whole height is spare and the text waits.
  auto low = memo(100, 10, QStringLiteral("a\r\nb"));
  low->InitPart();
  EXPECT_DOUBLE_EQ(low->GetPart(), 10);
  EXPECT_EQ(low->PartText(), QStringLiteral("a\r\nb"));
}

TEST(MemoViewDraw, ParagraphGapIndentsFirstLinesOfLeftAlignedText) {
  auto view = memo(40, 100, QStringLiteral("aaa bbb\r\naaa"));
  view->SetParagraphGap(10);
  const auto calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 3u);
  // Lines 15 apart; the 0.84 pixels the device lines lack in three lines
  // (45.84 against 45) round to one, given to the first gap.
  EXPECT_EQ(calls[0].text, QStringLiteral("aaa"));
  EXPECT_EQ(at(calls[0]), QPoint(22, 21));
  EXPECT_EQ(calls[1].text, QStringLiteral("bbb"));
  EXPECT_EQ(at(calls[1]), QPoint(12, 37));
  EXPECT_EQ(at(calls[2]), QPoint(22, 52));
  // 138 units are round(22.08) = 22 pixels: one more than the device's 21.
  for (const auto& call : calls) EXPECT_EQ(call.advances, (Advances{8, 7, 7}));
  EXPECT_EQ(calls[0].font.height, -13);
  EXPECT_EQ(calls[0].font.name, QStringLiteral("Arial"));

  // Right-aligned text is never indented: 37 − 22 + 1 from the left edge.
  view->SetHAlign(haRight);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(28, 21));
  // A part that continues a paragraph starts without indent.
  view->SetHAlign(haLeft);
  view->SetFirstParaBreak(true);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(12, 21));
}

TEST(MemoViewDraw, BlockAlignmentWidensTheSpaces) {
  auto view = memo(60, 100, QStringLiteral("aaa bbb aaa"));
  view->SetHAlign(haBlock);
  auto calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 2u);
  // 57 pixels wide, the device line is 46: the one space takes 11 more.
  EXPECT_EQ(calls[0].text, QStringLiteral("aaa bbb"));
  EXPECT_EQ(calls[0].advances, (Advances{7, 7, 7, 15, 7, 7, 7}));
  EXPECT_EQ(at(calls[0]), QPoint(12, 21));
  // The last line of the paragraph is left-aligned at its measured width.
  EXPECT_EQ(calls[1].advances, (Advances{8, 7, 7}));
  EXPECT_EQ(at(calls[1]), QPoint(12, 37));

  // A line without spaces stays left-aligned: 322 units are 52 pixels, the
  // device's 49 get three more, spread over the halves.
  view->SetText(QStringLiteral("aaaaaaaaaa"));
  calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, QStringLiteral("aaaaaaa"));
  EXPECT_EQ(calls[0].advances, (Advances{8, 7, 7, 8, 7, 8, 7}));
  EXPECT_EQ(at(calls[0]), QPoint(12, 21));
}

TEST(MemoViewDraw, HorizontalAndVerticalAlignment) {
  auto view = memo(100, 60, QStringLiteral("aaa"));
  view->SetHAlign(haRight);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(88, 21));  // 12 + 97 − 22 + 1
  view->Font()->SetStyle(fsBold);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(87, 21));  // one pixel less for bold
  view->Font()->SetStyle({});
  view->SetHAlign(haCenter);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(49, 21));  // 12 + (97 − 22) div 2
  view->SetHAlign(haLeft);
  // 59 pixels for a block of 15.28: 43.72 left over.
  view->SetVAlign(vaBottom);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(12, 65));
  view->SetVAlign(vaCenter);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(12, 43));
}

TEST(MemoViewDraw, RotatedTextStartsAtTheRightCorner) {
  auto view = memo(100, 60, QStringLiteral("aaa\r\nbbb"));
  view->SetRotation(90);
  auto calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 2u);
  // Reading upwards from the bottom-left corner; lines go to the right.
  EXPECT_EQ(at(calls[0]), QPoint(12, 80));
  EXPECT_EQ(at(calls[1]), QPoint(28, 80));
  EXPECT_EQ(calls[0].font.escapement, 900);
  EXPECT_EQ(calls[0].advances, (Advances{8, 7, 7}));
  // Right alignment runs up the 59-pixel line: 59 − 22 + 1.
  view->SetText(QStringLiteral("aaa"));
  view->SetHAlign(haRight);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(12, 42));
  // Bottom alignment moves across the lines, to the right: 97 − 15.28.
  view->SetHAlign(haLeft);
  view->SetVAlign(vaBottom);
  EXPECT_EQ(at(textCalls(*view)[0]), QPoint(94, 80));

  // Reading downwards from the top-right corner; lines go to the left.
  view->SetVAlign(vaTop);
  view->SetText(QStringLiteral("aaa\r\nbbb"));
  view->SetRotation(270);
  calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(at(calls[0]), QPoint(109, 21));
  EXPECT_EQ(at(calls[1]), QPoint(93, 21));
  EXPECT_EQ(calls[0].font.escapement, 2700);

  // Upside down from the bottom-right corner.
  view->SetRotation(180);
  calls = textCalls(*view);
  EXPECT_EQ(at(calls[0]), QPoint(109, 80));
  EXPECT_EQ(at(calls[1]), QPoint(109, 64));
}

TEST(MemoViewDraw, WysiwygImposesMeasuredWidthsElseTheDeviceOwn) {
  // At scale 2 the device font is 27 pixels (a 15); 138 units are
  // round(22.08 × 2) = 44 pixels.
  auto view = memo(100, 60, QStringLiteral("aaa"));
  auto calls = textCalls(*view, 2);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].font.height, -27);
  EXPECT_EQ(at(calls[0]), QPoint(24, 42));
  EXPECT_EQ(calls[0].advances, (Advances{14, 15, 15}));
  view->SetWysiwyg(false);
  calls = textCalls(*view, 2);
  EXPECT_TRUE(calls[0].advances.empty());
  EXPECT_EQ(at(calls[0]), QPoint(24, 42));

  // The line breaks stay those of the 600-dpi measurement.
  auto wrapped = memo(40, 100, QStringLiteral("aaa bbb aaa"));
  QStringList with, without;
  for (const auto& call : textCalls(*wrapped, 1.5)) with << call.text;
  wrapped->SetWysiwyg(false);
  for (const auto& call : textCalls(*wrapped, 1.5)) without << call.text;
  EXPECT_EQ(with, (QStringList{"aaa", "bbb", "aaa"}));
  EXPECT_EQ(without, with);
}

TEST(MemoViewDraw, PrinterFontsFollowTheDeviceResolution) {
  // A 600-dpi printer at scale 6.25 is the measuring resolution itself.
  auto view = memo(100, 60, QStringLiteral("aaa"));
  const auto calls = textCalls(*view, 6.25, 600, gfx::DeviceKind::Printer);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].font.height, -83);
  EXPECT_EQ(calls[0].advances, (Advances{46, 46, 46}));
}

TEST(MemoViewDraw, CharacterSpacingAndSubscripts) {
  auto view = memo(100, 60, QStringLiteral("aaa"));
  view->SetCharSpacing(1);
  // 138 + round(2 × 6.25) = 150 units: 24 pixels, plus one spacing: 25.
  EXPECT_EQ(textCalls(*view)[0].advances, (Advances{9, 8, 8}));

  auto sub = memo(100, 60, QStringLiteral("a<sub>2</sub>"));
  sub->SetAllowHTMLTags(true);
  const auto calls = textCalls(*sub);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, QStringLiteral("a"));
  EXPECT_EQ(calls[1].text, QStringLiteral("2"));
  // 7 points (round(10 / 1.5)) are 9 pixels, shifted down by 7.
  EXPECT_EQ(calls[1].font.height, -9);
  EXPECT_EQ(at(calls[1]), QPoint(19, 28));
  EXPECT_EQ(calls[1].advances, (Advances{5}));
}

TEST(MemoViewDraw, TagsColourAndStyleTheRuns) {
  auto view = memo(200, 60, QStringLiteral("a<b>b</b><font color=\"#FF0000\">c</font>"));
  view->SetAllowHTMLTags(true);
  const auto calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].font.style, 0u);
  EXPECT_EQ(calls[1].font.style, unsigned(gfx::fsBold));
  EXPECT_EQ(calls[2].font.color, 0x0000FFu);
  // Runs follow one another along the line.
  EXPECT_EQ(at(calls[1]).x(), at(calls[0]).x() + calls[0].advances[0]);
  EXPECT_EQ(at(calls[2]).x(), at(calls[1]).x() + calls[1].advances[0]);
}

TEST(MemoViewDraw, RightToLeftReadingOrder) {
  auto view = memo(200, 60, QStringLiteral("אבג"));
  view->SetRTLReading(true);
  EXPECT_EQ(textCalls(*view)[0].text, QStringLiteral("גבא"));
  view->SetText(QStringLiteral("אב 12"));
  EXPECT_EQ(textCalls(*view)[0].text, QStringLiteral("12 בא"));
  view->SetText(QStringLiteral("abc"));
  EXPECT_EQ(textCalls(*view)[0].text, QStringLiteral("abc"));
}

TEST(MemoViewDraw, UnderlinesRuleEveryLine) {
  auto view = memo(100, 60, QStringLiteral("a"));
  view->SetUnderlines(true);
  view->Frame()->SetColor(0x0000FF);
  gfx::RecordingCanvas canvas;
  view->Paint(canvas, {});
  const auto lines = canvas.callsOf(gfx::DrawCall::Line);
  // From 20 + (1 − 2 + 1) + 15.28, every 15.28 while above 80.
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].points, (std::vector<QPoint>{{10, 35}, {110, 35}}));
  EXPECT_EQ(lines[1].points, (std::vector<QPoint>{{10, 51}, {110, 51}}));
  EXPECT_EQ(lines[2].points, (std::vector<QPoint>{{10, 66}, {110, 66}}));
  EXPECT_EQ(lines[0].pen.color, 0x0000FFu);
  EXPECT_EQ(lines[0].pen.width, 1);
  // Rotated text has no rules.
  view->SetRotation(90);
  gfx::RecordingCanvas rotated;
  view->Paint(rotated, {});
  EXPECT_TRUE(rotated.callsOf(gfx::DrawCall::Line).empty());
}

TEST(MemoViewDraw, ClippedToTheScaledTextBox) {
  auto view = memo(100, 60, QStringLiteral("a"));
  gfx::RecordingCanvas canvas;
  view->Paint(canvas, {});
  const auto clips = canvas.callsOf(gfx::DrawCall::PushClip);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].rect, (gfx::Rect{12, 21, 109, 80}));
  EXPECT_EQ(canvas.callsOf(gfx::DrawCall::PopClip).size(), 1u);
  view->SetClipped(false);
  gfx::RecordingCanvas loose;
  view->Paint(loose, {});
  EXPECT_TRUE(loose.callsOf(gfx::DrawCall::PushClip).empty());

  // Ten lines in a box that shows four (at 21, 36, 52 and 67; the fifth
  // would start at 82): lines wholly outside are not drawn at all.
  view->SetText(QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10"));
  auto calls = textCalls(*view);
  EXPECT_EQ(calls.size(), 10u);
  view->SetClipped(true);
  calls = textCalls(*view);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(at(calls[1]), QPoint(12, 36));
  EXPECT_EQ(at(calls[3]), QPoint(12, 67));
}

TEST(MemoViewDraw, PlaceholdersHighlightAndDesignerText) {
  auto view = memo(200, 60, QStringLiteral("Strona 1 z [TotalPages#]"));
  EXPECT_EQ(textCalls(*view)[0].text, QStringLiteral("Strona 1 z [TotalPages#]"));
  PaintContext page;
  page.totalPages = 7;
  page.fillPlaceholders = [](const TfrxCustomMemoView&, const QString& text, int total, int) {
    return QString(text).replace(QStringLiteral("[TotalPages#]"), QString::number(total));
  };
  EXPECT_EQ(textCalls(*view, page)[0].text, QStringLiteral("Strona 1 z 7"));
  EXPECT_EQ(view->Text(), QStringLiteral("Strona 1 z [TotalPages#]"));

  // The designer shows which field a bound view takes, placeholders unfilled.
  TfrxUserDataSet wpisy;
  wpisy.SetUserName(QStringLiteral("Wpisy"));
  view->SetDataSet(&wpisy);
  view->SetDataField(QStringLiteral("Temperatura"));
  PaintContext design = page;
  design.purpose = PaintPurpose::Design;
  EXPECT_EQ(textCalls(*view, design)[0].text, QStringLiteral("[Wpisy.\"Temperatura\"]"));
  view->SetDataSet(nullptr);
  EXPECT_EQ(textCalls(*view, design)[0].text, QStringLiteral("Strona 1 z [TotalPages#]"));

  // An active highlight draws in its font and fills in its colour; the
  // view's colour stays.
  view->SetColor(0x00FF00);
  view->Highlight()->SetActive(true);
  view->Highlight()->SetColor(0xFFFFFF);
  EXPECT_EQ(textCalls(*view)[0].font.color, 0x0000FFu);
  gfx::RecordingCanvas canvas;
  view->Paint(canvas, {});
  ASSERT_EQ(canvas.callsOf(gfx::DrawCall::FillRect).size(), 1u);
  EXPECT_EQ(canvas.callsOf(gfx::DrawCall::FillRect)[0].brush.color, 0xFFFFFFu);
  EXPECT_EQ(view->Color(), 0x00FF00u);
  view->Highlight()->SetActive(false);
  canvas.clear();
  view->Paint(canvas, {});
  EXPECT_EQ(canvas.callsOf(gfx::DrawCall::FillRect).at(0).brush.color, 0x00FF00u);
}

TEST(MemoViewDraw, AutoWidthFitsTheViewToItsText) {
  auto view = memo(100, 20, QStringLiteral("aaa"));
  view->SetAutoWidth(true);
  view->SetHAlign(haRight);
  gfx::RecordingCanvas canvas;
  view->Paint(canvas, {.purpose = PaintPurpose::Design});
  EXPECT_DOUBLE_EQ(view->Width(), 100);  // not in the designer
  view->Paint(canvas, {});
  EXPECT_NEAR(view->Width(), 138 / 6.25 + 4, 1e-9);
  EXPECT_NEAR(view->Left(), 10 + 100 - (138 / 6.25 + 4), 1e-9);  // the right edge stays
}

TEST(MemoViewDraw, ReportsOwnTheirLayoutObject) {
  TfrxReport report;
  EXPECT_EQ(&report.DrawText(), &report.DrawText());
  EXPECT_NE(&report.DrawText(), &TfrxDrawText::Shared());
}

TEST(MemoViewDraw, BadInputNeverCrashesOrHangs) {
  auto view = memo(100, 60, QStringLiteral("aaa bbb"));
  view->Font()->SetName(QStringLiteral("Nie ma takiej czcionki"));
  EXPECT_EQ(view->CalcHeight(), 17);  // measured in the fallback face
  EXPECT_EQ(textCalls(*view).size(), 1u);
  for (int size : {0, -5, 100000}) {
    view->Font()->SetSize(size);
    EXPECT_TRUE(std::isfinite(view->CalcHeight()));
    EXPECT_TRUE(std::isfinite(view->CalcWidth()));
    textCalls(*view);
  }
  view->Font()->SetSize(10);
  view->SetRotation(100000);  // 280 degrees
  ASSERT_FALSE(textCalls(*view).empty());
  EXPECT_EQ(textCalls(*view)[0].font.escapement, 2800);
  view->SetRotation(-90);
  EXPECT_EQ(textCalls(*view)[0].font.escapement, 2700);
  view->SetRotation(0);

  view->SetText(QString());
  EXPECT_TRUE(textCalls(*view).empty());
  view->InitPart();
  EXPECT_GE(view->GetPart(), 0);
  EXPECT_TRUE(view->PartText().isEmpty());

  QString big;
  for (int i = 0; i < 20000; ++i) big += QStringLiteral("abcd ");
  view->SetText(big);
  EXPECT_GT(view->CalcHeight(), 1000);
  EXPECT_FALSE(textCalls(*view).empty());
  view->SetWordWrap(false);
  EXPECT_EQ(view->CalcHeight(), 17);
  view->SetLineSpacing(-1000);
  view->SetGapY(-1e300);
  textCalls(*view);
  view->SetCharSpacing(1e300);
  EXPECT_TRUE(std::isfinite(view->CalcWidth()));
  textCalls(*view, 0);
}
