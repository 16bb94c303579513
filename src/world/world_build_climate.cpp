// Environmental series of a world built with a last-glacial-maximum vegetation map.

#include "world/world.h"

namespace orvantis {

// HOOK(climate): when an LGM vegetation map is in use, construction ends by loading, for each
// population, the K and F matrices and the temperature series (AllocateAndLoadAllVostokData),
// then the sea-level series (loadSeaLevelData). Until the climate loader exists the world is
// built without them: K and F stay at their LGM values.
int World::loadClimateData() {
  return 1;
}

}  // namespace orvantis
