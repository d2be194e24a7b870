// How the program's windows behave on the desktop: which window stays in
// front, what their captions read, and the language of the standard controls.

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QWindow>
#include <QtTest/QTest>
#include <functional>

#include "app/about_box.h"
#include "app/entry_window.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/registers.h"
#include "fixture.h"
#include "platform/dialogs.h"
#include "qt_printers.h"

namespace valmoro {
namespace {

bool waitFor(const std::function<bool()>& condition, int milliseconds = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition() && timer.elapsed() < milliseconds) QTest::qWait(10);
  return condition();
}

class Desktop : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    recording.emplace();
    // As the program starts: the application first, then its windows.
    app::setUpApplication();
    program = app::createProgram(install.base());
  }

  app::TAOknoGl& main() { return *program.AOknoGl; }

  // The user clicks the main window: it becomes the active window.
  void clickMainWindow() {
    main().activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &main(); }));
  }

  // The window a command shows is in front and has the keyboard, also when it
  // was already open behind the main window; and it belongs to the main window.
  void expectBroughtToFront(QWidget* window, const std::function<void()>& command) {
    command();
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->parentWidget(), &main());
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_EQ(window->windowHandle()->transientParent(), main().windowHandle());
    // Under X11 the transient parent reaches the window manager only for
    // dialog-like windows; a plain window falls behind the main window.
    EXPECT_EQ(window->windowHandle()->type(), Qt::Dialog) << window->objectName().toStdString();
    clickMainWindow();
    command();
    EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == window; }))
        << "active: " << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString() : "none");
  }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
  app::Program program;
};

TEST_F(Desktop, ChildWindowsComeToTheFrontOfTheMainWindow) {
  main().showMaximized();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
  app::TLogowanie* login = program.Logowanie.get();
  ASSERT_TRUE(waitFor([&] { return login->isVisible(); }));
  expectBroughtToFront(login, [&] { main().Logowanie1->trigger(); });

  login->ComboBox1->setEditText("Administrator");
  login->Edit1->setText("Tajne1");
  login->ComboBox2->setEditText("Magazyn");
  login->Button1Click();
  ASSERT_TRUE(dialogs::recordedMessages().isEmpty());

  expectBroughtToFront(program.Wpis.get(), [&] { main().SpeedButton1->click(); });
  expectBroughtToFront(program.Pracownicy.get(), [&] { main().Bazapracownikw1->trigger(); });
  expectBroughtToFront(program.BazaPunktow.get(), [&] { main().BazaPunktwPomiarowych1->trigger(); });
  expectBroughtToFront(program.Oprogramie.get(), [&] { main().Oprogramie1->trigger(); });
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
}

// The month shown in a picker's calendar and the names of the days over it.
QStringList calendarTexts(QDateTimeEdit* picker) {
  picker->setDate(QDate(2026, 3, 2));
  QCalendarWidget* calendar = picker->calendarWidget();
  if (!calendar) return {};
  auto* month = calendar->findChild<QToolButton*>("qt_calendar_monthbutton");
  auto* days = calendar->findChild<QTableView*>("qt_calendar_calendarview");
  if (!month || !days) return {};
  QStringList out{month->text()};
  for (int c = 0; c < days->model()->columnCount(); ++c) out.append(days->model()->index(0, c).data().toString());
  out.removeAll(QString());
  return out;
}

TEST_F(Desktop, CalendarsSpeakPolish) {
  // The week starts on Monday.
  const QStringList expected{"marzec", "pon.", "wt.", "śr.", "czw.", "pt.", "sob.", "niedz."};
  EXPECT_EQ(calendarTexts(main().DateTimePicker1), expected);
  EXPECT_EQ(calendarTexts(main().DateTimePicker2), expected);
  EXPECT_EQ(calendarTexts(program.Wpis->DateTimePicker1), expected);
}

TEST_F(Desktop, QtsOwnFileDialogsSpeakPolish) {
  QFileDialog dialog(&main());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  auto* lookIn = dialog.findChild<QLabel*>("lookInLabel");
  auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
  ASSERT_NE(lookIn, nullptr);
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(lookIn->text(), "Szukaj w:");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Save)->text(), "&Zachowaj");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Anuluj");
}

TEST(ApplicationSetUp, CaptionsAreExactlyTheWindowsTexts) {
  const QString name = QCoreApplication::applicationName();
  app::setUpApplication();
  EXPECT_EQ(QCoreApplication::applicationName(), "Valmoro");
  EXPECT_EQ(dialogs::applicationTitle(), "Valmoro");
  // The window system appends a display name to every caption once one has
  // been given; the program gives none, so the display name only follows the
  // application's name and the captions stay as the windows set them.
  QCoreApplication::setApplicationName("Inna nazwa");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Inna nazwa");
  QCoreApplication::setApplicationName(name);
}

}  // namespace
}  // namespace valmoro
