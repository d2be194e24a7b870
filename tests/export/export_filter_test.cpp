// The filter base: the process-wide list, creation defaults, page ranges and
// the output file that appears only once it is complete.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QTemporaryDir>

#include "export/export_filter.h"
#include "report/model/memo_view.h"
#include "report/model/band.h"
#include "report/model/report.h"

namespace valmoro::exports {
namespace {

class CountingFilter : public TfrxCustomExportFilter {
public:
  using TfrxCustomExportFilter::TfrxCustomExportFilter;
  void ExportView(report::TfrxComponent*) override {}
  using TfrxCustomExportFilter::CommitOutput;
  using TfrxCustomExportFilter::DiscardOutput;
  using TfrxCustomExportFilter::OpenOutput;
  using TfrxCustomExportFilter::ResolveOutputFileName;
  void SetExtension(const QString& ext) { SetFileExtension(ext); }
};

QList<int> sorted(const QSet<int>& pages) {
  QList<int> list(pages.begin(), pages.end());
  std::sort(list.begin(), list.end());
  return list;
}

TEST(ExportFilterList, RegistersOnceInOrderAndForgetsDestroyedFilters) {
  const int before = ExportFilterList().Count();
  auto first = std::make_unique<CountingFilter>();
  auto second = std::make_unique<CountingFilter>();
  ASSERT_EQ(ExportFilterList().Count(), before + 2);
  EXPECT_EQ(ExportFilterList().Item(before).Filter, first.get());
  EXPECT_EQ(ExportFilterList().Item(before + 1).Filter, second.get());
  // A second registration of the same object is not listed twice.
  EXPECT_FALSE(ExportFilterList().Register(first.get()));
  EXPECT_EQ(ExportFilterList().Count(), before + 2);
  first.reset();
  ASSERT_EQ(ExportFilterList().Count(), before + 1);
  EXPECT_EQ(ExportFilterList().Item(before).Filter, second.get());
  second.reset();
  EXPECT_EQ(ExportFilterList().Count(), before);
}

TEST(ExportFilterDefaults, CreationValuesAndPublishedProperties) {
  CountingFilter filter;
  EXPECT_TRUE(filter.ShowDialog());
  EXPECT_TRUE(filter.UseFileCache());
  EXPECT_TRUE(filter.ShowProgress());
  EXPECT_FALSE(filter.OverwritePrompt());
  EXPECT_FALSE(filter.Subordinate());
  EXPECT_FALSE(filter.ExportNotPrintable());
  EXPECT_TRUE(filter.DefaultPath().isEmpty());
  EXPECT_TRUE(filter.FilterCaption().isEmpty());
  EXPECT_EQ(filter.ShowOptionsDialog(), 1);
  // Published in this order after the component's Name and Tag.
  QStringList names;
  const QMetaObject* meta = filter.metaObject();
  for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
    names << QString::fromLatin1(meta->property(i).name());
  EXPECT_EQ(names, (QStringList{"Name", "Tag", "ShowDialog", "FileName", "ExportNotPrintable", "UseFileCache",
                                "DefaultPath", "ShowProgress", "OverwritePrompt"}));
  ASSERT_TRUE(filter.setProperty("FileName", QStringLiteral("a.rtf")));
  EXPECT_EQ(filter.FileName(), "a.rtf");
}

TEST(ExportFilterViews, OnlyViewsAndNonPrintableOnlyWhenAsked) {
  CountingFilter filter;
  report::TfrxMemoView memo;
  report::TfrxMasterData band;
  EXPECT_TRUE(filter.IsExportableView(&memo));
  EXPECT_FALSE(filter.IsExportableView(&band));
  memo.SetPrintable(false);
  EXPECT_FALSE(filter.IsExportableView(&memo));
  filter.SetExportNotPrintable(true);
  EXPECT_TRUE(filter.IsExportableView(&memo));
}

TEST(PageRange, ListsRangesOpenEndsSpacesAndReversedRanges) {
  EXPECT_EQ(sorted(ParsePageRange("1,3,5-12", 20)), (QList<int>{1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(sorted(ParsePageRange("5-", 8)), (QList<int>{5, 6, 7, 8}));
  EXPECT_EQ(sorted(ParsePageRange(" 1 , 3 , 5 - 7 ", 20)), (QList<int>{1, 3, 5, 6, 7}));
  EXPECT_EQ(sorted(ParsePageRange("7-3", 20)), QList<int>{});
  EXPECT_EQ(sorted(ParsePageRange("7-3,2", 20)), QList<int>{2});
  EXPECT_TRUE(ParsePageRange("", 20).isEmpty());
  // A huge range over a short report stays cheap and selects what exists.
  EXPECT_EQ(sorted(ParsePageRange("2-2000000000", 3)), (QList<int>{2, 3}));
}

TEST(PageRange, TextThatIsNotNumbersIsAnError) {
  EXPECT_THROW(ParsePageRange("1,x", 20), ExportError);
  EXPECT_THROW(ParsePageRange("1-b", 20), ExportError);
}

TEST(ExportOutputName, DefaultPathGoesInFrontOfABareName) {
  CountingFilter filter;
  filter.SetDefaultPath("/tmp/out");
  filter.SetFileName("raport.rtf");
  ASSERT_TRUE(filter.ResolveOutputFileName());
  EXPECT_EQ(filter.FileName(), "/tmp/out/raport.rtf");
  filter.SetFileName("/home/x/raport.rtf");
  ASSERT_TRUE(filter.ResolveOutputFileName());
  EXPECT_EQ(filter.FileName(), "/home/x/raport.rtf");
  filter.SetDefaultPath("/tmp/out/");
  filter.SetFileName("b.rtf");
  ASSERT_TRUE(filter.ResolveOutputFileName(false));
  EXPECT_EQ(filter.FileName(), "/tmp/out/b.rtf");
}

TEST(ExportOutputName, NoNameAndNoStreamMeansNoExport) {
  CountingFilter filter;
  EXPECT_FALSE(filter.ResolveOutputFileName());
}

TEST(ExportOutputName, SubordinateRunsWriteToTheTemporaryFolder) {
  CountingFilter filter;
  filter.SetExtension(".rtf");
  filter.SetSubordinate(true);
  report::TfrxReport report;
  filter.SetReport(&report);
  ASSERT_TRUE(filter.ResolveOutputFileName());
  const QFileInfo fresh(filter.FileName());
  EXPECT_EQ(fresh.absolutePath(), QDir(QDir::tempPath()).absolutePath());
  EXPECT_TRUE(fresh.fileName().startsWith("fr"));
  EXPECT_TRUE(fresh.fileName().endsWith(".rtf"));
  // Two runs never share a name.
  const QString firstName = filter.FileName();
  ASSERT_TRUE(filter.ResolveOutputFileName());
  EXPECT_NE(filter.FileName(), firstName);
}

TEST(ExportOutputFile, AppearsOnlyWhenCommitted) {
  QTemporaryDir dir;
  CountingFilter filter;
  filter.SetFileName(dir.filePath("wynik.rtf"));
  QFile old(filter.FileName());
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("stary");
  old.close();

  QIODevice* out = filter.OpenOutput();
  out->write("{\\rtf1 nowy}");
  filter.DiscardOutput();
  // A dropped export leaves the previous file as it was and no stray file.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"wynik.rtf"});
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "stary");
  old.close();

  out = filter.OpenOutput();
  out->write("{\\rtf1 nowy}");
  filter.CommitOutput();
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "{\\rtf1 nowy}");
}

TEST(ExportOutputFile, UnwritableFolderIsAPolishError) {
  CountingFilter filter;
  filter.SetFileName("/nonexistent-folder/x/wynik.rtf");
  try {
    filter.OpenOutput();
    FAIL() << "no error";
  } catch (const ExportError& error) {
    EXPECT_TRUE(error.message().startsWith("Nie można utworzyć pliku")) << error.message().toStdString();
  }
}

}  // namespace
}  // namespace valmoro::exports
