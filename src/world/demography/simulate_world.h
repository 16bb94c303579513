#pragma once
// The forward demography (this folder): the demographic models, growth, migration, the
// generation loop and its report.
//
// The forward demographic simulation of a built world, from generation 0 to EndTime.

namespace orvantis {

class World;

// Environmental change through time (climate series, time-dependent conversion tables), applied
// by the generation loop. Coast adaptation is part of the loop itself.
class TEnvironmentDynamics {
 public:
  virtual ~TEnvironmentDynamics() = default;
  // At the start of a run, at the start date: the cells' K and F for that date. 1 on success.
  [[nodiscard]] virtual int atRunStart(World& world) = 0;
  // After the generation counter and the date have advanced, before the cells are iterated.
  // Sets `changed` when K, F or the accessibility of any cell may have changed. 1 on success;
  // 0 ends the run.
  [[nodiscard]] virtual int atGeneration(World& world, bool& changed) = 0;
};

// Runs the simulation: reads and places the population sources, writes generation 0, then
// runs EndTime generations under ChosenDemographicModel. Every run starts from the same initial
// state (states reset, generation counter 0, date RealBPTime, an empty database), so that a run
// repeated on the same world with the same seed repeats the first exactly. `seconds` receives the
// duration. `environment` null: the world's own changes through time (World::environmentDynamics),
// if its settings call for any. 1 after EndTime generations; 0 when a step failed (logged).
// Missing required settings throw TException.
[[nodiscard]] int SimulateWorld(World& world, float& seconds,
                                TEnvironmentDynamics* environment = nullptr);

}  // namespace orvantis
