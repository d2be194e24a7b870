// Message boxes as they come up on the desktop: where they stand and how their
// text is laid out.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

#include "platform/dialogs.h"

namespace valmoro::dialogs {
namespace {

struct ShownBox {
  QRect geometry;
  int labelWidth = 0;
  QFont labelFont;
  QString caption;
};

// Shows a message the way the program does and reads the box while it is up.
ShownBox showAndRead(const QString& text, QWidget* parent) {
  ShownBox seen;
  const Mode previous = mode();
  setMode(Mode::Gui);
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen.geometry = box->geometry();
    seen.caption = box->windowTitle();
    if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
      seen.labelWidth = label->width();
      seen.labelFont = label->font();
    }
    box->accept();
  });
  poll.start();
  showMessage(text, parent);
  setMode(previous);
  return seen;
}

const QString kPath = QStringLiteral("/home/uzytkownik/Dokumenty/Pomiary/Valmoro-1.0.0-kopia/Dane/tabela.conf");

TEST(MessageBoxes, ABoxBeforeTheMainWindowIsShownStandsInTheMiddleOfTheScreen) {
  // The main window exists but is not on the screen yet.
  QWidget mainWindow;
  mainWindow.resize(300, 200);
  const ShownBox box =
      showAndRead("Nie można odczytać układu kolumn z pliku " + kPath + ":\rNieprawidłowy format danych", &mainWindow);
  ASSERT_TRUE(box.geometry.isValid());
  const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((box.geometry.center() - middle).manhattanLength(), 6)
      << box.geometry.center().x() << "," << box.geometry.center().y();
  EXPECT_EQ(box.caption, "Valmoro");
}

TEST(MessageBoxes, AShownParentStillHasItsBoxesOverIt) {
  QWidget window;
  window.setGeometry(40, 60, 300, 200);
  window.show();
  const ShownBox box = showAndRead("Kod błędu [001]:\rBrak pliku bazy danych!", &window);
  ASSERT_TRUE(box.geometry.isValid());
  EXPECT_LE((box.geometry.center() - window.geometry().center()).manhattanLength(), 6);
}

TEST(MessageBoxes, APathIsKeptOnOneLineWhenTheScreenHasRoomForIt) {
  const ShownBox box = showAndRead("Nie można odczytać układu kolumn z pliku " + kPath + ":\rNieprawidłowy format danych", nullptr);
  ASSERT_GT(box.labelWidth, 0);
  EXPECT_GE(box.labelWidth, QFontMetrics(box.labelFont).horizontalAdvance(kPath + ":"));

  // A path longer than any screen is broken rather than cut off.
  const QString endless = QStringLiteral("/katalog").repeated(200);
  const ShownBox wide = showAndRead("Plik " + endless, nullptr);
  EXPECT_LE(wide.geometry.width(), QGuiApplication::primaryScreen()->availableGeometry().width());
}

}  // namespace
}  // namespace valmoro::dialogs

TEST(MessagePaths, ALongPathLosesItsMiddleButNeverItsFileName) {
  // Short enough: as it is.
  EXPECT_EQ(valmoro::dialogs::shortPath("/home/jan/Dane/Valmoro.db"), "/home/jan/Dane/Valmoro.db");
  const QString deep = "/home/kowalski/dokumenty/archiwum/2026/pomiary/chłodnia/marzec/kopie/Dane/Valmoro.db";
  const QString shown = valmoro::dialogs::shortPath(deep);
  EXPECT_LE(shown.size(), 60);
  EXPECT_EQ(shown, "/home/…/2026/pomiary/chłodnia/marzec/kopie/Dane/Valmoro.db");
  // The folders nearest the file go first; the start stays to say where.
  EXPECT_EQ(valmoro::dialogs::shortPath(deep, 30), "/home/…/kopie/Dane/Valmoro.db");
  // A file name longer than the limit stays whole.
  const QString name = QString(70, QChar(u'ż')) + ".fp3";
  EXPECT_EQ(valmoro::dialogs::shortPath("/tmp/a/b/" + name, 40), "/tmp/…/" + name);
}
