#include "report/engine/aggregates.h"

#include <QDateTime>

#include "report/engine/bracket_scanner.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "script/host_classes.h"

namespace valmoro::report::engine {

using script::Variant;

namespace {

// Report variables may refer to each other; text nested deeper than this is
// not looked into (a hostile text must not exhaust the stack).
constexpr int kMaxParseDepth = 32;

QHash<const TfrxReport*, TfrxAggregateList*>& boundLists() {
  static QHash<const TfrxReport*, TfrxAggregateList*> lists;
  return lists;
}

bool isVoid(const Variant& v) { return v.IsVoid(); }

// A character that cannot begin a word of an expression.
bool isSkipped(QChar c) {
  if (c.unicode() <= u' ' || c.isDigit()) return true;
  switch (c.unicode()) {
    case u'!': case u'#': case u'$': case u'%': case u'&': case u'*': case u'+': case u',':
    case u'-': case u'.': case u'/': case u'=': case u'[': case u']': case u'^': case u'|':
      return true;
    default:
      return false;
  }
}

// A character that ends a word.
bool endsWord(QChar c) { return c.unicode() <= u' ' || c == u'(' || (isSkipped(c) && !c.isDigit()); }

// DataSet."Field" alone (optionally within < >): the field's name, else empty.
QString fieldReference(QStringView expression) {
  QStringView e = expression.trimmed();
  if (e.size() > 2 && e.front() == u'<' && e.back() == u'>') e = e.sliced(1, e.size() - 2).trimmed();
  const qsizetype dot = e.indexOf(QLatin1String(".\""));
  if (dot <= 0 || e.size() < dot + 3 || e.back() != u'"') return QString();
  const QStringView dataSet = e.first(dot);
  const QStringView field = e.sliced(dot + 2, e.size() - dot - 3);
  if (dataSet.contains(u'"') || field.contains(u'"')) return QString();
  for (QChar c : dataSet)
    if (!(c.isLetterOrNumber() || c == u'_')) return QString();
  return e.toString();
}

// Splits the text between a call's parentheses at its top-level commas.
QList<QStringView> splitArguments(QStringView text) {
  QList<QStringView> arguments;
  int depth = 0;
  bool inSingle = false;
  bool inDouble = false;
  qsizetype start = 0;
  for (qsizetype k = 0; k < text.size(); ++k) {
    const QChar c = text[k];
    if (inSingle) {
      if (c == u'\'') inSingle = false;
    } else if (inDouble) {
      if (c == u'"') inDouble = false;
    } else if (c == u'\'') {
      inSingle = true;
    } else if (c == u'"') {
      inDouble = true;
    } else if (c == u'(') {
      ++depth;
    } else if (c == u')') {
      --depth;
    } else if (c == u',' && depth == 0) {
      arguments.append(text.sliced(start, k - start).trimmed());
      start = k + 1;
    }
  }
  arguments.append(text.sliced(start).trimmed());
  return arguments;
}

TfrxBand* bandOf(TfrxComponent* object) {
  for (TfrxComponent* p = object ? object->Parent() : nullptr; p; p = p->Parent())
    if (auto* band = qobject_cast<TfrxBand*>(p)) return band;
  return nullptr;
}

bool keepsHomeBand(const TfrxBand* home) {
  return qobject_cast<const TfrxReportSummary*>(home) || qobject_cast<const TfrxPageFooter*>(home) ||
         qobject_cast<const TfrxFooter*>(home) || qobject_cast<const TfrxGroupFooter*>(home);
}

// Adds x into an accumulator.
void combine(AggregateFunction function, Variant& accumulator, const Variant& x) {
  if (isVoid(accumulator)) {
    accumulator = x;
    return;
  }
  if (isVoid(x)) return;
  switch (function) {
    case AggregateFunction::Sum:
    case AggregateFunction::Avg:
      accumulator = script::VarAdd(accumulator, x);
      break;
    case AggregateFunction::Min:
      if (script::VarCompare(x, accumulator) == script::VarRelation::Less) accumulator = x;
      break;
    case AggregateFunction::Max:
      if (script::VarCompare(x, accumulator) == script::VarRelation::Greater) accumulator = x;
      break;
    case AggregateFunction::Count:
      break;
  }
}

// The result from an accumulated value and count.
Variant resultOf(AggregateFunction function, const Variant& value, int count) {
  Variant result;
  switch (function) {
    case AggregateFunction::Avg:
      result = count > 0 && !isVoid(value) ? script::VarDivFloat(value, Variant(count)) : Variant::Null();
      break;
    case AggregateFunction::Count:
      result = Variant(count);
      break;
    default:
      result = value;
      break;
  }
  return isVoid(result) ? Variant(0) : result;
}

}  // namespace

AggregateFunction AggregateFunctionOf(QStringView name) {
  if (name.compare(QLatin1String("SUM"), Qt::CaseInsensitive) == 0) return AggregateFunction::Sum;
  if (name.compare(QLatin1String("AVG"), Qt::CaseInsensitive) == 0) return AggregateFunction::Avg;
  if (name.compare(QLatin1String("MIN"), Qt::CaseInsensitive) == 0) return AggregateFunction::Min;
  if (name.compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0) return AggregateFunction::Max;
  return AggregateFunction::Count;
}

void TfrxAggregateItem::Reset() {
  count = 0;
  value = Variant::Null();
  columns.clear();
  hasColumns = false;
}

// --- The list ---------------------------------------------------------------------------

TfrxAggregateList::TfrxAggregateList(TfrxReport& report) : report_(report) {
  auto& lists = boundLists();
  previous_ = lists.value(&report);
  lists.insert(&report, this);
}

TfrxAggregateList::~TfrxAggregateList() {
  auto& lists = boundLists();
  if (lists.value(&report_) != this) return;
  if (previous_)
    lists.insert(&report_, previous_);
  else
    lists.remove(&report_);
}

TfrxAggregateList* TfrxAggregateList::Of(const TfrxReport& report) { return boundLists().value(&report); }

// --- Collecting --------------------------------------------------------------------------

void TfrxAggregateList::CollectPage(const AggregatePageBands& page) {
  for (const AggregateDataBand& data : page.masters) collectDataBand(data, page, false);
  for (const AggregateDataBand& data : page.verticalMasters) collectDataBand(data, page, true);
  TfrxBand* first = nullptr;
  if (!page.masters.isEmpty())
    first = page.masters.first().band;
  else if (!page.verticalMasters.isEmpty())
    first = page.verticalMasters.first().band;
  if (!first) return;
  for (TfrxBand* band : {page.pageFooter, page.columnFooter, page.reportSummary})
    if (band) CollectBand(*band, first, page.homeBands);
}

void TfrxAggregateList::collectDataBand(const AggregateDataBand& data, const AggregatePageBands& page, bool vertical) {
  if (!data.band) return;
  TfrxBand* band = data.band;
  if (data.footer) CollectBand(*data.footer, band, page.homeBands);
  for (TfrxBand* footer : data.groupFooters)
    if (footer) CollectBand(*footer, band, page.homeBands);
  if (vertical) {
    // Only the band's own views: its child bands print on their own.
    for (TfrxComponent* object : band->Objects())
      if (auto* view = qobject_cast<TfrxCustomMemoView*>(object))
        CollectView(*view, band, page.homeBands.value(view));
  }
  for (const AggregateDataBand& detail : data.details) collectDataBand(detail, page, vertical);
}

void TfrxAggregateList::CollectBand(TfrxBand& band, TfrxBand* defaultBand,
                                    const QHash<const TfrxComponent*, TfrxBand*>& homeBands) {
  // The child chain cannot loop (SetChild refuses it); the count is a guard all the same.
  int guard = 0;
  for (TfrxBand* b = &band; b && guard < 10000; b = b->Child(), ++guard) {
    for (TfrxComponent* object : b->AllObjects())
      if (auto* view = qobject_cast<TfrxCustomMemoView*>(object)) CollectView(*view, defaultBand, homeBands.value(view));
  }
}

void TfrxAggregateList::CollectView(TfrxCustomMemoView& view, TfrxBand* defaultBand, TfrxBand* homeBand) {
  if (!view.AllowExpressions()) return;
  QString open, close;
  SplitDelimiters(view.ExpressionDelimiters(), open, close);
  const QString text = view.Text();
  if (open.isEmpty() || !text.contains(open)) return;
  const QStringView s(text);
  qsizetype i = 0;
  while (i < s.size()) {
    const qsizetype found = s.indexOf(open, i);
    i = found >= 0 ? found : s.size() - 1;
    const BracketScan scan = ScanBrackets(s, open, close, i);
    if (scan.start == scan.end) break;
    parse(scan.content, view, defaultBand, homeBand, 0);
    i = scan.end + 1;
  }
}

void TfrxAggregateList::parse(QStringView e, TfrxCustomMemoView& view, TfrxBand* defaultBand, TfrxBand* homeBand,
                              int depth) {
  if (depth > kMaxParseDepth || e.isEmpty()) return;
  TfrxVariables* variables = report_.Variables();
  // A variable's text stands for the variable; a data field holds no call.
  auto parseVariable = [&](QStringView name) -> bool {
    const QString key = name.toString();
    if (variables->IndexOf(key) < 0) return false;
    if (!parsingVariables_.contains(key)) {
      parsingVariables_.append(key);
      const QString value = variables->Value(key).toString();
      parse(value, view, defaultBand, homeBand, depth + 1);
      parsingVariables_.removeLast();
    }
    return true;
  };
  if (parseVariable(e.trimmed())) return;
  if (!fieldReference(e).isEmpty()) return;

  const qsizetype size = e.size();
  qsizetype pos = 0;
  while (pos < size) {
    const QChar c = e[pos];
    if (isSkipped(c)) {
      ++pos;
    } else if (c == u'\'' || c == u'"') {
      const qsizetype match = e.indexOf(c, pos + 1);
      pos = match < 0 ? size : match + 1;
    } else if (c == u'(' || c == u'<') {
      const BracketScan scan = ScanBrackets(e, c == u'(' ? u"(" : u"<", c == u'(' ? u")" : u">", pos);
      parse(scan.content, view, defaultBand, homeBand, depth + 1);
      pos = std::max(scan.end, pos) + 1;
    } else {
      qsizetype end = pos;
      while (end < size && !endsWord(e[end])) ++end;
      if (end == pos) end = pos + 1;  // a lone character that ends words ("(" is handled above)
      const QStringView word = e.sliced(pos, end - pos);
      const bool aggregate = end < size && e[end] == u'(' &&
                             (word.compare(QLatin1String("SUM"), Qt::CaseInsensitive) == 0 ||
                              word.compare(QLatin1String("MIN"), Qt::CaseInsensitive) == 0 ||
                              word.compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0 ||
                              word.compare(QLatin1String("AVG"), Qt::CaseInsensitive) == 0 ||
                              word.compare(QLatin1String("COUNT"), Qt::CaseInsensitive) == 0);
      if (aggregate) {
        const BracketScan call = ScanBrackets(e, u"(", u")", end);
        QList<QStringView> arguments = splitArguments(call.content);
        while (arguments.size() > 3) arguments.removeLast();
        addItem(word, arguments, e.sliced(pos, std::min(call.end, size - 1) - pos + 1).trimmed(), view, defaultBand,
                homeBand);
        pos = std::max(call.end, end) + 1;
      } else {
        parseVariable(word);
        pos = end;
      }
    }
  }
}

void TfrxAggregateList::addItem(QStringView name, const QList<QStringView>& arguments, QStringView source,
                                TfrxCustomMemoView& view, TfrxBand* defaultBand, TfrxBand* homeBand) {
  TfrxAggregateItem item;
  item.function = AggregateFunctionOf(name);
  auto argument = [&](int k) { return k < arguments.size() ? arguments[k].trimmed().toString() : QString(); };
  QString bandText, flagsText;
  if (item.function == AggregateFunction::Count) {
    bandText = argument(0);
    flagsText = argument(1);
  } else {
    item.expression = argument(0);
    bandText = argument(1);
    flagsText = argument(2);
  }
  TfrxBand* named = nullptr;
  if (!bandText.isEmpty()) named = qobject_cast<TfrxBand*>(report_.FindObject(bandText));
  const int flags = flagsText.toInt();
  item.countInvisibleBands = (flags & 1) != 0;
  item.runningTotal = (flags & 2) != 0;
  item.dataBand = named ? named : defaultBand;
  TfrxBand* parent = bandOf(&view);
  item.printingBand = parent && parent->Vertical() && homeBand && keepsHomeBand(homeBand) ? homeBand : parent;
  item.isPageFooter = qobject_cast<TfrxPageFooter*>(item.printingBand) != nullptr;
  item.sourceText = source.toString();
  item.view = &view;
  item.viewName = view.Name();
  item.fieldName = fieldReference(item.expression);
  item.Reset();
  items_.push_back(std::move(item));
}

// --- During a pass -------------------------------------------------------------------------

Variant TfrxAggregateList::evaluate(TfrxAggregateItem& item) {
  // Errors of the evaluation name the view that holds the call.
  report_.SetCurrentObject(item.view.data());
  if (!item.fieldName.isEmpty()) {
    QVariant field;
    if (report_.LookupDataField(item.fieldName, field)) return script::FromQVariant(field);
  }
  return report_.CalcVariant(item.expression);
}

void TfrxAggregateList::apply(TfrxAggregateItem& item, const Variant& x, int columnIndex) {
  const bool counted = item.function != AggregateFunction::Avg || !isVoid(x);
  if (columnIndex >= 1) {
    item.hasColumns = true;
    TfrxAggregateItem::Column& column = item.columns[columnIndex];
    if (counted) ++column.count;
    combine(item.function, column.value, x);
  } else if (item.keeping) {
    if (counted) ++item.pendingCount;
    combine(item.function, item.pendingValue, x);
  } else {
    item.lastCount = item.count;
    item.lastValue = item.value;
    if (counted) ++item.count;
    combine(item.function, item.value, x);
  }
}

void TfrxAggregateList::AddRecord(TfrxBand* band, int columnIndex) {
  if (!band) return;
  const bool visible = band->Visible();
  // Items of one band often read the same field: read it once per record.
  struct Read {
    const QString* field;
    Variant value;
  };
  Read reads[8];
  int readCount = 0;
  for (TfrxAggregateItem& item : items_) {
    if (item.dataBand != band) continue;
    item.hasStep = false;
    if (!visible && !item.countInvisibleBands) continue;
    Variant x = Variant::Null();
    if (item.function != AggregateFunction::Count) {
      int k = 0;
      if (!item.fieldName.isEmpty())
        while (k < readCount && *reads[k].field != item.fieldName) ++k;
      if (!item.fieldName.isEmpty() && k < readCount) {
        x = reads[k].value;
      } else {
        x = evaluate(item);
        if (!item.fieldName.isEmpty() && readCount < 8) reads[readCount++] = Read{&item.fieldName, x};
      }
      if (x.Kind() == script::VarKind::Boolean) x = Variant(x.AsBool() ? 1 : 0);
    }
    apply(item, x, columnIndex);
    item.stepValue = x;
    item.stepColumn = columnIndex;
    item.hasStep = true;
  }
}

void TfrxAggregateList::UndoLastRecord(TfrxBand* band) {
  for (TfrxAggregateItem& item : items_) {
    if (item.dataBand != band) continue;
    item.count = item.lastCount;
    item.value = item.lastValue;
  }
}

void TfrxAggregateList::RedoLastRecord(TfrxBand* band) {
  for (TfrxAggregateItem& item : items_)
    if (item.dataBand == band && item.hasStep) apply(item, item.stepValue, item.stepColumn);
}

void TfrxAggregateList::ResetPrinted(TfrxBand* printingBand) {
  for (TfrxAggregateItem& item : items_)
    if (item.printingBand == printingBand && !(item.runningTotal && item.count > 0)) item.Reset();
}

void TfrxAggregateList::StartKeeping() {
  for (TfrxAggregateItem& item : items_) {
    if (!item.isPageFooter || item.keeping) continue;
    item.keeping = true;
    item.pendingCount = 0;
    item.pendingValue = Variant::Null();
  }
}

void TfrxAggregateList::EndKeeping() {
  for (TfrxAggregateItem& item : items_) {
    if (!item.isPageFooter || !item.keeping) continue;
    item.keeping = false;
    item.count += item.pendingCount;
    combine(item.function, item.value, item.pendingValue);
    item.pendingCount = 0;
    item.pendingValue = Variant::Null();
  }
}

void TfrxAggregateList::ResetAll() {
  for (TfrxAggregateItem& item : items_) item.Reset();
}

Variant TfrxAggregateList::Value(QStringView function, QStringView expression, TfrxBand* band, int flags,
                                 TfrxBand* printingBand, int columnIndex) {
  const AggregateFunction code = AggregateFunctionOf(function);
  const QStringView text = expression.trimmed();
  const bool countInvisible = (flags & 1) != 0;
  const bool running = (flags & 2) != 0;
  for (TfrxAggregateItem& item : items_) {
    if (item.printingBand != printingBand || item.function != code || item.expression != text) continue;
    if (band && item.dataBand != band) continue;
    if (item.countInvisibleBands != countInvisible || item.runningTotal != running) continue;
    item.columnIndex = columnIndex;
    if (!item.hasColumns) return resultOf(code, item.value, item.count);
    const TfrxAggregateItem::Column column = item.columns.value(columnIndex);
    return resultOf(code, column.value, column.count);
  }
  return Variant::Null();
}

// --- The report's aggregate functions --------------------------------------------------------

namespace {

QVariant calculate(TfrxReport& report, const QString& function, const QStringList& arguments) {
  TfrxAggregateList* list = TfrxAggregateList::Of(report);
  if (!list)
    throw ReportError(
        QStringLiteral("Funkcja %1 działa tylko w wyrażeniach raportu podczas jego przygotowania").arg(function));
  const bool count = AggregateFunctionOf(function) == AggregateFunction::Count;
  auto argument = [&](int k) { return k < arguments.size() ? arguments[k].trimmed() : QString(); };
  const QString expression = count ? QString() : argument(0);
  const QString bandText = argument(count ? 0 : 1);
  const QString flagsText = argument(count ? 1 : 2);
  TfrxBand* band = nullptr;
  if (!bandText.isEmpty() && bandText != QLatin1String("0"))
    band = qobject_cast<TfrxBand*>(report.FindObject(bandText));
  int flags = 0;
  if (!flagsText.isEmpty()) {
    bool ok = false;
    flags = flagsText.toInt(&ok);
    if (!ok) flags = report.CalcVariant(flagsText, true).ToInt();
  }
  TfrxBand* printing = list->CurrentBand ? list->CurrentBand() : nullptr;
  const int column = list->CurrentColumn ? list->CurrentColumn() : 0;
  Variant value = list->Value(function, expression, band, flags, printing, column);
  if (value.IsNull() && list->CurrentMasterBand)
    if (TfrxBand* master = list->CurrentMasterBand()) value = list->Value(function, expression, band, flags, master, column);
  // Dates keep their kind on the way back to the expression.
  if (value.Kind() == script::VarKind::Date) return QVariant(script::DaysToDateTime(value.AsDouble()));
  return script::ToQVariant(value, QMetaType());
}

}  // namespace

void InstallAggregateCalculator() { hooks::setAggregateCalculator(calculate); }

}  // namespace valmoro::report::engine
