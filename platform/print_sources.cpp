#include "platform/print_sources.h"

#include <cups/cups.h>

#include <set>

namespace valmoro::printers {

namespace {
// Names for the service's standard sources, for queues whose service gives
// none of its own.
QString sourceName(const QString& keyword) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"top", "Górny podajnik"},        {"main", "Główny podajnik"},
      {"bottom", "Dolny podajnik"},     {"middle", "Środkowy podajnik"},
      {"manual", "Podawanie ręczne"},   {"by-pass-tray", "Podajnik boczny"},
      {"envelope", "Koperty"},          {"large-capacity", "Podajnik o dużej pojemności"},
  };
  for (const auto& [name, text] : kNames)
    if (keyword == QLatin1String(name)) return QString::fromUtf8(text);
  return keyword;
}
}  // namespace

int binOfSourceKeyword(const QString& keyword) {
  static const std::pair<const char*, int> kKnown[] = {
      {"top", 1},      {"main", 1},      {"bottom", 2}, {"middle", 3}, {"manual", 4}, {"by-pass-tray", 4},
      {"envelope", 5}, {"auto", 7},      {"large-capacity", 11},
  };
  for (const auto& [name, code] : kKnown)
    if (keyword == QLatin1String(name)) return code;
  return 0;
}

std::vector<QueueSource> numberSources(const std::vector<std::pair<QString, QString>>& keywordsAndNames) {
  std::vector<QueueSource> sources;
  std::set<int> used{7};  // the default source
  int nextUser = 256;
  for (const auto& [keyword, name] : keywordsAndNames) {
    if (keyword == QLatin1String("auto")) continue;
    int code = binOfSourceKeyword(keyword);
    if (code == 0 || used.count(code)) {
      while (used.count(nextUser)) ++nextUser;
      code = nextUser;
    }
    used.insert(code);
    sources.push_back({name.isEmpty() || name == keyword ? sourceName(keyword) : name, code, keyword});
  }
  return sources;
}

std::vector<QueueSource> queueSources(const QString& queue) {
  if (queue.isEmpty()) return {};
  const QByteArray name = queue.toUtf8();
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
  if (!dest) return {};
  std::vector<std::pair<QString, QString>> found;
  if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    if (ipp_attribute_t* supported = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE)) {
      for (int i = 0; i < ippGetCount(supported); ++i) {
        const char* keyword = ippGetString(supported, i, nullptr);
        if (!keyword) continue;
        const char* shown = cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_SOURCE, keyword);
        found.emplace_back(QString::fromUtf8(keyword), QString::fromUtf8(shown ? shown : keyword));
      }
    }
    cupsFreeDestInfo(info);
  }
  cupsFreeDests(1, dest);
  return numberSources(found);
}

}  // namespace valmoro::printers
