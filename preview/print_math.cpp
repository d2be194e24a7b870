#include "preview/print_math.h"

#include <cmath>
#include <limits>
#include <optional>

#include "report/model/resources.h"

namespace valmoro::preview {

namespace {

int toNumber(const QString& part) {
  bool ok = false;
  const qlonglong n = part.toLongLong(&ok);
  if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
    throw PageNumbersError(QStringLiteral("„%1” nie jest numerem strony.\r%2")
                               .arg(part, report::resources::text(u"9")));
  return int(n);
}

}  // namespace

std::vector<int> parsePageNumbers(const QString& text, int pageCount) {
  std::vector<int> list;
  QString s = text;
  s.remove(QLatin1Char(' '));
  if (s.isEmpty()) return list;
  if (s.endsWith(QLatin1Char('-'))) s += QString::number(pageCount);
  s += QLatin1Char(',');
  const size_t limit = size_t(std::max(0, pageCount));
  QString part;
  std::optional<int> rangeStart;
  for (const QChar c : s) {
    if (c == QLatin1Char('-')) {
      rangeStart = toNumber(part);
      part.clear();
    } else if (c == QLatin1Char(',')) {
      const int n = toNumber(part);
      part.clear();
      if (rangeStart) {
        // Numbers past what can be printed are not produced one by one.
        for (qint64 i = *rangeStart; i <= n && list.size() < limit; ++i) list.push_back(int(i));
        rangeStart.reset();
      } else if (list.size() < limit) {
        list.push_back(n);
      }
    } else {
      part += c;
    }
  }
  return list;
}

int fitCount(double length, double part) {
  const double q = length / part;
  const double n = std::trunc(q);
  if (std::abs(n * part - length) < 11) return int(std::nearbyint(q));  // halves to even
  return int(n) + 1;
}

Fit fit(double a1, double a2, double part1, double part2) {
  const int a = fitCount(a1, part1), b = fitCount(a2, part2);
  const int ar = fitCount(a1, part2), br = fitCount(a2, part1);
  if (ar * br < a * b) return {ar, br, true};
  return {a, b, false};
}

}  // namespace valmoro::preview
