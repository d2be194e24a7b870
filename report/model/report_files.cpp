#include "report/model/report_files.h"

#include <QFile>
#include <QSaveFile>

#include "report/model/report_error.h"

namespace valmoro::report {

QString cannotOpenMessage(const QString& fileName, const QString& reason) {
  return QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, reason);
}

void readReportFile(const QString& fileName, const std::function<void(QIODevice&)>& read) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw ReportError(cannotOpenMessage(fileName, file.errorString()));
  read(file);
}

void saveReportFile(const QString& fileName, const std::function<void(QIODevice&)>& write) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, file.errorString()));
  write(file);
  if (!file.commit())
    throw ReportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(fileName, file.errorString()));
}

}  // namespace valmoro::report
