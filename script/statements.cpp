#include "statements.h"

#include <new>
#include <typeinfo>

#include "designator.h"
#include "expression.h"
#include "memory_limits.h"
#include "run_error.h"

namespace valmoro::script {

TfsStatement::TfsStatement(TfsScript* script, const QString& unitName, const QString& sourcePos)
    : Prog(script), UnitName(unitName), SourcePos(sourcePos) {}

TfsStatement::~TfsStatement() = default;

// ---- Assignments --------------------------------------------------------------------

TfsAssignmentStmt::~TfsAssignmentStmt() = default;

void TfsAssignmentStmt::SetParts(std::unique_ptr<TfsDesignator> designator, std::unique_ptr<TfsExpression> expression) {
  ownedDesignator_ = std::move(designator);
  ownedExpression_ = std::move(expression);
  if (auto* v = dynamic_cast<TfsVariableDesignator*>(ownedDesignator_.get())) Designator = v->Variable();
  else Designator = ownedDesignator_.get();
  // The lone operand, or the expression's root node: one call less.
  TfsCustomVariable* single = ownedExpression_->SingleItem();
  Expression = single ? single : ownedExpression_->Root();
  using K = TfsCustomVariable::ItemKind;
  sourcePure_ = single && (single->Kind() == K::Variable || single->Kind() == K::StringVariable ||
                           single->Kind() == K::Param || typeid(*single) == typeid(TfsOperandNode));
}

void TfsAssignmentStmt::Execute() {
  if (runLine()) return;
  Variant value = Expression->GetValue();
  if (StoresUnchanged(Designator, value)) Designator->Value = std::move(value);
  else Designator->SetValue(value);
}

namespace {

// target := op(target, operand). The target is read before the operand is
// evaluated, as the unrewritten "v := v op e" would; a result that the
// variable's type stores unchanged is stored directly.
template <typename Op>
inline void compound(TfsCustomVariable* target, TfsCustomVariable* source, bool sourcePure, Op op) {
  if (target->ReadsStoredValue()) {
    Variant result;
    if (sourcePure) {
      // Nothing can change the target meanwhile: both are read in place.
      Variant tmp;
      const Variant& operand = source->ReadsStoredValue() ? source->Value : (tmp = source->GetValue());
      result = op(target->Value, operand);
    } else {
      const Variant current = target->Value;
      const Variant operand = source->GetValue();
      result = op(current, operand);
    }
    if (StoresUnchanged(target, result)) target->Value = std::move(result);
    else target->SetValue(result);
    return;
  }
  const Variant current = target->GetValue();
  target->SetValue(op(current, source->GetValue()));
}

}  // namespace

void TfsAssignPlusStmt::Execute() {
  if (runLine()) return;
  TfsCustomVariable* target = Designator;
  if (target->ReadsStoredValue() && !target->IsReadOnly && target->Value.IsString() &&
      (target->Kind() == TfsCustomVariable::ItemKind::StringVariable || target->Typ == fvtVariant)) {
    Variant current = target->Value;
    const Variant add = Expression->GetValue();
    // Appending to a plain string variable grows it in place, unless
    // evaluating the operand changed the variable.
    if (add.IsString() && target->Value.IsString() &&
        target->Value.AsString().constData() == current.AsString().constData() &&
        target->Value.AsString().size() == current.AsString().size()) {
      CheckStringLength(current.AsString().size(), add.AsString().size());
      current = Variant();
      target->Value.AsString().append(add.AsString());
      return;
    }
    target->SetValue(VarAdd(current, add));
    return;
  }
  compound(target, Expression, sourcePure_, [](const Variant& a, const Variant& b) { return VarAdd(a, b); });
}

void TfsAssignMinusStmt::Execute() {
  if (runLine()) return;
  compound(Designator, Expression, sourcePure_, [](const Variant& a, const Variant& b) { return VarSub(a, b); });
}

void TfsAssignMulStmt::Execute() {
  if (runLine()) return;
  compound(Designator, Expression, sourcePure_, [](const Variant& a, const Variant& b) { return VarMul(a, b); });
}

void TfsAssignDivStmt::Execute() {
  if (runLine()) return;
  compound(Designator, Expression, sourcePure_, [](const Variant& a, const Variant& b) { return VarDivFloat(a, b); });
}

// ---- Calls ---------------------------------------------------------------------------

TfsCallStmt::~TfsCallStmt() = default;

void TfsCallStmt::Execute() {
  if (runLine()) return;
  if (Modificator.isEmpty()) {
    Designator->GetValue();
    return;
  }
  const Variant value = Designator->GetValue();
  Designator->SetValue(Modificator == u"+" ? VarAdd(value, Variant(1)) : VarSub(value, Variant(1)));
}

// ---- Branches -------------------------------------------------------------------------

TfsIfStmt::TfsIfStmt(TfsScript* script, const QString& unitName, const QString& sourcePos)
    : TfsStatement(script, unitName, sourcePos), ElseStmt(std::make_unique<TfsStatement>(script, unitName, sourcePos)) {}

TfsIfStmt::~TfsIfStmt() = default;

void TfsIfStmt::Execute() {
  if (runLine()) return;
  if (Condition->Evaluate().ToBool()) ExecuteBlock();
  else ElseStmt->ExecuteBlock();
}

TfsCaseSelector::~TfsCaseSelector() = default;

TfsCaseStmt::TfsCaseStmt(TfsScript* script, const QString& unitName, const QString& sourcePos)
    : TfsStatement(script, unitName, sourcePos), ElseStmt(std::make_unique<TfsStatement>(script, unitName, sourcePos)) {}

TfsCaseStmt::~TfsCaseStmt() = default;

void TfsCaseStmt::Execute() {
  const Variant value = Condition->Evaluate();
  if (runLine()) return;
  for (const auto& item : Items) {
    auto* selector = static_cast<TfsCaseSelector*>(item.get());
    if (selector->SetExpression->Contains(value)) {
      selector->Execute();
      return;
    }
  }
  ElseStmt->ExecuteBlock();
}

// ---- Loops ----------------------------------------------------------------------------

TfsRepeatStmt::~TfsRepeatStmt() = default;

void TfsRepeatStmt::Execute() {
  if (runLine()) return;
  TfsScript* s = Prog;
  for (;;) {
    ExecuteBlock();
    if (s->BreakRequested || s->ExitRequested) break;
    s->ContinueRequested = false;
    const bool condition = Condition->Evaluate().ToBool();
    if (InverseCondition ? !condition : condition) break;
  }
  s->BreakRequested = false;
}

TfsWhileStmt::~TfsWhileStmt() = default;

void TfsWhileStmt::Execute() {
  if (runLine()) return;
  TfsScript* s = Prog;
  while (Condition->Evaluate().ToBool()) {
    ExecuteBlock();
    if (s->BreakRequested || s->ExitRequested) break;
    s->ContinueRequested = false;
  }
  s->BreakRequested = false;
}

TfsForStmt::~TfsForStmt() = default;

void TfsForStmt::Execute() {
  const int first = BeginValue->Evaluate().ToInt();
  const int last = EndValue->Evaluate().ToInt();
  if (runLine()) return;
  TfsScript* s = Prog;
  TfsCustomVariable* v = Variable;
  // The counter is wider than the values, so that a loop up to the largest
  // integer ends.
  if (!Down) {
    for (qint64 i = first; i <= last; ++i) {
      v->Value.SetInt(int(i));
      ExecuteBlock();
      if (s->BreakRequested || s->ExitRequested) break;
      s->ContinueRequested = false;
    }
  } else {
    for (qint64 i = first; i >= last; --i) {
      v->Value.SetInt(int(i));
      ExecuteBlock();
      if (s->BreakRequested || s->ExitRequested) break;
      s->ContinueRequested = false;
    }
  }
  s->BreakRequested = false;
}

TfsVbForStmt::~TfsVbForStmt() = default;

void TfsVbForStmt::Execute() {
  Variant counter = BeginValue->Evaluate();
  const Variant last = EndValue->Evaluate();
  const Variant step = Step ? Step->Evaluate() : Variant(1);
  if (runLine()) return;
  TfsScript* s = Prog;
  const VarRelation sign = VarCompare(step, Variant(0));
  const bool down = sign == VarRelation::Less;
  for (;;) {
    const VarRelation rel = VarCompare(counter, last);
    if (down ? !(rel == VarRelation::Greater || rel == VarRelation::Equal)
             : !(rel == VarRelation::Less || rel == VarRelation::Equal))
      break;
    Variable->Value = counter;
    ExecuteBlock();
    if (s->BreakRequested || s->ExitRequested) break;
    s->ContinueRequested = false;
    counter = VarAdd(counter, step);
  }
  s->BreakRequested = false;
}

TfsCppForStmt::TfsCppForStmt(TfsScript* script, const QString& unitName, const QString& sourcePos)
    : TfsStatement(script, unitName, sourcePos),
      FirstStmt(std::make_unique<TfsStatement>(script, unitName, sourcePos)),
      SecondStmt(std::make_unique<TfsStatement>(script, unitName, sourcePos)) {}

TfsCppForStmt::~TfsCppForStmt() = default;

void TfsCppForStmt::Execute() {
  if (runLine()) return;
  TfsScript* s = Prog;
  FirstStmt->ExecuteBlock();
  if (s->StopRequested) return;
  for (;;) {
    if (Expression && !Expression->Evaluate().ToBool()) break;
    ExecuteBlock();
    if (s->BreakRequested || s->ExitRequested) break;
    s->ContinueRequested = false;
    SecondStmt->ExecuteBlock();
  }
  s->BreakRequested = false;
}

// ---- Try -----------------------------------------------------------------------------

TfsTryStmt::TfsTryStmt(TfsScript* script, const QString& unitName, const QString& sourcePos)
    : TfsStatement(script, unitName, sourcePos),
      ExceptStmt(std::make_unique<TfsStatement>(script, unitName, sourcePos)) {}

TfsTryStmt::~TfsTryStmt() = default;

void TfsTryStmt::Execute() {
  if (runLine()) return;
  TfsScript* s = Prog;
  if (IsExcept) {
    const auto handle = [&](const ScriptError& e) {
      s->SetVariableValue(QStringLiteral("ExceptionClassName"), Variant(ExceptionClassNameOf(e)));
      s->SetVariableValue(QStringLiteral("ExceptionMessage"), Variant(e.message()));
      ExceptStmt->ExecuteBlock();
    };
    try {
      ExecuteBlock();
    } catch (const ScriptError& e) {
      handle(e);
    } catch (const std::bad_alloc&) {
      // An allocation the limits let through that failed all the same: the
      // script sees it as any other run-time error. What it asked for is
      // gone by now, so the handler has room to run.
      try {
        OutOfMemory();
      } catch (const ScriptError& e) {
        handle(e);
      }
    }
    return;
  }
  // The finally part runs with exit cleared, then exit comes back.
  const auto runFinally = [&] {
    const bool exitRequested = s->ExitRequested;
    s->ExitRequested = false;
    ExceptStmt->ExecuteBlock();
    s->ExitRequested = s->ExitRequested || exitRequested;
  };
  try {
    ExecuteBlock();
  } catch (...) {
    runFinally();
    throw;
  }
  runFinally();
}

// ---- With --------------------------------------------------------------------------------

TfsWithStmt::~TfsWithStmt() = default;

void TfsWithStmt::Execute() { Variable->Value = Designator->GetValue(); }

}  // namespace valmoro::script
