#include "host_streams.h"

#include <QSaveFile>
#include <algorithm>

#include "memory_limits.h"
#include "messages.h"
#include "platform/file_errors.h"
#include "run_error.h"

namespace valmoro::script {

namespace {

[[noreturn]] void streamError(const char* className, const QString& message) {
  throw RunError(QString::fromLatin1(className), message);
}

qint64 targetPosition(qint64 offset, int origin, qint64 current, qint64 size) {
  qint64 base = 0;
  switch (origin) {
    case soFromBeginning:
      base = 0;
      break;
    case soFromCurrent:
      base = current;
      break;
    case soFromEnd:
      base = size;
      break;
    default:
      streamError("EStreamError", QStringLiteral("Invalid seek origin (%1)").arg(origin));
  }
  const qint64 target = base + offset;
  if (target < 0) streamError("EStreamError", QStringLiteral("Seek before the beginning of the stream"));
  return target;
}

}  // namespace

QByteArray BytesOfString(const QString& text) {
  const bool bytes = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 256; });
  return bytes ? text.toLatin1() : text.toUtf8();
}

QString StringOfBytes(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

// ---- TStream ------------------------------------------------------------------------------

QByteArray TStream::readBytes(qint64 count) {
  QByteArray out;
  if (count <= 0) return out;
  const qint64 available = std::max<qint64>(0, size() - position());
  // A file stream may be far bigger than what memory should take at once.
  CheckStreamSize(std::min(count, available));
  out.resize(std::min(count, available));
  const qint64 got = read(out.data(), out.size());
  out.resize(std::max<qint64>(0, got));
  return out;
}

QByteArray TStream::readRest() { return readBytes(std::max<qint64>(0, size() - position())); }

void TStream::writeBytes(const QByteArray& bytes) {
  if (!bytes.isEmpty()) write(bytes.constData(), bytes.size());
}

qint64 TStream::copyFrom(TStream* source, qint64 count) {
  if (!source) streamError("EStreamError", QStringLiteral("No source stream to copy from"));
  if (count <= 0) {
    source->setPosition(0);
    count = source->size();
  }
  // In pieces, so a large file never sits in memory whole.
  constexpr qint64 kChunk = 1 << 16;
  qint64 left = count;
  while (left > 0) {
    const QByteArray piece = source->readBytes(std::min(left, kChunk));
    if (piece.isEmpty()) streamError("EReadError", QStringLiteral("Stream read error"));
    writeBytes(piece);
    left -= piece.size();
  }
  return count;
}

// ---- TMemoryStream --------------------------------------------------------------------------

qint64 TMemoryStream::read(char* data, qint64 count) {
  const qint64 n = std::clamp<qint64>(data_.size() - position_, 0, std::max<qint64>(0, count));
  std::copy_n(data_.constData() + position_, n, data);
  position_ += n;
  return n;
}

qint64 TMemoryStream::write(const char* data, qint64 count) {
  if (count <= 0) return 0;
  // Also refuses a write far beyond the end (after a seek there).
  if (position_ > kMaxStreamSize - count) StreamTooLarge();
  if (position_ + count > data_.size()) data_.resize(position_ + count, '\0');
  std::copy_n(data, count, data_.data() + position_);
  position_ += count;
  return count;
}

qint64 TMemoryStream::seek(qint64 offset, int origin) {
  // Past the end is allowed; the gap is filled when something is written.
  position_ = targetPosition(offset, origin, position_, data_.size());
  return position_;
}

void TMemoryStream::setSize(qint64 size) {
  if (size < 0) streamError("EStreamError", QStringLiteral("Invalid stream size (%1)").arg(size));
  CheckStreamSize(size);
  data_.resize(size, '\0');
  position_ = std::min(position_, size);
}

void TMemoryStream::clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::loadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    streamError("EFOpenError", FileOpenErrorText(fileName, file.errorString()));
  CheckStreamSize(file.size());
  data_ = file.readAll();
  position_ = 0;
}

void TMemoryStream::saveToFile(const QString& fileName) const {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(data_) != data_.size() || !files::commitFile(file))
    streamError("EFCreateError", FileCreateErrorText(fileName, file.errorString()));
}

// ---- TFileStream ------------------------------------------------------------------------------

TFileStream::TFileStream(const QString& fileName, int mode, QObject* parent) : TStream(parent), file_(fileName) {
  if ((mode & fmCreate) == fmCreate) {
    canRead_ = canWrite_ = true;
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Truncate))
      streamError("EFCreateError", FileCreateErrorText(fileName, file_.errorString()));
    return;
  }
  const int access = mode & 0x3;
  canRead_ = access == fmOpenRead || access == fmOpenReadWrite;
  canWrite_ = access == fmOpenWrite || access == fmOpenReadWrite;
  if (access == 3)
    streamError("EFOpenError", QStringLiteral("Cannot open file \"%1\". Invalid mode (%2)").arg(fileName).arg(mode));
  // The open modes never create a file that is not there, and writing never
  // empties it first (Qt would, for a file opened for writing alone; the
  // stream itself refuses reads then).
  const QIODevice::OpenMode how = QIODevice::ExistingOnly | (canWrite_ ? QIODevice::ReadWrite : QIODevice::ReadOnly);
  if (!file_.open(how))
    streamError("EFOpenError", FileOpenErrorText(fileName, file_.errorString()));
}

qint64 TFileStream::read(char* data, qint64 count) {
  if (!canRead_) streamError("EReadError", QStringLiteral("Stream read error: \"%1\" is open for writing only").arg(fileName()));
  if (count <= 0) return 0;
  const qint64 n = file_.read(data, count);
  if (n < 0) streamError("EReadError", QStringLiteral("Stream read error: %1").arg(file_.errorString()));
  return n;
}

qint64 TFileStream::write(const char* data, qint64 count) {
  if (!canWrite_) streamError("EWriteError", QStringLiteral("Stream write error: \"%1\" is open for reading only").arg(fileName()));
  if (count <= 0) return 0;
  const qint64 n = file_.write(data, count);
  if (n != count) streamError("EWriteError", QStringLiteral("Stream write error: %1").arg(file_.errorString()));
  return n;
}

qint64 TFileStream::seek(qint64 offset, int origin) {
  const qint64 target = targetPosition(offset, origin, file_.pos(), file_.size());
  if (target != file_.pos() && !file_.seek(target))
    streamError("EStreamError", QStringLiteral("Cannot seek in \"%1\". %2").arg(fileName(), file_.errorString()));
  return target;
}

void TFileStream::setSize(qint64 size) {
  if (!canWrite_) streamError("EWriteError", QStringLiteral("Stream write error: \"%1\" is open for reading only").arg(fileName()));
  if (size < 0) streamError("EStreamError", QStringLiteral("Invalid stream size (%1)").arg(size));
  const qint64 pos = file_.pos();
  if (!file_.resize(size))
    streamError("EWriteError", QStringLiteral("Stream write error: %1").arg(file_.errorString()));
  if (pos > size) file_.seek(size);
}

// ---- TStreamDevice ----------------------------------------------------------------------------

TStreamDevice::TStreamDevice(TStream* stream) : stream_(stream), origin_(stream->position()) {
  open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

qint64 TStreamDevice::size() const { return std::max<qint64>(0, stream_->size() - origin_); }

bool TStreamDevice::seek(qint64 pos) {
  // Qt's readers call this: a stream error becomes a failed seek, never an
  // exception through Qt's code.
  if (!QIODevice::seek(pos)) return false;
  try {
    stream_->setPosition(origin_ + pos);
  } catch (const ScriptError& e) {
    setErrorString(e.message());
    return false;
  }
  return true;
}

qint64 TStreamDevice::readData(char* data, qint64 maxSize) {
  try {
    return stream_->read(data, maxSize);
  } catch (const ScriptError& e) {
    setErrorString(e.message());
    return -1;
  }
}

qint64 TStreamDevice::writeData(const char* data, qint64 maxSize) {
  try {
    return stream_->write(data, maxSize);
  } catch (const ScriptError& e) {
    setErrorString(e.message());
    return -1;
  }
}

}  // namespace valmoro::script
