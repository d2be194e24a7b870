#pragma once
// The progress window of the long steps of an export (building the grid,
// writing rows): a real window on the desktop, nothing elsewhere.

#include <memory>

#include "export/ie_matrix.h"

namespace valmoro::exports {

// None when no window can be shown (tests, command-line runs).
std::unique_ptr<ExportProgress> MakeWindowProgress();

}  // namespace valmoro::exports
