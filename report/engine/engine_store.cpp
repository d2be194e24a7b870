// The band engine over the report's prepared pages, and its installation as
// the report's preparation.

#include <cmath>
#include <vector>

#include "report/engine/engine.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "script/host_classes.h"
#include "script/variant.h"

namespace valmoro::report::engine {

namespace {

class PreviewPagesStore : public PageStore, public TfrxPreviewPagesEngine {
public:
  explicit PreviewPagesStore(TfrxPreviewPages& pages) : pages_(pages) {}

  void Attach(TfrxBandEngine* engine) { engine_ = engine; }

  // TfrxPreviewPagesEngine
  bool Running() const override { return engine_ && engine_->Running(); }
  double CurY() const override { return engine_ ? engine_->CurY() : 0; }
  int TotalPages() const override { return engine_ ? engine_->TotalPages() : 0; }

  // PageStore
  void InitRun(TfrxReport&) override {
    pages_.Initialize();
    pages_.SetAddPageAction(apAdd);
    positions_.clear();
  }
  void RegisterSourcePage(TfrxReportPage& page) override { pages_.AddSourceObjects(&page); }
  void BeginPass() override { pages_.BeginPass(); }
  void ClearFirstPass() override {
    pages_.ClearFirstPassPages();
    positions_.clear();
  }
  void Finish() override { pages_.Finish(); }
  void AddPage(TfrxReportPage& page) override { pages_.AddPage(&page); }
  void SetWriteOver(bool writeOver) override { pages_.SetAddPageAction(writeOver ? apWriteOver : apAdd); }
  int Count() override { return pages_.Count(); }
  int CurrentPage() override { return pages_.CurPage(); }
  void SetCurrentPage(int index) override { pages_.SetCurPage(index); }
  void SetFirstPageOfRun() override { pages_.SetFirstPage(pages_.CurPage()); }
  void AppendBand(TfrxBand& band) override { pages_.AddObject(&band); }
  int ObjectCount() override { return pages_.ObjectCount(); }
  int CutFrom(int index) override { return pages_.CutObjects(index); }
  void Paste(double y, double x) override { pages_.PasteObjects(x, y); }
  double LowestBottom(double x) override { return pages_.GetLastY(x); }
  bool BandOnPage(TfrxBand& band) override { return pages_.BandExists(&band); }
  void StorePageSize(TfrxReportPage& page, double height, double width) override {
    pages_.UpdatePageDimensions(&page, height, width);
  }
  void CloseLogicalSection() override { pages_.ResetLogicalPageNumber(); }
  int LogicalPageNumber() override { return pages_.GetLogicalPageNo(); }
  int LogicalTotalPages() override { return pages_.GetLogicalTotalPages(); }
  // The store takes the position from the engine's current Y.
  void AddAnchor(const QString& text, double) override { pages_.AddAnchor(text); }
  int AnchorCount() override { return pages_.GetAnchorCur() + 1; }
  void ShiftAnchors(int fromIndex, double newTop, bool nextPage) override {
    pages_.ShiftAnchors(fromIndex, int(std::lround(newTop)), nextPage);
  }
  int AnchorPage(const QString& text) override { return pages_.GetAnchorPage(text); }
  void OutlineAdd(const QString& text, double top) override {
    pages_.Outline().AddItem(text, int(std::lround(top)));
  }
  void OutlineRoot() override { pages_.Outline().LevelRoot(); }
  void OutlineUp() override { pages_.Outline().LevelUp(); }
  int OutlinePosition() override {
    positions_.push_back(pages_.Outline().Position());
    return int(positions_.size()) - 1;
  }
  void OutlineShift(int fromMark, double newTop, bool nextPage) override {
    if (fromMark < 0 || fromMark >= int(positions_.size())) return;
    pages_.Outline().ShiftItems(positions_[size_t(fromMark)], int(std::lround(newTop)), nextPage);
  }

private:
  TfrxPreviewPages& pages_;
  TfrxBandEngine* engine_ = nullptr;
  std::vector<TfrxOutlinePosition> positions_;
};

class LayoutAnswers : public ReportLayoutHooks {
public:
  QVariant MemoValue(const TfrxCustomMemoView& view) override { return script::ToQVariant(view.Value(), QMetaType()); }
  bool Overflow(const TfrxBand& band) override {
    const TfrxReport* report = band.Report();
    const TfrxBandEngine* engine = report ? TfrxBandEngine::Of(*report) : nullptr;
    return engine && engine->Overflow(band);
  }
};

}  // namespace

bool RunEngine(TfrxReport& report, TfrxPreviewPages& pages) {
  PreviewPagesStore store(pages);
  TfrxBandEngine engine(report, store);
  store.Attach(&engine);
  struct Detach {
    TfrxPreviewPages& pages;
    TfrxPreviewPagesEngine* previous;
    ~Detach() { pages.SetEngine(previous); }
  } detach{pages, pages.Engine()};
  pages.SetEngine(&store);
  return engine.Run();
}

void InstallBandEngine() {
  static LayoutAnswers answers;
  hooks::setReportLayoutHooks(&answers);
}

}  // namespace valmoro::report::engine
