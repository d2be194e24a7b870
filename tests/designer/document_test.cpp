// The designer's document: every change one undo step that goes back to
// the very document it started from, the selection following the report,
// saving that never loses the previous version, and the recovery journal.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFileInfo>
#include <QSignalSpy>

#include "designer/recovery_journal.h"
#include "designer_support.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"

namespace valmoro::designer {
namespace {

using namespace report::edit;
using report::TfrxComponent;
using testing::Designed;
using testing::fileBytes;

TfrxComponent* named(Designed& d, const char* name) { return d.report.FindObject(QString::fromLatin1(name)); }

QString moveBy(DesignerDocument& document, const QString& name, double dx) {
  return document.Run([&] {
    const TfrxComponent* object = document.Report().FindObject(name);
    return new SetBoundsCommand(document.Report(),
                                {{name, QRectF(object->Left() + dx, object->Top(), object->Width(), object->Height())}});
  });
}

TEST(DesignerDocument, OpensTheShippedReportOnItsFirstPageUnchanged) {
  Designed d;
  ASSERT_EQ(d.document->Pages().size(), 1);
  EXPECT_EQ(d.document->CurrentPage()->Name(), "Page1");
  EXPECT_FALSE(d.document->IsModified());
  EXPECT_EQ(d.document->FileName(), QFileInfo(d.path).absoluteFilePath());
  // Nothing of the document changes by being opened in the designer: it
  // is what the report alone makes of the file.
  report::TfrxReport alone;
  alone.LoadFromFile(d.path);
  QBuffer written;
  written.open(QIODevice::WriteOnly);
  report::writeReportDocument(alone, written);
  EXPECT_SAME_DOCUMENT(d.bytes(), written.data());
  EXPECT_SAME_DOCUMENT(fileBytes(d.path), fileBytes(testing::shippedReportPath()));
}

TEST(DesignerDocument, EditsAreStepsThatUndoToTheExactDocument) {
  Designed d;
  const QByteArray original = d.bytes();
  QSignalSpy modified(d.document.get(), &DesignerDocument::modifiedChanged);

  EXPECT_EQ(moveBy(*d.document, "Tytul", 10), QString());
  EXPECT_TRUE(d.document->IsModified());
  ASSERT_EQ(modified.size(), 1);
  EXPECT_TRUE(modified.at(0).at(0).toBool());
  // A drag goes on: further moves of the same object join the step.
  moveBy(*d.document, "Tytul", 10);
  moveBy(*d.document, "Tytul", 10);
  EXPECT_EQ(d.document->UndoStack().count(), 1);
  EXPECT_DOUBLE_EQ(named(d, "Tytul")->Left(), 30);
  // The drag ended: the next move is a step of its own.
  d.document->EndGesture();
  moveBy(*d.document, "Tytul", 5);
  EXPECT_EQ(d.document->UndoStack().count(), 2);
  const QByteArray edited = d.bytes();

  d.document->UndoStack().undo();
  EXPECT_DOUBLE_EQ(named(d, "Tytul")->Left(), 30);
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), original);
  EXPECT_FALSE(d.document->IsModified());
  d.document->UndoStack().redo();
  d.document->UndoStack().redo();
  EXPECT_SAME_DOCUMENT(d.bytes(), edited);
  // After an undo a new move never continues the undone one.
  d.document->UndoStack().undo();
  moveBy(*d.document, "Tytul", 1);
  EXPECT_EQ(d.document->UndoStack().count(), 2);
  EXPECT_DOUBLE_EQ(named(d, "Tytul")->Left(), 31);
}

TEST(DesignerDocument, ARefusedEditSaysWhyAndAddsNoStep) {
  Designed d;
  const QString refusal = d.document->Run(
      [&] { return new SetPropertyCommand(d.report, {"Tytul"}, "HAlign", "gdzieś"); });
  EXPECT_FALSE(refusal.isEmpty());
  EXPECT_EQ(d.document->UndoStack().count(), 0);
  EXPECT_FALSE(d.document->IsModified());
  EXPECT_NE(d.document->Run([&] { return new DeleteCommand(d.report, {"NieMaTakiego"}); }), QString());
}

TEST(DesignerDocument, TheSelectionKeepsItsOrderAndLosesWhatGoes) {
  Designed d;
  DesignerDocument& doc = *d.document;
  QSignalSpy changed(&doc, &DesignerDocument::selectionChanged);
  doc.Select(named(d, "Modul"));
  doc.AddToSelection(named(d, "Tytul"));
  doc.AddToSelection(named(d, "Okres"));
  doc.AddToSelection(named(d, "Tytul"));  // already selected: no change
  EXPECT_EQ(doc.SelectedNames(), QStringList({"Modul", "Tytul", "Okres"}));
  EXPECT_EQ(changed.size(), 3);
  doc.ToggleSelected(named(d, "Tytul"));
  EXPECT_EQ(doc.SelectedNames(), QStringList({"Modul", "Okres"}));
  EXPECT_TRUE(doc.IsSelected(named(d, "Okres")));
  EXPECT_FALSE(doc.IsSelected(named(d, "Tytul")));

  // Deleted, an object leaves the selection; deleting its band takes it too.
  doc.Run([&] { return new DeleteCommand(d.report, {"Okres"}); });
  EXPECT_EQ(doc.SelectedNames(), QStringList({"Modul"}));
  doc.Run([&] { return new DeleteCommand(d.report, {"ReportTitle1"}); });
  EXPECT_TRUE(doc.Selection().isEmpty());
  doc.UndoStack().undo();
  doc.UndoStack().undo();
  doc.SelectNames({"Okres", "Nic", "Modul"});
  EXPECT_EQ(doc.SelectedNames(), QStringList({"Okres", "Modul"}));
}

TEST(DesignerDocument, ReportWideChangesAreOneStepOverTheWholeDocument) {
  Designed d;
  const QByteArray original = d.bytes();
  d.document->Select(named(d, "Modul"));
  EXPECT_EQ(d.document->ChangeReport("Skrypt", [](report::TfrxReport& r) {
    r.SetScriptText({"begin", "  ShowMessage('x');", "end."});
  }), QString());
  const QByteArray edited = d.bytes();
  EXPECT_NE(edited, original);
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), original);
  // The report was read again, and the selection found again by name.
  EXPECT_EQ(d.document->SelectedNames(), QStringList({"Modul"}));
  EXPECT_EQ(d.document->CurrentPage()->Name(), "Page1");
  d.document->UndoStack().redo();
  EXPECT_SAME_DOCUMENT(d.bytes(), edited);

  // A change that fails half-way leaves nothing of itself behind.
  const QString refusal = d.document->ChangeReport("Zmiana", [](report::TfrxReport& r) {
    r.SetScriptText({"zmienione"});
    throw report::ReportError("Nie wolno.");
  });
  EXPECT_EQ(refusal, "Nie wolno.");
  EXPECT_SAME_DOCUMENT(d.bytes(), edited);
  EXPECT_EQ(d.document->UndoStack().count(), 1);
}

TEST(DesignerDocument, UndoingAReportWideChangeBringsBackSettingsTheDocumentLeavesOut) {
  // A document leaves out what equals its default: undo must not keep the
  // changed values of settings that were at their defaults before.
  Designed d;
  const QByteArray original = d.bytes();
  ASSERT_FALSE(d.report.EngineOptions()->DoublePass());
  ASSERT_EQ(d.report.ScriptLanguage(), "PascalScript");
  EXPECT_EQ(d.document->ChangeReport("Opcje", [](report::TfrxReport& r) {
    r.EngineOptions()->SetDoublePass(true);
    r.EngineOptions()->SetMaxMemSize(77);
    r.PrintOptions()->SetCopies(3);
    r.PreviewOptions()->SetZoom(2.5);
    r.ReportOptions()->SetAuthor("Ktoś inny");
    r.SetScriptLanguage("JScript");
  }), QString());
  const QByteArray edited = d.bytes();
  d.document->UndoStack().undo();
  EXPECT_FALSE(d.report.EngineOptions()->DoublePass());
  EXPECT_EQ(d.report.PrintOptions()->Copies(), 1);
  EXPECT_EQ(d.report.ScriptLanguage(), "PascalScript");
  EXPECT_SAME_DOCUMENT(d.bytes(), original);
  d.document->UndoStack().redo();
  EXPECT_TRUE(d.report.EngineOptions()->DoublePass());
  EXPECT_SAME_DOCUMENT(d.bytes(), edited);
}

TEST(DesignerDocument, SavingKeepsThePreviousVersionAsBak) {
  Designed d;
  const QByteArray original = fileBytes(d.path);
  moveBy(*d.document, "Tytul", 10);
  d.document->Save();
  EXPECT_FALSE(d.document->IsModified());
  EXPECT_SAME_DOCUMENT(fileBytes(d.path), d.bytes());
  EXPECT_SAME_DOCUMENT(fileBytes(d.path + ".bak"), original);
  // Reopened, the saved document is the same document.
  report::TfrxReport again;
  DesignerDocument reopened(again);
  reopened.Open(d.path);
  EXPECT_SAME_DOCUMENT(reopened.DocumentBytes(), d.bytes());
  // Undoing past the save makes it modified again.
  d.document->UndoStack().undo();
  EXPECT_TRUE(d.document->IsModified());
}

TEST(DesignerDocument, ARefusedSaveSaysSoAndKeepsTheChanges) {
  Designed d;
  moveBy(*d.document, "Tytul", 10);
  const QString missing = d.folder.filePath("brak/Raport.fr3");
  try {
    d.document->SaveAs(missing);
    FAIL() << "saved into a folder that does not exist";
  } catch (const report::ReportError& e) {
    EXPECT_TRUE(e.message().contains("nie istnieje")) << e.message().toStdString();
  }
  EXPECT_TRUE(d.document->IsModified());
  EXPECT_EQ(d.document->FileName(), QFileInfo(d.path).absoluteFilePath());
  EXPECT_DOUBLE_EQ(named(d, "Tytul")->Left(), 10);

  // A file that cannot be written (a folder in its place stops root too):
  // the error says so, the document stays modified, nothing else changes.
  QFile::rename(d.path, d.path + ".odlozony");
  ASSERT_TRUE(QDir().mkdir(d.path));
  try {
    d.document->Save();
    FAIL() << "saved over a folder";
  } catch (const report::ReportError& e) {
    EXPECT_TRUE(e.message().startsWith("Nie można utworzyć pliku")) << e.message().toStdString();
  }
  EXPECT_TRUE(d.document->IsModified());
  EXPECT_FALSE(QFileInfo::exists(d.path + ".bak"));
  QDir().rmdir(d.path);
  QFile::rename(d.path + ".odlozony", d.path);
  // And saved where it can be, it is saved.
  d.document->Save();
  EXPECT_FALSE(d.document->IsModified());
}

TEST(DesignerDocument, AMissingFileStartsAnEmptyReportThatSavingCreates) {
  Designed d(false);
  ASSERT_EQ(d.document->Pages().size(), 1);
  auto* page = qobject_cast<report::TfrxReportPage*>(d.document->CurrentPage());
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->PaperSize(), 9);
  EXPECT_DOUBLE_EQ(page->PaperWidth(), 210);
  EXPECT_DOUBLE_EQ(page->PaperHeight(), 297);
  EXPECT_DOUBLE_EQ(page->LeftMargin(), 10);
  EXPECT_DOUBLE_EQ(page->BottomMargin(), 10);
  EXPECT_EQ(d.report.ScriptLanguage(), "PascalScript");
  EXPECT_TRUE(page->Objects().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(d.path));
  d.document->Save();
  EXPECT_SAME_DOCUMENT(fileBytes(d.path), d.bytes());
  EXPECT_FALSE(QFileInfo::exists(d.path + ".bak"));
}

TEST(DesignerDocument, TheJournalHoldsUnsavedChangesUntilSavedOrDiscarded) {
  Designed d;
  const QByteArray unedited = d.bytes();
  ASSERT_NE(d.document->Journal(), nullptr);
  EXPECT_FALSE(DesignerDocument::HasRecovery(d.path));
  moveBy(*d.document, "Tytul", 25);
  d.document->Journal()->Flush();
  ASSERT_TRUE(DesignerDocument::HasRecovery(d.path));
  EXPECT_SAME_DOCUMENT(fileBytes(DesignerDocument::RecoveryPath(d.path)), d.bytes());
  EXPECT_EQ(d.document->Journal()->LastError(), QString());

  // Another designer opening the file (after a crash) restores it.
  const QByteArray edited = d.bytes();
  {
    report::TfrxReport other;
    DesignerDocument restored(other);
    restored.Open(d.path);
    EXPECT_FALSE(restored.IsModified());
    restored.RestoreRecovery();
    EXPECT_SAME_DOCUMENT(restored.DocumentBytes(), edited);
    EXPECT_TRUE(restored.IsModified());
    // Undoing the restoring gives the file's version.
    restored.UndoStack().undo();
    EXPECT_SAME_DOCUMENT(restored.DocumentBytes(), unedited);
    restored.UndoStack().redo();
    restored.DiscardRecovery();
  }
  EXPECT_FALSE(DesignerDocument::HasRecovery(d.path));

  // Back at the saved state (undone), there is nothing to recover.
  moveBy(*d.document, "Tytul", 1);
  d.document->Journal()->Flush();
  EXPECT_TRUE(DesignerDocument::HasRecovery(d.path));
  d.document->Save();
  EXPECT_FALSE(DesignerDocument::HasRecovery(d.path));
  moveBy(*d.document, "Tytul", 1);
  d.document->Journal()->Flush();
  d.document->UndoStack().undo();
  EXPECT_FALSE(DesignerDocument::HasRecovery(d.path));
}

TEST(DesignerDocument, AHundredMixedEditsUndoAndRedoByteForByte) {
  Designed d;
  DesignerDocument& doc = *d.document;
  const QByteArray original = d.bytes();
  QString pasted;
  for (int i = 0; i < 100; ++i) {
    QString refusal;
    switch (i % 6) {
      case 0: refusal = moveBy(doc, "Modul", i); break;
      case 1:
        refusal = doc.Run([&] { return new SetPropertyCommand(d.report, {"Tytul"}, "Text", QString("Nagłówek %1").arg(i)); });
        break;
      case 2: {
        auto* command = new InsertCommand(d.report, "TfrxMemoView", "MasterData1", QRectF(i, 0, 40, 18));
        doc.Push(command);
        break;
      }
      case 3: refusal = doc.Run([&] { return new ReparentCommand(d.report, "Okres", i % 2 ? "PageHeader1" : "ReportTitle1"); }); break;
      case 4:
        refusal = doc.Run([&] { return new PasteCommand(d.report, CopyAsXml(d.report, {"PoleData"}), "ReportSummary1", QPointF(2, 2)); });
        break;
      case 5: refusal = doc.ChangeReport("Skrypt", [&](report::TfrxReport& r) { r.SetScriptText({QString::number(i)}); }); break;
    }
    ASSERT_EQ(refusal, QString()) << i;
    doc.EndGesture();
  }
  ASSERT_EQ(doc.UndoStack().count(), 100);
  const QByteArray edited = d.bytes();
  // One by one back: each step gives the document of the step before.
  std::vector<QByteArray> states;
  for (int i = 0; i < 100; ++i) {
    states.push_back(d.bytes());
    doc.UndoStack().undo();
  }
  EXPECT_SAME_DOCUMENT(d.bytes(), original);
  for (int i = 99; i >= 0; --i) {
    doc.UndoStack().redo();
    ASSERT_SAME_DOCUMENT(d.bytes(), states[size_t(i)]) << "after redoing step " << 100 - i;
  }
  EXPECT_SAME_DOCUMENT(d.bytes(), edited);
}


// --- A designer killed with unsaved changes --------------------------------------------
// The test runs a second copy of this program that edits a report and
// waits, without saving and without writing its journal by hand, then kills
// it; a designer opened afterwards finds the unsaved edits.

}  // namespace
}  // namespace valmoro::designer

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <csignal>

namespace valmoro::designer {
namespace {

TEST(DesignerRecoveryChild, EditsAndWaitsToBeKilled) {
  const QString path = qEnvironmentVariable("VALMORO_RECOVERY_CHILD");
  if (path.isEmpty()) GTEST_SKIP() << "run by KilledDesignerLeavesItsUnsavedEdits";
  QStandardPaths::setTestModeEnabled(true);
  report::TfrxReport report;
  DesignerDocument document(report);
  document.Open(path);
  for (int i = 0; i < 3; ++i) moveBy(document, "Tytul", 7);
  document.Run([&] { return new SetPropertyCommand(report, {"Tytul"}, "Text", "Po awarii"); });
  // The journal is written by itself, soon after the change.
  for (int waited = 0; waited < 5000 && !DesignerDocument::HasRecovery(path); waited += 20) QTest::qWait(20);
  QTest::qWait(300);
  QFile expected(path + ".expected");
  ASSERT_TRUE(expected.open(QIODevice::WriteOnly));
  expected.write(document.DocumentBytes());
  expected.close();
  std::printf("ready\n");
  std::fflush(stdout);
  QTest::qWait(60000);
  FAIL() << "was not killed";
}

TEST(DesignerRecovery, AJournalTakenInSlicesIsTheDocumentAsItEndedUp) {
  // A document large enough to be taken over many turns of the event loop.
  Designed d(false);
  report::TfrxComponent* page = d.document->CurrentPage();
  {
    for (int b = 0; b < 20; ++b) {
      auto* band = new report::TfrxMasterData(page);
      band->SetName(QString("MasterData%1").arg(b + 1));
      band->SetBounds(0, 20 + b * 60, 700, 50);
      for (int i = 0; i < 100; ++i) {
        auto* memo = new report::TfrxMemoView(band);
        memo->SetName(QString("Memo%1").arg(b * 100 + i + 1));
        memo->SetBounds(i * 7, 2, 6, 10);
      }
    }
  }
  moveBy(*d.document, "Memo1", 3);
  // Changes while it is being taken: each starts the taking again.
  for (int i = 0; i < 5; ++i) {
    QTest::qWait(210);
    moveBy(*d.document, QString("Memo%1").arg(400 * i + 2), 1);
    d.document->EndGesture();
  }
  const QByteArray last = d.bytes();
  for (int waited = 0; waited < 10000 && fileBytes(DesignerDocument::RecoveryPath(d.path)) != last; waited += 20)
    QTest::qWait(20);
  EXPECT_SAME_DOCUMENT(fileBytes(DesignerDocument::RecoveryPath(d.path)), last);
  EXPECT_GT(d.document->Journal()->LastTakeMicroseconds(), 0);
}

TEST(DesignerRecovery, KilledDesignerLeavesItsUnsavedEdits) {
  Designed d;
  const QByteArray saved = fileBytes(d.path);
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VALMORO_RECOVERY_CHILD", d.path);
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DesignerRecoveryChild.*"});
  ASSERT_TRUE(child.waitForStarted(10000));
  QByteArray out;
  while (!out.contains("ready") && child.waitForReadyRead(20000)) out += child.readAllStandardOutput();
  ASSERT_TRUE(out.contains("ready")) << out.toStdString();
  ::kill(pid_t(child.processId()), SIGKILL);
  child.waitForFinished(10000);

  EXPECT_SAME_DOCUMENT(fileBytes(d.path), saved);  // nothing was saved
  ASSERT_TRUE(DesignerDocument::HasRecovery(d.path));
  report::TfrxReport report;
  DesignerDocument reopened(report);
  reopened.Open(d.path);
  reopened.RestoreRecovery();
  EXPECT_SAME_DOCUMENT(reopened.DocumentBytes(), fileBytes(d.path + ".expected"));
  EXPECT_EQ(qobject_cast<report::TfrxCustomMemoView*>(report.FindObject("Tytul"))->Text(), "Po awarii");
  EXPECT_TRUE(reopened.IsModified());
  reopened.DiscardRecovery();
}

}  // namespace
}  // namespace valmoro::designer
