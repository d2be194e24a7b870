#include "registers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QResizeEvent>
#include <QToolButton>

#include "app/log_statements.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/db_navigator.h"
#include "platform/dialogs.h"
#include "platform/password.h"

namespace valmoro::app {

namespace {

const QString kAdministrator = QStringLiteral("administrator");

grid::Column column(const char* field, const char* title, int width, bool centredTitle,
                    std::optional<grid::Alignment> alignment = std::nullopt, QStringList pickList = {}) {
  grid::Column c;
  c.fieldName = QString::fromLatin1(field);
  c.title.caption = QString::fromUtf8(title);
  if (centredTitle) c.title.alignment = grid::Alignment::Center;
  c.alignment = alignment;
  c.width = width;
  c.pickList = std::move(pickList);
  return c;
}

}  // namespace

RegisterWindow::RegisterWindow(TAOknoGl* main, const QString& objectName, const QString& caption,
                               const QString& label, QSize clientSize, const QString& statement)
    // A dialog, not a plain window: the window manager keeps only dialogs
    // (transient windows) in front of the window they belong to.
    : QWidget(main, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      main_(main) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setFont(windowFont());
  resize(clientSize);
  Label1 = new QLabel(label, this);
  Label1->setGeometry(8, 8, clientSize.width() - 160, 16);
  dataSet_ = new db::DataSet(main->ADOConnection1, this);
  dataSet_->setCommandText(statement);
  dataSet_->setEditable(true);
  DBGrid1 = new grid::DbGrid(this);
  DBGrid1->setEditingEnabled(true);
  DBGrid1->setColumnLines(true);
  DBGrid1->setDataSet(dataSet_);
  DBNavigator1 = new grid::DbNavigator(this);
  DBNavigator1->setDataSet(dataSet_);
  DBNavigator1->setFieldLabels([grid = DBGrid1](const QString& field) { return grid->fieldLabel(field); });
  Image1 = new QLabel(this);
  Image1->setFixedSize(128, 128);
  // After "+" the keyboard goes to the first cell of the new row, ready for typing.
  connect(DBNavigator1->button(grid::DbNavigator::Insert), &QToolButton::clicked, this, [this] {
    if (!dataSet_->isActive() || dataSet_->state() != db::DataSet::State::Insert) return;
    DBGrid1->setFocus(Qt::OtherFocusReason);
    DBGrid1->setCurrentIndex(DBGrid1->model()->index(std::max(0, dataSet_->currentRow()), 0));
  });
}

void RegisterWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void RegisterWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width(), h = height();
  // Grid anchored to all sides, navigator bottom-left, picture on the right.
  DBGrid1->setGeometry(8, 28, w - 8 - 144, h - 28 - 40);
  DBNavigator1->setGeometry(8, h - 33, DBNavigator1->sizeHint().width(), 25);
  Image1->move(w - 136, 28);
}

void RegisterWindow::openDataSet(bool quiet) {
  if (dataSet_->isActive()) return;
  if (quiet && !main_->ADOConnection1->isOpen()) return;
  try {
    dataSet_->open();
  } catch (const db::DbError& e) {
    dialogs::showError(e.message(), this);
  }
}

void RegisterWindow::showRegister() {
  if (!isVisible() && main_) move(main_->geometry().center() - rect().center());
  bringToFront(this);
  openDataSet(false);
}

TPracownicy::TPracownicy(TAOknoGl* main)
    : RegisterWindow(main, QStringLiteral("Pracownicy"), QStringLiteral("Valmoro - Baza pracowników"),
                     QStringLiteral("Lista pracowników i ich uprawnień do programu:"), QSize(790, 295),
                     statements::S10) {
  ADOPracownicy = dataSet_;
  DBGrid1->setColumns({
      column("Nazwa", "Nazwisko i imię pracownika", 350, false),
      column("Haslo", "Hasło", 100, true),
      column("Rola", "Rola w programie", 150, true, grid::Alignment::Center,
             {kAdministrator, QStringLiteral("pracownik")}),
  });
  // Stored passwords are hashes: never shown, and typing sets a new one.
  DBGrid1->setMaskedField(QStringLiteral("Haslo"));
  Image1->setPixmap(pictures::loginPicture());
  ADOPracownicy->beforePost = [this](db::DataSet& ds) { checkBeforePost(ds); };
  ADOPracownicy->beforeDelete = [this](db::DataSet& ds) { checkBeforeDelete(ds); };
  // When the database is missing the register opens later, when first shown.
  openDataSet(true);
}

int TPracownicy::otherAdministrators(db::DataSet& ds) {
  db::Query q(main_->ADOConnection1);
  q.addLine(QStringLiteral("SELECT count(*) AS n FROM Uzytkownicy WHERE Rola=:rola COLLATE BINARY AND rowid<>:id"));
  q.bindValue(QStringLiteral(":rola"), kAdministrator);
  q.bindValue(QStringLiteral(":id"), ds.currentRowId());
  q.open();
  return int(q.fieldByName(QStringLiteral("n")).asInteger());
}

void TPracownicy::checkBeforePost(db::DataSet& ds) {
  const int password = ds.fieldIndex(QStringLiteral("Haslo"));
  const int role = ds.fieldIndex(QStringLiteral("Rola"));
  if (ds.state() == db::DataSet::State::Insert && !ds.isFieldModified(password))
    throw db::DbError(QStringLiteral("Należy podać hasło nowego pracownika."));
  if (ds.isFieldModified(password)) {
    const QString typed = ds.field(password).asString();
    if (typed.isEmpty()) throw db::DbError(QStringLiteral("Hasło nie może być puste."));
    if (!password::isHash(typed)) ds.setFieldValue(password, password::hash(typed));
  }
  if (ds.state() == db::DataSet::State::Edit && ds.originalValue(role).toString() == kAdministrator &&
      ds.field(role).asString() != kAdministrator && otherAdministrators(ds) == 0)
    throw db::DbError(
        QStringLiteral("Nie można odebrać uprawnień ostatniemu administratorowi:\rnikt nie mógłby wtedy zarządzać programem."));
}

void TPracownicy::checkBeforeDelete(db::DataSet& ds) {
  if (ds.fieldByName(QStringLiteral("Rola")).asString() == kAdministrator && otherAdministrators(ds) == 0)
    throw db::DbError(
        QStringLiteral("Nie można usunąć ostatniego administratora:\rnikt nie mógłby wtedy zarządzać programem."));
}

TBazaPunktow::TBazaPunktow(TAOknoGl* main)
    : RegisterWindow(main, QStringLiteral("BazaPunktow"),
                     QStringLiteral("Valmoro - Baza Modułów i Punktów Pomiarowych"),
                     QStringLiteral("Lista Modułów i Punktów Pomiaru (lub pomieszczeń):"), QSize(636, 256),
                     statements::S11) {
  ADOModuly = dataSet_;
  DBGrid1->setColumns({
      column("Modul", "Nazwa Modułu", 200, true),
      column("Punkt", "Nazwa Punktu Pomiarowego", 250, true),
  });
  Image1->setPixmap(pictures::entryPicture());
  openDataSet(true);
}

}  // namespace valmoro::app
