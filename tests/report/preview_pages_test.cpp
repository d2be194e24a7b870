// The prepared-page store: pages built through the engine's calls, objects
// kept as differences from their sources, passes and logical numbers,
// anchors and the outline, kept blocks, the file cache, pictures, the
// prepared-report file (also damaged ones), drawing and the object under
// the mouse.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

#include "platform/painter_canvas.h"
#include "platform/recording_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;

namespace {

QByteArray pngBytes(QColor colour, int w = 4, int h = 3) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return buffer.data();
}

// A design report: one A4 page with a data band holding a text view and a
// picture view.
struct Design {
  TfrxReport report;
  TfrxReportPage* page;
  TfrxMasterData* band;
  TfrxMemoView* memo;
  TfrxPictureView* picture;

  Design() {
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetBounds(0, 0, 700, 20);
    memo = new TfrxMemoView(band);
    memo->SetName("Memo1");
    memo->SetBounds(10, 0, 200, 18);
    picture = new TfrxPictureView(band);
    picture->SetName("Picture1");
    picture->SetBounds(300, 0, 40, 18);
  }
  TfrxPreviewPages& pages() { return report.PreviewPages(); }

  // Registers the page and starts a run on a clear store.
  void start() {
    pages().Clear();
    pages().Initialize();
    pages().AddSourceObjects(page);
    pages().BeginPass();
  }
  // Prints the band at top with the text.
  void row(double top, const QString& text) {
    band->SetTop(top);
    memo->SetText(text);
    pages().AddObject(band);
  }
};

QStringList attributeNames(const QString& text) {
  QStringList names;
  qsizetype pos = 0;
  while ((pos = text.indexOf(QLatin1Char('='), pos)) >= 0) {
    qsizetype start = text.lastIndexOf(QLatin1Char(' '), pos) + 1;
    names << text.mid(start, pos - start);
    pos = text.indexOf(QLatin1Char('"'), text.indexOf(QLatin1Char('"'), pos) + 1) + 1;
    if (pos <= 0) break;
  }
  return names;
}

TfrxMemoView* memoOn(TfrxReportPage* page, int n = 0) {
  int seen = 0;
  for (TfrxComponent* c : page->AllObjects())
    if (auto* m = qobject_cast<TfrxMemoView*>(c); m && seen++ == n) return m;
  return nullptr;
}

QByteArray saved(TfrxPreviewPages& pages) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  pages.SaveToStream(buffer);
  return buffer.data();
}

void load(TfrxPreviewPages& pages, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  pages.LoadFromStream(buffer);
}

}  // namespace

// --- Storage as differences -------------------------------------------------------

TEST(PreviewPagesStorage, AliasesAreNumberedPerKindInOrderOfRegistration) {
  Design d;
  auto* second = new TfrxMemoView(d.band);
  second->SetName("Memo2");
  d.start();
  EXPECT_EQ(d.pages().AliasOf(d.band), "b1");
  EXPECT_EQ(d.pages().AliasOf(d.memo), "m1");
  EXPECT_EQ(d.pages().AliasOf(second), "m2");
  EXPECT_EQ(d.pages().AliasOf(d.picture), "p1");
  EXPECT_EQ(d.pages().SourceName("m2"), "Page0.Memo2");
  // An object made during the run goes into the last source page.
  TfrxMemoView extra(nullptr);
  extra.SetName("Extra");
  d.pages().AddToSourcePage(&extra);
  EXPECT_EQ(d.pages().AliasOf(&extra), "m3");
  EXPECT_EQ(d.pages().SourceName("m3"), "Page0.Extra");
}

TEST(PreviewPagesStorage, ThousandPrintsOfATextViewAreThousandElementsWithTopAndText) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.memo->SetTop(2);
  for (int i = 0; i < 1000; ++i) d.row(i * 20, QString("Wiersz %1").arg(i));
  TfrxXMLItem* page = d.pages().PagesNode()->Items(0);
  ASSERT_EQ(page->Count(), 1000);
  for (int i = 0; i < 1000; ++i) {
    const TfrxXMLItem* band = page->Items(i);
    ASSERT_EQ(band->Name, "b1");
    ASSERT_EQ(band->Count(), 2);
    const TfrxXMLItem* memo = band->Items(0);
    ASSERT_EQ(memo->Name, "m1");
    ASSERT_EQ(attributeNames(memo->Text), QStringList({"t", "u"})) << memo->Text.toStdString();
    ASSERT_EQ(memo->Prop("u"), QString("Wiersz %1").arg(i));
  }
  // Rebuilt, the views carry their own text and position.
  TfrxReportPage* built = d.pages().Page(0);
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(memoOn(built, 999)->Text(), "Wiersz 999");
  EXPECT_DOUBLE_EQ(memoOn(built, 999)->AbsTop(), 999 * 20 + 2);
  EXPECT_EQ(memoOn(built, 999)->Name(), "Memo1");
}

TEST(PreviewPagesStorage, EmptyStoreAnswersWithNothing) {
  Design d;
  EXPECT_EQ(d.pages().Count(), 0);
  EXPECT_EQ(d.pages().Page(0), nullptr);
  EXPECT_EQ(d.pages().PageSize(3), QSize(0, 0));
  EXPECT_EQ(d.pages().GetAnchorPage("x"), 1);
  EXPECT_FALSE(d.pages().ObjectOver({}).handled);
}

// --- Passes and logical page numbers ---------------------------------------------

TEST(PreviewPagesNumbers, DoublePassLeavesTotalsOnEveryPage) {
  Design d;
  d.report.EngineOptions()->SetDoublePass(true);
  d.report.RunState().finalPass = false;
  d.start();
  for (int i = 0; i < 3; ++i) d.pages().AddPage(d.page);
  d.pages().ClearFirstPassPages();
  EXPECT_EQ(d.pages().Count(), 0);
  d.report.RunState().finalPass = true;
  d.pages().SetAddPageAction(apAdd);
  for (int i = 0; i < 3; ++i) {
    d.pages().AddPage(d.page);
    EXPECT_EQ(d.pages().GetLogicalPageNo(), i + 1);
    EXPECT_EQ(d.pages().GetLogicalTotalPages(), 3);
  }
  d.pages().ResetLogicalPageNumber();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d.pages().LogicalNumbers(i), std::make_pair(i + 1, 3));
}

TEST(PreviewPagesNumbers, SinglePassHasNoTotalsUntilTheSectionCloses) {
  Design d;
  d.start();
  for (int i = 0; i < 3; ++i) d.pages().AddPage(d.page);
  EXPECT_EQ(d.pages().GetLogicalPageNo(), 3);
  EXPECT_EQ(d.pages().GetLogicalTotalPages(), 0);
  EXPECT_EQ(d.pages().LogicalNumbers(0), std::make_pair(1, 0));
  // Two sections: closing writes the count back to the section's first page.
  d.pages().ResetLogicalPageNumber();
  d.pages().AddPage(d.page);
  d.pages().AddPage(d.page);
  d.pages().ResetLogicalPageNumber();
  EXPECT_EQ(d.pages().LogicalNumbers(2), std::make_pair(3, 3));
  EXPECT_EQ(d.pages().LogicalNumbers(3), std::make_pair(1, 2));
  EXPECT_EQ(d.pages().LogicalNumbers(4), std::make_pair(2, 2));
}

TEST(PreviewPagesNumbers, AppendingRunThrowsAwayOnlyItsOwnFirstPass) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.row(0, "stary");
  d.pages().Outline().AddItem("stary", 0);
  // A second run appends to the same store.
  d.pages().BeginPass();
  d.row(20, "nowy");
  d.pages().Outline().LevelRoot();
  d.pages().Outline().AddItem("nowy", 20);
  d.pages().SetAddPageAction(apAdd);
  d.pages().AddPage(d.page);
  d.row(0, "nowy 2");
  d.pages().ClearFirstPassPages();
  ASSERT_EQ(d.pages().Count(), 1);
  EXPECT_EQ(d.pages().CurPage(), 0);
  EXPECT_EQ(d.pages().ObjectCount(), 1);
  EXPECT_EQ(d.pages().OutlineNode()->Count(), 1);
  EXPECT_EQ(memoOn(d.pages().Page(0))->Text(), "stary");
}

// --- Anchors, outline, kept blocks --------------------------------------------------

TEST(PreviewPagesAnchors, AnchorSetTwiceResolvesToTheLaterOne) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.pages().AddAnchor("Cel");
  d.pages().AddPage(d.page);
  d.pages().AddPage(d.page);
  d.pages().AddAnchor("Cel");
  EXPECT_EQ(d.pages().GetAnchorPage("Cel"), 3);
  EXPECT_EQ(d.pages().GetAnchorPage("cel"), 1);  // letter case counts
  EXPECT_EQ(d.pages().GetAnchorCur(), 1);
}

TEST(PreviewPagesKeep, KeptBlockLandsAtTheNewPositionKeepingDistances) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.row(100, "a");
  const int keepStart = d.pages().ObjectCount();
  const int anchorStart = d.pages().GetAnchorCur();
  d.pages().Outline().AddItem("przed", 100);
  const TfrxOutlinePosition outlineStart = d.pages().Outline().Position();
  d.row(120, "b");
  d.pages().AddAnchor("B");
  d.pages().Outline().AddItem("b", 120);
  d.pages().Outline().AddItem("b.1", 125);
  d.pages().Outline().LevelUp();
  d.pages().Outline().LevelUp();
  d.row(150, "c");
  d.pages().Outline().AddItem("c", 150);
  // The block b..c moves to a new page at Y 30.
  EXPECT_EQ(d.pages().CutObjects(keepStart), 1);
  d.pages().SetAddPageAction(apAdd);
  d.pages().AddPage(d.page);
  d.pages().PasteObjects(0, 30);
  d.pages().ShiftAnchors(anchorStart, 30);
  d.pages().Outline().ShiftItems(outlineStart, 30);

  ASSERT_EQ(d.pages().ObjectCount(), 2);
  TfrxReportPage* moved = d.pages().Page(1);
  EXPECT_EQ(memoOn(moved, 0)->Text(), "b");
  EXPECT_DOUBLE_EQ(memoOn(moved, 0)->Parent()->Top(), 30);
  EXPECT_DOUBLE_EQ(memoOn(moved, 1)->Parent()->Top(), 60);
  EXPECT_DOUBLE_EQ(memoOn(moved, 1)->Parent()->Left(), 0);
  EXPECT_EQ(d.pages().XML().Root()->FindItem("cutted"), nullptr);

  EXPECT_EQ(d.pages().Anchor(0).page, 1);
  EXPECT_EQ(d.pages().Anchor(0).top, 30);
  // Every outline item recorded since the keep start moved, with its
  // children; the one before stayed.
  TfrxOutlineNavigator& outline = d.pages().Outline();
  outline.LevelRoot();
  ASSERT_EQ(outline.Count(), 1);
  EXPECT_EQ(outline.GetItem(0).page, 0);
  EXPECT_EQ(outline.GetItem(0).top, 100);
  outline.LevelDown(0);
  ASSERT_EQ(outline.Count(), 2);
  EXPECT_EQ(outline.GetItem(0).text, "b");
  EXPECT_EQ(outline.GetItem(0).page, 1);
  EXPECT_EQ(outline.GetItem(0).top, 30);
  EXPECT_EQ(outline.GetItem(1).text, "c");
  EXPECT_EQ(outline.GetItem(1).page, 1);
  EXPECT_EQ(outline.GetItem(1).top, 60);
  outline.LevelDown(0);
  EXPECT_EQ(outline.GetItem(0).text, "b.1");
  EXPECT_EQ(outline.GetItem(0).top, 35);
  EXPECT_EQ(outline.GetItem(0).page, 1);
}

TEST(PreviewPagesStorage, PagesReadDuringARunFollowEveryChange) {
  struct RunningEngine : TfrxPreviewPagesEngine {
    bool Running() const override { return true; }
    double CurY() const override { return 0; }
    int TotalPages() const override { return 0; }
  } engine;
  Design d;
  d.start();
  d.pages().SetEngine(&engine);
  d.pages().AddPage(d.page);
  d.row(0, "pierwszy");
  d.pages().AddPage(d.page);
  d.row(0, "drugi");
  // A finished page read twice is built once.
  TfrxReportPage* first = d.pages().Page(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(d.pages().Page(0), first);
  EXPECT_EQ(d.pages().CachedPageCount(), 1);
  // The page being filled shows each band as it arrives.
  EXPECT_EQ(memoOn(d.pages().Page(1))->Text(), "drugi");
  d.row(20, "trzeci");
  ASSERT_NE(memoOn(d.pages().Page(1), 1), nullptr);
  EXPECT_EQ(memoOn(d.pages().Page(1), 1)->Text(), "trzeci");
  // A kept block cut from the page and pasted on the next one.
  const int kept = d.pages().ObjectCount() - 1;
  d.pages().CutObjects(kept);
  EXPECT_EQ(memoOn(d.pages().Page(1), 1), nullptr);
  d.pages().AddPage(d.page);
  d.pages().PasteObjects(0, 0);
  EXPECT_EQ(memoOn(d.pages().Page(2))->Text(), "trzeci");
  // Writing over an earlier page (a subreport going back) shows there too.
  d.pages().SetCurPage(0);
  d.row(40, "wrócił");
  EXPECT_EQ(memoOn(d.pages().Page(0), 1)->Text(), "wrócił");
  d.pages().SetEngine(nullptr);
}

TEST(PreviewPagesKeep, LastBandBottomAndBandPresence) {
  Design d;
  auto* footer = new TfrxPageFooter(d.page);
  footer->SetName("PageFooter1");
  footer->SetBounds(0, 1000, 700, 30);
  auto* column = new TfrxMasterData(d.page);
  column->SetName("MasterData2");
  column->SetBounds(350, 0, 300, 15);
  d.start();
  d.pages().AddPage(d.page);
  EXPECT_FALSE(d.pages().BandExists(d.band));
  d.row(40, "x");
  column->SetTop(70);
  d.pages().AddObject(column);
  d.pages().AddObject(footer);
  EXPECT_TRUE(d.pages().BandExists(d.band));
  EXPECT_TRUE(d.pages().BandExists(footer));
  EXPECT_DOUBLE_EQ(d.pages().GetLastY(), 85);       // the footer does not count
  EXPECT_DOUBLE_EQ(d.pages().GetLastY(350), 85);    // only the second column
  EXPECT_DOUBLE_EQ(d.pages().GetLastY(100), 0);     // no band at that X
}

// --- Files -----------------------------------------------------------------------

TEST(PreviewPagesFile, SaveAndLoadReproducesPagesOutlineAnchorsAndPictures) {
  QByteArray bytes;
  const QByteArray red = pngBytes(Qt::red);
  {
    Design d;
    d.report.ReportOptions()->SetName("Dziennik");
    d.start();
    d.pages().AddPage(d.page);
    d.picture->Picture()->LoadFromData(red);
    d.row(0, "Pierwszy <&\"> wiersz\r\ndruga linia");
    d.pages().Outline().AddItem("Rozdział", 0);
    d.pages().AddAnchor("Kotwica");
    d.pages().AddPage(d.page);
    d.picture->Picture()->Clear();
    d.row(40, "Drugi");
    bytes = saved(d.pages());
  }
  TfrxReport other;
  TfrxPreviewPages& pages = other.PreviewPages();
  load(pages, bytes);
  EXPECT_EQ(other.ReportOptions()->Name(), "Dziennik");
  ASSERT_EQ(pages.Count(), 2);
  EXPECT_EQ(pages.SourcePageCount(), 1);
  EXPECT_EQ(pages.PageSize(0), QSize(qRound(210 * 3.77953), qRound(297 * 3.77953)));
  TfrxReportPage* first = pages.Page(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(memoOn(first)->Text(), "Pierwszy <&\"> wiersz\r\ndruga linia");
  auto* picture = qobject_cast<TfrxPictureView*>(first->FindObject("Picture1"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->ImageIndex(), 1);
  EXPECT_EQ(picture->Picture()->Image().pixelColor(0, 0), QColor(Qt::red));
  TfrxReportPage* second = pages.Page(1);
  EXPECT_DOUBLE_EQ(memoOn(second)->AbsTop(), 40);
  auto* empty = qobject_cast<TfrxPictureView*>(second->FindObject("Picture1"));
  EXPECT_EQ(empty->ImageIndex(), 0);
  EXPECT_TRUE(empty->Picture()->IsEmpty());
  EXPECT_EQ(pages.Outline().GetItem(0).text, "Rozdział");
  EXPECT_EQ(pages.GetAnchorPage("Kotwica"), 1);
  // Saving the loaded store again gives the same file.
  EXPECT_EQ(saved(pages), bytes);
}

TEST(PreviewPagesFile, MissingFileAndForeignDocuments) {
  TfrxReport report;
  QTemporaryDir dir;
  const QString missing = dir.filePath("brak.fp3");
  EXPECT_FALSE(report.PreviewPages().LoadFromFile(missing));
  EXPECT_THROW(report.PreviewPages().LoadFromFile(missing, true), ReportError);
  try {
    load(report.PreviewPages(), "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?><TfrxReport/>");
    FAIL();
  } catch (const ReportError& e) {
    EXPECT_EQ(e.message(), "To nie jest plik przygotowanego raportu");
  }
  EXPECT_THROW(load(report.PreviewPages(), "nie xml"), ReportError);
  EXPECT_EQ(report.PreviewPages().Count(), 0);
}

TEST(PreviewPagesFile, DamagedFilesAreRefusedOrPartlyLoaded) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.picture->Picture()->LoadFromData(pngBytes(Qt::blue));
  d.row(0, "jeden");
  d.pages().AddPage(d.page);
  d.row(0, "dwa");
  const QByteArray good = saved(d.pages());
  TfrxReport other;
  TfrxPreviewPages& pages = other.PreviewPages();

  // Odd hexadecimal data in the picture cache.
  QByteArray odd = good;
  const qsizetype at = odd.indexOf("stream=\"") + 8;
  odd.insert(at, "A");
  try {
    load(pages, odd);
    FAIL();
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().contains("obrazu nr 1")) << e.message().toStdString();
  }
  EXPECT_EQ(pages.Count(), 0);

  // An alias nobody knows: that object is left out, the rest stays.
  QByteArray unknown = good;
  unknown.replace("<m1 u=", "<m77 u=");
  ASSERT_NO_THROW(load(pages, unknown));
  ASSERT_EQ(pages.Count(), 2);
  EXPECT_EQ(memoOn(pages.Page(0)), nullptr);
  EXPECT_NE(pages.Page(0)->FindObject("Picture1"), nullptr);

  // A picture index outside the cache gives an empty picture.
  QByteArray index = good;
  index.replace("ImageIndex=\"1\"", "ImageIndex=\"999\"");
  ASSERT_NO_THROW(load(pages, index));
  auto* picture = qobject_cast<TfrxPictureView*>(pages.Page(0)->FindObject("Picture1"));
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->Picture()->IsEmpty());

  // A page naming a source page that is not there cannot be built.
  QByteArray source = good;
  source.replace("page0>", "page9>");
  ASSERT_NO_THROW(load(pages, source));
  EXPECT_EQ(pages.Page(0), nullptr);
  EXPECT_EQ(pages.PageSize(0), QSize(0, 0));
  EXPECT_FALSE(pages.ObjectOver({}).handled);

  // Cut short: what was read before the cut is there.
  const qsizetype second = good.indexOf("<page0>", good.indexOf("<page0>") + 1);
  ASSERT_GT(second, 0);
  load(pages, good.left(second));
  ASSERT_EQ(pages.Count(), 1);
  EXPECT_EQ(memoOn(pages.Page(0))->Text(), "jeden");
}

// --- Memory limit and temporary files ------------------------------------------

TEST(PreviewPagesFileCache, FinishedPagesMoveToAPrivateTemporaryFileAndReadBack) {
  QTemporaryDir dir;
  Design d;
  d.report.EngineOptions()->SetUseFileCache(true);
  d.report.EngineOptions()->SetMaxMemSize(1);
  d.report.EngineOptions()->SetTempDir(dir.path());
  d.start();
  for (int p = 0; p < 40; ++p) {
    d.pages().AddPage(d.page);
    for (int r = 0; r < 60; ++r) d.row(r * 20, QString("Strona %1 wiersz %2 ").arg(p).arg(r).repeated(4));
  }
  EXPECT_GT(d.pages().PagesInFile(), 0);
  EXPECT_FALSE(d.pages().PagesNode()->Items(0)->Unloaded());  // first two pages never move
  EXPECT_TRUE(d.pages().PagesNode()->Items(2)->Unloaded());
  const QString temp = d.pages().XML().TempFileName();
  ASSERT_FALSE(temp.isEmpty());
  EXPECT_EQ(QFileInfo(temp).absolutePath(), QDir(dir.path()).absolutePath());
  EXPECT_EQ(QFile::permissions(temp) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
            QFile::Permissions());

  EXPECT_EQ(memoOn(d.pages().Page(2), 59)->Text(), QString("Strona 2 wiersz 59 ").repeated(4));
  // Printing lets go of each page it printed: nothing stays built and the
  // elements read back go to the file again, to be read once more later.
  EXPECT_FALSE(d.pages().PagesNode()->Items(2)->Unloaded());
  ASSERT_NE(d.pages().Page(3), nullptr);
  EXPECT_EQ(d.pages().CachedPageCount(), 2);
  d.pages().ClearPageCache();
  EXPECT_EQ(d.pages().CachedPageCount(), 0);
  EXPECT_TRUE(d.pages().PagesNode()->Items(2)->Unloaded());
  EXPECT_TRUE(d.pages().PagesNode()->Items(3)->Unloaded());
  EXPECT_FALSE(d.pages().PagesNode()->Items(0)->Unloaded());
  EXPECT_EQ(memoOn(d.pages().Page(3), 1)->Text(), QString("Strona 3 wiersz 1 ").repeated(4));
  // Saving reads moved pages back; the loaded copy has them all.
  const QByteArray bytes = saved(d.pages());
  TfrxReport other;
  load(other.PreviewPages(), bytes);
  ASSERT_EQ(other.PreviewPages().Count(), 40);
  EXPECT_EQ(memoOn(other.PreviewPages().Page(5), 3)->Text(), QString("Strona 5 wiersz 3 ").repeated(4));

  d.pages().Clear();
  EXPECT_FALSE(QFile::exists(temp));
}

TEST(PreviewPagesFileCache, AFullDiskStopsTheRunInsteadOfLosingAPage) {
  QTemporaryDir dir;
  Design d;
  d.report.EngineOptions()->SetUseFileCache(true);
  d.report.EngineOptions()->SetMaxMemSize(1);
  d.report.EngineOptions()->SetTempDir(dir.path());
  d.start();
  // Files of this process may not grow past 4 KB: the first move fails.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  QString message;
  int pagesAdded = 0;
  try {
    for (int p = 0; p < 40; ++p) {
      d.pages().AddPage(d.page);
      ++pagesAdded;
      for (int r = 0; r < 60; ++r) d.row(r * 20, QString("Strona %1 wiersz %2 ").arg(p).arg(r).repeated(4));
    }
  } catch (const ReportError& e) {
    message = e.message();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  // The reason is the system's, in Polish, with the file it happened to.
  EXPECT_TRUE(message.startsWith("Nie można przenieść stron do pliku tymczasowego " + dir.path()))
      << message.toStdString();
  EXPECT_TRUE(message.endsWith(": Plik jest za duży.")) << message.toStdString();
  // Every page made so far is still whole.
  ASSERT_GE(pagesAdded, 3);
  for (int p = 0; p < d.pages().Count(); ++p)
    EXPECT_EQ(memoOn(d.pages().Page(p), 59)->Text(), QString("Strona %1 wiersz 59 ").arg(p).repeated(4)) << p;
}

// --- Pictures ---------------------------------------------------------------------

TEST(PreviewPagesPictures, IdenticalPicturesAreStoredOnce) {
  TfrxPictureCache cache;
  TfrxPictureView a(nullptr), b(nullptr), none(nullptr);
  a.Picture()->LoadFromData(pngBytes(Qt::green));
  b.Picture()->LoadFromData(pngBytes(Qt::green));
  cache.AddPicture(a);
  cache.AddPicture(b);
  cache.AddPicture(none);
  EXPECT_EQ(a.ImageIndex(), 1);
  EXPECT_EQ(b.ImageIndex(), 1);
  EXPECT_EQ(none.ImageIndex(), 0);
  b.Picture()->LoadFromData(pngBytes(Qt::yellow));
  cache.AddPicture(b);
  EXPECT_EQ(b.ImageIndex(), 2);
  EXPECT_EQ(cache.Count(), 2);
  TfrxPictureView out(nullptr);
  out.SetImageIndex(2);
  cache.GetPicture(out);
  EXPECT_EQ(out.Picture()->Image().pixelColor(1, 1), QColor(Qt::yellow));
  out.SetImageIndex(3);
  cache.GetPicture(out);
  EXPECT_TRUE(out.Picture()->IsEmpty());
}

TEST(PreviewPagesPictures, CacheInFileUsesTemporarySegmentsRemovedOnClear) {
  QTemporaryDir dir;
  TfrxPictureCache cache;
  cache.SetCacheInFile(true);
  cache.SetTempDir(dir.path());
  cache.SetSegmentLimit(10);  // every entry opens a new segment
  TfrxPictureView a(nullptr);
  for (QColor c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
    a.Picture()->LoadFromData(pngBytes(c));
    cache.AddPicture(a);
  }
  // Folder and mode are fixed while entries exist.
  cache.SetCacheInFile(false);
  EXPECT_TRUE(cache.CacheInFile());
  TfrxPictureView out(nullptr);
  out.SetImageIndex(2);
  cache.GetPicture(out);
  EXPECT_EQ(out.Picture()->Image().pixelColor(0, 0), QColor(Qt::green));
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  // Now the mode can change.
  cache.SetCacheInFile(false);
  EXPECT_FALSE(cache.CacheInFile());
}

// --- Editing -----------------------------------------------------------------------

TEST(PreviewPagesEditing, AddDeleteModifyAndAppendAnotherReport) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.row(0, "jeden");
  d.pages().AddPage(d.page);
  d.row(0, "dwa");
  d.pages().Finish();

  d.pages().AddEmptyPage(1);
  ASSERT_EQ(d.pages().Count(), 3);
  EXPECT_EQ(memoOn(d.pages().Page(1)), nullptr);
  EXPECT_EQ(memoOn(d.pages().Page(2))->Text(), "dwa");
  d.pages().DeletePage(1);
  EXPECT_EQ(memoOn(d.pages().Page(1))->Text(), "dwa");

  TfrxReportPage* page = d.pages().Page(0);
  memoOn(page)->SetText("zmieniony");
  d.pages().ModifyPage(0, page);
  EXPECT_EQ(d.pages().PagesNode()->Items(0)->Name, "TfrxReportPage");
  EXPECT_EQ(memoOn(d.pages().Page(0))->Text(), "zmieniony");

  Design other;
  other.start();
  other.pages().AddPage(other.page);
  other.pages().Outline().AddItem("Spis", 0);
  other.pages().Outline().AddItem("Podrozdział", 10);
  other.pages().AddAnchor("obca");
  other.row(0, "obcy");
  other.pages().Finish();
  d.pages().Outline().LevelRoot();
  d.pages().Outline().AddItem("Własny", 0);
  d.pages().AddFrom(&other.report);
  ASSERT_EQ(d.pages().Count(), 3);
  EXPECT_EQ(memoOn(d.pages().Page(2))->Text(), "obcy");
  EXPECT_EQ(d.pages().GetAnchorPage("obca"), 3);
  TfrxOutlineNavigator& outline = d.pages().Outline();
  outline.LevelRoot();
  ASSERT_EQ(outline.Count(), 2);
  EXPECT_EQ(outline.GetItem(1).text, "Spis");
  EXPECT_EQ(outline.GetItem(1).page, 2);
  outline.LevelDown(1);
  EXPECT_EQ(outline.GetItem(0).text, "Podrozdział");
  EXPECT_EQ(outline.GetItem(0).page, 2);

  // The last page cannot go.
  d.pages().DeletePage(0);
  d.pages().DeletePage(0);
  d.pages().DeletePage(0);
  EXPECT_EQ(d.pages().Count(), 1);
}

// --- Drawing and the mouse ----------------------------------------------------------

TEST(PreviewPagesDrawing, DrawnPageMatchesTheSameObjectsPaintedDirectly) {
  Design d;
  d.page->SetLeftMargin(10);
  d.page->SetTopMargin(10);
  d.memo->Frame()->SetTyp(TfrxFrameTypes(ftLeft) | ftRight | ftTop | ftBottom);
  d.memo->SetColor(0x00FFFF);
  d.picture->Picture()->LoadFromData(pngBytes(Qt::blue, 8, 8));
  d.picture->SetStretched(true);
  d.band->SetTop(30);
  d.memo->SetText("Tekst próbny");
  d.start();
  d.pages().AddPage(d.page);
  d.pages().AddObject(d.band);

  const int w = 400, h = 200;
  QImage drawn(w, h, QImage::Format_RGB32), direct(w, h, QImage::Format_RGB32);
  drawn.fill(Qt::white);
  direct.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(drawn, 96);
    d.pages().DrawPage(0, canvas, 1, 1, 0, 0);
  }
  {
    gfx::PainterCanvas canvas(direct, 96);
    const double m = 10 * 3.77953;
    d.page->PaintBackground(canvas, {});
    d.memo->Paint(canvas, {.offsetX = m, .offsetY = m});
    d.picture->Paint(canvas, {.offsetX = m, .offsetY = m});
  }
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) differing += drawn.pixel(x, y) != direct.pixel(x, y);
  EXPECT_EQ(differing, 0);
  // Something was drawn at all: the memo's yellow and the picture's blue.
  const int m = qRound(10 * 3.77953);
  EXPECT_EQ(drawn.pixelColor(m + 50, m + 35), QColor(Qt::yellow));
  EXPECT_EQ(drawn.pixelColor(m + 305, m + 40), QColor(Qt::blue));
}

// The store passes its own page count and copy down to the text views each
// time it draws; the stored pages keep their markers.
TEST(PreviewPagesDrawing, PlaceholdersTakeTheStoresCountAndCopy) {
  Design d;
  d.start();
  d.pages().AddPage(d.page);
  d.row(0, "Strona z [TotalPages#] – [CopyName#]");
  d.pages().AddPage(d.page);
  GlobalVariables()->SetValue("CopyName2", "Kopia");
  const auto drawn = [&](int index) {
    gfx::RecordingCanvas canvas;
    d.pages().DrawPage(index, canvas, 1, 1, 0, 0);
    QStringList texts;
    for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts << call.text;
    return texts;
  };
  EXPECT_EQ(drawn(0), QStringList{"Strona z 2 – "});
  d.pages().SetCopyNo(2);
  EXPECT_EQ(drawn(0), QStringList{"Strona z 2 – Kopia"});
  d.pages().AddPage(d.page);
  EXPECT_EQ(drawn(0), QStringList{"Strona z 3 – Kopia"});
  EXPECT_EQ(memoOn(d.pages().Page(0))->Text(), "Strona z [TotalPages#] – [CopyName#]");
  GlobalVariables()->DeleteVariable("CopyName2");
}

TEST(PreviewPagesMouse, LinksHintsAndDrillDownAreAnsweredAsData) {
  Design d;
  auto* header = new TfrxGroupHeader(d.page);
  header->SetName("GroupHeader1");
  header->SetBounds(0, 0, 700, 20);
  header->SetDrillDown(true);
  header->SetDrillName("grupa1");
  d.memo->SetURL("@3");
  d.picture->SetURL("#Cel");
  d.picture->SetHint("Krótki|Długi opis");
  d.picture->SetShowHint(true);
  d.start();
  d.pages().AddPage(d.page);
  d.row(100, "link");
  header->SetTop(200);
  d.pages().AddObject(header);
  d.pages().AddPage(d.page);
  d.pages().AddPage(d.page);
  d.report.RunState();
  d.pages().AddAnchor("Cel");
  d.pages().Finish();

  // Zoom 2, page corner at (5, 5), no margins: the memo spans 20..420 x 200..236.
  TfrxPointQuery q;
  q.zoom = 2;
  q.offsetX = 5;
  q.offsetY = 5;
  q.x = 30;
  q.y = 210;
  TfrxPointAnswer a = d.pages().ObjectOver(q);
  EXPECT_TRUE(a.handled);
  EXPECT_EQ(a.linkText, "@3");
  EXPECT_EQ(a.cursor, crHandPoint);
  EXPECT_EQ(a.action, TfrxPointAnswer::Action::None);
  q.click = true;
  a = d.pages().ObjectOver(q);
  EXPECT_EQ(a.action, TfrxPointAnswer::Action::GoToPage);
  EXPECT_EQ(a.page, 2);
  // Right edge excluded.
  q.x = 5 + 420;
  EXPECT_EQ(d.pages().ObjectOver(q).view, nullptr);

  q.x = 5 + 610;
  q.y = 5 + 210;
  a = d.pages().ObjectOver(q);
  EXPECT_EQ(a.action, TfrxPointAnswer::Action::GoToAnchor);
  EXPECT_EQ(a.page, 2);
  EXPECT_EQ(a.tooltip, "Krótki");
  EXPECT_EQ(a.hintText, "Długi opis");

  q.x = 100;
  q.y = 5 + 410;
  a = d.pages().ObjectOver(q);
  EXPECT_EQ(a.drillName, "grupa1");
  EXPECT_TRUE(a.drillToggled);
  EXPECT_EQ(a.cursor, crHandPoint);
  EXPECT_EQ(d.report.ExpandedDrillNames(), QStringList{"grupa1"});
  d.pages().ObjectOver(q);
  EXPECT_TRUE(d.report.ExpandedDrillNames().isEmpty());

  // A click handler that changes the page has it stored back.
  d.report.OnClickObject = [](TfrxView* view, int, int, bool& modified) {
    if (auto* memo = qobject_cast<TfrxMemoView*>(view)) {
      memo->SetText("kliknięty");
      modified = true;
    }
  };
  q.x = 30;
  q.y = 210;
  a = d.pages().ObjectOver(q);
  EXPECT_TRUE(a.modified);
  EXPECT_EQ(memoOn(d.pages().Page(0))->Text(), "kliknięty");
}

// --- Files kept as test data ----------------------------------------------------------

TEST(PreviewPagesData, WholePageElementsCarryTheirOwnObjects) {
  TfrxReport report;
  TfrxPreviewPages& pages = report.PreviewPages();
  ASSERT_TRUE(pages.LoadFromFile(VALMORO_TEST_DATA "/prepared/whole-page-outline.fp3"));
  EXPECT_TRUE(report.PreviewOptions()->OutlineVisible());
  EXPECT_EQ(report.PreviewOptions()->OutlineWidth(), 150);
  EXPECT_EQ(report.ReportOptions()->Name(), "Próba");
  ASSERT_EQ(pages.Count(), 2);
  EXPECT_EQ(pages.PageSize(0), QSize(qRound(100 * 3.77953), qRound(50 * 3.77953)));
  EXPECT_EQ(pages.LogicalNumbers(1), std::make_pair(2, 2));
  TfrxReportPage* page = pages.Page(0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(memoOn(page)->Text(), "Cała strona\r\ndwie linie");
  auto* picture = qobject_cast<TfrxPictureView*>(page->FindObject("Picture1"));
  ASSERT_NE(picture, nullptr);
  EXPECT_FALSE(picture->Picture()->IsEmpty());
  // A link to an anchor goes to its page and position.
  TfrxPointQuery q;
  q.x = qRound(5 * 3.77953) + 20;
  q.y = qRound(5 * 3.77953) + 15;
  q.click = true;
  TfrxPointAnswer a = pages.ObjectOver(q);
  EXPECT_EQ(a.action, TfrxPointAnswer::Action::GoToAnchor);
  EXPECT_EQ(a.page, 1);
  EXPECT_EQ(a.top, 12);
  // The outline kept its two levels.
  EXPECT_EQ(pages.Outline().GetItem(0).text, "Jeden");
  pages.Outline().LevelDown(0);
  EXPECT_EQ(pages.Outline().GetItem(0).page, 1);
}

TEST(PreviewPagesData, EveryKeptFileLoadsOrIsRefusedAndEveryPageDraws) {
  const QDir dir(VALMORO_TEST_DATA "/prepared");
  const QStringList files = dir.entryList(QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    TfrxReport report;
    TfrxPreviewPages& pages = report.PreviewPages();
    try {
      pages.LoadFromFile(dir.filePath(name));
    } catch (const ReportError& e) {
      EXPECT_FALSE(e.message().isEmpty());
      continue;
    }
    QImage image(64, 64, QImage::Format_RGB32);
    for (int i = 0; i < pages.Count() && i < 20; ++i) {
      (void)pages.PageSize(i);
      if (!pages.Page(i)) continue;
      gfx::PainterCanvas canvas(image, 96);
      pages.DrawPage(i, canvas, 0.1, 0.1, 0, 0);
    }
    // What loaded saves and reads back the same, however damaged the source.
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    pages.SaveToStream(saved);
    saved.close();
    saved.open(QIODevice::ReadOnly);
    TfrxReport again;
    try {
      again.PreviewPages().LoadFromStream(saved);
    } catch (const ReportError& e) {
      ADD_FAILURE() << "our own output is refused: " << e.message().toStdString();
      continue;
    }
    EXPECT_EQ(again.PreviewPages().Count(), pages.Count());
    QBuffer resaved;
    resaved.open(QIODevice::WriteOnly);
    again.PreviewPages().SaveToStream(resaved);
    EXPECT_EQ(resaved.data(), saved.data());
  }
}
