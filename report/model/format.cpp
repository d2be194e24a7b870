#include "report/model/format.h"

namespace valmoro::report {

void TfrxFormat::Assign(const TfrxFormat& source) {
  decimalSeparator_ = source.decimalSeparator_;
  thousandSeparator_ = source.thousandSeparator_;
  formatStr_ = source.formatStr_;
  kind_ = source.kind_;
}

bool TfrxFormat::operator==(const TfrxFormat& other) const {
  return decimalSeparator_ == other.decimalSeparator_ && thousandSeparator_ == other.thousandSeparator_ &&
         formatStr_ == other.formatStr_ && kind_ == other.kind_;
}

}  // namespace valmoro::report
