#pragma once
// The data-access layer: one connection, data sets with typed fields and a
// current row, and the scratch query that takes a statement as lines.
//
// What the program expects of its database engine is reproduced here on top of
// QtSql: "#yyyy-MM-dd#" date literals, table and field names matched without
// regard to letter case, texts compared in WHERE clauses without regard to
// letter case, and texts converted to dates and numbers when they are stored
// (a text that does not convert is refused with a Polish message and nothing
// is stored). Values always travel as bound parameters (":name"), never as
// part of the statement text.
//
// The engine-specific part sits behind SqlBackend, so that another server can
// be added without touching the windows.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <stdexcept>

class QSqlQuery;

namespace valmoro::db {

// Every failure of the layer: the message is the text shown to the user.
class DbError : public std::runtime_error {
public:
  explicit DbError(const QString& message);
  QString message() const { return message_; }

private:
  QString message_;
};

enum class FieldType { Unknown, AutoInc, Integer, Float, DateTime, Text, Boolean, Blob };

// A column of a table as the database declares it.
struct ColumnInfo {
  QString name;
  FieldType type = FieldType::Unknown;
  int size = 0;  // maximum length of a text, 0: unlimited
  bool autoIncrement = false;
};

struct FieldDef {
  QString name;
  FieldType type = FieldType::Unknown;
  int size = 0;
  bool readOnly = false;
};

// A statement as the database receives it: date literals replaced by bound
// values and each bound value converted for the column it meets.
struct PreparedStatement {
  QString sql;
  QList<QPair<QString, QVariant>> bindings;
};

class SqlBackend;
class DataSet;

class Connection {
public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the database file. Throws DbError when the file cannot be opened or
  // is not a database. The file is shared: other copies of the program may
  // have it open at the same time.
  //
  // A database that cannot be written (the file, a file the engine keeps
  // beside it, or the folder refuses writing) is opened for reading only and
  // without creating any file beside it; every write is then refused with a
  // message that names what refuses it. A file marked read-only counts as such
  // even for the administrator account, which the system would let through.
  void open(const QString& databasePath);
  void close();
  bool isReadOnly() const { return !refusing_.isEmpty(); }
  // The file or folder that refuses writing ("" when the database is writable).
  QString refusingPath() const { return refusing_; }
  // How long a statement waits for another program's write to finish before
  // it fails (milliseconds). Takes effect at the next open.
  void setBusyTimeout(int milliseconds) { busyTimeout_ = milliseconds; }
  bool isOpen() const;
  QString databasePath() const { return path_; }
  // A readable description of where the data lives (for messages and logs).
  QString connectionString() const;

  // For the layer's own data sets.
  QSqlDatabase& database();
  SqlBackend& backend();
  // Throws DbError when the connection is not open.
  void ensureOpen() const;
  // Columns of a table (names ignoring case), remembered once read; empty
  // when there is no such table.
  QList<ColumnInfo> tableColumns(const QString& table);

  // Called before every statement. A write first makes every data set of the
  // connection let go of its open result (see DataSet), so the write starts
  // from the database as it is now. A read-only connection is opened again
  // when its file changed or became writable meanwhile. Throws DbError.
  void prepareForStatement(bool writes);
  // Every data set that still reads a result lets go of it.
  void releaseReaders();
  // The database's error text as the user reads it; a refused write names the
  // file or folder that refuses it.
  QString errorText(const QString& databaseText) const;

private:
  friend class DataSet;
  void holdReader(DataSet* dataSet);
  void dropReader(DataSet* dataSet);
  void openFile();
  // The file, side file or folder that keeps the database from being
  // written, "" when none does. With repair, a side file that refuses only
  // because it lacks the write permission the database file has gets it.
  QString findRefusing(bool repair) const;
  QString fileState() const;

  QHash<QString, QList<ColumnInfo>> columnCache_;
  QString name_;
  QString path_;
  int busyTimeout_ = 4000;
  QSqlDatabase db_;
  std::unique_ptr<SqlBackend> backend_;
  QList<DataSet*> readers_;
  QString refusing_;
  // A read-only connection that reads without locks notices changes by this.
  bool watchFile_ = false;
  QString openedState_;
};

// The value of one field of the current row of a data set.
class Field {
public:
  Field(const DataSet* dataSet, int index) : dataSet_(dataSet), index_(index) {}

  const FieldDef& def() const;
  QString name() const { return def().name; }
  FieldType type() const { return def().type; }
  int index() const { return index_; }

  bool isNull() const;
  QVariant value() const;
  // The plain text: a date-time as short date, blank, long time (no time at
  // exactly midnight); a number in the general form with the decimal comma.
  QString asString() const;
  // The text a grid shows: the plain text, or the number in the field's
  // display format when it has one.
  QString displayText() const;
  double asFloat() const;
  qint64 asInteger() const;
  QDateTime asDateTime() const;
  // Numbers are aligned right, everything else left.
  Qt::Alignment defaultAlignment() const;

private:
  const DataSet* dataSet_;
  int index_;
};

// A statement's result held row by row. Rows are fetched from the database as
// they are needed (a grid asks for a screenful, a report walks them all), so
// opening a large log is as fast as opening a small one.
//
// An open result holds a read transaction, and a connection that holds one
// cannot write once another program has written (nor does it see that
// program's changes). So the result is let go when control returns to the
// event loop, before any write on the connection, and when every row has been
// read; reading on runs the statement again from the row after the last one
// read, found again even when another program added or removed rows before it.
class DataSet : public QObject {
  Q_OBJECT

public:
  explicit DataSet(Connection* connection, QObject* parent = nullptr);
  ~DataSet() override;

  Connection* connection() const { return connection_; }

  void setCommandText(const QString& sql);
  QString commandText() const { return commandText_; }
  // Binds ":name" (give the name with its colon). Values of the statement are
  // kept until cleared, so a data set can be reopened with the same values.
  void bindValue(const QString& name, const QVariant& value);
  void clearBindings();

  void open();    // throws DbError; the data set stays closed then
  void close();
  void reopen();  // close and open with the current statement and values
  bool isActive() const { return active_; }

  // A field's display format (number picture). Kept across reopening.
  void setDisplayFormat(const QString& fieldName, const QString& format);
  QString displayFormat(const QString& fieldName) const;

  // Navigation over the rows. eof() is true after next() has gone past the
  // last row or when the result is empty.
  void first();
  void next();
  void prior();
  void last();
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  bool isEmpty();
  // The current row (0-based), -1 when there is none.
  int currentRow() const { return current_; }
  // Moves to a fetched row; a row beyond what has been fetched fetches on.
  void setCurrentRow(int row);
  // Every row (fetches the rest).
  int recordCount();

  int fieldCount() const { return int(fields_.size()); }
  const FieldDef& fieldDef(int index) const { return fields_.at(index); }
  const QList<FieldDef>& fieldDefs() const { return fields_; }
  int fieldIndex(const QString& name) const;  // ignoring letter case, -1 when missing
  // Field of the current row; throws DbError when no field has that name.
  Field fieldByName(const QString& name) const;
  Field field(int index) const { return Field(this, index); }

  // Row store access (for grids and reports).
  int fetchedRowCount() const { return int(rows_.size()); }
  bool allFetched() const { return allFetched_; }
  // Fetches up to count further rows; returns how many came.
  int fetchMore(int count);
  void fetchAll();
  QVariant valueAt(int row, int column) const;
  QString displayTextAt(int row, int column) const;
  QString plainTextAt(int row, int column) const;

  // --- Editing (a data set over one table, made editable before opening) ---
  // Changes are written back row by row: a posted row goes to the table at
  // once. Rows are found again by the database's own row identity, so two
  // rows with the same values stay two rows.
  enum class State { Inactive, Browse, Edit, Insert };
  State state() const;
  void setEditable(bool editable) { editable_ = editable; }
  bool isEditable() const { return editable_; }
  QString tableName() const { return table_; }

  void edit();            // the current row (nothing when there is none: insert instead)
  void insert();          // a new, empty row before the current one
  void append();          // a new, empty row after the last
  // Writes the row being edited; throws DbError and stays in editing when the
  // database (or a beforePost check) refuses it.
  void post();
  void cancel();          // drops the changes, or the new row
  void deleteCurrent();   // throws DbError; the row stays when refused
  // Sets a field of the row being edited; starts editing from Browse.
  void setFieldValue(int index, const QVariant& value);
  void setFieldText(int index, const QString& text) { setFieldValue(index, text); }
  bool isFieldModified(int index) const;
  // The database's identity of the current row (-1 for a new row or none).
  qint64 currentRowId() const;
  // The value a field had before the current edit began (invalid for a new row).
  QVariant originalValue(int index) const;

  // Checks run before a row is written or deleted; they refuse by throwing DbError.
  std::function<void(DataSet&)> beforePost;
  std::function<void(DataSet&)> beforeDelete;

signals:
  void opened();
  void closed();
  void rowsFetched(int first, int last);
  void currentRowChanged(int row);
  void stateChanged(valmoro::db::DataSet::State state);
  void rowChanged(int row);    // values of a row changed
  void rowInserted(int row);   // a row was added at this position
  void rowRemoved(int row);

protected:
  friend class Connection;
  const QList<QPair<QString, QVariant>>& bindings() const { return bindings_; }
  void setCurrent(int row);

private:
  void readRows(int count);
  void finishFetching();
  void holdCursor();
  void releaseCursor();
  // Runs the statement again and appends the rows after the last one read.
  void resumeCursor();
  void noteRead(const QList<QVariant>& row, qint64 rowId);
  // The current row of a result, its identity apart (-1 when not editable).
  void takeRow(QSqlQuery& query, QList<QVariant>* row, qint64* rowId);
  // The value with a text's storage shared with an equal text of the
  // column read before.
  QVariant sharedText(int column, QVariant value);
  void setState(State state);
  void startInsert(int row);
  void removeRow(int row);
  void refreshRow(int row, qint64 rowId);

  Connection* connection_;
  bool editable_ = false;
  QString table_;
  QList<qint64> rowIds_;     // database row identity of each row (editable only)
  State editState_ = State::Browse;
  QList<QVariant> original_;
  QList<bool> modified_;
  QString commandText_;
  QList<QPair<QString, QVariant>> bindings_;
  bool active_ = false;
  QList<FieldDef> fields_;
  QHash<QString, QString> displayFormats_;  // lower-case field name → format
  QList<QList<QVariant>> rows_;
  struct SharedTexts {
    std::array<QString, 8> recent;  // the texts met last, compared first
    int next = 0;
    QSet<QString> all;
    int misses = 0;  // texts in a row not found once the set is full
    bool givenUp = false;
  };
  QList<SharedTexts> sharedTexts_;  // per column
  std::unique_ptr<QSqlQuery> cursor_;
  PreparedStatement cursorStatement_;  // as sent, to run it again
  int rowsRead_ = 0;                   // rows taken from the result so far
  QList<QList<QVariant>> recentRows_;  // the last few of them, as read
  QList<qint64> recentIds_;
  QSet<qint64> heldIds_;               // after a resume: rows of an editable set already held
  bool releaseQueued_ = false;
  bool allFetched_ = true;
  int current_ = -1;
  bool eof_ = true;
  bool bof_ = true;
};

// The scratch query: the statement is given as lines, sent joined with CR LF.
// A SELECT is opened and read; anything else is executed.
class Query : public DataSet {
  Q_OBJECT

public:
  explicit Query(Connection* connection, QObject* parent = nullptr);

  void clearLines();
  void addLine(const QString& line);
  QStringList lines() const { return lines_; }

  void open();  // a SELECT: the rows become readable
  // Executes the statement; returns the number of rows it changed.
  int execSql();

private:
  void syncCommandText();
  QStringList lines_;
};

// Everything that differs between database engines.
class SqlBackend {
public:
  virtual ~SqlBackend() = default;
  virtual QString driverName() const = 0;
  // Called once the connection is open: pragmas, collations, a check that
  // the file really is a database. Throws DbError.
  virtual void configure(QSqlDatabase& db) = 0;
  // Columns of a table, names matched ignoring case; empty when no such table.
  virtual QList<ColumnInfo> columns(QSqlDatabase& db, const QString& table) = 0;
  // Field definitions of an executed SELECT.
  virtual QList<FieldDef> describe(QSqlDatabase& db, QSqlQuery& query) = 0;
  // How a date-time is kept in the database.
  virtual QVariant storeDateTime(const QDateTime& value) const = 0;
  // A value as read from the database, turned into the field's type.
  virtual QVariant load(FieldType type, const QVariant& raw) const = 0;
  // The database's error text turned into a message for the user.
  virtual QString translateError(const QString& databaseText) const = 0;
  // Whether the error is a write the database refused as read-only.
  virtual bool isReadOnlyError(const QString& databaseText) const = 0;
  // Names the file to open on db (before QSqlDatabase::open). A read-only
  // target must create no file; returns true when it is then read without
  // locks, so that the connection must notice another program's changes.
  virtual bool setTarget(QSqlDatabase& db, const QString& path, bool readOnly, int busyTimeout) const = 0;
  // The files the engine keeps beside a database while it is in use.
  virtual QStringList sideFiles(const QString& path) const = 0;
  // Of those, the ones that must exist for writing in a folder that refuses
  // new files.
  virtual QStringList sideFilesNeededForWriting(const QString& path) const = 0;
  // The rows of a SELECT from a 0-based position on (bound as :vm_skip).
  virtual QString selectFrom(const QString& select) const = 0;
  // The expression that names a row for updating and deleting, and a SELECT
  // turned into one whose first column is that identity (named vm_rowid).
  virtual QString rowIdExpression() const = 0;
  virtual QString selectWithRowId(const QString& select) const = 0;
};

std::unique_ptr<SqlBackend> makeSqliteBackend();

// Rewrites a statement for the backend: "#…#" date literals become bound
// values, and every bound value that meets a column (in an INSERT column
// list, a SET assignment or a comparison) is converted for that column's
// type. Throws DbError with a message that names the field when a value does
// not fit. Exposed for tests.
PreparedStatement prepareStatement(Connection& connection, const QString& sql,
                                   const QList<QPair<QString, QVariant>>& bindings);

// The table a single-table statement reads or writes ("" when none is found).
QString statementTable(const QString& sql);

}  // namespace valmoro::db
