#pragma once
// A page store that writes down what the band engine put where (each band
// with the texts of its text views), and a report with a small data set to
// build test layouts from.

#include <gtest/gtest.h>

#include <QHash>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>
#include <ostream>
#include <memory>
#include <vector>

#include "platform/dialogs.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/run/install.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace valmoro::report::testing {

struct Placed {
  QString name;  // band name
  int kind = 0;
  const TfrxBand* source = nullptr;
  double left = 0, top = 0, height = 0;
  // "View=text" of every visible text view, in order.
  QStringList texts;
  // Top and height of every visible view by name.
  QHash<QString, QPair<double, double>> boxes;
  // Left of every visible text view, in the order of texts.
  QList<double> textLefts;
};

struct Outlined {
  QString text;
  int page = 0;
  double top = 0;
  int level = 0;
};

class RecordingStore : public engine::PageStore {
public:
  std::vector<std::vector<Placed>> pages;
  std::vector<Placed> cut;
  std::vector<Outlined> outline;
  std::vector<Outlined> anchors;
  std::vector<std::pair<double, double>> sizes;  // height, width per StorePageSize
  int current = -1;
  int firstOfRun = 0;
  int sections = 0;
  int level = 0;
  bool writeOver = false;
  int passStart = 0;

  void InitRun(TfrxReport&) override {}
  void RegisterSourcePage(TfrxReportPage&) override {}
  void BeginPass() override { passStart = int(pages.size()); }
  void ClearFirstPass() override {
    pages.resize(size_t(passStart));
    outline.clear();
    current = passStart - 1;
  }
  void Finish() override {}
  void AddPage(TfrxReportPage&) override {
    ++current;
    if (writeOver && current < int(pages.size())) return;
    pages.emplace_back();
    current = int(pages.size()) - 1;
  }
  void SetWriteOver(bool value) override { writeOver = value; }
  int Count() override { return int(pages.size()); }
  int CurrentPage() override { return current; }
  void SetCurrentPage(int index) override { current = index; }
  void SetFirstPageOfRun() override { firstOfRun = current; }
  void AppendBand(TfrxBand& band) override {
    if (!band.Visible()) return;
    Placed p{band.Name(), band.BandKindIndex(), &band, band.Left(), band.Top(), band.Height(), {}, {}, {}};
    for (TfrxComponent* object : band.AllObjects())
      if (auto* view = qobject_cast<TfrxView*>(object); view && view->Visible())
        p.boxes.insert(view->Name(), {view->Top(), view->Height()});
    for (TfrxComponent* object : band.AllObjects())
      if (auto* memo = qobject_cast<TfrxCustomMemoView*>(object); memo && memo->Visible())
      {
        p.texts.append(memo->Name() + u'=' + memo->Text());
        p.textLefts.append(memo->Left());
      }
    pages.at(size_t(current)).push_back(p);
  }
  int ObjectCount() override { return int(pages.at(size_t(current)).size()); }
  int CutFrom(int index) override {
    auto& page = pages.at(size_t(current));
    cut.assign(page.begin() + std::min<size_t>(size_t(index), page.size()), page.end());
    page.resize(std::min<size_t>(size_t(index), page.size()));
    return int(page.size());
  }
  void Paste(double y, double x) override {
    if (cut.empty()) return;
    const double l0 = cut.front().left, t0 = cut.front().top;
    for (Placed& p : cut) {
      p.left += x - l0;
      p.top += y - t0;
      pages.at(size_t(current)).push_back(p);
    }
    cut.clear();
  }
  double LowestBottom(double x) override {
    double lowest = 0;
    for (const Placed& p : pages.at(size_t(current))) {
      if (p.kind == 3 || p.kind == 17) continue;
      if (x != 0 && std::abs(p.left - x) > 0.001 && p.kind != 2 && p.kind != 0) continue;
      lowest = std::max(lowest, p.top + p.height);
    }
    return lowest;
  }
  bool BandOnPage(TfrxBand& band) override {
    for (const Placed& p : pages.at(size_t(current)))
      if (p.source == &band || (p.kind == band.BandKindIndex() && (p.kind == 3 || p.kind == 16))) return true;
    return false;
  }
  void StorePageSize(TfrxReportPage&, double height, double width) override { sizes.emplace_back(height, width); }
  void CloseLogicalSection() override { ++sections; }
  int LogicalPageNumber() override { return current + 1; }
  int LogicalTotalPages() override { return 0; }
  void AddAnchor(const QString& text, double top) override { anchors.push_back({text, current, top, 0}); }
  int AnchorCount() override { return int(anchors.size()); }
  void ShiftAnchors(int from, double newTop, bool nextPage) override {
    if (from + 1 >= int(anchors.size())) return;
    const double d = newTop - anchors[size_t(from) + 1].top;
    for (size_t i = size_t(from) + 1; i < anchors.size(); ++i) {
      anchors[i].top += d;
      if (nextPage) ++anchors[i].page;
    }
  }
  int AnchorPage(const QString& text) override {
    for (auto it = anchors.rbegin(); it != anchors.rend(); ++it)
      if (it->text == text) return it->page + 1;
    return 1;
  }
  void OutlineAdd(const QString& text, double top) override {
    outline.push_back({text, current, top, level});
    ++level;
  }
  void OutlineRoot() override { level = 0; }
  void OutlineUp() override {
    if (level > 0) --level;
  }
  int OutlinePosition() override { return int(outline.size()) - 1; }
  void OutlineShift(int from, double newTop, bool nextPage) override {
    if (from + 1 >= int(outline.size())) return;
    const double d = newTop - outline[size_t(from) + 1].top;
    for (size_t i = size_t(from) + 1; i < outline.size(); ++i) {
      outline[i].top += d;
      if (nextPage) ++outline[i].page;
    }
  }

  // Bands of a page named so (all when empty), in output order.
  std::vector<Placed> bands(int page, const QString& name = {}) const {
    std::vector<Placed> found;
    for (const Placed& p : pages.at(size_t(page)))
      if (name.isEmpty() || p.name == name) found.push_back(p);
    return found;
  }
  int count(const QString& name) const {
    int n = 0;
    for (const auto& page : pages)
      for (const Placed& p : page) n += p.name == name;
    return n;
  }
  // "Band:text|text" lines of every page, for whole-layout comparisons.
  QStringList names(int page) const {
    QStringList out;
    for (const Placed& p : pages.at(size_t(page))) out.append(p.name);
    return out;
  }
};

// A4 portrait with 10 mm margins, a data set "D" whose rows are given as
// maps, and helpers to add bands and text views.
struct EngineFixture : ::testing::Test {
  EngineFixture() {
    installReportSubsystem();
    data = new TfrxUserDataSet();
    data->SetUserName("D");
    data->SetRangeEnd(reCount);
    data->OnGetValue = [this](const QString& field, QVariant& value) {
      value = rows.value(data->RecNo()).value(field);
    };
    report.DataSets()->Add(data);
    report.EngineOptions()->SetNewSilentMode(simReThrow);
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    page->SetPaperSize(9);
    page->SetLeftMargin(10);
    page->SetRightMargin(10);
    page->SetTopMargin(10);
    page->SetBottomMargin(10);
  }
  ~EngineFixture() override { delete data; }

  void setRows(const QList<QVariantMap>& values) {
    rows = values;
    QStringList fields;
    if (!rows.isEmpty()) fields = rows.first().keys();
    data->SetFields(fields);
    data->SetRangeEndCount(int(rows.size()));
  }

  template <class Band>
  Band* band(const QString& name, double top, double height, TfrxComponent* parent = nullptr) {
    auto* b = new Band(parent ? parent : page);
    b->SetName(name);
    b->SetBounds(0, top, 718.1107, height);
    return b;
  }
  TfrxMemoView* memo(TfrxBand* band, const QString& name, const QString& text, double top = 0, double height = 0,
                     double left = 0, double width = 200) {
    auto* view = new TfrxMemoView(band);
    view->SetName(name);
    view->SetText(text);
    view->SetBounds(left, top, width, height > 0 ? height : band->Height());
    return view;
  }

  // Prepares into the recording store; the error list is returned as one text.
  bool run() {
    store = std::make_unique<RecordingStore>();
    report.Errors().clear();
    if (!report.PrepareScript()) return false;
    engine::TfrxBandEngine engine(report, *store);
    return engine.Run();
  }

  dialogs::RecordingScope recording;
  TfrxReport report;
  TfrxUserDataSet* data;
  TfrxReportPage* page;
  QList<QVariantMap> rows;
  std::unique_ptr<RecordingStore> store;
};

// Printable height of A4 with 10 mm margins, as the engine computes it.
inline constexpr double kA4PrintableHeight = (297.0 - 20.0) * engine::kPixelsPerMm;

}  // namespace valmoro::report::testing
