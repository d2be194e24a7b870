// Checking a report without running it: what preparing would stop at is
// found in the script, in every kind of expression and in the data fields
// they name, each once, prefixed with the object it belongs to.

#include "tests/report/engine_support.h"

#include "report/engine/report_check.h"

#include <QRegularExpression>

namespace valmoro::report {
namespace {

struct ReportCheck : testing::EngineFixture {
  ReportCheck() {
    setRows({{{"G", "A"}, {"V", 1}}});
    header = band<TfrxGroupHeader>("GroupHeader1", 10, 20);
    header->SetCondition("D.\"G\"");
    master = band<TfrxMasterData>("MasterData1", 40, 20);
    master->SetDataSet(data);
    row = memo(master, "Row", "[D.\"V\"] z [COUNT(MasterData1)] [Page#] / [TotalPages#] [D.\"V\" #n%2.2f]");
    auto* footer = band<TfrxGroupFooter>("GroupFooter1", 70, 20);
    memo(footer, "Total", "[SUM(<D.\"V\">,MasterData1)]");
  }
  TfrxGroupHeader* header;
  TfrxMasterData* master;
  TfrxMemoView* row;
};

TEST_F(ReportCheck, AReportThatPreparesHasNothingToReport) {
  EXPECT_EQ(engine::CheckReport(report), QStringList());
  // Checking compiled only: the report still prepares.
  ASSERT_TRUE(run()) << report.Errors().join('\n').toStdString();
}

TEST_F(ReportCheck, EveryExpressionIsCompiledAndEveryFieldLookedUp) {
  row->SetText("[D.\"V\"] [D.\"Brak\"] [1 +] [D.\"V\"");
  row->Highlight()->SetCondition("<D.\"Kolor\"> = 1");
  header->SetCondition("D.\"G\" +");
  master->SetSortExpressions({"D.\"G\"", "<D.\"Nieznane\"> DESC"});
  auto* variable = report.Variables()->Add();
  variable->SetName("Stawka");
  variable->SetValue(QStringLiteral("2 *"));
  const QStringList errors = engine::CheckReport(report);
  const auto starting = [&errors](const QString& begin) { return errors.filter(QRegularExpression("^" + QRegularExpression::escape(begin))).size(); };
  EXPECT_EQ(errors.size(), 7) << errors.join('\n').toStdString();
  EXPECT_EQ(starting("Row: Nieznaleziono pola: D.\"Brak\""), 1);
  EXPECT_EQ(starting("Row: Błąd w wyrażeniu '1 +': "), 1);
  // An unclosed bracket runs to the end of the text, as when preparing.
  EXPECT_EQ(starting("Row: Błąd w wyrażeniu 'D.\"V': "), 1);
  EXPECT_EQ(starting("Row: Nieznaleziono pola: D.\"Kolor\""), 1);
  EXPECT_EQ(starting("GroupHeader1: Błąd w wyrażeniu 'D.\"G\" +': "), 1);
  EXPECT_EQ(starting("MasterData1: Nieznaleziono pola: D.\"Nieznane\""), 1);
  EXPECT_EQ(starting("Stawka: Błąd w wyrażeniu '2 *': "), 1);
  // In the order of the objects, the text's expressions in theirs.
  EXPECT_TRUE(errors.first().startsWith("GroupHeader1: ")) << errors.join('\n').toStdString();
  EXPECT_TRUE(errors.last().startsWith("Stawka: ")) << errors.join('\n').toStdString();
}

TEST_F(ReportCheck, AScriptThatDoesNotCompileIsReportedAlone) {
  report.SetScriptText({"begin", "  x := ;", "end."});
  row->SetText("[1 +]");
  const QStringList errors = engine::CheckReport(report);
  ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
  EXPECT_TRUE(errors[0].contains("2:")) << errors[0].toStdString();
  // The report's own error list is left as it was.
  EXPECT_EQ(report.Errors(), QStringList());
}

}  // namespace
}  // namespace valmoro::report
