#include "tools/page_range.h"

#include <QSet>
#include <QStringList>

namespace valmoro::tools {

QList<int> parsePageRange(const QString& text, int pageCount, QString* error) {
  QList<int> pages;
  QSet<int> seen;
  auto fail = [&](const QString& message) {
    if (error) *error = message;
    return QList<int>();
  };
  const QStringList parts = text.split(QLatin1Char(','));
  for (const QString& raw : parts) {
    const QString part = raw.trimmed();
    const qsizetype dash = part.indexOf(QLatin1Char('-'));
    bool ok1 = true, ok2 = true;
    int from = 0, to = 0;
    if (dash < 0) {
      from = to = part.toInt(&ok1);
    } else {
      const QString a = part.left(dash).trimmed(), b = part.mid(dash + 1).trimmed();
      from = a.isEmpty() ? 1 : a.toInt(&ok1);
      to = b.isEmpty() ? pageCount : b.toInt(&ok2);
    }
    if (part.isEmpty() || !ok1 || !ok2 || from > to)
      return fail(QStringLiteral("Błędny zakres stron: %1").arg(text));
    if (from < 1 || to > pageCount)
      return fail(QStringLiteral("Zakres stron %1 wykracza poza strony raportu (1–%2)").arg(part).arg(pageCount));
    for (int p = from; p <= to; ++p)
      if (!seen.contains(p)) {
        seen.insert(p);
        pages << p;
      }
  }
  return pages;
}

}  // namespace valmoro::tools
