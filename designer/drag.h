#pragma once
// What the mouse and the keyboard do to a design page, without the widget:
// the workspace turns its events into page coordinates (report pixels from
// the top-left corner of the printable area) and hands them here. Every
// change goes through the document as edit commands; what one drag does is
// one undo step (its commands merge, or it is made once on release) and the
// gesture is ended on release.

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include "report/model/units.h"
#include <QSet>
#include <QString>
#include <QSizeF>
#include <functional>

#include "designer/snapping.h"

namespace valmoro::report {
class TfrxBand;
class TfrxComponent;
class TfrxPage;
namespace edit {
class EditCommand;
}
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// Height of a band's caption strip in report pixels: it fills the gap the
// designer keeps above every band (half a centimetre), or less where bands
// stand closer.
inline constexpr double kBandCaptionHeight = 0.5 * report::fr1cm;

// What lies under a point, as the designer sees it.
struct DesignHit {
  enum class Kind { None, Handle, BandEdge, Caption, View, Band, Page };
  Kind kind = Kind::None;
  report::TfrxComponent* object = nullptr;
  int handle = -1;  // report::edit::Handle for Kind::Handle
};

// The handles an object offers: the eight of its bounds; a line only its
// two ends (hTopLeft for its start, hBottomRight for its end); a band only
// its bottom edge.
QList<int> HandlesOf(const report::TfrxComponent& object);

// Where a handle stands (page pixels).
QPointF HandlePosition(const report::TfrxComponent& object, int handle);

// The caption strip above a band (page pixels): the gap between it and the
// band above, at most kBandCaptionHeight tall.
QRectF CaptionRect(const report::TfrxBand& band);

// The band of the page that holds a point (its area, not its caption); none
// outside every band. `except` is passed over.
report::TfrxBand* BandAt(const report::TfrxPage& page, QPointF point, const report::TfrxComponent* except = nullptr);

// Handles of the selection (within `grip` pixels), then a band's bottom edge
// (just below it, or just above it where no view is), band captions, views
// from the topmost down, bands, the page.
DesignHit HitAt(const report::TfrxPage& page, QPointF point, const QList<report::TfrxComponent*>& selection,
                double grip);

// Guide lines of a page (positions in page pixels); the texts are the
// page's HGuides (horizontal lines, y) and VGuides (vertical lines, x).
QList<double> GuidePositions(const report::TfrxPage& page, Qt::Orientation orientation);
// Changes of the guide list through the document (one undo step each);
// false when the page has no guides (a dialog page) or the index is wrong.
bool AddGuide(DesignerDocument& document, report::TfrxPage& page, Qt::Orientation orientation, double position);
bool MoveGuide(DesignerDocument& document, report::TfrxPage& page, Qt::Orientation orientation, int index,
               double position);
bool RemoveGuide(DesignerDocument& document, report::TfrxPage& page, Qt::Orientation orientation, int index);
// The guide within `grip` pixels of a point: its index, or -1.
int GuideAt(const report::TfrxPage& page, Qt::Orientation orientation, QPointF point, double grip);

// The size a new object of a class gets from a click (3 cm x 0.5 cm for text).
QSizeF DefaultInsertSize(const QString& className);

// What a new object of the designer gets besides its class defaults: the
// creation flag (line and shape kinds) and the designer's font for text
// views. Called inside the insertion's undo step.
void applyNewObjectDefaults(const DesignerDocument& document, report::TfrxComponent& object, int flag);

class DragController : public QObject {
  Q_OBJECT

public:
  enum class Mode { None, Pending, Move, Resize, BandHeight, RubberBand, Insert };

  explicit DragController(DesignerDocument& document, QObject* parent = nullptr);

  DesignerDocument& Document() const { return document_; }
  // The zoom of the workspace: grips and snapping distances are screen pixels.
  void SetZoom(double zoom) { zoom_ = zoom; }
  double Zoom() const { return zoom_; }
  // The grip of handles and edges in page pixels.
  double Grip() const;

  DesignHit HitAt(QPointF point) const;
  Qt::CursorShape CursorAt(QPointF point) const;

  // --- Mouse --------------------------------------------------------------
  // Shift toggles and adds; Alt switches snapping off for the move.
  void Press(QPointF point, Qt::KeyboardModifiers modifiers);
  void MoveTo(QPointF point, Qt::KeyboardModifiers modifiers);
  void Release(QPointF point, Qt::KeyboardModifiers modifiers);
  // The gesture stops where it is (the mouse was taken away).
  void Cancel();

  Mode CurrentMode() const { return mode_; }
  bool Dragging() const { return mode_ != Mode::None && mode_ != Mode::Pending; }
  // Lines the dragged object lies on now (for drawing).
  const QList<SnapLine>& SnapLines() const { return snapLines_; }
  // A move of many objects changes the report only on release (a command
  // over a thousand objects per mouse move would make the drag crawl):
  // until then the workspace draws them moved by PreviewShift (page
  // pixels). A move of a few objects changes the report as it goes.
  static constexpr int kLiveMoveLimit = 32;
  bool PreviewActive() const { return mode_ == Mode::Move && preview_; }
  QPointF PreviewShift() const { return preview_ ? shift_ : QPointF(); }
  // Whether an object moves with the previewed move (itself or a container).
  bool MovesInPreview(const report::TfrxComponent* object) const;
  // The rubber band or the rectangle of a new object being drawn (page
  // pixels, normalised); empty when there is none.
  QRectF Frame() const;
  // The refusal of the last change, empty when it went through.
  const QString& LastError() const { return lastError_; }

  // --- Insert tool --------------------------------------------------------
  // The next click (or dragged rectangle) places an object of the class;
  // an empty class name leaves the tool.
  void SetInsertTool(const QString& className, int flag = 0);
  const QString& InsertClass() const { return insertClass_; }
  bool InsertToolActive() const { return !insertClass_.isEmpty(); }

  // --- Keyboard -----------------------------------------------------------
  // Arrows move the selection by a grid step, with Ctrl by a pixel; with
  // Shift they resize it. False when the key is not one of these or nothing
  // could move.
  bool Nudge(int key, Qt::KeyboardModifiers modifiers);
  // The next (previous) object of the page in depth-first order becomes the
  // selection; false when the page is empty.
  bool SelectNext(bool backwards);

signals:
  // The insert tool was used with a band class: the window places bands.
  void insertBandRequested(const QString& className);
  // The insert tool is done (an object placed, or the tool left).
  void insertFinished();
  // Something to redraw: the frame, the snap lines.
  void overlayChanged();

private:
  struct Moving {
    QString name;
    QRectF bounds;     // relative to the parent, at the press
    QRectF absolute;   // on the page, at the press
    bool vertical = false;  // bands move only up and down
  };

  report::TfrxPage* page() const;
  void startMove(Qt::KeyboardModifiers modifiers);
  void startResize();
  void startBandHeight();
  void dragMove(QPointF point, bool snap);
  void dragResize(QPointF point, bool snap);
  void dragBandHeight(QPointF point, bool snap);
  void finishMove();
  void finishRubberBand(Qt::KeyboardModifiers modifiers);
  void finishInsert(QPointF point, bool snap);
  void clickSelect(Qt::KeyboardModifiers modifiers);
  bool run(const std::function<report::edit::EditCommand*()>& make);
  SnapRequest request(bool snap, QPointF gridOrigin) const;
  QPointF gridOriginOf(const report::TfrxComponent& object) const;

  DesignerDocument& document_;
  double zoom_ = 1;
  Mode mode_ = Mode::None;
  DesignHit pressHit_;
  QPointF pressPoint_, lastPoint_;
  Qt::KeyboardModifiers pressModifiers_;
  bool selectedOnPress_ = false;
  int undoIndexAtPress_ = 0;
  QList<Moving> moving_;
  // The object the pointer grabbed: its edges snap, the others follow.
  int reference_ = -1;
  // Bands below a band whose height is dragged: they keep their gaps.
  QList<Moving> following_;
  SnapTargets targets_;
  QList<SnapLine> snapLines_;
  bool preview_ = false;
  QPointF shift_;
  QSet<const report::TfrxComponent*> previewObjects_;
  QString lastError_;
  QString insertClass_;
  int insertFlag_ = 0;
  QList<report::TfrxComponent*> nudged_;
};

}  // namespace valmoro::designer
