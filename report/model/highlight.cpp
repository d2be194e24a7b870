#include "report/model/highlight.h"

namespace valmoro::report {

TfrxHighlight::TfrxHighlight(QObject* owner) : Persistent(owner), font_(new ReportFont(this)) {
  font_->SetColor(clRed);
}

void TfrxHighlight::SetFont(const ReportFont* font) {
  if (font) font_->Assign(*font);
}

void TfrxHighlight::Assign(const TfrxHighlight& source) {
  font_->Assign(*source.font_);
  color_ = source.color_;
  condition_ = source.condition_;
}

}  // namespace valmoro::report
