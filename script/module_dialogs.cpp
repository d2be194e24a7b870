#include "module_dialogs.h"

#include "dialog_classes.h"
#include "module_classes.h"
#include "platform/dialogs.h"
#include "run_error.h"
#include "string_list.h"

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

using Caller = TfsMethodHelper*;

template <class T>
T* dialogOf(QObject* instance) {
  auto* dialog = qobject_cast<T*>(instance);
  if (!dialog)
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Object is not a %1").arg(ScriptClassName(&T::staticMetaObject)));
  return dialog;
}

// A set property kept as bits by a dialog of class T.
template <class T>
void addSetProperty(TfsClassVariable* cls, const QString& name, const QString& typeName, unsigned (T::*get)() const,
                    void (T::*set)(unsigned)) {
  cls->AddProperty(
      name, typeName,
      [get](QObject* o, const QMetaObject*, const QString&) { return Variant::FromInt64(qint64((dialogOf<T>(o)->*get)())); },
      [set](QObject* o, const QMetaObject*, const QString&, const Variant& v) { (dialogOf<T>(o)->*set)(setBits(v)); });
}

template <class T>
void addEnumProperty(TfsClassVariable* cls, const QString& name, const QString& typeName, int (T::*get)() const,
                     void (T::*set)(int)) {
  cls->AddProperty(
      name, typeName, [get](QObject* o, const QMetaObject*, const QString&) { return Variant((dialogOf<T>(o)->*get)()); },
      [set](QObject* o, const QMetaObject*, const QString&, const Variant& v) { (dialogOf<T>(o)->*set)(v.ToInt()); });
}

// The font of a font dialog is read and written through the members of its
// script class, so a TFont whose Style (or anything else) is served by a
// handler rather than a published property works as well.
TfsPropertyHelper* fontMember(TfsScript* script, QObject* font, const QString& name) {
  TfsClassVariable* cls = script->FindClassItemOf(font->metaObject());
  return cls ? dynamic_cast<TfsPropertyHelper*>(cls->FindMember(name)) : nullptr;
}

QObject* dialogFont(TfsScript* script, TFontDialog* dialog) {
  const TfsClassVariable* fontClass = script->FindClassItem(QStringLiteral("TFont"));
  QObject* font = dialog->font(fontClass ? fontClass->ClassRef : nullptr);
  dialog->setFontAccess(
      [script](QObject* f, const QString& name) {
        TfsPropertyHelper* p = fontMember(script, f, name);
        if (!p) return FromQVariant(f->property(name.toLatin1().constData()));
        if (p->IsPublished) return FromQVariant(p->Property.read(f));
        return p->OnGetValue ? p->OnGetValue(f, f->metaObject(), name.toUpper()) : Variant::Null();
      },
      [script](QObject* f, const QString& name, const Variant& value) {
        TfsPropertyHelper* p = fontMember(script, f, name);
        if (!p) {
          f->setProperty(name.toLatin1().constData(), ToQVariant(value, QMetaType()));
        } else if (p->IsPublished) {
          p->Property.write(f, ToQVariant(value, p->Property.metaType()));
        } else if (p->OnSetValue) {
          p->OnSetValue(f, f->metaObject(), name.toUpper(), value);
        }
      });
  return font;
}

void registerDialogClasses(TfsScript* script) {
  script->AddEnumSetItems(
      QStringLiteral("TOpenOptions"),
      QStringLiteral("ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, "
                     "ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, "
                     "ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, "
                     "ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, "
                     "ofDontAddToRecent, ofForceShowHidden"));
  script->AddEnumItems(QStringLiteral("TFileEditStyle"), QStringLiteral("fsEdit, fsComboBox"));
  script->AddEnumSetItems(QStringLiteral("TColorDialogOptions"),
                          QStringLiteral("cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor"));
  script->AddEnumSetItems(QStringLiteral("TFontDialogOptions"),
                          QStringLiteral("fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, "
                                         "fdNoFaceSel, fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, "
                                         "fdNoVectorFonts, fdShowHelp, fdWysiwyg, fdLimitSize, fdScalableOnly, "
                                         "fdApplyButton"));
  script->AddEnumItems(QStringLiteral("TFontDialogDevice"), QStringLiteral("fdScreen, fdPrinter, fdBoth"));
  script->AddEnumItems(QStringLiteral("TPrintRange"), QStringLiteral("prAllPages, prSelection, prPageNums"));
  script->AddEnumSetItems(QStringLiteral("TPrintDialogOptions"),
                          QStringLiteral("poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile"));

  if (TfsClassVariable* common =
          AddModuleClass(script, &TCommonDialog::staticMetaObject, QStringLiteral("TComponent"))) {
    // Also here, so dialogs can be made where the classes module is absent.
    common->AddConstructor(QStringLiteral("constructor Create(AOwner: TComponent)"),
                           [](QObject*, const QMetaObject* cls, const QString&, Caller c) {
                             QObject* owner = c->Arg(0).ToObject();
                             QObject* created = cls ? cls->newInstance(Q_ARG(QObject*, owner)) : nullptr;
                             if (!created)
                               throw RunError(error_class::InvalidOperation,
                                              QStringLiteral("Class %1 cannot be created").arg(ScriptClassName(cls)));
                             return Variant::FromObject(created);
                           });
    common->AddMethod(QStringLiteral("function Execute: Boolean"),
                      [script](QObject* o, const QMetaObject*, const QString&, Caller) {
                        TCommonDialog* dialog = dialogOf<TCommonDialog>(o);
                        if (auto* fontDialog = qobject_cast<TFontDialog*>(dialog)) dialogFont(script, fontDialog);
                        return Variant(dialog->execute());
                      });
  }

  if (TfsClassVariable* open = AddModuleClass(script, &TOpenDialog::staticMetaObject, QStringLiteral("TCommonDialog"))) {
    addSetProperty<TOpenDialog>(open, QStringLiteral("Options"), QStringLiteral("TOpenOptions"), &TOpenDialog::options,
                                &TOpenDialog::setOptions);
    addEnumProperty<TOpenDialog>(open, QStringLiteral("FileEditStyle"), QStringLiteral("TFileEditStyle"),
                                 &TOpenDialog::fileEditStyle, &TOpenDialog::setFileEditStyle);
    open->AddProperty(QStringLiteral("Files"), QStringLiteral("TStrings"), [](QObject* o, const QMetaObject*, const QString&) {
      return Variant::FromObject(dialogOf<TOpenDialog>(o)->files());
    });
  }
  AddModuleClass(script, &TSaveDialog::staticMetaObject, QStringLiteral("TOpenDialog"));

  if (TfsClassVariable* color = AddModuleClass(script, &TColorDialog::staticMetaObject, QStringLiteral("TCommonDialog"))) {
    addSetProperty<TColorDialog>(color, QStringLiteral("Options"), QStringLiteral("TColorDialogOptions"),
                                 &TColorDialog::options, &TColorDialog::setOptions);
    color->AddProperty(QStringLiteral("CustomColors"), QStringLiteral("TStrings"),
                       [](QObject* o, const QMetaObject*, const QString&) {
                         return Variant::FromObject(dialogOf<TColorDialog>(o)->customColors());
                       });
  }

  AddModuleClass(script, &TFontDialogFont::staticMetaObject, QStringLiteral("TPersistent"));
  if (TfsClassVariable* font = AddModuleClass(script, &TFontDialog::staticMetaObject, QStringLiteral("TCommonDialog"))) {
    addSetProperty<TFontDialog>(font, QStringLiteral("Options"), QStringLiteral("TFontDialogOptions"),
                                &TFontDialog::options, &TFontDialog::setOptions);
    addEnumProperty<TFontDialog>(font, QStringLiteral("Device"), QStringLiteral("TFontDialogDevice"),
                                 &TFontDialog::device, &TFontDialog::setDevice);
    // The script's own TFont class when it has one (read at first use, so a
    // graphics module registered after this one counts).
    // Typed TFont when that class is known already; otherwise members are
    // found at run time on whichever font object the dialog holds.
    const QString fontType =
        script->FindClassItem(QStringLiteral("TFont")) ? QStringLiteral("TFont") : QStringLiteral("Variant");
    font->AddProperty(QStringLiteral("Font"), fontType, [script](QObject* o, const QMetaObject*, const QString&) {
      return Variant::FromObject(dialogFont(script, dialogOf<TFontDialog>(o)));
    });
  }

  if (TfsClassVariable* print = AddModuleClass(script, &TPrintDialog::staticMetaObject, QStringLiteral("TCommonDialog"))) {
    addSetProperty<TPrintDialog>(print, QStringLiteral("Options"), QStringLiteral("TPrintDialogOptions"),
                                 &TPrintDialog::options, &TPrintDialog::setOptions);
    addEnumProperty<TPrintDialog>(print, QStringLiteral("PrintRange"), QStringLiteral("TPrintRange"),
                                  &TPrintDialog::printRange, &TPrintDialog::setPrintRange);
  }
  AddModuleClass(script, &TPrinterSetupDialog::staticMetaObject, QStringLiteral("TCommonDialog"));
}

}  // namespace

TfsDialogsModule::TfsDialogsModule(TfsScript* script) : TfsRTTIModule(script) {
  RegisterObjectClass(script);
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
  registerDialogClasses(script);
}

void RegisterDialogsModule() {
  RegisterModule(QStringLiteral("Dialogs"), [](TfsScript* script) { return std::make_unique<TfsDialogsModule>(script); });
}

}  // namespace valmoro::script
