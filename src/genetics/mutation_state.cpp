#include "genetics/mutation_state.h"

namespace orvantis {

int TMutationState::sitesHit() const {
  int hit = 0;
  for (int i = 0; i < numLoci_; ++i) {
    if (siteHits_[static_cast<std::size_t>(i)] > 0) ++hit;
  }
  return hit;
}

}  // namespace orvantis
