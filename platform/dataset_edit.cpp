// Editing of a data set over one table: the row being edited lives in the row
// store itself (so a grid shows what is typed), with its original values kept
// for cancelling; posting writes that one row to the table.

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "platform/database.h"

namespace valmoro::db {

DataSet::State DataSet::state() const { return active_ ? editState_ : State::Inactive; }

void DataSet::setState(State state) {
  if (editState_ == state) return;
  editState_ = state;
  emit stateChanged(state);
}

void DataSet::edit() {
  if (!active_) throw DbError(QStringLiteral("Zbiór danych jest zamknięty."));
  if (!editable_) throw DbError(QStringLiteral("Tych danych nie można edytować."));
  if (editState_ != State::Browse) return;
  if (current_ < 0) {
    insert();
    return;
  }
  original_ = rows_[current_];
  modified_ = QList<bool>(fields_.size(), false);
  setState(State::Edit);
}

void DataSet::startInsert(int row) {
  if (!active_) throw DbError(QStringLiteral("Zbiór danych jest zamknięty."));
  if (!editable_) throw DbError(QStringLiteral("Tych danych nie można edytować."));
  if (editState_ != State::Browse) post();
  QList<QVariant> empty(fields_.size());
  rows_.insert(row, empty);
  rowIds_.insert(row, -1);
  original_.clear();
  modified_ = QList<bool>(fields_.size(), false);
  emit rowInserted(row);
  eof_ = bof_ = false;
  current_ = -1;  // make the change of row visible even at the same index
  setCurrent(row);
  setState(State::Insert);
}

void DataSet::insert() { startInsert(current_ < 0 ? 0 : current_); }

void DataSet::append() {
  fetchAll();
  startInsert(int(rows_.size()));
}

void DataSet::setFieldValue(int index, const QVariant& value) {
  if (index < 0 || index >= fields_.size()) throw DbError(QStringLiteral("Nie ma pola o numerze %1.").arg(index));
  if (fields_[index].readOnly) throw DbError(QStringLiteral("Pola %1 nie można zmieniać.").arg(fields_[index].name));
  if (editState_ == State::Browse) edit();
  rows_[current_][index] = value;
  modified_[index] = true;
  emit rowChanged(current_);
}

bool DataSet::isFieldModified(int index) const {
  return editState_ != State::Browse && index >= 0 && index < modified_.size() && modified_[index];
}

qint64 DataSet::currentRowId() const {
  return current_ >= 0 && current_ < rowIds_.size() ? rowIds_[current_] : -1;
}

QVariant DataSet::originalValue(int index) const {
  if (editState_ == State::Edit && index >= 0 && index < original_.size()) return original_[index];
  if (editState_ == State::Browse) return valueAt(current_, index);
  return {};
}

// The row as the table holds it now (defaults, converted values, new number).
void DataSet::refreshRow(int row, qint64 rowId) {
  SqlBackend& backend = connection_->backend();
  QSqlQuery q(connection_->database());
  q.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2=:id").arg(table_, backend.rowIdExpression()));
  q.bindValue(QStringLiteral(":id"), rowId);
  if (!q.exec() || !q.next()) return;
  const QSqlRecord rec = q.record();
  for (int c = 0; c < fields_.size(); ++c) {
    const int at = rec.indexOf(fields_[c].name);
    if (at >= 0) rows_[row][c] = backend.load(fields_[c].type, q.value(at));
  }
  rowIds_[row] = rowId;
}

void DataSet::post() {
  if (editState_ == State::Browse || !active_) return;
  if (beforePost) beforePost(*this);
  SqlBackend& backend = connection_->backend();
  const int row = current_;
  QStringList columns;
  QList<QPair<QString, QVariant>> values;
  for (int c = 0; c < fields_.size(); ++c) {
    if (fields_[c].readOnly || fields_[c].type == FieldType::AutoInc) continue;
    if (!modified_[c]) continue;
    const QString param = QStringLiteral(":v%1").arg(c);
    columns.append(fields_[c].name);
    values.append({param, rows_[row][c]});
  }
  QString sql;
  if (editState_ == State::Insert) {
    if (columns.isEmpty()) {
      sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_);
    } else {
      QStringList params;
      for (const auto& v : values) params.append(v.first);
      sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table_, columns.join(QStringLiteral(", ")),
                                                                  params.join(QStringLiteral(", ")));
    }
  } else {
    if (columns.isEmpty()) {
      setState(State::Browse);
      return;
    }
    QStringList sets;
    for (int i = 0; i < columns.size(); ++i) sets.append(columns[i] + QLatin1Char('=') + values[i].first);
    sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3=:vm_rowid")
              .arg(table_, sets.join(QStringLiteral(", ")), backend.rowIdExpression());
    values.append({QStringLiteral(":vm_rowid"), rowIds_[row]});
  }
  connection_->prepareForStatement(true);
  const PreparedStatement ps = prepareStatement(*connection_, sql, values);
  QSqlQuery q(connection_->database());
  if (!q.prepare(ps.sql)) throw DbError(connection_->errorText(q.lastError().text()));
  for (const auto& b : ps.bindings) q.bindValue(b.first, b.second);
  if (!q.exec()) throw DbError(connection_->errorText(q.lastError().text()));
  const qint64 rowId = editState_ == State::Insert ? q.lastInsertId().toLongLong() : rowIds_[row];
  refreshRow(row, rowId);
  setState(State::Browse);
  emit rowChanged(row);
}

// Takes a row out of the store; the row after it (or the new last) becomes current.
void DataSet::removeRow(int row) {
  rows_.removeAt(row);
  rowIds_.removeAt(row);
  emit rowRemoved(row);
  current_ = -1;
  if (rows_.isEmpty()) {
    eof_ = bof_ = true;
    emit currentRowChanged(-1);
  } else {
    setCurrent(qMin(row, int(rows_.size()) - 1));
  }
}

void DataSet::cancel() {
  if (editState_ == State::Browse || !active_) return;
  const int row = current_;
  if (editState_ == State::Insert) {
    setState(State::Browse);
    removeRow(row);
    return;
  }
  rows_[row] = original_;
  setState(State::Browse);
  emit rowChanged(row);
}

void DataSet::deleteCurrent() {
  if (!active_ || current_ < 0) return;
  if (editState_ == State::Insert) {
    cancel();
    return;
  }
  if (editState_ == State::Edit) cancel();
  if (!editable_) throw DbError(QStringLiteral("Tych danych nie można edytować."));
  if (beforeDelete) beforeDelete(*this);
  SqlBackend& backend = connection_->backend();
  connection_->prepareForStatement(true);
  QSqlQuery q(connection_->database());
  q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2=:id").arg(table_, backend.rowIdExpression()));
  q.bindValue(QStringLiteral(":id"), rowIds_[current_]);
  if (!q.exec()) throw DbError(connection_->errorText(q.lastError().text()));
  removeRow(current_);
}

}  // namespace valmoro::db
