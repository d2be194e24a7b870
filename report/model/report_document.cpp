#include "report/model/report_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/file_errors.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_files.h"

namespace valmoro::report {

bool readReportDocument(TfrxReport& report, QIODevice& stream) {
  report.Errors().clear();
  try {
    // The tree alone: the report's own loading (data page, password,
    // showing errors) is TfrxReport::ReadFromStream.
    static_cast<TfrxComponent&>(report).ReadFromStream(stream);
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
    report.Errors().append(cannotOpenMessage(fileName, files::ioErrorText(file)));
    return false;
  }
  return readReportDocument(report, file);
}

void writeReportDocument(const TfrxReport& report, QIODevice& stream) { report.SaveToStream(stream, true); }

void saveReportDocument(TfrxReport& report, const QString& fileName) {
  const QString parent = report.ParentReport();
  if (!parent.isEmpty() && QDir::isAbsolutePath(parent))
    report.SetParentReport(QFileInfo(fileName).absoluteDir().relativeFilePath(parent));
  saveReportFile(fileName, [&](QIODevice& file) { writeReportDocument(report, file); });
}

}  // namespace valmoro::report
