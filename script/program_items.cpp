#include "program_items.h"

#include <new>

#include "memory_limits.h"
#include "platform/locale.h"
#include "program_messages.h"
#include "run_error.h"
#include "script.h"
#include "stack_guard.h"
#include "statements.h"

namespace valmoro::script {

QString TypeDisplayName(TfsVarType typ, const QString& typeName) {
  switch (typ) {
    case fvtInt:
      return QStringLiteral("Integer");
    case fvtBool:
      return QStringLiteral("Boolean");
    case fvtFloat:
      return QStringLiteral("Extended");
    case fvtChar:
      return QStringLiteral("Char");
    case fvtString:
      return QStringLiteral("String");
    case fvtArray:
      return QStringLiteral("Array");
    case fvtClass:
    case fvtEnum:
      return typeName;
    case fvtVariant:
    case fvtConstructor:
      return QStringLiteral("Variant");
  }
  return typeName;
}

// ---- TfsCustomVariable ----------------------------------------------------------

TfsCustomVariable::TfsCustomVariable(ItemKind kind, const QString& name, TfsVarType typ, const QString& typeName)
    : Typ(typ), TypeName(typeName), kind_(kind) {
  SetName(name);
}

TfsCustomVariable::~TfsCustomVariable() = default;

void TfsCustomVariable::SetName(const QString& name) {
  name_ = name;
  upperName_ = name.toUpper();
}

void TfsCustomVariable::SetValue(const Variant& value) {
  if (!IsReadOnly) Value = value;
}

Variant TfsCustomVariable::GetValue() { return Value; }

void TfsCustomVariable::AddParam(std::unique_ptr<TfsParamItem> param) {
  params_.push_back(param.get());
  ownedParams_.push_back(std::move(param));
}

int TfsCustomVariable::RequiredCount() const {
  int n = 0;
  for (const TfsParamItem* p : params_)
    if (!p->IsOptional) ++n;
  return n;
}

// ---- TfsVariable ------------------------------------------------------------------

TfsVariable::TfsVariable(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsCustomVariable(ItemKind::Variable, name, typ, typeName) {}

void TfsVariable::SetValue(const Variant& value) {
  if (IsReadOnly) return;
  switch (Typ) {
    case fvtInt:
      // Narrowing raises rather than wrapping.
      if (value.Kind() == VarKind::Integer) Value = value;
      else Value = Variant(value.ToInt());
      break;
    case fvtBool:
      Value = Variant(value.ToBool());
      break;
    case fvtFloat:
      if (value.Kind() == VarKind::Double) Value = value;
      else Value = Variant(value.ToDouble());
      break;
    case fvtString:
      // Host string variables hold 8-bit text of the system code page.
      Value = Variant(locale::fromSystemCodePage(locale::toSystemCodePage(value.ToString())));
      break;
    default:
      Value = value;
  }
}

Variant TfsVariable::GetValue() {
  if (OnGetVarValue) {
    Variant answer = OnGetVarValue(Name(), Typ, Value);
    if (!answer.IsNull()) return answer;
  }
  return Value;
}

// ---- TfsStringVariable --------------------------------------------------------------

TfsStringVariable::TfsStringVariable(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsVariable(ItemKind::StringVariable, name, typ, typeName) {
  Value = Variant(QString());
}

void TfsStringVariable::SetValue(const Variant& value) {
  if (IsReadOnly) return;
  if (value.IsString()) Value = value;
  else Value = Variant(value.ToString());
}

Variant TfsStringVariable::GetValue() {
  if (OnGetVarValue) {
    Variant answer = OnGetVarValue(Name(), Typ, Value);
    if (!answer.IsNull()) return answer;
  }
  return Value;
}

// ---- TfsTypeVariable, TfsParamItem ----------------------------------------------------

TfsTypeVariable::TfsTypeVariable(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsCustomVariable(ItemKind::Type, name, typ, typeName) {}

TfsParamItem::TfsParamItem(const QString& name, TfsVarType typ, const QString& typeName, bool isOptional,
                           bool isVarParam)
    : TfsCustomVariable(ItemKind::Param, name, typ, typeName), IsOptional(isOptional), IsVarParam(isVarParam) {}

// ---- TfsProcVariable ----------------------------------------------------------------------

TfsProcVariable::TfsProcVariable(const QString& name, TfsVarType typ, const QString& typeName, TfsScript* parent,
                                 bool isFunc)
    : TfsCustomVariable(ItemKind::Proc, name, typ, typeName),
      IsFunc(isFunc),
      prog_(std::make_unique<TfsScript>(parent)) {
  IsReadOnly = true;
  prog_->LateBindMembers = parent ? parent->LateBindMembers : false;
}

TfsProcVariable::~TfsProcVariable() = default;

void TfsProcVariable::SaveLocals() {
  for (TfsCustomVariable* v : prog_->LocalValues()) saved_.push_back(v->Value);
}

void TfsProcVariable::RestoreLocals() {
  const auto& locals = prog_->LocalValues();
  for (size_t i = locals.size(); i-- > 0;) {
    locals[i]->Value = std::move(saved_.back());
    saved_.pop_back();
  }
}

Variant TfsProcVariable::GetValue() {
  CheckStack();
  TfsScript* p = prog_.get();
  TfsScript* main = main_;
  if (!main) {
    for (main = p->ParentScript; main && !main->IsMainScript;) main = main->ParentScript;
    main_ = main;
  }

  // Put back on the way out, also when an exception passes. Break and
  // continue are cleared too, so that one left outside a loop cannot stop
  // the next call early.
  struct Frame {
    TfsProcVariable* proc;
    TfsScript* prog;
    TfsScript* main;
    TfsScript* savedActive;
    bool wasExecuting;
    bool wasRunning;
    ~Frame() {
      prog->ExitRequested = prog->StopRequested = prog->BreakRequested = prog->ContinueRequested = false;
      prog->Running = wasRunning;
      if (main) main->ActiveRoutineScript = savedActive;
      proc->Executing = wasExecuting;
    }
  } frame{this, p, main, main ? main->ActiveRoutineScript : nullptr, Executing, p->Running};

  Executing = true;
  if (IsFunc && RefItem) {
    // Result starts as Unassigned written through its type: 0, False, ''.
    if (RefItem->ReadsStoredValue() && !RefItem->IsReadOnly) {
      switch (RefItem->Typ) {
        case fvtInt:
          RefItem->Value.SetInt(0);
          break;
        default:
          RefItem->SetValue(Variant());
      }
    } else {
      RefItem->SetValue(Variant());
    }
  }
  if (main) main->ActiveRoutineScript = p;
  p->ExitRequested = p->StopRequested = p->BreakRequested = p->ContinueRequested = false;
  p->Running = true;
  try {
    p->MainBlock()->ExecuteBlock();
  } catch (const std::bad_alloc&) {
    OutOfMemory();  // the caller, a host or another routine, gets a script error
  }
  if (IsFunc && RefItem) return RefItem->ReadsStoredValue() ? RefItem->Value : RefItem->GetValue();
  return Variant::Null();
}

bool TfsProcVariable::HasVarParams() const {
  for (int i = 0; i < Count(); ++i)
    if (Params(i)->IsVarParam) return true;
  return false;
}

// ---- Helpers ---------------------------------------------------------------------------

TfsCustomHelper::TfsCustomHelper(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsCustomVariable(ItemKind::Helper, name, typ, typeName) {}

void TfsCustomHelper::writeParent(const Variant& value) {
  if (ParentRef) ParentRef->SetValue(value);
}

namespace {

[[noreturn]] void notAnArray(const Variant& value) {
  throw RunError(error_class::InvalidOperation,
                 QStringLiteral("Value of type (%1) is not an array").arg(Variant::KindName(value.Kind())));
}

constexpr int kMaxIndexes = 16;

}  // namespace

TfsArrayHelper::TfsArrayHelper(const QString& name, int dimCount, TfsVarType elementTyp, const QString& elementTypeName)
    : TfsCustomHelper(name, elementTyp, elementTypeName) {
  for (int i = 0; i < dimCount && i < kMaxIndexes; ++i) {
    auto p = std::make_unique<TfsParamItem>(QString(), fvtInt, QStringLiteral("Integer"), false, false);
    p->Value = Variant(0);
    AddParam(std::move(p));
  }
}

int TfsArrayHelper::indexes(int* out) const {
  int n = 0;
  // Optional indexes that were not given are Null: they end the list.
  for (int i = 0; i < Count(); ++i) {
    const Variant& v = Params(i)->Value;
    if (v.IsNull()) break;
    out[n++] = v.ToInt();
  }
  return n;
}

Variant TfsArrayHelper::GetValue() {
  int idx[kMaxIndexes];
  const int n = indexes(idx);
  if (!ParentValue.IsArray()) notAnArray(ParentValue);
  return ParentValue.AsArray().At(idx, n);
}

void TfsArrayHelper::SetValue(const Variant& value) {
  int idx[kMaxIndexes];
  const int n = indexes(idx);
  if (ParentRef && ParentRef->ReadsStoredValue() && !ParentRef->IsReadOnly) {
    // Written in place; our share of the array goes first so that it is
    // not copied.
    ParentValue = Variant();
    Variant& target = ParentRef->Value;
    if (!target.IsArray()) notAnArray(target);
    target.ArrayForWrite().Put(idx, n, value);
    return;
  }
  Variant array = std::move(ParentValue);
  ParentValue = Variant();
  if (!array.IsArray()) notAnArray(array);
  array.ArrayForWrite().Put(idx, n, value);
  writeParent(array);
}

TfsStringHelper::TfsStringHelper() : TfsCustomHelper(QStringLiteral("__StringHelper"), fvtChar, QStringLiteral("Char")) {
  auto p = std::make_unique<TfsParamItem>(QStringLiteral("Index"), fvtInt, QStringLiteral("Integer"), false, false);
  p->Value = Variant(0);
  AddParam(std::move(p));
}

namespace {

[[noreturn]] void stringIndexError(int index, qsizetype length) {
  throw RunError(error_class::RangeError,
                 QStringLiteral("String index %1 out of bounds (1..%2)").arg(index).arg(length));
}

}  // namespace

Variant TfsStringHelper::GetValue() {
  const int index = Params(0)->Value.ToInt();
  const QString s = ParentValue.ToString();
  if (index < 1 || index > s.size()) stringIndexError(index, s.size());
  return Variant(QString(s[index - 1]));
}

void TfsStringHelper::SetValue(const Variant& value) {
  const int index = Params(0)->Value.ToInt();
  const QString text = value.ToString();
  if (text.isEmpty())
    throw RunError(error_class::ConvertError, QStringLiteral("Could not convert variant of type (String) into type (Char)"));
  QString s = ParentValue.ToString();
  ParentValue = Variant();
  if (index < 1 || index > s.size()) stringIndexError(index, s.size());
  s[index - 1] = text[0];
  writeParent(Variant(std::move(s)));
}

}  // namespace valmoro::script
