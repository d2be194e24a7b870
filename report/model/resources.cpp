#include "report/model/resources.h"

#include <QHash>

namespace valmoro::report::resources {

namespace {

struct Entry {
  const char* name;
  const char* text;  // UTF-8
};

// Names of object kinds (the designer's captions) and messages of the tree.
constexpr Entry kTexts[] = {
    {"prDupl", "Nazwa jest już użyta"},
    {"prInvProp", "Nieprawidłowa wartość właściowości"},
    {"obBand", "Wstęga"},
    {"obDataBand", "Wstęga danych"},
    {"obSubRep", "Podraport"},
    {"obPage", "Strona"},
    {"obView", "Obiekt"},
    {"prDefault", "Domyślny"},
    {"xrCantFindClass", "Nie znaleziono klasy"},
};

const QHash<QString, QString>& table() {
  static const QHash<QString, QString> texts = [] {
    QHash<QString, QString> h;
    for (const Entry& e : kTexts) h.insert(QString::fromLatin1(e.name), QString::fromUtf8(e.text));
    return h;
  }();
  return texts;
}

}  // namespace

QString text(QStringView name) {
  const auto& t = table();
  const auto it = t.constFind(name.toString());
  return it == t.constEnd() ? name.toString() : *it;
}

}  // namespace valmoro::report::resources
