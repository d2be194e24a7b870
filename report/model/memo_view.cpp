#include "report/model/memo_view.h"

#include "report/model/report.h"
#include "report/model/style.h"

namespace valmoro::report {

namespace {

const QString kDefaultDelimiters = QStringLiteral("[,]");

}  // namespace

TfrxCustomMemoView::TfrxCustomMemoView(TfrxComponent* parent)
    : TfrxStretcheable(parent),
      displayFormat_(new TfrxFormat(this)),
      expressionDelimiters_(kDefaultDelimiters),
      highlight_(new TfrxHighlight(this)) {
  SetWholeAttributes(false);
}

void TfrxCustomMemoView::SetDisplayFormat(const TfrxFormat* format) {
  if (format) displayFormat_->Assign(*format);
}

void TfrxCustomMemoView::SetHighlight(const TfrxHighlight* highlight) {
  if (highlight) highlight_->Assign(*highlight);
}

void TfrxCustomMemoView::SetStyle(const QString& name) {
  style_ = name;
  if (const TfrxReport* report = Report())
    if (const TfrxStyleItem* item = report->Styles()->Find(name)) ApplyStyle(*item);
}

void TfrxCustomMemoView::ApplyStyle(const TfrxStyleItem& style) {
  SetColor(style.Color());
  SetFont(style.Font());
  SetFrame(style.Frame());
}

QString TfrxCustomMemoView::Text() const { return memo_.join(QStringLiteral("\r\n")); }

void TfrxCustomMemoView::SetText(const QString& text) {
  memo_.clear();
  qsizetype start = 0;
  const qsizetype size = text.size();
  while (start < size) {
    qsizetype end = start;
    while (end < size && text[end] != u'\r' && text[end] != u'\n') ++end;
    memo_.append(text.mid(start, end - start));
    if (end < size && text[end] == u'\r') ++end;
    if (end < size && text[end] == u'\n') ++end;
    start = end;
  }
}

bool TfrxCustomMemoView::IsExpressionDelimitersStored() const {
  return expressionDelimiters_ != kDefaultDelimiters;
}

bool TfrxCustomMemoView::IsHighlightStored() const { return !highlight_->Condition().trimmed().isEmpty(); }

}  // namespace valmoro::report
