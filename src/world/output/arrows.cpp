#include "world/output/arrows.h"

#include <cmath>

namespace orvantis {

namespace {

bool blockIsFull(const TDemographyMap& map, int firstRow, int firstCol, int side) {
  const TGridHeader& grid = map.grid();
  if (static_cast<long long>(firstRow) + side > grid.nrows ||
      static_cast<long long>(firstCol) + side > grid.ncols) {
    return false;
  }
  for (int row = firstRow; row < firstRow + side; ++row) {
    for (int col = firstCol; col < firstCol + side; ++col) {
      if (!map.hasDeme(row, col)) return false;
    }
  }
  return true;
}

}  // namespace

TImmigrationVector immigrationVector(const TDemographyMap& map, int row, int col, int population,
                                     int t) {
  TImmigrationVector v;
  v.dy = static_cast<float>(map.arrivalsFrom(row, col, population, TDirection::South, t)) -
         static_cast<float>(map.arrivalsFrom(row, col, population, TDirection::North, t));
  v.dx = static_cast<float>(map.arrivalsFrom(row, col, population, TDirection::East, t)) -
         static_cast<float>(map.arrivalsFrom(row, col, population, TDirection::West, t));
  return v;
}

void drawImmigrationArrows(TRgbImage& image, const TDemographyMap& map, int t, int aggregation,
                           int zoom, int population) {
  if (aggregation < 1) return;
  const TGridHeader& grid = map.grid();
  for (long long firstRow = 0; firstRow < grid.nrows; firstRow += aggregation) {
    for (long long firstCol = 0; firstCol < grid.ncols; firstCol += aggregation) {
      const int r0 = static_cast<int>(firstRow);
      const int c0 = static_cast<int>(firstCol);
      if (!blockIsFull(map, r0, c0, aggregation)) continue;
      float sumDx = 0.0f;
      float sumDy = 0.0f;
      for (int row = r0; row < r0 + aggregation; ++row) {
        for (int col = c0; col < c0 + aggregation; ++col) {
          TImmigrationVector v = immigrationVector(map, row, col, population, t);
          const float length = std::sqrt(v.dx * v.dx + v.dy * v.dy);
          if (length > 0.0f) {
            v.dx /= length;
            v.dy /= length;
          }
          sumDx += 2.0f * v.dx;
          sumDy += 2.0f * v.dy;
        }
      }
      sumDx /= static_cast<float>(aggregation);
      sumDy /= static_cast<float>(aggregation);
      const int c = c0 + aggregation / 2;
      const int r = r0 + aggregation / 2;
      const int endCol = c + static_cast<int>(std::trunc(sumDx));
      const int endRow = r + static_cast<int>(std::trunc(sumDy));
      image.drawLine(c * zoom, r * zoom, endCol * zoom, endRow * zoom, kRed);
      image.drawPoint(c * zoom, r * zoom, 3, kSilver);
    }
  }
}

}  // namespace orvantis
