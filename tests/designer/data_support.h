#pragma once
// The shipped report designed over a small log: "Wpisy" as the program
// gives it (a database data set with the grid's display formats), made
// before the document is opened so that the report's data set list finds
// it. Prepared page texts by object name, to compare what views print.

#include <QBuffer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "designer/designer_document.h"
#include "designer_support.h"
#include "platform/database.h"
#include "report/engine/preview_pages.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_page.h"

namespace valmoro::designer::testing {

// The log's columns, as "select *" gives them.
inline const QStringList& logFields() {
  static const QStringList fields{"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"};
  return fields;
}

struct SmallLog {
  SmallLog() {
    const QString path = folder.filePath("log.db");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    connection.open(path);
    QSqlQuery q(connection.database());
    const bool made = q.exec(
        "CREATE TABLE Wpisy (Identyfikator INTEGER PRIMARY KEY AUTOINCREMENT, Data DATETIME, Modul VARCHAR(30), "
        "Punkt VARCHAR(30), Temperatura DOUBLE, Wilgotnosc DOUBLE, Pracownik VARCHAR(50))");
    EXPECT_TRUE(made) << q.lastError().text().toStdString();
    for (const char* row : {"('2026-03-01 08:00:00', 'Magazyn', 'Chłodnia', 4.25, 61.5, 'Nowak')",
                            "('2026-03-01 12:30:00', 'Magazyn', 'Hala', 21.5, 40, 'Kowalska')",
                            "('2026-03-02 07:15:00', 'Magazyn', 'Rampa', -3.125, 85.75, 'Nowak')"})
      EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                                        "VALUES ") + QString::fromUtf8(row)))
          << q.lastError().text().toStdString();
    log.setCommandText("SELECT * FROM Wpisy ORDER BY Data");
    log.setDisplayFormat("Temperatura", "#,##0.00");
    log.setDisplayFormat("Wilgotnosc", "#,##0.00");
    log.open();
    wpisy.SetName("frxDBDataset1");
    wpisy.SetUserName("Wpisy");
    wpisy.SetDataSet(&log);
  }

  QTemporaryDir folder;
  db::Connection connection;
  db::DataSet log{&connection};
  report::TfrxDBDataset wpisy;
};

// The shipped report in a designer document, over the small log.
struct LogDesigned {
  SmallLog data;
  Designed designed;
  DesignerDocument& document() { return *designed.document; }
  report::TfrxReport& report() { return designed.report; }
};

// Every text view of the prepared pages of a document: "Name" -> its texts
// in page order.
inline QMap<QString, QStringList> preparedTexts(const QByteArray& document) {
  QMap<QString, QStringList> texts;
  report::TfrxReport copy;
  QBuffer buffer;
  buffer.setData(document);
  buffer.open(QIODevice::ReadOnly);
  EXPECT_TRUE(report::readReportDocument(copy, buffer));
  EXPECT_TRUE(copy.BuildPages()) << copy.Errors().join("\n").toStdString();
  report::TfrxPreviewPages& pages = copy.PreviewPages();
  for (int i = 0; i < pages.Count(); ++i)
    for (report::TfrxComponent* object : pages.Page(i)->AllObjects())
      if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(object)) texts[memo->Name()].append(memo->Text());
  return texts;
}

}  // namespace valmoro::designer::testing
