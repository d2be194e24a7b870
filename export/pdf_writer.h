#pragma once
// The object layer of a PDF file: numbered objects written one after the
// other straight to the output, a cross-reference table of their offsets,
// streams (deflated on request, encrypted when the document is protected)
// and the trailer. Pages are written as soon as they are finished, so memory
// stays flat however long the report is.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <string_view>
#include <vector>

namespace valmoro::pdf {

class PdfSecurity;

// Numbers as PDF wants them: a point as separator, never an exponent, at most
// two decimals and no trailing zeros ("12.5", "-3", "0.12").
QByteArray num(double value, int decimals = 2);
QByteArray num(long long value);
inline QByteArray num(int value) { return num(static_cast<long long>(value)); }
// num() into `buffer`, which has room for 48 bytes; returns the length.
int formatNum(char* buffer, double value, int decimals = 2);
// The same, appended to `out` (page contents are built this way, without
// temporaries).
void appendNum(QByteArray& out, double value, int decimals = 2);
void appendNum(QByteArray& out, long long value);
inline void appendNum(QByteArray& out, int value) { appendNum(out, static_cast<long long>(value)); }
// "n 0 R".
QByteArray ref(int object);
// A name with the characters PDF does not allow in names written as #xx.
QByteArray name(const QByteArray& raw);
// Bytes as a hexadecimal string "<…>" (uppercase digits).
QByteArray hexString(const QByteArray& bytes);
// A text string: UTF-16 big-endian with a byte order mark, so every letter
// survives in every reader.
QByteArray utf16be(const QString& text);

class PdfWriter {
public:
  // Writes into `out`, which stays owned (and open) by the caller.
  explicit PdfWriter(QIODevice& out);
  ~PdfWriter();

  // Protection applies to every stream and string written from now on.
  void setSecurity(const PdfSecurity* security) { security_ = security; }
  const PdfSecurity* security() const { return security_; }
  void setCompressed(bool compressed) { compressed_ = compressed; }
  bool compressed() const { return compressed_; }

  // The header line and a comment of high bytes (marks the file binary).
  void header(std::string_view version);

  // A new object number whose object is written later.
  int reserve();
  // Starts object `number` (reserved earlier) at the current position.
  void begin(int number);
  // Reserves and starts a new object; returns its number.
  int begin();
  void end();

  void write(std::string_view text);
  void write(const QByteArray& bytes);
  // A text followed by a line break.
  void line(std::string_view text);
  void line(const QByteArray& bytes);

  // A whole stream object: `dict` holds the extra dictionary entries (without
  // << >>, /Length and /Filter). Deflated when `deflate` (and the writer is
  // compressed); `alreadyFiltered` names a filter the data carry already
  // (e.g. "/DCTDecode"), which rules out deflating again.
  void stream(int number, const QByteArray& dict, const QByteArray& data, bool deflate = true,
              const QByteArray& alreadyFiltered = {});
  int stream(const QByteArray& dict, const QByteArray& data, bool deflate = true,
             const QByteArray& alreadyFiltered = {});

  // A string value of object `number`: a hexadecimal string, encrypted with
  // that object's key when protected.
  QByteArray string(int number, const QByteArray& bytes) const;

  // The cross-reference table and the trailer; `trailerExtra` are more
  // trailer entries (/Root, /Info, /ID, /Encrypt).
  void finish(const QByteArray& trailerExtra);

  qint64 position() const { return position_; }
  int objectCount() const { return int(offsets_.size()); }

private:
  // One deflate state for the whole document: setting one up costs a few
  // hundred kilobytes, far more than a page's content.
  QByteArray deflateReused(const QByteArray& data);
  struct Deflater;

  QIODevice& out_;
  std::unique_ptr<Deflater> deflater_;
  const PdfSecurity* security_ = nullptr;
  bool compressed_ = true;
  qint64 position_ = 0;
  std::vector<qint64> offsets_;  // by object number − 1; −1 not written yet
};

// zlib deflate at the fastest level (page contents are many and short-lived).
QByteArray deflate(const QByteArray& data, int level = 1);

}  // namespace valmoro::pdf
