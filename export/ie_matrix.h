#pragma once
// The layout matrix: turns the freely placed views of all exported pages
// into one grid of rows and columns for the filters that can only write
// tables (word processor, spreadsheet).
//
// Filters feed it views page by page, close each page with a page record,
// build the grid once at the end and read it cell by cell. Columns are the
// distinct left/right edges of all views, rows the distinct top/bottom
// edges, after near edges are merged; where views overlap the later view
// wins and the rest of an earlier one is cut into rectangular pieces. Pages
// are stacked vertically into one coordinate space.
//
// Coordinates are report pixels (96 per inch) in extended precision.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "report/model/enums.h"
#include "report/model/units.h"

namespace valmoro::report {
class TfrxBand;
class TfrxComponent;
class TfrxCustomMemoView;
class TfrxView;
}  // namespace valmoro::report

namespace valmoro::exports {

using Extended = long double;

// The font of a cell style.
struct TfrxIEMFont {
  QString Name = QStringLiteral("Arial");
  int Size = 10;     // points
  int Height = -13;  // pixels; negative: the em height
  unsigned Style = 0;  // report::TFontStyle bits
  report::TColor Color = report::clBlack;
};

class TfrxIEMStyle {
public:
  TfrxIEMFont Font;
  report::TfrxFormatKind FormatKind = report::fkText;
  QString DecimalSeparator;
  QString FormatStr;
  report::TfrxHAlign HAlign = report::haLeft;
  report::TfrxVAlign VAlign = report::vaTop;
  report::TfrxFrameTypes FrameTyp;
  float FrameWidth = 1;
  report::TColor FrameColor = report::clBlack;
  report::TfrxFrameStyle FrameStyle = report::fsSolid;
  report::TColor Color = report::clTransparent;
  int Rotation = 0;
  report::TBrushStyle BrushStyle = report::bsSolid;
  Extended LineSpacing = 0;
  Extended GapX = 0;
  Extended GapY = 0;
  Extended ParagraphGap = 0;
  Extended CharSpacing = 0;
  bool WordBreak = false;
  int Charset = 1;

  // Equal in every attribute that shows in an export.
  bool IsEqual(const TfrxIEMStyle& other) const;
};

// One cell object: a text cell or a picture. A long report holds half a
// million of these at once, so the members are ordered to leave no gaps.
class TfrxIEMObject {
public:
  QStringList Memo;
  QString URL;
  QString Name;
  // The drawing of a picture cell: a 24-bit bitmap, or the bytes of an
  // enhanced metafile when the matrix draws metafiles.
  QImage Image;
  QByteArray Metafile;
  // The date-time (days since 1899-12-30) of a date view whose text does
  // not show all of it; NaN when the text says it all.
  double DateValue = std::numeric_limits<double>::quiet_NaN();
  TfrxIEMStyle* Style = nullptr;
  // The whole object a split piece was cut from.
  TfrxIEMObject* Parent = nullptr;
  int StyleIndex = -1;
  // Free for the filters (marks an object as written).
  int Counter = 0;
  bool IsText = true;
  bool RTL = false;
  bool Header = false;
  bool Footer = false;
  bool HTMLTags = false;
  Extended Left = 0, Top = 0, Width = 0, Height = 0;
};

// Where a cell object lies in the grid.
struct TfrxIEMObjectList {
  TfrxIEMObject* Obj = nullptr;
  int x = 0, y = 0, dx = 1, dy = 1;
  bool Exist = false;  // processed by the splitting pass
};

struct TfrxIEMPage {
  Extended Bottom = 0;
  report::TPrinterOrientation Orientation = report::poPortrait;
  Extended Width = 0, Height = 0;  // pixels
  Extended LeftMargin = 0, TopMargin = 0, BottomMargin = 0, RightMargin = 0;  // millimetres
  bool Mirror = false;
};

// Steps of a long operation: shown by the filter (a progress window, a
// terminal line) or nowhere.
class ExportProgress {
public:
  virtual ~ExportProgress() = default;
  virtual void Start(const QString& text, int maximum) = 0;
  virtual void Step() = 0;
  virtual bool Cancelled() const { return false; }
  virtual void Stop() = 0;
};

class TfrxIEMatrix {
public:
  TfrxIEMatrix();
  ~TfrxIEMatrix();
  TfrxIEMatrix(const TfrxIEMatrix&) = delete;
  TfrxIEMatrix& operator=(const TfrxIEMatrix&) = delete;

  // --- Options -------------------------------------------------------------------
  bool ProgressVisible = true;
  Extended RowHeightLimit = 0;
  Extended ColumnWidthLimit = 0;
  Extended MergeTolerance = 0;
  bool RotatedTextAsPicture = false;
  bool HatchAsPicture = true;
  bool AddFillCell = false;
  bool FillFromMinimum = false;
  bool MergeSharedBorders = false;
  bool StripHtmlTags = false;
  bool PreWrapText = false;
  bool PageBackgroundAsPicture = false;
  bool TakePageBackground = false;
  bool TakePictures = true;
  bool KeepEmptyRows = true;
  bool PicturesAsMetafiles = false;
  bool DotMatrixFonts = false;
  // Where BuildGrid reports its steps when ProgressVisible (may be none).
  ExportProgress* Progress = nullptr;

  // --- Filling -------------------------------------------------------------------
  void AddView(report::TfrxView* view);
  void AddPageRecord(report::TPrinterOrientation orientation, bool mirrorMargins, int pageIndex,
                     Extended bottomMargin, Extended rightMargin, Extended topMargin, Extended leftMargin,
                     Extended height, Extended width);
  void SetHeaderBand(report::TfrxComponent* band) { headerBand_ = band; }
  void SetFooterBand(report::TfrxComponent* band) { footerBand_ = band; }
  void BuildGrid();
  void Clear();

  // --- Reading -------------------------------------------------------------------
  int Width() const { return width_; }    // column count
  int Height() const { return height_; }  // row count
  // Placement index at (x, y), −1 for an empty cell or outside the grid.
  int Cell(int x, int y) const;
  TfrxIEMObject* GetObject(int x, int y) const;
  TfrxIEMObject* GetObjectById(int index) const;
  // False when index is out of range.
  bool GetObjectPos(int index, int& x, int& y, int& dx, int& dy) const;
  int ObjectsCount() const { return int(objects_.size()); }
  TfrxIEMStyle* GetStyleById(int index) const;
  int StylesCount() const { return int(styles_.size()); }
  int PagesCount() const { return int(pages_.size()); }
  Extended GetPageBottom(int page) const;
  Extended GetPageWidth(int page) const;
  Extended GetPageHeight(int page) const;
  Extended GetPageLMargin(int page) const;
  Extended GetPageTMargin(int page) const;
  Extended GetPageBMargin(int page) const;
  Extended GetPageRMargin(int page) const;
  report::TPrinterOrientation GetPageOrientation(int page) const;
  Extended GetXPosById(int index) const;
  Extended GetYPosById(int index) const;
  int XPosCount() const { return int(xPos_.size()); }
  int YPosCount() const { return int(yPos_.size()); }
  // Extents of the views added so far.
  Extended MaxWidth() const { return maxWidth_; }
  Extended MaxHeight() const { return maxHeight_; }
  Extended MinLeft() const { return minLeft_; }
  Extended MinTop() const { return minTop_; }

  // A style found in (or added to) the list; its index.
  int AddStyle(const TfrxIEMStyle& style);

private:
  struct Rect {
    Extended left, top, width, height;
  };
  TfrxIEMObject* newObject();
  void addInternalObject(TfrxIEMObject* object, Extended left, Extended top, Extended width, Extended height);
  void addPosition(std::vector<Extended>& list, Extended value);
  void addShadowed(report::TfrxCustomMemoView* memo);
  void addShape(report::TfrxView* shape);
  void addLine(report::TfrxView* line);
  void drawPicture(TfrxIEMObject* object, report::TfrxView* view);
  int makeStyle(report::TfrxView* view);
  int charsetOf(const QString& fontName, int charset);
  QStringList textOf(report::TfrxCustomMemoView* memo);
  void cleanPositions(std::vector<Extended>& list, Extended limit);
  void placeObjects();
  void fillCells();
  void splitCovered();
  void mergeSharedBorders();
  void removeEmptyRows();
  void cutPiece(int index, int x, int y, int dx, int dy);
  int styleWithSides(const TfrxIEMStyle& base, report::TfrxFrameTypes sides);
  int styleWithFill(const TfrxIEMStyle& base, report::TColor fill);
  void step();

  std::vector<std::unique_ptr<TfrxIEMObject>> owned_;
  std::vector<TfrxIEMObjectList> objects_;
  std::vector<std::unique_ptr<TfrxIEMStyle>> styles_;
  std::vector<Extended> xPos_;
  std::vector<Extended> yPos_;
  std::vector<TfrxIEMPage> pages_;
  QStringList fontCharsets_;  // name=charset
  std::vector<int> cells_;
  int width_ = 0;
  int height_ = 0;
  Extended maxWidth_ = 0;
  Extended maxHeight_ = 0;
  Extended minLeft_ = 99999;
  Extended minTop_ = 99999;
  Extended deltaY_ = 0;
  report::TfrxComponent* headerBand_ = nullptr;
  report::TfrxComponent* footerBand_ = nullptr;
  bool progressOpen_ = false;
};

// The bytes of an enhanced metafile of logical size width × height pixels
// (at 96 per inch) showing the image stretched over that area.
QByteArray EnhancedMetafileFromImage(const QImage& image, int width, int height);
// A bitmap file (.bmp) of the image: 24 bits per pixel, bottom-up rows.
QByteArray BitmapFileFromImage(const QImage& image);

}  // namespace valmoro::exports
