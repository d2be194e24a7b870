#pragma once
// RTF export: the prepared pages as a word-processor document made of
// tables. The pages go through the layout matrix; every matrix row becomes a
// table row, every cell object a cell whose right edge is the object's, and
// objects spanning rows become vertically merged cells. Report pages end in
// section breaks carrying each page's paper size and margins.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

#include "export/export_filter.h"
#include "export/ie_matrix.h"

namespace valmoro::exports {

class TfrxRTFExport : public TfrxCustomExportFilter {
  Q_OBJECT
  Q_PROPERTY(bool ExportEMF READ ExportEMF WRITE SetExportEMF)
  Q_PROPERTY(bool ExportPageBreaks READ ExportPageBreaks WRITE SetExportPageBreaks)
  Q_PROPERTY(bool ExportPictures READ ExportPictures WRITE SetExportPictures)
  Q_PROPERTY(bool OpenAfterExport READ OpenAfterExport WRITE SetOpenAfterExport)
  Q_PROPERTY(bool Wysiwyg READ Wysiwyg WRITE SetWysiwyg)
  Q_PROPERTY(QString Creator READ Creator WRITE SetCreator)
  Q_PROPERTY(bool SuppressPageHeadersFooters READ SuppressPageHeadersFooters WRITE SetSuppressPageHeadersFooters)
  Q_PROPERTY(valmoro::exports::TfrxRTFExport::TfrxHeaderFooterMode HeaderFooterMode READ HeaderFooterMode WRITE
                 SetHeaderFooterMode)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(bool OverwritePrompt READ OverwritePrompt WRITE SetOverwritePrompt)

public:
  // Page header and footer bands: in the flow, as the document's header and
  // footer, or left out.
  enum TfrxHeaderFooterMode { hfText, hfPrint, hfNone };
  Q_ENUM(TfrxHeaderFooterMode)

  explicit TfrxRTFExport(QObject* owner = nullptr);
  ~TfrxRTFExport() override;

  bool ExportEMF() const { return exportEMF_; }
  void SetExportEMF(bool value) { exportEMF_ = value; }
  bool ExportPageBreaks() const { return exportPageBreaks_; }
  void SetExportPageBreaks(bool value) { exportPageBreaks_ = value; }
  bool ExportPictures() const { return exportPictures_; }
  void SetExportPictures(bool value) { exportPictures_ = value; }
  bool Wysiwyg() const { return wysiwyg_; }
  void SetWysiwyg(bool value) { wysiwyg_ = value; }
  QString Creator() const { return creator_; }
  void SetCreator(const QString& value) { creator_ = value; }
  TfrxHeaderFooterMode HeaderFooterMode() const { return headerFooterMode_; }
  void SetHeaderFooterMode(TfrxHeaderFooterMode value) { headerFooterMode_ = value; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }

  QString FilterCaption() const override;
  int ShowOptionsDialog() override;
  bool BeginExport() override;
  void ExportView(report::TfrxComponent* object) override;
  void EndExport() override;
  void ClosePage(report::TfrxReportPage* page, int index) override;
  void OpenPage(report::TfrxReportPage* page, int index) override;

  // The matrix of the export under way (tests look at it); none outside.
  const TfrxIEMatrix* Matrix() const { return matrix_.get(); }

private:
  class Writer;
  friend class Writer;

  bool exportEMF_ = true;
  bool exportPageBreaks_ = true;
  bool exportPictures_ = true;
  bool wysiwyg_ = true;
  QString creator_ = QStringLiteral("Valmoro");
  TfrxHeaderFooterMode headerFooterMode_ = hfText;
  bool autoSize_ = false;

  std::unique_ptr<TfrxIEMatrix> matrix_;
  int currentPage_ = 0;
  bool firstPage_ = true;
};

// Text escaped for RTF: "\", "{" and "}" escaped, an inner CR LF as
// "\line", every character outside ASCII as "\u" with its signed 16-bit code
// and "?" for readers that cannot show it (a character beyond the basic
// plane as its two surrogates).
QString RtfEscape(const QString& text);

}  // namespace valmoro::exports
