#pragma once
// The genetic simulations of a study as the driver runs them, one simulation after the other on
// the world's collection with the run's generator, but instead of the project and tree files each
// simulation leaves one record of statistics (replicate_statistics.h). The series is set up by
// the driver's own TGeneticSeries, and every simulation makes the calls of the driver's
// per-simulation function in the same order (the same draws from the generator), so a record
// describes exactly the genealogy and data the orvantis command writes for that simulation.

#include <ostream>

namespace orvantis {

class World;

struct TReplicateCounts {
  int simulations = 0;
  int finished = 0;
  int failed = 0;
};

// Runs NumGeneticSimulations simulations over the world's stored demography and writes a record
// per simulation to `records`. False (with the reason in the log) when the series cannot start.
bool runReplicateSeries(World& world, std::ostream& records, TReplicateCounts& counts);

}  // namespace orvantis
