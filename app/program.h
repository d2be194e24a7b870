#pragma once
// The program's six windows, created in their fixed order.

#include <QString>
#include <memory>

namespace valmoro::app {

class TAOknoGl;
class TLogowanie;
class TWpis;
class TPracownicy;
class TBazaPunktow;
class TOprogramie;

struct Program {
  Program();
  ~Program();
  Program(Program&&) noexcept;
  Program& operator=(Program&&) noexcept;

  // Destroyed in reverse order: the main window, which owns the connection, last.
  std::unique_ptr<TAOknoGl> AOknoGl;
  std::unique_ptr<TLogowanie> Logowanie;
  std::unique_ptr<TWpis> Wpis;
  std::unique_ptr<TPracownicy> Pracownicy;
  std::unique_ptr<TBazaPunktow> BazaPunktow;
  std::unique_ptr<TOprogramie> Oprogramie;

private:
  void release();
};

// What the program sets once, before its first window: its name, the title
// of its message boxes and the Polish regional settings of every control.
void setUpApplication();

// Creates the windows: main window (which opens the database), login, entry,
// users register, points register, about box. baseDir holds Dane/.
Program createProgram(const QString& baseDir);

}  // namespace valmoro::app
