#pragma once
// The report's expression cache: every expression text is wrapped into a
// small function of the script language, compiled once as a child of the
// report's script and called on each evaluation. Internal to the report.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "script/variant.h"

namespace valmoro::script {
class TfsScript;
class TfsProcVariable;
}  // namespace valmoro::script

namespace valmoro::report {

class TfrxReport;

// A resource text with its "%s" / "%d" markers replaced by the arguments in order.
QString formatReportResource(QStringView name, const QStringList& args);

// How a name used in an expression is to be looked up; worked out once per
// text, since the same names come back for every row.
struct TfrxNameInfo {
  enum Kind : std::uint8_t { Plain, Field, System };
  Kind kind = Plain;
  int system = -1;          // index into the system variables
  bool identifier = false;  // could name a script variable
  QString dataSet;          // Field: the data set's user name
  QString field;            // Field: the field name
};

class TfrxNameCache {
public:
  const TfrxNameInfo& info(const QString& name) {
    const auto it = cache_.constFind(name);
    if (it != cache_.constEnd()) return *it;
    // Names come from expressions and documents: keep the cache bounded.
    if (cache_.size() > 20000) cache_.clear();
    return *cache_.insert(name, parse(name));
  }
  // Names of report variables being evaluated now (a variable whose text
  // leads back to itself would recurse without end).
  QStringList evaluating;

private:
  static TfrxNameInfo parse(const QString& name) {
    static const char* const kSystem[] = {"Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#",
                                          "Line", "Line#", "CopyName#"};
    TfrxNameInfo info;
    for (int i = 0; i < int(std::size(kSystem)); ++i) {
      if (name.compare(QLatin1String(kSystem[i]), Qt::CaseInsensitive) == 0) {
        info.kind = TfrxNameInfo::System;
        info.system = i;
        return info;
      }
    }
    // DataSet."Field": both parts without quotes of their own, so that an
    // expression such as A."x" + B."y" is not taken for one field.
    const qsizetype dot = name.indexOf(QLatin1String(".\""));
    if (dot > 0 && name.size() >= dot + 3 && name.endsWith(QLatin1Char('"'))) {
      const QString dataSet = name.left(dot);
      const QString field = name.mid(dot + 2, name.size() - dot - 3);
      if (!dataSet.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('"'))) {
        info.kind = TfrxNameInfo::Field;
        info.dataSet = dataSet;
        info.field = field;
        return info;
      }
    }
    info.identifier = !name.isEmpty() && (name[0].isLetter() || name[0] == QLatin1Char('_'));
    for (QChar c : name)
      if (!(c.isLetterOrNumber() || c == QLatin1Char('_'))) info.identifier = false;
    return info;
  }
  QHash<QString, TfrxNameInfo> cache_;
};

class TfrxExpressionCache {
public:
  explicit TfrxExpressionCache(script::TfsScript& parent) : parent_(parent) {}
  ~TfrxExpressionCache();

  void Clear();
  // A change of language empties the cache.
  void SetLanguage(const QString& language);
  const QString& Language() const { return language_; }
  int Count() const { return int(entries_.size()); }

  // The key under which an expression is cached: texts that the language
  // treats as the same program share it. PascalScript and BasicScript ignore
  // letter case except inside string literals and bracketed references; the
  // other languages compare exactly.
  static QString KeyOf(const QString& language, const QString& expression);

  // Evaluates; a failure gives Null and its message in errorText (a compile
  // error as "clExprError '<expr>': <message>"). divisionByZero tells a
  // division-by-zero failure apart.
  script::Variant Evaluate(const QString& expression, QString& errorText, bool& divisionByZero);
  // Compiles without running: the compile error as Evaluate would give it,
  // empty when the expression compiles.
  QString CompileError(const QString& expression) { return find(expression)->compileError; }

private:
  struct Entry {
    std::unique_ptr<script::TfsScript> script;
    script::TfsProcVariable* function = nullptr;
    QString compileError;
  };
  Entry* find(const QString& expression);
  Entry* compile(const QString& expression);

  script::TfsScript& parent_;
  QString language_ = QStringLiteral("PascalScript");
  std::vector<std::unique_ptr<Entry>> entries_;
  QHash<QString, Entry*> byKey_;
  // Exact texts seen, so that a repeated text costs one look-up.
  QHash<QString, Entry*> byText_;
};

}  // namespace valmoro::report
