// Valmoro: the temperature and humidity log.

#include <QApplication>

#include "app/main_window.h"
#include "app/program.h"
#include "app/report_windows.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  valmoro::app::setUpApplication();
  // "Raport": the band engine prepares, the preview window shows, prints
  // and exports.
  valmoro::app::installReportWindows();
  // The program ends with its main window, whatever else is open.
  QApplication::setQuitOnLastWindowClosed(false);

  valmoro::app::Program program = valmoro::app::createProgram(QApplication::applicationDirPath());
  QObject::connect(program.AOknoGl.get(), &valmoro::app::TAOknoGl::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  program.AOknoGl->showMaximized();
  return QApplication::exec();
}
