#pragma once
// Base of the value objects nested in report objects (fonts, frames, formats,
// highlights, pictures, option records). Their published properties are
// reached by dotted paths such as "Frame.LeftLine.Color".

#include <QObject>
#include <QString>

namespace valmoro::stream {
class ComponentWriter;
class ComponentReader;
}  // namespace valmoro::stream

namespace valmoro::report {

class Persistent : public QObject {
  Q_OBJECT
public:
  explicit Persistent(QObject* owner = nullptr) : QObject(owner) {}

  // Data that is not a published property (a picture's bytes). Documents keep
  // it beside the properties; most objects have none.
  virtual void WriteExtraData(stream::ComponentWriter& out) const;
  // Reads one named item of that data; false when the name is not one of ours.
  virtual bool ReadExtraData(const QString& name, stream::ComponentReader& in);
  // Drops that data before it is read again as a whole.
  virtual void ClearExtraData() {}
};

}  // namespace valmoro::report
