// The entry form, the two registers and the about box, through the real windows.

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest/QTest>

#include "app/about_box.h"
#include "app/entry_window.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/registers.h"
#include "fixture.h"
#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/db_navigator.h"
#include "platform/dialogs.h"
#include "qt_printers.h"

namespace valmoro {
namespace {

using Nav = grid::DbNavigator;

class EntryForm : public ::testing::Test {
protected:
  void SetUp() override {
    install.createDatabase(QString::fromUtf8(testing::kStandardSeed));
    recording.emplace();
    program = app::createProgram(install.base());
    login("Administrator", "Tajne1", "Magazyn");
  }

  void login(const QString& user, const QString& password, const QString& module) {
    p().AOknoGl->AutorunTimer();
    p().Logowanie->ComboBox1->setEditText(user);
    p().Logowanie->Edit1->setText(password);
    p().Logowanie->ComboBox2->setEditText(module);
    p().Logowanie->Button1Click();
    ASSERT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join("|").toStdString();
  }

  app::Program& p() { return program; }
  app::TWpis& wpis() { return *program.Wpis; }

  // Rows of Wpisy as "Data|Modul|Punkt|Temperatura|Wilgotnosc|Pracownik", by number.
  QString row(qint64 id) {
    QSqlQuery q(p().AOknoGl->ADOConnection1->database());
    q.prepare("SELECT Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik FROM Wpisy WHERE Identyfikator=?");
    q.addBindValue(id);
    q.exec();
    if (!q.next()) return "(none)";
    QStringList parts;
    for (int i = 0; i < 6; ++i) parts.append(q.value(i).toString());
    return parts.join('|');
  }
  int count() {
    QSqlQuery q(p().AOknoGl->ADOConnection1->database());
    q.exec("SELECT count(*) FROM Wpisy");
    q.next();
    return q.value(0).toInt();
  }
  void selectLogRow(int r) { p().AOknoGl->DBGrid1->setCurrentIndex(p().AOknoGl->DBGrid1->model()->index(r, 0)); }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
  app::Program program;
};

TEST_F(EntryForm, NewReadingTakesModuleAndUserFromTheLogin) {
  p().AOknoGl->SpeedButton1->click();
  ASSERT_TRUE(wpis().isVisible());
  EXPECT_EQ(wpis().windowTitle(), "Valmoro - Nowy wpis");
  EXPECT_EQ(wpis().Label10->text(), "nadawany automatycznie");
  EXPECT_EQ(wpis().Label3->text(), "Magazyn");
  EXPECT_EQ(wpis().Label8->text(), "Administrator");
  EXPECT_EQ(wpis().Button1->text(), "Dodaj wpis");
  EXPECT_EQ(wpis().DateTimePicker1->date(), QDate::currentDate());

  wpis().Label3->setText("Inny moduł");  // labels are only shown, never stored
  wpis().ComboBox1->setEditText("Pokój 'B'; DROP TABLE Wpisy");  // typed by hand
  wpis().DateTimePicker1->setDate(QDate(2026, 3, 4));
  wpis().DateTimePicker2->setTime(QTime(7, 8, 9));
  wpis().Edit1->setText("19,75");
  wpis().Edit2->setText("45.5");
  const int before = count();
  QTest::mouseClick(wpis().Button1, Qt::LeftButton);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
  EXPECT_FALSE(wpis().isVisible());
  EXPECT_EQ(count(), before + 1);
  EXPECT_EQ(row(8), "2026-03-04 07:08:09|Magazyn|Pokój 'B'; DROP TABLE Wpisy|19.75|45.5|Administrator");
  // The visible log was reopened and shows the new reading.
  EXPECT_EQ(p().AOknoGl->DBGrid1->cellText(0, 0), "2026-03-04 07:08:09");
}

TEST_F(EntryForm, RefusedValuesKeepTheWindowOpenAndStoreNothing) {
  p().AOknoGl->SpeedButton1Click();
  wpis().ComboBox1->setEditText("Rampa");
  wpis().Edit1->setText("ciepło");
  wpis().Edit2->setText("50");
  const int before = count();
  wpis().Button1Click();
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Pole „Temperatura”: tekst „ciepło” nie jest liczbą."});
  dialogs::clearRecordedMessages();
  wpis().Edit1->setText("20");
  wpis().Edit2->setText("");
  wpis().Button1Click();
  // The field is named as the form names it, not as the table does.
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Pole „Wilgotność”: należy podać liczbę."});
  EXPECT_TRUE(wpis().isVisible());
  EXPECT_EQ(wpis().Edit1->text(), "20");
  EXPECT_EQ(wpis().ComboBox1->currentText(), "Rampa");
  dialogs::clearRecordedMessages();
  wpis().Edit2->setText("50");
  wpis().ComboBox1->setEditText(QString(31, 'p'));
  wpis().Button1Click();
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Pole „Punkt pomiarowy (lub pomieszczenie)”: tekst jest za długi (31 znaków, dozwolone najwyżej 30)."});
  EXPECT_EQ(count(), before);
}

TEST_F(EntryForm, CorrectionOpensFromTheStoredValueAndKeepsModuleAndAuthor) {
  // Row 1 of the log is the reading made at exactly midnight of the 3rd.
  selectLogRow(1);
  p().AOknoGl->SpeedButton2->click();
  ASSERT_TRUE(wpis().isVisible());
  EXPECT_EQ(wpis().windowTitle(), "Valmoro - Edycja wpisu");
  EXPECT_EQ(wpis().Button1->text(), "Zapisz zmiany");
  EXPECT_EQ(wpis().Label10->text(), "5");
  EXPECT_EQ(wpis().Label3->text(), "Magazyn");
  EXPECT_EQ(wpis().Label8->text(), "Kowalski Jan");
  EXPECT_EQ(wpis().DateTimePicker1->date(), QDate(2026, 3, 3));
  EXPECT_EQ(wpis().DateTimePicker2->time(), QTime(0, 0, 0));
  EXPECT_EQ(wpis().ComboBox1->currentText(), "Chłodnia");
  EXPECT_EQ(wpis().Edit1->text(), "5");
  EXPECT_EQ(wpis().Edit2->text(), "82");

  // Saved unchanged, by another user: nothing moves, not even a second.
  const QString stored = row(5);
  wpis().Button1Click();
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
  EXPECT_EQ(row(5), stored);

  selectLogRow(4);  // 2026-03-01 23:59:59, Rampa, 1234.5
  p().AOknoGl->Edytujwybranywpis1->trigger();
  EXPECT_EQ(wpis().Edit1->text(), "1234,5");
  wpis().Edit1->setText("-2,5");
  wpis().ComboBox1->setEditText("Biuro");
  wpis().Button1Click();
  EXPECT_EQ(row(2), "2026-03-01 23:59:59|Magazyn|Biuro|-2.5|55.25|Kowalski Jan");
}

TEST_F(EntryForm, AddAfterEditStartsEmptyButForThePoint) {
  selectLogRow(0);
  p().AOknoGl->SpeedButton2Click();
  p().AOknoGl->SpeedButton1Click();  // switches in place
  EXPECT_EQ(wpis().Button1->text(), "Dodaj wpis");
  EXPECT_EQ(wpis().Label10->text(), "nadawany automatycznie");
  EXPECT_EQ(wpis().windowTitle(), "Valmoro - Nowy wpis");
  // The edited reading's values are not offered for the new one.
  EXPECT_EQ(wpis().ComboBox1->currentText(), "Rampa");
  EXPECT_EQ(wpis().Edit1->text(), "");
  EXPECT_EQ(wpis().Edit2->text(), "");
}


TEST_F(EntryForm, AMissingPointAndAHumidityOutsideZeroToHundredAreRefused) {
  p().AOknoGl->SpeedButton1Click();
  const int before = count();
  wpis().ComboBox1->setEditText("  ");
  wpis().Edit1->setText("20");
  wpis().Edit2->setText("50");
  wpis().Button1Click();
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Pole „Punkt pomiarowy (lub pomieszczenie)”: należy wybrać lub wpisać punkt pomiarowy."});
  dialogs::clearRecordedMessages();
  wpis().ComboBox1->setEditText("Rampa");
  for (const char* humidity : {"100,5", "-1", "250"}) {
    wpis().Edit2->setText(humidity);
    wpis().Button1Click();
    EXPECT_EQ(dialogs::recordedMessages(),
              QStringList{QString("Pole „Wilgotność”: wilgotność względna musi mieścić się w zakresie od 0 do 100 % "
                                  "(podano %1).").arg(humidity)});
    dialogs::clearRecordedMessages();
  }
  EXPECT_TRUE(wpis().isVisible());
  EXPECT_EQ(count(), before);
  // The ends of the range are readings like any other.
  for (const char* humidity : {"0", "100"}) {
    p().AOknoGl->SpeedButton1Click();
    wpis().Edit1->setText("20");
    wpis().Edit2->setText(humidity);
    wpis().Button1Click();
    EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  }
  EXPECT_EQ(count(), before + 2);
}

TEST_F(EntryForm, EnterInAnyFieldSavesAndEscClosesWithoutSaving) {
  p().AOknoGl->SpeedButton1->click();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&wpis()));
  const int before = count();
  wpis().ComboBox1->setEditText("Biuro");
  wpis().Edit1->setText("18");
  wpis().Edit2->setText("41");
  QTest::keyClick(wpis().Edit2, Qt::Key_Return);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  EXPECT_EQ(count(), before + 1);
  EXPECT_FALSE(wpis().isVisible());
  // Enter in the point box and on the focused button, too.
  p().AOknoGl->SpeedButton1->click();
  wpis().Edit1->setText("19");
  wpis().Edit2->setText("42");
  QTest::keyClick(wpis().ComboBox1->lineEdit(), Qt::Key_Enter);
  EXPECT_EQ(count(), before + 2);
  p().AOknoGl->SpeedButton1->click();
  wpis().Edit1->setText("19");
  wpis().Edit2->setText("43");
  wpis().Button1->setFocus();
  QTest::keyClick(wpis().Button1, Qt::Key_Return);
  EXPECT_EQ(count(), before + 3);
  // Esc closes and sends nothing.
  p().AOknoGl->SpeedButton1->click();
  wpis().Edit1->setText("30");
  wpis().Edit2->setText("44");
  QTest::keyClick(wpis().Edit1, Qt::Key_Escape);
  EXPECT_FALSE(wpis().isVisible());
  EXPECT_EQ(count(), before + 3);
}

TEST_F(EntryForm, TheDateAndTimeOfAReadingAreOneTabStop) {
  p().AOknoGl->SpeedButton1->click();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&wpis()));
  EXPECT_EQ(static_cast<QWidget*>(wpis().DateTimePicker1), static_cast<QWidget*>(wpis().DateTimePicker2));
  wpis().ComboBox1->setFocus();
  QStringList order;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* f = QApplication::focusWidget();
    order.append(f == static_cast<QWidget*>(wpis().DateTimePicker1) ? "data" : f == wpis().Edit1 ? "temperatura"
                 : f == wpis().Edit2 ? "wilgotność" : f == wpis().Button1 ? "przycisk" : "inne");
  }
  EXPECT_EQ(order, (QStringList{"data", "temperatura", "wilgotność", "przycisk"}));
  wpis().Edit1->setFocus();
  QTest::keyClick(wpis().Edit1, Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(wpis().DateTimePicker1));
  QTest::keyClick(wpis().DateTimePicker1, Qt::Key_Backtab);
  QWidget* back = QApplication::focusWidget();
  EXPECT_TRUE(back == wpis().ComboBox1 || back == wpis().ComboBox1->lineEdit());
  // One box still holds both parts, each set on its own.
  wpis().DateTimePicker1->setDate(QDate(2026, 3, 4));
  wpis().DateTimePicker2->setTime(QTime(7, 8, 9));
  EXPECT_EQ(wpis().DateTimePicker1->dateTime(), QDateTime(QDate(2026, 3, 4), QTime(7, 8, 9)));
}

TEST_F(EntryForm, SavingKeepsTheDateFilter) {
  p().AOknoGl->DateTimePicker1->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
  p().AOknoGl->DateTimePicker2->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
  p().AOknoGl->SpeedButton3Click();
  ASSERT_EQ(p().AOknoGl->ADODataSet1->recordCount(), 2);
  selectLogRow(1);
  p().AOknoGl->SpeedButton2Click();
  wpis().Edit2->setText("99");
  wpis().Button1Click();
  EXPECT_EQ(p().AOknoGl->ADODataSet1->recordCount(), 2);
  EXPECT_EQ(p().AOknoGl->DBGrid1->cellText(1, 4), "99,00");
}

TEST_F(EntryForm, NothingToCorrectAndAVanishedReadingAreReported) {
  selectLogRow(0);
  p().AOknoGl->SpeedButton2Click();
  QSqlQuery(p().AOknoGl->ADOConnection1->database()).exec("DELETE FROM Wpisy WHERE Identyfikator=6");
  wpis().Button1Click();
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Nie zapisano zmian:\rwpis nr 6 nie istnieje już w bazie danych."});
  EXPECT_TRUE(wpis().isVisible());
  wpis().hide();
  dialogs::clearRecordedMessages();

  login("Administrator", "Tajne1", "Pusty");
  p().AOknoGl->SpeedButton2Click();
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Brak wpisu do poprawienia:\rlista wpisów jest pusta."});
  EXPECT_FALSE(wpis().isVisible());
}

class Registers : public EntryForm {
protected:
  grid::DbGrid& usersGrid() { return *p().Pracownicy->DBGrid1; }
  grid::DbGrid& pointsGrid() { return *p().BazaPunktow->DBGrid1; }
  void type(grid::DbGrid& g, int r, int c, const QString& text) { g.model()->setData(g.model()->index(r, c), text); }
  // The login window reads its lists each time it is shown.
  QStringList loginUsers() {
    p().Logowanie->hide();
    p().AOknoGl->Logowanie1Click();
    QStringList out;
    for (int i = 0; i < p().Logowanie->ComboBox1->count(); ++i) out.append(p().Logowanie->ComboBox1->itemText(i));
    return out;
  }
  QStringList loginModules() {
    p().Logowanie->hide();
    p().AOknoGl->Logowanie1Click();
    QStringList out;
    for (int i = 0; i < p().Logowanie->ComboBox2->count(); ++i) out.append(p().Logowanie->ComboBox2->itemText(i));
    return out;
  }
};

TEST_F(Registers, UsersRegisterShowsNoPasswordAndAddsUsersWithHashedOnes) {
  p().AOknoGl->Bazapracownikw1->trigger();
  app::TPracownicy& reg = *p().Pracownicy;
  ASSERT_TRUE(reg.isVisible());
  EXPECT_EQ(reg.windowTitle(), "Valmoro - Baza pracowników");
  grid::DbGrid& g = usersGrid();
  EXPECT_EQ(g.columnTitle(0), "Nazwisko i imię pracownika");
  EXPECT_EQ(g.columnTitle(1), "Hasło");
  EXPECT_EQ(g.columnTitle(2), "Rola w programie");
  EXPECT_EQ(g.cellText(1, 0), "Kowalski Jan");
  EXPECT_EQ(g.cellText(1, 1), "••••••••");
  EXPECT_EQ(g.model()->index(1, 1).data(Qt::EditRole).toString(), "");

  // A new user: refused without a password, accepted with one.
  reg.DBNavigator1->click(Nav::Insert);
  type(g, 0, 0, "Wiśniewska Ola");
  type(g, 0, 2, "pracownik");
  reg.DBNavigator1->click(Nav::Post);
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Należy podać hasło nowego pracownika."});
  EXPECT_EQ(reg.ADOPracownicy->state(), db::DataSet::State::Insert);
  dialogs::clearRecordedMessages();
  type(g, 0, 1, "Sekret#9");
  reg.DBNavigator1->click(Nav::Post);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
  EXPECT_EQ(g.cellText(0, 1), "••••••••");
  EXPECT_TRUE(loginUsers().contains("Wiśniewska Ola"));
  p().Logowanie->hide();
  login("Wiśniewska Ola", "Sekret#9", "Magazyn");
  EXPECT_EQ(p().AOknoGl->ZalogowanaRola, "pracownik");
  // "Logowanie" hid the register.
  EXPECT_FALSE(reg.isVisible());
}


TEST_F(Registers, PlusPutsTheKeyboardIntoTheNewRowAndEscClosesTheWindow) {
  p().AOknoGl->BazaPunktwPomiarowych1->trigger();
  app::TBazaPunktow& reg = *p().BazaPunktow;
  ASSERT_TRUE(QTest::qWaitForWindowActive(&reg));
  QTest::mouseClick(reg.DBNavigator1->button(Nav::Insert), Qt::LeftButton);
  ASSERT_EQ(reg.ADOModuly->state(), db::DataSet::State::Insert);
  grid::DbGrid& g = pointsGrid();
  EXPECT_TRUE(g.hasFocus());
  EXPECT_EQ(g.currentIndex().row(), reg.ADOModuly->currentRow());
  EXPECT_EQ(g.currentIndex().column(), 0);
  // Esc first drops the new row, then closes the register.
  QTest::keyClick(&g, Qt::Key_Escape);
  EXPECT_EQ(reg.ADOModuly->state(), db::DataSet::State::Browse);
  EXPECT_TRUE(reg.isVisible());
  QTest::keyClick(&g, Qt::Key_Escape);
  EXPECT_FALSE(reg.isVisible());
  p().AOknoGl->Bazapracownikw1->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowActive(p().Pracownicy.get()));
  QTest::keyClick(p().Pracownicy.get(), Qt::Key_Escape);
  EXPECT_FALSE(p().Pracownicy->isVisible());
}

TEST_F(Registers, PasswordsAreMaskedWhileTyped) {
  p().AOknoGl->Bazapracownikw1Click();
  ASSERT_TRUE(QTest::qWaitForWindowActive(p().Pracownicy.get()));
  grid::DbGrid& g = usersGrid();
  const QModelIndex cell = g.model()->index(1, 1);
  g.setCurrentIndex(cell);
  g.edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "");
  QTest::keyClicks(editor, "Sekret#9");
  EXPECT_EQ(editor->text(), "Sekret#9");
  // What the screen shows is a mask, one sign for every character typed.
  const QString shown = editor->displayText();
  EXPECT_EQ(shown.size(), 8);
  EXPECT_FALSE(shown.contains("Sekret"));
  EXPECT_EQ(QSet<QChar>(shown.begin(), shown.end()).size(), 1);
  // Other columns show what is typed.
  const QModelIndex name = g.model()->index(1, 0);
  g.setCurrentIndex(name);
  g.edit(name);
  auto* nameEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(nameEditor, nullptr);
  EXPECT_EQ(nameEditor->displayText(), "Kowalski Jan");
}

TEST_F(Registers, EditingACellPutsTheRowIntoEditingAtOnce) {
  p().AOknoGl->BazaPunktwPomiarowych1Click();
  app::TBazaPunktow& reg = *p().BazaPunktow;
  ASSERT_TRUE(QTest::qWaitForWindowActive(&reg));
  grid::DbGrid& g = pointsGrid();
  const QModelIndex cell = g.model()->index(0, 1);
  g.setCurrentIndex(cell);
  EXPECT_FALSE(reg.DBNavigator1->button(Nav::Post)->isEnabled());
  g.edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  // The navigator offers saving and cancelling while the editor is still open.
  EXPECT_EQ(reg.ADOModuly->state(), db::DataSet::State::Edit);
  EXPECT_TRUE(reg.DBNavigator1->button(Nav::Post)->isEnabled());
  EXPECT_TRUE(reg.DBNavigator1->button(Nav::Cancel)->isEnabled());
  EXPECT_FALSE(reg.DBNavigator1->button(Nav::Edit)->isEnabled());
  editor->selectAll();
  QTest::keyClicks(editor, "Magazynek");
  // The click on ✓ takes what the editor holds and writes the row.
  QTest::mouseClick(reg.DBNavigator1->button(Nav::Post), Qt::LeftButton);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join("|").toStdString();
  EXPECT_EQ(reg.ADOModuly->state(), db::DataSet::State::Browse);
  EXPECT_FALSE(reg.DBNavigator1->button(Nav::Post)->isEnabled());
  EXPECT_EQ(g.cellText(0, 1), "Magazynek");
  QSqlQuery q(p().AOknoGl->ADOConnection1->database());
  q.exec("SELECT count(*) FROM Moduly WHERE Punkt='Magazynek'");
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toInt(), 1);

  // An editor left with Escape before anything was typed leaves the row as it was.
  const QModelIndex other = g.model()->index(1, 0);
  g.setCurrentIndex(other);
  g.edit(other);
  ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
  EXPECT_TRUE(reg.DBNavigator1->button(Nav::Post)->isEnabled());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(reg.ADOModuly->state(), db::DataSet::State::Browse);
  EXPECT_FALSE(reg.DBNavigator1->button(Nav::Post)->isEnabled());
}

TEST_F(Registers, TheLastAdministratorStays) {
  p().AOknoGl->Bazapracownikw1Click();
  app::TPracownicy& reg = *p().Pracownicy;
  grid::DbGrid& g = usersGrid();
  g.setCurrentIndex(g.model()->index(0, 0));  // Administrator: the only exact "administrator"
  reg.DBNavigator1->click(Nav::Delete);
  EXPECT_EQ(dialogs::recordedMessages(),
            (QStringList{"Usunąć rekord?",
                         "Nie można usunąć ostatniego administratora:\rnikt nie mógłby wtedy zarządzać programem."}));
  dialogs::clearRecordedMessages();
  type(g, 0, 2, "pracownik");
  reg.DBNavigator1->click(Nav::Post);
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Nie można odebrać uprawnień ostatniemu administratorowi:\rnikt nie mógłby wtedy zarządzać programem."});
  reg.DBNavigator1->click(Nav::Cancel);
  EXPECT_EQ(g.cellText(0, 2), "administrator");
  // With a second administrator, the first may go.
  dialogs::clearRecordedMessages();
  g.setCurrentIndex(g.model()->index(2, 0));
  type(g, 2, 2, "administrator");
  reg.DBNavigator1->click(Nav::Post);
  g.setCurrentIndex(g.model()->index(0, 0));
  dialogs::queueAnswer(false);  // "Nie": nothing happens
  reg.DBNavigator1->click(Nav::Delete);
  EXPECT_EQ(loginUsers().size(), 3);
  reg.DBNavigator1->click(Nav::Delete);
  EXPECT_EQ(dialogs::recordedMessages(), (QStringList{"Usunąć rekord?", "Usunąć rekord?"}));
  EXPECT_EQ(loginUsers(), (QStringList{"Kowalski Jan", "Zając Ewa"}));
}

TEST_F(Registers, PointsRegisterFeedsLoginAndEntryLists) {
  p().AOknoGl->BazaPunktwPomiarowych1Click();
  app::TBazaPunktow& reg = *p().BazaPunktow;
  EXPECT_EQ(reg.windowTitle(), "Valmoro - Baza Modułów i Punktów Pomiarowych");
  grid::DbGrid& g = pointsGrid();
  EXPECT_EQ(g.columnTitle(0), "Nazwa Modułu");
  EXPECT_EQ(g.columnTitle(1), "Nazwa Punktu Pomiarowego");
  const int rows = reg.ADOModuly->recordCount();

  // Too long: refused with the field named, kept in editing, nothing cut.
  reg.DBNavigator1->click(Nav::Insert);
  type(g, 0, 0, "Magazyn");
  type(g, 0, 1, QString(31, 'p'));
  reg.DBNavigator1->click(Nav::Post);
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Pole „Nazwa Punktu Pomiarowego”: tekst jest za długi (31 znaków, dozwolone najwyżej 30)."});
  EXPECT_EQ(reg.ADOModuly->state(), db::DataSet::State::Insert);
  EXPECT_EQ(g.cellText(0, 1), QString(31, 'p'));
  dialogs::clearRecordedMessages();
  type(g, 0, 1, "Piwnica");
  reg.DBNavigator1->click(Nav::Post);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
  EXPECT_EQ(reg.ADOModuly->recordCount(), rows + 1);

  // The new point is offered after the next login into its module.
  p().Logowanie->hide();
  login("Administrator", "Tajne1", "Magazyn");
  QStringList points;
  for (int i = 0; i < wpis().ComboBox1->count(); ++i) points.append(wpis().ComboBox1->itemText(i));
  EXPECT_EQ(points, (QStringList{"Biuro", "Chłodnia", "Piwnica", "Rampa"}));

  // Deleting every row of a module takes it off the login list.
  p().AOknoGl->BazaPunktwPomiarowych1Click();
  for (int r = reg.ADOModuly->recordCount() - 1; r >= 0; --r) {
    g.setCurrentIndex(g.model()->index(r, 0));
    if (reg.ADOModuly->fieldByName("Modul").asString() == "Laboratorium") reg.DBNavigator1->click(Nav::Delete);
  }
  EXPECT_EQ(loginModules(), (QStringList{"Magazyn", "Pusty"}));
}

TEST(AboutBox, ShowsTheBuildsVersionAndDate) {
  const QStringList lines = app::aboutLines();
  ASSERT_EQ(lines.size(), 8);
  EXPECT_TRUE(lines[2].isEmpty());
  EXPECT_TRUE(QRegularExpression("^Data kompilacji: \\d{4}-\\d{2}-\\d{2}$").match(lines[3]).hasMatch()) << lines[3].toStdString();
  EXPECT_EQ(lines[4], "Wersja programu: 1.0.0.");
  EXPECT_TRUE(lines[6].startsWith("Nowe wersje i poprawki na stronie: "));
  EXPECT_TRUE(lines[7].startsWith("Kontakt: "));
}

}  // namespace
}  // namespace valmoro
