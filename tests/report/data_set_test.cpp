// Report data sets: the range rules, a database data set over a throw-away
// SQLite file (positions, aliases, field errors, values and texts), and the
// private data set of data bands.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>

#include "platform/database.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

QString errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ReportError& e) {
    return e.message();
  }
  return QStringLiteral("(no error)");
}

TEST(UserDataSet, CountRangeYieldsExactlyThatManyRecords) {
  TfrxUserDataSet ds;
  ds.SetRangeEnd(reCount);
  ds.SetRangeEndCount(3);
  EXPECT_EQ(ds.RecordCount(), 3);
  QList<int> seen;
  for (ds.First(); !ds.Eof() && seen.size() < 10; ds.Next()) seen.append(ds.RecNo());
  EXPECT_EQ(seen, (QList<int>{0, 1, 2}));
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 2);
  // Going on past the end stays on the last record.
  ds.Next();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 2);
  // Counting from the current record gives no fixed count.
  ds.SetRangeBegin(rbCurrent);
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(UserDataSet, BlankUserNameIsRefusedAndTheOldOneStays) {
  TfrxUserDataSet ds;
  ds.SetName(QStringLiteral("Dane1"));
  EXPECT_EQ(ds.UserName(), QStringLiteral("Dane1"));
  ds.SetUserName(QStringLiteral("Wpisy"));
  EXPECT_EQ(errorOf([&] { ds.SetUserName(QStringLiteral("   ")); }),
            QStringLiteral("Nieprawidłowa wartość właściowości"));
  EXPECT_EQ(errorOf([&] { ds.SetUserName(QString()); }), QStringLiteral("Nieprawidłowa wartość właściowości"));
  EXPECT_EQ(ds.UserName(), QStringLiteral("Wpisy"));
  // A later rename keeps a user name already given.
  ds.SetName(QStringLiteral("Dane2"));
  EXPECT_EQ(ds.UserName(), QStringLiteral("Wpisy"));
}

TEST(DataBand, PrivateDataSetFollowsRowCountAndStaysOutOfLookups) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  band->SetName(QStringLiteral("MasterData1"));
  TfrxUserDataSet* rows = band->VirtualDataSet();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->RangeEnd(), reCount);
  band->SetRowCount(4);
  EXPECT_EQ(rows->RangeEndCount(), 4);
  int count = 0;
  for (rows->First(); !rows->Eof() && count < 10; rows->Next()) ++count;
  EXPECT_EQ(count, 4);
  // Not a child, not named, not found by any name.
  EXPECT_TRUE(band->Objects().isEmpty());
  EXPECT_TRUE(rows->UserName().isEmpty());
  EXPECT_EQ(rows->Parent(), nullptr);
  EXPECT_EQ(GlobalDataSets::Find(QString()), nullptr);
  EXPECT_EQ(report.FindDataSet(QString()), nullptr);
  EXPECT_FALSE(GlobalDataSets::Offered().contains(rows));
  // A copy of the band through the document format carries the count.
  TfrxMasterData copy;
  copy.Assign(band);
  EXPECT_EQ(copy.VirtualDataSet()->RangeEndCount(), 4);
}

// --- A database data set ------------------------------------------------------------------

class DBDataSet : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("wpisy.db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    connection.open(path);
    exec(QStringLiteral("CREATE TABLE Wpisy (Id INTEGER, Punkt VARCHAR(30), Temp FLOAT, Data DATETIME, "
                        "Sprawny BOOLEAN, Opis TEXT, Zdjecie BLOB)"));
    for (int i = 1; i <= 8; ++i)
      exec(QStringLiteral("INSERT INTO Wpisy VALUES (%1, 'Punkt %1', %2, '2011-12-0%1 10:30:00', %3, %4, X'414243')")
               .arg(i)
               .arg(20 + i * 0.5)
               .arg(i % 2)
               .arg(i == 3 ? QStringLiteral("NULL") : QStringLiteral("'linia 1\r\nlinia 2'")));
    query.setCommandText(QStringLiteral("SELECT * FROM Wpisy ORDER BY Id"));
    ds.SetName(QStringLiteral("Wpisy"));
    ds.SetDataSet(&query);
  }

  void exec(const QString& sql) {
    QSqlQuery q(connection.database());
    ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
  }

  // The Id of every record of one run, as a report walks them.
  QList<qint64> walk() {
    QList<qint64> ids;
    ds.BeginRun();
    for (ds.First(); !ds.Eof() && ids.size() < 20; ds.Next()) ids.append(ds.Value(QStringLiteral("Id")).toLongLong());
    ds.EndRun();
    return ids;
  }

  QTemporaryDir dir;
  db::Connection connection;
  db::DataSet query{&connection};
  TfrxDBDataset ds;
};

TEST_F(DBDataSet, WalksEveryRecordAndOpensOnFirstUse) {
  EXPECT_FALSE(query.isActive());
  EXPECT_EQ(walk(), (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(query.isActive());
  EXPECT_EQ(ds.RecordCount(), 8);
  // CloseDataSource closes the database data set at the end of the run.
  ds.SetCloseDataSource(true);
  walk();
  EXPECT_FALSE(query.isActive());
}

TEST_F(DBDataSet, CurrentRangesStartAndStopAtTheCursor) {
  query.open();
  query.setCurrentRow(4);  // record 5
  ds.SetRangeBegin(rbCurrent);
  EXPECT_EQ(walk(), (QList<qint64>{5, 6, 7, 8}));

  query.setCurrentRow(2);  // record 3
  ds.SetRangeBegin(rbFirst);
  ds.SetRangeEnd(reCurrent);
  EXPECT_EQ(walk(), (QList<qint64>{1, 2, 3}));
  // The run leaves the cursor where it found it.
  EXPECT_EQ(query.currentRow(), 2);

  query.setCurrentRow(5);
  ds.SetRangeBegin(rbCurrent);
  EXPECT_EQ(walk(), (QList<qint64>{6}));
}

TEST_F(DBDataSet, AliasesRenameAndHideFields) {
  ds.SetFieldAliases({QStringLiteral("Id=Numer"), QStringLiteral("Punkt=Miejsce"), QStringLiteral("-Temp=Temperatura")});
  ds.BeginRun();
  QStringList fields;
  ds.GetFieldList(fields);
  EXPECT_EQ(fields, (QStringList{QStringLiteral("Numer"), QStringLiteral("Miejsce")}));
  EXPECT_EQ(ds.FieldsCount(), 2);
  EXPECT_TRUE(ds.HasField(QStringLiteral("Miejsce")));
  EXPECT_FALSE(ds.HasField(QStringLiteral("Temperatura")));
  ds.First();
  ds.Next();
  EXPECT_EQ(ds.Value(QStringLiteral("Miejsce")).toString(), QStringLiteral("Punkt 2"));
  EXPECT_EQ(ds.Value(QStringLiteral("Numer")).toLongLong(), 2);
  // Hidden and replaced names are not there.
  EXPECT_FALSE(ds.Value(QStringLiteral("Temperatura")).isValid());
  EXPECT_FALSE(ds.Value(QStringLiteral("Punkt")).isValid());
  ds.EndRun();
}

TEST_F(DBDataSet, UnknownFieldGivesNullAndOneErrorOfTheCurrentObject) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* memo = new TfrxMemoView(band);
  memo->SetName(QStringLiteral("Memo1"));
  report.DataSets()->Add(&ds);
  report.SetCurrentObject(memo);
  report.DataSets()->BeginRun();
  EXPECT_EQ(ds.ReportRef(), &report);
  ds.First();
  EXPECT_FALSE(ds.Value(QStringLiteral("X")).isValid());
  const QString error = QStringLiteral("Memo1: Nieznaleziono pola: Wpisy.\"X\"");
  EXPECT_EQ(report.Errors(), QStringList{error});
  // The display text is the message itself; the error is listed once.
  EXPECT_EQ(ds.DisplayText(QStringLiteral("X")), QStringLiteral("Nieznaleziono pola: Wpisy.\"X\""));
  ds.Next();
  ds.Value(QStringLiteral("X"));
  EXPECT_EQ(report.Errors(), QStringList{error});
  report.DataSets()->EndRun();
}

TEST_F(DBDataSet, CopyingAFieldOutNamesAnUnknownFieldOnceAndGivesNothing) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* memo = new TfrxMemoView(new TfrxMasterData(page));
  memo->SetName(QStringLiteral("Memo1"));
  report.DataSets()->Add(&ds);
  report.SetCurrentObject(memo);
  report.DataSets()->BeginRun();
  ds.First();
  QStringList lines{QStringLiteral("stare")};
  ds.CopyBlobTo(QStringLiteral("Brak"), lines);
  EXPECT_TRUE(lines.isEmpty());
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  ds.CopyBlobTo(QStringLiteral("Brak"), bytes);
  EXPECT_TRUE(bytes.data().isEmpty());
  EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("Memo1: Nieznaleziono pola: Wpisy.\"Brak\"")});
  // A NULL text leaves the list empty, whatever it held.
  ds.Next();
  ds.Next();
  lines = QStringList{QStringLiteral("stare")};
  ds.CopyBlobTo(QStringLiteral("Opis"), lines);
  EXPECT_TRUE(lines.isEmpty());
  report.DataSets()->EndRun();
}

TEST_F(DBDataSet, ValuesTextsAndKindsFollowTheFieldTypes) {
  query.setDisplayFormat(QStringLiteral("Temp"), QStringLiteral("0.00"));
  ds.BeginRun();
  ds.First();
  EXPECT_EQ(ds.Value(QStringLiteral("Id")).metaType().id(), QMetaType::LongLong);
  EXPECT_DOUBLE_EQ(ds.Value(QStringLiteral("Temp")).toDouble(), 20.5);
  // The field's display format applies to the display text only.
  EXPECT_EQ(ds.DisplayText(QStringLiteral("Temp")), QStringLiteral("20,50"));
  EXPECT_EQ(ds.Value(QStringLiteral("Data")).toDateTime(), QDateTime(QDate(2011, 12, 1), QTime(10, 30)));
  EXPECT_EQ(ds.Value(QStringLiteral("Sprawny")), QVariant(true));
  EXPECT_EQ(ds.Value(QStringLiteral("Zdjecie")), QVariant(QStringLiteral("ABC")));
  EXPECT_EQ(ds.FieldType(QStringLiteral("Punkt")), fftString);
  EXPECT_EQ(ds.FieldType(QStringLiteral("Sprawny")), fftBoolean);
  EXPECT_EQ(ds.FieldType(QStringLiteral("Temp")), fftNumeric);
  EXPECT_EQ(ds.DisplayWidth(QStringLiteral("Punkt")), 30);
  EXPECT_EQ(ds.DisplayWidth(QStringLiteral("Data")), 20);
  EXPECT_EQ(ds.DisplayWidth(QStringLiteral("Id")), 15);
  EXPECT_TRUE(ds.IsBlobField(QStringLiteral("Zdjecie")));
  EXPECT_FALSE(ds.IsBlobField(QStringLiteral("Opis")));

  QStringList lines;
  ds.CopyBlobTo(QStringLiteral("Opis"), lines);
  EXPECT_EQ(lines, (QStringList{QStringLiteral("linia 1"), QStringLiteral("linia 2")}));
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  ds.CopyBlobTo(QStringLiteral("Zdjecie"), bytes);
  EXPECT_EQ(bytes.data(), QByteArray("ABC"));

  ds.Next();
  ds.Next();  // record 3: Opis is NULL
  EXPECT_FALSE(ds.Value(QStringLiteral("Opis")).isValid());
  EXPECT_EQ(ds.DisplayText(QStringLiteral("Opis")), QString());
  ds.EndRun();
}

TEST_F(DBDataSet, WithoutDatabaseDataSetTheRunFailsAndTextsNameTheField) {
  TfrxDBDataset lone;
  lone.SetName(QStringLiteral("Pomiary"));
  EXPECT_EQ(errorOf([&] { lone.BeginRun(); }), QStringLiteral("Źródło Pomiary jest niepodłączone"));
  EXPECT_EQ(lone.DisplayText(QStringLiteral("Temp")), QStringLiteral("Pomiary.\"Temp\""));
  EXPECT_TRUE(lone.Eof());
  EXPECT_EQ(lone.RecordCount(), 0);
}

TEST_F(DBDataSet, ReopeningDuringARunRebuildsTheFieldMapAndClosingForgetsThePosition) {
  ds.BeginRun();
  ds.First();
  EXPECT_EQ(ds.Value(QStringLiteral("Punkt")).toString(), QStringLiteral("Punkt 1"));
  // Someone else reopens the data set with other columns.
  query.close();
  query.setCommandText(QStringLiteral("SELECT Id, Punkt AS Miejsce FROM Wpisy ORDER BY Id DESC"));
  query.open();
  ds.First();
  EXPECT_EQ(ds.Value(QStringLiteral("Miejsce")).toString(), QStringLiteral("Punkt 8"));
  ds.EndRun();

  // A position saved at opening goes with a close: the end of the run does
  // not move the cursor of the reopened data set back to it.
  query.setCurrentRow(5);
  ds.SetRangeEnd(reCurrent);
  ds.BeginRun();
  ds.First();
  query.close();
  query.open();
  query.setCurrentRow(2);
  ds.EndRun();
  EXPECT_EQ(query.currentRow(), 2);
}

TEST_F(DBDataSet, ADatabaseDataSetFreedMeanwhileIsNoLongerUsed) {
  auto* other = new db::DataSet(&connection);
  other->setCommandText(QStringLiteral("SELECT * FROM Wpisy ORDER BY Id"));
  ds.SetDataSet(other);
  ds.BeginRun();
  ds.First();
  EXPECT_EQ(ds.Value(QStringLiteral("Id")).toLongLong(), 1);
  delete other;
  EXPECT_EQ(ds.DataSet(), nullptr);
  ds.Next();
  EXPECT_TRUE(ds.Eof());
  ds.Prior();
  ds.First();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_FALSE(ds.Value(QStringLiteral("Id")).isValid());
  ds.EndRun();
}

}  // namespace
