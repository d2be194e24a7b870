#include "report/run/install.h"

#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/script_classes.h"
#include "report/run/report_run.h"

namespace valmoro::report {

void installReportSubsystem() {
  RegisterReportClassesModule();
  // Text views expand their expressions; footers collect their totals.
  engine::InstallTextExpansion();
  // Scripts ask the running band engine about the layout.
  engine::InstallBandEngine();
  // Every report prepares, shows and keeps its pages through its run.
  InstallReportRun();
}

}  // namespace valmoro::report
