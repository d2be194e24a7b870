#include "export/rtf_export.h"

#include <QDateTime>
#include <QDir>
#include <QIODevice>
#include <QSet>
#include <cmath>

#include "export/export_options_dialog.h"
#include "export/export_progress.h"
#include "platform/canvas.h"
#include "platform/file_errors.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "report/model/units.h"
#include "report/model/view.h"
#include "report/paint/draw_text.h"

namespace valmoro::exports {

using namespace report;

namespace {

constexpr TColor kNone = 536870911;
constexpr TColor kWhite = 16777215;
constexpr int kLineLimit = 254;
// A page's rows fill its printable height exactly, and the paragraph that
// carries the section break needs a line of its own after the table; word
// processors would push it onto a blank page of its own. The bottom margin
// gives it that line (twips, a 12-point line and a little).
constexpr int kSectionBreakRoom = 300;
const QString kCrLf = QStringLiteral("\r\n");

int roundInt(long double value) { return int(std::llround(std::clamp<long double>(value, -2e9L, 2e9L))); }

QString num(long long value) { return QString::number(value); }

QRgb rgbOf(TColor color) { return gfx::toRgb(gfx::Color(color)); }

QString colorEntry(TColor color) {
  const QRgb rgb = rgbOf(color);
  return QStringLiteral("\\red%1\\green%2\\blue%3;").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

void appendEscapedUnit(QString& out, char16_t unit) {
  // RTF reads the number as a signed 16-bit value.
  out += QStringLiteral("\\u");
  out += QString::number(int(qint16(unit)));
  out += QStringLiteral("\\'3f");
}

QString hexLines(const QByteArray& bytes) {
  QString out;
  out.reserve(bytes.size() * 2 + bytes.size() / 32 + 4);
  static const char digits[] = "0123456789ABCDEF";
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const uchar b = uchar(bytes[i]);
    out += QLatin1Char(digits[b >> 4]);
    out += QLatin1Char(digits[b & 15]);
    if ((i + 1) % 64 == 0 && i + 1 < bytes.size()) out += kCrLf;
  }
  return out;
}

QString le32(quint32 value) {
  QString out;
  for (int i = 0; i < 4; ++i) out += QStringLiteral("%1").arg((value >> (8 * i)) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
  return out;
}

QString le16(quint32 value) {
  return QStringLiteral("%1%2")
      .arg(value & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((value >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace

QString RtfEscape(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 4);
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    switch (c) {
      case u'\\':
        out += QStringLiteral("\\\\");
        continue;
      case u'{':
        out += QStringLiteral("\\{");
        continue;
      case u'}':
        out += QStringLiteral("\\}");
        continue;
      case u'\t':
        out += QStringLiteral("\\tab ");
        continue;
      case u'\r':
        if (i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
          if (i + 2 < n) out += QStringLiteral("\\line");
          out += kCrLf;
          ++i;
        } else {
          out += QStringLiteral("\\line ");
        }
        continue;
      case u'\n':
        out += QStringLiteral("\\line ");
        continue;
      default:
        break;
    }
    if (c >= 128) appendEscapedUnit(out, c);
    else if (c >= 32) out += QChar(c);
    // Other control characters have no place in a text run.
  }
  return out;
}

// --- The filter ------------------------------------------------------------------

TfrxRTFExport::TfrxRTFExport(QObject* owner) : TfrxCustomExportFilter(owner) {
  SetShowDialog(true);
  SetFileExtension(resources::text(u"8505"));
  SetFileTypeFilter(resources::text(u"8504"));
}

TfrxRTFExport::~TfrxRTFExport() = default;

QString TfrxRTFExport::FilterCaption() const { return resources::text(u"RTFexport"); }

int TfrxRTFExport::ShowOptionsDialog() {
  if (Stream() != nullptr) return 1;
  const QStringList modes{QStringLiteral("Tekst"), QStringLiteral("Nagłówek/Stopka"), QStringLiteral("Żaden")};
  return RunOptionsDialog(
      QStringLiteral("Eksport do RTF"),
      [&](ExportOptionsForm& form) {
        form.addCheck(QStringLiteral("SuppressPageHeadersFooters"), QStringLiteral("Ciągły"),
                      SuppressPageHeadersFooters());
        form.addCheck(QStringLiteral("ExportPictures"), QStringLiteral("Obrazy"), exportPictures_);
        form.addCheck(QStringLiteral("ExportPageBreaks"), QStringLiteral("Dzielenie na strony"), exportPageBreaks_);
        form.addCheck(QStringLiteral("Wysiwyg"), QStringLiteral("tryb WYSIWYG"), wysiwyg_);
        form.addList(QStringLiteral("HeaderFooterMode"), QStringLiteral("Nagłówek strony/Stopka"), modes,
                     int(headerFooterMode_));
        form.addCheck(QStringLiteral("OpenAfterExport"), QStringLiteral("Otwórz po eksporcie"), OpenAfterExport());
      },
      [&](const ExportOptionsForm& form) {
        SetSuppressPageHeadersFooters(form.checked(QStringLiteral("SuppressPageHeadersFooters")));
        exportPictures_ = form.checked(QStringLiteral("ExportPictures"));
        exportPageBreaks_ = form.checked(QStringLiteral("ExportPageBreaks"));
        wysiwyg_ = form.checked(QStringLiteral("Wysiwyg"));
        headerFooterMode_ = TfrxHeaderFooterMode(std::clamp(form.index(QStringLiteral("HeaderFooterMode")), 0, 2));
        // As document header and footer, only the first page's header and the
        // last page's footer are wanted.
        if (headerFooterMode_ == hfPrint) SetSuppressPageHeadersFooters(true);
        SetOpenAfterExport(form.checked(QStringLiteral("OpenAfterExport")));
      });
}

bool TfrxRTFExport::BeginExport() {
  if (!ResolveOutputFileName()) return false;
  firstPage_ = true;
  currentPage_ = 0;
  matrix_ = std::make_unique<TfrxIEMatrix>();
  matrix_->ProgressVisible = ShowProgress();
  matrix_->MergeTolerance = wysiwyg_ ? 0.5L : 10.0L;
  matrix_->RotatedTextAsPicture = true;
  matrix_->AddFillCell = true;
  matrix_->FillFromMinimum = true;
  matrix_->StripHtmlTags = false;
  matrix_->PageBackgroundAsPicture = false;
  matrix_->TakePageBackground = false;
  matrix_->PicturesAsMetafiles = exportEMF_;
  if (Report() != nullptr) matrix_->DotMatrixFonts = Report()->DotMatrixReport();
  return true;
}

void TfrxRTFExport::OpenPage(TfrxReportPage*, int) {
  ++currentPage_;
  firstPage_ = false;
}

void TfrxRTFExport::ExportView(TfrxComponent* object) {
  if (matrix_ == nullptr || object == nullptr) return;
  if (qobject_cast<TfrxPageHeader*>(object) != nullptr) {
    matrix_->SetHeaderBand(object);
    return;
  }
  if (qobject_cast<TfrxPageFooter*>(object) != nullptr) {
    matrix_->SetFooterBand(object);
    return;
  }
  if (!IsExportableView(object)) return;
  auto* view = static_cast<TfrxView*>(object);
  if (qobject_cast<TfrxCustomMemoView*>(view) != nullptr || exportPictures_) matrix_->AddView(view);
}

void TfrxRTFExport::ClosePage(TfrxReportPage* page, int index) {
  if (matrix_ == nullptr || page == nullptr) return;
  matrix_->AddPageRecord(page->Orientation(), page->MirrorMargins(), index, page->BottomMargin(),
                         page->RightMargin(), page->TopMargin(), page->LeftMargin(), page->PaperHeight() * fr01cm,
                         page->PaperWidth() * fr01cm);
}

// --- Writing the document -------------------------------------------------------------

class TfrxRTFExport::Writer {
public:
  Writer(TfrxRTFExport& filter, TfrxIEMatrix& matrix, ExportProgress* progress)
      : f_(filter), m_(matrix), progress_(progress) {}

  QString write() {
    prepareTables();
    line(QStringLiteral("{\\rtf1\\ansi"));
    writeTable(QStringLiteral("{\\fonttbl"), fontEntries());
    writeTable(QStringLiteral("{\\colortbl;"), colors_);
    writeInfo();
    if (progress_ != nullptr) progress_->Start(resources::text(u"ProgressWait"), std::max(0, m_.Height() - 1));
    sectionSetup(0);
    const int passes = f_.headerFooterMode_ == hfPrint ? 3 : 1;
    for (int pass = 0; pass < passes && !cancelled_; ++pass) {
      const Pass kind = passes == 1 ? Pass::Body : Pass(pass);
      if (kind == Pass::Header) line(QStringLiteral("{\\header "));
      if (kind == Pass::Footer) line(QStringLiteral("{\\footer "));
      writeRows(kind);
      if (kind != Pass::Body) line(QStringLiteral("}"));
    }
    out_ += QLatin1Char('}');
    if (progress_ != nullptr) progress_->Stop();
    return out_;
  }

  bool cancelled() const { return cancelled_; }

private:
  enum class Pass { Header = 0, Footer = 1, Body = 2 };

  void line(const QString& text) {
    out_ += text;
    out_ += kCrLf;
  }

  int colorIndex(TColor color) {
    const QString entry = colorEntry(color);
    const auto it = colorIndex_.constFind(entry);
    if (it != colorIndex_.constEnd()) return *it;
    colors_.append(entry);
    const int index = int(colors_.size());
    colorIndex_.insert(entry, index);
    return index;
  }

  int fontIndex(const QString& name, int charset) {
    const auto it = fontIndex_.constFind(name);
    if (it != fontIndex_.constEnd()) return *it;
    fonts_.append(name);
    charsets_.append(charset);
    const int index = int(fonts_.size()) - 1;
    fontIndex_.insert(name, index);
    return index;
  }

  void prepareTables() {
    QSet<const TfrxIEMObject*> seen;
    for (int y = 0; y < m_.Height(); ++y) {
      for (int x = 0; x < m_.Width(); ++x) {
        const TfrxIEMObject* object = m_.GetObject(x, y);
        if (object == nullptr || object->Style == nullptr || seen.contains(object)) continue;
        seen.insert(object);
        const TfrxIEMStyle& style = *object->Style;
        if (style.Color != kNone) colorIndex(style.Color);
        colorIndex(style.FrameColor);
        if (object->IsText) {
          colorIndex(style.Font.Color);
          fontIndex(style.Font.Name, style.Charset);
        }
      }
    }
  }

  QStringList fontEntries() const {
    QStringList entries;
    for (int i = 0; i < fonts_.size(); ++i)
      entries << QStringLiteral("{\\f%1\\fcharset%2 %3}").arg(i).arg(charsets_[i]).arg(RtfEscape(fonts_[i]));
    return entries;
  }

  // One table, broken into lines of at most 254 characters.
  void writeTable(const QString& opening, const QStringList& entries) {
    QString current = opening;
    for (const QString& entry : entries) {
      if (current.size() + entry.size() > kLineLimit) {
        line(current);
        current.clear();
      }
      current += entry;
    }
    current += QLatin1Char('}');
    line(current);
  }

  void writeInfo() {
    const QString title = f_.Report() != nullptr ? f_.Report()->ReportOptions()->Name() : QString();
    const QDateTime now = QDateTime::currentDateTime();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    line(QStringLiteral("{\\info{\\title %1}{\\author %2}{\\creatim\\yr%3\\mo%4\\dy%5\\hr%6\\min%7}}")
             .arg(RtfEscape(title), RtfEscape(f_.creator_))
             .arg(now.date().year())
             .arg(two(now.date().month()), two(now.date().day()), two(now.time().hour()),
                  two(now.time().minute())));
  }

  void sectionSetup(int page) {
    line(QStringLiteral("\\pgwsxn%1\\pghsxn%2\\marglsxn%3\\margrsxn%4\\margtsxn%5\\margbsxn%6")
             .arg(roundInt(m_.GetPageWidth(page) * 15.02L))
             .arg(roundInt(m_.GetPageHeight(page) * 15.02L))
             .arg(roundInt(m_.GetPageLMargin(page) * 56.48L))
             .arg(roundInt(m_.GetPageRMargin(page) * 56.48L))
             .arg(roundInt(m_.GetPageTMargin(page) * 56.48L))
             .arg(std::max(0, roundInt(m_.GetPageBMargin(page) * 56.48L) - kSectionBreakRoom)));
    if (m_.GetPageOrientation(page) == poLandscape) line(QStringLiteral("\\lndscpsxn"));
  }

  bool belongs(const TfrxIEMObject& object, Pass pass) const {
    switch (pass) {
      case Pass::Header:
        return object.Header;
      case Pass::Footer:
        return object.Footer;
      case Pass::Body:
        return (!object.Header && !object.Footer) || f_.headerFooterMode_ == hfText;
    }
    return false;
  }

  QString borders(const TfrxIEMStyle& style) {
    const QString width = num(roundInt(style.FrameWidth * 20.0L));
    const int color = colorIndex(style.FrameColor);
    QString kind;
    if (style.FrameStyle == fsDouble) kind = QStringLiteral("\\brdrdb");
    else if (style.FrameStyle != fsSolid) kind = QStringLiteral("\\brdrdashsm");
    const QString tail = QStringLiteral("\\brdrs\\brdrw%1\\brdrcf%2%3").arg(width).arg(color).arg(kind);
    QString out;
    if (style.FrameTyp & ftTop) out += QStringLiteral("\\clbrdrt") + tail;
    if (style.FrameTyp & ftLeft) out += QStringLiteral("\\clbrdrl") + tail;
    if (style.FrameTyp & ftBottom) out += QStringLiteral("\\clbrdrb") + tail;
    if (style.FrameTyp & ftRight) out += QStringLiteral("\\clbrdrr") + tail;
    return out;
  }

  QString fontStyle(unsigned style) const {
    QString out;
    if (style & fsItalic) out += QStringLiteral("\\i");
    if (style & fsBold) out += QStringLiteral("\\b");
    if (style & fsUnderline) out += QStringLiteral("\\ul");
    return out;
  }

  QString htmlText(const TfrxIEMObject& object, const TfrxIEMStyle& style) {
    TfrxHTMLTagsList tags;
    tags.SetDefaults(style.Font.Size, style.Font.Style, style.Font.Color);
    tags.SetAllowTags(true);
    unsigned lastStyle = style.Font.Style;
    gfx::Color lastColor = style.Font.Color;
    QString out;
    for (int i = 0; i < object.Memo.size(); ++i) {
      if (i > 0) out += QStringLiteral("\\line ");
      QString text = object.Memo[i];
      TfrxHTMLTags records;
      tags.ExpandTags(text, records, false);
      for (int c = 0; c < text.size(); ++c) {
        if (c < records.Count()) {
          const TfrxHTMLTag& tag = records[c];
          const unsigned changed = tag.Style ^ lastStyle;
          if (changed & fsBold) out += (tag.Style & fsBold) ? QStringLiteral("\\b ") : QStringLiteral("\\b0 ");
          if (changed & fsItalic) out += (tag.Style & fsItalic) ? QStringLiteral("\\i ") : QStringLiteral("\\i0 ");
          if (changed & fsUnderline)
            out += (tag.Style & fsUnderline) ? QStringLiteral("\\ul ") : QStringLiteral("\\ul0 ");
          if (tag.Color != lastColor) out += QStringLiteral("\\cf%1 ").arg(colorIndex(tag.Color));
          lastStyle = tag.Style;
          lastColor = tag.Color;
        }
        out += RtfEscape(QString(text[c]));
      }
    }
    out += QStringLiteral("\\plain");
    return out;
  }

  QString textContent(const TfrxIEMObject& object, const TfrxIEMStyle& style, int rowTwips) {
    QString text = object.Memo.join(kCrLf);
    if (text.endsWith(kCrLf)) text.chop(2);
    const bool blank = text.trimmed().isEmpty();
    QString out;
    switch (style.HAlign) {
      case haLeft: out += QStringLiteral("\\ql"); break;
      case haRight: out += QStringLiteral("\\qr"); break;
      case haCenter: out += QStringLiteral("\\qc"); break;
      case haBlock: out += QStringLiteral("\\qj"); break;
    }
    out += QStringLiteral("{\\f%1\\fs%2")
               .arg(fontIndex(style.Font.Name, style.Charset))
               .arg(text.isEmpty() ? std::min(rowTwips / 15, 20) : style.Font.Size * 2);
    out += fontStyle(style.Font.Style);
    out += QStringLiteral("\\cf%1").arg(colorIndex(style.Font.Color));
    if (!blank) {
      const long double sb = (style.GapY + style.LineSpacing - 1) * rowFactor_;
      const int charSpacing = roundInt(style.CharSpacing * 15);
      const int pixelHeight = style.Font.Height < 0 ? -style.Font.Height : style.Font.Height;
      out += QStringLiteral("\\sb%1\\li%2\\fi%3\\expnd%4\\expndtw%5\\sl-%6\\slmult0")
                 .arg(sb > 0 ? roundInt(sb) : 0)
                 .arg(roundInt(style.GapX / 2 * 15.05L))
                 .arg(roundInt(style.ParagraphGap * 15.05L))
                 .arg(charSpacing / 5)
                 .arg(charSpacing)
                 .arg(roundInt((pixelHeight + style.LineSpacing) * rowFactor_ * 0.98L));
      if (style.WordBreak) out += QStringLiteral("\\hyphauto1\\hyphcaps1");
    }
    out += QLatin1Char(' ');
    out += object.HTMLTags ? htmlText(object, style) : RtfEscape(text);
    out += QStringLiteral("\\cell}");
    out.replace(QStringLiteral("\\par\r\n\\cell"), QStringLiteral("\\cell"));
    return out;
  }

  QString pictureContent(const TfrxIEMObject& object) {
    if (f_.exportEMF_) {
      // The metafile header keeps its logical size; the picture's size in
      // hundredths of a millimetre is rounded to whole numbers.
      QString out = QStringLiteral("{\\sb0\\li0\\sl0\\slmult0 {\\pict\\picw%1\\pich%2")
                        .arg(roundInt(object.Width * 25.3L))
                        .arg(roundInt(object.Height * 25.3L));
      out += QStringLiteral("\\picscalex98\\picscaley98\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\emfblip");
      out += kCrLf;
      out += hexLines(object.Metafile);
      out += QStringLiteral("}\\cell}");
      return out;
    }
    if (object.Image.isNull() || object.Image.width() == 0 || object.Image.height() == 0) return QString();
    const QByteArray bmp = BitmapFileFromImage(object.Image);
    const quint32 s = quint32(bmp.size());
    const quint32 r = s / 2 + 7;
    const quint32 h = quint32(object.Image.height());
    const quint32 w = quint32(object.Image.width());
    QString out = QStringLiteral("{\\sb0\\li0\\sl0\\slmult0 {\\pict\\wmetafile8\\picw%1\\pich%2\\picbmp\\picbpp4")
                      .arg(roundInt(object.Width * 25.3L))
                      .arg(roundInt(object.Height * 25.3L));
    out += kCrLf;
    out += QStringLiteral("010009000003") + le32(r + 36) + QStringLiteral("0000") + le32(r) +
           QStringLiteral("0000050000000b0200000000050000000c02") + le16(h) + le16(w) +
           QStringLiteral("05000000090200000000050000000102ffffff000400000007010300") + le32(r) +
           QStringLiteral("430f2000cc000000") + le16(h) + le16(w) + QStringLiteral("00000000") + le16(h) + le16(w) +
           QStringLiteral("00000000");
    out += kCrLf;
    out += hexLines(bmp.mid(14));
    out += kCrLf;
    out += QStringLiteral("030000000000}\\cell}");
    return out;
  }

  // Whether a row holds anything but the white fill under everything.
  bool holdsContent(int row) const {
    const TfrxIEMObject* fill = m_.AddFillCell ? m_.GetObjectById(0) : nullptr;
    for (int c = 0; c < m_.Width() - 1; ++c) {
      const TfrxIEMObject* object = m_.GetObject(c, row);
      if (object != nullptr && object != fill && (fill == nullptr || object->Parent != fill)) return true;
    }
    return false;
  }

  void writeRows(Pass pass) {
    const int pages = m_.PagesCount();
    int page = 0;
    rowFactor_ = pages <= 1 ? 14.5L : 15.0L;
    const int columns = m_.Width();
    // Word processors that start a table right after a section break keep
    // it on the previous page unless its first row asks for a new one.
    bool newSection = false;
    for (int j = 0; j < m_.Height() - 1; ++j) {
      if (progress_ != nullptr) {
        progress_->Step();
        if (progress_->Cancelled()) {
          cancelled_ = true;
          return;
        }
      }
      if (pass == Pass::Body && f_.exportPageBreaks_ && page < pages - 1 &&
          m_.GetYPosById(j) >= m_.GetPageBottom(page) - 1e-9L) {
        line(QStringLiteral("\\pard\\sect"));
        newSection = true;
        ++page;
        sectionSetup(page);
        if (page == pages - 1) rowFactor_ = 14.5L;
        // The row at the page bottom is the gap above the next page's
        // content; when that page has no gap (no top margin, content at its
        // very top) the row is content and must not be lost.
        if (!holdsContent(j)) continue;
      }
      const int rowTwips = roundInt((m_.GetYPosById(j + 1) - m_.GetYPosById(j)) * rowFactor_);
      QString rowDef = (f_.autoSize_ ? QStringLiteral("\\trrh") : QStringLiteral("\\trrh-")) + num(rowTwips) +
                       QStringLiteral("\\trgaph15");
      const long double left = roundInt(m_.GetXPosById(0)) + roundInt(m_.GetPageLMargin(page) * 56.48L / 15.05L);
      QString cells;
      int cellCount = 0;
      for (int c = 1; c < columns - 1; ++c) {
        const int index = m_.Cell(c, j);
        if (index < 0) continue;
        const TfrxIEMObject* object = m_.GetObjectById(index);
        if (object == nullptr || object->Style == nullptr || !belongs(*object, pass)) continue;
        int x = 0, y = 0, dx = 0, dy = 0;
        m_.GetObjectPos(index, x, y, dx, dy);
        if (x != c) continue;  // columns spanned after the first add nothing
        const TfrxIEMStyle& style = *object->Style;
        const QString right = num(roundInt((object->Left + object->Width - left) * 15.05L));
        if (y == j) {
          if (dy > 1) rowDef += QStringLiteral("\\clvmgf");
          if (style.Color != kWhite && style.Color != kNone)
            rowDef += QStringLiteral("\\clcbpat") + num(colorIndex(style.Color));
          switch (style.VAlign) {
            case vaTop: rowDef += QStringLiteral("\\clvertalt"); break;
            case vaBottom: rowDef += QStringLiteral("\\clvertalb"); break;
            case vaCenter: rowDef += QStringLiteral("\\clvertalc"); break;
          }
          rowDef += borders(style) + QStringLiteral("\\cltxlrtb\\cellx") + right;
          if (object->IsText) {
            cells += textContent(*object, style, rowTwips);
          } else if (f_.exportPictures_) {
            const QString picture = pictureContent(*object);
            cells += picture.isEmpty() ? QStringLiteral("{\\cell}") : picture;
          } else {
            cells += QStringLiteral("{\\cell}");
          }
        } else {
          rowDef += QStringLiteral("\\clvmrg") + borders(style) + QStringLiteral("\\cltxlrtb\\cellx") + right;
          cells += QStringLiteral("{\\fs%1\\cell}").arg(std::min(rowTwips / 15, 20));
        }
        cells += kCrLf;
        ++cellCount;
      }
      if (cellCount == 0) continue;
      line(QStringLiteral("\\trowd") + rowDef +
           (newSection ? QStringLiteral("\\pard\\intbl\\pagebb") : QStringLiteral("\\pard\\intbl")));
      newSection = false;
      out_ += cells;
      line(QStringLiteral("\\pard\\intbl{\\trowd") + rowDef + QStringLiteral("\\row}"));
    }
  }

  TfrxRTFExport& f_;
  TfrxIEMatrix& m_;
  ExportProgress* progress_;
  QString out_;
  QStringList fonts_;
  QList<int> charsets_;
  QHash<QString, int> fontIndex_;
  QStringList colors_;
  QHash<QString, int> colorIndex_;
  long double rowFactor_ = 15;
  bool cancelled_ = false;
};

void TfrxRTFExport::EndExport() {
  if (matrix_ == nullptr) return;
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(matrix_);
  // A cancelled run leaves no file behind.
  if (Report() != nullptr && Report()->Terminated()) return;
  std::unique_ptr<ExportProgress> progress = ShowProgress() ? MakeWindowProgress() : nullptr;
  matrix->Progress = progress.get();
  matrix->BuildGrid();
  Writer writer(*this, *matrix, progress.get());
  const QString document = writer.write();
  if (writer.cancelled()) {
    if (Report() != nullptr) Report()->SetTerminated(true);
    return;
  }
  QIODevice* out = OpenOutput();
  // Everything outside ASCII is escaped, so the text is plain ASCII.
  const QByteArray bytes = document.toLatin1();
  if (out->write(bytes) != bytes.size()) {
    const QString reason = files::ioErrorText(*out, FileName());
    DiscardOutput();
    throw ExportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(QDir::toNativeSeparators(FileName()), reason));
  }
  CommitOutput();
  OpenResultIfAsked();
}

}  // namespace valmoro::exports
