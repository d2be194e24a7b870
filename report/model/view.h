#pragma once
// Views: the visible objects in bands (text, lines, pictures, shapes,
// subreports). TfrxView publishes what every view shares; the hidden fields
// below it are published by the view classes that use them.

#include <QPoint>

#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/frame.h"

namespace valmoro::report {

class TfrxView : public TfrxReportComponent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TfrxAlign Align READ Align WRITE SetAlign)
  Q_PROPERTY(bool Printable READ Printable WRITE SetPrintable)
  Q_PROPERTY(valmoro::report::TfrxShiftMode ShiftMode READ ShiftMode WRITE SetShiftMode)
  Q_PROPERTY(double Left READ Left WRITE SetLeft)
  Q_PROPERTY(double Top READ Top WRITE SetTop)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  Q_PROPERTY(double Height READ Height WRITE SetHeight)
  Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
  Q_PROPERTY(valmoro::report::TfrxRestrictions Restrictions READ Restrictions WRITE SetRestrictions)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(QString OnAfterData READ OnAfterData WRITE SetOnAfterData)
  Q_PROPERTY(QString OnAfterPrint READ OnAfterPrint WRITE SetOnAfterPrint)
  Q_PROPERTY(QString OnBeforePrint READ OnBeforePrint WRITE SetOnBeforePrint)
  Q_PROPERTY(QString OnPreviewClick READ OnPreviewClick WRITE SetOnPreviewClick)
  Q_PROPERTY(QString OnPreviewDblClick READ OnPreviewDblClick WRITE SetOnPreviewDblClick)
  Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_CLASSINFO("default:Align", "baNone")
  Q_CLASSINFO("default:Printable", "true")
  Q_CLASSINFO("default:ShiftMode", "smAlways")
  Q_CLASSINFO("default:GroupIndex", "0")
  Q_CLASSINFO("default:ShowHint", "false")
  // Hidden fields, for the classes that publish them.
  Q_CLASSINFO("default:BrushStyle", "bsSolid")
  Q_CLASSINFO("default:Color", "0x1FFFFFFF")
  Q_CLASSINFO("default:Cursor", "0")

public:
  explicit TfrxView(TfrxComponent* parent = nullptr);

  TfrxAlign Align() const { return align_; }
  void SetAlign(TfrxAlign value) { align_ = value; }
  // False: shown in the preview only, not printed.
  bool Printable() const { return printable_; }
  void SetPrintable(bool value) { printable_ = value; }
  TfrxShiftMode ShiftMode() const { return shiftMode_; }
  void SetShiftMode(TfrxShiftMode value) { shiftMode_ = value; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  QString Hint() const { return hint_; }
  void SetHint(const QString& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }

  // Names of script procedures called at those moments.
  QString OnAfterData() const { return onAfterData_; }
  void SetOnAfterData(const QString& value) { onAfterData_ = value; }
  QString OnAfterPrint() const { return onAfterPrint_; }
  void SetOnAfterPrint(const QString& value) { onAfterPrint_ = value; }
  QString OnBeforePrint() const { return onBeforePrint_; }
  void SetOnBeforePrint(const QString& value) { onBeforePrint_ = value; }
  QString OnPreviewClick() const { return onPreviewClick_; }
  void SetOnPreviewClick(const QString& value) { onPreviewClick_ = value; }
  QString OnPreviewDblClick() const { return onPreviewDblClick_; }
  void SetOnPreviewDblClick(const QString& value) { onPreviewDblClick_ = value; }

  // Hidden fields.
  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle value) { brushStyle_ = value; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  int Cursor() const { return cursor_; }
  void SetCursor(int value) { cursor_ = value; }
  QString DataField() const { return dataField_; }
  void SetDataField(const QString& value) { dataField_ = value; }
  TfrxDataSet* DataSet() const { return dataSet_.dataSet(); }
  void SetDataSet(TfrxDataSet* dataSet) { dataSet_.setDataSet(dataSet); }
  QString DataSetName() const { return dataSet_.name(); }
  void SetDataSetName(const QString& name) { dataSet_.setName(name, *this); }
  TfrxFrame* Frame() const { return frame_; }
  void SetFrame(const TfrxFrame* frame);
  QString TagStr() const { return tagStr_; }
  void SetTagStr(const QString& value) { tagStr_ = value; }
  QString URL() const { return url_; }
  void SetURL(const QString& value) { url_ = value; }

  // Has a data set and a data field.
  bool IsDataField() const { return DataSet() && !dataField_.isEmpty(); }

  QString KindCaption() const override;

  // --- Drawing (view_paint.cpp) --------------------------------------------
  // Where the view lies on the canvas of the current Paint, in device pixels:
  // X, Y, X1, Y1 (far edges already moved in by a drop shadow), DX, DY and the
  // device frame width FW.
  struct DeviceBox {
    gfx::Canvas* canvas = nullptr;
    double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
    int x = 0, y = 0, x1 = 0, y1 = 0, dx = 0, dy = 0, fw = 0;
    // The colour the fill and the frame's gaps take: the view's own, or
    // what the drawing puts in its place (a text view's highlight).
    TColor color = clTransparent;
  };
  // Background, frame and drop shadow; text, shape, line and picture views
  // draw their content on top.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;
  void ComputeDeviceRect(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY);
  void PaintFill();
  void PaintFrame();
  // A line `width` pixels wide made of one-pixel strokes with the canvas's pen.
  void DrawWideLine(int xa, int ya, int xb, int yb, int width);
  const DeviceBox& deviceBox() const { return box_; }
  // Draws one frame side from start to end (see PaintFrame): the neighbours
  // are the sides whose presence decides how the ends meet.
  void DrawFrameLine(QPoint start, QPoint end, TfrxFrameType startNeighbour, TfrxFrameType endNeighbour,
                     TfrxFrameType side, const TfrxFrameLine& line);

  // Also remembers TagStr and URL and makes the view the report's current
  // object; FetchData expands bracketed expressions in both (see hooks.h).
  void SaveDesignState() override;
  void FetchData() override;
  void RestoreDesignState() override;

private:
  TfrxAlign align_ = baNone;
  bool printable_ = true;
  TfrxShiftMode shiftMode_ = smAlways;
  int groupIndex_ = 0;
  QString hint_;
  bool showHint_ = false;
  QString onAfterData_, onAfterPrint_, onBeforePrint_, onPreviewClick_, onPreviewDblClick_;
  TBrushStyle brushStyle_ = bsSolid;
  TColor color_ = clTransparent;
  int cursor_ = 0;
  QString dataField_;
  DataSetLink dataSet_;
  TfrxFrame* frame_;
  QString tagStr_;
  QString url_;
  QString savedTagStr_;
  QString savedUrl_;

protected:
  // ComputeDeviceRect for given bounds in report pixels (a shape's inner
  // figure is placed this way without touching the view's own bounds).
  void ComputeDeviceRectFor(gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX, double offsetY,
                            double absLeft, double absTop, double width, double height);
  // The gaps of patterned strokes get the view's colour, or stay unpainted.
  void SetGapBackground();

  DeviceBox box_;
};

// A view that can grow with its content and be split across pages.
class TfrxStretcheable : public TfrxView {
  Q_OBJECT
  Q_CLASSINFO("default:StretchMode", "smDontStretch")

public:
  explicit TfrxStretcheable(TfrxComponent* parent = nullptr) : TfrxView(parent) {}

  TfrxStretchMode StretchMode() const { return stretchMode_; }
  void SetStretchMode(TfrxStretchMode value) { stretchMode_ = value; }

  // The height the content needs (here: the view's own height).
  virtual double CalcHeight() { return Height(); }
  // Output in parts when a band is split: InitPart before the first part;
  // GetPart keeps what fits the view's height and answers the height left
  // free at its bottom (the whole height when nothing fitted).
  virtual void InitPart() {}
  virtual double GetPart() { return 0; }

private:
  TfrxStretchMode stretchMode_ = smDontStretch;
};

}  // namespace valmoro::report
