// Building blocks: saved from one report into the test's own library
// folder, inserted into another with the same XML apart from unique names,
// one undo step; names refused; the library dialog's rename and delete.
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include "designer_support.h"
#include "designer/building_blocks.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::Designed;

namespace {

// Each test starts with an empty library in the test-mode data folder.
struct Library : ::testing::Test {
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);
    QDir(BlockLibraryFolder()).removeRecursively();
  }
  void TearDown() override { QDir(BlockLibraryFolder()).removeRecursively(); }
};

// The objects' XML with their names (and the names inside the texts of
// clipboard content) taken out, to compare what was saved with what came in.
QString withoutNames(QString xml) {
  static const QRegularExpression name(QStringLiteral(" Name=\"[^\"]*\""));
  return xml.remove(name);
}

QStringList namesIn(const QString& xml) {
  static const QRegularExpression name(QStringLiteral(" Name=\"([^\"]*)\""));
  QStringList names;
  for (const auto& m : name.globalMatch(xml)) names.append(m.captured(1));
  return names;
}

}  // namespace

TEST_F(Library, KeepsTheFolderOfTheTestsOwn) {
  EXPECT_TRUE(BlockLibraryFolder().startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
  EXPECT_TRUE(BlockLibraryFolder().endsWith("/Bloki"));
  EXPECT_TRUE(BlockLibraryFolder().contains("/.qttest/")) << BlockLibraryFolder().toStdString();
}

TEST_F(Library, ViewsOfABandGoIntoAnotherReportAsOneUndoStep) {
  Designed from;
  from.document->SelectNames({"NaglowekData", "NaglowekPunkt"});
  QString refusal;
  const QString saved = SelectionAsBlock(*from.document, &refusal);
  ASSERT_EQ(refusal, "");
  ASSERT_EQ(WriteBlock("Nagłówki kolumn", saved), "");
  EXPECT_EQ(BlockNames(), QStringList{"Nagłówki kolumn"});
  // Nothing but the block in the folder: no temporary file left behind.
  EXPECT_EQ(QDir(BlockLibraryFolder()).entryList(QDir::Files), QStringList{"Nagłówki kolumn.xml"});

  // Into the same report: the names made unique, the band the selected one.
  Designed into;
  const QByteArray before = into.bytes();
  into.document->SelectNames({"MasterData1"});
  const int steps = into.document->UndoStack().count();
  ASSERT_EQ(InsertBlock(*into.document, "Nagłówki kolumn"), "");
  EXPECT_EQ(into.document->UndoStack().count(), steps + 1);
  const QStringList inserted = into.document->SelectedNames();
  ASSERT_EQ(inserted.size(), 2);
  for (const QString& name : inserted) {
    EXPECT_FALSE(name == "NaglowekData" || name == "NaglowekPunkt") << name.toStdString();
    EXPECT_EQ(into.report.FindObject(name)->Parent()->Name(), "MasterData1");
  }
  const QString insertedXml = report::edit::CopyAsXml(into.report, inserted);
  EXPECT_EQ(withoutNames(insertedXml), withoutNames(saved));
  EXPECT_EQ(namesIn(insertedXml), inserted);

  into.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(into.bytes(), before);
}

TEST_F(Library, BandsWithTheirChildrenComeInAsNewBands) {
  Designed from;
  from.document->SelectNames({"PageFooter1"});
  QString refusal;
  const QString saved = SelectionAsBlock(*from.document, &refusal);
  ASSERT_EQ(refusal, "");
  ASSERT_EQ(WriteBlock("Stopka", saved), "");

  Designed into(false);
  into.document->NewReport();
  const QByteArray before = into.bytes();
  ASSERT_EQ(InsertBlock(*into.document, "Stopka"), "");
  const QStringList inserted = into.document->SelectedNames();
  ASSERT_EQ(inserted.size(), 1);
  auto* band = qobject_cast<report::TfrxBand*>(into.report.FindObject(inserted.first()));
  ASSERT_NE(band, nullptr);
  EXPECT_GT(band->Objects().size(), 0);
  // A band takes its place among the page's bands: only its Top may differ.
  static const QRegularExpression bandTop(QStringLiteral("(<TfrxPageFooter[^>]*) Top=\"[^\"]*\""));
  const QString got = withoutNames(report::edit::CopyAsXml(into.report, inserted));
  EXPECT_NE(got, withoutNames(saved));
  EXPECT_EQ(QString(got).replace(bandTop, "\\1").toStdString(), QString(withoutNames(saved)).replace(bandTop, "\\1").toStdString());
  into.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(into.bytes(), before);
}

TEST_F(Library, RefusesWhatCannotBeABlock) {
  for (const QString& bad : {QString(), QString("   "), QString(" Blok"), QString("a/b"), QString("a\\b"), QString("co?"),
                             QString("x:y"), QString("Blok."), QString(".."), QString("a*b"), QString("<a>"), QString("a|b"),
                             QString("\"a\""), QString("tab\tulator"), QString(101, 'x')})
    EXPECT_NE(BlockNameRefusal(bad), "") << bad.toStdString();
  for (const QString& good : {QString("Nagłówek"), QString("Stopka 2 (wąska)"), QString("zażółć-gęślą_jaźń"), QString(100, 'x')})
    EXPECT_EQ(BlockNameRefusal(good), "") << good.toStdString();
  EXPECT_NE(WriteBlock("a/b", "<Clipboard/>"), "");
  EXPECT_TRUE(BlockNames().isEmpty());

  Designed d;
  QString refusal;
  d.document->ClearSelection();
  EXPECT_EQ(SelectionAsBlock(*d.document, &refusal), "");
  EXPECT_EQ(refusal, "Zaznacz obiekty, które mają stanowić blok.");
  d.document->SelectNames({"NaglowekData", "PageFooter1"});
  SelectionAsBlock(*d.document, &refusal);
  EXPECT_EQ(refusal, "Blokiem mogą być obiekty jednej wstęgi albo całe wstęgi, nie jedno i drugie naraz.");
  d.document->SelectNames({"NaglowekData", "Tytul"});
  SelectionAsBlock(*d.document, &refusal);
  EXPECT_EQ(refusal, "Obiekty bloku muszą leżeć na jednej wstędze.");
}

TEST_F(Library, SavingAsksForANameAndBeforeReplacing) {
  Designed d;
  dialogs::RecordingScope recording;
  d.document->SelectNames({"Tytul"});
  // A bad name is refused and asked again; then a good one.
  dialogs::queueTextAnswer(QString("zły/blok"));
  dialogs::queueTextAnswer(QString("Tytuł"));
  ASSERT_TRUE(SaveSelectionAsBlock(*d.document, nullptr));
  EXPECT_TRUE(recording.messages().join("\n").contains("Nazwa bloku nie może zawierać znaków"));
  EXPECT_EQ(BlockNames(), QStringList{"Tytuł"});

  // The same name again: "Nie" keeps the old block and asks again (cancelled here).
  d.document->SelectNames({"Okres"});
  dialogs::clearRecordedMessages();
  dialogs::queueTextAnswer(QString("Tytuł"));
  dialogs::queueAnswer(false);
  dialogs::queueTextAnswer(std::nullopt);
  EXPECT_FALSE(SaveSelectionAsBlock(*d.document, nullptr));
  EXPECT_TRUE(recording.messages().join("\n").contains("Blok „Tytuł” już istnieje. Zastąpić go?"));
  EXPECT_TRUE(ReadBlock("Tytul").isEmpty());
  EXPECT_TRUE(ReadBlock("Tytuł").contains("Name=\"Tytul\""));

  // "Tak" replaces it.
  dialogs::queueTextAnswer(QString("Tytuł"));
  dialogs::queueAnswer(true);
  EXPECT_TRUE(SaveSelectionAsBlock(*d.document, nullptr));
  EXPECT_TRUE(ReadBlock("Tytuł").contains("Name=\"Okres\""));
  EXPECT_EQ(BlockNames().size(), 1);
}

TEST_F(Library, TheDialogShowsRenamesDeletesAndInserts) {
  Designed d;
  d.document->SelectNames({"Tytul"});
  ASSERT_EQ(WriteBlock("Tytuł", SelectionAsBlock(*d.document, nullptr)), "");
  d.document->SelectNames({"PageFooter1"});
  ASSERT_EQ(WriteBlock("Ąa stopka", SelectionAsBlock(*d.document, nullptr)), "");
  dialogs::RecordingScope recording;

  BlockLibraryDialog dialog(*d.document);
  // Polish alphabetical order: "Ą" after "A", before "T".
  ASSERT_EQ(dialog.List()->count(), 2);
  EXPECT_EQ(dialog.List()->item(0)->text(), "Ąa stopka");
  dialog.List()->setCurrentRow(1);
  EXPECT_FALSE(dialog.Picture()->pixmap().isNull());

  dialogs::queueTextAnswer(QString("Ąa stopka"));
  dialog.RenameChosen();
  EXPECT_EQ(dialog.MessageLabel()->text(), "Blok „Ąa stopka” już istnieje.");
  dialogs::queueTextAnswer(QString("Nagłówek raportu"));
  dialog.RenameChosen();
  EXPECT_EQ(BlockNames(), (QStringList{"Ąa stopka", "Nagłówek raportu"}));
  EXPECT_EQ(dialog.List()->currentItem()->text(), "Nagłówek raportu");

  dialog.List()->setCurrentRow(0);
  dialogs::queueAnswer(false);
  dialog.DeleteChosen();
  EXPECT_EQ(BlockNames().size(), 2);
  dialogs::queueAnswer(true);
  dialog.DeleteChosen();
  EXPECT_EQ(BlockNames(), QStringList{"Nagłówek raportu"});

  const QByteArray before = d.bytes();
  d.document->SelectNames({"Tytul"});
  QTest::mouseClick(dialog.InsertButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_NE(d.bytes(), before);
  ASSERT_EQ(d.document->SelectedNames().size(), 1);
  EXPECT_NE(d.document->SelectedNames().first(), "Tytul");
  d.document->UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.bytes(), before);
}
