#pragma once
// Spreadsheet export: the prepared pages are laid into the layout matrix,
// whose rows and columns become worksheet rows and columns; each matrix
// style becomes a named workbook style, cell objects become values merged
// across their spans, pictures are pasted, page ends become manual page
// breaks. The workbook is built through the spreadsheet object model of
// platform/ and saved as .xlsx.
//
// Two writing modes: the fast one collects cell addresses per style, border
// set, number format and merge and applies each once to a union of ranges;
// the normal one sets every property object by object.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "export/export_filter.h"
#include "export/ie_matrix.h"

namespace valmoro::spreadsheet {
class Application;
class Range;
class Worksheet;
}  // namespace valmoro::spreadsheet

namespace valmoro::exports {

class TfrxXLSExport : public TfrxCustomExportFilter {
  Q_OBJECT
  Q_PROPERTY(bool ExportStyles READ ExportStyles WRITE SetExportStyles)
  Q_PROPERTY(bool ExportPictures READ ExportPictures WRITE SetExportPictures)
  Q_PROPERTY(bool MergeCells READ MergeCells WRITE SetMergeCells)
  Q_PROPERTY(bool OpenExcelAfterExport READ OpenExcelAfterExport WRITE SetOpenExcelAfterExport)
  Q_PROPERTY(bool Wysiwyg READ Wysiwyg WRITE SetWysiwyg)
  Q_PROPERTY(bool AsText READ AsText WRITE SetAsText)
  Q_PROPERTY(bool Background READ Background WRITE SetBackground)
  Q_PROPERTY(bool FastExport READ FastExport WRITE SetFastExport)
  Q_PROPERTY(bool PageBreaks READ PageBreaks WRITE SetPageBreaks)
  Q_PROPERTY(bool EmptyLines READ EmptyLines WRITE SetEmptyLines)
  Q_PROPERTY(bool ExportEMF READ ExportEMF WRITE SetExportEMF)
  Q_PROPERTY(bool SuppressPageHeadersFooters READ SuppressPageHeadersFooters WRITE SetSuppressPageHeadersFooters)
  Q_PROPERTY(bool OverwritePrompt READ OverwritePrompt WRITE SetOverwritePrompt)

public:
  explicit TfrxXLSExport(QObject* owner = nullptr);
  ~TfrxXLSExport() override;

  bool ExportStyles() const { return exportStyles_; }
  void SetExportStyles(bool value) { exportStyles_ = value; }
  bool ExportPictures() const { return exportPictures_; }
  void SetExportPictures(bool value) { exportPictures_ = value; }
  bool MergeCells() const { return mergeCells_; }
  void SetMergeCells(bool value) { mergeCells_ = value; }
  bool OpenExcelAfterExport() const { return OpenAfterExport(); }
  void SetOpenExcelAfterExport(bool value) { SetOpenAfterExport(value); }
  bool Wysiwyg() const { return wysiwyg_; }
  void SetWysiwyg(bool value) { wysiwyg_ = value; }
  bool AsText() const { return asText_; }
  void SetAsText(bool value) { asText_ = value; }
  // Offered and stored; the page background is never exported here.
  bool Background() const { return background_; }
  void SetBackground(bool value) { background_ = value; }
  bool FastExport() const { return fastExport_; }
  void SetFastExport(bool value) { fastExport_ = value; }
  bool PageBreaks() const { return pageBreaks_; }
  void SetPageBreaks(bool value) { pageBreaks_ = value; }
  bool EmptyLines() const { return emptyLines_; }
  void SetEmptyLines(bool value) { emptyLines_ = value; }
  // Stored; pictures always go into the workbook as PNG.
  bool ExportEMF() const { return exportEMF_; }
  void SetExportEMF(bool value) { exportEMF_ = value; }

  // Where the stages of EndExport are reported; when none is set and
  // ShowProgress is on, a progress window is shown on the desktop.
  ExportProgress* ProgressSink = nullptr;

  QString FilterCaption() const override;
  int ShowOptionsDialog() override;
  bool BeginExport() override;
  void OpenPage(report::TfrxReportPage* page, int index) override;
  void ExportView(report::TfrxComponent* object) override;
  void ClosePage(report::TfrxReportPage* page, int index) override;
  void EndExport() override;

  // The spreadsheet number format for a display format string: "%2.2f"
  // style strings are translated, a picture such as "#,##0.00" is taken as
  // it is; empty when none applies.
  static QString NumberFormatFor(const QString& formatStr);
  // A date-time display format string as a spreadsheet date format.
  static QString DateFormatFor(const QString& formatStr);

private:
  struct Stage;
  std::optional<spreadsheet::Range> selectRange(int column, int row, int columns, int rows);
  void startStage(const QString& caption, int maximum);
  bool step();  // false once cancelled
  void note(const QString& text);
  void writeCommon();
  void writeFast();
  void writeNormal();
  // The width of every column of the matrix (a stage of its own).
  void writeColumnWidths();
  // A manual break under matrix row `row` when page `page` ends there
  // (page then counts on).
  void breakAfterPage(int row, int& page);
  // Says once that the report is wider than the sheet's columns (x: matrix column).
  void noteWideColumn(int x);
  QString cellText(const TfrxIEMObject* object);
  void pastePicture(const TfrxIEMObject* object, int column, int row, int columns, int rows, bool nudge);
  void defineStyles(bool withRotation, bool fillOnlyWhenColoured);
  // A rectangle of cells (1-based, as areaAddress takes it) with the key it
  // is applied under.
  struct KeyedArea {
    int key;
    int column, row, columns, rows;
  };
  void applyUnions(const std::vector<KeyedArea>& list, int kind, const QStringList& formats);
  void releaseMatrix();

  bool exportStyles_ = true;
  bool exportPictures_ = true;
  bool mergeCells_ = true;
  bool wysiwyg_ = true;
  bool asText_ = false;
  bool background_ = true;
  bool fastExport_ = true;
  bool pageBreaks_ = true;
  bool emptyLines_ = true;
  bool exportEMF_ = true;

  std::unique_ptr<TfrxIEMatrix> matrix_;
  std::unique_ptr<spreadsheet::Application> excel_;
  spreadsheet::Worksheet* sheet_ = nullptr;
  std::unique_ptr<ExportProgress> ownProgress_;
  ExportProgress* progress_ = nullptr;
  bool cancelled_ = false;
  bool firstPage_ = true;
  double marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
  bool landscape_ = false;
  QString standardFontName_;
  double standardFontSize_ = 0;
  int pictureCount_ = 0;
  bool wideNoted_ = false;
};

}  // namespace valmoro::exports
