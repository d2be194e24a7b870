#pragma once
// Report documents as files: the report-level steps around reading and
// writing the object tree (serializer.h). The report object's own loading
// (clearing, the options a document may not change, the data page, the
// password prompt) builds on these.

#include <QIODevice>
#include <QString>

namespace valmoro::report {

class TfrxReport;

// Documents hold the report password with every UTF-16 code unit lowered by
// 10; reading raises them again. The report's own writer and reader do it.
QString scrambleReportPassword(const QString& password);
QString unscrambleReportPassword(const QString& stored);

// Reads a report document into the report, replacing its children. The
// report's error list is emptied first and then holds what the read met.
// False when the document could not be read as a whole (it is not well
// formed: "Invalid file format", or the file cannot be opened); the reason
// is then in the list.
bool readReportDocument(TfrxReport& report, QIODevice& stream);
bool loadReportDocument(TfrxReport& report, const QString& fileName);

// Writes the report with all its objects. A ParentReport given as an
// absolute path is first made relative to the folder of the file written.
// The file is replaced only once the whole document is written; failures
// throw ReportError.
void writeReportDocument(const TfrxReport& report, QIODevice& stream);
void saveReportDocument(TfrxReport& report, const QString& fileName);

}  // namespace valmoro::report
