#pragma once
// A placeholder in a band that runs another report page there.

#include <QPointer>

#include "report/model/view.h"

namespace valmoro::report {

class TfrxReportPage;

class TfrxSubreport : public TfrxView {
  Q_OBJECT
  Q_MOC_INCLUDE("report/model/report_page.h")
  Q_PROPERTY(valmoro::report::TfrxReportPage* Page READ Page WRITE SetPage)
  Q_PROPERTY(bool PrintOnParent READ PrintOnParent WRITE SetPrintOnParent)
  Q_CLASSINFO("default:PrintOnParent", "false")

public:
  // Tahoma 8 on light grey with all four frame lines: how the designer shows it.
  explicit TfrxSubreport(TfrxComponent* parent = nullptr);
  // The page no longer refers back to a subreport that is gone.
  ~TfrxSubreport() override;

  // The page it runs (not the page it lies on: see TfrxComponent::Page).
  // Setting it makes that page refer back to this subreport, and the page it
  // ran before no longer does.
  TfrxReportPage* Page() const;
  void SetPage(TfrxReportPage* page);
  bool PrintOnParent() const { return printOnParent_; }
  void SetPrintOnParent(bool value) { printOnParent_ = value; }

  QString KindCaption() const override;

  // The box with its frame, and the subreport's name in its corner.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;

private:
  QPointer<TfrxReportPage> page_;
  bool printOnParent_ = false;
};

}  // namespace valmoro::report
