// Text views painted onto 96-dpi bitmaps: the ink of the glyphs lands where
// the layout puts them. A text of '|' (532 units in the 2048-unit em: 3
// pixels at 13, 22 units at 83) shows one narrow column of ink per
// character, so the columns give the imposed advances back.

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "platform/painter_canvas.h"
#include "report/model/memo_view.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;

namespace {

QImage render(TfrxMemoView& view, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(image, 96);
    view.Paint(canvas, {});
  }
  return image;
}

// Darkness of every column (sum over the rows of 255 − grey).
std::vector<int> columnInk(const QImage& image) {
  std::vector<int> ink(size_t(image.width()), 0);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ink[size_t(x)] += 255 - qGray(image.pixel(x, y));
  return ink;
}

// Centres of the runs of inked columns.
std::vector<double> inkCentres(const QImage& image) {
  const std::vector<int> ink = columnInk(image);
  std::vector<double> centres;
  for (size_t x = 0; x < ink.size();) {
    if (ink[x] < 20) {
      ++x;
      continue;
    }
    double sum = 0, weighted = 0;
    for (; x < ink.size() && ink[x] >= 20; ++x) {
      sum += ink[x];
      weighted += double(ink[x]) * double(x);
    }
    centres.push_back(weighted / sum);
  }
  return centres;
}

// Rows that carry any ink.
std::pair<int, int> inkRows(const QImage& image) {
  int first = -1, last = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 200) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

}  // namespace

TEST(MemoViewPixels, GlyphsSitAtTheImposedAdvances) {
  TfrxMemoView view;
  view.SetBounds(10, 20, 200, 30);
  view.SetText(QStringLiteral("||||||||||"));
  const QImage image = render(view, 230, 60);
  // 10 × 22 units are round(35.2) = 35 pixels against the device's 30: the
  // five extra pixels go to characters 1, 3, 6, 8 and 9.
  const std::vector<double> centres = inkCentres(image);
  ASSERT_EQ(centres.size(), 10u);
  const int advances[] = {4, 3, 4, 3, 3, 4, 3, 4, 4};
  for (size_t i = 0; i + 1 < centres.size(); ++i) EXPECT_NEAR(centres[i + 1] - centres[i], advances[i], 0.05) << i;
  EXPECT_GE(centres.front(), 12);
  EXPECT_LT(centres.front(), 16);
  // The glyphs hang from the top of the text box (row 21).
  const auto [top, bottom] = inkRows(image);
  EXPECT_GE(top, 21);
  EXPECT_LE(bottom, 21 + 16);

  // Right-aligned, the line would start 197 − 35 + 1 pixels further right;
  // there the last bar's ink would reach the column the box clips, so the
  // line stands one pixel to the left and the bar stays whole.
  view.SetHAlign(haRight);
  const QImage rightAligned = render(view, 230, 60);
  const std::vector<double> right = inkCentres(rightAligned);
  ASSERT_EQ(right.size(), 10u);
  EXPECT_NEAR(right.front() - centres.front(), 197 - 35, 0.05);
  view.SetClipped(false);
  EXPECT_TRUE(render(view, 230, 60) == rightAligned);
}

TEST(MemoViewPixels, ClippedTextStaysInsideItsBox) {
  TfrxMemoView view;
  view.SetBounds(10, 20, 40, 30);
  view.SetWordWrap(false);
  view.SetText(QStringLiteral("WWWWWWWWWW"));
  const std::vector<int> ink = columnInk(render(view, 120, 60));
  // The text box ends at column 49 (10 + 40 − 2 + 1, exclusive).
  for (int x = 49; x < 120; ++x) EXPECT_EQ(ink[size_t(x)], 0) << x;
  EXPECT_GT(ink[40], 0);
  view.SetClipped(false);
  const std::vector<int> loose = columnInk(render(view, 120, 60));
  int outside = 0;
  for (int x = 49; x < 120; ++x) outside += loose[size_t(x)];
  EXPECT_GT(outside, 0);
}

// Figures of a right-aligned or centred column, as the log's report shows
// them, drawn at the render tool's resolutions and the preview's zoom steps:
// the view's clip never takes a stroke off the last figure, and no ink falls
// right of the view.
TEST(MemoViewPixels, AlignedFiguresKeepTheirLastStrokeAtEveryScale) {
  struct Surface {
    gfx::DeviceKind kind;
    int dpi;
    double scale;
  };
  std::vector<Surface> surfaces;
  for (int dpi : {72, 96, 110, 120, 150}) surfaces.push_back({gfx::DeviceKind::Bitmap, dpi, dpi / 96.0});
  for (double zoom = 0.25; zoom <= 2.0; zoom += 0.25) surfaces.push_back({gfx::DeviceKind::Screen, 96, zoom});
  const QStringList texts = {"16,50", "49,40", "19,30", "100,00", "-7,07", "Wilgotność [%]"};
  for (const Surface& surface : surfaces) {
    for (TfrxHAlign align : {haRight, haCenter}) {
      for (const QString& text : texts) {
        SCOPED_TRACE(QStringLiteral("%1 dpi, scale %2, %3, %4")
                         .arg(surface.dpi)
                         .arg(surface.scale)
                         .arg(align == haRight ? "right" : "centre", text)
                         .toStdString());
        TfrxMemoView view;
        view.SetBounds(321.26005, 2, 113.3859, 18.89765);
        view.Font()->SetHeight(-13);
        view.SetHAlign(align);
        view.SetText(text);
        const int w = int(std::ceil(460 * surface.scale)), h = int(std::ceil(30 * surface.scale));
        auto draw = [&] {
          QImage image(w, h, QImage::Format_RGB32);
          image.fill(Qt::white);
          {
            gfx::PainterCanvas canvas(image, surface.dpi, surface.kind);
            view.Paint(canvas, {.scaleX = surface.scale, .scaleY = surface.scale});
          }
          return image;
        };
        const QImage clipped = draw();
        view.SetClipped(false);
        const QImage loose = draw();
        EXPECT_TRUE(clipped == loose) << "the clip took ink off the text";
        const int viewRight = int(std::lround(surface.scale * (321.26005 + 113.3859)));
        const std::vector<int> ink = columnInk(loose);
        int outside = 0;
        for (int x = viewRight; x < w; ++x) outside += ink[size_t(x)];
        EXPECT_EQ(outside, 0);
        // The figures still end at the column's right: within two pixels.
        if (align == haRight) {
          int last = 0;
          for (int x = 0; x < w; ++x)
            if (ink[size_t(x)] > 0) last = x;
          EXPECT_GE(last, viewRight - int(std::lround(2 * surface.scale)) - 3);
        }
      }
    }
  }
}

TEST(MemoViewPixels, RotatedTextReadsUpwardsFromTheBottomLeft) {
  TfrxMemoView view;
  view.SetBounds(10, 20, 30, 200);
  view.SetRotation(90);
  view.SetText(QStringLiteral("||||||||||"));
  const QImage image = render(view, 60, 240);
  // Rotated a quarter turn, the bars lie across: one run of inked rows per
  // bar, climbing from the bottom of the box (row 220) by the same advances.
  const QImage turned = image.transformed(QTransform().rotate(90));
  const std::vector<double> centres = inkCentres(turned);
  ASSERT_EQ(centres.size(), 10u);
  const int advances[] = {4, 3, 4, 3, 3, 4, 3, 4, 4};
  for (size_t i = 0; i + 1 < centres.size(); ++i) EXPECT_NEAR(centres[i + 1] - centres[i], advances[i], 0.05) << i;
  // In the turned picture column c is row 239 − c of the original: the
  // first bar lies just above row 220.
  const double firstRow = 239 - centres.front();
  EXPECT_GT(firstRow, 216);
  EXPECT_LT(firstRow, 220);
}
