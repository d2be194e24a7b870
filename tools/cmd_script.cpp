// valmoro-report script parse: the script engine from the command line
// (the program XML of a source).

#include <iostream>

#include "script/script_parse_command.h"
#include "tools/command_registry.h"

namespace valmoro::tools {
namespace {

const Command kScript{
    QStringLiteral("script"),
    QStringLiteral("parse [--language NAME] FILE"),
    QStringLiteral("prints a script's program XML"),
    [](const QStringList& args) -> int {
      const QString sub = args.value(0);
      const QStringList rest = args.mid(1);
      if (sub == QLatin1String("parse")) return script::RunScriptParseCommand(rest, std::cout, std::cerr);
      return usageError(kScript);
    }};

const bool registered = registerCommand(kScript);

}  // namespace
}  // namespace valmoro::tools
