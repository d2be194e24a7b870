#pragma once
// A picture held by a report object: the graphic's kind ("TBitmap",
// "TJPEGImage", "TPngImage", "TMetafile", "TIcon") and its file bytes, kept
// as they were read so that documents are written back unchanged.
//
// Hook: decoding the bytes into an image and the picture's entry in the
// document's extra data come with the document format.

#include <QByteArray>

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
  void Clear();

  void Assign(const ReportPicture& source);
  bool operator==(const ReportPicture& other) const;

private:
  QString graphicClass_;
  QByteArray data_;
};

}  // namespace valmoro::report
