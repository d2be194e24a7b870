#include "report/model/view.h"

#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/resources.h"

namespace valmoro::report {

TfrxView::TfrxView(TfrxComponent* parent) : TfrxReportComponent(parent), frame_(new TfrxFrame(this)) {
  SetWholeAttributes(true);
}

void TfrxView::SetFrame(const TfrxFrame* frame) {
  if (frame) frame_->Assign(*frame);
}

QString TfrxView::KindCaption() const { return resources::text(u"obView"); }

void TfrxView::SaveDesignState() {
  TfrxReportComponent::SaveDesignState();
  savedTagStr_ = tagStr_;
  savedUrl_ = url_;
  if (TfrxReport* report = Report()) report->SetCurrentObject(this);
}

void TfrxView::FetchData() {
  const hooks::ViewTextExpander& expand = hooks::viewTextExpander();
  if (!expand) return;
  if (tagStr_.contains(u'[')) tagStr_ = expand(*this, tagStr_);
  if (url_.contains(u'[')) url_ = expand(*this, url_);
}

void TfrxView::RestoreDesignState() {
  TfrxReportComponent::RestoreDesignState();
  tagStr_ = savedTagStr_;
  url_ = savedUrl_;
}

}  // namespace valmoro::report
