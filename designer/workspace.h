#pragma once
// The designer's page workspace: the current page of the document drawn at
// a zoom (paper, margins, columns, grid, bands with their captions, the
// views as the preview draws them, guides, the selection) and edited with
// the mouse and the keyboard. What the gestures do is in drag.h; this widget
// turns events into page coordinates and draws.

#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "designer/drag.h"
#include "platform/canvas.h"


namespace valmoro::report {
class TfrxComponent;
class TfrxPage;
struct ReportChange;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

class DesignWorkspace : public QAbstractScrollArea {
  Q_OBJECT

public:
  explicit DesignWorkspace(DesignerDocument& document, QWidget* parent = nullptr);
  ~DesignWorkspace() override;

  DesignerDocument& Document() const { return document_; }
  DragController& Drag() { return drag_; }

  // --- Zoom ---------------------------------------------------------------
  double Zoom() const { return zoom_; }
  // Clamped to 25-400 %; the page point at `anchor` (viewport pixels) stays
  // where it is, the viewport's centre when none is given.
  void SetZoom(double zoom, std::optional<QPointF> anchor = std::nullopt);
  // "Szerokość strony": the paper fills the viewport's width.
  void ZoomToPageWidth();
  // "Cała strona": the whole paper fits in the viewport.
  void ZoomToWholePage();

  // --- Coordinates --------------------------------------------------------
  // Page pixels (the printable area's top-left corner is 0, 0) and viewport
  // pixels, at the current zoom and scroll position.
  QPointF ViewportToPage(QPointF point) const;
  QPointF PageToViewport(QPointF point) const;
  QRectF PageToViewport(const QRectF& rect) const;
  // The paper (the whole sheet, margins included) in viewport pixels.
  QRectF PaperRect() const;
  // The scrolled area: the paper and a border around it.
  QSize ContentSize() const;

  // --- Tools --------------------------------------------------------------
  // The next click places an object of the class (see DragController);
  // an empty name leaves the tool.
  void SetInsertTool(const QString& className, int flag = 0);
  QString InsertTool() const { return drag_.InsertClass(); }

  // A guide dragged out of a ruler (or one of the page's being moved):
  // released over the page it stands there; released outside the page
  // (back on a ruler) it is gone. Positions are viewport pixels.
  void BeginGuideDrag(Qt::Orientation orientation, int index = -1);
  void UpdateGuideDrag(QPoint viewportPoint);
  void EndGuideDrag(QPoint viewportPoint);
  bool GuideDragActive() const { return guideDrag_.active; }

  // --- In-place text editing ----------------------------------------------
  // Opens the editor over a text view; Ctrl+Enter or leaving it keeps the
  // text, Esc drops it.
  void EditText(report::TfrxComponent* view);
  QPlainTextEdit* TextEditor() const { return editor_; }
  void CommitText();
  void CancelText();

  // --- Drawing ------------------------------------------------------------
  // Draws what the viewport shows (viewport pixels) into any canvas; the
  // paint event uses it, tests record it. Views outside `clip` are skipped.
  void PaintTo(gfx::Canvas& canvas, const QRect& clip);
  // Views the last PaintTo drew.
  int LastPaintedViews() const { return lastPaintedViews_; }

  // The texts of the zoom choices.
  static QString PageWidthText() { return QStringLiteral("Szerokość strony"); }
  static QString WholePageText() { return QStringLiteral("Cała strona"); }

signals:
  // The pointer is over this page point (report pixels).
  void pointerMoved(QPointF reportPixels);
  void zoomChanged(double zoom);
  // Scrolled, zoomed or laid out again: the rulers follow.
  void viewChanged();
  // Re-sent from the drag logic.
  void insertBandRequested(const QString& className);
  void insertFinished();
  // A double click on an object or a band: the window opens its editor
  // (a text view's text editor; F2 edits a text in place).
  void editRequested(valmoro::report::TfrxComponent* object);
  // The right button went down at `globalPosition`; what lies under it is
  // selected first (unless it already was).
  void contextMenuRequested(QPoint globalPosition);
  // An item of the data tree dropped where it cannot go (the Polish line
  // for the status bar).
  void refused(const QString& message);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  // Items of the data tree (field_drop.h): fields onto bands, variables
  // and functions into text views.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  report::TfrxPage* page() const;
  // The paper's size and the printable area's offset in it, report pixels.
  QSizeF paperSize() const;
  QPointF marginOffset() const;
  // Where the paper's top-left corner is in the scrolled area.
  QPointF paperOrigin() const;
  void updateScrollBars();
  void scheduleLayout();
  void modelChanged(const report::ReportChange& change);
  void pageReplaced();
  void placeEditor();

  // The paper, bands, views and what lies over them (not the background).
  void paintContents(gfx::Canvas& canvas, const QRect& clip);
  void paintBands(gfx::Canvas& canvas, const QRect& clip);
  void paintGrid(gfx::Canvas& canvas, const QRectF& area, QPointF origin, const QRect& clip);
  void paintOverlay(gfx::Canvas& canvas);

  DesignerDocument& document_;
  DragController drag_;
  double zoom_ = 1;
  bool layoutPending_ = false;
  int lastPaintedViews_ = 0;

  struct GuideDrag {
    bool active = false;
    Qt::Orientation orientation = Qt::Horizontal;
    int index = -1;
    double position = 0;  // page pixels
    bool inside = false;
    bool moved = false;
    QPoint start;  // viewport pixels
  } guideDrag_;

  QPointer<QPlainTextEdit> editor_;
  QString editedName_;

  // One row of grid dots, kept between paints.
  QImage gridRow_;
  double gridRowStep_ = 0;
  int gridRowOffset_ = 0;
};

}  // namespace valmoro::designer
