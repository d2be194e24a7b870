// "Narzędzia" → "Raport" and "Projektowanie raportu": the report of the log
// as the grid shows it.

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QTest>

#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "fixture.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "qt_printers.h"
#include "report/model/data_set.h"
#include "report/model/hooks.h"
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
};

class ReportCommands : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    report::hooks::setPreviewShower([this](report::TfrxReport& r) {
      ++shown.shown;
      shown.buttons = r.PreviewOptions()->Buttons();
      shown.pagesInReport = int(r.Objects().size());
      shown.rows.clear();
      report::TfrxDataSet* wpisy = r.FindDataSet(QStringLiteral("Wpisy"));
      if (!wpisy) return;
      wpisy->Open();
      for (wpisy->First(); !wpisy->Eof(); wpisy->Next())
        shown.rows.append(wpisy->DisplayText(QStringLiteral("Data")) + QLatin1Char(' ') +
                          wpisy->DisplayText(QStringLiteral("Temperatura")));
    });
  }
  void TearDown() override { report::hooks::setPreviewShower(nullptr); }

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

TEST_F(ReportCommands, TheDesignerCommandSaysTheDesignerIsNotThereYet) {
  Program p = startAsAdministrator();
  p.AOknoGl->Projektowanieraportu1->trigger();
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList({"Projektant raportów nie jest jeszcze dostępny w tej wersji programu"}));
}

}  // namespace
}  // namespace valmoro
