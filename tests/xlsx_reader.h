#pragma once
// Reads .xlsx files back with a real reader (the system python3's openpyxl) so that
// tests see what a spreadsheet user would, not what the writer meant.

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

// Lines as one text, so a failing comparison prints them readably.
inline std::string joined(const QStringList& lines) { return lines.join(u'\n').toStdString(); }

}  // namespace valmoro::testing
