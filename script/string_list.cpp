#include "string_list.h"

#include <QCollator>
#include <QLocale>
#include <QSaveFile>
#include <algorithm>

#include "memory_limits.h"
#include "platform/file_errors.h"
#include "run_error.h"
#include "script.h"

namespace valmoro::script {

namespace {

[[noreturn]] void listError(const QString& message) { throw RunError(QStringLiteral("EStringListError"), message); }

// How many lines SplitSourceLines makes of the text, counted before any
// of them is made.
qint64 lineCount(const QString& text) {
  qint64 lines = 0;
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    if (text[i] == QLatin1Char('\r')) {
      ++lines;
      if (i + 1 < size && text[i + 1] == QLatin1Char('\n')) ++i;
    } else if (text[i] == QLatin1Char('\n')) {
      ++lines;
    } else if (i + 1 == size) {
      ++lines;  // a last line without a break
    }
  }
  return lines;
}

}  // namespace

int CompareTextRegional(const QString& a, const QString& b) {
  static thread_local QCollator collator = [] {
    QCollator c(QLocale(QLocale::Polish, QLocale::Poland));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  const int r = collator.compare(a, b);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

void TStrings::changed() {
  if (updating_ > 0) {
    pendingChange_ = true;
    return;
  }
  Changed();
}

TStrings::UpdateScope::~UpdateScope() {
  if (--list_.updating_ > 0 || !list_.pendingChange_) return;
  list_.pendingChange_ = false;
  list_.Changed();
}

void TStrings::clear() {
  items_.clear();
  changed();
}

void TStrings::checkIndex(int index, int size) const {
  if (index < 0 || index >= size) listError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TStrings::at(int index) const {
  checkIndex(index, count());
  return items_[size_t(index)].text;
}

void TStrings::put(int index, const QString& text) {
  checkIndex(index, count());
  items_[size_t(index)].text = text;
  changed();
}

QObject* TStrings::objectAt(int index) const {
  checkIndex(index, count());
  return items_[size_t(index)].object.data();
}

void TStrings::putObject(int index, QObject* object) {
  checkIndex(index, count());
  items_[size_t(index)].object = object;
  changed();
}

int TStrings::add(const QString& text, QObject* object) {
  CheckListItems(qint64(items_.size()) + 1);
  items_.push_back({text, object});
  changed();
  return count() - 1;
}

void TStrings::insert(int index, const QString& text, QObject* object) {
  checkIndex(index, count() + 1);
  CheckListItems(qint64(items_.size()) + 1);
  items_.insert(items_.begin() + index, Item{text, object});
  changed();
}

void TStrings::remove(int index) {
  checkIndex(index, count());
  items_.erase(items_.begin() + index);
  changed();
}

void TStrings::move(int from, int to) {
  checkIndex(from, count());
  checkIndex(to, count());
  Item item = items_[size_t(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, item);
  changed();
}

int TStrings::indexOf(const QString& text) const {
  for (int i = 0; i < count(); ++i)
    if (CompareTextRegional(items_[size_t(i)].text, text) == 0) return i;
  return -1;
}

int TStrings::indexOfName(const QString& name) const {
  for (int i = 0; i < count(); ++i)
    if (CompareTextRegional(nameAt(i), name) == 0 && items_[size_t(i)].text.contains(QLatin1Char('='))) return i;
  return -1;
}

int TStrings::indexOfObject(const QObject* object) const {
  for (int i = 0; i < count(); ++i)
    if (items_[size_t(i)].object.data() == object) return i;
  return -1;
}

QString TStrings::nameAt(int index) const {
  const QString line = at(index);
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  return eq < 0 ? QString() : line.left(eq);
}

QString TStrings::value(const QString& name) const {
  const int i = indexOfName(name);
  if (i < 0) return QString();
  // After the line's own "=": the name asked for may be written another
  // way (another case, composed accents) and so be of another length.
  const QString& line = items_[size_t(i)].text;
  return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

void TStrings::setValue(const QString& name, const QString& value) {
  const int i = indexOfName(name);
  if (value.isEmpty()) {
    if (i >= 0) remove(i);
  } else {
    CheckStringLength(name.size() + 1, value.size());
    if (i < 0) {
      add(name + QLatin1Char('=') + value);
      return;
    }
    items_[size_t(i)].text = name + QLatin1Char('=') + value;
    changed();
  }
}

QString TStrings::text() const {
  // Lines that each fit may still not fit together.
  qint64 length = 0;
  for (const Item& item : items_) {
    length += item.text.size() + 2;
    CheckStringLength(length);
  }
  QStringList lines;
  for (const Item& item : items_) lines << item.text;
  return JoinSourceLines(lines);
}

void TStrings::setText(const QString& text) {
  CheckListItems(lineCount(text));
  UpdateScope update(*this);
  clear();
  for (const QString& line : SplitSourceLines(text)) add(line);
}

QString TStrings::commaText() const {
  const auto needsQuotes = [](const QString& t) {
    return t.isEmpty() || std::any_of(t.begin(), t.end(), [](QChar c) {
             return c.unicode() <= ' ' || c == QLatin1Char(',') || c == QLatin1Char('"');
           });
  };
  // The length of the whole text, quotes and commas included, is known
  // before any of it is built.
  qint64 length = items_.empty() ? 0 : qint64(items_.size()) - 1;
  CheckStringLength(length);
  for (const Item& item : items_) {
    const QString& t = item.text;
    const qint64 part = needsQuotes(t) ? t.size() + 2 + t.count(QLatin1Char('"')) : t.size();
    CheckStringLength(length, part);
    length += part;
  }
  QStringList parts;
  for (const Item& item : items_) {
    const QString& t = item.text;
    if (!needsQuotes(t)) {
      parts << t;
    } else {
      QString q = t;
      q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
      parts << QLatin1Char('"') + q + QLatin1Char('"');
    }
  }
  return parts.join(QLatin1Char(','));
}

void TStrings::setCommaText(const QString& text) {
  UpdateScope update(*this);
  clear();
  const int n = int(text.size());
  int i = 0;
  auto skipSeparators = [&] {
    while (i < n && (text[i].unicode() <= ' ')) ++i;
  };
  skipSeparators();
  while (i < n) {
    QString item;
    if (text[i] == QLatin1Char('"')) {
      ++i;
      while (i < n) {
        if (text[i] == QLatin1Char('"')) {
          if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
            item += QLatin1Char('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < n && text[i].unicode() > ' ' && text[i] != QLatin1Char(',')) item += text[i++];
    }
    add(item);
    skipSeparators();
    if (i < n && text[i] == QLatin1Char(',')) {
      ++i;
      skipSeparators();
    }
  }
}

void TStrings::loadFromFile(const QString& fileName) { setText(ReadSourceFile(fileName)); }

QByteArray TStrings::toBytes() const { return text().toUtf8(); }

void TStrings::setBytes(const QByteArray& bytes) { setText(TextOfUtf8(bytes)); }

void TStrings::addStrings(const TStrings& other) {
  // A copy first: the list may be added to itself.
  const std::vector<Item> items = other.items_;
  CheckListItems(qint64(items_.size()) + qint64(items.size()));
  UpdateScope update(*this);
  for (const Item& item : items) add(item.text, item.object.data());
}

bool TStrings::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TStrings*>(source);
  if (!other) return false;
  if (other == this) return true;
  const std::vector<Item> items = other->items_;
  UpdateScope update(*this);
  clear();
  for (const Item& item : items) add(item.text, item.object.data());
  return true;
}

void TStrings::saveToFile(const QString& fileName) const {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(text().toUtf8()) < 0 || !files::commitFile(file))
    throw RunError(QStringLiteral("EFCreateError"), QStringLiteral("Cannot create file \"%1\"").arg(fileName));
}

// ---- TStringList ---------------------------------------------------------------------

void TStringList::setSorted(bool sorted) {
  if (sorted && !sorted_) sort();
  sorted_ = sorted;
}

void TStringList::sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return CompareTextRegional(a.text, b.text) < 0; });
  changed();
}

bool TStringList::find(const QString& text, int* index) const {
  int low = 0, high = count() - 1;
  bool found = false;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = CompareTextRegional(items_[size_t(mid)].text, text);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) low = mid;
      }
    }
  }
  *index = low;
  return found;
}

int TStringList::add(const QString& text, QObject* object) {
  if (!sorted_) return TStrings::add(text, object);
  int index = 0;
  if (find(text, &index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) listError(QStringLiteral("String list does not allow duplicates"));
  }
  CheckListItems(qint64(items_.size()) + 1);
  items_.insert(items_.begin() + index, Item{text, object});
  changed();
  return index;
}

void TStringList::insert(int index, const QString& text, QObject* object) {
  if (sorted_) listError(QStringLiteral("Operation not allowed on sorted list"));
  TStrings::insert(index, text, object);
}

int TStringList::indexOf(const QString& text) const {
  if (!sorted_) return TStrings::indexOf(text);
  int index = 0;
  return find(text, &index) ? index : -1;
}

void TStringList::setText(const QString& text) {
  CheckListItems(lineCount(text));
  UpdateScope update(*this);
  clear();
  for (const QString& line : SplitSourceLines(text)) add(line);
}

}  // namespace valmoro::script
