#pragma once
// The dialogs binding module, as far as it goes: MessageDlg, InputBox and
// InputQuery with the TMsgDlgType and TMsgDlgButtons values and the modal
// results mrNone ... mrYesToAll, all through the platform dialog layer, so
// they answer from the console in the command-line tool and from queued
// answers under tests. The dialog classes (TOpenDialog and the rest) are
// not registered yet.

#include "host_classes.h"

namespace valmoro::script {

class TfsDialogsModule : public TfsRTTIModule {
public:
  explicit TfsDialogsModule(TfsScript* script);
};

void RegisterDialogsModule();

}  // namespace valmoro::script
