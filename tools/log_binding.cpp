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

void ModuleLog::open(const QString& database, const QString& module, const QDate& from, const QDate& to) {
  connection_.open(database);
  if (from.isValid() || to.isValid()) {
    // As the main window filters: the same day twice spans that one day.
    const QDate lower = from.isValid() ? from : QDate(1900, 1, 1);
    QDate upper = to.isValid() ? to : QDate(9999, 12, 31);
    if (upper == lower) upper = upper.addDays(1);
    from_ = from.isValid() ? lower : QDate();
    to_ = to.isValid() ? upper : QDate();
    log_.setCommandText(app::statements::filteredLog(locale::formatDate(lower), locale::formatDate(upper)));
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

void ModuleLog::bindTo(report::TfrxReport& report) {
  if (from_.isValid() || to_.isValid()) app::setReportPeriod(report, app::periodText(from_, to_));
  if (!wpisy_ || report.GetDataset(QStringLiteral("Wpisy")) == wpisy_.get()) return;
  report::TfrxDataSetItem* item = nullptr;
  for (int i = 0; i < report.DataSets()->Count() && !item; ++i)
    if (!report.DataSets()->Item(i)->DataSet() &&
        report.DataSets()->Item(i)->DataSetName().compare(QLatin1String("Wpisy"), Qt::CaseInsensitive) == 0)
      item = report.DataSets()->Item(i);
  if (item) item->SetDataSet(wpisy_.get());
  else report.DataSets()->Add(wpisy_.get());
}

QDate parseIsoDate(const QString& text) {
  if (text.size() != 10) return {};
  return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

}  // namespace valmoro::tools
