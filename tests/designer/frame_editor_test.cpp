// "Ramka" driven as a user drives it: sides toggled, style, width and
// colour chosen for all sides or one, the shadow; what the objects then
// hold as the document writes them, one undo step, and refusals.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "designer/frame_editor.h"
#include "designer/look_widgets.h"
#include "look_support.h"

using namespace valmoro;
using namespace valmoro::designer;
using namespace valmoro::designer::testing;

namespace {

struct Headings : Designed {
  report::TfrxComponent* date = report.FindObject("NaglowekData");
  report::TfrxComponent* point = report.FindObject("NaglowekPunkt");
  int steps() { return document->UndoStack().count(); }
};

}  // namespace

TEST(FrameEditor, SidesStyleWidthAndColourGoToEverySelectedObjectAsOneStep) {
  Headings d;
  ASSERT_TRUE(d.date && d.point);
  const QByteArray before = d.bytes();
  FrameEditor editor(*d.document, {d.date, d.point});
  editor.show();
  FramePanel* panel = editor.Panel();
  // The first object's frame is shown: a bottom line only.
  EXPECT_TRUE(panel->SideButton(report::ftBottom)->isChecked());
  EXPECT_FALSE(panel->SideButton(report::ftLeft)->isChecked());
  EXPECT_EQ(panel->WidthEdit()->text(), "1");

  panel->AllButton()->click();
  for (report::TfrxFrameType side : {report::ftLeft, report::ftTop, report::ftRight, report::ftBottom})
    EXPECT_TRUE(panel->SideButton(side)->isChecked());
  choose(panel->StyleCombo(), int(report::fsDash));
  typeOver(panel->WidthEdit(), "1,5");
  chooseText(panel->LineColor()->Combo(), "Czerwony");
  editor.OkButton()->click();

  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(editor.Applied());
  for (const char* name : {"NaglowekData", "NaglowekPunkt"})
    EXPECT_EQ(frameAttributes(d.report, name), R"(Frame.Color="255" Frame.Style="fsDash" Frame.Typ="15" Frame.Width="1,5")")
        << name;
  EXPECT_EQ(d.steps(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Ramka");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(FrameEditor, OneSideTakesItsOwnLineAndTheShadowItsWidthAndColour) {
  Headings d;
  FrameEditor editor(*d.document, {d.date});
  editor.show();
  FramePanel* panel = editor.Panel();
  panel->SideButton(report::ftLeft)->click();
  choose(panel->TargetCombo(), int(FrameTarget::Left));
  choose(panel->StyleCombo(), int(report::fsDouble));
  typeOver(panel->WidthEdit(), "3");
  // Back on all sides, the fields show the frame's own line again.
  choose(panel->TargetCombo(), int(FrameTarget::All));
  EXPECT_EQ(panel->StyleCombo()->currentIndex(), int(report::fsSolid));
  EXPECT_EQ(panel->WidthEdit()->text(), "1");
  choose(panel->TargetCombo(), int(FrameTarget::Left));
  EXPECT_EQ(panel->StyleCombo()->currentIndex(), int(report::fsDouble));
  EXPECT_EQ(panel->WidthEdit()->text(), "3");

  panel->ShadowCheck()->click();
  typeOver(panel->ShadowWidthEdit(), "6");
  chooseText(panel->ShadowColor()->Combo(), "Szary");
  editor.OkButton()->click();

  EXPECT_EQ(frameAttributes(d.report, "NaglowekData"),
            R"(Frame.DropShadow="True" Frame.ShadowColor="8421504" Frame.ShadowWidth="6" Frame.Typ="9" )"
            R"(Frame.LeftLine.Style="fsDouble" Frame.LeftLine.Width="3")");
  // The other heading was not asked for.
  EXPECT_EQ(frameAttributes(d.report, "NaglowekPunkt"), R"(Frame.Typ="8")");
}

TEST(FrameEditor, CancelAndAnUnchangedFrameLeaveTheDocumentAlone) {
  Headings d;
  const QByteArray before = d.bytes();
  {
    FrameEditor editor(*d.document, {d.date, d.point});
    editor.show();
    editor.Panel()->NoneButton()->click();
    clickCancel(&editor);
    EXPECT_FALSE(editor.isVisible());
  }
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  {
    // "Brak" then the bottom side again: the frame the objects have.
    FrameEditor editor(*d.document, {d.date, d.point});
    editor.show();
    editor.Panel()->NoneButton()->click();
    editor.Panel()->SideButton(report::ftBottom)->click();
    editor.OkButton()->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(editor.Applied());
  }
  EXPECT_EQ(d.steps(), 0);
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(FrameEditor, AWidthThatIsNoNumberOrTooWideIsRefusedAndTheDialogStaysWithTheInput) {
  Headings d;
  const QByteArray before = d.bytes();
  FrameEditor editor(*d.document, {d.date});
  editor.show();
  FramePanel* panel = editor.Panel();
  typeOver(panel->WidthEdit(), "gruba");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ErrorLine()->text(), "„gruba” nie jest szerokością linii: liczba pikseli od 0 do 100.");
  EXPECT_EQ(panel->WidthEdit()->text(), "gruba");
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  typeOver(panel->ShadowWidthEdit(), "250");
  typeOver(panel->WidthEdit(), "2");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ErrorLine()->text(), "„250” nie jest szerokością linii: liczba pikseli od 0 do 100.");

  typeOver(panel->ShadowWidthEdit(), "4");
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(frameAttributes(d.report, "NaglowekData"), R"(Frame.Typ="8" Frame.Width="2")");
}

TEST(FrameEditor, TheSampleIsPaintedWithTheDraftFrame) {
  FramePanel panel;
  ViewSample* sample = panel.Sample();
  sample->resize(180, 110);
  const int middle = 55;
  // No sides: the box is all paper.
  EXPECT_EQ(sample->Render().pixel(14, middle) & 0xFFFFFF, 0xFFFFFFu);
  panel.AllButton()->click();
  chooseText(panel.LineColor()->Combo(), "Czerwony");
  typeOver(panel.WidthEdit(), "3");
  const QImage framed = sample->Render();
  // The left side on the box's edge, three pixels wide; inside stays paper.
  for (int x : {13, 14, 15}) EXPECT_EQ(framed.pixel(x, middle) & 0xFFFFFF, 0xFF0000u) << x;
  EXPECT_EQ(framed.pixel(11, middle) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(framed.pixel(90, middle) & 0xFFFFFF, 0xFFFFFFu);
  // Only the top side left: the left edge is paper again.
  panel.NoneButton()->click();
  panel.SideButton(report::ftTop)->click();
  const QImage top = sample->Render();
  EXPECT_EQ(top.pixel(14, middle) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(top.pixel(90, 14) & 0xFFFFFF, 0xFF0000u);
}

TEST(FrameEditor, TheRegistryOpensItForObjectsWithAFrameWithTheSideOfTheInspectorsRow) {
  Headings d;
  const ObjectEditor* editor = ObjectEditors::Find("frame");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->multiple);
  EXPECT_TRUE(editor->fits(*d.date));
  EXPECT_TRUE(editor->fits(*d.report.FindObject("Page1")));
  EXPECT_FALSE(editor->fits(*d.report.FindObject("MasterData1")));
  EXPECT_EQ(ObjectEditors::ForProperty(*d.date, "Frame.TopLine"), editor);

  bool saw = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FrameEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    saw = true;
    EXPECT_EQ(dialog->windowTitle(), "Ramka");
    EXPECT_EQ(dialog->Panel()->Target(), FrameTarget::Top);
    choose(dialog->Panel()->StyleCombo(), int(report::fsDot));
    dialog->OkButton()->click();
  });
  EXPECT_TRUE(ObjectEditors::Open(*editor, *d.document, d.point, {d.date, d.point, d.report.FindObject("MasterData1")},
                                  nullptr, "Frame.TopLine"));
  EXPECT_TRUE(saw);
  for (const char* name : {"NaglowekData", "NaglowekPunkt"})
    EXPECT_EQ(frameAttributes(d.report, name), R"(Frame.Typ="8" Frame.TopLine.Style="fsDot")") << name;
  EXPECT_EQ(d.steps(), 1);
}
