#include "report/model/hooks.h"

namespace valmoro::report::hooks {

namespace {

struct Hooks {
  ObjectCopier copier;
  ObjectWriter writer;
  ObjectReader reader;
  ViewTextExpander expander;
  PrinterDefaults printer;
};

Hooks& all() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

void setObjectCopier(ObjectCopier copier) { all().copier = std::move(copier); }
void setObjectWriter(ObjectWriter writer) { all().writer = std::move(writer); }
void setObjectReader(ObjectReader reader) { all().reader = std::move(reader); }
const ObjectCopier& objectCopier() { return all().copier; }
const ObjectWriter& objectWriter() { return all().writer; }
const ObjectReader& objectReader() { return all().reader; }

void setViewTextExpander(ViewTextExpander expander) { all().expander = std::move(expander); }
const ViewTextExpander& viewTextExpander() { return all().expander; }

void setPrinterDefaults(PrinterDefaults provider) { all().printer = std::move(provider); }

PrinterPaper printerDefaults() {
  const PrinterDefaults& provider = all().printer;
  return provider ? provider() : PrinterPaper();
}

}  // namespace valmoro::report::hooks
