#include "messages.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace valmoro::script {
namespace {

QHash<QString, QString> builtinTexts() {
  return {
      {QString::fromLatin1(SLangNotFound), QStringLiteral("Language '%s' not found")},
      {QString::fromLatin1(SInvalidLanguage), QStringLiteral("Invalid language definition")},
      {QString::fromLatin1(SNestingTooDeep), QStringLiteral("Source nested too deeply")},
  };
}

struct Table {
  QMutex mutex;
  QHash<QString, QString> texts = builtinTexts();
};

Table& table() {
  static Table t;
  return t;
}

}  // namespace

QString InvalidFileFormatText() { return QStringLiteral("Invalid file format"); }

QString FileOpenErrorText(const QString& fileName, const QString& reason) {
  return QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason);
}

QString FileCreateErrorText(const QString& fileName, const QString& reason) {
  return QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason);
}

QString ScriptMessage(const char* id) {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  const QString key = QString::fromLatin1(id);
  return t.texts.value(key, key);
}

void SetScriptMessage(const QString& id, const QString& text) {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  t.texts.insert(id, text);
}

void ResetScriptMessages() {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  t.texts = builtinTexts();
}

QString FormatScriptMessage(const char* id, const QString& arg) {
  QString text = ScriptMessage(id);
  // Only the first "%s" is an argument; a name holding "%s" stays as it is.
  const qsizetype at = text.indexOf(QLatin1String("%s"));
  if (at >= 0) text.replace(at, 2, arg);
  return text;
}

}  // namespace valmoro::script
