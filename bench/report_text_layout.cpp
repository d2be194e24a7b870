// How fast text views measure and draw themselves: the height of one-line
// texts (Arial 10 pt, 5 to 40 characters), the height of paragraphs that
// wrap into five lines, and a full A4 page of 300 text views drawn on a
// 96-dpi picture.
//
// Usage: bench_report_text_layout
// Prints plain "name: value" lines; the figures are the best of three runs.
// Exit status 1 when a figure misses its target.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

#if __has_include("platform/painter_canvas.h")
#include "platform/painter_canvas.h"
#define VALMORO_HAVE_PAINTER_CANVAS 1
#endif

using namespace valmoro;
using namespace valmoro::report;

namespace {

constexpr double kOneLineTarget = 500000;  // CalcHeight calls per second
constexpr double kParagraphTarget = 50000;
constexpr double kPageTargetMs = 10;

const QString kWords = QStringLiteral(
    "Temperatura w punkcie pomiarowym przekroczyła dopuszczalny zakres, wilgotność względna pozostała "
    "w normie przez cały okres pomiarów wykonanych przez operatora zmiany porannej i popołudniowej "
    "zgodnie z harmonogramem kontroli magazynu oraz rampy załadunkowej.");

// Calls per second of CalcHeight over the views, round robin.
double heightsPerSecond(std::vector<TfrxMemoView*>& views, int calls, double* checksum) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    double sum = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i) sum += views[size_t(i) % views.size()]->CalcHeight();
    best = std::max(best, calls / (timer.nsecsElapsed() / 1e9));
    *checksum = sum;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  band->SetHeight(1000);

  // One-line texts of 5 to 40 characters in views wide enough for them.
  std::vector<TfrxMemoView*> oneLine;
  for (int length = 5; length <= 40; ++length) {
    auto* view = new TfrxMemoView(band);  // the band owns it
    view->SetBounds(0, 0, 400, 18);
    view->SetText(kWords.left(length));
    oneLine.push_back(view);
  }
  double checksum = 0;
  const double single = heightsPerSecond(oneLine, 2000000, &checksum);
  std::printf("calc_height_one_line_per_second: %.0f (target %.0f, checksum %.0f)\n", single, kOneLineTarget,
              checksum);

  // Paragraphs that wrap into five lines of about 50 characters.
  std::vector<TfrxMemoView*> paragraphs;
  for (int shift = 0; shift < 8; ++shift) {
    auto* view = new TfrxMemoView(band);  // the band owns it
    view->SetBounds(0, 0, 350, 80);
    view->SetText(kWords.mid(shift * 3, 230));
    paragraphs.push_back(view);
  }
  const double fiveLineHeight = paragraphs.front()->CalcHeight();
  const double wrapped = heightsPerSecond(paragraphs, 300000, &checksum);
  std::printf("calc_height_five_lines_per_second: %.0f (target %.0f, height %.0f, checksum %.0f)\n", wrapped,
              kParagraphTarget, fiveLineHeight, checksum);
  bool ok = single >= kOneLineTarget && wrapped >= kParagraphTarget && fiveLineHeight == 78;

#ifdef VALMORO_HAVE_PAINTER_CANVAS
  // A4 at 96 dpi: 794 × 1123 pixels; 300 views of 10-point text in 5
  // columns of 60 rows.
  std::vector<TfrxMemoView*> pageViews;
  for (int i = 0; i < 300; ++i) {
    auto* view = new TfrxMemoView(band);  // the band owns it
    view->SetBounds(10 + (i % 5) * 155, 10 + (i / 5) * 18, 150, 18);
    view->SetText(kWords.mid((i * 7) % 150, 8 + i % 17));
    view->SetHAlign(i % 4 == 1 ? haRight : i % 4 == 2 ? haCenter : haLeft);
    pageViews.push_back(view);
  }
  QImage image(794, 1123, QImage::Format_RGB32);
  double bestMs = 1e9;
  for (int run = 0; run < 5; ++run) {
    image.fill(Qt::white);
    QElapsedTimer timer;
    timer.start();
    {
      gfx::PainterCanvas canvas(image, 96);
      for (TfrxMemoView* view : pageViews) view->Paint(canvas, PaintContext{});
    }
    bestMs = std::min(bestMs, timer.nsecsElapsed() / 1e6);
  }
  std::printf("draw_page_300_views_ms: %.2f (target %.0f)\n", bestMs, kPageTargetMs);
  if (argc > 1) image.save(QString::fromLocal8Bit(argv[1]));
  ok = ok && bestMs < kPageTargetMs;
#else
  std::printf("draw_page_300_views_ms: not measured (no painter canvas in this build)\n");
#endif
  return ok ? 0 : 1;
}
