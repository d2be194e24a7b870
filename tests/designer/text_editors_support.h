#pragma once
// What the tests of the text view editors share: an object's attributes as
// the document writes them, and driving the next modal dialog.

#include <QApplication>
#include <QTimer>
#include <functional>

#include "report/model/report.h"
#include "report/model/serializer.h"

namespace valmoro::designer::testing {

// The object's attributes as the document writes them.
inline QString attributesOf(const report::TfrxReport& report, const QString& name) {
  report::TfrxComponent* object = report.FindObject(name);
  if (object == nullptr) return QString();
  report::TfrxXMLSerializer serializer(const_cast<report::TfrxReport*>(&report));
  return serializer.ObjToXML(*object);
}

// `drive` gets the next modal dialog of type T once its event loop runs;
// `seen` tells whether it came.
template <class T>
void whenShown(std::function<void(T&)> drive, bool* seen = nullptr) {
  QTimer::singleShot(0, [drive, seen] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (seen) *seen = dialog != nullptr;
    if (dialog) drive(*dialog);
    else if (QWidget* other = QApplication::activeModalWidget()) other->close();
  });
}

}  // namespace valmoro::designer::testing
