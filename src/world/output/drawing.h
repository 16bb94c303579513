#pragma once
// How the demographic maps are drawn: the result maps' zoom, the colour or gray style, and the
// immigration arrows with their aggregation factor.

#include "world/output/colour_scale.h"

namespace orvantis {

struct TMapDrawing {
  int zoom = 4;  // each cell is a zoom x zoom square; values below 1 count as 1
  TColourStyle style = TColourStyle::Colour;
  bool drawImmigrations = false;  // arrows over the density and migration maps
  int aggregation = 2;            // cells per side of the block one arrow stands for
  // The result viewer's occupation map draws the first population alone in red, as its legend
  // does; the occupation files draw it in brown.
  bool viewerOccupationColours = false;

  int effectiveZoom() const { return zoom < 1 ? 1 : zoom; }
};

}  // namespace orvantis
