// The embedded database engine: SQLite through QtSql, with the native handle
// used where QtSql does not reach (declared column types, collations).

#include <sqlite3.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>

#include "platform/database.h"

namespace valmoro::db {
namespace {

// Letter case is ignored in comparisons, for every alphabet (SQLite's own
// NOCASE knows only ASCII, so "ŁÓDŹ" would not find "Łódź").
int compareIgnoringCase(void*, int n1, const void* p1, int n2, const void* p2) {
  const auto* a = static_cast<const unsigned char*>(p1);
  const auto* b = static_cast<const unsigned char*>(p2);
  const int n = n1 < n2 ? n1 : n2;
  int i = 0;
  for (; i < n; ++i) {
    unsigned ca = a[i], cb = b[i];
    if (ca >= 0x80 || cb >= 0x80) break;
    if (ca >= 'A' && ca <= 'Z') ca += 32;
    if (cb >= 'A' && cb <= 'Z') cb += 32;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i == n) return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
  // The prefixes agree; the rest holds non-ASCII text.
  const QString sa = QString::fromUtf8(reinterpret_cast<const char*>(a + i), n1 - i);
  const QString sb = QString::fromUtf8(reinterpret_cast<const char*>(b + i), n2 - i);
  const int r = sa.compare(sb, Qt::CaseInsensitive);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

sqlite3* nativeHandle(QSqlDatabase& db) {
  const QVariant v = db.driver()->handle();
  if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0) return *static_cast<sqlite3* const*>(v.data());
  return nullptr;
}

sqlite3_stmt* nativeStatement(QSqlQuery& query) {
  const QVariant v = query.result()->handle();
  if (v.isValid() && qstrcmp(v.typeName(), "sqlite3_stmt*") == 0)
    return *static_cast<sqlite3_stmt* const*>(v.data());
  return nullptr;
}

FieldType typeFromDeclaration(const QString& declared, int* size) {
  const QString d = declared.toUpper();
  *size = 0;
  static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
  const auto m = sizeRe.match(d);
  if (m.hasMatch()) *size = m.captured(1).toInt();
  if (d.contains(QLatin1String("DATE")) || d.contains(QLatin1String("TIME"))) return FieldType::DateTime;
  if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("TEXT")) || d.contains(QLatin1String("CLOB")))
    return FieldType::Text;
  if (d.contains(QLatin1String("DOUB")) || d.contains(QLatin1String("FLOA")) || d.contains(QLatin1String("REAL")) ||
      d.contains(QLatin1String("NUMERIC")) || d.contains(QLatin1String("DECIMAL")))
    return FieldType::Float;
  if (d.contains(QLatin1String("BOOL"))) return FieldType::Boolean;
  if (d.contains(QLatin1String("INT"))) return FieldType::Integer;
  if (d.contains(QLatin1String("BLOB"))) return FieldType::Blob;
  return FieldType::Unknown;
}

// "yyyy-MM-dd HH:mm:ss", read without going through a general parser: a log of
// a few hundred thousand readings goes through here.
QDateTime parseStoredDateTime(const QString& s) {
  auto digits = [&](int pos, int count, int* out) {
    int v = 0;
    for (int k = 0; k < count; ++k) {
      if (pos + k >= s.size()) return false;
      const QChar c = s[pos + k];
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
      v = v * 10 + (c.unicode() - '0');
    }
    *out = v;
    return true;
  };
  int y, mo, d, h = 0, mi = 0, se = 0;
  if (s.size() < 10 || !digits(0, 4, &y) || s[4] != QLatin1Char('-') || !digits(5, 2, &mo) ||
      s[7] != QLatin1Char('-') || !digits(8, 2, &d))
    return {};
  if (s.size() >= 19 && (s[10] == QLatin1Char(' ') || s[10] == QLatin1Char('T'))) {
    if (!digits(11, 2, &h) || !digits(14, 2, &mi) || !digits(17, 2, &se)) return {};
  } else if (s.size() >= 16 && (s[10] == QLatin1Char(' ') || s[10] == QLatin1Char('T'))) {
    if (!digits(11, 2, &h) || !digits(14, 2, &mi)) return {};
  }
  const QDate date(y, mo, d);
  const QTime time(h, mi, se);
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time);
}

class SqliteBackend final : public SqlBackend {
public:
  QString driverName() const override { return QStringLiteral("QSQLITE"); }

  void configure(QSqlDatabase& db) override {
    sqlite3* handle = nativeHandle(db);
    if (!handle) throw DbError(QStringLiteral("Sterownik bazy danych SQLite jest niedostępny."));
    sqlite3_create_collation_v2(handle, "NOCASE", SQLITE_UTF8, nullptr, compareIgnoringCase, nullptr);
    QSqlQuery q(db);
    // Reading the schema is the first touch of the file: a file that is not a
    // database fails here, not at the first statement of a window.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
      throw DbError(translateError(q.lastError().text()));
    q.finish();
    // Two copies of the program may share the file: readers never block the
    // writer and the writer never blocks readers.
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    q.finish();
    // A reading the window said was saved stays saved: every commit waits
    // until the log reached the disk, also through a crash or power loss.
    q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    q.finish();
  }

  QList<ColumnInfo> columns(QSqlDatabase& db, const QString& table) override {
    QList<ColumnInfo> out;
    QSqlQuery q(db);
    QString quotedName = table;
    quotedName.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(quotedName))) return out;
    QList<int> pkColumns;
    while (q.next()) {
      ColumnInfo c;
      c.name = q.value(1).toString();
      const QString declared = q.value(2).toString();
      c.type = typeFromDeclaration(declared, &c.size);
      if (q.value(5).toInt() > 0 && declared.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
        pkColumns.append(int(out.size()));
      out.append(c);
    }
    // A lone INTEGER PRIMARY KEY is the row number the database assigns.
    if (pkColumns.size() == 1) {
      out[pkColumns[0]].type = FieldType::AutoInc;
      out[pkColumns[0]].autoIncrement = true;
    }
    return out;
  }

  QList<FieldDef> describe(QSqlDatabase& db, QSqlQuery& query) override {
    QList<FieldDef> out;
    const QSqlRecord record = query.record();
    sqlite3_stmt* stmt = nativeStatement(query);
    for (int i = 0; i < record.count(); ++i) {
      FieldDef f;
      f.name = record.fieldName(i);
      if (stmt) {
        const char* declared = sqlite3_column_decltype(stmt, i);
        f.type = typeFromDeclaration(QString::fromUtf8(declared ? declared : ""), &f.size);
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        // Only the row number the database assigns (a lone INTEGER PRIMARY
        // KEY) is AutoInc: a column of a two-column key, or an "INT" key, is
        // typed by the user. columns() knows which column that is.
        if (table && origin && f.type == FieldType::Integer) {
          const QString originName = QString::fromUtf8(origin);
          for (const ColumnInfo& c : columns(db, QString::fromUtf8(table)))
            if (c.autoIncrement && c.name.compare(originName, Qt::CaseInsensitive) == 0) {
              f.type = FieldType::AutoInc;
              f.readOnly = true;
            }
        }
      }
      if (f.type == FieldType::Unknown) {
        switch (record.field(i).metaType().id()) {
          case QMetaType::Double: f.type = FieldType::Float; break;
          case QMetaType::Int:
          case QMetaType::LongLong: f.type = FieldType::Integer; break;
          default: f.type = FieldType::Text; break;
        }
      }
      out.append(f);
    }
    return out;
  }

  QVariant storeDateTime(const QDateTime& value) const override {
    if (!value.isValid()) return QVariant(QMetaType::fromType<QString>());
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  }

  QVariant load(FieldType type, const QVariant& raw) const override {
    if (!raw.isValid() || raw.isNull()) return raw;
    switch (type) {
      case FieldType::DateTime: {
        if (raw.metaType().id() != QMetaType::QString) return raw;
        const QDateTime dt = parseStoredDateTime(raw.toString());
        return dt.isValid() ? QVariant(dt) : raw;
      }
      case FieldType::Float: {
        bool ok = false;
        const double v = raw.toDouble(&ok);
        return ok ? QVariant(v) : raw;
      }
      case FieldType::AutoInc:
      case FieldType::Integer: {
        bool ok = false;
        const qint64 v = raw.toLongLong(&ok);
        return ok ? QVariant(v) : raw;
      }
      case FieldType::Text:
        return raw.toString();
      default:
        return raw;
    }
  }

  QString rowIdExpression() const override { return QStringLiteral("rowid"); }

  QString selectWithRowId(const QString& select) const override {
    static const QRegularExpression head(QStringLiteral("^\\s*select\\s+"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(select);
    if (!m.hasMatch()) return select;
    return select.left(m.capturedEnd()) + QStringLiteral("rowid AS vm_rowid, ") + select.mid(m.capturedEnd());
  }

  QString translateError(const QString& text) const override {
    const QString t = text.trimmed();
    static const QRegularExpression noTable(QStringLiteral("no such table: (\\S+)"));
    static const QRegularExpression noColumn(QStringLiteral("no such column: (\\S+)"));
    if (auto m = noTable.match(t); m.hasMatch())
      return QStringLiteral("Brak tabeli %1 w bazie danych.").arg(m.captured(1));
    if (auto m = noColumn.match(t); m.hasMatch())
      return QStringLiteral("Brak pola %1 w tabeli.").arg(m.captured(1));
    if (t.contains(QLatin1String("file is not a database")) || t.contains(QLatin1String("malformed")))
      return QStringLiteral("Plik bazy danych jest uszkodzony albo nie jest bazą danych.");
    if (t.contains(QLatin1String("database is locked")) || t.contains(QLatin1String("database is busy")))
      return QStringLiteral("Baza danych jest zajęta przez inny program. Spróbuj ponownie za chwilę.");
    if (isReadOnlyError(t)) return QStringLiteral("Baza danych jest tylko do odczytu: nie można zapisać zmian.");
    if (t.contains(QLatin1String("UNIQUE constraint failed")))
      return QStringLiteral("Taka wartość już istnieje w bazie danych (%1).").arg(t);
    if (t.contains(QLatin1String("CHECK constraint failed")))
      return QStringLiteral("Wartość nie spełnia warunków pola (%1).").arg(t);
    if (t.contains(QLatin1String("Unable to execute multiple statements")))
      return QStringLiteral("Polecenie SQL może zawierać tylko jedno zapytanie.");
    if (t.contains(QLatin1String("unable to open")))
      return QStringLiteral("Nie można otworzyć pliku bazy danych.");
    return QStringLiteral("Błąd bazy danych: %1").arg(t);
  }

  bool isReadOnlyError(const QString& text) const override {
    return text.contains(QLatin1String("readonly database"));
  }

  bool setTarget(QSqlDatabase& db, const QString& path, bool readOnly, int busyTimeout) const override {
    const QString timeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout);
    if (!readOnly) {
      db.setDatabaseName(path);
      db.setConnectOptions(timeout);
      return false;
    }
    // A plain read-only open still creates the write-ahead log and its index
    // beside the file, with the file's own (read-only) permissions, and leaves
    // them there: every later writer is refused by them. Where another
    // program has them open already they are shared as they are; otherwise
    // the file is read as it stands, without locks and without any file
    // beside it, and the connection watches it for changes.
    const bool shared = (QFileInfo::exists(path + QStringLiteral("-wal")) &&
                         QFileInfo::exists(path + QStringLiteral("-shm"))) ||
                        QFileInfo::exists(path + QStringLiteral("-journal"));
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                        (shared ? QStringLiteral("?mode=ro") : QStringLiteral("?immutable=1"));
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;") + timeout);
    return !shared;
  }

  QStringList sideFiles(const QString& path) const override {
    return {path + QStringLiteral("-wal"), path + QStringLiteral("-shm"), path + QStringLiteral("-journal")};
  }

  QStringList sideFilesNeededForWriting(const QString& path) const override {
    return {path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
  }

  QString selectFrom(const QString& select) const override {
    QString inner = select.trimmed();
    while (inner.endsWith(QLatin1Char(';'))) inner = inner.chopped(1).trimmed();
    // The line breaks keep a closing comment of the statement from hiding the bracket.
    return QStringLiteral("SELECT * FROM (\n%1\n) LIMIT -1 OFFSET :vm_skip").arg(inner);
  }
};

}  // namespace

std::unique_ptr<SqlBackend> makeSqliteBackend() { return std::make_unique<SqliteBackend>(); }

}  // namespace valmoro::db
