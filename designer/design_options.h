#pragma once
// How the designer's workspace shows and snaps: the unit of the rulers and
// of the status bar, the grid, the kinds of snapping and the zoom. Kept
// between runs by the designer window (settings.h); the workspace, the
// rulers and the snapping read them.

#include <QString>

#include "report/model/units.h"

namespace valmoro::designer {

struct DesignOptions {
  report::LengthUnit unit = report::LengthUnit::Centimetre;
  // The grid step of each unit, in that unit; gridStep() gives pixels.
  double gridCentimetres = 0.1;
  double gridMillimetres = 1;
  double gridInches = 0.1;
  double gridPixels = 4;
  bool showGrid = true;
  bool snapToGrid = true;
  // Snapping to guide lines, band edges and other objects' edges and
  // centres (each within snapDistance screen pixels).
  bool snapToGuides = true;
  bool snapToObjects = true;
  int snapDistance = 5;
  double zoom = 1.0;

  // The grid step of the current unit in report pixels.
  double gridStep() const {
    switch (unit) {
      case report::LengthUnit::Millimetre: return report::convertLength(gridMillimetres, unit, report::LengthUnit::Pixel);
      case report::LengthUnit::Inch: return report::convertLength(gridInches, unit, report::LengthUnit::Pixel);
      case report::LengthUnit::Pixel: return gridPixels;
      default: return report::convertLength(gridCentimetres, report::LengthUnit::Centimetre, report::LengthUnit::Pixel);
    }
  }
};

// The zoom range of the workspace.
inline constexpr double kMinZoom = 0.25;
inline constexpr double kMaxZoom = 4.0;

}  // namespace valmoro::designer
