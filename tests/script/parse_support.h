#pragma once
// Helpers for the parser tests: run a source through the grammar walker and
// show the program XML compactly.

#include <QString>
#include <QStringList>

#include "script/il_parser.h"
#include "script/script.h"
#include "script/xml_document.h"

namespace valmoro::script::test {

struct Parsed {
  bool ok = false;
  QString errorText;
  QString errorPosition;  // "L:C"
  QString errorUnit;
  QString outline;        // see Outline()
  QString xml;            // the program XML as the writer puts it, no indentation
};

// The program XML without positions and without the copied "types": an
// element as its name, a leaf's text after a colon, children in brackets.
//   begin x := 1 end.  ->  compoundstmt(assignstmt(dsgn(node:x) expr(number:1)))
inline QString Outline(const TfsXMLItem* item) {
  QString out = item->Name();
  const QString text = item->Prop(u"text");
  if (!text.isEmpty()) out += QLatin1Char(':') + text;
  const QString unit = item->Prop(u"unit");
  if (!unit.isEmpty()) out += QLatin1Char('[') + unit + QLatin1Char(']');
  QStringList children;
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    if (child->Name() == QLatin1String("types") && item->Name() == QLatin1String("program")) continue;
    children << Outline(child);
  }
  if (!children.isEmpty()) out += QLatin1Char('(') + children.join(QLatin1Char(' ')) + QLatin1Char(')');
  return out;
}

// The children of "program" only: what the source declared and did.
inline QString ProgramOutline(const TfsXMLItem* program) {
  const QString all = Outline(program);
  return all.startsWith(QLatin1String("program(")) ? all.mid(8, all.size() - 9) : QString();
}

// Parses source as the engine does: taken as lines, each followed by CR LF.
inline Parsed Parse(const QString& language, const QString& source, TfsScript* script = nullptr) {
  TfsScript local;
  TfsScript* s = script ? script : &local;
  s->SyntaxType = language;
  s->Lines = SplitSourceLines(source);
  TfsILParser parser(s);
  parser.SelectLanguage(language);
  Parsed result;
  result.ok = parser.BuildProgramXml(s->SourceText());
  result.errorText = s->ErrorText;
  result.errorPosition = s->ErrorPosition;
  result.errorUnit = s->ErrorUnitName;
  if (result.ok) {
    result.outline = ProgramOutline(parser.ProgramXml().Root());
    result.xml = QString::fromUtf8(parser.ProgramXml().SaveToData());
  }
  return result;
}

// "L:C: message" of a failed parse, or "ok" for a parse without error.
inline QString ErrorOf(const Parsed& parsed) {
  if (parsed.errorText.isEmpty()) return QStringLiteral("ok");
  return parsed.errorPosition + QLatin1String(": ") + parsed.errorText;
}

}  // namespace valmoro::script::test
