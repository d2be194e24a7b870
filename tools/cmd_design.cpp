// valmoro-report design FILE.fr3 [--database FILE --module NAME [--from DATE]
// [--to DATE]]: opens the report designer on a report file, standalone, and
// returns when its window is closed. With a database the designer's preview
// shows the module's log as the program's "Raport" command does; without
// one, "Wpisy" has the log's fields and no rows.

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "designer/designer_document.h"
#include "designer/designer_form.h"
#include "designer/designer_install.h"
#include "designer/recovery_journal.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "tools/command_registry.h"
#include "tools/report_preparation.h"

namespace valmoro::tools {

namespace {

int design(const QStringList& args);

const Command kDesign{
    QStringLiteral("design"),
    QStringLiteral("FILE.fr3 [--database FILE --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]]"),
    QStringLiteral("open the report designer on a report file (a missing file starts an empty report that saving "
                   "creates); returns when the designer is closed, exit 1 when the file cannot be opened"),
    design};

// SIGTERM (a session ending, a service manager) closes the designer as if
// asked to quit: the recovery journal is written first, so nothing unsaved
// is lost, and the file stays as it was.
int termPipe[2] = {-1, -1};
void onTerm(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(termPipe[1], &byte, 1);
}

int design(const QStringList& arguments) {
  QStringList args = arguments;
  DataOptions options;
  if (!takeDataOptions(args, options, kDesign.name)) return usageError(kDesign);
  if (args.size() != 1 || args[0].startsWith(u'-')) return usageError(kDesign);

  ModuleLog log;
  try {
    if (options.database.isEmpty()) log.openEmpty();
    else log.open(options.database, options.module, options.from, options.to);
  } catch (const db::DbError& e) {
    printErr(e.message());
    return 1;
  }
  designer::TfrxDesigner component;
  component.DefaultFileName = args[0];
  component.OnPreviewReport = [&log](report::TfrxReport& copy) { log.bindTo(copy); };
  report::TfrxReport report;
  try {
    report.LoadFromFile(args[0]);
  } catch (const report::ReportError& e) {
    printErr(e.message());
    return 1;
  }
  for (const QString& line : report.Errors()) printErr(line);

  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, termPipe) == 0) {
    auto* notifier = new QSocketNotifier(termPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
      char byte = 0;
      [[maybe_unused]] const auto got = ::read(termPipe[0], &byte, 1);
      designer::TfrxDesignerForm* form = designer::OpenDesignerForm();
      if (form == nullptr) std::_Exit(0);
      designer::DesignerDocument& document = form->Document();
      if (document.IsModified()) {
        // Unsaved work stays in the journal for the next opening to offer.
        if (designer::RecoveryJournal* journal = document.Journal()) journal->Flush();
        std::_Exit(0);
      }
      form->hide();
    });
    std::signal(SIGTERM, onTerm);
  }
  designer::ShowDesigner(report, true);
  return 0;
}

const bool registered = registerCommand(kDesign);

}  // namespace

}  // namespace valmoro::tools
