#pragma once
// The users register and the register of modules and their points: table
// editors over Uzytkownicy and Moduly, written back row by row.

#include <QWidget>

class QLabel;

namespace valmoro::db {
class DataSet;
}
namespace valmoro::grid {
class DbGrid;
class DbNavigator;
}  // namespace valmoro::grid

namespace valmoro::app {

class TAOknoGl;

class RegisterWindow : public QWidget {
  Q_OBJECT

public:
  QLabel* Label1;
  grid::DbGrid* DBGrid1;
  grid::DbNavigator* DBNavigator1;
  QLabel* Image1;

  // Shows the window (not modal) and opens its data set if it is not open.
  void showRegister();
  db::DataSet* dataSet() const { return dataSet_; }

protected:
  // The window belongs to the main window: it stays in front of it.
  RegisterWindow(TAOknoGl* main, const QString& objectName, const QString& caption, const QString& label,
                 QSize clientSize, const QString& statement);
  void resizeEvent(QResizeEvent* event) override;
  // Esc closes the window (a row being edited is cancelled by the grid first).
  void keyPressEvent(QKeyEvent* event) override;
  // Opens the data set when the database is there; errors are shown.
  void openDataSet(bool quiet);

  TAOknoGl* main_;
  db::DataSet* dataSet_;
};

class TPracownicy : public RegisterWindow {
  Q_OBJECT

public:
  explicit TPracownicy(TAOknoGl* main);
  db::DataSet* ADOPracownicy;

private:
  void checkBeforePost(db::DataSet& ds);
  void checkBeforeDelete(db::DataSet& ds);
  int otherAdministrators(db::DataSet& ds);
};

class TBazaPunktow : public RegisterWindow {
  Q_OBJECT

public:
  explicit TBazaPunktow(TAOknoGl* main);
  db::DataSet* ADOModuly;
};

}  // namespace valmoro::app
