#include "program.h"

#include "app/login_window.h"
#include "app/main_window.h"
#include "app/about_box.h"
#include "app/entry_window.h"
#include "app/registers.h"

namespace valmoro::app {

Program::Program() = default;
Program::Program(Program&&) noexcept = default;
Program& Program::operator=(Program&&) noexcept = default;

Program::~Program() {
  Oprogramie.reset();
  BazaPunktow.reset();
  Pracownicy.reset();
  Wpis.reset();
  Logowanie.reset();
  AOknoGl.reset();
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
