// TfrxDBDataset: a report data set over a data set of the data-access layer.
//
// For one report run (BeginRun .. EndRun) the data set listens to the
// database data set's opened() and closed() signals: reopening rebuilds the
// field map, closing forgets the saved position. Every operation opens the
// database data set first when this run has not opened it yet.

#include <QIODevice>
#include <QMetaObject>
#include <QRegularExpression>
#include <algorithm>

#include "platform/database.h"
#include "platform/file_errors.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::report {

struct TfrxDBDataset::State {
  QPointer<db::DataSet> dataSet;
  // Field names visible to the report, sorted ignoring letter case, each
  // bound to its database field (-1: the database data set has none).
  QList<QPair<QString, int>> fieldMap;
  // Names already looked up in the map (found, index): every row asks for
  // the same few, and the map compares ignoring letter case.
  QHash<QString, QPair<bool, int>> lookups;
  // The row current when the run opened the data set (rbCurrent / reCurrent);
  // -1 when none is saved.
  int saved = -1;
  bool ownEof = false;
  bool opened = false;
  QMetaObject::Connection openedConnection;
  QMetaObject::Connection closedConnection;
};

namespace {

bool lessIgnoringCase(const QPair<QString, int>& a, const QString& b) {
  return a.first.compare(b, Qt::CaseInsensitive) < 0;
}

}  // namespace

TfrxDBDataset::TfrxDBDataset(TfrxComponent* parent) : TfrxCustomDBDataSet(parent), d_(std::make_unique<State>()) {}

TfrxDBDataset::~TfrxDBDataset() {
  QObject::disconnect(d_->openedConnection);
  QObject::disconnect(d_->closedConnection);
}

db::DataSet* TfrxDBDataset::DataSet() const { return d_->dataSet.data(); }

void TfrxDBDataset::SetDataSet(db::DataSet* dataSet) {
  if (d_->dataSet == dataSet) return;
  const bool listening = bool(d_->openedConnection);
  disconnectDataSet();
  d_->dataSet = dataSet;
  d_->fieldMap.clear();
  d_->lookups.clear();
  d_->saved = -1;
  d_->opened = false;
  if (listening) connectDataSet();
}

void TfrxDBDataset::connectDataSet() {
  db::DataSet* ds = d_->dataSet;
  if (!ds || d_->openedConnection) return;
  // What the replaced after-open and before-close handlers did: a reopened
  // data set has new fields, a closed one has lost its rows.
  d_->openedConnection = QObject::connect(ds, &db::DataSet::opened, this, [this] { buildFieldMap(); });
  d_->closedConnection = QObject::connect(ds, &db::DataSet::closed, this, [this] {
    d_->saved = -1;
    d_->opened = false;
  });
}

void TfrxDBDataset::disconnectDataSet() {
  QObject::disconnect(d_->openedConnection);
  QObject::disconnect(d_->closedConnection);
  d_->openedConnection = {};
  d_->closedConnection = {};
}

bool TfrxDBDataset::ensureOpened() {
  // A database data set freed meanwhile says nothing (it sends no closed()):
  // what this run opened is gone with it.
  if (!d_->dataSet) {
    d_->opened = false;
    d_->saved = -1;
  }
  if (!d_->opened) Open();
  return d_->opened;
}

void TfrxDBDataset::buildFieldMap() {
  d_->fieldMap.clear();
  d_->lookups.clear();
  db::DataSet* ds = d_->dataSet;
  QStringList names;
  GetFieldList(names);
  for (const QString& name : names) {
    const auto at = std::lower_bound(d_->fieldMap.begin(), d_->fieldMap.end(), name, lessIgnoringCase);
    if (at != d_->fieldMap.end() && at->first.compare(name, Qt::CaseInsensitive) == 0) continue;
    const int index = ds && ds->isActive() ? ds->fieldIndex(ConvertAlias(name)) : -1;
    d_->fieldMap.insert(at, qMakePair(name, index));
  }
}

int TfrxDBDataset::mappedField(const QString& fieldName, bool* found) const {
  const auto hit = d_->lookups.constFind(fieldName);
  if (hit != d_->lookups.constEnd()) {
    *found = hit->first;
    return hit->second;
  }
  const auto at = std::lower_bound(d_->fieldMap.cbegin(), d_->fieldMap.cend(), fieldName, lessIgnoringCase);
  *found = at != d_->fieldMap.cend() && at->first.compare(fieldName, Qt::CaseInsensitive) == 0;
  const int index = *found ? at->second : -1;
  // Names come from expressions: keep the memory bounded.
  if (d_->lookups.size() < 1000) d_->lookups.insert(fieldName, qMakePair(*found, index));
  return index;
}

QString TfrxDBDataset::fieldNotFoundText(const QString& fieldName) const {
  return resources::text(u"dbFldNotFound") + u' ' + UserName() + QStringLiteral(".\"") + fieldName + u'"';
}

void TfrxDBDataset::fileFieldError(const QString& fieldName) {
  TfrxReport* report = ReportRef() ? ReportRef() : Report();
  if (!report) return;
  const QString text = report->CurObject() + QStringLiteral(": ") + fieldNotFoundText(fieldName);
  // Asked for once per record; the list says it once.
  if (!report->Errors().contains(text)) report->Errors().append(text);
}

// --- A run ---------------------------------------------------------------------------

void TfrxDBDataset::BeginRun() {
  if (!d_->dataSet) throw ReportError(resources::text(u"dbNotConn").replace(QLatin1String("%s"), Name()));
  connectDataSet();
  d_->ownEof = false;
  d_->opened = false;
}

void TfrxDBDataset::EndRun() {
  db::DataSet* ds = d_->dataSet;
  if (d_->saved >= 0 && ds && ds->isActive()) ds->setCurrentRow(d_->saved);
  d_->saved = -1;
  if (CloseDataSource()) Close();
  disconnectDataSet();
  // The next use opens again, so that a map built now cannot outlive a
  // reopening nobody is listening to.
  d_->opened = false;
}

void TfrxDBDataset::Open() {
  if (d_->opened) return;
  db::DataSet* ds = d_->dataSet;
  if (!ds) return;
  try {
    ds->open();
  } catch (const db::DbError& e) {
    throw ReportError(e.message());
  }
  buildFieldMap();
  d_->opened = true;
  if (RangeBegin() == rbCurrent || RangeEnd() == reCurrent) d_->saved = ds->currentRow();
  TfrxCustomDBDataSet::Open();
}

void TfrxDBDataset::Close() {
  TfrxCustomDBDataSet::Close();
  db::DataSet* ds = d_->dataSet;
  if (d_->saved >= 0 && ds && ds->isActive()) ds->setCurrentRow(d_->saved);
  d_->saved = -1;
  if (ds) ds->close();
  d_->opened = false;
}

// --- Movement ------------------------------------------------------------------------

void TfrxDBDataset::First() {
  if (ensureOpened()) {
    db::DataSet* ds = d_->dataSet;
    if (RangeBegin() == rbCurrent && d_->saved >= 0)
      ds->setCurrentRow(d_->saved);
    else
      ds->first();
  }
  d_->ownEof = false;
  TfrxCustomDBDataSet::First();
}

void TfrxDBDataset::Next() {
  if (!ensureOpened()) {
    d_->ownEof = true;
    return;
  }
  db::DataSet* ds = d_->dataSet;
  if (RangeEnd() == reCurrent && d_->saved >= 0 && ds->currentRow() == d_->saved) {
    d_->ownEof = true;
    return;
  }
  ds->next();
  TfrxCustomDBDataSet::Next();
}

void TfrxDBDataset::Prior() {
  if (ensureOpened()) d_->dataSet->prior();
  TfrxCustomDBDataSet::Prior();
}

bool TfrxDBDataset::Eof() {
  const bool opened = ensureOpened();
  const bool base = TfrxCustomDBDataSet::Eof();
  return base || !opened || d_->dataSet->eof() || d_->ownEof;
}

void TfrxDBDataset::MoveToRecord(int recNo) {
  if (!ensureOpened() || recNo < 0) {
    TfrxCustomDBDataSet::MoveToRecord(recNo);
    return;
  }
  // The rows are held by the database data set: straight there.
  const int start = RangeBegin() == rbCurrent && d_->saved >= 0 ? d_->saved : 0;
  d_->dataSet->setCurrentRow(start + recNo);
  d_->ownEof = false;
  eofFlag_ = false;
  recNo_ = recNo;
}

int TfrxDBDataset::RecordCount() { return ensureOpened() ? d_->dataSet->recordCount() : 0; }

// --- Fields --------------------------------------------------------------------------

void TfrxDBDataset::GetFieldList(QStringList& list) {
  list.clear();
  if (!FieldAliases().isEmpty()) {
    for (const QString& line : FieldAliases()) {
      const qsizetype eq = line.indexOf(u'=');
      if (eq < 0 || line.startsWith(u'-')) continue;
      list.append(line.mid(eq + 1));
    }
    return;
  }
  // The data-access layer has no aggregate fields: its field list is all.
  if (const db::DataSet* ds = d_->dataSet; ds && ds->isActive())
    for (const db::FieldDef& def : ds->fieldDefs()) list.append(def.name);
}

int TfrxDBDataset::FieldsCount() {
  ensureOpened();
  QStringList names;
  GetFieldList(names);
  return int(names.size());
}

QVariant TfrxDBDataset::Value(const QString& fieldName) {
  ensureOpened();
  bool found = false;
  const int index = mappedField(fieldName, &found);
  if (!found) {
    fileFieldError(fieldName);
    return QVariant();
  }
  db::DataSet* ds = d_->dataSet;
  if (index < 0 || !ds || !ds->isActive()) return QVariant();
  const db::Field field = ds->field(index);
  if (field.isNull()) return QVariant();
  switch (field.type()) {
    case db::FieldType::AutoInc:
    case db::FieldType::Integer:
      return QVariant(field.asInteger());
    case db::FieldType::DateTime:
      return QVariant(field.asDateTime());
    case db::FieldType::Boolean:
      return QVariant(field.value().toBool());
    case db::FieldType::Blob:
      // Bytes as the layer's own text form.
      return QVariant(field.asString());
    default:
      return field.value();
  }
}

QString TfrxDBDataset::DisplayText(const QString& fieldName) {
  ensureOpened();
  db::DataSet* ds = d_->dataSet;
  if (!ds || !ds->isActive()) return UserName() + QStringLiteral(".\"") + fieldName + u'"';
  int index = -1;
  if (d_->fieldMap.isEmpty()) {
    index = ds->fieldIndex(fieldName);
    if (index < 0) {
      fileFieldError(fieldName);
      return fieldNotFoundText(fieldName);
    }
  } else {
    bool found = false;
    index = mappedField(fieldName, &found);
    if (!found) {
      fileFieldError(fieldName);
      return fieldNotFoundText(fieldName);
    }
    if (index < 0) return QString();
  }
  // The field's display format applies.
  return ds->field(index).displayText();
}

int TfrxDBDataset::DisplayWidth(const QString& fieldName) {
  ensureOpened();
  const db::DataSet* ds = d_->dataSet;
  if (!ds || !ds->isActive()) return 10;
  const int index = ds->fieldIndex(ConvertAlias(fieldName));
  if (index < 0) return 10;
  const db::FieldDef& def = ds->fieldDef(index);
  switch (def.type) {
    case db::FieldType::Text:
      // An unlimited text is a memo, shown at the default width.
      return def.size > 0 ? def.size : 10;
    case db::FieldType::DateTime:
      return 20;
    case db::FieldType::AutoInc:
    case db::FieldType::Integer:
      // The layer's integers are 64-bit.
      return 15;
    default:
      return 10;
  }
}

TfrxFieldType TfrxDBDataset::FieldType(const QString& fieldName) {
  ensureOpened();
  const db::DataSet* ds = d_->dataSet;
  if (!ds || !ds->isActive()) return fftNumeric;
  bool found = false;
  int index = mappedField(fieldName, &found);
  if (!found && d_->fieldMap.isEmpty()) index = ds->fieldIndex(fieldName);
  if (index < 0) return fftNumeric;
  switch (ds->fieldDef(index).type) {
    case db::FieldType::Text:
      return fftString;
    case db::FieldType::Boolean:
      return fftBoolean;
    default:
      return fftNumeric;
  }
}

bool TfrxDBDataset::IsBlobField(const QString& fieldName) {
  ensureOpened();
  bool found = false;
  const int index = mappedField(fieldName, &found);
  const db::DataSet* ds = d_->dataSet;
  return index >= 0 && ds && ds->isActive() && ds->fieldDef(index).type == db::FieldType::Blob;
}

namespace {

// The bytes of a field: a BLOB as stored, anything else as its UTF-8 text.
QByteArray fieldBytes(const db::Field& field) {
  const QVariant value = field.value();
  if (value.metaType().id() == QMetaType::QByteArray) return value.toByteArray();
  return field.asString().toUtf8();
}

}  // namespace

std::optional<db::Field> TfrxDBDataset::currentField(const QString& fieldName) {
  ensureOpened();
  bool found = false;
  const int index = mappedField(fieldName, &found);
  if (!found) {
    fileFieldError(fieldName);
    return std::nullopt;
  }
  db::DataSet* ds = d_->dataSet;
  if (index < 0 || !ds || !ds->isActive()) return std::nullopt;
  return ds->field(index);
}

void TfrxDBDataset::CopyBlobTo(const QString& fieldName, QIODevice& target) {
  const std::optional<db::Field> field = currentField(fieldName);
  if (!field) return;
  const QByteArray bytes = fieldBytes(*field);
  if (target.write(bytes) != bytes.size())
    throw ReportError(QStringLiteral("Nie udało się zapisać zawartości pola %1: %2").arg(fieldName, files::ioErrorText(target)));
}

void TfrxDBDataset::CopyBlobTo(const QString& fieldName, QStringList& target) {
  const std::optional<db::Field> field = currentField(fieldName);
  target.clear();
  if (!field || field->isNull()) return;
  const QString text = field->value().metaType().id() == QMetaType::QByteArray
                           ? QString::fromUtf8(field->value().toByteArray())
                           : field->asString();
  target = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
  // A final line break ends the last line; it adds no empty one.
  if (!target.isEmpty() && target.last().isEmpty()) target.removeLast();
}

}  // namespace valmoro::report
