// The shipped report over the seed log, prepared and exported to PDF by the
// report tool, read back with real readers: page count and sizes as
// prepared, the rows' texts page by page with their Polish letters, and
// pages that look like our own rendering of the same prepared pages.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tools_support.h"

namespace valmoro {
namespace {

// The module's rows newest first: date as the report shows it and the point.
QList<QStringList> newestRows(const QString& path, const QString& module, int count) {
  QList<QStringList> rows;
  const QString connectionName = QStringLiteral("export_pdf_rows");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    EXPECT_TRUE(db.open());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT strftime('%Y-%m-%d %H:%M', Data), Punkt FROM Wpisy WHERE Modul = ? "
                             "ORDER BY Data DESC LIMIT ?"));
    q.addBindValue(module);
    q.addBindValue(count);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    while (q.next()) rows.append({q.value(0).toString(), q.value(1).toString()});
  }
  QSqlDatabase::removeDatabase(connectionName);
  return rows;
}

double differingShare(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  const int w = std::min(x.width(), y.width()), h = std::min(x.height(), y.height());
  const auto close = [](QRgb p, QRgb q) {
    return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) < 150;
  };
  long long bad = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      bool found = false;
      for (int dj = -1; dj <= 1 && !found; ++dj)
        for (int di = -1; di <= 1 && !found; ++di) {
          const int u = i + di, v = j + dj;
          if (u >= 0 && v >= 0 && u < w && v < h) found = close(x.pixel(i, j), y.pixel(u, v));
        }
      if (!found) ++bad;
    }
  return double(bad) / (double(w) * h);
}

TEST(ExportPdfShipped, ShippedReportOverTheSeedLog) {
  QTemporaryDir dir;
  const QString database = dir.filePath("Valmoro.db");
  makeSeedDatabase(database);
  const QString module = QStringLiteral("Magazyn główny");
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QString fp3 = dir.filePath("raport.fp3");
  ToolRun run = runTool({"prepare", report, "--database", database, "--module", module, "-o", fp3});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QString pdf = dir.filePath("raport.pdf");
  run = runTool({"export", "--format", "pdf", fp3, "-o", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();

  int code = -1;
  readerOutput("qpdf", {"--check", pdf}, &code);
  EXPECT_EQ(code, 0);
  // Pages and sizes as prepared.
  const QString listing = runTool({"pages", fp3}).out;
  const int pages = int(listing.count(QRegularExpression("^Strona \\d+:", QRegularExpression::MultilineOption)));
  ASSERT_GT(pages, 1) << listing.toStdString();
  EXPECT_EQ(listing.count(QStringLiteral("210 × 297 mm")), pages);
  const QString info = readerOutput("pdfinfo", {"-f", "1", "-l", QString::number(pages), pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages: +%1\\n").arg(pages)))) << info.toStdString();
  EXPECT_EQ(info.count(QRegularExpression("size: +595.2\\d x 841.8\\d pts")), pages) << info.toStdString();
  // No title asked for: the report's name.
  EXPECT_TRUE(info.contains(QRegularExpression("Title: +Dziennik pomiarów\\n"))) << info.toStdString();
  const QString fonts = readerOutput("pdffonts", {pdf});
  EXPECT_EQ(fonts.count(" yes yes yes"), fonts.split('\n', Qt::SkipEmptyParts).size() - 2) << fonts.toStdString();

  // Page 1: title, module, column captions and the newest rows in order.
  const QString first = readerOutput("pdftotext", {"-layout", "-f", "1", "-l", "1", pdf, "-"});
  EXPECT_TRUE(first.contains(QStringLiteral("Dziennik pomiarów temperatury i wilgotności"))) << first.toStdString();
  EXPECT_TRUE(first.contains(QStringLiteral("Moduł: ") + module));
  EXPECT_TRUE(first.contains(QStringLiteral("Wilgotność")));
  const QList<QStringList> rows = newestRows(database, module, 5);
  ASSERT_EQ(rows.size(), 5);
  qsizetype at = 0;
  for (const QStringList& row : rows) {
    const qsizetype found = first.indexOf(QRegularExpression(QRegularExpression::escape(row[0]) + "\\s+" +
                                                             QRegularExpression::escape(row[1])),
                                          at);
    EXPECT_GT(found, at - 1) << row.join(' ').toStdString() << "\n" << first.toStdString();
    at = std::max(at, found);
  }
  // Every page carries its number of all pages; the last the summary.
  for (int page = 1; page <= pages; ++page) {
    const QString text = readerOutput("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("Strona %1 z %2").arg(page).arg(pages))) << page;
  }
  const QString last =
      readerOutput("pdftotext", {"-f", QString::number(pages), "-l", QString::number(pages), pdf, "-"});
  EXPECT_TRUE(last.contains(QStringLiteral("Podsumowanie — liczba pomiarów:"))) << last.toStdString();

  // The first page as a reader draws it and as we draw it.
  run = runTool({"render", fp3, "--pages", "1", "-o", dir.filePath("ours.png")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  readerOutput("pdftoppm", {"-r", "96", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, dir.filePath("theirs")});
  const QImage ours(dir.filePath("ours.png")), theirs(dir.filePath("theirs.png"));
  ASSERT_FALSE(ours.isNull());
  ASSERT_FALSE(theirs.isNull());
  EXPECT_LE(std::abs(ours.width() - theirs.width()), 1);
  EXPECT_LE(std::abs(ours.height() - theirs.height()), 1);
  // A page dense with small text: rows the 96-dpi bitmap places on whole
  // pixels may sit a pixel apart from the reader's, glyph edges blend
  // differently; anything misplaced or missing would differ far more.
  EXPECT_LT(differingShare(ours, theirs), 0.02);
  if (qEnvironmentVariableIsSet("VALMORO_KEEP_RENDERS")) {
    ours.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/shipped_ours.png");
    theirs.save(qEnvironmentVariable("VALMORO_KEEP_RENDERS") + "/shipped_theirs.png");
  }
}

}  // namespace
}  // namespace valmoro
