#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <QHash>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>

namespace valmoro::fonts {
namespace {

constexpr int kMaxPixelSize = 10000;
constexpr int kDefaultEm = 13;
const char* const kFallbackFamily = "Liberation Sans";

// Metric-compatible stand-ins for the fonts documents are usually made with.
QString substituteFamily(const QString& name) {
  static const QHash<QString, QString> aliases = {
      {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
      {QStringLiteral("arial narrow"), QStringLiteral("Liberation Sans Narrow")},
      {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
      {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
      {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
  };
  const QString key = name.trimmed().toLower();
  return aliases.value(key, name.trimmed());
}

// Rounds a·b / c to the nearest whole number, halves away from zero.
int scaleRound(long long a, long long b, long long c) {
  const long long p = a * b;
  return int(p >= 0 ? (2 * p + c) / (2 * c) : -((-2 * p + c) / (2 * c)));
}

// One opened face with its advance widths in font units, filled on demand.
struct Face {
  FontFile file;
  FT_Face ft = nullptr;
  int unitsPerEm = 2048;
  int winAscent = 0;
  int winDescent = 0;
  // Advance in font units per UTF-16 unit of the basic plane; -1 unknown.
  std::unique_ptr<std::atomic<int>[]> bmpUnits;
};

}  // namespace

class FontRegistry {
public:
  static FontRegistry& instance() {
    static FontRegistry registry;
    return registry;
  }

  const FontFile& resolve(const QString& name, bool bold, bool italic) { return face(name, bold, italic).file; }

  std::shared_ptr<const ScaledFont> scaled(const QString& name, bool bold, bool italic, int pixelSize) {
    pixelSize = std::clamp(pixelSize, 1, kMaxPixelSize);
    Face& f = face(name, bold, italic);
    std::lock_guard lock(mutex_);
    auto key = std::make_pair(&f, pixelSize);
    auto it = scaled_.find(key);
    if (it != scaled_.end()) return it->second;
    auto sf = std::shared_ptr<Scaled>(new Scaled(f, pixelSize));
    scaled_.emplace(key, sf);
    return sf;
  }

  int glyphUnits(Face& f, unsigned glyph) {
    std::lock_guard lock(mutex_);
    FT_Fixed units = 0;
    if (FT_Get_Advance(f.ft, glyph, FT_LOAD_NO_SCALE, &units) != 0) return 0;
    return int(units);
  }

  unsigned glyph(Face& f, char32_t code) {
    std::lock_guard lock(mutex_);
    return FT_Get_Char_Index(f.ft, code);
  }

  int codeUnits(Face& f, char32_t code) {
    if (code < 0x10000) {
      int cached = f.bmpUnits[code].load(std::memory_order_relaxed);
      if (cached >= 0) return cached;
    }
    int units = 0;
    {
      std::lock_guard lock(mutex_);
      const FT_UInt g = FT_Get_Char_Index(f.ft, code);
      FT_Fixed adv = 0;
      if (FT_Get_Advance(f.ft, g, FT_LOAD_NO_SCALE, &adv) == 0) units = int(adv);
    }
    if (code < 0x10000) f.bmpUnits[code].store(units, std::memory_order_relaxed);
    return units;
  }

private:
  class Scaled : public ScaledFont {
  public:
    Scaled(Face& f, int px) : face(f) {
      pixelSize_ = px;
      unitsPerEm_ = f.unitsPerEm;
      ascent_ = scaleRound(f.winAscent, px, f.unitsPerEm);
      descent_ = scaleRound(f.winDescent, px, f.unitsPerEm);
      file_ = &f.file;
    }
    Face& face;
  };
  friend class ScaledFont;

  FontRegistry() {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType could not be initialised");
    FcInit();
  }

  Face& face(const QString& name, bool bold, bool italic) {
    // Text is measured and drawn run after run in a handful of fonts: each
    // thread keeps its last answers by the name as asked (faces live as long
    // as the registry), sparing the alias, the key and the lock.
    struct Recent {
      QString name;
      bool bold = false, italic = false;
      Face* face = nullptr;
    };
    constexpr int kRecent = 4;
    thread_local Recent recent[kRecent];
    thread_local int nextRecent = 0;
    for (const Recent& r : recent)
      if (r.face && r.bold == bold && r.italic == italic && r.name == name) return *r.face;
    Face& found = lookUp(name, bold, italic);
    recent[nextRecent] = {name, bold, italic, &found};
    nextRecent = (nextRecent + 1) % kRecent;
    return found;
  }

  Face& lookUp(const QString& name, bool bold, bool italic) {
    const QString family = substituteFamily(name.isEmpty() ? QStringLiteral("Arial") : name);
    const QString key = family.toLower() + QLatin1Char('\x1f') + QChar(bold ? '1' : '0') + QChar(italic ? '1' : '0');
    std::lock_guard lock(mutex_);
    auto it = faces_.find(key);
    if (it != faces_.end()) return *it->second;
    std::unique_ptr<Face> f = open(family, bold, italic);
    if (!f) f = open(QString::fromLatin1(kFallbackFamily), bold, italic, /*anyFamily=*/true);
    if (!f) throw std::runtime_error("no usable font: install fonts-liberation2");
    Face& ref = *f;
    faces_.emplace(key, std::move(f));
    return ref;
  }

  // The face of exactly that family (case-insensitive), or none. With
  // anyFamily, whatever fontconfig offers best.
  std::unique_ptr<Face> open(const QString& family, bool bold, bool italic, bool anyFamily = false) {
    const QByteArray fam = family.toUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;

    std::unique_ptr<Face> f;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    const QString got = matchedFamily ? QString::fromUtf8(reinterpret_cast<const char*>(matchedFamily)) : QString();
    if (file && (anyFamily || got.compare(family, Qt::CaseInsensitive) == 0)) {
      f = std::make_unique<Face>();
      f->file.path = QString::fromUtf8(reinterpret_cast<const char*>(file));
      f->file.faceIndex = index;
      f->file.family = got;
      f->file.bold = weight >= FC_WEIGHT_DEMIBOLD;
      f->file.italic = slant != FC_SLANT_ROMAN;
      if (FT_New_Face(library_, reinterpret_cast<const char*>(file), index, &f->ft) != 0) f.reset();
    }
    FcPatternDestroy(match);
    if (!f) return nullptr;

    f->unitsPerEm = f->ft->units_per_EM > 0 ? f->ft->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f->ft, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      f->winAscent = os2->usWinAscent;
      f->winDescent = os2->usWinDescent;
    } else {
      f->winAscent = f->ft->ascender;
      f->winDescent = -f->ft->descender;
    }
    f->bmpUnits = std::make_unique<std::atomic<int>[]>(0x10000);
    for (int i = 0; i < 0x10000; ++i) f->bmpUnits[i].store(-1, std::memory_order_relaxed);
    return f;
  }

  std::recursive_mutex mutex_;
  FT_Library library_ = nullptr;
  std::map<QString, std::unique_ptr<Face>> faces_;
  std::map<std::pair<const Face*, int>, std::shared_ptr<Scaled>> scaled_;

public:
  static int unitsOf(const ScaledFont& sf, char32_t code) {
    return instance().codeUnits(static_cast<const Scaled&>(sf).face, code);
  }
  static unsigned glyphOf(const ScaledFont& sf, char32_t code) {
    return instance().glyph(static_cast<const Scaled&>(sf).face, code);
  }
  static int glyphUnitsOf(const ScaledFont& sf, unsigned glyph) {
    return instance().glyphUnits(static_cast<const Scaled&>(sf).face, glyph);
  }
  static int emFor(const QString& name, bool bold, bool italic, int cellHeight) {
    Face& f = instance().face(name, bold, italic);
    const int cellUnits = std::max(1, f.winAscent + f.winDescent);
    const long long p = static_cast<long long>(cellHeight) * f.unitsPerEm;
    return int(std::min<long long>((2 * p + cellUnits) / (2LL * cellUnits), kMaxPixelSize));
  }
};

int ScaledFont::advance(char16_t unit, char16_t next) const {
  if (QChar::isLowSurrogate(unit)) return 0;
  char32_t code = unit;
  if (QChar::isHighSurrogate(unit)) {
    if (!QChar::isLowSurrogate(next)) return 0;
    code = QChar::surrogateToUcs4(unit, next);
  }
  return scaleRound(FontRegistry::unitsOf(*this, code), pixelSize_, unitsPerEm_);
}

int ScaledFont::positions(QStringView text, std::span<int> out) const {
  int total = 0;
  const qsizetype n = std::min<qsizetype>(text.size(), qsizetype(out.size()));
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
    total += advance(text[i].unicode(), next);
    out[size_t(i)] = total;
  }
  return total;
}

int ScaledFont::width(QStringView text) const {
  int total = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
    total += advance(text[i].unicode(), next);
  }
  return total;
}

unsigned ScaledFont::glyph(char32_t code) const { return FontRegistry::glyphOf(*this, code); }

int ScaledFont::glyphUnits(unsigned g) const { return FontRegistry::glyphUnitsOf(*this, g); }

const FontFile& resolve(const QString& name, bool bold, bool italic) {
  return FontRegistry::instance().resolve(name, bold, italic);
}

std::shared_ptr<const ScaledFont> scaled(const QString& name, bool bold, bool italic, int pixelSize) {
  return FontRegistry::instance().scaled(name, bold, italic, pixelSize);
}

int emPixels(const QString& name, bool bold, bool italic, int height) {
  if (height == 0) return kDefaultEm;
  if (height < 0) return height < -kMaxPixelSize ? kMaxPixelSize : -height;
  // Convert first, then clamp: clamping the cell height first would cap the
  // em below the largest size (10 000 cell pixels are only ~8 950 em pixels).
  return std::clamp(FontRegistry::emFor(name, bold, italic, height), 1, kMaxPixelSize);
}

}  // namespace valmoro::fonts
