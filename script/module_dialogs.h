#pragma once
// The dialogs binding module: MessageDlg, InputBox and InputQuery with the
// TMsgDlgType and TMsgDlgButtons values and the modal results mrNone ...
// mrYesToAll; the common dialog classes TCommonDialog, TOpenDialog,
// TSaveDialog, TColorDialog, TFontDialog, TPrintDialog and
// TPrinterSetupDialog with their option sets and enumerations (TOpenOptions,
// TFileEditStyle, TColorDialogOptions, TFontDialogOptions,
// TFontDialogDevice, TPrintRange, TPrintDialogOptions). Everything goes
// through the platform dialog layer, so it answers from the console in the
// command-line tool and from queued answers under tests.

#include "host_classes.h"

namespace valmoro::script {

class TfsDialogsModule : public TfsRTTIModule {
public:
  explicit TfsDialogsModule(TfsScript* script);
};

void RegisterDialogsModule();

}  // namespace valmoro::script
