#include <gtest/gtest.h>

#include "preview/page_layout.h"

using valmoro::preview::PageLayout;

TEST(PageLayout, PagesOfDifferentSizesMakeCentredRowsOfTheirOwnHeights) {
  PageLayout layout;
  // Two small pages share a row, the wide one needs a row of its own.
  layout.Layout({QSize(100, 200), QSize(100, 150), QSize(300, 50)}, 1.0, 320);
  ASSERT_EQ(layout.Count(), 3);
  // Row 1: width 100+10+100+10 = 220; shift (320-220+10)/2+10 = 65.
  EXPECT_EQ(layout.PageRect(0), QRect(65, 10, 100, 200));
  EXPECT_EQ(layout.PageRect(1), QRect(175, 10, 100, 150));
  // Row 2 starts 10 below the tallest page of row 1: shift (320-310+10)/2+10 = 20.
  EXPECT_EQ(layout.PageRect(2), QRect(20, 220, 300, 50));
  EXPECT_EQ(layout.WidestRow(), 310);
  EXPECT_EQ(layout.ScrollRange(), QSize(320, 280));
}

TEST(PageLayout, ZoomScalesAndRoundsEveryPage) {
  PageLayout layout;
  layout.Layout({QSize(794, 1123)}, 0.5, 1000);
  // 794 * 0.5 = 397, 1123 * 0.5 = 561.5 -> 562
  EXPECT_EQ(layout.PageRect(0).size(), QSize(397, 562));
  // A row wider than the window is shifted by 10 only.
  layout.Layout({QSize(794, 1123)}, 2.0, 500);
  EXPECT_EQ(layout.PageRect(0).topLeft(), QPoint(10, 10));
}

TEST(PageLayout, RightToLeftMirrorsTheRows) {
  PageLayout layout;
  layout.Layout({QSize(100, 100), QSize(50, 100)}, 1.0, 400, true);
  // Left to right they would be at 130 and 240; mirrored: 400-100-130, 400-50-240.
  EXPECT_EQ(layout.PageRect(0).left(), 170);
  EXPECT_EQ(layout.PageRect(1).left(), 110);
}

TEST(PageLayout, CurrentPageWhileScrollingAndPageUnderThePointer) {
  PageLayout layout;
  std::vector<QSize> pages(10, QSize(500, 1000));
  layout.Layout(pages, 1.0, 600);
  // One page per row, tops 10, 1020, 2030 ...
  EXPECT_EQ(layout.PageRect(2).top(), 2030);
  EXPECT_EQ(layout.PageAtScroll(0), 0);
  // Page 2 becomes current once its top is within a fifth of its height.
  EXPECT_EQ(layout.PageAtScroll(1020 - 201), 0);
  EXPECT_EQ(layout.PageAtScroll(1020 - 200), 1);
  EXPECT_EQ(layout.PageAtScroll(1'000'000), 9);
  EXPECT_EQ(layout.PageAtPoint(QPoint(100, 1500)), 1);
  EXPECT_EQ(layout.PageAtPoint(QPoint(100, 1015)), -1);  // the gap between pages
  EXPECT_EQ(layout.PageAtPoint(QPoint(10, 1500)), -1);   // left of the page
}

TEST(PageLayout, AnIndexWithoutAPageGetsTheDefaultPageCentred) {
  PageLayout layout;
  layout.Layout({}, 1.0, 1000);
  EXPECT_EQ(layout.Count(), 0);
  EXPECT_EQ(layout.PageRect(5), QRect(103, 10, 794, 1123));
}
