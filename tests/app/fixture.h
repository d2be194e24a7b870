#pragma once
// A throw-away installation: a folder with Dane/ and a database made from the
// program's own schema plus the rows a test needs.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/log_database.h"

namespace valmoro::testing {

class Installation {
public:
  Installation() {
    EXPECT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("Dane"));
  }

  QString base() const { return dir_.path(); }
  QString dane(const QString& name) const { return QDir(dir_.path()).filePath(QStringLiteral("Dane/") + name); }

  // Creates Dane/Valmoro.db with the schema and the given statements
  // (passwords in Uzytkownicy as typed; they are hashed on the way in).
  void createDatabase(const QString& seedSql) {
    const QString seedFile = QDir(dir_.path()).filePath(QStringLiteral("seed.sql"));
    QFile f(seedFile);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(seedSql.toUtf8());
    f.close();
    app::createLogDatabase(dane(QStringLiteral("Valmoro.db")),
                           QStringLiteral(VALMORO_SOURCE_DIR "/data/schema.sql"), seedFile);
  }

  void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(dane(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  QByteArray readFile(const QString& name) const {
    QFile f(dane(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
  }

private:
  QTemporaryDir dir_;
};

// Two modules, users of both roles and readings on both sides of midnight.
inline const char* kStandardSeed = R"SQL(
INSERT INTO Uzytkownicy VALUES ('Administrator', 'Tajne1', 'administrator');
INSERT INTO Uzytkownicy VALUES ('Kowalski Jan', 'haslo', 'pracownik');
INSERT INTO Uzytkownicy VALUES ('Zając Ewa', 'ewa', 'Administrator');
INSERT INTO Moduly VALUES ('Magazyn', 'Chłodnia');
INSERT INTO Moduly VALUES ('Magazyn', 'Rampa');
INSERT INTO Moduly VALUES ('Magazyn', 'Chłodnia');
INSERT INTO Moduly VALUES ('Magazyn', 'Biuro');
INSERT INTO Moduly VALUES ('Laboratorium', 'Inkubator');
INSERT INTO Moduly VALUES ('Pusty', NULL);
INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) VALUES
  ('2026-03-01 08:00:00', 'Magazyn', 'Chłodnia', 4.5, 80, 'Kowalski Jan'),
  ('2026-03-01 23:59:59', 'Magazyn', 'Rampa', 1234.5, 55.25, 'Kowalski Jan'),
  ('2026-03-02 00:00:00', 'Magazyn', 'Chłodnia', -3.25, 81, 'Administrator'),
  ('2026-03-02 12:30:00', 'Magazyn', 'Biuro', 21.5, 40, 'Administrator'),
  ('2026-03-03 00:00:00', 'Magazyn', 'Chłodnia', 5, 82, 'Kowalski Jan'),
  ('2026-03-03 09:00:00', 'Magazyn', 'Rampa', 6, 60, 'Kowalski Jan'),
  ('2026-03-02 10:00:00', 'Laboratorium', 'Inkubator', 37, 50, 'Administrator');
)SQL";

}  // namespace valmoro::testing
