#include "platform/grid_columns.h"

#include <initializer_list>

#include "platform/component_stream.h"

namespace valmoro::grid {

using stream::ComponentReader;
using stream::ComponentWriter;
using stream::StreamError;
using stream::ValueType;

namespace {

const char* const kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kFontStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

bool is(const QString& name, const char* expected) {
  return name.compare(QLatin1StringView(expected), Qt::CaseInsensitive) == 0;
}

// The name comes from the file: a damaged one must not put control
// characters or a page of garbage into the message.
[[noreturn]] void noProperty(const QString& name) {
  throw StreamError(QStringLiteral("Właściwość %1 nie istnieje").arg(stream::printableExcerpt(name)));
}

[[noreturn]] void invalidValue() { throw StreamError(QStringLiteral("Nieprawidłowa wartość właściwości")); }

// ---------------------------------------------------------------- writing

QString alignmentIdent(Alignment alignment) {
  return QString::fromLatin1(kAlignmentNames[static_cast<int>(alignment)]);
}

void writeFont(ComponentWriter& w, const QString& prefix, const ColumnFont& font) {
  w.writePropName(prefix + QLatin1String("Charset"));
  w.writeCharset(font.charset);
  w.writePropName(prefix + QLatin1String("Color"));
  w.writeColor(font.color);
  w.writePropName(prefix + QLatin1String("Height"));
  w.writeInteger(font.height);
  w.writePropName(prefix + QLatin1String("Name"));
  w.writeText(font.name);
  if (font.orientation != 0) {
    w.writePropName(prefix + QLatin1String("Orientation"));
    w.writeInteger(font.orientation);
  }
  if (font.pitch != QLatin1String("fpDefault")) {
    w.writePropName(prefix + QLatin1String("Pitch"));
    w.writeIdent(font.pitch);
  }
  const bool styles[] = {font.bold, font.italic, font.underline, font.strikeOut};
  QStringList members;
  for (int i = 0; i < 4; ++i)
    if (styles[i]) members.append(QString::fromLatin1(kFontStyles[i]));
  w.writePropName(prefix + QLatin1String("Style"));
  w.writeSet(members);
}

void writeColumn(ComponentWriter& w, const Column& c) {
  if (c.alignment) {
    w.writePropName(QStringLiteral("Alignment"));
    w.writeIdent(alignmentIdent(*c.alignment));
  }
  if (c.buttonStyle != QLatin1String("cbsAuto")) {
    w.writePropName(QStringLiteral("ButtonStyle"));
    w.writeIdent(c.buttonStyle);
  }
  if (c.color) {
    w.writePropName(QStringLiteral("Color"));
    w.writeColor(*c.color);
  }
  if (c.dropDownRows != 7) {
    w.writePropName(QStringLiteral("DropDownRows"));
    w.writeInteger(c.dropDownRows);
  }
  if (!c.expanded) {
    w.writePropName(QStringLiteral("Expanded"));
    w.writeBool(false);
  }
  if (!c.fieldName.isEmpty()) {
    w.writePropName(QStringLiteral("FieldName"));
    w.writeText(c.fieldName);
  }
  if (c.font) writeFont(w, QStringLiteral("Font."), *c.font);
  if (c.imeMode) {
    w.writePropName(QStringLiteral("ImeMode"));
    w.writeIdent(*c.imeMode);
  }
  if (c.imeName) {
    w.writePropName(QStringLiteral("ImeName"));
    w.writeText(*c.imeName);
  }
  if (!c.pickList.isEmpty()) {
    w.writePropName(QStringLiteral("PickList.Strings"));
    w.writeListBegin();
    for (const QString& line : c.pickList) w.writeText(line);
    w.writeListEnd();
  }
  if (!c.popupMenu.isEmpty()) {
    w.writePropName(QStringLiteral("PopupMenu"));
    w.writeIdent(c.popupMenu);
  }
  if (c.readOnly) {
    w.writePropName(QStringLiteral("ReadOnly"));
    w.writeBool(*c.readOnly);
  }
  if (c.title.alignment) {
    w.writePropName(QStringLiteral("Title.Alignment"));
    w.writeIdent(alignmentIdent(*c.title.alignment));
  }
  if (c.title.caption) {
    w.writePropName(QStringLiteral("Title.Caption"));
    w.writeText(*c.title.caption);
  }
  if (c.title.color) {
    w.writePropName(QStringLiteral("Title.Color"));
    w.writeColor(*c.title.color);
  }
  if (c.title.font) writeFont(w, QStringLiteral("Title.Font."), *c.title.font);
  if (c.width) {
    w.writePropName(QStringLiteral("Width"));
    w.writeInteger(*c.width);
  }
  w.writePropName(QStringLiteral("Visible"));
  w.writeBool(c.visible);
}

// ---------------------------------------------------------------- reading

// An enumeration member, returned in its declared spelling.
QString readEnum(ComponentReader& r, std::initializer_list<const char*> members) {
  const QString ident = r.readIdent();
  for (const char* member : members)
    if (is(ident, member)) return QString::fromLatin1(member);
  invalidValue();
}

Alignment readAlignment(ComponentReader& r) {
  const QString ident = r.readIdent();
  for (int i = 0; i < 3; ++i)
    if (is(ident, kAlignmentNames[i])) return static_cast<Alignment>(i);
  invalidValue();
}

// path[i] names a property of a font; a font object that is not there yet is
// created with the default font, as the grid would give it.
void readFontProperty(ComponentReader& r, std::optional<ColumnFont>& target,
                      const QStringList& path, qsizetype i) {
  if (i >= path.size()) invalidValue();  // the font object itself, not one of its properties
  const QString& name = path[i];
  if (i + 1 < path.size()) noProperty(name);  // no font property is an object
  ColumnFont& font = target ? *target : target.emplace();
  if (is(name, "Charset")) {
    font.charset = r.readCharset();
  } else if (is(name, "Color")) {
    font.color = r.readColor();
  } else if (is(name, "Height")) {
    font.height = r.readInteger();
  } else if (is(name, "Name")) {
    font.name = r.readText();
  } else if (is(name, "Orientation")) {
    font.orientation = r.readInteger();
  } else if (is(name, "Pitch")) {
    font.pitch = readEnum(r, {"fpDefault", "fpVariable", "fpFixed"});
  } else if (is(name, "Style")) {
    bool* flags[] = {&font.bold, &font.italic, &font.underline, &font.strikeOut};
    for (bool* flag : flags) *flag = false;
    for (const QString& member : r.readSet()) {
      int found = -1;
      for (int k = 0; k < 4; ++k)
        if (is(member, kFontStyles[k])) found = k;
      if (found < 0) invalidValue();
      *flags[found] = true;
    }
  } else {
    noProperty(name);
  }
}

void readTitleProperty(ComponentReader& r, ColumnTitle& title, const QStringList& path,
                       qsizetype i) {
  if (i >= path.size()) invalidValue();
  const QString& name = path[i];
  if (is(name, "Font")) return readFontProperty(r, title.font, path, i + 1);
  if (i + 1 < path.size()) noProperty(name);
  if (is(name, "Alignment"))
    title.alignment = readAlignment(r);
  else if (is(name, "Caption"))
    title.caption = r.readText();
  else if (is(name, "Color"))
    title.color = r.readColor();
  else
    noProperty(name);
}

void readPickList(ComponentReader& r, Column& c, const QStringList& path) {
  if (path.size() < 2) invalidValue();
  if (!is(path[1], "Strings") || path.size() > 2) noProperty(path[1]);
  r.readListBegin();
  QStringList lines;
  while (!r.endOfList()) lines.append(r.readText());
  r.readListEnd();
  c.pickList = lines;
}

void readColumnProperty(ComponentReader& r, Column& c, const QString& propPath) {
  const QStringList path = propPath.split(QLatin1Char('.'));
  const QString& name = path[0];
  if (is(name, "Font")) return readFontProperty(r, c.font, path, 1);
  if (is(name, "Title")) return readTitleProperty(r, c.title, path, 1);
  if (is(name, "PickList")) return readPickList(r, c, path);
  if (path.size() > 1) noProperty(name);
  if (is(name, "Alignment")) {
    c.alignment = readAlignment(r);
  } else if (is(name, "ButtonStyle")) {
    c.buttonStyle = readEnum(r, {"cbsAuto", "cbsEllipsis", "cbsNone"});
  } else if (is(name, "Color")) {
    c.color = r.readColor();
  } else if (is(name, "DropDownRows")) {
    c.dropDownRows = r.readInteger();
  } else if (is(name, "Expanded")) {
    c.expanded = r.readBool();
  } else if (is(name, "FieldName")) {
    c.fieldName = r.readText();
  } else if (is(name, "ImeMode")) {
    c.imeMode = readEnum(r, {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha",
                             "imHira", "imSKata", "imKata", "imChinese", "imSHanguel",
                             "imHanguel"});
  } else if (is(name, "ImeName")) {
    c.imeName = r.readText();
  } else if (is(name, "PopupMenu")) {
    if (r.nextValue() == ValueType::Nil) {
      r.readValueType();
      c.popupMenu.clear();
    } else {
      c.popupMenu = r.readIdent();
    }
  } else if (is(name, "ReadOnly")) {
    c.readOnly = r.readBool();
  } else if (is(name, "Width")) {
    c.width = r.readInteger();
  } else if (is(name, "Visible")) {
    c.visible = r.readBool();
  } else {
    noProperty(name);
  }
}

void readCollection(ComponentReader& r, QList<Column>& columns) {
  r.expectValue(ValueType::Collection);
  // An empty collection value leaves the columns as they are.
  if (!r.endOfList()) columns.clear();
  while (!r.endOfList()) {
    const ValueType next = r.nextValue();
    if (next == ValueType::Int8 || next == ValueType::Int16 || next == ValueType::Int32)
      r.readInteger();  // item index
    r.readListBegin();
    Column& column = columns.emplace_back();
    while (!r.endOfList()) readColumnProperty(r, column, r.readPropName());
    r.readListEnd();
  }
  r.readListEnd();
}

}  // namespace

QByteArray writeColumnsStream(const QList<Column>& columns) {
  ComponentWriter w;
  w.writeHeader(QStringLiteral("TColumnsWrapper"));
  w.writePropName(QStringLiteral("Columns"));
  w.writeCollectionBegin();
  for (const Column& column : columns) {
    w.writeListBegin();
    writeColumn(w, column);
    w.writeListEnd();
  }
  w.writeListEnd();  // collection
  w.writeListEnd();  // properties
  w.writeListEnd();  // child components
  return w.data();
}

QList<Column> readColumnsStream(const QByteArray& bytes) {
  ComponentReader r(bytes);
  r.readHeader();
  QList<Column> columns;
  while (!r.endOfList()) {
    const QStringList path = r.readPropName().split(QLatin1Char('.'));
    if (!is(path[0], "Columns")) noProperty(path[0]);
    if (path.size() > 1) noProperty(path[1]);
    readCollection(r, columns);
  }
  r.readListEnd();
  r.skipComponents();
  return columns;
}

}  // namespace valmoro::grid
