#pragma once
// A world with samples and the tips of their genealogy, for the outputs that read the demes of a
// run (PAUP matrix, deme-by-deme statistics, sample squares, proportion files).

#include <memory>
#include <string>
#include <vector>

#include "genetics/genealogy_builder.h"
#include "support/sampled_world.h"

namespace orvantis::testing {

class SampledGenealogyTest : public SampledWorldTest {
 protected:
  // Reads the samples, makes the initial deme list and the tips of a genealogy of numLoci loci,
  // each tip located at EndTime.
  std::unique_ptr<TDemeCollection> collectionWith(const std::vector<std::string>& samples,
                                                  int numLoci) {
    writeSamples(samples);
    auto collection = readCollection();
    collection->createInitialDemeList();
    collection->tree().setNodeCounter(0);
    collection->tree().setNumLoci(numLoci);
    EXPECT_EQ(collection->createlineages(), 1) << log.str();
    collection->tree().resetToTips(world->database().endTime());
    return collection;
  }
};

}  // namespace orvantis::testing
