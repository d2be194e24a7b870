#include "language_registry.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <vector>

#include "grammar.h"
#include "messages.h"
#include "script_error.h"

// The grammar documents are a resource of this static library; naming the
// resource here keeps the linker from dropping it.
static void initGrammarResources() { Q_INIT_RESOURCE(grammars); }

namespace valmoro::script {

namespace {

struct Entry {
  QString name;
  QString grammarText;
  std::shared_ptr<const TfsGrammar> grammar;  // read on first use
};

struct Registry {
  QMutex mutex;
  std::vector<Entry> entries;

  Registry() {
    for (const char* name : {"JScript", "BasicScript", "C++Script", "PascalScript"}) {
      const QString language = QString::fromLatin1(name);
      entries.push_back({language, BuiltinGrammarText(language), nullptr});
    }
  }

  Entry* find(const QString& name) {
    for (Entry& entry : entries)
      if (QString::compare(entry.name, name, Qt::CaseInsensitive) == 0) return &entry;
    return nullptr;
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

[[noreturn]] void notFound(const QString& name) { throw ScriptError(FormatScriptMessage(SLangNotFound, name)); }

}  // namespace

QString BuiltinGrammarText(const QString& name) {
  initGrammarResources();
  static const QHash<QString, QString> files = {
      {QStringLiteral("jscript"), QStringLiteral(":/valmoro/script/grammars/jscript.xml")},
      {QStringLiteral("basicscript"), QStringLiteral(":/valmoro/script/grammars/basic_script.xml")},
      {QStringLiteral("c++script"), QStringLiteral(":/valmoro/script/grammars/cpp_script.xml")},
      {QStringLiteral("pascalscript"), QStringLiteral(":/valmoro/script/grammars/pascal_script.xml")},
  };
  QFile file(files.value(name.toLower()));
  if (!file.open(QIODevice::ReadOnly)) notFound(name);
  return QString::fromUtf8(file.readAll());
}

void RegisterLanguage(const QString& name, const QString& grammarText) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  if (Entry* entry = r.find(name)) {
    entry->grammarText = grammarText;
    entry->grammar.reset();
  } else {
    r.entries.push_back({name, grammarText, nullptr});
  }
}

QString GrammarForLanguage(const QString& name) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  if (Entry* entry = r.find(name)) return entry->grammarText;
  notFound(name);
}

void ListLanguages(QStringList& list) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  list.clear();
  for (const Entry& entry : r.entries)
    if (!entry.name.startsWith(QLatin1Char('@'))) list << entry.name;
}

QStringList ListLanguages() {
  QStringList list;
  ListLanguages(list);
  return list;
}

std::shared_ptr<const TfsGrammar> LoadedGrammar(const QString& name) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  Entry* entry = r.find(name);
  if (!entry) notFound(name);
  if (!entry->grammar) entry->grammar = TfsGrammar::Load(entry->grammarText);
  return entry->grammar;
}

}  // namespace valmoro::script
