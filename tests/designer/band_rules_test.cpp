// Where the designer stacks bands and which it lets the user add: every
// kind on an empty page and on the shipped report, refusals by their
// messages, moving data bands and groups, deleting; each action one undo
// step that gives the document back byte for byte. The last tests let the
// band engine read a page laid out here.

#include <gtest/gtest.h>

#include <QUndoStack>

#include "designer/band_rules.h"
#include "designer/designer_document.h"
#include "designer_support.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "tests/report/document_support.h"
#include "tests/report/engine_support.h"

namespace valmoro::designer {
namespace {

using namespace report;
using report::testing::saveDocument;

constexpr double kGap = 18.89765;  // 0.5 cm
constexpr double kHalf = 18.89765;
constexpr double kOne = 37.7953;
constexpr double kA4Width = 718.1107;  // 190 mm

QStringList names(const QList<TfrxBand*>& bands) {
  QStringList out;
  for (const TfrxBand* band : bands) out.append(band->Name());
  return out;
}

// Each band a gap below the one before, the first a gap below the top.
void expectStacked(const TfrxReportPage& page) {
  double top = kGap;
  for (const TfrxBand* band : BandStackOrder(page)) {
    EXPECT_NEAR(band->Top(), top, 1e-4) << band->Name().toStdString();
    top = band->Top() + band->Height() + kGap;
  }
}

// A report with one empty A4 page (10 mm margins) and an undo stack.
struct Design {
  Design() {
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    page->SetLeftMargin(10);
    page->SetRightMargin(10);
    page->SetTopMargin(10);
    page->SetBottomMargin(10);
  }
  explicit Design(const QString& file) {
    EXPECT_TRUE(report.LoadFromFile(file));
    page = qobject_cast<TfrxReportPage*>(report.FindObject("Page1"));
  }
  // The new band's name, or "!" and the refusal.
  QString insert(const QString& className, const char* anchor = nullptr) {
    try {
      QString name;
      stack.push(MakeInsertBand(*page, className, anchor ? band(anchor) : nullptr, &name).release());
      return name;
    } catch (const ReportError& e) {
      return "!" + e.message();
    }
  }
  QString move(const char* name, BandDirection direction) {
    try {
      stack.push(MakeMoveBand(*band(name), direction).release());
      return {};
    } catch (const ReportError& e) {
      return e.message();
    }
  }
  QString remove(const char* name) {
    try {
      stack.push(MakeDeleteBand(*band(name)).release());
      return {};
    } catch (const ReportError& e) {
      return e.message();
    }
  }
  TfrxBand* band(const QString& name) const { return qobject_cast<TfrxBand*>(report.FindObject(name)); }
  QStringList order() const { return names(BandStackOrder(*page)); }
  QByteArray document() const { return saveDocument(report); }
  // Undo goes back to `before` and redo forward to `after`, twice.
  void expectUndoRedo(const QByteArray& before, const QByteArray& after) {
    for (int round = 0; round < 2; ++round) {
      stack.undo();
      EXPECT_EQ(document(), before);
      stack.redo();
      EXPECT_EQ(document(), after);
    }
  }

  TfrxReport report;
  TfrxReportPage* page = nullptr;
  QUndoStack stack;
};

const QString kShipped = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");

TEST(BandRules, EveryKindOnAnEmptyPageTakesItsPlace) {
  Design d;
  // Added in an order unlike the page's, to see each find its place.
  const QStringList added = {"TfrxMasterData",   "TfrxPageFooter",    "TfrxReportTitle", "TfrxHeader",
                             "TfrxFooter",       "TfrxGroupHeader",   "TfrxGroupFooter", "TfrxDetailData",
                             "TfrxSubdetailData", "TfrxDataBand4",    "TfrxColumnHeader", "TfrxColumnFooter",
                             "TfrxReportSummary", "TfrxPageHeader",   "TfrxOverlay"};
  for (const QString& cls : added) {
    const QString name = d.insert(cls);
    ASSERT_FALSE(name.startsWith('!')) << cls.toStdString() << name.toStdString();
    EXPECT_EQ(d.band(name)->ClassName(), cls);
  }
  EXPECT_EQ(d.stack.count(), added.size());
  EXPECT_EQ(d.insert("TfrxChild", "DetailData1"), "Child1");
  EXPECT_EQ(d.band("DetailData1")->Child(), d.band("Child1"));
  EXPECT_EQ(d.order(),
            (QStringList{"ReportTitle1", "PageHeader1", "ColumnHeader1", "GroupHeader1", "Header1", "MasterData1",
                         "Footer1", "DetailData1", "Child1", "SubdetailData1", "Data41", "GroupFooter1",
                         "ColumnFooter1", "ReportSummary1", "PageFooter1", "Overlay1"}));
  // Full width; data rows, titles and the overlay 1 cm, the rest 0.5 cm.
  const QHash<QString, double> heights = {{"ReportTitle1", kOne},   {"MasterData1", kOne},   {"DetailData1", kOne},
                                          {"SubdetailData1", kOne}, {"Data41", kOne},    {"ReportSummary1", kOne},
                                          {"Overlay1", kOne}};
  double top = kGap;
  for (TfrxBand* band : BandStackOrder(*d.page)) {
    EXPECT_NEAR(band->Left(), 0, 1e-9);
    EXPECT_NEAR(band->Width(), kA4Width, 1e-4) << band->Name().toStdString();
    EXPECT_NEAR(band->Height(), heights.value(band->Name(), kHalf), 1e-9) << band->Name().toStdString();
    EXPECT_NEAR(band->Top(), top, 1e-4) << band->Name().toStdString();
    top += band->Height() + kGap;
  }
  // The third band stands below two: 18.89765 + 37.7953 + 18.89765 + 18.89765 + 18.89765.
  EXPECT_NEAR(d.band("ColumnHeader1")->Top(), 113.3859, 1e-4);
  // No data set in the report: the data bands wait for one.
  EXPECT_EQ(static_cast<TfrxDataBand*>(d.band("MasterData1"))->DataSetName(), "");
}

TEST(BandRules, RefusalsSayWhatIsMissingOrTaken) {
  Design d;
  const QByteArray empty = d.document();
  EXPECT_EQ(d.insert("TfrxHeader"), "!Nagłówek wymaga wstęgi danych.");
  EXPECT_EQ(d.insert("TfrxFooter"), "!Stopka wymaga wstęgi danych.");
  EXPECT_EQ(d.insert("TfrxGroupHeader"), "!Nagłówek grupy wymaga wstęgi danych.");
  EXPECT_EQ(d.insert("TfrxGroupFooter"), "!Stopka grupy wymaga nagłówka grupy.");
  EXPECT_EQ(d.insert("TfrxDetailData"), "!Wstęga danych szczegółowych wymaga wstęgi danych głównych.");
  EXPECT_EQ(d.insert("TfrxSubdetailData"), "!Wstęga danych podszczegółowych wymaga wstęgi danych szczegółowych.");
  EXPECT_EQ(d.insert("TfrxDataBand5"), "!Wstęga danych poziomu 5 wymaga wstęgi danych poziomu 4.");
  EXPECT_EQ(d.insert("TfrxChild"), "!Zaznacz wstęgę, do której ma należeć wstęga podrzędna.");
  EXPECT_EQ(d.insert("TfrxMemoView"), "!Nieznany rodzaj wstęgi: TfrxMemoView");
  EXPECT_EQ(d.insert("TfrxNullBand"), "!Nieznany rodzaj wstęgi: TfrxNullBand");
  EXPECT_EQ(d.document(), empty);
  EXPECT_EQ(d.stack.count(), 0);

  // Once per page each: the engine prints only the first of a kind.
  const QList<QPair<QString, QString>> once = {
      {"TfrxReportTitle", "Strona ma już tytuł raportu."},     {"TfrxReportSummary", "Strona ma już podsumowanie raportu."},
      {"TfrxPageHeader", "Strona ma już nagłówek strony."},    {"TfrxPageFooter", "Strona ma już stopkę strony."},
      {"TfrxColumnHeader", "Strona ma już nagłówek kolumny."}, {"TfrxColumnFooter", "Strona ma już stopkę kolumny."},
      {"TfrxOverlay", "Strona ma już nakładkę."}};
  for (const auto& [cls, message] : once) {
    EXPECT_EQ(BandInsertRefusal(*d.page, cls), "");
    EXPECT_FALSE(d.insert(cls).startsWith('!'));
    const QByteArray before = d.document();
    EXPECT_EQ(d.insert(cls), "!" + message);
    EXPECT_EQ(BandInsertRefusal(*d.page, cls), message);
    EXPECT_EQ(d.document(), before);
  }
  // Data bands and their companions: one header and one footer each.
  d.insert("TfrxMasterData");
  d.insert("TfrxHeader");
  d.insert("TfrxFooter");
  EXPECT_EQ(d.insert("TfrxHeader"), "!Każda wstęga danych ma już nagłówek.");
  EXPECT_EQ(d.insert("TfrxFooter", "MasterData1"), "!Wstęga danych MasterData1 ma już stopkę.");
  EXPECT_EQ(d.insert("TfrxGroupFooter", "Header1"), "!Wstęga danych MasterData1 nie ma nagłówka grupy.");
  d.insert("TfrxGroupHeader");
  d.insert("TfrxGroupFooter");
  EXPECT_EQ(d.insert("TfrxGroupFooter"), "!Każda grupa ma już stopkę.");
  EXPECT_EQ(d.insert("TfrxChild", "PageFooter1"), "!Wstęga PageFooter1 nie może mieć wstęgi podrzędnej.");
  d.insert("TfrxChild", "MasterData1");
  EXPECT_EQ(d.insert("TfrxChild", "MasterData1"), "!Wstęga MasterData1 ma już wstęgę podrzędną.");
  EXPECT_EQ(d.insert("TfrxDataBand4"), "!Wstęga danych poziomu 4 wymaga wstęgi danych poziomu 3.");
}

TEST(BandRules, ShippedReportTakesHeaderAndDetailInPlace) {
  Design d(kShipped);
  ASSERT_NE(d.page, nullptr);
  const QByteArray original = d.document();
  EXPECT_EQ(d.order(), (QStringList{"ReportTitle1", "PageHeader1", "MasterData1", "ReportSummary1", "PageFooter1"}));

  EXPECT_EQ(d.insert("TfrxHeader"), "Header1");
  EXPECT_EQ(d.stack.undoText(), "Wstawienie wstęgi Header1");
  EXPECT_EQ(d.order(),
            (QStringList{"ReportTitle1", "PageHeader1", "Header1", "MasterData1", "ReportSummary1", "PageFooter1"}));
  // Stacked again with even gaps (the shipped gaps were 1 mm to 6 mm).
  EXPECT_NEAR(d.band("ReportTitle1")->Top(), 18.89765, 1e-4);
  EXPECT_NEAR(d.band("PageHeader1")->Top(), 117.16543, 1e-4);
  EXPECT_NEAR(d.band("Header1")->Top(), 162.51979, 1e-4);
  EXPECT_NEAR(d.band("MasterData1")->Top(), 200.31509, 1e-4);
  EXPECT_NEAR(d.band("ReportSummary1")->Top(), 238.11039, 1e-4);
  EXPECT_NEAR(d.band("PageFooter1")->Top(), 374.17347, 1e-4);
  // The views keep their places in their bands.
  EXPECT_NEAR(d.report.FindObject("NaglowekData")->Top(), 1.889765, 1e-6);
  const QByteArray withHeader = d.document();
  d.expectUndoRedo(original, withHeader);

  // A detail goes below the master and runs on the report's data set.
  EXPECT_EQ(d.insert("TfrxDetailData"), "DetailData1");
  EXPECT_EQ(static_cast<TfrxDataBand*>(d.band("DetailData1"))->DataSetName(), "Wpisy");
  EXPECT_EQ(d.order(), (QStringList{"ReportTitle1", "PageHeader1", "Header1", "MasterData1", "DetailData1",
                                    "ReportSummary1", "PageFooter1"}));
  expectStacked(*d.page);
  d.expectUndoRedo(withHeader, d.document());
  EXPECT_EQ(d.insert("TfrxPageHeader"), "!Strona ma już nagłówek strony.");
  EXPECT_EQ(d.insert("TfrxReportSummary"), "!Strona ma już podsumowanie raportu.");

  d.stack.undo();
  d.stack.undo();
  EXPECT_EQ(d.document(), original);
}

TEST(BandRules, EveryKindOnTheShippedReport) {
  const QStringList top = {"ReportTitle1", "PageHeader1"};
  const QStringList bottom = {"ReportSummary1", "PageFooter1"};
  // The order after inserting each kind, or "!" and the refusal.
  const QList<QPair<QString, QStringList>> cases = {
      {"TfrxReportTitle", {"!Strona ma już tytuł raportu."}},
      {"TfrxReportSummary", {"!Strona ma już podsumowanie raportu."}},
      {"TfrxPageHeader", {"!Strona ma już nagłówek strony."}},
      {"TfrxPageFooter", {"!Strona ma już stopkę strony."}},
      {"TfrxHeader", top + QStringList{"Header1", "MasterData1"} + bottom},
      {"TfrxFooter", top + QStringList{"MasterData1", "Footer1"} + bottom},
      {"TfrxMasterData", top + QStringList{"MasterData1", "MasterData2"} + bottom},
      {"TfrxDetailData", top + QStringList{"MasterData1", "DetailData1"} + bottom},
      {"TfrxSubdetailData", {"!Wstęga danych podszczegółowych wymaga wstęgi danych szczegółowych."}},
      {"TfrxDataBand6", {"!Wstęga danych poziomu 6 wymaga wstęgi danych poziomu 5."}},
      {"TfrxGroupHeader", top + QStringList{"GroupHeader1", "MasterData1"} + bottom},
      {"TfrxGroupFooter", {"!Stopka grupy wymaga nagłówka grupy."}},
      {"TfrxChild", {"!Zaznacz wstęgę, do której ma należeć wstęga podrzędna."}},
      {"TfrxColumnHeader", top + QStringList{"ColumnHeader1", "MasterData1"} + bottom},
      {"TfrxColumnFooter", top + QStringList{"MasterData1", "ColumnFooter1"} + bottom},
      {"TfrxOverlay", top + QStringList{"MasterData1"} + bottom + QStringList{"Overlay1"}},
  };
  for (const auto& [cls, expected] : cases) {
    Design d(kShipped);
    const QByteArray original = d.document();
    const QString name = d.insert(cls);
    if (expected.first().startsWith('!')) {
      EXPECT_EQ(name, expected.first()) << cls.toStdString();
      EXPECT_EQ(d.document(), original) << cls.toStdString();
      continue;
    }
    EXPECT_EQ(d.order(), expected) << cls.toStdString();
    expectStacked(*d.page);
    if (auto* data = qobject_cast<TfrxDataBand*>(d.band(name))) {
      EXPECT_EQ(data->DataSetName(), "Wpisy");
    }
    d.expectUndoRedo(original, d.document());
  }
}

TEST(BandRules, PageHeaderStandsAboveTheTitleWhenThePagePrintsItFirst) {
  Design d;
  d.page->SetTitleBeforeHeader(false);
  d.insert("TfrxReportTitle");
  d.insert("TfrxPageHeader");
  d.insert("TfrxColumnHeader");
  EXPECT_EQ(d.order(), (QStringList{"PageHeader1", "ReportTitle1", "ColumnHeader1"}));
  expectStacked(*d.page);
}

TEST(BandRules, ColumnBandsAreOneColumnWideAndVerticalBandsStayOutOfTheStack) {
  Design d;
  d.page->SetColumns(2);
  auto* vertical = new TfrxMasterData(d.page);
  vertical->SetName("Pionowa");
  vertical->SetVertical(true);
  vertical->SetBounds(300, 0, 50, 200);
  d.insert("TfrxPageHeader");
  d.insert("TfrxMasterData");
  d.insert("TfrxColumnHeader");
  // 95 mm columns; the page header spans them all.
  EXPECT_NEAR(d.band("MasterData1")->Width(), 359.05535, 1e-4);
  EXPECT_NEAR(d.band("ColumnHeader1")->Width(), 359.05535, 1e-4);
  EXPECT_NEAR(d.band("PageHeader1")->Width(), kA4Width, 1e-4);
  EXPECT_EQ(d.order(), (QStringList{"PageHeader1", "ColumnHeader1", "MasterData1"}));
  EXPECT_EQ(vertical->Left(), 300);
  EXPECT_EQ(vertical->Top(), 0);
  // A band of another page points at nothing here: the detail goes under this page's master.
  auto* other = new TfrxReportPage(&d.report);
  other->SetName("Page2");
  auto* foreign = new TfrxMasterData(other);
  foreign->SetName("Obca");
  QString name;
  d.stack.push(MakeInsertBand(*d.page, "TfrxDetailData", foreign, &name).release());
  EXPECT_EQ(d.band(name)->Parent(), d.page);
  EXPECT_EQ(d.order(), (QStringList{"PageHeader1", "ColumnHeader1", "MasterData1", "DetailData1"}));
}

TEST(BandRules, TheBandPointedAtChoosesTheDataBand) {
  Design d;
  d.insert("TfrxMasterData");
  d.insert("TfrxMasterData");
  // Without a band pointed at, the last data band missing one.
  EXPECT_EQ(d.insert("TfrxHeader"), "Header1");
  EXPECT_EQ(d.insert("TfrxHeader"), "Header2");
  EXPECT_EQ(d.order(), (QStringList{"Header2", "MasterData1", "Header1", "MasterData2"}));
  // A detail, a footer and a group of the first master, pointed at.
  EXPECT_EQ(d.insert("TfrxDetailData", "Header2"), "DetailData1");
  EXPECT_EQ(d.insert("TfrxFooter", "MasterData1"), "Footer1");
  EXPECT_EQ(d.insert("TfrxGroupHeader", "MasterData1"), "GroupHeader1");
  EXPECT_EQ(d.insert("TfrxGroupFooter", "DetailData1"), "GroupFooter1");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader1", "Header2", "MasterData1", "Footer1", "DetailData1",
                                    "GroupFooter1", "Header1", "MasterData2"}));
  // A group of the detail inside the master's group: it comes with a
  // footer, or it would take the outer group's (the nearest below).
  EXPECT_EQ(d.insert("TfrxGroupHeader", "DetailData1"), "GroupHeader2");
  EXPECT_EQ(d.stack.undoText(), "Wstawienie wstęgi GroupHeader2");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader1", "Header2", "MasterData1", "Footer1", "GroupHeader2",
                                    "DetailData1", "GroupFooter2", "GroupFooter1", "Header1", "MasterData2"}));
  expectStacked(*d.page);
  EXPECT_EQ(d.insert("TfrxGroupFooter", "DetailData1"), "!Każda grupa wstęgi danych DetailData1 ma już stopkę.");
  d.stack.undo();
  EXPECT_EQ(d.band("GroupHeader2"), nullptr);
  EXPECT_EQ(d.band("GroupFooter2"), nullptr);
}

TEST(BandRules, ChildBandFollowsItsBandAndIsLetGoWhenDeleted) {
  Design d;
  d.insert("TfrxReportTitle");
  d.insert("TfrxMasterData");
  EXPECT_EQ(d.insert("TfrxChild", "ReportTitle1"), "Child1");
  EXPECT_EQ(d.insert("TfrxChild", "Child1"), "Child2");
  EXPECT_EQ(d.order(), (QStringList{"ReportTitle1", "Child1", "Child2", "MasterData1"}));
  EXPECT_EQ(d.band("Child1")->Child(), d.band("Child2"));
  const QByteArray before = d.document();

  EXPECT_EQ(d.remove("Child1"), "");
  EXPECT_EQ(d.band("ReportTitle1")->Child(), nullptr);
  // The rest of the chain stays, as a band of its own among the data bands.
  EXPECT_EQ(d.order(), (QStringList{"ReportTitle1", "Child2", "MasterData1"}));
  expectStacked(*d.page);
  d.expectUndoRedo(before, d.document());
  d.stack.undo();
  EXPECT_EQ(d.band("ReportTitle1")->Child(), d.band("Child1"));
}

// Two masters: the first with a header, footer and detail, the second in a group.
struct TwoMasters : Design {
  TwoMasters() {
    insert("TfrxMasterData");
    insert("TfrxHeader");
    insert("TfrxFooter");
    insert("TfrxDetailData");
    insert("TfrxMasterData");
    insert("TfrxGroupHeader");
    insert("TfrxGroupFooter");
    insert("TfrxDetailData", "MasterData2");
    stack.clear();
  }
};

TEST(BandRules, DataBandsMoveWithTheirHeadersFootersAndDetails) {
  TwoMasters d;
  const QStringList start = {"Header1",      "MasterData1", "Footer1",     "DetailData1",
                             "GroupHeader1", "MasterData2", "DetailData2", "GroupFooter1"};
  ASSERT_EQ(d.order(), start);
  const QByteArray before = d.document();
  // Pointing at any band of the second master moves all of it.
  EXPECT_EQ(d.move("GroupFooter1", BandDirection::Up), "");
  EXPECT_EQ(d.stack.undoText(), "Przesunięcie wstęgi GroupFooter1 w górę");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader1", "MasterData2", "DetailData2", "GroupFooter1", "Header1",
                                    "MasterData1", "Footer1", "DetailData1"}));
  expectStacked(*d.page);
  d.expectUndoRedo(before, d.document());
  EXPECT_EQ(d.move("MasterData2", BandDirection::Up), "Wstęga MasterData2 stoi już najwyżej.");
  EXPECT_EQ(d.move("Footer1", BandDirection::Down), "Wstęga Footer1 stoi już najniżej.");
  EXPECT_EQ(d.move("DetailData1", BandDirection::Up), "Wstęga DetailData1 stoi już najwyżej.");
  EXPECT_EQ(d.move("Header1", BandDirection::Up), "");
  EXPECT_EQ(d.order(), start);
  EXPECT_EQ(d.document(), before);
}

TEST(BandRules, DetailsMoveAmongTheDetailsOfTheirMaster) {
  Design d;
  d.insert("TfrxMasterData");
  d.insert("TfrxDetailData");
  d.insert("TfrxDetailData");
  d.insert("TfrxFooter", "DetailData2");
  EXPECT_EQ(d.order(), (QStringList{"MasterData1", "DetailData1", "DetailData2", "Footer1"}));
  EXPECT_EQ(d.move("Footer1", BandDirection::Up), "");
  EXPECT_EQ(d.order(), (QStringList{"MasterData1", "DetailData2", "Footer1", "DetailData1"}));
  EXPECT_EQ(d.move("MasterData1", BandDirection::Down), "Wstęga MasterData1 stoi już najniżej.");
  d.insert("TfrxPageFooter");
  EXPECT_EQ(d.move("PageFooter1", BandDirection::Up), "Miejsce wstęgi PageFooter1 wyznacza jej rodzaj.");
}

TEST(BandRules, GroupsChangePlacesWithTheirFooters) {
  Design d;
  d.insert("TfrxMasterData");
  d.insert("TfrxGroupHeader");
  d.insert("TfrxGroupHeader");
  // The engine gives a footer to the innermost open group.
  d.insert("TfrxGroupFooter");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader1", "GroupHeader2", "MasterData1", "GroupFooter1"}));
  EXPECT_EQ(d.move("GroupHeader2", BandDirection::Up),
            "Grupa ze stopką nie może zamienić się miejscem z grupą bez stopki.");
  d.insert("TfrxGroupFooter");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader1", "GroupHeader2", "MasterData1", "GroupFooter1", "GroupFooter2"}));
  const QByteArray before = d.document();
  EXPECT_EQ(d.move("GroupHeader2", BandDirection::Up), "");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader2", "GroupHeader1", "MasterData1", "GroupFooter2", "GroupFooter1"}));
  expectStacked(*d.page);
  d.expectUndoRedo(before, d.document());
  // The outermost group moves its whole data band instead: alone, it stays.
  EXPECT_EQ(d.move("GroupHeader2", BandDirection::Up), "Wstęga GroupHeader2 stoi już najwyżej.");
  // A third group comes innermost, with a footer of its own.
  EXPECT_EQ(d.insert("TfrxGroupHeader"), "GroupHeader3");
  EXPECT_EQ(d.order(), (QStringList{"GroupHeader2", "GroupHeader1", "GroupHeader3", "MasterData1", "GroupFooter3",
                                    "GroupFooter2", "GroupFooter1"}));
}

TEST(BandRules, DeletingABandTakesItsViewsAndClosesTheGap) {
  Design d(kShipped);
  const QByteArray original = d.document();
  const double masterTop = d.band("MasterData1")->Top();
  EXPECT_EQ(d.remove("MasterData1"), "");
  EXPECT_EQ(d.stack.undoText(), "Usunięcie wstęgi MasterData1");
  EXPECT_EQ(d.band("MasterData1"), nullptr);
  EXPECT_EQ(d.report.FindObject("PoleData"), nullptr);
  EXPECT_EQ(d.order(), (QStringList{"ReportTitle1", "PageHeader1", "ReportSummary1", "PageFooter1"}));
  expectStacked(*d.page);
  // Where the master stood, with the even gaps of a restacked page.
  EXPECT_NEAR(d.band("ReportSummary1")->Top(), 162.51979, 1e-4);
  EXPECT_NEAR(masterTop, 147.40167, 1e-9);
  d.expectUndoRedo(original, d.document());

  d.band("PageFooter1")->SetRestrictions(rfDontDelete);
  EXPECT_EQ(d.remove("PageFooter1"), "Obiektu PageFooter1 nie można usunąć (jest chroniony przed usunięciem).");
}

TEST(BandRules, ABandLockedAgainstMovingKeepsItsPlaceInTheStack) {
  Design d(kShipped);
  for (TfrxComponent* object : d.report.AllObjects()) object->SetDesigning(true);
  d.band("MasterData1")->SetRestrictions(rfDontMove);
  const QByteArray original = d.document();
  EXPECT_EQ(d.insert("TfrxHeader"), "Header1");
  // Moved down below its new header all the same: else the header would stand below it.
  EXPECT_NEAR(d.band("MasterData1")->Top(), 200.31509, 1e-4);
  EXPECT_EQ(d.order(),
            (QStringList{"ReportTitle1", "PageHeader1", "Header1", "MasterData1", "ReportSummary1", "PageFooter1"}));
  d.expectUndoRedo(original, d.document());
  // The user still cannot move it.
  d.band("MasterData1")->SetTop(500);
  EXPECT_NEAR(d.band("MasterData1")->Top(), 200.31509, 1e-4);
}

TEST(BandRules, RestackingIsAStepOnlyWhenABandIsOutOfPlace) {
  Design d(kShipped);
  std::unique_ptr<QUndoCommand> restack = MakeRestackBands(*d.page);
  ASSERT_NE(restack, nullptr);
  d.stack.push(restack.release());
  EXPECT_EQ(d.stack.undoText(), "Uporządkowanie wstęg");
  expectStacked(*d.page);
  EXPECT_EQ(MakeRestackBands(*d.page), nullptr);
}

TEST(BandRules, TheDocumentAnchorsAtTheSelectionAndKeepsEachActionOneStep) {
  testing::Designed d;
  DesignerDocument& document = *d.document;
  ASSERT_NE(document.CurrentPage(), nullptr);
  const QByteArray original = d.bytes();
  auto band = [&](const char* name) { return qobject_cast<TfrxBand*>(d.report.FindObject(name)); };
  // A view of the master selected points at the master.
  document.Select(d.report.FindObject("PoleData"));
  EXPECT_EQ(SelectedBand(document), band("MasterData1"));
  EXPECT_EQ(InsertBand(document, "TfrxFooter"), "");
  EXPECT_EQ(document.SelectedNames(), QStringList{"Footer1"});
  EXPECT_EQ(InsertBand(document, "TfrxFooter"), "Wstęga danych MasterData1 ma już stopkę.");
  EXPECT_EQ(document.UndoStack().count(), 1);
  EXPECT_EQ(InsertBand(document, "TfrxMasterData"), "");
  ASSERT_NE(band("MasterData2"), nullptr);
  EXPECT_EQ(MoveBand(document, *band("MasterData2"), BandDirection::Up), "");
  EXPECT_EQ(names(BandStackOrder(*qobject_cast<TfrxReportPage*>(document.CurrentPage()))),
            (QStringList{"ReportTitle1", "PageHeader1", "MasterData2", "MasterData1", "Footer1", "ReportSummary1",
                         "PageFooter1"}));
  EXPECT_EQ(DeleteBand(document, *band("MasterData2")), "");
  EXPECT_TRUE(document.Selection().isEmpty());
  band("PageFooter1")->SetRestrictions(rfDontDelete);
  EXPECT_EQ(DeleteBand(document, *band("PageFooter1")),
            "Obiektu PageFooter1 nie można usunąć (jest chroniony przed usunięciem).");
  EXPECT_EQ(document.UndoStack().count(), 4);
  band("PageFooter1")->SetRestrictions({});
  while (document.UndoStack().canUndo()) document.UndoStack().undo();
  EXPECT_EQ(d.bytes(), original);
  EXPECT_FALSE(document.IsModified());
}

// The band engine reads a page built here as it is shown.
struct EngineReadsTheLayout : report::testing::EngineFixture {};

TEST_F(EngineReadsTheLayout, BandsPrintInTheOrderTheyStand) {
  setRows({{{"G", "A"}, {"V", 1}}, {{"G", "A"}, {"V", 2}}, {{"G", "B"}, {"V", 3}}});
  QUndoStack stack;
  auto insert = [&](const QString& cls, const QString& anchor = {}) {
    QString name;
    stack.push(MakeInsertBand(*page, cls, anchor.isEmpty() ? nullptr : qobject_cast<TfrxBand*>(report.FindObject(anchor)),
                              &name)
                   .release());
    return qobject_cast<TfrxBand*>(report.FindObject(name));
  };
  auto* master = static_cast<TfrxDataBand*>(insert("TfrxMasterData"));
  EXPECT_EQ(master->DataSetName(), "D");
  insert("TfrxPageFooter");
  insert("TfrxFooter");
  auto* detail = static_cast<TfrxDataBand*>(insert("TfrxDetailData"));
  // The detail runs on two rows of its own instead of the master's data set.
  detail->SetDataSetName("");
  detail->SetRowCount(2);
  auto* group = static_cast<TfrxGroupHeader*>(insert("TfrxGroupHeader"));
  group->SetCondition("D.\"G\"");
  insert("TfrxGroupFooter");
  insert("TfrxHeader", "MasterData1");
  insert("TfrxReportTitle");
  insert("TfrxReportSummary");
  insert("TfrxChild", "Footer1");
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(names(BandStackOrder(*page)),
            (QStringList{"ReportTitle1", "GroupHeader1", "Header1", "MasterData1", "Footer1", "Child1", "DetailData1",
                         "GroupFooter1", "ReportSummary1", "PageFooter1"}));
  // The header once above the rows, each group (A, A | B) closed by its
  // footer, the details under every master row, the footer with its child
  // once below them all.
  EXPECT_EQ(store->names(0),
            (QStringList{"ReportTitle1", "Header1", "GroupHeader1", "MasterData1", "DetailData1", "DetailData1",
                         "MasterData1", "DetailData1", "DetailData1", "GroupFooter1", "GroupHeader1", "MasterData1",
                         "DetailData1", "DetailData1", "GroupFooter1", "Footer1", "Child1", "ReportSummary1",
                         "PageFooter1"}));
}

}  // namespace
}  // namespace valmoro::designer
