#include "report/model/data_set.h"

#include <QMutex>
#include <QMutexLocker>

#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::report {

// --- The process-wide list --------------------------------------------------------

namespace {

struct GlobalList {
  QMutex mutex;
  QList<TfrxDataSet*> items;
};

GlobalList& globalList() {
  static GlobalList list;
  return list;
}

}  // namespace

namespace GlobalDataSets {

TfrxDataSet* Find(const QString& userName, const TfrxReport* forReport) {
  GlobalList& list = globalList();
  QMutexLocker lock(&list.mutex);
  // Data sets without a user name (the private ones of data bands) are
  // never found, not even by an empty name.
  if (userName.isEmpty()) return nullptr;
  for (TfrxDataSet* ds : list.items) {
    if (ds->UserName() != userName) continue;
    const TfrxReport* owner = ds->Report();
    if (forReport && owner && owner != forReport) continue;
    return ds;
  }
  return nullptr;
}

QList<TfrxDataSet*> Offered() {
  GlobalList& list = globalList();
  QMutexLocker lock(&list.mutex);
  QList<TfrxDataSet*> result;
  for (TfrxDataSet* ds : list.items)
    if (ds->Enabled() && !ds->UserName().isEmpty()) result.append(ds);
  return result;
}

int Count() {
  GlobalList& list = globalList();
  QMutexLocker lock(&list.mutex);
  return int(list.items.size());
}

}  // namespace GlobalDataSets

// --- TfrxDataSet ---------------------------------------------------------------------

TfrxDataSet::TfrxDataSet(TfrxComponent* parent) : TfrxDialogComponent(parent) {
  GlobalList& list = globalList();
  QMutexLocker lock(&list.mutex);
  list.items.append(this);
}

TfrxDataSet::~TfrxDataSet() {
  GlobalList& list = globalList();
  QMutexLocker lock(&list.mutex);
  list.items.removeOne(this);
}

void TfrxDataSet::SetUserName(const QString& name) {
  if (name.trimmed().isEmpty()) throw ReportError(resources::text(u"prInvProp"));
  userName_ = name;
}

void TfrxDataSet::SetName(const QString& name) {
  TfrxDialogComponent::SetName(name);
  if (userName_.isEmpty()) userName_ = Name();
}

void TfrxDataSet::SetReportRef(TfrxReport* report) { reportRef_ = report; }

TfrxReport* TfrxDataSet::ReportRef() const { return static_cast<TfrxReport*>(reportRef_.data()); }

QString TfrxDataSet::DisplayText(const QString&) { return QString(); }
int TfrxDataSet::DisplayWidth(const QString&) { return 10; }
TfrxFieldType TfrxDataSet::FieldType(const QString&) { return fftNumeric; }
QVariant TfrxDataSet::Value(const QString&) { return QVariant(); }

void TfrxDataSet::BeginRun() {}
void TfrxDataSet::EndRun() {}

void TfrxDataSet::Open() {
  if (OnOpen) OnOpen(this);
}

void TfrxDataSet::Close() {
  if (OnClose) OnClose(this);
}

void TfrxDataSet::First() {
  recNo_ = 0;
  eofFlag_ = false;
  if (OnFirst) OnFirst(this);
}

void TfrxDataSet::Next() {
  eofFlag_ = false;
  ++recNo_;
  if (rangeEnd_ == reCount && recNo_ >= rangeEndCount_) {
    recNo_ = rangeEndCount_ - 1;
    eofFlag_ = true;
  } else if (OnNext) {
    OnNext(this);
  }
}

void TfrxDataSet::Prior() {
  --recNo_;
  if (OnPrior) OnPrior(this);
}

bool TfrxDataSet::Eof() {
  bool result = rangeEnd_ == reCount && (recNo_ >= rangeEndCount_ || eofFlag_);
  if (OnCheckEOF) OnCheckEOF(this, result);
  return result;
}

void TfrxDataSet::MoveToRecord(int recNo) {
  if (recNo < recNo_ || Eof()) First();
  while (recNo_ < recNo && !Eof()) Next();
}

int TfrxDataSet::FieldsCount() { return 0; }
bool TfrxDataSet::IsBlobField(const QString&) { return false; }

int TfrxDataSet::RecordCount() {
  return rangeBegin_ == rbFirst && rangeEnd_ == reCount ? rangeEndCount_ : 0;
}

void TfrxDataSet::CopyBlobTo(const QString&, QIODevice&) {}
void TfrxDataSet::CopyBlobTo(const QString&, QStringList&) {}
void TfrxDataSet::GetFieldList(QStringList& list) { list.clear(); }

bool TfrxDataSet::HasField(const QString& fieldName) {
  QStringList fields;
  GetFieldList(fields);
  return fields.contains(fieldName);
}

// --- TfrxUserDataSet ------------------------------------------------------------------

TfrxUserDataSet::TfrxUserDataSet(TfrxComponent* parent) : TfrxDataSet(parent) {}

QVariant TfrxUserDataSet::Value(const QString& fieldName) {
  QVariant value;
  if (OnGetValue) OnGetValue(fieldName, value);
  if (OnNewGetValue) OnNewGetValue(this, fieldName, value);
  return value;
}

QString TfrxUserDataSet::DisplayText(const QString& fieldName) {
  const QVariant value = Value(fieldName);
  return value.isNull() ? QString() : value.toString();
}

int TfrxUserDataSet::FieldsCount() { return int(fields_.size()); }
void TfrxUserDataSet::GetFieldList(QStringList& list) { list = fields_; }

// --- TfrxCustomDBDataSet --------------------------------------------------------------

TfrxCustomDBDataSet::TfrxCustomDBDataSet(TfrxComponent* parent) : TfrxDataSet(parent) {}

QString TfrxCustomDBDataSet::ConvertAlias(const QString& fieldName) const {
  for (const QString& line : fieldAliases_) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) continue;
    if (line.mid(eq + 1) != fieldName) continue;
    QString field = line.left(eq);
    if (field.startsWith(u'-')) field.remove(0, 1);
    return field;
  }
  return fieldName;
}

// --- DataSetLink ---------------------------------------------------------------------

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
