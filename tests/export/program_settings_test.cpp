// The program's settings of each export filter: every value is set whatever
// the filter held before, and nothing the caller chose besides is touched.

#include <gtest/gtest.h>

#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/program_settings.h"
#include "export/rtf_export.h"

namespace valmoro::exports {
namespace {

// Every common value the settings name, turned the other way.
void turnCommon(TfrxCustomExportFilter& f) {
  f.SetUseFileCache(false);
  f.SetShowProgress(false);
  f.SetOverwritePrompt(true);
  f.SetSuppressPageHeadersFooters(true);
  f.SetFileName(QStringLiteral("/tmp/wybrany.plik"));
  f.SetPageRange(QStringLiteral("2-3"));
  f.SetShowDialog(false);
}

void expectCallerChoicesKept(const TfrxCustomExportFilter& f) {
  EXPECT_EQ(f.FileName(), "/tmp/wybrany.plik");
  EXPECT_EQ(f.PageRange(), "2-3");
  EXPECT_FALSE(f.ShowDialog());
}

TEST(ProgramSettings, PdfFilter) {
  TfrxPDFExport pdf;
  turnCommon(pdf);
  pdf.SetPrintOptimized(true);
  pdf.SetOutline(true);
  pdf.SetBackground(true);
  pdf.SetHTMLTags(false);
  pdf.SetAuthor(QStringLiteral("Ktoś"));
  pdf.SetSubject(QStringLiteral("Coś"));
  pdf.SetProtectionFlags(TfrxPDFExport::TfrxPDFExportPermissions(TfrxPDFExport::ePrint));
  pdf.SetHideToolbar(true);
  pdf.SetHideMenubar(true);
  pdf.SetHideWindowUI(true);
  pdf.SetFitWindow(true);
  pdf.SetCenterWindow(true);
  pdf.SetPrintScaling(true);
  // Not among the settings: a command line's options stay.
  pdf.SetTitle(QStringLiteral("Tytuł"));
  pdf.SetCompressed(false);
  pdf.SetUserPassword(QStringLiteral("tajne"));

  ApplyProgramSettings(pdf);

  EXPECT_TRUE(pdf.UseFileCache() && pdf.ShowProgress() && pdf.HTMLTags());
  EXPECT_FALSE(pdf.OverwritePrompt() || pdf.PrintOptimized() || pdf.Outline() || pdf.Background());
  EXPECT_EQ(pdf.Author(), "Valmoro");
  EXPECT_EQ(pdf.Subject(), "Valmoro PDF export");
  EXPECT_EQ(pdf.ProtectionFlags(), TfrxPDFExport::TfrxPDFExportPermissions(
                                       TfrxPDFExport::ePrint | TfrxPDFExport::eModify | TfrxPDFExport::eCopy |
                                       TfrxPDFExport::eAnnot));
  EXPECT_FALSE(pdf.HideToolbar() || pdf.HideMenubar() || pdf.HideWindowUI() || pdf.FitWindow() ||
               pdf.CenterWindow() || pdf.PrintScaling());
  EXPECT_TRUE(pdf.SuppressPageHeadersFooters());  // the settings leave it to the caller
  EXPECT_EQ(pdf.Title(), "Tytuł");
  EXPECT_FALSE(pdf.Compressed());
  EXPECT_EQ(pdf.UserPassword(), "tajne");
  expectCallerChoicesKept(pdf);
}

TEST(ProgramSettings, SpreadsheetFilter) {
  TfrxXLSExport xls;
  turnCommon(xls);
  xls.SetExportEMF(false);
  xls.SetAsText(true);
  xls.SetBackground(false);
  xls.SetFastExport(false);
  xls.SetPageBreaks(false);
  xls.SetEmptyLines(false);
  xls.SetMergeCells(false);

  ApplyProgramSettings(xls);

  EXPECT_TRUE(xls.UseFileCache() && xls.ShowProgress() && xls.ExportEMF() && xls.Background() &&
              xls.FastExport() && xls.PageBreaks() && xls.EmptyLines());
  EXPECT_FALSE(xls.OverwritePrompt() || xls.AsText() || xls.SuppressPageHeadersFooters());
  EXPECT_FALSE(xls.MergeCells());
  expectCallerChoicesKept(xls);
}

TEST(ProgramSettings, RtfFilter) {
  TfrxRTFExport rtf;
  turnCommon(rtf);
  rtf.SetExportEMF(false);
  rtf.SetWysiwyg(false);
  rtf.SetCreator(QStringLiteral("Ktoś"));
  rtf.SetHeaderFooterMode(TfrxRTFExport::hfNone);
  rtf.SetAutoSize(true);
  rtf.SetExportPictures(false);

  ApplyProgramSettings(rtf);

  EXPECT_TRUE(rtf.UseFileCache() && rtf.ShowProgress() && rtf.ExportEMF() && rtf.Wysiwyg());
  EXPECT_FALSE(rtf.OverwritePrompt() || rtf.SuppressPageHeadersFooters() || rtf.AutoSize());
  EXPECT_EQ(rtf.Creator(), "Valmoro");
  EXPECT_EQ(rtf.HeaderFooterMode(), TfrxRTFExport::hfText);
  EXPECT_FALSE(rtf.ExportPictures());
  expectCallerChoicesKept(rtf);
}

}  // namespace
}  // namespace valmoro::exports
