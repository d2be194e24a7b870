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
  explicit TOprogramie(TAOknoGl* main, QWidget* parent = nullptr);

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
