// valmoro-report: the report subsystem from the command line.

#include <QApplication>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>

#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/locale.h"
#include "designer/designer_install.h"
#include "report/run/install.h"
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
  // `design` opens the designer's window on the user's display; every other
  // command draws pages (text included), which needs the GUI part of Qt,
  // but never shows a window, so it runs on the off-screen platform
  // wherever it is.
  const bool designing = argc > 1 && std::strcmp(argv[1], "design") == 0;
  if (!designing) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Without a session (servers, cron, tests) Qt would warn on standard error
  // about the missing runtime folder; give it a private one, as it would.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QByteArray dir = QByteArray("/tmp/runtime-") + QByteArray::number(uint(getuid()));
    mkdir(dir.constData(), 0700);
    struct stat info {};
    if (stat(dir.constData(), &info) == 0 && info.st_uid == getuid() && (info.st_mode & 0077) == 0)
      qputenv("XDG_RUNTIME_DIR", dir);
  }
  QApplication app(argc, argv);
  // An export past the file size limit says so instead of ending silently.
  valmoro::files::ignoreFileSizeSignal();
  // Qt's own texts (as in the program) in Polish.
  valmoro::locale::installQtTranslations();
  // Boxes a report or a script would show become lines of text.
  valmoro::dialogs::setMode(designing ? valmoro::dialogs::Mode::Gui : valmoro::dialogs::Mode::Console);
  // No windows: `print` installs printing for itself, so that no other
  // command's new pages take the printer's paper. The designer brings its
  // own windows: preview and printing from its preview.
  if (designing) {
    valmoro::designer::installDesignerWindows();
  } else {
    valmoro::report::installReportSubsystem();
  }
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
