// Vertical bands crossing horizontal ones: one cell per row and column at
// the accumulated X, column totals, and a table wider than the page.

#include "tests/report/engine_support.h"

namespace valmoro::report::testing {
namespace {

// Rows D (name, x) across the page; columns C (title, k) from left to right.
// Row titles sit in a vertical header band 100 wide, each column is 150 wide.
struct EngineVertical : EngineFixture {
  EngineVertical() {
    setRows({{{"N", "a"}, {"X", 1}}, {{"N", "b"}, {"X", 2}}, {{"N", "c"}, {"X", 3}}});
    columns = new TfrxUserDataSet();
    columns->SetUserName("C");
    columns->SetRangeEnd(reCount);
    columns->OnGetValue = [this](const QString& field, QVariant& value) {
      value = columnRows.value(columns->RecNo()).value(field);
    };
    report.DataSets()->Add(columns);
    setColumns(3);

    header = band<TfrxHeader>("H", 0, 20);
    memo(header, "HR", "Wiersz", 0, 0, 0, 100);
    memo(header, "HC", "[C.\"T\"]", 0, 0, 100, 150);
    master = band<TfrxMasterData>("MD", 40, 20);
    master->SetDataSet(data);
    memo(master, "MR", "[D.\"N\"]", 0, 0, 0, 100);
    memo(master, "MC", "[<D.\"X\"> * <C.\"K\">]", 0, 0, 100, 150);
    footer = band<TfrxFooter>("F", 80, 20);
    memo(footer, "FR", "Suma", 0, 0, 0, 100);
    memo(footer, "FC", "[SUM(<D.\"X\"> * <C.\"K\">,VD)]", 0, 0, 100, 150);

    vheader = band<TfrxHeader>("VH", 0, 200);
    vheader->SetVertical(true);
    vheader->SetBounds(0, 0, 100, 200);
    vmaster = band<TfrxMasterData>("VD", 0, 200);
    vmaster->SetVertical(true);
    vmaster->SetBounds(100, 0, 150, 200);
    vmaster->SetDataSet(columns);
  }
  ~EngineVertical() override { delete columns; }

  void setColumns(int count) {
    columnRows.clear();
    for (int i = 1; i <= count; ++i) columnRows.append({{"T", QStringLiteral("K%1").arg(i)}, {"K", i * 10}});
    columns->SetFields({"K", "T"});
    columns->SetRangeEndCount(count);
  }
  // "text@left" of every text view of the bands of a page named so.
  QStringList cells(int page, const QString& name) const {
    QStringList out;
    for (const Placed& p : store->bands(page, name)) {
      QStringList row;
      for (int i = 0; i < p.texts.size(); ++i)
        row.append(p.texts[i].section(u'=', 1) + u'@' + QString::number(p.left + p.textLefts[i]));
      out.append(row.join(u' '));
    }
    return out;
  }

  TfrxUserDataSet* columns;
  QList<QVariantMap> columnRows;
  TfrxHeader* header;
  TfrxMasterData* master;
  TfrxFooter* footer;
  TfrxHeader* vheader;
  TfrxMasterData* vmaster;
};

TEST_F(EngineVertical, EveryRowGetsOneCellPerColumnAtTheAccumulatedX) {
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->pages.size(), 1u);
  EXPECT_EQ(cells(0, "H"), QStringList{"Wiersz@0 K1@100 K2@250 K3@400"});
  EXPECT_EQ(cells(0, "MD"), (QStringList{"a@0 10@100 20@250 30@400", "b@0 20@100 40@250 60@400",
                                         "c@0 30@100 60@250 90@400"}));
  // Per column: 1+2+3 rows times the column's factor.
  EXPECT_EQ(cells(0, "F"), QStringList{"Suma@0 60@100 120@250 180@400"});
  const auto rowsPlaced = store->bands(0, "MD");
  ASSERT_EQ(rowsPlaced.size(), 3u);
  EXPECT_DOUBLE_EQ(rowsPlaced[0].top, 20);
  EXPECT_DOUBLE_EQ(rowsPlaced[2].top, 60);
  EXPECT_DOUBLE_EQ(store->bands(0, "F").at(0).top, 80);
}

TEST_F(EngineVertical, ViewsGoBackToTheirBandsAfterTheRun) {
  ASSERT_TRUE(run());
  EXPECT_EQ(master->Objects().size(), 2);
  EXPECT_EQ(master->Objects().at(1)->Name(), "MC");
  EXPECT_DOUBLE_EQ(master->Objects().at(1)->Left(), 100);
  EXPECT_TRUE(vmaster->Objects().isEmpty());
  // A second run finds the same layout.
  ASSERT_TRUE(run());
  EXPECT_EQ(cells(0, "MD").at(1), "b@0 20@100 40@250 60@400");
}

TEST_F(EngineVertical, WiderThanThePageContinuesOnTheNextPageWithTheRowTitles) {
  setColumns(6);
  vheader->SetReprintOnNewPage(true);
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  // 100 + 4 columns of 150 fill 700 of 718; the fifth column starts a page to the right.
  ASSERT_EQ(store->pages.size(), 2u);
  EXPECT_EQ(cells(0, "H"), QStringList{"Wiersz@0 K1@100 K2@250 K3@400 K4@550"});
  EXPECT_EQ(cells(1, "H"), QStringList{"Wiersz@0 K5@100 K6@250"});
  EXPECT_EQ(cells(0, "MD").at(1), "b@0 20@100 40@250 60@400 80@550");
  EXPECT_EQ(cells(1, "MD"), (QStringList{"a@0 50@100 60@250", "b@0 100@100 120@250", "c@0 150@100 180@250"}));
  EXPECT_EQ(cells(1, "F"), QStringList{"Suma@0 300@100 360@250"});
  // Each part of a row stands at the same height as the first.
  EXPECT_DOUBLE_EQ(store->bands(1, "MD").at(2).top, store->bands(0, "MD").at(2).top);
}

TEST_F(EngineVertical, WithoutReprintTheNextPartStartsAtTheLeftEdge) {
  setColumns(6);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->pages.size(), 2u);
  EXPECT_EQ(cells(1, "MD").at(0), "50@0 60@150");
}

TEST_F(EngineVertical, RowsBelowThePageGoOnAfterThePartsOfTheFirstPage) {
  QList<QVariantMap> many;
  for (int i = 1; i <= 60; ++i) many.append({{"N", QStringLiteral("r%1").arg(i)}, {"X", i}});
  setRows(many);
  setColumns(6);
  vheader->SetReprintOnNewPage(true);
  master->SetAllowSplit(true);
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  // Pages 0 and 1 are the left and right part of the first rows, 2 and 3 of the rest.
  ASSERT_EQ(store->pages.size(), 4u);
  const size_t firstRows = store->bands(0, "MD").size();
  EXPECT_GT(firstRows, 40u);
  EXPECT_EQ(store->bands(1, "MD").size(), firstRows);
  EXPECT_EQ(firstRows + store->bands(2, "MD").size(), 60u);
  EXPECT_EQ(store->bands(3, "MD").size(), store->bands(2, "MD").size());
  const QString last = QStringLiteral("r60@0 3000@100 3600@250");
  EXPECT_EQ(cells(3, "MD").back(), last);
  EXPECT_EQ(cells(3, "F"), QStringList{"Suma@0 91500@100 109800@250"});
  // Whole rows: the crossed band is not cut at the page bottom.
  for (const Placed& p : store->bands(0, "MD")) EXPECT_DOUBLE_EQ(p.height, 20);
}

TEST_F(EngineVertical, PagesToTheRightEndWithTheirPageFooter) {
  QList<QVariantMap> many;
  for (int i = 1; i <= 60; ++i) many.append({{"N", QStringLiteral("r%1").arg(i)}, {"X", i}});
  setRows(many);
  setColumns(6);
  auto* pageFooter = band<TfrxPageFooter>("PF", 500, 30);
  memo(pageFooter, "PN", "Strona [Page#]", 0, 0, 0, 300);
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  ASSERT_EQ(store->pages.size(), 4u);
  for (int p = 0; p < 4; ++p) {
    const auto footers = store->bands(p, "PF");
    ASSERT_EQ(footers.size(), 1u) << "page " << p;
    EXPECT_EQ(footers.at(0).texts, QStringList{QStringLiteral("PN=Strona %1").arg(p + 1)});
    EXPECT_DOUBLE_EQ(footers.at(0).top, kA4PrintableHeight - 30);
  }
  // The rows of the right-hand pages stop above the footer as on the left.
  EXPECT_EQ(store->bands(1, "MD").size(), store->bands(0, "MD").size());
  EXPECT_LE(store->bands(1, "MD").back().top + 20, kA4PrintableHeight - 30);
}

TEST_F(EngineVertical, EndlessWidthGrowsThePageInstead) {
  setColumns(6);
  page->SetEndlessWidth(true);
  page->SetEndlessHeight(true);
  ASSERT_TRUE(run());
  ASSERT_EQ(store->pages.size(), 1u);
  EXPECT_EQ(cells(0, "H"), QStringList{"Wiersz@0 K1@100 K2@250 K3@400 K4@550 K5@700 K6@850"});
  ASSERT_FALSE(store->sizes.empty());
  // 1000 wide plus the 10 mm margins on both sides.
  EXPECT_NEAR(store->sizes.back().second, 1000 + 20 * engine::kPixelsPerMm, 1e-6);
}

}  // namespace
}  // namespace valmoro::report::testing
