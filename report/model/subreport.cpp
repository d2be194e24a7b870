#include "report/model/subreport.h"

#include "report/model/report_page.h"
#include "report/model/resources.h"

namespace valmoro::report {

TfrxSubreport::TfrxSubreport(TfrxComponent* parent) : TfrxView(parent) {
  SetPreviewVisible(false);
  ReportFont font;
  font.SetName(QStringLiteral("Tahoma"));
  font.SetSize(8);
  SetFont(&font);
  SetColor(clSilver);
  Frame()->SetTyp(ftLeft | ftRight | ftTop | ftBottom);
}

TfrxSubreport::~TfrxSubreport() {
  if (page_ && page_->Subreport() == this) page_->SetSubreport(nullptr);
}

TfrxReportPage* TfrxSubreport::Page() const { return page_.data(); }

void TfrxSubreport::SetPage(TfrxReportPage* page) {
  if (page_ && page_ != page && page_->Subreport() == this) page_->SetSubreport(nullptr);
  page_ = page;
  if (page) page->SetSubreport(this);
}

QString TfrxSubreport::KindCaption() const { return resources::text(u"obSubRep"); }

}  // namespace valmoro::report
