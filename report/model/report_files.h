#pragma once
// Reading and writing the files of the report model (documents, style
// sheets, variables). A file that cannot be opened or written raises
// ReportError with a Polish message naming the file.

#include <QString>
#include <functional>

class QIODevice;

namespace valmoro::report {

// Opens the file for reading and hands it to read.
void readReportFile(const QString& fileName, const std::function<void(QIODevice&)>& read);
// Writes the file through write: aside first and put in place at the end, so
// a failed save leaves the old file whole.
void saveReportFile(const QString& fileName, const std::function<void(QIODevice&)>& write);
// The message for a file that cannot be opened for reading.
QString cannotOpenMessage(const QString& fileName, const QString& reason);

}  // namespace valmoro::report
