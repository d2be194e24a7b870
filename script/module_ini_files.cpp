#include "module_ini_files.h"

#include <QDate>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "host_streams.h"
#include "ini_file.h"
#include "memory_limits.h"
#include "module_classes.h"
#include "platform/locale.h"
#include "run_error.h"
#include "script.h"
#include "string_list.h"

namespace valmoro::script {

namespace {

TCustomIniFile* iniOf(QObject* instance) {
  auto* ini = qobject_cast<TCustomIniFile*>(instance);
  if (!ini) throw RunError(error_class::InvalidOperation, QStringLiteral("Object is not an ini file"));
  return ini;
}

double daysOf(const QDate& date, const QTime& time) {
  return double(QDate(1899, 12, 30).daysTo(date)) + time.msecsSinceStartOfDay() / 86400000.0;
}

QDateTime dateTimeOf(double days) {
  const double whole = std::floor(days);
  qint64 ms = std::llround((days - whole) * 86400000.0);
  if (ms >= 86400000) ms = 86400000 - 1;
  return QDateTime(QDate(1899, 12, 30).addDays(qint64(whole)), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

// A whole number as the file holds it: decimal, or "$"/"0x" and hex digits.
std::optional<int> parseIniInteger(QString text) {
  text = text.trimmed();
  bool ok = false;
  int value = 0;
  if (text.startsWith(QLatin1Char('$'))) value = int(text.mid(1).toUInt(&ok, 16));
  else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) value = int(text.mid(2).toUInt(&ok, 16));
  else value = text.toInt(&ok, 10);
  return ok ? std::optional<int>(value) : std::nullopt;
}

using Reader = Variant (*)(const QString& text, const Variant& defaultValue);
using Writer = QString (*)(const Variant& value);

struct Typed {
  const char* read;
  const char* write;
  Reader reader;
  Writer writer;
};

// The typed Read/Write pairs: a value that does not parse gives the default.
const Typed kTyped[] = {
    {"function ReadInteger(const Section, Ident: String; Default: Longint): Longint",
     "procedure WriteInteger(const Section, Ident: String; Value: Longint)",
     [](const QString& t, const Variant& d) {
       const auto v = parseIniInteger(t);
       return v ? Variant(*v) : Variant(d.ToInt());
     },
     [](const Variant& v) { return QString::number(v.ToInt()); }},
    {"function ReadBool(const Section, Ident: String; Default: Boolean): Boolean",
     "procedure WriteBool(const Section, Ident: String; Value: Boolean)",
     [](const QString& t, const Variant& d) {
       const auto v = parseIniInteger(t);
       return v ? Variant(*v != 0) : Variant(d.ToBool());
     },
     [](const Variant& v) { return v.ToBool() ? QStringLiteral("1") : QStringLiteral("0"); }},
    {"function ReadFloat(const Section, Name: String; Default: Double): Double",
     "procedure WriteFloat(const Section, Name: String; Value: Double)",
     [](const QString& t, const Variant& d) {
       const auto v = locale::parseFloat(t);
       return v ? Variant(*v) : Variant(d.ToDouble());
     },
     [](const Variant& v) { return locale::formatFloatGeneral(v.ToDouble()); }},
    {"function ReadDate(const Section, Name: String; Default: TDateTime): TDateTime",
     "procedure WriteDate(const Section, Name: String; Value: TDateTime)",
     [](const QString& t, const Variant& d) {
       const auto v = locale::parseDate(t.trimmed());
       return v ? Variant::FromDate(daysOf(*v, QTime(0, 0))) : Variant::FromDate(d.ToDate());
     },
     [](const Variant& v) { return locale::formatDate(dateTimeOf(v.ToDate()).date()); }},
    {"function ReadDateTime(const Section, Name: String; Default: TDateTime): TDateTime",
     "procedure WriteDateTime(const Section, Name: String; Value: TDateTime)",
     [](const QString& t, const Variant& d) {
       const auto v = locale::parseDateTime(t.trimmed());
       return v ? Variant::FromDate(daysOf(v->date(), v->time())) : Variant::FromDate(d.ToDate());
     },
     [](const Variant& v) { return locale::formatDateTime(dateTimeOf(v.ToDate())); }},
    {"function ReadTime(const Section, Name: String; Default: TDateTime): TDateTime",
     "procedure WriteTime(const Section, Name: String; Value: TDateTime)",
     [](const QString& t, const Variant& d) {
       const auto v = locale::parseTime(t.trimmed());
       return v ? Variant::FromDate(v->msecsSinceStartOfDay() / 86400000.0) : Variant::FromDate(d.ToDate());
     },
     [](const Variant& v) { return locale::formatTime(dateTimeOf(v.ToDate()).time()); }},
};

TStream* streamArg(const Variant& value) {
  auto* stream = qobject_cast<TStream*>(value.ToObject());
  if (!stream) throw RunError(error_class::InvalidOperation, QStringLiteral("A stream is needed"));
  return stream;
}

// Binary values are written as hexadecimal text, two upper-case digits a byte.
std::optional<QByteArray> parseHex(const QString& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  for (const QChar c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 127) return std::nullopt;
  return QByteArray::fromHex(text.toLatin1());
}

template <class T>
void registerCreatable(TfsScript* script, const QString& ancestor) {
  TfsClassVariable* cls = script->AddClassItem(&T::staticMetaObject, ancestor);
  if (!cls) return;
  cls->AddConstructor(QStringLiteral("constructor Create(const FileName: String)"),
                      [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* c) {
                        return Variant::FromObject(new T(c->Arg(0).ToString()));
                      });
}

}  // namespace

TfsIniFilesModule::TfsIniFilesModule(TfsScript* script) : TfsRTTIModule(script) {
  RegisterObjectClass(script);
  TfsClassVariable* ini = script->AddClassItem(&TCustomIniFile::staticMetaObject, QStringLiteral("TObject"));
  if (!ini) return;
  using Caller = TfsMethodHelper*;
  ini->AddMethod(QStringLiteral("function ReadString(const Section, Ident, Default: String): String"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   return Variant(iniOf(o)->value(c->Arg(0).ToString(), c->Arg(1).ToString()).value_or(c->Arg(2).ToString()));
                 });
  ini->AddMethod(QStringLiteral("procedure WriteString(const Section, Ident, Value: String)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   iniOf(o)->setValue(c->Arg(0).ToString(), c->Arg(1).ToString(), c->Arg(2).ToString());
                   return Variant::Null();
                 });
  for (const Typed& t : kTyped) {
    const Reader reader = t.reader;
    const Writer writer = t.writer;
    ini->AddMethod(QString::fromLatin1(t.read), [reader](QObject* o, const QMetaObject*, const QString&, Caller c) {
      const auto text = iniOf(o)->value(c->Arg(0).ToString(), c->Arg(1).ToString());
      return text ? reader(*text, c->Arg(2)) : reader(QString(), c->Arg(2));
    });
    ini->AddMethod(QString::fromLatin1(t.write), [writer](QObject* o, const QMetaObject*, const QString&, Caller c) {
      iniOf(o)->setValue(c->Arg(0).ToString(), c->Arg(1).ToString(), writer(c->Arg(2)));
      return Variant::Null();
    });
  }
  ini->AddMethod(QStringLiteral("function SectionExists(const Section: String): Boolean"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   return Variant(iniOf(o)->sectionExists(c->Arg(0).ToString()));
                 });
  ini->AddMethod(QStringLiteral("function ValueExists(const Section, Ident: String): Boolean"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   return Variant(iniOf(o)->valueExists(c->Arg(0).ToString(), c->Arg(1).ToString()));
                 });
  ini->AddMethod(QStringLiteral("procedure DeleteKey(const Section, Ident: String)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   iniOf(o)->deleteKey(c->Arg(0).ToString(), c->Arg(1).ToString());
                   return Variant::Null();
                 });
  ini->AddMethod(QStringLiteral("procedure EraseSection(const Section: String)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   iniOf(o)->eraseSection(c->Arg(0).ToString());
                   return Variant::Null();
                 });
  ini->AddMethod(QStringLiteral("procedure Clear"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    iniOf(o)->clear();
    return Variant::Null();
  });
  ini->AddMethod(QStringLiteral("procedure UpdateFile"), [](QObject* o, const QMetaObject*, const QString&, Caller) {
    iniOf(o)->updateFile();
    return Variant::Null();
  });
  // The bytes of a stream from its position to its end as a hexadecimal
  // value; reading writes them back at the stream's position and leaves the
  // position where they begin, ready to be read. A value that is not
  // hexadecimal raises instead of giving part of the bytes.
  ini->AddMethod(QStringLiteral("function ReadBinaryStream(const Section, Name: string; Value: TStream): Integer"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   const QString section = c->Arg(0).ToString();
                   const QString name = c->Arg(1).ToString();
                   TStream* stream = streamArg(c->Arg(2));
                   const QString text = iniOf(o)->value(section, name).value_or(QString()).trimmed();
                   const auto bytes = parseHex(text);
                   if (!bytes)
                     throw RunError(QStringLiteral("EIniFileException"),
                                    QStringLiteral("Wartość %1 w sekcji [%2] nie jest zapisem binarnym").arg(name, section));
                   if (bytes->isEmpty()) return Variant(0);
                   const qint64 start = stream->position();
                   stream->writeBytes(*bytes);
                   stream->setPosition(start);
                   return Variant(int(bytes->size()));
                 });
  ini->AddMethod(QStringLiteral("procedure WriteBinaryStream(const Section, Name: string; Value: TStream)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   TStream* stream = streamArg(c->Arg(2));
                   // Two hexadecimal digits a byte: the value must fit in a string.
                   CheckStringLength(2 * std::max<qint64>(0, stream->size() - stream->position()));
                   const QByteArray bytes = stream->readRest();
                   iniOf(o)->setValue(c->Arg(0).ToString(), c->Arg(1).ToString(),
                                      QString::fromLatin1(bytes.toHex()).toUpper());
                   return Variant::Null();
                 });
  // The whole file as UTF-8 text, written at the stream's position, and
  // read from the position to the end (replacing everything held).
  ini->AddMethod(QStringLiteral("procedure SaveIniFileToStream(Stream: TStream)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   streamArg(c->Arg(0))->writeBytes(iniOf(o)->text().toUtf8());
                   return Variant::Null();
                 });
  ini->AddMethod(QStringLiteral("procedure LoadIniFileFromStream(Stream: TStream)"),
                 [](QObject* o, const QMetaObject*, const QString&, Caller c) {
                   iniOf(o)->replaceText(TextOfUtf8(streamArg(c->Arg(0))->readRest()));
                   return Variant::Null();
                 });
  // The section readers fill a string list; they need the classes module.
  if (script->FindClassItem(QStringLiteral("TStrings"))) {
    auto listOf = [](const Variant& v) {
      auto* list = qobject_cast<TStrings*>(v.ToObject());
      if (!list) throw RunError(error_class::InvalidOperation, QStringLiteral("A string list is needed"));
      return list;
    };
    ini->AddMethod(QStringLiteral("procedure ReadSection(const Section: String; Strings: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(1));
                     list->clear();
                     for (const QString& key : iniOf(o)->keys(c->Arg(0).ToString())) list->add(key);
                     return Variant::Null();
                   });
    ini->AddMethod(QStringLiteral("procedure ReadSections(Strings: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(0));
                     list->clear();
                     for (const QString& name : iniOf(o)->sectionNames()) list->add(name);
                     return Variant::Null();
                   });
    ini->AddMethod(QStringLiteral("procedure ReadSectionValues(const Section: String; Strings: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(1));
                     TCustomIniFile* file = iniOf(o);
                     const QString section = c->Arg(0).ToString();
                     list->clear();
                     for (const QString& key : file->keys(section))
                       list->add(key + QLatin1Char('=') + file->value(section, key).value_or(QString()));
                     return Variant::Null();
                   });
    // The values alone, in order (ReadSection gives the names alone).
    ini->AddMethod(QStringLiteral("procedure ReadSectionValuesEx(const Section: String; Strings: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(1));
                     TCustomIniFile* file = iniOf(o);
                     const QString section = c->Arg(0).ToString();
                     list->clear();
                     for (const QString& key : file->keys(section)) list->add(file->value(section, key).value_or(QString()));
                     return Variant::Null();
                   });
    ini->AddMethod(QStringLiteral("procedure ReadTStrings(const Section: String; Values: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(1));
                     const QStringList lines = iniOf(o)->readStrings(c->Arg(0).ToString());
                     list->clear();
                     for (const QString& line : lines) list->add(line);
                     return Variant::Null();
                   });
    ini->AddMethod(QStringLiteral("procedure WriteTStrings(const Section: String; Values: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     TStrings* list = listOf(c->Arg(1));
                     QStringList lines;
                     for (int i = 0; i < list->count(); ++i) lines << list->at(i);
                     iniOf(o)->writeStrings(c->Arg(0).ToString(), lines);
                     return Variant::Null();
                   });
    // The file's lines, and a new content from lines.
    ini->AddMethod(QStringLiteral("procedure GetStrings(List: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     listOf(c->Arg(0))->setText(iniOf(o)->text());
                     return Variant::Null();
                   });
    ini->AddMethod(QStringLiteral("procedure SetStrings(List: TStrings)"),
                   [listOf](QObject* o, const QMetaObject*, const QString&, Caller c) {
                     iniOf(o)->replaceText(listOf(c->Arg(0))->text());
                     return Variant::Null();
                   });
  }
  registerCreatable<TMemIniFile>(script, QStringLiteral("TCustomIniFile"));
  registerCreatable<TIniFile>(script, QStringLiteral("TCustomIniFile"));
}

void RegisterIniFilesModule() {
  RegisterModule(QStringLiteral("IniFiles"),
                 [](TfsScript* script) { return std::make_unique<TfsIniFilesModule>(script); });
}

}  // namespace valmoro::script
