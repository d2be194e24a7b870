#include "export/export_xls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "export/export_options_dialog.h"
#include "export/export_progress.h"
#include "platform/canvas.h"
#include "platform/locale.h"
#include "platform/spreadsheet.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "report/model/view.h"
#include "script/variant.h"

namespace valmoro::exports {

namespace ss = spreadsheet;
using namespace report;

namespace {

// Pixels to the units of the workbook.
constexpr double kRowHeightFactor = 1.315;   // pixels per point of row height
constexpr double kColumnWidthFactor = 8;     // pixels per character of width
constexpr double kPictureFactor = 1.38;      // pixels per point of picture size
constexpr double kMarginFactor = 2.6;        // points per millimetre of margin
constexpr Extended kRowHeightLimit = 537.835;  // 409 points
constexpr int kMaxCellChars = 900;
constexpr int kUnionLimit = 255;
// The list separator of the regional settings, between the parts of a union.
const QString kListSeparator = QStringLiteral(";");

QString styleName(int index) { return QStringLiteral("S") + QString::number(index); }

// TColor (system colours included) as the workbook's 0x00BBGGRR.
int workbookColor(TColor color) {
  const QRgb rgb = gfx::toRgb(color);
  return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

int horizontal(TfrxHAlign align) {
  switch (align) {
    case haLeft: return ss::xlLeft;
    case haRight: return ss::xlRight;
    case haCenter: return ss::xlCenter;
    case haBlock: return ss::xlJustify;
  }
  return ss::xlLeft;
}

int vertical(TfrxVAlign align) {
  switch (align) {
    case vaTop: return ss::xlTop;
    case vaBottom: return ss::xlBottom;
    case vaCenter: return ss::xlCenter;
  }
  return ss::xlTop;
}

// Border items of the sides present, in the order left, right, top, bottom.
std::vector<int> borderItems(TfrxFrameTypes sides) {
  std::vector<int> items;
  if (sides.testFlag(ftLeft)) items.push_back(ss::xlEdgeLeft);
  if (sides.testFlag(ftRight)) items.push_back(ss::xlEdgeRight);
  if (sides.testFlag(ftTop)) items.push_back(ss::xlEdgeTop);
  if (sides.testFlag(ftBottom)) items.push_back(ss::xlEdgeBottom);
  return items;
}

// A display picture for dates ("yyyy-mm-dd hh:nn") as a Qt pattern for
// reading the shown text back.
QString qtDatePattern(const QString& picture) {
  QString out;
  for (qsizetype i = 0; i < picture.size();) {
    const QChar c = picture[i].toLower();
    qsizetype run = 1;
    while (i + run < picture.size() && picture[i + run].toLower() == c) ++run;
    if (c == u'"' || c == u'\'') {
      const qsizetype end = picture.indexOf(picture[i], i + 1);
      const QString literal = picture.mid(i + 1, (end < 0 ? picture.size() : end) - i - 1);
      out += u'\'' + literal + u'\'';
      i = end < 0 ? picture.size() : end + 1;
      continue;
    }
    switch (c.unicode()) {
      case 'y': out += run >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy"); break;
      case 'm': out += QString(std::min<qsizetype>(run, 4), u'M'); break;
      case 'd': out += QString(std::min<qsizetype>(run, 4), u'd'); break;
      case 'h': out += QString(std::min<qsizetype>(run, 2), u'H'); break;
      case 'n': out += QString(std::min<qsizetype>(run, 2), u'm'); break;
      case 's': out += QString(std::min<qsizetype>(run, 2), u's'); break;
      case 'z': out += QStringLiteral("zzz"); break;
      default:
        if (c.isLetter()) return QString();  // a picture we do not read back
        out += QString(run, picture[i]);
        break;
    }
    i += run;
  }
  return out;
}

std::optional<QDateTime> readDate(const QString& text, const QString& picture) {
  if (!picture.isEmpty()) {
    const QString pattern = qtDatePattern(picture);
    if (pattern.isEmpty()) return std::nullopt;
    const QDateTime value = QDateTime::fromString(text, pattern);
    if (value.isValid()) return value;
    return std::nullopt;
  }
  if (auto value = locale::parseDateTime(text)) return *value;
  return std::nullopt;
}

}  // namespace

TfrxXLSExport::TfrxXLSExport(QObject* owner) : TfrxCustomExportFilter(owner) {
  SetFileExtension(resources::text(u"8010"));
  SetFileTypeFilter(resources::text(u"8009"));
}

TfrxXLSExport::~TfrxXLSExport() = default;

QString TfrxXLSExport::FilterCaption() const { return resources::text(u"XlsOLEexport"); }

int TfrxXLSExport::ShowOptionsDialog() {
  // Always a dialog: a workbook is never written into a caller's stream.
  const QString continuous = QStringLiteral("Continuous");
  return RunOptionsDialog(
      QStringLiteral("Eksport do Excel"),
      [&](ExportOptionsForm& form) {
        form.addCheck(QStringLiteral("MergeCells"), QStringLiteral("Scalanie komórek"), mergeCells_);
        form.addCheck(QStringLiteral("Wysiwyg"), QStringLiteral("WYSIWYG"), wysiwyg_);
        form.addCheck(continuous, QStringLiteral("Ciągły"), !emptyLines_ || SuppressPageHeadersFooters());
        form.addCheck(QStringLiteral("ExportPictures"), QStringLiteral("Obrazy"), exportPictures_);
        form.addCheck(QStringLiteral("AsText"), QStringLiteral("Jako tekst"), asText_);
        form.addCheck(QStringLiteral("Background"), QStringLiteral("Tło"), background_);
        form.addCheck(QStringLiteral("FastExport"), QStringLiteral("Szybki eksport"), fastExport_);
        form.addCheck(QStringLiteral("PageBreaks"), QStringLiteral("Dzielenie na strony"), pageBreaks_);
        form.addCheck(QStringLiteral("OpenAfterExport"), QStringLiteral("Otwórz w Excel po eksporcie"),
                      OpenAfterExport());
      },
      [&](const ExportOptionsForm& form) {
        mergeCells_ = form.checked(QStringLiteral("MergeCells"));
        wysiwyg_ = form.checked(QStringLiteral("Wysiwyg"));
        emptyLines_ = !form.checked(continuous);
        SetSuppressPageHeadersFooters(form.checked(continuous));
        exportPictures_ = form.checked(QStringLiteral("ExportPictures"));
        asText_ = form.checked(QStringLiteral("AsText"));
        background_ = form.checked(QStringLiteral("Background"));
        fastExport_ = form.checked(QStringLiteral("FastExport"));
        pageBreaks_ = form.checked(QStringLiteral("PageBreaks"));
        SetOpenAfterExport(form.checked(QStringLiteral("OpenAfterExport")));
      });
}

bool TfrxXLSExport::BeginExport() {
  if (!ResolveOutputFileName(false)) return false;
  matrix_ = std::make_unique<TfrxIEMatrix>();
  matrix_->DotMatrixFonts = Report() != nullptr && Report()->DotMatrixReport();
  matrix_->ProgressVisible = ShowProgress();
  matrix_->RowHeightLimit = kRowHeightLimit;
  matrix_->PageBackgroundAsPicture = false;
  matrix_->MergeTolerance = wysiwyg_ ? 0.5 : 10;
  matrix_->RotatedTextAsPicture = false;
  matrix_->StripHtmlTags = true;
  matrix_->KeepEmptyRows = emptyLines_;
  // The workbook takes pictures as PNG, so the matrix draws bitmaps.
  matrix_->PicturesAsMetafiles = false;

  progress_ = nullptr;
  ownProgress_.reset();
  if (ShowProgress()) {
    if (ProgressSink) {
      progress_ = ProgressSink;
    } else {
      ownProgress_ = MakeWindowProgress();
      progress_ = ownProgress_.get();
    }
  }
  matrix_->Progress = progress_;

  excel_ = std::make_unique<ss::Application>();
  excel_->ScreenUpdating = false;
  excel_->DisplayAlerts = false;
  sheet_ = &excel_->AddWorkbook().WorkSheets(1);
  firstPage_ = true;
  cancelled_ = false;
  pictureCount_ = 0;
  wideNoted_ = false;
  return true;
}

void TfrxXLSExport::OpenPage(TfrxReportPage* page, int /*index*/) {
  if (!firstPage_ || page == nullptr) return;
  firstPage_ = false;
  marginLeft_ = page->LeftMargin() * kMarginFactor;
  marginTop_ = page->TopMargin() * kMarginFactor;
  marginRight_ = page->RightMargin() * kMarginFactor;
  marginBottom_ = page->BottomMargin() * kMarginFactor;
  landscape_ = page->Orientation() == poLandscape;
  // The report's own font becomes the workbook's standard font: the
  // spreadsheet program's default may be missing on the reader's system,
  // and a stand-in with wider digits makes every column wider.
  if (page->Font() != nullptr) {
    standardFontName_ = page->Font()->Name();
    standardFontSize_ = page->Font()->Size();
  }
}

void TfrxXLSExport::ExportView(TfrxComponent* object) {
  if (object == nullptr || !matrix_) return;
  // Content starts just below the top of the sheet, not a margin down.
  if (TfrxPage* page = object->Page()) page->SetTop(double(matrix_->MergeTolerance));
  if (object->Name() == QLatin1String("_pagebackground")) return;
  if (!IsExportableView(object)) return;
  auto* view = static_cast<TfrxView*>(object);
  if (qobject_cast<TfrxCustomMemoView*>(view) != nullptr || exportPictures_) matrix_->AddView(view);
}

void TfrxXLSExport::ClosePage(TfrxReportPage* page, int index) {
  if (!matrix_ || page == nullptr) return;
  matrix_->AddPageRecord(page->Orientation(), page->MirrorMargins(), index, page->BottomMargin(),
                         page->RightMargin(), page->TopMargin(), page->LeftMargin(), page->Height(),
                         page->Width());
}

void TfrxXLSExport::note(const QString& text) {
  if (Report() != nullptr) Report()->Errors().append(text);
}

void TfrxXLSExport::startStage(const QString& caption, int maximum) {
  if (progress_ == nullptr || cancelled_) return;
  progress_->Start(caption, maximum);
}

bool TfrxXLSExport::step() {
  if (cancelled_) return false;
  if (progress_ == nullptr) return true;
  progress_->Step();
  if (progress_->Cancelled()) cancelled_ = true;
  return !cancelled_;
}

std::optional<ss::Range> TfrxXLSExport::selectRange(int column, int row, int columns, int rows) {
  // The reach of a selected range is that of the old worksheet format: a
  // first column of 256 or more is cut to 255 and the range ends at column
  // 254 at the latest.
  if (column >= 256) column = 255;
  if (column + columns >= 256) columns = 255 - column;
  if (columns <= 0 || rows <= 0) return std::nullopt;
  try {
    ss::Range range = sheet_->GetRange(ss::areaAddress(column, row, columns, rows));
    range.Select();
    return range;
  } catch (const ss::SpreadsheetError&) {
    return std::nullopt;  // the previous range stays current
  }
}

QString TfrxXLSExport::cellText(const TfrxIEMObject* object) {
  QString text = object->Memo.join(QStringLiteral("\r\n"));
  text.remove(u'\r');
  while (text.endsWith(u'\n')) text.chop(1);
  if (text.size() > kMaxCellChars) {
    note(QStringLiteral("Tekst obiektu %1 skrócono w arkuszu do %2 znaków (miał %3).")
             .arg(object->Name)
             .arg(kMaxCellChars)
             .arg(text.size()));
    text.truncate(kMaxCellChars);
  }
  return text;
}

void TfrxXLSExport::pastePicture(const TfrxIEMObject* object, int column, int row, int columns, int rows,
                                 bool nudge) {
  if (object->Image.isNull()) return;
  std::optional<ss::Range> range = selectRange(column, row, columns, rows);
  if (!range) return;  // never onto another object's cells
  excel_->setClipboardPicture(object->Image);
  range->PasteSpecial();
  ++pictureCount_;
  ss::Picture& picture = sheet_->Pictures(pictureCount_);
  if (nudge) {
    picture.Left = picture.Left + 1;
    picture.Top = picture.Top + 1;
  }
  picture.Width = double(object->Width) / kPictureFactor;
  picture.Height = double(object->Height) / kPictureFactor;
}

void TfrxXLSExport::defineStyles(bool withRotation, bool fillOnlyWhenColoured) {
  ss::Styles& styles = sheet_->book().GetStyles();
  startStage(resources::text(u"ProgressStyles"), matrix_->StylesCount() - 1);
  for (int i = 0; i < matrix_->StylesCount(); ++i) {
    const TfrxIEMStyle* source = matrix_->GetStyleById(i);
    ss::Style& style = styles.Add(styleName(i));
    style.font.Bold = (source->Font.Style & fsBold) != 0;
    style.font.Italic = (source->Font.Style & fsItalic) != 0;
    style.font.Underline = (source->Font.Style & fsUnderline) != 0;
    style.font.Name = source->Font.Name;
    style.font.Size = source->Font.Size;
    style.font.Color = workbookColor(source->Font.Color);
    const bool noFill = source->Color == clTransparent;
    if (fillOnlyWhenColoured) {
      if (!noFill && source->Color != clWhite) style.InteriorColor = workbookColor(source->Color);
    } else {
      // Setting a fill of "none" leaves the cell unfilled.
      style.InteriorColor = noFill ? -1 : workbookColor(source->Color);
    }
    style.VerticalAlignment = vertical(source->VAlign);
    style.HorizontalAlignment = horizontal(source->HAlign);
    if (withRotation) {
      if (source->Rotation >= 1 && source->Rotation <= 90) style.Orientation = source->Rotation;
      else if (source->Rotation >= 270 && source->Rotation <= 359) style.Orientation = source->Rotation - 360;
    }
    QCoreApplication::processEvents();
    if (!step()) break;
  }
}

void TfrxXLSExport::writeCommon() {
  ss::PageSetup& setup = sheet_->GetPageSetup();
  setup.LeftMargin = marginLeft_;
  setup.RightMargin = marginRight_;
  setup.TopMargin = marginTop_;
  setup.BottomMargin = marginBottom_;
  setup.Orientation = landscape_ ? ss::xlLandscape : ss::xlPortrait;
}

void TfrxXLSExport::applyUnions(const std::vector<KeyedArea>& list, int kind, const QStringList& formats) {
  // kind: 0 style (key = the style's index), 1 borders (key = the sides as
  // a number), 2 number format (key = index into formats), 3 merge.
  if (cancelled_) return;  // a stage after a cancellation does nothing
  static const QString kCaptions[] = {QStringLiteral(" - 1"), QStringLiteral(" - 2"), QString(),
                                      QStringLiteral(" - 3")};
  startStage(kind == 2 ? QStringLiteral("Data formats") : resources::text(u"ProgressStyles") + kCaptions[kind],
             int(list.size()));
  auto apply = [&](int key, const QString& address) {
    try {
      ss::Range range = sheet_->GetRange(address);
      switch (kind) {
        case 0: range.SetStyle(styleName(key)); break;
        case 1:
          for (int item : borderItems(TfrxFrameTypes(key))) range.SetBorderLineStyle(item, ss::xlContinuous);
          break;
        case 2: range.SetNumberFormat(formats.at(key)); break;
        case 3: range.SetMergeCells(true); break;
      }
    } catch (const ss::SpreadsheetError&) {
      // A union the workbook refuses is left out; the export goes on.
    }
  };
  QString union_;
  int unionKey = 0;
  for (const KeyedArea& item : list) {
    const int key = item.key;
    const QString address = ss::areaAddress(item.column, item.row, item.columns, item.rows);
    if (!union_.isEmpty() && (key != unionKey || union_.size() + 1 + address.size() > kUnionLimit)) {
      apply(unionKey, union_);
      union_.clear();
    }
    if (union_.isEmpty()) {
      union_ = address;
      unionKey = key;
    } else {
      union_ += kListSeparator + address;
    }
    if (!step()) break;
  }
  if (!union_.isEmpty()) apply(unionKey, union_);
}

void TfrxXLSExport::writeColumnWidths() {
  const int columns = matrix_->Width();
  startStage(resources::text(u"ProgressColumns"), columns - 1);
  for (int c = 1; c < columns; ++c) {
    if (cancelled_) break;
    const double w = double(matrix_->GetXPosById(c) - matrix_->GetXPosById(c - 1)) / kColumnWidthFactor;
    if (w > 0 && w < 256 && c < 256) {
      try {
        sheet_->Columns(c).SetColumnWidth(w);
      } catch (const ss::SpreadsheetError&) {
      }
    }
    if (!step()) break;
  }
}

void TfrxXLSExport::breakAfterPage(int row, int& page) {
  if (pageBreaks_ && page < matrix_->PagesCount() && matrix_->GetPageBottom(page) <= matrix_->GetYPosById(row)) {
    // No break after the last page: nothing follows it.
    if (page + 1 < matrix_->PagesCount() && row + 2 <= ss::kMaxRows)
      sheet_->Rows(row + 2).SetPageBreak(ss::xlPageBreakManual);
    ++page;
  }
}

void TfrxXLSExport::noteWideColumn(int x) {
  if (x + 1 >= 255 && !wideNoted_) {
    wideNoted_ = true;
    note(QStringLiteral("Raport jest szerszy niż 254 kolumny arkusza; dalsze kolumny pominięto."));
  }
}

void TfrxXLSExport::writeFast() {
  const int rows = matrix_->Height();
  const int columns = matrix_->Width();

  // Row heights to the nearest quarter point; page breaks.
  startStage(resources::text(u"ProgressRows") + QStringLiteral(" - 1"), rows - 1);
  std::vector<double> heights;
  heights.reserve(std::size_t(std::max(rows - 1, 0)));
  int page = 0;
  for (int r = 1; r < rows; ++r) {
    const double h = double(matrix_->GetYPosById(r) - matrix_->GetYPosById(r - 1)) / kRowHeightFactor;
    heights.push_back(std::round(h * 4) / 4);
    breakAfterPage(r, page);
    if (!step()) break;
  }
  // The most frequent height for the whole sheet, then the others by unions
  // of runs of consecutive rows.
  std::map<double, int> counts;
  double common = -1;
  int best = 0;
  for (double h : heights) {
    const int n = ++counts[h];
    if (n > best) {
      best = n;
      common = h;
    }
  }
  std::map<double, std::vector<QString>> runs;
  for (std::size_t i = 0; i < heights.size();) {
    std::size_t j = i;
    while (j + 1 < heights.size() && heights[j + 1] == heights[i]) ++j;
    if (heights[i] != common) {
      const int first = int(i) + 1, last = int(j) + 1;
      runs[heights[i]].push_back(first == last ? QStringLiteral("A%1").arg(first)
                                               : QStringLiteral("A%1:A%2").arg(first).arg(last));
    }
    i = j + 1;
  }
  startStage(resources::text(u"ProgressRows") + QStringLiteral(" - 2"), int(runs.size()));
  if (common >= 0 && !cancelled_) {
    try {
      sheet_->GetRange(QStringLiteral("A1"), QStringLiteral("A%1").arg(rows)).SetRowHeight(common);
    } catch (const ss::SpreadsheetError&) {
    }
  }
  for (const auto& run : runs) {
    // Named references rather than a structured binding: the lambda below
    // captures them, which not every compiler takes from a binding.
    const auto& height = run.first;
    const auto& list = run.second;
    if (cancelled_) break;
    QString union_;
    auto apply = [&] {
      try {
        sheet_->GetRange(union_).SetRowHeight(height);
      } catch (const ss::SpreadsheetError&) {
      }
    };
    for (const QString& address : list) {
      if (!union_.isEmpty() && union_.size() + 1 + address.size() > kUnionLimit) {
        apply();
        union_.clear();
      }
      union_ += union_.isEmpty() ? address : u';' + address;
    }
    if (!union_.isEmpty()) apply();
    if (!step()) break;
  }

  writeColumnWidths();

  defineStyles(true, true);

  // Values, and the addresses collected per style, border set, number format and merge.
  startStage(resources::text(u"ProgressObjects"), rows);
  // Values go to the sheet a block of rows at a time, so that a long report
  // never holds all of them twice (here and in the sheet's cells). The
  // block's range is the whole range's slice: the same cells, the same
  // columns cut off.
  constexpr int kValueRows = 1024;
  const bool valuesFit = selectRange(1, 1, columns, rows).has_value();
  std::vector<std::vector<QVariant>> values;
  int valuesFrom = 0;  // matrix row of values.front()
  auto flushValues = [&](int end) {
    if (valuesFit && end > valuesFrom)
      if (std::optional<ss::Range> range = selectRange(1, valuesFrom + 1, columns, end - valuesFrom))
        range->SetValues(values);
    values.clear();
    valuesFrom = end;
  };
  // Areas are kept as numbers and spelled as addresses only when applied:
  // a long report has half a million of them.
  std::vector<KeyedArea> styleList, borderList, formatList, mergeList;
  QStringList formats;  // number formats met, each once
  QHash<QString, int> formatIndex;
  auto formatKey = [&](const QString& format) {
    const auto found = formatIndex.constFind(format);
    if (found != formatIndex.cend()) return found.value();
    formats.append(format);
    return formatIndex.insert(format, int(formats.size()) - 1).value();
  };
  // Sorted by key once all are in; a stable sort keeps each key's
  // addresses in cell order, as inserting each after the smaller and equal
  // keys would.
  auto byKey = [](const KeyedArea& a, const KeyedArea& b) { return a.key < b.key; };
  const QString localeDecimal(locale::formats().decimalSeparator);
  const QChar thousand = locale::formats().thousandSeparator;
  for (int y = 0; y < rows && !cancelled_; ++y) {
    if (y - valuesFrom == kValueRows) flushValues(y);
    values.emplace_back();
    for (int x = 0; x < columns; ++x) {
      const int index = matrix_->Cell(x, y);
      if (index < 0) continue;
      TfrxIEMObject* object = matrix_->GetObjectById(index);
      if (object == nullptr || object->Counter != 0) continue;
      object->Counter = 1;
      // Its text and picture are in the workbook after this round: they
      // go now, making room for the cells they become.
      struct Spent {
        TfrxIEMObject* object;
        ~Spent() {
          object->Memo = QStringList();
          object->Name = QString();
          object->URL = QString();
          object->Image = QImage();
        }
      } spent{object};
      int px = 0, py = 0, dx = 1, dy = 1;
      matrix_->GetObjectPos(index, px, py, dx, dy);
      const auto area = [&](int key) { return KeyedArea{key, x + 1, y + 1, dx, dy}; };
      noteWideColumn(x);
      const TfrxIEMStyle* style = object->Style != nullptr ? object->Style : matrix_->GetStyleById(object->StyleIndex);
      if (exportStyles_ && object->StyleIndex >= 0) {
        styleList.push_back(area(object->StyleIndex));
        if (style != nullptr && style->FrameTyp != TfrxFrameTypes())
          borderList.push_back(area(int(style->FrameTyp.toInt())));
      }
      if (mergeCells_ && (dx > 1 || dy > 1)) mergeList.push_back(area(0));
      if (object->IsText) {
        QString text = cellText(object);
        QVariant value;
        if (asText_) {
          value = u'\'' + text;
        } else if (style != nullptr && style->FormatKind == fkNumeric && !text.isEmpty()) {
          text.remove(thousand);
          text.remove(u' ');
          text.replace(style->DecimalSeparator.isEmpty() ? localeDecimal : style->DecimalSeparator,
                       QStringLiteral("."));
          value = text;
          if (!style->FormatStr.isEmpty()) {
            const QString format = NumberFormatFor(style->FormatStr);
            if (!format.isEmpty()) formatList.push_back(area(formatKey(format)));
          }
        } else if (style != nullptr && style->FormatKind == fkDateTime && !text.isEmpty()) {
          // Dates go in as dates, shown with their own picture; a picture
          // that hides part of the date (no year, only the time) leaves the
          // value itself with the object.
          const auto date = std::isnan(object->DateValue) ? readDate(text, style->FormatStr)
                                                          : std::optional(script::DaysToDateTime(object->DateValue));
          if (date) {
            value = *date;
            formatList.push_back(area(formatKey(DateFormatFor(style->FormatStr))));
          } else {
            value = u'\'' + text;
          }
        } else if (style != nullptr && style->FormatKind == fkText) {
          value = u'\'' + text;
        } else {
          value = text;
        }
        if (!text.isEmpty() || asText_) {
          auto& line = values.back();
          if (line.size() <= std::size_t(x)) line.resize(std::size_t(x) + 1);
          line[std::size_t(x)] = std::move(value);
        }
      } else if (exportPictures_) {
        pastePicture(object, x + 1, y + 1, dx, dy, true);
      }
    }
    if (!step()) break;
  }
  flushValues(valuesFrom + int(values.size()));
  values = {};
  sheet_->Cells().SetWrapText(true);
  // Everything the workbook needs from the matrix is in it now; its cell
  // objects go before the collected addresses are applied and the file is
  // written, which keeps the peak memory of a long report down.
  releaseMatrix();

  std::stable_sort(styleList.begin(), styleList.end(), byKey);
  std::stable_sort(borderList.begin(), borderList.end(), byKey);
  if (exportStyles_) {
    applyUnions(styleList, 0, formats);
    applyUnions(borderList, 1, formats);
    applyUnions(formatList, 2, formats);
  }
  if (mergeCells_) applyUnions(mergeList, 3, formats);
}

void TfrxXLSExport::writeNormal() {
  const int rows = matrix_->Height();
  const int columns = matrix_->Width();

  startStage(resources::text(u"ProgressRows"), rows - 1);
  int page = 0;
  for (int r = 1; r < rows; ++r) {
    const double h = double(matrix_->GetYPosById(r) - matrix_->GetYPosById(r - 1)) / kRowHeightFactor;
    sheet_->Rows(r).SetRowHeight(std::min(h, 409.0));
    breakAfterPage(r, page);
    if (!step()) break;
  }

  writeColumnWidths();

  defineStyles(false, false);

  startStage(resources::text(u"ProgressObjects"), rows);
  std::vector<std::vector<QVariant>> values(std::size_t(std::max(rows - 1, 0)));
  for (int y = 0; y < rows && !cancelled_; ++y) {
    for (int x = 0; x < columns; ++x) {
      const int index = matrix_->Cell(x, y);
      if (index < 0) continue;
      TfrxIEMObject* object = matrix_->GetObjectById(index);
      if (object == nullptr || object->Counter != 0) continue;
      object->Counter = 1;
      int px = 0, py = 0, dx = 1, dy = 1;
      matrix_->GetObjectPos(index, px, py, dx, dy);
      noteWideColumn(x);
      std::optional<ss::Range> range = selectRange(x + 1, y + 1, dx, dy);
      const TfrxIEMStyle* style = object->Style != nullptr ? object->Style : matrix_->GetStyleById(object->StyleIndex);
      if (range) {
        if (exportStyles_ && object->StyleIndex >= 0) range->SetStyle(styleName(object->StyleIndex));
        if (mergeCells_ && (dx > 1 || dy > 1)) range->SetMergeCells(true);
        if (exportStyles_ && style != nullptr)
          for (int item : borderItems(style->FrameTyp)) range->SetBorderLineStyle(item, ss::xlContinuous);
      }
      if (object->IsText) {
        if (y < rows - 1 && x < columns - 1) {
          auto& line = values[std::size_t(y)];
          if (line.size() <= std::size_t(x)) line.resize(std::size_t(x) + 1);
          line[std::size_t(x)] = cellText(object);
        }
      } else if (exportPictures_) {
        pastePicture(object, x + 1, y + 1, dx, dy, false);
      }
    }
    if (!step()) break;
  }
  if (std::optional<ss::Range> range = selectRange(1, 1, columns - 1, rows - 1)) range->SetValues(values);
  values = {};
  sheet_->Cells().SetWrapText(true);
  releaseMatrix();
}

void TfrxXLSExport::releaseMatrix() {
  if (matrix_) matrix_->Progress = nullptr;
  matrix_.reset();
}

void TfrxXLSExport::EndExport() {
  if (!matrix_ || !excel_) return;
  // Whatever happens below, the matrix, the workbook and the progress
  // window are released when this ends.
  struct Release {
    TfrxXLSExport* self;
    ~Release() {
      if (self->progress_ != nullptr) self->progress_->Stop();
      self->matrix_.reset();
      self->excel_.reset();
      self->sheet_ = nullptr;
      self->ownProgress_.reset();
      self->progress_ = nullptr;
    }
  } release{this};

  matrix_->BuildGrid();
  if (progress_ != nullptr && progress_->Cancelled()) cancelled_ = true;
  writeCommon();
  if (fastExport_) writeFast();
  else writeNormal();
  try {
    sheet_->GetRange(QStringLiteral("A1"), QStringLiteral("A1")).Select();
  } catch (const ss::SpreadsheetError&) {
  }
  excel_->Visible = OpenExcelAfterExport();

  QString name = FileName();
  if (!name.contains(u'/') && !name.contains(u'\\')) name = QDir::current().filePath(name);
  QString failure;
  ss::Workbook* book = excel_->ActiveWorkbook();
  book->SetStandardFont(standardFontName_, standardFontSize_);
  try {
    SetFileName(book->SaveAs(name, ss::xlWorkbookNormal));
  } catch (const ss::SpreadsheetError& e) {
    failure = e.message();
  }
  for (const QString& text : book->notes()) note(text);
  excel_->DisplayAlerts = true;
  excel_->ScreenUpdating = true;
  excel_->Quit();
  // A workbook that was not written is an error of the export, never a
  // quiet success.
  if (!failure.isEmpty()) throw ExportError(failure);
  OpenResultIfAsked();
}

// --- Formats ------------------------------------------------------------------

QString TfrxXLSExport::NumberFormatFor(const QString& formatStr) {
  if (formatStr.isEmpty()) return QString();
  if (!formatStr.startsWith(u'%')) {
    // A picture ("#,##0.00") reads the same in the workbook.
    return formatStr.contains(u'#') || formatStr.contains(u'0') ? formatStr : QString();
  }
  const QChar last = formatStr.back().toLower();
  int digits = 0;
  const qsizetype dot = formatStr.indexOf(u'.');
  if (dot >= 0) digits = formatStr.mid(dot + 1, formatStr.size() - dot - 2).toInt();
  digits = std::clamp(digits, 0, 30);
  // The file stores formats with "." for decimals and "," for grouping;
  // the reader shows them with the user's own separators.
  const QString decimals = digits > 0 ? QStringLiteral(".") : QString();
  switch (last.unicode()) {
    case 'd': return QStringLiteral("#") + decimals + QString(digits, u'#');
    case 'f': return QStringLiteral("0") + decimals + QString(digits, u'0');
    case 'n': return QStringLiteral("#,##0") + decimals + QString(digits, u'0');
    default: return QString();
  }
}

QString TfrxXLSExport::DateFormatFor(const QString& formatStr) {
  if (formatStr.isEmpty()) return QStringLiteral("yyyy-mm-dd hh:mm:ss");
  QString out;
  for (qsizetype i = 0; i < formatStr.size(); ++i) {
    const QChar c = formatStr[i];
    if (c == u'n' || c == u'N') out += u'm';  // minutes
    else out += c;
  }
  return out;
}

}  // namespace valmoro::exports
