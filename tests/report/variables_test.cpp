// Report variables: categories and the variables file.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "qt_printers.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"

using namespace valmoro::report;

namespace {

// " Pomiary": Punkt, Modul; " Okres": Od; and Autor before any category.
void fill(TfrxVariables& v) {
  v.Add()->SetName(QStringLiteral("Autor"));
  v.Add()->SetName(QStringLiteral(" Pomiary"));
  v.Add()->SetName(QStringLiteral("Punkt"));
  v.Add()->SetName(QStringLiteral("Modul"));
  v.Add()->SetName(QStringLiteral(" Okres"));
  v.Add()->SetName(QStringLiteral("Od"));
}

QStringList names(const TfrxVariables& v) {
  QStringList out;
  for (int i = 0; i < v.Count(); ++i) out.append(v.Item(i)->Name());
  return out;
}

TEST(Variables, CategoriesGroupTheEntriesThatFollowThem) {
  TfrxVariables v;
  fill(v);
  EXPECT_EQ(v.Categories(), (QStringList{QStringLiteral("Pomiary"), QStringLiteral("Okres")}));
  EXPECT_EQ(v.VariablesOf(QStringLiteral("Pomiary")), (QStringList{QStringLiteral("Punkt"), QStringLiteral("Modul")}));
  EXPECT_EQ(v.VariablesOf(QString()), QStringList{QStringLiteral("Autor")});
  EXPECT_TRUE(v.VariablesOf(QStringLiteral("Brak")).isEmpty());
  // Names compare exactly.
  EXPECT_EQ(v.IndexOf(QStringLiteral("punkt")), -1);
  EXPECT_FALSE(v.Value(QStringLiteral("Nieznana")).isValid());

  // A new variable goes after the last one of its category.
  v.AddVariable(QStringLiteral("Pomiary"), QStringLiteral("Czujnik"), 7);
  EXPECT_EQ(names(v), (QStringList{QStringLiteral("Autor"), QStringLiteral(" Pomiary"), QStringLiteral("Punkt"),
                                   QStringLiteral("Modul"), QStringLiteral("Czujnik"), QStringLiteral(" Okres"),
                                   QStringLiteral("Od")}));
  // A name that exists in another category only gets the new value.
  v.AddVariable(QStringLiteral("Okres"), QStringLiteral("Punkt"), QStringLiteral("'Chłodnia'"));
  EXPECT_EQ(v.IndexOf(QStringLiteral("Punkt")), 2);
  EXPECT_EQ(v.Value(QStringLiteral("Punkt")), QVariant(QStringLiteral("'Chłodnia'")));
  EXPECT_EQ(v.VariablesOf(QStringLiteral("Okres")), QStringList{QStringLiteral("Od")});
  // A missing category is created at the end.
  v.AddVariable(QStringLiteral("Inne"), QStringLiteral("X"), 1);
  EXPECT_EQ(v.Categories().last(), QStringLiteral("Inne"));
  EXPECT_EQ(v.VariablesOf(QStringLiteral("Inne")), QStringList{QStringLiteral("X")});

  v.DeleteCategory(QStringLiteral("Pomiary"));
  EXPECT_EQ(v.Categories(), (QStringList{QStringLiteral("Okres"), QStringLiteral("Inne")}));
  EXPECT_EQ(v.IndexOf(QStringLiteral("Modul")), -1);
  EXPECT_EQ(v.IndexOf(QStringLiteral("Autor")), 0);
}

TEST(VariablesFile, RoundTripKeepsOrderCategoriesAndValues) {
  TfrxVariables v;
  fill(v);
  v.SetValue(QStringLiteral("Punkt"), QStringLiteral("'Magazyn \"A\" & <B>'"));
  v.SetValue(QStringLiteral("Od"), QStringLiteral("Date - 30"));
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("zmienne.xml"));
  v.SaveToFile(file);

  TfrxVariables back;
  back.SetValue(QStringLiteral("Stara"), 1);
  back.LoadFromFile(file);
  EXPECT_EQ(names(back), names(v));
  EXPECT_EQ(back.Value(QStringLiteral("Punkt")).toString(), QStringLiteral("'Magazyn \"A\" & <B>'"));
  EXPECT_EQ(back.Value(QStringLiteral("Od")).toString(), QStringLiteral("Date - 30"));
  EXPECT_EQ(back.Categories(), v.Categories());
  EXPECT_EQ(back.IndexOf(QStringLiteral("Stara")), -1);
}

TEST(VariablesFile, ReadsItemsUnderAnyCaseOfTheRootAndSkipsOtherElements) {
  QByteArray xml(
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n"
      "<Variables><item Name=\" Kategoria\"/><uwaga Name=\"Pomijana\"/><item Name=\"Punkt\" Value=\"'Biuro'\"/>"
      "</Variables>");
  QBuffer buffer(&xml);
  buffer.open(QIODevice::ReadOnly);
  TfrxVariables v;
  v.LoadFromStream(buffer);
  EXPECT_EQ(names(v), (QStringList{QStringLiteral(" Kategoria"), QStringLiteral("Punkt")}));
  EXPECT_EQ(v.Value(QStringLiteral("Punkt")).toString(), QStringLiteral("'Biuro'"));
}

TEST(VariablesFile, AnotherDocumentIsRefusedAndTheListStays) {
  QByteArray xml("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<style Name=\"Style\"><item Name=\"A\"/></style>");
  QBuffer buffer(&xml);
  buffer.open(QIODevice::ReadOnly);
  TfrxVariables v;
  v.SetValue(QStringLiteral("Moja"), 5);
  QString error;
  try {
    v.LoadFromStream(buffer);
  } catch (const ReportError& e) {
    error = e.message();
  }
  EXPECT_EQ(error, QStringLiteral("To nie jest plik zmiennych raportu: oczekiwano elementu \"variables\", a plik "
                                  "zaczyna się od \"style\"."));
  EXPECT_EQ(names(v), QStringList{QStringLiteral("Moja")});
  EXPECT_EQ(v.Value(QStringLiteral("Moja")), QVariant(5));
}

}  // namespace
