#include "report/model/published.h"

#include <QHash>
#include <QMutex>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "report/model/component.h"
#include "report/model/persistent.h"

namespace valmoro::report {

namespace {

PropertyKind kindOf(const QMetaProperty& property) {
  if (property.isFlagType()) return PropertyKind::Set;
  if (property.isEnumType()) return PropertyKind::Enumeration;
  const QMetaType type = property.metaType();
  if (type == QMetaType::fromType<TColor>()) return PropertyKind::Color;
  switch (type.id()) {
    case QMetaType::Bool:
      return PropertyKind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
      return PropertyKind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
      return PropertyKind::Float;
    case QMetaType::QString:
      return PropertyKind::Text;
    case QMetaType::QStringList:
      return PropertyKind::StringList;
    case QMetaType::QVariant:
      return PropertyKind::Variant;
    default:
      break;
  }
  if (type.flags().testFlag(QMetaType::PointerToQObject)) {
    const QMetaObject* cls = type.metaObject();
    if (cls && cls->inherits(&TfrxComponent::staticMetaObject)) return PropertyKind::Reference;
    if (cls && cls->inherits(&Persistent::staticMetaObject)) return PropertyKind::Object;
  }
  return PropertyKind::Other;
}

bool isOrdinal(PropertyKind kind) {
  return kind == PropertyKind::Integer || kind == PropertyKind::Color || kind == PropertyKind::Boolean ||
         kind == PropertyKind::Enumeration || kind == PropertyKind::Set;
}

// An enumeration or set value held in a variant of its own type.
qint64 enumValue(const QVariant& value) {
  if (value.metaType().sizeOf() == sizeof(int)) return *static_cast<const int*>(value.constData());
  return value.toLongLong();
}

QVariant parseDefault(const QMetaProperty& property, PropertyKind kind, const QByteArray& text) {
  bool ok = false;
  switch (kind) {
    case PropertyKind::Boolean:
      if (text == "true") return true;
      if (text == "false") return false;
      break;
    case PropertyKind::Integer: {
      QVariant value(text.toLongLong(&ok, 0));
      if (ok && value.convert(property.metaType())) return value;
      break;
    }
    case PropertyKind::Color: {
      const qint64 number = text.toLongLong(&ok, 0);
      if (ok && number >= INT32_MIN && number <= qint64(UINT32_MAX)) return QVariant::fromValue(TColor(quint32(number)));
      break;
    }
    case PropertyKind::Enumeration:
    case PropertyKind::Set: {
      int number = 0;
      if (kind == PropertyKind::Set && text.isEmpty()) {
        ok = true;
      } else {
        number = kind == PropertyKind::Set ? property.enumerator().keysToValue(text, &ok)
                                           : property.enumerator().keyToValue(text, &ok);
      }
      if (ok) return QVariant(property.metaType(), &number);
      break;
    }
    case PropertyKind::Float: {
      const double number = text.toDouble(&ok);
      if (ok) return number;
      break;
    }
    case PropertyKind::Text:
      return QString::fromUtf8(text);
    default:
      break;
  }
  qWarning("Default of property %s cannot be read: %s", property.name(), text.constData());
  return {};
}

// A hash of a name folded to lower case, for ASCII names.
constexpr std::uint32_t kFnvBasis = 2166136261u, kFnvPrime = 16777619u;

struct ClassProperties {
  QList<PublishedProperty> list;
  QHash<QString, qsizetype> byName;  // case-folded name -> position
  // The same names in an open-addressing table of positions (−1: free)
  // under an FNV-1a hash: reading a page looks names up hundreds of
  // thousands of times, and QString's own hash costs several times more.
  std::vector<qsizetype> table;
  std::vector<QString> folded;  // by position

  void buildTable() {
    folded.assign(std::size_t(list.size()), QString());
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) folded[std::size_t(it.value())] = it.key();
    std::size_t size = 16;
    while (size < 2 * folded.size()) size *= 2;
    table.assign(size, -1);
    for (std::size_t i = 0; i < folded.size(); ++i) {
      std::uint32_t hash = kFnvBasis;
      for (QChar c : folded[i]) hash = (hash ^ c.unicode()) * kFnvPrime;
      std::size_t slot = hash & (size - 1);
      while (table[slot] >= 0) slot = (slot + 1) & (size - 1);
      table[slot] = qsizetype(i);
    }
  }

  const PublishedProperty* find(const char16_t* name, qsizetype length, std::uint32_t hash) const {
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = hash & mask; table[slot] >= 0; slot = (slot + 1) & mask) {
      const QString& candidate = folded[std::size_t(table[slot])];
      if (candidate.size() == length &&
          std::equal(name, name + length, reinterpret_cast<const char16_t*>(candidate.constData())))
        return &list[table[slot]];
    }
    return nullptr;
  }
};

ClassProperties buildClassProperties(const QMetaObject& cls) {
  std::vector<const QMetaObject*> chain;
  for (const QMetaObject* m = &cls; m && m != &QObject::staticMetaObject; m = m->superClass()) chain.push_back(m);
  ClassProperties result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const QMetaObject* m = *it;
    for (int i = m->propertyOffset(); i < m->propertyCount(); ++i) {
      const QMetaProperty property = cls.property(i);
      const QString key = QString::fromLatin1(property.name()).toCaseFolded();
      const auto found = result.byName.constFind(key);
      if (found != result.byName.cend()) {
        result.list[*found] = PublishedProperty(cls, property);
      } else {
        result.byName.insert(key, result.list.size());
        result.list.append(PublishedProperty(cls, property));
      }
    }
  }
  result.buildTable();
  return result;
}

const ClassProperties& sharedClassProperties(const QMetaObject& cls) {
  static QMutex mutex;
  static std::unordered_map<const QMetaObject*, std::unique_ptr<ClassProperties>> cache;
  QMutexLocker lock(&mutex);
  auto& entry = cache[&cls];
  if (!entry) entry = std::make_unique<ClassProperties>(buildClassProperties(cls));
  return *entry;
}

// Reading a page looks properties up hundreds of thousands of times over a
// handful of classes: each thread remembers the tables it met last, without
// the lock (tables live as long as the program).
const ClassProperties& classProperties(const QMetaObject& cls) {
  struct Slot {
    const QMetaObject* cls = nullptr;
    const ClassProperties* properties = nullptr;
  };
  constexpr std::size_t kSlots = 32;
  thread_local Slot recent[kSlots];
  Slot& slot = recent[(reinterpret_cast<std::uintptr_t>(&cls) >> 4) % kSlots];
  if (slot.cls != &cls) {
    slot.properties = &sharedClassProperties(cls);
    slot.cls = &cls;
  }
  return *slot.properties;
}

}  // namespace

PublishedProperty::PublishedProperty(const QMetaObject& cls, const QMetaProperty& property)
    : meta_(property), kind_(kindOf(property)), info_(describeProperty(cls, property, kind_)) {
  const QByteArray name(property.name());
  if (const int info = cls.indexOfClassInfo(QByteArray("default:" + name).constData()); info >= 0)
    defaultValue_ = parseDefault(property, kind_, QByteArray(cls.classInfo(info).value()));
  if (defaultValue_.isValid() && isOrdinal(kind_))
    defaultOrdinal_ = kind_ == PropertyKind::Enumeration || kind_ == PropertyKind::Set ? enumValue(defaultValue_)
                                                                                       : defaultValue_.toLongLong();
  if (const int info = cls.indexOfClassInfo(QByteArray("stored:" + name).constData()); info >= 0) {
    const QByteArray method = QByteArray(cls.classInfo(info).value()) + "()";
    storedMethod_ = cls.indexOfMethod(method.constData());
    if (storedMethod_ < 0 || cls.method(storedMethod_).returnType() != QMetaType::Bool) {
      qWarning("Stored condition of property %s is not a bool method: %s", name.constData(), method.constData());
      storedMethod_ = -1;
    }
  }
}

bool PublishedProperty::isDefault(const QObject* object) const {
  if (!hasDefault()) return false;
  if (isOrdinal(kind_)) return readOrdinal(object) == defaultOrdinal_;
  if (kind_ == PropertyKind::Float) return read(object).toDouble() == defaultValue_.toDouble();
  return read(object) == defaultValue_;
}

bool PublishedProperty::isStored(const QObject* object) const {
  if (!meta_.isStored()) return false;
  if (storedMethod_ < 0) return true;
  // A direct meta-call: documents ask this for every property of every object.
  bool stored = true;
  void* arguments[] = {&stored};
  QMetaObject::metacall(const_cast<QObject*>(object), QMetaObject::InvokeMetaMethod, storedMethod_, arguments);
  return stored;
}

QVariant PublishedProperty::read(const QObject* object) const { return meta_.read(object); }

bool PublishedProperty::write(QObject* object, const QVariant& value) const {
  if (!meta_.isWritable()) return false;
  return meta_.write(object, value);
}

qint64 PublishedProperty::readOrdinal(const QObject* object) const {
  const QVariant value = read(object);
  switch (kind_) {
    case PropertyKind::Boolean:
      return value.toBool() ? 1 : 0;
    case PropertyKind::Color:
      return qint64(value.value<TColor>().value);
    case PropertyKind::Enumeration:
    case PropertyKind::Set:
      return enumValue(value);
    default:
      return value.toLongLong();
  }
}

QObject* PublishedProperty::readObject(const QObject* object) const {
  if (kind_ != PropertyKind::Reference && kind_ != PropertyKind::Object) return nullptr;
  return read(object).value<QObject*>();
}

const QList<PublishedProperty>& publishedProperties(const QMetaObject& cls) { return classProperties(cls).list; }

const PublishedProperty* findPublishedProperty(const QMetaObject& cls, QStringView name) {
  const ClassProperties& properties = classProperties(cls);
  // Property names are ASCII: folded on the stack, looked up without a copy.
  constexpr qsizetype kShort = 64;
  if (name.size() <= kShort) {
    char16_t folded[kShort];
    bool ascii = true;
    std::uint32_t hash = kFnvBasis;
    for (qsizetype i = 0; i < name.size() && ascii; ++i) {
      const char16_t c = name[i].unicode();
      ascii = c < 0x80;
      folded[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
      hash = (hash ^ folded[i]) * kFnvPrime;
    }
    if (ascii) return properties.find(folded, name.size(), hash);
  }
  const auto found = properties.byName.constFind(name.toString().toCaseFolded());
  return found == properties.byName.cend() ? nullptr : &properties.list[*found];
}

PropertyTarget resolvePropertyPath(QObject* root, QStringView path) {
  QObject* object = root;
  const QList<QStringView> parts = path.split(u'.');
  for (qsizetype i = 0; object && i < parts.size(); ++i) {
    const PublishedProperty* property = findPublishedProperty(*object->metaObject(), parts[i]);
    if (!property) return {};
    if (i == parts.size() - 1) return {object, property};
    object = property->readObject(object);
  }
  return {};
}

QVariant readPropertyPath(QObject* root, QStringView path) {
  const PropertyTarget target = resolvePropertyPath(root, path);
  return target ? target.property->read(target.object) : QVariant();
}

bool writePropertyPath(QObject* root, QStringView path, const QVariant& value) {
  const PropertyTarget target = resolvePropertyPath(root, path);
  return target && target.property->write(target.object, value);
}

void resetToDeclaredDefaults(QObject& object) {
  std::vector<QObject*> todo{&object};
  while (!todo.empty()) {
    QObject* at = todo.back();
    todo.pop_back();
    for (const PublishedProperty& property : publishedProperties(*at->metaObject())) {
      if (property.kind() == PropertyKind::Object) {
        if (auto* nested = property.metaProperty().read(at).value<QObject*>()) todo.push_back(nested);
        continue;
      }
      if (property.hasDefault() && property.isWritable() && !property.isDefault(at))
        property.metaProperty().write(at, property.defaultValue());
    }
  }
}

}  // namespace valmoro::report
