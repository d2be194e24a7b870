#include "designer/event_handlers.h"

#include <tuple>

#include "script/il_parser.h"
#include "script/script.h"
#include "script/xml_document.h"

namespace valmoro::designer {

namespace {

enum class Language { Pascal, Cpp, JScript, Basic };

Language languageOf(const QString& name) {
  if (name.compare(QLatin1String("C++Script"), Qt::CaseInsensitive) == 0) return Language::Cpp;
  if (name.compare(QLatin1String("JScript"), Qt::CaseInsensitive) == 0) return Language::JScript;
  if (name.compare(QLatin1String("BasicScript"), Qt::CaseInsensitive) == 0) return Language::Basic;
  return Language::Pascal;
}

QString canonicalName(Language language) {
  switch (language) {
    case Language::Cpp: return QStringLiteral("C++Script");
    case Language::JScript: return QStringLiteral("JScript");
    case Language::Basic: return QStringLiteral("BasicScript");
    case Language::Pascal: break;
  }
  return QStringLiteral("PascalScript");
}

EventParameter param(const char* name, const char* type, bool byReference = false) {
  return {QString::fromLatin1(name), QString::fromLatin1(type), byReference};
}

bool isRoutine(const script::TfsXMLItem& item) {
  return item.Name() == QLatin1String("procedure") || item.Name() == QLatin1String("function");
}

// "12:3" as line and column.
std::pair<int, int> positionOf(const script::TfsXMLItem& item) {
  const QString pos = item.Prop(u"pos");
  return {pos.section(QLatin1Char(':'), 0, 0).toInt(), pos.section(QLatin1Char(':'), 1, 1).toInt()};
}

ScriptProcedure procedureOf(const script::TfsXMLItem& item) {
  ScriptProcedure procedure;
  procedure.line = positionOf(item).first;
  for (int i = 0; i < item.Count(); ++i) {
    const script::TfsXMLItem* child = item.Items(i);
    if (child->Name() == QLatin1String("name")) procedure.name = child->Prop(u"text");
    if (child->Name() != QLatin1String("parameters")) continue;
    // "a, b: Integer" is one declaration of two parameters.
    for (int j = 0; j < child->Count(); ++j) {
      const script::TfsXMLItem* declaration = child->Items(j);
      if (declaration->Name() != QLatin1String("var")) continue;
      for (int k = 0; k < declaration->Count(); ++k)
        if (declaration->Items(k)->Name() == QLatin1String("ident")) ++procedure.parameterCount;
    }
  }
  return procedure;
}

struct ParsedScript {
  bool ok = false;
  QList<ScriptProcedure> procedures;
  int mainLine = 0, mainColumn = 0;  // PascalScript and C++Script: where the main block starts
};

ParsedScript parse(Language language, const QStringList& lines) {
  ParsedScript parsed;
  script::TfsScript script;
  script.SyntaxType = canonicalName(language);
  script.Lines = lines;
  // Units are not read: only this source's routines are offered.
  script.OnGetUnit = [](script::TfsScript*, const QString&, QString&) {};
  try {
    script::TfsILParser parser(&script);
    parser.SelectLanguage(script.SyntaxType);
    if (!parser.BuildProgramXml(script.SourceText())) return parsed;
    const script::TfsXMLItem* program = parser.ProgramXml().Root();
    for (int i = 0; i < program->Count(); ++i) {
      const script::TfsXMLItem* item = program->Items(i);
      if (isRoutine(*item)) parsed.procedures.append(procedureOf(*item));
      if (item->Name() != QLatin1String("compoundstmt")) continue;
      if (language == Language::Pascal || language == Language::Cpp) {
        std::tie(parsed.mainLine, parsed.mainColumn) = positionOf(*item);
      } else {
        // The whole program is one statement list with the routines in it.
        for (int j = 0; j < item->Count(); ++j)
          if (isRoutine(*item->Items(j))) parsed.procedures.append(procedureOf(*item->Items(j)));
      }
    }
    parsed.ok = true;
  } catch (const std::exception&) {
    // A language without a grammar offers nothing.
  }
  return parsed;
}

bool blank(const QStringList& lines) {
  for (const QString& line : lines)
    if (!line.trimmed().isEmpty()) return false;
  return true;
}

// Where the main block starts in a script that does not parse: the last
// line beginning with "begin" (PascalScript) or "{" (C++Script).
int guessMainLine(Language language, const QStringList& lines) {
  for (qsizetype i = lines.size() - 1; i >= 0; --i) {
    const QString line = lines[i];
    if (language == Language::Pascal && line.startsWith(QLatin1String("begin"), Qt::CaseInsensitive) &&
        (line.size() == 5 || !line[5].isLetterOrNumber()))
      return int(i) + 1;
    if (language == Language::Cpp && line.startsWith(QLatin1Char('{'))) return int(i) + 1;
  }
  return 0;
}

QString cppType(const QString& pascal) {
  if (pascal == QLatin1String("Boolean")) return QStringLiteral("bool");
  if (pascal == QLatin1String("Integer") || pascal == QLatin1String("Word")) return QStringLiteral("int");
  if (pascal == QLatin1String("String") || pascal == QLatin1String("Char")) return QStringLiteral("string");
  return pascal;
}

}  // namespace

QList<EventParameter> eventParameters(const QString& eventName) {
  const QString e = eventName;
  const EventParameter sender = param("Sender", "TfrxComponent");
  if (e == QLatin1String("OnPreviewClick") || e == QLatin1String("OnPreviewDblClick"))
    return {param("Sender", "TfrxView"), param("Button", "TMouseButton"), param("Shift", "Integer"),
            param("Modified", "Boolean", true)};
  if (e == QLatin1String("OnRunDialogs")) return {param("Result", "Boolean", true)};
  if (e == QLatin1String("OnMouseDown") || e == QLatin1String("OnMouseUp"))
    return {sender, param("Button", "TMouseButton"), param("Shift", "Integer"), param("X", "Integer"),
            param("Y", "Integer")};
  if (e == QLatin1String("OnMouseMove"))
    return {sender, param("Shift", "Integer"), param("X", "Integer"), param("Y", "Integer")};
  if (e == QLatin1String("OnKeyDown") || e == QLatin1String("OnKeyUp"))
    return {sender, param("Key", "Word", true), param("Shift", "Integer")};
  if (e == QLatin1String("OnKeyPress")) return {sender, param("Key", "Char", true)};
  if (e == QLatin1String("OnClose")) return {sender, param("Action", "Integer", true)};
  if (e == QLatin1String("OnCloseQuery")) return {sender, param("CanClose", "Boolean", true)};
  if (e == QLatin1String("OnCanResize"))
    return {sender, param("NewWidth", "Integer", true), param("NewHeight", "Integer", true),
            param("Resize", "Boolean", true)};
  return {sender};
}

QList<ScriptProcedure> scriptProcedures(const QString& language, const QStringList& script) {
  return parse(languageOf(language), script).procedures;
}

QStringList fittingProcedures(const QString& language, const QStringList& script, const QString& eventName) {
  const qsizetype wanted = eventParameters(eventName).size();
  QStringList names;
  for (const ScriptProcedure& procedure : scriptProcedures(language, script))
    if (procedure.parameterCount == wanted) names.append(procedure.name);
  return names;
}

QString handlerName(const QString& objectName, const QString& eventName) { return objectName + eventName; }

QStringList handlerText(const QString& language, const QString& name, const QList<EventParameter>& parameters) {
  QStringList list;
  switch (languageOf(language)) {
    case Language::Pascal: {
      for (const EventParameter& p : parameters)
        list.append((p.byReference ? QStringLiteral("var ") : QString()) + p.name + QStringLiteral(": ") + p.type);
      return {QStringLiteral("procedure %1(%2);").arg(name, list.join(QStringLiteral("; "))), QStringLiteral("begin"),
              QString(), QStringLiteral("end;")};
    }
    case Language::Cpp: {
      for (const EventParameter& p : parameters)
        list.append(cppType(p.type) + (p.byReference ? QStringLiteral(" &") : QStringLiteral(" ")) + p.name);
      return {QStringLiteral("void %1(%2)").arg(name, list.join(QStringLiteral(", "))), QStringLiteral("{"), QString(),
              QStringLiteral("}")};
    }
    case Language::JScript: {
      for (const EventParameter& p : parameters) list.append((p.byReference ? QStringLiteral("&") : QString()) + p.name);
      return {QStringLiteral("function %1(%2)").arg(name, list.join(QStringLiteral(", "))), QStringLiteral("{"),
              QString(), QStringLiteral("}")};
    }
    case Language::Basic: {
      for (const EventParameter& p : parameters)
        list.append((p.byReference ? QStringLiteral("ByRef ") : QString()) + p.name);
      return {QStringLiteral("Sub %1(%2)").arg(name, list.join(QStringLiteral(", "))), QString(),
              QStringLiteral("End Sub")};
    }
  }
  return list;
}

InsertedHandler insertHandler(const QString& languageName, const QStringList& script, const QString& name,
                              const QList<EventParameter>& parameters) {
  const Language language = languageOf(languageName);
  const QStringList handler = handlerText(languageName, name, parameters);
  const int bodyOffset = language == Language::Basic ? 1 : 2;
  InsertedHandler result;
  QStringList lines = script;
  if (blank(lines)) {
    // A script of nothing but the handler would not compile in the
    // languages that need a main block.
    lines.clear();
    if (language == Language::Pascal) lines = {QStringLiteral("begin"), QString(), QStringLiteral("end.")};
    if (language == Language::Cpp) lines = {QStringLiteral("{"), QString(), QStringLiteral("}")};
  }
  int mainLine = 0, mainColumn = 0;
  if (language == Language::Pascal || language == Language::Cpp) {
    const ParsedScript parsed = parse(language, lines);
    if (parsed.ok) {
      mainLine = parsed.mainLine;
      mainColumn = parsed.mainColumn;
    } else {
      mainLine = guessMainLine(language, lines);
      mainColumn = 1;
    }
  }
  if (mainLine >= 1 && mainLine <= lines.size()) {
    qsizetype at = mainLine - 1;
    // The main block starting behind other text on its line ("end; begin")
    // starts a line of its own.
    const QString& line = lines[at];
    const qsizetype split = qMax(0, mainColumn - 1);
    if (split > 0 && split < line.size() && !line.left(split).trimmed().isEmpty()) {
      const QString before = line.left(split), rest = line.mid(split);
      lines[at] = before;
      lines.insert(at + 1, rest);
      ++at;
    }
    QStringList inserted = handler;
    inserted.append(QString());
    for (qsizetype i = 0; i < inserted.size(); ++i) lines.insert(at + i, inserted[i]);
    result.line = int(at) + 1;
  } else {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
    result.line = int(lines.size()) + 1;
    lines.append(handler);
  }
  result.bodyLine = result.line + bodyOffset;
  result.script = lines;
  return result;
}

}  // namespace valmoro::designer
