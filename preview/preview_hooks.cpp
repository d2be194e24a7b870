#include "preview/preview_hooks.h"

namespace valmoro::preview::hooks {

namespace {
PrintRunner& printSlot() {
  static PrintRunner runner;
  return runner;
}
ExportFilterLister& exportSlot() {
  static ExportFilterLister lister;
  return lister;
}
}  // namespace

void setPrintRunner(PrintRunner runner) { printSlot() = std::move(runner); }
const PrintRunner& printRunner() { return printSlot(); }

void setExportFilterLister(ExportFilterLister lister) { exportSlot() = std::move(lister); }
std::vector<ExportEntry> exportFilters() {
  const ExportFilterLister& lister = exportSlot();
  return lister ? lister() : std::vector<ExportEntry>{};
}

}  // namespace valmoro::preview::hooks
