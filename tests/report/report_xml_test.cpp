// The XML dialect of report documents: escaping, attribute texts, reading
// (with its tolerance and its failures) and indented writing.

#include <QBuffer>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include "qt_printers.h"
#include "report/model/report_error.h"
#include "report/model/report_xml.h"

namespace valmoro::report {
namespace {

QString load(TfrxXMLDocument& doc, const QByteArray& bytes, bool partial = false) {
  static QBuffer* keep = nullptr;  // a partial load reads its device later
  delete keep;
  keep = new QBuffer;
  keep->setData(bytes);
  keep->open(QIODevice::ReadOnly);
  try {
    doc.LoadFromStream(*keep, partial);
  } catch (const ReportError& e) {
    return e.message();
  }
  return {};
}

QByteArray save(const TfrxXMLDocument& doc) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  doc.SaveToStream(buffer);
  return buffer.data();
}

TEST(ReportXml, EscapingRoundTrips) {
  EXPECT_EQ(frxEscape("a<b>&\"c\""), "a&#60;b&#62;&#38;&#34;c&#34;");
  EXPECT_EQ(frxEscape("line 1\r\nline 2"), "line 1&#13;&#10;line 2");
  EXPECT_EQ(frxEscape("x&quot;y&amp;"), "x&#34;y&#38;amp;");
  EXPECT_EQ(frxEscape(QString::fromUtf8("zażółć")), QString::fromUtf8("zażółć"));
  EXPECT_EQ(frxUnescape("&#60;&#62;&#38;&#34;&quot;&amp;&lt;&gt;&#13;&#10;"), "<>&\"\"&<>\r\n");
  EXPECT_EQ(frxUnescape("a & b &foo; &#; &#12x &#128512;"), QString::fromUtf8("a & b &foo; &#; &#12x 😀"));
  for (const QString& s : {QString("<\"&amp;quot;>"), QString::fromUtf8("Ł\r\n\"&&#")})
    EXPECT_EQ(frxUnescape(frxEscape(s)), s);
  // "&quot;" typed as such is written as one escaped quote.
  EXPECT_EQ(frxUnescape(frxEscape("&quot;")), "\"");
}

TEST(ReportXml, AttributesAreReadAndWrittenOnTheRawText) {
  QString text = QStringLiteral("Name=\"Memo1\" Left=\"10\" Text=\"a&#13;&#10;b\"");
  EXPECT_EQ(frxReadAttribute(text, "name"), "Memo1");
  EXPECT_EQ(frxReadAttribute(text, "TEXT"), "a\r\nb");
  EXPECT_EQ(frxReadAttribute(text, "Top"), "");
  EXPECT_EQ(frxReadAttribute(text, "eft"), "");  // whole names only
  frxWriteAttribute(text, "left", "12,5");
  EXPECT_EQ(text, "Name=\"Memo1\" left=\"12,5\" Text=\"a&#13;&#10;b\"");
  frxWriteAttribute(text, "Top", "<3>");
  EXPECT_EQ(text, "Name=\"Memo1\" left=\"12,5\" Text=\"a&#13;&#10;b\" Top=\"&#60;3&#62;\"");
  QString empty;
  frxWriteAttribute(empty, "DataSet", "frxDBDataset1");
  frxWriteAttribute(empty, "DataSetName", "Wpisy");
  EXPECT_EQ(empty, " DataSet=\"frxDBDataset1\" DataSetName=\"Wpisy\"");
  TfrxXMLItem item;
  item.Text = empty;
  item.DeleteProp("DataSet");
  EXPECT_EQ(item.Text, " DataSetName=\"Wpisy\"");
  EXPECT_FALSE(item.PropExists("DataSet"));
}

TEST(ReportXml, ReadsElementsCommentsAndEmptyTags) {
  TfrxXMLDocument doc;
  const QByteArray text =
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n"
      "<!-- a comment with <tags> and -- dashes -->"
      "<TfrxReport Version=\"6\" ReportOptions.Name=\"Dziennik &#34;A&#34;\">\r\n"
      "  <TfrxReportPage Name=\"Page1\">\r\n"
      "    <TfrxMemoView Name=\"Memo1\" Text=\"Zażółć\"/>\r\n"
      "    <!-- between siblings -->\r\n"
      "    <TfrxMemoView/>\r\n"
      "    <TfrxLineView Name=\"Line1\" />\r\n"
      "  </TfrxReportPage>\r\n"
      "</TfrxReport>\r\n";
  EXPECT_EQ(load(doc, text), "");
  EXPECT_FALSE(doc.OldVersion);
  TfrxXMLItem* root = doc.Root();
  EXPECT_EQ(root->Name, "TfrxReport");
  EXPECT_EQ(root->Prop("ReportOptions.Name"), "Dziennik \"A\"");
  ASSERT_EQ(root->Count(), 1);
  TfrxXMLItem* page = root->Items(0);
  ASSERT_EQ(page->Count(), 3);
  EXPECT_EQ(page->Items(0)->Prop("Text"), QString::fromUtf8("Zażółć"));
  EXPECT_EQ(page->Items(1)->Name, "TfrxMemoView");
  EXPECT_EQ(page->Items(2)->Prop("Name"), "Line1");
  EXPECT_EQ(page->Items(2)->Parent(), page);
  EXPECT_EQ(root->FindItem("tfrxreportpage"), page);
}

TEST(ReportXml, MalformedInputFailsAndCutInputLoadsWhatWasRead) {
  TfrxXMLDocument doc;
  const QByteArray header = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>";
  EXPECT_EQ(load(doc, "<TfrxReport/>"), "Invalid file format");
  EXPECT_EQ(load(doc, ""), "Invalid file format");
  EXPECT_EQ(load(doc, header + "<a><b></B></a>"), "Invalid file format");
  EXPECT_EQ(load(doc, header + "<a x=\"<\"/>"), "Invalid file format");
  EXPECT_EQ(load(doc, header + "<a><b x=\"1\""), "Invalid file format");
  EXPECT_EQ(load(doc, header + "<a><!-- never closed"), "Invalid file format");
  // Cut off between two tags: what was read stays, and the document
  // knows it is not whole.
  EXPECT_EQ(load(doc, header + "<a><b Name=\"1\"><c/></b><d"), "Invalid file format");
  EXPECT_EQ(load(doc, header + "<a><b Name=\"1\"><c/></b>  "), "");
  EXPECT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Count(), 1);
  EXPECT_TRUE(doc.Truncated());
  EXPECT_EQ(load(doc, header + "<a><b Name=\"1\"><c/></b></a>\r\n"), "");
  EXPECT_FALSE(doc.Truncated());
  EXPECT_EQ(load(doc, header + "<a/>"), "");
  EXPECT_FALSE(doc.Truncated());
  // Deep nesting is no danger.
  QByteArray deep = header;
  for (int i = 0; i < 200000; ++i) deep += "<x>";
  EXPECT_EQ(load(doc, deep), "");
}

// What a damaged file left in the tree is written so that it reads back the
// same: nameless elements with something in them stay, empty ones (which
// would be written as an end tag) go.
TEST(ReportXml, WhatWasReadFromADamagedFileIsWrittenSoThatItReadsBack) {
  const QByteArray header = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>";
  TfrxXMLDocument doc;
  ASSERT_EQ(load(doc, header + "<a><><b/><></></><c/></a>"), "");
  TfrxXMLDocument again;
  ASSERT_EQ(load(again, save(doc)), "");
  const TfrxXMLItem* a = again.Root();
  EXPECT_EQ(a->Name, "a");
  ASSERT_EQ(a->Count(), 2);
  EXPECT_EQ(a->Items(0)->Name, "");
  ASSERT_EQ(a->Items(0)->Count(), 1);
  EXPECT_EQ(a->Items(0)->Items(0)->Name, "b");
  EXPECT_EQ(a->Items(1)->Name, "c");
  EXPECT_EQ(save(again), save(doc));
  // What carries nothing is not even read: a list counted from a document
  // (the pages of a prepared report) is the list that is written back,
  // also where the data ends inside such an element.
  EXPECT_EQ(doc.Root()->Count(), 2);
  ASSERT_EQ(load(doc, header + "<a><p/><><></>"), "");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Name, "p");

  // A text that ends in "/ " (two blanks before the ">", the reader drops
  // one) keeps its children.
  ASSERT_EQ(load(doc, header + "<a><m x=\"1\"/  ><n/></m></a>"), "");
  ASSERT_EQ(doc.Root()->Items(0)->Count(), 1);
  ASSERT_EQ(load(again, save(doc)), "");
  ASSERT_EQ(again.Root()->Items(0)->Count(), 1);
  EXPECT_EQ(again.Root()->Items(0)->Text, doc.Root()->Items(0)->Text);
  EXPECT_EQ(save(again), save(doc));
}

TEST(ReportXml, OldFormatTextsAreInTheSystemCodePage) {
  TfrxXMLDocument doc;
  QByteArray text = "<?xml version=\"1.0\" encoding=\"windows-1250\"?><r a=\"";
  text += char(0xB3);  // ł
  text += "\"/>";
  EXPECT_EQ(load(doc, text), "");
  EXPECT_TRUE(doc.OldVersion);
  EXPECT_EQ(doc.Root()->Prop("a"), QString::fromUtf8("ł"));
}

TEST(ReportXml, WritesIndentedDocuments) {
  TfrxXMLDocument doc;
  TfrxXMLItem* root = doc.Root();
  root->Name = "TfrxReport";
  root->SetProp("Version", "6");
  TfrxXMLItem* page = root->Add("TfrxReportPage");
  page->SetProp("Name", "Page1");
  TfrxXMLItem* memo = page->Add("TfrxMemoView");
  memo->SetProp("Name", "Memo1");
  memo->SetProp("Text", QString::fromUtf8("<b>\r\n\"Łódź\""));
  root->Add("TfrxDataPage")->Text = "Name=\"Data\"";
  const QByteArray expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n"
      "<TfrxReport Version=\"6\">\r\n"
      "  <TfrxReportPage Name=\"Page1\">\r\n"
      "    <TfrxMemoView Name=\"Memo1\" Text=\"&#60;b&#62;&#13;&#10;&#34;\xC5\x81\xC3\xB3\x64\xC5\xBA&#34;\"/>\r\n"
      "  </TfrxReportPage>\r\n"
      "  <TfrxDataPage Name=\"Data\"/>\r\n"
      "</TfrxReport>\r\n";
  EXPECT_EQ(save(doc), expected);
  TfrxXMLDocument again;
  EXPECT_EQ(load(again, expected), "");
  EXPECT_EQ(save(again), expected);
  EXPECT_EQ(again.Root()->Items(0)->Items(0)->Prop("Text"), QString::fromUtf8("<b>\r\n\"Łódź\""));
}

TEST(ReportXml, DeferredChildrenAreReadWhenNeeded) {
  const QByteArray text =
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>"
      "<preparedreport><previewpages>"
      "<page0 ld=\"0\" a=\"1\"><b Name=\"x\"><c/></b><d/></page0>"
      "<page1 ld=\"0\"><e/></page1>"
      "</previewpages></preparedreport>";
  TfrxXMLDocument doc;
  EXPECT_EQ(load(doc, text, true), "");
  TfrxXMLItem* pages = doc.Root()->Items(0);
  ASSERT_EQ(pages->Count(), 2);
  TfrxXMLItem* page0 = pages->Items(0);
  EXPECT_TRUE(page0->Unloaded());
  EXPECT_EQ(page0->Count(), 0);
  EXPECT_EQ(page0->Text, "a=\"1\"");
  doc.LoadItem(pages->Items(1));
  EXPECT_EQ(pages->Items(1)->Count(), 1);
  doc.LoadItem(page0);
  EXPECT_FALSE(page0->Unloaded());
  ASSERT_EQ(page0->Count(), 2);
  EXPECT_EQ(page0->Items(0)->Items(0)->Name, "c");
  EXPECT_EQ(page0->Items(1)->Name, "d");
}

}  // namespace
}  // namespace valmoro::report
