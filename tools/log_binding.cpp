// The module's log as the report data set "Wpisy".

#include "tools/log_binding.h"

#include "app/log_period.h"
#include "app/log_statements.h"
#include "platform/locale.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"

namespace valmoro::tools {

ModuleLog::ModuleLog() : log_(&connection_) {}
ModuleLog::~ModuleLog() = default;

namespace {

// Whether the database knows the module: listed among the modules, or with
// readings of its own (a module taken off the list keeps its log).
void requireModule(db::Connection& connection, const QString& module) {
  const auto found = [&](const QString& sql) {
    db::DataSet query(&connection);
    query.setCommandText(sql);
    query.bindValue(QStringLiteral(":modul"), module);
    query.open();
    return !query.isEmpty();
  };
  // Readings first: a log kept without the register of modules still works.
  if (found(QStringLiteral("SELECT Modul FROM Wpisy WHERE Modul = :modul LIMIT 1")) ||
      found(QStringLiteral("SELECT Modul FROM Moduly WHERE Modul = :modul LIMIT 1")))
    return;
  db::DataSet list(&connection);
  list.setCommandText(app::statements::S3);
  list.open();
  QStringList names;
  for (list.first(); !list.eof(); list.next()) names << list.fieldByName(QStringLiteral("Modul")).asString();
  throw db::DbError(names.isEmpty() ? QStringLiteral("Nie ma modułu „%1”: baza danych nie zawiera żadnego modułu.").arg(module)
                                    : QStringLiteral("Nie ma modułu „%1”. Moduły: %2.").arg(module, names.join(QStringLiteral(", "))));
}

}  // namespace

void ModuleLog::open(const QString& database, const QString& module, const QDate& from, const QDate& to) {
  connection_.open(database);
  // A misspelt module would give an empty report that looks like a module
  // without readings.
  requireModule(connection_, module);
  if (from.isValid() || to.isValid()) {
    // As the main window filters: the same day twice spans that one day.
    const QDate lower = from.isValid() ? from : QDate(1900, 1, 1);
    QDate upper = to.isValid() ? to : QDate(9999, 12, 31);
    if (upper == lower) upper = upper.addDays(1);
    from_ = from.isValid() ? lower : QDate();
    to_ = to.isValid() ? upper : QDate();
    log_.setCommandText(app::statements::S7);
    log_.bindValue(QStringLiteral(":od"), locale::formatDate(lower));
    log_.bindValue(QStringLiteral(":do"), locale::formatDate(upper));
  } else {
    log_.setCommandText(app::statements::S5);
  }
  log_.bindValue(QStringLiteral(":modul"), module);
  log_.setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  log_.setDisplayFormat(QStringLiteral("Wilgotnosc"), QStringLiteral("#,##0.00"));
  log_.open();
  log_.first();
  wpisy_ = std::make_unique<report::TfrxDBDataset>();
  wpisy_->SetName(QStringLiteral("frxDBDataset1"));
  wpisy_->SetUserName(QStringLiteral("Wpisy"));
  wpisy_->SetDataSet(&log_);
}

void ModuleLog::openFieldsOnly() {
  fieldsOnly_ = std::make_unique<report::TfrxUserDataSet>();
  fieldsOnly_->SetName(QStringLiteral("frxDBDataset1"));
  fieldsOnly_->SetUserName(QStringLiteral("Wpisy"));
  // The columns of the log table, as "select *" gives them.
  fieldsOnly_->SetFields({QStringLiteral("Identyfikator"), QStringLiteral("Data"), QStringLiteral("Modul"),
                          QStringLiteral("Punkt"), QStringLiteral("Temperatura"), QStringLiteral("Wilgotnosc"),
                          QStringLiteral("Pracownik")});
}

void ModuleLog::openEmpty() {
  openFieldsOnly();
  fieldsOnly_->SetRangeEnd(report::reCount);
  fieldsOnly_->SetRangeEndCount(0);
  fieldsOnly_->OnGetValue = [](const QString&, QVariant& value) { value = QString(); };
}

void ModuleLog::bindTo(report::TfrxReport& report) {
  if (from_.isValid() || to_.isValid()) app::setReportPeriod(report, app::periodText(from_, to_));
  report::TfrxDataSet* wpisy = wpisy_ ? static_cast<report::TfrxDataSet*>(wpisy_.get()) : fieldsOnly_.get();
  if (!wpisy || report.GetDataset(QStringLiteral("Wpisy")) == wpisy) return;
  report::TfrxDataSetItem* item = nullptr;
  for (int i = 0; i < report.DataSets()->Count() && !item; ++i)
    if (!report.DataSets()->Item(i)->DataSet() &&
        report.DataSets()->Item(i)->DataSetName().compare(QLatin1String("Wpisy"), Qt::CaseInsensitive) == 0)
      item = report.DataSets()->Item(i);
  if (item) item->SetDataSet(wpisy);
  else report.DataSets()->Add(wpisy);
}

QDate parseIsoDate(const QString& text) {
  if (text.size() != 10) return {};
  return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

QString periodError(const QDate& from, const QDate& to) {
  if (!from.isValid() || !to.isValid() || from <= to) return QString();
  return QStringLiteral("okres jest pusty: --from %1 jest późniejsza niż --to %2")
      .arg(from.toString(QStringLiteral("yyyy-MM-dd")), to.toString(QStringLiteral("yyyy-MM-dd")));
}

}  // namespace valmoro::tools
