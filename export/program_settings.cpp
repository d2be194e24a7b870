#include "export/program_settings.h"

#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/rtf_export.h"

namespace valmoro::exports {

void ApplyProgramSettings(TfrxPDFExport& filter) {
  filter.SetUseFileCache(true);
  filter.SetShowProgress(true);
  filter.SetOverwritePrompt(false);
  filter.SetPrintOptimized(false);
  filter.SetOutline(false);
  filter.SetBackground(false);
  filter.SetHTMLTags(true);
  filter.SetAuthor(QStringLiteral("Valmoro"));
  filter.SetSubject(QStringLiteral("Valmoro PDF export"));
  filter.SetProtectionFlags(TfrxPDFExport::TfrxPDFExportPermissions(TfrxPDFExport::ePrint | TfrxPDFExport::eModify |
                                                                    TfrxPDFExport::eCopy | TfrxPDFExport::eAnnot));
  filter.SetHideToolbar(false);
  filter.SetHideMenubar(false);
  filter.SetHideWindowUI(false);
  filter.SetFitWindow(false);
  filter.SetCenterWindow(false);
  filter.SetPrintScaling(false);
}

void ApplyProgramSettings(TfrxXLSExport& filter) {
  filter.SetUseFileCache(true);
  filter.SetShowProgress(true);
  filter.SetOverwritePrompt(false);
  filter.SetExportEMF(true);
  filter.SetAsText(false);
  filter.SetBackground(true);
  filter.SetFastExport(true);
  filter.SetPageBreaks(true);
  filter.SetEmptyLines(true);
  filter.SetSuppressPageHeadersFooters(false);
}

void ApplyProgramSettings(TfrxRTFExport& filter) {
  filter.SetUseFileCache(true);
  filter.SetShowProgress(true);
  filter.SetOverwritePrompt(false);
  filter.SetExportEMF(true);
  filter.SetWysiwyg(true);
  filter.SetCreator(QStringLiteral("Valmoro"));
  filter.SetSuppressPageHeadersFooters(false);
  filter.SetHeaderFooterMode(TfrxRTFExport::hfText);
  filter.SetAutoSize(false);
}

}  // namespace valmoro::exports
