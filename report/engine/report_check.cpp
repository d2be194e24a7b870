#include "report/engine/report_check.h"

#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"

namespace valmoro::report::engine {

QStringList CheckReport(TfrxReport& report) {
  QStringList errors;
  const auto add = [&errors](const QString& text) {
    if (!errors.contains(text)) errors.append(text);
  };
  const qsizetype before = report.Errors().size();
  const bool compiled = report.PrepareScript();
  for (qsizetype i = before; i < report.Errors().size(); ++i) add(report.Errors()[i]);
  report.Errors().resize(before);
  // Without a compiled script no expression can be compiled against it.
  if (!compiled) return errors;

  const auto check = [&](const QString& owner, const QString& expression) {
    if (expression.trimmed().isEmpty()) return;
    const QString error = report.CheckExpression(expression);
    if (!error.isEmpty()) add(owner + QStringLiteral(": ") + error);
  };
  for (TfrxComponent* object : report.AllObjects()) {
    const QString name = object->Name();
    if (auto* memo = qobject_cast<TfrxCustomMemoView*>(object)) {
      for (const QString& expression : TextExpressions(*memo)) check(name, expression);
      check(name, memo->Highlight()->Condition());
    } else if (auto* group = qobject_cast<TfrxGroupHeader*>(object)) {
      check(name, group->Condition());
    } else if (auto* data = qobject_cast<TfrxDataBand*>(object)) {
      for (const TfrxSortKey& key : data->SortKeys()) check(name, key.expression);
    }
  }
  // A variable's text is an expression unless it spans lines.
  TfrxVariables* variables = report.Variables();
  for (int i = 0; i < variables->Count(); ++i) {
    const TfrxVariable* variable = variables->Item(i);
    // A name beginning with a blank is a category heading, not a variable.
    if (variable->Name().startsWith(u' ')) continue;
    const QVariant value = variable->Value();
    if (value.typeId() != QMetaType::QString) continue;
    const QString text = value.toString();
    if (text.contains(u'\n') || text.contains(u'\r')) continue;
    check(variable->Name(), text);
  }
  return errors;
}

}  // namespace valmoro::report::engine
