// The band tree and what the engine does with it: layout errors, data-set
// conflicts, groups with their footers and totals, master-detail, and views
// that grow, move and split across pages.

#include "tests/report/engine_support.h"

#include <algorithm>

#include "report/engine/sorted_rows.h"
#include "report/model/report_error.h"

namespace valmoro::report {
namespace {

using testing::EngineFixture;
using testing::kA4PrintableHeight;

struct EngineBands : EngineFixture {};

TEST_F(EngineBands, LayoutErrorsRefuseTheRun) {
  auto* gh = band<TfrxGroupHeader>("GroupHeader1", 400, 20);
  (void)gh;
  auto* gf = band<TfrxGroupFooter>("GroupFooter2", 10, 20);
  (void)gf;
  auto* header = band<TfrxHeader>("Header1", 350, 20);
  (void)header;
  auto* detail = band<TfrxDetailData>("DetailData1", 300, 20);
  detail->SetRowCount(2);
  EXPECT_FALSE(run());
  EXPECT_EQ(report.Errors(), (QStringList{"Brak wstęgi danych dla grupy GroupHeader1",
                                          "Brak nagłówka grupy dla GroupFooter2",
                                          "Niepołączony nagłówek/stopka Header1",
                                          "Nieprawidłowa pozycja wstęgi: DetailData1"}));
  EXPECT_EQ(store->Count(), 0);
}

TEST_F(EngineBands, BandsAreOrderedByTheirNumericTop) {
  // 100 above 20 as text, below it as a number: the header must still be
  // found directly above its data band.
  auto* header = band<TfrxHeader>("Header1", 20, 20);
  memo(header, "H", "nagłówek");
  auto* master = band<TfrxMasterData>("MasterData1", 100, 20);
  master->SetRowCount(2);
  auto* footer = band<TfrxFooter>("Footer1", 1000, 20);
  (void)footer;
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(store->names(0), (QStringList{"Header1", "MasterData1", "MasterData1", "Footer1"}));
}

TEST_F(EngineBands, SameDataSetTwiceIsRefused) {
  setRows({{{"N", 1}}});
  auto* master = band<TfrxMasterData>("MasterData1", 100, 20);
  master->SetDataSet(data);
  report.SetDataSet(data);
  EXPECT_FALSE(run());
  EXPECT_EQ(report.Errors(), QStringList{"Cannot use the same dataset for Report.DataSet and Band.DataSet"});
  report.SetDataSet(nullptr);
  page->SetDataSet(data);
  EXPECT_FALSE(run());
  EXPECT_EQ(report.Errors(), QStringList{"Cannot use the same dataset for Page.DataSet and Band.DataSet"});
  report.SetDataSet(data);
  EXPECT_FALSE(run());
  EXPECT_EQ(report.Errors(), QStringList{"Cannot use the same dataset for Report.DataSet and Page.DataSet"});
}

struct EngineGroups : EngineFixture {
  EngineGroups() {
    const QList<QPair<QString, int>> values = {{"A", 1}, {"A", 2}, {"B", 3}, {"C", 4}, {"C", 5}, {"C", 6}};
    QList<QVariantMap> list;
    for (const auto& [g, v] : values) list.append({{"G", g}, {"V", v}});
    setRows(list);
    header = band<TfrxGroupHeader>("GroupHeader1", 10, 20);
    header->SetCondition("D.\"G\"");
    memo(header, "GH", "Grupa [D.\"G\"]");
    master = band<TfrxMasterData>("MasterData1", 40, 20);
    master->SetDataSet(data);
    memo(master, "R", "[D.\"V\"] [Line]");
    footer = band<TfrxGroupFooter>("GroupFooter1", 70, 20);
    memo(footer, "GF", "Suma [D.\"G\"]: [SUM(<D.\"V\">,MasterData1)]");
  }
  QStringList lines() const {
    QStringList out;
    for (const auto& p : store->bands(0)) out.append(p.texts.join(u'|'));
    return out;
  }
  TfrxGroupHeader* header;
  TfrxMasterData* master;
  TfrxGroupFooter* footer;
};

TEST_F(EngineGroups, HeaderPerRunOfEqualValuesAndFooterWithTotal) {
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "R=1 1", "R=2 2", "GF=Suma A: 3", "GH=Grupa B", "R=3 1",
                                  "GF=Suma B: 3", "GH=Grupa C", "R=4 1", "R=5 2", "R=6 3", "GF=Suma C: 15"}));
  EXPECT_DOUBLE_EQ(store->bands(0, "GroupHeader1").at(1).top, 80);
}

TEST_F(EngineGroups, SingleRecordGroupHidesItsFooterButTotalsRestart) {
  footer->SetHideIfSingleDataRecord(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "R=1 1", "R=2 2", "GF=Suma A: 3", "GH=Grupa B", "R=3 1",
                                  "GH=Grupa C", "R=4 1", "R=5 2", "R=6 3", "GF=Suma C: 15"}));
}

TEST_F(EngineGroups, OutlineFollowsGroupsAndRows) {
  header->SetOutlineText("D.\"G\"");
  master->SetOutlineText("'wiersz ' + IntToStr(<D.\"V\">)");
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  QStringList outline;
  for (const auto& item : store->outline) outline.append(QString(item.level, u' ') + item.text);
  EXPECT_EQ(outline, (QStringList{"A", " wiersz 1", " wiersz 2", "B", " wiersz 3", "C", " wiersz 4", " wiersz 5",
                                  " wiersz 6"}));
  EXPECT_DOUBLE_EQ(store->outline.at(1).top, 20);
}

TEST_F(EngineGroups, KeepTogetherMovesAWholeGroupToTheNextPage) {
  // Pushes the groups down so that group C starts near the page end.
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 820);
  (void)title;
  header->SetKeepTogether(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  // 820 + A (20 + 40 + 20) + B (20 + 20 + 20) = 960; C needs 100 of the
  // 86.9 left and would break before its footer; kept, it starts the second
  // page whole.
  EXPECT_EQ(store->bands(1, "GroupHeader1").size(), 1u);
  EXPECT_EQ(store->bands(1, "MasterData1").size(), 3u);
  EXPECT_DOUBLE_EQ(store->bands(1, "GroupHeader1").at(0).top, 0);
  EXPECT_DOUBLE_EQ(store->bands(1, "GroupFooter1").at(0).top, 80);
  EXPECT_EQ(store->bands(1, "GroupFooter1").at(0).texts, QStringList{"GF=Suma C: 15"});
  header->SetKeepTogether(false);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->bands(0, "GroupHeader1").size(), 3u);
}

TEST_F(EngineGroups, ReprintedGroupHeaderOnANewPage) {
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 1000);
  (void)title;
  header->SetReprintOnNewPage(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  // Group A's header and first row fill the first page; the header comes
  // again above the rest of the group.
  ASSERT_GE(store->bands(1, "GroupHeader1").size(), 1u);
  EXPECT_EQ(store->bands(1, "GroupHeader1").at(0).texts, QStringList{"GH=Grupa A"});
  EXPECT_DOUBLE_EQ(store->bands(1, "GroupHeader1").at(0).top, 0);
  EXPECT_EQ(store->bands(1).at(1).texts, QStringList{"R=2 2"});
}

TEST_F(EngineGroups, DrillDownShowsOnlyTheHeadersTheUserOpened) {
  header->SetDrillDown(true);
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  // Collapsed: every group is its header alone.
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GH=Grupa B", "GH=Grupa C"})) << lines().join(u'|').toStdString();
  EXPECT_EQ(header->DrillName(), "GroupHeader1.3");
  EXPECT_DOUBLE_EQ(store->bands(0, "GroupHeader1").at(2).top, 40);

  // The preview lists the names of opened groups: B opens with its footer.
  report.ExpandedDrillNames() = {"GroupHeader1.2"};
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GH=Grupa B", "R=3 1", "GF=Suma B: 3", "GH=Grupa C"})) << lines().join(u'|').toStdString();

  // A footer kept for collapsed groups sums the hidden rows when its total
  // counts invisible bands. (The runs above left it hidden as the last
  // group was closed.)
  header->SetShowFooterIfDrillDown(true);
  footer->SetVisible(true);
  auto* total = qobject_cast<TfrxMemoView*>(report.FindObject("GF"));
  ASSERT_NE(total, nullptr);
  total->SetText("Suma [D.\"G\"]: [SUM(<D.\"V\">,MasterData1,1)]");
  report.ExpandedDrillNames().clear();
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GF=Suma A: 3", "GH=Grupa B", "GF=Suma B: 3", "GH=Grupa C",
                                  "GF=Suma C: 15"})) << lines().join(u'|').toStdString();

  // Opened by default: a listed name now closes its group.
  header->SetShowFooterIfDrillDown(false);
  header->SetExpandDrillDown(true);
  report.ExpandedDrillNames() = {"GroupHeader1.1", "GroupHeader1.3"};
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GH=Grupa B", "R=3 1", "GF=Suma B: 3", "GH=Grupa C"})) << lines().join(u'|').toStdString();
}

TEST_F(EngineGroups, InnerDrillDownGroupsOpenInsideOpenedOuterOnes) {
  // P is half of V, rounded down: 0 1 1 2 2 3.
  const QList<QPair<QString, int>> values = {{"A", 1}, {"A", 2}, {"B", 3}, {"C", 4}, {"C", 5}, {"C", 6}};
  QList<QVariantMap> list;
  for (const auto& [g, v] : values) list.append({{"G", g}, {"V", v}, {"P", v / 2}});
  setRows(list);
  auto* inner = band<TfrxGroupHeader>("GroupHeader2", 25, 10);
  inner->SetCondition("D.\"P\"");
  inner->SetDrillDown(true);
  memo(inner, "GH2", "[D.\"P\"]");
  header->SetDrillDown(true);
  header->SetExpandDrillDown(true);
  report.ExpandedDrillNames() = {"GroupHeader1.2"};
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  // A and C open by default with their inner groups closed; B closed. The
  // one footer closes the inner group, so it goes with the inner rows.
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GH2=0", "GH2=1", "GH=Grupa B", "GH=Grupa C", "GH2=2", "GH2=3"})) << lines().join(u'|').toStdString();
  EXPECT_EQ(inner->DrillName(), "GroupHeader2.5");
  report.ExpandedDrillNames().append("GroupHeader2.4");
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "GH2=0", "GH2=1", "GH=Grupa B", "GH=Grupa C", "GH2=2", "R=4 1",
                                  "R=5 2", "GF=Suma C: 9", "GH2=3"})) << lines().join(u'|').toStdString();
}

TEST_F(EngineGroups, GroupStartingANewPageCanRestartPageNumbers) {
  header->SetStartNewPage(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 3);
  EXPECT_EQ(store->sections, 0);
  header->SetResetPageNumbers(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 3);
  // A section closes before groups B and C, not before the first group.
  EXPECT_EQ(store->sections, 2);
  page->SetResetPageNumbers(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(store->sections, 3);
}

// The log comes newest first, so equal values do not follow each other:
// sort keys bring them together for the groups.
struct EngineSortedGroups : EngineGroups {
  EngineSortedGroups() {
    const QList<QPair<QString, int>> values = {{"B", 1}, {"A", 2}, {"C", 3}, {"A", 4}, {"B", 5}, {"C", 6}};
    QList<QVariantMap> list;
    for (const auto& [g, v] : values) list.append({{"G", g}, {"V", v}});
    setRows(list);
  }
};

TEST_F(EngineSortedGroups, WithoutKeysTheRowsKeepTheirOrder) {
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(store->count("GroupHeader1"), 6);
  EXPECT_EQ(lines().first(), "GH=Grupa B");
}

TEST_F(EngineSortedGroups, OneGroupPerValueRowsOfAGroupInTheirOrder) {
  master->SetSortExpressions({"D.\"G\""});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa A", "R=2 1", "R=4 2", "GF=Suma A: 6", "GH=Grupa B", "R=1 1", "R=5 2",
                                  "GF=Suma B: 6", "GH=Grupa C", "R=3 1", "R=6 2", "GF=Suma C: 9"}));

  master->SetSortExpressions({"<D.\"G\"> desc", "D.\"V\" DESC"});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"GH=Grupa C", "R=6 1", "R=3 2", "GF=Suma C: 9", "GH=Grupa B", "R=5 1", "R=1 2",
                                  "GF=Suma B: 6", "GH=Grupa A", "R=4 1", "R=2 2", "GF=Suma A: 6"}));
  // The run leaves the design as it was.
  EXPECT_EQ(master->SortExpressions(), (QStringList{"<D.\"G\"> desc", "D.\"V\" DESC"}));
}

TEST_F(EngineSortedGroups, AKeyThatFailsStopsTheRunWithTheBandsName) {
  master->SetSortExpressions({"D.\"G\" +"});
  QString message;
  try {
    run();
  } catch (const ReportError& e) {
    message = e.message();
  }
  EXPECT_TRUE(message.startsWith("MasterData1: Błąd w wyrażeniu 'D.\"G\" +'")) << message.toStdString();
}

TEST(SortedRows, KeysOrderNothingThenNumbersThenTextsInPolish) {
  using script::Variant;
  std::vector<Variant> keys{Variant(QStringLiteral("zebra")), Variant(10),  Variant(QStringLiteral("Łask")),
                            Variant(QStringLiteral("lublin")), Variant::Null(), Variant(QStringLiteral("Lublin")),
                            Variant(9.5),                      Variant(QStringLiteral("ala")),
                            Variant::FromDate(3)};
  std::stable_sort(keys.begin(), keys.end(),
                   [](const Variant& a, const Variant& b) { return engine::SortedRows::CompareKeys(a, b) < 0; });
  QStringList shown;
  for (const Variant& v : keys) shown << (v.IsNull() ? QStringLiteral("null") : v.ToString());
  EXPECT_EQ(shown.mid(0, 4), (QStringList{"null", "1900-01-02", "9,5", "10"})) << shown.join(' ').toStdString();
  EXPECT_EQ(shown.mid(4), (QStringList{"ala", "Lublin", "lublin", "Łask", "zebra"}));
}

struct EngineMasterDetail : EngineFixture {
  EngineMasterDetail() {
    setRows({{{"M", "pierwszy"}}, {{"M", "pusty"}}, {{"M", "trzeci"}}});
    details = new TfrxUserDataSet();
    details->SetUserName("S");
    details->SetRangeEnd(reCount);
    details->SetFields({"N"});
    // Two rows under the first master, none under the second, one under the third.
    details->OnFirst = [this](TfrxDataSet*) { details->SetRangeEndCount(QList<int>{2, 0, 1}.value(data->RecNo())); };
    details->OnGetValue = [this](const QString&, QVariant& value) {
      value = QString::number(data->RecNo() + 1) + u'.' + QString::number(details->RecNo() + 1);
    };
    report.DataSets()->Add(details);
    master = band<TfrxMasterData>("MasterData1", 20, 20);
    master->SetDataSet(data);
    memo(master, "M", "[D.\"M\"]");
    auto* detail = band<TfrxDetailData>("DetailData1", 60, 16);
    detail->SetDataSet(details);
    memo(detail, "S", "[S.\"N\"] [Line#]");
  }
  ~EngineMasterDetail() override { delete details; }
  QStringList lines() const {
    QStringList out;
    for (const auto& p : store->bands(0)) out.append(p.texts.join(u'|'));
    return out;
  }
  TfrxUserDataSet* details;
  TfrxMasterData* master;
};

TEST_F(EngineMasterDetail, MasterWithoutDetailRowsIsLeftOut) {
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"M=pierwszy", "S=1.1 1", "S=1.2 2", "M=trzeci", "S=3.1 1"}));
  EXPECT_DOUBLE_EQ(store->bands(0, "DetailData1").at(1).top, 36);
  EXPECT_DOUBLE_EQ(store->bands(0, "MasterData1").at(1).top, 52);
}

TEST_F(EngineMasterDetail, SortedMasterKeepsItsDetailsAndDetailsSortForEachMaster) {
  master->SetSortExpressions({"D.\"M\" DESC"});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"M=trzeci", "S=3.1 1", "M=pierwszy", "S=1.1 1", "S=1.2 2"}));
  qobject_cast<TfrxDataBand*>(report.FindObject("DetailData1"))->SetSortExpressions({"S.\"N\" DESC"});
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(lines(), (QStringList{"M=trzeci", "S=3.1 1", "M=pierwszy", "S=1.2 1", "S=1.1 2"}));
}

TEST_F(EngineMasterDetail, PrintIfDetailEmptyKeepsTheMaster) {
  master->SetPrintIfDetailEmpty(true);
  ASSERT_TRUE(run());
  EXPECT_EQ(lines(), (QStringList{"M=pierwszy", "S=1.1 1", "S=1.2 2", "M=pusty", "M=trzeci", "S=3.1 1"}));
}

TEST_F(EngineMasterDetail, KeepTogetherKeepsAMasterWithItsDetails) {
  auto* title = band<TfrxReportTitle>("ReportTitle1", 0, 1020);
  (void)title;
  master->SetKeepTogether(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->Count(), 2);
  // 1020 + 20 fits (1046.9); the first detail would not: the master goes
  // along to the next page.
  EXPECT_EQ(store->bands(0, "MasterData1").size(), 0u);
  EXPECT_EQ(store->bands(1).at(0).texts, QStringList{"M=pierwszy"});
  EXPECT_DOUBLE_EQ(store->bands(1).at(0).top, 0);
  EXPECT_DOUBLE_EQ(store->bands(1).at(1).top, 20);
}

struct EngineStretch : EngineFixture {};

TEST_F(EngineStretch, GrownTextPushesTheViewsBelowIt) {
  auto* master = band<TfrxMasterData>("MasterData1", 20, 40);
  master->SetRowCount(1);
  master->SetStretched(true);
  auto* text = memo(master, "Long", "jeden\ndwa\ntrzy\ncztery\npięć", 0, 20, 0, 200);
  text->SetStretchMode(smActualHeight);
  auto* below = memo(master, "Below", "pod spodem", 20, 20, 0, 200);
  auto* beside = memo(master, "Beside", "obok", 20, 20, 300, 100);
  (void)beside;
  below->SetShiftMode(smAlways);
  ASSERT_TRUE(run());
  const auto placed = store->bands(0, "MasterData1");
  ASSERT_EQ(placed.size(), 1u);
  // The band grew with its text; the view below moved down by as much.
  const double grown = placed.at(0).boxes.value("Long").second;
  EXPECT_GT(grown, 60);
  EXPECT_DOUBLE_EQ(placed.at(0).height, grown + 20);
  EXPECT_DOUBLE_EQ(placed.at(0).boxes.value("Below").first, grown);
  EXPECT_DOUBLE_EQ(placed.at(0).boxes.value("Beside").first, 20);
  EXPECT_EQ(placed.at(0).texts.at(0), "Long=jeden\r\ndwa\r\ntrzy\r\ncztery\r\npięć");
  // The design state is back after output.
  EXPECT_DOUBLE_EQ(text->Height(), 20);
  EXPECT_DOUBLE_EQ(below->Top(), 20);
  EXPECT_DOUBLE_EQ(master->Height(), 40);
}

TEST_F(EngineStretch, ViewBelowTwoGrowingViewsMovesByTheLarger) {
  auto* master = band<TfrxMasterData>("MasterData1", 20, 40);
  master->SetRowCount(1);
  master->SetStretched(true);
  auto* left = memo(master, "Left", "a\nb\nc\nd\ne\nf", 0, 20, 0, 200);
  left->SetStretchMode(smActualHeight);
  auto* right = memo(master, "Right", "a\nb", 0, 20, 210, 200);
  right->SetStretchMode(smActualHeight);
  auto* under = memo(master, "Under", "pod oboma", 20, 20, 0, 410);
  (void)under;
  ASSERT_TRUE(run());
  const auto placed = store->bands(0, "MasterData1").at(0);
  const double leftHeight = placed.boxes.value("Left").second;
  const double rightHeight = placed.boxes.value("Right").second;
  ASSERT_GT(leftHeight, rightHeight);
  ASSERT_GT(rightHeight, 20);
  EXPECT_DOUBLE_EQ(placed.boxes.value("Under").first, leftHeight);
  EXPECT_DOUBLE_EQ(placed.height, leftHeight + 20);
}

TEST_F(EngineStretch, TallTextIsSplitAcrossPages) {
  auto* master = band<TfrxMasterData>("MasterData1", 20, 20);
  master->SetRowCount(1);
  master->SetStretched(true);
  master->SetAllowSplit(true);
  QStringList lines;
  for (int i = 1; i <= 150; ++i) lines.append("linia " + QString::number(i));
  auto* text = memo(master, "Long", lines.join('\n'), 0, 20, 0, 300);
  text->SetStretchMode(smActualHeight);
  ASSERT_TRUE(run());
  ASSERT_GE(store->Count(), 2);
  QStringList printed;
  for (int p = 0; p < store->Count(); ++p)
    for (const auto& part : store->bands(p, "MasterData1")) {
      EXPECT_LE(part.top + part.height, kA4PrintableHeight + 1e-6);
      printed.append(part.texts.at(0).mid(5).split("\r\n", Qt::SkipEmptyParts));
    }
  // Every line once, in order, nothing lost at the breaks.
  EXPECT_EQ(printed, lines);
}

TEST_F(EngineStretch, ViewTallerThanThePageEndsClipped) {
  auto* master = band<TfrxMasterData>("MasterData1", 20, 1500);
  master->SetRowCount(2);
  memo(master, "Big", "duży", 0, 1500);
  ASSERT_TRUE(run());
  // Each row is put out whole on its own page; no endless breaking.
  EXPECT_EQ(store->count("MasterData1"), 2);
  EXPECT_LE(store->Count(), 3);
}

}  // namespace
}  // namespace valmoro::report
