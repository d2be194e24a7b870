#pragma once
// Places where the report tree calls into parts of the subsystem that sit
// above it or beside it. Each hook is filled by the part that provides it;
// until then the tree says so instead of pretending (see each hook).

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "report/model/enums.h"

class QIODevice;

namespace valmoro::report {

class TfrxComponent;
class TfrxCustomMemoView;
class TfrxReport;
class TfrxRunLifecycle;
class TfrxView;

namespace hooks {

// Components outside the report that its objects refer to by name (the
// application's data sets): the component of that name, or none. A failing
// search may throw; the document reader then fails with "Missing " + name.
// Unset, such names stay unresolved.
using ComponentFinder = std::function<TfrxComponent*(const QString& name, const TfrxReport* report)>;
void setComponentFinder(ComponentFinder finder);
const ComponentFinder& componentFinder();

// Expression evaluation: the text with every bracketed expression replaced by
// its value, for a view's TagStr and URL before output. Unset, the texts go
// out as they are designed.
using ViewTextExpander = std::function<QString(TfrxView& view, const QString& text)>;
void setViewTextExpander(ViewTextExpander expander);
const ViewTextExpander& viewTextExpander();

// Hook: a text view takes its data for output (its bracketed expressions
// expanded and formatted, highlight and repeated values settled). Unset, the
// text goes out as it is designed.
using MemoDataTaker = std::function<void(TfrxCustomMemoView& view)>;
void setMemoDataTaker(MemoDataTaker taker);
const MemoDataTaker& memoDataTaker();

// Printers: the paper a new page in the designer takes from the current
// printer. Unset, it is the default of a machine without printers: A4
// portrait.
struct PrinterPaper {
  int paperSize = 9;
  double paperWidth = 210;
  double paperHeight = 297;
  TPrinterOrientation orientation = poPortrait;
};
using PrinterDefaults = std::function<PrinterPaper()>;
void setPrinterDefaults(PrinterDefaults provider);
PrinterPaper printerDefaults();

// Hook: the report's run (report/run/report_run.h): preparing pages with the
// band engine, showing them, progress, and the prepared pages themselves; a
// report asks for its run on first use. Installed by installReportSubsystem().
// Unset, a report prepares nothing and says so in its error list ("Brak
// silnika raportów ...").
using RunMaker = std::function<std::unique_ptr<TfrxRunLifecycle>(TfrxReport& report)>;
void setRunMaker(RunMaker maker);
const RunMaker& runMaker();

// Hook: the aggregate functions SUM, AVG, MIN, MAX and COUNT met in an
// expression, handed to the engine's aggregate store: the upper-case
// function name and the argument texts as written. Unset, an aggregate is an
// error naming the function.
using AggregateCalculator =
    std::function<QVariant(TfrxReport& report, const QString& function, const QStringList& arguments)>;
void setAggregateCalculator(AggregateCalculator calculator);
const AggregateCalculator& aggregateCalculator();

// Hook: showing the prepared pages in a preview window. Unset, the report
// says through the dialog layer that the preview is not available.
using PreviewShower = std::function<void(TfrxReport& report)>;
void setPreviewShower(PreviewShower shower);
const PreviewShower& previewShower();

// Hook: the designer window. True when the report was changed. Unset, the
// report says through the dialog layer that the designer is not available.
using DesignerOpener = std::function<bool(TfrxReport& report, bool modal, bool mdiChild)>;
void setDesignerOpener(DesignerOpener opener);
const DesignerOpener& designerOpener();

}  // namespace hooks
}  // namespace valmoro::report
