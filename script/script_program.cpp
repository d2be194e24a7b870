// TfsScript: symbol table, registration, compiling into the program tree,
// running and evaluating. (The source-text members are in script.cpp.)

#include <QWidget>
#include <new>

#include "designator.h"
#include "expression.h"
#include "host_classes.h"
#include "il_parser.h"
#include "language_registry.h"
#include "memory_limits.h"
#include "program_builder.h"
#include "program_messages.h"
#include "run_error.h"
#include "script.h"
#include "statements.h"

namespace valmoro::script {

namespace {

// Stamped on the items the runtime library adds.
const char kRuntimeLibraryMarker = 0;

bool holdsValue(TfsCustomVariable::ItemKind kind) {
  return kind == TfsCustomVariable::ItemKind::Variable || kind == TfsCustomVariable::ItemKind::StringVariable ||
         kind == TfsCustomVariable::ItemKind::Param;
}

// A type name given by a host: registered types and classes give their
// code, any other name counts as a class name.
TfsTypeRec hostType(const TfsScript* script, const QString& typeName) {
  try {
    return script->ResolveType(typeName);
  } catch (const ScriptError&) {
    return {fvtClass, typeName};
  }
}

int lineOf(const QString& position) {
  const qsizetype colon = position.indexOf(QLatin1Char(':'));
  return (colon < 0 ? position : position.left(colon)).toInt();
}

}  // namespace

TfsScript::TfsScript(TfsScript* parent)
    : ParentScript(parent), mainBlock_(std::make_unique<TfsStatement>(this, QString(), QString())) {}

TfsScript::~TfsScript() {
  if (onRunLine_) --runLineHandlers_;
  // Statements first: they refer to the items.
  mainBlock_.reset();
  for (size_t i = symbols_.size(); i-- > 0;)
    if (symbols_[i].owned) delete symbols_[i].item;
}

// ---- Symbols ---------------------------------------------------------------------------

void TfsScript::addSymbol(const QString& name, TfsItemList* item, bool owned) {
  const QString upper = name.toUpper();
  symbols_.push_back({upper, item, owned});
  if (auto* v = dynamic_cast<TfsCustomVariable*>(item)) {
    v->AddedBy = AddedByOwner;
    if (!upper.isEmpty()) index_.insert(upper, v);
    if (holdsValue(v->Kind())) localValues_.push_back(v);
    if (v->Kind() == TfsCustomVariable::ItemKind::Class) {
      auto* c = static_cast<TfsClassVariable*>(v);
      if (c->ClassRef) classIndex_.insert(c->ClassRef, c);
    }
  }
}

void TfsScript::rebuildClassIndex() {
  classIndex_.clear();
  for (const Symbol& s : symbols_)
    if (auto* c = dynamic_cast<TfsClassVariable*>(s.item); c && c->ClassRef) classIndex_.insert(c->ClassRef, c);
}

std::vector<const TfsMethodHelper*> TfsScript::FunctionItems() const {
  std::vector<const TfsMethodHelper*> functions;
  for (const Symbol& s : symbols_) {
    const auto* method = dynamic_cast<const TfsMethodHelper*>(s.item);
    if (method && !method->ClassItem && index_.value(s.upperName) == method) functions.push_back(method);
  }
  return functions;
}

void TfsScript::AddSymbol(const QString& name, TfsItemList* item) { addSymbol(name, item, true); }

void TfsScript::AddSymbolUnowned(const QString& name, TfsItemList* item) { addSymbol(name, item, false); }

void TfsScript::reindex(const QString& upperName) {
  if (upperName.isEmpty()) return;
  index_.remove(upperName);
  // The latest item of the name is the one found.
  for (size_t i = symbols_.size(); i-- > 0;)
    if (symbols_[i].upperName == upperName)
      if (auto* v = dynamic_cast<TfsCustomVariable*>(symbols_[i].item)) {
        index_.insert(upperName, v);
        return;
      }
}

void TfsScript::RemoveSymbol(TfsItemList* item) {
  for (size_t i = symbols_.size(); i-- > 0;) {
    if (symbols_[i].item != item) continue;
    const QString name = symbols_[i].upperName;
    symbols_.erase(symbols_.begin() + std::ptrdiff_t(i));
    reindex(name);
    std::erase(localValues_, static_cast<TfsCustomVariable*>(dynamic_cast<TfsCustomVariable*>(item)));
    rebuildClassIndex();
    return;
  }
}

void TfsScript::freeWhere(const std::function<bool(const TfsItemList*)>& predicate) {
  std::vector<Symbol> kept;
  std::vector<Symbol> freed;
  for (Symbol& s : symbols_) (predicate(s.item) ? freed : kept).push_back(s);
  symbols_ = std::move(kept);
  index_.clear();
  localValues_.clear();
  for (const Symbol& s : symbols_)
    if (auto* v = dynamic_cast<TfsCustomVariable*>(s.item)) {
      if (!s.upperName.isEmpty()) index_.insert(s.upperName, v);
      if (holdsValue(v->Kind())) localValues_.push_back(v);
    }
  rebuildClassIndex();
  for (size_t i = freed.size(); i-- > 0;)
    if (freed[i].owned) delete freed[i].item;
}

TfsCustomVariable* TfsScript::FindLocalSymbol(const QString& name) const { return index_.value(name.toUpper()); }

TfsCustomVariable* TfsScript::FindSymbol(const QString& name) const {
  const QString upper = name.toUpper();
  for (const TfsScript* s = this; s; s = s->ParentScript)
    if (TfsCustomVariable* item = s->index_.value(upper)) return item;
  return nullptr;
}

TfsClassVariable* TfsScript::FindClassItem(const QString& name) const {
  TfsCustomVariable* item = FindSymbol(name);
  return item && item->Kind() == TfsCustomVariable::ItemKind::Class ? static_cast<TfsClassVariable*>(item) : nullptr;
}

void TfsScript::ClearProgram() {
  mainBlock_->Clear();
  codeLines_.clear();
  freeWhere([](const TfsItemList* item) {
    if (dynamic_cast<const TfsRTTIModule*>(item)) return false;
    const auto* v = dynamic_cast<const TfsCustomVariable*>(item);
    return !(v && v->AddedBy == &kRuntimeLibraryMarker);
  });
  ErrorText.clear();
  ErrorPosition.clear();
  ErrorUnitName.clear();
}

void TfsScript::ClearProgramOf(const void* owner) {
  mainBlock_->Clear();
  codeLines_.clear();
  freeWhere([owner](const TfsItemList* item) {
    const auto* v = dynamic_cast<const TfsCustomVariable*>(item);
    return v && v->AddedBy == owner;
  });
}

TfsClassVariable* TfsScript::FindClassItemOf(const QMetaObject* classType) const {
  for (const QMetaObject* mo = classType; mo; mo = mo->superClass())
    for (const TfsScript* s = this; s; s = s->ParentScript)
      if (TfsClassVariable* c = s->classIndex_.value(mo)) return c;
  return nullptr;
}

TfsTypeRec TfsScript::ResolveType(const QString& typeName) const {
  if (TfsCustomVariable* item = FindSymbol(typeName)) {
    switch (item->Kind()) {
      case TfsCustomVariable::ItemKind::Type:
        return {item->Typ, typeName};
      case TfsCustomVariable::ItemKind::Class:
        return {fvtClass, item->Name()};
      default:
        if (item->Typ == fvtEnum) return {fvtEnum, item->Name()};
        break;
    }
  }
  throw ScriptError(ProgramMessageQuoted(SUnknownType, typeName));
}

// ---- Registration -------------------------------------------------------------------------

TfsCustomVariable* TfsScript::AddTypeItem(const QString& name, TfsVarType typ) {
  if (TfsCustomVariable* existing = FindLocalSymbol(name)) return existing;
  auto* item = new TfsTypeVariable(name, typ, name);
  AddSymbol(name, item);
  return item;
}

TfsClassVariable* TfsScript::AddClassItem(const QMetaObject* classType, const QString& ancestor,
                                          const QString& className) {
  const QString name = className.isEmpty() ? ScriptClassName(classType) : className;
  if (FindLocalSymbol(name)) return nullptr;
  auto* item = new TfsClassVariable(classType, name, ancestor, this);
  if (TfsClassVariable* parent = FindClassItem(ancestor)) item->DefProperty = parent->DefProperty;
  AddSymbol(name, item);
  return item;
}

void TfsScript::AddConstItem(const QString& name, const QString& typeName, const Variant& value) {
  if (FindLocalSymbol(name)) return;
  const TfsTypeRec type = hostType(this, typeName);
  auto* item = new TfsVariable(name, type.Typ, type.TypeName);
  item->Value = value;
  item->IsReadOnly = true;
  AddSymbol(name, item);
}

void TfsScript::AddVariableItem(const QString& name, const QString& typeName, const Variant& value) {
  if (FindLocalSymbol(name)) return;
  const TfsTypeRec type = hostType(this, typeName);
  auto* item = new TfsVariable(name, type.Typ, type.TypeName);
  // Null or Empty stays as given; anything else takes the variable's type.
  if (value.IsVoid()) item->Value = value;
  else item->SetValue(value);
  item->OnGetVarValue = OnGetVarValue;
  AddSymbol(name, item);
}

void TfsScript::AddObjectItem(const QString& name, QObject* object) {
  // The nearest registered class names the type.
  QString className = object ? ScriptClassName(object->metaObject()) : QStringLiteral("TObject");
  if (TfsClassVariable* c = object ? FindClassItemOf(object->metaObject()) : nullptr) className = c->Name();
  AddVariableItem(name, className, Variant::FromObject(object));
}

void TfsScript::AddEnumItems(const QString& typeName, const QString& names) {
  if (!FindLocalSymbol(typeName)) AddSymbol(typeName, new TfsVariable(typeName, fvtEnum, typeName));
  int value = 0;
  for (const QString& n : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString name = n.trimmed();
    if (name.isEmpty()) continue;
    if (!FindLocalSymbol(name)) {
      auto* item = new TfsVariable(name, fvtEnum, typeName);
      item->Value = Variant(value);
      item->IsReadOnly = true;
      AddSymbol(name, item);
    }
    ++value;
  }
}

void TfsScript::AddEnumSetItems(const QString& typeName, const QString& names) {
  if (!FindLocalSymbol(typeName)) AddSymbol(typeName, new TfsVariable(typeName, fvtEnum, typeName));
  qint64 value = 1;
  for (const QString& n : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString name = n.trimmed();
    if (name.isEmpty()) continue;
    if (!FindLocalSymbol(name)) {
      auto* item = new TfsVariable(name, fvtEnum, typeName);
      item->Value = Variant::FromInt64(value);
      item->IsReadOnly = true;
      AddSymbol(name, item);
    }
    value <<= 1;
  }
}

TfsMethodHelper* TfsScript::AddMethodItem(const QString& declaration, TfsCallMethodEvent handler,
                                          const QString& category, const QString& description) {
  std::unique_ptr<TfsMethodHelper> method = ParseMethodDeclaration(declaration, this);
  method->OnCall = std::move(handler);
  method->Category = category;
  if (!description.isEmpty()) method->Description = description;
  TfsMethodHelper* raw = method.get();
  AddSymbol(raw->Name(), method.release());
  return raw;
}

TfsMethodHelper* TfsScript::AddMethodItem(const QString& declaration, TfsCallMethodCallerEvent handler,
                                          const QString& category, const QString& description) {
  std::unique_ptr<TfsMethodHelper> method = ParseMethodDeclaration(declaration, this);
  method->OnCallCaller = std::move(handler);
  method->Category = category;
  if (!description.isEmpty()) method->Description = description;
  TfsMethodHelper* raw = method.get();
  AddSymbol(raw->Name(), method.release());
  return raw;
}

void TfsScript::AddFormItem(QObject* form) { AddComponentItem(form); }

void TfsScript::AddComponentItem(QObject* component) {
  if (!component) return;
  TfsClassVariable* cls = FindClassItemOf(component->metaObject());
  if (cls && cls->ClassRef != component->metaObject()) cls = nullptr;
  if (!cls) {
    const auto* widget = qobject_cast<const QWidget*>(component);
    const QString ancestor = widget ? (widget->isWindow() ? QStringLiteral("TForm") : QStringLiteral("TFrame"))
                                    : QStringLiteral("TDataModule");
    cls = AddClassItem(component->metaObject(), ancestor);
  }
  if (cls) {
    for (QObject* child : component->children())
      if (!child->objectName().isEmpty()) {
        const TfsClassVariable* childClass = FindClassItemOf(child->metaObject());
        cls->AddComponent(child->objectName(),
                          childClass ? childClass->Name() : ScriptClassName(child->metaObject()));
      }
  }
  if (!component->objectName().isEmpty()) AddObjectItem(component->objectName(), component);
}

void TfsScript::RemoveEventAdaptors(QObject* instance, const QString& eventName) {
  freeWhere([&](const TfsItemList* item) {
    const auto* e = dynamic_cast<const TfsCustomEvent*>(item);
    return e && e->Instance() == instance && e->EventName().compare(eventName, Qt::CaseInsensitive) == 0;
  });
}

void TfsScript::AddRuntimeLibrary() {
  if (RuntimeLibraryAdded) return;
  const void* saved = AddedByOwner;
  AddedByOwner = &kRuntimeLibraryMarker;
  try {
    for (const TfsModuleFactory& factory : RegisteredModules())
      if (std::unique_ptr<TfsRTTIModule> module = factory(this)) AddSymbol(QString(), module.release());
  } catch (...) {
    AddedByOwner = saved;
    throw;
  }
  AddedByOwner = saved;
  RuntimeLibraryAdded = true;
}

void TfsScript::RemoveRuntimeLibrary() {
  freeWhere([](const TfsItemList* item) {
    if (dynamic_cast<const TfsRTTIModule*>(item)) return true;
    const auto* v = dynamic_cast<const TfsCustomVariable*>(item);
    return v && v->AddedBy == &kRuntimeLibraryMarker;
  });
  RuntimeLibraryAdded = false;
}

void TfsScript::SetVariableValue(const QString& name, const Variant& value) {
  if (TfsCustomVariable* item = FindSymbol(name)) item->SetValue(value);
  else AddVariableItem(name, QStringLiteral("Variant"), value);
}

// ---- Code lines and run-line notification ----------------------------------------------------

void TfsScript::RecordCodeLine(const QString& unitName, const QString& position) {
  const int line = lineOf(position);
  if (line > 0) codeLines_[unitName.toUpper()].insert(line);
}

bool TfsScript::IsCodeLine(int line, const QString& unitName) const {
  return codeLines_.value(unitName.toUpper()).contains(line);
}

void TfsScript::SetOnRunLine(TfsRunLineEvent handler) {
  const bool had = bool(onRunLine_);
  onRunLine_ = std::move(handler);
  const bool has = bool(onRunLine_);
  if (has && !had) ++runLineHandlers_;
  if (had && !has) --runLineHandlers_;
}

void TfsScript::NotifyRunLine(const QString& unitName, const QString& position) {
  for (TfsScript* s = this; s; s = s->ParentScript)
    if (s->onRunLine_) {
      s->onRunLine_(this, unitName, position);
      return;
    }
}

TfsScript* TfsScript::MainScript() {
  TfsScript* s = this;
  while (!s->IsMainScript && s->ParentScript) s = s->ParentScript;
  return s;
}

// ---- Compiling and running --------------------------------------------------------------------

bool TfsScript::CompileSource() {
  ErrorText.clear();
  ErrorPosition.clear();
  ErrorUnitName.clear();
  TfsILParser parser(this);
  try {
    parser.SelectLanguage(SyntaxType);
    const bool parsed = parser.BuildProgramXml(SourceText());
    if (parsed && ErrorText.isEmpty()) {
      TfsProgramBuilder builder(this, parser.NeedDeclareVars(), parser.GrammarRoot());
      try {
        builder.BuildProgram(parser.ProgramXml().Root());
      } catch (const ScriptError& e) {
        ErrorText = e.message();
        ErrorPosition = builder.ErrorPosition();
        ErrorUnitName = builder.UnitName();
      }
    }
  } catch (const ScriptError& e) {
    ErrorText = e.message();
  }
  if (ErrorText.isEmpty()) ErrorPosition.clear();
  return ErrorText.isEmpty();
}

namespace {

// Every control flag back to rest when a run or a call ends; break and
// continue too, so that one left outside a loop cannot reach the next run.
void clearFlags(TfsScript* s) {
  s->ExitRequested = s->StopRequested = s->BreakRequested = s->ContinueRequested = false;
}

}  // namespace

void TfsScript::RunMain() {
  clearFlags(this);
  Running = true;
  IsMainScript = true;
  struct Done {
    TfsScript* s;
    ~Done() {
      clearFlags(s);
      s->Running = false;
    }
  } done{this};
  try {
    mainBlock_->Execute();
  } catch (const std::bad_alloc&) {
    OutOfMemory();  // the host gets a script error, not a failure of its own
  }
}

void TfsScript::StopRun() {
  StopRequested = true;
  ExitRequested = true;
  for (const Symbol& s : symbols_)
    if (auto* v = dynamic_cast<TfsCustomVariable*>(s.item); v && v->Kind() == TfsCustomVariable::ItemKind::Proc)
      static_cast<TfsProcVariable*>(v)->Prog()->StopRun();
}

namespace {

Variant callRoutine(TfsScript* script, const QString& name, Variant* arguments, bool byRef) {
  TfsCustomVariable* item = script->FindLocalSymbol(name);
  if (!item || item->Kind() != TfsCustomVariable::ItemKind::Proc) return Variant::Null();
  auto* proc = static_cast<TfsProcVariable*>(item);
  int count = 0;
  if (arguments && arguments->IsArray()) {
    const VariantArray& a = arguments->AsArray();
    count = a.DimCount() == 1 ? a.High() - a.Low() + 1 : 0;
    if (count > proc->Count())
      throw RunError(error_class::InvalidOperation, ProgramMessage(STooManyParams));
  }
  // A routine running now keeps its variables for when this call is done.
  const bool recursive = proc->Executing;
  if (recursive) proc->SaveLocals();
  struct Restore {
    TfsProcVariable* proc;
    bool active;
    ~Restore() {
      if (active) proc->RestoreLocals();
    }
  } restore{proc, recursive};
  if (count > 0) {
    const VariantArray& a = arguments->AsArray();
    for (int i = 0; i < count; ++i) proc->Params(i)->SetValue(a.At(a.Low() + i));
  }
  Variant result = proc->GetValue();
  if (byRef && count > 0) {
    VariantArray& a = arguments->ArrayForWrite();
    const int low = a.Low();
    for (int i = 0; i < count; ++i) a.Put(low + i, proc->Params(i)->Value);
  }
  return result;
}

}  // namespace

Variant TfsScript::CallRoutine(const QString& name, const Variant& arguments) {
  Variant copy = arguments;
  return callRoutine(this, name, &copy, false);
}

Variant TfsScript::CallRoutineByRef(const QString& name, Variant& arguments) {
  return callRoutine(this, name, &arguments, true);
}

Variant TfsScript::EvaluateText(const QString& text) {
  EvaluationFailed = false;
  Variant result = Variant::Null();
  TfsScript* context = ActiveRoutineScript ? ActiveRoutineScript : this;

  const QString language = SyntaxType;
  QString source;
  if (language.compare(QLatin1String("PascalScript"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("function fsEvaluateFUNC: Variant; begin Result := ") + text +
             QStringLiteral(" end; begin end.");
  else if (language.compare(QLatin1String("C++Script"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("Variant fsEvaluateFUNC() { return ") + text + QStringLiteral("; } {}");
  else if (language.compare(QLatin1String("BasicScript"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("function fsEvaluateFUNC\r\nreturn ") + text + QStringLiteral("\r\nend function");
  else if (language.compare(QLatin1String("JScript"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("function fsEvaluateFUNC() { return (") + text + QStringLiteral("); }");
  else {
    GrammarForLanguage(language);  // raises for a language that is not registered
    return result;
  }

  TfsScript temp(context);
  if (!context->RuntimeLibraryAdded) temp.AddRuntimeLibrary();
  temp.OnGetVarValue = context->OnGetVarValue;
  temp.SyntaxType = language;
  temp.Lines = SplitSourceLines(source);
  // The evaluation is no statement of this script: no run-line events.
  struct KeepRunLine {
    TfsScript* s;
    TfsRunLineEvent saved;
    ~KeepRunLine() { s->SetOnRunLine(std::move(saved)); }
  } keep{this, onRunLine_};
  SetOnRunLine({});

  if (temp.CompileSource()) {
    TfsCustomVariable* function = temp.FindLocalSymbol(QStringLiteral("fsEvaluateFUNC"));
    if (function) result = function->GetValue();
  } else {
    result = Variant(temp.ErrorText);
    EvaluationFailed = true;
  }
  return result;
}

}  // namespace valmoro::script
