#pragma once
// The one wiring point of the report subsystem.
//
// The lower layers reach the higher ones only through hooks (report/model/
// hooks.h lists them). This installs every one of them that the report
// subsystem itself answers: what report scripts can reach (the platform
// classes, then the report's own), the expansion of text views and the
// totals of footers, the answers of the running band engine, and the run that
// prepares reports with it and keeps their pages. Windows
// (preview, printing) are installed above, by preview::installReportWindows.

namespace valmoro::report {

// Safe to call more than once; every program, tool, test and bench calls it
// before its first report.
void installReportSubsystem();

}  // namespace valmoro::report
