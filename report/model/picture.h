#pragma once
// A picture held by a report object: the graphic's kind ("TBitmap",
// "TJPEGImage", "TPngImage", "TMetafile", "TIcon") and its bytes.
//
// Bitmaps, JPEG and PNG pictures hold their file and decode it; other kinds
// are kept as the bytes their documents carry after the kind's name (a
// metafile with its size in front, an icon file) and written back unchanged.
// In documents a picture is one binary item "Data" of its property data:
// a length byte and the kind's name, then the graphic (bitmap and JPEG files
// with their 4-byte size in front, a PNG file as it is).

#include <QByteArray>
#include <QImage>

#include "report/model/persistent.h"

namespace valmoro::report {

class ReportPicture : public Persistent {
  Q_OBJECT
public:
  explicit ReportPicture(QObject* owner = nullptr) : Persistent(owner) {}

  bool IsEmpty() const { return data_.isEmpty(); }
  QString GraphicClass() const { return graphicClass_; }
  const QByteArray& Data() const { return data_; }
  void SetGraphic(const QString& graphicClass, const QByteArray& data);
  // A picture file whose kind is told by its first bytes (BMP, JPEG, PNG,
  // icon, enhanced or placeable metafile); false, and no change, for others.
  bool LoadFromData(const QByteArray& file);
  void Clear();

  // The decoded picture; null for kinds kept as bytes and for data that
  // cannot be decoded.
  QImage Image() const;

  void Assign(const ReportPicture& source);
  bool operator==(const ReportPicture& other) const;

  void WriteExtraData(stream::ComponentWriter& out) const override;
  // A picture that cannot be decoded stays empty and fails with ReportError.
  bool ReadExtraData(const QString& name, stream::ComponentReader& in) override;
  void ClearExtraData() override { Clear(); }

private:
  QString graphicClass_;
  QByteArray data_;
  mutable QImage image_;
  mutable bool decoded_ = false;
};

}  // namespace valmoro::report
