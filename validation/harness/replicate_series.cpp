#include "replicate_series.h"

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "genetics/locus_data.h"
#include "genetics/mutation.h"
#include "genetics/project_file.h"
#include "replicate_statistics.h"
#include "world/landscape/world.h"

namespace orvantis {

namespace {

void endGenealogy(TDemeCollection& collection) {
  collection.parameters().clearChromosome();
  collection.resetDemes();
}

// One simulation, chromosome by chromosome; the record describes chromosome 1.
TReplicateRecord simulate(const TSeriesPlan& plan, TDemeCollection& collection, int s) {
  // The project file's text goes nowhere; writing it still sets the current block parameters.
  std::ostream discard(nullptr);
  TReplicateRecord record = unfinishedRecord();
  collection.clearGeneticData();
  writeProjectHeader(discard, collection, plan.numChromosomes);
  TTree& tree = collection.tree();
  TGeneticParameters& parameters = collection.parameters();
  for (int c = 1; c <= plan.numChromosomes; ++c) {
    if (c > 1 || parameters.numLoci() == 0) {
      if (!collection.readChromosome(c - 1)) return unfinishedRecord();
      tree.setNumLoci(parameters.numLoci());
    }
    const int numLoci = parameters.numLoci();
    const bool recombining = parameters.totalRecRate() > 0.0;
    writeChromosomeHeader(discard, c, parameters, collection.mutation());
    const int built = plan.oneSourceWalk ? collection.buildTreeOneOriginOneLayerRecombination(s)
                                         : collection.buildTree(s);
    if (built == 0) {
      endGenealogy(collection);
      return unfinishedRecord();
    }
    (void)mutateChromosome(collection, numLoci, recombining);
    if (c == 1) record = measureGenealogy(collection, recombining);
    storeDemeData(collection);
    endGenealogy(collection);
  }
  return record;
}

}  // namespace

bool runReplicateSeries(World& world, std::ostream& records, TReplicateCounts& counts) {
  TDemeCollection& collection = world.demeCollection();
  TGeneticRunInputs inputs;
  TGeneticSeries series(world, inputs, collection);
  if (!series.setUp()) return false;
  const TSeriesPlan& plan = series.plan();
  counts.simulations = plan.numSimulations;
  for (int s = 1; s <= plan.numSimulations; ++s) {
    const TReplicateRecord record = simulate(plan, collection, s);
    writeRecord(records, record);
    if (record[static_cast<std::size_t>(TReplicateColumn::Finished)] == 1.0) {
      ++counts.finished;
    } else {
      ++counts.failed;
    }
  }
  return static_cast<bool>(records);
}

}  // namespace orvantis
