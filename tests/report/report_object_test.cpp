// The report object's lifecycle: loading (options a document may not change,
// the data page, the password), preparing with the restore of the tree, and
// how errors are shown.

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "platform/dialogs.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/run/report_run.h"

namespace valmoro::report {
namespace {

template <class T>
T* named(TfrxComponent* parent, const char* name) {
  auto* object = new T(parent);
  object->SetName(QString::fromLatin1(name));
  return object;
}

QByteArray save(const TfrxReport& report) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  report.SaveToStream(buffer, true);
  return buffer.data();
}

void read(TfrxReport& report, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  report.ReadFromStream(buffer);
}

// Puts a stand-in for the band engine into the runs of reports, and the
// band engine back afterwards.
struct EngineScope {
  explicit EngineScope(std::function<bool(TfrxReport&)> runner) {
    setEngineStep([runner = std::move(runner)](TfrxReport& report, TfrxPreviewPages&) { return runner(report); });
  }
  ~EngineScope() { setEngineStep({}); }
};

// Reports made meanwhile have no run, as in a program without the band
// engine.
struct NoRunScope {
  NoRunScope() { hooks::setRunMaker({}); }
  ~NoRunScope() { InstallReportRun(); }
};

TEST(ReportObject, LoadingAMissingFileClearsTheReport) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  named<TfrxReportPage>(&report, "Page1");
  report.Variables()->SetValue("V", 1);
  report.SetScriptLanguage("JScript");
  report.EngineOptions()->SetDoublePass(true);

  EXPECT_FALSE(report.LoadFromFile("/nonexistent/folder/raport.fr3"));
  EXPECT_TRUE(report.Objects().isEmpty());
  EXPECT_EQ(report.Variables()->Count(), 0);
  EXPECT_EQ(report.ScriptLanguage(), "PascalScript");
  EXPECT_FALSE(report.EngineOptions()->DoublePass());
  EXPECT_TRUE(report.FileName().isEmpty());
  EXPECT_TRUE(report.Errors().isEmpty());

  EXPECT_THROW(report.LoadFromFile("/nonexistent/folder/raport.fr3", true), ReportError);
}

TEST(ReportObject, ClearKeepsTheApplicationsPreviewButtons) {
  TfrxReport report;
  report.PreviewOptions()->SetButtons(TfrxPreviewButtons(pbPrint));
  report.PreviewOptions()->SetOutlineVisible(true);
  report.PrintOptions()->SetCopies(4);
  report.Clear();
  EXPECT_EQ(report.PreviewOptions()->Buttons(), TfrxPreviewButtons(pbPrint));
  EXPECT_FALSE(report.PreviewOptions()->OutlineVisible());
  EXPECT_EQ(report.PrintOptions()->Copies(), 1);
}

TEST(ReportObject, ADocumentChangesOnlyTheOptionsItOwns) {
  TfrxReport source;
  source.PreviewOptions()->SetButtons(TfrxPreviewButtons(pbPrint | pbLoad | pbSave | pbEdit));
  source.PreviewOptions()->SetOutlineVisible(true);
  source.PreviewOptions()->SetOutlineWidth(200);
  source.EngineOptions()->SetNewSilentMode(simReThrow);
  source.EngineOptions()->SetDoublePass(true);
  source.SetIniFile("/tmp/inny.ini");
  const QByteArray document = save(source);

  dialogs::RecordingScope recording;
  TfrxReport report;
  report.PreviewOptions()->SetButtons(TfrxPreviewButtons(pbPrint | pbExport));
  read(report, document);
  EXPECT_EQ(report.PreviewOptions()->Buttons(), TfrxPreviewButtons(pbPrint | pbExport));
  EXPECT_TRUE(report.PreviewOptions()->OutlineVisible());
  EXPECT_EQ(report.PreviewOptions()->OutlineWidth(), 200);
  EXPECT_EQ(report.EngineOptions()->NewSilentMode(), simMessageBoxes);
  EXPECT_TRUE(report.EngineOptions()->DoublePass());
  EXPECT_EQ(report.IniFile(), "\\Software\\Rozi Razadaz");
}

TEST(ReportObject, ReadingMakesADataPageAndMovesTheDataSetsOntoIt) {
  TfrxReport source;  // never read, so it has no data page
  named<TfrxReportPage>(&source, "Page1");
  auto* dialog = named<TfrxDialogPage>(&source, "DialogPage1");
  named<TfrxUserDataSet>(dialog, "Pierwszy");
  named<TfrxUserDataSet>(dialog, "Drugi");
  const QByteArray document = save(source);

  dialogs::RecordingScope recording;
  TfrxReport report;
  read(report, document);
  ASSERT_EQ(report.Objects().size(), 3);
  auto* data = qobject_cast<TfrxDataPage*>(report.Objects().first());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->Name(), "Data");
  EXPECT_EQ(report.Objects()[1]->Name(), "Page1");
  EXPECT_EQ(report.Objects()[2]->Name(), "DialogPage1");
  ASSERT_EQ(data->Objects().size(), 2);
  EXPECT_EQ(data->Objects()[0]->Name(), "Pierwszy");
  EXPECT_DOUBLE_EQ(data->Objects()[0]->Left(), 60);
  EXPECT_DOUBLE_EQ(data->Objects()[0]->Top(), 20);
  EXPECT_EQ(data->Objects()[1]->Name(), "Drugi");
  EXPECT_DOUBLE_EQ(data->Objects()[1]->Left(), 124);
  EXPECT_TRUE(report.Objects()[2]->Objects().isEmpty());

  // A second read finds its data page and adds none.
  read(report, save(report));
  int dataPages = 0;
  for (TfrxComponent* child : report.Objects()) dataPages += qobject_cast<TfrxDataPage*>(child) ? 1 : 0;
  EXPECT_EQ(dataPages, 1);
}

TEST(ReportObject, ADataPageNameTakenGetsAGeneratedOne) {
  TfrxReport source;
  named<TfrxReportPage>(&source, "Data");
  const QByteArray document = save(source);
  dialogs::RecordingScope recording;
  TfrxReport report;
  read(report, document);
  auto* data = qobject_cast<TfrxDataPage*>(report.Objects().first());
  ASSERT_NE(data, nullptr);
  EXPECT_NE(data->Name().compare("Data", Qt::CaseInsensitive), 0);
  EXPECT_FALSE(data->Name().isEmpty());
}

TEST(ReportObject, APasswordProtectedReportOpensOnlyWithItsPassword) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tajny.fr3");
  {
    TfrxReport source;
    named<TfrxReportPage>(&source, "Page1");
    source.ReportOptions()->SetPassword("Sezam");
    source.WriteToFile(path);
  }
  {
    dialogs::RecordingScope recording;
    dialogs::queueTextAnswer(QString("Sezam"));
    TfrxReport report;
    EXPECT_TRUE(report.LoadFromFile(path));
    EXPECT_TRUE(report.Errors().isEmpty());
    EXPECT_EQ(recording.messages(), QStringList{"Podaj hasło:"});
    EXPECT_NE(report.FindObject("Page1"), nullptr);
    EXPECT_EQ(report.ReportOptions()->Password(), "Sezam");
    // Entered once, the same password is not asked for again.
    dialogs::clearRecordedMessages();
    EXPECT_TRUE(report.LoadFromFile(path));
    EXPECT_TRUE(recording.messages().isEmpty());
  }
  for (const std::optional<QString>& answer : {std::optional<QString>("sezam"), std::optional<QString>()}) {
    dialogs::RecordingScope recording;
    dialogs::queueTextAnswer(answer);
    TfrxReport report;
    report.LoadFromFile(path);
    EXPECT_EQ(report.Errors(), QStringList{"Invalid password"});
    EXPECT_EQ(report.FindObject("Page1"), nullptr);
    EXPECT_TRUE(report.ReportOptions()->Password().isEmpty());
    EXPECT_EQ(recording.messages(),
              (QStringList{"Podaj hasło:", "Pojawił się następujący błąd(y):\r\nInvalid password"}));
  }
}

TEST(ReportObject, ErrorsAreShownAsTheSilentModeSays) {
  TfrxReport report;
  report.Errors() = QStringList{"pierwszy", "drugi"};
  const QString text = "Pojawił się następujący błąd(y):\r\npierwszy\r\ndrugi";
  EXPECT_EQ(report.ErrorsText(), text);
  {
    dialogs::RecordingScope recording;
    report.ShowErrors();
    EXPECT_EQ(recording.messages(), QStringList{text});
  }
  {
    dialogs::RecordingScope recording;
    report.EngineOptions()->SetNewSilentMode(simSilent);
    report.ShowErrors();
    EXPECT_TRUE(recording.messages().isEmpty());
  }
  {
    dialogs::RecordingScope recording;
    report.EngineOptions()->SetNewSilentMode(simReThrow);
    try {
      report.ShowErrors();
      ADD_FAILURE() << "no error raised";
    } catch (const ReportError& e) {
      EXPECT_EQ(e.message(), text);
    }
    EXPECT_TRUE(recording.messages().isEmpty());
  }
}

TEST(ReportObject, AScriptThatDoesNotCompileIsListed) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  bool ran = false;
  EngineScope engine([&](TfrxReport&) { return ran = true; });
  report.SetScriptText({"begin", "  x := ;", "end."});
  EXPECT_FALSE(report.BuildPages());
  EXPECT_FALSE(ran);
  ASSERT_EQ(report.Errors().size(), 1);
  EXPECT_TRUE(report.Errors()[0].startsWith("Błąd wykonania skryptu w 2:")) << report.Errors()[0].toStdString();
  EXPECT_EQ(recording.messages().size(), 1);
}

TEST(ReportObject, AScriptThatAsksForTooMuchMemoryIsListedAndThePreparationStops) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  bool ran = false;
  EngineScope engine([&](TfrxReport&) { return ran = true; });
  report.SetScriptText({"var s: String;", "begin", "  SetLength(s, 2000000000);", "end."});
  EXPECT_FALSE(report.BuildPages());
  EXPECT_FALSE(ran);
  EXPECT_EQ(report.Errors(), QStringList{"Out of memory: a string may hold at most 67108864 characters"});
  EXPECT_EQ(recording.messages().size(), 1);
}

TEST(ReportObject, WithoutAnEngineNothingPassesForPrepared) {
  dialogs::RecordingScope recording;
  NoRunScope noRun;
  TfrxReport report;
  EXPECT_FALSE(report.BuildPages());
  ASSERT_EQ(report.Errors().size(), 1);
  EXPECT_TRUE(report.Errors()[0].startsWith("Brak silnika raportów"));
}

TEST(ReportObject, AMissingDataSetOfTheListStopsThePreparation) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  bool ran = false;
  EngineScope engine([&](TfrxReport&) { return ran = true; });
  report.DataSets()->Add()->SetDataSetName("Brak");
  EXPECT_FALSE(report.BuildPages());
  EXPECT_FALSE(ran);
  EXPECT_EQ(report.Errors(), QStringList{"Zbiór danych Brak nie istnieje"});
}

TEST(ReportObject, WhatTheScriptChangedIsUndoneAfterTheRun) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "Page1");
  named<TfrxMemoView>(page, "Memo1");
  report.SetScriptText({"begin", "  Memo1.Visible := False;", "  Set('Wynik', 7);", "end."});
  bool hiddenDuringRun = false;
  EngineScope engine([&](TfrxReport& r) {
    hiddenDuringRun = !r.FindObject("Memo1")->Visible();
    return true;
  });
  int endDoc = 0;
  report.OnEndDoc = [&] { ++endDoc; };
  EXPECT_TRUE(report.BuildPages()) << report.Errors().join('\n').toStdString();
  EXPECT_TRUE(hiddenDuringRun);
  EXPECT_EQ(endDoc, 1);
  ASSERT_NE(report.FindObject("Memo1"), nullptr);
  EXPECT_TRUE(report.FindObject("Memo1")->Visible());
  // The variable the script set went with the restore as well.
  EXPECT_EQ(report.Variables()->IndexOf("Wynik"), -1);
  EXPECT_TRUE(recording.messages().isEmpty());
}

// Files this process writes may grow to `bytes` at most while it lives; a
// write beyond fails as on a full disk.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
  }
  rlimit previous{};
  void (*previousSignal)(int) = nullptr;
};

TEST(ReportObject, ACopyTheTemporaryFolderCannotHoldIsKeptInMemory) {
  dialogs::RecordingScope recording;
  QTemporaryDir dir;
  TfrxReport report;
  report.EngineOptions()->SetUseFileCache(true);
  report.EngineOptions()->SetTempDir(dir.path());
  auto* page = named<TfrxReportPage>(&report, "Page1");
  for (int i = 0; i < 40; ++i) named<TfrxMemoView>(page, QStringLiteral("Memo%1").arg(i + 1).toLatin1().constData());
  report.SetScriptText({"begin", "  Memo1.Visible := False;", "end."});
  EngineScope engine([](TfrxReport&) { return true; });
  {
    FileSizeLimit limit(512);
    EXPECT_TRUE(report.BuildPages()) << report.Errors().join('\n').toStdString();
  }
  ASSERT_NE(report.FindObject("Memo40"), nullptr);
  EXPECT_TRUE(report.FindObject("Memo1")->Visible());
  EXPECT_TRUE(report.Errors().isEmpty());
}

TEST(ReportObject, TerminatedStopsTheRunBeforeTheEngine) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  bool ran = false;
  EngineScope engine([&](TfrxReport&) { return ran = true; });
  report.OnAfterScriptCompile = [&] { report.SetTerminated(true); };
  EXPECT_FALSE(report.BuildPages());
  EXPECT_FALSE(ran);
}

TEST(ReportObject, ProgressTextsAndCancel) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  EXPECT_EQ(report.ProgressText(TfrxReport::ProgressKind::Preparing, 3), "Tworzenie strony 3");
  EXPECT_EQ(report.ProgressText(TfrxReport::ProgressKind::Exporting, 2), "Eksportowanie strony 2");
  EXPECT_EQ(report.ProgressText(TfrxReport::ProgressKind::Printing, 1), "Drukowanie strony 1");
  report.RunState().finalPass = false;
  EXPECT_EQ(report.ProgressText(TfrxReport::ProgressKind::Preparing, 4), "Pierwszy przebieg: strona 4");

  QList<int> seen;
  report.OnProgress = [&](TfrxReport*, TfrxReport::ProgressKind, int page, bool& cancel) {
    seen.append(page);
    cancel = page == 2;
  };
  report.ProgressStart(TfrxReport::ProgressKind::Printing);
  report.Progress(TfrxReport::ProgressKind::Printing, 1);
  EXPECT_FALSE(report.Terminated());
  report.Progress(TfrxReport::ProgressKind::Printing, 2);
  EXPECT_TRUE(report.Terminated());
  report.ProgressStop(TfrxReport::ProgressKind::Printing);
  report.SetNoPumping(true);
  report.Progress(TfrxReport::ProgressKind::Printing, 3);
  EXPECT_EQ(seen, (QList<int>{1, 2}));
}

TEST(ReportObject, AScriptCannotClearOrReloadItsOwnReportWhileItRuns) {
  dialogs::RecordingScope recording;
  QTemporaryDir dir;
  const QString other = dir.filePath("inny.fr3");
  {
    TfrxReport saved;
    named<TfrxReportPage>(&saved, "Strona");
    saved.WriteToFile(other);
  }
  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "Page1");
  named<TfrxMemoView>(page, "Memo1");
  bool ran = false;
  EngineScope engine([&](TfrxReport&) { return ran = true; });
  for (const QString& call : {QStringLiteral("Report.LoadFromFile('%1');").arg(other), QStringLiteral("Report.Clear;"),
                              QStringLiteral("Report.ShowReport;")}) {
    report.SetScriptText({"begin", call, "  Memo1.Visible := False;", "end."});
    ran = false;
    EXPECT_FALSE(report.BuildPages()) << call.toStdString();
    EXPECT_FALSE(ran);
    ASSERT_FALSE(report.Errors().isEmpty());
    EXPECT_TRUE(report.Errors()[0].contains("w trakcie wykonywania jego skryptu")) << report.Errors()[0].toStdString();
    // The tree is the one from before the run.
    ASSERT_NE(report.FindObject("Memo1"), nullptr);
    EXPECT_TRUE(report.FindObject("Memo1")->Visible());
    EXPECT_EQ(report.FindObject("Strona"), nullptr);
  }
}

TEST(ReportObject, APreparationAfterThePreviewOpenedShowsItsErrorsInsteadOfRaisingThem) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  // Raising is what the application asked for, but nobody waits for the
  // preparation that the preview started: its errors are shown.
  report.EngineOptions()->SetNewSilentMode(simReThrow);
  EngineScope engine([](TfrxReport& r) {
    r.Errors().append("Silnik zawiódł");
    return false;
  });
  int previews = 0;
  hooks::setPreviewShower([&](TfrxReport&) { ++previews; });
  report.ShowReport();
  EXPECT_EQ(previews, 1);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 300) QCoreApplication::processEvents();
  hooks::setPreviewShower({});
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_EQ(recording.messages()[0], "Pojawił się następujący błąd(y):\r\nSilnik zawiódł");
}

TEST(ReportObject, ReportPropertiesTheScriptSetAreUndoneAsWell) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  named<TfrxReportPage>(&report, "Page1");
  report.ReportOptions()->SetName("Odczyty");
  const double created = report.ReportOptions()->CreateDate();
  // Values that were at their defaults before the run are not in the copy
  // the report comes back from.
  report.SetScriptText({"begin", "  Report.ReportOptions.Author := 'Skrypt';", "  Report.ReportOptions.Name := 'Inny';",
                        "  Report.PrintOptions.Copies := 3;", "  Report.EngineOptions.ConvertNulls := False;",
                        "  Report.DotMatrixReport := True;", "end."});
  EngineScope engine([&](TfrxReport& r) { return r.PrintOptions()->Copies() == 3; });
  EXPECT_TRUE(report.BuildPages()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(report.ReportOptions()->Author(), "");
  EXPECT_EQ(report.ReportOptions()->Name(), "Odczyty");
  EXPECT_NEAR(report.ReportOptions()->CreateDate(), created, 1e-6);  // as precise as documents keep it
  EXPECT_EQ(report.PrintOptions()->Copies(), 1);
  EXPECT_TRUE(report.EngineOptions()->ConvertNulls());
  EXPECT_FALSE(report.DotMatrixReport());
  EXPECT_NE(report.FindObject("Page1"), nullptr);
}

TEST(ReportObject, APreparationIsNotStartedAgainWhileItRuns) {
  dialogs::RecordingScope recording;
  TfrxReport report;
  named<TfrxReportPage>(&report, "Page1");
  hooks::setPreviewShower([](TfrxReport&) {});
  int depth = 0, deepest = 0, runs = 0;
  EngineScope engine([&](TfrxReport& r) {
    ++runs;
    deepest = std::max(deepest, ++depth);
    // Progress lets the event loop run: the second request's timer is due.
    r.ProgressStart(TfrxReport::ProgressKind::Preparing);
    QThread::msleep(80);
    r.Progress(TfrxReport::ProgressKind::Preparing, 1);
    r.ProgressStop(TfrxReport::ProgressKind::Preparing);
    --depth;
    return r.FindObject("Page1") != nullptr;
  });
  // The user asks twice in a row.
  report.ShowReport();
  report.ShowReport();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 400) QCoreApplication::processEvents();
  hooks::setPreviewShower({});
  EXPECT_EQ(deepest, 1);
  EXPECT_GE(runs, 1);
  EXPECT_NE(report.FindObject("Page1"), nullptr);
  EXPECT_EQ(recording.messages(), QStringList{"Raport jest właśnie przygotowywany"});
}

}  // namespace
}  // namespace valmoro::report
