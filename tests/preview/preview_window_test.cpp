// The preview window driven as a user drives it, over pages made by hand.
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QLabel>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "fake_pages.h"
#include "platform/dialogs.h"
#include "platform/printers.h"
#include "preview/page_settings_form.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_hooks.h"
#include "preview/preview_workspace.h"
#include "preview/search_dialog.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/run/report_run.h"

using namespace valmoro;
using preview::TfrxPreview;
using preview::TfrxPreviewForm;
using valmoro::testing::FakePage;
using valmoro::testing::FakePages;

namespace {

constexpr auto kAppButtons = report::pbPrint | report::pbExport | report::pbZoom | report::pbFind | report::pbOutline |
                             report::pbPageSetup | report::pbTools | report::pbNavigator | report::pbExportQuick;

struct Window {
  FakePages pages;
  report::TfrxReport report;
  TfrxPreviewForm form;
  explicit Window(FakePages p, report::TfrxPreviewButtons buttons = kAppButtons) : pages(std::move(p)) {
    report.PreviewOptions()->SetButtons(buttons);
    report.PreviewOptions()->SetMaximized(false);
    form.resize(1000, 800);
    form.Init(&pages, &report);
    form.show();
    QCoreApplication::processEvents();
  }
  TfrxPreview& preview() { return *form.Preview(); }
  void typeZoom(const QString& text) {
    form.ZoomCB()->setEditText(text);
    form.ZoomCBClick();
  }
};

}  // namespace

TEST(PreviewToolbar, TheApplicationsNineButtonsGiveExactlyTheseControls) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(3));
  EXPECT_EQ(w.form.VisibleControls(),
            QStringList({"PrintB", "FindB", "-", "ZoomPlusB", "ZoomCB", "ZoomMinusB", "FullScreenBtn", "-", "OutlineB",
                         "ThumbB", "PageSettingsB", "-", "FirstB", "PriorB", "PageE", "NextB", "LastB", "-",
                         "CancelB"}));
  EXPECT_EQ(w.form.windowTitle(), "Podgląd");
  EXPECT_EQ(w.form.Control("PrintB")->toolTip(), "Wydruk");
  EXPECT_EQ(w.form.Control("ZoomPlusB")->toolTip(), "Przybliż");
  EXPECT_EQ(w.form.Control("OutlineB")->toolTip(), "Konspekt raportu");
  EXPECT_EQ(w.form.Control("LastB")->toolTip(), "Ostatnia strona");
  EXPECT_EQ(w.form.ZoomCB()->toolTip(), "Powiększenie");
  EXPECT_EQ(w.form.PageE()->toolTip(), "Numer strony");
  EXPECT_EQ(w.form.Control("CancelB")->text(), "Zamknij");
  QStringList zoomItems;
  for (int i = 0; i < w.form.ZoomCB()->count(); ++i) zoomItems << w.form.ZoomCB()->itemText(i);
  EXPECT_EQ(zoomItems, QStringList({"25%", "50%", "75%", "100%", "150%", "200%", "Szerokość strony", "Cała strona"}));
}

TEST(PreviewToolbar, DefaultButtonsOfferOpenAndSaveButNoEditorOrExportWithoutThem) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(1), report::TfrxPreviewButtons::fromInt(4095));
  const QStringList shown = w.form.VisibleControls();
  EXPECT_TRUE(shown.contains("OpenB"));
  EXPECT_TRUE(shown.contains("SaveB"));
  // No designer in the program yet, no filter registered.
  EXPECT_FALSE(shown.contains("DesignerB"));
  EXPECT_FALSE(shown.contains("ExportB"));
  EXPECT_FALSE(shown.contains("PdfB"));
  // Navigator and close hidden: no separator hangs at the end.
  Window bare(FakePages::numbered(1), report::pbPrint | report::pbNoClose);
  EXPECT_EQ(bare.form.VisibleControls(), QStringList({"PrintB"}));
}

TEST(PreviewToolbar, RegisteredFiltersMakeTheExportMenuAndTheQuickPdfButton) {
  dialogs::RecordingScope recording;
  int exported = -1;
  preview::hooks::setExportFilterLister([&] {
    std::vector<preview::hooks::ExportEntry> list(2);
    list[0].caption = "PDF dokument";
    list[0].isPdf = true;
    list[0].run = [&](preview::PageSource&, report::TfrxReport*, int page, QWidget*) {
      exported = page;
      return true;
    };
    list[1].caption = "RTF dokument";
    list[1].run = [](preview::PageSource&, report::TfrxReport*, int, QWidget*) { return true; };
    return list;
  });
  Window w(FakePages::numbered(4));
  preview::hooks::setExportFilterLister(nullptr);
  EXPECT_TRUE(w.form.VisibleControls().contains("ExportB"));
  EXPECT_TRUE(w.form.VisibleControls().contains("PdfB"));
  EXPECT_FALSE(w.form.VisibleControls().contains("EmailB"));
  ASSERT_EQ(w.form.ExportMenu()->actions().size(), 2);
  EXPECT_EQ(w.form.ExportMenu()->actions()[0]->text(), "PDF dokument...");
  EXPECT_EQ(w.form.ExportMenu()->actions()[1]->text(), "RTF dokument...");
  w.preview().SetPageNo(3);
  w.form.PdfBClick();
  EXPECT_EQ(exported, 2);
  // The right-click menu: hints of the first group with the export sub-menu.
  QStringList right;
  for (QAction* a : w.form.RightMenu()->actions())
    if (!a->isSeparator()) right << a->text();
  EXPECT_EQ(right, QStringList({"Wydruk", "Eksport", "Eksport do PDF", "Znajdź", "Przybliż", "Oddal", "Pełny ekran",
                                "Zwiń wszystkie", "Rozwiń wszystkie"}));
}

TEST(PreviewToolbar, PrintWithoutThePrintingPartSaysSoAndPrintsNothing) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(2));
  w.form.PrintBClick();
  EXPECT_EQ(recording.messages(), QStringList({"Drukowanie raportu nie jest jeszcze dostępne w tej wersji programu"}));
  int printedFrom = -1;
  preview::hooks::setPrintRunner([&](preview::PageSource& pages, report::TfrxReport*, int page, QWidget*) {
    printedFrom = page;
    return pages.Count() == 2;
  });
  w.preview().Last();
  w.form.PrintBClick();
  preview::hooks::setPrintRunner(nullptr);
  EXPECT_EQ(printedFrom, 1);
}

TEST(PreviewZoom, ZoomBoxTextsItemsAndButtons) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(3));
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "100%");
  w.typeZoom("150 %");
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 1.5);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "150%");
  w.typeZoom("10%");
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 0.25);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "25%");
  // No page of a million percent.
  w.typeZoom("1000000%");
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 10.0);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "1000%");
  w.typeZoom("sto");
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 10.0);
  EXPECT_EQ(recording.messages(), QStringList({"Nieprawidłowa wartość powiększenia: sto"}));
  w.typeZoom("100%");
  w.form.ZoomPlusBClick();
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 1.25);
  w.form.ZoomMinusBClick();
  w.form.ZoomMinusBClick();
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 0.75);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "75%");
  // Typed and confirmed with Enter.
  w.form.ZoomCB()->lineEdit()->clear();
  QTest::keyClicks(w.form.ZoomCB()->lineEdit(), "60");
  QTest::keyClick(w.form.ZoomCB()->lineEdit(), Qt::Key_Return);
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), 0.6);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "60%");
  // The page number box likewise.
  w.form.PageE()->clear();
  QTest::keyClicks(w.form.PageE(), "3");
  QTest::keyClick(w.form.PageE(), Qt::Key_Return);
  EXPECT_EQ(w.preview().PageNo(), 3);
}

TEST(PreviewZoom, PageWidthAndWholePageFitTheWorkspace) {
  Window w(FakePages::numbered(3));
  auto* ws = w.preview().Workspace();
  const int scrollBar = ws->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  w.form.ZoomCB()->setCurrentIndex(6);
  w.form.ZoomCBClick();
  EXPECT_EQ(w.preview().ZoomMode(), report::zmPageWidth);
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), double(ws->width() - scrollBar - 26) / 794);
  // The page now spans the row: 13 pixels either side less rounding.
  const QRect page = ws->Layout().PageRect(0);
  EXPECT_NEAR(page.width(), ws->width() - scrollBar - 26, 1);
  w.form.ZoomCB()->setCurrentIndex(7);
  w.form.ZoomCBClick();
  EXPECT_EQ(w.preview().ZoomMode(), report::zmWholePage);
  // A portrait page in a landscape window: the height decides.
  EXPECT_DOUBLE_EQ(w.preview().Zoom(), double(ws->height() - 26) / 1123);
  // Typing a zoom leaves the fitted mode.
  w.typeZoom("50");
  EXPECT_EQ(w.preview().ZoomMode(), report::zmDefault);
}

TEST(PreviewZoom, CtrlWheelStepsByTenPercentAndStopsAtThirty) {
  Window w(FakePages::numbered(2));
  auto* viewport = w.preview().Workspace()->viewport();
  auto wheel = [&](int notches) {
    QWheelEvent e(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120 * notches),
                  Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &e);
  };
  // Without Ctrl the wheel scrolls 20 pixels per notch.
  const int before = w.preview().Workspace()->verticalScrollBar()->value();
  QWheelEvent e(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &e);
  EXPECT_EQ(w.preview().Workspace()->verticalScrollBar()->value(), before + 20);
  wheel(2);
  EXPECT_NEAR(w.preview().Zoom(), 1.2, 1e-9);
  w.typeZoom("40%");
  wheel(-3);
  EXPECT_NEAR(w.preview().Zoom(), 0.3, 1e-9);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), "30%");
}

TEST(PreviewNavigation, PageBoxButtonsKeysAndStatusBar) {
  Window w(FakePages::numbered(5));
  int changes = 0;
  QObject::connect(w.form.Preview(), &TfrxPreview::OnPageChanged, [&](int) { ++changes; });
  EXPECT_EQ(w.form.StatusText(0), "Strona 1 z 5");
  w.form.NextBClick();
  EXPECT_EQ(w.preview().PageNo(), 2);
  EXPECT_EQ(w.form.StatusText(0), "Strona 2 z 5");
  EXPECT_EQ(w.form.PageE()->text(), "2");
  // The page's top lands 10 pixels below the window top.
  EXPECT_EQ(w.preview().Workspace()->verticalScrollBar()->value(),
            w.preview().Workspace()->Layout().PageRect(1).top() - 10);
  w.form.PageE()->setText("999");
  w.form.PageEReturn();
  EXPECT_EQ(w.preview().PageNo(), 5);
  w.form.PageE()->setText("-4");
  w.form.PageEReturn();
  EXPECT_EQ(w.preview().PageNo(), 1);
  w.form.PageE()->setText("trzy");
  w.form.PageEReturn();
  EXPECT_EQ(w.preview().PageNo(), 1);
  EXPECT_EQ(w.form.PageE()->text(), "1");
  QTest::keyClick(w.preview().Workspace(), Qt::Key_End);
  EXPECT_EQ(w.preview().PageNo(), 5);
  QTest::keyClick(w.preview().Workspace(), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(w.preview().PageNo(), 4);
  QTest::keyClick(w.preview().Workspace(), Qt::Key_Home);
  EXPECT_EQ(w.preview().PageNo(), 1);
  EXPECT_GE(changes, 6);
  // Scrolling down the workspace makes the page in view current.
  auto* bar = w.preview().Workspace()->verticalScrollBar();
  bar->setValue(w.preview().Workspace()->Layout().PageRect(2).top());
  EXPECT_EQ(w.preview().PageNo(), 3);
  EXPECT_EQ(w.form.StatusText(0), "Strona 3 z 5");
}

TEST(PreviewPainting, OnlyPagesNearTheViewAreDrawn) {
  Window w(FakePages::numbered(2000));
  w.preview().SetPageNo(1500);
  w.pages.drawCalls = 0;
  w.preview().Workspace()->viewport()->repaint();
  // 800 pixels of a 1000-pixel window show parts of one or two pages.
  EXPECT_GE(w.preview().Workspace()->LastPaintedPages(), 1);
  EXPECT_LE(w.pages.drawCalls, 3);
  // The same in the thumbnails, where many pages fit in the window.
  w.form.ThumbBClick();
  QCoreApplication::processEvents();
  w.pages.drawCalls = 0;
  w.preview().Thumbnails()->viewport()->repaint();
  EXPECT_GT(w.pages.drawCalls, 0);
  EXPECT_LE(w.pages.drawCalls, 81);
}

namespace {
FakePages searchPages() {
  FakePages p = FakePages::numbered(5);
  p.pages[1].runs.push_back({QPoint(100, 300), "Alfa Beta", {}});
  p.pages[3].runs.push_back({QPoint(100, 500), "beta gamma", {}});
  p.pages[3].runs.push_back({QPoint(100, 700), "jeszcze BETA", {}});
  return p;
}
}  // namespace

TEST(PreviewFind, FindsEachRunInTurnAcrossPagesThenSaysTextNotFound) {
  dialogs::RecordingScope recording;
  Window w(searchPages());
  ASSERT_TRUE(w.preview().Find("beta", false, true));
  EXPECT_EQ(w.preview().PageNo(), 2);
  EXPECT_EQ(w.preview().Workspace()->FoundPage(), 2);
  EXPECT_EQ(w.preview().Workspace()->FoundRect().topLeft(), QPoint(100, 300));
  // The found text is in view with its margin.
  const QRect page = w.preview().Workspace()->Layout().PageRect(1);
  const int y = page.top() + 300;
  const int scroll = w.preview().Workspace()->verticalScrollBar()->value();
  EXPECT_LE(scroll, y - 20);
  EXPECT_GE(scroll + w.preview().Workspace()->viewport()->height(), y + 20);
  ASSERT_TRUE(w.preview().FindNext());
  EXPECT_EQ(w.preview().PageNo(), 4);
  EXPECT_EQ(w.preview().Workspace()->FoundRect().topLeft(), QPoint(100, 500));
  ASSERT_TRUE(w.preview().FindNext());
  EXPECT_EQ(w.preview().Workspace()->FoundRect().topLeft(), QPoint(100, 700));
  EXPECT_FALSE(w.preview().FindNext());
  EXPECT_EQ(recording.messages(), QStringList({"Nie znaleziono tekstu „beta”."}));
  // Case-sensitively only the upper-case run matches.
  ASSERT_TRUE(w.preview().Find("BETA", true, true));
  EXPECT_EQ(w.preview().Workspace()->FoundRect().topLeft(), QPoint(100, 700));
}

TEST(PreviewFind, WithoutFromTopTheSearchStartsAtTheCurrentPage) {
  dialogs::RecordingScope recording;
  Window w(searchPages());
  w.preview().SetPageNo(3);
  EXPECT_FALSE(w.preview().Find("alfa", false, false));
  // "Alfa" is only on page 2, before the current page.
  EXPECT_EQ(recording.messages(), QStringList({"Nie znaleziono tekstu „alfa”."}));
  ASSERT_TRUE(w.preview().Find("Strona raportu 5", false, false));
  EXPECT_EQ(w.preview().PageNo(), 5);
}

TEST(PreviewFind, TheDialogKeepsTheLastTextAndF3FindsTheNext) {
  dialogs::RecordingScope recording;
  preview::TfrxSearchDialog::SetLastText(QString());
  Window w(searchPages());
  w.form.FindBClick();
  auto* dialog = w.form.findChild<preview::TfrxSearchDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Wyszukiwanie tekstu");
  EXPECT_TRUE(dialog->ReplaceE()->isHidden());
  dialog->TextE()->setText("gamma");
  dialog->TopCB()->setChecked(true);
  dialog->OkB()->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(w.preview().PageNo(), 4);
  w.form.FindBClick();
  QCoreApplication::processEvents();
  dialog = w.form.findChild<preview::TfrxSearchDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->TextE()->text(), "gamma");
  dialog->CancelB()->click();
  QCoreApplication::processEvents();
  w.preview().Find("beta", false, true);
  QTest::keyClick(w.preview().Workspace(), Qt::Key_F3);
  EXPECT_EQ(w.preview().PageNo(), 4);
}

TEST(PreviewOutline, ClickingAnItemGoesToItsPageAndPosition) {
  FakePages pages = FakePages::numbered(6);
  preview::OutlineNode chapter{"Rozdział", 2, 0, {}};
  chapter.children.push_back({"Punkt", 4, 200, {}});
  pages.outline.push_back(chapter);
  Window w(std::move(pages));
  w.form.OutlineBClick();
  QTreeWidget* tree = w.preview().OutlineTree();
  ASSERT_TRUE(tree->isVisible());
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* item = tree->topLevelItem(0)->child(0);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
  emit tree->itemClicked(item, 0);
  EXPECT_EQ(w.preview().PageNo(), 5);
  const int top = w.preview().Workspace()->Layout().PageRect(4).top();
  // 10 mm margin: round((10 * 3.77953 + 200) * 1) - 10
  EXPECT_EQ(w.preview().Workspace()->verticalScrollBar()->value(), top + 238 - 10);
  // Thumbnails replace the outline.
  w.form.ThumbBClick();
  EXPECT_FALSE(tree->isVisible());
  EXPECT_TRUE(w.preview().Thumbnails()->isVisible());
}

TEST(PreviewOutline, AReportWithoutAnOutlineSaysSoInThePane) {
  Window w(FakePages::numbered(2));
  w.form.OutlineBClick();
  QCoreApplication::processEvents();
  auto* note = w.preview().findChild<QLabel*>("OutlineEmpty");
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->text(), "Ten raport nie ma konspektu.");
  EXPECT_FALSE(w.preview().OutlineTree()->isVisible());
  // Pages with an outline, loaded into the same window: the tree comes back.
  w.pages.outline.push_back({"Rozdział", 1, 0, {}});
  w.preview().UpdateOutline();
  EXPECT_TRUE(w.preview().OutlineTree()->isVisible());
  EXPECT_FALSE(note->isVisible());
}

TEST(PreviewZoom, PageWidthFollowsTheWorkspaceWhenASidePaneOpensAndCloses) {
  Window w(FakePages::numbered(3));
  w.typeZoom("Szerokość strony");
  QCoreApplication::processEvents();
  const double wide = w.preview().Zoom();
  auto expected = [&] {
    const int bar = w.preview().style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return (w.preview().Workspace()->width() - bar - 26) / 794.0;
  };
  EXPECT_NEAR(wide, expected(), 1e-9);
  w.form.OutlineBClick();
  QCoreApplication::processEvents();
  EXPECT_LT(w.preview().Zoom(), wide);
  EXPECT_NEAR(w.preview().Zoom(), expected(), 1e-9);
  EXPECT_EQ(w.form.ZoomCB()->currentText(), QString::number(std::lround(w.preview().Zoom() * 100)) + "%");
  w.form.OutlineBClick();
  QCoreApplication::processEvents();
  EXPECT_NEAR(w.preview().Zoom(), wide, 1e-9);
}

TEST(PreviewMouse, ALinkToPageThreeGoesThereAndShowsItsTarget) {
  FakePages pages = FakePages::numbered(5);
  pages.pages[0].runs.push_back({QPoint(40, 100), "zobacz stronę 3", "@3"});
  pages.pages[0].runs.push_back({QPoint(40, 200), "strona WWW", "https://example.org/"});
  Window w(std::move(pages));
  QStringList opened;
  w.preview().OpenUrl = [&](const QString& url) { opened << url; };
  auto* ws = w.preview().Workspace();
  const QPoint page = ws->Layout().PageRect(0).topLeft() - ws->ScrollPosition();
  QTest::mouseMove(ws->viewport(), page + QPoint(50, 105));
  EXPECT_EQ(w.form.StatusText(1), "@3");
  EXPECT_EQ(ws->viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(ws->viewport(), Qt::LeftButton, {}, page + QPoint(50, 105));
  EXPECT_EQ(w.preview().PageNo(), 3);
  w.preview().First();
  const QPoint again = ws->Layout().PageRect(0).topLeft() - ws->ScrollPosition();
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  QTest::mouseClick(ws->viewport(), Qt::LeftButton, {}, again + QPoint(50, 205));
  EXPECT_EQ(opened, QStringList({"https://example.org/"}));
  // The right button follows nothing.
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  QTest::mouseClick(ws->viewport(), Qt::RightButton, {}, again + QPoint(50, 105));
  EXPECT_EQ(w.preview().PageNo(), 1);
}

TEST(PreviewFiles, SaveShowsItsMessageThenOpenShowsTheSamePages) {
  dialogs::RecordingScope recording;
  QTemporaryDir dir;
  Window w(searchPages());
  QString panelDuringSave;
  bool lockedDuringSave = false;
  w.pages.onSave = [&] {
    panelDuringSave = w.preview().MessageVisible() ? w.preview().MessageText() : QString();
    lockedDuringSave = w.preview().Locked();
  };
  dialogs::queueFileAnswer(QStringList{dir.filePath("raport")});
  w.form.SaveBClick();
  EXPECT_EQ(panelDuringSave, "Zapisywanie pliku...");
  EXPECT_TRUE(lockedDuringSave);
  EXPECT_FALSE(w.preview().Locked());
  EXPECT_FALSE(w.preview().MessageVisible());
  ASSERT_TRUE(QFile::exists(dir.filePath("raport.fp3")));

  Window other(FakePages::numbered(1), report::TfrxPreviewButtons::fromInt(4095));
  dialogs::queueFileAnswer(QStringList{dir.filePath("raport.fp3")});
  other.form.OpenBClick();
  EXPECT_EQ(other.preview().PageCount(), 5);
  EXPECT_EQ(other.preview().PageNo(), 1);
  ASSERT_TRUE(other.preview().Find("jeszcze", false, true));
  EXPECT_EQ(other.preview().PageNo(), 4);
}

TEST(PreviewFiles, ADamagedFileGivesAPolishMessageAndThePreviewStaysUsable) {
  dialogs::RecordingScope recording;
  QTemporaryDir dir;
  QFile f(dir.filePath("zly.fp3"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("to nie jest raport\n");
  f.close();
  Window w(FakePages::numbered(3), report::TfrxPreviewButtons::fromInt(4095));
  EXPECT_FALSE(w.form.LoadFromFile(dir.filePath("zly.fp3")));
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_TRUE(recording.messages()[0].startsWith("Nie można odczytać pliku "));
  EXPECT_TRUE(recording.messages()[0].contains("zly.fp3 jako przygotowanego raportu"));
  EXPECT_FALSE(w.preview().Locked());
  EXPECT_FALSE(w.preview().MessageVisible());
  // The pages kept by the store are still shown and can be paged.
  EXPECT_EQ(w.preview().PageCount(), 3);
  w.form.LastBClick();
  EXPECT_EQ(w.preview().PageNo(), 3);
}

TEST(PreviewBusy, CancelStopsThePreparationAndClosingWaitsForIt) {
  Window w(FakePages::numbered(0));
  w.preview().PrepareStart();
  EXPECT_EQ(w.form.Control("CancelB")->text(), "Anuluj");
  for (int i = 0; i < 3; ++i) {
    w.pages.pages.push_back(FakePage());
    w.preview().PreparePage(i, true);
  }
  EXPECT_EQ(w.preview().PageNo(), 1);
  EXPECT_EQ(w.preview().Workspace()->LaidOutCount(), 3);
  // Esc and closing do not close a window that is being filled.
  QTest::keyClick(&w.form, Qt::Key_Escape);
  EXPECT_TRUE(w.report.Terminated());
  EXPECT_TRUE(w.form.isVisible());
  w.form.close();
  EXPECT_TRUE(w.form.isVisible());
  w.preview().PrepareEnd();
  EXPECT_EQ(w.form.Control("CancelB")->text(), "Zamknij");
  EXPECT_EQ(w.preview().PageCount(), 3);
  EXPECT_EQ(w.form.StatusText(0), "Strona 1 z 3");
  QTest::keyClick(&w.form, Qt::Key_Escape);
  EXPECT_FALSE(w.form.isVisible());
}

TEST(PreviewBusy, OnlyTheFirstFiftyPagesAreLaidOutUntilTheEnd) {
  Window w(FakePages::numbered(0));
  w.preview().PrepareStart();
  for (int i = 0; i < 120; ++i) {
    w.pages.pages.push_back(FakePage());
    w.preview().PreparePage(i, true);
  }
  EXPECT_EQ(w.preview().Workspace()->LaidOutCount(), 50);
  EXPECT_TRUE(w.preview().UpdateInterval() == 5 || w.preview().UpdateInterval() == 20 ||
              w.preview().UpdateInterval() == 50);
  w.preview().PrepareEnd();
  EXPECT_EQ(w.preview().Workspace()->LaidOutCount(), 120);
}

TEST(PreviewPageSettings, TheCurrentPageTurnsToLandscapeAndIsStoredBack) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(3));
  w.preview().SetPageNo(2);
  w.form.PageSettingsBClick();
  auto* dialog = w.form.findChild<preview::TfrxPageSettingsForm*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Ustawienia strony");
  // The papers of the current printer, custom size first.
  const auto& papers = printers::frxPrinters().Printer()->Papers();
  ASSERT_EQ(dialog->PaperCB()->count(), int(papers.size()));
  EXPECT_EQ(dialog->PaperCB()->itemText(0), "Użytkownika");
  EXPECT_EQ(dialog->PaperCB()->currentText(), papers.at(size_t(dialog->PaperCB()->currentIndex())).name);
  EXPECT_EQ(dialog->PaperCB()->currentData().toInt(), 9);
  EXPECT_EQ(dialog->WidthE()->text(), "21");
  EXPECT_EQ(dialog->HeightE()->text(), "29,7");
  EXPECT_EQ(dialog->UnitLabel(), "cm");
  EXPECT_EQ(dialog->MarginE(1)->text(), "1");
  dialog->LandscapeRB()->setChecked(true);
  EXPECT_EQ(dialog->WidthE()->text(), "29,7");
  EXPECT_EQ(dialog->HeightE()->text(), "21");
  // Choosing a paper asks the printer for its size in that orientation.
  auto choose = [&](int code) {
    const int index = dialog->PaperCB()->findData(code);
    ASSERT_GE(index, 0);
    dialog->PaperCB()->setCurrentIndex(index);
    emit dialog->PaperCB()->activated(index);
  };
  choose(11);
  EXPECT_EQ(dialog->WidthE()->text(), "21");
  EXPECT_EQ(dialog->HeightE()->text(), "14,8");
  choose(9);
  EXPECT_EQ(dialog->WidthE()->text(), "29,7");
  dialog->MarginE(1)->setText("2,5");
  dialog->ThisPageRB()->setChecked(true);
  dialog->OkB()->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(w.pages.modified, 1);
  EXPECT_EQ(w.pages.pages[1].size, QSize(1123, 794));
  EXPECT_DOUBLE_EQ(w.pages.pages[1].topMargin, 25);
  // Laid out again: the landscape page is wider than its neighbours.
  EXPECT_EQ(w.preview().Workspace()->Layout().PageRect(1).width(), 1123);
  EXPECT_EQ(w.preview().Workspace()->Layout().PageRect(0).width(), 794);
  EXPECT_TRUE(recording.messages().isEmpty());
}

TEST(PreviewPageSettings, TypedSizeSelectsCustomAndBadValuesAreRefused) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(1));
  w.form.PageSettingsBClick();
  auto* dialog = w.form.findChild<preview::TfrxPageSettingsForm*>();
  ASSERT_NE(dialog, nullptr);
  dialog->WidthE()->setText("15");
  emit dialog->WidthE()->textEdited("15");
  EXPECT_EQ(dialog->PaperCB()->currentText(), "Użytkownika");
  dialog->MarginE(0)->setText("dużo");
  dialog->OkB()->click();
  EXPECT_EQ(recording.messages(), QStringList({"Nieprawidłowa wartość w polu \"Lewy\": dużo"}));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(w.pages.modified, -1);
  dialog->MarginE(0)->setText("8");
  dialog->MarginE(2)->setText("8");
  dialog->OkB()->click();
  EXPECT_EQ(recording.messages().last(), "Marginesy nie mieszczą się na stronie tej wielkości.");
  dialog->CancelB()->click();
}

TEST(PreviewWindow, FullScreenHidesTheBarsAndF11BringsThemBack) {
  Window w(FakePages::numbered(2));
  auto* toolbar = w.form.findChild<QToolBar*>("ToolBar");
  ASSERT_NE(toolbar, nullptr);
  w.form.FullScreenBtnClick();
  EXPECT_TRUE(w.form.IsFullScreen());
  EXPECT_FALSE(toolbar->isVisible());
  QTest::keyClick(&w.form, Qt::Key_F11);
  EXPECT_FALSE(w.form.IsFullScreen());
  EXPECT_TRUE(toolbar->isVisible());
}

TEST(PreviewWindow, EscLeavesFullScreenFirstAndClosesTheWindowOnlyAfterwards) {
  Window w(FakePages::numbered(2));
  auto* toolbar = w.form.findChild<QToolBar*>("ToolBar");
  ASSERT_NE(toolbar, nullptr);
  QTest::keyClick(&w.form, Qt::Key_F11);
  ASSERT_TRUE(w.form.IsFullScreen());
  // The key as the page workspace receives it, where the keyboard usually is.
  QTest::keyClick(w.preview().Workspace()->viewport(), Qt::Key_Escape);
  EXPECT_FALSE(w.form.IsFullScreen());
  EXPECT_TRUE(w.form.isVisible());
  EXPECT_TRUE(toolbar->isVisible());
  QTest::keyClick(&w.form, Qt::Key_Escape);
  EXPECT_FALSE(w.form.isVisible());
}

TEST(PreviewWindow, AThumbnailClickedMakesItsPageCurrent) {
  Window w(FakePages::numbered(6));
  w.form.ThumbBClick();
  QCoreApplication::processEvents();
  auto* thumbs = w.preview().Thumbnails();
  // Thumbnails are a tenth of the page.
  const QRect fourth = thumbs->Layout().PageRect(3);
  EXPECT_EQ(fourth.size(), QSize(79, 112));
  QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, fourth.center() - thumbs->ScrollPosition());
  EXPECT_EQ(w.preview().PageNo(), 4);
}

TEST(PreviewWindow, TheMessagePanelIsCentredAtAThirdOfTheHeight) {
  Window w(FakePages::numbered(1));
  w.preview().ShowMessage("Ładowanie pliku...");
  auto* panel = w.preview().findChild<QLabel*>("MessagePanel");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->size(), QSize(260, 75));
  EXPECT_EQ(panel->x(), (w.preview().width() - 260) / 2);
  EXPECT_EQ(panel->y(), (w.preview().height() - 75) / 3);
  EXPECT_EQ(panel->text(), "Ładowanie pliku...");
  w.preview().HideMessage();
  EXPECT_FALSE(w.preview().MessageVisible());
}

namespace {
// A report run that fills the hand-made pages: `pages` pages, progress
// reported for each as the engine does.
struct FakeRun {
  FakePages* target = nullptr;
  int pages = 5;
  int runs = 0;
  void install() {
    report::InstallReportRun();
    report::setEngineStep([this](report::TfrxReport& r, report::TfrxPreviewPages&) {
      ++runs;
      r.ProgressStart(report::TfrxReport::ProgressKind::Preparing);
      target->pages.clear();
      for (int i = 0; i < pages && !r.Terminated(); ++i) {
        target->pages.push_back(FakePage());
        r.Progress(report::TfrxReport::ProgressKind::Preparing, i + 1);
      }
      r.ProgressStop(report::TfrxReport::ProgressKind::Preparing);
      return true;
    });
  }
  ~FakeRun() { report::setEngineStep(nullptr); }
};
}  // namespace

TEST(PreviewRefresh, KeepsThePageAndScrollPositionOrGoesToPageOneWhenFewerPages) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(5));
  FakeRun run;
  run.target = &w.pages;
  run.install();
  w.preview().SetPageNo(3);
  auto* bar = w.preview().Workspace()->verticalScrollBar();
  bar->setValue(bar->value() + 123);
  const int scroll = bar->value();
  const int page = w.preview().PageNo();
  w.preview().Refresh();
  EXPECT_EQ(run.runs, 1);
  EXPECT_EQ(w.preview().PageNo(), page);
  EXPECT_EQ(bar->value(), scroll);
  run.pages = 2;
  w.preview().Refresh();
  EXPECT_EQ(w.preview().PageCount(), 2);
  EXPECT_EQ(w.preview().PageNo(), 1);
  EXPECT_TRUE(recording.messages().isEmpty());
}

TEST(PreviewToolbar, EveryButtonHasAPictureOfItsOwn) {
  Window w(FakePages::numbered(2), report::TfrxPreviewButtons(0xFFFF));
  QHash<QString, QString> seen;  // picture bytes -> button
  for (const char* name : {"PrintB", "OpenB", "SaveB", "ExportB", "PdfB", "FindB", "ZoomPlusB", "ZoomMinusB",
                           "FullScreenBtn", "OutlineB", "ThumbB", "PageSettingsB", "FirstB", "PriorB", "NextB",
                           "LastB"}) {
    QAction* control = w.form.Control(name);
    ASSERT_NE(control, nullptr) << name;
    const QImage image = control->icon().pixmap(24, 24).toImage();
    ASSERT_FALSE(image.isNull()) << name;
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 128;
    // A drawing, not an empty square or a single letter.
    EXPECT_GT(inked, 40) << name;
    const QString key = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                                       image.sizeInBytes()).toBase64());
    EXPECT_FALSE(seen.contains(key)) << name << " looks like " << seen.value(key).toStdString();
    seen.insert(key, QString::fromLatin1(name));
  }
}

TEST(PreviewWindow, F1ShowsTheKeysOfThePreview) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(2));
  QTest::keyClick(&w.form, Qt::Key_F1);
  ASSERT_EQ(recording.messages().size(), 1);
  EXPECT_TRUE(recording.messages().first().contains("Ctrl+F – znajdź tekst")) << recording.messages().first().toStdString();
  // Help leaves the page where it was.
  EXPECT_EQ(w.preview().PageNo(), 1);
}

TEST(PreviewRefresh, CollapseAndExpandAllResetEveryDrillDownGroup) {
  dialogs::RecordingScope recording;
  Window w(FakePages::numbered(2));
  FakeRun run;
  run.target = &w.pages;
  run.install();
  auto* page = new report::TfrxReportPage(&w.report);
  page->SetName("Page1");
  const char* names[] = {"GroupHeader1", "GroupHeader2", "GroupHeader3"};
  for (const char* name : names) {
    auto* header = new report::TfrxGroupHeader(page);
    header->SetName(name);
    header->SetDrillDown(QByteArray(name) != "GroupHeader3");
  }
  // A run rebuilds the report's objects: they are looked up afresh.
  auto expanded = [&](const char* name) {
    auto* header = qobject_cast<report::TfrxGroupHeader*>(w.report.FindObject(name));
    return header ? header->ExpandDrillDown() : false;
  };
  w.report.ExpandedDrillNames() = {"GroupHeader1.2"};
  w.form.ExpandAllClick();
  EXPECT_EQ(run.runs, 1);
  EXPECT_TRUE(expanded("GroupHeader1"));
  EXPECT_TRUE(expanded("GroupHeader2"));
  EXPECT_FALSE(expanded("GroupHeader3"));
  // A group opened by hand before does not stay the odd one out.
  EXPECT_TRUE(w.report.ExpandedDrillNames().isEmpty());
  w.report.ExpandedDrillNames() = {"GroupHeader1.1"};
  w.form.CollapseAllClick();
  EXPECT_EQ(run.runs, 2);
  EXPECT_FALSE(expanded("GroupHeader1"));
  EXPECT_FALSE(expanded("GroupHeader2"));
  EXPECT_TRUE(w.report.ExpandedDrillNames().isEmpty());
}

TEST(PreviewMouse, ADrillDownClickPreparesTheReportAgain) {
  FakePages pages = FakePages::numbered(2);
  Window w(std::move(pages));
  int refreshed = 0;
  w.preview().DrillDownRefresh = [&] { ++refreshed; };
  // The store answers a drill-down header for any left click here.
  struct DrillPages : FakePages {
    preview::PointResult ObjectAtPoint(const preview::PointQuery& q) override {
      preview::PointResult r;
      r.cursor = Qt::PointingHandCursor;
      if (q.click && q.button == Qt::LeftButton) r.action = preview::PointResult::Action::DrillDown;
      return r;
    }
  };
  DrillPages drill;
  drill.pages = w.pages.pages;
  w.preview().SetSource(&drill, &w.report);
  auto* ws = w.preview().Workspace();
  const QPoint at = ws->Layout().PageRect(0).topLeft() - ws->ScrollPosition() + QPoint(30, 30);
  QTest::mouseClick(ws->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(refreshed, 1);
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  QTest::mouseClick(ws->viewport(), Qt::RightButton, {}, at);
  EXPECT_EQ(refreshed, 1);
}

TEST(PreviewFind, AStoppedSearchEndsQuietlyWhereItWas) {
  dialogs::RecordingScope recording;
  struct SlowPages : FakePages {
    TfrxPreview* preview = nullptr;
    int drawn = 0;
    void DrawPage(int index, gfx::Canvas& canvas, double sx, double sy, double ox, double oy) override {
      // The user presses "Anuluj" while the tenth page is searched.
      if (++drawn == 10 && preview) preview->CancelSearch();
      FakePages::DrawPage(index, canvas, sx, sy, ox, oy);
    }
  };
  SlowPages pages;
  pages.pages = FakePages::numbered(500).pages;
  Window w(FakePages::numbered(1));
  w.preview().SetSource(&pages, &w.report);
  pages.preview = &w.preview();
  pages.drawn = 0;
  EXPECT_FALSE(w.preview().Find("nigdzie", false, true));
  EXPECT_EQ(pages.drawn, 10);
  EXPECT_TRUE(recording.messages().isEmpty());
  EXPECT_EQ(w.preview().PageNo(), 1);
}
