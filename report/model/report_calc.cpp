// Expressions in the report: the expression cache and Calc.

#include "report/model/report_calc.h"

#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"
#include "script/host_classes.h"
#include "script/run_error.h"
#include "script/script.h"

namespace valmoro::report {

using script::Variant;

TfrxExpressionCache::~TfrxExpressionCache() = default;

void TfrxExpressionCache::Clear() {
  byText_.clear();
  byKey_.clear();
  entries_.clear();
}

void TfrxExpressionCache::SetLanguage(const QString& language) {
  if (language == language_) return;
  Clear();
  language_ = language;
}

QString TfrxExpressionCache::KeyOf(const QString& language, const QString& expression) {
  const bool pascal = language.compare(QLatin1String("PascalScript"), Qt::CaseInsensitive) == 0;
  const bool basic = language.compare(QLatin1String("BasicScript"), Qt::CaseInsensitive) == 0;
  if (!pascal && !basic) return expression;
  // A "<" may open a reference whose text is a name compared exactly
  // (<Wpisy."Temperatura">, <Var>); telling it from the operator would take
  // the parser, so such texts are kept as they are.
  if (expression.contains(QLatin1Char('<'))) return expression;
  const QChar quote = pascal ? QLatin1Char('\'') : QLatin1Char('"');
  QString key = expression;
  bool inString = false;
  for (QChar& c : key) {
    if (c == quote) inString = !inString;
    else if (!inString) c = c.toUpper();
  }
  return key;
}

TfrxExpressionCache::Entry* TfrxExpressionCache::find(const QString& expression) {
  const auto exact = byText_.constFind(expression);
  if (exact != byText_.constEnd()) return *exact;
  const QString key = KeyOf(language_, expression);
  Entry* entry = byKey_.value(key);
  if (!entry) {
    entry = compile(expression);
    byKey_.insert(key, entry);
  }
  byText_.insert(expression, entry);
  return entry;
}

TfrxExpressionCache::Entry* TfrxExpressionCache::compile(const QString& expression) {
  const QString name = QStringLiteral("fr3f") + QString::number(entries_.size());
  QString source;
  if (language_.compare(QLatin1String("C++Script"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("Variant ") + name + QStringLiteral("() { return ") + expression + QStringLiteral("; } {}");
  else if (language_.compare(QLatin1String("BasicScript"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("function ") + name + QStringLiteral("\r\nreturn ") + expression +
             QStringLiteral("\r\nend function");
  else if (language_.compare(QLatin1String("JScript"), Qt::CaseInsensitive) == 0)
    source = QStringLiteral("function ") + name + QStringLiteral("() { return ") + expression + QStringLiteral("; }");
  else
    source = QStringLiteral("function ") + name + QStringLiteral(": Variant; begin Result := ") + expression +
             QStringLiteral(" end; begin end.");

  auto entry = std::make_unique<Entry>();
  entry->script = std::make_unique<script::TfsScript>(&parent_);
  script::TfsScript& s = *entry->script;
  s.ExtendedIdentChars = parent_.ExtendedIdentChars;
  s.SyntaxType = language_;
  s.Lines = script::SplitSourceLines(source);
  bool compiled = false;
  try {
    compiled = s.CompileSource();
  } catch (const std::exception& e) {
    s.ErrorText = QString::fromUtf8(e.what());
  }
  script::TfsCustomVariable* function = compiled ? s.FindLocalSymbol(name) : nullptr;
  if (function && function->Kind() == script::TfsCustomVariable::ItemKind::Proc) {
    entry->function = static_cast<script::TfsProcVariable*>(function);
  } else {
    const QString message = s.ErrorText.isEmpty() ? resources::text(u"clExprError") : s.ErrorText;
    entry->compileError =
        resources::text(u"clExprError") + QStringLiteral(" '") + expression + QStringLiteral("': ") + message;
  }
  entries_.push_back(std::move(entry));
  return entries_.back().get();
}

Variant TfrxExpressionCache::Evaluate(const QString& expression, QString& errorText, bool& divisionByZero) {
  divisionByZero = false;
  Entry* entry = find(expression);
  if (!entry->function) {
    errorText = entry->compileError;
    return Variant::Null();
  }
  // The report's main block is not running while an expression is.
  struct Running {
    script::TfsScript& s;
    bool was;
    ~Running() { s.Running = was; }
  } running{parent_, parent_.Running};
  parent_.Running = false;
  try {
    return entry->function->GetValue();
  } catch (const script::RunError& e) {
    const QString& cls = e.className();
    divisionByZero = cls == QLatin1String(script::error_class::DivByZero) ||
                     cls == QLatin1String(script::error_class::ZeroDivide);
    errorText = e.message();
  } catch (const script::ScriptError& e) {
    errorText = e.message();
  } catch (const ReportError& e) {
    errorText = e.message();
  } catch (const std::exception& e) {
    errorText = QString::fromUtf8(e.what());
  }
  return Variant::Null();
}

// --- Calc -------------------------------------------------------------------------------

Variant TfrxReport::CalcVariant(const QString& expr, bool fromScript) {
  Variant value;
  if (GetVariableValue(expr, value)) return value;
  QString errorText;
  bool divisionByZero = false;
  TfrxExpressionCache& expressions = Expressions();  // made on first use, before counting
  {
    struct Depth {
      int& n;
      ~Depth() { --n; }
    } depth{++evaluating_};
    value = expressions.Evaluate(expr, errorText, divisionByZero);
  }
  if (errorText.isEmpty()) return value;
  if (divisionByZero && engineOptions_->IgnoreDevByZero()) return Variant::Null();
  // A call from a script gets an error the script can catch.
  if (fromScript || Script().ActiveRoutineScript || Script().Running)
    throw script::RunError(script::error_class::Exception, QStringLiteral("Error in Calc expression: ") + errorText);
  const QString text = curObject_ + QStringLiteral(": ") + errorText;
  errors_.append(text);
  throw ReportError(text);
}

QVariant TfrxReport::Calc(const QString& expr) {
  // A data field answers directly, without a detour through the script's values.
  QVariant field;
  if (LookupDataField(expr, field)) return field;
  return script::ToQVariant(CalcVariant(expr), QMetaType());
}

QString TfrxReport::CheckExpression(const QString& expr) {
  // A field of a listed data set that answers for its fields.
  const auto fieldError = [this](const TfrxNameInfo& info) -> QString {
    if (info.kind != TfrxNameInfo::Field) return QString();
    const TfrxDataSetItem* item = dataSets_->Find(info.dataSet);
    TfrxDataSet* dataSet = item ? item->DataSet() : nullptr;
    if (!dataSet) return QString();
    QStringList fields;
    dataSet->GetFieldList(fields);
    for (const QString& field : fields)
      if (field.compare(info.field, Qt::CaseInsensitive) == 0) return QString();
    return resources::text(u"dbFldNotFound") + u' ' + dataSet->UserName() + QStringLiteral(".\"") + info.field +
           u'"';
  };
  const TfrxNameInfo info = nameCache_->info(expr);
  if (info.kind == TfrxNameInfo::System) return QString();
  if (info.kind == TfrxNameInfo::Field && dataSets_->Find(info.dataSet)) return fieldError(info);
  if (info.identifier && variables_->IndexOf(expr) >= 0) return QString();
  const QString compileError = Expressions().CompileError(expr);
  if (!compileError.isEmpty()) return compileError;
  // References in angle brackets are looked up by name when evaluated.
  for (qsizetype open = expr.indexOf(u'<'); open >= 0; open = expr.indexOf(u'<', open + 1)) {
    const qsizetype close = expr.indexOf(u'>', open + 1);
    if (close < 0) break;
    const QString error = fieldError(nameCache_->info(expr.mid(open + 1, close - open - 1).trimmed()));
    if (!error.isEmpty()) return error;
  }
  return QString();
}

int TfrxReport::ExpressionCacheCount() const { return expressions_ ? expressions_->Count() : 0; }

}  // namespace valmoro::report
