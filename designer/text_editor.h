#pragma once
// "Edytor tekstu": the text of a text view with line numbers, the tools to
// put an expression or a total in at the cursor, word wrap, alignment and
// font at hand, and a sample of the view drawn as the page draws it. OK
// makes one undo step of everything that changed.

#include <QDialog>
#include <QPlainTextEdit>
#include <QStringList>
#include <optional>
#include <vector>

#include "designer/object_editors.h"
#include "designer/variables_editor.h"
#include "report/model/enums.h"
#include "report/model/units.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace valmoro::report {
class TfrxComponent;
class TfrxCustomMemoView;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;
class MemoSample;

// A plain text editor with the line numbers in a margin on its left.
class NumberedTextEdit : public QPlainTextEdit {
  Q_OBJECT

public:
  explicit NumberedTextEdit(QWidget* parent = nullptr);
  // The margin's width for the number of lines now.
  int MarginWidth() const;
  QWidget* Margin() const { return margin_; }
  // The number shown beside each visible line, top to bottom.
  QList<int> VisibleLineNumbers() const;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  friend class LineNumberMargin;
  void paintMargin(QPaintEvent* event);
  void updateMargin(const QRect& rect, int dy);
  QWidget* margin_;
};

// --- Totals ----------------------------------------------------------------------------------

enum class AggregateKind { Sum, Avg, Min, Max, Count };

struct AggregateChoice {
  AggregateKind function = AggregateKind::Sum;
  QString expression;  // not for COUNT
  QString band;        // the data band's name
  bool runningTotal = false;
  bool invisibleBands = false;
};

// The call as the report engine evaluates it, within the view's expression
// delimiters ("[,]" when it has none): [SUM(<Wpisy."Temperatura">,MasterData1)],
// with the flags (1 invisible bands, 2 running total) only when any is set:
// [COUNT(MasterData1,3)].
QString AggregateText(const AggregateChoice& choice, const QString& delimiters = QStringLiteral("[,]"));
// The opening and closing delimiter of a view's ExpressionDelimiters.
QPair<QString, QString> ExpressionBrackets(const QString& delimiters);
// The data bands of the report in document order, by name.
QStringList DataBandNames(const report::TfrxReport& report);
// The fields of a data band's data set as expressions name them
// (<Wpisy."Temperatura">); none when the band has no data set.
QStringList DataBandFields(const report::TfrxReport& report, const QString& band);

class AggregateDialog : public QDialog {
  Q_OBJECT

public:
  AggregateDialog(DesignerDocument& document, report::TfrxCustomMemoView* context, QWidget* parent = nullptr);
  ~AggregateDialog() override;

  AggregateChoice Choice() const;
  QComboBox* FunctionBox() const { return function_; }
  QComboBox* BandBox() const { return band_; }
  // Editable: a field of the band's data set, or any expression.
  QComboBox* ExpressionBox() const { return expression_; }
  QToolButton* ExpressionButton() const { return expressionButton_; }
  QCheckBox* RunningTotalBox() const { return running_; }
  QCheckBox* InvisibleBandsBox() const { return invisible_; }
  // The text that goes in.
  QLabel* ResultLabel() const { return result_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  // Why the choice cannot go in ("" when it can).
  QString Refusal();
  void accept() override;

private:
  void fillFields();
  void updateResult();

  DesignerDocument& document_;
  report::TfrxCustomMemoView* context_;
  ExpressionCheck check_;
  QString delimiters_;
  QComboBox* function_;
  QComboBox* band_;
  QComboBox* expression_;
  QToolButton* expressionButton_;
  QCheckBox* running_;
  QCheckBox* invisible_;
  QLabel* result_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
};

// The dialog, modal: the text to put in, nullopt when cancelled.
std::optional<QString> ChooseAggregate(DesignerDocument& document, report::TfrxCustomMemoView* context, QWidget* parent);

// --- The text editor -------------------------------------------------------------------------

struct TextDraft {
  QString text;
  bool wordWrap = true;
  report::TfrxHAlign hAlign = report::haLeft;
  report::TfrxVAlign vAlign = report::vaTop;
  QString fontName;
  int fontHeight = -13;
  report::TColor fontColor = report::clBlack;
  report::TFontStyles fontStyle;

  static TextDraft Of(const report::TfrxCustomMemoView& view);
  bool operator==(const TextDraft&) const = default;
  bool SameFont(const TextDraft& other) const;
  // Into a view: everything, or only what differs from `before`.
  void WriteTo(report::TfrxCustomMemoView& view, const TextDraft* before = nullptr) const;
};

// Writes what changed as one undo step; the refusal ("" on success).
QString ApplyText(DesignerDocument& document, report::TfrxCustomMemoView& view, const TextDraft& draft);

class TextEditor : public QDialog {
  Q_OBJECT

public:
  TextEditor(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent = nullptr);
  ~TextEditor() override;

  // The draft with the text as typed now.
  TextDraft Draft() const;
  NumberedTextEdit* Edit() const { return edit_; }
  QToolButton* InsertExpressionButton() const { return insertExpression_; }
  QToolButton* InsertAggregateButton() const { return insertAggregate_; }
  QCheckBox* WordWrapBox() const { return wordWrap_; }
  // haLeft, haCenter, haRight, haBlock / vaTop, vaCenter, vaBottom.
  QToolButton* HAlignButton(report::TfrxHAlign align) const;
  QToolButton* VAlignButton(report::TfrxVAlign align) const;
  QPushButton* FontButton() const { return font_; }
  MemoSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  // Puts text in at the cursor (what both insert buttons end with).
  void InsertAtCursor(const QString& text);
  void InsertExpression();
  void InsertAggregate();
  void ChooseFont();

  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void showDraft();
  void updateSample();

  DesignerDocument& document_;
  report::TfrxCustomMemoView& view_;
  TextDraft draft_;
  NumberedTextEdit* edit_;
  QToolButton* insertExpression_;
  QToolButton* insertAggregate_;
  QCheckBox* wordWrap_;
  QList<QToolButton*> hAlign_;
  QList<QToolButton*> vAlign_;
  QPushButton* font_;
  MemoSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool filling_ = false;
  bool applied_ = false;
};

bool EditText(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent);

// The text, display format and highlight editors, in the order the
// context menu lists them.
std::vector<ObjectEditor> TextEditors();

}  // namespace valmoro::designer
