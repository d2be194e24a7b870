#pragma once
// The named items of a script's symbol table: variables, constants, types,
// formal parameters and script routines, and the helpers that reach into
// strings and arrays. Every item is a TfsCustomVariable with a type code and
// a value; reading and writing go through GetValue and SetValue.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "variant.h"

namespace valmoro::script {

class TfsScript;
class TfsParamItem;
class TfsClassVariable;

enum TfsVarType : std::uint8_t {
  fvtInt = 0,
  fvtBool = 1,
  fvtFloat = 2,
  fvtChar = 3,
  fvtString = 4,
  fvtClass = 5,
  fvtArray = 6,
  fvtVariant = 7,
  fvtEnum = 8,
  fvtConstructor = 9,
};

struct TfsTypeRec {
  TfsVarType Typ = fvtVariant;
  QString TypeName;
};

// The name a type shows in messages: "Integer", "Extended", ... and for a
// class or enumeration its own type name.
QString TypeDisplayName(TfsVarType typ, const QString& typeName);

// Asked each time a variable is read; a Null answer keeps the stored value.
using TfsGetVariableValueEvent =
    std::function<Variant(const QString& VarName, TfsVarType VarTyp, const Variant& OldValue)>;

// Base of everything a script owns in lists: items and statements.
class TfsItemList {
public:
  TfsItemList() = default;
  virtual ~TfsItemList() = default;
  TfsItemList(const TfsItemList&) = delete;
  TfsItemList& operator=(const TfsItemList&) = delete;
  virtual void Clear() {}
};

class TfsCustomVariable : public TfsItemList {
public:
  // What an item is, so that the hot paths need no dynamic_cast.
  enum class ItemKind : std::uint8_t {
    Other,
    Variable,        // TfsVariable
    StringVariable,  // TfsStringVariable
    Param,           // TfsParamItem
    Type,            // TfsTypeVariable
    Proc,            // TfsProcVariable
    Helper,          // TfsCustomHelper and descendants
    Class,           // TfsClassVariable
    Designator,      // TfsDesignator and its fast forms
    Expression,      // TfsCustomExpression, expression nodes
  };

  TfsCustomVariable(ItemKind kind, const QString& name, TfsVarType typ, const QString& typeName);
  ~TfsCustomVariable() override;

  virtual void SetValue(const Variant& value);
  virtual Variant GetValue();

  ItemKind Kind() const { return kind_; }
  const QString& Name() const { return name_; }
  const QString& UpperName() const { return upperName_; }
  void SetName(const QString& name);

  TfsVarType Typ;
  QString TypeName;
  Variant Value = Variant::Null();
  bool IsReadOnly = false;
  bool IsMacro = false;
  bool NeedResult = true;
  // Meaning depends on the item: a routine's "Result", an array's helper.
  TfsCustomVariable* RefItem = nullptr;
  QString SourcePos;
  QString SourceUnit;
  const void* AddedBy = nullptr;
  TfsGetVariableValueEvent OnGetVarValue;

  // Formal parameters, in order. The item owns those it was given with
  // AddParam(std::unique_ptr).
  int Count() const { return int(params_.size()); }
  TfsParamItem* Params(int index) const { return params_[size_t(index)]; }
  void AddParam(std::unique_ptr<TfsParamItem> param);
  // Parameters without a default value.
  int RequiredCount() const;

  // Whether the stored value is what reading gives (no handler to ask).
  bool ReadsStoredValue() const {
    return (kind_ == ItemKind::Variable || kind_ == ItemKind::StringVariable || kind_ == ItemKind::Param) &&
           !OnGetVarValue;
  }

protected:
  ItemKind kind_;

private:
  QString name_;
  QString upperName_;
  std::vector<TfsParamItem*> params_;
  std::vector<std::unique_ptr<TfsParamItem>> ownedParams_;
};

// Whether writing value into item would store it unchanged (a plain
// variable whose type takes the value as it is): the hot paths then store
// directly instead of calling SetValue.
inline bool StoresUnchanged(const TfsCustomVariable* item, const Variant& value) {
  if (item->IsReadOnly) return false;
  switch (item->Kind()) {
    case TfsCustomVariable::ItemKind::Param:
      return true;
    case TfsCustomVariable::ItemKind::Variable:
      switch (item->Typ) {
        case fvtInt:
          return value.Kind() == VarKind::Integer;
        case fvtFloat:
          return value.Kind() == VarKind::Double;
        case fvtBool:
          return value.Kind() == VarKind::Boolean;
        case fvtString:
          return false;
        default:
          return true;
      }
    case TfsCustomVariable::ItemKind::StringVariable:
      return value.IsString();
    default:
      return false;
  }
}

// A script or host variable or constant. Writing converts to the type.
class TfsVariable : public TfsCustomVariable {
public:
  TfsVariable(const QString& name, TfsVarType typ, const QString& typeName);
  void SetValue(const Variant& value) override;
  Variant GetValue() override;

protected:
  TfsVariable(ItemKind kind, const QString& name, TfsVarType typ, const QString& typeName)
      : TfsCustomVariable(kind, name, typ, typeName) {}
};

// A Char or String variable declared in a script: keeps the full text.
class TfsStringVariable : public TfsVariable {
public:
  TfsStringVariable(const QString& name, TfsVarType typ, const QString& typeName);
  void SetValue(const Variant& value) override;
  Variant GetValue() override;
};

// A registered type name with its code.
class TfsTypeVariable : public TfsCustomVariable {
public:
  TfsTypeVariable(const QString& name, TfsVarType typ, const QString& typeName);
};

// A formal parameter; during a call it is a plain variable of the routine's
// script.
class TfsParamItem : public TfsCustomVariable {
public:
  TfsParamItem(const QString& name, TfsVarType typ, const QString& typeName, bool isOptional, bool isVarParam);
  bool IsOptional;
  bool IsVarParam;
  Variant DefValue = Variant::Null();
};

// A script routine. Reading it runs it (with the arguments already placed in
// its parameters) and gives "Result" of a function, Null for a procedure.
class TfsProcVariable : public TfsCustomVariable {
public:
  TfsProcVariable(const QString& name, TfsVarType typ, const QString& typeName, TfsScript* parent, bool isFunc);
  ~TfsProcVariable() override;

  bool IsFunc;
  bool Executing = false;
  // Whether a parameter is passed by reference.
  bool HasVarParams() const;
  TfsScript* Prog() const { return prog_.get(); }
  Variant GetValue() override;

  // Around a recursive call: the values of the routine's variables and
  // parameters are put aside and come back afterwards.
  void SaveLocals();
  void RestoreLocals();

private:
  std::unique_ptr<TfsScript> prog_;
  // The main script above, once one has run (a script stays a main script).
  TfsScript* main_ = nullptr;
  // Values put aside, one set per pending recursive call; kept between
  // calls so that recursion allocates nothing once it has grown.
  std::vector<Variant> saved_;
};

// Members that act on a parent object or value: set before each use.
class TfsCustomHelper : public TfsCustomVariable {
public:
  TfsCustomHelper(const QString& name, TfsVarType typ, const QString& typeName);
  TfsCustomVariable* ParentRef = nullptr;
  Variant ParentValue;
  TfsClassVariable* ClassItem = nullptr;  // the class it belongs to; none for global ones
  TfsScript* Prog = nullptr;              // the script that uses it

protected:
  // Writes a changed parent value back where it came from.
  void writeParent(const Variant& value);
};

// Element access of a Variant array: one integer parameter per dimension.
// The array helper of a declared array carries the element type; the
// general "__ArrayHelper" has three parameters, the last two optional.
class TfsArrayHelper : public TfsCustomHelper {
public:
  TfsArrayHelper(const QString& name, int dimCount, TfsVarType elementTyp, const QString& elementTypeName);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

private:
  int indexes(int* out) const;
};

// Character access of a string: one integer parameter, 1-based.
class TfsStringHelper : public TfsCustomHelper {
public:
  TfsStringHelper();
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

}  // namespace valmoro::script
