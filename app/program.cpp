#include "program.h"

#include <QApplication>

#include "app/login_window.h"
#include "app/main_window.h"
#include "app/about_box.h"
#include "app/entry_window.h"
#include "app/registers.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/locale.h"

namespace valmoro::app {

Program::Program() = default;
Program::Program(Program&&) noexcept = default;

// The other windows belong to the main window: they go first, so that the
// main window never deletes one that is still owned here.
Program& Program::operator=(Program&& other) noexcept {
  if (this == &other) return *this;
  release();
  AOknoGl = std::move(other.AOknoGl);
  Logowanie = std::move(other.Logowanie);
  Wpis = std::move(other.Wpis);
  Pracownicy = std::move(other.Pracownicy);
  BazaPunktow = std::move(other.BazaPunktow);
  Oprogramie = std::move(other.Oprogramie);
  return *this;
}

Program::~Program() { release(); }

void Program::release() {
  Oprogramie.reset();
  BazaPunktow.reset();
  Pracownicy.reset();
  Wpis.reset();
  Logowanie.reset();
  AOknoGl.reset();
}

void setUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Valmoro"));
  // No display name: the window system would append it to every caption,
  // and each window's caption already says what the user should read.
  dialogs::setApplicationTitle(QStringLiteral("Valmoro"));
  locale::useInControls();
  // A full disk or a file size limit is then a message, not a sudden end.
  files::ignoreFileSizeSignal();
  // Qt's own dialogs and buttons (file dialogs above all) in Polish too.
  locale::installQtTranslations();
}

Program createProgram(const QString& baseDir) {
  Program p;
  p.AOknoGl = std::make_unique<TAOknoGl>(baseDir);
  TAOknoGl* main = p.AOknoGl.get();
  p.Logowanie = std::make_unique<TLogowanie>(main);
  p.Wpis = std::make_unique<TWpis>(main);
  p.Pracownicy = std::make_unique<TPracownicy>(main);
  p.BazaPunktow = std::make_unique<TBazaPunktow>(main);
  p.Oprogramie = std::make_unique<TOprogramie>(main);
  main->setWindows(p.Logowanie.get(), p.Wpis.get(), p.Pracownicy.get(), p.BazaPunktow.get(), p.Oprogramie.get());
  return p;
}

}  // namespace valmoro::app
