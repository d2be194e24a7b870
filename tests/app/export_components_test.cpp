// The main window's export components register their filters with the
// program's settings, and unregister when the window goes.

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/program.h"
#include "export/export_filter.h"
#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/rtf_export.h"
#include "fixture.h"
#include "platform/dialogs.h"

namespace valmoro {
namespace {

TEST(ExportComponents, TheMainWindowListsItsFiltersWithTheProgramsSettings) {
  testing::Installation install;
  install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
  dialogs::RecordingScope recording;
  const int before = exports::ExportFilterList().Count();
  {
    app::Program p = app::createProgram(install.base());
    // The menu lists them in the order the window makes them: PDF, spreadsheet, RTF.
    const QList<exports::TfrxCustomExportFilter*> filters = exports::ExportFilterList().Filters();
    const qsizetype pdfAt = filters.indexOf(p.AOknoGl->frxPDFExport1);
    ASSERT_GE(pdfAt, 0);
    EXPECT_LT(pdfAt, filters.indexOf(p.AOknoGl->frxXLSExport1));
    EXPECT_LT(filters.indexOf(p.AOknoGl->frxXLSExport1), filters.indexOf(p.AOknoGl->frxRTFExport1));

    exports::TfrxPDFExport* pdf = p.AOknoGl->frxPDFExport1;
    EXPECT_EQ(pdf->Name(), "frxPDFExport1");
    EXPECT_EQ(pdf->Author(), "Valmoro");
    EXPECT_EQ(pdf->Subject(), "Valmoro PDF export");
    // The export menu says what each entry writes.
    EXPECT_EQ(pdf->FilterCaption() + "...", "Dokument PDF...");
    EXPECT_TRUE(pdf->HTMLTags() && pdf->UseFileCache() && pdf->ShowProgress());
    EXPECT_FALSE(pdf->Outline() || pdf->Background() || pdf->PrintOptimized() || pdf->OverwritePrompt());
    EXPECT_FALSE(pdf->Protected());
    EXPECT_FALSE(pdf->HideToolbar() || pdf->HideMenubar() || pdf->HideWindowUI() || pdf->FitWindow() ||
                 pdf->CenterWindow() || pdf->PrintScaling());

    exports::TfrxRTFExport* rtf = p.AOknoGl->frxRTFExport1;
    ASSERT_NE(rtf, nullptr);
    EXPECT_TRUE(exports::ExportFilterList().Filters().contains(rtf));
    EXPECT_EQ(rtf->Name(), "frxRTFExport1");
    EXPECT_EQ(rtf->FilterCaption() + "...", "Dokument RTF...");
    EXPECT_TRUE(rtf->ExportEMF());
    EXPECT_TRUE(rtf->Wysiwyg());
    EXPECT_EQ(rtf->Creator(), "Valmoro");
    EXPECT_EQ(rtf->HeaderFooterMode(), exports::TfrxRTFExport::hfText);
    EXPECT_FALSE(rtf->OverwritePrompt());
    EXPECT_TRUE(rtf->ShowProgress());

    exports::TfrxXLSExport* xls = p.AOknoGl->frxXLSExport1;
    ASSERT_NE(xls, nullptr);
    EXPECT_TRUE(exports::ExportFilterList().Filters().contains(xls));
    EXPECT_EQ(xls->Name(), "frxXLSExport1");
    EXPECT_EQ(xls->FilterCaption() + "...", "Skoroszyt Excel (.xlsx)...");
    EXPECT_TRUE(xls->UseFileCache() && xls->ShowProgress() && xls->ExportEMF() && xls->Background() &&
                xls->FastExport() && xls->PageBreaks() && xls->EmptyLines());
    EXPECT_FALSE(xls->OverwritePrompt() || xls->AsText() || xls->SuppressPageHeadersFooters());
  }
  EXPECT_EQ(exports::ExportFilterList().Count(), before);
}

}  // namespace
}  // namespace valmoro
