#include "platform/grid_columns.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <functional>

#include "platform/component_stream.h"

using namespace valmoro::grid;
using valmoro::stream::ComponentWriter;
using valmoro::stream::StreamError;

namespace {

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

Column designedColumn(const QString& field, std::optional<QString> caption, int width) {
  Column c;
  c.alignment = Alignment::Center;
  c.expanded = false;
  c.fieldName = field;
  c.title.alignment = Alignment::Center;
  c.title.caption = caption;
  c.width = width;
  return c;
}

QList<Column> designedColumns() {
  return {designedColumn("Data", QStringLiteral("Data pomiaru"), 120),
          designedColumn("Modul", QStringLiteral("Moduł"), 120),
          designedColumn("Punkt", std::nullopt, 100),
          designedColumn("Temperatura", std::nullopt, 100),
          designedColumn("Wilgotnosc", QStringLiteral("Wilgotność [%]"), 100),
          designedColumn("Pracownik", std::nullopt, 160)};
}

const QByteArray kHead = raw("TPF0\x0f" "TColumnsWrapper\x00" "\x07" "Columns\x0e");
const QByteArray kTail = raw("\x00\x00\x00");

QByteArray designedItem(const QByteArray& field, const QByteArray& caption,
                        const QByteArray& width) {
  return raw("\x01\x09" "Alignment\x07\x08" "taCenter\x08" "Expanded\x08\x09" "FieldName") +
         field + raw("\x0f" "Title.Alignment\x07\x08" "taCenter") + caption +
         raw("\x05" "Width") + width + raw("\x07" "Visible\x09\x00");
}

// Stream with one column holding the given property bytes.
QByteArray oneColumn(const QByteArray& properties) {
  return kHead + raw("\x01") + properties + raw("\x00") + kTail;
}

}  // namespace

TEST(GridColumnsWrite, DesignedColumnsExactBytes) {
  const QByteArray bytes = writeColumnsStream(designedColumns());

  const QByteArray throughFirstItem = raw(
      "TPF0" "\x0f" "TColumnsWrapper" "\x00"
      "\x07" "Columns" "\x0e"
      "\x01"
      "\x09" "Alignment" "\x07\x08" "taCenter"
      "\x08" "Expanded" "\x08"
      "\x09" "FieldName" "\x06\x04" "Data"
      "\x0f" "Title.Alignment" "\x07\x08" "taCenter"
      "\x0d" "Title.Caption" "\x06\x0c" "Data pomiaru"
      "\x05" "Width" "\x02\x78"
      "\x07" "Visible" "\x09"
      "\x00");
  EXPECT_EQ(bytes.left(throughFirstItem.size()).toHex(' '), throughFirstItem.toHex(' '));

  const QByteArray expected =
      kHead +
      designedItem(raw("\x06\x04" "Data"), raw("\x0d" "Title.Caption\x06\x0c" "Data pomiaru"),
                   raw("\x02\x78")) +
      designedItem(raw("\x06\x05" "Modul"),
                   raw("\x0d" "Title.Caption\x14\x06\x00\x00\x00" "Modu\xc5\x82"),
                   raw("\x02\x78")) +
      designedItem(raw("\x06\x05" "Punkt"), {}, raw("\x02\x64")) +
      designedItem(raw("\x06\x0b" "Temperatura"), {}, raw("\x02\x64")) +
      designedItem(raw("\x06\x0a" "Wilgotnosc"),
                   raw("\x0d" "Title.Caption\x14\x10\x00\x00\x00" "Wilgotno\xc5\x9b\xc4\x87 [%]"),
                   raw("\x02\x64")) +
      designedItem(raw("\x06\x09" "Pracownik"), {}, raw("\x03\xa0\x00")) + kTail;
  EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
  EXPECT_EQ(readColumnsStream(bytes), designedColumns());
}

TEST(GridColumnsWrite, EmptyCollection) {
  const QByteArray bytes = writeColumnsStream({});
  EXPECT_EQ(bytes.toHex(' '), raw("TPF0\x0f" "TColumnsWrapper\x00\x07" "Columns\x0e\x00\x00\x00")
                                  .toHex(' '));
  EXPECT_TRUE(readColumnsStream(bytes).isEmpty());
}

TEST(GridColumnsWrite, UserWidenedColumnRoundTrips) {
  QList<Column> columns = designedColumns();
  columns[4].width = 245;
  columns[0].width = 32768;
  const QByteArray bytes = writeColumnsStream(columns);
  EXPECT_TRUE(bytes.contains(raw("\x05" "Width\x03\xf5\x00\x07" "Visible")));
  EXPECT_TRUE(bytes.contains(raw("\x05" "Width\x04\x00\x80\x00\x00\x07" "Visible")));
  EXPECT_EQ(readColumnsStream(bytes), columns);
}

TEST(GridColumnsWrite, EveryPropertyInOrder) {
  Column c;
  c.alignment = Alignment::RightJustify;
  c.buttonStyle = QStringLiteral("cbsEllipsis");
  c.color = 0x00123456u;
  c.dropDownRows = 12;
  c.expanded = false;
  c.fieldName = QStringLiteral("Wilgotnosc");
  ColumnFont font;
  font.charset = 238;
  font.color = 0x0000FFu;
  font.height = -13;
  font.name = QStringLiteral("Arial");
  font.orientation = 900;
  font.pitch = QStringLiteral("fpFixed");
  font.bold = true;
  font.underline = true;
  c.font = font;
  c.imeMode = QStringLiteral("imClose");
  c.imeName = QStringLiteral("Polski");
  c.pickList = QStringList{"tak", "nie", QStringLiteral("może")};
  c.popupMenu = QStringLiteral("PopupMenu1");
  c.readOnly = true;
  c.title.alignment = Alignment::LeftJustify;
  c.title.caption = QString();  // set, but empty
  c.title.color = 0xFF00000Fu;
  c.title.font = ColumnFont();
  c.width = 300;
  c.visible = false;

  const QByteArray bytes = writeColumnsStream({c});
  const QByteArray expected = oneColumn(raw(
      "\x09" "Alignment" "\x07\x0e" "taRightJustify"
      "\x0b" "ButtonStyle" "\x07\x0b" "cbsEllipsis"
      "\x05" "Color" "\x04\x56\x34\x12\x00"
      "\x0c" "DropDownRows" "\x02\x0c"
      "\x08" "Expanded" "\x08"
      "\x09" "FieldName" "\x06\x0a" "Wilgotnosc"
      "\x0c" "Font.Charset" "\x07\x12" "EASTEUROPE_CHARSET"
      "\x0a" "Font.Color" "\x07\x05" "clRed"
      "\x0b" "Font.Height" "\x02\xf3"
      "\x09" "Font.Name" "\x06\x05" "Arial"
      "\x10" "Font.Orientation" "\x03\x84\x03"
      "\x0a" "Font.Pitch" "\x07\x07" "fpFixed"
      "\x0a" "Font.Style" "\x0b\x06" "fsBold" "\x0b" "fsUnderline" "\x00"
      "\x07" "ImeMode" "\x07\x07" "imClose"
      "\x07" "ImeName" "\x06\x06" "Polski"
      "\x10" "PickList.Strings" "\x01" "\x06\x03" "tak" "\x06\x03" "nie"
          "\x14\x05\x00\x00\x00" "mo\xc5\xbc" "e" "\x00"
      "\x09" "PopupMenu" "\x07\x0a" "PopupMenu1"
      "\x08" "ReadOnly" "\x09"
      "\x0f" "Title.Alignment" "\x07\x0d" "taLeftJustify"
      "\x0d" "Title.Caption" "\x12\x00\x00\x00\x00"
      "\x0b" "Title.Color" "\x07\x09" "clBtnFace"
      "\x12" "Title.Font.Charset" "\x07\x0f" "DEFAULT_CHARSET"
      "\x10" "Title.Font.Color" "\x07\x0c" "clWindowText"
      "\x11" "Title.Font.Height" "\x02\xf5"
      "\x0f" "Title.Font.Name" "\x06\x06" "Tahoma"
      "\x10" "Title.Font.Style" "\x0b\x06" "fsBold" "\x00"
      "\x05" "Width" "\x03\x2c\x01"
      "\x07" "Visible" "\x08"));
  EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
  EXPECT_EQ(readColumnsStream(bytes), QList<Column>{c});
}

TEST(GridColumnsWrite, LongPropertyNamesRoundTrip) {
  // Names from 22 bytes up are longer than any value type number.
  Column c;
  c.title.font = ColumnFont();
  c.title.font->orientation = 450;
  c.title.font->pitch = QStringLiteral("fpVariable");
  const QByteArray bytes = writeColumnsStream({c});
  EXPECT_TRUE(bytes.contains(raw("\x16" "Title.Font.Orientation\x03\xc2\x01"
                                 "\x10" "Title.Font.Pitch\x07\x0a" "fpVariable")));
  EXPECT_EQ(readColumnsStream(bytes), QList<Column>{c});
}

TEST(GridColumnsRead, AcceptsOtherSpellingsAndForms) {
  // Integer colour and charset, identifiers in other letter case, a UTF-16
  // field name, a nil popup menu, and a font style without bold.
  const QList<Column> columns = readColumnsStream(oneColumn(raw(
      "\x09" "alignment" "\x07\x08" "TACENTER"
      "\x05" "Color" "\x04\x08\x00\x00\xff"
      "\x09" "FieldName" "\x12\x02\x00\x00\x00" "I\x00" "d\x00"
      "\x0c" "Font.Charset" "\x02\x01"
      "\x0a" "Font.Style" "\x0b\x08" "fsItalic" "\x00"
      "\x09" "PopupMenu" "\x0d")));
  ASSERT_EQ(columns.size(), 1);
  Column expected;
  expected.alignment = Alignment::Center;
  expected.color = 0xFF000008u;
  expected.fieldName = QStringLiteral("Id");
  expected.font = ColumnFont();
  expected.font->bold = false;
  expected.font->italic = true;
  EXPECT_EQ(columns[0], expected);

  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x09" "Alignment\x07\x08" "taMiddle"))); }),
            "Nieprawidłowa wartość właściwości");
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x05" "Width\x09"))); }),
            "Nieprawidłowa wartość właściwości");
}

TEST(GridColumnsRead, ItemIndicesAndPrefixAreSkipped) {
  const QByteArray bytes = raw(
      "TPF0" "\xf2\x02\x03" "\x0f" "TColumnsWrapper" "\x00"
      "\x07" "Columns" "\x0e"
      "\x02\x00" "\x01" "\x05" "Width" "\x02\x50" "\x00"
      "\x03\x01\x00" "\x01" "\x09" "FieldName" "\x06\x01" "X" "\x00"
      "\x04\x02\x00\x00\x00" "\x01" "\x00"
      "\x00\x00\x00");
  const QList<Column> columns = readColumnsStream(bytes);
  ASSERT_EQ(columns.size(), 3);
  EXPECT_EQ(columns[0].width, 80);
  EXPECT_EQ(columns[0].fieldName, QString());
  EXPECT_EQ(columns[1].width, std::nullopt);
  EXPECT_EQ(columns[1].fieldName, "X");
  EXPECT_EQ(columns[2], Column());
}

TEST(GridColumnsRead, UnknownPropertyMessages) {
  const struct {
    QByteArray property;
    const char* message;
  } cases[] = {
      {raw("\x03" "Foo\x02\x01"), "Właściwość Foo nie istnieje"},
      {raw("\x08" "Font.Foo\x02\x01"), "Właściwość Foo nie istnieje"},
      {raw("\x0e" "Title.Font.Bar\x02\x01"), "Właściwość Bar nie istnieje"},
      {raw("\x09" "Title.Bar\x02\x01"), "Właściwość Bar nie istnieje"},
      {raw("\x07" "Width.X\x02\x01"), "Właściwość Width nie istnieje"},
      {raw("\x0d" "PickList.Text\x02\x01"), "Właściwość Text nie istnieje"},
      {raw("\x04" "Font\x0d"), "Nieprawidłowa wartość właściwości"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(errorOf([&] { readColumnsStream(oneColumn(c.property)); }), c.message);
  }
  EXPECT_EQ(errorOf([] {
              readColumnsStream(raw("TPF0\x0f" "TColumnsWrapper\x00\x04" "Grid\x02\x01\x00\x00"));
            }),
            "Właściwość Grid nie istnieje");
}

TEST(GridColumnsRead, NamesFromADamagedFileAreShownEscapedAndShort) {
  // Control characters, an escape sequence and bytes that are not UTF-8.
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x0b" "Fo\x01o\x1b[31m\xff\xfe\x02\x01"))); }),
            "Właściwość Fo\\x01o\\x1B[31m\\uFFFD\\uFFFD nie istnieje");
  // A direction mark would turn the rest of the message around.
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x05" "a\xe2\x80\xaez" "\x02\x01"))); }),
            "Właściwość a\\u202Ez nie istnieje");
  // Characters beyond 16 bits count once; a private-use one is escaped.
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x09" "\xf0\x9f\x8c\xa1\xf3\xb0\x80\x80z" "\x02\x01"))); }),
            QStringLiteral("Właściwość \U0001F321\\U000F0000z nie istnieje"));
  // Polish letters are printable and stay as they are.
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x0b" "Szeroko\xc5\x9b\xc4\x87" "\x02\x01"))); }),
            QStringLiteral("Właściwość Szerokość nie istnieje"));
  // The longest name a file can hold is cut.
  QByteArray longName(255, 'x');
  longName[10] = '\x07';
  const QString message =
      errorOf([&] { readColumnsStream(oneColumn(char(255) + longName + QByteArray("\x02\x01", 2))); });
  // The limit counts what is shown: an escape takes its four characters.
  EXPECT_EQ(message, "Właściwość " + QString(10, 'x') + "\\x07" + QString(26, 'x') + QChar(0x2026) + " nie istnieje");
}

TEST(GridColumnsRead, DamagedStreamsThrowFormatError) {
  EXPECT_EQ(errorOf([] { readColumnsStream(QByteArray()); }), "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] {
              readColumnsStream(raw("TPFX\x0f" "TColumnsWrapper\x00\x07" "Columns\x0e\x00\x00\x00"));
            }),
            "Nieprawidłowy format danych");
  EXPECT_EQ(errorOf([] { readColumnsStream(oneColumn(raw("\x05" "Width\x1a"))); }),
            "Nieprawidłowy format danych");

  QList<Column> columns = designedColumns();
  columns[2].font = ColumnFont();
  columns[2].pickList = QStringList{"a", "b"};
  const QByteArray bytes = writeColumnsStream(columns);
  for (qsizetype size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_EQ(errorOf([&] { readColumnsStream(bytes.left(size)); }), "Nieprawidłowy format danych");
  }
}

TEST(GridColumnsRead, MutatedStreamsEitherReadOrThrowStreamError) {
  QList<Column> columns = designedColumns();
  columns[1].font = ColumnFont();
  columns[1].pickList = QStringList{"a", QStringLiteral("ą")};
  const QByteArray original = writeColumnsStream(columns);
  QRandomGenerator random(20240611);
  int failures = 0;
  for (int round = 0; round < 3000; ++round) {
    QByteArray bytes = original;
    const int edits = 1 + random.bounded(4);
    for (int e = 0; e < edits; ++e)
      bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
    try {
      readColumnsStream(bytes);
    } catch (const StreamError&) {
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}
