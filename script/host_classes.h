#pragma once
// What the host registers in a script so that scripts reach the program:
// global functions, classes with constructors, methods, properties, indexed
// and default properties and events, and the modules that register them.
//
// Host classes are Qt classes: published properties are the Q_PROPERTYs of
// the class, read and written through Qt's meta-object system; the rest is
// registered explicitly with handlers. An instance reaches a handler only
// when it is alive and of the member's class; calling a member on nil or on
// an object of another class raises instead.

#include <QMetaObject>
#include <QMetaProperty>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "program_items.h"
#include "script.h"

namespace valmoro::script {

class TfsClassVariable;
class TfsProcVariable;

// Property handlers: (instance, class, upper-cased property name).
using TfsGetValueEvent = std::function<Variant(QObject* Instance, const QMetaObject* ClassType, const QString& PropName)>;
using TfsSetValueEvent =
    std::function<void(QObject* Instance, const QMetaObject* ClassType, const QString& PropName, const Variant& Value)>;

// Parses a declaration text ("function Copy(s: String; from, count:
// Integer): String", "macrofunction IIF(...)", "constructor Create") into a
// method item; ScriptError for a text that is no declaration.
std::unique_ptr<TfsMethodHelper> ParseMethodDeclaration(const QString& declaration, TfsScript* script);

// A host function or method.
class TfsMethodHelper : public TfsCustomHelper {
public:
  TfsMethodHelper(const QString& name, TfsVarType typ, const QString& typeName);

  Variant GetValue() override;
  // Writing an indexed property: the handler is called with ".SET".
  void SetValue(const Variant& value) override;

  QString Declaration;
  QString Category;
  QString Description;
  bool IsConstructor = false;
  bool IndexMethod = false;  // an indexed property
  TfsCallMethodEvent OnCall;
  TfsCallMethodCallerEvent OnCallCaller;

  // For handlers of the caller convention.
  Variant Arg(int index) const { return Params(index)->Value; }
  void SetArg(int index, const Variant& value) { Params(index)->Value = value; }
  // The value being written to an indexed property (".SET" calls).
  const Variant& NewValue() const { return newValue_; }

private:
  Variant call(const QString& name, const Variant* newValue);
  Variant newValue_;
};

// A property: published (through the meta-object) or served by handlers.
// Told of every published property a script sets, when `active` says
// someone listens (the report's change notification): the object, the
// property and its values before and after.
struct PublishedWriteWatch {
  bool (*active)() = nullptr;
  void (*written)(QObject& object, const QMetaProperty& property, const QVariant& before,
                  const QVariant& after) = nullptr;
};
void SetPublishedWriteWatch(PublishedWriteWatch watch);

class TfsPropertyHelper : public TfsCustomHelper {
public:
  TfsPropertyHelper(const QString& name, TfsVarType typ, const QString& typeName);
  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  bool IsPublished = false;
  QMetaProperty Property;  // when published
  TfsGetValueEvent OnGetValue;
  TfsSetValueEvent OnSetValue;
};

// A component owned by a form, reached as a member by its name.
class TfsComponentHelper : public TfsCustomHelper {
public:
  TfsComponentHelper(const QString& name, const QString& className);
  Variant GetValue() override;
};

// The link between one instance's event and a script routine. Descendants
// connect to the instance's signal and turn its arguments into Variants;
// the script owns its adaptors.
class TfsCustomEvent : public TfsItemList {
public:
  TfsCustomEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);
  ~TfsCustomEvent() override;
  QObject* Instance() const { return instance_.data(); }
  TfsProcVariable* Handler() const { return handler_; }
  const QString& EventName() const { return eventName_; }
  // Runs the routine with these arguments unless it is running already or
  // has been freed since; by-reference parameters are read back into the
  // arguments. False when the routine freed this adaptor (by assigning the
  // event anew): the caller must not touch the adaptor afterwards.
  bool CallHandler(std::vector<Variant>& arguments);
  // Starts and stops listening to the instance.
  virtual void Connect() = 0;
  virtual void Disconnect() = 0;

  // The script that holds the adaptor (set when it is added to one).
  TfsScript* OwnerScript() const { return owner_; }
  void SetOwnerScript(TfsScript* owner) { owner_ = owner; }
  // Disconnects and frees every adaptor of one instance's event, in any
  // script: an event holds one routine at a time.
  static void RemoveAdaptors(QObject* instance, const QString& eventName);

private:
  QPointer<QObject> instance_;
  TfsProcVariable* handler_;
  QString handlerName_;
  QString eventName_;
  TfsScript* owner_ = nullptr;
  std::shared_ptr<char> alive_ = std::make_shared<char>();
};

using TfsEventFactory = std::function<std::unique_ptr<TfsCustomEvent>(QObject* Instance, TfsProcVariable* Handler,
                                                                      const QString& EventName)>;

// An event property: assigning a routine's name connects the routine,
// assigning nil (any value whose text is "0") disconnects it.
class TfsEventHelper : public TfsCustomHelper {
public:
  TfsEventHelper(const QString& name, TfsEventFactory factory);
  Variant GetValue() override { return Variant(QString()); }
  void SetValue(const Variant& value) override;

private:
  TfsEventFactory factory_;
};

// A registered host class. Reading it with its one argument is a cast (the
// argument unchanged); without it gives Null, which the constructor called
// next replaces by the new object.
class TfsClassVariable : public TfsCustomVariable {
public:
  TfsClassVariable(const QMetaObject* classType, const QString& name, const QString& ancestor, TfsScript* script);
  ~TfsClassVariable() override;

  Variant GetValue() override;

  const QMetaObject* ClassRef;
  QString Ancestor;
  TfsCustomHelper* DefProperty = nullptr;
  TfsScript* Script;

  TfsMethodHelper* AddConstructor(const QString& declaration, TfsCallMethodEvent handler);
  TfsMethodHelper* AddConstructor(const QString& declaration, TfsCallMethodCallerEvent handler);
  TfsMethodHelper* AddMethod(const QString& declaration, TfsCallMethodEvent handler);
  TfsMethodHelper* AddMethod(const QString& declaration, TfsCallMethodCallerEvent handler);
  TfsPropertyHelper* AddProperty(const QString& name, const QString& typeName, TfsGetValueEvent getter,
                                 TfsSetValueEvent setter = {});
  // An indexed property Name[Index...]; the handler gets "NAME.GET" and
  // "NAME.SET" (the new value as the last parameter array element).
  TfsMethodHelper* AddIndexProperty(const QString& name, const QString& indexTypes, const QString& typeName,
                                    TfsCallMethodEvent handler, bool readOnly = false);
  TfsMethodHelper* AddDefaultProperty(const QString& name, const QString& indexTypes, const QString& typeName,
                                      TfsCallMethodEvent handler, bool readOnly = false);
  TfsEventHelper* AddEvent(const QString& name, TfsEventFactory factory);
  TfsComponentHelper* AddComponent(const QString& name, const QString& className);

  // A member of this class alone, or none.
  TfsCustomHelper* Find(const QString& name) const;
  // A member of this class or its ancestors.
  TfsCustomHelper* FindMember(const QString& name) const;
  int MemberCount() const { return int(members_.size()); }
  TfsCustomHelper* Member(int index) const { return members_[size_t(index)].get(); }

  // Whether object is an instance of this class or of a class derived from it.
  bool IsInstance(const QObject* object) const;

private:
  TfsMethodHelper* addMethod(const QString& declaration, bool constructor);
  void addMember(std::unique_ptr<TfsCustomHelper> member);
  void addPublishedProperties();

  std::vector<std::unique_ptr<TfsCustomHelper>> members_;
};

// A module registers functions and classes into one script when created.
class TfsRTTIModule : public TfsItemList {
public:
  explicit TfsRTTIModule(TfsScript* script) : script_(script) {}
  TfsScript* Script() const { return script_; }

private:
  TfsScript* script_;
};

using TfsModuleFactory = std::function<std::unique_ptr<TfsRTTIModule>(TfsScript* script)>;

// The process-wide list of modules that AddRuntimeLibrary creates, in order.
// The built-in library comes first; binding modules append themselves while
// the program starts.
void RegisterModule(const QString& name, TfsModuleFactory factory);
std::vector<TfsModuleFactory> RegisteredModules();

// The script name of a Qt class: its class name without namespaces
// ("TObject" for QObject).
QString ScriptClassName(const QMetaObject* classType);
// The class name of an object as a script knows it (a class registered
// under another name shows that name).
QString ScriptNameOf(const TfsScript* script, const QObject* object);

// Variants and Qt values, as published properties read and write them.
Variant FromQVariant(const QVariant& value);
QVariant ToQVariant(const Variant& value, QMetaType type);

// A value type of the host that wraps an unsigned 32-bit number and
// converts to and from the integer types (a colour): scripts read and write
// its properties as Integer, exactly as a quint32 property (once for the
// process; registering again changes nothing).
void RegisterIntegerValueType(QMetaType type);
bool IsIntegerValueType(QMetaType type);

}  // namespace valmoro::script
