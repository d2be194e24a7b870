#include "report/model/dialog.h"

namespace valmoro::report {

TfrxDialogComponent::TfrxDialogComponent(TfrxComponent* parent) : TfrxReportComponent(parent) {
  SetPreviewVisible(false);
  SetWidth(28);
  SetHeight(28);
}

TfrxDialogPage::TfrxDialogPage(TfrxComponent* parent) : TfrxPage(parent) {
  ReportFont font;
  font.SetName(QStringLiteral("Tahoma"));
  font.SetSize(8);
  SetFont(&font);
  SetWidth(300);
  SetHeight(200);
  clientWidth_ = Width();
  clientHeight_ = Height();
}

}  // namespace valmoro::report
