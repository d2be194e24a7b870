#include "app/report_windows.h"

#include "designer/designer_install.h"
#include "export/export_filter.h"
#include "preview/preview_hooks.h"
#include "preview/preview_install.h"
#include <QPointer>

#include "preview/report_page_source.h"
#include "report/engine/preview_pages.h"

namespace valmoro::app {

namespace {

std::vector<preview::hooks::ExportEntry> registeredFilters() {
  std::vector<preview::hooks::ExportEntry> entries;
  for (exports::TfrxCustomExportFilter* filter : exports::ExportFilterList().Filters()) {
    preview::hooks::ExportEntry entry;
    entry.caption = filter->FilterCaption();
    entry.isPdf = filter->inherits("valmoro::exports::TfrxPDFExport");
    entry.isMail = filter->inherits("valmoro::exports::TfrxMailExport");
    QPointer<exports::TfrxCustomExportFilter> guarded(filter);
    entry.run = [guarded](preview::PageSource& source, report::TfrxReport*, int currentPage, QWidget*) {
      auto* pages = dynamic_cast<preview::ReportPageSource*>(&source);
      if (!pages || !guarded) return false;
      exports::ExportPreviewLink link;
      link.currentPage = currentPage;
      return exports::ExportPreparedPages(pages->Pages(), guarded.data(), link);
    };
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

void installReportWindows() {
  preview::installReportWindows();
  designer::InstallDesigner();
  preview::hooks::setExportFilterLister(registeredFilters);
}

}  // namespace valmoro::app
