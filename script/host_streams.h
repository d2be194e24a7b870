#pragma once
// Streams for scripts: TStream with its memory and file kinds, and an
// adapter that lets code written for Qt devices read and write any of them.
//
// Scripts pass bytes as strings, one character per byte (codes 0..255), as
// they always have: Read gives such a string, Write takes one. A text with
// characters beyond that range is written as UTF-8, so no character is ever
// cut to its low byte.

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <memory>

namespace valmoro::script {

// The seek origins (soFromBeginning, soFromCurrent, soFromEnd) and file
// modes (fmCreate, fmOpenRead, fmOpenWrite, fmOpenReadWrite; the share
// flags are accepted and have no effect here).
enum SeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };
inline constexpr int fmCreate = 0xFF00;
inline constexpr int fmOpenRead = 0;
inline constexpr int fmOpenWrite = 1;
inline constexpr int fmOpenReadWrite = 2;

class TStream : public QObject {
  Q_OBJECT

public:
  explicit TStream(QObject* parent = nullptr) : QObject(parent) {}

  // Bytes actually moved; reading stops at the end.
  virtual qint64 read(char* data, qint64 count) = 0;
  // Raises EWriteError when the bytes cannot all be written.
  virtual qint64 write(const char* data, qint64 count) = 0;
  // The new position; a position before the start raises EStreamError.
  virtual qint64 seek(qint64 offset, int origin) = 0;
  virtual qint64 size() const = 0;
  // Cuts or extends (with zero bytes) the stream; the position stays unless
  // it lay beyond the new end.
  virtual void setSize(qint64 size) = 0;

  qint64 position() { return seek(0, soFromCurrent); }
  void setPosition(qint64 position) { seek(position, soFromBeginning); }
  // From the position to the end.
  QByteArray readRest();
  QByteArray readBytes(qint64 count);
  void writeBytes(const QByteArray& bytes);
  // Copies count bytes of source from its position (0: the whole source
  // from its start); EReadError when source has fewer. Gives the count.
  qint64 copyFrom(TStream* source, qint64 count);
};

class TMemoryStream : public TStream {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TMemoryStream(QObject* parent = nullptr) : TStream(parent) {}

  qint64 read(char* data, qint64 count) override;
  qint64 write(const char* data, qint64 count) override;
  qint64 seek(qint64 offset, int origin) override;
  qint64 size() const override { return data_.size(); }
  void setSize(qint64 size) override;

  const QByteArray& data() const { return data_; }
  void clear();
  // Replaces the contents with a file's bytes (position 0); EFOpenError.
  void loadFromFile(const QString& fileName);
  // Writes all bytes to a file; EFCreateError.
  void saveToFile(const QString& fileName) const;

private:
  QByteArray data_;
  qint64 position_ = 0;
};

class TFileStream : public TStream {
  Q_OBJECT

public:
  // mode: fmCreate makes (or empties) the file, the open modes need an
  // existing file. Failures raise EFCreateError or EFOpenError with the
  // file name and the system's reason.
  TFileStream(const QString& fileName, int mode, QObject* parent = nullptr);

  qint64 read(char* data, qint64 count) override;
  qint64 write(const char* data, qint64 count) override;
  qint64 seek(qint64 offset, int origin) override;
  qint64 size() const override { return file_.size(); }
  void setSize(qint64 size) override;
  QString fileName() const { return file_.fileName(); }

private:
  QFile file_;
  bool canRead_ = false;
  bool canWrite_ = false;
};

// A Qt device over a stream, from the stream's position on (unbuffered, so
// the stream's position always follows what was read or written).
class TStreamDevice : public QIODevice {
public:
  explicit TStreamDevice(TStream* stream);
  bool isSequential() const override { return false; }
  qint64 size() const override;
  bool seek(qint64 pos) override;

protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 maxSize) override;

private:
  TStream* stream_;
  qint64 origin_;
};

// Strings as byte buffers: the bytes of a script string (one per character
// when every code is below 256, else the UTF-8 of the text), and a string of
// one character per byte.
QByteArray BytesOfString(const QString& text);
QString StringOfBytes(const QByteArray& bytes);

}  // namespace valmoro::script
