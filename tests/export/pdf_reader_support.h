#pragma once
// Running the real PDF readers (qpdf, poppler's tools) on files the tests
// write.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace valmoro::pdftest {

struct ToolResult {
  int exitCode = -1;
  QString out;
  QString err;
};

inline ToolResult runTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  ToolResult result;
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    result.err = QStringLiteral("timed out or did not start");
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}

// pdftotext of one page (1-based), layout kept.
inline QString pageText(const QString& file, int page, const QString& password = {}) {
  QStringList args{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"),
                   QString::number(page), QStringLiteral("-l"), QString::number(page)};
  if (!password.isEmpty()) args << QStringLiteral("-upw") << password;
  args << file << QStringLiteral("-");
  return runTool(QStringLiteral("pdftotext"), args).out;
}

}  // namespace valmoro::pdftest
