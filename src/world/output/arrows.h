#pragma once
// Immigration arrows over a map: the mean direction from which a block of cells received its
// neighbour arrivals.

#include "world/output/image.h"
#include "world/output/map_source.h"

namespace orvantis {

struct TImmigrationVector {
  float dx = 0.0f;  // arrivals from east minus arrivals from west
  float dy = 0.0f;  // arrivals from south minus arrivals from north
};

TImmigrationVector immigrationVector(const TDemographyMap& map, int row, int col, int population,
                                     int t);

// The grid is cut into blocks of aggregation x aggregation cells from row 0 and column 0; a block
// of which every position holds a cell gets a red line from its centre cell along the sum of the
// cells' unit vectors times 2, divided by the aggregation factor, and a silver dot of pen width 3
// on the centre. An aggregation factor below 1 draws nothing.
void drawImmigrationArrows(TRgbImage& image, const TDemographyMap& map, int t, int aggregation,
                           int zoom, int population = 0);

}  // namespace orvantis
