#pragma once
// Geometry shared by every input map: columns, rows, lower-left corner and cell size.
// Row 0 is the northernmost data row; column 0 the westernmost.

#include <climits>
#include <cmath>

namespace orvantis {

struct TGridHeader {
  // Most grid positions a world can hold: cell indexes are ints.
  static constexpr long long kMaxCells = INT_MAX;

  double cellsize = 0.0;
  double xllcorner = 0.0;
  double yllcorner = 0.0;
  double xurcorner = 0.0;
  double yurcorner = 0.0;
  int nrows = 0;
  int ncols = 0;

  long long cellCount() const { return static_cast<long long>(nrows) * ncols; }
  long long index(int row, int col) const { return static_cast<long long>(row) * ncols + col; }
  void updateUpperCorner() {
    xurcorner = xllcorner + cellsize * ncols;
    yurcorner = yllcorner + cellsize * nrows;
  }

  // Grid position of the point (x, y): column floor(|xll - x| / cellsize), row nrows - 1 -
  // floor(|yll - y| / cellsize). False for a point outside the grid, on its east or north
  // border, or with a coordinate that is not a finite number.
  bool locate(double x, double y, int& row, int& col) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    if (x < xllcorner || x > xurcorner || y < yllcorner || y > yurcorner) return false;
    const double c = std::floor(std::fabs(xllcorner - x) / cellsize);
    const double r = nrows - 1 - std::floor(std::fabs(yllcorner - y) / cellsize);
    if (!(c >= 0.0 && c < ncols && r >= 0.0 && r < nrows)) return false;
    col = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
  }
};

}  // namespace orvantis
