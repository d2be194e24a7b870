#include "preview/preview.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/recording_canvas.h"
#include "preview/preview_workspace.h"
#include "report/model/report.h"
#include "report/model/resources.h"

namespace valmoro::preview {

namespace {
constexpr double kMmToPixels = 3.77953;
constexpr int kPageRole = Qt::UserRole;
constexpr int kTopRole = Qt::UserRole + 1;
// Pages laid out at once while a report is being prepared; the rest wait
// for the end of the run.
constexpr int kLaidOutWhileBusy = 50;
}  // namespace

TfrxPreview::TfrxPreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Preview"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setHandleWidth(4);
  splitter_->setChildrenCollapsible(false);
  auto* left = new QStackedWidget(splitter_);
  left->setObjectName(QStringLiteral("LeftPanel"));
  outline_ = new QTreeWidget(left);
  outline_->setObjectName(QStringLiteral("OutlineTree"));
  outline_->setHeaderHidden(true);
  outline_->setContextMenuPolicy(Qt::CustomContextMenu);
  thumbnails_ = new TfrxPreviewWorkspace(this, true, left);
  outlineEmpty_ = new QLabel(NoOutlineText(), left);
  outlineEmpty_->setObjectName(QStringLiteral("OutlineEmpty"));
  outlineEmpty_->setWordWrap(true);
  outlineEmpty_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  outlineEmpty_->setMargin(8);
  outlineEmpty_->setAutoFillBackground(true);
  outlineEmpty_->setBackgroundRole(QPalette::Base);
  left->addWidget(outline_);
  left->addWidget(thumbnails_);
  left->addWidget(outlineEmpty_);
  workspace_ = new TfrxPreviewWorkspace(this, false, splitter_);
  workspace_->installEventFilter(this);
  splitter_->addWidget(left);
  splitter_->addWidget(workspace_);
  splitter_->setStretchFactor(1, 1);
  left->hide();
  layout->addWidget(splitter_);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("MessagePanel"));
  message_->setAlignment(Qt::AlignCenter);
  message_->setFrameShape(QFrame::Panel);
  message_->setFrameShadow(QFrame::Raised);
  message_->setAutoFillBackground(true);
  message_->setFixedSize(260, 75);
  message_->hide();

  connect(outline_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    SetPosition(item->data(0, kPageRole).toInt() + 1, item->data(0, kTopRole).toInt());
  });
  connect(outline_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu menu(this);
    menu.addAction(report::resources::text(u"601"), outline_, &QTreeWidget::collapseAll);
    menu.addAction(report::resources::text(u"600"), outline_, &QTreeWidget::expandAll);
    menu.exec(outline_->viewport()->mapToGlobal(pos));
  });
  connect(workspace_, &TfrxPreviewWorkspace::scrolledToPage, this,
          [this](int page) { WorkspaceScrolled(workspace_, page); });
}

TfrxPreview::~TfrxPreview() = default;

void TfrxPreview::SetSource(PageSource* source, report::TfrxReport* report) {
  source_ = source;
  report_ = report;
  workspace_->SetSource(source);
  thumbnails_->SetSource(source);
  searchActive_ = false;
  workspace_->SetFound(0, {});
  UpdatePages();
}

int TfrxPreview::PageCount() const { return source_ ? source_->Count() : 0; }

gfx::Color TfrxPreview::ActiveFrameColor() const { return workspace_->ActiveFrameColor; }
void TfrxPreview::SetActiveFrameColor(gfx::Color value) {
  workspace_->ActiveFrameColor = thumbnails_->ActiveFrameColor = value;
  update();
}
gfx::Color TfrxPreview::BackColor() const { return workspace_->BackColor; }
void TfrxPreview::SetBackColor(gfx::Color value) {
  workspace_->BackColor = thumbnails_->BackColor = value;
  update();
}
gfx::Color TfrxPreview::FrameColor() const { return workspace_->FrameColor; }
void TfrxPreview::SetFrameColor(gfx::Color value) {
  workspace_->FrameColor = thumbnails_->FrameColor = value;
  update();
}

QString TfrxPreview::NoOutlineText() { return QStringLiteral("Ten raport nie ma konspektu."); }

// The outline pane shows the tree, or a word that there is none to show.
void TfrxPreview::showLeftPane() {
  auto* left = static_cast<QStackedWidget*>(outline_->parentWidget());
  if (thumbnailVisible_) left->setCurrentWidget(thumbnails_);
  else if (outlineVisible_) left->setCurrentWidget(outline_->topLevelItemCount() > 0 ? static_cast<QWidget*>(outline_) : outlineEmpty_);
}

void TfrxPreview::SetOutlineVisible(bool value) {
  outlineVisible_ = value;
  if (value) thumbnailVisible_ = false;
  auto* left = static_cast<QStackedWidget*>(outline_->parentWidget());
  showLeftPane();
  left->setVisible(outlineVisible_ || thumbnailVisible_);
  if (left->isVisible()) splitter_->setSizes({outlineWidth_, std::max(1, width() - outlineWidth_ - 4)});
  emit statusChanged();
}

void TfrxPreview::SetThumbnailVisible(bool value) {
  thumbnailVisible_ = value;
  if (value) outlineVisible_ = false;
  auto* left = static_cast<QStackedWidget*>(outline_->parentWidget());
  showLeftPane();
  left->setVisible(outlineVisible_ || thumbnailVisible_);
  if (left->isVisible()) {
    splitter_->setSizes({outlineWidth_, std::max(1, width() - outlineWidth_ - 4)});
    thumbnails_->UpdatePageList(busy_ ? kLaidOutWhileBusy : -1);
    thumbnails_->ScrollToPage(pageNo_);
  }
  emit statusChanged();
}

void TfrxPreview::SetOutlineWidth(int value) {
  outlineWidth_ = value;
  if (outline_->parentWidget()->isVisible())
    splitter_->setSizes({outlineWidth_, std::max(1, width() - outlineWidth_ - 4)});
}

// --- Navigation -------------------------------------------------------------------------------

void TfrxPreview::changePage(int pageNo, bool scroll) {
  const int count = PageCount();
  pageNo = std::clamp(pageNo, 1, std::max(1, count));
  const bool changed = pageNo != pageNo_;
  pageNo_ = pageNo;
  workspace_->SetPageNo(pageNo);
  thumbnails_->SetPageNo(pageNo);
  if (scroll) {
    workspace_->ScrollToPage(pageNo);
    if (thumbnails_->isVisible()) {
      const QRect r = thumbnails_->Layout().PageRect(pageNo - 1);
      const int y = thumbnails_->ScrollPosition().y();
      if (r.top() < y || r.bottom() > y + thumbnails_->viewport()->height()) thumbnails_->ScrollToPage(pageNo);
    }
  }
  (void)changed;
  emit OnPageChanged(pageNo_);
  emit statusChanged();
}

void TfrxPreview::SetPageNo(int pageNo) { changePage(pageNo, true); }
void TfrxPreview::First() { SetPageNo(1); }
void TfrxPreview::Prior() { SetPageNo(pageNo_ - 1); }
void TfrxPreview::Next() { SetPageNo(pageNo_ + 1); }
void TfrxPreview::Last() { SetPageNo(PageCount()); }

void TfrxPreview::SetPosition(int pageNo, int top) {
  changePage(pageNo, false);
  const QRect r = workspace_->Layout().PageRect(pageNo_ - 1);
  const double margin = source_ ? source_->TopMargin(pageNo_ - 1) : 0;
  const int y = r.top() + int(std::lround((margin * kMmToPixels + top) * zoom_)) - 10;
  workspace_->SetScrollPosition({workspace_->ScrollPosition().x(), y});
  // Scrolling may have named another page current; the target stays current.
  changePage(pageNo, false);
}

void TfrxPreview::WorkspaceScrolled(TfrxPreviewWorkspace* workspace, int pageNo) {
  if (workspace != workspace_) return;
  changePage(pageNo, false);
}

// --- Zoom ---------------------------------------------------------------------------------------

void TfrxPreview::relayout() {
  workspace_->SetZoom(zoom_);
  const int limit = busy_ ? kLaidOutWhileBusy : -1;
  workspace_->UpdatePageList(limit);
  if (thumbnails_->isVisible()) thumbnails_->UpdatePageList(limit);
}

void TfrxPreview::SetZoom(double zoom) {
  if (!std::isfinite(zoom)) return;
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  zoomMode_ = report::zmDefault;
  relayout();
  workspace_->ScrollToPage(pageNo_);
  emit zoomChanged(zoom_);
}

void TfrxPreview::applyZoomMode() {
  if (zoomMode_ == report::zmDefault || !source_ || PageCount() == 0) return;
  const QSize page = source_->PageSize(pageNo_ - 1);
  if (page.width() <= 0 || page.height() <= 0) return;
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const double clientW = std::max(1, workspace_->width());
  const double clientH = std::max(1, workspace_->height());
  double z = zoom_;
  switch (zoomMode_) {
    case report::zmWholePage:
    case report::zmManyPages:
      if (page.height() / clientH >= page.width() / clientW) z = (clientH - 26) / page.height();
      else z = (clientW - scrollBar - 26) / page.width();
      break;
    case report::zmPageWidth:
      z = (clientW - scrollBar - 26) / page.width();
      break;
    case report::zmDefault:
      break;
  }
  zoom_ = std::clamp(z, kMinZoom, kMaxZoom);
  relayout();
  workspace_->ScrollToPage(pageNo_);
  emit zoomChanged(zoom_);
}

void TfrxPreview::SetZoomMode(report::TfrxZoomMode mode) {
  zoomMode_ = mode;
  if (mode == report::zmDefault) {
    SetZoom(zoom_);
    return;
  }
  applyZoomMode();
}

void TfrxPreview::WheelZoom(int notches) {
  if (notches == 0) return;
  SetZoom(std::max(0.3, zoom_ + 0.1 * notches));
}

void TfrxPreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeMessage();
  if (zoomMode_ != report::zmDefault) applyZoomMode();
  else relayout();
}

bool TfrxPreview::eventFilter(QObject* watched, QEvent* event) {
  if (watched == workspace_ && event->type() == QEvent::Resize && zoomMode_ != report::zmDefault) applyZoomMode();
  return QWidget::eventFilter(watched, event);
}

void TfrxPreview::UpdatePages() {
  relayout();
  if (zoomMode_ != report::zmDefault) applyZoomMode();
  changePage(pageNo_, true);
}

void TfrxPreview::Clear() {
  if (source_) source_->Clear();
  searchActive_ = false;
  workspace_->SetFound(0, {});
  pageNo_ = 1;
  relayout();
  outline_->clear();
  emit statusChanged();
}

// --- Lock and message panel --------------------------------------------------------------------

void TfrxPreview::Lock() {
  locked_ = true;
  workspace_->viewport()->update();
  thumbnails_->viewport()->update();
}

void TfrxPreview::Unlock() {
  locked_ = false;
  workspace_->viewport()->update();
  thumbnails_->viewport()->update();
}

void TfrxPreview::placeMessage() {
  message_->move((width() - message_->width()) / 2, (height() - message_->height()) / 3);
}

void TfrxPreview::ShowMessage(const QString& text) {
  message_->setText(text);
  placeMessage();
  message_->show();
  message_->raise();
  message_->repaint();
}

void TfrxPreview::HideMessage() { message_->hide(); }
QString TfrxPreview::MessageText() const { return message_->text(); }
bool TfrxPreview::MessageVisible() const { return !message_->isHidden(); }

// --- Preparation in progress ------------------------------------------------------------------

void TfrxPreview::PrepareStart() {
  // The store is the run's business (it may hold pages of this run already):
  // only what the preview shows starts again.
  searchActive_ = false;
  workspace_->SetFound(0, {});
  pageNo_ = 1;
  outline_->clear();
  busy_ = true;
  relayout();
  firstPageMs_ = -1;
  updateInterval_ = 20;
  linkText_.clear();
  emit busyChanged(true);
  emit statusChanged();
}

void TfrxPreview::PreparePage(int index, bool finalPass) {
  if (!finalPass) {
    emit statusChanged();
    return;
  }
  // Laid out at once, drawn at the update interval: a page of the store is
  // rebuilt for every drawing while the run goes on.
  if (index < kLaidOutWhileBusy) {
    workspace_->UpdatePageList(index + 1, false);
    if (thumbnails_->isVisible()) thumbnails_->UpdatePageList(index + 1, false);
  }
  if (index == 0) {
    firstPageTimer_.start();
    if (zoomMode_ != report::zmDefault) applyZoomMode();
    changePage(1, true);
    return;
  }
  if (index == 1 && firstPageTimer_.isValid()) {
    firstPageMs_ = firstPageTimer_.elapsed();
    updateInterval_ = firstPageMs_ <= 4 ? 50 : firstPageMs_ > 9 ? 5 : 20;
  }
  if (index % updateInterval_ == 0) {
    workspace_->viewport()->update();
    if (thumbnails_->isVisible()) thumbnails_->viewport()->update();
    emit statusChanged();
  }
}

void TfrxPreview::PrepareEnd() {
  busy_ = false;
  relayout();
  UpdateOutline();
  linkText_.clear();
  changePage(pageNo_, false);
  emit busyChanged(false);
  emit statusChanged();
}

QString TfrxPreview::StatusPageText() const {
  if (busy_ && report_ && !report_->RunState().finalPass)
    return QStringLiteral("Pierwszy przebieg: strona ") + QString::number(PageCount());
  return QStringLiteral("Strona %1 z %2").arg(PageCount() == 0 ? 0 : pageNo_).arg(PageCount());
}

// --- Outline ------------------------------------------------------------------------------------

void TfrxPreview::fillOutline(QTreeWidgetItem* parent, const std::vector<OutlineNode>& nodes) {
  for (const OutlineNode& node : nodes) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(outline_);
    item->setText(0, node.text);
    item->setData(0, kPageRole, node.page);
    item->setData(0, kTopRole, node.top);
    fillOutline(item, node.children);
  }
}

void TfrxPreview::UpdateOutline() {
  outline_->clear();
  if (!source_) {
    showLeftPane();
    return;
  }
  fillOutline(nullptr, source_->Outline());
  if (OutlineExpand) outline_->expandAll();
  showLeftPane();
}

// --- Mouse and keys -----------------------------------------------------------------------------

void TfrxPreview::MouseMoveAt(QPoint point) {
  if (!source_ || locked_) return;
  const int page = workspace_->Layout().PageAtPoint(point);
  PointResult result;
  if (page >= 0 && !busy_) {
    PointQuery query;
    query.page = page;
    query.point = point;
    query.zoom = zoom_;
    query.pageOffset = workspace_->Layout().PageRect(page).topLeft();
    result = source_->ObjectAtPoint(query);
  }
  workspace_->viewport()->setCursor(result.cursor);
  if (UseReportHints) {
    if (result.tooltip.isEmpty()) QToolTip::hideText();
    workspace_->viewport()->setToolTip(result.tooltip);
  }
  if (result.link != linkText_ || result.hint != hintText_) {
    linkText_ = result.link;
    hintText_ = result.hint;
    emit statusChanged();
  }
}

void TfrxPreview::MouseClickAt(QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               bool doubleClick) {
  if (!source_ || locked_ || busy_) return;
  const int page = workspace_->Layout().PageAtPoint(point);
  if (page < 0) return;
  PointQuery query;
  query.page = page;
  query.point = point;
  query.zoom = zoom_;
  query.pageOffset = workspace_->Layout().PageRect(page).topLeft();
  query.click = !doubleClick;
  query.doubleClick = doubleClick;
  query.button = button;
  query.modifiers = modifiers;
  const PointResult result = source_->ObjectAtPoint(query);
  switch (result.action) {
    case PointResult::Action::None:
      break;
    case PointResult::Action::GoToPage:
      SetPageNo(result.page + 1);
      break;
    case PointResult::Action::GoToPosition:
      SetPosition(result.page + 1, result.top);
      break;
    case PointResult::Action::OpenUrl:
      if (OpenUrl) OpenUrl(result.url);
      else QDesktopServices::openUrl(QUrl::fromUserInput(result.url));
      break;
    case PointResult::Action::Repaint:
      workspace_->viewport()->update();
      thumbnails_->viewport()->update();
      break;
    case PointResult::Action::DrillDown:
      if (button != Qt::LeftButton) break;
      if (DrillDownRefresh) DrillDownRefresh();
      else Refresh();
      break;
  }
}

bool TfrxPreview::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  QScrollBar* v = workspace_->verticalScrollBar();
  QScrollBar* h = workspace_->horizontalScrollBar();
  switch (key) {
    case Qt::Key_Up: v->setValue(v->value() - 8); return true;
    case Qt::Key_Down: v->setValue(v->value() + 8); return true;
    case Qt::Key_Left: h->setValue(h->value() - 8); return true;
    case Qt::Key_Right: h->setValue(h->value() + 8); return true;
    case Qt::Key_PageUp:
      if (ctrl) Prior();
      else v->setValue(v->value() - 300);
      return true;
    case Qt::Key_PageDown:
      if (ctrl) Next();
      else v->setValue(v->value() + 300);
      return true;
    case Qt::Key_Home: First(); return true;
    case Qt::Key_End: Last(); return true;
    case Qt::Key_F3:
      emit commandKey(key, modifiers);
      return true;
    case Qt::Key_P:
    case Qt::Key_S:
    case Qt::Key_F:
    case Qt::Key_O:
      if (!ctrl) return false;
      emit commandKey(key, modifiers);
      return true;
    default:
      return false;
  }
}

// --- Find -----------------------------------------------------------------------------------------

namespace {

// The rectangle a recorded run of text covers, in the recording's pixels.
QRect textRect(gfx::RecordingCanvas& canvas, const gfx::DrawCall& call) {
  int width = 0;
  if (!call.advances.empty()) {
    for (int a : call.advances) width += a;
  } else {
    canvas.setFont(call.font);
    for (int a : canvas.textAdvances(call.text)) width += a;
  }
  const bool bold = call.font.style & gfx::fsBold;
  const bool italic = call.font.style & gfx::fsItalic;
  const int em = fonts::emPixels(call.font.name, bold, italic, call.font.height);
  const auto face = fonts::scaled(call.font.name, bold, italic, em);
  const QPoint at = call.points.empty() ? QPoint() : call.points.front();
  return QRect(at.x(), at.y(), std::max(1, width), std::max(1, face->ascent() + face->descent()));
}

}  // namespace

bool TfrxPreview::Find(const QString& text, bool caseSensitive, bool fromTop) {
  searchText_ = text;
  searchCase_ = caseSensitive;
  searchActive_ = false;
  searchRecord_ = -1;
  searchPage_ = fromTop ? 0 : pageNo_ - 1;
  return searchFrom(searchPage_);
}

bool TfrxPreview::FindNext() {
  if (searchText_.isEmpty()) return false;
  return searchFrom(searchActive_ ? searchPage_ : pageNo_ - 1);
}

bool TfrxPreview::searchFrom(int startPage) {
  if (!source_ || searchText_.isEmpty() || busy_) return false;
  const QString wanted = searchCase_ ? searchText_ : searchText_.toUpper();
  searchCancelled_ = false;
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QProgressDialog> progress;
  const int count = PageCount();
  for (int page = std::max(0, startPage); page < count && !searchCancelled_; ++page) {
    gfx::RecordingCanvas canvas(96);
    source_->DrawPage(page, canvas, 1, 1, 0, 0);
    const std::vector<gfx::DrawCall> texts = canvas.callsOf(gfx::DrawCall::Text);
    const int from = (searchActive_ && page == searchPage_) ? searchRecord_ + 1 : 0;
    for (int i = from; i < int(texts.size()); ++i) {
      const QString& run = texts[std::size_t(i)].text;
      if (!(searchCase_ ? run.contains(wanted) : run.toUpper().contains(wanted))) continue;
      searchActive_ = true;
      searchPage_ = page;
      searchRecord_ = i;
      const QRect found = textRect(canvas, texts[std::size_t(i)]);
      workspace_->SetFound(page + 1, found);
      changePage(page + 1, false);
      // Scrolled so that the text is in view with 20 pixels around it.
      const QRect pageRect = workspace_->Layout().PageRect(page);
      const QRect onScreen(pageRect.left() + int(std::lround(found.left() * zoom_)),
                           pageRect.top() + int(std::lround(found.top() * zoom_)),
                           int(std::lround(found.width() * zoom_)), int(std::lround(found.height() * zoom_)));
      QPoint scroll = workspace_->ScrollPosition();
      const QSize view = workspace_->viewport()->size();
      if (onScreen.top() - 20 < scroll.y() || onScreen.bottom() + 20 > scroll.y() + view.height())
        scroll.setY(onScreen.top() - 20);
      if (onScreen.left() - 20 < scroll.x() || onScreen.right() + 20 > scroll.x() + view.width())
        scroll.setX(onScreen.left() - 20);
      workspace_->SetScrollPosition(scroll);
      changePage(page + 1, false);
      return true;
    }
    // A long search shows its progress and can be stopped; the window stays
    // responsive meanwhile.
    if (clock.elapsed() > 300) {
      if (!progress && dialogs::mode() == dialogs::Mode::Gui) {
        progress = std::make_unique<QProgressDialog>(this);
        progress->setWindowTitle(report::resources::text(u"300"));
        progress->setCancelButtonText(report::resources::text(u"2"));
        progress->setRange(0, count);
        progress->setMinimumDuration(0);
        connect(progress.get(), &QProgressDialog::canceled, this, [this] { searchCancelled_ = true; });
      }
      if (progress) {
        progress->setLabelText(QStringLiteral("Strona %1 z %2").arg(page + 1).arg(count));
        progress->setValue(page);
      }
      QCoreApplication::processEvents();
    }
  }
  if (searchCancelled_) return false;
  searchActive_ = false;
  workspace_->SetFound(0, {});
  dialogs::showMessage(QStringLiteral("Nie znaleziono tekstu „%1”.").arg(searchText_), this);
  return false;
}

// --- Refresh ----------------------------------------------------------------------------------------

void TfrxPreview::Refresh() {
  if (!report_ || busy_) return;
  const QPoint scroll = workspace_->ScrollPosition();
  const int page = pageNo_;
  report_->BuildPages(true);
  relayout();
  UpdateOutline();
  if (page > PageCount()) {
    changePage(1, true);
    return;
  }
  workspace_->SetScrollPosition(scroll);
  changePage(page, false);
}

}  // namespace valmoro::preview
