#include "report/engine/install.h"

#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/script_classes.h"

namespace valmoro::report {

void installReportSubsystem() {
  RegisterReportClassesModule();
  // Text views expand their expressions; footers collect their totals.
  engine::InstallTextExpansion();
  // Preparing a report runs the band engine.
  engine::InstallBandEngine();
}

}  // namespace valmoro::report
