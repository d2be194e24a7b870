// "Wypełnienie" driven through its widgets: one colour, a hatch over a
// background, no fill; text views, shapes and pages; one undo step.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>

#include "designer/fill_editor.h"
#include "designer/look_widgets.h"
#include "look_support.h"
#include "report/model/memo_view.h"

using namespace valmoro;
using namespace valmoro::designer;
using namespace valmoro::designer::testing;

namespace {

// The shipped report with a shape in its title.
struct WithShape : Designed {
  WithShape() {
    shapeName = insertObject(*this, "TfrxShapeView", "ReportTitle1", QRectF(600, 0, 80, 30));
    document->UndoStack().clear();
    title = report.FindObject("Tytul");
    shape = report.FindObject(shapeName);
  }
  QString shapeName;
  report::TfrxComponent* title = nullptr;
  report::TfrxComponent* shape = nullptr;
};

bool enabled(QComboBox* combo, int index) {
  auto* model = qobject_cast<QStandardItemModel*>(combo->model());
  return model && model->item(index) && model->item(index)->isEnabled();
}

}  // namespace

TEST(FillEditor, OneColourGoesToTextViewsAndShapesAsOneStep) {
  WithShape d;
  ASSERT_TRUE(d.title && d.shape);
  const QByteArray before = d.bytes();
  FillEditor editor(*d.document, {d.title, d.shape});
  editor.show();
  // The title has no fill.
  EXPECT_EQ(editor.KindCombo()->currentText(), "Brak wypełnienia");
  EXPECT_EQ(editor.ColorBox()->Combo()->currentText(), "Brak");
  chooseText(editor.ColorBox()->Combo(), "Żółty");
  // A colour chosen for no fill makes it one colour.
  EXPECT_EQ(editor.KindCombo()->currentText(), "Jednolite");
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(fillAttributes(d.report, "Tytul"), R"(Color="65535")");
  EXPECT_EQ(fillAttributes(d.report, d.shapeName), R"(Color="65535")");
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Wypełnienie");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(FillEditor, AHatchIsDrawnInTheFrameColourOverTheBackground) {
  WithShape d;
  FillEditor editor(*d.document, {d.shape, d.title});
  editor.show();
  EXPECT_TRUE(enabled(editor.KindCombo(), 2));
  EXPECT_FALSE(editor.HatchCombo()->isEnabled());
  chooseText(editor.KindCombo(), "Kreskowanie");
  EXPECT_TRUE(editor.HatchCombo()->isEnabled());
  chooseText(editor.HatchCombo(), "Kratka");
  // The sample: black hatch lines (the frame's colour) on paper.
  ViewSample* sample = editor.Sample();
  sample->resize(180, 110);
  const QImage image = sample->Render();
  int black = 0, white = 0;
  for (int x = 30; x < 150; ++x) {
    const QRgb pixel = image.pixel(x, 50) & 0xFFFFFF;
    black += pixel == 0;
    white += pixel == 0xFFFFFF;
  }
  EXPECT_GT(black, 5);
  EXPECT_GT(white, 50);
  editor.OkButton()->click();
  // No background: only the brush style is stored.
  EXPECT_EQ(fillAttributes(d.report, d.shapeName), R"(BrushStyle="bsCross")");
  EXPECT_EQ(fillAttributes(d.report, "Tytul"), R"(BrushStyle="bsCross")");

  // A background under it, then no fill again: the hatch goes as well.
  FillEditor again(*d.document, {d.shape});
  again.show();
  EXPECT_EQ(again.KindCombo()->currentText(), "Kreskowanie");
  EXPECT_EQ(again.HatchCombo()->currentText(), "Kratka");
  chooseText(again.ColorBox()->Combo(), "Srebrny");
  again.OkButton()->click();
  EXPECT_EQ(fillAttributes(d.report, d.shapeName), R"(BrushStyle="bsCross" Color="12632256")");
  FillEditor none(*d.document, {d.shape});
  none.show();
  chooseText(none.KindCombo(), "Brak wypełnienia");
  none.OkButton()->click();
  EXPECT_EQ(fillAttributes(d.report, d.shapeName), "");
  EXPECT_EQ(d.document->UndoStack().count(), 3);
}

TEST(FillEditor, APageTakesItsColourButNoHatch) {
  WithShape d;
  report::TfrxComponent* page = d.report.FindObject("Page1");
  ASSERT_NE(page, nullptr);
  FillEditor editor(*d.document, {page, d.title});
  editor.show();
  EXPECT_FALSE(enabled(editor.KindCombo(), 2));
  chooseText(editor.KindCombo(), "Jednolite");
  // One colour starts white rather than none.
  EXPECT_EQ(editor.ColorBox()->Combo()->currentText(), "Biały");
  chooseText(editor.ColorBox()->Combo(), "Akwamaryna");
  editor.OkButton()->click();
  EXPECT_EQ(fillAttributes(d.report, "Page1"), R"(Color="16776960")");
  EXPECT_EQ(fillAttributes(d.report, "Tytul"), R"(Color="16776960")");
  // Choosing "Brak" as the one colour is no fill.
  FillEditor clear(*d.document, {page});
  clear.show();
  chooseText(clear.ColorBox()->Combo(), "Brak");
  EXPECT_EQ(clear.KindCombo()->currentText(), "Brak wypełnienia");
  clear.OkButton()->click();
  EXPECT_EQ(fillAttributes(d.report, "Page1"), "");
}

TEST(FillEditor, CancelAndAnUnchangedFillMakeNoStep) {
  WithShape d;
  const QByteArray before = d.bytes();
  {
    FillEditor editor(*d.document, {d.title});
    editor.show();
    chooseText(editor.ColorBox()->Combo(), "Czerwony");
    clickCancel(&editor);
  }
  {
    FillEditor editor(*d.document, {d.title, d.shape});
    editor.show();
    editor.OkButton()->click();
    EXPECT_FALSE(editor.Applied());
  }
  EXPECT_EQ(d.document->UndoStack().count(), 0);
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(FillEditor, TheModelsClearBrushStaysAndTheRegistryFitsWhatHasAFill) {
  WithShape d;
  auto* title = qobject_cast<report::TfrxCustomMemoView*>(d.title);
  title->SetBrushStyle(report::bsClear);
  EXPECT_EQ(Fill::Of(*title).kind, Fill::Kind::None);
  Fill solid{Fill::Kind::Solid, report::clRed};
  solid.WriteTo(*title);
  EXPECT_EQ(title->BrushStyle(), report::bsClear);
  EXPECT_EQ(quint32(title->Color()), 0x0000FFu);
  EXPECT_EQ(Fill::Of(*title).kind, Fill::Kind::Solid);

  const ObjectEditor* editor = ObjectEditors::Find("fill");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->multiple);
  EXPECT_TRUE(editor->fits(*d.shape));
  EXPECT_TRUE(editor->fits(*d.report.FindObject("Page1")));
  EXPECT_FALSE(editor->fits(*d.report.FindObject("ReportTitle1")));
  EXPECT_EQ(ObjectEditors::ForProperty(*d.shape, "BrushStyle"), editor);

  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FillEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    chooseText(dialog->ColorBox()->Combo(), "Zielony");
    dialog->OkButton()->click();
  });
  EXPECT_TRUE(ObjectEditors::Open(*editor, *d.document, d.shape, {d.shape, d.report.FindObject("ReportTitle1")}, nullptr));
  EXPECT_EQ(fillAttributes(d.report, d.shapeName), R"(Color="32768")");
}
