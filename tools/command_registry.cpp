#include "command_registry.h"

#include <cstdio>

namespace valmoro::tools {

namespace {
QList<Command>& registry() {
  static QList<Command> list;
  return list;
}
}  // namespace

bool registerCommand(Command command) {
  registry().append(std::move(command));
  return true;
}

const QList<Command>& commands() { return registry(); }

int usageError(const Command& command) {
  printErr(QStringLiteral("usage: valmoro-report %1 %2").arg(command.name, command.usage));
  return 2;
}

void printOut(const QString& line) {
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
  std::fputc('\n', stdout);
}

void printErr(const QString& line) {
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
  std::fputc('\n', stderr);
}

}  // namespace valmoro::tools
