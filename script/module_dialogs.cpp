#include "module_dialogs.h"

#include "platform/dialogs.h"

namespace valmoro::script {

namespace {

// Buttons in the order of TMsgDlgButtons (bit i is value i of the set) with
// the modal result each gives.
struct ButtonResult {
  unsigned bit;
  int modalResult;
};
constexpr ButtonResult kResults[] = {
    {dialogs::ButtonYes, 6},   {dialogs::ButtonNo, 7},       {dialogs::ButtonOk, 1},
    {dialogs::ButtonCancel, 2}, {dialogs::ButtonAbort, 3},   {dialogs::ButtonRetry, 4},
    {dialogs::ButtonIgnore, 5}, {dialogs::ButtonAll, 8},     {dialogs::ButtonNoToAll, 9},
    {dialogs::ButtonYesToAll, 10}, {dialogs::ButtonHelp, 0},
};

// A set arrives as an array of its members' bit values, or as the bits.
unsigned setBits(const Variant& value) {
  if (!value.IsArray()) return unsigned(value.ToInt64());
  unsigned bits = 0;
  for (const Variant& member : value.AsArray().Elements()) bits |= unsigned(member.ToInt64());
  return bits;
}

}  // namespace

TfsDialogsModule::TfsDialogsModule(TfsScript* script) : TfsRTTIModule(script) {
  script->AddEnumItems(QStringLiteral("TMsgDlgType"), QStringLiteral("mtWarning, mtError, mtInformation, mtConfirmation, mtCustom"));
  script->AddEnumSetItems(QStringLiteral("TMsgDlgButtons"),
                          QStringLiteral("mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, "
                                         "mbYesToAll, mbHelp"));
  // The forms module owns these too; whichever comes first registers them.
  static const char* const kModalResults[] = {"mrNone", "mrOk",  "mrCancel", "mrAbort",    "mrRetry",   "mrIgnore",
                                              "mrYes",  "mrNo",  "mrAll",    "mrNoToAll", "mrYesToAll"};
  for (int i = 0; i < int(std::size(kModalResults)); ++i) {
    const QString name = QString::fromLatin1(kModalResults[i]);
    if (!script->FindLocalSymbol(name)) script->AddConstItem(name, QStringLiteral("Integer"), Variant(i));
  }

  script->AddMethodItem(
      QStringLiteral("function MessageDlg(Msg: string; DlgType: TMsgDlgType; Buttons: TMsgDlgButtons; HelpCtx: Longint): Integer"),
      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
        const int type = c->Arg(1).ToInt();
        const auto severity = type >= 0 && type <= 4 ? dialogs::Severity(type) : dialogs::Severity::Custom;
        const unsigned chosen = dialogs::messageDialog(c->Arg(0).ToString(), severity, setBits(c->Arg(2)) & 0x7FFu);
        for (const ButtonResult& r : kResults)
          if (r.bit == chosen) return Variant(r.modalResult);
        return Variant(0);
      },
      QStringLiteral("ctOther"));
  script->AddMethodItem(
      QStringLiteral("function InputBox(ACaption, APrompt, ADefault: string): string"),
      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
        const QString defaultValue = c->Arg(2).ToString();
        return Variant(dialogs::inputText(c->Arg(0).ToString(), c->Arg(1).ToString(), defaultValue).value_or(defaultValue));
      },
      QStringLiteral("ctOther"));
  script->AddMethodItem(
      QStringLiteral("function InputQuery(ACaption, APrompt: string; var Value: string): Boolean"),
      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
        const auto answer = dialogs::inputText(c->Arg(0).ToString(), c->Arg(1).ToString(), c->Arg(2).ToString());
        if (answer) c->SetArg(2, Variant(*answer));
        return Variant(answer.has_value());
      },
      QStringLiteral("ctOther"));
}

void RegisterDialogsModule() {
  RegisterModule(QStringLiteral("Dialogs"), [](TfsScript* script) { return std::make_unique<TfsDialogsModule>(script); });
}

}  // namespace valmoro::script
