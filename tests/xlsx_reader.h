#pragma once
// Reads .xlsx files back with a real reader (the system python3's openpyxl) so that
// tests see what a spreadsheet user would, not what the writer meant.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

namespace valmoro::testing {

struct ReaderResult {
  int exitCode = -1;
  QString out;
  QString err;
};

// Runs a Python script with the file as sys.argv[1]; the script prints
// what the test checks, one fact a line.
inline ReaderResult readXlsx(const QString& script, const QString& file) {
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file});
  python.waitForFinished(120000);
  return ReaderResult{python.exitStatus() == QProcess::NormalExit ? python.exitCode() : -1,
                      QString::fromUtf8(python.readAllStandardOutput()),
                      QString::fromUtf8(python.readAllStandardError())};
}

// The lines a script printed, for EXPECT_EQ against a list.
inline QStringList readXlsxLines(const QString& script, const QString& file) {
  const ReaderResult r = readXlsx(script, file);
  if (r.exitCode != 0) return {QStringLiteral("reader failed: ") + r.err};
  QStringList lines = r.out.split(u'\n');
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// Converts the workbook's first sheet to CSV with LibreOffice (headless,
// its own throw-away profile); the CSV text, or a text beginning with
// "conversion failed" and what LibreOffice said.
inline QString convertWithLibreOffice(const QString& file, const QString& workDir) {
  QProcess office;
  office.setProcessChannelMode(QProcess::MergedChannels);
  office.start(QStringLiteral("soffice"),
               {QStringLiteral("--headless"), QStringLiteral("-env:UserInstallation=file://") + workDir + "/profile",
                QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                QStringLiteral("--outdir"), workDir + "/csv", file});
  office.waitForFinished(180000);
  const QString said = QString::fromUtf8(office.readAll());
  QFile csv(workDir + "/csv/" + QFileInfo(file).completeBaseName() + ".csv");
  if (office.exitCode() != 0 || !csv.open(QIODevice::ReadOnly)) return QStringLiteral("conversion failed: ") + said;
  return QString::fromUtf8(csv.readAll());
}

// Lines as one text, so a failing comparison prints them readably.
inline std::string joined(const QStringList& lines) { return lines.join(u'\n').toStdString(); }

}  // namespace valmoro::testing
