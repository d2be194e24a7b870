#include "report/model/line_view.h"

namespace valmoro::report {

TfrxCustomLineView::TfrxCustomLineView(TfrxComponent* parent) : TfrxStretcheable(parent) {
  SetWholeAttributes(false);
}

void TfrxCustomLineView::DesignCreate(int flag) {
  TfrxStretcheable::DesignCreate(flag);
  diagonal_ = flag != 0;
  arrowEnd_ = flag == 2 || flag == 4;
  arrowStart_ = flag == 3 || flag == 4;
}

}  // namespace valmoro::report
