// valmoro-dbinit: makes the log database of a new installation from the
// schema and seed scripts. Used by the build; with --if-missing an existing
// database (a user's data) is left exactly as it is.

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/log_database.h"
#include "platform/database.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
  if (args.size() < 2 || args.size() > 3) {
    std::fprintf(stderr, "usage: valmoro-dbinit [--if-missing] DATABASE SCHEMA.sql [SEED.sql]\n");
    return 2;
  }
  const QString path = args[0];
  if (QFileInfo::exists(path)) {
    if (ifMissing) return 0;
    std::fprintf(stderr, "valmoro-dbinit: %s already exists\n", qPrintable(path));
    return 1;
  }
  try {
    valmoro::app::createLogDatabase(path, args[1], args.value(2));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "valmoro-dbinit: %s\n", e.what());
    return 1;
  }
  std::printf("valmoro-dbinit: created %s\n", qPrintable(path));
  return 0;
}
