// The engine's XML dialect: reading, writing, attribute access, escaping.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "qt_printers.h"
#include "script/script_error.h"
#include "script/xml_document.h"

namespace valmoro::script {
namespace {

QString readError(const QByteArray& data) {
  TfsXMLDocument doc;
  try {
    doc.LoadFromData(data);
  } catch (const ScriptError& e) {
    return e.message();
  }
  return QStringLiteral("no error");
}

QByteArray roundTrip(const QByteArray& data, bool indent = false) {
  TfsXMLDocument doc;
  doc.LoadFromData(data);
  doc.AutoIndent = indent;
  return doc.SaveToData();
}

TEST(XmlDocument, ReadsElementsAttributesAndEmptyElements) {
  TfsXMLDocument doc;
  doc.LoadFromData(
      "<?xml version=\"1.0\"?>\n<Language text=\"Pascal\">ignored text<parser a=\"1\" >"
      "<keywords><begin/><end /></keywords></parser><empty/></language>");
  const TfsXMLItem* root = doc.Root();
  EXPECT_EQ(root->Name(), "Language");
  EXPECT_EQ(root->Text(), "text=\"Pascal\"");
  ASSERT_EQ(root->Count(), 2);
  const TfsXMLItem* parser = root->Items(0);
  EXPECT_EQ(parser->Text(), "a=\"1\"");  // one trailing blank dropped
  EXPECT_EQ(parser->Parent(), root);
  ASSERT_EQ(parser->Items(0)->Count(), 2);
  EXPECT_EQ(parser->Items(0)->Items(1)->Name(), "end");
  EXPECT_EQ(root->Items(1)->Name(), "empty");
  EXPECT_EQ(root->Items(1)->Count(), 0);
  EXPECT_EQ(parser->Items(0)->Items(0)->Root(), root);
}

TEST(XmlDocument, SkipsCommentsAnywhere) {
  TfsXMLDocument doc;
  doc.LoadFromData("<!-- a > b --><?xml version=\"1.0\"?><!-- x --><r><!-- <c/> --><c/></r>");
  EXPECT_EQ(doc.Root()->Name(), "r");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Name(), "c");
}

TEST(XmlDocument, MalformedInputIsInvalidFileFormat) {
  const QString invalid = QStringLiteral("Invalid file format");
  EXPECT_EQ(readError("<r/>"), invalid);                                   // no header
  EXPECT_EQ(readError(""), invalid);                                       // nothing
  EXPECT_EQ(readError("<?xml version=\"1.0\"?>"), invalid);                // no root
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><r><a<b>"), invalid);        // "<" inside a tag
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><r><a text=\"x"), invalid);  // ends inside a tag
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><r><a></b></r>"), invalid);  // wrong closing tag
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><r><a>"), invalid);          // never closed
  EXPECT_EQ(readError("<?xml version=\"1.0\"?></r>"), invalid);            // closing first
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><r><!-- open"), invalid);    // comment never ends
  EXPECT_EQ(readError("<?xml version=\"1.0\"?><R></r>"), "no error");      // names ignore case
}

TEST(XmlDocument, WritesCompactAndIndented) {
  const QByteArray source = "<?xml version=\"1.0\"?><a x=\"1\"><b/><c><d y=\"2\"/></c></a>";
  EXPECT_EQ(roundTrip(source), source);
  EXPECT_EQ(roundTrip(source, true),
            "<?xml version=\"1.0\"?>\r\n<a x=\"1\">\r\n  <b/>\r\n  <c>\r\n    <d y=\"2\"/>\r\n  </c>\r\n</a>\r\n");
}

TEST(XmlDocument, PropFindsNamesCaseInsensitivelyAtWordStart) {
  TfsXMLItem item;
  item.SetText(QStringLiteral("addtext=\"a\" Text=\"&#60;b&#62;\" pos=\"1:2\""));
  EXPECT_EQ(item.Prop(u"text"), "<b>");
  EXPECT_EQ(item.Prop(u"ADDTEXT"), "a");
  EXPECT_EQ(item.Prop(u"pos"), "1:2");
  EXPECT_EQ(item.Prop(u"missing"), "");
  EXPECT_EQ(item.Prop(u"ext"), "");  // not the tail of "Text"
}

TEST(XmlDocument, SetPropReplacesInPlaceOrAppends) {
  TfsXMLItem item;
  item.SetProp(u"text", QStringLiteral("a\"b"));
  EXPECT_EQ(item.Text(), "text=\"a&#34;b\"");
  item.SetProp(u"pos", QStringLiteral("1:1"));
  EXPECT_EQ(item.Text(), "text=\"a&#34;b\" pos=\"1:1\"");
  item.SetProp(u"TEXT", QStringLiteral("<c>"));
  EXPECT_EQ(item.Text(), "text=\"&#60;c&#62;\" pos=\"1:1\"");
  EXPECT_EQ(item.Prop(u"text"), "<c>");
}

TEST(XmlDocument, EscapingKeepsEveryValueThroughWriteAndRead) {
  // Values that look like references must come back as they were.
  const QStringList values = {QStringLiteral("a&quot;b"),   QStringLiteral("&#60;x&#62;"),
                              QStringLiteral("x & y"),      QStringLiteral("line1\r\nline2"),
                              QStringLiteral("\"<'>\""),    QStringLiteral("zażółć &amp; gęślą"),
                              QStringLiteral("&#"),         QStringLiteral("tail&")};
  for (const QString& value : values) {
    TfsXMLDocument doc;
    doc.Root()->SetName(QStringLiteral("r"));
    doc.Root()->Add()->SetName(QStringLiteral("leaf"));
    doc.Root()->Items(0)->SetProp(u"text", value);
    TfsXMLDocument back;
    back.LoadFromData(doc.SaveToData());
    EXPECT_EQ(back.Root()->Items(0)->Prop(u"text"), value);
  }
  EXPECT_EQ(EscapeXmlValue(u"a&b<\n"), "a&#38;b&#60;&#10;");
  EXPECT_EQ(UnescapeXmlValue(u"&#65;&quot;&amp;&#;&#66"), "A\"&amp;&#;&#66");
}

TEST(XmlDocument, FindAndFindItem) {
  TfsXMLItem root;
  root.Add()->SetName(QStringLiteral("parser"));
  root.Add()->SetName(QStringLiteral("Types"));
  EXPECT_EQ(root.Find(u"TYPES"), 1);
  EXPECT_EQ(root.Find(u"program"), -1);
  TfsXMLItem* program = root.FindItem(QStringLiteral("program"));
  EXPECT_EQ(root.Count(), 3);
  EXPECT_EQ(program->Name(), "program");
  EXPECT_EQ(root.FindItem(QStringLiteral("PARSER")), root.Items(0));
}

TEST(XmlDocument, AddItemMovesAnItemBetweenParents) {
  TfsXMLItem a, b;
  TfsXMLItem* child = a.Add();
  child->SetName(QStringLiteral("x"));
  a.Add()->SetName(QStringLiteral("y"));
  b.AddItem(child);
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(a.Items(0)->Name(), "y");
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(child->Parent(), &b);
  b.InsertItem(0, a.Items(0));
  EXPECT_EQ(b.Items(0)->Name(), "y");
  EXPECT_EQ(a.Count(), 0);
}

TEST(XmlDocument, DeepDocumentsNeitherOverflowNorLeakTheStack) {
  const int depth = 200000;
  QByteArray data = "<?xml version=\"1.0\"?>";
  data += QByteArray("<a>").repeated(depth);
  data += QByteArray("</a>").repeated(depth);
  TfsXMLDocument doc;
  doc.LoadFromData(data);
  const TfsXMLItem* item = doc.Root();
  int levels = 1;
  while (item->Count() == 1) item = item->Items(0), ++levels;
  EXPECT_EQ(levels, depth);
  const QByteArray written = "<?xml version=\"1.0\"?>" + QByteArray("<a>").repeated(depth - 1) + "<a/>" +
                             QByteArray("</a>").repeated(depth - 1);
  EXPECT_TRUE(doc.SaveToData() == written);
  std::unique_ptr<TfsXMLItem> copy = doc.Root()->Clone();
  EXPECT_EQ(copy->Items(0)->Name(), "a");
}

TEST(XmlDocument, FilesAndStreams) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("doc.xml"));
  TfsXMLDocument doc;
  doc.Root()->SetName(QStringLiteral("root"));
  doc.Root()->Add()->SetName(QStringLiteral("ąę"));
  doc.SaveToFile(path);
  TfsXMLDocument back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Root()->Items(0)->Name(), "ąę");
  try {
    back.LoadFromFile(dir.filePath(QStringLiteral("missing.xml")));
    ADD_FAILURE() << "no error for a missing file";
  } catch (const ScriptError& e) {
    EXPECT_TRUE(e.message().startsWith("Cannot open file \"" + dir.filePath(QStringLiteral("missing.xml"))))
        << e.message().toStdString();
  }
}

}  // namespace
}  // namespace valmoro::script
