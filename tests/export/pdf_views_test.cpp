// Report views drawn into a PDF page look like the same views drawn by the
// preview: the page rendered by a real reader (pdftoppm) is compared pixel
// by pixel with our own rendering, allowing for anti-aliasing.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "export/pdf_canvas.h"
#include "export/pdf_document.h"
#include "pdf_reader_support.h"
#include "platform/painter_canvas.h"
#include "report/model/frame.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture.h"
#include "report/model/picture_view.h"
#include "report/model/report_font.h"
#include "report/model/shape_view.h"

namespace valmoro::pdf {
namespace {

using namespace valmoro::report;
using pdftest::runTool;

constexpr double kScale = 600.0 / 96.0;
// A page of 400 × 300 report pixels.
constexpr int kPageW = 400, kPageH = 300;

struct Scene {
  std::vector<std::unique_ptr<TfrxView>> views;
  void paint(gfx::Canvas& canvas, double scale) {
    for (auto& view : views) view->Paint(canvas, {.scaleX = scale, .scaleY = scale});
  }
};

TfrxMemoView* addMemo(Scene& scene, double x, double y, double w, double h, const QString& text, TfrxHAlign align) {
  auto memo = std::make_unique<TfrxMemoView>();
  memo->SetBounds(x, y, w, h);
  memo->SetText(text);
  memo->SetHAlign(align);
  memo->Font()->SetName(QStringLiteral("Arial"));
  memo->Font()->SetSize(10);
  memo->Frame()->SetTyp(TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
  auto* raw = memo.get();
  scene.views.push_back(std::move(memo));
  return raw;
}

Scene makeScene() {
  Scene scene;
  addMemo(scene, 20, 20, 170, 40, QStringLiteral("Zażółć gęślą jaźń, temperatura 21,5 °C"), haLeft);
  auto* right = addMemo(scene, 200, 20, 170, 40, QStringLiteral("Wilgotność względna 45 %"), haRight);
  right->SetColor(0xE0FFE0);
  auto* centred = addMemo(scene, 20, 70, 350, 24, QStringLiteral("ŚREDNIA MIESIĘCZNA"), haCenter);
  centred->Font()->SetStyle(TFontStyles(fsBold));
  centred->Frame()->SetWidth(2);

  auto shape = std::make_unique<TfrxShapeView>();
  shape->SetBounds(20, 110, 100, 60);
  shape->SetShape(skRectangle);
  shape->SetBrushStyle(bsCross);
  shape->SetColor(0xFFFFFF);
  scene.views.push_back(std::move(shape));

  auto ellipse = std::make_unique<TfrxShapeView>();
  ellipse->SetBounds(140, 110, 100, 60);
  ellipse->SetShape(skEllipse);
  ellipse->SetColor(0x80C0FF);
  ellipse->Frame()->SetWidth(2);
  scene.views.push_back(std::move(ellipse));

  auto line = std::make_unique<TfrxLineView>();
  line->SetBounds(260, 120, 110, 40);
  line->SetDiagonal(true);
  line->SetArrowEnd(true);
  line->SetArrowSolid(true);
  scene.views.push_back(std::move(line));

  // A picture: a red and blue checkerboard stretched into its box.
  QImage image(8, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) image.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  auto picture = std::make_unique<TfrxPictureView>();
  picture->SetBounds(20, 190, 80, 80);
  picture->SetStretched(true);
  picture->Picture()->LoadFromData(png);
  scene.views.push_back(std::move(picture));

  auto* block = addMemo(scene, 120, 190, 250, 80,
                        QStringLiteral("Pomiary z czujników zapisane w dzienniku są wyrównane do obu krawędzi, "
                                       "a wiersze łamią się dokładnie tak jak w podglądzie wydruku."),
                        haBlock);
  block->Frame()->SetTyp(TfrxFrameTypes(ftBottom));
  return scene;
}

// Share of pixels that differ clearly, away from edges (anti-aliasing
// moves edges by a pixel): a pixel counts when no pixel within one step in
// the other image is close to it.
double differingShare(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  const int w = std::min(x.width(), y.width()), h = std::min(x.height(), y.height());
  const auto close = [](QRgb p, QRgb q) {
    return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) < 150;
  };
  long long bad = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      bool found = false;
      for (int dj = -1; dj <= 1 && !found; ++dj)
        for (int di = -1; di <= 1 && !found; ++di) {
          const int u = i + di, v = j + dj;
          if (u >= 0 && v >= 0 && u < w && v < h) found = close(x.pixel(i, j), y.pixel(u, v));
        }
      if (!found) ++bad;
    }
  return double(bad) / (double(w) * h);
}

Scene makeSecondScene() {
  Scene scene;
  auto* rotated = addMemo(scene, 20, 20, 30, 260, QStringLiteral("Obrócony tekst – ŻÓŁW"), haCenter);
  rotated->SetRotation(90);
  auto* underlined = addMemo(scene, 70, 20, 300, 30, QStringLiteral("Podkreślony i przekreślony"), haLeft);
  underlined->Font()->SetStyle(TFontStyles(fsUnderline));
  underlined->Frame()->SetStyle(fsDash);
  auto* struck = addMemo(scene, 70, 60, 300, 30, QStringLiteral("Przekreślony, kursywa"), haRight);
  struck->Font()->SetStyle(TFontStyles(fsStrikeOut | fsItalic));
  struck->Frame()->SetDropShadow(true);
  struck->Frame()->SetShadowWidth(4);
  auto* big = addMemo(scene, 70, 110, 300, 60, QStringLiteral("Duży 20 pt"), haCenter);
  big->Font()->SetSize(20);
  big->Font()->SetName(QStringLiteral("Times New Roman"));
  big->SetVAlign(vaCenter);
  big->Frame()->SetStyle(fsDouble);
  big->Frame()->SetWidth(2);
  auto diamond = std::make_unique<TfrxShapeView>();
  diamond->SetBounds(70, 190, 120, 80);
  diamond->SetShape(skDiamond);
  diamond->SetBrushStyle(bsFDiagonal);
  scene.views.push_back(std::move(diamond));
  auto triangle = std::make_unique<TfrxShapeView>();
  triangle->SetBounds(220, 190, 120, 80);
  triangle->SetShape(skTriangle);
  triangle->SetColor(0x00C000);
  scene.views.push_back(std::move(triangle));
  return scene;
}

// Draws a scene into a one-page PDF and into a 96-dpi bitmap of ours; the
// share of clearly differing pixels of the reader's rendering.
double compareScene(const std::function<Scene()>& make, const QString& name, QString* pathOut = nullptr) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(name + ".pdf");
  if (pathOut) *pathOut = path;
  {
    Scene scene = make();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    PdfDocument document(file, true);
    PdfCanvas& canvas = document.beginPage(kPageW * 0.75, kPageH * 0.75);
    scene.paint(canvas, kScale);
    document.endPage();
    document.finish({}, {});
  }
  EXPECT_EQ(runTool("qpdf", {"--check", path}).exitCode, 0);
  QImage ours(kPageW, kPageH, QImage::Format_RGB32);
  ours.fill(Qt::white);
  {
    Scene scene = make();
    gfx::PainterCanvas canvas(ours, 96, gfx::DeviceKind::Bitmap);
    scene.paint(canvas, 1);
  }
  const auto render = runTool("pdftoppm", {"-r", "96", "-png", "-singlefile", path, dir.filePath(name)});
  EXPECT_EQ(render.exitCode, 0) << render.err.toStdString();
  const QImage theirs(dir.filePath(name + ".png"));
  EXPECT_EQ(theirs.size(), ours.size());
  if (qEnvironmentVariableIsSet("VALMORO_KEEP_RENDERS")) {
    ours.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/" + name + "_ours.png");
    theirs.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/" + name + "_theirs.png");
  }
  return theirs.isNull() ? 1 : differingShare(ours, theirs);
}

TEST(PdfViews, RotatedUnderlinedShadowedAndShapesMatchOurRendering) {
  EXPECT_LT(compareScene(makeSecondScene, "second"), 0.01);
}

TEST(PdfViews, PageRenderedByAReaderMatchesOurOwnRendering) {
  QTemporaryDir dir;
  const QString path = dir.filePath("views.pdf");
  {
    Scene scene = makeScene();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    PdfDocument document(file, true);
    PdfCanvas& canvas = document.beginPage(kPageW * 0.75, kPageH * 0.75);
    scene.paint(canvas, kScale);
    document.endPage();
    document.finish({}, {});
  }
  ASSERT_EQ(runTool("qpdf", {"--check", path}).exitCode, 0);

  QImage ours(kPageW, kPageH, QImage::Format_RGB32);
  ours.fill(Qt::white);
  {
    Scene scene = makeScene();
    gfx::PainterCanvas canvas(ours, 96, gfx::DeviceKind::Bitmap);
    scene.paint(canvas, 1);
  }
  const auto render = runTool("pdftoppm", {"-r", "96", "-png", "-singlefile", path, dir.filePath("views")});
  ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
  const QImage theirs(dir.filePath("views.png"));
  ASSERT_FALSE(theirs.isNull());
  EXPECT_EQ(theirs.size(), ours.size());
  if (qEnvironmentVariableIsSet("VALMORO_KEEP_RENDERS")) {
    ours.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/ours.png");
    theirs.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/theirs.png");
  }
  EXPECT_LT(differingShare(ours, theirs), 0.01);
  // Texts come out as text, in reading order.
  const QString text =
      runTool("pdftotext", {"-enc", "UTF-8", "-x", "0", "-y", "0", "-W", "140", "-H", "48", path, "-"}).out.simplified();
  EXPECT_EQ(text, QStringLiteral("Zażółć gęślą jaźń, temperatura 21,5 °C"));
  // Justified lines keep their words apart.
  const QString all = runTool("pdftotext", {"-enc", "UTF-8", path, "-"}).out.simplified();
  EXPECT_TRUE(all.contains(QStringLiteral("Pomiary z czujników zapisane w dzienniku są wyrównane do obu krawędzi,")))
      << all.toStdString();
}

TEST(PdfViews, JpegPicturesAreEmbeddedUnchangedAndOthersOnce) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(qRgb(10, 120, 200));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 80);

  QTemporaryDir dir;
  const QString path = dir.filePath("jpeg.pdf");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    PdfDocument document(file, true);
    for (int page = 0; page < 3; ++page) {
      PdfCanvas& canvas = document.beginPage(300, 300);
      TfrxPictureView view;
      view.SetBounds(10, 10, 200, 150);
      view.Picture()->LoadFromData(jpeg);
      canvas.setJpegSource(view.Picture()->Data(), view.Picture()->Image().size());
      view.Paint(canvas, {.scaleX = kScale, .scaleY = kScale});
      canvas.clearJpegSource();
      document.endPage();
    }
    document.finish({}, {});
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  // One image object for three pages, holding the JPEG file itself.
  EXPECT_EQ(bytes.count("/Subtype /Image"), 1);
  EXPECT_TRUE(bytes.contains("/Filter /DCTDecode"));
  EXPECT_TRUE(bytes.contains(jpeg));
  const auto images = runTool("pdfimages", {"-list", path});
  EXPECT_EQ(images.out.count(" jpeg "), 3) << images.out.toStdString();
}

}  // namespace
}  // namespace valmoro::pdf
