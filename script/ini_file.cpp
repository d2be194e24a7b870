#include "ini_file.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <algorithm>

#include "memory_limits.h"
#include "platform/file_errors.h"
#include "run_error.h"
#include "script.h"

namespace valmoro::script {

TCustomIniFile::TCustomIniFile(const QString& fileName, QObject* parent) : QObject(parent), fileName_(fileName) {
  load();
}

void TCustomIniFile::load() {
  if (fileName_.isEmpty() || !QFile::exists(fileName_)) return;
  setText(ReadSourceFile(fileName_));
}

void TCustomIniFile::setText(const QString& text) {
  preamble_.clear();
  sections_.clear();
  for (const QString& raw : SplitSourceLines(text)) {
    const QString line = raw.trimmed();
    if (line.isEmpty()) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      sections_.push_back({line.mid(1, line.size() - 2).trimmed(), {}});
      continue;
    }
    Line entry;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    // A comment never holds a key, even with "=" in it.
    if (eq > 0 && !line.startsWith(QLatin1Char(';')) && !line.startsWith(QLatin1Char('#'))) {
      entry.key = line.left(eq).trimmed();
      entry.value = line.mid(eq + 1).trimmed();
    } else {
      entry.raw = line;
    }
    (sections_.empty() ? preamble_ : sections_.back().lines).push_back(entry);
  }
}

void TCustomIniFile::replaceText(const QString& text) {
  setText(text);
  changed();
}

namespace {

bool needsQuotes(const QString& line) {
  if (line.isEmpty()) return false;
  if (line.front().isSpace() || line.back().isSpace() || line.front() == QLatin1Char('"')) return true;
  return std::any_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString quoteLine(const QString& line) {
  QString out = QStringLiteral("\"");
  for (const QChar c : line) {
    switch (c.unicode()) {
      case '\\':
        out += QStringLiteral("\\\\");
        break;
      case '"':
        out += QStringLiteral("\\\"");
        break;
      case '\r':
        out += QStringLiteral("\\r");
        break;
      case '\n':
        out += QStringLiteral("\\n");
        break;
      case '\t':
        out += QStringLiteral("\\t");
        break;
      default:
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
          out += QStringLiteral("\\x") + QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
          out += c;
    }
  }
  return out + QLatin1Char('"');
}

// A quoted value loses its quotes and escapes; anything else is as written
// (an escape that is not one stays as it stands).
QString unquoteLine(const QString& value) {
  if (value.size() < 2 || value.front() != QLatin1Char('"') || value.back() != QLatin1Char('"')) return value;
  const QString body = value.mid(1, value.size() - 2);
  QString out;
  for (qsizetype i = 0; i < body.size(); ++i) {
    const QChar c = body[i];
    if (c != QLatin1Char('\\') || i + 1 >= body.size()) {
      out += c;
      continue;
    }
    const QChar e = body[i + 1];
    if (e == QLatin1Char('\\') || e == QLatin1Char('"')) {
      out += e;
      ++i;
    } else if (e == QLatin1Char('r')) {
      out += QLatin1Char('\r');
      ++i;
    } else if (e == QLatin1Char('n')) {
      out += QLatin1Char('\n');
      ++i;
    } else if (e == QLatin1Char('t')) {
      out += QLatin1Char('\t');
      ++i;
    } else if (e == QLatin1Char('x') && i + 3 < body.size()) {
      bool ok = false;
      const int code = body.mid(i + 2, 2).toInt(&ok, 16);
      if (ok) {
        out += QChar(code);
        i += 3;
      } else {
        out += c;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

QStringList TCustomIniFile::readStrings(const QString& section) const {
  QStringList out;
  const Section* s = find(section);
  if (!s) return out;
  bool ok = false;
  const int count = value(section, QStringLiteral("Count")).value_or(QString()).trimmed().toInt(&ok);
  if (ok && count >= 0) {
    // The ItemN values in one pass. Lines past the last ItemN the section
    // holds are not read: a damaged Count (two billion) must not build
    // that many empty lines.
    QHash<int, QString> items;
    int last = 0;
    for (const Line& l : s->lines) {
      if (!l.key.startsWith(QLatin1String("Item"), Qt::CaseInsensitive)) continue;
      bool number = false;
      const int n = QStringView(l.key).mid(4).toInt(&number);
      if (!number || n < 1 || n > count || l.key.mid(4) != QString::number(n) || items.contains(n)) continue;
      items.insert(n, l.value);
      last = std::max(last, n);
    }
    for (int i = 1; i <= last; ++i) out << unquoteLine(items.value(i));
    return out;
  }
  for (const Line& l : s->lines)
    if (!l.key.isEmpty()) out << unquoteLine(l.value);
  return out;
}

void TCustomIniFile::writeStrings(const QString& section, const QStringList& lines) {
  Section* s = find(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  s->lines.clear();
  s->lines.push_back({QStringLiteral("Count"), QString::number(lines.size()), QString()});
  for (qsizetype i = 0; i < lines.size(); ++i)
    s->lines.push_back({QStringLiteral("Item%1").arg(i + 1), needsQuotes(lines[i]) ? quoteLine(lines[i]) : lines[i], QString()});
  // One change for the whole list: TIniFile writes the file once.
  changed();
}

QString TCustomIniFile::text() const {
  // Values that each fit in a string may not fit together: counted before
  // anything is built.
  qint64 length = 0;
  const auto count = [&length](const std::vector<Line>& lines) {
    for (const Line& l : lines) {
      length += (l.key.isEmpty() ? l.raw.size() : l.key.size() + 1 + l.value.size()) + 2;
      CheckStringLength(length);
    }
  };
  count(preamble_);
  for (const Section& s : sections_) {
    length += s.name.size() + 6;  // the brackets, and the empty line after it
    count(s.lines);
  }
  CheckStringLength(length);
  QStringList out;
  auto put = [&out](const std::vector<Line>& lines) {
    for (const Line& l : lines) out << (l.key.isEmpty() ? l.raw : l.key + QLatin1Char('=') + l.value);
  };
  put(preamble_);
  for (const Section& s : sections_) {
    out << QLatin1Char('[') + s.name + QLatin1Char(']');
    put(s.lines);
    out << QString();
  }
  return JoinSourceLines(out);
}

void TCustomIniFile::updateFile() {
  QSaveFile file(fileName_);
  if (!file.open(QIODevice::WriteOnly) || file.write(text().toUtf8()) < 0 || !files::commitFile(file))
    throw RunError(QStringLiteral("EIniFileException"), QStringLiteral("Unable to write to %1").arg(fileName_));
}

TCustomIniFile::Section* TCustomIniFile::find(const QString& section) {
  for (Section& s : sections_)
    if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
  return nullptr;
}

const TCustomIniFile::Section* TCustomIniFile::find(const QString& section) const {
  return const_cast<TCustomIniFile*>(this)->find(section);
}

std::optional<QString> TCustomIniFile::value(const QString& section, const QString& key) const {
  if (const Section* s = find(section))
    for (const Line& l : s->lines)
      if (!l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0) return l.value;
  return std::nullopt;
}

void TCustomIniFile::setValue(const QString& section, const QString& key, const QString& value) {
  Section* s = find(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  bool found = false;
  for (Line& l : s->lines)
    if (!l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0) {
      l.value = value;
      found = true;
      break;
    }
  if (!found) s->lines.push_back({key, value, QString()});
  changed();
}

bool TCustomIniFile::sectionExists(const QString& section) const { return find(section) != nullptr; }

bool TCustomIniFile::valueExists(const QString& section, const QString& key) const {
  return value(section, key).has_value();
}

void TCustomIniFile::deleteKey(const QString& section, const QString& key) {
  Section* s = find(section);
  if (!s) return;
  std::erase_if(s->lines, [&](const Line& l) { return !l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0; });
  changed();
}

void TCustomIniFile::eraseSection(const QString& section) {
  std::erase_if(sections_, [&](const Section& s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; });
  changed();
}

void TCustomIniFile::clear() {
  preamble_.clear();
  sections_.clear();
  changed();
}

QStringList TCustomIniFile::sectionNames() const {
  QStringList out;
  for (const Section& s : sections_) out << s.name;
  return out;
}

QStringList TCustomIniFile::keys(const QString& section) const {
  QStringList out;
  if (const Section* s = find(section))
    for (const Line& l : s->lines)
      if (!l.key.isEmpty()) out << l.key;
  return out;
}

}  // namespace valmoro::script
