#pragma once
// Finds the bracketed expression that starts at a position of a text. The
// caller places the start on an opening delimiter; the scanner balances
// nested pairs and ignores delimiters inside '...' and "..." literals, so
// [Copy('a]b', 1, 1)] and [IIF([x] > 0, 1, 2)] are one expression each.

#include <QString>
#include <QStringView>

namespace valmoro::report::engine {

struct BracketScan {
  // Where the opening delimiter was found (the start unless the scan moved it).
  qsizetype start = 0;
  // The last character of the closing delimiter; equal to start when there
  // is no expression at the start.
  qsizetype end = 0;
  // The text between the delimiters. An opening delimiter without a closing
  // one takes the rest of the text, less its last character.
  QStringView content;
};

// Indexes count from 0. Empty delimiters find nothing.
BracketScan ScanBrackets(QStringView text, QStringView open, QStringView close, qsizetype start);

// ExpressionDelimiters split at the first comma: "[,]" gives "[" and "]",
// "<%,%>" gives "<%" and "%>". Without a comma both are the whole text.
void SplitDelimiters(const QString& delimiters, QString& open, QString& close);

}  // namespace valmoro::report::engine
