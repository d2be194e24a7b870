#pragma once
// Event adaptors: they join an event of a host object to a script routine.
//
// A host object offers an event as a Qt signal named after the event
// ("OnClick", "OnKeyPress", ...) with the arguments of its kind:
//
//   adaptor              signal arguments                      routine arguments (var: written back)
//   TfsNotifyEvent       ()                                    Sender
//   TfsMouseEvent        (int button, int shift, int x, int y) Sender, Button, Shift, X, Y
//   TfsMouseMoveEvent    (int shift, int x, int y)             Sender, Shift, X, Y
//   TfsKeyEvent          (int& key, int shift)                 Sender, var Key, Shift
//   TfsKeyPressEvent     (QString& key)                        Sender, var Key (one character)
//   TfsCloseEvent        (int& action)                         Sender, var Action
//   TfsCloseQueryEvent   (bool& canClose)                      Sender, var CanClose
//   TfsCanResizeEvent    (int& width, int& height, bool& ok)   Sender, var NewWidth, NewHeight, Resize
//
// The signal's reference arguments receive what the routine wrote back, so
// the object can act on it (drop a key, keep a window open). Shift states
// reach the routine as sets (arrays of member bits), so that "ssShift in
// Shift" works. An error the routine raises while an event is being
// dispatched cannot travel through the window system: it is shown in an
// error box instead.

#include <Qt>
#include <memory>

#include "host_classes.h"

namespace valmoro::script {

// Members of TShiftState, as bits of the set.
namespace shift_bits {
inline constexpr int Shift = 1;
inline constexpr int Alt = 2;
inline constexpr int Ctrl = 4;
inline constexpr int Left = 8;
inline constexpr int Right = 16;
inline constexpr int Middle = 32;
inline constexpr int Double = 64;
}  // namespace shift_bits

// Values of TMouseButton.
namespace mouse_button {
inline constexpr int Left = 0;
inline constexpr int Right = 1;
inline constexpr int Middle = 2;
}  // namespace mouse_button

int ShiftStateBits(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick = false);
// TMouseButton of a Qt button (Left for anything unknown).
int MouseButtonValue(Qt::MouseButton button);
// A set as host objects hand it to scripts: its bit value (the "in" test
// reads such a number as a set). Back from a bit value or from an array of
// members written in a script ([fsBold, fsItalic]).
Variant SetValueOfBits(qint64 bits);
qint64 SetBitsOf(const Variant& value);

// The virtual-key code of a Qt key (VK_RETURN for Qt::Key_Return, 'A' for
// Qt::Key_A, ...); 0 for a key without one. QtKeyOfVirtualKey is the way back.
int VirtualKeyOf(int qtKey);
int QtKeyOfVirtualKey(int virtualKey);
// The virtual-key constants as scripts know them, in code order.
struct VirtualKeyName {
  const char* name;
  int code;
};
const std::vector<VirtualKeyName>& VirtualKeyNames();

class TfsEventReceiver;

// The common part: finds the instance's signal named after the event and
// listens to it while connected.
class TfsSignalEvent : public TfsCustomEvent {
public:
  ~TfsSignalEvent() override;
  void Connect() override;
  void Disconnect() override;

protected:
  // signalArgs: the argument list of the signal ("(int&,int)"); slot: the
  // receiver's slot that takes it.
  TfsSignalEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName, const char* signalArgs,
                 const char* slot);
  // Runs the routine; errors go to an error box. False when the adaptor
  // was freed by the routine.
  bool Fire(std::vector<Variant>& arguments);

private:
  friend class TfsEventReceiver;
  virtual void onNotify() {}
  virtual void onMouse(int, int, int, int) {}
  virtual void onMouseMove(int, int, int) {}
  virtual void onKey(int&, int) {}
  virtual void onKeyPress(QString&) {}
  virtual void onClose(int&) {}
  virtual void onCloseQuery(bool&) {}
  virtual void onCanResize(int&, int&, bool&) {}

  const char* signalArgs_;
  const char* slot_;
  TfsEventReceiver* receiver_ = nullptr;
};

class TfsNotifyEvent : public TfsSignalEvent {
public:
  TfsNotifyEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onNotify() override;
};

class TfsMouseEvent : public TfsSignalEvent {
public:
  TfsMouseEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onMouse(int button, int shift, int x, int y) override;
};

class TfsMouseMoveEvent : public TfsSignalEvent {
public:
  TfsMouseMoveEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onMouseMove(int shift, int x, int y) override;
};

class TfsKeyEvent : public TfsSignalEvent {
public:
  TfsKeyEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onKey(int& key, int shift) override;
};

class TfsKeyPressEvent : public TfsSignalEvent {
public:
  TfsKeyPressEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onKeyPress(QString& key) override;
};

class TfsCloseEvent : public TfsSignalEvent {
public:
  TfsCloseEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onClose(int& action) override;
};

class TfsCloseQueryEvent : public TfsSignalEvent {
public:
  TfsCloseQueryEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onCloseQuery(bool& canClose) override;
};

class TfsCanResizeEvent : public TfsSignalEvent {
public:
  TfsCanResizeEvent(QObject* instance, TfsProcVariable* handler, const QString& eventName);

private:
  void onCanResize(int& width, int& height, bool& resize) override;
};

// The factory AddEvent takes, for one adaptor class.
template <class Adaptor>
TfsEventFactory EventFactory() {
  return [](QObject* instance, TfsProcVariable* handler, const QString& name) -> std::unique_ptr<TfsCustomEvent> {
    return std::make_unique<Adaptor>(instance, handler, name);
  };
}

}  // namespace valmoro::script
