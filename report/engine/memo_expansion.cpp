#include "report/engine/memo_expansion.h"

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
  if (script::TfsCustomVariable* item = report.Script().FindLocalSymbol(QStringLiteral("Value")))
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

QString ExpandExpressions(const QString& text, QStringView open, QStringView close,
                          const std::function<QString(QStringView content)>& calc) {
  if (open.isEmpty() || close.isEmpty() || !text.contains(open)) return text;
  const QStringView s(text);
  const qsizetype size = s.size();
  QString out;
  qsizetype copied = 0;
  qsizetype i = 0;
  while (i < size) {
    const qsizetype found = s.indexOf(open, i);
    i = found >= 0 ? found : size - 1;
    const BracketScan scan = ScanBrackets(s, open, close, i);
    if (scan.start == scan.end) break;
    if (out.isEmpty()) out.reserve(size);
    out += s.sliced(copied, scan.start - copied);
    // Appending instead of replacing in place: the inserted value is never
    // scanned again, and a long text is not moved for every expression.
    out += calc(scan.content);
    copied = scan.end + 1;
    i = copied;
  }
  if (copied == 0) return text;
  out += s.sliced(copied);
  return out;
}

QString CalculateAndFormat(TfrxCustomMemoView& view, QStringView expression) {
  QStringView e = expression;
  ValueFormat inlineFormat;
  bool hasInline = false;
  const qsizetype p = e.indexOf(QLatin1String(" #"));
  if (p >= 0) {
    const QStringView formatText = e.sliced(p + 2);
    // A ")" after " #" means the "#" belongs to the expression.
    if (!formatText.contains(u')')) {
      inlineFormat = ParseInlineFormat(formatText);
      hasInline = true;
      e = e.first(p);
    }
  }

  Variant value;
  const QStringView name = e.trimmed();
  if (name.compare(QLatin1String("TOTALPAGES#"), Qt::CaseInsensitive) == 0) {
    value = Variant(QString::fromUtf16(kTotalPagesPlaceholder));
  } else if (name.compare(QLatin1String("COPYNAME#"), Qt::CaseInsensitive) == 0) {
    value = Variant(QString::fromUtf16(kCopyNamePlaceholder));
  } else {
    TfrxReport* report = view.Report();
    if (!report) return e.toString();
    // Texts stay UTF-16 throughout, whatever the font's character set: a
    // round trip through an 8-bit code page would lose characters.
    value = report->CalcVariant(e.toString());
  }
  view.SetValue(value);
  if (view.HideZeros() && IsZeroNumber(value)) return QString();
  return FormatValue(value, hasInline ? inlineFormat : ValueFormat::Of(*view.DisplayFormat()));
}

void TakeData(TfrxCustomMemoView& view) {
  TfrxReport* report = view.Report();
  if (view.IsDataField()) {
    takeBoundData(view);
  } else if (view.AllowExpressions()) {
    QString open, close;
    SplitDelimiters(view.ExpressionDelimiters(), open, close);
    const QString text = view.Text();
    if (!open.isEmpty() && text.contains(open)) {
      const QString expanded =
          ExpandExpressions(text, open, close, [&view](QStringView content) { return CalculateAndFormat(view, content); });
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
}

}  // namespace valmoro::report::engine
