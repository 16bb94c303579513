#include "world/output/bitmaps.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <stdexcept>

#include "world/output/arrows.h"
#include "world/output/directory.h"
#include "world/output/timeframe.h"

namespace orvantis {

namespace {

TRgbImage blankMap(const TDemographyMap& map, int t, int zoom) {
  if (t < 0 || t > map.endTime()) throw std::out_of_range("generation outside the stored run");
  const TGridHeader& grid = map.grid();
  const long long width = static_cast<long long>(grid.ncols) * zoom;
  const long long height = static_cast<long long>(grid.nrows) * zoom;
  if (width > TRgbImage::kMaxSide || height > TRgbImage::kMaxSide) {
    throw std::length_error("map bitmap too large");
  }
  return TRgbImage(static_cast<int>(width), static_cast<int>(height), kWaterBlue);
}

void fillCell(TRgbImage& image, int row, int col, int zoom, TRgbColour colour) {
  image.fillRect(zoom * col, zoom * row, zoom * (col + 1), zoom * (row + 1), colour);
}

// Draws and saves every generation of the list; the draw callback builds one picture.
int writeList(TRunContext& context, const TDemographyMap& map, int step,
              const std::filesystem::path& root, const std::function<std::string(int)>& nameOf,
              const std::function<TRgbImage(int)>& draw) {
  // Without the folder the list still runs, and every save reports its own failure.
  bool allWritten =
      ensureOutputDirectory(context.window, root, kBitmapDirectory, "Cannot create bmp directory");
  const TTimeframe frame = outputGenerations(step, map.endTime());
  if (frame.status == TTimeframeStatus::NoStep) return allWritten ? 1 : 0;
  if (frame.status == TTimeframeStatus::ExceedsEndTime) {
    context.log << "Cannot draw the list of BMP, because BMP timeframe exeeds EndTime..."
                << std::endl;
    return allWritten ? 1 : 0;
  }
  for (int t : frame.generations) {
    TRgbImage image;
    try {
      image = draw(t);
    } catch (const std::exception&) {
      context.log << "Could not load or alter bitmap" << std::endl;
      allWritten = false;
      continue;
    }
    allWritten &= saveBitmap(context, image, outputPath(root, nameOf(t)));
  }
  return allWritten ? 1 : 0;
}

}  // namespace

long long mapCount(const TDemographyMap& map, TMapKind kind, int row, int col, int population,
                   int t) {
  if (kind == TMapKind::Migration) return landArrivals(map, row, col, population, t);
  return map.size(row, col, population, t);
}

long long scaleMaximum(const TDemographyMap& map, TMapKind kind, int population) {
  const TGridHeader& grid = map.grid();
  long long maximum = 0;
  for (int row = 0; row < grid.nrows; ++row) {
    for (int col = 0; col < grid.ncols; ++col) {
      if (!map.hasDeme(row, col)) continue;
      maximum = std::max(maximum, mapCount(map, kind, row, col, population, map.endTime()));
    }
  }
  return maximum;
}

TRgbImage drawDensityBitmap(const TDemographyMap& map, TMapKind kind, int population, int t,
                            long long maximum, const TMapDrawing& drawing) {
  const int zoom = drawing.effectiveZoom();
  TRgbImage image = blankMap(map, t, zoom);
  const TGridHeader& grid = map.grid();
  for (int row = 0; row < grid.nrows; ++row) {
    for (int col = 0; col < grid.ncols; ++col) {
      if (!map.hasDeme(row, col) || map.underWater(row, col, t)) continue;
      const long long q = mapCount(map, kind, row, col, population, t);
      fillCell(image, row, col, zoom, countColour(q, maximum, drawing.style));
    }
  }
  if (drawing.drawImmigrations) {
    drawImmigrationArrows(image, map, t, drawing.aggregation, zoom);
  }
  return image;
}

TRgbImage drawOccupationBitmap(const TDemographyMap& map, int t, const TMapDrawing& drawing) {
  const int zoom = drawing.effectiveZoom();
  TRgbImage image = blankMap(map, t, zoom);
  const TGridHeader& grid = map.grid();
  const int populations = map.numberOfPopulations();
  for (int row = 0; row < grid.nrows; ++row) {
    for (int col = 0; col < grid.ncols; ++col) {
      if (!map.hasDeme(row, col) || map.underWater(row, col, t)) continue;
      const bool first = map.size(row, col, 0, t) > 0;
      const bool second = populations >= 2 && map.size(row, col, 1, t) > 0;
      TRgbColour colour = occupationColour(populations, first, second, drawing.style);
      if (drawing.viewerOccupationColours && populations >= 2 && first && !second &&
          drawing.style == TColourStyle::Colour) {
        colour = kRed;
      }
      fillCell(image, row, col, zoom, colour);
    }
  }
  return image;
}

bool saveBitmap(TRunContext& context, const TRgbImage& image, const std::string& path) {
  if (image.saveBmp(path)) return true;
  context.log << "Could not load or save the bitmap to file" << std::endl;
  return false;
}

int writeBitmapList(TRunContext& context, const TDemographyMap& map, TMapKind kind, int population,
                    int step, const TMapDrawing& drawing, const std::filesystem::path& root) {
  if (kind == TMapKind::Occupation) return writeOccupationList(context, map, step, drawing, root);
  if (!checkMapRequest(context.log, map, population)) return 0;
  const long long maximum = scaleMaximum(map, kind, population);
  const int populations = map.numberOfPopulations();
  return writeList(
      context, map, step, root,
      [&](int t) { return bitmapMapName(kind, populations, population, t); },
      [&](int t) { return drawDensityBitmap(map, kind, population, t, maximum, drawing); });
}

int writeOccupationList(TRunContext& context, const TDemographyMap& map, int step,
                        const TMapDrawing& drawing, const std::filesystem::path& root) {
  if (!checkMapRequest(context.log, map, 0)) return 0;
  const int populations = map.numberOfPopulations();
  return writeList(
      context, map, step, root, [&](int t) { return occupationBitmapName(populations, t); },
      [&](int t) { return drawOccupationBitmap(map, t, drawing); });
}

}  // namespace orvantis
