#pragma once
// Fonts by name, resolved once to a font file, and measured from that file's
// own metrics. Measuring, painting and (later) embedding in PDF all use the
// same file, so a page measures and looks the same on screen, on paper and in
// every export, on any display and in command-line tools alike.
//
// Resolution goes through fontconfig. The usual document fonts map to their
// metric-compatible substitutes (Arial and Helvetica to Liberation Sans, Times
// New Roman and Times to Liberation Serif, Courier New and Courier to
// Liberation Mono, Arial Narrow to Liberation Sans Narrow). A name that
// fontconfig does not know as such falls back to Liberation Sans, so an
// unknown font never comes out blank nor in whatever font the machine happens
// to prefer.
//
// Advances are whole pixels per character at the requested em height, each
// the font's advance width scaled and rounded on its own, without kerning or
// hinting: what an extent measurement with partial positions gives.

#include <QString>
#include <QStringView>
#include <memory>
#include <span>

namespace valmoro::fonts {

struct FontFile {
  QString path;     // the font file
  int faceIndex = 0;  // face within a collection
  QString family;   // the family fontconfig reports for it
  bool bold = false;    // the face is bold (else bold is to be synthesised)
  bool italic = false;  // the face is italic or oblique
};

// The file for a family name and style; cached, never fails (the fallback
// is always there, the program's set-up installs it).
const FontFile& resolve(const QString& name, bool bold, bool italic);

// One face at one em height in pixels. Obtain through scaled(); shared and
// immutable apart from its internal caches, safe to use from any thread.
class ScaledFont {
public:
  virtual ~ScaledFont() = default;

  int pixelSize() const { return pixelSize_; }
  // Above and below the baseline, whole pixels (the cell height is their sum).
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }
  int unitsPerEm() const { return unitsPerEm_; }
  const FontFile& file() const { return *file_; }

  // The advance of one UTF-16 unit; the low half of a surrogate pair is 0 and
  // the high half carries the whole character.
  int advance(char16_t unit, char16_t next = 0) const;
  // Cumulative positions: out[i] = advances of text[0..i]; out.size() must be
  // at least text.size(). Returns the total width.
  int positions(QStringView text, std::span<int> out) const;
  // The total advance of a text.
  int width(QStringView text) const;
  // The glyph index of a character in the font file (0 when it has none).
  unsigned glyph(char32_t code) const;
  // Advance of a glyph in font units.
  int glyphUnits(unsigned glyph) const;

protected:
  ScaledFont() = default;
  int pixelSize_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  int unitsPerEm_ = 2048;
  const FontFile* file_ = nullptr;
  friend class FontRegistry;
};

// The face for a name and style at an em height in pixels (values below 1 are
// taken as 1, above 10 000 as 10 000). Cached.
std::shared_ptr<const ScaledFont> scaled(const QString& name, bool bold, bool italic, int pixelSize);

// GDI-style heights: a negative height is the em height; a positive one is the
// cell height (ascent + descent), converted to the em height it needs; 0 is
// the default 13-pixel em.
int emPixels(const QString& name, bool bold, bool italic, int height);

}  // namespace valmoro::fonts
