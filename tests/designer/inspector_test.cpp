// The object inspector driven as a user drives it: the shipped report in a
// designer document, a view selected, values typed and chosen in the grid's
// editors, and the document compared with what it must hold.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "designer/object_inspector.h"
#include "designer/picture_editor.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/page.h"
#include "report/model/report_lists.h"
#include "report/model/serializer.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;

namespace {

struct Inspected : Designed {
  std::unique_ptr<ObjectInspector> inspector;
  dialogs::RecordingScope recording;

  explicit Inspected(const std::function<void(report::TfrxReport&)>& prepare = {}) {
    if (prepare) prepare(report);
    inspector = std::make_unique<ObjectInspector>(*document);
    inspector->resize(360, 700);
    inspector->show();
    QApplication::processEvents();
  }
  ~Inspected() { ObjectInspector::SetTextDialog({}); }

  void select(const QStringList& names) {
    document->SelectNames(names);
    QApplication::processEvents();
  }
  // The object's attributes as the document writes them.
  QString attributes(const char* name) {
    report::TfrxXMLSerializer writer(&report);
    return writer.ObjToXML(*report.FindObject(QString::fromLatin1(name)));
  }
  QTreeWidgetItem* item(const QString& path) {
    QTreeWidgetItem* found = inspector->ItemFor(path);
    EXPECT_NE(found, nullptr) << path.toStdString();
    // Unfolded down to it, as a user reaches a nested row.
    for (QTreeWidgetItem* up = found ? found->parent() : nullptr; up; up = up->parent()) up->setExpanded(true);
    return found;
  }
  // The value editor of a row, opened with F2 as a user opens it.
  ValueEditor* edit(const QString& path) {
    QTreeWidgetItem* row = item(path);
    if (!row) return nullptr;
    QTreeWidget* tree = row->treeWidget();
    inspector->Tabs()->setCurrentWidget(tree);
    tree->setFocus();
    tree->setCurrentItem(row, 1);
    QTest::keyClick(tree, Qt::Key_F2);
    auto* editor = qobject_cast<ValueEditor*>(tree->indexWidget(tree->currentIndex()));
    EXPECT_NE(editor, nullptr) << path.toStdString();
    return editor;
  }
  // Types into the row's editor and presses Enter.
  void type(const QString& path, const QString& text) {
    ValueEditor* editor = edit(path);
    if (!editor) return;
    QLineEdit* line = editor->Line() ? editor->Line() : editor->Combo()->lineEdit();
    ASSERT_NE(line, nullptr) << path.toStdString();
    line->selectAll();
    // Key events carry Latin letters only; the Polish ones go in as typed text.
    for (const QChar c : text)
      c.unicode() < 128 ? QTest::keyClick(line, char(c.unicode())) : line->insert(QString(c));
    QTest::keyClick(line, Qt::Key_Return);
    QApplication::processEvents();
  }
  // Picks an entry of the row's combo with the arrow keys, as a user does.
  void choose(const QString& path, const QString& entry) {
    ValueEditor* editor = edit(path);
    if (!editor) return;
    QComboBox* combo = editor->Combo();
    ASSERT_NE(combo, nullptr) << path.toStdString();
    const int wanted = combo->findText(entry);
    ASSERT_GE(wanted, 0) << entry.toStdString() << " not offered for " << path.toStdString();
    combo->setFocus();
    combo->setCurrentIndex(wanted);
    QTest::keyClick(combo, Qt::Key_Return);
    QApplication::processEvents();
  }
  void toggle(const QString& path) {
    QTreeWidgetItem* row = item(path);
    if (!row) return;
    QTreeWidget* tree = row->treeWidget();
    tree->setFocus();
    tree->setCurrentItem(row, 1);
    QTest::keyClick(tree, Qt::Key_Space);
    QApplication::processEvents();
  }
  QString shown(const QString& path) {
    QTreeWidgetItem* row = item(path);
    return row ? row->text(1) : QStringLiteral("<none>");
  }
  QString message() const { return inspector->MessageLabel()->text(); }
};

TEST(Inspector, ShowsTheSelectedViewInTheDesignersUnit) {
  Inspected d;
  d.select({"Tytul"});
  EXPECT_EQ(d.inspector->ObjectCombo()->currentText(), "Tytul: TfrxMemoView");
  EXPECT_EQ(d.shown("Name"), "Tytul");
  EXPECT_EQ(d.shown("Width"), "19");   // 718,1107 px
  EXPECT_EQ(d.shown("Height"), "0,8");  // 30,23624 px
  EXPECT_EQ(d.shown("HAlign"), "haCenter");
  EXPECT_EQ(d.shown("Font.Style"), "[fsBold]");
  EXPECT_EQ(d.item("Font.Style.fsBold")->checkState(1), Qt::Checked);
  EXPECT_EQ(d.shown("Color"), "clTransparent");
  EXPECT_EQ(d.shown("Font.Color"), "clBlack");
  EXPECT_EQ(d.shown("Font.Name"), "Arial");
  EXPECT_NE(d.inspector->ItemFor("Frame.LeftLine.Color"), nullptr);
  EXPECT_EQ(d.inspector->EventTree()->findItems("OnBeforePrint", Qt::MatchExactly).size(), 1);
  EXPECT_EQ(d.inspector->PropertyTree()->findItems("OnBeforePrint", Qt::MatchExactly).size(), 0);

  d.document->Options().unit = report::LengthUnit::Millimetre;
  d.document->OptionsChanged();
  EXPECT_EQ(d.shown("Width"), "190");
  d.document->Options().unit = report::LengthUnit::Pixel;
  d.document->OptionsChanged();
  EXPECT_EQ(d.shown("Width"), "718,11");
}

TEST(Inspector, EachKindOfValueChangesThroughItsEditor) {
  Inspected d;
  d.select({"Tytul"});
  const QByteArray before = d.bytes();

  d.toggle("WordWrap");
  EXPECT_TRUE(d.attributes("Tytul").contains(" WordWrap=\"False\"")) << d.attributes("Tytul").toStdString();
  EXPECT_EQ(d.item("WordWrap")->checkState(1), Qt::Unchecked);

  d.type("Width", "5,5");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Width=\"207,87415\"")) << d.attributes("Tytul").toStdString();
  EXPECT_EQ(d.shown("Width"), "5,5");

  d.choose("HAlign", "haRight");
  EXPECT_TRUE(d.attributes("Tytul").contains(" HAlign=\"haRight\""));

  d.toggle("Font.Style.fsItalic");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Font.Style=\"3\"")) << d.attributes("Tytul").toStdString();
  EXPECT_EQ(d.shown("Font.Style"), "[fsBold, fsItalic]");

  d.choose("Font.Color", "clRed");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Font.Color=\"255\"")) << d.attributes("Tytul").toStdString();

  d.type("Font.Size", "14");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Font.Height=\"-19\"")) << d.attributes("Tytul").toStdString();

  d.toggle("Frame.Typ.ftLeft");
  d.type("Frame.LeftLine.Color", "clBlue");
  d.choose("Frame.Style", "fsDash");
  const QString frame = d.attributes("Tytul");
  EXPECT_TRUE(frame.contains(" Frame.Typ=\"1\"")) << frame.toStdString();
  EXPECT_TRUE(frame.contains(" Frame.Style=\"fsDash\"")) << frame.toStdString();
  EXPECT_TRUE(frame.contains(" Frame.LeftLine.Color=\"16711680\"")) << frame.toStdString();

  d.type("Hint", "Tytuł raportu");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Hint=\"Tytuł raportu\""));

  d.choose("FlowTo", "Modul");
  EXPECT_TRUE(d.attributes("Tytul").contains(" FlowTo=\"Modul\"")) << d.attributes("Tytul").toStdString();

  // The text of the view through the dialog with a plain text editor (the
  // inspector's own, when no object editor takes the text).
  const designer::testing::WithoutEditor textEditor("text");
  QString offered;
  ObjectInspector::SetTextDialog([&](QWidget*, const QString&, const QString& text) -> std::optional<QString> {
    offered = text;
    return QStringLiteral("Pierwszy wiersz\nDrugi wiersz");
  });
  ValueEditor* memo = d.edit("Memo");
  ASSERT_NE(memo, nullptr);
  ASSERT_NE(memo->Button(), nullptr);
  QTest::mouseClick(memo->Button(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(offered, "Dziennik pomiarów temperatury i wilgotności");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Text=\"Pierwszy wiersz&#13;&#10;Drugi wiersz\""))
      << d.attributes("Tytul").toStdString();
  EXPECT_EQ(d.message(), QString());

  // Every change was a step of its own, and undoing them all gives the
  // document back byte for byte.
  while (d.document->UndoStack().canUndo()) d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  QApplication::processEvents();
  EXPECT_EQ(d.shown("HAlign"), "haCenter");
  EXPECT_EQ(d.shown("Width"), "19");
}

TEST(Inspector, KeyboardEditsEscDropsAndEnterTakes) {
  Inspected d;
  d.select({"Okres"});
  const QByteArray before = d.bytes();
  ValueEditor* editor = d.edit("Hint");
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor->Line(), "porzucone");
  QTest::keyClick(editor->Line(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_FALSE(d.inspector->IsEditing());

  // Down to the next row and Enter opens its editor; Enter takes the value.
  QTreeWidget* tree = d.inspector->PropertyTree();
  tree->setFocus();
  tree->setCurrentItem(d.item("Height"), 1);
  QTest::keyClick(tree, Qt::Key_Down);
  ASSERT_EQ(tree->currentItem(), d.item("HideZeros"));
  QTest::keyClick(tree, Qt::Key_Space);
  EXPECT_TRUE(d.attributes("Okres").contains(" HideZeros=\"True\""));
  QTest::keyClick(tree, Qt::Key_Down);
  ASSERT_EQ(tree->currentItem(), d.item("Highlight"));
  QTest::keyClick(tree, Qt::Key_Down);
  ASSERT_EQ(tree->currentItem(), d.item("Hint"));
  QTest::keyClick(tree, Qt::Key_Return);
  auto* hint = qobject_cast<ValueEditor*>(tree->indexWidget(tree->currentIndex()));
  ASSERT_NE(hint, nullptr);
  QTest::keyClicks(hint->Line(), "okres");
  QTest::keyClick(hint->Line(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_TRUE(d.attributes("Okres").contains(" Hint=\"okres\""));
  EXPECT_EQ(d.document->UndoStack().count(), 2);

  // An editor left open while the selection moves on takes nothing to the
  // objects selected now.
  ValueEditor* left = d.edit("Hint");
  ASSERT_NE(left, nullptr);
  QTest::keyClicks(left->Line(), "zostawione");
  const QByteArray moved = d.bytes();
  d.document->SelectNames({"Modul"});
  QTest::keyClick(left->Line(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_SAME_DOCUMENT(d.bytes(), moved);
  EXPECT_EQ(d.shown("Name"), "Modul");

  // The window's "go to the inspector".
  d.inspector->Tabs()->setCurrentIndex(1);
  d.inspector->FocusProperties();
  EXPECT_EQ(d.inspector->Tabs()->currentWidget(), tree);
}

TEST(Inspector, ColourAndFontDialogs) {
  Inspected d;
  d.select({"Modul"});
  ValueEditor* color = d.edit("Color");
  ASSERT_NE(color, nullptr);
  dialogs::queueColorAnswer(QColor(0x12, 0x34, 0x56));
  QTest::mouseClick(color->Button(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_TRUE(d.attributes("Modul").contains(" Color=\"5649426\"")) << d.attributes("Modul").toStdString();
  EXPECT_EQ(d.shown("Color"), "$00563412");

  ValueEditor* font = d.edit("Font");
  ASSERT_NE(font, nullptr);
  dialogs::FontChoice choice;
  choice.font = QFont(QStringLiteral("Times New Roman"), 12);
  choice.font.setBold(true);
  choice.color = QColor(0, 0, 255);
  dialogs::queueFontAnswer(choice);
  QTest::mouseClick(font->Button(), Qt::LeftButton);
  QApplication::processEvents();
  const QString a = d.attributes("Modul");
  EXPECT_TRUE(a.contains(" Font.Name=\"Times New Roman\"")) << a.toStdString();
  EXPECT_TRUE(a.contains(" Font.Height=\"-16\"")) << a.toStdString();
  EXPECT_TRUE(a.contains(" Font.Style=\"1\"")) << a.toStdString();
  EXPECT_TRUE(a.contains(" Font.Color=\"16711680\"")) << a.toStdString();
  EXPECT_EQ(d.shown("Font.Name"), "Times New Roman");
  // The whole font was one step.
  d.document->UndoStack().undo();
  EXPECT_TRUE(d.attributes("Modul").contains(" Font.Name=\"Arial\""));
  EXPECT_TRUE(d.attributes("Modul").contains(" Color=\"5649426\""));
}

TEST(Inspector, DataSetAndDataFieldOfferWhatTheReportHas) {
  Inspected d([](report::TfrxReport& report) {
    auto* set = new report::TfrxUserDataSet(report.FindObject(QStringLiteral("Data")));
    set->SetName(QStringLiteral("Pomiary1"));
    set->SetUserName(QStringLiteral("Pomiary"));
    set->SetFields({QStringLiteral("Czas"), QStringLiteral("Wartosc")});
    report.DataSets()->Add(set);
  });
  d.select({"MasterData1"});
  EXPECT_EQ(d.shown("DataSet"), "Wpisy");
  d.select({"PoleData"});
  const QByteArray before = d.bytes();
  const QStringList sets = d.inspector->Model().Choices(d.inspector->Model().FindRow("DataSetName"));
  EXPECT_TRUE(sets.contains("Wpisy"));
  EXPECT_TRUE(sets.contains("Pomiary"));
  // Shown under the reference's name, chosen by the data set's user name.
  EXPECT_EQ(d.item("DataSet")->text(0), "DataSet");
  EXPECT_EQ(d.shown("DataSet"), "");
  d.choose("DataSet", "Pomiary");
  EXPECT_TRUE(d.attributes("PoleData").contains(" DataSetName=\"Pomiary\"")) << d.attributes("PoleData").toStdString();
  EXPECT_EQ(d.inspector->Model().Choices(d.inspector->Model().FindRow("DataField")),
            (QStringList{"Czas", "Wartosc"}));
  d.choose("DataField", "Wartosc");
  EXPECT_TRUE(d.attributes("PoleData").contains(" DataField=\"Wartosc\"")) << d.attributes("PoleData").toStdString();
  d.document->UndoStack().undo();
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(Inspector, ACommonValueGoesToEverySelectedViewAsOneStep) {
  Inspected d;
  d.select({"Tytul", "Modul", "Okres"});
  EXPECT_EQ(d.inspector->ObjectCombo()->currentIndex(), -1);
  EXPECT_EQ(d.inspector->ObjectCombo()->placeholderText(), "3 obiektów");
  // Names are not shared; values that differ show blank.
  EXPECT_EQ(d.inspector->ItemFor("Name"), nullptr);
  EXPECT_EQ(d.shown("HAlign"), "haCenter");
  EXPECT_EQ(d.shown("Font.Height"), "");
  EXPECT_EQ(d.shown("Top"), "");
  EXPECT_EQ(d.item("Font.Style.fsBold")->checkState(1), Qt::PartiallyChecked);
  const QByteArray before = d.bytes();
  const int steps = d.document->UndoStack().count();

  d.type("Font.Height", "-17");
  for (const char* name : {"Tytul", "Modul", "Okres"})
    EXPECT_TRUE(d.attributes(name).contains(" Font.Height=\"-17\"")) << name;
  EXPECT_EQ(d.shown("Font.Height"), "-17");
  EXPECT_EQ(d.document->UndoStack().count(), steps + 1);

  // A member of a set that differs: each view keeps its other members.
  d.toggle("Font.Style.fsItalic");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Font.Style=\"3\""));
  EXPECT_TRUE(d.attributes("Modul").contains(" Font.Style=\"2\""));
  EXPECT_EQ(d.document->UndoStack().count(), steps + 2);

  d.document->UndoStack().undo();
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  // Objects of different classes share what both publish.
  d.select({"Tytul", "ReportTitle1"});
  EXPECT_EQ(d.inspector->ItemFor("HAlign"), nullptr);
  EXPECT_EQ(d.inspector->ItemFor("Memo"), nullptr);
  d.toggle("Visible");
  EXPECT_TRUE(d.attributes("Tytul").contains(" Visible=\"False\""));
  EXPECT_TRUE(d.attributes("ReportTitle1").contains(" Visible=\"False\""));
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(Inspector, RefusedValuesKeepTheOldOneAndSayWhy) {
  Inspected d;
  d.select({"Tytul"});
  const QByteArray before = d.bytes();
  QSignalSpy refused(d.inspector.get(), &ObjectInspector::refused);

  d.type("Name", "Modul");
  EXPECT_EQ(d.message(), "Nazwa Modul jest już użyta w raporcie.");
  EXPECT_EQ(d.shown("Name"), "Tytul");
  d.type("Name", "1 tytuł");
  EXPECT_TRUE(d.message().startsWith("„1 tytuł” nie jest poprawną nazwą")) << d.message().toStdString();
  d.type("Width", "-2");
  EXPECT_EQ(d.message(), "Wymiary obiektu Tytul nie mogą być ujemne.");
  EXPECT_EQ(d.shown("Width"), "19");
  d.type("Width", "dwa");
  EXPECT_FALSE(d.message().isEmpty());
  d.type("Tag", "99999999999");
  EXPECT_EQ(d.message(), "Wartość Tag musi być liczbą od -2147483648 do 2147483647.");
  d.type("Font.Size", "0");
  EXPECT_EQ(d.message(), "Wartość Size musi być liczbą od 1 do 1638.");
  d.type("Highlight.Condition", "1 +");
  EXPECT_TRUE(d.message().startsWith("Błędne wyrażenie „1 +”")) << d.message().toStdString();
  d.type("Font.Color", "różowy");
  EXPECT_EQ(d.message(), "„różowy” nie jest kolorem.");
  EXPECT_EQ(refused.count(), 8);
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
  EXPECT_FALSE(d.document->UndoStack().canUndo());

  // A good value clears the message; an expression that compiles is taken.
  d.type("Highlight.Condition", "1 = 1");
  EXPECT_EQ(d.message(), QString());
  EXPECT_TRUE(d.attributes("Tytul").contains(" Highlight.Condition=\"1 = 1\"")) << d.attributes("Tytul").toStdString();

  // Nothing is half-applied to a multiple selection.
  d.select({"Tytul", "Modul"});
  const QByteArray two = d.bytes();
  d.type("Height", "-1");
  EXPECT_FALSE(d.message().isEmpty());
  EXPECT_SAME_DOCUMENT(d.bytes(), two);
}

TEST(Inspector, APictureFileIsLoadedOrRefusedByName) {
  Inspected d;
  report::TfrxComponent* band = d.report.FindObject(QStringLiteral("ReportTitle1"));
  ASSERT_NE(band, nullptr);
  QString inserted;
  ASSERT_EQ(d.document->Run([&] {
    auto* c = new report::edit::InsertCommand(d.report, QStringLiteral("TfrxPictureView"), band->Name(),
                                              QRectF(400, 0, 40, 40));
    inserted = c->InsertedName();
    return c;
  }),
            QString());
  d.select({inserted});
  const QString notPicture = d.folder.filePath(QStringLiteral("notatka.txt"));
  {
    QFile file(notPicture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("to nie jest obraz");
  }
  const QString png = d.folder.filePath(QStringLiteral("punkt.png"));
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(png));

  const QByteArray before = d.bytes();
  // The "…" opens the picture editor, whose file dialog the test answers.
  ValueEditor* editor = d.edit("Picture");
  ASSERT_NE(editor, nullptr);
  QString refusal = QStringLiteral("<no dialog>");
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<PictureEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialogs::queueFileAnswer(QStringList{notPicture});
    dialog->LoadButton()->click();
    refusal = dialog->ErrorLine()->text();
    dialog->reject();
  });
  QTest::mouseClick(editor->Button(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_TRUE(refusal.contains("notatka.txt")) << refusal.toStdString();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);

  editor = d.edit("Picture");
  ASSERT_NE(editor, nullptr);
  refusal = QStringLiteral("<no dialog>");
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<PictureEditor*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialogs::queueFileAnswer(QStringList{png});
    dialog->LoadButton()->click();
    refusal = dialog->ErrorLine()->text();
    dialog->OkButton()->click();
  });
  QTest::mouseClick(editor->Button(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(refusal, QString());
  EXPECT_EQ(d.message(), QString());
  EXPECT_TRUE(d.attributes(inserted.toLatin1().constData()).contains(" Picture.PropData=\""))
      << d.attributes(inserted.toLatin1().constData()).toStdString();
  EXPECT_EQ(d.shown("Picture"), "(obraz)");
}

TEST(Inspector, ObjectComboSearchAndCategories) {
  Inspected d;
  d.select({"Tytul"});
  QComboBox* combo = d.inspector->ObjectCombo();
  const int modul = combo->findText("Modul: TfrxMemoView");
  ASSERT_GE(modul, 0);
  EXPECT_GE(combo->findText("Page1: TfrxReportPage"), 0);
  combo->setFocus();
  while (combo->currentIndex() != modul) QTest::keyClick(combo, combo->currentIndex() < modul ? Qt::Key_Down : Qt::Key_Up);
  QApplication::processEvents();
  EXPECT_EQ(d.document->SelectedNames(), QStringList{"Modul"});
  EXPECT_EQ(d.shown("Name"), "Modul");

  QTest::keyClicks(d.inspector->SearchBox(), "col");
  QTreeWidget* tree = d.inspector->PropertyTree();
  QStringList top;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) top << tree->topLevelItem(i)->text(0);
  // Sorted by name; a nested object stays when one of its rows matches.
  EXPECT_EQ(top, (QStringList{"Color", "Font", "Frame", "Highlight"})) << top.join(',').toStdString();
  d.inspector->SearchBox()->clear();

  d.inspector->CategoryToggle()->click();
  QStringList groups;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) groups << tree->topLevelItem(i)->text(0);
  EXPECT_EQ(groups, (QStringList{"Położenie i rozmiar", "Wygląd", "Dane", "Zachowanie", "Inne"}))
      << groups.join(',').toStdString();
  EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Align");

  // Nothing selected: the page.
  d.document->ClearSelection();
  QApplication::processEvents();
  EXPECT_EQ(d.shown("Name"), "Page1");
  EXPECT_EQ(combo->currentText(), "Page1: TfrxReportPage");
}

TEST(Inspector, FollowsChangesMadeElsewhere) {
  Inspected d;
  d.select({"Tytul"});
  ASSERT_EQ(d.document->Run([&] {
    return new report::edit::SetPropertyCommand(d.report, {"Tytul"}, "HAlign", "haBlock");
  }),
            QString());
  QApplication::processEvents();
  EXPECT_EQ(d.shown("HAlign"), "haBlock");
  d.document->UndoStack().undo();
  QApplication::processEvents();
  EXPECT_EQ(d.shown("HAlign"), "haCenter");
  ASSERT_EQ(d.document->Run([&] { return new report::edit::SetPropertyCommand(d.report, {"Tytul"}, "Name", "Naglowek"); }),
            QString());
  QApplication::processEvents();
  EXPECT_GE(d.inspector->ObjectCombo()->findText("Naglowek: TfrxMemoView"), 0);
  EXPECT_EQ(d.shown("Name"), "Naglowek");
  d.document->Open(d.path);
  QApplication::processEvents();
  EXPECT_EQ(d.shown("Name"), "Page1");
  EXPECT_GE(d.inspector->ObjectCombo()->findText("Tytul: TfrxMemoView"), 0);
  EXPECT_EQ(d.inspector->ObjectCombo()->findText("Naglowek: TfrxMemoView"), -1);
}

TEST(Inspector, EnterOnAnEmptyEventMakesItsHandlerAsOneStep) {
  Inspected d;
  d.select({"Tytul"});
  const QByteArray before = d.bytes();
  QSignalSpy code(d.inspector.get(), &ObjectInspector::showCodeAt);
  QTreeWidgetItem* event = d.item("OnBeforePrint");
  ASSERT_NE(event, nullptr);
  QTreeWidget* tree = d.inspector->EventTree();
  d.inspector->Tabs()->setCurrentWidget(tree);
  tree->setFocus();
  tree->setCurrentItem(event, 1);
  QTest::keyClick(tree, Qt::Key_Return);
  QApplication::processEvents();

  EXPECT_TRUE(d.attributes("Tytul").contains(" OnBeforePrint=\"TytulOnBeforePrint\""));
  const QStringList script = d.report.ScriptText();
  const int at = int(script.indexOf("procedure TytulOnBeforePrint(Sender: TfrxComponent);"));
  ASSERT_GE(at, 0) << script.join('\n').toStdString();
  EXPECT_EQ(script.mid(at, 5), (QStringList{"procedure TytulOnBeforePrint(Sender: TfrxComponent);", "begin", "", "end;", ""}));
  EXPECT_EQ(script.mid(at + 5), (QStringList{"begin", "", "end."}));
  ASSERT_EQ(code.count(), 1);
  EXPECT_EQ(code[0][0].toInt(), at + 3);
  EXPECT_TRUE(d.report.PrepareScript()) << d.report.Errors().join('\n').toStdString();
  EXPECT_EQ(d.shown("OnBeforePrint"), "TytulOnBeforePrint");
  // The handler is offered for other events of its kind.
  EXPECT_TRUE(d.inspector->Model().Choices(d.inspector->Model().FindRow("OnAfterPrint")).contains("TytulOnBeforePrint"));

  // A double click on an event with its handler shows the handler.
  const QPointF point = tree->visualItemRect(event).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent click(type, point, tree->viewport()->mapToGlobal(point), Qt::LeftButton, held, {});
    QApplication::sendEvent(tree->viewport(), &click);
  }
  QApplication::processEvents();
  ASSERT_EQ(code.count(), 2);
  EXPECT_EQ(code[1][0].toInt(), at + 1);

  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}

TEST(Inspector, NewHandlersInEveryLanguageCompile) {
  const struct {
    const char* language;
    QStringList script;
  } languages[] = {
      {"PascalScript", {"begin", "", "end."}},
      {"C++Script", {"{", "}"}},
      {"JScript", {"var n = 0;"}},
      {"BasicScript", {"Dim n", "n = 0"}},
  };
  for (const auto& l : languages) {
    Inspected d([&](report::TfrxReport& report) {
      report.SetScriptLanguage(QString::fromLatin1(l.language));
      report.SetScriptText(l.script);
    });
    d.select({"PoleTemperatura"});
    const QByteArray before = d.bytes();
    // Chosen as "(nowa procedura)" from the event's combo.
    d.choose("OnAfterData", newProcedureCaption());
    EXPECT_TRUE(d.attributes("PoleTemperatura").contains(" OnAfterData=\"PoleTemperaturaOnAfterData\"")) << l.language;
    EXPECT_TRUE(d.report.ScriptText().join('\n').contains("PoleTemperaturaOnAfterData(")) << l.language;
    EXPECT_TRUE(d.report.PrepareScript()) << l.language << ": " << d.report.Errors().join('\n').toStdString() << "\n"
                                          << d.report.ScriptText().join('\n').toStdString();
    d.document->UndoStack().undo();
    EXPECT_SAME_DOCUMENT(d.bytes(), before);
  }
}

}  // namespace
