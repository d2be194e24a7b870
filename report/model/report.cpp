#include "report/model/report.h"

#include <algorithm>
#include <cmath>

#include "platform/component_stream.h"
#include "report/model/report_calc.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/run_lifecycle.h"
#include "report/model/script_classes.h"
#include "report/model/script_hooks.h"
#include "report/model/serializer.h"
#include "report/model/style.h"
#include "report/paint/draw_text.h"
#include "script/script.h"

namespace valmoro::report {

namespace {

// A list of items, each a list holding the item's attribute text.
template <class Items>
void writeItems(stream::ComponentWriter& out, const QString& name, const Items& items) {
  if (items.Count() == 0) return;
  out.writePropName(name);
  out.writeListBegin();
  for (int i = 0; i < items.Count(); ++i) {
    out.writeListBegin();
    out.writeText(frxItemAttributes(*items.Item(i)));
    out.writeListEnd();
  }
  out.writeListEnd();
}

template <class Items>
void readItems(stream::ComponentReader& in, Items& items) {
  in.readListBegin();
  while (!in.endOfList()) {
    in.readListBegin();
    if (!in.endOfList()) frxApplyItemAttributes(*items.Add(), in.readText());
    // Anything after the text is not ours and is passed over.
    while (!in.endOfList()) in.skipValue();
    in.readListEnd();
  }
  in.readListEnd();
}

}  // namespace

TfrxReport::TfrxReport()
    : names_(this),
      engineOptions_(new TfrxEngineOptions(this)),
      iniFile_(QStringLiteral("\\Software\\Rozi Razadaz")),
      previewOptions_(new TfrxPreviewOptions(this)),
      printOptions_(new TfrxPrintOptions(this)),
      reportOptions_(new TfrxReportOptions(this)),
      scriptLanguage_(QStringLiteral("PascalScript")),
      scriptText_({QStringLiteral("begin"), QString(), QStringLiteral("end.")}),
      dataSets_(new TfrxReportDataSets(this)),
      variables_(new TfrxVariables(this)),
      styles_(new TfrxStyles(this)),
      engine_(new TfrxEngine(nullptr, this)),
      outline_(new TfrxOutline(nullptr, this)),
      nameCache_(std::make_unique<TfrxNameCache>()) {
  MarkAsReportRoot(true);
}

script::TfsScript& TfrxReport::Script() {
  if (!script_) {
    script_ = std::make_unique<script::TfsScript>();
    script_->ExtendedIdentChars = true;
    // The report's own classes come with the runtime library.
    RegisterReportClassesModule();
    script_->AddRuntimeLibrary();
    expressions_ = std::make_unique<TfrxExpressionCache>(*script_);
    ResetScript();
  }
  return *script_;
}

TfrxExpressionCache& TfrxReport::Expressions() {
  Script();
  return *expressions_;
}

void TfrxReport::SetParent(TfrxComponent* parent) {
  if (parent) throw ReportError(QStringLiteral("A report cannot be placed inside another object"));
}

void TfrxReport::AddObserver(ReportObserver* observer) {
  if (observer == nullptr || std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
  observers_.push_back(observer);
  changes::observerAdded();
}

void TfrxReport::RemoveObserver(ReportObserver* observer) {
  const auto at = std::find(observers_.begin(), observers_.end(), observer);
  if (at == observers_.end()) return;
  observers_.erase(at);
  changes::observerRemoved();
}

void TfrxReport::Announce(const ReportChange& change) const {
  // A copy: an observer may stop observing while it is told.
  const std::vector<ReportObserver*> observers = observers_;
  for (ReportObserver* observer : observers) observer->reportChanged(change);
}

TfrxReport::~TfrxReport() {
  // The whole tree goes: no point in keeping the index up to date meanwhile,
  // nor in telling anyone of each object.
  for (size_t i = 0; i < observers_.size(); ++i) changes::observerRemoved();
  observers_.clear();
  names_.disable();
  // The run lets go of the outline as it goes with the prepared pages.
  run_.reset();
  // Expressions refer to the script; both go before the tree.
  expressions_.reset();
  script_.reset();
  DestroyChildren();
  MarkAsReportRoot(false);
}

void TfrxReport::SetEngineOptions(const TfrxEngineOptions* value) {
  if (value) engineOptions_->Assign(*value);
}

void TfrxReport::SetPreviewOptions(const TfrxPreviewOptions* value) {
  if (value) previewOptions_->Assign(*value);
}

void TfrxReport::SetPrintOptions(const TfrxPrintOptions* value) {
  if (value) printOptions_->Assign(*value);
}

void TfrxReport::SetReportOptions(const TfrxReportOptions* value) {
  if (value) reportOptions_->Assign(*value);
}

void TfrxReport::WriteExtraData(stream::ComponentWriter& out) const {
  const auto position = [&](const QString& name, double value) {
    // A window position: whole pixels within 32 bits.
    const qint64 whole = std::isfinite(value) ? std::llround(std::clamp(value, -2147483648.0, 2147483647.0)) : 0;
    if (whole == 0) return;
    out.writePropName(name);
    out.writeInteger(whole);
  };
  position(QStringLiteral("Left"), Left());
  position(QStringLiteral("Top"), Top());
  writeItems(out, QStringLiteral("Datasets"), *dataSets_);
  writeItems(out, QStringLiteral("Variables"), *variables_);
  writeItems(out, QStringLiteral("Style"), *styles_);
}

bool TfrxReport::ReadExtraData(const QString& name, stream::ComponentReader& in) {
  if (name == QLatin1String("Left")) {
    SetLeft(in.readInteger());
  } else if (name == QLatin1String("Top")) {
    SetTop(in.readInteger());
  } else if (name == QLatin1String("Datasets")) {
    readItems(in, *dataSets_);
  } else if (name == QLatin1String("Variables")) {
    readItems(in, *variables_);
  } else if (name == QLatin1String("Style")) {
    readItems(in, *styles_);
  } else {
    return false;
  }
  return true;
}

void TfrxReport::ClearExtraData() {
  SetLeft(0);
  SetTop(0);
  dataSets_->Clear();
  variables_->Clear();
  styles_->Clear();
}

TfrxDataSet* TfrxReport::FindDataSet(const QString& userName) const {
  if (engineOptions_->UseGlobalDataSetList()) return GlobalDataSets::Find(userName, this);
  return GetDataset(userName);
}

TfrxDataSet* TfrxReport::GetDataset(const QString& alias) const {
  const TfrxDataSetItem* item = dataSets_->Find(alias);
  return item ? item->DataSet() : nullptr;
}

void TfrxReport::SetCurrentObject(TfrxComponent* object) { curObject_ = object ? object->Name() : QString(); }

}  // namespace valmoro::report
