// The run of a report: its steps and passes, the report pages and their
// copies, the rows of data bands with their details, and groups.

#include <QCoreApplication>
#include <QEventLoop>
#include <cmath>

#include "report/engine/aggregates.h"
#include "report/engine/engine_state.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/dialog.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/model/view.h"
#include "script/script.h"

namespace valmoro::report::engine {

using script::Variant;

namespace {

QHash<const TfrxReport*, TfrxBandEngine*>& runningEngines() {
  static QHash<const TfrxReport*, TfrxBandEngine*> engines;
  return engines;
}

QList<TfrxReportPage*> reportPages(const TfrxReport& report) {
  QList<TfrxReportPage*> pages;
  for (TfrxComponent* object : report.Objects())
    if (auto* page = qobject_cast<TfrxReportPage*>(object)) pages.append(page);
  return pages;
}

}  // namespace

TfrxBandEngine::TfrxBandEngine(TfrxReport& report, PageStore& pages) : report_(report), pages_(pages) {}

TfrxBandEngine::~TfrxBandEngine() {
  auto& engines = runningEngines();
  if (engines.value(&report_) == this) engines.remove(&report_);
}

TfrxBandEngine* TfrxBandEngine::Of(const TfrxReport& report) { return runningEngines().value(&report); }

bool TfrxBandEngine::DoublePass() const { return report_.EngineOptions()->DoublePass(); }

void TfrxBandEngine::AddNotification(std::function<void(TfrxDataBand&)> listener) {
  notifications_.push_back(std::move(listener));
}

bool TfrxBandEngine::Run() {
  // The script's "Engine" and "Outline" reach this run while it lasts.
  struct Bind {
    TfrxBandEngine* engine;
    ReportEngineHooks* oldEngine;
    TfrxBandEngine* oldRunning;
    explicit Bind(TfrxBandEngine* e)
        : engine(e),
          oldEngine(e->report_.Engine() ? e->report_.Engine()->Hooks() : nullptr),
          oldRunning(runningEngines().value(&e->report_)) {
      if (e->report_.Engine()) e->report_.Engine()->SetHooks(e);
      runningEngines().insert(&e->report_, e);
    }
    ~Bind() {
      if (engine->report_.Engine()) engine->report_.Engine()->SetHooks(oldEngine);
      if (oldRunning) runningEngines().insert(&engine->report_, oldRunning);
      else runningEngines().remove(&engine->report_);
    }
  } bind(this);

  // 1.
  prevFooterHeight_ = 0;
  pages_.InitRun(report_);
  report_.ProgressStart(TfrxReport::ProgressKind::Preparing);
  if (report_.RunState().startDateTime == 0) report_.RunState().startDateTime = currentDateTimeAsDays();
  running_ = true;
  keeping_ = false;
  curVColumn_ = 0;
  redirect_ = nullptr;
  aggregates_ = std::make_unique<TfrxAggregateList>(report_);
  aggregates_->CurrentBand = [this] { return curBand_; };
  aggregates_->CurrentColumn = [this] { return curVColumn_; };
  aggregates_->CurrentMasterBand = [this] { return verticalMaster_; };
  const QList<TfrxReportPage*> pages = reportPages(report_);
  for (TfrxReportPage* page : pages) {
    buildBandTree(*page, false);
    buildBandTree(*page, true);
  }
  if (report_.Errors().isEmpty()) checkDataSetConflicts();

  bool result = false;
  bool started = false;
  bool dataSetsBegun = false;
  auto finish = [&] {
    // 7. Whatever happened above.
    try {
      if (started) fireEvent(report_.OnStopReport(), &report_);
    } catch (...) {
      if (dataSetsBegun) report_.DataSets()->EndRun();
      pages_.Finish();
      running_ = false;
      restoreMovedViews();
      throw;
    }
    if (dataSetsBegun) report_.DataSets()->EndRun();
    pages_.Finish();
    running_ = false;
    restoreMovedViews();
  };
  try {
    if (report_.Errors().isEmpty()) {
      // 2.
      report_.DataSets()->BeginRun();
      dataSetsBegun = true;
      started = true;
      fireEvent(report_.OnStartReport(), &report_);
      // 3.
      bool go = true;
      if (!report_.OnRunDialogs().isEmpty()) {
        Variant args = Variant::FromArray(script::VariantArray::Of({Variant(true)}));
        report_.Script().CallRoutineByRef(report_.OnRunDialogs(), args);
        go = args.AsArray().At(0).ToBool();
      } else {
        for (TfrxComponent* object : report_.Objects()) {
          auto* dialog = qobject_cast<TfrxDialogPage*>(object);
          if (!dialog || !dialog->Visible() || dialog->Objects().isEmpty()) continue;
          ReportDialogHooks* dialogs = hooks::reportDialogHooks();
          if (!dialogs) hooks::missingHook(dialog->Name(), QStringLiteral("ShowModal"));
          // 2 is the modal result of Cancel.
          if (dialogs->ShowModal(*dialog) == 2) {
            go = false;
            break;
          }
        }
      }
      if (go) {
        // 4.
        for (TfrxReportPage* page : pages) {
          pages_.RegisterSourcePage(*page);
          AggregatePageBands bands;
          std::function<AggregateDataBand(TfrxDataBand*)> describe = [&](TfrxDataBand* band) {
            AggregateDataBand d;
            d.band = band;
            d.footer = state(band).footer;
            if (TfrxGroupHeader* group = state(band).group)
              for (TfrxBand* gh : state(group).subBands)
                if (state(gh).footer) d.groupFooters.append(state(gh).footer);
            for (TfrxBand* detail : state(band).subBands)
              if (auto* data = qobject_cast<TfrxDataBand*>(detail)) d.details.append(describe(data));
            return d;
          };
          for (TfrxDataBand* master : masters_.value(page)) bands.masters.append(describe(master));
          for (TfrxDataBand* master : verticalMasters_.value(page)) bands.verticalMasters.append(describe(master));
          for (TfrxComponent* object : page->Objects()) {
            auto* band = qobject_cast<TfrxBand*>(object);
            if (!band) continue;
            if (band->BandKindIndex() == 3) bands.pageFooter = band;
            if (band->BandKindIndex() == 16) bands.columnFooter = band;
            if (band->BandKindIndex() == 1) bands.reportSummary = band;
          }
          bands.homeBands = homeBands_;
          aggregates_->CollectPage(bands);
        }
        // 5.
        finalPass_ = !DoublePass();
        totalPages_ = 0;
        report_.RunState().finalPass = finalPass_;
        report_.RunState().totalPagesNo = 0;
        pages_.BeginPass();
        runReportPages();
        // 6.
        if (DoublePass() && !report_.Terminated()) {
          totalPages_ = pages_.Count();
          pages_.ClearFirstPass();
          aggregates_->ResetAll();
          finalPass_ = true;
          report_.RunState().finalPass = true;
          report_.RunState().totalPagesNo = totalPages_;
          runReportPages();
        }
        result = true;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result && report_.Errors().isEmpty();
}

void TfrxBandEngine::runReportPages() {
  firstReportPage_ = true;
  if (TfrxDataSet* set = report_.DataSet()) {
    set->First();
    while (!set->Eof() && !report_.Terminated()) {
      runAllPages();
      set->Next();
    }
  } else {
    runAllPages();
  }
}

void TfrxBandEngine::runAllPages() {
  for (TfrxReportPage* page : reportPages(report_)) {
    if (!page->Visible() || page->Subreport()) continue;
    runPage(*page);
    if (report_.Terminated()) break;
    firstReportPage_ = false;
  }
}

void TfrxBandEngine::runPage(TfrxReportPage& page) {
  if (page.Subreport()) {
    runBandList(masters_.value(&page));
    return;
  }
  firstBand_ = true;
  fireEvent(page.OnBeforePrint(), &page);
  if (TfrxDataSet* set = page.DataSet()) {
    set->First();
    while (!set->Eof() && !report_.Terminated()) {
      pageCopy(page);
      set->Next();
    }
  } else {
    for (int i = 0; i < page.PageCount() && !report_.Terminated(); ++i) pageCopy(page);
  }
  fireEvent(page.OnAfterPrint(), &page);
}

void TfrxBandEngine::pageCopy(TfrxReportPage& page) {
  // 1.
  if (!report_.EngineOptions()->PrintIfEmpty() && !pageHasRows(page)) return;
  // 2.
  pageStart(page);
  // 3. Views placed on the page itself go out in a band as large as the page.
  QList<TfrxView*> pageViews;
  for (TfrxComponent* object : page.Objects())
    if (auto* view = qobject_cast<TfrxView*>(object)) pageViews.append(view);
  if (!pageViews.isEmpty()) {
    auto holder = std::make_unique<TfrxNullBand>(&page);
    holder->SetBounds(0, 0, pageWidth_, pageHeight_);
    for (TfrxView* view : pageViews) view->SetParent(holder.get());
    const double y = curY_;
    try {
      showBandChain(holder.get());
    } catch (...) {
      for (TfrxView* view : pageViews) view->SetParent(&page);
      states_.remove(holder.get());
      throw;
    }
    curY_ = y;
    for (TfrxView* view : pageViews) view->SetParent(&page);
    states_.remove(holder.get());
  }
  // 4.
  if (!page.OnManualBuild().isEmpty()) fireEvent(page.OnManualBuild(), &page);
  else runBandList(masters_.value(&page));
  // 5.
  lastPage_ = true;
  try {
    if (page.EndlessHeight()) finishEndlessPage();
    pageEnd();
  } catch (...) {
    lastPage_ = false;
    throw;
  }
  lastPage_ = false;
}

bool TfrxBandEngine::pageHasRows(TfrxReportPage& page) {
  for (TfrxDataBand* master : masters_.value(&page))
    if (bandHasRows(*master)) return true;
  return false;
}

bool TfrxBandEngine::bandHasRows(TfrxDataBand& band) {
  fireEvent(band.OnMasterDetail(), &band);
  TfrxDataSet* set = state(&band).dataSet;
  if (!set) return false;
  set->First();
  int row = 1;
  while (!set->Eof() && !report_.Terminated()) {
    if (recordPasses(band)) return true;
    if (band.RowCount() != 0 && ++row > band.RowCount()) break;
    set->Next();
  }
  return false;
}

bool TfrxBandEngine::recordPasses(TfrxDataBand& band) {
  const BandState& s = state(&band);
  if (band.PrintIfDetailEmpty() || s.subBands.isEmpty()) return true;
  for (TfrxBand* detail : s.subBands)
    if (auto* data = qobject_cast<TfrxDataBand*>(detail); data && bandHasRows(*data)) return true;
  return false;
}

void TfrxBandEngine::pumpMessages() {
  if (!report_.NoPumping() && QCoreApplication::instance())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void TfrxBandEngine::runBandList(const QList<TfrxDataBand*>& bands) {
  pumpMessages();
  if (report_.Terminated()) return;
  for (TfrxDataBand* band : bands) {
    if (!state(band).dataSet) continue;
    runDataBand(*band);
    if (report_.Terminated()) break;
    firstBand_ = false;
  }
}

void TfrxBandEngine::runDataBand(TfrxDataBand& band) {
  BandState& s = state(&band);
  TfrxDataSet* set = s.dataSet;
  // 1.
  set->First();
  s.rowCounter = 1;
  s.runningRow = 1;
  setDataColumn(band, 1);
  ForgetRepeatedValues(band);
  bool first = true;
  bool keptForHeader = false;
  int shown = 0;
  // 2.
  while (!set->Eof()) {
    if (report_.Terminated()) break;
    if (recordPasses(band)) {
      // b.
      if (first) {
        if (band.KeepHeader() && s.header && !firstBand_ && !keeping_) {
          startKeeping(&band);
          keptForHeader = keeping_ && keepBand_ == &band;
          keepHeader_ = keptForHeader;
        }
        if (auto* header = qobject_cast<TfrxHeader*>(s.header); header && header->ReprintOnNewPage())
          (band.Vertical() ? vReprint_ : reprint_).append({header, pageColumnOffset_, false});
        showBandChain(s.header);
        if (band.KeepTogether()) startKeeping(&band);
      } else if (!s.group && band.KeepTogether()) {
        startKeeping(&band);
      }
      // c.
      if (s.group) {
        if (first) initGroups(band);
        else checkGroups(band);
      }
      // d.
      if (band.KeepFooter()) s.footerKeepPosition = pages_.ObjectCount();
      if (band.Columns() > 1 && s.currentColumn == 1) s.columnPosition = pages_.ObjectCount();
      // e.
      s.rowTop = curY_;
      setLines(s.rowCounter, s.runningRow);
      showBandChain(&band);
      for (const auto& listener : notifications_) listener(band);
      if (keptForHeader && first) {
        endKeeping(&band);
        keepHeader_ = false;
      }
      // f.
      drillPath_.append({band.Name(), s.runningRow});
      ++s.rowCounter;
      ++s.runningRow;
      placeDataColumns(band);
      const bool outlined = band.Visible() && !band.OutlineText().isEmpty();
      if (outlined) addOutline(band, band.OutlineText());
      QList<TfrxDataBand*> details;
      for (TfrxBand* detail : s.subBands)
        if (auto* data = qobject_cast<TfrxDataBand*>(detail)) details.append(data);
      if (!details.isEmpty()) runBandList(details);
      drillPath_.removeLast();
      if (outlined) pages_.OutlineUp();
      firstBand_ = false;
      if (band.FooterAfterEach()) showBandChain(s.footer);
      first = false;
      ++shown;
    }
    // g.
    if (!s.group && band.KeepTogether()) endKeeping(&band);
    // h.
    if (band.RowCount() != 0 && s.rowCounter > band.RowCount()) break;
    if (report_.Terminated()) break;
    set->Next();
  }
  // 3.
  if (band.Columns() > 1) {
    setDataColumn(band, band.Columns());
    placeDataColumns(band);
  }
  if (shown > 0) {
    if (s.group) showGroupFooters(band, 0);
    if (!band.FooterAfterEach() && s.footer) {
      keepFooter_ = true;
      const bool keep = band.KeepFooter() && !keeping_;
      if (keep) startKeeping(&band, s.footerKeepPosition);
      try {
        showBandChain(s.footer);
      } catch (...) {
        keepFooter_ = false;
        throw;
      }
      if (keep) endKeeping(&band);
      keepFooter_ = false;
    }
    QList<ReprintEntry>& reprint = band.Vertical() ? vReprint_ : reprint_;
    for (int i = reprint.size() - 1; i >= 0; --i)
      if (s.header && reprint[i].band == s.header) reprint.removeAt(i);
    if (s.group && band.KeepTogether()) endKeeping(&band);
  }
}

// --- Groups -------------------------------------------------------------------

void TfrxBandEngine::initGroups(TfrxDataBand& band) {
  const QList<TfrxBand*> chain = state(state(&band).group).subBands;
  for (TfrxBand* gh : chain) {
    BandState& gs = state(gh);
    gs.rowCounter = 1;
    gs.runningRow = 1;
    ForgetRepeatedValues(*gh);
  }
  applyDrillDown(band);
  showGroupHeadersFrom(band, 0);
}

void TfrxBandEngine::showGroupHeadersFrom(TfrxDataBand& band, int level) {
  const QList<TfrxBand*> chain = state(state(&band).group).subBands;
  for (int i = level; i < chain.size(); ++i) {
    auto* gh = static_cast<TfrxGroupHeader*>(chain[i]);
    BandState& gs = state(gh);
    setLines(gs.rowCounter, gs.runningRow);
    report_.SetCurrentObject(gh);
    gs.lastCondition = report_.CalcVariant(gh->Condition());
    if (gh->KeepTogether()) startKeeping(gh);
    showBandChain(gh);
    gs.printSubreportsOnParent = false;
    const bool outlined = gh->Visible() && !gh->OutlineText().isEmpty();
    if (outlined) addOutline(*gh, gh->OutlineText());
    // Remembered so that the footers leave exactly the levels entered.
    gs.outlined = outlined;
    if (gh->ReprintOnNewPage()) (gh->Vertical() ? vReprint_ : reprint_).append({gh, pageColumnOffset_, keeping_});
  }
}

void TfrxBandEngine::checkGroups(TfrxDataBand& band) {
  BandState& s = state(&band);
  const QList<TfrxBand*> chain = state(s.group).subBands;
  applyDrillDown(band);
  for (int level = 0; level < chain.size(); ++level) {
    auto* gh = static_cast<TfrxGroupHeader*>(chain[level]);
    report_.SetCurrentObject(gh);
    const Variant value = report_.CalcVariant(gh->Condition());
    if (script::VarEquals(value, state(gh).lastCondition)) continue;
    if (band.Columns() > 1) {
      setDataColumn(band, band.Columns());
      placeDataColumns(band);
    }
    // The footers belong to the group just ended: they see its last record.
    bool stepped = false;
    try {
      s.dataSet->Prior();
      stepped = true;
    } catch (...) {
    }
    showGroupFooters(band, level);
    if (stepped) s.dataSet->Next();
    ++state(gh).rowCounter;
    for (int i = level; i < chain.size(); ++i) {
      if (i > level) state(chain[i]).rowCounter = 1;
      ++state(chain[i]).runningRow;
    }
    // The groups just opened have names of their own: their rows follow
    // their own drill-down state, not the one of the groups that ended.
    applyDrillDown(band);
    showGroupHeadersFrom(band, level);
    s.rowCounter = 1;
    ForgetRepeatedValues(band);
    break;
  }
}

void TfrxBandEngine::showGroupFooters(TfrxDataBand& band, int downToLevel) {
  const QList<TfrxBand*> chain = state(state(&band).group).subBands;
  for (int i = chain.size() - 1; i >= downToLevel; --i) {
    auto* gh = static_cast<TfrxGroupHeader*>(chain[i]);
    BandState& gs = state(gh);
    if (TfrxBand* footer = gs.footer) {
      auto* gf = qobject_cast<TfrxGroupFooter*>(footer);
      if (gf && gf->HideIfSingleDataRecord() && state(&band).rowCounter < 3) aggregates_->ResetPrinted(footer);
      else showBandChain(footer);
    }
    if (gs.outlined) pages_.OutlineUp();
    gs.outlined = false;
    QList<ReprintEntry>& reprint = gh->Vertical() ? vReprint_ : reprint_;
    for (int r = reprint.size() - 1; r >= 0; --r)
      if (reprint[r].band == gh) reprint.removeAt(r);
    if (gh->KeepTogether()) endKeeping(gh);
  }
}

void TfrxBandEngine::applyDrillDown(TfrxDataBand& band) {
  const QList<TfrxBand*> chain = state(state(&band).group).subBands;
  if (chain.isEmpty()) return;
  auto* firstHeader = static_cast<TfrxGroupHeader*>(chain.first());
  QString path;
  for (const auto& entry : drillPath_) path += entry.first + u'.' + QString::number(entry.second) + u'.';
  for (int i = 0; i < chain.size(); ++i) {
    auto* gh = static_cast<TfrxGroupHeader*>(chain[i]);
    if (!gh->DrillDown()) continue;
    const QString name = path + gh->Name() + u'.' + QString::number(state(gh).runningRow);
    gh->SetDrillName(name);
    // The preview keeps the names of the headers a user opened; a run
    // without a preview starts with none opened.
    const bool listed = report_.ExpandedDrillNames().contains(name);
    const bool expanded = gh->ExpandDrillDown() ? !listed : listed;
    if (gh->Child() && !firstHeader->ShowChildIfDrillDown()) gh->Child()->SetVisible(expanded);
    for (int j = i + 1; j < chain.size(); ++j) {
      chain[j]->SetVisible(expanded);
      if (TfrxBand* footer = state(chain[j]).footer) footer->SetVisible(expanded);
    }
    band.SetVisible(expanded);
    if (TfrxBand* footer = state(gh).footer; footer && !gh->ShowFooterIfDrillDown()) footer->SetVisible(expanded);
    if (!expanded) break;
  }
}

// --- Events, lines, outline ---------------------------------------------------------

void TfrxBandEngine::fireEvent(const QString& procedure, QObject* sender) {
  if (procedure.isEmpty()) return;
  report_.Script().CallRoutine(procedure, Variant::FromArray(script::VariantArray::Of({Variant::FromObject(sender)})));
}

void TfrxBandEngine::setLines(int line, int running) {
  currentLine_ = line;
  runningLine_ = running;
  report_.RunState().line = line;
  report_.RunState().lineThrough = running;
}

void TfrxBandEngine::updatePageVariables() {
  TfrxRunState& run = report_.RunState();
  run.pageNo = pages_.CurrentPage() + 1;
  run.page = pages_.LogicalPageNumber();
  run.totalPages = pages_.LogicalTotalPages();
  run.totalPagesNo = totalPages_;
  run.finalPass = finalPass_;
}

void TfrxBandEngine::addOutline(TfrxBand& band, const QString& outlineText) {
  report_.SetCurrentObject(&band);
  const QString text = report_.CalcVariant(outlineText).ToString();
  const double height = band.Stretched() ? state(&band).stretchedHeight : band.Height();
  pages_.OutlineAdd(text, std::round(curY_ - height));
}

void TfrxBandEngine::addPageOutline() {
  if (!page_ || page_->OutlineText().isEmpty()) return;
  pages_.OutlineRoot();
  report_.SetCurrentObject(page_);
  pages_.OutlineAdd(report_.CalcVariant(page_->OutlineText()).ToString(), 0);
}

// --- Script-facing ------------------------------------------------------------------

void TfrxBandEngine::StopReport() { report_.SetTerminated(true); }

void TfrxBandEngine::AddAnchor(const QString& text) { pages_.AddAnchor(text, std::round(curY_)); }

int TfrxBandEngine::GetAnchorPage(const QString& text) { return pages_.AnchorPage(text); }


void TfrxBandEngine::ShowBand(TfrxBand* band) { showBandChain(band); }

void TfrxBandEngine::ShowBandOfClass(const QString& className) {
  if (!page_) return;
  for (TfrxComponent* object : page_->Objects())
    if (auto* band = qobject_cast<TfrxBand*>(object); band && band->ClassName() == className) {
      showBandChain(band);
      return;
    }
}

QVariant TfrxBandEngine::State(const QString& name) {
  const QString key = name.toLower();
  const double start = report_.RunState().startDateTime;
  if (key == u"curx") return curX_;
  if (key == u"cury") return curY_;
  if (key == u"curcolumn") return curColumn_;
  if (key == u"curvcolumn") return curVColumn_;
  if (key == u"pageheight") return PageHeight();
  if (key == u"pagewidth") return pageWidth_;
  if (key == u"doublepass") return DoublePass();
  if (key == u"finalpass") return finalPass_;
  if (key == u"totalpages") return totalPages_;
  // Dates as days since 30 December 1899.
  if (key == u"startdate") return std::floor(start);
  if (key == u"starttime") return start - std::floor(start);
  if (key == u"secondscriptcall") return secondScriptCall_;
  return {};
}

void TfrxBandEngine::SetState(const QString& name, const QVariant& value) {
  const QString key = name.toLower();
  if (key == u"curx") curX_ = value.toDouble();
  else if (key == u"cury") curY_ = value.toDouble();
}

bool TfrxBandEngine::Overflow(const TfrxBand& band) const {
  const auto it = states_.constFind(&band);
  return it != states_.constEnd() && (*it)->overflow;
}

}  // namespace valmoro::report::engine
