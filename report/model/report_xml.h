#pragma once
// The XML dialect of report documents and prepared pages. Elements keep their
// attribute text raw (escaped, unparsed) and attributes are read and written
// on that text directly, which keeps loading and saving of large documents
// cheap. Elements may be left on disk until first needed (deferred children).

#include <QString>
#include <memory>
#include <vector>

class QFile;
class QIODevice;

namespace valmoro::report {

class TfrxXMLDocument;

class TfrxXMLItem {
public:
  TfrxXMLItem() = default;
  explicit TfrxXMLItem(const QString& name) : Name(name) {}
  ~TfrxXMLItem();
  TfrxXMLItem(const TfrxXMLItem&) = delete;
  TfrxXMLItem& operator=(const TfrxXMLItem&) = delete;

  QString Name;
  QString Text;   // raw attribute text, as between the name and the end of the tag
  QString Value;  // text between start and end tag (only when there are no children)

  TfrxXMLItem* Parent() const { return parent_; }
  int Count() const { return int(items_.size()); }
  TfrxXMLItem* Items(int index) const { return items_.at(size_t(index)).get(); }
  TfrxXMLItem* Add(const QString& name = QString());
  // Takes over an item made elsewhere (for instance by another document).
  TfrxXMLItem* AddItem(std::unique_ptr<TfrxXMLItem> item);
  std::unique_ptr<TfrxXMLItem> Take(int index);
  // Puts an item before the index-th child (at the end when index >= Count).
  TfrxXMLItem* InsertItem(int index, std::unique_ptr<TfrxXMLItem> item);
  void Clear();
  // First child with that name (letter case ignored), or -1 / nullptr.
  int Find(const QString& name) const;
  TfrxXMLItem* FindItem(const QString& name) const;
  int IndexOf(const TfrxXMLItem* item) const;

  // Attributes: N="value" in the attribute text, N matched ignoring case.
  QString Prop(const QString& name) const;  // unescaped; "" when missing
  bool PropExists(const QString& name) const;
  void SetProp(const QString& name, const QString& value);  // escapes
  void DeleteProp(const QString& name);

  // Children left on disk by a partial load; reading them is the document's job.
  bool Unloaded() const { return unloaded_; }
  qint64 Offset() const { return offset_; }
  // The element may have its children moved to the document's temporary
  // file (UnloadItem).
  bool Movable = false;

private:
  friend class TfrxXMLDocument;
  friend class XmlReader;
  TfrxXMLItem* parent_ = nullptr;
  std::vector<std::unique_ptr<TfrxXMLItem>> items_;
  bool unloaded_ = false;
  bool inTempFile_ = false;  // unloaded into the temporary file, not the loaded stream
  qint64 offset_ = 0;
};

class TfrxXMLDocument {
public:
  TfrxXMLDocument();
  ~TfrxXMLDocument();

  TfrxXMLItem* Root() { return &root_; }
  // Current-format documents are UTF-8; an old one ("1.0" without
  // "standalone=") holds attribute texts in the system code page.
  bool OldVersion = false;
  bool AutoIndent = true;
  // The last load met the end of the data before the root element's end
  // tag: what was read is there, the rest of the document is missing.
  bool Truncated() const { return truncated_; }

  void Clear();
  // Throws ReportError("Invalid file format") for malformed input. With
  // allowPartialLoading, the children of elements marked ld="0" stay on disk
  // (the device must stay open and seekable) until LoadItem.
  void LoadFromStream(QIODevice& device, bool allowPartialLoading = false);
  void SaveToStream(QIODevice& device) const;
  void LoadFromFile(const QString& fileName);
  void SaveToFile(const QString& fileName) const;
  // Reads the children of an element left on disk (by a partial load or by
  // UnloadItem).
  void LoadItem(TfrxXMLItem* item);

  // The temporary file for elements moved out of memory: created on first
  // use in TempDir (empty: the system's temporary folder) with an
  // unpredictable name readable by the owner only, and removed by Clear,
  // by the destructor or at the end of the program.
  QString TempDir;
  // Moves the children of an element to the temporary file and frees them.
  // Throws ReportError when the file cannot be created or written (a full
  // disk); the element then keeps its children.
  void UnloadItem(TfrxXMLItem* item);
  // Name of the temporary file (empty while there is none).
  QString TempFileName() const;
  qint64 TempFileSize() const;

private:
  std::unique_ptr<TfrxXMLItem> loadedCopy(const TfrxXMLItem& item) const;
  void dropTempFile();
  TfrxXMLItem root_;
  QIODevice* device_ = nullptr;  // kept for deferred children
  std::unique_ptr<QFile> tempFile_;
  bool truncated_ = false;
};

// Attribute value escaping: line feed, carriage return, double quote,
// ampersand, "<" and ">" become "&#<code>;", and so does a lone surrogate
// (UTF-8 has no form for it).
QString frxEscape(const QString& text);
QString frxUnescape(const QString& text);

// Attribute text helpers (on a raw attribute text).
QString frxReadAttribute(const QString& attributes, const QString& name);
int frxFindAttribute(const QString& attributes, const QString& name, int* valueEnd = nullptr);
void frxWriteAttribute(QString& attributes, const QString& name, const QString& value);

}  // namespace valmoro::report
