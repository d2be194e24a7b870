#pragma once
// The period of the log a report covers, as its title prints it. Shared by
// the program's "Raport" and the command-line tool, so both print alike.

#include <QDate>
#include <QString>

#include "platform/locale.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

namespace valmoro::app {

// The designed text of the title's period line: what a report prepared
// without a known period prints.
inline const QString kWholePeriod = QStringLiteral("Okres: wszystkie wpisy");

// from inclusive, toExclusive exclusive (as the filter works); the text names
// the last day included, which is what a reader of the printout expects.
// An invalid date leaves that side open.
inline QString periodText(const QDate& from, const QDate& toExclusive) {
  const bool hasFrom = from.isValid();
  const bool hasTo = toExclusive.isValid();
  if (!hasFrom && !hasTo) return kWholePeriod;
  QString text = QStringLiteral("Okres:");
  if (hasFrom) text += QStringLiteral(" od ") + locale::formatDate(from);
  if (hasTo) text += QStringLiteral(" do ") + locale::formatDate(toExclusive.addDays(-1));
  return text;
}

// Puts the period into the report's title line "Okres" (a layout without one
// is left alone).
inline void setReportPeriod(report::TfrxReport& report, const QString& text) {
  if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(report.FindObject(QStringLiteral("Okres"))))
    memo->SetText(text);
}

}  // namespace valmoro::app
