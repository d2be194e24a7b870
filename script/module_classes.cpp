#include "module_classes.h"

#include "host_persistent.h"
#include "host_streams.h"
#include "run_error.h"
#include "string_list.h"

namespace valmoro::script {

using Caller = TfsMethodHelper*;

TfsClassVariable* AddModuleClass(TfsScript* script, const QMetaObject* classType, const QString& ancestor,
                                 const QString& name) {
  if (TfsClassVariable* cls = script->AddClassItem(classType, ancestor, name)) return cls;
  // The name is taken. A class item for the same Qt class is ours from an
  // earlier registration and complete already; anything else is the host's
  // own class, and our members do not belong on it.
  return nullptr;
}

namespace {

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

TStream* streamArg(const Variant& value) {
  auto* stream = qobject_cast<TStream*>(value.ToObject());
  if (!stream) throw RunError(error_class::InvalidOperation, QStringLiteral("A stream is needed"));
  return stream;
}

void registerStrings(TfsScript* script) {
  if (TfsClassVariable* strings = AddModuleClass(script, &TStrings::staticMetaObject, QStringLiteral("TPersistent"))) {
    strings->AddMethod(QStringLiteral("function Add(const S: string): Integer"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         return Variant(stringsOf(o)->add(c->Arg(0).ToString()));
                       });
    strings->AddMethod(QStringLiteral("function AddObject(const S: string; AObject: TObject): Integer"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         return Variant(stringsOf(o)->add(c->Arg(0).ToString(), c->Arg(1).ToObject()));
                       });
    strings->AddMethod(QStringLiteral("procedure AddStrings(Strings: TStrings)"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         stringsOf(o)->addStrings(*stringsOf(c->Arg(0).ToObject()));
                         return Variant::Null();
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
    // Streams hold the text as UTF-8 from their position on.
    strings->AddMethod(QStringLiteral("procedure LoadFromStream(Stream: TStream)"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         stringsOf(o)->setBytes(streamArg(c->Arg(0))->readRest());
                         return Variant::Null();
                       });
    strings->AddMethod(QStringLiteral("procedure SaveToFile(const FileName: string)"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         stringsOf(o)->saveToFile(c->Arg(0).ToString());
                         return Variant::Null();
                       });
    strings->AddMethod(QStringLiteral("procedure SaveToStream(Stream: TStream)"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         streamArg(c->Arg(0))->writeBytes(stringsOf(o)->toBytes());
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
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) {
          stringsOf(o)->setCommaText(v.ToString());
        });
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
  }

  TfsClassVariable* list = AddModuleClass(script, &TStringList::staticMetaObject, QStringLiteral("TStrings"));
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

// TPersistent and TComponent stand for every Qt object: the classes of other
// modules (graphics, forms, report objects) descend from them in scripts
// without descending from our C++ classes, so these two carry no Qt class
// and their members work on any object.
void registerPersistentAndComponent(TfsScript* script) {
  if (TfsClassVariable* persistent =
          AddModuleClass(script, nullptr, QStringLiteral("TObject"), QStringLiteral("TPersistent"))) {
    persistent->AddMethod(QStringLiteral("procedure Assign(Source: TPersistent)"),
                          [script](QObject* o, const QMetaObject*, const QString&, Caller c) {
                            QObject* source = c->Arg(0).ToObject();
                            AssignObject(o, source, ScriptNameOf(script, o), ScriptNameOf(script, source));
                            return Variant::Null();
                          });
  }
  TfsClassVariable* component =
      AddModuleClass(script, nullptr, QStringLiteral("TPersistent"), QStringLiteral("TComponent"));
  if (!component) return;
  // A descendant class builds an object of its own Qt class, given its owner.
  component->AddConstructor(
      QStringLiteral("constructor Create(AOwner: TComponent)"),
      [](QObject*, const QMetaObject* cls, const QString&, Caller c) {
        QObject* owner = c->Arg(0).ToObject();
        if (!cls) return Variant::FromObject(new TComponent(owner));
        if (QObject* created = cls->newInstance(Q_ARG(QObject*, owner))) return Variant::FromObject(created);
        if (QObject* created = cls->newInstance()) {
          created->setParent(owner);
          return Variant::FromObject(created);
        }
        throw RunError(error_class::InvalidOperation,
                       QStringLiteral("Class %1 cannot be created").arg(ScriptClassName(cls)));
      });
  component->AddMethod(QStringLiteral("function FindComponent(const AName: String): TComponent"),
                       [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                         const QString name = c->Arg(0).ToString();
                         for (QObject* child : o->children())
                           if (!name.isEmpty() && child->objectName().compare(name, Qt::CaseInsensitive) == 0)
                             return Variant::FromObject(child);
                         return Variant::FromObject(nullptr);
                       });
  component->AddProperty(QStringLiteral("Owner"), QStringLiteral("TComponent"),
                         [](QObject* o, const QMetaObject*, const QString&) { return Variant::FromObject(o->parent()); });
  component->AddProperty(
      QStringLiteral("Name"), QStringLiteral("String"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(o->objectName()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { o->setObjectName(v.ToString()); });
  // A class without a published Tag keeps it beside the object.
  component->AddProperty(
      QStringLiteral("Tag"), QStringLiteral("Integer"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(o->property("Tag").toInt()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { o->setProperty("Tag", v.ToInt()); });
  component->AddProperty(QStringLiteral("ComponentCount"), QStringLiteral("Integer"),
                         [](QObject* o, const QMetaObject*, const QString&) { return Variant(int(o->children().size())); });
  component->AddIndexProperty(
      QStringLiteral("Components"), QStringLiteral("Integer"), QStringLiteral("TComponent"),
      [](QObject* o, const QMetaObject*, const QString&, Variant& p) {
        const int index = p.AsArray().At(0).ToInt();
        const QObjectList& children = o->children();
        if (index < 0 || index >= children.size()) ListIndexError(index);
        return Variant::FromObject(children[index]);
      },
      true);
}

TCollection* collectionOf(QObject* instance) {
  auto* collection = qobject_cast<TCollection*>(instance);
  if (!collection) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a collection"));
  return collection;
}

TCollectionItem* collectionItemOf(QObject* instance) {
  auto* item = qobject_cast<TCollectionItem*>(instance);
  if (!item) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a collection item"));
  return item;
}

void registerCollections(TfsScript* script) {
  if (TfsClassVariable* item =
          AddModuleClass(script, &TCollectionItem::staticMetaObject, QStringLiteral("TPersistent"))) {
    item->AddProperty(
        QStringLiteral("Collection"), QStringLiteral("TCollection"),
        [](QObject* o, const QMetaObject*, const QString&) {
          return Variant::FromObject(collectionItemOf(o)->collection());
        },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) {
          QObject* target = v.ToObject();
          collectionItemOf(o)->setCollection(target ? collectionOf(target) : nullptr);
        });
    item->AddProperty(
        QStringLiteral("Index"), QStringLiteral("Integer"),
        [](QObject* o, const QMetaObject*, const QString&) { return Variant(collectionItemOf(o)->index()); },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { collectionItemOf(o)->setIndex(v.ToInt()); });
    item->AddProperty(QStringLiteral("ID"), QStringLiteral("Integer"),
                      [](QObject* o, const QMetaObject*, const QString&) { return Variant(collectionItemOf(o)->id()); });
  }
  TfsClassVariable* collection =
      AddModuleClass(script, &TCollection::staticMetaObject, QStringLiteral("TPersistent"));
  if (!collection) return;
  collection->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  collection->AddMethod(QStringLiteral("function Add: TCollectionItem"),
                        [](QObject* o, const QMetaObject*, const QString&, Caller) {
                          return Variant::FromObject(collectionOf(o)->add());
                        });
  collection->AddMethod(QStringLiteral("function Insert(Index: Integer): TCollectionItem"),
                        [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                          return Variant::FromObject(collectionOf(o)->insert(c->Arg(0).ToInt()));
                        });
  collection->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    collectionOf(o)->clear();
    return Variant::Null();
  });
  collection->AddMethod(QStringLiteral("procedure Delete(Index: Integer)"),
                        [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                          collectionOf(o)->remove(c->Arg(0).ToInt());
                          return Variant::Null();
                        });
  collection->AddMethod(QStringLiteral("function FindItemID(ID: Integer): TCollectionItem"),
                        [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                          return Variant::FromObject(collectionOf(o)->findItemID(c->Arg(0).ToInt()));
                        });
  collection->AddProperty(QStringLiteral("Count"), QStringLiteral("Integer"),
                          [](QObject* o, const QMetaObject*, const QString&) { return Variant(collectionOf(o)->count()); });
  // Writing an item assigns to it, as the platform's collections do.
  collection->AddDefaultProperty(
      QStringLiteral("Items"), QStringLiteral("Integer"), QStringLiteral("TCollectionItem"),
      [script](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
        TCollectionItem* item = collectionOf(o)->item(p.AsArray().At(0).ToInt());
        if (name.endsWith(QLatin1String(".SET"))) {
          QObject* source = p.AsArray().At(1).ToObject();
          AssignObject(item, source, ScriptNameOf(script, item), ScriptNameOf(script, source));
          return Variant::Null();
        }
        return Variant::FromObject(item);
      });
}

TList* listOf(QObject* instance) {
  auto* list = qobject_cast<TList*>(instance);
  if (!list) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a list"));
  return list;
}

void registerList(TfsScript* script) {
  TfsClassVariable* list = AddModuleClass(script, &TList::staticMetaObject, QStringLiteral("TObject"));
  if (!list) return;
  list->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  list->AddMethod(QStringLiteral("function Add(Item: Pointer): Integer"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) { return Variant(listOf(o)->add(c->Arg(0))); });
  list->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    listOf(o)->clear();
    return Variant::Null();
  });
  list->AddMethod(QStringLiteral("procedure Delete(Index: Integer)"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    listOf(o)->remove(c->Arg(0).ToInt());
                    return Variant::Null();
                  });
  list->AddMethod(QStringLiteral("procedure Exchange(Index1, Index2: Integer)"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    listOf(o)->exchange(c->Arg(0).ToInt(), c->Arg(1).ToInt());
                    return Variant::Null();
                  });
  list->AddMethod(QStringLiteral("function First: Pointer"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    return listOf(o)->at(0);
  });
  list->AddMethod(QStringLiteral("function Last: Pointer"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    TList* l = listOf(o);
    return l->at(l->count() - 1);
  });
  list->AddMethod(QStringLiteral("function IndexOf(Item: Pointer): Integer"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    return Variant(listOf(o)->indexOf(c->Arg(0)));
                  });
  list->AddMethod(QStringLiteral("procedure Insert(Index: Integer; Item: Pointer)"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    listOf(o)->insert(c->Arg(0).ToInt(), c->Arg(1));
                    return Variant::Null();
                  });
  list->AddMethod(QStringLiteral("procedure Move(CurIndex, NewIndex: Integer)"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    listOf(o)->move(c->Arg(0).ToInt(), c->Arg(1).ToInt());
                    return Variant::Null();
                  });
  list->AddMethod(QStringLiteral("function Remove(Item: Pointer): Integer"),
                  [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                    return Variant(listOf(o)->removeValue(c->Arg(0)));
                  });
  list->AddProperty(
      QStringLiteral("Count"), QStringLiteral("Integer"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(listOf(o)->count()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { listOf(o)->setCount(v.ToInt()); });
  list->AddDefaultProperty(QStringLiteral("Items"), QStringLiteral("Integer"), QStringLiteral("Pointer"),
                           [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                             TList* l = listOf(o);
                             const int index = p.AsArray().At(0).ToInt();
                             if (name.endsWith(QLatin1String(".SET"))) {
                               l->put(index, p.AsArray().At(1));
                               return Variant::Null();
                             }
                             return l->at(index);
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
                      // A control may be inside one of its own events (Sender.Free in
                      // OnMouseDown): it frees itself once the event is done.
                      static const QByteArray kRelease = QMetaObject::normalizedSignature("release()");
                      if (instance && instance->metaObject()->indexOfMethod(kRelease.constData()) >= 0 &&
                          QMetaObject::invokeMethod(instance, "release", Qt::DirectConnection))
                        return Variant::Null();
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
  } kConstants[] = {{"fmCreate", fmCreate},       {"fmOpenRead", fmOpenRead},   {"fmOpenWrite", fmOpenWrite},
                    {"fmOpenReadWrite", fmOpenReadWrite}, {"fmShareExclusive", 0x10}, {"fmShareDenyWrite", 0x20},
                    {"fmShareDenyNone", 0x40},  {"soFromBeginning", soFromBeginning}, {"soFromCurrent", soFromCurrent},
                    {"soFromEnd", soFromEnd}};
  for (const auto& c : kConstants)
    if (!script->FindLocalSymbol(QString::fromLatin1(c.name)))
      script->AddConstItem(QString::fromLatin1(c.name), QStringLiteral("Integer"), Variant(c.value));
  script->AddEnumItems(QStringLiteral("TDuplicates"), QStringLiteral("dupIgnore, dupAccept, dupError"));
  script->AddEnumItems(QStringLiteral("TPrinterOrientation"), QStringLiteral("poPortrait, poLandscape"));
  registerPersistentAndComponent(script);
  registerCollections(script);
  registerList(script);
  registerStrings(script);
  RegisterStreamClasses(script);
  RegisterXmlClasses(script);
}

void RegisterClassesModule() {
  RegisterModule(QStringLiteral("Classes"), [](TfsScript* script) { return std::make_unique<TfsClassesModule>(script); });
}

}  // namespace valmoro::script
