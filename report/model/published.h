#pragma once
// Reflection over the published properties of report objects and of their
// nested value objects: what documents store and scripts reach by name.
//
// Published properties are the Q_PROPERTYs of the classes below QObject, in
// declaration order, base classes first; a property a subclass publishes
// again keeps its place and takes the subclass's declaration. Two class-info
// entries, looked up from the most derived class upwards, describe storage:
//
//   Q_CLASSINFO("default:Visible", "true")       declared default
//   Q_CLASSINFO("stored:GapX", "IsGapXStored")   stored condition: a
//                                                Q_INVOKABLE bool method
//
// A Q_PROPERTY with STORED false is never stored. Defaults are written as the
// member name for enumerations ("baNone"), "|"-joined member names for sets
// ("" for the empty set), "true"/"false", or a number ("0x1FFFFFFF" allowed).
// What the designer's inspector shows of each property (category, editor,
// unit) comes from property_info.h.

#include <QList>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QStringView>
#include <QVariant>

#include "report/model/property_info.h"

namespace valmoro::report {

enum class PropertyKind {
  Integer,
  Color,        // TColor: an integer to documents and scripts
  Boolean,
  Enumeration,
  Set,
  Float,
  Text,
  StringList,
  Variant,
  Reference,    // another report object, stored by its name
  Object,       // a nested value object (font, frame, format ...), stored
                // as its own properties under "Path.Property"
  Other,
};

class PublishedProperty {
public:
  PublishedProperty(const QMetaObject& cls, const QMetaProperty& property);

  const char* name() const { return meta_.name(); }
  PropertyKind kind() const { return kind_; }
  const QMetaProperty& metaProperty() const { return meta_; }
  bool isWritable() const { return meta_.isWritable(); }
  // Enumerations and sets: their member names.
  QMetaEnum enumerator() const { return meta_.enumerator(); }
  // References and nested objects: the class of the object.
  const QMetaObject* objectClass() const { return meta_.metaType().metaObject(); }

  // The declared default, in the property's type; invalid when none.
  bool hasDefault() const { return defaultValue_.isValid(); }
  const QVariant& defaultValue() const { return defaultValue_; }
  // Whether the object's value equals the declared default (false without one).
  bool isDefault(const QObject* object) const;
  // The same for an ordinal already read (readOrdinal), without reading again.
  bool isDefaultOrdinal(qint64 ordinal) const { return hasDefault() && ordinal == defaultOrdinal_; }
  // Whether the stored condition holds for the object.
  bool isStored(const QObject* object) const;

  QVariant read(const QObject* object) const;
  // Setters report failures by throwing ReportError; false when the value
  // cannot be converted or the property has no setter.
  bool write(QObject* object, const QVariant& value) const;
  // Where an inspector lists the property, what edits it, and for lengths
  // the unit the number is stored in (LengthUnit::None for other numbers).
  PropertyCategory category() const { return info_.category; }
  PropertyEditor editor() const { return info_.editor; }
  LengthUnit unit() const { return info_.unit; }

  // Integers, colours, Booleans, enumerations and sets as one number (a
  // colour as its unsigned value, a set as its bit mask).
  qint64 readOrdinal(const QObject* object) const;
  // References and nested objects.
  QObject* readObject(const QObject* object) const;

private:
  QMetaProperty meta_;
  PropertyKind kind_;
  PropertyInfo info_;
  QVariant defaultValue_;
  qint64 defaultOrdinal_ = 0;  // integers, colours, Booleans, enumerations and sets
  int storedMethod_ = -1;  // in the class's meta-object
};

// The published properties of a class, in document order.
const QList<PublishedProperty>& publishedProperties(const QMetaObject& cls);
// One of them by name, letter case ignored; none when absent.
const PublishedProperty* findPublishedProperty(const QMetaObject& cls, QStringView name);

// A published property reached through a dotted path from an object.
struct PropertyTarget {
  QObject* object = nullptr;
  const PublishedProperty* property = nullptr;
  explicit operator bool() const { return property != nullptr; }
};

// "Frame.LeftLine.Color": every part but the last names a nested object or
// reference of the object reached so far. Empty when a part is missing.
PropertyTarget resolvePropertyPath(QObject* root, QStringView path);
// Invalid when the path does not resolve.
QVariant readPropertyPath(QObject* root, QStringView path);
// False when the path does not resolve or the value cannot be set; a
// setter's own failure is thrown as ReportError.
bool writePropertyPath(QObject* root, QStringView path, const QVariant& value);

// Sets every published property with a declared default back to it, in the
// object and in its nested objects (not in the objects it refers to): what
// a document then read into it holds is all it holds, since a document
// leaves out what equals its default.
void resetToDeclaredDefaults(QObject& object);

}  // namespace valmoro::report
