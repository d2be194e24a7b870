// valmoro-report: the report subsystem from the command line.

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/dialogs.h"
#include "report/engine/memo_expansion.h"
#include "report/model/script_classes.h"
#include "tools/command_registry.h"

namespace {

void printHelp() {
  using valmoro::tools::printOut;
  printOut(QStringLiteral("usage: valmoro-report COMMAND [ARGUMENTS]"));
  printOut(QString());
  printOut(QStringLiteral("Commands:"));
  QList<valmoro::tools::Command> list = valmoro::tools::commands();
  std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : list) {
    printOut(QStringLiteral("  %1 %2").arg(c.name, c.usage));
    printOut(QStringLiteral("      %1").arg(c.summary));
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing pages (text included) needs the GUI part of Qt; the tool never
  // shows a window, so that runs on the off-screen platform wherever it is.
  // Other commands stay with the core part.
  std::unique_ptr<QCoreApplication> application;
  if (argc > 1 && std::strcmp(argv[1], "render") == 0) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication& app = *application;
  // Boxes a report or a script would show become lines of text.
  valmoro::dialogs::setMode(valmoro::dialogs::Mode::Console);
  // What scripts of reports can reach: the platform classes, then the report's own.
  valmoro::report::RegisterReportClassesModule();
  // Text views expand their expressions; footers collect their totals.
  valmoro::report::engine::InstallTextExpansion();
  const QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) {
    valmoro::tools::printErr(QStringLiteral("usage: valmoro-report COMMAND [ARGUMENTS] (valmoro-report --help)"));
    return 2;
  }
  if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
    printHelp();
    return 0;
  }
  for (const auto& c : valmoro::tools::commands())
    if (c.name == args.first()) return c.run(args.mid(1));
  valmoro::tools::printErr(QStringLiteral("valmoro-report: unknown command '%1'").arg(args.first()));
  valmoro::tools::printErr(QStringLiteral("usage: valmoro-report COMMAND [ARGUMENTS] (valmoro-report --help)"));
  return 2;
}
