#pragma once
// Windows and controls for scripts. Each script object is a thin QObject
// over a Qt widget (QDialog for a form, QPushButton for a button, ...), with
// the properties scripts know (Left, Caption, Items, ...) as Q_PROPERTYs and
// its events as signals named after them (OnClick, OnKeyPress, ...), which
// the event adaptors of host_events.h connect to routines.
//
// Ownership follows the components scripts are used to: the owner given to
// Create is the Qt parent of the script object and frees it; the widget
// lives inside its Parent's widget and dies with it, and its script object
// goes with it, so a script never keeps a control whose widget is gone.
// Freeing a control while one of its own events is being handled is
// deferred until the event is done.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "graphics_objects.h"
#include "host_persistent.h"

class QEvent;
class QScrollBar;
class QPlainTextEdit;
class QLineEdit;
class QComboBox;
class QListWidget;
class QScrollArea;

namespace valmoro::script {
class TStrings;
}

namespace valmoro::script::forms {

class TWinControl;
class TCustomForm;
class FormWidget;

// TAlign values.
enum Align { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
// TCloseAction values.
enum CloseAction { caNone, caHide, caFree, caMinimize };
// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// Whether a script event of some control is being handled right now.
bool DispatchingEvent();

class TControl : public TComponent {
  Q_OBJECT
  Q_PROPERTY(int Left READ left WRITE setLeft)
  Q_PROPERTY(int Top READ top WRITE setTop)
  Q_PROPERTY(int Width READ width WRITE setWidth)
  Q_PROPERTY(int Height READ height WRITE setHeight)
  Q_PROPERTY(int ClientWidth READ clientWidth WRITE setClientWidth)
  Q_PROPERTY(int ClientHeight READ clientHeight WRITE setClientHeight)
  Q_PROPERTY(int Align READ align WRITE setAlign)
  Q_PROPERTY(bool Visible READ visible WRITE setVisible)
  Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
  Q_PROPERTY(int Color READ color WRITE setColor)
  Q_PROPERTY(valmoro::script::graphics::TFont* Font READ font WRITE setFont)
  Q_PROPERTY(QString Hint READ hint WRITE setHint)
  Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint)
  Q_PROPERTY(int Cursor READ cursor WRITE setCursor)
  Q_PROPERTY(int Tag READ tag WRITE setTag)

public:
  ~TControl() override;

  // The widget; none once it is gone.
  QWidget* widget() const { return widget_; }
  // Where child controls go (the widget, or the inside of a scroll box).
  virtual QWidget* containerWidget() const { return widget_; }

  int left() const;
  void setLeft(int v);
  int top() const;
  void setTop(int v);
  int width() const;
  void setWidth(int v);
  int height() const;
  void setHeight(int v);
  int clientWidth() const;
  void setClientWidth(int v);
  int clientHeight() const;
  void setClientHeight(int v);
  // Asks OnCanResize first; the routine may change the size or refuse.
  void setBounds(int left, int top, int width, int height);
  int align() const { return align_; }
  void setAlign(int align);
  bool visible() const { return visible_; }
  virtual void setVisible(bool visible);
  bool enabled() const;
  void setEnabled(bool enabled);
  int color() const { return color_; }
  void setColor(int color);
  graphics::TFont* font();
  void setFont(graphics::TFont* font);
  QString hint() const;
  void setHint(const QString& hint);
  bool showHint() const { return showHint_; }
  void setShowHint(bool show);
  int cursor() const { return cursor_; }
  void setCursor(int cursor);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }

  TWinControl* parentControl() const;
  // None takes the control out of any window.
  void setParentControl(TWinControl* parent);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  void repaint();
  void bringToFront();
  void sendToBack();
  // A canvas for painting (for the classes that paint); drawing on it works
  // while the control handles OnPaint.
  graphics::TCanvas* canvas();

  // Frees now, or once the event being handled is done. Invokable, so that
  // TObject.Free reaches it for a control it knows only as an object.
  Q_INVOKABLE void release();

signals:
  void OnClick();
  void OnDblClick();
  void OnMouseDown(int button, int shift, int x, int y);
  void OnMouseUp(int button, int shift, int x, int y);
  void OnMouseMove(int shift, int x, int y);
  void OnResize();
  void OnCanResize(int& newWidth, int& newHeight, bool& resize);
  void OnPaint();

protected:
  TControl(QWidget* widget, QObject* owner);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Handles one event of the widget; true when it is consumed.
  virtual bool handleEvent(QEvent* event);
  // The widget signals a click itself (buttons, check boxes).
  virtual bool clicksNatively() const { return false; }
  // Arranges the aligned children of this control's container.
  void realignChildren();
  void applyPalette();
  // Emits a signal for a script event, counting it as being handled.
  template <class F>
  void dispatch(F&& emitter);
  void watch(QObject* object);

  QPointer<QWidget> widget_;
  bool visible_ = true;

private:
  void widgetDestroyed();
  bool paintAfter(QObject* watched, QEvent* event);

  int align_ = alNone;
  int color_;
  int cursor_ = 0;
  int tag_ = 0;
  bool showHint_ = false;
  bool pressed_ = false;
  bool painting_ = false;
  QPointer<graphics::TFont> font_;
  QPointer<graphics::TCanvas> canvas_;
};

// The control of a widget, if it has one.
TControl* ControlOfWidget(const QWidget* widget);

class TWinControl : public TControl {
  Q_OBJECT
  Q_PROPERTY(int TabOrder READ tabOrder WRITE setTabOrder)
  Q_PROPERTY(bool TabStop READ tabStop WRITE setTabStop)

public:
  int tabOrder() const { return tabOrder_; }
  void setTabOrder(int order) { tabOrder_ = order; }
  bool tabStop() const;
  void setTabStop(bool stop);
  void setFocus();
  bool canFocus() const;
  bool focused() const;
  // The controls placed inside, in stacking order.
  QList<TControl*> controls() const;

signals:
  void OnEnter();
  void OnExit();
  void OnKeyDown(int& key, int shift);
  void OnKeyPress(QString& key);
  void OnKeyUp(int& key, int shift);

protected:
  TWinControl(QWidget* widget, QObject* owner) : TControl(widget, owner) {}
  bool handleEvent(QEvent* event) override;

private:
  int tabOrder_ = -1;
  bool replaying_ = false;
};

// A control that paints itself with its canvas in OnPaint.
class TCustomControl : public TWinControl {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TCustomControl(QObject* owner = nullptr);

protected:
  TCustomControl(QWidget* widget, QObject* owner) : TWinControl(widget, owner) {}
};

class TGraphicControl : public TControl {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TGraphicControl(QObject* owner = nullptr);

protected:
  TGraphicControl(QWidget* widget, QObject* owner) : TControl(widget, owner) {}
};

class TGroupBox : public TCustomControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)

public:
  Q_INVOKABLE explicit TGroupBox(QObject* owner = nullptr);
  QString caption() const;
  void setCaption(const QString& caption);
};

class TLabel : public TGraphicControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(int Alignment READ alignment WRITE setAlignment)
  Q_PROPERTY(int Layout READ layout WRITE setLayout)
  Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
  Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
  Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)

public:
  Q_INVOKABLE explicit TLabel(QObject* owner = nullptr);
  QString caption() const;
  void setCaption(const QString& caption);
  int alignment() const { return alignment_; }
  void setAlignment(int alignment);
  int layout() const { return layout_; }
  void setLayout(int layout);
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool autoSize);
  bool wordWrap() const;
  void setWordWrap(bool wrap);
  bool transparent() const { return transparent_; }
  void setTransparent(bool transparent);

private:
  void applyAlignment();
  void fitText();
  int alignment_ = 0;
  int layout_ = 0;
  bool autoSize_ = true;
  bool transparent_ = false;
};

class TEdit : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
  Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
  Q_PROPERTY(QString PasswordChar READ passwordChar WRITE setPasswordChar)
  Q_PROPERTY(int CharCase READ charCase WRITE setCharCase)
  Q_PROPERTY(int SelStart READ selStart WRITE setSelStart)
  Q_PROPERTY(int SelLength READ selLength WRITE setSelLength)
  Q_PROPERTY(QString SelText READ selText WRITE setSelText)

public:
  Q_INVOKABLE explicit TEdit(QObject* owner = nullptr);
  QLineEdit* edit() const;
  QString text() const;
  void setText(const QString& text);
  bool readOnly() const;
  void setReadOnly(bool readOnly);
  int maxLength() const;
  void setMaxLength(int length);
  QString passwordChar() const { return passwordChar_; }
  void setPasswordChar(const QString& c);
  int charCase() const { return charCase_; }
  void setCharCase(int charCase);
  int selStart() const;
  void setSelStart(int start);
  int selLength() const;
  void setSelLength(int length);
  QString selText() const;
  void setSelText(const QString& text);
  void clear() { setText(QString()); }
  void selectAll();

signals:
  void OnChange();

private:
  QString passwordChar_;
  int charCase_ = 0;
};

class TMemo : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
  Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
  Q_PROPERTY(int ScrollBars READ scrollBars WRITE setScrollBars)

public:
  Q_INVOKABLE explicit TMemo(QObject* owner = nullptr);
  QPlainTextEdit* memo() const;
  QString text() const;
  void setText(const QString& text);
  bool readOnly() const;
  void setReadOnly(bool readOnly);
  bool wordWrap() const;
  void setWordWrap(bool wrap);
  int scrollBars() const { return scrollBars_; }
  void setScrollBars(int bars);
  // The lines, kept in step with the text both ways.
  TStrings* lines();
  void clear() { setText(QString()); }
  void selectAll();

signals:
  void OnChange();

protected:
  bool handleEvent(QEvent* event) override;

private:
  void pushLines();
  void pullLines();
  QPointer<TStrings> lines_;
  QStringList shown_;
  int scrollBars_ = 0;
  bool syncing_ = false;
};

class TCustomComboBox : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
  Q_PROPERTY(int Style READ style WRITE setStyle)
  Q_PROPERTY(int DropDownCount READ dropDownCount WRITE setDropDownCount)
  Q_PROPERTY(bool Sorted READ sorted WRITE setSorted)

public:
  Q_INVOKABLE explicit TCustomComboBox(QObject* owner = nullptr);
  QComboBox* combo() const;
  QString text() const;
  void setText(const QString& text);
  int itemIndex() const;
  void setItemIndex(int index);
  int style() const { return style_; }
  void setStyle(int style);
  int dropDownCount() const;
  void setDropDownCount(int count);
  bool sorted() const { return sorted_; }
  void setSorted(bool sorted);
  TStrings* items();
  void clear();
  // The items list into the widget, when it has changed.
  void syncItems() const;

signals:
  void OnChange();
  void OnDropDown();
  void OnCloseUp();

protected:
  bool handleEvent(QEvent* event) override;

private:
  QPointer<TStrings> items_;
  int style_ = 0;
  bool sorted_ = false;
  mutable bool syncing_ = false;
};

class TComboBox : public TCustomComboBox {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TComboBox(QObject* owner = nullptr) : TCustomComboBox(owner) {}
};

class TButton : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
  Q_PROPERTY(bool Cancel READ cancel WRITE setCancel)
  Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)

public:
  Q_INVOKABLE explicit TButton(QObject* owner = nullptr);
  QString caption() const;
  void setCaption(const QString& caption);
  bool isDefault() const;
  void setDefault(bool d);
  bool cancel() const { return cancel_; }
  void setCancel(bool c) { cancel_ = c; }
  int modalResult() const { return modalResult_; }
  void setModalResult(int r) { modalResult_ = r; }
  // As if the user clicked (nothing when disabled).
  void click();

protected:
  bool clicksNatively() const override { return true; }

private:
  void clicked();
  bool cancel_ = false;
  int modalResult_ = mrNone;
};

class TCheckBox : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(bool Checked READ checked WRITE setChecked)
  Q_PROPERTY(int State READ state WRITE setState)
  Q_PROPERTY(bool AllowGrayed READ allowGrayed WRITE setAllowGrayed)

public:
  Q_INVOKABLE explicit TCheckBox(QObject* owner = nullptr);
  QString caption() const;
  void setCaption(const QString& caption);
  bool checked() const;
  void setChecked(bool checked);
  // TCheckBoxState: cbUnchecked, cbChecked, cbGrayed.
  int state() const;
  void setState(int state);
  bool allowGrayed() const;
  void setAllowGrayed(bool allow);

protected:
  bool clicksNatively() const override { return true; }
};

class TRadioButton : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(bool Checked READ checked WRITE setChecked)

public:
  Q_INVOKABLE explicit TRadioButton(QObject* owner = nullptr);
  QString caption() const;
  void setCaption(const QString& caption);
  bool checked() const;
  void setChecked(bool checked);

protected:
  bool clicksNatively() const override { return true; }
};

class TCustomListBox : public TWinControl {
  Q_OBJECT
  Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex)
  Q_PROPERTY(bool MultiSelect READ multiSelect WRITE setMultiSelect)
  Q_PROPERTY(bool Sorted READ sorted WRITE setSorted)
  Q_PROPERTY(int Style READ style WRITE setStyle)
  Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
  Q_PROPERTY(int SelCount READ selCount)

public:
  Q_INVOKABLE explicit TCustomListBox(QObject* owner = nullptr);
  QListWidget* list() const;
  int itemIndex() const;
  void setItemIndex(int index);
  bool multiSelect() const;
  void setMultiSelect(bool multi);
  bool sorted() const { return sorted_; }
  void setSorted(bool sorted);
  int style() const { return style_; }
  void setStyle(int style) { style_ = style; }
  int itemHeight() const { return itemHeight_; }
  void setItemHeight(int height) { itemHeight_ = height; }
  int selCount() const;
  bool selected(int index) const;
  void setSelected(int index, bool selected);
  TStrings* items();
  void clear();
  void syncItems() const;

protected:
  bool clicksNatively() const override { return true; }
  bool handleEvent(QEvent* event) override;

private:
  QPointer<TStrings> items_;
  bool sorted_ = false;
  int style_ = 0;
  int itemHeight_ = 16;
  mutable bool syncing_ = false;
};

class TListBox : public TCustomListBox {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TListBox(QObject* owner = nullptr) : TCustomListBox(owner) {}
};

// One scroll bar of a scroll box or form.
class TControlScrollBar : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Position READ position WRITE setPosition)
  Q_PROPERTY(int Range READ range WRITE setRange)
  Q_PROPERTY(int Increment READ increment WRITE setIncrement)
  Q_PROPERTY(bool Visible READ visible WRITE setVisible)

public:
  TControlScrollBar(QScrollArea* area, Qt::Orientation orientation, QObject* parent);
  int position() const;
  void setPosition(int position);
  int range() const { return range_; }
  void setRange(int range);
  int increment() const;
  void setIncrement(int increment);
  bool visible() const { return visible_; }
  void setVisible(bool visible);

private:
  QScrollBar* bar() const;
  QPointer<QScrollArea> area_;
  Qt::Orientation orientation_;
  int range_ = 0;
  int position_ = 0;
  int increment_ = 8;
  bool visible_ = true;
};

class TScrollingWinControl : public TWinControl {
  Q_OBJECT

public:
  TControlScrollBar* horzScrollBar();
  TControlScrollBar* vertScrollBar();

protected:
  TScrollingWinControl(QWidget* widget, QObject* owner) : TWinControl(widget, owner) {}
  // The scroll area whose bars the scroll bar objects drive (none for a form).
  virtual QScrollArea* scrollArea() const { return nullptr; }

private:
  QPointer<TControlScrollBar> horz_;
  QPointer<TControlScrollBar> vert_;
};

class TScrollBox : public TScrollingWinControl {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TScrollBox(QObject* owner = nullptr);
  QWidget* containerWidget() const override;

protected:
  QScrollArea* scrollArea() const override;
  bool handleEvent(QEvent* event) override;

private:
  QPointer<QWidget> inner_;
};

class TCustomForm : public TScrollingWinControl {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
  Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
  Q_PROPERTY(int Position READ position WRITE setPosition)
  Q_PROPERTY(int WindowState READ windowState WRITE setWindowState)
  Q_PROPERTY(int FormStyle READ formStyle WRITE setFormStyle)
  Q_PROPERTY(bool KeyPreview READ keyPreview WRITE setKeyPreview)

public:
  Q_INVOKABLE explicit TCustomForm(QObject* owner = nullptr);
  ~TCustomForm() override;

  QString caption() const;
  void setCaption(const QString& caption);
  int modalResult() const { return modalResult_; }
  // A result other than mrNone closes a form shown modally.
  void setModalResult(int result);
  int borderStyle() const { return borderStyle_; }
  void setBorderStyle(int style);
  int position() const { return position_; }
  void setPosition(int position) { position_ = position; }
  int windowState() const;
  void setWindowState(int state);
  int formStyle() const { return formStyle_; }
  void setFormStyle(int style);
  bool keyPreview() const { return keyPreview_; }
  void setKeyPreview(bool preview) { keyPreview_ = preview; }
  void setVisible(bool visible) override;

  // Shows the form and waits until it closes; the modal result. Outside
  // the window system's own mode (tests, command-line tools) nothing waits:
  // the form gets OnShow and OnHide, and the result is the next queued one
  // (QueueModalResult), else what OnShow left in ModalResult, else mrCancel.
  int showModal();
  // Asks OnCloseQuery and OnClose, then hides (or frees, or minimizes) the
  // form; a modal form ends its ShowModal.
  void close();
  bool isModal() const { return modal_; }

  // Called by the form's window for the user's own closing.
  bool tryClose(int result);

signals:
  void OnActivate();
  void OnDeactivate();
  void OnClose(int& action);
  void OnCloseQuery(bool& canClose);
  void OnCreate();
  void OnDestroy();
  void OnShow();
  void OnHide();

protected:
  bool handleEvent(QEvent* event) override;

private:
  FormWidget* form() const;
  void created();
  void placeOnScreen();

  int modalResult_ = mrNone;
  int borderStyle_ = 2;  // bsSizeable
  int position_ = 0;
  int formStyle_ = 0;
  bool keyPreview_ = false;
  bool modal_ = false;
  bool createdFired_ = false;
};

class TForm : public TCustomForm {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TForm(QObject* owner = nullptr) : TCustomForm(owner) {}
};

// A container of components without a window.
class TDataModule : public TComponent {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TDataModule(QObject* owner = nullptr) : TComponent(owner) {}
  ~TDataModule() override;

signals:
  void OnDestroy();
};

// The program as scripts see it.
class TApplication : public TComponent {
  Q_OBJECT
  Q_PROPERTY(QString ExeName READ exeName)
  Q_PROPERTY(QString Title READ title WRITE setTitle)
  Q_PROPERTY(bool Terminated READ terminated)

public:
  explicit TApplication(QObject* owner = nullptr) : TComponent(owner) {}
  QString exeName() const;
  QString title() const;
  void setTitle(const QString& title);
  bool terminated() const { return terminated_; }
  void processMessages();
  // Asks the program to end once the script is done.
  void terminate();
  void minimize();
  void restore();

private:
  bool terminated_ = false;
};

// A modal result for the next form shown modally outside the window system
// (tests, command-line tools); taken in order.
void QueueModalResult(int result);
void ClearQueuedModalResults();

}  // namespace valmoro::script::forms
