// Environmental series of a world built with a last-glacial-maximum vegetation map.

#include "world/landscape/world.h"

namespace orvantis {

// For each population the K and F matrices and the temperature series (a reload replaces the
// series), then the sea-level series.
int World::loadClimateData() {
  for (int p = 0; p < numberOfPopulations(); ++p) {
    if (!AllocateAndLoadAllVostokData(p)) return 0;
  }
  return loadSeaLevelData();
}

}  // namespace orvantis
