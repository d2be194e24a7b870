#pragma once
// What the designer's tests share: the shipped report, a designer document
// over a report of its own, and a temporary folder for files.

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "designer/designer_document.h"
#include "designer/object_editors.h"
#include "report/model/report.h"

namespace valmoro::designer::testing {

// The report layout the program ships.
inline QString shippedReportPath() { return QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"); }

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where two documents first differ: the line of each ("" when the same),
// so that a failure shows the change rather than two walls of bytes.
inline std::string firstDifference(const QByteArray& a, const QByteArray& b) {
  if (a == b) return std::string();
  const QList<QByteArray> la = a.split('\n'), lb = b.split('\n');
  for (qsizetype i = 0; i < std::max(la.size(), lb.size()); ++i) {
    const QByteArray x = i < la.size() ? la[i] : "<end>", y = i < lb.size() ? lb[i] : "<end>";
    if (x != y) return "line " + std::to_string(i + 1) + ":\n  " + x.left(400).toStdString() + "\n  " + y.left(400).toStdString();
  }
  return "same lines, different bytes";
}
#define EXPECT_SAME_DOCUMENT(a, b) EXPECT_EQ(::valmoro::designer::testing::firstDifference((a), (b)), std::string())
#define ASSERT_SAME_DOCUMENT(a, b) ASSERT_EQ(::valmoro::designer::testing::firstDifference((a), (b)), std::string())

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

// One of the designer's own editors out of the registry while a test
// tries what happens without it (or with an editor of its own in its
// place), put back afterwards.
struct WithoutEditor {
  explicit WithoutEditor(const QString& id) {
    if (const ObjectEditor* editor = ObjectEditors::Find(id)) {
      saved = *editor;
      ObjectEditors::Unregister(id);
    }
  }
  ~WithoutEditor() {
    if (!saved.id.isEmpty()) ObjectEditors::Register(saved);
  }
  WithoutEditor(const WithoutEditor&) = delete;
  WithoutEditor& operator=(const WithoutEditor&) = delete;
  ObjectEditor saved;
};

}  // namespace valmoro::designer::testing
