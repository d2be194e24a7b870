// The data-access layer on a throw-away SQLite file with small tables of its own.

#include "platform/database.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <ostream>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qt_printers.h"

namespace valmoro::db {
// Readable field types in failure messages.
inline void PrintTo(FieldType type, std::ostream* os) {
  static const char* const names[] = {"Unknown", "AutoInc", "Integer", "Float", "DateTime", "Text", "Boolean", "Blob"};
  *os << names[int(type)];
}
}  // namespace valmoro::db

namespace valmoro {
namespace {

// The message of the DbError an action throws, or "(no error)".
template <typename Action>
QString failure(Action&& action) {
  try {
    action();
  } catch (const db::DbError& e) {
    return e.message();
  }
  return QStringLiteral("(no error)");
}

// Texts of one field over every row, walked the way the windows walk them.
QStringList column(db::DataSet& ds, const QString& field) {
  QStringList out;
  for (ds.first(); !ds.eof(); ds.next()) out.append(ds.fieldByName(field).asString());
  return out;
}

class Database : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath(QStringLiteral("proba.db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    connection.open(path);
  }

  void exec(const QString& sql) {
    QSqlQuery q(connection.database());
    ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString() << "\n" << sql.toStdString();
  }

  int count(const QString& table) {
    QSqlQuery q(connection.database());
    q.exec(QStringLiteral("SELECT count(*) FROM ") + table);
    return q.next() ? q.value(0).toInt() : -1;
  }

  QStringList select(const QString& sql, const QString& field, const QList<QPair<QString, QVariant>>& values = {}) {
    db::DataSet ds(&connection);
    ds.setCommandText(sql);
    for (const auto& [name, value] : values) ds.bindValue(name, value);
    ds.open();
    return column(ds, field);
  }

  int execSql(const QString& sql, const QList<QPair<QString, QVariant>>& values = {}) {
    db::Query q(&connection);
    q.addLine(sql);
    for (const auto& [name, value] : values) q.bindValue(name, value);
    return q.execSql();
  }

  // Cities with a moment each, on both sides of midnight.
  void createCities() {
    exec(QStringLiteral("CREATE TABLE Miasta (Id INTEGER PRIMARY KEY, Nazwa VARCHAR(12) COLLATE NOCASE, "
                        "Kiedy DATETIME, Opis VARCHAR(5))"));
    exec(QStringLiteral("INSERT INTO Miasta (Nazwa, Kiedy) VALUES "
                        "('Łódź', '2026-03-01 23:59:59'), ('Żory', '2026-03-02 00:00:00'), "
                        "('łomża', '2026-03-02 12:00:00'), ('Ełk', '2026-03-03 00:00:00'), "
                        "('ZAKOPANE', '2026-03-03 08:30:00'), ('elbląg', '2026-03-04 00:00:00')"));
  }

  QTemporaryDir dir;
  QString path;
  db::Connection connection;
};

// ---------------------------------------------------------------------------
// Statements

TEST_F(Database, DateLiteralsAreDatesOutsideQuotedText) {
  createCities();
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Kiedy >= #2026-03-02# AND Kiedy < #2026-03-03# ORDER BY Kiedy",
                   "Nazwa"),
            (QStringList{"Żory", "łomża"}));
  // A literal may carry a time, and may stand before the column.
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE #2026-03-02 12:00# < Kiedy ORDER BY Kiedy", "Nazwa"),
            (QStringList{"Ełk", "ZAKOPANE", "elbląg"}));

  // The literal travels as a bound value in the stored form.
  const db::PreparedStatement ps =
      db::prepareStatement(connection, "SELECT * FROM Miasta WHERE Kiedy < #2026-3-4# OR Opis = '#x#'", {});
  EXPECT_EQ(ps.sql, "SELECT * FROM Miasta WHERE Kiedy < :vm_date0 OR Opis = '#x#'");
  ASSERT_EQ(ps.bindings.size(), 1);
  EXPECT_EQ(ps.bindings[0].first, ":vm_date0");
  EXPECT_EQ(ps.bindings[0].second.toString(), "2026-03-04 00:00:00");

  // Inside quoted text a "#…#" is plain text, even when it is no date at all.
  exec(QStringLiteral("UPDATE Miasta SET Opis = '#1#' WHERE Nazwa = 'Ełk'"));
  EXPECT_EQ(select("SELECT '#2026-99-99#' AS Napis", "Napis"), QStringList{"#2026-99-99#"});
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Opis = '#1#'", "Nazwa"), QStringList{"Ełk"});
  EXPECT_EQ(execSql("UPDATE Miasta SET Opis = 'a#b#' WHERE Kiedy = #2026-03-04#"), 1);
  EXPECT_EQ(select("SELECT Opis FROM Miasta WHERE Nazwa = 'elbląg'", "Opis"), QStringList{"a#b#"});
}

TEST_F(Database, BadDateLiteralsAreRefusedAndNothingRuns) {
  createCities();
  for (const char* body : {"2026-02-30", "jutro", "2026-03-01 25:00", "", "03.01.2026"})
    EXPECT_EQ(failure([&] {
                select(QStringLiteral("SELECT Nazwa FROM Miasta WHERE Kiedy > #%1#").arg(QLatin1String(body)), "Nazwa");
              }),
              QStringLiteral("Niepoprawna data w poleceniu SQL: #%1#").arg(QLatin1String(body)));
  EXPECT_EQ(failure([&] { select("SELECT Nazwa FROM Miasta WHERE Kiedy > #2026-03-01", "Nazwa"); }),
            "Niezamknięty literał daty w poleceniu SQL.");
  // A bad literal after a good one stops the whole statement.
  EXPECT_EQ(failure([&] { execSql("DELETE FROM Miasta WHERE Kiedy > #2026-03-01# OR Kiedy < #2026-13-01#"); }),
            "Niepoprawna data w poleceniu SQL: #2026-13-01#");
  EXPECT_EQ(count("Miasta"), 6);
}

TEST_F(Database, PolishLettersCompareIgnoringCase) {
  createCities();
  // A bound value and a literal text both find the city in any letter case.
  for (const char* typed : {"ŁÓDŹ", "łódź", "Łódź", "łÓdŹ"})
    EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Nazwa = :n", "Nazwa", {{":n", QString::fromUtf8(typed)}}),
              QStringList{"Łódź"})
        << typed;
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Nazwa = 'ŻORY' OR Nazwa = 'zakopane'", "Nazwa"),
            (QStringList{"Żory", "ZAKOPANE"}));
  // Letters with and without the diacritic stay different.
  EXPECT_TRUE(select("SELECT Nazwa FROM Miasta WHERE Nazwa = :n", "Nazwa", {{":n", "Lodz"}}).isEmpty());
  EXPECT_TRUE(select("SELECT Nazwa FROM Miasta WHERE Nazwa = :n", "Nazwa", {{":n", "ELBLAG"}}).isEmpty());

  // Ordering treats upper and lower case as one letter: the order is that of
  // the lower-case names, whatever case each is written in.
  const QStringList ascending{"elbląg", "Ełk", "ZAKOPANE", "łomża", "Łódź", "Żory"};
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta ORDER BY Nazwa", "Nazwa"), ascending);
  QStringList descending = ascending;
  std::reverse(descending.begin(), descending.end());
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta ORDER BY Nazwa DESC", "Nazwa"), descending);
  // Ranges agree with the ordering.
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Nazwa >= 'ŁA' ORDER BY Nazwa", "Nazwa"),
            (QStringList{"łomża", "Łódź", "Żory"}));
  // Grouping merges names that differ only in letter case.
  exec(QStringLiteral("INSERT INTO Miasta (Nazwa) VALUES ('ŁÓDŹ'), ('żory')"));
  EXPECT_EQ(select("SELECT count(*) AS Ile FROM (SELECT DISTINCT Nazwa FROM Miasta)", "Ile"), QStringList{"6"});
}

TEST_F(Database, MissingParameterValueIsReported) {
  createCities();
  db::DataSet ds(&connection);
  ds.setCommandText(QStringLiteral("SELECT Nazwa FROM Miasta WHERE Nazwa = :nazwa OR Kiedy > :od"));
  ds.bindValue(QStringLiteral(":nazwa"), QStringLiteral("Ełk"));
  EXPECT_EQ(failure([&] { ds.open(); }), "Brak wartości parametru :od.");
  EXPECT_FALSE(ds.isActive());
  ds.bindValue(QStringLiteral(":od"), QStringLiteral("2026-03-03 12:00:00"));
  ds.open();
  EXPECT_EQ(column(ds, "Nazwa"), (QStringList{"Ełk", "elbląg"}));

  // Clearing the values clears them all; nothing is deleted without them.
  db::Query q(&connection);
  q.addLine(QStringLiteral("DELETE FROM Miasta"));
  q.addLine(QStringLiteral("WHERE Nazwa = :nazwa"));
  q.bindValue(QStringLiteral(":nazwa"), QStringLiteral("Ełk"));
  q.clearBindings();
  EXPECT_EQ(failure([&] { q.execSql(); }), "Brak wartości parametru :nazwa.");
  EXPECT_EQ(count("Miasta"), 6);
}

TEST_F(Database, SecondStatementInOneTextIsRefusedAndNothingRuns) {
  createCities();
  const auto refusedDrop = [&](const QString& sql) {
    EXPECT_EQ(failure([&] { execSql(sql); }), "Polecenie SQL może zawierać tylko jedno zapytanie.") << sql.toStdString();
    EXPECT_EQ(failure([&] { select(sql, "Nazwa"); }), "Polecenie SQL może zawierać tylko jedno zapytanie.")
        << sql.toStdString();
    EXPECT_EQ(count("Miasta"), 6) << sql.toStdString();
  };
  refusedDrop(QStringLiteral("select 1; drop table Miasta"));
  refusedDrop(QStringLiteral("DROP TABLE Miasta;\r\nSELECT 1"));
  refusedDrop(QStringLiteral("DELETE FROM Miasta WHERE Nazwa = 'Ełk'; DELETE FROM Miasta"));
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Nazwa = 'Ełk'", "Nazwa"), QStringList{"Ełk"});

  // One statement with a closing ";", or with ";" inside text or a comment, is one statement.
  EXPECT_EQ(select("SELECT Nazwa FROM Miasta WHERE Nazwa = 'Ełk';  \r\n", "Nazwa"), QStringList{"Ełk"});
  EXPECT_EQ(execSql("UPDATE Miasta SET Opis = 'a;b' WHERE Nazwa = 'Ełk' -- ; DROP TABLE Miasta"), 1);
  EXPECT_EQ(select("SELECT Opis FROM Miasta WHERE Nazwa = 'Ełk'", "Opis"), QStringList{"a;b"});
  EXPECT_EQ(count("Miasta"), 6);
}

TEST_F(Database, TooLongTextIsRefusedOnlyWhenStored) {
  createCities();
  const auto insert = [&](const QString& opis) {
    return failure([&] { execSql("INSERT INTO Miasta (Nazwa, Opis) VALUES ('Nowe', :opis)", {{":opis", opis}}); });
  };
  EXPECT_EQ(insert(QStringLiteral("abcdef")), "Pole „Opis”: tekst jest za długi (6 znaków, dozwolone najwyżej 5).");
  // The limit counts characters: five Polish letters and five characters
  // outside the basic plane both fit.
  EXPECT_EQ(insert(QStringLiteral("ŁÓDŹŻ")), "(no error)");
  EXPECT_EQ(insert(QString::fromUtf8("\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600")), "(no error)");
  EXPECT_EQ(insert(QString::fromUtf8("\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600x")),
            "Pole „Opis”: tekst jest za długi (6 znaków, dozwolone najwyżej 5).");
  EXPECT_EQ(count("Miasta"), 8);

  // An assignment is storing too; the row keeps its old value.
  EXPECT_EQ(failure([&] {
              execSql("UPDATE Miasta SET Opis = :opis WHERE Nazwa = :nazwa", {{":opis", "123456"}, {":nazwa", "Ełk"}});
            }),
            "Pole „Opis”: tekst jest za długi (6 znaków, dozwolone najwyżej 5).");
  EXPECT_EQ(execSql("UPDATE Miasta SET Opis = :opis WHERE Nazwa = :nazwa", {{":opis", "12345"}, {":nazwa", "Ełk"}}),
            1);

  // A long text compared with the column is only compared.
  EXPECT_TRUE(select("SELECT Nazwa FROM Miasta WHERE Opis = :opis", "Nazwa", {{":opis", "1234567890"}}).isEmpty());
  EXPECT_TRUE(select("SELECT Nazwa FROM Miasta WHERE :opis = Opis", "Nazwa", {{":opis", "1234567890"}}).isEmpty());
  EXPECT_EQ(execSql("UPDATE Miasta SET Opis = NULL WHERE Opis = :opis", {{":opis", "1234567890"}}), 0);
  EXPECT_EQ(execSql("DELETE FROM Miasta WHERE Opis <> :opis AND Nazwa = 'Ełk'", {{":opis", "1234567890"}}), 1);
  EXPECT_EQ(count("Miasta"), 7);
}

// ---------------------------------------------------------------------------
// Rows

class DatabaseRows : public Database {
protected:
  void SetUp() override {
    Database::SetUp();
    exec(QStringLiteral("CREATE TABLE Liczby (N INTEGER)"));
    exec(QStringLiteral("INSERT INTO Liczby (N) WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                        "WHERE x < 5000) SELECT x FROM c"));
    ds.setCommandText(QStringLiteral("SELECT N FROM Liczby ORDER BY N"));
  }

  qint64 n() const { return ds.fieldByName(QStringLiteral("N")).asInteger(); }

  db::DataSet ds{&connection};
};

TEST_F(DatabaseRows, LargeResultIsFetchedAsNeeded) {
  ds.open();
  EXPECT_GT(ds.fetchedRowCount(), 0);
  EXPECT_LE(ds.fetchedRowCount(), 256);
  EXPECT_FALSE(ds.allFetched());
  EXPECT_EQ(ds.currentRow(), 0);
  EXPECT_EQ(n(), 1);

  // Walking with next() sees every row once, in order, and stops on the last.
  int seen = 0;
  qint64 wrong = 0;
  for (ds.first(); !ds.eof(); ds.next()) {
    ++seen;
    if (n() != seen && wrong == 0) wrong = seen;
  }
  EXPECT_EQ(seen, 5000);
  EXPECT_EQ(wrong, 0) << "first row out of order";
  EXPECT_TRUE(ds.allFetched());
  EXPECT_EQ(ds.currentRow(), 4999);
  EXPECT_EQ(n(), 5000);
  ds.next();
  EXPECT_TRUE(ds.eof());
  EXPECT_EQ(ds.currentRow(), 4999);

  // Counting reads the rest without moving; a reopen starts small again.
  ds.reopen();
  EXPECT_LE(ds.fetchedRowCount(), 256);
  EXPECT_EQ(ds.recordCount(), 5000);
  EXPECT_EQ(ds.fetchedRowCount(), 5000);
  EXPECT_EQ(ds.currentRow(), 0);
  EXPECT_EQ(ds.displayTextAt(4999, 0), "5000");
  EXPECT_EQ(ds.displayTextAt(5000, 0), "");

  // Going to a row not yet read reads up to it.
  ds.reopen();
  ds.setCurrentRow(3000);
  EXPECT_EQ(ds.currentRow(), 3000);
  EXPECT_EQ(n(), 3001);
  EXPECT_FALSE(ds.eof());
  EXPECT_FALSE(ds.bof());
  EXPECT_LT(ds.fetchedRowCount(), 5000);
}

TEST_F(DatabaseRows, NavigationFlagsFollowTheRowsWalked) {
  ds.open();
  EXPECT_TRUE(ds.bof());
  EXPECT_FALSE(ds.eof());

  ds.next();
  EXPECT_EQ(n(), 2);
  EXPECT_FALSE(ds.bof());
  // Stepping back onto the first row is not yet "before the first".
  ds.prior();
  EXPECT_EQ(n(), 1);
  EXPECT_FALSE(ds.bof());
  ds.prior();
  EXPECT_EQ(n(), 1);
  EXPECT_TRUE(ds.bof());

  ds.last();
  EXPECT_EQ(n(), 5000);
  EXPECT_EQ(ds.currentRow(), 4999);
  EXPECT_TRUE(ds.eof());
  EXPECT_FALSE(ds.bof());
  ds.prior();
  EXPECT_EQ(n(), 4999);
  EXPECT_FALSE(ds.eof());

  ds.first();
  EXPECT_EQ(n(), 1);
  EXPECT_TRUE(ds.bof());
  EXPECT_FALSE(ds.eof());

  // A closed data set has no rows and no current row.
  ds.close();
  EXPECT_FALSE(ds.isActive());
  EXPECT_EQ(ds.currentRow(), -1);
  EXPECT_TRUE(ds.eof());
  EXPECT_TRUE(ds.bof());
  EXPECT_EQ(ds.recordCount(), 0);
  EXPECT_EQ(ds.fetchedRowCount(), 0);
}

TEST_F(DatabaseRows, EmptyResultHasNoCurrentRow) {
  ds.setCommandText(QStringLiteral("SELECT N, N * 2 AS Podwojona FROM Liczby WHERE N > 5000"));
  ds.open();
  EXPECT_TRUE(ds.isActive());
  EXPECT_TRUE(ds.eof());
  EXPECT_TRUE(ds.bof());
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_EQ(ds.currentRow(), -1);
  EXPECT_EQ(ds.fieldCount(), 2);
  EXPECT_EQ(ds.fieldByName(QStringLiteral("n")).asString(), "");
  EXPECT_EQ(ds.fieldByName(QStringLiteral("PODWOJONA")).displayText(), "");
  EXPECT_TRUE(ds.fieldByName(QStringLiteral("N")).isNull());
  EXPECT_EQ(ds.fieldByName(QStringLiteral("N")).asInteger(), 0);
  EXPECT_EQ(failure([&] { ds.fieldByName(QStringLiteral("Brak")); }), "Nie znaleziono pola: Brak");

  for (auto move : {&db::DataSet::next, &db::DataSet::prior, &db::DataSet::last, &db::DataSet::first}) {
    (ds.*move)();
    EXPECT_TRUE(ds.eof());
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.currentRow(), -1);
  }
  ds.setCurrentRow(0);
  EXPECT_EQ(ds.currentRow(), -1);
  EXPECT_EQ(ds.recordCount(), 0);
}

// ---------------------------------------------------------------------------
// Two connections on one file (two copies of the program)

class DatabaseShared : public DatabaseRows {
protected:
  void SetUp() override {
    DatabaseRows::SetUp();
    other.setBusyTimeout(200);
    other.open(path);
  }

  int otherExec(const QString& sql) {
    db::Query q(&other);
    q.addLine(sql);
    return q.execSql();
  }

  // N of every row from the first, as the data set walks them.
  QList<qint64> walk() {
    QList<qint64> out;
    for (ds.first(); !ds.eof(); ds.next()) out.append(n());
    return out;
  }

  static QList<qint64> range(qint64 from, qint64 to) {
    QList<qint64> out;
    for (qint64 v = from; from <= to ? v <= to : v >= to; v += from <= to ? 1 : -1) out.append(v);
    return out;
  }

  db::Connection other;
};

TEST_F(DatabaseShared, EachCopyWritesRightAfterTheOther) {
  ds.setCommandText(QStringLiteral("SELECT N FROM Liczby ORDER BY N DESC"));
  ds.open();
  ASSERT_FALSE(ds.allFetched());
  const int held = ds.fetchedRowCount();

  // Within one user action: the other copy writes, then this one.
  EXPECT_EQ(otherExec(QStringLiteral("INSERT INTO Liczby (N) VALUES (5001)")), 1);
  EXPECT_EQ(failure([&] { execSql(QStringLiteral("INSERT INTO Liczby (N) VALUES (5002)")); }), "(no error)");
  // Over the next ones, in turn.
  QCoreApplication::processEvents();
  EXPECT_EQ(otherExec(QStringLiteral("INSERT INTO Liczby (N) VALUES (5003)")), 1);
  EXPECT_EQ(failure([&] { execSql(QStringLiteral("INSERT INTO Liczby (N) VALUES (5004)")); }), "(no error)");
  QCoreApplication::processEvents();
  EXPECT_EQ(otherExec(QStringLiteral("DELETE FROM Liczby WHERE N = 1")), 1);
  EXPECT_EQ(failure([&] { execSql(QStringLiteral("DELETE FROM Liczby WHERE N = 2")); }), "(no error)");

  // The rows read stay as they were; reading on neither repeats nor skips a
  // row although four came before them, and meets the rows as they are now.
  EXPECT_EQ(ds.fetchedRowCount(), held);
  EXPECT_EQ(walk(), range(5000, 3));
  // Opened again, it shows what both wrote.
  ds.reopen();
  EXPECT_EQ(walk().mid(0, 5), (QList<qint64>{5004, 5003, 5002, 5001, 5000}));
  EXPECT_EQ(ds.recordCount(), 5002);
}

TEST_F(DatabaseShared, AFinishedUserActionLeavesTheDatabaseFree) {
  ds.open();
  ASSERT_FALSE(ds.allFetched());
  QCoreApplication::processEvents();  // back in the event loop: the user action is over
  EXPECT_EQ(otherExec(QStringLiteral("INSERT INTO Liczby (N) VALUES (0)")), 1);
  // The next statement of this copy sees the other's row...
  EXPECT_EQ(select(QStringLiteral("SELECT N FROM Liczby WHERE N <= 0"), QStringLiteral("N")), QStringList{"0"});
  // ...and the other can fold its log back into the file completely.
  QCoreApplication::processEvents();
  QSqlQuery checkpoint(other.database());
  ASSERT_TRUE(checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
  ASSERT_TRUE(checkpoint.next());
  EXPECT_EQ(checkpoint.value(0).toInt(), 0) << "a reader still holds the database";
  checkpoint.finish();
  EXPECT_EQ(walk(), range(1, 5000));
}

TEST_F(DatabaseShared, ReadingOnFindsItsPlaceWhenRowsBeforeItWent) {
  ds.open();
  const int held = ds.fetchedRowCount();
  ASSERT_GT(held, 10);
  QCoreApplication::processEvents();
  // Rows before the place go, among them the last two read, and others come.
  EXPECT_EQ(otherExec(QStringLiteral("DELETE FROM Liczby WHERE N IN (3, 4, 5, %1, %2)").arg(held - 1).arg(held)), 5);
  EXPECT_EQ(otherExec(QStringLiteral("INSERT INTO Liczby (N) VALUES (0), (-1)")), 2);
  EXPECT_EQ(walk(), range(1, 5000));

  // A statement the layer cannot wrap is walked up to its place instead.
  QString wide = QStringLiteral("EXPLAIN SELECT N");
  for (int i = 1; i <= 120; ++i) wide += QStringLiteral(", N + %1").arg(i);
  ds.close();
  ds.setCommandText(wide + QStringLiteral(" FROM Liczby"));
  ds.open();
  QStringList straight;
  for (ds.first(); !ds.eof(); ds.next()) straight.append(ds.plainTextAt(ds.currentRow(), 1));
  ds.reopen();
  ASSERT_FALSE(ds.allFetched());
  QCoreApplication::processEvents();
  QStringList resumed;
  for (ds.first(); !ds.eof(); ds.next()) resumed.append(ds.plainTextAt(ds.currentRow(), 1));
  EXPECT_GT(straight.size(), 120);
  EXPECT_EQ(resumed, straight);
}

TEST_F(DatabaseShared, RowPostedBeforeReadingOnIsNotShownTwice) {
  ds.setEditable(true);
  ds.open();
  ASSERT_FALSE(ds.allFetched());
  ds.insert();
  ds.setFieldValue(0, 4000);
  ds.post();  // the row sorts far below the rows read so far
  QSet<qint64> ids;
  QList<qint64> values;
  for (ds.first(); !ds.eof(); ds.next()) {
    ids.insert(ds.currentRowId());
    values.append(n());
  }
  EXPECT_EQ(values.size(), 5001);
  EXPECT_EQ(ids.size(), 5001);
  EXPECT_EQ(values.count(4000), 2);
}

// A log repeats its texts row after row: each distinct short text is held
// once, yet every row keeps its own value, through editing too.
TEST_F(Database, RepeatedTextsAreHeldOnceAndStayValues) {
  // Besides: a short text that never repeats (more of them than are kept)
  // and one that repeats only after many others.
  exec(QStringLiteral("CREATE TABLE Wpisy (Punkt VARCHAR(30), Opis VARCHAR(200), T DOUBLE, Kod VARCHAR(10), "
                      "Osoba VARCHAR(30))"));
  exec(QStringLiteral("INSERT INTO Wpisy WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 5999) "
                      "SELECT CASE x % 3 WHEN 0 THEN 'Chłodnia' WHEN 1 THEN 'Rampa' ELSE NULL END, "
                      "printf('%0100d', x), x / 10.0, printf('K%05d', x), printf('osoba %d', x % 300) FROM c"));
  db::DataSet ds(&connection);
  ds.setEditable(true);
  ds.setCommandText(QStringLiteral("SELECT Punkt, Opis, T, Kod, Osoba FROM Wpisy ORDER BY T"));
  ds.open();
  ds.fetchAll();
  ASSERT_EQ(ds.fetchedRowCount(), 6000);
  const QString points[] = {QStringLiteral("Chłodnia"), QStringLiteral("Rampa"), QString()};
  for (int row = 0; row < 6000; ++row) {
    ASSERT_EQ(ds.valueAt(row, 0).toString(), points[row % 3]) << row;
    ASSERT_EQ(ds.valueAt(row, 0).isNull(), row % 3 == 2) << row;
    ASSERT_EQ(ds.valueAt(row, 1).toString(), QStringLiteral("%1").arg(row, 100, 10, QLatin1Char('0'))) << row;
    ASSERT_EQ(ds.valueAt(row, 2).toDouble(), row / 10.0) << row;
    ASSERT_EQ(ds.valueAt(row, 3).toString(), QStringLiteral("K%1").arg(row, 5, 10, QLatin1Char('0'))) << row;
    ASSERT_EQ(ds.valueAt(row, 4).toString(), QStringLiteral("osoba %1").arg(row % 300)) << row;
  }
  // One copy of "Rampa" for all its rows; long texts are each their own.
  EXPECT_EQ(ds.valueAt(1, 0).toString().constData(), ds.valueAt(5998, 0).toString().constData());
  EXPECT_EQ(ds.valueAt(5, 4).toString().constData(), ds.valueAt(305, 4).toString().constData());
  EXPECT_NE(ds.valueAt(1, 1).toString().constData(), ds.valueAt(4, 1).toString().constData());

  ds.setCurrentRow(4);
  ds.edit();
  ds.setFieldValue(0, QStringLiteral("Biuro"));
  ds.post();
  EXPECT_EQ(ds.fieldByName(QStringLiteral("Punkt")).asString(), "Biuro");
  EXPECT_EQ(ds.valueAt(1, 0).toString(), "Rampa");
  EXPECT_EQ(ds.valueAt(7, 0).toString(), "Rampa");
  ds.reopen();
  ds.fetchAll();
  EXPECT_EQ(ds.valueAt(4, 0).toString(), "Biuro");
  EXPECT_EQ(ds.valueAt(7, 0).toString(), "Rampa");
}

// ---------------------------------------------------------------------------
// A database that cannot be written

// Sets or clears the file system's immutable flag, which refuses writing even
// to the administrator account; false where it cannot be set.
bool setImmutable(const QString& file, bool on) {
  const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

class DatabaseReadOnly : public Database {
protected:
  void SetUp() override {
    Database::SetUp();
    createCities();
    connection.close();
  }
  void TearDown() override {
    // The temporary folder must be removable whatever a test left.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
      setImmutable(dir.filePath(name), false);
      ::chmod(QFile::encodeName(dir.filePath(name)).constData(), 0600);
    }
  }

  QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
  static QString refused(const QString& what) {
    return QStringLiteral("Baza danych jest tylko do odczytu: nie można zapisać zmian.\r") + what +
           QStringLiteral(" nie pozwala na zapis.");
  }
  static void makeMode(const QString& file, int mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0) << file.toStdString();
  }
  static QString write(db::Connection& c, const QString& sql) {
    return failure([&] {
      db::Query q(&c);
      q.addLine(sql);
      q.execSql();
    });
  }
  static QStringList names(db::Connection& c) {
    db::DataSet ds(&c);
    ds.setCommandText(QStringLiteral("SELECT Nazwa FROM Miasta ORDER BY Id"));
    ds.open();
    return column(ds, QStringLiteral("Nazwa"));
  }
};

TEST_F(DatabaseReadOnly, ReadOnlyFileIsReadWithoutFilesBesideItAndWritesNameIt) {
  makeMode(path, 0444);
  db::Connection ro;
  ro.open(path);
  const QStringList alone{"proba.db"};
  EXPECT_EQ(names(ro).size(), 6);
  EXPECT_EQ(files(), alone);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta")), refused(QStringLiteral("Plik ") + path));
  // Editing through a data set is refused the same way, and the row stays.
  db::DataSet edit(&ro);
  edit.setEditable(true);
  edit.setCommandText(QStringLiteral("SELECT * FROM Miasta ORDER BY Id"));
  edit.open();
  edit.setFieldValue(1, QStringLiteral("Kraków"));
  EXPECT_EQ(failure([&] { edit.post(); }), refused(QStringLiteral("Plik ") + path));
  edit.cancel();
  EXPECT_EQ(names(ro).first(), "Łódź");
  ro.close();
  EXPECT_EQ(files(), alone);

  // Made writable again, the same connection writes at its next statement.
  ro.open(path);
  makeMode(path, 0644);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta WHERE Nazwa = 'Ełk'")), "(no error)");
  EXPECT_EQ(names(ro).size(), 5);
  ro.close();
  EXPECT_EQ(files(), alone);
}

TEST_F(DatabaseReadOnly, ReadOnlyCopyFollowsAWritingCopy) {
  // One copy writes; for the other the file is read-only.
  connection.open(path);
  ASSERT_EQ(names(connection).size(), 6);
  makeMode(path, 0444);
  const QStringList shared{"proba.db", "proba.db-shm", "proba.db-wal"};
  ASSERT_EQ(files(), shared);
  db::Connection ro;
  ro.open(path);
  EXPECT_EQ(names(ro).size(), 6);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta")), refused(QStringLiteral("Plik ") + path));
  EXPECT_EQ(write(connection, QStringLiteral("INSERT INTO Miasta (Nazwa) VALUES ('Hel')")), "(no error)");
  EXPECT_EQ(names(ro).size(), 7);
  EXPECT_EQ(names(ro).last(), "Hel");
  EXPECT_EQ(files(), shared);
}

TEST_F(DatabaseReadOnly, FolderThatTakesNoNewFilesKeepsTheDatabaseReadOnly) {
  makeMode(dir.path(), 0555);
  db::Connection ro;
  ro.open(path);
  EXPECT_EQ(names(ro).size(), 6);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta")), refused(QStringLiteral("Folder ") + dir.path()));
  EXPECT_EQ(files(), QStringList{"proba.db"});
  makeMode(dir.path(), 0755);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta WHERE Nazwa = 'Ełk'")), "(no error)");
  EXPECT_EQ(names(ro).size(), 5);
}

TEST_F(DatabaseReadOnly, FileLeftReadOnlyBesideTheDatabaseIsWritableAgain) {
  // What an earlier read-only open left: the engine's files beside the
  // database, with the read-only permissions the database had then.
  makeMode(path, 0444);
  {
    QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("earlier"));
    raw.setDatabaseName(path);
    raw.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    ASSERT_TRUE(raw.open());
    QSqlQuery q(raw);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM Miasta")));
    q.finish();
    raw.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("earlier"));
  ASSERT_EQ(files(), (QStringList{"proba.db", "proba.db-shm", "proba.db-wal"}));
  makeMode(path, 0644);

  db::Connection again;
  again.open(path);
  EXPECT_EQ(write(again, QStringLiteral("DELETE FROM Miasta WHERE Nazwa = 'Ełk'")), "(no error)");
  for (const QString& name : {QStringLiteral("proba.db-shm"), QStringLiteral("proba.db-wal")})
    EXPECT_TRUE(QFileInfo(dir.filePath(name)).permissions() & QFileDevice::WriteOwner) << name.toStdString();
  EXPECT_EQ(names(again).size(), 5);
  again.close();
  EXPECT_EQ(files(), QStringList{"proba.db"});
}

TEST_F(DatabaseReadOnly, FileBesideTheDatabaseThatRefusesWritingIsNamed) {
  // Left by a copy that still has the database open, and then made
  // unwritable for everyone.
  connection.open(path);
  ASSERT_EQ(names(connection).size(), 6);
  const QString index = path + QStringLiteral("-shm");
  ASSERT_TRUE(QFileInfo::exists(index));
  if (!setImmutable(index, true))
    GTEST_SKIP() << "this account cannot make a file unwritable for everyone (the immutable flag needs the "
                    "administrator account and a file system that has it)";
  connection.close();

  db::Connection ro;
  ro.open(path);
  EXPECT_EQ(names(ro).size(), 6);
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta")), refused(QStringLiteral("Plik ") + index));
  EXPECT_EQ(names(ro).size(), 6);
  ASSERT_TRUE(setImmutable(index, false));
  EXPECT_EQ(write(ro, QStringLiteral("DELETE FROM Miasta WHERE Nazwa = 'Ełk'")), "(no error)");
  EXPECT_EQ(names(ro).size(), 5);
}

// ---------------------------------------------------------------------------
// Fields

TEST_F(Database, FieldTypesAndTextsFollowTheDeclaredColumns) {
  exec(QStringLiteral("CREATE TABLE Pomiary (Id INTEGER PRIMARY KEY, Kiedy DATETIME, Wartosc FLOAT, Ile INTEGER, "
                      "Opis VARCHAR(20), Flaga BOOLEAN)"));
  exec(QStringLiteral("INSERT INTO Pomiary VALUES (1, '2026-03-02 00:00:00', 1234.5, 7, 'abc', 1), "
                      "(2, '2026-03-02 07:05:09', -0.25, -12, '', 0), (3, '2026-03-03', 21, NULL, NULL, NULL), "
                      "(4, 'jutro', NULL, 0, 'x', NULL)"));
  db::DataSet ds(&connection);
  ds.setCommandText(QStringLiteral("SELECT * FROM Pomiary ORDER BY Id"));
  ds.setDisplayFormat(QStringLiteral("WARTOSC"), QStringLiteral("#,##0.00"));
  ds.open();

  ASSERT_EQ(ds.fieldCount(), 6);
  const struct {
    const char* name;
    db::FieldType type;
    int size;
    bool readOnly;
    Qt::Alignment alignment;
  } expected[] = {
      {"Id", db::FieldType::AutoInc, 0, true, Qt::AlignRight},
      {"Kiedy", db::FieldType::DateTime, 0, false, Qt::AlignLeft},
      {"Wartosc", db::FieldType::Float, 0, false, Qt::AlignRight},
      {"Ile", db::FieldType::Integer, 0, false, Qt::AlignRight},
      {"Opis", db::FieldType::Text, 20, false, Qt::AlignLeft},
      {"Flaga", db::FieldType::Boolean, 0, false, Qt::AlignLeft},
  };
  for (int i = 0; i < 6; ++i) {
    const db::FieldDef& def = ds.fieldDef(i);
    EXPECT_EQ(def.name, expected[i].name);
    EXPECT_EQ(def.type, expected[i].type) << expected[i].name;
    EXPECT_EQ(def.size, expected[i].size) << expected[i].name;
    EXPECT_EQ(def.readOnly, expected[i].readOnly) << expected[i].name;
    EXPECT_EQ(ds.field(i).defaultAlignment(), expected[i].alignment) << expected[i].name;
    EXPECT_EQ(ds.fieldIndex(QString::fromLatin1(expected[i].name).toUpper()), i);
  }

  // Row by row: plain text, display text, and the typed reading.
  auto texts = [&](const char* field) {
    return QStringList{ds.fieldByName(field).asString(), ds.fieldByName(field).displayText()};
  };
  ds.first();
  EXPECT_EQ(texts("Kiedy"), (QStringList{"2026-03-02", "2026-03-02"}));
  EXPECT_EQ(ds.fieldByName("Kiedy").asDateTime(), QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  EXPECT_EQ(texts("Wartosc"), (QStringList{"1234,5", "1\u00A0234,50"}));
  EXPECT_DOUBLE_EQ(ds.fieldByName("Wartosc").asFloat(), 1234.5);
  EXPECT_EQ(texts("Ile"), (QStringList{"7", "7"}));
  EXPECT_EQ(texts("Id"), (QStringList{"1", "1"}));
  EXPECT_EQ(texts("Flaga"), (QStringList{"True", "True"}));
  ds.next();
  EXPECT_EQ(texts("Kiedy"), (QStringList{"2026-03-02 07:05:09", "2026-03-02 07:05:09"}));
  EXPECT_EQ(texts("Wartosc"), (QStringList{"-0,25", "-0,25"}));
  EXPECT_EQ(texts("Ile"), (QStringList{"-12", "-12"}));
  EXPECT_EQ(texts("Opis"), (QStringList{"", ""}));
  EXPECT_FALSE(ds.fieldByName("Opis").isNull());
  EXPECT_EQ(texts("Flaga"), (QStringList{"False", "False"}));
  ds.next();
  // A date stored without a time is midnight of that day.
  EXPECT_EQ(texts("Kiedy"), (QStringList{"2026-03-03", "2026-03-03"}));
  EXPECT_EQ(texts("Wartosc"), (QStringList{"21", "21,00"}));
  for (const char* nullField : {"Ile", "Opis", "Flaga"}) {
    EXPECT_TRUE(ds.fieldByName(nullField).isNull()) << nullField;
    EXPECT_EQ(texts(nullField), (QStringList{"", ""})) << nullField;
  }
  ds.next();
  // A date-time column holding something else shows what it holds.
  EXPECT_EQ(texts("Kiedy"), (QStringList{"jutro", "jutro"}));
  EXPECT_FALSE(ds.fieldByName("Kiedy").asDateTime().isValid());
  EXPECT_EQ(texts("Wartosc"), (QStringList{"", ""}));

  // The grid's view of the same rows, and the format kept over a reopen.
  ds.reopen();
  EXPECT_EQ(ds.displayTextAt(0, 2), "1\u00A0234,50");
  EXPECT_EQ(ds.plainTextAt(0, 2), "1234,5");
  EXPECT_EQ(ds.displayTextAt(1, 1), "2026-03-02 07:05:09");
  EXPECT_EQ(ds.displayFormat(QStringLiteral("wartosc")), "#,##0.00");
}

TEST_F(Database, OnlyARowNumberKeyIsAutoInc) {
  exec(QStringLiteral("CREATE TABLE Auto (Nr INTEGER PRIMARY KEY AUTOINCREMENT, Ile INTEGER)"));
  exec(QStringLiteral("CREATE TABLE Para (A INTEGER, B INTEGER, Ile INTEGER, PRIMARY KEY (A, B))"));
  exec(QStringLiteral("CREATE TABLE Kod (K INT PRIMARY KEY, Ile INTEGER)"));
  exec(QStringLiteral("INSERT INTO Auto (Ile) VALUES (5)"));
  exec(QStringLiteral("INSERT INTO Para VALUES (1, 2, 5)"));
  exec(QStringLiteral("INSERT INTO Kod VALUES (9, 5)"));

  auto types = [&](const QString& table) {
    db::DataSet ds(&connection);
    ds.setCommandText(QStringLiteral("SELECT * FROM ") + table);
    ds.open();
    QList<db::FieldType> out;
    for (const db::FieldDef& def : ds.fieldDefs()) out.append(def.type);
    return out;
  };
  auto declared = [&](const QString& table) {
    QList<db::FieldType> out;
    for (const db::ColumnInfo& c : connection.tableColumns(table)) out.append(c.type);
    return out;
  };
  using T = db::FieldType;
  // A rowid alias is numbered by the database; a column of a key made of two
  // columns, or a key declared "INT", is an ordinary number the user types.
  EXPECT_EQ(types("Auto"), (QList<T>{T::AutoInc, T::Integer}));
  EXPECT_EQ(types("Para"), (QList<T>{T::Integer, T::Integer, T::Integer}));
  EXPECT_EQ(types("Kod"), (QList<T>{T::Integer, T::Integer}));
  // The table's columns and a result over them agree.
  EXPECT_EQ(declared("auto"), types("Auto"));
  EXPECT_EQ(declared("PARA"), types("Para"));
  EXPECT_EQ(declared("Kod"), types("Kod"));
  EXPECT_TRUE(connection.tableColumns(QStringLiteral("Brak")).isEmpty());
}

// ---------------------------------------------------------------------------
// Opening and closing

TEST(DatabaseOpening, MissingFileIsReportedAndNotCreated) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString missing = dir.filePath(QStringLiteral("Dane/Brak.db"));
  db::Connection connection;
  EXPECT_EQ(failure([&] { connection.open(missing); }), QStringLiteral("Brak pliku bazy danych: ") + missing);
  EXPECT_FALSE(connection.isOpen());
  EXPECT_FALSE(QFile::exists(missing));
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  // A folder is not a database file either.
  EXPECT_EQ(failure([&] { connection.open(dir.path()); }), QStringLiteral("Brak pliku bazy danych: ") + dir.path());
  EXPECT_FALSE(connection.isOpen());
}

TEST(DatabaseOpening, FileThatIsNotADatabaseIsRefusedUntouched) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("Valmoro.db"));
  QByteArray bytes;
  while (bytes.size() < 8192) bytes += "Temperatura;Wilgotnosc;2026-03-01 08:00:00;4,5;80\r\n";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  db::Connection connection;
  EXPECT_EQ(failure([&] { connection.open(path); }), "Plik bazy danych jest uszkodzony albo nie jest bazą danych.");
  EXPECT_FALSE(connection.isOpen());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), bytes);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Valmoro.db"});
}

TEST_F(Database, ClosedConnectionRefusesEveryStatement) {
  createCities();
  db::DataSet ds(&connection);
  ds.setCommandText(QStringLiteral("SELECT Nazwa FROM Miasta"));
  ds.open();
  connection.close();
  EXPECT_FALSE(connection.isOpen());

  const QString closed = QStringLiteral("Brak połączenia z bazą danych.");
  db::DataSet other(&connection);
  other.setCommandText(QStringLiteral("SELECT Nazwa FROM Miasta"));
  EXPECT_EQ(failure([&] { other.open(); }), closed);
  EXPECT_FALSE(other.isActive());
  EXPECT_EQ(failure([&] { ds.reopen(); }), closed);
  EXPECT_FALSE(ds.isActive());
  EXPECT_EQ(failure([&] { execSql("DELETE FROM Miasta"); }), closed);
  EXPECT_EQ(failure([&] { connection.tableColumns(QStringLiteral("Miasta")); }), closed);
  EXPECT_EQ(failure([&] { db::prepareStatement(connection, "SELECT * FROM Miasta WHERE Nazwa = :n", {{":n", "x"}}); }),
            closed);

  // A connection that was never opened says the same.
  db::Connection never;
  db::Query q(&never);
  q.addLine(QStringLiteral("SELECT 1"));
  EXPECT_EQ(failure([&] { q.open(); }), closed);
  EXPECT_EQ(failure([&] { q.execSql(); }), closed);

  // Reopened, the rows are all still there.
  connection.open(path);
  EXPECT_EQ(count("Miasta"), 6);
}

}  // namespace
}  // namespace valmoro
