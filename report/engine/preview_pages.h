#pragma once
// The prepared pages of a report run: what the band engine produces and what
// the preview, printing and the exports read.
//
// Pages are not kept as live objects. Each page is an element of an XML
// document ("preparedreport"); each object on it is one element named by the
// alias of the design object it was printed from (m1, b2 ...) carrying only
// the attributes in which it differs from that object's copy (its source
// object). Objects made at run time without a source are written whole under
// their class name. Page objects are rebuilt on demand and a bounded cache
// keeps the last ones used. Pictures are kept once each in a picture cache.
// With EngineOptions.UseFileCache, finished page elements move to a temporary
// file once the estimated XML passes EngineOptions.MaxMemSize megabytes.
//
// The whole store can be written to a prepared-report file (.fp3) and read
// back without the design report: the source pages travel with it.
//
// Single-threaded: everything here runs on the user-interface thread.

#include <QHash>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "report/model/script_hooks.h"

class QIODevice;
class QTemporaryFile;

namespace valmoro::gfx {
class Canvas;
}

namespace valmoro::report {

class TfrxBand;
class TfrxComponent;
class TfrxPictureView;
class TfrxReport;
class TfrxReportPage;
class TfrxView;
class TfrxXMLDocument;
class TfrxXMLItem;
class TfrxXMLSerializer;
class TfrxPreviewPages;

// Cursor values of views (the Cursor property).
inline constexpr int crDefault = 0;
inline constexpr int crHandPoint = -21;

// ---------------------------------------------------------------------------
// Picture cache: every picture of the prepared pages once. Entries live in
// segments (memory buffers, or temporary files "frPic..." when the cache is
// in a file); an entry is (segment, offset) and its ImageIndex is its index
// + 1, so 0 means "no picture".
class TfrxPictureCache {
public:
  TfrxPictureCache();
  ~TfrxPictureCache();
  TfrxPictureCache(const TfrxPictureCache&) = delete;
  TfrxPictureCache& operator=(const TfrxPictureCache&) = delete;

  // Drops every entry and deletes the temporary files.
  void Clear();
  // Where segments are kept. Both can change only while the cache is empty
  // (later calls are ignored). An empty folder is the system's temporary one.
  bool CacheInFile() const { return inFile_; }
  void SetCacheInFile(bool value);
  QString TempDir() const { return tempDir_; }
  void SetTempDir(const QString& folder);

  int Count() const { return int(entries_.size()); }
  // Gives the view its ImageIndex: 0 without a picture; otherwise the
  // picture is stored unless the same bytes are already there (the view's
  // last stored picture, or an identical one from another view).
  // Throws ReportError when a temporary segment cannot be written.
  void AddPicture(TfrxPictureView& view);
  // Loads the view's picture by its ImageIndex; an index outside 1..Count
  // leaves the picture empty.
  void GetPicture(TfrxPictureView& view) const;

  // The stored bytes of an entry (0-based), as the picture wrote itself
  // (the picture file, its format told by its first bytes).
  QByteArray EntryBytes(int index) const;
  // Appends an entry; returns its ImageIndex.
  int AddEntry(const QByteArray& bytes);

  // "picturecache": one "item" per entry, attribute stream = hexadecimal
  // bytes. Loading appends; items whose stream is not an even run of
  // hexadecimal digits are refused with ReportError.
  void SaveToXML(TfrxXMLItem& item) const;
  void LoadFromXML(const TfrxXMLItem& item);

  // Largest segment before a new one is opened (bytes); for tests.
  void SetSegmentLimit(qint64 bytes) { segmentLimit_ = bytes; }

private:
  struct Segment;
  struct Entry {
    int segment;
    qint64 offset;
    qint64 size;
  };
  Segment& segmentFor(qint64 bytes);
  bool inFile_ = false;
  QString tempDir_;
  qint64 segmentLimit_ = 1789569705;
  std::vector<std::unique_ptr<Segment>> segments_;
  std::vector<Entry> entries_;
  // Content hash -> ImageIndex, so identical pictures are stored once.
  QMultiHash<QByteArray, int> byHash_;
  // The picture data a view last stored, to skip rehashing unchanged ones.
  QHash<const TfrxPictureView*, std::pair<QByteArray, int>> lastStored_;
};

// ---------------------------------------------------------------------------
// The outline (bookmark tree) navigator. Items are "item" elements of the
// document's "outline" element with attributes text, page (0-based) and top
// (pixels from the page's printable top). Scripts reach it as "Outline"
// through the report (AddItem uses the engine's current Y).
struct TfrxOutlineItemInfo {
  QString text;
  int page = 0;
  int top = 0;
};

// A place in the outline taken at the start of a kept block: the current
// element and how many items it held then.
struct TfrxOutlinePosition {
  TfrxXMLItem* element = nullptr;
  int count = 0;
};

class TfrxOutlineNavigator : public ReportOutlineHooks {
public:
  explicit TfrxOutlineNavigator(TfrxPreviewPages& pages);

  // A new item under the current element, on the current page; it becomes
  // the current element. The one-argument form (scripts) takes the engine's
  // current Y.
  void AddItem(const QString& text) override;
  void AddItem(const QString& text, int top);
  void LevelRoot() override;
  void LevelUp() override;
  // The index-th item of the current element becomes current.
  void LevelDown(int index);
  // Items of the current element.
  int Count() const;
  TfrxOutlineItemInfo GetItem(int index) const;
  // The current element's last item (none when it has none).
  TfrxXMLItem* GetCurPosition() const;
  // Where the outline stands now, for ShiftItems.
  TfrxOutlinePosition Position() const;
  // A kept block moved: every item recorded since `from` (each with its
  // descendants) moves so that the first of them lands at newTop, the
  // others keeping their distances; page + 1 when toNextPage.
  void ShiftItems(const TfrxOutlinePosition& from, int newTop, bool toNextPage = true);

  TfrxXMLItem* Root() const;
  TfrxXMLItem* CurItem() const;
  void SetCurItem(TfrxXMLItem* item) { current_ = item; }

private:
  TfrxPreviewPages& pages_;
  TfrxXMLItem* current_ = nullptr;  // none: the "outline" element
};

// ---------------------------------------------------------------------------
// What the store asks the engine that fills it. Without one: not running,
// current Y 0, total pages = page count.
class TfrxPreviewPagesEngine {
public:
  virtual ~TfrxPreviewPagesEngine() = default;
  virtual bool Running() const = 0;
  virtual double CurY() const = 0;
  // The engine's TotalPages (physical pages of the run).
  virtual int TotalPages() const = 0;
};

enum TfrxAddPageAction { apWriteOver, apAdd };

enum class TfrxMouseButton { Left, Right, Middle };
enum TfrxShiftFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };

// Object at a point: the question the preview asks on a mouse move or click.
struct TfrxPointQuery {
  int pageIndex = 0;
  // The point, in workspace pixels.
  double x = 0;
  double y = 0;
  double zoom = 1;
  // The page's top-left corner in the workspace.
  double offsetX = 0;
  double offsetY = 0;
  bool click = false;
  bool doubleClick = false;
  TfrxMouseButton button = TfrxMouseButton::Left;
  int shift = 0;  // TfrxShiftFlag bits
  // The preview shows report hints (its status bar and tooltip).
  bool useReportHints = true;
};

// ... and the store's answer, which the preview carries out.
struct TfrxPointAnswer {
  enum class Action {
    None,
    GoToPage,    // "@N": go to page `page` (0-based)
    GoToAnchor,  // "#name": go to page `page` (0-based), position `top`
    OpenUrl,     // open `url` with the system shell
  };
  // False when nothing happened (page outside, engine running, page not
  // built); the preview then leaves everything as it is.
  bool handled = false;
  int cursor = crDefault;
  // Status texts (cleared: empty) and the tooltip.
  QString linkText;
  QString hintText;
  QString tooltip;
  bool hideTooltip = false;
  // The view that decided (owned by the page cache; valid until the next
  // page is read), none when the point is over no view.
  TfrxView* view = nullptr;
  Action action = Action::None;
  int page = 0;
  int top = 0;
  QString url;
  // A drill-down group header was found under the point; on a left click
  // its name was toggled in the report's expanded list and the report must
  // be prepared again.
  QString drillName;
  bool drillToggled = false;
  // A click handler changed the page: it was stored back; repaint.
  bool modified = false;
};

// ---------------------------------------------------------------------------
class TfrxCustomPreviewPages {
public:
  explicit TfrxCustomPreviewPages(TfrxReport* report) : report_(report) {}
  virtual ~TfrxCustomPreviewPages() = default;
  TfrxCustomPreviewPages(const TfrxCustomPreviewPages&) = delete;
  TfrxCustomPreviewPages& operator=(const TfrxCustomPreviewPages&) = delete;

  TfrxReport* Report() const { return report_; }
  TfrxPreviewPagesEngine* Engine() const { return engine_; }
  void SetEngine(TfrxPreviewPagesEngine* engine) { engine_ = engine; }

  // Current page index (-1 when empty).
  int CurPage() const { return curPage_; }
  void SetCurPage(int index) { curPage_ = index; }
  TfrxAddPageAction AddPageAction() const { return addPageAction_; }
  void SetAddPageAction(TfrxAddPageAction action) { addPageAction_ = action; }
  // First page of the run (set by the engine).
  int FirstPage() const { return firstPage_; }
  void SetFirstPage(int index) { firstPage_ = index; }
  // Copy being printed (placeholder "[CopyName#]").
  int CopyNo() const { return copyNo_; }
  void SetCopyNo(int value) { copyNo_ = value; }

  // --- Engine side -------------------------------------------------------
  virtual void Clear() = 0;
  virtual void Initialize() = 0;
  virtual void BeginPass() = 0;
  virtual void ClearFirstPassPages() = 0;
  virtual void AddSourceObjects(TfrxReportPage* page) = 0;
  virtual void AddToSourcePage(TfrxComponent* object) = 0;
  virtual void AddPage(TfrxReportPage* page) = 0;
  virtual void AddObject(TfrxComponent* band) = 0;
  virtual int ObjectCount() const = 0;
  virtual void AddPicture(TfrxPictureView* view) = 0;
  virtual int CutObjects(int fromIndex) = 0;
  virtual void PasteObjects(double x, double y) = 0;
  virtual double GetLastY(double x = 0) const = 0;
  virtual bool BandExists(TfrxBand* band) const = 0;
  virtual void IncLogicalPageNumber() = 0;
  virtual void ResetLogicalPageNumber() = 0;
  virtual int GetLogicalPageNo() const = 0;
  virtual int GetLogicalTotalPages() const = 0;
  virtual void AddAnchor(const QString& text) = 0;
  virtual int GetAnchorCur() const = 0;
  virtual void ShiftAnchors(int fromIndex, int newTop, bool toNextPage = true) = 0;
  virtual void UpdatePageDimensions(TfrxReportPage* page, double height, double width) = 0;
  virtual void Finish() = 0;

  // --- Readers ---------------------------------------------------------------
  virtual int Count() const = 0;
  // Owned by the page cache: do not free, do not keep past the next Page.
  virtual TfrxReportPage* Page(int index) = 0;
  // Width and height in pixels; (0, 0) outside the pages.
  virtual QSize PageSize(int index) = 0;
  virtual void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                        double offsetY) = 0;
  virtual TfrxPointAnswer ObjectOver(const TfrxPointQuery& query) = 0;
  // 1-based page of the last anchor with that text; 1 when none.
  virtual int GetAnchorPage(const QString& text) const = 0;
  // Drops the page objects built for reading; the next Page builds afresh.
  // Printing calls it after every page so a long job holds one page at a
  // time. Stores that keep no built pages have nothing to drop.
  virtual void ClearPageCache() {}

  // --- Editing ---------------------------------------------------------------
  virtual void AddEmptyPage(int index) = 0;
  virtual void DeletePage(int index) = 0;
  virtual void ModifyPage(int index, TfrxReportPage* page) = 0;
  virtual void AddFrom(TfrxReport* report) = 0;

  // --- Files -----------------------------------------------------------------
  virtual void SaveToStream(QIODevice& stream) = 0;
  virtual void SaveToFile(const QString& fileName) = 0;
  virtual void LoadFromStream(QIODevice& stream, bool allowPartialLoading = false) = 0;
  virtual bool LoadFromFile(const QString& fileName, bool exceptionIfNotFound = false) = 0;

protected:
  TfrxReport* report_;
  TfrxPreviewPagesEngine* engine_ = nullptr;
  int curPage_ = -1;
  TfrxAddPageAction addPageAction_ = apAdd;
  int firstPage_ = 0;
  int copyNo_ = 0;
};

// ---------------------------------------------------------------------------
class TfrxPreviewPages : public TfrxCustomPreviewPages {
public:
  explicit TfrxPreviewPages(TfrxReport* report);
  ~TfrxPreviewPages() override;

  // --- Engine side -------------------------------------------------------
  // Empties everything (pages, outline, anchors, source pages, dictionary,
  // pictures, temporary files).
  void Clear() override;
  // For a run: picture cache in a file when PreviewOptions.PictureCacheInFile,
  // temporary files in EngineOptions.TempDir.
  void Initialize() override;
  void BeginPass() override;
  // Between the passes of a double pass.
  void ClearFirstPassPages() override;
  // Registers a report page and its objects as source objects (aliases
  // p1, p2 ... by first letter of the object kind, "b" for bands).
  void AddSourceObjects(TfrxReportPage* page) override;
  // An object made during the run: a copy in the last source page.
  void AddToSourcePage(TfrxComponent* object) override;
  // Throws ReportError when page elements cannot be moved to the temporary
  // file (disk full): never a page silently missing.
  void AddPage(TfrxReportPage* page) override;
  // Appends a band with its visible objects to the current page.
  void AddObject(TfrxComponent* band) override;
  // Objects (top-level elements) of the current page.
  int ObjectCount() const override;
  void AddPicture(TfrxPictureView* view) override;
  int CutObjects(int fromIndex) override;
  void PasteObjects(double x, double y) override;
  double GetLastY(double x = 0) const override;
  bool BandExists(TfrxBand* band) const override;
  void IncLogicalPageNumber() override;
  void ResetLogicalPageNumber() override;
  int GetLogicalPageNo() const override;
  int GetLogicalTotalPages() const override;
  void AddAnchor(const QString& text) override;
  int GetAnchorCur() const override;
  void ShiftAnchors(int fromIndex, int newTop, bool toNextPage = true) override;
  void UpdatePageDimensions(TfrxReportPage* page, double height, double width) override;
  void Finish() override;

  // --- Readers ---------------------------------------------------------------
  int Count() const override;
  TfrxReportPage* Page(int index) override;
  QSize PageSize(int index) override;
  void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                double offsetY) override;
  TfrxPointAnswer ObjectOver(const TfrxPointQuery& query) override;
  int GetAnchorPage(const QString& text) const override;
  // With the file cache, page elements read for the dropped pages go back to
  // the temporary file.
  void ClearPageCache() override;
  // Page objects currently built and kept.
  int CachedPageCount() const { return int(pageCache_.size()); }
  // Logical number and section total of a page (n, t of its entry; 0 when
  // it has none).
  std::pair<int, int> LogicalNumbers(int index) const;
  int AnchorCount() const;
  TfrxOutlineItemInfo Anchor(int index) const;

  // --- Editing ---------------------------------------------------------------
  void AddEmptyPage(int index) override;
  // Refuses to delete the last page.
  void DeletePage(int index) override;
  void ModifyPage(int index, TfrxReportPage* page) override;
  void AddFrom(TfrxReport* report) override;

  // --- Files -----------------------------------------------------------------
  // Throws ReportError when the file cannot be written.
  void SaveToStream(QIODevice& stream) override;
  void SaveToFile(const QString& fileName) override;
  // Throws ReportError for a file that is not a prepared report or is
  // damaged beyond what a partial load accepts ("Uszkodzony plik ...").
  void LoadFromStream(QIODevice& stream, bool allowPartialLoading = false) override;
  bool LoadFromFile(const QString& fileName, bool exceptionIfNotFound = false) override;

  // --- Parts -----------------------------------------------------------------
  TfrxOutlineNavigator& Outline() { return *outline_; }
  TfrxPictureCache& PictureCache() { return *pictures_; }
  TfrxXMLDocument& XML() { return *xml_; }
  int SourcePageCount() const { return int(sourcePages_.size()); }
  TfrxReportPage* SourcePage(int index) const;
  // The alias of a design object registered in this run (empty if none),
  // and the source name ("Page0.Memo1") an alias stands for.
  QString AliasOf(const TfrxComponent* designObject) const;
  QString SourceName(const QString& alias) const;
  // The estimated XML size since the last move to the temporary file.
  qint64 XMLSizeEstimate() const { return xmlSize_; }
  // Page elements currently held in the temporary file.
  int PagesInFile() const;

  // The document's elements (made empty on first use).
  TfrxXMLItem* PagesNode() const;
  TfrxXMLItem* OutlineNode() const;
  TfrxXMLItem* AnchorsNode() const;
  TfrxXMLItem* LogicalPagesNode() const;

private:
  struct SourceObject;
  struct CachedPage;
  friend class TfrxOutlineNavigator;

  TfrxXMLItem* node(const QString& name) const;
  TfrxXMLItem* curPageItem() const;
  void addSourceObject(TfrxComponent* design, TfrxComponent* copy, int pageIndex);
  QString uniqueAlias(const QString& prefix) const;
  QString baseTextOf(const TfrxComponent& copy);
  SourceObject* findAlias(QStringView alias) const;
  void writeObject(TfrxComponent& object, TfrxXMLItem& into);
  void moveOutPages();
  TfrxXMLItem* pageItem(int index);
  std::unique_ptr<TfrxReportPage> buildPage(int index);
  void readObjects(const TfrxXMLItem& element, TfrxComponent& parent);
  void emptyPageCache();
  // Forgets the built copy of a page whose stored content changes.
  void dropCachedPage(int index);
  // Sends a page element read for a built page back to the temporary file.
  void unloadPageElement(int index);
  void closeSection();
  bool doublePassFirst() const;
  bool finalPassOfDouble() const;
  bool running() const;
  void rebuildDictionaryFromXml();

  std::unique_ptr<TfrxXMLDocument> xml_;
  std::unique_ptr<TfrxPictureCache> pictures_;
  std::unique_ptr<TfrxOutlineNavigator> outline_;
  std::vector<std::unique_ptr<TfrxReportPage>> sourcePages_;
  // Design report page -> its copy's index (dropped by Finish).
  QHash<const TfrxReportPage*, int> sourcePageOf_;
  // Sorted by alias.
  std::vector<std::unique_ptr<SourceObject>> dictionary_;
  QHash<const TfrxComponent*, SourceObject*> byDesign_;
  QHash<const TfrxComponent*, SourceObject*> byCopy_;
  std::vector<std::unique_ptr<CachedPage>> pageCache_;
  std::unique_ptr<TfrxXMLSerializer> serializer_;
  qint64 xmlSize_ = 0;
  int logicalPageNo_ = 0;
  int passLastPage_ = -1;
  int passObjectCount_ = 0;
  int passOutlineCount_ = 0;
  bool passStartedEmpty_ = true;
};

}  // namespace valmoro::report
