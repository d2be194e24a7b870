// "Narzędzia" → "Raport" and "Projektowanie raportu": the report of the log
// as the grid shows it.

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QToolBar>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest/QTest>

#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/report_windows.h"
#include "designer/data_tree.h"
#include "designer/designer_document.h"
#include "designer/designer_form.h"
#include "designer/designer_install.h"
#include "fixture.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"
#include "preview/page_settings_form.h"
#include "preview/page_source.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_install.h"
#include "preview/preview_workspace.h"
#include "qt_printers.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/data_set.h"
#include "report/model/hooks.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_options.h"

namespace valmoro {
namespace {

using app::Program;

// What the preview would have shown: the rows of "Wpisy" at that moment.
struct ShownReport {
  int shown = 0;
  QStringList rows;
  int pagesInReport = -1;
  report::TfrxPreviewButtons buttons;
  bool fileCache = false;
  QString title;  // the heading "Tytul", when the layout has one
};

class ReportCommands : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    report::hooks::setPreviewShower([this](report::TfrxReport& r) {
      ++shown.shown;
      shown.buttons = r.PreviewOptions()->Buttons();
      shown.fileCache = r.EngineOptions()->UseFileCache();
      shown.pagesInReport = int(r.Objects().size());
      if (auto* heading = qobject_cast<report::TfrxCustomMemoView*>(r.FindObject(QStringLiteral("Tytul"))))
        shown.title = heading->Text();
      shown.rows.clear();
      report::TfrxDataSet* wpisy = r.FindDataSet(QStringLiteral("Wpisy"));
      if (!wpisy) return;
      wpisy->Open();
      for (wpisy->First(); !wpisy->Eof(); wpisy->Next())
        shown.rows.append(wpisy->DisplayText(QStringLiteral("Data")) + QLatin1Char(' ') +
                          wpisy->DisplayText(QStringLiteral("Temperatura")));
    });
  }
  void TearDown() override {
    report::hooks::setPreviewShower(nullptr);
    report::hooks::setDesignerOpener(nullptr);
  }

  Program startAsAdministrator() {
    recording.emplace();
    Program p = app::createProgram(install.base());
    p.AOknoGl->AutorunTimer();
    p.Logowanie->ComboBox1->setEditText("Administrator");
    p.Logowanie->Edit1->setText("Tajne1");
    p.Logowanie->ComboBox2->setEditText("Magazyn");
    QTest::mouseClick(p.Logowanie->Button1, Qt::LeftButton);
    dialogs::clearRecordedMessages();
    return p;
  }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
  ShownReport shown;
};

TEST_F(ReportCommands, TheReportReadsTheRowsOfTheGridWithTheDateFilterInForce) {
  install.writeFile("Raport.fr3", QByteArray(R"(<?xml version="1.0" encoding="utf-8"?>
<TfrxReport Version="4.9" PreviewOptions.Buttons="4095" ReportOptions.Name="Dziennik">
  <TfrxReportPage Name="Page1"/>
</TfrxReport>)"));
  Program p = startAsAdministrator();
  app::TAOknoGl& w = *p.AOknoGl;
  ASSERT_TRUE(w.isToolsMenuShown());
  w.Raport1->trigger();
  ASSERT_EQ(shown.shown, 1);
  EXPECT_EQ(shown.rows.size(), 6);
  // Only the second of March, newest first, formatted as the grid formats.
  w.DateTimePicker1->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  w.DateTimePicker2->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
  w.Raport1->trigger();
  ASSERT_EQ(shown.shown, 2);
  EXPECT_EQ(shown.rows, QStringList({"2026-03-02 12:30:00 21,50", "2026-03-02 -3,25"}));
  // The document asked for every button; the application's nine stay.
  EXPECT_EQ(shown.buttons, report::pbPrint | report::pbExport | report::pbZoom | report::pbFind | report::pbOutline |
                               report::pbPageSetup | report::pbTools | report::pbNavigator | report::pbExportQuick);
  // A long log keeps its finished pages in a temporary file, not in memory.
  EXPECT_TRUE(shown.fileCache);
  // The log stays open for the grid afterwards.
  EXPECT_TRUE(w.ADODataSet1->isActive());
  EXPECT_EQ(w.ADODataSet1->recordCount(), 2);
}

TEST_F(ReportCommands, AMissingLayoutGivesAnEmptyReportWithoutAWord) {
  Program p = startAsAdministrator();
  p.AOknoGl->Raport1Click();
  EXPECT_EQ(shown.shown, 1);
  EXPECT_EQ(shown.pagesInReport, 0);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
}

TEST_F(ReportCommands, AnUnreadableLayoutShowsTheReportsErrorsAndNoPreview) {
  install.writeFile("Raport.fr3", "to nie jest dokument raportu");
  Program p = startAsAdministrator();
  p.AOknoGl->Raport1Click();
  EXPECT_EQ(shown.shown, 0);
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  EXPECT_TRUE(dialogs::recordedMessages()[0].startsWith("Pojawił się następujący błąd(y):\r\n"));
}

// Runs "Projektowanie raportu"; `inDesigner` works in the designer window
// once it is open (it runs modally), then the window is closed.
void runDesigner(app::TAOknoGl& w, const std::function<void(designer::TfrxDesignerForm&)>& inDesigner) {
  bool seen = false;
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    designer::TfrxDesignerForm* form = designer::OpenDesignerForm();
    if (!form || !form->isVisible() || seen) return;
    seen = true;
    inDesigner(*form);
    form->close();
  });
  watch.start();
  w.Projektowanieraportu1->trigger();
  watch.stop();
  EXPECT_TRUE(seen);
}

TEST_F(ReportCommands, TheDesignerEditsTheLayoutThatTheNextReportShows) {
  QFile::copy(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), install.dane("Raport.fr3"));
  designer::InstallDesigner();
  Program p = startAsAdministrator();
  app::TAOknoGl& w = *p.AOknoGl;
  runDesigner(w, [this](designer::TfrxDesignerForm& form) {
    designer::DesignerDocument& document = form.Document();
    // The program's layout, with the designer component's defaults.
    EXPECT_EQ(document.FileName(), QFileInfo(install.dane("Raport.fr3")).absoluteFilePath());
    EXPECT_EQ(document.Defaults().fontName, "Arial");
    EXPECT_EQ(document.Defaults().fontHeightPixels, 13);
    EXPECT_EQ(document.Run([&] {
      return new report::edit::SetPropertyCommand(document.Report(), {"Tytul"}, "Text", "Dziennik chłodni");
    }), QString());
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(document.IsModified());
  });
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  EXPECT_TRUE(QFileInfo::exists(install.dane("Raport.fr3.bak")));
  w.Raport1->trigger();
  ASSERT_EQ(shown.shown, 1);
  EXPECT_EQ(shown.title, "Dziennik chłodni");
}

TEST_F(ReportCommands, TheDesignersDataTreeHasTheFieldsOfTheLog) {
  QFile::copy(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), install.dane("Raport.fr3"));
  designer::InstallDesigner();
  Program p = startAsAdministrator();
  runDesigner(*p.AOknoGl, [](designer::TfrxDesignerForm& form) {
    // The report in the designer reaches the program's "Wpisy", as the
    // report command does, so that its fields can be dragged onto bands.
    designer::DataTreeModel tree(form.Document().Report());
    const QModelIndex wpisy = tree.Find({"Zbiory danych", "Wpisy"});
    ASSERT_TRUE(wpisy.isValid());
    QStringList fields;
    for (int r = 0; r < tree.rowCount(wpisy); ++r) fields.append(tree.index(r, 0, wpisy).data().toString());
    EXPECT_EQ(fields, QStringList({"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"}));
  });
}

TEST_F(ReportCommands, WithoutALayoutTheDesignerStartsEmptyAndSavingCreatesIt) {
  designer::InstallDesigner();
  Program p = startAsAdministrator();
  runDesigner(*p.AOknoGl, [](designer::TfrxDesignerForm& form) {
    designer::DesignerDocument& document = form.Document();
    ASSERT_EQ(document.Pages().size(), 1);
    EXPECT_TRUE(document.CurrentPage()->Objects().isEmpty());
    EXPECT_EQ(document.Report().ScriptLanguage(), "PascalScript");
    EXPECT_TRUE(form.SaveReport());
  });
  EXPECT_TRUE(QFileInfo::exists(install.dane("Raport.fr3")));
  // Opened and closed without a change, the file stays byte for byte.
  QFile file(install.dane("Raport.fr3"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  file.close();
  runDesigner(*p.AOknoGl, [](designer::TfrxDesignerForm& form) { EXPECT_FALSE(form.Document().IsModified()); });
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), saved);
}

// The whole command with the program's own layout, engine and preview
// window: the texts of the pages shown.
class ReportPreview : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    QFile::copy(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), install.dane("Raport.fr3"));
    app::installReportWindows();
  }
  void TearDown() override {
    report::hooks::setPreviewShower(nullptr);
  }

  Program startAsAdministrator() {
    recording.emplace();
    Program p = app::createProgram(install.base());
    p.AOknoGl->AutorunTimer();
    p.Logowanie->ComboBox1->setEditText("Administrator");
    p.Logowanie->Edit1->setText("Tajne1");
    p.Logowanie->ComboBox2->setEditText("Magazyn");
    QTest::mouseClick(p.Logowanie->Button1, Qt::LeftButton);
    dialogs::clearRecordedMessages();
    return p;
  }

  // Runs the command; `inWindow` sees the window once the pages are prepared,
  // then the window is closed. Gives every text run of every page.
  QStringList runReport(app::TAOknoGl& w, const std::function<void(preview::TfrxPreviewForm&)>& inWindow = {}) {
    QStringList texts;
    bool seen = false;
    bool sawBusy = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      preview::TfrxPreviewForm* form = preview::OpenPreviewForm();
      if (!form || seen) return;
      preview::TfrxPreview* p = form->Preview();
      if (p->Busy()) {
        sawBusy = true;
        auto* bar = form->findChild<QToolBar*>("ToolBar");
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(form->Control("CancelB")));
        closeTextWhileBusy = button ? button->text() : QString("?");
      }
      if (p->Busy() || !form->isVisible() || (form->Report() && form->Report()->Preparing())) return;
      // Until the run has been seen (or clearly is not coming).
      if (!sawBusy && watchTicks++ < 400) return;
      seen = true;
      for (int i = 0; i < p->PageCount(); ++i) {
        gfx::RecordingCanvas canvas;
        p->Source()->DrawPage(i, canvas, 1, 1, 0, 0);
        for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts.append(call.text);
      }
      if (inWindow) inWindow(*form);
      form->done(0);
    });
    watchTicks = 0;
    watch.start();
    w.Raport1->trigger();
    watch.stop();
    return texts;
  }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
  int watchTicks = 0;
  QString closeTextWhileBusy;
};

TEST_F(ReportPreview, TheReportShowsOnlyTheRowsOfTheDateFilter) {
  Program p = startAsAdministrator();
  app::TAOknoGl& w = *p.AOknoGl;
  w.ADODataSet1->setCurrentRow(2);
  QStringList texts = runReport(w, [](preview::TfrxPreviewForm& form) {
    EXPECT_EQ(form.windowTitle(), "Dziennik pomiarów");
    EXPECT_EQ(form.StatusText(0), "Strona 1 z 1");
    EXPECT_EQ(form.Control("CancelB")->text(), "Zamknij");
  });
  EXPECT_TRUE(texts.contains("Dziennik pomiarów temperatury i wilgotności")) << texts.join('|').toStdString();
  EXPECT_EQ(closeTextWhileBusy, "Anuluj");
  EXPECT_TRUE(texts.contains("2026-03-01 08:00"));
  // The reading selected in the grid stays selected.
  EXPECT_EQ(w.ADODataSet1->currentRow(), 2);
  EXPECT_TRUE(texts.contains(QString::fromUtf8("1\u00a0234,50"))) << texts.filter("234").join("|").toStdString();
  // The title says which days the printout covers: the whole log here.
  EXPECT_TRUE(texts.contains("Okres: od 2026-03-01 do 2026-03-03")) << texts.join('|').toStdString();
  w.DateTimePicker1->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  w.DateTimePicker2->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
  texts = runReport(w);
  // One day: "do" moved to the next day, the title names the day itself.
  EXPECT_TRUE(texts.contains("Okres: od 2026-03-02 do 2026-03-02")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("2026-03-02 12:30"));
  EXPECT_TRUE(texts.contains("2026-03-02 00:00"));
  EXPECT_FALSE(texts.contains("2026-03-01 08:00"));
  EXPECT_FALSE(texts.contains("2026-03-03 09:00"));
  EXPECT_FALSE(texts.contains(QString::fromUtf8("1\u00a0234,50")));
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
}


TEST_F(ReportPreview, AnulujStopsALongPreparationAndKeepsThePagesBuilt) {
  // Three thousand more readings: well over fifty pages.
  db::Connection extra;
  {
    Program p = startAsAdministrator();
    db::Query q(p.AOknoGl->ADOConnection1);
    q.addLine(
        "INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
        "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 2999) "
        "SELECT datetime('2025-01-01 00:00:00', '+' || (x * 300) || ' seconds'), 'Magazyn', 'Rampa', 1.5, 50, 'Jan' "
        "FROM c");
    q.execSql();
  }
  Program p = startAsAdministrator();
  int pagesWhenCancelled = -1;
  int pagesAfter = -1;
  bool closedWhileBusy = false;
  QTimer watch;
  watch.setInterval(2);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    preview::TfrxPreviewForm* form = preview::OpenPreviewForm();
    if (!form) return;
    preview::TfrxPreview* pv = form->Preview();
    if (pv->Busy() && pv->PageCount() >= 3 && pagesWhenCancelled < 0) {
      // Closing is refused while the pages are coming; Esc stops the run.
      form->close();
      closedWhileBusy = form->isVisible();
      pagesWhenCancelled = pv->PageCount();
      QTest::keyClick(form, Qt::Key_Escape);
      return;
    }
    if (pagesWhenCancelled >= 0 && !pv->Busy()) {
      pagesAfter = pv->PageCount();
      EXPECT_EQ(form->Control("CancelB")->text(), "Zamknij");
      EXPECT_EQ(form->StatusText(0), QString("Strona 1 z %1").arg(pagesAfter));
      // What was built can still be paged.
      pv->Last();
      EXPECT_EQ(pv->PageNo(), pagesAfter);
      form->done(0);
    }
  });
  watch.start();
  p.AOknoGl->Raport1->trigger();
  watch.stop();
  EXPECT_TRUE(closedWhileBusy);
  ASSERT_GE(pagesWhenCancelled, 3);
  // Stopped within a page or two of the click, far from the 60-odd pages.
  EXPECT_GE(pagesAfter, pagesWhenCancelled);
  EXPECT_LE(pagesAfter, pagesWhenCancelled + 2);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
}

TEST_F(ReportPreview, SavedPreparedReportOpensWithTheSamePagesAndADamagedOneIsRefused) {
  Program p = startAsAdministrator();
  const QString file = install.dane("zapis.fp3");
  const QString damaged = install.dane("zly.fp3");
  QStringList before, after;
  auto pageTexts = [](preview::TfrxPreview& pv) {
    QStringList texts;
    for (int i = 0; i < pv.PageCount(); ++i) {
      gfx::RecordingCanvas canvas;
      pv.Source()->DrawPage(i, canvas, 1, 1, 0, 0);
      for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts.append(call.text);
    }
    return texts;
  };
  runReport(*p.AOknoGl, [&](preview::TfrxPreviewForm& form) {
    before = pageTexts(*form.Preview());
    ASSERT_TRUE(form.SaveToFile(file));
    form.Preview()->Clear();
    EXPECT_EQ(form.Preview()->PageCount(), 0);
    ASSERT_TRUE(form.LoadFromFile(file));
    after = pageTexts(*form.Preview());
    EXPECT_EQ(form.windowTitle(), "Dziennik pomiarów");
    QFile bad(damaged);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<?xml version=\"1.0\"?><preparedreport><previewpages><page0><m1 u=\"urwany");
    bad.close();
    EXPECT_FALSE(form.LoadFromFile(damaged));
    EXPECT_FALSE(form.Preview()->Locked());
  });
  EXPECT_FALSE(before.isEmpty());
  EXPECT_EQ(after, before);
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  EXPECT_TRUE(dialogs::recordedMessages()[0].startsWith("Nie można odczytać pliku ")) << dialogs::recordedMessages()[0].toStdString();
}


QStringList pageTexts(preview::TfrxPreview& pv, int only = -1) {
  QStringList texts;
  for (int i = 0; i < pv.PageCount(); ++i) {
    if (only >= 0 && i != only) continue;
    gfx::RecordingCanvas canvas;
    pv.Source()->DrawPage(i, canvas, 1, 1, 0, 0);
    for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts.append(call.text);
  }
  return texts;
}

// "Marginesy" → OK: the same report comes back with its rows, on the paper chosen.
TEST_F(ReportPreview, PageSettingsPrepareTheSameReportAgainWithItsRows) {
  Program p = startAsAdministrator();
  QStringList before, unchanged, landscape, thisPage;
  QSize landscapeSize, thisPageSize;
  int pagesUnchanged = -1;
  runReport(*p.AOknoGl, [&](preview::TfrxPreviewForm& form) {
    preview::TfrxPreview& pv = *form.Preview();
    before = pageTexts(pv);
    auto open = [&]() -> preview::TfrxPageSettingsForm* {
      form.PageSettingsBClick();
      for (auto* dialog : form.findChildren<preview::TfrxPageSettingsForm*>())
        if (dialog->isVisible()) return dialog;
      return nullptr;
    };
    // Unchanged, for every page.
    auto* dialog = open();
    ASSERT_NE(dialog, nullptr);
    dialog->OkB()->click();
    QCoreApplication::processEvents();
    pagesUnchanged = pv.PageCount();
    unchanged = pageTexts(pv);
    // Landscape, for the current page only: the page keeps its rows.
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    dialog->LandscapeRB()->setChecked(true);
    dialog->ThisPageRB()->setChecked(true);
    dialog->OkB()->click();
    QCoreApplication::processEvents();
    thisPage = pageTexts(pv, 0);
    thisPageSize = pv.Source()->PageSize(0);
    // Landscape, for every page: prepared again on the wider paper.
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    dialog->LandscapeRB()->setChecked(true);
    dialog->AllPagesRB()->setChecked(true);
    dialog->OkB()->click();
    QCoreApplication::processEvents();
    landscape = pageTexts(pv);
    landscapeSize = pv.Source()->PageSize(0);
  });
  ASSERT_TRUE(before.contains("2026-03-01 08:00")) << before.join('|').toStdString();
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  EXPECT_EQ(pagesUnchanged, 1);
  EXPECT_EQ(unchanged, before);
  EXPECT_TRUE(landscape.contains("2026-03-01 08:00")) << landscape.join('|').toStdString();
  EXPECT_TRUE(landscape.contains("Dziennik pomiarów temperatury i wilgotności"));
  EXPECT_GT(landscapeSize.width(), landscapeSize.height());
  EXPECT_TRUE(thisPage.contains("2026-03-01 08:00")) << thisPage.join('|').toStdString();
  EXPECT_GT(thisPageSize.width(), thisPageSize.height());
}

}  // namespace
}  // namespace valmoro
