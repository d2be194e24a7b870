#include "script.h"

#include <QFile>

#include "messages.h"
#include "script_error.h"

namespace valmoro::script {

QString TfsScript::SourceText() const { return JoinSourceLines(Lines); }

QStringList SplitSourceLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype size = text.size();
  while (start < size) {
    qsizetype end = start;
    while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n')) ++end;
    lines << text.mid(start, end - start);
    if (end < size && text[end] == QLatin1Char('\r')) ++end;
    if (end < size && text[end] == QLatin1Char('\n')) ++end;
    start = end;
  }
  return lines;
}

QString JoinSourceLines(const QStringList& lines) {
  qsizetype length = 0;
  for (const QString& line : lines) length += line.size() + 2;
  QString text;
  text.reserve(length);
  for (const QString& line : lines) {
    text += line;
    text += QLatin1String("\r\n");
  }
  return text;
}

QString ReadSourceFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw ScriptError(FileOpenErrorText(fileName, file.errorString()));
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  return QString::fromUtf8(bytes);
}

}  // namespace valmoro::script
