// The main window's export components: they exist to register their filters
// with the program's settings, so the preview's export menu lists them.

#include "app/main_window.h"
#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/rtf_export.h"

namespace valmoro::app {

void TAOknoGl::createExportComponents() {
  frxPDFExport1 = new exports::TfrxPDFExport(this);
  frxPDFExport1->SetName(QStringLiteral("frxPDFExport1"));
  frxPDFExport1->SetUseFileCache(true);
  frxPDFExport1->SetShowProgress(true);
  frxPDFExport1->SetOverwritePrompt(false);
  frxPDFExport1->SetPrintOptimized(false);
  frxPDFExport1->SetOutline(false);
  frxPDFExport1->SetBackground(false);
  frxPDFExport1->SetHTMLTags(true);
  frxPDFExport1->SetAuthor(QStringLiteral("Valmoro"));
  frxPDFExport1->SetSubject(QStringLiteral("Valmoro PDF export"));
  frxPDFExport1->SetProtectionFlags(exports::TfrxPDFExport::TfrxPDFExportPermissions(
      exports::TfrxPDFExport::ePrint | exports::TfrxPDFExport::eModify | exports::TfrxPDFExport::eCopy |
      exports::TfrxPDFExport::eAnnot));
  frxPDFExport1->SetHideToolbar(false);
  frxPDFExport1->SetHideMenubar(false);
  frxPDFExport1->SetHideWindowUI(false);
  frxPDFExport1->SetFitWindow(false);
  frxPDFExport1->SetCenterWindow(false);
  frxPDFExport1->SetPrintScaling(false);

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
