#include "report/model/report.h"

#include "report/model/report_error.h"
#include "report/model/style.h"

namespace valmoro::report {

TfrxReport::TfrxReport() : names_(this), styles_(new TfrxStyles(this)) { MarkAsReportRoot(true); }

void TfrxReport::SetParent(TfrxComponent* parent) {
  if (parent) throw ReportError(QStringLiteral("A report cannot be placed inside another object"));
}

TfrxReport::~TfrxReport() {
  // The whole tree goes: no point in keeping the index up to date meanwhile.
  names_.disable();
  DestroyChildren();
  MarkAsReportRoot(false);
}

TfrxDataSet* TfrxReport::FindDataSet(const QString&) const { return nullptr; }

void TfrxReport::SetCurrentObject(TfrxComponent* object) { curObject_ = object ? object->Name() : QString(); }

}  // namespace valmoro::report
