#include "export/pdf_writer.h"

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <algorithm>

#include "export/pdf_security.h"
#include "platform/file_errors.h"
#include "report/model/report_error.h"

namespace valmoro::pdf {

namespace {

// The digits of num(value, decimals) written through std::to_chars: the
// exact reference, taken for the rare values the quick path below cannot
// round with certainty.
int formatExact(char* buffer, double value, int decimals) {
  char digits[48];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    buffer[0] = '0';
    return 1;
  }
  // Trailing zeros and a bare point say nothing.
  char* last = end;
  if (std::string_view(digits, size_t(end - digits)).find('.') != std::string_view::npos) {
    while (last > digits && last[-1] == '0') --last;
    if (last > digits && last[-1] == '.') --last;
  }
  const std::string_view text(digits, size_t(last - digits));
  if (text.empty() || text == "-0") {
    buffer[0] = '0';
    return 1;
  }
  std::copy(text.begin(), text.end(), buffer);
  return int(text.size());
}

// num() into a buffer of at least 48 bytes; returns the length. Page
// contents hold hundreds of numbers per page, so the common case avoids
// the general formatter: the value scaled to whole units of the last
// decimal and rounded to the nearest integer gives the same digits as
// correct rounding whenever the scaled value is clearly off a tie.
int formatNumber(char* buffer, double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  // Anything beyond the PDF's implementation limits is clamped, never written
  // in exponent form.
  value = std::clamp(value, -3.0e7, 3.0e7);
  decimals = std::clamp(decimals, 0, 6);
  static constexpr double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  static constexpr long long kIntPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  const double scaled = std::fabs(value) * kPowers[decimals];  // below 2^45: integral part exact
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;  // exact
  // The product is off the true one by at most half a unit in its last
  // place; near a tie that decides the rounding, so the exact path rounds.
  if (std::fabs(fraction - 0.5) <= scaled * 0x1p-51 + 0x1p-60) return formatExact(buffer, value, decimals);
  const long long units = (long long)whole + (fraction > 0.5 ? 1 : 0);
  if (units == 0) {
    buffer[0] = '0';
    return 1;
  }
  char* p = buffer;
  if (value < 0) *p++ = '-';
  const long long integral = units / kIntPowers[decimals];
  long long rest = units % kIntPowers[decimals];
  p = std::to_chars(p, buffer + 47, integral).ptr;
  if (rest != 0) {
    int digits = decimals;
    while (rest % 10 == 0) {
      rest /= 10;
      --digits;
    }
    *p++ = '.';
    char* end = p + digits;
    for (char* q = end; q > p;) {
      *--q = char('0' + rest % 10);
      rest /= 10;
    }
    p = end;
  }
  return int(p - buffer);
}

}  // namespace

int formatNum(char* buffer, double value, int decimals) { return formatNumber(buffer, value, decimals); }

QByteArray num(double value, int decimals) {
  char buffer[48];
  return QByteArray(buffer, formatNumber(buffer, value, decimals));
}

void appendNum(QByteArray& out, double value, int decimals) {
  char buffer[48];
  out.append(buffer, formatNumber(buffer, value, decimals));
}

QByteArray num(long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QByteArray(buffer, int(end - buffer));
}

void appendNum(QByteArray& out, long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, qsizetype(end - buffer));
}

QByteArray ref(int object) { return num(object) + " 0 R"; }

QByteArray name(const QByteArray& raw) {
  static const char* hex = "0123456789ABCDEF";
  QByteArray out = "/";
  for (char c : raw) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7E || std::string_view("#()<>[]{}/%").find(c) != std::string_view::npos) {
      out += '#';
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

QByteArray hexString(const QByteArray& bytes) { return "<" + bytes.toHex().toUpper() + ">"; }

QByteArray utf16be(const QString& text) {
  QByteArray out;
  out.reserve(2 + 2 * text.size());
  out += char(0xFE);
  out += char(0xFF);
  for (QChar ch : text) {
    out += char(ch.unicode() >> 8);
    out += char(ch.unicode() & 0xFF);
  }
  return out;
}

QByteArray deflate(const QByteArray& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  QByteArray out(qsizetype(size), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
                uLong(data.size()), level) != Z_OK)
    throw report::ReportError(QStringLiteral("Nie udało się skompresować danych PDF."));
  out.resize(qsizetype(size));
  return out;
}

struct PdfWriter::Deflater {
  z_stream stream{};
  bool ready = false;
  ~Deflater() {
    if (ready) deflateEnd(&stream);
  }
};

PdfWriter::PdfWriter(QIODevice& out) : out_(out), deflater_(std::make_unique<Deflater>()) {}

PdfWriter::~PdfWriter() = default;

QByteArray PdfWriter::deflateReused(const QByteArray& data) {
  z_stream& z = deflater_->stream;
  if (!deflater_->ready) {
    if (deflateInit(&z, 1) != Z_OK) throw report::ReportError(QStringLiteral("Nie udało się skompresować danych PDF."));
    deflater_->ready = true;
  } else {
    deflateReset(&z);
  }
  QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  if (::deflate(&z, Z_FINISH) != Z_STREAM_END)
    throw report::ReportError(QStringLiteral("Nie udało się skompresować danych PDF."));
  out.resize(qsizetype(z.total_out));
  return out;
}

void PdfWriter::write(std::string_view text) {
  if (text.empty()) return;
  const qint64 written = out_.write(text.data(), qint64(text.size()));
  if (written != qint64(text.size()))
    throw report::ReportError(files::writeFailedMessage(out_));
  position_ += written;
}

void PdfWriter::write(const QByteArray& bytes) { write(std::string_view(bytes.constData(), size_t(bytes.size()))); }

void PdfWriter::line(std::string_view text) {
  write(text);
  write(std::string_view("\r\n"));
}

void PdfWriter::line(const QByteArray& bytes) {
  write(bytes);
  write(std::string_view("\r\n"));
}

void PdfWriter::header(std::string_view version) {
  write(std::string_view("%PDF-"));
  line(version);
  line(std::string_view("%\xE2\xE3\xCF\xD3"));
}

int PdfWriter::reserve() {
  offsets_.push_back(-1);
  return int(offsets_.size());
}

void PdfWriter::begin(int number) {
  offsets_[size_t(number - 1)] = position_;
  line(num(number) + " 0 obj");
}

int PdfWriter::begin() {
  const int number = reserve();
  begin(number);
  return number;
}

void PdfWriter::end() { line(std::string_view("endobj")); }

void PdfWriter::stream(int number, const QByteArray& dict, const QByteArray& data, bool deflateIt,
                       const QByteArray& alreadyFiltered) {
  QByteArray body = data;
  QByteArray head = "<<";
  if (!dict.isEmpty()) head += " " + dict;
  if (!alreadyFiltered.isEmpty()) {
    head += " /Filter " + alreadyFiltered;
  } else if (deflateIt && compressed_) {
    body = deflateReused(data);
    head += " /Filter /FlateDecode";
  }
  if (security_) body = security_->encrypt(number, body);
  head += " /Length " + num(body.size()) + " >>";
  begin(number);
  line(head);
  line(std::string_view("stream"));
  write(body);
  write(std::string_view("\r\n"));
  line(std::string_view("endstream"));
  end();
}

int PdfWriter::stream(const QByteArray& dict, const QByteArray& data, bool deflateIt,
                      const QByteArray& alreadyFiltered) {
  const int number = reserve();
  stream(number, dict, data, deflateIt, alreadyFiltered);
  return number;
}

QByteArray PdfWriter::string(int number, const QByteArray& bytes) const {
  return hexString(security_ ? security_->encrypt(number, bytes) : bytes);
}

void PdfWriter::finish(const QByteArray& trailerExtra) {
  const qint64 xref = position_;
  line(std::string_view("xref"));
  line("0 " + num(qint64(offsets_.size()) + 1));
  // Every entry is exactly 20 bytes, its line break included.
  write(std::string_view("0000000000 65535 f\r\n"));
  QByteArray table;
  table.reserve(qsizetype(offsets_.size()) * 20);
  for (size_t i = 0; i < offsets_.size(); ++i) {
    if (offsets_[i] < 0)
      throw report::ReportError(QStringLiteral("Wewnętrzny błąd eksportu PDF: obiekt %1 nie został zapisany.")
                                    .arg(qulonglong(i + 1)));
    QByteArray digits = num(static_cast<long long>(offsets_[i]));
    table += QByteArray(std::max<qsizetype>(0, 10 - digits.size()), '0') + digits + " 00000 n\r\n";
  }
  write(table);
  line(std::string_view("trailer"));
  line("<< /Size " + num(qint64(offsets_.size()) + 1) + " " + trailerExtra + " >>");
  line(std::string_view("startxref"));
  line(num(xref));
  write(std::string_view("%%EOF\r\n"));
}

}  // namespace valmoro::pdf
