// valmoro-report export: prepared pages to a file through an export filter.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "tools_support.h"

namespace valmoro {
namespace {

using namespace report;

QString readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(file.readAll());
}

TEST(ExportTool, WritesThePreparedPagesAsRtf) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPages(fp3, 3);
  const ToolRun run = runTool({"export", "--format", "rtf", fp3, "-o", dir.filePath("raport.rtf")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
  const QString rtf = readAll(dir.filePath("raport.rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
  EXPECT_EQ(rtf.count("\\pard\\sect"), 2);
  EXPECT_TRUE(rtf.contains("Strona 3 \\u8211\\'3f \\u380\\'3f\\u243\\'3f\\u322\\'3fw")) << rtf.toStdString();
}

TEST(ExportTool, SelectsPages) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPages(fp3, 5);
  const ToolRun run = runTool({"export", "--format", "rtf", fp3, "--pages", "2,4-", "-o", dir.filePath("a.rtf")});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QString rtf = readAll(dir.filePath("a.rtf"));
  EXPECT_FALSE(rtf.contains("Strona 1 "));
  EXPECT_TRUE(rtf.contains("Strona 2 "));
  EXPECT_FALSE(rtf.contains("Strona 3 "));
  EXPECT_TRUE(rtf.contains("Strona 4 "));
  EXPECT_TRUE(rtf.contains("Strona 5 "));
}

TEST(ExportTool, ErrorsGoToStandardOutputWithExitOne) {
  QTemporaryDir dir;
  const QString fp3 = dir.filePath("raport.fp3");
  makePreparedPages(fp3, 1);

  ToolRun run = runTool({"export", "--format", "odt", fp3, "-o", dir.filePath("a.odt")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.startsWith("Nieznany format: odt (dostępne: rtf")) << run.out.toStdString();

  run = runTool({"export", "--format", "rtf", dir.filePath("brak.fp3"), "-o", dir.filePath("a.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.out.isEmpty());

  // An output folder that does not exist: an error and no file anywhere.
  run = runTool({"export", "--format", "rtf", fp3, "-o", dir.filePath("nie/ma/a.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.contains("Nie można utworzyć pliku")) << run.out.toStdString();

  run = runTool({"export", "--format", "rtf", fp3, "--pages", "1,x", "-o", dir.filePath("b.rtf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(QFile::exists(dir.filePath("b.rtf")));

  // Usage errors exit 2.
  EXPECT_EQ(runTool({"export", "--format", "rtf", fp3}).exitCode, 2);
  EXPECT_EQ(runTool({"export", fp3, "-o", dir.filePath("c.rtf")}).exitCode, 2);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"raport.fp3"});
}

// A reader's output; nothing when it failed.
QString runProgram(const QString& program, const QStringList& args) {
  int code = -1;
  const QString out = readerOutput(program, args, &code);
  return code == 0 ? out : QString();
}

// The program's report over the seed log, exported to RTF and read back by a
// real word processor: every page's rows come back in table order with their
// Polish letters, one document page per prepared page.
TEST(ExportTool, ShippedReportReadBackByLibreOffice) {
  const QString office = QStandardPaths::findExecutable("soffice");
  if (office.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  QTemporaryDir dir;
  const QString database = dir.filePath("Valmoro.db");
  makeSeedDatabase(database);
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  const QString module = QString::fromUtf8("Magazyn główny");

  // What the pages hold, from the prepared report.
  const QString fp3 = dir.filePath("raport.fp3");
  ToolRun run = runTool({"prepare", report, "--database", database, "--module", module, "-o", fp3});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  TfrxReport owner;
  TfrxPreviewPages& store = owner.PreviewPages();
  ASSERT_TRUE(store.LoadFromFile(fp3));
  const int pageCount = store.Count();
  ASSERT_GT(pageCount, 5);
  QList<QStringList> rows;  // per page: "Data|Punkt" of every data row, in order
  for (int p = 0; p < pageCount; ++p) {
    QStringList texts;
    for (TfrxComponent* band : store.Page(p)->Objects()) {
      if (band->Name() != "MasterData1") continue;
      QString data, point;
      for (TfrxComponent* child : band->Objects())
        if (auto* memo = qobject_cast<TfrxCustomMemoView*>(child)) {
          if (memo->Name() == "PoleData") data = memo->Text();
          if (memo->Name() == "PolePunkt") point = memo->Text();
        }
      texts << data + "|" + point;
    }
    rows << texts;
  }

  // The export prepares the report on the way.
  const QString rtfFile = dir.filePath("raport.rtf");
  run = runTool({"export", "--format", "rtf", report, "--database", database, "--module", module, "-o", rtfFile});
  ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
  const QString rtf = readAll(rtfFile);
  EXPECT_EQ(rtf.count("\\pard\\sect"), pageCount - 1);
  // The header's and footer's rules survive as cell borders.
  EXPECT_TRUE(rtf.contains("\\clbrdrb\\brdrs\\brdrw20"));
  EXPECT_TRUE(rtf.contains("\\clbrdrt\\brdrs\\brdrw20"));
  // Every row definition is complete: as many cells opened as closed.
  EXPECT_EQ(rtf.count("\\trowd"), 2 * rtf.count("\\row}"));

  const QString profile = "-env:UserInstallation=file://" + dir.filePath("profile");
  QProcess convert;
  convert.start(office, {profile, "--headless", "--convert-to", "pdf", "--outdir", dir.path(), rtfFile});
  ASSERT_TRUE(convert.waitForFinished(180000));
  const QString pdf = dir.filePath("raport.pdf");
  ASSERT_TRUE(QFile::exists(pdf)) << QString::fromUtf8(convert.readAllStandardError()).toStdString();
  const QString info = runProgram("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pageCount))))
      << info.toStdString() << " prepared pages: " << pageCount;

  for (int p = 0; p < pageCount; ++p) {
    const QString text = runProgram("pdftotext", {"-layout", "-f", QString::number(p + 1), "-l",
                                                  QString::number(p + 1), pdf, "-"});
    if (p == 0) {
      EXPECT_TRUE(text.contains(QString::fromUtf8("Dziennik pomiarów temperatury i wilgotności")));
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Strona %1 z %2").arg(p + 1).arg(pageCount))) << "page " << p + 1;
    qsizetype at = 0;
    for (const QString& row : rows[p]) {
      const QStringList parts = row.split('|');
      const qsizetype found = text.indexOf(parts[0], at);
      ASSERT_GE(found, 0) << "page " << p + 1 << ": " << parts[0].toStdString() << "\n" << text.toStdString();
      const qsizetype point = text.indexOf(parts[1], found);
      ASSERT_GT(point, found) << "page " << p + 1 << ": " << parts[1].toStdString();
      at = point;
    }
  }
}

}  // namespace
}  // namespace valmoro
