// The report's script: what it registers before each preparation, the
// functions it serves (Get, Set, IIF and the aggregates), and the resolution
// of names used in expressions.

#include <QHash>
#include <cmath>

#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/report_calc.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/resources.h"
#include "report/model/script_hooks.h"
#include "script/host_classes.h"
#include "script/run_error.h"
#include "script/script.h"

namespace valmoro::report {

using script::TfsCustomVariable;
using script::TfsMethodHelper;
using script::Variant;

// --- Names ------------------------------------------------------------------------------

bool TfrxReport::LookupDataField(const QString& name, QVariant& value) {
  // A copy: reading the field may evaluate further names, which can change the cache.
  const TfrxNameInfo info = nameCache_->info(name);
  return dataFieldValue(info, value);
}

bool TfrxReport::dataFieldValue(const TfrxNameInfo& info, QVariant& value) {
  if (info.kind != TfrxNameInfo::Field) return false;
  const TfrxDataSetItem* item = dataSets_->Find(info.dataSet);
  TfrxDataSet* dataSet = item ? item->DataSet() : nullptr;
  if (!dataSet) return false;
  value = dataSet->Value(info.field);
  if ((!value.isValid() || value.isNull()) && engineOptions_->ConvertNulls()) {
    switch (dataSet->FieldType(info.field)) {
      case fftString:
        value = QString();
        break;
      case fftBoolean:
        value = false;
        break;
      default:
        value = 0;
        break;
    }
  }
  return true;
}

namespace {

Variant systemValue(const TfrxRunState& run, int index) {
  const double start = run.startDateTime != 0 ? run.startDateTime : currentDateTimeAsDays();
  switch (index) {
    case 0:
      return Variant::FromDate(std::floor(start));
    case 1:
      return Variant::FromDate(start - std::floor(start));
    case 2:
      return Variant(run.page);
    case 3:
      return Variant(run.pageNo);
    case 4:
      return Variant(run.totalPages);
    case 5:
      return Variant(run.totalPagesNo);
    case 6:
      return Variant(run.line);
    case 7:
      return Variant(run.lineThrough);
    default:
      return script::FromQVariant(GlobalVariables()->Value(QStringLiteral("CopyName0")));
  }
}

}  // namespace

bool TfrxReport::GetVariableValue(const QString& name, Variant& value) {
  // A copy: the steps below may evaluate further names, which can change the cache.
  const TfrxNameInfo info = nameCache_->info(name);
  // 1. A data field of a listed data set.
  QVariant field;
  if (dataFieldValue(info, field)) {
    value = script::FromQVariant(field);
    return true;
  }
  // 2. A system variable.
  if (info.kind == TfrxNameInfo::System) {
    value = systemValue(runState_, info.system);
    return true;
  }
  // 3. The application's handlers.
  if (OnGetValue || OnNewGetValue) {
    QVariant answer;
    if (OnGetValue) OnGetValue(name, answer);
    if (!answer.isValid() && OnNewGetValue) OnNewGetValue(this, name, answer);
    if (answer.isValid()) {
      value = script::FromQVariant(answer);
      return true;
    }
  }
  // 4. A report variable: its text is an expression unless it spans lines.
  const int index = name.startsWith(QLatin1Char(' ')) ? -1 : variables_->IndexOf(name);
  if (index >= 0) {
    const QVariant stored = variables_->Item(index)->Value();
    if (stored.typeId() != QMetaType::QString) {
      value = script::FromQVariant(stored);
      return true;
    }
    const QString text = stored.toString();
    if (text.isEmpty() || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
      value = Variant(text);
      return true;
    }
    QStringList& evaluating = nameCache_->evaluating;
    if (evaluating.contains(name)) {
      const QString message = QStringLiteral("Zmienna %1 odwołuje się do samej siebie").arg(name);
      errors_.append(message);
      throw ReportError(message);
    }
    evaluating.append(name);
    struct Pop {
      QStringList& list;
      ~Pop() { list.removeLast(); }
    } pop{evaluating};
    value = CalcVariant(text);
    return true;
  }
  // 5. A global variable.
  const int global = GlobalVariables()->IndexOf(name);
  if (global >= 0) {
    value = script::FromQVariant(GlobalVariables()->Item(global)->Value());
    return true;
  }
  // 6. A variable of the script.
  if (info.identifier) {
    TfsCustomVariable* item = Script().FindSymbol(name);
    if (item && (item->Kind() == TfsCustomVariable::ItemKind::Variable ||
                 item->Kind() == TfsCustomVariable::ItemKind::StringVariable)) {
      value = item->GetValue();
      return true;
    }
  }
  return false;
}

// --- Script functions ---------------------------------------------------------------------

namespace {

bool isAggregateCall(const QString& text) {
  QString head = text.left(text.indexOf(QLatin1Char('(')));
  head.remove(QLatin1Char(' '));
  head = head.toUpper();
  return head == QLatin1String("SUM") || head == QLatin1String("MIN") || head == QLatin1String("MAX") ||
         head == QLatin1String("AVG") || head == QLatin1String("COUNT");
}

}  // namespace

// The functions the report serves to its script.
class ReportScriptFunctions {
public:
  static void registerInto(TfrxReport& report) {
    script::TfsScript& s = report.Script();
    TfrxReport* self = &report;
    s.AddVariableItem(QStringLiteral("Value"), QStringLiteral("Variant"), Variant::Null());
    s.AddVariableItem(QStringLiteral("Self"), QStringLiteral("TfrxView"), Variant::Null());
    using Caller = script::TfsCallMethodCallerEvent;
    s.AddMethodItem(QStringLiteral("function Get(Name: String): Variant"),
                    Caller([self](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
                      return get(*self, c->Arg(0).ToString());
                    }),
                    QStringLiteral("ctOther"));
    s.AddMethodItem(QStringLiteral("procedure Set(Name: String; Value: Variant)"),
                    Caller([self](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
                      const Variant v = c->Arg(1);
                      self->variables_->SetValue(c->Arg(0).ToString(), v.IsVoid() ? QVariant::fromValue(nullptr)
                                                                                 : script::ToQVariant(v, QMetaType()));
                      return Variant::Null();
                    }),
                    QStringLiteral("ctOther"));
    s.AddMethodItem(QStringLiteral("macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant"),
                    Caller([self](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
                      const bool condition = self->CalcVariant(c->Arg(0).ToString(), true).ToBool();
                      return self->CalcVariant(c->Arg(condition ? 1 : 2).ToString(), true);
                    }),
                    QStringLiteral("ctOther"));
    for (const char* name : {"SUM", "AVG", "MIN", "MAX"}) {
      s.AddMethodItem(QStringLiteral("macrofunction %1(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant")
                          .arg(QLatin1String(name)),
                      Caller([self](QObject*, const QMetaObject*, const QString& method, TfsMethodHelper* c) {
                        return aggregate(*self, method, c);
                      }),
                      QStringLiteral("ctAggregate"));
    }
    s.AddMethodItem(QStringLiteral("macrofunction COUNT(Band: Variant = 0; Flags: Integer = 0): Variant"),
                    Caller([self](QObject*, const QMetaObject*, const QString& method, TfsMethodHelper* c) {
                      return aggregate(*self, method, c);
                    }),
                    QStringLiteral("ctAggregate"));
  }

private:
  static Variant get(TfrxReport& report, const QString& name) {
    Variant value;
    if (report.GetVariableValue(name, value)) return value;
    if (isAggregateCall(name)) return report.CalcVariant(name, true);
    report.errors_.append(resources::text(u"clUnknownVar") + QLatin1Char(' ') + name);
    return Variant::Null();
  }

  static Variant aggregate(TfrxReport& report, const QString& method, TfsMethodHelper* c) {
    const hooks::AggregateCalculator& calculator = hooks::aggregateCalculator();
    // Hook: the engine's aggregate store keeps the totals of a run.
    if (!calculator)
      throw script::RunError(script::error_class::Exception,
                             QStringLiteral("Funkcja %1 wymaga silnika raportów, który nie jest jeszcze dostępny "
                                            "w tej wersji programu")
                                 .arg(method));
    // Arguments as written; those left out arrive without text and are not passed.
    int given = c->Count();
    while (given > 0 && c->Arg(given - 1).ToString().isEmpty()) --given;
    QStringList arguments;
    for (int i = 0; i < given; ++i) arguments.append(c->Arg(i).ToString());
    return script::FromQVariant(calculator(report, method.toUpper(), arguments));
  }
};

// --- Preparing the script ----------------------------------------------------------------------

void TfrxReport::RegisterScriptClass(const QMetaObject* classType) {
  if (!classType || classType == &QObject::staticMetaObject) return;
  // The report classes module registers these; a class it does not know
  // (or a build without it) still gets its published properties.
  if (Script().FindClassItem(script::ScriptClassName(classType))) return;
  const QMetaObject* ancestor = classType->superClass();
  RegisterScriptClass(ancestor);
  Script().AddClassItem(classType, ancestor ? script::ScriptClassName(ancestor) : QStringLiteral("TObject"));
}

void TfrxReport::checkScriptIdle() const {
  if (evaluating_ > 0 || (script_ && (script_->Running || script_->ActiveRoutineScript)))
    throw ReportError(QStringLiteral(
        "Raportu nie można wyczyścić, wczytać ani przygotować w trakcie wykonywania jego skryptu"));
}

void TfrxReport::ResetScript() {
  if (!script_) return;  // made on first use, with the functions registered
  checkScriptIdle();
  Expressions().Clear();
  Expressions().SetLanguage(scriptLanguage_);
  Script().ClearProgram();
  ReportScriptFunctions::registerInto(*this);
}

bool TfrxReport::PrepareScript() {
  Script();
  ResetScript();
  // Hook: the engine's notification list is emptied by the engine itself
  // when it starts a run.
  for (TfrxComponent* object : AllObjects()) {
    if (object->Name().isEmpty()) continue;
    RegisterScriptClass(object->metaObject());
    Script().AddObjectItem(object->Name(), object);
  }
  RegisterScriptClass(metaObject());
  Script().AddObjectItem(QStringLiteral("Report"), this);
  RegisterScriptClass(engine_->metaObject());
  Script().AddObjectItem(QStringLiteral("Engine"), engine_);
  RegisterScriptClass(outline_->metaObject());
  Script().AddObjectItem(QStringLiteral("Outline"), outline_);

  Script().Lines = scriptText_;
  Script().SyntaxType = scriptLanguage_;
  bool compiled = false;
  try {
    compiled = Script().CompileSource();
  } catch (const std::exception& e) {
    Script().ErrorText = QString::fromUtf8(e.what());
  }
  if (compiled) return true;
  errors_.append(formatReportResource(u"clScrError", {Script().ErrorPosition, Script().ErrorText}));
  return false;
}

}  // namespace valmoro::report
