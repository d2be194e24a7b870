#include "report/model/picture.h"

#include "platform/component_stream.h"
#include "report/model/picture_data.h"
#include "report/model/report_error.h"

namespace valmoro::report {

namespace {

const QString kBitmap = QStringLiteral("TBitmap");
const QString kJpeg = QStringLiteral("TJPEGImage");
const QString kPng = QStringLiteral("TPngImage");
const QString kMetafile = QStringLiteral("TMetafile");

// Kinds whose file goes into documents behind a 4-byte size.
bool hasSizePrefix(const QString& graphicClass) { return graphicClass == kBitmap || graphicClass == kJpeg; }

void appendSize(QByteArray& bytes, quint32 size) {
  for (int i = 0; i < 4; ++i) bytes.append(char((size >> (8 * i)) & 0xFF));
}

quint32 sizeAt(const QByteArray& bytes, qsizetype at) {
  quint32 size = 0;
  for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<quint8>(bytes[at + i]);
  return size;
}

[[noreturn]] void damaged(const QString& graphicClass, const QString& reason) {
  const QString what = graphicClass.isEmpty() ? QString() : QLatin1Char(' ') + graphicClass;
  throw ReportError(QStringLiteral("Nieprawidłowe dane obrazu%1: %2").arg(what, reason));
}

QImage decode(const QString& graphicClass, const QByteArray& data, QString* error) {
  if (graphicClass == kBitmap) return pictures::decodeBmp(data, error);
  if (graphicClass == kJpeg) return pictures::decodeJpeg(data, error);
  if (graphicClass == kPng) return pictures::decodePng(data, error);
  return {};
}

}  // namespace

void ReportPicture::SetGraphic(const QString& graphicClass, const QByteArray& data) {
  graphicClass_ = data.isEmpty() ? QString() : graphicClass;
  data_ = data;
  image_ = QImage();
  decoded_ = false;
}

bool ReportPicture::LoadFromData(const QByteArray& file) {
  const QString graphicClass = pictures::graphicClassOf(file);
  if (graphicClass.isEmpty()) return false;
  if (graphicClass == kMetafile) {
    // Documents keep a metafile behind a size that counts itself.
    QByteArray data;
    appendSize(data, quint32(file.size() + 4));
    SetGraphic(graphicClass, data + file);
  } else {
    SetGraphic(graphicClass, file);
  }
  return true;
}

void ReportPicture::Clear() { SetGraphic(QString(), QByteArray()); }

QImage ReportPicture::Image() const {
  if (!decoded_) {
    image_ = decode(graphicClass_, data_, nullptr);
    decoded_ = true;
  }
  return image_;
}

void ReportPicture::Assign(const ReportPicture& source) {
  graphicClass_ = source.graphicClass_;
  data_ = source.data_;
  image_ = source.image_;
  decoded_ = source.decoded_;
}

bool ReportPicture::operator==(const ReportPicture& other) const {
  return graphicClass_ == other.graphicClass_ && data_ == other.data_;
}

void ReportPicture::WriteExtraData(stream::ComponentWriter& out) const {
  if (IsEmpty()) return;
  const QByteArray name = graphicClass_.toUtf8().left(255);
  QByteArray bytes;
  bytes.reserve(data_.size() + name.size() + 5);
  bytes.append(char(name.size()));
  bytes.append(name);
  if (hasSizePrefix(graphicClass_)) appendSize(bytes, quint32(data_.size()));
  bytes.append(data_);
  out.writePropName(QStringLiteral("Data"));
  out.writeBinary(bytes);
}

bool ReportPicture::ReadExtraData(const QString& name, stream::ComponentReader& in) {
  if (name != QLatin1String("Data")) return false;
  const QByteArray bytes = in.readBinary();
  Clear();
  if (bytes.isEmpty()) return true;
  const qsizetype nameSize = static_cast<quint8>(bytes[0]);
  if (1 + nameSize > bytes.size()) damaged(QString(), QStringLiteral("urwana nazwa rodzaju"));
  const QString graphicClass = QString::fromUtf8(bytes.constData() + 1, nameSize);
  QByteArray data = bytes.mid(1 + nameSize);
  if (hasSizePrefix(graphicClass)) {
    if (data.size() < 4) damaged(graphicClass, QStringLiteral("brak rozmiaru"));
    const quint32 size = sizeAt(data, 0);
    if (size > quint64(data.size() - 4)) damaged(graphicClass, QStringLiteral("dane krótsze niż ich rozmiar"));
    data = data.mid(4, size);
  }
  if (data.isEmpty()) return true;
  QString error;
  const QImage image = decode(graphicClass, data, &error);
  if (!error.isEmpty()) damaged(graphicClass, error);
  SetGraphic(graphicClass, data);
  image_ = image;
  decoded_ = true;
  return true;
}

}  // namespace valmoro::report
