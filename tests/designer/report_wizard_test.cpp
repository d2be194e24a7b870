// The report wizard: what the report it builds prints over a real log
// (group counts and means against SQL over the same rows), that every data
// set gives a report that prepares, saving and undo, the layouts' places,
// and the dialog driven page by page as a user drives it – also from the
// window's "Nowy raport" and "Kreator raportu…".
#include <QApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>

#include "data_support.h"
#include "designer_support.h"
#include "designer/designer_form.h"
#include "designer/report_wizard.h"
#include "platform/fonts.h"
#include "platform/dialogs.h"
#include "platform/recording_canvas.h"
#include "preview/page_source.h"
#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/preview_install.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::LogDesigned;
using designer::testing::preparedTexts;

namespace {

// More readings, so that each point has a group of several (means chosen
// away from rounding ties).
void addReadings(LogDesigned& d) {
  QSqlQuery q(d.data.connection.database());
  for (const char* row : {"('2026-03-03 08:00:00', 'Magazyn', 'Chłodnia', 3.5, 60, 'Nowak')",
                          "('2026-03-03 12:00:00', 'Magazyn', 'Chłodnia', 5.1, 62, 'Kowalska')",
                          "('2026-03-04 09:00:00', 'Magazyn', 'Hala', 22.0, 41, 'Nowak')",
                          "('2026-03-04 13:00:00', 'Magazyn', 'Hala', 22.1, 43, 'Nowak')",
                          "('2026-03-05 07:00:00', 'Magazyn', 'Rampa', -2.5, 80.37, 'Kowalska')"})
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) VALUES ") +
                       QString::fromUtf8(row)));
  d.data.log.reopen();
}

WizardChoices logChoices() {
  WizardChoices c;
  c.dataSet = "Wpisy";
  c.fields = {"Data", "Punkt", "Temperatura", "Wilgotnosc"};
  c.groups = {"Punkt"};
  return c;
}

}  // namespace

namespace valmoro::designer {
void PrintTo(const WizardChoices& c, std::ostream* out) {
  *out << c.dataSet.toStdString() << " [" << c.fields.join(',').toStdString() << "] groups [" << c.groups.join(',').toStdString()
       << "] layout " << int(c.layout) << " orientation " << int(c.orientation) << " look " << c.look;
}
}  // namespace valmoro::designer

namespace {

template <class T>
T* find(const report::TfrxReport& report, const QString& name) {
  return qobject_cast<T*>(report.FindObject(name));
}

QString twoDecimals(double value) { return QString::number(value, 'f', 2).replace('.', ','); }

// The texts a preview window shows of its pages, the window then closed.
struct PreviewWatch {
  PreviewWatch() {
    preview::installReportWindows();
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      preview::TfrxPreviewForm* form = preview::OpenPreviewForm();
      if (!form || seen || !form->isVisible()) return;
      preview::TfrxPreview* p = form->Preview();
      if (p->Busy() || (form->Report() && form->Report()->Preparing()) || ticks++ < 20) return;
      seen = true;
      for (int i = 0; i < p->PageCount(); ++i) {
        gfx::RecordingCanvas canvas;
        p->Source()->DrawPage(i, canvas, 1, 1, 0, 0);
        for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts.append(call.text);
      }
      form->done(0);
    });
    timer.start();
  }
  QTimer timer;
  bool seen = false;
  int ticks = 0;
  QStringList texts;
};

// Does `act` once, on the first modal window of type T to come up (polled:
// a window may run the event loop before the dialog's own loop starts).
template <class T>
struct WhenModal {
  explicit WhenModal(std::function<void(T&)> act) : act_(std::move(act)) {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (done) return;
      if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
        done = true;
        act_(*w);
      }
    });
    timer.start();
  }
  std::function<void(T&)> act_;
  QTimer timer;
  bool done = false;
};

// Picks the item of that text in a list and presses the button.
void pick(QListWidget* list, const QString& text, QPushButton* press) {
  const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1) << text.toStdString();
  list->setCurrentItem(items.first());
  QTest::mouseClick(press, Qt::LeftButton);
}

// Goes through the pages as a user would for logChoices() in the form
// layout, landscape, "Niebieski": fields added out of order and put right
// with the arrows; a group added, removed and added again.
void driveWizard(ReportWizard& w) {
  const QList<QListWidgetItem*> sets = w.DataSetList()->findItems("Wpisy", Qt::MatchExactly);
  ASSERT_EQ(sets.size(), 1);
  w.DataSetList()->setCurrentItem(sets.first());
  w.next();
  ASSERT_EQ(w.currentId(), ReportWizard::FieldsPage);
  pick(w.AvailableFields(), "Temperatura", w.AddFieldButton());
  pick(w.AvailableFields(), "Data", w.AddFieldButton());
  pick(w.AvailableFields(), "Wilgotnosc", w.AddFieldButton());
  pick(w.AvailableFields(), "Punkt", w.AddFieldButton());
  pick(w.AvailableFields(), "Pracownik", w.AddFieldButton());
  pick(w.ChosenFields(), "Pracownik", w.RemoveFieldButton());
  pick(w.ChosenFields(), "Data", w.FieldUpButton());  // Data, Temperatura, Wilgotnosc, Punkt
  pick(w.ChosenFields(), "Punkt", w.FieldUpButton());
  QTest::mouseClick(w.FieldUpButton(), Qt::LeftButton);  // Data, Punkt, Temperatura, Wilgotnosc
  w.next();
  ASSERT_EQ(w.currentId(), ReportWizard::GroupsPage);
  pick(w.GroupAvailableFields(), "Modul", w.AddGroupButton());
  pick(w.GroupFields(), "Modul", w.RemoveGroupButton());
  pick(w.GroupAvailableFields(), "Punkt", w.AddGroupButton());
  w.next();
  ASSERT_EQ(w.currentId(), ReportWizard::LayoutPage);
  // On the round button, where a click always lands.
  QTest::mouseClick(w.FormButton(), Qt::LeftButton, {}, QPoint(6, w.FormButton()->height() / 2));
  QTest::mouseClick(w.LandscapeButton(), Qt::LeftButton, {}, QPoint(6, w.LandscapeButton()->height() / 2));
  w.next();
  ASSERT_EQ(w.currentId(), ReportWizard::LookPage);
  w.LookList()->setCurrentRow(2);
}

WizardChoices drivenChoices() {
  WizardChoices c = logChoices();
  c.layout = WizardLayout::Form;
  c.orientation = report::poLandscape;
  c.look = 2;
  return c;
}

}  // namespace

TEST(ReportWizardModel, GroupFootersCountAndAverageWhatSqlCountsAndAveragesOverTheSameRows) {
  LogDesigned d;
  addReadings(d);
  ASSERT_EQ(ApplyWizardChoices(d.document(), logChoices()), "");
  const QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());

  // What the prepared pages show, per point: "Punkt: X" heads each group.
  const QStringList heads = texts.value("GrupaPunkt");
  const QStringList counts = texts.value("LiczbaPunkt");
  const QStringList temperatures = texts.value("SredniaTemperatura");
  const QStringList humidities = texts.value("SredniaWilgotnosc");
  ASSERT_EQ(heads.size(), 3) << heads.join('|').toStdString();
  ASSERT_EQ(counts.size(), 3);
  ASSERT_EQ(temperatures.size(), 3);
  ASSERT_EQ(humidities.size(), 3);
  QMap<QString, QStringList> shown;
  for (int i = 0; i < heads.size(); ++i) shown[heads[i]] = {counts[i], temperatures[i], humidities[i]};

  QMap<QString, QStringList> expected;
  QSqlQuery q(d.data.connection.database());
  ASSERT_TRUE(q.exec("SELECT Punkt, COUNT(*), AVG(Temperatura), AVG(Wilgotnosc) FROM Wpisy GROUP BY Punkt"));
  while (q.next())
    expected["Punkt: " + q.value(0).toString()] = {"Liczba: " + q.value(1).toString(), twoDecimals(q.value(2).toDouble()),
                                                    twoDecimals(q.value(3).toDouble())};
  EXPECT_EQ(shown, expected);

  // Every row printed once, in groups; the page footer counts the pages
  // of the final pass.
  EXPECT_EQ(texts.value("PolePunkt").size(), 8);
  EXPECT_EQ(texts.value("NumerStrony"), QStringList{"Strona 1 z [TotalPages#]"});
  EXPECT_EQ(texts.value("Tytul"), QStringList{"Wpisy"});
  EXPECT_EQ(texts.value("NaglowekTemperatura"), QStringList{"Temperatura"});
  // Numbers and dates as the grid shows them.
  EXPECT_TRUE(texts.value("PoleData").contains("2026-03-01 08:00:00")) << texts.value("PoleData").join('|').toStdString();
  EXPECT_TRUE(texts.value("PoleTemperatura").contains("4,25"));
  EXPECT_TRUE(texts.value("PoleWilgotnosc").contains("61,50"));
}

TEST(ReportWizardModel, EveryDataSetTheReportOffersGivesAReportThatPrepares) {
  LogDesigned d;
  report::TfrxUserDataSet shifts;
  shifts.SetName("ZmianyDane");
  shifts.SetUserName("Zmiany");
  shifts.SetFields({"Kto", "Godziny"});
  shifts.SetRangeEnd(report::reCount);
  shifts.SetRangeEndCount(3);
  shifts.OnGetValue = [&](const QString& name, QVariant& value) {
    value = name == "Kto" ? QVariant(shifts.RecNo() < 2 ? "Nowak" : "Kowalska") : QVariant(8 + shifts.RecNo());
  };
  ASSERT_EQ(d.document().ChangeReport("zbiór", [&](report::TfrxReport& r) { r.DataSets()->Add(&shifts); }), "");
  const QStringList sets = WizardDataSets(d.report());
  EXPECT_EQ(sets, QStringList({"Wpisy", "Zmiany"}));
  for (const QString& set : sets) {
    for (WizardLayout layout : {WizardLayout::Table, WizardLayout::Form}) {
      WizardChoices c;
      c.dataSet = set;
      for (const WizardField& f : WizardFields(d.report(), set)) c.fields.append(f.name);
      c.groups = {c.fields.first()};
      c.layout = layout;
      SCOPED_TRACE(set.toStdString() + (layout == WizardLayout::Form ? " form" : " table"));
      ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
      const QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());
      EXPECT_EQ(texts.value("NumerStrony"), QStringList{"Strona 1 z [TotalPages#]"});
      EXPECT_EQ(texts.value("Tytul"), QStringList{set});
    }
  }
  // The user data set's groups, sorted by the grouping field: one of
  // Kowalska, two of Nowak.
  const QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());
  EXPECT_EQ(texts.value("GrupaKto"), QStringList({"Kto: Kowalska", "Kto: Nowak"}));
  EXPECT_EQ(texts.value("LiczbaKto"), QStringList({"Liczba: 1", "Liczba: 2"}));
  EXPECT_EQ(texts.value("PoleGodziny"), QStringList({"10", "8", "9"}));
}

TEST(ReportWizardModel, FieldKindsComeFromTheDataSetAndTheGridsFormats) {
  LogDesigned d;
  QMap<QString, WizardField> fields;
  for (const WizardField& f : WizardFields(d.report(), "Wpisy")) fields[f.name] = f;
  ASSERT_EQ(fields.keys().size(), 7);
  EXPECT_EQ(fields["Identyfikator"].kind, WizardField::Kind::Identifier);
  EXPECT_EQ(fields["Data"].kind, WizardField::Kind::DateTime);
  EXPECT_EQ(fields["Punkt"].kind, WizardField::Kind::Text);
  EXPECT_EQ(fields["Temperatura"].kind, WizardField::Kind::Number);
  EXPECT_EQ(fields["Temperatura"].numberFormat, "#,##0.00");
  EXPECT_TRUE(WizardFields(d.report(), "Nieznany").isEmpty());
  // Refusals, one line each.
  WizardChoices c = logChoices();
  c.dataSet = "Nieznany";
  EXPECT_EQ(WizardChoicesRefusal(d.report(), c), "Raport nie ma zbioru danych „Nieznany”.");
  c = logChoices();
  c.fields.clear();
  EXPECT_EQ(WizardChoicesRefusal(d.report(), c), "Wybierz co najmniej jedno pole.");
  c = logChoices();
  c.groups = {"Strefa"};
  EXPECT_EQ(WizardChoicesRefusal(d.report(), c), "Zbiór danych „Wpisy” nie ma pola „Strefa”.");
  const QByteArray before = d.document().DocumentBytes();
  EXPECT_EQ(ApplyWizardChoices(d.document(), c), "Zbiór danych „Wpisy” nie ma pola „Strefa”.");
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
}

TEST(ReportWizardModel, AWizardReportIsOneUndoStepAndSurvivesSavingAndReopening) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  const int steps = d.document().UndoStack().count();
  ASSERT_EQ(ApplyWizardChoices(d.document(), logChoices()), "");
  EXPECT_EQ(d.document().UndoStack().count(), steps + 1);
  EXPECT_EQ(d.document().UndoStack().undoText(), "Kreator raportu");
  const QByteArray built = d.document().DocumentBytes();
  // The script of the shipped report named views that are gone: a new one.
  EXPECT_EQ(d.report().ScriptText(), QStringList({"begin", "", "end."}));
  EXPECT_TRUE(d.report().EngineOptions()->DoublePass());
  ASSERT_EQ(d.document().Pages().size(), 1);
  EXPECT_EQ(d.document().CurrentPage(), d.document().Pages().first());
  EXPECT_NE(d.report().DataSets()->Find("Wpisy"), nullptr);

  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  EXPECT_NE(d.report().FindObject("BrakWpisow"), nullptr);
  d.document().UndoStack().redo();
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), built);

  const QString path = d.designed.folder.filePath("kreator.fr3");
  d.document().SaveAs(path);
  EXPECT_SAME_DOCUMENT(designer::testing::fileBytes(path), built);
  report::TfrxReport again;
  DesignerDocument reopened(again);
  reopened.Open(path);
  EXPECT_SAME_DOCUMENT(reopened.DocumentBytes(), built);
  reopened.DiscardRecovery();
}

TEST(ReportWizardModel, EveryColumnOfAFullPortraitTableIsAsWideAsItsTextNeeds) {
  // All seven fields of the log on a portrait page: each column is as wide
  // as its heading or its widest value needs, as the report measures them,
  // and no view wraps into the next row.
  LogDesigned d;
  WizardChoices c = logChoices();
  c.fields = {"Identyfikator", "Data", "Modul", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"};
  ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
  const auto needs = [](const QString& text, bool bold) {
    const int pixels = fonts::emPixels("Arial", bold, false, -13);
    return fonts::scaled("Arial", bold, false, pixels)->width(text);
  };
  double total = 0;
  for (const QString& field : c.fields) {
    auto* heading = find<report::TfrxCustomMemoView>(d.report(), "Naglowek" + field);
    auto* value = find<report::TfrxCustomMemoView>(d.report(), "Pole" + field);
    ASSERT_TRUE(heading && value) << field.toStdString();
    EXPECT_GE(heading->Width(), needs(field, true)) << field.toStdString();
    EXPECT_FALSE(heading->WordWrap());
    EXPECT_FALSE(value->WordWrap());
    total += value->Width();
  }
  EXPECT_GE(find<report::TfrxCustomMemoView>(d.report(), "PoleData")->Width(), needs("2026-11-30 22:00:00", false));
  EXPECT_NEAR(total, (210 - 20) * report::fr01cm, 1e-6);
}

TEST(ReportWizardModel, TableColumnsShareTheLandscapePageAndTheFormPutsCaptionBesideValue) {
  LogDesigned d;
  WizardChoices c = logChoices();
  c.orientation = report::poLandscape;
  ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
  auto* page = find<report::TfrxReportPage>(d.report(), "Page1");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Orientation(), report::poLandscape);
  EXPECT_DOUBLE_EQ(page->PaperWidth(), 297);
  EXPECT_DOUBLE_EQ(page->PaperHeight(), 210);
  const double width = (297 - 20) * report::fr01cm;
  auto* data = find<report::TfrxMasterData>(d.report(), "MasterData1");
  ASSERT_NE(data, nullptr);
  EXPECT_NEAR(data->Width(), width, 1e-6);
  EXPECT_EQ(data->DataSetName(), "Wpisy");
  EXPECT_EQ(data->SortExpressions(), QStringList{"<Wpisy.\"Punkt\">"});
  EXPECT_EQ(find<report::TfrxGroupHeader>(d.report(), "GroupHeader1")->Condition(), "<Wpisy.\"Punkt\">");
  // Columns side by side from the left edge to the right one, each heading
  // over its field, the dates wider than the numbers.
  double x = 0;
  for (const QString& field : c.fields) {
    auto* value = find<report::TfrxCustomMemoView>(d.report(), "Pole" + field);
    auto* heading = find<report::TfrxCustomMemoView>(d.report(), "Naglowek" + field);
    ASSERT_NE(value, nullptr);
    ASSERT_NE(heading, nullptr);
    EXPECT_NEAR(value->Left(), x, 1e-6) << field.toStdString();
    EXPECT_DOUBLE_EQ(heading->Left(), value->Left());
    EXPECT_DOUBLE_EQ(heading->Width(), value->Width());
    x += value->Width();
  }
  EXPECT_NEAR(x, width, 1e-6);
  EXPECT_GT(find<report::TfrxCustomMemoView>(d.report(), "PoleData")->Width(),
            find<report::TfrxCustomMemoView>(d.report(), "PoleTemperatura")->Width());
  // The mean under its column.
  EXPECT_DOUBLE_EQ(find<report::TfrxCustomMemoView>(d.report(), "SredniaTemperatura")->Left(),
                   find<report::TfrxCustomMemoView>(d.report(), "PoleTemperatura")->Left());
  // Bands top to bottom in the order the engine reads them.
  QStringList order;
  QList<report::TfrxBand*> bands;
  for (report::TfrxComponent* child : page->Objects())
    if (auto* band = qobject_cast<report::TfrxBand*>(child)) bands.append(band);
  std::sort(bands.begin(), bands.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
  for (report::TfrxBand* band : bands) order.append(band->Name());
  EXPECT_EQ(order, QStringList({"ReportTitle1", "PageHeader1", "GroupHeader1", "MasterData1", "GroupFooter1", "PageFooter1"}));
  for (int i = 1; i < bands.size(); ++i) EXPECT_GE(bands[i]->Top(), bands[i - 1]->Top() + bands[i - 1]->Height());

  c = logChoices();
  c.layout = WizardLayout::Form;
  ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
  EXPECT_EQ(d.report().FindObject("PageHeader1"), nullptr);
  data = find<report::TfrxMasterData>(d.report(), "MasterData1");
  const double portrait = (210 - 20) * report::fr01cm;
  for (int i = 0; i < c.fields.size(); ++i) {
    auto* caption = find<report::TfrxCustomMemoView>(d.report(), "Etykieta" + c.fields[i]);
    auto* value = find<report::TfrxCustomMemoView>(d.report(), "Pole" + c.fields[i]);
    ASSERT_NE(caption, nullptr);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(caption->Text(), c.fields[i]);
    EXPECT_DOUBLE_EQ(caption->Left(), 0);
    EXPECT_NEAR(value->Left(), caption->Width(), 1e-6);
    EXPECT_NEAR(value->Left() + value->Width(), portrait, 1e-6);
    EXPECT_DOUBLE_EQ(caption->Top(), value->Top());
    if (i > 0) {
      EXPECT_NEAR(value->Top(), find<report::TfrxCustomMemoView>(d.report(), "Pole" + c.fields[i - 1])->Top() + value->Height(), 1e-6);
    }
  }
  EXPECT_GT(data->Height(), c.fields.size() * find<report::TfrxCustomMemoView>(d.report(), "PoleData")->Height());
  // Each record a block of its own on the prepared page, in the form order.
  addReadings(d);
  const QMap<QString, QStringList> texts = preparedTexts(d.document().DocumentBytes());
  EXPECT_EQ(texts.value("EtykietaPunkt").size(), 8);
  EXPECT_EQ(texts.value("EtykietaSredniejTemperatura").size(), 3);
}

TEST(ReportWizardModel, LooksHavePolishNamesAndChangeTheHeadings) {
  QStringList names;
  for (const WizardLook& look : WizardLooks()) names.append(look.name);
  EXPECT_EQ(names, QStringList({"Klasyczny", "Szary", "Niebieski", "Bez ramek"}));
  LogDesigned d;
  WizardChoices c = logChoices();
  c.look = 2;
  ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
  auto* heading = find<report::TfrxMemoView>(d.report(), "NaglowekData");
  EXPECT_EQ(heading->Color().value, 0x800000u);
  EXPECT_EQ(heading->Font()->Color().value, 0xFFFFFFu);
  c.look = 3;
  ASSERT_EQ(ApplyWizardChoices(d.document(), c), "");
  heading = find<report::TfrxMemoView>(d.report(), "NaglowekData");
  EXPECT_EQ(heading->Frame()->Typ(), report::TfrxFrameTypes());
  EXPECT_EQ(heading->Color().value, report::clTransparent.value);
}

TEST(ReportWizardDialog, DrivenThroughItsPagesItBuildsWhatTheModelBuilds) {
  LogDesigned d;
  dialogs::RecordingScope recording;
  bool driven = false;
  QString sampleTitle;
  WhenModal<ReportWizard> drive([&](ReportWizard& w_) {
    ReportWizard* w = &w_;
    EXPECT_EQ(w->windowTitle(), "Kreator raportu");
    driveWizard(*w);
    EXPECT_EQ(w->Choices(), drivenChoices());
    // The sample is the report being made.
    ASSERT_NE(w->LookSample()->Sample(), nullptr);
    sampleTitle = qobject_cast<report::TfrxCustomMemoView*>(w->LookSample()->Sample()->FindObject("Tytul"))->Text();
    EXPECT_NE(w->LookSample()->Sample()->FindObject("EtykietaPunkt"), nullptr);
    driven = true;
    QTest::mouseClick(w->button(QWizard::FinishButton), Qt::LeftButton);
  });
  EXPECT_TRUE(RunReportWizard(d.document(), nullptr));
  EXPECT_TRUE(driven);
  EXPECT_EQ(sampleTitle, "Wpisy");
  LogDesigned expected;
  ASSERT_EQ(ApplyWizardChoices(expected.document(), drivenChoices()), "");
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), expected.document().DocumentBytes());
}

TEST(ReportWizardDialog, BadChoicesStayOnTheirPageWithOneLineAndCancelChangesNothing) {
  LogDesigned d;
  const QByteArray before = d.document().DocumentBytes();
  WhenModal<ReportWizard> drive([&](ReportWizard& w_) {
    ReportWizard* w = &w_;
    w->next();
    ASSERT_EQ(w->currentId(), ReportWizard::FieldsPage);
    w->next();  // no field chosen yet
    EXPECT_EQ(w->currentId(), ReportWizard::FieldsPage);
    EXPECT_EQ(w->Message(), "Wybierz co najmniej jedno pole.");
    QTest::mouseClick(w->AddAllFieldsButton(), Qt::LeftButton);
    EXPECT_EQ(w->ChosenFields()->count(), 7);
    EXPECT_FALSE(w->AddAllFieldsButton()->isEnabled());
    QTest::mouseClick(w->RemoveAllFieldsButton(), Qt::LeftButton);
    EXPECT_EQ(w->ChosenFields()->count(), 0);
    EXPECT_EQ(w->AvailableFields()->count(), 7);
    pick(w->AvailableFields(), "Punkt", w->AddFieldButton());
    w->next();
    EXPECT_EQ(w->currentId(), ReportWizard::GroupsPage);
    EXPECT_EQ(w->Message(), "");
    w->reject();
  });
  EXPECT_FALSE(RunReportWizard(d.document(), nullptr));
  EXPECT_SAME_DOCUMENT(d.document().DocumentBytes(), before);
  EXPECT_FALSE(d.document().IsModified());
}

namespace {

struct WizardWindow : LogDesigned {
  WizardWindow() : form(document()) {
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  dialogs::RecordingScope recording;
  TfrxDesignerForm form;
};

}  // namespace

TEST(ReportWizardWindow, KreatorRaportuInThePlikMenuBuildsTheReportAndPreviewsIt) {
  WizardWindow w;
  QAction* wizard = w.form.Action("actWizard");
  ASSERT_NE(wizard, nullptr);
  QMenu* file = w.form.menuBar()->actions().first()->menu();
  const QList<QAction*> items = file->actions();
  ASSERT_GE(items.indexOf(wizard), 1);
  EXPECT_EQ(items.at(items.indexOf(wizard) - 1), w.form.Action("actNew"));
  EXPECT_EQ(wizard->text(), "&Kreator raportu…");

  PreviewWatch preview;
  WhenModal<ReportWizard> drive([&](ReportWizard& dialog_) {
    ReportWizard* dialog = &dialog_;
    driveWizard(*dialog);
    QTest::mouseClick(dialog->button(QWizard::FinishButton), Qt::LeftButton);
  });
  wizard->trigger();
  EXPECT_TRUE(preview.seen);
  EXPECT_TRUE(preview.texts.contains("Strona 1 z 1")) << preview.texts.join('|').toStdString();
  EXPECT_TRUE(preview.texts.contains("Punkt: Chłodnia")) << preview.texts.join('|').toStdString();
  EXPECT_EQ(w.form.Tabs()->tabText(w.form.Tabs()->currentIndex()), "Page1");
  EXPECT_NE(w.report().FindObject("EtykietaPunkt"), nullptr);
  EXPECT_EQ(w.document().UndoStack().undoText(), "Kreator raportu");
  EXPECT_EQ(w.document().FileName(), w.designed.path);  // the same document, changed
}

TEST(ReportWizardWindow, NowyRaportAsksForAnEmptyReportOrTheWizardAfterTheUnsavedChangesQuestion) {
  WizardWindow w;
  // Unsaved changes: the question first; cancelling it asks nothing more.
  ASSERT_EQ(w.document().Run([&] { return new report::edit::SetPropertyCommand(w.report(), {"Tytul"}, "Text", "Zmiana"); }), "");
  dialogs::queueButtonAnswer(dialogs::ButtonCancel);
  bool asked = false;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<NewReportDialog*>(QApplication::activeModalWidget())) {
      asked = true;
      d->reject();
    }
  });
  w.form.Action("actNew")->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(asked);
  EXPECT_EQ(dialogs::recordedMessages(), QStringList{"Zapisać zmiany w raporcie?"});
  EXPECT_TRUE(w.document().IsModified());

  // "Pusty raport": the empty report the designer always made.
  dialogs::queueButtonAnswer(dialogs::ButtonNo);
  WhenModal<NewReportDialog> chooseEmpty([&](NewReportDialog& d_) {
    NewReportDialog* d = &d_;
    EXPECT_EQ(d->windowTitle(), "Nowy raport");
    EXPECT_EQ(d->EmptyButton()->text(), "&Pusty raport");
    EXPECT_EQ(d->WizardButton()->text(), "&Kreator raportu…");
    QTest::mouseClick(d->EmptyButton(), Qt::LeftButton);
  });
  w.form.Action("actNew")->trigger();
  EXPECT_EQ(w.document().FileName(), "");
  EXPECT_EQ(w.report().FindObject("MasterData1"), nullptr);
  EXPECT_FALSE(w.document().IsModified());

  // "Kreator raportu…" over the data sets the program attached: a new
  // report without a file, built and previewed, one undo step.
  w.document().Open(w.designed.path);
  PreviewWatch preview;
  int stage = 0;
  QTimer drive;
  drive.setInterval(5);
  QObject::connect(&drive, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<NewReportDialog*>(modal); d && stage == 0) {
      stage = 1;
      QTest::mouseClick(d->WizardButton(), Qt::LeftButton);
    } else if (auto* wizard = qobject_cast<ReportWizard*>(modal); wizard && stage == 1) {
      stage = 2;
      driveWizard(*wizard);
      QTest::mouseClick(wizard->button(QWizard::FinishButton), Qt::LeftButton);
    }
  });
  drive.start();
  w.form.Action("actNew")->trigger();
  drive.stop();
  EXPECT_EQ(stage, 2);
  EXPECT_TRUE(preview.seen);
  EXPECT_TRUE(preview.texts.contains("Punkt: Hala")) << preview.texts.join('|').toStdString();
  EXPECT_EQ(w.document().FileName(), "");
  EXPECT_NE(w.report().DataSets()->Find("Wpisy"), nullptr);
  EXPECT_EQ(find<report::TfrxMasterData>(w.report(), "MasterData1")->DataSetName(), "Wpisy");
  EXPECT_EQ(w.document().UndoStack().count(), 1);
  // The shipped report's summary is gone: this is the wizard's report.
  EXPECT_EQ(w.report().FindObject("ReportSummary1"), nullptr);
}

TEST(ReportWizardDialog, TheSampleDrawsThePageOfTheChoicesAndNothingWithoutFields) {
  LogDesigned d;
  WizardSample sample(d.report(), d.document().Defaults());
  sample.resize(300, 240);
  const auto paperPixels = [&] {
    const QImage image = sample.grab().toImage();
    int white = 0, dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (p == qRgb(255, 255, 255)) ++white;
        else if (qGray(p) < 100) ++dark;
      }
    return std::pair{white, dark};
  };
  WizardChoices none = logChoices();
  none.fields.clear();
  sample.SetChoices(none);
  EXPECT_EQ(sample.Sample(), nullptr);
  EXPECT_EQ(paperPixels().first, 0);
  sample.SetChoices(logChoices());
  ASSERT_NE(sample.Sample(), nullptr);
  const auto [white, dark] = paperPixels();
  EXPECT_GT(white, 300 * 240 / 4);  // the paper
  EXPECT_GT(dark, 50);              // the texts and lines of the views
  // The designed report is not touched by the sample.
  EXPECT_NE(d.report().FindObject("BrakWpisow"), nullptr);
}

TEST(ReportWizardDialog, AReportWithoutDataSetsSaysSoOnTheFirstPage) {
  designer::testing::Designed d(false);
  ReportWizard w(d.report, d.document->Defaults());
  w.show();
  EXPECT_EQ(w.DataSetList()->count(), 0);
  w.next();
  EXPECT_EQ(w.currentId(), ReportWizard::DataSetPage);
  EXPECT_EQ(w.Message(), "Raport nie ma zbiorów danych: najpierw dodaj zbiór danych.");
}

TEST(ReportWizardDialog, ANewReportFromTheWizardOffersOnlyTheDataSetsThatOutliveTheOldReport) {
  LogDesigned d;
  dialogs::RecordingScope recording;
  // A data set the report holds itself (on its data page) goes with it.
  ASSERT_EQ(d.document().ChangeReport("własny zbiór", [](report::TfrxReport& r) {
    auto* own = new report::TfrxUserDataSet(r.FindObject("Data"));
    own->SetName("WlasnyZbior");
    own->SetUserName("Własny");
    own->SetFields({"A"});
    r.DataSets()->Add(own);
  }), "");
  EXPECT_EQ(WizardDataSets(d.report()), QStringList({"Wpisy", "Własny"}));
  QStringList offered;
  WhenModal<ReportWizard> drive([&](ReportWizard& w_) {
    ReportWizard* w = &w_;
    for (int i = 0; i < w->DataSetList()->count(); ++i) offered.append(w->DataSetList()->item(i)->text());
    driveWizard(*w);
    QTest::mouseClick(w->button(QWizard::FinishButton), Qt::LeftButton);
  });
  EXPECT_TRUE(NewReportWithWizard(d.document(), nullptr));
  EXPECT_EQ(offered, QStringList{"Wpisy"});
  EXPECT_EQ(WizardDataSets(d.report()), QStringList{"Wpisy"});
  EXPECT_EQ(d.report().FindObject("WlasnyZbior"), nullptr);
  EXPECT_EQ(d.document().FileName(), "");
  EXPECT_TRUE(dialogs::recordedMessages().isEmpty()) << dialogs::recordedMessages().join('|').toStdString();
  // Undone, the new report is empty again with the data set kept.
  d.document().UndoStack().undo();
  EXPECT_EQ(d.report().FindObject("MasterData1"), nullptr);
  EXPECT_EQ(WizardDataSets(d.report()), QStringList{"Wpisy"});
}
