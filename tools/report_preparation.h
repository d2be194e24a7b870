#pragma once
// Preparing a report document over a module's log, shared by the commands
// that take one (prepare, render): the data options, their checks and the
// preparation with its error lines.

#include <QDate>
#include <QString>
#include <QStringList>

#include "tools/log_binding.h"

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::tools {

struct DataOptions {
  QString database;
  QString module;
  QDate from;
  QDate to;
};

// Takes --database, --module, --from and --to with their values out of args.
// False (with a message on standard error for a bad date or a missing
// database) when they do not make a call.
bool takeDataOptions(QStringList& args, DataOptions& options, const QString& command);

// Loads the document, binds "Wpisy" to the module's log when a database is
// given and prepares the report into its prepared pages. Prints the error
// lines on standard output and returns 1 when anything failed, else 0.
// `log` must outlive the report's use of its pages.
int prepareDocument(const QString& file, const DataOptions& options, ModuleLog& log, report::TfrxReport& report);

// Whether the file holds a report document rather than prepared pages.
bool isReportDocument(const QString& file);

}  // namespace valmoro::tools
