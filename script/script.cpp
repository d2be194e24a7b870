#include "script.h"

#include <QFile>

#include "memory_limits.h"
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

QString TextOfUtf8(const QByteArray& bytes) {
  // Three bytes at most make one character of the text: bigger than that
  // the text cannot fit, and is refused before it is decoded.
  CheckStringLength(bytes.size() / 3);
  const bool bom = bytes.startsWith("\xEF\xBB\xBF");
  QString text = QString::fromUtf8(bom ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes));
  CheckStringLength(text.size());
  return text;
}

QString ReadSourceFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw ScriptError(FileOpenErrorText(fileName, file.errorString()));
  CheckStringLength(file.size() / 3);
  return TextOfUtf8(file.readAll());
}

}  // namespace valmoro::script
