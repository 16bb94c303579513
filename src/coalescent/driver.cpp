#include "coalescent/driver.h"

#include "coalescent/deme_collection.h"
#include "coalescent/driver_series.h"

namespace orvantis {

namespace {
constexpr const char* kProgressLabel = "Genetic simulations";
}  // namespace

TGeneticRunReport SimulateGeneticData(World& world, const TGeneticRunInputs& inputs,
                                      TDemeCollection& collection) {
  TGeneticSeries series(world, inputs, collection);
  if (series.setUp()) {
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
  series.finish();
  return series.report();
}

}  // namespace orvantis
