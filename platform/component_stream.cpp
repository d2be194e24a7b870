#include "platform/component_stream.h"
#include "platform/locale.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/graphics_names.h"

namespace valmoro::stream {

namespace {

const char kSignature[4] = {'T', 'P', 'F', '0'};
constexpr quint8 kLastValueType = static_cast<quint8>(ValueType::Double);
// Nesting of lists, collections and child components; deeper input is
// treated as damaged instead of exhausting the stack.
constexpr int kMaxDepth = 256;

[[noreturn]] void formatError() { throw StreamError(QStringLiteral("Nieprawidłowy format danych")); }
[[noreturn]] void valueError() { throw StreamError(QStringLiteral("Nieprawidłowa wartość właściwości")); }

// 8-bit texts come from the Polish Windows installations the files were made
// on: the system code page.
QString fromAnsi(const char* bytes, qsizetype size) {
  return locale::fromSystemCodePage(QByteArrayView(bytes, size));
}

// UTF-8 cut to at most 255 bytes without splitting a character.
QByteArray shortUtf8(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  if (utf8.size() > 255) {
    qsizetype cut = 255;
    while (cut > 0 && (static_cast<quint8>(utf8[cut]) & 0xC0) == 0x80) --cut;
    utf8.truncate(cut);
  }
  return utf8;
}

bool isAscii(const QByteArray& bytes) {
  for (char c : bytes)
    if (static_cast<quint8>(c) >= 0x80) return false;
  return true;
}

template <typename To, typename From>
To bitCast(From from) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

}  // namespace

StreamError::StreamError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

QString printableExcerpt(const QString& text, int maxLength) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    // U+FFFD stands for bytes that did not decode: never a real name.
    QString piece;
    if (QChar::isPrint(c) && c != 0xFFFD) {
      piece = QString::fromUcs4(&c, 1);
    } else {
      const QString hex = QString::number(uint(c), 16).toUpper();
      piece = c < 0x100     ? QStringLiteral("\\x") + hex.rightJustified(2, QLatin1Char('0'))
              : c < 0x10000 ? QStringLiteral("\\u") + hex.rightJustified(4, QLatin1Char('0'))
                            : QStringLiteral("\\U") + hex.rightJustified(8, QLatin1Char('0'));
    }
    // The limit holds for what is shown, escapes included.
    if (out.size() + piece.size() > maxLength) {
      out += QChar(0x2026);
      break;
    }
    out += piece;
  }
  return out;
}

// ---------------------------------------------------------------- writer

void ComponentWriter::writeLE(quint64 value, int size) {
  for (int i = 0; i < size; ++i) data_.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void ComponentWriter::writeHeader(const QString& className, const QString& name) {
  writeSignature();
  writeStr(className);
  writeStr(name);
}

void ComponentWriter::writeSignature() { writeRaw(kSignature, 4); }

void ComponentWriter::writeStr(const QString& text) {
  const QByteArray utf8 = shortUtf8(text);
  data_.append(static_cast<char>(utf8.size()));
  data_.append(utf8);
}

void ComponentWriter::writeValueType(ValueType type) {
  data_.append(static_cast<char>(type));
}

void ComponentWriter::writeInteger(qint64 value) {
  if (value >= -128 && value <= 127) {
    writeValueType(ValueType::Int8);
    writeLE(static_cast<quint64>(value), 1);
  } else if (value >= -32768 && value <= 32767) {
    writeValueType(ValueType::Int16);
    writeLE(static_cast<quint64>(value), 2);
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    writeValueType(ValueType::Int32);
    writeLE(static_cast<quint64>(value), 4);
  } else {
    writeValueType(ValueType::Int64);
    writeLE(static_cast<quint64>(value), 8);
  }
}

void ComponentWriter::writeBool(bool value) {
  writeValueType(value ? ValueType::True : ValueType::False);
}

void ComponentWriter::writeIdent(const QString& ident) {
  writeValueType(ValueType::Ident);
  writeStr(ident);
}

void ComponentWriter::writeText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  // UTF-16 takes two bytes a code unit; the 8-bit forms only when shorter.
  if (utf8.size() < 2 * text.size()) {
    if (!isAscii(utf8)) {
      writeValueType(ValueType::Utf8String);
      writeLE(static_cast<quint64>(utf8.size()), 4);
    } else if (utf8.size() <= 255) {
      writeValueType(ValueType::String);
      writeLE(static_cast<quint64>(utf8.size()), 1);
    } else {
      writeValueType(ValueType::LString);
      writeLE(static_cast<quint64>(utf8.size()), 4);
    }
    data_.append(utf8);
    return;
  }
  writeValueType(ValueType::WString);
  writeLE(static_cast<quint64>(text.size()), 4);
  for (QChar unit : text) writeLE(unit.unicode(), 2);
}

void ComponentWriter::writeSet(const QStringList& members) {
  writeValueType(ValueType::Set);
  for (const QString& member : members) writeStr(member);
  writeStr(QString());
}

void ComponentWriter::writeFloat(double value) {
  quint64 mantissa = 0;
  quint16 exponent = 0;
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    const double m = std::frexp(std::fabs(value), &e);  // [0.5, 1)
    mantissa = static_cast<quint64>(std::ldexp(m, 64));  // explicit integer bit set
    exponent = static_cast<quint16>(e - 1 + 16383);
  }
  if (std::signbit(value)) exponent |= 0x8000;
  writeValueType(ValueType::Extended);
  writeLE(mantissa, 8);
  writeLE(exponent, 2);
}

void ComponentWriter::writeBinary(const QByteArray& bytes) {
  writeValueType(ValueType::Binary);
  writeLE(static_cast<quint64>(bytes.size()), 4);
  data_.append(bytes);
}

void ComponentWriter::writeColor(quint32 color) {
  if (const auto name = names::colorToIdent(color))
    writeIdent(*name);
  else
    writeInteger(static_cast<qint32>(color));
}

void ComponentWriter::writeCharset(int charset) {
  if (const auto name = names::charsetToIdent(charset))
    writeIdent(*name);
  else
    writeInteger(charset);
}

// ---------------------------------------------------------------- reader

const char* ComponentReader::take(qsizetype size) {
  if (size < 0 || size > data_.size() - pos_) formatError();
  const char* bytes = data_.constData() + pos_;
  pos_ += size;
  return bytes;
}

quint64 ComponentReader::readLE(int size) {
  const char* bytes = take(size);
  quint64 value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<quint8>(bytes[i]);
  return value;
}

quint32 ComponentReader::readLength() { return static_cast<quint32>(readLE(4)); }

QString ComponentReader::readHeader() {
  readSignature();
  readPrefix();
  QString className = readStr();
  readStr();  // component name
  return className;
}

void ComponentReader::readSignature() {
  if (std::memcmp(take(4), kSignature, 4) != 0) formatError();
}

void ComponentReader::readPrefix() {
  if (atEnd()) return;
  const auto flags = static_cast<quint8>(data_[pos_]);
  if ((flags & 0xF0) != 0xF0) return;
  ++pos_;
  if (flags & 0x02) readInteger();
}

QString ComponentReader::readStr() {
  const quint8 size = readByte();
  return QString::fromUtf8(take(size), size);
}

ValueType ComponentReader::nextValue() const {
  if (atEnd()) formatError();
  const auto type = static_cast<quint8>(data_[pos_]);
  if (type > kLastValueType) formatError();
  return static_cast<ValueType>(type);
}

bool ComponentReader::endOfList() const {
  if (atEnd()) formatError();
  return data_[pos_] == 0;
}

ValueType ComponentReader::readValueType() {
  const ValueType type = nextValue();
  ++pos_;
  return type;
}

void ComponentReader::expectValue(ValueType type) {
  if (readValueType() != type) valueError();
}

qint32 ComponentReader::readInteger() {
  switch (readValueType()) {
    case ValueType::Int8: return static_cast<qint8>(readLE(1));
    case ValueType::Int16: return static_cast<qint16>(readLE(2));
    case ValueType::Int32: return static_cast<qint32>(readLE(4));
    default: valueError();
  }
}

qint64 ComponentReader::readInt64() {
  if (nextValue() != ValueType::Int64) return readInteger();
  ++pos_;
  return static_cast<qint64>(readLE(8));
}

bool ComponentReader::readBool() {
  switch (readValueType()) {
    case ValueType::False: return false;
    case ValueType::True: return true;
    default: valueError();
  }
}

QString ComponentReader::readIdent() {
  switch (readValueType()) {
    case ValueType::Ident: return readStr();
    case ValueType::False: return QStringLiteral("False");
    case ValueType::True: return QStringLiteral("True");
    case ValueType::Nil: return QStringLiteral("nil");
    case ValueType::Null: return QStringLiteral("Null");
    default: valueError();
  }
}

QString ComponentReader::readText() {
  switch (readValueType()) {
    case ValueType::String: {
      const quint8 size = readByte();
      return fromAnsi(take(size), size);
    }
    case ValueType::LString: {
      const quint32 size = readLength();
      return fromAnsi(take(size), size);
    }
    case ValueType::Ident: return readStr();
    case ValueType::Utf8String: {
      const quint32 size = readLength();
      return QString::fromUtf8(take(size), size);
    }
    case ValueType::WString: {
      const quint32 count = readLength();
      const char* bytes = take(qsizetype(count) * 2);
      QString text(count, Qt::Uninitialized);
      for (quint32 i = 0; i < count; ++i)
        text[i] = QChar(char16_t(static_cast<quint8>(bytes[2 * i]) |
                                 static_cast<quint8>(bytes[2 * i + 1]) << 8));
      return text;
    }
    default: valueError();
  }
}

QStringList ComponentReader::readSet() {
  expectValue(ValueType::Set);
  QStringList members;
  for (QString member = readStr(); !member.isEmpty(); member = readStr()) members.append(member);
  return members;
}

double ComponentReader::readFloat() {
  switch (nextValue()) {
    case ValueType::Int8:
    case ValueType::Int16:
    case ValueType::Int32:
    case ValueType::Int64: return static_cast<double>(readInt64());
    default: break;
  }
  switch (readValueType()) {
    case ValueType::Extended: {
      const quint64 mantissa = readLE(8);
      const auto signExponent = static_cast<quint16>(readLE(2));
      const int exponent = signExponent & 0x7FFF;
      double value;
      if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? INFINITY : NAN;
      else
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
      return (signExponent & 0x8000) ? -value : value;
    }
    case ValueType::Single: return bitCast<float>(static_cast<quint32>(readLE(4)));
    case ValueType::Date:
    case ValueType::Double: return bitCast<double>(readLE(8));
    case ValueType::Currency: return static_cast<double>(static_cast<qint64>(readLE(8))) / 10000.0;
    default: valueError();
  }
}

QByteArray ComponentReader::readBinary() {
  expectValue(ValueType::Binary);
  const quint32 size = readLength();
  return QByteArray(take(size), size);
}

quint32 ComponentReader::readColor() {
  if (nextValue() != ValueType::Ident) return static_cast<quint32>(readInteger());
  const auto color = names::identToColor(readIdent());
  if (!color) valueError();
  return *color;
}

int ComponentReader::readCharset() {
  if (nextValue() != ValueType::Ident) return readInteger();
  const auto charset = names::identToCharset(readIdent());
  if (!charset) valueError();
  return *charset;
}

void ComponentReader::skipValue() { skipValue(0); }
void ComponentReader::skipProperty() { skipProperty(0); }

void ComponentReader::skipComponents() {
  while (!endOfList()) skipComponent(1);
  readListEnd();
}

void ComponentReader::skipProperty(int depth) {
  readStr();
  skipValue(depth);
}

void ComponentReader::skipComponent(int depth) {
  if (depth > kMaxDepth) formatError();
  readPrefix();
  readStr();  // class name
  readStr();  // component name
  while (!endOfList()) skipProperty(depth);
  readListEnd();
  while (!endOfList()) skipComponent(depth + 1);
  readListEnd();
}

void ComponentReader::skipValue(int depth) {
  if (depth > kMaxDepth) formatError();
  switch (readValueType()) {
    case ValueType::Null:
    case ValueType::False:
    case ValueType::True:
    case ValueType::Nil: return;
    case ValueType::Int8: take(1); return;
    case ValueType::Int16: take(2); return;
    case ValueType::Int32:
    case ValueType::Single: take(4); return;
    case ValueType::Int64:
    case ValueType::Currency:
    case ValueType::Date:
    case ValueType::Double: take(8); return;
    case ValueType::Extended: take(10); return;
    case ValueType::String:
    case ValueType::Ident: take(readByte()); return;
    case ValueType::Binary:
    case ValueType::LString:
    case ValueType::Utf8String: take(readLength()); return;
    case ValueType::WString: take(qsizetype(readLength()) * 2); return;
    case ValueType::Set:
      for (quint8 size = readByte(); size != 0; size = readByte()) take(size);
      return;
    case ValueType::List:
      while (!endOfList()) skipValue(depth + 1);
      readListEnd();
      return;
    case ValueType::Collection:
      while (!endOfList()) {
        const ValueType next = nextValue();
        if (next == ValueType::Int8 || next == ValueType::Int16 || next == ValueType::Int32)
          readInteger();  // item index
        readListBegin();
        while (!endOfList()) skipProperty(depth + 1);
        readListEnd();
      }
      readListEnd();
      return;
  }
}

}  // namespace valmoro::stream
