#include "database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Whether this program may write the file or folder. A path that carries no
// write permission at all is marked read-only by its owner: that is respected
// even by the administrator account, which the system would let through.
bool canWrite(const QString& path, bool folder = false) {
  const QByteArray native = QFile::encodeName(path);
  struct stat st;
  if (::stat(native.constData(), &st) != 0) return false;
  if ((st.st_mode & 0222) == 0) return false;
  return ::access(native.constData(), folder ? (W_OK | X_OK) : W_OK) == 0;
}

}  // namespace

QString Connection::findRefusing(bool repair) const {
  if (!canWrite(path_)) return path_;
  for (const QString& side : backend_->sideFiles(path_)) {
    if (!QFileInfo::exists(side) || canWrite(side)) continue;
    // The engine gives these files the database file's permissions; one left
    // without them (by a read-only open of an older version) gets them back.
    struct stat database, own;
    if (repair && ::stat(QFile::encodeName(path_).constData(), &database) == 0 &&
        ::stat(QFile::encodeName(side).constData(), &own) == 0)
      ::chmod(QFile::encodeName(side).constData(), (own.st_mode | (database.st_mode & 0222)) & 07777);
    if (!canWrite(side)) return side;
  }
  const QString folder = QFileInfo(path_).absolutePath();
  if (!canWrite(folder, true))
    for (const QString& side : backend_->sideFilesNeededForWriting(path_))
      if (!QFileInfo::exists(side)) return folder;
  return {};
}

// What a change by another program alters: sizes and times of the file and
// of the files beside it, and whether it can be written now.
QString Connection::fileState() const {
  QString state;
  for (const QString& file : QStringList{path_} + backend_->sideFiles(path_)) {
    const QFileInfo info(file);
    state += info.exists() ? QStringLiteral("%1/%2;").arg(info.size()).arg(
                                 info.lastModified().toMSecsSinceEpoch())
                           : QStringLiteral("-;");
  }
  return state + findRefusing(false);
}

void Connection::open(const QString& databasePath) {
  close();
  if (!QFileInfo(databasePath).isFile())
    throw DbError(QStringLiteral("Brak pliku bazy danych: %1").arg(databasePath));
  path_ = databasePath;
  openFile();
}

void Connection::openFile() {
  if (!db_.isValid()) db_ = QSqlDatabase::addDatabase(backend_->driverName(), name_);
  refusing_ = findRefusing(true);
  // Another copy of the program may be writing: wait for it instead of failing.
  watchFile_ = backend_->setTarget(db_, path_, isReadOnly(), busyTimeout_);
  openedState_ = isReadOnly() ? fileState() : QString();
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
  releaseReaders();
  columnCache_.clear();
  if (db_.isValid() && db_.isOpen()) db_.close();
}

void Connection::prepareForStatement(bool writes) {
  ensureOpen();
  if (isReadOnly()) {
    // Opened again when the reason for reading only went away, or when a
    // file read without locks was changed by another program.
    const QString now = fileState();
    if (now != openedState_ && (watchFile_ || findRefusing(false) != refusing_)) {
      close();
      openFile();
    }
  }
  if (writes) releaseReaders();
}

void Connection::releaseReaders() {
  const QList<DataSet*> readers = readers_;
  readers_.clear();
  for (DataSet* dataSet : readers) dataSet->releaseCursor();
}

void Connection::holdReader(DataSet* dataSet) {
  if (!readers_.contains(dataSet)) readers_.append(dataSet);
}

void Connection::dropReader(DataSet* dataSet) { readers_.removeAll(dataSet); }

QString Connection::errorText(const QString& databaseText) const {
  const QString text = backend_->translateError(databaseText);
  if (!backend_->isReadOnlyError(databaseText)) return text;
  const QString refusing = isReadOnly() ? refusing_ : findRefusing(false);
  if (refusing.isEmpty()) return QStringLiteral("%1\rPlik bazy danych: %2").arg(text, QDir::toNativeSeparators(path_));
  if (QFileInfo(refusing).isDir())
    return QStringLiteral("%1\rFolder %2 nie pozwala na zapis.").arg(text, QDir::toNativeSeparators(refusing));
  return QStringLiteral("%1\rPlik %2 nie pozwala na zapis.").arg(text, QDir::toNativeSeparators(refusing));
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
  return QStringLiteral("Driver=%1;Data Source=%2;Busy Timeout=%3%4")
      .arg(backend_->driverName(), path_)
      .arg(busyTimeout_)
      .arg(isReadOnly() ? QStringLiteral(";Read Only") : QString());
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
// Rows looked at before and after the place where reading stopped, to find it
// again in a result another program has changed meanwhile.
constexpr int kLookBack = 128;
// The last rows read that are looked for there: when the very last one went,
// the one before it shows the place.
constexpr int kRecent = 8;
}  // namespace

DataSet::DataSet(Connection* connection, QObject* parent)
    : QObject(parent), connection_(connection) {}

DataSet::~DataSet() {
  if (cursor_) connection_->dropReader(this);
}

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
  connection_->prepareForStatement(false);
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
  if (!query->prepare(ps.sql)) throw DbError(connection_->errorText(query->lastError().text()));
  for (const auto& b : ps.bindings) query->bindValue(b.first, b.second);
  if (!query->exec()) throw DbError(connection_->errorText(query->lastError().text()));
  if (!query->isSelect())
    throw DbError(QStringLiteral("Polecenie nie zwraca wierszy: %1").arg(commandText_.simplified()));

  fields_ = backend.describe(db, *query);
  if (editable_ && !fields_.isEmpty()) fields_.removeFirst();  // the row identity
  cursor_ = std::move(query);
  cursorStatement_ = ps;
  rowsRead_ = 0;
  recentRows_.clear();
  recentIds_.clear();
  heldIds_.clear();
  rows_.clear();
  rowIds_.clear();
  sharedTexts_.clear();
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
  releaseCursor();
  rows_.clear();
  rowIds_.clear();
  sharedTexts_.clear();
  fields_.clear();
  heldIds_.clear();
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

void DataSet::takeRow(QSqlQuery& query, QList<QVariant>* row, qint64* rowId) {
  SqlBackend& backend = connection_->backend();
  const int columns = int(fields_.size());
  const int offset = editable_ ? 1 : 0;
  *rowId = editable_ ? query.value(0).toLongLong() : -1;
  row->clear();
  row->reserve(columns);
  for (int c = 0; c < columns; ++c) row->append(sharedText(c, backend.load(fields_[c].type, query.value(c + offset))));
}

QVariant DataSet::sharedText(int column, QVariant value) {
  // Short texts repeat down a log (the module, the point, the person):
  // each one is held once per column, so a million rows do not keep a
  // million copies of "Magazyn". Values stay values; only storage is shared.
  // The texts met last are compared first: hashing every text would cost
  // more than the copies it saves.
  constexpr qsizetype kLongestShared = 64;
  constexpr qsizetype kTextsPerColumn = 256;
  constexpr int kMissesToGiveUp = 4096;  // a column of texts that hardly repeat
  // A NULL stays a NULL and an empty text an empty text: neither is shared.
  if (value.isNull() || value.typeId() != QMetaType::QString) return value;
  if (sharedTexts_.size() <= column) sharedTexts_.resize(column + 1);
  SharedTexts& shared = sharedTexts_[column];
  if (shared.givenUp) return value;
  const QString text = value.toString();
  if (text.isEmpty() || text.size() > kLongestShared) return value;
  for (const QString& recent : shared.recent)
    if (recent.size() == text.size() && recent == text) return QVariant(recent);
  const auto found = shared.all.constFind(text);
  QString kept = text;
  if (found != shared.all.cend()) {
    kept = *found;
    value = QVariant(kept);
    shared.misses = 0;
  } else if (shared.all.size() < kTextsPerColumn) {
    shared.all.insert(text);
  } else if (++shared.misses >= kMissesToGiveUp) {
    shared.givenUp = true;
  }
  shared.recent[std::size_t(shared.next)] = kept;
  shared.next = (shared.next + 1) % int(shared.recent.size());
  return value;
}

void DataSet::readRows(int count) {
  if (!active_ || allFetched_) return;
  const int before = int(rows_.size());
  // Reading on after the result was let go costs a pass over the rows before
  // (and, for a sorted statement, the sort); taking half as many again as
  // were read keeps a long walk (a report over the whole log pumps events,
  // which lets the result go, at every band) to a few dozen such passes.
  if (!cursor_) {
    count = qMax(count, rowsRead_ / 2);
    resumeCursor();
  }
  QList<QVariant> row;
  qint64 rowId = -1;
  while (cursor_ && int(rows_.size()) - before < count) {
    if (!cursor_->next()) {
      const QSqlError err = cursor_->lastError();
      finishFetching();
      if (err.isValid() && err.type() != QSqlError::NoError)
        throw DbError(connection_->errorText(err.text()));
      break;
    }
    takeRow(*cursor_, &row, &rowId);
    noteRead(row, rowId);
    if (editable_ && heldIds_.contains(rowId)) continue;  // a row posted here is held already
    if (editable_) rowIds_.append(rowId);
    rows_.append(row);
  }
  if (cursor_) holdCursor();
  if (int(rows_.size()) > before) emit rowsFetched(before, int(rows_.size()) - 1);
}

void DataSet::noteRead(const QList<QVariant>& row, qint64 rowId) {
  ++rowsRead_;
  if (recentRows_.size() == kRecent) {
    recentRows_.removeFirst();
    recentIds_.removeFirst();
  }
  recentRows_.append(row);
  recentIds_.append(rowId);
}

void DataSet::resumeCursor() {
  connection_->prepareForStatement(false);
  QSqlDatabase& db = connection_->database();
  SqlBackend& backend = connection_->backend();
  // Where the last rows read stood, and a window around them.
  const int recent = int(recentRows_.size());
  const int firstRecent = rowsRead_ - recent;
  const int start = qMax(0, firstRecent - kLookBack);
  auto query = std::make_unique<QSqlQuery>(db);
  query->setForwardOnly(true);
  int skip = 0;
  if (query->prepare(backend.selectFrom(cursorStatement_.sql))) {
    query->bindValue(QStringLiteral(":vm_skip"), start);
  } else {
    // A statement that cannot be wrapped is walked up to the window instead.
    if (!query->prepare(cursorStatement_.sql)) throw DbError(connection_->errorText(query->lastError().text()));
    skip = start;
  }
  for (const auto& b : cursorStatement_.bindings) query->bindValue(b.first, b.second);
  if (!query->exec()) throw DbError(connection_->errorText(query->lastError().text()));
  bool ended = false;
  for (; skip > 0; --skip)
    if (!query->next()) {
      ended = true;
      break;
    }

  QList<QList<QVariant>> window;
  QList<qint64> windowIds;
  const int wanted = rowsRead_ - start + kLookBack;
  QList<QVariant> row;
  qint64 rowId = -1;
  while (!ended && int(window.size()) < wanted) {
    if (!query->next()) {
      const QSqlError err = query->lastError();
      if (err.isValid() && err.type() != QSqlError::NoError) throw DbError(connection_->errorText(err.text()));
      ended = true;
      break;
    }
    takeRow(*query, &row, &rowId);
    window.append(row);
    windowIds.append(rowId);
  }
  // The latest of the recent rows still there, nearest to where it stood,
  // marks the place; when none is, the rows from the same position on follow.
  int from = rowsRead_ - start;
  for (int r = recent - 1; r >= 0; --r) {
    const int expected = firstRecent + r - start;
    int best = -1;
    for (int i = 0; i < int(window.size()); ++i) {
      const bool same = editable_ ? windowIds[i] == recentIds_[r] : window[i] == recentRows_[r];
      if (same && (best < 0 || qAbs(i - expected) < qAbs(best - expected))) best = i;
    }
    if (best >= 0) {
      from = best + 1;
      break;
    }
  }
  if (editable_) heldIds_ = QSet<qint64>(rowIds_.cbegin(), rowIds_.cend());
  rowsRead_ = start;
  recentRows_.clear();
  recentIds_.clear();
  for (int i = 0; i < int(window.size()); ++i) {
    noteRead(window[i], windowIds[i]);
    if (i < from || (editable_ && heldIds_.contains(windowIds[i]))) continue;
    if (editable_) rowIds_.append(windowIds[i]);
    rows_.append(window[i]);
  }
  cursor_ = std::move(query);
  if (ended) finishFetching();
}

// The result stays open while the current user action goes on reading, and is
// let go once control is back in the event loop.
void DataSet::holdCursor() {
  connection_->holdReader(this);
  if (releaseQueued_ || !QCoreApplication::instance()) return;
  releaseQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        releaseQueued_ = false;
        releaseCursor();
      },
      Qt::QueuedConnection);
}

void DataSet::releaseCursor() {
  if (!cursor_) return;
  cursor_->finish();
  cursor_.reset();
  connection_->dropReader(this);
}

// Everything has been read: let the database go (ends the read transaction).
void DataSet::finishFetching() {
  allFetched_ = true;
  heldIds_.clear();
  releaseCursor();
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
  connection()->prepareForStatement(true);
  const PreparedStatement ps = prepareStatement(*connection(), commandText(), bindings());
  QSqlQuery query(connection()->database());
  if (!query.prepare(ps.sql)) throw DbError(connection()->errorText(query.lastError().text()));
  for (const auto& b : ps.bindings) query.bindValue(b.first, b.second);
  if (!query.exec()) throw DbError(connection()->errorText(query.lastError().text()));
  return query.numRowsAffected();
}

}  // namespace valmoro::db
