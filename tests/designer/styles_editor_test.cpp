// "Style" and "Styl" driven through their widgets: styles added, renamed
// (duplicates refused), given a font, fill and frame, deleted; style sets
// saved and loaded back; OK as one step that the text views using a style
// follow; a style given to selected text views.
#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "designer/designer_form.h"
#include "designer/frame_editor.h"
#include "designer/look_widgets.h"
#include "designer/styles_editor.h"
#include "look_support.h"
#include "platform/dialogs.h"
#include "report/model/memo_view.h"
#include "report/model/serializer.h"
#include "report/model/style.h"

using namespace valmoro;
using namespace valmoro::designer;
using namespace valmoro::designer::testing;

namespace {

QString styleSheetText(const report::TfrxStyles& styles) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  styles.SaveToStream(buffer);
  return QString::fromUtf8(buffer.data());
}

QStringList listed(QListWidget* list) {
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
  return names;
}

// The shipped report with a style "Wyróżnienie" that the title uses.
struct WithStyle : Designed {
  WithStyle() {
    EXPECT_EQ(document->ChangeReport("przygotowanie", [](report::TfrxReport& r) {
      report::TfrxStyleItem* item = r.Styles()->Add();
      item->SetName("Wyróżnienie");
      item->SetColor(0x00FFFF);
      item->Font()->SetName("Arial");
      item->Font()->SetSize(12);
      item->Font()->SetStyle(report::fsBold);
      item->Frame()->SetTyp(report::TfrxFrameTypes(15));
      qobject_cast<report::TfrxCustomMemoView*>(r.FindObject("Tytul"))->SetStyle("Wyróżnienie");
    }), "");
    document->UndoStack().clear();
  }
  dialogs::RecordingScope recording;
};

}  // namespace

TEST(StylesEditor, StylesAddedAndEditedAreAppliedAsOneStep) {
  Designed d;
  dialogs::RecordingScope recording;
  const QByteArray before = d.bytes();
  StylesEditor editor(*d.document);
  editor.show();
  EXPECT_EQ(editor.List()->count(), 0);
  EXPECT_FALSE(editor.NameEdit()->isEnabled());
  editor.AddButton()->click();
  EXPECT_EQ(editor.NameEdit()->text(), "Styl1");
  typeOver(editor.NameEdit(), "Nagłówek");
  EXPECT_EQ(listed(editor.List()), QStringList({"Nagłówek"}));
  dialogs::FontChoice font;
  font.font = QFont("Times New Roman", 14);
  font.font.setItalic(true);
  font.color = Qt::blue;
  dialogs::queueFontAnswer(font);
  editor.FontButton()->click();
  EXPECT_EQ(editor.FontLabel()->text(), "Times New Roman, 14 pt, kursywa");
  chooseText(editor.FillColor()->Combo(), "Srebrny");
  editor.Frame()->SideButton(report::ftBottom)->click();
  typeOver(editor.Frame()->WidthEdit(), "2");
  editor.AddButton()->click();
  EXPECT_EQ(editor.NameEdit()->text(), "Styl1");
  EXPECT_EQ(editor.Current(), 1);
  // The second style starts as the model makes one.
  EXPECT_EQ(editor.FillColor()->Combo()->currentText(), "Brak wypełnienia");
  EXPECT_FALSE(editor.Frame()->SideButton(report::ftBottom)->isChecked());
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(editor.Applied());

  const report::TfrxStyles& styles = *d.report.Styles();
  ASSERT_EQ(styles.Count(), 2);
  const report::TfrxStyleItem* first = styles.Item(0);
  EXPECT_EQ(first->Name(), "Nagłówek");
  EXPECT_EQ(quint32(first->Color()), 0xC0C0C0u);
  EXPECT_EQ(first->Font()->Name(), "Times New Roman");
  EXPECT_EQ(first->Font()->Size(), 14);
  EXPECT_EQ(int(first->Font()->Style()), int(report::fsItalic));
  EXPECT_EQ(quint32(first->Font()->Color()), 0xFF0000u);
  EXPECT_EQ(int(first->Frame()->Typ()), int(report::ftBottom));
  EXPECT_EQ(first->Frame()->Width(), 2);
  EXPECT_EQ(styles.Item(1)->Name(), "Styl1");
  // The document keeps them.
  {
    report::TfrxReport reread;
    QBuffer buffer;
    buffer.setData(d.bytes());
    buffer.open(QIODevice::ReadOnly);
    report::readDocument(reread, buffer);
    EXPECT_EQ(styleSheetText(*reread.Styles()), styleSheetText(styles));
  }
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Style");
  d.document->UndoStack().undo();
  EXPECT_EQ(d.report.Styles()->Count(), 0);
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(StylesEditor, ADuplicateNameIsRefusedAndTheDialogStaysWithTheName) {
  WithStyle d;
  const QByteArray before = d.bytes();
  StylesEditor editor(*d.document);
  editor.show();
  editor.AddButton()->click();
  typeOver(editor.NameEdit(), "wyróżnienie");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa „wyróżnienie” jest już użyta przez inny styl.");
  editor.OkButton()->click();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.NameEdit()->text(), "wyróżnienie");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa „wyróżnienie” jest już użyta przez inny styl.");
  // The style keeps the name it had.
  EXPECT_EQ(listed(editor.List()), QStringList({"Wyróżnienie", "Styl1"}));
  typeOver(editor.NameEdit(), "");
  EXPECT_EQ(editor.ErrorLine()->text(), "Nazwa stylu nie może być pusta.");
  typeOver(editor.NameEdit(), "Uwaga");
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  EXPECT_EQ(listed(editor.List()), QStringList({"Wyróżnienie", "Uwaga"}));
  clickCancel(&editor);
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_EQ(d.document->UndoStack().count(), 0);
}

TEST(StylesEditor, TextViewsFollowTheirChangedStyleAndLoseADeletedOne) {
  WithStyle d;
  auto* title = qobject_cast<report::TfrxCustomMemoView*>(d.report.FindObject("Tytul"));
  EXPECT_EQ(quint32(title->Color()), 0x00FFFFu);
  {
    StylesEditor editor(*d.document);
    editor.show();
    EXPECT_EQ(editor.Current(), 0);
    chooseText(editor.FillColor()->Combo(), "Limonkowy");
    editor.OkButton()->click();
  }
  EXPECT_EQ(quint32(title->Color()), 0x00FF00u);
  EXPECT_TRUE(attributesOf(d.report, "Tytul").contains(R"(Style="Wyróżnienie")"));
  {
    StylesEditor editor(*d.document);
    editor.show();
    editor.DeleteButton()->click();
    EXPECT_EQ(editor.List()->count(), 0);
    EXPECT_EQ(editor.Current(), -1);
    editor.OkButton()->click();
  }
  EXPECT_EQ(title->Style(), "");
  // Its look stays with it.
  EXPECT_EQ(quint32(title->Color()), 0x00FF00u);
  EXPECT_EQ(d.document->UndoStack().count(), 2);
  d.document->UndoStack().undo();
  title = qobject_cast<report::TfrxCustomMemoView*>(d.report.FindObject("Tytul"));
  EXPECT_EQ(title->Style(), "Wyróżnienie");
  // Nothing changed: no step, and the views keep what they have.
  StylesEditor editor(*d.document);
  editor.show();
  editor.OkButton()->click();
  EXPECT_FALSE(editor.Applied());
  EXPECT_EQ(d.document->UndoStack().index(), 1);
}

TEST(StylesEditor, AStyleSetIsSavedAndLoadedBackTheSame) {
  WithStyle d;
  const QString file = d.folder.filePath("zestaw.fss");
  QString saved;
  {
    StylesEditor editor(*d.document);
    editor.show();
    editor.AddButton()->click();
    typeOver(editor.NameEdit(), "Drobny");
    editor.Frame()->AllButton()->click();
    chooseText(editor.Frame()->LineColor()->Combo(), "Granatowy");
    dialogs::queueFileAnswer(QStringList{file});
    editor.SaveButton()->click();
    EXPECT_EQ(editor.ErrorLine()->text(), "");
    saved = styleSheetText(editor.Draft().Styles());
    clickCancel(&editor);
  }
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_TRUE(d.recording.messages().contains("Zapisz style")) << d.recording.messages().join("|").toStdString();
  Designed other;
  StylesEditor editor(*other.document);
  editor.show();
  dialogs::queueFileAnswer(QStringList{file});
  editor.LoadButton()->click();
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  EXPECT_EQ(listed(editor.List()), QStringList({"Wyróżnienie", "Drobny"}));
  EXPECT_EQ(styleSheetText(editor.Draft().Styles()), saved);
  editor.OkButton()->click();
  EXPECT_EQ(styleSheetText(*other.report.Styles()), saved);

  // A file that is not a style sheet document leaves the styles alone.
  const QString broken = d.folder.filePath("zepsuty.fss");
  QFile damaged(broken);
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("<style Name=\"x\"><item");
  damaged.close();
  StylesEditor again(*other.document);
  again.show();
  dialogs::queueFileAnswer(QStringList{broken});
  again.LoadButton()->click();
  EXPECT_NE(again.ErrorLine()->text(), "");
  EXPECT_TRUE(again.isVisible());
  EXPECT_EQ(listed(again.List()), QStringList({"Wyróżnienie", "Drobny"}));
}

TEST(StylePicker, AStyleGivesTheSelectedTextViewsItsColourFontAndFrameAsOneStep) {
  WithStyle d;
  report::TfrxComponent* date = d.report.FindObject("NaglowekData");
  report::TfrxComponent* point = d.report.FindObject("NaglowekPunkt");
  const QByteArray before = d.bytes();
  StylePicker picker(*d.document, {date, point});
  picker.show();
  EXPECT_EQ(listed(picker.List()), QStringList({"(bez stylu)", "Wyróżnienie"}));
  EXPECT_EQ(picker.Chosen(), "");
  picker.List()->setCurrentRow(1);
  picker.OkButton()->click();
  EXPECT_FALSE(picker.isVisible());
  for (const char* name : {"NaglowekData", "NaglowekPunkt"}) {
    const QString attributes = attributesOf(d.report, name);
    EXPECT_TRUE(attributes.contains(R"( Color="65535")")) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(R"(Font.Height="-16")")) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(R"(Frame.Typ="15")")) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(R"(Style="Wyróżnienie")")) << attributes.toStdString();
  }
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Styl");

  // "(bez stylu)" unlinks the views; they keep their look.
  StylePicker none(*d.document, {date});
  none.show();
  EXPECT_EQ(none.Chosen(), "Wyróżnienie");
  none.List()->setCurrentRow(0);
  none.OkButton()->click();
  EXPECT_FALSE(attributesOf(d.report, "NaglowekData").contains(" Style=\""));
  EXPECT_TRUE(attributesOf(d.report, "NaglowekData").contains(R"(Frame.Typ="15")"));
  d.document->UndoStack().undo();
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  // The view has the style already: no step.
  StylePicker same(*d.document, {d.report.FindObject("Tytul")});
  same.show();
  EXPECT_EQ(same.Chosen(), "Wyróżnienie");
  same.OkButton()->click();
  EXPECT_FALSE(same.Applied());
}

TEST(StylePicker, TheRegistryAndTheReportMenuOpenTheStyleDialogs) {
  WithStyle d;
  const ObjectEditor* editor = ObjectEditors::Find("style");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->multiple);
  EXPECT_TRUE(editor->fits(*d.report.FindObject("Tytul")));
  EXPECT_FALSE(editor->fits(*d.report.FindObject("Page1")));
  EXPECT_EQ(ObjectEditors::ForProperty(*d.report.FindObject("Tytul"), "Style"), editor);
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<StylePicker*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Choose("wyróżnienie"));
    dialog->OkButton()->click();
  });
  EXPECT_TRUE(ObjectEditors::Open(*editor, *d.document, d.report.FindObject("Okres"), {d.report.FindObject("Modul")},
                                  nullptr));
  EXPECT_TRUE(attributesOf(d.report, "Okres").contains(R"(Style="Wyróżnienie")"));
  EXPECT_TRUE(attributesOf(d.report, "Modul").contains(R"(Style="Wyróżnienie")"));

  TfrxDesignerForm form(*d.document);
  QAction* action = form.Action("actStyles");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text().remove('&'), "Style…");
  auto* reportMenu = form.menuBar()->findChild<QMenu*>("ReportMenu");
  ASSERT_NE(reportMenu, nullptr);
  EXPECT_TRUE(reportMenu->actions().contains(action));
  bool saw = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<StylesEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    saw = true;
    EXPECT_EQ(dialog->windowTitle(), "Style");
    clickCancel(dialog);
  });
  action->trigger();
  EXPECT_TRUE(saw);
}
