#pragma once
// What the preview window reaches of parts that come after it: printing and
// the registered export filters. Each is installed by the part that provides
// it; unset, the window says so or hides the control instead of pretending.

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::preview {

class PageSource;

namespace hooks {

// Hook for printing: prints the pages (the current page remembered for the
// "current page" range); true when printed. Unset, the Print button says
// that printing is not available yet.
using PrintRunner = std::function<bool(PageSource& pages, report::TfrxReport* report, int currentPage, QWidget* parent)>;
void setPrintRunner(PrintRunner runner);
const PrintRunner& printRunner();

// One registered export filter as the export menu shows it.
struct ExportEntry {
  QString caption;        // the filter's caption (the menu adds "...")
  bool isPdf = false;     // the quick PDF button uses it
  bool isMail = false;    // the quick e-mail button uses it
  std::function<bool(PageSource& pages, report::TfrxReport* report, int currentPage, QWidget* parent)> run;
};
// Hook for exporting: the registered filters, in registration order. Unset
// or empty, the export button and the quick buttons are hidden.
using ExportFilterLister = std::function<std::vector<ExportEntry>()>;
void setExportFilterLister(ExportFilterLister lister);
std::vector<ExportEntry> exportFilters();

}  // namespace hooks
}  // namespace valmoro::preview
