// "Obraz" driven through its widgets: a picture file chosen in the file
// dialog (answered by the test), shown with its size, a file that is no
// picture refused by name, the placing options, clearing, one undo step.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "designer/picture_editor.h"
#include "look_support.h"
#include "platform/dialogs.h"
#include "report/model/picture_view.h"

using namespace valmoro;
using namespace valmoro::designer;
using namespace valmoro::designer::testing;

namespace {

struct WithPicture : Designed {
  WithPicture() {
    name = insertObject(*this, "TfrxPictureView", "ReportTitle1", QRectF(600, 0, 60, 30));
    document->UndoStack().clear();
    view = qobject_cast<report::TfrxPictureView*>(report.FindObject(name));
    png = folder.filePath("czerwony.png");
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(png);
    text = folder.filePath("notatki.png");
    QFile file(text);
    if (file.open(QIODevice::WriteOnly)) file.write("to nie jest obraz, tylko notatki");
  }
  QString name, png, text;
  report::TfrxPictureView* view = nullptr;
  dialogs::RecordingScope recording;
};

}  // namespace

TEST(PictureEditor, APictureChosenInTheFileDialogIsShownWithItsSizeAndStoredOnOk) {
  WithPicture d;
  ASSERT_NE(d.view, nullptr);
  const QByteArray before = d.bytes();
  PictureEditor editor(*d.document, *d.view);
  editor.show();
  EXPECT_EQ(editor.SizeLabel()->text(), "Brak obrazu");
  EXPECT_FALSE(editor.ClearButton()->isEnabled());
  EXPECT_TRUE(editor.StretchedBox()->isChecked());
  EXPECT_TRUE(editor.KeepAspectBox()->isChecked());

  dialogs::queueFileAnswer(QStringList{d.png});
  editor.LoadButton()->click();
  EXPECT_EQ(d.recording.messages(), QStringList({"Wczytaj obraz"}));
  EXPECT_EQ(editor.ErrorLine()->text(), "");
  // 40 × 20 pixels in the designer's centimetres.
  EXPECT_EQ(editor.SizeLabel()->text(), "40 × 20 px (1,06 × 0,53 cm)");
  ASSERT_FALSE(editor.PreviewLabel()->pixmap().isNull());
  EXPECT_EQ(editor.PreviewLabel()->pixmap().size(), QSize(40, 20));
  EXPECT_EQ(d.view->Picture()->IsEmpty(), true);  // nothing before OK

  editor.StretchedBox()->click();
  EXPECT_FALSE(editor.KeepAspectBox()->isEnabled());
  editor.CenterBox()->click();
  editor.OkButton()->click();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_TRUE(editor.Applied());

  EXPECT_EQ(d.view->Picture()->GraphicClass(), "TPngImage");
  EXPECT_EQ(d.view->Picture()->Image().size(), QSize(40, 20));
  EXPECT_EQ(d.view->Picture()->Image().pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
  const QString attributes = attributesOf(d.report, d.name);
  EXPECT_TRUE(attributes.contains(R"(Center="True")")) << attributes.toStdString();
  EXPECT_TRUE(attributes.contains(R"(Stretched="False")")) << attributes.toStdString();
  EXPECT_TRUE(attributes.contains(" Picture.PropData=\"")) << attributes.toStdString();
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_EQ(d.document->UndoStack().undoText(), "Obraz");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(PictureEditor, AFileThatIsNoPictureIsRefusedByNameAndTheDialogKeepsItsPicture) {
  WithPicture d;
  PictureEditor editor(*d.document, *d.view);
  editor.show();
  dialogs::queueFileAnswer(QStringList{d.png});
  editor.LoadButton()->click();
  dialogs::queueFileAnswer(QStringList{d.text});
  editor.LoadButton()->click();
  EXPECT_EQ(editor.ErrorLine()->text(), QStringLiteral("Plik %1 nie jest obrazem.").arg(dialogs::shortPath(d.text)));
  EXPECT_TRUE(editor.ErrorLine()->text().contains("notatki.png"));
  EXPECT_TRUE(editor.isVisible());
  // The picture loaded before stays.
  EXPECT_EQ(editor.SizeLabel()->text(), "40 × 20 px (1,06 × 0,53 cm)");
  EXPECT_FALSE(editor.LoadFile(d.folder.filePath("nie-ma-takiego.png")));
  EXPECT_TRUE(editor.ErrorLine()->text().startsWith("Nie można odczytać pliku ")) << editor.ErrorLine()->text().toStdString();
  // A cancelled file dialog changes nothing.
  editor.LoadButton()->click();
  EXPECT_EQ(editor.SizeLabel()->text(), "40 × 20 px (1,06 × 0,53 cm)");
  editor.OkButton()->click();
  EXPECT_EQ(d.view->Picture()->Image().size(), QSize(40, 20));
}

TEST(PictureEditor, ClearingRemovesThePictureAndCancelKeepsIt) {
  WithPicture d;
  QFile file(d.png);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  ASSERT_EQ(d.document->Run([&] {
    const QByteArray bytes = file.readAll();
    return new report::edit::ChangeCommand(d.report, "wczytanie", {d.name}, [&](report::TfrxComponent& object) {
      qobject_cast<report::TfrxPictureView*>(&object)->Picture()->LoadFromData(bytes);
    });
  }),
            QString());
  const QByteArray loaded = d.bytes();
  {
    PictureEditor editor(*d.document, *d.view);
    editor.show();
    EXPECT_EQ(editor.SizeLabel()->text(), "40 × 20 px (1,06 × 0,53 cm)");
    editor.ClearButton()->click();
    EXPECT_EQ(editor.SizeLabel()->text(), "Brak obrazu");
    clickCancel(&editor);
  }
  EXPECT_SAME_DOCUMENT(d.bytes(), loaded);
  {
    PictureEditor editor(*d.document, *d.view);
    editor.show();
    editor.OkButton()->click();
    EXPECT_FALSE(editor.Applied());
  }
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  d.document->Options().unit = report::LengthUnit::Millimetre;
  PictureEditor editor(*d.document, *d.view);
  editor.show();
  EXPECT_EQ(editor.SizeLabel()->text(), "40 × 20 px (10,6 × 5,3 mm)");
  editor.ClearButton()->click();
  editor.OkButton()->click();
  EXPECT_TRUE(d.view->Picture()->IsEmpty());
  EXPECT_FALSE(attributesOf(d.report, d.name).contains("Picture.PropData"));
  EXPECT_EQ(d.document->UndoStack().count(), 2);
}

TEST(PictureEditor, ItIsTheMainEditorOfPictureViewsAndOfTheInspectorsPictureRow) {
  WithPicture d;
  const ObjectEditor* editor = ObjectEditors::Find("picture");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(ObjectEditors::MainFor(*d.view), editor);
  EXPECT_EQ(ObjectEditors::ForProperty(*d.view, "Picture"), editor);
  EXPECT_FALSE(editor->fits(*d.report.FindObject("Tytul")));
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<PictureEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Obraz");
    EXPECT_TRUE(dialog->LoadFile(d.png));
    dialog->OkButton()->click();
  });
  EXPECT_TRUE(ObjectEditors::Open(*editor, *d.document, d.view, {}, nullptr, "Picture"));
  EXPECT_EQ(d.view->Picture()->Image().size(), QSize(40, 20));
  // The inspector's own loading words its refusal the same way.
  EXPECT_EQ(readPictureFile(d.text, nullptr), QStringLiteral("Plik %1 nie jest obrazem.").arg(dialogs::shortPath(d.text)));
}
