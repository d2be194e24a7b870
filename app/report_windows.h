#pragma once
// The windows of the report subsystem the program uses: the preview window
// for "Raport", and the export filters its export menu offers.

namespace valmoro::app {

// Installs the preview window and lists the registered export filters in it.
void installReportWindows();

}  // namespace valmoro::app
