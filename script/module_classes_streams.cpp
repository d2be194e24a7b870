// The classes module's streams and XML classes.

#include <algorithm>

#include "host_persistent.h"
#include "host_streams.h"
#include "host_xml.h"
#include "memory_limits.h"
#include "module_classes.h"
#include "run_error.h"

namespace valmoro::script {

namespace {

using Caller = TfsMethodHelper*;

TStream* streamOf(QObject* instance) {
  auto* stream = qobject_cast<TStream*>(instance);
  if (!stream) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a stream"));
  return stream;
}

TStream* streamArg(const Variant& value) {
  auto* stream = qobject_cast<TStream*>(value.ToObject());
  if (!stream) throw RunError(error_class::InvalidOperation, QStringLiteral("A stream is needed"));
  return stream;
}

TMemoryStream* memoryStreamOf(QObject* instance) {
  auto* stream = qobject_cast<TMemoryStream*>(instance);
  if (!stream) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not a memory stream"));
  return stream;
}

ScriptXMLItem* xmlItemOf(QObject* instance) {
  auto* item = qobject_cast<ScriptXMLItem*>(instance);
  if (!item) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not an XML item"));
  return item;
}

ScriptXMLItem* xmlItemArg(const Variant& value) {
  QObject* object = value.ToObject();
  return object ? xmlItemOf(object) : nullptr;
}

ScriptXMLDocument* xmlDocumentOf(QObject* instance) {
  auto* document = qobject_cast<ScriptXMLDocument*>(instance);
  if (!document) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not an XML document"));
  return document;
}

}  // namespace

void RegisterStreamClasses(TfsScript* script) {
  if (TfsClassVariable* stream = AddModuleClass(script, &TStream::staticMetaObject, QStringLiteral("TObject"))) {
    // Buffers are strings of one character per byte. Read gives at most
    // Count bytes; Write writes the first Count characters of the buffer
    // (as UTF-8 when it holds characters beyond code 255). Both give the
    // number of bytes moved.
    stream->AddMethod(QStringLiteral("function Read(var Buffer: string; Count: Longint): Longint"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        TStream* self = streamOf(o);
                        const qint64 count = c->Arg(1).ToInt64();
                        // The buffer is a string: refused before the bytes are read.
                        CheckStringLength(std::min(count, self->size() - self->position()));
                        const QByteArray bytes = self->readBytes(count);
                        c->SetArg(0, Variant(StringOfBytes(bytes)));
                        return Variant::FromInt64(bytes.size());
                      });
    stream->AddMethod(QStringLiteral("function Write(const Buffer: string; Count: Longint): Longint"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        const QString text = c->Arg(0).ToString();
                        const qint64 count = std::clamp<qint64>(c->Arg(1).ToInt64(), 0, text.size());
                        const QByteArray bytes = BytesOfString(text.left(count));
                        streamOf(o)->writeBytes(bytes);
                        return Variant::FromInt64(bytes.size());
                      });
    stream->AddMethod(QStringLiteral("function Seek(Offset: Longint; Origin: Word): Longint"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        return Variant::FromInt64(streamOf(o)->seek(c->Arg(0).ToInt64(), c->Arg(1).ToInt()));
                      });
    stream->AddMethod(QStringLiteral("function CopyFrom(Source: TStream; Count: Longint): Longint"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        return Variant::FromInt64(streamOf(o)->copyFrom(streamArg(c->Arg(0)), c->Arg(1).ToInt64()));
                      });
    stream->AddProperty(
        QStringLiteral("Position"), QStringLiteral("Integer"),
        [](QObject* o, const QMetaObject*, const QString&) { return Variant::FromInt64(streamOf(o)->position()); },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { streamOf(o)->setPosition(v.ToInt64()); });
    stream->AddProperty(
        QStringLiteral("Size"), QStringLiteral("Integer"),
        [](QObject* o, const QMetaObject*, const QString&) { return Variant::FromInt64(streamOf(o)->size()); },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { streamOf(o)->setSize(v.ToInt64()); });
  }

  if (TfsClassVariable* memory = AddModuleClass(script, &TMemoryStream::staticMetaObject, QStringLiteral("TStream"))) {
    memory->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
    memory->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
      memoryStreamOf(o)->clear();
      return Variant::Null();
    });
    memory->AddMethod(QStringLiteral("procedure LoadFromFile(const FileName: string)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        memoryStreamOf(o)->loadFromFile(c->Arg(0).ToString());
                        return Variant::Null();
                      });
    memory->AddMethod(QStringLiteral("procedure SaveToFile(const FileName: string)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        memoryStreamOf(o)->saveToFile(c->Arg(0).ToString());
                        return Variant::Null();
                      });
    // The whole source, from its start; the position ends at 0.
    memory->AddMethod(QStringLiteral("procedure LoadFromStream(Stream: TStream)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        TMemoryStream* self = memoryStreamOf(o);
                        TStream* source = streamArg(c->Arg(0));
                        if (source == self) return Variant::Null();
                        source->setPosition(0);
                        const QByteArray bytes = source->readRest();
                        self->clear();
                        self->writeBytes(bytes);
                        self->setPosition(0);
                        return Variant::Null();
                      });
    memory->AddMethod(QStringLiteral("procedure SaveToStream(Stream: TStream)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        TMemoryStream* self = memoryStreamOf(o);
                        TStream* target = streamArg(c->Arg(0));
                        if (target == self) return Variant::Null();
                        target->writeBytes(self->data());
                        return Variant::Null();
                      });
    memory->AddMethod(QStringLiteral("procedure SetSize(NewSize: Longint)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        memoryStreamOf(o)->setSize(c->Arg(0).ToInt64());
                        return Variant::Null();
                      });
  }

  if (TfsClassVariable* file = AddModuleClass(script, &TFileStream::staticMetaObject, QStringLiteral("TStream"))) {
    file->AddConstructor(QStringLiteral("constructor Create(const FileName: string; Mode: Word)"),
                         [](QObject*, const QMetaObject*, const QString&, Caller c) {
                           return Variant::FromObject(new TFileStream(c->Arg(0).ToString(), c->Arg(1).ToInt()));
                         });
    file->AddProperty(QStringLiteral("FileName"), QStringLiteral("String"),
                      [](QObject* o, const QMetaObject*, const QString&) {
                        auto* stream = qobject_cast<TFileStream*>(o);
                        return Variant(stream ? stream->fileName() : QString());
                      });
  }
}

void RegisterXmlClasses(TfsScript* script) {
  if (TfsClassVariable* item = AddModuleClass(script, &ScriptXMLItem::staticMetaObject, QStringLiteral("TObject"),
                                              QStringLiteral("TfsXMLItem"))) {
    item->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
    item->AddMethod(QStringLiteral("function Add: TfsXMLItem"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
      return Variant::FromObject(xmlItemOf(o)->add());
    });
    item->AddMethod(QStringLiteral("procedure AddItem(Item: TfsXMLItem)"),
                    [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                      ScriptXMLItem* self = xmlItemOf(o);
                      self->insertItem(self->item()->Count(), xmlItemArg(c->Arg(0)));
                      return Variant::Null();
                    });
    item->AddMethod(QStringLiteral("procedure InsertItem(Index: Integer; Item: TfsXMLItem)"),
                    [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                      xmlItemOf(o)->insertItem(c->Arg(0).ToInt(), xmlItemArg(c->Arg(1)));
                      return Variant::Null();
                    });
    item->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
      xmlItemOf(o)->clear();
      return Variant::Null();
    });
    item->AddMethod(QStringLiteral("procedure Delete(Index: Integer)"),
                    [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                      xmlItemOf(o)->remove(c->Arg(0).ToInt());
                      return Variant::Null();
                    });
    item->AddMethod(QStringLiteral("function Find(const Name: String): Integer"),
                    [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                      return Variant(xmlItemOf(o)->item()->Find(c->Arg(0).ToString()));
                    });
    // The first child of the name, made when there is none.
    item->AddMethod(QStringLiteral("function FindItem(const Name: String): TfsXMLItem"),
                    [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                      ScriptXMLItem* self = xmlItemOf(o);
                      return Variant::FromObject(self->objectOf(self->item()->FindItem(c->Arg(0).ToString())));
                    });
    item->AddMethod(QStringLiteral("function Root: TfsXMLItem"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
      return Variant::FromObject(xmlItemOf(o)->rootItem());
    });
    item->AddProperty(QStringLiteral("Count"), QStringLiteral("Integer"),
                      [](QObject* o, const QMetaObject*, const QString&) { return Variant(xmlItemOf(o)->item()->Count()); });
    item->AddProperty(
        QStringLiteral("Name"), QStringLiteral("String"),
        [](QObject* o, const QMetaObject*, const QString&) { return Variant(xmlItemOf(o)->item()->Name()); },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { xmlItemOf(o)->item()->SetName(v.ToString()); });
    // The raw attribute text of the tag.
    item->AddProperty(
        QStringLiteral("Text"), QStringLiteral("String"),
        [](QObject* o, const QMetaObject*, const QString&) { return Variant(xmlItemOf(o)->item()->Text()); },
        [](QObject* o, const QMetaObject*, const QString&, const Variant& v) { xmlItemOf(o)->item()->SetText(v.ToString()); });
    item->AddProperty(QStringLiteral("Parent"), QStringLiteral("TfsXMLItem"),
                      [](QObject* o, const QMetaObject*, const QString&) {
                        return Variant::FromObject(xmlItemOf(o)->parentItem());
                      });
    item->AddIndexProperty(QStringLiteral("Prop"), QStringLiteral("String"), QStringLiteral("String"),
                           [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                             TfsXMLItem* self = xmlItemOf(o)->item();
                             const QString key = p.AsArray().At(0).ToString();
                             if (name.endsWith(QLatin1String(".SET"))) {
                               self->SetProp(key, p.AsArray().At(1).ToString());
                               return Variant::Null();
                             }
                             return Variant(self->Prop(key));
                           });
    item->AddDefaultProperty(
        QStringLiteral("Items"), QStringLiteral("Integer"), QStringLiteral("TfsXMLItem"),
        [](QObject* o, const QMetaObject*, const QString&, Variant& p) {
          return Variant::FromObject(xmlItemOf(o)->child(p.AsArray().At(0).ToInt()));
        },
        true);
  }

  TfsClassVariable* document = AddModuleClass(script, &ScriptXMLDocument::staticMetaObject, QStringLiteral("TObject"),
                                               QStringLiteral("TfsXMLDocument"));
  if (!document) return;
  document->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  document->AddMethod(QStringLiteral("procedure LoadFromFile(const FileName: String)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        xmlDocumentOf(o)->loadFromFile(c->Arg(0).ToString());
                        return Variant::Null();
                      });
  document->AddMethod(QStringLiteral("procedure SaveToFile(const FileName: String)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        xmlDocumentOf(o)->saveToFile(c->Arg(0).ToString());
                        return Variant::Null();
                      });
  document->AddMethod(QStringLiteral("procedure LoadFromStream(Stream: TStream)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        xmlDocumentOf(o)->loadFromStream(streamArg(c->Arg(0)));
                        return Variant::Null();
                      });
  document->AddMethod(QStringLiteral("procedure SaveToStream(Stream: TStream)"),
                      [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                        xmlDocumentOf(o)->saveToStream(streamArg(c->Arg(0)));
                        return Variant::Null();
                      });
  document->AddProperty(QStringLiteral("Root"), QStringLiteral("TfsXMLItem"),
                        [](QObject* o, const QMetaObject*, const QString&) {
                          return Variant::FromObject(xmlDocumentOf(o)->root());
                        });
  document->AddProperty(
      QStringLiteral("AutoIndent"), QStringLiteral("Boolean"),
      [](QObject* o, const QMetaObject*, const QString&) { return Variant(xmlDocumentOf(o)->autoIndent()); },
      [](QObject* o, const QMetaObject*, const QString&, const Variant& v) {
        xmlDocumentOf(o)->setAutoIndent(v.ToBool());
      });
}

}  // namespace valmoro::script
