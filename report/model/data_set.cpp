#include "report/model/data_set.h"

#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::report {

void TfrxDataSet::SetUserName(const QString& name) {
  if (name.trimmed().isEmpty()) throw ReportError(resources::text(u"prInvProp"));
  userName_ = name;
}

void TfrxDataSet::SetName(const QString& name) {
  TfrxDialogComponent::SetName(name);
  if (userName_.isEmpty()) userName_ = Name();
}

QString DataSetLink::name() const { return dataSet_ ? dataSet_->UserName() : name_; }

void DataSetLink::setDataSet(TfrxDataSet* dataSet) {
  dataSet_ = dataSet;
  name_ = dataSet ? dataSet->UserName() : QString();
}

void DataSetLink::setName(const QString& name, const TfrxComponent& owner) { setName(name, owner.Report()); }

void DataSetLink::setName(const QString& name, const TfrxReport* report) {
  name_ = name;
  dataSet_ = report && !name.isEmpty() ? report->FindDataSet(name) : nullptr;
}

}  // namespace valmoro::report
