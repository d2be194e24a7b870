#pragma once
// The forms binding module: windows and controls for scripts (TForm,
// TButton, TEdit, ...), their events, the modal results, cursors, virtual
// keys and the enumerations of the form and control properties, and the
// object "Application".
//
// ShowModal waits for the user only when the dialog layer shows real
// windows; in its recording and console modes it returns at once (see
// forms::TCustomForm::showModal and forms::QueueModalResult).

#include <memory>

#include "host_classes.h"

namespace valmoro::script {

namespace forms {
class TApplication;
}

class TfsFormsModule : public TfsRTTIModule {
public:
  explicit TfsFormsModule(TfsScript* script);
  ~TfsFormsModule() override;

private:
  std::unique_ptr<forms::TApplication> application_;
};

void RegisterFormsModule();

}  // namespace valmoro::script
