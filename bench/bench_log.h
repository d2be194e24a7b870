#pragma once
// A log of readings for the report benchmarks: one module "Magazyn" with
// a reading every five minutes from 1 January 2024, written to a SQLite file.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <cstdio>

namespace valmoro::bench {

inline bool makeLog(const QString& path, int rows) {
  const QString name = QStringLiteral("bench_log");
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open()) return false;
    QSqlQuery q(db);
    ok = q.exec(QStringLiteral("CREATE TABLE Wpisy (Identyfikator INTEGER PRIMARY KEY AUTOINCREMENT, Data DATETIME, "
                               "Modul VARCHAR(30), Punkt VARCHAR(30), Temperatura DOUBLE, Wilgotnosc DOUBLE, "
                               "Pracownik VARCHAR(50))")) &&
         q.exec(QStringLiteral(
                    "INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                    "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                    "SELECT datetime('2024-01-01 00:00:00', '+' || (x * 300) || ' seconds'), 'Magazyn', "
                    "'Rampa', round(-5 + (x % 300) / 10.0, 2), round(40 + (x % 500) / 10.0, 2), 'Jan' FROM c")
                    .arg(rows - 1));
    if (!ok) std::fprintf(stderr, "%s\n", q.lastError().text().toUtf8().constData());
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return ok;
}

}  // namespace valmoro::bench
