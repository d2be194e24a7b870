#include "program_messages.h"

#include <cstring>

#include "messages.h"

namespace valmoro::script {

namespace {

struct Builtin {
  const char* id;
  const char* text;
};

constexpr Builtin kBuiltin[] = {
    {SIdRedeclared, "Identifier redeclared: "},
    {SUnknownType, "Unknown type: "},
    {SIncompatibleTypes, "Incompatible types"},
    {SIdUndeclared, "Undeclared identifier: "},
    {SClassRequired, "Class type required"},
    {SIndexRequired, "Index required"},
    {SStringError, "Strings doesn't have properties or methods"},
    {SClassError, "Class %s does not have a default property"},
    {SArrayRequired, "Array type required"},
    {SVarRequired, "Variable required"},
    {SNotEnoughParams, "Not enough actual parameters"},
    {STooManyParams, "Too many actual parameters"},
    {SLeftCantAssigned, "Left side cannot be assigned to"},
    {SForError, "For loop variable must be numeric variable"},
    {SEventError, "Event handler must be a procedure"},
};

}  // namespace

QString ProgramMessage(const char* id) {
  const QString text = ScriptMessage(id);
  if (text != QLatin1String(id)) return text;
  for (const Builtin& b : kBuiltin)
    if (std::strcmp(b.id, id) == 0) return QString::fromUtf8(b.text);
  return text;
}

QString ProgramMessageQuoted(const char* id, const QString& name) {
  return ProgramMessage(id) + QLatin1Char('\'') + name + QLatin1Char('\'');
}

QString FormatProgramMessage(const char* id, const QString& arg) {
  QString text = ProgramMessage(id);
  const qsizetype at = text.indexOf(QLatin1String("%s"));
  if (at >= 0) text.replace(at, 2, arg);
  return text;
}

}  // namespace valmoro::script
