#pragma once
// The report classes as scripts see them: the binding module that registers
// the report's constants, enumerations and sets, its classes with their
// published properties and extra members, the global variables object and
// the report functions of the designer's function list.
//
// Every report class of the tree is registered (so that a script can write
// TfrxMemoView.Create(Page1)), and so are the value objects reached through
// published properties (Memo1.Font.Size, Memo1.Frame.Typ). Members that need
// the band engine, the prepared pages' outline or dialog windows go through
// the hooks of script_hooks.h.

#include <QObject>
#include <QString>
#include <utility>
#include <vector>

#include "script/string_list.h"
#include "script/variant.h"

namespace valmoro::report {

// TWideStrings: a string list (every script string is Unicode here).
class TWideStrings : public script::TStrings {
  Q_OBJECT
public:
  Q_INVOKABLE explicit TWideStrings(QObject* parent = nullptr) : script::TStrings(parent) {}
};

// TfrxArray: values stored under keys of any kind, Variables[Key]. Keys
// match when they are equal as script values ('1' and 1 do not).
class TfrxArray : public QObject {
  Q_OBJECT
public:
  Q_INVOKABLE explicit TfrxArray(QObject* parent = nullptr) : QObject(parent) {}

  int Count() const { return int(items_.size()); }
  // Null when the key is absent.
  script::Variant Get(const script::Variant& key) const;
  void Set(const script::Variant& key, const script::Variant& value);
  void Clear() { items_.clear(); }

private:
  int indexOf(const script::Variant& key) const;
  std::vector<std::pair<script::Variant, script::Variant>> items_;
};

// Adds the report classes module to the modules of every script's runtime
// library, after the platform binding modules it builds on (once for the
// process; calling again changes nothing).
void RegisterReportClassesModule();

// The caption the function list shows for a category id ("ctString" gives
// "Tekstowe"), from the report's texts.
QString FunctionCategoryCaption(const QString& category);

}  // namespace valmoro::report
