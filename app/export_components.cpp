// The main window's export components: they exist to register their filters
// with the program's settings, so the preview's export menu lists them.

#include "app/main_window.h"
#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/program_settings.h"
#include "export/rtf_export.h"

namespace valmoro::app {

void TAOknoGl::createExportComponents() {
  // Made in the order the preview's export menu lists them.
  frxPDFExport1 = new exports::TfrxPDFExport(this);
  frxPDFExport1->SetName(QStringLiteral("frxPDFExport1"));
  exports::ApplyProgramSettings(*frxPDFExport1);

  frxXLSExport1 = new exports::TfrxXLSExport(this);
  frxXLSExport1->SetName(QStringLiteral("frxXLSExport1"));
  exports::ApplyProgramSettings(*frxXLSExport1);

  frxRTFExport1 = new exports::TfrxRTFExport(this);
  frxRTFExport1->SetName(QStringLiteral("frxRTFExport1"));
  exports::ApplyProgramSettings(*frxRTFExport1);
}

}  // namespace valmoro::app
