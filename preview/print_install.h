#pragma once
// Printing as the rest of the program reaches it: the preview's Print button
// and Ctrl+P, and the printer defaults new report pages take.

#include <memory>

class QWidget;

namespace valmoro::report {
class TfrxReport;
class TfrxCustomPreviewPages;
}  // namespace valmoro::report

namespace valmoro::preview {

class PrintablePages;

// Gives the printer layer its Polish texts, lets new report pages take the
// current printer's paper, and makes the preview's Print command print.
void InstallPrinting();

// Prints a report's prepared pages as the preview's Print command does:
// with the dialog when PrintOptions.ShowDialog, "Bieżąca strona" being
// currentPage (1-based). False when nothing was printed (no printer, the
// dialog cancelled). Errors are shown in the error box.
bool PrintPreparedPages(report::TfrxReport& report, report::TfrxCustomPreviewPages& pages, int currentPage,
                        QWidget* parent = nullptr);

// A report's prepared pages as the print run takes them (the copy being
// printed goes to the store, where "[CopyName#]" reads it).
std::unique_ptr<PrintablePages> printablePages(report::TfrxCustomPreviewPages& pages);

}  // namespace valmoro::preview
