// Vertical bands: bands laid out left to right across a horizontal band.
// The views of a horizontal band that lie within a vertical band belong to
// that vertical band during a run; showing the horizontal band runs the
// vertical bands along X, each leaving a copy of those views at CurX in the
// horizontal band, which is then written in parts over as many prepared
// pages as its width needs.

#include <algorithm>

#include "report/engine/aggregates.h"
#include "report/engine/engine_state.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

namespace valmoro::report::engine {

namespace {

constexpr double kEpsilon = 1e-4;

}  // namespace

void TfrxBandEngine::moveIntoVerticalBands(TfrxReportPage& page, TfrxBand& band) {
  if (qobject_cast<TfrxOverlay*>(&band)) return;
  QList<TfrxBand*> verticals;
  for (TfrxComponent* object : page.Objects())
    if (auto* v = qobject_cast<TfrxBand*>(object); v && v->Vertical() && !qobject_cast<TfrxNullBand*>(v))
      verticals.append(v);
  if (verticals.isEmpty()) return;
  const QList<TfrxView*> views = BandViews(band);
  for (int i = 0; i < views.size(); ++i) {
    TfrxView* view = views[i];
    const double left = band.Left() + view->Left();
    const double right = left + view->Width();
    for (TfrxBand* vertical : verticals) {
      if (left < vertical->Left() - kEpsilon || right > vertical->Left() + vertical->Width() + kEpsilon) continue;
      movedViews_.push_back({view, &band, i, view->Left()});
      homeBands_.insert(view, &band);
      view->SetParent(vertical);
      view->SetLeft(left - vertical->Left());
      state(&band).hasVertical = true;
      break;
    }
  }
}

void TfrxBandEngine::restoreMovedViews() {
  if (movedViews_.empty()) return;
  // Each home band gets its views back in their design order: every view
  // passes through a holder so that re-adding appends in that order.
  QList<TfrxBand*> homes;
  for (const MovedView& moved : movedViews_)
    if (!homes.contains(moved.home)) homes.append(moved.home);
  for (TfrxBand* home : homes) {
    QList<TfrxView*> order = BandViews(*home);
    for (const MovedView& moved : movedViews_) {
      if (moved.home != home) continue;
      moved.view->SetLeft(moved.left);
      order.insert(std::min<qsizetype>(moved.index, order.size()), moved.view);
    }
    TfrxNullBand holder;
    for (TfrxView* view : order) view->SetParent(&holder);
    for (TfrxView* view : order) view->SetParent(home);
    state(home).hasVertical = false;
    state(home).shiftBuilt = false;
  }
  movedViews_.clear();
  homeBands_.clear();
}

double TfrxBandEngine::runVerticalBands(TfrxBand& band) {
  const double savedX = curX_;
  // A horizontal band shown from inside a vertical run prints as it is.
  if (verticalMaster_ || !page_) return savedX;
  TfrxBand* savedBand = curBand_;
  const bool savedFirstBand = firstBand_;
  const int line = currentLine_, running = runningLine_;
  BandState& s = state(&band);
  if (s.designObjectCount < 0) s.designObjectCount = int(band.Objects().size());
  verticalMaster_ = &band;
  verticalPages_.clear();
  vReprint_.clear();
  verticalPartFreshX_ = 0;
  curX_ = 0;
  curVColumn_ = 0;
  auto restore = [&] {
    verticalMaster_ = nullptr;
    firstBand_ = savedFirstBand;
    setLines(line, running);
    curBand_ = savedBand;
    curX_ = 0;
  };
  try {
    runBandList(verticalMasters_.value(page_));
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return savedX;
}

void TfrxBandEngine::outputVertical(TfrxBand& band) {
  // Outside a horizontal band a vertical band has nowhere to print.
  TfrxBand* master = verticalMaster_;
  if (!master) return;
  if (qobject_cast<TfrxDataBand*>(&band)) ++curVColumn_;
  prepareBand(band);
  try {
    if (band.Visible()) {
      const double width = band.Width();
      if (curX_ + width > pageWidth_ + kEpsilon) {
        if (page_->EndlessWidth()) pageWidth_ = curX_ + width;
        else if (curX_ > verticalPartFreshX_ + kEpsilon) nextVerticalPart();
      }
      BandState& ms = state(master);
      if (ms.designObjectCount < 0) ms.designObjectCount = int(master->Objects().size());
      for (TfrxView* view : BandViews(band)) {
        if (homeBands_.value(view) != master || !view->Visible()) continue;
        TfrxComponent* made = createObject(view->ClassName(), master);
        auto* copy = qobject_cast<TfrxView*>(made);
        if (!copy) {
          delete made;
          continue;
        }
        copy->Assign(view);
        copy->SetLeft(view->Left() + curX_);
      }
      curX_ += width;
    }
  } catch (...) {
    unprepareBand(band);
    throw;
  }
  unprepareBand(band);
  aggregates_->ResetPrinted(&band);
}

void TfrxBandEngine::nextVerticalPart() {
  verticalPages_.append(int(verticalMaster_->Objects().size()));
  curX_ = 0;
  verticalPartFreshX_ = 0;
  const QList<ReprintEntry> entries = vReprint_;
  for (const ReprintEntry& entry : entries) {
    BandState& s = state(entry.band);
    s.overflow = true;
    try {
      showBandChain(entry.band);
    } catch (...) {
      s.overflow = false;
      throw;
    }
    s.overflow = false;
  }
  verticalPartFreshX_ = curX_;
}

void TfrxBandEngine::gotoVerticalPartPage(int index) {
  if (index < pages_.Count()) {
    pages_.SetCurrentPage(index);
    updatePageVariables();
    return;
  }
  // A new page to the right: it starts like any page, without the headers
  // of the data bands (the part itself continues their rows).
  pages_.SetCurrentPage(pages_.Count() - 1);
  const bool savedDontShow = dontShowHeaders_;
  dontShowHeaders_ = true;
  try {
    newPageStart();
  } catch (...) {
    dontShowHeaders_ = savedDontShow;
    throw;
  }
  dontShowHeaders_ = savedDontShow;
}

void TfrxBandEngine::endVerticalPartPage() {
  // The pages to the right end like any page in the middle of the report:
  // they are never the first one, and the report's last page end happens
  // on the page where the rows go on. The footer goes on each page once.
  TfrxBand* footer = pageBand(3);
  auto* overlay = qobject_cast<TfrxOverlay*>(pageBand(17));
  const bool footerDone = !footer || pages_.BandOnPage(*footer);
  const bool overlayDone = !overlay || !overlay->PrintOnTop() || pages_.BandOnPage(*overlay);
  if (footerDone && overlayDone) return;
  const bool savedFirst = firstPage_, savedLast = lastPage_;
  firstPage_ = false;
  lastPage_ = false;
  try {
    showPageFooterAndOverlay(false);
  } catch (...) {
    firstPage_ = savedFirst;
    lastPage_ = savedLast;
    throw;
  }
  firstPage_ = savedFirst;
  lastPage_ = savedLast;
}

void TfrxBandEngine::writeVerticalParts(TfrxBand& band) {
  BandState& s = state(&band);
  const QList<TfrxComponent*> objects = band.Objects();
  const int design = s.designObjectCount >= 0 ? s.designObjectCount : int(objects.size());
  QList<int> starts{design};
  starts += verticalPages_;
  starts.append(int(objects.size()));
  const int firstPage = pages_.CurrentPage();
  const double top = band.Top();
  const double savedY = curY_, savedColumnTop = firstColumnTop_, savedFooter = prevFooterHeight_;
  auto restore = [&] {
    for (int k = design; k < objects.size(); ++k)
      if (auto* view = qobject_cast<TfrxView*>(objects[k])) view->SetVisible(true);
    pages_.SetCurrentPage(firstPage);
    updatePageVariables();
    curY_ = savedY;
    firstColumnTop_ = savedColumnTop;
    prevFooterHeight_ = savedFooter;
  };
  try {
    for (int part = 0; part + 1 < starts.size(); ++part) {
      if (part > 0) gotoVerticalPartPage(firstPage + part);
      for (int k = design; k < objects.size(); ++k)
        if (auto* view = qobject_cast<TfrxView*>(objects[k]))
          view->SetVisible(k >= starts[part] && k < starts[part + 1]);
      band.SetTop(top);
      pages_.AppendBand(band);
      if (part > 0) endVerticalPartPage();
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

}  // namespace valmoro::report::engine
