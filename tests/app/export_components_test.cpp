// The main window's export components register their filters with the
// program's settings, and unregister when the window goes.

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/program.h"
#include "export/export_filter.h"
#include "export/export_xls.h"
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
    exports::TfrxRTFExport* rtf = p.AOknoGl->frxRTFExport1;
    ASSERT_NE(rtf, nullptr);
    EXPECT_TRUE(exports::ExportFilterList().Filters().contains(rtf));
    EXPECT_EQ(rtf->Name(), "frxRTFExport1");
    EXPECT_EQ(rtf->FilterCaption() + "...", "RTF dokument...");
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
    EXPECT_EQ(xls->FilterCaption() + "...", "Excel skoroszyt (OLE)...");
    EXPECT_TRUE(xls->UseFileCache() && xls->ShowProgress() && xls->ExportEMF() && xls->Background() &&
                xls->FastExport() && xls->PageBreaks() && xls->EmptyLines());
    EXPECT_FALSE(xls->OverwritePrompt() || xls->AsText() || xls->SuppressPageHeadersFooters());
  }
  EXPECT_EQ(exports::ExportFilterList().Count(), before);
}

}  // namespace
}  // namespace valmoro
