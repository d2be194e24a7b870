// PDF documents checked with real readers: structure (qpdf --check), fonts
// (pdffonts), text (pdftotext), information and pages (pdfinfo) and
// protection (qpdf --show-encryption, --requires-password).

#include <gtest/gtest.h>
#include <charconv>
#include <cmath>
#include <random>

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "export/pdf_canvas.h"
#include "export/pdf_document.h"
#include "export/pdf_font.h"
#include "pdf_reader_support.h"
#include "report/model/frame.h"
#include "report/model/memo_view.h"
#include "report/model/report_font.h"
#include "report/model/shape_view.h"
#include "report/paint/draw_text.h"

namespace valmoro::pdf {
namespace {

using pdftest::pageText;
using pdftest::runTool;

const QString kPolish = QStringLiteral("Zażółć gęślą jaźń ĄĘŁŃÓŚŹŻ");

// Writes a document through `draw` (called once per page) into a file.
QString writeDocument(const QTemporaryDir& dir, const QString& name, int pages,
                      const std::function<void(PdfCanvas&, int)>& draw, const PdfProtection& protection = {},
                      const PdfInfo& info = {}, const std::vector<PdfOutlineItem>& outline = {},
                      bool compressed = true) {
  const QString path = dir.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  PdfDocument document(file, compressed, protection);
  for (int i = 0; i < pages; ++i) {
    // A4 portrait, then landscape for every second page.
    PdfCanvas& canvas = i % 2 == 0 ? document.beginPage(595.28, 841.89) : document.beginPage(841.89, 595.28);
    draw(canvas, i);
    document.endPage();
  }
  document.finish(info, PdfViewerPreferences{}, outline);
  file.close();
  return path;
}

void drawPolishLine(PdfCanvas& canvas, int page) {
  gfx::Font font;
  font.name = QStringLiteral("Arial");
  font.height = -83;  // 10 pt at 600 dpi
  canvas.setFont(font);
  canvas.textOut(QPoint(600, 600), kPolish + QStringLiteral(" strona ") + QString::number(page + 1));
}

TEST(PdfNumbers, FixedNotationWithAtMostTheAskedDecimals) {
  EXPECT_EQ(num(12.5), "12.5");
  EXPECT_EQ(num(-3.0), "-3");
  EXPECT_EQ(num(0.004), "0");
  EXPECT_EQ(num(-0.001), "0");
  EXPECT_EQ(num(1234567.891), "1234567.89");
  EXPECT_EQ(num(0.86602, 4), "0.866");
  EXPECT_EQ(num(1e300), "30000000");
  EXPECT_EQ(num(100LL), "100");
  EXPECT_EQ(name("Liberation Sans(1)"), "/Liberation#20Sans#281#29");
  EXPECT_EQ(hexString(QByteArray("\x01\xAB", 2)), "<01AB>");
  EXPECT_EQ(utf16be(QStringLiteral("Ż")), QByteArray("\xFE\xFF\x01\x7B", 4));
}

// Numbers on and near the rounding edge: a value exactly halfway rounds to
// the even digit, one only seemingly halfway (its binary value lies below
// or above) rounds the way that value lies; carries reach the integer part.
TEST(PdfNumbers, RoundsAsTheExactBinaryValueDoes) {
  EXPECT_EQ(num(0.125), "0.12");
  EXPECT_EQ(num(0.375), "0.38");
  EXPECT_EQ(num(12.5, 0), "12");
  EXPECT_EQ(num(13.5, 0), "14");
  EXPECT_EQ(num(2.675), "2.67");  // 2.67499999…
  EXPECT_EQ(num(1.005), "1");     // 1.00499999…
  EXPECT_EQ(num(0.145), "0.14");  // 0.14499999…
  EXPECT_EQ(num(1.115), "1.11");  // 1.11499999…
  EXPECT_EQ(num(9.9996, 3), "10");
  EXPECT_EQ(num(-9.995), "-9.99");  // -9.99499999…
  EXPECT_EQ(num(-0.005), "-0.01");  // -0.00500000000000000010…
  EXPECT_EQ(num(-0.0049), "0");
  EXPECT_EQ(num(-0.0), "0");
  EXPECT_EQ(num(0.1 + 0.2, 6), "0.3");
  EXPECT_EQ(num(1.0 / 3.0, 6), "0.333333");
  EXPECT_EQ(num(29999999.995), "30000000");  // 29999999.99500000104…
  EXPECT_EQ(num(-3e7 - 1, 6), "-30000000");
  EXPECT_EQ(num(std::nan("")), "0");
  EXPECT_EQ(num(0.5, 9), "0.5");  // more than six decimals are not written
  EXPECT_EQ(num(0.1234567, 9), "0.123457");

  // Against correct rounding of the exact value, over page-like values
  // (coordinates in points, matrix entries, colour fractions).
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
  for (int i = 0; i < 20000; ++i) {
    const int decimals = i % 7;
    // Every fourth value sits on a grid of the decimals, where ties live.
    double value = coordinate(random);
    if (i % 4 == 0) value = std::round(value * 2000) / 2000;
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    QByteArray expected(buffer, end - buffer);
    if (expected.contains('.')) {
      while (expected.endsWith('0')) expected.chop(1);
      if (expected.endsWith('.')) expected.chop(1);
    }
    if (expected == "-0") expected = "0";
    ASSERT_EQ(num(value, decimals), expected) << "value " << value << " decimals " << decimals;
  }

  QByteArray out = "x ";
  appendNum(out, 841.89);
  out += ' ';
  appendNum(out, 0.70710678, 4);
  out += ' ';
  appendNum(out, -12);
  EXPECT_EQ(out, "x 841.89 0.7071 -12");
}

// A PDF page is laid out like the preview, in vectors, and is not a sheet
// that a printer clips: report drawing must treat it as neither.
TEST(PdfCanvasCapabilities, NeitherPaperNorRasterNorDeviceFonts) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  PdfDocument document(buffer, false, {});
  const PdfCanvas& canvas = document.beginPage(595.28, 841.89);
  EXPECT_FALSE(canvas.printsOnPaper());
  EXPECT_FALSE(canvas.textAtDeviceResolution());
  EXPECT_FALSE(canvas.isRaster());
  EXPECT_EQ(canvas.dpiY(), PdfDocument::kDpi);
  document.endPage();
  document.finish({}, PdfViewerPreferences{}, {});
}

TEST(PdfDocumentReaders, PlainDocumentPassesQpdfAndKeepsPolishTextPerPage) {
  QTemporaryDir dir;
  const QString path = writeDocument(dir, "plain.pdf", 3, drawPolishLine);

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF-1.5\r\n"));
  EXPECT_FALSE(bytes.contains("/Encrypt"));
  // Every cross-reference entry is 20 bytes long.
  const qsizetype xref = bytes.lastIndexOf("\r\nxref\r\n");
  ASSERT_GT(xref, 0);
  const qsizetype firstEntry = bytes.indexOf("0000000000 65535 f\r\n", xref);
  const qsizetype trailer = bytes.indexOf("trailer", xref);
  EXPECT_EQ((trailer - firstEntry) % 20, 0);

  const auto check = runTool("qpdf", {"--check", path});
  EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
  EXPECT_TRUE(check.out.contains("No syntax or stream encoding errors")) << check.out.toStdString();

  for (int page = 1; page <= 3; ++page) {
    const QString text = pageText(path, page).simplified();
    EXPECT_EQ(text, kPolish + QStringLiteral(" strona ") + QString::number(page)) << page;
  }

  const auto info = runTool("pdfinfo", {"-f", "1", "-l", "3", path});
  EXPECT_TRUE(info.out.contains(QRegularExpression("Pages:\\s+3\\n"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression("Page +1 size: +595.28 x 841.89 pts")))
      << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QRegularExpression("Page +2 size: +841.89 x 595.28 pts")))
      << info.out.toStdString();
}

TEST(PdfDocumentReaders, EveryFontIsAnEmbeddedSubsetWithUnicodeMap) {
  QTemporaryDir dir;
  const QString path = writeDocument(dir, "fonts.pdf", 1, [](PdfCanvas& canvas, int) {
    gfx::Font font;
    font.height = -83;
    int row = 0;
    for (const char* name : {"Arial", "Times New Roman", "Courier New"}) {
      for (unsigned style : {0u, unsigned(gfx::fsBold), unsigned(gfx::fsItalic)}) {
        font.name = QString::fromLatin1(name);
        font.style = style;
        canvas.setFont(font);
        canvas.textOut(QPoint(100, 200 + 200 * row++), kPolish);
      }
    }
  });
  const auto fonts = runTool("pdffonts", {path});
  ASSERT_EQ(fonts.exitCode, 0) << fonts.err.toStdString();
  const QStringList lines = fonts.out.split('\n', Qt::SkipEmptyParts).mid(2);
  // Three families in regular, bold and italic: nine font files.
  EXPECT_EQ(lines.size(), 9) << fonts.out.toStdString();
  for (const QString& line : lines) {
    EXPECT_TRUE(line.contains(QRegularExpression("^[A-Z]{6}\\+"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QRegularExpression("CID TrueType\\s+Identity-H\\s+yes yes yes")))
        << line.toStdString();
  }
  const QString text = pageText(path, 1);
  EXPECT_EQ(text.count(kPolish), 9) << text.toStdString();
}

TEST(PdfFontRecord, ToUnicodeBlocksHoldAtMostOneHundredDistinctGlyphs) {
  PdfFontSet set;
  PdfFont& font = set.font(QStringLiteral("Arial"), false, false);
  for (char32_t c = 0x21; c < 0x7F; ++c) font.use(c);
  for (char32_t c = 0x100; c < 0x138; ++c) font.use(c);
  // The same letter again adds nothing.
  font.use(U'A');
  EXPECT_EQ(font.glyphCount(), 150u);
  const QByteArray map = font.toUnicodeMap();
  EXPECT_TRUE(map.contains("100 beginbfchar\n"));
  EXPECT_TRUE(map.contains("50 beginbfchar\n"));
  EXPECT_EQ(map.count("> <0041>\n"), 1);
  // Two fonts of one family differ by style only: the same name and style
  // give the same record.
  EXPECT_EQ(&set.font(QStringLiteral("Arial"), false, false), &font);
  EXPECT_NE(&set.font(QStringLiteral("Arial"), true, false), &font);
  // The subset is a TrueType file smaller than the whole font.
  const QByteArray subset = font.subset();
  QFile whole(font.file().path);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  EXPECT_LT(subset.size(), whole.size() / 2);
  EXPECT_TRUE(subset.startsWith(QByteArray("\x00\x01\x00\x00", 4)) || subset.startsWith("true"));
}

TEST(PdfDocumentReaders, InformationStringsKeepPolishLetters) {
  QTemporaryDir dir;
  PdfInfo info;
  info.title = QStringLiteral("Rejestr temperatur – łódź");
  info.author = QStringLiteral("Żaneta Kościuszko");
  info.subject = QStringLiteral("Wilgotność");
  const QString path = writeDocument(dir, "info.pdf", 1, drawPolishLine, {}, info);
  const auto out = runTool("pdfinfo", {"-enc", "UTF-8", path});
  EXPECT_TRUE(out.out.contains(QRegularExpression(QStringLiteral("Title: +Rejestr temperatur – łódź\\n")))) << out.out.toStdString();
  EXPECT_TRUE(out.out.contains(QRegularExpression(QStringLiteral("Author: +Żaneta Kościuszko\\n")))) << out.out.toStdString();
  EXPECT_TRUE(out.out.contains(QRegularExpression(QStringLiteral("Subject: +Wilgotność\\n")))) << out.out.toStdString();
}

TEST(PdfDocumentReaders, OutlineLeadsToItsPages) {
  QTemporaryDir dir;
  std::vector<PdfOutlineItem> outline(2);
  outline[0].title = QStringLiteral("Moduł A");
  outline[0].page = 0;
  outline[0].children.push_back({QStringLiteral("Czujnik ż"), 1, 100, {}});
  outline[1].title = QStringLiteral("Moduł B");
  outline[1].page = 2;
  const QString path = writeDocument(dir, "outline.pdf", 3, drawPolishLine, {}, {}, outline);
  const auto check = runTool("qpdf", {"--check", path});
  EXPECT_EQ(check.exitCode, 0) << check.out.toStdString();
  const auto json = runTool("qpdf", {"--json", "--json-key=outlines", path});
  EXPECT_TRUE(json.out.contains(QStringLiteral("\"title\": \"Moduł A\""))) << json.out.toStdString();
  EXPECT_TRUE(json.out.contains(QStringLiteral("\"title\": \"Czujnik ż\""))) << json.out.toStdString();
  EXPECT_TRUE(json.out.contains(QRegularExpression("\"destpageposfrom1\": 3"))) << json.out.toStdString();
  EXPECT_TRUE(json.out.contains(QRegularExpression("\"destpageposfrom1\": 2"))) << json.out.toStdString();
}

TEST(PdfProtectionReaders, Aes256WithPasswordsAndPermissions) {
  QTemporaryDir dir;
  PdfProtection protection;
  protection.enabled = true;
  protection.userPassword = QStringLiteral("czytaj");
  protection.ownerPassword = QStringLiteral("właściciel");
  protection.permissions = PermPrint | PermCopy;
  const QString path = writeDocument(dir, "aes.pdf", 2, drawPolishLine, protection,
                                     PdfInfo{QStringLiteral("Tytuł"), {}, {}, {}, {}, {}});

  // A user password is needed to open; the wrong one fails.
  EXPECT_EQ(runTool("qpdf", {"--requires-password", path}).exitCode, 0);
  EXPECT_NE(runTool("qpdf", {"--password=zle", "--check", path}).exitCode, 0);
  const auto check = runTool("qpdf", {"--password=czytaj", "--check", path});
  EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();

  const auto show = runTool("qpdf", {"--password=czytaj", "--show-encryption", path});
  EXPECT_TRUE(show.out.contains("R = 6")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("P = -44")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("print low resolution: allowed")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("extract for any purpose: allowed")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("modify other: not allowed")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("modify annotations: not allowed")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("stream encryption method: AESv3")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("User password = czytaj")) << show.out.toStdString();
  // The owner password is the owner's, not the user's.
  const auto owner = runTool("qpdf", {QStringLiteral("--password=właściciel"), "--show-encryption", path});
  EXPECT_TRUE(owner.out.contains("Supplied password is owner password")) << owner.out.toStdString();

  EXPECT_EQ(pageText(path, 2, QStringLiteral("czytaj")).simplified(), kPolish + QStringLiteral(" strona 2"));
  const auto info = runTool("pdfinfo", {"-enc", "UTF-8", "-upw", "czytaj", path});
  EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Title: +Tytuł\\n")))) << info.out.toStdString();
}

TEST(PdfProtectionReaders, RestrictionsAloneEncryptWithARandomOwnerPassword) {
  QTemporaryDir dir;
  PdfProtection protection;
  protection.enabled = true;
  protection.permissions = PermPrint;
  const QString path = writeDocument(dir, "restricted.pdf", 1, drawPolishLine, protection);
  // Opens without a password (exit 3: encrypted, none needed) …
  EXPECT_EQ(runTool("qpdf", {"--requires-password", path}).exitCode, 3);
  const auto show = runTool("qpdf", {"--show-encryption", path});
  EXPECT_TRUE(show.out.contains("P = -60")) << show.out.toStdString();
  // … but the empty password does not give the owner's rights.
  EXPECT_TRUE(show.out.contains("Supplied password is user password")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("extract for any purpose: not allowed")) << show.out.toStdString();
  EXPECT_EQ(pageText(path, 1).simplified(), kPolish + QStringLiteral(" strona 1"));
}

TEST(PdfProtectionReaders, Rc4OnRequestForOldReaders) {
  QTemporaryDir dir;
  PdfProtection protection;
  protection.enabled = true;
  protection.method = Encryption::Rc4_128;
  protection.userPassword = QStringLiteral("stare");
  const QString path = writeDocument(dir, "rc4.pdf", 1, drawPolishLine, protection);
  const auto show = runTool("qpdf", {"--password=stare", "--show-encryption", path});
  EXPECT_TRUE(show.out.contains("R = 3")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("P = -4")) << show.out.toStdString();
  EXPECT_TRUE(show.out.contains("Supplied password is user password")) << show.out.toStdString();
  EXPECT_EQ(runTool("qpdf", {"--password=stare", "--check", path}).exitCode, 0);
  EXPECT_EQ(pageText(path, 1, QStringLiteral("stare")).simplified(), kPolish + QStringLiteral(" strona 1"));
}

}  // namespace
}  // namespace valmoro::pdf
