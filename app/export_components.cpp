// The main window's export components: they exist to register their filters
// with the program's settings, so the preview's export menu lists them.

#include "app/main_window.h"
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
}

}  // namespace valmoro::app
