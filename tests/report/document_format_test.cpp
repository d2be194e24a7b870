// Report documents: writing by reflection, reading back, references, the
// tolerant reading rules and the errors a read collects.

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <cmath>

#include "document_support.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/hooks.h"
#include "report/model/line_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report_lists.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/serializer.h"
#include "report/model/shape_view.h"
#include "report/model/style.h"
#include "report/model/subreport.h"

namespace valmoro::report {
namespace {

using testing::differences;
using testing::kHeader;
using testing::loadDocument;
using testing::saveDocument;

QByteArray encodeImage(const char* format) {
  QImage image(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(40 * x, 80 * y, 200 - 30 * x));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(100);
  EXPECT_TRUE(writer.write(image)) << format;
  return buffer.data();
}

template <class T>
T* named(TfrxComponent* parent, const char* name) {
  auto* object = new T(parent);
  object->SetName(QString::fromLatin1(name));
  return object;
}

// A report with every registered class, every kind of property, the three
// lists and pictures of every kind; references point forwards and backwards.
void buildFullReport(TfrxReport& report) {
  report.SetDotMatrixReport(true);
  report.SetParentReport("wzor.fr3");
  report.EngineOptions()->SetDoublePass(true);
  report.EngineOptions()->SetMaxMemSize(25);
  report.EngineOptions()->SetNewSilentMode(simReThrow);
  report.EngineOptions()->SetTempDir("/tmp/raporty");
  report.PreviewOptions()->SetButtons(TfrxPreviewButtons(pbPrint | pbZoom | pbNoEmail));
  report.PreviewOptions()->SetZoom(1.25);
  report.PreviewOptions()->SetZoomMode(zmPageWidth);
  report.PrintOptions()->SetCopies(3);
  report.PrintOptions()->SetPrintMode(pmSplit);
  report.PrintOptions()->SetPrinter("Biuro <A4>");
  report.ReportOptions()->SetAuthor(QString::fromUtf8("Łucja"));
  report.ReportOptions()->SetCreateDate(46001.25);
  report.ReportOptions()->SetLastChange(46002.75);
  report.ReportOptions()->SetDescription({"pierwsza", "", "trzecia"});
  report.ReportOptions()->SetName("Raport \"pełny\"");
  report.ReportOptions()->SetPassword("Tajne!");
  report.ReportOptions()->Picture()->LoadFromData(encodeImage("png"));
  report.SetScriptLanguage("JScript");
  report.SetScriptText({"function f() {", "  return 1;", "}"});
  report.SetShowProgress(false);
  report.SetOnStartReport("Poczatek");
  report.SetLeft(120);
  report.SetTop(-40);

  TfrxStyleItem* style = report.Styles()->Add();
  style->SetName("Naglowek");
  style->SetColor(0x00E0E0E0);
  style->Font()->SetStyle(fsBold | fsItalic);
  style->Frame()->SetTyp(ftLeft | ftRight | ftTop | ftBottom);
  TfrxVariable* category = report.Variables()->Add();
  category->SetName(" Obliczenia");
  TfrxVariable* variable = report.Variables()->Add();
  variable->SetName("Iloczyn");
  variable->SetValue("2*3");
  TfrxVariable* lines = report.Variables()->Add();
  lines->SetName("Dwie");
  lines->SetValue("a\r\nb");

  auto* data = named<TfrxDataPage>(&report, "Data");
  auto* dataSet = named<TfrxUserDataSet>(data, "Dane1");
  dataSet->SetUserName("Pomiary");
  report.DataSets()->Add()->SetDataSet(dataSet);
  report.DataSets()->Add()->SetDataSetName("Wpisy");

  auto* dialog = named<TfrxDialogPage>(&report, "Okno");
  dialog->SetCaption(QString::fromUtf8("Wybór"));
  dialog->SetBorderStyle(bsDialog);
  dialog->SetBounds(10, 20, 300, 200);
  dialog->SetOnShow("OknoShow");

  auto* page = named<TfrxReportPage>(&report, "Strona1");
  page->SetOrientation(poLandscape);
  page->SetLeftMargin(12.5);
  page->SetTopMargin(7);
  page->SetColumns(2);
  page->SetHGuides({"10", "20,5"});
  page->SetColor(0x00FFEEDD);
  page->Frame()->SetTyp(ftTop);
  page->Frame()->SetWidth(2);
  page->SetDuplex(dmVertical);
  page->SetOutlineText("Strona <1>");
  page->SetBin(3);
  page->BackPicture()->LoadFromData(encodeImage("bmp"));

  auto* title = named<TfrxReportTitle>(page, "Tytul");
  title->SetBounds(0, 0, 700, 40);
  auto* master = named<TfrxMasterData>(page, "Dane");
  master->SetBounds(0, 60, 700, 20.5);
  master->SetDataSet(dataSet);
  master->SetColumns(2);
  master->SetColumnWidth(340);
  master->SetRowCount(5);
  master->SetOnMasterDetail("Szczegoly");
  ReportFont bandFont;
  bandFont.SetName("Courier New");
  bandFont.SetSize(9);
  master->SetFont(&bandFont);

  named<TfrxMemoView>(master, "ZeStylem")->SetStyle("Naglowek");
  // Changed after its style was applied: the changes stay.
  auto* memo = named<TfrxMemoView>(master, "Tekst");
  memo->SetStyle("Naglowek");
  memo->SetBounds(1.5, 2, 200.25, 18);
  memo->SetText("<b> & \"cudzysłów\"\r\ndruga linia");
  memo->SetHAlign(haBlock);
  memo->SetGapX(3.5);
  memo->SetRestrictions(rfDontSize | rfDontMove);
  memo->SetVisible(false);
  memo->SetTag(-7);
  memo->SetAlign(baWidth);
  memo->SetURL("http://example.org/?a=1&b=2");
  memo->DisplayFormat()->SetKind(fkNumeric);
  memo->DisplayFormat()->SetFormatStr("#,##0.00");
  memo->Highlight()->SetCondition("Value < 0");
  memo->Highlight()->SetColor(clRed);
  memo->Frame()->LeftLine()->SetColor(0x0000FF00);
  memo->Frame()->BottomLine()->SetWidth(2.5);
  memo->SetDataSet(dataSet);
  memo->SetDataField("Temperatura");

  auto* sys = named<TfrxSysMemoView>(master, "Suma");
  sys->SetBounds(210, 2, 80, 18);
  sys->SetText("[SUM(<Wpisy.\"Temperatura\">)]");
  sys->SetColor(clBtnFace);
  auto* line = named<TfrxLineView>(master, "Kreska");
  line->SetBounds(0, 19, 700, 0);
  line->SetDiagonal(true);
  line->SetArrowEnd(true);
  line->SetArrowLength(12);
  line->Frame()->SetStyle(fsDashDot);
  auto* picture = named<TfrxPictureView>(master, "Obraz");
  picture->SetBounds(300, 0, 40, 20);
  picture->Picture()->LoadFromData(encodeImage("jpeg"));
  picture->SetTransparent(true);
  picture->SetImageIndex(4);
  auto* metafile = named<TfrxPictureView>(master, "Wektor");
  metafile->Picture()->SetGraphic("TMetafile", QByteArray("\x10\x00\x00\x00any bytes", 13));
  auto* shape = named<TfrxShapeView>(master, "Elipsa");
  shape->SetShape(skEllipse);
  shape->SetCurve(3);
  shape->SetBrushStyle(bsCross);
  auto* subreport = named<TfrxSubreport>(master, "Podraport");
  subreport->SetBounds(400, 0, 100, 20);

  auto* child = named<TfrxChild>(page, "Potomek");
  child->SetBounds(0, 90, 700, 10);
  title->SetChild(child);
  auto* more = named<TfrxMemoView>(child, "Dalej");
  memo->SetFlowTo(more);
  named<TfrxPageHeader>(page, "NaglowekStrony")->SetPrintOnFirstPage(false);
  named<TfrxPageFooter>(page, "StopkaStrony")->SetPrintOnLastPage(false);
  named<TfrxHeader>(page, "Naglowek")->SetReprintOnNewPage(true);
  named<TfrxFooter>(page, "Stopka")->SetAllowSplit(true);
  named<TfrxDetailData>(page, "Szczegoly")->SetKeepTogether(true);
  named<TfrxSubdetailData>(page, "Podszczegoly");
  named<TfrxDataBand4>(page, "Poziom4");
  named<TfrxDataBand5>(page, "Poziom5");
  named<TfrxDataBand6>(page, "Poziom6")->SetVertical(true);
  auto* group = named<TfrxGroupHeader>(page, "Grupa");
  group->SetCondition("Wpisy.\"Punkt\"");
  group->SetDrillDown(true);
  group->SetDrillName("Grupa_1");
  named<TfrxGroupFooter>(page, "KoniecGrupy")->SetHideIfSingleDataRecord(true);
  named<TfrxColumnHeader>(page, "NaglowekKolumny")->SetStretched(true);
  named<TfrxColumnFooter>(page, "StopkaKolumny");
  named<TfrxOverlay>(page, "Nakladka")->SetPrintOnTop(true);
  named<TfrxNullBand>(page, "Pusta");
  named<TfrxReportSummary>(page, "Podsumowanie")->SetStartNewPage(true);

  auto* second = named<TfrxReportPage>(&report, "Strona2");
  second->SetPaperSize(11);
  subreport->SetPage(second);
}

TEST(DocumentFormat, EveryClassAndPropertyKindRoundTrips) {
  TfrxReport report;
  buildFullReport(report);
  const QByteArray written = saveDocument(report);

  TfrxReport loaded;
  ASSERT_TRUE(loadDocument(loaded, written));
  EXPECT_EQ(loaded.Errors(), QStringList());
  EXPECT_EQ(differences(report, loaded), QStringList());
  EXPECT_EQ(saveDocument(loaded), written);

  // The lists and the report's own position came back through PropData.
  ASSERT_EQ(loaded.DataSets()->Count(), 2);
  EXPECT_EQ(loaded.DataSets()->Item(0)->DataSet(), loaded.FindObject("Dane1"));
  EXPECT_EQ(loaded.DataSets()->Item(0)->DataSetName(), "Pomiary");
  EXPECT_EQ(loaded.DataSets()->Item(1)->DataSetName(), "Wpisy");
  ASSERT_EQ(loaded.Variables()->Count(), 3);
  EXPECT_EQ(loaded.Variables()->Item(0)->Name(), " Obliczenia");
  EXPECT_EQ(loaded.Variables()->Item(2)->Value().toString(), "a\r\nb");
  ASSERT_EQ(loaded.Styles()->Count(), 1);
  EXPECT_EQ(differences(*report.Styles()->Item(0), *loaded.Styles()->Item(0)), QStringList());
  EXPECT_EQ(loaded.Left(), 120);
  EXPECT_EQ(loaded.Top(), -40);

  // References landed on the objects of the loaded tree.
  auto* title = qobject_cast<TfrxReportTitle*>(loaded.FindObject("Tytul"));
  ASSERT_TRUE(title);
  EXPECT_EQ(title->Child(), loaded.FindObject("Potomek"));
  auto* memo = qobject_cast<TfrxMemoView*>(loaded.FindObject("Tekst"));
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->FlowTo(), loaded.FindObject("Dalej"));
  auto* subreport = qobject_cast<TfrxSubreport*>(loaded.FindObject("Podraport"));
  ASSERT_TRUE(subreport);
  EXPECT_EQ(subreport->Page(), loaded.FindObject("Strona2"));
  EXPECT_EQ(qobject_cast<TfrxReportPage*>(loaded.FindObject("Strona2"))->Subreport(), subreport);

  // Pictures decode after the trip.
  auto* picture = qobject_cast<TfrxPictureView*>(loaded.FindObject("Obraz"));
  EXPECT_EQ(picture->Picture()->GraphicClass(), "TJPEGImage");
  EXPECT_EQ(picture->Picture()->Image().size(), QSize(5, 3));
  EXPECT_EQ(loaded.ReportOptions()->Picture()->Image().pixel(4, 2), qRgb(160, 160, 80));
  auto* page = qobject_cast<TfrxReportPage*>(loaded.FindObject("Strona1"));
  EXPECT_EQ(page->BackPicture()->GraphicClass(), "TBitmap");
  EXPECT_EQ(page->BackPicture()->Image().pixel(1, 1), qRgb(40, 80, 170));
}

TEST(DocumentFormat, AttributeTextsByKind) {
  TfrxReport report;
  buildFullReport(report);
  const QString written = QString::fromUtf8(saveDocument(report));
  const QStringList expected = {
      // Root: no Name; option records dotted; string lists as .Text.
      "<TfrxReport Version=\"4.9\" ParentReport=\"wzor.fr3\" DotMatrixReport=\"True\" "
      "EngineOptions.DoublePass=\"True\" EngineOptions.MaxMemSize=\"25\" EngineOptions.NewSilentMode=\"simReThrow\" "
      "EngineOptions.TempDir=\"/tmp/raporty\" IniFile=\"\\Software\\Rozi Razadaz\" PreviewOptions.Buttons=\"16401\" "
      "PreviewOptions.Zoom=\"1,25\" PreviewOptions.ZoomMode=\"zmPageWidth\" PrintOptions.Copies=\"3\" "
      "PrintOptions.Printer=\"Biuro &#60;A4&#62;\" PrintOptions.PrintMode=\"pmSplit\" ReportOptions.Author=\"Łucja\" "
      "ReportOptions.CreateDate=\"46001,25\" ReportOptions.Description.Text=\"pierwsza&#13;&#10;&#13;&#10;trzecia\" "
      "ReportOptions.Name=\"Raport &#34;pełny&#34;\" ReportOptions.LastChange=\"46002,75\" "
      "ReportOptions.Password=\"JW`d[\x17\" ReportOptions.Picture.PropData=\"",
      "ScriptLanguage=\"JScript\" ScriptText.Text=\"function f() {&#13;&#10;  return 1;&#13;&#10;}\" "
      "ShowProgress=\"False\" OnStartReport=\"Poczatek\" PropData=\"",
      // A set as its bit mask, a frame with all four sides as 15.
      "Restrictions=\"6\"",
      "HAlign=\"haBlock\"",
      "GapX=\"3,5\"",
      "Visible=\"False\"",
      "Tag=\"-7\"",
      // A system colour is a negative number.
      "Color=\"-16777201\"",
      "Frame.LeftLine.Color=\"65280\"",
      "Frame.BottomLine.Width=\"2,5\"",
      "URL=\"http://example.org/?a=1&#38;b=2\"",
      "FlowTo=\"Dalej\"",
      "Text=\"&#60;b&#62; &#38; &#34;cudzysłów&#34;&#13;&#10;druga linia\"/>",
      "<TfrxReportTitle Name=\"Tytul\" Height=\"40\" Left=\"0\" Top=\"0\" Width=\"700\" Child=\"Potomek\"/>",
      "<TfrxSubreport Name=\"Podraport\"",
      "Page=\"Strona2\"",
      "<TfrxNullBand Name=\"Pusta\"",
      "Picture.PropData=\"04446174610A",
      // A metafile's bytes go back as they came.
      "Picture.PropData=\"04446174610A170000000954",
  };
  for (const QString& part : expected) EXPECT_TRUE(written.contains(part)) << part.toStdString();
  // The style item in the report's property data: Frame.Typ="15".
  const QString hex = written.section("PropData=\"", 2, 2).section('"', 0, 0);
  EXPECT_TRUE(QString::fromUtf8(frxHexToBytes(hex)).contains(" Frame.Typ=\"15\"")) << hex.toStdString();
}

TEST(DocumentFormat, ReportListsAreListsOfAttributeTexts) {
  TfrxReport report;
  report.DataSets()->Add()->SetDataSetName("Wpisy");
  const QString written = QString::fromUtf8(saveDocument(report));
  // "Datasets", list, item list, the item's text as a short string, ends.
  const QByteArray expected = QByteArray("\x08" "Datasets" "\x01\x01\x06\x14", 13) +
                              " DataSetName=\"Wpisy\"" + QByteArray("\x00\x00", 2);
  EXPECT_TRUE(written.contains(" PropData=\"" + frxBytesToHex(expected) + "\"/>")) << written.toStdString();
}

TEST(DocumentFormat, EscapedTextTwoLinesTolerantNumbersAndBooleans) {
  const QByteArray document = kHeader +
      "<TfrxReport>\r\n"
      "  <TfrxReportPage Name=\"Page1\">\r\n"
      "    <TfrxMasterData Name=\"A\" Height=\"12,5\" Top=\"12.5\" Left=\" 1 000,5 \" Visible=\"0\""
      " Stretched=\"True\" KeepChild=\"1\" AllowSplit=\"false\" StartNewPage=\"TRUE\"/>\r\n"
      "    <TfrxMemoView Name=\"M\" HAlign=\"2\" VAlign=\"vacenter\" Frame.Typ=\"15\""
      " Text=\"&#60;&#62;&#38;&#34;&quot;&amp;&lt;&gt; &amp x\"/>\r\n"
      "    <TfrxMemoView Name=\"N\" Text=\"one&#13;&#10;two\" Color=\"-16777201\" Font.Color=\"4278190095\"/>\r\n"
      "  </TfrxReportPage>\r\n"
      "</TfrxReport>\r\n";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, document));
  EXPECT_EQ(report.Errors(), QStringList());
  auto* band = qobject_cast<TfrxMasterData*>(report.FindObject("A"));
  ASSERT_TRUE(band);
  EXPECT_EQ(band->Height(), 12.5);
  EXPECT_EQ(band->Top(), 12.5);
  EXPECT_EQ(band->Left(), 1000.5);
  EXPECT_FALSE(band->Visible());
  EXPECT_TRUE(band->Stretched());
  EXPECT_TRUE(band->KeepChild());
  EXPECT_FALSE(band->AllowSplit());
  EXPECT_TRUE(band->StartNewPage());
  auto* memo = qobject_cast<TfrxMemoView*>(report.FindObject("M"));
  EXPECT_EQ(memo->Text(), "<>&\"\"&<> &amp x");
  EXPECT_EQ(memo->HAlign(), haCenter);
  EXPECT_EQ(memo->VAlign(), vaCenter);
  EXPECT_EQ(memo->Frame()->Typ(), ftLeft | ftRight | ftTop | ftBottom);
  auto* two = qobject_cast<TfrxMemoView*>(report.FindObject("N"));
  EXPECT_EQ(two->Memo(), QStringList({"one", "two"}));
  EXPECT_EQ(two->Color(), clBtnFace);
  EXPECT_EQ(two->Font()->Color(), clBtnFace);

  // Written back: the two lines joined without a final break.
  const QString written = QString::fromUtf8(saveDocument(report));
  EXPECT_TRUE(written.contains("Text=\"one&#13;&#10;two\"/>")) << written.toStdString();
  EXPECT_TRUE(written.contains("Height=\"12,5\" Left=\"1000,5\" Top=\"12,5\" Visible=\"False\""));
}

// The value of the first attribute called so in a document, or "(none)".
QString attributeIn(const QByteArray& document, const QString& name) {
  const QString text = QString::fromUtf8(document);
  const QString key = QLatin1Char(' ') + name + QLatin1String("=\"");
  const qsizetype at = text.indexOf(key);
  if (at < 0) return QStringLiteral("(none)");
  const qsizetype start = at + key.size();
  return text.mid(start, text.indexOf(QLatin1Char('"'), start) - start);
}

TEST(DocumentFormat, LinesEndingInAnEmptyLineKeepItThroughSaving) {
  struct Case {
    QStringList lines;
    const char* written;
    QStringList read;
  };
  const Case cases[] = {
      {{"a", ""}, "a&#13;&#10;", {"a", ""}},
      {{"a"}, "a", {"a"}},
      {{}, "", {}},
      // An only, empty line and no line at all are written alike.
      {{""}, "", {}},
      {{"", ""}, "&#13;&#10;", {"", ""}},
      {{"begin", "", "end."}, "begin&#13;&#10;&#13;&#10;end.", {"begin", "", "end."}},
  };
  for (const Case& c : cases) {
    const QString label = "[" + c.lines.join("|") + "]";
    TfrxReport report;
    report.SetScriptText(c.lines);
    report.ReportOptions()->SetDescription(c.lines);
    auto* memo = named<TfrxMemoView>(named<TfrxReportPage>(&report, "P"), "M");
    memo->SetMemo(c.lines);
    const QByteArray first = saveDocument(report);
    EXPECT_EQ(attributeIn(first, "ScriptText.Text"), c.written) << label.toStdString();
    EXPECT_EQ(attributeIn(first, "ReportOptions.Description.Text"), c.written) << label.toStdString();
    EXPECT_EQ(attributeIn(first, "Text"), c.written) << label.toStdString();

    TfrxReport loaded;
    ASSERT_TRUE(loadDocument(loaded, first));
    EXPECT_EQ(loaded.ScriptText(), c.read) << label.toStdString();
    EXPECT_EQ(loaded.ReportOptions()->Description(), c.read) << label.toStdString();
    EXPECT_EQ(qobject_cast<TfrxMemoView*>(loaded.FindObject("M"))->Memo(), c.read) << label.toStdString();
    EXPECT_EQ(saveDocument(loaded), first) << label.toStdString();
  }
}

TEST(DocumentFormat, LineBreaksOfEveryKindReadAsWrittenWithAFinalOneAsAnEmptyLine) {
  struct Case {
    const char* stored;
    QStringList read;
    const char* written;
  };
  const Case cases[] = {
      {"a&#13;b", {"a", "b"}, "a&#13;&#10;b"},
      {"a&#13;", {"a", ""}, "a&#13;&#10;"},
      {"a&#10;b&#10;", {"a", "b", ""}, "a&#13;&#10;b&#13;&#10;"},
      {"begin&#13;&#10;&#13;", {"begin", "", ""}, "begin&#13;&#10;&#13;&#10;"},
      {"a&#10;&#13;b", {"a", "", "b"}, "a&#13;&#10;&#13;&#10;b"},
      {"&#13;&#10;", {"", ""}, "&#13;&#10;"},
  };
  for (const Case& c : cases) {
    const QByteArray value(c.stored);
    const QByteArray document = kHeader + "<TfrxReport ScriptText.Text=\"" + value + "\">"
                                "<TfrxReportPage Name=\"P\">"
                                "<TfrxMemoView Name=\"M\" Text=\"" + value + "\"/>"
                                "<TfrxMemoView Name=\"X\" x=\"" + value + "\"/>"
                                "</TfrxReportPage></TfrxReport>";
    TfrxReport report;
    ASSERT_TRUE(loadDocument(report, document));
    EXPECT_EQ(report.ScriptText(), c.read) << c.stored;
    EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("M"))->Memo(), c.read) << c.stored;
    EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("X"))->Memo(), c.read) << c.stored;
    const QByteArray first = saveDocument(report);
    EXPECT_EQ(attributeIn(first, "ScriptText.Text"), c.written) << c.stored;
    TfrxReport again;
    ASSERT_TRUE(loadDocument(again, first));
    EXPECT_EQ(again.ScriptText(), c.read) << c.stored;
    EXPECT_EQ(saveDocument(again), first) << c.stored;
  }
}

TEST(DocumentFormat, DataSetNamesResolveWhateverTheOrderOfTheElements) {
  // The views come before the data page; the data set gets the user name
  // they ask for only when its element comes round a second time.
  const QByteArray document = kHeader +
      "<TfrxReport>"
      "<TfrxReportPage Name=\"P\">"
      "<TfrxMasterData Name=\"B\" DataSetName=\"Pomiary\"/>"
      "<TfrxMemoView Name=\"M\" DataSetName=\"Pomiary\" DataField=\"Temperatura\"/>"
      "<TfrxMemoView Name=\"Lost\" DataSetName=\"Nigdzie\"/>"
      "</TfrxReportPage>"
      "<TfrxDataPage Name=\"Data\"><TfrxUserDataSet Name=\"DS1\"/></TfrxDataPage>"
      "<TfrxDataPage Name=\"Data\"><TfrxUserDataSet Name=\"DS1\" UserName=\"Pomiary\"/></TfrxDataPage>"
      "</TfrxReport>";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, document));
  EXPECT_EQ(report.Errors(), QStringList());
  TfrxComponent* dataSet = report.FindObject("DS1");
  ASSERT_TRUE(dataSet);
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(report.FindObject("B"))->DataSet(), dataSet);
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("M"))->DataSet(), dataSet);
  // A name nothing answers to stays a name.
  auto* lost = qobject_cast<TfrxMemoView*>(report.FindObject("Lost"));
  EXPECT_EQ(lost->DataSet(), nullptr);
  EXPECT_EQ(lost->DataSetName(), "Nigdzie");

  const QByteArray first = saveDocument(report);
  EXPECT_TRUE(first.contains("<TfrxMasterData Name=\"B\" Height=\"0\" Left=\"0\" Top=\"0\" Width=\"0\" "
                             "ColumnWidth=\"0\" ColumnGap=\"0\" DataSet=\"DS1\" DataSetName=\"Pomiary\""))
      << first.constData();
  EXPECT_TRUE(first.contains("DataField=\"Temperatura\" DataSet=\"DS1\" DataSetName=\"Pomiary\""));
  EXPECT_TRUE(first.contains("<TfrxMemoView Name=\"Lost\" Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" "
                             "DataSetName=\"Nigdzie\" Text=\"\"/>"));
  TfrxReport again;
  ASSERT_TRUE(loadDocument(again, first));
  EXPECT_EQ(saveDocument(again), first);
}

TEST(DocumentFormat, ADataSetWithoutANameIsReferredToByItsUserNameOnly) {
  TfrxReport report;
  // The page comes first: its views are written before the data set.
  auto* page = named<TfrxReportPage>(&report, "P");
  auto* memo = named<TfrxMemoView>(page, "M");
  auto* band = named<TfrxMasterData>(page, "B");
  auto* dataSet = new TfrxUserDataSet(named<TfrxDataPage>(&report, "Data"));
  dataSet->SetUserName("Pomiary");
  memo->SetDataSet(dataSet);
  band->SetDataSet(dataSet);

  const QByteArray first = saveDocument(report);
  EXPECT_FALSE(first.contains("DataSet=\"")) << first.constData();
  EXPECT_TRUE(first.contains("<TfrxMemoView Name=\"M\" Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" "
                             "DataSetName=\"Pomiary\" Text=\"\"/>"))
      << first.constData();
  TfrxReport loaded;
  ASSERT_TRUE(loadDocument(loaded, first));
  EXPECT_EQ(loaded.Errors(), QStringList());
  const auto* found = qobject_cast<TfrxMemoView*>(loaded.FindObject("M"))->DataSet();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->UserName(), "Pomiary");
  EXPECT_EQ(found->Report(), &loaded);
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(loaded.FindObject("B"))->DataSet(), found);
  EXPECT_EQ(saveDocument(loaded), first);

  // A copy finds it by the user name as well.
  auto* copy = named<TfrxMemoView>(page, "Kopia");
  copy->Assign(memo);
  EXPECT_EQ(copy->DataSet(), dataSet);
}

TEST(DocumentFormat, ReferencesWrittenBeforeTheirTargetsResolveAtTheEnd) {
  const QByteArray document = kHeader +
      "<TfrxReport PropData=\"" + frxBytesToHex(QByteArray("\x08" "Datasets" "\x01\x01\x06\x0e", 13) +
                                                 " DataSet=\"DS1\"" + QByteArray("\x00\x00", 2)).toLatin1() + "\">"
      "<TfrxReportPage Name=\"Page1\">"
      "<TfrxMasterData Name=\"Band1\" Child=\"CHILD1\"/>"
      "<TfrxMemoView Name=\"Memo1\" FlowTo=\"Memo2\"/>"
      "<TfrxMemoView Name=\"Memo2\" FlowTo=\"NoSuchMemo\"/>"
      "<TfrxChild Name=\"Child1\" Child=\"Memo1\"/>"
      "</TfrxReportPage>"
      "<TfrxDataPage Name=\"Data\"><TfrxUserDataSet Name=\"DS1\"/></TfrxDataPage>"
      "</TfrxReport>";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, document));
  // Unresolvable and wrongly typed references stay empty without a message.
  EXPECT_EQ(report.Errors(), QStringList());
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(report.FindObject("Band1"))->Child(), report.FindObject("Child1"));
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("Memo1"))->FlowTo(), report.FindObject("Memo2"));
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("Memo2"))->FlowTo(), nullptr);
  EXPECT_EQ(qobject_cast<TfrxChild*>(report.FindObject("Child1"))->Child(), nullptr);
  ASSERT_EQ(report.DataSets()->Count(), 1);
  EXPECT_EQ(report.DataSets()->Item(0)->DataSet(), report.FindObject("DS1"));
  EXPECT_EQ(report.DataSets()->Item(0)->DataSetName(), "DS1");
}

TEST(DocumentFormat, ComponentsOutsideTheReportComeFromTheFinder) {
  TfrxUserDataSet application;
  application.SetName("frxDBDataset1");
  application.SetUserName("Wpisy");
  hooks::setComponentFinder([&](const QString& name, const TfrxReport*) -> TfrxComponent* {
    if (name == "Broken") throw ReportError("no forms");
    return name.compare("frxDBDataset1", Qt::CaseInsensitive) == 0 ? &application : nullptr;
  });
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, kHeader + "<TfrxReport><TfrxReportPage Name=\"P\">"
                                             "<TfrxMasterData Name=\"B\" DataSet=\"frxDBDataset1\"/>"
                                             "</TfrxReportPage></TfrxReport>"));
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(report.FindObject("B"))->DataSet(), &application);
  EXPECT_EQ(qobject_cast<TfrxMasterData*>(report.FindObject("B"))->DataSetName(), "Wpisy");
  // Written back by its name.
  EXPECT_TRUE(saveDocument(report).contains("DataSet=\"frxDBDataset1\" DataSetName=\"Wpisy\""));

  // A search that fails fails the read.
  TfrxReport broken;
  EXPECT_FALSE(loadDocument(broken, kHeader + "<TfrxReport><TfrxReportPage Name=\"P\">"
                                              "<TfrxMasterData Name=\"B\" DataSet=\"Broken\"/>"
                                              "</TfrxReportPage></TfrxReport>"));
  EXPECT_EQ(broken.Errors(), QStringList({"Missing Broken"}));
  hooks::setComponentFinder(nullptr);
}

TEST(DocumentFormat, UnknownClassesAndBadValuesAreListedAndReadingGoesOn) {
  const QByteArray document = kHeader +
      "<TfrxReport>"
      "<TfrxReportPage Name=\"Page1\">"
      "<TfrxFancyView Name=\"F1\"><TfrxMemoView Name=\"Hidden\"/></TfrxFancyView>"
      "<TfrxMasterData Name=\"Band1\" Height=\"abc\" Top=\"5\" Columns=\"9999999999\" Visible=\"2\" Width=\"7\"/>"
      "<TfrxFancyView Name=\"F2\"/>"
      "<TfrxMemoView Name=\"Memo1\" HAlign=\"haSideways\" VAlign=\"7\" Left=\"3\" Unknown=\"x\" Name=\"1x\"/>"
      "<TfrxMemoView Name=\"Memo2\" Text=\"ok\"/>"
      "<TfrxChild Name=\"Child1\" Child=\"Child1\"/>"
      "</TfrxReportPage>"
      "</TfrxReport>";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, document));
  // Sorted, each once; the unknown class's children went with it.
  EXPECT_EQ(report.Errors(), QStringList({
                                 "''1x'' is not a valid component name",
                                 "Circular child reference is not allowed",
                                 "Nie znaleziono klasy TfrxFancyView",
                                 "Nieprawidłowa wartość właściwości Columns: \"9999999999\"",
                                 "Nieprawidłowa wartość właściwości HAlign: \"haSideways\"",
                                 "Nieprawidłowa wartość właściwości Height: \"abc\"",
                                 "Nieprawidłowa wartość właściwości VAlign: \"7\"",
                                 "Nieprawidłowa wartość właściwości Visible: \"2\"",
                             }));
  EXPECT_EQ(report.FindObject("Hidden"), nullptr);
  auto* band = qobject_cast<TfrxMasterData*>(report.FindObject("Band1"));
  ASSERT_TRUE(band);
  EXPECT_EQ(band->Top(), 5);
  EXPECT_EQ(band->Width(), 7);
  EXPECT_TRUE(band->Visible());
  auto* memo = qobject_cast<TfrxMemoView*>(report.FindObject("Memo1"));
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->Left(), 3);
  EXPECT_EQ(memo->HAlign(), haLeft);
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("Memo2"))->Text(), "ok");
  EXPECT_EQ(report.AllObjects().size(), 5);
}

TEST(DocumentFormat, MalformedCutOffAndCommentedDocuments) {
  TfrxReport report;
  // An end tag in other letter case fails the whole load.
  EXPECT_FALSE(loadDocument(report, kHeader + "<TfrxReport><TfrxReportPage Name=\"P\"></tfrxreportpage></TfrxReport>"));
  EXPECT_EQ(report.Errors(), QStringList({"Invalid file format"}));
  EXPECT_TRUE(report.Objects().isEmpty());
  EXPECT_FALSE(loadDocument(report, "<TfrxReport/>"));
  EXPECT_EQ(report.Errors(), QStringList({"Invalid file format"}));

  // Cut off between two tags: what was read loads (nothing is lost for
  // the designer), and the document is reported as damaged.
  ASSERT_TRUE(loadDocument(report, kHeader + "<TfrxReport ReportOptions.Name=\"X\">\r\n"
                                             "  <TfrxReportPage Name=\"P\">\r\n"
                                             "    <TfrxMasterData Name=\"B\" Height=\"20\">\r\n"
                                             "      <TfrxMemoView Name=\"M\" Text=\"a\"/>\r\n"));
  EXPECT_EQ(report.Errors(), QStringList({"Dokument jest uszkodzony: kończy się przed zamknięciem elementu "
                                          "TfrxReport; wczytano tylko jego początek."}));
  EXPECT_EQ(report.ReportOptions()->Name(), "X");
  ASSERT_TRUE(report.FindObject("M"));
  EXPECT_EQ(report.FindObject("M")->Parent(), report.FindObject("B"));

  // Whole after its root's end tag, whatever follows (blanks, comments).
  ASSERT_TRUE(loadDocument(report, kHeader + "<TfrxReport><TfrxReportPage Name=\"P\"/></TfrxReport>\r\n"));
  EXPECT_EQ(report.Errors(), QStringList());

  // Comments anywhere between tags are skipped.
  ASSERT_TRUE(loadDocument(report, kHeader + "<!-- przed -->\r\n<TfrxReport><!-- <TfrxMemoView Name=\"No\"/> -->"
                                             "<TfrxReportPage Name=\"P\"><!---->"
                                             "<TfrxMemoView Name=\"Yes\"/><!-- po --></TfrxReportPage>"
                                             "</TfrxReport><!-- koniec -->"));
  EXPECT_EQ(report.Errors(), QStringList());
  EXPECT_TRUE(report.FindObject("Yes"));
  EXPECT_FALSE(report.FindObject("No"));
  EXPECT_EQ(report.AllObjects().size(), 2);
}

TEST(DocumentFormat, SortKeysOfADataBandAreStoredOnlyWhenGiven) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  page->SetName("P");
  auto* plain = new TfrxMasterData(page);
  plain->SetName("Plain");
  auto* sorted = new TfrxMasterData(page);
  sorted->SetName("Sorted");
  sorted->SetSortKeys({{"<Wpisy.\"Punkt\">", false}, {"Wpisy.\"Data\"", true}});
  EXPECT_EQ(sorted->SortExpressions(), QStringList({"<Wpisy.\"Punkt\">", "Wpisy.\"Data\" DESC"}));
  const QString text = QString::fromUtf8(saveDocument(report));
  EXPECT_TRUE(text.contains("SortExpressions.Text=\"&#60;Wpisy.&#34;Punkt&#34;&#62;&#13;&#10;Wpisy.&#34;Data&#34; "
                            "DESC\"")) << text.toStdString();
  // A band without keys is written as before.
  EXPECT_EQ(text.count("SortExpressions"), 1) << text.toStdString();

  TfrxReport again;
  ASSERT_TRUE(loadDocument(again, text.toUtf8()));
  EXPECT_EQ(again.Errors(), QStringList());
  auto* read = qobject_cast<TfrxDataBand*>(again.FindObject("Sorted"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->SortKeys(), (QList<TfrxSortKey>{{"<Wpisy.\"Punkt\">", false}, {"Wpisy.\"Data\"", true}}));
  EXPECT_TRUE(qobject_cast<TfrxDataBand*>(again.FindObject("Plain"))->SortKeys().isEmpty());

  // The direction is a word of its own, in any letter case; blank lines
  // are no keys; a name ending in "desc" is no direction.
  read->SetSortExpressions({"  A  asc ", "", "B desc", "Opisdesc", "(desc)", " DESC"});
  EXPECT_EQ(read->SortKeys(), (QList<TfrxSortKey>{{"A", false}, {"B", true}, {"Opisdesc", false}, {"(desc)", false},
                                                  {"DESC", false}}));
}

TEST(DocumentFormat, CompactNamesAndOldFormatTexts) {
  // "l", "t", "w", "h" and "x" (and "u", re-decoded in old documents).
  QByteArray old = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>"
                   "<TfrxReport><TfrxReportPage Name=\"P\">"
                   "<TfrxMemoView Name=\"A\" l=\"1,5\" t=\"2.5\" w=\"3\" h=\"4\" u=\"\xC5\x81\xC3\xB3\x64\xC5\xBA\"/>"
                   "<TfrxMemoView Name=\"B\" x=\"a&#13;&#10;b\" Hint=\"\xA3\xF3\x64\x9F\"/>"
                   "<TfrxMemoView Name=\"C\" Text=\"\xC5\x81\x61\"/>"
                   "</TfrxReportPage></TfrxReport>";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, old));
  EXPECT_EQ(report.Errors(), QStringList());
  auto* a = qobject_cast<TfrxMemoView*>(report.FindObject("A"));
  EXPECT_EQ(QRectF(a->Left(), a->Top(), a->Width(), a->Height()), QRectF(1.5, 2.5, 3, 4));
  EXPECT_EQ(a->Text(), QString::fromUtf8("Łódź"));
  auto* b = qobject_cast<TfrxMemoView*>(report.FindObject("B"));
  EXPECT_EQ(b->Memo(), QStringList({"a", "b"}));
  EXPECT_EQ(b->Hint(), QString::fromUtf8("Łódź"));  // other texts are in the code page
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(report.FindObject("C"))->Text(), QString::fromUtf8("Ła"));
}

TEST(DocumentFormat, PasswordIsStoredScrambled) {
  TfrxReport report;
  // '!' lowered by 10 is a control character; U+E005 becomes a lone surrogate.
  const QString password = QString::fromUtf8("Hasło!") + QChar(0xE005);
  report.ReportOptions()->SetPassword(password);
  const QByteArray written = saveDocument(report);
  EXPECT_TRUE(written.contains(QByteArray("ReportOptions.Password=\"&#62;Wi\xC4\xB8" "e\x17&#57339;\"")))
      << written.constData();
  EXPECT_EQ(report.ReportOptions()->Password(), password);
  TfrxReport loaded;
  ASSERT_TRUE(loadDocument(loaded, written));
  EXPECT_EQ(loaded.ReportOptions()->Password(), password);
  EXPECT_EQ(saveDocument(loaded), written);
  EXPECT_EQ(unscrambleReportPassword(scrambleReportPassword(password)), password);

  // A text that ends the way the password's attribute begins is no password.
  report.ReportOptions()->SetAuthor("Autor ReportOptions.Password=");
  report.ReportOptions()->SetPassword("abc");
  TfrxReport again;
  ASSERT_TRUE(loadDocument(again, saveDocument(report)));
  EXPECT_EQ(again.ReportOptions()->Author(), "Autor ReportOptions.Password=");
  EXPECT_EQ(again.ReportOptions()->Password(), "abc");
}

TEST(DocumentFormat, DeeplyNestedObjectsAreRefused) {
  QByteArray document = kHeader + "<TfrxReport><TfrxReportPage Name=\"P\">";
  for (int i = 0; i < 2000; ++i) document += "<TfrxChild>";
  TfrxReport report;
  ASSERT_TRUE(loadDocument(report, document));
  EXPECT_EQ(report.Errors(), QStringList({"Dokument jest uszkodzony: kończy się przed zamknięciem elementu "
                                          "TfrxReport; wczytano tylko jego początek.",
                                          "Obiekty zagnieżdżone zbyt głęboko: TfrxChild"}));
  int depth = 0;
  for (const TfrxComponent* object = &report; !object->Objects().isEmpty(); object = object->Objects().first())
    ++depth;
  EXPECT_EQ(depth, 64);
}

TEST(DocumentFormat, SingleObjectsAsTextAndElements) {
  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "P");
  auto* memo = named<TfrxMemoView>(page, "M");
  memo->SetBounds(1, 2, 3, 4);
  memo->SetText("x\"y");
  TfrxXMLSerializer serializer(&report);
  const QString text = serializer.ObjToText(*memo);
  EXPECT_EQ(text, "TfrxMemoView Left=\"1\" Top=\"2\" Width=\"3\" Height=\"4\" Text=\"x&#34;y\"");
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  serializer.WriteSingleElement(*memo, buffer);
  EXPECT_EQ(buffer.data(), "<" + text.toUtf8() + "/>");

  TfrxComponent* copy = serializer.ObjFromText(text + " FlowTo=\"M\"", page);
  ASSERT_TRUE(qobject_cast<TfrxMemoView*>(copy));
  EXPECT_EQ(copy->Parent(), page);
  EXPECT_EQ(copy->Name(), "");
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(copy)->Text(), "x\"y");
  EXPECT_EQ(qobject_cast<TfrxMemoView*>(copy)->FlowTo(), memo);
  EXPECT_FALSE(copy->IsLoading());
  EXPECT_EQ(serializer.ObjFromText("TfrxNothing Left=\"1\"", page), nullptr);
  EXPECT_EQ(serializer.Errors(), QStringList({"Nie znaleziono klasy TfrxNothing"}));
}

TEST(DocumentFormat, AnOwnPlainFontUnderABoldParentStaysPlain) {
  TfrxReport report;
  auto* band = named<TfrxMasterData>(named<TfrxReportPage>(&report, "P"), "B");
  band->Font()->SetStyle(fsBold | fsUnderline);
  auto* plain = named<TfrxMemoView>(band, "Plain");
  plain->Font()->SetStyle({});
  plain->Font()->SetName("Tahoma");
  named<TfrxMemoView>(band, "Follower");
  const QByteArray written = saveDocument(report);
  // A plain style is not written.
  EXPECT_TRUE(written.contains("Font.Name=\"Tahoma\" ParentFont=\"False\"")) << written.constData();

  TfrxReport loaded;
  ASSERT_TRUE(loadDocument(loaded, written));
  EXPECT_EQ(loaded.FindObject("Plain")->Font()->Style(), TFontStyles());
  EXPECT_EQ(loaded.FindObject("Follower")->Font()->Style(), fsBold | fsUnderline);
  EXPECT_TRUE(loaded.FindObject("Follower")->ParentFont());
  EXPECT_EQ(differences(report, loaded), QStringList());
}

TEST(DocumentFormat, EmptyTextsWhoseDefaultIsNotEmptyAreWritten) {
  TfrxReport report;
  report.SetScriptLanguage("");
  report.PrintOptions()->SetPrinter("");
  auto* memo = named<TfrxMemoView>(named<TfrxReportPage>(&report, "P"), "M");
  memo->Font()->SetName("");
  memo->SetExpressionDelimiters("");
  const QByteArray written = saveDocument(report);
  for (const char* part : {" PrintOptions.Printer=\"\"", " ScriptLanguage=\"\"", " ExpressionDelimiters=\"\"",
                           " Font.Name=\"\""})
    EXPECT_TRUE(written.contains(part)) << part;
  TfrxReport loaded;
  ASSERT_TRUE(loadDocument(loaded, written));
  EXPECT_EQ(differences(report, loaded), QStringList());
  // Other empty texts stay out.
  EXPECT_FALSE(written.contains("Hint="));
}

TEST(DocumentFormat, InheritedObjectsCarryOnlyWhatDiffersFromTheirAncestor) {
  TfrxReport ancestor;
  auto* basePage = named<TfrxReportPage>(&ancestor, "P");
  auto* baseMemo = named<TfrxMemoView>(basePage, "M");
  baseMemo->SetBounds(1, 2, 30, 40);
  baseMemo->SetText("a");
  baseMemo->SetFlowTo(named<TfrxMemoView>(basePage, "N"));

  TfrxReport report;
  auto* page = named<TfrxReportPage>(&report, "P");
  auto* memo = named<TfrxMemoView>(page, "M");
  auto* next = named<TfrxMemoView>(page, "N");
  for (TfrxComponent* object : {static_cast<TfrxComponent*>(page), static_cast<TfrxComponent*>(memo),
                                static_cast<TfrxComponent*>(next)})
    object->SetAncestor(true);
  memo->SetBounds(1.0000001, 2, 35, 40);
  memo->SetText("b");
  named<TfrxMemoView>(page, "Own")->SetText("c");

  TfrxXMLSerializer serializer(&report);
  serializer.AncestorOf = [&](const TfrxComponent& object) -> const QObject* {
    return object.IsAncestor() ? ancestor.FindObject(object.Name()) : nullptr;
  };
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  serializer.WriteRootComponent(*page, true, buffer);
  EXPECT_EQ(buffer.data(), kHeader +
                               "<inherited>\r\n"
                               "  <inherited Name=\"M\" Width=\"35\" FlowTo=\"nil\" Text=\"b\"/>\r\n"
                               "  <inherited Name=\"N\"/>\r\n"
                               "  <TfrxMemoView Name=\"Own\" Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" Text=\"c\"/>\r\n"
                               "</inherited>\r\n");

  // Reading: inherited elements find their objects, which removing the
  // children spared; one without an object is passed over with its children.
  memo->SetText("changed");
  buffer.close();
  QByteArray bytes = buffer.data();
  bytes.replace("<inherited Name=\"N\"/>", "<inherited Name=\"Gone\"><TfrxMemoView Name=\"Lost\"/></inherited>");
  QBuffer input(&bytes);
  input.open(QIODevice::ReadOnly);
  page->ReadFromStream(input);
  EXPECT_EQ(report.Errors(), QStringList());
  EXPECT_EQ(memo->Text(), "b");
  EXPECT_EQ(memo->Width(), 35);
  EXPECT_TRUE(report.FindObject("Own"));
  EXPECT_FALSE(report.FindObject("Lost"));
  EXPECT_EQ(page->Objects().size(), 3);
}

TEST(DocumentFormat, TextHelpers) {
  EXPECT_EQ(frxStrToFloat("12,5"), 12.5);
  EXPECT_EQ(frxStrToFloat(" 12.5 "), 12.5);
  EXPECT_EQ(frxStrToFloat("-1 234,25"), -1234.25);
  EXPECT_EQ(frxStrToFloat("1e3"), 1000);
  EXPECT_EQ(frxStrToFloat("1.234,5"), std::nullopt);
  EXPECT_EQ(frxStrToFloat(""), std::nullopt);
  // The forms the writer stores, and their near misses.
  EXPECT_EQ(frxStrToFloat("718,1107"), 718.1107);
  EXPECT_EQ(frxStrToFloat("-0,5"), -0.5);
  EXPECT_EQ(frxStrToFloat("+3"), 3);
  EXPECT_EQ(frxStrToFloat(",25"), 0.25);
  EXPECT_EQ(frxStrToFloat("7."), 7);
  EXPECT_EQ(frxStrToFloat("0"), 0);
  EXPECT_TRUE(std::signbit(*frxStrToFloat("-0")));
  EXPECT_EQ(frxStrToFloat("-"), std::nullopt);
  EXPECT_EQ(frxStrToFloat(","), std::nullopt);
  EXPECT_EQ(frxStrToFloat("1,2,3"), std::nullopt);
  EXPECT_EQ(frxStrToFloat("12a"), std::nullopt);
  EXPECT_EQ(frxStrToFloat("--1"), std::nullopt);
  EXPECT_EQ(frxStrToFloat("2E-2"), 0.02);
  EXPECT_EQ(frxStrToFloat(QString(45, u'0') + QStringLiteral("12,5")), 12.5);
  EXPECT_EQ(frxStrToFloat(QStringLiteral("0,") + QString(60, u'0') + QStringLiteral("1")), 1e-61);
  EXPECT_EQ(frxStrToFloat(QStringView(u"33,3")), 33.3);
  EXPECT_EQ(frxValueToXML(QVariant(true)), "True");
  EXPECT_EQ(frxValueToXML(QVariant(21.5)), "21,5");
  EXPECT_EQ(frxValueToXML(QVariant::fromValue(haCenter)), "haCenter");
  EXPECT_EQ(frxValueToXML(QVariant(-3)), "-3");
  EXPECT_EQ(frxValueToXML(QVariant()), "");
  EXPECT_EQ(frxBytesToHex(QByteArray("\x00\x7F\xA0\xFF", 4)), "007FA0FF");
  EXPECT_EQ(frxHexToBytes(u"007fA0FF"), QByteArray("\x00\x7F\xA0\xFF", 4));
  EXPECT_EQ(frxHexToBytes(u"0102X304"), QByteArray("\x01\x02", 2));
  EXPECT_EQ(frxHexToBytes(u"0102F"), QByteArray("\x01\x02", 2));
}

}  // namespace
}  // namespace valmoro::report
