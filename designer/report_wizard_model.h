#pragma once
// What the report wizard makes, without its widgets: the choices a user
// makes on its pages and the complete report built from them – a title, a
// page header with the column headings, a group header and footer per
// grouping field (the footer counting the records and averaging every
// numeric field), the data band with one text view per field, and a page
// footer with the page number – over one of the report's data sets. The
// dialog (report_wizard.h) only fills WizardChoices.

#include <QList>
#include <QString>
#include <QStringList>

#include "designer/designer_document.h"
#include "report/model/enums.h"
#include "report/model/units.h"

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::designer {

enum class WizardLayout { Table, Form };

// A built-in look: the colours and lines of headings, groups and footers.
struct WizardLook {
  QString name;  // Polish, shown in the wizard
  report::TColor headingFill = report::clTransparent;
  report::TColor headingText = report::clBlack;
  report::TColor groupFill = report::clTransparent;
  report::TColor lineColor = report::clBlack;
  report::TfrxFrameTypes headingFrame;
  report::TfrxFrameTypes dataFrame;
  report::TfrxFrameTypes footerFrame;
};

// "Klasyczny", "Szary", "Niebieski", "Bez ramek", in this order.
const QList<WizardLook>& WizardLooks();

struct WizardChoices {
  // The data set's user name, as the report's data set list has it.
  QString dataSet;
  // Shown, in this order.
  QStringList fields;
  // Outermost group first; records are sorted by them.
  QStringList groups;
  WizardLayout layout = WizardLayout::Table;
  report::TPrinterOrientation orientation = report::poPortrait;
  int look = 0;  // index into WizardLooks()
  bool operator==(const WizardChoices&) const = default;
};

// A field as the wizard sees it: how its values are shown and whether
// group footers average it.
struct WizardField {
  enum class Kind { Text, Number, DateTime, Boolean, Identifier };
  QString name;
  Kind kind = Kind::Text;
  // Characters the data set gives the field, for sharing the page width.
  int displayWidth = 10;
  // The number picture the program's grid shows the field with ("#,##0.00"),
  // empty when it shows the plain value.
  QString numberFormat;
  // Averaged in group footers (numbers; not record identifiers).
  bool averaged() const { return kind == Kind::Number; }
};

// The user names of the report's data sets that are there to read from.
QStringList WizardDataSets(const report::TfrxReport& report);
// The data set's fields in its own order; none when the report has no such
// data set. Reads the database data set's definitions only: nothing is
// opened.
QList<WizardField> WizardFields(const report::TfrxReport& report, const QString& dataSet);

// Why the choices cannot make a report (one Polish line), empty when they can.
QString WizardChoicesRefusal(const report::TfrxReport& report, const WizardChoices& choices);

// The report the choices describe, built into `report` in place of its
// pages: its data sets, data page and variables stay; script and report
// events start empty as in a new report; EngineOptions.DoublePass is set
// for "Strona N z M". Throws ReportError with WizardChoicesRefusal's text.
void BuildWizardReport(report::TfrxReport& report, const WizardChoices& choices, const DesignerDefaults& defaults = {});

}  // namespace valmoro::designer
