#pragma once
// "Ramka": the frame of one or more objects (text, pictures, shapes,
// lines, pages): which sides are drawn, the style, width and colour of all
// of them or of one side, and the drop shadow, with a sample painted by the
// model's own frame drawing. OK gives every object the frame as one undo
// step. The editing widgets are a panel of their own, so that the styles
// editor edits a style's frame with the same widgets.

#include <QDialog>
#include <QList>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "designer/object_editors.h"
#include "report/model/enums.h"
#include "report/model/frame.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QDialogButtonBox;

namespace valmoro::report {
class TfrxComponent;
}

namespace valmoro::designer {

class ColorChoice;
class DesignerDocument;
class ViewSample;

// What the style, width and colour fields change: the whole frame (all
// four sides follow it) or one side on its own.
enum class FrameTarget { All, Left, Top, Right, Bottom };

// The side line of a target; none for All.
report::TfrxFrameLine* frameLine(report::TfrxFrame& frame, FrameTarget target);
const report::TfrxFrameLine* frameLine(const report::TfrxFrame& frame, FrameTarget target);
void setFrameStyle(report::TfrxFrame& frame, FrameTarget target, report::TfrxFrameStyle style);
void setFrameWidth(report::TfrxFrame& frame, FrameTarget target, double width);
void setFrameColor(report::TfrxFrame& frame, FrameTarget target, report::TColor color);
report::TfrxFrameStyle frameStyle(const report::TfrxFrame& frame, FrameTarget target);
double frameWidth(const report::TfrxFrame& frame, FrameTarget target);
report::TColor frameColor(const report::TfrxFrame& frame, FrameTarget target);

// The Polish names of the line styles, in the model's order (fsSolid …).
QStringList frameStyleNames();
// A line or shadow width as typed ("1,5"): pixels, 0 … 100; the Polish
// refusal in `refusal` otherwise.
std::optional<double> parseLineWidth(const QString& text, QString* refusal);

// The frame an object publishes ("Frame"); none when it has none.
report::TfrxFrame* frameOf(report::TfrxComponent& object);
// Every object takes `frame` as one undo step ("Ramka"); nothing happens
// when each has it already. The refusal text, "" on success.
QString applyFrame(DesignerDocument& document, const QList<report::TfrxComponent*>& objects,
                   const report::TfrxFrame& frame, bool* changed = nullptr);

// The widgets over a draft frame.
class FramePanel : public QWidget {
  Q_OBJECT

public:
  explicit FramePanel(QWidget* parent = nullptr);
  ~FramePanel() override;

  const report::TfrxFrame& Frame() const { return *draft_; }
  // Shows another frame (its copy becomes the draft).
  void SetFrame(const report::TfrxFrame& frame);
  // What the line fields show and change.
  void SetTarget(FrameTarget target);
  FrameTarget Target() const;
  // Why a typed width cannot be taken ("" when all are fine).
  QString Refusal() const;

  QToolButton* SideButton(report::TfrxFrameType side) const;
  QPushButton* AllButton() const { return all_; }
  QPushButton* NoneButton() const { return none_; }
  QComboBox* TargetCombo() const { return target_; }
  QComboBox* StyleCombo() const { return style_; }
  QLineEdit* WidthEdit() const { return width_; }
  ColorChoice* LineColor() const { return color_; }
  QCheckBox* ShadowCheck() const { return shadow_; }
  QLineEdit* ShadowWidthEdit() const { return shadowWidth_; }
  ColorChoice* ShadowColor() const { return shadowColor_; }
  ViewSample* Sample() const { return sample_; }

signals:
  void frameChanged();

private:
  void load();
  void sidesChanged();
  void setSides(report::TfrxFrameTypes sides);
  void widthEdited(const QString& text);
  void shadowWidthEdited(const QString& text);
  void changed();

  report::TfrxFrame* draft_;  // owned by this widget
  QToolButton* sides_[4];
  QPushButton* all_;
  QPushButton* none_;
  QComboBox* target_;
  QComboBox* style_;
  QLineEdit* width_;
  ColorChoice* color_;
  QCheckBox* shadow_;
  QLineEdit* shadowWidth_;
  ColorChoice* shadowColor_;
  ViewSample* sample_;
  QString widthRefusal_, shadowRefusal_;
  bool loading_ = false;
};

class FrameEditor : public QDialog {
  Q_OBJECT

public:
  // Starts from the first object's frame.
  FrameEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent = nullptr);

  FramePanel* Panel() const { return panel_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  // OK: false (the dialog stays, the error line says why) when a typed
  // width is wrong or the document refused.
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  DesignerDocument& document_;
  QList<report::TfrxComponent*> objects_;
  FramePanel* panel_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
};

// The dialog, modal; true when OK changed the document. `property` (an
// inspector path such as "Frame.LeftLine") picks the side shown first.
bool EditFrame(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent,
               const QString& property = QString());

// The registry's entry: "frame", for every object with a frame.
std::vector<ObjectEditor> FrameEditors();

}  // namespace valmoro::designer
