// The text resources: look-up, language files and the script engine's texts.

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "report/model/report_error.h"
#include "report/model/resources.h"
#include "script/program_messages.h"

namespace valmoro::report {
namespace {

struct ResourcesTest : ::testing::Test {
  ~ResourcesTest() override { resources::reset(); }
};

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST_F(ResourcesTest, NamesAndNumbersGiveTheirPolishTexts) {
  EXPECT_EQ(resources::text(u"clErrors"), "Pojawił się następujący błąd(y):");
  EXPECT_EQ(resources::text(u"dbNotConn"), "Źródło %s jest niepodłączone");
  EXPECT_EQ(resources::text(u"ctAggregate"), "Łączna wartość");
  EXPECT_EQ(resources::text(u"2"), "Anuluj");
  EXPECT_EQ(resources::text(u"5001"), "Podaj hasło:");
  EXPECT_EQ(resources::text(u"nieMaTakiej"), "nieMaTakiej");
  // The engine speaks Polish once the texts are there.
  EXPECT_EQ(script::ProgramMessage(script::SEventError), "Uchwyt zdarzenia musi być procedurą");
}

TEST_F(ResourcesTest, ALanguageFileReplacesAndAddsTexts) {
  QTemporaryDir dir;
  const QString path = dir.filePath("english.frc");
  writeFile(path,
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n"
            "<Resources CodePage=\"1252\">"
            "<StrRes Name=\"mbError\" Text=\"Error\"/>"
            "<StrRes Name=\"nowy\" Text=\"!Nowy &#38; lepszy\"/>"
            "<StrRes Name=\"SEventError\" Text=\"Handler must be a procedure\"/>"
            "<Inne Name=\"clErrors\" Text=\"pominięty\"/>"
            "</Resources>");
  resources::loadFromFile(path);
  EXPECT_EQ(resources::text(u"mbError"), "Error");
  EXPECT_EQ(resources::text(u"nowy"), "Nowy & lepszy");
  EXPECT_EQ(resources::text(u"clErrors"), "Pojawił się następujący błąd(y):");
  EXPECT_EQ(resources::text(u"5000"), "Hasło");
  EXPECT_EQ(script::ProgramMessage(script::SEventError), "Handler must be a procedure");
}

TEST_F(ResourcesTest, ABrokenBlockChangesNothing) {
  QBuffer broken;
  broken.setData("to nie jest dokument");
  broken.open(QIODevice::ReadOnly);
  EXPECT_THROW(resources::loadFromStream(broken), ReportError);
  QBuffer otherRoot;
  otherRoot.setData("<?xml version=\"1.0\" standalone=\"no\"?><variables><StrRes Name=\"mbError\" Text=\"X\"/></variables>");
  otherRoot.open(QIODevice::ReadOnly);
  EXPECT_THROW(resources::loadFromStream(otherRoot), ReportError);
  EXPECT_EQ(resources::text(u"mbError"), "Błąd");
}

TEST_F(ResourcesTest, AvailableLanguagesAreTheLanguageFiles) {
  QTemporaryDir dir;
  writeFile(dir.filePath("polski.frc"), "");
  writeFile(dir.filePath("english.frc"), "");
  writeFile(dir.filePath("notatki.txt"), "");
  EXPECT_EQ(resources::availableLanguages(dir.path()), (QStringList{"English", "Polski"}));
}

}  // namespace
}  // namespace valmoro::report
