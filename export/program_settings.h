#pragma once
// The settings this program gives each export filter. The main window's
// export components and `valmoro-report export` both take them from here, so
// a file exported from the preview and one written by the tool are made alike.
// Each function sets every value it names, whatever the filter held before;
// the caller's own choices (file name, dialog, page range, options of a
// command line) come after.

namespace valmoro::exports {

class TfrxPDFExport;
class TfrxRTFExport;
class TfrxXLSExport;

void ApplyProgramSettings(TfrxPDFExport& filter);
void ApplyProgramSettings(TfrxXLSExport& filter);
void ApplyProgramSettings(TfrxRTFExport& filter);

}  // namespace valmoro::exports
