#include "report/engine/bracket_scanner.h"

namespace valmoro::report::engine {

BracketScan ScanBrackets(QStringView text, QStringView open, QStringView close, qsizetype start) {
  BracketScan scan;
  scan.start = start;
  scan.end = start;
  const qsizetype size = text.size();
  if (size == 0 || start < 0 || start >= size || open.isEmpty() || close.isEmpty()) return scan;
  qsizetype i = start;
  qsizetype j = start - 1;
  qsizetype depth = 0;
  bool outsideDouble = true;
  bool outsideSingle = true;
  const QChar first = open[0];
  const QChar closeFirst = close[0];
  do {
    ++j;
    const QChar c = text[j];
    if (outsideDouble && outsideSingle) {
      if (c == first && text.sliced(j).startsWith(open)) {
        if (depth == 0) i = j;
        ++depth;
      } else if (c == closeFirst && text.sliced(j).startsWith(close)) {
        --depth;
      }
    }
    if (outsideSingle && c == u'"')
      outsideDouble = !outsideDouble;
    else if (outsideDouble && c == u'\'')
      outsideSingle = !outsideSingle;
  } while (depth != 0 && j < size - 1);
  scan.start = i;
  const qsizetype from = i + open.size();
  scan.content = from < j ? text.sliced(from, j - from) : QStringView();
  scan.end = j;
  if (i != j) scan.end = std::min(size - 1, j + close.size() - 1);
  return scan;
}

void SplitDelimiters(const QString& delimiters, QString& open, QString& close) {
  // The usual pair, shared instead of cut out for every view and row.
  static const QString kDefault = QStringLiteral("[,]");
  static const QString kOpen = QStringLiteral("[");
  static const QString kClose = QStringLiteral("]");
  if (delimiters == kDefault) {
    open = kOpen;
    close = kClose;
    return;
  }
  const qsizetype comma = delimiters.indexOf(u',');
  if (comma < 0) {
    open = delimiters;
    close = delimiters;
    return;
  }
  open = delimiters.left(comma);
  close = delimiters.mid(comma + 1);
}

}  // namespace valmoro::report::engine
