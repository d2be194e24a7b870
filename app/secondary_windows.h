#pragma once
// The entry window, the two registers and the about box. Each is created once
// at start and lives, hidden or shown, until the program ends.

#include <QWidget>

class QComboBox;

namespace valmoro::app {

class TAOknoGl;

// Recording a new reading or correcting one.
class TWpis : public QWidget {
  Q_OBJECT

public:
  explicit TWpis(TAOknoGl* main, QWidget* parent = nullptr);

  QComboBox* ComboBox1;  // the points of the logged-in module, filled at login

  // Hooks for the entry form: each opening fills the window from the main
  // window (a new reading, or the selected one) and shows it.
  void openForNew(TAOknoGl& main);
  void openForEdit(TAOknoGl& main);

private:
  TAOknoGl* main_;
};

// A plain register window over one table.
class RegisterWindow : public QWidget {
  Q_OBJECT

public:
  RegisterWindow(TAOknoGl* main, const QString& objectName, const QString& caption, QSize clientSize,
                 QWidget* parent = nullptr);
  // Hook for the register's grid and navigator: shows the window (and opens
  // its data set once the register has one).
  void showRegister();

protected:
  TAOknoGl* main_;
};

class TPracownicy : public RegisterWindow {
  Q_OBJECT

public:
  explicit TPracownicy(TAOknoGl* main, QWidget* parent = nullptr);
};

class TBazaPunktow : public RegisterWindow {
  Q_OBJECT

public:
  explicit TBazaPunktow(TAOknoGl* main, QWidget* parent = nullptr);
};

class TOprogramie : public QWidget {
  Q_OBJECT

public:
  explicit TOprogramie(TAOknoGl* main, QWidget* parent = nullptr);
};

}  // namespace valmoro::app
