#pragma once
// Printing prepared pages: choosing and ordering the pages, copies and
// collation, duplex sides, paper per page, and the four print modes
// (each page on its own sheet, large pages split over several sheets,
// several small pages joined on one sheet, each page scaled to the sheet).
//
// The pages are reached through PrintablePages, so the same run prints the
// prepared pages of a report and whatever a test gives it.

#include <QString>
#include <functional>

class QWidget;

namespace valmoro::gfx {
class Canvas;
}

namespace valmoro::printers {
class TfrxCustomPrinter;
}

namespace valmoro::report {
class TfrxReport;
class TfrxReportPage;
}  // namespace valmoro::report

namespace valmoro::preview {

class TfrxPrintDialog;

// What the print run needs of prepared pages.
class PrintablePages {
public:
  virtual ~PrintablePages() = default;
  virtual int Count() const = 0;
  // The page object (owned by the pages' cache).
  virtual report::TfrxReportPage* Page(int index) = 0;
  // Draws a page: contents in 96-dpi pixels scaled by scaleX, scaleY, the
  // paper's corner at (offsetX, offsetY) in device pixels.
  virtual void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                        double offsetY) = 0;
  virtual void ClearPageCache() = 0;
  // What text views read while they are drawn: the scale text sizes follow
  // and the copy being printed (0 outside a print).
  virtual void SetPrintScale(double scale) = 0;
  virtual void SetCopyNo(int copyNo) = 0;
};

// How one print is carried out besides the report's PrintOptions.
struct PrintContext {
  QWidget* parent = nullptr;
  // The page shown in the preview (1-based), for "Bieżąca strona".
  int currentPage = 1;
  // The preview's lock while printing (true on, false off); may be empty.
  std::function<void(bool)> lockPreview;
  // Shows the print dialog; true when confirmed. Empty: a modal window in
  // the desktop mode of the dialog layer, cancelled in every other mode.
  std::function<bool(TfrxPrintDialog& dialog)> runDialog;
};

// Prints the pages with the report's PrintOptions on the printer the
// options name (the current printer when the list has no such name),
// showing the print dialog when ShowDialog is set. False when no printer is
// installed or the dialog was cancelled. Errors of the run (a page numbers
// text that is not one, a file that cannot be written) propagate after the
// options have been put back and OnAfterPrintReport has fired.
bool Print(report::TfrxReport& report, PrintablePages& pages, const PrintContext& context = {});

// The run itself on a given printer, without dialog and without the checks
// of Print (tools that print into a file, tests with their own printers).
// The number of sheet sides printed.
int PrintRun(report::TfrxReport& report, PrintablePages& pages, printers::TfrxCustomPrinter& printer);

}  // namespace valmoro::preview
