#pragma once
// The band engine: turns a report's pages, bands and views with their data
// sets into prepared pages. It decides which band comes next, lets views
// take their data and grow, moves the views below a grown view, breaks pages
// and columns, keeps blocks of bands together, and appends every finished
// band at its absolute position to the prepared-page store.
//
// The engine talks to the store through PageStore so that the flow can be
// checked on its own; the real store is adapted in engine_store.cpp.

#include <array>

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "report/model/script_hooks.h"

namespace valmoro::report {
class TfrxBand;
class TfrxComponent;
class TfrxDataBand;
class TfrxDataSet;
class TfrxPreviewPages;
class TfrxGroupHeader;
class TfrxReport;
class TfrxReportPage;
class TfrxStretcheable;
class TfrxSubreport;
class TfrxView;
}  // namespace valmoro::report

namespace valmoro::report::engine {

class TfrxAggregateList;

// Pixels per millimetre of the engine (not 96 / 25.4).
inline constexpr double kPixelsPerMm = 3.77953;

// What the engine needs of the prepared pages.
class PageStore {
public:
  virtual ~PageStore() = default;
  // A new run: empty pages, source pages registered below.
  virtual void InitRun(TfrxReport& report) = 0;
  virtual void RegisterSourcePage(TfrxReportPage& page) = 0;
  virtual void BeginPass() = 0;
  // Between the passes of a double pass: the pages go, the numbering stays.
  virtual void ClearFirstPass() = 0;
  virtual void Finish() = 0;

  // Appends a page for a report page (or, in write-over mode, moves on to
  // the next existing page).
  virtual void AddPage(TfrxReportPage& page) = 0;
  // Next AddPage writes over an existing page instead of appending.
  virtual void SetWriteOver(bool writeOver) = 0;
  virtual int Count() = 0;
  virtual int CurrentPage() = 0;
  virtual void SetCurrentPage(int index) = 0;
  virtual void SetFirstPageOfRun() = 0;
  // The band with its visible views, at the band's Left/Top.
  virtual void AppendBand(TfrxBand& band) = 0;
  virtual int ObjectCount() = 0;
  virtual int CutFrom(int index) = 0;
  virtual void Paste(double y, double x) = 0;
  // Lowest band bottom of the current page (page footers and overlays left
  // out); x other than 0 counts only the bands at that x (page headers and
  // titles always).
  virtual double LowestBottom(double x) = 0;
  virtual bool BandOnPage(TfrxBand& band) = 0;
  virtual void StorePageSize(TfrxReportPage& page, double height, double width) = 0;

  virtual void CloseLogicalSection() = 0;
  virtual int LogicalPageNumber() = 0;
  virtual int LogicalTotalPages() = 0;

  virtual void AddAnchor(const QString& text, double top) = 0;
  virtual int AnchorCount() = 0;
  virtual void ShiftAnchors(int fromIndex, double newTop, bool nextPage) = 0;
  virtual int AnchorPage(const QString& text) = 0;

  virtual void OutlineAdd(const QString& text, double top) = 0;
  virtual void OutlineRoot() = 0;
  virtual void OutlineUp() = 0;
  // An opaque mark of the last item of the current level (-1: none).
  virtual int OutlinePosition() = 0;
  virtual void OutlineShift(int fromMark, double newTop, bool nextPage) = 0;
};

class TfrxBandEngine : public ReportEngineHooks {
public:
  TfrxBandEngine(TfrxReport& report, PageStore& pages);
  ~TfrxBandEngine() override;
  TfrxBandEngine(const TfrxBandEngine&) = delete;
  TfrxBandEngine& operator=(const TfrxBandEngine&) = delete;

  // Prepares the whole report; false when the run was refused (the error
  // list says why) or a dialog page was cancelled.
  bool Run();

  // The engine of a run in progress for that report, or none.
  static TfrxBandEngine* Of(const TfrxReport& report);

  // --- Script-facing ------------------------------------------------------------
  void AddAnchor(const QString& text) override;
  void NewPage() override;
  void NewColumn() override;
  void ShowBand(TfrxBand* band) override;
  void StopReport() override;
  double FreeSpace() override;
  int GetAnchorPage(const QString& text) override;
  QVariant State(const QString& name) override;
  void SetState(const QString& name, const QVariant& value) override;
  // The first band of that class on the current page.
  void ShowBandOfClass(const QString& className);

  double CurX() const { return curX_; }
  void SetCurX(double v) { curX_ = v; }
  double CurY() const { return curY_; }
  void SetCurY(double v) { curY_ = v; }
  int CurColumn() const { return curColumn_; }
  int CurVColumn() const { return curVColumn_; }
  double PageHeight() const;
  double PageWidth() const { return pageWidth_; }
  bool DoublePass() const;
  bool FinalPass() const { return finalPass_; }
  int TotalPages() const { return totalPages_; }
  bool SecondScriptCall() const { return secondScriptCall_; }
  // Sum of the design heights of the column header and page header with their children.
  double HeaderHeight() const;
  // Column footer plus page footer (children not counted).
  double FooterHeight() const;
  // True while the band is shown again at the top of a new page or column.
  bool Overflow(const TfrxBand& band) const;
  // Told after each data row which band was shown.
  void AddNotification(std::function<void(TfrxDataBand&)> listener);
  bool Running() const { return running_; }

  // Views and bands in order of their numeric position.
  static void SortByPosition(QList<TfrxBand*>& bands, bool vertical);

private:
  struct BandState;
  struct ShiftNode;
  struct ReprintEntry {
    TfrxBand* band;
    double x;
    bool insideKeep;
  };
  struct SplitItem;

  // engine_bands.cpp
  BandState& state(const TfrxBand* band);
  void buildBandTree(TfrxReportPage& page, bool vertical);
  void buildShiftTree(TfrxBand& band);
  void checkDataSetConflicts();

  // engine_run.cpp
  void runReportPages();
  void runAllPages();
  void runPage(TfrxReportPage& page);
  void pageCopy(TfrxReportPage& page);
  bool pageHasRows(TfrxReportPage& page);
  bool recordPasses(TfrxDataBand& band);
  bool bandHasRows(TfrxDataBand& band);
  void runBandList(const QList<TfrxDataBand*>& bands);
  void runDataBand(TfrxDataBand& band);
  void initGroups(TfrxDataBand& band);
  void checkGroups(TfrxDataBand& band);
  void showGroupHeadersFrom(TfrxDataBand& band, int level);
  void showGroupFooters(TfrxDataBand& band, int downToLevel);
  void applyDrillDown(TfrxDataBand& band);
  void fireEvent(const QString& procedure, QObject* sender);
  void pumpMessages();
  void setLines(int line, int running);
  void updatePageVariables();
  void addOutline(TfrxBand& band, const QString& outlineText);
  void addPageOutline();

  // engine_output.cpp
  void showBandChain(TfrxBand* band);
  void outputBand(TfrxBand& band);
  void prepareBand(TfrxBand& band);
  void unprepareBand(TfrxBand& band);
  void moveShifted(TfrxBand& band, int node, double offset);
  void placeBand(TfrxBand& band);
  bool isRedirected() const { return redirect_ != nullptr; }
  void runSubreports(TfrxBand& band);
  void printSubreportsOnParent(TfrxBand& band);

  // engine_flow.cpp
  void pageStart(TfrxReportPage& page);
  void newPageStart();
  void pageEnd();
  // The page footer and the overlay printed on top, each once per page.
  void showPageFooterAndOverlay(bool nested);
  void showColumnFooter();
  void startKeeping(TfrxBand* band, int position = -1);
  void endKeeping(TfrxBand* band);
  void cutKept();
  void repeatedValues(TfrxBand& band);
  void splitBand(TfrxBand& band);
  void placeDataColumns(TfrxDataBand& band);
  void setDataColumn(TfrxDataBand& band, int column);
  void showBandSimple(TfrxBand& band);

  // engine_vertical.cpp
  void moveIntoVerticalBands(TfrxReportPage& page, TfrxBand& band);
  void restoreMovedViews();
  double runVerticalBands(TfrxBand& band);
  void outputVertical(TfrxBand& band);
  void nextVerticalPart();
  void writeVerticalParts(TfrxBand& band);
  void gotoVerticalPartPage(int index);
  void endVerticalPartPage();
  void finishEndlessPage();
  double columnX(int column) const;
  // The first band of that kind number on the current page.
  TfrxBand* pageBand(int kind) const;

  TfrxReport& report_;
  PageStore& pages_;
  std::unique_ptr<TfrxAggregateList> aggregates_;
  QHash<const TfrxBand*, BandState*> states_;
  std::vector<std::unique_ptr<BandState>> stateStore_;
  // Master bands of each report page (horizontal, vertical).
  QHash<const TfrxReportPage*, QList<TfrxDataBand*>> masters_;
  QHash<const TfrxReportPage*, QList<TfrxDataBand*>> verticalMasters_;
  std::vector<std::function<void(TfrxDataBand&)>> notifications_;

  TfrxReportPage* page_ = nullptr;
  std::array<TfrxBand*, 18> pageBands_{};
  TfrxBand* curBand_ = nullptr;
  double curX_ = 0, curY_ = 0;
  int curColumn_ = 1;
  int curVColumn_ = 0;
  double pageHeight_ = 0, pageWidth_ = 0;
  bool finalPass_ = true;
  int totalPages_ = 0;
  bool secondScriptCall_ = false;
  int currentLine_ = 0, runningLine_ = 0;
  double pageColumnOffset_ = 0;
  double firstColumnTop_ = 0;
  double prevFooterHeight_ = 0;
  QList<ReprintEntry> reprint_;
  QList<ReprintEntry> vReprint_;
  // Keep state.
  bool keeping_ = false;
  TfrxBand* keepBand_ = nullptr;
  double keepCurY_ = 0;
  int keepPosition_ = 0;
  int keepOutline_ = -1;
  int keepAnchor_ = -1;
  bool keepHeader_ = false;
  bool keepFooter_ = false;
  // Flags.
  bool firstBand_ = false;
  bool firstPage_ = false;
  bool lastPage_ = false;
  bool fromPageStart_ = false;
  bool fromPageEnd_ = false;
  bool inPageHeader_ = false;
  bool dontShowHeaders_ = false;
  bool firstReportPage_ = true;
  TfrxBand* startNewPageBand_ = nullptr;
  TfrxBand* lastBandOnPage_ = nullptr;
  TfrxBand* redirect_ = nullptr;
  // Vertical state.
  TfrxBand* verticalMaster_ = nullptr;
  QList<int> verticalPages_;
  // CurX at which the current horizontal page part holds more than the
  // vertical bands reprinted at its start (a smaller part would break forever).
  double verticalPartFreshX_ = 0;
  // Views of horizontal bands moved into vertical bands for the run, with
  // where they came from; given back when the run ends.
  struct MovedView {
    TfrxView* view;
    TfrxBand* home;
    int index;
    double left;
  };
  std::vector<MovedView> movedViews_;
  QHash<const TfrxComponent*, TfrxBand*> homeBands_;
  // Drill-down name path, innermost last.
  QList<QPair<QString, int>> drillPath_;
  // Nesting of page ends and of bands in output, to refuse runaway recursion.
  int outputDepth_ = 0;
  bool running_ = false;
};

// Prepares the report into the prepared pages of its run (report/run/).
bool RunEngine(TfrxReport& report, TfrxPreviewPages& pages);

// Answers the layout questions of scripts (Overflow, a view's value) from
// the band engine that is running.
void InstallBandEngine();

}  // namespace valmoro::report::engine
