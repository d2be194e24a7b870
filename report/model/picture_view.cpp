#include "report/model/picture_view.h"

namespace valmoro::report {

TfrxPictureView::TfrxPictureView(TfrxComponent* parent)
    : TfrxView(parent), picture_(new ReportPicture(this)) {
  SetWholeAttributes(false);
  SetColor(clTransparent);
}

void TfrxPictureView::SetPicture(const ReportPicture* picture) {
  if (picture) picture_->Assign(*picture);
}

}  // namespace valmoro::report
