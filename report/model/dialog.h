#pragma once
// Dialog pages, their controls and the non-visual components placed on them.
// A dialog page runs as a window before the report is prepared.
//
// Hook: the window of a dialog page and the window control of each dialog
// control come with the dialog controls; until then their bounds are plain
// values.

#include "report/model/component.h"
#include "report/model/page.h"

namespace valmoro::report {

// A non-visual object of a dialog page or data page (data sets, databases).
class TfrxDialogComponent : public TfrxReportComponent {
  Q_OBJECT
public:
  // 28 x 28: the size the designer shows it at. It never reaches prepared pages.
  explicit TfrxDialogComponent(TfrxComponent* parent = nullptr);

  // The designer's 28 x 28 symbol with the name below it, at Left and Top in
  // screen pixels (scale and offset do not apply).
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;
};

// A control on a dialog page (base of the individual control classes).
class TfrxDialogControl : public TfrxReportComponent {
  Q_OBJECT
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_CLASSINFO("default:GroupIndex", "0")
  Q_CLASSINFO("default:Enabled", "true")
  Q_CLASSINFO("default:ShowHint", "false")

public:
  explicit TfrxDialogControl(TfrxComponent* parent = nullptr) : TfrxReportComponent(parent) {}

  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  QString Hint() const { return hint_; }
  void SetHint(const QString& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }

  // "Button" for TfrxButtonControl.
  QString NamePrefix() const override { return ClassNameWithout(u"Control"); }

private:
  int groupIndex_ = 0;
  bool enabled_ = true;
  QString hint_;
  bool showHint_ = false;
};

class TfrxDialogPage : public TfrxPage {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(double ClientHeight READ ClientHeight WRITE SetClientHeight)
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(valmoro::report::TPosition Position READ Position WRITE SetPosition)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double ClientWidth READ ClientWidth WRITE SetClientWidth)
  Q_PROPERTY(valmoro::report::TWindowState WindowState READ WindowState WRITE SetWindowState)
  Q_PROPERTY(QString OnActivate READ OnActivate WRITE SetOnActivate)
  Q_PROPERTY(QString OnClick READ OnClick WRITE SetOnClick)
  Q_PROPERTY(QString OnCloseQuery READ OnCloseQuery WRITE SetOnCloseQuery)
  Q_PROPERTY(QString OnDeactivate READ OnDeactivate WRITE SetOnDeactivate)
  Q_PROPERTY(QString OnHide READ OnHide WRITE SetOnHide)
  Q_PROPERTY(QString OnKeyDown READ OnKeyDown WRITE SetOnKeyDown)
  Q_PROPERTY(QString OnKeyPress READ OnKeyPress WRITE SetOnKeyPress)
  Q_PROPERTY(QString OnKeyUp READ OnKeyUp WRITE SetOnKeyUp)
  Q_PROPERTY(QString OnShow READ OnShow WRITE SetOnShow)
  Q_PROPERTY(QString OnResize READ OnResize WRITE SetOnResize)
  Q_CLASSINFO("default:BorderStyle", "bsSizeable")
  Q_CLASSINFO("default:Color", "0xFF00000F")
  Q_CLASSINFO("default:Position", "poScreenCenter")
  Q_CLASSINFO("default:WindowState", "wsNormal")

public:
  // Font Tahoma 8, the window font of dialogs.
  explicit TfrxDialogPage(TfrxComponent* parent = nullptr);

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value) { borderStyle_ = value; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value) { caption_ = value; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  // The inside of the window; kept beside the outer Width and Height.
  double ClientWidth() const { return clientWidth_; }
  void SetClientWidth(double value) { clientWidth_ = value; }
  double ClientHeight() const { return clientHeight_; }
  void SetClientHeight(double value) { clientHeight_ = value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value) { windowState_ = value; }

  QString OnActivate() const { return onActivate_; }
  void SetOnActivate(const QString& value) { onActivate_ = value; }
  QString OnClick() const { return onClick_; }
  void SetOnClick(const QString& value) { onClick_ = value; }
  QString OnCloseQuery() const { return onCloseQuery_; }
  void SetOnCloseQuery(const QString& value) { onCloseQuery_ = value; }
  QString OnDeactivate() const { return onDeactivate_; }
  void SetOnDeactivate(const QString& value) { onDeactivate_ = value; }
  QString OnHide() const { return onHide_; }
  void SetOnHide(const QString& value) { onHide_ = value; }
  QString OnKeyDown() const { return onKeyDown_; }
  void SetOnKeyDown(const QString& value) { onKeyDown_ = value; }
  QString OnKeyPress() const { return onKeyPress_; }
  void SetOnKeyPress(const QString& value) { onKeyPress_ = value; }
  QString OnKeyUp() const { return onKeyUp_; }
  void SetOnKeyUp(const QString& value) { onKeyUp_ = value; }
  QString OnShow() const { return onShow_; }
  void SetOnShow(const QString& value) { onShow_ = value; }
  QString OnResize() const { return onResize_; }
  void SetOnResize(const QString& value) { onResize_ = value; }

private:
  TFormBorderStyle borderStyle_ = bsSizeable;
  QString caption_;
  TColor color_ = clBtnFace;
  double clientWidth_;
  double clientHeight_;
  TPosition position_ = poScreenCenter;
  TWindowState windowState_ = wsNormal;
  QString onActivate_, onClick_, onCloseQuery_, onDeactivate_, onHide_;
  QString onKeyDown_, onKeyPress_, onKeyUp_, onShow_, onResize_;
};

}  // namespace valmoro::report
