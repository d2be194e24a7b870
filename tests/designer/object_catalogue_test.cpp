// The object bar's catalogue: which entries it offers with which captions,
// their icons, and inserting each entry (its class, its creation flag, the
// model's unique names) as one undo step.

#include <gtest/gtest.h>

#include <QImage>
#include <QUndoStack>

#include "designer/designer_document.h"
#include "designer/object_catalogue.h"
#include "designer_support.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "report/model/subreport.h"
#include "report/model/view.h"
#include "tests/report/document_support.h"

namespace valmoro::designer {

// A view class of some other part of the program, registered before the
// catalogue is first read, as the program registers its classes at start.
class TfrxGaugeView : public report::TfrxView {
  Q_OBJECT
public:
  explicit TfrxGaugeView(report::TfrxComponent* parent = nullptr) : report::TfrxView(parent) {}
};

namespace {

using namespace report;
using report::testing::saveDocument;

const bool gaugeRegistered = (registerClass<TfrxGaugeView>(), true);

QStringList ids(CatalogueEntry::Group group) {
  QStringList out;
  for (const CatalogueEntry& e : ObjectCatalogue())
    if (e.group == group) out.append(e.id + "=" + e.caption);
  return out;
}

TEST(ObjectCatalogue, OffersEveryViewKindAndEveryBandWithPolishCaptions) {
  ASSERT_TRUE(gaugeRegistered);
  EXPECT_EQ(ids(CatalogueEntry::Group::View),
            (QStringList{"TfrxMemoView=Tekst",
                         "TfrxSysMemoView=Tekst systemowy",
                         "TfrxLineView/horizontal=Linia pozioma",
                         "TfrxLineView/vertical=Linia pionowa",
                         "TfrxLineView/diagonal=Linia ukośna",
                         "TfrxLineView/arrow-end=Strzałka",
                         "TfrxLineView/arrow-start=Strzałka wstecz",
                         "TfrxLineView/arrows=Strzałka podwójna",
                         "TfrxPictureView=Obraz",
                         "TfrxShapeView/rectangle=Prostokąt",
                         "TfrxShapeView/round-rectangle=Zaokrąglony prostokąt",
                         "TfrxShapeView/ellipse=Elipsa",
                         "TfrxShapeView/triangle=Trójkąt",
                         "TfrxShapeView/diamond=Romb",
                         "TfrxShapeView/diagonal-up=Przekątna wznosząca",
                         "TfrxShapeView/diagonal-down=Przekątna opadająca",
                         "TfrxSubreport=Podraport",
                         "TfrxGaugeView=Gauge"}));
  EXPECT_EQ(ids(CatalogueEntry::Group::Band),
            (QStringList{"TfrxReportTitle=Tytuł raportu",   "TfrxReportSummary=Podsumowanie raportu",
                         "TfrxPageHeader=Nagłówek strony",  "TfrxPageFooter=Stopka strony",
                         "TfrxHeader=Nagłówek",             "TfrxFooter=Stopka",
                         "TfrxMasterData=Dane główne",      "TfrxDetailData=Dane szczegółowe",
                         "TfrxSubdetailData=Dane podszczegółowe", "TfrxDataBand4=Dane poziomu 4",
                         "TfrxDataBand5=Dane poziomu 5",    "TfrxDataBand6=Dane poziomu 6",
                         "TfrxGroupHeader=Nagłówek grupy",  "TfrxGroupFooter=Stopka grupy",
                         "TfrxChild=Wstęga podrzędna",      "TfrxColumnHeader=Nagłówek kolumny",
                         "TfrxColumnFooter=Stopka kolumny", "TfrxOverlay=Nakładka"}));
  for (const CatalogueEntry& e : ObjectCatalogue()) EXPECT_FALSE(e.hint.isEmpty()) << e.id.toStdString();
  const CatalogueEntry* ellipse = FindCatalogueEntry("TfrxShapeView/ellipse");
  ASSERT_NE(ellipse, nullptr);
  EXPECT_EQ(ellipse->flag, skEllipse);
  EXPECT_EQ(FindCatalogueEntry("TfrxLineView/arrow-start")->flag, 3);
  EXPECT_EQ(CatalogueCaption("TfrxMasterData"), "Dane główne");
  EXPECT_EQ(CatalogueCaption("TfrxLineView"), "Linia pozioma");
  EXPECT_EQ(CatalogueCaption("TfrxNullBand"), "");
  EXPECT_EQ(FindCatalogueEntry("TfrxNullBand"), nullptr);
  EXPECT_EQ(FindCatalogueEntry("TfrxReportPage"), nullptr);
}

TEST(ObjectCatalogue, IconsAreDrawnAtBothSizesOnceAndDifferByKind) {
  const CatalogueEntry& horizontal = *FindCatalogueEntry("TfrxLineView/horizontal");
  const CatalogueEntry& vertical = *FindCatalogueEntry("TfrxLineView/vertical");
  for (const CatalogueEntry& e : ObjectCatalogue()) {
    for (int size : {16, 24}) {
      const QImage image = CataloguePixmap(e, size).toImage();
      ASSERT_EQ(image.size(), QSize(size, size)) << e.id.toStdString();
      int inked = 0;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) inked += qAlpha(image.pixel(x, y)) > 128;
      EXPECT_GT(inked, size / 2) << e.id.toStdString();
    }
  }
  // Drawn once: the same pixmap comes back.
  EXPECT_EQ(CataloguePixmap(horizontal, 16).cacheKey(), CataloguePixmap(horizontal, 16).cacheKey());
  EXPECT_NE(CataloguePixmap(horizontal, 24).toImage(), CataloguePixmap(vertical, 24).toImage());
  EXPECT_NE(CataloguePixmap(*FindCatalogueEntry("TfrxPageHeader"), 16).toImage(),
            CataloguePixmap(*FindCatalogueEntry("TfrxPageFooter"), 16).toImage());
  EXPECT_NE(CataloguePixmap(*FindCatalogueEntry("TfrxShapeView/ellipse"), 16).toImage(),
            CataloguePixmap(*FindCatalogueEntry("TfrxShapeView/rectangle"), 16).toImage());
  const QList<QSize> sizes = CatalogueIcon(horizontal).availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(24, 24)));
}

TEST(ObjectCatalogue, DrawnBoundsFollowTheEntry) {
  const CatalogueEntry& memo = *FindCatalogueEntry("TfrxMemoView");
  // A click gives the insert tool's size at the point clicked: 3 cm by 0.5 cm for text.
  EXPECT_EQ(EntryBounds(memo, QRectF(10, 20, 0, 0)), QRectF(10, 20, 113.3859, 18.89765));
  EXPECT_EQ(EntryBounds(*FindCatalogueEntry("TfrxLineView/vertical"), QRectF(10, 20, 0, 0)), QRectF(10, 20, 0, 113.3859));
  EXPECT_EQ(EntryBounds(*FindCatalogueEntry("TfrxLineView/arrows"), QRectF(10, 20, 0, 0)),
            QRectF(10, 20, 113.3859, 113.3859));
  // Drawn from the lower right corner up.
  EXPECT_EQ(EntryBounds(memo, QRectF(110, 50, -100, -30)), QRectF(10, 20, 100, 30));
  EXPECT_EQ(EntryBounds(*FindCatalogueEntry("TfrxLineView/horizontal"), QRectF(10, 20, 100, 7)),
            QRectF(10, 20, 100, 0));
  EXPECT_EQ(EntryBounds(*FindCatalogueEntry("TfrxLineView/vertical"), QRectF(10, 20, 3, 80)), QRectF(10, 20, 0, 80));
}

// A page with one data band to put views into.
struct Band {
  Band() {
    auto* page = new TfrxReportPage(&report);
    page->SetName("Page1");
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData1");
    band->SetBounds(0, 20, 718, 100);
  }
  QString insert(const QString& id, QRectF drawn = QRectF(5, 5, 50, 20)) {
    const CatalogueEntry* entry = FindCatalogueEntry(id);
    if (entry == nullptr) return "?";
    try {
      QString name;
      stack.push(MakeInsertObject(report, *entry, "MasterData1", drawn, &name).release());
      return name;
    } catch (const ReportError& e) {
      return "!" + e.message();
    }
  }
  template <class T>
  T* object(const QString& name) const {
    return qobject_cast<T*>(report.FindObject(name));
  }

  TfrxReport report;
  QUndoStack stack;
};

TEST(ObjectCatalogue, EachEntryInsertsItsClassWithItsFlagAndAUniqueName) {
  Band b;
  const QByteArray empty = saveDocument(b.report);
  EXPECT_EQ(b.insert("TfrxMemoView"), "Memo1");
  EXPECT_EQ(b.stack.undoText(), "Wstawienie Memo1");
  EXPECT_EQ(b.insert("TfrxMemoView"), "Memo2");
  EXPECT_EQ(b.insert("TfrxSysMemoView"), "SysMemo1");
  EXPECT_EQ(b.insert("TfrxPictureView"), "Picture1");
  // Lines: straight ones lose a side, the others go corner to corner.
  EXPECT_EQ(b.insert("TfrxLineView/horizontal"), "Line1");
  EXPECT_EQ(b.insert("TfrxLineView/vertical"), "Line2");
  EXPECT_EQ(b.insert("TfrxLineView/diagonal"), "Line3");
  EXPECT_EQ(b.insert("TfrxLineView/arrow-end"), "Line4");
  EXPECT_EQ(b.insert("TfrxLineView/arrow-start"), "Line5");
  EXPECT_EQ(b.insert("TfrxLineView/arrows"), "Line6");
  struct LineKind {
    const char* name;
    bool diagonal, start, end;
    double width, height;
  };
  for (const LineKind& k : {LineKind{"Line1", false, false, false, 50, 0}, LineKind{"Line2", false, false, false, 0, 20},
                            LineKind{"Line3", true, false, false, 50, 20}, LineKind{"Line4", true, false, true, 50, 20},
                            LineKind{"Line5", true, true, false, 50, 20}, LineKind{"Line6", true, true, true, 50, 20}}) {
    auto* line = b.object<TfrxLineView>(k.name);
    ASSERT_NE(line, nullptr) << k.name;
    EXPECT_EQ(line->Diagonal(), k.diagonal) << k.name;
    EXPECT_EQ(line->ArrowStart(), k.start) << k.name;
    EXPECT_EQ(line->ArrowEnd(), k.end) << k.name;
    EXPECT_EQ(line->Width(), k.width) << k.name;
    EXPECT_EQ(line->Height(), k.height) << k.name;
  }
  const QList<QPair<QString, TfrxShapeKind>> shapes = {
      {"rectangle", skRectangle}, {"round-rectangle", skRoundRectangle}, {"ellipse", skEllipse},
      {"triangle", skTriangle},   {"diamond", skDiamond},                 {"diagonal-up", skDiagonal1},
      {"diagonal-down", skDiagonal2}};
  int number = 1;
  for (const auto& [kind, shape] : shapes) {
    const QString name = b.insert("TfrxShapeView/" + kind);
    EXPECT_EQ(name, QStringLiteral("Shape%1").arg(number++));
    ASSERT_NE(b.object<TfrxShapeView>(name), nullptr);
    EXPECT_EQ(b.object<TfrxShapeView>(name)->Shape(), shape) << kind.toStdString();
  }
  EXPECT_EQ(b.insert("TfrxGaugeView"), "Gauge1");
  EXPECT_EQ(b.object<TfrxComponent>("Gauge1")->Parent()->Name(), "MasterData1");
  EXPECT_EQ(b.stack.count(), 18);

  // Each a step of its own, all undone to the empty band.
  const QByteArray full = saveDocument(b.report);
  while (b.stack.canUndo()) b.stack.undo();
  EXPECT_EQ(saveDocument(b.report), empty);
  while (b.stack.canRedo()) b.stack.redo();
  EXPECT_EQ(saveDocument(b.report), full);
  EXPECT_TRUE(b.object<TfrxLineView>("Line6")->ArrowStart());
}

TEST(ObjectCatalogue, ASubreportComesWithAPageOfItsOwn) {
  Band b;
  const QByteArray before = saveDocument(b.report);
  EXPECT_EQ(b.insert("TfrxSubreport"), "Subreport1");
  auto* subreport = b.object<TfrxSubreport>("Subreport1");
  ASSERT_NE(subreport, nullptr);
  auto* page = b.object<TfrxReportPage>("Page2");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(subreport->Page(), page);
  EXPECT_EQ(page->Parent(), &b.report);
  EXPECT_EQ(page->LeftMargin(), 10);
  EXPECT_EQ(page->BottomMargin(), 10);
  EXPECT_EQ(b.stack.count(), 1);
  const QByteArray after = saveDocument(b.report);
  b.stack.undo();
  EXPECT_EQ(saveDocument(b.report), before);
  EXPECT_EQ(b.object<TfrxReportPage>("Page2"), nullptr);
  b.stack.redo();
  EXPECT_EQ(saveDocument(b.report), after);
  EXPECT_EQ(b.object<TfrxSubreport>("Subreport1")->Page(), b.object<TfrxReportPage>("Page2"));
}

TEST(ObjectCatalogue, ABandEntryIsNoViewAndAnUnknownParentIsRefused) {
  Band b;
  EXPECT_EQ(b.insert("TfrxMasterData"), "!Dane główne to wstęga: wstawia się ją na stronę.");
  const CatalogueEntry& memo = *FindCatalogueEntry("TfrxMemoView");
  EXPECT_THROW(MakeInsertObject(b.report, memo, "NieMa", QRectF(0, 0, 10, 10)), ReportError);
  EXPECT_EQ(b.stack.count(), 0);
  EXPECT_EQ(b.report.FindObject("Memo1"), nullptr);
}

TEST(ObjectCatalogue, TheDocumentInsertsAndSelectsTheNewObject) {
  designer::testing::Designed d;
  DesignerDocument& document = *d.document;
  const CatalogueEntry& memo = *FindCatalogueEntry("TfrxMemoView");
  EXPECT_EQ(InsertObject(document, memo, "MasterData1", QRectF(10, 0, 0, 0)), "");
  EXPECT_EQ(document.SelectedNames(), QStringList{"Memo1"});
  const TfrxComponent* made = d.report.FindObject("Memo1");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Parent()->Name(), "MasterData1");
  EXPECT_EQ(QRectF(made->Left(), made->Top(), made->Width(), made->Height()), QRectF(10, 0, 113.3859, 18.89765));
  // With the designer's font, as the insert tool gives it; one step all the same.
  EXPECT_FALSE(made->ParentFont());
  EXPECT_EQ(made->Font()->Name(), document.Defaults().fontName);
  EXPECT_EQ(made->Font()->Height(), -document.Defaults().fontHeightPixels);
  EXPECT_EQ(document.UndoStack().count(), 1);
  // A band entry goes to its place on the page, here for the master the memo is in.
  EXPECT_EQ(InsertObject(document, *FindCatalogueEntry("TfrxHeader"), {}, {}), "");
  EXPECT_EQ(document.SelectedNames(), QStringList{"Header1"});
  EXPECT_EQ(InsertObject(document, memo, "NieMa", QRectF(0, 0, 10, 10)), "Raport nie ma obiektu NieMa.");
  EXPECT_EQ(document.UndoStack().count(), 2);
}

}  // namespace
}  // namespace valmoro::designer

#include "object_catalogue_test.moc"
