#include "report/model/resources.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>

#include "platform/file_errors.h"
#include "report/model/report_error.h"
#include "report/model/report_xml.h"
#include "script/messages.h"

// The built-in texts are a resource of this static library; naming it here
// keeps the linker from dropping it.
static void initReportResources() { Q_INIT_RESOURCE(report_resources); }

namespace valmoro::report::resources {

namespace {

// The engine's replaceable messages, refreshed after every block.
constexpr const char* kScriptMessages[] = {
    "SLangNotFound",    "SInvalidLanguage", "SIdRedeclared",    "SUnknownType",     "SIncompatibleTypes",
    "SIdUndeclared",    "SClassRequired",   "SIndexRequired",   "SStringError",     "SClassError",
    "SArrayRequired",   "SVarRequired",     "SNotEnoughParams", "STooManyParams",   "SLeftCantAssigned",
    "SForError",        "SEventError",
};

struct Table {
  QMutex mutex;
  QHash<QString, QString> texts;
  bool builtinLoaded = false;
};

Table& table() {
  static Table t;
  return t;
}

// Reads a block into a separate map, so that a broken block changes nothing.
QHash<QString, QString> readBlock(QIODevice& stream) {
  TfrxXMLDocument document;
  document.LoadFromStream(stream);
  const TfrxXMLItem* root = document.Root();
  if (root->Name.compare(QLatin1String("Resources"), Qt::CaseInsensitive) != 0)
    throw ReportError(QStringLiteral("Invalid file format"));
  QHash<QString, QString> block;
  for (int i = 0; i < root->Count(); ++i) {
    const TfrxXMLItem* item = root->Items(i);
    if (item->Name.compare(QLatin1String("StrRes"), Qt::CaseInsensitive) != 0) continue;
    QString value = item->Prop(QStringLiteral("Text"));
    // An old block holds UTF-8 bytes read as the system code page.
    if (document.OldVersion) value = QString::fromUtf8(value.toLatin1());
    block.insert(item->Prop(QStringLiteral("Name")), value);
  }
  return block;
}

void refreshScriptMessages(const QHash<QString, QString>& texts) {
  for (const char* id : kScriptMessages) {
    const auto it = texts.constFind(QString::fromLatin1(id));
    if (it != texts.constEnd()) script::SetScriptMessage(QString::fromLatin1(id), *it);
  }
}

// Called with the mutex held.
void ensureBuiltin(Table& t) {
  if (t.builtinLoaded) return;
  t.builtinLoaded = true;
  initReportResources();
  QFile file(QStringLiteral(":/valmoro/report/resources/polish.xml"));
  if (!file.open(QIODevice::ReadOnly)) return;  // names then show as themselves
  t.texts = readBlock(file);
  refreshScriptMessages(t.texts);
}

QString withoutBang(const QString& text) { return text.startsWith(QLatin1Char('!')) ? text.mid(1) : text; }

}  // namespace

QString text(QStringView name) {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  ensureBuiltin(t);
  const auto it = t.texts.constFind(name.toString());
  return withoutBang(it == t.texts.constEnd() ? name.toString() : *it);
}

bool contains(QStringView name) {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  ensureBuiltin(t);
  return t.texts.contains(name.toString());
}

void loadFromStream(QIODevice& stream) {
  const QHash<QString, QString> block = readBlock(stream);
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  ensureBuiltin(t);
  for (auto it = block.constBegin(); it != block.constEnd(); ++it) t.texts.insert(it.key(), it.value());
  refreshScriptMessages(t.texts);
}

void loadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  loadFromStream(file);
}

QStringList availableLanguages(const QString& folder) {
  const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
  QStringList names;
  const QFileInfoList files = QDir(dir).entryInfoList({QStringLiteral("*.frc")}, QDir::Files, QDir::Name);
  for (const QFileInfo& info : files) {
    QString name = info.completeBaseName();
    if (name.isEmpty()) continue;
    name[0] = name[0].toUpper();
    names.append(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void reset() {
  Table& t = table();
  QMutexLocker lock(&t.mutex);
  t.texts.clear();
  t.builtinLoaded = false;
  script::ResetScriptMessages();
  ensureBuiltin(t);
}

}  // namespace valmoro::report::resources
