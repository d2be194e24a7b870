#pragma once
// A printable page: paper, margins, columns and the bands laid out on it.
// Paper sizes and margins are millimetres; the page's Width and Height are
// the whole paper in pixels, recomputed whenever the paper changes.

#include <QPointer>
#include <QStringList>
#include <memory>

#include "report/model/data_set.h"
#include "report/model/frame.h"
#include "report/model/page.h"
#include "report/model/picture.h"

namespace valmoro::report {

class TfrxPictureView;
class TfrxSubreport;

class TfrxReportPage : public TfrxPage {
  Q_OBJECT
  Q_MOC_INCLUDE("report/model/subreport.h")
  Q_PROPERTY(valmoro::report::TPrinterOrientation Orientation READ Orientation WRITE SetOrientation)
  Q_PROPERTY(double PaperWidth READ PaperWidth WRITE SetPaperWidth)
  Q_PROPERTY(double PaperHeight READ PaperHeight WRITE SetPaperHeight)
  // Written always: it comes after the paper's width and height in documents
  // and must win over the custom size they set.
  Q_PROPERTY(int PaperSize READ PaperSize WRITE SetPaperSize)
  Q_PROPERTY(double LeftMargin READ LeftMargin WRITE SetLeftMargin)
  Q_PROPERTY(double RightMargin READ RightMargin WRITE SetRightMargin)
  Q_PROPERTY(double TopMargin READ TopMargin WRITE SetTopMargin)
  Q_PROPERTY(double BottomMargin READ BottomMargin WRITE SetBottomMargin)
  Q_PROPERTY(bool MirrorMargins READ MirrorMargins WRITE SetMirrorMargins)
  Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
  Q_PROPERTY(double ColumnWidth READ ColumnWidth WRITE SetColumnWidth)
  Q_PROPERTY(QStringList ColumnPositions READ ColumnPositions WRITE SetColumnPositions)
  Q_PROPERTY(int Bin READ Bin WRITE SetBin)
  Q_PROPERTY(int BinOtherPages READ BinOtherPages WRITE SetBinOtherPages)
  Q_PROPERTY(valmoro::report::ReportPicture* BackPicture READ BackPicture WRITE SetBackPicture)
  Q_PROPERTY(bool BackPictureVisible READ BackPictureVisible WRITE SetBackPictureVisible)
  Q_PROPERTY(bool BackPicturePrintable READ BackPicturePrintable WRITE SetBackPicturePrintable)
  Q_PROPERTY(int PageCount READ PageCount WRITE SetPageCount)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)
  Q_PROPERTY(valmoro::report::TfrxDuplexMode Duplex READ Duplex WRITE SetDuplex)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(bool EndlessHeight READ EndlessHeight WRITE SetEndlessHeight)
  Q_PROPERTY(bool EndlessWidth READ EndlessWidth WRITE SetEndlessWidth)
  Q_PROPERTY(bool LargeDesignHeight READ LargeDesignHeight WRITE SetLargeDesignHeight)
  Q_PROPERTY(QString OutlineText READ OutlineText WRITE SetOutlineText)
  Q_PROPERTY(bool PrintIfEmpty READ PrintIfEmpty WRITE SetPrintIfEmpty)
  Q_PROPERTY(bool PrintOnPreviousPage READ PrintOnPreviousPage WRITE SetPrintOnPreviousPage)
  Q_PROPERTY(bool ResetPageNumbers READ ResetPageNumbers WRITE SetResetPageNumbers)
  Q_PROPERTY(bool TitleBeforeHeader READ TitleBeforeHeader WRITE SetTitleBeforeHeader)
  Q_PROPERTY(QStringList HGuides READ HGuides WRITE SetHGuides)
  Q_PROPERTY(QStringList VGuides READ VGuides WRITE SetVGuides)
  Q_PROPERTY(QString OnAfterPrint READ OnAfterPrint WRITE SetOnAfterPrint)
  Q_PROPERTY(QString OnBeforePrint READ OnBeforePrint WRITE SetOnBeforePrint)
  Q_PROPERTY(QString OnManualBuild READ OnManualBuild WRITE SetOnManualBuild)
  Q_CLASSINFO("default:Orientation", "poPortrait")
  Q_CLASSINFO("default:MirrorMargins", "false")
  Q_CLASSINFO("default:Columns", "0")
  Q_CLASSINFO("default:Bin", "7")
  Q_CLASSINFO("default:BinOtherPages", "7")
  Q_CLASSINFO("default:BackPictureVisible", "true")
  Q_CLASSINFO("default:BackPicturePrintable", "true")
  Q_CLASSINFO("default:PageCount", "1")
  Q_CLASSINFO("default:Color", "0x1FFFFFFF")
  Q_CLASSINFO("default:Duplex", "dmNone")
  Q_CLASSINFO("default:EndlessHeight", "false")
  Q_CLASSINFO("default:EndlessWidth", "false")
  Q_CLASSINFO("default:LargeDesignHeight", "false")
  Q_CLASSINFO("default:PrintIfEmpty", "true")
  Q_CLASSINFO("default:PrintOnPreviousPage", "false")
  // The paper's columns, in millimetres like the paper (a data band's are pixels).
  Q_CLASSINFO("unit:ColumnWidth", "mm")
  Q_CLASSINFO("default:ResetPageNumbers", "false")
  Q_CLASSINFO("default:TitleBeforeHeader", "true")

public:
  // A4 portrait (paper size 9), no margins.
  explicit TfrxReportPage(TfrxComponent* parent = nullptr);
  ~TfrxReportPage() override;

  // --- Paper ----------------------------------------------------------------
  TPrinterOrientation Orientation() const { return orientation_; }
  // A different orientation swaps the paper's sides and turns the margins.
  void SetOrientation(TPrinterOrientation value);
  double PaperWidth() const { return paperWidth_; }
  double PaperHeight() const { return paperHeight_; }
  // Rounded to 8 decimals; the paper becomes custom (256).
  virtual void SetPaperWidth(double value);
  virtual void SetPaperHeight(double value);
  int PaperSize() const { return paperSize_; }
  // A code below 256 takes its size from the paper table (sides swapped in
  // landscape); 256 and above only store the code.
  virtual void SetPaperSize(int value);
  double LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(double value) { leftMargin_ = value; }
  double RightMargin() const { return rightMargin_; }
  void SetRightMargin(double value) { rightMargin_ = value; }
  double TopMargin() const { return topMargin_; }
  void SetTopMargin(double value) { topMargin_ = value; }
  double BottomMargin() const { return bottomMargin_; }
  void SetBottomMargin(double value) { bottomMargin_ = value; }
  bool MirrorMargins() const { return mirrorMargins_; }
  void SetMirrorMargins(bool value) { mirrorMargins_ = value; }
  // A new page in the designer: 10 mm margins and the current printer's paper.
  virtual void ApplyPrinterDefaults();

  // --- Columns --------------------------------------------------------------
  int Columns() const { return columns_; }
  // n > 0 divides the printable width into n columns starting at 0,
  // ColumnWidth, 2 x ColumnWidth ... millimetres. More than kMaxColumns
  // fails with "prInvProp" and changes nothing.
  static constexpr int kMaxColumns = 1000;
  void SetColumns(int value);
  double ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(double value) { columnWidth_ = value; }
  QStringList ColumnPositions() const { return columnPositions_; }
  void SetColumnPositions(const QStringList& value) { columnPositions_ = value; }

  // --- Printing -------------------------------------------------------------
  int Bin() const { return bin_; }
  void SetBin(int value) { bin_ = value; }
  int BinOtherPages() const { return binOtherPages_; }
  void SetBinOtherPages(int value) { binOtherPages_ = value; }
  TfrxDuplexMode Duplex() const { return duplex_; }
  void SetDuplex(TfrxDuplexMode value) { duplex_ = value; }
  int PageCount() const { return pageCount_; }
  // Values below 1 are ignored.
  void SetPageCount(int value);
  bool PrintIfEmpty() const { return printIfEmpty_; }
  void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }
  bool PrintOnPreviousPage() const { return printOnPreviousPage_; }
  void SetPrintOnPreviousPage(bool value) { printOnPreviousPage_ = value; }
  bool ResetPageNumbers() const { return resetPageNumbers_; }
  void SetResetPageNumbers(bool value) { resetPageNumbers_ = value; }
  bool TitleBeforeHeader() const { return titleBeforeHeader_; }
  void SetTitleBeforeHeader(bool value) { titleBeforeHeader_ = value; }
  bool EndlessHeight() const { return endlessHeight_; }
  void SetEndlessHeight(bool value) { endlessHeight_ = value; }
  bool EndlessWidth() const { return endlessWidth_; }
  void SetEndlessWidth(bool value) { endlessWidth_ = value; }
  bool LargeDesignHeight() const { return largeDesignHeight_; }
  void SetLargeDesignHeight(bool value) { largeDesignHeight_ = value; }
  QString OutlineText() const { return outlineText_; }
  void SetOutlineText(const QString& value) { outlineText_ = value; }
  QStringList HGuides() const { return hGuides_; }
  void SetHGuides(const QStringList& value) { hGuides_ = value; }
  QStringList VGuides() const { return vGuides_; }
  void SetVGuides(const QStringList& value) { vGuides_ = value; }
  QString OnAfterPrint() const { return onAfterPrint_; }
  void SetOnAfterPrint(const QString& value) { onAfterPrint_ = value; }
  QString OnBeforePrint() const { return onBeforePrint_; }
  void SetOnBeforePrint(const QString& value) { onBeforePrint_ = value; }
  QString OnManualBuild() const { return onManualBuild_; }
  void SetOnManualBuild(const QString& value) { onManualBuild_ = value; }

  // --- Background: colour, frame and picture of a private picture view ------
  TfrxPictureView* BackgroundView() const { return background_.get(); }
  TColor Color() const;
  void SetColor(TColor value);
  TfrxFrame* Frame() const;
  void SetFrame(const TfrxFrame* frame);
  ReportPicture* BackPicture() const;
  void SetBackPicture(const ReportPicture* picture);
  bool BackPictureVisible() const { return backPictureVisible_; }
  void SetBackPictureVisible(bool value) { backPictureVisible_ = value; }
  bool BackPicturePrintable() const { return backPicturePrintable_; }
  void SetBackPicturePrintable(bool value) { backPicturePrintable_ = value; }
  // Colour, back picture and frame over the printable area inside the
  // margins; nothing when the back picture is hidden, nor on paper when it is
  // not printable. Paper is a printing context, or one whose pictures are
  // drawn as on paper.
  void PaintBackground(gfx::Canvas& canvas, const PaintContext& context);

  // --- Data -----------------------------------------------------------------
  // The page runs once per record of this data set.
  TfrxDataSet* DataSet() const { return dataSet_.dataSet(); }
  void SetDataSet(TfrxDataSet* dataSet) { dataSet_.setDataSet(dataSet); }
  QString DataSetName() const { return dataSet_.name(); }
  void SetDataSetName(const QString& name) { dataSet_.setName(name, *this); }
  // The subreport that runs this page, if any.
  TfrxSubreport* Subreport() const;
  void SetSubreport(TfrxSubreport* subreport);

  QString NamePrefix() const override { return QStringLiteral("Page"); }
  // Lays out the page's own aligned views and its bands over the printable
  // area (one column's width for column bands), then each band's views.
  void ArrangeAlignedChildren() override;

private:
  void updateDimensions();

  TPrinterOrientation orientation_ = poPortrait;
  double paperWidth_ = 0;
  double paperHeight_ = 0;
  int paperSize_ = 0;
  double leftMargin_ = 0;
  double rightMargin_ = 0;
  double topMargin_ = 0;
  double bottomMargin_ = 0;
  bool mirrorMargins_ = false;
  int columns_ = 0;
  double columnWidth_ = 0;
  QStringList columnPositions_;
  int bin_ = 7;
  int binOtherPages_ = 7;
  TfrxDuplexMode duplex_ = dmNone;
  int pageCount_ = 1;
  bool printIfEmpty_ = true;
  bool printOnPreviousPage_ = false;
  bool resetPageNumbers_ = false;
  bool titleBeforeHeader_ = true;
  bool endlessHeight_ = false;
  bool endlessWidth_ = false;
  bool largeDesignHeight_ = false;
  QString outlineText_;
  QStringList hGuides_;
  QStringList vGuides_;
  QString onAfterPrint_, onBeforePrint_, onManualBuild_;
  std::unique_ptr<TfrxPictureView> background_;
  bool backPictureVisible_ = true;
  bool backPicturePrintable_ = true;
  DataSetLink dataSet_;
  QPointer<TfrxSubreport> subreport_;
};

}  // namespace valmoro::report
