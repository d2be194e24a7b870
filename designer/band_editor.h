#pragma once
// "Właściwości wstęgi": the options of a band without its property names.
// A data band takes its rows from a data set or runs a number of times, in
// columns; a group header groups by a data field or by an expression; every
// band shows the yes/no options its kind publishes. OK applies them as one
// undo step; a grouping expression that does not compile is refused and the
// dialog stays.

#include <QDialog>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "designer/object_editors.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

namespace valmoro::report {
class TfrxBand;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// Picks an expression for the group condition: gets the dialog and the
// text so far, gives the new text or nothing when cancelled. Unset (as in
// the program), "…" opens the expression editor; tests answer through it.
using ExpressionPicker = std::function<std::optional<QString>(QWidget*, const QString&)>;
ExpressionPicker& BandEditorExpressionPicker();

// A yes/no option of a band: its property and Polish caption.
struct BandOption {
  QString property;
  QString caption;
};
// The options `band` publishes, in the order of its published properties.
std::vector<BandOption> BandOptionsOf(const report::TfrxBand& band);
// Whether the band kind has anything the editor changes.
bool BandHasOptions(const report::TfrxBand& band);

// "Wpisy.\"Modul\"" for every field of every data set of the report, in the
// report's order.
QStringList DataFieldConditions(const report::TfrxReport& report);
// The user names of the report's data sets.
QStringList ReportDataSetNames(const report::TfrxReport& report);

// What the dialog edits, read from a band and written back to it.
struct BandDraft {
  QMap<QString, bool> options;
  // Data bands.
  bool isData = false;
  bool useRowCount = false;
  QString dataSetName;  // empty: none
  int rowCount = 0;
  int columns = 0;
  double columnWidth = 0;  // pixels
  double columnGap = 0;
  // Group headers.
  bool isGroup = false;
  QString condition;

  static BandDraft Of(const report::TfrxBand& band);
  void WriteTo(report::TfrxBand& band) const;
  bool operator==(const BandDraft&) const = default;
};

class BandEditor : public QDialog {
  Q_OBJECT

public:
  BandEditor(DesignerDocument& document, report::TfrxBand& band, QWidget* parent = nullptr);
  ~BandEditor() override;

  // Data bands (null for other kinds).
  QRadioButton* DataSetChoice() const { return dataSetChoice_; }
  QComboBox* DataSetCombo() const { return dataSetCombo_; }
  QRadioButton* RowCountChoice() const { return rowCountChoice_; }
  QSpinBox* RowCountSpin() const { return rowCountSpin_; }
  QSpinBox* ColumnsSpin() const { return columnsSpin_; }
  QLineEdit* ColumnWidthEdit() const { return columnWidthEdit_; }
  QLineEdit* ColumnGapEdit() const { return columnGapEdit_; }
  // Group headers (null for other kinds).
  QRadioButton* FieldChoice() const { return fieldChoice_; }
  QComboBox* FieldCombo() const { return fieldCombo_; }
  QRadioButton* ExpressionChoice() const { return expressionChoice_; }
  QLineEdit* ExpressionEdit() const { return expressionEdit_; }
  QPushButton* PickExpressionButton() const { return pickExpression_; }
  // The check box of a yes/no option by property name (null when the band
  // has no such option).
  QCheckBox* Option(const QString& property) const { return checks_.value(property); }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  // The draft as the widgets hold it, checked; nothing (the error line says
  // why) when it cannot be applied.
  std::optional<BandDraft> Read();
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void buildData(QVBoxLayout* layout);
  void buildGroup(QVBoxLayout* layout);
  void updateEnabled();

  DesignerDocument& document_;
  QString bandName_;
  BandDraft original_;
  QString unitColumnWidth_, unitColumnGap_;  // the lengths as first shown
  QRadioButton* dataSetChoice_ = nullptr;
  QComboBox* dataSetCombo_ = nullptr;
  QRadioButton* rowCountChoice_ = nullptr;
  QSpinBox* rowCountSpin_ = nullptr;
  QSpinBox* columnsSpin_ = nullptr;
  QLineEdit* columnWidthEdit_ = nullptr;
  QLineEdit* columnGapEdit_ = nullptr;
  QRadioButton* fieldChoice_ = nullptr;
  QComboBox* fieldCombo_ = nullptr;
  QRadioButton* expressionChoice_ = nullptr;
  QLineEdit* expressionEdit_ = nullptr;
  QPushButton* pickExpression_ = nullptr;
  QMap<QString, QCheckBox*> checks_;
  QLabel* error_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  bool applied_ = false;
};

// Runs the dialog for the band; true when OK changed the document.
bool EditBand(DesignerDocument& document, report::TfrxBand& band, QWidget* parent);

// The editors of this family: "band" (bands with options, opened by a
// double click) and "page" (report pages: the page settings).
std::vector<ObjectEditor> SettingsEditors();

}  // namespace valmoro::designer
