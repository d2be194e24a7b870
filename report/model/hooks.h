#pragma once
// Places where the report tree calls into parts of the subsystem that sit
// above it or beside it. Each hook is filled by the part that provides it;
// until then the tree says so instead of pretending (see each hook).

#include <QString>
#include <functional>

#include "report/model/enums.h"

class QIODevice;

namespace valmoro::report {

class TfrxComponent;
class TfrxReport;
class TfrxView;

namespace hooks {

// Document format: copying an object (Assign, AssignWithChildren) and
// writing or reading an object as a document. Unset (or set to nothing),
// they go through the report document format (serializer.h).
using ObjectCopier = std::function<void(TfrxComponent& target, const TfrxComponent& source, bool withChildren)>;
using ObjectWriter = std::function<void(const TfrxComponent& object, QIODevice& stream, bool withChildren)>;
using ObjectReader = std::function<void(TfrxComponent& object, QIODevice& stream)>;
void setObjectCopier(ObjectCopier copier);
void setObjectWriter(ObjectWriter writer);
void setObjectReader(ObjectReader reader);
const ObjectCopier& objectCopier();
const ObjectWriter& objectWriter();
const ObjectReader& objectReader();

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

}  // namespace hooks
}  // namespace valmoro::report
