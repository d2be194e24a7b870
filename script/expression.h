#pragma once
// Expressions: a binary tree of operator and operand nodes, built from the
// infix sequence of an "expr" element, typed when it is finished and
// evaluated over Variants.
//
// Priorities (smaller binds tighter): not and unary minus 1; * / div mod and
// shl shr 2; + - or xor 3; the comparisons, in and is 4. All binary
// operators are left-associative. "and" and "or" between two Boolean-typed
// operands evaluate the right side only when needed.

#include <QString>
#include <memory>
#include <vector>

#include "program_items.h"

namespace valmoro::script {

class TfsDesignator;
class TfsRoutineDesignator;
class TfsScript;

// A set constructor: single expressions and ranges (a nil entry stands
// between the two bounds of a range).
class TfsSetExpression : public TfsCustomVariable {
public:
  TfsSetExpression();
  ~TfsSetExpression() override;
  // A null entry marks a range between its neighbours.
  void Add(std::unique_ptr<TfsCustomVariable> entry);
  int EntryCount() const { return int(entries_.size()); }
  // Whether value equals one entry or lies within one range (first match).
  bool Contains(const Variant& value);
  // A Variant array: one element per entry, Null for each range marker.
  Variant GetValue() override;

private:
  std::vector<std::unique_ptr<TfsCustomVariable>> entries_;
};

class TfsExpressionNode : public TfsCustomVariable {
public:
  TfsExpressionNode();
  ~TfsExpressionNode() override;
  virtual int Priority() const = 0;
  // Operator code; 0 for operands.
  virtual int OpCode() const { return 0; }

  std::unique_ptr<TfsExpressionNode> Left;
  std::unique_ptr<TfsExpressionNode> Right;
  TfsExpressionNode* Parent = nullptr;
};

// A constant.
class TfsOperandNode : public TfsExpressionNode {
public:
  explicit TfsOperandNode(const Variant& value);
  int Priority() const override { return 0; }
  Variant GetValue() override { return Value; }
};

// A designator; reads a plain variable directly.
class TfsDesignatorNode : public TfsOperandNode {
public:
  explicit TfsDesignatorNode(std::unique_ptr<TfsDesignator> designator);
  ~TfsDesignatorNode() override;
  Variant GetValue() override;
  void SetValue(const Variant& value) override;
  TfsDesignator* Designator() const { return designator_.get(); }
  // The variable a one-link variable designator stands for, or none.
  TfsCustomVariable* Variable() const { return variable_; }

private:
  std::unique_ptr<TfsDesignator> designator_;
  TfsCustomVariable* variable_ = nullptr;
  TfsRoutineDesignator* routine_ = nullptr;
};

class TfsSetNode : public TfsOperandNode {
public:
  explicit TfsSetNode(std::unique_ptr<TfsSetExpression> set);
  ~TfsSetNode() override;
  Variant GetValue() override;
  TfsSetExpression* Set() const { return set_.get(); }

private:
  std::unique_ptr<TfsSetExpression> set_;
};

// Operator codes of the nodes.
enum TfsOperatorCode {
  opNone = 0,
  opGreat = 1,
  opLess = 2,
  opLessEq = 3,
  opGreatEq = 4,
  opNonEq = 5,
  opEq = 6,
  opPlus = 7,  // also strcat
  opMinus = 8,
  opOr = 9,
  opXor = 10,
  opMul = 11,
  opDivFloat = 12,
  opDivInt = 13,
  opMod = 14,
  opAnd = 15,
  opShl = 16,
  opShr = 17,
  opLeftBracket = 18,
  opRightBracket = 19,
  opNot = 20,
  opUnMinus = 21,
  opIn = 22,
  opIs = 23,
};

class TfsOperatorNode : public TfsExpressionNode {
public:
  TfsOperatorNode(int op, int priority);
  int Priority() const override { return priority_; }
  int OpCode() const override { return op_; }
  bool ShortCircuit = false;

  // Sets up the direct operand reads below once the tree is final.
  void PrepareOperands();

protected:
  // An operand's value, read in place when that is safe: a constant, or a
  // plain variable whose sibling cannot change it (a constant or another
  // variable); otherwise evaluated into tmp.
  const Variant& leftValue(Variant& tmp) const {
    if (leftConst_) return *leftConst_;
    if (leftVar_ && leftVar_->ReadsStoredValue()) return leftVar_->Value;
    tmp = Left->GetValue();
    return tmp;
  }
  const Variant& rightValue(Variant& tmp) const {
    if (rightConst_) return *rightConst_;
    if (rightVar_ && rightVar_->ReadsStoredValue()) return rightVar_->Value;
    tmp = Right->GetValue();
    return tmp;
  }

private:
  int op_;
  int priority_;
  const Variant* leftConst_ = nullptr;
  const Variant* rightConst_ = nullptr;
  TfsCustomVariable* leftVar_ = nullptr;
  TfsCustomVariable* rightVar_ = nullptr;
};

class TfsCustomExpression : public TfsCustomVariable {
public:
  TfsCustomExpression() : TfsCustomVariable(ItemKind::Expression, QString(), fvtVariant, QString()) {}
};

class TfsExpression : public TfsCustomExpression {
public:
  explicit TfsExpression(TfsScript* script);
  ~TfsExpression() override;

  // Building, in source order. op is the operator's text ("+", "div",
  // "unminus", "(", ...); an unknown text raises.
  void AddOperator(const QString& op, const QString& position);
  void AddConst(const Variant& value, const QString& position);
  void AddDesignator(std::unique_ptr<TfsDesignator> designator, const QString& position);
  void AddSet(std::unique_ptr<TfsSetExpression> set, const QString& position);
  // Finishes and types the tree: '' when well typed, else the position of
  // the first operator that is not.
  QString Finalize();

  Variant GetValue() override { return root_->GetValue(); }
  // The same without the virtual call, for statements and arguments.
  Variant Evaluate() { return root_->GetValue(); }
  // Writes through a lone designator that is not read-only; otherwise the
  // expression is read-only and nothing happens.
  void SetValue(const Variant& value) override;
  // The item a one-operand expression stands for: the variable of a
  // variable designator, the designator, or the constant node.
  TfsCustomVariable* SingleItem() const;
  // The root node of the finished tree.
  TfsExpressionNode* Root() const { return root_.get(); }
  // Hands the root over (a statement that keeps a lone operand).
  std::unique_ptr<TfsExpressionNode> TakeRoot();
  // The number of levels of the tree (counted without recursion).
  int Depth() const;
  // Deeper trees are refused when compiling: evaluating them would need a
  // machine stack that deep.
  static constexpr int MaxDepth = 1000;
  // The compound-assignment rewrite of "v := v op e": '' when the
  // expression stays as it is, else "+", "-", "*" or "/" with the
  // expression reduced to e.
  QString Optimize(TfsDesignator* target);

  TfsScript* Script() const { return script_; }
  // The expression's text in the source (macro arguments pass it).
  QString Source;

private:
  void addNode(std::unique_ptr<TfsExpressionNode> node);
  void addBinary(std::unique_ptr<TfsExpressionNode> node);
  void closeBracket();
  QString typeTree(TfsExpressionNode* node, QString* error);

  TfsScript* script_;
  std::unique_ptr<TfsExpressionNode> root_;
  TfsExpressionNode* current_ = nullptr;
};

// Whether a value of type source may be assigned to a target of type target
// (class names are checked against the classes registered in script).
bool TypesCompatible(const TfsTypeRec& target, const TfsTypeRec& source, const TfsScript* script);

}  // namespace valmoro::script
