// The report classes module: what scripts of reports see of the report model.

#include "report/model/script_classes.h"

#include <QFile>
#include <QMetaEnum>
#include <functional>

#include "platform/database.h"
#include "platform/file_errors.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/class_registry.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/memo_view.h"
#include "report/model/persistent.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_files.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/resources.h"
#include "report/model/script_hooks.h"
#include "report/model/style.h"
#include "script/binding_modules.h"
#include "script/host_classes.h"
#include "script/host_persistent.h"
#include "script/host_streams.h"
#include "script/memory_limits.h"
#include "script/run_error.h"

namespace valmoro::report {

using script::RunError;
using script::TfsClassVariable;
using script::TfsMethodHelper;
using script::TfsScript;
using script::Variant;
namespace error_class = script::error_class;

// --- TfrxArray ---------------------------------------------------------------------------

int TfrxArray::indexOf(const Variant& key) const {
  for (int i = 0; i < int(items_.size()); ++i) {
    const Variant& k = items_[size_t(i)].first;
    // Values of different kinds (a text and a number) are different keys.
    if (k.IsString() != key.IsString() || k.IsNumeric() != key.IsNumeric()) continue;
    try {
      if (script::VarEquals(k, key)) return i;
    } catch (const script::ScriptError&) {
      // Keys that cannot be compared are not equal.
    }
  }
  return -1;
}

Variant TfrxArray::Get(const Variant& key) const {
  const int i = indexOf(key);
  return i < 0 ? Variant::Null() : items_[size_t(i)].second;
}

void TfrxArray::Set(const Variant& key, const Variant& value) {
  const int i = indexOf(key);
  if (i < 0) items_.emplace_back(key, value);
  else items_[size_t(i)].second = value;
}

QString FunctionCategoryCaption(const QString& category) { return resources::text(category); }

namespace {

using Caller = TfsMethodHelper*;

// --- Helpers -----------------------------------------------------------------------------

// Errors of the report model reach the script as exceptions it can catch.
template <class F>
Variant guard(F&& f) {
  try {
    return f();
  } catch (const ReportError& e) {
    throw RunError(error_class::Exception, e.message());
  } catch (const db::DbError& e) {
    throw RunError(error_class::Exception, e.message());
  }
}

template <class T>
T* self(QObject* object) {
  if (auto* t = qobject_cast<T*>(object)) return t;
  throw RunError(error_class::InvalidOperation,
                 QStringLiteral("Object is not a %1").arg(script::ScriptClassName(&T::staticMetaObject)));
}

// A method of class T; f(T*, Caller) gives the result (Null for procedures).
template <class T, class F>
void method(TfsClassVariable* cls, const char* declaration, F f) {
  cls->AddMethod(QString::fromUtf8(declaration),
                 [f](QObject* o, const QMetaObject*, const QString&, Caller c) -> Variant {
                   return guard([&] { return Variant(f(self<T>(o), c)); });
                 });
}

template <class T, class G>
void readOnly(TfsClassVariable* cls, const char* name, const char* type, G get) {
  cls->AddProperty(QString::fromLatin1(name), QString::fromLatin1(type),
                   [get](QObject* o, const QMetaObject*, const QString&) -> Variant {
                     return guard([&] { return Variant(get(self<T>(o))); });
                   });
}

template <class T, class G, class S>
void readWrite(TfsClassVariable* cls, const char* name, const char* type, G get, S set) {
  cls->AddProperty(
      QString::fromLatin1(name), QString::fromLatin1(type),
      [get](QObject* o, const QMetaObject*, const QString&) -> Variant {
        return guard([&] { return Variant(get(self<T>(o))); });
      },
      [set](QObject* o, const QMetaObject*, const QString&, const Variant& v) {
        guard([&] {
          set(self<T>(o), v);
          return Variant::Null();
        });
      });
}

// An indexed property: get(T*, index); set(T*, index, value) for writable ones.
template <class T, class G>
void indexed(TfsClassVariable* cls, const char* name, const char* indexType, const char* type, G get,
             std::function<void(T*, const Variant&, const Variant&)> set = {}, bool isDefault = false) {
  script::TfsCallMethodEvent handler = [get, set](QObject* o, const QMetaObject*, const QString& n,
                                                  Variant& params) -> Variant {
    return guard([&] {
      T* t = self<T>(o);
      const Variant index = params.AsArray().At(0);
      if (n.endsWith(QLatin1String(".SET"))) {
        if (set) set(t, index, params.AsArray().At(1));
        return Variant::Null();
      }
      return Variant(get(t, index));
    });
  };
  const QString n = QString::fromLatin1(name), i = QString::fromLatin1(indexType), ty = QString::fromLatin1(type);
  if (isDefault) cls->AddDefaultProperty(n, i, ty, handler, !set);
  else cls->AddIndexProperty(n, i, ty, handler, !set);
}

// Report values as script values: Null for no value, date-times as dates.
Variant toScript(const QVariant& value) {
  if (value.isNull()) return Variant::Null();
  return script::FromQVariant(value);
}

QVariant fromScript(const Variant& value) {
  switch (value.Kind()) {
    case script::VarKind::Empty:
    case script::VarKind::Null:
      return QVariant();
    case script::VarKind::Date:
      return QVariant(script::DaysToDateTime(value.ToDate()));
    case script::VarKind::Object:
      return QVariant::fromValue(value.AsObject());
    default:
      return script::ToQVariant(value, QMetaType());
  }
}

// A script stream or a Qt device, as a device for the model's readers and writers.
template <class F>
void withStream(const Variant& argument, F f) {
  QObject* object = argument.ToObject();
  if (auto* device = qobject_cast<QIODevice*>(object)) {
    f(*device);
    return;
  }
  if (auto* stream = qobject_cast<script::TStream*>(object)) {
    script::TStreamDevice device(stream);
    f(device);
    return;
  }
  throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a stream"));
}

script::TStrings* stringsArgument(const Variant& argument) {
  auto* list = qobject_cast<script::TStrings*>(argument.ToObject());
  if (!list) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a string list"));
  return list;
}

// The lines of a text view as scripts hold them: every change of the list
// is written back to the view at once (Memo1.Lines.Add('x') changes the
// view), and each read of Lines refills it from the view.
class MemoLines : public script::TStringList {
public:
  explicit MemoLines(TfrxCustomMemoView* memo) : script::TStringList(memo), memo_(memo) {
    setObjectName(QStringLiteral("Lines"));
  }

  void reload() {
    loading_ = true;
    clear();
    for (const QString& line : memo_->Memo()) add(line);
    loading_ = false;
  }

protected:
  void Changed() override {
    if (loading_) return;
    QStringList lines;
    for (int i = 0; i < count(); ++i) lines.append(at(i));
    memo_->SetMemo(lines);
  }

private:
  TfrxCustomMemoView* memo_;
  bool loading_ = false;
};

// The list object a component hands out for Objects / AllObjects: one per
// component and kind, filled anew on each read (the lists are rebuilt on
// every request anyway), freed with the component.
script::TList* objectList(TfrxComponent* owner, const QString& key, const QList<TfrxComponent*>& items) {
  auto* list = owner->findChild<script::TList*>(key, Qt::FindDirectChildrenOnly);
  if (!list) {
    list = new script::TList(owner);
    list->setObjectName(key);
  }
  list->clear();
  for (TfrxComponent* item : items) list->add(Variant::FromObject(item));
  return list;
}

ReportDialogHooks& dialogs(const char* operation) {
  ReportDialogHooks* h = hooks::reportDialogHooks();
  if (!h) hooks::missingHook(QStringLiteral("Okna dialogowe raportu"), QString::fromLatin1(operation));
  return *h;
}

// --- Classes -----------------------------------------------------------------------------

class Registrar {
public:
  explicit Registrar(TfsScript* script) : script_(script) {}

  // The class item of a report class, registered (with its ancestors and the
  // classes of its object properties) when missing.
  TfsClassVariable* ensure(const QMetaObject* cls) {
    if (TfsClassVariable* known = script_->FindClassItemOf(cls); known && known->ClassRef == cls) return known;
    const QString ancestor = ancestorOf(cls);
    TfsClassVariable* item = script_->AddClassItem(cls, ancestor);
    if (!item) item = script_->FindClassItem(script::ScriptClassName(cls));
    if (!item) return nullptr;
    // Memo1.Font.Size: the value objects behind published properties.
    for (int i = QObject::staticMetaObject.propertyCount(); i < cls->propertyCount(); ++i) {
      const QMetaType type = cls->property(i).metaType();
      if ((type.flags() & QMetaType::PointerToQObject) && type.metaObject()) ensure(type.metaObject());
    }
    return item;
  }

  template <class T>
  TfsClassVariable* ensure() {
    return ensure(&T::staticMetaObject);
  }

private:
  QString ancestorOf(const QMetaObject* cls) {
    // Where the report classes meet the script's own base classes.
    if (cls == &TfrxComponent::staticMetaObject) return QStringLiteral("TComponent");
    if (cls == &TWideStrings::staticMetaObject) return QStringLiteral("TPersistent");
    if (cls == &TfrxVariables::staticMetaObject || cls == &TfrxStyles::staticMetaObject ||
        cls == &TfrxArray::staticMetaObject || cls == &TfrxReportDataSets::staticMetaObject)
      return QStringLiteral("TCollection");
    if (cls == &TfrxVariable::staticMetaObject || cls == &TfrxStyleItem::staticMetaObject ||
        cls == &TfrxDataSetItem::staticMetaObject)
      return QStringLiteral("TCollectionItem");
    const QMetaObject* super = cls->superClass();
    if (!super || super == &QObject::staticMetaObject) return QStringLiteral("TObject");
    if (super == &Persistent::staticMetaObject) return QStringLiteral("TPersistent");
    TfsClassVariable* item = ensure(super);
    return item ? item->Name() : QStringLiteral("TObject");
  }

  TfsScript* script_;
};

void registerConstants(TfsScript* s) {
  // Report units: pixels at 96 per inch.
  static const struct {
    const char* name;
    double value;
  } kUnits[] = {{"fr01cm", 3.77953}, {"fr1cm", 37.7953}, {"fr01in", 9.6},
                {"fr1in", 96},       {"fr1CharX", 9.6},   {"fr1CharY", 17}};
  for (const auto& c : kUnits) s->AddConstItem(QString::fromLatin1(c.name), QStringLiteral("Extended"), Variant(c.value));
  s->AddConstItem(QStringLiteral("clTransparent"), QStringLiteral("Integer"), Variant(int(clTransparent)));
  s->AddConstItem(QStringLiteral("crHand"), QStringLiteral("Integer"), Variant(150));
  s->AddConstItem(QStringLiteral("crZoom"), QStringLiteral("Integer"), Variant(151));
  s->AddConstItem(QStringLiteral("crFormat"), QStringLiteral("Integer"), Variant(152));
}

// Enumerations and sets by the member names of the report model.
void registerEnumerations(TfsScript* s) {
  static const char* const kEnums[] = {"TfrxStretchMode", "TfrxShiftMode", "TfrxDuplexMode", "TfrxAlign",
                                       "TfrxFrameStyle",  "TfrxHAlign",    "TfrxVAlign",     "TfrxShapeKind",
                                       "TfrxZoomMode",    "TfrxPrintPages", "TfrxRangeBegin", "TfrxRangeEnd",
                                       "TfrxFieldType",   "TfrxFormatKind"};
  static const char* const kSets[] = {"TfrxFrameTypes", "TfrxRestrictions", "TfrxPreviewButtons"};
  const QMetaObject& model = staticMetaObject;
  const auto keysOf = [&](const char* name, bool isSet) {
    const QMetaEnum e = model.enumerator(model.indexOfEnumerator(name));
    QStringList keys;
    Q_UNUSED(isSet)
    for (int k = 0; k < e.keyCount(); ++k) {
      // The script numbers members in order (sets: bit n); the model's values follow that rule.
      Q_ASSERT(e.value(k) == (isSet ? 1 << k : k));
      keys.append(QString::fromLatin1(e.key(k)));
    }
    return keys.join(QStringLiteral(", "));
  };
  for (const char* name : kEnums) s->AddEnumItems(QString::fromLatin1(name), keysOf(name, false));
  for (const char* name : kSets) s->AddEnumSetItems(QString::fromLatin1(name), keysOf(name, true));
}

void registerWideStrings(Registrar& r) {
  TfsClassVariable* c = r.ensure<TWideStrings>();
  if (!c) return;
  c->AddConstructor(QStringLiteral("constructor Create"), script::TfsCallMethodEvent());
  method<TWideStrings>(c, "function Add(const S: string): Integer",
                       [](TWideStrings* l, Caller a) { return Variant(l->add(a->Arg(0).ToString())); });
  method<TWideStrings>(c, "function AddObject(const S: string; AObject: TObject): Integer",
                       [](TWideStrings* l, Caller a) { return Variant(l->add(a->Arg(0).ToString(), a->Arg(1).ToObject())); });
  method<TWideStrings>(c, "procedure Clear", [](TWideStrings* l, Caller) {
    l->clear();
    return Variant::Null();
  });
  method<TWideStrings>(c, "procedure Delete(Index: Integer)", [](TWideStrings* l, Caller a) {
    l->remove(a->Arg(0).ToInt());
    return Variant::Null();
  });
  method<TWideStrings>(c, "function IndexOf(const S: string): Integer",
                       [](TWideStrings* l, Caller a) { return Variant(l->indexOf(a->Arg(0).ToString())); });
  method<TWideStrings>(c, "procedure Insert(Index: Integer; const S: string)", [](TWideStrings* l, Caller a) {
    l->insert(a->Arg(0).ToInt(), a->Arg(1).ToString());
    return Variant::Null();
  });
  method<TWideStrings>(c, "procedure LoadFromFile(const FileName: string)", [](TWideStrings* l, Caller a) {
    l->loadFromFile(a->Arg(0).ToString());
    return Variant::Null();
  });
  method<TWideStrings>(c, "procedure LoadFromStream(Stream: TStream)", [](TWideStrings* l, Caller a) {
    withStream(a->Arg(0), [&](QIODevice& d) {
      script::CheckStreamSize(d.bytesAvailable());  // refused before it is read
      l->setBytes(d.readAll());
    });
    return Variant::Null();
  });
  method<TWideStrings>(c, "procedure SaveToFile(const FileName: string)", [](TWideStrings* l, Caller a) {
    l->saveToFile(a->Arg(0).ToString());
    return Variant::Null();
  });
  method<TWideStrings>(c, "procedure SaveToStream(Stream: TStream)", [](TWideStrings* l, Caller a) {
    withStream(a->Arg(0), [&](QIODevice& d) { d.write(l->toBytes()); });
    return Variant::Null();
  });
  readOnly<TWideStrings>(c, "Count", "Integer", [](TWideStrings* l) { return l->count(); });
  indexed<TWideStrings>(
      c, "Objects", "Integer", "TObject",
      [](TWideStrings* l, const Variant& i) { return Variant::FromObject(l->objectAt(i.ToInt())); },
      [](TWideStrings* l, const Variant& i, const Variant& v) { l->putObject(i.ToInt(), v.ToObject()); });
  indexed<TWideStrings>(
      c, "Strings", "Integer", "String", [](TWideStrings* l, const Variant& i) { return l->at(i.ToInt()); },
      [](TWideStrings* l, const Variant& i, const Variant& v) { l->put(i.ToInt(), v.ToString()); }, true);
  readWrite<TWideStrings>(
      c, "Text", "String", [](TWideStrings* l) { return l->text(); },
      [](TWideStrings* l, const Variant& v) { l->setText(v.ToString()); });
}

void registerDataSets(Registrar& r) {
  TfsClassVariable* c = r.ensure<TfrxDataSet>();
  if (!c) return;
  method<TfrxDataSet>(c, "procedure Open", [](TfrxDataSet* d, Caller) {
    d->Open();
    return Variant::Null();
  });
  method<TfrxDataSet>(c, "procedure Close", [](TfrxDataSet* d, Caller) {
    d->Close();
    return Variant::Null();
  });
  method<TfrxDataSet>(c, "procedure First", [](TfrxDataSet* d, Caller) {
    d->First();
    return Variant::Null();
  });
  method<TfrxDataSet>(c, "procedure Next", [](TfrxDataSet* d, Caller) {
    d->Next();
    return Variant::Null();
  });
  method<TfrxDataSet>(c, "procedure Prior", [](TfrxDataSet* d, Caller) {
    d->Prior();
    return Variant::Null();
  });
  method<TfrxDataSet>(c, "function Eof: Boolean", [](TfrxDataSet* d, Caller) { return Variant(d->Eof()); });
  method<TfrxDataSet>(c, "function FieldsCount: Integer", [](TfrxDataSet* d, Caller) { return Variant(d->FieldsCount()); });
  method<TfrxDataSet>(c, "function HasField(const fName: String): Boolean",
                      [](TfrxDataSet* d, Caller a) { return Variant(d->HasField(a->Arg(0).ToString())); });
  method<TfrxDataSet>(c, "function IsBlobField(const fName: String): Boolean",
                      [](TfrxDataSet* d, Caller a) { return Variant(d->IsBlobField(a->Arg(0).ToString())); });
  method<TfrxDataSet>(c, "function RecordCount: Integer", [](TfrxDataSet* d, Caller) { return Variant(d->RecordCount()); });
  method<TfrxDataSet>(c, "procedure GetFieldList(List: TStrings)", [](TfrxDataSet* d, Caller a) {
    script::TStrings* target = stringsArgument(a->Arg(0));
    QStringList fields;
    d->GetFieldList(fields);
    target->clear();
    for (const QString& f : fields) target->add(f);
    return Variant::Null();
  });
  readOnly<TfrxDataSet>(c, "RecNo", "Integer", [](TfrxDataSet* d) { return d->RecNo(); });
  indexed<TfrxDataSet>(c, "DisplayText", "String", "String",
                       [](TfrxDataSet* d, const Variant& f) { return d->DisplayText(f.ToString()); });
  indexed<TfrxDataSet>(c, "DisplayWidth", "String", "Integer",
                       [](TfrxDataSet* d, const Variant& f) { return d->DisplayWidth(f.ToString()); });
  indexed<TfrxDataSet>(c, "FieldType", "String", "TfrxFieldType",
                       [](TfrxDataSet* d, const Variant& f) { return int(d->FieldType(f.ToString())); });
  indexed<TfrxDataSet>(c, "Value", "String", "Variant",
                       [](TfrxDataSet* d, const Variant& f) { return toScript(d->Value(f.ToString())); });
  r.ensure<TfrxUserDataSet>();
  r.ensure<TfrxCustomDBDataSet>();
}

void registerComponent(Registrar& r) {
  TfsClassVariable* c = r.ensure<TfrxComponent>();
  if (!c) return;
  // TfrxMemoView.Create(Page1): an object of the class the constructor is
  // called on, placed under the owner.
  c->AddConstructor(QStringLiteral("constructor Create(AOwner: TComponent)"),
                    [](QObject*, const QMetaObject* cls, const QString&, Caller a) -> Variant {
                      return guard([&] {
                        QObject* ownerObject = a->Arg(0).ToObject();
                        auto* owner = qobject_cast<TfrxComponent*>(ownerObject);
                        if (ownerObject && !owner)
                          throw RunError(error_class::InvalidOperation,
                                         QStringLiteral("Właścicielem obiektu raportu musi być obiekt raportu"));
                        if (cls && cls->inherits(&TfrxReport::staticMetaObject)) return Variant::FromObject(new TfrxReport);
                        TfrxComponent* created = cls ? createObject(reportClassName(*cls), owner) : nullptr;
                        if (!created)
                          throw RunError(error_class::InvalidOperation,
                                         QStringLiteral("Nie można utworzyć obiektu klasy %1")
                                             .arg(cls ? reportClassName(*cls) : QStringLiteral("?")));
                        return Variant::FromObject(created);
                      });
                    });
  method<TfrxComponent>(c, "procedure Clear", [](TfrxComponent* o, Caller) {
    if (auto* report = qobject_cast<TfrxReport*>(o)) report->Clear();
    else o->RemoveChildren();
    return Variant::Null();
  });
  method<TfrxComponent>(c, "function FindObject(s: String): TfrxComponent", [](TfrxComponent* o, Caller a) {
    return Variant::FromObject(o->FindObject(a->Arg(0).ToString()));
  });
  method<TfrxComponent>(c, "procedure LoadFromStream(Stream: TStream)", [](TfrxComponent* o, Caller a) {
    withStream(a->Arg(0), [&](QIODevice& d) { o->ReadFromStream(d); });
    return Variant::Null();
  });
  method<TfrxComponent>(c, "procedure SaveToStream(Stream: TStream; SaveChildren: Boolean = True)",
                        [](TfrxComponent* o, Caller a) {
                          const bool children = a->Arg(1).ToBool();
                          withStream(a->Arg(0), [&](QIODevice& d) { o->SaveToStream(d, children); });
                          return Variant::Null();
                        });
  method<TfrxComponent>(c, "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Extended)", [](TfrxComponent* o, Caller a) {
    o->SetBounds(a->Arg(0).ToDouble(), a->Arg(1).ToDouble(), a->Arg(2).ToDouble(), a->Arg(3).ToDouble());
    return Variant::Null();
  });
  readOnly<TfrxComponent>(c, "Objects", "TList", [](TfrxComponent* o) {
    return Variant::FromObject(objectList(o, QStringLiteral("Objects"), o->Objects()));
  });
  readOnly<TfrxComponent>(c, "AllObjects", "TList", [](TfrxComponent* o) {
    return Variant::FromObject(objectList(o, QStringLiteral("AllObjects"), o->AllObjects()));
  });
  readWrite<TfrxComponent>(
      c, "Parent", "TfrxComponent", [](TfrxComponent* o) { return Variant::FromObject(o->Parent()); },
      [](TfrxComponent* o, const Variant& v) {
        QObject* target = v.ToObject();
        auto* parent = qobject_cast<TfrxComponent*>(target);
        if (target && !parent)
          throw RunError(error_class::InvalidOperation, QStringLiteral("Rodzicem obiektu raportu musi być obiekt raportu"));
        o->SetParent(parent);
      });
  readOnly<TfrxComponent>(c, "Page", "TfrxPage", [](TfrxComponent* o) { return Variant::FromObject(o->Page()); });
  readOnly<TfrxComponent>(c, "AbsLeft", "Extended", [](TfrxComponent* o) { return o->AbsLeft(); });
  readOnly<TfrxComponent>(c, "AbsTop", "Extended", [](TfrxComponent* o) { return o->AbsTop(); });
}

void registerViews(Registrar& r) {
  r.ensure<TfrxReportComponent>();
  r.ensure<TfrxDialogComponent>();
  if (TfsClassVariable* c = r.ensure<TfrxDialogControl>())
    method<TfrxDialogControl>(c, "procedure SetFocus", [](TfrxDialogControl* o, Caller) {
      dialogs("SetFocus").SetFocus(*o);
      return Variant::Null();
    });
  if (TfsClassVariable* c = r.ensure<TfrxView>())
    readWrite<TfrxView>(
        c, "TagStr", "String", [](TfrxView* v) { return v->TagStr(); },
        [](TfrxView* v, const Variant& value) { v->SetTagStr(value.ToString()); });
  if (TfsClassVariable* c = r.ensure<TfrxStretcheable>())
    method<TfrxStretcheable>(c, "function CalcHeight: Extended",
                             [](TfrxStretcheable* v, Caller) { return Variant(v->CalcHeight()); });
  if (TfsClassVariable* c = r.ensure<TfrxCustomMemoView>()) {
    method<TfrxCustomMemoView>(c, "function CalcWidth: Extended",
                               [](TfrxCustomMemoView* v, Caller) { return Variant(v->CalcWidth()); });
    // Script strings are Unicode: a text never arrives in a code page, so
    // Text and AnsiText store it as it is.
    const auto getText = [](TfrxCustomMemoView* v) { return v->Text(); };
    const auto setText = [](TfrxCustomMemoView* v, const Variant& value) { v->SetText(value.ToString()); };
    readWrite<TfrxCustomMemoView>(c, "Text", "String", getText, setText);
    readWrite<TfrxCustomMemoView>(c, "AnsiText", "String", getText, setText);
    // Reading gives the memo's lines as a string list bound to the memo;
    // writing takes a string list or a text.
    readWrite<TfrxCustomMemoView>(
        c, "Lines", "TStrings",
        [](TfrxCustomMemoView* v) {
          auto* lines = dynamic_cast<MemoLines*>(
              v->findChild<script::TStringList*>(QStringLiteral("Lines"), Qt::FindDirectChildrenOnly));
          if (!lines) lines = new MemoLines(v);
          lines->reload();
          return Variant::FromObject(lines);
        },
        [](TfrxCustomMemoView* v, const Variant& value) {
          if (value.IsObject() || value.IsNilObject()) {
            const script::TStrings* list = stringsArgument(value);
            QStringList lines;
            for (int i = 0; i < list->count(); ++i) lines.append(list->at(i));
            v->SetMemo(lines);
          } else {
            v->SetText(value.ToString());
          }
        });
    // The value the view showed last (Null before any preparation).
    readOnly<TfrxCustomMemoView>(c, "Value", "Variant", [](TfrxCustomMemoView* v) { return v->Value(); });
  }
  if (TfsClassVariable* c = r.ensure<TfrxPictureView>())
    method<TfrxPictureView>(c, "procedure LoadFromFile(filename: String)", [](TfrxPictureView* v, Caller a) {
      const QString name = a->Arg(0).ToString();
      QFile file(name);
      if (!file.open(QIODevice::ReadOnly))
        throw ReportError(cannotOpenMessage(name, files::ioErrorText(file)));
      script::CheckStreamSize(file.size());
      if (!v->Picture()->LoadFromData(file.readAll()))
        throw ReportError(QStringLiteral("Plik %1 nie zawiera obrazu w znanym formacie").arg(name));
      return Variant::Null();
    });
  if (TfsClassVariable* c = r.ensure<TfrxBand>())
    readOnly<TfrxBand>(c, "Overflow", "Boolean", [](TfrxBand* b) {
      // Hook: the engine says whether the band is being continued; without
      // it no band has overflowed.
      ReportLayoutHooks* h = hooks::reportLayoutHooks();
      return h ? h->Overflow(*b) : false;
    });
}

void registerPages(Registrar& r) {
  r.ensure<TfrxPage>();
  if (TfsClassVariable* c = r.ensure<TfrxDialogPage>()) {
    method<TfrxDialogPage>(c, "function ShowModal: Integer",
                           [](TfrxDialogPage* p, Caller) { return Variant(dialogs("ShowModal").ShowModal(*p)); });
    readWrite<TfrxDialogPage>(
        c, "ModalResult", "Integer",
        [](TfrxDialogPage* p) {
          ReportDialogHooks* h = hooks::reportDialogHooks();
          return h ? h->ModalResult(*p) : 0;
        },
        [](TfrxDialogPage* p, const Variant& v) { dialogs("ModalResult").SetModalResult(*p, v.ToInt()); });
  }
  if (TfsClassVariable* c = r.ensure<TfrxEngineOptions>())
    readWrite<TfrxEngineOptions>(
        c, "DestroyForms", "Boolean", [](TfrxEngineOptions* o) { return o->DestroyForms(); },
        [](TfrxEngineOptions* o, const Variant& v) { o->SetDestroyForms(v.ToBool()); });
}

void registerLists(Registrar& r) {
  r.ensure<TfrxVariable>();
  if (TfsClassVariable* c = r.ensure<TfrxVariables>()) {
    c->AddConstructor(QStringLiteral("constructor Create"), [](QObject*, const QMetaObject*, const QString&, Caller) {
      return Variant::FromObject(new TfrxVariables);
    });
    indexed<TfrxVariables>(
        c, "Variables", "String", "Variant",
        [](TfrxVariables* v, const Variant& name) { return toScript(v->Value(name.ToString())); },
        [](TfrxVariables* v, const Variant& name, const Variant& value) {
          v->SetValue(name.ToString(), fromScript(value));
        },
        true);
  }
  r.ensure<TfrxStyleItem>();
  if (TfsClassVariable* c = r.ensure<TfrxStyles>()) {
    c->AddConstructor(QStringLiteral("constructor Create(AReport: TfrxReport)"),
                      [](QObject*, const QMetaObject*, const QString&, Caller a) {
                        return Variant::FromObject(new TfrxStyles(qobject_cast<TfrxReport*>(a->Arg(0).ToObject())));
                      });
    indexed<TfrxStyles>(c, "Items", "Integer", "TfrxStyleItem", [](TfrxStyles* s, const Variant& i) {
      const int index = i.ToInt();
      if (index < 0 || index >= s->Count())
        throw RunError(error_class::RangeError, QStringLiteral("List index out of bounds (%1)").arg(index));
      return Variant::FromObject(s->Item(index));
    }, {}, true);
    method<TfrxStyles>(c, "function Add: TfrxStyleItem", [](TfrxStyles* s, Caller) { return Variant::FromObject(s->Add()); });
    method<TfrxStyles>(c, "function Find(const Name: String): TfrxStyleItem",
                       [](TfrxStyles* s, Caller a) { return Variant::FromObject(s->Find(a->Arg(0).ToString())); });
    method<TfrxStyles>(c, "procedure Apply", [](TfrxStyles* s, Caller) {
      s->Apply();
      return Variant::Null();
    });
    method<TfrxStyles>(c, "procedure GetList(List: TStrings)", [](TfrxStyles* s, Caller a) {
      script::TStrings* target = stringsArgument(a->Arg(0));
      target->clear();
      for (int i = 0; i < s->Count(); ++i) target->add(s->Item(i)->Name());
      return Variant::Null();
    });
    method<TfrxStyles>(c, "procedure LoadFromFile(const FileName: String)", [](TfrxStyles* s, Caller a) {
      s->LoadFromFile(a->Arg(0).ToString());
      return Variant::Null();
    });
    method<TfrxStyles>(c, "procedure LoadFromStream(Stream: TStream)", [](TfrxStyles* s, Caller a) {
      withStream(a->Arg(0), [&](QIODevice& d) { s->LoadFromStream(d); });
      return Variant::Null();
    });
    method<TfrxStyles>(c, "procedure SaveToFile(const FileName: String)", [](TfrxStyles* s, Caller a) {
      s->SaveToFile(a->Arg(0).ToString());
      return Variant::Null();
    });
    method<TfrxStyles>(c, "procedure SaveToStream(Stream: TStream)", [](TfrxStyles* s, Caller a) {
      withStream(a->Arg(0), [&](QIODevice& d) { s->SaveToStream(d); });
      return Variant::Null();
    });
  }
  if (TfsClassVariable* c = r.ensure<TfrxArray>()) {
    c->AddConstructor(QStringLiteral("constructor Create"), script::TfsCallMethodEvent());
    indexed<TfrxArray>(
        c, "Variables", "Variant", "Variant", [](TfrxArray* a, const Variant& key) { return a->Get(key); },
        [](TfrxArray* a, const Variant& key, const Variant& value) { a->Set(key, value); }, true);
  }
}

void registerReport(Registrar& r) {
  TfsClassVariable* c = r.ensure<TfrxReport>();
  if (!c) return;
  method<TfrxReport>(c, "function Calc(const Expr: String): Variant",
                     [](TfrxReport* rep, Caller a) { return toScript(rep->Calc(a->Arg(0).ToString())); });
  method<TfrxReport>(c, "function GetDataset(const Alias: String): TfrxDataset",
                     [](TfrxReport* rep, Caller a) { return Variant::FromObject(rep->GetDataset(a->Arg(0).ToString())); });
  method<TfrxReport>(c, "function LoadFromFile(const FileName: String): Boolean",
                     [](TfrxReport* rep, Caller a) { return Variant(rep->LoadFromFile(a->Arg(0).ToString())); });
  method<TfrxReport>(c, "procedure SaveToFile(const FileName: String)", [](TfrxReport* rep, Caller a) {
    rep->WriteToFile(a->Arg(0).ToString());
    return Variant::Null();
  });
  method<TfrxReport>(c, "procedure ShowReport", [](TfrxReport* rep, Caller) {
    rep->ShowReport();
    return Variant::Null();
  });
  readWrite<TfrxReport>(
      c, "Terminated", "Boolean", [](TfrxReport* rep) { return rep->Terminated(); },
      [](TfrxReport* rep, const Variant& v) { rep->SetTerminated(v.ToBool()); });
  readOnly<TfrxReport>(c, "Variables", "TfrxVariables",
                       [](TfrxReport* rep) { return Variant::FromObject(rep->Variables()); });
  readOnly<TfrxReport>(c, "Styles", "TfrxStyles", [](TfrxReport* rep) { return Variant::FromObject(rep->Styles()); });
}

void registerEngine(Registrar& r) {
  if (TfsClassVariable* c = r.ensure<TfrxCustomEngine>()) {
    method<TfrxCustomEngine>(c, "procedure AddAnchor(const Text: String)", [](TfrxCustomEngine* e, Caller a) {
      e->AddAnchor(a->Arg(0).ToString());
      return Variant::Null();
    });
    method<TfrxCustomEngine>(c, "procedure NewPage", [](TfrxCustomEngine* e, Caller) {
      e->NewPage();
      return Variant::Null();
    });
    method<TfrxCustomEngine>(c, "procedure NewColumn", [](TfrxCustomEngine* e, Caller) {
      e->NewColumn();
      return Variant::Null();
    });
    method<TfrxCustomEngine>(c, "procedure ShowBand(Band: TfrxBand)", [](TfrxCustomEngine* e, Caller a) {
      e->ShowBand(qobject_cast<TfrxBand*>(a->Arg(0).ToObject()));
      return Variant::Null();
    });
    method<TfrxCustomEngine>(c, "procedure StopReport", [](TfrxCustomEngine* e, Caller) {
      e->StopReport();
      return Variant::Null();
    });
    method<TfrxCustomEngine>(c, "function FreeSpace: Extended",
                             [](TfrxCustomEngine* e, Caller) { return Variant(e->FreeSpace()); });
    method<TfrxCustomEngine>(c, "function GetAnchorPage(const Text: String): Integer",
                             [](TfrxCustomEngine* e, Caller a) { return Variant(e->GetAnchorPage(a->Arg(0).ToString())); });
    for (const char* name : {"CurX", "CurY"})
      readWrite<TfrxCustomEngine>(
          c, name, "Extended", [name](TfrxCustomEngine* e) { return script::FromQVariant(e->State(QLatin1String(name))); },
          [name](TfrxCustomEngine* e, const Variant& v) { e->SetState(QLatin1String(name), v.ToDouble()); });
    const std::pair<const char*, const char*> readOnlyState[] = {
        {"CurColumn", "Integer"},   {"CurVColumn", "Integer"}, {"PageHeight", "Extended"},
        {"PageWidth", "Extended"},  {"DoublePass", "Boolean"}, {"FinalPass", "Boolean"},
        {"TotalPages", "Integer"},  {"StartDate", "TDateTime"}, {"StartTime", "TDateTime"},
        {"SecondScriptCall", "Boolean"}};
    for (const auto& [name, type] : readOnlyState)
      readOnly<TfrxCustomEngine>(c, name, type, [name = name, type = type](TfrxCustomEngine* e) {
        const QVariant value = e->State(QLatin1String(name));
        if (qstrcmp(type, "TDateTime") == 0) return Variant::FromDate(value.toDouble());
        return script::FromQVariant(value);
      });
  }
  r.ensure<TfrxEngine>();
  if (TfsClassVariable* c = r.ensure<TfrxCustomOutline>()) {
    method<TfrxCustomOutline>(c, "procedure AddItem(const Text: String)", [](TfrxCustomOutline* o, Caller a) {
      o->AddItem(a->Arg(0).ToString());
      return Variant::Null();
    });
    method<TfrxCustomOutline>(c, "procedure LevelRoot", [](TfrxCustomOutline* o, Caller) {
      o->LevelRoot();
      return Variant::Null();
    });
    method<TfrxCustomOutline>(c, "procedure LevelUp", [](TfrxCustomOutline* o, Caller) {
      o->LevelUp();
      return Variant::Null();
    });
  }
  r.ensure<TfrxOutline>();
}

// The day, month and year number of a date.
template <class Part>
void dateFunction(TfsScript* s, const char* declaration, Part part) {
  s->AddMethodItem(
      QString::fromLatin1(declaration),
      [part](QObject*, const QMetaObject*, const QString&, Caller a) {
        return Variant(part(script::DaysToDateTime(a->Arg(0).ToDate()).date()));
      },
      QStringLiteral("ctDate"));
}

void registerFunctions(TfsScript* s) {
  dateFunction(s, "function DayOf(Date: TDateTime): Integer", [](const QDate& d) { return d.day(); });
  dateFunction(s, "function MonthOf(Date: TDateTime): Integer", [](const QDate& d) { return d.month(); });
  dateFunction(s, "function YearOf(Date: TDateTime): Integer", [](const QDate& d) { return d.year(); });
  // Outside a preparation IIF has its arguments' values already: it picks one.
  s->AddMethodItem(
      QStringLiteral("function IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant"),
      [](QObject*, const QMetaObject*, const QString&, Caller a) { return a->Arg(0).ToBool() ? a->Arg(1) : a->Arg(2); },
      QStringLiteral("ctOther"));
  // The aggregates need the band engine's totals: the report registers the
  // working ones for each preparation; these only name them in the list.
  static const char* const kAggregates[] = {
      "function SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
      "function AVG(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
      "function MIN(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
      "function MAX(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
      "function COUNT(Band: Variant = 0; Flags: Integer = 0): Variant"};
  for (const char* declaration : kAggregates) {
    s->AddMethodItem(
        QString::fromLatin1(declaration),
        [](QObject*, const QMetaObject*, const QString& name, Caller) -> Variant {
          throw RunError(error_class::Exception,
                         QStringLiteral("Funkcja %1 działa tylko w wyrażeniach raportu podczas jego przygotowania")
                             .arg(name));
        },
        QStringLiteral("ctAggregate"));
  }
}

class TfrxReportClassesModule : public script::TfsRTTIModule {
public:
  explicit TfrxReportClassesModule(TfsScript* script) : TfsRTTIModule(script) {
    registerConstants(script);
    registerEnumerations(script);
    Registrar r(script);
    registerWideStrings(r);
    registerComponent(r);
    registerDataSets(r);
    registerViews(r);
    registerPages(r);
    registerLists(r);
    registerReport(r);
    registerEngine(r);
    // Every class documents can hold, so that scripts can create and cast them.
    for (const QString& name : registeredClassNames())
      if (const QMetaObject* cls = findClass(name)) r.ensure(cls);
    script->AddObjectItem(QStringLiteral("frxGlobalVariables"), GlobalVariables());
    registerFunctions(script);
  }
};

}  // namespace

void RegisterReportClassesModule() {
  // The report classes descend from the platform classes (TComponent,
  // TPersistent, TCollection …): those modules come first.
  script::RegisterBindingModules();
  // Memo1.Color := clRed: colours are integers to scripts.
  script::RegisterIntegerValueType(QMetaType::fromType<TColor>());
  // What scripts set is announced like every other change of a report.
  script::SetPublishedWriteWatch(
      {&changes::observed, [](QObject& object, const QMetaProperty& property, const QVariant& before,
                              const QVariant& after) {
         changes::propertyChanged(object, QString::fromLatin1(property.name()), before, after);
       }});
  script::RegisterModule(QStringLiteral("ReportClasses"), [](TfsScript* script) {
    return std::make_unique<TfrxReportClassesModule>(script);
  });
}

}  // namespace valmoro::report
