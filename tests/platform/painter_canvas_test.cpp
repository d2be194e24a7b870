#include "platform/painter_canvas.h"

#include <gtest/gtest.h>

#include <QPicture>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "platform/fonts.h"
#include "platform/recording_canvas.h"

namespace gfx = valmoro::gfx;
namespace fonts = valmoro::fonts;

namespace {

constexpr gfx::Color kRed = gfx::rgb(255, 0, 0);
constexpr gfx::Color kBlue = gfx::rgb(0, 0, 255);

QImage blank(int w = 40, int h = 40, QImage::Format format = QImage::Format_RGB32) {
  QImage image(w, h, format);
  image.fill(Qt::white);
  return image;
}

// The pixels of a region as text, one string per row: '#' black, '.' white,
// 'r' red, 'b' blue, '?' anything else.
std::vector<std::string> picture(const QImage& image, int x0, int y0, int x1, int y1) {
  std::vector<std::string> rows;
  for (int y = y0; y < y1; ++y) {
    std::string row;
    for (int x = x0; x < x1; ++x) {
      const QRgb p = image.pixel(x, y) & 0xFFFFFF;
      row += p == 0x000000 ? '#' : p == 0xFFFFFF ? '.' : p == 0xFF0000 ? 'r' : p == 0x0000FF ? 'b' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

using PixelSet = std::set<std::pair<int, int>>;

// Every pixel of exactly one colour.
PixelSet pixelsOf(const QImage& image, QRgb rgb) {
  PixelSet out;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) out.insert({x, y});
  return out;
}

PixelSet box(int x0, int y0, int x1, int y1) {  // right and bottom exclusive
  PixelSet out;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) out.insert({x, y});
  return out;
}

PixelSet black(const QImage& image) { return pixelsOf(image, 0x000000); }

// The pixels a line draws with the given pen.
PixelSet linePixels(QPoint from, QPoint to, gfx::Pen pen = {}) {
  QImage image = blank();
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setPen(pen);
    canvas.line(from, to);
  }
  return black(image);
}

// Columns (and rows) holding pixels darker than mid grey.
std::vector<int> inkColumns(const QImage& image) {
  std::vector<int> out;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 128) {
        out.push_back(x);
        break;
      }
  return out;
}

std::vector<int> inkRows(const QImage& image) {
  std::vector<int> out;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) {
        out.push_back(y);
        break;
      }
  return out;
}

gfx::Font arial(int height, unsigned style = 0) {
  gfx::Font font;
  font.name = "Arial";
  font.height = height;
  font.style = style;
  return font;
}

}  // namespace

// ------------------------------------------------------------------ capabilities

// What report drawing asks of a surface follows the device it is, for the
// painting backend and for the recording one that stands in for a device.
TEST(CanvasCapabilities, PaperFontResolutionAndRasterFollowTheDevice) {
  struct Expect {
    gfx::DeviceKind kind;
    bool paper, deviceFonts, raster;
  };
  const Expect table[] = {
      {gfx::DeviceKind::Screen, false, false, true},     {gfx::DeviceKind::Bitmap, false, false, true},
      {gfx::DeviceKind::Printer, true, true, false},     {gfx::DeviceKind::Pdf, false, false, false},
      {gfx::DeviceKind::Recording, false, false, false},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(int(e.kind));
    QImage image = blank(4, 4);
    const gfx::PainterCanvas painted(image, 96, e.kind);
    EXPECT_EQ(painted.printsOnPaper(), e.paper);
    EXPECT_EQ(painted.textAtDeviceResolution(), e.deviceFonts);
    EXPECT_EQ(painted.isRaster(), e.raster);
    const gfx::RecordingCanvas recorded(600, e.kind);
    EXPECT_EQ(recorded.printsOnPaper(), e.paper);
    EXPECT_EQ(recorded.textAtDeviceResolution(), e.deviceFonts);
    EXPECT_EQ(recorded.isRaster(), e.raster);
  }
  // A canvas on an outside painter answers for the kind it is given.
  QImage image = blank(4, 4);
  QPainter painter(&image);
  const gfx::PainterCanvas printer(painter, gfx::DeviceKind::Printer, 600, 600);
  EXPECT_TRUE(printer.printsOnPaper());
  EXPECT_FALSE(printer.isRaster());
}

// ------------------------------------------------------------------ fills

TEST(PainterCanvas, FillsCoverExclusiveRightAndBottomEdges) {
  QImage image = blank();
  {
    gfx::PainterCanvas canvas(image, 96);
    EXPECT_EQ(canvas.kind(), gfx::DeviceKind::Bitmap);
    EXPECT_EQ(canvas.dpiX(), 96);
    canvas.setBrush({gfx::clBlack});
    canvas.fillRect({2, 3, 6, 5});
    canvas.setBrush({gfx::clBlack, gfx::BrushStyle::Clear});
    canvas.fillRect({20, 20, 30, 30});  // a clear brush fills nothing
    canvas.setBrush({gfx::clBlack});
    canvas.fillRect({10, 10, 10, 20});  // empty: no column
    canvas.fillRect({12, 12, 11, 20});  // inverted: nothing
  }
  EXPECT_EQ(black(image), box(2, 3, 6, 5));
}

TEST(PainterCanvas, HatchesAreEightPixelCellsAlignedToTheDeviceOrigin) {
  struct Case {
    gfx::BrushStyle style;
    bool (*on)(int x, int y);
  };
  const Case cases[] = {
      {gfx::BrushStyle::Horizontal, [](int, int y) { return y % 8 == 3; }},
      {gfx::BrushStyle::Vertical, [](int x, int) { return x % 8 == 4; }},
      {gfx::BrushStyle::FDiagonal, [](int x, int y) { return (x - y + 64) % 8 == 0; }},
      {gfx::BrushStyle::BDiagonal, [](int x, int y) { return (x + y) % 8 == 7; }},
      {gfx::BrushStyle::Cross, [](int x, int y) { return y % 8 == 3 || x % 8 == 4; }},
      {gfx::BrushStyle::DiagCross, [](int x, int y) { return (x - y + 64) % 8 == 0 || (x + y) % 8 == 7; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.style));
    // Started at an odd place, the pattern still follows the device grid;
    // the gaps keep what was there (transparent) or get the background.
    QImage image = blank();
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setBrush({gfx::clBlack, c.style});
      canvas.fillRect({5, 5, 21, 21});
      canvas.setBackground(kRed);
      canvas.fillRect({21, 5, 37, 21});
    }
    PixelSet expectInk, expectRed;
    for (int y = 5; y < 21; ++y)
      for (int x = 5; x < 37; ++x) {
        if (c.on(x, y))
          expectInk.insert({x, y});
        else if (x >= 21)
          expectRed.insert({x, y});
      }
    EXPECT_EQ(black(image), expectInk);
    EXPECT_EQ(pixelsOf(image, 0xFF0000), expectRed);
  }
}

// ------------------------------------------------------------------ lines

TEST(PainterCanvas, OnePixelLinesLeaveOutTheirEndPoint) {
  EXPECT_EQ(linePixels({2, 2}, {6, 2}), box(2, 2, 6, 3));
  EXPECT_EQ(linePixels({6, 2}, {2, 2}), box(3, 2, 7, 3));
  EXPECT_EQ(linePixels({3, 1}, {3, 5}), box(3, 1, 4, 5));
  EXPECT_EQ(linePixels({3, 5}, {3, 1}), box(3, 2, 4, 6));
  EXPECT_EQ(linePixels({0, 0}, {4, 4}), (PixelSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(linePixels({4, 0}, {0, 4}), (PixelSet{{4, 0}, {3, 1}, {2, 2}, {1, 3}}));
  // The nearest pixel to the exact line; a tie stays on the start's side.
  EXPECT_EQ(linePixels({0, 0}, {4, 1}), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 1}}));
  EXPECT_EQ(linePixels({4, 1}, {0, 0}), (PixelSet{{4, 1}, {3, 1}, {2, 1}, {1, 0}}));
  EXPECT_EQ(linePixels({0, 0}, {1, 3}), (PixelSet{{0, 0}, {0, 1}, {1, 2}}));
  EXPECT_EQ(linePixels({5, 5}, {5, 5}), PixelSet{});
  // Width 0 is the thinnest line, as width 1; a clear pen draws nothing.
  EXPECT_EQ(linePixels({2, 2}, {6, 2}, {gfx::clBlack, 0}), box(2, 2, 6, 3));
  EXPECT_EQ(linePixels({2, 2}, {6, 2}, {gfx::clBlack, 1, gfx::PenStyle::Clear}), PixelSet{});
}

TEST(PainterCanvas, PatternedPensRestartWithEveryLineAndPaintGapsOnlyWithABackground) {
  struct Case {
    gfx::PenStyle style;
    std::string first36;  // pixels 0 … 35 of a line from x = 0
  };
  const Case cases[] = {
      {gfx::PenStyle::Dash, "##################......############"},
      {gfx::PenStyle::Dot, "###...###...###...###...###...###..."},
      {gfx::PenStyle::DashDot, "#########......###......#########..."},
      {gfx::PenStyle::DashDotDot, "#########...###...###...#########..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first36);
    QImage image = blank();
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setPen({gfx::clBlack, 1, c.style});
      canvas.line({0, 1}, {38, 1});
      canvas.line({0, 3}, {38, 3});  // restarts from the beginning
      canvas.setBackground(kRed);
      canvas.line({0, 5}, {36, 5});
    }
    std::string withBackground = c.first36;
    std::replace(withBackground.begin(), withBackground.end(), '.', 'r');
    EXPECT_EQ(picture(image, 0, 1, 36, 2)[0], c.first36);
    EXPECT_EQ(picture(image, 0, 3, 36, 4)[0], c.first36);
    EXPECT_EQ(picture(image, 0, 5, 37, 6)[0], withBackground + ".");
  }
}

TEST(PainterCanvas, PatternContinuesAlongAPolylineAndThroughTheClip) {
  QImage image = blank();
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dash});
    const std::array<QPoint, 3> points{QPoint(0, 0), QPoint(10, 0), QPoint(10, 30)};
    canvas.polyline(points);
    // A clipped line keeps the pattern of the whole line.
    canvas.pushClip({20, 0, 40, 40});
    canvas.line({0, 35}, {40, 35});
    canvas.popClip();
  }
  // 10 pixels along the top, then the column from its top: 8 more on, 6 off, 18 on.
  EXPECT_EQ(picture(image, 0, 0, 12, 1)[0], "###########.");
  std::string column;
  for (int y = 0; y < 31; ++y) column += (qGray(image.pixel(10, y)) == 0 ? '#' : '.');
  EXPECT_EQ(column, "########......################.");
  EXPECT_EQ(picture(image, 0, 35, 40, 36)[0], "........................################");
}

TEST(PainterCanvas, WideSolidLinesAreCentredAndCapped) {
  auto wide = [](QPoint a, QPoint b, int w, gfx::PenCap cap) {
    return linePixels(a, b, {gfx::clBlack, w, gfx::PenStyle::Solid, cap});
  };
  using C = gfx::PenCap;
  // Three pixels: the centre row and one each side; a square cap reaches one
  // pixel past each end, a flat stroke covers its span less the far end.
  EXPECT_EQ(wide({10, 10}, {20, 10}, 3, C::Square), box(9, 9, 22, 12));
  EXPECT_EQ(wide({20, 10}, {10, 10}, 3, C::Square), box(9, 9, 22, 12));
  EXPECT_EQ(wide({10, 10}, {20, 10}, 3, C::Flat), box(10, 9, 20, 12));
  EXPECT_EQ(wide({10, 10}, {10, 20}, 3, C::Square), box(9, 9, 12, 22));
  EXPECT_EQ(wide({10, 20}, {10, 10}, 3, C::Flat), box(9, 10, 12, 20));
  // Two pixels: the centre and the one before it; the square cap reaches one
  // pixel before the start and none past the end.
  EXPECT_EQ(wide({10, 10}, {20, 10}, 2, C::Square), box(9, 9, 21, 11));
  EXPECT_EQ(wide({10, 10}, {10, 20}, 2, C::Flat), box(9, 10, 11, 20));
  EXPECT_EQ(wide({10, 10}, {10, 20}, 4, C::Square), box(8, 8, 12, 22));
  // A top side shortened by 3 div 2 at each end ends flush with a box whose
  // left and right sides are columns 5 and 25.
  EXPECT_EQ(wide({6, 10}, {24, 10}, 3, C::Square), box(5, 9, 26, 12));
  // Round caps: the end columns lose their corners.
  const PixelSet round = wide({10, 10}, {20, 10}, 5, C::Round);
  EXPECT_TRUE(round.count({8, 10}) && round.count({22, 10}));
  EXPECT_FALSE(round.count({8, 8}) || round.count({22, 12}) || round.count({23, 10}));
  for (int x = 10; x <= 20; ++x)
    for (int y = 8; y <= 12; ++y) EXPECT_TRUE(round.count({x, y})) << x << "," << y;
  // A diagonal stroke covers the pixels within half its width of the line.
  const PixelSet diagonal = wide({5, 5}, {30, 30}, 3, C::Flat);
  EXPECT_TRUE(diagonal.count({15, 15}) && diagonal.count({14, 16}) && diagonal.count({16, 14}));
  EXPECT_FALSE(diagonal.count({13, 17}) || diagonal.count({17, 13}));
  for (const auto& [x, y] : diagonal) EXPECT_LE(std::abs(x - y), 2);
}

TEST(PainterCanvas, WidePatternedPensMakeSquaresAndDots) {
  auto draw = [](gfx::PenStyle style, int w, std::optional<gfx::Color> background = std::nullopt) {
    QImage image = blank();
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setBackground(background);
      canvas.setPen({gfx::clBlack, w, style});
      canvas.line({0, 10}, {20, 10});
    }
    return image;
  };
  // Squares w along from the start point and w across, w apart; flat ends.
  const QImage squares = draw(gfx::PenStyle::WideSquare, 3);
  EXPECT_EQ(black(squares), [] {
    PixelSet s = box(0, 9, 3, 12);
    for (const auto& p : box(6, 9, 9, 12)) s.insert(p);
    for (const auto& p : box(12, 9, 15, 12)) s.insert(p);
    for (const auto& p : box(18, 9, 20, 12)) s.insert(p);
    return s;
  }());
  const QImage squaresOnRed = draw(gfx::PenStyle::WideSquare, 3, kRed);
  EXPECT_EQ(pixelsOf(squaresOnRed, 0xFF0000), [] {
    PixelSet s = box(3, 9, 6, 12);
    for (const auto& p : box(9, 9, 12, 12)) s.insert(p);
    for (const auto& p : box(15, 9, 18, 12)) s.insert(p);
    return s;
  }());
  // Round dots of diameter 4 centred every 8 pixels from the start (the
  // first one is cut by the image's edge).
  const QImage dots = draw(gfx::PenStyle::WideAltDot, 4);
  EXPECT_EQ(picture(dots, 0, 8, 20, 12), (std::vector<std::string>{
                                             "#......##......##...",
                                             "##....####....####..",
                                             "##....####....####..",
                                             "#......##......##...",
                                         }));
  // Width 1: one pixel on, one off.
  EXPECT_EQ(picture(draw(gfx::PenStyle::WideSquare, 1), 0, 10, 21, 11)[0], "#.#.#.#.#.#.#.#.#.#..");
  EXPECT_EQ(picture(draw(gfx::PenStyle::WideAltDot, 1, kRed), 0, 10, 21, 11)[0], "#r#r#r#r#r#r#r#r#r#r.");
}

// ------------------------------------------------------------------ figures

TEST(PainterCanvas, RectanglesOutlineAndFillWithinExclusiveEdges) {
  QImage image = blank(20, 16);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setBrush({kRed});
    canvas.rectangle({2, 2, 10, 7});
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Clear});
    canvas.rectangle({12, 2, 16, 5});  // no outline: the whole box is brush
    canvas.setPen({});
    canvas.setBrush({kRed, gfx::BrushStyle::Clear});
    canvas.rectangle({2, 9, 6, 14});  // outline only
  }
  EXPECT_EQ(picture(image, 0, 0, 18, 15), (std::vector<std::string>{
                                              "..................",
                                              "..................",
                                              "..########..rrrr..",
                                              "..#rrrrrr#..rrrr..",
                                              "..#rrrrrr#..rrrr..",
                                              "..#rrrrrr#........",
                                              "..########........",
                                              "..................",
                                              "..................",
                                              "..####............",
                                              "..#..#............",
                                              "..#..#............",
                                              "..#..#............",
                                              "..####............",
                                              "..................",
                                          }));
}

TEST(PainterCanvas, WideAndDottedOutlinesOfRectangles) {
  QImage image = blank(30, 30);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Clear});
    canvas.setPen({gfx::clBlack, 3});
    canvas.rectangle({3, 3, 11, 9});  // one-pixel outline would be columns 3 and 10
    canvas.setPen({gfx::clBlack, 2});  // the centre and the pixel before it
    canvas.rectangle({16, 3, 22, 8});
    // Dots run clockwise from the top-left corner, continuing round the corners.
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dot});
    canvas.rectangle({2, 14, 9, 20});
  }
  EXPECT_EQ(picture(image, 0, 0, 24, 22), (std::vector<std::string>{
                                              "........................",
                                              "........................",
                                              "..##########...#######..",
                                              "..##########...#######..",
                                              "..##########...##...##..",
                                              "..###....###...##...##..",
                                              "..###....###...#######..",
                                              "..##########...#######..",
                                              "..##########............",
                                              "..##########............",
                                              "........................",
                                              "........................",
                                              "........................",
                                              "........................",
                                              "..###...#...............",
                                              "........#...............",
                                              "..#.....#...............",
                                              "..#.....................",
                                              "..#.....................",
                                              ".....###................",
                                              "........................",
                                              "........................",
                                          }));
}

TEST(PainterCanvas, EllipsesAndRoundedRectanglesReachTheirExclusiveEdges) {
  auto draw = [](auto paint) {
    QImage image = blank();
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setBrush({kRed});
      paint(canvas);
    }
    return image;
  };
  for (const gfx::Rect r : {gfx::Rect{3, 4, 23, 14}, gfx::Rect{5, 5, 6, 30}, gfx::Rect{2, 2, 37, 37}}) {
    SCOPED_TRACE(r.right);
    const QImage image = draw([&](gfx::Canvas& c) { c.ellipse(r); });
    const PixelSet outline = black(image);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (const auto& [x, y] : outline) {
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
      // Symmetric about both axes of the box.
      EXPECT_TRUE(outline.count({r.left + r.right - 1 - x, y})) << x << "," << y;
      EXPECT_TRUE(outline.count({x, r.top + r.bottom - 1 - y})) << x << "," << y;
    }
    EXPECT_EQ(minX, r.left);
    EXPECT_EQ(maxX, r.right - 1);
    EXPECT_EQ(minY, r.top);
    EXPECT_EQ(maxY, r.bottom - 1);
    // Each row of the outline holds pixels at both ends only; the inside is brush.
    if (r.width() > 2) {
      EXPECT_FALSE(outline.count({r.left, r.top}));
      const int midY = (r.top + r.bottom) / 2;
      EXPECT_EQ(image.pixel((r.left + r.right) / 2, midY) & 0xFFFFFF, 0xFF0000u);
    }
  }
  // A rounded rectangle with 8 × 8 corner ellipses.
  const QImage rounded = draw([](gfx::Canvas& c) { c.roundRect({0, 0, 12, 10}, 8, 8); });
  EXPECT_EQ(picture(rounded, 0, 0, 13, 11), (std::vector<std::string>{
                                                "..########...",
                                                ".#rrrrrrrr#..",
                                                "#rrrrrrrrrr#.",
                                                "#rrrrrrrrrr#.",
                                                "#rrrrrrrrrr#.",
                                                "#rrrrrrrrrr#.",
                                                "#rrrrrrrrrr#.",
                                                "#rrrrrrrrrr#.",
                                                ".#rrrrrrrr#..",
                                                "..########...",
                                                ".............",
                                            }));
  const QImage small = draw([](gfx::Canvas& c) { c.ellipse({0, 0, 8, 6}); });
  EXPECT_EQ(picture(small, 0, 0, 9, 7), (std::vector<std::string>{
                                            "..####...",
                                            ".#rrrr#..",
                                            "#rrrrrr#.",
                                            "#rrrrrr#.",
                                            ".#rrrr#..",
                                            "..####...",
                                            ".........",
                                        }));
}

TEST(PainterCanvas, PolygonsFillTheirInsideAndOutlineEveryVertex) {
  QImage image = blank(20, 20);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setBrush({kRed});
    const std::array<QPoint, 3> triangle{QPoint(10, 10), QPoint(2, 10), QPoint(6, 2)};
    canvas.polygon(triangle);
  }
  // Inside: centres strictly between the edges. The sides are drawn in the
  // polygon's order, each with ties on its start's side, so they are mirror
  // images only up to those ties.
  EXPECT_EQ(picture(image, 0, 0, 12, 12), (std::vector<std::string>{
                                              "............",
                                              "............",
                                              "......#.....",
                                              ".....##.....",
                                              ".....#r#....",
                                              "....#rr#....",
                                              "....#rrr#...",
                                              "...#rrrr#...",
                                              "...#rrrrr#..",
                                              "..#rrrrrr#..",
                                              "..#########.",
                                              "............",
                                          }));
}

TEST(PainterCanvas, WideSolidPolylinesJoinRoundAndCapTheirEnds) {
  QImage image = blank();
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setPen({gfx::clBlack, 3, gfx::PenStyle::Solid, gfx::PenCap::Flat});
    const std::array<QPoint, 3> points{QPoint(5, 5), QPoint(20, 5), QPoint(20, 20)};
    canvas.polyline(points);
  }
  PixelSet expect = box(5, 4, 20, 7);
  for (const auto& p : box(19, 5, 22, 20)) expect.insert(p);
  for (const auto& p : box(19, 4, 22, 7)) expect.insert(p);  // the 3-pixel round join is its box
  EXPECT_EQ(black(image), expect);
}

// ------------------------------------------------------------------ clipping

TEST(PainterCanvas, ClipsIntersectAndRestore) {
  QImage image = blank(30, 30);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setBrush({gfx::clBlack});
    canvas.pushClip({5, 5, 15, 15});
    canvas.pushClip({10, 0, 30, 30});
    canvas.fillRect({0, 0, 30, 30});
    canvas.popClip();
    canvas.setBrush({kRed});
    canvas.fillRect({0, 0, 30, 7});
    canvas.popClip();
    canvas.popClip();  // one too many: ignored
    canvas.setBrush({kBlue});
    canvas.fillRect({0, 28, 30, 30});
  }
  PixelSet expectBlack = box(10, 7, 15, 15);
  EXPECT_EQ(black(image), expectBlack);
  EXPECT_EQ(pixelsOf(image, 0xFF0000), box(5, 5, 15, 7));
  EXPECT_EQ(pixelsOf(image, 0x0000FF), box(0, 28, 30, 30));
}

TEST(PainterCanvas, HugeFiguresCostOnlyTheirVisiblePart) {
  // Coordinates far outside the bitmap (a zoomed preview) come out exactly
  // as their visible part and without walking the invisible rest.
  QImage image = blank(20, 20);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dot});
    canvas.line({-300000000, 3}, {300000000, 3});  // index 300000000 falls on column 0
    canvas.setPen({});
    canvas.line({5, -200000000}, {5, 200000000});
    canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Clear});
    canvas.ellipse({-100000000, 10, 100000000, 12});
    canvas.setPen({gfx::clBlack, 5});
    canvas.line({-200000000, -199999990}, {200000000, 200000010});
  }
  // The dots keep their phase; the vertical line crosses at column 5.
  EXPECT_EQ(picture(image, 0, 3, 20, 4)[0], "###..####...###...##");
  // The flat ellipse is all outline; the wide diagonal runs along y = x + 10.
  EXPECT_EQ(picture(image, 0, 10, 20, 12), (std::vector<std::string>{"####################", "####################"}));
  EXPECT_EQ(picture(image, 0, 16, 14, 17)[0], "...#######....");  // within 2.5 pixels of (6, 16)
  EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

// ------------------------------------------------------------------ text

TEST(PainterCanvas, TextGlyphsSitAtTheImposedAdvancesOnTheBaseline) {
  QImage image = blank(120, 60);
  const gfx::Font font = arial(-30);
  const auto scaled = fonts::scaled("Arial", false, false, 30);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setFont(font);
    const std::array<int, 3> advances{25, 40, 10};
    canvas.textOut({10, 5}, "III", advances);
  }
  // Three identical stems, each where its advance put it.
  const std::vector<int> columns = inkColumns(image);
  ASSERT_FALSE(columns.empty());
  std::vector<int> starts{columns[0]};
  for (size_t k = 1; k < columns.size(); ++k)
    if (columns[k] != columns[k - 1] + 1) starts.push_back(columns[k]);
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[1] - starts[0], 25);
  EXPECT_EQ(starts[2] - starts[1], 40);
  EXPECT_GE(starts[0], 10);
  EXPECT_LE(starts[0], 10 + scaled->advance(u'I') / 2);
  // The stems stand on the baseline, the ascent below the cell's top.
  const std::vector<int> rows = inkRows(image);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back(), 5 + scaled->ascent() - 1);
  EXPECT_GT(rows.front(), 5);
}

TEST(PainterCanvas, UnderlinedTextEndsExactlyAtTheSumOfItsAdvances) {
  const gfx::Font font = arial(-20, gfx::fsUnderline);
  auto underline = [&](std::span<const int> advances) {
    QImage image = blank(120, 40);
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setFont(font);
      canvas.textOut({7, 4}, "Wal", advances);
    }
    // The underline is the lowest inked row: its columns.
    const int row = inkRows(image).back();
    std::vector<int> cols;
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, row)) < 128) cols.push_back(x);
    return cols;
  };
  const std::array<int, 3> imposed{13, 9, 11};
  const std::vector<int> a = underline(imposed);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a.front(), 7);
  EXPECT_EQ(a.back(), 7 + 13 + 9 + 11 - 1);
  EXPECT_EQ(int(a.size()), 33);
  // Without imposed advances the font's own, the same textAdvances reports.
  QImage scratch = blank(4, 4);
  gfx::PainterCanvas measure(scratch, 96);
  measure.setFont(font);
  const std::vector<int> own = measure.textAdvances("Wal");
  const auto scaled = fonts::scaled("Arial", false, false, 20);
  EXPECT_EQ(own, (std::vector<int>{scaled->advance(u'W'), scaled->advance(u'a'), scaled->advance(u'l')}));
  const std::vector<int> b = underline({});
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(b.back(), 7 + own[0] + own[1] + own[2] - 1);
}

TEST(PainterCanvas, TextTakesTheFontColourAndTheClip) {
  QImage image = blank(100, 40);
  {
    gfx::PainterCanvas canvas(image, 96);
    gfx::Font font = arial(-24);
    font.color = kRed;
    canvas.setFont(font);
    canvas.pushClip({0, 0, 30, 40});
    canvas.textOut({5, 5}, "HHHHHHHH");
    canvas.popClip();
  }
  bool sawRed = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      const QRgb p = image.pixel(x, y);
      if (p == 0xFFFFFFFF) continue;
      EXPECT_LT(x, 30);
      EXPECT_GE(qRed(p), qGreen(p));
      EXPECT_EQ(qGreen(p), qBlue(p));
      sawRed = sawRed || (qRed(p) == 255 && qGreen(p) == 0);
    }
  EXPECT_TRUE(sawRed);
}

TEST(PainterCanvas, TextAtNinetyDegreesRunsUpwardsFromTheOrigin) {
  QImage image = blank(60, 120);
  {
    gfx::PainterCanvas canvas(image, 96);
    gfx::Font font = arial(-20, gfx::fsUnderline);
    font.escapement = 900;
    canvas.setFont(font);
    const std::array<int, 4> advances{15, 15, 15, 15};
    canvas.textOut({20, 100}, "HHHH", advances);
  }
  // All ink right of the origin's column and above its row, within the cell
  // height to the right and the 60 pixels of advance upwards.
  const auto scaled = fonts::scaled("Arial", false, false, 20);
  int minY = 999, maxY = -1;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 60; ++x)
      if (qGray(image.pixel(x, y)) < 128) {
        EXPECT_GE(x, 20);
        EXPECT_LT(x, 20 + scaled->ascent() + scaled->descent());
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  // The underline, the rightmost ink, runs the full 60 pixels up.
  EXPECT_EQ(maxY, 99);
  EXPECT_EQ(minY, 40);
}

TEST(PainterCanvas, SyntheticStylesApplyOnlyWhereTheFileLacksThem) {
  // Liberation Sans has a real bold: the glyphs come from that file, heavier
  // than the regular ones.
  auto inked = [](unsigned style) {
    QImage image = blank(80, 40);
    {
      gfx::PainterCanvas canvas(image, 96);
      canvas.setFont(arial(-24, style));
      canvas.textOut({2, 2}, "lll");
    }
    int n = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 80; ++x) n += qGray(image.pixel(x, y)) < 128;
    return n;
  };
  EXPECT_GT(inked(gfx::fsBold), inked(0));
  EXPECT_TRUE(fonts::resolve("Arial", true, false).bold);
}

// ------------------------------------------------------------------ pictures

TEST(PainterCanvas, PicturesStretchByNearestPixelAndLeaveOutTheTransparentColour) {
  QImage source(2, 2, QImage::Format_RGB32);
  source.setPixel(0, 0, 0xFFFF0000);
  source.setPixel(1, 0, 0xFF000000);
  source.setPixel(0, 1, 0xFF0000FF);
  source.setPixel(1, 1, 0xFF000000);
  QImage image = blank(20, 12);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.drawImage({1, 1, 5, 5}, source);
    canvas.drawImage({7, 1, 10, 4}, source, kRed);  // 3 × 3: columns and rows sample 0, 1, 1
    canvas.pushClip({0, 0, 20, 8});
    canvas.drawImage({12, 6, 16, 10}, source);
    canvas.popClip();
  }
  EXPECT_EQ(picture(image, 0, 0, 17, 10), (std::vector<std::string>{
                                             ".................",
                                             ".rr##...##.......",
                                             ".rr##..b##.......",
                                             ".bb##..b##.......",
                                             ".bb##............",
                                             ".................",
                                             "............rr##.",
                                             "............rr##.",
                                             ".................",
                                             ".................",
                                         }));
}

// ------------------------------------------------------------------ devices

// A scene with every kind of figure, clipped in part.
void drawScene(gfx::Canvas& canvas, bool withPicture) {
  canvas.setBrush({kRed, gfx::BrushStyle::DiagCross});
  canvas.fillRect({1, 1, 30, 12});
  canvas.setBackground(kBlue);
  canvas.setBrush({kRed, gfx::BrushStyle::Cross});
  canvas.ellipse({3, 14, 30, 38});
  canvas.setBackground(std::nullopt);
  canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::DashDot});
  canvas.line({0, 39}, {39, 0});
  canvas.setPen({gfx::clBlack, 3});
  canvas.line({32, 2}, {32, 30});
  canvas.line({20, 3}, {38, 9});
  canvas.setPen({kBlue, 4, gfx::PenStyle::WideAltDot});
  canvas.line({2, 36}, {38, 36});
  canvas.pushClip({0, 0, 36, 30});
  canvas.setBrush({gfx::clBlack});
  canvas.setPen({kBlue, 2});
  canvas.roundRect({28, 20, 40, 34}, 6, 6);
  if (withPicture) {
    QImage source(2, 2, QImage::Format_RGB32);
    source.fill(Qt::red);
    source.setPixel(1, 1, 0xFF0000FF);
    canvas.drawImage({30, 24, 38, 32}, source);
  }
  canvas.popClip();
}

TEST(PainterCanvas, PainterPathDrawsTheSamePixelsAsDirectImageAccess) {
  // A 24-bit image is drawn through QPainter calls, a 32-bit one directly;
  // both must come out the same.
  QImage direct = blank(40, 40, QImage::Format_RGB32);
  QImage painted = blank(40, 40, QImage::Format_RGB888);
  {
    gfx::PainterCanvas canvas(direct, 96);
    drawScene(canvas, true);
  }
  {
    gfx::PainterCanvas canvas(painted, 96);
    drawScene(canvas, true);
  }
  EXPECT_EQ(painted.convertToFormat(QImage::Format_RGB32), direct);
  EXPECT_EQ(direct.pixel(35, 29), 0xFF0000FFu);  // the picture's last pixel, 4 × 4 large, clipped
  EXPECT_EQ(direct.pixel(33, 27), 0xFFFF0000u);

  // A device of no fixed pixel size (as a printer) is recorded and played
  // back: the same pixels again, the picture scaled by the device.
  QPicture recorded;
  {
    gfx::PainterCanvas canvas(recorded, gfx::DeviceKind::Printer, 96);
    drawScene(canvas, true);
  }
  QImage replayed = blank(40, 40);
  {
    QPainter painter(&replayed);
    painter.drawPicture(0, 0, recorded);
  }
  EXPECT_EQ(replayed, direct);
}

TEST(PainterCanvas, TheNoneColourDrawsNothing) {
  QImage image = blank(20, 20);
  {
    gfx::PainterCanvas canvas(image, 96);
    canvas.setBrush({gfx::clNone});
    canvas.setPen({gfx::clNone, 3});
    canvas.rectangle({2, 2, 18, 18});
    canvas.fillRect({2, 2, 18, 18});
    canvas.line({0, 10}, {20, 10});
    canvas.setPen({gfx::clBlack, 1, gfx::PenStyle::Dot});
    canvas.setBackground(gfx::clNone);  // as no background: gaps untouched
    canvas.line({0, 0}, {12, 0});
  }
  EXPECT_EQ(picture(image, 0, 0, 20, 1)[0], "###...###...........");
  EXPECT_EQ(black(image).size(), 6u);
}

TEST(PainterCanvas, AnExternalPainterKeepsItsStateAndItsTransformation) {
  QImage image = blank(40, 40);
  QPainter painter(&image);
  painter.translate(10, 10);
  painter.setPen(Qt::green);
  {
    gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 120);
    EXPECT_EQ(canvas.kind(), gfx::DeviceKind::Screen);
    EXPECT_EQ(canvas.dpiY(), 120);
    canvas.setBrush({gfx::clBlack});
    canvas.fillRect({0, 0, 3, 2});
    canvas.line({0, 5}, {4, 5});
  }
  EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
  EXPECT_EQ(painter.transform(), QTransform::fromTranslate(10, 10));
  painter.end();
  PixelSet expect = box(10, 10, 13, 12);
  for (const auto& p : box(10, 15, 14, 16)) expect.insert(p);
  EXPECT_EQ(black(image), expect);
}

TEST(PainterCanvas, ANullImageTakesEveryCallAndDrawsNothing) {
  QImage none;
  gfx::PainterCanvas canvas(none, 96);
  canvas.setFont(arial(-12));
  drawScene(canvas, true);
  canvas.pushClip({0, 0, 5, 5});
  canvas.textOut({0, 0}, "Raport");
  canvas.popClip();
  EXPECT_TRUE(none.isNull());
  EXPECT_EQ(canvas.textAdvances("ab").size(), 2u);  // measuring needs no surface
}
