#pragma once
// The frame of a view: which sides are drawn, their colour, style and width,
// and a drop shadow. Each side is a line of its own that follows the frame
// until it is changed by itself.

#include "report/model/enums.h"
#include "report/model/persistent.h"
#include "report/model/units.h"

namespace valmoro::report {

class TfrxFrame;

class TfrxFrameLine : public Persistent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(valmoro::report::TfrxFrameStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  // A side stores only what differs from its frame.
  Q_CLASSINFO("stored:Color", "IsColorStored")
  Q_CLASSINFO("stored:Style", "IsStyleStored")
  Q_CLASSINFO("stored:Width", "IsWidthStored")

public:
  // Black, solid, 1 pixel. The frame, when given, is what the side follows.
  explicit TfrxFrameLine(TfrxFrame* frame = nullptr);

  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TfrxFrameStyle Style() const { return style_; }
  void SetStyle(TfrxFrameStyle style) { style_ = style; }
  double Width() const { return width_; }
  void SetWidth(double width) { width_ = width; }

  void Assign(const TfrxFrameLine& source);
  bool operator==(const TfrxFrameLine& other) const;

  Q_INVOKABLE bool IsColorStored() const;
  Q_INVOKABLE bool IsStyleStored() const;
  Q_INVOKABLE bool IsWidthStored() const;

private:
  TfrxFrame* frame_;
  TColor color_ = clBlack;
  TfrxFrameStyle style_ = fsSolid;
  double width_ = 1;
};

class TfrxFrame : public Persistent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool DropShadow READ DropShadow WRITE SetDropShadow)
  Q_PROPERTY(valmoro::report::TColor ShadowColor READ ShadowColor WRITE SetShadowColor)
  Q_PROPERTY(double ShadowWidth READ ShadowWidth WRITE SetShadowWidth)
  Q_PROPERTY(valmoro::report::TfrxFrameStyle Style READ Style WRITE SetStyle)
  Q_PROPERTY(valmoro::report::TfrxFrameTypes Typ READ Typ WRITE SetTyp)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(valmoro::report::TfrxFrameLine* LeftLine READ LeftLine WRITE SetLeftLine)
  Q_PROPERTY(valmoro::report::TfrxFrameLine* TopLine READ TopLine WRITE SetTopLine)
  Q_PROPERTY(valmoro::report::TfrxFrameLine* RightLine READ RightLine WRITE SetRightLine)
  Q_PROPERTY(valmoro::report::TfrxFrameLine* BottomLine READ BottomLine WRITE SetBottomLine)
  Q_CLASSINFO("default:Color", "0")
  Q_CLASSINFO("default:DropShadow", "false")
  Q_CLASSINFO("default:ShadowColor", "0")
  Q_CLASSINFO("stored:ShadowWidth", "IsShadowWidthStored")
  Q_CLASSINFO("default:Style", "fsSolid")
  Q_CLASSINFO("default:Typ", "")
  Q_CLASSINFO("stored:Width", "IsWidthStored")

public:
  // No sides drawn; black, solid, 1 pixel; shadow 4 pixels.
  explicit TfrxFrame(QObject* owner = nullptr);

  // Colour, style and width of the frame are given to all four sides.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TfrxFrameStyle Style() const { return style_; }
  void SetStyle(TfrxFrameStyle style);
  double Width() const { return width_; }
  void SetWidth(double width);

  bool DropShadow() const { return dropShadow_; }
  void SetDropShadow(bool on) { dropShadow_ = on; }
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor color) { shadowColor_ = color; }
  double ShadowWidth() const { return shadowWidth_; }
  void SetShadowWidth(double width) { shadowWidth_ = width; }
  TfrxFrameTypes Typ() const { return typ_; }
  void SetTyp(TfrxFrameTypes typ) { typ_ = typ; }

  TfrxFrameLine* LeftLine() const { return leftLine_; }
  TfrxFrameLine* TopLine() const { return topLine_; }
  TfrxFrameLine* RightLine() const { return rightLine_; }
  TfrxFrameLine* BottomLine() const { return bottomLine_; }
  void SetLeftLine(const TfrxFrameLine* line);
  void SetTopLine(const TfrxFrameLine* line);
  void SetRightLine(const TfrxFrameLine* line);
  void SetBottomLine(const TfrxFrameLine* line);

  void Assign(const TfrxFrame& source);
  bool operator==(const TfrxFrame& other) const;

  Q_INVOKABLE bool IsShadowWidthStored() const { return shadowWidth_ != 4; }
  Q_INVOKABLE bool IsWidthStored() const { return width_ != 1; }

private:
  TColor color_ = clBlack;
  bool dropShadow_ = false;
  TColor shadowColor_ = clBlack;
  double shadowWidth_ = 4;
  TfrxFrameStyle style_ = fsSolid;
  TfrxFrameTypes typ_;
  double width_ = 1;
  TfrxFrameLine* leftLine_;
  TfrxFrameLine* topLine_;
  TfrxFrameLine* rightLine_;
  TfrxFrameLine* bottomLine_;
};

}  // namespace valmoro::report
