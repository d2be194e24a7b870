// The band tree of a report page (which header, footer, group and detail
// bands belong to which data band), its error messages, the data-set
// conflicts that refuse a run, and the shift tree of each band (which views
// move down when a view above them grows).

#include <algorithm>

#include "report/engine/engine_state.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

namespace valmoro::report::engine {

namespace {

bool isDataBand(const TfrxBand* band) {
  const int kind = band->BandKindIndex();
  return kind >= 6 && kind <= 11 && qobject_cast<const TfrxDataBand*>(band);
}

constexpr double kEpsilon = 1e-4;

}  // namespace

QList<TfrxView*> BandViews(const TfrxBand& band) {
  QList<TfrxView*> views;
  for (TfrxComponent* object : band.Objects())
    if (auto* view = qobject_cast<TfrxView*>(object)) views.append(view);
  return views;
}

TfrxBandEngine::BandState& TfrxBandEngine::state(const TfrxBand* band) {
  auto it = states_.find(band);
  if (it != states_.end()) return **it;
  stateStore_.push_back(std::make_unique<BandState>());
  BandState* s = stateStore_.back().get();
  s->band = const_cast<TfrxBand*>(band);
  states_.insert(band, s);
  return *s;
}

void TfrxBandEngine::SortByPosition(QList<TfrxBand*>& bands, bool vertical) {
  // By the numbers themselves: as two-decimal texts "100.00" would sort
  // before "20.00".
  std::stable_sort(bands.begin(), bands.end(), [vertical](const TfrxBand* a, const TfrxBand* b) {
    return vertical ? a->Left() < b->Left() : a->Top() < b->Top();
  });
}

void TfrxBandEngine::buildShiftTree(TfrxBand& band) {
  BandState& s = state(&band);
  if (s.shiftBuilt) return;
  s.shiftBuilt = true;
  QList<TfrxView*> views = BandViews(band);
  std::stable_sort(views.begin(), views.end(),
                   [](const TfrxView* a, const TfrxView* b) { return a->Top() < b->Top(); });
  s.nodes.clear();
  s.nodes.resize(size_t(views.size()) + 1);
  // The root spans the band and every view sideways, above them all.
  double left = 0, right = band.Width();
  for (const TfrxView* v : views) {
    left = std::min(left, v->Left());
    right = std::max(right, v->Left() + v->Width());
  }
  struct Box {
    double top, bottom, left, right;
  };
  std::vector<Box> boxes;
  boxes.push_back({-1e9, -1e9, left - 1, right + 1});
  for (int i = 0; i < views.size(); ++i) {
    s.nodes[size_t(i) + 1].view = views[i];
    const TfrxView* v = views[i];
    boxes.push_back({v->Top(), v->Top() + v->Height(), v->Left(), v->Left() + v->Width()});
  }
  const size_t n = boxes.size();
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = a + 1; b < n; ++b) {
      const Box& A = boxes[a];
      const Box& B = boxes[b];
      if (!(A.top < B.top)) continue;
      if (A.bottom > B.top + kEpsilon) continue;  // they overlap vertically
      const double hl = std::max(A.left, B.left), hr = std::min(A.right, B.right);
      if (!(hl < hr)) continue;  // no horizontal overlap
      bool blocked = false;
      for (size_t c = a + 1; c < b && !blocked; ++c) {
        const Box& C = boxes[c];
        const bool between = C.top >= A.bottom - kEpsilon && C.bottom <= B.top + kEpsilon;
        blocked = between && C.left < hr && hl < C.right;
      }
      if (!blocked) s.nodes[a].children.push_back(int(b));
    }
  }
}

void TfrxBandEngine::buildBandTree(TfrxReportPage& page, bool vertical) {
  QList<TfrxDataBand*>& masters = vertical ? verticalMasters_[&page] : masters_[&page];
  masters.clear();
  QList<TfrxBand*> bands;
  for (TfrxComponent* object : page.Objects()) {
    auto* band = qobject_cast<TfrxBand*>(object);
    if (!band || band->Vertical() != vertical || qobject_cast<TfrxNullBand*>(band)) continue;
    BandState& s = state(band);
    s.subBands.clear();
    s.header = s.footer = nullptr;
    s.group = nullptr;
    s.hasVertical = false;
    if (!vertical) moveIntoVerticalBands(page, *band);
    s.shiftBuilt = false;
    buildShiftTree(*band);
    s.dataSet = nullptr;
    s.sorted.reset();
    if (auto* data = qobject_cast<TfrxDataBand*>(band)) {
      s.dataSet = data->DataSet();
      if (!s.dataSet && data->RowCount() > 0) {
        s.dataSet = data->VirtualDataSet();
        s.dataSet->SetRangeEndCount(data->RowCount());
      }
      if (s.dataSet && !data->SortKeys().isEmpty()) {
        s.sorted = std::make_unique<SortedRows>(*s.dataSet, report_, *data);
        s.dataSet = s.sorted.get();
      }
    }
    if (band->BandKindIndex() >= 4 && band->BandKindIndex() <= 13) bands.append(band);
  }
  SortByPosition(bands, vertical);
  QStringList& errors = report_.Errors();

  // Groups.
  QList<TfrxBand*> list = bands;
  for (int i = 0; i < list.size(); ++i) {
    auto* gh = qobject_cast<TfrxGroupHeader*>(list[i]);
    if (!gh) continue;
    BandState& gs = state(gh);
    gs.subBands.append(gh);
    int j = i + 1;
    while (j < list.size() && qobject_cast<TfrxGroupHeader*>(list[j])) gs.subBands.append(list[j++]);
    TfrxBand* data = nullptr;
    for (int k = j; k < list.size() && !data; ++k)
      if (isDataBand(list[k])) data = list[k];
    if (data) state(data).group = gh;
    else errors.append(QStringLiteral("Brak wstęgi danych dla grupy ") + gh->Name());
    i = j - 1;
  }
  QList<TfrxBand*> unpaired;
  QList<TfrxBand*> rest;
  for (TfrxBand* band : list) {
    if (qobject_cast<TfrxGroupHeader*>(band)) {
      unpaired.append(band);
    } else if (qobject_cast<TfrxGroupFooter*>(band)) {
      if (unpaired.isEmpty()) errors.append(QStringLiteral("Brak nagłówka grupy dla ") + band->Name());
      else state(unpaired.takeLast()).footer = band;
    } else {
      rest.append(band);
    }
  }

  // Headers and footers.
  list.clear();
  for (int i = 0; i < rest.size(); ++i) {
    TfrxBand* band = rest[i];
    if (band->BandKindIndex() == 4 && i + 1 < rest.size() && isDataBand(rest[i + 1])) {
      state(rest[i + 1]).header = band;
      continue;
    }
    if (band->BandKindIndex() == 5 && i > 0 && isDataBand(rest[i - 1])) {
      state(rest[i - 1]).footer = band;
      continue;
    }
    if (band->BandKindIndex() == 4 || band->BandKindIndex() == 5) {
      errors.append(QStringLiteral("Niepołączony nagłówek/stopka ") + band->Name());
      continue;
    }
    list.append(band);
  }

  // Nesting of data bands.
  std::function<void(TfrxBand*, int)> nest = [&](TfrxBand* parent, int at) {
    while (at < list.size() && list[at]->BandKindIndex() > parent->BandKindIndex()) {
      TfrxBand* child = list[at];
      if (child->BandKindIndex() != parent->BandKindIndex() + 1 || !isDataBand(child)) {
        ++at;
        continue;
      }
      list.removeAt(at);
      if (!state(child).dataSet) continue;
      if (state(parent).dataSet) state(parent).subBands.append(child);
      nest(child, at);
    }
  };
  for (int i = 0; i < list.size();) {
    TfrxBand* band = list[i];
    if (isDataBand(band) && !state(band).dataSet) {
      list.removeAt(i);
    } else if (qobject_cast<TfrxMasterData*>(band)) {
      masters.append(static_cast<TfrxDataBand*>(band));
      list.removeAt(i);
      nest(band, i);
    } else {
      ++i;
    }
  }
  for (TfrxBand* band : list) errors.append(QStringLiteral("Nieprawidłowa pozycja wstęgi: ") + band->Name());
}

void TfrxBandEngine::checkDataSetConflicts() {
  TfrxDataSet* reportSet = report_.DataSet();
  QStringList& errors = report_.Errors();
  for (TfrxComponent* object : report_.Objects()) {
    auto* page = qobject_cast<TfrxReportPage*>(object);
    if (!page) continue;
    if (reportSet && reportSet == page->DataSet()) {
      errors.append(QStringLiteral("Cannot use the same dataset for Report.DataSet and Page.DataSet"));
      return;
    }
    for (TfrxDataBand* master : masters_.value(page)) {
      TfrxDataSet* set = master->DataSet();
      if (!set) continue;
      if (set == reportSet) {
        errors.append(QStringLiteral("Cannot use the same dataset for Report.DataSet and Band.DataSet"));
        break;
      }
      if (set == page->DataSet()) {
        errors.append(QStringLiteral("Cannot use the same dataset for Page.DataSet and Band.DataSet"));
        break;
      }
    }
  }
}

}  // namespace valmoro::report::engine
