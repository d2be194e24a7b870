// valmoro-report calc: expressions of a report over a module's log.

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "script/variant.h"
#include "tools_support.h"

namespace valmoro {
namespace {

// A log with two readings of "Magazyn" (the newer one first when read) and
// one of another module.
void makeLog(const QString& path) {
  const QString connectionName = QStringLiteral("calc_tool_test");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QFile schema(QStringLiteral(VALMORO_SOURCE_DIR "/data/schema.sql"));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(schema.readAll());
    text.replace(QStringLiteral("COLLATE NOCASE"), QString());
    QSqlQuery q(db);
    for (const QString& statement : text.split(';')) {
      QString sql;
      for (const QString& line : statement.split('\n'))
        if (!line.trimmed().startsWith("--")) sql += line + '\n';
      if (sql.trimmed().isEmpty()) continue;
      ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    for (const char* row : {"('2024-01-01 08:00:00', 'Magazyn', 'Rampa', 10.5, 40, 'Jan')",
                            "('2024-02-01 08:00:00', 'Magazyn', 'Chłodnia', 21.5, 45, 'Jan')",
                            "('2024-03-01 08:00:00', 'Biuro', 'Pokój', 99, 50, 'Ewa')"})
      ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                                        "VALUES ") +
                         QString::fromUtf8(row)))
          << q.lastError().text().toStdString();
    db.close();
  }
  QSqlDatabase::removeDatabase(connectionName);
}

TEST(ReportCalcTool, PrintsTheValuesOfTheFirstRow) {
  QTemporaryDir dir;
  const QString database = dir.filePath("Valmoro.db");
  makeLog(database);
  const QString reportFile = dir.filePath("Raport.fr3");
  {
    report::TfrxReport report;
    report.Variables()->SetValue("Podwojona", "<Wpisy.\"Temperatura\"> * 2");
    report.WriteToFile(reportFile);
  }
  const ToolRun run = runTool({"calc", "--database", database, "--module", "Magazyn", reportFile,
                               "Wpisy.\"Temperatura\"", "Podwojona", "<Wpisy.\"Punkt\"> + '!'", "1 + 2"});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
  const QStringList expected{script::Variant(21.5).ToString(), script::Variant(43.0).ToString(), "Chłodnia!", "3"};
  EXPECT_EQ(run.out, expected.join('\n') + '\n');
}

TEST(ReportCalcTool, ErrorsAndWrongCalls) {
  QTemporaryDir dir;
  const QString database = dir.filePath("Valmoro.db");
  makeLog(database);
  const QString reportFile = dir.filePath("Raport.fr3");
  {
    report::TfrxReport report;
    report.WriteToFile(reportFile);
  }
  const ToolRun unknown = runTool({"calc", "--database", database, "--module", "Magazyn", reportFile, "<Brak>", "1 +"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_TRUE(unknown.out.contains("Nieznana zmienna lub pole danych: Brak\n")) << unknown.out.toStdString();
  EXPECT_TRUE(unknown.out.contains(": Błąd w wyrażeniu '1 +': ")) << unknown.out.toStdString();

  // Without a database the report alone still answers.
  const ToolRun plain = runTool({"calc", reportFile, "2 * 21"});
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.out, "42\n");
  // So does the delivered report, which lists "Wpisy" among its data sets.
  const ToolRun delivered = runTool({"calc", VALMORO_SOURCE_DIR "/data/Raport.fr3", "2 * 21"});
  EXPECT_EQ(delivered.exitCode, 0) << delivered.out.toStdString();
  EXPECT_EQ(delivered.out, "42\n");

  const ToolRun missing = runTool({"calc", dir.filePath("brak.fr3"), "1"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(missing.out.isEmpty());

  EXPECT_EQ(runTool({"calc", reportFile}).exitCode, 2);
  EXPECT_EQ(runTool({"calc", "--database", database, reportFile, "1"}).exitCode, 2);
  EXPECT_EQ(runTool({"calc", "--module"}).exitCode, 2);
}

TEST(ReportCalcTool, AnExpressionThatAsksForTooMuchMemoryIsAnErrorLikeAnyOther) {
  QTemporaryDir dir;
  const QString reportFile = dir.filePath("Raport.fr3");
  {
    report::TfrxReport report;
    report.SetScriptText({"function Ogromny: String;", "begin", "  SetLength(Result, 2000000000);", "end;",
                          "begin", "end."});
    report.WriteToFile(reportFile);
  }
  // The other expressions are still answered.
  const ToolRun run = runTool({"calc", reportFile, "Length(Ogromny)", "1 + 2"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith("3\n")) << run.out.toStdString() << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("Out of memory: a string may hold at most 67108864 characters\n"))
      << run.out.toStdString();
}

}  // namespace
}  // namespace valmoro
