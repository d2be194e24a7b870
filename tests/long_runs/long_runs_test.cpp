// Long runs in one process: the report prepared 500 times, exported 50
// times, its preview opened and closed 200 times. Memory must come back to
// where it was after the first round (growth under 5 MB), and the leak
// checker, on for these runs, must find nothing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QTemporaryDir>

#include "export/export_filter.h"
#include "export/export_xls.h"
#include "export/pdf_export.h"
#include "export/rtf_export.h"
#include "heap_use.h"
#include "platform/dialogs.h"
#include "preview/report_page_source.h"
#include "preview/preview_form.h"
#include "report/engine/preview_pages.h"
#include "report/model/data_set.h"
#include "report/model/report.h"

namespace valmoro {
namespace {

using testing::heapInUse;
using testing::leaksFound;

constexpr qint64 kAllowedGrowth = 5 * 1024 * 1024;

// The shipped report over a log of 120 readings (three pages), given as
// the program gives "Wpisy".
struct ShippedReport {
  ShippedReport() {
    wpisy.SetUserName("Wpisy");
    wpisy.SetFields({"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"});
    wpisy.SetRangeEnd(report::reCount);
    wpisy.SetRangeEndCount(120);
    wpisy.OnGetValue = [this](const QString& field, QVariant& value) {
      const int row = wpisy.RecNo();
      if (field == "Identyfikator") value = row + 1;
      else if (field == "Data") value = QDateTime(QDate(2026, 12, 1), QTime(8, 0)).addSecs(-row * 1800);
      else if (field == "Modul") value = QStringLiteral("Magazyn główny");
      else if (field == "Punkt") value = QStringLiteral("Punkt %1").arg(row % 4 + 1);
      else if (field == "Temperatura") value = 4.5 + (row % 7) * 0.25;
      else if (field == "Wilgotnosc") value = 61.0 + row % 9;
      else value = QStringLiteral("Jan Kowalski");
    };
    report.SetNoPumping(true);
    report.EngineOptions()->SetNewSilentMode(report::simSilent);
    EXPECT_TRUE(report.LoadFromFile(VALMORO_SOURCE_DIR "/data/Raport.fr3", true));
    EXPECT_EQ(report.Errors(), QStringList());
  }
  bool prepare() { return report.BuildPages(true) && report.PreviewPages().Count() >= 3; }

  report::TfrxUserDataSet wpisy;
  report::TfrxReport report;
};

// Runs `round` `times`; the heap after the first round is the level the
// others must come back to.
template <typename Round>
void expectSteady(int times, Round round) {
  ASSERT_TRUE(round());
  const qint64 level = heapInUse();
  for (int i = 1; i < times; ++i) {
    ASSERT_TRUE(round()) << "round " << i + 1;
    if (qEnvironmentVariableIsSet("VALMORO_HEAP_TRACE") && i % 25 == 0)
      std::printf("round %d: %lld KiB more\n", i, (heapInUse() - level) / 1024);
  }
  const qint64 growth = heapInUse() - level;
  EXPECT_LT(growth, kAllowedGrowth) << growth / 1024 << " KiB more after " << times << " rounds";
  EXPECT_FALSE(leaksFound());
}

TEST(LongRuns, PreparingTheReport500TimesHoldsNoMoreMemory) {
  dialogs::RecordingScope recording;
  ShippedReport shipped;
  expectSteady(500, [&] { return shipped.prepare(); });
  EXPECT_EQ(recording.messages(), QStringList());
}

TEST(LongRuns, Exporting50TimesHoldsNoMoreMemory) {
  dialogs::RecordingScope recording;
  ShippedReport shipped;
  ASSERT_TRUE(shipped.prepare());
  QTemporaryDir dir;
  exports::TfrxPDFExport pdf;
  exports::TfrxRTFExport rtf;
  exports::TfrxXLSExport xlsx;
  int n = 0;
  expectSteady(50, [&] {
    // The three formats in turn, each over the same file.
    exports::TfrxCustomExportFilter* filters[] = {&pdf, &rtf, &xlsx};
    exports::TfrxCustomExportFilter* filter = filters[n % 3];
    filter->SetShowDialog(false);
    filter->SetShowProgress(false);
    filter->SetFileName(dir.filePath(QStringLiteral("raport-%1").arg(n++ % 3)));
    return exports::ExportPreparedPages(shipped.report.PreviewPages(), filter);
  });
  EXPECT_EQ(recording.messages(), QStringList());
}

TEST(LongRuns, OpeningThePreview200TimesHoldsNoMoreMemory) {
  dialogs::RecordingScope recording;
  ShippedReport shipped;
  ASSERT_TRUE(shipped.prepare());
  shipped.report.PreviewOptions()->SetMaximized(false);
  expectSteady(200, [&] {
    preview::ReportPageSource source(shipped.report.PreviewPages());
    preview::TfrxPreviewForm form;
    form.resize(900, 700);
    form.Init(&source, &shipped.report);
    form.show();
    QApplication::processEvents();
    form.close();
    QApplication::processEvents();
    // What the window handed over for deleting later goes now, as the
    // program's event loop would see to it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
  });
}

}  // namespace
}  // namespace valmoro
