#include "platform/component_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/graphics_names.h"

using namespace valmoro::stream;
namespace names = valmoro::names;

namespace {

// Byte literal that keeps embedded zero bytes.
template <size_t N>
QByteArray raw(const char (&s)[N]) {
  return QByteArray(s, N - 1);
}

QString errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const StreamError& e) {
    return e.message();
  }
  return QStringLiteral("<no error>");
}

template <typename Write>
QByteArray written(Write write) {
  ComponentWriter w;
  write(w);
  return w.data();
}

}  // namespace

TEST(ComponentStreamWrite, IntegersTakeTheSmallestForm) {
  const struct {
    qint64 value;
    QByteArray bytes;
  } cases[] = {
      {0, raw("\x02\x00")},
      {127, raw("\x02\x7f")},
      {128, raw("\x03\x80\x00")},
      {-128, raw("\x02\x80")},
      {-129, raw("\x03\x7f\xff")},
      {32767, raw("\x03\xff\x7f")},
      {32768, raw("\x04\x00\x80\x00\x00")},
      {-32768, raw("\x03\x00\x80")},
      {-32769, raw("\x04\xff\x7f\xff\xff")},
      {INT32_MIN, raw("\x04\x00\x00\x00\x80")},
      {qint64(1) << 31, raw("\x13\x00\x00\x00\x80\x00\x00\x00\x00")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const QByteArray bytes = written([&](ComponentWriter& w) { w.writeInteger(c.value); });
    EXPECT_EQ(bytes.toHex(' '), c.bytes.toHex(' '));
    ComponentReader r(bytes);
    EXPECT_EQ(r.readInt64(), c.value);
    EXPECT_TRUE(r.atEnd());
  }
  ComponentReader r(raw("\x03\x7f\xff"));
  EXPECT_EQ(r.readInteger(), -129);
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x13\0\0\0\0\0\0\0\0")).readInteger(); }),
            "Nieprawidłowa wartość właściwości");
}

TEST(ComponentStreamWrite, TextTakesTheShorterEncoding) {
  const struct {
    QString text;
    QByteArray bytes;
  } cases[] = {
      {QString(), raw("\x12\x00\x00\x00\x00")},
      {QStringLiteral("A"), raw("\x06\x01" "A")},
      {QString(255, u'a'), raw("\x06\xff") + QByteArray(255, 'a')},
      {QString(256, u'a'), raw("\x0c\x00\x01\x00\x00") + QByteArray(256, 'a')},
      {QString(300, u'x'), raw("\x0c\x2c\x01\x00\x00") + QByteArray(300, 'x')},
      {QStringLiteral("Moduł"), raw("\x14\x06\x00\x00\x00" "Modu\xc5\x82")},
      {QStringLiteral("Wilgotność [%]"),
       raw("\x14\x10\x00\x00\x00" "Wilgotno\xc5\x9b\xc4\x87 [%]")},
      // Two UTF-8 bytes for one code unit: not shorter, so UTF-16.
      {QStringLiteral("ż"), raw("\x12\x01\x00\x00\x00\x7c\x01")},
      {QStringLiteral("aż"), raw("\x14\x03\x00\x00\x00" "a\xc5\xbc")},
      {QStringLiteral("日本"), raw("\x12\x02\x00\x00\x00\xe5\x65\x2c\x67")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.left(20).toStdString());
    const QByteArray bytes = written([&](ComponentWriter& w) { w.writeText(c.text); });
    EXPECT_EQ(bytes.toHex(' '), c.bytes.toHex(' '));
    ComponentReader r(bytes);
    EXPECT_EQ(r.readText(), c.text);
    EXPECT_TRUE(r.atEnd());
  }
}

TEST(ComponentStreamWrite, ShortStringsAreCutWithoutSplittingACharacter) {
  const QByteArray ascii = written([](ComponentWriter& w) { w.writeIdent(QString(300, u'q')); });
  EXPECT_EQ(ascii, raw("\x07\xff") + QByteArray(255, 'q'));

  // 255 bytes would end inside the 128th "ł".
  const QByteArray polish = written([](ComponentWriter& w) { w.writeStr(QString(200, u'ł')); });
  ASSERT_EQ(polish.size(), 255);
  EXPECT_EQ(quint8(polish[0]), 254);
  EXPECT_EQ(ComponentReader(polish).readStr(), QString(127, u'ł'));
}

TEST(ComponentStreamWrite, HeaderSetsBooleansAndBinary) {
  const QByteArray bytes = written([](ComponentWriter& w) {
    w.writeHeader(QStringLiteral("TForm1"));
    w.writeHeader(QStringLiteral("TLabel"), QStringLiteral("Opis"));
    w.writeSet({QStringLiteral("fsBold"), QStringLiteral("fsUnderline")});
    w.writeSet({});
    w.writeBool(false);
    w.writeBool(true);
    w.writeNil();
    w.writeBinary(raw("\x00\xff"));
  });
  EXPECT_EQ(bytes.toHex(' '),
            raw("TPF0\x06" "TForm1\x00" "TPF0\x06" "TLabel\x04" "Opis"
                "\x0b\x06" "fsBold\x0b" "fsUnderline\x00" "\x0b\x00"
                "\x08\x09\x0d" "\x0a\x02\x00\x00\x00\x00\xff")
                .toHex(' '));

  ComponentReader r(bytes);
  EXPECT_EQ(r.readHeader(), "TForm1");
  EXPECT_EQ(r.readHeader(), "TLabel");
  EXPECT_EQ(r.readSet(), QStringList({"fsBold", "fsUnderline"}));
  EXPECT_EQ(r.readSet(), QStringList());
  EXPECT_FALSE(r.readBool());
  EXPECT_TRUE(r.readBool());
  EXPECT_EQ(r.readIdent(), "nil");
  EXPECT_EQ(r.readBinary(), raw("\x00\xff"));
  EXPECT_TRUE(r.atEnd());
}

TEST(ComponentStreamWrite, NamedIntegersUseTheirNames) {
  const QByteArray bytes = written([](ComponentWriter& w) {
    w.writeColor(0xFF000008u);
    w.writeColor(0x000080u);
    w.writeColor(names::clNone);
    w.writeColor(0x00123456u);
    w.writeColor(0xFF000019u);  // system colour without a name
    w.writeCharset(238);
    w.writeCharset(5);
  });
  EXPECT_EQ(bytes.toHex(' '), raw("\x07\x0c" "clWindowText" "\x07\x08" "clMaroon"
                                  "\x07\x06" "clNone" "\x04\x56\x34\x12\x00"
                                  "\x04\x19\x00\x00\xff"
                                  "\x07\x12" "EASTEUROPE_CHARSET" "\x02\x05")
                                  .toHex(' '));
  ComponentReader r(bytes);
  EXPECT_EQ(r.readColor(), 0xFF000008u);
  EXPECT_EQ(r.readColor(), 0x000080u);
  EXPECT_EQ(r.readColor(), names::clNone);
  EXPECT_EQ(r.readColor(), 0x00123456u);
  EXPECT_EQ(r.readColor(), 0xFF000019u);
  EXPECT_EQ(r.readCharset(), 238);
  EXPECT_EQ(r.readCharset(), 5);

  EXPECT_EQ(ComponentReader(raw("\x07\x09" "clbtnface")).readColor(), 0xFF00000Fu);
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x07\x06" "clPink")).readColor(); }),
            "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x07\x04" "UTF8")).readCharset(); }),
            "Nieprawidłowa wartość właściwości");
}

TEST(ComponentStreamNames, TablesMatchTheirNumbers) {
  // System colour 25 has no name: the ones after it are shifted by one.
  EXPECT_EQ(names::identToColor("clInfoBk"), 0xFF000018u);
  EXPECT_EQ(names::colorToIdent(0xFF000019u), std::nullopt);
  EXPECT_EQ(names::identToColor("clHotLight"), 0xFF00001Au);
  EXPECT_EQ(names::identToColor("clMenuBar"), 0xFF00001Eu);
  EXPECT_EQ(names::colorToIdent(0xFF00001Fu), std::nullopt);
  EXPECT_EQ(names::identToColor("CLSKYBLUE"), 0xF0CAA6u);
  EXPECT_EQ(names::identToColor("clPink"), std::nullopt);

  EXPECT_EQ(names::charsetToIdent(77), "MAC_CHARSET");
  EXPECT_EQ(names::charsetToIdent(3), std::nullopt);
  EXPECT_EQ(names::identToCharset("russian_charset"), 204);
}

TEST(ComponentStreamWrite, FloatsAreExtended) {
  EXPECT_EQ(written([](ComponentWriter& w) { w.writeFloat(1.0); }).toHex(' '),
            raw("\x05\x00\x00\x00\x00\x00\x00\x00\x80\xff\x3f").toHex(' '));
  EXPECT_EQ(written([](ComponentWriter& w) { w.writeFloat(-2.5); }).toHex(' '),
            raw("\x05\x00\x00\x00\x00\x00\x00\x00\xa0\x00\xc0").toHex(' '));
  for (double value : {0.1, -21.5, 1e300, 5e-324, 0.0, double(INFINITY)}) {
    const QByteArray bytes = written([&](ComponentWriter& w) { w.writeFloat(value); });
    EXPECT_EQ(ComponentReader(bytes).readFloat(), value);
  }
}

TEST(ComponentStreamRead, AcceptsEveryTextForm) {
  ComponentReader r(raw("\x06\x03" "abc" "\x0c\x03\x00\x00\x00" "abc" "\x07\x03" "abc"
                        "\x12\x03\x00\x00\x00" "a\x00" "b\x00" "c\x00"
                        "\x14\x03\x00\x00\x00" "abc"
                        // 8-bit texts from the Polish installations: code page 1250
                        "\x06\x04\xb3\xf3\x64\x9f" "\x0c\x02\x00\x00\x00\x80\xa5"));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r.readText(), "abc");
  EXPECT_EQ(r.readText(), QStringLiteral("łódź"));
  EXPECT_EQ(r.readText(), QStringLiteral("€Ą"));
  EXPECT_TRUE(r.atEnd());
}

TEST(ComponentStreamRead, FloatForms) {
  ComponentReader r(raw("\x05\x00\x00\x00\x00\x00\x00\x00\x80\xff\x3f"  // extended 1.0
                        "\x0f\x00\x00\xc0\x3f"                          // single 1.5
                        "\x10\x39\x30\x00\x00\x00\x00\x00\x00"          // currency 1.2345
                        "\x11\x00\x00\x00\x00\x00\x00\x02\x40"          // date 2.25
                        "\x15\x00\x00\x00\x00\x00\x00\x02\xc0"          // double -2.25
                        "\x02\x07"));
  EXPECT_EQ(r.readFloat(), 1.0);
  EXPECT_EQ(r.readFloat(), 1.5);
  EXPECT_EQ(r.readFloat(), 1.2345);
  EXPECT_EQ(r.readFloat(), 2.25);
  EXPECT_EQ(r.readFloat(), -2.25);
  EXPECT_EQ(r.readFloat(), 7.0);
  EXPECT_TRUE(r.atEnd());
}

TEST(ComponentStreamRead, SignatureAndPrefix) {
  EXPECT_EQ(errorOf([] { ComponentReader(raw("TPF1\x01" "A\x00")).readHeader(); }),
            "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("TP")).readHeader(); }), "Nieprawidłowy format danych");

  const QByteArray prefixes[] = {QByteArray(),
                                 raw("\xf0"),
                                 raw("\xf1"),
                                 raw("\xf2\x02\x05"),
                                 raw("\xf6\x03\x34\x12"),
                                 raw("\xff\x04\x00\x00\x01\x00")};
  for (const QByteArray& prefix : prefixes) {
    SCOPED_TRACE(prefix.toHex().toStdString());
    ComponentReader r(raw("TPF0") + prefix + raw("\x06" "TPanel\x06" "Panel1\x09"));
    EXPECT_EQ(r.readHeader(), "TPanel");
    EXPECT_TRUE(r.readBool());
  }
  // Below 0xF0 the byte is the length of the class name.
  EXPECT_EQ(errorOf([] { ComponentReader(raw("TPF0\xe2\x02\x05\x00")).readHeader(); }),
            "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("TPF0\xf2\x08\x01" "A\x00")).readHeader(); }),
            "Nieprawidłowa wartość właściwości");
}

TEST(ComponentStreamRead, WrongOrUnknownTypes) {
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x08")).readInteger(); }), "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x02\x01")).readBool(); }), "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x02\x01")).readText(); }), "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x07\x01" "a")).readSet(); }),
            "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x16\x00")).skipValue(); }), "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\xff")).readValueType(); }), "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { ComponentReader(QByteArray()).endOfList(); }), "Nieprawidłowy format danych");
  // Lengths beyond the buffer, including ones that overflow when doubled.
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x0c\xff\xff\xff\xff" "ab")).readText(); }),
            "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { ComponentReader(raw("\x12\xff\xff\xff\xff" "ab")).readText(); }),
            "Nieprawidłowy format danych");

  ComponentReader idents(raw("\x08\x09\x0d\x00"));
  EXPECT_EQ(idents.readIdent(), "False");
  EXPECT_EQ(idents.readIdent(), "True");
  EXPECT_EQ(idents.readIdent(), "nil");
  EXPECT_EQ(idents.readIdent(), "Null");
}

namespace {

// A component with a value of every type, an item-indexed collection and two
// levels of child components.
QByteArray everyValueStream() {
  ComponentWriter w;
  w.writeHeader(QStringLiteral("TReport"), QStringLiteral("Report1"));
  const auto prop = [&](const char* name) { w.writePropName(QString::fromLatin1(name)); };
  prop("AnObjectProperty.WithAPathLongerThan21"); w.writeInteger(3);
  prop("I8"); w.writeInteger(-5);
  prop("I16"); w.writeInteger(1000);
  prop("I32"); w.writeInteger(100000);
  prop("I64"); w.writeInteger(qint64(1) << 40);
  prop("F"); w.writeBool(false);
  prop("T"); w.writeBool(true);
  prop("Ext"); w.writeFloat(3.5);
  prop("S"); w.writeText(QStringLiteral("abc"));
  prop("L"); w.writeText(QString(260, u'z'));
  prop("W"); w.writeText(QStringLiteral("日本"));
  prop("U"); w.writeText(QStringLiteral("żółw"));
  prop("Id"); w.writeIdent(QStringLiteral("alClient"));
  prop("Set"); w.writeSet({QStringLiteral("a"), QStringLiteral("bc")});
  prop("Bin"); w.writeBinary(raw("\x01\x02\x03"));
  prop("Nil"); w.writeNil();
  prop("List");  // [1, ["x"]]
  w.writeListBegin();
  w.writeInteger(1);
  w.writeListBegin();
  w.writeText(QStringLiteral("x"));
  w.writeListEnd();
  w.writeListEnd();
  prop("Coll");  // an indexed item, then one holding an empty collection
  w.writeCollectionBegin();
  w.writeInteger(0);
  w.writeListBegin();
  prop("A"); w.writeInteger(1);
  w.writeListEnd();
  w.writeListBegin();
  prop("B"); w.writeCollectionBegin(); w.writeListEnd();
  w.writeListEnd();
  w.writeListEnd();
  QByteArray bytes = w.data();
  bytes += raw("\x04" "Sngl" "\x0f\x00\x00\xc0\x3f" "\x04" "Curr" "\x10\x01\x02\x03\x04\x05\x06\x07\x08"
               "\x04" "Date" "\x11\x00\x00\x00\x00\x00\x00\xf0\x3f"
               "\x04" "Dble" "\x15\x00\x00\x00\x00\x00\x00\xf0\x3f");
  bytes += raw("\x00");  // end of properties
  // Children: one with a prefix and its own child, then an empty list.
  bytes += raw("\xf2\x02\x01\x06" "TBand1\x05" "Band1" "\x01" "H" "\x02\x10\x00"
               "\x05" "TMemo\x00" "\x00\x00"
               "\x00");
  bytes += raw("\x00");
  return bytes;
}

void consume(const QByteArray& bytes) {
  ComponentReader r(bytes);
  r.readHeader();
  while (!r.endOfList()) r.skipProperty();
  r.readListEnd();
  r.skipComponents();
  if (!r.atEnd()) throw std::logic_error("bytes left over");
}

}  // namespace

TEST(ComponentStreamRead, SkipsEveryValueAndChildComponents) {
  const QByteArray bytes = everyValueStream();
  EXPECT_NO_THROW(consume(bytes));

  // The skipped sizes must be exact: a value read right after them lands.
  ComponentReader r(bytes);
  r.readHeader();
  for (int i = 0; i < 18; ++i) r.skipProperty();
  EXPECT_EQ(r.readPropName(), "Sngl");
  EXPECT_EQ(r.readFloat(), 1.5);
  r.skipProperty();
  r.skipProperty();
  EXPECT_EQ(r.readPropName(), "Dble");
  EXPECT_EQ(r.readFloat(), 1.0);
}

TEST(ComponentStreamRead, EveryTruncationThrowsFormatError) {
  const QByteArray bytes = everyValueStream();
  for (qsizetype size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_EQ(errorOf([&] { consume(bytes.left(size)); }), "Nieprawidłowy format danych");
  }
}

TEST(ComponentStreamRead, DeepNestingIsRejectedWithoutCrashing) {
  EXPECT_EQ(errorOf([] { ComponentReader(QByteArray(200000, '\x01')).skipValue(); }),
            "Nieprawidłowy format danych");
  QByteArray children;
  for (int i = 0; i < 50000; ++i) children += raw("\x01" "C\x00\x00");
  EXPECT_EQ(errorOf([&] { ComponentReader(children).skipComponents(); }), "Nieprawidłowy format danych");
}
