#include "coalescent/driver_observer.h"

#include <utility>

#include "coalescent/deme_collection.h"
#include "world/landscape/world.h"

namespace orvantis {

TGeneticFileWriters::TGeneticFileWriters(World& world, const TDemeCollection& collection,
                                         const TGeneticOptions& options, bool onePixel,
                                         std::string baseName, const TCellGrid& grid)
    : map_(world, world.seaLevelSeries()),
      baseName_(std::move(baseName)),
      grid_(grid),
      treeDrawing_{options.coalescenceZoom, onePixel} {
  request_.options = options;
  request_.onePixel = onePixel;
  if (options.geneticBitmaps) {
    squares_ = sampleSquares(collection, TSampleColouring::Snapshot);
    if (options.background == TGeneticBitmapBackground::Density) {
      request_.densityMaximum = lineageDensityMaximum(map_, options.population);
    }
  }
}

void TGeneticFileWriters::atStep(const TDemeCollection& collection, int d) {
  // A snapshot that cannot be saved is logged; the walk goes on.
  (void)snapshots_.writeGeneticBitmap(d, map_, squares_, request_, collection.log(),
                                      collection.window());
}

void TGeneticFileWriters::atGenealogyEnd(const TDemeCollection& collection, int simulation) {
  (void)writeCoalescenceTreeMap(baseName_, simulation, collection.tree(), grid_,
                                collection.coalescencesPerCell(), treeDrawing_, collection.window(),
                                collection.log());
}

}  // namespace orvantis
