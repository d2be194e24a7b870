// Style sheet files of TfrxStyles.

#include <QFile>
#include <QSaveFile>

#include "report/model/report_error.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"
#include "report/model/style.h"

namespace valmoro::report {

void TfrxStyles::SaveToStream(QIODevice& stream) const {
  TfrxXMLDocument document;
  TfrxXMLItem* root = document.Root();
  root->Name = QStringLiteral("style");
  root->SetProp(QStringLiteral("Name"), name_);
  for (const TfrxStyleItem* item : items_) root->Add(QStringLiteral("item"))->Text = frxItemAttributes(*item);
  document.SaveToStream(stream);
}

void TfrxStyles::SaveToFile(const QString& fileName) const {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, file.errorString()));
  SaveToStream(file);
  if (!file.commit())
    throw ReportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(fileName, file.errorString()));
}

QStringList TfrxStyles::LoadFromStream(QIODevice& stream) {
  Clear();
  TfrxXMLDocument document;
  document.LoadFromStream(stream);
  const TfrxXMLItem* root = document.Root();
  if (root->Name.compare(QLatin1String("style"), Qt::CaseInsensitive) != 0) return {};
  name_ = root->Prop(QStringLiteral("Name"));
  TfrxXMLSerializer serializer(report_);
  for (int i = 0; i < root->Count(); ++i) {
    const TfrxXMLItem* element = root->Items(i);
    if (element->Name.compare(QLatin1String("item"), Qt::CaseInsensitive) != 0) continue;
    serializer.XMLToObj(element->Text, *Add());
  }
  Apply();
  return serializer.Errors();
}

QStringList TfrxStyles::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, file.errorString()));
  return LoadFromStream(file);
}

}  // namespace valmoro::report
