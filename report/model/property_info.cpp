#include "report/model/property_info.h"

#include <cstddef>
#include <optional>

#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/frame.h"
#include "report/model/picture.h"
#include "report/model/published.h"
#include "report/model/report_font.h"

namespace valmoro::report {

namespace {

template <class T>
struct Key {
  const char* key;
  T value;
};

constexpr Key<PropertyCategory> kCategoryKeys[] = {
    {"geometry", PropertyCategory::Geometry}, {"appearance", PropertyCategory::Appearance},
    {"data", PropertyCategory::Data},         {"behaviour", PropertyCategory::Behaviour},
    {"other", PropertyCategory::Other},       {"events", PropertyCategory::Events},
};

constexpr Key<PropertyEditor> kEditorKeys[] = {
    {"none", PropertyEditor::None},
    {"boolean", PropertyEditor::Boolean},
    {"number", PropertyEditor::Number},
    {"length", PropertyEditor::Length},
    {"enumeration", PropertyEditor::Enumeration},
    {"set", PropertyEditor::Set},
    {"color", PropertyEditor::Color},
    {"font", PropertyEditor::Font},
    {"frame", PropertyEditor::Frame},
    {"text", PropertyEditor::Text},
    {"longtext", PropertyEditor::LongText},
    {"stringlist", PropertyEditor::StringList},
    {"dataset", PropertyEditor::DataSet},
    {"datafield", PropertyEditor::DataField},
    {"reference", PropertyEditor::ObjectReference},
    {"object", PropertyEditor::Object},
    {"picture", PropertyEditor::Picture},
    {"event", PropertyEditor::Event},
};

constexpr Key<LengthUnit> kUnitKeys[] = {
    {"none", LengthUnit::None},       {"px", LengthUnit::Pixel}, {"mm", LengthUnit::Millimetre},
    {"cm", LengthUnit::Centimetre}, {"in", LengthUnit::Inch},
};

// Lengths of components by name. Positions, sizes and text spacing are
// pixels; only the paper of a report page is measured in millimetres (a
// page's ColumnWidth says so by class info: a data band's is in pixels).
constexpr Key<LengthUnit> kLengthNames[] = {
    {"Left", LengthUnit::Pixel},          {"Top", LengthUnit::Pixel},
    {"Width", LengthUnit::Pixel},         {"Height", LengthUnit::Pixel},
    {"ClientWidth", LengthUnit::Pixel},   {"ClientHeight", LengthUnit::Pixel},
    {"ColumnWidth", LengthUnit::Pixel},   {"ColumnGap", LengthUnit::Pixel},
    {"GapX", LengthUnit::Pixel},          {"GapY", LengthUnit::Pixel},
    {"CharSpacing", LengthUnit::Pixel},   {"LineSpacing", LengthUnit::Pixel},
    {"ParagraphGap", LengthUnit::Pixel},  {"PaperWidth", LengthUnit::Millimetre},
    {"PaperHeight", LengthUnit::Millimetre}, {"LeftMargin", LengthUnit::Millimetre},
    {"RightMargin", LengthUnit::Millimetre}, {"TopMargin", LengthUnit::Millimetre},
    {"BottomMargin", LengthUnit::Millimetre},
};

// Categories of well-known names, before the defaults by kind.
constexpr Key<PropertyCategory> kCategoryNames[] = {
    // Where the object is and how big: its lengths join these by their unit.
    {"Align", PropertyCategory::Geometry},
    {"Orientation", PropertyCategory::Geometry},
    {"PaperSize", PropertyCategory::Geometry},
    {"MirrorMargins", PropertyCategory::Geometry},
    {"Columns", PropertyCategory::Geometry},
    {"ColumnPositions", PropertyCategory::Geometry},
    {"Position", PropertyCategory::Geometry},
    // How it looks; colours, fonts, frames and pictures join by their editor.
    {"BrushStyle", PropertyCategory::Appearance},
    {"HAlign", PropertyCategory::Appearance},
    {"VAlign", PropertyCategory::Appearance},
    {"Style", PropertyCategory::Appearance},
    {"Highlight", PropertyCategory::Appearance},
    {"DisplayFormat", PropertyCategory::Appearance},
    {"Rotation", PropertyCategory::Appearance},
    {"Shape", PropertyCategory::Appearance},
    {"Curve", PropertyCategory::Appearance},
    {"GapX", PropertyCategory::Appearance},
    {"GapY", PropertyCategory::Appearance},
    {"CharSpacing", PropertyCategory::Appearance},
    {"LineSpacing", PropertyCategory::Appearance},
    {"ParagraphGap", PropertyCategory::Appearance},
    {"ParentFont", PropertyCategory::Appearance},
    {"WordWrap", PropertyCategory::Appearance},
    {"WordBreak", PropertyCategory::Appearance},
    {"Underlines", PropertyCategory::Appearance},
    {"RTLReading", PropertyCategory::Appearance},
    {"Wysiwyg", PropertyCategory::Appearance},
    {"Transparent", PropertyCategory::Appearance},
    {"Diagonal", PropertyCategory::Appearance},
    {"ArrowStart", PropertyCategory::Appearance},
    {"ArrowEnd", PropertyCategory::Appearance},
    {"ArrowSolid", PropertyCategory::Appearance},
    {"ArrowLength", PropertyCategory::Appearance},
    {"ArrowWidth", PropertyCategory::Appearance},
    {"BorderStyle", PropertyCategory::Appearance},
    {"Caption", PropertyCategory::Appearance},
    {"HideZeros", PropertyCategory::Appearance},
    {"BackPictureVisible", PropertyCategory::Appearance},
    {"BackPicturePrintable", PropertyCategory::Appearance},
    // Where the values come from.
    {"DataSet", PropertyCategory::Data},
    {"DataSetName", PropertyCategory::Data},
    {"DataField", PropertyCategory::Data},
    {"Condition", PropertyCategory::Data},
    {"RowCount", PropertyCategory::Data},
    {"SortExpressions", PropertyCategory::Data},
    {"RangeBegin", PropertyCategory::Data},
    {"RangeEnd", PropertyCategory::Data},
    {"RangeEndCount", PropertyCategory::Data},
    {"Fields", PropertyCategory::Data},
    {"FieldAliases", PropertyCategory::Data},
    {"UserName", PropertyCategory::Data},
    {"Memo", PropertyCategory::Data},
    {"AllowExpressions", PropertyCategory::Data},
    {"ExpressionDelimiters", PropertyCategory::Data},
    // What the object does.
    {"Visible", PropertyCategory::Behaviour},
    {"Printable", PropertyCategory::Behaviour},
    {"Enabled", PropertyCategory::Behaviour},
    {"Restrictions", PropertyCategory::Behaviour},
    {"ShiftMode", PropertyCategory::Behaviour},
    {"StretchMode", PropertyCategory::Behaviour},
    {"Hint", PropertyCategory::Behaviour},
    {"URL", PropertyCategory::Behaviour},
    {"Cursor", PropertyCategory::Behaviour},
    // Naming and bookkeeping.
    {"Name", PropertyCategory::Other},
    {"Tag", PropertyCategory::Other},
    {"TagStr", PropertyCategory::Other},
    {"Description", PropertyCategory::Other},
    {"GroupIndex", PropertyCategory::Other},
};

// Editors of well-known names, before the defaults by kind.
constexpr Key<PropertyEditor> kEditorNames[] = {
    {"DataField", PropertyEditor::DataField},
    {"DataSetName", PropertyEditor::DataSet},
    {"Memo", PropertyEditor::LongText},
    {"ScriptText", PropertyEditor::LongText},
    {"Description", PropertyEditor::LongText},
};

template <class T, std::size_t N>
std::optional<T> lookup(const Key<T> (&table)[N], const char* key) {
  for (const Key<T>& entry : table)
    if (qstrcmp(entry.key, key) == 0) return entry.value;
  return std::nullopt;
}

// The class-info override "PREFIX:NAME", most derived class first.
template <class T, std::size_t N>
std::optional<T> classInfoOverride(const QMetaObject& cls, const char* prefix, const QByteArray& name,
                          const Key<T> (&keys)[N]) {
  const int info = cls.indexOfClassInfo(QByteArray(prefix + (':' + name)).constData());
  if (info < 0) return std::nullopt;
  const char* value = cls.classInfo(info).value();
  if (std::optional<T> known = lookup(keys, value)) return known;
  qWarning("Unknown %s of property %s: %s", prefix, name.constData(), value);
  return std::nullopt;
}

bool isEventName(const QByteArray& name) {
  return name.size() > 2 && name.startsWith("On") && name[2] >= 'A' && name[2] <= 'Z';
}

bool isClass(const QMetaObject* cls, const QMetaObject& base) { return cls && cls->inherits(&base); }

PropertyEditor defaultEditor(const QMetaProperty& property, PropertyKind kind, LengthUnit unit) {
  const QByteArray name(property.name());
  if (std::optional<PropertyEditor> named = lookup(kEditorNames, name.constData())) return *named;
  const QMetaObject* cls = property.metaType().metaObject();
  switch (kind) {
    case PropertyKind::Boolean:
      return PropertyEditor::Boolean;
    case PropertyKind::Integer:
      return PropertyEditor::Number;
    case PropertyKind::Color:
      return PropertyEditor::Color;
    case PropertyKind::Float:
      return unit == LengthUnit::None ? PropertyEditor::Number : PropertyEditor::Length;
    case PropertyKind::Enumeration:
      return PropertyEditor::Enumeration;
    case PropertyKind::Set:
      return PropertyEditor::Set;
    case PropertyKind::Text:
      return isEventName(name) ? PropertyEditor::Event : PropertyEditor::Text;
    case PropertyKind::StringList:
      return PropertyEditor::StringList;
    case PropertyKind::Variant:
      return PropertyEditor::Text;
    case PropertyKind::Reference:
      return isClass(cls, TfrxDataSet::staticMetaObject) ? PropertyEditor::DataSet : PropertyEditor::ObjectReference;
    case PropertyKind::Object:
      if (isClass(cls, ReportFont::staticMetaObject)) return PropertyEditor::Font;
      if (isClass(cls, TfrxFrame::staticMetaObject) || isClass(cls, TfrxFrameLine::staticMetaObject))
        return PropertyEditor::Frame;
      if (isClass(cls, ReportPicture::staticMetaObject)) return PropertyEditor::Picture;
      return PropertyEditor::Object;
    case PropertyKind::Other:
      break;
  }
  return PropertyEditor::None;
}

PropertyCategory defaultCategory(const QByteArray& name, PropertyKind kind, const PropertyInfo& info) {
  if (std::optional<PropertyCategory> named = lookup(kCategoryNames, name.constData())) return *named;
  switch (info.editor) {
    case PropertyEditor::Event:
      return PropertyCategory::Events;
    case PropertyEditor::Color:
    case PropertyEditor::Font:
    case PropertyEditor::Frame:
    case PropertyEditor::Picture:
      return PropertyCategory::Appearance;
    case PropertyEditor::DataSet:
    case PropertyEditor::DataField:
      return PropertyCategory::Data;
    default:
      break;
  }
  if (info.unit != LengthUnit::None) return PropertyCategory::Geometry;
  switch (kind) {
    case PropertyKind::Boolean:
    case PropertyKind::Enumeration:
    case PropertyKind::Set:
    case PropertyKind::Reference:
      return PropertyCategory::Behaviour;
    default:
      return PropertyCategory::Other;
  }
}

}  // namespace

PropertyInfo describeProperty(const QMetaObject& cls, const QMetaProperty& property, PropertyKind kind) {
  const QByteArray name(property.name());
  PropertyInfo info;
  // Lengths by name are the layout of components; a frame's Width is a line
  // width, edited with the frame.
  if (kind == PropertyKind::Float && cls.inherits(&TfrxComponent::staticMetaObject))
    info.unit = lookup(kLengthNames, name.constData()).value_or(LengthUnit::None);
  info.unit = classInfoOverride(cls, "unit", name, kUnitKeys).value_or(info.unit);
  info.editor = classInfoOverride(cls, "editor", name, kEditorKeys).value_or(defaultEditor(property, kind, info.unit));
  info.category = classInfoOverride(cls, "category", name, kCategoryKeys).value_or(defaultCategory(name, kind, info));
  return info;
}

QString categoryCaption(PropertyCategory category) {
  switch (category) {
    case PropertyCategory::Geometry:
      return QStringLiteral("Położenie i rozmiar");
    case PropertyCategory::Appearance:
      return QStringLiteral("Wygląd");
    case PropertyCategory::Data:
      return QStringLiteral("Dane");
    case PropertyCategory::Behaviour:
      return QStringLiteral("Zachowanie");
    case PropertyCategory::Other:
      return QStringLiteral("Inne");
    case PropertyCategory::Events:
      return QStringLiteral("Zdarzenia");
  }
  return {};
}

}  // namespace valmoro::report
