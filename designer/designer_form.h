#pragma once
// The designer window: menus and tool bars over the document's actions,
// tabs for the script and for each page, the page workspace with its
// rulers, and a status bar with the unit, the pointer and the selection.
// What the actions do lives in the document and in the designer's editing
// functions; the window only wires them to menus, keys and the workspace.

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QActionGroup;
class QComboBox;
class QDockWidget;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QTabBar;
class QToolBar;

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
struct ReportChange;
}  // namespace valmoro::report

namespace valmoro::designer {

class DataTree;
class DesignArea;
class DesignerDocument;
class DesignWorkspace;
class ObjectInspector;
class ReportTree;

class TfrxDesignerForm : public QMainWindow {
  Q_OBJECT

public:
  explicit TfrxDesignerForm(DesignerDocument& document, QWidget* parent = nullptr);
  ~TfrxDesignerForm() override;

  DesignerDocument& Document() const { return document_; }
  DesignWorkspace* Workspace() const;
  DesignArea* Area() const { return area_; }
  QPlainTextEdit* CodeEditor() const { return code_; }
  QTabBar* Tabs() const { return tabs_; }
  ObjectInspector* Inspector() const { return inspector_; }
  ReportTree* Tree() const { return tree_; }
  DataTree* Data() const { return data_; }
  // The panels beside the page: "InspectorDock", "ReportTreeDock", "DataTreeDock".
  QDockWidget* Dock(const QString& name) const;
  // An action by its object name ("actSave", "actUndo", …), for tests and
  // for the menus of the parts that come later.
  QAction* Action(const QString& name) const { return actions_.value(name); }
  QStringList ActionNames() const { return actions_.keys(); }
  QString StatusText(int panel) const;
  // The context menu while it is shown (tests close it).
  QMenu* ContextMenu() const { return contextMenu_; }

  // Runs before the preview prepares the designer's copy of the report (the
  // program fills in what it fills in before its own preview).
  void SetPreviewPreparation(std::function<void(report::TfrxReport&)> prepare) { prepare_ = std::move(prepare); }
  // Whether the report was saved while the window was open.
  bool WasSaved() const { return saved_; }

  // --- Commands -------------------------------------------------------------------
  void NewReport();
  void OpenReport();
  // False when the save failed or was cancelled (the window then stays).
  bool SaveReport();
  bool SaveReportAs();
  void PreviewReport();
  void Undo();
  void Redo();
  void CutSelection();
  void CopySelection();
  void PasteClipboard();
  void DeleteSelection();
  void SelectAll();
  // Asks about unsaved changes: true when the window may close (saved, or
  // the changes dropped).
  bool QueryClose();
  // Moves the keyboard focus to the next panel (workspace, code, tool bars).
  void FocusNextPanel();
  // The object bar: the entry (a catalogue id; empty: plain selecting) that
  // the next click on the page places; a band entry is inserted at once.
  void ChooseObject(const QString& id);
  QString ChosenObject() const { return chosen_; }
  // Insert: the chosen entry placed at the selection.
  void InsertChosenObject();
  void EditSelectedText();
  // Shows the code tab with the cursor at the start of `line` (0-based).
  void ShowCodeAt(int line);
  void MoveSelectedBand(bool up);
  void AddPage();
  // The report's variables in their editor ("Zmienne raportu").
  void EditVariables();
  // Opens an object editor (ObjectEditors) for `object` and the selection
  // it belongs to; true when the document changed.
  bool OpenObjectEditor(const QString& id, report::TfrxComponent* object);
  // The main editor of a double-clicked object; a text view without one
  // is edited on the page.
  void EditObject(report::TfrxComponent* object);
  // Shows the inspector (when hidden) and gives it the keyboard.
  void FocusInspector();
  void DeleteCurrentPage();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QAction* addAction(const QString& name, const QString& text, const QKeySequence& key, const QString& hint,
                     const std::function<void()>& run);
  void buildActions();
  // "Style…" in the report menu (called by buildMenus).
  void buildStyleActions();
  // "Kreator raportu…" in the Plik menu (called once the menus are built).
  void buildWizardActions();
  void buildCatalogueActions();
  void buildMenus();
  // "Ustawienia strony…" (Plik) and "Opcje raportu…" (Raport).
  void buildSettingsActions();
  void buildToolBars();
  void buildDocks();
  void buildLiveDock();
  void buildBlockActions();
  QDockWidget* addDock(const QString& name, const QString& title, QWidget* content, Qt::DockWidgetArea area);
  // A refusal of the panels (inspector, trees, drops): one line in the status bar.
  void showNote(const QString& message);
  void rebuildTabs();
  void showTab(int index);
  void updateTitle();
  void updateActions();
  void updateStatus();
  void showPointer(QPointF pagePixels);
  void loadCodeEditor();
  void codeEdited();
  void modelChanged(const report::ReportChange& change);
  void setUnit(int unit);
  void setZoom(double zoom);
  void showRefusal(const QString& message);
  void showContextMenu(QPoint globalPosition);
  void addRecentFile(const QString& fileName);
  void rebuildRecentMenu();
  void openFile(const QString& fileName);
  void restoreSettings();
  void saveSettings() const;

  DesignerDocument& document_;
  QHash<QString, QAction*> actions_;
  QTabBar* tabs_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  DesignArea* area_ = nullptr;
  QPlainTextEdit* code_ = nullptr;
  ObjectInspector* inspector_ = nullptr;
  ReportTree* tree_ = nullptr;
  DataTree* data_ = nullptr;
  QHash<QString, QDockWidget*> docks_;
  QComboBox* zoomBox_ = nullptr;
  QLabel* unitLabel_ = nullptr;
  QLabel* pointerLabel_ = nullptr;
  QLabel* selectionLabel_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QActionGroup* unitGroup_ = nullptr;
  QActionGroup* chooser_ = nullptr;
  QHash<QString, QAction*> entryActions_;
  QString chosen_;
  QMenu* contextMenu_ = nullptr;
  QStringList recentFiles_;
  std::function<void(report::TfrxReport&)> prepare_;
  bool loadingCode_ = false;
  bool saved_ = false;
};

}  // namespace valmoro::designer
