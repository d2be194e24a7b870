#pragma once
// A small spreadsheet object model: application, workbooks, named styles,
// worksheets, ranges, page setup and pictures. The spreadsheet export talks
// to it the way one talks to a spreadsheet program's automation objects
// (ranges by address, properties set on unions of ranges, values assigned
// as one array); nothing is written until the workbook is saved, then the
// whole workbook goes to an .xlsx file in one pass. No spreadsheet program
// is needed.
//
// Units follow that model: row heights, margins and picture geometry in
// points, column widths in characters of the default font, colours as
// 0x00BBGGRR (red in the low byte), rows and columns counted from 1.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <vector>

namespace valmoro::spreadsheet {

// Constants of the object model, with their customary values.
inline constexpr int xlWorkbookNormal = -4143;
inline constexpr int xlPageBreakManual = -4135;
inline constexpr int xlPageBreakNone = -4142;
inline constexpr int xlGeneral = 1;
inline constexpr int xlLeft = -4131;
inline constexpr int xlRight = -4152;
inline constexpr int xlCenter = -4108;
inline constexpr int xlJustify = -4130;
inline constexpr int xlTop = -4160;
inline constexpr int xlBottom = -4107;
inline constexpr int xlEdgeLeft = 7;
inline constexpr int xlEdgeTop = 8;
inline constexpr int xlEdgeBottom = 9;
inline constexpr int xlEdgeRight = 10;
inline constexpr int xlContinuous = 1;
inline constexpr int xlLineStyleNone = -4142;
inline constexpr int xlPortrait = 1;
inline constexpr int xlLandscape = 2;

// Limits of a worksheet in the file format.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
inline constexpr int kMaxCellText = 32767;
inline constexpr int kMaxPageBreaks = 1023;
// Resolution written into pasted pictures (96.012 dpi).
inline constexpr int kPictureDotsPerMeter = 3780;

// A request the model refuses (bad address, unknown style, file not
// written). The text is for the user.
class SpreadsheetError : public std::runtime_error {
public:
  explicit SpreadsheetError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

private:
  QString message_;
};

// One rectangle of cells, 1-based.
struct Area {
  int row = 1;
  int column = 1;
  int rows = 1;
  int columns = 1;
  int lastRow() const { return row + rows - 1; }
  int lastColumn() const { return column + columns - 1; }
  bool operator==(const Area&) const = default;
};

// "A" … "Z", "AA" … for columns 1, 2, …; empty for a column below 1.
QString columnName(int column);
// "B3" for column 2, row 3.
QString cellAddress(int column, int row);
// One cell's address, or "first:last" for a larger rectangle.
QString areaAddress(int column, int row, int columns, int rows);
// Parses "A1", "A1:C4", "$A$1" or a union of such joined by ";" or ",".
// Throws SpreadsheetError naming the text when it is not an address.
std::vector<Area> parseAddress(const QString& text);

struct Font {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  QString Name = QStringLiteral("Arial");
  double Size = 10;
  int Color = 0;  // 0x00BBGGRR
  bool operator==(const Font&) const = default;
};

// A named cell style of the workbook.
struct Style {
  QString Name;
  Font font;
  int InteriorColor = -1;  // -1: no fill
  int Orientation = 0;     // text rotation, -90 … 90 degrees
  int HorizontalAlignment = xlGeneral;
  int VerticalAlignment = xlBottom;
};

class Styles {
public:
  // Adds a style of that name; a name already taken is refused, as names
  // are how cells refer to styles.
  Style& Add(const QString& name);
  // The style of that name, or nullptr.
  Style* Item(const QString& name);
  const Style* Item(const QString& name) const;
  int Count() const { return static_cast<int>(styles_.size()); }
  const Style& at(int index) const { return styles_.at(static_cast<std::size_t>(index)); }
  int indexOf(const QString& name) const;

private:
  std::deque<Style> styles_;  // stable references while styles are added
};

struct PageSetup {
  double LeftMargin = 54;  // points
  double RightMargin = 54;
  double TopMargin = 72;
  double BottomMargin = 72;
  int Orientation = xlPortrait;
  int PaperSize = 9;  // A4
};

// A picture placed on a worksheet; its geometry is in points from the
// sheet's top-left corner and may be changed after pasting.
struct Picture {
  double Left = 0;
  double Top = 0;
  double Width = 0;
  double Height = 0;
  QByteArray png;
  int pixelWidth = 0;
  int pixelHeight = 0;
};

class Worksheet;
class Workbook;
class Application;

// What one cell holds. A value is empty, a text, a number or a date-time.
struct Cell {
  enum class Kind : std::uint8_t { Empty, Text, Number, DateTime };
  QString text;
  double number = 0;
  Kind kind = Kind::Empty;
  std::uint8_t borders = 0;  // bit 0 left, 1 top, 2 bottom, 3 right
  bool wrap = false;
  std::int32_t style = -1;   // index into the workbook's styles
  std::int32_t numberFormat = -1;
  std::int32_t merge = -1;  // the merged area the cell lies in
};

// A range of one worksheet: one rectangle or a union of them. Setting a
// property applies it to every cell of every rectangle.
class Range {
public:
  Range(Worksheet* sheet, std::vector<Area> areas) : sheet_(sheet), areas_(std::move(areas)) {}

  const std::vector<Area>& areas() const { return areas_; }
  QString Address() const;

  // One value for every cell. A text is read as the spreadsheet program
  // reads typed input: a leading apostrophe keeps the rest as text, a plain
  // number in C notation (12.5, -3, 1e3) becomes a number; anything else,
  // formulas included, stays text. A QDate/QDateTime becomes a date.
  void SetValue(const QVariant& value);
  // An array of values, row by row, laid from the range's first cell;
  // values beyond the first rectangle are dropped.
  void SetValues(const std::vector<std::vector<QVariant>>& rows);
  QVariant Value() const;  // of the first cell

  void SetStyle(const QString& name);
  void SetMergeCells(bool merge);
  void SetNumberFormat(const QString& format);
  // Borders.Item(edge).LineStyle
  void SetBorderLineStyle(int edge, int lineStyle);
  void SetRowHeight(double points);
  void SetColumnWidth(double characters);
  void SetPageBreak(int kind);
  void SetWrapText(bool wrap);
  // Makes this range the sheet's selection; PasteSpecial puts the
  // application's clipboard picture at the selection's first cell.
  void Select();
  void PasteSpecial();

private:
  friend class Worksheet;
  template <typename F>
  void forEachCell(F&& f);

  Worksheet* sheet_;
  std::vector<Area> areas_;
};

class Worksheet {
public:
  Worksheet(Workbook* book, QString name);

  const QString& Name() const { return name_; }
  Range GetRange(const QString& address);
  Range GetRange(const QString& from, const QString& to);
  Range Rows(int row);
  Range Columns(int column);
  Range Cells();
  Picture& Pictures(int index);  // 1-based
  int PictureCount() const { return static_cast<int>(pictures_.size()); }
  PageSetup& GetPageSetup() { return pageSetup_; }
  const PageSetup& GetPageSetup() const { return pageSetup_; }
  Workbook& book() { return *book_; }
  Application& application();

  // Read side, used when saving and by tests.
  const Cell* cellAt(int row, int column) const;
  double rowHeight(int row) const;        // < 0: default
  double columnWidth(int column) const;   // < 0: default
  bool wrapAll() const { return wrapAll_; }
  std::vector<Area> merges() const;  // in the order they were merged
  const std::vector<int>& pageBreaks() const { return pageBreaks_; }  // rows a page starts at, ascending
  const Area& selection() const { return selection_; }
  int usedRows() const { return static_cast<int>(rows_.size()); }
  int usedColumns() const { return usedColumns_; }

private:
  friend class Range;
  Cell& cell(int row, int column);
  void setRowHeight(int row, double points);
  void setColumnWidth(int column, double width);
  void addMerge(const Area& area);
  void removeMerges(const Area& area);
  void addPageBreak(int row);
  void paste();

  Workbook* book_;
  QString name_;
  std::vector<std::vector<Cell>> rows_;  // rows_[r - 1][c - 1]
  int usedColumns_ = 0;
  std::vector<double> rowHeights_;
  std::vector<double> columnWidths_;
  std::vector<Area> merges_;  // erased ones have no rows
  long long activeMerges_ = 0;
  std::vector<int> pageBreaks_;
  std::vector<Picture> pictures_;
  PageSetup pageSetup_;
  Area selection_;
  bool wrapAll_ = false;
};

class Workbook {
public:
  explicit Workbook(Application* app);
  ~Workbook();

  Worksheet& WorkSheets(int index);  // 1-based
  int WorksheetCount() const { return static_cast<int>(sheets_.size()); }
  Styles& GetStyles() { return styles_; }
  const Styles& GetStyles() const { return styles_; }
  Application& application() { return *app_; }

  // The font of the workbook's "Normal" style: cells without a style of
  // their own are shown in it, and column widths count its digits. Empty
  // name: the spreadsheet program's own default.
  void SetStandardFont(const QString& name, double size);
  const QString& standardFontName() const { return standardFontName_; }
  double standardFontSize() const { return standardFontSize_; }

  // Number formats are kept once each; cells refer to them by index.
  int numberFormatIndex(const QString& format);
  const QStringList& numberFormats() const { return numberFormats_; }

  // Writes the workbook. The file gets the extension ".xlsx" (an
  // ".xls" is replaced, any other is kept and ".xlsx" added). A worksheet
  // with more page breaks than one sheet may hold continues on further
  // sheets. Throws SpreadsheetError when the file cannot be written.
  // Returns the path written.
  QString SaveAs(const QString& fileName, int format = xlWorkbookNormal);
  const QString& savedPath() const { return savedPath_; }
  // What the last save had to change (texts cut, pictures left out).
  const QStringList& notes() const { return notes_; }

private:
  Application* app_;
  Styles styles_;
  QStringList numberFormats_;
  QString standardFontName_;
  double standardFontSize_ = 0;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  QString savedPath_;
  QStringList notes_;
};

class Application {
public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  bool ScreenUpdating = true;
  bool DisplayAlerts = true;
  // Kept for callers shaped like the automation model; whoever wants the
  // saved file shown opens it with the desktop's program.
  bool Visible = false;

  Workbook& AddWorkbook();  // WorkBooks.Add
  Workbook* ActiveWorkbook();
  Worksheet* ActiveSheet();
  void Quit();

  // What PasteSpecial pastes. The model keeps its own clipboard so that an
  // export never replaces what the user copied.
  void setClipboardPicture(const QImage& image);
  const QImage& clipboardPicture() const { return clipboard_; }

private:
  std::vector<std::unique_ptr<Workbook>> books_;
  QImage clipboard_;
};

}  // namespace valmoro::spreadsheet
