// Aligning, sizing and spacing views as they stand on the page (in
// different bands too), their order among siblings and locking, each one
// undo step that gives the document back byte for byte.

#include <gtest/gtest.h>

#include <QUndoStack>

#include "designer/alignment.h"
#include "designer/designer_document.h"
#include "report/model/band.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "tests/report/change_recorder.h"
#include "tests/report/document_support.h"

namespace valmoro::designer {
namespace {

using namespace report;
using report::testing::saveDocument;

// A title band at 20 with view A, a data band at 100 with B, C and D:
//   A  10,25 – 110,45 on the page     B  50,130 – 110,140
//   C 200,110 – 240,140               D 300,170 – 320,190
struct Views {
  Views() {
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    title = band<TfrxReportTitle>("ReportTitle1", 20, 60);
    master = band<TfrxMasterData>("MasterData1", 100, 100);
    a = memo(title, "A", 10, 5, 100, 20);
    b = memo(master, "B", 50, 30, 60, 10);
    c = memo(master, "C", 200, 10, 40, 30);
    d = memo(master, "D", 300, 70, 20, 20);
  }
  template <class B>
  TfrxBand* band(const QString& name, double top, double height) {
    auto* band = new B(page);
    band->SetName(name);
    band->SetBounds(0, top, 718.1107, height);
    return band;
  }
  TfrxMemoView* memo(TfrxBand* parent, const QString& name, double l, double t, double w, double h) {
    auto* view = new TfrxMemoView(parent);
    view->SetName(name);
    view->SetBounds(l, t, w, h);
    return view;
  }
  // Name and bounds of every change, "B 50,10 60x10".
  static QStringList text(const QList<QPair<QString, QRectF>>& bounds) {
    QStringList out;
    for (const auto& [name, r] : bounds)
      out.append(QStringLiteral("%1 %2,%3 %4x%5").arg(name).arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height()));
    return out;
  }
  QStringList aligned(const QList<TfrxComponent*>& objects, AlignAction action) {
    return text(AlignedBounds(objects, action));
  }
  QString refusal(const QList<TfrxComponent*>& objects, AlignAction action) {
    try {
      AlignedBounds(objects, action);
    } catch (const ReportError& e) {
      return e.message();
    }
    return {};
  }
  QStringList childNames(const TfrxComponent* parent) const {
    QStringList out;
    for (const TfrxComponent* child : parent->Objects()) out.append(child->Name());
    return out;
  }
  QByteArray document() const { return saveDocument(report); }
  // The step is pushed; undo gives `before` back and redo the edited
  // document, twice; the step stays done.
  void expectOneStep(std::unique_ptr<QUndoCommand> step, const QByteArray& before, const QString& undoText) {
    ASSERT_NE(step, nullptr);
    stack.push(step.release());
    EXPECT_EQ(stack.undoText(), undoText);
    const QByteArray after = document();
    EXPECT_NE(after, before);
    for (int round = 0; round < 2; ++round) {
      stack.undo();
      EXPECT_EQ(document(), before);
      stack.redo();
      EXPECT_EQ(document(), after);
    }
  }

  TfrxReport report;
  TfrxReportPage* page;
  TfrxBand *title, *master;
  TfrxMemoView *a, *b, *c, *d;
  QUndoStack stack;
};

TEST(Alignment, EdgesAndCentresFollowTheFirstSelectedAcrossBands) {
  Views v;
  EXPECT_EQ(v.aligned({v.b, v.a, v.c}, AlignAction::Lefts), (QStringList{"A 50,5 100x20", "C 50,10 40x30"}));
  // A's right side is already B's: only C moves.
  EXPECT_EQ(v.aligned({v.b, v.a, v.c}, AlignAction::Rights), (QStringList{"C 70,10 40x30"}));
  // C's top is 110 on the page: 10 in its band, 90 in the title.
  EXPECT_EQ(v.aligned({v.c, v.b, v.a}, AlignAction::Tops), (QStringList{"B 50,10 60x10", "A 10,90 100x20"}));
  EXPECT_EQ(v.aligned({v.b, v.c, v.a}, AlignAction::Bottoms), (QStringList{"A 10,100 100x20"}));
  EXPECT_EQ(v.aligned({v.a, v.b, v.c}, AlignAction::HorizontalCentres),
            (QStringList{"B 30,30 60x10", "C 40,10 40x30"}));
  EXPECT_EQ(v.aligned({v.b, v.c, v.a}, AlignAction::VerticalCentres),
            (QStringList{"C 200,20 40x30", "A 10,105 100x20"}));
  // Centred in their own bands, the first selected as well.
  EXPECT_EQ(v.aligned({v.c, v.a}, AlignAction::CentreInBandHorizontally),
            (QStringList{"C 339.055,10 40x30", "A 309.055,5 100x20"}));
  EXPECT_EQ(v.aligned({v.b}, AlignAction::CentreInBandVertically), (QStringList{"B 50,45 60x10"}));
  EXPECT_EQ(v.aligned({v.a, v.b, v.c}, AlignAction::SameWidth), (QStringList{"B 50,30 100x10", "C 200,10 100x30"}));
  EXPECT_EQ(v.aligned({v.c, v.a, v.b}, AlignAction::SameHeight), (QStringList{"A 10,5 100x30", "B 50,30 60x30"}));
}

TEST(Alignment, SpacingKeepsTheOutermostAndEvensTheGaps) {
  Views v;
  // A 10–110, B 50–110, C 200–240: 30 px free between 10 and 240, 15 per gap.
  EXPECT_EQ(v.aligned({v.c, v.a, v.b}, AlignAction::SpaceHorizontally), (QStringList{"B 125,30 60x10"}));
  // C 110–140, B 130–140, D 170–190 on the page: 20 px free, 10 per gap.
  EXPECT_EQ(v.aligned({v.b, v.c, v.d}, AlignAction::SpaceVertically), (QStringList{"B 50,50 60x10"}));
  EXPECT_EQ(v.refusal({v.a, v.b}, AlignAction::SpaceHorizontally), "Zaznacz co najmniej trzy obiekty.");
  EXPECT_EQ(v.refusal({v.a}, AlignAction::Lefts), "Zaznacz co najmniej dwa obiekty.");
  EXPECT_EQ(v.refusal({}, AlignAction::CentreInBandHorizontally), "Zaznacz co najmniej jeden obiekt.");
  // Bands and the page are not arranged with the views.
  EXPECT_EQ(ArrangeableObjects({v.master, v.a, v.page, v.b}), (QList<TfrxComponent*>{v.a, v.b}));
}

TEST(Alignment, LockedObjectsKeepTheirPlaceOrSize) {
  Views v;
  v.c->SetRestrictions(rfDontMove);
  v.b->SetRestrictions(rfDontSize);
  EXPECT_EQ(v.aligned({v.b, v.a, v.c}, AlignAction::Lefts), (QStringList{"A 50,5 100x20"}));
  EXPECT_EQ(v.aligned({v.a, v.b, v.c}, AlignAction::SameWidth), (QStringList{"C 200,10 100x30"}));
  // A locked object between the outermost stays where it is.
  EXPECT_EQ(v.aligned({v.a, v.d, v.c}, AlignAction::SpaceHorizontally), QStringList{});
  EXPECT_EQ(MakeAlign(v.report, {v.a, v.c}, AlignAction::HorizontalCentres), nullptr);
}

TEST(Alignment, ADiagonalLineKeepsItsDirection) {
  Views v;
  // Drawn from right to left: its box is 50–100 on the page.
  auto* line = new TfrxLineView(v.master);
  line->SetName("Line1");
  line->SetDiagonal(true);
  line->SetBounds(100, 0, -50, 20);
  EXPECT_EQ(v.aligned({v.b, line}, AlignAction::Lefts), QStringList{});
  EXPECT_EQ(v.aligned({v.c, line}, AlignAction::Rights), (QStringList{"Line1 240,0 -50x20"}));
  EXPECT_EQ(v.aligned({v.c, line}, AlignAction::SameWidth), (QStringList{"Line1 90,0 -40x20"}));
  const QByteArray before = v.document();
  v.expectOneStep(MakeAlign(v.report, {v.c, line}, AlignAction::Rights), before, "Wyrównanie do prawej");
}

TEST(Alignment, EachActionIsOneStepThatUndoesExactly) {
  Views v;
  const QByteArray before = v.document();
  v.expectOneStep(MakeAlign(v.report, {v.b, v.a, v.c}, AlignAction::Lefts), before, "Wyrównanie do lewej");
  v.stack.undo();
  v.expectOneStep(MakeAlign(v.report, {v.c, v.a, v.b}, AlignAction::SpaceHorizontally), before,
                  "Równe odstępy w poziomie");
  v.stack.undo();
  v.expectOneStep(MakeAlign(v.report, {v.a, v.b}, AlignAction::SameHeight), before, "Ta sama wysokość");
  // The edited page is the one with B 20 px high and nothing else changed
  // (the pages compared: the reports were made at different moments).
  Views w;
  w.b->SetHeight(20);
  EXPECT_EQ(saveDocument(*v.page), saveDocument(*w.page));
}

TEST(Alignment, FrontAndBackChangeTheOrderAmongSiblings) {
  Views v;
  auto* line = new TfrxLineView(v.master);
  line->SetName("Line1");
  line->SetBounds(0, 0, 50, 0);
  ASSERT_EQ(v.childNames(v.master), (QStringList{"B", "C", "D", "Line1"}));
  const QByteArray before = v.document();
  // Selected as C then B, they keep their own order on top.
  auto front = MakeStackingOrder(v.report, {v.c, v.b}, StackingOrder::Front);
  ASSERT_NE(front, nullptr);
  QUndoStack& stack = v.stack;
  Recorder recorder;
  v.report.AddObserver(&recorder);
  stack.push(front.release());
  v.report.RemoveObserver(&recorder);
  EXPECT_EQ(stack.undoText(), "Przeniesienie na wierzch");
  EXPECT_EQ(v.childNames(v.master), (QStringList{"D", "Line1", "B", "C"}));
  // Whoever draws the band hears of each view that changed places.
  EXPECT_EQ(recorder.take(), (QStringList{"D.IndexInParent: 2 -> 0", "Line1.IndexInParent: 3 -> 1"}));
  const QByteArray inFront = v.document();
  stack.undo();
  EXPECT_EQ(v.childNames(v.master), (QStringList{"B", "C", "D", "Line1"}));
  EXPECT_EQ(v.document(), before);
  stack.redo();
  EXPECT_EQ(v.document(), inFront);
  EXPECT_EQ(MakeStackingOrder(v.report, {v.b, v.c}, StackingOrder::Front), nullptr);

  // Views of two bands at once, each among its own siblings.
  auto* second = v.memo(v.title, "E", 0, 0, 10, 10);
  stack.push(MakeStackingOrder(v.report, {second, line}, StackingOrder::Back).release());
  EXPECT_EQ(stack.undoText(), "Przeniesienie pod spód");
  EXPECT_EQ(v.childNames(v.title), (QStringList{"E", "A"}));
  EXPECT_EQ(v.childNames(v.master), (QStringList{"Line1", "D", "B", "C"}));
  stack.undo();
  EXPECT_EQ(v.childNames(v.title), (QStringList{"A", "E"}));
  EXPECT_EQ(v.childNames(v.master), (QStringList{"D", "Line1", "B", "C"}));
}

TEST(Alignment, LockingSetsOnlyTheMoveRestriction) {
  Views v;
  v.c->SetRestrictions(rfDontSize);
  const QByteArray before = v.document();
  v.expectOneStep(MakeLock(v.report, {v.b, v.c}, true), before, "Zablokowanie przesuwania");
  EXPECT_EQ(v.b->Restrictions(), TfrxRestrictions(rfDontMove));
  EXPECT_EQ(v.c->Restrictions(), rfDontSize | rfDontMove);
  // Locked already: nothing to do.
  EXPECT_EQ(MakeLock(v.report, {v.b, v.c}, true), nullptr);
  v.stack.push(MakeLock(v.report, {v.c, v.a}, false).release());
  EXPECT_EQ(v.stack.undoText(), "Odblokowanie przesuwania");
  EXPECT_EQ(v.c->Restrictions(), TfrxRestrictions(rfDontSize));
  EXPECT_EQ(v.b->Restrictions(), TfrxRestrictions(rfDontMove));
  // Unlocked, C lines up with B again.
  EXPECT_EQ(v.aligned({v.b, v.c}, AlignAction::Tops), (QStringList{"C 200,30 40x30"}));
}

TEST(Alignment, TheDocumentActsOnItsSelectionAsOneStep) {
  Views v;
  DesignerDocument document(v.report);
  // The band among the selection is left out; B stays the reference.
  document.SetSelection({v.b, v.master, v.a, v.c});
  EXPECT_EQ(Align(document, AlignAction::Lefts), "");
  EXPECT_EQ(document.UndoStack().undoText(), "Wyrównanie do lewej");
  EXPECT_EQ(v.a->Left(), 50);
  EXPECT_EQ(v.c->Left(), 50);
  document.SetSelection({v.a, v.master});
  EXPECT_EQ(Align(document, AlignAction::Lefts), "Zaznacz co najmniej dwa obiekty.");
  EXPECT_EQ(Align(document, AlignAction::SpaceVertically), "Zaznacz co najmniej trzy obiekty.");
  // Bands are locked with the views.
  EXPECT_EQ(Lock(document, true), "");
  EXPECT_TRUE(v.master->Restrictions().testFlag(rfDontMove));
  EXPECT_TRUE(v.a->Restrictions().testFlag(rfDontMove));
  document.SetSelection({v.d});
  EXPECT_EQ(ChangeStackingOrder(document, StackingOrder::Back), "");
  EXPECT_EQ(v.childNames(v.master), (QStringList{"D", "B", "C"}));
  EXPECT_EQ(document.UndoStack().count(), 3);
}

}  // namespace
}  // namespace valmoro::designer
