#pragma once
// The forms binding module: windows and controls for scripts (TForm,
// TButton, TEdit, ...), their events, the modal results, cursors, virtual
// keys and the enumerations of the form and control properties, and the
// object "Application".
//
// ShowModal waits for the user only when the dialog layer shows real
// windows; in its recording and console modes it returns at once (see
// forms::TCustomForm::showModal and forms::QueueModalResult).

#include <QPointer>

#include "host_classes.h"

namespace valmoro::script {

class TfsFormsModule : public TfsRTTIModule {
public:
  explicit TfsFormsModule(TfsScript* script);
  ~TfsFormsModule() override;

private:
  // A script may free the object itself (Application.Free); the module
  // frees only what is left.
  QPointer<QObject> application_;
};

void RegisterFormsModule();

}  // namespace valmoro::script
