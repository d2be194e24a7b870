#pragma once
// The editors of how objects look: picture, frame, fill and text style,
// in the order the context menu lists them.

#include <vector>

#include "designer/object_editors.h"

namespace valmoro::designer {

std::vector<ObjectEditor> LookEditors();

}  // namespace valmoro::designer
