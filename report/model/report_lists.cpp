#include "report/model/report_lists.h"

#include "report/model/report.h"

namespace valmoro::report {

TfrxDataSetItem::TfrxDataSetItem(TfrxReport* report, QObject* owner) : Persistent(owner), report_(report) {}

void TfrxDataSetItem::SetDataSetName(const QString& name) { link_.setName(name, report_); }

TfrxReportDataSets::TfrxReportDataSets(TfrxReport* report) : Persistent(report), report_(report) {}

TfrxDataSetItem* TfrxReportDataSets::Add() {
  auto* item = new TfrxDataSetItem(report_, this);
  items_.append(item);
  return item;
}

void TfrxReportDataSets::Clear() {
  qDeleteAll(items_);
  items_.clear();
}

TfrxVariable* TfrxVariables::Add() {
  auto* item = new TfrxVariable(this);
  items_.append(item);
  return item;
}

void TfrxVariables::Clear() {
  qDeleteAll(items_);
  items_.clear();
}

}  // namespace valmoro::report
