#pragma once
// Binary component streams: a signature, a class name, a component name and a
// list of named properties with typed values. The grid-layout files use them,
// and the report documents store their property data in the same value
// grammar, so the reader and writer here know nothing about either.
//
// Integers are little-endian; a "short string" is one length byte followed by
// at most 255 bytes of UTF-8. Every read is bounds-checked: damaged input ends
// in StreamError, never in a read past the buffer.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <stdexcept>

namespace valmoro::stream {

// Message is UTF-8 in what(); "Nieprawidłowy format danych" for damaged bytes,
// "Nieprawidłowa wartość właściwości" for a value of the wrong type.
class StreamError : public std::runtime_error {
public:
  explicit StreamError(const QString& message);
  QString message() const { return QString::fromUtf8(what()); }
};

// A text taken from a file, made fit to stand in a message: control and other
// non-printable characters (and bytes that were not valid UTF-8) are written
// as escapes ("\x01", "\u200E", "\U000F0000"), and what would be longer than maxLength
// characters (escapes counted as written) is cut, ending in "…". A damaged
// file then gives a short, readable message.
QString printableExcerpt(const QString& text, int maxLength = 40);

// The type byte in front of every value.
enum class ValueType : quint8 {
  Null = 0x00,        // end of a list
  List = 0x01,        // start of a list or of a collection item
  Int8 = 0x02,
  Int16 = 0x03,
  Int32 = 0x04,
  Extended = 0x05,    // 80-bit float
  String = 0x06,      // short text, 8-bit characters
  Ident = 0x07,       // identifier, UTF-8
  False = 0x08,
  True = 0x09,
  Binary = 0x0A,      // 4-byte length + bytes
  Set = 0x0B,         // member names, then an empty name
  LString = 0x0C,     // 4-byte length + 8-bit characters
  Nil = 0x0D,         // no object
  Collection = 0x0E,  // items (List, properties, Null), then Null
  Single = 0x0F,      // 32-bit float
  Currency = 0x10,    // 64-bit integer scaled by 10000
  Date = 0x11,        // 64-bit float, days since 1899-12-30
  WString = 0x12,     // 4-byte count + UTF-16 code units
  Int64 = 0x13,
  Utf8String = 0x14,  // 4-byte length + UTF-8
  Double = 0x15,      // 64-bit float
};

class ComponentWriter {
public:
  const QByteArray& data() const { return data_; }

  // Signature, class name, component name (a zero byte when empty).
  void writeHeader(const QString& className, const QString& name = QString());
  void writeSignature();
  void writeStr(const QString& text);  // short string, cut to 255 bytes
  void writeValueType(ValueType type);

  void writePropName(const QString& name) { writeStr(name); }
  // The smallest of Int8, Int16, Int32; Int64 beyond 32 bits.
  void writeInteger(qint64 value);
  void writeBool(bool value);
  void writeIdent(const QString& ident);
  // ASCII as String (LString over 255 bytes), other text as Utf8String when
  // that is shorter than UTF-16, otherwise (and when empty) as WString.
  void writeText(const QString& text);
  // Members must come in ascending member order.
  void writeSet(const QStringList& members);
  void writeFloat(double value);  // Extended
  void writeBinary(const QByteArray& bytes);
  void writeNil() { writeValueType(ValueType::Nil); }
  void writeListBegin() { writeValueType(ValueType::List); }
  void writeListEnd() { writeValueType(ValueType::Null); }
  void writeCollectionBegin() { writeValueType(ValueType::Collection); }

  // Named integers: the identifier when the value has a name, else the number.
  void writeColor(quint32 color);
  void writeCharset(int charset);

private:
  void writeRaw(const char* bytes, qsizetype size) { data_.append(bytes, size); }
  void writeLE(quint64 value, int size);

  QByteArray data_;
};

class ComponentReader {
public:
  explicit ComponentReader(const QByteArray& bytes) : data_(bytes) {}

  qsizetype position() const { return pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }

  // Signature, optional prefix, class name and component name; returns the
  // class name.
  QString readHeader();
  void readSignature();
  // A byte 0xF0..0xFF before the class name carries flags; with flag 2 an
  // integer (the child position) follows. Both are skipped.
  void readPrefix();
  QString readStr();

  ValueType nextValue() const;  // peeks
  ValueType readValueType();
  void expectValue(ValueType type);  // reads the type byte, else "Nieprawidłowa wartość właściwości"
  // Whether a zero byte comes next. Only peeks at the byte: what follows a
  // list of properties or components is a name or a prefix, not a value.
  bool endOfList() const;
  void readListBegin() { expectValue(ValueType::List); }
  void readListEnd() { expectValue(ValueType::Null); }

  QString readPropName() { return readStr(); }
  qint32 readInteger();  // Int8, Int16, Int32
  qint64 readInt64();    // also Int64
  bool readBool();
  // Ident; False, True, Nil and Null read as "False", "True", "nil", "Null".
  QString readIdent();
  // Any text form; an identifier is accepted too. 8-bit texts (String,
  // LString) are read as code page 1250.
  QString readText();
  QStringList readSet();
  // Any float form, and integers.
  double readFloat();
  QByteArray readBinary();
  quint32 readColor();  // identifier or integer
  int readCharset();    // identifier or integer

  void skipValue();
  void skipProperty();  // name and value
  // The child components of a component, up to and including the Null that
  // ends them.
  void skipComponents();

private:
  const char* take(qsizetype size);
  quint8 readByte() { return static_cast<quint8>(*take(1)); }
  quint64 readLE(int size);
  quint32 readLength();
  void skipComponent(int depth);
  void skipValue(int depth);
  void skipProperty(int depth);

  QByteArray data_;
  qsizetype pos_ = 0;
};

}  // namespace valmoro::stream
