#include "report/model/page.h"

#include "report/model/resources.h"

namespace valmoro::report {

QString TfrxPage::KindCaption() const { return resources::text(u"obPage"); }

TfrxDataPage::TfrxDataPage(TfrxComponent* parent) : TfrxPage(parent) {
  SetWidth(1000);
  SetHeight(1000);
}

}  // namespace valmoro::report
