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

QList<TfrxSortKey> TfrxDataBand::SortKeys() const {
  QList<TfrxSortKey> keys;
  for (const QString& line : sortExpressions_) {
    TfrxSortKey key;
    key.expression = line.trimmed();
    // The direction is a word of its own at the end: "<Wpisy."Data"> DESC".
    for (const QLatin1String word : {QLatin1String("desc"), QLatin1String("asc")}) {
      const qsizetype at = key.expression.size() - word.size();
      if (at > 0 && key.expression.endsWith(word, Qt::CaseInsensitive) && key.expression[at - 1].isSpace()) {
        key.descending = word == QLatin1String("desc");
        key.expression = key.expression.left(at).trimmed();
        break;
      }
    }
    if (!key.expression.isEmpty()) keys.append(key);
  }
  return keys;
}

void TfrxDataBand::SetSortKeys(const QList<TfrxSortKey>& keys) {
  QStringList lines;
  for (const TfrxSortKey& key : keys)
    if (!key.expression.trimmed().isEmpty())
      lines.append(key.expression.trimmed() + (key.descending ? QStringLiteral(" DESC") : QString()));
  sortExpressions_ = lines;
}

QString TfrxDataBand::KindCaption() const { return resources::text(u"obDataBand"); }

}  // namespace valmoro::report
