// The live preview's page against the page a full preparation draws, in the
// test's thread and in a worker, and the dock following edits: the last
// edit shown, a failing report's Polish error, windows refused.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <gtest/gtest.h>

#include "data_support.h"
#include "designer_support.h"
#include "designer/live_preview.h"
#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::LogDesigned;

namespace {

// Page 1 of the document prepared in full, drawn as the preview command
// of the tool draws it, at `width` pixels.
QImage fullyPreparedFirstPage(const QByteArray& bytes, int width) {
  report::TfrxReport copy;
  copy.EngineOptions()->SetNewSilentMode(report::simSilent);
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  EXPECT_TRUE(report::readReportDocument(copy, buffer));
  EXPECT_TRUE(copy.BuildPages()) << copy.Errors().join("\n").toStdString();
  report::TfrxPreviewPages& pages = copy.PreviewPages();
  report::TfrxReportPage* page = pages.Page(0);
  const double scale = width / (page->PaperWidth() * 3.77953);
  QImage image(width, int(std::ceil(page->PaperHeight() * 3.77953 * scale)), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(image, int(std::lround(96 * scale)));
    pages.DrawPage(0, canvas, scale, scale, 0, 0);
  }
  return image;
}

void setText(DesignerDocument& document, const QString& name, const QString& text) {
  ASSERT_EQ(document.Run([&] { return new report::edit::SetPropertyCommand(document.Report(), {name}, "Text", text); }), "");
}

// Waits (the event loop running) until the preview has shown a refresh
// after `before` and is idle; false after five seconds.
bool settled(LivePreview& preview, int before) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 5000) {
    QTest::qWait(10);
    if (preview.ShownCount() > before && !preview.Busy()) return true;
  }
  return false;
}

}  // namespace

TEST(LivePreviewPage, MatchesTheFullPreparationOverTheProgramsLog) {
  LogDesigned t;
  setText(t.document(), "Tytul", "Dziennik – próba");
  const QImage expected = fullyPreparedFirstPage(t.document().DocumentBytes(), 500);

  // Here: the snapshot of the log is made directly.
  auto run = std::make_shared<LiveRun>();
  const LivePage here = PrepareLivePage(TakeLiveRequest(t.document(), 500), run);
  ASSERT_EQ(here.error, "");
  EXPECT_EQ(here.preparedPages, 1);
  EXPECT_TRUE(here.image == expected);

  // In a worker: the log is read on this thread while the worker waits.
  bool hookRanHere = false;
  run->prepare = [&](report::TfrxReport&) { hookRanHere = QThread::currentThread() == qApp->thread(); };
  const LiveRequest request = TakeLiveRequest(t.document(), 500);
  QFuture<LivePage> future = QtConcurrent::run([&] { return PrepareLivePage(request, run); });
  while (!future.isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const LivePage there = future.result();
  ASSERT_EQ(there.error, "");
  EXPECT_TRUE(hookRanHere);
  EXPECT_TRUE(there.image == expected);
  // The program's data set is where it was: the full preparation still sees every row.
  EXPECT_EQ(designer::testing::preparedTexts(t.document().DocumentBytes()).value("Tytul"), QStringList{"Dziennik – próba"});
}

TEST(LivePreviewPage, SaysInPolishWhyThereIsNoPage) {
  LogDesigned t;
  {
    setText(t.document(), "Tytul", "[NieMaTakiejFunkcji(1)]");
    const LivePage page = PrepareLivePage(TakeLiveRequest(t.document(), 300), std::make_shared<LiveRun>());
    EXPECT_TRUE(page.image.isNull());
    EXPECT_TRUE(page.error.startsWith("Nie udało się przygotować raportu:\n")) << page.error.toStdString();
    EXPECT_GT(page.error.count('\n'), 0);
  }
  {
    t.document().UndoStack().undo();
    ASSERT_EQ(t.document().ChangeReport("skrypt", [](report::TfrxReport& r) {
      r.SetScriptText({"begin", "  ShowMessage('Uwaga');", "end."});
    }), "");
    const LivePage page = PrepareLivePage(TakeLiveRequest(t.document(), 300), std::make_shared<LiveRun>());
    EXPECT_TRUE(page.image.isNull());
    EXPECT_EQ(page.error, "Podgląd na żywo nie pokazuje raportów, których skrypt otwiera okna: użyj podglądu (F9).");
  }
  {
    // A cancelled run shows nothing at all.
    t.document().UndoStack().undo();
    auto run = std::make_shared<LiveRun>();
    run->cancelled = true;
    run->prepare = [](report::TfrxReport&) {};
    const LivePage page = PrepareLivePage(TakeLiveRequest(t.document(), 300), run);
    EXPECT_TRUE(page.dropped);
    EXPECT_TRUE(page.image.isNull());
  }
}

TEST(LivePreviewDock, FollowsEditsAndShowsTheLastOne) {
  LogDesigned t;
  LivePreview preview(t.document());
  preview.resize(420, 600);
  preview.show();
  ASSERT_TRUE(settled(preview, 0)) << "no first page";
  EXPECT_EQ(preview.Message(), "");
  const int width = preview.Image().width();
  ASSERT_GT(width, 100);
  EXPECT_TRUE(preview.Image() == fullyPreparedFirstPage(t.document().DocumentBytes(), width));

  // One edit: shown within the wait, as a full preparation draws it.
  int shown = preview.ShownCount();
  setText(t.document(), "Tytul", "Pierwsza zmiana");
  EXPECT_TRUE(preview.Busy() || preview.Message() == "");
  ASSERT_TRUE(settled(preview, shown));
  EXPECT_TRUE(preview.Image() == fullyPreparedFirstPage(t.document().DocumentBytes(), width));

  // Quick edits, some while a refresh runs: the last one is what stays.
  shown = preview.ShownCount();
  for (int i = 1; i <= 6; ++i) {
    setText(t.document(), "Tytul", QStringLiteral("Zmiana %1").arg(i));
    QTest::qWait(i % 2 ? 40 : 160);
  }
  // The last wait outlasts the gathering of edits: its refresh has begun.
  ASSERT_TRUE(settled(preview, shown));
  const QImage last = fullyPreparedFirstPage(t.document().DocumentBytes(), width);
  EXPECT_TRUE(preview.Image() == last);
  setText(t.document(), "Tytul", "Zmiana 5");
  EXPECT_FALSE(fullyPreparedFirstPage(t.document().DocumentBytes(), width) == last);

  // A failing report: the Polish error above, no page.
  shown = preview.ShownCount();
  setText(t.document(), "Tytul", "[NieMaTakiejFunkcji(1)]");
  ASSERT_TRUE(settled(preview, shown));
  EXPECT_TRUE(preview.Image().isNull());
  EXPECT_TRUE(preview.Message().startsWith("Nie udało się przygotować raportu:"));
  EXPECT_TRUE(preview.findChild<QLabel*>("LivePreviewMessage")->isVisibleTo(&preview));

  // Put right again: the page comes back, the message goes.
  shown = preview.ShownCount();
  t.document().UndoStack().undo();
  ASSERT_TRUE(settled(preview, shown));
  EXPECT_EQ(preview.Message(), "");
  EXPECT_FALSE(preview.Image().isNull());
}

TEST(LivePreviewDock, GoesAwayWhileARefreshRuns) {
  LogDesigned t;
  auto preview = std::make_unique<LivePreview>(t.document());
  bool hookAfterGone = false;
  LivePreview* raw = preview.get();
  preview->SetPreparation([&](report::TfrxReport&) { hookAfterGone = raw == nullptr; });
  preview->resize(300, 400);
  preview->show();
  preview->Refresh();
  ASSERT_TRUE(preview->Busy());
  preview.reset();
  raw = nullptr;
  QTest::qWait(500);
  EXPECT_FALSE(hookAfterGone);
}
