#include "report/model/picture_data.h"

#include <QBuffer>
#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace valmoro::report::pictures {

namespace {

void fail(QString* error, const QString& text) {
  if (error) *error = text;
}

bool tooLarge(qint64 width, qint64 height) {
  return width <= 0 || height <= 0 || width * height > kMaxPicturePixels;
}

// --- JPEG ---------------------------------------------------------------------
// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the setjmp of the step that was running. Each step below is
// a function of its own with nothing but plain data in its frame.

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

bool jpegStart(jpeg_decompress_struct* info, JpegError* error, const unsigned char* data, unsigned long size) {
  if (setjmp(error->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, data, size);
  jpeg_read_header(info, TRUE);
  // Gray, YCbCr and RGB come out as 32-bit pixels; CMYK stays CMYK.
  const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
#else
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_XRGB;
#endif
  jpeg_calc_output_dimensions(info);
  return true;
}

bool jpegRead(jpeg_decompress_struct* info, JpegError* error, unsigned char* bits, qsizetype bytesPerLine) {
  if (setjmp(error->jump)) return false;
  jpeg_start_decompress(info);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = bits + qsizetype(info->output_scanline) * bytesPerLine;
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  return true;
}

// Adobe's CMYK JPEGs store the values inverted; others do not.
void cmykToRgb(QImage& image, bool inverted) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const auto* bytes = reinterpret_cast<const unsigned char*>(line);
    for (int x = 0; x < image.width(); ++x) {
      int c = bytes[4 * x], m = bytes[4 * x + 1], ye = bytes[4 * x + 2], k = bytes[4 * x + 3];
      if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
      line[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
    }
  }
}

}  // namespace

QImage decodeJpeg(const QByteArray& file, QString* error) {
  jpeg_decompress_struct info;
  JpegError jerr;
  std::memset(&info, 0, sizeof info);
  std::memset(&jerr, 0, sizeof jerr);
  info.err = jpeg_std_error(&jerr.manager);
  jerr.manager.error_exit = jpegErrorExit;
  jerr.manager.emit_message = jpegSilence;
  const auto* data = reinterpret_cast<const unsigned char*>(file.constData());
  if (file.isEmpty() || !jpegStart(&info, &jerr, data, static_cast<unsigned long>(file.size()))) {
    fail(error, file.isEmpty() ? QStringLiteral("brak danych") : QString::fromLocal8Bit(jerr.message));
    jpeg_destroy_decompress(&info);
    return {};
  }
  if (tooLarge(info.output_width, info.output_height)) {
    fail(error, QStringLiteral("obraz %1 × %2 jest za duży").arg(info.output_width).arg(info.output_height));
    jpeg_destroy_decompress(&info);
    return {};
  }
  QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
  if (image.isNull()) {
    fail(error, QStringLiteral("za mało pamięci"));
    jpeg_destroy_decompress(&info);
    return {};
  }
  const bool cmyk = info.out_color_space == JCS_CMYK;
  const bool inverted = info.saw_Adobe_marker;
  const bool ok = jpegRead(&info, &jerr, image.bits(), image.bytesPerLine());
  if (!ok) fail(error, QString::fromLocal8Bit(jerr.message));
  jpeg_destroy_decompress(&info);
  if (!ok) return {};
  if (cmyk) cmykToRgb(image, inverted);
  return image;
}

// --- PNG ----------------------------------------------------------------------

QImage decodePng(const QByteArray& file, QString* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, file.constData(), size_t(file.size()))) {
    fail(error, QString::fromLocal8Bit(png.message));
    png_image_free(&png);
    return {};
  }
  if (tooLarge(png.width, png.height)) {
    fail(error, QStringLiteral("obraz %1 × %2 jest za duży").arg(png.width).arg(png.height));
    png_image_free(&png);
    return {};
  }
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
  png.format = PNG_FORMAT_BGRA;
#else
  png.format = PNG_FORMAT_ARGB;
#endif
  QImage image(int(png.width), int(png.height), QImage::Format_ARGB32);
  if (image.isNull()) {
    fail(error, QStringLiteral("za mało pamięci"));
    png_image_free(&png);
    return {};
  }
  if (!png_image_finish_read(&png, nullptr, image.bits(), png_int_32(image.bytesPerLine()), nullptr)) {
    fail(error, QString::fromLocal8Bit(png.message));
    png_image_free(&png);
    return {};
  }
  return image;
}

// --- BMP ----------------------------------------------------------------------

QImage decodeBmp(const QByteArray& file, QString* error) {
  if (!file.startsWith("BM")) {
    fail(error, QStringLiteral("brak nagłówka BM"));
    return {};
  }
  QBuffer buffer;
  buffer.setData(file);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  const QSize size = reader.size();
  if (size.isValid() && tooLarge(size.width(), size.height())) {
    fail(error, QStringLiteral("obraz %1 × %2 jest za duży").arg(size.width()).arg(size.height()));
    return {};
  }
  QImage image = reader.read();
  if (image.isNull()) fail(error, reader.errorString());
  return image;
}

QString graphicClassOf(const QByteArray& file) {
  if (file.startsWith("BM")) return QStringLiteral("TBitmap");
  if (file.startsWith("\xFF\xD8")) return QStringLiteral("TJPEGImage");
  if (file.startsWith("\x89PNG\r\n\x1A\n")) return QStringLiteral("TPngImage");
  if (file.startsWith(QByteArray("\x00\x00\x01\x00", 4))) return QStringLiteral("TIcon");
  if (file.size() >= 44 && file.startsWith(QByteArray("\x01\x00\x00\x00", 4)) && file.mid(40, 4) == " EMF")
    return QStringLiteral("TMetafile");
  if (file.startsWith("\xD7\xCD\xC6\x9A")) return QStringLiteral("TMetafile");
  return {};
}

}  // namespace valmoro::report::pictures
