// The main window's export components: they exist to register their filters
// with the program's settings, so the preview's export menu lists them.

#include "app/main_window.h"
#include "export/export_xls.h"
#include "export/rtf_export.h"

namespace valmoro::app {

void TAOknoGl::createExportComponents() {
  frxRTFExport1 = new exports::TfrxRTFExport(this);
  frxRTFExport1->SetName(QStringLiteral("frxRTFExport1"));
  frxRTFExport1->SetUseFileCache(true);
  frxRTFExport1->SetShowProgress(true);
  frxRTFExport1->SetOverwritePrompt(false);
  frxRTFExport1->SetExportEMF(true);
  frxRTFExport1->SetWysiwyg(true);
  frxRTFExport1->SetCreator(QStringLiteral("Valmoro"));
  frxRTFExport1->SetSuppressPageHeadersFooters(false);
  frxRTFExport1->SetHeaderFooterMode(exports::TfrxRTFExport::hfText);
  frxRTFExport1->SetAutoSize(false);

  frxXLSExport1 = new exports::TfrxXLSExport(this);
  frxXLSExport1->SetName(QStringLiteral("frxXLSExport1"));
  frxXLSExport1->SetUseFileCache(true);
  frxXLSExport1->SetShowProgress(true);
  frxXLSExport1->SetOverwritePrompt(false);
  frxXLSExport1->SetExportEMF(true);
  frxXLSExport1->SetAsText(false);
  frxXLSExport1->SetBackground(true);
  frxXLSExport1->SetFastExport(true);
  frxXLSExport1->SetPageBreaks(true);
  frxXLSExport1->SetEmptyLines(true);
  frxXLSExport1->SetSuppressPageHeadersFooters(false);
}

}  // namespace valmoro::app
