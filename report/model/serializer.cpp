#include "report/model/serializer.h"

#include <QMetaEnum>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "platform/component_stream.h"
#include "platform/file_errors.h"
#include "platform/locale.h"
#include "report/model/changes.h"
#include "report/model/class_registry.h"
#include "report/model/component.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/persistent.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_lists.h"
#include "report/model/report_xml.h"
#include "report/model/resources.h"

namespace valmoro::report {

namespace {

// The serializer reading a document on this thread: items of the report's
// lists, read from its property data, leave their references with it.
thread_local TfrxXMLSerializer* activeSerializer = nullptr;

// Deeper object trees are not reports but damaged or hostile input; the tree
// operations walk recursively and must not be handed one.
constexpr int kMaxObjectDepth = 64;

QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

void appendAttribute(QString& out, QStringView name, const QString& value) {
  out += QLatin1Char(' ');
  out += name;
  out += QLatin1String("=\"");
  out += value;
  out += QLatin1Char('"');
}

bool isUnsigned32(const PublishedProperty& p) { return p.metaProperty().metaType().id() == QMetaType::UInt; }

bool is64Bit(const PublishedProperty& p) {
  const int id = p.metaProperty().metaType().id();
  return id == QMetaType::LongLong || id == QMetaType::ULongLong;
}

// Colours are unsigned in memory but 32-bit signed integers in documents
// (system colours are negative there).
QString integerText(const PublishedProperty& p, qint64 value) {
  if (p.kind() == PropertyKind::Color || isUnsigned32(p)) value = qint32(quint32(value));
  return QString::number(value);
}

QString ordinalText(const PublishedProperty& p, qint64 value) {
  switch (p.kind()) {
    case PropertyKind::Boolean:
      return boolText(value != 0);
    case PropertyKind::Enumeration:
      if (const char* key = p.enumerator().valueToKey(int(value))) return QString::fromLatin1(key);
      return QString::number(value);
    case PropertyKind::Set:
      return QString::number(value);
    default:
      return integerText(p, value);
  }
}

// A memo's Text and string lists as documents hold them: lines split at
// CR LF, LF or CR. Lines are written without the final line break, so a
// text that still ends with one ends with an empty line (reading it as no
// line would drop that line on every save); an empty text is no line.
QStringList splitLines(const QString& text) {
  QStringList lines;
  if (text.isEmpty()) return lines;
  const qsizetype size = text.size();
  qsizetype start = 0;
  for (;;) {
    qsizetype end = start;
    while (end < size && text[end] != u'\r' && text[end] != u'\n') ++end;
    lines.append(text.mid(start, end - start));
    if (end == size) break;
    if (text[end] == u'\r') ++end;
    if (end < size && text[end] == u'\n') ++end;
    start = end;
  }
  return lines;
}

std::optional<qint64> parseInteger(QStringView text) {
  text = text.trimmed();
  bool ok = false;
  qint64 value = 0;
  if (text.startsWith(u'$'))
    value = text.mid(1).toLongLong(&ok, 16);
  else if (text.startsWith(u"0x", Qt::CaseInsensitive))
    value = text.mid(2).toLongLong(&ok, 16);
  else
    value = text.toLongLong(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

// The ordinal of an enumeration member named so, letter case ignored.
std::optional<int> enumMember(const QMetaEnum& e, QStringView name) {
  for (int i = 0; i < e.keyCount(); ++i)
    if (name.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) return e.value(i);
  return std::nullopt;
}

bool isEnumValue(const QMetaEnum& e, qint64 value) {
  for (int i = 0; i < e.keyCount(); ++i)
    if (e.value(i) == value) return true;
  return false;
}

int setMask(const QMetaEnum& e) {
  int mask = 0;
  for (int i = 0; i < e.keyCount(); ++i) mask |= e.value(i);
  return mask;
}

[[noreturn]] void invalidValue(QStringView attribute, QStringView value) {
  throw ReportError(QStringLiteral("Nieprawidłowa wartość właściwości %1: \"%2\"")
                        .arg(attribute.toString(), value.toString()));
}

// The report an item of a list or a nested object belongs to, through the
// chain of owners.
TfrxReport* reportOf(const QObject* object) {
  for (const QObject* o = object; o; o = o->parent())
    if (const auto* component = qobject_cast<const TfrxComponent*>(o)) return component->Report();
  return nullptr;
}

QByteArray extraDataOf(const QObject& object) {
  stream::ComponentWriter out;
  if (const auto* component = qobject_cast<const TfrxComponent*>(&object))
    component->WriteExtraData(out);
  else if (const auto* persistent = qobject_cast<const Persistent*>(&object))
    persistent->WriteExtraData(out);
  return out.data();
}

// Password in documents: every UTF-16 code unit lowered by 10.
QString shiftCodeUnits(const QString& text, int by) {
  QString out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) out[i] = QChar(char16_t(text[i].unicode() + by));
  return out;
}

// An object's data set named before the document created it, or before the
// data set got that user name, is looked up again once the whole tree is
// read: what a name refers to must not depend on the order of the elements,
// or the next reading of the saved document would find another answer.
void resolveDataSetName(QObject& object) {
  const PublishedProperty* link = findPublishedProperty(*object.metaObject(), u"DataSet");
  const PublishedProperty* name = findPublishedProperty(*object.metaObject(), u"DataSetName");
  if (!link || !name || link->kind() != PropertyKind::Reference || !name->isWritable()) return;
  if (link->readObject(&object)) return;
  const QString userName = name->read(&object).toString();
  if (!userName.isEmpty()) name->write(&object, userName);
}

// Makes a serializer the one reading on this thread for its lifetime.
class ActiveScope {
public:
  explicit ActiveScope(TfrxXMLSerializer* serializer) : previous_(activeSerializer) {
    activeSerializer = serializer;
  }
  ~ActiveScope() { activeSerializer = previous_; }
  ActiveScope(const ActiveScope&) = delete;
  ActiveScope& operator=(const ActiveScope&) = delete;

private:
  TfrxXMLSerializer* previous_;
};

}  // namespace

QString scrambleReportPassword(const QString& password) { return shiftCodeUnits(password, -10); }
QString unscrambleReportPassword(const QString& stored) { return shiftCodeUnits(stored, 10); }

// ---------------------------------------------------------------------------
// Text helpers

QString frxValueToXML(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
      return QString();
    case QMetaType::Bool:
      return boolText(value.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
      return locale::formatFloatGeneral(value.toDouble());
    case QMetaType::QStringList:
      return value.toStringList().join(QStringLiteral("\r\n"));
    case QMetaType::QDateTime:
      return locale::formatDateTime(value.toDateTime());
    case QMetaType::QDate:
      return locale::formatDate(value.toDate());
    case QMetaType::QTime:
      return locale::formatTime(value.toTime());
    default:
      break;
  }
  if (value.metaType().flags().testFlag(QMetaType::IsEnumeration)) {
    const QMetaObject* scope = value.metaType().metaObject();
    if (scope) {
      // The enumerator is known by its name without namespace.
      QByteArray name(value.metaType().name());
      name = name.mid(name.lastIndexOf(':') + 1);
      const QMetaEnum e = scope->enumerator(scope->indexOfEnumerator(name.constData()));
      if (e.isValid())
        if (const char* key = e.valueToKey(value.toInt())) return QString::fromLatin1(key);
    }
    return QString::number(value.toLongLong());
  }
  return value.toString();
}

namespace {

// Attribute names compare ignoring case; most differ in length already,
// which settles it without a call into the comparison.
bool sameName(QStringView a, QStringView b) { return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0; }

// Plain numbers as the writer stores them ("-12,5", "718,1107", "0"): a
// sign, digits, at most one decimal comma or point. Read straight from the
// characters; nullopt sends anything else down the general path.
std::optional<double> plainNumber(QStringView text) {
  constexpr qsizetype kMaxPlain = 40;  // never out of a double's range
  if (text.isEmpty() || text.size() > kMaxPlain) return std::nullopt;
  char ascii[kMaxPlain + 4];
  char* out = ascii;
  qsizetype i = 0;
  bool negative = false;
  if (text[0] == u'-' || text[0] == u'+') {
    negative = text[0] == u'-';
    ++i;
  }
  const qsizetype digitsStart = i;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') *out++ = char(text[i++].unicode());
  const bool intDigits = i > digitsStart;
  if (!intDigits) *out++ = '0';
  *out++ = '.';
  bool fracDigits = false;
  if (i < text.size() && (text[i] == u',' || text[i] == u'.')) {
    ++i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
      *out++ = char(text[i++].unicode());
      fracDigits = true;
    }
  }
  if (i != text.size() || (!intDigits && !fracDigits)) return std::nullopt;
  if (!fracDigits) *out++ = '0';
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii, out, value);
  if (ec != std::errc() || end != out) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

std::optional<double> frxStrToFloat(QStringView text) {
  if (const std::optional<double> plain = plainNumber(text)) return plain;
  QString cleaned;
  cleaned.reserve(text.size());
  for (QChar c : text) {
    if (c == u' ') continue;
    cleaned += c == u',' ? QChar(u'.') : c;
  }
  if (cleaned == u"NAN") return std::nan("");
  if (cleaned == u"INF") return HUGE_VAL;
  if (cleaned == u"-INF") return -HUGE_VAL;
  return locale::parseFloat(cleaned);
}

std::optional<double> frxStrToFloat(const QString& text) { return frxStrToFloat(QStringView(text)); }

QString frxBytesToHex(const QByteArray& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  QString out(bytes.size() * 2, Qt::Uninitialized);
  QChar* p = out.data();
  for (char c : bytes) {
    const auto b = static_cast<quint8>(c);
    *p++ = QLatin1Char(digits[b >> 4]);
    *p++ = QLatin1Char(digits[b & 15]);
  }
  return out;
}

QByteArray frxHexToBytes(QStringView text) {
  const auto nibble = [](QChar c) -> int {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
  };
  QByteArray out;
  out.reserve(text.size() / 2);
  for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
    const int high = nibble(text[i]);
    const int low = nibble(text[i + 1]);
    if (high < 0 || low < 0) break;
    out.append(char(high << 4 | low));
  }
  return out;
}

QString frxItemAttributes(const QObject& item) {
  TfrxXMLSerializer serializer(reportOf(&item));
  return serializer.ObjToXML(item);
}

void frxApplyItemAttributes(QObject& item, const QString& text) {
  if (activeSerializer) {
    activeSerializer->ApplyAttributes(item, text);
    return;
  }
  TfrxXMLSerializer serializer(reportOf(&item));
  serializer.XMLToObj(text, item);
  if (TfrxReport* report = serializer.Owner()) report->Errors().append(serializer.Errors());
}

// ---------------------------------------------------------------------------
// Serializer

TfrxXMLSerializer::TfrxXMLSerializer(TfrxReport* owner) : owner_(owner) {}

TfrxXMLSerializer::~TfrxXMLSerializer() = default;

void TfrxXMLSerializer::AddError(const QString& message) {
  const auto less = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
  const auto at = std::lower_bound(errors_.begin(), errors_.end(), message, less);
  if (at != errors_.end() && at->compare(message, Qt::CaseInsensitive) == 0) return;
  errors_.insert(at, message);
}

// --- Writing -------------------------------------------------------------------

QString TfrxXMLSerializer::ObjToXML(const QObject& object, const QString& prefix, const QObject* ancestor) {
  // An ancestor of another class has nothing to compare with.
  if (ancestor && ancestor->metaObject() != object.metaObject()) ancestor = nullptr;
  QString out;
  out.reserve(256);
  writeProperties(out, object, prefix, ancestor);
  return out;
}

namespace {
// A copy (an undo snapshot, an object copied onto another) must carry what
// a document leaves out under a stored condition (never what is not stored
// at all): a frame width back at 1 or
// a highlight condition cleared would otherwise keep the target's value. The
// font of an object that takes its parent's and a picture whose data is
// suppressed are the exceptions: their flags say where the value comes from.
bool storedForCopies(const PublishedProperty& p) {
  return p.metaProperty().isStored() && qstrcmp(p.name(), "Font") != 0 && qstrcmp(p.name(), "Picture") != 0;
}
}  // namespace

void TfrxXMLSerializer::writeProperties(QString& out, const QObject& object, const QString& prefix,
                                        const QObject* ancestor) {
  const bool component = qobject_cast<const TfrxComponent*>(&object) != nullptr;
  for (const PublishedProperty& p : publishedProperties(*object.metaObject())) {
    // The element writer puts a component's Name in front, or leaves it out.
    if (component && qstrcmp(p.name(), "Name") == 0) continue;
    if (!p.isStored(&object) && !(WriteDefaults && storedForCopies(p))) continue;
    // Built only for what is written: most properties keep their defaults.
    const auto name = [&] { return prefix + QLatin1String(p.name()); };
    switch (p.kind()) {
      case PropertyKind::Integer:
        if (is64Bit(p)) break;
        [[fallthrough]];
      case PropertyKind::Color:
      case PropertyKind::Boolean:
      case PropertyKind::Enumeration:
      case PropertyKind::Set: {
        const qint64 value = p.readOrdinal(&object);
        const bool write = ancestor ? value != p.readOrdinal(ancestor) : WriteDefaults || !p.isDefaultOrdinal(value);
        if (write) appendAttribute(out, name(), ordinalText(p, value));
        break;
      }
      case PropertyKind::Float: {
        const double value = p.read(&object).toDouble();
        if (!ancestor || !(std::fabs(value - p.read(ancestor).toDouble()) <= 0.000001))
          appendAttribute(out, name(), locale::formatFloatGeneral(value));
        break;
      }
      case PropertyKind::Text: {
        QString value = p.read(&object).toString();
        if (&object == scrambledPasswordOf_ && qstrcmp(p.name(), "Password") == 0)
          value = scrambleReportPassword(value);
        // An empty text is left out, unless a fresh object has another one
        // (a font's name): then the emptiness must be written to survive.
        const bool write = ancestor ? value != p.read(ancestor).toString()
                                    : WriteDefaults || !value.isEmpty() || !p.defaultValue().toString().isEmpty();
        if (write) appendAttribute(out, name(), frxEscape(value));
        break;
      }
      case PropertyKind::Variant: {
        const QString value = frxValueToXML(p.read(&object));
        if (!ancestor || value != frxValueToXML(p.read(ancestor))) appendAttribute(out, name(), frxEscape(value));
        break;
      }
      case PropertyKind::StringList: {
        const QStringList value = p.read(&object).toStringList();
        if (!ancestor || value != p.read(ancestor).toStringList())
          appendAttribute(out, name() + QLatin1String(".Text"), frxEscape(value.join(QStringLiteral("\r\n"))));
        break;
      }
      case PropertyKind::Reference: {
        // A component without a name cannot be found again by it: it is
        // written as no reference (an empty value would read as one).
        const auto* target = qobject_cast<const TfrxComponent*>(p.readObject(&object));
        const QString value = target ? target->Name() : QString();
        if (ancestor) {
          const auto* was = qobject_cast<const TfrxComponent*>(p.readObject(ancestor));
          if (value == (was ? was->Name() : QString())) break;
        }
        if (!value.isEmpty())
          appendAttribute(out, name(), value);
        else if (WriteDefaults || ancestor)
          appendAttribute(out, name(), QStringLiteral("nil"));
        break;
      }
      case PropertyKind::Object: {
        const QObject* nested = p.readObject(&object);
        if (!nested) break;
        const QObject* nestedAncestor = ancestor ? p.readObject(ancestor) : nullptr;
        if (nestedAncestor && nestedAncestor->metaObject() != nested->metaObject()) nestedAncestor = nullptr;
        writeProperties(out, *nested, name() + QLatin1Char('.'), nestedAncestor);
        break;
      }
      case PropertyKind::Other:
        break;
    }
  }
  if (const auto* memo = qobject_cast<const TfrxCustomMemoView*>(&object)) {
    const QString text = memo->Text();
    if (!ancestor || text != static_cast<const TfrxCustomMemoView*>(ancestor)->Text())
      appendAttribute(out, QString(prefix + QLatin1String("Text")), frxEscape(text));
  }
  const QByteArray data = extraDataOf(object);
  const bool differs = ancestor ? data != extraDataOf(*ancestor) : !data.isEmpty();
  // A copy carries empty data too, so that the target drops its own.
  if (differs || (WriteDefaults && !ancestor))
    appendAttribute(out, QString(prefix + QLatin1String("PropData")), frxBytesToHex(data));
}

QString TfrxXMLSerializer::ObjToText(const TfrxComponent& object) { return object.ClassName() + ObjToXML(object); }

void TfrxXMLSerializer::WriteObject(const TfrxComponent& object, TfrxXMLItem& item, bool withChildren, bool isRoot) {
  item.Name = object.IsAncestor() ? QStringLiteral("inherited") : object.ClassName();
  const QObject* ancestor = AncestorOf ? AncestorOf(object) : nullptr;
  QString text;
  if (!isRoot) text = QLatin1String("Name=\"") + object.Name() + QLatin1Char('"');
  const auto* report = isRoot ? qobject_cast<const TfrxReport*>(&object) : nullptr;
  scrambledPasswordOf_ = report ? report->ReportOptions() : nullptr;
  text += ObjToXML(object, QString(), ancestor);
  scrambledPasswordOf_ = nullptr;
  item.Text = std::move(text);
  if (!withChildren) return;
  for (const TfrxComponent* child : object.Objects()) WriteObject(*child, *item.Add(), true, false);
}

void TfrxXMLSerializer::WriteRootComponent(const TfrxComponent& object, bool withChildren, QIODevice& stream) {
  TfrxXMLDocument document;
  WriteObject(object, *document.Root(), withChildren, true);
  document.SaveToStream(stream);
}

void TfrxXMLSerializer::WriteSingleElement(const TfrxComponent& object, QIODevice& stream) {
  const QByteArray bytes = "<" + ObjToText(object).toUtf8() + "/>";
  if (stream.write(bytes) != bytes.size())
    throw ReportError(files::writeFailedMessage(stream));
}

// --- Reading -------------------------------------------------------------------

void TfrxXMLSerializer::ReadRootComponent(TfrxComponent& root, QIODevice& stream) {
  TfrxXMLDocument document;
  document.LoadFromStream(stream);
  OldFormat = document.OldVersion;
  // What was read still loads (the designer can save what is left), but
  // nobody may take it for the whole document.
  if (document.Truncated())
    AddError(QStringLiteral("Dokument jest uszkodzony: kończy się przed zamknięciem elementu %1; wczytano tylko "
                            "jego początek.")
                 .arg(document.Root()->Name));
  ReadRootComponent(root, *document.Root());
}

void TfrxXMLSerializer::ReadRootComponent(TfrxComponent& root, const TfrxXMLItem& element) {
  ActiveScope active(this);
  if (!owner_) owner_ = root.Report();
  lookupRoot_ = owner_ ? static_cast<TfrxComponent*>(owner_) : &root;
  std::vector<QPointer<TfrxComponent>> loaded;
  const auto unmark = [&loaded] {
    for (const QPointer<TfrxComponent>& object : loaded)
      if (object) object->SetLoading(false);
  };
  try {
    readElements(root, element, loaded);
    ResolveReferences();
    // The report's own list first: without the global list views find
    // their data sets through it.
    if (auto* report = qobject_cast<TfrxReport*>(&root))
      for (int i = 0; i < report->DataSets()->Count(); ++i) resolveDataSetName(*report->DataSets()->Item(i));
    for (const QPointer<TfrxComponent>& object : loaded)
      if (object) resolveDataSetName(*object);
  } catch (...) {
    unmark();
    lookupRoot_ = nullptr;
    throw;
  }
  unmark();
  for (const QPointer<TfrxComponent>& object : loaded)
    if (object && !qobject_cast<TfrxReport*>(object.data())) object->Loaded();
  lookupRoot_ = nullptr;
  if (owner_) owner_->Errors().append(errors_);
}

void TfrxXMLSerializer::readElements(TfrxComponent& root, const TfrxXMLItem& element,
                                     std::vector<QPointer<TfrxComponent>>& loaded) {
  root.SetLoading(true);
  const auto* report = qobject_cast<TfrxReport*>(&root);
  scrambledPasswordOf_ = report ? report->ReportOptions() : nullptr;
  applyAttributes(root, element.Text, false);
  scrambledPasswordOf_ = nullptr;
  loaded.emplace_back(&root);

  // Walked with a stack of its own: the document may be nested deeply. The
  // depth that counts is the object's in its tree (an element may name an
  // object read elsewhere), the report's being 0.
  const auto depthOf = [](const TfrxComponent* object) {
    int depth = 0;
    for (const TfrxComponent* p = object->Parent(); p; p = p->Parent()) ++depth;
    return depth;
  };
  struct Level {
    const TfrxXMLItem* element;
    TfrxComponent* object;
    int next;
    int depth;  // of object
  };
  std::vector<Level> levels{{&element, &root, 0, depthOf(&root)}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next >= level.element->Count()) {
      levels.pop_back();
      continue;
    }
    const TfrxXMLItem& child = *level.element->Items(level.next++);
    TfrxComponent* parent = level.object;
    const int depth = level.depth + 1;

    const bool inherited = child.Name.compare(QLatin1String("inherited"), Qt::CaseInsensitive) == 0;
    if (!inherited && !findClass(child.Name)) {
      AddError(resources::text(u"xrCantFindClass") + QLatin1Char(' ') + child.Name);
      continue;
    }
    const QString name = child.Prop(QStringLiteral("Name"));
    TfrxComponent* object = name.isEmpty() ? nullptr : lookupRoot_->FindObject(name);
    const bool created = !object;
    if (created) {
      if (inherited) continue;
      if (depth > kMaxObjectDepth) {
        AddError(QStringLiteral("Obiekty zagnieżdżone zbyt głęboko: %1").arg(child.Name));
        continue;
      }
      object = createObject(child.Name, parent);
      if (!object) continue;
    }
    object->SetLoading(true);
    applyAttributes(*object, child.Text, created);
    loaded.emplace_back(object);
    if (child.Count() > 0) levels.push_back({&child, object, 0, created ? depth : depthOf(object)});
  }
}

void TfrxXMLSerializer::ApplyAttributes(QObject& object, QStringView text) { applyAttributes(object, text, false); }

void TfrxXMLSerializer::applyAttributes(QObject& object, QStringView text, bool newObject) {
  struct Attribute {
    QStringView name;
    QStringView value;
  };
  QVarLengthArray<Attribute, 32> attributes;
  const qsizetype n = text.size();
  qsizetype i = 0;
  for (;;) {
    while (i < n && text[i] == u' ') ++i;
    const qsizetype equals = text.indexOf(u'=', i);
    if (equals < 0) break;
    QStringView name = text.mid(i, equals - i);
    while (!name.isEmpty() && name.back() == u' ') name.chop(1);
    if (name.isEmpty()) break;
    const qsizetype open = text.indexOf(u'"', equals + 1);
    if (open < 0) break;
    const qsizetype close = text.indexOf(u'"', open + 1);
    if (close < 0) break;
    attributes.append({name, text.mid(open + 1, close - open - 1)});
    i = close + 1;
  }
  // Setting a text view's style gives it the style's colour, font and frame.
  // The view's own values are written beside its Style and must win, or a
  // view changed after its style was chosen would lose the change on every
  // reading: so the style goes first.
  if (qobject_cast<TfrxCustomMemoView*>(&object))
    std::stable_partition(attributes.begin(), attributes.end(), [](const Attribute& a) {
      return sameName(a.name, u"Style");
    });
  // A new object follows its parent's font until told otherwise. A font is
  // written only when it is the object's own (classes without ParentFont,
  // such as pages, say so only this way), and against a new font's
  // defaults (a plain style is left out): so it starts from those, or a
  // plain view in a bold band would come back bold.
  if (auto* component = qobject_cast<TfrxComponent*>(&object); component && newObject)
    for (const Attribute& a : attributes)
      if (a.name.size() >= 5 && sameName(a.name.first(5), u"Font.")) {
        component->Font()->AssignQuietly(ReportFont());
        component->SetParentFont(false);
        break;
      }
  // Those following the report hear of every value that changed: read as
  // the property, a string list by its text, a text view's text as such.
  const bool observed = changes::observed();
  const auto valueOf = [&object](const QString& path) -> QVariant {
    if (QVariant value = readPropertyPath(&object, path); value.isValid()) return value;
    if (path.endsWith(QLatin1String(".Text"))) {
      const QVariant list = readPropertyPath(&object, path.chopped(5));
      if (list.canConvert<QStringList>()) return list.toStringList().join(QStringLiteral("\r\n"));
    }
    if (auto* memo = qobject_cast<TfrxCustomMemoView*>(&object); memo && sameName(path, u"Text")) return memo->Text();
    return {};
  };
  for (const Attribute& a : attributes) {
    try {
      if (observed) {
        const QString path = a.name.toString();
        const QVariant before = valueOf(path);
        applyOne(object, a.name, a.value);
        changes::propertyChanged(object, path, before, valueOf(path));
        continue;
      }
      applyOne(object, a.name, a.value);
    } catch (const ReportError& e) {
      AddError(e.message());
    } catch (const stream::StreamError& e) {
      AddError(e.message());
    }
  }
}

namespace {

// An integer attribute in the width of its property; none for a 64-bit
// property, which documents do not store.
std::optional<QVariant> integerValue(QMetaType type, QStringView fullName, QStringView value) {
  const std::optional<qint64> number = parseInteger(value);
  if (!number) invalidValue(fullName, value);
  switch (type.id()) {
    case QMetaType::Int:
      if (*number < INT32_MIN || *number > INT32_MAX) invalidValue(fullName, value);
      return int(*number);
    case QMetaType::UInt:
      // Colours come as signed numbers.
      if (*number < INT32_MIN || *number > qint64(UINT32_MAX)) invalidValue(fullName, value);
      return uint(quint32(*number));
    case QMetaType::Short:
      if (*number < INT16_MIN || *number > INT16_MAX) invalidValue(fullName, value);
      return QVariant::fromValue(short(*number));
    case QMetaType::UShort:
      if (*number < 0 || *number > UINT16_MAX) invalidValue(fullName, value);
      return QVariant::fromValue(ushort(*number));
    default:
      return std::nullopt;
  }
}

// "True"/"False" in any letter case, or "1"/"0".
bool booleanValue(QStringView fullName, QStringView value) {
  const QStringView text = value.trimmed();
  if (text.compare(u"True", Qt::CaseInsensitive) == 0 || text == u"1") return true;
  if (text.compare(u"False", Qt::CaseInsensitive) == 0 || text == u"0") return false;
  invalidValue(fullName, value);
}

// An enumeration member by its number or its name.
int enumerationValue(const QMetaEnum& e, QStringView fullName, QStringView value) {
  if (const std::optional<qint64> number = parseInteger(value)) {
    if (!isEnumValue(e, *number)) invalidValue(fullName, value);
    return int(*number);
  }
  if (const std::optional<int> named = enumMember(e, value.trimmed())) return *named;
  invalidValue(fullName, value);
}

}  // namespace

void TfrxXMLSerializer::applyOne(QObject& object, QStringView fullName, QStringView value) {
  QObject* target = &object;
  QStringView name = fullName;
  // Down a dotted name to the object that has the rest of it.
  if (walkDottedName(target, name, value)) return;
  // Position, size and a text view's text under their one-letter names.
  if (applyShortName(*target, name, fullName, value)) return;
  // A text view's Text.
  if (auto* memo = qobject_cast<TfrxCustomMemoView*>(target); memo && sameName(name, u"Text")) {
    memo->SetMemo(splitLines(memoText(value)));
    return;
  }
  // What an object writes of itself, as hexadecimal bytes.
  if (sameName(name, u"PropData")) return applyPropData(*target, fullName, value);
  // A report keeps its own name whatever its document says.
  if (sameName(name, u"Name") && qobject_cast<TfrxReport*>(target)) return;
  // Any other published property, read by its kind.
  applyPublished(*target, name, fullName, value);
}

bool TfrxXMLSerializer::walkDottedName(QObject*& target, QStringView& name, QStringView value) {
  for (qsizetype dot = name.indexOf(u'.'); dot >= 0; dot = name.indexOf(u'.')) {
    const PublishedProperty* p = findPublishedProperty(*target->metaObject(), name.left(dot));
    if (!p) break;
    if (p->kind() == PropertyKind::Object) {
      QObject* nested = p->readObject(target);
      if (!nested) break;
      target = nested;
      name = name.mid(dot + 1);
      continue;
    }
    if (p->kind() == PropertyKind::StringList && sameName(name.mid(dot + 1), u"Text")) {
      if (p->isWritable()) p->write(target, splitLines(frxUnescape(value.toString())));
      return true;
    }
    break;
  }
  return false;
}

QString TfrxXMLSerializer::memoText(QStringView value) const {
  if (OldFormat) return frxUnescape(QString::fromUtf8(locale::toSystemCodePage(value.toString())));
  return frxUnescape(value.toString());
}

bool TfrxXMLSerializer::applyShortName(QObject& target, QStringView name, QStringView fullName, QStringView value) {
  auto* component = qobject_cast<TfrxComponent*>(&target);
  if (name.size() != 1 || !component) return false;
  auto* memo = qobject_cast<TfrxCustomMemoView*>(&target);
  const auto position = [&](void (TfrxComponent::*setter)(double)) {
    const std::optional<double> number = frxStrToFloat(value);
    if (!number) invalidValue(fullName, value);
    (component->*setter)(*number);
    return true;
  };
  switch (name[0].unicode()) {
    case u'l':
      return position(&TfrxComponent::SetLeft);
    case u't':
      return position(&TfrxComponent::SetTop);
    case u'w':
      return position(&TfrxComponent::SetWidth);
    case u'h':
      return position(&TfrxComponent::SetHeight);
    case u'x':
      if (memo) memo->SetMemo(splitLines(frxUnescape(value.toString())));
      return true;
    case u'u':
      if (memo) memo->SetMemo(splitLines(memoText(value)));
      return true;
    case u'v':
      // A prepared date-time view's value (days), kept where its text does
      // not show all of it.
      if (memo) {
        const std::optional<double> days = frxStrToFloat(value);
        if (!days) invalidValue(fullName, value);
        memo->SetValue(script::Variant::FromDate(*days));
      }
      return true;
    default:
      return false;
  }
}

void TfrxXMLSerializer::applyPropData(QObject& target, QStringView fullName, QStringView value) {
  auto* component = qobject_cast<TfrxComponent*>(&target);
  auto* persistent = qobject_cast<Persistent*>(&target);
  if (!component && !persistent) return;
  const QByteArray bytes = frxHexToBytes(value);
  component ? component->ClearExtraData() : persistent->ClearExtraData();
  stream::ComponentReader in(bytes);
  try {
    while (!in.atEnd()) {
      const QString item = in.readPropName();
      if (!(component ? component->ReadExtraData(item, in) : persistent->ReadExtraData(item, in))) break;
    }
  } catch (const stream::StreamError& e) {
    throw ReportError(QStringLiteral("Nieprawidłowa wartość właściwości %1: %2").arg(fullName.toString(), e.message()));
  }
}

void TfrxXMLSerializer::applyPublished(QObject& target, QStringView name, QStringView fullName, QStringView value) {
  const PublishedProperty* p = findPublishedProperty(*target.metaObject(), name);
  if (!p || !p->isWritable()) return;
  const QMetaType type = p->metaProperty().metaType();
  switch (p->kind()) {
    case PropertyKind::Integer:
      if (const std::optional<QVariant> v = integerValue(type, fullName, value)) p->write(&target, *v);
      return;
    case PropertyKind::Color:
      if (const std::optional<QVariant> v = integerValue(QMetaType::fromType<quint32>(), fullName, value))
        p->write(&target, QVariant::fromValue(TColor(v->toUInt())));
      return;
    case PropertyKind::Boolean:
      p->write(&target, booleanValue(fullName, value));
      return;
    case PropertyKind::Enumeration: {
      int member = enumerationValue(p->enumerator(), fullName, value);
      p->write(&target, QVariant(type, &member));
      return;
    }
    case PropertyKind::Set: {
      const std::optional<qint64> number = parseInteger(value);
      if (!number || *number < INT32_MIN || *number > INT32_MAX) invalidValue(fullName, value);
      // Bits without a member are dropped: nothing may index by them.
      int bits = int(*number) & setMask(p->enumerator());
      p->write(&target, QVariant(type, &bits));
      return;
    }
    case PropertyKind::Float: {
      const std::optional<double> number = frxStrToFloat(value);
      if (!number) invalidValue(fullName, value);
      p->write(&target, *number);
      return;
    }
    case PropertyKind::Text:
      if (&target == scrambledPasswordOf_ && qstrcmp(p->name(), "Password") == 0)
        p->write(&target, unscrambleReportPassword(frxUnescape(value.toString())));
      else
        p->write(&target, frxUnescape(value.toString()));
      return;
    case PropertyKind::Variant:
      p->write(&target, QVariant(frxUnescape(value.toString())));
      return;
    case PropertyKind::Reference: {
      const QString referenced = frxUnescape(value.toString());
      if (referenced.isEmpty() || referenced.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) {
        p->write(&target, QVariant(type, nullptr));
        return;
      }
      pending_.push_back({&target, p, referenced});
      return;
    }
    case PropertyKind::StringList:
    case PropertyKind::Object:
    case PropertyKind::Other:
      return;
  }
}

void TfrxXMLSerializer::XMLToObj(const QString& text, QObject& object) {
  ApplyAttributes(object, text);
  ResolveReferences();
}

TfrxComponent* TfrxXMLSerializer::ObjFromText(const QString& text, TfrxComponent* parent) {
  const qsizetype blank = text.indexOf(QLatin1Char(' '));
  const QString className = blank < 0 ? text : text.left(blank);
  TfrxComponent* object = createObject(className, parent);
  if (!object) {
    AddError(resources::text(u"xrCantFindClass") + QLatin1Char(' ') + className);
    return nullptr;
  }
  object->SetLoading(true);
  if (blank >= 0) applyAttributes(*object, QStringView(text).mid(blank + 1), true);
  ResolveReferences();
  object->SetLoading(false);
  object->Loaded();
  return object;
}

QObject* TfrxXMLSerializer::findReference(const QString& name, const QObject* from) const {
  const TfrxComponent* scope = lookupRoot_;
  if (!scope) scope = owner_;
  if (!scope) scope = reportOf(from);
  if (!scope)
    if (const auto* component = qobject_cast<const TfrxComponent*>(from)) {
      scope = component;
      while (scope->Parent()) scope = scope->Parent();
    }
  if (scope)
    if (TfrxComponent* found = scope->FindObject(name)) return found;
  if (const hooks::ComponentFinder& finder = hooks::componentFinder()) {
    try {
      return finder(name, owner_);
    } catch (const std::exception&) {
      throw ReportError(QStringLiteral("Missing ") + name);
    }
  }
  return nullptr;
}

void TfrxXMLSerializer::ResolveReferences() {
  std::vector<PendingReference> pending;
  pending.swap(pending_);
  for (const PendingReference& r : pending) {
    if (!r.object) continue;
    const QMetaType type = r.property->metaProperty().metaType();
    QVariant value(type, nullptr);
    if (QObject* found = findReference(r.name, r.object)) {
      // A match of the wrong class is as good as none.
      QVariant candidate = QVariant::fromValue(found);
      if (candidate.convert(type)) value = candidate;
    }
    // A data set kept by the application (not in the document) is not found
    // by its component name; its user name, read beside it, has found it
    // already and must not be cleared again.
    if (value.value<QObject*>() == nullptr && qstrcmp(r.property->name(), "DataSet") == 0 &&
        findPublishedProperty(*r.object->metaObject(), u"DataSetName") && r.property->readObject(r.object))
      continue;
    try {
      r.property->write(r.object, value);
    } catch (const ReportError& e) {
      AddError(e.message());
    }
  }
}

// ---------------------------------------------------------------------------
// The document operations of every report object

void copyThroughDocument(TfrxComponent& target, const TfrxComponent& source, bool withChildren) {
  if (&target == &source) return;
  TfrxXMLSerializer writer(source.Report());
  writer.WriteDefaults = true;
  TfrxXMLSerializer reader(target.Report());
  if (withChildren) {
    TfrxXMLItem element;
    writer.WriteObject(source, element, true, true);
    target.RemoveChildren();
    reader.ReadRootComponent(target, element);
    return;
  }
  const QString text = writer.ObjToXML(source);
  target.SetLoading(true);
  {
    ActiveScope active(&reader);
    reader.XMLToObj(text, target);
  }
  target.SetLoading(false);
  if (!qobject_cast<TfrxReport*>(&target)) target.Loaded();
  if (TfrxReport* report = target.Report()) report->Errors().append(reader.Errors());
}

void writeDocument(const TfrxComponent& object, QIODevice& stream, bool withChildren) {
  TfrxXMLSerializer serializer(object.Report());
  serializer.WriteRootComponent(object, withChildren, stream);
}

void readDocument(TfrxComponent& object, QIODevice& stream) {
  TfrxXMLSerializer serializer(object.Report());
  serializer.ReadRootComponent(object, stream);
}

}  // namespace valmoro::report
