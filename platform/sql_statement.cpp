// Statement preparation: the database engine the program was written for read
// "#…#" date literals and converted texts to dates and numbers on storing.
// Here the statement is scanned once, the date literals become bound values
// and every bound value that meets a column is converted for that column, so
// a text that cannot become a number never reaches the table.

#include <QRegularExpression>

#include "platform/database.h"
#include "platform/field_error.h"
#include "platform/locale.h"

namespace valmoro::db {
namespace {

enum class Tok { Ident, Param, String, DateLit, Number, Op, Punct };

struct Token {
  Tok kind;
  int begin;  // position in the statement text
  int end;
  QString text;  // identifier without quotes, parameter with its colon, literal body
};

bool isIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

QList<Token> tokenize(const QString& sql) {
  QList<Token> out;
  const int n = int(sql.size());
  int i = 0;
  while (i < n) {
    const QChar c = sql[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    const int start = i;
    if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
      while (i < n && sql[i] != QLatin1Char('\n')) ++i;
      continue;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[') ||
        c == QLatin1Char('`')) {
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      QString body;
      ++i;
      while (i < n) {
        if (sql[i] == close) {
          if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
            body += close;
            i += 2;
            continue;
          }
          break;
        }
        body += sql[i++];
      }
      if (i >= n) throw DbError(QStringLiteral("Niezamknięty cudzysłów w poleceniu SQL."));
      ++i;
      out.append({c == QLatin1Char('\'') ? Tok::String : Tok::Ident, start, i, body});
      continue;
    }
    if (c == QLatin1Char('#')) {
      const int close = int(sql.indexOf(QLatin1Char('#'), i + 1));
      if (close < 0) throw DbError(QStringLiteral("Niezamknięty literał daty w poleceniu SQL."));
      out.append({Tok::DateLit, start, close + 1, sql.mid(i + 1, close - i - 1)});
      i = close + 1;
      continue;
    }
    if (c == QLatin1Char(':') && i + 1 < n && isIdentStart(sql[i + 1])) {
      ++i;
      while (i < n && isIdentChar(sql[i])) ++i;
      out.append({Tok::Param, start, i, sql.mid(start, i - start)});
      continue;
    }
    if (isIdentStart(c)) {
      while (i < n && isIdentChar(sql[i])) ++i;
      out.append({Tok::Ident, start, i, sql.mid(start, i - start)});
      continue;
    }
    if (c.isDigit()) {
      while (i < n && (sql[i].isDigit() || sql[i] == QLatin1Char('.'))) ++i;
      out.append({Tok::Number, start, i, sql.mid(start, i - start)});
      continue;
    }
    if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=') ||
        c == QLatin1Char('!')) {
      ++i;
      if (i < n && (sql[i] == QLatin1Char('=') || (c == QLatin1Char('<') && sql[i] == QLatin1Char('>'))))
        ++i;
      out.append({Tok::Op, start, i, sql.mid(start, i - start)});
      continue;
    }
    ++i;
    out.append({Tok::Punct, start, i, QString(c)});
  }
  return out;
}

bool isKeyword(const Token& t, const char* word) {
  return t.kind == Tok::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Where a value meets a column: the column's name and whether the value is
// stored into it (INSERT, SET) or compared with it (WHERE).
struct Target {
  QString column;
  bool storing = false;
};

QString quoted(const QString& text) { return QStringLiteral("„%1”").arg(text); }

int codePoints(const QString& text) {
  int count = 0;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    ++count;
  }
  return count;
}

QVariant convertFor(SqlBackend& backend, const ColumnInfo& col, const QVariant& value, bool storing) {
  if (!value.isValid() || value.isNull()) return value;
  const int typeId = value.metaType().id();
  // Refusals name the column; a window may name it by its own label instead.
  auto refuse = [&](const QString& problem) { return FieldError(col.name, problem); };
  switch (col.type) {
    case FieldType::DateTime: {
      if (typeId == QMetaType::QDateTime) return backend.storeDateTime(value.toDateTime());
      if (typeId == QMetaType::QDate) return backend.storeDateTime(value.toDate().startOfDay());
      const QString text = value.toString().trimmed();
      if (text.isEmpty()) throw refuse(QStringLiteral("należy podać datę i godzinę."));
      const auto parsed = locale::parseDateTime(text);
      if (!parsed)
        throw refuse(QStringLiteral("tekst %1 nie jest poprawną datą i godziną (oczekiwano %2).")
                         .arg(quoted(text), QStringLiteral("rrrr-mm-dd gg:mm:ss")));
      return backend.storeDateTime(*parsed);
    }
    case FieldType::Float: {
      if (typeId == QMetaType::Double || typeId == QMetaType::Int || typeId == QMetaType::LongLong)
        return value.toDouble();
      const QString text = value.toString().trimmed();
      if (text.isEmpty()) throw refuse(QStringLiteral("należy podać liczbę."));
      const auto parsed = locale::parseFloat(text);
      if (!parsed) throw refuse(QStringLiteral("tekst %1 nie jest liczbą.").arg(quoted(text)));
      return *parsed;
    }
    case FieldType::AutoInc:
    case FieldType::Integer: {
      if (typeId == QMetaType::Int || typeId == QMetaType::LongLong) return value;
      const QString text = value.toString().trimmed();
      bool ok = false;
      const qint64 v = text.toLongLong(&ok);
      if (!ok) {
        if (text.isEmpty()) throw refuse(QStringLiteral("należy podać liczbę całkowitą."));
        throw refuse(QStringLiteral("tekst %1 nie jest liczbą całkowitą.").arg(quoted(text)));
      }
      return v;
    }
    case FieldType::Text: {
      const QString text = value.toString();
      if (storing && col.size > 0 && codePoints(text) > col.size)
        throw refuse(QStringLiteral("tekst jest za długi (%1 znaków, dozwolone najwyżej %2).")
                         .arg(codePoints(text))
                         .arg(col.size));
      return text;
    }
    default:
      return value;
  }
}

QDateTime parseDateLiteral(const QString& body) {
  const auto parsed = locale::parseDateTime(body.trimmed());
  if (!parsed) throw DbError(QStringLiteral("Niepoprawna data w poleceniu SQL: #%1#").arg(body));
  return *parsed;
}

// Maps the index of every value token (parameter or date literal) to the
// column it meets.
QHash<int, Target> findTargets(const QList<Token>& t, QString* table) {
  QHash<int, Target> targets;
  if (t.isEmpty()) return targets;
  const int n = int(t.size());
  auto isValue = [&](int k) { return k >= 0 && k < n && (t[k].kind == Tok::Param || t[k].kind == Tok::DateLit); };

  int whereAt = n;
  for (int k = 0; k < n; ++k)
    if (isKeyword(t[k], "where")) {
      whereAt = k;
      break;
    }

  if (isKeyword(t[0], "insert") && n > 2 && isKeyword(t[1], "into")) {
    *table = t[2].text;
    // INSERT INTO t (c1, c2, …) VALUES (v1, v2, …)
    QStringList columns;
    int k = 3;
    if (k < n && t[k].text == QLatin1String("(")) {
      for (++k; k < n && t[k].text != QLatin1String(")"); ++k)
        if (t[k].kind == Tok::Ident) columns.append(t[k].text);
    }
    while (k < n && !isKeyword(t[k], "values")) ++k;
    if (++k < n && t[k].text == QLatin1String("(")) {
      int item = 0, depth = 0;
      bool single = true;
      int valueToken = -1;
      for (++k; k < n; ++k) {
        const QString& s = t[k].text;
        if (t[k].kind == Tok::Punct && s == QLatin1String("(")) ++depth;
        if (t[k].kind == Tok::Punct && s == QLatin1String(")") && depth-- == 0) {
          if (single && valueToken >= 0 && item < columns.size()) targets.insert(valueToken, {columns[item], true});
          break;
        }
        if (t[k].kind == Tok::Punct && s == QLatin1String(",") && depth == 0) {
          if (single && valueToken >= 0 && item < columns.size()) targets.insert(valueToken, {columns[item], true});
          ++item;
          single = true;
          valueToken = -1;
          continue;
        }
        if (isValue(k) && valueToken < 0) valueToken = k;
        else single = false;
      }
    }
    return targets;
  }

  if (isKeyword(t[0], "update") && n > 1) *table = t[1].text;
  for (int k = 0; k + 1 < n; ++k)
    if (isKeyword(t[k], "from") && t[k + 1].kind == Tok::Ident) {
      *table = t[k + 1].text;
      break;
    }

  const bool updating = isKeyword(t[0], "update");
  for (int k = 0; k < n; ++k) {
    if (!isValue(k)) continue;
    const bool storing = updating && k < whereAt;
    if (k >= 2 && t[k - 1].kind == Tok::Op && t[k - 2].kind == Tok::Ident)
      targets.insert(k, {t[k - 2].text, storing});
    else if (k + 2 < n && t[k + 1].kind == Tok::Op && t[k + 2].kind == Tok::Ident)
      targets.insert(k, {t[k + 2].text, storing});
  }
  return targets;
}

}  // namespace

QString statementTable(const QString& sql) {
  QString table;
  findTargets(tokenize(sql), &table);
  if (table.isEmpty()) {
    const QList<Token> t = tokenize(sql);
    for (int k = 0; k + 1 < t.size(); ++k)
      if (isKeyword(t[k], "from") && t[k + 1].kind == Tok::Ident) return t[k + 1].text;
  }
  return table;
}

PreparedStatement prepareStatement(Connection& connection, const QString& sql,
                                   const QList<QPair<QString, QVariant>>& bindings) {
  const QList<Token> tokens = tokenize(sql);
  QString table;
  const QHash<int, Target> targets = findTargets(tokens, &table);
  const QList<ColumnInfo> columns =
      table.isEmpty() || targets.isEmpty() ? QList<ColumnInfo>() : connection.tableColumns(table);
  auto columnFor = [&](int tokenIndex) -> const ColumnInfo* {
    auto it = targets.constFind(tokenIndex);
    if (it == targets.constEnd()) return nullptr;
    for (const ColumnInfo& c : columns)
      if (c.name.compare(it->column, Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
  };
  auto storingAt = [&](int tokenIndex) { return targets.value(tokenIndex).storing; };

  SqlBackend& backend = connection.backend();
  PreparedStatement out;
  int copied = 0;
  int literals = 0;
  QHash<QString, QVariant> converted;  // parameter → value for its column
  for (int k = 0; k < tokens.size(); ++k) {
    const Token& tok = tokens[k];
    if (tok.kind == Tok::DateLit) {
      const QString name = QStringLiteral(":vm_date%1").arg(literals++);
      out.sql += QStringView(sql).mid(copied, tok.begin - copied);
      out.sql += name;
      copied = tok.end;
      out.bindings.append({name, backend.storeDateTime(parseDateLiteral(tok.text))});
      continue;
    }
    if (tok.kind == Tok::Param) {
      QVariant value;
      bool found = false;
      for (const auto& b : bindings)
        if (b.first.compare(tok.text, Qt::CaseInsensitive) == 0) {
          value = b.second;
          found = true;
        }
      if (!found) throw DbError(QStringLiteral("Brak wartości parametru %1.").arg(tok.text));
      if (const ColumnInfo* col = columnFor(k)) value = convertFor(backend, *col, value, storingAt(k));
      else if (value.metaType().id() == QMetaType::QDateTime) value = backend.storeDateTime(value.toDateTime());
      converted.insert(tok.text, value);
    }
  }
  out.sql += QStringView(sql).mid(copied);
  for (auto it = converted.cbegin(); it != converted.cend(); ++it) out.bindings.append({it.key(), it.value()});
  return out;
}

}  // namespace valmoro::db
