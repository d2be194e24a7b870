// From the database to the finished file a user waits for: the shipped
// Raport.fr3 over generated logs, prepared and exported by valmoro-report in
// one run, as the program's "Raport" → export does. The export-only benches
// (bench_export_pdf, bench_export_xlsx, bench_export_rtf) time the filters
// alone over pages made in memory; this one is the figure end to end.
// Prints wall and processor time (the tool runs on one core; on a shared
// machine the processor time is the fair figure), rows per wall and per
// processor second, the tool's peak resident memory and the file's size.
//
// Usage: bench_export_report [--format pdf|xlsx|rtf|all] [rows…]
//        (default: all formats, 10000 and 100000 rows)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/bench_log.h"

namespace {

struct Run {
  bool ok = false;
  double wall = 0, cpu = 0, peakMb = 0;
};

// A child of its own, so that its peak memory is its alone.
Run exportOnce(const QString& report, const QString& db, const QString& format, const QString& out) {
  Run run;
  QElapsedTimer timer;
  timer.start();
  const pid_t pid = fork();
  if (pid == 0) {
    const QByteArray tool = VALMORO_REPORT_TOOL;
    const QByteArray r = report.toUtf8(), d = db.toUtf8(), f = format.toUtf8(), o = out.toUtf8();
    execl(tool.constData(), tool.constData(), "export", "--format", f.constData(), r.constData(), "--database",
          d.constData(), "--module", "Magazyn", "-o", o.constData(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.wall = timer.nsecsElapsed() / 1e9;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.peakMb = usage.ru_maxrss / 1024.0;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList formats = {QStringLiteral("pdf"), QStringLiteral("xlsx"), QStringLiteral("rtf")};
  QList<int> sizes;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg == QLatin1String("--format") && i + 1 < argc) {
      const QString f = QString::fromLocal8Bit(argv[++i]);
      if (f != QLatin1String("all")) formats = {f};
    } else {
      sizes << arg.toInt();
    }
  }
  if (sizes.isEmpty()) sizes = {10000, 100000};
  QTemporaryDir dir;
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  std::printf("end to end: valmoro-report export REPORT --database DB over the shipped report\n");
  std::printf("%6s %10s %10s %10s %12s %12s %10s %12s\n", "format", "rows", "wall s", "CPU s", "rows/wall s",
              "rows/CPU s", "peak MB", "file KB");
  for (int rows : sizes) {
    const QString db = dir.filePath(QStringLiteral("log%1.db").arg(rows));
    if (!valmoro::bench::makeLog(db, rows)) return 1;
    for (const QString& format : formats) {
      const QString out = dir.filePath(QStringLiteral("log%1.%2").arg(rows).arg(format));
      const Run run = exportOnce(report, db, format, out);
      if (!run.ok) {
        std::fprintf(stderr, "valmoro-report export --format %s failed for %d rows\n", qPrintable(format), rows);
        return 1;
      }
      std::printf("%6s %10d %10.2f %10.2f %12.0f %12.0f %10.1f %12lld\n", qPrintable(format), rows, run.wall, run.cpu,
                  rows / run.wall, rows / run.cpu, run.peakMb, QFileInfo(out).size() / 1024);
      std::fflush(stdout);
      QFile::remove(out);
    }
    QFile::remove(db);
  }
  return 0;
}
