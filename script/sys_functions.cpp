#include "sys_functions.h"

#include "platform/dialogs.h"
#include "run_error.h"

namespace valmoro::script {

TfsSysFunctions::TfsSysFunctions(TfsScript* script) : TfsRTTIModule(script) {
  struct TypeName {
    const char* name;
    TfsVarType typ;
  };
  static constexpr TypeName kTypes[] = {
      {"Byte", fvtInt},     {"Word", fvtInt},      {"Integer", fvtInt},   {"Longint", fvtInt},
      {"Cardinal", fvtInt}, {"TColor", fvtInt},    {"Boolean", fvtBool},  {"Real", fvtFloat},
      {"Single", fvtFloat}, {"Double", fvtFloat},  {"Extended", fvtFloat}, {"Currency", fvtFloat},
      {"TDate", fvtFloat},  {"TTime", fvtFloat},   {"TDateTime", fvtFloat}, {"Char", fvtChar},
      {"String", fvtString}, {"Array", fvtArray},  {"Variant", fvtVariant}, {"Pointer", fvtVariant},
      {"Constructor", fvtConstructor},
  };
  for (const TypeName& t : kTypes) script->AddTypeItem(QString::fromLatin1(t.name), t.typ);

  script->AddConstItem(QStringLiteral("True"), QStringLiteral("Boolean"), Variant(true));
  script->AddConstItem(QStringLiteral("False"), QStringLiteral("Boolean"), Variant(false));
  script->AddConstItem(QStringLiteral("nil"), QStringLiteral("Variant"), Variant(0));
  script->AddConstItem(QStringLiteral("Null"), QStringLiteral("Variant"), Variant::Null());

  script->AddSymbol(QStringLiteral("__StringHelper"), new TfsStringHelper());
  auto* arrayHelper = new TfsArrayHelper(QStringLiteral("__ArrayHelper"), 3, fvtVariant, QStringLiteral("Variant"));
  // Up to three indexes; those not given stay Null.
  for (int i = 0; i < 3; ++i) {
    arrayHelper->Params(i)->IsOptional = i > 0;
    arrayHelper->Params(i)->DefValue = Variant::Null();
    arrayHelper->Params(i)->Value = Variant::Null();
  }
  script->AddSymbol(QStringLiteral("__ArrayHelper"), arrayHelper);

  script->AddVariableItem(QStringLiteral("ExceptionClassName"), QStringLiteral("String"), Variant(QString()));
  script->AddVariableItem(QStringLiteral("ExceptionMessage"), QStringLiteral("String"), Variant(QString()));

  script->AddMethodItem(
      QStringLiteral("procedure ShowMessage(Msg: Variant)"),
      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) {
        dialogs::showMessage(caller->Arg(0).ToString());
        return Variant::Null();
      },
      QStringLiteral("ctOther"));
  script->AddMethodItem(
      QStringLiteral("procedure RaiseException(Param: String)"),
      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) -> Variant {
        throw RunError(error_class::Exception, caller->Arg(0).ToString());
      },
      QStringLiteral("ctOther"));
}

std::unique_ptr<TfsRTTIModule> CreateSysFunctions(TfsScript* script) { return std::make_unique<TfsSysFunctions>(script); }

}  // namespace valmoro::script
