#pragma once
// Decoding of the pictures report objects hold: BMP through Qt's reader, JPEG
// with libjpeg, PNG with libpng. Damaged data gives an error text, never a
// crash; pictures beyond kMaxPicturePixels are refused rather than
// allocated.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace valmoro::report::pictures {

inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// A null image and the reason in *error when the data cannot be decoded.
QImage decodeBmp(const QByteArray& file, QString* error = nullptr);
QImage decodeJpeg(const QByteArray& file, QString* error = nullptr);
QImage decodePng(const QByteArray& file, QString* error = nullptr);

// The graphic class a file's first bytes say it is: "TBitmap", "TJPEGImage",
// "TPngImage", "TIcon", "TMetafile" (enhanced or placeable Windows
// metafile); empty when none.
QString graphicClassOf(const QByteArray& file);

}  // namespace valmoro::report::pictures
