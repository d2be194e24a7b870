#pragma once
// The standard preview window: a toolbar (by PreviewOptions.Buttons), the
// preview control, a status bar of three panels and a right-click menu.
// Report preview opens it when the report has no preview control of its own.

#include <QDialog>
#include <QMap>

#include "preview/preview_hooks.h"
#include "report/model/enums.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::preview {

class PageSource;
class TfrxPreview;

class TfrxPreviewForm : public QDialog {
  Q_OBJECT

public:
  explicit TfrxPreviewForm(QWidget* parent = nullptr);
  ~TfrxPreviewForm() override;

  // Shows these pages of this report (the report may be none: a loaded file).
  // Applies the report's PreviewOptions and builds the menus.
  void Init(PageSource* source, report::TfrxReport* report);

  TfrxPreview* Preview() const { return preview_; }
  report::TfrxReport* Report() const { return report_; }

  // Toolbar controls by their names ("PrintB", "ZoomCB", "CancelB" ...).
  QAction* Control(const QString& name) const { return controls_.value(name); }
  // Names of the toolbar controls the user sees, in order (separators as "-").
  QStringList VisibleControls() const;
  QComboBox* ZoomCB() const { return zoomCB_; }
  QLineEdit* PageE() const { return pageE_; }
  QMenu* ExportMenu() const { return exportMenu_; }
  QMenu* RightMenu() const { return rightMenu_; }
  QString StatusText(int panel) const;

  // Handlers.
  void PrintBClick();
  void OpenBClick();
  void SaveBClick();
  void FindBClick();
  void FindNext();
  void ZoomPlusBClick();
  void ZoomMinusBClick();
  void ZoomCBClick();
  void PageSettingsBClick();
  void DesignerBClick();
  void FirstBClick();
  void PriorBClick();
  void NextBClick();
  void LastBClick();
  void PageEReturn();
  void CancelBClick();
  void FullScreenBtnClick();
  void PdfBClick();
  void EmailBClick();
  void OutlineBClick();
  void ThumbBClick();
  void CollapseAllClick();
  void ExpandAllClick();
  // F1: the keys and mouse actions of the preview.
  void HelpClick();
  static QString HelpText();
  void ExportClick(int filterIndex);

  // Saving and loading without a dialog; false (with a message shown) on failure.
  bool SaveToFile(const QString& fileName);
  bool LoadFromFile(const QString& fileName);

  bool IsFullScreen() const { return fullScreen_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Esc and the window's own close both end here: refused while busy.
  void reject() override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void buildToolbar();
  void applyButtons(report::TfrxPreviewButtons buttons);
  void buildExportMenu();
  void buildRightMenu();
  void updateControls();
  void updateZoomBox();
  void updateStatus();
  void updateCaption();
  void setDrillDownAll(bool expand);
  QAction* addButton(const QString& name, int captionId, int hintId, void (TfrxPreviewForm::*handler)());

  TfrxPreview* preview_;
  report::TfrxReport* report_ = nullptr;
  PageSource* source_ = nullptr;
  QToolBar* toolbar_;
  QMap<QString, QAction*> controls_;
  QStringList order_;
  QComboBox* zoomCB_;
  QLineEdit* pageE_;
  QMenu* exportMenu_;
  QMenu* rightMenu_;
  QLabel* panels_[3];
  std::vector<hooks::ExportEntry> filters_;
  report::TfrxPreviewButtons buttons_;
  bool fullScreen_ = false;
  Qt::WindowStates savedState_;
  Qt::WindowFlags savedFlags_;
};

}  // namespace valmoro::preview
