#pragma once
// A demography served from lambdas, for the output writers' tests.

#include <functional>
#include <vector>

#include "world/output/map_source.h"

namespace orvantis::testing {

class FakeDemography : public TDemographyMap {
 public:
  FakeDemography(int nrows, int ncols, int populations = 1, int endTime = 10)
      : pops(populations), end(endTime), demes(static_cast<std::size_t>(nrows) * ncols, true) {
    header.nrows = nrows;
    header.ncols = ncols;
    header.cellsize = 1.0;
    header.updateUpperCorner();
  }

  const TGridHeader& grid() const override { return header; }
  int noDataValue() const override { return -9999; }
  int numberOfPopulations() const override { return pops; }
  int endTime() const override { return end; }
  bool hasDeme(int row, int col) const override {
    return demes[static_cast<std::size_t>(row) * header.ncols + col];
  }
  int size(int row, int col, int p, int t) const override { return sizeOf(row, col, p, t); }
  int arrivalsFrom(int row, int col, int p, TDirection from, int t) const override {
    return arrivalsOf(row, col, p, from, t);
  }
  bool neighbourIsLand(int row, int col, TDirection towards) const override {
    row += towards == TDirection::North ? -1 : towards == TDirection::South ? 1 : 0;
    col += towards == TDirection::West ? -1 : towards == TDirection::East ? 1 : 0;
    return row >= 0 && col >= 0 && row < header.nrows && col < header.ncols && hasDeme(row, col);
  }
  bool underWater(int row, int col, int t) const override { return waterOf(row, col, t); }
  int arrivalGeneration(int row, int col, int p) const override {
    for (int t = 0; t <= end; ++t) {
      if (sizeOf(row, col, p, t) > 0) return t;
    }
    return -1;
  }
  void setWater(int row, int col) {
    demes[static_cast<std::size_t>(row) * header.ncols + col] = false;
  }

  TGridHeader header;
  int pops;
  int end;
  std::vector<bool> demes;
  std::function<int(int, int, int, int)> sizeOf = [](int, int, int, int) { return 0; };
  std::function<int(int, int, int, TDirection, int)> arrivalsOf = [](int, int, int, TDirection,
                                                                     int) { return 0; };
  std::function<bool(int, int, int)> waterOf = [](int, int, int) { return false; };
};

}  // namespace orvantis::testing
