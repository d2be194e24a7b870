#include "login_window.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "app/log_statements.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "platform/password.h"

namespace valmoro::app {

TLogowanie::TLogowanie(TAOknoGl* main)
    : QWidget(main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), main_(main) {
  setObjectName(QStringLiteral("Logowanie"));
  setWindowTitle(QStringLiteral("Valmoro - Logowanie"));
  setFont(windowFont());
  setFixedSize(501, 160);
  setWindowOpacity(240.0 / 255.0);

  Label1 = new QLabel(QStringLiteral("Wybierz nazwę użytkownika programu:"), this);
  Label1->setGeometry(8, 6, 340, 14);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setGeometry(8, 21, 345, 22);
  Label2 = new QLabel(QStringLiteral("Wpisz hasło użytkownika:"), this);
  Label2->setGeometry(8, 47, 340, 14);
  Edit1 = new QLineEdit(this);
  Edit1->setEchoMode(QLineEdit::Password);
  Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 35"));  // "#"
  Edit1->setGeometry(8, 62, 345, 22);
  Label3 = new QLabel(QStringLiteral("Wybierz moduł programu:"), this);
  Label3->setGeometry(8, 88, 340, 14);
  ComboBox2 = new QComboBox(this);
  ComboBox2->setEditable(true);
  ComboBox2->setInsertPolicy(QComboBox::NoInsert);
  ComboBox2->setGeometry(8, 103, 345, 22);
  Button1 = new QPushButton(QStringLiteral("Zaloguj"), this);
  Button1->setGeometry(8, 131, 345, 24);
  Button1->setDefault(true);
  Image1 = new QLabel(this);
  Image1->setPixmap(pictures::loginPicture());
  Image1->setGeometry(365, 16, 128, 128);

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TLogowanie::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  // Centred over the main window.
  if (main_) move(main_->geometry().center() - rect().center());
  FormShow();
}

void TLogowanie::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Button1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TLogowanie::FormShow() {
  ComboBox1->clear();
  ComboBox2->clear();
  try {
    ComboBox1->addItems(readList(*main_->ADOQuery1, statements::S2, QStringLiteral("Nazwa")));
    ComboBox2->addItems(readList(*main_->ADOQuery1, statements::S3, QStringLiteral("Modul")));
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), this);
  }
}

void TLogowanie::Button1Click() {
  const QString user = ComboBox1->currentText();
  const QString module = ComboBox2->currentText();
  const QString typed = Edit1->text();
  if (user.isEmpty()) {
    dialogs::showMessage(QStringLiteral("Błąd:\rNależy wybrać użytkownika!"), this);
    return;
  }
  if (module.isEmpty()) {
    dialogs::showMessage(QStringLiteral("Błąd:\rNależy wybrać moduł programu!"), this);
    return;
  }
  if (typed.isEmpty()) {
    dialogs::showMessage(QStringLiteral("Błąd:\rNależy podać hasło!"), this);
    return;
  }

  QString role;
  QString stored;
  try {
    db::Query& q = *main_->ADOQuery1;
    q.close();
    q.clearLines();
    q.addLine(statements::S4);
    q.bindValue(QStringLiteral(":nazwa"), user);
    q.open();
    role = q.fieldByName(QStringLiteral("rola")).asString();
    stored = q.fieldByName(QStringLiteral("haslo")).asString();
    q.close();
  } catch (const db::DbError& e) {
    main_->ADOQuery1->close();
    dialogs::showError(e.message(), this);
    return;
  }

  bool accepted = password::verify(stored, typed);
  if (!accepted && !stored.isEmpty() && !password::isHash(stored) && stored == typed) {
    // A password left as plain text by an older tool: accept it once and
    // keep only its hash from now on.
    accepted = true;
    try {
      db::Query& q = *main_->ADOQuery1;
      q.clearLines();
      q.addLine(QStringLiteral("UPDATE Uzytkownicy SET Haslo=:haslo WHERE Nazwa=:nazwa"));
      q.bindValue(QStringLiteral(":haslo"), password::hash(typed));
      q.bindValue(QStringLiteral(":nazwa"), user);
      q.execSql();
    } catch (const std::exception&) {
      // The login itself stands; the hash is written at the next login.
    }
  }
  if (!accepted) {
    dialogs::showMessage(QStringLiteral("Błąd:\rPodano nieprawidłowe hasło!"), this);
    return;
  }
  // Only a module of the register: a reading stored under a typed name
  // that is no module would be lost to every later login.
  if (ComboBox2->findText(module, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
    dialogs::showMessage(QStringLiteral("Błąd:\rNie ma modułu „%1”. Należy wybrać moduł z listy!").arg(module), this);
    return;
  }

  main_->ZalogowanyPracownik = user;
  main_->ZalogowanaRola = role;
  main_->ZalogowanyModul = module;
  main_->setStatusText(1, QStringLiteral("[Pracownik]: ") + user + QStringLiteral(" [Rola]: ") + role +
                              QStringLiteral(" [Moduł]: ") + module);
  main_->Pokaz();
  // The password does not wait in the box for whoever opens the login next.
  Edit1->clear();
  hide();
}

}  // namespace valmoro::app
