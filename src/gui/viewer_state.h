#pragma once
// What the main window and its result viewer share: the generation and population shown, how
// the maps are drawn, and the cell the user picked.

#include "world/output/drawing.h"
#include "world/output/map_names.h"

namespace orvantis {

struct TViewerState {
  int displayedGeneration = 0;
  int numberOfGenerations = 0;  // span of the time track bar: the last simulated generation
  int population = 0;           // 0 or 1
  int zoom = 4;                 // pixels per cell side of the result maps, 1 to 8
  int selectedRow = 0;
  int selectedCol = 0;
  // Makes the next drawing of the map add the immigration line of the selected cell.
  bool drawImmigrationLineOnce = false;

  TMapKind display = TMapKind::Density;  // "Dynamic Display"
  TColourStyle style = TColourStyle::Colour;
  bool drawImmigrations = false;
  int aggregation = 2;

  // The drawing of the demographic maps, for the window and for the files alike.
  TMapDrawing drawing() const {
    TMapDrawing d;
    d.zoom = zoom;
    d.style = style;
    d.drawImmigrations = drawImmigrations;
    d.aggregation = aggregation;
    return d;
  }
};

}  // namespace orvantis
