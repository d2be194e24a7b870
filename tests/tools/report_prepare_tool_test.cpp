// valmoro-report prepare: the program's report over a module's log, written
// as prepared pages and read back.

#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

// One row of numbers from the database.
QVariantList queryRow(const QString& path, const QString& sql, const QVariantList& values) {
  const QString connectionName = QStringLiteral("prepare_tool_query");
  QVariantList row;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    EXPECT_TRUE(db.open());
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    if (q.next())
      for (int i = 0; i < q.record().count(); ++i) row.append(q.value(i));
    db.close();
  }
  QSqlDatabase::removeDatabase(connectionName);
  return row;
}

QString money(double value) { return QString::number(value, 'f', 2).replace('.', ','); }

// Text views of the loaded pages: band name -> the texts of its views, by
// view name, in page order.
struct Prepared {
  report::TfrxReport owner;
  int pages = 0;
  QList<QPair<QString, QHash<QString, QString>>> bands;

  explicit Prepared(const QString& file) {
    report::TfrxPreviewPages& store = owner.PreviewPages();
    EXPECT_TRUE(store.LoadFromFile(file));
    pages = store.Count();
    for (int p = 0; p < pages; ++p) {
      report::TfrxReportPage* page = store.Page(p);
      for (report::TfrxComponent* object : page->Objects()) {
        auto* band = qobject_cast<report::TfrxBand*>(object);
        if (!band) continue;
        QHash<QString, QString> texts;
        for (report::TfrxComponent* child : band->Objects())
          if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(child)) texts.insert(memo->Name(), memo->Text());
        bands.append({band->Name(), texts});
      }
    }
  }
  int count(const QString& name) const {
    return int(std::count_if(bands.begin(), bands.end(), [&](const auto& b) { return b.first == name; }));
  }
  QHash<QString, QString> first(const QString& name) const {
    for (const auto& b : bands)
      if (b.first == name) return b.second;
    return {};
  }
};

struct ReportPrepareTool : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    database = dir.filePath("Valmoro.db");
    makeSeedDatabase(database);
  }
  QTemporaryDir dir;
  QString database;
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QString module = QStringLiteral("Magazyn główny");
};

TEST_F(ReportPrepareTool, ShippedReportShowsTheModulesTrueFigures) {
  const QString out = dir.filePath("raport.fp3");
  const ToolRun run = runTool({"prepare", report, "--database", database, "--module", module, "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
  EXPECT_EQ(run.out, QString());

  const QVariantList sql = queryRow(database,
                                    "SELECT count(*), avg(Temperatura), min(Temperatura), max(Temperatura), "
                                    "avg(Wilgotnosc), min(Wilgotnosc), max(Wilgotnosc) FROM Wpisy WHERE Modul = ?",
                                    {module});
  ASSERT_EQ(sql.size(), 7);
  ASSERT_GT(sql[0].toInt(), 1000);
  const Prepared prepared(out);
  EXPECT_EQ(prepared.count("MasterData1"), sql[0].toInt());
  EXPECT_EQ(prepared.count("PageFooter1"), prepared.pages);
  EXPECT_EQ(prepared.count("ReportTitle1"), 1);
  EXPECT_EQ(prepared.first("ReportTitle1").value("Modul"), "Moduł: " + module);
  // No filter: the whole log.
  EXPECT_EQ(prepared.first("ReportTitle1").value("Okres"), "Okres: wszystkie wpisy");
  const auto summary = prepared.first("ReportSummary1");
  EXPECT_EQ(summary.value("Podsumowanie"), "Podsumowanie — liczba pomiarów: " + sql[0].toString());
  EXPECT_EQ(summary.value("TemperaturaSrednia"), money(sql[1].toDouble()));
  EXPECT_EQ(summary.value("TemperaturaMinimum"), money(sql[2].toDouble()));
  EXPECT_EQ(summary.value("TemperaturaMaksimum"), money(sql[3].toDouble()));
  EXPECT_EQ(summary.value("WilgotnoscSrednia"), money(sql[4].toDouble()));
  EXPECT_EQ(summary.value("WilgotnoscMinimum"), money(sql[5].toDouble()));
  EXPECT_EQ(summary.value("WilgotnoscMaksimum"), money(sql[6].toDouble()));
  // Newest first, as the main window shows the log.
  const QVariantList newest =
      queryRow(database, "SELECT strftime('%Y-%m-%d %H:%M', max(Data)) FROM Wpisy WHERE Modul = ?", {module});
  EXPECT_EQ(prepared.first("MasterData1").value("PoleData"), newest.value(0).toString());
  // The page count is filled in when a page is drawn.
  EXPECT_EQ(prepared.bands.last().second.value("NumerStrony"),
            QStringLiteral("Strona %1 z [TotalPages#]").arg(prepared.pages));
}

TEST_F(ReportPrepareTool, ShippedSummaryStandsUnderTheColumnsItSums) {
  const QString out = dir.filePath("raport.fp3");
  ASSERT_EQ(runTool({"prepare", report, "--database", database, "--module", module, "-o", out}).exitCode, 0);
  report::TfrxReport owner;
  report::TfrxPreviewPages& store = owner.PreviewPages();
  ASSERT_TRUE(store.LoadFromFile(out));
  // Left and width of the views by name: the first row's, and the summary's.
  QHash<QString, QPair<double, double>> boxes;
  for (int p = 0; p < store.Count(); ++p)
    for (report::TfrxComponent* object : store.Page(p)->AllObjects())
      if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(object); memo && !boxes.contains(memo->Name()))
        boxes.insert(memo->Name(), {memo->Left(), memo->Width()});
  for (const char* figure : {"Srednia", "Minimum", "Maksimum"}) {
    EXPECT_EQ(boxes.value(QStringLiteral("Temperatura") + figure), boxes.value("PoleTemperatura")) << figure;
    EXPECT_EQ(boxes.value(QStringLiteral("Wilgotnosc") + figure), boxes.value("PoleWilgotnosc")) << figure;
  }
  EXPECT_FALSE(boxes.contains("BrakWpisow"));
}

TEST_F(ReportPrepareTool, ShippedReportOfAnEmptyPeriodSaysSo) {
  const QString out = dir.filePath("pusty.fp3");
  const ToolRun run = runTool({"prepare", report, "--database", database, "--module", module, "--from", "2030-01-01",
                               "--to", "2030-02-01", "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const Prepared prepared(out);
  EXPECT_EQ(prepared.count("MasterData1"), 0);
  // No module line without a module to name.
  EXPECT_EQ(prepared.first("ReportTitle1").value("Modul"), "");
  const auto summary = prepared.first("ReportSummary1");
  EXPECT_EQ(summary.value("Podsumowanie"), "Podsumowanie — liczba pomiarów: 0");
  EXPECT_EQ(summary.value("BrakWpisow"), "Brak wpisów w wybranym okresie");
  // No figures of nothing.
  for (const char* name : {"TemperaturaSrednia", "TemperaturaMinimum", "TemperaturaMaksimum", "WilgotnoscSrednia",
                           "WilgotnoscMinimum", "WilgotnoscMaksimum", "NaglowekSrednia"})
    EXPECT_FALSE(summary.contains(name)) << name;
}

TEST_F(ReportPrepareTool, SortedRowsGiveOneGroupPerPoint) {
  // The shipped layout grouped by the point, with a total per group.
  const QString file = dir.filePath("punkty.fr3");
  {
    report::TfrxReport design;
    ASSERT_TRUE(design.LoadFromFile(report));
    auto* master = qobject_cast<report::TfrxMasterData*>(design.FindObject("MasterData1"));
    ASSERT_TRUE(master);
    auto* header = new report::TfrxGroupHeader(master->Parent());
    header->SetName("GroupHeader1");
    header->SetBounds(0, master->Top() - 1, master->Width(), 20);
    header->SetCondition("Wpisy.\"Punkt\"");
    auto* title = new report::TfrxMemoView(header);
    title->SetName("Punkt");
    title->SetBounds(0, 0, 400, 20);
    title->SetText("Punkt: [Wpisy.\"Punkt\"]");
    auto* footer = new report::TfrxGroupFooter(master->Parent());
    footer->SetName("GroupFooter1");
    footer->SetBounds(0, master->Top() + 30, master->Width(), 20);
    auto* count = new report::TfrxMemoView(footer);
    count->SetName("Liczba");
    count->SetBounds(0, 0, 400, 20);
    count->SetText("[COUNT(MasterData1)]");
    master->SetSortKeys({{"Wpisy.\"Punkt\"", false}});
    design.WriteToFile(file);
  }
  const QString out = dir.filePath("punkty.fp3");
  const ToolRun run = runTool({"prepare", file, "--database", database, "--module", module, "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const Prepared prepared(out);

  const QString connectionName = QStringLiteral("prepare_tool_points");
  QStringList points;
  QHash<QString, int> counts;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(database);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    q.prepare("SELECT Punkt, count(*) FROM Wpisy WHERE Modul = ? GROUP BY Punkt");
    q.addBindValue(module);
    ASSERT_TRUE(q.exec());
    while (q.next()) {
      points << q.value(0).toString();
      counts.insert(q.value(0).toString(), q.value(1).toInt());
    }
  }
  QSqlDatabase::removeDatabase(connectionName);
  ASSERT_GT(points.size(), 1);
  // One header per point, in the order of their names, each
  // followed by its footer with the point's number of readings.
  QStringList headers, totals;
  for (const auto& band : prepared.bands) {
    if (band.first == "GroupHeader1") headers << band.second.value("Punkt");
    if (band.first == "GroupFooter1") totals << band.second.value("Liczba");
  }
  // (These names sort alike in every order, Polish included.)
  std::sort(points.begin(), points.end());
  QStringList expected, expectedTotals;
  for (const QString& point : points) {
    expected << "Punkt: " + point;
    expectedTotals << QString::number(counts.value(point));
  }
  EXPECT_EQ(headers, expected);
  EXPECT_EQ(totals, expectedTotals);
  EXPECT_EQ(prepared.count("MasterData1"), queryRow(database, "SELECT count(*) FROM Wpisy WHERE Modul = ?", {module})
                                               .value(0)
                                               .toInt());
  // Within a point the rows stay newest first.
  EXPECT_EQ(prepared.first("MasterData1").value("PolePunkt"), points.first());
}

TEST_F(ReportPrepareTool, DateFilterKeepsTheLowerBoundAndDropsTheUpper) {
  const QString out = dir.filePath("luty.fp3");
  const QVariantList range = queryRow(database, "SELECT min(date(Data)) FROM Wpisy WHERE Modul = ?", {module});
  const QDate from = QDate::fromString(range.value(0).toString(), "yyyy-MM-dd").addDays(10);
  const QDate to = from.addDays(7);
  const ToolRun run = runTool({"prepare", report, "--database", database, "--module", module, "--from",
                               from.toString("yyyy-MM-dd"), "--to", to.toString("yyyy-MM-dd"), "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QVariantList sql =
      queryRow(database, "SELECT count(*) FROM Wpisy WHERE Modul = ? AND Data >= ? AND Data < ?",
               {module, from.toString("yyyy-MM-dd"), to.toString("yyyy-MM-dd")});
  const Prepared prepared(out);
  ASSERT_GT(sql.value(0).toInt(), 0);
  EXPECT_EQ(prepared.count("MasterData1"), sql.value(0).toInt());
  EXPECT_EQ(prepared.first("ReportSummary1").value("Podsumowanie"),
            "Podsumowanie — liczba pomiarów: " + sql.value(0).toString());
  // The title names the last day included, not the exclusive upper bound.
  EXPECT_EQ(prepared.first("ReportTitle1").value("Okres"),
            "Okres: od " + from.toString("yyyy-MM-dd") + " do " + to.addDays(-1).toString("yyyy-MM-dd"));
}

TEST_F(ReportPrepareTool, ReportWithoutDataSetNeedsNoDatabase) {
  const QString file = dir.filePath("wiersze.fr3");
  makeRowsDocument(file, 120);
  const QString out = dir.filePath("wiersze.fp3");
  const ToolRun run = runTool({"prepare", file, "-o", out});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const Prepared prepared(out);
  EXPECT_EQ(prepared.count("MasterData1"), 120);
  EXPECT_EQ(prepared.bands.last().second.value("Nr"), "wiersz 120");
  EXPECT_EQ(prepared.pages, 3);
}

TEST_F(ReportPrepareTool, RenderPreparesADocumentFirst) {
  const QString png = dir.filePath("strona.png");
  const ToolRun run =
      runTool({"render", report, "--database", database, "--module", module, "--pages", "2", "-o", png});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
  const QImage image(png);
  ASSERT_FALSE(image.isNull());
  // A4 at 96 dpi.
  EXPECT_EQ(image.width(), 794);
  EXPECT_EQ(image.height(), 1123);
  // Rows drawn: dark pixels across the page, not an empty sheet.
  int dark = 0;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) dark += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(dark, 2000);
  // Data options belong to documents only.
  const QString fp3 = dir.filePath("r.fp3");
  ASSERT_EQ(runTool({"prepare", report, "--database", database, "--module", module, "-o", fp3}).exitCode, 0);
  EXPECT_EQ(runTool({"render", fp3, "--database", database, "--module", module, "-o", png}).exitCode, 1);
}

TEST_F(ReportPrepareTool, ALogWithoutTheModuleRegisterStillPrepares) {
  // Only the table of readings, as other programs keep it.
  const QString bare = dir.filePath("same_wpisy.db");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bare_log");
    db.setDatabaseName(bare);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("CREATE TABLE Wpisy (Identyfikator INTEGER PRIMARY KEY, Data DATETIME, Modul VARCHAR(30), "
                       "Punkt VARCHAR(30), Temperatura DOUBLE, Wilgotnosc DOUBLE, Pracownik VARCHAR(50))"));
    ASSERT_TRUE(q.exec("INSERT INTO Wpisy VALUES (1, '2026-12-01 08:00:00', 'Magazyn', 'Rampa', 4.5, 60, 'Jan')"));
    db.close();
  }
  QSqlDatabase::removeDatabase("bare_log");
  const QString out = dir.filePath("same_wpisy.fp3");
  const ToolRun run = runTool({"prepare", report, "--database", bare, "--module", "Magazyn", "-o", out});
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_EQ(Prepared(out).count("MasterData1"), 1);
}

TEST_F(ReportPrepareTool, ErrorsAndWrongCalls) {
  const QString out = dir.filePath("x.fp3");
  // A layout error: the report's error lines, exit 1, no file.
  const QString file = dir.filePath("zly.fr3");
  {
    report::TfrxReport design;
    auto* page = new report::TfrxReportPage(&design);
    page->SetName("Page1");
    auto* footer = new report::TfrxGroupFooter(page);
    footer->SetName("GroupFooter1");
    design.WriteToFile(file);
  }
  const ToolRun bad = runTool({"prepare", file, "-o", out});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.out.contains("Brak nagłówka grupy dla GroupFooter1")) << bad.out.toStdString();
  EXPECT_FALSE(QFile::exists(out));

  EXPECT_EQ(runTool({"prepare", report}).exitCode, 2);
  EXPECT_EQ(runTool({"prepare", report, "--database", database, "-o", out}).exitCode, 2);
  EXPECT_EQ(runTool({"prepare", report, "--from", "2024-01-01", "-o", out}).exitCode, 2);
  const ToolRun date = runTool({"prepare", report, "--database", database, "--module", module, "--from", "1.02.2024",
                                "-o", out});
  EXPECT_EQ(date.exitCode, 2);
  EXPECT_TRUE(date.err.contains("nieprawidłowa data '1.02.2024'")) << date.err.toStdString();
  const ToolRun missing = runTool({"prepare", dir.filePath("brak.fr3"), "-o", out});
  EXPECT_EQ(missing.exitCode, 1);
}

}  // namespace
}  // namespace valmoro
