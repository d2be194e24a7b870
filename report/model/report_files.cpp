#include "report/model/report_files.h"

#include <QFile>
#include <QSaveFile>

#include "platform/file_errors.h"
#include "report/model/report_error.h"

namespace valmoro::report {

QString cannotOpenMessage(const QString& fileName, const QString& reason) {
  return QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, reason);
}

void readReportFile(const QString& fileName, const std::function<void(QIODevice&)>& read) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw ReportError(cannotOpenMessage(fileName, files::ioErrorText(file)));
  read(file);
}

void saveReportFile(const QString& fileName, const std::function<void(QIODevice&)>& write) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  write(file);
  if (!files::commitFile(file))
    throw ReportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(fileName, files::ioErrorText(file)));
}

}  // namespace valmoro::report
