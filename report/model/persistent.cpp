#include "report/model/persistent.h"

namespace valmoro::report {

void Persistent::WriteExtraData(stream::ComponentWriter&) const {}

bool Persistent::ReadExtraData(const QString&, stream::ComponentReader&) { return false; }

}  // namespace valmoro::report
