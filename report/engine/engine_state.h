#pragma once
// Run-time state the band engine keeps for every band of a run (private to
// the engine's source files).

#include <QList>
#include <memory>
#include <vector>

#include "report/engine/engine.h"
#include "report/engine/sorted_rows.h"
#include "script/variant.h"

namespace valmoro::report::engine {

struct TfrxBandEngine::ShiftNode {
  TfrxView* view = nullptr;
  std::vector<int> children;
  double shift = 0;  // how much the view grew in the current band
};

struct TfrxBandEngine::BandState {
  TfrxBand* band = nullptr;
  // Detail data bands of a data band; the group chain (itself first) of the
  // first group header of a chain.
  QList<TfrxBand*> subBands;
  TfrxBand* header = nullptr;
  TfrxBand* footer = nullptr;
  TfrxGroupHeader* group = nullptr;
  // The data set the band runs on: its own, or the private one of RowCount;
  // with sort keys, `sorted` walking that one in their order.
  TfrxDataSet* dataSet = nullptr;
  std::unique_ptr<SortedRows> sorted;
  int rowCounter = 1;
  int runningRow = 1;
  int designObjectCount = -1;
  bool hasVertical = false;
  double stretchedHeight = 0;
  bool overflow = false;
  // Data-band columns.
  int currentColumn = 1;
  double lowestBottom = 0;
  double rowTop = 0;
  int columnPosition = 0;
  int footerKeepPosition = 0;
  // Group header: the last value of its condition.
  script::Variant lastCondition = script::Variant::Null();
  bool printSubreportsOnParent = false;
  // Group header: it entered an outline level that its footers leave.
  bool outlined = false;
  // Shift tree: nodes[0] is the virtual root above every view.
  std::vector<ShiftNode> nodes;
  bool shiftBuilt = false;
};

// The views of a band in their list order.
QList<TfrxView*> BandViews(const TfrxBand& band);

}  // namespace valmoro::report::engine
