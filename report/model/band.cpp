#include "report/model/band.h"

#include <QSet>

#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::report {

TfrxChild* TfrxBand::Child() const { return child_.data(); }

void TfrxBand::SetChild(TfrxChild* child) {
  // Chains set through here never loop, but the visited set keeps a chain
  // built some other way from hanging the check.
  QSet<const TfrxBand*> visited;
  for (const TfrxBand* band = child; band && !visited.contains(band); band = band->Child()) {
    if (band == this) throw ReportError(QStringLiteral("Circular child reference is not allowed"));
    visited.insert(band);
  }
  child_ = child;
}

QString TfrxBand::KindCaption() const { return resources::text(u"obBand"); }

TfrxDataBand::TfrxDataBand(TfrxComponent* parent)
    : TfrxBand(parent), virtualDataSet_(std::make_unique<TfrxUserDataSet>()) {
  virtualDataSet_->SetRangeEnd(reCount);
  virtualDataSet_->SetRangeEndCount(rowCount_);
}

TfrxDataBand::~TfrxDataBand() = default;

void TfrxDataBand::SetRowCount(int value) {
  rowCount_ = value;
  virtualDataSet_->SetRangeEndCount(value);
}

QString TfrxDataBand::KindCaption() const { return resources::text(u"obDataBand"); }

}  // namespace valmoro::report
