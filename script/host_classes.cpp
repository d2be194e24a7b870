#include "host_classes.h"

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QReadWriteLock>
#include <QRegularExpression>
#include <QStringList>
#include <stdexcept>

#include "expression.h"
#include "memory_limits.h"
#include "program_messages.h"
#include "run_error.h"
#include "statements.h"
#include "sys_functions.h"
#include "tokenizer.h"

namespace valmoro::script {

namespace {

// A failure of the host behind a handler (a report or database error) reaches
// the script as an Exception it can catch, a failed allocation as
// EOutOfMemory; script errors pass unchanged.
[[noreturn]] void rethrowAsScriptError() {
  try {
    throw;
  } catch (const ScriptError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw RunError(error_class::Exception, QString::fromUtf8(e.what()));
  } catch (const std::bad_alloc&) {
    OutOfMemory();
  }
}

// A type name of a declaration: a registered type or class gives its code,
// anything else counts as a class name (declarations name classes that may
// be registered later).
TfsTypeRec declaredType(const QString& name, TfsScript* script) {
  if (name.isEmpty()) return {fvtVariant, QStringLiteral("Variant")};
  if (script) {
    if (TfsCustomVariable* item = script->FindSymbol(name)) {
      if (item->Kind() == TfsCustomVariable::ItemKind::Type || item->Kind() == TfsCustomVariable::ItemKind::Class ||
          item->Typ == fvtEnum)
        return {item->Typ, item->Kind() == TfsCustomVariable::ItemKind::Class ? item->Name() : name};
    }
  }
  return {fvtClass, name};
}

// A default value's text: a string, a number (a leading "-" negates) or the
// name of a known constant or variable.
bool readDefault(TfsParser& p, TfsScript* script, Variant* out) {
  p.SkipBlanks();
  bool negative = false;
  if (p.CharAt(p.Position()) == QLatin1Char('-')) {
    p.ReadSymbol();
    negative = true;
  }
  const QString str = p.ReadString();
  if (!str.isEmpty() && !negative) {
    *out = Variant(str.mid(1, str.size() - 2));
    return true;
  }
  const QString number = p.ReadNumber();
  if (!number.isEmpty()) {
    Variant n;
    QString text = number;
    if (!Variant::ParseNumber(text, &n)) return false;
    *out = negative ? VarNeg(n) : n;
    return true;
  }
  if (negative) return false;
  const QString word = p.ReadWord().toString();
  if (word.isEmpty() || !script) return false;
  TfsCustomVariable* item = script->FindSymbol(word);
  if (!item || (item->Kind() != TfsCustomVariable::ItemKind::Variable &&
                item->Kind() != TfsCustomVariable::ItemKind::StringVariable))
    return false;
  *out = item->GetValue();
  return true;
}

[[noreturn]] void badDeclaration(const QString& declaration) {
  throw ScriptError(QStringLiteral("Invalid declaration: %1").arg(declaration));
}

}  // namespace

std::unique_ptr<TfsMethodHelper> ParseMethodDeclaration(const QString& declaration, TfsScript* script) {
  TfsParser p;
  if (script && script->ExtendedIdentChars)
    for (int c = 128; c < 256; ++c) p.IdentChars.set(size_t(c));
  p.SetText(declaration);
  QString kind = p.ReadWord().toString().toLower();
  bool macro = false;
  if (kind.startsWith(QLatin1String("macro"))) {
    macro = true;
    kind = kind.mid(5);
  }
  const QString name = p.ReadWord().toString();
  if (name.isEmpty() || (kind != u"function" && kind != u"procedure" && kind != u"constructor"))
    badDeclaration(declaration);

  TfsTypeRec result{fvtClass, QString()};
  if (kind == u"function") {
    const qsizetype colon = declaration.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) badDeclaration(declaration);
    TfsParser tp;
    tp.IdentChars = p.IdentChars;
    tp.SetText(declaration.mid(colon + 1));
    result = declaredType(tp.ReadWord().toString(), script);
  } else if (kind == u"constructor") {
    result = {fvtConstructor, QStringLiteral("Constructor")};
  }
  auto method = std::make_unique<TfsMethodHelper>(name, result.Typ, result.TypeName);
  method->IsMacro = macro;
  method->IsConstructor = kind == u"constructor";
  method->Declaration = declaration;
  method->Description = name;

  p.SkipBlanks();
  if (p.CharAt(p.Position()) == QLatin1Char('(')) {
    p.ReadSymbol();
    for (;;) {
      bool byRef = false;
      QStringList names;
      QString typeName;
      Variant defaultValue = Variant::Null();
      bool hasDefault = false;
      // One group: [var|const] names : type [= default]
      for (;;) {
        p.SkipBlanks();
        const QChar c = p.CharAt(p.Position());
        if (c == QLatin1Char(',')) {
          p.ReadSymbol();
          continue;
        }
        if (c == QLatin1Char(':') || c == QLatin1Char(';') || c == QLatin1Char(')') || c.isNull()) break;
        const QString word = p.ReadWord().toString();
        if (word.isEmpty()) badDeclaration(declaration);
        if (word.compare(QLatin1String("var"), Qt::CaseInsensitive) == 0) byRef = true;
        else if (word.compare(QLatin1String("const"), Qt::CaseInsensitive) != 0) names << word;
      }
      p.SkipBlanks();
      if (p.CharAt(p.Position()) == QLatin1Char(':')) {
        p.ReadSymbol();
        typeName = p.ReadWord().toString();
        p.SkipBlanks();
        if (p.CharAt(p.Position()) == QLatin1Char('=')) {
          p.ReadSymbol();
          hasDefault = readDefault(p, script, &defaultValue);
        }
      }
      const TfsTypeRec type = declaredType(typeName, script);
      for (qsizetype i = 0; i < names.size(); ++i) {
        const bool optional = hasDefault && i == names.size() - 1;
        auto param = std::make_unique<TfsParamItem>(names[i], type.Typ, type.TypeName, optional, byRef);
        if (optional) param->DefValue = defaultValue;
        method->AddParam(std::move(param));
      }
      // Skip to the end of the group.
      p.SkipBlanks();
      while (!p.CharAt(p.Position()).isNull() && p.CharAt(p.Position()) != QLatin1Char(';') &&
             p.CharAt(p.Position()) != QLatin1Char(')'))
        p.SetPosition(p.Position() + 1);
      const QChar end = p.CharAt(p.Position());
      if (end.isNull()) break;
      p.ReadSymbol();
      if (end == QLatin1Char(')')) break;
    }
  }
  return method;
}

// ---- Instances ---------------------------------------------------------------------

namespace {

// The object a member acts on: none for global functions; for class members
// the parent value, which must be a live object of the member's class
// (constructors and class references excepted).
QObject* instanceOf(TfsCustomHelper* helper, bool required) {
  if (!helper->ClassItem) return nullptr;
  const Variant& parent = helper->ParentValue;
  QObject* object = nullptr;
  switch (parent.Kind()) {
    case VarKind::Object:
      object = parent.AsObject();
      break;
    case VarKind::Empty:
    case VarKind::Null:
      break;
    default:
      if (parent.IsInteger() && parent.ToInt64() == 0) break;
      throw RunError(error_class::InvalidOperation, QStringLiteral("Value of type (%1) is not an object ('%2')")
                                                        .arg(Variant::KindName(parent.Kind()), helper->Name()));
  }
  if (!object) {
    if (required)
      throw RunError(error_class::InvalidOperation,
                     QStringLiteral("Cannot use '%1.%2' of a nil object").arg(helper->ClassItem->Name(), helper->Name()));
    return nullptr;
  }
  if (!helper->ClassItem->IsInstance(object))
    throw RunError(error_class::InvalidOperation, QStringLiteral("Object of class %1 is not a %2 ('%3')")
                                                      .arg(ScriptNameOf(helper->Prog, object),
                                                           helper->ClassItem->Name(), helper->Name()));
  return object;
}

const QMetaObject* classOf(TfsCustomHelper* helper) {
  // A constructor reached through a derived class builds that class.
  if (helper->ParentRef && helper->ParentRef->Kind() == TfsCustomVariable::ItemKind::Class)
    return static_cast<TfsClassVariable*>(helper->ParentRef)->ClassRef;
  return helper->ClassItem ? helper->ClassItem->ClassRef : nullptr;
}

}  // namespace

// ---- TfsMethodHelper -----------------------------------------------------------------

TfsMethodHelper::TfsMethodHelper(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsCustomHelper(name, typ, typeName) {
  IsReadOnly = true;
}

Variant TfsMethodHelper::call(const QString& name, const Variant* newValue) try {
  QObject* instance = instanceOf(this, !IsConstructor);
  const QMetaObject* cls = classOf(this);
  if (OnCallCaller) {
    newValue_ = newValue ? *newValue : Variant();
    return OnCallCaller(instance, cls, name, this);
  }
  if (OnCall) {
    std::vector<Variant> values;
    values.reserve(size_t(Count()) + 1);
    for (int i = 0; i < Count(); ++i) values.push_back(Params(i)->Value);
    if (newValue) values.push_back(*newValue);
    Variant params = Variant::FromArray(VariantArray::Of(std::move(values)));
    Variant result = OnCall(instance, cls, name, params);
    if (params.IsArray()) {
      const VariantArray& back = params.AsArray();
      for (int i = 0; i < Count() && size_t(i) < back.Size(); ++i)
        if (Params(i)->IsVarParam) Params(i)->Value = back.Elements()[size_t(i)];
    }
    return result;
  }
  if (IsConstructor && cls) {
    // A class with an invokable default constructor needs no handler.
    if (QObject* created = cls->newInstance()) return Variant::FromObject(created);
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Class %1 cannot be created").arg(ScriptClassName(cls)));
  }
  return Variant(0);
} catch (...) {
  rethrowAsScriptError();
}

Variant TfsMethodHelper::GetValue() {
  return call(IndexMethod ? UpperName() + QLatin1String(".GET") : UpperName(), nullptr);
}

void TfsMethodHelper::SetValue(const Variant& value) {
  if (!IndexMethod || IsReadOnly) return;
  call(UpperName() + QLatin1String(".SET"), &value);
}

// ---- TfsPropertyHelper ------------------------------------------------------------------

TfsPropertyHelper::TfsPropertyHelper(const QString& name, TfsVarType typ, const QString& typeName)
    : TfsCustomHelper(name, typ, typeName) {}

Variant TfsPropertyHelper::GetValue() try {
  QObject* instance = instanceOf(this, true);
  if (IsPublished) {
    Variant value = FromQVariant(Property.read(instance));
    if (Typ == fvtBool && !value.IsVoid()) return Variant(value.ToBool());
    return value;
  }
  if (OnGetValue) return OnGetValue(instance, classOf(this), UpperName());
  return Variant(0);
} catch (...) {
  rethrowAsScriptError();
}

namespace {
PublishedWriteWatch& publishedWriteWatch() {
  static PublishedWriteWatch watch;
  return watch;
}
}  // namespace

void SetPublishedWriteWatch(PublishedWriteWatch watch) { publishedWriteWatch() = watch; }

void TfsPropertyHelper::SetValue(const Variant& value) try {
  if (IsReadOnly) return;
  QObject* instance = instanceOf(this, true);
  if (IsPublished) {
    QVariant v;
    if (Typ == fvtBool) v = QVariant(VarEquals(value, Variant(true)));
    else v = ToQVariant(value, Property.metaType());
    const PublishedWriteWatch& watch = publishedWriteWatch();
    const bool watched = watch.active && watch.written && instance && watch.active();
    const QVariant before = watched ? Property.read(instance) : QVariant();
    if (!Property.write(instance, v))
      throw RunError(error_class::ConvertError, QStringLiteral("Cannot set property '%1' of class %2")
                                                    .arg(Name(), ScriptNameOf(Prog, instance)));
    if (watched) watch.written(*instance, Property, before, Property.read(instance));
    return;
  }
  if (OnSetValue) OnSetValue(instance, classOf(this), UpperName(), value);
} catch (...) {
  rethrowAsScriptError();
}

// ---- TfsComponentHelper -------------------------------------------------------------------

TfsComponentHelper::TfsComponentHelper(const QString& name, const QString& className)
    : TfsCustomHelper(name, fvtClass, className) {
  IsReadOnly = true;
}

Variant TfsComponentHelper::GetValue() {
  QObject* owner = instanceOf(this, true);
  for (QObject* child : owner->children())
    if (child->objectName().compare(Name(), Qt::CaseInsensitive) == 0) return Variant::FromObject(child);
  return Variant::FromObject(nullptr);
}

// ---- Events -------------------------------------------------------------------------------

namespace {

// Every adaptor alive now (scripts run on the user-interface thread only).
std::vector<TfsCustomEvent*>& liveAdaptors() {
  static std::vector<TfsCustomEvent*> adaptors;
  return adaptors;
}

}  // namespace

TfsCustomEvent::TfsCustomEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : instance_(instance), handler_(handler), handlerName_(handler ? handler->Name() : QString()),
      eventName_(eventName) {
  liveAdaptors().push_back(this);
}

TfsCustomEvent::~TfsCustomEvent() { std::erase(liveAdaptors(), this); }

bool TfsCustomEvent::CallHandler(std::vector<Variant>& arguments) {
  std::weak_ptr<char> alive = alive_;
  TfsProcVariable* handler = handler_;
  if (!handler) return true;
  // The routine may have been freed with part of its program while the
  // adaptor stayed; it is then no longer the item of its name.
  if (owner_ && owner_->FindLocalSymbol(handlerName_) != handler) return true;
  // An event that arrives while its handler runs is dropped.
  if (handler->Executing) return true;
  const int n = std::min(handler->Count(), int(arguments.size()));
  for (int i = 0; i < n; ++i) handler->Params(i)->SetValue(arguments[size_t(i)]);
  handler->GetValue();
  for (int i = 0; i < n; ++i)
    if (handler->Params(i)->IsVarParam) arguments[size_t(i)] = handler->Params(i)->Value;
  return !alive.expired();
}

void TfsCustomEvent::RemoveAdaptors(QObject* instance, const QString& eventName) {
  std::vector<TfsCustomEvent*> doomed;
  for (TfsCustomEvent* e : liveAdaptors())
    if (e->Instance() == instance && e->EventName().compare(eventName, Qt::CaseInsensitive) == 0) doomed.push_back(e);
  for (TfsCustomEvent* e : doomed) {
    e->Disconnect();
    if (e->owner_) {
      e->owner_->RemoveSymbol(e);
      delete e;
    }
  }
}

TfsEventHelper::TfsEventHelper(const QString& name, TfsEventFactory factory)
    : TfsCustomHelper(name, fvtVariant, QStringLiteral("Variant")), factory_(std::move(factory)) {}

void TfsEventHelper::SetValue(const Variant& value) {
  QObject* instance = instanceOf(this, true);
  TfsScript* script = Prog;
  if (!script) return;
  script->RemoveEventAdaptors(instance, UpperName());
  // An adaptor made by another routine (or another script) for the same
  // event goes too.
  TfsCustomEvent::RemoveAdaptors(instance, UpperName());
  const QString text = value.ToString();
  if (text == u"0") return;
  TfsCustomVariable* item = script->FindSymbol(text);
  if (!item || item->Kind() != ItemKind::Proc)
    throw RunError(error_class::InvalidOperation, ProgramMessage(SEventError));
  if (!factory_) return;
  auto* handler = static_cast<TfsProcVariable*>(item);
  std::unique_ptr<TfsCustomEvent> adaptor = factory_(instance, handler, UpperName());
  if (!adaptor) return;
  adaptor->Connect();
  // The adaptor lives in the script that declares the routine, so that it
  // never outlives the routine's script.
  TfsScript* owner = handler->Prog() && handler->Prog()->ParentScript ? handler->Prog()->ParentScript : script;
  adaptor->SetOwnerScript(owner);
  owner->AddSymbol(QString(), adaptor.release());
}

// ---- TfsClassVariable ------------------------------------------------------------------------

TfsClassVariable::TfsClassVariable(const QMetaObject* classType, const QString& name, const QString& ancestor,
                                   TfsScript* script)
    : TfsCustomVariable(ItemKind::Class, name, fvtClass, name), ClassRef(classType), Ancestor(ancestor),
      Script(script) {
  auto param = std::make_unique<TfsParamItem>(QStringLiteral("Value"), fvtVariant, QStringLiteral("Variant"), true, false);
  AddParam(std::move(param));
  IsReadOnly = true;
  addPublishedProperties();
}

TfsClassVariable::~TfsClassVariable() = default;

Variant TfsClassVariable::GetValue() {
  TfsParamItem* p = Params(0);
  Variant cast = std::move(p->Value);
  p->Value = Variant::Null();
  return cast;
}

void TfsClassVariable::addMember(std::unique_ptr<TfsCustomHelper> member) {
  member->ClassItem = this;
  members_.push_back(std::move(member));
}

void TfsClassVariable::addPublishedProperties() {
  if (!ClassRef) return;
  // QObject's own objectName is not a property of the script classes.
  for (int i = QObject::staticMetaObject.propertyCount(); i < ClassRef->propertyCount(); ++i) {
    const QMetaProperty prop = ClassRef->property(i);
    TfsVarType typ = fvtVariant;
    QString typeName = QStringLiteral("Variant");
    const QMetaType mt = prop.metaType();
    if (IsIntegerValueType(mt)) {
      typ = fvtInt;
      typeName = QStringLiteral("Integer");
    } else if (prop.isEnumType()) {
      typ = fvtEnum;
      typeName = QString::fromLatin1(prop.enumerator().enumName());
    } else if (mt.flags() & QMetaType::PointerToQObject) {
      typ = fvtClass;
      // The class's registered name when it is registered under another.
      const TfsClassVariable* known = mt.metaObject() && Script ? Script->FindClassItemOf(mt.metaObject()) : nullptr;
      if (known && known->ClassRef != mt.metaObject()) known = nullptr;
      typeName = known ? known->Name() : mt.metaObject() ? ScriptClassName(mt.metaObject()) : QStringLiteral("TObject");
    } else {
      switch (mt.id()) {
        case QMetaType::Bool:
          typ = fvtBool;
          typeName = QStringLiteral("Boolean");
          break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
          typ = fvtInt;
          typeName = QStringLiteral("Integer");
          break;
        case QMetaType::Double:
        case QMetaType::Float:
          typ = fvtFloat;
          typeName = QStringLiteral("Extended");
          break;
        case QMetaType::QString:
          typ = fvtString;
          typeName = QStringLiteral("String");
          break;
        case QMetaType::QChar:
          typ = fvtChar;
          typeName = QStringLiteral("Char");
          break;
        default:
          break;
      }
    }
    auto helper = std::make_unique<TfsPropertyHelper>(QString::fromLatin1(prop.name()), typ, typeName);
    helper->IsPublished = true;
    helper->Property = prop;
    helper->IsReadOnly = !prop.isWritable();
    addMember(std::move(helper));
  }
}

TfsMethodHelper* TfsClassVariable::addMethod(const QString& declaration, bool constructor) {
  std::unique_ptr<TfsMethodHelper> method = ParseMethodDeclaration(declaration, Script);
  method->IsConstructor = method->IsConstructor || constructor;
  if (method->IsConstructor) {
    method->Typ = fvtConstructor;
    method->TypeName = QStringLiteral("Constructor");
  }
  TfsMethodHelper* raw = method.get();
  addMember(std::move(method));
  return raw;
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const QString& declaration, TfsCallMethodEvent handler) {
  TfsMethodHelper* m = addMethod(declaration, true);
  m->OnCall = std::move(handler);
  return m;
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const QString& declaration, TfsCallMethodCallerEvent handler) {
  TfsMethodHelper* m = addMethod(declaration, true);
  m->OnCallCaller = std::move(handler);
  return m;
}

TfsMethodHelper* TfsClassVariable::AddMethod(const QString& declaration, TfsCallMethodEvent handler) {
  TfsMethodHelper* m = addMethod(declaration, false);
  m->OnCall = std::move(handler);
  return m;
}

TfsMethodHelper* TfsClassVariable::AddMethod(const QString& declaration, TfsCallMethodCallerEvent handler) {
  TfsMethodHelper* m = addMethod(declaration, false);
  m->OnCallCaller = std::move(handler);
  return m;
}

TfsPropertyHelper* TfsClassVariable::AddProperty(const QString& name, const QString& typeName, TfsGetValueEvent getter,
                                                 TfsSetValueEvent setter) {
  const TfsTypeRec type = declaredType(typeName, Script);
  auto p = std::make_unique<TfsPropertyHelper>(name, type.Typ, type.TypeName);
  p->OnGetValue = std::move(getter);
  p->OnSetValue = std::move(setter);
  p->IsReadOnly = !p->OnSetValue;
  TfsPropertyHelper* raw = p.get();
  addMember(std::move(p));
  return raw;
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const QString& name, const QString& indexTypes,
                                                    const QString& typeName, TfsCallMethodEvent handler, bool readOnly) {
  const TfsTypeRec type = declaredType(typeName, Script);
  auto m = std::make_unique<TfsMethodHelper>(name, type.Typ, type.TypeName);
  const QStringList types = indexTypes.split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < types.size(); ++i) {
    const TfsTypeRec t = declaredType(types[i].trimmed(), Script);
    m->AddParam(std::make_unique<TfsParamItem>(QStringLiteral("Index%1").arg(i), t.Typ, t.TypeName, false, false));
  }
  m->IndexMethod = true;
  m->IsReadOnly = readOnly;
  m->OnCall = std::move(handler);
  m->Declaration = QStringLiteral("property %1[%2]: %3").arg(name, indexTypes, typeName);
  TfsMethodHelper* raw = m.get();
  addMember(std::move(m));
  return raw;
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const QString& name, const QString& indexTypes,
                                                      const QString& typeName, TfsCallMethodEvent handler,
                                                      bool readOnly) {
  TfsMethodHelper* m = AddIndexProperty(name, indexTypes, typeName, std::move(handler), readOnly);
  DefProperty = m;
  return m;
}

TfsEventHelper* TfsClassVariable::AddEvent(const QString& name, TfsEventFactory factory) {
  auto e = std::make_unique<TfsEventHelper>(name, std::move(factory));
  TfsEventHelper* raw = e.get();
  addMember(std::move(e));
  return raw;
}

TfsComponentHelper* TfsClassVariable::AddComponent(const QString& name, const QString& className) {
  if (auto* existing = dynamic_cast<TfsComponentHelper*>(Find(name))) return existing;
  auto c = std::make_unique<TfsComponentHelper>(name, className);
  TfsComponentHelper* raw = c.get();
  addMember(std::move(c));
  return raw;
}

TfsCustomHelper* TfsClassVariable::Find(const QString& name) const {
  // The last registered member of a name wins, so a module can replace one.
  for (size_t i = members_.size(); i-- > 0;)
    if (members_[i]->Name().compare(name, Qt::CaseInsensitive) == 0) return members_[i].get();
  return nullptr;
}

TfsCustomHelper* TfsClassVariable::FindMember(const QString& name) const {
  const TfsClassVariable* c = this;
  for (int guard = 0; c && guard < 256; ++guard) {
    if (TfsCustomHelper* m = c->Find(name)) return m;
    c = c->Ancestor.isEmpty() || !Script ? nullptr : Script->FindClassItem(c->Ancestor);
  }
  return nullptr;
}

bool TfsClassVariable::IsInstance(const QObject* object) const {
  if (!object) return false;
  if (ClassRef) return object->metaObject()->inherits(ClassRef);
  return true;
}

// ---- Module registry ---------------------------------------------------------------------------

namespace {

struct ModuleRegistry {
  QMutex mutex;
  std::vector<std::pair<QString, TfsModuleFactory>> modules;
};

ModuleRegistry& moduleRegistry() {
  static ModuleRegistry r;
  return r;
}

}  // namespace

void RegisterModule(const QString& name, TfsModuleFactory factory) {
  ModuleRegistry& r = moduleRegistry();
  QMutexLocker lock(&r.mutex);
  for (auto& m : r.modules)
    if (m.first == name) {
      m.second = std::move(factory);
      return;
    }
  r.modules.emplace_back(name, std::move(factory));
}

std::vector<TfsModuleFactory> RegisteredModules() {
  std::vector<TfsModuleFactory> out;
  // The built-in library always comes first.
  out.push_back([](TfsScript* script) { return CreateSysFunctions(script); });
  ModuleRegistry& r = moduleRegistry();
  QMutexLocker lock(&r.mutex);
  for (const auto& m : r.modules) out.push_back(m.second);
  return out;
}

QString ScriptNameOf(const TfsScript* script, const QObject* object) {
  if (!object) return QStringLiteral("nil");
  if (const TfsClassVariable* c = script ? script->FindClassItemOf(object->metaObject()) : nullptr;
      c && c->ClassRef == object->metaObject())
    return c->Name();
  return ScriptClassName(object->metaObject());
}

QString ScriptClassName(const QMetaObject* classType) {
  if (!classType) return QString();
  // Every script class descends from TObject, which Qt calls QObject.
  if (classType == &QObject::staticMetaObject) return QStringLiteral("TObject");
  const QString full = QString::fromLatin1(classType->className());
  const qsizetype colons = full.lastIndexOf(QLatin1String("::"));
  return colons < 0 ? full : full.mid(colons + 2);
}

// ---- Qt values ------------------------------------------------------------------------------------

namespace {

struct IntegerValueTypes {
  QReadWriteLock lock;
  QList<QMetaType> types;
};

IntegerValueTypes& integerValueTypes() {
  static IntegerValueTypes registered;
  return registered;
}

}  // namespace

void RegisterIntegerValueType(QMetaType type) {
  IntegerValueTypes& registered = integerValueTypes();
  QWriteLocker lock(&registered.lock);
  if (!registered.types.contains(type)) registered.types.append(type);
}

bool IsIntegerValueType(QMetaType type) {
  // Only types of the host's own: Qt's are answered by the switches below.
  if (type.id() < QMetaType::User) return false;
  IntegerValueTypes& registered = integerValueTypes();
  QReadLocker lock(&registered.lock);
  return registered.types.contains(type);
}

Variant FromQVariant(const QVariant& value) {
  if (!value.isValid()) return Variant::Null();
  const QMetaType mt = value.metaType();
  if (mt.flags() & QMetaType::PointerToQObject) return Variant::FromObject(value.value<QObject*>());
  if (mt.flags() & QMetaType::IsEnumeration) return Variant(value.toInt());
  switch (mt.id()) {
    case QMetaType::Bool:
      return Variant(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return Variant(value.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return Variant::FromInt64(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
      return Variant(value.toDouble());
    case QMetaType::QString:
      return Variant(value.toString());
    case QMetaType::QChar:
      return Variant(QString(value.toChar()));
    case QMetaType::QStringList:
      return Variant(value.toStringList().join(QLatin1String("\r\n")));
    case QMetaType::QDateTime:
      return Variant::FromDate(DateTimeToDays(value.toDateTime()));
    case QMetaType::QDate:
      return Variant::FromDate(DateTimeToDays(value.toDate().startOfDay()));
    default:
      break;
  }
  // As a quint32 above.
  if (IsIntegerValueType(mt)) return Variant::FromInt64(value.toLongLong());
  if (value.canConvert<QString>()) return Variant(value.toString());
  return Variant::Null();
}

QVariant ToQVariant(const Variant& value, QMetaType type) {
  if (type.flags() & QMetaType::PointerToQObject) {
    QVariant v = QVariant::fromValue(value.ToObject());
    v.convert(type);
    return v;
  }
  if (type.flags() & QMetaType::IsEnumeration) return QVariant(value.ToInt());
  switch (type.id()) {
    case QMetaType::Bool:
      return QVariant(value.ToBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
      return QVariant(value.ToInt());
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return QVariant(static_cast<qlonglong>(value.ToInt64()));
    case QMetaType::Double:
    case QMetaType::Float:
      return QVariant(value.ToDouble());
    case QMetaType::QString:
      return QVariant(value.ToString());
    case QMetaType::QChar: {
      const QString s = value.ToString();
      return QVariant(s.isEmpty() ? QChar() : s[0]);
    }
    case QMetaType::QStringList:
      return QVariant(value.ToString().split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))));
    case QMetaType::QDateTime:
      return QVariant(DaysToDateTime(value.ToDate()));
    default:
      break;
  }
  // As a quint32 above: the property's setter converts the number.
  if (IsIntegerValueType(type)) return QVariant(value.ToInt());
  switch (value.Kind()) {
    case VarKind::Boolean:
      return QVariant(value.AsBool());
    case VarKind::Integer:
      return QVariant(value.AsInt());
    case VarKind::Int64:
      return QVariant(static_cast<qlonglong>(value.AsInt64()));
    case VarKind::Double:
    case VarKind::Currency:
    case VarKind::Date:
      return QVariant(value.ToDouble());
    case VarKind::String:
      return QVariant(value.AsString());
    case VarKind::Object:
      return QVariant::fromValue(value.AsObject());
    default:
      return QVariant();
  }
}

}  // namespace valmoro::script
