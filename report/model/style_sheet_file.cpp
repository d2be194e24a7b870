// Style sheet files of TfrxStyles.

#include "report/model/report_error.h"
#include "report/model/report_files.h"
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
  saveReportFile(fileName, [this](QIODevice& file) { SaveToStream(file); });
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
  QStringList unknown;
  readReportFile(fileName, [&](QIODevice& file) { unknown = LoadFromStream(file); });
  return unknown;
}

}  // namespace valmoro::report
