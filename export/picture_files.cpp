// Picture files the word-processor export embeds: Windows bitmap files and
// enhanced metafiles that show a bitmap. Both formats are little-endian.

#include <QImage>
#include <QtEndian>

#include "export/ie_matrix.h"

namespace valmoro::exports {

namespace {

class LittleEndianWriter {
public:
  explicit LittleEndianWriter(QByteArray& out) : out_(out) {}
  void u16(quint32 value) {
    out_.append(char(value & 0xFF));
    out_.append(char((value >> 8) & 0xFF));
  }
  void u32(quint32 value) {
    u16(value & 0xFFFF);
    u16(value >> 16);
  }
  void i32(qint32 value) { u32(quint32(value)); }

private:
  QByteArray& out_;
};

constexpr int kInfoHeaderSize = 40;

// BITMAPINFOHEADER and the pixel rows (24 bits, bottom-up, rows padded to
// four bytes).
void appendDib(QByteArray& out, const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB888);
  const int width = image.width();
  const int height = image.height();
  const int stride = (width * 3 + 3) & ~3;
  LittleEndianWriter w(out);
  w.u32(kInfoHeaderSize);
  w.i32(width);
  w.i32(height);
  w.u16(1);
  w.u16(24);
  w.u32(0);  // no compression
  w.u32(quint32(stride * height));
  w.u32(3780);  // 96 dpi in pixels per metre
  w.u32(3780);
  w.u32(0);
  w.u32(0);
  QByteArray row(stride, '\0');
  for (int y = height - 1; y >= 0; --y) {
    const uchar* line = image.constScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = char(line[3 * x + 2]);
      row[3 * x + 1] = char(line[3 * x + 1]);
      row[3 * x + 2] = char(line[3 * x]);
    }
    out.append(row);
  }
}

}  // namespace

QByteArray BitmapFileFromImage(const QImage& image) {
  if (image.isNull()) return QByteArray();
  QByteArray dib;
  appendDib(dib, image);
  QByteArray out;
  LittleEndianWriter w(out);
  out.append("BM");
  w.u32(quint32(14 + dib.size()));
  w.u32(0);
  w.u32(14 + kInfoHeaderSize);
  out.append(dib);
  return out;
}

QByteArray EnhancedMetafileFromImage(const QImage& image, int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  QByteArray dib;
  if (!image.isNull()) appendDib(dib, image);
  const int bitsSize = dib.size() - kInfoHeaderSize;

  constexpr int kHeaderSize = 88;
  constexpr int kStretchFixed = 80;
  constexpr int kEofSize = 20;
  const int stretchSize = image.isNull() ? 0 : kStretchFixed + dib.size();
  const int total = kHeaderSize + stretchSize + kEofSize;

  QByteArray out;
  out.reserve(total);
  LittleEndianWriter w(out);
  // Header: bounds in reference-device pixels, frame in 0.01 mm; the
  // reference device is 960 pixels on 254 mm, exactly 96 per inch.
  w.u32(1);
  w.u32(kHeaderSize);
  w.i32(0);
  w.i32(0);
  w.i32(width - 1);
  w.i32(height - 1);
  w.i32(0);
  w.i32(0);
  w.i32(qRound(width * 2540.0 / 96.0));
  w.i32(qRound(height * 2540.0 / 96.0));
  w.u32(0x464D4520);  // " EMF"
  w.u32(0x10000);
  w.u32(quint32(total));
  w.u32(image.isNull() ? 2 : 3);
  w.u16(1);  // handles: the reserved one
  w.u16(0);
  w.u32(0);  // no description
  w.u32(0);
  w.u32(0);  // no palette
  w.i32(960);
  w.i32(960);
  w.i32(254);
  w.i32(254);

  if (!image.isNull()) {
    // One stretch-DIB record copying the whole bitmap onto the whole area.
    w.u32(81);
    w.u32(quint32(stretchSize));
    w.i32(0);
    w.i32(0);
    w.i32(width - 1);
    w.i32(height - 1);
    w.i32(0);  // destination
    w.i32(0);
    w.i32(0);  // source
    w.i32(0);
    w.i32(image.width());
    w.i32(image.height());
    w.u32(kStretchFixed);                       // info header offset
    w.u32(kInfoHeaderSize);                     // its size
    w.u32(kStretchFixed + kInfoHeaderSize);     // bits offset
    w.u32(quint32(bitsSize));
    w.u32(0);           // DIB_RGB_COLORS
    w.u32(0x00CC0020);  // SRCCOPY
    w.i32(width);
    w.i32(height);
    out.append(dib);
  }

  w.u32(14);  // end of file
  w.u32(kEofSize);
  w.u32(0);
  w.u32(16);
  w.u32(kEofSize);
  return out;
}

}  // namespace valmoro::exports
