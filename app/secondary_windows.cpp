#include "secondary_windows.h"

#include <QComboBox>

#include "app/main_window.h"

namespace valmoro::app {

namespace {

void centreOver(QWidget* window, const QWidget* main) {
  if (main) window->move(main->geometry().center() - window->rect().center());
}

}  // namespace

TWpis::TWpis(TAOknoGl* main, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), main_(main) {
  setObjectName(QStringLiteral("Wpis"));
  setFont(windowFont());
  setFixedSize(439, 209);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setGeometry(8, 56, 281, 22);
}

void TWpis::openForNew(TAOknoGl&) {
  setWindowTitle(QStringLiteral("Valmoro - Nowy wpis"));
  centreOver(this, main_);
  show();
}

void TWpis::openForEdit(TAOknoGl&) {
  setWindowTitle(QStringLiteral("Valmoro - Edycja wpisu"));
  centreOver(this, main_);
  show();
}

RegisterWindow::RegisterWindow(TAOknoGl* main, const QString& objectName, const QString& caption,
                               QSize clientSize, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint), main_(main) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setFont(windowFont());
  resize(clientSize);
}

void RegisterWindow::showRegister() {
  centreOver(this, main_);
  show();
}

TPracownicy::TPracownicy(TAOknoGl* main, QWidget* parent)
    : RegisterWindow(main, QStringLiteral("Pracownicy"), QStringLiteral("Valmoro - Baza pracowników"),
                     QSize(790, 295), parent) {}

TBazaPunktow::TBazaPunktow(TAOknoGl* main, QWidget* parent)
    : RegisterWindow(main, QStringLiteral("BazaPunktow"),
                     QStringLiteral("Valmoro - Baza Modułów i Punktów Pomiarowych"), QSize(636, 256), parent) {}

TOprogramie::TOprogramie(TAOknoGl* main, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("Oprogramie"));
  setWindowTitle(QStringLiteral("Informacje o programie..."));
  setFont(windowFont());
  setFixedSize(538, 158);
  Q_UNUSED(main);
}

}  // namespace valmoro::app
