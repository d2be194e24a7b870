// Items of the data tree dragged onto the page as a user drags them: the
// tree's own drag data dropped on the workspace's viewport.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

#include "data_support.h"
#include "designer/band_rules.h"
#include "designer/data_tree.h"
#include "designer/field_drop.h"
#include "designer/workspace.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_page.h"

using namespace valmoro;
using namespace valmoro::designer;
using designer::testing::LogDesigned;

namespace {

constexpr double kStep = 3.77953;  // the grid: 0,1 cm

struct Dropping : LogDesigned {
  Dropping() {
    workspace = std::make_unique<DesignWorkspace>(document());
    workspace->resize(1000, 800);
    workspace->show();
    QCoreApplication::processEvents();
    tree = std::make_unique<DataTreeModel>(report());
  }
  report::TfrxComponent* object(const QString& name) { return report().FindObject(name); }
  report::TfrxCustomMemoView* memo(const QString& name) {
    return qobject_cast<report::TfrxCustomMemoView*>(object(name));
  }
  // The drag data of a tree item, as the tree view hands it to the drag.
  std::unique_ptr<QMimeData> dragOf(const QStringList& path) {
    const QModelIndex index = tree->Find(path);
    EXPECT_TRUE(index.isValid()) << path.join('/').toStdString();
    return std::unique_ptr<QMimeData>(tree->mimeData({index}));
  }
  // Enter, move and drop at a page point; whether the drop was taken.
  bool drop(const QMimeData& mime, QPointF pagePoint, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* viewport = workspace->viewport();
    const QPointF at = workspace->PageToViewport(pagePoint);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &move);
    if (!move.isAccepted()) return false;
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &dropped);
    return dropped.isAccepted();
  }
  QPointF inside(const QString& band, double x, double y) {
    const report::TfrxComponent* b = object(band);
    return {b->AbsLeft() + x, b->AbsTop() + y};
  }
  std::unique_ptr<DesignWorkspace> workspace;
  std::unique_ptr<DataTreeModel> tree;
};

const QStringList kTemperatura{"Zbiory danych", "Wpisy", "Temperatura"};

}  // namespace

TEST(FieldDrop, TemperaturaDroppedOnTheDataBandPrintsAsTheShippedColumnAndUndoes) {
  Dropping d;
  const QByteArray before = d.designed.bytes();
  const int steps = d.document().UndoStack().count();
  // In the gap the shipped layout leaves between humidity and employee,
  // off the grid by a little.
  ASSERT_TRUE(d.drop(*d.dragOf(kTemperatura), d.inside("MasterData1", 549.5, 1.2)));
  EXPECT_EQ(d.document().UndoStack().count(), steps + 1);

  report::TfrxCustomMemoView* view = d.memo("PoleTemperatura1");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Parent(), d.object("MasterData1"));
  EXPECT_EQ(view->Text(), "[Wpisy.\"Temperatura\"]");
  EXPECT_EQ(view->DataSetName(), "Wpisy");
  EXPECT_EQ(view->DataField(), "Temperatura");
  // On the grid, 3 cm by 0,5 cm in whole steps of 0,1 cm.
  EXPECT_NEAR(view->Left(), 145 * kStep, 1e-6);
  EXPECT_NEAR(view->Top(), 0, 1e-9);
  EXPECT_NEAR(view->Width(), 30 * kStep, 1e-6);
  EXPECT_NEAR(view->Height(), 5 * kStep, 1e-6);
  EXPECT_EQ(d.document().SelectedNames(), QStringList{"PoleTemperatura1"});

  // Every row prints the same text as the shipped column.
  const QMap<QString, QStringList> texts = designer::testing::preparedTexts(d.designed.bytes());
  ASSERT_EQ(texts.value("PoleTemperatura"), QStringList({"4,25", "21,50", "-3,13"}));
  EXPECT_EQ(texts.value("PoleTemperatura1"), texts.value("PoleTemperatura"));

  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
  d.document().UndoStack().redo();
  EXPECT_EQ(d.memo("PoleTemperatura1")->DataField(), "Temperatura");
}

TEST(FieldDrop, CtrlAddsTheColumnHeadingAtTheSameXInOneStep) {
  Dropping d;
  const QByteArray before = d.designed.bytes();
  const int steps = d.document().UndoStack().count();
  ASSERT_TRUE(d.drop(*d.dragOf({"Zbiory danych", "Wpisy", "Wilgotnosc"}), d.inside("MasterData1", 550, 0),
                     Qt::ControlModifier));
  EXPECT_EQ(d.document().UndoStack().count(), steps + 1);
  report::TfrxCustomMemoView* field = d.memo("PoleWilgotnosc1");
  report::TfrxCustomMemoView* heading = d.memo("NaglowekWilgotnosc1");
  ASSERT_NE(field, nullptr);
  ASSERT_NE(heading, nullptr);
  // The shipped layout keeps its headings in the page header.
  EXPECT_EQ(heading->Parent(), d.object("PageHeader1"));
  EXPECT_EQ(heading->Text(), "Wilgotnosc");
  EXPECT_NEAR(heading->AbsLeft(), field->AbsLeft(), 1e-6);
  EXPECT_NEAR(heading->Top() + heading->Height(), d.object("PageHeader1")->Height(), 1e-6);
  EXPECT_EQ(d.document().SelectedNames(), QStringList({"PoleWilgotnosc1", "NaglowekWilgotnosc1"}));
  const QMap<QString, QStringList> texts = designer::testing::preparedTexts(d.designed.bytes());
  EXPECT_EQ(texts.value("NaglowekWilgotnosc1"), QStringList({"Wilgotnosc"}));
  EXPECT_EQ(texts.value("PoleWilgotnosc1"), QStringList({"61,50", "40,00", "85,75"}));
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
}

TEST(FieldDrop, ADataBandWithoutADataSetTakesTheFieldsAndItsOwnHeaderTakesTheHeading) {
  Dropping d;
  auto* page = qobject_cast<report::TfrxReportPage*>(d.document().CurrentPage());
  ASSERT_NE(page, nullptr);
  // A second data band with a header of its own, below the summary.
  ASSERT_EQ(InsertBand(d.document(), "TfrxMasterData"), "");
  const QString dataName = d.document().SelectedNames().value(0);
  auto* data = qobject_cast<report::TfrxDataBand*>(d.object(dataName));
  ASSERT_NE(data, nullptr);
  if (!data->DataSetName().isEmpty()) {
    ASSERT_EQ(d.document().Run([&] {
      return new report::edit::ChangeCommand(d.report(), "", {dataName}, [](report::TfrxComponent& band) {
        static_cast<report::TfrxDataBand&>(band).SetDataSetName("");
      });
    }), "");
  }
  d.document().Select(data);
  ASSERT_EQ(InsertBand(d.document(), "TfrxHeader"), "");
  const QString headerName = d.document().SelectedNames().value(0);
  ASSERT_EQ(HeadingBandFor(*data), d.object(headerName));
  EXPECT_EQ(HeadingBandFor(*static_cast<report::TfrxBand*>(d.object("MasterData1"))), d.object("PageHeader1"));
  data = qobject_cast<report::TfrxDataBand*>(d.object(dataName));
  ASSERT_TRUE(data->DataSetName().isEmpty());
  const QByteArray before = d.designed.bytes();

  ASSERT_TRUE(d.drop(*d.dragOf({"Zbiory danych", "Wpisy", "Punkt"}), d.inside(dataName, 40, 2), Qt::ControlModifier));
  data = qobject_cast<report::TfrxDataBand*>(d.object(dataName));
  EXPECT_EQ(data->DataSetName(), "Wpisy");
  EXPECT_EQ(d.memo("PolePunkt1")->Parent(), data);
  EXPECT_EQ(d.memo("NaglowekPunkt1")->Parent(), d.object(headerName));
  // One step takes back the band's data set with the views.
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
}

TEST(FieldDrop, DropsWithNowhereToGoAreRefusedInOneLineAndChangeNothing) {
  Dropping d;
  QSignalSpy refused(d.workspace.get(), &DesignWorkspace::refused);
  const QByteArray before = d.designed.bytes();
  const int steps = d.document().UndoStack().count();

  // Below every band.
  d.drop(*d.dragOf(kTemperatura), QPointF(100, 900));
  ASSERT_EQ(refused.count(), 1);
  EXPECT_EQ(refused.at(0).at(0).toString(), "Pole danych można upuścić tylko na wstęgę.");

  // A band locked against changes.
  ASSERT_EQ(d.document().Run([&] {
    return new report::edit::ChangeCommand(d.report(), "", {"ReportSummary1"}, [](report::TfrxComponent& band) {
      band.SetRestrictions(report::rfDontModify);
    });
  }), "");
  const QByteArray locked = d.designed.bytes();
  d.drop(*d.dragOf(kTemperatura), d.inside("ReportSummary1", 600, 2));
  ASSERT_EQ(refused.count(), 2);
  EXPECT_EQ(refused.at(1).at(0).toString(), "Wstęga ReportSummary1 jest zablokowana: nie można jej zmieniać.");
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), locked);
  d.document().UndoStack().undo();

  // A heading asked for where the page has no header at all.
  ASSERT_EQ(DeleteBand(d.document(), *static_cast<report::TfrxBand*>(d.object("PageHeader1"))), "");
  const QByteArray headless = d.designed.bytes();
  d.drop(*d.dragOf(kTemperatura), d.inside("MasterData1", 550, 0), Qt::ControlModifier);
  ASSERT_EQ(refused.count(), 3);
  EXPECT_EQ(refused.at(2).at(0).toString(),
            "Wstęga MasterData1 nie ma nagłówka ani strona nagłówka strony: nie ma gdzie umieścić nagłówka kolumny.");
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), headless);
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
  EXPECT_EQ(d.document().UndoStack().index(), steps);

  // Fields the report does not have, straight through the function.
  auto& band = *static_cast<report::TfrxBand*>(d.object("MasterData1"));
  EXPECT_EQ(DropField(d.document(), band, "Odczyty", "Temperatura", {}, false), "Raport nie ma zbioru danych „Odczyty”.");
  EXPECT_EQ(DropField(d.document(), band, "Wpisy", "Cisnienie", {}, false), "Zbiór danych „Wpisy” nie ma pola „Cisnienie”.");
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
}

TEST(FieldDrop, VariablesAndFunctionsGoIntoTheTextViewUnderThePointer) {
  Dropping d;
  QSignalSpy refused(d.workspace.get(), &DesignWorkspace::refused);
  const QByteArray before = d.designed.bytes();
  const QString footer = d.memo("NumerStrony")->Text();
  ASSERT_TRUE(d.drop(*d.dragOf({"Zmienne systemowe", "Page"}), d.object("NumerStrony")->AbsoluteBounds().center()));
  EXPECT_EQ(d.memo("NumerStrony")->Text(), footer + "[Page]");
  ASSERT_TRUE(d.drop(*d.dragOf({"Funkcje", "Tekstowe", "Copy"}), d.object("Tytul")->AbsoluteBounds().center()));
  EXPECT_EQ(d.memo("Tytul")->Text(), "Dziennik pomiarów temperatury i wilgotności[Copy(s, from, count)]");
  EXPECT_EQ(refused.count(), 0);
  // Each insertion is its own step.
  d.document().UndoStack().undo();
  EXPECT_EQ(d.memo("Tytul")->Text(), "Dziennik pomiarów temperatury i wilgotności");
  d.document().UndoStack().undo();
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);

  // On a band, away from every text view.
  d.drop(*d.dragOf({"Zmienne systemowe", "Date"}), d.inside("MasterData1", 552, 5));
  ASSERT_EQ(refused.count(), 1);
  EXPECT_EQ(refused.at(0).at(0).toString(), "Zmienną lub funkcję można upuścić tylko na obiekt tekstowy.");
  EXPECT_SAME_DOCUMENT(d.designed.bytes(), before);
}

TEST(FieldDrop, TheScriptEditorTakesTheDragAsPlainText) {
  Dropping d;
  QPlainTextEdit editor;
  editor.setPlainText("begin\n  \nend.");
  editor.resize(300, 200);
  editor.show();
  QCoreApplication::processEvents();
  QTextCursor cursor = editor.textCursor();
  cursor.setPosition(8);
  editor.setTextCursor(cursor);
  const std::unique_ptr<QMimeData> mime = d.dragOf({"Funkcje", "Data i czas", "EncodeDate"});
  EXPECT_EQ(mime->text(), "EncodeDate(Year, Month, Day)");
  const QPoint at = editor.cursorRect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
  QApplication::sendEvent(editor.viewport(), &enter);
  QDragMoveEvent move(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
  QApplication::sendEvent(editor.viewport(), &move);
  QDropEvent dropped(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
  QApplication::sendEvent(editor.viewport(), &dropped);
  EXPECT_EQ(editor.toPlainText(), "begin\n  EncodeDate(Year, Month, Day)\nend.");

  EXPECT_EQ(d.dragOf(kTemperatura)->text(), "<Wpisy.\"Temperatura\">");
  EXPECT_EQ(d.dragOf({"Zmienne systemowe", "TotalPages#"})->text(), "<TotalPages#>");
}

TEST(FieldDrop, CallsAndNamesMadeFromDeclarationsAndFields) {
  EXPECT_EQ(FunctionCall("function Copy(s: String; from, count: Integer): String"), "Copy(s, from, count)");
  EXPECT_EQ(FunctionCall("procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)"),
            "DecodeDate(Date, Year, Month, Day)");
  EXPECT_EQ(FunctionCall("macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant"),
            "SUM(Expr, Band, Flags)");
  EXPECT_EQ(FunctionCall("function ExtractFilePath(const FileName: string): string;"), "ExtractFilePath(FileName)");
  EXPECT_EQ(FunctionCall("function Now: TDateTime"), "Now");

  report::TfrxReport report;
  auto* page = new report::TfrxReportPage(&report);
  page->SetName("Page1");
  EXPECT_EQ(NameForField(report, "Pole", "Wilgotność względna"), "PoleWilgotnoscwzgledna");
  EXPECT_EQ(NameForField(report, "Pole", "Łączna-suma (zł)"), "PoleLacznasumazl");
  EXPECT_EQ(NameForField(report, "", "2 pomiar"), "Pole2pomiar");
  auto* band = new report::TfrxMasterData(page);
  band->SetName("PoleTemperatura");
  auto* other = new report::TfrxMemoView(band);
  other->SetName("PoleTemperatura1");
  EXPECT_EQ(NameForField(report, "Pole", "Temperatura"), "PoleTemperatura2");
}

TEST(FieldDrop, TheGridOfTheDocumentsUnitSizesAndPlacesTheView) {
  Dropping d;
  d.document().Options().unit = report::LengthUnit::Pixel;
  d.document().Options().gridPixels = 8;
  auto& band = *static_cast<report::TfrxBand*>(d.object("ReportSummary1"));
  QStringList made;
  ASSERT_EQ(DropField(d.document(), band, "Wpisy", "Data", d.inside("ReportSummary1", 411, 3), false, &made), "");
  ASSERT_EQ(made, QStringList{"PoleData1"});
  const report::TfrxComponent* view = d.object("PoleData1");
  EXPECT_DOUBLE_EQ(view->Left(), 408);
  EXPECT_DOUBLE_EQ(view->Top(), 0);
  EXPECT_DOUBLE_EQ(view->Width(), 112);  // 3 cm is 113,4 px: 14 steps
  EXPECT_DOUBLE_EQ(view->Height(), 16);  // 0,5 cm is 18,9 px: 2 steps
  // Dropped near the band's right end it stays inside the band.
  ASSERT_EQ(DropField(d.document(), band, "Wpisy", "Data", d.inside("ReportSummary1", 715, 110), false, &made), "");
  view = d.object(made.value(0));
  EXPECT_NEAR(view->Left() + view->Width(), band.Width(), 1e-9);
  EXPECT_NEAR(view->Top() + view->Height(), band.Height(), 1e-9);
}
