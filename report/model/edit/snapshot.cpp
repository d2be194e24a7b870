#include "report/model/edit/snapshot.h"

#include "report/model/class_registry.h"
#include "report/model/component.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/serializer.h"

namespace valmoro::report::edit {

QString attributesOf(const TfrxComponent& object) {
  TfrxXMLSerializer writer(object.Report());
  writer.WriteDefaults = true;
  return writer.ObjToXML(object);
}

void restoreAttributes(TfrxComponent& object, const QString& attributes) {
  TfrxXMLSerializer reader(object.Report());
  object.SetLoading(true);
  reader.XMLToObj(attributes, object);
  object.SetLoading(false);
  object.Loaded();
}

std::unique_ptr<TfrxXMLItem> subtreeOf(const TfrxComponent& object) {
  TfrxXMLSerializer writer(object.Report());
  writer.WriteDefaults = true;
  auto element = std::make_unique<TfrxXMLItem>();
  writer.WriteObject(object, *element, true, false);
  return element;
}

std::unique_ptr<TfrxXMLItem> copyOf(const TfrxXMLItem& element) {
  auto copy = std::make_unique<TfrxXMLItem>(element.Name);
  copy->Text = element.Text;
  copy->Value = element.Value;
  for (int i = 0; i < element.Count(); ++i) copy->AddItem(copyOf(*element.Items(i)));
  return copy;
}

TfrxComponent* rebuild(const TfrxXMLItem& element, TfrxComponent& parent, int index) {
  TfrxComponent* object = createObject(element.Name, &parent);
  if (object == nullptr) throw ReportError(QStringLiteral("Nieznana klasa obiektu: %1").arg(element.Name));
  TfrxXMLSerializer reader(parent.Report());
  reader.ReadRootComponent(*object, element);
  if (index >= 0) object->SetIndexInParent(index);
  return object;
}

TfrxComponent& objectNamed(const TfrxReport& report, const QString& name) {
  // The report itself may have no name: the empty one is its.
  if (name.isEmpty() || name.compare(report.Name(), Qt::CaseInsensitive) == 0) return const_cast<TfrxReport&>(report);
  TfrxComponent* object = report.FindObject(name);
  if (object == nullptr) throw ReportError(QStringLiteral("Raport nie ma obiektu %1.").arg(name));
  return *object;
}

}  // namespace valmoro::report::edit
