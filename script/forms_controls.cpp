#include "forms_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <deque>
#include <functional>

#include "host_events.h"
#include "platform/dialogs.h"
#include "platform/graphics_names.h"
#include "run_error.h"
#include "string_list.h"

namespace valmoro::script::forms {

namespace {

// The widget property that leads from a widget to its control.
constexpr char kControlProperty[] = "valmoroControl";

constexpr int kClBtnFace = int(0xFF00000Fu);
constexpr int kClWindow = int(0xFF000005u);

int g_dispatchDepth = 0;

struct Dispatching {
  Dispatching() { ++g_dispatchDepth; }
  ~Dispatching() { --g_dispatchDepth; }
  Dispatching(const Dispatching&) = delete;
  Dispatching& operator=(const Dispatching&) = delete;
};

std::deque<int>& queuedResults() {
  static std::deque<int> results;
  return results;
}

// Widgets need the widget application; a command-line tool has none.
QWidget* checkedWidget(QWidget* (*make)()) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    throw RunError(error_class::InvalidOperation, QStringLiteral("Windows are not available in this program"));
  return make();
}

template <class W>
W* newWidget() {
  return static_cast<W*>(checkedWidget([]() -> QWidget* { return new W; }));
}

QStringList linesOf(const TStrings* list) {
  QStringList out;
  if (!list) return out;
  out.reserve(list->count());
  for (int i = 0; i < list->count(); ++i) out << list->at(i);
  return out;
}

void setLines(TStrings* list, const QStringList& lines) {
  list->clear();
  for (const QString& line : lines) list->TStrings::add(line);
}

Qt::CursorShape cursorShape(int cursor, bool* known) {
  *known = true;
  switch (cursor) {
    case -1:
      return Qt::BlankCursor;
    case -2:
      return Qt::ArrowCursor;
    case -3:
      return Qt::CrossCursor;
    case -4:
      return Qt::IBeamCursor;
    case -6:
      return Qt::SizeBDiagCursor;
    case -7:
      return Qt::SizeVerCursor;
    case -8:
      return Qt::SizeFDiagCursor;
    case -9:
      return Qt::SizeHorCursor;
    case -10:
      return Qt::UpArrowCursor;
    case -11:
      return Qt::WaitCursor;
    case -12:
      return Qt::DragMoveCursor;
    case -13:
    case -18:
      return Qt::ForbiddenCursor;
    case -14:
      return Qt::SplitHCursor;
    case -15:
      return Qt::SplitVCursor;
    case -16:
      return Qt::DragCopyCursor;
    case -17:
    case -19:
      return Qt::BusyCursor;
    case -20:
      return Qt::WhatsThisCursor;
    case -21:
      return Qt::PointingHandCursor;
    case -22:
      return Qt::SizeAllCursor;
    default:
      *known = false;
      return Qt::ArrowCursor;
  }
}

TCustomForm* formOf(TControl* control) {
  for (TControl* c = control; c; c = c->parentControl())
    if (auto* form = qobject_cast<TCustomForm*>(c)) return form;
  return nullptr;
}

}  // namespace

bool DispatchingEvent() { return g_dispatchDepth > 0; }

void QueueModalResult(int result) { queuedResults().push_back(result); }
void ClearQueuedModalResults() { queuedResults().clear(); }

TControl* ControlOfWidget(const QWidget* widget) {
  return widget ? qobject_cast<TControl*>(widget->property(kControlProperty).value<QObject*>()) : nullptr;
}

// ---- The form's window --------------------------------------------------------------------------

// A dialog window whose closing, by the user or by Qt, goes through the
// form's OnCloseQuery and OnClose.
class FormWidget : public QDialog {
public:
  FormWidget() = default;
  void attach(TCustomForm* form) { form_ = form; }
  void detach() { form_ = nullptr; }
  // Ends the window's modal loop without asking the form again.
  void finish(int result) {
    finishing_ = true;
    QDialog::done(result);
    finishing_ = false;
  }
  void done(int result) override {
    if (!form_ || finishing_) QDialog::done(result);
    else form_->tryClose(result == QDialog::Rejected ? mrCancel : result);
  }

protected:
  void closeEvent(QCloseEvent* event) override {
    if (!form_ || finishing_) {
      QDialog::closeEvent(event);
      return;
    }
    if (form_->tryClose(mrCancel)) event->accept();
    else event->ignore();
  }
  void keyPressEvent(QKeyEvent* event) override {
    // Escape presses the form's Cancel button when it has one.
    if (event->key() == Qt::Key_Escape && form_) {
      for (QWidget* w : findChildren<QWidget*>())
        if (auto* button = qobject_cast<TButton*>(ControlOfWidget(w)); button && button->cancel() && w->isVisible()) {
          button->click();
          return;
        }
    }
    QDialog::keyPressEvent(event);
  }

private:
  QPointer<TCustomForm> form_;
  bool finishing_ = false;
};

// A combo box that tells when its list drops down and closes up.
class ComboWidget : public QComboBox {
public:
  std::function<void()> onDropDown;
  std::function<void()> onCloseUp;
  void showPopup() override {
    if (onDropDown) onDropDown();
    QComboBox::showPopup();
  }
  void hidePopup() override {
    QComboBox::hidePopup();
    if (onCloseUp) onCloseUp();
  }
};

// ---- TControl -------------------------------------------------------------------------------------

TControl::TControl(QWidget* widget, QObject* owner) : TComponent(owner), widget_(widget), color_(kClBtnFace) {
  widget->setProperty(kControlProperty, QVariant::fromValue<QObject*>(this));
  watch(widget);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) watch(area->viewport());
  connect(widget, &QObject::destroyed, this, [this] { widgetDestroyed(); });
}

TControl::~TControl() {
  if (widget_) {
    disconnect(widget_, &QObject::destroyed, this, nullptr);
    widget_->removeEventFilter(this);
    delete widget_.data();
  }
}

void TControl::watch(QObject* object) { object->installEventFilter(this); }

void TControl::widgetDestroyed() {
  // The widget died with its parent window: the control goes too, so that
  // scripts see nil instead of a control without a window.
  widget_ = nullptr;
  delete this;
}

template <class F>
void TControl::dispatch(F&& emitter) {
  Dispatching d;
  emitter();
}

void TControl::release() {
  if (!DispatchingEvent()) {
    delete this;
    return;
  }
  if (widget_) widget_->hide();
  deleteLater();
}

int TControl::left() const { return widget_ ? widget_->x() : 0; }
int TControl::top() const { return widget_ ? widget_->y() : 0; }
int TControl::width() const { return widget_ ? widget_->width() : 0; }
int TControl::height() const { return widget_ ? widget_->height() : 0; }
void TControl::setLeft(int v) { setBounds(v, top(), width(), height()); }
void TControl::setTop(int v) { setBounds(left(), v, width(), height()); }
void TControl::setWidth(int v) { setBounds(left(), top(), v, height()); }
void TControl::setHeight(int v) { setBounds(left(), top(), width(), v); }

int TControl::clientWidth() const { return widget_ ? widget_->contentsRect().width() : 0; }
int TControl::clientHeight() const { return widget_ ? widget_->contentsRect().height() : 0; }
void TControl::setClientWidth(int v) { setWidth(width() - clientWidth() + v); }
void TControl::setClientHeight(int v) { setHeight(height() - clientHeight() + v); }

void TControl::setBounds(int left, int top, int width, int height) {
  if (!widget_) return;
  width = std::max(0, width);
  height = std::max(0, height);
  if (width != this->width() || height != this->height()) {
    bool resize = true;
    QPointer<TControl> self(this);
    dispatch([&] { emit OnCanResize(width, height, resize); });
    if (!self || !widget_) return;
    if (!resize) {
      width = this->width();
      height = this->height();
    }
  }
  widget_->setGeometry(left, top, std::max(0, width), std::max(0, height));
  if (TWinControl* parent = parentControl(); parent && align_ != alNone) parent->realignChildren();
}

void TControl::setAlign(int align) {
  align_ = align;
  if (TWinControl* parent = parentControl()) parent->realignChildren();
}

void TControl::realignChildren() {
  QWidget* container = containerWidget();
  if (!container) return;
  QRect area = container->contentsRect();
  const QList<QWidget*> children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  // Top and bottom first, then left and right, then what is left.
  for (int pass : {int(alTop), int(alBottom), int(alLeft), int(alRight), int(alClient)}) {
    for (QWidget* w : children) {
      TControl* c = ControlOfWidget(w);
      if (!c || c == this || c->align() != pass || !c->visible()) continue;
      switch (pass) {
        case alTop:
          w->setGeometry(area.left(), area.top(), area.width(), w->height());
          area.setTop(area.top() + w->height());
          break;
        case alBottom:
          w->setGeometry(area.left(), area.bottom() + 1 - w->height(), area.width(), w->height());
          area.setBottom(area.bottom() - w->height());
          break;
        case alLeft:
          w->setGeometry(area.left(), area.top(), w->width(), area.height());
          area.setLeft(area.left() + w->width());
          break;
        case alRight:
          w->setGeometry(area.right() + 1 - w->width(), area.top(), w->width(), area.height());
          area.setRight(area.right() - w->width());
          break;
        case alClient:
          w->setGeometry(area);
          break;
        default:
          break;
      }
    }
  }
}

void TControl::setVisible(bool visible) {
  visible_ = visible;
  if (!widget_) return;
  // A control outside any window waits for its Parent.
  if (visible && widget_->parentWidget()) widget_->show();
  else if (!visible) widget_->hide();
  if (TWinControl* parent = parentControl(); parent && align_ != alNone) parent->realignChildren();
}

bool TControl::enabled() const { return widget_ && !widget_->testAttribute(Qt::WA_Disabled); }
void TControl::setEnabled(bool enabled) {
  if (widget_) widget_->setEnabled(enabled);
}

void TControl::setColor(int color) {
  color_ = color;
  applyPalette();
}

void TControl::applyPalette() {
  if (!widget_) return;
  QPalette palette = widget_->palette();
  if (color_ != kClBtnFace && color_ != kClWindow && color_ != int(names::clDefault)) {
    palette.setColor(widget_->backgroundRole(), graphics::ColorFromValue(color_));
    palette.setColor(QPalette::Base, graphics::ColorFromValue(color_));
    widget_->setAutoFillBackground(true);
  }
  if (font_) {
    const QColor text = font_->qcolor();
    if (text.isValid() && font_->color() != int(names::clWindowText)) {
      palette.setColor(QPalette::WindowText, text);
      palette.setColor(QPalette::Text, text);
      palette.setColor(QPalette::ButtonText, text);
    }
  }
  widget_->setPalette(palette);
}

graphics::TFont* TControl::font() {
  if (!font_) {
    font_ = new graphics::TFont(this);
    connect(font_, &graphics::TFont::changed, this, [this] {
      if (widget_ && font_) widget_->setFont(font_->qfont());
      applyPalette();
    });
  }
  return font_;
}

void TControl::setFont(graphics::TFont* source) {
  if (source) font()->AssignFrom(source);
}

QString TControl::hint() const { return widget_ ? widget_->property("valmoroHint").toString() : QString(); }

void TControl::setHint(const QString& hint) {
  if (!widget_) return;
  widget_->setProperty("valmoroHint", hint);
  widget_->setToolTip(showHint_ ? hint : QString());
}

void TControl::setShowHint(bool show) {
  showHint_ = show;
  setHint(hint());
}

void TControl::setCursor(int cursor) {
  cursor_ = cursor;
  if (!widget_) return;
  bool known = false;
  const Qt::CursorShape shape = cursorShape(cursor, &known);
  if (known) widget_->setCursor(shape);
  else widget_->unsetCursor();
}

TWinControl* TControl::parentControl() const {
  if (!widget_) return nullptr;
  for (QWidget* w = widget_->parentWidget(); w; w = w->parentWidget())
    if (auto* c = qobject_cast<TWinControl*>(ControlOfWidget(w))) return c;
  return nullptr;
}

void TControl::setParentControl(TWinControl* parent) {
  if (!widget_) return;
  for (TControl* p = parent; p; p = p->parentControl())
    if (p == this) throw RunError(error_class::InvalidOperation, QStringLiteral("A control cannot be its own parent"));
  TWinControl* previous = parentControl();
  const QRect geometry = widget_->geometry();
  widget_->setParent(parent ? parent->containerWidget() : nullptr);
  widget_->setGeometry(geometry);
  if (parent && visible_) widget_->show();
  if (previous) previous->realignChildren();
  if (parent) parent->realignChildren();
}

void TControl::repaint() {
  if (widget_) widget_->repaint();
}

void TControl::bringToFront() {
  if (widget_) widget_->raise();
}

void TControl::sendToBack() {
  if (widget_) widget_->lower();
}

graphics::TCanvas* TControl::canvas() {
  if (!canvas_) canvas_ = new graphics::TCanvas(this);
  return canvas_;
}

bool TControl::eventFilter(QObject* watched, QEvent* event) {
  if (!widget_) return false;
  if (event->type() == QEvent::Paint) return paintAfter(watched, event);
  if (watched != widget_.data()) {
    // Of a scroll area's viewport only the mouse matters.
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return handleEvent(event);
      default:
        return false;
    }
  }
  return handleEvent(event);
}

bool TControl::paintAfter(QObject* watched, QEvent* event) {
  // The window paints itself first; OnPaint then draws over it with the
  // canvas. Only the control's own surface gets OnPaint.
  static const QMetaMethod onPaint = QMetaMethod::fromSignal(&TControl::OnPaint);
  if (painting_ || !isSignalConnected(onPaint)) return false;
  auto* surface = qobject_cast<QWidget*>(watched);
  if (!surface) return false;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data()); area && surface == area) return false;
  painting_ = true;
  static_cast<QObject*>(surface)->event(event);
  {
    QPainter painter(surface);
    // The routine may free the canvas (or the control) while it paints.
    QPointer<graphics::TCanvas> c = canvas();
    c->setPainter(&painter);
    QPointer<TControl> self(this);
    dispatch([&] { emit OnPaint(); });
    if (!self) return true;
    if (c) c->setPainter(nullptr);
  }
  painting_ = false;
  return true;
}

bool TControl::handleEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      const QPoint pos = widget_->mapFromGlobal(me->globalPosition().toPoint());
      const int button = MouseButtonValue(me->button());
      if (event->type() == QEvent::MouseButtonPress) {
        pressed_ = true;
        const int shift = ShiftStateBits(me->modifiers(), me->buttons());
        dispatch([&] { emit OnMouseDown(button, shift, pos.x(), pos.y()); });
      } else if (event->type() == QEvent::MouseButtonDblClick) {
        const int shift = ShiftStateBits(me->modifiers(), me->buttons(), true);
        dispatch([&] {
          emit OnDblClick();
          emit OnMouseDown(button, shift, pos.x(), pos.y());
        });
      } else {
        const int shift = ShiftStateBits(me->modifiers(), me->buttons() | me->button());
        const bool click = pressed_ && !clicksNatively() && widget_->rect().contains(pos);
        pressed_ = false;
        dispatch([&] {
          emit OnMouseUp(button, shift, pos.x(), pos.y());
          if (click) emit OnClick();
        });
      }
      return false;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      const QPoint pos = widget_->mapFromGlobal(me->globalPosition().toPoint());
      const int shift = ShiftStateBits(me->modifiers(), me->buttons());
      dispatch([&] { emit OnMouseMove(shift, pos.x(), pos.y()); });
      return false;
    }
    case QEvent::Resize:
      realignChildren();
      dispatch([&] { emit OnResize(); });
      return false;
    default:
      return false;
  }
}

// ---- TWinControl ----------------------------------------------------------------------------------

bool TWinControl::tabStop() const { return widget_ && widget_->focusPolicy() != Qt::NoFocus; }

void TWinControl::setTabStop(bool stop) {
  if (widget_) widget_->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::setFocus() {
  if (!widget_) return;
  if (!widget_->isVisible() || !widget_->isEnabled())
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Cannot focus a disabled or invisible window"));
  widget_->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::canFocus() const { return widget_ && widget_->isVisible() && widget_->isEnabled(); }

bool TWinControl::focused() const { return widget_ && widget_->hasFocus(); }

QList<TControl*> TWinControl::controls() const {
  QList<TControl*> out;
  if (QWidget* container = containerWidget())
    for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (TControl* c = ControlOfWidget(w)) out << c;
  return out;
}

bool TWinControl::handleEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (replaying_) return false;
      auto* ke = static_cast<QKeyEvent*>(event);
      const int shift = ShiftStateBits(ke->modifiers(), Qt::NoButton);
      const int virtualKey = VirtualKeyOf(ke->key());
      // A form that previews keys sees them first.
      QList<TWinControl*> targets;
      if (TCustomForm* form = formOf(this); form && form != this && form->keyPreview()) targets << form;
      targets << this;
      QPointer<TWinControl> self(this);
      for (TWinControl* target : targets) {
        if (virtualKey != 0) {
          int key = virtualKey;
          if (event->type() == QEvent::KeyPress) dispatch([&] { emit target->OnKeyDown(key, shift); });
          else dispatch([&] { emit target->OnKeyUp(key, shift); });
          if (!self || key == 0) return true;
        }
        if (event->type() != QEvent::KeyPress || ke->text().isEmpty()) continue;
        const QString original = ke->text().left(1);
        QString key = original;
        dispatch([&] { emit target->OnKeyPress(key); });
        if (!self) return true;
        if (key.isEmpty() || key.at(0).isNull()) return true;
        if (key != original) {
          // The routine put another character in its place: that one is typed.
          QKeyEvent replaced(QEvent::KeyPress, 0, ke->modifiers(), key);
          replaying_ = true;
          if (widget_) QCoreApplication::sendEvent(widget_.data(), &replaced);
          if (self) replaying_ = false;
          return true;
        }
      }
      return false;
    }
    case QEvent::FocusIn:
      dispatch([&] { emit OnEnter(); });
      return false;
    case QEvent::FocusOut:
      dispatch([&] { emit OnExit(); });
      return false;
    default:
      return TControl::handleEvent(event);
  }
}

// ---- Painting controls, group box, label ----------------------------------------------------------

TCustomControl::TCustomControl(QObject* owner) : TWinControl(newWidget<QWidget>(), owner) {}

TGraphicControl::TGraphicControl(QObject* owner) : TControl(newWidget<QWidget>(), owner) {}

TGroupBox::TGroupBox(QObject* owner) : TCustomControl(newWidget<QGroupBox>(), owner) {}

QString TGroupBox::caption() const { return widget_ ? static_cast<QGroupBox*>(widget_.data())->title() : QString(); }

void TGroupBox::setCaption(const QString& caption) {
  if (widget_) static_cast<QGroupBox*>(widget_.data())->setTitle(caption);
}

TLabel::TLabel(QObject* owner) : TGraphicControl(newWidget<QLabel>(), owner) { applyAlignment(); }

QString TLabel::caption() const { return widget_ ? static_cast<QLabel*>(widget_.data())->text() : QString(); }

void TLabel::setCaption(const QString& caption) {
  if (!widget_) return;
  static_cast<QLabel*>(widget_.data())->setText(caption);
  fitText();
}

void TLabel::fitText() {
  if (widget_ && autoSize_) widget_->resize(widget_->sizeHint());
}

void TLabel::setAlignment(int alignment) {
  alignment_ = alignment;
  applyAlignment();
}

void TLabel::setLayout(int layout) {
  layout_ = layout;
  applyAlignment();
}

void TLabel::applyAlignment() {
  if (!widget_) return;
  Qt::Alignment a = alignment_ == 1 ? Qt::AlignRight : alignment_ == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
  a |= layout_ == 1 ? Qt::AlignVCenter : layout_ == 2 ? Qt::AlignBottom : Qt::AlignTop;
  static_cast<QLabel*>(widget_.data())->setAlignment(a);
}

void TLabel::setAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  fitText();
}

bool TLabel::wordWrap() const { return widget_ && static_cast<QLabel*>(widget_.data())->wordWrap(); }

void TLabel::setWordWrap(bool wrap) {
  if (widget_) static_cast<QLabel*>(widget_.data())->setWordWrap(wrap);
}

void TLabel::setTransparent(bool transparent) {
  transparent_ = transparent;
  if (widget_) widget_->setAutoFillBackground(!transparent);
}

// ---- TEdit ----------------------------------------------------------------------------------------

TEdit::TEdit(QObject* owner) : TWinControl(newWidget<QLineEdit>(), owner) {
  setColor(kClWindow);
  connect(edit(), &QLineEdit::textChanged, this, [this](const QString& text) {
    if (charCase_ != 0) {
      const QString cased = charCase_ == 1 ? text.toUpper() : text.toLower();
      if (cased != text) {
        const int cursor = edit()->cursorPosition();
        edit()->setText(cased);  // comes back here with the cased text
        edit()->setCursorPosition(cursor);
        return;
      }
    }
    dispatch([&] { emit OnChange(); });
  });
}

QLineEdit* TEdit::edit() const { return static_cast<QLineEdit*>(widget_.data()); }
QString TEdit::text() const { return widget_ ? edit()->text() : QString(); }
void TEdit::setText(const QString& text) {
  if (widget_) edit()->setText(text);
}
bool TEdit::readOnly() const { return widget_ && edit()->isReadOnly(); }
void TEdit::setReadOnly(bool readOnly) {
  if (widget_) edit()->setReadOnly(readOnly);
}
int TEdit::maxLength() const { return widget_ && edit()->maxLength() < 32767 ? edit()->maxLength() : 0; }
void TEdit::setMaxLength(int length) {
  if (widget_) edit()->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::setPasswordChar(const QString& c) {
  passwordChar_ = c.left(1);
  if (widget_)
    edit()->setEchoMode(passwordChar_.isEmpty() || passwordChar_.at(0).isNull() ? QLineEdit::Normal
                                                                                : QLineEdit::Password);
}

void TEdit::setCharCase(int charCase) {
  charCase_ = charCase;
  if (widget_) setText(text());
}

int TEdit::selStart() const {
  if (!widget_) return 0;
  return edit()->hasSelectedText() ? edit()->selectionStart() : edit()->cursorPosition();
}

void TEdit::setSelStart(int start) {
  if (widget_) edit()->setCursorPosition(start);
}

int TEdit::selLength() const { return widget_ ? int(edit()->selectedText().size()) : 0; }

void TEdit::setSelLength(int length) {
  if (widget_) edit()->setSelection(selStart(), length);
}

QString TEdit::selText() const { return widget_ ? edit()->selectedText() : QString(); }

void TEdit::setSelText(const QString& text) {
  if (widget_) edit()->insert(text);
}

void TEdit::selectAll() {
  if (widget_) edit()->selectAll();
}

// ---- TMemo ----------------------------------------------------------------------------------------

TMemo::TMemo(QObject* owner) : TWinControl(newWidget<QPlainTextEdit>(), owner) {
  setColor(kClWindow);
  connect(memo(), &QPlainTextEdit::textChanged, this, [this] {
    if (syncing_) return;
    pullLines();
    dispatch([&] { emit OnChange(); });
  });
}

QPlainTextEdit* TMemo::memo() const { return static_cast<QPlainTextEdit*>(widget_.data()); }

TStrings* TMemo::lines() {
  if (!lines_) {
    lines_ = new TStrings(this);
    pullLines();
  }
  return lines_;
}

void TMemo::pullLines() {
  if (!lines_ || !widget_) return;
  QString text = memo()->toPlainText();
  QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
  setLines(lines_, lines);
  shown_ = lines;
}

void TMemo::pushLines() {
  if (!lines_ || !widget_) return;
  const QStringList now = linesOf(lines_);
  if (now == shown_) return;
  shown_ = now;
  syncing_ = true;
  memo()->setPlainText(now.join(QLatin1Char('\n')));
  syncing_ = false;
  dispatch([&] { emit OnChange(); });
}

QString TMemo::text() const {
  const_cast<TMemo*>(this)->pushLines();
  if (!widget_) return QString();
  QString text = memo()->toPlainText();
  return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TMemo::setText(const QString& text) {
  pushLines();
  if (!widget_) return;
  QString plain = text;
  plain.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  memo()->setPlainText(plain);
}

bool TMemo::readOnly() const { return widget_ && memo()->isReadOnly(); }
void TMemo::setReadOnly(bool readOnly) {
  if (widget_) memo()->setReadOnly(readOnly);
}
bool TMemo::wordWrap() const { return widget_ && memo()->lineWrapMode() != QPlainTextEdit::NoWrap; }
void TMemo::setWordWrap(bool wrap) {
  if (widget_) memo()->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::setScrollBars(int bars) {
  // TScrollStyle: ssNone, ssHorizontal, ssVertical, ssBoth.
  scrollBars_ = bars;
  if (!widget_) return;
  memo()->setHorizontalScrollBarPolicy(bars == 1 || bars == 3 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
  memo()->setVerticalScrollBarPolicy(bars == 2 || bars == 3 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

void TMemo::selectAll() {
  pushLines();
  if (widget_) memo()->selectAll();
}

bool TMemo::handleEvent(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::FocusIn) pushLines();
  return TWinControl::handleEvent(event);
}

// ---- TCustomComboBox ------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(QObject* owner) : TWinControl(newWidget<ComboWidget>(), owner) {
  setColor(kClWindow);
  auto* combo = static_cast<ComboWidget*>(widget_.data());
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->onDropDown = [this] {
    syncItems();
    dispatch([&] { emit OnDropDown(); });
  };
  combo->onCloseUp = [this] { dispatch([&] { emit OnCloseUp(); }); };
  connect(combo, &QComboBox::activated, this, [this] {
    if (!syncing_) dispatch([&] { emit OnChange(); });
  });
  connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this] { dispatch([&] { emit OnChange(); }); });
}

namespace {

// The lines of a combo or list box, put in order first when it is sorted.
QStringList itemLines(TStrings* items, bool sorted) {
  if (sorted) {
    QStringList sortedLines = linesOf(items);
    std::stable_sort(sortedLines.begin(), sortedLines.end(),
                     [](const QString& a, const QString& b) { return CompareTextRegional(a, b) < 0; });
    if (sortedLines != linesOf(items)) setLines(items, sortedLines);
  }
  return linesOf(items);
}

}  // namespace

QComboBox* TCustomComboBox::combo() const { return static_cast<QComboBox*>(widget_.data()); }

TStrings* TCustomComboBox::items() {
  if (!items_) items_ = new TStrings(this);
  return items_;
}

void TCustomComboBox::syncItems() const {
  if (!items_ || !widget_ || syncing_) return;
  const QStringList now = itemLines(items_, sorted_);
  QStringList shown;
  for (int i = 0; i < combo()->count(); ++i) shown << combo()->itemText(i);
  if (now == shown) return;
  syncing_ = true;
  const QString text = combo()->currentText();
  const int index = combo()->currentIndex();
  combo()->clear();
  combo()->addItems(now);
  combo()->setCurrentIndex(index < now.size() ? index : -1);
  if (combo()->isEditable()) combo()->setEditText(index < now.size() && index >= 0 ? now[index] : text);
  syncing_ = false;
}

QString TCustomComboBox::text() const {
  syncItems();
  return widget_ ? combo()->currentText() : QString();
}

void TCustomComboBox::setText(const QString& text) {
  syncItems();
  if (!widget_) return;
  const int index = combo()->findText(text, Qt::MatchFixedString);
  if (combo()->isEditable()) {
    combo()->setCurrentIndex(index);
    combo()->setEditText(text);
  } else {
    combo()->setCurrentIndex(index);
  }
}

int TCustomComboBox::itemIndex() const {
  syncItems();
  return widget_ ? combo()->currentIndex() : -1;
}

void TCustomComboBox::setItemIndex(int index) {
  syncItems();
  if (!widget_) return;
  if (index < -1 || index >= combo()->count()) index = -1;
  combo()->setCurrentIndex(index);
  if (index < 0 && combo()->isEditable()) combo()->setEditText(QString());
}

void TCustomComboBox::setStyle(int style) {
  // TComboBoxStyle: csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable.
  style_ = style;
  if (!widget_) return;
  const bool editable = style == 0 || style == 1;
  if (editable == combo()->isEditable()) return;
  combo()->setEditable(editable);
  if (editable) {
    combo()->setInsertPolicy(QComboBox::NoInsert);
    connect(combo()->lineEdit(), &QLineEdit::textEdited, this, [this] { dispatch([&] { emit OnChange(); }); });
  }
}

int TCustomComboBox::dropDownCount() const { return widget_ ? combo()->maxVisibleItems() : 8; }
void TCustomComboBox::setDropDownCount(int count) {
  if (widget_) combo()->setMaxVisibleItems(std::max(1, count));
}

void TCustomComboBox::setSorted(bool sorted) {
  sorted_ = sorted;
  syncItems();
}

void TCustomComboBox::clear() {
  items()->clear();
  syncItems();
  if (widget_ && combo()->isEditable()) combo()->setEditText(QString());
}

bool TCustomComboBox::handleEvent(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::Paint || event->type() == QEvent::FocusIn)
    syncItems();
  return TWinControl::handleEvent(event);
}

// ---- Buttons --------------------------------------------------------------------------------------

TButton::TButton(QObject* owner) : TWinControl(newWidget<QPushButton>(), owner) {
  connect(static_cast<QPushButton*>(widget_.data()), &QPushButton::clicked, this, [this] { clicked(); });
}

QString TButton::caption() const { return widget_ ? static_cast<QPushButton*>(widget_.data())->text() : QString(); }
void TButton::setCaption(const QString& caption) {
  if (widget_) static_cast<QPushButton*>(widget_.data())->setText(caption);
}
bool TButton::isDefault() const { return widget_ && static_cast<QPushButton*>(widget_.data())->isDefault(); }
void TButton::setDefault(bool d) {
  if (widget_) static_cast<QPushButton*>(widget_.data())->setDefault(d);
}

void TButton::click() {
  if (widget_ && widget_->isEnabled()) static_cast<QPushButton*>(widget_.data())->click();
}

void TButton::clicked() {
  QPointer<TButton> self(this);
  dispatch([&] { emit OnClick(); });
  // A button with a modal result closes its form with it.
  if (self && modalResult_ != mrNone)
    if (TCustomForm* form = formOf(this)) form->setModalResult(modalResult_);
}

TCheckBox::TCheckBox(QObject* owner) : TWinControl(newWidget<QCheckBox>(), owner) {
  // The state changing, by a click or by the script, is a click.
  connect(static_cast<QCheckBox*>(widget_.data()), &QCheckBox::stateChanged, this,
          [this] { dispatch([&] { emit OnClick(); }); });
}

QString TCheckBox::caption() const { return widget_ ? static_cast<QCheckBox*>(widget_.data())->text() : QString(); }
void TCheckBox::setCaption(const QString& caption) {
  if (widget_) static_cast<QCheckBox*>(widget_.data())->setText(caption);
}
bool TCheckBox::checked() const { return widget_ && static_cast<QCheckBox*>(widget_.data())->isChecked(); }
void TCheckBox::setChecked(bool checked) {
  if (widget_) static_cast<QCheckBox*>(widget_.data())->setChecked(checked);
}

int TCheckBox::state() const {
  if (!widget_) return 0;
  switch (static_cast<QCheckBox*>(widget_.data())->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

void TCheckBox::setState(int state) {
  if (!widget_) return;
  auto* box = static_cast<QCheckBox*>(widget_.data());
  if (state == 2) box->setTristate(true);
  box->setCheckState(state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

bool TCheckBox::allowGrayed() const { return widget_ && static_cast<QCheckBox*>(widget_.data())->isTristate(); }
void TCheckBox::setAllowGrayed(bool allow) {
  if (widget_) static_cast<QCheckBox*>(widget_.data())->setTristate(allow);
}

TRadioButton::TRadioButton(QObject* owner) : TWinControl(newWidget<QRadioButton>(), owner) {
  connect(static_cast<QRadioButton*>(widget_.data()), &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) dispatch([&] { emit OnClick(); });
  });
}

QString TRadioButton::caption() const {
  return widget_ ? static_cast<QRadioButton*>(widget_.data())->text() : QString();
}
void TRadioButton::setCaption(const QString& caption) {
  if (widget_) static_cast<QRadioButton*>(widget_.data())->setText(caption);
}
bool TRadioButton::checked() const { return widget_ && static_cast<QRadioButton*>(widget_.data())->isChecked(); }
void TRadioButton::setChecked(bool checked) {
  if (widget_) static_cast<QRadioButton*>(widget_.data())->setChecked(checked);
}

// ---- TCustomListBox -------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(QObject* owner) : TWinControl(newWidget<QListWidget>(), owner) {
  setColor(kClWindow);
  // Choosing an item (mouse or keys) is a click; the script setting
  // ItemIndex is not.
  connect(list(), &QListWidget::currentRowChanged, this, [this] {
    if (!syncing_) dispatch([&] { emit OnClick(); });
  });
}

QListWidget* TCustomListBox::list() const { return static_cast<QListWidget*>(widget_.data()); }

TStrings* TCustomListBox::items() {
  if (!items_) items_ = new TStrings(this);
  return items_;
}

void TCustomListBox::syncItems() const {
  if (!items_ || !widget_ || syncing_) return;
  const QStringList now = itemLines(items_, sorted_);
  QStringList shown;
  for (int i = 0; i < list()->count(); ++i) shown << list()->item(i)->text();
  if (now == shown) return;
  syncing_ = true;
  const int row = list()->currentRow();
  list()->clear();
  list()->addItems(now);
  list()->setCurrentRow(row < now.size() ? row : -1);
  syncing_ = false;
}

int TCustomListBox::itemIndex() const {
  syncItems();
  return widget_ ? list()->currentRow() : -1;
}

void TCustomListBox::setItemIndex(int index) {
  syncItems();
  if (!widget_) return;
  syncing_ = true;
  list()->setCurrentRow(index >= 0 && index < list()->count() ? index : -1);
  syncing_ = false;
}

bool TCustomListBox::multiSelect() const {
  return widget_ && list()->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TCustomListBox::setMultiSelect(bool multi) {
  if (widget_)
    list()->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TCustomListBox::setSorted(bool sorted) {
  sorted_ = sorted;
  syncItems();
}

int TCustomListBox::selCount() const {
  syncItems();
  if (!widget_ || !multiSelect()) return -1;
  return int(list()->selectedItems().size());
}

bool TCustomListBox::selected(int index) const {
  syncItems();
  if (!widget_ || index < 0 || index >= list()->count()) ListIndexError(index);
  return list()->item(index)->isSelected();
}

void TCustomListBox::setSelected(int index, bool selected) {
  syncItems();
  if (!widget_ || index < 0 || index >= list()->count()) ListIndexError(index);
  syncing_ = true;
  if (multiSelect()) list()->item(index)->setSelected(selected);
  else list()->setCurrentRow(selected ? index : -1);
  syncing_ = false;
}

void TCustomListBox::clear() {
  items()->clear();
  syncItems();
}

bool TCustomListBox::handleEvent(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::Paint || event->type() == QEvent::FocusIn)
    syncItems();
  return TWinControl::handleEvent(event);
}

// ---- Scrolling --------------------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(QScrollArea* area, Qt::Orientation orientation, QObject* parent)
    : TPersistent(parent), area_(area), orientation_(orientation) {}

QScrollBar* TControlScrollBar::bar() const {
  if (!area_) return nullptr;
  return orientation_ == Qt::Horizontal ? area_->horizontalScrollBar() : area_->verticalScrollBar();
}

int TControlScrollBar::position() const { return bar() ? bar()->value() : position_; }

void TControlScrollBar::setPosition(int position) {
  position_ = std::max(0, position);
  if (bar()) bar()->setValue(position_);
}

void TControlScrollBar::setRange(int range) {
  // The scrolled area is as large as the range.
  range_ = std::max(0, range);
  if (!area_ || !area_->widget()) return;
  QWidget* inner = area_->widget();
  if (orientation_ == Qt::Horizontal) inner->resize(std::max(range_, area_->viewport()->width()), inner->height());
  else inner->resize(inner->width(), std::max(range_, area_->viewport()->height()));
}

int TControlScrollBar::increment() const { return bar() ? bar()->singleStep() : increment_; }

void TControlScrollBar::setIncrement(int increment) {
  increment_ = increment;
  if (bar()) bar()->setSingleStep(increment);
}

void TControlScrollBar::setVisible(bool visible) {
  visible_ = visible;
  if (!area_) return;
  const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  if (orientation_ == Qt::Horizontal) area_->setHorizontalScrollBarPolicy(policy);
  else area_->setVerticalScrollBarPolicy(policy);
}

TControlScrollBar* TScrollingWinControl::horzScrollBar() {
  if (!horz_) horz_ = new TControlScrollBar(scrollArea(), Qt::Horizontal, this);
  return horz_;
}

TControlScrollBar* TScrollingWinControl::vertScrollBar() {
  if (!vert_) vert_ = new TControlScrollBar(scrollArea(), Qt::Vertical, this);
  return vert_;
}

TScrollBox::TScrollBox(QObject* owner) : TScrollingWinControl(newWidget<QScrollArea>(), owner) {
  auto* area = static_cast<QScrollArea*>(widget_.data());
  inner_ = new QWidget;
  area->setWidget(inner_);
  area->setWidgetResizable(false);
  inner_->resize(area->viewport()->size());
}

QWidget* TScrollBox::containerWidget() const { return inner_; }

QScrollArea* TScrollBox::scrollArea() const { return static_cast<QScrollArea*>(widget_.data()); }

bool TScrollBox::handleEvent(QEvent* event) {
  if ((event->type() == QEvent::Resize || event->type() == QEvent::Show) && inner_ && widget_) {
    // The inside grows to hold every control and at least the visible area.
    QRect bounds(QPoint(0, 0), scrollArea()->viewport()->size());
    for (QWidget* w : inner_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) bounds |= w->geometry();
    const int width = std::max(bounds.right() + 1, horzScrollBar()->range());
    const int height = std::max(bounds.bottom() + 1, vertScrollBar()->range());
    inner_->resize(width, height);
  }
  return TScrollingWinControl::handleEvent(event);
}

// ---- Forms ------------------------------------------------------------------------------------------

TCustomForm::TCustomForm(QObject* owner) : TScrollingWinControl(newWidget<FormWidget>(), owner) {
  visible_ = false;
  form()->attach(this);
  widget_->resize(320, 240);
}

TCustomForm::~TCustomForm() {
  if (FormWidget* f = form()) f->detach();
  QPointer<TCustomForm> self(this);
  dispatch([&] { emit OnDestroy(); });
}

FormWidget* TCustomForm::form() const { return static_cast<FormWidget*>(widget_.data()); }

QString TCustomForm::caption() const { return widget_ ? widget_->windowTitle() : QString(); }

void TCustomForm::setCaption(const QString& caption) {
  if (widget_) widget_->setWindowTitle(caption);
}

void TCustomForm::setModalResult(int result) {
  modalResult_ = result;
  // Only a form in the window system's modal loop closes at once.
  if (modal_ && result != mrNone && widget_ && widget_->isVisible()) tryClose(result);
}

void TCustomForm::setBorderStyle(int style) {
  // TFormBorderStyle: bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin.
  borderStyle_ = style;
  if (!widget_) return;
  Qt::WindowFlags flags = Qt::Dialog;
  if (style == 0) flags = Qt::Dialog | Qt::FramelessWindowHint;
  else if (style == 4 || style == 5) flags = Qt::Tool;
  const bool shown = widget_->isVisible();
  widget_->setWindowFlags(flags);
  form()->setSizeGripEnabled(style == 2 || style == 5);
  if (shown) widget_->show();
}

int TCustomForm::windowState() const {
  // TWindowState: wsNormal, wsMinimized, wsMaximized.
  if (!widget_) return 0;
  if (widget_->windowState() & Qt::WindowMinimized) return 1;
  if (widget_->windowState() & Qt::WindowMaximized) return 2;
  return 0;
}

void TCustomForm::setWindowState(int state) {
  if (!widget_) return;
  widget_->setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TCustomForm::setFormStyle(int style) {
  // TFormStyle: fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop.
  formStyle_ = style;
  if (!widget_) return;
  const bool shown = widget_->isVisible();
  widget_->setWindowFlag(Qt::WindowStaysOnTopHint, style == 3);
  if (shown) widget_->show();
}

void TCustomForm::created() {
  if (createdFired_) return;
  createdFired_ = true;
  dispatch([&] { emit OnCreate(); });
}

void TCustomForm::setVisible(bool visible) {
  if (visible == visible_ && widget_ && widget_->isVisible() == visible) return;
  if (visible) created();
  visible_ = visible;
  if (!widget_) return;
  if (visible) {
    placeOnScreen();
    widget_->show();
  } else {
    widget_->hide();
  }
}

void TCustomForm::placeOnScreen() {
  // poScreenCenter and the other centred positions.
  if (!widget_ || position_ < 4) return;
  if (QScreen* screen = widget_->screen()) {
    const QRect area = screen->availableGeometry();
    widget_->move(area.center() - QPoint(widget_->width() / 2, widget_->height() / 2));
  }
}

int TCustomForm::showModal() {
  if (modal_ || (widget_ && widget_->isVisible()))
    throw RunError(error_class::InvalidOperation, QStringLiteral("Cannot make a visible window modal"));
  if (!widget_) return mrCancel;
  created();
  modalResult_ = mrNone;
  QPointer<TCustomForm> self(this);
  modal_ = true;
  if (dialogs::mode() == dialogs::Mode::Gui) {
    visible_ = true;
    placeOnScreen();
    form()->exec();
    if (!self) return mrCancel;
    modal_ = false;
    visible_ = false;
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
  }
  // Nobody can answer the window here: it shows and hides at once.
  dispatch([&] {
    emit OnShow();
    if (self) emit OnActivate();
  });
  if (!self) return mrCancel;
  int result = modalResult_ != mrNone ? modalResult_ : mrCancel;
  if (!queuedResults().empty()) {
    result = queuedResults().front();
    queuedResults().pop_front();
  }
  dispatch([&] {
    emit OnDeactivate();
    if (self) emit OnHide();
  });
  if (!self) return result;
  modal_ = false;
  modalResult_ = result;
  return result;
}

void TCustomForm::close() {
  if (modal_) tryClose(mrCancel);
  else tryClose(mrNone);
}

bool TCustomForm::tryClose(int result) {
  QPointer<TCustomForm> self(this);
  bool canClose = true;
  dispatch([&] { emit OnCloseQuery(canClose); });
  if (!self) return true;
  if (!canClose) {
    if (modal_) modalResult_ = mrNone;
    return false;
  }
  int action = caHide;
  dispatch([&] { emit OnClose(action); });
  if (!self) return true;
  if (action == caNone) {
    if (modal_) modalResult_ = mrNone;
    return false;
  }
  if (modal_) {
    modalResult_ = result != mrNone ? result : mrCancel;
    if (widget_ && widget_->isVisible()) form()->finish(modalResult_);
    if (action == caFree) deleteLater();
    return true;
  }
  switch (action) {
    case caMinimize:
      if (widget_) widget_->showMinimized();
      break;
    case caFree:
      visible_ = false;
      if (widget_) widget_->hide();
      release();
      break;
    default:
      visible_ = false;
      if (widget_) widget_->hide();
      break;
  }
  return true;
}

bool TCustomForm::handleEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      dispatch([&] { emit OnShow(); });
      break;
    case QEvent::Hide:
      dispatch([&] { emit OnHide(); });
      break;
    case QEvent::WindowActivate:
      dispatch([&] { emit OnActivate(); });
      break;
    case QEvent::WindowDeactivate:
      dispatch([&] { emit OnDeactivate(); });
      break;
    default:
      break;
  }
  return TScrollingWinControl::handleEvent(event);
}

// ---- Data module, application -------------------------------------------------------------------

TDataModule::~TDataModule() {
  Dispatching d;
  emit OnDestroy();
}

QString TApplication::exeName() const { return QCoreApplication::applicationFilePath(); }
QString TApplication::title() const { return dialogs::applicationTitle(); }
void TApplication::setTitle(const QString& title) { dialogs::setApplicationTitle(title); }

void TApplication::processMessages() { QCoreApplication::processEvents(); }

void TApplication::terminate() {
  terminated_ = true;
  QCoreApplication::quit();
}

void TApplication::minimize() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->showMinimized();
}

void TApplication::restore() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isMinimized()) w->showNormal();
}

}  // namespace valmoro::script::forms
