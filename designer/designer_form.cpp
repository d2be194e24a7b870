#include "designer/designer_form.h"

#include <QActionGroup>
#include <QBuffer>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTextBlock>
#include <QTreeView>
#include <QTreeWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "designer/action_icons.h"
#include "designer/alignment.h"
#include "designer/band_rules.h"
#include "designer/building_blocks.h"
#include "designer/clipboard.h"
#include "designer/data_tree.h"
#include "designer/object_catalogue.h"
#include "designer/designer_document.h"
#include "designer/live_preview.h"
#include "designer/object_editing.h"
#include "designer/object_editors.h"
#include "designer/object_inspector.h"
#include "designer/page_settings.h"
#include "designer/report_options_dialog.h"
#include "designer/report_tree.h"
#include "designer/report_wizard.h"
#include "designer/rulers.h"
#include "designer/script_text_command.h"
#include "designer/styles_editor.h"
#include "designer/variables_editor.h"
#include "designer/workspace.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report_page.h"
#include "report/model/changes.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_options.h"
#include "report/model/units.h"

namespace valmoro::designer {

using report::LengthUnit;
using report::TfrxComponent;

namespace {

const QString kSettingsSection = QStringLiteral("Form.TfrxDesignerForm");
constexpr int kMaxRecentFiles = 8;

// The stored numbers of the units: 1 inches as the page settings dialog of
// the preview reads it, 0 centimetres, 2 pixels, 3 millimetres.
int unitCode(LengthUnit unit) {
  switch (unit) {
    case LengthUnit::Inch: return 1;
    case LengthUnit::Pixel: return 2;
    case LengthUnit::Millimetre: return 3;
    default: return 0;
  }
}
LengthUnit unitOfCode(int code) {
  switch (code) {
    case 1: return LengthUnit::Inch;
    case 2: return LengthUnit::Pixel;
    case 3: return LengthUnit::Millimetre;
    default: return LengthUnit::Centimetre;
  }
}

QString unitName(LengthUnit unit) {
  switch (unit) {
    case LengthUnit::Inch: return QStringLiteral("cale");
    case LengthUnit::Pixel: return QStringLiteral("piksele");
    case LengthUnit::Millimetre: return QStringLiteral("milimetry");
    default: return QStringLiteral("centymetry");
  }
}

QString zoomText(double zoom) { return QStringLiteral("%1%").arg(qRound(zoom * 100)); }

}  // namespace

TfrxDesignerForm::TfrxDesignerForm(DesignerDocument& document, QWidget* parent)
    : QMainWindow(parent), document_(document) {
  setObjectName(QStringLiteral("TfrxDesignerForm"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(1100, 760);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tabs_ = new QTabBar(central);
  tabs_->setObjectName(QStringLiteral("PagesTabs"));
  tabs_->setDocumentMode(true);
  tabs_->setExpanding(false);
  stack_ = new QStackedWidget(central);
  code_ = new QPlainTextEdit(stack_);
  code_->setObjectName(QStringLiteral("CodeWindow"));
  code_->setUndoRedoEnabled(false);  // every change is a step of the designer's undo
  code_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono(QStringLiteral("DejaVu Sans Mono"));
  mono.setStyleHint(QFont::Monospace);
  code_->setFont(mono);
  code_->installEventFilter(this);
  area_ = new DesignArea(document_, stack_);
  stack_->addWidget(code_);
  stack_->addWidget(area_);
  layout->addWidget(tabs_);
  layout->addWidget(stack_, 1);
  setCentralWidget(central);

  buildActions();
  buildCatalogueActions();
  buildDocks();
  buildMenus();
  buildLiveDock();
  buildBlockActions();
  buildToolBars();

  unitLabel_ = new QLabel(this);
  pointerLabel_ = new QLabel(this);
  selectionLabel_ = new QLabel(this);
  unitLabel_->setMinimumWidth(120);
  pointerLabel_->setMinimumWidth(200);
  statusBar()->addWidget(unitLabel_);
  statusBar()->addWidget(pointerLabel_);
  statusBar()->addWidget(selectionLabel_, 1);

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { showTab(index); });
  connect(code_, &QPlainTextEdit::textChanged, this, [this] { codeEdited(); });
  connect(&document_, &DesignerDocument::selectionChanged, this, [this] {
    updateStatus();
    updateActions();
  });
  connect(&document_, &DesignerDocument::documentReplaced, this, [this] {
    rebuildTabs();
    loadCodeEditor();
    updateStatus();
  });
  connect(&document_, &DesignerDocument::currentPageChanged, this, [this] {
    const int at = document_.Pages().indexOf(document_.CurrentPage());
    if (at >= 0 && tabs_->currentIndex() != at + 1) tabs_->setCurrentIndex(at + 1);
  });
  connect(&document_, &DesignerDocument::changed, this, [this](const report::ReportChange& c) { modelChanged(c); });
  connect(&document_, &DesignerDocument::modifiedChanged, this, [this] { updateTitle(); });
  connect(&document_, &DesignerDocument::pagesChanged, this, [this] { rebuildTabs(); });
  connect(&document_, &DesignerDocument::fileNameChanged, this, [this] { updateTitle(); });
  connect(&document_.UndoStack(), &QUndoStack::indexChanged, this, [this] {
    updateActions();
    updateStatus();
  });
  connect(&document_, &DesignerDocument::optionsChanged, this, [this] { updateStatus(); });
  connect(Workspace(), &DesignWorkspace::pointerMoved, this, [this](QPointF at) { showPointer(at); });
  connect(Workspace(), &DesignWorkspace::insertFinished, this, [this] {
    chosen_.clear();
    Action("actPointer")->setChecked(true);
  });
  connect(Workspace(), &DesignWorkspace::insertBandRequested, this, [this](const QString& className) {
    showRefusal(InsertBand(document_, className));
    ChooseObject(QString());
  });
  connect(Workspace(), &DesignWorkspace::contextMenuRequested, this, [this](QPoint at) { showContextMenu(at); });
  connect(Workspace(), &DesignWorkspace::editRequested, this, [this](TfrxComponent* object) { EditObject(object); });
  connect(Workspace(), &DesignWorkspace::zoomChanged, this, [this](double zoom) {
    document_.Options().zoom = zoom;
    const QSignalBlocker block(zoomBox_);
    zoomBox_->setCurrentText(zoomText(zoom));
  });
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updateActions(); });
  connect(Workspace(), &DesignWorkspace::refused, this, [this](const QString& m) { showNote(m); });
  connect(&document_, &DesignerDocument::journalFailed, this, [this](const QString& m) { statusBar()->showMessage(m, 10000); });

  restoreSettings();
  zoomBox_->setCurrentText(zoomText(Workspace()->Zoom()));
  rebuildTabs();
  loadCodeEditor();
  updateTitle();
  updateActions();
  updateStatus();
}

TfrxDesignerForm::~TfrxDesignerForm() = default;

DesignWorkspace* TfrxDesignerForm::Workspace() const { return area_->Workspace(); }

QString TfrxDesignerForm::StatusText(int panel) const {
  switch (panel) {
    case 0: return unitLabel_->text();
    case 1: return pointerLabel_->text();
    default: return selectionLabel_->text();
  }
}

// --- Actions, menus, tool bars ----------------------------------------------------

QAction* TfrxDesignerForm::addAction(const QString& name, const QString& text, const QKeySequence& key,
                                     const QString& hint, const std::function<void()>& run) {
  auto* action = new QAction(ActionIcon(name), text, this);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  action->setStatusTip(hint);
  action->setToolTip(key.isEmpty() ? hint : QStringLiteral("%1 (%2)").arg(hint, key.toString(QKeySequence::NativeText)));
  connect(action, &QAction::triggered, this, [run] { run(); });
  QMainWindow::addAction(action);
  actions_.insert(name, action);
  return action;
}

void TfrxDesignerForm::buildActions() {
  addAction("actNew", "&Nowy raport", QKeySequence::New, "Nowy, pusty raport", [this] { NewReport(); });
  addAction("actOpen", "&Otwórz…", QKeySequence::Open, "Otwórz raport z pliku", [this] { OpenReport(); });
  addAction("actSave", "&Zapisz", QKeySequence::Save, "Zapisz raport", [this] { SaveReport(); });
  addAction("actSaveAs", "Zapisz &jako…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "Zapisz raport w innym pliku",
            [this] { SaveReportAs(); });
  addAction("actClose", "Za&mknij", QKeySequence(Qt::ALT | Qt::Key_F4), "Zamknij projektanta", [this] { close(); });
  addAction("actUndo", "&Cofnij", QKeySequence::Undo, "Cofnij ostatnią zmianę", [this] { Undo(); });
  addAction("actRedo", "&Ponów", QKeySequence(Qt::CTRL | Qt::Key_Y), "Ponów cofniętą zmianę", [this] { Redo(); });
  addAction("actCut", "&Wytnij", QKeySequence::Cut, "Wytnij zaznaczone obiekty", [this] { CutSelection(); });
  addAction("actCopy", "&Kopiuj", QKeySequence::Copy, "Kopiuj zaznaczone obiekty", [this] { CopySelection(); });
  addAction("actPaste", "W&klej", QKeySequence::Paste, "Wklej obiekty ze schowka", [this] { PasteClipboard(); });
  addAction("actDelete", "&Usuń", QKeySequence::Delete, "Usuń zaznaczone obiekty", [this] { DeleteSelection(); });
  addAction("actSelectAll", "Zaznacz &wszystko", QKeySequence::SelectAll, "Zaznacz wszystkie obiekty strony",
            [this] { SelectAll(); });
  addAction("actPreview", "&Podgląd", QKeySequence(Qt::Key_F9), "Podgląd raportu z bieżącymi danymi",
            [this] { PreviewReport(); });
  addAction("actNextPanel", "&Następny panel", QKeySequence(Qt::Key_F6), "Przejdź do następnego panelu",
            [this] { FocusNextPanel(); });
  addAction("actZoomIn", "Po&większ", QKeySequence::ZoomIn, "Powiększ stronę",
            [this] { setZoom(document_.Options().zoom * 1.25); });
  addAction("actZoomOut", "Po&mniejsz", QKeySequence::ZoomOut, "Pomniejsz stronę",
            [this] { setZoom(document_.Options().zoom / 1.25); });
  addAction("actZoom100", "&100%", QKeySequence(Qt::CTRL | Qt::Key_0), "Strona w rzeczywistej wielkości",
            [this] { setZoom(1.0); });
  addAction("actPageWidth", "&Szerokość strony", QKeySequence(), "Strona na całą szerokość okna",
            [this] { Workspace()->ZoomToPageWidth(); });
  addAction("actWholePage", "&Cała strona", QKeySequence(), "Cała strona w oknie", [this] { Workspace()->ZoomToWholePage(); });
  QAction* grid = addAction("actShowGrid", "Pokaż &siatkę", QKeySequence(), "Pokaż siatkę na stronie", [this] {
    document_.Options().showGrid = Action("actShowGrid")->isChecked();
    document_.OptionsChanged();
  });
  grid->setCheckable(true);
  QAction* snapGrid = addAction("actSnapToGrid", "Przyciągaj do siatki", QKeySequence(), "Przyciągaj obiekty do siatki", [this] {
    document_.Options().snapToGrid = Action("actSnapToGrid")->isChecked();
    document_.OptionsChanged();
  });
  snapGrid->setCheckable(true);
  QAction* snapGuides =
      addAction("actSnapToGuides", "Przyciągaj do prowadnic i obiektów", QKeySequence(),
                "Przyciągaj do prowadnic, krawędzi wstęg i innych obiektów (Alt wyłącza na czas przeciągania)", [this] {
                  const bool on = Action("actSnapToGuides")->isChecked();
                  document_.Options().snapToGuides = on;
                  document_.Options().snapToObjects = on;
                  document_.OptionsChanged();
                });
  snapGuides->setCheckable(true);
  unitGroup_ = new QActionGroup(this);
  const struct {
    const char* name;
    const char* text;
    LengthUnit unit;
  } units[] = {{"actUnitCm", "&Centymetry", LengthUnit::Centimetre},
               {"actUnitMm", "&Milimetry", LengthUnit::Millimetre},
               {"actUnitIn", "C&ale", LengthUnit::Inch},
               {"actUnitPx", "&Piksele", LengthUnit::Pixel}};
  for (const auto& u : units) {
    const LengthUnit unit = u.unit;
    QAction* action = addAction(QString::fromLatin1(u.name), QString::fromUtf8(u.text), QKeySequence(),
                                QStringLiteral("Jednostka linijek i wymiarów: %1").arg(unitName(unit)),
                                [this, unit] { setUnit(unitCode(unit)); });
    action->setCheckable(true);
    unitGroup_->addAction(action);
  }
  // F2 and Insert belong to the page: in the panels beside it F2 edits a
  // value or a name.
  const auto pageOnly = [this](QAction* action) {
    QMainWindow::removeAction(action);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    area_->addAction(action);
  };
  pageOnly(addAction("actEditText", "Edytuj &tekst", QKeySequence(Qt::Key_F2), "Edytuj tekst zaznaczonego obiektu na stronie",
                     [this] { EditSelectedText(); }));
  pageOnly(addAction("actInsertObject", "Wstaw &wybrany obiekt", QKeySequence(Qt::Key_Insert),
                     "Wstaw obiekt wybrany na pasku obiektów przy zaznaczeniu", [this] { InsertChosenObject(); }));
  // Esc on the page does the same (the workspace leaves its insert tool).
  QAction* pointer = addAction("actPointer", "&Zaznaczanie", QKeySequence(),
                               "Zaznaczanie i przesuwanie obiektów (bez wstawiania)", [this] { ChooseObject(QString()); });
  pointer->setCheckable(true);
  pointer->setChecked(true);
  const struct {
    const char* name;
    AlignAction action;
  } aligns[] = {{"actAlignLefts", AlignAction::Lefts},
                {"actAlignHCentres", AlignAction::HorizontalCentres},
                {"actAlignRights", AlignAction::Rights},
                {"actAlignTops", AlignAction::Tops},
                {"actAlignVCentres", AlignAction::VerticalCentres},
                {"actAlignBottoms", AlignAction::Bottoms},
                {"actCentreInBandH", AlignAction::CentreInBandHorizontally},
                {"actCentreInBandV", AlignAction::CentreInBandVertically},
                {"actSameWidth", AlignAction::SameWidth},
                {"actSameHeight", AlignAction::SameHeight},
                {"actSpaceH", AlignAction::SpaceHorizontally},
                {"actSpaceV", AlignAction::SpaceVertically}};
  for (const auto& a : aligns) {
    const AlignAction action = a.action;
    const QString text = AlignActionText(action);
    addAction(QString::fromLatin1(a.name), text, QKeySequence(), QStringLiteral("%1 (pierwszy zaznaczony obiekt jest wzorem)").arg(text),
              [this, action] { showRefusal(Align(document_, action)); });
  }
  addAction("actToFront", "Na &wierzch", QKeySequence(Qt::CTRL | Qt::Key_BracketRight), "Przenieś zaznaczone obiekty na wierzch",
            [this] { showRefusal(ChangeStackingOrder(document_, StackingOrder::Front)); });
  addAction("actToBack", "Na &spód", QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), "Przenieś zaznaczone obiekty pod inne",
            [this] { showRefusal(ChangeStackingOrder(document_, StackingOrder::Back)); });
  addAction("actLock", "&Zablokuj położenie", QKeySequence(), "Zablokuj zaznaczone obiekty przed przesuwaniem",
            [this] { showRefusal(Lock(document_, true)); });
  addAction("actUnlock", "&Odblokuj położenie", QKeySequence(), "Pozwól znów przesuwać zaznaczone obiekty",
            [this] { showRefusal(Lock(document_, false)); });
  addAction("actBandUp", "Wstęga w &górę", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Up),
            "Przesuń zaznaczoną wstęgę danych (z nagłówkami i stopkami) w górę", [this] { MoveSelectedBand(true); });
  addAction("actBandDown", "Wstęga w &dół", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Down),
            "Przesuń zaznaczoną wstęgę danych (z nagłówkami i stopkami) w dół", [this] { MoveSelectedBand(false); });
  addAction("actAddPage", "Dodaj &stronę", QKeySequence(), "Dodaj do raportu nową stronę", [this] { AddPage(); });
  addAction("actDeletePage", "Usuń stro&nę", QKeySequence(), "Usuń bieżącą stronę raportu", [this] { DeleteCurrentPage(); });
  addAction("actInspector", "&Inspektor obiektów", QKeySequence(Qt::Key_F11), "Pokaż inspektor obiektów i przejdź do niego",
            [this] { FocusInspector(); });
  addAction("actVariables", "&Zmienne raportu…", QKeySequence(), "Kategorie, nazwy i wyrażenia zmiennych raportu",
            [this] { EditVariables(); });
  addAction("actAbout", "&O projektancie", QKeySequence(Qt::Key_F1), "O projektancie raportów", [this] {
    dialogs::showMessage(QStringLiteral("Projektant raportów programu Valmoro.\r"
                                        "Strzałki przesuwają zaznaczenie o krok siatki, Ctrl+strzałki o piksel,\r"
                                        "Shift+strzałki zmieniają rozmiar; Alt podczas przeciągania wyłącza przyciąganie;\r"
                                        "F6 przechodzi między panelami, F9 pokazuje podgląd."),
                         this);
  });
}

void TfrxDesignerForm::buildCatalogueActions() {
  chooser_ = new QActionGroup(this);
  chooser_->addAction(Action("actPointer"));
  for (const CatalogueEntry& entry : ObjectCatalogue()) {
    const QString id = entry.id;
    auto* a = new QAction(CatalogueIcon(entry), entry.caption, this);
    a->setObjectName(QStringLiteral("obj:") + id);
    a->setStatusTip(entry.hint);
    a->setToolTip(entry.hint);
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, id] { ChooseObject(id); });
    chooser_->addAction(a);
    entryActions_.insert(id, a);
  }
}

void TfrxDesignerForm::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&Plik"));
  file->addAction(Action("actNew"));
  file->addAction(Action("actOpen"));
  recentMenu_ = file->addMenu(QStringLiteral("Ostatnio &używane"));
  file->addAction(Action("actSave"));
  file->addAction(Action("actSaveAs"));
  file->addSeparator();
  file->addAction(Action("actPreview"));
  file->addSeparator();
  file->addAction(Action("actClose"));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edycja"));
  edit->addAction(Action("actUndo"));
  edit->addAction(Action("actRedo"));
  edit->addSeparator();
  edit->addAction(Action("actCut"));
  edit->addAction(Action("actCopy"));
  edit->addAction(Action("actPaste"));
  edit->addAction(Action("actDelete"));
  edit->addSeparator();
  edit->addAction(Action("actSelectAll"));
  edit->addAction(Action("actEditText"));
  edit->addSeparator();
  QMenu* arrange = edit->addMenu(QStringLiteral("&Wyrównaj"));
  for (const char* name : {"actAlignLefts", "actAlignHCentres", "actAlignRights", "actAlignTops", "actAlignVCentres",
                           "actAlignBottoms", "", "actCentreInBandH", "actCentreInBandV", "", "actSameWidth",
                           "actSameHeight", "actSpaceH", "actSpaceV"}) {
    if (*name == 0) arrange->addSeparator();
    else arrange->addAction(Action(QString::fromLatin1(name)));
  }
  edit->addAction(Action("actToFront"));
  edit->addAction(Action("actToBack"));
  edit->addAction(Action("actLock"));
  edit->addAction(Action("actUnlock"));

  QMenu* reportMenu = menuBar()->addMenu(QStringLiteral("&Raport"));
  reportMenu->setObjectName(QStringLiteral("ReportMenu"));
  reportMenu->addAction(Action("actPreview"));
  reportMenu->addSeparator();
  QMenu* objects = reportMenu->addMenu(QStringLiteral("Wstaw &obiekt"));
  QMenu* bands = reportMenu->addMenu(QStringLiteral("Wstaw &wstęgę"));
  for (const CatalogueEntry& entry : ObjectCatalogue()) {
    QAction* a = entryActions_.value(entry.id);
    (entry.group == CatalogueEntry::Group::Band ? bands : objects)->addAction(a);
  }
  reportMenu->addAction(Action("actInsertObject"));
  reportMenu->addAction(Action("actPointer"));
  reportMenu->addSeparator();
  reportMenu->addAction(Action("actBandUp"));
  reportMenu->addAction(Action("actBandDown"));
  reportMenu->addSeparator();
  reportMenu->addAction(Action("actAddPage"));
  reportMenu->addAction(Action("actDeletePage"));
  reportMenu->addSeparator();
  reportMenu->addAction(Action("actVariables"));
  buildStyleActions();

  QMenu* view = menuBar()->addMenu(QStringLiteral("&Widok"));
  view->setObjectName(QStringLiteral("ViewMenu"));
  view->addAction(Action("actZoomIn"));
  view->addAction(Action("actZoomOut"));
  view->addAction(Action("actZoom100"));
  view->addAction(Action("actPageWidth"));
  view->addAction(Action("actWholePage"));
  view->addSeparator();
  QMenu* unitMenu = view->addMenu(QStringLiteral("&Jednostki"));
  for (QAction* a : unitGroup_->actions()) unitMenu->addAction(a);
  view->addAction(Action("actShowGrid"));
  view->addAction(Action("actSnapToGrid"));
  view->addAction(Action("actSnapToGuides"));
  view->addSeparator();
  view->addAction(Action("actInspector"));
  for (const char* name : {"InspectorDock", "ReportTreeDock", "DataTreeDock"}) view->addAction(Dock(QString::fromLatin1(name))->toggleViewAction());
  view->addAction(Action("actNextPanel"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("Po&moc"));
  help->addAction(Action("actAbout"));
  buildSettingsActions();
  buildWizardActions();
}

void TfrxDesignerForm::buildDocks() {
  tree_ = new ReportTree(document_, this);
  tree_->setObjectName(QStringLiteral("ReportTree"));
  tree_->SetContextActions({Action("actCut"), Action("actCopy"), Action("actPaste"), Action("actDelete"), nullptr,
                            Action("actToFront"), Action("actToBack"), nullptr, Action("actLock"), Action("actUnlock")});
  connect(tree_, &ReportTree::refused, this, [this](const QString& m) { showNote(m); });
  connect(tree_, &ReportTree::activated, this, [this] {
    if (stack_->currentWidget() == area_) Workspace()->setFocus();
  });
  inspector_ = new ObjectInspector(document_, this);
  inspector_->setObjectName(QStringLiteral("ObjectInspector"));
  connect(inspector_, &ObjectInspector::refused, this, [this](const QString& m) { showNote(m); });
  connect(inspector_, &ObjectInspector::showCodeAt, this, [this](int line) { ShowCodeAt(line - 1); });
  data_ = new DataTree(document_, this);
  data_->setObjectName(QStringLiteral("DataTree"));

  addDock(QStringLiteral("ReportTreeDock"), QStringLiteral("Drzewo raportu"), tree_, Qt::LeftDockWidgetArea);
  addDock(QStringLiteral("InspectorDock"), QStringLiteral("Inspektor obiektów"), inspector_, Qt::LeftDockWidgetArea);
  // The data tree shares its place with the report tree, so that the page
  // keeps the width of the window; the report tree is shown first.
  QDockWidget* dataDock = addDock(QStringLiteral("DataTreeDock"), QStringLiteral("Dane"), data_, Qt::LeftDockWidgetArea);
  tabifyDockWidget(Dock(QStringLiteral("ReportTreeDock")), dataDock);
  Dock(QStringLiteral("ReportTreeDock"))->raise();
}

QDockWidget* TfrxDesignerForm::addDock(const QString& name, const QString& title, QWidget* content,
                                      Qt::DockWidgetArea area) {
  auto* dock = new QDockWidget(title, this);
  dock->setObjectName(name);
  dock->setWidget(content);
  dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(area, dock);
  docks_.insert(name, dock);
  return dock;
}

QDockWidget* TfrxDesignerForm::Dock(const QString& name) const { return docks_.value(name); }

void TfrxDesignerForm::buildToolBars() {
  QToolBar* standard = addToolBar(QStringLiteral("Standardowy"));
  standard->setObjectName(QStringLiteral("StandardToolBar"));
  // Buttons with a picture show it; the others keep their caption.
  standard->setToolButtonStyle(Qt::ToolButtonFollowStyle);
  for (const char* name : {"actNew", "actOpen", "actSave", "", "actUndo", "actRedo", "", "actCut", "actCopy", "actPaste",
                           "actDelete", "", "actPreview"}) {
    if (*name == 0)
      standard->addSeparator();
    else
      standard->addAction(Action(QString::fromLatin1(name)));
  }
  zoomBox_ = new QComboBox(standard);
  zoomBox_->setObjectName(QStringLiteral("ZoomCB"));
  zoomBox_->setEditable(true);
  zoomBox_->setToolTip(QStringLiteral("Powiększenie strony"));
  for (int percent : {25, 50, 75, 100, 150, 200, 300, 400}) zoomBox_->addItem(QStringLiteral("%1%").arg(percent));
  zoomBox_->addItem(QStringLiteral("Szerokość strony"));
  zoomBox_->addItem(QStringLiteral("Cała strona"));
  connect(zoomBox_, &QComboBox::textActivated, this, [this](const QString& text) {
    if (text == QLatin1String("Szerokość strony")) {
      Workspace()->ZoomToPageWidth();
      return;
    }
    if (text == QLatin1String("Cała strona")) {
      Workspace()->ZoomToWholePage();
      return;
    }
    QString digits = text;
    digits.remove(QLatin1Char('%'));
    bool ok = false;
    const double percent = digits.trimmed().toDouble(&ok);
    if (ok) setZoom(percent / 100);
    else zoomBox_->setCurrentText(zoomText(document_.Options().zoom));
  });
  standard->addSeparator();
  standard->addWidget(zoomBox_);

  QToolBar* align = addToolBar(QStringLiteral("Wyrównanie"));
  align->setObjectName(QStringLiteral("AlignToolBar"));
  align->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (const char* name : {"actAlignLefts", "actAlignHCentres", "actAlignRights", "actAlignTops", "actAlignVCentres",
                           "actAlignBottoms", "", "actCentreInBandH", "actCentreInBandV", "", "actSameWidth",
                           "actSameHeight", "actSpaceH", "actSpaceV", "", "actToFront", "actToBack", "actLock"}) {
    if (*name == 0) align->addSeparator();
    else align->addAction(Action(QString::fromLatin1(name)));
  }

  QToolBar* objects = new QToolBar(QStringLiteral("Obiekty"), this);
  objects->setObjectName(QStringLiteral("ObjectsToolBar"));
  addToolBar(Qt::LeftToolBarArea, objects);
  objects->addAction(Action("actPointer"));
  objects->addSeparator();
  bool bandsBegun = false;
  for (const CatalogueEntry& entry : ObjectCatalogue()) {
    if (entry.group == CatalogueEntry::Group::Band && !bandsBegun) {
      objects->addSeparator();
      bandsBegun = true;
    }
    objects->addAction(entryActions_.value(entry.id));
  }
}

// --- Objects and bands ------------------------------------------------------------

void TfrxDesignerForm::ChooseObject(const QString& id) {
  chosen_ = id;
  const CatalogueEntry* entry = id.isEmpty() ? nullptr : FindCatalogueEntry(id);
  if (entry == nullptr) {
    chosen_.clear();
    Action("actPointer")->setChecked(true);
    Workspace()->SetInsertTool(QString());
    return;
  }
  entryActions_.value(id)->setChecked(true);
  if (entry->group == CatalogueEntry::Group::Band) {
    // A band goes to its place at once: where it stands follows the rules.
    showRefusal(InsertBand(document_, entry->className));
    ChooseObject(QString());
    return;
  }
  // The next click (or rectangle) on the page places it.
  Workspace()->SetInsertTool(entry->className, entry->flag);
  Workspace()->setFocus();
}

void TfrxDesignerForm::InsertChosenObject() {
  const CatalogueEntry* entry = chosen_.isEmpty() ? nullptr : FindCatalogueEntry(chosen_);
  if (entry == nullptr) {
    showRefusal(QStringLiteral("Najpierw wybierz obiekt na pasku obiektów."));
    return;
  }
  // At the selection: into the selected band, or beside the selected view
  // in its band (one grid step below it).
  report::TfrxBand* band = SelectedBand(document_);
  if (band == nullptr) {
    showRefusal(QStringLiteral("Zaznacz wstęgę albo obiekt we wstędze, przy którym ma stanąć nowy obiekt."));
    return;
  }
  QPointF at;
  if (!document_.Selection().isEmpty() && document_.Selection().first() != band) {
    const TfrxComponent* view = document_.Selection().first();
    at = QPointF(view->Left(), view->Top() + view->Height() + document_.Options().gridStep());
  }
  showRefusal(InsertObject(document_, *entry, band->Name(), QRectF(at, QSizeF())));
  ChooseObject(QString());
}

void TfrxDesignerForm::EditSelectedText() {
  const QList<TfrxComponent*>& selection = document_.Selection();
  if (selection.size() != 1 || !qobject_cast<report::TfrxCustomMemoView*>(selection.first())) {
    showRefusal(QStringLiteral("Zaznacz jeden obiekt tekstowy."));
    return;
  }
  stack_->setCurrentWidget(area_);
  Workspace()->EditText(selection.first());
}

void TfrxDesignerForm::MoveSelectedBand(bool up) {
  report::TfrxBand* band = SelectedBand(document_);
  if (band == nullptr) {
    showRefusal(QStringLiteral("Zaznacz wstęgę, która ma zmienić miejsce."));
    return;
  }
  showRefusal(MoveBand(document_, *band, up ? BandDirection::Up : BandDirection::Down));
}

void TfrxDesignerForm::AddPage() {
  report::edit::InsertCommand* command = nullptr;
  const QString refusal = document_.Run([&] {
    command = new report::edit::InsertCommand(document_.Report(), QStringLiteral("TfrxReportPage"), QString(), QRectF());
    return command;
  });
  if (!refusal.isEmpty()) {
    showRefusal(refusal);
    return;
  }
  // The designer's paper and margins, as a new report has them.
  const DesignerDefaults& d = document_.Defaults();
  const QString name = command->InsertedName();
  const QString margin = QString::number(d.marginMillimetres);
  for (const auto& [property, value] :
       {std::pair<QString, QString>{QStringLiteral("PaperSize"), QString::number(d.paperSize)},
        {QStringLiteral("Orientation"), d.landscape ? QStringLiteral("poLandscape") : QStringLiteral("poPortrait")},
        {QStringLiteral("LeftMargin"), margin},
        {QStringLiteral("RightMargin"), margin},
        {QStringLiteral("TopMargin"), margin},
        {QStringLiteral("BottomMargin"), margin}})
    document_.Run([&] { return new report::edit::SetPropertyCommand(document_.Report(), {name}, property, value); });
  for (report::TfrxPage* page : document_.Pages())
    if (page->Name() == name) document_.SetCurrentPage(page);
}

bool TfrxDesignerForm::OpenObjectEditor(const QString& id, TfrxComponent* object) {
  const ObjectEditor* editor = ObjectEditors::Find(id);
  if (editor == nullptr || object == nullptr || !editor->fits(*object)) return false;
  return ObjectEditors::Open(*editor, document_, object, document_.Selection(), this);
}

void TfrxDesignerForm::EditObject(TfrxComponent* object) {
  if (object == nullptr) return;
  if (const ObjectEditor* editor = ObjectEditors::MainFor(*object)) {
    ObjectEditors::Open(*editor, document_, object, document_.Selection(), this);
    return;
  }
  if (qobject_cast<report::TfrxCustomMemoView*>(object)) Workspace()->EditText(object);
}

void TfrxDesignerForm::showContextMenu(QPoint at) {
  QMenu menu(this);
  for (const char* name : {"actCut", "actCopy", "actPaste", "actDelete", "", "actEditText"}) {
    if (*name == 0) menu.addSeparator();
    else menu.addAction(Action(QString::fromLatin1(name)));
  }
  // The editors of the object the menu is about (the first selected).
  const QList<TfrxComponent*> selection = document_.Selection();
  if (TfrxComponent* object = selection.isEmpty() ? nullptr : selection.first()) {
    for (const ObjectEditor* editor : ObjectEditors::For(*object)) {
      QAction* entry = menu.addAction(editor->caption);
      entry->setObjectName(QStringLiteral("edit:") + editor->id);
      const QString id = editor->id;
      connect(entry, &QAction::triggered, this, [this, id, object] { OpenObjectEditor(id, object); });
    }
  }
  for (const char* name : {"", "actToFront", "actToBack", "actLock", "actUnlock", "", "actBandUp", "actBandDown"}) {
    if (*name == 0) menu.addSeparator();
    else menu.addAction(Action(QString::fromLatin1(name)));
  }
  contextMenu_ = &menu;
  menu.exec(at);
  contextMenu_ = nullptr;
}

void TfrxDesignerForm::DeleteCurrentPage() {
  report::TfrxPage* page = document_.CurrentPage();
  if (page == nullptr) return;
  showRefusal(DeleteObjects(document_, {page->Name()}));
}

// --- Tabs and the code editor -----------------------------------------------------

void TfrxDesignerForm::rebuildTabs() {
  const QSignalBlocker block(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  tabs_->addTab(QStringLiteral("Kod"));
  for (report::TfrxPage* page : document_.Pages()) tabs_->addTab(page->Name());
  const int at = document_.Pages().indexOf(document_.CurrentPage());
  tabs_->setCurrentIndex(at >= 0 ? at + 1 : 0);
  stack_->setCurrentWidget(at >= 0 ? static_cast<QWidget*>(area_) : code_);
}

void TfrxDesignerForm::showTab(int index) {
  if (index <= 0) {
    stack_->setCurrentWidget(code_);
    code_->setFocus();
    return;
  }
  const QList<report::TfrxPage*> pages = document_.Pages();
  if (index - 1 < pages.size()) document_.SetCurrentPage(pages[index - 1]);
  stack_->setCurrentWidget(area_);
  Workspace()->setFocus();
}

void TfrxDesignerForm::ShowCodeAt(int line) {
  tabs_->setCurrentIndex(0);
  stack_->setCurrentWidget(code_);
  const QTextBlock block = code_->document()->findBlockByNumber(std::max(0, line));
  if (block.isValid()) {
    QTextCursor cursor(block);
    code_->setTextCursor(cursor);
    code_->centerCursor();
  }
  code_->setFocus();
}

void TfrxDesignerForm::loadCodeEditor() {
  const QString text = document_.Report().ScriptText().join(QLatin1Char('\n'));
  if (code_->toPlainText() == text) return;
  loadingCode_ = true;
  code_->setPlainText(text);
  loadingCode_ = false;
}

void TfrxDesignerForm::codeEdited() {
  if (loadingCode_) return;
  const QStringList lines = code_->toPlainText().split(QLatin1Char('\n'));
  if (lines == document_.Report().ScriptText()) return;
  document_.Push(new ScriptTextCommand(document_.Report(), lines));
}

void TfrxDesignerForm::modelChanged(const report::ReportChange& change) {
  if (change.kind == report::ReportChange::Kind::Property) {
    if (change.object == &document_.Report() && change.property == QLatin1String("ScriptText")) loadCodeEditor();
    if (change.property == QLatin1String("Name") && qobject_cast<report::TfrxPage*>(change.object)) rebuildTabs();
  }
}

// --- Title, actions, status ---------------------------------------------------------

void TfrxDesignerForm::updateTitle() {
  const QString file = document_.FileName().isEmpty() ? QStringLiteral("Bez nazwy")
                                                      : QFileInfo(document_.FileName()).fileName();
  // Qt marks the title of a modified document with "*" in place of "[*]".
  setWindowTitle(QStringLiteral("%1[*] — Projektant raportów").arg(file));
  setWindowModified(document_.IsModified());
}

void TfrxDesignerForm::updateActions() {
  const bool selected = !document_.Selection().isEmpty();
  const QUndoStack& undo = document_.UndoStack();
  Action("actUndo")->setEnabled(undo.canUndo());
  Action("actRedo")->setEnabled(undo.canRedo());
  Action("actUndo")->setText(undo.canUndo() ? QStringLiteral("&Cofnij: %1").arg(undo.undoText()) : QStringLiteral("&Cofnij"));
  Action("actRedo")->setText(undo.canRedo() ? QStringLiteral("&Ponów: %1").arg(undo.redoText()) : QStringLiteral("&Ponów"));
  Action("actCut")->setEnabled(selected);
  Action("actCopy")->setEnabled(selected);
  Action("actDelete")->setEnabled(selected);
  Action("actPaste")->setEnabled(CanPaste());
}

void TfrxDesignerForm::updateStatus() {
  const DesignOptions& options = document_.Options();
  unitLabel_->setText(QStringLiteral("Jednostka: %1").arg(report::lengthUnitSymbol(options.unit)));
  const QList<TfrxComponent*>& selection = document_.Selection();
  if (selection.isEmpty()) {
    selectionLabel_->clear();
    return;
  }
  auto length = [&](double pixels) { return report::formatLength(pixels, LengthUnit::Pixel, options.unit); };
  const TfrxComponent* first = selection.first();
  const QString head = selection.size() == 1 ? first->Name()
                                             : QStringLiteral("%1 (zaznaczonych: %2)").arg(first->Name()).arg(selection.size());
  selectionLabel_->setText(QStringLiteral("%1   L: %2  G: %3  S: %4  W: %5 %6")
                               .arg(head, length(first->Left()), length(first->Top()), length(first->Width()),
                                    length(first->Height()), report::lengthUnitSymbol(options.unit)));
}

void TfrxDesignerForm::showPointer(QPointF at) {
  const LengthUnit unit = document_.Options().unit;
  pointerLabel_->setText(QStringLiteral("X: %1  Y: %2 %3")
                             .arg(report::formatLength(at.x(), LengthUnit::Pixel, unit),
                                  report::formatLength(at.y(), LengthUnit::Pixel, unit), report::lengthUnitSymbol(unit)));
}

void TfrxDesignerForm::setUnit(int code) {
  document_.Options().unit = unitOfCode(code);
  for (QAction* a : unitGroup_->actions()) a->setChecked(false);
  const char* names[] = {"actUnitCm", "actUnitIn", "actUnitPx", "actUnitMm"};
  Action(QString::fromLatin1(names[code >= 0 && code < 4 ? code : 0]))->setChecked(true);
  document_.OptionsChanged();
}

void TfrxDesignerForm::setZoom(double zoom) {
  Workspace()->SetZoom(std::clamp(zoom, kMinZoom, kMaxZoom));
}

void TfrxDesignerForm::showRefusal(const QString& message) {
  if (!message.isEmpty()) dialogs::showError(message, this);
}

void TfrxDesignerForm::showNote(const QString& message) {
  if (!message.isEmpty()) statusBar()->showMessage(message, 10000);
}

void TfrxDesignerForm::EditVariables() { valmoro::designer::EditVariables(document_, this); }

void TfrxDesignerForm::FocusInspector() {
  QDockWidget* dock = Dock(QStringLiteral("InspectorDock"));
  dock->show();
  dock->raise();
  inspector_->FocusProperties();
}

// --- Commands -----------------------------------------------------------------------

void TfrxDesignerForm::NewReport() {
  if (!QueryClose()) return;
  switch (AskNewReportKind(this)) {
    case NewReportDialog::Choice::Empty:
      document_.DiscardRecovery();
      document_.NewReport();
      break;
    case NewReportDialog::Choice::Wizard:
      if (NewReportWithWizard(document_, this)) PreviewReport();
      break;
    case NewReportDialog::Choice::Cancelled: break;
  }
}

void TfrxDesignerForm::OpenReport() {
  if (!QueryClose()) return;
  dialogs::FileDialogRequest request;
  request.title = QStringLiteral("Otwórz raport");
  request.filter = QStringLiteral("Raporty (*.fr3)|*.fr3|Wszystkie pliki (*.*)|*.*");
  request.defaultExt = document_.Defaults().templateExtension;
  request.fileMustExist = true;
  request.initialDir = QFileInfo(document_.FileName()).absolutePath();
  const auto answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  document_.DiscardRecovery();
  openFile(answer->files.first());
}

void TfrxDesignerForm::openFile(const QString& fileName) {
  try {
    document_.Open(fileName);
  } catch (const report::ReportError& e) {
    showRefusal(e.message());
    return;
  }
  if (!document_.Report().Errors().isEmpty())
    dialogs::showError(QStringLiteral("Raport %1 otwarto z błędami:\r%2")
                           .arg(dialogs::shortPath(fileName), document_.Report().Errors().join(QLatin1Char('\r'))),
                       this);
  addRecentFile(document_.FileName());
}

bool TfrxDesignerForm::SaveReport() {
  if (document_.FileName().isEmpty()) return SaveReportAs();
  try {
    document_.Save();
  } catch (const report::ReportError& e) {
    showRefusal(QStringLiteral("Nie zapisano raportu.\r%1").arg(e.message()));
    return false;
  }
  saved_ = true;
  addRecentFile(document_.FileName());
  statusBar()->showMessage(QStringLiteral("Zapisano %1").arg(dialogs::shortPath(document_.FileName())), 5000);
  return true;
}

bool TfrxDesignerForm::SaveReportAs() {
  dialogs::FileDialogRequest request;
  request.save = true;
  request.title = QStringLiteral("Zapisz raport jako");
  request.filter = QStringLiteral("Raporty (*.fr3)|*.fr3|Wszystkie pliki (*.*)|*.*");
  request.defaultExt = document_.Defaults().templateExtension;
  request.overwritePrompt = true;
  request.fileName = document_.FileName().isEmpty() ? QStringLiteral("Raport.fr3") : QFileInfo(document_.FileName()).fileName();
  request.initialDir = QFileInfo(document_.FileName()).absolutePath();
  const auto answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return false;
  try {
    document_.SaveAs(answer->files.first());
  } catch (const report::ReportError& e) {
    showRefusal(QStringLiteral("Nie zapisano raportu.\r%1").arg(e.message()));
    return false;
  }
  saved_ = true;
  addRecentFile(document_.FileName());
  return true;
}

void TfrxDesignerForm::PreviewReport() {
  // The preview runs on a copy: preparing a report changes it (the script,
  // the engine's state), and the designer's document must not change. The
  // copy takes the settings of the program's report that a document does
  // not hold (its preview buttons, file cache, printer), then the document.
  const report::TfrxReport& original = document_.Report();
  report::TfrxReport copy;
  copy.SetName(original.Name());
  copy.SetIniFile(original.IniFile());
  copy.EngineOptions()->Assign(*original.EngineOptions());
  copy.PreviewOptions()->Assign(*original.PreviewOptions());
  copy.PrintOptions()->Assign(*original.PrintOptions());
  QBuffer buffer;
  buffer.setData(document_.DocumentBytes());
  buffer.open(QIODevice::ReadOnly);
  try {
    copy.ReadFromStream(buffer);
    // The copy lives only while this runs: the preview must end with it.
    copy.PreviewOptions()->SetModal(true);
    if (prepare_) prepare_(copy);
    copy.ShowReport(true);
  } catch (const std::exception& e) {
    dialogs::showError(QString::fromUtf8(e.what()), this);
  }
}

void TfrxDesignerForm::Undo() {
  if (!document_.UndoStack().canUndo()) return;
  try {
    document_.UndoStack().undo();
  } catch (const report::ReportError& e) {
    showRefusal(QStringLiteral("Nie można cofnąć zmiany: %1").arg(e.message()));
  }
}

void TfrxDesignerForm::Redo() {
  if (!document_.UndoStack().canRedo()) return;
  try {
    document_.UndoStack().redo();
  } catch (const report::ReportError& e) {
    showRefusal(QStringLiteral("Nie można ponowić zmiany: %1").arg(e.message()));
  }
}

void TfrxDesignerForm::CutSelection() { showRefusal(Cut(document_)); }
void TfrxDesignerForm::CopySelection() { Copy(document_); }
void TfrxDesignerForm::PasteClipboard() { showRefusal(Paste(document_)); }
void TfrxDesignerForm::DeleteSelection() {
  if (document_.Selection().isEmpty()) return;
  showRefusal(DeleteObjects(document_, document_.SelectedNames()));
}

void TfrxDesignerForm::SelectAll() {
  report::TfrxPage* page = document_.CurrentPage();
  if (page == nullptr) return;
  // The views of every band, or the bands themselves when none has views.
  QList<TfrxComponent*> views, bands;
  for (TfrxComponent* child : page->Objects()) {
    if (qobject_cast<report::TfrxBand*>(child)) {
      bands.append(child);
      for (TfrxComponent* view : child->Objects()) views.append(view);
    } else {
      views.append(child);
    }
  }
  document_.SetSelection(views.isEmpty() ? bands : views);
}

bool TfrxDesignerForm::QueryClose() {
  if (!document_.IsModified()) return true;
  const unsigned answer = dialogs::messageDialog(QStringLiteral("Zapisać zmiany w raporcie?"), dialogs::Severity::Confirmation,
                                                 dialogs::ButtonYes | dialogs::ButtonNo | dialogs::ButtonCancel, this);
  if (answer == dialogs::ButtonCancel) return false;
  if (answer == dialogs::ButtonYes) return SaveReport();
  return true;
}

void TfrxDesignerForm::FocusNextPanel() {
  // The workspace (or the code), the panels beside it, the tabs, the zoom.
  QList<QWidget*> panels;
  if (stack_->currentWidget() == area_) panels.append(Workspace());
  else panels.append(code_);
  // Then the panels beside the page that are open (a panel behind another's
  // tab comes to the front when its turn comes).
  const QList<QPair<const char*, QWidget*>> docked = {{"ReportTreeDock", tree_->View()},
                                                       {"InspectorDock", inspector_->PropertyTree()},
                                                       {"DataTreeDock", data_->View()}};
  QHash<QWidget*, QDockWidget*> dockOf;
  for (const auto& [name, widget] : docked) {
    QDockWidget* dock = Dock(QString::fromLatin1(name));
    if (!dock->toggleViewAction()->isChecked()) continue;
    panels.append(widget);
    dockOf.insert(widget, dock);
  }
  panels.append(tabs_);
  panels.append(zoomBox_);
  int at = -1;
  for (int i = 0; i < panels.size(); ++i)
    if (panels[i]->hasFocus() || panels[i]->isAncestorOf(QApplication::focusWidget())) at = i;
  QWidget* next = panels[(at + 1) % panels.size()];
  if (QDockWidget* dock = dockOf.value(next)) dock->raise();
  next->setFocus(Qt::TabFocusReason);
}

bool TfrxDesignerForm::eventFilter(QObject* watched, QEvent* event) {
  // The editor would take Ctrl+Z and Ctrl+Y for its own undo (switched
  // off); they are the designer's, which keeps the script's steps too.
  if (watched == code_ && event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
        QKeySequence(key->keyCombination()) == Action("actRedo")->shortcut()) {
      event->ignore();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrxDesignerForm::closeEvent(QCloseEvent* event) {
  if (!QueryClose()) {
    event->ignore();
    return;
  }
  // Closed without saving: the changes were dropped on purpose.
  document_.DiscardRecovery();
  saveSettings();
  event->accept();
}

// --- Settings ---------------------------------------------------------------------

void TfrxDesignerForm::addRecentFile(const QString& fileName) {
  if (fileName.isEmpty()) return;
  recentFiles_.removeAll(fileName);
  recentFiles_.prepend(fileName);
  while (recentFiles_.size() > kMaxRecentFiles) recentFiles_.removeLast();
  rebuildRecentMenu();
}

void TfrxDesignerForm::rebuildRecentMenu() {
  recentMenu_->clear();
  for (int i = 0; i < recentFiles_.size(); ++i) {
    const QString file = recentFiles_[i];
    QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(dialogs::shortPath(file)));
    connect(a, &QAction::triggered, this, [this, file] {
      if (!QueryClose()) return;
      document_.DiscardRecovery();
      openFile(file);
    });
  }
  recentMenu_->setEnabled(!recentFiles_.isEmpty());
}

void TfrxDesignerForm::restoreSettings() {
  const auto store = document_.Report().OpenIniFile();
  DesignOptions& o = document_.Options();
  const auto value = [&](const char* key, const QVariant& fallback) {
    return store->value(kSettingsSection, QString::fromLatin1(key), fallback);
  };
  const int code = value("Units", 0).toInt();
  o.gridCentimetres = value("GridCm", o.gridCentimetres).toDouble();
  o.gridMillimetres = value("GridMm", o.gridMillimetres).toDouble();
  o.gridInches = value("GridIn", o.gridInches).toDouble();
  o.gridPixels = value("GridPx", o.gridPixels).toDouble();
  o.showGrid = value("ShowGrid", o.showGrid).toBool();
  o.snapToGrid = value("SnapToGrid", o.snapToGrid).toBool();
  o.snapToGuides = o.snapToObjects = value("SnapToGuides", o.snapToGuides).toBool();
  // Nonsense in the settings file gives the defaults back.
  if (!(o.gridCentimetres > 0)) o.gridCentimetres = DesignOptions{}.gridCentimetres;
  if (!(o.gridMillimetres > 0)) o.gridMillimetres = DesignOptions{}.gridMillimetres;
  if (!(o.gridInches > 0)) o.gridInches = DesignOptions{}.gridInches;
  if (!(o.gridPixels > 0)) o.gridPixels = DesignOptions{}.gridPixels;
  Action("actShowGrid")->setChecked(o.showGrid);
  Action("actSnapToGrid")->setChecked(o.snapToGrid);
  Action("actSnapToGuides")->setChecked(o.snapToGuides);
  recentFiles_ = value("RecentFiles", QStringList()).toStringList();
  rebuildRecentMenu();
  restoreGeometry(QByteArray::fromBase64(value("Geometry", QByteArray()).toByteArray()));
  restoreState(QByteArray::fromBase64(value("State", QByteArray()).toByteArray()));
  setUnit(code);
  const double zoom = value("Zoom", 1.0).toDouble();
  setZoom(zoom > 0 ? zoom : 1.0);
}

void TfrxDesignerForm::saveSettings() const {
  const auto store = document_.Report().OpenIniFile();
  const DesignOptions& o = document_.Options();
  const auto set = [&](const char* key, const QVariant& v) { store->setValue(kSettingsSection, QString::fromLatin1(key), v); };
  set("Units", unitCode(o.unit));
  set("GridCm", o.gridCentimetres);
  set("GridMm", o.gridMillimetres);
  set("GridIn", o.gridInches);
  set("GridPx", o.gridPixels);
  set("ShowGrid", o.showGrid);
  set("SnapToGrid", o.snapToGrid);
  set("SnapToGuides", o.snapToGuides);
  set("Zoom", o.zoom);
  set("RecentFiles", recentFiles_);
  set("Geometry", saveGeometry().toBase64());
  set("State", saveState().toBase64());
  store->sync();
}

// --- Live preview and building blocks ------------------------------------------------------

void TfrxDesignerForm::buildLiveDock() {
  auto* live = new LivePreview(document_, this);
  live->setObjectName(QStringLiteral("LivePreview"));
  // Asked at each refresh: the hook is given after the window is made.
  live->SetPreparation([this](report::TfrxReport& copy) {
    if (prepare_) prepare_(copy);
  });
  addDock(QStringLiteral("LivePreviewDock"), QStringLiteral("Podgląd na żywo"), live, Qt::RightDockWidgetArea);
  if (QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu")))
    view->insertAction(Action("actNextPanel"), Dock(QStringLiteral("LivePreviewDock"))->toggleViewAction());
}

void TfrxDesignerForm::buildBlockActions() {
  QAction* save = addAction("actSaveBlock", "Zapisz jako &blok…", QKeySequence(), "Zapisz zaznaczone obiekty w bibliotece bloków",
                            [this] { SaveSelectionAsBlock(document_, this); });
  QAction* insert = addAction("actInsertBlock", "Wstaw b&lok…", QKeySequence(), "Wstaw do raportu blok z biblioteki",
                              [this] { InsertBlockFromLibrary(document_, this); });
  for (QAction* menu : menuBar()->actions())
    if (menu->menu() != nullptr && menu->text() == QLatin1String("&Edycja")) {
      menu->menu()->addSeparator();
      menu->menu()->addAction(save);
      menu->menu()->addAction(insert);
    }
}

// --- Page settings and report options ------------------------------------------------

void TfrxDesignerForm::buildSettingsActions() {
  QAction* page = addAction("actPageSettings", "&Ustawienia strony…", QKeySequence(),
                            "Papier, marginesy, kolumny i opcje drukowania bieżącej strony", [this] {
                              if (auto* p = qobject_cast<report::TfrxReportPage*>(document_.CurrentPage()))
                                EditPageSettings(document_, p, this);
                            });
  addAction("actReportOptions", "&Opcje raportu…", QKeySequence(),
            "Opis, hasło oraz opcje silnika, drukowania i podglądu raportu", [this] { EditReportOptions(document_, this); });
  // Dialog pages have no paper.
  const auto enable = [this, page] { page->setEnabled(qobject_cast<report::TfrxReportPage*>(document_.CurrentPage())); };
  connect(&document_, &DesignerDocument::currentPageChanged, page, enable);
  enable();
  for (QAction* top : menuBar()->actions()) {
    QMenu* menu = top->menu();
    if (menu == nullptr) continue;
    const QString title = menu->title().remove(QLatin1Char('&'));
    if (title == QLatin1String("Plik")) {
      menu->insertAction(Action("actPreview"), page);
      menu->insertSeparator(Action("actPreview"));
    } else if (title == QLatin1String("Raport")) {
      menu->addAction(Action("actReportOptions"));
    }
  }
}

// "Raport" → "Style…": the report's named text styles.
void TfrxDesignerForm::buildStyleActions() {
  QAction* styles = addAction("actStyles", "&Style…", QKeySequence(), "Nazwane style tekstu raportu: czcionka, wypełnienie, ramka",
                              [this] { designer::EditStyles(document_, this); });
  if (auto* reportMenu = menuBar()->findChild<QMenu*>(QStringLiteral("ReportMenu"))) reportMenu->addAction(styles);
}

// --- The report wizard ------------------------------------------------------------------

void TfrxDesignerForm::buildWizardActions() {
  QAction* wizard = addAction("actWizard", "&Kreator raportu…", QKeySequence(),
                              "Nowy układ raportu z wybranych pól zbioru danych (grupy, podsumowania, numery stron)", [this] {
                                // What it made is shown at once, as it will print.
                                if (RunReportWizard(document_, this)) PreviewReport();
                              });
  for (QAction* menu : menuBar()->actions())
    if (menu->menu() && menu->text() == QStringLiteral("&Plik")) {
      const QList<QAction*> items = menu->menu()->actions();
      const qsizetype at = items.indexOf(Action("actNew"));
      menu->menu()->insertAction(at >= 0 && at + 1 < items.size() ? items.at(at + 1) : nullptr, wizard);
    }
}

}  // namespace valmoro::designer
