// The program's windows driven as a user would, on the offscreen platform.

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QTest>
#include <sys/resource.h>

#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/entry_window.h"
#include "fixture.h"
#include "qt_printers.h"
#include "platform/component_stream.h"
#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"

namespace valmoro {
namespace {

using app::Program;

QStringList items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out.append(box->itemText(i));
  return out;
}

QStringList gridRow(const grid::DbGrid* g, int row) {
  QStringList out;
  for (int c = 0; c < g->visibleColumnCount(); ++c) out.append(g->cellText(row, c));
  return out;
}

class Windows : public ::testing::Test {
protected:
  void SetUp() override { install.createDatabase(QString::fromUtf8(testing::kStandardSeed)); }

  Program start() {
    recording.emplace();
    return app::createProgram(install.base());
  }

  // Types into the login window and presses "Zaloguj"; returns the texts shown.
  QStringList login(Program& p, const QString& user, const QString& password, const QString& module) {
    dialogs::clearRecordedMessages();
    p.AOknoGl->AutorunTimer();
    p.Logowanie->ComboBox1->setEditText(user);
    p.Logowanie->Edit1->setText(password);
    p.Logowanie->ComboBox2->setEditText(module);
    QTest::mouseClick(p.Logowanie->Button1, Qt::LeftButton);
    return dialogs::recordedMessages();
  }

  testing::Installation install;
  std::optional<dialogs::RecordingScope> recording;
};

TEST_F(Windows, StartShowsNothingButThePictureUntilLogin) {
  Program p = start();
  app::TAOknoGl& w = *p.AOknoGl;
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
  EXPECT_EQ(w.windowTitle(), "Valmoro - Brevant - Wersja 1.0.0");
  EXPECT_EQ(w.statusText(0), "Poprawnie połączono z bazą danych!");
  EXPECT_EQ(w.statusText(1), "");
  EXPECT_FALSE(w.isLogShown());
  EXPECT_FALSE(w.isToolsMenuShown());
  QStringList menus;
  for (QAction* a : w.menuBar()->actions())
    if (a->isVisible()) menus.append(a->text());
  // Each menu has its Alt letter.
  EXPECT_EQ(menus, (QStringList{"&Plik", "P&omoc"}));
  EXPECT_EQ(w.DateTimePicker1->dateTime(), w.DateTimePicker2->dateTime());
  // The login window comes up by itself once the message loop runs.
  EXPECT_FALSE(p.Logowanie->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(p.Logowanie->isVisible(), 2000);
  EXPECT_EQ(p.Logowanie->windowTitle(), "Valmoro - Logowanie");
  EXPECT_EQ(items(p.Logowanie->ComboBox1), (QStringList{"Administrator", "Kowalski Jan", "Zając Ewa"}));
  EXPECT_EQ(items(p.Logowanie->ComboBox2), (QStringList{"Laboratorium", "Magazyn", "Pusty"}));
}

TEST_F(Windows, LoginChecksComeInOrder) {
  Program p = start();
  EXPECT_EQ(login(p, "", "", ""), QStringList{"Błąd:\rNależy wybrać użytkownika!"});
  EXPECT_EQ(login(p, "Administrator", "", ""), QStringList{"Błąd:\rNależy wybrać moduł programu!"});
  EXPECT_EQ(login(p, "Administrator", "", "Magazyn"), QStringList{"Błąd:\rNależy podać hasło!"});
  // Letter case of the password counts.
  EXPECT_EQ(login(p, "Administrator", "tajne1", "Magazyn"), QStringList{"Błąd:\rPodano nieprawidłowe hasło!"});
  // An unknown user gets the same answer as a wrong password.
  EXPECT_EQ(login(p, "Nikt", "Tajne1", "Magazyn"), QStringList{"Błąd:\rPodano nieprawidłowe hasło!"});
  // Overlong texts are only compared, never stored: a plain refusal.
  EXPECT_EQ(login(p, QString(10000, QChar(0x017B)), QString(5000, 'x'), QString(300, 'M')),
            QStringList{"Błąd:\rPodano nieprawidłowe hasło!"});
  EXPECT_FALSE(p.AOknoGl->isLogShown());
  EXPECT_EQ(p.AOknoGl->statusText(1), "");
  EXPECT_TRUE(p.Logowanie->isVisible());
}

TEST_F(Windows, RightsFollowEachNewLogin) {
  Program p = start();
  app::TAOknoGl& w = *p.AOknoGl;
  EXPECT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  EXPECT_FALSE(p.Logowanie->isVisible());
  EXPECT_EQ(w.statusText(1), "[Pracownik]: Administrator [Rola]: administrator [Moduł]: Magazyn");
  EXPECT_TRUE(w.isLogShown());
  EXPECT_TRUE(w.isEditingShown());
  EXPECT_TRUE(w.isToolsMenuShown());
  EXPECT_EQ(p.Logowanie->Edit1->text(), "");

  // Choosing "Logowanie" hides the log at once; an ordinary user then loses
  // the administrator's controls.
  w.Logowanie1->trigger();
  EXPECT_FALSE(w.isLogShown());
  EXPECT_FALSE(w.isToolsMenuShown());
  EXPECT_TRUE(login(p, "kowalski jan", "haslo", "Laboratorium").isEmpty());
  EXPECT_EQ(w.statusText(1), "[Pracownik]: kowalski jan [Rola]: pracownik [Moduł]: Laboratorium");
  EXPECT_TRUE(w.isLogShown());
  EXPECT_FALSE(w.isEditingShown());
  EXPECT_FALSE(w.isToolsMenuShown());
  EXPECT_EQ(gridRow(w.DBGrid1, 0).value(1), "Laboratorium");

  // A role that differs from "administrator" only in letter case is an ordinary one.
  EXPECT_TRUE(login(p, "Zając Ewa", "ewa", "Magazyn").isEmpty());
  EXPECT_EQ(w.ZalogowanaRola, "Administrator");
  EXPECT_FALSE(w.isEditingShown());
  EXPECT_FALSE(w.isToolsMenuShown());
}

TEST_F(Windows, GridShowsTheModuleLogInPolishForm) {
  Program p = start();
  app::TAOknoGl& w = *p.AOknoGl;
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  const grid::DbGrid* g = w.DBGrid1;
  QStringList titles;
  for (int c = 0; c < g->visibleColumnCount(); ++c) titles.append(g->columnTitle(c));
  EXPECT_EQ(titles, (QStringList{"Data pomiaru", "Moduł", "Punkt", "Temperatura", "Wilgotność [%]", "Pracownik"}));
  EXPECT_EQ(gridRow(g, 0), (QStringList{"2026-03-03 09:00:00", "Magazyn", "Rampa", "6,00", "60,00", "Kowalski Jan"}));
  EXPECT_EQ(gridRow(g, 1).value(0), "2026-03-03");
  EXPECT_EQ(gridRow(g, 4), (QStringList{"2026-03-01 23:59:59", "Magazyn", "Rampa", "1\u00A0234,50", "55,25",
                                        "Kowalski Jan"}));
  EXPECT_EQ(gridRow(g, 3).value(3), "-3,25");
  EXPECT_EQ(g->cellAlignment(3), Qt::AlignHCenter);
  EXPECT_EQ(g->columnWidthAt(5), 160);
  // The entry window offers the module's points, each once.
  EXPECT_EQ(items(p.Wpis->ComboBox1), (QStringList{"Biuro", "Chłodnia", "Rampa"}));
}

TEST_F(Windows, ModuleWithoutPointsLogsInWithOneEmptyPoint) {
  Program p = start();
  EXPECT_TRUE(login(p, "Administrator", "Tajne1", "Pusty").isEmpty());
  EXPECT_TRUE(p.AOknoGl->isLogShown());
  EXPECT_EQ(p.AOknoGl->ADODataSet1->recordCount(), 0);
  EXPECT_EQ(items(p.Wpis->ComboBox1), QStringList{QString()});
}

TEST_F(Windows, DateFilter) {
  Program p = start();
  app::TAOknoGl& w = *p.AOknoGl;
  ASSERT_TRUE(login(p, "Kowalski Jan", "haslo", "Magazyn").isEmpty());
  auto filter = [&](const QDateTime& from, const QDateTime& to) {
    w.DateTimePicker1->setDateTime(from);
    w.DateTimePicker2->setDateTime(to);
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    QStringList dates;
    for (int r = 0; r < w.ADODataSet1->recordCount(); ++r) dates.append(w.DBGrid1->cellText(r, 0));
    return dates;
  };
  const QTime t(14, 5, 7);
  EXPECT_EQ(filter(QDateTime(QDate(2026, 3, 1), t), QDateTime(QDate(2026, 3, 3), QTime(8, 0))),
            (QStringList{"2026-03-02 12:30:00", "2026-03-02", "2026-03-01 23:59:59", "2026-03-01 08:00:00"}));
  // The same moment in both pickers: exactly that day, and the upper picker moves on a day.
  EXPECT_EQ(filter(QDateTime(QDate(2026, 3, 2), t), QDateTime(QDate(2026, 3, 2), t)),
            (QStringList{"2026-03-02 12:30:00", "2026-03-02"}));
  EXPECT_EQ(w.DateTimePicker2->dateTime(), QDateTime(QDate(2026, 3, 3), t));
  // The same day at another time is not the same value: nothing matches.
  EXPECT_TRUE(filter(QDateTime(QDate(2026, 3, 2), t), QDateTime(QDate(2026, 3, 2), QTime(9, 0))).isEmpty());
  EXPECT_TRUE(filter(QDateTime(QDate(2026, 3, 3), t), QDateTime(QDate(2026, 3, 1), t)).isEmpty());
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
}

TEST_F(Windows, LoginListsAreReadAgainOnEveryShow) {
  Program p = start();
  p.AOknoGl->AutorunTimer();
  EXPECT_EQ(p.Logowanie->ComboBox1->count(), 3);
  p.Logowanie->hide();
  db::Query q(p.AOknoGl->ADOConnection1);
  q.addLine("INSERT INTO Uzytkownicy (Nazwa, Haslo, Rola) VALUES (:n, :h, :r)");
  q.bindValue(":n", "Adamski Piotr");
  q.bindValue(":h", "x");
  q.bindValue(":r", "pracownik");
  q.execSql();
  p.AOknoGl->Logowanie1Click();
  EXPECT_EQ(items(p.Logowanie->ComboBox1).first(), "Adamski Piotr");
  // A password another tool left as plain text works once and is hashed from then on.
  EXPECT_TRUE(login(p, "Adamski Piotr", "x", "Magazyn").isEmpty());
  db::Query check(p.AOknoGl->ADOConnection1);
  check.addLine("SELECT Haslo FROM Uzytkownicy WHERE Nazwa=:n");
  check.bindValue(":n", "Adamski Piotr");
  check.open();
  EXPECT_TRUE(check.fieldByName("Haslo").asString().startsWith("$argon2id$"));
}


TEST_F(Windows, OnlyAModuleOfTheRegisterLogsInAndEnterInItsBoxLogsIn) {
  Program p = start();
  // A name typed by hand that is no module is refused, also in another case.
  EXPECT_EQ(login(p, "Administrator", "Tajne1", "admin"),
            QStringList{"Błąd:\rNie ma modułu „admin”. Należy wybrać moduł z listy!"});
  EXPECT_EQ(login(p, "Administrator", "Tajne1", "magazyn"),
            QStringList{"Błąd:\rNie ma modułu „magazyn”. Należy wybrać moduł z listy!"});
  EXPECT_FALSE(p.AOknoGl->isLogShown());
  EXPECT_EQ(p.AOknoGl->ZalogowanyModul, "");
  // Enter in the module box acts as "Zaloguj".
  dialogs::clearRecordedMessages();
  p.Logowanie->ComboBox1->setEditText("Administrator");
  p.Logowanie->Edit1->setText("Tajne1");
  p.Logowanie->ComboBox2->setEditText("Laboratorium");
  QTest::keyClick(p.Logowanie->ComboBox2, Qt::Key_Return);
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  EXPECT_EQ(p.AOknoGl->ZalogowanyModul, "Laboratorium");
  EXPECT_FALSE(p.Logowanie->isVisible());
  // Enter in the password box logs in once, not twice.
  p.AOknoGl->Logowanie1Click();
  p.Logowanie->ComboBox1->setEditText("Administrator");
  p.Logowanie->Edit1->setText("zle");
  p.Logowanie->ComboBox2->setEditText("Magazyn");
  dialogs::clearRecordedMessages();
  QTest::keyClick(p.Logowanie->Edit1, Qt::Key_Enter);
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Błąd:\rPodano nieprawidłowe hasło!"});
}

TEST_F(Windows, LoggingOutClearsTheUserFromTheStatusBar) {
  Program p = start();
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  EXPECT_EQ(p.AOknoGl->statusText(1), "[Pracownik]: Administrator [Rola]: administrator [Moduł]: Magazyn");
  p.AOknoGl->SpeedButton1Click();
  ASSERT_TRUE(p.Wpis->isVisible());
  p.AOknoGl->Logowanie1->trigger();
  EXPECT_EQ(p.AOknoGl->statusText(1), "");
  EXPECT_EQ(p.AOknoGl->statusText(2), "");
  // Nothing can be saved under the previous user meanwhile.
  EXPECT_FALSE(p.Wpis->isVisible());
}

TEST_F(Windows, ThePickersShowTheRangeInForceAndSayWhenDoMovesToTheNextDay) {
  Program p = start();
  app::TAOknoGl& w = *p.AOknoGl;
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  // The whole log: from the oldest reading's day to the day after the newest.
  EXPECT_EQ(w.DateTimePicker1->date(), QDate(2026, 3, 1));
  EXPECT_EQ(w.DateTimePicker2->date(), QDate(2026, 3, 4));
  EXPECT_EQ(w.statusText(2), "Wszystkie wpisy modułu: od 2026-03-01 do 2026-03-03");
  // "Filtruj" at once keeps the same rows.
  QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
  EXPECT_EQ(w.ADODataSet1->recordCount(), 6);
  EXPECT_EQ(w.statusText(2), "Filtr: wpisy od 2026-03-01 do 2026-03-03 włącznie");
  // The same moment twice: one day, and the status bar says "do" moved.
  w.DateTimePicker1->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  w.DateTimePicker2->setDateTime(QDateTime(QDate(2026, 3, 2), QTime(0, 0)));
  QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
  EXPECT_EQ(w.ADODataSet1->recordCount(), 2);
  EXPECT_EQ(w.DateTimePicker2->date(), QDate(2026, 3, 3));
  EXPECT_EQ(w.statusText(2), "Filtr: wpisy z dnia 2026-03-02 (pole „do:” przesunięto na następny dzień, 2026-03-03)");
  // A new login shows the whole log again, and the pickers say so.
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Laboratorium").isEmpty());
  EXPECT_EQ(w.ADODataSet1->recordCount(), 1);
  EXPECT_EQ(w.DateTimePicker1->date(), QDate(2026, 3, 2));
  EXPECT_EQ(w.DateTimePicker2->date(), QDate(2026, 3, 3));
  EXPECT_EQ(w.statusText(2), "Wszystkie wpisy modułu: od 2026-03-02 do 2026-03-02");
  // A module without readings: both pickers on today, as at start.
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Pusty").isEmpty());
  EXPECT_EQ(w.DateTimePicker1->date(), QDate::currentDate());
  EXPECT_EQ(w.DateTimePicker1->dateTime(), w.DateTimePicker2->dateTime());
  EXPECT_EQ(w.statusText(2), "Moduł nie ma jeszcze wpisów");
  // Enter in a date box filters.
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  w.DateTimePicker1->setDateTime(QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
  QTest::keyClick(w.DateTimePicker1, Qt::Key_Return);
  EXPECT_EQ(w.ADODataSet1->recordCount(), 2);
}

TEST_F(Windows, MenusAndTheirItemsHaveAltLetters) {
  Program p = start();
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  QStringList menus;
  for (QAction* a : p.AOknoGl->menuBar()->actions()) menus.append(a->text());
  EXPECT_EQ(menus, (QStringList{"&Plik", "&Narzędzia", "P&omoc"}));
  QStringList items;
  for (QMenu* m : {p.AOknoGl->Plik1, p.AOknoGl->Narzdzia1, p.AOknoGl->Pomoc1})
    for (QAction* a : m->actions())
      if (!a->isSeparator()) items.append(a->text());
  EXPECT_EQ(items, (QStringList{"&Logowanie", "&Zamknij", "&Baza pracowników", "Baza &Punktów Pomiarowych",
                                "Pro&jektowanie raportu", "&Raport", "&O programie..."}));
  // The letters of one menu differ, so each Alt+letter names one item.
  for (QMenu* m : {p.AOknoGl->Plik1, p.AOknoGl->Narzdzia1}) {
    QSet<QChar> letters;
    for (QAction* a : m->actions()) {
      if (a->isSeparator()) continue;
      const qsizetype at = a->text().indexOf('&');
      ASSERT_GE(at, 0);
      letters.insert(a->text().at(at + 1).toLower());
    }
    // Every menu here has one separator.
    EXPECT_EQ(letters.size(), int(m->actions().size()) - 1);
  }
}

TEST_F(Windows, MissingDatabaseIsReportedAndTheProgramGoesOn) {
  QFile::remove(install.dane("Valmoro.db"));
  Program p = start();
  // The message says where the file was looked for.
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Kod błędu [001]:\rBrak pliku bazy danych!\rSzukano pliku: " +
                        QDir::toNativeSeparators(install.dane("Valmoro.db"))});
  EXPECT_EQ(p.AOknoGl->statusText(0), "BŁĄD połączenia z bazą danych!!!");
  dialogs::clearRecordedMessages();
  p.AOknoGl->AutorunTimer();
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Brak połączenia z bazą danych."});
  // The window is already shown: only the look-up speaks.
  EXPECT_EQ(login(p, "Administrator", "Tajne1", "Magazyn"), QStringList{"Brak połączenia z bazą danych."});
  EXPECT_FALSE(p.AOknoGl->isLogShown());
}

TEST_F(Windows, FileThatIsNotADatabaseIsReported) {
  install.writeFile("Valmoro.db", QByteArray("To nie jest baza danych, tylko zwykły tekst.\n").repeated(200));
  Program p = start();
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Plik bazy danych jest uszkodzony albo nie jest bazą danych."});
  EXPECT_EQ(p.AOknoGl->statusText(0), "");
  EXPECT_EQ(install.readFile("Valmoro.db").left(10), QByteArray("To nie jes"));
}

// Bytes of the layout file as the designed columns give it, up to the end of
// the first column.
const QByteArray kFirstColumn = QByteArray("TPF0\x0FTColumnsWrapper\x00\x07"
                                           "Columns\x0E\x01"
                                           "\x09" "Alignment\x07\x08taCenter"
                                           "\x08" "Expanded\x08"
                                           "\x09" "FieldName\x06\x04" "Data"
                                           "\x0F" "Title.Alignment\x07\x08taCenter"
                                           "\x0D" "Title.Caption\x06\x0C" "Data pomiaru"
                                           "\x05" "Width\x02\x78"
                                           "\x07" "Visible\x09\x00",
                                           4 + 16 + 1 + 8 + 1 + 19 + 11 + 13 + 20 + 30 + 8 + 11);

TEST_F(Windows, LayoutFileIsWrittenAtCloseAndReadAtStart) {
  {
    Program p = start();
    p.AOknoGl->close();
  }
  const QByteArray saved = install.readFile("tabela.conf");
  EXPECT_EQ(saved.left(kFirstColumn.size()), kFirstColumn);
  EXPECT_EQ(saved, grid::writeColumnsStream(app::TAOknoGl::designedColumns()));
  EXPECT_TRUE(saved.endsWith(QByteArray("\x00\x00\x00", 3)));

  // A column widened by the user comes back at its width.
  {
    Program p = start();
    p.AOknoGl->DBGrid1->horizontalHeader()->resizeSection(1, 175);
    p.AOknoGl->close();
  }
  {
    Program p = start();
    EXPECT_TRUE(dialogs::recordedMessages().isEmpty());
    EXPECT_EQ(p.AOknoGl->DBGrid1->columns().at(1).width, 175);
    ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
    EXPECT_EQ(p.AOknoGl->DBGrid1->columnWidthAt(1), 175);
  }
}

TEST_F(Windows, EmptyLayoutShowsEveryField) {
  install.writeFile("tabela.conf", grid::writeColumnsStream({}));
  Program p = start();
  ASSERT_TRUE(login(p, "Administrator", "Tajne1", "Magazyn").isEmpty());
  const grid::DbGrid* g = p.AOknoGl->DBGrid1;
  QStringList titles;
  for (int c = 0; c < g->visibleColumnCount(); ++c) titles.append(g->columnTitle(c));
  EXPECT_EQ(titles, (QStringList{"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"}));
  EXPECT_EQ(g->cellAlignment(4), Qt::AlignRight);
}

TEST_F(Windows, DamagedLayoutFileIsReportedAndDesignedColumnsAreUsed) {
  install.writeFile("tabela.conf",
                    QByteArray("TPF0\x0FTColumnsWrapper\x00\x07" "Columns\x0E\x01\x03" "Foo\x09\x00\x00\x00\x00", 40));
  Program p = start();
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  EXPECT_EQ(dialogs::recordedMessages().first(),
            "Nie można odczytać układu kolumn z pliku " + install.dane("tabela.conf") +
                ":\rWłaściwość Foo nie istnieje\rUżyto układu domyślnego.");
  EXPECT_EQ(p.AOknoGl->statusText(0), "Poprawnie połączono z bazą danych!");
  EXPECT_EQ(p.AOknoGl->DBGrid1->columns(), app::TAOknoGl::designedColumns());

  install.writeFile("tabela.conf", "XPF0 nie ten format");
  Program again = start();
  EXPECT_EQ(dialogs::recordedMessages().first().section('\r', 1, 1), "Nieprawidłowy format danych");

  // A property name of binary garbage, as long as a file can hold it.
  QByteArray garbage(255, '\0');
  for (int i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 37 + 11) % 256);
  install.writeFile("tabela.conf", QByteArray("TPF0\x0FTColumnsWrapper\x00\x07" "Columns\x0E\x01\xFF", 32) + garbage +
                                       QByteArray("\x09\x00\x00\x00\x00", 5));
  Program damaged = start();
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  const QString shown = dialogs::recordedMessages().first();
  const QString reason = shown.section('\r', 1, 1);
  EXPECT_TRUE(reason.startsWith("Właściwość ")) << reason.toStdString();
  EXPECT_TRUE(reason.endsWith("\u2026 nie istnieje")) << reason.toStdString();
  EXPECT_LE(reason.size(), 9 + 40 + 1 + 16);
  QString unreadable;
  for (const QChar c : shown)
    if (c != '\r' && (!c.isPrint() || c == QChar(0xFFFD))) unreadable += QStringLiteral(" U+%1").arg(c.unicode(), 4, 16);
  EXPECT_EQ(unreadable, QString());
}

TEST_F(Windows, UnwritableLayoutIsReportedAndTheWindowStillCloses) {
  QDir(install.dane("tabela.conf")).mkpath(".");  // a folder where the file should be
  Program p = start();
  dialogs::clearRecordedMessages();
  bool closed = false;
  QObject::connect(p.AOknoGl.get(), &app::TAOknoGl::closed, [&] { closed = true; });
  p.AOknoGl->close();
  EXPECT_TRUE(closed);
  ASSERT_EQ(dialogs::recordedMessages().size(), 1);
  EXPECT_TRUE(dialogs::recordedMessages().first().startsWith("Nie można zapisać układu kolumn do pliku "));
  EXPECT_FALSE(dialogs::recordedMessages().first().contains("Unknown error")) << dialogs::recordedMessages().first().toStdString();
}

TEST_F(Windows, LayoutPastTheFileSizeLimitSaysWhy) {
  Program p = start();
  dialogs::clearRecordedMessages();
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  files::ignoreFileSizeSignal();
  rlimit none = before;
  none.rlim_cur = 0;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
  p.AOknoGl->close();
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
  EXPECT_EQ(dialogs::recordedMessages(),
            QStringList{"Nie można zapisać układu kolumn do pliku " + QDir::toNativeSeparators(install.dane("tabela.conf")) +
                        ":\rPlik jest za duży"});
}

}  // namespace
}  // namespace valmoro
