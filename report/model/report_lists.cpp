#include "report/model/report_lists.h"

#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_files.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"

namespace valmoro::report {

TfrxVariables* GlobalVariables() {
  static TfrxVariables* variables = new TfrxVariables;  // lives as long as the process
  return variables;
}

// --- Data set list ---------------------------------------------------------------------

TfrxDataSetItem::TfrxDataSetItem(TfrxReport* report, QObject* owner) : Persistent(owner), report_(report) {}

void TfrxDataSetItem::SetDataSetName(const QString& name) { link_.setName(name, report_); }

TfrxReportDataSets::TfrxReportDataSets(TfrxReport* report) : Persistent(report), report_(report) {}

TfrxDataSetItem* TfrxReportDataSets::Add() {
  auto* item = new TfrxDataSetItem(report_, this);
  items_.append(item);
  return item;
}

TfrxDataSetItem* TfrxReportDataSets::Add(TfrxDataSet* dataSet) {
  TfrxDataSetItem* item = Add();
  item->SetDataSet(dataSet);
  return item;
}

void TfrxReportDataSets::Clear() {
  qDeleteAll(items_);
  items_.clear();
}

TfrxDataSetItem* TfrxReportDataSets::Find(const TfrxDataSet* dataSet) const {
  for (TfrxDataSetItem* item : items_)
    if (item->DataSet() == dataSet) return item;
  return nullptr;
}

TfrxDataSetItem* TfrxReportDataSets::Find(const QString& userName) const {
  for (TfrxDataSetItem* item : items_)
    if (item->DataSet() && item->DataSet()->UserName().compare(userName, Qt::CaseInsensitive) == 0) return item;
  return nullptr;
}

void TfrxReportDataSets::BeginRun() {
  for (TfrxDataSetItem* item : items_) {
    if (TfrxDataSet* ds = item->DataSet()) {
      ds->SetReportRef(report_);
      ds->BeginRun();
    }
  }
}

void TfrxReportDataSets::EndRun() {
  for (TfrxDataSetItem* item : items_)
    if (TfrxDataSet* ds = item->DataSet()) ds->EndRun();
}

// --- Variables ---------------------------------------------------------------------------

namespace {

bool isCategory(const TfrxVariable* v) { return v->Name().startsWith(u' '); }

}  // namespace

TfrxVariable* TfrxVariables::Add() { return Insert(int(items_.size())); }

TfrxVariable* TfrxVariables::Insert(int index) {
  auto* item = new TfrxVariable(this);
  items_.insert(qBound(0, index, int(items_.size())), item);
  return item;
}

void TfrxVariables::Clear() {
  qDeleteAll(items_);
  items_.clear();
}

void TfrxVariables::Delete(int index) {
  if (index < 0 || index >= int(items_.size())) return;
  delete items_.takeAt(index);
}

int TfrxVariables::IndexOf(const QString& name) const {
  for (int i = 0; i < int(items_.size()); ++i)
    if (items_[i]->Name() == name) return i;
  return -1;
}

QVariant TfrxVariables::Value(const QString& name) const {
  const int i = IndexOf(name);
  return i < 0 ? QVariant() : items_[i]->Value();
}

void TfrxVariables::SetValue(const QString& name, const QVariant& value) {
  const int i = IndexOf(name);
  TfrxVariable* item = i < 0 ? Add() : items_[i];
  if (i < 0) item->SetName(name);
  item->SetValue(value);
}

QStringList TfrxVariables::Categories() const {
  QStringList result;
  for (const TfrxVariable* v : items_)
    if (isCategory(v)) result.append(v->Name().mid(1));
  return result;
}

QStringList TfrxVariables::VariablesOf(const QString& category) const {
  QStringList result;
  int i = 0;
  if (!category.isEmpty()) {
    i = IndexOf(u' ' + category);
    if (i < 0) return result;
    ++i;
  }
  for (; i < int(items_.size()) && !isCategory(items_[i]); ++i) result.append(items_[i]->Name());
  return result;
}

void TfrxVariables::AddVariable(const QString& category, const QString& name, const QVariant& value) {
  if (const int existing = IndexOf(name); existing >= 0) {
    items_[existing]->SetValue(value);
    return;
  }
  int at = 0;
  if (!category.isEmpty()) {
    at = IndexOf(u' ' + category);
    if (at < 0) {
      Add()->SetName(u' ' + category);
      at = int(items_.size()) - 1;
    }
    ++at;
  }
  while (at < int(items_.size()) && !isCategory(items_[at])) ++at;
  TfrxVariable* item = Insert(at);
  item->SetName(name);
  item->SetValue(value);
}

void TfrxVariables::DeleteCategory(const QString& name) {
  const int at = IndexOf(u' ' + name);
  if (at < 0) return;
  Delete(at);
  while (at < int(items_.size()) && !isCategory(items_[at])) Delete(at);
}

void TfrxVariables::DeleteVariable(const QString& name) { Delete(IndexOf(name)); }

// --- The variables file ------------------------------------------------------------------

void TfrxVariables::SaveToStream(QIODevice& stream) const {
  TfrxXMLDocument document;
  TfrxXMLItem* root = document.Root();
  root->Name = QStringLiteral("variables");
  for (const TfrxVariable* item : items_) root->Add(QStringLiteral("item"))->Text = frxItemAttributes(*item);
  document.SaveToStream(stream);
}

void TfrxVariables::SaveToFile(const QString& fileName) const {
  saveReportFile(fileName, [this](QIODevice& file) { SaveToStream(file); });
}

void TfrxVariables::LoadFromStream(QIODevice& stream) {
  // A file that is not a variables file changes nothing: the list is
  // replaced only once the document has been read and recognised.
  TfrxXMLDocument document;
  document.LoadFromStream(stream);
  const TfrxXMLItem* root = document.Root();
  if (root->Name.compare(QLatin1String("variables"), Qt::CaseInsensitive) != 0)
    throw ReportError(QStringLiteral("To nie jest plik zmiennych raportu: oczekiwano elementu \"variables\", "
                                     "a plik zaczyna się od \"%1\".")
                          .arg(root->Name));
  Clear();
  for (int i = 0; i < root->Count(); ++i) {
    const TfrxXMLItem* element = root->Items(i);
    if (element->Name.compare(QLatin1String("item"), Qt::CaseInsensitive) != 0) continue;
    frxApplyItemAttributes(*Add(), element->Text);
  }
}

void TfrxVariables::LoadFromFile(const QString& fileName) {
  readReportFile(fileName, [this](QIODevice& file) { LoadFromStream(file); });
}

}  // namespace valmoro::report
