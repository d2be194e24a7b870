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
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QTabBar;
class QToolBar;

namespace valmoro::report {
class TfrxReport;
struct ReportChange;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignArea;
class DesignerDocument;
class DesignWorkspace;

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
  // An action by its object name ("actSave", "actUndo", …), for tests and
  // for the menus of the parts that come later.
  QAction* Action(const QString& name) const { return actions_.value(name); }
  QStringList ActionNames() const { return actions_.keys(); }
  QString StatusText(int panel) const;

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

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QAction* addAction(const QString& name, const QString& text, const QKeySequence& key, const QString& hint,
                     const std::function<void()>& run);
  void buildActions();
  void buildMenus();
  void buildToolBars();
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
  QComboBox* zoomBox_ = nullptr;
  QLabel* unitLabel_ = nullptr;
  QLabel* pointerLabel_ = nullptr;
  QLabel* selectionLabel_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QActionGroup* unitGroup_ = nullptr;
  QStringList recentFiles_;
  std::function<void(report::TfrxReport&)> prepare_;
  bool loadingCode_ = false;
  bool saved_ = false;
};

}  // namespace valmoro::designer
