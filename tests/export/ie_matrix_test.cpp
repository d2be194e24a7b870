// The layout matrix: views placed freely on pages become rows and columns.

#include <gtest/gtest.h>

#include <memory>

#include "export/ie_matrix.h"
#include "report/model/frame.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/shape_view.h"

namespace valmoro::exports {
namespace {

using namespace report;

class MatrixTest : public ::testing::Test {
protected:
  TfrxMemoView* memo(double l, double t, double w, double h, const QString& text = QString()) {
    views_.push_back(std::make_unique<TfrxMemoView>());
    auto* view = static_cast<TfrxMemoView*>(views_.back().get());
    view->SetBounds(l, t, w, h);
    view->SetText(text);
    return view;
  }
  template <class T>
  T* view(double l, double t, double w, double h) {
    views_.push_back(std::make_unique<T>());
    auto* v = static_cast<T*>(views_.back().get());
    v->SetBounds(l, t, w, h);
    return v;
  }
  // The texts of the grid row by row, "." for an empty cell, "-" for a cell
  // without text.
  QStringList grid() const {
    QStringList rows;
    for (int y = 0; y < m.Height() - 1; ++y) {
      QStringList cells;
      for (int x = 0; x < m.Width() - 1; ++x) {
        const TfrxIEMObject* o = m.GetObject(x, y);
        cells << (o == nullptr ? QStringLiteral(".") : o->Memo.isEmpty() ? QStringLiteral("-") : o->Memo.join('/'));
      }
      rows << cells.join(' ');
    }
    return rows;
  }
  QList<double> columns() const {
    QList<double> list;
    for (int i = 0; i < m.XPosCount(); ++i) list << double(m.GetXPosById(i));
    return list;
  }
  QList<double> rows() const {
    QList<double> list;
    for (int i = 0; i < m.YPosCount(); ++i) list << double(m.GetYPosById(i));
    return list;
  }

  TfrxIEMatrix m;
  std::vector<std::unique_ptr<TfrxView>> views_;
};

TEST_F(MatrixTest, NearEdgesShareAColumnWithinTheTolerance) {
  m.MergeTolerance = 0.5;
  m.AddView(memo(10, 0, 20, 10, "a"));
  m.AddView(memo(10.3, 10, 19.7, 10, "b"));
  m.BuildGrid();
  EXPECT_EQ(columns(), (QList<double>{10.3, 30}));
  EXPECT_EQ(grid(), (QStringList{"a", "b"}));
}

TEST_F(MatrixTest, RunsOfNearPositionsCollapseOntoTheGreatest) {
  m.MergeTolerance = 0.5;
  m.AddView(memo(10, 0, 0, 5));
  m.AddView(memo(10.3, 0, 0, 5));
  m.AddView(memo(10.6, 0, 0, 5));
  m.BuildGrid();
  EXPECT_EQ(columns(), QList<double>{10.6});
}

TEST_F(MatrixTest, ExactDuplicatesFarApartStayWithoutTolerance) {
  m.AddView(memo(0, 0, 10, 10, "first"));
  // 120 views elsewhere push the first edges out of the recent window.
  for (int i = 0; i < 120; ++i) m.AddView(memo(100 + i * 5, 0, 5, 10));
  m.AddView(memo(0, 10, 10, 10, "again"));
  m.BuildGrid();
  const QList<double> cols = columns();
  EXPECT_EQ(cols.count(0.0), 2);
  EXPECT_EQ(cols.count(10.0), 2);
}

TEST_F(MatrixTest, LongRowGapsAreCutAtTheLimit) {
  m.RowHeightLimit = 537.835L;
  m.AddView(memo(0, 0, 10, 1200, "tall"));
  m.BuildGrid();
  const QList<double> r = rows();
  ASSERT_EQ(r.size(), 4);
  EXPECT_DOUBLE_EQ(r[0], 0);
  EXPECT_NEAR(r[1], 537.835, 1e-9);
  EXPECT_NEAR(r[2], 1075.67, 1e-9);
  EXPECT_DOUBLE_EQ(r[3], 1200);
  // The view spans the three rows.
  int x, y, dx, dy;
  ASSERT_TRUE(m.GetObjectPos(0, x, y, dx, dy));
  EXPECT_EQ(dy, 3);
}

TEST_F(MatrixTest, TouchingViewsMeetOnOneEdge) {
  m.AddView(memo(0, 0, 50, 20, "L"));
  m.AddView(memo(50, 0, 50, 20, "R"));
  m.AddView(memo(0, 20, 100, 20, "wide"));
  m.BuildGrid();
  EXPECT_EQ(columns(), (QList<double>{0, 50, 100}));
  EXPECT_EQ(grid(), (QStringList{"L R", "wide wide"}));
  int x, y, dx, dy;
  ASSERT_TRUE(m.GetObjectPos(2, x, y, dx, dy));
  EXPECT_EQ((QList<int>{x, y, dx, dy}), (QList<int>{0, 1, 2, 1}));
}

TEST_F(MatrixTest, AViewFullyCoveredByALaterOneDisappears) {
  m.AddView(memo(10, 10, 20, 20, "hidden"));
  m.AddView(memo(0, 0, 40, 40, "top"));
  m.BuildGrid();
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      if (const TfrxIEMObject* o = m.GetObject(x, y)) {
        EXPECT_NE(o->Memo.join(""), "hidden");
      }
}

TEST_F(MatrixTest, APartlyCoveredViewIsSplitAndOnePieceKeepsTheText) {
  auto* under = memo(0, 0, 100, 90, "text");
  under->Frame()->SetTyp(TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
  m.AddView(under);
  m.AddView(memo(0, 0, 100, 45, "cover"));
  m.BuildGrid();
  EXPECT_EQ(grid(), (QStringList{"cover", "text"}));
  const TfrxIEMObject* piece = m.GetObject(0, 1);
  ASSERT_NE(piece, nullptr);
  EXPECT_NE(piece->Parent, nullptr);
  EXPECT_DOUBLE_EQ(double(piece->Top), 45);
  EXPECT_DOUBLE_EQ(double(piece->Height), 45);
  // The piece keeps only the borders on the whole view's outer edges.
  EXPECT_EQ(piece->Style->FrameTyp, TfrxFrameTypes(ftLeft | ftRight | ftBottom));
  // The whole view is left an empty text cell.
  EXPECT_TRUE(piece->Parent->Memo.isEmpty());
}

TEST_F(MatrixTest, TextGoesToTheFirstPieceWithinTheUpperLeftTwoThirds) {
  m.AddView(memo(0, 0, 90, 90, "text"));
  m.AddView(memo(0, 0, 90, 20, "cover"));   // row 0 covered
  m.AddView(memo(0, 20, 20, 70, "side"));   // left strip below covered
  m.BuildGrid();
  // The remaining piece at (20, 20) starts inside the upper and left two
  // thirds, so it carries the text.
  const TfrxIEMObject* piece = m.GetObject(1, 1);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece->Memo.join(""), "text");
  EXPECT_DOUBLE_EQ(double(piece->Left), 20);
}

TEST_F(MatrixTest, RectangleShapesBecomeLinesOrOneFramedCell) {
  auto* empty = view<TfrxShapeView>(0, 0, 50, 50);
  empty->Frame()->SetTyp(TfrxFrameTypes(ftLeft));
  m.AddView(empty);
  m.BuildGrid();
  // Four lines, none of them occupying a cell.
  EXPECT_EQ(m.ObjectsCount(), 4);
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) EXPECT_EQ(m.Cell(x, y), -1);

  TfrxIEMatrix filled;
  auto* shape = view<TfrxShapeView>(0, 0, 50, 50);
  shape->SetColor(0x00FF00);
  filled.AddView(shape);
  filled.BuildGrid();
  ASSERT_EQ(filled.ObjectsCount(), 1);
  const TfrxIEMObject* cell = filled.GetObject(0, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Name, "Rect");
  EXPECT_EQ(cell->Style->Color, 0x00FF00u);
  EXPECT_EQ(cell->Style->FrameTyp, TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
}

TEST_F(MatrixTest, ATransparentTextOnAColouredCellTakesItsColour) {
  auto* back = memo(0, 0, 100, 40);
  back->SetColor(0x0000FF);
  m.AddView(back);
  m.AddView(memo(0, 0, 50, 20, "on red"));
  m.BuildGrid();
  const TfrxIEMObject* top = m.GetObject(0, 0);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Memo.join(""), "on red");
  EXPECT_EQ(top->Style->Color, 0x0000FFu);
}

TEST_F(MatrixTest, ADropShadowGivesTheViewAndTwoStrips) {
  auto* shadowed = memo(0, 0, 100, 50, "box");
  shadowed->Frame()->SetDropShadow(true);
  shadowed->Frame()->SetShadowWidth(4);
  shadowed->Frame()->SetShadowColor(0x808080);
  m.AddView(shadowed);
  m.BuildGrid();
  // The bottom strip covers the corner of the right one, which is cut.
  ASSERT_EQ(m.ObjectsCount(), 4);
  EXPECT_DOUBLE_EQ(double(m.GetObjectById(0)->Width), 96);
  EXPECT_DOUBLE_EQ(double(m.GetObjectById(0)->Height), 46);
  const TfrxIEMObject* right = m.GetObjectById(1);
  const TfrxIEMObject* bottom = m.GetObjectById(2);
  EXPECT_EQ(right->Name, "Shadow");
  EXPECT_EQ((QList<double>{double(right->Left), double(right->Top), double(right->Width), double(right->Height)}),
            (QList<double>{96, 4, 4, 46}));
  EXPECT_EQ((QList<double>{double(bottom->Left), double(bottom->Top), double(bottom->Width), double(bottom->Height)}),
            (QList<double>{4, 46, 96, 4}));
  EXPECT_EQ(right->Style->Color, 0x808080u);
  EXPECT_EQ(m.GetObject(m.Width() - 2, m.Height() - 2), bottom);
  // The view itself keeps its shadow and size.
  EXPECT_TRUE(shadowed->Frame()->DropShadow());
  EXPECT_EQ(shadowed->Width(), 100);
}

TEST_F(MatrixTest, EmptyRowsGoWhenNotKept) {
  m.KeepEmptyRows = false;
  m.AddView(memo(0, 0, 50, 20, "one"));
  m.AddView(memo(0, 100, 50, 20, "two"));
  m.BuildGrid();
  EXPECT_EQ(grid(), (QStringList{"one", "two"}));
  EXPECT_EQ(rows(), (QList<double>{0, 20, 40}));
}

TEST_F(MatrixTest, PagesStackAndRememberTheirMargins) {
  m.AddView(memo(0, 10, 50, 20, "p1"));
  m.AddPageRecord(poPortrait, true, 0, 5, 20, 5, 10, 1000, 800);
  m.AddView(memo(0, 10, 50, 20, "p2"));
  m.AddPageRecord(poLandscape, true, 1, 5, 20, 5, 10, 800, 1000);
  m.BuildGrid();
  EXPECT_EQ(m.PagesCount(), 2);
  EXPECT_DOUBLE_EQ(double(m.GetPageBottom(0)), 30);
  EXPECT_DOUBLE_EQ(double(m.GetPageBottom(1)), 60);
  EXPECT_DOUBLE_EQ(double(m.GetObjectById(1)->Top), 40);
  // Left and right swap on the second page of mirrored margins.
  EXPECT_DOUBLE_EQ(double(m.GetPageLMargin(0)), 10);
  EXPECT_DOUBLE_EQ(double(m.GetPageLMargin(1)), 20);
  EXPECT_DOUBLE_EQ(double(m.GetPageRMargin(1)), 10);
  EXPECT_EQ(m.GetPageOrientation(1), poLandscape);
  EXPECT_DOUBLE_EQ(double(m.GetPageBottom(7)), 0);
  EXPECT_DOUBLE_EQ(double(m.GetPageLMargin(-1)), 0);
}

TEST_F(MatrixTest, EqualLookingViewsShareOneStyle) {
  m.AddView(memo(0, 0, 50, 20, "a"));
  m.AddView(memo(0, 20, 50, 20, "b"));
  auto* bold = memo(0, 40, 50, 20, "c");
  bold->Font()->SetStyle(TFontStyles(fsBold));
  m.AddView(bold);
  m.BuildGrid();
  EXPECT_EQ(m.StylesCount(), 2);
  EXPECT_EQ(m.GetObjectById(0)->StyleIndex, m.GetObjectById(1)->StyleIndex);
  EXPECT_NE(m.GetObjectById(0)->StyleIndex, m.GetObjectById(2)->StyleIndex);
}

TEST_F(MatrixTest, FillCellSitsUnderEverything) {
  m.AddFillCell = true;
  m.AddView(memo(20, 20, 30, 10, "x"));
  m.BuildGrid();
  const TfrxIEMObject* fill = m.GetObject(0, 0);
  ASSERT_NE(fill, nullptr);
  EXPECT_TRUE(fill->Memo.isEmpty());
  EXPECT_EQ(fill->Style->Color, 16777215u);
  EXPECT_EQ(grid(), (QStringList{"- -", "- x"}));
}

TEST_F(MatrixTest, PicturesOfOtherViewsAreDrawn) {
  auto* ellipse = view<TfrxShapeView>(0, 0, 30, 20);
  ellipse->SetShape(skEllipse);
  ellipse->SetColor(0x0000FF);
  m.AddView(ellipse);
  TfrxIEMatrix meta;
  meta.PicturesAsMetafiles = true;
  meta.AddView(ellipse);
  m.BuildGrid();
  meta.BuildGrid();
  const TfrxIEMObject* bitmap = m.GetObjectById(0);
  EXPECT_FALSE(bitmap->IsText);
  EXPECT_EQ(bitmap->Image.size(), QSize(31, 21));
  // The centre of the ellipse is red (colours are 0xBBGGRR).
  EXPECT_EQ(bitmap->Image.pixelColor(15, 10), QColor(255, 0, 0));
  const QByteArray emf = meta.GetObjectById(0)->Metafile;
  ASSERT_GT(emf.size(), 108);
  EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
  EXPECT_EQ(quint32(uchar(emf[48])) | (quint32(uchar(emf[49])) << 8) | (quint32(uchar(emf[50])) << 16),
            quint32(emf.size()));
}

TEST(PictureFiles, BitmapFileHeaderAndRows) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(QColor(10, 20, 30));
  image.setPixelColor(0, 0, QColor(255, 0, 0));
  const QByteArray bmp = BitmapFileFromImage(image);
  ASSERT_EQ(bmp.size(), 14 + 40 + 2 * 12);
  EXPECT_EQ(bmp.left(2), "BM");
  EXPECT_EQ(uchar(bmp[2]), bmp.size());
  // Bottom-up: the top-left red pixel is in the last row, stored blue first.
  EXPECT_EQ(bmp.mid(54 + 12, 3), QByteArray("\x00\x00\xff", 3));
  EXPECT_EQ(bmp.mid(54, 3), QByteArray("\x1e\x14\x0a", 3));
}

}  // namespace
}  // namespace valmoro::exports
