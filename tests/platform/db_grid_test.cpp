// The data grid and the navigator over a small table of their own: how they
// name fields in messages and what a grid shows once its data set is gone.

#include <QFile>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "platform/database.h"
#include "platform/db_grid.h"
#include "platform/db_navigator.h"
#include "platform/dialogs.h"
#include "platform/field_error.h"
#include "qt_printers.h"

namespace valmoro {
namespace {

using Nav = grid::DbNavigator;

class GridOverTable : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("siatka.db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    connection.open(path);
    QSqlQuery q(connection.database());
    ASSERT_TRUE(q.exec("CREATE TABLE Pomiary (Miejsce VARCHAR(5), Odczyt DOUBLE)"));
    ASSERT_TRUE(q.exec("INSERT INTO Pomiary VALUES ('Hala', 1.5), ('Dach', 2)"));
    dataSet = new db::DataSet(&connection);
    dataSet->setCommandText("SELECT * FROM Pomiary");
    dataSet->setEditable(true);
    dataSet->open();
    grid.setEditingEnabled(true);
    grid.setDataSet(dataSet);
    grid::Column place;
    place.fieldName = "Miejsce";
    place.title.caption = QStringLiteral("Miejsce pomiaru");
    grid::Column reading;
    reading.fieldName = "Odczyt";  // no title of its own: the field's name
    grid.setColumns({place, reading});
    navigator.setDataSet(dataSet);
  }

  void TearDown() override { delete dataSet; }

  void type(int row, int column, const QString& text) {
    grid.model()->setData(grid.model()->index(row, column), text);
  }

  QTemporaryDir dir;
  db::Connection connection;
  db::DataSet* dataSet = nullptr;
  grid::DbGrid grid;
  grid::DbNavigator navigator;
  dialogs::RecordingScope recording;
};

TEST_F(GridOverTable, RefusedValuesNameTheColumnAsTheUserSeesIt) {
  EXPECT_EQ(grid.fieldLabel("Miejsce"), "Miejsce pomiaru");
  EXPECT_EQ(grid.fieldLabel("ODCZYT"), "Odczyt");
  EXPECT_EQ(grid.fieldLabel("Brak"), "");

  // The navigator without the grid's titles names the table's field.
  type(0, 0, "Magazyn");
  navigator.click(Nav::Post);
  EXPECT_EQ(recording.messages(),
            QStringList{"Pole „Miejsce”: tekst jest za długi (7 znaków, dozwolone najwyżej 5)."});
  dialogs::clearRecordedMessages();

  // With them, the column's title.
  navigator.setFieldLabels([this](const QString& field) { return grid.fieldLabel(field); });
  navigator.click(Nav::Post);
  EXPECT_EQ(recording.messages(),
            QStringList{"Pole „Miejsce pomiaru”: tekst jest za długi (7 znaków, dozwolone najwyżej 5)."});
  dialogs::clearRecordedMessages();

  // So does the grid itself when the row is left.
  grid.setCurrentIndex(grid.model()->index(0, 0));
  grid.setCurrentIndex(grid.model()->index(1, 0));
  EXPECT_EQ(recording.messages(),
            QStringList{"Pole „Miejsce pomiaru”: tekst jest za długi (7 znaków, dozwolone najwyżej 5)."});
  EXPECT_EQ(dataSet->state(), db::DataSet::State::Edit);
  navigator.click(Nav::Cancel);
  EXPECT_EQ(grid.cellText(0, 0), "Hala");
}

TEST_F(GridOverTable, FieldErrorsKeepTheLayersWordingForEveryOtherWindow) {
  const db::FieldError refused("Odczyt", "należy podać liczbę.");
  EXPECT_EQ(refused.message(), "Pole „Odczyt”: należy podać liczbę.");
  EXPECT_EQ(db::userMessage(refused, {}), "Pole „Odczyt”: należy podać liczbę.");
  EXPECT_EQ(db::userMessage(refused, [](const QString&) { return QString(); }), "Pole „Odczyt”: należy podać liczbę.");
  EXPECT_EQ(db::userMessage(refused, [](const QString&) { return QStringLiteral("Wynik %1"); }),
            "Pole „Wynik %1”: należy podać liczbę.");
  const db::DbError other(QStringLiteral("Brak połączenia z bazą danych."));
  EXPECT_EQ(db::userMessage(other, [](const QString&) { return QStringLiteral("x"); }), "Brak połączenia z bazą danych.");
}

TEST_F(GridOverTable, AGridWhoseDataSetIsGoneShowsNothing) {
  grid.resize(300, 200);
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  ASSERT_EQ(grid.model()->rowCount(), 2);
  delete dataSet;
  dataSet = nullptr;
  EXPECT_EQ(grid.model()->rowCount(), 0);
  EXPECT_EQ(grid.dataSet(), nullptr);
  // Painting, hiding and asking for titles read nothing that was freed.
  grid.horizontalHeader()->sizeHint();
  grid.repaint();
  grid.hide();
  EXPECT_EQ(grid.fieldLabel("Miejsce"), "");
  EXPECT_FALSE(navigator.button(Nav::Post)->isEnabled());
}

}  // namespace
}  // namespace valmoro
