#pragma once
// Copy, cut and paste of report objects through the system clipboard: views
// with their children, bands and whole pages travel as document text under
// a type of their own (and as plain text, for a look or for another
// program), so they go between bands, pages, reports and designer windows.

#include <QString>

class QMimeData;

namespace valmoro::designer {

class DesignerDocument;

// The clipboard type of report objects.
inline constexpr const char* kObjectsMimeType = "application/x-valmoro-report-objects";

// The selection (its outermost objects, with their children) as clipboard
// data; none when nothing is selected.
QMimeData* CopySelection(const DesignerDocument& document);
// Copies the selection to the clipboard: false when nothing is selected.
bool Copy(const DesignerDocument& document);
// Copies, then deletes the selection as one step. Returns a refusal text
// (empty when done): an object that may not be deleted stops it.
QString Cut(DesignerDocument& document);
// Whether the clipboard holds report objects.
bool CanPaste();
// Pastes what the clipboard holds: views into the band of the selected view
// (or the selected band, else the page's first band), bands onto the
// current page, pages into the report. Pasted names are made unique and
// the pasted objects selected. Returns a refusal text (empty when done).
QString Paste(DesignerDocument& document);
// The same from given text (tests, drops).
QString PasteText(DesignerDocument& document, const QString& xml);

}  // namespace valmoro::designer
