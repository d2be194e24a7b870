#include "designator.h"

#include "expression.h"
#include "host_classes.h"
#include "program_messages.h"
#include "run_error.h"
#include "script.h"

namespace valmoro::script {

namespace {

// Arguments of one link; most calls have few.
class ArgumentValues {
public:
  explicit ArgumentValues(size_t count) : count_(count) {
    if (count_ > kInline) heap_.resize(count_);
  }
  Variant& operator[](size_t i) { return count_ > kInline ? heap_[i] : inline_[i]; }

private:
  static constexpr size_t kInline = 6;
  size_t count_;
  Variant inline_[kInline];
  std::vector<Variant> heap_;
};

[[noreturn]] void stringIndexError(int index, qsizetype length) {
  throw RunError(error_class::RangeError,
                 QStringLiteral("String index %1 out of bounds (1..%2)").arg(index).arg(length));
}

}  // namespace

TfsDesignatorItem::TfsDesignatorItem() = default;
TfsDesignatorItem::~TfsDesignatorItem() = default;

TfsDesignator::TfsDesignator(TfsScript* script)
    : TfsCustomVariable(ItemKind::Designator, QString(), fvtVariant, QStringLiteral("Variant")), script_(script) {}

TfsDesignator::~TfsDesignator() = default;

bool TfsDesignator::IsLateBound() const {
  for (const auto& link : Items)
    if (link->Dynamic) return true;
  return false;
}

Variant TfsDesignator::GetValue() { return calc(nullptr); }

void TfsDesignator::SetValue(const Variant& value) { calc(&value); }

namespace {

// Helpers keep their parent value while the walk runs (a later link may
// write back through them) and let go of it afterwards, so that arrays are
// not kept shared.
struct ReleaseHelpers {
  std::vector<TfsCustomHelper*> used;
  ~ReleaseHelpers() {
    for (TfsCustomHelper* h : used) h->ParentValue = Variant();
  }
};

inline void setParam(TfsParamItem* param, Variant&& value) {
  if (StoresUnchanged(param, value)) param->Value = std::move(value);
  else param->SetValue(value);
}

// Assigns a link's arguments to an item's parameters; macro items receive
// the arguments' source texts. All arguments are evaluated before the first
// is assigned: an argument may call the same routine.
void assignArguments(TfsDesignatorItem* link, TfsCustomVariable* item) {
  const int count = item->Count();
  const size_t given = std::min(size_t(count), link->Args.size());
  const auto argument = [&](size_t j) {
    return item->IsMacro ? Variant(link->Args[j]->Source) : link->Args[j]->Evaluate();
  };
  if (given == 1) {
    setParam(item->Params(0), argument(0));
  } else if (given > 1) {
    ArgumentValues values(given);
    for (size_t j = 0; j < given; ++j) values[j] = argument(j);
    for (size_t j = 0; j < given; ++j) setParam(item->Params(int(j)), std::move(values[j]));
  }
  // Parameters left out take their defaults (run-time resolved links only;
  // compiled links were completed when compiling).
  for (int j = int(given); j < count; ++j) item->Params(j)->SetValue(item->Params(j)->DefValue);
}

// By-reference parameters go back into their argument expressions; before()
// runs between taking the values and writing them.
template <typename Before>
void writeBackArguments(TfsDesignatorItem* link, TfsCustomVariable* item, Before before) {
  const size_t given = std::min(size_t(item->Count()), link->Args.size());
  bool any = false;
  for (size_t j = 0; j < given && !any; ++j) any = item->Params(int(j))->IsVarParam;
  if (!any) {
    before();
    return;
  }
  ArgumentValues out(given);
  for (size_t j = 0; j < given; ++j)
    if (item->Params(int(j))->IsVarParam) out[j] = item->Params(int(j))->Value;
  before();
  for (size_t j = 0; j < given; ++j)
    if (item->Params(int(j))->IsVarParam) link->Args[j]->SetValue(out[j]);
}

// Puts a recursive call's locals back once, at the latest when it goes out
// of scope (also when an exception passes).
struct RestoreLocals {
  TfsProcVariable* proc;
  bool done = false;
  void now() {
    if (proc && !done) proc->RestoreLocals();
    done = true;
  }
  ~RestoreLocals() { now(); }
};

[[noreturn]] void runError(const QString& message) { throw RunError(error_class::InvalidOperation, message); }

TfsClassVariable* classItemOf(TfsScript* script, const QObject* object) {
  return script->FindClassItemOf(object->metaObject());
}

}  // namespace

Variant TfsDesignator::calc(const Variant* newValue) {
  ReleaseHelpers release;
  Variant current = Variant::Null();
  TfsCustomVariable* previous = nullptr;
  const size_t n = Items.size();
  for (size_t i = 0; i < n; ++i) {
    TfsDesignatorItem* link = Items[i].get();
    const bool last = i + 1 == n;

    if (link->Dynamic) {
      // An indexed property takes the indexes of the "[" that follows it.
      TfsDesignatorItem* indexLink = nullptr;
      if (i + 1 < n && Items[i + 1]->Dynamic && Items[i + 1]->MemberName == u"[" && link->MemberName != u"[")
        indexLink = Items[i + 1].get();
      const size_t consumed = dynamicLink(link, indexLink, current, previous,
                                          newValue && (last || (indexLink && i + 2 == n)) ? newValue : nullptr,
                                          release.used);
      i += consumed - 1;
      continue;
    }

    TfsCustomVariable* item = link->Ref;
    if (item->Kind() == ItemKind::Designator) {
      current = item->GetValue();
      previous = item;
      continue;
    }

    // A routine that is running now is called again: its variables are put
    // aside and come back after this link, also when an exception passes.
    TfsProcVariable* recursive = nullptr;
    if (item->Kind() == ItemKind::Proc && static_cast<TfsProcVariable*>(item)->Executing) {
      recursive = static_cast<TfsProcVariable*>(item);
      recursive->SaveLocals();
    }
    RestoreLocals restore{recursive};

    const int count = item->Count();
    if (count > 0) assignArguments(link, item);

    if (item->Kind() == ItemKind::Helper) {
      auto* helper = static_cast<TfsCustomHelper*>(item);
      helper->ParentRef = previous;
      helper->ParentValue = std::move(current);
      helper->Prog = script_;
      release.used.push_back(helper);
    }
    previous = item;
    if (newValue && last) {
      item->SetValue(*newValue);
      current = Variant::Null();
    } else {
      item->NeedResult = !(last && !NeedResult);
      current = item->GetValue();
    }
    // By-reference results are taken before a recursive call's locals come
    // back and written after.
    if (count > 0) writeBackArguments(link, item, [&restore] { restore.now(); });
  }
  return current;
}

size_t TfsDesignator::dynamicLink(TfsDesignatorItem* link, TfsDesignatorItem* indexLink, Variant& current,
                                  TfsCustomVariable*& previous, const Variant* newValue,
                                  std::vector<TfsCustomHelper*>& used) {
  const QString& name = link->MemberName;
  const bool isIndex = name == u"[";
  switch (current.Kind()) {
    case VarKind::Dispatch: {
      TfsAutomationObject* object = current.AsDispatch();
      std::vector<Variant> args;
      args.reserve(link->Args.size() + 1);
      for (const auto& a : link->Args) args.push_back(a->GetValue());
      Variant keep = current;  // the object stays alive during its own call
      if (newValue && !indexLink) {
        args.push_back(*newValue);
        object->Invoke(name, TfsAutomationObject::Access::Put, args);
        current = Variant::Null();
      } else {
        const auto access = args.empty() ? TfsAutomationObject::Access::Get : TfsAutomationObject::Access::Call;
        current = object->Invoke(name, access, args);
      }
      previous = nullptr;
      return 1;
    }
    case VarKind::String: {
      if (!isIndex) runError(ProgramMessage(SStringError));
      if (link->Args.size() != 1) runError(ProgramMessage(SIndexRequired));
      const int index = link->Args[0]->GetValue().ToInt();
      QString s = current.AsString();
      if (index < 1 || index > s.size()) stringIndexError(index, s.size());
      if (newValue) {
        const QString text = newValue->ToString();
        if (text.isEmpty())
          throw RunError(error_class::ConvertError,
                         QStringLiteral("Could not convert variant of type (String) into type (Char)"));
        s[index - 1] = text[0];
        if (previous) previous->SetValue(Variant(std::move(s)));
        current = Variant::Null();
      } else {
        current = Variant(QString(s[index - 1]));
      }
      previous = nullptr;
      return 1;
    }
    case VarKind::Array: {
      if (!isIndex) runError(ProgramMessage(SIndexRequired));
      int idx[16];
      int count = 0;
      for (const auto& a : link->Args) {
        if (count == 16) break;
        idx[count++] = a->GetValue().ToInt();
      }
      if (newValue) {
        Variant array = std::move(current);
        array.ArrayForWrite().Put(idx, count, *newValue);
        if (previous) previous->SetValue(array);
        current = Variant::Null();
      } else {
        const Variant element = current.AsArray().At(idx, count);
        current = element;
      }
      previous = nullptr;
      return 1;
    }
    case VarKind::Object:
      break;
    default:
      runError(QStringLiteral("Value of type (%1) is not an object ('%2')")
                   .arg(Variant::KindName(current.Kind()), isIndex ? QStringLiteral("[]") : name));
  }

  QObject* object = current.AsObject();
  if (!object) runError(QStringLiteral("Cannot use '%1' of a nil object").arg(isIndex ? QStringLiteral("[]") : name));
  TfsClassVariable* cls = classItemOf(script_, object);
  TfsCustomHelper* member = nullptr;
  size_t consumed = 1;
  TfsDesignatorItem* argsLink = link;
  if (isIndex) {
    member = cls ? cls->DefProperty : nullptr;
    if (!member) runError(FormatProgramMessage(SClassError, ScriptNameOf(script_, object)));
  } else {
    member = cls ? cls->FindMember(name) : nullptr;
    if (!member) {
      // A component the object owns, by its name.
      for (QObject* child : object->children())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) {
          current = Variant::FromObject(child);
          previous = nullptr;
          return 1;
        }
      runError(ProgramMessageQuoted(SIdUndeclared, name));
    }
    if (auto* method = dynamic_cast<TfsMethodHelper*>(member); method && method->IndexMethod && link->Args.empty()) {
      if (!indexLink) runError(ProgramMessage(SIndexRequired));
      argsLink = indexLink;
      consumed = 2;
    }
  }
  if (int(argsLink->Args.size()) < member->RequiredCount()) runError(ProgramMessage(SNotEnoughParams));
  if (int(argsLink->Args.size()) > member->Count()) runError(ProgramMessage(STooManyParams));
  if (member->Count() > 0) assignArguments(argsLink, member);
  member->ParentRef = previous;
  member->ParentValue = std::move(current);
  member->Prog = script_;
  used.push_back(member);
  previous = member;
  if (newValue) {
    member->SetValue(*newValue);
    current = Variant::Null();
  } else {
    current = member->GetValue();
  }
  if (member->Count() > 0) writeBackArguments(argsLink, member, [] {});
  return consumed;
}

// ---- Fast forms ------------------------------------------------------------------

Variant TfsRoutineDesignator::Call() {
  TfsDesignatorItem* link = Items[0].get();
  auto* proc = static_cast<TfsProcVariable*>(link->Ref);
  const bool recursive = proc->Executing;
  if (recursive) proc->SaveLocals();
  RestoreLocals restore{recursive ? proc : nullptr};
  const int count = proc->Count();
  if (count == 1 && !proc->IsMacro && link->Args.size() == 1) setParam(proc->Params(0), link->Args[0]->Evaluate());
  else if (count > 0) assignArguments(link, proc);
  proc->NeedResult = NeedResult;
  Variant result = proc->GetValue();
  if (varParams_ < 0) varParams_ = proc->HasVarParams() ? 1 : 0;
  if (varParams_) writeBackArguments(link, proc, [&restore] { restore.now(); });
  return result;
}

TfsVariableDesignator::TfsVariableDesignator(TfsScript* script, TfsCustomVariable* variable)
    : TfsDesignator(script), variable_(variable) {}

Variant TfsStringDesignator::GetValue() {
  TfsCustomVariable* var = Items[0]->Ref;
  const int index = Items[1]->Args.at(0)->GetValue().ToInt();
  const Variant value = var->GetValue();
  const QString& s = value.IsString() ? value.AsString() : QString();
  if (index < 1 || index > s.size()) stringIndexError(index, s.size());
  return Variant(QString(s[index - 1]));
}

void TfsStringDesignator::SetValue(const Variant& value) {
  TfsCustomVariable* var = Items[0]->Ref;
  const int index = Items[1]->Args.at(0)->GetValue().ToInt();
  const QString text = value.ToString();
  if (text.isEmpty())
    throw RunError(error_class::ConvertError, QStringLiteral("Could not convert variant of type (String) into type (Char)"));
  if (var->ReadsStoredValue() && var->Value.IsString()) {
    if (var->IsReadOnly) return;
    QString& s = var->Value.AsString();
    if (index < 1 || index > s.size()) stringIndexError(index, s.size());
    s[index - 1] = text[0];
    return;
  }
  QString s = var->GetValue().ToString();
  if (index < 1 || index > s.size()) stringIndexError(index, s.size());
  s[index - 1] = text[0];
  var->SetValue(Variant(std::move(s)));
}

int TfsArrayDesignator::indexes(int* out) {
  const auto& args = Items[1]->Args;
  int n = 0;
  for (const auto& a : args) {
    const Variant v = a->GetValue();
    if (v.IsNull()) break;  // optional indexes not given
    if (n == 16) break;
    out[n++] = v.ToInt();
  }
  return n;
}

Variant TfsArrayDesignator::GetValue() {
  int idx[16];
  const int n = indexes(idx);
  TfsCustomVariable* var = Items[0]->Ref;
  if (var->ReadsStoredValue()) {
    const Variant& array = var->Value;
    if (!array.IsArray())
      throw RunError(error_class::InvalidOperation,
                     QStringLiteral("Value of type (%1) is not an array").arg(Variant::KindName(array.Kind())));
    return array.AsArray().At(idx, n);
  }
  const Variant array = var->GetValue();
  if (!array.IsArray())
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Value of type (%1) is not an array").arg(Variant::KindName(array.Kind())));
  return array.AsArray().At(idx, n);
}

void TfsArrayDesignator::SetValue(const Variant& value) {
  int idx[16];
  const int n = indexes(idx);
  TfsCustomVariable* var = Items[0]->Ref;
  const auto check = [](const Variant& array) {
    if (!array.IsArray())
      throw RunError(error_class::InvalidOperation,
                     QStringLiteral("Value of type (%1) is not an array").arg(Variant::KindName(array.Kind())));
  };
  if (var->ReadsStoredValue() && !var->IsReadOnly) {
    check(var->Value);
    var->Value.ArrayForWrite().Put(idx, n, value);
    return;
  }
  Variant array = var->GetValue();
  check(array);
  array.ArrayForWrite().Put(idx, n, value);
  var->SetValue(array);
}

}  // namespace valmoro::script
