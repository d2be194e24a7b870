#pragma once
// Script handlers of report events, without any window: what a handler of
// an event receives, which of the script's procedures can handle it, and a
// new empty handler written in the report's script language where it
// belongs. The object inspector's events tab uses it; so can anything
// that makes handlers (a double click on an object in the workspace).

#include <QList>
#include <QString>
#include <QStringList>

namespace valmoro::report {
class TfrxComponent;
}

namespace valmoro::designer {

// What the engine passes to a handler of an event, in order.
struct EventParameter {
  QString name;
  // The type as PascalScript writes it ("TfrxComponent", "Boolean").
  QString type;
  // Written back by the handler (var / & / ByRef).
  bool byReference = false;
};

// The parameters the handler of the event named so receives: Sender alone
// for most, more for clicks in the preview, keys and closing of dialog
// windows, none but the result for OnRunDialogs.
QList<EventParameter> eventParameters(const QString& eventName);

// A procedure or function the main source of a script declares.
struct ScriptProcedure {
  QString name;
  int parameterCount = 0;
  int line = 0;  // where its declaration starts, from 1
};

// The routines of a script, in source order; none when it does not parse.
QList<ScriptProcedure> scriptProcedures(const QString& language, const QStringList& script);

// The names of the routines that can handle the event (as many parameters
// as the engine passes), in source order.
QStringList fittingProcedures(const QString& language, const QStringList& script, const QString& eventName);

// The name a new handler gets: the object's name and the event's
// ("MemoTemperaturaOnBeforePrint").
QString handlerName(const QString& objectName, const QString& eventName);

// The empty handler as the language writes it, one entry per line.
QStringList handlerText(const QString& language, const QString& name, const QList<EventParameter>& parameters);

struct InsertedHandler {
  QStringList script;  // the whole script with the handler in it
  int line = 0;        // the handler's first line, from 1
  int bodyLine = 0;    // the empty line inside it where typing starts, from 1
};

// The script with the handler inserted where it belongs: before the main
// block of PascalScript ("begin … end.") and C++Script ("{ … }"), at the
// end in JScript and BasicScript, whose main code is the statements
// between the routines. An empty script gets the main block as well, so
// that it still compiles.
InsertedHandler insertHandler(const QString& language, const QStringList& script, const QString& name,
                              const QList<EventParameter>& parameters);

}  // namespace valmoro::designer
