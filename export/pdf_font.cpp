#include "export/pdf_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <hb-subset.h>
#include <hb.h>

#include <QCryptographicHash>
#include <QFile>
#include <cmath>
#include <mutex>

#include "export/pdf_writer.h"
#include "report/model/report_error.h"

namespace valmoro::pdf {
namespace {

int thousandths(long long units, int unitsPerEm) {
  if (unitsPerEm <= 0) return 0;
  return int(std::lround(double(units) * 1000.0 / unitsPerEm));
}

QByteArray hex4(unsigned value) {
  static const char* digits = "0123456789ABCDEF";
  QByteArray out(4, '0');
  for (int i = 3; i >= 0; --i, value >>= 4) out[i] = digits[value & 15];
  return out;
}

// A character as UTF-16 big-endian code units, surrogate pairs for the
// planes above the basic one.
QByteArray utf16Hex(char32_t code) {
  if (code < 0x10000) return hex4(unsigned(code));
  const char32_t v = code - 0x10000;
  return hex4(0xD800 + unsigned(v >> 10)) + hex4(0xDC00 + unsigned(v & 0x3FF));
}

}  // namespace

FontMetrics readMetrics(const fonts::FontFile& file) {
  static std::mutex mutex;
  static FT_Library library = nullptr;
  std::lock_guard lock(mutex);
  FontMetrics m;
  if (!library && FT_Init_FreeType(&library) != 0) return m;
  FT_Face face = nullptr;
  if (FT_New_Face(library, QFile::encodeName(file.path).constData(), file.faceIndex, &face) != 0) return m;
  m.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  m.bboxLeft = int(face->bbox.xMin);
  m.bboxBottom = int(face->bbox.yMin);
  m.bboxRight = int(face->bbox.xMax);
  m.bboxTop = int(face->bbox.yMax);
  m.ascent = face->ascender;
  m.descent = face->descender;
  m.underlinePosition = face->underline_position;
  m.underlineThickness = face->underline_thickness > 0 ? face->underline_thickness : m.unitsPerEm / 20;
  m.capHeight = m.ascent * 7 / 10;
  m.xHeight = m.ascent / 2;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
    if (os2->version >= 2 && os2->sCapHeight > 0) m.capHeight = os2->sCapHeight;
    if (os2->version >= 2 && os2->sxHeight > 0) m.xHeight = os2->sxHeight;
    m.weight = os2->usWeightClass;
  }
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    m.italicAngle = double(post->italicAngle) / 65536.0;
    m.fixedPitch = post->isFixedPitch != 0;
  }
  if (const char* ps = FT_Get_Postscript_Name(face)) m.postScriptName = ps;
  if (m.postScriptName.isEmpty()) m.postScriptName = file.family.toLatin1();
  m.postScriptName.replace(' ', "");
  FT_Done_Face(face);
  return m;
}

PdfFont::PdfFont(std::shared_ptr<const fonts::ScaledFont> scaled, int index)
    : file_(scaled->file()), metrics_(readMetrics(scaled->file())), resource_("/F" + num(index)),
      scaled_(std::move(scaled)) {
  cache_.assign(0x10000, -1);
}

int PdfFont::objectNumber(PdfWriter& writer) {
  if (object_ == 0) object_ = writer.reserve();
  return object_;
}

unsigned PdfFont::use(char32_t code) {
  int glyph;
  if (code < 0x10000 && cache_[code] >= 0) {
    glyph = cache_[code];
  } else {
    glyph = int(scaled_->glyph(code));
    if (code < 0x10000) cache_[code] = glyph;
  }
  if (glyph == 0) return 0;
  auto [it, inserted] = used_.try_emplace(unsigned(glyph));
  if (inserted) {
    it->second.code = code;
    it->second.width = thousandths(scaled_->glyphUnits(unsigned(glyph)), scaled_->unitsPerEm());
  }
  return unsigned(glyph);
}

int PdfFont::width(unsigned glyph) const {
  auto it = used_.find(glyph);
  return it == used_.end() ? 0 : it->second.width;
}

QByteArray PdfFont::toUnicodeMap() const {
  QByteArray out =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  // At most 100 entries per block; the map is keyed by glyph, so no key
  // comes twice.
  auto it = used_.begin();
  while (it != used_.end()) {
    std::vector<std::pair<unsigned, char32_t>> block;
    for (; it != used_.end() && block.size() < 100; ++it) block.emplace_back(it->first, it->second.code);
    out += num(qint64(block.size())) + " beginbfchar\n";
    for (const auto& [glyph, code] : block) out += "<" + hex4(glyph) + "> <" + utf16Hex(code) + ">\n";
    out += "endbfchar\n";
  }
  out += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return out;
}

QByteArray PdfFont::subset() const {
  hb_blob_t* blob = hb_blob_create_from_file_or_fail(QFile::encodeName(file_.path).constData());
  if (!blob)
    throw report::ReportError(QStringLiteral("Nie można odczytać pliku czcionki %1.").arg(file_.path));
  hb_face_t* face = hb_face_create(blob, unsigned(file_.faceIndex));
  hb_blob_destroy(blob);
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  QByteArray out;
  if (input) {
    hb_set_t* glyphs = hb_subset_input_glyph_set(input);
    hb_set_add(glyphs, 0);
    for (const auto& entry : used_) hb_set_add(glyphs, entry.first);
    // Glyph indices stay those of the full font, which the pages use.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    if (hb_face_t* result = hb_subset_or_fail(face, input)) {
      hb_blob_t* data = hb_face_reference_blob(result);
      unsigned length = 0;
      const char* bytes = hb_blob_get_data(data, &length);
      out = QByteArray(bytes, qsizetype(length));
      hb_blob_destroy(data);
      hb_face_destroy(result);
    }
    hb_subset_input_destroy(input);
  }
  hb_face_destroy(face);
  if (out.isEmpty())
    throw report::ReportError(QStringLiteral("Nie udało się osadzić czcionki %1 w pliku PDF.").arg(file_.family));
  return out;
}

void PdfFont::write(PdfWriter& writer) {
  const int type0 = objectNumber(writer);
  const FontMetrics& m = metrics_;
  const int upem = m.unitsPerEm;

  // A subset is named after its glyphs: six capital letters and "+".
  QByteArray glyphList;
  for (const auto& entry : used_) glyphList += num(qint64(entry.first)) + ",";
  const QByteArray digest = QCryptographicHash::hash(glyphList + m.postScriptName, QCryptographicHash::Md5);
  QByteArray tag;
  for (int i = 0; i < 6; ++i) tag += char('A' + static_cast<unsigned char>(digest[i]) % 26);
  const QByteArray baseFont = name(tag + "+" + m.postScriptName);

  const QByteArray fontData = subset();
  const int fontFile = writer.stream("/Length1 " + num(fontData.size()), fontData);

  unsigned flags = 32;  // non-symbolic
  if (m.fixedPitch) flags |= 1;
  if (m.italicAngle != 0 || file_.italic) flags |= 64;
  const int descriptor = writer.begin();
  writer.line("<< /Type /FontDescriptor /FontName " + baseFont + " /Flags " + num(qint64(flags)) + " /FontBBox [" +
              num(thousandths(m.bboxLeft, upem)) + " " + num(thousandths(m.bboxBottom, upem)) + " " +
              num(thousandths(m.bboxRight, upem)) + " " + num(thousandths(m.bboxTop, upem)) + "] /ItalicAngle " +
              num(m.italicAngle) + " /Ascent " + num(thousandths(m.ascent, upem)) + " /Descent " +
              num(thousandths(m.descent, upem)) + " /CapHeight " + num(thousandths(m.capHeight, upem)) +
              " /XHeight " + num(thousandths(m.xHeight, upem)) + " /StemV " +
              num(qint64(std::lround(std::pow(m.weight / 65.0, 2)) + 50)) + " /FontFile2 " + ref(fontFile) + " >>");
  writer.end();

  const int toUnicode = writer.stream({}, toUnicodeMap());

  // Widths: runs of consecutive glyphs share one array.
  QByteArray widths = "[";
  for (auto it = used_.begin(); it != used_.end();) {
    unsigned first = it->first, next = first;
    widths += num(qint64(first)) + " [";
    bool firstInRun = true;
    while (it != used_.end() && it->first == next) {
      if (!firstInRun) widths += " ";
      widths += num(it->second.width);
      firstInRun = false;
      ++next;
      ++it;
    }
    widths += "] ";
  }
  widths += "]";
  const int cidFont = writer.begin();
  writer.line("<< /Type /Font /Subtype /CIDFontType2 /BaseFont " + baseFont +
              " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
              ref(descriptor) + " /CIDToGIDMap /Identity /DW 1000 /W " + widths + " >>");
  writer.end();

  writer.begin(type0);
  writer.line("<< /Type /Font /Subtype /Type0 /BaseFont " + baseFont + " /Encoding /Identity-H /DescendantFonts [" +
              ref(cidFont) + "] /ToUnicode " + ref(toUnicode) + " >>");
  writer.end();
}

PdfFont& PdfFontSet::font(const QString& name, bool bold, bool italic) {
  const unsigned style = (bold ? 1u : 0u) | (italic ? 2u : 0u);
  if (last_ && style == lastStyle_ && name == lastName_) return *last_;
  auto scaled = fonts::scaled(name, bold, italic, 1000);
  const fonts::FontFile& file = scaled->file();
  const auto key = std::make_pair(file.path, file.faceIndex);
  auto it = byFile_.find(key);
  PdfFont* font;
  if (it != byFile_.end()) {
    font = it->second;
  } else {
    fonts_.push_back(std::make_unique<PdfFont>(std::move(scaled), int(fonts_.size())));
    font = fonts_.back().get();
    byFile_.emplace(key, font);
  }
  lastName_ = name;
  lastStyle_ = style;
  last_ = font;
  return *font;
}

void PdfFontSet::writeAll(PdfWriter& writer) {
  for (auto& font : fonts_)
    if (font->reserved()) font->write(writer);
}

}  // namespace valmoro::pdf
