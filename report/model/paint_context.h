#pragma once
// What one drawing of a report object goes by besides the canvas: why it is
// drawn, where (device pixels = offset + scale × report pixels), the figures
// known only when a page goes out, and what that output allows. Callers pass
// it down instead of setting flags on the objects and putting them back, so
// drawing leaves the object drawn as it was.

#include <QString>

namespace valmoro::report {

class TfrxCustomMemoView;

enum class PaintPurpose {
  Screen,  // the preview, a page rendered to a picture
  Print,   // a printer's sheet
  Export,  // an export file
  Design,  // the designer's workspace
};

struct PaintContext {
  // A text view's text with "[TotalPages#]" and "[CopyName#]" filled from
  // the figures below; the text drawn is the answer, the view keeps its own.
  using PlaceholderFiller = QString (*)(const TfrxCustomMemoView& view, const QString& text, int totalPages,
                                        int copyNumber);

  PaintPurpose purpose = PaintPurpose::Screen;
  double scaleX = 1, scaleY = 1;
  double offsetX = 0, offsetY = 0;
  // The page store's count and the copy being printed; used only when a
  // filler is given (exports fill the placeholders before they draw).
  int totalPages = 0;
  int copyNumber = 1;
  PlaceholderFiller fillPlaceholders = nullptr;
  // Off: text views draw their tags as plain text whatever their own
  // AllowHTMLTags says.
  bool htmlTags = true;
  // Pictures are stretched as on paper also when the output is not a sheet
  // (the PDF export's print-optimised pictures).
  bool printOptimized = false;

  bool designing() const { return purpose == PaintPurpose::Design; }
  bool picturesAsOnPaper() const { return printOptimized || purpose == PaintPurpose::Print; }
  // The same drawing moved by (dx, dy) device pixels.
  PaintContext movedBy(double dx, double dy) const {
    PaintContext moved = *this;
    moved.offsetX += dx;
    moved.offsetY += dy;
    return moved;
  }
};

}  // namespace valmoro::report
