#include "report/model/hooks.h"

#include "report/model/serializer.h"

namespace valmoro::report::hooks {

namespace {

struct Hooks {
  ObjectCopier copier;
  ObjectWriter writer;
  ObjectReader reader;
  ComponentFinder finder;
  ViewTextExpander expander;
  MemoDataTaker memoData;
  PrinterDefaults printer;
  EngineRunner engine;
  AggregateCalculator aggregates;
  PreviewShower preview;
  DesignerOpener designer;
};

Hooks& all() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

void setObjectCopier(ObjectCopier copier) { all().copier = std::move(copier); }
void setObjectWriter(ObjectWriter writer) { all().writer = std::move(writer); }
void setObjectReader(ObjectReader reader) { all().reader = std::move(reader); }
// The document format lives in this library: an empty hook means it.
const ObjectCopier& objectCopier() {
  if (!all().copier) all().copier = copyThroughDocument;
  return all().copier;
}

const ObjectWriter& objectWriter() {
  if (!all().writer) all().writer = writeDocument;
  return all().writer;
}

const ObjectReader& objectReader() {
  if (!all().reader) all().reader = readDocument;
  return all().reader;
}

void setComponentFinder(ComponentFinder finder) { all().finder = std::move(finder); }
const ComponentFinder& componentFinder() { return all().finder; }

void setViewTextExpander(ViewTextExpander expander) { all().expander = std::move(expander); }
const ViewTextExpander& viewTextExpander() { return all().expander; }


void setMemoDataTaker(MemoDataTaker taker) { all().memoData = std::move(taker); }
const MemoDataTaker& memoDataTaker() { return all().memoData; }

void setPrinterDefaults(PrinterDefaults provider) { all().printer = std::move(provider); }

PrinterPaper printerDefaults() {
  const PrinterDefaults& provider = all().printer;
  return provider ? provider() : PrinterPaper();
}

void setEngineRunner(EngineRunner runner) { all().engine = std::move(runner); }
const EngineRunner& engineRunner() { return all().engine; }

void setAggregateCalculator(AggregateCalculator calculator) { all().aggregates = std::move(calculator); }
const AggregateCalculator& aggregateCalculator() { return all().aggregates; }

void setPreviewShower(PreviewShower shower) { all().preview = std::move(shower); }
const PreviewShower& previewShower() { return all().preview; }

void setDesignerOpener(DesignerOpener opener) { all().designer = std::move(opener); }
const DesignerOpener& designerOpener() { return all().designer; }

}  // namespace valmoro::report::hooks
