// Object names: uniqueness in a report, the three refusals, unique names and
// finding objects by name.

#include <gtest/gtest.h>

#include <QPointer>

#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/dialog.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/subreport.h"

using namespace valmoro::report;

namespace {

struct ReportTree {
  TfrxReport report;
  TfrxReportPage* page = new TfrxReportPage(&report);
  TfrxMasterData* band = new TfrxMasterData(page);

  TfrxMemoView* memo(const QString& name, TfrxComponent* parent = nullptr) {
    auto* view = new TfrxMemoView(parent ? parent : band);
    view->SetName(name);
    return view;
  }
};

QString errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ReportError& e) {
    return e.message();
  }
  return QStringLiteral("(no error)");
}

}  // namespace

TEST(Naming, UniqueNameTakesTheFirstFreeNumber) {
  ReportTree t;
  t.memo("Memo1");
  t.memo("Memo3");
  auto* fresh = new TfrxMemoView(t.band);
  fresh->CreateUniqueName();
  EXPECT_EQ(fresh->Name(), "Memo2");

  // Letter case does not matter: memo4 makes Memo4 taken.
  t.memo("memo4");
  auto* next = new TfrxMemoView(t.band);
  next->CreateUniqueName();
  EXPECT_EQ(next->Name(), "Memo5");

  auto* page = new TfrxReportPage(&t.report);
  page->CreateUniqueName();
  EXPECT_EQ(page->Name(), "Page1");
}

TEST(Naming, FreedNamesAreUsedAgain) {
  ReportTree t;
  QList<TfrxMemoView*> views;
  for (int i = 0; i < 5; ++i) {
    views.append(new TfrxMemoView(t.band));
    views.last()->CreateUniqueName();
  }
  EXPECT_EQ(views.last()->Name(), "Memo5");

  delete views[1];  // Memo2
  auto* a = new TfrxMemoView(t.band);
  a->CreateUniqueName();
  EXPECT_EQ(a->Name(), "Memo2");

  views[3]->SetName("Total");  // frees Memo4
  auto* b = new TfrxMemoView(t.band);
  b->CreateUniqueName();
  EXPECT_EQ(b->Name(), "Memo4");

  views[2]->SetParent(nullptr);  // Memo3 leaves the report
  auto* c = new TfrxMemoView(t.band);
  c->CreateUniqueName();
  EXPECT_EQ(c->Name(), "Memo3");
  delete views[2];

  auto* d = new TfrxMemoView(t.band);
  d->CreateUniqueName();
  EXPECT_EQ(d->Name(), "Memo6");
}

TEST(Naming, PrefixEndingInADigitReusesFreedNames) {
  // TfrxDataBand4 is named Data41, Data42 ...; freeing Data41 must count
  // for that prefix, not only for "Data".
  ReportTree t;
  auto* first = new TfrxDataBand4(t.page);
  first->CreateUniqueName();
  auto* second = new TfrxDataBand4(t.page);
  second->CreateUniqueName();
  EXPECT_EQ(first->Name(), "Data41");
  EXPECT_EQ(second->Name(), "Data42");
  delete first;
  auto* third = new TfrxDataBand4(t.page);
  third->CreateUniqueName();
  EXPECT_EQ(third->Name(), "Data41");
}

TEST(Naming, UniqueNameOutsideAReportLooksAtTheParentsDescendants) {
  TfrxReportPage page;
  auto* band = new TfrxMasterData(&page);
  auto* one = new TfrxMemoView(band);
  one->SetName("Memo1");
  auto* other = new TfrxMemoView(&page);
  other->CreateUniqueName();
  EXPECT_EQ(other->Name(), "Memo2");

  TfrxMemoView loose;
  loose.CreateUniqueName();
  EXPECT_EQ(loose.Name(), "Memo1");
}

TEST(Naming, RenameRules) {
  ReportTree t;
  auto* memo1 = t.memo("Memo1");
  auto* memo2 = t.memo("Memo2");

  // Only the letter case differs: nothing changes, nothing fails.
  EXPECT_EQ(errorOf([&] { memo1->SetName("MEMO1"); }), "(no error)");
  EXPECT_EQ(memo1->Name(), "Memo1");

  EXPECT_EQ(errorOf([&] { memo2->SetName("memo1"); }), "Nazwa jest już użyta");
  EXPECT_EQ(memo2->Name(), "Memo2");

  memo2->SetAncestor(true);
  EXPECT_EQ(errorOf([&] { memo2->SetName("Other"); }),
            "Could not rename Memo2, it was introduced in the ancestor report");
  EXPECT_EQ(memo2->Name(), "Memo2");

  EXPECT_EQ(errorOf([&] { memo1->SetName("1abc"); }), "''1abc'' is not a valid component name");
  EXPECT_EQ(errorOf([&] { memo1->SetName("a b"); }), "''a b'' is not a valid component name");
  EXPECT_EQ(errorOf([&] { memo1->SetName(QStringLiteral("Żółw")); }),
            QStringLiteral("''Żółw'' is not a valid component name"));
  EXPECT_EQ(memo1->Name(), "Memo1");

  memo1->SetName("_Total_2");
  EXPECT_EQ(memo1->Name(), "_Total_2");
  // An empty name is allowed and frees the old one.
  memo1->SetName(QString());
  EXPECT_EQ(t.report.FindObject("_Total_2"), nullptr);
}

TEST(Naming, OutsideAReportNamesNeedNotBeUnique) {
  TfrxReportPage page;
  auto* a = new TfrxMemoView(&page);
  auto* b = new TfrxMemoView(&page);
  a->SetName("Same");
  EXPECT_EQ(errorOf([&] { b->SetName("Same"); }), "(no error)");
  EXPECT_EQ(errorOf([&] { b->SetName("9"); }), "''9'' is not a valid component name");
}

TEST(Naming, PrefixesAndKindCaptions) {
  ReportTree t;
  auto* memo = new TfrxMemoView(t.band);
  auto* sys = new TfrxSysMemoView(t.band);
  auto* subreport = new TfrxSubreport(t.band);
  auto* header = new TfrxPageHeader(t.page);
  auto* band4 = new TfrxDataBand4(t.page);
  auto* dialogPage = new TfrxDialogPage(&t.report);
  auto* dataPage = new TfrxDataPage(&t.report);

  EXPECT_EQ(memo->NamePrefix(), "Memo");
  EXPECT_EQ(sys->NamePrefix(), "SysMemo");
  EXPECT_EQ(subreport->NamePrefix(), "Subreport");
  EXPECT_EQ(t.band->NamePrefix(), "MasterData");
  EXPECT_EQ(header->NamePrefix(), "PageHeader");
  EXPECT_EQ(band4->NamePrefix(), "Data4");
  EXPECT_EQ(t.page->NamePrefix(), "Page");
  EXPECT_EQ(dialogPage->NamePrefix(), "DialogPage");
  EXPECT_EQ(dataPage->NamePrefix(), "DataPage");

  EXPECT_EQ(memo->KindCaption(), "Obiekt");
  EXPECT_EQ(subreport->KindCaption(), "Podraport");
  EXPECT_EQ(header->KindCaption(), QStringLiteral("Wstęga"));
  EXPECT_EQ(t.band->KindCaption(), QStringLiteral("Wstęga danych"));
  EXPECT_EQ(t.page->KindCaption(), "Strona");
  EXPECT_EQ(t.report.KindCaption(), "TfrxReport");
  EXPECT_EQ(t.report.ClassName(), "TfrxReport");
  EXPECT_EQ(memo->ClassName(), "TfrxMemoView");
}

TEST(FindObject, IgnoresCaseAndSearchesOnlyBelow) {
  ReportTree t;
  auto* band2 = new TfrxMasterData(t.page);
  band2->SetName("Band2");
  auto* inFirst = t.memo("Memo1");
  auto* inSecond = t.memo("Memo2", band2);

  EXPECT_EQ(t.report.FindObject("mEmO1"), inFirst);
  EXPECT_EQ(t.report.FindObject("memo2"), inSecond);
  EXPECT_EQ(t.report.FindObject("band2"), band2);
  EXPECT_EQ(t.report.FindObject("Nothing"), nullptr);
  EXPECT_EQ(band2->FindObject("Memo1"), nullptr);
  EXPECT_EQ(band2->FindObject("Memo2"), inSecond);
  // The object itself is not among its own descendants.
  EXPECT_EQ(band2->FindObject("Band2"), nullptr);
  EXPECT_EQ(t.page->FindObject("BAND2"), band2);
}

TEST(FindObject, FirstInTreeOrderWhenNamesRepeat) {
  // Names repeat when a subtree named outside the report is moved in.
  ReportTree t;
  TfrxMasterData loose;
  auto* later = new TfrxMemoView(&loose);
  later->SetName("Twin");
  auto* earlier = t.memo("Twin");
  loose.SetParent(t.page);  // after t.band in the page's Objects
  EXPECT_EQ(t.report.FindObject("twin"), earlier);
  EXPECT_EQ(loose.FindObject("Twin"), later);
  delete earlier;
  EXPECT_EQ(t.report.FindObject("Twin"), later);
  loose.SetParent(nullptr);
}

TEST(FindObject, FollowsMovesBetweenReportsAndDestruction) {
  ReportTree a;
  ReportTree b;
  auto* memo = a.memo("Moving");
  QPointer<TfrxMemoView> watch(memo);
  memo->SetParent(b.band);
  EXPECT_EQ(a.report.FindObject("Moving"), nullptr);
  EXPECT_EQ(b.report.FindObject("Moving"), memo);
  // Now taken in b, free in a.
  EXPECT_EQ(errorOf([&] { b.memo("moving"); }), "Nazwa jest już użyta");
  EXPECT_EQ(errorOf([&] { a.memo("Moving"); }), "(no error)");

  memo->SetName("Renamed");
  EXPECT_EQ(b.report.FindObject("Moving"), nullptr);
  EXPECT_EQ(b.report.FindObject("Renamed"), memo);

  b.band->RemoveChildren();
  EXPECT_TRUE(watch.isNull());
  EXPECT_EQ(b.report.FindObject("Renamed"), nullptr);

  // A page that leaves the report takes its objects' names along.
  auto* kept = a.memo("Kept");
  a.page->SetParent(nullptr);
  EXPECT_EQ(a.report.FindObject("Kept"), nullptr);
  EXPECT_EQ(a.page->FindObject("Kept"), kept);
  a.page->SetParent(&a.report);
  EXPECT_EQ(a.report.FindObject("Kept"), kept);
}

TEST(FindObject, EmptyNameFindsTheFirstUnnamedObject) {
  ReportTree t;
  EXPECT_EQ(t.report.FindObject(QString()), t.page);
  t.page->SetName("Page1");
  t.band->SetName("Band1");
  auto* unnamed = new TfrxMemoView(t.band);
  EXPECT_EQ(t.report.FindObject(QString()), unnamed);
}
