#include "report/model/hooks.h"

namespace valmoro::report::hooks {

namespace {

struct Hooks {
  ComponentFinder finder;
  ViewTextExpander expander;
  MemoDataTaker memoData;
  PrinterDefaults printer;
  RunMaker run;
  AggregateCalculator aggregates;
  PreviewShower preview;
  DesignerOpener designer;
};

Hooks& all() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

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

void setRunMaker(RunMaker maker) { all().run = std::move(maker); }
const RunMaker& runMaker() { return all().run; }

void setAggregateCalculator(AggregateCalculator calculator) { all().aggregates = std::move(calculator); }
const AggregateCalculator& aggregateCalculator() { return all().aggregates; }

void setPreviewShower(PreviewShower shower) { all().preview = std::move(shower); }
const PreviewShower& previewShower() { return all().preview; }

void setDesignerOpener(DesignerOpener opener) { all().designer = std::move(opener); }
const DesignerOpener& designerOpener() { return all().designer; }

}  // namespace valmoro::report::hooks
