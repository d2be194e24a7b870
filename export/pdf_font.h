#pragma once
// Fonts of a PDF document: one record per font file (the very file the text
// was measured with), the glyphs used on the pages with their widths and
// characters, and at the end per font a TrueType subset made with
// HarfBuzz, a composite (CID) font with its width array and a ToUnicode map
// so that readers find, copy and search the text, Polish letters included.
//
// Glyph indices are kept as in the full font (the subset retains them), so
// page contents can be written before the subset is known.

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "platform/fonts.h"

namespace valmoro::pdf {

class PdfWriter;

// Metrics of a font file in font units, read once.
struct FontMetrics {
  int unitsPerEm = 2048;
  int bboxLeft = 0, bboxBottom = 0, bboxRight = 0, bboxTop = 0;
  int ascent = 0, descent = 0, capHeight = 0, xHeight = 0;
  int underlinePosition = -200, underlineThickness = 100;  // position below the baseline is negative
  double italicAngle = 0;
  int weight = 400;
  bool fixedPitch = false;
  QByteArray postScriptName;
};

class PdfFont {
public:
  PdfFont(std::shared_ptr<const fonts::ScaledFont> scaled, int index);

  const fonts::FontFile& file() const { return file_; }
  const FontMetrics& metrics() const { return metrics_; }
  // "/F0", "/F1", … in order of first use.
  const QByteArray& resourceName() const { return resource_; }
  // The object of the Type0 font, reserved on first use in a page.
  int objectNumber(PdfWriter& writer);
  bool reserved() const { return object_ != 0; }

  // Glyph of a character, recorded as used with its width and the character
  // it shows (the first character seen for a glyph wins). 0 when the font
  // has none.
  unsigned use(char32_t code);
  // Advance of a glyph in thousandths of an em, as written in the width array.
  int width(unsigned glyph) const;
  std::size_t glyphCount() const { return used_.size(); }

  // Writes the subset font file, descriptor, ToUnicode map, CID font and the
  // Type0 font into the reserved object.
  void write(PdfWriter& writer);

  // The ToUnicode map's text (also for tests).
  QByteArray toUnicodeMap() const;
  // The subset of the font file holding the used glyphs, glyph indices kept.
  QByteArray subset() const;

private:
  struct Used {
    int width = 0;
    char32_t code = 0;
  };

  fonts::FontFile file_;
  FontMetrics metrics_;
  QByteArray resource_;
  int object_ = 0;
  std::shared_ptr<const fonts::ScaledFont> scaled_;
  std::map<unsigned, Used> used_;
  // Glyph by character for the basic plane, filled on demand (−1 unknown).
  std::vector<int> cache_;
};

class PdfFontSet {
public:
  // The record of the file a name and style resolve to.
  PdfFont& font(const QString& name, bool bold, bool italic);
  void writeAll(PdfWriter& writer);
  const std::vector<std::unique_ptr<PdfFont>>& fonts() const { return fonts_; }

private:
  std::vector<std::unique_ptr<PdfFont>> fonts_;
  std::map<std::pair<QString, int>, PdfFont*> byFile_;
  // Last look-up: neighbouring runs mostly share their font.
  QString lastName_;
  unsigned lastStyle_ = ~0u;
  PdfFont* last_ = nullptr;
};

// Reads the metrics of a font file (the fallback's when it cannot be read).
FontMetrics readMetrics(const fonts::FontFile& file);

}  // namespace valmoro::pdf
