// From the database to a finished PDF: the shipped Raport.fr3 over generated
// logs, prepared and exported by valmoro-report in one run (as the program's
// preview would export it). Prints wall and processor time (the tool runs
// on one core; on a shared machine the processor time is the fair figure),
// rows per processor second, the tool's peak resident memory and the PDF's
// bytes per page.
//
// Usage: bench_export_pdf_report [rows…]   (default 10000 100000 1000000)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/bench_log.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QList<int> sizes;
  for (int i = 1; i < argc; ++i) sizes << QString::fromLatin1(argv[i]).toInt();
  if (sizes.isEmpty()) sizes = {10000, 100000, 1000000};
  QTemporaryDir dir;
  const QString report = QStringLiteral(VALMORO_SOURCE_DIR "/data/Raport.fr3");
  std::printf("%10s %8s %10s %10s %12s %10s %12s\n", "rows", "pages", "wall s", "CPU s", "rows/CPU s", "peak MB",
              "bytes/page");
  for (int rows : sizes) {
    const QString db = dir.filePath(QStringLiteral("log%1.db").arg(rows));
    if (!valmoro::bench::makeLog(db, rows)) return 1;
    const QString pdf = dir.filePath(QStringLiteral("log%1.pdf").arg(rows));
    // A child of its own, so that its peak memory is its alone.
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
      const QByteArray tool = VALMORO_REPORT_TOOL;
      const QByteArray r = report.toUtf8(), d = db.toUtf8(), o = pdf.toUtf8();
      execl(tool.constData(), tool.constData(), "export", "--format", "pdf", r.constData(), "--database", d.constData(),
            "--module", "Magazyn", "-o", o.constData(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "valmoro-report failed for %d rows (status %d)\n", rows, status);
      return 1;
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(600000);
    int pages = 0;
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
      if (line.startsWith("Pages:")) pages = line.mid(6).trimmed().toInt();
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%10d %8d %10.2f %10.2f %12.0f %10.1f %12lld\n", rows, pages, seconds, cpu, rows / cpu,
                usage.ru_maxrss / 1024.0, QFileInfo(pdf).size() / std::max(1, pages));
    std::fflush(stdout);
    QFile::remove(pdf);
    QFile::remove(db);
  }
  return 0;
}
