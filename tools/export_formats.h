#pragma once
// The formats of `valmoro-report export`: each filter's file (a cmd_*.cpp,
// so the tool picks it up) registers a maker of its filter set up for a
// command-line run.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace valmoro::exports {
class TfrxCustomExportFilter;
}

namespace valmoro::tools {

struct ExportFormat {
  QString name;  // value of --format ("rtf")
  // A filter writing to a file, with no dialog; options are the words of
  // the call the command did not take itself (format-specific options). It
  // returns none and sets error for an option it does not know.
  std::function<std::unique_ptr<exports::TfrxCustomExportFilter>(const QStringList& options, QString& error)> make;
};

bool registerExportFormat(ExportFormat format);
const QList<ExportFormat>& exportFormats();

}  // namespace valmoro::tools
