#pragma once
// Geometry shared by every input map: columns, rows, lower-left corner and cell size.
// Row 0 is the northernmost data row; column 0 the westernmost.

#include <cmath>

namespace orvantis {

struct TGridHeader {
  double cellsize = 0.0;
  double xllcorner = 0.0;
  double yllcorner = 0.0;
  double xurcorner = 0.0;
  double yurcorner = 0.0;
  int nrows = 0;
  int ncols = 0;

  long cellCount() const { return static_cast<long>(nrows) * ncols; }
  long index(int row, int col) const { return static_cast<long>(row) * ncols + col; }
  // Column and row of a point, as floor((x - xll) / cellsize) and nrows - 1 - floor(...).
  int columnOf(double x) const { return static_cast<int>(std::floor((x - xllcorner) / cellsize)); }
  int rowOf(double y) const {
    return nrows - 1 - static_cast<int>(std::floor((y - yllcorner) / cellsize));
  }
  void updateUpperCorner() {
    xurcorner = xllcorner + cellsize * ncols;
    yurcorner = yllcorner + cellsize * nrows;
  }
};

}  // namespace orvantis
