#pragma once
// What the preview needs of a store of prepared pages. The preview draws,
// searches, follows links and saves through this, so that it works the same
// on the pages of a report run, a loaded file or pages made in a test.

#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>
#include <memory>
#include <vector>

namespace valmoro::gfx {
class Canvas;
}
namespace valmoro::report {
class TfrxReport;
class TfrxReportPage;
}  // namespace valmoro::report

namespace valmoro::preview {

// One node of the outline (bookmark tree) of prepared pages.
struct OutlineNode {
  QString text;
  int page = 0;  // 0-based
  int top = 0;   // pixels below the printable top of the page
  std::vector<OutlineNode> children;
};

// What the object under the mouse asks of the preview.
struct PointResult {
  Qt::CursorShape cursor = Qt::ArrowCursor;
  QString link;      // shown in the second status panel
  QString hint;      // long hint, third status panel
  QString tooltip;   // short hint
  enum class Action { None, GoToPage, GoToPosition, OpenUrl, Repaint, DrillDown };
  Action action = Action::None;
  int page = 0;      // GoToPage, GoToPosition: 0-based
  int top = 0;       // GoToPosition
  QString url;       // OpenUrl
};

// A mouse event on a page as the store sees it.
struct PointQuery {
  int page = 0;          // 0-based
  QPoint point;          // workspace pixels
  double zoom = 1;
  QPoint pageOffset;     // the page's corner in the workspace
  bool click = false;
  bool doubleClick = false;
  Qt::MouseButton button = Qt::NoButton;
  Qt::KeyboardModifiers modifiers;
};

class PageSource {
public:
  virtual ~PageSource() = default;

  virtual int Count() const = 0;
  // Pixels at 96 dpi; (0, 0) outside the pages.
  virtual QSize PageSize(int index) const = 0;
  // The page's top margin in millimetres (outline and anchor positions are
  // measured from it).
  virtual double TopMargin(int index) const = 0;
  virtual void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                        double offsetY) = 0;
  virtual PointResult ObjectAtPoint(const PointQuery& query) = 0;
  virtual std::vector<OutlineNode> Outline() const = 0;

  // The page object for editing (owned by the store) and storing it back.
  virtual report::TfrxReportPage* Page(int index) = 0;
  virtual void ModifyPage(int index, report::TfrxReportPage& page) = 0;
  virtual void AddEmptyPage(int index) = 0;
  virtual void DeletePage(int index) = 0;
  virtual void Clear() = 0;

  // .fp3 files; both raise an exception with a message text on failure.
  virtual void SaveToFile(const QString& fileName) = 0;
  virtual void LoadFromFile(const QString& fileName) = 0;
  // The report name read with a file (ReportOptions.Name), empty when none.
  virtual QString LoadedReportName() const { return {}; }

  // The page shown when printing or exporting starts (for "current page").
  virtual void SetCurrentPage(int index) { (void)index; }
};

}  // namespace valmoro::preview
