#pragma once
// Lines: horizontal or vertical, or diagonal across the bounds (which may
// then have a negative width or height), optionally with arrows. Colour,
// style and width are the frame's.

#include "platform/canvas.h"
#include "report/model/view.h"

namespace valmoro::report {

class TfrxCustomLineView : public TfrxStretcheable {
  Q_OBJECT
  Q_CLASSINFO("default:ArrowEnd", "false")
  Q_CLASSINFO("default:ArrowLength", "20")
  Q_CLASSINFO("default:ArrowSolid", "false")
  Q_CLASSINFO("default:ArrowStart", "false")
  Q_CLASSINFO("default:ArrowWidth", "5")
  Q_CLASSINFO("default:Diagonal", "false")

public:
  explicit TfrxCustomLineView(TfrxComponent* parent = nullptr);

  bool ArrowEnd() const { return arrowEnd_; }
  void SetArrowEnd(bool value) { arrowEnd_ = value; }
  int ArrowLength() const { return arrowLength_; }
  void SetArrowLength(int value) { arrowLength_ = value; }
  bool ArrowSolid() const { return arrowSolid_; }
  void SetArrowSolid(bool value) { arrowSolid_ = value; }
  bool ArrowStart() const { return arrowStart_; }
  void SetArrowStart(bool value) { arrowStart_ = value; }
  int ArrowWidth() const { return arrowWidth_; }
  void SetArrowWidth(int value) { arrowWidth_ = value; }
  bool Diagonal() const { return diagonal_; }
  void SetDiagonal(bool value) { diagonal_ = value; }

  // Flag 0: straight line; 1: diagonal; 2: with an end arrow; 3: with a
  // start arrow; 4: with both.
  void DesignCreate(int flag) override;

  // A line that is not diagonal first becomes exactly horizontal or vertical
  // (its Width or Height is set to 0) and is drawn as the frame's top or left
  // side; a diagonal runs from (Left, Top) to the opposite corner. Arrow
  // heads follow at the chosen ends.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;

private:
  // An arrow head with its tip at the first point, pointing away from the
  // second, in device pixels.
  void DrawArrow(double x1, double y1, double x2, double y2, const gfx::Pen& linePen);

  bool arrowEnd_ = false;
  int arrowLength_ = 20;
  bool arrowSolid_ = false;
  bool arrowStart_ = false;
  int arrowWidth_ = 5;
  bool diagonal_ = false;
};

class TfrxLineView : public TfrxCustomLineView {
  Q_OBJECT
  Q_PROPERTY(QString TagStr READ TagStr WRITE SetTagStr)
  Q_PROPERTY(bool ArrowEnd READ ArrowEnd WRITE SetArrowEnd)
  Q_PROPERTY(int ArrowLength READ ArrowLength WRITE SetArrowLength)
  Q_PROPERTY(bool ArrowSolid READ ArrowSolid WRITE SetArrowSolid)
  Q_PROPERTY(bool ArrowStart READ ArrowStart WRITE SetArrowStart)
  Q_PROPERTY(int ArrowWidth READ ArrowWidth WRITE SetArrowWidth)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(bool Diagonal READ Diagonal WRITE SetDiagonal)

public:
  explicit TfrxLineView(TfrxComponent* parent = nullptr) : TfrxCustomLineView(parent) {}
};

}  // namespace valmoro::report
