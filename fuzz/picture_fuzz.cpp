// Fuzzing the pictures documents carry: any bytes given as a picture file
// are taken as one of the kinds the program knows or refused, decode or
// give no image, and a picture that was taken is written into a document's
// property data and read back the same; never crash or allocate without
// bound (the decoders must refuse wild sizes before allocating).

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "report/model/picture.h"
#include "report/model/picture_data.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

using namespace valmoro::report;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QString folder;
  if (!valmoro::fuzz::wantSeeds(&folder)) return 0;
  QImage image(7, 5, QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgba(x * 30, y * 40, 200, 128 + x));
  for (const char* format : {"PNG", "JPEG", "BMP", "ICO"}) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (image.save(&out, format)) valmoro::fuzz::writeSeed(folder, QString::fromLatin1(format).toLower(), out.data());
  }
  QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  if (gray.save(&out, "PNG")) valmoro::fuzz::writeSeed(folder, QStringLiteral("gray.png"), out.data());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  valmoro::fuzz::startOnce("picture_fuzz");
  static const bool installed = (installReportSubsystem(), true);
  (void)installed;
  const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
  // Each decoder on its own, whatever the bytes are.
  QString error;
  (void)pictures::decodeBmp(file, &error);
  (void)pictures::decodeJpeg(file, &error);
  (void)pictures::decodePng(file, &error);
  (void)pictures::graphicClassOf(file);

  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  page->SetName(QStringLiteral("Page1"));
  auto* view = new TfrxPictureView(page);
  view->SetName(QStringLiteral("Obraz"));
  if (!view->Picture()->LoadFromData(file)) return 0;
  (void)view->Picture()->Image();

  // Through a document and back.
  QBuffer saved;
  saved.open(QIODevice::WriteOnly);
  try {
    writeReportDocument(report, saved);
  } catch (const ReportError&) {
    std::abort();  // a picture that was taken must save
  }
  TfrxReport again;
  QBuffer input(&saved.buffer());
  input.open(QIODevice::ReadOnly);
  if (!readReportDocument(again, input)) std::abort();  // and read back
  auto* back = qobject_cast<TfrxPictureView*>(again.FindObject(QStringLiteral("Obraz")));
  if (!back || !(*back->Picture() == *view->Picture())) std::abort();
  return 0;
}
