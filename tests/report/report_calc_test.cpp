// Names and expressions in the report: the order in which names resolve,
// report variables as expressions, the expression cache and Calc's errors.

#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "report/model/data_set.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_calc.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "script/script.h"
#include "script/variant.h"

namespace valmoro::report {
namespace {

using script::Variant;

// A report with a data set "Wpisy" whose Temperatura is 21.5 and whose Uwagi
// is Null.
struct CalcFixture : ::testing::Test {
  CalcFixture() {
    wpisy = new TfrxUserDataSet();
    wpisy->SetUserName("Wpisy");
    wpisy->SetFields({"Temperatura", "Uwagi"});
    wpisy->OnGetValue = [](const QString& field, QVariant& value) {
      if (field == "Temperatura") value = 21.5;
    };
    report.DataSets()->Add(wpisy);
  }
  ~CalcFixture() override { delete wpisy; }

  Variant value(const QString& name) {
    Variant v;
    EXPECT_TRUE(report.GetVariableValue(name, v)) << name.toStdString();
    return v;
  }

  dialogs::RecordingScope recording;
  TfrxReport report;
  TfrxUserDataSet* wpisy;
};

TEST_F(CalcFixture, AFieldWhoseValueEvaluatesOtherNamesStillResolves) {
  // Reading this field looks up many names that were never seen: the name
  // cache grows under the look-up that is running.
  auto* derived = new TfrxUserDataSet();
  derived->SetUserName("Pochodne");
  derived->SetFields({"Suma", "Brak"});
  derived->OnGetValue = [this](const QString& field, QVariant& value) {
    double sum = 0;
    for (int i = 0; i < 300; ++i) sum += report.Calc(QStringLiteral("V%1").arg(i)).toDouble();
    if (field == "Suma") value = sum;  // "Brak" stays Null
  };
  report.DataSets()->Add(derived);
  for (int i = 0; i < 300; ++i) report.Variables()->SetValue(QStringLiteral("V%1").arg(i), i % 2 ? 1.0 : 2.0);
  EXPECT_DOUBLE_EQ(value("Pochodne.\"Suma\"").ToDouble(), 450.0);
  EXPECT_DOUBLE_EQ(report.Calc("Pochodne.\"Suma\"").toDouble(), 450.0);
  // A Null becomes 0 by the field's type, asked after the names were read.
  EXPECT_EQ(value("Pochodne.\"Brak\"").ToInt(), 0);
  delete derived;
}

TEST_F(CalcFixture, ReportVariablesAreExpressionsUnlessTheySpanLines) {
  report.Variables()->SetValue("Iloczyn", "2*3");
  report.Variables()->SetValue("Opis", "2*3\r\ndruga linia");
  report.Variables()->SetValue("Liczba", 4.5);
  EXPECT_EQ(value("Iloczyn").ToInt(), 6);
  EXPECT_EQ(value("Opis").ToString(), "2*3\r\ndruga linia");
  EXPECT_DOUBLE_EQ(value("Liczba").ToDouble(), 4.5);
  // Names of variables compare exactly.
  Variant v;
  EXPECT_FALSE(report.GetVariableValue("iloczyn", v));
  EXPECT_EQ(report.Calc("Iloczyn").toInt(), 6);
}

TEST_F(CalcFixture, SystemVariablesComeBeforeReportVariables) {
  report.Variables()->SetValue("Page", "100");
  report.RunState().page = 3;
  report.RunState().pageNo = 5;
  EXPECT_EQ(value("page").ToInt(), 3);
  EXPECT_EQ(value("PAGE").ToInt(), 3);
  EXPECT_EQ(value("Page#").ToInt(), 5);
  EXPECT_EQ(value("Date").Kind(), script::VarKind::Date);
}

TEST_F(CalcFixture, DataFieldsOnlyOfListedDataSets) {
  EXPECT_DOUBLE_EQ(value("Wpisy.\"Temperatura\"").ToDouble(), 21.5);
  EXPECT_DOUBLE_EQ(value("WPISY.\"Temperatura\"").ToDouble(), 21.5);
  EXPECT_DOUBLE_EQ(report.Calc("Wpisy.\"Temperatura\"").toDouble(), 21.5);
  // ConvertNulls: a Null of a numeric field reads as 0, else stays Null.
  EXPECT_EQ(value("Wpisy.\"Uwagi\"").ToInt(), 0);
  report.EngineOptions()->SetConvertNulls(false);
  EXPECT_TRUE(value("Wpisy.\"Uwagi\"").IsNull());

  TfrxUserDataSet other;
  other.SetUserName("Inne");
  other.SetFields({"Temperatura"});
  other.OnGetValue = [](const QString&, QVariant& v) { v = 99; };
  Variant v;
  EXPECT_FALSE(report.GetVariableValue("Inne.\"Temperatura\"", v));
  // The name falls through to the later steps.
  report.Variables()->SetValue("Inne.\"Temperatura\"", 7);
  EXPECT_EQ(value("Inne.\"Temperatura\"").ToInt(), 7);
  // Two fields in one expression are no field.
  EXPECT_FALSE(report.GetVariableValue("Wpisy.\"Temperatura\" + Wpisy.\"Temperatura\"", v));
}

TEST_F(CalcFixture, ApplicationHandlersComeBeforeReportVariables) {
  report.Variables()->SetValue("Nazwa", "'ze zmiennej'");
  report.OnGetValue = [](const QString& name, QVariant& value) {
    if (name == "Nazwa") value = QString("z programu");
  };
  EXPECT_EQ(value("Nazwa").ToString(), "z programu");
  report.OnGetValue = nullptr;
  EXPECT_EQ(value("Nazwa").ToString(), "ze zmiennej");
}

TEST_F(CalcFixture, ExpressionsAndBracketedNames) {
  EXPECT_EQ(report.Calc("1 + 2").toInt(), 3);
  EXPECT_DOUBLE_EQ(report.Calc("<Wpisy.\"Temperatura\"> * 2 + 1").toDouble(), 44.0);
  EXPECT_EQ(report.Calc("IIF(<Wpisy.\"Temperatura\"> > 20, 'ciepło', 'zimno')").toString(), "ciepło");
  // An unknown bracketed name gives Null and is listed.
  EXPECT_FALSE(report.Calc("<Brak>").isValid());
  EXPECT_EQ(report.Errors(), QStringList{"Nieznana zmienna lub pole danych: Brak"});
}

TEST_F(CalcFixture, TheCacheSharesOnlyTextsTheLanguageTreatsAlike) {
  EXPECT_EQ(report.Calc("Abs(-2)").toInt(), 2);
  EXPECT_EQ(report.Calc("ABS(-2)").toInt(), 2);
  EXPECT_EQ(report.Calc("abs(-2)").toInt(), 2);
  EXPECT_EQ(report.ExpressionCacheCount(), 1);
  EXPECT_EQ(report.Calc("'abc'").toString(), "abc");
  EXPECT_EQ(report.Calc("'ABC'").toString(), "ABC");
  EXPECT_EQ(report.Calc("'abc'").toString(), "abc");
  EXPECT_EQ(report.ExpressionCacheCount(), 3);

  EXPECT_EQ(TfrxExpressionCache::KeyOf("PascalScript", "Copy('abC', 1, 2)"), "COPY('abC', 1, 2)");
  EXPECT_EQ(TfrxExpressionCache::KeyOf("BasicScript", "Left(\"abC\", 2)"), "LEFT(\"abC\", 2)");
  EXPECT_EQ(TfrxExpressionCache::KeyOf("C++Script", "abs(x)"), "abs(x)");
  EXPECT_EQ(TfrxExpressionCache::KeyOf("PascalScript", "<Zmienna> + 1"), "<Zmienna> + 1");

  report.SetScriptLanguage("C++Script");
  report.SetScriptText({"{", "}"});
  ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  EXPECT_EQ(report.Calc("\"abc\"").toString(), "abc");
  EXPECT_EQ(report.Calc("\"ABC\"").toString(), "ABC");
  EXPECT_EQ(report.ExpressionCacheCount(), 2);
}

TEST_F(CalcFixture, ErrorsNameTheCurrentObject) {
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* memo = new TfrxMemoView(page);
  memo->SetName("Memo1");
  report.SetCurrentObject(memo);
  try {
    report.Calc("1 +");
    ADD_FAILURE() << "no error raised";
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().startsWith("Memo1: Błąd w wyrażeniu '1 +': ")) << e.message().toStdString();
  }
  ASSERT_EQ(report.Errors().size(), 1);
  EXPECT_TRUE(report.Errors()[0].startsWith("Memo1: Błąd w wyrażeniu '1 +': "));

  EXPECT_THROW(report.Calc("1 div 0"), ReportError);
  report.EngineOptions()->SetIgnoreDevByZero(true);
  EXPECT_FALSE(report.Calc("1 div 0").isValid());
}

TEST_F(CalcFixture, AVariableLeadingBackToItselfIsAnErrorNotACrash) {
  report.Variables()->SetValue("A", "<B> + 1");
  report.Variables()->SetValue("B", "<A> + 1");
  EXPECT_THROW(report.Calc("A"), ReportError);
  EXPECT_TRUE(report.Errors().join('\n').contains("odwołuje się do samej siebie"));
}

TEST_F(CalcFixture, AggregatesGoToTheEngine) {
  EXPECT_THROW(report.Calc("SUM(<Wpisy.\"Temperatura\">)"), ReportError);
  EXPECT_TRUE(report.Errors().last().contains("SUM"));

  QString seen;
  hooks::setAggregateCalculator([&](TfrxReport&, const QString& function, const QStringList& arguments) {
    seen = function + ":" + arguments.join('|');
    return QVariant(123);
  });
  EXPECT_EQ(report.Calc("sum(<Wpisy.\"Temperatura\">, 0, 1)").toInt(), 123);
  EXPECT_EQ(seen, "SUM:<Wpisy.\"Temperatura\">|0|1");
  EXPECT_EQ(report.Calc("COUNT()").toInt(), 123);
  EXPECT_EQ(seen, "COUNT:");
  EXPECT_EQ(report.Calc("MAX(<Wpisy.\"Temperatura\">)").toInt(), 123);
  EXPECT_EQ(seen, "MAX:<Wpisy.\"Temperatura\">");
  hooks::setAggregateCalculator({});
}

TEST_F(CalcFixture, AnExpressionCannotReloadTheReportItBelongsTo) {
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  try {
    report.Calc("Report.LoadFromFile('brak.fr3')");
    ADD_FAILURE() << "no error raised";
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().contains("w trakcie wykonywania jego skryptu")) << e.message().toStdString();
  }
  EXPECT_EQ(report.FindObject("Page1"), page);
  // Once the expression has ended, the report can be cleared again.
  report.Clear();
  EXPECT_EQ(report.FindObject("Page1"), nullptr);
}

TEST_F(CalcFixture, ScriptVariablesAndSet) {
  report.SetScriptText({"var Licznik: Integer;", "begin", "  Licznik := 41;", "  Set('Z', Licznik + 1);", "end."});
  ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  report.Script().RunMain();
  EXPECT_EQ(value("Licznik").ToInt(), 41);
  EXPECT_EQ(report.Variables()->Value("Z").toInt(), 42);
  EXPECT_EQ(report.Calc("Licznik * 2").toInt(), 82);
}

TEST_F(CalcFixture, TheReportsScriptSeesThePlatformClassesItsObjectsDescendFrom) {
  // Nothing registered by the test: the report brings the modules it needs.
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  report.SetScriptText({"var l: TStringList;", "begin", "  l := TStringList.Create;",
                        "  l.Add(Page1.ClassName); l.Add(Report.ClassName);", "  Set('Klasy', l.CommaText);",
                        "  l.Free;", "end."});
  ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  report.Script().RunMain();
  EXPECT_EQ(report.Variables()->Value("Klasy").toString(), "TfrxReportPage,TfrxReport");
}

}  // namespace
}  // namespace valmoro::report
