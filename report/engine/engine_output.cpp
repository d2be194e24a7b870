// Output of one band: its child chain, the page break it asks for, its
// preparation (events, data, stretching and the views moved below a grown
// view), the fit test, its place on the page, the restore afterwards, and
// the subreports it runs.

#include <algorithm>

#include "report/engine/aggregates.h"
#include "report/engine/engine_state.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/report_error.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/subreport.h"
#include "report/model/view.h"

namespace valmoro::report::engine {

namespace {

bool isGroupOrData(const TfrxBand& band) {
  return qobject_cast<const TfrxDataBand*>(&band) || qobject_cast<const TfrxGroupHeader*>(&band);
}

// Deep enough for any report that makes sense; a script that shows bands
// from their own events without end stops here instead of exhausting the stack.
constexpr int kMaxOutputDepth = 200;

}  // namespace

void TfrxBandEngine::showBandChain(TfrxBand* band) {
  // 1.
  if (!band) return;
  if (outputDepth_ >= kMaxOutputDepth)
    throw ReportError(QStringLiteral("Wstęga %1 jest pokazywana z samej siebie bez końca").arg(band->Name()));
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } depth(outputDepth_);
  const bool keepChild = band->KeepChild();
  if (keepChild) startKeeping(band);
  // 2.
  outputBand(*band);
  // 3.
  if (TfrxChild* child = band->Child(); child && (band->Visible() || band->PrintChildIfInvisible()))
    showBandChain(child);
  // 4.
  if (keepChild) endKeeping(band);
  // A vertical data band adds its record per vertical column, and only for
  // the rows of a horizontal data band: a header or footer row carries no record.
  if (!qobject_cast<TfrxDataBand*>(band)) return;
  if (!band->Vertical()) aggregates_->AddRecord(band, 0);
  else if (qobject_cast<TfrxDataBand*>(verticalMaster_)) aggregates_->AddRecord(band, curVColumn_);
}

void TfrxBandEngine::outputBand(TfrxBand& band) {
  // 1.
  if (band.Vertical()) {
    outputVertical(band);
    return;
  }
  BandState& s = state(&band);
  const bool crossed = s.hasVertical && !qobject_cast<TfrxPageHeader*>(&band) && !verticalMaster_;
  const double savedX = crossed ? runVerticalBands(band) : curX_;
  // 2. A page break before the band (for data bands and groups: before every
  // row or group but the first).
  if (band.Visible() && band.StartNewPage() && !fromPageStart_ && !isRedirected() &&
      (!isGroupOrData(band) || s.rowCounter != 1)) {
    startNewPageBand_ = &band;
    if (auto* gh = qobject_cast<TfrxGroupHeader*>(&band); gh && gh->ResetPageNumbers()) pages_.CloseLogicalSection();
    NewPage();
    startNewPageBand_ = nullptr;
  }
  // 3.
  prepareBand(band);
  s.stretchedHeight = band.Height();
  try {
    auto* data = qobject_cast<TfrxDataBand*>(&band);
    const bool columns = data && data->Columns() > 1;
    const bool exempt = columns || qobject_cast<TfrxOverlay*>(&band) || qobject_cast<TfrxNullBand*>(&band);
    bool split = false;
    // 4.
    if (band.Visible() && !exempt && !isRedirected() && FreeSpace() < band.Height()) {
      const bool tooHigh = band.Height() > PageHeight() - FooterHeight() && !s.hasVertical;
      // A band crossed by vertical bands is never split: its parts stand side by side.
      if ((band.AllowSplit() && !s.hasVertical && !keeping_) || tooHigh) {
        if (keeping_) endKeeping(keepBand_);
        if (!band.AllowSplit() && s.runningRow > 1 && !band.StartNewPage()) NewColumn();
        splitBand(band);
        split = true;
      } else {
        if (!keeping_) repeatedValues(band);
        if (!(qobject_cast<TfrxChild*>(&band) && inPageHeader_)) NewColumn();
      }
    }
    // 5.
    if (!split && band.Visible()) {
      placeBand(band);
      curY_ += band.Height();
    }
    if (crossed) curX_ = savedX;
  } catch (...) {
    unprepareBand(band);
    throw;
  }
  // 6.
  unprepareBand(band);
  // 7.
  aggregates_->ResetPrinted(&band);
  // 8.
  if (band.Visible()) runSubreports(band);
}

void TfrxBandEngine::placeBand(TfrxBand& band) {
  auto* data = qobject_cast<TfrxDataBand*>(&band);
  if (data && data->Columns() > 1) band.SetLeft(band.Left() + curX_);
  else if (!qobject_cast<TfrxNullBand*>(&band)) band.SetLeft(curX_);
  band.SetTop(curY_);
  if (redirect_) {
    // Output of a subreport printed on its parent: collected, not written.
    for (TfrxView* view : BandViews(band)) {
      if (qobject_cast<TfrxSubreport*>(view) || !view->Visible()) continue;
      TfrxComponent* made = createObject(view->ClassName(), redirect_);
      auto* copy = qobject_cast<TfrxView*>(made);
      if (!copy) {
        delete made;
        continue;
      }
      copy->Assign(view);
      copy->SetLeft(band.Left() + view->Left());
      copy->SetTop(band.Top() + view->Top());
    }
    return;
  }
  if (state(&band).hasVertical && !qobject_cast<TfrxPageHeader*>(&band) && !verticalMaster_) {
    writeVerticalParts(band);
  } else if (fromPageStart_) {
    if (!pages_.BandOnPage(band)) pages_.AppendBand(band);
  } else {
    pages_.AppendBand(band);
  }
}

void TfrxBandEngine::prepareBand(TfrxBand& band) {
  BandState& s = state(&band);
  // 1.
  curBand_ = &band;
  buildShiftTree(band);
  // 2.
  if (&band != verticalMaster_) {
    report_.SetCurrentObject(&band);
    band.SaveDesignState();
    fireEvent(band.OnBeforePrint(), &band);
  }
  // 3., 4.
  const bool bandVisible = band.Visible();
  bool grew = false;
  s.printSubreportsOnParent = false;
  for (size_t i = 1; i < s.nodes.size(); ++i) {
    ShiftNode& node = s.nodes[i];
    TfrxView* view = node.view;
    node.shift = 0;
    report_.SetCurrentObject(view);
    view->SaveDesignState();
    if (bandVisible) fireEvent(view->OnBeforePrint(), view);
    if (view->Visible()) {
      view->FetchData();
      fireEvent(view->OnAfterData(), view);
    }
    if (auto* sub = qobject_cast<TfrxSubreport*>(view); sub && sub->PrintOnParent()) s.printSubreportsOnParent = true;
    auto* stretch = qobject_cast<TfrxStretcheable*>(view);
    if (bandVisible && view->Visible() && stretch && stretch->StretchMode() != smDontStretch) {
      const double needed = stretch->CalcHeight();
      if (needed > view->Height()) {
        node.shift = needed - view->Height();
        view->SetHeight(needed);
        grew = true;
      }
    }
  }
  // 5.
  if (!bandVisible) return;
  // 6.
  if (grew) moveShifted(band, 0, 0);
  if (s.printSubreportsOnParent) printSubreportsOnParent(band);
  // 7.
  double lowest = 0;
  for (TfrxView* view : BandViews(band)) lowest = std::max(lowest, view->Top() + view->Height());
  if (band.Stretched()) band.SetHeight(lowest);
  fireEvent(band.OnAfterCalcHeight(), &band);
  // 8.
  for (TfrxView* view : BandViews(band))
    if (auto* stretch = qobject_cast<TfrxStretcheable*>(view); stretch && stretch->StretchMode() == smMaxHeight)
      view->SetHeight(lowest - view->Top());
}

void TfrxBandEngine::moveShifted(TfrxBand& band, int, double) {
  // Views come sorted by their tops, so every view is settled before the
  // views below it. A view below two growing views moves by the larger
  // offset, not by their sum.
  BandState& s = state(&band);
  const size_t n = s.nodes.size();
  std::vector<double> passed(n, 0);     // offset a node passes to its shift children
  std::vector<double> incoming(n, -1);  // largest offset received (-1: none yet)
  std::vector<double> overlapTop(n, -1e300);
  std::vector<bool> fromRoot(n, false);
  for (int child : s.nodes[0].children) {
    incoming[size_t(child)] = std::max(incoming[size_t(child)], 0.0);
    fromRoot[size_t(child)] = true;
  }
  for (size_t i = 1; i < n; ++i) {
    ShiftNode& node = s.nodes[i];
    TfrxView* view = node.view;
    const double d = std::max(0.0, incoming[i]);
    switch (view->ShiftMode()) {
      case smAlways:
        view->SetTop(view->Top() + d);
        passed[i] = d + node.shift;
        break;
      case smDontShift:
        passed[i] = d + node.shift;
        break;
      case smWhenOverlapped: {
        const double oldTop = view->Top();
        if (overlapTop[i] > oldTop) view->SetTop(overlapTop[i]);
        passed[i] = (view->Top() - oldTop) + node.shift;
        break;
      }
    }
    const double bottom = view->Top() + view->Height();
    for (int child : node.children) {
      incoming[size_t(child)] = std::max(incoming[size_t(child)], passed[i]);
      overlapTop[size_t(child)] = std::max(overlapTop[size_t(child)], bottom);
    }
    node.shift = 0;
  }
}

void TfrxBandEngine::unprepareBand(TfrxBand& band) {
  BandState& s = state(&band);
  QList<TfrxView*> views = BandViews(band);
  // Copies made by vertical bands hold their own printed state.
  if (s.hasVertical && s.designObjectCount >= 0) views = views.mid(0, s.designObjectCount);
  if (band.Visible())
    for (TfrxView* view : views) {
      report_.SetCurrentObject(view);
      fireEvent(view->OnAfterPrint(), view);
    }
  for (TfrxView* view : views) view->RestoreDesignState();
  if (&band != verticalMaster_) {
    fireEvent(band.OnAfterPrint(), &band);
    band.RestoreDesignState();
  }
  // Copies added during output (subreports printed on the parent) go.
  if (s.designObjectCount >= 0) {
    const QList<TfrxComponent*> objects = band.Objects();
    for (int i = int(objects.size()) - 1; i >= s.designObjectCount; --i) delete objects[i];
    s.designObjectCount = -1;
    s.shiftBuilt = false;
    buildShiftTree(band);
  }
}

// --- Subreports ---------------------------------------------------------------------

void TfrxBandEngine::runSubreports(TfrxBand& band) {
  QList<TfrxSubreport*> subreports;
  for (TfrxView* view : BandViews(band))
    if (auto* sub = qobject_cast<TfrxSubreport*>(view); sub && sub->Visible() && !sub->PrintOnParent() && sub->Page())
      subreports.append(sub);
  if (subreports.isEmpty()) return;
  const int savedPage = pages_.CurrentPage();
  const int savedColumn = curColumn_;
  const double savedOffset = pageColumnOffset_;
  const double savedX = curX_;
  const double savedY = curY_;
  const double height = state(&band).stretchedHeight;
  int bestPage = savedPage, bestColumn = savedColumn;
  double bestY = savedY;
  // Rows of a subreport are ordinary output, also when the band holding it
  // was reprinted at a page start.
  const bool wasFromPageStart = fromPageStart_, wasInHeader = inPageHeader_;
  fromPageStart_ = inPageHeader_ = false;
  struct Flags {
    bool& a;
    bool& b;
    bool va, vb;
    ~Flags() { a = va, b = vb; }
  } flags{fromPageStart_, inPageHeader_, wasFromPageStart, wasInHeader};
  for (TfrxSubreport* sub : subreports) {
    pages_.SetCurrentPage(savedPage);
    curColumn_ = savedColumn;
    pageColumnOffset_ = savedOffset + sub->Left();
    curX_ = savedX + sub->Left();
    curY_ = savedY - height + sub->Top();
    runBandList(masters_.value(sub->Page()));
    const int page = pages_.CurrentPage();
    if (page > bestPage || (page == bestPage && (curColumn_ > bestColumn ||
                                                 (curColumn_ == bestColumn && curY_ > bestY)))) {
      bestPage = page;
      bestColumn = curColumn_;
      bestY = curY_;
    }
  }
  pages_.SetCurrentPage(bestPage);
  updatePageVariables();
  curColumn_ = bestColumn;
  curY_ = bestY;
  pageColumnOffset_ = savedOffset;
  curX_ = savedOffset + (bestColumn > 1 ? columnX(bestColumn) : 0);
}

void TfrxBandEngine::printSubreportsOnParent(TfrxBand& band) {
  BandState& s = state(&band);
  TfrxNullBand holder;
  TfrxBand* savedRedirect = redirect_;
  const double savedX = curX_, savedY = curY_, savedOffset = pageColumnOffset_;
  redirect_ = &holder;
  try {
    for (TfrxView* view : BandViews(band)) {
      auto* sub = qobject_cast<TfrxSubreport*>(view);
      if (!sub || !sub->Visible() || !sub->PrintOnParent() || !sub->Page()) continue;
      curX_ = sub->Left();
      curY_ = sub->Top();
      pageColumnOffset_ = savedOffset + sub->Left();
      runBandList(masters_.value(sub->Page()));
    }
  } catch (...) {
    redirect_ = savedRedirect;
    curX_ = savedX, curY_ = savedY, pageColumnOffset_ = savedOffset;
    throw;
  }
  redirect_ = savedRedirect;
  curX_ = savedX, curY_ = savedY, pageColumnOffset_ = savedOffset;
  curBand_ = &band;
  // What the subreports produced joins the band at its place, so that the
  // band grows to hold it; it goes again after the band was output.
  if (s.designObjectCount < 0) s.designObjectCount = int(band.Objects().size());
  const QList<TfrxComponent*> collected = holder.Objects();
  for (TfrxComponent* object : collected) {
    auto* view = qobject_cast<TfrxView*>(object);
    if (!view) continue;
    view->SetParent(&band);
    view->SetParentFont(false);
    if (auto* stretch = qobject_cast<TfrxStretcheable*>(view)) stretch->SetStretchMode(smDontStretch);
  }
}

}  // namespace valmoro::report::engine
