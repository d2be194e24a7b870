#pragma once
// The preview control: the page workspace, an outline tree and a thumbnail
// workspace on the left (one at a time, behind a 4-pixel splitter) and a
// centred message panel. It pages, zooms, finds text, follows links and
// shows pages while a report is being prepared into it.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/canvas.h"
#include "preview/page_source.h"
#include "report/model/enums.h"

class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::preview {

class TfrxPreviewWorkspace;

// Zoom limits: below 25 % the page is unreadable; above 1000 % a single page
// would need hundreds of megabytes of screen.
inline constexpr double kMinZoom = 0.25;
inline constexpr double kMaxZoom = 10.0;

class TfrxPreview : public QWidget {
  Q_OBJECT

public:
  explicit TfrxPreview(QWidget* parent = nullptr);
  ~TfrxPreview() override;

  // The pages shown (not owned) and the report they come from (optional:
  // refresh, drill-down and outline options need it).
  void SetSource(PageSource* source, report::TfrxReport* report = nullptr);
  PageSource* Source() const { return source_; }
  report::TfrxReport* Report() const { return report_; }
  int PageCount() const;

  // Published properties.
  gfx::Color ActiveFrameColor() const;
  void SetActiveFrameColor(gfx::Color value);
  gfx::Color BackColor() const;
  void SetBackColor(gfx::Color value);
  gfx::Color FrameColor() const;
  void SetFrameColor(gfx::Color value);
  bool OutlineVisible() const { return outlineVisible_; }
  void SetOutlineVisible(bool value);
  int OutlineWidth() const { return outlineWidth_; }
  void SetOutlineWidth(int value);
  bool ThumbnailVisible() const { return thumbnailVisible_; }
  void SetThumbnailVisible(bool value);
  bool UseReportHints = true;
  bool OutlineExpand = true;

  // Navigation (1-based); numbers outside the pages go to the nearest end.
  int PageNo() const { return pageNo_; }
  void SetPageNo(int pageNo);
  void First();
  void Prior();
  void Next();
  void Last();
  // Goes to a page and a position below its printable top (outline, anchors).
  void SetPosition(int pageNo, int top);

  // Zoom: limited to 25 % … 1000 %; setting it selects zmDefault.
  double Zoom() const { return zoom_; }
  void SetZoom(double zoom);
  report::TfrxZoomMode ZoomMode() const { return zoomMode_; }
  void SetZoomMode(report::TfrxZoomMode mode);

  // Find: the whole text, case-sensitively or not, from the first page or
  // from the current one. True when found (the workspace then shows it);
  // "Nie znaleziono tekstu „…”." is shown otherwise.
  bool Find(const QString& text, bool caseSensitive, bool fromTop);
  bool FindNext();
  // Stops a running search (the progress window's "Anuluj").
  void CancelSearch() { searchCancelled_ = true; }
  QString SearchText() const { return searchText_; }
  bool SearchCaseSensitive() const { return searchCase_; }

  // The outline rebuilt from the pages.
  void UpdateOutline();
  QTreeWidget* OutlineTree() const { return outline_; }
  // What the outline pane says when the report has no outline.
  static QString NoOutlineText();
  TfrxPreviewWorkspace* Workspace() const { return workspace_; }
  TfrxPreviewWorkspace* Thumbnails() const { return thumbnails_; }

  // Lays the pages out again (after the pages changed).
  void UpdatePages();
  // Clears the pages.
  void Clear();

  // An operation such as saving runs: no painting, no mouse.
  void Lock();
  void Unlock();
  bool Locked() const { return locked_; }

  // The centred message panel ("Zapisywanie pliku...").
  void ShowMessage(const QString& text);
  void HideMessage();
  QString MessageText() const;
  bool MessageVisible() const;

  // Preparation in progress: cleared and busy at the start, pages added as
  // they come (the first 50 at once, then at an interval the first page's
  // speed decides), everything laid out at the end.
  void PrepareStart();
  void PreparePage(int index, bool finalPass);
  void PrepareEnd();
  bool Busy() const { return busy_; }
  // How many pages pass between display updates during preparation (5, 20 or 50).
  int UpdateInterval() const { return updateInterval_; }

  // Status texts (the form shows them).
  QString StatusPageText() const;
  QString LinkText() const { return linkText_; }
  QString HintText() const { return hintText_; }

  // Mouse on the page workspace (workspace coordinates).
  void MouseMoveAt(QPoint point);
  void MouseClickAt(QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, bool doubleClick);
  // Keys of the control.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
  // The wheel with Ctrl: 0.1 per notch (not below 0.3).
  void WheelZoom(int notches);

  // Called by a workspace when its scrolling made another page current.
  void WorkspaceScrolled(TfrxPreviewWorkspace* workspace, int pageNo);

  // Hyperlink actions and drill-down re-preparation. Opening a URL with the
  // system shell and re-preparing the report go through these (tests
  // replace them).
  std::function<void(const QString& url)> OpenUrl;
  std::function<void()> DrillDownRefresh;

  // Re-prepares the report keeping the scroll position and the page.
  void Refresh();

signals:
  // After every change of the current page (1-based).
  void OnPageChanged(int pageNo);
  void zoomChanged(double zoom);
  void statusChanged();
  void busyChanged(bool busy);
  // Keys the control passes to its window (Ctrl+P and the like).
  void commandKey(int key, Qt::KeyboardModifiers modifiers);

protected:
  void resizeEvent(QResizeEvent* event) override;
  // The page workspace narrows when a side pane opens: a fitted zoom follows.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void showLeftPane();
  void applyZoomMode();
  void relayout();
  void placeMessage();
  void changePage(int pageNo, bool scroll);
  bool searchFrom(int startPage);
  void fillOutline(QTreeWidgetItem* parent, const std::vector<OutlineNode>& nodes);

  PageSource* source_ = nullptr;
  report::TfrxReport* report_ = nullptr;
  QSplitter* splitter_;
  QTreeWidget* outline_;
  QLabel* outlineEmpty_;
  TfrxPreviewWorkspace* thumbnails_;
  TfrxPreviewWorkspace* workspace_;
  QLabel* message_;
  bool outlineVisible_ = false;
  bool thumbnailVisible_ = false;
  int outlineWidth_ = 120;
  int pageNo_ = 1;
  double zoom_ = 1;
  report::TfrxZoomMode zoomMode_ = report::zmDefault;
  bool locked_ = false;
  bool busy_ = false;
  int updateInterval_ = 20;
  QElapsedTimer firstPageTimer_;
  qint64 firstPageMs_ = -1;
  QString linkText_, hintText_;
  // Search state.
  QString searchText_;
  bool searchCase_ = false;
  int searchPage_ = 0;     // 0-based page of the last match
  int searchRecord_ = -1;  // text record of the last match on that page
  bool searchActive_ = false;
  bool searchCancelled_ = false;
};

}  // namespace valmoro::preview
