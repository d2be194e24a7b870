#include "expression.h"

#include <typeinfo>

#include "designator.h"
#include "host_classes.h"
#include "run_error.h"
#include "script.h"

namespace valmoro::script {

// ---- Sets -------------------------------------------------------------------------

TfsSetExpression::TfsSetExpression() : TfsCustomVariable(ItemKind::Expression, QString(), fvtVariant, QString()) {}
TfsSetExpression::~TfsSetExpression() = default;

void TfsSetExpression::Add(std::unique_ptr<TfsCustomVariable> entry) { entries_.push_back(std::move(entry)); }

bool TfsSetExpression::Contains(const Variant& value) {
  const size_t n = entries_.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + 2 < n && !entries_[i + 1]) {
      const Variant low = entries_[i]->GetValue();
      const Variant high = entries_[i + 2]->GetValue();
      const VarRelation a = VarCompare(value, low);
      const VarRelation b = VarCompare(value, high);
      if ((a == VarRelation::Greater || a == VarRelation::Equal) && (b == VarRelation::Less || b == VarRelation::Equal))
        return true;
      i += 2;
      continue;
    }
    if (entries_[i] && VarEquals(value, entries_[i]->GetValue())) return true;
  }
  return false;
}

Variant TfsSetExpression::GetValue() {
  std::vector<Variant> values;
  values.reserve(entries_.size());
  for (const auto& e : entries_) values.push_back(e ? e->GetValue() : Variant::Null());
  return Variant::FromArray(VariantArray::Of(std::move(values)));
}

// ---- Nodes ---------------------------------------------------------------------------

TfsExpressionNode::TfsExpressionNode() : TfsCustomVariable(ItemKind::Expression, QString(), fvtVariant, QString()) {}
TfsExpressionNode::~TfsExpressionNode() {
  // Taken apart without recursion: a long chain of operators is a deep tree.
  std::vector<std::unique_ptr<TfsExpressionNode>> pending;
  if (Left) pending.push_back(std::move(Left));
  if (Right) pending.push_back(std::move(Right));
  while (!pending.empty()) {
    std::unique_ptr<TfsExpressionNode> node = std::move(pending.back());
    pending.pop_back();
    if (node->Left) pending.push_back(std::move(node->Left));
    if (node->Right) pending.push_back(std::move(node->Right));
  }
}

namespace {

TfsTypeRec typeOfConstant(const Variant& value) {
  switch (value.Kind()) {
    case VarKind::Boolean:
      return {fvtBool, QStringLiteral("Boolean")};
    case VarKind::Double:
    case VarKind::Currency:
      return {fvtFloat, QStringLiteral("Extended")};
    case VarKind::String:
      return {fvtString, QStringLiteral("String")};
    case VarKind::Integer:
    case VarKind::Int64:
    case VarKind::Date:
      return {fvtInt, QStringLiteral("Integer")};
    default:
      // Null, Empty and objects (default values of parameters) go anywhere.
      return {fvtVariant, QStringLiteral("Variant")};
  }
}

}  // namespace

TfsOperandNode::TfsOperandNode(const Variant& value) {
  Value = value;
  const TfsTypeRec t = typeOfConstant(value);
  Typ = t.Typ;
  TypeName = t.TypeName;
}

TfsDesignatorNode::TfsDesignatorNode(std::unique_ptr<TfsDesignator> designator)
    : TfsOperandNode(Variant::Null()), designator_(std::move(designator)) {
  Typ = designator_->Typ;
  TypeName = designator_->TypeName;
  IsReadOnly = designator_->IsReadOnly;
  if (auto* v = dynamic_cast<TfsVariableDesignator*>(designator_.get())) variable_ = v->Variable();
  routine_ = dynamic_cast<TfsRoutineDesignator*>(designator_.get());
}

TfsDesignatorNode::~TfsDesignatorNode() = default;

Variant TfsDesignatorNode::GetValue() {
  if (variable_) {
    if (variable_->ReadsStoredValue()) return variable_->Value;
    return variable_->GetValue();
  }
  if (routine_) return routine_->Call();
  return designator_->GetValue();
}

void TfsDesignatorNode::SetValue(const Variant& value) { designator_->SetValue(value); }

TfsSetNode::TfsSetNode(std::unique_ptr<TfsSetExpression> set) : TfsOperandNode(Variant::Null()), set_(std::move(set)) {
  Typ = fvtVariant;
  TypeName = QStringLiteral("Variant");
}

TfsSetNode::~TfsSetNode() = default;

Variant TfsSetNode::GetValue() { return set_->GetValue(); }

TfsOperatorNode::TfsOperatorNode(int op, int priority) : op_(op), priority_(priority) {}

void TfsOperatorNode::PrepareOperands() {
  const auto constantOf = [](TfsExpressionNode* node) -> const Variant* {
    if (node && typeid(*node) == typeid(TfsOperandNode)) return &node->Value;
    return nullptr;
  };
  const auto variableOf = [](TfsExpressionNode* node) -> TfsCustomVariable* {
    auto* dn = dynamic_cast<TfsDesignatorNode*>(node);
    return dn ? dn->Variable() : nullptr;
  };
  leftConst_ = constantOf(Left.get());
  rightConst_ = constantOf(Right.get());
  TfsCustomVariable* lv = variableOf(Left.get());
  TfsCustomVariable* rv = variableOf(Right.get());
  // A variable is read in place only when its sibling runs no code that
  // could change it between the two reads.
  const bool leftPure = !Left || leftConst_ || lv;
  const bool rightPure = !Right || rightConst_ || rv;
  leftVar_ = rightPure ? lv : nullptr;
  rightVar_ = leftPure ? rv : nullptr;
}

namespace {

// The node classes, one per operator.
#define VALMORO_OPERATOR_NODE(Name, Code, Prio, Body)             \
  class Name : public TfsOperatorNode {                           \
  public:                                                         \
    Name() : TfsOperatorNode(Code, Prio) {}                       \
    Variant GetValue() override { Body }                          \
  };

#define L Left->GetValue()
#define R Right->GetValue()
// Both operands, left before right.
#define OPERANDS        \
  Variant ta, tb;       \
  const Variant& a = leftValue(ta); \
  const Variant& b = rightValue(tb);

// Comparisons take the integer fast path before the general comparison.
#define VALMORO_COMPARE(test)                  \
  OPERANDS                                     \
  VarRelation rel;                             \
  if (!VarCompareInts(a, b, &rel)) rel = VarCompare(a, b); \
  return Variant(test);

VALMORO_OPERATOR_NODE(TNoneNode, opNone, 7, return Left ? L : Variant::Null();)
VALMORO_OPERATOR_NODE(TGreatNode, opGreat, 4, VALMORO_COMPARE(rel == VarRelation::Greater))
VALMORO_OPERATOR_NODE(TLessNode, opLess, 4, VALMORO_COMPARE(rel == VarRelation::Less))
VALMORO_OPERATOR_NODE(TLessEqNode, opLessEq, 4,
                      VALMORO_COMPARE(rel == VarRelation::Less || rel == VarRelation::Equal))
VALMORO_OPERATOR_NODE(TGreatEqNode, opGreatEq, 4,
                      VALMORO_COMPARE(rel == VarRelation::Greater || rel == VarRelation::Equal))
VALMORO_OPERATOR_NODE(TNonEqNode, opNonEq, 4, VALMORO_COMPARE(rel != VarRelation::Equal))
VALMORO_OPERATOR_NODE(TEqNode, opEq, 4, VALMORO_COMPARE(rel == VarRelation::Equal))
VALMORO_OPERATOR_NODE(TPlusNode, opPlus, 3, OPERANDS return VarAdd(a, b);)
VALMORO_OPERATOR_NODE(TStrCatNode, opPlus, 3, OPERANDS return VarStrCat(a, b);)
VALMORO_OPERATOR_NODE(TMinusNode, opMinus, 3, OPERANDS return VarSub(a, b);)
VALMORO_OPERATOR_NODE(TXorNode, opXor, 3, OPERANDS return VarXor(a, b);)
VALMORO_OPERATOR_NODE(TMulNode, opMul, 2, OPERANDS return VarMul(a, b);)
VALMORO_OPERATOR_NODE(TDivFloatNode, opDivFloat, 2, OPERANDS return VarDivFloat(a, b);)
VALMORO_OPERATOR_NODE(TDivIntNode, opDivInt, 2, OPERANDS return VarIntDiv(a, b);)
VALMORO_OPERATOR_NODE(TModNode, opMod, 2, OPERANDS return VarMod(a, b);)
VALMORO_OPERATOR_NODE(TShlNode, opShl, 2, OPERANDS return VarShl(a, b);)
VALMORO_OPERATOR_NODE(TShrNode, opShr, 2, OPERANDS return VarShr(a, b);)
VALMORO_OPERATOR_NODE(TLeftBracketNode, opLeftBracket, 6, return L;)
VALMORO_OPERATOR_NODE(TRightBracketNode, opRightBracket, 5, return L;)
VALMORO_OPERATOR_NODE(TNotNode, opNot, 1, return VarNot(L);)
VALMORO_OPERATOR_NODE(TUnMinusNode, opUnMinus, 1, return VarNeg(L);)

// With both sides typed Boolean the right side runs only when it decides.
VALMORO_OPERATOR_NODE(TAndNode, opAnd, 2, {
  Variant a = L;
  if (ShortCircuit) {
    if (!a.ToBool()) return a;
    return R;
  }
  return VarAnd(a, R);
})
VALMORO_OPERATOR_NODE(TOrNode, opOr, 3, {
  Variant a = L;
  if (ShortCircuit) {
    if (a.ToBool()) return a;
    return R;
  }
  return VarOr(a, R);
})

VALMORO_OPERATOR_NODE(TInNode, opIn, 4, {
  const Variant value = L;
  if (auto* set = dynamic_cast<TfsSetNode*>(Right.get())) return Variant(set->Set()->Contains(value));
  const Variant list = R;
  // Sets of host objects (a published set property, an event's Shift) arrive
  // as their bit value: an element is in it when all its bits are.
  if (list.IsInteger() && value.IsInteger()) {
    const qint64 bits = value.ToInt64();
    return Variant(bits != 0 && (list.ToInt64() & bits) == bits);
  }
  if (!list.IsArray())
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Value of type (%1) is not an array").arg(Variant::KindName(list.Kind())));
  // An element, a Null and another element form a range.
  const std::vector<Variant>& e = list.AsArray().Elements();
  for (size_t i = 0; i < e.size(); ++i) {
    if (i + 2 < e.size() && e[i + 1].IsNull()) {
      const VarRelation a = VarCompare(value, e[i]);
      const VarRelation b = VarCompare(value, e[i + 2]);
      if ((a == VarRelation::Greater || a == VarRelation::Equal) && (b == VarRelation::Less || b == VarRelation::Equal))
        return Variant(true);
      i += 2;
      continue;
    }
    if (VarEquals(value, e[i])) return Variant(true);
  }
  return Variant(false);
})

VALMORO_OPERATOR_NODE(TIsNode, opIs, 4, {
  const Variant value = L;
  QObject* object = value.ToObject();
  auto* dn = dynamic_cast<TfsDesignatorNode*>(Right.get());
  TfsClassVariable* cls = nullptr;
  if (dn && !dn->Designator()->Items.empty())
    cls = dynamic_cast<TfsClassVariable*>(dn->Designator()->Items.front()->Ref);
  if (!cls) throw RunError(error_class::InvalidOperation, QStringLiteral("A class is required after 'is'"));
  return Variant(object != nullptr && cls->IsInstance(object));
})

#undef L
#undef R
#undef OPERANDS
#undef VALMORO_COMPARE
#undef VALMORO_OPERATOR_NODE

std::unique_ptr<TfsOperatorNode> makeOperator(const QString& text) {
  const QString op = text.toLower();
  if (op == u">") return std::make_unique<TGreatNode>();
  if (op == u"<") return std::make_unique<TLessNode>();
  if (op == u"<=") return std::make_unique<TLessEqNode>();
  if (op == u">=") return std::make_unique<TGreatEqNode>();
  if (op == u"<>") return std::make_unique<TNonEqNode>();
  if (op == u"=") return std::make_unique<TEqNode>();
  if (op == u"+") return std::make_unique<TPlusNode>();
  if (op == u"strcat") return std::make_unique<TStrCatNode>();
  if (op == u"-") return std::make_unique<TMinusNode>();
  if (op == u"or") return std::make_unique<TOrNode>();
  if (op == u"xor") return std::make_unique<TXorNode>();
  if (op == u"*") return std::make_unique<TMulNode>();
  if (op == u"/") return std::make_unique<TDivFloatNode>();
  if (op == u"div") return std::make_unique<TDivIntNode>();
  if (op == u"mod") return std::make_unique<TModNode>();
  if (op == u"and") return std::make_unique<TAndNode>();
  if (op == u"shl") return std::make_unique<TShlNode>();
  if (op == u"shr") return std::make_unique<TShrNode>();
  if (op == u"(") return std::make_unique<TLeftBracketNode>();
  if (op == u")") return std::make_unique<TRightBracketNode>();
  if (op == u"not") return std::make_unique<TNotNode>();
  if (op == u"unminus") return std::make_unique<TUnMinusNode>();
  if (op == u"in") return std::make_unique<TInNode>();
  if (op == u"is") return std::make_unique<TIsNode>();
  return nullptr;
}

bool isRelational(int op) { return (op >= opGreat && op <= opEq) || op == opIn || op == opIs; }

bool operatorAllowed(TfsVarType left, int op) {
  switch (left) {
    case fvtBool:
      return op == opNonEq || op == opEq || op == opOr || op == opXor || op == opAnd || op == opNot;
    case fvtChar:
    case fvtString:
      return (op >= opGreat && op <= opEq) || op == opPlus || op == opIn;
    case fvtClass:
    case fvtArray:
      return op == opNonEq || op == opEq;
    default:
      return true;
  }
}

// Detaches a child from its parent slot and hands it over.
std::unique_ptr<TfsExpressionNode> detach(TfsExpressionNode* parent, TfsExpressionNode* child) {
  std::unique_ptr<TfsExpressionNode> out;
  if (parent->Left.get() == child) out = std::move(parent->Left);
  else if (parent->Right.get() == child) out = std::move(parent->Right);
  if (out) out->Parent = nullptr;
  return out;
}

// Puts node into the slot of parent that old held (old already detached).
void attachAt(TfsExpressionNode* parent, bool left, std::unique_ptr<TfsExpressionNode> node) {
  node->Parent = parent;
  (left ? parent->Left : parent->Right) = std::move(node);
}

}  // namespace

// ---- TfsExpression ----------------------------------------------------------------------

TfsExpression::TfsExpression(TfsScript* script) : script_(script) {
  root_ = std::make_unique<TNoneNode>();
  current_ = root_.get();
}

TfsExpression::~TfsExpression() = default;

void TfsExpression::addNode(std::unique_ptr<TfsExpressionNode> node) {
  TfsExpressionNode* raw = node.get();
  node->Parent = current_;
  if (!current_->Left) current_->Left = std::move(node);
  else current_->Right = std::move(node);
  current_ = raw;
}

void TfsExpression::addBinary(std::unique_ptr<TfsExpressionNode> node) {
  TfsExpressionNode* n = node.get();
  if (current_ == root_.get()) {
    // Nothing before it: the operator hangs below the root and takes what
    // is there as its left operand.
    std::unique_ptr<TfsExpressionNode> old = std::move(root_->Left);
    attachAt(root_.get(), true, std::move(node));
    if (old) attachAt(n, true, std::move(old));
    current_ = n;
    return;
  }
  TfsExpressionNode* x;
  TfsExpressionNode* y;
  if (current_->OpCode() == opLeftBracket) {
    x = current_;
    y = nullptr;
  } else {
    x = current_->Parent;
    y = current_;
  }
  while (x->Parent && x->Priority() <= n->Priority()) {
    y = x;
    x = x->Parent;
  }
  if (!y) {
    // Right after "(": the operator becomes the bracket's operand.
    const bool left = !x->Left;
    attachAt(x, left, std::move(node));
  } else {
    const bool left = x->Left.get() == y;
    std::unique_ptr<TfsExpressionNode> taken = detach(x, y);
    attachAt(x, left, std::move(node));
    attachAt(n, true, std::move(taken));
  }
  current_ = n;
}

void TfsExpression::closeBracket() {
  TfsExpressionNode* x = current_;
  while (x && x->Priority() <= 5) x = x->Parent;
  if (!x || x->OpCode() != opLeftBracket || !x->Parent) return;  // unbalanced: ignored
  TfsExpressionNode* parent = x->Parent;
  const bool left = parent->Left.get() == x;
  std::unique_ptr<TfsExpressionNode> bracket = detach(parent, x);
  std::unique_ptr<TfsExpressionNode> inner = std::move(bracket->Left);
  if (!inner) {
    current_ = parent;
    return;
  }
  TfsExpressionNode* top = inner.get();
  attachAt(parent, left, std::move(inner));
  current_ = top;
}

void TfsExpression::AddOperator(const QString& op, const QString& position) {
  std::unique_ptr<TfsOperatorNode> node = makeOperator(op);
  if (!node) throw ScriptError(QStringLiteral("Unknown operator '%1'").arg(op));
  node->SourcePos = position;
  switch (node->OpCode()) {
    case opRightBracket:
      closeBracket();
      return;
    case opLeftBracket:
    case opNot:
    case opUnMinus:
      addNode(std::move(node));
      return;
    default:
      addBinary(std::move(node));
  }
}

void TfsExpression::AddConst(const Variant& value, const QString& position) {
  auto node = std::make_unique<TfsOperandNode>(value);
  node->SourcePos = position;
  addNode(std::move(node));
}

void TfsExpression::AddDesignator(std::unique_ptr<TfsDesignator> designator, const QString& position) {
  auto node = std::make_unique<TfsDesignatorNode>(std::move(designator));
  node->SourcePos = position;
  addNode(std::move(node));
}

void TfsExpression::AddSet(std::unique_ptr<TfsSetExpression> set, const QString& position) {
  auto node = std::make_unique<TfsSetNode>(std::move(set));
  node->SourcePos = position;
  addNode(std::move(node));
}

QString TfsExpression::typeTree(TfsExpressionNode* node, QString* error) {
  if (!node) return QString();
  auto* op = dynamic_cast<TfsOperatorNode*>(node);
  if (!op) return QString();
  typeTree(node->Left.get(), error);
  typeTree(node->Right.get(), error);
  const TfsTypeRec left = node->Left ? TfsTypeRec{node->Left->Typ, node->Left->TypeName}
                                     : TfsTypeRec{fvtVariant, QStringLiteral("Variant")};
  const TfsTypeRec right = node->Right ? TfsTypeRec{node->Right->Typ, node->Right->TypeName}
                                       : TfsTypeRec{fvtVariant, QStringLiteral("Variant")};
  const int code = op->OpCode();
  if (left.Typ == fvtBool && right.Typ == fvtBool) op->ShortCircuit = true;
  bool ok = true;
  if (!(code == opIs && left.Typ == fvtClass && right.Typ == fvtClass)) {
    // Integer also takes a Float operand here: 1 + 2.5 is well typed.
    const bool compatible = (left.Typ == fvtInt && right.Typ == fvtFloat) || TypesCompatible(left, right, script_);
    ok = compatible && operatorAllowed(left.Typ, code);
  }
  if (!ok && error->isEmpty()) *error = node->SourcePos;
  TfsTypeRec result = left;
  if ((left.Typ == fvtInt && right.Typ == fvtFloat) || (left.Typ == fvtFloat && right.Typ == fvtInt))
    result = {fvtFloat, QStringLiteral("Extended")};
  if (code == opDivFloat && left.Typ == fvtInt && right.Typ == fvtInt) result = {fvtFloat, QStringLiteral("Extended")};
  if (isRelational(code)) result = {fvtBool, QStringLiteral("Boolean")};
  node->Typ = result.Typ;
  node->TypeName = result.TypeName;
  op->PrepareOperands();
  return QString();
}

QString TfsExpression::Finalize() {
  // The root's only child becomes the root.
  if (root_->OpCode() == opNone) {
    std::unique_ptr<TfsExpressionNode> child = std::move(root_->Left);
    if (!child) child = std::make_unique<TfsOperandNode>(Variant::Null());
    child->Parent = nullptr;
    root_ = std::move(child);
  }
  current_ = nullptr;
  QString error;
  typeTree(root_.get(), &error);
  Typ = root_->Typ;
  TypeName = root_->TypeName;
  IsReadOnly = true;
  if (auto* dn = dynamic_cast<TfsDesignatorNode*>(root_.get())) IsReadOnly = dn->IsReadOnly;
  return error;
}

void TfsExpression::SetValue(const Variant& value) {
  auto* dn = dynamic_cast<TfsDesignatorNode*>(root_.get());
  if (dn && !dn->Designator()->IsReadOnly) dn->SetValue(value);
}

TfsCustomVariable* TfsExpression::SingleItem() const {
  if (auto* dn = dynamic_cast<TfsDesignatorNode*>(root_.get())) {
    if (dn->Variable()) return dn->Variable();
    return dn->Designator();
  }
  if (dynamic_cast<TfsOperatorNode*>(root_.get()) || dynamic_cast<TfsSetNode*>(root_.get())) return nullptr;
  return root_.get();
}

int TfsExpression::Depth() const {
  int deepest = 0;
  std::vector<std::pair<const TfsExpressionNode*, int>> pending{{root_.get(), 1}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    if (!node) continue;
    deepest = std::max(deepest, depth);
    pending.emplace_back(node->Left.get(), depth + 1);
    pending.emplace_back(node->Right.get(), depth + 1);
  }
  return deepest;
}

std::unique_ptr<TfsExpressionNode> TfsExpression::TakeRoot() {
  std::unique_ptr<TfsExpressionNode> root = std::move(root_);
  root_ = std::make_unique<TfsOperandNode>(Variant::Null());
  return root;
}

QString TfsExpression::Optimize(TfsDesignator* target) {
  auto* tv = dynamic_cast<TfsVariableDesignator*>(target);
  if (!tv) return QString();
  auto* op = dynamic_cast<TfsOperatorNode*>(root_.get());
  if (!op || !op->Left || !op->Right) return QString();
  QString modificator;
  switch (op->OpCode()) {
    case opPlus:
      if (dynamic_cast<TStrCatNode*>(op)) return QString();  // never rewritten
      modificator = QStringLiteral("+");
      break;
    case opMinus:
      modificator = QStringLiteral("-");
      break;
    case opMul:
      modificator = QStringLiteral("*");
      break;
    case opDivFloat:
      modificator = QStringLiteral("/");
      break;
    default:
      return QString();
  }
  const auto sameVariable = [tv](TfsExpressionNode* node) {
    auto* dn = dynamic_cast<TfsDesignatorNode*>(node);
    return dn && dn->Variable() == tv->Variable();
  };
  std::unique_ptr<TfsExpressionNode> rest;
  if (sameVariable(op->Left.get())) {
    rest = std::move(op->Right);
  } else if (sameVariable(op->Right.get()) && (modificator == u"+" || modificator == u"*") &&
             tv->Variable()->Typ != fvtString && tv->Variable()->Typ != fvtVariant) {
    rest = std::move(op->Left);
  } else {
    return QString();
  }
  rest->Parent = nullptr;
  root_ = std::move(rest);
  Typ = root_->Typ;
  TypeName = root_->TypeName;
  return modificator;
}

// ---- Compatibility --------------------------------------------------------------------

bool TypesCompatible(const TfsTypeRec& target, const TfsTypeRec& source, const TfsScript* script) {
  const TfsVarType s = source.Typ;
  if (s == fvtVariant && target.Typ != fvtConstructor) return true;
  switch (target.Typ) {
    case fvtInt:
      return s == fvtInt || s == fvtEnum;
    case fvtBool:
      return s == fvtBool;
    case fvtFloat:
      return s == fvtInt || s == fvtFloat;
    case fvtChar:
    case fvtString:
      return s == fvtChar || s == fvtString;
    case fvtClass: {
      if (s != fvtClass) return false;
      if (!script) return false;
      TfsClassVariable* t = script->FindClassItem(target.TypeName);
      TfsClassVariable* c = script->FindClassItem(source.TypeName);
      if (!t || !c) return false;
      // Up the source's ancestors by name.
      for (int guard = 0; c && guard < 256; ++guard) {
        if (c == t) return true;
        c = c->Ancestor.isEmpty() ? nullptr : script->FindClassItem(c->Ancestor);
      }
      return false;
    }
    case fvtArray:
      return s == fvtArray;
    case fvtVariant:
      return true;
    case fvtEnum:
      return (s == fvtEnum && source.TypeName.compare(target.TypeName, Qt::CaseInsensitive) == 0) || s == fvtInt;
    case fvtConstructor:
      return false;
  }
  return false;
}

}  // namespace valmoro::script
