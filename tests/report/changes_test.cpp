// The report tells its observers of every change of its objects: values set
// by the document reader and by edit commands (and their undo), and every
// insertion, removal and reparenting; a trial change tells nothing.

#include <gtest/gtest.h>

#include <QUndoStack>

#include "change_recorder.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/serializer.h"

namespace valmoro::report {
namespace {

struct ReportChanges : ::testing::Test {
  ReportChanges() {
    page->SetName("Page1");
    band->SetName("MasterData1");
    band->SetBounds(0, 100, 718, 20);
    other->SetName("MasterData2");
    other->SetBounds(0, 200, 718, 20);
    memo->SetName("Pole");
    memo->SetBounds(10, 0, 100, 18);
    report.AddObserver(&recorder);
  }
  ~ReportChanges() override { report.RemoveObserver(&recorder); }

  TfrxReport report;
  TfrxReportPage* page = new TfrxReportPage(&report);
  TfrxMasterData* band = new TfrxMasterData(page);
  TfrxMasterData* other = new TfrxMasterData(page);
  TfrxMemoView* memo = new TfrxMemoView(band);
  Recorder recorder;
};

TEST_F(ReportChanges, TheReaderAndEditCommandsAnnounceWhatChanged) {
  TfrxXMLSerializer reader(&report);
  reader.XMLToObj(QStringLiteral("Left=\"20\" Top=\"0\" Font.Height=\"-16\" HAlign=\"haRight\""), *memo);
  // An unchanged value says nothing; nested objects speak through theirs.
  EXPECT_EQ(recorder.take(), (QStringList{"Pole.Left: 10 -> 20", "Pole.Font.Height: -13 -> -16", "Pole.HAlign: haLeft -> haRight"}));

  QUndoStack stack;
  auto* command = new edit::SetPropertyCommand(report, {"Pole"}, "Text", "Punkt");
  // Checked by a trial that tells no one.
  EXPECT_EQ(recorder.take(), QStringList{});
  stack.push(command);
  EXPECT_EQ(recorder.take(), QStringList{"Pole.Text:  -> Punkt"});
  stack.undo();
  EXPECT_EQ(recorder.take(), QStringList{"Pole.Text: Punkt -> "});
  EXPECT_EQ(memo->Text(), "");
}

TEST_F(ReportChanges, InsertionsRemovalsAndMovesBetweenParents) {
  auto* added = new TfrxMemoView(other);
  added->SetName("Nowe");
  // Told while it is being made: before it has a name.
  EXPECT_EQ(recorder.take(), QStringList{"+  in MasterData2"});
  added->SetParent(band);
  EXPECT_EQ(recorder.take(), QStringList{"Nowe: MasterData2 -> MasterData1"});
  added->SetParent(nullptr);
  EXPECT_EQ(recorder.take(), QStringList{"- Nowe from MasterData1"});
  delete added;
  EXPECT_EQ(recorder.take(), QStringList{});
  delete memo;
  EXPECT_EQ(recorder.take(), QStringList{"- Pole from MasterData1"});

  // A trial change of the tree, held back.
  {
    const changes::Silence silence;
    auto* trial = new TfrxMemoView(band);
    delete trial;
  }
  EXPECT_EQ(recorder.take(), QStringList{});
}

}  // namespace
}  // namespace valmoro::report
