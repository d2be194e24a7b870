#include "module_forms.h"

#include <QHash>

#include "forms_controls.h"
#include "host_events.h"
#include "module_binding_support.h"
#include "string_list.h"

namespace valmoro::script {

using namespace forms;
using binding::Caller;
using binding::Method;
using binding::ObjectArg;
using binding::Property;

namespace {

// How each creatable class is made with its owner.
using Maker = QObject* (*)(QObject* owner);

template <class T>
QObject* make(QObject* owner) {
  return new T(owner);
}

const QHash<const QMetaObject*, Maker>& makers() {
  static const QHash<const QMetaObject*, Maker> m = {
      {&TCustomControl::staticMetaObject, &make<TCustomControl>},
      {&TGraphicControl::staticMetaObject, &make<TGraphicControl>},
      {&TGroupBox::staticMetaObject, &make<TGroupBox>},
      {&TLabel::staticMetaObject, &make<TLabel>},
      {&TEdit::staticMetaObject, &make<TEdit>},
      {&TMemo::staticMetaObject, &make<TMemo>},
      {&TCustomComboBox::staticMetaObject, &make<TCustomComboBox>},
      {&TComboBox::staticMetaObject, &make<TComboBox>},
      {&TButton::staticMetaObject, &make<TButton>},
      {&TCheckBox::staticMetaObject, &make<TCheckBox>},
      {&TRadioButton::staticMetaObject, &make<TRadioButton>},
      {&TCustomListBox::staticMetaObject, &make<TCustomListBox>},
      {&TListBox::staticMetaObject, &make<TListBox>},
      {&TScrollBox::staticMetaObject, &make<TScrollBox>},
      {&TCustomForm::staticMetaObject, &make<TCustomForm>},
      {&TForm::staticMetaObject, &make<TForm>},
      {&TDataModule::staticMetaObject, &make<TDataModule>},
  };
  return m;
}

Variant createComponent(const QMetaObject* cls, const Variant& owner) {
  const Maker maker = makers().value(cls);
  if (!maker)
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Class %1 cannot be created").arg(ScriptClassName(cls)));
  return Variant::FromObject(maker(owner.ToObject()));
}

void addNotify(TfsClassVariable* cls, std::initializer_list<const char*> names) {
  for (const char* name : names) cls->AddEvent(QString::fromLatin1(name), EventFactory<TfsNotifyEvent>());
}

// Lines, Items: reading gives the control's own list; assigning copies the
// lines of another list into it.
template <class T, TStrings* (T::*Getter)()>
void addStringsProperty(TfsClassVariable* cls, const char* name) {
  Property<T>(
      cls, name, "TStrings", [](T* c) { return Variant::FromObject((c->*Getter)()); },
      [](T* c, const Variant& v) {
        TStrings* target = (c->*Getter)();
        TStrings* source = ObjectArg<TStrings>(v);
        if (source == target) return;
        target->clear();
        if (source) target->addStrings(*source);
      });
}

void registerControl(TfsScript* script) {
  TfsClassVariable* control = script->AddClassItem(&TControl::staticMetaObject, QStringLiteral("TComponent"));
  if (!control) return;
  control->AddConstructor(QStringLiteral("constructor Create(AOwner: TComponent)"),
                          [](QObject*, const QMetaObject* cls, const QString&, Caller c) {
                            return createComponent(cls, c->Arg(0));
                          });
  // Freeing a control inside one of its own events waits for the event to end.
  Method<TControl>(control, "procedure Free", [](TControl* c, Caller) { c->release(); });
  Method<TControl>(control, "procedure Hide", [](TControl* c, Caller) { c->hide(); });
  Method<TControl>(control, "procedure Show", [](TControl* c, Caller) { c->show(); });
  Method<TControl>(control, "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer)", [](TControl* c, Caller a) {
    c->setBounds(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt());
  });
  Method<TControl>(control, "procedure Repaint", [](TControl* c, Caller) { c->repaint(); });
  Method<TControl>(control, "procedure Refresh", [](TControl* c, Caller) { c->repaint(); });
  Method<TControl>(control, "procedure Invalidate", [](TControl* c, Caller) {
    if (c->widget()) c->widget()->update();
  });
  Method<TControl>(control, "procedure BringToFront", [](TControl* c, Caller) { c->bringToFront(); });
  Method<TControl>(control, "procedure SendToBack", [](TControl* c, Caller) { c->sendToBack(); });
  Property<TControl>(
      control, "Parent", "TWinControl", [](TControl* c) { return Variant::FromObject(c->parentControl()); },
      [](TControl* c, const Variant& v) { c->setParentControl(ObjectArg<TWinControl>(v)); });
  addNotify(control, {"OnClick", "OnDblClick", "OnResize"});
  control->AddEvent(QStringLiteral("OnMouseDown"), EventFactory<TfsMouseEvent>());
  control->AddEvent(QStringLiteral("OnMouseUp"), EventFactory<TfsMouseEvent>());
  control->AddEvent(QStringLiteral("OnMouseMove"), EventFactory<TfsMouseMoveEvent>());
  control->AddEvent(QStringLiteral("OnCanResize"), EventFactory<TfsCanResizeEvent>());

  TfsClassVariable* win = script->AddClassItem(&TWinControl::staticMetaObject, QStringLiteral("TControl"));
  if (!win) return;
  Method<TWinControl>(win, "procedure SetFocus", [](TWinControl* c, Caller) { c->setFocus(); });
  Method<TWinControl>(win, "function CanFocus: Boolean", [](TWinControl* c, Caller) { return c->canFocus(); });
  Method<TWinControl>(win, "function Focused: Boolean", [](TWinControl* c, Caller) { return c->focused(); });
  Property<TWinControl>(win, "ControlCount", "Integer", [](TWinControl* c) { return int(c->controls().size()); });
  win->AddIndexProperty(
      QStringLiteral("Controls"), QStringLiteral("Integer"), QStringLiteral("TControl"),
      [](QObject* o, const QMetaObject*, const QString&, Variant& p) {
        const QList<TControl*> controls = binding::As<TWinControl>(o)->controls();
        const int index = p.AsArray().At(0).ToInt();
        if (index < 0 || index >= controls.size()) ListIndexError(index);
        return Variant::FromObject(controls[index]);
      },
      true);
  addNotify(win, {"OnEnter", "OnExit"});
  win->AddEvent(QStringLiteral("OnKeyDown"), EventFactory<TfsKeyEvent>());
  win->AddEvent(QStringLiteral("OnKeyUp"), EventFactory<TfsKeyEvent>());
  win->AddEvent(QStringLiteral("OnKeyPress"), EventFactory<TfsKeyPressEvent>());
}

// Canvas and OnPaint for the classes that paint themselves.
void addPainting(TfsClassVariable* cls) {
  Property<TControl>(cls, "Canvas", "TCanvas", [](TControl* c) { return Variant::FromObject(c->canvas()); });
  addNotify(cls, {"OnPaint"});
}

void registerControls(TfsScript* script) {
  if (TfsClassVariable* custom = script->AddClassItem(&TCustomControl::staticMetaObject, QStringLiteral("TWinControl")))
    addPainting(custom);
  if (TfsClassVariable* graphic = script->AddClassItem(&TGraphicControl::staticMetaObject, QStringLiteral("TControl")))
    addPainting(graphic);
  script->AddClassItem(&TGroupBox::staticMetaObject, QStringLiteral("TCustomControl"));
  script->AddClassItem(&TLabel::staticMetaObject, QStringLiteral("TGraphicControl"));

  if (TfsClassVariable* edit = script->AddClassItem(&TEdit::staticMetaObject, QStringLiteral("TWinControl"))) {
    Method<TEdit>(edit, "procedure Clear", [](TEdit* e, Caller) { e->clear(); });
    Method<TEdit>(edit, "procedure SelectAll", [](TEdit* e, Caller) { e->selectAll(); });
    addNotify(edit, {"OnChange"});
  }
  if (TfsClassVariable* memo = script->AddClassItem(&TMemo::staticMetaObject, QStringLiteral("TWinControl"))) {
    Method<TMemo>(memo, "procedure Clear", [](TMemo* m, Caller) { m->clear(); });
    Method<TMemo>(memo, "procedure SelectAll", [](TMemo* m, Caller) { m->selectAll(); });
    addStringsProperty<TMemo, &TMemo::lines>(memo, "Lines");
    addNotify(memo, {"OnChange"});
  }
  if (TfsClassVariable* combo =
          script->AddClassItem(&TCustomComboBox::staticMetaObject, QStringLiteral("TWinControl"))) {
    Method<TCustomComboBox>(combo, "procedure Clear", [](TCustomComboBox* c, Caller) { c->clear(); });
    addStringsProperty<TCustomComboBox, &TCustomComboBox::items>(combo, "Items");
    addNotify(combo, {"OnChange", "OnDropDown", "OnCloseUp"});
  }
  script->AddClassItem(&TComboBox::staticMetaObject, QStringLiteral("TCustomComboBox"));
  if (TfsClassVariable* button = script->AddClassItem(&TButton::staticMetaObject, QStringLiteral("TWinControl")))
    Method<TButton>(button, "procedure Click", [](TButton* b, Caller) { b->click(); });
  script->AddClassItem(&TCheckBox::staticMetaObject, QStringLiteral("TWinControl"));
  script->AddClassItem(&TRadioButton::staticMetaObject, QStringLiteral("TWinControl"));
  if (TfsClassVariable* list = script->AddClassItem(&TCustomListBox::staticMetaObject, QStringLiteral("TWinControl"))) {
    Method<TCustomListBox>(list, "procedure Clear", [](TCustomListBox* l, Caller) { l->clear(); });
    addStringsProperty<TCustomListBox, &TCustomListBox::items>(list, "Items");
    list->AddIndexProperty(QStringLiteral("Selected"), QStringLiteral("Integer"), QStringLiteral("Boolean"),
                           [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                             TCustomListBox* l = binding::As<TCustomListBox>(o);
                             const int index = p.AsArray().At(0).ToInt();
                             if (name.endsWith(QLatin1String(".SET"))) {
                               l->setSelected(index, p.AsArray().At(1).ToBool());
                               return Variant::Null();
                             }
                             return Variant(l->selected(index));
                           });
  }
  script->AddClassItem(&TListBox::staticMetaObject, QStringLiteral("TCustomListBox"));
}

void registerScrollingAndForms(TfsScript* script) {
  script->AddClassItem(&TControlScrollBar::staticMetaObject, QStringLiteral("TPersistent"));
  if (TfsClassVariable* scrolling =
          script->AddClassItem(&TScrollingWinControl::staticMetaObject, QStringLiteral("TWinControl"))) {
    Property<TScrollingWinControl>(scrolling, "HorzScrollBar", "TControlScrollBar",
                                   [](TScrollingWinControl* s) { return Variant::FromObject(s->horzScrollBar()); });
    Property<TScrollingWinControl>(scrolling, "VertScrollBar", "TControlScrollBar",
                                   [](TScrollingWinControl* s) { return Variant::FromObject(s->vertScrollBar()); });
  }
  script->AddClassItem(&TScrollBox::staticMetaObject, QStringLiteral("TScrollingWinControl"));
  if (TfsClassVariable* form =
          script->AddClassItem(&TCustomForm::staticMetaObject, QStringLiteral("TScrollingWinControl"))) {
    Method<TCustomForm>(form, "function ShowModal: Integer", [](TCustomForm* f, Caller) { return f->showModal(); });
    Method<TCustomForm>(form, "procedure Close", [](TCustomForm* f, Caller) { f->close(); });
    Method<TCustomForm>(form, "procedure Release", [](TCustomForm* f, Caller) { f->release(); });
    addPainting(form);
    addNotify(form, {"OnActivate", "OnCreate", "OnDestroy", "OnDeactivate", "OnHide", "OnShow"});
    form->AddEvent(QStringLiteral("OnClose"), EventFactory<TfsCloseEvent>());
    form->AddEvent(QStringLiteral("OnCloseQuery"), EventFactory<TfsCloseQueryEvent>());
  }
  script->AddClassItem(&TForm::staticMetaObject, QStringLiteral("TCustomForm"));
  if (TfsClassVariable* module = script->AddClassItem(&TDataModule::staticMetaObject, QStringLiteral("TComponent"))) {
    module->AddConstructor(QStringLiteral("constructor Create(AOwner: TComponent)"),
                           [](QObject*, const QMetaObject* cls, const QString&, Caller c) {
                             return createComponent(cls, c->Arg(0));
                           });
    addNotify(module, {"OnDestroy"});
  }
  if (TfsClassVariable* app = script->AddClassItem(&TApplication::staticMetaObject, QStringLiteral("TComponent"))) {
    Method<TApplication>(app, "procedure ProcessMessages", [](TApplication* a, Caller) { a->processMessages(); });
    Method<TApplication>(app, "procedure Terminate", [](TApplication* a, Caller) { a->terminate(); });
    Method<TApplication>(app, "procedure Minimize", [](TApplication* a, Caller) { a->minimize(); });
    Method<TApplication>(app, "procedure Restore", [](TApplication* a, Caller) { a->restore(); });
  }
}

void registerConstants(TfsScript* script) {
  static const char* const kModalResults[] = {"mrNone", "mrOk",  "mrCancel", "mrAbort",   "mrRetry",   "mrIgnore",
                                              "mrYes",  "mrNo",  "mrAll",    "mrNoToAll", "mrYesToAll"};
  for (int i = 0; i < int(std::size(kModalResults)); ++i)
    script->AddConstItem(QString::fromLatin1(kModalResults[i]), QStringLiteral("Integer"), Variant(i));
  static const struct {
    const char* name;
    int value;
  } kCursors[] = {{"crDefault", 0},     {"crNone", -1},       {"crArrow", -2},     {"crCross", -3},
                  {"crIBeam", -4},      {"crSize", -22},      {"crSizeNESW", -6},  {"crSizeNS", -7},
                  {"crSizeNWSE", -8},   {"crSizeWE", -9},     {"crUpArrow", -10},  {"crHourGlass", -11},
                  {"crDrag", -12},      {"crNoDrop", -13},    {"crHSplit", -14},   {"crVSplit", -15},
                  {"crMultiDrag", -16}, {"crSQLWait", -17},   {"crNo", -18},       {"crAppStart", -19},
                  {"crHelp", -20},      {"crHandPoint", -21}, {"crSizeAll", -22}};
  for (const auto& c : kCursors)
    script->AddConstItem(QString::fromLatin1(c.name), QStringLiteral("Integer"), Variant(c.value));
  for (const VirtualKeyName& k : VirtualKeyNames())
    script->AddConstItem(QString::fromLatin1(k.name), QStringLiteral("Integer"), Variant(k.code));

  script->AddEnumItems(QStringLiteral("TFormBorderStyle"),
                       QStringLiteral("bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin"));
  script->AddEnumItems(QStringLiteral("TBorderStyle"), QStringLiteral("bsNone, bsSingle"));
  script->AddEnumItems(QStringLiteral("TAlignment"), QStringLiteral("taLeftJustify, taRightJustify, taCenter"));
  script->AddEnumItems(QStringLiteral("TLeftRight"), QStringLiteral("taLeftJustify, taRightJustify"));
  script->AddEnumSetItems(QStringLiteral("TShiftState"),
                          QStringLiteral("ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble"));
  script->AddEnumItems(QStringLiteral("TAlign"),
                       QStringLiteral("alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom"));
  script->AddEnumItems(QStringLiteral("TMouseButton"), QStringLiteral("mbLeft, mbRight, mbMiddle"));
  script->AddEnumSetItems(QStringLiteral("TAnchors"), QStringLiteral("akLeft, akTop, akRight, akBottom"));
  script->AddEnumItems(QStringLiteral("TBevelCut"), QStringLiteral("bvNone, bvLowered, bvRaised, bvSpace"));
  script->AddEnumItems(QStringLiteral("TTextLayout"), QStringLiteral("tlTop, tlCenter, tlBottom"));
  script->AddEnumItems(QStringLiteral("TEditCharCase"), QStringLiteral("ecNormal, ecUpperCase, ecLowerCase"));
  script->AddEnumItems(QStringLiteral("TScrollStyle"), QStringLiteral("ssNone, ssHorizontal, ssVertical, ssBoth"));
  script->AddEnumItems(QStringLiteral("TComboBoxStyle"),
                       QStringLiteral("csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable"));
  script->AddEnumItems(QStringLiteral("TCheckBoxState"), QStringLiteral("cbUnchecked, cbChecked, cbGrayed"));
  script->AddEnumItems(QStringLiteral("TListBoxStyle"),
                       QStringLiteral("lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable"));
  script->AddEnumItems(QStringLiteral("TWindowState"), QStringLiteral("wsNormal, wsMinimized, wsMaximized"));
  script->AddEnumItems(QStringLiteral("TFormStyle"), QStringLiteral("fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop"));
  script->AddEnumSetItems(QStringLiteral("TBorderIcons"),
                          QStringLiteral("biSystemMenu, biMinimize, biMaximize, biHelp"));
  script->AddEnumItems(QStringLiteral("TPosition"),
                       QStringLiteral("poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, "
                                      "poDesktopCenter, poMainFormCenter, poOwnerFormCenter"));
  script->AddEnumItems(QStringLiteral("TCloseAction"), QStringLiteral("caNone, caHide, caFree, caMinimize"));
}

}  // namespace

TfsFormsModule::TfsFormsModule(TfsScript* script) : TfsRTTIModule(script) {
  registerConstants(script);
  registerControl(script);
  registerControls(script);
  registerScrollingAndForms(script);
  auto* application = new TApplication();
  application_ = application;
  script->AddObjectItem(QStringLiteral("Application"), application);
}

TfsFormsModule::~TfsFormsModule() { delete application_.data(); }

void RegisterFormsModule() {
  RegisterModule(QStringLiteral("Forms"), [](TfsScript* script) { return std::make_unique<TfsFormsModule>(script); });
}

}  // namespace valmoro::script
