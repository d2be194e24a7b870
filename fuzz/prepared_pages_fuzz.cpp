// Fuzzing the prepared-report reader: any input must load (perhaps partly)
// or be refused with an error, and then every page must build, tell its size
// and draw, never crash, hang or allocate without bound.

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/run/install.h"

using namespace valmoro::report;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "prepared_pages_fuzz";
  static char* argv[] = {name, nullptr};
  static bool platform = qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: a function-static application would go after what it
  // depends on at exit and end every run with a crash.
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
  // The report's engine and run lifecycle, as the program installs them.
  static const bool installed = (installReportSubsystem(), true);
  (void)installed;
  (void)platform;

  QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer input(&bytes);
  input.open(QIODevice::ReadOnly);
  TfrxReport report;
  report.SetNoPumping(true);
  TfrxPreviewPages& pages = report.PreviewPages();
  try {
    pages.LoadFromStream(input);
  } catch (const ReportError&) {
    return 0;
  }
  // A small bitmap: the drawing must cope with any sizes the file names.
  QImage image(64, 64, QImage::Format_RGB32);
  for (int i = 0; i < pages.Count() && i < 20; ++i) {
    try {
      (void)pages.PageSize(i);
      if (!pages.Page(i)) continue;
      image.fill(Qt::white);
      valmoro::gfx::PainterCanvas canvas(image, 96);
      pages.DrawPage(i, canvas, 0.1, 0.1, 0, 0);
    } catch (const ReportError&) {
    }
  }
  // What loaded also saves and loads again.
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  pages.SaveToStream(out);
  TfrxReport again;
  QBuffer second(&out.buffer());
  second.open(QIODevice::ReadOnly);
  try {
    again.PreviewPages().LoadFromStream(second);
  } catch (const ReportError&) {
    std::abort();  // our own output must read
  }
  if (again.PreviewPages().Count() != pages.Count()) std::abort();
  return 0;
}
