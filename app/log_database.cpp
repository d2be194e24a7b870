#include "log_database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "platform/database.h"
#include "platform/password.h"

namespace valmoro::app {
namespace {

QStringList splitStatements(const QString& text) {
  QStringList out;
  QString current;
  bool inString = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (!inString && c == QLatin1Char('-') && i + 1 < text.size() && text[i + 1] == QLatin1Char('-')) {
      while (i < text.size() && text[i] != QLatin1Char('\n')) ++i;
      current += QLatin1Char('\n');
      continue;
    }
    if (c == QLatin1Char('\'')) inString = !inString;
    if (!inString && c == QLatin1Char(';')) {
      if (!current.trimmed().isEmpty()) out.append(current.trimmed());
      current.clear();
      continue;
    }
    current += c;
  }
  if (!current.trimmed().isEmpty()) out.append(current.trimmed());
  return out;
}

QString readText(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) throw db::DbError(QStringLiteral("Nie można odczytać pliku %1.").arg(file));
  return QString::fromUtf8(f.readAll());
}

}  // namespace

void runSqlScript(db::Connection& connection, const QString& scriptText) {
  connection.prepareForStatement(true);
  QSqlQuery q(connection.database());
  for (const QString& statement : splitStatements(scriptText)) {
    if (!q.exec(statement))
      throw db::DbError(QStringLiteral("%1\r%2")
                            .arg(connection.errorText(q.lastError().text()),
                                 statement.left(200)));
    q.finish();
  }
}

int hashPlainPasswords(db::Connection& connection) {
  db::Query read(&connection);
  read.addLine(QStringLiteral("SELECT Nazwa, Haslo FROM Uzytkownicy"));
  read.open();
  QList<QPair<QString, QString>> plain;
  for (read.first(); !read.eof(); read.next()) {
    const QString stored = read.fieldByName(QStringLiteral("Haslo")).asString();
    if (!password::isHash(stored))
      plain.append({read.fieldByName(QStringLiteral("Nazwa")).asString(), stored});
  }
  read.close();
  db::Query write(&connection);
  for (const auto& [name, typed] : plain) {
    write.clearLines();
    write.addLine(QStringLiteral("UPDATE Uzytkownicy SET Haslo=:haslo WHERE Nazwa=:nazwa"));
    write.bindValue(QStringLiteral(":haslo"), password::hash(typed));
    write.bindValue(QStringLiteral(":nazwa"), name);
    write.execSql();
  }
  return int(plain.size());
}

void createLogDatabase(const QString& path, const QString& schemaFile, const QString& seedFile) {
  const QString schema = readText(schemaFile);
  const QString seed = seedFile.isEmpty() ? QString() : readText(seedFile);
  const QString partial = path + QStringLiteral(".part");
  QFile::remove(partial);
  {
    QFile touch(partial);
    if (!touch.open(QIODevice::WriteOnly))
      throw db::DbError(QStringLiteral("Nie można utworzyć pliku %1.").arg(partial));
  }
  try {
    db::Connection connection;
    connection.open(partial);
    QSqlQuery(connection.database()).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    QSqlQuery(connection.database()).exec(QStringLiteral("BEGIN"));
    runSqlScript(connection, schema);
    runSqlScript(connection, seed);
    hashPlainPasswords(connection);
    QSqlQuery(connection.database()).exec(QStringLiteral("COMMIT"));
    connection.close();
  } catch (...) {
    QFile::remove(partial);
    throw;
  }
  if (QFileInfo::exists(path) || !QFile::rename(partial, path)) {
    QFile::remove(partial);
    throw db::DbError(QStringLiteral("Nie można umieścić pliku bazy danych w %1.").arg(path));
  }
}

}  // namespace valmoro::app
