#pragma once
// The about box.

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace valmoro::app {

class TAOknoGl;

class TOprogramie : public QWidget {
  Q_OBJECT

public:
  // The window belongs to the main window: it stays in front of it.
  explicit TOprogramie(TAOknoGl* main);

  QLabel* Label1;
  QPlainTextEdit* Memo1;
  QLabel* Image1;

  // Shown not modal, centred over the main window.
  void showCentred();

private:
  TAOknoGl* main_;
};

// The eight lines of the box; the build's version and date are filled in.
QStringList aboutLines();

}  // namespace valmoro::app
