#include "platform/spreadsheet.h"

#include <QBuffer>
#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace valmoro::spreadsheet {

namespace {

// One request may touch at most this many cells; a whole-sheet range is
// only ever used for sheet-wide switches, never cell by cell.
constexpr long long kMaxCellsPerRequest = 50'000'000;

QString notAnAddress(const QString& text) {
  return QStringLiteral("\"%1\" nie jest adresem komórek arkusza.").arg(text);
}

// Parses one "A1" (dollar signs allowed); returns false when it is none.
bool parseCell(QStringView text, int& column, int& row) {
  qsizetype i = 0;
  if (i < text.size() && text[i] == u'$') ++i;
  long long col = 0;
  qsizetype letters = 0;
  while (i < text.size() && text[i].isLetter() && text[i].unicode() < 128) {
    col = col * 26 + (text[i].toUpper().unicode() - 'A' + 1);
    if (col > kMaxColumns) return false;
    ++i;
    ++letters;
  }
  if (letters == 0) return false;
  if (i < text.size() && text[i] == u'$') ++i;
  long long r = 0;
  qsizetype digits = 0;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
    r = r * 10 + (text[i].unicode() - '0');
    if (r > kMaxRows) return false;
    ++i;
    ++digits;
  }
  if (digits == 0 || i != text.size() || r < 1) return false;
  column = static_cast<int>(col);
  row = static_cast<int>(r);
  return true;
}

// A plain number in C notation, as typed input is read.
bool parsePlainNumber(const QString& text, double& out) {
  if (text.isEmpty()) return false;
  qsizetype i = 0;
  if (text[i] == u'+' || text[i] == u'-') ++i;
  qsizetype digits = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, ++digits;
  if (i < text.size() && text[i] == u'.') {
    ++i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    qsizetype expDigits = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != text.size()) return false;
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value)) return false;
  out = value;
  return true;
}

void assignValue(Cell& cell, const QVariant& value) {
  cell.text.clear();
  cell.number = 0;
  cell.kind = Cell::Kind::Empty;
  if (!value.isValid() || value.isNull()) return;
  switch (value.typeId()) {
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
      const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
      if (!dt.isValid()) return;
      // Serial days since 1899-12-30, the spreadsheet epoch.
      static const QDate epoch(1899, 12, 30);
      const double days = static_cast<double>(epoch.daysTo(dt.date()));
      cell.number = days + dt.time().msecsSinceStartOfDay() / 86'400'000.0;
      cell.kind = Cell::Kind::DateTime;
      return;
    }
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
      const double number = value.toDouble();
      if (std::isfinite(number)) {
        cell.number = number;
        cell.kind = Cell::Kind::Number;
      } else {
        cell.text = value.toString();
        cell.kind = Cell::Kind::Text;
      }
      return;
    }
    case QMetaType::Bool:
      cell.number = value.toBool() ? 1 : 0;
      cell.kind = Cell::Kind::Number;
      return;
    default:
      break;
  }
  QString text = value.toString();
  if (text.isEmpty()) return;
  if (text.startsWith(u'\'')) {
    text.remove(0, 1);
    if (text.isEmpty()) return;
    cell.text = std::move(text);
    cell.kind = Cell::Kind::Text;
    return;
  }
  double number = 0;
  if (parsePlainNumber(text, number)) {
    cell.number = number;
    cell.kind = Cell::Kind::Number;
    return;
  }
  cell.text = std::move(text);
  cell.kind = Cell::Kind::Text;
}

// Column width in characters to pixels, as the file format's readers do
// for the default font (seven pixels a digit plus five of padding).
double widthPixels(double characters) {
  if (characters <= 0) return 0;
  if (characters < 1) return std::trunc(characters * 12 + 0.5);
  return std::trunc(characters * 7 + 0.5) + 5;
}

}  // namespace

// --- addresses -------------------------------------------------------------

QString columnName(int column) {
  QString name;
  while (column > 0) {
    const int rest = (column - 1) % 26;
    name.prepend(QChar(u'A' + rest));
    column = (column - 1) / 26;
  }
  return name;
}

QString cellAddress(int column, int row) { return columnName(column) + QString::number(row); }

QString areaAddress(int column, int row, int columns, int rows) {
  if (columns <= 1 && rows <= 1) return cellAddress(column, row);
  return cellAddress(column, row) + u':' + cellAddress(column + std::max(columns, 1) - 1, row + std::max(rows, 1) - 1);
}

std::vector<Area> parseAddress(const QString& text) {
  std::vector<Area> areas;
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) throw SpreadsheetError(notAnAddress(text));
  qsizetype start = 0;
  while (start <= trimmed.size()) {
    qsizetype end = start;
    while (end < trimmed.size() && trimmed[end] != u';' && trimmed[end] != u',') ++end;
    const QStringView part = QStringView(trimmed).mid(start, end - start).trimmed();
    const qsizetype colon = part.indexOf(u':');
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (colon < 0) {
      if (!parseCell(part, c1, r1)) throw SpreadsheetError(notAnAddress(text));
      c2 = c1;
      r2 = r1;
    } else if (!parseCell(part.left(colon), c1, r1) || !parseCell(part.mid(colon + 1), c2, r2)) {
      throw SpreadsheetError(notAnAddress(text));
    }
    if (c2 < c1) std::swap(c1, c2);
    if (r2 < r1) std::swap(r1, r2);
    areas.push_back(Area{r1, c1, r2 - r1 + 1, c2 - c1 + 1});
    if (end >= trimmed.size()) break;
    start = end + 1;
  }
  return areas;
}

// --- styles ----------------------------------------------------------------

Style& Styles::Add(const QString& name) {
  if (name.isEmpty()) throw SpreadsheetError(QStringLiteral("Styl komórek musi mieć nazwę."));
  if (indexOf(name) >= 0) throw SpreadsheetError(QStringLiteral("Styl \"%1\" już istnieje.").arg(name));
  styles_.push_back(Style{});
  styles_.back().Name = name;
  return styles_.back();
}

int Styles::indexOf(const QString& name) const {
  for (std::size_t i = 0; i < styles_.size(); ++i)
    if (styles_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

Style* Styles::Item(const QString& name) {
  const int i = indexOf(name);
  return i < 0 ? nullptr : &styles_[static_cast<std::size_t>(i)];
}

const Style* Styles::Item(const QString& name) const {
  const int i = indexOf(name);
  return i < 0 ? nullptr : &styles_[static_cast<std::size_t>(i)];
}

// --- ranges ----------------------------------------------------------------

QString Range::Address() const {
  QStringList parts;
  for (const Area& a : areas_) parts << areaAddress(a.column, a.row, a.columns, a.rows);
  return parts.join(u';');
}

template <typename F>
void Range::forEachCell(F&& f) {
  long long total = 0;
  for (const Area& a : areas_) total += static_cast<long long>(a.rows) * a.columns;
  if (total > kMaxCellsPerRequest)
    throw SpreadsheetError(QStringLiteral("Zakres %1 jest zbyt duży.").arg(Address()));
  for (const Area& a : areas_)
    for (int r = a.row; r <= a.lastRow(); ++r)
      for (int c = a.column; c <= a.lastColumn(); ++c) f(sheet_->cell(r, c));
}

void Range::SetValue(const QVariant& value) {
  forEachCell([&](Cell& cell) { assignValue(cell, value); });
}

void Range::SetValues(const std::vector<std::vector<QVariant>>& rows) {
  if (areas_.empty()) return;
  const Area& a = areas_.front();
  const int rowCount = std::min<int>(a.rows, static_cast<int>(rows.size()));
  for (int r = 0; r < rowCount; ++r) {
    const auto& line = rows[static_cast<std::size_t>(r)];
    const int columnCount = std::min<int>(a.columns, static_cast<int>(line.size()));
    for (int c = 0; c < columnCount; ++c) {
      const QVariant& v = line[static_cast<std::size_t>(c)];
      // Assigning an array leaves cells for empty elements empty; only
      // touch cells that exist or get a value, so a sparse array stays cheap.
      if ((!v.isValid() || v.isNull()) && !sheet_->cellAt(a.row + r, a.column + c)) continue;
      assignValue(sheet_->cell(a.row + r, a.column + c), v);
    }
  }
}

QVariant Range::Value() const {
  if (areas_.empty()) return {};
  const Cell* cell = sheet_->cellAt(areas_.front().row, areas_.front().column);
  if (!cell) return {};
  switch (cell->kind) {
    case Cell::Kind::Text: return cell->text;
    case Cell::Kind::Number: return cell->number;
    case Cell::Kind::DateTime: {
      static const QDate epoch(1899, 12, 30);
      const double days = std::floor(cell->number);
      const qint64 ms = std::llround((cell->number - days) * 86'400'000.0);
      return QDateTime(epoch.addDays(static_cast<qint64>(days)), QTime(0, 0).addMSecs(static_cast<int>(ms)));
    }
    case Cell::Kind::Empty: break;
  }
  return {};
}

void Range::SetStyle(const QString& name) {
  const int index = sheet_->book().GetStyles().indexOf(name);
  if (index < 0) throw SpreadsheetError(QStringLiteral("Nie ma stylu \"%1\".").arg(name));
  forEachCell([&](Cell& cell) { cell.style = index; });
}

void Range::SetMergeCells(bool merge) {
  for (const Area& a : areas_) {
    if (merge) {
      sheet_->addMerge(a);
    } else {
      sheet_->removeMerges(a);
    }
  }
}

void Range::SetNumberFormat(const QString& format) {
  const int index = format.isEmpty() ? -1 : sheet_->book().numberFormatIndex(format);
  forEachCell([&](Cell& cell) { cell.numberFormat = index; });
}

void Range::SetBorderLineStyle(int edge, int lineStyle) {
  // Edges of the range as a whole: the left border goes on the first
  // column's cells, the top on the first row's, and so on.
  std::uint8_t bit = 0;
  switch (edge) {
    case xlEdgeLeft: bit = 1; break;
    case xlEdgeTop: bit = 2; break;
    case xlEdgeBottom: bit = 4; break;
    case xlEdgeRight: bit = 8; break;
    default: throw SpreadsheetError(QStringLiteral("Nieznana krawędź obramowania %1.").arg(edge));
  }
  const bool on = lineStyle != xlLineStyleNone && lineStyle != 0;
  for (const Area& a : areas_) {
    const int r1 = bit == 4 ? a.lastRow() : a.row;
    const int r2 = bit == 2 ? a.row : a.lastRow();
    const int c1 = bit == 8 ? a.lastColumn() : a.column;
    const int c2 = bit == 1 ? a.column : a.lastColumn();
    Range edgeRange(sheet_, {Area{r1, c1, r2 - r1 + 1, c2 - c1 + 1}});
    edgeRange.forEachCell([&](Cell& cell) {
      cell.borders = on ? static_cast<std::uint8_t>(cell.borders | bit) : static_cast<std::uint8_t>(cell.borders & ~bit);
    });
  }
}

void Range::SetRowHeight(double points) {
  if (!(points >= 0 && points <= 409))
    throw SpreadsheetError(QStringLiteral("Wysokość wiersza %1 pkt jest poza zakresem 0–409.").arg(points));
  for (const Area& a : areas_)
    for (int r = a.row; r <= a.lastRow(); ++r) sheet_->setRowHeight(r, points);
}

void Range::SetColumnWidth(double characters) {
  if (!(characters >= 0 && characters <= 255))
    throw SpreadsheetError(QStringLiteral("Szerokość kolumny %1 jest poza zakresem 0–255.").arg(characters));
  for (const Area& a : areas_)
    for (int c = a.column; c <= a.lastColumn(); ++c) sheet_->setColumnWidth(c, characters);
}

void Range::SetPageBreak(int kind) {
  for (const Area& a : areas_) {
    if (kind == xlPageBreakManual) {
      sheet_->addPageBreak(a.row);
    } else {
      auto& breaks = sheet_->pageBreaks_;
      breaks.erase(std::remove(breaks.begin(), breaks.end(), a.row), breaks.end());
    }
  }
}

void Range::SetWrapText(bool wrap) {
  if (areas_.size() == 1 && areas_.front() == Area{1, 1, kMaxRows, kMaxColumns}) {
    sheet_->wrapAll_ = wrap;
    return;
  }
  forEachCell([&](Cell& cell) { cell.wrap = wrap; });
}

void Range::Select() {
  if (!areas_.empty()) sheet_->selection_ = areas_.front();
}

void Range::PasteSpecial() {
  Select();
  sheet_->paste();
}

// --- worksheets ------------------------------------------------------------

Worksheet::Worksheet(Workbook* book, QString name) : book_(book), name_(std::move(name)) {}

Application& Worksheet::application() { return book_->application(); }

Range Worksheet::GetRange(const QString& address) { return Range(this, parseAddress(address)); }

Range Worksheet::GetRange(const QString& from, const QString& to) {
  const std::vector<Area> a = parseAddress(from);
  const std::vector<Area> b = parseAddress(to);
  const int r1 = std::min(a.front().row, b.front().row);
  const int c1 = std::min(a.front().column, b.front().column);
  const int r2 = std::max(a.front().lastRow(), b.front().lastRow());
  const int c2 = std::max(a.front().lastColumn(), b.front().lastColumn());
  return Range(this, {Area{r1, c1, r2 - r1 + 1, c2 - c1 + 1}});
}

Range Worksheet::Rows(int row) {
  if (row < 1 || row > kMaxRows) throw SpreadsheetError(QStringLiteral("Nie ma wiersza %1.").arg(row));
  return Range(this, {Area{row, 1, 1, kMaxColumns}});
}

Range Worksheet::Columns(int column) {
  if (column < 1 || column > kMaxColumns) throw SpreadsheetError(QStringLiteral("Nie ma kolumny %1.").arg(column));
  return Range(this, {Area{1, column, kMaxRows, 1}});
}

Range Worksheet::Cells() { return Range(this, {Area{1, 1, kMaxRows, kMaxColumns}}); }

Picture& Worksheet::Pictures(int index) {
  if (index < 1 || index > PictureCount()) throw SpreadsheetError(QStringLiteral("Nie ma obrazu %1.").arg(index));
  return pictures_[static_cast<std::size_t>(index - 1)];
}

Cell& Worksheet::cell(int row, int column) {
  if (rows_.size() < static_cast<std::size_t>(row)) rows_.resize(static_cast<std::size_t>(row));
  auto& line = rows_[static_cast<std::size_t>(row - 1)];
  if (line.size() < static_cast<std::size_t>(column)) line.resize(static_cast<std::size_t>(column));
  usedColumns_ = std::max(usedColumns_, column);
  return line[static_cast<std::size_t>(column - 1)];
}

const Cell* Worksheet::cellAt(int row, int column) const {
  if (row < 1 || column < 1 || static_cast<std::size_t>(row) > rows_.size()) return nullptr;
  const auto& line = rows_[static_cast<std::size_t>(row - 1)];
  if (static_cast<std::size_t>(column) > line.size()) return nullptr;
  return &line[static_cast<std::size_t>(column - 1)];
}

double Worksheet::rowHeight(int row) const {
  if (row < 1 || static_cast<std::size_t>(row) > rowHeights_.size()) return -1;
  return rowHeights_[static_cast<std::size_t>(row - 1)];
}

double Worksheet::columnWidth(int column) const {
  if (column < 1 || static_cast<std::size_t>(column) > columnWidths_.size()) return -1;
  return columnWidths_[static_cast<std::size_t>(column - 1)];
}

void Worksheet::setRowHeight(int row, double points) {
  if (rowHeights_.size() < static_cast<std::size_t>(row)) rowHeights_.resize(static_cast<std::size_t>(row), -1);
  rowHeights_[static_cast<std::size_t>(row - 1)] = points;
}

void Worksheet::setColumnWidth(int column, double width) {
  if (columnWidths_.size() < static_cast<std::size_t>(column))
    columnWidths_.resize(static_cast<std::size_t>(column), -1);
  columnWidths_[static_cast<std::size_t>(column - 1)] = width;
}

void Worksheet::removeMerges(const Area& area) {
  // Each cell knows the merged area it belongs to, so finding the areas a
  // range touches costs the range's size, not the number of areas.
  Range(this, {area}).forEachCell([&](Cell& cell) {
    if (cell.merge < 0) return;
    Area& gone = merges_[static_cast<std::size_t>(cell.merge)];
    const Area old = gone;
    gone.rows = 0;  // erased; skipped when read
    --activeMerges_;
    Range(this, {old}).forEachCell([](Cell& c) { c.merge = -1; });
  });
}

void Worksheet::addMerge(const Area& area) {
  if (area.rows * static_cast<long long>(area.columns) <= 1) return;
  // A new merge swallows the merges it overlaps, as it does on screen.
  removeMerges(area);
  const auto index = static_cast<std::int32_t>(merges_.size());
  merges_.push_back(area);
  ++activeMerges_;
  Range(this, {area}).forEachCell([&](Cell& cell) { cell.merge = index; });
}

std::vector<Area> Worksheet::merges() const {
  std::vector<Area> list;
  list.reserve(static_cast<std::size_t>(activeMerges_));
  for (const Area& m : merges_)
    if (m.rows > 0) list.push_back(m);
  return list;
}

void Worksheet::addPageBreak(int row) {
  if (row <= 1) return;  // nothing to break before the first row
  const auto at = std::lower_bound(pageBreaks_.begin(), pageBreaks_.end(), row);
  if (at == pageBreaks_.end() || *at != row) pageBreaks_.insert(at, row);
}

void Worksheet::paste() {
  const QImage& image = application().clipboardPicture();
  if (image.isNull()) throw SpreadsheetError(QStringLiteral("Schowek nie zawiera obrazu do wklejenia."));
  Picture picture;
  double left = 0;
  for (int c = 1; c < selection_.column; ++c) {
    const double w = columnWidth(c);
    left += widthPixels(w < 0 ? 8.43 : w) * 0.75;
  }
  double top = 0;
  for (int r = 1; r < selection_.row; ++r) {
    const double h = rowHeight(r);
    top += h < 0 ? 15 : h;
  }
  picture.Left = left;
  picture.Top = top;
  picture.Width = image.width() * 0.75;
  picture.Height = image.height() * 0.75;
  picture.pixelWidth = image.width();
  picture.pixelHeight = image.height();
  QImage copy = image;
  // 96 dpi as near as whole dots per metre allow; saving allows for the rest.
  copy.setDotsPerMeterX(kPictureDotsPerMeter);
  copy.setDotsPerMeterY(kPictureDotsPerMeter);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    copy.save(&buffer, "PNG");
  }
  picture.png = std::move(png);
  pictures_.push_back(std::move(picture));
}

// --- workbooks and the application ----------------------------------------

Workbook::Workbook(Application* app) : app_(app) {
  sheets_.push_back(std::make_unique<Worksheet>(this, QStringLiteral("Arkusz1")));
}

Workbook::~Workbook() = default;

Worksheet& Workbook::WorkSheets(int index) {
  if (index < 1 || index > WorksheetCount()) throw SpreadsheetError(QStringLiteral("Nie ma arkusza %1.").arg(index));
  return *sheets_[static_cast<std::size_t>(index - 1)];
}

void Workbook::SetStandardFont(const QString& name, double size) {
  standardFontName_ = name.trimmed();
  standardFontSize_ = size > 0 ? size : 0;
}

int Workbook::numberFormatIndex(const QString& format) {
  const qsizetype at = numberFormats_.indexOf(format);
  if (at >= 0) return static_cast<int>(at);
  numberFormats_ << format;
  return static_cast<int>(numberFormats_.size() - 1);
}

Application::Application() = default;
Application::~Application() = default;

Workbook& Application::AddWorkbook() {
  books_.push_back(std::make_unique<Workbook>(this));
  return *books_.back();
}

Workbook* Application::ActiveWorkbook() { return books_.empty() ? nullptr : books_.back().get(); }

Worksheet* Application::ActiveSheet() {
  Workbook* book = ActiveWorkbook();
  return book ? &book->WorkSheets(1) : nullptr;
}

void Application::Quit() {
  books_.clear();
  clipboard_ = QImage();
}

void Application::setClipboardPicture(const QImage& image) { clipboard_ = image; }

}  // namespace valmoro::spreadsheet
