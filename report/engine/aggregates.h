#pragma once
// Totals of SUM, AVG, MIN, MAX and COUNT: one item per aggregate call found
// in the text of footers, group footers, the page footer, the column footer
// and the report summary. Records are added while data bands are shown; a
// text view asks for the value while its band is printed, and the items of
// a band start again once that band has been printed.

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "script/variant.h"

namespace valmoro::report {
class TfrxBand;
class TfrxComponent;
class TfrxCustomMemoView;
class TfrxDataBand;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::report::engine {

enum class AggregateFunction : int { Sum = 0, Avg = 1, Min = 2, Max = 3, Count = 4 };

// SUM, AVG, MIN and MAX by name, ignoring letter case; anything else COUNT.
AggregateFunction AggregateFunctionOf(QStringView name);

struct TfrxAggregateItem {
  AggregateFunction function = AggregateFunction::Count;
  // The first argument as written, trimmed (empty for COUNT).
  QString expression;
  // The band whose records are aggregated.
  TfrxBand* dataBand = nullptr;
  // The band that holds the text view: the value is asked for while it prints.
  TfrxBand* printingBand = nullptr;
  bool isPageFooter = false;
  bool countInvisibleBands = false;  // Flags bit 0
  bool runningTotal = false;         // Flags bit 1
  // The whole call as written, trimmed.
  QString sourceText;
  QPointer<TfrxComponent> view;
  QString viewName;

  script::Variant value = script::Variant::Null();
  int count = 0;
  // Before the last step, for undoing it.
  script::Variant lastValue = script::Variant::Null();
  int lastCount = 0;
  // Collected while keeping (page-footer items only).
  script::Variant pendingValue = script::Variant::Null();
  int pendingCount = 0;
  bool keeping = false;

  // Per column of a vertical band (aggregate column index 1 or more); any
  // index may be used, entries are made as columns are met.
  struct Column {
    script::Variant value = script::Variant::Null();
    int count = 0;
  };
  QHash<int, Column> columns;
  bool hasColumns = false;
  int columnIndex = 0;

  // The value of the last record added and its column, to add it again.
  script::Variant stepValue = script::Variant::Null();
  int stepColumn = 0;
  bool hasStep = false;

  // Set when the expression is one data field (DataSet."Field", with or
  // without angle brackets): read directly instead of through the script.
  QString fieldName;

  void Reset();
};

// Which bands of a report page the collector scans; the band engine fills it
// from its band tree.
struct AggregateDataBand {
  TfrxDataBand* band = nullptr;
  TfrxBand* footer = nullptr;
  // The group footers of the band's group chain.
  QList<TfrxBand*> groupFooters;
  // Detail data bands, scanned the same way.
  QList<AggregateDataBand> details;
};

struct AggregatePageBands {
  QList<AggregateDataBand> masters;
  QList<AggregateDataBand> verticalMasters;
  TfrxBand* pageFooter = nullptr;
  TfrxBand* columnFooter = nullptr;
  TfrxBand* reportSummary = nullptr;
  // Views moved into a vertical band, with the band they came from.
  QHash<const TfrxComponent*, TfrxBand*> homeBands;
};

class TfrxAggregateList {
public:
  // While it exists, the report's aggregate functions ask this list.
  explicit TfrxAggregateList(TfrxReport& report);
  ~TfrxAggregateList();
  TfrxAggregateList(const TfrxAggregateList&) = delete;
  TfrxAggregateList& operator=(const TfrxAggregateList&) = delete;

  // The list the report's aggregate functions use now, or none.
  static TfrxAggregateList* Of(const TfrxReport& report);

  // What the engine prints now: the band being shown and the current
  // vertical column (CurVColumn). Unset: no band, column 0.
  std::function<TfrxBand*()> CurrentBand;
  std::function<int()> CurrentColumn;
  // The horizontal band whose vertical bands are being printed: the views
  // that came from it print for it.
  std::function<TfrxBand*()> CurrentMasterBand;

  TfrxReport& Report() const { return report_; }
  const std::vector<TfrxAggregateItem>& Items() const { return items_; }
  void Clear() { items_.clear(); }

  // --- Collecting ---------------------------------------------------------------
  // Footers and group footers of every data band (recursively through the
  // details) with that data band as default, the own views of vertical data
  // bands, and, when the page has a master band, the page footer, column
  // footer and report summary with the first master band as default.
  void CollectPage(const AggregatePageBands& page);
  // A band and the chain of its child bands.
  void CollectBand(TfrxBand& band, TfrxBand* defaultBand, const QHash<const TfrxComponent*, TfrxBand*>& homeBands = {});
  // One text view; homeBand is where a view moved into a vertical band came from.
  void CollectView(TfrxCustomMemoView& view, TfrxBand* defaultBand, TfrxBand* homeBand = nullptr);

  // --- During a pass --------------------------------------------------------------
  // After a data band was shown: its current record goes into every item of
  // that band (column 0 for horizontal bands, CurVColumn for vertical ones).
  void AddRecord(TfrxBand* band, int columnIndex = 0);
  // Takes the last record of the band back out, and puts it in again.
  void UndoLastRecord(TfrxBand* band);
  void RedoLastRecord(TfrxBand* band);
  // After a band was printed: its items start again, running totals aside.
  void ResetPrinted(TfrxBand* printingBand);
  // Page-footer items collect aside while rows are kept together, and take
  // the kept rows in when keeping ends.
  void StartKeeping();
  void EndKeeping();
  // Every item starts again, running totals too (between the passes of a
  // double pass).
  void ResetAll();

  // The value of an aggregate called from a text view of printingBand;
  // Null when no item matches. A total without records is 0.
  script::Variant Value(QStringView function, QStringView expression, TfrxBand* band, int flags,
                        TfrxBand* printingBand, int columnIndex);

private:
  void parse(QStringView text, TfrxCustomMemoView& view, TfrxBand* defaultBand, TfrxBand* homeBand, int depth);
  void addItem(QStringView name, const QList<QStringView>& arguments, QStringView source, TfrxCustomMemoView& view,
               TfrxBand* defaultBand, TfrxBand* homeBand);
  void collectDataBand(const AggregateDataBand& data, const AggregatePageBands& page, bool vertical);
  script::Variant evaluate(TfrxAggregateItem& item);
  void apply(TfrxAggregateItem& item, const script::Variant& x, int columnIndex);

  TfrxReport& report_;
  TfrxAggregateList* previous_ = nullptr;
  std::vector<TfrxAggregateItem> items_;
  QStringList parsingVariables_;
};

// Fills the report's aggregate hook: SUM, AVG, MIN, MAX and COUNT in an
// expression ask the list bound to the report.
void InstallAggregateCalculator();

}  // namespace valmoro::report::engine
