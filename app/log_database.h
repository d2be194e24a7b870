#pragma once
// Creating the log database of a new installation.

#include <QString>

namespace valmoro::db {
class Connection;
}

namespace valmoro::app {

// Runs a file of SQL statements separated by ";" (comments with "--").
// Throws valmoro::db::DbError naming the statement that failed.
void runSqlScript(db::Connection& connection, const QString& scriptText);

// Replaces every password of Uzytkownicy that is still plain text by its hash.
// Returns how many were replaced.
int hashPlainPasswords(db::Connection& connection);

// Builds a database file from a schema and seed script. The file is written
// under a temporary name and moved into place only when complete, so an
// interrupted build never leaves a half-made database behind. Throws
// valmoro::db::DbError or std::runtime_error.
void createLogDatabase(const QString& path, const QString& schemaFile, const QString& seedFile);

}  // namespace valmoro::app
