#pragma once
// What the designer's object inspector needs to know of a published property
// beyond its type: the category it is listed under, the editor that changes
// it and, for lengths, the unit the number is stored in.
//
// Defaults come from the property's kind and from well-known names (Left,
// Top, Width, Height are pixel lengths of the layout; DataField picks a data
// field; On... names an event handler). Class-info entries, looked up from
// the most derived class upwards like "default:", override them:
//
//   Q_CLASSINFO("category:Condition", "data")
//   Q_CLASSINFO("editor:Memo", "text")
//   Q_CLASSINFO("unit:ColumnWidth", "mm")
//
// Category keys: geometry, appearance, data, behaviour, other, events.
// Editor keys: none, boolean, number, length, enumeration, set, color, font,
// frame, text, longtext, stringlist, dataset, datafield, reference, object,
// picture, event. Unit keys: none, px, mm, cm, in.

#include <QMetaObject>
#include <QMetaProperty>
#include <QString>

#include "report/model/units.h"

namespace valmoro::report {

enum class PropertyKind;

// In the order an inspector lists them.
enum class PropertyCategory { Geometry, Appearance, Data, Behaviour, Other, Events };

enum class PropertyEditor {
  None,         // shown, not edited
  Boolean,      // check box
  Number,       // integers and plain floats
  Length,       // a float with a unit, shown in the designer's unit
  Enumeration,  // combo of member names
  Set,          // check list of member names
  Color,
  Font,
  Frame,
  Text,         // one line
  LongText,     // text edited in a dialog (a memo's lines, a script)
  StringList,   // lines edited in a dialog
  DataSet,      // combo of the report's data sets
  DataField,    // combo of the fields of the object's data set
  ObjectReference,  // combo of report objects of the property's class
  Object,       // nested properties, expanded in place
  Picture,
  Event,        // name of a script handler
};

struct PropertyInfo {
  PropertyCategory category = PropertyCategory::Other;
  PropertyEditor editor = PropertyEditor::None;
  LengthUnit unit = LengthUnit::None;
};

// The defaults and overrides above for one property of a class.
PropertyInfo describeProperty(const QMetaObject& cls, const QMetaProperty& property, PropertyKind kind);

// The caption an inspector shows for a category ("Wygląd").
QString categoryCaption(PropertyCategory category);

}  // namespace valmoro::report
