#pragma once
// The ini-files binding module: TCustomIniFile, TMemIniFile and TIniFile
// for scripts (and TObject with Create, Free and ClassName when no other
// module has registered it yet).

#include <memory>

#include "host_classes.h"

namespace valmoro::script {

class TfsIniFilesModule : public TfsRTTIModule {
public:
  explicit TfsIniFilesModule(TfsScript* script);
};

// Appends the module to the process-wide list (once is enough; again
// replaces it). The program calls it while it starts.
void RegisterIniFilesModule();

}  // namespace valmoro::script
