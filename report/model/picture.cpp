#include "report/model/picture.h"

namespace valmoro::report {

void ReportPicture::SetGraphic(const QString& graphicClass, const QByteArray& data) {
  graphicClass_ = data.isEmpty() ? QString() : graphicClass;
  data_ = data;
}

void ReportPicture::Clear() { SetGraphic(QString(), QByteArray()); }

void ReportPicture::Assign(const ReportPicture& source) {
  graphicClass_ = source.graphicClass_;
  data_ = source.data_;
}

bool ReportPicture::operator==(const ReportPicture& other) const {
  return graphicClass_ == other.graphicClass_ && data_ == other.data_;
}

}  // namespace valmoro::report
