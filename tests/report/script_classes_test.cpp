// Scripts reaching a report: objects by name, published and added
// properties, creating views, data sets, the variables, the engine hooks,
// constants, enumerations and the report functions.

#include <gtest/gtest.h>

#include "change_recorder.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/model/script_classes.h"
#include "report/model/script_hooks.h"
#include "script/binding_modules.h"
#include "script/host_classes.h"
#include "script/run_support.h"

using namespace valmoro;
using namespace valmoro::report;

namespace {

class ScriptClasses : public ::testing::Test {
protected:
  void SetUp() override {
    script::RegisterBindingModules();
    RegisterReportClassesModule();
    page->SetName(QStringLiteral("Page1"));
    band->SetName(QStringLiteral("MasterData1"));
    band2->SetName(QStringLiteral("MasterData2"));
    memo->SetName(QStringLiteral("Memo1"));
    memo->SetText(QStringLiteral("Temperatura"));
    rows.SetName(QStringLiteral("Dane"));
    rows.SetRangeEnd(reCount);
    rows.SetRangeEndCount(3);
    rows.SetFields({QStringLiteral("Nr")});
    rows.OnGetValue = [this](const QString& field, QVariant& value) {
      if (field == u"Nr") value = rows.RecNo() * 10;
    };
    report.DataSets()->Add(&rows);
  }

  // Runs a PascalScript program that sees the report as "Report" and each
  // object under its name; gives what it showed and its error.
  QString run(const QString& source) {
    script::TfsScript s;
    s.AddRuntimeLibrary();
    s.AddObjectItem(QStringLiteral("Report"), &report);
    for (TfrxComponent* object : report.AllObjects()) s.AddObjectItem(object->Name(), object);
    if (engine) s.AddObjectItem(QStringLiteral("Engine"), engine);
    return script::test::RunScript(QStringLiteral("PascalScript"), source, &s).Output();
  }

  TfrxReport report;
  TfrxReportPage* page = new TfrxReportPage(&report);
  TfrxMasterData* band = new TfrxMasterData(page);
  TfrxMasterData* band2 = new TfrxMasterData(page);
  TfrxMemoView* memo = new TfrxMemoView(band);
  TfrxUserDataSet rows;
  TfrxEngine* engine = nullptr;
};

TEST_F(ScriptClasses, FindsObjectsAndReadsAndWritesTheirProperties) {
  EXPECT_EQ(run(QStringLiteral("var m: TfrxMemoView;\n"
                               "begin\n"
                               "  m := TfrxMemoView(Report.FindObject('memo1'));\n"
                               "  ShowMessage(m.Text + '/' + m.ClassName + '/' + m.Parent.Name + '/' + m.Page.Name);\n"
                               "  m.Left := 12.5; m.Font.Size := 14; m.Frame.Width := 2;\n"
                               "  m.Text := 'Wiersz 1' + #13#10 + 'Wiersz 2';\n"
                               "  Memo1.HAlign := haCenter;\n"
                               "  ShowMessage(IntToStr(Report.AllObjects.Count));\n"
                               "end.")),
            QStringLiteral("Temperatura/TfrxMemoView/MasterData1/Page1\n4"));
  EXPECT_DOUBLE_EQ(memo->Left(), 12.5);
  EXPECT_EQ(memo->Font()->Size(), 14);
  EXPECT_DOUBLE_EQ(memo->Frame()->Width(), 2);
  EXPECT_EQ(memo->Memo(), (QStringList{QStringLiteral("Wiersz 1"), QStringLiteral("Wiersz 2")}));
  EXPECT_EQ(memo->HAlign(), haCenter);

  // A refusal of the report model reaches the script as an exception it can
  // catch; the object keeps its name.
  EXPECT_EQ(run(QStringLiteral("begin\n"
                               "  try Memo1.Name := 'MasterData1' except ShowMessage(ExceptionClassName + ': ' + "
                               "ExceptionMessage) end;\n"
                               "  ShowMessage(Memo1.Name);\n"
                               "end.")),
            QStringLiteral("Exception: Nazwa jest już użyta\nMemo1"));
}

TEST_F(ScriptClasses, CreatesViewsByClassReparentsAndTakesLines) {
  EXPECT_EQ(run(QStringLiteral("var m: TfrxMemoView; l: TStringList;\n"
                               "begin\n"
                               "  m := TfrxMemoView.Create(MasterData1);\n"
                               "  m.Name := 'Memo2';\n"
                               "  m.SetBounds(1, 2, 30, 40);\n"
                               "  l := TStringList.Create; l.Add('a'); l.Add('b');\n"
                               "  m.Lines := l; l.Free;\n"
                               "  ShowMessage(IntToStr(m.Lines.Count) + m.Lines[1]);\n"
                               "  Memo1.Parent := MasterData2;\n"
                               "end.")),
            QStringLiteral("2b"));
  auto* created = qobject_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Memo2")));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->Parent(), band);
  EXPECT_EQ(created->Memo(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  EXPECT_DOUBLE_EQ(created->Height(), 40);
  EXPECT_EQ(memo->Parent(), band2);
  EXPECT_EQ(band2->Objects(), QList<TfrxComponent*>{memo});

  // The lines are the memo's own: changing the list changes the memo, and a
  // later read sees changes made to the memo meanwhile.
  EXPECT_EQ(run(QStringLiteral("var l: TStrings;\n"
                               "begin\n"
                               "  Memo1.Lines.Add('druga');\n"
                               "  Memo1.Lines.Insert(0, 'zero');\n"
                               "  l := Memo1.Lines; l.Delete(1); l[0] := 'pierwsza';\n"
                               "  ShowMessage(TfrxMemoView(Report.FindObject('Memo1')).Lines.CommaText);\n"
                               "  Memo1.Text := 'a' + #13#10 + 'b';\n"
                               "  ShowMessage(IntToStr(Memo1.Lines.Count) + Memo1.Lines[1]);\n"
                               "  Memo1.Lines.Text := 'x' + #13#10 + 'y' + #13#10 + 'z';\n"
                               "end.")),
            QStringLiteral("pierwsza,druga\n2b"));
  EXPECT_EQ(memo->Memo(), (QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
  EXPECT_EQ(run(QStringLiteral("begin Memo1.Lines.Clear; Memo1.Lines.Add('jedna'); Memo1.Lines.Add('dwie') end.")),
            QString());
  EXPECT_EQ(memo->Memo(), (QStringList{QStringLiteral("jedna"), QStringLiteral("dwie")}));
  // A report error (a name already taken) reaches the script as an exception.
  EXPECT_EQ(run(QStringLiteral("begin\n"
                               "  try Memo1.Parent := Memo1; except ShowMessage('błąd: ' + ExceptionMessage); end;\n"
                               "end.")).left(6),
            QStringLiteral("błąd: "));
}

TEST_F(ScriptClasses, ReachesDataSetsOfTheReport) {
  EXPECT_EQ(run(QStringLiteral("var d: TfrxDataSet; s: String; l: TStringList;\n"
                               "begin\n"
                               "  d := Report.GetDataset('dane');\n"
                               "  d.First;\n"
                               "  while not d.Eof do begin s := s + VarToStr(d.Value['Nr']) + ';'; d.Next; end;\n"
                               "  l := TStringList.Create; d.GetFieldList(l);\n"
                               "  ShowMessage(s + IntToStr(d.RecNo) + IntToStr(d.RecordCount) + l.Text);\n"
                               "  if d.HasField('Nr') and (d.FieldType['Nr'] = fftNumeric) then ShowMessage('tak');\n"
                               "  l.Free;\n"
                               "end.")),
            QStringLiteral("0;10;20;23Nr\r\n\ntak"));
}

TEST_F(ScriptClasses, VariablesConstantsEnumerationsAndFunctions) {
  GlobalVariables()->SetValue(QStringLiteral("Tytul"), QStringLiteral("Raport"));
  report.Variables()->SetValue(QStringLiteral("Modul"), QStringLiteral("'Biuro'"));
  EXPECT_EQ(run(QStringLiteral("var a: TfrxArray;\n"
                               "begin\n"
                               "  ShowMessage(frxGlobalVariables['Tytul'] + Report.Variables['Modul']);\n"
                               "  frxGlobalVariables['Nowa'] := 5;\n"
                               "  ShowMessage(IntToStr(DayOf(EncodeDate(2011, 12, 8))) + ' ' +\n"
                               "    IntToStr(MonthOf(EncodeDate(2011, 12, 8))) + ' ' + IntToStr(YearOf(EncodeDate(2011, 12, 8))));\n"
                               "  ShowMessage(FloatToStr(fr1cm * 2) + ' ' + IntToStr(clTransparent) + ' ' + IntToStr(crZoom));\n"
                               "  ShowMessage(IntToStr(baClient) + IntToStr(ftBottom) + IntToStr(reCount) + IntToStr(pbNoEmail));\n"
                               "  ShowMessage(VarToStr(IIF(1 > 2, 'x', 'y')));\n"
                               "  a := TfrxArray.Create; a['k'] := 3; a[1] := 'jeden';\n"
                               "  ShowMessage(VarToStr(a['k']) + VarToStr(a[1]) + VarToStr(a['1']) + '.'); a.Free;\n"
                               "  try SUM(1) except ShowMessage(ExceptionMessage) end;\n"
                               "end.")),
            QStringLiteral("Raport'Biuro'\n8 12 2011\n75,5906 536870911 151\n68216384\ny\n3jeden.\n"
                           "Funkcja SUM działa tylko w wyrażeniach raportu podczas jego przygotowania"));
  EXPECT_EQ(GlobalVariables()->Value(QStringLiteral("Nowa")), QVariant(5));

  // The function list: declarations as registered, with their categories.
  script::TfsScript s;
  s.AddRuntimeLibrary();
  const auto* dayOf = dynamic_cast<script::TfsMethodHelper*>(s.FindSymbol(QStringLiteral("DayOf")));
  ASSERT_NE(dayOf, nullptr);
  EXPECT_EQ(dayOf->Declaration, QStringLiteral("function DayOf(Date: TDateTime): Integer"));
  EXPECT_EQ(dayOf->Category, QStringLiteral("ctDate"));
  const auto* count = dynamic_cast<script::TfsMethodHelper*>(s.FindSymbol(QStringLiteral("COUNT")));
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->Category, QStringLiteral("ctAggregate"));
}

struct CountingEngine : ReportEngineHooks {
  QStringList calls;
  void AddAnchor(const QString& text) override { calls << QStringLiteral("AddAnchor ") + text; }
  void NewPage() override { calls << QStringLiteral("NewPage"); }
  void NewColumn() override { calls << QStringLiteral("NewColumn"); }
  void ShowBand(TfrxBand* band) override { calls << QStringLiteral("ShowBand ") + (band ? band->Name() : QString()); }
  void StopReport() override { calls << QStringLiteral("StopReport"); }
  double FreeSpace() override { return 123.5; }
  int GetAnchorPage(const QString&) override { return 4; }
  QVariant State(const QString& name) override {
    if (name == QLatin1String("CurY")) return curY;
    if (name == QLatin1String("FinalPass")) return true;
    return 7;
  }
  void SetState(const QString& name, const QVariant& value) override {
    if (name == QLatin1String("CurY")) curY = value.toDouble();
  }
  double curY = 12.25;
};

TEST_F(ScriptClasses, EngineMembersCallTheEngineHooksOrSayTheyAreMissing) {
  TfrxEngine bare;
  engine = &bare;
  EXPECT_EQ(run(QStringLiteral("begin try Engine.NewPage; except ShowMessage(ExceptionMessage); end; end.")),
            QStringLiteral("Silnik raportu: ta funkcja nie jest jeszcze dostępna w tej wersji programu (NewPage)"));
  CountingEngine hooks;
  bare.SetHooks(&hooks);
  EXPECT_EQ(run(QStringLiteral("begin\n"
                               "  Engine.ShowBand(MasterData2); Engine.NewPage; Engine.AddAnchor('a');\n"
                               "  ShowMessage(FloatToStr(Engine.FreeSpace) + ' ' + IntToStr(Engine.GetAnchorPage('a')));\n"
                               "end.")),
            QStringLiteral("123,5 4"));
  EXPECT_EQ(run(QStringLiteral("begin Engine.CurY := Engine.CurY + 10; ShowMessage(FloatToStr(Engine.CurY) + ' ' + "
                               "IntToStr(Engine.CurColumn) + ' ' + BoolToStr(Engine.FinalPass)); end.")),
            QStringLiteral("22,25 7 -1"));
  EXPECT_EQ(hooks.calls, (QStringList{QStringLiteral("ShowBand MasterData2"), QStringLiteral("NewPage"),
                                      QStringLiteral("AddAnchor a")}));
}

TEST_F(ScriptClasses, TextViewsMeasureThemselves) {
  // "Temperatura" in 10-point Arial: 475 units at 600 dpi, 76 pixels, plus
  // the gaps; one line is 17 pixels high.
  memo->SetBounds(0, 0, 200, 20);
  EXPECT_EQ(run(QStringLiteral("begin ShowMessage(FloatToStr(Memo1.CalcHeight) + ' ' + "
                               "FloatToStr(Memo1.CalcWidth)); end.")),
            QStringLiteral("17 80"));
}

}  // namespace

namespace {

TEST_F(ScriptClasses, WhatAScriptSetsIsAnnouncedLikeAnyChange) {
  Recorder recorder;
  report.AddObserver(&recorder);
  EXPECT_EQ(run(QStringLiteral("begin\n"
                               "  Memo1.Left := 12.5; Memo1.Font.Size := 14; Memo1.Text := 'Temperatura';\n"
                               "end.")),
            QString());
  report.RemoveObserver(&recorder);
  // The unchanged text says nothing; the font's size is the memo's.
  EXPECT_EQ(recorder.lines, (QStringList{"Memo1.Left: 0 -> 12.5", "Memo1.Font.Size: 10 -> 14"}));
  // Without an observer nothing is told.
  EXPECT_EQ(run(QStringLiteral("begin Memo1.Left := 3; end.")), QString());
  EXPECT_EQ(recorder.lines.size(), 2);
}

}  // namespace

namespace {

// Colours are a type of their own to the model but integers to scripts: set
// from constants and hexadecimal numbers, read back for arithmetic and
// comparison, system colours unsigned as they always were.
TEST_F(ScriptClasses, ColoursAreIntegersToScripts) {
  Recorder recorder;
  report.AddObserver(&recorder);
  EXPECT_EQ(run(QStringLiteral("var c: Integer;\n"
                               "begin\n"
                               "  Memo1.Color := clRed; Memo1.Font.Color := $00FF00; Memo1.Frame.Color := clBtnFace;\n"
                               "  Memo1.Frame.TopLine.Color := -1;\n"
                               "  c := Memo1.Font.Color + 1;\n"
                               "  ShowMessage(IntToStr(Memo1.Color) + ' ' + IntToStr(c) + ' ' + IntToStr(Memo1.Frame.Color));\n"
                               "  if Memo1.Color = clRed then ShowMessage('czerwony');\n"
                               "  if Memo1.Color <> clTransparent then Memo1.Color := clTransparent;\n"
                               "end.")),
            QStringLiteral("255 65281 4278190095\nczerwony"));
  report.RemoveObserver(&recorder);
  EXPECT_EQ(memo->Color(), clTransparent);
  EXPECT_EQ(memo->Font()->Color(), 0x00FF00u);
  EXPECT_EQ(memo->Frame()->Color(), clBtnFace);
  EXPECT_EQ(memo->Frame()->TopLine()->Color(), 0xFFFFFFFFu);
  // The changes are told as numbers, as before the colours had a type.
  EXPECT_EQ(recorder.lines, (QStringList{"Memo1.Color: 536870911 -> 255", "Memo1.Font.Color: 0 -> 65280",
                                         "Memo1.Frame.Color: 0 -> 4278190095",
                                         "Memo1.Frame.TopLine.Color: 4278190095 -> 4294967295",
                                         "Memo1.Color: 255 -> 536870911"}));
}

}  // namespace
