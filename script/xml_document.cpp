#include "xml_document.h"

#include <QBuffer>
#include <QFile>

#include "messages.h"
#include "script_error.h"

namespace valmoro::script {

namespace {

bool mustEscape(QChar c) {
  switch (c.unicode()) {
    case '\n':
    case '\r':
    case '"':
    case '<':
    case '>':
    case '&':
      return true;
    default:
      return false;
  }
}

void appendDecimal(QString& out, uint value) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = char('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) out += QLatin1Char(digits[--n]);
}

[[noreturn]] void invalidFormat() { throw ScriptError(InvalidFileFormatText()); }

}  // namespace

QString EscapeXmlValue(QStringView value) {
  qsizetype i = 0;
  while (i < value.size() && !mustEscape(value[i])) ++i;
  if (i == value.size()) return value.toString();
  QString out;
  out.reserve(value.size() + 16);
  out += value.left(i);
  for (; i < value.size(); ++i) {
    const QChar c = value[i];
    if (mustEscape(c)) {
      out += QLatin1String("&#");
      appendDecimal(out, c.unicode());
      out += QLatin1Char(';');
    } else {
      out += c;
    }
  }
  return out;
}

QString UnescapeXmlValue(QStringView value) {
  if (!value.contains(QLatin1Char('&'))) return value.toString();
  QString out;
  out.reserve(value.size());
  qsizetype i = 0;
  while (i < value.size()) {
    const QChar c = value[i];
    if (c != QLatin1Char('&')) {
      out += c;
      ++i;
      continue;
    }
    if (value.mid(i).startsWith(QLatin1String("&quot;"))) {
      out += QLatin1Char('"');
      i += 6;
      continue;
    }
    if (i + 1 < value.size() && value[i + 1] == QLatin1Char('#')) {
      qsizetype j = i + 2;
      char32_t code = 0;
      bool overflow = false;
      while (j < value.size() && value[j].isDigit() && value[j].unicode() < 128) {
        code = code * 10 + char32_t(value[j].unicode() - '0');
        if (code > 0x10FFFF) overflow = true, code = 0x110000;
        ++j;
      }
      if (j > i + 2 && j < value.size() && value[j] == QLatin1Char(';') && !overflow) {
        if (code > 0xFFFF) {
          const char32_t ucs4[] = {code};
          out += QString::fromUcs4(ucs4, 1);
        } else {
          out += QChar(char16_t(code));
        }
        i = j + 1;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

// ---------------------------------------------------------------------------

TfsXMLItem::~TfsXMLItem() { Clear(); }

TfsXMLItem* TfsXMLItem::Add() {
  auto child = std::make_unique<TfsXMLItem>();
  child->parent_ = this;
  children_.push_back(std::move(child));
  return children_.back().get();
}

void TfsXMLItem::AddItem(TfsXMLItem* item) { InsertItem(Count(), item); }

void TfsXMLItem::InsertItem(int index, TfsXMLItem* item) {
  std::unique_ptr<TfsXMLItem> owned;
  if (TfsXMLItem* old = item->parent_) {
    for (size_t i = 0; i < old->children_.size(); ++i) {
      if (old->children_[i].get() == item) {
        owned = std::move(old->children_[i]);
        old->children_.erase(old->children_.begin() + qsizetype(i));
        if (old == this && int(i) < index) --index;
        break;
      }
    }
  } else {
    owned.reset(item);
  }
  index = qBound(0, index, Count());
  owned->parent_ = this;
  children_.insert(children_.begin() + index, std::move(owned));
}

std::unique_ptr<TfsXMLItem> TfsXMLItem::TakeItem(int index) {
  std::unique_ptr<TfsXMLItem> item = std::move(children_[size_t(index)]);
  children_.erase(children_.begin() + index);
  item->parent_ = nullptr;
  return item;
}

void TfsXMLItem::Clear() {
  // Frees the subtree from a work list, never recursively.
  std::vector<std::unique_ptr<TfsXMLItem>> work = std::move(children_);
  children_.clear();
  while (!work.empty()) {
    std::unique_ptr<TfsXMLItem> item = std::move(work.back());
    work.pop_back();
    for (auto& child : item->children_) work.push_back(std::move(child));
    item->children_.clear();
  }
}

int TfsXMLItem::Find(QStringView name) const {
  for (size_t i = 0; i < children_.size(); ++i)
    if (QStringView(children_[i]->name_).compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

TfsXMLItem* TfsXMLItem::FindItem(const QString& name) {
  const int i = Find(name);
  if (i >= 0) return Items(i);
  TfsXMLItem* item = Add();
  item->name_ = name;
  return item;
}

TfsXMLItem* TfsXMLItem::Root() {
  TfsXMLItem* item = this;
  while (item->parent_) item = item->parent_;
  return item;
}

qsizetype TfsXMLItem::findValue(QStringView name, qsizetype* end) const {
  // The attribute text is searched as if a blank stood in front of it.
  const QStringView text(text_);
  const qsizetype need = name.size() + 2;
  qsizetype at = 0;
  while (true) {
    if (text.size() - at >= need && text.mid(at, name.size()).compare(name, Qt::CaseInsensitive) == 0 &&
        text[at + name.size()] == QLatin1Char('=') && text[at + name.size() + 1] == QLatin1Char('"')) {
      const qsizetype start = at + need;
      qsizetype stop = text.indexOf(QLatin1Char('"'), start);
      if (stop < 0) stop = text.size();
      *end = stop;
      return start;
    }
    const qsizetype blank = text.indexOf(QLatin1Char(' '), at);
    if (blank < 0) return -1;
    at = blank + 1;
  }
}

QString TfsXMLItem::Prop(QStringView name) const {
  qsizetype end = 0;
  const qsizetype start = findValue(name, &end);
  if (start < 0) return QString();
  return UnescapeXmlValue(QStringView(text_).mid(start, end - start));
}

void TfsXMLItem::SetProp(QStringView name, const QString& value) {
  const QString escaped = EscapeXmlValue(value);
  qsizetype end = 0;
  const qsizetype start = findValue(name, &end);
  if (start >= 0) {
    text_.replace(start, end - start, escaped);
    return;
  }
  if (!text_.isEmpty() && !text_.endsWith(QLatin1Char(' '))) text_ += QLatin1Char(' ');
  text_ += name;
  text_ += QLatin1String("=\"");
  text_ += escaped;
  text_ += QLatin1Char('"');
}

std::unique_ptr<TfsXMLItem> TfsXMLItem::Clone() const {
  auto copy = std::make_unique<TfsXMLItem>();
  std::vector<std::pair<const TfsXMLItem*, TfsXMLItem*>> work{{this, copy.get()}};
  while (!work.empty()) {
    auto [from, to] = work.back();
    work.pop_back();
    to->name_ = from->name_;
    to->text_ = from->text_;
    to->data_ = from->data_;
    for (const auto& child : from->children_) work.emplace_back(child.get(), to->Add());
  }
  return copy;
}

// ---------------------------------------------------------------------------

bool TfsXMLReader::nextTag(qsizetype* begin, qsizetype* end) {
  while (true) {
    const qsizetype open = data_.indexOf('<', pos_);
    if (open < 0) return false;
    if (data_.size() - open >= 4 && data_[open + 1] == '!' && data_[open + 2] == '-' && data_[open + 3] == '-') {
      const qsizetype close = data_.indexOf("-->", open + 4);
      if (close < 0) invalidFormat();
      pos_ = close + 3;
      continue;
    }
    qsizetype i = open + 1;
    while (i < data_.size() && data_[i] != '>') {
      if (data_[i] == '<') invalidFormat();
      ++i;
    }
    if (i >= data_.size()) invalidFormat();
    *begin = open + 1;
    *end = i;
    pos_ = i + 1;
    return true;
  }
}

TfsXMLReader::Tag TfsXMLReader::readTag() {
  qsizetype begin = 0, end = 0;
  if (!nextTag(&begin, &end)) invalidFormat();
  qsizetype split = begin;
  while (split < end && uchar(data_[split]) > ' ') ++split;
  Tag tag;
  QByteArray name = data_.mid(begin, split - begin);
  if (split < end) {
    tag.text = QString::fromUtf8(data_.constData() + split + 1, end - split - 1);
    if (tag.text.endsWith(QLatin1Char(' '))) tag.text.chop(1);
  }
  if (name.startsWith('/')) {
    tag.closing = true;
    name.remove(0, 1);
  }
  if (name.endsWith('/')) {
    tag.empty = true;
    name.chop(1);
  }
  if (tag.text.endsWith(QLatin1Char('/'))) {
    tag.empty = true;
    tag.text.chop(1);
  }
  tag.name = QString::fromUtf8(name);
  return tag;
}

void TfsXMLReader::ReadDocument(TfsXMLItem* root) {
  pos_ = 0;
  qsizetype begin = 0, end = 0;
  if (!nextTag(&begin, &end) || end - begin < 4 || data_.mid(begin, 4) != "?xml") invalidFormat();

  Tag tag = readTag();
  if (tag.closing) invalidFormat();
  root->Clear();
  root->SetName(tag.name);
  root->SetText(tag.text);
  if (tag.empty) return;

  std::vector<TfsXMLItem*> open{root};
  while (!open.empty()) {
    tag = readTag();
    if (tag.closing) {
      if (QString::compare(tag.name, open.back()->Name(), Qt::CaseInsensitive) != 0) invalidFormat();
      open.pop_back();
      continue;
    }
    TfsXMLItem* item = open.back()->Add();
    item->SetName(tag.name);
    item->SetText(tag.text);
    if (!tag.empty) open.push_back(item);
  }
}

// ---------------------------------------------------------------------------

TfsXMLWriter::~TfsXMLWriter() { Flush(); }

void TfsXMLWriter::put(const QByteArray& bytes) {
  buffer_ += bytes;
  if (buffer_.size() >= 4096) Flush();
}

void TfsXMLWriter::Flush() {
  // Written in blocks of at most 4096 bytes.
  for (qsizetype at = 0; at < buffer_.size(); at += 4096)
    device_->write(buffer_.constData() + at, qMin<qsizetype>(4096, buffer_.size() - at));
  buffer_.clear();
}

void TfsXMLWriter::line(int level, const QByteArray& bytes) {
  if (AutoIndent) put(QByteArray(level * 2, ' '));
  put(bytes);
  if (AutoIndent) put("\r\n");
}

void TfsXMLWriter::WriteHeader() { line(0, "<?xml version=\"1.0\"?>"); }

void TfsXMLWriter::WriteItem(const TfsXMLItem* item, int level) {
  auto openTag = [](const TfsXMLItem* it) {
    QByteArray tag = '<' + it->Name().toUtf8();
    if (!it->Text().isEmpty()) tag += ' ' + it->Text().toUtf8();
    tag += it->Count() == 0 ? "/>" : ">";
    return tag;
  };
  // Each entry is an element and the index of its next child to write.
  std::vector<std::pair<const TfsXMLItem*, int>> stack{{item, 0}};
  line(level, openTag(item));
  if (item->Count() == 0) return;
  while (!stack.empty()) {
    auto& [current, next] = stack.back();
    const int depth = level + int(stack.size());
    if (next < current->Count()) {
      const TfsXMLItem* child = current->Items(next++);
      line(depth, openTag(child));
      if (child->Count() > 0) stack.emplace_back(child, 0);
    } else {
      line(depth - 1, "</" + current->Name().toUtf8() + '>');
      stack.pop_back();
    }
  }
}

// ---------------------------------------------------------------------------

std::unique_ptr<TfsXMLItem> TfsXMLDocument::TakeRoot() {
  std::unique_ptr<TfsXMLItem> root = std::move(root_);
  root_ = std::make_unique<TfsXMLItem>();
  return root;
}

void TfsXMLDocument::LoadFromData(const QByteArray& data) {
  TfsXMLReader reader(data);
  reader.ReadDocument(root_.get());
}

QByteArray TfsXMLDocument::SaveToData() const {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  SaveToStream(&buffer);
  return data;
}

void TfsXMLDocument::LoadFromStream(QIODevice* stream) { LoadFromData(stream->readAll()); }

void TfsXMLDocument::SaveToStream(QIODevice* stream) const {
  TfsXMLWriter writer(stream);
  writer.AutoIndent = AutoIndent;
  writer.WriteHeader();
  writer.WriteItem(root_.get());
  writer.Flush();
}

void TfsXMLDocument::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw ScriptError(FileOpenErrorText(fileName, file.errorString()));
  LoadFromStream(&file);
}

void TfsXMLDocument::SaveToFile(const QString& fileName) const {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw ScriptError(FileCreateErrorText(fileName, file.errorString()));
  SaveToStream(&file);
}

}  // namespace valmoro::script
