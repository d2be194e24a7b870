#pragma once
// Internal records of the prepared-page store, shared by its source files.

#include <QPointer>
#include <QString>
#include <memory>

#include "report/engine/preview_pages.h"
#include "report/model/report_page.h"

namespace valmoro::report {

struct TfrxPreviewPages::SourceObject {
  QString alias;
  QString sourceName;             // "Page0.Memo1"
  TfrxComponent* copy = nullptr;  // owned by its source page
  QPointer<TfrxComponent> design;
  QString baseText;  // class name and the copy's attributes
  int pageIndex = 0;
};

struct TfrxPreviewPages::CachedPage {
  int index;
  std::unique_ptr<TfrxReportPage> page;
};

}  // namespace valmoro::report
