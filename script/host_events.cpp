#include "host_events.h"

#include <QMetaMethod>
#include <QObject>
#include <new>

#include "platform/dialogs.h"
#include "run_error.h"

namespace valmoro::script {

// ---- Shift states, buttons, sets -----------------------------------------------------------

int ShiftStateBits(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick) {
  int bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= shift_bits::Shift;
  if (modifiers & Qt::AltModifier) bits |= shift_bits::Alt;
  if (modifiers & Qt::ControlModifier) bits |= shift_bits::Ctrl;
  if (buttons & Qt::LeftButton) bits |= shift_bits::Left;
  if (buttons & Qt::RightButton) bits |= shift_bits::Right;
  if (buttons & Qt::MiddleButton) bits |= shift_bits::Middle;
  if (doubleClick) bits |= shift_bits::Double;
  return bits;
}

int MouseButtonValue(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return mouse_button::Right;
    case Qt::MiddleButton:
      return mouse_button::Middle;
    default:
      return mouse_button::Left;
  }
}

Variant SetValueOfBits(qint64 bits) { return Variant::FromInt64(bits); }

qint64 SetBitsOf(const Variant& value) {
  if (!value.IsArray()) return value.IsVoid() ? 0 : value.ToInt64();
  qint64 bits = 0;
  for (const Variant& member : value.AsArray().Elements())
    if (!member.IsVoid()) bits |= member.ToInt64();
  return bits;
}

// ---- Virtual keys ---------------------------------------------------------------------------

const std::vector<VirtualKeyName>& VirtualKeyNames() {
  static const std::vector<VirtualKeyName> names = [] {
    std::vector<VirtualKeyName> v = {
        {"VK_RBUTTON", 0x02}, {"VK_CANCEL", 0x03},   {"VK_MBUTTON", 0x04},  {"VK_BACK", 0x08},
        {"VK_TAB", 0x09},     {"VK_CLEAR", 0x0C},    {"VK_RETURN", 0x0D},   {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12},     {"VK_PAUSE", 0x13},    {"VK_CAPITAL", 0x14},
        {"VK_ESCAPE", 0x1B},  {"VK_SPACE", 0x20},    {"VK_PRIOR", 0x21},    {"VK_NEXT", 0x22},
        {"VK_END", 0x23},     {"VK_HOME", 0x24},     {"VK_LEFT", 0x25},     {"VK_UP", 0x26},
        {"VK_RIGHT", 0x27},   {"VK_DOWN", 0x28},     {"VK_SELECT", 0x29},   {"VK_PRINT", 0x2A},
        {"VK_EXECUTE", 0x2B}, {"VK_SNAPSHOT", 0x2C}, {"VK_INSERT", 0x2D},   {"VK_DELETE", 0x2E},
        {"VK_HELP", 0x2F},    {"VK_LWIN", 0x5B},     {"VK_RWIN", 0x5C},     {"VK_APPS", 0x5D},
    };
    static const char* const kNumpad[] = {"VK_NUMPAD0", "VK_NUMPAD1", "VK_NUMPAD2", "VK_NUMPAD3", "VK_NUMPAD4",
                                          "VK_NUMPAD5", "VK_NUMPAD6", "VK_NUMPAD7", "VK_NUMPAD8", "VK_NUMPAD9"};
    for (int i = 0; i < 10; ++i) v.push_back({kNumpad[i], 0x60 + i});
    const VirtualKeyName operators[] = {{"VK_MULTIPLY", 0x6A}, {"VK_ADD", 0x6B},    {"VK_SEPARATOR", 0x6C},
                                        {"VK_SUBTRACT", 0x6D}, {"VK_DECIMAL", 0x6E}, {"VK_DIVIDE", 0x6F}};
    v.insert(v.end(), std::begin(operators), std::end(operators));
    static const char* const kFunction[] = {"VK_F1",  "VK_F2",  "VK_F3",  "VK_F4",  "VK_F5",  "VK_F6",
                                            "VK_F7",  "VK_F8",  "VK_F9",  "VK_F10", "VK_F11", "VK_F12",
                                            "VK_F13", "VK_F14", "VK_F15", "VK_F16", "VK_F17", "VK_F18",
                                            "VK_F19", "VK_F20", "VK_F21", "VK_F22", "VK_F23", "VK_F24"};
    for (int i = 0; i < 24; ++i) v.push_back({kFunction[i], 0x70 + i});
    v.push_back({"VK_NUMLOCK", 0x90});
    v.push_back({"VK_SCROLL", 0x91});
    return v;
  }();
  return names;
}

namespace {

struct KeyPair {
  int qt;
  int vk;
};

// Keys whose codes differ between Qt and the virtual-key numbers.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},  {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},    {Qt::Key_Shift, 0x10},    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},       {Qt::Key_Pause, 0x13},    {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},   {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},     {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Select, 0x29},   {Qt::Key_Print, 0x2C},    {Qt::Key_Execute, 0x2B},
    {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},   {Qt::Key_Help, 0x2F},     {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},      {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},     {Qt::Key_Minus, 0x6D},
    {Qt::Key_Slash, 0x6F},     {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
};

}  // namespace

int VirtualKeyOf(int qtKey) {
  // Letters and digits share their codes.
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  for (const KeyPair& k : kKeys)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

int QtKeyOfVirtualKey(int virtualKey) {
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) return virtualKey;
  if (virtualKey >= 0x70 && virtualKey <= 0x87) return Qt::Key_F1 + (virtualKey - 0x70);
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return Qt::Key_0 + (virtualKey - 0x60);
  for (const KeyPair& k : kKeys)
    if (k.vk == virtualKey) return k.qt;
  return 0;
}

// ---- The receiver -------------------------------------------------------------------------------

// The object that listens to the instance's signal on an adaptor's behalf.
class TfsEventReceiver : public QObject {
  Q_OBJECT

public:
  explicit TfsEventReceiver(TfsSignalEvent* adaptor) : adaptor_(adaptor) {}
  void detach() { adaptor_ = nullptr; }
  bool busy() const { return depth_ > 0; }

public slots:
  void notify() {
    Busy busy{this};
    if (adaptor_) adaptor_->onNotify();
  }
  void mouse(int button, int shift, int x, int y) {
    Busy busy{this};
    if (adaptor_) adaptor_->onMouse(button, shift, x, y);
  }
  void mouseMove(int shift, int x, int y) {
    Busy busy{this};
    if (adaptor_) adaptor_->onMouseMove(shift, x, y);
  }
  void key(int& key, int shift) {
    Busy busy{this};
    if (adaptor_) adaptor_->onKey(key, shift);
  }
  void keyPress(QString& key) {
    Busy busy{this};
    if (adaptor_) adaptor_->onKeyPress(key);
  }
  void close(int& action) {
    Busy busy{this};
    if (adaptor_) adaptor_->onClose(action);
  }
  void closeQuery(bool& canClose) {
    Busy busy{this};
    if (adaptor_) adaptor_->onCloseQuery(canClose);
  }
  void canResize(int& width, int& height, bool& resize) {
    Busy busy{this};
    if (adaptor_) adaptor_->onCanResize(width, height, resize);
  }

private:
  struct Busy {
    TfsEventReceiver* r;
    explicit Busy(TfsEventReceiver* receiver) : r(receiver) { ++r->depth_; }
    ~Busy() { --r->depth_; }
  };
  TfsSignalEvent* adaptor_;
  int depth_ = 0;
};

// ---- TfsSignalEvent ------------------------------------------------------------------------------

TfsSignalEvent::TfsSignalEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName,
                               const char* signalArgs, const char* slot)
    : TfsCustomEvent(instance, handler, eventName), signalArgs_(signalArgs), slot_(slot) {}

TfsSignalEvent::~TfsSignalEvent() { TfsSignalEvent::Disconnect(); }

void TfsSignalEvent::Connect() {
  Disconnect();
  QObject* instance = Instance();
  if (!instance) return;
  // The signal of the event's name (in any case) with the arguments of this kind.
  const QMetaObject* mo = instance->metaObject();
  const QByteArray args = QMetaObject::normalizedSignature(QByteArray("x") + signalArgs_).mid(1);
  int signalIndex = -1;
  for (int i = 0; i < mo->methodCount() && signalIndex < 0; ++i) {
    const QMetaMethod m = mo->method(i);
    if (m.methodType() != QMetaMethod::Signal) continue;
    const QByteArray sig = m.methodSignature();
    const QByteArray name = m.name();
    if (QString::fromLatin1(name).compare(EventName(), Qt::CaseInsensitive) == 0 && sig.mid(name.size()) == args)
      signalIndex = i;
  }
  if (signalIndex < 0)
    throw RunError(error_class::InvalidOperation,
                   QStringLiteral("Object of class %1 has no event %2")
                       .arg(ScriptClassName(mo), EventName()));
  auto receiver = std::make_unique<TfsEventReceiver>(this);
  const int slotIndex =
      TfsEventReceiver::staticMetaObject.indexOfSlot(QMetaObject::normalizedSignature(slot_).constData());
  Q_ASSERT(slotIndex >= 0);
  if (!QMetaObject::connect(instance, signalIndex, receiver.get(), slotIndex, Qt::DirectConnection))
    throw RunError(error_class::InvalidOperation, QStringLiteral("Cannot connect event %1").arg(EventName()));
  receiver_ = receiver.release();
}

void TfsSignalEvent::Disconnect() {
  if (!receiver_) return;
  // The receiver may be inside its slot right now (a routine that assigns
  // its own event anew): it is cut loose and freed once control is back in
  // the event loop.
  receiver_->detach();
  if (Instance()) QObject::disconnect(Instance(), nullptr, receiver_, nullptr);
  if (receiver_->busy()) receiver_->deleteLater();
  else delete receiver_;
  receiver_ = nullptr;
}

bool TfsSignalEvent::Fire(std::vector<Variant>& arguments) {
  try {
    return CallHandler(arguments);
  } catch (const ScriptError& e) {
    dialogs::showError(e.message());
    return true;
  } catch (const std::bad_alloc&) {
    // Never through Qt's event loop, which cannot pass exceptions on.
    dialogs::showError(QStringLiteral("Out of memory"));
    return true;
  }
}

// ---- Adaptors ---------------------------------------------------------------------------------------

TfsNotifyEvent::TfsNotifyEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "()", "notify()") {}

void TfsNotifyEvent::onNotify() {
  std::vector<Variant> args{Variant::FromObject(Instance())};
  Fire(args);
}

TfsMouseEvent::TfsMouseEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(int,int,int,int)", "mouse(int,int,int,int)") {}

void TfsMouseEvent::onMouse(int button, int shift, int x, int y) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(button), SetValueOfBits(shift), Variant(x),
                            Variant(y)};
  Fire(args);
}

TfsMouseMoveEvent::TfsMouseMoveEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(int,int,int)", "mouseMove(int,int,int)") {}

void TfsMouseMoveEvent::onMouseMove(int shift, int x, int y) {
  std::vector<Variant> args{Variant::FromObject(Instance()), SetValueOfBits(shift), Variant(x), Variant(y)};
  Fire(args);
}

TfsKeyEvent::TfsKeyEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(int&,int)", "key(int&,int)") {}

void TfsKeyEvent::onKey(int& key, int shift) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(key), SetValueOfBits(shift)};
  Fire(args);
  key = args[1].IsVoid() ? 0 : args[1].ToInt();
}

TfsKeyPressEvent::TfsKeyPressEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(QString&)", "keyPress(QString&)") {}

void TfsKeyPressEvent::onKeyPress(QString& key) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(key.left(1))};
  Fire(args);
  // The first character of what came back; #0 (or nothing) drops the key.
  key = args[1].ToString().left(1);
}

TfsCloseEvent::TfsCloseEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(int&)", "close(int&)") {}

void TfsCloseEvent::onClose(int& action) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(action)};
  Fire(args);
  action = args[1].ToInt();
}

TfsCloseQueryEvent::TfsCloseQueryEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(bool&)", "closeQuery(bool&)") {}

void TfsCloseQueryEvent::onCloseQuery(bool& canClose) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(canClose)};
  Fire(args);
  canClose = args[1].ToBool();
}

TfsCanResizeEvent::TfsCanResizeEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName)
    : TfsSignalEvent(instance, handler, eventName, "(int&,int&,bool&)", "canResize(int&,int&,bool&)") {}

void TfsCanResizeEvent::onCanResize(int& width, int& height, bool& resize) {
  std::vector<Variant> args{Variant::FromObject(Instance()), Variant(width), Variant(height), Variant(resize)};
  Fire(args);
  width = args[1].ToInt();
  height = args[2].ToInt();
  resize = args[3].ToBool();
}

}  // namespace valmoro::script

#include "host_events.moc"
