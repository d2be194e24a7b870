#pragma once
// Makes report preview (ShowReport, ShowBuiltPages) open the preview window.

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::preview {

class TfrxPreviewForm;

// Installs the preview window as the report subsystem's preview.
void InstallPreview();

// Everything a program that shows or prints reports needs: the report
// subsystem (report::installReportSubsystem), the preview window and
// printing. Safe to call more than once.
void installReportWindows();

// Opens the preview window on the report's prepared pages: modally (until
// it is closed) when PreviewOptions.Modal, else left open. Progress of a
// preparation of this report is shown in it while it is open.
void ShowPreviewForm(report::TfrxReport& report);

// The window opened last by ShowPreviewForm while it is open (tests look
// into it from a timer while it runs modally); none otherwise.
TfrxPreviewForm* OpenPreviewForm();

}  // namespace valmoro::preview
