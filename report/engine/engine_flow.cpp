// Page and column flow: page start and end, new pages and columns with the
// bands reprinted there, free space, keeping blocks together, splitting a
// band that does not fit, data-band columns and endless pages.

#include <algorithm>

#include "report/engine/aggregates.h"
#include "report/engine/engine_state.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/subreport.h"
#include "report/model/view.h"

namespace valmoro::report::engine {

namespace {

constexpr double kEpsilon = 1e-4;

bool overlapsHorizontally(const TfrxView* a, const TfrxView* b) {
  const double left = std::max(a->Left(), b->Left());
  const double right = std::min(a->Left() + a->Width(), b->Left() + b->Width());
  return right - left > kEpsilon;
}

}  // namespace

TfrxBand* TfrxBandEngine::pageBand(int kind) const {
  return kind >= 0 && kind < int(pageBands_.size()) ? pageBands_[size_t(kind)] : nullptr;
}

double TfrxBandEngine::PageHeight() const {
  if (page_ && page_->EndlessHeight()) return FooterHeight() + curY_;
  return pageHeight_;
}

double TfrxBandEngine::HeaderHeight() const {
  double height = 0;
  for (TfrxBand* band = pageBand(15); band; band = band->Child()) height += band->Height();
  for (TfrxBand* band = pageBand(2); band; band = band->Child()) height += band->Height();
  return height;
}

double TfrxBandEngine::FooterHeight() const {
  double height = 0;
  if (TfrxBand* band = pageBand(16)) height += band->Height();
  if (TfrxBand* band = pageBand(3)) height += band->Height();
  return height;
}

double TfrxBandEngine::FreeSpace() {
  if (page_ && page_->EndlessHeight()) return 1000000;
  if (prevFooterHeight_ != 0) return pageHeight_ - prevFooterHeight_ - curY_;
  return pageHeight_ - FooterHeight() - curY_;
}

double TfrxBandEngine::columnX(int column) const {
  if (!page_) return 0;
  const QStringList positions = page_->ColumnPositions();
  if (column < 1 || column > positions.size()) return 0;
  QString text = positions[column - 1].trimmed();
  text.replace(u',', u'.');
  return text.toDouble() * kPixelsPerMm;
}

// --- Page start and end ------------------------------------------------------------

void TfrxBandEngine::pageStart(TfrxReportPage& page) {
  page_ = &page;
  pageBands_.fill(nullptr);
  for (TfrxComponent* object : page.Objects()) {
    auto* band = qobject_cast<TfrxBand*>(object);
    if (!band || band->Vertical() || qobject_cast<TfrxNullBand*>(band)) continue;
    const int kind = band->BandKindIndex();
    if (kind >= 0 && kind < int(pageBands_.size()) && !pageBands_[size_t(kind)]) pageBands_[size_t(kind)] = band;
  }
  TfrxBand* title = pageBand(0);
  TfrxBand* header = pageBand(2);
  // 1.
  reprint_.clear();
  if (page.TitleBeforeHeader()) {
    if (title) reprint_.append({title, 0, false});
    if (header) reprint_.append({header, 0, false});
  } else {
    if (header) reprint_.append({header, 0, false});
    if (title) reprint_.append({title, 0, false});
  }
  // 2.
  pageHeight_ = (page.PaperHeight() - page.TopMargin() - page.BottomMargin()) * kPixelsPerMm;
  pageWidth_ = (page.PaperWidth() - page.LeftMargin() - page.RightMargin()) * kPixelsPerMm;
  // 3.
  curX_ = 0;
  curY_ = 0;
  curColumn_ = 1;
  pageColumnOffset_ = 0;
  verticalMaster_ = nullptr;
  firstPage_ = true;
  lastPage_ = false;
  pages_.OutlineRoot();
  // 4.
  if (page.ResetPageNumbers()) pages_.CloseLogicalSection();
  auto removeTitle = [this, title] {
    for (int i = reprint_.size() - 1; i >= 0; --i)
      if (reprint_[i].band == title) reprint_.removeAt(i);
  };
  // 5.
  if (pages_.Count() > 0 && page.PrintOnPreviousPage()) {
    pages_.SetCurrentPage(pages_.Count() - 1);
    updatePageVariables();
    curY_ = pages_.LowestBottom(0);
    removeTitle();
    showBandChain(title);
  } else {
    newPageStart();
  }
  // 6.
  if (firstReportPage_) pages_.SetFirstPageOfRun();
  // 7.
  firstColumnTop_ = curY_;
  if (TfrxBand* columnHeader = pageBand(15)) {
    showBandChain(columnHeader);
    reprint_.append({columnHeader, pageColumnOffset_, false});
  }
  removeTitle();
  addPageOutline();
}

void TfrxBandEngine::newPageStart() {
  // 1.
  prevFooterHeight_ = 0;
  pages_.AddPage(*page_);
  updatePageVariables();
  curY_ = 0;
  // 2.
  if (auto* overlay = qobject_cast<TfrxOverlay*>(pageBand(17)); overlay && !overlay->PrintOnTop()) {
    showBandChain(overlay);
    curY_ = 0;
  }
  // 3.
  firstColumnTop_ = 0;
  const double savedX = curX_;
  const QList<ReprintEntry> entries = reprint_;
  for (const ReprintEntry& entry : entries) {
    curX_ = entry.x;
    TfrxBand* band = entry.band;
    if (band == startNewPageBand_) continue;
    const bool isPageHeader = qobject_cast<TfrxPageHeader*>(band) != nullptr;
    if (isPageHeader && firstPage_ && !static_cast<TfrxPageHeader*>(band)->PrintOnFirstPage()) {
      if (!band->PrintChildIfInvisible() || !band->Child()) continue;
      band = band->Child();
    }
    const bool isHeader = qobject_cast<TfrxHeader*>(band) != nullptr;
    if (!keepFooter_ && ((isHeader && keepHeader_) || entry.insideKeep)) continue;
    if (dontShowHeaders_ && (isHeader || qobject_cast<TfrxGroupHeader*>(band))) continue;
    if (isHeader && band == lastBandOnPage_) continue;
    BandState& s = state(band);
    const int line = currentLine_, running = runningLine_;
    const bool wasFromPageStart = fromPageStart_, wasInHeader = inPageHeader_;
    s.overflow = true;
    setLines(s.rowCounter, s.runningRow);
    fromPageStart_ = true;
    inPageHeader_ = isPageHeader;
    try {
      showBandChain(band);
    } catch (...) {
      s.overflow = false;
      fromPageStart_ = wasFromPageStart;
      inPageHeader_ = wasInHeader;
      setLines(line, running);
      throw;
    }
    s.overflow = false;
    fromPageStart_ = wasFromPageStart;
    inPageHeader_ = wasInHeader;
    setLines(line, running);
    if (qobject_cast<TfrxReportTitle*>(band)) {
      // Printed once.
      for (int i = reprint_.size() - 1; i >= 0; --i)
        if (reprint_[i].band == band) reprint_.removeAt(i);
      firstBand_ = false;
    }
    if (isPageHeader) firstColumnTop_ = s.stretchedHeight;
  }
  // 4.
  curX_ = savedX;
}

void TfrxBandEngine::pageEnd() {
  const bool nested = fromPageEnd_;
  // 1.
  if (!nested) showColumnFooter();
  // 2.
  if (!lastPage_) {
    curX_ = pageColumnOffset_;
    curColumn_ = 1;
  }
  // 3.
  if (lastPage_ && !nested) {
    // The summary belongs to the page, not to a column: on a page of
    // several columns it starts at the left, below the lowest of them, and
    // what does not fit goes to the next page, not into a column.
    if (page_->Columns() > 1 && pageBand(1)) {
      curY_ = std::max(curY_, pages_.LowestBottom(0));
      curX_ = pageColumnOffset_;
      curColumn_ = page_->Columns();
    }
    fromPageEnd_ = true;
    try {
      showBandChain(pageBand(1));
      if (page_->EndlessHeight()) finishEndlessPage();
    } catch (...) {
      fromPageEnd_ = false;
      throw;
    }
    fromPageEnd_ = false;
  }
  showPageFooterAndOverlay(nested);
  // 6.
  firstPage_ = false;
}

void TfrxBandEngine::showPageFooterAndOverlay(bool nested) {
  // 4.
  if (auto* footer = qobject_cast<TfrxPageFooter*>(pageBand(3))) {
    curY_ = PageHeight() - FooterHeight();
    prevFooterHeight_ = lastPage_ && footer->PrintOnLastPage() && !nested ? footer->Height() : 0;
    prepareBand(*footer);
    const bool skipped = (firstPage_ && !footer->PrintOnFirstPage()) ||
                         (lastPage_ && !footer->PrintOnLastPage() && !nested);
    try {
      if (footer->Visible()) {
        footer->SetLeft(0);
        footer->SetTop(curY_);
        if (!skipped && !pages_.BandOnPage(*footer)) pages_.AppendBand(*footer);
        curY_ += footer->Height();
      }
    } catch (...) {
      unprepareBand(*footer);
      throw;
    }
    unprepareBand(*footer);
    if (!skipped) aggregates_->ResetPrinted(footer);
  }
  // 5.
  if (auto* overlay = qobject_cast<TfrxOverlay*>(pageBand(17)); overlay && overlay->PrintOnTop()) {
    curY_ = 0;
    prepareBand(*overlay);
    try {
      if (overlay->Visible()) {
        overlay->SetLeft(0);
        overlay->SetTop(0);
        if (!pages_.BandOnPage(*overlay)) pages_.AppendBand(*overlay);
      }
    } catch (...) {
      unprepareBand(*overlay);
      throw;
    }
    unprepareBand(*overlay);
    aggregates_->ResetPrinted(overlay);
  }
}

void TfrxBandEngine::showColumnFooter() {
  TfrxBand* footer = pageBand(16);
  if (!footer) return;
  prepareBand(*footer);
  try {
    if (footer->Visible()) {
      footer->SetLeft(curX_ - pageColumnOffset_);
      footer->SetTop(curY_);
      pages_.AppendBand(*footer);
      curY_ += footer->Height();
    }
  } catch (...) {
    unprepareBand(*footer);
    throw;
  }
  unprepareBand(*footer);
  aggregates_->ResetPrinted(footer);
}

void TfrxBandEngine::finishEndlessPage() {
  if (!page_) return;
  const double height = PageHeight() + (page_->TopMargin() + page_->BottomMargin()) * kPixelsPerMm;
  const double width = page_->EndlessWidth()
                           ? page_->LeftMargin() * kPixelsPerMm + pageWidth_ + page_->RightMargin() * kPixelsPerMm
                           : page_->PaperWidth() * kPixelsPerMm;
  pages_.StorePageSize(*page_, height, width);
}

// --- New pages and columns -----------------------------------------------------------

void TfrxBandEngine::cutKept() {
  if (keepFooter_ && keepBand_) aggregates_->UndoLastRecord(keepBand_);
  pages_.CutFrom(keepPosition_);
  curY_ = pages_.LowestBottom(0);
}

void TfrxBandEngine::NewPage() {
  if (!page_) return;
  // 1. A block that cannot fit even on an empty page breaks where it stands.
  if (keeping_ && keepBand_ && curY_ - keepCurY_ + keepBand_->Height() > PageHeight() - FooterHeight())
    endKeeping(keepBand_);
  // 2.
  const bool moving = keeping_;
  const double keptTop = keepCurY_;
  if (moving) cutKept();
  // 3.
  lastBandOnPage_ = curBand_;
  pageEnd();
  // 4.
  if (page_->EndlessHeight() || page_->EndlessWidth()) finishEndlessPage();
  // 5.
  newPageStart();
  lastBandOnPage_ = nullptr;
  // 6.
  if (moving) {
    aggregates_->EndKeeping();
    const double target = curY_;
    pages_.Paste(target, 0);
    pages_.OutlineShift(keepOutline_, target, true);
    pages_.ShiftAnchors(keepAnchor_, target, true);
    curY_ = pages_.LowestBottom(0);
    if (keepFooter_ && keepBand_) aggregates_->RedoLastRecord(keepBand_);
    (void)keptTop;
  }
  // 7.
  keeping_ = false;
  keepBand_ = nullptr;
  keepHeader_ = false;
  keepCurY_ = 0;
  addPageOutline();
}

void TfrxBandEngine::NewColumn() {
  if (!page_) return;
  if (curColumn_ >= page_->Columns()) {
    NewPage();
    return;
  }
  const bool moving = keeping_;
  if (moving) cutKept();
  lastBandOnPage_ = curBand_;
  showColumnFooter();
  ++curColumn_;
  const double x = columnX(curColumn_);
  curY_ = firstColumnTop_;
  const QList<ReprintEntry> entries = reprint_;
  if (!keepHeader_)
    for (const ReprintEntry& entry : entries) {
      if (qobject_cast<TfrxPageHeader*>(entry.band) || entry.band == lastBandOnPage_ || entry.insideKeep) continue;
      curX_ = entry.x + x;
      for (TfrxBand* band = entry.band; band; band = band->Child()) showBandSimple(*band);
    }
  curX_ = pageColumnOffset_ + x;
  lastBandOnPage_ = nullptr;
  if (moving) {
    aggregates_->EndKeeping();
    pages_.Paste(curY_, curX_);
    pages_.OutlineShift(keepOutline_, curY_, false);
    pages_.ShiftAnchors(keepAnchor_, curY_, false);
    curY_ = pages_.LowestBottom(curX_);
    if (keepFooter_ && keepBand_) aggregates_->RedoLastRecord(keepBand_);
  }
  keeping_ = false;
  keepBand_ = nullptr;
  keepHeader_ = false;
}

void TfrxBandEngine::showBandSimple(TfrxBand& band) {
  BandState& s = state(&band);
  s.overflow = true;
  prepareBand(band);
  try {
    if (band.Visible()) {
      band.SetLeft(curX_);
      band.SetTop(curY_);
      pages_.AppendBand(band);
      curY_ += band.Height();
    }
  } catch (...) {
    unprepareBand(band);
    s.overflow = false;
    throw;
  }
  unprepareBand(band);
  s.overflow = false;
}

// --- Keeping ---------------------------------------------------------------------------

void TfrxBandEngine::startKeeping(TfrxBand* band, int position) {
  if (keeping_ || firstBand_) return;
  keepCurY_ = curY_;
  keepBand_ = band;
  keepPosition_ = position >= 0 ? position : pages_.ObjectCount();
  keepOutline_ = pages_.OutlinePosition();
  keepAnchor_ = pages_.AnchorCount() - 1;
  keeping_ = true;
  aggregates_->StartKeeping();
}

void TfrxBandEngine::endKeeping(TfrxBand* band) {
  if (!keeping_ || band != keepBand_) return;
  keeping_ = false;
  keepBand_ = nullptr;
  keepHeader_ = false;
  aggregates_->EndKeeping();
}

// --- Repeated values and splitting ------------------------------------------------------

void TfrxBandEngine::repeatedValues(TfrxBand& band) {
  bool any = false;
  for (TfrxComponent* object : band.AllObjects())
    if (auto* memo = qobject_cast<TfrxCustomMemoView*>(object); memo && memo->SuppressRepeated()) any = true;
  BandState& s = state(&band);
  if (!any || s.hasVertical) return;
  ShowRepeatedValuesAgain(band);
  unprepareBand(band);
  if (qobject_cast<TfrxDataBand*>(&band)) setLines(s.rowCounter, s.runningRow);
  secondScriptCall_ = true;
  try {
    prepareBand(band);
  } catch (...) {
    secondScriptCall_ = false;
    throw;
  }
  secondScriptCall_ = false;
  s.stretchedHeight = band.Height();
}

struct TfrxBandEngine::SplitItem {
  TfrxView* view;
  TfrxStretcheable* stretch;
  bool visible;
  double rememberedTop = 0;
  bool hasRememberedTop = false;
  double remaining = 0;
  bool partOut = false;
  bool inWork = true;
};

void TfrxBandEngine::splitBand(TfrxBand& band) {
  // 1. The views take turns: only those of the current part are visible
  // while the part is written.
  std::vector<SplitItem> items;
  for (TfrxView* view : BandViews(band)) {
    if (qobject_cast<TfrxSubreport*>(view)) continue;
    SplitItem item{view, qobject_cast<TfrxStretcheable*>(view), view->Visible()};
    if (!item.visible) continue;
    if (item.stretch) {
      item.stretch->InitPart();
      item.remaining = view->Height();
    }
    items.push_back(item);
  }
  auto restoreVisibility = [&] {
    for (SplitItem& item : items) item.view->SetVisible(item.visible);
  };
  const double tallest = PageHeight() - FooterHeight();
  // 2.
  double limit = FreeSpace();
  int emptyParts = 0;
  try {
    size_t left = items.size();
    while (left > 0) {
      pumpMessages();
      if (report_.Terminated()) break;
      std::vector<bool> inPart(items.size(), false);
      std::vector<bool> moved(items.size(), false);
      // Nothing fitted twice running (a page with no room below its
      // headers, say): the rest goes out as it stands and is clipped.
      const bool force = emptyParts >= 2;
      for (size_t i = 0; i < items.size(); ++i) {
        SplitItem& item = items[i];
        if (!item.inWork) continue;
        TfrxView* view = item.view;
        const double top = view->Top();
        const double height = view->Height();
        if (force || top + height <= limit + kEpsilon) {
          inPart[i] = true;
          item.inWork = false;
          --left;
          if (item.stretch && !force) item.stretch->GetPart();
        } else if (item.stretch && top < limit) {
          item.rememberedTop = top;
          item.hasRememberedTop = true;
          view->SetHeight(limit - top);
          const double spare = item.stretch->GetPart();
          auto* memo = qobject_cast<TfrxCustomMemoView*>(view);
          if (memo && memo->PartText().isEmpty() && std::abs(spare - view->Height()) >= kEpsilon) {
            // All its text is out: the rest of its box has nothing to show.
            inPart[i] = true;
            item.inWork = false;
            --left;
            continue;
          }
          for (size_t j = 0; j < items.size(); ++j) {
            SplitItem& other = items[j];
            if (j == i || !other.inWork || moved[j]) continue;
            if (other.view->Top() >= top + height - kEpsilon && overlapsHorizontally(view, other.view)) {
              other.view->SetTop(other.view->Top() + spare);
              moved[j] = true;
            }
          }
          if (std::abs(spare - view->Height()) < kEpsilon) {
            view->SetTop(limit);
            view->SetHeight(item.remaining);
          } else {
            inPart[i] = true;
            item.partOut = true;
            item.remaining = item.remaining - view->Height() + spare;
          }
        } else if (top >= limit) {
          // Waits for a later part.
        } else if (!item.stretch && height > tallest) {
          inPart[i] = true;
          item.inWork = false;
          --left;
        } else {
          for (size_t j = 0; j < items.size(); ++j) {
            SplitItem& other = items[j];
            if (j == i || !other.inWork) continue;
            if (other.view->Top() >= top + height - kEpsilon && overlapsHorizontally(view, other.view))
              other.view->SetTop(other.view->Top() + (limit - top));
          }
          view->SetTop(limit);
        }
      }
      // b.
      double partHeight = 0;
      bool any = false;
      for (size_t i = 0; i < items.size(); ++i)
        if (inPart[i]) {
          any = true;
          partHeight = std::max(partHeight, items[i].view->Top() + items[i].view->Height());
        }
      emptyParts = any ? 0 : emptyParts + 1;
      if (left == 0)
        for (size_t i = 0; i < items.size(); ++i) {
          if (!inPart[i]) continue;
          TfrxView* view = items[i].view;
          if (view->Align() == baBottom) view->SetTop(partHeight - view->Height());
          if (items[i].stretch && items[i].stretch->StretchMode() == smMaxHeight)
            view->SetHeight(partHeight - view->Top());
        }
      // c.
      if (any) {
        for (size_t i = 0; i < items.size(); ++i) items[i].view->SetVisible(inPart[i]);
        band.SetLeft(curX_);
        band.SetTop(curY_);
        band.SetHeight(partHeight);
        pages_.AppendBand(band);
        curY_ += partHeight;
        curBand_ = &band;
      }
      if (left == 0) break;
      NewColumn();
      // d.
      for (SplitItem& item : items) {
        if (!item.inWork) continue;
        TfrxView* view = item.view;
        if (item.stretch && !item.partOut && item.hasRememberedTop) view->SetTop(item.rememberedTop);
        else view->SetTop(view->Top() - limit);
        if (view->Top() < 0) view->SetTop(0);
        if (item.stretch) view->SetHeight(item.remaining);
      }
      // e.
      limit = FreeSpace();
    }
  } catch (...) {
    restoreVisibility();
    throw;
  }
  // 3.
  restoreVisibility();
}

// --- Data-band columns ------------------------------------------------------------------

void TfrxBandEngine::setDataColumn(TfrxDataBand& band, int column) {
  BandState& s = state(&band);
  if (column > band.Columns() || column < 1) column = 1;
  s.currentColumn = column;
  if (band.Columns() > 1) band.SetLeft((column - 1) * (band.ColumnWidth() + band.ColumnGap()));
  if (column == 1) s.lowestBottom = 0;
}

void TfrxBandEngine::placeDataColumns(TfrxDataBand& band) {
  if (band.Columns() <= 1) return;
  BandState& s = state(&band);
  // 1.
  s.lowestBottom = std::max(s.lowestBottom, curY_);
  // 2., 3.
  if (s.currentColumn < band.Columns()) {
    curY_ = s.rowTop;
  } else if (s.lowestBottom <= PageHeight() - FooterHeight() || page_->EndlessHeight()) {
    curY_ = s.lowestBottom;
  } else if (keeping_) {
    NewColumn();
  } else {
    pages_.CutFrom(s.columnPosition);
    NewColumn();
    pages_.Paste(curY_, curX_);
    curY_ += s.lowestBottom - s.rowTop;
  }
  // 4.
  if (band.Visible()) setDataColumn(band, s.currentColumn + 1);
}

}  // namespace valmoro::report::engine
