// The object tree: parents and children, references that must not dangle,
// bounds and positions, fonts, data set references and output hooks.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPointer>

#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/dialog.h"
#include "report/model/hooks.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "report/model/style.h"
#include "report/model/subreport.h"

using namespace valmoro::report;

namespace {

QStringList names(const QList<TfrxComponent*>& objects) {
  QStringList result;
  for (const TfrxComponent* object : objects) result.append(object->Name());
  return result;
}

template <class T>
T* named(TfrxComponent* parent, const QString& name) {
  auto* object = new T(parent);
  object->SetName(name);
  return object;
}

// A report whose data set list is a plain list of data sets.
class ReportWithDataSets : public TfrxReport {
public:
  QList<TfrxDataSet*> dataSets;
  TfrxDataSet* FindDataSet(const QString& userName) const override {
    for (TfrxDataSet* ds : dataSets)
      if (QString::compare(ds->UserName(), userName, Qt::CaseInsensitive) == 0) return ds;
    return nullptr;
  }
};

}  // namespace

TEST(Tree, ParentAppendsAndAllObjectsIsDepthFirst) {
  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "Page1");
  auto* band1 = named<TfrxMasterData>(page, "Band1");
  auto* memo1 = named<TfrxMemoView>(band1, "Memo1");
  named<TfrxMemoView>(band1, "Memo2");
  auto* band2 = named<TfrxMasterData>(page, "Band2");
  named<TfrxMemoView>(band2, "Memo3");

  EXPECT_EQ(names(report.AllObjects()), QStringList({"Page1", "Band1", "Memo1", "Memo2", "Band2", "Memo3"}));
  EXPECT_EQ(names(page->Objects()), QStringList({"Band1", "Band2"}));

  // Setting the same parent changes no order; a new parent appends.
  memo1->SetParent(band1);
  EXPECT_EQ(names(band1->Objects()), QStringList({"Memo1", "Memo2"}));
  memo1->SetParent(band2);
  EXPECT_EQ(names(band1->Objects()), QStringList({"Memo2"}));
  EXPECT_EQ(names(band2->Objects()), QStringList({"Memo3", "Memo1"}));
  memo1->SetParent(band1);
  EXPECT_EQ(names(band1->Objects()), QStringList({"Memo2", "Memo1"}));

  EXPECT_EQ(memo1->Page(), page);
  EXPECT_EQ(page->Page(), page);
  EXPECT_EQ(report.Page(), nullptr);
  EXPECT_EQ(memo1->Report(), &report);
  EXPECT_EQ(report.Report(), &report);

  memo1->SetParent(nullptr);
  EXPECT_EQ(memo1->Report(), nullptr);
  EXPECT_EQ(memo1->Page(), nullptr);
  EXPECT_EQ(names(band1->Objects()), QStringList({"Memo2"}));
  delete memo1;
}

TEST(Tree, CyclesOfParentsAreRefused) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  EXPECT_THROW(page->SetParent(band), ReportError);
  EXPECT_THROW(band->SetParent(band), ReportError);
  EXPECT_EQ(band->Parent(), page);
  EXPECT_EQ(page->Parent(), &report);
  EXPECT_THROW(report.SetParent(page), ReportError);
}

TEST(Tree, RemoveChildrenKeepsObjectsOfTheAncestorReport) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* inherited = named<TfrxMasterData>(page, "Inherited");
  QPointer<TfrxMemoView> inheritedChild = named<TfrxMemoView>(inherited, "Memo1");
  inherited->SetAncestor(true);
  QPointer<TfrxMasterData> own = named<TfrxMasterData>(page, "Own");
  QPointer<TfrxMemoView> ownChild = named<TfrxMemoView>(own, "Memo2");

  page->RemoveChildren();
  EXPECT_EQ(names(page->Objects()), QStringList({"Inherited"}));
  EXPECT_TRUE(inherited->Objects().isEmpty());
  EXPECT_TRUE(inheritedChild.isNull());
  EXPECT_TRUE(own.isNull());
  EXPECT_TRUE(ownChild.isNull());
  EXPECT_EQ(report.FindObject("Memo2"), nullptr);
  EXPECT_EQ(report.FindObject("Inherited"), inherited);

  // Destroying the parent takes objects of the ancestor report along too:
  // they must not outlive the parent they point to.
  QPointer<TfrxMasterData> watch(inherited);
  delete page;
  EXPECT_TRUE(watch.isNull());
  EXPECT_TRUE(report.Objects().isEmpty());
}

TEST(Tree, DestroyedTargetsLeaveNoDanglingReferences) {
  ReportWithDataSets report;
  auto* dataPage = new TfrxDataPage(&report);
  auto* dataSet = named<TfrxDataSet>(dataPage, "frxDBDataset1");
  dataSet->SetUserName("Wpisy");
  report.dataSets.append(dataSet);

  auto* page = new TfrxReportPage(&report);
  auto* master = new TfrxMasterData(page);
  auto* child = new TfrxChild(page);
  auto* first = new TfrxMemoView(master);
  auto* second = new TfrxMemoView(master);
  auto* subreport = new TfrxSubreport(master);
  auto* subPage = new TfrxReportPage(&report);

  master->SetDataSetName("Wpisy");
  first->SetDataSet(dataSet);
  page->SetDataSetName("wpisy");
  master->SetChild(child);
  first->SetFlowTo(second);
  subreport->SetPage(subPage);
  ASSERT_EQ(master->DataSet(), dataSet);
  ASSERT_EQ(page->DataSet(), dataSet);
  ASSERT_EQ(subPage->Subreport(), subreport);

  report.dataSets.clear();
  delete dataSet;
  delete child;
  delete second;
  EXPECT_EQ(master->DataSet(), nullptr);
  EXPECT_EQ(first->DataSet(), nullptr);
  EXPECT_EQ(page->DataSet(), nullptr);
  // The name stays as it was given, for the document to keep.
  EXPECT_EQ(master->DataSetName(), "Wpisy");
  EXPECT_EQ(master->Child(), nullptr);
  EXPECT_EQ(first->FlowTo(), nullptr);

  delete subPage;
  EXPECT_EQ(subreport->Page(), nullptr);

  auto* otherPage = new TfrxReportPage(&report);
  subreport->SetPage(otherPage);
  delete subreport;
  EXPECT_EQ(otherPage->Subreport(), nullptr);
}

TEST(Tree, SubreportMovedToAnotherPageReleasesTheFirst) {
  TfrxReport report;
  auto* band = new TfrxMasterData(new TfrxReportPage(&report));
  auto* subreport = new TfrxSubreport(band);
  auto* one = new TfrxReportPage(&report);
  auto* two = new TfrxReportPage(&report);
  subreport->SetPage(one);
  subreport->SetPage(two);
  EXPECT_EQ(one->Subreport(), nullptr);
  EXPECT_EQ(two->Subreport(), subreport);
  // The page a subreport lies on is still reachable as a component.
  EXPECT_EQ(static_cast<TfrxComponent*>(subreport)->Page(), band->Page());
}

TEST(Tree, ChildBandCyclesAreRefused) {
  TfrxReportPage page;
  auto* master = new TfrxMasterData(&page);
  auto* c1 = new TfrxChild(&page);
  auto* c2 = new TfrxChild(&page);
  auto* c3 = new TfrxChild(&page);
  master->SetChild(c1);
  c1->SetChild(c2);
  c2->SetChild(c3);

  try {
    c3->SetChild(c1);
    FAIL() << "cycle accepted";
  } catch (const ReportError& e) {
    EXPECT_EQ(e.message(), "Circular child reference is not allowed");
  }
  EXPECT_EQ(c3->Child(), nullptr);
  EXPECT_THROW(c1->SetChild(c1), ReportError);
  EXPECT_EQ(c1->Child(), c2);

  // Re-pointing within a chain without a loop is fine.
  c1->SetChild(c3);
  EXPECT_EQ(c1->Child(), c3);
  c1->SetChild(nullptr);
  EXPECT_EQ(c1->Child(), nullptr);
}

TEST(Bounds, SetBoundsAbsolutePositionAndRestrictions) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  band->SetBounds(0, 100, 700, 40);
  auto* memo = new TfrxMemoView(band);
  memo->SetBounds(10, 5, 80, 20);
  EXPECT_DOUBLE_EQ(memo->AbsLeft(), 10);
  EXPECT_DOUBLE_EQ(memo->AbsTop(), 105);
  EXPECT_EQ(memo->AbsoluteBounds(), QRectF(QPointF(10, 105), QPointF(90, 125)));

  // A dialog page's own position is on the screen, not part of its controls'.
  auto* dialog = new TfrxDialogPage(&report);
  dialog->SetLeft(200);
  dialog->SetTop(150);
  auto* control = new TfrxDialogControl(dialog);
  control->SetBounds(8, 16, 75, 25);
  EXPECT_DOUBLE_EQ(control->AbsLeft(), 8);
  EXPECT_DOUBLE_EQ(control->AbsTop(), 16);

  // Restrictions hold only while designing.
  memo->SetRestrictions(rfDontMove | rfDontSize);
  memo->SetBounds(1, 2, 3, 4);
  EXPECT_EQ(QRectF(memo->Left(), memo->Top(), memo->Width(), memo->Height()), QRectF(1, 2, 3, 4));
  memo->SetDesigning(true);
  memo->SetBounds(50, 60, 70, 80);
  EXPECT_EQ(QRectF(memo->Left(), memo->Top(), memo->Width(), memo->Height()), QRectF(1, 2, 3, 4));
  memo->SetRestrictions(rfDontSize);
  memo->SetBounds(50, 60, 70, 80);
  EXPECT_EQ(QRectF(memo->Left(), memo->Top(), memo->Width(), memo->Height()), QRectF(50, 60, 3, 4));
}

TEST(Fonts, ParentFontFollowsAndOwnFontsStay) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* follower = new TfrxMemoView(band);
  auto* own = new TfrxMemoView(band);
  EXPECT_EQ(follower->Font()->Name(), "Arial");
  EXPECT_EQ(follower->Font()->Size(), 10);

  ReportFont courier;
  courier.SetName("Courier New");
  courier.SetSize(12);
  own->SetFont(&courier);
  EXPECT_FALSE(own->ParentFont());
  EXPECT_TRUE(own->IsFontStored());

  // A change of the page's own font reaches the band and its followers.
  page->Font()->SetStyle(fsBold);
  EXPECT_FALSE(page->ParentFont());
  EXPECT_TRUE(band->ParentFont());
  EXPECT_EQ(band->Font()->Style(), TFontStyles(fsBold));
  EXPECT_EQ(follower->Font()->Style(), TFontStyles(fsBold));
  EXPECT_EQ(own->Font()->Style(), TFontStyles());

  band->Font()->SetColor(clRed);
  EXPECT_FALSE(band->ParentFont());
  EXPECT_EQ(follower->Font()->Color(), clRed);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(own->Font()->Color(), clBlack);
  EXPECT_EQ(own->Font()->Name(), "Courier New");

  // Moving to another parent takes that parent's font; asking for the
  // parent's font again drops the own one.
  auto* other = new TfrxHeader(page);
  other->Font()->SetName("Tahoma");
  follower->SetParent(other);
  EXPECT_EQ(follower->Font()->Name(), "Tahoma");
  own->SetParentFont(true);
  EXPECT_EQ(own->Font()->Name(), "Arial");
  EXPECT_EQ(own->Font()->Color(), clRed);
  EXPECT_FALSE(own->IsFontStored());
}

TEST(Fonts, SizeAndHeight) {
  ReportFont font;
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(font.Size(), 10);
  EXPECT_EQ(font.Charset(), 1);
  EXPECT_EQ(font.Color(), clBlack);
  font.SetHeight(-14);  // 10.5 points
  EXPECT_EQ(font.Size(), 11);
  EXPECT_EQ(font.Height(), -14);
  font.SetSize(8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);

  int changes = 0;
  font.SetChangeHandler([&] { ++changes; });
  font.SetSize(8);
  font.SetName(font.Name());
  EXPECT_EQ(changes, 0);
  ReportFont other;
  font.Assign(other);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(font == other);
}

TEST(DataSets, ReferencesByObjectAndByName) {
  ReportWithDataSets report;
  auto* dataPage = new TfrxDataPage(&report);
  auto* dataSet = new TfrxDataSet(dataPage);
  dataSet->SetName("frxDBDataset1");
  EXPECT_EQ(dataSet->UserName(), "frxDBDataset1");  // taken from the name
  dataSet->SetUserName("Wpisy");
  dataSet->SetName("frxDBDataset2");
  EXPECT_EQ(dataSet->UserName(), "Wpisy");
  try {
    dataSet->SetUserName("   ");
    FAIL() << "blank user name accepted";
  } catch (const ReportError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("Nieprawidłowa wartość właściowości"));
  }
  EXPECT_EQ(dataSet->UserName(), "Wpisy");
  report.dataSets.append(dataSet);

  auto* band = new TfrxMasterData(new TfrxReportPage(&report));
  auto* memo = new TfrxMemoView(band);
  memo->SetDataSetName("WPISY");
  EXPECT_EQ(memo->DataSet(), dataSet);
  // Reading gives the data set's own user name.
  EXPECT_EQ(memo->DataSetName(), "Wpisy");
  memo->SetDataField("Temperatura");
  EXPECT_TRUE(memo->IsDataField());
  dataSet->SetUserName("Odczyty");
  EXPECT_EQ(memo->DataSetName(), "Odczyty");

  memo->SetDataSetName("Missing");
  EXPECT_EQ(memo->DataSet(), nullptr);
  EXPECT_EQ(memo->DataSetName(), "Missing");
  EXPECT_FALSE(memo->IsDataField());

  band->SetDataSet(dataSet);
  EXPECT_EQ(band->DataSetName(), "Odczyty");
  band->SetDataSet(nullptr);
  EXPECT_EQ(band->DataSetName(), "");

  // Outside a report the name cannot be looked up.
  TfrxMemoView loose;
  loose.SetDataSetName("Wpisy");
  EXPECT_EQ(loose.DataSet(), nullptr);
  EXPECT_EQ(loose.DataSetName(), "Wpisy");
}

TEST(OutputHooks, DesignStateIsSavedExpandedAndRestored) {
  TfrxReport report;
  auto* band = new TfrxMasterData(new TfrxReportPage(&report));
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(1, 2, 30, 40);
  memo->SetTagStr("id=[Wpisy.\"Id\"]");
  memo->SetURL("plain");

  hooks::setViewTextExpander([](TfrxView& view, const QString& text) {
    return view.Name() + ":" + QString(text).replace("[Wpisy.\"Id\"]", "17");
  });
  memo->SaveDesignState();
  EXPECT_EQ(report.CurObject(), "Memo1");
  memo->FetchData();
  EXPECT_EQ(memo->TagStr(), "Memo1:id=17");
  EXPECT_EQ(memo->URL(), "plain");  // no bracket, not expanded
  memo->SetBounds(5, 6, 70, 80);
  memo->RestoreDesignState();
  hooks::setViewTextExpander(nullptr);

  EXPECT_EQ(memo->TagStr(), "id=[Wpisy.\"Id\"]");
  EXPECT_EQ(QRectF(memo->Left(), memo->Top(), memo->Width(), memo->Height()), QRectF(1, 2, 30, 40));

  // Without an expander the texts go out as designed.
  memo->FetchData();
  EXPECT_EQ(memo->TagStr(), "id=[Wpisy.\"Id\"]");
}

TEST(Copying, GoesThroughTheDocumentFormatWithOrWithoutChildren) {
  TfrxMasterData source;
  source.SetName("Zrodlo");
  source.SetHeight(40);
  auto* child = new TfrxMemoView(&source);
  child->SetName("Tekst");
  child->SetText("abc");
  TfrxMasterData target;
  target.Assign(&source);
  EXPECT_EQ(target.Height(), 40);
  EXPECT_EQ(target.Objects().size(), 0);
  target.AssignWithChildren(&source);
  ASSERT_EQ(target.Objects().size(), 1);
  auto* copied = qobject_cast<TfrxMemoView*>(target.Objects()[0]);
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->Text(), "abc");
  EXPECT_NE(copied, child);
  // Nothing to copy from leaves the target as it was.
  target.Assign(nullptr);
  EXPECT_EQ(target.Height(), 40);
}

TEST(Styles, TextViewsTakeTheirStyle) {
  TfrxReport report;
  TfrxStyleItem* title = report.Styles()->Add();
  title->SetName("Title");
  title->SetColor(clSilver);
  title->Font()->SetName("Tahoma");
  title->Frame()->SetTyp(ftTop | ftBottom);
  TfrxStyleItem* other = report.Styles()->Add();
  EXPECT_THROW(other->SetName("TITLE"), ReportError);
  other->SetName("Body");

  auto* band = new TfrxMasterData(new TfrxReportPage(&report));
  auto* memo = new TfrxMemoView(band);
  memo->SetStyle("title");
  EXPECT_EQ(memo->Color(), clSilver);
  EXPECT_EQ(memo->Font()->Name(), "Tahoma");
  EXPECT_FALSE(memo->ParentFont());
  EXPECT_EQ(memo->Frame()->Typ(), ftTop | ftBottom);

  auto* orphan = new TfrxMemoView(band);
  orphan->SetStyle("Gone");
  EXPECT_EQ(orphan->Color(), clTransparent);
  report.Styles()->Clear();
  TfrxStyleItem* again = report.Styles()->Add();
  again->SetName("Title");
  again->SetColor(clWhite);
  report.Styles()->Apply();
  EXPECT_EQ(memo->Color(), clWhite);
  EXPECT_EQ(orphan->Style(), "");
}

TEST(TextViews, TextJoinsAndSplitsLines) {
  TfrxMemoView memo;
  memo.SetText("one\r\ntwo\nthree\rfour\r\n");
  EXPECT_EQ(memo.Memo(), QStringList({"one", "two", "three", "four"}));
  EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\nfour");
  memo.SetText("a\r\n\r\n");
  EXPECT_EQ(memo.Memo(), QStringList({"a", ""}));
  memo.SetText(QString());
  EXPECT_TRUE(memo.Memo().isEmpty());
}

TEST(Designer, CreationFlagsOfLinesAndShapes) {
  TfrxReportPage page;
  auto* band = new TfrxMasterData(&page);
  struct Expect {
    int flag;
    bool diagonal, arrowEnd, arrowStart;
  };
  for (const Expect& e : {Expect{0, false, false, false}, Expect{1, true, false, false},
                          Expect{2, true, true, false}, Expect{3, true, false, true}, Expect{4, true, true, true}}) {
    auto* line = qobject_cast<TfrxLineView*>(createObjectForDesigner(u"TfrxLineView", band, e.flag));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->IsDesigning());
    EXPECT_EQ(line->Diagonal(), e.diagonal) << e.flag;
    EXPECT_EQ(line->ArrowEnd(), e.arrowEnd) << e.flag;
    EXPECT_EQ(line->ArrowStart(), e.arrowStart) << e.flag;
  }
  auto* shape = qobject_cast<TfrxShapeView*>(createObjectForDesigner(u"TfrxShapeView", band, skEllipse));
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Shape(), skEllipse);
  EXPECT_EQ(band->Objects().size(), 6);
}

TEST(Creation, InitialStateOfSpecialObjects) {
  TfrxReport report;
  auto* band = new TfrxMasterData(new TfrxReportPage(&report));
  auto* subreport = new TfrxSubreport(band);
  EXPECT_EQ(subreport->Font()->Name(), "Tahoma");
  EXPECT_EQ(subreport->Font()->Size(), 8);
  EXPECT_EQ(subreport->Color(), clSilver);
  EXPECT_EQ(subreport->Frame()->Typ(), ftLeft | ftRight | ftTop | ftBottom);
  EXPECT_FALSE(subreport->IsPreviewVisible());
  EXPECT_TRUE(subreport->HasWholeAttributes());
  EXPECT_FALSE((new TfrxMemoView(band))->HasWholeAttributes());

  auto* dataPage = new TfrxDataPage(&report);
  EXPECT_EQ(QSizeF(dataPage->Width(), dataPage->Height()), QSizeF(1000, 1000));
  auto* dataSet = new TfrxDataSet(dataPage);
  EXPECT_EQ(QSizeF(dataSet->Width(), dataSet->Height()), QSizeF(28, 28));
  EXPECT_FALSE(dataSet->IsPreviewVisible());

  auto* dialog = new TfrxDialogPage(&report);
  EXPECT_EQ(dialog->Font()->Name(), "Tahoma");
  EXPECT_EQ(dialog->Color(), clBtnFace);
  auto* control = new TfrxDialogControl(dialog);
  EXPECT_EQ(control->Font()->Name(), "Tahoma");
}
