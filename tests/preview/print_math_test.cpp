#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "preview/print_math.h"

using valmoro::preview::fit;
using valmoro::preview::fitCount;
using valmoro::preview::PageNumbersError;
using valmoro::preview::parsePageNumbers;

namespace {

using Pages = std::vector<int>;

TEST(PageNumbers, ListsRangesAndSinglePagesInTheOrderGiven) {
  EXPECT_EQ(parsePageNumbers("1,3,5-7", 12), (Pages{1, 3, 5, 6, 7}));
  EXPECT_EQ(parsePageNumbers(" 1 , 3, 5 - 7 ", 12), (Pages{1, 3, 5, 6, 7}));
  EXPECT_EQ(parsePageNumbers("5-", 12), (Pages{5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(parsePageNumbers("7-5,2", 12), (Pages{2}));
  EXPECT_EQ(parsePageNumbers("2,2", 12), (Pages{2, 2}));
  EXPECT_EQ(parsePageNumbers("4,1-2", 12), (Pages{4, 1, 2}));
  EXPECT_TRUE(parsePageNumbers("", 12).empty());
  EXPECT_TRUE(parsePageNumbers("   ", 12).empty());
}

TEST(PageNumbers, HugeRangesGiveNoMoreNumbersThanThereArePages) {
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(parsePageNumbers("1-2000000000", 4), (Pages{1, 2, 3, 4}));
  EXPECT_EQ(parsePageNumbers("3,1-2000000000", 4), (Pages{3, 1, 2, 3}));
  EXPECT_EQ(parsePageNumbers("1999999990-2000000000", 4).size(), 4u);
  EXPECT_LT(timer.elapsed(), 1000);
}

TEST(PageNumbers, TextThatIsNoPageNumberIsRefusedWithTheExample) {
  for (const char* text : {"1,a", "1-x", "1--3", "-", "2,,3", "99999999999", "1.5"}) {
    try {
      parsePageNumbers(QString::fromLatin1(text), 10);
      ADD_FAILURE() << "accepted " << text;
    } catch (const PageNumbersError& e) {
      EXPECT_TRUE(e.text().contains(QStringLiteral("nie jest numerem strony"))) << e.text().toStdString();
      EXPECT_TRUE(e.text().contains(QStringLiteral("np.1,3,5-12"))) << e.text().toStdString();
    }
  }
  try {
    parsePageNumbers("1,abc", 10);
  } catch (const PageNumbersError& e) {
    EXPECT_TRUE(e.text().startsWith(QStringLiteral("„abc” nie jest numerem strony."))) << e.text().toStdString();
  }
}

TEST(SheetFit, CountsPartsWithTheElevenMillimetreTolerance) {
  EXPECT_EQ(fitCount(420, 210), 2);
  EXPECT_EQ(fitCount(300, 297), 1);
  EXPECT_EQ(fitCount(310, 297), 2);
  EXPECT_EQ(fitCount(297, 210), 2);
  EXPECT_EQ(fitCount(100, 210), 1);
  EXPECT_EQ(fitCount(630, 210), 3);

  // Two A5 pages side by side on a landscape A4 sheet rather than four
  // that do not fit upright.
  const auto a5OnA4 = fit(210, 297, 148, 210);
  EXPECT_EQ(a5OnA4.across, 1);
  EXPECT_EQ(a5OnA4.down, 2);
  EXPECT_TRUE(a5OnA4.rotated);

  const auto a4OnA4 = fit(210, 297, 210, 297);
  EXPECT_EQ(a4OnA4.across, 1);
  EXPECT_EQ(a4OnA4.down, 1);
  EXPECT_FALSE(a4OnA4.rotated);
}

}  // namespace
