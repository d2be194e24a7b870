#pragma once
// Pages of a report: the base class and the data page. Report pages are in
// report_page.h, dialog pages in dialog.h.

#include "report/model/component.h"

namespace valmoro::report {

class TfrxPage : public TfrxComponent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)

public:
  explicit TfrxPage(TfrxComponent* parent = nullptr) : TfrxComponent(parent) {}

  QString KindCaption() const override;
};

// Holds the data sets and databases placed in a report.
class TfrxDataPage : public TfrxPage {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)

public:
  // 1000 x 1000 pixels.
  explicit TfrxDataPage(TfrxComponent* parent = nullptr);
};

}  // namespace valmoro::report
