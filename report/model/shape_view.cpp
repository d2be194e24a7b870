#include "report/model/shape_view.h"

namespace valmoro::report {

TfrxShapeView::TfrxShapeView(TfrxComponent* parent) : TfrxView(parent) { SetWholeAttributes(false); }

void TfrxShapeView::DesignCreate(int flag) {
  TfrxView::DesignCreate(flag);
  if (flag >= skRectangle && flag <= skDiagonal2) shape_ = static_cast<TfrxShapeKind>(flag);
}

}  // namespace valmoro::report
