#include "about_box.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "app/main_window.h"
#include "app/pictures.h"
#include "build_info.h"

namespace valmoro::app {

QStringList aboutLines() {
  return {
      QStringLiteral("Valmoro: dziennik pomiarów temperatury i wilgotności względnej."),
      QStringLiteral("Program rozwijany przez zespół Valmoro; wszelkie prawa zastrzeżone."),
      QString(),
      QStringLiteral("Data kompilacji: ") + QStringLiteral(VALMORO_BUILD_DATE),
      QStringLiteral("Wersja programu: ") + QStringLiteral(VALMORO_VERSION) + QLatin1Char('.'),
      QString(),
      QStringLiteral("Nowe wersje i poprawki na stronie: https://valmoro.example/"),
      QStringLiteral("Kontakt: pomoc@valmoro.example"),
  };
}

TOprogramie::TOprogramie(TAOknoGl* main)
    : QWidget(main, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      main_(main) {
  setObjectName(QStringLiteral("Oprogramie"));
  setWindowTitle(QStringLiteral("Informacje o programie..."));
  setFont(windowFont());
  setFixedSize(538, 158);
  Label1 = new QLabel(QStringLiteral("Informacje o programie: Valmoro"), this);
  Label1->setGeometry(8, 8, 380, 16);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setPlainText(aboutLines().join(QLatin1Char('\n')));
  Memo1->setGeometry(8, 26, 386, 124);
  QFont memoFont = font();
  memoFont.setBold(false);
  Memo1->setFont(memoFont);
  Image1 = new QLabel(this);
  Image1->setPixmap(pictures::mainPicture(QSize(128, 128)));
  Image1->setGeometry(402, 16, 128, 128);
}

void TOprogramie::showCentred() {
  if (!isVisible() && main_) move(main_->geometry().center() - rect().center());
  bringToFront(this);
}

}  // namespace valmoro::app
