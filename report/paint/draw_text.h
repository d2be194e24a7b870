#pragma once
// Measuring, wrapping, splitting and drawing the text of text views.
//
// All line breaking and measuring happens once, with the font scaled to
// 600 dots per inch, and the widths found there are imposed character by
// character on whatever device the text is finally drawn on, so that the
// screen, every printer and the exports break lines alike. A small set of
// HTML-like tags (bold, italic, underline, strike-out, sub- and superscript,
// colour, no-wrap) is understood when the view allows it.
//
// One TfrxDrawText is shared by every view of a report (and one by views
// without a report), so every sequence of operations on it (configure, set
// the text, measure or draw) runs under the process-wide lock: hold a
// TfrxDrawText::Locker from configuring until the results are read.

#include <QString>
#include <QStringList>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/canvas.h"
#include "report/model/enums.h"

namespace valmoro::fonts {
class ScaledFont;
}

namespace valmoro::report {

class ReportFont;

// The attributes of one character after tags were applied.
struct TfrxHTMLTag {
  int Position = 0;        // index of the character in the plain text (tags included)
  int Size = 0;            // points
  unsigned Style = 0;      // gfx::FontStyle bits
  gfx::Color Color = 0;
  int VShift = 0;          // 1 for subscript
  bool NoWrap = false;     // not a break point
  bool SameAsPrevious = false;  // continues the previous character's attributes
  bool Small = false;      // size differs from the default size

  // Same look: size, style, colour and shift.
  bool SameLook(const TfrxHTMLTag& other) const {
    return Size == other.Size && Style == other.Style && Color == other.Color && VShift == other.VShift;
  }
};

// The records of one line, one per character.
class TfrxHTMLTags {
public:
  int Count() const { return int(items_.size()); }
  const TfrxHTMLTag& operator[](int i) const { return items_[size_t(i)]; }
  TfrxHTMLTag& operator[](int i) { return items_[size_t(i)]; }
  void Add(const TfrxHTMLTag& tag) { items_.push_back(tag); }
  void Clear() { items_.clear(); }
  // Keeps the records [from, from + count).
  void AssignRange(const TfrxHTMLTags& source, int from, int count);

private:
  std::vector<TfrxHTMLTag> items_;
};

// The tag records of every line, and the state of parsing source lines.
class TfrxHTMLTagsList {
public:
  TfrxHTMLTagsList();

  // Default attributes (those of the view's font) and whether tags count.
  void SetDefaults(int size, unsigned style, gfx::Color color);
  void SetAllowTags(bool allow) { allowTags_ = allow; }
  bool AllowTags() const { return allowTags_; }
  // Forgets the lines and starts parsing at position 0 with the defaults.
  void Clear();

  // Parses one source line: removes the tags it recognises, fills `tags`
  // with one record per remaining character and advances the running
  // position past the line and its line break. A line left empty becomes one
  // space (unless spaceForEmpty is false).
  void ExpandTags(QString& line, TfrxHTMLTags& tags, bool spaceForEmpty = true);

  // The lines (one per wrapped line once the text is wrapped).
  int Count() const { return count_; }
  TfrxHTMLTags& Line(int i) { return lines_[size_t(i)]; }
  const TfrxHTMLTags& Line(int i) const { return lines_[size_t(i)]; }
  // A new empty line at the end (its storage is reused from earlier texts).
  TfrxHTMLTags& AddLine();
  void RemoveLinesFrom(int index) { count_ = std::min(count_, std::max(0, index)); }

private:
  // A record of the attributes in force for the character at `position`.
  TfrxHTMLTag CurrentTag(int position) const;
  // Recognises a tag at `i`; returns its length (0: not a tag).
  int ParseTag(const QString& line, int i);

  std::vector<TfrxHTMLTags> lines_;
  int count_ = 0;
  bool allowTags_ = false;
  int defSize_ = 10;
  unsigned defStyle_ = 0;
  gfx::Color defColor_ = 0;
  int size_ = 10;
  unsigned style_ = 0;
  gfx::Color color_ = 0;
  int vshift_ = 0;
  bool noWrap_ = false;
  bool small_ = false;
  int position_ = 0;
};

class TfrxDrawText {
public:
  // Positions of the 600-dpi measurement are kept for at most this many
  // characters at a time; longer lines are measured piece by piece.
  static constexpr int kWorkSize = 32768;
  // Measuring resolution and the screen resolution of report units.
  static constexpr double kMeasureDpi = 600;
  static constexpr double kUnitsPerPixel = 600.0 / 96.0;  // 6.25

  TfrxDrawText();
  ~TfrxDrawText();
  TfrxDrawText(const TfrxDrawText&) = delete;
  TfrxDrawText& operator=(const TfrxDrawText&) = delete;

  // The instance for views that belong to no report.
  static TfrxDrawText& Shared();

  // The process-wide lock around every operation sequence.
  static std::recursive_mutex& Mutex();
  class Locker {
  public:
    Locker() : lock_(Mutex()) {}

  private:
    std::lock_guard<std::recursive_mutex> lock_;
  };

  // --- Configuration ----------------------------------------------------------
  void SetFont(const ReportFont& font);
  // Size in points; style as gfx::FontStyle bits.
  void SetFont(const QString& name, int size, unsigned style, gfx::Color color);
  // Rotation in degrees, taken modulo 360.
  void SetOptions(bool wordWrap, bool htmlTags, int rotation, bool wysiwyg, bool clipped, bool wordBreak,
                  bool rtlReading);
  // Screen pixels.
  void SetGaps(double paragraphGap, double charSpacing, double lineSpacing);
  // The text box in screen pixels at scale 1 (wrapping, fitting) and the
  // scaled box on the target device (drawing, clipping).
  void SetDimensions(double scaleX, double scaleY, double printScale, const gfx::Rect& textBox,
                     const gfx::Rect& scaledBox);
  // On pixel surfaces, the device column that the ink of a right-aligned or
  // centred line stays left of besides the scaled box: the view's own right
  // edge. Unlimited until set; SetDimensions clears it.
  void SetInkRight(int right) { inkRight_ = right; }

  // Parses tags and wraps every source line.
  void SetText(const QStringList& lines);
  // First: the text continues a paragraph begun in an earlier part (its
  // first line is no paragraph start). Last: the paragraph goes on in a
  // later part (its last line is no paragraph end).
  void SetParaBreaks(bool first, bool last);

  // --- Results (screen pixels) ------------------------------------------------
  double TextWidth();
  double LineHeight() const;
  double TextHeight() const;
  // Room left under the lines that fit the text box.
  double SpareHeight() const;

  struct SplitResult {
    QString fitted;      // the text that stays in this part
    QString remaining;   // the text for the next part (empty: all fitted)
    bool paragraphContinues = false;
  };
  // Keeps the wrapped lines that fit the text box and removes the others.
  SplitResult Split();

  void Draw(gfx::Canvas& canvas, TfrxHAlign hAlign, TfrxVAlign vAlign);

  // The wrapped lines, a hyphen where a word was broken.
  QStringList WrappedText() const;
  int LineCount() const { return lineCount_; }
  // Bit 0: first line of a paragraph; bit 1: last line of a paragraph.
  int LineFlags(int index) const { return lines_[size_t(index)].flags; }
  const TfrxHTMLTags& LineTags(int index) const { return tags_.Line(index); }
  // The text with the recognised tags removed (lines joined by CR LF).
  QString TextWithoutTags(const QString& text);

private:
  struct Line {
    QString text;
    int flags = 0;
    bool hyphenated = false;
  };

  const fonts::ScaledFont& measureFont(unsigned style);
  // Per-character 600-dpi advances of text[from, from + count) (count at most
  // kWorkSize) into work_, character spacing not included; small characters
  // count 1/1.5.
  void measureAdvances(const QString& text, const TfrxHTMLTags& tags, int from, int count);
  // Measured width of a whole line in 600-dpi units (without spacing).
  long long measuredWidth(const QString& text, const TfrxHTMLTags& tags);
  void wrapLine(const QString& line, const TfrxHTMLTags& tags);
  Line& addLine(const QString& text, int flags, bool hyphenated);
  // Longest prefix of the word at `from` allowed by the syllable rules whose
  // width (with a hyphen) fits `room`; 0 when none.
  int hyphenPrefix(const QString& line, const TfrxHTMLTags& tags, int from, int to, long long room);
  int charSpacingUnits(long long count) const;

  void drawLine(gfx::Canvas& canvas, int index, double originX, double originY, int boxWidth, TfrxHAlign align);
  int deviceFontHeight(const gfx::Canvas& canvas, int size) const;

  // Configuration.
  QString fontName_ = QStringLiteral("Arial");
  int fontSize_ = 10;
  unsigned fontStyle_ = 0;
  gfx::Color fontColor_ = 0;
  int measureEm_ = 83;  // em of the 600-dpi font, in measuring units
  bool wordWrap_ = true;
  bool htmlTags_ = false;
  int rotation_ = 0;
  bool wysiwyg_ = true;
  bool clipped_ = true;
  bool wordBreak_ = false;
  bool rtl_ = false;
  double paragraphGap_ = 0;
  double charSpacing_ = 0;
  double lineSpacing_ = 2;
  double scaleX_ = 1, scaleY_ = 1, printScale_ = 1;
  gfx::Rect textBox_;
  gfx::Rect scaledBox_;
  int inkRight_ = std::numeric_limits<int>::max();

  // The text.
  QStringList source_;  // as set (tags included)
  std::vector<Line> lines_;
  int lineCount_ = 0;
  TfrxHTMLTagsList tags_;
  TfrxHTMLTags lineTags_;  // records of the source line being wrapped

  // 600-dpi advances of one piece of a line, and the running positions of
  // the piece being wrapped; allocated once and reused.
  std::vector<int> work_;
  std::vector<long long> positions_;
  // Faces of the measuring font by style (bold, italic), kept while the name
  // and size stay.
  std::shared_ptr<const fonts::ScaledFont> faces_[4];
  QString facesName_;
  int facesEm_ = 0;
};

}  // namespace valmoro::report
