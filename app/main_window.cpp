#include "main_window.h"

#include <QCloseEvent>
#include <algorithm>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSaveFile>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/log_period.h"
#include "app/about_box.h"
#include "app/entry_window.h"
#include "app/log_statements.h"
#include "app/login_window.h"
#include "app/pictures.h"
#include "app/registers.h"
#include "designer/designer_install.h"
#include "platform/component_stream.h"
#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/locale.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_options.h"
#include "report/model/resources.h"

namespace valmoro::app {

QFont windowFont() {
  // Tahoma where it is installed, else a font of about its width.
  QFont f;
  f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                 QStringLiteral("DejaVu Sans")});
  f.setPixelSize(11);
  f.setBold(true);
  return f;
}

void bringToFront(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

QStringList readList(db::Query& query, const QString& statement, const QString& field,
                     const QList<QPair<QString, QString>>& values) {
  query.close();
  query.clearLines();
  query.addLine(statement);
  for (const auto& [name, value] : values) query.bindValue(name, value);
  query.open();
  QStringList out;
  query.first();
  do {
    out.append(query.fieldByName(field).asString());
    query.next();
  } while (!query.eof());
  query.close();
  return out;
}

namespace {

// The picture that fills the client area while the log is hidden.
class PictureArea : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent*) override {
    if (cache_.size() != size()) cache_ = pictures::mainPicture(size());
    QPainter(this).drawPixmap(0, 0, cache_);
  }

private:
  QPixmap cache_;
};

constexpr int kDesignWidth = 764;

}  // namespace

TAOknoGl::TAOknoGl(const QString& baseDir, QWidget* parent)
    : QMainWindow(parent), baseDir_(baseDir), connection_(std::make_unique<db::Connection>()) {
  setObjectName(QStringLiteral("AOknoGl"));
  setFont(windowFont());
  ADOConnection1 = connection_.get();
  createExportComponents();
  ADOQuery1 = new db::Query(ADOConnection1, this);
  ADODataSet1 = new db::DataSet(ADOConnection1, this);
  ADODataSet1->setCommandText(statements::S1);
  ADODataSet1->setDisplayFormat(QStringLiteral("Temperatura"), QStringLiteral("#,##0.00"));
  ADODataSet1->setDisplayFormat(QStringLiteral("Wilgotnosc"), QStringLiteral("#,##0.00"));

  auto* central = new PictureArea(this);
  Image1 = central;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildToolStrip();
  layout->addWidget(Panel1);
  DBGrid1 = new grid::DbGrid(central);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->setColumns(designedColumns());
  DBGrid1->setDataSet(ADODataSet1);
  layout->addWidget(DBGrid1, 1);
  layout->addStretch(0);
  setCentralWidget(central);

  PopupMenu1 = new QMenu(this);
  Edytujwybranywpis1 = PopupMenu1->addAction(QStringLiteral("Edytuj wybrany wpis"));
  connect(Edytujwybranywpis1, &QAction::triggered, this, [this] { Edytujwybranywpis1Click(); });
  connect(DBGrid1, &grid::DbGrid::popupRequested, this, [this](const QPoint& pos) {
    if (Edytujwybranywpis1->isVisible()) PopupMenu1->popup(pos);
  });

  buildMenus();

  auto* bar = new QStatusBar(this);
  const int widths[2] = {210, 500};
  for (int i = 0; i < 3; ++i) {
    statusPanels_[i] = new QLabel(bar);
    if (i < 2) statusPanels_[i]->setFixedWidth(widths[i]);
    bar->addWidget(statusPanels_[i], i < 2 ? 0 : 1);
  }
  setStatusBar(bar);

  Autorun = new QTimer(this);
  Autorun->setInterval(100);
  Autorun->setSingleShot(true);
  connect(Autorun, &QTimer::timeout, this, [this] { AutorunTimer(); });

  createReportComponents();

  resize(kDesignWidth, 544);
  FormCreate();
  Autorun->start();
}

TAOknoGl::~TAOknoGl() {
  // The report goes before the data set it reads, and both before the log.
  report_.reset();
  dbDataset_.reset();
  // The data sets go before the connection they read from.
  delete ADODataSet1;
  delete ADOQuery1;
}

void TAOknoGl::setWindows(TLogowanie* logowanie, TWpis* wpis, TPracownicy* pracownicy, TBazaPunktow* bazaPunktow,
                          TOprogramie* oprogramie) {
  logowanie_ = logowanie;
  wpis_ = wpis;
  pracownicy_ = pracownicy;
  bazaPunktow_ = bazaPunktow;
  oprogramie_ = oprogramie;
}

QString TAOknoGl::databasePath() const { return QDir(baseDir_).filePath(QStringLiteral("Dane/Valmoro.db")); }
QString TAOknoGl::layoutPath() const { return QDir(baseDir_).filePath(QStringLiteral("Dane/tabela.conf")); }
QString TAOknoGl::reportPath() const { return QDir(baseDir_).filePath(QStringLiteral("Dane/Raport.fr3")); }

QList<grid::Column> TAOknoGl::designedColumns() {
  struct Design {
    const char* field;
    const char* title;  // nullptr: the field's name
    int width;
  };
  static const Design designs[] = {
      {"Data", "Data pomiaru", 120},   {"Modul", "Moduł", 120},        {"Punkt", nullptr, 100},
      {"Temperatura", nullptr, 100},   {"Wilgotnosc", "Wilgotność [%]", 100}, {"Pracownik", nullptr, 160},
  };
  QList<grid::Column> out;
  for (const Design& d : designs) {
    grid::Column c;
    c.alignment = grid::Alignment::Center;
    c.expanded = false;
    c.fieldName = QString::fromLatin1(d.field);
    c.title.alignment = grid::Alignment::Center;
    if (d.title) c.title.caption = QString::fromUtf8(d.title);
    c.width = d.width;
    out.append(c);
  }
  return out;
}

void TAOknoGl::buildToolStrip() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(49);
  Panel1->setAutoFillBackground(true);
  Panel1->installEventFilter(this);
  auto button = [this](const char* name, const QString& caption, pictures::Button picture) {
    auto* b = new QToolButton(Panel1);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(QIcon(pictures::buttonPicture(picture)));
    b->setIconSize(QSize(34, 34));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
  };
  SpeedButton1 = button("SpeedButton1", QStringLiteral("Dodaj nowy wpis"), pictures::Button::Add);
  SpeedButton2 = button("SpeedButton2", QStringLiteral("Edytuj wybrany wpis"), pictures::Button::Edit);
  SpeedButton3 = button("SpeedButton3", QStringLiteral("Filtruj"), pictures::Button::Filter);
  Label1 = new QLabel(QStringLiteral("Filtrowanie wpisów:"), Panel1);
  Label2 = new QLabel(QStringLiteral("Od:"), Panel1);
  Label3 = new QLabel(QStringLiteral("do:"), Panel1);
  auto picker = [this](const char* name) {
    auto* p = new QDateTimeEdit(Panel1);
    p->setObjectName(QString::fromLatin1(name));
    p->setCalendarPopup(true);
    p->setDisplayFormat(locale::formats().shortDateFormat);
    return p;
  };
  DateTimePicker1 = picker("DateTimePicker1");
  DateTimePicker2 = picker("DateTimePicker2");
  // Enter presses the focused button; in a date box it filters.
  for (QWidget* w : {static_cast<QWidget*>(SpeedButton1), static_cast<QWidget*>(SpeedButton2),
                     static_cast<QWidget*>(SpeedButton3), static_cast<QWidget*>(DateTimePicker1),
                     static_cast<QWidget*>(DateTimePicker2)})
    w->installEventFilter(this);
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
  layoutToolStrip();
}

// The buttons keep their place at the left; the filter keeps its distance
// from the right edge, as designed for a 764-pixel wide window.
void TAOknoGl::layoutToolStrip() {
  const int shift = Panel1->width() - kDesignWidth;
  SpeedButton1->setGeometry(8, 4, 161, 41);
  SpeedButton2->setGeometry(168, 4, 185, 41);
  Label1->setGeometry(385 + shift, 2, 160, 16);
  Label2->setGeometry(385 + shift, 24, 24, 20);
  DateTimePicker1->setGeometry(409 + shift, 22, 98, 22);
  Label3->setGeometry(513 + shift, 24, 24, 20);
  DateTimePicker2->setGeometry(537 + shift, 22, 98, 22);
  SpeedButton3->setGeometry(641 + shift, 4, 104, 41);
}

bool TAOknoGl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel1 && event->type() == QEvent::Resize) layoutToolStrip();
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (auto* button = qobject_cast<QToolButton*>(watched)) {
        button->click();
        return true;
      }
      if (watched == DateTimePicker1 || watched == DateTimePicker2) {
        SpeedButton3->click();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TAOknoGl::buildMenus() {
  QMenuBar* bar = menuBar();
  // Every menu and item has its Alt letter, as in any desktop program.
  Plik1 = bar->addMenu(QStringLiteral("&Plik"));
  Logowanie1 = Plik1->addAction(QStringLiteral("&Logowanie"));
  Plik1->addSeparator();
  Zamknij1 = Plik1->addAction(QStringLiteral("&Zamknij"));
  Narzdzia1 = bar->addMenu(QStringLiteral("&Narzędzia"));
  Bazapracownikw1 = Narzdzia1->addAction(QStringLiteral("&Baza pracowników"));
  BazaPunktwPomiarowych1 = Narzdzia1->addAction(QStringLiteral("Baza &Punktów Pomiarowych"));
  Narzdzia1->addSeparator();
  Projektowanieraportu1 = Narzdzia1->addAction(QStringLiteral("Pro&jektowanie raportu"));
  Raport1 = Narzdzia1->addAction(QStringLiteral("&Raport"));
  Pomoc1 = bar->addMenu(QStringLiteral("P&omoc"));
  Oprogramie1 = Pomoc1->addAction(QStringLiteral("&O programie..."));

  connect(Logowanie1, &QAction::triggered, this, [this] { Logowanie1Click(); });
  connect(Zamknij1, &QAction::triggered, this, [this] { Zamknij1Click(); });
  connect(Bazapracownikw1, &QAction::triggered, this, [this] { Bazapracownikw1Click(); });
  connect(BazaPunktwPomiarowych1, &QAction::triggered, this, [this] { BazaPunktwPomiarowych1Click(); });
  connect(Projektowanieraportu1, &QAction::triggered, this, [this] { Projektowanieraportu1Click(); });
  connect(Raport1, &QAction::triggered, this, [this] { Raport1Click(); });
  connect(Oprogramie1, &QAction::triggered, this, [this] { Oprogramie1Click(); });
}

QString TAOknoGl::statusText(int panel) const { return statusPanels_[panel]->text(); }
void TAOknoGl::setStatusText(int panel, const QString& text) { statusPanels_[panel]->setText(text); }

bool TAOknoGl::isToolsMenuShown() const { return Narzdzia1->menuAction()->isVisible(); }
bool TAOknoGl::isEditingShown() const { return !SpeedButton2->isHidden() && Edytujwybranywpis1->isVisible(); }
bool TAOknoGl::isLogShown() const { return !DBGrid1->isHidden() && !Panel1->isHidden(); }

void TAOknoGl::FormCreate() {
  // 1. The grid layout saved at the last close. A file that cannot be read
  //    is reported and the designed columns stay; start-up goes on.
  if (QFileInfo::exists(layoutPath())) {
    QFile file(layoutPath());
    try {
      if (!file.open(QIODevice::ReadOnly)) throw stream::StreamError(files::ioErrorText(file));
      DBGrid1->loadColumns(file.readAll());
    } catch (const stream::StreamError& e) {
      DBGrid1->setColumns(designedColumns());
      dialogs::showError(QStringLiteral("Nie można odczytać układu kolumn z pliku %1:\r%2\rUżyto układu domyślnego.")
                             .arg(dialogs::shortPath(layoutPath()), QString::fromUtf8(e.what())),
                         this);
    }
  }
  // 2.
  setWindowTitle(QStringLiteral("Valmoro - Brevant - Wersja 1.0.0"));
  // 3. Both pickers hold the same moment, so a first filter shows today.
  const QDateTime now = QDateTime::currentDateTime();
  DateTimePicker1->setDateTime(now);
  DateTimePicker2->setDateTime(now);
  // 4.
  Ukryj();
  // 5./6.
  if (QFileInfo::exists(databasePath())) {
    try {
      ADOConnection1->close();
      ADOConnection1->open(databasePath());
      showConnectionState();
    } catch (const db::DbError& e) {
      dialogs::showError(e.message(), this);
    }
  } else {
    setStatusText(0, QStringLiteral("BŁĄD połączenia z bazą danych!!!"));
    // Where it was looked for, so that the user can put the file there.
    dialogs::showMessage(QStringLiteral("Kod błędu [001]:\rBrak pliku bazy danych!\rSzukano pliku: %1")
                             .arg(dialogs::shortPath(databasePath())),
                         this);
  }
}

void TAOknoGl::showConnectionState() {
  if (!ADOConnection1->isOpen()) return;
  if (!ADOConnection1->isReadOnly()) {
    setStatusText(0, QStringLiteral("Poprawnie połączono z bazą danych!"));
    return;
  }
  // Said at once, so nobody records readings that cannot be saved.
  const QString refusing = QDir::toNativeSeparators(ADOConnection1->refusingPath());
  const QString reason = QFileInfo(ADOConnection1->refusingPath()).isDir()
                             ? QStringLiteral("folder %1 nie pozwala na zapis.").arg(refusing)
                             : QStringLiteral("plik %1 nie pozwala na zapis.").arg(refusing);
  setStatusText(0, QStringLiteral("Baza danych otwarta tylko do odczytu: ") + reason);
}

void TAOknoGl::Ukryj() {
  DBGrid1->hide();
  Panel1->hide();
  Narzdzia1->menuAction()->setVisible(false);
}

void TAOknoGl::Pokaz() {
  try {
    // 1. The module's log, newest first.
    ADODataSet1->close();
    ADODataSet1->setCommandText(statements::S5);
    ADODataSet1->clearBindings();
    ADODataSet1->bindValue(QStringLiteral(":modul"), ZalogowanyModul);
    ADODataSet1->open();
    showConnectionState();
    // 2. The entry window's points.
    if (wpis_) {
      wpis_->ComboBox1->clear();
      wpis_->ComboBox1->addItems(readList(*ADOQuery1, statements::S6, QStringLiteral("punkt"),
                                          {{QStringLiteral(":modul"), ZalogowanyModul}}));
    }
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), this);
    return;
  }
  showWholeLogRange();
  // 3./4. What the role may see.
  DBGrid1->show();
  Panel1->show();
  SpeedButton2->hide();
  Edytujwybranywpis1->setVisible(false);
  if (ZalogowanaRola == QLatin1String("administrator")) {
    SpeedButton2->show();
    Edytujwybranywpis1->setVisible(true);
    Narzdzia1->menuAction()->setVisible(true);
  }
}

void TAOknoGl::showWholeLogRange() {
  // The whole log of the module is in force: the pickers span its readings
  // (the upper one the day after the newest, as the filter counts), so that
  // what they show is what the grid holds and "Filtruj" gives the same rows.
  rangeFrom_ = rangeTo_ = QDate();
  try {
    db::Query& q = *ADOQuery1;
    q.close();
    q.clearLines();
    q.addLine(statements::kLogRange);
    q.bindValue(QStringLiteral(":modul"), ZalogowanyModul);
    q.open();
    const QDate oldest = q.fieldByName(QStringLiteral("najstarszy")).asDateTime().date();
    const QDate newest = q.fieldByName(QStringLiteral("najnowszy")).asDateTime().date();
    q.close();
    if (oldest.isValid() && newest.isValid()) {
      rangeFrom_ = oldest;
      rangeTo_ = newest.addDays(1);
    }
  } catch (const db::DbError&) {
    // The log itself is shown; the pickers then keep today's date.
    ADOQuery1->close();
  }
  if (rangeFrom_.isValid()) {
    DateTimePicker1->setDateTime(QDateTime(rangeFrom_, QTime(0, 0)));
    DateTimePicker2->setDateTime(QDateTime(rangeTo_, QTime(0, 0)));
    setStatusText(2, QStringLiteral("Wszystkie wpisy modułu: od %1 do %2")
                         .arg(locale::formatDate(rangeFrom_), locale::formatDate(rangeTo_.addDays(-1))));
  } else {
    const QDateTime now = QDateTime::currentDateTime();
    DateTimePicker1->setDateTime(now);
    DateTimePicker2->setDateTime(now);
    setStatusText(2, QStringLiteral("Moduł nie ma jeszcze wpisów"));
  }
}

void TAOknoGl::AutorunTimer() {
  Autorun->stop();
  if (logowanie_) bringToFront(logowanie_);
}

void TAOknoGl::Logowanie1Click() {
  Ukryj();
  // Nobody is logged in now: the bar must not name the previous user, and
  // no reading can be saved under that user's name meanwhile.
  setStatusText(1, QString());
  setStatusText(2, QString());
  if (wpis_) wpis_->hide();
  if (pracownicy_) pracownicy_->hide();
  if (bazaPunktow_) bazaPunktow_->hide();
  AutorunTimer();
}

void TAOknoGl::SpeedButton1Click() {
  if (wpis_) wpis_->openForNew();
}

void TAOknoGl::SpeedButton2Click() {
  if (wpis_) wpis_->openForEdit();
}

void TAOknoGl::SpeedButton3Click() {
  // 1. Same moment in both pickers: the filter spans that one day. The box
  //    shows the new upper date, and the status bar says why.
  const bool moved = DateTimePicker2->dateTime() == DateTimePicker1->dateTime();
  if (moved) DateTimePicker2->setDateTime(DateTimePicker1->dateTime().addDays(1));
  // 2./3.
  const QString from = locale::formatDate(DateTimePicker1->date());
  const QString to = locale::formatDate(DateTimePicker2->date());
  try {
    ADODataSet1->close();
    ADODataSet1->setCommandText(statements::S7);
    ADODataSet1->clearBindings();
    ADODataSet1->bindValue(QStringLiteral(":modul"), ZalogowanyModul);
    ADODataSet1->bindValue(QStringLiteral(":od"), from);
    ADODataSet1->bindValue(QStringLiteral(":do"), to);
    ADODataSet1->open();
    showConnectionState();
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), this);
    return;
  }
  rangeFrom_ = DateTimePicker1->date();
  rangeTo_ = DateTimePicker2->date();
  if (moved)
    setStatusText(2, QStringLiteral("Filtr: wpisy z dnia %1 (pole „do:” przesunięto na następny dzień, %2)")
                         .arg(from, to));
  else
    setStatusText(2, QStringLiteral("Filtr: wpisy od %1 do %2 włącznie")
                         .arg(from, locale::formatDate(rangeTo_.addDays(-1))));
}

void TAOknoGl::Bazapracownikw1Click() {
  if (pracownicy_) pracownicy_->showRegister();
}

void TAOknoGl::BazaPunktwPomiarowych1Click() {
  if (bazaPunktow_) bazaPunktow_->showRegister();
}

void TAOknoGl::Oprogramie1Click() {
  if (oprogramie_) oprogramie_->showCentred();
}

void TAOknoGl::Zamknij1Click() { close(); }

void TAOknoGl::createReportComponents() {
  using namespace report;
  dbDataset_ = std::make_unique<TfrxDBDataset>();
  frxDBDataset1 = dbDataset_.get();
  frxDBDataset1->SetName(QStringLiteral("frxDBDataset1"));
  frxDBDataset1->SetUserName(QStringLiteral("Wpisy"));
  frxDBDataset1->SetDataSet(ADODataSet1);
  // The log stays open for the grid after a report.
  frxDBDataset1->SetCloseDataSource(false);
  frxDBDataset1->SetBCDToCurrency(false);

  report_ = std::make_unique<TfrxReport>();
  frxReport1 = report_.get();
  frxReport1->SetName(QStringLiteral("frxReport1"));
  frxReport1->SetDotMatrixReport(false);
  // No open, save or edit buttons; documents cannot change this set.
  frxReport1->PreviewOptions()->SetButtons(pbPrint | pbExport | pbZoom | pbFind | pbOutline | pbPageSetup | pbTools |
                                           pbNavigator | pbExportQuick);
  frxReport1->PreviewOptions()->SetZoom(1);
  // A long log is prepared with the finished pages moved out to a temporary
  // file, so that the preview of a year of readings stays small.
  frxReport1->EngineOptions()->SetUseFileCache(true);
  frxReport1->PrintOptions()->SetPrinter(resources::text(u"prDefault"));
  frxReport1->PrintOptions()->SetPrintOnSheet(0);
  frxReport1->SetScriptLanguage(QStringLiteral("PascalScript"));
  frxReport1->SetScriptText({QStringLiteral("begin"), QString(), QStringLiteral("end.")});

  // The designer's defaults are the component's own (PascalScript, Arial
  // 13 px, 10 mm margins, A4 portrait); a layout that does not exist yet is
  // saved where "Raport" reads it.
  designer_ = std::make_unique<designer::TfrxDesigner>();
  frxDesigner1 = designer_.get();
  frxDesigner1->DefaultFileName = reportPath();
  // The designer's preview shows the period of the grid, as "Raport" does.
  frxDesigner1->OnPreviewReport = [this](TfrxReport& report) {
    if (rangeFrom_.isValid()) setReportPeriod(report, periodText(rangeFrom_, rangeTo_));
  };
}

namespace {
// Loads the layout; a missing file leaves an empty report without a word,
// an unreadable one has already shown the report's errors ("Błąd").
bool loadReport(report::TfrxReport& report, const QString& path, QWidget* parent) {
  try {
    report.LoadFromFile(path, false);
    // The errors were shown while reading; an unreadable layout shows nothing more.
    return report.Errors().isEmpty();
  } catch (const std::exception& e) {
    dialogs::showErrorBox(report::resources::text(u"mbError"), QString::fromUtf8(e.what()), parent);
    return false;
  }
}
}  // namespace

void TAOknoGl::Projektowanieraportu1Click() {
  if (!loadReport(*frxReport1, reportPath(), this)) return;
  try {
    frxReport1->OpenDesigner(true, false);
  } catch (const std::exception& e) {
    dialogs::showErrorBox(report::resources::text(u"mbError"), QString::fromUtf8(e.what()), this);
  }
}

void TAOknoGl::Raport1Click() {
  if (!loadReport(*frxReport1, reportPath(), this)) return;
  // The title says which days the printout covers.
  if (rangeFrom_.isValid()) setReportPeriod(*frxReport1, periodText(rangeFrom_, rangeTo_));
  // The report walks the visible log; the reading the user had selected in
  // the grid is selected again afterwards.
  const int row = ADODataSet1->isActive() ? ADODataSet1->currentRow() : -1;
  try {
    frxReport1->ShowReport(true);
  } catch (const std::exception& e) {
    dialogs::showErrorBox(report::resources::text(u"mbError"), QString::fromUtf8(e.what()), this);
  }
  if (row >= 0 && ADODataSet1->isActive() && row < ADODataSet1->recordCount()) ADODataSet1->setCurrentRow(row);
}

void TAOknoGl::FormClose() {
  QSaveFile file(layoutPath());
  const QByteArray bytes = DBGrid1->saveColumns();
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !files::commitFile(file)) {
    dialogs::showError(QStringLiteral("Nie można zapisać układu kolumn do pliku %1:\r%2")
                           .arg(dialogs::shortPath(layoutPath()), files::ioErrorText(file)),
                       this);
  }
}

void TAOknoGl::closeEvent(QCloseEvent* event) {
  // The layout is saved (or its failure reported) and the program ends either way.
  FormClose();
  event->accept();
  emit closed();
}

}  // namespace valmoro::app
