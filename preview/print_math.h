#pragma once
// The arithmetic of a print run that needs no printer: which pages a page
// numbers text names, and how many parts of one size fit on another.

#include <QString>
#include <stdexcept>
#include <vector>

namespace valmoro::preview {

// A page numbers text that is not one; the message is for the user.
class PageNumbersError : public std::runtime_error {
public:
  explicit PageNumbersError(const QString& message) : std::runtime_error(message.toStdString()), text_(message) {}
  const QString& text() const { return text_; }

private:
  QString text_;
};

// The 1-based page numbers of a text such as "1,3,5-12" in the order given
// (duplicates kept; a range running backwards gives nothing; a text ending
// in "-" runs to the last page; spaces ignored). Empty: every page. Only the
// first pageCount numbers can ever be printed, so no more are produced; a
// range as long as "1-2000000000" costs no more than the pages there are.
// Throws PageNumbersError for a part that is not a whole number.
std::vector<int> parsePageNumbers(const QString& text, int pageCount);

// How many parts of length `part` cover `length` (millimetres): the whole
// parts, one more for a remainder of 11 mm or more, or the rounded quotient
// when the parts nearly fit.
int fitCount(double length, double part);

struct Fit {
  int across = 1;
  int down = 1;
  bool rotated = false;
};
// Parts of size part1 × part2 over a1 × a2, turned when that needs fewer.
Fit fit(double a1, double a2, double part1, double part2);

}  // namespace valmoro::preview
