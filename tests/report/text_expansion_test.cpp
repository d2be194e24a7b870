// What text views print for a row: bracketed expressions, inline and display
// formats, bound fields, hidden zeros, repeated values, highlights, text
// flowing on, the page-count and copy-name placeholders, and hostile texts.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "platform/database.h"
#include "platform/dialogs.h"
#include "report/engine/bracket_scanner.h"
#include "report/engine/memo_expansion.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

namespace valmoro::report {
namespace {

using engine::TakeData;

const QChar kNbsp(0x00A0);

// A report with one row of "Wpisy" and a data band to put text views on.
struct Expansion : ::testing::Test {
  Expansion() {
    wpisy = new TfrxUserDataSet();
    wpisy->SetUserName("Wpisy");
    wpisy->SetFields(row.keys());
    wpisy->OnGetValue = [this](const QString& field, QVariant& value) { value = row.value(field); };
    report.DataSets()->Add(wpisy);
    page = new TfrxReportPage(&report);
    page->SetName("Page1");
    band = new TfrxMasterData(page);
    band->SetName("MasterData1");
  }
  ~Expansion() override { delete wpisy; }

  TfrxMemoView* memo(const QString& text) {
    auto* view = new TfrxMemoView(band);
    view->CreateUniqueName();
    view->SetText(text);
    return view;
  }

  // What the view prints for the current row; the design text comes back
  // afterwards, as it does after every output.
  QString print(TfrxCustomMemoView* view) {
    view->SaveDesignState();
    TakeData(*view);
    const QString text = view->Text();
    view->RestoreDesignState();
    return text;
  }
  QString print(const QString& text) { return print(memo(text)); }

  dialogs::RecordingScope recording;
  QVariantMap row{{"Temperatura", 1234.5},
                  {"Punkt", "Chłodnia [A]"},
                  {"Data", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))},
                  {"Zero", 0},
                  {"ZeroF", 0.0},
                  {"ZeroTekst", "0"},
                  {"Ok", true},
                  {"Brak", QVariant()}};
  TfrxReport report;
  TfrxUserDataSet* wpisy;
  TfrxReportPage* page;
  TfrxMasterData* band;
};

TEST_F(Expansion, InlineNumericFormatsPrintTheSeparatorWrittenInThem) {
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #n%2,2f]"), "1234,50");
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #n%2-2f]"), "1234-50");
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #n%2.2f]"), "1234.50");
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #N%2,1f] °C"), "1234,5 °C");
  EXPECT_EQ(print(QStringLiteral("[Wpisy.\"Temperatura\" #n%2,2n]")), QStringLiteral("1") + kNbsp + "234,50");
  EXPECT_EQ(print(QStringLiteral("[Wpisy.\"Temperatura\" #n%2,2m]")), QStringLiteral("1") + kNbsp + "234,50 zł");
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #n%g]"), "1234,5");
  // Integers: the value rounded half to even.
  EXPECT_EQ(print("[Wpisy.\"Temperatura\" #n%d]"), "1234");
  EXPECT_EQ(print("[7 #n%3d]"), "  7");
  // The text after " #" holds a ")": it belongs to the expression.
  EXPECT_EQ(print("[Length('a #b)')]"), "5");
  // An unknown kind letter formats as text.
  EXPECT_EQ(print("[2 + 3 #x]"), "5");
}

TEST_F(Expansion, DisplayFormatsOfEveryKind) {
  TfrxMemoView* number = memo("[Wpisy.\"Temperatura\"]");
  number->DisplayFormat()->SetKind(fkNumeric);
  number->DisplayFormat()->SetFormatStr("#,##0.00");
  EXPECT_EQ(print(number), QStringLiteral("1") + kNbsp + "234,50");
  number->DisplayFormat()->SetDecimalSeparator(".");
  number->DisplayFormat()->SetThousandSeparator("'");
  EXPECT_EQ(print(number), "1'234.50");
  number->DisplayFormat()->SetFormatStr("%2.2n");
  EXPECT_EQ(print(number), "1'234.50");
  // Separators longer than one character are not used.
  number->DisplayFormat()->SetDecimalSeparator("..");
  number->DisplayFormat()->SetThousandSeparator("");
  EXPECT_EQ(print(number), QStringLiteral("1") + kNbsp + "234,50");
  number->DisplayFormat()->SetFormatStr("%u");
  EXPECT_EQ(print(number), "1234");

  TfrxMemoView* date = memo("Dnia [Wpisy.\"Data\"]");
  date->DisplayFormat()->SetKind(fkDateTime);
  date->DisplayFormat()->SetFormatStr("dd.mm.yyyy");
  EXPECT_EQ(print(date), "Dnia 05.03.2024");
  date->DisplayFormat()->SetFormatStr("hh:nn:ss");
  EXPECT_EQ(print(date), "Dnia 14:07:09");
  date->DisplayFormat()->SetFormatStr("dd mmmm yyyy");
  EXPECT_EQ(print(date), "Dnia 05 marca 2024");
  EXPECT_EQ(print("[Wpisy.\"Data\" #ddd.mm.yyyy]"), "05.03.2024");
  EXPECT_EQ(print("[Wpisy.\"Data\" #thh:nn]"), "14:07");

  EXPECT_EQ(print("[Wpisy.\"Ok\" #bNie,Tak]"), "Tak");
  EXPECT_EQ(print("[1 > 2 #bNie,Tak]"), "Nie");
  EXPECT_EQ(print("[Wpisy.\"Ok\" #bFałsz,Prawda] / [False #b_,x]"), "Prawda / _");
  TfrxMemoView* yesNo = memo("[Wpisy.\"Ok\"]");
  yesNo->DisplayFormat()->SetKind(fkBoolean);
  yesNo->DisplayFormat()->SetFormatStr("0,1");
  EXPECT_EQ(print(yesNo), "1");

  // Null prints nothing whatever the format (unless nulls are read as zeros).
  EXPECT_EQ(print("<[Wpisy.\"Brak\" #n%2.2f]>"), "<0.00>");
  report.EngineOptions()->SetConvertNulls(false);
  EXPECT_EQ(print("<[Wpisy.\"Brak\" #n%2.2f]>"), "<>");
  // Text of the plain kinds.
  EXPECT_EQ(print("[Wpisy.\"Temperatura\"] [Wpisy.\"Ok\"] [Wpisy.\"Data\"]"), "1234,5 True 2024-03-05 14:07:09");
}

TEST_F(Expansion, AValueTheFormatCannotTakePrintsAsItsPlainText) {
  TfrxMemoView* view = memo("[Wpisy.\"Temperatura\"]");
  view->DisplayFormat()->SetKind(fkNumeric);
  // A width no text should be padded to.
  view->DisplayFormat()->SetFormatStr("%999999999d");
  EXPECT_EQ(print(view), "1234,5");
  // Two directives, one value.
  view->DisplayFormat()->SetFormatStr("%2.2f %d");
  EXPECT_EQ(print(view), "1234,5");
  // A text is no number.
  EXPECT_EQ(print("[Wpisy.\"Punkt\" #n%2.2f]"), "Chłodnia [A]");
  EXPECT_EQ(print("['jutro' #ddd.mm.yyyy]"), "jutro");
}

TEST_F(Expansion, HideZerosHidesZeroNumbersButNotTheTextZero) {
  TfrxMemoView* view = memo("[Wpisy.\"Zero\"]|[Wpisy.\"ZeroF\"]|[Wpisy.\"ZeroTekst\"]|[0.0 #n%2,2f]|[1 - 1]");
  EXPECT_EQ(print(view), "0|0|0|0,00|0");
  view->SetHideZeros(true);
  EXPECT_EQ(print(view), "||0||");
  // The value is still the zero.
  EXPECT_EQ(view->Value().ToInt(), 0);
}

TEST_F(Expansion, SuppressRepeatedBlanksARepeatedTextUntilTheRunOrPageStartsAgain) {
  TfrxMemoView* view = memo("[Wpisy.\"Punkt\"]");
  view->SetSuppressRepeated(true);
  QStringList printed;
  for (const char* value : {"A", "A", "B", "B"}) {
    row["Punkt"] = value;
    printed << print(view);
  }
  EXPECT_EQ(printed, QStringList({"A", "", "B", ""}));
  // The first row of a new page shows its value again.
  engine::ShowRepeatedValuesAgain(*band);
  EXPECT_EQ(print(view), "B");
  EXPECT_EQ(print(view), "");
  // So does the first row of a band's run or a new group.
  engine::ForgetRepeatedValues(*band);
  EXPECT_EQ(print(view), "B");
  // An empty text on a new page is not a value that was shown.
  row["Punkt"] = "";
  engine::ShowRepeatedValuesAgain(*band);
  EXPECT_EQ(print(view), "");
  row["Punkt"] = "C";
  EXPECT_EQ(print(view), "C");
}

TEST_F(Expansion, InsertedValuesAreNeverExpandedAgain) {
  row["Punkt"] = "[1 + 1]";
  EXPECT_EQ(print("Punkt: [Wpisy.\"Punkt\"], dalej [2 * 3]"), "Punkt: [1 + 1], dalej 6");
  EXPECT_EQ(print("['[' + 'Page#' + ']']"), "[Page#]");
}

TEST_F(Expansion, QuotesAndNestingKeepOneExpressionTogether) {
  EXPECT_EQ(print("[Copy('a]b', 1, 1)]"), "a");
  EXPECT_EQ(print("[Copy('a]b', 2, 2)]!"), "]b!");
  EXPECT_EQ(print("[IIF(1 > 0, 'tak', 'nie')] i [IIF(1 < 0, 'tak', 'nie')]"), "tak i nie");
  EXPECT_EQ(print("Bez wyrażeń"), "Bez wyrażeń");
  // A closing bracket alone is plain text.
  EXPECT_EQ(print("abc] [1+1]"), "abc] 2");
}

TEST_F(Expansion, DelimitersOfAnyLength) {
  TfrxMemoView* view = memo("Suma: <%1 + 2%>, [nie] i <%'%>'%>.");
  view->SetExpressionDelimiters("<%,%>");
  EXPECT_EQ(print(view), "Suma: 3, [nie] i %>.");
  view->SetExpressionDelimiters("{{,}}");
  view->SetText("x{{2*21}}y{{'}}'}}z");
  EXPECT_EQ(print(view), "x42y}}z");
  // Without AllowExpressions the text stays as written.
  view->SetAllowExpressions(false);
  EXPECT_EQ(print(view), "x{{2*21}}y{{'}}'}}z");
}

TEST_F(Expansion, LinesAreExpandedAsOneText) {
  TfrxMemoView* view = memo("");
  view->SetMemo({"Pierwsza [1 +", "2] linia", "druga [Wpisy.\"Ok\" #bN,T]"});
  EXPECT_EQ(print(view), "Pierwsza 3 linia\r\ndruga T");
  EXPECT_EQ(view->Memo(), QStringList({"Pierwsza [1 +", "2] linia", "druga [Wpisy.\"Ok\" #bN,T]"}));
}

TEST_F(Expansion, AnExpressionErrorReachesTheReportAndNothingIsPrinted) {
  TfrxMemoView* view = memo("Wynik: [1 +]");
  view->SetName("PoleWyniku");
  view->SaveDesignState();
  try {
    TakeData(*view);
    ADD_FAILURE() << "no error raised";
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().startsWith("PoleWyniku: Błąd w wyrażeniu '1 +'")) << e.message().toStdString();
  }
  ASSERT_EQ(report.Errors().size(), 1);
  EXPECT_TRUE(report.Errors()[0].startsWith("PoleWyniku: Błąd w wyrażeniu '1 +'"));
  // The text was not replaced by anything that looks like a result.
  EXPECT_EQ(view->Text(), "Wynik: [1 +]");
  view->RestoreDesignState();
  // An unknown name is an error too, not an empty value.
  EXPECT_THROW(print("[Nieznana]"), ReportError);
}

TEST_F(Expansion, BoundViewsPrintTheFieldsDisplayText) {
  TfrxMemoView* view = memo("[nie to]");
  view->SetDataSet(wpisy);
  view->SetDataField("Punkt");
  EXPECT_EQ(print(view), "Chłodnia [A]");
  EXPECT_EQ(view->Text(), "[nie to]");
  view->SetDataField("Temperatura");
  EXPECT_EQ(print(view), "1234.5");  // the user data set's own text of the value
  view->DisplayFormat()->SetKind(fkNumeric);
  view->DisplayFormat()->SetFormatStr("%2.1f");
  EXPECT_EQ(print(view), "1234,5");
  view->SetDataField("Zero");
  view->DisplayFormat()->SetKind(fkText);
  EXPECT_EQ(print(view), "0");
  view->SetHideZeros(true);
  EXPECT_EQ(print(view), "");
  view->SetDataField("ZeroTekst");
  EXPECT_EQ(print(view), "0");
}

TEST(ExpansionOfTheLog, ABoundViewShowsTheLogsDisplayFormat) {
  dialogs::RecordingScope recording;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("log.db");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  db::Connection connection;
  connection.open(path);
  QSqlQuery q(connection.database());
  ASSERT_TRUE(q.exec("CREATE TABLE Wpisy (Temperatura FLOAT, Opis TEXT)")) << q.lastError().text().toStdString();
  ASSERT_TRUE(q.exec("INSERT INTO Wpisy VALUES (1234.5, 'linia 1\r\nlinia 2')"));
  ASSERT_TRUE(q.exec("INSERT INTO Wpisy VALUES (0, NULL)"));
  db::DataSet query(&connection);
  query.setCommandText("SELECT * FROM Wpisy");
  query.setDisplayFormat("Temperatura", "#,##0.00");

  TfrxReport report;
  TfrxDBDataset ds;
  ds.SetName("Wpisy");
  ds.SetDataSet(&query);
  report.DataSets()->Add(&ds);
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* view = new TfrxMemoView(band);
  view->SetName("PoleTemperatura");
  view->SetDataSet(&ds);
  view->SetDataField("Temperatura");
  auto* unbound = new TfrxMemoView(band);
  unbound->SetName("Wartosc");
  unbound->SetText("[Wpisy.\"Temperatura\"]");
  report.DataSets()->BeginRun();
  ds.First();
  TakeData(*view);
  EXPECT_EQ(view->Text(), QStringLiteral("1") + kNbsp + "234,50");
  EXPECT_DOUBLE_EQ(view->Value().ToDouble(), 1234.5);
  // The expression gives the value, formatted by the view's own format.
  TakeData(*unbound);
  EXPECT_EQ(unbound->Text(), "1234,5");
  ds.Next();
  view->SetHideZeros(true);
  TakeData(*view);
  EXPECT_EQ(view->Text(), "");
  report.DataSets()->EndRun();
}

TEST_F(Expansion, HighlightFollowsItsConditionRowByRow) {
  TfrxMemoView* view = memo("[Wpisy.\"Temperatura\"]");
  view->Highlight()->SetCondition("<Wpisy.\"Temperatura\"> > 1000");
  print(view);
  EXPECT_TRUE(view->Highlight()->Active());
  row["Temperatura"] = 20.0;
  print(view);
  EXPECT_FALSE(view->Highlight()->Active());
  // A Null condition is false; an active highlight without condition is switched off.
  view->Highlight()->SetCondition("Wpisy.\"Brak\"");
  print(view);
  EXPECT_FALSE(view->Highlight()->Active());
  view->Highlight()->SetCondition("");
  view->Highlight()->SetActive(true);
  print(view);
  EXPECT_FALSE(view->Highlight()->Active());
}

TEST_F(Expansion, ScriptsSeeValueSelfAndTheViewsValue) {
  TfrxMemoView* view = memo("[<Wpisy.\"Temperatura\"> * 2]");
  view->SetName("Podwojona");
  ASSERT_TRUE(report.PrepareScript()) << report.Errors().join('\n').toStdString();
  view->SaveDesignState();
  EXPECT_EQ(report.Calc("Self.Name").toString(), "Podwojona");
  TakeData(*view);
  EXPECT_DOUBLE_EQ(report.Calc("Value").toDouble(), 2469.0);
  EXPECT_DOUBLE_EQ(report.Calc("Podwojona.Value").toDouble(), 2469.0);
  view->RestoreDesignState();
  // The last expression of the text gives the value.
  TfrxMemoView* two = memo("[1] i [Wpisy.\"Punkt\"]");
  print(two);
  EXPECT_EQ(report.Calc("Value").toString(), "Chłodnia [A]");
}

TEST_F(Expansion, TextsKeepEveryCharacterWhateverTheFontsCharacterSet) {
  row["Punkt"] = QStringLiteral("Gęś żółta — 日本 €");
  TfrxMemoView* view = memo("Zażółć [Wpisy.\"Punkt\"] [Copy('ąę€日', 2, 3)]");
  view->Font()->SetCharset(238);  // Central European
  view->SetUseDefaultCharset(false);
  EXPECT_EQ(print(view), QStringLiteral("Zażółć Gęś żółta — 日本 € ę€日"));
  view->Font()->SetCharset(204);  // Cyrillic: none of these letters exist there
  EXPECT_EQ(print(view), QStringLiteral("Zażółć Gęś żółta — 日本 € ę€日"));
  view->SetDataSet(wpisy);
  view->SetDataField("Punkt");
  EXPECT_EQ(print(view), QStringLiteral("Gęś żółta — 日本 €"));
}

TEST_F(Expansion, PlaceholdersAreFilledInEveryPlaceOnEachDrawnCopy) {
  TfrxMemoView* view = memo("Strona [Page#] z [TotalPages#], razem [ totalpages# ]; [CopyName#]");
  report.RunState().pageNo = 3;
  view->SaveDesignState();
  TakeData(*view);
  const QString prepared = view->Text();
  EXPECT_EQ(prepared, "Strona 3 z [TotalPages#], razem [TotalPages#]; [CopyName#]");
  GlobalVariables()->SetValue("CopyName2", "Kopia dla klienta");
  EXPECT_EQ(engine::FillPlaceholders(*view, prepared, 7, 2), "Strona 3 z 7, razem 7; Kopia dla klienta");
  // The page in the cache keeps its placeholders: another drawing gets
  // another total and copy.
  EXPECT_EQ(view->Text(), prepared);
  EXPECT_EQ(engine::FillPlaceholders(*view, prepared, 9, 0), "Strona 3 z 9, razem 9; ");
  EXPECT_EQ(engine::FillPlaceholders(*view, "[TOTALPAGES#][totalpages#]", 12, 1), "1212");
  GlobalVariables()->DeleteVariable("CopyName2");
  // A view that does not expand expressions prints them as written.
  view->SetAllowExpressions(false);
  EXPECT_EQ(engine::FillPlaceholders(*view, prepared, 7, 2), prepared);
  view->RestoreDesignState();
}

TEST_F(Expansion, TagStrAndUrlAreExpandedAsPlainTexts) {
  engine::InstallTextExpansion();
  TfrxMemoView* view = memo("[Wpisy.\"Temperatura\" #n%2.2f]");
  view->SetTagStr("[1 + 1]");
  view->SetURL("https://example.org/?t=[Wpisy.\"Temperatura\"]&p=[Wpisy.\"Punkt\"]");
  view->SaveDesignState();
  view->FetchData();
  EXPECT_EQ(view->Text(), "1234.50");
  EXPECT_EQ(view->TagStr(), "2");
  EXPECT_EQ(view->URL(), "https://example.org/?t=1234,5&p=Chłodnia [A]");
  view->RestoreDesignState();
  EXPECT_EQ(view->TagStr(), "[1 + 1]");
  EXPECT_EQ(view->Text(), "[Wpisy.\"Temperatura\" #n%2.2f]");
  hooks::setMemoDataTaker({});
  hooks::setViewTextExpander({});
  hooks::setAggregateCalculator({});
}

TEST_F(Expansion, FlowToHandsTheLinesThatDoNotFitToTheNextView) {
  // A splitter as the text layout's: lines of 20 pixels.
  engine::SetFlowSplitter([](TfrxCustomMemoView& view, const QString& text) {
    const QStringList lines = text.split("\r\n");
    const int fit = int(view.Height() / 20);
    return engine::FlowSplit{lines.mid(0, fit).join("\r\n"), lines.mid(fit).join("\r\n")};
  });
  TfrxMemoView* first = memo("");
  first->SetMemo({"[1]", "[2]", "[3]", "['[4]']", "[5]"});
  first->SetHeight(40);
  TfrxMemoView* second = memo("[999]");
  first->SetFlowTo(second);
  first->SaveDesignState();
  second->SaveDesignState();
  TakeData(*first);
  EXPECT_EQ(first->Memo(), QStringList({"1", "2"}));
  EXPECT_EQ(second->Memo(), QStringList({"3", "[4]", "5"}));
  EXPECT_FALSE(second->AllowExpressions());
  // The flowed text is printed as it came.
  TakeData(*second);
  EXPECT_EQ(second->Memo(), QStringList({"3", "[4]", "5"}));
  first->RestoreDesignState();
  second->RestoreDesignState();
  EXPECT_EQ(second->Text(), "[999]");

  engine::SetFlowSplitter({});
  try {
    TakeData(*first);
    ADD_FAILURE() << "no error raised";
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().contains("FlowTo")) << e.message().toStdString();
  }
}

TEST_F(Expansion, FlowToSplitsWithTheTextLayout) {
  // Installed for real, the view keeps the lines its box holds: 10 pt lines
  // are 83 / 6.25 + 2 = 15.28 pixels, and a 40-pixel view with the default
  // gaps has a 39-pixel text box, so two lines stay.
  engine::InstallTextExpansion();
  TfrxMemoView* first = memo("");
  first->SetMemo({"[1]", "[2]", "[3]", "[4]", "[5]"});
  first->SetWidth(200);
  first->SetHeight(40);
  TfrxMemoView* second = memo("");
  first->SetFlowTo(second);
  first->SaveDesignState();
  second->SaveDesignState();
  TakeData(*first);
  EXPECT_EQ(first->Memo(), QStringList({"1", "2"}));
  EXPECT_EQ(second->Memo(), QStringList({"3", "4", "5"}));
  EXPECT_FALSE(first->LastParaBreak());
  first->RestoreDesignState();
  second->RestoreDesignState();
  engine::SetFlowSplitter({});
  hooks::setMemoDataTaker({});
  hooks::setViewTextExpander({});
  hooks::setAggregateCalculator({});
}

TEST_F(Expansion, HostileTextsEndInAnErrorOrAPlainText) {
  // An opening bracket without a closing one takes the rest of the text.
  EXPECT_THROW(print("Suma [1 + 2"), ReportError);
  EXPECT_EQ(print("Suma ]1 + 2["), "Suma ]1 + 2[");

  QElapsedTimer timer;
  timer.start();
  const QString nested = QString(100000, u'[') + "1" + QString(100000, u']');
  try {
    print(nested);
  } catch (const ReportError& e) {
    EXPECT_TRUE(e.message().contains("Błąd w wyrażeniu")) << e.message().left(200).toStdString();
  }
  const QString unbalanced = QString(100000, u'[');
  try {
    print(unbalanced);
  } catch (const ReportError&) {
  }

  // Ten megabytes of text: no expression, many plain closing brackets, one expression at the end.
  QString big(10 * 1024 * 1024, u'x');
  for (qsizetype k = 0; k < big.size(); k += 1000) big[k] = u']';
  EXPECT_EQ(print(big), big);
  EXPECT_EQ(print(big + "[2*2]"), big + "4");
  // Many small expressions in a long text.
  QString many;
  for (int k = 0; k < 20000; ++k) many += "[1]";
  EXPECT_EQ(print(many), QString(20000, u'1'));
  EXPECT_LT(timer.elapsed(), 60000);
}

TEST(ExpansionOfTheLog, TheProgramsReportPrintsItsHeadingsAndRows) {
  dialogs::RecordingScope recording;
  TfrxUserDataSet wpisy;
  wpisy.SetUserName("Wpisy");
  const QVariantMap row{{"Data", QDateTime(QDate(2024, 3, 5), QTime(14, 7))},
                        {"Modul", "Magazyn"},
                        {"Punkt", "Rampa 2"},
                        {"Temperatura", -1234.5},
                        {"Wilgotnosc", 45.0},
                        {"Pracownik", "Jan Kowalski"}};
  wpisy.SetFields(row.keys());
  wpisy.OnGetValue = [&row](const QString& field, QVariant& value) { value = row.value(field); };
  TfrxReport report;
  ASSERT_TRUE(report.LoadFromFile(VALMORO_SOURCE_DIR "/data/Raport.fr3", true));
  ASSERT_EQ(report.Errors(), QStringList());
  auto printed = [&](const char* name) {
    auto* view = qobject_cast<TfrxCustomMemoView*>(report.FindObject(name));
    if (!view) return QStringLiteral("(none)");
    view->SaveDesignState();
    TakeData(*view);
    const QString text = view->Text();
    view->RestoreDesignState();
    return text;
  };
  // Headings whose brackets hold units, not expressions.
  EXPECT_EQ(printed("NaglowekTemperatura"), "Temperatura [°C]");
  EXPECT_EQ(printed("NaglowekWilgotnosc"), "Wilgotność [%]");
  EXPECT_EQ(printed("EtykietaTemperatura"), "Temperatura [°C]");
  EXPECT_EQ(printed("EtykietaWilgotnosc"), "Wilgotność [%]");
  EXPECT_EQ(printed("Modul"), "Moduł: Magazyn");
  const QStringList rowTexts{printed("PoleData"), printed("PolePunkt"), printed("PoleTemperatura"),
                             printed("PoleWilgotnosc"), printed("PolePracownik")};
  EXPECT_EQ(rowTexts, QStringList({"2024-03-05 14:07", "Rampa 2", QStringLiteral("-1") + kNbsp + "234,50", "45,00",
                                   "Jan Kowalski"}));
  EXPECT_EQ(report.Errors(), QStringList());
  // Read as an expression, a unit would stop the report.
  qobject_cast<TfrxCustomMemoView*>(report.FindObject("NaglowekTemperatura"))->SetAllowExpressions(true);
  EXPECT_THROW(printed("NaglowekTemperatura"), ReportError);
}

// --- The bracket scanner ----------------------------------------------------------------

TEST(BracketScanner, FindsTheExpressionThatStartsAtThePosition) {
  using engine::ScanBrackets;
  const QString text = "ab [x] [y [z] 'q]' \"w]\"] [v";
  engine::BracketScan scan = ScanBrackets(text, u"[", u"]", 3);
  EXPECT_EQ(scan.start, 3);
  EXPECT_EQ(scan.end, 5);
  EXPECT_EQ(scan.content.toString(), "x");
  scan = ScanBrackets(text, u"[", u"]", 7);
  EXPECT_EQ(scan.content.toString(), "y [z] 'q]' \"w]\"");
  EXPECT_EQ(text[scan.end], u']');
  EXPECT_EQ(scan.end, 23);
  // Unbalanced: the rest less its last character.
  scan = ScanBrackets(text, u"[", u"]", 25);
  EXPECT_EQ(scan.start, 25);
  EXPECT_EQ(scan.end, 26);
  EXPECT_EQ(scan.content.toString(), "");
  scan = ScanBrackets(u"[abc", u"[", u"]", 0);
  EXPECT_EQ(scan.content.toString(), "ab");
  EXPECT_EQ(scan.end, 3);
  // Not on an opening delimiter: nothing.
  scan = ScanBrackets(text, u"[", u"]", 0);
  EXPECT_EQ(scan.start, scan.end);
  scan = ScanBrackets(QString(), u"[", u"]", 0);
  EXPECT_EQ(scan.start, scan.end);
  scan = ScanBrackets(text, u"[", u"]", 999);
  EXPECT_EQ(scan.start, scan.end);
  // Longer delimiters: the end is the last character of the closing one.
  const QString long_ = "<%a<%b%>c%>!";
  scan = ScanBrackets(long_, u"<%", u"%>", 0);
  EXPECT_EQ(scan.content.toString(), "a<%b%>c");
  EXPECT_EQ(scan.end, 10);

  QString open, close;
  engine::SplitDelimiters("<%,%>", open, close);
  EXPECT_EQ(open, "<%");
  EXPECT_EQ(close, "%>");
  engine::SplitDelimiters("[,],x", open, close);
  EXPECT_EQ(open, "[");
  EXPECT_EQ(close, "],x");
}

}  // namespace
}  // namespace valmoro::report
