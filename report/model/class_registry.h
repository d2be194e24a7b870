#pragma once
// Report classes by name, so that documents and scripts can create objects
// from a class name ("TfrxMemoView"). Every concrete class of the report tree
// is registered on first use; other parts register theirs with registerClass.

#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace valmoro::report {

class TfrxComponent;

// The name documents use for a class: the C++ name without its namespace.
QString reportClassName(const QMetaObject& cls);

using ObjectFactory = TfrxComponent* (*)(TfrxComponent* parent);

// A later registration of the same name replaces the earlier one.
void registerClass(const QMetaObject& cls, ObjectFactory factory);

template <class T>
void registerClass() {
  registerClass(T::staticMetaObject, +[](TfrxComponent* parent) -> TfrxComponent* { return new T(parent); });
}

// The registered class of that name, letter case ignored; none when unknown.
const QMetaObject* findClass(QStringView className);
// A new object of the named class under parent (appended to its Objects);
// none when the class is unknown.
TfrxComponent* createObject(QStringView className, TfrxComponent* parent = nullptr);
// The same for the designer: the object is marked as designed and initialised
// with the designer's creation flag.
TfrxComponent* createObjectForDesigner(QStringView className, TfrxComponent* parent, int flag);
// Registered class names, in order of registration.
QStringList registeredClassNames();

}  // namespace valmoro::report
