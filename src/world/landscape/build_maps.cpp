// Reading the input maps into the records of the grid positions.

#include "settings/grid_layers.h"
#include "world/landscape/world.h"

namespace orvantis {

int World::readInputMaps() {
  // The reading order matters: every header read sets the no-data value in force, and the
  // present vegetation map establishes the geometry again for the maps read after it.
  if (settings_.hasKey("AltitudeTopoFile") && !readAltitude(inputs_, settings_, context_)) {
    return 0;
  }
  if (settings_.hasKey("RoughnessTopoFile") && !readRoughness(inputs_, settings_, context_)) {
    return 0;
  }
  if (!readPresentVegetation(inputs_, settings_, context_)) return 0;
  if (settings_.hasKey("LGMVegetationFile") && !readLGMVegetation(inputs_, settings_, context_)) {
    return 0;
  }
  if (settings_.hasKey("HydroFile") && !readHydro(inputs_, settings_, context_)) return 0;
  if (settings_.hasKey("mMapFile") && !readMMap(inputs_, settings_, context_)) return 0;
  if (settings_.hasKey("AdmixMapFile") && !readAdmixMap(inputs_, settings_, context_)) return 0;
  return 1;
}

}  // namespace orvantis
