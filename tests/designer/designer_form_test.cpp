// The designer window driven as a user drives it: keys and menus, the code
// tab, saving and closing with the questions a user gets, and the settings
// it keeps between runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include "designer/clipboard.h"
#include "designer/designer_form.h"
#include "designer/object_catalogue.h"
#include "designer/designer_install.h"
#include "designer/recovery_journal.h"
#include "designer/workspace.h"
#include "designer_support.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"
#include "preview/page_source.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_install.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_page.h"

namespace valmoro::designer {
namespace {

using testing::Designed;
using testing::fileBytes;

struct Window : Designed {
  explicit Window(bool shipped = true) : Designed(shipped), form(*document) {
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  // A key as the user presses it in the window.
  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
    QTest::keyClick(target, Qt::Key(key), modifiers);
  }
  QString text(const char* memo) const {
    return qobject_cast<report::TfrxCustomMemoView*>(report.FindObject(QString::fromLatin1(memo)))->Text();
  }
  dialogs::RecordingScope recording;
  TfrxDesignerForm form;
};

TEST(DesignerForm, MenusAndEveryActionCanBeReachedByKeyboard) {
  Window w;
  QStringList menus;
  for (QAction* menu : w.form.menuBar()->actions()) menus.append(menu->text().remove('&'));
  EXPECT_EQ(menus, QStringList({"Plik", "Edycja", "Raport", "Widok", "Pomoc"}));
  // Every action is in a menu (reached with Alt and the arrows) or has a
  // key of its own, and its hint says what it does.
  QSet<QAction*> inMenus;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      inMenus.insert(a);
      if (a->menu()) walk(a->menu());
    }
  };
  for (QAction* menu : w.form.menuBar()->actions()) walk(menu->menu());
  for (const QString& name : w.form.ActionNames()) {
    QAction* action = w.form.Action(name);
    EXPECT_TRUE(inMenus.contains(action) || !action->shortcut().isEmpty()) << name.toStdString();
    EXPECT_FALSE(action->statusTip().isEmpty()) << name.toStdString();
  }
  EXPECT_EQ(w.form.Action("actSave")->shortcut(), QKeySequence(QKeySequence::Save));
  EXPECT_EQ(w.form.Action("actRedo")->shortcut(), QKeySequence("Ctrl+Y"));
  EXPECT_EQ(w.form.Action("actPreview")->shortcut(), QKeySequence("F9"));
  EXPECT_EQ(w.form.Action("actNextPanel")->shortcut(), QKeySequence("F6"));
  // Tabs: the code, then each page by name.
  ASSERT_EQ(w.form.Tabs()->count(), 2);
  EXPECT_EQ(w.form.Tabs()->tabText(0), "Kod");
  EXPECT_EQ(w.form.Tabs()->tabText(1), "Page1");
  EXPECT_EQ(w.form.Tabs()->currentIndex(), 1);
  EXPECT_EQ(w.form.windowTitle(), "Raport.fr3[*] — Projektant raportów");
}

TEST(DesignerForm, KeysUndoRedoSelectAllAndDelete) {
  Window w;
  const QByteArray original = w.bytes();
  w.form.Workspace()->setFocus();
  w.press(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(w.document->Selection().size(), 28);  // every view of every band
  w.document->Select(w.report.FindObject("Okres"));
  // The name is still used by the script? Okres is not; it goes at once.
  w.press(Qt::Key_Delete);
  EXPECT_EQ(w.report.FindObject("Okres"), nullptr);
  EXPECT_TRUE(w.form.isWindowModified());
  EXPECT_TRUE(w.form.Action("actUndo")->isEnabled());
  EXPECT_TRUE(w.form.Action("actUndo")->text().contains("Usunięcie")) << w.form.Action("actUndo")->text().toStdString();
  w.press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(w.report.FindObject("Okres"), nullptr);
  EXPECT_SAME_DOCUMENT(w.bytes(), original);
  EXPECT_FALSE(w.form.isWindowModified());
  w.press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.report.FindObject("Okres"), nullptr);
}

TEST(DesignerForm, DeletingANameTheScriptUsesAsksFirst) {
  Window w;
  // The shipped script handles ReportSummary1's OnBeforePrint and fills
  // the summary's views by name.
  w.document->Select(w.report.FindObject("BrakWpisow"));
  dialogs::queueAnswer(false);
  w.form.DeleteSelection();
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  EXPECT_TRUE(dialogs::recordedMessages()[0].startsWith("Usuwane obiekty są jeszcze używane:\rskrypt raportu, wiersz"))
      << dialogs::recordedMessages()[0].toStdString();
  EXPECT_NE(w.report.FindObject("BrakWpisow"), nullptr);
  dialogs::queueAnswer(true);
  w.form.DeleteSelection();
  EXPECT_EQ(w.report.FindObject("BrakWpisow"), nullptr);
}

TEST(DesignerForm, ADeletedBandTakesItsGapAlong) {
  Window w;
  const double header = w.report.FindObject("PageHeader1")->Top();
  const double masterGap = w.report.FindObject("MasterData1")->Top() - header;
  w.document->Select(w.report.FindObject("PageHeader1"));
  dialogs::queueAnswer(true);  // its views are not named elsewhere, but say yes if asked
  w.press(Qt::Key_Delete);
  EXPECT_EQ(w.report.FindObject("PageHeader1"), nullptr);
  EXPECT_EQ(w.report.FindObject("NaglowekData"), nullptr);
  // The data band moved up into the header's place.
  EXPECT_LT(w.report.FindObject("MasterData1")->Top(), header + masterGap);
  EXPECT_EQ(w.document->UndoStack().count(), 1);
  w.press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(w.report.FindObject("PageHeader1"), nullptr);
  EXPECT_DOUBLE_EQ(w.report.FindObject("MasterData1")->Top(), header + masterGap);
}

TEST(DesignerForm, CopyAndPasteBetweenTwoDesignerWindows) {
  Window from, to(false);
  from.document->SelectNames({"NaglowekData", "NaglowekPunkt"});
  from.form.CopySelection();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(data->hasFormat(kObjectsMimeType));
  EXPECT_TRUE(data->text().contains("NaglowekPunkt"));
  EXPECT_TRUE(to.form.Action("actPaste")->isEnabled());
  // An empty report has no band: the views land on its page.
  to.form.PasteClipboard();
  EXPECT_EQ(to.document->SelectedNames(), QStringList({"NaglowekData", "NaglowekPunkt"}));
  EXPECT_EQ(to.report.FindObject("NaglowekPunkt")->Parent(), to.document->CurrentPage());
  // Pasted again into the same report, the copies get names of their own
  // and stand a grid step aside.
  from.document->Select(from.report.FindObject("PageHeader1"));
  from.form.PasteClipboard();
  const QStringList pasted = from.document->SelectedNames();
  ASSERT_EQ(pasted.size(), 2);
  EXPECT_NE(pasted[0], "NaglowekData");
  const auto* copy = from.report.FindObject(pasted[0]);
  const auto* original = from.report.FindObject("NaglowekData");
  EXPECT_EQ(copy->Parent(), original->Parent());
  EXPECT_NEAR(copy->Left() - original->Left(), from.document->Options().gridStep(), 1e-9);
  // Cut is copy and delete in one step.
  from.document->Select(from.report.FindObject("Modul"));
  from.form.CutSelection();
  EXPECT_EQ(from.report.FindObject("Modul"), nullptr);
  from.document->Select(from.report.FindObject("ReportTitle1"));
  from.form.PasteClipboard();
  EXPECT_NE(from.report.FindObject("Modul"), nullptr);
}

TEST(DesignerForm, APastedDataBandKeepsItsDataSetInAReportThatHasIt) {
  Window from, to;
  to.document->Select(to.report.FindObject("MasterData1"));
  dialogs::queueAnswer(true);  // its fields are named by the summary's script
  to.form.DeleteSelection();
  ASSERT_EQ(to.report.FindObject("MasterData1"), nullptr);
  from.document->Select(from.report.FindObject("MasterData1"));
  from.form.CopySelection();
  to.form.PasteClipboard();
  const report::TfrxComponent* pasted = to.report.FindObject("MasterData1");
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->property("DataSetName").toString(), "Wpisy");
  EXPECT_NE(to.report.FindObject("PoleData"), nullptr);
  // Bands go to their place among the others (below the page header).
  EXPECT_GT(pasted->Top(), to.report.FindObject("PageHeader1")->Top());
}

TEST(DesignerForm, TypingInTheCodeTabIsOneStep) {
  Window w;
  const QStringList script = w.report.ScriptText();
  w.form.Tabs()->setCurrentIndex(0);
  QPlainTextEdit* code = w.form.CodeEditor();
  ASSERT_TRUE(code->hasFocus());
  code->moveCursor(QTextCursor::Start);
  QTest::keyClicks(code, "// uwaga");
  QTest::keyClick(code, Qt::Key_Return);
  EXPECT_EQ(w.report.ScriptText().first(), "// uwaga");
  EXPECT_EQ(w.document->UndoStack().count(), 1);
  // Ctrl+Z in the editor is the designer's undo.
  QTest::keyClick(code, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(w.report.ScriptText() == script);
  EXPECT_TRUE(code->toPlainText() == script.join('\n'));
  EXPECT_FALSE(w.document->IsModified());
}

TEST(DesignerForm, ClosingWithChangesAsksAndAnswersAreHonoured) {
  Window w;
  const QByteArray saved = fileBytes(w.path);
  w.document->Run([&] { return new report::edit::SetPropertyCommand(w.report, {"Tytul"}, "Text", "Nowy nagłówek"); });
  // Cancel: the window stays with its changes.
  dialogs::queueButtonAnswer(dialogs::ButtonCancel);
  EXPECT_FALSE(w.form.close());
  EXPECT_TRUE(w.form.isVisible());
  EXPECT_EQ(dialogs::recordedMessages().last(), "Zapisać zmiany w raporcie?");
  EXPECT_TRUE(w.document->IsModified());
  // No: closed, the file as it was.
  dialogs::queueButtonAnswer(dialogs::ButtonNo);
  EXPECT_TRUE(w.form.close());
  EXPECT_SAME_DOCUMENT(fileBytes(w.path), saved);
  EXPECT_FALSE(DesignerDocument::HasRecovery(w.path));
}

TEST(DesignerForm, ClosingWithYesSavesAndARefusedSaveKeepsTheWindowOpen) {
  Window w;
  w.document->Run([&] { return new report::edit::SetPropertyCommand(w.report, {"Tytul"}, "Text", "Nowy nagłówek"); });
  // The file cannot be written (a folder stands in its place, which stops
  // any user, root too): the window stays, with its changes.
  QFile::rename(w.path, w.path + ".odlozony");
  ASSERT_TRUE(QDir().mkdir(w.path));
  dialogs::queueButtonAnswer(dialogs::ButtonYes);
  EXPECT_FALSE(w.form.close());
  EXPECT_TRUE(w.form.isVisible());
  EXPECT_TRUE(dialogs::recordedMessages().last().startsWith("Nie zapisano raportu.\r"))
      << dialogs::recordedMessages().last().toStdString();
  EXPECT_TRUE(w.document->IsModified());
  EXPECT_EQ(w.text("Tytul"), "Nowy nagłówek");
  QDir().rmdir(w.path);
  QFile::rename(w.path + ".odlozony", w.path);
  dialogs::queueButtonAnswer(dialogs::ButtonYes);
  EXPECT_TRUE(w.form.close());
  EXPECT_TRUE(w.form.WasSaved());
  report::TfrxReport reread;
  reread.LoadFromFile(w.path);
  EXPECT_EQ(qobject_cast<report::TfrxCustomMemoView*>(reread.FindObject("Tytul"))->Text(), "Nowy nagłówek");
  EXPECT_SAME_DOCUMENT(fileBytes(w.path + ".bak"), fileBytes(testing::shippedReportPath()));
}

TEST(DesignerForm, TheUnitAndGridAreKeptBetweenRuns) {
  // A settings file of its own: other tests' windows keep theirs meanwhile.
  QTemporaryDir settings;
  struct Run : Designed {
    explicit Run(const QString& ini) : Designed(true) { report.SetIniFile(ini); }
  };
  const QString ini = settings.filePath("projektant.ini");
  dialogs::RecordingScope recording;
  {
    Run w(ini);
    TfrxDesignerForm form(*w.document);
    form.Action("actUnitMm")->trigger();
    form.Action("actShowGrid")->setChecked(false);
    form.Action("actShowGrid")->triggered();
    EXPECT_EQ(form.StatusText(0), "Jednostka: mm");
    w.document->Select(w.report.FindObject("Tytul"));
    EXPECT_EQ(form.StatusText(2), "Tytul   L: 0  G: 0  S: 190  W: 8 mm");
    EXPECT_TRUE(form.close());
  }
  Run again(ini);
  TfrxDesignerForm form(*again.document);
  EXPECT_EQ(again.document->Options().unit, report::LengthUnit::Millimetre);
  EXPECT_FALSE(again.document->Options().showGrid);
  EXPECT_TRUE(form.Action("actUnitMm")->isChecked());
  EXPECT_TRUE(form.close());
}

// "Wpisy" with the log's fields and no rows, as the design command gives it.
struct EmptyLog {
  EmptyLog() {
    wpisy.SetName("frxDBDataset1");
    wpisy.SetUserName("Wpisy");
    wpisy.SetFields({"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"});
    wpisy.OnGetValue = [](const QString&, QVariant& value) { value = QString(); };
    wpisy.SetRangeEnd(report::reCount);
    wpisy.SetRangeEndCount(0);
  }
  report::TfrxUserDataSet wpisy;
};

TEST(DesignerForm, APreviewOfAReportWhoseScriptNamesADeletedViewSaysWhichName) {
  preview::installReportWindows();
  EmptyLog log;
  Window w;
  w.document->Select(w.report.FindObject("BrakWpisow"));
  dialogs::queueAnswer(true);
  w.form.DeleteSelection();
  ASSERT_EQ(w.report.FindObject("BrakWpisow"), nullptr);
  dialogs::clearRecordedMessages();
  QStringList errors;
  int ticks = 0;
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (preview::TfrxPreviewForm* preview = preview::OpenPreviewForm(); preview && preview->isVisible()) {
      if (preview->Preview()->Busy() || (preview->Report() && preview->Report()->Preparing()) || ticks++ < 20) return;
      if (preview->Report()) errors = preview->Report()->Errors();
      preview->done(0);
    }
  });
  watch.start();
  w.press(Qt::Key_F9);
  watch.stop();
  const QString said = dialogs::recordedMessages().join('|') + errors.join('|');
  EXPECT_TRUE(said.contains("BrakWpisow")) << said.toStdString();
  EXPECT_TRUE(w.form.isVisible());
}

TEST(DesignerForm, PreviewShowsTheDesignedReportWithoutChangingIt) {
  preview::installReportWindows();
  EmptyLog log;
  Window w;
  w.document->Run([&] { return new report::edit::SetPropertyCommand(w.report, {"Tytul"}, "Text", "Z projektanta"); });
  const QByteArray before = w.bytes();
  QStringList shownTexts;
  bool previewSeen = false;
  int ticks = 0;
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    preview::TfrxPreviewForm* preview = preview::OpenPreviewForm();
    if (!preview || previewSeen || !preview->isVisible()) return;
    preview::TfrxPreview* p = preview->Preview();
    if (p->Busy() || (preview->Report() && preview->Report()->Preparing()) || ticks++ < 20) return;
    previewSeen = true;
    for (int i = 0; i < p->PageCount(); ++i) {
      gfx::RecordingCanvas canvas;
      p->Source()->DrawPage(i, canvas, 1, 1, 0, 0);
      for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) shownTexts.append(call.text);
    }
    preview->done(0);
  });
  watch.start();
  w.press(Qt::Key_F9);
  EXPECT_TRUE(previewSeen);
  EXPECT_TRUE(shownTexts.contains("Z projektanta"))
      << shownTexts.join('|').toStdString() << " / " << dialogs::recordedMessages().join('|').toStdString();
  EXPECT_SAME_DOCUMENT(w.bytes(), before);
}

TEST(DesignerForm, TheObjectBarPlacesViewsAndBandsByMouseAndByKeyboard) {
  Window w(false);
  // Every entry of the catalogue is on the bar and in the Raport menu.
  for (const CatalogueEntry& entry : ObjectCatalogue())
    EXPECT_NE(w.form.findChild<QAction*>("obj:" + entry.id), nullptr) << entry.id.toStdString();
  // A band entry goes to its place at once.
  w.form.findChild<QAction*>("obj:TfrxReportTitle")->trigger();
  w.form.findChild<QAction*>("obj:TfrxMasterData")->trigger();
  auto* page = w.document->CurrentPage();
  ASSERT_EQ(page->Objects().size(), 2);
  EXPECT_EQ(page->Objects()[0]->Name(), "ReportTitle1");
  EXPECT_EQ(page->Objects()[1]->Name(), "MasterData1");
  EXPECT_GT(page->Objects()[1]->Top(), page->Objects()[0]->Top() + page->Objects()[0]->Height());
  // A text: chosen, then placed by a click in the data band.
  w.form.findChild<QAction*>("obj:TfrxMemoView")->trigger();
  EXPECT_EQ(w.form.ChosenObject(), "TfrxMemoView");
  const report::TfrxComponent* data = page->Objects()[1];
  const QPointF inData = w.form.Workspace()->PageToViewport(data->AbsoluteBounds().topLeft() + QPointF(40, 4));
  QTest::mouseClick(w.form.Workspace()->viewport(), Qt::LeftButton, {}, inData.toPoint());
  ASSERT_NE(w.report.FindObject("Memo1"), nullptr);
  EXPECT_EQ(w.report.FindObject("Memo1")->Parent(), data);
  EXPECT_EQ(w.document->SelectedNames(), QStringList({"Memo1"}));
  EXPECT_TRUE(w.form.ChosenObject().isEmpty());  // back to selecting
  // By keyboard: chosen again, Insert places it beside the selected text.
  w.form.findChild<QAction*>("obj:TfrxMemoView")->trigger();
  w.form.Workspace()->setFocus();
  w.press(Qt::Key_Insert);
  ASSERT_NE(w.report.FindObject("Memo2"), nullptr);
  EXPECT_EQ(w.report.FindObject("Memo2")->Parent(), data);
  EXPECT_GT(w.report.FindObject("Memo2")->Top(), w.report.FindObject("Memo1")->Top());
  // Each placing is one step.
  EXPECT_EQ(w.document->UndoStack().count(), 4);
  // Insert with nothing chosen says what to do.
  w.press(Qt::Key_Insert);
  EXPECT_EQ(dialogs::recordedMessages().last(), "Najpierw wybierz obiekt na pasku obiektów.");
}

TEST(DesignerForm, TheAlignmentBarAlignsToTheFirstSelected) {
  Window w;
  w.document->SelectNames({"NaglowekPunkt", "NaglowekData", "NaglowekPracownik"});
  const double top = w.report.FindObject("NaglowekPunkt")->Top();
  w.document->Run([&] {
    return new report::edit::SetBoundsCommand(w.report, {{"NaglowekData", QRectF(w.report.FindObject("NaglowekData")->Left(), top + 5, 50, 20)}});
  });
  w.document->EndGesture();
  w.form.Action("actAlignTops")->trigger();
  EXPECT_DOUBLE_EQ(w.report.FindObject("NaglowekData")->Top(), top);
  w.form.Action("actSameWidth")->trigger();
  EXPECT_DOUBLE_EQ(w.report.FindObject("NaglowekData")->Width(), w.report.FindObject("NaglowekPunkt")->Width());
  // Too few objects: the bar says so.
  w.document->SelectNames({"NaglowekData"});
  w.form.Action("actSpaceH")->trigger();
  EXPECT_TRUE(dialogs::recordedMessages().last().startsWith("Zaznacz co najmniej")) << dialogs::recordedMessages().last().toStdString();
}

TEST(DesignerForm, AWholePageIsCopiedWithItsBandsAndViews) {
  Window from, to(false);
  from.document->Select(from.document->CurrentPage());
  from.form.CopySelection();
  to.form.PasteClipboard();
  ASSERT_EQ(to.document->Pages().size(), 2);
  // The empty report had Page1: the pasted one is Page2, shown, with its content.
  EXPECT_EQ(to.document->CurrentPage()->Name(), "Page2");
  EXPECT_EQ(to.form.Tabs()->tabText(2), "Page2");
  EXPECT_EQ(to.report.FindObject("Tytul")->Page(), to.document->CurrentPage());
  EXPECT_EQ(to.report.FindObject("MasterData1")->property("DataSetName").toString(), "Wpisy");
  to.press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(to.document->Pages().size(), 1);
  EXPECT_EQ(to.form.Tabs()->count(), 2);
}

TEST(DesignerForm, PagesAreAddedAndDeletedButTheLastOneStays) {
  Window w;
  w.form.Action("actAddPage")->trigger();
  ASSERT_EQ(w.document->Pages().size(), 2);
  auto* added = qobject_cast<report::TfrxReportPage*>(w.document->CurrentPage());
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Name(), "Page2");
  EXPECT_EQ(added->PaperSize(), 9);
  EXPECT_DOUBLE_EQ(added->TopMargin(), 10);
  EXPECT_EQ(w.form.Tabs()->count(), 3);
  EXPECT_EQ(w.form.Tabs()->tabText(2), "Page2");
  w.form.Action("actDeletePage")->trigger();
  EXPECT_EQ(w.document->Pages().size(), 1);
  EXPECT_EQ(w.form.Tabs()->count(), 2);
  // The report keeps one page at least.
  w.form.Action("actDeletePage")->trigger();
  EXPECT_EQ(w.document->Pages().size(), 1);
  EXPECT_EQ(dialogs::recordedMessages().last(), "Raport musi mieć co najmniej jedną stronę.");
}

TEST(DesignerOpening, AJournalLeftByACrashIsOfferedAndRestored) {
  Designed d;
  d.document->Run([&] { return new report::edit::SetPropertyCommand(d.report, {"Tytul"}, "Text", "Sprzed awarii"); });
  d.document->Journal()->Flush();
  const QByteArray edited = d.bytes();
  // The window that made it "crashed": its journal stays.
  ASSERT_TRUE(DesignerDocument::HasRecovery(d.path));
  report::TfrxReport report;
  report.LoadFromFile(d.path);
  dialogs::RecordingScope recording;
  dialogs::queueButtonAnswer(dialogs::ButtonYes);
  QByteArray shown;
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    TfrxDesignerForm* form = OpenDesignerForm();
    if (!form || !form->isVisible()) return;
    shown = form->Document().DocumentBytes();
    dialogs::queueButtonAnswer(dialogs::ButtonNo);  // do not save on closing
    form->close();
  });
  watch.start();
  ShowDesigner(report, true);
  watch.stop();
  ASSERT_FALSE(recording.messages().isEmpty());
  EXPECT_TRUE(recording.messages().first().startsWith("Projektant raportów nie został poprawnie zamknięty"))
      << recording.messages().first().toStdString();
  EXPECT_SAME_DOCUMENT(shown, edited);
  // Closed without saving: the journal is gone, the file as it was.
  EXPECT_FALSE(DesignerDocument::HasRecovery(d.path));
  EXPECT_EQ(qobject_cast<report::TfrxCustomMemoView*>(report.FindObject("Tytul"))->Text(), "Sprzed awarii");
}

}  // namespace
}  // namespace valmoro::designer
