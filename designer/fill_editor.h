#pragma once
// "Wypełnienie": the fill of text views, shapes and report pages: none,
// one colour, or a hatch (where the object has a brush style: the hatch
// is drawn in the frame's colour over the background colour, which may be
// none). OK gives every object the fill as one undo step.

#include <QDialog>
#include <QList>
#include <QString>
#include <vector>

#include "designer/object_editors.h"
#include "report/model/enums.h"
#include "report/model/units.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;

namespace valmoro::report {
class TfrxComponent;
}

namespace valmoro::designer {

class ColorChoice;
class DesignerDocument;
class ViewSample;

struct Fill {
  enum class Kind { None, Solid, Hatch };
  Kind kind = Kind::None;
  // The colour (Solid) or the background under the hatch (clTransparent: none).
  report::TColor color = report::clTransparent;
  report::TBrushStyle hatch = report::bsHorizontal;  // bsHorizontal … bsDiagCross

  // What an object has now, as the model stores it: clTransparent is no
  // fill, a hatch brush style a hatch.
  static Fill Of(const report::TfrxComponent& object);
  // Color (and BrushStyle where published) written to the object; a hatch
  // on an object without a brush style gives it the background colour only.
  void WriteTo(report::TfrxComponent& object) const;
  bool operator==(const Fill& other) const;
};

// Whether the object publishes a fill colour (and a brush style).
bool hasFill(const report::TfrxComponent& object);
bool hasBrushStyle(const report::TfrxComponent& object);
// The Polish names of the six hatches, from bsHorizontal on.
QStringList hatchNames();

// Every object takes the fill as one undo step ("Wypełnienie"); nothing
// happens when none changes. The refusal text, "" on success.
QString applyFill(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, const Fill& fill,
                  bool* changed = nullptr);

class FillEditor : public QDialog {
  Q_OBJECT

public:
  // Starts from the first object's fill.
  FillEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent = nullptr);
  ~FillEditor() override;

  const Fill& Draft() const { return draft_; }
  QComboBox* KindCombo() const { return kind_; }
  QComboBox* HatchCombo() const { return hatch_; }
  ColorChoice* ColorBox() const { return color_; }
  ViewSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void load();
  void changed();

  DesignerDocument& document_;
  QList<report::TfrxComponent*> objects_;
  Fill draft_;
  QComboBox* kind_;
  QComboBox* hatch_;
  ColorChoice* color_;
  ViewSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
  bool loading_ = false;
};

bool EditFill(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent);

// The registry's entry: "fill".
std::vector<ObjectEditor> FillEditors();

}  // namespace valmoro::designer
