#pragma once
// The main window: the log grid of the logged-in module, the date filter, the
// menus with their role rules and the status bar. It owns the program's one
// database connection, the scratch query and the visible log.

#include <QDate>
#include <QMainWindow>
#include <memory>

#include "platform/grid_columns.h"

class QAction;
class QDateTimeEdit;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace valmoro::designer {
class TfrxDesigner;
}

namespace valmoro::exports {
class TfrxPDFExport;
class TfrxRTFExport;
class TfrxXLSExport;
}

namespace valmoro::db {
class Connection;
class DataSet;
class Query;
}  // namespace valmoro::db
namespace valmoro::grid {
class DbGrid;
}
namespace valmoro::report {
class TfrxDBDataset;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::app {

class TLogowanie;
class TWpis;
class TPracownicy;
class TBazaPunktow;
class TOprogramie;

class TAOknoGl : public QMainWindow {
  Q_OBJECT

public:
  // baseDir: the folder holding Dane/ (the executable's folder in the program).
  explicit TAOknoGl(const QString& baseDir, QWidget* parent = nullptr);
  ~TAOknoGl() override;

  // The windows created after this one, for the handlers that show them.
  void setWindows(TLogowanie* logowanie, TWpis* wpis, TPracownicy* pracownicy, TBazaPunktow* bazaPunktow,
                  TOprogramie* oprogramie);

  QString databasePath() const;  // Dane/Valmoro.db
  QString layoutPath() const;    // Dane/tabela.conf
  QString reportPath() const;    // Dane/Raport.fr3

  // Login state, set by the login window.
  QString ZalogowanyPracownik;
  QString ZalogowanaRola;
  QString ZalogowanyModul;

  // Components.
  // The export filters the preview's export menu lists (export_components.cpp).
  exports::TfrxPDFExport* frxPDFExport1 = nullptr;
  exports::TfrxRTFExport* frxRTFExport1 = nullptr;
  exports::TfrxXLSExport* frxXLSExport1 = nullptr;
  db::Connection* ADOConnection1;
  db::Query* ADOQuery1;
  db::DataSet* ADODataSet1;
  QWidget* Image1;
  QWidget* Panel1;
  QToolButton* SpeedButton1;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QDateTimeEdit* DateTimePicker1;
  QDateTimeEdit* DateTimePicker2;
  grid::DbGrid* DBGrid1;
  QMenu* PopupMenu1;
  QAction* Edytujwybranywpis1;
  QMenu* Plik1;
  QAction* Logowanie1;
  QAction* Zamknij1;
  QMenu* Narzdzia1;
  QAction* Bazapracownikw1;
  QAction* BazaPunktwPomiarowych1;
  QAction* Projektowanieraportu1;
  QAction* Raport1;
  QMenu* Pomoc1;
  QAction* Oprogramie1;
  QTimer* Autorun;
  // The report machinery: the report of the log and the data set "Wpisy"
  // over the visible log, so the date filter in force applies to it.
  report::TfrxReport* frxReport1;
  report::TfrxDBDataset* frxDBDataset1;
  // The designer component: its defaults for what the designer creates.
  designer::TfrxDesigner* frxDesigner1;

  // Panel 0: the database connection; 1: who is logged in; 2: the readings
  // the grid shows (the date range in force).
  QString statusText(int panel) const;
  void setStatusText(int panel, const QString& text);
  // The first status panel: connected, or open for reading only and why.
  // Shown again whenever the log is read, as the state may change meanwhile.
  void showConnectionState();

  // The date range of the readings shown: from inclusive, to exclusive
  // (invalid when the log is empty and no filter is in force).
  QDate rangeFrom() const { return rangeFrom_; }
  QDate rangeTo() const { return rangeTo_; }

  // Operations.
  void Ukryj();
  void Pokaz();
  void AutorunTimer();
  void Logowanie1Click();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void Edytujwybranywpis1Click() { SpeedButton2Click(); }
  void SpeedButton3Click();
  void Bazapracownikw1Click();
  void BazaPunktwPomiarowych1Click();
  void Oprogramie1Click();
  void Zamknij1Click();
  void Projektowanieraportu1Click();
  void Raport1Click();

  // The columns of the grid as designed.
  static QList<grid::Column> designedColumns();

  // Visibility as the user sees it (the window itself may be hidden in tests).
  bool isToolsMenuShown() const;
  bool isEditingShown() const;
  bool isLogShown() const;

signals:
  void closed();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void FormCreate();
  void createExportComponents();
  void FormClose();
  void buildMenus();
  void buildToolStrip();
  void layoutToolStrip();
  bool eventFilter(QObject* watched, QEvent* event) override;
  // After a login: the pickers span the module's readings.
  void showWholeLogRange();

  QString baseDir_;
  QDate rangeFrom_, rangeTo_;
  std::unique_ptr<db::Connection> connection_;
  std::unique_ptr<report::TfrxDBDataset> dbDataset_;
  std::unique_ptr<report::TfrxReport> report_;
  std::unique_ptr<designer::TfrxDesigner> designer_;
  void createReportComponents();
  QLabel* statusPanels_[3];
  TLogowanie* logowanie_ = nullptr;
  TWpis* wpis_ = nullptr;
  TPracownicy* pracownicy_ = nullptr;
  TBazaPunktow* bazaPunktow_ = nullptr;
  TOprogramie* oprogramie_ = nullptr;
};

// The font of every own window: Tahoma, 11 pixels, bold.
QFont windowFont();

// Shows one of the program's windows in front of the main window and gives it
// the keyboard, also when it was open already but hidden behind.
void bringToFront(QWidget* window);

// Reads a list through the scratch query: the named field of every row, in
// the order returned. The first row is taken before the end is tested, so an
// empty result gives one empty text. Throws db::DbError.
QStringList readList(db::Query& query, const QString& statement, const QString& field,
                     const QList<QPair<QString, QString>>& values = {});

}  // namespace valmoro::app
