#pragma once
// What the demographic output writers read about a finished run: the grid, which positions hold
// a cell, the stored sizes and arrivals, and which cells are under water at a generation. The
// world adapter serves it from the World and its database; tests serve it from plain arrays.

#include <ostream>

#include "settings/grid_header.h"
#include "world/landscape/state.h"

namespace orvantis {

class TDemographyMap {
 public:
  virtual ~TDemographyMap() = default;

  virtual const TGridHeader& grid() const = 0;
  virtual int noDataValue() const = 0;
  virtual int numberOfPopulations() const = 0;
  virtual int endTime() const = 0;

  // Whether the grid position (0 <= row < nrows, 0 <= col < ncols) holds a cell.
  virtual bool hasDeme(int row, int col) const = 0;
  // The following take positions that hold a cell and generations 0..endTime().
  virtual int size(int row, int col, int population, int t) const = 0;
  // Individuals that came from the neighbour in that direction during generation t.
  virtual int arrivalsFrom(int row, int col, int population, TDirection from, int t) const = 0;
  // Whether the neighbour in that direction exists and is land.
  virtual bool neighbourIsLand(int row, int col, TDirection towards) const = 0;
  // Whether the cell lies under the sea at the date of generation t (always false when the sea
  // level does not vary).
  virtual bool underWater(int row, int col, int t) const = 0;
  // First generation at which the population is present in the cell, or -1.
  virtual int arrivalGeneration(int row, int col, int population) const = 0;
};

// Arrivals of a cell at generation t: the four neighbour series, each counted only when that
// neighbour is land; long-distance arrivals are not included.
int landArrivals(const TDemographyMap& map, int row, int col, int population, int t);

// Whether the map holds a run and the population index belongs to it; logs why not.
bool checkMapRequest(std::ostream& log, const TDemographyMap& map, int population);

}  // namespace orvantis
