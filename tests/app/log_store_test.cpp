// The log's statements against a real database made from the program's schema,
// and the log shared with another copy of the program or kept read-only.

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QToolButton>
#include <QtTest/QTest>
#include <sys/stat.h>

#include "app/entry_window.h"
#include "app/log_statements.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "fixture.h"
#include "qt_printers.h"
#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/dialogs.h"
#include "platform/field_error.h"

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
    ds.setCommandText(st::S7);
    ds.bindValue(QStringLiteral(":modul"), QStringLiteral("Magazyn"));
    ds.bindValue(QStringLiteral(":od"), from);
    ds.bindValue(QStringLiteral(":do"), to);
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

TEST_F(LogStore, DateFilterSendsItsDatesAsBoundValues) {
  auto prepared = [&](const QVariant& from, const QVariant& to) {
    return db::prepareStatement(connection, st::S7,
                                {{QStringLiteral(":modul"), QStringLiteral("Magazyn")},
                                 {QStringLiteral(":od"), from},
                                 {QStringLiteral(":do"), to}});
  };
  auto bound = [](const db::PreparedStatement& ps) {
    QMap<QString, QVariant> values;
    for (const auto& [name, value] : ps.bindings) values.insert(name, value);
    return values;
  };
  const db::PreparedStatement texts = prepared(QStringLiteral("2026-03-01"), QStringLiteral("2026-03-03"));
  // The statement is the same text whatever the dates: none is written into it.
  EXPECT_EQ(texts.sql, st::S7);
  EXPECT_EQ(bound(texts).keys(), (QStringList{":do", ":modul", ":od"}));
  // Each date reaches the database as the column's date-time at midnight,
  // exactly as a date-time value would.
  const db::PreparedStatement dates = prepared(QDateTime(QDate(2026, 3, 1), QTime(0, 0)),
                                               QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
  EXPECT_EQ(bound(texts), bound(dates));
  // A text that is no date is refused for the column, never read as SQL.
  try {
    prepared(QStringLiteral("2026-03-01' OR '1'='1"), QStringLiteral("2026-03-03"));
    ADD_FAILURE() << "a text that is no date was taken";
  } catch (const db::FieldError& e) {
    EXPECT_EQ(e.field().toLower(), "data");
  }
  EXPECT_EQ(filtered(QStringLiteral(" 2026-03-02 "), QStringLiteral("2026-03-03")),
            (QStringList{"2026-03-02 12:30:00", "2026-03-02"}));
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

// ---------------------------------------------------------------------------
// The windows on a log that another copy shares, or that cannot be written

class SharedLog : public ::testing::Test {
protected:
  void SetUp() override {
    // More readings than a screenful, so that the grid has not read them all.
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed) + QStringLiteral(R"SQL(
INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik)
WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 299)
SELECT datetime('2026-06-01 00:00:00', '+' || x || ' hours'), 'Magazyn', 'Rampa', 10, 50, 'Administrator' FROM c;
)SQL"));
    recording.emplace();
  }
  void TearDown() override { ::chmod(QFile::encodeName(database()).constData(), 0644); }

  QString database() const { return install.dane(QStringLiteral("Valmoro.db")); }

  static QStringList login(app::Program& p, const QString& user, const QString& password, const QString& module) {
    dialogs::clearRecordedMessages();
    p.AOknoGl->AutorunTimer();
    p.Logowanie->ComboBox1->setEditText(user);
    p.Logowanie->Edit1->setText(password);
    p.Logowanie->ComboBox2->setEditText(module);
    QTest::mouseClick(p.Logowanie->Button1, Qt::LeftButton);
    return dialogs::recordedMessages();
  }

  // "Dodaj nowy wpis", the values typed, the button pressed; the texts shown.
  static QStringList addReading(app::Program& p, const QString& point, const QDateTime& when) {
    dialogs::clearRecordedMessages();
    p.AOknoGl->SpeedButton1->click();
    app::TWpis& w = *p.Wpis;
    w.ComboBox1->setEditText(point);
    w.DateTimePicker1->setDate(when.date());
    w.DateTimePicker2->setTime(when.time());
    w.Edit1->setText(QStringLiteral("5"));
    w.Edit2->setText(QStringLiteral("60"));
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    return dialogs::recordedMessages();
  }

  static QString gridCells(app::Program& p, int row) {
    QStringList out;
    for (int c = 0; c < 3; ++c) out.append(p.AOknoGl->DBGrid1->cellText(row, c));
    return out.join(QLatin1Char('|'));
  }

  static QStringList users(app::Program& p) {
    QStringList out;
    for (int i = 0; i < p.Logowanie->ComboBox1->count(); ++i) out.append(p.Logowanie->ComboBox1->itemText(i));
    return out;
  }

  QStringList daneFiles() const {
    return QDir(install.dane(QString())).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
};

TEST_F(SharedLog, TwoCopiesSaveInTurnAndSeeEachOthersRows) {
  app::Program p = app::createProgram(install.base());
  ASSERT_EQ(login(p, QStringLiteral("Administrator"), QStringLiteral("Tajne1"), QStringLiteral("Magazyn")),
            QStringList{});
  ASSERT_FALSE(p.AOknoGl->ADODataSet1->allFetched());
  QCoreApplication::processEvents();

  // The other copy writes first...
  db::Connection other;
  other.open(database());
  auto otherWrites = [&](const QString& sql) {
    db::Query q(&other);
    q.addLine(sql);
    return q.execSql();
  };
  EXPECT_EQ(otherWrites(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                                       "VALUES ('2026-12-09 10:00:00', 'Magazyn', 'Archiwum', 1, 2, 'X')")),
            1);
  // ...and this one saves at once; its log then shows both readings.
  EXPECT_EQ(addReading(p, QStringLiteral("Rampa"), QDateTime(QDate(2026, 12, 10), QTime(8, 0))), QStringList{});
  EXPECT_FALSE(p.Wpis->isVisible());
  EXPECT_EQ(gridCells(p, 0), "2026-12-10 08:00:00|Magazyn|Rampa");
  EXPECT_EQ(gridCells(p, 1), "2026-12-09 10:00:00|Magazyn|Archiwum");
  QCoreApplication::processEvents();

  // In turn again: the other copy adds a reading and a user, this one saves.
  EXPECT_EQ(otherWrites(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                                       "VALUES ('2026-12-11 09:00:00', 'Magazyn', 'Archiwum', 3, 4, 'X')")),
            1);
  EXPECT_EQ(otherWrites(QStringLiteral("INSERT INTO Uzytkownicy VALUES ('Nowak Anna', 'x', 'pracownik')")), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(addReading(p, QStringLiteral("Biuro"), QDateTime(QDate(2026, 12, 12), QTime(7, 30))), QStringList{});
  EXPECT_EQ(gridCells(p, 0), "2026-12-12 07:30:00|Magazyn|Biuro");
  EXPECT_EQ(gridCells(p, 1), "2026-12-11 09:00:00|Magazyn|Archiwum");
  EXPECT_EQ(p.AOknoGl->ADODataSet1->recordCount(), 6 + 300 + 4);
  QCoreApplication::processEvents();

  // A new login offers the user the other copy added.
  EXPECT_EQ(otherWrites(QStringLiteral("INSERT INTO Uzytkownicy VALUES ('Wiśniewska Ola', 'x', 'pracownik')")), 1);
  p.AOknoGl->Logowanie1->trigger();
  EXPECT_EQ(users(p), (QStringList{"Administrator", "Kowalski Jan", "Nowak Anna", "Wiśniewska Ola", "Zając Ewa"}));
}

TEST_F(SharedLog, ReadOnlyLogIsShownAndSavingNamesTheFileUntilItIsWritable) {
  {
    // The program has worked on the file before: it is in write-ahead-log mode.
    db::Connection earlier;
    earlier.open(database());
  }
  ASSERT_EQ(daneFiles(), QStringList{"Valmoro.db"});
  ASSERT_EQ(::chmod(QFile::encodeName(database()).constData(), 0444), 0);
  app::Program p = app::createProgram(install.base());
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{});
  // Said at once, not only when a save is refused.
  const QString readOnlyState = QStringLiteral("Baza danych otwarta tylko do odczytu: plik ") +
                                QDir::toNativeSeparators(database()) + QStringLiteral(" nie pozwala na zapis.");
  EXPECT_EQ(p.AOknoGl->statusText(0), readOnlyState);
  ASSERT_EQ(login(p, QStringLiteral("Administrator"), QStringLiteral("Tajne1"), QStringLiteral("Magazyn")),
            QStringList{});
  EXPECT_EQ(gridCells(p, 0), "2026-06-13 11:00:00|Magazyn|Rampa");
  EXPECT_EQ(p.AOknoGl->statusText(0), readOnlyState);
  EXPECT_EQ(daneFiles(), QStringList{"Valmoro.db"});

  const QString refused = QStringLiteral("Baza danych jest tylko do odczytu: nie można zapisać zmian.\rPlik ") +
                          QDir::toNativeSeparators(database()) + QStringLiteral(" nie pozwala na zapis.");
  const QDateTime when(QDate(2026, 12, 10), QTime(8, 0));
  EXPECT_EQ(addReading(p, QStringLiteral("Rampa"), when), QStringList{refused});
  EXPECT_TRUE(p.Wpis->isVisible());
  EXPECT_EQ(daneFiles(), QStringList{"Valmoro.db"});

  // The file is made writable while the program runs: the same save goes through.
  ASSERT_EQ(::chmod(QFile::encodeName(database()).constData(), 0644), 0);
  dialogs::clearRecordedMessages();
  QTest::mouseClick(p.Wpis->Button1, Qt::LeftButton);
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{});
  EXPECT_FALSE(p.Wpis->isVisible());
  EXPECT_EQ(gridCells(p, 0), "2026-12-10 08:00:00|Magazyn|Rampa");
  EXPECT_EQ(p.AOknoGl->statusText(0), "Poprawnie połączono z bazą danych!");
}

}  // namespace
}  // namespace valmoro
