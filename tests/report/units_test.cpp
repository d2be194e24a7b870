// Colours and lengths of the report model: colours as a type of their own
// in variants and documents, lengths between the stored units and the
// designer's, shown with a decimal comma.

#include <gtest/gtest.h>

#include "document_support.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/dialog.h"
#include "report/model/frame.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/published.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "report/model/style.h"
#include "report/model/units.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

using valmoro::report::testing::prop;

// The attributes of the element of the object called so, or "(none)".
QString elementOf(const QByteArray& document, const QString& name) {
  const QString text = QString::fromUtf8(document);
  const qsizetype at = text.indexOf(" Name=\"" + name + "\"");
  if (at < 0) return QStringLiteral("(none)");
  return text.mid(at, text.indexOf(QLatin1Char('>'), at) - at);
}

template <class T>
T* named(TfrxComponent* parent, const char* name) {
  auto* object = new T(parent);
  object->SetName(QString::fromLatin1(name));
  return object;
}

}  // namespace

// --- Colours --------------------------------------------------------------------------

TEST(ColourType, ConvertsInVariantsAsAnUnsignedNumberDid) {
  const QVariant system = QVariant::fromValue(TColor(clBtnFace));
  EXPECT_EQ(system.metaType(), QMetaType::fromType<TColor>());
  EXPECT_EQ(system.toLongLong(), 4278190095LL);
  EXPECT_EQ(system.toUInt(), 0xFF00000Fu);
  EXPECT_EQ(system.toInt(), -16777201);
  EXPECT_EQ(system.toDouble(), 4278190095.0);
  EXPECT_EQ(system.toString(), "4278190095");
  // Back from numbers, wrapping as a quint32 does; texts must be numbers.
  EXPECT_EQ(QVariant(-16777201).value<TColor>(), clBtnFace);
  EXPECT_EQ(QVariant(qlonglong(255)).value<TColor>(), clRed);
  EXPECT_EQ(QVariant(QStringLiteral("536870911")).value<TColor>(), clTransparent);
  QVariant text(QStringLiteral("czerwony"));
  EXPECT_FALSE(text.convert(QMetaType::fromType<TColor>()));
  // Variants of colours compare by value.
  EXPECT_EQ(QVariant::fromValue(TColor(clRed)), QVariant::fromValue(TColor(0xFFu)));
  EXPECT_NE(QVariant::fromValue(TColor(clRed)), QVariant::fromValue(TColor(clBlack)));
}

TEST(ColourType, PublishedColoursReadAndWriteThroughVariants) {
  TfrxMemoView memo;
  const PublishedProperty& color = prop(TfrxMemoView::staticMetaObject, "Color");
  EXPECT_EQ(color.kind(), PropertyKind::Color);
  EXPECT_EQ(color.defaultValue().value<TColor>(), clTransparent);
  EXPECT_TRUE(color.isDefault(&memo));
  EXPECT_TRUE(color.write(&memo, QVariant(255)));
  EXPECT_EQ(memo.Color(), clRed);
  EXPECT_TRUE(color.write(&memo, QVariant(-16777201)));
  EXPECT_EQ(memo.Color(), clBtnFace);
  EXPECT_EQ(color.readOrdinal(&memo), 4278190095LL);
  EXPECT_FALSE(color.isDefault(&memo));
  // Not a number: refused, the colour stays.
  EXPECT_FALSE(color.write(&memo, QVariant(QStringLiteral("czerwony"))));
  EXPECT_EQ(memo.Color(), clBtnFace);
  // Dotted paths reach the colours of nested objects.
  EXPECT_TRUE(writePropertyPath(&memo, u"Frame.LeftLine.Color", QVariant(0x00FF00)));
  EXPECT_EQ(memo.Frame()->LeftLine()->Color(), 0x00FF00u);
  EXPECT_EQ(readPropertyPath(&memo, u"Frame.LeftLine.Color").toInt(), 0x00FF00);
  EXPECT_EQ(readPropertyPath(&memo, u"Font.Color").metaType(), QMetaType::fromType<TColor>());
}

TEST(ColourDocuments, EveryColourPropertyIsASignedNumberAndComesBackByteForByte) {
  TfrxReport report;
  TfrxStyleItem* style = report.Styles()->Add();
  style->SetName("Styl");
  style->SetColor(0xFF000005);
  style->Font()->SetColor(0x80000000);
  style->Frame()->SetColor(clTransparent);

  auto* dialog = named<TfrxDialogPage>(&report, "Okno");
  dialog->SetColor(clWhite);
  auto* page = named<TfrxReportPage>(&report, "Strona");
  page->SetColor(0x00FFEEDD);
  auto* band = named<TfrxMasterData>(page, "Pasmo");
  band->Font()->SetColor(0xFF000008);
  band->SetParentFont(false);
  auto* memo = named<TfrxMemoView>(band, "Tekst");
  memo->SetColor(clBtnFace);
  memo->Font()->SetColor(clRed);
  memo->Frame()->SetColor(0xFFFFFFFF);
  memo->Frame()->SetShadowColor(0x00808080);
  memo->Frame()->LeftLine()->SetColor(0x0000FF00);
  memo->Highlight()->SetCondition("Value < 0");
  memo->Highlight()->SetColor(clBlack);
  auto* plain = named<TfrxMemoView>(band, "Zwykly");
  plain->SetColor(clTransparent);
  plain->Font()->SetColor(clTransparent);
  auto* sys = named<TfrxSysMemoView>(band, "Suma");
  sys->SetColor(0x7FFFFFFF);
  auto* picture = named<TfrxPictureView>(band, "Obraz");
  picture->SetTransparentColor(clBlack);
  auto* shape = named<TfrxShapeView>(band, "Ksztalt");
  shape->SetColor(0xFF000000);

  const QByteArray saved = report::testing::saveDocument(report);
  const QString text = QString::fromUtf8(saved);
  // Styles are attribute texts inside the report's PropData.
  const qsizetype data = text.indexOf(" PropData=\"") + 11;
  const QByteArray styles = QByteArray::fromHex(text.mid(data, text.indexOf('"', data) - data).toLatin1());
  EXPECT_TRUE(styles.contains(" Name=\"Styl\" Color=\"-16777211\"")) << styles.toStdString();
  EXPECT_TRUE(styles.contains(" Font.Color=\"-2147483648\"")) << styles.toStdString();
  EXPECT_TRUE(styles.contains(" Frame.Color=\"536870911\"")) << styles.toStdString();
  EXPECT_TRUE(elementOf(saved, "Okno").contains(" Color=\"16777215\""));
  EXPECT_TRUE(elementOf(saved, "Strona").contains(" Color=\"16772829\""));
  EXPECT_TRUE(elementOf(saved, "Pasmo").contains(" Font.Color=\"-16777208\""));
  const QString memoText = elementOf(saved, "Tekst");
  for (const char* attribute : {" Color=\"-16777201\"", " Font.Color=\"255\"", " Frame.Color=\"-1\"",
                                " Frame.ShadowColor=\"8421504\"", " Frame.LeftLine.Color=\"65280\"",
                                " Highlight.Color=\"0\""})
    EXPECT_TRUE(memoText.contains(QString::fromLatin1(attribute))) << attribute << " in " << memoText.toStdString();
  // The default colour is left out, the font's transparency is not.
  const QString plainText = elementOf(saved, "Zwykly");
  EXPECT_FALSE(plainText.contains(" Color=")) << plainText.toStdString();
  EXPECT_TRUE(plainText.contains(" Font.Color=\"536870911\"")) << plainText.toStdString();
  EXPECT_TRUE(elementOf(saved, "Suma").contains(" Color=\"2147483647\""));
  EXPECT_TRUE(elementOf(saved, "Obraz").contains(" TransparentColor=\"0\""));
  EXPECT_TRUE(elementOf(saved, "Ksztalt").contains(" Color=\"-16777216\""));

  TfrxReport again;
  ASSERT_TRUE(report::testing::loadDocument(again, saved));
  EXPECT_EQ(again.Errors(), QStringList());
  EXPECT_EQ(report::testing::differences(report, again), QStringList());
  EXPECT_EQ(report::testing::saveDocument(again), saved);
  auto* read = qobject_cast<TfrxMemoView*>(again.FindObject("Tekst"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Color(), clBtnFace);
  EXPECT_EQ(read->Frame()->Color(), 0xFFFFFFFFu);
  EXPECT_EQ(again.Styles()->Item(0)->Font()->Color(), 0x80000000u);
}

TEST(ColourDocuments, ColoursOutsideThirtyTwoBitsAreRefused) {
  const QByteArray document = report::testing::kHeader +
      "<TfrxReport>\r\n"
      "  <TfrxReportPage Name=\"Page1\">\r\n"
      "    <TfrxMemoView Name=\"A\" Color=\"4294967295\" Font.Color=\"-2147483648\"/>\r\n"
      "    <TfrxMemoView Name=\"B\" Color=\"4294967296\" Font.Color=\"-2147483649\"/>\r\n"
      "  </TfrxReportPage>\r\n"
      "</TfrxReport>\r\n";
  TfrxReport report;
  ASSERT_TRUE(report::testing::loadDocument(report, document));
  auto* a = qobject_cast<TfrxMemoView*>(report.FindObject("A"));
  auto* b = qobject_cast<TfrxMemoView*>(report.FindObject("B"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Color(), 0xFFFFFFFFu);
  EXPECT_EQ(a->Font()->Color(), 0x80000000u);
  EXPECT_EQ(b->Color(), clTransparent);
  EXPECT_EQ(b->Font()->Color(), clBlack);
  EXPECT_EQ(report.Errors().size(), 2) << report.Errors().join('\n').toStdString();
}

// --- Lengths in the designer's units ---------------------------------------------------------

TEST(Lengths, ConvertWithTheDocumentsFigures) {
  EXPECT_DOUBLE_EQ(convertLength(fr1cm, LengthUnit::Pixel, LengthUnit::Centimetre), 1);
  EXPECT_DOUBLE_EQ(convertLength(fr1cm, LengthUnit::Pixel, LengthUnit::Millimetre), 10);
  EXPECT_DOUBLE_EQ(convertLength(10, LengthUnit::Millimetre, LengthUnit::Pixel), 37.7953);
  EXPECT_DOUBLE_EQ(convertLength(210, LengthUnit::Millimetre, LengthUnit::Centimetre), 21);
  EXPECT_DOUBLE_EQ(convertLength(2.5, LengthUnit::Centimetre, LengthUnit::Millimetre), 25);
  EXPECT_DOUBLE_EQ(convertLength(1, LengthUnit::Inch, LengthUnit::Pixel), 96);
  EXPECT_DOUBLE_EQ(convertLength(48, LengthUnit::Pixel, LengthUnit::Inch), 0.5);
  EXPECT_NEAR(convertLength(25.4, LengthUnit::Millimetre, LengthUnit::Inch), 1, 1e-6);
  EXPECT_DOUBLE_EQ(convertLength(12.5, LengthUnit::None, LengthUnit::Centimetre), 12.5);
}

TEST(Lengths, ShownWithADecimalCommaAndReadBack) {
  EXPECT_EQ(formatLength(37.7953, LengthUnit::Pixel, LengthUnit::Centimetre), "1");
  EXPECT_EQ(formatLength(56.69295, LengthUnit::Pixel, LengthUnit::Centimetre), "1,5");
  EXPECT_EQ(formatLength(100, LengthUnit::Pixel, LengthUnit::Centimetre), "2,65");
  EXPECT_EQ(formatLength(100, LengthUnit::Pixel, LengthUnit::Millimetre), "26,5");
  EXPECT_EQ(formatLength(100, LengthUnit::Pixel, LengthUnit::Inch), "1,042");
  EXPECT_EQ(formatLength(37.7953, LengthUnit::Pixel, LengthUnit::Pixel), "37,8");
  EXPECT_EQ(formatLength(210, LengthUnit::Millimetre, LengthUnit::Centimetre), "21");
  EXPECT_EQ(formatLength(-18.89765, LengthUnit::Pixel, LengthUnit::Centimetre), "-0,5");
  EXPECT_EQ(formatLength(-0.001, LengthUnit::Pixel, LengthUnit::Centimetre), "0");

  EXPECT_DOUBLE_EQ(parseLength("1,5", LengthUnit::Pixel, LengthUnit::Centimetre), 56.69295);
  EXPECT_DOUBLE_EQ(parseLength(" 1.5 ", LengthUnit::Pixel, LengthUnit::Centimetre), 56.69295);
  EXPECT_DOUBLE_EQ(parseLength("2,5", LengthUnit::Millimetre, LengthUnit::Centimetre), 25);
  EXPECT_DOUBLE_EQ(parseLength("-1", LengthUnit::Pixel, LengthUnit::Inch), -96);
  // What is shown reads back as the same stored length.
  const double left = parseLength(formatLength(56.69295, LengthUnit::Pixel, LengthUnit::Centimetre),
                                  LengthUnit::Pixel, LengthUnit::Centimetre);
  EXPECT_DOUBLE_EQ(left, 56.69295);

  const auto refusal = [](const QString& text) {
    try {
      parseLength(text, LengthUnit::Pixel, LengthUnit::Centimetre);
    } catch (const ReportError& e) {
      return e.message();
    }
    return QStringLiteral("(accepted)");
  };
  EXPECT_EQ(refusal("abc"), "„abc” nie jest poprawną liczbą.");
  EXPECT_EQ(refusal(" 1,5 cm "), "„1,5 cm” nie jest poprawną liczbą.");
  EXPECT_EQ(refusal("1 000"), "„1 000” nie jest poprawną liczbą.");
  EXPECT_EQ(refusal("  "), "Podaj liczbę.");
  EXPECT_EQ(refusal("1e999"), "„1e999” nie jest poprawną liczbą.");
}
