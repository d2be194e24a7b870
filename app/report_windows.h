#pragma once
// The windows of the report subsystem the program uses: the preview window
// for "Raport", and the export filters its export menu offers.

namespace valmoro::app {

// Installs the report subsystem with its preview window and printing
// (preview::installReportWindows) and lists the registered export filters
// in the preview's export menu. The program's one wiring call.
void installReportWindows();

}  // namespace valmoro::app
