#include "report_xml.h"

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QTemporaryFile>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <QIODevice>

#include "platform/file_errors.h"
#include "platform/locale.h"
#include "report/model/report_error.h"

namespace valmoro::report {

namespace {

[[noreturn]] void invalidFormat() { throw ReportError(QStringLiteral("Invalid file format")); }

bool isEscaped(char16_t c) {
  return c == 10 || c == 13 || c == u'"' || c == u'&' || c == u'<' || c == u'>';
}

}  // namespace

// ---------------------------------------------------------------------------
// Escaping

QString frxEscape(const QString& text) {
  QString out;
  out.reserve(text.size() + 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == u'&' && QStringView(text).mid(i, 6) == u"&quot;") {
      out += QLatin1String("&#34;");
      i += 5;
    } else if (isEscaped(c)) {
      out += QLatin1String("&#") + QString::number(int(c)) + QLatin1Char(';');
    } else if (QChar::isSurrogate(c) && !(QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                                           text[i + 1].isLowSurrogate())) {
      // A lone surrogate has no UTF-8 form; as a character reference it
      // survives (scrambled passwords can contain one).
      out += QLatin1String("&#") + QString::number(int(c)) + QLatin1Char(';');
    } else if (QChar::isHighSurrogate(c)) {
      out += text[i];
      out += text[++i];
    } else {
      out += text[i];
    }
  }
  return out;
}

QString frxUnescape(const QString& text) {
  if (!text.contains(QLatin1Char('&'))) return text;
  QString out;
  out.reserve(text.size());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('&')) {
      out += c;
      continue;
    }
    if (i + 2 < n && text[i + 1] == QLatin1Char('#')) {
      qsizetype j = i + 2;
      char32_t code = 0;
      while (j < n && text[j].isDigit() && code <= 0x10FFFF) code = code * 10 + char32_t(text[j++].digitValue());
      if (j > i + 2 && j < n && text[j] == QLatin1Char(';') && code <= 0x10FFFF) {
        if (code > 0xFFFF) {
          const char32_t ucs[1] = {code};
          out += QString::fromUcs4(ucs, 1);
        } else {
          out += QChar(char16_t(code));
        }
        i = j;
        continue;
      }
    }
    static const struct {
      const char16_t* entity;
      QChar ch;
    } entities[] = {{u"quot;", QLatin1Char('"')}, {u"amp;", QLatin1Char('&')}, {u"lt;", QLatin1Char('<')},
                    {u"gt;", QLatin1Char('>')}};
    bool replaced = false;
    for (const auto& e : entities) {
      const QStringView entity(e.entity);
      if (QStringView(text).mid(i + 1, entity.size()) == entity) {
        out += e.ch;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += c;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Attributes on a raw attribute text

int frxFindAttribute(const QString& attributes, const QString& name, int* valueEnd) {
  // " N=\"" searched in the text with a blank in front, letter case ignored.
  const QString needle = QLatin1Char(' ') + name + QLatin1String("=\"");
  qsizetype at = -1;
  if (attributes.startsWith(QStringView(needle).mid(1), Qt::CaseInsensitive)) at = 0;
  else {
    at = attributes.indexOf(needle, 0, Qt::CaseInsensitive);
    if (at >= 0) ++at;  // past the blank
  }
  if (at < 0) return -1;
  if (valueEnd) {
    const qsizetype valueStart = at + name.size() + 2;
    qsizetype end = attributes.indexOf(QLatin1Char('"'), valueStart);
    if (end < 0) end = attributes.size();
    *valueEnd = int(end);
  }
  return int(at);
}

QString frxReadAttribute(const QString& attributes, const QString& name) {
  int end = 0;
  const int at = frxFindAttribute(attributes, name, &end);
  if (at < 0) return {};
  const int start = at + int(name.size()) + 2;
  return frxUnescape(attributes.mid(start, end - start));
}

void frxWriteAttribute(QString& attributes, const QString& name, const QString& value) {
  const QString part = name + QLatin1String("=\"") + frxEscape(value) + QLatin1Char('"');
  int end = 0;
  int at = frxFindAttribute(attributes, name, &end);
  if (at >= 0) attributes.remove(at, qMin(end + 1, int(attributes.size())) - at);
  else at = int(attributes.size());
  if (at == 0 || attributes[at - 1] != QLatin1Char(' ')) attributes.insert(at, QLatin1Char(' ') + part);
  else attributes.insert(at, part);
}

// ---------------------------------------------------------------------------
// Items

// Children are taken apart level by level: a deeply nested document must not
// use a stack frame per level when it goes away.
TfrxXMLItem::~TfrxXMLItem() { Clear(); }

TfrxXMLItem* TfrxXMLItem::Add(const QString& name) {
  auto item = std::make_unique<TfrxXMLItem>(name);
  return AddItem(std::move(item));
}

TfrxXMLItem* TfrxXMLItem::AddItem(std::unique_ptr<TfrxXMLItem> item) {
  item->parent_ = this;
  items_.push_back(std::move(item));
  return items_.back().get();
}

TfrxXMLItem* TfrxXMLItem::InsertItem(int index, std::unique_ptr<TfrxXMLItem> item) {
  item->parent_ = this;
  TfrxXMLItem* raw = item.get();
  const size_t at = index < 0 ? 0 : std::min(size_t(index), items_.size());
  items_.insert(items_.begin() + qsizetype(at), std::move(item));
  return raw;
}

std::unique_ptr<TfrxXMLItem> TfrxXMLItem::Take(int index) {
  auto item = std::move(items_.at(size_t(index)));
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  return item;
}

void TfrxXMLItem::Clear() {
  std::vector<std::unique_ptr<TfrxXMLItem>> pending = std::move(items_);
  items_.clear();
  while (!pending.empty()) {
    std::unique_ptr<TfrxXMLItem> item = std::move(pending.back());
    pending.pop_back();
    for (auto& child : item->items_) pending.push_back(std::move(child));
    item->items_.clear();
  }
  unloaded_ = false;
  inTempFile_ = false;
}

int TfrxXMLItem::Find(const QString& name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

TfrxXMLItem* TfrxXMLItem::FindItem(const QString& name) const {
  const int i = Find(name);
  return i < 0 ? nullptr : items_[size_t(i)].get();
}

int TfrxXMLItem::IndexOf(const TfrxXMLItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return int(i);
  return -1;
}

QString TfrxXMLItem::Prop(const QString& name) const { return frxReadAttribute(Text, name); }
bool TfrxXMLItem::PropExists(const QString& name) const { return frxFindAttribute(Text, name) >= 0; }
void TfrxXMLItem::SetProp(const QString& name, const QString& value) { frxWriteAttribute(Text, name, value); }

void TfrxXMLItem::DeleteProp(const QString& name) {
  int end = 0;
  const int at = frxFindAttribute(Text, name, &end);
  if (at < 0) return;
  int from = at;
  int to = qMin(end + 1, int(Text.size()));
  if (from > 0 && Text[from - 1] == QLatin1Char(' ')) --from;
  else if (to < Text.size() && Text[to] == QLatin1Char(' ')) ++to;
  Text.remove(from, to - from);
}

// ---------------------------------------------------------------------------
// Reading

// Tags read from a device in blocks, with their position in the file kept for
// deferred children.
class XmlReader {
public:
  XmlReader(QIODevice& device, bool oldVersion) : device_(device), old_(oldVersion) { base_ = device.pos(); }

  // Next tag outside comments; false when the data ends between tags.
  bool nextTag(QByteArray& tag) {
    for (;;) {
      // To the next "<".
      for (;;) {
        if (pos_ >= buffer_.size() && !refill()) return false;
        const char* data = buffer_.constData();
        const void* open = std::memchr(data + pos_, '<', size_t(buffer_.size() - pos_));
        if (open) {
          pos_ = static_cast<const char*>(open) - data + 1;
          break;
        }
        pos_ = buffer_.size();
      }
      tag.clear();
      int c = get();
      if (c < 0 || c == '<') invalidFormat();
      if (c == '!') {
        // Possibly a comment: taken character by character.
        tag.append(char(c));
        for (;;) {
          c = get();
          if (c < 0 || c == '<') invalidFormat();
          if (c == '>') break;
          tag.append(char(c));
          if (tag.size() == 3 && tag == "!--") {
            skipComment();
            break;
          }
        }
        if (tag == "!--") continue;
      } else if (c != '>') {
        tag.append(char(c));
        // The rest of the tag in runs up to the next ">" (or a "<", which
        // is an error).
        for (;;) {
          if (pos_ >= buffer_.size() && !refill()) invalidFormat();
          const char* from = buffer_.constData() + pos_;
          const qsizetype left = buffer_.size() - pos_;
          qsizetype k = 0;
          while (k < left && from[k] != '>' && from[k] != '<') ++k;
          tag.append(from, k);
          pos_ += k;
          if (k < left) {
            if (from[k] == '<') invalidFormat();
            ++pos_;
            break;
          }
        }
      }
      if (tag.endsWith(' ')) tag.chop(1);
      return true;
    }
  }

  qint64 position() const { return base_ + pos_; }

  void setOld(bool old) { old_ = old; }

  // Splits a tag into the element's name and its attribute text; returns
  // true when the element has no children.
  bool split(const QByteArray& tag, TfrxXMLItem& item) const {
    const qsizetype blank = tag.indexOf(' ');
    QByteArrayView name = blank < 0 ? QByteArrayView(tag) : QByteArrayView(tag).first(blank);
    QByteArrayView text = blank < 0 ? QByteArrayView() : QByteArrayView(tag).sliced(blank + 1);
    bool empty = false;
    if (name.endsWith('/')) {
      name.chop(1);
      empty = true;
    } else if (text.endsWith('/')) {
      text.chop(1);
      empty = true;
    }
    item.Name = locale::fromSystemCodePage(name);
    item.Text = text.isEmpty() ? QString() : old_ ? locale::fromSystemCodePage(text) : QString::fromUtf8(text);
    return empty;
  }

  // False when the data ended before the item's end tag.
  static bool readChildren(XmlReader& reader, TfrxXMLItem* item, bool partial);

  void seek(qint64 offset) {
    device_.seek(offset);
    base_ = offset;
    buffer_.clear();
    pos_ = 0;
  }

private:
  // The next block; false at the end of the data.
  bool refill() {
    base_ += buffer_.size();
    buffer_ = device_.read(65536);
    pos_ = 0;
    return !buffer_.isEmpty();
  }

  int get() {
    if (pos_ >= buffer_.size() && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }

  void skipComment() {
    int dashes = 0;
    for (;;) {
      const int c = get();
      if (c < 0) invalidFormat();
      if (c == '>' && dashes >= 2) return;
      dashes = c == '-' ? dashes + 1 : 0;
    }
  }

  QIODevice& device_;
  bool old_;
  QByteArray buffer_;
  qsizetype pos_ = 0;
  qint64 base_ = 0;
};

namespace {

// An element without name, attributes, value or anything but such elements
// below it (what a damaged file's "<>" leaves) would be written as "</>",
// an end tag: it carries nothing. The reader leaves it out, so that a list
// counted from a document (prepared pages) is the list written back; the
// writer leaves out those a program made. Walked without recursion:
// damaged files nest deeply.
bool carriesNothing(const TfrxXMLItem& item) {
  std::vector<const TfrxXMLItem*> todo{&item};
  while (!todo.empty()) {
    const TfrxXMLItem* at = todo.back();
    todo.pop_back();
    if (!at->Name.isEmpty() || !at->Text.isEmpty() || !at->Value.isEmpty() || at->Unloaded()) return false;
    for (int i = 0; i < at->Count(); ++i) todo.push_back(at->Items(i));
  }
  return true;
}

// The element just finished as the last child of `parent`.
void dropIfNothing(TfrxXMLItem* parent) {
  if (parent->Count() > 0 && carriesNothing(*parent->Items(parent->Count() - 1))) parent->Take(parent->Count() - 1);
}

}  // namespace

// Reads the children of item until its end tag (or the end of the data,
// which closes every open element). Iterative: nesting depth costs no stack.
bool XmlReader::readChildren(XmlReader& reader, TfrxXMLItem* item, bool partial) {
  std::vector<TfrxXMLItem*> open{item};
  QByteArray tag;
  while (!open.empty()) {
    if (!reader.nextTag(tag)) {
      // The end of the data closes what is open.
      for (std::size_t i = open.size() - 1; i > 0; --i) dropIfNothing(open[i - 1]);
      return false;
    }
    TfrxXMLItem* current = open.back();
    if (tag.startsWith('/')) {
      if (locale::fromSystemCodePage(tag.mid(1)) != current->Name) invalidFormat();
      open.pop_back();
      if (!open.empty()) dropIfNothing(open.back());
      continue;
    }
    TfrxXMLItem* child = current->Add();
    if (reader.split(tag, *child)) {
      dropIfNothing(current);
      continue;
    }
    if (partial && child->Prop(QStringLiteral("ld")) == QLatin1String("0")) {
      child->DeleteProp(QStringLiteral("ld"));
      child->unloaded_ = true;
      child->offset_ = reader.position();
      // Skip to the matching end tag; the children are read when needed.
      int depth = 1;
      while (depth > 0) {
        if (!reader.nextTag(tag)) return false;
        if (tag.startsWith('/')) {
          --depth;
          continue;
        }
        TfrxXMLItem probe;
        if (!reader.split(tag, probe)) ++depth;
      }
      continue;
    }
    open.push_back(child);
  }
  return true;
}

TfrxXMLDocument::TfrxXMLDocument() = default;
TfrxXMLDocument::~TfrxXMLDocument() { dropTempFile(); }

void TfrxXMLDocument::Clear() {
  root_.Clear();
  dropTempFile();
  root_.Name.clear();
  root_.Text.clear();
  root_.Value.clear();
  device_ = nullptr;
}

void TfrxXMLDocument::LoadFromStream(QIODevice& device, bool allowPartialLoading) {
  Clear();
  truncated_ = false;
  XmlReader reader(device, false);
  QByteArray tag;
  if (!reader.nextTag(tag) || !tag.startsWith("?xml")) invalidFormat();
  const qsizetype v = tag.indexOf("version=\"");
  const QByteArray version = v < 0 ? QByteArray() : tag.mid(v + 9, 3);
  OldVersion = version == "1.0" && !tag.contains("standalone=");
  reader.setOld(OldVersion);
  if (!reader.nextTag(tag)) return;
  if (tag.startsWith('/')) invalidFormat();
  if (!reader.split(tag, root_)) truncated_ = !XmlReader::readChildren(reader, &root_, allowPartialLoading);
  if (allowPartialLoading) device_ = &device;
}

void TfrxXMLDocument::LoadItem(TfrxXMLItem* item) {
  if (!item || !item->unloaded_) return;
  QIODevice* source = item->inTempFile_ ? tempFile_.get() : device_;
  if (!source) return;
  XmlReader reader(*source, item->inTempFile_ ? false : OldVersion);
  const qint64 keep = source->pos();
  reader.seek(item->offset_);
  item->unloaded_ = false;
  item->inTempFile_ = false;
  XmlReader::readChildren(reader, item, source == device_);
  source->seek(keep);
}

std::unique_ptr<TfrxXMLItem> TfrxXMLDocument::loadedCopy(const TfrxXMLItem& item) const {
  auto copy = std::make_unique<TfrxXMLItem>(item.Name);
  copy->Text = item.Text;
  QIODevice* source = item.inTempFile_ ? tempFile_.get() : device_;
  if (!source) return copy;
  XmlReader reader(*source, item.inTempFile_ ? false : OldVersion);
  const qint64 keep = source->pos();
  reader.seek(item.offset_);
  XmlReader::readChildren(reader, copy.get(), false);
  source->seek(keep);
  return copy;
}

namespace {

// Temporary files still open, removed at the end of the program should
// their documents never be destroyed.
QStringList* liveTempFiles = nullptr;

void removeLiveTempFiles() {
  if (liveTempFiles)
    for (const QString& name : *liveTempFiles) QFile::remove(name);
}

void trackTempFile(const QString& name) {
  if (!liveTempFiles) {
    liveTempFiles = new QStringList;
    std::atexit(removeLiveTempFiles);
  }
  liveTempFiles->append(name);
}

void untrackTempFile(const QString& name) {
  if (liveTempFiles) liveTempFiles->removeAll(name);
}

}  // namespace

void TfrxXMLDocument::dropTempFile() {
  if (!tempFile_) return;
  const QString name = tempFile_->fileName();
  tempFile_.reset();  // a QTemporaryFile removes itself
  QFile::remove(name);
  untrackTempFile(name);
}

QString TfrxXMLDocument::TempFileName() const { return tempFile_ ? tempFile_->fileName() : QString(); }

qint64 TfrxXMLDocument::TempFileSize() const { return tempFile_ ? tempFile_->size() : 0; }

void TfrxXMLDocument::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  LoadFromStream(file, false);
}

// ---------------------------------------------------------------------------
// Writing

namespace {

class BufferedWriter {
public:
  // Nothing is written when it goes: a write that failed must not be tried
  // again while the error is on its way (that would end the program), so
  // every finished document calls flush() itself.
  explicit BufferedWriter(QIODevice& device) : device_(device) { buffer_.reserve(kBlock * 2); }

  void write(const QByteArray& bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBlock) flush();
  }
  // Pieces of one line; end() flushes when a block is full.
  void append(const char* text) { buffer_.append(text); }
  void append(const QString& text) {
    // Plain ASCII (names, numbers, most attribute texts) without a
    // temporary; anything else through the UTF-8 encoder.
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && p[i] < 0x80) ++i;
    if (i == n) {
      const qsizetype at = buffer_.size();
      buffer_.resize(at + n);
      char* d = buffer_.data() + at;
      for (qsizetype k = 0; k < n; ++k) d[k] = char(p[k]);
    } else {
      buffer_.append(text.toUtf8());
    }
  }
  void spaces(int count) { buffer_.append(qsizetype(count), ' '); }
  void end() {
    if (buffer_.size() >= kBlock) flush();
  }
  void flush() {
    if (buffer_.isEmpty()) return;
    const bool written = device_.write(buffer_) == buffer_.size();
    buffer_.clear();
    if (!written) throw ReportError(files::writeFailedMessage(device_));
  }

private:
  static constexpr qsizetype kBlock = 4096;
  QIODevice& device_;
  QByteArray buffer_;
};

// The start of a tag, "<" + name + attributes, appended piece by piece:
// large documents write millions of these.
void writeStart(BufferedWriter& out, const TfrxXMLItem& item) {
  out.append("<");
  out.append(item.Name);
  if (!item.Text.isEmpty()) {
    if (!item.Text.startsWith(QLatin1Char(' '))) out.append(" ");
    out.append(item.Text);
  }
}

// Ends a start tag with children or a value. The reader drops one blank
// before the ">" (and takes a text that then ends in "/" as an empty
// element): a text read from a damaged file that ends in a blank gets one
// more, so that it reads back the same.
void closeStart(BufferedWriter& out, const TfrxXMLItem& item) {
  if (item.Text.endsWith(QLatin1Char(' '))) out.append(" ");
  out.append(">");
}

// Elements whose children stay on disk are read back one at a time.
using ItemLoader = std::function<std::unique_ptr<TfrxXMLItem>(const TfrxXMLItem&)>;

void writeItem(BufferedWriter& out, const TfrxXMLItem& item, int level, bool indent, const ItemLoader& load) {
  // Iterative walk: each entry is an item and whether its end tag is due.
  struct Step {
    const TfrxXMLItem* item;
    int level;
    bool closing;
  };
  std::vector<Step> todo{{&item, level, false}};
  std::vector<std::unique_ptr<TfrxXMLItem>> loaded;
  while (!todo.empty()) {
    const Step step = todo.back();
    todo.pop_back();
    const int pad = indent ? step.level * 2 : 0;
    const char* eol = indent ? "\r\n" : "";
    const TfrxXMLItem* current = step.item;
    if (step.closing) {
      out.spaces(pad);
      out.append("</");
      out.append(current->Name);
      out.append(">");
      out.append(eol);
      out.end();
      if (!loaded.empty() && loaded.back().get() == current) loaded.pop_back();
      continue;
    }
    if (current->Unloaded() && load) {
      loaded.push_back(load(*current));
      current = loaded.back().get();
    }
    const TfrxXMLItem& it = *current;
    if (carriesNothing(it)) {
      if (!loaded.empty() && loaded.back().get() == current) loaded.pop_back();
      continue;
    }
    out.spaces(pad);
    writeStart(out, it);
    bool childless = true;
    for (int i = 0; i < it.Count() && childless; ++i) childless = carriesNothing(*it.Items(i));
    if (childless) {
      if (it.Value.isEmpty()) {
        out.append("/>");
      } else {
        closeStart(out, it);
        out.append(frxEscape(it.Value));
        out.append("</");
        out.append(it.Name);
        out.append(">");
      }
      out.append(eol);
      out.end();
      if (!loaded.empty() && loaded.back().get() == current) loaded.pop_back();
      continue;
    }
    closeStart(out, it);
    out.append(eol);
    out.end();
    todo.push_back({current, step.level, true});
    for (int i = it.Count() - 1; i >= 0; --i) todo.push_back({it.Items(i), step.level + 1, false});
  }
}

}  // namespace

void TfrxXMLDocument::SaveToStream(QIODevice& device) const {
  BufferedWriter out(device);
  out.write("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n");
  if (!root_.Name.isEmpty())
    writeItem(out, root_, 0, AutoIndent, [this](const TfrxXMLItem& item) { return loadedCopy(item); });
  out.flush();
}

void TfrxXMLDocument::UnloadItem(TfrxXMLItem* item) {
  if (!item || item->unloaded_ || item->Count() == 0) return;
  if (!tempFile_) {
    const QString folder = TempDir.isEmpty() ? QDir::tempPath() : TempDir;
    auto file = std::make_unique<QTemporaryFile>(QDir(folder).filePath(QStringLiteral("frXML")));
    file->setAutoRemove(true);
    if (!file->open())
      throw ReportError(QStringLiteral("Nie można utworzyć pliku tymczasowego w folderze %1: %2")
                            .arg(QDir::toNativeSeparators(folder), files::ioErrorText(*file)));
    // QTemporaryFile makes the file readable by its owner only.
    trackTempFile(file->fileName());
    tempFile_ = std::move(file);
  }
  const qint64 start = tempFile_->size();
  tempFile_->seek(start);
  try {
    BufferedWriter out(*tempFile_);
    for (int i = 0; i < item->Count(); ++i)
      writeItem(out, *item->Items(i), 0, false, [this](const TfrxXMLItem& child) { return loadedCopy(child); });
    out.write("</" + item->Name.toUtf8() + ">");
    out.flush();
    if (!tempFile_->flush()) throw ReportError(files::writeFailedMessage(*tempFile_));
  } catch (const ReportError&) {
    // Nothing was lost: the element keeps its children; the partial write
    // is cut off.
    const QString reason = files::ioErrorText(*tempFile_);
    tempFile_->resize(start);
    throw ReportError(QStringLiteral("Nie można przenieść stron do pliku tymczasowego %1: %2.")
                          .arg(QDir::toNativeSeparators(tempFile_->fileName()), reason));
  }
  item->items_.clear();
  item->unloaded_ = true;
  item->inTempFile_ = true;
  item->offset_ = start;
}

void TfrxXMLDocument::SaveToFile(const QString& fileName) const {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  SaveToStream(file);
}

}  // namespace valmoro::report
