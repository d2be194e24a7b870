#pragma once
// The paper sizes known by code (the platform's paper numbering; 256 is a
// custom size). Process-wide and constant. The printers look their papers up
// here, and report pages take their sizes from it.

#include <optional>
#include <span>

namespace valmoro::printers {

inline constexpr int kCustomPaperSize = 256;

struct PaperTableRow {
  int code;
  const char* name;  // empty in every row
  int width;         // tenths of a millimetre
  int height;
};

// Width and height of a paper in millimetres.
struct PaperDimensions {
  double width;
  double height;
};

// The 66 rows, in code order.
std::span<const PaperTableRow> paperTable();
// The first row with that code; nothing for a code without a row.
std::optional<PaperDimensions> findPaper(int code);

}  // namespace valmoro::printers
