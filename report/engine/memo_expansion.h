#pragma once
// What a text view prints for one row: its bound field's display text, or
// its design text with every bracketed expression replaced by the
// expression's formatted value; then the highlight, repeated values and the
// text that flows on to another view. Expressions are evaluated by the
// report; an expression that fails raises the report's error ("Błąd w
// wyrażeniu ...") and nothing is printed in its place.

#include <QString>
#include <QStringList>
#include <functional>

#include "script/variant.h"

namespace valmoro::report {
class TfrxBand;
class TfrxCustomMemoView;
class TfrxView;
}  // namespace valmoro::report

namespace valmoro::report::engine {

// The texts an expression gives for the page count and the copy name: they
// are filled in when the page is drawn, printed or exported.
inline constexpr char16_t kTotalPagesPlaceholder[] = u"[TotalPages#]";
inline constexpr char16_t kCopyNamePlaceholder[] = u"[CopyName#]";

// Replaces the view's text with what it prints for the current row and sets
// its value, the script's "Value", the highlight, repeated-value suppression
// and FlowTo.
void TakeData(TfrxCustomMemoView& view);

// One bracketed expression with its optional inline format (" #n%2,2f"):
// evaluated, made the view's value, formatted.
QString CalculateAndFormat(TfrxCustomMemoView& view, QStringView expression);

// The text with every bracketed expression (open and close delimiters)
// replaced by calc(content). Inserted text is never scanned again.
QString ExpandExpressions(const QString& text, QStringView open, QStringView close,
                          const std::function<QString(QStringView content)>& calc);

// The expressions of a text view's design text as they are evaluated (the
// inline format taken off), without the page-count and copy-name markers
// that are filled in later. None when the view takes no expressions.
QStringList TextExpressions(const TfrxCustomMemoView& view);

// TagStr and URL of any view: bracketed expressions in "[" "]" replaced by
// their values as plain text.
QString ExpandViewText(TfrxView& view, const QString& text);

// A copy of the text with every "[TotalPages#]" replaced by the total pages
// and every "[CopyName#]" by the global variable "CopyName<copy number>"
// (nothing when there is none); letter case ignored. The view's own text is
// left alone, so a page kept in a cache is right each time it is drawn.
QString FillPlaceholders(const TfrxCustomMemoView& view, const QString& text, int totalPages, int copyNumber);

// Repeated values: forgotten when a band's run starts or its group changes
// (Null), or shown again on a new page (empty text).
void ForgetRepeatedValues(TfrxBand& band);
void ShowRepeatedValuesAgain(TfrxBand& band);

// Hook: the text layout splits a view's text at the bottom of its box. kept
// is what fits, rest the remainder that a FlowTo view takes over.
struct FlowSplit {
  QString kept;
  QString rest;
};
using FlowSplitter = std::function<FlowSplit(TfrxCustomMemoView& view, const QString& text)>;
void SetFlowSplitter(FlowSplitter splitter);
const FlowSplitter& flowSplitter();

// Fills the report's hooks for taking the data of text views, expanding
// TagStr and URL and the aggregate functions.
void InstallTextExpansion();

}  // namespace valmoro::report::engine
