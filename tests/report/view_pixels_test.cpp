// Report objects painted onto bitmaps, checked pixel by pixel: frames of
// every width and style with their corners, shadows, hatches, shapes, lines,
// arrow heads and pictures.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <string>
#include <vector>

#include "platform/painter_canvas.h"
#include "report/model/line_view.h"
#include "report/model/picture_view.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;

namespace {

constexpr TColor kRed = 0x0000FF;    // as report colours: 0x00BBGGRR
constexpr TColor kGrey = 0x808080;
constexpr TColor kGreen = 0x00FF00;

QImage blank(int w = 14, int h = 12) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Paints the object onto a white bitmap at scale 1.
QImage render(TfrxComponent& object, int w = 14, int h = 12, double scale = 1) {
  QImage image = blank(w, h);
  {
    gfx::PainterCanvas canvas(image, 96);
    object.Paint(canvas, {.scaleX = scale, .scaleY = scale});
  }
  return image;
}

// One string per row: '#' black, '.' white, 'r' red, 's' grey, 'g' green,
// '?' anything else.
std::vector<std::string> art(const QImage& image) {
  std::vector<std::string> rows;
  for (int y = 0; y < image.height(); ++y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y) & 0xFFFFFF;
      row += p == 0x000000   ? '#'
             : p == 0xFFFFFF ? '.'
             : p == 0xFF0000 ? 'r'
             : p == 0x808080 ? 's'
             : p == 0x00FF00 ? 'g'
                             : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// The smallest rectangle holding every pixel that is not white.
QRect inkBounds(const QImage& image) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

bool isWhite(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF; }

constexpr TfrxFrameTypes kAllSides = TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom);

// A view at (2, 2) of 8 × 6 pixels: device box X = 2, Y = 2, X1 = 10, Y1 = 8.
void placeSmall(TfrxView& view) { view.SetBounds(2, 2, 8, 6); }

QByteArray pngOf(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, "png").write(image);
  return buffer.data();
}

using Art = std::vector<std::string>;

}  // namespace

TEST(ViewPixels, SolidFramesOfOneTwoAndThreePixels) {
  TfrxView view;
  placeSmall(view);
  view.Frame()->SetTyp(kAllSides);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..#########...",
                                    "..#.......#...",
                                    "..#.......#...",
                                    "..#.......#...",
                                    "..#.......#...",
                                    "..#.......#...",
                                    "..#########...",
                                    "..............",
                                    "..............",
                                    ".............."}));

  // The fill stops short of the right and bottom sides, which lie just outside.
  view.SetColor(kRed);
  view.Frame()->SetTyp(ftLeft | ftTop);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..#########...",
                                    "..#rrrrrrr....",
                                    "..#rrrrrrr....",
                                    "..#rrrrrrr....",
                                    "..#rrrrrrr....",
                                    "..#rrrrrrr....",
                                    "..#...........",
                                    "..............",
                                    "..............",
                                    ".............."}));
  view.SetColor(clTransparent);

  view.Frame()->SetTyp(kAllSides);
  view.Frame()->SetWidth(2);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    ".##########...",
                                    ".##########...",
                                    ".##......##...",
                                    ".##......##...",
                                    ".##......##...",
                                    ".##......##...",
                                    ".##########...",
                                    ".##########...",
                                    "..............",
                                    "..............",
                                    ".............."}));

  view.Frame()->SetWidth(3);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    ".###########..",
                                    ".###########..",
                                    ".###########..",
                                    ".###.....###..",
                                    ".###.....###..",
                                    ".###.....###..",
                                    ".###########..",
                                    ".###########..",
                                    ".###########..",
                                    "..............",
                                    ".............."}));

  // A 3-pixel side alone ends flush with the box.
  view.Frame()->SetTyp(ftTop);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..#########...",
                                    "..#########...",
                                    "..#########...",
                                    "..............",
                                    "..............",
                                    "..............",
                                    "..............",
                                    "..............",
                                    "..............",
                                    "..............",
                                    ".............."}));
}

TEST(ViewPixels, CornersWithAndWithoutNeighbours) {
  TfrxView view;
  placeSmall(view);
  view.Frame()->SetWidth(3);
  // Left and bottom only: their shared corner is square and filled, the
  // free ends stop at the box.
  view.Frame()->SetTyp(ftLeft | ftBottom);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    ".###..........",
                                    ".###..........",
                                    ".###..........",
                                    ".###..........",
                                    ".###..........",
                                    ".##########...",
                                    ".##########...",
                                    ".##########...",
                                    "..............",
                                    ".............."}));
  // A one-pixel right side alone reaches the bottom row of the box.
  view.Frame()->SetWidth(1);
  view.Frame()->SetTyp(ftRight);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..........#...",
                                    "..........#...",
                                    "..........#...",
                                    "..........#...",
                                    "..........#...",
                                    "..........#...",
                                    "..........#...",
                                    "..............",
                                    "..............",
                                    ".............."}));
}

TEST(ViewPixels, DoubleFramesMeetAtTheCornersAndTakeTheColourBetween) {
  TfrxView view;
  placeSmall(view);
  view.Frame()->SetTyp(kAllSides);
  view.Frame()->SetStyle(fsDouble);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    ".###########..",
                                    ".#.........#..",
                                    ".#.#######.#..",
                                    ".#.#.....#.#..",
                                    ".#.#.....#.#..",
                                    ".#.#.....#.#..",
                                    ".#.#######.#..",
                                    ".#.........#..",
                                    ".###########..",
                                    "..............",
                                    ".............."}));
  view.SetColor(kGreen);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    ".###########..",
                                    ".#ggggggggg#..",
                                    ".#g#######g#..",
                                    ".#g#ggggg#g#..",
                                    ".#g#ggggg#g#..",
                                    ".#g#ggggg#g#..",
                                    ".#g#######g#..",
                                    ".#ggggggggg#..",
                                    ".###########..",
                                    "..............",
                                    ".............."}));
}

TEST(ViewPixels, DottedFramesAndTheirGaps) {
  TfrxView view;
  placeSmall(view);
  view.Frame()->SetTyp(kAllSides);
  view.Frame()->SetStyle(fsDot);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..###...###...",
                                    "..#.......#...",
                                    "..#.......#...",
                                    "..............",
                                    "..............",
                                    "..............",
                                    "..###...###...",
                                    "..............",
                                    "..............",
                                    ".............."}));
  view.SetColor(kRed);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..###rrr###...",
                                    "..#rrrrrrr#...",
                                    "..#rrrrrrr#...",
                                    "..rrrrrrrrr...",
                                    "..rrrrrrrrr...",
                                    "..rrrrrrrrr...",
                                    "..###rrr###...",
                                    "..............",
                                    "..............",
                                    ".............."}));
}

TEST(ViewPixels, EveryStyleAndWidthStaysOnTheFrameAndDrawsSomething) {
  // Whatever the pattern, a frame's pixels lie within its sides' bands.
  for (int style = fsSolid; style <= fsSquare; ++style) {
    for (int width = 1; width <= 3; ++width) {
      TfrxView view;
      view.SetBounds(10, 10, 40, 30);
      view.Frame()->SetTyp(kAllSides);
      view.Frame()->SetStyle(TfrxFrameStyle(style));
      view.Frame()->SetWidth(width);
      const QImage image = render(view, 64, 56);
      const QRect ink = inkBounds(image);
      ASSERT_FALSE(ink.isNull()) << style << " " << width;
      // Double frames reach out by the width plus half of it; the others by half.
      const int reach = style == fsDouble ? width + width / 2 + 1 : width / 2 + 1;
      EXPECT_GE(ink.left(), 10 - reach) << style << " " << width;
      EXPECT_LE(ink.right(), 50 + reach) << style << " " << width;
      EXPECT_GE(ink.top(), 10 - reach) << style << " " << width;
      EXPECT_LE(ink.bottom(), 40 + reach) << style << " " << width;
      // Nothing in the middle of the box.
      for (int y = 10 + 2 * width + 2; y < 40 - 2 * width - 2; ++y)
        for (int x = 10 + 2 * width + 2; x < 50 - 2 * width - 2; ++x)
          ASSERT_TRUE(isWhite(image, x, y)) << style << " " << width << " at " << x << "," << y;
    }
  }
}

TEST(ViewPixels, DropShadowStripsRightAndBelow) {
  TfrxView view;
  view.SetBounds(2, 2, 10, 8);
  view.Frame()->SetTyp(kAllSides);
  view.Frame()->SetDropShadow(true);
  view.Frame()->SetShadowWidth(2);
  view.Frame()->SetShadowColor(kGrey);
  EXPECT_EQ(art(render(view)), (Art{"..............",
                                    "..............",
                                    "..#########...",
                                    "..#.......#...",
                                    "..#.......#s..",
                                    "..#.......#s..",
                                    "..#.......#s..",
                                    "..#.......#s..",
                                    "..#########s..",
                                    "....ssssssss..",
                                    "..............",
                                    ".............."}));
}

TEST(ViewPixels, HatchOverTheFillInTheFrameColour) {
  TfrxView view;
  view.SetBounds(0, 0, 16, 16);
  view.SetColor(kRed);
  view.SetBrushStyle(bsCross);
  const QImage image = render(view, 20, 20);
  // The hatch reaches one pixel further than the fill, black lines over red.
  int black = 0, red = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) {
      const QRgb p = image.pixel(x, y) & 0xFFFFFF;
      black += p == 0;
      red += p == 0xFF0000;
      if (x < 16 && y < 16) {
        EXPECT_NE(p, 0xFFFFFFu) << x << "," << y;
      }
    }
  EXPECT_GT(black, 30);
  EXPECT_GT(red, 100);
  EXPECT_TRUE(isWhite(image, 17, 17));
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(isWhite(image, 18, i));
}

TEST(ShapePixels, RectangleAndRoundedCorners) {
  TfrxShapeView shape;
  shape.SetBounds(2, 2, 8, 6);
  shape.SetColor(kRed);
  EXPECT_EQ(art(render(shape)), (Art{"..............",
                                     "..............",
                                     "..#########...",
                                     "..#rrrrrrr#...",
                                     "..#rrrrrrr#...",
                                     "..#rrrrrrr#...",
                                     "..#rrrrrrr#...",
                                     "..#rrrrrrr#...",
                                     "..#########...",
                                     "..............",
                                     "..............",
                                     ".............."}));

  // Rounded corners of 10 × 10 on a 40 × 100 box: the corner pixel stays
  // empty, the sides are straight between the corners.
  shape.SetShape(skRoundRectangle);
  shape.SetBounds(5, 5, 40, 100);
  shape.SetColor(clTransparent);
  QImage image = render(shape, 60, 120);
  EXPECT_EQ(inkBounds(image), QRect(QPoint(5, 5), QPoint(45, 105)));
  EXPECT_TRUE(isWhite(image, 5, 5));
  EXPECT_TRUE(isWhite(image, 45, 105));
  EXPECT_FALSE(isWhite(image, 5, 55));
  EXPECT_FALSE(isWhite(image, 25, 5));
  // The left column is reached within half a corner from the top.
  const auto firstOnLeft = [](const QImage& drawn) {
    for (int y = 5; y < 60; ++y)
      if (!isWhite(drawn, 5, y)) return y;
    return -1;
  };
  const int small = firstOnLeft(image);
  EXPECT_GT(small, 5 + 1);
  EXPECT_LE(small, 5 + 5);

  shape.SetCurve(2);  // 20 × 20
  image = render(shape, 60, 120);
  const int large = firstOnLeft(image);
  EXPECT_GT(large, small + 2);
  EXPECT_LE(large, 5 + 10);
}

TEST(ShapePixels, FiguresFillTheirBoxes) {
  const struct {
    TfrxShapeKind kind;
    QPoint filledCorner;  // (-1, -1) when the corners stay empty
  } cases[] = {{skEllipse, {-1, -1}}, {skTriangle, {5, 35}}, {skDiamond, {-1, -1}}};
  for (const auto& c : cases) {
    TfrxShapeView shape;
    shape.SetShape(c.kind);
    shape.SetBounds(5, 5, 40, 30);
    shape.SetColor(kRed);
    const QImage image = render(shape, 50, 40);
    EXPECT_EQ(inkBounds(image), QRect(QPoint(5, 5), QPoint(45, 35))) << c.kind;
    EXPECT_EQ(image.pixel(25, 20) & 0xFFFFFF, 0xFF0000u) << c.kind;  // filled inside
    EXPECT_TRUE(isWhite(image, 5, 5)) << c.kind;
    if (c.filledCorner.x() >= 0) {
      EXPECT_FALSE(isWhite(image, c.filledCorner.x(), c.filledCorner.y()));
    }
  }
  // The triangle's apex is the middle of the top edge.
  TfrxShapeView triangle;
  triangle.SetShape(skTriangle);
  triangle.SetBounds(5, 5, 40, 30);
  const QImage image = render(triangle, 50, 40);
  for (int x = 5; x <= 45; ++x) EXPECT_EQ(isWhite(image, x, 5), x != 25) << x;
}

TEST(ShapePixels, DoubleOutlineTwoRectanglesAFrameWidthApart) {
  TfrxShapeView shape;
  shape.SetBounds(2, 2, 10, 8);
  shape.Frame()->SetStyle(fsDouble);
  EXPECT_EQ(art(render(shape, 14, 12)), (Art{"..............",
                                             "..............",
                                             "..###########.",
                                             "..#.........#.",
                                             "..#.#######.#.",
                                             "..#.#.....#.#.",
                                             "..#.#.....#.#.",
                                             "..#.#.....#.#.",
                                             "..#.#######.#.",
                                             "..#.........#.",
                                             "..###########.",
                                             ".............."}));
}

TEST(LinePixels, StraightDiagonalAndArrowHeads) {
  TfrxLineView line;
  line.SetBounds(2, 3, 8, 2);  // becomes horizontal
  EXPECT_EQ(art(render(line, 14, 6)), (Art{"..............",
                                           "..............",
                                           "..............",
                                           "..#########...",
                                           "..............",
                                           ".............."}));
  line.SetBounds(3, 1, 2, 4);  // becomes vertical, 3 pixels wide
  line.Frame()->SetWidth(3);
  EXPECT_EQ(art(render(line, 8, 7)), (Art{"........",
                                          "..###...",
                                          "..###...",
                                          "..###...",
                                          "..###...",
                                          "..###...",
                                          "........"}));

  // A diagonal from top-left to bottom-right, one pixel wide: the end pixel
  // is left out, as with every one-pixel stroke.
  TfrxLineView diagonal;
  diagonal.SetDiagonal(true);
  diagonal.SetBounds(1, 1, 4, 4);
  EXPECT_EQ(art(render(diagonal, 6, 6)), (Art{"......",
                                               ".#....",
                                               "..#...",
                                               "...#..",
                                               "....#.",
                                               "......"}));

  // A solid arrow head on a horizontal line points at the end.
  TfrxLineView arrow;
  arrow.SetBounds(2, 10, 40, 0);
  arrow.SetArrowEnd(true);
  arrow.SetArrowSolid(true);
  arrow.SetArrowLength(10);
  arrow.SetArrowWidth(4);
  arrow.Frame()->SetColor(kRed);
  const QImage image = render(arrow, 50, 20);
  EXPECT_EQ(inkBounds(image), QRect(QPoint(2, 6), QPoint(42, 14)));
  for (int d = 1; d <= 4; ++d) {  // the base, symmetric about the line
    EXPECT_EQ(image.pixel(32, 10 - d) & 0xFFFFFF, 0xFF0000u) << d;
    EXPECT_EQ(image.pixel(32, 10 + d) & 0xFFFFFF, 0xFF0000u) << d;
  }
  EXPECT_EQ(image.pixel(38, 9) & 0xFFFFFF, 0xFF0000u);  // filled towards the tip
  EXPECT_TRUE(isWhite(image, 38, 7));
  EXPECT_TRUE(isWhite(image, 20, 9));
}

TEST(PicturePixels, StretchedCentredAndTransparent) {
  QImage source(2, 1, QImage::Format_RGB32);
  source.setPixel(0, 0, 0xFFFF0000);
  source.setPixel(1, 0, 0xFF00FF00);
  TfrxPictureView view;
  view.SetBounds(0, 0, 20, 20);
  view.Picture()->LoadFromData(pngOf(source));
  QImage image = render(view, 20, 20);
  EXPECT_EQ(art(image)[0], "rrrrrrrrrrgggggggggg");
  EXPECT_EQ(art(image)[9], "rrrrrrrrrrgggggggggg");
  EXPECT_EQ(art(image)[10], "....................");

  view.SetCenter(true);
  image = render(view, 20, 20);
  EXPECT_EQ(art(image)[4], "....................");
  EXPECT_EQ(art(image)[5], "rrrrrrrrrrgggggggggg");
  EXPECT_EQ(art(image)[14], "rrrrrrrrrrgggggggggg");
  EXPECT_EQ(art(image)[15], "....................");

  // The key colour leaves what lies beneath.
  view.SetColor(kGrey);
  view.SetTransparent(true);
  view.SetTransparentColor(kGreen);
  image = render(view, 20, 20);
  EXPECT_EQ(art(image)[10], "rrrrrrrrrrssssssssss");
  EXPECT_EQ(art(image)[2], "ssssssssssssssssssss");

  // Not stretched: the picture at its size, clipped to the box.
  TfrxPictureView clipped;
  clipped.SetBounds(2, 2, 3, 2);
  clipped.SetStretched(false);
  QImage big(6, 6, QImage::Format_RGB32);
  big.fill(0xFFFF0000);
  clipped.Picture()->LoadFromData(pngOf(big));
  EXPECT_EQ(art(render(clipped, 8, 6)), (Art{"........",
                                             "........",
                                             "..rrr...",
                                             "..rrr...",
                                             "........",
                                             "........"}));
}

TEST(PagePixels, BackgroundInsideTheMargins) {
  TfrxReportPage page;
  page.SetPaperWidth(10);
  page.SetPaperHeight(8);
  page.SetLeftMargin(2);
  page.SetRightMargin(2);
  page.SetTopMargin(2);
  page.SetBottomMargin(2);
  page.SetColor(kRed);
  page.Frame()->SetTyp(kAllSides);
  QImage image = blank(40, 32);
  {
    gfx::PainterCanvas canvas(image, 96);
    page.PaintBackground(canvas, {});
  }
  // 6 × 4 mm from (2, 2) mm: pixels 8 … 30 across, 8 … 23 down.
  EXPECT_EQ(inkBounds(image), QRect(QPoint(8, 8), QPoint(30, 23)));
  EXPECT_EQ(image.pixel(15, 15) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.pixel(8, 15) & 0xFFFFFF, 0u);
}

TEST(ViewPixels, AbsurdObjectsOnABitmapNeitherCrashNorHang) {
  // Everything here reaches far beyond the bitmap; only the visible part is
  // drawn.
  QImage image = blank(50, 50);
  gfx::PainterCanvas canvas(image, 96);
  for (double size : {1e300, -1e300, 1e9}) {
    TfrxView view;
    view.SetBounds(10, 10, size, size);
    view.SetColor(kRed);
    view.SetBrushStyle(bsDiagCross);
    view.Frame()->SetTyp(kAllSides);
    view.Frame()->SetWidth(1e12);
    view.Frame()->SetDropShadow(true);
    view.Frame()->SetShadowWidth(1e12);
    view.Paint(canvas, {});
    for (int kind = skRectangle; kind <= skDiagonal2; ++kind) {
      TfrxShapeView shape;
      shape.SetShape(TfrxShapeKind(kind));
      shape.SetBounds(20, 20, size, size);
      shape.SetCurve(1000000000);
      shape.Frame()->SetWidth(kind % 2 ? 1e12 : 1);
      shape.Frame()->SetStyle(kind % 3 ? fsAltDot : fsDouble);
      shape.Paint(canvas, {});
    }
    TfrxLineView line;
    line.SetDiagonal(true);
    line.SetArrowEnd(true);
    line.SetArrowSolid(true);
    line.SetArrowWidth(2000000000);
    line.SetBounds(30, 30, size, -size);
    line.Frame()->SetWidth(1e12);
    line.Paint(canvas, {});
  }
  EXPECT_FALSE(isWhite(image, 20, 20));
}
