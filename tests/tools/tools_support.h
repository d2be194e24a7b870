#pragma once
// Running the built valmoro-report and the readers its output is checked
// with, and the inputs the tool tests share: the seed database of a new
// installation and a small prepared report.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

namespace valmoro {

struct ToolRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// What a started process gave, once it has finished (two minutes at most).
inline ToolRun finishedRun(QProcess& p) {
  p.waitForFinished(120000);
  ToolRun r;
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

inline ToolRun runTool(const QStringList& args, const QString& workingDir = QString()) {
  QProcess p;
  if (!workingDir.isEmpty()) p.setWorkingDirectory(workingDir);
  p.start(QStringLiteral(VALMORO_REPORT_TOOL), args);
  return finishedRun(p);
}

// A report document without a data set: one data band of `rows` rows
// ("wiersz 1", "wiersz 2", …) counted by its RowCount, on A4.
inline void makeRowsDocument(const QString& path, int rows) {
  report::TfrxReport design;
  auto* page = new report::TfrxReportPage(&design);
  page->SetName("Page1");
  page->SetPaperSize(9);
  auto* band = new report::TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 20, 700, 20);
  band->SetRowCount(rows);
  auto* memo = new report::TfrxMemoView(band);
  memo->SetName("Nr");
  memo->SetBounds(0, 0, 200, 20);
  memo->SetText("wiersz [Line#]");
  design.WriteToFile(path);
}

// Standard output of another program (a reader such as pdftotext); its exit
// code goes to `exitCode` when asked for.
inline QString readerOutput(const QString& program, const QStringList& args, int* exitCode = nullptr) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(180000);
  if (exitCode) *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The database of a new installation: the schema and the seed readings.
inline void makeSeedDatabase(const QString& path) {
  const QString connectionName = QStringLiteral("tools_test_seed");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    for (const char* file : {VALMORO_SOURCE_DIR "/data/schema.sql", VALMORO_SOURCE_DIR "/data/seed.sql"}) {
      QFile source(QString::fromUtf8(file));
      ASSERT_TRUE(source.open(QIODevice::ReadOnly));
      for (const QString& statement : QString::fromUtf8(source.readAll()).split(';')) {
        QString sql;
        for (const QString& line : statement.split('\n'))
          if (!line.trimmed().startsWith("--")) sql += line + '\n';
        if (sql.trimmed().isEmpty()) continue;
        ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(connectionName);
}

// A prepared report of `count` A4 pages, each with one row
// "Strona n – żółw".
inline void makePreparedPages(const QString& path, int count) {
  using namespace report;
  TfrxReport design;
  auto* page = new TfrxReportPage(&design);
  page->SetName("Page1");
  auto* band = new TfrxMasterData(page);
  band->SetName("MasterData1");
  band->SetBounds(0, 0, 700, 20);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(10, 0, 300, 18);
  TfrxPreviewPages& pages = design.PreviewPages();
  pages.Clear();
  pages.Initialize();
  pages.AddSourceObjects(page);
  pages.BeginPass();
  for (int i = 0; i < count; ++i) {
    pages.AddPage(page);
    memo->SetText(QString::fromUtf8("Strona %1 – żółw").arg(i + 1));
    pages.AddObject(band);
  }
  pages.Finish();
  pages.SaveToFile(path);
}

}  // namespace valmoro
