#include "database.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include "platform/locale.h"

namespace valmoro::db {

DbError::DbError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

// ---------------------------------------------------------------------------
// Connection

Connection::Connection()
    : name_(QStringLiteral("valmoro-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      backend_(makeSqliteBackend()) {}

Connection::~Connection() {
  close();
  db_ = QSqlDatabase();
  if (QSqlDatabase::contains(name_)) QSqlDatabase::removeDatabase(name_);
}

void Connection::open(const QString& databasePath) {
  close();
  if (!QFileInfo(databasePath).isFile())
    throw DbError(QStringLiteral("Brak pliku bazy danych: %1").arg(databasePath));
  path_ = databasePath;
  if (!db_.isValid()) db_ = QSqlDatabase::addDatabase(backend_->driverName(), name_);
  db_.setDatabaseName(databasePath);
  // Another copy of the program may be writing: wait for it instead of failing.
  db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout_));
  if (!db_.open()) {
    const QString text = backend_->translateError(db_.lastError().text());
    db_.close();
    throw DbError(text);
  }
  try {
    backend_->configure(db_);
  } catch (...) {
    db_.close();
    throw;
  }
}

void Connection::close() {
  columnCache_.clear();
  if (db_.isValid() && db_.isOpen()) db_.close();
}

QList<ColumnInfo> Connection::tableColumns(const QString& table) {
  const QString key = table.toLower();
  auto it = columnCache_.constFind(key);
  if (it != columnCache_.constEnd()) return *it;
  ensureOpen();
  QList<ColumnInfo> columns = backend_->columns(db_, table);
  if (!columns.isEmpty()) columnCache_.insert(key, columns);
  return columns;
}

bool Connection::isOpen() const { return db_.isValid() && db_.isOpen(); }

QString Connection::connectionString() const {
  return QStringLiteral("Driver=%1;Data Source=%2;Busy Timeout=%3")
      .arg(backend_->driverName(), path_)
      .arg(busyTimeout_);
}

QSqlDatabase& Connection::database() { return db_; }
SqlBackend& Connection::backend() { return *backend_; }

void Connection::ensureOpen() const {
  if (!isOpen()) throw DbError(QStringLiteral("Brak połączenia z bazą danych."));
}

// ---------------------------------------------------------------------------
// Field texts

namespace {

QString plainText(const FieldDef& def, const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  switch (def.type) {
    case FieldType::DateTime:
      if (v.metaType().id() == QMetaType::QDateTime) return locale::formatDateTime(v.toDateTime());
      return v.toString();
    case FieldType::Float:
      if (v.metaType().id() == QMetaType::Double) return locale::formatFloatGeneral(v.toDouble());
      return v.toString();
    case FieldType::Boolean:
      return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
      return v.toString();
  }
}

QString formattedText(const FieldDef& def, const QVariant& v, const QString& format) {
  if (!format.isEmpty() && def.type == FieldType::Float && v.metaType().id() == QMetaType::Double)
    return locale::formatFloat(format, v.toDouble());
  if (!format.isEmpty() && def.type == FieldType::Integer && v.isValid() && !v.isNull())
    return locale::formatFloat(format, v.toDouble());
  return plainText(def, v);
}

}  // namespace

const FieldDef& Field::def() const { return dataSet_->fieldDef(index_); }

QVariant Field::value() const {
  const int row = dataSet_->currentRow();
  if (row < 0) return {};
  return dataSet_->valueAt(row, index_);
}

bool Field::isNull() const {
  const QVariant v = value();
  return !v.isValid() || v.isNull();
}

QString Field::asString() const { return plainText(def(), value()); }

QString Field::displayText() const {
  return formattedText(def(), value(), dataSet_->displayFormat(def().name));
}

double Field::asFloat() const {
  const QVariant v = value();
  if (v.metaType().id() == QMetaType::QString) return locale::parseFloat(v.toString()).value_or(0.0);
  return v.toDouble();
}

qint64 Field::asInteger() const { return value().toLongLong(); }

QDateTime Field::asDateTime() const {
  const QVariant v = value();
  if (v.metaType().id() == QMetaType::QDateTime) return v.toDateTime();
  return locale::parseDateTime(v.toString()).value_or(QDateTime());
}

Qt::Alignment Field::defaultAlignment() const {
  switch (type()) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Float:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

// ---------------------------------------------------------------------------
// DataSet

namespace {
constexpr int kFirstFetch = 64;
}

DataSet::DataSet(Connection* connection, QObject* parent)
    : QObject(parent), connection_(connection) {}

DataSet::~DataSet() = default;

void DataSet::setCommandText(const QString& sql) { commandText_ = sql; }

void DataSet::bindValue(const QString& name, const QVariant& value) {
  for (auto& b : bindings_) {
    if (b.first == name) {
      b.second = value;
      return;
    }
  }
  bindings_.append({name, value});
}

void DataSet::clearBindings() { bindings_.clear(); }

void DataSet::open() {
  if (active_) return;
  connection_->ensureOpen();
  QSqlDatabase& db = connection_->database();
  SqlBackend& backend = connection_->backend();
  PreparedStatement ps = prepareStatement(*connection_, commandText_, bindings_);
  if (editable_) {
    table_ = statementTable(commandText_);
    if (table_.isEmpty()) throw DbError(QStringLiteral("Tych danych nie można edytować: polecenie nie wskazuje tabeli."));
    ps.sql = backend.selectWithRowId(ps.sql);
  }

  auto query = std::make_unique<QSqlQuery>(db);
  query->setForwardOnly(true);
  if (!query->prepare(ps.sql)) throw DbError(backend.translateError(query->lastError().text()));
  for (const auto& b : ps.bindings) query->bindValue(b.first, b.second);
  if (!query->exec()) throw DbError(backend.translateError(query->lastError().text()));
  if (!query->isSelect())
    throw DbError(QStringLiteral("Polecenie nie zwraca wierszy: %1").arg(commandText_.simplified()));

  fields_ = backend.describe(db, *query);
  if (editable_ && !fields_.isEmpty()) fields_.removeFirst();  // the row identity
  cursor_ = std::move(query);
  rows_.clear();
  rowIds_.clear();
  editState_ = State::Browse;
  allFetched_ = false;
  active_ = true;
  readRows(kFirstFetch);
  eof_ = bof_ = true;
  current_ = -1;
  emit opened();
  if (!rows_.isEmpty()) first();
}

void DataSet::close() {
  if (!active_) return;
  cursor_.reset();
  rows_.clear();
  rowIds_.clear();
  fields_.clear();
  editState_ = State::Browse;
  allFetched_ = true;
  active_ = false;
  current_ = -1;
  eof_ = bof_ = true;
  emit closed();
}

void DataSet::reopen() {
  close();
  open();
}

void DataSet::setDisplayFormat(const QString& fieldName, const QString& format) {
  displayFormats_.insert(fieldName.toLower(), format);
}

QString DataSet::displayFormat(const QString& fieldName) const {
  return displayFormats_.value(fieldName.toLower());
}

void DataSet::readRows(int count) {
  if (!cursor_ || allFetched_) return;
  SqlBackend& backend = connection_->backend();
  const int columns = int(fields_.size());
  const int before = int(rows_.size());
  for (int n = 0; n < count; ++n) {
    if (!cursor_->next()) {
      const QSqlError err = cursor_->lastError();
      finishFetching();
      if (err.isValid() && err.type() != QSqlError::NoError)
        throw DbError(backend.translateError(err.text()));
      break;
    }
    QList<QVariant> row;
    row.reserve(columns);
    const int offset = editable_ ? 1 : 0;
    if (editable_) rowIds_.append(cursor_->value(0).toLongLong());
    for (int c = 0; c < columns; ++c) row.append(backend.load(fields_[c].type, cursor_->value(c + offset)));
    rows_.append(std::move(row));
  }
  if (int(rows_.size()) > before) emit rowsFetched(before, int(rows_.size()) - 1);
}

// Everything has been read: let the database go (ends the read transaction).
void DataSet::finishFetching() {
  allFetched_ = true;
  if (cursor_) cursor_->finish();
}

int DataSet::fetchMore(int count) {
  const int before = int(rows_.size());
  readRows(count);
  return int(rows_.size()) - before;
}

void DataSet::fetchAll() {
  while (!allFetched_) readRows(4096);
}

void DataSet::setCurrent(int row) {
  if (current_ == row) return;
  current_ = row;
  emit currentRowChanged(row);
}

void DataSet::first() {
  if (!active_) return;
  if (rows_.isEmpty()) readRows(kFirstFetch);
  bof_ = true;
  eof_ = rows_.isEmpty();
  setCurrent(rows_.isEmpty() ? -1 : 0);
}

void DataSet::next() {
  if (!active_ || current_ < 0) {
    eof_ = true;
    return;
  }
  if (current_ + 1 >= int(rows_.size())) readRows(256);
  if (current_ + 1 < int(rows_.size())) {
    bof_ = false;
    setCurrent(current_ + 1);
  } else {
    eof_ = true;
  }
}

void DataSet::prior() {
  if (!active_ || current_ <= 0) {
    bof_ = true;
    return;
  }
  eof_ = false;
  setCurrent(current_ - 1);
}

void DataSet::last() {
  if (!active_) return;
  fetchAll();
  eof_ = true;
  bof_ = rows_.isEmpty();
  setCurrent(int(rows_.size()) - 1);
}

bool DataSet::isEmpty() {
  if (!active_) return true;
  if (rows_.isEmpty()) readRows(1);
  return rows_.isEmpty();
}

void DataSet::setCurrentRow(int row) {
  if (!active_ || row < 0) return;
  while (row >= int(rows_.size()) && !allFetched_) readRows(256);
  if (row >= int(rows_.size())) return;
  eof_ = false;
  bof_ = row == 0;
  setCurrent(row);
}

int DataSet::recordCount() {
  if (!active_) return 0;
  fetchAll();
  return int(rows_.size());
}

int DataSet::fieldIndex(const QString& name) const {
  for (int i = 0; i < fields_.size(); ++i)
    if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

Field DataSet::fieldByName(const QString& name) const {
  const int index = fieldIndex(name);
  if (index < 0) throw DbError(QStringLiteral("Nie znaleziono pola: %1").arg(name));
  return Field(this, index);
}

QVariant DataSet::valueAt(int row, int column) const {
  if (row < 0 || row >= rows_.size() || column < 0 || column >= fields_.size()) return {};
  return rows_[row][column];
}

QString DataSet::displayTextAt(int row, int column) const {
  if (column < 0 || column >= fields_.size()) return {};
  return formattedText(fields_[column], valueAt(row, column), displayFormat(fields_[column].name));
}

QString DataSet::plainTextAt(int row, int column) const {
  if (column < 0 || column >= fields_.size()) return {};
  return plainText(fields_[column], valueAt(row, column));
}

// ---------------------------------------------------------------------------
// Query

Query::Query(Connection* connection, QObject* parent) : DataSet(connection, parent) {}

void Query::syncCommandText() { setCommandText(lines_.join(QStringLiteral("\r\n"))); }

void Query::clearLines() {
  lines_.clear();
  clearBindings();
  syncCommandText();
}

void Query::addLine(const QString& line) {
  lines_.append(line);
  syncCommandText();
}

void Query::open() {
  syncCommandText();
  DataSet::open();
}

int Query::execSql() {
  close();
  syncCommandText();
  connection()->ensureOpen();
  SqlBackend& backend = connection()->backend();
  const PreparedStatement ps = prepareStatement(*connection(), commandText(), bindings());
  QSqlQuery query(connection()->database());
  if (!query.prepare(ps.sql)) throw DbError(backend.translateError(query.lastError().text()));
  for (const auto& b : ps.bindings) query.bindValue(b.first, b.second);
  if (!query.exec()) throw DbError(backend.translateError(query.lastError().text()));
  return query.numRowsAffected();
}

}  // namespace valmoro::db
