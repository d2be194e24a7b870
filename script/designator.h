#pragma once
// Designators: compiled name chains such as Obj.Items[2].Name or F(1, x).
// Each link refers to an item (variable, routine, helper, class member) and
// holds that item's argument expressions. Reading walks the links, passing
// each value on to the next link; writing stores into the last one.
//
// Fast forms skip the walk: one plain variable, a character of a string
// variable, an element of an array variable.

#include <QString>
#include <memory>
#include <vector>

#include "program_items.h"

namespace valmoro::script {

class TfsExpression;
class TfsScript;
class TfsCustomHelper;

class TfsDesignatorItem : public TfsItemList {
public:
  TfsDesignatorItem();
  ~TfsDesignatorItem() override;

  TfsCustomVariable* Ref = nullptr;
  std::vector<std::unique_ptr<TfsExpression>> Args;
  // A default-property or index access ("[").
  bool Flag = false;
  QString SourcePos;
  // An item made for this link alone (a routine's name as a string, a
  // component found in an object); owned here.
  std::unique_ptr<TfsCustomVariable> OwnedRef;
  // Resolved at run time by the value it acts on (the value's type was not
  // known when compiling): a member of an object's class, a member of an
  // automation object, a character of a string or an element of an array.
  bool Dynamic = false;
  QString MemberName;  // the name, or "[" for an index
};

class TfsDesignator : public TfsCustomVariable {
public:
  explicit TfsDesignator(TfsScript* script);
  ~TfsDesignator() override;

  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  TfsScript* Script() const { return script_; }
  std::vector<std::unique_ptr<TfsDesignatorItem>> Items;

  // Whether some links are resolved only at run time.
  bool IsLateBound() const;

protected:
  Variant calc(const Variant* newValue);
  // Resolves and runs one run-time link; an indexed property also takes the
  // "[" link after it. Returns how many links it used.
  size_t dynamicLink(TfsDesignatorItem* link, TfsDesignatorItem* indexLink, Variant& current,
                     TfsCustomVariable*& previous, const Variant* newValue, std::vector<TfsCustomHelper*>& used);

  TfsScript* script_;
};

// One link to a plain variable.
class TfsVariableDesignator : public TfsDesignator {
public:
  TfsVariableDesignator(TfsScript* script, TfsCustomVariable* variable);
  Variant GetValue() override { return variable_->GetValue(); }
  void SetValue(const Variant& value) override { variable_->SetValue(value); }
  TfsCustomVariable* Variable() const { return variable_; }

private:
  TfsCustomVariable* variable_;
};

// One link to a script routine: a call with its arguments.
class TfsRoutineDesignator final : public TfsDesignator {
public:
  explicit TfsRoutineDesignator(TfsScript* script) : TfsDesignator(script) {}
  Variant GetValue() override { return Call(); }
  // The call itself, for callers that know the class.
  Variant Call();

private:
  std::int8_t varParams_ = -1;  // whether the routine has by-reference parameters; -1 not yet known
};

// A character of a string variable: s[i].
class TfsStringDesignator : public TfsDesignator {
public:
  explicit TfsStringDesignator(TfsScript* script) : TfsDesignator(script) {}
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
};

// An element of an array variable: a[i, j].
class TfsArrayDesignator : public TfsDesignator {
public:
  explicit TfsArrayDesignator(TfsScript* script) : TfsDesignator(script) {}
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

private:
  int indexes(int* out);
};

}  // namespace valmoro::script
