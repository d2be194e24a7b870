#pragma once
// The paper sources (trays) of a print queue of the system, as the print
// service names them, with the classic bin numbers the report subsystem
// uses for them.

#include <QString>
#include <vector>

namespace valmoro::printers {

struct QueueSource {
  QString name;     // as the print service shows it ("Tray 1")
  int code = 0;     // bin number
  QString keyword;  // the service's own value ("tray-1"), given back when printing
};

// Bin number of a source keyword: the classic numbers where there is one
// (top 1, bottom 2, middle 3, manual 4, envelope 5, auto 7, large-capacity
// 11), otherwise 0 (the caller numbers it among the user bins from 256).
int binOfSourceKeyword(const QString& keyword);

// The sources a queue offers, "auto" left out (the default source stands for
// it); bin numbers are unique, other sources are numbered 256, 257, ... in
// the service's order. Empty when the service names none or is not there.
std::vector<QueueSource> queueSources(const QString& queue);

// Numbers a list of keywords with their names as queueSources does.
std::vector<QueueSource> numberSources(const std::vector<std::pair<QString, QString>>& keywordsAndNames);

}  // namespace valmoro::printers
