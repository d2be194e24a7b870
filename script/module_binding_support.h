#pragma once
// Small helpers for binding modules that register Qt classes: handlers
// written as lambdas over the instance's own class.

#include <type_traits>

#include "host_classes.h"
#include "run_error.h"

namespace valmoro::script::binding {

using Caller = TfsMethodHelper*;

// The instance as its class; a member reaches only instances of its class,
// so a failure here means a nil or foreign object.
template <class T>
T* As(QObject* instance) {
  auto* object = qobject_cast<T*>(instance);
  if (!object)
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Object is not a %1").arg(ScriptClassName(&T::staticMetaObject)));
  return object;
}

// A method whose handler takes (T*, caller) and returns a value or nothing.
template <class T, class F>
TfsMethodHelper* Method(TfsClassVariable* cls, const char* declaration, F f) {
  return cls->AddMethod(QString::fromLatin1(declaration),
                        TfsCallMethodCallerEvent([f](QObject* o, const QMetaObject*, const QString&, Caller c) {
                          if constexpr (std::is_void_v<std::invoke_result_t<F, T*, Caller>>) {
                            f(As<T>(o), c);
                            return Variant::Null();
                          } else {
                            return Variant(f(As<T>(o), c));
                          }
                        }));
}

// A property served by handlers; read-only without a setter.
template <class T, class G>
TfsPropertyHelper* Property(TfsClassVariable* cls, const char* name, const char* typeName, G get) {
  return cls->AddProperty(QString::fromLatin1(name), QString::fromLatin1(typeName),
                          [get](QObject* o, const QMetaObject*, const QString&) { return Variant(get(As<T>(o))); });
}

template <class T, class G, class S>
TfsPropertyHelper* Property(TfsClassVariable* cls, const char* name, const char* typeName, G get, S set) {
  return cls->AddProperty(
      QString::fromLatin1(name), QString::fromLatin1(typeName),
      [get](QObject* o, const QMetaObject*, const QString&) { return Variant(get(As<T>(o))); },
      [set](QObject* o, const QMetaObject*, const QString&, const Variant& v) { set(As<T>(o), v); });
}

// An object argument of a class, or nil.
template <class T>
T* ObjectArg(const Variant& value) {
  QObject* object = value.ToObject();
  if (!object) return nullptr;
  auto* typed = qobject_cast<T*>(object);
  if (!typed)
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("A %1 is needed").arg(ScriptClassName(&T::staticMetaObject)));
  return typed;
}

}  // namespace valmoro::script::binding
