#pragma once
// The entry window: one form for a new reading and for correcting one. The
// button's caption is the mode: "Dodaj wpis" inserts, anything else updates.

#include <QWidget>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace valmoro::app {

class TAOknoGl;

class TWpis : public QWidget {
  Q_OBJECT

public:
  // The window belongs to the main window: it stays in front of it.
  explicit TWpis(TAOknoGl* main);

  QLabel* Label9;
  QLabel* Label10;  // entry number, or "nadawany automatycznie"
  QLabel* Label1;
  QLabel* Label3;   // module
  QLabel* Label2;
  QComboBox* ComboBox1;  // points of the logged-in module, filled at login
  QLabel* Label4;
  // The date and the time of the reading are one box, one Tab stop; the two
  // names are that box, for its date and for its time of day.
  QDateTimeEdit* DateTimePicker1;
  QDateTimeEdit* DateTimePicker2;
  QLabel* Label5;
  QLineEdit* Edit1;  // temperature as typed
  QLabel* Label6;
  QLineEdit* Edit2;  // humidity as typed
  QLabel* Label7;
  QLabel* Label8;    // user
  QPushButton* Button1;
  QLabel* Image1;

  // Fills the window for a new reading and shows it.
  void openForNew();
  // Fills the window from the visible log's current reading and shows it;
  // with no reading to correct, says so and stays hidden.
  void openForEdit();
  // Sends the reading; the window hides after a successful save and stays
  // open, with what was typed, after a refused one.
  void Button1Click();

  // How the form names a field of the log (empty for a field it does not show).
  QString fieldLabel(const QString& field) const;

protected:
  // Enter in any field saves, as a dialog's default button does; Esc closes.
  void keyPressEvent(QKeyEvent* event) override;
  // Tab leaves the date-time box instead of walking through its parts.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // What is refused before the database sees it; empty when all is well.
  QString refusal() const;
  void showCentred();
  TAOknoGl* main_;
};

}  // namespace valmoro::app
