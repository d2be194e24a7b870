// Fuzzing the shipped report over adversarial log contents. SQLite keeps
// any type in any column, and another program may have written the file:
// texts in number columns, huge texts, NULLs, blobs, dates far out of range,
// numbers that are no numbers. The input is read as rows of such values;
// the log is then opened as the program opens it and the shipped report
// prepared and drawn over it. It must prepare or end in an error message,
// never crash, hang or allocate without bound.

#include <QFile>
#include <QImage>
#include <QSqlQuery>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "platform/database.h"
#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/run/install.h"
#include "tools/log_binding.h"

using namespace valmoro;

namespace {

// Takes bytes off the front of the input.
struct Input {
  const uint8_t* at;
  size_t left;
  bool empty() const { return left == 0; }
  uint8_t byte() {
    if (left == 0) return 0;
    --left;
    return *at++;
  }
  QByteArray bytes(size_t n) {
    n = std::min(n, left);
    QByteArray out(reinterpret_cast<const char*>(at), qsizetype(n));
    at += n;
    left -= n;
    return out;
  }
  template <typename T>
  T scalar() {
    T value{};
    const QByteArray raw = bytes(sizeof(T));
    std::memcpy(&value, raw.constData(), size_t(raw.size()));
    return value;
  }
};

// One value of any type SQLite stores.
QVariant valueFrom(Input& in) {
  switch (in.byte() % 9) {
    case 0: return QVariant();  // NULL
    case 1: return QVariant(in.scalar<qint64>());
    case 2: return QVariant(in.scalar<double>());
    case 3: return QVariant(QString::fromUtf8(in.bytes(in.byte())));
    case 4: return QVariant(in.bytes(in.byte()));  // a blob
    case 5: return QVariant(QString(100000 + in.byte() * 1000, QChar(u'ż')));  // a huge text
    case 6: {  // a date-like text, perhaps far out of range
      const int year = int(in.scalar<int16_t>());
      return QVariant(QStringLiteral("%1-%2-%3 %4:%5:%6")
                          .arg(year)
                          .arg(in.byte() % 14)
                          .arg(in.byte() % 33)
                          .arg(in.byte() % 26)
                          .arg(in.byte() % 61)
                          .arg(in.byte() % 61));
    }
    case 7: return QVariant(QStringLiteral("1e%1").arg(int(in.scalar<int16_t>())));  // a number text
    default: return QVariant(in.scalar<int32_t>() / 100.0);
  }
}

QString schemaText() {
  QFile file(QStringLiteral(VALMORO_SOURCE_DIR "/data/schema.sql"));
  file.open(QIODevice::ReadOnly);
  return QString::fromUtf8(file.readAll());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QString folder;
  if (!fuzz::wantSeeds(&folder)) return 0;
  // One row of each kind of value in each column, and a plain row.
  QByteArray all;
  for (uint8_t kind = 0; kind < 9; ++kind)
    for (int column = 0; column < 5; ++column) all += char(kind), all += QByteArray(8, char(0x41 + column));
  fuzz::writeSeed(folder, QStringLiteral("kinds"), all);
  QByteArray plain;
  for (int column = 0; column < 5; ++column) plain += char(8), plain += QByteArray("\x10\x27\0\0", 4);
  fuzz::writeSeed(folder, QStringLiteral("plain"), plain);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::startOnce("log_database_fuzz");
  static const bool installed = (report::installReportSubsystem(), true);
  (void)installed;
  static const QString schema = schemaText();

  const QString path = QDir::current().filePath(QStringLiteral("log.db"));
  for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
  {
    QFile(path).open(QIODevice::WriteOnly);
    db::Connection connection;
    connection.open(path);
    QSqlQuery q(connection.database());
    for (const QString& statement : schema.split(QLatin1Char(';'), Qt::SkipEmptyParts))
      if (!statement.trimmed().isEmpty()) q.exec(statement);
    // What another program may have written past the checks.
    q.exec(QStringLiteral("PRAGMA ignore_check_constraints=ON"));
    q.exec(QStringLiteral("INSERT INTO Moduly (Modul, Punkt) VALUES ('M', 'P')"));
    q.exec(QStringLiteral("BEGIN"));
    Input in{data, size};
    for (int row = 0; row < 400 && !in.empty(); ++row) {
      q.prepare(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) "
                               "VALUES (?, 'M', ?, ?, ?, ?)"));
      for (int column = 0; column < 5; ++column) q.addBindValue(valueFrom(in));
      q.exec();
    }
    q.exec(QStringLiteral("COMMIT"));
  }

  tools::ModuleLog log;
  try {
    log.open(path, QStringLiteral("M"));
  } catch (const db::DbError&) {
    return 0;
  }
  report::TfrxReport report;
  report.EngineOptions()->SetNewSilentMode(report::simSilent);
  report.SetNoPumping(true);
  try {
    report.LoadFromFile(QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3"), true);
    log.bindTo(report);
    if (!report.BuildPages(true)) return 0;
  } catch (const std::exception&) {
    return 0;
  }
  QImage image(64, 64, QImage::Format_RGB32);
  report::TfrxPreviewPages& pages = report.PreviewPages();
  for (int i = 0; i < pages.Count() && i < 5; ++i) {
    try {
      valmoro::gfx::PainterCanvas canvas(image, 96);
      pages.DrawPage(i, canvas, 0.1, 0.1, 0, 0);
    } catch (const report::ReportError&) {
    }
  }
  fuzz::forgetMessages();
  return 0;
}
