// Saving a workbook of the spreadsheet model as .xlsx through libxlsxwriter.
// The model already holds every cell, so the sheets are written row by row
// in ascending order, which lets the library keep only one row in memory
// (its constant-memory mode) however long the sheet is.

#include "platform/spreadsheet.h"

#include "platform/file_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>
#include <zlib.h>

namespace valmoro::spreadsheet {

namespace {

// 0x00BBGGRR of the object model to the library's 0xRRGGBB.
lxw_color_t libraryColor(int color) {
  const auto c = static_cast<std::uint32_t>(color) & 0xFFFFFFu;
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Merged areas one sheet may list: the library counts them in 16 bits.
constexpr std::size_t kMaxMergesPerSheet = 65535;

// Rows a worksheet is cut at so that no part carries more page breaks or
// merged areas than one sheet may hold: part k starts at starts[k]. A cut
// for breaks goes where a page begins; a cut for merges where a merged
// area begins, at a page start when the part has one after its first row.
std::vector<int> partStarts(const std::vector<int>& breaks, const std::vector<Area>& merges) {
  std::vector<int> mergeRows;
  mergeRows.reserve(merges.size());
  for (const Area& m : merges) mergeRows.push_back(m.row);
  std::sort(mergeRows.begin(), mergeRows.end());
  std::vector<int> starts{1};
  std::size_t nextBreak = 0;  // index into breaks
  std::size_t nextMerge = 0;  // index into mergeRows
  while (true) {
    const int start = starts.back();
    while (nextBreak < breaks.size() && breaks[nextBreak] <= start) ++nextBreak;
    while (nextMerge < mergeRows.size() && mergeRows[nextMerge] < start) ++nextMerge;
    int cut = 0;
    if (breaks.size() - nextBreak > std::size_t(kMaxPageBreaks)) cut = breaks[nextBreak + kMaxPageBreaks];
    if (mergeRows.size() - nextMerge > kMaxMergesPerSheet) {
      int byMerges = mergeRows[nextMerge + kMaxMergesPerSheet];
      // Prefer the last page start at or before that row.
      const auto page = std::upper_bound(breaks.begin() + std::ptrdiff_t(nextBreak), breaks.end(), byMerges);
      if (page != breaks.begin() + std::ptrdiff_t(nextBreak) && *(page - 1) > start) byMerges = *(page - 1);
      if (byMerges > start && (cut == 0 || byMerges < cut)) cut = byMerges;
    }
    if (cut <= start) break;
    starts.push_back(cut);
  }
  return starts;
}

double rowPoints(const Worksheet& sheet, int row) {
  const double h = sheet.rowHeight(row);
  return h < 0 ? 15 : h;
}

double columnPixels(const Worksheet& sheet, int column) {
  double w = sheet.columnWidth(column);
  if (w < 0) w = 8.43;
  if (w <= 0) return 0;
  if (w < 1) return std::trunc(w * 12 + 0.5);
  return std::trunc(w * 7 + 0.5) + 5;
}

class Writer {
public:
  Writer(const Workbook& book, lxw_workbook* out) : book_(book), out_(out) {}

  void writeSheet(const Worksheet& sheet, int& sheetNumber) {
    const std::vector<Area> merges = sheet.merges();
    const std::vector<int> starts = partStarts(sheet.pageBreaks(), merges);
    // The sheet reaches as far as its cells, merged areas and breaks do.
    int lastRow = std::max(sheet.usedRows(), 1);
    for (const Area& m : merges) lastRow = std::max(lastRow, m.lastRow());
    if (!sheet.pageBreaks().empty()) lastRow = std::max(lastRow, sheet.pageBreaks().back());
    for (std::size_t part = 0; part < starts.size(); ++part) {
      const int first = starts[part];
      const int last = part + 1 < starts.size() ? starts[part + 1] - 1 : std::max(lastRow, first);
      const QByteArray name = (QStringLiteral("Arkusz") + QString::number(sheetNumber++)).toUtf8();
      lxw_worksheet* ws = workbook_add_worksheet(out_, name.constData());
      if (!ws) throw SpreadsheetError(QStringLiteral("Nie można dodać arkusza do skoroszytu."));
      writePart(sheet, merges, ws, first, last, part + 1 == starts.size());
    }
  }

private:
  void writePart(const Worksheet& sheet, const std::vector<Area>& merges, lxw_worksheet* ws, int first, int last,
                 bool finalPart) {
    const PageSetup& setup = sheet.GetPageSetup();
    worksheet_set_margins(ws, setup.LeftMargin / 72.0, setup.RightMargin / 72.0, setup.TopMargin / 72.0,
                          setup.BottomMargin / 72.0);
    if (setup.Orientation == xlLandscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
    if (setup.PaperSize > 0 && setup.PaperSize < 256) worksheet_set_paper(ws, static_cast<uint8_t>(setup.PaperSize));

    for (int c = 1; c <= kMaxColumns; ++c) {
      const double w = sheet.columnWidth(c);
      if (w < 0) {
        if (c > sheet.usedColumns()) break;
        continue;
      }
      worksheet_set_column(ws, static_cast<lxw_col_t>(c - 1), static_cast<lxw_col_t>(c - 1), w, nullptr);
    }

    std::vector<lxw_row_t> breaks;
    for (int row : sheet.pageBreaks())
      if (row > first && row <= last) breaks.push_back(static_cast<lxw_row_t>(row - first));
    if (!breaks.empty()) {
      breaks.push_back(0);
      worksheet_set_h_pagebreaks(ws, breaks.data());
    }

    // Rows strictly in ascending order, each row's cells left to right.
    for (int r = first; r <= last; ++r) {
      const auto row = static_cast<lxw_row_t>(r - first);
      const double h = sheet.rowHeight(r);
      if (h >= 0) worksheet_set_row(ws, row, h, nullptr);
      for (int c = 1; c <= sheet.usedColumns(); ++c) {
        const Cell* cell = sheet.cellAt(r, c);
        if (!cell) break;  // rows are stored up to their last touched cell
        writeCell(sheet, ws, row, static_cast<lxw_col_t>(c - 1), *cell, r, c);
      }
    }

    for (const Area& m : merges) {
      if (m.row < first || m.row > last) continue;
      addMerge(ws, m, first, last);
    }
    placePictures(sheet, ws, first, finalPart ? kMaxRows : last);
  }

  void writeCell(const Worksheet& sheet, lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, const Cell& cell,
                 int sheetRow, int sheetColumn) {
    const bool wrap = cell.wrap || sheet.wrapAll();
    const bool date = cell.kind == Cell::Kind::DateTime;
    if (cell.kind == Cell::Kind::Empty && cell.style < 0 && cell.borders == 0 && cell.numberFormat < 0) return;
    lxw_format* format = formatFor(cell.style, cell.borders, cell.numberFormat, wrap, date);
    switch (cell.kind) {
      case Cell::Kind::Empty:
        if (format) worksheet_write_blank(ws, row, col, format);
        break;
      case Cell::Kind::Number:
      case Cell::Kind::DateTime:
        worksheet_write_number(ws, row, col, cell.number, format);
        break;
      case Cell::Kind::Text: {
        QString text = cell.text;
        if (text.size() > kMaxCellText) {
          // Cut at a whole character, never inside a surrogate pair.
          qsizetype cut = kMaxCellText;
          if (text[cut - 1].isHighSurrogate()) --cut;
          text.truncate(cut);
          notes_ << QStringLiteral("Tekst komórki %1 skrócono do %2 znaków.")
                        .arg(cellAddress(sheetColumn, sheetRow))
                        .arg(cut);
        }
        const QByteArray utf8 = text.toUtf8();
        // Always a text, never a formula, whatever it begins with.
        worksheet_write_string(ws, row, col, utf8.constData(), format);
        break;
      }
    }
  }

  lxw_format* formatFor(int style, int borders, int numberFormat, bool wrap, bool date) {
    if (style < 0 && borders == 0 && numberFormat < 0 && !wrap && !date) return nullptr;
    const quint64 key = (static_cast<quint64>(style + 1) & 0xFFFFFu) | (static_cast<quint64>(borders & 0xF) << 20) |
                        (static_cast<quint64>(numberFormat + 1) << 24) | (static_cast<quint64>(wrap) << 62) |
                        (static_cast<quint64>(date) << 63);
    const auto found = formats_.constFind(key);
    if (found != formats_.constEnd()) return found.value();
    lxw_format* f = workbook_add_format(out_);
    // Every new format starts in the library's own font; those without a
    // style of their own take the workbook's standard font instead.
    if (style < 0) applyStandardFont(f);
    if (style >= 0) {
      const Style& s = book_.GetStyles().at(style);
      const QByteArray fontName = s.font.Name.toUtf8();
      if (!fontName.isEmpty()) format_set_font_name(f, fontName.constData());
      if (s.font.Size > 0) format_set_font_size(f, s.font.Size);
      if (s.font.Bold) format_set_bold(f);
      if (s.font.Italic) format_set_italic(f);
      if (s.font.Underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
      if ((s.font.Color & 0xFFFFFF) != 0) format_set_font_color(f, libraryColor(s.font.Color));
      if (s.InteriorColor >= 0) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_fg_color(f, libraryColor(s.InteriorColor));
      }
      switch (s.HorizontalAlignment) {
        case xlLeft: format_set_align(f, LXW_ALIGN_LEFT); break;
        case xlRight: format_set_align(f, LXW_ALIGN_RIGHT); break;
        case xlCenter: format_set_align(f, LXW_ALIGN_CENTER); break;
        case xlJustify: format_set_align(f, LXW_ALIGN_JUSTIFY); break;
        default: break;
      }
      switch (s.VerticalAlignment) {
        case xlTop: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
        case xlCenter: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
        case xlJustify: format_set_align(f, LXW_ALIGN_VERTICAL_JUSTIFY); break;
        default: format_set_align(f, LXW_ALIGN_VERTICAL_BOTTOM); break;
      }
      if (s.Orientation != 0) format_set_rotation(f, static_cast<int16_t>(std::clamp(s.Orientation, -90, 90)));
    }
    if (borders & 1) format_set_left(f, LXW_BORDER_THIN);
    if (borders & 2) format_set_top(f, LXW_BORDER_THIN);
    if (borders & 4) format_set_bottom(f, LXW_BORDER_THIN);
    if (borders & 8) format_set_right(f, LXW_BORDER_THIN);
    if (numberFormat >= 0) {
      const QByteArray nf = book_.numberFormats().at(numberFormat).toUtf8();
      format_set_num_format(f, nf.constData());
    } else if (date) {
      format_set_num_format(f, "yyyy-mm-dd hh:mm");
    }
    if (wrap) format_set_text_wrap(f);
    formats_.insert(key, f);
    return f;
  }

  // Merges are recorded directly rather than through the library's merge
  // call: that call writes blank cells into later rows, which in
  // constant-memory mode would close the current row before its remaining
  // cells are written. The cells of the area already carry their format.
  static void addMerge(lxw_worksheet* ws, const Area& m, int first, int last) {
    const int lastRow = std::min(m.lastRow(), last);
    if (lastRow == m.row && m.columns <= 1) return;
    auto* range = static_cast<lxw_merged_range*>(std::calloc(1, sizeof(lxw_merged_range)));
    if (!range) throw SpreadsheetError(QStringLiteral("Brak pamięci przy zapisie skoroszytu."));
    range->first_row = static_cast<lxw_row_t>(m.row - first);
    range->last_row = static_cast<lxw_row_t>(lastRow - first);
    range->first_col = static_cast<lxw_col_t>(m.column - 1);
    range->last_col = static_cast<lxw_col_t>(m.lastColumn() - 1);
    STAILQ_INSERT_TAIL(ws->merged_ranges, range, list_pointers);
    ws->merged_range_count++;
  }

  // last is the part's last row, or kMaxRows for the final part (a picture
  // may lie below the last row that holds a cell).
  void placePictures(const Worksheet& sheet, lxw_worksheet* ws, int first, int last) {
    if (sheet.PictureCount() == 0) return;
    double partTop = 0;
    for (int r = 1; r < first; ++r) partTop += rowPoints(sheet, r);
    for (int i = 1; i <= sheet.PictureCount(); ++i) {
      const Picture& p = const_cast<Worksheet&>(sheet).Pictures(i);
      if (p.png.isEmpty() || p.pixelWidth <= 0 || p.pixelHeight <= 0) continue;
      // Find the cell under the picture's top-left corner, in pixels.
      double top = (p.Top - partTop) / 0.75;
      if (top < -0.5) continue;  // belongs to an earlier part
      int r = first;
      while (r < last && top >= rowPoints(sheet, r) / 0.75) {
        top -= rowPoints(sheet, r) / 0.75;
        ++r;
      }
      if (r == last && top >= rowPoints(sheet, r) / 0.75) continue;  // below this part
      double left = p.Left / 0.75;
      int c = 1;
      while (c < kMaxColumns && left >= columnPixels(sheet, c) && columnPixels(sheet, c) > 0) {
        left -= columnPixels(sheet, c);
        ++c;
      }
      lxw_image_options options{};
      options.x_offset = static_cast<int32_t>(std::lround(std::max(left, 0.0)));
      options.y_offset = static_cast<int32_t>(std::lround(std::max(top, 0.0)));
      // The library sizes a picture by its stored resolution; undo that so
      // the picture gets exactly the points asked for.
      const double dpiFactor = kPictureDotsPerMeter * 0.0254 / 96.0;
      options.x_scale = p.Width / 0.75 / p.pixelWidth * dpiFactor;
      options.y_scale = p.Height / 0.75 / p.pixelHeight * dpiFactor;
      options.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
      const lxw_error err = worksheet_insert_image_buffer_opt(
          ws, static_cast<lxw_row_t>(r - first), static_cast<lxw_col_t>(c - 1),
          reinterpret_cast<const unsigned char*>(p.png.constData()), static_cast<size_t>(p.png.size()), &options);
      if (err != LXW_NO_ERROR)
        notes_ << QStringLiteral("Obrazu %1 nie dało się umieścić w arkuszu: %2.").arg(i).arg(QString::fromUtf8(lxw_strerror(err)));
    }
  }

public:
  // The standard font on a format (the first format of a workbook is its
  // "Normal" style).
  void applyStandardFont(lxw_format* f) const {
    const QByteArray name = book_.standardFontName().toUtf8();
    if (!name.isEmpty()) format_set_font_name(f, name.constData());
    if (book_.standardFontSize() > 0) format_set_font_size(f, book_.standardFontSize());
  }

  QStringList notes_;

private:
  const Workbook& book_;
  lxw_workbook* out_;
  QHash<quint64, lxw_format*> formats_;
};

// The library reports its failures on standard error as well as in its
// return codes; ours are the messages the user sees, so its lines are kept
// off the terminal while it works.
class QuietStandardError {
public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
  int saved_ = -1;
};

QString xlsxPath(const QString& fileName) {
  QFileInfo info(fileName);
  const QString suffix = info.suffix().toLower();
  if (suffix == QLatin1String("xlsx")) return fileName;
  if (suffix == QLatin1String("xls")) return fileName.left(fileName.size() - 3) + QStringLiteral("xlsx");
  return fileName + QStringLiteral(".xlsx");
}

// The library does not check its writes into the temporary files a workbook
// is assembled from: on a full disk or past a file size limit it finishes a
// workbook whose parts are cut short, and says nothing. So every part of
// the written file is read back: each one must end with the end tag of the
// element it began with.
uint32_t le32(const uchar* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uchar* p) { return uint16_t(p[0] | p[1] << 8); }

// The first element's name and the text's last 256 characters.
bool xmlPartComplete(const QByteArray& head, const QByteArray& tail) {
  qsizetype at = 0;
  for (;;) {
    at = head.indexOf('<', at);
    if (at < 0 || at + 1 >= head.size()) return false;
    if (head[at + 1] != '?' && head[at + 1] != '!') break;
    ++at;
  }
  qsizetype end = at + 1;
  while (end < head.size() && head[end] != ' ' && head[end] != '>' && head[end] != '/' && head[end] != '\r' &&
         head[end] != '\n')
    ++end;
  const QByteArray name = head.mid(at + 1, end - at - 1);
  const QByteArray trimmed = tail.trimmed();
  // An element without content closes itself.
  const qsizetype close = head.indexOf('>', at);
  if (close > 0 && head[close - 1] == '/' && trimmed.endsWith("/>")) return true;
  return !name.isEmpty() && trimmed.endsWith("</" + name + ">");
}

bool inflatedPartComplete(const uchar* data, qint64 size, int method) {
  QByteArray head, tail;
  auto take = [&](const char* bytes, qint64 n) {
    if (head.size() < 4096) head.append(bytes, qsizetype(std::min<qint64>(n, 4096 - head.size())));
    tail.append(bytes, qsizetype(n));
    if (tail.size() > 512) tail.remove(0, tail.size() - 256);
  };
  if (method == 0) {
    take(reinterpret_cast<const char*>(data), size);
    return xmlPartComplete(head, tail);
  }
  if (method != 8) return true;  // nothing the library writes
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  char out[65536];
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = sizeof out;
    rc = inflate(&z, Z_NO_FLUSH);
    take(out, qint64(sizeof out - z.avail_out));
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END && xmlPartComplete(head, tail);
}

bool workbookComplete(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  const uchar* zip = size >= 22 ? file.map(0, size) : nullptr;
  if (zip == nullptr) return false;
  // The end of the central directory, possibly after a comment.
  qint64 end = -1;
  for (qint64 at = size - 22; at >= std::max<qint64>(0, size - 22 - 65535); --at)
    if (le32(zip + at) == 0x06054b50) {
      end = at;
      break;
    }
  if (end < 0) return false;
  qint64 entries = le16(zip + end + 10);
  qint64 at = le32(zip + end + 16);
  if (entries == 0xFFFF || at == 0xFFFFFFFF) {
    // Zip64: the real figures stand in its own end record.
    if (end < 20 || le32(zip + end - 20) != 0x07064b50) return false;
    const qint64 record = qint64(le32(zip + end - 12)) | qint64(le32(zip + end - 8)) << 32;
    if (record < 0 || record + 56 > size || le32(zip + record) != 0x06064b50) return false;
    entries = qint64(le32(zip + record + 32));
    at = qint64(le32(zip + record + 48)) | qint64(le32(zip + record + 52)) << 32;
  }
  if (entries == 0) return false;
  for (qint64 i = 0; i < entries; ++i) {
    if (at < 0 || at + 46 > size || le32(zip + at) != 0x02014b50) return false;
    const int method = le16(zip + at + 10);
    qint64 compressed = le32(zip + at + 20);
    qint64 local = le32(zip + at + 42);
    const int nameLength = le16(zip + at + 28), extraLength = le16(zip + at + 30), commentLength = le16(zip + at + 32);
    if (at + 46 + nameLength + extraLength > size) return false;
    const QByteArray name(reinterpret_cast<const char*>(zip + at + 46), nameLength);
    // Sizes too large for 32 bits stand in the zip64 extra field, in order.
    const uchar* extra = zip + at + 46 + nameLength;
    for (int e = 0; e + 4 <= extraLength;) {
      const int id = le16(extra + e), length = le16(extra + e + 2);
      if (id == 1) {
        int k = e + 4;
        auto next = [&] {
          const qint64 v = qint64(le32(extra + k)) | qint64(le32(extra + k + 4)) << 32;
          k += 8;
          return v;
        };
        if (le32(zip + at + 24) == 0xFFFFFFFF && k + 8 <= e + 4 + length) next();
        if (compressed == 0xFFFFFFFF && k + 8 <= e + 4 + length) compressed = next();
        if (local == 0xFFFFFFFF && k + 8 <= e + 4 + length) local = next();
      }
      e += 4 + length;
    }
    at += 46 + nameLength + extraLength + commentLength;
    if (local < 0 || local + 30 > size || le32(zip + local) != 0x04034b50) return false;
    const qint64 data = local + 30 + le16(zip + local + 26) + le16(zip + local + 28);
    if (data + compressed > size) return false;
    if (!(name.endsWith(".xml") || name.endsWith(".rels"))) continue;
    if (!inflatedPartComplete(zip + data, compressed, method)) return false;
  }
  return true;
}

}  // namespace

QString Workbook::SaveAs(const QString& fileName, int /*format*/) {
  if (fileName.trimmed().isEmpty()) throw SpreadsheetError(QStringLiteral("Nie podano nazwy pliku skoroszytu."));
  // A folder is no file name: it would silently become "folder.xlsx".
  if (QFileInfo(fileName).isDir())
    throw SpreadsheetError(QStringLiteral("Nie można utworzyć pliku %1: to jest folder.")
                               .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath())));
  const QString path = QFileInfo(xlsxPath(fileName)).absoluteFilePath();
  const QString dir = QFileInfo(path).absolutePath();
  if (!QDir(dir).exists())
    throw SpreadsheetError(QStringLiteral("Folder \"%1\" nie istnieje.").arg(QDir::toNativeSeparators(dir)));
  if (QFileInfo(path).isDir())
    throw SpreadsheetError(
        QStringLiteral("Nie można utworzyć pliku %1: to jest folder.").arg(QDir::toNativeSeparators(path)));
  // Written beside the target first, so a failed save leaves an earlier
  // file of that name untouched.
  const QString temp = path + QStringLiteral(".zapis");
  const QByteArray tempName = QFile::encodeName(temp);
  {
    // The library finds out that the folder refuses the file only at the
    // very end; asked first, the user hears why.
    QFile probe(temp);
    if (!probe.open(QIODevice::WriteOnly))
      throw SpreadsheetError(
          QStringLiteral("Nie można utworzyć pliku %1: %2").arg(QDir::toNativeSeparators(path), files::ioErrorText(probe)));
    probe.close();
  }
  const QuietStandardError quiet;
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  // Its temporary files on the target's disk: the room that is checked when
  // a write fails is the room they needed.
  const QByteArray tempDir = QFile::encodeName(dir);
  options.tmpdir = const_cast<char*>(tempDir.constData());
  lxw_workbook* out = workbook_new_opt(tempName.constData(), &options);
  if (!out) {
    QFile::remove(temp);
    throw SpreadsheetError(QStringLiteral("Nie można utworzyć pliku \"%1\".").arg(QDir::toNativeSeparators(path)));
  }
  Writer writer(*this, out);
  // The workbook's first format is its "Normal" style.
  if (lxw_format* normal = STAILQ_FIRST(out->formats)) writer.applyStandardFont(normal);
  try {
    int sheetNumber = 1;
    for (const auto& sheet : sheets_) writer.writeSheet(*sheet, sheetNumber);
  } catch (...) {
    workbook_close(out);
    QFile::remove(temp);
    throw;
  }
  errno = 0;
  const lxw_error err = workbook_close(out);
  if (err != LXW_NO_ERROR) {
    // The library's own words are English and name no reason; the system's
    // code of the failed write or create is still at hand.
    // Only the codes a failed write or create leaves; anything else may
    // come from a call that went well.
    const int code = (errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EACCES || errno == EROFS ||
                      errno == EIO || errno == EMFILE || errno == ENFILE)
                         ? errno
                         : 0;
    QFile::remove(temp);
    throw SpreadsheetError(QStringLiteral("Nie można zapisać pliku \"%1\": %2.")
                               .arg(QDir::toNativeSeparators(path), files::writeErrorText(temp, code)));
  }
  if (!workbookComplete(temp)) {
    const QString reason = files::writeErrorText(temp, 0);
    QFile::remove(temp);
    throw SpreadsheetError(
        QStringLiteral("Nie można zapisać pliku \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason));
  }
  if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
    const int code = errno;
    QFile::remove(temp);
    throw SpreadsheetError(QStringLiteral("Nie można zapisać pliku \"%1\": %2.")
                               .arg(QDir::toNativeSeparators(path), files::systemErrorText(code)));
  }
  notes_ = writer.notes_;
  savedPath_ = path;
  return path;
}

}  // namespace valmoro::spreadsheet
