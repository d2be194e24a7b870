#pragma once
// The process's resident memory now, for benchmarks that watch what a piece
// of work keeps (the peak alone, from getrusage, says nothing of that).

#include <QByteArray>
#include <QFile>

namespace valmoro::bench {

// Kilobytes, from the kernel's account of this process; 0 when unknown.
inline long residentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return 0;
}

}  // namespace valmoro::bench
