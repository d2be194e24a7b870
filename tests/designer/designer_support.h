#pragma once
// What the designer's tests share: the shipped report, a designer document
// over a report of its own, and a temporary folder for files.

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include "designer/designer_document.h"
#include "report/model/report.h"

namespace valmoro::designer::testing {

// The report layout the program ships.
inline QString shippedReportPath() { return QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"); }

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A report and a designer document over it, the shipped layout copied into
// a folder of its own (saving must never touch the source tree). The
// recovery journal goes to the test's own data folder.
struct Designed {
  explicit Designed(bool shipped = true) {
    QStandardPaths::setTestModeEnabled(true);
    path = folder.filePath(QStringLiteral("Raport.fr3"));
    if (shipped) QFile::copy(shippedReportPath(), path);
    document = std::make_unique<DesignerDocument>(report);
    document->Open(path);
  }
  ~Designed() {
    document.reset();
    QFile::remove(DesignerDocument::RecoveryPath(path));
  }
  QByteArray bytes() const { return document->DocumentBytes(); }

  QTemporaryDir folder;
  QString path;
  report::TfrxReport report;
  std::unique_ptr<DesignerDocument> document;
};

}  // namespace valmoro::designer::testing
