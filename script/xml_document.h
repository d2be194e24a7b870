#pragma once
// The script engine's own small XML dialect, used for grammar documents and
// for the program XML that the grammar walker produces. It is not the report
// document format: an element has a name and its raw attribute text, and text
// between tags does not exist (the reader ignores it).
//
// Reading, writing and freeing are iterative, so a document nested a million
// levels deep is handled without running out of stack.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <memory>
#include <vector>

class QIODevice;

namespace valmoro::script {

// Attribute values: LF, CR, '"', '<', '>' and '&' become numeric character
// references ("&#60;"). Escaping every '&' is what lets a value such as
// "&quot;" or "&#60;" come back unchanged after a write and a re-read.
QString EscapeXmlValue(QStringView value);
// Numeric references and "&quot;" become their characters; other entities
// stay as they are.
QString UnescapeXmlValue(QStringView value);

class TfsXMLItem {
public:
  TfsXMLItem() = default;
  ~TfsXMLItem();
  TfsXMLItem(const TfsXMLItem&) = delete;
  TfsXMLItem& operator=(const TfsXMLItem&) = delete;

  const QString& Name() const { return name_; }
  void SetName(const QString& name) { name_ = name; }
  // The raw attribute text: what followed the name inside the tag.
  const QString& Text() const { return text_; }
  void SetText(const QString& text) { text_ = text; }
  qintptr Data() const { return data_; }
  void SetData(qintptr data) { data_ = data; }
  TfsXMLItem* Parent() const { return parent_; }

  int Count() const { return int(children_.size()); }
  TfsXMLItem* Items(int index) const { return children_[size_t(index)].get(); }

  // Appends a new empty child.
  TfsXMLItem* Add();
  // Appends an existing item, taking it from its previous parent (the item
  // must have been allocated with new; this item owns it from now on).
  void AddItem(TfsXMLItem* item);
  void InsertItem(int index, TfsXMLItem* item);
  // Detaches the child at index and hands it to the caller.
  std::unique_ptr<TfsXMLItem> TakeItem(int index);
  void Clear();

  // Index of the first child with this name (case-insensitive), or -1.
  int Find(QStringView name) const;
  // That child, or a new empty child of that name appended when there is none.
  TfsXMLItem* FindItem(const QString& name);
  TfsXMLItem* Root();

  // Attribute value by name (case-insensitive), unescaped; '' when missing.
  QString Prop(QStringView name) const;
  // Replaces the name-and-value pair in place, or appends it.
  void SetProp(QStringView name, const QString& value);

  // A deep copy without parent.
  std::unique_ptr<TfsXMLItem> Clone() const;

private:
  // Start and end index of the value of an attribute inside text_, or -1.
  qsizetype findValue(QStringView name, qsizetype* end) const;

  QString name_;
  QString text_;
  qintptr data_ = 0;
  TfsXMLItem* parent_ = nullptr;
  std::vector<std::unique_ptr<TfsXMLItem>> children_;
};

// Reads the dialect from bytes. Malformed input raises ScriptError with
// "Invalid file format".
class TfsXMLReader {
public:
  explicit TfsXMLReader(const QByteArray& data) : data_(data) {}
  // The "?xml" header, then one element into root (its name, text and
  // children are replaced).
  void ReadDocument(TfsXMLItem* root);

private:
  struct Tag {
    QString name;
    QString text;
    bool closing = false;
    bool empty = false;
  };
  // The next tag after pos_, comments skipped; false at the end of input.
  bool nextTag(qsizetype* begin, qsizetype* end);
  Tag readTag();

  const QByteArray& data_;
  qsizetype pos_ = 0;
};

// Writes the dialect: the header line, then the elements. With AutoIndent
// every line is indented by two blanks per level and ends with CR LF;
// without it (the default) nothing stands between the tags.
class TfsXMLWriter {
public:
  explicit TfsXMLWriter(QIODevice* device) : device_(device) {}
  ~TfsXMLWriter();
  TfsXMLWriter(const TfsXMLWriter&) = delete;
  TfsXMLWriter& operator=(const TfsXMLWriter&) = delete;

  bool AutoIndent = false;

  void WriteHeader();
  void WriteItem(const TfsXMLItem* item, int level = 0);
  void Flush();

private:
  void put(const QByteArray& bytes);
  void line(int level, const QByteArray& bytes);

  QIODevice* device_;
  QByteArray buffer_;
};

class TfsXMLDocument {
public:
  TfsXMLDocument() : root_(std::make_unique<TfsXMLItem>()) {}

  TfsXMLItem* Root() const { return root_.get(); }
  // Hands the root over to the caller; the document gets a new empty one.
  std::unique_ptr<TfsXMLItem> TakeRoot();
  bool AutoIndent = false;

  void LoadFromStream(QIODevice* stream);
  void SaveToStream(QIODevice* stream) const;
  void LoadFromFile(const QString& fileName);
  void SaveToFile(const QString& fileName) const;
  void LoadFromData(const QByteArray& data);
  QByteArray SaveToData() const;

private:
  std::unique_ptr<TfsXMLItem> root_;
};

}  // namespace valmoro::script
