#pragma once
// The classes binding module, as far as it goes: TObject (Create, Free,
// ClassName), the string lists TStrings and TStringList, the TDuplicates
// values and the file-mode and seek-origin constants. Lists, collections,
// streams, TComponent and the XML classes are not registered yet.

#include "host_classes.h"

namespace valmoro::script {

class TfsClassesModule : public TfsRTTIModule {
public:
  explicit TfsClassesModule(TfsScript* script);
};

// TObject with Create, Free and ClassName, unless the script has it already.
void RegisterObjectClass(TfsScript* script);

void RegisterClassesModule();

}  // namespace valmoro::script
