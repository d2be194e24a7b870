// Edits of a report as undoable commands, run on a QUndoStack without any
// window: each step undoes to the very document it started from and redoes
// to the one it made; bad input is refused before anything changes.

#include <gtest/gtest.h>

#include <QUndoStack>

#include "document_support.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/edit/hit_test.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"

namespace valmoro::report {
namespace {

using namespace edit;
using testing::saveDocument;

// A page with a title band (a heading) and a data band (two fields, the
// second kept at the band's bottom).
struct Design {
  Design() {
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    title = new TfrxReportTitle(page);
    title->SetName("ReportTitle1");
    title->SetBounds(0, 20, 718, 40);
    heading = new TfrxMemoView(title);
    heading->SetName("Naglowek");
    heading->SetBounds(0, 0, 300, 20);
    heading->SetText("Dziennik");
    data = new TfrxMasterData(page);
    data->SetName("MasterData1");
    data->SetBounds(0, 100, 718, 20);
    field = new TfrxMemoView(data);
    field->SetName("Pole");
    field->SetBounds(10, 0, 100, 18);
    footer = new TfrxMemoView(data);
    footer->SetName("Stopka");
    footer->SetBounds(200, 0, 100, 18);
    footer->SetAlign(baBottom);
  }
  QByteArray document() const { return saveDocument(report); }

  TfrxReport report;
  TfrxReportPage* page;
  TfrxBand* title;
  TfrxBand* data;
  TfrxMemoView *heading, *field, *footer;
};

// Undo gives back the first document and redo the second, twice over.
void expectUndoRedo(QUndoStack& stack, const QByteArray& before, const QByteArray& after, const Design& d) {
  stack.undo();
  EXPECT_EQ(d.document(), before);
  stack.redo();
  EXPECT_EQ(d.document(), after);
  stack.undo();
  EXPECT_EQ(d.document(), before);
  stack.redo();
  EXPECT_EQ(d.document(), after);
}

TEST(EditCommands, PropertiesChangeAsOneStepAndUndoExactly) {
  Design d;
  QUndoStack stack;
  const QByteArray before = d.document();
  stack.push(new SetPropertyCommand(d.report, {"Naglowek", "Pole"}, "Font.Height", "-16"));
  EXPECT_EQ(d.heading->Font()->Height(), -16);
  EXPECT_EQ(d.field->Font()->Height(), -16);
  EXPECT_EQ(stack.count(), 1);
  EXPECT_EQ(stack.undoText(), "Zmiana Font.Height: Naglowek, Pole");
  expectUndoRedo(stack, before, d.document(), d);

  // Texts, enumerations by member name, and a rename.
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Text", "[Wpisy.\"Punkt\"]\r\nwiersz 2"));
  EXPECT_EQ(d.field->Text(), "[Wpisy.\"Punkt\"]\r\nwiersz 2");
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "HAlign", "haRight"));
  EXPECT_EQ(d.field->HAlign(), haRight);
  const QByteArray beforeRename = d.document();
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Name", "PolePunkt"));
  EXPECT_EQ(d.field->Name(), "PolePunkt");
  expectUndoRedo(stack, beforeRename, d.document(), d);
  // Later steps still find the object by its new name.
  stack.push(new SetPropertyCommand(d.report, {"PolePunkt"}, "Width", "120"));
  EXPECT_DOUBLE_EQ(d.field->Width(), 120);
  while (stack.canUndo()) stack.undo();
  EXPECT_EQ(d.document(), before);
}

// What a document leaves out while it has its usual value (a frame's width
// of 1, a gap of 2, an empty highlight condition) is still put back.
TEST(EditCommands, ValuesBackAtWhatDocumentsLeaveOutAreUndoneAndRedone) {
  Design d;
  QUndoStack stack;
  const QByteArray before = d.document();
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Frame.Width", "2.5"));
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Frame.ShadowWidth", "6"));
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "GapX", "5"));
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Highlight.Condition", "Value > 0"));
  const QByteArray changed = d.document();
  EXPECT_NE(changed, before);
  while (stack.canUndo()) stack.undo();
  EXPECT_EQ(d.document(), before);
  EXPECT_DOUBLE_EQ(d.field->Frame()->Width(), 1);
  EXPECT_DOUBLE_EQ(d.field->Frame()->LeftLine()->Width(), 1);
  while (stack.canRedo()) stack.redo();
  EXPECT_EQ(d.document(), changed);

  // Back to the usual values: undo gives the changed ones again.
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Frame.Width", "1"));
  stack.push(new SetPropertyCommand(d.report, {"Pole"}, "Highlight.Condition", ""));
  stack.undo();
  stack.undo();
  EXPECT_EQ(d.document(), changed);
  stack.redo();
  stack.redo();
  EXPECT_DOUBLE_EQ(d.field->Frame()->Width(), 1);
  EXPECT_TRUE(d.field->Highlight()->Condition().isEmpty());
}

TEST(EditCommands, TypingIntoOneFieldIsOneStep) {
  Design d;
  QUndoStack stack;
  const QByteArray before = d.document();
  for (const char* text : {"D", "Dz", "Dzi"}) stack.push(new SetPropertyCommand(d.report, {"Naglowek"}, "Text", text));
  EXPECT_EQ(stack.count(), 1);
  EXPECT_EQ(d.heading->Text(), "Dzi");
  stack.undo();
  EXPECT_EQ(d.document(), before);
}

TEST(EditCommands, BadInputIsRefusedBeforeAnythingChanges) {
  Design d;
  const QByteArray before = d.document();
  const auto refused = [&](const std::function<void()>& make) {
    try {
      make();
    } catch (const ReportError& e) {
      EXPECT_EQ(d.document(), before);
      return e.message();
    }
    return QString("(accepted)");
  };
  EXPECT_EQ(refused([&] { SetPropertyCommand(d.report, {"Brak"}, "Width", "1"); }), "Raport nie ma obiektu Brak.");
  EXPECT_NE(refused([&] { SetPropertyCommand(d.report, {"Naglowek", "Pole"}, "HAlign", "haNigdzie"); }),
            "(accepted)");
  EXPECT_NE(refused([&] { SetPropertyCommand(d.report, {"Pole"}, "Width", "szeroko"); }), "(accepted)");
  EXPECT_EQ(refused([&] { SetBoundsCommand(d.report, {{"Pole", QRectF(0, 0, -5, 10)}}); }),
            "Wymiary obiektu Pole nie mogą być ujemne.");
  EXPECT_EQ(refused([&] { InsertCommand(d.report, "TfrxNieMa", "MasterData1", QRectF(0, 0, 10, 10)); }),
            "Nieznana klasa obiektu: TfrxNieMa");
  EXPECT_EQ(refused([&] { ReparentCommand(d.report, "MasterData1", "Pole"); }),
            "Obiektu MasterData1 nie można umieścić w nim samym.");
  EXPECT_EQ(refused([&] { PasteCommand(d.report, "<nie xml", "MasterData1"); }),
            "Schowek nie zawiera obiektów raportu.");
}

TEST(EditCommands, ResizingABandMovesItsBottomViewAndUndoPutsItBack) {
  Design d;
  QUndoStack stack;
  const QByteArray before = d.document();
  stack.push(new SetBoundsCommand(d.report, {{"MasterData1", QRectF(0, 100, 718, 40)}}));
  EXPECT_EQ(stack.undoText(), "Zmiana rozmiaru");
  EXPECT_DOUBLE_EQ(d.data->Height(), 40);
  EXPECT_DOUBLE_EQ(d.footer->Top(), 40 - 18);
  expectUndoRedo(stack, before, d.document(), d);
  stack.undo();
  EXPECT_DOUBLE_EQ(d.footer->Top(), 0);

  // A drag: every move of the same objects is one step.
  stack.clear();
  for (int x = 11; x <= 15; ++x)
    stack.push(new SetBoundsCommand(d.report, {{"Pole", QRectF(x, 0, 100, 18)}, {"Stopka", QRectF(x + 190, 0, 100, 18)}}));
  EXPECT_EQ(stack.count(), 1);
  EXPECT_EQ(stack.undoText(), "Przesunięcie");
  EXPECT_DOUBLE_EQ(d.field->Left(), 15);
  stack.undo();
  EXPECT_EQ(d.document(), before);
}

TEST(EditCommands, InsertDeleteAndPasteKeepNamesAndOrder) {
  Design d;
  QUndoStack stack;
  const QByteArray start = d.document();
  auto* insert = new InsertCommand(d.report, "TfrxMemoView", "MasterData1", QRectF(400, 0, 80, 18));
  EXPECT_EQ(d.document(), start);
  stack.push(insert);
  ASSERT_NE(d.report.FindObject(insert->InsertedName()), nullptr);
  EXPECT_TRUE(insert->InsertedName().startsWith("Memo")) << insert->InsertedName().toStdString();
  EXPECT_EQ(d.data->Objects().size(), 3);
  expectUndoRedo(stack, start, d.document(), d);

  // The data band with its three views goes, and comes back in its place.
  const QByteArray withInsert = d.document();
  stack.push(new DeleteCommand(d.report, {"Pole", "MasterData1"}));
  EXPECT_EQ(stack.undoText(), "Usunięcie MasterData1");
  EXPECT_EQ(d.report.FindObject("Pole"), nullptr);
  EXPECT_EQ(d.page->Objects().size(), 1);
  expectUndoRedo(stack, withInsert, d.document(), d);
  stack.undo();
  // Undone, the band is rebuilt: found again by its name.
  d.data = qobject_cast<TfrxBand*>(d.report.FindObject("MasterData1"));
  ASSERT_NE(d.data, nullptr);

  // Copied and pasted twice: new names, moved by the offset, the text kept.
  const QString clip = CopyAsXml(d.report, {"Naglowek"});
  auto* first = new PasteCommand(d.report, clip, "MasterData1", QPointF(5, 2));
  stack.push(first);
  auto* second = new PasteCommand(d.report, clip, "MasterData1", QPointF(5, 2));
  stack.push(second);
  ASSERT_EQ(first->PastedNames().size(), 1);
  ASSERT_EQ(second->PastedNames().size(), 1);
  EXPECT_NE(first->PastedNames().first(), "Naglowek");
  EXPECT_NE(first->PastedNames().first(), second->PastedNames().first());
  auto* pasted = qobject_cast<TfrxMemoView*>(d.report.FindObject(first->PastedNames().first()));
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->Parent(), d.data);
  EXPECT_EQ(pasted->Text(), "Dziennik");
  EXPECT_DOUBLE_EQ(pasted->Left(), 5);
  EXPECT_DOUBLE_EQ(pasted->Top(), 2);
  while (stack.canUndo()) stack.undo();
  EXPECT_EQ(d.document(), start);
  while (stack.canRedo()) stack.redo();
  d.data = qobject_cast<TfrxBand*>(d.report.FindObject("MasterData1"));
  ASSERT_NE(d.data, nullptr);
  EXPECT_EQ(d.data->Objects().size(), 5);
}

TEST(EditCommands, InsertWithACreationFlagMakesTheDesignersKind) {
  Design d;
  QUndoStack stack;
  const QByteArray start = d.document();
  // Flag 4: a line with arrows at both ends (so diagonal); 2 for a shape: an ellipse.
  auto* line = new InsertCommand(d.report, "TfrxLineView", "MasterData1", QRectF(0, 0, 50, 10), 4);
  stack.push(line);
  auto* shape = new InsertCommand(d.report, "TfrxShapeView", "MasterData1", QRectF(60, 0, 20, 20), 2);
  stack.push(shape);
  auto* plain = new InsertCommand(d.report, "TfrxLineView", "MasterData1", QRectF(0, 0, 50, 0));
  stack.push(plain);
  EXPECT_EQ(line->InsertedName(), "Line1");
  EXPECT_EQ(plain->InsertedName(), "Line2");
  EXPECT_EQ(shape->InsertedName(), "Shape1");
  auto* arrows = qobject_cast<TfrxLineView*>(d.report.FindObject("Line1"));
  ASSERT_NE(arrows, nullptr);
  EXPECT_TRUE(arrows->Diagonal());
  EXPECT_TRUE(arrows->ArrowStart());
  EXPECT_TRUE(arrows->ArrowEnd());
  auto* straight = qobject_cast<TfrxLineView*>(d.report.FindObject("Line2"));
  ASSERT_NE(straight, nullptr);
  EXPECT_FALSE(straight->Diagonal());
  EXPECT_FALSE(straight->ArrowEnd());
  auto* ellipse = qobject_cast<TfrxShapeView*>(d.report.FindObject("Shape1"));
  ASSERT_NE(ellipse, nullptr);
  EXPECT_EQ(ellipse->Shape(), skEllipse);
  // What the flag made is in the document: undone and redone, it stays.
  const QByteArray made = d.document();
  EXPECT_TRUE(made.contains("Name=\"Line1\"")) << made.toStdString();
  while (stack.canUndo()) stack.undo();
  EXPECT_EQ(d.document(), start);
  while (stack.canRedo()) stack.redo();
  EXPECT_EQ(d.document(), made);
  EXPECT_TRUE(qobject_cast<TfrxLineView*>(d.report.FindObject("Line1"))->ArrowStart());
  EXPECT_EQ(qobject_cast<TfrxShapeView*>(d.report.FindObject("Shape1"))->Shape(), skEllipse);
}

TEST(EditCommands, AViewMovedIntoAnotherBandKeepsItsPlaceOnThePage) {
  Design d;
  QUndoStack stack;
  const QByteArray before = d.document();
  const QRectF onPage = d.field->AbsoluteBounds();
  stack.push(new ReparentCommand(d.report, "Pole", "ReportTitle1"));
  EXPECT_EQ(d.field->Parent(), d.title);
  EXPECT_EQ(d.title->Objects().last(), d.field);
  EXPECT_EQ(d.field->AbsoluteBounds(), onPage);
  EXPECT_DOUBLE_EQ(d.field->Top(), 80);
  expectUndoRedo(stack, before, d.document(), d);
  stack.undo();
  EXPECT_EQ(d.data->Objects().first(), d.field);
}

TEST(EditCommands, MoveChildPutsAnObjectAtAnIndexAmongItsSiblings) {
  Design d;
  auto* third = new TfrxMemoView(d.data);
  third->SetName("Trzecie");
  QUndoStack stack;
  const QByteArray before = d.document();
  stack.push(new MoveChildCommand(d.report, "Trzecie", 0));
  EXPECT_EQ(stack.undoText(), "Zmiana kolejności Trzecie");
  EXPECT_EQ(d.data->Objects(), (QList<TfrxComponent*>{third, d.field, d.footer}));
  const QByteArray after = d.document();
  EXPECT_LT(after.indexOf("Name=\"Trzecie\""), after.indexOf("Name=\"Pole\""));
  expectUndoRedo(stack, before, after, d);
  stack.undo();
  EXPECT_EQ(d.data->Objects(), (QList<TfrxComponent*>{d.field, d.footer, third}));
  // Past the end: the last place.
  stack.push(new MoveChildCommand(d.report, "pole", 7));
  EXPECT_EQ(d.data->Objects(), (QList<TfrxComponent*>{d.footer, third, d.field}));
  stack.undo();
  EXPECT_EQ(d.document(), before);
  try {
    MoveChildCommand(d.report, "NieMa", 0);
    ADD_FAILURE() << "a missing object was accepted";
  } catch (const ReportError& e) {
    EXPECT_EQ(e.message(), "Raport nie ma obiektu NieMa.");
  }
}

TEST(HitTest, HandlesViewsBandsAndThePage) {
  Design d;
  auto* rule = new TfrxLineView(d.data);
  rule->SetName("Linia");
  rule->SetBounds(0, 19, 718, 0);
  // Absolute: the field spans 10…110 × 100…118.
  EXPECT_EQ(HitTest(*d.page, {50, 105}).object, d.field);
  EXPECT_EQ(HitTest(*d.page, {50, 105}).part, HitPart::View);
  EXPECT_EQ(HitTest(*d.page, {150, 105}).object, d.data);
  EXPECT_EQ(HitTest(*d.page, {150, 105}).part, HitPart::Band);
  EXPECT_EQ(HitTest(*d.page, {150, 90}).part, HitPart::Page);
  // A line is found within the grip of its stroke.
  EXPECT_EQ(HitTest(*d.page, {500, 121}).object, rule);
  // The selected field's bottom-right handle, before the view under it.
  const Hit handle = HitTest(*d.page, {109, 117}, {d.field});
  EXPECT_EQ(handle.part, HitPart::Handle);
  EXPECT_EQ(handle.handle, hBottomRight);
  EXPECT_EQ(HitTest(*d.page, {60, 99}, {d.field}).handle, hTop);
  // A view over another is found first.
  auto* over = new TfrxMemoView(d.data);
  over->SetName("Nad");
  over->SetBounds(50, 0, 20, 18);
  EXPECT_EQ(HitTest(*d.page, {55, 105}).object, over);

  // A rubber band over the data band's left: the views it meets, then bands.
  const QList<TfrxComponent*> met = ObjectsIn(*d.page, QRectF(0, 95, 120, 10));
  EXPECT_EQ(met, (QList<TfrxComponent*>{d.field, over, d.data}));
  // Wholly inside: the two views; the band and the line reach further.
  EXPECT_EQ(ObjectsIn(*d.page, QRectF(0, 95, 120, 30), true), (QList<TfrxComponent*>{d.field, over}));
}

}  // namespace
}  // namespace valmoro::report
