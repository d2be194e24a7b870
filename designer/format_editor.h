#pragma once
// "Format wyświetlania": how a text view prints its value – text as it is,
// a number, a date and time or a Boolean – chosen from Polish presets or
// written as a format string, with the decimal separator, and a sample
// value printed exactly as preparing the report prints it. A format the
// engine would print as garbage is refused in the dialog. Several selected
// views get the same format in one undo step.

#include <QDialog>
#include <QList>
#include <QString>
#include <vector>

#include "designer/object_editors.h"
#include "report/model/enums.h"
#include "script/variant.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace valmoro::report {
class TfrxComponent;
class TfrxCustomMemoView;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

struct FormatPreset {
  QString caption;  // what the user picks: "1 234,50 zł"
  QString format;   // what the view keeps: "%2.2m"
};
// The presets of a kind, in the order offered (none for fkText).
const QList<FormatPreset>& FormatPresets(report::TfrxFormatKind kind);
// The Polish name of a kind ("Liczba").
QString FormatKindCaption(report::TfrxFormatKind kind);

// Why the format string cannot stay for its kind ("" when it can): a
// numeric format without a number in it, a directive that does not take a
// number (or more than one directive), a date picture without anything of
// a date or time, Boolean texts without the comma between them.
QString FormatRefusal(report::TfrxFormatKind kind, const QString& format);

// The value the sample starts with for a kind, as the user edits it.
QString DefaultSampleText(report::TfrxFormatKind kind);
// The sample's text read as a value of the kind (a number with a decimal
// comma, a date "dd.mm.yyyy[ hh:nn[:ss]]", "Tak"/"Nie"); Null when it is none.
script::Variant SampleValue(report::TfrxFormatKind kind, const QString& text);

// What the dialog edits: the display format as the document keeps it.
struct FormatDraft {
  report::TfrxFormatKind kind = report::fkText;
  QString formatStr;
  QString decimalSeparator;
  QString thousandSeparator;

  static FormatDraft Of(const report::TfrxCustomMemoView& view);
  bool operator==(const FormatDraft&) const = default;
  // The sample printed by the engine's own formatting.
  QString Format(const script::Variant& value) const;
};

// Writes the draft into the views as one undo step; the refusal ("" on
// success). Nothing happens when every view has it already.
QString ApplyFormat(DesignerDocument& document, const QList<report::TfrxComponent*>& views, const FormatDraft& draft);

class FormatEditor : public QDialog {
  Q_OBJECT

public:
  FormatEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& views, QWidget* parent = nullptr);
  ~FormatEditor() override;

  const FormatDraft& Draft() const { return draft_; }
  QListWidget* KindList() const { return kinds_; }
  QListWidget* PresetList() const { return presets_; }
  QLineEdit* FormatEdit() const { return format_; }
  QComboBox* DecimalSeparatorBox() const { return decimal_; }
  QLineEdit* SampleEdit() const { return sampleValue_; }
  // The sample value as the view prints it.
  QLabel* SampleLabel() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  void SetKind(report::TfrxFormatKind kind);
  // OK: false (the dialog stays, the error line says why) when the format
  // is refused or the document refuses the change.
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void fillPresets();
  void updateSample();

  DesignerDocument& document_;
  QList<report::TfrxComponent*> views_;
  FormatDraft draft_;
  QListWidget* kinds_;
  QListWidget* presets_;
  QLineEdit* format_;
  QComboBox* decimal_;
  QLineEdit* sampleValue_;
  QLabel* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool filling_ = false;
  bool applied_ = false;
};

bool EditDisplayFormat(DesignerDocument& document, const QList<report::TfrxComponent*>& views, QWidget* parent);

// A text view whose class publishes the property `name` (DisplayFormat,
// Highlight): the subclasses publish different sets.
bool PublishesProperty(const report::TfrxComponent& object, const char* name);

std::vector<ObjectEditor> FormatEditors();

}  // namespace valmoro::designer
