#include "platform/locale.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <limits>
#include <ostream>

// Readable QString values in failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace loc = valmoro::locale;

namespace {

const QString nbsp(QChar(0x00A0));

// Cases are (input, expected) pairs; the input is shown on failure.
template <typename In>
struct Case {
  In input;
  QString expected;
};

}  // namespace

TEST(LocaleDateTime, FormatsPadFieldsAndDropMidnight) {
  EXPECT_EQ(loc::formatDate(QDate(2026, 1, 5)), "2026-01-05");
  EXPECT_EQ(loc::formatDate(QDate(987, 12, 31)), "0987-12-31");
  EXPECT_EQ(loc::formatDate(QDate()), "");
  EXPECT_EQ(loc::formatTime(QTime(7, 3, 9)), "07:03:09");
  EXPECT_EQ(loc::formatTime(QTime(23, 59, 59, 999)), "23:59:59");
  EXPECT_EQ(loc::formatTime(QTime()), "");

  EXPECT_EQ(loc::formatDateTime(QDateTime(QDate(2026, 1, 5), QTime(0, 0))), "2026-01-05");
  EXPECT_EQ(loc::formatDateTime(QDateTime(QDate(2026, 1, 5), QTime(7, 3, 9))), "2026-01-05 07:03:09");
  // A fraction of a second past midnight is not midnight.
  EXPECT_EQ(loc::formatDateTime(QDateTime(QDate(2026, 1, 5), QTime(0, 0, 0, 1))), "2026-01-05 00:00:00");
  EXPECT_EQ(loc::formatDateTimeFull(QDateTime(QDate(2026, 1, 5), QTime(0, 0))), "2026-01-05 00:00:00");
  EXPECT_EQ(loc::formatDateTime(QDateTime()), "");
}

TEST(LocaleDateTime, ParseDateAcceptsShortFormOnly) {
  EXPECT_EQ(loc::parseDate("2026-12-09"), QDate(2026, 12, 9));
  EXPECT_EQ(loc::parseDate("2026-1-5"), QDate(2026, 1, 5));
  EXPECT_EQ(loc::parseDate("2024-02-29"), QDate(2024, 2, 29));
  for (const char* bad : {"2025-02-29", "2026-13-01", "2026-00-10", "2026-01-32", "26-01-05", "02026-01-05",
                          "2026-001-05", "2026/01/05", "2026-01-05x", "2026-01", "", "abc", "2026-01-05 10:00"})
    EXPECT_EQ(loc::parseDate(bad), std::nullopt) << bad;
}

TEST(LocaleDateTime, ParseTimeAcceptsFourShapes) {
  EXPECT_EQ(loc::parseTime("07:05:09"), QTime(7, 5, 9));
  EXPECT_EQ(loc::parseTime("7:05:09"), QTime(7, 5, 9));
  EXPECT_EQ(loc::parseTime("23:59"), QTime(23, 59));
  EXPECT_EQ(loc::parseTime("0:00"), QTime(0, 0));
  for (const char* bad : {"24:00", "12:60", "12:00:60", "12:5", "12:05:9", "123:00", "12:00:", "12", "", "12.00",
                          " 12:00", "12:00:00:00"})
    EXPECT_EQ(loc::parseTime(bad), std::nullopt) << bad;
}

TEST(LocaleDateTime, ParseDateTimeTakesOptionalTimeAndBlanks) {
  EXPECT_EQ(loc::parseDateTime("2026-01-05"), QDateTime(QDate(2026, 1, 5), QTime(0, 0)));
  EXPECT_EQ(loc::parseDateTime("  2026-01-05 7:03  "), QDateTime(QDate(2026, 1, 5), QTime(7, 3)));
  EXPECT_EQ(loc::parseDateTime("2026-1-5   07:03:09"), QDateTime(QDate(2026, 1, 5), QTime(7, 3, 9)));
  for (const char* bad : {"2026-01-05T07:03:09", "2026-01-05 25:00", "2026-02-30 10:00", "07:03:09", "",
                          "2026-01-05 07:03 x"})
    EXPECT_EQ(loc::parseDateTime(bad), std::nullopt) << bad;
}

TEST(LocaleParseFloat, AcceptsBothSeparatorsSignsAndExponent) {
  const std::pair<const char*, double> good[] = {
      {"1,5", 1.5},   {"-0.25", -0.25}, {",5", 0.5},  {"5,", 5.0},     {"+7", 7.0},          {"1e3", 1000.0},
      {"2,5E-2", 0.025}, {"1E+2", 100.0}, {" 42 ", 42.0}, {"007", 7.0}, {"1e-400", 0.0}, {"12,5e-400", 0.0}, {"0,1", 0.1}};
  for (const auto& [text, value] : good) {
    const auto parsed = loc::parseFloat(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(*parsed, value) << text;
  }
}

TEST(LocaleParseFloat, RejectsEverythingElse) {
  for (const char* bad : {"abc", "", " ", "1,2,3", "1 000", "1.000,5", ",", "-", "+-1", "1e", "1e+", "e5", "inf",
                          "-inf", "nan", "infinity", "0x10", "1e999", "5 %", "--1"})
    EXPECT_EQ(loc::parseFloat(bad), std::nullopt) << bad;
  EXPECT_EQ(loc::parseFloat(QStringLiteral("1") + nbsp + "000"), std::nullopt);
  // Beyond the double range even though the exponent is negative.
  EXPECT_EQ(loc::parseFloat("1" + QString(320, u'0') + "e-5"), std::nullopt);
}

TEST(LocaleFormatFloatGeneral, FifteenDigitsAndExponentThresholds) {
  const Case<double> cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {-21.5, "-21,5"},
      {1e20, "1E20"},
      {1.5e-7, "1,5E-7"},
      {123456789012345678.0, "1,23456789012346E17"},
      {0.0001, "0,0001"},
      {0.00001, "1E-5"},
      {0.1 + 0.2, "0,3"},
      {999999999999999.0, "999999999999999"},
      {1e15, "1E15"},
      {100.0, "100"},
      {1.0 / 3.0, "0,333333333333333"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(loc::formatFloatGeneral(c.input), c.expected) << c.input;
}

struct PictureCase {
  const char* format;
  double value;
  QString expected;
};

TEST(LocaleFormatFloat, DigitPlaceholdersGroupingAndRounding) {
  const PictureCase cases[] = {
      {"#,##0.00", 1234.5, "1" + nbsp + "234,50"},
      {"#,##0.00", -1234567.891, "-1" + nbsp + "234" + nbsp + "567,89"},
      {"#,##0.00", 0, "0,00"},
      {"#,##0", 999.6, "1" + nbsp + "000"},
      {"#,##0", 12, "12"},
      {"0.###", 1.5, "1,5"},
      {"0.###", 2, "2"},
      {"0.0#", 3, "3,0"},
      {"#", 0, ""},
      {"#.00", 0.5, ",50"},
      {"000", 7, "007"},
      {"0", 12345, "12345"},
      {"00-00", 1234, "12-34"},
      {"0", 0.5, "1"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0.00", 2.675, "2,68"},
      {"0.00", 1.005, "1,01"},
      {"0.00", 9.995, "10,00"},
      {"0.00", -0.001, "0,00"},
      {"#,##0.00 °C", 21.456, "21,46 °C"},
      {"#,##0.00 °C", -5, "-5,00 °C"},
      {"'Suma: '0.00 'zł'", 12.3, "Suma: 12,30 zł"},
      {"\"#,0.\"0", 4, "#,0.4"},
      {"0.00", 1e18, "1E18"},
      {"", 21.5, "21,5"},
  };
  for (const auto& c : cases) EXPECT_EQ(loc::formatFloat(c.format, c.value), c.expected) << c.format << " / " << c.value;
}

TEST(LocaleFormatFloat, SectionsAndScientific) {
  const PictureCase cases[] = {
      {"0.00;(0.00)", -3.5, "(3,50)"},
      {"0.00;(0.00)", 3.5, "3,50"},
      {"0.00;(0.00)", 0, "0,00"},
      {"0.00;(0.00)", -0.001, "(0,00)"},
      {"0.00;;'zero'", 0, "zero"},
      {"0.00;;'zero'", -1, "-1,00"},
      {"0;'minus';'zero'", -4, "minus"},
      {"'a;b' 0;x", 5, "a;b 5"},
      {";", 2.5, "2,5"},
      {"0.0E+00", 12345, "1,2E+04"},
      {"0.0E+00", 0.00012345, "1,2E-04"},
      {"0.0E-00", 12345, "1,2E04"},
      {"0.0e+0", -99.96, "-1,0e+2"},
      {"00.00E+00", 12345, "12,35E+03"},
      {"0.0E+00", 0, "0,0E+00"},
      {"0.0E+00", 1e300, "1,0E+300"},
      {"0.0E+00", std::numeric_limits<double>::quiet_NaN(), "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(loc::formatFloat(c.format, c.value), c.expected) << c.format << " / " << c.value;
}

// The formats are the program's own; another default locale changes nothing.
TEST(LocaleFormatFloat, IgnoresDefaultQLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(loc::formatFloat("#,##0.00", 1234.5), "1" + nbsp + "234,50");
  EXPECT_EQ(loc::formatFloatGeneral(0.5), "0,5");
  EXPECT_EQ(loc::parseFloat("1,5"), 1.5);
  EXPECT_EQ(loc::formatDate(QDate(2026, 3, 4)), "2026-03-04");
  QLocale::setDefault(saved);
}

TEST(LocaleCodePage, PolishLettersRoundTripAndForeignOnesBecomeQuestionMarks) {
  using namespace valmoro::locale;
  const QString polish = QString::fromUtf8("Zażółć gęślą jaźń ŻÓŁĆ € „x”");
  const QByteArray bytes = toSystemCodePage(polish);
  EXPECT_EQ(bytes.size(), polish.size());
  EXPECT_EQ(quint8(bytes[2]), 0xBF);  // ż
  EXPECT_EQ(quint8(bytes.at(bytes.indexOf('x') - 1)), 0x84);  // „
  EXPECT_EQ(fromSystemCodePage(bytes), polish);
  EXPECT_EQ(toSystemCodePage(QString::fromUtf8("a日b")), QByteArray("a?b"));
}
