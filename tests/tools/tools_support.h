#pragma once
// Running the built valmoro-report.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace valmoro {

struct ToolRun {
  int exitCode = -1;
  QString out;
  QString err;
};

inline ToolRun runTool(const QStringList& args, const QString& workingDir = QString()) {
  QProcess p;
  if (!workingDir.isEmpty()) p.setWorkingDirectory(workingDir);
  p.start(QStringLiteral(VALMORO_REPORT_TOOL), args);
  p.waitForFinished(120000);
  ToolRun r;
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace valmoro
