#pragma once
// The graphics binding module: fonts, pens, brushes, canvases, bitmaps,
// metafiles and pictures for scripts, the font, pen and brush styles, the
// TColor type and the colour names.

#include "host_classes.h"

namespace valmoro::script {

class TfsGraphicsModule : public TfsRTTIModule {
public:
  explicit TfsGraphicsModule(TfsScript* script);
};

void RegisterGraphicsModule();

}  // namespace valmoro::script
