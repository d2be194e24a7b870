#pragma once
// The paper table as the report tree uses it; it lives with the printers.

#include "platform/paper_table.h"

namespace valmoro::report {

using printers::findPaper;
using printers::kCustomPaperSize;
using printers::PaperDimensions;
using printers::paperTable;
using printers::PaperTableRow;

}  // namespace valmoro::report
