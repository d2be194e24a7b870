#pragma once
// The rulers along the workspace's top and left edges, in the options'
// unit, with the page origin at zero; they mark the pointer and the
// selection's extent. A guide is dragged out of a ruler onto the page; a
// guide dragged back onto a ruler is removed. DesignArea puts the two
// rulers, their corner and the workspace together as the window shows them.

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

#include "report/model/units.h"

namespace valmoro::designer {

class DesignWorkspace;
class DesignerDocument;

class DesignRuler : public QWidget {
  Q_OBJECT

public:
  // A horizontal ruler lies above the workspace and makes horizontal
  // guides; a vertical one lies at its left and makes vertical guides.
  DesignRuler(Qt::Orientation orientation, DesignWorkspace& workspace, QWidget* parent = nullptr);

  Qt::Orientation Orientation() const { return orientation_; }
  static constexpr int kThickness = 22;

  struct Tick {
    int position = 0;  // ruler pixels along its length
    int length = 0;    // how far it reaches into the ruler
    QString label;     // numbers on whole units
  };
  // The marks the ruler shows now.
  QList<Tick> Ticks() const;
  // Ruler pixels of a page coordinate along the ruler, and back.
  double ToRuler(double pagePixels) const;
  double ToPage(double rulerPixels) const;
  // The pointer's page coordinate along the ruler, if it is over the page.
  std::optional<double> PointerPosition() const { return pointer_; }
  // The selection's extent along the ruler (page pixels); none without selection.
  std::optional<std::pair<double, double>> SelectionExtent() const;

  // The pointer is over this page point (the workspace's pointerMoved).
  void SetPointer(QPointF pagePoint);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  // Where the workspace's viewport starts, in ruler pixels along the ruler.
  double viewportOffset() const;
  QPoint toViewport(QPoint rulerPoint) const;

  Qt::Orientation orientation_;
  DesignWorkspace& workspace_;
  std::optional<double> pointer_;
  bool dragging_ = false;
};

// Two rulers, the corner between them and the workspace.
class DesignArea : public QWidget {
  Q_OBJECT

public:
  explicit DesignArea(DesignerDocument& document, QWidget* parent = nullptr);

  DesignWorkspace* Workspace() const { return workspace_; }
  DesignRuler* HorizontalRuler() const { return horizontal_; }
  DesignRuler* VerticalRuler() const { return vertical_; }

private:
  DesignWorkspace* workspace_;
  DesignRuler* horizontal_;
  DesignRuler* vertical_;
};

}  // namespace valmoro::designer
