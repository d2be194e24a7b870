#include "module_classes.h"

#include "run_error.h"
#include "string_list.h"

namespace valmoro::script {

namespace {

using Caller = TfsMethodHelper*;

TStrings* stringsOf(QObject* instance) {
  auto* list = qobject_cast<TStrings*>(instance);
  if (!list) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a string list"));
  return list;
}

TStringList* stringListOf(QObject* instance) {
  auto* list = qobject_cast<TStringList*>(instance);
  if (!list) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a string list"));
  return list;
}

void registerStrings(TfsScript* script) {
  TfsClassVariable* strings = script->AddClassItem(&TStrings::staticMetaObject, QStringLiteral("TObject"));
  if (!strings) return;
  strings->AddMethod(QStringLiteral("function Add(const S: string): Integer"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       return Variant(stringsOf(o)->add(c->Arg(0).ToString()));
                     });
  strings->AddMethod(QStringLiteral("function AddObject(const S: string; AObject: TObject): Integer"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       return Variant(stringsOf(o)->add(c->Arg(0).ToString(), c->Arg(1).ToObject()));
                     });
  strings->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    stringsOf(o)->clear();
    return Variant::Null();
  });
  strings->AddMethod(QStringLiteral("procedure Delete(Index: Integer)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->remove(c->Arg(0).ToInt());
                       return Variant::Null();
                     });
  strings->AddMethod(QStringLiteral("function IndexOf(const S: string): Integer"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       return Variant(stringsOf(o)->indexOf(c->Arg(0).ToString()));
                     });
  strings->AddMethod(QStringLiteral("function IndexOfName(const Name: string): Integer"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       return Variant(stringsOf(o)->indexOfName(c->Arg(0).ToString()));
                     });
  strings->AddMethod(QStringLiteral("function IndexOfObject(AObject: TObject): Integer"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       return Variant(stringsOf(o)->indexOfObject(c->Arg(0).ToObject()));
                     });
  strings->AddMethod(QStringLiteral("procedure Insert(Index: Integer; const S: string)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->insert(c->Arg(0).ToInt(), c->Arg(1).ToString());
                       return Variant::Null();
                     });
  strings->AddMethod(QStringLiteral("procedure InsertObject(Index: Integer; const S: string; AObject: TObject)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->insert(c->Arg(0).ToInt(), c->Arg(1).ToString(), c->Arg(2).ToObject());
                       return Variant::Null();
                     });
  strings->AddMethod(QStringLiteral("procedure LoadFromFile(const FileName: string)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->loadFromFile(c->Arg(0).ToString());
                       return Variant::Null();
                     });
  strings->AddMethod(QStringLiteral("procedure SaveToFile(const FileName: string)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->saveToFile(c->Arg(0).ToString());
                       return Variant::Null();
                     });
  strings->AddMethod(QStringLiteral("procedure Move(CurIndex, NewIndex: Integer)"),
                     [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                       stringsOf(o)->move(c->Arg(0).ToInt(), c->Arg(1).ToInt());
                       return Variant::Null();
                     });
  strings->AddProperty(
      QStringLiteral("CommaText"), QStringLiteral("String"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(stringsOf(o)->commaText()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { stringsOf(o)->setCommaText(v.ToString()); });
  strings->AddProperty(
      QStringLiteral("Text"), QStringLiteral("String"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(stringsOf(o)->text()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { stringsOf(o)->setText(v.ToString()); });
  strings->AddProperty(QStringLiteral("Count"), QStringLiteral("Integer"),
                       [](QObject* o, const QMetaObject*, const QString&) { return Variant(stringsOf(o)->count()); });
  strings->AddIndexProperty(
      QStringLiteral("Names"), QStringLiteral("Integer"), QStringLiteral("String"),
      [](QObject* o, const QMetaObject*, const QString&, Variant& p) {
        return Variant(stringsOf(o)->nameAt(p.AsArray().At(0).ToInt()));
      },
      true);
  strings->AddIndexProperty(QStringLiteral("Values"), QStringLiteral("String"), QStringLiteral("String"),
                            [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                              TStrings* list = stringsOf(o);
                              const QString key = p.AsArray().At(0).ToString();
                              if (name.endsWith(QLatin1String(".SET"))) {
                                list->setValue(key, p.AsArray().At(1).ToString());
                                return Variant::Null();
                              }
                              return Variant(list->value(key));
                            });
  strings->AddIndexProperty(QStringLiteral("Objects"), QStringLiteral("Integer"), QStringLiteral("TObject"),
                            [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                              TStrings* list = stringsOf(o);
                              const int index = p.AsArray().At(0).ToInt();
                              if (name.endsWith(QLatin1String(".SET"))) {
                                list->putObject(index, p.AsArray().At(1).ToObject());
                                return Variant::Null();
                              }
                              return Variant::FromObject(list->objectAt(index));
                            });
  strings->AddDefaultProperty(QStringLiteral("Strings"), QStringLiteral("Integer"), QStringLiteral("String"),
                              [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                                TStrings* list = stringsOf(o);
                                const int index = p.AsArray().At(0).ToInt();
                                if (name.endsWith(QLatin1String(".SET"))) {
                                  list->put(index, p.AsArray().At(1).ToString());
                                  return Variant::Null();
                                }
                                return Variant(list->at(index));
                              });

  TfsClassVariable* list = script->AddClassItem(&TStringList::staticMetaObject, QStringLiteral("TStrings"));
  if (!list) return;
  list->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  list->AddMethod(QStringLiteral("function Find(s: String; var Index: Integer): Boolean"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    int index = 0;
                    const bool found = stringListOf(o)->find(c->Arg(0).ToString(), &index);
                    c->SetArg(1, Variant(index));
                    return Variant(found);
                  });
  list->AddMethod(QStringLiteral("procedure Sort"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    stringListOf(o)->sort();
    return Variant::Null();
  });
  list->AddProperty(
      QStringLiteral("Sorted"), QStringLiteral("Boolean"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(stringListOf(o)->sorted()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { stringListOf(o)->setSorted(v.ToBool()); });
  list->AddProperty(
      QStringLiteral("Duplicates"), QStringLiteral("TDuplicates"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(stringListOf(o)->duplicates()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) {
        stringListOf(o)->setDuplicates(v.ToInt());
      });
}

}  // namespace

void RegisterObjectClass(TfsScript* script) {
  if (script->FindClassItem(QStringLiteral("TObject"))) return;
  TfsClassVariable* object = script->AddClassItem(&QObject::staticMetaObject, QString());
  if (!object) return;
  object->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  object->AddMethod(QStringLiteral("procedure Free"),
                    [](QObject* instance, const QMetaObject*, const QString&, TfsMethodHelper*) {
                      delete instance;
                      return Variant::Null();
                    });
  object->AddMethod(QStringLiteral("function ClassName: String"),
                    [script](QObject* instance, const QMetaObject*, const QString&, TfsMethodHelper*) {
                      return Variant(ScriptNameOf(script, instance));
                    });
}

TfsClassesModule::TfsClassesModule(TfsScript* script) : TfsRTTIModule(script) {
  RegisterObjectClass(script);
  static const struct {
    const char* name;
    int value;
  } kConstants[] = {{"fmCreate", 0xFF00},       {"fmOpenRead", 0},          {"fmOpenWrite", 1},
                    {"fmOpenReadWrite", 2},     {"fmShareExclusive", 0x10}, {"fmShareDenyWrite", 0x20},
                    {"fmShareDenyNone", 0x40},  {"soFromBeginning", 0},     {"soFromCurrent", 1},
                    {"soFromEnd", 2}};
  for (const auto& c : kConstants)
    script->AddConstItem(QString::fromLatin1(c.name), QStringLiteral("Integer"), Variant(c.value));
  script->AddEnumItems(QStringLiteral("TDuplicates"), QStringLiteral("dupIgnore, dupAccept, dupError"));
  registerStrings(script);
}

void RegisterClassesModule() {
  RegisterModule(QStringLiteral("Classes"), [](TfsScript* script) { return std::make_unique<TfsClassesModule>(script); });
}

}  // namespace valmoro::script
