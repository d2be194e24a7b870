#pragma once
// "Wyróżnienie": the conditional look of a text view – while its
// condition is true the view prints in the highlight's font and colours.
// A view has exactly one highlight (the document keeps no list), so the
// dialog edits that one. The condition is checked on OK as preparing the
// report would check it; "Aktywne" draws the view highlighted in the
// designer (preparing works it out from the condition on every row).

#include <QDialog>
#include <vector>

#include "designer/object_editors.h"
#include "designer/variables_editor.h"
#include "report/model/enums.h"
#include "report/model/units.h"

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace valmoro::report {
class TfrxComponent;
class TfrxCustomMemoView;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;
class MemoSample;

struct HighlightDraft {
  bool active = false;
  QString condition;
  QString fontName;
  int fontHeight = -13;
  report::TColor fontColor = report::clRed;
  report::TFontStyles fontStyle;
  report::TColor color = report::clTransparent;  // the background

  static HighlightDraft Of(const report::TfrxCustomMemoView& view);
  bool operator==(const HighlightDraft&) const = default;
  // Into the view's highlight (the sample's, or the view's in the edit).
  void WriteTo(report::TfrxCustomMemoView& view) const;
};

// Writes the draft as one undo step; the refusal ("" on success). Nothing
// happens when the view has it already.
QString ApplyHighlight(DesignerDocument& document, report::TfrxCustomMemoView& view, const HighlightDraft& draft);

class HighlightEditor : public QDialog {
  Q_OBJECT

public:
  HighlightEditor(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent = nullptr);
  ~HighlightEditor() override;

  const HighlightDraft& Draft() const { return draft_; }
  QCheckBox* ActiveBox() const { return active_; }
  QLineEdit* ConditionEdit() const { return condition_; }
  // "…": the expression editor for the condition.
  QToolButton* ConditionButton() const { return conditionButton_; }
  QPushButton* FontButton() const { return font_; }
  QPushButton* FontColorButton() const { return fontColor_; }
  QCheckBox* BoldBox() const { return bold_; }
  QCheckBox* ItalicBox() const { return italic_; }
  QCheckBox* UnderlineBox() const { return underline_; }
  QCheckBox* StrikeOutBox() const { return strikeOut_; }
  QPushButton* BackgroundButton() const { return background_; }
  QCheckBox* TransparentBox() const { return transparent_; }
  MemoSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  // What the buttons do after their dialogs answered.
  void ChooseFontColor();
  void ChooseBackground();
  void ChooseFont();
  void EditCondition();

  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void showDraft();
  void draftChanged();

  DesignerDocument& document_;
  report::TfrxCustomMemoView& view_;
  HighlightDraft draft_;
  ExpressionCheck check_;
  QCheckBox* active_;
  QLineEdit* condition_;
  QToolButton* conditionButton_;
  QPushButton* font_;
  QPushButton* fontColor_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QCheckBox* underline_;
  QCheckBox* strikeOut_;
  QPushButton* background_;
  QCheckBox* transparent_;
  MemoSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool filling_ = false;
  bool applied_ = false;
};

bool EditHighlight(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent);

std::vector<ObjectEditor> HighlightEditors();

}  // namespace valmoro::designer
