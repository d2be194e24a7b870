#pragma once
// Bands: the horizontal (or vertical) strips of a report page that the engine
// prints as the data flows. TfrxBand holds what bands share and publishes the
// common properties; each band kind publishes its own on top.

#include <QPointer>
#include <memory>

#include "report/model/component.h"
#include "report/model/data_set.h"

namespace valmoro::report {

class TfrxChild;

class TfrxBand : public TfrxReportComponent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(valmoro::report::TfrxRestrictions Restrictions READ Restrictions WRITE SetRestrictions)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(bool Vertical READ Vertical WRITE SetVertical)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(QString OnAfterCalcHeight READ OnAfterCalcHeight WRITE SetOnAfterCalcHeight)
  Q_PROPERTY(QString OnAfterPrint READ OnAfterPrint WRITE SetOnAfterPrint)
  Q_PROPERTY(QString OnBeforePrint READ OnBeforePrint WRITE SetOnBeforePrint)
  // Booleans of every band kind are false unless said otherwise.
  Q_CLASSINFO("default:Vertical", "false")
  Q_CLASSINFO("default:AllowSplit", "false")
  Q_CLASSINFO("default:KeepChild", "false")
  Q_CLASSINFO("default:PrintChildIfInvisible", "false")
  Q_CLASSINFO("default:StartNewPage", "false")
  Q_CLASSINFO("default:Stretched", "false")
  Q_CLASSINFO("default:ReprintOnNewPage", "false")
  Q_CLASSINFO("default:KeepTogether", "false")
  Q_CLASSINFO("default:ResetPageNumbers", "false")
  Q_CLASSINFO("default:PrintOnFirstPage", "true")
  Q_CLASSINFO("default:PrintOnLastPage", "true")

public:
  explicit TfrxBand(TfrxComponent* parent = nullptr) : TfrxReportComponent(parent) {}

  // Laid out along X instead of Y.
  bool Vertical() const { return vertical_; }
  void SetVertical(bool value) { vertical_ = value; }
  bool AllowSplit() const { return allowSplit_; }
  void SetAllowSplit(bool value) { allowSplit_ = value; }
  // The child band printed after this one; cleared when that band goes.
  TfrxChild* Child() const;
  // Throws ReportError "Circular child reference is not allowed" when the
  // chain of Child bands from the new value leads back here; Child stays.
  void SetChild(TfrxChild* child);
  bool KeepChild() const { return keepChild_; }
  void SetKeepChild(bool value) { keepChild_ = value; }
  bool PrintChildIfInvisible() const { return printChildIfInvisible_; }
  void SetPrintChildIfInvisible(bool value) { printChildIfInvisible_ = value; }
  bool StartNewPage() const { return startNewPage_; }
  void SetStartNewPage(bool value) { startNewPage_ = value; }
  bool Stretched() const { return stretched_; }
  void SetStretched(bool value) { stretched_ = value; }

  QString OnAfterCalcHeight() const { return onAfterCalcHeight_; }
  void SetOnAfterCalcHeight(const QString& value) { onAfterCalcHeight_ = value; }
  QString OnAfterPrint() const { return onAfterPrint_; }
  void SetOnAfterPrint(const QString& value) { onAfterPrint_ = value; }
  QString OnBeforePrint() const { return onBeforePrint_; }
  void SetOnBeforePrint(const QString& value) { onBeforePrint_ = value; }

  // Position of the kind in the engine's band table: report title 0, report
  // summary 1, page header 2, page footer 3, header 4, footer 5, data bands
  // 6 to 11, group header 12, group footer 13, child 14, column header 15,
  // column footer 16, overlay 17; the null band 0.
  virtual int BandKindIndex() const { return 0; }

  // "MasterData" for TfrxMasterData, "PageHeader" for TfrxPageHeader.
  QString NamePrefix() const override { return ClassNameWithout(u"Band"); }
  QString KindCaption() const override;

private:
  bool vertical_ = false;
  bool allowSplit_ = false;
  QPointer<TfrxChild> child_;
  bool keepChild_ = false;
  bool printChildIfInvisible_ = false;
  bool startNewPage_ = false;
  bool stretched_ = false;
  QString onAfterCalcHeight_, onAfterPrint_, onBeforePrint_;
};

class TfrxReportTitle : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxReportTitle(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 0; }
};

class TfrxReportSummary : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxReportSummary(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 1; }
};

class TfrxPageHeader : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool PrintOnFirstPage READ PrintOnFirstPage WRITE SetPrintOnFirstPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxPageHeader(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 2; }

  bool PrintOnFirstPage() const { return printOnFirstPage_; }
  void SetPrintOnFirstPage(bool value) { printOnFirstPage_ = value; }

private:
  bool printOnFirstPage_ = true;
};

class TfrxPageFooter : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool PrintOnFirstPage READ PrintOnFirstPage WRITE SetPrintOnFirstPage)
  Q_PROPERTY(bool PrintOnLastPage READ PrintOnLastPage WRITE SetPrintOnLastPage)

public:
  explicit TfrxPageFooter(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 3; }

  bool PrintOnFirstPage() const { return printOnFirstPage_; }
  void SetPrintOnFirstPage(bool value) { printOnFirstPage_ = value; }
  bool PrintOnLastPage() const { return printOnLastPage_; }
  void SetPrintOnLastPage(bool value) { printOnLastPage_ = value; }

private:
  bool printOnFirstPage_ = true;
  bool printOnLastPage_ = true;
};

class TfrxHeader : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool ReprintOnNewPage READ ReprintOnNewPage WRITE SetReprintOnNewPage)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxHeader(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 4; }

  bool ReprintOnNewPage() const { return reprintOnNewPage_; }
  void SetReprintOnNewPage(bool value) { reprintOnNewPage_ = value; }

private:
  bool reprintOnNewPage_ = false;
};

class TfrxFooter : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxFooter(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 5; }
};

// One sort key of a data band.
struct TfrxSortKey {
  QString expression;
  bool descending = false;
  bool operator==(const TfrxSortKey&) const = default;
};

// Base of the six data band levels.
class TfrxDataBand : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
  Q_PROPERTY(double ColumnWidth READ ColumnWidth WRITE SetColumnWidth)
  Q_PROPERTY(double ColumnGap READ ColumnGap WRITE SetColumnGap)
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)
  Q_PROPERTY(bool FooterAfterEach READ FooterAfterEach WRITE SetFooterAfterEach)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool KeepFooter READ KeepFooter WRITE SetKeepFooter)
  Q_PROPERTY(bool KeepHeader READ KeepHeader WRITE SetKeepHeader)
  Q_PROPERTY(bool KeepTogether READ KeepTogether WRITE SetKeepTogether)
  Q_PROPERTY(QString OutlineText READ OutlineText WRITE SetOutlineText)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool PrintIfDetailEmpty READ PrintIfDetailEmpty WRITE SetPrintIfDetailEmpty)
  Q_PROPERTY(int RowCount READ RowCount WRITE SetRowCount)
  Q_PROPERTY(QStringList SortExpressions READ SortExpressions WRITE SetSortExpressions)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)
  Q_PROPERTY(QString OnMasterDetail READ OnMasterDetail WRITE SetOnMasterDetail)
  Q_CLASSINFO("stored:SortExpressions", "IsSortExpressionsStored")
  Q_CLASSINFO("default:Columns", "0")
  Q_CLASSINFO("default:FooterAfterEach", "false")
  Q_CLASSINFO("default:KeepFooter", "false")
  Q_CLASSINFO("default:KeepHeader", "false")
  Q_CLASSINFO("default:PrintIfDetailEmpty", "false")

public:
  explicit TfrxDataBand(TfrxComponent* parent = nullptr);
  ~TfrxDataBand() override;

  int Columns() const { return columns_; }
  void SetColumns(int value) { columns_ = value; }
  double ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(double value) { columnWidth_ = value; }
  double ColumnGap() const { return columnGap_; }
  void SetColumnGap(double value) { columnGap_ = value; }
  TfrxDataSet* DataSet() const { return dataSet_.dataSet(); }
  void SetDataSet(TfrxDataSet* dataSet) { dataSet_.setDataSet(dataSet); }
  QString DataSetName() const { return dataSet_.name(); }
  void SetDataSetName(const QString& name) { dataSet_.setName(name, *this); }
  bool FooterAfterEach() const { return footerAfterEach_; }
  void SetFooterAfterEach(bool value) { footerAfterEach_ = value; }
  bool KeepFooter() const { return keepFooter_; }
  void SetKeepFooter(bool value) { keepFooter_ = value; }
  bool KeepHeader() const { return keepHeader_; }
  void SetKeepHeader(bool value) { keepHeader_ = value; }
  bool KeepTogether() const { return keepTogether_; }
  void SetKeepTogether(bool value) { keepTogether_ = value; }
  QString OutlineText() const { return outlineText_; }
  void SetOutlineText(const QString& value) { outlineText_ = value; }
  bool PrintIfDetailEmpty() const { return printIfDetailEmpty_; }
  void SetPrintIfDetailEmpty(bool value) { printIfDetailEmpty_ = value; }
  // When set, the band runs on that many rows of its private data set
  // (VirtualDataSet) instead of a real one.
  int RowCount() const { return rowCount_; }
  // Also the private data set's RangeEndCount.
  void SetRowCount(int value);
  // The band's private data set: RangeEnd reCount over RowCount rows. It is
  // no child of the band, is never stored and has no name or user name, so
  // no report finds it by name.
  TfrxUserDataSet* VirtualDataSet() const { return virtualDataSet_.get(); }
  QString OnMasterDetail() const { return onMasterDetail_; }
  void SetOnMasterDetail(const QString& value) { onMasterDetail_ = value; }

  // The order the band prints its rows in: one key a line, an expression
  // evaluated for every row, ascending, or descending when the line ends in
  // the word DESC (an expression that itself ends in a name "desc" goes in
  // parentheses). Rows equal in every key keep the data set's order. Empty
  // (the default): the data set's own order, nothing sorted.
  QStringList SortExpressions() const { return sortExpressions_; }
  void SetSortExpressions(const QStringList& value) { sortExpressions_ = value; }
  Q_INVOKABLE bool IsSortExpressionsStored() const { return !sortExpressions_.isEmpty(); }
  // The same as keys: blank lines left out, the direction taken off.
  QList<TfrxSortKey> SortKeys() const;
  void SetSortKeys(const QList<TfrxSortKey>& keys);

  QString KindCaption() const override;

private:
  int columns_ = 0;
  double columnWidth_ = 0;
  double columnGap_ = 0;
  DataSetLink dataSet_;
  bool footerAfterEach_ = false;
  bool keepFooter_ = false;
  bool keepHeader_ = false;
  bool keepTogether_ = false;
  QString outlineText_;
  bool printIfDetailEmpty_ = false;
  int rowCount_ = 0;
  QStringList sortExpressions_;
  QString onMasterDetail_;
  std::unique_ptr<TfrxUserDataSet> virtualDataSet_;
};

class TfrxMasterData : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxMasterData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 6; }
};

class TfrxDetailData : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxDetailData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 7; }
};

class TfrxSubdetailData : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxSubdetailData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 8; }
};

class TfrxDataBand4 : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxDataBand4(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 9; }
};

class TfrxDataBand5 : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxDataBand5(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 10; }
};

class TfrxDataBand6 : public TfrxDataBand {
  Q_OBJECT
public:
  explicit TfrxDataBand6(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
  int BandKindIndex() const override { return 11; }
};

class TfrxGroupHeader : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(QString Condition READ Condition WRITE SetCondition)
  Q_PROPERTY(bool DrillDown READ DrillDown WRITE SetDrillDown)
  Q_PROPERTY(bool ExpandDrillDown READ ExpandDrillDown WRITE SetExpandDrillDown)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool KeepTogether READ KeepTogether WRITE SetKeepTogether)
  Q_PROPERTY(bool ReprintOnNewPage READ ReprintOnNewPage WRITE SetReprintOnNewPage)
  Q_PROPERTY(QString OutlineText READ OutlineText WRITE SetOutlineText)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool ResetPageNumbers READ ResetPageNumbers WRITE SetResetPageNumbers)
  Q_PROPERTY(bool ShowFooterIfDrillDown READ ShowFooterIfDrillDown WRITE SetShowFooterIfDrillDown)
  Q_PROPERTY(bool ShowChildIfDrillDown READ ShowChildIfDrillDown WRITE SetShowChildIfDrillDown)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)
  Q_PROPERTY(QString DrillName READ DrillName WRITE SetDrillName)
  Q_CLASSINFO("default:DrillDown", "false")
  Q_CLASSINFO("default:ExpandDrillDown", "false")
  Q_CLASSINFO("default:ShowFooterIfDrillDown", "false")
  Q_CLASSINFO("default:ShowChildIfDrillDown", "false")

public:
  explicit TfrxGroupHeader(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 12; }

  // The grouping expression.
  QString Condition() const { return condition_; }
  void SetCondition(const QString& value) { condition_ = value; }
  bool DrillDown() const { return drillDown_; }
  void SetDrillDown(bool value) { drillDown_ = value; }
  bool ExpandDrillDown() const { return expandDrillDown_; }
  void SetExpandDrillDown(bool value) { expandDrillDown_ = value; }
  bool KeepTogether() const { return keepTogether_; }
  void SetKeepTogether(bool value) { keepTogether_ = value; }
  bool ReprintOnNewPage() const { return reprintOnNewPage_; }
  void SetReprintOnNewPage(bool value) { reprintOnNewPage_ = value; }
  QString OutlineText() const { return outlineText_; }
  void SetOutlineText(const QString& value) { outlineText_ = value; }
  bool ResetPageNumbers() const { return resetPageNumbers_; }
  void SetResetPageNumbers(bool value) { resetPageNumbers_ = value; }
  bool ShowFooterIfDrillDown() const { return showFooterIfDrillDown_; }
  void SetShowFooterIfDrillDown(bool value) { showFooterIfDrillDown_ = value; }
  bool ShowChildIfDrillDown() const { return showChildIfDrillDown_; }
  void SetShowChildIfDrillDown(bool value) { showChildIfDrillDown_ = value; }
  QString DrillName() const { return drillName_; }
  void SetDrillName(const QString& value) { drillName_ = value; }

private:
  QString condition_;
  bool drillDown_ = false;
  bool expandDrillDown_ = false;
  bool keepTogether_ = false;
  bool reprintOnNewPage_ = false;
  QString outlineText_;
  bool resetPageNumbers_ = false;
  bool showFooterIfDrillDown_ = false;
  bool showChildIfDrillDown_ = false;
  QString drillName_;
};

class TfrxGroupFooter : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool HideIfSingleDataRecord READ HideIfSingleDataRecord WRITE SetHideIfSingleDataRecord)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)
  Q_CLASSINFO("default:HideIfSingleDataRecord", "false")

public:
  explicit TfrxGroupFooter(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 13; }

  bool HideIfSingleDataRecord() const { return hideIfSingleDataRecord_; }
  void SetHideIfSingleDataRecord(bool value) { hideIfSingleDataRecord_ = value; }

private:
  bool hideIfSingleDataRecord_ = false;
};

class TfrxChild : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool AllowSplit READ AllowSplit WRITE SetAllowSplit)
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool KeepChild READ KeepChild WRITE SetKeepChild)
  Q_PROPERTY(bool PrintChildIfInvisible READ PrintChildIfInvisible WRITE SetPrintChildIfInvisible)
  Q_PROPERTY(bool StartNewPage READ StartNewPage WRITE SetStartNewPage)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxChild(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 14; }
};

class TfrxColumnHeader : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TfrxChild* Child READ Child WRITE SetChild)
  Q_PROPERTY(bool Stretched READ Stretched WRITE SetStretched)

public:
  explicit TfrxColumnHeader(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 15; }
};

class TfrxColumnFooter : public TfrxBand {
  Q_OBJECT
public:
  explicit TfrxColumnFooter(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 16; }
};

class TfrxOverlay : public TfrxBand {
  Q_OBJECT
  Q_PROPERTY(bool PrintOnTop READ PrintOnTop WRITE SetPrintOnTop)
  Q_CLASSINFO("default:PrintOnTop", "false")

public:
  explicit TfrxOverlay(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
  int BandKindIndex() const override { return 17; }

  bool PrintOnTop() const { return printOnTop_; }
  void SetPrintOnTop(bool value) { printOnTop_ = value; }

private:
  bool printOnTop_ = false;
};

// An invisible container the engine uses; never placed by the designer.
class TfrxNullBand : public TfrxBand {
  Q_OBJECT
public:
  explicit TfrxNullBand(TfrxComponent* parent = nullptr) : TfrxBand(parent) {}
};

}  // namespace valmoro::report
