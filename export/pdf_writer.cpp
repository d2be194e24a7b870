#include "export/pdf_writer.h"

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <algorithm>

#include "export/pdf_security.h"
#include "report/model/report_error.h"

namespace valmoro::pdf {

QByteArray num(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  // Anything beyond the PDF's implementation limits is clamped, never written
  // in exponent form.
  value = std::clamp(value, -3.0e7, 3.0e7);
  char buffer[48];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 6));
  if (ec != std::errc()) return "0";
  // Trailing zeros and a bare point say nothing.
  char* last = end;
  if (std::string_view(buffer, size_t(end - buffer)).find('.') != std::string_view::npos) {
    while (last > buffer && last[-1] == '0') --last;
    if (last > buffer && last[-1] == '.') --last;
  }
  QByteArray out(buffer, int(last - buffer));
  if (out == "-0" || out.isEmpty()) out = "0";
  return out;
}

QByteArray num(long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QByteArray(buffer, int(end - buffer));
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
    throw report::ReportError(QStringLiteral("Błąd zapisu pliku PDF: %1").arg(out_.errorString()));
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
