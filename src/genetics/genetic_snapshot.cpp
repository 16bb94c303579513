#include "genetics/genetic_snapshot.h"

#include <exception>
#include <stdexcept>

#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"
#include "world/output/bitmaps.h"
#include "world/output/directory.h"
#include "world/output/map_names.h"
#include "world/output/map_source.h"

namespace orvantis {

void paintLineageBackground(TRgbImage& image, const TDemographyMap& map, int t, int population,
                            TGeneticBitmapBackground background, TColourStyle style,
                            long long densityMaximum, const TCellDrawing& drawing) {
  if (t < 0 || t > map.endTime()) throw std::out_of_range("generation outside the stored run");
  const TGridHeader& grid = map.grid();
  const int populations = map.numberOfPopulations();
  if (background == TGeneticBitmapBackground::Occupation) {
    paintCells(image, grid.nrows, grid.ncols, drawing, [&](int row, int col) {
      if (!map.hasDeme(row, col)) return kWaterBlue;
      const bool first = map.size(row, col, 0, t) > 0;
      const bool second = populations >= 2 && map.size(row, col, 1, t) > 0;
      return occupationColour(populations, first, second, style);
    });
    return;
  }
  const int p = population >= 0 && population < populations ? population : 0;
  paintCells(image, grid.nrows, grid.ncols, drawing, [&](int row, int col) {
    if (!map.hasDeme(row, col) || map.underWater(row, col, t)) return kWaterBlue;
    return countColour(map.size(row, col, p, t), densityMaximum, style);
  });
}

long long lineageDensityMaximum(const TDemographyMap& map, int population) {
  return scaleMaximum(map, TMapKind::Density, population) + 1;
}

std::vector<TSampleSquare> sampleSquares(const TDemeCollection& collection,
                                         TSampleColouring colouring) {
  std::vector<TSampleSquare> squares;
  const std::vector<cell>& cells = collection.world().cells();
  const bool twoPopulations = collection.numPopulations() == 2;
  const bool snapshot = colouring == TSampleColouring::Snapshot;
  squares.reserve(collection.sampleList().size());
  for (const TSampleRef& sample : collection.sampleList()) {
    // Sample demes are the first demes created, in the order of their numbers at reading.
    if (sample.demeNumber < 0 ||
        static_cast<std::size_t>(sample.demeNumber) >= collection.demes().size()) {
      continue;
    }
    const TDeme& deme = *collection.demes()[static_cast<std::size_t>(sample.demeNumber)];
    if (deme.cellIndex < 0 || static_cast<std::size_t>(deme.cellIndex) >= cells.size()) continue;
    const cell& place = cells[static_cast<std::size_t>(deme.cellIndex)];
    TRgbColour colour = kMagenta;
    if (twoPopulations && deme.popIndex == 0) {
      const bool holdsAnother = deme.samples.size() > 1;
      colour = holdsAnother == snapshot ? kRed : kYellow;
    }
    squares.push_back({place.row, place.column, colour});
  }
  return squares;
}

void paintSampleSquares(TRgbImage& image, const std::vector<TSampleSquare>& squares, int zoom) {
  const int z = zoom < 1 ? 1 : zoom;
  for (const TSampleSquare& s : squares) {
    image.fillRect(s.col * z, s.row * z, (s.col + 1) * z, (s.row + 1) * z, s.colour);
  }
}

std::string geneticBitmapName(int generation, TGeneticBitmapBackground background, int population) {
  std::string name = std::string(kBitmapDirectory) + "/genetic_g" + std::to_string(generation);
  if (background == TGeneticBitmapBackground::Density) {
    name += "_P" + std::to_string(population + 1);
  }
  return name + ".bmp";
}

bool TGeneticSnapshots::due(int generation, int endTime, int step) {
  // Every genealogy starts its walk at EndTime; repeated calls at EndTime start it once.
  if (generation == endTime && last_ != endTime) next_ = endTime;
  last_ = generation;
  if (generation < 0 || generation != next_) return false;
  next_ = step >= 1 ? next_ - step : INT_MIN;
  return true;
}

int TGeneticSnapshots::writeGeneticBitmap(int generation, const TDemographyMap& map,
                                          const std::vector<TSampleSquare>& samples,
                                          const TGeneticSnapshotRequest& request, std::ostream& log,
                                          TWindowServices& window) {
  const TGeneticOptions& options = request.options;
  if (!due(generation, map.endTime(), options.geneticBitmapStep)) return 1;
  log << "TIME: " << generation << " Pop " << options.population << std::endl;
  (void)ensureOutputDirectory(window, request.root, kBitmapDirectory,
                              "Cannot create bmp directory");
  const TColourStyle style =
      options.colours == TGeneticBitmapColours::Gray ? TColourStyle::Gray : TColourStyle::Colour;
  // Only the occupation background follows the live views' one-pixel mode.
  const TCellDrawing drawing{
      options.coalescenceZoom,
      request.onePixel && options.background == TGeneticBitmapBackground::Occupation};
  TRgbImage image;
  try {
    image = blankCellPicture(map.grid().nrows, map.grid().ncols, drawing);
    paintLineageBackground(image, map, generation, options.population, options.background, style,
                           request.densityMaximum, drawing);
    paintSampleSquares(image, samples, drawing.block());
  } catch (const std::exception&) {
    log << "Could not load or alter bitmap" << std::endl;
    return 0;
  }
  const std::string name = outputPath(
      request.root, geneticBitmapName(generation, options.background, options.population));
  if (image.saveBmp(name)) return 1;
  log << "Could not load or save the bitmap to file" << std::endl;
  return 0;
}

}  // namespace orvantis
