#pragma once
// The ini-files binding module: TCustomIniFile, TMemIniFile and TIniFile
// for scripts (and TObject with Create, Free and ClassName when no other
// module has registered it yet): typed values, sections, binary values from
// and to streams, whole string lists (see TCustomIniFile::writeStrings for
// their layout), and the whole file to and from string lists and streams.

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
