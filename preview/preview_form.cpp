#include "preview/preview_form.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QHash>
#include <QMenu>
#include <QPainter>
#include <QPolygonF>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "preview/page_settings_form.h"
#include "preview/page_source.h"
#include "preview/preview.h"
#include "preview/preview_workspace.h"
#include "preview/search_dialog.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"

namespace valmoro::preview {

using report::resources::text;

namespace {

// The toolbar's pictures, drawn here so that the toolbar looks the same
// whatever icon theme the desktop has: simple line drawings in one colour
// on a 24 x 24 grid.
QIcon paintIcon(const QString& name) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 60, 110), paper(255, 255, 255), tint(190, 210, 240);
  QPen pen(ink, 1.6);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  // A sheet of paper with a folded corner.
  auto sheet = [&](QRectF r) {
    const double fold = 5;
    QPolygonF outline{{r.left(), r.top()}, {r.right() - fold, r.top()}, {r.right(), r.top() + fold},
                      {r.right(), r.bottom()}, {r.left(), r.bottom()}};
    p.setBrush(paper);
    p.drawPolygon(outline);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{{r.right() - fold, r.top()}, {r.right() - fold, r.top() + fold}, {r.right(), r.top() + fold}});
  };
  auto magnifier = [&](const QString& sign) {
    p.setBrush(tint);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(pen);
    if (sign.contains(u'-') || sign.contains(u'+')) p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (sign.contains(u'+')) p.drawLine(QPointF(10, 7), QPointF(10, 13));
  };
  auto triangle = [&](double tipX, double baseX) {
    p.setBrush(ink);
    p.drawPolygon(QPolygonF{{tipX, 12}, {baseX, 6}, {baseX, 18}});
    p.setBrush(Qt::NoBrush);
  };
  if (name == u"PrintB") {
    sheet(QRectF(7, 2.5, 10, 7));
    p.setBrush(tint);
    p.drawRoundedRect(QRectF(3, 9.5, 18, 8), 2, 2);
    p.setBrush(paper);
    p.drawRect(QRectF(7, 15, 10, 6.5));
    p.drawLine(QPointF(9, 18), QPointF(15, 18));
  } else if (name == u"OpenB") {
    p.setBrush(tint);
    p.drawPolygon(QPolygonF{{2.5, 6}, {8, 6}, {10, 8}, {19, 8}, {19, 11}, {6, 11}, {2.5, 19}});
    p.setBrush(QColor(150, 180, 225));
    p.drawPolygon(QPolygonF{{6, 11}, {21.5, 11}, {18, 19}, {2.5, 19}});
  } else if (name == u"SaveB") {
    p.setBrush(tint);
    p.drawPolygon(QPolygonF{{3, 3}, {18, 3}, {21, 6}, {21, 21}, {3, 21}});
    p.setBrush(paper);
    p.drawRect(QRectF(7, 3, 9, 6));
    p.drawRect(QRectF(6, 13, 12, 8));
  } else if (name == u"ExportB") {
    sheet(QRectF(3, 3, 12, 17));
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(10, 13), QPointF(21, 13));
    p.drawPolyline(QPolygonF{{17, 9}, {21, 13}, {17, 17}});
  } else if (name == u"PdfB") {
    sheet(QRectF(4, 2, 16, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 30, 30));
    p.drawRect(QRectF(2, 11, 17, 8));
    QFont font;
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 11, 17, 8), Qt::AlignCenter, QStringLiteral("PDF"));
  } else if (name == u"EmailB") {
    p.setBrush(paper);
    p.drawRect(QRectF(3, 6, 18, 12));
    p.drawPolyline(QPolygonF{{3, 6}, {12, 13}, {21, 6}});
  } else if (name == u"FindB") {
    magnifier({});
  } else if (name == u"ZoomPlusB") {
    magnifier(QStringLiteral("+"));
  } else if (name == u"ZoomMinusB") {
    magnifier(QStringLiteral("-"));
  } else if (name == u"FullScreenBtn") {
    p.drawPolyline(QPolygonF{{3, 9}, {3, 3}, {9, 3}});
    p.drawPolyline(QPolygonF{{15, 3}, {21, 3}, {21, 9}});
    p.drawPolyline(QPolygonF{{21, 15}, {21, 21}, {15, 21}});
    p.drawPolyline(QPolygonF{{9, 21}, {3, 21}, {3, 15}});
    p.setBrush(tint);
    p.drawRect(QRectF(7, 7, 10, 10));
  } else if (name == u"OutlineB") {
    p.drawLine(QPointF(5, 7), QPointF(5, 18));
    p.drawLine(QPointF(5, 12), QPointF(10, 12));
    p.drawLine(QPointF(5, 18), QPointF(10, 18));
    p.setBrush(tint);
    p.drawRect(QRectF(2.5, 3, 5, 4));
    p.drawRect(QRectF(10, 10, 11, 4));
    p.drawRect(QRectF(10, 16, 11, 4));
  } else if (name == u"ThumbB") {
    p.setBrush(paper);
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 2; ++c) p.drawRect(QRectF(3.5 + c * 9, 2.5 + r * 10, 7, 9));
  } else if (name == u"PageSettingsB") {
    sheet(QRectF(5, 2.5, 14, 19));
    p.setPen(QPen(ink, 1, Qt::DashLine));
    p.drawRect(QRectF(8, 6, 8, 12));
  } else if (name == u"DesignerB") {
    p.setBrush(tint);
    p.drawPolygon(QPolygonF{{4, 20}, {5, 15}, {16, 4}, {20, 8}, {9, 19}});
    p.drawLine(QPointF(5, 15), QPointF(9, 19));
  } else if (name == u"FirstB") {
    p.setPen(QPen(ink, 2.2));
    p.drawLine(QPointF(6, 6), QPointF(6, 18));
    p.setPen(pen);
    triangle(8, 18);
  } else if (name == u"PriorB") {
    triangle(7, 17);
  } else if (name == u"NextB") {
    triangle(17, 7);
  } else if (name == u"LastB") {
    p.setPen(QPen(ink, 2.2));
    p.drawLine(QPointF(18, 6), QPointF(18, 18));
    p.setPen(pen);
    triangle(16, 6);
  }
  p.end();
  return QIcon(pixmap);
}

// Each icon is drawn once and shared by every preview window: a window's
// new icons would each take new places in the pixmap cache, so that opening
// the preview again and again would hold ever more memory.
QIcon drawnIcon(const QString& name) {
  static auto* icons = new QHash<QString, QIcon>;  // outlives the windows, never destroyed
  auto it = icons->constFind(name);
  if (it == icons->constEnd()) it = icons->insert(name, paintIcon(name));
  return *it;
}

constexpr int kStatusFirstWidth = 200;

}  // namespace

TfrxPreviewForm::TfrxPreviewForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frxPreviewForm"));
  setWindowTitle(text(u"100"));
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName(QStringLiteral("ToolBar"));
  layout->addWidget(toolbar_);
  preview_ = new TfrxPreview(this);
  layout->addWidget(preview_, 1);
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
    bar->addWidget(panels_[i], i == 0 ? 0 : 1);
  }
  panels_[0]->setFixedWidth(kStatusFirstWidth);
  layout->addWidget(bar);

  exportMenu_ = new QMenu(this);
  rightMenu_ = new QMenu(this);
  buildToolbar();

  connect(preview_, &TfrxPreview::statusChanged, this, [this] { updateStatus(); });
  connect(preview_, &TfrxPreview::OnPageChanged, this, [this] { updateStatus(); });
  connect(preview_, &TfrxPreview::zoomChanged, this, [this] { updateZoomBox(); });
  connect(preview_, &TfrxPreview::busyChanged, this, [this] { updateControls(); });
  connect(preview_, &TfrxPreview::commandKey, this, [this](int key, Qt::KeyboardModifiers) {
    switch (key) {
      case Qt::Key_F3:
        if (buttons_ & report::pbFind) FindNext();
        break;
      case Qt::Key_P:
        if (buttons_ & report::pbPrint) PrintBClick();
        break;
      case Qt::Key_S:
        if (buttons_ & report::pbSave) SaveBClick();
        break;
      case Qt::Key_F:
        if (buttons_ & report::pbFind) FindBClick();
        break;
      case Qt::Key_O:
        if (buttons_ & report::pbLoad) OpenBClick();
        break;
      default:
        break;
    }
  });
  resize(800, 600);
}

TfrxPreviewForm::~TfrxPreviewForm() = default;

QAction* TfrxPreviewForm::addButton(const QString& name, int captionId, int hintId,
                                    void (TfrxPreviewForm::*handler)()) {
  const QString caption = captionId ? text(QString::number(captionId)) : QString();
  const QString hint = hintId ? text(QString::number(hintId)) : QString();
  QAction* action = toolbar_->addAction(drawnIcon(name), caption.isEmpty() ? hint : caption);
  action->setObjectName(name);
  action->setToolTip(hint);
  action->setData(hint);
  if (handler) connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  controls_.insert(name, action);
  order_.append(name);
  return action;
}

void TfrxPreviewForm::buildToolbar() {
  auto separator = [this](const QString& name) {
    QAction* s = toolbar_->addSeparator();
    s->setObjectName(name);
    controls_.insert(name, s);
    order_.append(name);
  };
  addButton(QStringLiteral("PrintB"), 101, 102, &TfrxPreviewForm::PrintBClick);
  addButton(QStringLiteral("OpenB"), 103, 104, &TfrxPreviewForm::OpenBClick);
  addButton(QStringLiteral("SaveB"), 105, 106, &TfrxPreviewForm::SaveBClick);
  addButton(QStringLiteral("ExportB"), 107, 108, nullptr);
  addButton(QStringLiteral("PdfB"), 0, 151, &TfrxPreviewForm::PdfBClick);
  addButton(QStringLiteral("EmailB"), 0, 152, &TfrxPreviewForm::EmailBClick);
  addButton(QStringLiteral("FindB"), 109, 110, &TfrxPreviewForm::FindBClick);
  separator(QStringLiteral("Sep1"));
  addButton(QStringLiteral("ZoomPlusB"), 124, 125, &TfrxPreviewForm::ZoomPlusBClick);
  zoomCB_ = new QComboBox(toolbar_);
  zoomCB_->setObjectName(QStringLiteral("ZoomCB"));
  zoomCB_->setEditable(true);
  zoomCB_->setInsertPolicy(QComboBox::NoInsert);
  zoomCB_->setToolTip(text(u"119"));
  zoomCB_->addItems({QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"), QStringLiteral("100%"),
                     QStringLiteral("150%"), QStringLiteral("200%"), QStringLiteral("Szerokość strony"),
                     QStringLiteral("Cała strona")});
  zoomCB_->setMinimumContentsLength(10);
  QAction* zoomAction = toolbar_->addWidget(zoomCB_);
  zoomAction->setObjectName(QStringLiteral("ZoomCB"));
  controls_.insert(QStringLiteral("ZoomCB"), zoomAction);
  order_.append(QStringLiteral("ZoomCB"));
  connect(zoomCB_, &QComboBox::activated, this, [this] { ZoomCBClick(); });
  connect(zoomCB_->lineEdit(), &QLineEdit::returnPressed, this, [this] { ZoomCBClick(); });
  addButton(QStringLiteral("ZoomMinusB"), 126, 127, &TfrxPreviewForm::ZoomMinusBClick);
  addButton(QStringLiteral("FullScreenBtn"), 0, 150, &TfrxPreviewForm::FullScreenBtnClick);
  separator(QStringLiteral("Sep2"));
  addButton(QStringLiteral("OutlineB"), 128, 129, &TfrxPreviewForm::OutlineBClick)->setCheckable(true);
  addButton(QStringLiteral("ThumbB"), 130, 131, &TfrxPreviewForm::ThumbBClick)->setCheckable(true);
  addButton(QStringLiteral("PageSettingsB"), 120, 121, &TfrxPreviewForm::PageSettingsBClick);
  addButton(QStringLiteral("DesignerB"), 132, 133, &TfrxPreviewForm::DesignerBClick);
  separator(QStringLiteral("Sep3"));
  addButton(QStringLiteral("FirstB"), 134, 135, &TfrxPreviewForm::FirstBClick);
  addButton(QStringLiteral("PriorB"), 136, 137, &TfrxPreviewForm::PriorBClick);
  pageE_ = new QLineEdit(toolbar_);
  pageE_->setObjectName(QStringLiteral("PageE"));
  pageE_->setToolTip(text(u"142"));
  pageE_->setFixedWidth(60);
  pageE_->setAlignment(Qt::AlignCenter);
  QAction* pageAction = toolbar_->addWidget(pageE_);
  pageAction->setObjectName(QStringLiteral("PageE"));
  controls_.insert(QStringLiteral("PageE"), pageAction);
  order_.append(QStringLiteral("PageE"));
  connect(pageE_, &QLineEdit::returnPressed, this, [this] { PageEReturn(); });
  addButton(QStringLiteral("NextB"), 138, 139, &TfrxPreviewForm::NextBClick);
  addButton(QStringLiteral("LastB"), 140, 141, &TfrxPreviewForm::LastBClick);
  separator(QStringLiteral("Sep4"));
  addButton(QStringLiteral("CancelB"), 0, 0, &TfrxPreviewForm::CancelBClick)->setText(QStringLiteral("Zamknij"));
  controls_.value(QStringLiteral("CancelB"))->setIcon(QIcon());
  // The export button opens its menu.
  QAction* exportAction = controls_.value(QStringLiteral("ExportB"));
  exportAction->setMenu(exportMenu_);
  if (auto* button = qobject_cast<QToolButton*>(toolbar_->widgetForAction(exportAction)))
    button->setPopupMode(QToolButton::InstantPopup);
}

// --- Opening -----------------------------------------------------------------------------------

void TfrxPreviewForm::Init(PageSource* source, report::TfrxReport* report) {
  source_ = source;
  report_ = report;
  report::TfrxPreviewButtons buttons = report::TfrxPreviewButtons::fromInt(4095);
  if (report) {
    const report::TfrxPreviewOptions* options = report->PreviewOptions();
    preview_->OutlineExpand = options->OutlineExpand();
    preview_->SetOutlineWidth(options->OutlineWidth());
    buttons = options->Buttons();
    toolbar_->setToolButtonStyle(options->ShowCaptions() ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    if (!options->AllowEdit()) controls_.value(QStringLiteral("DesignerB"))->setEnabled(false);
    if (options->Maximized()) setWindowState(windowState() | Qt::WindowMaximized);
  }
  preview_->SetSource(source, report);
  if (report) {
    const report::TfrxPreviewOptions* options = report->PreviewOptions();
    preview_->SetOutlineVisible(options->OutlineVisible());
    preview_->SetThumbnailVisible(options->ThumbnailVisible());
    if (options->ZoomMode() != report::zmDefault) preview_->SetZoomMode(options->ZoomMode());
    else preview_->SetZoom(options->Zoom());
  }
  preview_->UpdateOutline();
  preview_->SetPageNo(1);
  applyButtons(buttons);
  buildExportMenu();
  buildRightMenu();
  updateCaption();
  updateControls();
  updateZoomBox();
  updateStatus();
}

void TfrxPreviewForm::updateCaption() {
  const QString name = report_ ? report_->ReportOptions()->Name() : source_ ? source_->LoadedReportName() : QString();
  setWindowTitle(name.isEmpty() ? text(u"100") : name);
}

void TfrxPreviewForm::applyButtons(report::TfrxPreviewButtons buttons) {
  using namespace report;
  buttons_ = buttons;
  filters_ = hooks::exportFilters();
  bool hasPdf = false, hasMail = false;
  for (const hooks::ExportEntry& f : filters_) {
    hasPdf = hasPdf || f.isPdf;
    hasMail = hasMail || f.isMail;
  }
  auto show = [this](const char* name, bool visible) { controls_.value(QLatin1String(name))->setVisible(visible); };
  show("PrintB", buttons & pbPrint);
  show("OpenB", buttons & pbLoad);
  show("SaveB", buttons & pbSave);
  show("ExportB", (buttons & pbExport) && !filters_.empty());
  show("PdfB", (buttons & pbExportQuick) && hasPdf);
  show("EmailB", (buttons & pbExportQuick) && hasMail && !(buttons & pbNoEmail));
  show("FindB", buttons & pbFind);
  show("ZoomPlusB", buttons & pbZoom);
  show("ZoomCB", buttons & pbZoom);
  show("ZoomMinusB", buttons & pbZoom);
  show("FullScreenBtn", (buttons & pbZoom) && !(buttons & pbNoFullScreen));
  show("OutlineB", buttons & pbOutline);
  show("ThumbB", buttons & pbOutline);
  show("PageSettingsB", buttons & pbPageSetup);
  // Page editing needs the report designer; until it is part of the program
  // the button stays hidden rather than opening nothing.
  show("DesignerB", (buttons & pbEdit) && report::hooks::designerOpener());
  for (const char* name : {"FirstB", "PriorB", "PageE", "NextB", "LastB"}) show(name, buttons & pbNavigator);
  show("CancelB", !(buttons & pbNoClose));
  // A separator shows only between two visible groups.
  QStringList groups[5];
  int g = 0;
  for (const QString& name : order_) {
    if (name.startsWith(QLatin1String("Sep"))) ++g;
    else groups[g].append(name);
  }
  auto groupVisible = [this](const QStringList& names) {
    for (const QString& n : names)
      if (controls_.value(n)->isVisible()) return true;
    return false;
  };
  bool before = groupVisible(groups[0]);
  for (int i = 1; i < 5; ++i) {
    const bool here = groupVisible(groups[i]);
    controls_.value(QStringLiteral("Sep%1").arg(i))->setVisible(before && here);
    before = before || here;
  }
}

QStringList TfrxPreviewForm::VisibleControls() const {
  QStringList out;
  for (const QString& name : order_) {
    if (!controls_.value(name)->isVisible()) continue;
    out.append(name.startsWith(QLatin1String("Sep")) ? QStringLiteral("-") : name);
  }
  return out;
}

void TfrxPreviewForm::buildExportMenu() {
  exportMenu_->clear();
  for (int i = 0; i < int(filters_.size()); ++i)
    exportMenu_->addAction(filters_[std::size_t(i)].caption + QStringLiteral("..."), this,
                           [this, i] { ExportClick(i); });
}

void TfrxPreviewForm::buildRightMenu() {
  rightMenu_->clear();
  // The visible buttons with hints, up to the second separator.
  int separators = 0;
  for (const QString& name : order_) {
    QAction* control = controls_.value(name);
    if (name.startsWith(QLatin1String("Sep"))) {
      if (!control->isVisible()) continue;
      if (++separators == 2) break;
      rightMenu_->addSeparator();
      continue;
    }
    if (!control->isVisible() || control->data().toString().isEmpty()) continue;
    if (name == QLatin1String("ExportB")) {
      QMenu* sub = rightMenu_->addMenu(control->data().toString());
      for (int i = 0; i < int(filters_.size()); ++i)
        sub->addAction(filters_[std::size_t(i)].caption + QStringLiteral("..."), this, [this, i] { ExportClick(i); });
      continue;
    }
    rightMenu_->addAction(control->data().toString(), control, &QAction::trigger);
  }
  rightMenu_->addSeparator();
  rightMenu_->addAction(text(u"601"), this, [this] { CollapseAllClick(); })->setObjectName(QStringLiteral("CollapseAll"));
  rightMenu_->addAction(text(u"600"), this, [this] { ExpandAllClick(); })->setObjectName(QStringLiteral("ExpandAll"));
}

// --- State shown -------------------------------------------------------------------------------

void TfrxPreviewForm::updateControls() {
  const bool busy = preview_->Busy();
  QAction* cancel = controls_.value(QStringLiteral("CancelB"));
  cancel->setText(busy ? text(u"2") : QStringLiteral("Zamknij"));
  for (const char* name : {"PrintB", "OpenB", "SaveB", "ExportB", "PdfB", "EmailB", "PageSettingsB", "DesignerB"})
    controls_.value(QLatin1String(name))->setEnabled(!busy);
  if (!busy) panels_[1]->clear();
  updateStatus();
}

void TfrxPreviewForm::updateZoomBox() {
  zoomCB_->setEditText(QString::number(std::lround(preview_->Zoom() * 100)) + QLatin1Char('%'));
}

void TfrxPreviewForm::updateStatus() {
  panels_[0]->setText(preview_->StatusPageText());
  panels_[1]->setText(preview_->LinkText());
  panels_[2]->setText(preview_->HintText());
  if (!pageE_->hasFocus()) pageE_->setText(QString::number(preview_->PageNo()));
}

QString TfrxPreviewForm::StatusText(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[panel]->text() : QString();
}

// --- Handlers ----------------------------------------------------------------------------------

void TfrxPreviewForm::PrintBClick() {
  if (preview_->Busy() || !source_ || preview_->PageCount() == 0) return;
  const hooks::PrintRunner& print = hooks::printRunner();
  // Hook: printing comes with the printing part of the program.
  if (!print) {
    dialogs::showMessage(QStringLiteral("Drukowanie raportu nie jest jeszcze dostępne w tej wersji programu"), this);
    return;
  }
  source_->SetCurrentPage(preview_->PageNo() - 1);
  preview_->Lock();
  try {
    print(*source_, report_, preview_->PageNo() - 1, this);
  } catch (const std::exception& e) {
    dialogs::showError(QString::fromUtf8(e.what()), this);
  }
  preview_->Unlock();
}

void TfrxPreviewForm::ExportClick(int filterIndex) {
  if (preview_->Busy() || !source_ || filterIndex < 0 || filterIndex >= int(filters_.size())) return;
  source_->SetCurrentPage(preview_->PageNo() - 1);
  preview_->Lock();
  try {
    filters_[std::size_t(filterIndex)].run(*source_, report_, preview_->PageNo() - 1, this);
  } catch (const std::exception& e) {
    dialogs::showError(QString::fromUtf8(e.what()), this);
  }
  preview_->Unlock();
}

void TfrxPreviewForm::PdfBClick() {
  for (int i = 0; i < int(filters_.size()); ++i)
    if (filters_[std::size_t(i)].isPdf) return ExportClick(i);
}

void TfrxPreviewForm::EmailBClick() {
  for (int i = 0; i < int(filters_.size()); ++i)
    if (filters_[std::size_t(i)].isMail) return ExportClick(i);
}

namespace {
const QString kFp3Filter = QStringLiteral("Tworzenie raportu (*.fp3)|*.fp3");
}

bool TfrxPreviewForm::SaveToFile(const QString& fileName) {
  if (preview_->Busy() || !source_) return false;
  QString name = fileName;
  if (QFileInfo(name).suffix().compare(QLatin1String("fp3"), Qt::CaseInsensitive) != 0)
    name = QFileInfo(name).path() + QLatin1Char('/') + QFileInfo(name).completeBaseName() + QStringLiteral(".fp3");
  preview_->Lock();
  preview_->ShowMessage(QStringLiteral("Zapisywanie pliku..."));
  bool ok = true;
  try {
    source_->SaveToFile(name);
  } catch (const std::exception& e) {
    ok = false;
    preview_->HideMessage();
    preview_->Unlock();
    dialogs::showError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(dialogs::shortPath(name), QString::fromUtf8(e.what())), this);
    return false;
  }
  preview_->HideMessage();
  preview_->Unlock();
  return ok;
}

void TfrxPreviewForm::SaveBClick() {
  if (preview_->Busy() || !source_) return;
  dialogs::FileDialogRequest request;
  request.save = true;
  request.filter = kFp3Filter;
  request.defaultExt = QStringLiteral("fp3");
  const auto answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  SaveToFile(answer->files.front());
}

bool TfrxPreviewForm::LoadFromFile(const QString& fileName) {
  if (preview_->Busy() || !source_) return false;
  preview_->Lock();
  preview_->ShowMessage(QStringLiteral("Ładowanie pliku..."));
  QString error;
  try {
    source_->LoadFromFile(fileName);
  } catch (const std::exception& e) {
    error = QString::fromUtf8(e.what());
  }
  preview_->HideMessage();
  preview_->Unlock();
  // Whatever the file held (or the pages left after a failure) is shown from
  // the first page.
  preview_->SetSource(source_, report_);
  preview_->UpdateOutline();
  preview_->SetPageNo(1);
  updateCaption();
  updateStatus();
  if (!error.isEmpty()) {
    dialogs::showError(
        QStringLiteral("Nie można odczytać pliku %1 jako przygotowanego raportu: %2")
            .arg(dialogs::shortPath(fileName), error), this);
    return false;
  }
  return true;
}

void TfrxPreviewForm::OpenBClick() {
  if (preview_->Busy() || !source_) return;
  dialogs::FileDialogRequest request;
  request.filter = kFp3Filter;
  request.fileMustExist = true;
  const auto answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  LoadFromFile(answer->files.front());
}

void TfrxPreviewForm::FindBClick() {
  if (preview_->Busy() || !source_) return;
  auto* dialog = new TfrxSearchDialog(this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    const QString wanted = dialog->TextE()->text();
    if (wanted.isEmpty()) return;
    preview_->Find(wanted, dialog->CaseCB()->isChecked(), dialog->TopCB()->isChecked());
  });
  dialog->open();
}

void TfrxPreviewForm::FindNext() { preview_->FindNext(); }

void TfrxPreviewForm::ZoomPlusBClick() { preview_->SetZoom(preview_->Zoom() + 0.25); }
void TfrxPreviewForm::ZoomMinusBClick() { preview_->SetZoom(preview_->Zoom() - 0.25); }

void TfrxPreviewForm::ZoomCBClick() {
  const int index = zoomCB_->currentIndex();
  const QString typed = zoomCB_->currentText();
  if (typed == zoomCB_->itemText(6)) {
    preview_->SetZoomMode(report::zmPageWidth);
  } else if (typed == zoomCB_->itemText(7)) {
    preview_->SetZoomMode(report::zmWholePage);
  } else {
    QString number = typed;
    number.remove(QLatin1Char('%')).remove(QLatin1Char(' '));
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double percent = number.toDouble(&ok);
    if (!ok || !std::isfinite(percent)) {
      dialogs::showMessage(QStringLiteral("Nieprawidłowa wartość powiększenia: %1").arg(typed), this);
    } else {
      preview_->SetZoom(percent / 100);
    }
  }
  (void)index;
  updateZoomBox();
  preview_->Workspace()->setFocus();
}

void TfrxPreviewForm::PageSettingsBClick() {
  if (preview_->Busy() || !source_ || preview_->PageCount() == 0) return;
  const int index = preview_->PageNo() - 1;
  report::TfrxReportPage* page = source_->Page(index);
  if (!page) return;
  bool inches = false;
  if (report_) {
    const auto store = report_->OpenIniFile();
    inches = store->value(QStringLiteral("Form.TfrxDesignerForm"), QStringLiteral("Units")).toInt() == 1;
  }
  auto* dialog = new TfrxPageSettingsForm(*page, inches, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog, index] {
    if (preview_->Busy()) return;
    // The page object is taken again: paging meanwhile may have rebuilt it.
    report::TfrxReportPage* edited = source_->Page(index);
    if (!edited) return;
    dialog->ApplyTo(*edited);
    if (dialog->ApplyToAll() && report_) {
      for (report::TfrxComponent* object : report_->AllObjects()) {
        auto* designPage = qobject_cast<report::TfrxReportPage*>(object);
        if (!designPage) continue;
        designPage->SetOrientation(edited->Orientation());
        designPage->SetPaperWidth(edited->PaperWidth());
        designPage->SetPaperHeight(edited->PaperHeight());
        designPage->SetPaperSize(edited->PaperSize());
        designPage->SetLeftMargin(edited->LeftMargin());
        designPage->SetTopMargin(edited->TopMargin());
        designPage->SetRightMargin(edited->RightMargin());
        designPage->SetBottomMargin(edited->BottomMargin());
      }
      preview_->Refresh();
      return;
    }
    preview_->Lock();
    try {
      source_->ModifyPage(index, *edited);
    } catch (const std::exception& e) {
      preview_->Unlock();
      dialogs::showError(QString::fromUtf8(e.what()), this);
      return;
    }
    preview_->Unlock();
    preview_->UpdatePages();
  });
  dialog->open();
}

void TfrxPreviewForm::DesignerBClick() {
  if (preview_->Busy() || !report_) return;
  report_->OpenDesigner(true, false);
}

void TfrxPreviewForm::FirstBClick() { preview_->First(); }
void TfrxPreviewForm::PriorBClick() { preview_->Prior(); }
void TfrxPreviewForm::NextBClick() { preview_->Next(); }
void TfrxPreviewForm::LastBClick() { preview_->Last(); }

void TfrxPreviewForm::PageEReturn() {
  bool ok = false;
  const qlonglong n = pageE_->text().trimmed().toLongLong(&ok);
  if (ok) preview_->SetPageNo(int(std::clamp<qlonglong>(n, 1, std::max(1, preview_->PageCount()))));
  pageE_->setText(QString::number(preview_->PageNo()));
  preview_->Workspace()->setFocus();
}

void TfrxPreviewForm::CancelBClick() {
  if (preview_->Busy()) {
    if (report_) report_->SetTerminated(true);
    return;
  }
  close();
}

void TfrxPreviewForm::FullScreenBtnClick() {
  if (!fullScreen_) {
    savedState_ = windowState();
    fullScreen_ = true;
    toolbar_->hide();
    findChild<QStatusBar*>(QStringLiteral("StatusBar"))->hide();
    setWindowState(windowState() | Qt::WindowFullScreen);
  } else {
    fullScreen_ = false;
    toolbar_->show();
    findChild<QStatusBar*>(QStringLiteral("StatusBar"))->show();
    setWindowState(savedState_);
  }
}

void TfrxPreviewForm::OutlineBClick() {
  preview_->SetOutlineVisible(!preview_->OutlineVisible());
  controls_.value(QStringLiteral("OutlineB"))->setChecked(preview_->OutlineVisible());
  controls_.value(QStringLiteral("ThumbB"))->setChecked(preview_->ThumbnailVisible());
}

void TfrxPreviewForm::ThumbBClick() {
  preview_->SetThumbnailVisible(!preview_->ThumbnailVisible());
  controls_.value(QStringLiteral("OutlineB"))->setChecked(preview_->OutlineVisible());
  controls_.value(QStringLiteral("ThumbB"))->setChecked(preview_->ThumbnailVisible());
}

void TfrxPreviewForm::setDrillDownAll(bool expand) {
  if (!report_ || preview_->Busy()) return;
  for (report::TfrxComponent* object : report_->AllObjects())
    if (auto* header = qobject_cast<report::TfrxGroupHeader*>(object))
      if (header->DrillDown()) header->SetExpandDrillDown(expand);
  // The groups opened or closed one by one follow the new default again.
  report_->ExpandedDrillNames().clear();
  preview_->Refresh();
}

void TfrxPreviewForm::CollapseAllClick() { setDrillDownAll(false); }
void TfrxPreviewForm::ExpandAllClick() { setDrillDownAll(true); }

// --- Events ------------------------------------------------------------------------------------

QString TfrxPreviewForm::HelpText() {
  return QStringLiteral(
      "Podgląd raportu\n\n"
      "Strzałki – przewijanie strony\n"
      "Page Up / Page Down – przewijanie o ekran\n"
      "Ctrl+Page Up / Ctrl+Page Down – poprzednia / następna strona\n"
      "Home / End – pierwsza / ostatnia strona\n"
      "Ctrl+F – znajdź tekst, F3 – znajdź następny\n"
      "Ctrl+P – drukuj\n"
      "Ctrl+kółko myszy – powiększenie\n"
      "Przeciąganie lewym przyciskiem – przesuwanie strony\n"
      "F11 – pełny ekran, Esc – wyjście z pełnego ekranu albo zamknięcie podglądu");
}

void TfrxPreviewForm::HelpClick() { dialogs::showMessage(HelpText(), this); }

void TfrxPreviewForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Esc first leaves full screen, as in every other program; only then
      // does it close the window.
      if (fullScreen_) {
        FullScreenBtnClick();
        return;
      }
      if (!controls_.value(QStringLiteral("CancelB"))->isVisible() && !preview_->Busy()) break;
      CancelBClick();
      return;
    case Qt::Key_F11:
      FullScreenBtnClick();
      return;
    case Qt::Key_F1:
      HelpClick();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Enter belongs to the zoom box and the page box, never to a default button.
      if (zoomCB_->hasFocus() || zoomCB_->lineEdit()->hasFocus()) ZoomCBClick();
      return;
    default:
      if (preview_->HandleKey(event->key(), event->modifiers())) return;
      break;
  }
  QDialog::keyPressEvent(event);
}

void TfrxPreviewForm::closeEvent(QCloseEvent* event) {
  // A report being prepared into this window must be stopped first.
  if (preview_->Busy()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TfrxPreviewForm::reject() {
  if (preview_->Busy()) return;
  QDialog::reject();
}

void TfrxPreviewForm::contextMenuEvent(QContextMenuEvent* event) { rightMenu_->popup(event->globalPos()); }

void TfrxPreviewForm::resizeEvent(QResizeEvent* event) { QDialog::resizeEvent(event); }

}  // namespace valmoro::preview
