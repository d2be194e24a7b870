#include "entry_window.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/log_statements.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "platform/field_error.h"
#include "platform/locale.h"

namespace valmoro::app {

namespace {

const QString kAdd = QStringLiteral("Dodaj wpis");

QLabel* valueLabel(QWidget* parent) {
  auto* l = new QLabel(parent);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));  // navy
  l->setPalette(pal);
  return l;
}

// A time of day to the second: what the picker shows is what is stored.
QTime toSecond(const QTime& t) { return QTime(t.hour(), t.minute(), t.second()); }

}  // namespace

TWpis::TWpis(TAOknoGl* main)
    : QWidget(main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      main_(main) {
  setObjectName(QStringLiteral("Wpis"));
  setFont(windowFont());
  setFixedSize(439, 209);

  Label9 = new QLabel(QStringLiteral("Numer wpisu:"), this);
  Label9->setGeometry(8, 8, 90, 16);
  Label10 = valueLabel(this);
  Label10->setGeometry(100, 8, 190, 16);
  Label1 = new QLabel(QStringLiteral("Moduł:"), this);
  Label1->setGeometry(8, 26, 90, 16);
  Label3 = valueLabel(this);
  Label3->setGeometry(100, 26, 190, 16);
  Label2 = new QLabel(QStringLiteral("Punkt pomiarowy (lub pomieszczenie):"), this);
  Label2->setGeometry(8, 46, 280, 16);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setGeometry(8, 62, 281, 22);
  Label4 = new QLabel(QStringLiteral("Data i godzina pomiaru:"), this);
  Label4->setGeometry(8, 88, 280, 16);
  DateTimePicker1 = new QDateTimeEdit(this);
  DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
  DateTimePicker1->setCalendarPopup(true);
  DateTimePicker1->setDisplayFormat(locale::formats().shortDateFormat + QLatin1Char(' ') +
                                    locale::formats().longTimeFormat);
  DateTimePicker1->setGeometry(8, 104, 281, 22);
  DateTimePicker1->installEventFilter(this);
  DateTimePicker2 = DateTimePicker1;
  Label5 = new QLabel(QStringLiteral("Temperatura:"), this);
  Label5->setGeometry(8, 130, 137, 16);
  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(8, 146, 137, 22);
  Label6 = new QLabel(QStringLiteral("Wilgotność:"), this);
  Label6->setGeometry(152, 130, 137, 16);
  Edit2 = new QLineEdit(this);
  Edit2->setGeometry(152, 146, 137, 22);
  Label7 = new QLabel(QStringLiteral("Pracownik:"), this);
  Label7->setGeometry(8, 180, 90, 16);
  Label8 = valueLabel(this);
  Label8->setGeometry(100, 180, 190, 16);
  Button1 = new QPushButton(kAdd, this);
  // Enter on the focused button presses it.
  Button1->setAutoDefault(true);
  Button1->setGeometry(300, 176, 131, 25);
  Image1 = new QLabel(this);
  Image1->setPixmap(pictures::entryPicture());
  Image1->setGeometry(303, 8, 128, 128);

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TWpis::showCentred() {
  if (!isVisible() && main_) move(main_->geometry().center() - rect().center());
  bringToFront(this);
}

void TWpis::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Button1->click();
      return;
    case Qt::Key_Escape:
      close();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

bool TWpis::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DateTimePicker1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TWpis::openForNew() {
  Label3->setText(main_->ZalogowanyModul);
  Label8->setText(main_->ZalogowanyPracownik);
  const QDateTime now = QDateTime::currentDateTime();
  DateTimePicker1->setDate(now.date());
  DateTimePicker2->setTime(toSecond(now.time()));
  Label10->setText(QStringLiteral("nadawany automatycznie"));
  // A new reading starts empty: values left from the reading edited last
  // would be saved again unnoticed. The point stays: readings of one room
  // often follow each other.
  Edit1->clear();
  Edit2->clear();
  Button1->setText(kAdd);
  setWindowTitle(QStringLiteral("Valmoro - Nowy wpis"));
  showCentred();
}

void TWpis::openForEdit() {
  db::DataSet* log = main_->ADODataSet1;
  if (!log->isActive() || log->currentRow() < 0) {
    dialogs::showMessage(QStringLiteral("Brak wpisu do poprawienia:\rlista wpisów jest pusta."), main_);
    return;
  }
  try {
    // The date and time come from the stored value itself, so a reading made
    // exactly at midnight opens with 00:00:00.
    const QDateTime when = log->fieldByName(QStringLiteral("data")).asDateTime();
    Label10->setText(log->fieldByName(QStringLiteral("identyfikator")).asString());
    Label3->setText(log->fieldByName(QStringLiteral("modul")).asString());
    Label8->setText(log->fieldByName(QStringLiteral("pracownik")).asString());
    if (when.isValid()) {
      DateTimePicker1->setDate(when.date());
      DateTimePicker2->setTime(toSecond(when.time()));
    }
    ComboBox1->setEditText(log->fieldByName(QStringLiteral("punkt")).asString());
    Edit1->setText(log->fieldByName(QStringLiteral("temperatura")).asString());
    Edit2->setText(log->fieldByName(QStringLiteral("wilgotnosc")).asString());
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), main_);
    return;
  }
  Button1->setText(QStringLiteral("Zapisz zmiany"));
  setWindowTitle(QStringLiteral("Valmoro - Edycja wpisu"));
  showCentred();
}

// The caption the form shows next to a field of the log, without its colon.
QString TWpis::fieldLabel(const QString& field) const {
  const std::pair<const char*, const QLabel*> labels[] = {
      {"Data", Label4}, {"Modul", Label1}, {"Punkt", Label2},
      {"Temperatura", Label5}, {"Wilgotnosc", Label6}, {"Pracownik", Label7},
  };
  for (const auto& [name, label] : labels) {
    if (field.compare(QLatin1String(name), Qt::CaseInsensitive) != 0) continue;
    QString text = label->text().trimmed();
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text;
  }
  return QString();
}

QString TWpis::refusal() const {
  const auto field = [this](const char* name) { return fieldLabel(QLatin1String(name)); };
  if (ComboBox1->currentText().trimmed().isEmpty())
    return QStringLiteral("Pole „%1”: należy wybrać lub wpisać punkt pomiarowy.").arg(field("Punkt"));
  // Relative humidity is a share: a value outside 0–100 % is a typing error.
  if (const std::optional<double> humidity = locale::parseFloat(Edit2->text()))
    if (!(*humidity >= 0 && *humidity <= 100))
      return QStringLiteral("Pole „%1”: wilgotność względna musi mieścić się w zakresie od 0 do 100 % (podano %2).")
          .arg(field("Wilgotnosc"), Edit2->text().trimmed());
  return QString();
}

void TWpis::Button1Click() {
  if (const QString refused = refusal(); !refused.isEmpty()) {
    dialogs::showError(refused, this);
    return;
  }
  const QString point = ComboBox1->currentText();
  const QString number = Label10->text();
  const QString temperature = Edit1->text();
  const QString humidity = Edit2->text();
  const QString when =
      locale::formatDate(DateTimePicker1->date()) + QLatin1Char(' ') + locale::formatTime(DateTimePicker2->time());

  db::Query& q = *main_->ADOQuery1;
  try {
    q.close();
    q.clearLines();
    if (Button1->text() == kAdd) {
      for (const QString& line : statements::S8) q.addLine(line);
      q.bindValue(QStringLiteral(":modul"), main_->ZalogowanyModul);
      q.bindValue(QStringLiteral(":pracownik"), main_->ZalogowanyPracownik);
    } else {
      for (const QString& line : statements::S9) q.addLine(line);
      q.bindValue(QStringLiteral(":identyfikator"), number);
    }
    q.bindValue(QStringLiteral(":data"), when);
    q.bindValue(QStringLiteral(":punkt"), point);
    q.bindValue(QStringLiteral(":temperatura"), temperature);
    q.bindValue(QStringLiteral(":wilgotnosc"), humidity);
    if (q.execSql() == 0) {
      // The reading went away meanwhile (another copy of the program): do not
      // pretend the correction was saved.
      dialogs::showError(QStringLiteral("Nie zapisano zmian:\rwpis nr %1 nie istnieje już w bazie danych.").arg(number),
                         this);
      return;
    }
  } catch (const db::DbError& e) {
    dialogs::showError(db::userMessage(e, [this](const QString& field) { return fieldLabel(field); }), this);
    return;
  }
  try {
    main_->ADODataSet1->reopen();
    main_->showConnectionState();
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), main_);
  }
  hide();
}

}  // namespace valmoro::app
