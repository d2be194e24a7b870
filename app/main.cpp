// Valmoro: the temperature and humidity log.

#include <QApplication>

#include "app/main_window.h"
#include "app/program.h"
#include "app/report_windows.h"
#include "preview/print_install.h"
#include "report/engine/engine.h"
#include "report/engine/memo_expansion.h"
#include "report/model/script_classes.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  valmoro::app::setUpApplication();
  // What report scripts can reach: the platform classes, then the report's own.
  valmoro::report::RegisterReportClassesModule();
  // Text views expand their expressions; footers collect their totals.
  valmoro::report::engine::InstallTextExpansion();
  // "Raport": the band engine prepares, the preview window shows.
  valmoro::report::engine::InstallBandEngine();
  valmoro::app::installReportWindows();
  // The preview's Print command, and new pages on the current printer's paper.
  valmoro::preview::InstallPrinting();
  // The program ends with its main window, whatever else is open.
  QApplication::setQuitOnLastWindowClosed(false);

  valmoro::app::Program program = valmoro::app::createProgram(QApplication::applicationDirPath());
  QObject::connect(program.AOknoGl.get(), &valmoro::app::TAOknoGl::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  program.AOknoGl->showMaximized();
  return QApplication::exec();
}
