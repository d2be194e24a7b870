#pragma once
// "Kreator raportu": the pages a user goes through to get a ready report –
// the data set, the fields shown (in order), the grouping fields, the
// layout and orientation, the look with a live sample – and "Zakończ",
// which puts the built report (report_wizard_model.h) into the designer
// as one undo step. "Nowy raport" asks first whether the new report is an
// empty one or one from the wizard.

#include <QDialog>
#include <QList>
#include <QWidget>
#include <QWizard>
#include <memory>

#include "designer/report_wizard_model.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::designer {

class DesignerDocument;

// The report the choices make, drawn small with the model's own painting:
// the top of the first page as the designer shows it.
class WizardSample : public QWidget {
  Q_OBJECT

public:
  WizardSample(const report::TfrxReport& source, DesignerDefaults defaults, QWidget* parent = nullptr);
  ~WizardSample() override;

  // Builds the sample again; refused choices leave it empty.
  void SetChoices(const WizardChoices& choices);
  // What it shows (none when the choices were refused).
  const report::TfrxReport* Sample() const { return sample_.get(); }

  QSize sizeHint() const override { return {260, 220}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  const report::TfrxReport& source_;
  DesignerDefaults defaults_;
  std::unique_ptr<report::TfrxReport> sample_;
};

class ReportWizard : public QWizard {
  Q_OBJECT

public:
  enum PageId { DataSetPage, FieldsPage, GroupsPage, LayoutPage, LookPage };

  // Offers the data sets of `report`; changes nothing by itself.
  explicit ReportWizard(const report::TfrxReport& report, DesignerDefaults defaults = {}, QWidget* parent = nullptr);
  ~ReportWizard() override;

  // What the widgets say now.
  WizardChoices Choices() const;

  QListWidget* DataSetList() const { return dataSets_; }
  QListWidget* AvailableFields() const { return available_; }
  QListWidget* ChosenFields() const { return chosen_; }
  QPushButton* AddFieldButton() const { return addField_; }
  QPushButton* AddAllFieldsButton() const { return addAll_; }
  QPushButton* RemoveFieldButton() const { return removeField_; }
  QPushButton* RemoveAllFieldsButton() const { return removeAll_; }
  QPushButton* FieldUpButton() const { return fieldUp_; }
  QPushButton* FieldDownButton() const { return fieldDown_; }
  QListWidget* GroupAvailableFields() const { return groupAvailable_; }
  QListWidget* GroupFields() const { return groups_; }
  QPushButton* AddGroupButton() const { return addGroup_; }
  QPushButton* RemoveGroupButton() const { return removeGroup_; }
  QPushButton* GroupUpButton() const { return groupUp_; }
  QPushButton* GroupDownButton() const { return groupDown_; }
  QRadioButton* TableButton() const { return table_; }
  QRadioButton* FormButton() const { return form_; }
  QRadioButton* PortraitButton() const { return portrait_; }
  QRadioButton* LandscapeButton() const { return landscape_; }
  QListWidget* LookList() const { return looks_; }
  WizardSample* LayoutSample() const { return layoutSample_; }
  WizardSample* LookSample() const { return lookSample_; }
  // The one-line refusal of the page shown (empty when none).
  QString Message() const;

  // Checks the page shown before going on (and the whole choice on the
  // last page); a refusal stays on the page with its line shown.
  bool validateCurrentPage() override;

private:
  QWizardPage* page(const QString& title, const QString& subtitle);
  QLabel* messageLine(QWizardPage* page);
  void dataSetChosen();
  void refreshGroupsAvailable();
  void updateButtons();
  void updateSample();
  bool refuse(const QString& message);

  const report::TfrxReport& report_;
  DesignerDefaults defaults_;
  QList<WizardField> fields_;
  QList<QLabel*> messages_;
  QListWidget* dataSets_;
  QListWidget* available_;
  QListWidget* chosen_;
  QPushButton* addField_;
  QPushButton* addAll_;
  QPushButton* removeField_;
  QPushButton* removeAll_;
  QPushButton* fieldUp_;
  QPushButton* fieldDown_;
  QListWidget* groupAvailable_;
  QListWidget* groups_;
  QPushButton* addGroup_;
  QPushButton* removeGroup_;
  QPushButton* groupUp_;
  QPushButton* groupDown_;
  QRadioButton* table_;
  QRadioButton* form_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
  QListWidget* looks_;
  WizardSample* layoutSample_;
  WizardSample* lookSample_;
};

// Puts the report the choices make in place of the document's pages as
// one undo step ("Kreator raportu") and shows its first page; the refusal,
// empty when done.
QString ApplyWizardChoices(DesignerDocument& document, const WizardChoices& choices);

// The window's "Kreator raportu…": the wizard over the document's report,
// modal; true when "Zakończ" changed the document.
bool RunReportWizard(DesignerDocument& document, QWidget* parent);

// "Nowy raport" from the wizard: the wizard over the report's data sets;
// on "Zakończ" a new document (no file) that keeps the data sets the
// program attached, holding the built report. Cancelling leaves the
// document as it was. True when a new report was made.
bool NewReportWithWizard(DesignerDocument& document, QWidget* parent);

// The question "Nowy raport" asks.
class NewReportDialog : public QDialog {
  Q_OBJECT

public:
  enum class Choice { Cancelled, Empty, Wizard };
  explicit NewReportDialog(QWidget* parent = nullptr);
  Choice Chosen() const { return chosen_; }
  QPushButton* EmptyButton() const { return empty_; }
  QPushButton* WizardButton() const { return wizard_; }

private:
  Choice chosen_ = Choice::Cancelled;
  QPushButton* empty_;
  QPushButton* wizard_;
};

// Asks, modal.
NewReportDialog::Choice AskNewReportKind(QWidget* parent);

}  // namespace valmoro::designer
