// valmoro-report script parse|run|eval: the script engine from the command
// line (program XML of a source, running a script, evaluating an expression).

#include <iostream>

#include "script/script_parse_command.h"
#include "script/script_run_command.h"
#include "tools/command_registry.h"

namespace valmoro::tools {
namespace {

const Command kScript{
    QStringLiteral("script"),
    QStringLiteral("parse|run [--language NAME] FILE | eval [--language NAME] EXPR"),
    QStringLiteral("print a script's program XML, run a script (its message boxes go to standard output) "
                   "or evaluate an expression"),
    [](const QStringList& args) -> int {
      const QString sub = args.value(0);
      const QStringList rest = args.mid(1);
      if (sub == QLatin1String("parse")) return script::RunScriptParseCommand(rest, std::cout, std::cerr);
      if (sub == QLatin1String("run")) return script::RunScriptRunCommand(rest, std::cout, std::cerr);
      if (sub == QLatin1String("eval")) return script::RunScriptEvalCommand(rest, std::cout, std::cerr);
      return usageError(kScript);
    }};

const bool registered = registerCommand(kScript);

}  // namespace
}  // namespace valmoro::tools
