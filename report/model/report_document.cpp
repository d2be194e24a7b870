#include "report/model/report_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "report/model/report.h"
#include "report/model/report_error.h"

namespace valmoro::report {

bool readReportDocument(TfrxReport& report, QIODevice& stream) {
  report.Errors().clear();
  try {
    report.ReadFromStream(stream);
  } catch (const ReportError& e) {
    report.Errors().append(e.message());
    return false;
  }
  return true;
}

bool loadReportDocument(TfrxReport& report, const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    report.Errors().clear();
    report.Errors().append(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, file.errorString()));
    return false;
  }
  return readReportDocument(report, file);
}

void writeReportDocument(const TfrxReport& report, QIODevice& stream) { report.SaveToStream(stream, true); }

void saveReportDocument(TfrxReport& report, const QString& fileName) {
  const QString parent = report.ParentReport();
  if (!parent.isEmpty() && QDir::isAbsolutePath(parent))
    report.SetParentReport(QFileInfo(fileName).absoluteDir().relativeFilePath(parent));
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, file.errorString()));
  writeReportDocument(report, file);
  if (!file.commit())
    throw ReportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(fileName, file.errorString()));
}

}  // namespace valmoro::report
