#include "coalescent/driver.h"

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"
#include "coalescent/driver_threads.h"

namespace orvantis {

namespace {

constexpr const char* kProgressLabel = "Genetic simulations";

// The simulations in order on the series' collection, drawing from the program's generator.
void runInSequence(TGeneticSeries& series, TDemeCollection& collection) {
  TWindowServices& window = collection.window();
  const int total = series.plan().numSimulations;
  window.progress({kProgressLabel, 0, total, "simulation"});
  for (int s = 1; s <= total; ++s) {
    window.showGeneticSimulationNumber(s);
    const bool goOn = series.merge(simulateGenetics(series.plan(), collection, s));
    window.progress({kProgressLabel, s, total, "simulation"});
    if (!goOn) break;
  }
}

}  // namespace

TGeneticRunReport SimulateGeneticData(World& world, const TGeneticRunInputs& inputs,
                                      TDemeCollection& collection) {
  TGeneticSeries series(world, inputs, collection);
  if (series.setUp()) {
    if (series.plan().replicates) {
      runReplicates(world, series, collection);
    } else {
      runInSequence(series, collection);
    }
  }
  series.finish();
  return series.report();
}

}  // namespace orvantis
