#pragma once
// Shapes: rectangles, rounded rectangles, ellipses, triangles, diamonds and
// the two diagonals.

#include "report/model/view.h"

namespace valmoro::report {

class TfrxShapeView : public TfrxView {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TBrushStyle BrushStyle READ BrushStyle WRITE SetBrushStyle)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(int Curve READ Curve WRITE SetCurve)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(valmoro::report::TfrxShapeKind Shape READ Shape WRITE SetShape)
  Q_PROPERTY(QString TagStr READ TagStr WRITE SetTagStr)
  Q_PROPERTY(QString URL READ URL WRITE SetURL)
  Q_CLASSINFO("default:Curve", "0")
  Q_CLASSINFO("default:Shape", "skRectangle")

public:
  explicit TfrxShapeView(TfrxComponent* parent = nullptr);

  // Corner roundness of a rounded rectangle.
  int Curve() const { return curve_; }
  void SetCurve(int value) { curve_ = value; }
  TfrxShapeKind Shape() const { return shape_; }
  void SetShape(TfrxShapeKind value) { shape_ = value; }

  // The designer's flag is the shape kind.
  void DesignCreate(int flag) override;

  // The figure outlined in the frame's colour, style and width and filled
  // with Color and BrushStyle; a double frame gives a second figure inside
  // the first. The frame's sides and shadow are not drawn.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;

private:
  // One figure in the current device box, outlined in the given frame style.
  void DrawShapeOutline(TfrxFrameStyle style);

  int curve_ = 0;
  TfrxShapeKind shape_ = skRectangle;
};

}  // namespace valmoro::report
