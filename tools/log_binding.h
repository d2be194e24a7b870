#pragma once
// The data set "Wpisy" as the program's "Raport" command gives it to a
// report: a module's log, newest first, optionally limited to the main
// window's date filter (lower bound inclusive, upper exclusive).

#include <QDate>
#include <QString>
#include <memory>

#include "platform/database.h"

namespace valmoro::report {
class TfrxDBDataset;
class TfrxReport;
class TfrxUserDataSet;
}  // namespace valmoro::report

namespace valmoro::tools {

class ModuleLog {
public:
  ModuleLog();
  ~ModuleLog();
  ModuleLog(const ModuleLog&) = delete;
  ModuleLog& operator=(const ModuleLog&) = delete;

  // Opens the log; an invalid `from` or `to` means no filter. Throws
  // db::DbError when the database or the query fails, or when the database
  // knows no such module.
  void open(const QString& database, const QString& module, const QDate& from = {}, const QDate& to = {});
  // Without a database: "Wpisy" with the log's fields and no rows, for a
  // report that is only checked.
  void openFieldsOnly();
  // The same with no rows at all, every field an empty text: what the
  // designer's preview shows without a database (a title that tests a
  // field against '' then prints as for an empty log).
  void openEmpty();
  // Makes the report's data set list name the log "Wpisy" (a listed name
  // that found no data set when the document was read takes it), and puts
  // the filter's period into the report's title line, as the program does.
  void bindTo(report::TfrxReport& report);

private:
  db::Connection connection_;
  db::DataSet log_;
  std::unique_ptr<report::TfrxDBDataset> wpisy_;
  std::unique_ptr<report::TfrxUserDataSet> fieldsOnly_;
  QDate from_, to_;  // the filter's period (to exclusive); invalid: open
};

// "YYYY-MM-DD" as a date; invalid for anything else.
QDate parseIsoDate(const QString& text);

// The message for a period that ends before it begins (empty when the
// dates are in order or either is missing).
QString periodError(const QDate& from, const QDate& to);

}  // namespace valmoro::tools
