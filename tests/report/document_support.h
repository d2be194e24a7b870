#pragma once
// Writing and reading report documents in memory, and comparing two object
// trees property by property.

#include <QBuffer>
#include <QStringList>
#include <cmath>
#include <stdexcept>
#include <string>

#include "platform/locale.h"
#include "report/model/component.h"
#include "report/model/memo_view.h"
#include "report/model/picture.h"
#include "report/model/published.h"
#include "report/model/report.h"
#include "report/model/report_document.h"

namespace valmoro::report::testing {

inline const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n";

// A published property of a class by name; a test of a name the class does
// not publish fails loudly.
inline const PublishedProperty& prop(const QMetaObject& cls, const char* name) {
  const PublishedProperty* p = findPublishedProperty(cls, QString::fromLatin1(name));
  if (!p) throw std::runtime_error(std::string("no property ") + name);
  return *p;
}

inline QByteArray saveDocument(const TfrxComponent& object, bool withChildren = true) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  object.SaveToStream(buffer, withChildren);
  return buffer.data();
}

// Reads a report document; false when it could not be read at all.
inline bool loadDocument(TfrxReport& report, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return readReportDocument(report, buffer);
}

// The differences between two objects: every published property (nested
// objects walked, references by name, floats as the documents write them),
// a text view's text, pictures by kind and bytes, and for components their
// names, classes and children in order. One line per difference.
inline void compareObjects(const QObject& a, const QObject& b, const QString& path, QStringList& out) {
  if (a.metaObject() != b.metaObject()) {
    out << path + ": class " + a.metaObject()->className() + " / " + b.metaObject()->className();
    return;
  }
  for (const PublishedProperty& p : publishedProperties(*a.metaObject())) {
    const QString at = path + "." + p.name();
    switch (p.kind()) {
      case PropertyKind::Object: {
        const QObject* x = p.readObject(&a);
        const QObject* y = p.readObject(&b);
        if (x && y) compareObjects(*x, *y, at, out);
        break;
      }
      case PropertyKind::Reference: {
        const auto* x = qobject_cast<const TfrxComponent*>(p.readObject(&a));
        const auto* y = qobject_cast<const TfrxComponent*>(p.readObject(&b));
        const QString nx = x ? x->Name() : "(none)";
        const QString ny = y ? y->Name() : "(none)";
        if (nx != ny) out << at + ": " + nx + " / " + ny;
        break;
      }
      case PropertyKind::Float: {
        const QString x = locale::formatFloatGeneral(p.read(&a).toDouble());
        const QString y = locale::formatFloatGeneral(p.read(&b).toDouble());
        if (x != y) out << at + ": " + x + " / " + y;
        break;
      }
      case PropertyKind::Variant:
        if (p.read(&a).toString() != p.read(&b).toString())
          out << at + ": " + p.read(&a).toString() + " / " + p.read(&b).toString();
        break;
      default:
        if (p.read(&a) != p.read(&b)) out << at + ": " + p.read(&a).toString() + " / " + p.read(&b).toString();
        break;
    }
  }
  if (const auto* pa = qobject_cast<const ReportPicture*>(&a)) {
    const auto* pb = static_cast<const ReportPicture*>(&b);
    if (pa->GraphicClass() != pb->GraphicClass() || pa->Data() != pb->Data()) out << path + ": picture";
  }
  if (const auto* ma = qobject_cast<const TfrxCustomMemoView*>(&a)) {
    const auto* mb = static_cast<const TfrxCustomMemoView*>(&b);
    if (ma->Text() != mb->Text()) out << path + ".Text: " + ma->Text() + " / " + mb->Text();
  }
  const auto* ca = qobject_cast<const TfrxComponent*>(&a);
  const auto* cb = qobject_cast<const TfrxComponent*>(&b);
  if (!ca || !cb) return;
  if (ca->Objects().size() != cb->Objects().size()) {
    out << path + ": " + QString::number(ca->Objects().size()) + " / " + QString::number(cb->Objects().size()) +
               " children";
    return;
  }
  for (qsizetype i = 0; i < ca->Objects().size(); ++i)
    compareObjects(*ca->Objects()[i], *cb->Objects()[i], path + "/" + ca->Objects()[i]->Name(), out);
}

inline QStringList differences(const QObject& a, const QObject& b) {
  QStringList out;
  compareObjects(a, b, QString(), out);
  return out;
}

}  // namespace valmoro::report::testing
