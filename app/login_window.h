#pragma once
// The login window: user, password and module.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace valmoro::app {

class TAOknoGl;

class TLogowanie : public QWidget {
  Q_OBJECT

public:
  // The window belongs to the main window: it stays in front of it.
  explicit TLogowanie(TAOknoGl* main);

  QLabel* Label1;
  QComboBox* ComboBox1;  // users
  QLabel* Label2;
  QLineEdit* Edit1;      // password
  QLabel* Label3;
  QComboBox* ComboBox2;  // modules
  QPushButton* Button1;
  QLabel* Image1;

  void FormShow();
  void Button1Click();

protected:
  void showEvent(QShowEvent* event) override;
  // Enter anywhere in the window logs in, as a dialog's default button does.
  void keyPressEvent(QKeyEvent* event) override;

private:
  TAOknoGl* main_;
};

}  // namespace valmoro::app
