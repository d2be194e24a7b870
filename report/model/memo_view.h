#pragma once
// Text views. TfrxCustomMemoView holds every text property; TfrxMemoView
// publishes them all, TfrxSysMemoView (system values and aggregates) a subset.
// How text is expanded, measured and drawn belongs to the engine.

#include <QPointer>
#include <QStringList>

#include "platform/canvas.h"
#include "report/model/format.h"
#include "report/model/highlight.h"
#include "report/model/view.h"
#include "script/variant.h"

namespace valmoro::report {

class TfrxStyleItem;

class TfrxCustomMemoView : public TfrxStretcheable {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TfrxStretchMode StretchMode READ StretchMode WRITE SetStretchMode)
  Q_PROPERTY(bool FirstParaBreak READ FirstParaBreak WRITE SetFirstParaBreak)
  Q_PROPERTY(bool LastParaBreak READ LastParaBreak WRITE SetLastParaBreak)
  Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
  Q_PROPERTY(QString TagStr READ TagStr WRITE SetTagStr)
  Q_PROPERTY(QString URL READ URL WRITE SetURL)
  // For the text properties the subclasses publish.
  Q_CLASSINFO("default:ExpressionDelimiters", "[,]")
  Q_CLASSINFO("default:FirstParaBreak", "false")
  Q_CLASSINFO("default:LastParaBreak", "false")
  Q_CLASSINFO("default:AutoWidth", "false")
  Q_CLASSINFO("default:AllowExpressions", "true")
  Q_CLASSINFO("default:AllowHTMLTags", "false")
  Q_CLASSINFO("default:Clipped", "true")
  Q_CLASSINFO("default:HAlign", "haLeft")
  Q_CLASSINFO("default:HideZeros", "false")
  Q_CLASSINFO("default:Rotation", "0")
  Q_CLASSINFO("default:RTLReading", "false")
  Q_CLASSINFO("default:SuppressRepeated", "false")
  Q_CLASSINFO("default:Underlines", "false")
  Q_CLASSINFO("default:UseDefaultCharset", "false")
  Q_CLASSINFO("default:WordBreak", "false")
  Q_CLASSINFO("default:WordWrap", "true")
  Q_CLASSINFO("default:Wysiwyg", "true")
  Q_CLASSINFO("default:VAlign", "vaTop")
  Q_CLASSINFO("stored:CharSpacing", "IsCharSpacingStored")
  Q_CLASSINFO("stored:ExpressionDelimiters", "IsExpressionDelimitersStored")
  Q_CLASSINFO("stored:GapX", "IsGapXStored")
  Q_CLASSINFO("stored:GapY", "IsGapYStored")
  Q_CLASSINFO("stored:Highlight", "IsHighlightStored")
  Q_CLASSINFO("stored:LineSpacing", "IsLineSpacingStored")
  Q_CLASSINFO("stored:ParagraphGap", "IsParagraphGapStored")

public:
  explicit TfrxCustomMemoView(TfrxComponent* parent = nullptr);

  bool FirstParaBreak() const { return firstParaBreak_; }
  void SetFirstParaBreak(bool value) { firstParaBreak_ = value; }
  bool LastParaBreak() const { return lastParaBreak_; }
  void SetLastParaBreak(bool value) { lastParaBreak_ = value; }

  bool AutoWidth() const { return autoWidth_; }
  void SetAutoWidth(bool value) { autoWidth_ = value; }
  bool AllowExpressions() const { return allowExpressions_; }
  void SetAllowExpressions(bool value) { allowExpressions_ = value; }
  bool AllowHTMLTags() const { return allowHTMLTags_; }
  void SetAllowHTMLTags(bool value) { allowHTMLTags_ = value; }
  double CharSpacing() const { return charSpacing_; }
  void SetCharSpacing(double value) { charSpacing_ = value; }
  bool Clipped() const { return clipped_; }
  void SetClipped(bool value) { clipped_ = value; }
  TfrxFormat* DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const TfrxFormat* format);
  // Opening and closing delimiter of expressions, separated by a comma.
  QString ExpressionDelimiters() const { return expressionDelimiters_; }
  void SetExpressionDelimiters(const QString& value) { expressionDelimiters_ = value; }
  // The view that receives the text that does not fit; cleared when it goes.
  TfrxCustomMemoView* FlowTo() const { return flowTo_.data(); }
  void SetFlowTo(TfrxCustomMemoView* view) { flowTo_ = view; }
  double GapX() const { return gapX_; }
  void SetGapX(double value) { gapX_ = value; }
  double GapY() const { return gapY_; }
  void SetGapY(double value) { gapY_ = value; }
  TfrxHAlign HAlign() const { return hAlign_; }
  void SetHAlign(TfrxHAlign value) { hAlign_ = value; }
  bool HideZeros() const { return hideZeros_; }
  void SetHideZeros(bool value) { hideZeros_ = value; }
  TfrxHighlight* Highlight() const { return highlight_; }
  void SetHighlight(const TfrxHighlight* highlight);
  double LineSpacing() const { return lineSpacing_; }
  void SetLineSpacing(double value) { lineSpacing_ = value; }
  // The text, one entry per line.
  QStringList Memo() const { return memo_; }
  void SetMemo(const QStringList& lines) { memo_ = lines; }
  double ParagraphGap() const { return paragraphGap_; }
  void SetParagraphGap(double value) { paragraphGap_ = value; }
  int Rotation() const { return rotation_; }
  void SetRotation(int value) { rotation_ = value; }
  bool RTLReading() const { return rtlReading_; }
  void SetRTLReading(bool value) { rtlReading_ = value; }
  // Naming a style of the report applies it at once.
  QString Style() const { return style_; }
  void SetStyle(const QString& name);
  bool SuppressRepeated() const { return suppressRepeated_; }
  void SetSuppressRepeated(bool value) { suppressRepeated_ = value; }
  bool Underlines() const { return underlines_; }
  void SetUnderlines(bool value) { underlines_ = value; }
  bool UseDefaultCharset() const { return useDefaultCharset_; }
  void SetUseDefaultCharset(bool value) { useDefaultCharset_ = value; }
  bool WordBreak() const { return wordBreak_; }
  void SetWordBreak(bool value) { wordBreak_ = value; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  bool Wysiwyg() const { return wysiwyg_; }
  void SetWysiwyg(bool value) { wysiwyg_ = value; }
  TfrxVAlign VAlign() const { return vAlign_; }
  void SetVAlign(TfrxVAlign value) { vAlign_ = value; }

  // The lines joined by carriage return and line feed, without a final one.
  QString Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(const QString& text);

  // Takes the style's colour, font and frame.
  void ApplyStyle(const TfrxStyleItem& style);

  // --- Text layout (report/engine/memo_draw.cpp) ------------------------------
  // Fill, frame, underlines and the text.
  void Paint(gfx::Canvas& canvas, const PaintContext& context) override;
  // Height and width the text needs, gaps and frame included.
  double CalcHeight() override;
  virtual double CalcWidth();
  void InitPart() override;
  double GetPart() override;
  // The text not yet output while the view is split into parts.
  QString PartText() const { return partText_; }
  // Where the text goes for a scale and offset: inside the gaps and the
  // frame lines, far edges inclusive (hence + 1).
  gfx::Rect TextBox(double scaleX, double scaleY, double offsetX, double offsetY) const;

  Q_INVOKABLE bool IsCharSpacingStored() const { return charSpacing_ != 0; }
  Q_INVOKABLE bool IsExpressionDelimitersStored() const;
  Q_INVOKABLE bool IsGapXStored() const { return gapX_ != 2; }
  Q_INVOKABLE bool IsGapYStored() const { return gapY_ != 1; }
  Q_INVOKABLE bool IsHighlightStored() const;
  Q_INVOKABLE bool IsLineSpacingStored() const { return lineSpacing_ != 2; }
  Q_INVOKABLE bool IsParagraphGapStored() const { return paragraphGap_ != 0; }

  // --- Run-time state of a preparation: taking the data ----------------------
  // (memo_view_data.cpp; the expansion itself is report/engine/memo_expansion)
  // The value of the last expression evaluated, or the bound field's value.
  const script::Variant& Value() const { return value_; }
  void SetValue(const script::Variant& value) { value_ = value; }
  // The text shown last, for SuppressRepeated: Null after creation and when a
  // band's run starts or its group changes; empty text on a new page.
  const script::Variant& LastValue() const { return lastValue_; }
  void SetLastValue(const script::Variant& value) { lastValue_ = value; }
  // Also keeps the design text and makes the view the script's "Self".
  void SaveDesignState() override;
  // Also takes the text's data (hooks::memoDataTaker).
  void FetchData() override;
  // Also puts the design text back.
  void RestoreDesignState() override;

private:
  script::Variant value_ = script::Variant::Null();
  script::Variant lastValue_ = script::Variant::Null();
  QStringList savedMemo_;
  bool memoSaved_ = false;
  // --- end of the run-time state of taking the data ---------------------------

  bool firstParaBreak_ = false;
  bool lastParaBreak_ = false;
  bool autoWidth_ = false;
  bool allowExpressions_ = true;
  bool allowHTMLTags_ = false;
  double charSpacing_ = 0;
  bool clipped_ = true;
  TfrxFormat* displayFormat_;
  QString expressionDelimiters_;
  QPointer<TfrxCustomMemoView> flowTo_;
  double gapX_ = 2;
  double gapY_ = 1;
  TfrxHAlign hAlign_ = haLeft;
  bool hideZeros_ = false;
  TfrxHighlight* highlight_;
  double lineSpacing_ = 2;
  QStringList memo_;
  double paragraphGap_ = 0;
  int rotation_ = 0;
  bool rtlReading_ = false;
  QString style_;
  bool suppressRepeated_ = false;
  bool underlines_ = false;
  bool useDefaultCharset_ = false;
  bool wordBreak_ = false;
  bool wordWrap_ = true;
  bool wysiwyg_ = true;
  TfrxVAlign vAlign_ = vaTop;
  QString partText_;
};

class TfrxMemoView : public TfrxCustomMemoView {
  Q_OBJECT
  Q_PROPERTY(bool AutoWidth READ AutoWidth WRITE SetAutoWidth)
  Q_PROPERTY(bool AllowExpressions READ AllowExpressions WRITE SetAllowExpressions)
  Q_PROPERTY(bool AllowHTMLTags READ AllowHTMLTags WRITE SetAllowHTMLTags)
  Q_PROPERTY(valmoro::report::TBrushStyle BrushStyle READ BrushStyle WRITE SetBrushStyle)
  Q_PROPERTY(double CharSpacing READ CharSpacing WRITE SetCharSpacing)
  Q_PROPERTY(bool Clipped READ Clipped WRITE SetClipped)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)
  Q_PROPERTY(valmoro::report::TfrxFormat* DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
  Q_PROPERTY(QString ExpressionDelimiters READ ExpressionDelimiters WRITE SetExpressionDelimiters)
  Q_PROPERTY(valmoro::report::TfrxCustomMemoView* FlowTo READ FlowTo WRITE SetFlowTo)
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(double GapX READ GapX WRITE SetGapX)
  Q_PROPERTY(double GapY READ GapY WRITE SetGapY)
  Q_PROPERTY(valmoro::report::TfrxHAlign HAlign READ HAlign WRITE SetHAlign)
  Q_PROPERTY(bool HideZeros READ HideZeros WRITE SetHideZeros)
  Q_PROPERTY(valmoro::report::TfrxHighlight* Highlight READ Highlight WRITE SetHighlight)
  Q_PROPERTY(double LineSpacing READ LineSpacing WRITE SetLineSpacing)
  // Documents keep the text as the view's Text attribute instead.
  Q_PROPERTY(QStringList Memo READ Memo WRITE SetMemo STORED false)
  Q_PROPERTY(double ParagraphGap READ ParagraphGap WRITE SetParagraphGap)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(int Rotation READ Rotation WRITE SetRotation)
  Q_PROPERTY(bool RTLReading READ RTLReading WRITE SetRTLReading)
  Q_PROPERTY(QString Style READ Style WRITE SetStyle)
  Q_PROPERTY(bool SuppressRepeated READ SuppressRepeated WRITE SetSuppressRepeated)
  Q_PROPERTY(bool Underlines READ Underlines WRITE SetUnderlines)
  Q_PROPERTY(bool UseDefaultCharset READ UseDefaultCharset WRITE SetUseDefaultCharset)
  Q_PROPERTY(bool WordBreak READ WordBreak WRITE SetWordBreak)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
  Q_PROPERTY(bool Wysiwyg READ Wysiwyg WRITE SetWysiwyg)
  Q_PROPERTY(valmoro::report::TfrxVAlign VAlign READ VAlign WRITE SetVAlign)

public:
  explicit TfrxMemoView(TfrxComponent* parent = nullptr) : TfrxCustomMemoView(parent) {}
};

class TfrxSysMemoView : public TfrxCustomMemoView {
  Q_OBJECT
  Q_PROPERTY(bool AutoWidth READ AutoWidth WRITE SetAutoWidth)
  Q_PROPERTY(valmoro::report::TBrushStyle BrushStyle READ BrushStyle WRITE SetBrushStyle)
  Q_PROPERTY(double CharSpacing READ CharSpacing WRITE SetCharSpacing)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(valmoro::report::TfrxFormat* DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)
  Q_PROPERTY(double GapX READ GapX WRITE SetGapX)
  Q_PROPERTY(double GapY READ GapY WRITE SetGapY)
  Q_PROPERTY(valmoro::report::TfrxHAlign HAlign READ HAlign WRITE SetHAlign)
  Q_PROPERTY(bool HideZeros READ HideZeros WRITE SetHideZeros)
  Q_PROPERTY(valmoro::report::TfrxHighlight* Highlight READ Highlight WRITE SetHighlight)
  Q_PROPERTY(QStringList Memo READ Memo WRITE SetMemo STORED false)
  Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
  Q_PROPERTY(int Rotation READ Rotation WRITE SetRotation)
  Q_PROPERTY(bool RTLReading READ RTLReading WRITE SetRTLReading)
  Q_PROPERTY(QString Style READ Style WRITE SetStyle)
  Q_PROPERTY(bool SuppressRepeated READ SuppressRepeated WRITE SetSuppressRepeated)
  Q_PROPERTY(valmoro::report::TfrxVAlign VAlign READ VAlign WRITE SetVAlign)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

public:
  explicit TfrxSysMemoView(TfrxComponent* parent = nullptr) : TfrxCustomMemoView(parent) {}
};

}  // namespace valmoro::report
