#pragma once
// "Style": the report's named text styles (name, font, fill colour, frame)
// edited in a draft that OK gives the report as one undo step; style sets
// are loaded from and saved to style sheet files. Text views whose style
// changed take it again, as loading a style set does in the model.
//
// "Styl": one of the report's styles given to the selected text views
// (their colour, font and frame), as one undo step.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "designer/object_editors.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace valmoro::report {
class TfrxComponent;
class TfrxStyleItem;
class TfrxStyles;
}  // namespace valmoro::report

namespace valmoro::designer {

class ColorChoice;
class DesignerDocument;
class FramePanel;
class ViewSample;

// The styles being edited: a collection of its own, not the report's.
class StylesDraft {
public:
  explicit StylesDraft(const report::TfrxStyles& styles);
  ~StylesDraft();

  report::TfrxStyles& Styles() const { return *styles_; }
  int Count() const;
  report::TfrxStyleItem* Item(int index) const;
  // A new style "Styl1", "Styl2", … at the end; its index.
  int Add();
  void Remove(int index);
  // Refused (the name stays) when empty or used by another style, letter
  // case ignored: the Polish reason, "" when renamed.
  QString Rename(int index, const QString& name);
  // The collection as a style sheet, to compare and to copy.
  QByteArray Bytes() const;
  // Style sheet files; throw ReportError with a Polish message. Loading
  // answers the attributes that could not be read.
  QStringList Load(const QString& fileName);
  void Save(const QString& fileName) const;

private:
  std::unique_ptr<report::TfrxStyles> styles_;
};

// The report's styles replaced by the draft's as one undo step ("Style");
// the text views using them take them again. "" on success.
QString applyStyles(DesignerDocument& document, const StylesDraft& draft, bool* changed = nullptr);

class StylesEditor : public QDialog {
  Q_OBJECT

public:
  explicit StylesEditor(DesignerDocument& document, QWidget* parent = nullptr);
  ~StylesEditor() override;

  StylesDraft& Draft() { return draft_; }
  QListWidget* List() const { return list_; }
  QLineEdit* NameEdit() const { return name_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* FontButton() const { return font_; }
  QLabel* FontLabel() const { return fontText_; }
  ColorChoice* FillColor() const { return color_; }
  FramePanel* Frame() const { return frame_; }
  QPushButton* LoadButton() const { return load_; }
  QPushButton* SaveButton() const { return save_; }
  ViewSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  int Current() const { return current_; }
  void SetCurrent(int index);

  // The font dialog (dialogs::fontDialog) for the current style.
  void ChooseFont();
  // Style sheet files through dialogs::fileDialog.
  void LoadSet();
  void SaveSet();

  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void rebuild(int select);
  void currentChanged(int row);
  void nameEdited(const QString& text);
  void showStyle();
  void showError(const QString& text);

  DesignerDocument& document_;
  StylesDraft draft_;
  QListWidget* list_;
  QLineEdit* name_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* font_;
  QLabel* fontText_;
  ColorChoice* color_;
  FramePanel* frame_;
  QPushButton* load_;
  QPushButton* save_;
  ViewSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  QString nameRefusal_;
  // The current style's name when it was shown.
  QString shownName_;
  int current_ = -1;
  bool applied_ = false;
  bool filling_ = false;
};

// The window's "Style…" command: the dialog, modal; true when OK changed
// the report.
bool EditStyles(DesignerDocument& document, QWidget* parent);

// The selected text views take the named style (its colour, font and frame,
// as the model gives them when Style is set); an empty name only unlinks
// them. One undo step ("Styl"); "" on success.
QString applyStyle(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, const QString& name,
                   bool* changed = nullptr);

class StylePicker : public QDialog {
  Q_OBJECT

public:
  StylePicker(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent = nullptr);
  ~StylePicker() override;

  // "(bez stylu)" first, then the report's styles.
  QListWidget* List() const { return list_; }
  // The chosen style's name ("" for none).
  QString Chosen() const;
  bool Choose(const QString& name);
  ViewSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void showSample();

  DesignerDocument& document_;
  QList<report::TfrxComponent*> objects_;
  QListWidget* list_;
  ViewSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
};

bool PickStyle(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent);

// The registry's entry: "style", for text views.
std::vector<ObjectEditor> StyleEditors();

}  // namespace valmoro::designer
