// The compact attribute form, copying through the document format, style
// sheet files, pictures in property data, the program's report document and
// the damaged-document corpus.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <memory>
#include <gtest/gtest.h>

#include "document_support.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/picture_data.h"
#include "report/model/picture_view.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/model/serializer.h"
#include "report/model/shape_view.h"
#include "report/model/style.h"

namespace valmoro::report {
namespace {

using testing::differences;
using testing::kHeader;
using testing::loadDocument;
using testing::saveDocument;

template <class T>
T* named(TfrxComponent* parent, const char* name) {
  auto* object = new T(parent);
  object->SetName(QString::fromLatin1(name));
  return object;
}

QByteArray encodeImage(const QImage& image, const char* format) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(100);
  EXPECT_TRUE(writer.write(image)) << format;
  return buffer.data();
}

QImage sampleImage(QImage::Format format = QImage::Format_RGB32) {
  QImage image(7, 4, format);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgba(30 * x, 60 * y, 255 - 20 * x, 255));
  return image;
}

// --- Compact attribute form ---------------------------------------------------

struct DiffFixture {
  TfrxReport report;
  TfrxMasterData* band = named<TfrxMasterData>(named<TfrxReportPage>(&report, "P"), "B");
};

TEST(DiffAttributes, TextViewAgainstItsReference) {
  DiffFixture f;
  auto* reference = named<TfrxMemoView>(f.band, "R");
  reference->SetBounds(10, 20, 100, 18);
  auto* memo = named<TfrxMemoView>(f.band, "M");
  memo->SetBounds(10.00005, 25, 150, 18.5);
  memo->SetAutoWidth(true);
  memo->SetVisible(false);
  memo->Font()->SetName("Tahoma");
  memo->SetTag(5);
  memo->SetBrushStyle(bsClear);
  memo->SetAlign(baRight);
  memo->SetColor(clRed);
  memo->Frame()->SetColor(clRed);
  memo->Frame()->RightLine()->SetColor(0x00FF00);
  memo->Frame()->SetTyp(ftLeft | ftTop);
  memo->SetPrintable(false);
  memo->SetTagStr("[x]");
  memo->SetURL("a&b");
  memo->SetGapX(4);
  memo->SetHAlign(haCenter);
  memo->SetText("one\r\ntwo");
  memo->DisplayFormat()->SetKind(fkNumeric);
  memo->DisplayFormat()->SetFormatStr("%2.2f");
  memo->SetFirstParaBreak(true);

  const QString diff = memo->DiffAttributes(*reference);
  EXPECT_EQ(diff,
            " t=\"25\" h=\"18,5\" Visible=\"0\" Font.Name=\"Tahoma\" ParentFont=\"0\" Tag=\"5\" BrushStyle=\"1\""
            " Align=\"2\" Color=\"255\" Frame.Color=\"255\" Frame.Typ=\"5\" Frame.RightLine.Color=\"65280\""
            " Printable=\"0\" TagStr=\"[x]\" URL=\"a&#38;b\" AutoWidth=\"1\" GapX=\"4\" HAlign=\"2\""
            " u=\"one&#13;&#10;two\" DisplayFormat.Kind=\"1\" DisplayFormat.FormatStr=\"%2.2f\" FirstParaBreak=\"1\"");

  // The reference with the parts applied is the object again, but for what
  // the form leaves out: the tiny move and an automatic width.
  auto* rebuilt = new TfrxMemoView(f.band);
  rebuilt->Assign(reference);
  TfrxXMLSerializer serializer(&f.report);
  serializer.XMLToObj(diff, *rebuilt);
  EXPECT_EQ(serializer.Errors(), QStringList());
  EXPECT_EQ(differences(*memo, *rebuilt), QStringList({".Name: M / ", ".Left: 10,00005 / 10", ".Width: 150 / 100"}));

  // Unchanged: only the text, which is always there.
  EXPECT_EQ(rebuilt->DiffAttributes(*rebuilt), " u=\"one&#13;&#10;two\" FirstParaBreak=\"1\"");
}

TEST(DiffAttributes, FrameSidesFollowTheirFrameOrTheReference) {
  DiffFixture f;
  auto* reference = named<TfrxShapeView>(f.band, "R");
  auto* shape = named<TfrxShapeView>(f.band, "S");
  // Frame unchanged: a side is compared with the reference's side.
  shape->Frame()->LeftLine()->SetColor(clRed);
  shape->Frame()->TopLine()->SetWidth(3);
  shape->SetShape(skEllipse);
  EXPECT_EQ(shape->DiffAttributes(*reference),
            " Frame.LeftLine.Color=\"255\" Frame.TopLine.Width=\"3\" Shape=\"2\"");
  // Frame style changed: sides that follow it are left to it.
  shape->Frame()->SetStyle(fsDot);
  shape->Frame()->BottomLine()->SetStyle(fsDouble);
  EXPECT_EQ(shape->DiffAttributes(*reference),
            " Frame.Style=\"2\" Frame.LeftLine.Color=\"255\" Frame.TopLine.Width=\"3\" Frame.BottomLine.Style=\"5\""
            " Shape=\"2\"");
}

TEST(DiffAttributes, BandsPicturesAndGroupHeaders) {
  DiffFixture f;
  auto* otherBand = named<TfrxMasterData>(f.band->Parent(), "B2");
  EXPECT_EQ(f.band->DiffAttributes(*otherBand), " t=\"0\"");
  otherBand->SetTop(40);
  otherBand->SetHeight(20);
  EXPECT_EQ(otherBand->DiffAttributes(*f.band), " t=\"40\" h=\"20\"");

  auto* reference = named<TfrxPictureView>(f.band, "R");
  auto* picture = named<TfrxPictureView>(f.band, "Pic");
  EXPECT_EQ(picture->DiffAttributes(*reference), " ImageIndex=\"-1\"");
  picture->SetImageIndex(3);
  picture->SetTransparent(true);
  picture->SetTransparentColor(clRed);
  EXPECT_EQ(picture->DiffAttributes(*reference), " ImageIndex=\"3\" Transparent=\"1\" TransparentColor=\"255\"");

  auto* group = named<TfrxGroupHeader>(f.band->Parent(), "G");
  auto* groupReference = named<TfrxGroupHeader>(f.band->Parent(), "G0");
  group->SetTop(groupReference->Top());
  group->SetDrillName("G_1");
  EXPECT_EQ(group->DiffAttributes(*groupReference), " t=\"0\"");
  group->SetDrillDown(true);
  EXPECT_EQ(group->DiffAttributes(*groupReference), " t=\"0\" DrillName=\"G_1\"");
}

// --- Copying ------------------------------------------------------------------

TEST(Copying, AssignCopiesPropertiesAndKeepsNameAndChildren) {
  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "P");
  auto* source = named<TfrxMasterData>(page, "Zrodlo");
  source->SetBounds(0, 10, 500, 30);
  source->SetStretched(true);
  named<TfrxMemoView>(source, "W");
  auto* target = named<TfrxMasterData>(page, "Cel");
  target->SetVisible(false);
  target->SetDataSetName("Stare");
  target->SetOutlineText("stary");
  auto* kept = named<TfrxMemoView>(target, "Zostaje");

  target->Assign(source);
  EXPECT_EQ(target->Name(), "Cel");
  EXPECT_EQ(target->Objects(), QList<TfrxComponent*>({kept}));
  // Values at their defaults in the source replace the target's too.
  EXPECT_TRUE(target->Visible());
  EXPECT_EQ(target->DataSetName(), "");
  EXPECT_EQ(target->OutlineText(), "");
  EXPECT_EQ(target->Height(), 30);
  EXPECT_TRUE(target->Stretched());
  EXPECT_FALSE(target->IsLoading());
  EXPECT_EQ(report.Errors(), QStringList());
}

TEST(Copying, AssignReplacesPicturesAndTheReportsLists) {
  TfrxPictureView withPicture;
  withPicture.Picture()->LoadFromData(encodeImage(sampleImage(), "png"));
  TfrxPictureView without;
  withPicture.Assign(&without);
  EXPECT_TRUE(withPicture.Picture()->IsEmpty());
  without.Assign(&withPicture);
  EXPECT_TRUE(without.Picture()->IsEmpty());
  withPicture.Picture()->LoadFromData(encodeImage(sampleImage(), "bmp"));
  without.Assign(&withPicture);
  EXPECT_EQ(without.Picture()->Data(), withPicture.Picture()->Data());

  TfrxReport source;
  source.DataSets()->Add()->SetDataSetName("Wpisy");
  TfrxReport target;
  target.Variables()->Add()->SetName("Stara");
  target.Styles()->Add()->SetName("Stary");
  target.Assign(&source);
  ASSERT_EQ(target.DataSets()->Count(), 1);
  EXPECT_EQ(target.DataSets()->Item(0)->DataSetName(), "Wpisy");
  EXPECT_EQ(target.Variables()->Count(), 0);
  EXPECT_EQ(target.Styles()->Count(), 0);
}

TEST(Copying, AssignWithChildrenReplacesTheChildren) {
  TfrxReport first;
  auto* source = named<TfrxReportPage>(&first, "Strona");
  auto* band = named<TfrxMasterData>(source, "Pasmo");
  auto* child = named<TfrxChild>(source, "Dziecko");
  band->SetChild(child);
  named<TfrxMemoView>(band, "Tekst")->SetText("abc");
  source->SetPaperSize(11);

  TfrxReport second;
  auto* target = named<TfrxReportPage>(&second, "Cel");
  named<TfrxMemoView>(target, "Stary");
  target->AssignWithChildren(source);
  EXPECT_EQ(target->Name(), "Cel");
  EXPECT_EQ(second.FindObject("Stary"), nullptr);
  EXPECT_EQ(differences(*source, *target), QStringList({".Name: Strona / Cel"}));
  // References point into the target's report.
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(second.FindObject("Pasmo"))->Child(), second.FindObject("Dziecko"));
}

// --- Style sheet files --------------------------------------------------------

TEST(StyleSheets, SavedAsStyleWithItems) {
  TfrxStyles styles;
  styles.SetName("Firmowe");
  TfrxStyleItem* title = styles.Add();
  title->SetName("Tytul");
  title->SetColor(clSilver);
  title->Font()->SetStyle(fsBold);
  title->Frame()->SetTyp(ftBottom);
  styles.Add()->SetName("Zwykly");
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  styles.SaveToStream(buffer);
  EXPECT_EQ(buffer.data(),
            kHeader +
                "<style Name=\"Firmowe\">\r\n"
                "  <item Name=\"Tytul\" Color=\"12632256\" Font.Charset=\"1\" Font.Color=\"0\" Font.Height=\"-13\""
                " Font.Name=\"Arial\" Font.Style=\"1\" Frame.Typ=\"8\"/>\r\n"
                "  <item Name=\"Zwykly\" Color=\"536870911\" Font.Charset=\"1\" Font.Color=\"0\" Font.Height=\"-13\""
                " Font.Name=\"Arial\"/>\r\n"
                "</style>\r\n");
}

TEST(StyleSheets, LoadingReplacesTheStylesAndAppliesThem) {
  TfrxReport report;
  auto* band = named<TfrxMasterData>(named<TfrxReportPage>(&report, "P"), "B");
  report.Styles()->Add()->SetName("Tytul");
  report.Styles()->Add()->SetName("Znika");
  auto* titled = named<TfrxMemoView>(band, "M1");
  titled->SetStyle("Tytul");
  auto* orphan = named<TfrxMemoView>(band, "M2");
  orphan->SetStyle("Znika");

  QBuffer sheet;
  sheet.setData(kHeader +
                "<STYLE Name=\"Nowe\"><item Name=\"tytul\" Color=\"255\" Font.Name=\"Tahoma\" Frame.Typ=\"15\"/>"
                "<other Name=\"X\"/><item Name=\"Drugi\" Color=\"oops\"/></STYLE>");
  sheet.open(QIODevice::ReadOnly);
  EXPECT_EQ(report.Styles()->LoadFromStream(sheet),
            QStringList({"Nieprawidłowa wartość właściwości Color: \"oops\""}));
  EXPECT_EQ(report.Styles()->Name(), "Nowe");
  ASSERT_EQ(report.Styles()->Count(), 2);
  EXPECT_EQ(report.Styles()->Item(0)->Name(), "tytul");
  EXPECT_EQ(report.Styles()->Item(1)->Name(), "Drugi");
  EXPECT_EQ(titled->Color(), clRed);
  EXPECT_EQ(titled->Font()->Name(), "Tahoma");
  EXPECT_EQ(titled->Frame()->Typ(), ftLeft | ftRight | ftTop | ftBottom);
  EXPECT_EQ(orphan->Style(), "");

  // Another root loads nothing.
  QBuffer other;
  other.setData(kHeader + "<variables><item Name=\"x\"/></variables>");
  other.open(QIODevice::ReadOnly);
  EXPECT_EQ(report.Styles()->LoadFromStream(other), QStringList());
  EXPECT_EQ(report.Styles()->Count(), 0);
}

// --- Pictures -----------------------------------------------------------------

TEST(Pictures, BitmapJpegAndPngRoundTripAndDecode) {
  const QImage original = sampleImage();
  for (const char* format : {"bmp", "jpeg", "png"}) {
    SCOPED_TRACE(format);
    const QByteArray file = encodeImage(original, format);
    TfrxReport report;
    auto* view = named<TfrxPictureView>(named<TfrxMasterData>(named<TfrxReportPage>(&report, "P"), "B"), "Obraz");
    ASSERT_TRUE(view->Picture()->LoadFromData(file));
    const QString graphicClass = view->Picture()->GraphicClass();

    // Property data: "Data", binary, then the length-prefixed class name and
    // the file (bitmaps and JPEG behind their size).
    QByteArray blob = char(graphicClass.size()) + graphicClass.toLatin1();
    if (graphicClass != "TPngImage") {
      const quint32 size = quint32(file.size());
      blob += QByteArray(reinterpret_cast<const char*>(&size), 4);
    }
    blob += file;
    const quint32 blobSize = quint32(blob.size());
    const QByteArray data = QByteArray("\x04" "Data" "\x0A", 6) +
                            QByteArray(reinterpret_cast<const char*>(&blobSize), 4) + blob;
    const QByteArray written = saveDocument(report);
    EXPECT_TRUE(written.contains(" Picture.PropData=\"" + frxBytesToHex(data).toLatin1() + "\""));

    TfrxReport loaded;
    ASSERT_TRUE(loadDocument(loaded, written));
    EXPECT_EQ(loaded.Errors(), QStringList());
    auto* back = qobject_cast<TfrxPictureView*>(loaded.FindObject("Obraz"));
    EXPECT_EQ(back->Picture()->GraphicClass(), graphicClass);
    EXPECT_EQ(back->Picture()->Data(), file);
    EXPECT_EQ(saveDocument(loaded), written);

    // Decoded with our decoders; the lossy one within a few steps of Qt's.
    const QImage decoded = back->Picture()->Image();
    const QImage reference = QString(format) == "jpeg" ? QImage::fromData(file) : original;
    ASSERT_EQ(decoded.size(), original.size());
    const int tolerance = QString(format) == "jpeg" ? 3 : 0;
    for (int y = 0; y < decoded.height(); ++y)
      for (int x = 0; x < decoded.width(); ++x) {
        const QRgb a = decoded.pixel(x, y), b = reference.pixel(x, y);
        EXPECT_LE(std::abs(qRed(a) - qRed(b)), tolerance) << x << "," << y;
        EXPECT_LE(std::abs(qGreen(a) - qGreen(b)), tolerance) << x << "," << y;
        EXPECT_LE(std::abs(qBlue(a) - qBlue(b)), tolerance) << x << "," << y;
      }
  }
}

TEST(Pictures, PngAlphaAndGrayJpeg) {
  QImage translucent(3, 2, QImage::Format_ARGB32);
  translucent.fill(qRgba(10, 20, 30, 128));
  const QImage png = pictures::decodePng(encodeImage(translucent, "png"));
  EXPECT_EQ(png.pixel(2, 1), qRgba(10, 20, 30, 128));
  QImage gray(4, 4, QImage::Format_Grayscale8);
  gray.fill(200);
  const QImage jpeg = pictures::decodeJpeg(encodeImage(gray, "jpeg"));
  ASSERT_EQ(jpeg.size(), QSize(4, 4));
  EXPECT_NEAR(qRed(jpeg.pixel(1, 1)), 200, 2);
  EXPECT_EQ(qRed(jpeg.pixel(1, 1)), qBlue(jpeg.pixel(1, 1)));
}

TEST(Pictures, OtherKindsKeepTheirBytesAndDamageIsReported) {
  // An icon and a metafile are written back as they came.
  const QByteArray icon = QByteArray("\x00\x00\x01\x00\x01\x00", 6) + "rest of an icon";
  TfrxPictureView view;
  ASSERT_TRUE(view.Picture()->LoadFromData(icon));
  EXPECT_EQ(view.Picture()->GraphicClass(), "TIcon");
  EXPECT_TRUE(view.Picture()->Image().isNull());
  EXPECT_FALSE(view.Picture()->LoadFromData("plain text"));

  const auto documentWith = [](const QByteArray& blob) {
    const quint32 size = quint32(blob.size());
    const QByteArray data = QByteArray("\x04" "Data" "\x0A", 6) + QByteArray(reinterpret_cast<const char*>(&size), 4) + blob;
    return kHeader + "<TfrxReport><TfrxReportPage Name=\"P\"><TfrxPictureView Name=\"V\" Picture.PropData=\"" +
           frxBytesToHex(data).toLatin1() + "\" Stretched=\"False\"/></TfrxReportPage></TfrxReport>";
  };
  const QByteArray metafile = QByteArray("\x09" "TMetafile" "\x0C\x00\x00\x00" "EMF?more", 22);
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, documentWith(metafile)));
  EXPECT_EQ(report.Errors(), QStringList());
  auto* loaded = qobject_cast<TfrxPictureView*>(report.FindObject("V"));
  EXPECT_EQ(loaded->Picture()->GraphicClass(), "TMetafile");
  EXPECT_EQ(loaded->Picture()->Data(), metafile.mid(10));
  EXPECT_TRUE(saveDocument(report).contains(frxBytesToHex(metafile).toLatin1()));

  struct Damage {
    QByteArray blob;
    QString error;
  } damages[] = {
      {QByteArray("\x09TPngImage", 10) + "not a png", "Nieprawidłowe dane obrazu TPngImage: "},
      {QByteArray("\x07TBitmap\xFF\x00\x00\x00", 12) + "BM", "Nieprawidłowe dane obrazu TBitmap: dane krótsze niż ich rozmiar"},
      {QByteArray("\x0ATJPEGImage\x02\x00\x00\x00\xFF\xD8", 17), "Nieprawidłowe dane obrazu TJPEGImage:"},
      {QByteArray("\x20TBitmap", 8), "Nieprawidłowe dane obrazu: urwana nazwa rodzaju"},
  };
  for (const Damage& damage : damages) {
    TfrxReport broken;
    ASSERT_TRUE(loadDocument(broken, documentWith(damage.blob)));
    ASSERT_EQ(broken.Errors().size(), 1);
    EXPECT_TRUE(broken.Errors()[0].startsWith(damage.error)) << broken.Errors()[0].toStdString();
    auto* view2 = qobject_cast<TfrxPictureView*>(broken.FindObject("V"));
    EXPECT_TRUE(view2->Picture()->IsEmpty());
    // The attributes after the damaged one are still read.
    EXPECT_FALSE(view2->Stretched());
  }
}

// --- The program's report ----------------------------------------------------

TEST(ProgramReport, RaportFr3ReadsWithoutErrorsAndResavesToItself) {
  QFile file(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, bytes));
  EXPECT_EQ(report.Errors(), QStringList());
  EXPECT_EQ(saveDocument(report), bytes);

  ASSERT_EQ(report.DataSets()->Count(), 1);
  EXPECT_EQ(report.DataSets()->Item(0)->DataSetName(), "Wpisy");
  const auto text = [&](const char* name) {
    auto* memo = qobject_cast<TfrxMemoView*>(report.FindObject(name));
    return memo ? memo->Text() : QStringLiteral("(none)");
  };
  const auto* title = report.FindObject("ReportTitle1");
  ASSERT_TRUE(qobject_cast<const TfrxReportTitle*>(title));
  // The module line names the module (and is empty without one).
  EXPECT_TRUE(text("Modul").contains("'Moduł: ' + <Wpisy.\"Modul\">"));
  EXPECT_EQ(report.FindObject("Modul")->Parent(), title);
  ASSERT_TRUE(qobject_cast<TfrxPageHeader*>(report.FindObject("PageHeader1")));
  auto* master = qobject_cast<TfrxMasterData*>(report.FindObject("MasterData1"));
  ASSERT_TRUE(master);
  EXPECT_EQ(master->DataSetName(), "Wpisy");
  QStringList shown;
  for (const TfrxComponent* object : master->Objects())
    shown << qobject_cast<const TfrxMemoView*>(object)->Text();
  EXPECT_EQ(shown, QStringList({"[Wpisy.\"Data\"]", "[Wpisy.\"Punkt\"]", "[Wpisy.\"Temperatura\"]",
                                "[Wpisy.\"Wilgotnosc\"]", "[Wpisy.\"Pracownik\"]"}));
  EXPECT_TRUE(text("Podsumowanie").contains("[COUNT(MasterData1)]"));
  for (const char* field : {"Temperatura", "Wilgotnosc"})
    for (const char* function : {"AVG", "MIN", "MAX"})
      EXPECT_TRUE(bytes.contains(QString("[%1(&#60;Wpisy.&#34;%2&#34;&#62;,MasterData1)]").arg(function, field).toUtf8()))
          << function << field;
  EXPECT_EQ(text("NumerStrony"), "Strona [Page#] z [TotalPages#]");
  EXPECT_TRUE(qobject_cast<TfrxPageFooter*>(report.FindObject("NumerStrony")->Parent()));
}

// --- Damaged documents --------------------------------------------------------

TEST(DamagedDocuments, EveryOneEndsInErrors) {
  const QDir dir(QStringLiteral(VALMORO_TEST_DATA "/documents/damaged"));
  const QStringList files = dir.entryList(QDir::Files, QDir::Name);
  EXPECT_GE(files.size(), 15);
  for (const QString& name : files) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TfrxReport report;
    loadDocument(report, file.readAll());
    EXPECT_FALSE(report.Errors().isEmpty()) << name.toStdString();
    // Whatever was read writes and reads back cleanly.
    TfrxReport again;
    EXPECT_TRUE(loadDocument(again, saveDocument(report))) << name.toStdString();
    EXPECT_EQ(again.Errors(), QStringList()) << name.toStdString();
  }
}

// Inputs the fuzzer found: whatever they load to must write and read back to
// the same bytes.
TEST(DamagedDocuments, FuzzFindingsWriteAndReadBackStably) {
  const QDir dir(QStringLiteral(VALMORO_TEST_DATA "/documents/fuzz"));
  const QStringList files = dir.entryList(QDir::Files, QDir::Name);
  EXPECT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TfrxReport report;
    loadDocument(report, file.readAll());
    const QByteArray first = saveDocument(report);
    TfrxReport again;
    ASSERT_TRUE(loadDocument(again, first)) << name.toStdString();
    EXPECT_EQ(again.Errors(), QStringList()) << name.toStdString();
    EXPECT_EQ(saveDocument(again), first) << name.toStdString();
  }
}

// What the document fuzzer does with every input: read, write, read that
// back and write again to the same bytes, then copy every object and take
// its compact form against the copy.
QByteArray fuzzerRoundTrip(const QString& name) {
  QFile file(QStringLiteral(VALMORO_TEST_DATA "/documents/fuzz/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  QByteArray bytes = file.readAll();
  QBuffer input(&bytes);
  input.open(QIODevice::ReadOnly);
  TfrxReport report;
  if (!readReportDocument(report, input)) return QByteArray();
  const auto write = [](const TfrxReport& r) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    writeReportDocument(r, out);
    return out.data();
  };
  QByteArray first = write(report);
  QBuffer second(&first);
  second.open(QIODevice::ReadOnly);
  TfrxReport again;
  EXPECT_TRUE(readReportDocument(again, second)) << name.toStdString();
  EXPECT_EQ(again.Errors(), QStringList()) << name.toStdString();
  EXPECT_EQ(write(again), first) << name.toStdString();
  for (TfrxComponent* object : report.AllObjects()) {
    std::unique_ptr<TfrxComponent> copy(createObject(object->ClassName()));
    if (!copy) continue;
    copy->Assign(object);
    (void)object->DiffAttributes(*copy);
  }
  return first;
}

TEST(DamagedDocuments, LinesEndingInABreakSurviveResaving) {
  // A script ending in a lone carriage return: two empty lines after begin.
  const QByteArray script = fuzzerRoundTrip("08-script-ending-in-a-lone-carriage-return.fr3");
  EXPECT_TRUE(script.contains(" ScriptText.Text=\"begin&#13;&#10;&#13;&#10;\"/>\r\n")) << script.constData();
  const QByteArray description = fuzzerRoundTrip("09-description-ending-in-a-line-break.fr3");
  EXPECT_TRUE(description.contains(" ReportOptions.Description.Text=\"pierwsza&#13;&#10;&#13;&#10;\" "))
      << description.constData();
  EXPECT_TRUE(description.contains(" ScriptText.Text=\"begin&#13;&#10;&#13;&#10;end.\"/>\r\n"));
}

TEST(DamagedDocuments, DataSetReferencesSurviveResaving) {
  // The data set takes the user name the view asks for only after the view
  // was read: it is found all the same, and pinned by its name.
  const QByteArray late = fuzzerRoundTrip("10-data-set-named-before-it-has-that-name.fr3");
  EXPECT_TRUE(late.contains(" DataField=\"Temperatura\" DataSet=\"Dane1\" DataSetName=\"Pomiary\" "))
      << late.constData();
  // A data set without a name is referred to by its user name alone.
  const QByteArray nameless = fuzzerRoundTrip("11-data-set-without-a-name.fr3");
  EXPECT_FALSE(nameless.contains("DataSet=\"\"")) << nameless.constData();
  EXPECT_TRUE(nameless.contains(" DataField=\"Temperatura\" DataSetName=\"Pomiary\" "));
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, nameless));
  auto* memo = qobject_cast<TfrxMemoView*>(report.FindObject("Tekst"));
  ASSERT_TRUE(memo);
  ASSERT_TRUE(memo->DataSet());
  EXPECT_EQ(memo->DataSet()->Name(), "");
  EXPECT_EQ(memo->DataSet()->UserName(), "Pomiary");
}

}  // namespace
}  // namespace valmoro::report
