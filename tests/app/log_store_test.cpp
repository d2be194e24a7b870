// The log's statements against a real database made from the program's schema.

#include <QSqlQuery>

#include "app/log_statements.h"
#include "app/main_window.h"
#include "fixture.h"
#include "qt_printers.h"
#include "platform/database.h"

namespace valmoro {
namespace {

using app::readList;
namespace st = app::statements;

class LogStore : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    connection.open(install.dane(QStringLiteral("Valmoro.db")));
  }

  // Texts of one field over every row of an open data set.
  static QStringList column(db::DataSet& ds, const QString& field, bool display = false) {
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
      out.append(display ? ds.fieldByName(field).displayText() : ds.fieldByName(field).asString());
    return out;
  }

  QStringList moduleLog(const QString& module) {
    db::DataSet ds(&connection);
    ds.setCommandText(st::S5);
    ds.bindValue(QStringLiteral(":modul"), module);
    ds.open();
    return column(ds, QStringLiteral("Data"));
  }

  QStringList filtered(const QString& from, const QString& to) {
    db::DataSet ds(&connection);
    ds.setCommandText(st::filteredLog(from, to));
    ds.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
    ds.open();
    return column(ds, QStringLiteral("Data"));
  }

  int count(const QString& where = QStringLiteral("1=1")) {
    QSqlQuery q(connection.database());
    q.exec(QStringLiteral("SELECT count(*) FROM Wpisy WHERE ") + where);
    q.next();
    return q.value(0).toInt();
  }

  void insert(const QString& point, const QVariant& temperature, const QVariant& humidity,
              const QString& when = QStringLiteral("2026-04-01 10:15:00"), const QString& module = QStringLiteral("Magazyn")) {
    db::Query q(&connection);
    for (const QString& line : st::S8) q.addLine(line);
    q.bindValue(QStringLiteral(":data"), when);
    q.bindValue(QStringLiteral(":modul"), module);
    q.bindValue(QStringLiteral(":punkt"), point);
    q.bindValue(QStringLiteral(":temperatura"), temperature);
    q.bindValue(QStringLiteral(":wilgotnosc"), humidity);
    q.bindValue(QStringLiteral(":pracownik"), QStringLiteral("Kowalski Jan"));
    q.execSql();
  }

  testing::Installation install;
  db::Connection connection;
};

TEST_F(LogStore, ModuleLogIsNewestFirstAndIgnoresLetterCase) {
  const QStringList expected = {"2026-03-03 09:00:00", "2026-03-03", "2026-03-02 12:30:00",
                                "2026-03-02", "2026-03-01 23:59:59", "2026-03-01 08:00:00"};
  EXPECT_EQ(moduleLog(QStringLiteral("Magazyn")), expected);
  EXPECT_EQ(moduleLog(QStringLiteral("MAGAZYN")), expected);
  EXPECT_EQ(moduleLog(QStringLiteral("Laboratorium")), QStringList{"2026-03-02 10:00:00"});
  EXPECT_TRUE(moduleLog(QStringLiteral("Nieznany")).isEmpty());
}

TEST_F(LogStore, ListsFollowTheListReadRule) {
  db::Query q(&connection);
  EXPECT_EQ(readList(q, st::S2, QStringLiteral("Nazwa")),
            (QStringList{"Administrator", "Kowalski Jan", "Zając Ewa"}));
  // A module in several rows is offered once.
  EXPECT_EQ(readList(q, st::S3, QStringLiteral("Modul")), (QStringList{"Laboratorium", "Magazyn", "Pusty"}));
  // A point that stands twice under one module is offered once.
  EXPECT_EQ(readList(q, st::S6, QStringLiteral("punkt"), {{":modul", "Magazyn"}}),
            (QStringList{"Biuro", "Chłodnia", "Rampa"}));
  // No rows still gives one (empty) item.
  EXPECT_EQ(readList(q, st::S6, QStringLiteral("punkt"), {{":modul", "Nieznany"}}), QStringList{QString()});
  EXPECT_EQ(readList(q, st::S6, QStringLiteral("punkt"), {{":modul", "Pusty"}}), QStringList{QString()});
  EXPECT_FALSE(q.isActive());
}

TEST_F(LogStore, UserLookUpFindsRoleAndHashOnly) {
  db::Query q(&connection);
  q.addLine(st::S4);
  q.bindValue(QStringLiteral(":nazwa"), QStringLiteral("kowalski JAN"));
  q.open();
  EXPECT_EQ(q.fieldByName(QStringLiteral("rola")).asString(), "pracownik");
  const QString stored = q.fieldByName(QStringLiteral("haslo")).asString();
  EXPECT_TRUE(stored.startsWith("$argon2id$"));
  EXPECT_FALSE(stored.contains("haslo"));
  q.close();
  q.clearLines();
  q.addLine(st::S4);
  q.bindValue(QStringLiteral(":nazwa"), QStringLiteral("x' OR '1'='1"));
  q.open();
  EXPECT_EQ(q.fieldByName(QStringLiteral("rola")).asString(), "");
  EXPECT_EQ(q.fieldByName(QStringLiteral("haslo")).asString(), "");
}

TEST_F(LogStore, DateFilterTakesLowerBoundAndLeavesOutUpper) {
  EXPECT_EQ(filtered("2026-03-01", "2026-03-03"),
            (QStringList{"2026-03-02 12:30:00", "2026-03-02", "2026-03-01 23:59:59", "2026-03-01 08:00:00"}));
  EXPECT_EQ(filtered("2026-03-03", "2026-03-04"), (QStringList{"2026-03-03 09:00:00", "2026-03-03"}));
  EXPECT_TRUE(filtered("2026-03-03", "2026-03-01").isEmpty());
}

TEST_F(LogStore, NewReadingConvertsTypedTexts) {
  const int before = count();
  insert(QStringLiteral("Pokój 'A'"), QStringLiteral("21,5"), QStringLiteral(" 60.25 "));
  EXPECT_EQ(count(), before + 1);
  db::DataSet ds(&connection);
  ds.setCommandText(st::S5);
  ds.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
  ds.setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  ds.open();
  ds.first();
  EXPECT_EQ(ds.fieldByName("punkt").asString(), "Pokój 'A'");
  EXPECT_EQ(ds.fieldByName("temperatura").asString(), "21,5");
  EXPECT_EQ(ds.fieldByName("temperatura").displayText(), "21,50");
  EXPECT_DOUBLE_EQ(ds.fieldByName("Wilgotnosc").asFloat(), 60.25);
  EXPECT_EQ(ds.fieldByName("data").asString(), "2026-04-01 10:15:00");
  EXPECT_GT(ds.fieldByName("identyfikator").asInteger(), 7);
  EXPECT_EQ(ds.fieldByName("identyfikator").type(), db::FieldType::AutoInc);
}

TEST_F(LogStore, RefusedValuesStoreNothing) {
  const int before = count();
  auto refused = [&](auto&& action) -> QString {
    try {
      action();
    } catch (const db::DbError& e) {
      return e.message();
    }
    return QStringLiteral("(stored)");
  };
  EXPECT_EQ(refused([&] { insert("Rampa", "abc", "50"); }), "Pole „Temperatura”: tekst „abc” nie jest liczbą.");
  EXPECT_EQ(refused([&] { insert("Rampa", "20", ""); }), "Pole „Wilgotnosc”: należy podać liczbę.");
  EXPECT_EQ(refused([&] { insert("Rampa", "20", "1 000"); }), "Pole „Wilgotnosc”: tekst „1 000” nie jest liczbą.");
  EXPECT_EQ(refused([&] { insert("Rampa", "20", "50", "2026-02-30 10:00:00"); }),
            "Pole „Data”: tekst „2026-02-30 10:00:00” nie jest poprawną datą i godziną (oczekiwano rrrr-mm-dd gg:mm:ss).");
  EXPECT_EQ(refused([&] { insert(QString(31, QChar('x')), "20", "50"); }),
            "Pole „Punkt”: tekst jest za długi (31 znaków, dozwolone najwyżej 30).");
  EXPECT_EQ(refused([&] { insert("Rampa", "20", "50", "2026-04-01 10:00:00", QString(30, QChar(0x0141))); }),
            "(stored)");
  EXPECT_EQ(count(), before + 1);
}

TEST_F(LogStore, CorrectionKeepsModuleAndAuthor) {
  db::Query q(&connection);
  for (const QString& line : st::S9) q.addLine(line);
  EXPECT_EQ(q.commandText(),
            "UPDATE Wpisy SET\r\nData=:data, \r\nPunkt=:punkt, \r\nTemperatura=:temperatura, \r\n"
            "Wilgotnosc=:wilgotnosc\r\nWHERE Identyfikator=:identyfikator");
  q.bindValue(":data", "2026-03-05 07:00:00");
  q.bindValue(":punkt", "Biuro");
  q.bindValue(":temperatura", "-1,5");
  q.bindValue(":wilgotnosc", "33");
  q.bindValue(":identyfikator", "1");
  EXPECT_EQ(q.execSql(), 1);
  QSqlQuery check(connection.database());
  check.exec("SELECT Data, Modul, Punkt, Temperatura, Pracownik FROM Wpisy WHERE Identyfikator=1");
  ASSERT_TRUE(check.next());
  EXPECT_EQ(check.value(0).toString(), "2026-03-05 07:00:00");
  EXPECT_EQ(check.value(1).toString(), "Magazyn");
  EXPECT_EQ(check.value(2).toString(), "Biuro");
  EXPECT_DOUBLE_EQ(check.value(3).toDouble(), -1.5);
  EXPECT_EQ(check.value(4).toString(), "Kowalski Jan");
}

TEST_F(LogStore, TwoCopiesShareTheFile) {
  db::Connection other;
  other.open(install.dane(QStringLiteral("Valmoro.db")));
  // A log held open by one copy does not stop the other from writing.
  db::DataSet log(&connection);
  log.setCommandText(st::S5);
  log.bindValue(":modul", "Magazyn");
  log.open();
  db::Query q(&other);
  for (const QString& line : st::S8) q.addLine(line);
  for (auto [k, v] : {std::pair{":data", "2026-05-01 12:00:00"}, {":modul", "Magazyn"}, {":punkt", "Rampa"},
                      {":temperatura", "7"}, {":wilgotnosc", "70"}, {":pracownik", "Administrator"}})
    q.bindValue(QString::fromUtf8(k), QString::fromUtf8(v));
  q.execSql();
  log.reopen();
  log.first();
  EXPECT_EQ(log.fieldByName("data").asString(), "2026-05-01 12:00:00");
}

TEST_F(LogStore, LockedDatabaseIsReportedAndNothingIsLost) {
  db::Connection blocker;
  blocker.open(install.dane(QStringLiteral("Valmoro.db")));
  QSqlQuery(blocker.database()).exec("BEGIN EXCLUSIVE");
  connection.close();
  connection.setBusyTimeout(100);
  connection.open(install.dane(QStringLiteral("Valmoro.db")));
  QString message;
  try {
    insert("Rampa", "1", "2");
  } catch (const db::DbError& e) {
    message = e.message();
  }
  EXPECT_EQ(message, "Baza danych jest zajęta przez inny program. Spróbuj ponownie za chwilę.");
  QSqlQuery(blocker.database()).exec("ROLLBACK");
  insert("Rampa", "1", "2");
  EXPECT_EQ(count("Punkt='Rampa'"), 3);
}

}  // namespace
}  // namespace valmoro
