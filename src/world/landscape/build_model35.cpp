// Special model 35 needs cells of the reserved vegetation class 777.

#include "foundation/exception.h"
#include "world/landscape/world.h"

namespace orvantis {

void World::checkSpecialModel35() {
  releaseModel35Lists();
  for (cell& c : cells_) {
    if (c.presentVegetation == 777) presentClass777_.push_back(&c);
    if (c.lgmVegetation == 777) lgmClass777_.push_back(&c);
  }
  if (presentClass777_.empty() && lgmClass777_.empty()) {
    throw TException(
        "Error: no demes with VegID=777 are found in the PPot or LGM vegetation maps. This is "
        "required with special model no. 35");
  }
}

}  // namespace orvantis
