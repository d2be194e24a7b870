#include "report/engine/memo_expansion.h"

#include <QHash>
#include <cstdint>
#include <memory>
#include <vector>

#include "report/engine/aggregates.h"
#include "report/engine/bracket_scanner.h"
#include "report/engine/value_format.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/script_hooks.h"
#include "script/host_classes.h"
#include "script/program_items.h"
#include "script/script.h"

namespace valmoro::report::engine {

using script::Variant;

namespace {

FlowSplitter& splitterSlot() {
  static FlowSplitter splitter;
  return splitter;
}

void setScriptValue(TfrxReport& report, const Variant& value) {
  // Upper case as the script keeps its names: no conversion on every row.
  if (script::TfsCustomVariable* item = report.Script().FindLocalSymbol(QStringLiteral("VALUE")))
    item->SetValue(value);
}

void settleHighlight(TfrxCustomMemoView& view, TfrxReport* report) {
  TfrxHighlight* highlight = view.Highlight();
  highlight->SetActive(false);
  const QString condition = highlight->Condition();
  if (!report || condition.trimmed().isEmpty()) return;
  const Variant value = report->CalcVariant(condition);
  highlight->SetActive(!value.IsVoid() && value.ToBool());
}

void suppressRepeated(TfrxCustomMemoView& view) {
  const QString text = view.Text();
  const Variant& last = view.LastValue();
  if (last.IsString() && last.AsString() == text)
    view.SetMemo(QStringList());
  else
    view.SetLastValue(Variant(text));
}

void flowOn(TfrxCustomMemoView& view, TfrxCustomMemoView& target) {
  const FlowSplitter& split = splitterSlot();
  if (!split) hooks::missingHook(QStringLiteral("Przenoszenie tekstu do następnego obiektu"), QStringLiteral("FlowTo"));
  const FlowSplit parts = split(view, view.Text());
  view.SetText(parts.kept);
  target.SetText(parts.rest);
  // The flowed text is the first view's result, not a design to expand.
  target.SetAllowExpressions(false);
}

void takeBoundData(TfrxCustomMemoView& view) {
  TfrxDataSet* dataSet = view.DataSet();
  const QString field = view.DataField();
  if (dataSet->IsBlobField(field)) {
    QStringList lines;
    dataSet->CopyBlobTo(field, lines);
    view.SetMemo(lines);
    view.SetValue(Variant(lines.join(QLatin1String("\r\n"))));
    return;
  }
  const Variant value = script::FromQVariant(dataSet->Value(field));
  view.SetValue(value);
  const TfrxFormat& format = *view.DisplayFormat();
  QString text;
  if (view.HideZeros() && !value.IsString() && IsZeroNumber(value))
    text.clear();
  else if (format.Kind() != fkText)
    text = FormatValue(value, ValueFormat::Of(format));
  else
    text = dataSet->DisplayText(field);
  view.SetText(text);
}

}  // namespace

namespace {

// The parts of a text: literal text between the expressions, and each
// bracketed expression with its inline format settled. A design text comes
// back on every row, so its parts are worked out once.
struct TextPart {
  enum Kind : std::uint8_t { Literal, Expression, TotalPages, CopyName };
  Kind kind = Literal;
  QString text;  // the literal, or the expression without its inline format
  bool hasInlineFormat = false;
  ValueFormat inlineFormat;
};

struct TextPlan {
  QString open, close;
  std::vector<TextPart> parts;
  bool hasExpression = false;
};

// Walks the text's expressions: literal(view) for the text between them,
// expression(content) for each. False when there is none.
template <typename Literal, typename Expression>
bool walkExpressions(QStringView s, QStringView open, QStringView close, Literal literal, Expression expression) {
  if (open.isEmpty() || close.isEmpty() || !s.contains(open)) return false;
  const qsizetype size = s.size();
  qsizetype copied = 0;
  qsizetype i = 0;
  while (i < size) {
    const qsizetype found = s.indexOf(open, i);
    i = found >= 0 ? found : size - 1;
    const BracketScan scan = ScanBrackets(s, open, close, i);
    if (scan.start == scan.end) break;
    literal(s.sliced(copied, scan.start - copied));
    // The value goes after the text already done: it is never scanned
    // again, and a long text is not moved for every expression.
    expression(scan.content);
    copied = scan.end + 1;
    i = copied;
  }
  if (copied == 0) return false;
  literal(s.sliced(copied));
  return true;
}

TextPart parseExpression(QStringView expression) {
  TextPart part;
  part.kind = TextPart::Expression;
  QStringView e = expression;
  const qsizetype p = e.indexOf(QLatin1String(" #"));
  if (p >= 0) {
    const QStringView formatText = e.sliced(p + 2);
    // A ")" after " #" means the "#" belongs to the expression.
    if (!formatText.contains(u')')) {
      part.inlineFormat = ParseInlineFormat(formatText);
      part.hasInlineFormat = true;
      e = e.first(p);
    }
  }
  const QStringView name = e.trimmed();
  if (name.compare(QLatin1String("TOTALPAGES#"), Qt::CaseInsensitive) == 0)
    part.kind = TextPart::TotalPages;
  else if (name.compare(QLatin1String("COPYNAME#"), Qt::CaseInsensitive) == 0)
    part.kind = TextPart::CopyName;
  part.text = e.toString();
  return part;
}

QString evaluatePart(TfrxCustomMemoView& view, const TextPart& part) {
  Variant value;
  switch (part.kind) {
    case TextPart::TotalPages:
      value = Variant(QString::fromUtf16(kTotalPagesPlaceholder));
      break;
    case TextPart::CopyName:
      value = Variant(QString::fromUtf16(kCopyNamePlaceholder));
      break;
    default: {
      TfrxReport* report = view.Report();
      if (!report) return part.text;
      // Texts stay UTF-16 throughout, whatever the font's character set: a
      // round trip through an 8-bit code page would lose characters.
      value = report->CalcVariant(part.text);
      break;
    }
  }
  view.SetValue(value);
  if (view.HideZeros() && IsZeroNumber(value)) return QString();
  return FormatValue(value, part.hasInlineFormat ? part.inlineFormat : ValueFormat::Of(*view.DisplayFormat()));
}

// Longer texts are expanded directly; few designs come near this.
constexpr qsizetype kMaxPlannedText = 4096;
constexpr qsizetype kMaxPlans = 4096;

std::shared_ptr<const TextPlan> planOf(const QString& text, const QString& open, const QString& close) {
  thread_local QHash<QString, std::shared_ptr<const TextPlan>> plans;
  const auto it = plans.constFind(text);
  if (it != plans.constEnd() && (*it)->open == open && (*it)->close == close) return *it;
  auto plan = std::make_shared<TextPlan>();
  plan->open = open;
  plan->close = close;
  plan->hasExpression = walkExpressions(
      text, open, close,
      [&](QStringView literal) {
        if (!literal.isEmpty()) plan->parts.push_back(TextPart{TextPart::Literal, literal.toString(), false, {}});
      },
      [&](QStringView content) { plan->parts.push_back(parseExpression(content)); });
  if (plans.size() >= kMaxPlans) plans.clear();
  plans.insert(text, plan);
  return plan;
}

}  // namespace

QString ExpandExpressions(const QString& text, QStringView open, QStringView close,
                          const std::function<QString(QStringView content)>& calc) {
  QString out;
  const bool expanded = walkExpressions(
      text, open, close, [&](QStringView literal) { out += literal; },
      [&](QStringView content) { out += calc(content); });
  return expanded ? out : text;
}

QStringList TextExpressions(const TfrxCustomMemoView& view) {
  QStringList expressions;
  if (view.IsDataField() || !view.AllowExpressions()) return expressions;
  QString open, close;
  SplitDelimiters(view.ExpressionDelimiters(), open, close);
  walkExpressions(
      view.Memo().join(QLatin1String("\r\n")), open, close, [](QStringView) {},
      [&](QStringView content) {
        const TextPart part = parseExpression(content);
        if (part.kind == TextPart::Expression) expressions << part.text;
      });
  return expressions;
}

QString CalculateAndFormat(TfrxCustomMemoView& view, QStringView expression) {
  return evaluatePart(view, parseExpression(expression));
}

void TakeData(TfrxCustomMemoView& view) {
  TfrxReport* report = view.Report();
  if (view.IsDataField()) {
    takeBoundData(view);
  } else if (view.AllowExpressions()) {
    QString open, close;
    SplitDelimiters(view.ExpressionDelimiters(), open, close);
    const QStringList lines = view.Memo();
    const QString text = lines.size() == 1 ? lines.front() : lines.join(QLatin1String("\r\n"));
    if (text.size() > kMaxPlannedText) {
      if (!open.isEmpty() && text.contains(open))
        view.SetText(ExpandExpressions(text, open, close,
                                       [&view](QStringView content) { return CalculateAndFormat(view, content); }));
    } else if (const std::shared_ptr<const TextPlan> plan = planOf(text, open, close); plan->hasExpression) {
      QString expanded;
      for (const TextPart& part : plan->parts)
        expanded += part.kind == TextPart::Literal ? part.text : evaluatePart(view, part);
      view.SetText(expanded);
    }
  }
  if (report) setScriptValue(*report, view.Value());
  settleHighlight(view, report);
  if (view.SuppressRepeated()) suppressRepeated(view);
  if (TfrxCustomMemoView* target = view.FlowTo(); target && target != &view) flowOn(view, *target);
}

QString ExpandViewText(TfrxView& view, const QString& text) {
  TfrxReport* report = view.Report();
  if (!report) return text;
  return ExpandExpressions(text, u"[", u"]", [report](QStringView content) {
    return PlainText(report->CalcVariant(content.toString()));
  });
}

QString FillPlaceholders(const TfrxCustomMemoView& view, const QString& text, int totalPages, int copyNumber) {
  if (!view.AllowExpressions() || !text.contains(u'[')) return text;
  const QLatin1String totalPagesKey("[TOTALPAGES#]");
  const QLatin1String copyNameKey("[COPYNAME#]");
  const bool hasTotal = text.contains(totalPagesKey, Qt::CaseInsensitive);
  const bool hasCopy = text.contains(copyNameKey, Qt::CaseInsensitive);
  if (!hasTotal && !hasCopy) return text;
  QString filled = text;
  if (hasTotal) filled.replace(totalPagesKey, QString::number(totalPages), Qt::CaseInsensitive);
  if (hasCopy) {
    QString copyName;
    const QString variable = QStringLiteral("CopyName") + QString::number(copyNumber);
    TfrxVariables* globals = GlobalVariables();
    if (globals->IndexOf(variable) >= 0) copyName = PlainText(script::FromQVariant(globals->Value(variable)));
    filled.replace(copyNameKey, copyName, Qt::CaseInsensitive);
  }
  return filled;
}

void ForgetRepeatedValues(TfrxBand& band) {
  for (TfrxComponent* object : band.AllObjects())
    if (auto* view = qobject_cast<TfrxCustomMemoView*>(object)) view->SetLastValue(Variant::Null());
}

void ShowRepeatedValuesAgain(TfrxBand& band) {
  for (TfrxComponent* object : band.AllObjects())
    if (auto* view = qobject_cast<TfrxCustomMemoView*>(object)) view->SetLastValue(Variant(QString()));
}

void SetFlowSplitter(FlowSplitter splitter) { splitterSlot() = std::move(splitter); }
const FlowSplitter& flowSplitter() { return splitterSlot(); }

void InstallTextExpansion() {
  hooks::setMemoDataTaker([](TfrxCustomMemoView& view) { TakeData(view); });
  hooks::setViewTextExpander([](TfrxView& view, const QString& text) { return ExpandViewText(view, text); });
  InstallAggregateCalculator();
  // A view that flows on keeps what its own box holds, split as a band split
  // would split it; its paragraph flags stay as they were.
  SetFlowSplitter([](TfrxCustomMemoView& view, const QString& text) {
    const bool first = view.FirstParaBreak(), last = view.LastParaBreak();
    view.SetText(text);
    view.InitPart();
    view.GetPart();
    FlowSplit parts{view.Text(), view.PartText()};
    view.SetFirstParaBreak(first);
    view.SetLastParaBreak(last);
    return parts;
  });
}

}  // namespace valmoro::report::engine
